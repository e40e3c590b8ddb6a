// Reads the simulated wrench's history through the real main window on a
// pseudo-terminal, pressing Read as the user does, and prints:
//   unthrottled: the time from Read to the report shown and the tool's peak
//   memory afterwards (goal <= 100 MB for 10,000 records);
//   throttled to 57600 baud: that time against the time the wrench's bytes of
//   the readout need on the line (bytes / 5760 B/s), goal <= 1.05.
//
// history_readout_bench [--records N] [--throttled-records N]

#include "bench/benchsupport.h"
#include "app/paths.h"
#include "app/tolvotool.h"
#include "history/viewhistory.h"
#include "platform/ports.h"
#include "platform/profile.h"
#include "ui/styletemplate.h"
#include "wrenchprocess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
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

Readout readThroughWindow(int records, const QStringList& wrenchOptions)
{
    Readout result;
    QTemporaryDir folder;
    const QString startPath = folder.filePath(QStringLiteral("TolvoTool"));
    const QString settings = paths::settingsFile(startPath);
    testsupport::WrenchProcess wrench(folder.path());
    paths::setStartPath(startPath);
    setting(settings, "SETUP", "LANGUAGE", QStringLiteral("ENGLISH"));
    setting(settings, "SETUP", "FAVORITE_PORT", QStringLiteral("COM42"));
    setting(settings, "PORTS", "COM42", wrench.link);
    platform::setPortMappingFile(QFile::encodeName(settings).toStdString());
    if (!wrench.startReady(QStringList{QStringLiteral("--no-stdin"), QStringLiteral("--history-count"),
                                       QString::number(records)}
                               + wrenchOptions,
                           QCoreApplication::applicationDirPath())) {
        std::fprintf(stderr, "wrench: %s\n", qPrintable(wrench.error));
        return result;
    }
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

    const Readout fast = readThroughWindow(records, {});
    if (fast.ok)
        std::printf("unthrottled: %d records from Read to the report shown in %.2f s; peak memory %.1f MB "
                    "(goal <= 100 MB)\n",
                    records, fast.seconds, bench::peakMegabytes());
    const Readout slow =
        readThroughWindow(throttledRecords, {QStringLiteral("--baud"), QString::number(ThrottledBaud)});
    if (slow.ok) {
        const double bound = static_cast<double>(slow.wireBytes) / LineBytesPerSecond;
        std::printf("throttled to %d baud: %d records in %.2f s; line-rate bound %lld B / %.0f B/s = %.2f s; "
                    "ratio %.4f (goal <= 1.05)\n",
                    ThrottledBaud, throttledRecords, slow.seconds, static_cast<long long>(slow.wireBytes),
                    LineBytesPerSecond, bound, slow.seconds / bound);
    }
    StyleTemplate::setInstance(nullptr);
    paths::setStartPath(QString());
    platform::setPortMappingFile(std::string());
    return fast.ok && slow.ok ? 0 : 1;
}
