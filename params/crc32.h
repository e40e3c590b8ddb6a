#pragma once

#include <QtGlobal>

#include <array>

// The data-set file checksum: reflected CRC-32, generator 0x04C11DB7 (0xEDB88320
// reflected), initial value 0, no final XOR, bytes fed first to last.
// Check values: "abc" -> 0xca6598d0, "123456789" -> 0x2dfd2d88.
namespace crc32 {

constexpr quint32 ReflectedPolynomial = 0xEDB88320;
constexpr quint32 InitialValue = 0;

constexpr std::array<quint32, 256> makeTable()
{
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1U) ? (crc >> 1) ^ ReflectedPolynomial : crc >> 1;
        table[i] = crc;
    }
    return table;
}

inline constexpr std::array<quint32, 256> Table = makeTable();

constexpr quint32 update(quint32 crc, const char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i)
        crc = Table[(crc ^ static_cast<quint8>(data[i])) & 0xFFU] ^ (crc >> 8);
    return crc;
}

} // namespace crc32
