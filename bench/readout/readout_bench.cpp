// Reads a generated history out of the simulated wrench through the engine
// and the message service and prints:
//   unthrottled: records per second, median and 99th-percentile acknowledge
//   turnaround (the wrench's block leaving to the tool's ACK arriving, from
//   the wrench's frame log);
//   throttled to 57600 baud: readout time against the time the wrench's
//   bytes need on the line (bytes / 5760 B/s), as a ratio.
//
// readout_bench [--records N] [--throttled-records N]

#include "protocoltest.h"

#include "protocol/kapsmessage.h"
#include "protocol/qkapsmsgio.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

constexpr int ThrottledBaud = 57600;
constexpr double LineBytesPerSecond = ThrottledBaud / 10.0; // start, 8 data bits, stop
constexpr int TimeoutMs = 30 * 60 * 1000;

struct Readout {
    bool ok = false;
    double seconds = 0;
    QStringList log;
};

Readout readHistory(int records, const QStringList& faults)
{
    Readout result;
    testsupport::WrenchProcess wrench;
    if (!startMappedWrench(wrench, QStringList{QStringLiteral("--history-count"), QString::number(records)} + faults,
                           QCoreApplication::applicationDirPath())) {
        std::fprintf(stderr, "wrench: %s\n", qPrintable(wrench.error));
        return result;
    }
    EventRecorder receiver;
    QKapsMsgIO io;
    if (!io.open(&receiver, WrenchPort, 115200)
        || !receiver.waitFor(kaps::Identification, 1, 10000)) {
        std::fprintf(stderr, "no connection to the wrench\n");
        return result;
    }
    QElapsedTimer clock;
    clock.start();
    io.requestRecords(0xFFF0);
    if (!receiver.waitFor(kaps::TransferEnd, 1, TimeoutMs)) {
        std::fprintf(stderr, "the readout did not finish\n");
        return result;
    }
    result.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const QByteArray bytes = receiver.ofType(kaps::TransferEnd).constFirst().bytes;
    io.close();
    wrench.stop();
    result.log = wrench.logLines();
    result.ok = bytes.size() == records * 64;
    if (!result.ok)
        std::fprintf(stderr, "received %lld bytes instead of %d\n", static_cast<long long>(bytes.size()),
                     records * 64);
    return result;
}

struct LogLine {
    qint64 timeUs = 0;
    QString direction;
    QString control;
    QString sequence;
    QString mnemonic;
    qint64 wireBytes = 0;
};

std::vector<LogLine> parseLog(const QStringList& lines)
{
    std::vector<LogLine> parsed;
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() < 7)
            continue;
        // The wire bytes follow as separate hex pairs.
        parsed.push_back(LogLine{fields[0].toLongLong(), fields[1], fields[2], fields[3], fields[4],
                                 fields.size() - 6});
    }
    return parsed;
}

// Microseconds from each block going out to the tool's acknowledge of it.
std::vector<qint64> ackTurnarounds(const std::vector<LogLine>& log)
{
    std::map<QString, qint64> sentAt; // by sequence, the latest send
    std::vector<qint64> turnarounds;
    for (const LogLine& line : log) {
        if (line.direction == QLatin1String("tx") && line.mnemonic == QLatin1String("RRN")) {
            sentAt[line.sequence] = line.timeUs;
        } else if (line.direction == QLatin1String("rx") && line.control == QLatin1String("80")
                   && line.mnemonic == QLatin1String("ACK")) {
            const auto found = sentAt.find(line.sequence);
            if (found != sentAt.end()) {
                turnarounds.push_back(line.timeUs - found->second);
                sentAt.erase(found);
            }
        }
    }
    std::sort(turnarounds.begin(), turnarounds.end());
    return turnarounds;
}

qint64 percentile(const std::vector<qint64>& sorted, double fraction)
{
    if (sorted.empty())
        return 0;
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

// The wrench's bytes of the readout: from the start announcement to the end.
qint64 readoutWireBytes(const std::vector<LogLine>& log)
{
    qint64 bytes = 0;
    bool inReadout = false;
    for (const LogLine& line : log) {
        if (!line.direction.startsWith(QLatin1String("tx")))
            continue;
        inReadout = inReadout || line.mnemonic == QLatin1String("RST");
        if (inReadout)
            bytes += line.wireBytes;
        if (line.mnemonic == QLatin1String("RFI"))
            break;
    }
    return bytes;
}

int optionValue(const QStringList& arguments, const QString& name, int fallback)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1].toInt() : fallback;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tolvo.*=false"));
    const QStringList arguments = QCoreApplication::arguments();
    const int records = optionValue(arguments, QStringLiteral("--records"), 10000);
    const int throttledRecords = optionValue(arguments, QStringLiteral("--throttled-records"), records);
    QTextStream out(stdout);

    const Readout fast = readHistory(records, {});
    if (!fast.ok)
        return 1;
    const std::vector<qint64> turnarounds = ackTurnarounds(parseLog(fast.log));
    out << "unthrottled: " << records << " records in " << QString::number(fast.seconds, 'f', 3) << " s, "
        << QString::number(records / fast.seconds, 'f', 0) << " records/s\n"
        << "ACK turnaround over " << turnarounds.size() << " blocks: median "
        << percentile(turnarounds, 0.5) << " us, 99th percentile " << percentile(turnarounds, 0.99)
        << " us\n";
    out.flush();

    const Readout slow = readHistory(throttledRecords, {QStringLiteral("--baud"), QString::number(ThrottledBaud)});
    if (!slow.ok)
        return 1;
    const qint64 wireBytes = readoutWireBytes(parseLog(slow.log));
    const double bound = static_cast<double>(wireBytes) / LineBytesPerSecond;
    out << "throttled to " << ThrottledBaud << " baud: " << throttledRecords << " records in "
        << QString::number(slow.seconds, 'f', 2) << " s; line-rate bound " << wireBytes << " B / "
        << LineBytesPerSecond << " B/s = " << QString::number(bound, 'f', 2) << " s; ratio "
        << QString::number(slow.seconds / bound, 'f', 4) << " (goal <= 1.05)\n";
    return 0;
}
