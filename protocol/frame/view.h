#pragma once

#include <cstdint>
#include <string_view>

namespace frame {

// Reads of one unescaped frame (start byte to end byte, as the receive parser
// delivers it). Offsets count from the start of the command data; every read
// stays inside the frame and yields 0 or nothing where the frame ends.
class View {
public:
    View(const std::uint8_t* bytes, std::uint32_t length);

    std::uint8_t kind() const { return byteAt(0); }
    std::uint8_t control() const { return byteAt(1); }
    std::uint8_t sequence() const { return byteAt(2); }
    bool isAck() const;
    bool isNak() const;
    bool ackRequested() const;

    // The three letters; empty for a frame too short to carry them.
    std::string_view mnemonic() const;
    bool hasMnemonic(std::string_view letters) const { return mnemonic() == letters; }

    // Command data after the mnemonic, without the check bytes; null for a
    // frame without a mnemonic.
    const std::uint8_t* data() const;
    int dataLength() const { return m_dataLength > 0 ? m_dataLength : 0; }
    bool holds(int count) const { return holds(0, count); }
    bool holds(int offset, int count) const;

    std::uint16_t be16(int offset) const;
    std::uint32_t be32(int offset) const;
    std::uint16_t le16(int offset) const;
    std::uint32_t le32(int offset) const;

    // The characters from offset up to the first 0 byte, maxLength or the end
    // of the data. afterZero: the offset behind that 0 byte, -1 without one.
    std::string_view text(int offset, int* afterZero = nullptr, int maxLength = -1) const;

private:
    std::uint8_t byteAt(std::uint32_t index) const { return index < m_length ? m_bytes[index] : 0; }

    const std::uint8_t* m_bytes;
    std::uint32_t m_length;
    int m_dataLength; // -1 without a whole mnemonic
};

} // namespace frame
