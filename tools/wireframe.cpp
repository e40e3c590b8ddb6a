#include "tools/wireframe.h"

#include "protocol/frame/wire.h"

#include <QtEndian>

namespace wrench {

namespace {

const uchar* at(const QByteArray& bytes, int offset)
{
    return reinterpret_cast<const uchar*>(bytes.constData()) + offset;
}

} // namespace

frame::View Frame::view() const
{
    return frame::View(at(bytes, 0), static_cast<std::uint32_t>(bytes.size()));
}

QByteArray Frame::mnemonic() const
{
    const std::string_view letters = view().mnemonic();
    return QByteArray(letters.data(), static_cast<qsizetype>(letters.size()));
}

QByteArray Frame::data() const
{
    const frame::View received = view();
    return bytes.mid(frame::DataOffset, received.dataLength());
}

int Frame::payloadLength() const
{
    const frame::View received = view();
    return received.mnemonic().empty() ? 0 : frame::MnemonicLength + received.dataLength();
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
            if (!frame::needsEscape(changed)) {
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

} // namespace wrench
