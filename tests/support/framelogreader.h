#pragma once

// The simulated wrench's frame log (--log) read back for the benchmarks:
// "<microseconds> <direction> <control> <sequence> <mnemonic> <length> <hex...>".

#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace testsupport {

struct LoggedFrame {
    qint64 timeUs = 0; // when the wrench sent it, or read it
    QString direction;
    QString control;
    QString sequence;
    QString mnemonic;
    QStringList hex;  // the frame as on the wire
    qint64 endUs = 0; // sent frames: when the last byte has left the line
};

// baud: the rate the wrench paced its output at (--baud), 0 for none. The
// wrench queues a frame behind the bytes still on the line, ten bit times a
// byte, as a serial line does.
inline std::vector<LoggedFrame> parseFrameLog(const QStringList& lines, int baud = 0)
{
    const qint64 byteNs = baud > 0 ? 10 * qint64{1000000000} / baud : 0;
    qint64 lineBusyUntilNs = 0;
    std::vector<LoggedFrame> parsed;
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() < 7)
            continue;
        LoggedFrame frame{fields[0].toLongLong(), fields[1], fields[2], fields[3], fields[4], fields.mid(6), 0};
        frame.endUs = frame.timeUs;
        if (frame.direction.startsWith(QLatin1String("tx")) && byteNs > 0) {
            lineBusyUntilNs = std::max(lineBusyUntilNs, frame.timeUs * 1000) + frame.hex.size() * byteNs;
            frame.endUs = (lineBusyUntilNs + 999) / 1000;
        }
        parsed.push_back(frame);
    }
    return parsed;
}

// Microseconds from the end of each frame the wrench sent asking for an
// acknowledge (and that counts selects) to the tool's acknowledge of it,
// sorted. A frame sent again counts from its last sending.
inline std::vector<qint64> ackTurnarounds(const std::vector<LoggedFrame>& log,
                                          const std::function<bool(const LoggedFrame&)>& counts)
{
    std::map<QString, qint64> sentAt; // by sequence
    std::vector<qint64> turnarounds;
    for (const LoggedFrame& frame : log) {
        if (frame.direction == QLatin1String("tx") && frame.control == QLatin1String("20") && counts(frame)) {
            sentAt[frame.sequence] = frame.endUs;
        } else if (frame.direction == QLatin1String("rx") && frame.control == QLatin1String("80")
                   && frame.mnemonic == QLatin1String("ACK")) {
            const auto found = sentAt.find(frame.sequence);
            if (found != sentAt.end()) {
                turnarounds.push_back(frame.timeUs - found->second);
                sentAt.erase(found);
            }
        }
    }
    std::sort(turnarounds.begin(), turnarounds.end());
    return turnarounds;
}

inline qint64 percentile(const std::vector<qint64>& sorted, double fraction)
{
    if (sorted.empty())
        return 0;
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

} // namespace testsupport
