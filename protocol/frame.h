#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class QObject;

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
constexpr int DataOffset = 6;
} // namespace frame

// One entry of the receive pool. The slot's state is the only hand-over
// between the receive thread (publishes 2 with release) and its consumer
// (reads with acquire, frees with 0).
struct RxSlot {
    enum State : std::uint16_t { Free = 0, Filling = 1, Complete = 2 };

    std::atomic<std::uint16_t> state{Free};
    std::uint16_t reserved{0};
    std::uint32_t length{0}; // unescaped frame length, start byte to end byte
    std::uint64_t reserved2{0};

    std::uint8_t* data() { return reinterpret_cast<std::uint8_t*>(this) + sizeof(RxSlot); }
    const std::uint8_t* data() const { return reinterpret_cast<const std::uint8_t*>(this) + sizeof(RxSlot); }
    void release() { state.store(Free, std::memory_order_release); }
};
static_assert(sizeof(RxSlot) == 16, "the slot header is 16 bytes");
static_assert(std::atomic<std::uint16_t>::is_always_lock_free, "slot state must be lock-free");

// Bytes one slot takes in the pool: the header plus a data area that holds
// slotDataSize + 1 bytes, rounded up to a multiple of 8.
constexpr std::size_t slotStride(std::uint16_t slotDataSize)
{
    return (std::size_t{slotDataSize} / 8 + 3) * 8;
}
constexpr std::size_t poolBytes(std::uint16_t slotCount, std::uint16_t slotDataSize)
{
    return std::size_t{slotCount} * slotStride(slotDataSize);
}
RxSlot* slotAt(void* pool, std::uint16_t slotDataSize, std::uint16_t index);

// Where the parser reports: 1 complete frame (with its slot), 2 check failed,
// 3 frame abandoned. The default posts ComReceiveEvent / ComErrorEvent.
using FrameSink = void (*)(int code, QObject* target, int value, RxSlot* slot);

// State of the receive parser; touched by the receive thread only. A frame's
// check runs once over its slot when the end byte arrives.
struct FrameParser {
    std::uint32_t dropCount = 0;
    std::uint32_t checksumErrorCount = 0;
    std::uint32_t dataErrorCount = 0;
    std::uint32_t frameCount = 0;
    void* pool = nullptr;
    RxSlot* current = nullptr;
    std::uint16_t slotCount = 0;
    std::uint16_t slotDataSize = 0;
    bool waitingForStart = true;
    std::uint32_t position = 0;
    std::uint8_t kind = 0;
    bool escaped = false;
    QObject* target = nullptr;
    int value = 0;
    FrameSink sink = nullptr; // initParser installs postComEvent
};

using ByteCallback = void (*)(std::uint8_t byte, FrameParser* parser);

// CRC-16/GENIBUS: poly 0x1021, init 0xFFFF, no reflection, xorout 0xFFFF,
// check 0xD64E ("123456789"), residue 0x1D0F.
std::uint16_t crc16(const std::uint8_t* bytes, std::size_t length);
std::uint8_t xorSum(const std::uint8_t* bytes, std::size_t length);

// Writes a complete stuffed frame into buffer (at least frame::MaxWireFrame
// bytes); returns the bytes written. An unknown kind writes only the start
// byte and returns 1; payloads above frame::MaxPayload are cut.
int buildFrame(std::uint8_t* buffer, const std::uint8_t* payload, int payloadLength,
               std::uint8_t kind, std::uint8_t control, std::uint8_t sequence);

// Length of the command data after the mnemonic of an unescaped frame:
// L - 8 (XOR-checked) or L - 9 (CRC-checked), never below 0.
int payloadDataLength(const std::uint8_t* frame, std::uint32_t frameLength);

void initParser(void* pool, std::uint16_t slotCount, std::uint16_t slotDataSize,
                FrameParser* parser, QObject* target, int value);
RxSlot* findFreeSlot(void* pool, std::uint16_t slotCount, std::uint16_t slotDataSize);
void feedByte(std::uint8_t byte, FrameParser* parser);
void discardOpenFrame(FrameParser* parser);
