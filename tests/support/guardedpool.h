#pragma once

#include "protocol/frame/parser.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// A caller-supplied receive pool with guard bytes on both sides, so that a
// test or fuzz target can see any write outside the pool.
namespace testsupport {

class GuardedPool {
public:
    static constexpr std::size_t GuardBytes = 64;
    static constexpr std::uint8_t GuardValue = 0xA5;

    GuardedPool(std::uint16_t slotCount, std::uint16_t slotDataSize)
        : m_slotCount(slotCount),
          m_slotDataSize(slotDataSize),
          m_words((2 * GuardBytes + poolBytes(slotCount, slotDataSize)) / sizeof(std::uint64_t), 0)
    {
        std::uint8_t* bytes = raw();
        for (std::size_t i = 0; i < GuardBytes; ++i) {
            bytes[i] = GuardValue;
            bytes[GuardBytes + poolBytes(slotCount, slotDataSize) + i] = GuardValue;
        }
    }

    void* pool() { return raw() + GuardBytes; }
    std::uint16_t slotCount() const { return m_slotCount; }
    std::uint16_t slotDataSize() const { return m_slotDataSize; }
    RxSlot* slot(std::uint16_t index) { return slotAt(pool(), m_slotDataSize, index); }

    bool guardsIntact() const
    {
        static const std::array<std::uint8_t, GuardBytes> guard = [] {
            std::array<std::uint8_t, GuardBytes> bytes{};
            bytes.fill(GuardValue);
            return bytes;
        }();
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(m_words.data());
        const std::size_t after = GuardBytes + poolBytes(m_slotCount, m_slotDataSize);
        return std::memcmp(bytes, guard.data(), GuardBytes) == 0
            && std::memcmp(bytes + after, guard.data(), GuardBytes) == 0;
    }

private:
    std::uint8_t* raw() { return reinterpret_cast<std::uint8_t*>(m_words.data()); }

    std::uint16_t m_slotCount;
    std::uint16_t m_slotDataSize;
    std::vector<std::uint64_t> m_words; // 8-byte aligned, as slots need
};

// True when a complete slot holds a whole frame whose check passes: the XOR
// of everything between start and end is 0, or the CRC register run over it
// (check bytes included) ends at the residue.
inline bool completeSlotIsValid(const RxSlot* slot, std::uint16_t slotDataSize)
{
    const std::uint32_t length = slot->length;
    const std::uint8_t* data = slot->data();
    if (length < 2 || length > slotDataSize || data[length - 1] != frame::End || data[length] != 0)
        return false;
    if (data[0] == frame::StartXor)
        return xorSum(data + 1, length - 2) == 0;
    if (data[0] == frame::StartCrc)
        return crc16(data + 1, length - 2) == 0xE2F0;
    return false;
}

} // namespace testsupport
