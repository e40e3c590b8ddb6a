#include "protocoltest.h"

#include "comm/comevents.h"
#include "platform/ports.h"
#include "protocol/kapsmessage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

SlotFeeder::SlotFeeder(QObject* target, int tag)
    : m_pool(poolBytes(128, 1033) / sizeof(std::uint64_t)), m_target{target, tag}
{
    initParser(m_pool.data(), 128, 1033, &m_parser, postParseReport, &m_target);
}

void SlotFeeder::feedWire(const QByteArray& wire)
{
    for (const char byte : wire)
        feedByte(static_cast<std::uint8_t>(byte), &m_parser);
}

void SlotFeeder::feed(const QByteArray& payload, std::uint8_t kind, std::uint8_t control, std::uint8_t sequence)
{
    feedWire(testsupport::wireFrame(kind, control, sequence, payload));
}

int SlotFeeder::freeSlots()
{
    int count = 0;
    for (std::uint16_t i = 0; i < m_parser.slotCount; ++i)
        count += slotAt(m_pool.data(), m_parser.slotDataSize, i)->state.load() == RxSlot::Free ? 1 : 0;
    return count;
}

void deliverPostedEvents()
{
    // Twice: the engine's handling posts to the receiver.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
}

bool mapPort(int port, const QString& path, const QString& settingsFile, QString& error)
{
    QFile file(settingsFile);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    file.write("[PORTS]\r\nCOM" + QByteArray::number(port) + '=' + path.toLocal8Bit() + "\r\n");
    file.close();
    platform::setPortMappingFile(settingsFile.toStdString());
    return true;
}

bool PtyPeer::open()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary directory");
        return false;
    }
    const QString link = m_dir.filePath(QStringLiteral("wrench"));
    if (!m_pty.open(link.toStdString())) {
        m_error = QString::fromStdString(m_pty.error());
        return false;
    }
    return mapPort(PortNumber, link, m_dir.filePath(QStringLiteral("ports.ini")), m_error);
}

bool PtyPeer::send(const QByteArray& payload, std::uint8_t kind, std::uint8_t control, std::uint8_t sequence)
{
    return sendRaw(testsupport::wireFrame(kind, control, sequence, payload));
}

bool PtyPeer::sendRaw(const QByteArray& wire)
{
    return m_pty.write(wire.constData(), static_cast<unsigned long>(wire.size())) == wire.size();
}

namespace {

// The far end's own reading of the frame format, independent of the parser
// under test: unstuff, then check XOR or CRC.
bool decodeFrame(const QByteArray& wire, ParsedFrame& parsed)
{
    QByteArray body;
    for (qsizetype i = 1; i + 1 < wire.size(); ++i) {
        if (wire[i] == frame::Escape && i + 2 < wire.size())
            ++i;
        body.append(wire[i]);
    }
    parsed.kind = static_cast<std::uint8_t>(wire[0]);
    const qsizetype checkBytes = parsed.kind == frame::StartXor ? 1 : 2;
    if (body.size() < 2 + checkBytes)
        return false;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(body.constData());
    const std::size_t covered = static_cast<std::size_t>(body.size() - checkBytes);
    if (parsed.kind == frame::StartXor) {
        if (xorSum(bytes, covered) != bytes[covered])
            return false;
    } else if (crc16(bytes, covered) != ((bytes[covered] << 8) | bytes[covered + 1])) {
        return false;
    }
    parsed.control = bytes[0];
    parsed.sequence = bytes[1];
    parsed.payload = body.mid(2, static_cast<qsizetype>(covered) - 2);
    parsed.wire = wire;
    return true;
}

} // namespace

const QList<ParsedFrame>& PtyPeer::frames()
{
    char buffer[4096];
    long got = 0;
    while ((got = m_pty.read(buffer, sizeof buffer)) > 0)
        m_pending.append(buffer, got);

    qsizetype start = -1;
    bool escaped = false;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(m_pending[i]);
        if (!escaped && (byte == frame::StartXor || byte == frame::StartCrc)) {
            start = i;
        } else if (start >= 0 && !escaped && byte == frame::End) {
            ParsedFrame parsed;
            if (decodeFrame(m_pending.mid(start, i - start + 1), parsed))
                m_frames.append(parsed);
            start = -1;
        }
        escaped = !escaped && start >= 0 && byte == frame::Escape;
    }
    // Only an unfinished frame is kept for the next read.
    if (start >= 0)
        m_pending.remove(0, start);
    else
        m_pending.clear();
    return m_frames;
}

QList<ParsedFrame> PtyPeer::framesWith(const char* mnemonic, int control)
{
    QList<ParsedFrame> found;
    for (const ParsedFrame& parsed : frames()) {
        if (parsed.payload.startsWith(mnemonic) && (control < 0 || parsed.control == control))
            found.append(parsed);
    }
    return found;
}

bool startMappedWrench(testsupport::WrenchProcess& wrench, const QStringList& options, const QString& binDir)
{
    return wrench.startReady(QStringList{QStringLiteral("--no-stdin")} + options, binDir)
        && mapPort(WrenchPort, wrench.link, QFileInfo(wrench.link).dir().filePath(QStringLiteral("ports.ini")),
                   wrench.error);
}
