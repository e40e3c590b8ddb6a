// tolvo-cli's parts: the session's time-out driven tick by tick, parameter
// values through their descriptions, and wire text on a terminal.
#include "cli/commandoutput.h"
#include "cli/historyoutput.h"
#include "cli/paramdescriptions.h"
#include "cli/clisession.h"
#include "filebytes.h"
#include "tests/history/recordbytes.h"
#include "params/paramattr.h"
#include "platform/ports.h"
#include "platform/profile.h"
#include "platform/pseudoterminal.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace paramattr;

namespace {

ParamRecord described(quint8 type, quint32 rowCount, quint32 columnCount, quint32 info, const QByteArray& value)
{
    ParamRecord record;
    record.flags = ParamRecord::HasPid | ParamRecord::HasAttr | ParamRecord::HasInfo | ParamRecord::HasValue;
    record.pid = 300;
    record.attr = makeAttr(type, rowCount, columnCount);
    record.info = info;
    record.value = value;
    return record;
}

// The report without its date line, which follows the clock.
QString withoutReportDate(const QString& report)
{
    QStringList lines = report.split(QLatin1Char('\n'));
    lines.removeIf([](const QString& line) { return line.contains(QLatin1String("Report date:")); });
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestCliParts : public QObject
{
    Q_OBJECT

private slots:
    void timeoutRunsOutTickByTick();
    void portThatCannotOpenEndsAtOnce();
    void valueTexts_data();
    void valueTexts();
    void refusedTexts_data();
    void refusedTexts();
    void wireTextOnATerminal_data();
    void wireTextOnATerminal();
    void printedTextOnATerminal_data();
    void printedTextOnATerminal();
    void identifyUnitOnATerminal_data();
    void identifyUnitOnATerminal();
    void historyReportOnATerminal_data();
    void historyReportOnATerminal();
};

// Nobody behind the terminal: the identification is never answered.
void TestCliParts::timeoutRunsOutTickByTick()
{
    QTemporaryDir folder;
    platform::PseudoTerminal deaf;
    const QString link = folder.filePath(QStringLiteral("deaf"));
    QVERIFY2(deaf.open(QFile::encodeName(link).toStdString()), deaf.error().c_str());
    const std::string settings = QFile::encodeName(folder.filePath(QStringLiteral("ports.ini"))).toStdString();
    QVERIFY(platform::writeProfileString(settings, "PORTS", "COM42", QFile::encodeName(link).toStdString()));
    platform::setPortMappingFile(settings);

    constexpr int Ticks = 4;
    CliSession session;
    QSignalSpy finished(&session, &CliSession::finished);
    CliSession::Request request;
    request.portNumber = 42;
    request.timeoutMs = Ticks * DeviceService::TickMs;
    session.start(request);
    for (int tick = 1; tick < Ticks; ++tick)
        session.tick();
    QCOMPARE(finished.count(), 0);
    session.tick();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(session.result().code, ExitCode::NoAnswer);
    QCOMPARE(session.result().error, QStringLiteral("identification: no answer from the wrench"));
    // Ended exactly once.
    session.tick();
    QCOMPARE(finished.count(), 1);
    platform::setPortMappingFile(std::string());
}

void TestCliParts::portThatCannotOpenEndsAtOnce()
{
    CliSession session;
    QSignalSpy finished(&session, &CliSession::finished);
    session.start(CliSession::Request{});
    QCOMPARE(finished.count(), 1);
    QCOMPARE(session.result().code, ExitCode::NoPort);
}

void TestCliParts::valueTexts_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("info");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("u16, one decimal") << int(TypeU16) << 1 << 1 << 1 << QByteArray::fromHex("e204") << "125.0";
    QTest::newRow("s8") << int(TypeS8) << 1 << 1 << 0 << QByteArray::fromHex("fb") << "-5";
    QTest::newRow("u8 hexadecimal") << int(TypeU8) << 1 << 1 << 0x08 << QByteArray::fromHex("c8") << "0xC8";
    QTest::newRow("text, padded") << int(TypeChar) << 1 << 6 << 0 << QByteArray("AB\0\0\0\0", 6) << "AB";
    QTest::newRow("s16 table") << int(TypeS16) << 2 << 2 << 1 << QByteArray::fromHex("f1ff0c000700faff")
                               << "-1.5;1.2\n0.7;-0.6";
}

// Shown as the parameter model shows them, and read back to the same bytes.
void TestCliParts::valueTexts()
{
    QFETCH(int, type);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(int, info);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const ParamRecord description = described(static_cast<quint8>(type), static_cast<quint32>(rows),
                                              static_cast<quint32>(columns), static_cast<quint32>(info), bytes);
    QString shown;
    QVERIFY(ParamDescriptions::format(description, bytes, shown));
    QCOMPARE(shown, text);
    QByteArray encoded;
    QString error;
    QVERIFY2(ParamDescriptions::encode(description, QString(text).replace(QLatin1Char('\n'), QLatin1Char(';')),
                                       encoded, error),
             qPrintable(error));
    QCOMPARE(encoded.toHex(), bytes.toHex());
    QVERIFY(!ParamDescriptions::format(description, bytes.left(bytes.size() - 1), shown));
}

void TestCliParts::refusedTexts_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");

    QTest::newRow("above the type") << int(TypeU8) << 1 << "256" << "no valid value";
    QTest::newRow("no number") << int(TypeU16) << 1 << "ten" << "no valid value";
    QTest::newRow("text too long") << int(TypeChar) << 4 << "ABCDE" << "at most 4 characters";
    QTest::newRow("cells missing") << int(TypeU16) << 3 << "1;2" << "takes 3 values";
    QTest::newRow("unknown type") << 0x77 << 1 << "1" << "no known value type";
}

void TestCliParts::refusedTexts()
{
    QFETCH(int, type);
    QFETCH(int, columns);
    QFETCH(QString, text);
    QFETCH(QString, error);
    const ParamRecord description =
        described(static_cast<quint8>(type), 1, static_cast<quint32>(columns), 0, QByteArray());
    QByteArray encoded;
    QString why;
    QVERIFY(!ParamDescriptions::encode(description, text, encoded, why));
    QVERIFY2(why.contains(error), qPrintable(why));
}

void TestCliParts::wireTextOnATerminal_data()
{
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QStringLiteral("TOLVO TW-200;V 2.14") << QStringLiteral("TOLVO TW-200;V 2.14");
    QTest::newRow("letters beyond ASCII") << QStringLiteral("Prüfstand 5°") << QStringLiteral("Prüfstand 5°");
    QTest::newRow("escape sequence") << QStringLiteral("a\x1b[2Jb") << QStringLiteral("a\\x1b[2Jb");
    QTest::newRow("a forged line") << QStringLiteral("ok\nrc=0\r") << QStringLiteral("ok\\x0arc=0\\x0d");
    QTest::newRow("C1 control and DEL") << QString(QChar(0x9B)) + QChar(0x7F) << QStringLiteral("\\x9b\\x7f");
}

void TestCliParts::wireTextOnATerminal()
{
    QFETCH(QString, received);
    QTEST(commandoutput::withoutControls(received), "shown");
}

void TestCliParts::printedTextOnATerminal_data()
{
    QTest::addColumn<QString>("printed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a table's rows") << QStringLiteral("1;2\n3;4\n") << QStringLiteral("1;2\n3;4\n");
    QTest::newRow("letters beyond ASCII") << QStringLiteral("Pr\u00fcfstand 5\u00b0\n")
                                          << QStringLiteral("Pr\u00fcfstand 5\u00b0\n");
    QTest::newRow("escape sequence in a value") << QStringLiteral("A\x1b[2JB\n") << QStringLiteral("A\\x1b[2JB\n");
    QTest::newRow("carriage return before the line end") << QStringLiteral("ok\r\n") << QStringLiteral("ok\\x0d\n");
    QTest::newRow("tab and bell") << QStringLiteral("a\tb\a\n") << QStringLiteral("a\\x09b\\x07\n");
    QTest::newRow("C1 control") << QString(QChar(0x9B)) + QStringLiteral("31m\n") << QStringLiteral("\\x9b31m\n");
}

// Everything tolvo-cli prints to a terminal: its own line ends stay.
void TestCliParts::printedTextOnATerminal()
{
    QFETCH(QString, printed);
    QTEST(commandoutput::withoutControls(printed, commandoutput::LineEnds::Keep), "shown");
}

void TestCliParts::identifyUnitOnATerminal_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("line");
    QTest::newRow("plain") << QStringLiteral("Nm") << QStringLiteral("203 Torque: 125.0 Nm\n");
    QTest::newRow("none") << QString() << QStringLiteral("203 Torque: 125.0\n");
    QTest::newRow("escape sequence") << QStringLiteral("N\x1b[8mm") << QStringLiteral("203 Torque: 125.0 N\\x1b[8mm\n");
    QTest::newRow("a forged line") << QStringLiteral("Nm\n999 Forged: 1")
                                   << QStringLiteral("203 Torque: 125.0 Nm\\x0a999 Forged: 1\n");
}

void TestCliParts::identifyUnitOnATerminal()
{
    QFETCH(QString, unit);
    QFETCH(QString, line);
    CliSession::Result result;
    result.identification = QStringLiteral("TOLVO TW-200;V 2.14");
    result.identityTexts.append({203, QStringLiteral("Torque"), QStringLiteral("125.0"), unit});
    const QString text = commandoutput::identifyText(result);
    QVERIFY2(text.endsWith(QStringLiteral("\nversion: V 2.14\nextra: \n") + line), qPrintable(text));
}

void TestCliParts::historyReportOnATerminal_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<bool>("toFile");
    QTest::addColumn<bool>("escaped");
    QTest::newRow("on a terminal") << true << false << true;
    QTest::newRow("into a pipe") << false << false << false;
    QTest::newRow("into a file, run from a terminal") << true << true << false;
    QTest::newRow("into a file") << false << true << false;
}

// Escaped only where it would act on a terminal; everywhere else the report
// is what the window saves.
void TestCliParts::historyReportOnATerminal()
{
    QFETCH(bool, terminal);
    QFETCH(bool, toFile);
    QFETCH(bool, escaped);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    CliSession::Result result;
    result.history = recordBytes({field::number(1), field::year(24), field::month(3), field::day(5)});
    result.identity.deviceName = QStringLiteral("TW\x1b[2J\nForged: 1");
    result.identity.serialNumber = QStringLiteral("SN\r42");
    CliArguments arguments;
    if (toFile)
        arguments.txtFile = dir.filePath(QStringLiteral("report.txt"));
    const CliSettings settings;
    QString out;
    QString error;
    QCOMPARE(commandoutput::writeHistory(result, arguments, settings, terminal, out, error), ExitCode::Ok);
    QCOMPARE(out.isEmpty(), toFile);

    QString expected = buildTextReport(result.history,
                                       historyoutput::reportSettings(result.identity, settings.decimalSeparator),
                                       QDateTime::currentDateTime());
    if (escaped) {
        expected.replace(result.identity.deviceName, QStringLiteral("TW\\x1b[2J\\x0aForged: 1"));
        expected.replace(result.identity.serialNumber, QStringLiteral("SN\\x0d42"));
    }
    const QString printed = toFile ? QString::fromUtf8(fileBytes(arguments.txtFile)) : out;
    QCOMPARE(withoutReportDate(printed), withoutReportDate(expected));
}

QTEST_GUILESS_MAIN(TestCliParts)
#include "tst_cliparts.moc"
