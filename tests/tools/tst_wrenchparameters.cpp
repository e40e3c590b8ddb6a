// The wrench's parameters: description records as the tool parses them, the
// list download, reads, writes with their refusals, and the access codes.
#include "describedrecord.h"
#include "toolside.h"

#include "tools/wrenchconfig.h"

#include <QSet>
#include <QTest>
#include <QtEndian>

#include <cmath>

using namespace wrench;

namespace {

// Turns a display text into value bytes as the tool's parameter model does
// for a scalar integer: hex display parses base 16, decimals scale.
QByteArray encodeAsDescribed(const Described& d, const QString& text)
{
    bool ok = false;
    qint64 raw = 0;
    if ((d.info & 0x38) == 0x08)
        raw = static_cast<qint64>(text.toULongLong(&ok, 16));
    else
        raw = std::llround(text.toDouble(&ok) * std::pow(10.0, d.info & 7));
    QByteArray out;
    for (int i = 0; i < sizeOfType(d.type()); ++i)
        out.append(static_cast<char>((raw >> (8 * i)) & 0xFF));
    return ok ? out : QByteArray();
}

QByteArray drq(quint16 id)
{
    QByteArray p("DRQ");
    wire::appendBe16(p, id);
    wire::appendBe16(p, 1);
    return p;
}

QByteArray dsp(quint16 id, const QByteArray& value)
{
    QByteArray p("DSP");
    wire::appendBe16(p, id);
    wire::appendBe16(p, static_cast<quint16>(value.size()));
    return p + value;
}

// A wrench session with a tool talking to it.
struct Bench {
    qint64 now = 0;
    WrenchSession session;
    ToolSide tool{session};

    explicit Bench(const WrenchConfig& config = WrenchConfig())
        : session(config, [this] { return now; })
    {
    }

    QList<Frame> ask(const QByteArray& request)
    {
        tool.request(request);
        return tool.converse();
    }
    QByteArray value(quint16 id)
    {
        const QList<QByteArray> answers = dataOf(ask(drq(id)), "DTM");
        if (answers.size() != 1 || wire::be16(answers[0], 0) != id)
            return QByteArray("no answer");
        return answers[0].mid(4, wire::be16(answers[0], 2));
    }
    // The error code reported for a request; 0 for none.
    int errorFor(const QByteArray& request)
    {
        const QList<QByteArray> errors = dataOf(ask(request), "ERR");
        return errors.isEmpty() ? 0 : wire::be16(errors[0], 0);
    }
};

Described describe(quint32 id)
{
    for (const QByteArray& record : ParameterTable().descriptionRecords()) {
        Described d;
        if (parseRecord(record, d) && d.pid == id)
            return d;
    }
    return Described();
}

QByteArray le32Bytes(quint32 value)
{
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

} // namespace

class TestWrenchParameters : public QObject {
    Q_OBJECT

private slots:
    void descriptionRecordsAreWellFormed();
    void listDownloadCarriesEveryRecord();
    void readsAnswerEveryParameter();
    void accessCodeRaisesLevel_data();
    void accessCodeRaisesLevel();
    void writesFollowAccessAndLimits();
    void unknownIdsAnswered_data();
    void unknownIdsAnswered();
    void silentIdsGoUnanswered_data();
    void silentIdsGoUnanswered();
};

void TestWrenchParameters::descriptionRecordsAreWellFormed()
{
    ParameterTable table;
    const QList<QByteArray> records = table.descriptionRecords();
    QByteArray header;
    QVERIFY(table.read(1, &header));
    QCOMPARE(header.size(), 8);
    QCOMPARE(static_cast<quint8>(header[4]) | static_cast<quint8>(header[5]) << 8, records.size());

    Coverage coverage;
    for (const QByteArray& record : records) {
        Described d;
        const QByteArray problem = coverage.check(record, d);
        QVERIFY2(problem.isEmpty(), problem.constData());
    }
    QCOMPARE(coverage.types, (QSet<quint8>{0x00, 0x01, 0x02, 0x10, 0x11, 0x30, 0x31, 0x34}));
    QVERIFY(coverage.textTable && coverage.numberTable && coverage.emptyValue && coverage.skippedBlock);
    QVERIFY(coverage.hexDisplay && coverage.decimals && coverage.withoutLimits && coverage.withoutUnit);
    for (quint32 id : {1U, 5U, 100U, 101U, 103U, 113U, 135U})
        QVERIFY2(coverage.ids.contains(id), qPrintable(QString::number(id)));
    const Described access = describe(5);
    QCOMPARE(access.type(), quint8(0x30));
    QCOMPARE(access.rows() * access.columns(), 1);
}

void TestWrenchParameters::listDownloadCarriesEveryRecord()
{
    WrenchConfig config;
    config.blockSize = 40; // longer records come in several blocks
    Bench bench(config);
    QByteArray request("RRQ");
    wire::appendBe16(request, WrenchSession::DescriptionList);
    const QList<Frame> frames = bench.ask(request);
    const QList<QByteArray> records = bench.session.parameters().descriptionRecords();
    const Downloads downloads(frames);

    QCOMPARE(downloads.numbers.size(), records.size() + 1);
    QCOMPARE(dataOf(frames, "RFI").size(), records.size() + 1);
    for (int i = 0; i < records.size(); ++i) {
        QCOMPARE(downloads.numbers[i], WrenchSession::DescriptionList);
        QCOMPARE(downloads.announced[i], quint32(records[i].size()));
        QCOMPARE(downloads.blocks[i], records[i]);
    }
    QCOMPARE(downloads.numbers.last(), quint16(0));
    QCOMPARE(downloads.announced.last(), quint32(0));
    QVERIFY(downloads.blocks.last().isEmpty());
    // The list ends with the empty download: its start, then its end.
    QCOMPARE(frames.last().mnemonic(), QByteArray("RFI"));
}

void TestWrenchParameters::readsAnswerEveryParameter()
{
    WrenchConfig config;
    config.identity.deviceName = "BENCH WRENCH";
    config.identity.serial = "SN/4711";
    config.identity.historyMode = 1;
    Bench bench(config);
    for (const Parameter& p : bench.session.parameters().parameters()) {
        const QByteArray value = bench.value(static_cast<quint16>(p.id));
        QCOMPARE(value.size(), p.valueSize());
    }
    auto text = [&](quint16 id) {
        const QByteArray v = bench.value(id);
        return v.left(v.indexOf('\0'));
    };
    QCOMPARE(text(100), QByteArray("BENCH WRENCH"));
    QVERIFY(text(101).contains('F'));
    QVERIFY(!text(101).contains('B'));
    QCOMPARE(text(135), QByteArray("SN/4711"));
    QCOMPARE(bench.value(113), QByteArray(1, '\1'));
    QCOMPARE(bench.value(5), le32Bytes(1));
}

void TestWrenchParameters::accessCodeRaisesLevel_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<quint32>("level");
    QTest::newRow("text code, encoded as described")
        << encodeAsDescribed(describe(5), QStringLiteral("720356")) << 3U;
    QTest::newRow("four-byte code") << le32Bytes(583019) << 3U;
    QTest::newRow("wrong code") << le32Bytes(123456) << 1U;
    QTest::newRow("level itself is no code") << le32Bytes(3) << 1U;
}

void TestWrenchParameters::accessCodeRaisesLevel()
{
    QFETCH(QByteArray, code);
    QFETCH(quint32, level);
    QCOMPARE(code.size(), 4);
    Bench bench;
    QCOMPARE(bench.value(5), le32Bytes(1));
    QCOMPARE(bench.errorFor(dsp(5, code)), 0);
    QCOMPARE(bench.value(5), le32Bytes(level));
}

void TestWrenchParameters::writesFollowAccessAndLimits()
{
    Bench bench;
    // The history mode needs the service level.
    QCOMPARE(bench.errorFor(dsp(113, QByteArray(1, '\1'))), 106);
    QCOMPARE(bench.errorFor(dsp(5, le32Bytes(583019))), 0);
    QCOMPARE(bench.errorFor(dsp(113, QByteArray(1, '\1'))), 0);
    QCOMPARE(bench.value(113), QByteArray(1, '\1'));
    QCOMPARE(bench.errorFor(dsp(113, QByteArray(1, '\x09'))), 101);
    // Signed limits: -10..10.
    QCOMPARE(bench.errorFor(dsp(201, QByteArray(1, char(-11)))), 102);
    QCOMPARE(bench.errorFor(dsp(201, QByteArray(1, char(-7)))), 0);
    QCOMPARE(bench.value(201), QByteArray(1, char(-7)));
    // Float limits: 0.5..2.0.
    auto floatBytes = [](float value) { return QByteArray(reinterpret_cast<const char*>(&value), 4); };
    QCOMPARE(bench.errorFor(dsp(207, floatBytes(1.5F))), 0);
    QCOMPARE(bench.errorFor(dsp(207, floatBytes(5.0F))), 101);
    QCOMPARE(bench.errorFor(dsp(207, floatBytes(0.25F))), 102);
    QCOMPARE(bench.errorFor(dsp(203, QByteArray(1, '\1'))), 104);
    QCOMPARE(bench.errorFor(dsp(101, QByteArray(24, 'X'))), 106);
    QCOMPARE(bench.errorFor(dsp(209, QByteArray(1, '\0'))), 106); // needs level 5
    QCOMPARE(bench.errorFor(dsp(5, QByteArray(2, '\0'))), 104);
    // A set whose length field runs past the frame.
    QByteArray cut("DSP");
    wire::appendBe16(cut, 203);
    wire::appendBe16(cut, 2);
    QCOMPARE(bench.errorFor(cut + '\1'), 104);
    // The text table takes a whole table.
    const QByteArray texts = QByteArray("OK").leftJustified(12, '\0') + QByteArray(24, '\0');
    QCOMPARE(bench.errorFor(dsp(211, texts)), 0);
    QCOMPARE(bench.value(211), texts);
}

void TestWrenchParameters::unknownIdsAnswered_data()
{
    QTest::addColumn<bool>("erx");
    QTest::newRow("ERR") << false;
    QTest::newRow("ERX") << true;
}

void TestWrenchParameters::unknownIdsAnswered()
{
    QFETCH(bool, erx);
    WrenchConfig config;
    config.unknownAsErx = erx;
    Bench bench(config);
    for (const QByteArray& request : {drq(4242), dsp(4242, QByteArray(1, '\0'))}) {
        const QList<Frame> frames = bench.ask(request);
        if (!erx) {
            const QList<QByteArray> reports = dataOf(frames, "ERR");
            QCOMPARE(reports.size(), 1);
            QCOMPARE(reports[0], QByteArray::fromHex("0069"));
            continue;
        }
        const QList<QByteArray> reports = dataOf(frames, "ERX");
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].left(8), QByteArray::fromHex("0000006900000000"));
        const QList<QByteArray> parts = reports[0].mid(8).split('@');
        QVERIFY(parts.first().contains("#1"));
        QCOMPARE(parts.size(), 3); // text "@@" item
        QCOMPARE(parts.last(), QByteArray("4242"));
    }
}

void TestWrenchParameters::silentIdsGoUnanswered_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<quint16>("id");
    QTest::addColumn<bool>("answered");
    const QString silent = QStringLiteral("--silent-ids");
    QTest::newRow("listed") << QStringList{silent, QStringLiteral("101")} << quint16(101) << false;
    QTest::newRow("one of several, in hex") << QStringList{silent, QStringLiteral("100, 0x65,135")} << quint16(101)
                                            << false;
    QTest::newRow("unknown ID, no ERR") << QStringList{silent, QStringLiteral("4242")} << quint16(4242) << false;
    QTest::newRow("unknown ID, no ERX") << QStringList{QStringLiteral("--unknown-erx"), silent, QStringLiteral("4242")}
                                        << quint16(4242) << false;
    QTest::newRow("not listed") << QStringList{silent, QStringLiteral("101,135")} << quint16(100) << true;
    QTest::newRow("not listed, unknown") << QStringList{silent, QStringLiteral("101")} << quint16(4242) << true;
    QTest::newRow("no list") << QStringList() << quint16(101) << true;
}

// A silent read is acknowledged and nothing more; the wrench goes on
// answering the others.
void TestWrenchParameters::silentIdsGoUnanswered()
{
    QFETCH(QStringList, options);
    QFETCH(quint16, id);
    QFETCH(bool, answered);
    WrenchConfig config;
    QCOMPARE(parse(options, config).outcome, ParsedArguments::Run);
    Bench bench(config);
    bench.tool.request(drq(id));
    const QList<Frame> frames = bench.tool.converse();
    QVERIFY(!frames.isEmpty());
    QCOMPARE(frames[0].control(), frame::ControlAck);
    QCOMPARE(frames.size(), answered ? 2 : 1);
    bench.now += 10'000'000;
    bench.session.poll();
    QVERIFY(bench.tool.take().isEmpty());
    QCOMPARE(bench.value(5), le32Bytes(1));
}

QTEST_GUILESS_MAIN(TestWrenchParameters)
#include "tst_wrenchparameters.moc"
