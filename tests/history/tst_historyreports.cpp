// Both history reports from fixed record bytes: golden files for a block that
// holds every kind of record, then the lines and columns of each case.

#include "history/historyreports.h"

#include "recordbytes.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

const QDateTime reportTime(QDate(2026, 12, 7), QTime(14, 5));

QString untranslated(const char* text)
{
    return QString::fromUtf8(text);
}

ReportSettings settings(int historyMode)
{
    ReportSettings s;
    s.identity = {QStringLiteral("TOLVO 340"), QStringLiteral("F 2.14"), QStringLiteral("H 3"),
                  QStringLiteral("4711/26")};
    s.historyMode = historyMode;
    s.translator = untranslated;
    return s;
}

// Nine records of every kind (the second one empty) and a partial tenth.
QByteArray sampleBlock()
{
    using namespace field;
    return recordBytes({number(1), modeFlags(0x00), measuredTorque(12345), year(9), month(5), day(9), hour(7),
                        minute(5), second(9), duration(0, 1, 5), evaluation(1), tolerance(40),
                        referenceLength(2500), verification(1)})
           + recordBytes({number(0), modeFlags(0x11), measuredTorque(999), targetTorque(99), checkFlag(1)})
           + recordBytes({number(3), modeFlags(0x10), measuredTorque(-12345), targetTorque(1200),
                          measuredAngle(455), year(12), month(11), day(30), hour(16), minute(45),
                          duration(0, 0, 42), tolerance(40), referenceLength(3125), parameterSet(5),
                          schedulePreset(0x23), checkFlag(1), checkSnugTorque(300), lowerAngle(90),
                          upperAngle(120), verification(1)})
           + recordBytes({number(4), modeFlags(0x11), measuredTorque(5210), torqueUnit(1), measuredAngle(900),
                          targetAngle(90), snugTorque(250), tolerance(5), checkFlag(1), lowerTorque(400),
                          upperTorque(600), overloaded(1), schedulePreset(0x03), parameterSet(10), evaluation(1),
                          year(24), month(1), day(2), hour(8), second(59), duration(1, 2, 3)})
           + recordBytes({number(5), modeFlags(0x01), measuredTorque(88000), torqueUnit(7), measuredAngle(905),
                          targetAngle(45), snugTorque(150), negative(1), tolerance(3), schedulePreset(0xA3),
                          parameterSet(11), year(123), month(6), day(15), hour(23), minute(59), second(58),
                          evaluation(2), referenceLength(1), verification(2)})
           + recordBytes({number(6), modeFlags(0x32), checkFlag(2), measuredTorque(4711), targetTorque(470),
                          torqueUnit(3), measuredAngle(123), tolerance(7), schedulePreset(0x20), parameterSet(3),
                          evaluation(1), verification(1), year(26), month(12), day(7), hour(14), second(1),
                          duration(0, 3, 0), referenceLength(2600)})
           + recordBytes({number(7), modeFlags(0x10), checkFlag(1), torqueUnit(3), measuredTorque(-5),
                          targetTorque(10), negative(1), checkSnugTorque(5), upperAngle(360), tolerance(100),
                          schedulePreset(0x9A), parameterSet(1), evaluation(1), verification(2), year(25),
                          month(2), day(28), hour(6), minute(30), second(30), referenceLength(4000)})
           + recordBytes({number(8), modeFlags(0x10), checkFlag(2), measuredTorque(250123), overloaded(1),
                          targetTorque(2000), tolerance(50), schedulePreset(0x01), parameterSet(2), year(25),
                          month(3), day(1), hour(12), duration(0, 0, 1), referenceLength(2500)})
           + recordBytes({number(65535), modeFlags(0x00), checkFlag(1), measuredTorque(2000), torqueUnit(2),
                          checkSnugTorque(150), lowerAngle(20), upperAngle(40), measuredAngle(300), verification(0),
                          schedulePreset(0x35), parameterSet(4), year(25), month(4), day(10), hour(9),
                          minute(9), second(9), referenceLength(1800)})
           + QByteArray(10, '\xFF');
}

QString goldenFile(const QString& name)
{
    QFile file(QStringLiteral(TOLVO_HISTORY_DATA) + name);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(missing golden file %1)").arg(name);
    return QString::fromUtf8(file.readAll());
}

// The lines of the text report's first record block, by label.
QStringList blockLabels(const QString& text)
{
    const QString rule = QString(47, u'-') + u'\n';
    const qsizetype start = text.indexOf(rule);
    const qsizetype end = text.indexOf(QStringLiteral("\n\n\n"), start);
    QStringList labels;
    const QStringList lines = text.mid(start + rule.size(), end - start - rule.size()).split(u'\n');
    for (const QString& line : lines)
        labels.append(line.left(25).trimmed());
    return labels;
}

// Numbers of the non-empty fields of a CSV row, as "1-8,17" ranges.
QString filledColumns(const QString& row)
{
    QStringList ranges;
    const QStringList fields = row.split(u';');
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).isEmpty())
            continue;
        int last = i;
        while (last + 1 < fields.size() && !fields.at(last + 1).isEmpty())
            ++last;
        ranges.append(last == i ? QString::number(i + 1) : QStringLiteral("%1-%2").arg(i + 1).arg(last + 1));
        i = last;
    }
    return ranges.join(u',');
}

QString firstCsvRow(const QString& csv)
{
    return csv.section(u'\n', 1, 1);
}

} // namespace

class TestHistoryReports : public QObject
{
    Q_OBJECT

private slots:
    void matchesGoldenFile_data();
    void matchesGoldenFile();
    void bothAtOnceEqualEachAlone();
    void linesAndColumnsByCase_data();
    void linesAndColumnsByCase();
    void emptyRecordCountsButShowsNothing();
    void emptyIdentityLeavesValuesEmpty();
    void labelsPadTranslationsWithoutCutting();
    void identityTextCannotShiftCsvColumns_data();
    void identityTextCannotShiftCsvColumns();
    void writesCsvForSpreadsheetCheck();
};

void TestHistoryReports::matchesGoldenFile_data()
{
    QTest::addColumn<int>("historyMode");
    QTest::addColumn<bool>("csv");
    QTest::addColumn<QString>("file");
    QTest::newRow("text, history mode 2") << 2 << false << QStringLiteral("report_mode2.txt");
    QTest::newRow("text, history mode 3") << 3 << false << QStringLiteral("report_mode3.txt");
    QTest::newRow("csv, history mode 2") << 2 << true << QStringLiteral("report_mode2.csv");
    QTest::newRow("csv, history mode 3") << 3 << true << QStringLiteral("report_mode3.csv");
}

void TestHistoryReports::matchesGoldenFile()
{
    QFETCH(int, historyMode);
    QFETCH(bool, csv);
    QFETCH(QString, file);
    const QByteArray block = sampleBlock();
    const QString built = csv ? buildCsvReport(block, settings(historyMode))
                              : buildTextReport(block, settings(historyMode), reportTime);
    const QString expected = goldenFile(file);
    if (built != expected) {
        // Line by line, so that the first difference is named.
        const QStringList builtLines = built.split(u'\n');
        const QStringList expectedLines = expected.split(u'\n');
        for (qsizetype i = 0; i < qMin(builtLines.size(), expectedLines.size()); ++i)
            QCOMPARE(builtLines.at(i), expectedLines.at(i));
        QCOMPARE(builtLines.size(), expectedLines.size());
    }
}

void TestHistoryReports::bothAtOnceEqualEachAlone()
{
    const QByteArray block = sampleBlock();
    for (int mode : {2, 3}) {
        const HistoryReports reports = buildReports(block, settings(mode), reportTime);
        QCOMPARE(reports.text, buildTextReport(block, settings(mode), reportTime));
        QCOMPARE(reports.csv, buildCsvReport(block, settings(mode)));
    }
}

void TestHistoryReports::linesAndColumnsByCase_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("historyMode");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("columns");
    using namespace field;
    const QString mode = QStringLiteral("Measurement mode");
    const QString torqueMode = QStringLiteral("Torque mode");
    const QString measuredTorque = QStringLiteral("Measured torque");
    const QString targetTorque = QStringLiteral("Target torque");
    const QString measuredAngle = QStringLiteral("Measured angle");
    const QString targetAngle = QStringLiteral("Target angle");
    const QString snug = QStringLiteral("Snug torque");
    const QStringList when = {QStringLiteral("Date of measurement"), QStringLiteral("Time of measurement"),
                              QStringLiteral("Duration of measurement")};
    const QString evaluation = QStringLiteral("Evaluation");
    const QString tolerance = QStringLiteral("Tolerance");
    const QString length = QStringLiteral("Reference working length");
    const QString schedule = QStringLiteral("Schedule");
    const QString parameterSet = QStringLiteral("Parameter set");
    const QString verification = QStringLiteral("Verification");
    const QStringList angleLimits = {QStringLiteral("Lower angle"), QStringLiteral("Upper angle")};
    const QStringList torqueLimits = {QStringLiteral("Lower torque"), QStringLiteral("Upper torque")};

    QTest::newRow("displaying torque, history mode 3")
        << recordBytes({number(1), modeFlags(0x00)}) << 3
        << (QStringList{mode, torqueMode, measuredTorque} + when + QStringList{length}) << QStringLiteral("1-8,17-19,23-24");
    QTest::newRow("triggered torque with angle check")
        << recordBytes({number(1), modeFlags(0x10), checkFlag(1)}) << 2
        << (QStringList{mode, torqueMode, measuredTorque, targetTorque} + when
            + QStringList{evaluation, tolerance, length, schedule, QStringLiteral("Angle check"), measuredAngle, snug}
            + angleLimits + QStringList{verification})
        << QStringLiteral("1-12,15-26,28,33-37");
    QTest::newRow("triggered torque with angle check and schedule")
        << recordBytes({number(1), modeFlags(0x10), checkFlag(1), schedulePreset(0x01)}) << 2
        << (QStringList{mode, torqueMode, measuredTorque, targetTorque} + when
            + QStringList{evaluation, tolerance, length, schedule, parameterSet, QStringLiteral("Angle check"),
                          measuredAngle, snug}
            + angleLimits + QStringList{verification})
        << QStringLiteral("1-12,15-26,28,33-37");
    QTest::newRow("angle with torque check")
        << recordBytes({number(1), modeFlags(0x11), checkFlag(1)}) << 2
        << (QStringList{mode, measuredAngle, targetAngle, snug} + when
            + QStringList{evaluation, tolerance, length, schedule, QStringLiteral("Torque check"), measuredTorque}
            + torqueLimits + QStringList{verification})
        << QStringLiteral("1-5,7-8,11-27,29-32,37");
    QTest::newRow("angle with torque check, history mode 3")
        << recordBytes({number(1), modeFlags(0x11), checkFlag(1)}) << 3
        << (QStringList{mode, measuredAngle, targetAngle, snug} + when + QStringList{evaluation, tolerance, length})
        << QStringLiteral("1-5,7-8,11-24");
    QTest::newRow("displaying angle, check off")
        << recordBytes({number(1), modeFlags(0x01)}) << 2
        << (QStringList{mode, measuredTorque, measuredAngle, targetAngle, snug} + when
            + QStringList{evaluation, tolerance, length, schedule})
        << QStringLiteral("1-5,7-8,11-26");
    QTest::newRow("unknown modes, check shown without values")
        << recordBytes({number(1), modeFlags(0x32), checkFlag(2)}) << 2
        << (QStringList{mode} + when + QStringList{tolerance, length, schedule}) << QStringLiteral("1-5,7-8,17-19,21-26");
    QTest::newRow("displaying torque with check values")
        << recordBytes({number(1), modeFlags(0x00), checkFlag(1)}) << 2
        << (QStringList{mode, torqueMode, measuredTorque} + when + QStringList{length, schedule})
        << QStringLiteral("1-8,15-19,23-26,33-37");
}

void TestHistoryReports::linesAndColumnsByCase()
{
    QFETCH(QByteArray, record);
    QFETCH(int, historyMode);
    QFETCH(QStringList, lines);
    QFETCH(QString, columns);
    const HistoryReports reports = buildReports(record, settings(historyMode), reportTime);
    QCOMPARE(blockLabels(reports.text), lines);
    QCOMPARE(filledColumns(firstCsvRow(reports.csv)), columns);
}

void TestHistoryReports::emptyRecordCountsButShowsNothing()
{
    const QByteArray block = recordBytes({field::number(4), field::measuredTorque(100)})
                             + recordBytes({field::number(0), field::measuredTorque(200)});
    const HistoryReports reports = buildReports(block, settings(2), reportTime);
    QVERIFY(reports.text.contains(QStringLiteral("\n  Total measurements:    2\n")));
    QCOMPARE(reports.text.count(QStringLiteral("MEASUREMENT")), 1);
    QVERIFY(reports.text.contains(QStringLiteral("MEASUREMENT              4\n")));
    QVERIFY(!reports.text.contains(QStringLiteral("2,00")));
    QCOMPARE(reports.csv.count(u'\n'), 2);
}

void TestHistoryReports::emptyIdentityLeavesValuesEmpty()
{
    ReportSettings s = settings(2);
    s.identity = {};
    const QByteArray record = recordBytes({field::number(12)});
    const QString header = buildReportHeader(record.size(), s, reportTime);
    QVERIFY(header.contains(QStringLiteral("\n  Device name:           \n  Firmware version:      \n"
                                           "  Hardware version:      \n  Device serial number:  \n")));
    QVERIFY(buildCsvReport(record, s).contains(QStringLiteral("\n12;;;;Torque;")));
}

void TestHistoryReports::labelsPadTranslationsWithoutCutting()
{
    ReportSettings s = settings(3);
    s.translator = [](const char* text) -> QString {
        const QString source = QString::fromUtf8(text);
        if (source == QLatin1String("Measurement mode"))
            return QStringLiteral("Messart");
        if (source == QLatin1String("Reference working length"))
            return QStringLiteral("Referenz-Arbeitslänge des Schlüssels");
        if (source == QLatin1String("Report date:"))
            return QStringLiteral("Berichtsdatum:");
        return source;
    };
    const QString text = buildTextReport(recordBytes({field::number(1)}), s, reportTime);
    QVERIFY(text.contains(QStringLiteral("\n Messart                 : Torque\n")));
    QVERIFY(text.contains(QStringLiteral("\n Referenz-Arbeitslänge des Schlüssels: 0,0 mm\n")));
    QVERIFY(text.contains(QStringLiteral("\n  Berichtsdatum:         07/12/2026  14:05\n")));
}

// Quoting as RFC 4180 has it; the apostrophe before a formula as
// spreadsheet makers advise against CSV injection.
void TestHistoryReports::identityTextCannotShiftCsvColumns_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("written");
    QTest::newRow("separator and quote") << "47;11 \"B\"" << "\"47;11 \"\"B\"\"\"";
    QTest::newRow("line end") << "A\n1" << "\"A\n1\"";
    QTest::newRow("formula") << "=HYPERLINK(\"x\")" << "\"'=HYPERLINK(\"\"x\"\")\"";
    QTest::newRow("plus") << "+1" << "'+1";
    QTest::newRow("minus") << "-1" << "'-1";
    QTest::newRow("at") << "@SUM(A1)" << "'@SUM(A1)";
    QTest::newRow("tab") << "\t1" << "'\t1";
    QTest::newRow("carriage return") << "\r1" << "\"'\r1\"";
    QTest::newRow("sign inside") << "A-1=2" << "A-1=2";
    QTest::newRow("empty") << "" << "";
}

void TestHistoryReports::identityTextCannotShiftCsvColumns()
{
    QFETCH(QString, serial);
    QFETCH(QString, written);
    ReportSettings s = settings(2);
    s.identity.serialNumber = serial;
    const QString csv = buildCsvReport(recordBytes({field::number(1)}), s);
    QVERIFY2(csv.contains(QStringLiteral("\n1;F 2.14;H 3;") + written + QStringLiteral(";Torque;")), qPrintable(csv));
}

void TestHistoryReports::writesCsvForSpreadsheetCheck()
{
    // Read by check_csv.py with Python's csv module.
    const QString folder = QStringLiteral("csv/");
    QVERIFY(QDir().mkpath(folder));
    ReportSettings quoted = settings(2);
    quoted.identity.serialNumber = QStringLiteral("47;11 \"B\"");
    const QList<std::pair<QString, ReportSettings>> files = {{QStringLiteral("mode2.csv"), settings(2)},
                                                             {QStringLiteral("mode3.csv"), settings(3)},
                                                             {QStringLiteral("quoted.csv"), quoted}};
    for (const auto& [name, fileSettings] : files) {
        QFile file(folder + name);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(file.write(buildCsvReport(sampleBlock(), fileSettings).toUtf8()) > 0);
    }
}

QTEST_APPLESS_MAIN(TestHistoryReports)
#include "tst_historyreports.moc"
