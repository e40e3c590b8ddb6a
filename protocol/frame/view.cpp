#include "protocol/frame/view.h"

#include "protocol/frame/byteorder.h"
#include "protocol/frame/wire.h"

namespace frame {

namespace {

// Command data length by the frame's kind; -1 for a frame without a whole
// mnemonic or of an unknown kind.
int commandDataLength(const std::uint8_t* bytes, std::uint32_t length)
{
    if (bytes == nullptr || length == 0 || length > 0xFFFF)
        return -1;
    const int checkBytes = bytes[0] == StartXor ? 1 : bytes[0] == StartCrc ? 2 : -1;
    if (checkBytes < 0)
        return -1;
    const int dataLength = static_cast<int>(length) - DataOffset - checkBytes - 1;
    return dataLength >= 0 ? dataLength : -1;
}

} // namespace

View::View(const std::uint8_t* bytes, std::uint32_t length)
    : m_bytes(bytes), m_length(bytes != nullptr ? length : 0),
      m_dataLength(commandDataLength(bytes, length))
{
}

bool View::isAck() const
{
    return (control() & ControlAck) != 0;
}

bool View::isNak() const
{
    return (control() & ControlNak) != 0;
}

bool View::ackRequested() const
{
    return (control() & ControlAckRequested) != 0;
}

std::string_view View::mnemonic() const
{
    if (m_dataLength < 0)
        return {};
    return {reinterpret_cast<const char*>(m_bytes + MnemonicOffset), MnemonicLength};
}

const std::uint8_t* View::data() const
{
    return m_dataLength >= 0 ? m_bytes + DataOffset : nullptr;
}

bool View::holds(int offset, int count) const
{
    return offset >= 0 && count >= 0 && offset <= dataLength() - count;
}

std::uint16_t View::be16(int offset) const
{
    return holds(offset, 2) ? readBe16(data() + offset) : 0;
}

std::uint32_t View::be32(int offset) const
{
    return holds(offset, 4) ? readBe32(data() + offset) : 0;
}

std::uint16_t View::le16(int offset) const
{
    return holds(offset, 2) ? readLe16(data() + offset) : 0;
}

std::uint32_t View::le32(int offset) const
{
    return holds(offset, 4) ? readLe32(data() + offset) : 0;
}

std::string_view View::text(int offset, int* afterZero, int maxLength) const
{
    if (afterZero != nullptr)
        *afterZero = -1;
    if (!holds(offset, 0))
        return {};
    const int end = maxLength >= 0 && maxLength < dataLength() - offset ? offset + maxLength : dataLength();
    const std::uint8_t* bytes = m_bytes + DataOffset;
    int stop = offset;
    while (stop < end && bytes[stop] != 0)
        ++stop;
    if (afterZero != nullptr && stop < end)
        *afterZero = stop + 1;
    return {reinterpret_cast<const char*>(bytes + offset), static_cast<std::size_t>(stop - offset)};
}

} // namespace frame
