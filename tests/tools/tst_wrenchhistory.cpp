// The wrench's history: the 64-byte record layout, a generated history that
// holds every kind of record the reports tell apart, and its download.
#include "toolside.h"

#include "tools/historygenerator.h"
#include "tools/wrenchconfig.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace wrench;

namespace {

// Field readers by offset, written from the record layout, not from the encoder.
int u8(const QByteArray& r, int offset)
{
    return static_cast<quint8>(r.at(offset));
}
int s8(const QByteArray& r, int offset)
{
    return static_cast<qint8>(r.at(offset));
}
int u16(const QByteArray& r, int offset)
{
    return u8(r, offset) | u8(r, offset + 1) << 8;
}
qint32 s32(const QByteArray& r, int offset)
{
    return static_cast<qint32>(static_cast<quint32>(u16(r, offset)) | static_cast<quint32>(u16(r, offset + 2)) << 16);
}

QByteArray historyRequest()
{
    QByteArray p("RRQ");
    wire::appendBe16(p, WrenchSession::History);
    return p;
}

} // namespace

class TestWrenchHistory : public QObject {
    Q_OBJECT

private slots:
    void recordLayoutKnownAnswer();
    void generatedHistoryCoversEveryKind();
    void download_data();
    void download();
    void historyFileAndOptions();
};

void TestWrenchHistory::recordLayoutKnownAnswer()
{
    HistoryEntry e;
    e.measurementMode = 1;
    e.torqueMode = 1;
    e.measuredTorque = -12345;
    e.targetTorque = 1200;
    e.torqueUnit = 3;
    e.measuredAngle = 905;
    e.targetAngle = 90;
    e.number = 0x1234;
    e.year = 9;
    e.month = 5;
    e.day = 9;
    e.hour = 13;
    e.minute = 45;
    e.second = 59;
    e.duration = {1, 2, -3};
    e.evaluation = 1;
    e.tolerance = 25;
    e.referenceLength = 2505;
    e.parameterSet = 10;
    e.schedulePreset = 0x23;
    e.checkFlag = 1;
    e.checkSnugTorque = 300;
    e.lowerAngle = 30;
    e.upperAngle = 60;
    e.snugTorque = 250;
    e.lowerTorque = 400;
    e.upperTorque = 600;
    e.verification = 2;
    e.overloaded = 1;
    e.negative = 1;
    const QByteArray expected = QByteArray::fromHex(
        "11" "c7cfffff" "b004" "03" "8903" "5a00" "3412" "09" "05" "00" "09" "0d" "2d" "3b"
        "0102fd" "01" "1900" "c909" "0a" "23" "01" "2c01" "0000" "1e00" "3c00" "fa00" "9001"
        "5802" "02" "01" "01" "000000000000000000000000000000");
    QCOMPARE(expected.size(), 64);
    QCOMPARE(e.encode().toHex(), expected.toHex());
}

void TestWrenchHistory::generatedHistoryCoversEveryKind()
{
    const QByteArray block = history::encode(history::generate(history::DefaultCount));
    QCOMPARE(block.size(), history::DefaultCount * 64);

    QSet<int> modes, torqueModes, units, checks, evaluations, verifications, parameterSets;
    QSet<int> schedules, presets, years;
    bool negative = false, overloaded = false, empty = false, negativeTorque = false;
    bool angleCheckValues = false, torqueCheckValues = false, unusedBytesClear = true;
    for (int i = 0; i < block.size() / 64; ++i) {
        const QByteArray r = block.mid(i * 64, 64);
        if (u16(r, 12) == 0) {
            empty = true;
            continue;
        }
        const int mode = u8(r, 0) & 0x0F;
        modes.insert(mode);
        torqueModes.insert(u8(r, 0) >> 4);
        units.insert(u8(r, 7));
        checks.insert(u8(r, 31));
        evaluations.insert(u8(r, 24));
        verifications.insert(u8(r, 46));
        parameterSets.insert(u8(r, 29));
        schedules.insert(u8(r, 30) & 0x0F);
        presets.insert(u8(r, 30) >> 4);
        years.insert(s8(r, 14));
        negative |= u8(r, 48) != 0;
        overloaded |= u8(r, 47) != 0;
        negativeTorque |= s32(r, 1) < 0;
        // An angle check of a torque measurement, a torque check of an
        // angle measurement, each with limits that make sense.
        if (u8(r, 31) == 1 && mode == 0) {
            QVERIFY(u16(r, 36) < u16(r, 38));
            angleCheckValues = true;
        }
        if (u8(r, 31) == 1 && mode == 1) {
            QVERIFY(u16(r, 42) < u16(r, 44));
            torqueCheckValues = true;
        }
        QVERIFY(s8(r, 15) >= 1 && s8(r, 15) <= 12);
        QVERIFY(s8(r, 17) >= 1 && s8(r, 17) <= 31);
        unusedBytesClear &= u8(r, 16) == 0 && u16(r, 34) == 0 && r.mid(49).count('\0') == 15;
    }
    QCOMPARE(modes, (QSet<int>{0, 1, 2}));
    QCOMPARE(torqueModes, (QSet<int>{0, 1, 3}));
    QCOMPARE(units, (QSet<int>{0, 1, 2, 3, 7}));
    QCOMPARE(checks, (QSet<int>{0, 1, 2}));
    QCOMPARE(evaluations, (QSet<int>{0, 1, 2}));
    QCOMPARE(verifications, (QSet<int>{0, 1, 2}));
    for (int set = 0; set <= 11; ++set)
        QVERIFY2(parameterSets.contains(set), qPrintable(QString::number(set)));
    QVERIFY(schedules.contains(0) && schedules.contains(1) && schedules.contains(10) && schedules.contains(11));
    QVERIFY(presets.contains(0) && presets.contains(9) && presets.contains(10) && presets.contains(15));
    QVERIFY(years.contains(123));
    QVERIFY(negative && overloaded && empty && negativeTorque);
    QVERIFY(angleCheckValues && torqueCheckValues && unusedBytesClear);
    // The same request gives the same history.
    QCOMPARE(history::encode(history::generate(history::DefaultCount)), block);
}

void TestWrenchHistory::download_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("blockSize");
    QTest::addColumn<int>("extraBytes");
    QTest::newRow("ten records, one per block") << 10 << 64 << 0;
    QTest::newRow("blocks across records") << 25 << 100 << 0;
    QTest::newRow("largest blocks") << 40 << 1024 << 0;
    QTest::newRow("trailing partial record") << 2 << 64 << 2;
    QTest::newRow("empty history") << 0 << 256 << 0;
}

void TestWrenchHistory::download()
{
    QFETCH(int, records);
    QFETCH(int, blockSize);
    QFETCH(int, extraBytes);
    WrenchConfig config;
    config.history = history::encode(history::generate(records)) + QByteArray(extraBytes, '\x55');
    config.blockSize = blockSize;
    qint64 now = 0;
    WrenchSession session(config, [&] { return now; });
    ToolSide tool(session);
    tool.request(historyRequest());
    const QList<Frame> frames = tool.converse();

    const Downloads downloads(frames);
    QCOMPARE(downloads.numbers, QList<quint16>{WrenchSession::History});
    QCOMPARE(downloads.announced.first(), quint32(config.history.size()));
    QCOMPARE(downloads.blocks.first(), config.history);
    const QList<QByteArray> blocks = dataOf(frames, "RRN");
    QCOMPARE(blocks.size(), (config.history.size() + blockSize - 1) / blockSize);
    for (const QByteArray& b : blocks)
        QVERIFY(b.size() <= blockSize);
    for (const Frame& f : frames) {
        if (f.mnemonic() == "RRN")
            QCOMPARE(f.control(), frame::ControlAckRequested);
    }
    QCOMPARE(frames.last().mnemonic(), QByteArray("RFI"));
}

void TestWrenchHistory::historyFileAndOptions()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("history.bin"));
    const QByteArray content = history::encode(history::generate(2)) + "\x01\x02";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    auto parse = [](const QStringList& args, WrenchConfig& config) {
        return parseArguments(QStringList{QStringLiteral("tolvo-wrench")} + args, config);
    };
    WrenchConfig config;
    ParsedArguments parsed = parse({QStringLiteral("--history-file"), path, QStringLiteral("--crc"),
                                    QStringLiteral("--ident"), QStringLiteral("SOLO"),
                                    QStringLiteral("--corrupt-every"), QStringLiteral("0x10")},
                                   config);
    QCOMPARE(parsed.outcome, ParsedArguments::Run);
    QCOMPARE(config.history, content);
    QCOMPARE(config.link.kind, frame::StartCrc);
    QCOMPARE(config.identification, QByteArray("SOLO"));
    QCOMPARE(config.link.corruptEvery, 16);
    QCOMPARE(config.replugAfterMs, -1);

    WrenchConfig counted;
    QCOMPARE(parse({QStringLiteral("--history-count"), QStringLiteral("3")}, counted).outcome,
             ParsedArguments::Run);
    QCOMPARE(counted.history.size(), 3 * 64);

    const QList<QStringList> refused{
        {QStringLiteral("--block-size"), QStringLiteral("0")},
        {QStringLiteral("--block-size"), QStringLiteral("1025")},
        {QStringLiteral("--access-level"), QStringLiteral("six")},
        {QStringLiteral("--history-file"), dir.filePath(QStringLiteral("missing.bin"))},
        {QStringLiteral("--no-such-option")},
        {QStringLiteral("stray")},
    };
    for (const QStringList& args : refused) {
        WrenchConfig c;
        parsed = parse(args, c);
        QVERIFY2(parsed.outcome == ParsedArguments::Failed, qPrintable(args.join(QLatin1Char(' '))));
        QVERIFY(!parsed.text.isEmpty());
    }
    WrenchConfig c;
    parsed = parse({QStringLiteral("--help")}, c);
    QCOMPARE(parsed.outcome, ParsedArguments::ShowHelp);
    QVERIFY(parsed.text.contains(QLatin1String("--unplug-after")));
    QVERIFY(parsed.text.contains(QLatin1String("mgd <id> <type>")));
}

QTEST_GUILESS_MAIN(TestWrenchHistory)
#include "tst_wrenchhistory.moc"
