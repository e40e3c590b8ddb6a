// Downloads the simulated wrench's parameter description list into the main
// window (offscreen, a fresh tool folder, so "Description.ini" starts empty)
// with the wrench paced at 57600 baud, and prints:
//   the download time (from the wrench reading the list request to the
//   tool's acknowledge of the list's end) against the time the wrench's bytes
//   need on the line (bytes / 5760 B/s), as a ratio;
//   the acknowledge turnaround during the download: from the last byte of
//   each wrench frame leaving the line to the tool's acknowledge, and the
//   time over the bound split into those waits and the rest;
//   what arrived: records, parameters in the model, entries written to
//   "Description.ini".
//
// paramlist_bench [descriptions]   (default 500)

#include "bench/benchsupport.h"
#include "app/tolvotool.h"
#include "params/qorbpidman.h"
#include "params/viewparam.h"
#include "tests/support/framelogreader.h"
#include "tests/window/windowtest.h"

#include <QEventLoop>
#include <QLoggingCategory>
#include <QProgressBar>
#include <QTextStream>
#include <QTreeWidget>

#include <functional>
#include <numeric>
#include <optional>

namespace {

constexpr int Baud = 57600;
constexpr double LineBytesPerSecond = Baud / 10.0; // start, 8 data bits, stop
constexpr int TimeoutMs = 10 * 60 * 1000;

using testsupport::LoggedFrame;

bool isListEnd(const LoggedFrame& frame)
{
    // "RST" numbered 0: the empty download that ends the list.
    return frame.direction == QLatin1String("tx") && frame.mnemonic == QLatin1String("RST")
        && frame.hex.join(QLatin1Char(' ')).contains(QLatin1String("52 53 54 00 00"));
}

struct Download {
    qint64 startUs = 0; // the wrench read the list request
    qint64 lastFrameUs = 0;
    qint64 endUs = 0;   // the tool acknowledged the list's end
    qint64 wireBytes = 0;
    int records = 0;
    std::vector<qint64> turnarounds;
};

// Empty while the log does not yet hold the acknowledge of the list's end.
std::optional<Download> measure(const std::vector<LoggedFrame>& log)
{
    Download d;
    std::size_t at = 0;
    while (at < log.size() && !(log[at].direction == QLatin1String("rx") && log[at].mnemonic == QLatin1String("RRQ")))
        ++at;
    if (at == log.size())
        return std::nullopt;
    d.startUs = log[at].timeUs;
    QString endSequence;
    bool listEnded = false;
    for (; at < log.size(); ++at) {
        const LoggedFrame& frame = log[at];
        if (frame.direction.startsWith(QLatin1String("tx")) && endSequence.isEmpty()) {
            d.wireBytes += frame.hex.size();
            d.lastFrameUs = frame.timeUs;
            d.records += frame.mnemonic == QLatin1String("RST") ? 1 : 0;
            listEnded = listEnded || isListEnd(frame);
            if (listEnded && frame.mnemonic == QLatin1String("RFI"))
                endSequence = frame.sequence;
        } else if (!endSequence.isEmpty() && frame.direction == QLatin1String("rx")
                   && frame.control == QLatin1String("80") && frame.sequence == endSequence) {
            d.endUs = frame.timeUs;
            break;
        }
    }
    if (d.endUs == 0)
        return std::nullopt;
    --d.records; // the list's end carries no record
    d.turnarounds = testsupport::ackTurnarounds(log, [&d](const LoggedFrame& frame) {
        return frame.timeUs >= d.startUs && frame.timeUs <= d.lastFrameUs;
    });
    return d;
}

int descriptionEntries(const QString& file)
{
    QFile ini(file);
    if (!ini.open(QIODevice::ReadOnly))
        return 0;
    int entries = 0;
    for (const QByteArray& line : ini.readAll().split('\n'))
        entries += line.startsWith("ID_") ? 1 : 0;
    return entries;
}

// Runs the event loop as the tool does until done() holds: no sleeping
// between rounds (QTest::qWaitFor sleeps 10 ms each), which would delay the
// tool's acknowledges.
bool runUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(20);
    if (!done())
        loop.exec();
    return done();
}

QString ms(qint64 us)
{
    return QString::number(static_cast<double>(us) / 1000.0, 'f', 2) + QStringLiteral(" ms");
}

} // namespace

int main(int argc, char* argv[])
{
    bench::preferOffscreen();
    QApplication application(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tolvo.*=false"));
    qputenv("TOLVO_BIN_DIR", QFile::encodeName(QCoreApplication::applicationDirPath()));
    QTextStream out(stdout);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 500;

    windowtest::ToolFolder folder;
    const QString descriptionFile = folder.filePath(QStringLiteral("Description.ini"));
    windowtest::Wrench wrench(folder);
    if (!wrench.startAsChosenPort(folder, QStringLiteral("COM42"),
                                  {QStringLiteral("--parameters"), QString::number(count), QStringLiteral("--baud"),
                                   QString::number(Baud), QStringLiteral("--no-stdin")})) {
        out << "the simulated wrench did not start: " << wrench.error << '\n';
        return 1;
    }
    windowtest::StyleObject style;
    windowtest::BoxWatcher user;
    int result = 0;
    {
        TolvoTool window;
        window.show();
        const bool freshDescriptions = !QFile::exists(descriptionFile);
        window.setOnline(true);
        std::optional<Download> download;
        bool receiving = false;
        const bool idleAgain = runUntil(
            [&] {
                receiving = receiving || window.deviceService().paramServiceState() == 1;
                return receiving && window.deviceService().paramServiceState() == -1;
            },
            TimeoutMs);
        const bool logged = idleAgain && runUntil([&] {
            download = measure(testsupport::parseFrameLog(wrench.logLines(), Baud));
            return download.has_value();
        }, windowtest::WaitMs);
        // Written at the end of the list; the time allowed is no measure.
        const bool written
            = logged && runUntil([&] { return descriptionEntries(descriptionFile) >= count; }, windowtest::WaitMs);
        const QorbPIDMan& model = *window.paramView()->model();
        if (!logged) {
            out << "the list did not arrive\n";
            result = 1;
        } else {
            const double seconds = static_cast<double>(download->endUs - download->startUs) / 1e6;
            const double bound = static_cast<double>(download->wireBytes) / LineBytesPerSecond;
            const std::vector<qint64>& t = download->turnarounds;
            // The wrench sends its next frame only once the last is
            // acknowledged: the line stands idle for every turnaround.
            const auto over = static_cast<qint64>((seconds - bound) * 1e6);
            const qint64 acknowledging = std::accumulate(t.begin(), t.end(), qint64{0});
            out << count << " descriptions at " << Baud << " baud: " << download->records << " records, "
                << download->wireBytes << " wrench bytes on the wire\n"
                << "  download " << QString::number(seconds, 'f', 3) << " s; line-rate bound "
                << QString::number(bound, 'f', 3) << " s; ratio " << QString::number(seconds / bound, 'f', 4)
                << " (goal <= 1.10)\n"
                << "  acknowledge turnaround over " << t.size() << " frames: median "
                << ms(testsupport::percentile(t, 0.5)) << ", 99th percentile "
                << ms(testsupport::percentile(t, 0.99)) << " (goal <= 20 ms), longest "
                << ms(t.empty() ? 0 : t.back()) << '\n'
                << "  time over the bound " << ms(over) << ": waiting for the tool's acknowledges "
                << ms(acknowledging) << ", the rest (the wrench's own reaction to them) "
                << ms(over - acknowledging) << '\n'
                << "  model: " << windowtest::parameterItems(model) << " parameters; progress bar maximum "
                << window.paramView()->progressBar()->maximum() << "; Description.ini "
                << (freshDescriptions ? "fresh" : "NOT fresh") << ", now " << descriptionEntries(descriptionFile)
                << " parameter entries\n";
        }
        for (const windowtest::SeenBox& box : user.boxes)
            out << "  message box: " << box.title << ": " << box.text << '\n';
        result = result != 0 || !written || !user.boxes.isEmpty() ? 1 : 0;
    }
    wrench.stop();
    return result;
}
