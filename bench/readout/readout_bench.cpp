// Reads a generated history out of the simulated wrench through the engine
// and the message service and prints:
//   unthrottled: records per second, median and 99th-percentile acknowledge
//   turnaround (the wrench's block leaving to the tool's ACK arriving, from
//   the wrench's frame log);
//   throttled to 57600 baud: readout time against the time the wrench's
//   bytes need on the line (bytes / 5760 B/s), as a ratio.
//
// readout_bench [--records N] [--throttled-records N]

#include "bench/benchsupport.h"
#include "protocoltest.h"

#include "protocol/kapsmessage.h"
#include "protocol/qkapsmsgio.h"
#include "tests/support/framelogreader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>
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

// The wrench's bytes of the readout: from the start announcement to the end.
qint64 readoutWireBytes(const std::vector<testsupport::LoggedFrame>& log)
{
    qint64 bytes = 0;
    bool inReadout = false;
    for (const testsupport::LoggedFrame& line : log) {
        if (!line.direction.startsWith(QLatin1String("tx")))
            continue;
        inReadout = inReadout || line.mnemonic == QLatin1String("RST");
        if (inReadout)
            bytes += line.hex.size();
        if (line.mnemonic == QLatin1String("RFI"))
            break;
    }
    return bytes;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tolvo.*=false"));
    const QStringList arguments = QCoreApplication::arguments();
    const int records = bench::option(arguments, QStringLiteral("--records"), 10000);
    const int throttledRecords = bench::option(arguments, QStringLiteral("--throttled-records"), records);
    QTextStream out(stdout);

    const Readout fast = readHistory(records, {});
    if (!fast.ok)
        return 1;
    const std::vector<qint64> turnarounds = testsupport::ackTurnarounds(
        testsupport::parseFrameLog(fast.log),
        [](const testsupport::LoggedFrame& frame) { return frame.mnemonic == QLatin1String("RRN"); });
    out << "unthrottled: " << records << " records in " << QString::number(fast.seconds, 'f', 3) << " s, "
        << QString::number(records / fast.seconds, 'f', 0) << " records/s\n"
        << "ACK turnaround over " << turnarounds.size() << " blocks: median "
        << testsupport::percentile(turnarounds, 0.5) << " us, 99th percentile " << testsupport::percentile(turnarounds, 0.99)
        << " us\n";
    out.flush();

    const Readout slow = readHistory(throttledRecords, {QStringLiteral("--baud"), QString::number(ThrottledBaud)});
    if (!slow.ok)
        return 1;
    const qint64 wireBytes = readoutWireBytes(testsupport::parseFrameLog(slow.log));
    const double bound = static_cast<double>(wireBytes) / LineBytesPerSecond;
    out << "throttled to " << ThrottledBaud << " baud: " << throttledRecords << " records in "
        << QString::number(slow.seconds, 'f', 2) << " s; line-rate bound " << wireBytes << " B / "
        << LineBytesPerSecond << " B/s = " << QString::number(bound, 'f', 2) << " s; ratio "
        << QString::number(slow.seconds / bound, 'f', 4) << " (goal <= 1.05)\n";
    return 0;
}
