#include "tools/wireframe.h"

#include "protocol/frame.h"

#include <QtEndian>

namespace {

bool isSpecial(quint8 byte)
{
    return byte == frame::StartXor || byte == frame::StartCrc || byte == frame::End
        || byte == frame::Escape;
}

const uchar* at(const QByteArray& bytes, int offset)
{
    return reinterpret_cast<const uchar*>(bytes.constData()) + offset;
}

} // namespace

quint8 Frame::byteAt(int index) const
{
    return index < bytes.size() ? static_cast<quint8>(bytes.at(index)) : 0;
}

QByteArray Frame::mnemonic() const
{
    // Start, control, sequence, three letters, the check (one or two bytes), end.
    const int shortest = frame::DataOffset + (kind() == frame::StartCrc ? 3 : 2);
    return bytes.size() >= shortest ? bytes.mid(3, 3) : QByteArray();
}

QByteArray Frame::data() const
{
    const int length = payloadDataLength(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                         static_cast<std::uint32_t>(bytes.size()));
    return length > 0 ? bytes.mid(frame::DataOffset, length) : QByteArray();
}

int Frame::payloadLength() const
{
    return mnemonic().isEmpty() ? 0 : 3 + static_cast<int>(data().size());
}

namespace wire {

QByteArray build(quint8 kind, quint8 control, quint8 sequence, const QByteArray& payload)
{
    QByteArray out(frame::MaxWireFrame, '\0');
    const int length = buildFrame(reinterpret_cast<std::uint8_t*>(out.data()),
                                  reinterpret_cast<const std::uint8_t*>(payload.constData()),
                                  static_cast<int>(payload.size()), kind, control, sequence);
    out.truncate(length);
    return out;
}

bool corrupt(QByteArray& wireBytes)
{
    // Start, control and sequence come first; the payload follows. Only a
    // byte that needs no escape, turned into another such byte, keeps the
    // stuffing valid; any single changed byte fails both checks.
    int index = 1;
    for (int field = 0; field < 2 && index < wireBytes.size(); ++field)
        index += static_cast<quint8>(wireBytes.at(index)) == frame::Escape ? 2 : 1;
    for (; index < wireBytes.size() - 2; ++index) {
        const auto byte = static_cast<quint8>(wireBytes.at(index));
        if (byte == frame::Escape) {
            ++index;
            continue;
        }
        for (const quint8 mask : {quint8(0x20), quint8(0x40), quint8(0x80)}) {
            const auto changed = static_cast<quint8>(byte ^ mask);
            if (!isSpecial(changed)) {
                wireBytes[index] = static_cast<char>(changed);
                return true;
            }
        }
    }
    return false;
}

void appendBe16(QByteArray& out, quint16 value)
{
    out.append(static_cast<char>(value >> 8));
    out.append(static_cast<char>(value & 0xFF));
}

void appendBe32(QByteArray& out, quint32 value)
{
    appendBe16(out, static_cast<quint16>(value >> 16));
    appendBe16(out, static_cast<quint16>(value & 0xFFFF));
}

quint16 be16(const QByteArray& bytes, int offset)
{
    return offset >= 0 && offset + 2 <= bytes.size() ? qFromBigEndian<quint16>(at(bytes, offset)) : 0;
}

quint32 be32(const QByteArray& bytes, int offset)
{
    return offset >= 0 && offset + 4 <= bytes.size() ? qFromBigEndian<quint32>(at(bytes, offset)) : 0;
}

void appendLe16(QByteArray& out, quint16 value)
{
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8));
}

void appendLe32(QByteArray& out, quint32 value)
{
    appendLe16(out, static_cast<quint16>(value & 0xFFFF));
    appendLe16(out, static_cast<quint16>(value >> 16));
}

quint16 le16(const QByteArray& bytes, int offset)
{
    return offset >= 0 && offset + 2 <= bytes.size() ? qFromLittleEndian<quint16>(at(bytes, offset)) : 0;
}

quint32 le32(const QByteArray& bytes, int offset)
{
    return offset >= 0 && offset + 4 <= bytes.size() ? qFromLittleEndian<quint32>(at(bytes, offset)) : 0;
}

} // namespace wire
