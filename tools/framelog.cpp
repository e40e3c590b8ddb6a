#include "tools/framelog.h"

namespace wrench {

namespace {

QLatin1String directionName(FrameLogEntry::Direction direction)
{
    switch (direction) {
    case FrameLogEntry::Sent:
        return QLatin1String("tx");
    case FrameLogEntry::SentCorrupted:
        return QLatin1String("tx-corrupt");
    case FrameLogEntry::Received:
        return QLatin1String("rx");
    case FrameLogEntry::CheckFailed:
        return QLatin1String("rx-bad");
    case FrameLogEntry::Abandoned:
        break;
    }
    return QLatin1String("rx-cut");
}

QString hexByte(quint8 byte)
{
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString formatLogLine(const FrameLogEntry& entry)
{
    const bool known = entry.direction != FrameLogEntry::CheckFailed
        && entry.direction != FrameLogEntry::Abandoned;
    const QString unknown = QStringLiteral("--");
    QString mnemonic = QString::fromLatin1(entry.mnemonic);
    if (mnemonic.isEmpty())
        mnemonic = QStringLiteral("---");
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(entry.timeUs)
        .arg(directionName(entry.direction))
        .arg(known ? hexByte(entry.control) : unknown, known ? hexByte(entry.sequence) : unknown,
             mnemonic)
        .arg(entry.payloadLength)
        .arg(QString::fromLatin1(entry.wire.toHex(' ').toUpper()));
}

} // namespace wrench
