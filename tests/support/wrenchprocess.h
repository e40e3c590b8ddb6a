#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace testsupport {

// The simulated wrench (tolvo-wrench) as a child process: its pseudo-terminal
// link and frame log in folder (a temporary one of its own when empty), its
// output collected line by line, its stderr passed through.
class WrenchProcess {
    QTemporaryDir m_ownDir;

public:
    static constexpr int WaitMs = 10000;

    explicit WrenchProcess(const QString& folder = QString())
        : link(pathIn(folder, "wrench")), logFile(pathIn(folder, "frames.log"))
    {
    }
    ~WrenchProcess() { stop(); }

    // Bytes of frames the tool sends: the history's request, and the
    // readout code 583019 (least significant byte first) written to
    // parameter 5.
    static inline const QString historyRequest = QStringLiteral("52 52 51 FF F0");
    static inline const QString readoutCodeWrite = QStringLiteral("44 53 50 00 05 00 04 6B E5 08 00");

    static QString program(const QString& binDir = QString())
    {
        return QDir(binDir.isEmpty() ? qEnvironmentVariable("TOLVO_BIN_DIR") : binDir)
            .filePath(QStringLiteral("tolvo-wrench"));
    }
    // With the link, the log and options; binDir empty: $TOLVO_BIN_DIR.
    bool start(const QStringList& options = {}, const QString& binDir = QString())
    {
        process.setProgram(program(binDir));
        process.setArguments(QStringList{QStringLiteral("--link"), link, QStringLiteral("--log"), logFile}
                             + options);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start();
        if (process.waitForStarted(WaitMs))
            return true;
        error = process.program() + QStringLiteral(": ") + process.errorString();
        return false;
    }
    // Starts and waits for the "ready" line.
    bool startReady(const QStringList& options = {}, const QString& binDir = QString())
    {
        if (!start(options, binDir))
            return false;
        if (QTest::qWaitFor([this] { return saw(QStringLiteral("ready ")); }, WaitMs))
            return true;
        error = QStringLiteral("the wrench never became ready");
        return false;
    }
    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(WaitMs))
            process.kill();
        process.waitForFinished(WaitMs);
    }
    bool command(const QByteArray& line)
    {
        process.write(line + '\n');
        return process.waitForBytesWritten(WaitMs);
    }
    // Complete output lines that start with prefix; reads but never consumes.
    int count(const QString& prefix)
    {
        output += QString::fromUtf8(process.readAllStandardOutput());
        const QStringList lines = output.split(QLatin1Char('\n'));
        int found = 0;
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            found += lines[i].startsWith(prefix) ? 1 : 0;
        return found;
    }
    bool saw(const QString& prefix, int times = 1) { return count(prefix) >= times; }

    // Frame log lines "<us> <dir> <control> <sequence> <mnemonic> <length> <hex>".
    QStringList logLines() const
    {
        QFile log(logFile);
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // The log lines' fields after the time.
    QList<QStringList> frames() const
    {
        QList<QStringList> result;
        for (const QString& line : logLines()) {
            QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (fields.size() >= 6) {
                fields.removeFirst();
                result.append(fields);
            }
        }
        return result;
    }
    // Indexes into frames() of those sent the given way ("rx": by the tool)
    // with that mnemonic, all from one reading of the log.
    QList<qsizetype> framesOf(const char* direction, const char* mnemonic) const
    {
        return framesWhere(direction, [mnemonic](const QStringList& frame) {
            return frame[3] == QLatin1String(mnemonic);
        });
    }
    // The same for those whose bytes contain bytes ("52 52 51 FF F0").
    QList<qsizetype> framesWith(const char* direction, const QString& bytes) const
    {
        return framesWhere(direction, [&bytes](const QStringList& frame) {
            return frame.join(QLatin1Char(' ')).contains(bytes);
        });
    }

    QProcess process;
    QString output;
    QString error;
    const QString link;
    const QString logFile;

private:
    template <typename Match>
    QList<qsizetype> framesWhere(const char* direction, Match matches) const
    {
        const QList<QStringList> all = frames();
        QList<qsizetype> found;
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (all[i][0] == QLatin1String(direction) && matches(all[i]))
                found.append(i);
        }
        return found;
    }

    QString pathIn(const QString& folder, const char* name) const
    {
        const QString file = QString::fromLatin1(name);
        return folder.isEmpty() ? m_ownDir.filePath(file) : QDir(folder).filePath(file);
    }
};

} // namespace testsupport
