#include "protocol/frame/wire.h"

#include <array>

namespace {

// Tables of the CRC-16 polynomial 0x1021, MSB first. Entry i of the first
// is the register after shifting i << 8 through the polynomial eight times,
// i.e. after the byte i from a zero register; table k gives the register
// after the byte i followed by k zero bytes. With them the check advances
// four bytes per step, which shortens its dependency chain.
using CrcTable = std::array<std::uint16_t, 256>;

constexpr std::array<CrcTable, 4> makeCrcTables()
{
    std::array<CrcTable, 4> tables{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned reg = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 0x8000U) ? (reg << 1) ^ 0x1021U : reg << 1;
        tables[0][i] = static_cast<std::uint16_t>(reg);
    }
    for (std::size_t k = 1; k < tables.size(); ++k) {
        for (unsigned i = 0; i < 256; ++i) {
            const unsigned previous = tables[k - 1][i];
            tables[k][i] = static_cast<std::uint16_t>((previous << 8) ^ tables[0][previous >> 8]);
        }
    }
    return tables;
}
constexpr auto crcTables = makeCrcTables();
constexpr const CrcTable& crcTable = crcTables[0];

// A good frame (check bytes included) leaves the CRC register at the residue
// 0x1D0F, i.e. 0xE2F0 complemented.
constexpr std::uint16_t crcResidueComplemented = 0xE2F0;

inline std::uint16_t crcStep(std::uint16_t reg, std::uint8_t byte)
{
    return static_cast<std::uint16_t>((reg << 8) ^ crcTable[((reg >> 8) ^ byte) & 0xFFU]);
}

inline std::uint8_t* emitStuffed(std::uint8_t* out, std::uint8_t byte)
{
    if (frame::needsEscape(byte))
        *out++ = frame::Escape;
    *out++ = byte;
    return out;
}

} // namespace

std::uint16_t crc16(const std::uint8_t* bytes, std::size_t length)
{
    // Four bytes b0..b3 on register r act like the bytes (r >> 8) ^ b0,
    // (r & 0xFF) ^ b1, b2, b3 on a zero register, and the polynomial is linear.
    unsigned reg = 0xFFFF;
    std::size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        reg ^= (unsigned{bytes[i]} << 8) | bytes[i + 1];
        reg = crcTables[3][reg >> 8] ^ crcTables[2][reg & 0xFFU] ^ crcTables[1][bytes[i + 2]]
            ^ crcTables[0][bytes[i + 3]];
    }
    std::uint16_t last = static_cast<std::uint16_t>(reg);
    for (; i < length; ++i)
        last = crcStep(last, bytes[i]);
    return static_cast<std::uint16_t>(last ^ 0xFFFFU);
}

std::uint8_t xorSum(const std::uint8_t* bytes, std::size_t length)
{
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < length; ++i)
        sum ^= bytes[i];
    return sum;
}

// The check covers the unescaped bytes between start and end, check bytes
// included: their XOR is 0, or the complemented CRC register run over them
// ends at the residue.
bool checkPasses(std::uint8_t kind, const std::uint8_t* bytes, std::size_t length)
{
    if (kind == frame::StartXor)
        return xorSum(bytes, length) == 0;
    return crc16(bytes, length) == crcResidueComplemented;
}

int buildFrame(std::uint8_t* buffer, const std::uint8_t* payload, int payloadLength,
               std::uint8_t kind, std::uint8_t control, std::uint8_t sequence)
{
    std::uint8_t* out = buffer;
    *out++ = kind;
    if (kind != frame::StartXor && kind != frame::StartCrc)
        return 1;
    if (payloadLength < 0 || payload == nullptr)
        payloadLength = 0;
    if (payloadLength > frame::MaxPayload)
        payloadLength = frame::MaxPayload;

    std::uint8_t sum = 0;
    std::uint16_t reg = 0xFFFF;
    auto put = [&](std::uint8_t byte) {
        sum ^= byte;
        reg = crcStep(reg, byte);
        out = emitStuffed(out, byte);
    };
    put(control);
    put(sequence);
    for (int i = 0; i < payloadLength; ++i)
        put(payload[i]);

    if (kind == frame::StartXor) {
        out = emitStuffed(out, sum);
    } else {
        reg ^= 0xFFFFU;
        out = emitStuffed(out, static_cast<std::uint8_t>(reg >> 8));
        out = emitStuffed(out, static_cast<std::uint8_t>(reg & 0xFFU));
    }
    *out++ = frame::End;
    return static_cast<int>(out - buffer);
}

int payloadDataLength(const std::uint8_t* frameBytes, std::uint32_t frameLength)
{
    if (frameBytes == nullptr || frameLength <= 6 || frameLength > 0xFFFF)
        return 0;
    int overhead = 0; // start, control, sequence, mnemonic, check bytes, end
    if (frameBytes[0] == frame::StartXor)
        overhead = 8;
    else if (frameBytes[0] == frame::StartCrc)
        overhead = 9;
    else
        return 0;
    // A frame too short for its mnemonic and check carries no data.
    const int length = static_cast<int>(frameLength) - overhead;
    return length > 0 ? length : 0;
}

