#pragma once

#include <cstdint>

// Numbers in frame headers and command data travel most significant byte
// first; parameter values and records least significant byte first. For code
// without Qt; code with Qt uses <QtEndian>.
namespace frame {

constexpr std::uint16_t readBe16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}
constexpr std::uint32_t readBe32(const std::uint8_t* bytes)
{
    return (std::uint32_t{readBe16(bytes)} << 16) | readBe16(bytes + 2);
}
constexpr std::uint16_t readLe16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}
constexpr std::uint32_t readLe32(const std::uint8_t* bytes)
{
    return readLe16(bytes) | (std::uint32_t{readLe16(bytes + 2)} << 16);
}

} // namespace frame
