// Connects the main window to the simulated wrench (found beside this
// program), leaves it alone and prints the CPU time the tool's process used
// meanwhile, in total and by thread.
#include "bench/benchsupport.h"
#include "app/paths.h"
#include "app/tolvotool.h"
#include "platform/ports.h"
#include "platform/profile.h"
#include "ui/styletemplate.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <functional>

#include <unistd.h>

namespace {

// User plus system seconds from a /proc stat file.
double cpuSeconds(const QString& statFile)
{
    QFile stat(statFile);
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

QMap<QString, double> threadSeconds()
{
    QMap<QString, double> seconds;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& id : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(id) + QStringLiteral("/comm"));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        const QString name = QString::fromLatin1(comm.readAll().trimmed()) + QLatin1Char('/') + id;
        seconds[name] = cpuSeconds(tasks.filePath(id) + QStringLiteral("/stat"));
    }
    return seconds;
}

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

void writeSetting(const QString& file, const char* section, const char* key, const QString& value)
{
    platform::writeProfileString(QFile::encodeName(file).toStdString(), section, key, value.toStdString());
}

} // namespace

int main(int argc, char* argv[])
{
    bench::preferOffscreen();
    QApplication application(argc, argv);
    QTextStream out(stdout);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 10;

    QTemporaryDir folder;
    const QString startPath = folder.filePath(QStringLiteral("TolvoTool"));
    const QString settings = paths::settingsFile(startPath);
    const QString link = folder.filePath(QStringLiteral("wrench"));
    paths::setStartPath(startPath);
    writeSetting(settings, "SETUP", "LANGUAGE", QStringLiteral("ENGLISH"));
    writeSetting(settings, "SETUP", "FAVORITE_PORT", QStringLiteral("COM42"));
    writeSetting(settings, "PORTS", "COM42", link);
    platform::setPortMappingFile(QFile::encodeName(settings).toStdString());

    QProcess wrench;
    wrench.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tolvo-wrench"),
                 {QStringLiteral("--link"), link, QStringLiteral("--no-stdin")});
    QByteArray wrenchOutput;
    if (!waitFor([&] { return (wrenchOutput += wrench.readAllStandardOutput()).contains("ready"); }, 10000)) {
        out << "the simulated wrench did not start: " << wrenchOutput << wrench.readAllStandardError() << '\n';
        return 1;
    }

    bool styleLoaded = false;
    StyleTemplate style(folder.path() + QLatin1Char('/'), folder.filePath(QStringLiteral("none.sty")),
                        &styleLoaded);
    StyleTemplate::setInstance(&style);
    int result = 0;
    {
        TolvoTool window;
        window.show();
        window.setOnline(true);
        auto* status = window.findChild<QLabel*>(QStringLiteral("labelCommunication"));
        if (!waitFor([&] { return window.messageService().connected() && status->text().contains(QLatin1String("TOLVO")); },
                     10000)) {
            out << "the window did not connect\n";
            result = 1;
        } else {
            waitFor([] { return false; }, 1000); // settle
            const double before = cpuSeconds(QStringLiteral("/proc/self/stat"));
            const QMap<QString, double> threadsBefore = threadSeconds();
            QElapsedTimer clock;
            clock.start();
            QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &application, &QCoreApplication::quit);
            QApplication::exec();
            const double wall = static_cast<double>(clock.elapsed()) / 1000.0;
            const double used = cpuSeconds(QStringLiteral("/proc/self/stat")) - before;
            out << QStringLiteral("connected and idle for %1 s: %2 ms CPU, %3 % of one core\n")
                       .arg(wall, 0, 'f', 1)
                       .arg(used * 1000.0, 0, 'f', 0)
                       .arg(100.0 * used / wall, 0, 'f', 2);
            const QMap<QString, double> threadsAfter = threadSeconds();
            for (auto it = threadsAfter.cbegin(); it != threadsAfter.cend(); ++it)
                out << QStringLiteral("  %1: %2 ms\n").arg(it.key(), -28).arg(
                    (it.value() - threadsBefore.value(it.key())) * 1000.0, 0, 'f', 0);
            if (!window.isOnline() || !window.messageService().isOpen()) {
                out << "the connection did not last\n";
                result = 1;
            }
        }
    }
    StyleTemplate::setInstance(nullptr);
    wrench.terminate();
    wrench.waitForFinished();
    return result;
}
