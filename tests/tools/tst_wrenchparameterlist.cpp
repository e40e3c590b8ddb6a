// Parameter lists of any size: generated with --parameters, read from a file
// with --parameters-file; every record keeps to the description layout.
#include "describedrecord.h"
#include "toolside.h"

#include "tools/parameterfile.h"
#include "tools/parametergenerator.h"
#include "tools/wrenchconfig.h"

#include <QTemporaryFile>
#include <QTest>

using namespace wrench;

namespace {

const int FixedCount = static_cast<int>(ParameterTable::fixedIds().size());

int announcedCount(ParameterTable& table)
{
    QByteArray header;
    if (!table.read(ParameterTable::ListHeaderId, &header) || header.size() != 8)
        return -1;
    return qFromLittleEndian<quint16>(header.constData() + 4);
}

// The settings of a one-line file, or nothing with the reason.
QList<Described> describedFromFile(const QByteArray& text, QString& error)
{
    QTemporaryFile file;
    if (!file.open() || file.write(text) != text.size() || !file.flush()) {
        error = file.errorString();
        return {};
    }
    WrenchConfig config;
    const ParsedArguments parsed = parse({QStringLiteral("--parameters-file"), file.fileName()}, config);
    if (parsed.outcome != ParsedArguments::Run) {
        error = parsed.text.mid(file.fileName().size() + 1);
        return {};
    }
    QList<Described> described;
    for (const QByteArray& record : ParameterTable(DeviceIdentity(), config.settings).descriptionRecords()) {
        Described d;
        if (!parseRecord(record, d)) {
            error = QStringLiteral("record does not keep to the layout");
            return {};
        }
        described.append(d);
    }
    return described.mid(FixedCount);
}

} // namespace

class TestWrenchParameterList : public QObject {
    Q_OBJECT

private slots:
    void generatedListKeepsToLayout_data();
    void generatedListKeepsToLayout();
    void countsRefused_data();
    void countsRefused();
    void fileLines_data();
    void fileLines();
    void fileRefusals_data();
    void fileRefusals();
    void changingTableKeepsItsShape();
    void downloadServesTheList_data();
    void downloadServesTheList();
};

void TestWrenchParameterList::generatedListKeepsToLayout_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("everyShape");
    const int full = FixedCount + parametergenerator::shapeCount();
    QTest::newRow("fixed parameters only") << FixedCount << false;
    QTest::newRow("one short of every shape") << full - 1 << false;
    QTest::newRow("every shape once") << full << true;
    QTest::newRow("500") << 500 << true;
    QTest::newRow("largest") << FixedCount + parametergenerator::MaxCount << true;
}

void TestWrenchParameterList::generatedListKeepsToLayout()
{
    QFETCH(int, count);
    QFETCH(bool, everyShape);
    WrenchConfig config;
    const ParsedArguments parsed = parse({QStringLiteral("--parameters"), QString::number(count)}, config);
    QCOMPARE(parsed.outcome, ParsedArguments::Run);
    ParameterTable table(config.identity, config.settings);
    const QList<QByteArray> records = table.descriptionRecords();
    QCOMPARE(records.size(), count);
    QCOMPARE(announcedCount(table), count);

    Coverage coverage;
    for (const QByteArray& record : records) {
        Described d;
        const QByteArray problem = coverage.check(record, d);
        QVERIFY2(problem.isEmpty(), problem.constData());
    }
    QCOMPARE(coverage.everyTypeAndShape(), everyShape);
    for (quint32 id : ParameterTable::fixedIds())
        QVERIFY2(coverage.ids.contains(id), qPrintable(QString::number(id)));
}

void TestWrenchParameterList::countsRefused_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("reason");
    const QString fewest = QString::number(FixedCount);
    const QString most = QString::number(FixedCount + parametergenerator::MaxCount);
    QTest::newRow("fewer than the fixed ones")
        << QStringList{QStringLiteral("--parameters"), QString::number(FixedCount - 1)} << fewest;
    QTest::newRow("more than 16-bit IDs hold")
        << QStringList{QStringLiteral("--parameters"), QString::number(FixedCount + parametergenerator::MaxCount + 1)}
        << most;
    QTest::newRow("no number") << QStringList{QStringLiteral("--parameters"), QStringLiteral("many")}
                               << QStringLiteral("many");
    QTest::newRow("both sources")
        << QStringList{QStringLiteral("--parameters"), QStringLiteral("50"), QStringLiteral("--parameters-file"),
                       QStringLiteral("/dev/null")}
        << QStringLiteral("exclude");
    QTest::newRow("missing file")
        << QStringList{QStringLiteral("--parameters-file"), QStringLiteral("/nonexistent/list")}
        << QStringLiteral("cannot read /nonexistent/list");
    QTest::newRow("silent ID beyond 16 bits")
        << QStringList{QStringLiteral("--silent-ids"), QStringLiteral("100,65536")} << QStringLiteral("\"100,65536\"");
    QTest::newRow("silent IDs with a gap") << QStringList{QStringLiteral("--silent-ids"), QStringLiteral("5,,7")}
                                           << QStringLiteral("--silent-ids");
    QTest::newRow("no identification answer")
        << QStringList{QStringLiteral("--ver-answers"), QStringLiteral("0")} << QStringLiteral("--ver-answers");
}

void TestWrenchParameterList::countsRefused()
{
    QFETCH(QStringList, options);
    QFETCH(QString, reason);
    WrenchConfig config;
    const ParsedArguments parsed = parse(options, config);
    QCOMPARE(parsed.outcome, ParsedArguments::Failed);
    QVERIFY2(parsed.text.contains(reason), qPrintable(parsed.text));
}

void TestWrenchParameterList::fileLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<quint32>("attr");
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<QByteArray>("limits"); // MIN then MAX, hex
    QTest::addColumn<QByteArray>("value");  // hex
    QTest::addColumn<QByteArrayList>("texts"); // name, unit, module, description

    QTest::newRow("u16 with limits") << QByteArray("300;u16;1x1;0x13;0x81;50..2000;1250;Nominal torque;Nm;Measurement;")
                                     << 0x01000000U << 0x3BFU << QByteArray("32000000d0070000")
                                     << QByteArray("e204")
                                     << QByteArrayList{"Nominal torque", "Nm", "Measurement", ""};
    QTest::newRow("s8, negative limit") << QByteArray("301;s8;1x1;3;0;-10..10;-5;Angle;;Calibration;Two\\nlines")
                                        << 0x00100000U << 0x6BFU << QByteArray("f6ffffff0a000000")
                                        << QByteArray("fb")
                                        << QByteArrayList{"Angle", "", "Calibration", "Two\\nlines"};
    QTest::newRow("float") << QByteArray("302;float;1x1;3;2;0.5..2;1.25;Gain;;Calibration;")
                           << 0x03400000U << 0x2BFU << QByteArray("0000003f00000040")
                           << QByteArray("0000a03f") << QByteArrayList{"Gain", "", "Calibration", ""};
    QTest::newRow("text table, short rows padded")
        << QByteArray("303;char;3x4;1;0x80;;OK|ABC;Texts;;Display;") << 0x00200C02U << 0x2AFU << QByteArray()
        << QByteArray("4f4b000041424300" "00000000") << QByteArrayList{"Texts", "", "Display", ""};
    QTest::newRow("character") << QByteArray("304;char;1x1;1;0;;A;Beeper;;Display;") << 0x00200000U
                               << 0x2AFU << QByteArray() << QByteArray("41")
                               << QByteArrayList{"Beeper", "", "Display", ""};
    QTest::newRow("number table, hex element") << QByteArray("305;u16;2x2;0;1;;1 2 0x10 65535;Points;Nm;Cal;")
                                               << 0x01000401U << 0x3AFU << QByteArray()
                                               << QByteArray("010002001000ffff")
                                               << QByteArrayList{"Points", "Nm", "Cal", ""};
    QTest::newRow("described without value") << QByteArray("306;u8;1x1;3;0;;-;Reset;;Service;") << 0U
                                             << 0x2AFU << QByteArray() << QByteArray()
                                             << QByteArrayList{"Reset", "", "Service", ""};
    QTest::newRow("empty value is zero, Latin-1 unit, CR LF")
        << QByteArray("# comment\r\n\r\n307;s32;1x3;0;8;;;Offsets;\xC2\xB0;Device;\r\n") << 0x03100800U << 0x3AFU
        << QByteArray() << QByteArray(24, '0') << QByteArrayList{"Offsets", "\xB0", "Device", ""};
}

void TestWrenchParameterList::fileLines()
{
    QFETCH(QByteArray, line);
    QFETCH(quint32, attr);
    QFETCH(quint32, flags);
    QFETCH(QByteArray, limits);
    QFETCH(QByteArray, value);
    QFETCH(QByteArrayList, texts);
    QString error;
    const QList<Described> described = describedFromFile(line, error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(described.size(), 1);
    const Described& d = described.first();
    QCOMPARE(d.attr, attr);
    QCOMPARE(d.flags, flags);
    QCOMPARE(d.pid, quint32(line.mid(line.indexOf("30"), 3).toUInt()));
    QByteArray bounds;
    if (flags & 0x010) {
        bounds.resize(8);
        qToLittleEndian(d.min, bounds.data());
        qToLittleEndian(d.max, bounds.data() + 4);
    }
    QCOMPARE(bounds.toHex(), limits);
    QCOMPARE(d.value.toHex(), value);
    QCOMPARE((QByteArrayList{d.name, d.unit, d.module, d.description}), texts);
}

void TestWrenchParameterList::fileRefusals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const QByteArray good("300;u8;1x1;1;0;;7;Good;;M;\n");
    QTest::newRow("field missing") << QByteArray("300;u8;1x1;1;0;;7;Name;;M\n") << QStringLiteral("line 1: 10 fields");
    QTest::newRow("fixed ID") << QByteArray("5;u8;1x1;1;0;;7;Name;;M;\n") << QStringLiteral("line 1: ID 5 is taken");
    QTest::newRow("ID twice, after a comment") << good + "# again\n" + good
                                               << QStringLiteral("line 3: ID 300 is taken");
    QTest::newRow("ID beyond 16 bits") << QByteArray("65536;u8;1x1;1;0;;7;Name;;M;\n") << QStringLiteral("line 1: ID");
    QTest::newRow("unknown type") << QByteArray("300;u64;1x1;1;0;;7;Name;;M;\n") << QStringLiteral("unknown type");
    QTest::newRow("no rows") << QByteArray("300;u8;0x3;1;0;;;Name;;M;\n") << QStringLiteral("shape \"0x3\"");
    QTest::newRow("too wide") << QByteArray("300;u8;1x1025;1;0;;;Name;;M;\n") << QStringLiteral("shape");
    QTest::newRow("u8 above 255") << QByteArray("300;u8;1x1;1;0;;256;Name;;M;\n") << QStringLiteral("\"256\" is no u8");
    QTest::newRow("s16 below its range") << QByteArray("300;s16;1x1;1;0;;-32769;Name;;M;\n")
                                         << QStringLiteral("is no s16");
    QTest::newRow("elements short of the shape") << QByteArray("300;u16;2x2;1;0;;1 2 3;Name;;M;\n")
                                                 << QStringLiteral("3 elements instead of 4");
    QTest::newRow("text row fills its row") << QByteArray("300;char;2x4;1;0;;OK|FULL;Name;;M;\n")
                                            << QStringLiteral("longer than 3");
    QTest::newRow("more text rows than the shape") << QByteArray("300;char;2x4;1;0;;A|B|C;Name;;M;\n")
                                                   << QStringLiteral("more than 2 rows");
    QTest::newRow("limits for characters") << QByteArray("300;char;1x1;1;0;1..2;A;Name;;M;\n")
                                           << QStringLiteral("limits");
    QTest::newRow("limits not a range") << QByteArray("300;u8;1x1;1;0;5;7;Name;;M;\n") << QStringLiteral("limits");
    QTest::newRow("no name") << QByteArray("300;u8;1x1;1;0;;7;;;M;\n") << QStringLiteral("must not be empty");
    QTest::newRow("outside Latin-1") << QByteArray("300;u8;1x1;1;0;;7;Price \xE2\x82\xAC;;M;\n")
                                     << QStringLiteral("outside Latin-1");
}

void TestWrenchParameterList::fileRefusals()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    QString reason;
    QVERIFY(describedFromFile(text, reason).isEmpty());
    QVERIFY2(reason.contains(error), qPrintable(reason));
}

// A table whose values change on their own (DYNAMIC) is read as it stands,
// whole.
void TestWrenchParameterList::changingTableKeepsItsShape()
{
    QList<Parameter> settings;
    QString error;
    QVERIFY2(parameterfile::parse("310;s16;2x2;0;0x41;;-1 2 -3 4;Live table;;M;\n"
                                  "311;s16;1x1;0;0x41;;-1;Live value;;M;\n",
                                  settings, error),
             qPrintable(error));
    ParameterTable table(DeviceIdentity(), settings);
    QByteArray value;
    for (int read = 0; read < 3; ++read) {
        QVERIFY(table.read(310, &value));
        QCOMPARE(value.toHex(), QByteArray("ffff0200fdff0400"));
    }
    QSet<QByteArray> scalarValues;
    for (int read = 0; read < 4; ++read) {
        QVERIFY(table.read(311, &value));
        QCOMPARE(value.size(), 2);
        scalarValues.insert(value);
    }
    QVERIFY(scalarValues.size() > 1);
}

// The list download of a generated list carries every description, in
// order, and the header announces them all. The downloads carry the list's
// number, or their own from 1 on; the one that ends the list is 0.
void TestWrenchParameterList::downloadServesTheList_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("numbered");
    QTest::newRow("the list's number") << QStringList() << false;
    QTest::newRow("numbered one by one") << QStringList{QStringLiteral("--number-descriptions")} << true;
}

void TestWrenchParameterList::downloadServesTheList()
{
    QFETCH(QStringList, options);
    QFETCH(bool, numbered);
    WrenchConfig config;
    QCOMPARE(parse(options + QStringList{QStringLiteral("--parameters"), QStringLiteral("60")}, config).outcome,
             ParsedArguments::Run);
    qint64 now = 0;
    WrenchSession session(config, [&now] { return now; });
    ToolSide tool(session);
    QByteArray request("RRQ");
    wire::appendBe16(request, WrenchSession::DescriptionList);
    tool.request(request);
    const Downloads downloads(tool.converse());
    QCOMPARE(downloads.numbers.size(), 61);
    QCOMPARE(downloads.numbers.last(), quint16(0));
    QVERIFY(downloads.blocks.last().isEmpty());
    Coverage coverage;
    for (int i = 0; i < 60; ++i) {
        QCOMPARE(downloads.numbers[i], numbered ? quint16(i + 1) : WrenchSession::DescriptionList);
        Described d;
        const QByteArray problem = coverage.check(downloads.blocks[i], d);
        QVERIFY2(problem.isEmpty(), problem.constData());
    }
    QVERIFY(coverage.everyTypeAndShape());
    QCOMPARE(announcedCount(session.parameters()), 60);
}

QTEST_GUILESS_MAIN(TestWrenchParameterList)
#include "tst_wrenchparameterlist.moc"
