// tolvo-cli end to end: the real program against the simulated wrench on a
// pseudo-terminal, with real settings and report files.
#include "clirun.h"

#include "history/historyreports.h"
#include "history/historystats.h"
#include "platform/pseudoterminal.h"
#include "platform/serial.h"
#include "tests/support/archiveserver.h"
#include "tests/support/wrenchreports.h"
#include "tools/historygenerator.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

#include <algorithm>

using namespace clitest;

Q_DECLARE_METATYPE(ReportIdentity)

namespace {

QStringList options(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The days of the records with a number, which the reports print and the
// archive keeps.
QList<QDate> measurementDays(QByteArrayView block)
{
    QList<QDate> days;
    for (qsizetype i = 0; i < MeasurementRecord::countIn(block); ++i) {
        const MeasurementRecord record = MeasurementRecord::at(block, i);
        if (!record.isEmpty())
            days.append(QDate(2000 + record.year, record.month, record.day));
    }
    return days;
}

// The line history prints on stderr for a readout of block by that wrench.
QString archivedLine(QByteArrayView block, const ReportIdentity& identity, bool firstTime = true)
{
    if (identity.serialNumber.isEmpty())
        return QStringLiteral("not archived: the wrench did not give its serial number\n");
    const qsizetype records = measurementDays(block).size();
    return QStringLiteral("archived: %1 records read, %2 new\n").arg(records).arg(firstTime ? records : 0);
}

// A text report's lines without the one of the report's time.
QStringList reportLines(const QString& file)
{
    QStringList lines = QString::fromUtf8(fileBytes(file)).split(QLatin1Char('\n'));
    lines.removeIf([](const QString& line) { return line.contains(QLatin1String("Report date:")); });
    return lines;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System);
}

// tolvo-cli copied into a folder of its own, a portable layout whose program
// folder shows whatever the program writes there.
class CopiedCli
{
public:
    bool install()
    {
        const QString built = QDir(qEnvironmentVariable("TOLVO_BIN_DIR")).filePath(QStringLiteral("tolvo-cli"));
        return dir.isValid() && QFile::copy(built, program());
    }
    QString program() const { return dir.filePath(QStringLiteral("tolvo-cli")); }
    QString downloads() const { return dir.filePath(QStringLiteral("downloads")); }
    void start(QProcess& process, const CliFolder& folder, const QStringList& arguments) const
    {
        process.setProgram(program());
        process.setArguments(QStringList{QStringLiteral("--settings"), folder.settingsFile()} + arguments);
        process.start();
    }

    QTemporaryDir dir;
};

// What the process writes to the terminal until it ends: read on the way,
// as a terminal never holds it all.
QByteArray readUntilFinished(QProcess& process, platform::PseudoTerminal& terminal)
{
    QByteArray bytes;
    char buffer[4096];
    bool finished = false;
    for (;;) {
        unsigned long count = 0;
        if (terminal.readSome(buffer, sizeof buffer, count) == platform::TransferResult::Done && count > 0) {
            bytes.append(buffer, static_cast<qsizetype>(count));
            continue;
        }
        if (finished)
            return bytes;
        finished = process.waitForFinished(20) || process.state() == QProcess::NotRunning;
    }
}

// A PDF's text as pdftotext lays it out, every run of white space one space:
// a value wrapped in its column reads on.
QString pdfText(const QString& file)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
                  {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!process.waitForFinished(RunMs) || process.exitCode() != 0)
        return QStringLiteral("pdftotext failed on %1").arg(file);
    return QString::fromUtf8(process.readAllStandardOutput()).simplified();
}

// What of the --stats output the PDF lacks: its "name: value" lines read
// "name value" there, the formula line as it is, wherever it wraps (a line
// may end after a hyphen).
QStringList missingFigures(const QString& pdf, const QString& stats)
{
    QStringList lines = stats.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList missing;
    const QString formula = lines.isEmpty() ? QString() : lines.takeLast();
    const auto unspaced = [](QString text) { return text.remove(QLatin1Char(' ')); };
    if (formula.isEmpty() || !unspaced(pdf).contains(unspaced(formula)))
        missing.append(formula);
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        const QString figure = line.left(colon) + QLatin1Char(' ') + line.mid(colon + 1).simplified();
        if (colon < 1 || !pdf.contains(figure))
            missing.append(figure);
    }
    return missing;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void identify_data();
    void identify();
    void historyFilesAreTheWindowsReports_data();
    void historyFilesAreTheWindowsReports();
    void setThenGet_data();
    void setThenGet();
    void exitCodes_data();
    void exitCodes();
    void fileFromTheWrenchGoesIntoDownloads_data();
    void fileFromTheWrenchGoesIntoDownloads();
    void wireTextOnATerminalIsEscaped();
    void archiveKeepsEachMeasurementOnce();
    void archiveTroublesLeaveTheReadout_data();
    void archiveTroublesLeaveTheReadout();
    void archiveOnTheServer();
    void capabilityPdfHoldsTheFigures_data();
    void capabilityPdfHoldsTheFigures();
};

void TestCli::identify_data()
{
    QTest::addColumn<bool>("byPath");
    QTest::addColumn<bool>("mapped");
    QTest::addColumn<QStringList>("wrenchOptions");
    QTest::addColumn<QStringList>("missing"); // lines of parameters never answered
    QTest::newRow("COM name") << false << true << QStringList() << QStringList();
    QTest::newRow("the mapped path") << true << true << QStringList() << QStringList();
    QTest::newRow("a path no COM name maps to") << true << false << QStringList() << QStringList();
    QTest::newRow("descriptions numbered 1, 2, 3") << false << true << options("--number-descriptions")
                                                   << QStringList();
    QTest::newRow("device name and serial never answered")
        << false << true << options("--silent-ids 100,135")
        << QStringList{QStringLiteral("100 Device name: TOLVO TW-200\n"),
                       QStringLiteral("135 Serial number: TW2000123\n")};
}

// Then "get 5", which needs the description of the access level.
void TestCli::identify()
{
    QFETCH(bool, byPath);
    QFETCH(bool, mapped);
    QFETCH(QStringList, wrenchOptions);
    QFETCH(QStringList, missing);
    CliFolder folder;
    QVERIFY(mapped ? folder.mapWrench() : folder.writeSettings(QStringLiteral("[SETUP]\n")));
    QVERIFY2(folder.wrench.startReady(wrenchOptions), qPrintable(folder.wrench.error));

    if (mapped) {
        const CliRun ports = folder.run({QStringLiteral("ports")});
        QCOMPARE(ports.exitCode, 0);
        QVERIFY2(ports.out.contains(QStringLiteral("COM42 ") + folder.wrench.link + QLatin1Char('\n')), qPrintable(ports.out));
    }
    const QStringList port{QStringLiteral("--timeout"), QStringLiteral("1000"), QStringLiteral("--port"),
                           byPath ? folder.wrench.link : QStringLiteral("COM42")};
    const CliRun run = folder.runConnected(QStringList{QStringLiteral("identify")} + port);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QString expected = QStringLiteral("identification: TOLVO TW-200;V 2.14;TW-200;CAL 2023-04\n"
                                      "name: TOLVO TW-200\n"
                                      "version: V 2.14\n"
                                      "extra: TW-200;CAL 2023-04\n"
                                      "5 Access level: 1\n"
                                      "113 History mode: 2\n"
                                      "100 Device name: TOLVO TW-200\n"
                                      "101 Firmware version: FW 2.14.0\n"
                                      "103 Hardware version: HW 3.1\n"
                                      "135 Serial number: TW2000123\n");
    for (const QString& line : std::as_const(missing))
        expected.remove(line);
    QCOMPARE(run.out, expected);

    const CliRun get = folder.runConnected(QStringList{QStringLiteral("get")} + port + QStringList{QStringLiteral("5")});
    QCOMPARE(get.err, QString());
    QCOMPARE(get.out, QStringLiteral("1\n"));
    // One description download per connection, whatever the wrench answered.
    QCOMPARE(folder.wrench.framesWith("rx", QStringLiteral("52 52 51 FF FF")).size(), 2);
}

void TestCli::historyFilesAreTheWindowsReports_data()
{
    QTest::addColumn<QStringList>("wrenchOptions");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("historyMode");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<ReportIdentity>("identity");

    const QString english = QStringLiteral("LANGUAGE=ENGLISH\n");
    const ReportIdentity full = testsupport::wrenchIdentity;
    QTest::newRow("as the window reads it") << QStringList() << english << 50 << 2 << QChar(u',') << full;
    QTest::newRow("faulty line, point, mode 1")
        << options("--history-count 200 --corrupt-every 50 --duplicate-every 7 --history-mode 1")
        << english + QStringLiteral("DECIMAL_SEPARATOR=.\n") << 200 << 1 << QChar(u'.') << full;
    QTest::newRow("service level already")
        << options("--access-level 3 --history-count 20") << english << 20 << 2 << QChar(u',') << full;
    // The window's default language.
    QTest::newRow("German") << QStringList() << QString() << 50 << 2 << QChar(u',') << full;
    // Empty where the wrench did not answer, never another wrench's.
    QTest::newRow("device name and serial never answered")
        << options("--silent-ids 100,135 --history-mode 3 --history-count 20 --number-descriptions") << english
        << 20 << 3 << QChar(u',') << ReportIdentity{QString(), full.firmwareVersion, full.hardwareVersion, QString()};
}

// Compared with the reports the window builds from the same records, which
// the window's own readout test compares with the files its Save writes.
void TestCli::historyFilesAreTheWindowsReports()
{
    QFETCH(QStringList, wrenchOptions);
    QFETCH(QString, setup);
    QFETCH(int, records);
    QFETCH(int, historyMode);
    QFETCH(QChar, separator);
    QFETCH(ReportIdentity, identity);
    CliFolder folder;
    QVERIFY(folder.mapWrench(setup));
    QVERIFY2(folder.wrench.startReady(wrenchOptions), qPrintable(folder.wrench.error));

    const QString txt = folder.filePath(QStringLiteral("report.txt"));
    const QString csv = folder.filePath(QStringLiteral("report.csv"));
    const QDateTime started = QDateTime::currentDateTime();
    const CliRun run = folder.run({QStringLiteral("history"), QStringLiteral("--timeout"), QStringLiteral("1000"),
                                   QStringLiteral("--port"), QStringLiteral("COM42"), QStringLiteral("--txt"), txt, QStringLiteral("--csv"), csv,
                                   QStringLiteral("--json"), QStringLiteral("--stats")});
    const QByteArray block = wrench::history::encode(wrench::history::generate(records));
    QCOMPARE(run.err, archivedLine(block, identity)); // and no bar: stderr is no terminal
    QCOMPARE(run.exitCode, 0);

    QTranslator german;
    if (!setup.contains(QLatin1String("ENGLISH"))) {
        QVERIFY(german.load(QStringLiteral("TolvoTool_de"), qEnvironmentVariable("TOLVO_BIN_DIR")));
        QCoreApplication::installTranslator(&german);
    }
    const HistoryReports expected = testsupport::wrenchReports(records, historyMode, separator, started,
                                                               QString::fromUtf8(fileBytes(txt)), identity);
    QCOMPARE(fileBytes(txt), expected.text.toUtf8());
    QCOMPARE(fileBytes(csv), expected.csv.toUtf8());
    // The JSON, then the figures of the chart window's statistics.
    const qsizetype jsonEnd = run.out.indexOf(QStringLiteral("\n]\n")) + 3;
    QVERIFY(jsonEnd > 3);
    QCOMPARE(run.out.mid(jsonEnd), statsText(computeStats(measuredPoints(block)), separator));
    QCoreApplication::removeTranslator(&german);

    // The JSON holds the records the reports hold, those with a number.
    QStringList numbers;
    for (qsizetype i = 0; i < MeasurementRecord::countIn(block); ++i) {
        if (!MeasurementRecord::at(block, i).isEmpty())
            numbers.append(QString::number(MeasurementRecord::at(block, i).number));
    }
    QStringList jsonNumbers;
    for (const QJsonValue& record : QJsonDocument::fromJson(run.out.left(jsonEnd).toUtf8()).array())
        jsonNumbers.append(record.toObject().value(QStringLiteral("number")).toString());
    QCOMPARE(jsonNumbers, numbers);

    // The 4-byte code goes out as the window's Read sends it, whatever the level.
    QCOMPARE(folder.wrench.framesWith("rx", folder.wrench.readoutCodeWrite).size(), 1);
    QCOMPARE(folder.wrench.framesWith("rx", folder.wrench.historyRequest).size(), 1);
}

void TestCli::setThenGet_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("history mode") << 113 << "2" << "1" << "1";
    QTest::newRow("one decimal") << 203 << "125.0" << "150" << "150.0";
    QTest::newRow("signed") << 201 << "-5" << "7" << "+7";
    QTest::newRow("float") << 207 << "1.025" << "1.5" << "1.500";
    QTest::newRow("character") << 202 << "A" << "N" << "N";
    QTest::newRow("table") << 212 << "-1.5;0.0;1.2\n0.7;-0.3;-25.0" << "1;2;3;4;5;-6.5"
                           << "1.0;2.0;3.0\n4.0;5.0;-6.5";
}

// Writing needs service level: it is raised as the window raises it.
void TestCli::setThenGet()
{
    QFETCH(int, id);
    QFETCH(QString, before);
    QFETCH(QString, written);
    QFETCH(QString, readBack);
    CliFolder folder;
    QVERIFY(folder.mapWrench());
    QVERIFY2(folder.wrench.startReady(), qPrintable(folder.wrench.error));
    const QStringList port{QStringLiteral("--port"), QStringLiteral("COM42"), QString::number(id)};

    const CliRun get = folder.runConnected(QStringList{QStringLiteral("get")} + port);
    QCOMPARE(get.err, QString());
    QCOMPARE(get.out, before + QLatin1Char('\n'));
    const CliRun set = folder.runConnected(QStringList{QStringLiteral("set")} + port + QStringList{written});
    QCOMPARE(set.err, QString());
    QCOMPARE(set.exitCode, 0);
    QCOMPARE(set.out, readBack + QLatin1Char('\n'));
    QCOMPARE(folder.runConnected(QStringList{QStringLiteral("get")} + port).out, readBack + QLatin1Char('\n'));
}

void TestCli::exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments"); // "{port}" and "{folder}" are filled in
    QTest::addColumn<QString>("behind");         // "wrench", "nobody" or "" for no port at all
    QTest::addColumn<QStringList>("wrenchOptions");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");

    const QString wrench = QStringLiteral("wrench");
    QTest::newRow("unknown command") << options("frob") << QString() << QStringList() << 2 << "unknown command";
    QTest::newRow("no port option") << options("get 5") << QString() << QStringList() << 2 << "needs --port";
    QTest::newRow("no parameter ID") << options("get --port COM42 five") << QString() << QStringList() << 2
                                     << "no parameter ID";
    QTest::newRow("report for get") << options("get --port COM42 5 --txt x") << QString() << QStringList() << 2
                                    << "belong to history";
    QTest::newRow("value of the wrong type") << options("set --port {port} 113 abc") << wrench << QStringList()
                                             << 2 << "no valid value";
    QTest::newRow("COM name without a port") << options("identify --port COM200") << QString() << QStringList()
                                             << 3 << "cannot be opened";
    QTest::newRow("port held by another program")
        << options("identify --port {port}") << QStringLiteral("busy") << QStringList() << 3
        << "the port cannot be opened: Another program is using the port";
    QTest::newRow("path that does not exist")
        << options("identify --port {folder}/none/tty") << QString() << QStringList() << 3 << "no such port";
    QTest::newRow("nobody behind the port") << options("identify --timeout 300 --port {port}")
                                            << QStringLiteral("nobody") << QStringList() << 4 << "identification";
    QTest::newRow("wrench deaf to the identification")
        << options("identify --timeout 300 --port {port}") << wrench << options("--no-ver-answer") << 4
        << "no answer";
    QTest::newRow("value above the limit") << options("set --port {port} 113 9") << wrench << QStringList() << 5
                                           << "exceeds max value";
    QTest::newRow("read-only parameter") << options("set --port {port} 101 X") << wrench << QStringList() << 5
                                         << "Service level";
    QTest::newRow("parameter not described") << options("get --port {port} 9999") << wrench << QStringList() << 5
                                             << "describes no parameter 9999";
    QTest::newRow("base version keeps no history")
        << options("history --port {port}") << wrench << options("--firmware B-1.0") << 5 << "base version";
    QTest::newRow("no measurements stored") << options("history --port {port} --txt {folder}/report.txt") << wrench
                                            << options("--history-count 0") << 7 << "no data found";
    // A regular file where a folder would be: no user may write there.
    QTest::newRow("report path under a file")
        << options("history --no-archive --port {port} --csv {folder}/TolvoTool.ini/report.csv") << wrench
        << QStringList() << 6 << "cannot write";
    QTest::newRow("archive count without a serial number")
        << options("archive count --from 2024-01-01") << QString() << QStringList() << 2 << "needs --serial";
    QTest::newRow("no such date") << options("archive export --serial TW2000123 --to 2024-02-30") << QString()
                                  << QStringList() << 2 << "--to wants a date as YYYY-MM-DD";
    QTest::newRow("unknown option") << options("archive list --serials") << QString() << QStringList() << 2
                                    << "Unknown option 'serials'";
    QTest::newRow("sync without a server") << options("archive sync") << QString() << QStringList() << 2
                                           << "no archive server set";
    QTest::newRow("nothing archived of the wrench")
        << options("archive export --serial TW2000123 --csv {folder}/report.csv") << QString() << QStringList() << 7
        << "no measurements of TW2000123 in";
}

void TestCli::exitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, behind);
    QFETCH(QStringList, wrenchOptions);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    CliFolder folder;
    platform::PseudoTerminal deaf;
    platform::SerialPort holder;
    QString port = folder.wrench.link;
    if (behind == QLatin1String("wrench")) {
        QVERIFY(folder.mapWrench());
        QVERIFY2(folder.wrench.startReady(wrenchOptions), qPrintable(folder.wrench.error));
    } else {
        port = folder.filePath(QStringLiteral("deaf"));
        QVERIFY2(deaf.open(QFile::encodeName(port).toStdString()), deaf.error().c_str());
        QVERIFY(folder.writeSettings(QStringLiteral("[SETUP]\nLANGUAGE=ENGLISH\n[PORTS]\nCOM42=") + port
                                     + QLatin1Char('\n')));
        if (behind == QLatin1String("busy"))
            QVERIFY(holder.open(deaf.linkPath(), {}));
    }
    arguments.replaceInStrings(QStringLiteral("{port}"), port);
    arguments.replaceInStrings(QStringLiteral("{folder}"), folder.dir.path());

    const CliRun run = folder.run(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, QString());
    // One line, saying why.
    QVERIFY2(run.err.startsWith(QStringLiteral("tolvo-cli: ")) && run.err.count(QLatin1Char('\n')) == 1
                 && run.err.endsWith(QLatin1Char('\n')) && run.err.contains(error),
             qPrintable(run.err));
}

void TestCli::fileFromTheWrenchGoesIntoDownloads_data()
{
    QTest::addColumn<QStringList>("wrenchOptions");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("killed");
    // The device name is never answered: the run waits while the file comes.
    QTest::newRow("complete") << options("--silent-ids 100") << 3000 << false;
    // Paced at the line rate, the file takes minutes.
    QTest::newRow("tool killed mid-way") << options("--silent-ids 100 --baud 57600") << 1024 * 1024 << true;
}

void TestCli::fileFromTheWrenchGoesIntoDownloads()
{
    QFETCH(QStringList, wrenchOptions);
    QFETCH(int, size);
    QFETCH(bool, killed);
    CliFolder folder;
    QVERIFY(folder.mapWrench());
    QVERIFY2(folder.wrench.startReady(wrenchOptions), qPrintable(folder.wrench.error));
    CopiedCli cli;
    QVERIFY(cli.install());
    QByteArray content;
    for (int i = 0; i < size; ++i)
        content.append(static_cast<char>(i * 13));
    const QString contentFile = folder.filePath(QStringLiteral("content.bin"));
    QVERIFY(writeFileBytes(contentFile, content));

    constexpr int waitMs = testsupport::WrenchProcess::WaitMs;
    QProcess run;
    cli.start(run, folder, options("identify --timeout 60000 --port COM42"));
    const QString deviceNameRead = QStringLiteral("44 52 51 00 64");
    QVERIFY(QTest::qWaitFor([&] { return !folder.wrench.framesWith("rx", deviceNameRead).isEmpty(); }, waitMs));
    QVERIFY(folder.wrench.command("fst ..\\cal\\report.txt " + QFile::encodeName(contentFile)));
    const QString final = QDir(cli.downloads()).filePath(QStringLiteral("report.txt"));
    const auto arrived = [&] { return killed ? !entries(cli.downloads()).isEmpty() : QFileInfo::exists(final); };
    QVERIFY(QTest::qWaitFor(arrived, waitMs));
    const int ready = folder.wrench.count(QStringLiteral("ready "));
    run.kill();
    QVERIFY(run.waitForFinished(RunMs));

    // Nothing beside the program; the file under its name only when whole.
    QCOMPARE(entries(cli.dir.path()), (QStringList{QStringLiteral("downloads"), QStringLiteral("tolvo-cli")}));
    QCOMPARE(QFileInfo::exists(final), !killed);
    if (!killed) {
        QCOMPARE(entries(cli.downloads()), QStringList{QStringLiteral("report.txt")});
        QCOMPARE(fileBytes(final), content);
        return;
    }
    const QStringList left = entries(cli.downloads());
    QCOMPARE(left.size(), 1);
    QVERIFY2(left.first().startsWith(QStringLiteral(".report.txt.part-")), qPrintable(left.first()));
    // The next start removes what the killed run left.
    QVERIFY(QTest::qWaitFor([&] { return folder.wrench.saw(QStringLiteral("ready "), ready + 1); }, waitMs));
    QProcess next;
    cli.start(next, folder, options("identify --timeout 300 --port COM42"));
    QVERIFY(next.waitForFinished(RunMs));
    QCOMPARE(next.exitCode(), 0);
    QCOMPARE(entries(cli.downloads()), QStringList());
}

// The report on a terminal: the wrench's texts in it cannot act on the
// terminal, and its own lines stay lines.
void TestCli::wireTextOnATerminalIsEscaped()
{
    const QString name = QStringLiteral("TW\x1b]0;owned\x07\x1b[2J\rX");
    CliFolder folder;
    QVERIFY(folder.mapWrench());
    QVERIFY2(folder.wrench.startReady({QStringLiteral("--device-name"), name, QStringLiteral("--history-count"),
                                       QStringLiteral("3")}),
             qPrintable(folder.wrench.error));
    const QStringList history = options("history --timeout 1000 --port COM42");

    const CliRun piped = folder.runConnected(history);
    QCOMPARE(piped.exitCode, 0);
    QVERIFY(piped.out.contains(name + QLatin1Char('\n')));

    platform::PseudoTerminal terminal;
    QVERIFY2(terminal.open(), terminal.error().c_str());
    // Held open, so that the program's end is no hang-up that drops its last bytes.
    platform::TerminalClient held;
    QVERIFY2(held.open(terminal.ttyPath()), held.error().c_str());
    QProcess run;
    run.setStandardOutputFile(QString::fromStdString(terminal.ttyPath()));
    run.setProgram(QDir(qEnvironmentVariable("TOLVO_BIN_DIR")).filePath(QStringLiteral("tolvo-cli")));
    run.setArguments(QStringList{QStringLiteral("--settings"), folder.settingsFile()} + history);
    run.start();
    const QByteArray shown = readUntilFinished(run, terminal);
    QCOMPARE(run.exitCode(), 0);
    QVERIFY2(shown.contains("TW\\x1b]0;owned\\x07\\x1b[2J\\x0dX\n"), shown.constData());
    QVERIFY(!shown.contains('\x1b'));
    QVERIFY(!shown.contains('\r'));
    QCOMPARE(shown.count('\n'), piped.out.count(QLatin1Char('\n')));
}

// What history read twice, list, count and export make of one wrench: its
// measurements once, the reports of the readout again.
void TestCli::archiveKeepsEachMeasurementOnce()
{
    CliFolder folder;
    QVERIFY(folder.mapWrench());
    QVERIFY2(folder.wrench.startReady(), qPrintable(folder.wrench.error));
    const QByteArray block = wrench::history::encode(wrench::history::generate(wrench::history::DefaultCount));
    QList<QDate> days = measurementDays(block);
    std::sort(days.begin(), days.end());
    const QString txt = folder.filePath(QStringLiteral("history.txt"));
    const QString csv = folder.filePath(QStringLiteral("history.csv"));
    const QStringList history = options("history --timeout 1000 --port COM42");
    const QString dfq = folder.filePath(QStringLiteral("history.dfq"));
    const CliRun first = folder.runConnected(history + QStringList{QStringLiteral("--txt"), txt, QStringLiteral("--csv"),
                                                                   csv, QStringLiteral("--aqdef"), dfq});
    QCOMPARE(first.exitCode, 0);
    QCOMPARE(first.err, archivedLine(block, testsupport::wrenchIdentity));
    const CliRun second = folder.runConnected(history);
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(second.err, archivedLine(block, testsupport::wrenchIdentity, false));

    // Identity and order as read; the header counts the records exported,
    // not the empty ones the wrench sent.
    const QString exportedTxt = folder.filePath(QStringLiteral("export.txt"));
    const QString exportedCsv = folder.filePath(QStringLiteral("export.csv"));
    const QString exportedDfq = folder.filePath(QStringLiteral("export.dfq"));
    const CliRun exported = folder.run(options("archive export --serial TW2000123") + QStringList{
        QStringLiteral("--txt"), exportedTxt, QStringLiteral("--csv"), exportedCsv, QStringLiteral("--aqdef"),
        exportedDfq});
    QCOMPARE(exported.exitCode, 0);
    QCOMPARE(exported.out + exported.err, QString());
    QCOMPARE(fileBytes(exportedCsv), fileBytes(csv));
    QVERIFY(fileBytes(dfq).contains("K0012/1 TW2000123\r\n"));
    QCOMPARE(fileBytes(exportedDfq), fileBytes(dfq));
    QStringList expectedLines = reportLines(txt);
    const qsizetype totalLine = expectedLines.indexOf(
        QRegularExpression(QStringLiteral(".*Total measurements: +%1").arg(MeasurementRecord::countIn(block))));
    QVERIFY(totalLine > 0 && days.size() < MeasurementRecord::countIn(block));
    expectedLines[totalLine].replace(QRegularExpression(QStringLiteral("\\d+$")), QString::number(days.size()));
    QCOMPARE(reportLines(exportedTxt), expectedLines);

    QCOMPARE(folder.run(options("archive list")).out,
             QStringLiteral("TW2000123\tTOLVO TW-200\t%1\t%2\t%3\n")
                 .arg(days.size())
                 .arg(days.first().toString(Qt::ISODate), days.last().toString(Qt::ISODate)));
    const auto inSpring = std::count_if(days.begin(), days.end(), [](const QDate& day) {
        return day >= QDate(2024, 3, 1) && day <= QDate(2024, 5, 31);
    });
    QVERIFY(inSpring > 0);
    QCOMPARE(folder.run(options("archive count --serial TW2000123 --from 2024-03-01 --to 2024-05-31")).out,
             QStringLiteral("%1\n").arg(inSpring));
}

void TestCli::archiveTroublesLeaveTheReadout_data()
{
    QTest::addColumn<QString>("archive");          // "{folder}" is filled in
    QTest::addColumn<QStringList>("wrenchOptions");
    QTest::addColumn<QStringList>("historyOptions"); // after --port
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("errorLines"); // how the lines on stderr start
    QTest::addColumn<QStringList>("then");       // the archive command run next
    QTest::addColumn<int>("thenExitCode");
    QTest::addColumn<QString>("thenOut");

    const QByteArray block = wrench::history::encode(wrench::history::generate(wrench::history::DefaultCount));
    const QString archived = archivedLine(block, testsupport::wrenchIdentity).trimmed();
    const QString allCounted = QStringLiteral("%1\n").arg(measurementDays(block).size());
    const QStringList report = options("--txt {folder}/report.txt");
    const QStringList count = options("archive count --serial TW2000123");
    // A regular file where its folder would be: no user may write there.
    QTest::newRow("archive under a file")
        << "FILE={folder}/TolvoTool.ini/archive.sqlite" << QStringList() << report << 0
        << QStringList{QStringLiteral("not archived: ")} << count << 10 << QString();
    QTest::newRow("no serial number")
        << "FILE={folder}/archive.sqlite" << options("--silent-ids 135") << report << 0
        << QStringList{QStringLiteral("not archived: the wrench did not give its serial number")}
        << options("archive list") << 0 << QString();
    QTest::newRow("off in the settings") << "ENABLED=0\nFILE={folder}/archive.sqlite" << QStringList() << report << 0
                                         << QStringList() << count << 0 << "0\n";
    QTest::newRow("off for the run") << "FILE={folder}/archive.sqlite" << QStringList()
                                     << options("--no-archive --txt {folder}/report.txt") << 0 << QStringList()
                                     << count << 0 << "0\n";
    // Archived before the reports are written.
    QTest::newRow("report that cannot be written")
        << "FILE={folder}/archive.sqlite" << QStringList() << options("--txt {folder}/TolvoTool.ini/report.txt") << 6
        << QStringList{archived, QStringLiteral("tolvo-cli: cannot write")} << count << 0 << allCounted;
    QTest::newRow("server not there")
        << "FILE={folder}/archive.sqlite\nSERVER_DRIVER=QPSQL\nSERVER_HOST={folder}\nSERVER_DATABASE=tolvo"
        << QStringList() << report << 0
        << QStringList{archived, QStringLiteral("server push failed, will retry: ")} << options("archive sync") << 8
        << QString();
}

// A readout that the archive cannot take, or should not: the reports come
// all the same, and the exit status is the readout's.
void TestCli::archiveTroublesLeaveTheReadout()
{
    QFETCH(QString, archive);
    QFETCH(QStringList, wrenchOptions);
    QFETCH(QStringList, historyOptions);
    QFETCH(int, exitCode);
    QFETCH(QStringList, errorLines);
    QFETCH(QStringList, then);
    QFETCH(int, thenExitCode);
    QFETCH(QString, thenOut);
    CliFolder folder;
    folder.archive = archive.replace(QStringLiteral("{folder}"), folder.dir.path()) + QLatin1Char('\n');
    historyOptions.replaceInStrings(QStringLiteral("{folder}"), folder.dir.path());
    QVERIFY(folder.mapWrench());
    QVERIFY2(folder.wrench.startReady(wrenchOptions), qPrintable(folder.wrench.error));

    const CliRun run = folder.runConnected(options("history --timeout 1000 --port COM42") + historyOptions);
    QCOMPARE(run.exitCode, exitCode);
    QStringList lines = run.err.split(QLatin1Char('\n'));
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), errorLines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i].startsWith(errorLines[i]), qPrintable(run.err));
    const QString report = folder.filePath(QStringLiteral("report.txt"));
    QCOMPARE(fileBytes(report).contains("TOLVO TW-200"), exitCode == 0);

    const CliRun next = folder.run(then);
    QCOMPARE(next.exitCode, thenExitCode);
    QCOMPARE(next.out, thenOut);
    QCOMPARE(next.err.isEmpty(), thenExitCode == 0);
}

// The server as the plant's archive: what history pushed, the archive
// commands read back from it as from the local file.
void TestCli::archiveOnTheServer()
{
    const ServerSettings server = testsupport::freshServerDatabase(QStringLiteral("tolvo_cli_archive"));
    QVERIFY(server.isConfigured());
    CliFolder folder;
    folder.archive += QStringLiteral("SERVER_DRIVER=%1\nSERVER_HOST=%2\nSERVER_PORT=%3\n"
                                     "SERVER_DATABASE=%4\nSERVER_USER=%5\n")
                          .arg(server.driver, server.host)
                          .arg(server.port)
                          .arg(server.database, server.user);
    QVERIFY(folder.mapWrench());
    QVERIFY2(folder.wrench.startReady(), qPrintable(folder.wrench.error));
    const QByteArray block = wrench::history::encode(wrench::history::generate(wrench::history::DefaultCount));

    const CliRun history = folder.runConnected(options("history --timeout 1000 --port COM42"));
    QCOMPARE(history.exitCode, 0);
    QCOMPARE(history.err, archivedLine(block, testsupport::wrenchIdentity));
    for (const char* command : {"archive list", "archive count --serial TW2000123 --from 2024-03-01",
                                "archive export --serial TW2000123 --csv {folder}/out.csv --json"}) {
        QStringList arguments = options(command);
        arguments.replaceInStrings(QStringLiteral("{folder}"), folder.dir.path());
        const CliRun local = folder.run(arguments);
        const QByteArray localCsv = fileBytes(folder.filePath(QStringLiteral("out.csv")));
        const CliRun onServer = folder.run(arguments + QStringList{QStringLiteral("--server")});
        QCOMPARE(onServer.exitCode, 0);
        QCOMPARE(onServer.err, QString());
        QVERIFY(!onServer.out.isEmpty());
        QCOMPARE(onServer.out, local.out);
        QCOMPARE(fileBytes(folder.filePath(QStringLiteral("out.csv"))), localCsv);
    }
    const CliRun sync = folder.run(options("archive sync"));
    QCOMPARE(sync.exitCode, 0);
    QCOMPARE(sync.out, QStringLiteral("pushed 0 readouts, 0 new measurements\n"));
}

void TestCli::capabilityPdfHoldsTheFigures_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("verdictName");
    QTest::newRow("English") << QStringLiteral("LANGUAGE=ENGLISH\n") << QStringLiteral("Verdict");
    QTest::newRow("German") << QStringLiteral("LANGUAGE=GERMAN\n") << QStringLiteral("Urteil");
}

// The figures --stats prints, from the readout's PDF and from the archive's,
// drawn without a display.
void TestCli::capabilityPdfHoldsTheFigures()
{
    QFETCH(QString, setup);
    QFETCH(QString, verdictName);
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
             "pdftotext is missing: scripts/deps.sh test installs it");
    CliFolder folder;
    QVERIFY(folder.mapWrench(setup));
    QVERIFY2(folder.wrench.startReady(options("--history-series --history-count 500")),
             qPrintable(folder.wrench.error));
    const QString readout = folder.filePath(QStringLiteral("readout.pdf"));
    const CliRun history = folder.runConnected(options("history --timeout 1000 --port COM42 --stats")
                                               + QStringList{QStringLiteral("--pdf"), readout});
    QCOMPARE(history.exitCode, 0);
    QCOMPARE(history.err, QStringLiteral("archived: 500 records read, 500 new\n"));
    QVERIFY(history.out.contains(QRegularExpression(QStringLiteral("^%1: +\\S").arg(verdictName),
                                                    QRegularExpression::MultilineOption)));
    const QString archived = folder.filePath(QStringLiteral("archived.pdf"));
    const CliRun report =
        folder.run(options("archive report --serial TW2000123") + QStringList{QStringLiteral("--pdf"), archived});
    QCOMPARE(report.out + report.err, QString());
    QCOMPARE(report.exitCode, 0);
    for (const QString& file : {readout, archived}) {
        const QString text = pdfText(file);
        QVERIFY2(text.contains(QLatin1String("TW2000123")), qPrintable(text));
        const QStringList missing = missingFigures(text, history.out);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n')) + QStringLiteral("\nin: ") + text));
    }
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
