#pragma once

#include <cstddef>
#include <cstdint>

// The wrench's frame: start (0x01 XOR-checked, 0x02 CRC-checked), control,
// sequence, payload (mnemonic + command data), check, end 0x03. Control,
// sequence, payload and check bytes equal to 0x01, 0x02, 0x03 or 0x10 are
// preceded by the escape 0x10 on the wire.
namespace frame {
constexpr std::uint8_t StartXor = 0x01;
constexpr std::uint8_t StartCrc = 0x02;
constexpr std::uint8_t End = 0x03;
constexpr std::uint8_t Escape = 0x10;

constexpr std::uint8_t ControlAck = 0x80;
constexpr std::uint8_t ControlNak = 0x40;
constexpr std::uint8_t ControlAckRequested = 0x20;

constexpr int MaxPayload = 1027;
// 1 + 2 * (control + sequence + payload + two check bytes) + 1
constexpr int MaxWireFrame = 1 + 2 * (2 + MaxPayload + 2) + 1;
// The mnemonic sits at offsets 3..5, the command data starts at 6.
constexpr int MnemonicOffset = 3;
constexpr int MnemonicLength = 3;
constexpr int DataOffset = 6;

// True for the bytes that travel behind an escape.
constexpr bool needsEscape(std::uint8_t byte)
{
    return byte == StartXor || byte == StartCrc || byte == End || byte == Escape;
}
} // namespace frame

// CRC-16/GENIBUS: poly 0x1021, init 0xFFFF, no reflection, xorout 0xFFFF,
// check 0xD64E ("123456789"), residue 0x1D0F.
std::uint16_t crc16(const std::uint8_t* bytes, std::size_t length);
std::uint8_t xorSum(const std::uint8_t* bytes, std::size_t length);

// True when the unescaped bytes between start and end, check bytes included,
// pass the check of the frame kind.
bool checkPasses(std::uint8_t kind, const std::uint8_t* bytes, std::size_t length);

// Writes a complete stuffed frame into buffer (at least frame::MaxWireFrame
// bytes); returns the bytes written. An unknown kind writes only the start
// byte and returns 1; payloads above frame::MaxPayload are cut.
int buildFrame(std::uint8_t* buffer, const std::uint8_t* payload, int payloadLength,
               std::uint8_t kind, std::uint8_t control, std::uint8_t sequence);

// Length of the command data after the mnemonic of an unescaped frame:
// L - 8 (XOR-checked) or L - 9 (CRC-checked), never below 0.
int payloadDataLength(const std::uint8_t* frame, std::uint32_t frameLength);
