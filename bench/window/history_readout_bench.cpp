// Reads the simulated wrench's history through the real main window on a
// pseudo-terminal, pressing Read as the user does, and prints:
//   unthrottled: the time from Read to the report shown and the tool's peak
//   memory afterwards (goal <= 100 MB for 10,000 records);
//   throttled to 57600 baud: that time against the time the wrench's bytes of
//   the readout need on the line (bytes / 5760 B/s), goal <= 1.05;
//   the same readout by the window and by tolvo-cli side by side, each timed
//   on the wrench's frame log from the history request to the tool's
//   acknowledge of the last block.
//
// history_readout_bench [--records N] [--throttled-records N]

#include "bench/benchsupport.h"
#include "app/paths.h"
#include "app/tolvotool.h"
#include "history/viewhistory.h"
#include "platform/ports.h"
#include "platform/profile.h"
#include "ui/styletemplate.h"
#include "framelogreader.h"
#include "wrenchprocess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include <cstdio>

namespace {

constexpr int ThrottledBaud = 57600;
constexpr double LineBytesPerSecond = ThrottledBaud / 10.0; // start, 8 data bits, stop
constexpr int ReadoutMs = 30 * 60 * 1000;

struct Readout {
    bool ok = false;
    double seconds = 0;
    qint64 wireBytes = 0;
    // On the wrench's clock: the history request read to the last block acknowledged.
    double loggedSeconds = 0;
};

void setting(const QString& file, const char* section, const char* key, const QString& value)
{
    platform::writeProfileString(QFile::encodeName(file).toStdString(), section, key, value.toStdString());
}

// Runs the event loop until done: unlike QTest::qWaitFor, which sleeps
// between its checks, it answers the wrench's blocks at once.
bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

// The wrench's bytes from the history's start announcement to its end.
qint64 historyWireBytes(const testsupport::WrenchProcess& wrench)
{
    qint64 bytes = 0;
    bool inHistory = false;
    for (const QStringList& frame : wrench.frames()) {
        if (!frame[0].startsWith(QLatin1String("tx")))
            continue;
        // "RST", then the number 0xFFF0 as sent.
        inHistory = inHistory || frame.join(QLatin1Char(' ')).contains(QLatin1String(" 52 53 54 FF F0"));
        if (inHistory)
            bytes += frame.size() - 5;
        if (inHistory && frame[3] == QLatin1String("RFI"))
            break;
    }
    return bytes;
}

// Seconds from the wrench reading the history request to the tool's
// acknowledge of the history's last frame; 0 when the log lacks either.
double loggedReadoutSeconds(const testsupport::WrenchProcess& wrench, int baud)
{
    const std::vector<testsupport::LoggedFrame> log = testsupport::parseFrameLog(wrench.logLines(), baud);
    qint64 startUs = 0;
    QString lastSequence;
    for (const testsupport::LoggedFrame& frame : log) {
        const QString bytes = frame.hex.join(QLatin1Char(' '));
        if (startUs == 0) {
            if (frame.direction == QLatin1String("rx") && bytes.contains(QLatin1String("52 52 51 FF F0")))
                startUs = frame.timeUs;
        } else if (frame.direction == QLatin1String("tx") && frame.mnemonic == QLatin1String("RFI")) {
            lastSequence = frame.sequence;
        } else if (!lastSequence.isEmpty() && frame.direction == QLatin1String("rx")
                   && frame.control == QLatin1String("80") && frame.sequence == lastSequence) {
            return static_cast<double>(frame.timeUs - startUs) / 1e6;
        }
    }
    return 0;
}

bool startWrench(testsupport::WrenchProcess& wrench, const QString& settings, int records,
                 const QStringList& wrenchOptions)
{
    setting(settings, "SETUP", "LANGUAGE", QStringLiteral("ENGLISH"));
    setting(settings, "SETUP", "FAVORITE_PORT", QStringLiteral("COM42"));
    setting(settings, "PORTS", "COM42", wrench.link);
    if (wrench.startReady(QStringList{QStringLiteral("--no-stdin"), QStringLiteral("--history-count"),
                                      QString::number(records)}
                              + wrenchOptions,
                          QCoreApplication::applicationDirPath()))
        return true;
    std::fprintf(stderr, "wrench: %s\n", qPrintable(wrench.error));
    return false;
}

// tolvo-cli's history, as a script runs it.
Readout readThroughCli(int records, const QStringList& wrenchOptions, int baud)
{
    Readout result;
    QTemporaryDir folder;
    const QString settings = folder.filePath(QStringLiteral("TolvoTool.ini"));
    testsupport::WrenchProcess wrench(folder.path());
    if (!startWrench(wrench, settings, records, wrenchOptions))
        return result;
    QProcess cli;
    cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tolvo-cli"),
              {QStringLiteral("--settings"), settings, QStringLiteral("history"), QStringLiteral("--port"),
               QStringLiteral("COM42"), QStringLiteral("--txt"), folder.filePath(QStringLiteral("report.txt"))});
    if (!cli.waitForFinished(ReadoutMs) || cli.exitCode() != 0) {
        std::fprintf(stderr, "tolvo-cli: %s\n", cli.readAllStandardError().constData());
        return result;
    }
    wrench.stop();
    result.wireBytes = historyWireBytes(wrench);
    result.loggedSeconds = loggedReadoutSeconds(wrench, baud);
    result.ok = result.loggedSeconds > 0;
    return result;
}

Readout readThroughWindow(int records, const QStringList& wrenchOptions, int baud)
{
    Readout result;
    QTemporaryDir folder;
    const QString startPath = folder.filePath(QStringLiteral("TolvoTool"));
    const QString settings = paths::settingsFile(startPath);
    testsupport::WrenchProcess wrench(folder.path());
    paths::setStartPath(startPath);
    platform::setPortMappingFile(QFile::encodeName(settings).toStdString());
    if (!startWrench(wrench, settings, records, wrenchOptions))
        return result;
    {
        TolvoTool window;
        window.show();
        window.setOnline(true);
        if (!waitUntil([&] { return window.serialNumber() == QLatin1String("TW2000123"); }, 60000)) {
            std::fprintf(stderr, "the window did not read the identity\n");
            return result;
        }
        ViewHistory* view = window.historyView();
        QElapsedTimer clock;
        clock.start();
        window.findChild<QPushButton*>(QStringLiteral("pushButtonRead"))->click();
        if (!waitUntil([&] { return !view->isReading(); }, ReadoutMs) || view->reports().text.isEmpty()) {
            std::fprintf(stderr, "the readout did not finish\n");
            return result;
        }
        result.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        window.setOnline(false);
    }
    wrench.stop();
    result.wireBytes = historyWireBytes(wrench);
    result.loggedSeconds = loggedReadoutSeconds(wrench, baud);
    result.ok = true;
    return result;
}

} // namespace

int main(int argc, char* argv[])
{
    bench::preferOffscreen();
    QApplication application(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tolvo.*=false"));
    const QStringList arguments = QCoreApplication::arguments();
    const int records = bench::option(arguments, QStringLiteral("--records"), 10000);
    const int throttledRecords = bench::option(arguments, QStringLiteral("--throttled-records"), 2000);

    QTemporaryDir styleFolder;
    bool styleLoaded = false;
    StyleTemplate style(styleFolder.path() + QLatin1Char('/'), styleFolder.filePath(QStringLiteral("none.sty")),
                        &styleLoaded);
    StyleTemplate::setInstance(&style);

    const Readout fast = readThroughWindow(records, {}, 0);
    if (fast.ok)
        std::printf("unthrottled: %d records from Read to the report shown in %.2f s; peak memory %.1f MB "
                    "(goal <= 100 MB)\n",
                    records, fast.seconds, bench::peakMegabytes());
    const QStringList throttled{QStringLiteral("--baud"), QString::number(ThrottledBaud)};
    const Readout slow = readThroughWindow(throttledRecords, throttled, ThrottledBaud);
    const Readout cli = readThroughCli(throttledRecords, throttled, ThrottledBaud);
    if (slow.ok) {
        const double bound = static_cast<double>(slow.wireBytes) / LineBytesPerSecond;
        std::printf("throttled to %d baud: %d records in %.2f s; line-rate bound %lld B / %.0f B/s = %.2f s; "
                    "ratio %.4f (goal <= 1.05)\n",
                    ThrottledBaud, throttledRecords, slow.seconds, static_cast<long long>(slow.wireBytes),
                    LineBytesPerSecond, bound, slow.seconds / bound);
    }
    for (const auto& [who, readout] : {std::pair{"window", &slow}, std::pair{"tolvo-cli", &cli}}) {
        if (!readout->ok)
            continue;
        const double bound = static_cast<double>(readout->wireBytes) / LineBytesPerSecond;
        std::printf("  %-9s request to last block acknowledged %.2f s; bound %.2f s; ratio %.4f (goal <= 1.05)\n",
                    who, readout->loggedSeconds, bound, readout->loggedSeconds / bound);
    }
    StyleTemplate::setInstance(nullptr);
    paths::setStartPath(QString());
    platform::setPortMappingFile(std::string());
    return fast.ok && slow.ok && cli.ok ? 0 : 1;
}
