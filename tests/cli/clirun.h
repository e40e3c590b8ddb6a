#pragma once

// tolvo-cli as a child process against the simulated wrench: a folder with a
// settings file that maps COM42 to the wrench's link and keeps the archive.

#include "tests/support/wrenchprocess.h"
#include "filebytes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace clitest {

constexpr int RunMs = 60000;

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class CliFolder
{
public:
    CliFolder() : wrench(dir.path()) {}

    QString filePath(const QString& name) const { return dir.filePath(name); }
    QString settingsFile() const { return dir.filePath(QStringLiteral("TolvoTool.ini")); }
    QString archiveFile() const { return dir.filePath(QStringLiteral("archive.sqlite")); }
    // The settings file, CR LF as the tool writes it, with archive's lines
    // as its "ARCHIVE" section.
    bool writeSettings(const QString& lines) const
    {
        QFile file(settingsFile());
        QString text = lines + QStringLiteral("[ARCHIVE]\n") + archive;
        return file.open(QIODevice::WriteOnly) && file.write(text.replace(QLatin1String("\n"), QLatin1String("\r\n")).toUtf8()) >= 0;
    }
    // English unless setup names another language.
    bool mapWrench(const QString& setup = QStringLiteral("LANGUAGE=ENGLISH\n")) const
    {
        return writeSettings(QStringLiteral("[SETUP]\n") + setup + QStringLiteral("[PORTS]\nCOM42=") + wrench.link
                             + QLatin1Char('\n'));
    }

    CliRun run(const QStringList& arguments) const
    {
        QProcess process;
        process.setProgram(QDir(qEnvironmentVariable("TOLVO_BIN_DIR")).filePath(QStringLiteral("tolvo-cli")));
        process.setArguments(QStringList{QStringLiteral("--settings"), settingsFile()} + arguments);
        process.start();
        CliRun result;
        if (!process.waitForFinished(RunMs) || process.exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = process.exitCode();
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    // A run that connects, after which the wrench is ready again: it gives
    // every new connection a fresh terminal behind its link.
    CliRun runConnected(const QStringList& arguments)
    {
        const int ready = wrench.count(QStringLiteral("ready "));
        CliRun result = run(arguments);
        if (!QTest::qWaitFor([this, ready] { return wrench.saw(QStringLiteral("ready "), ready + 1); },
                             testsupport::WrenchProcess::WaitMs))
            result.err += QStringLiteral("the wrench did not come back after the run");
        return result;
    }

    QTemporaryDir dir;
    testsupport::WrenchProcess wrench;
    // Never the archive beside the programs, which every test would share.
    QString archive = QStringLiteral("FILE=") + archiveFile() + QLatin1Char('\n');
};

} // namespace clitest
