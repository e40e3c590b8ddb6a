// The wrench's fault switches do what they say, and the link recovers from
// them as the tool expects.
#include "toolside.h"

#include "tools/historygenerator.h"
#include "tools/linepacer.h"
#include "tools/wrenchconfig.h"

#include <QTest>

using namespace wrench;

namespace {

WrenchConfig faultConfig()
{
    WrenchConfig config;
    config.history = history::encode(history::generate(40));
    config.blockSize = 100; // records span blocks
    config.link.ackTimeoutMs = 100;
    return config;
}

QByteArray historyRequest()
{
    QByteArray p("RRQ");
    wire::appendBe16(p, WrenchSession::History);
    return p;
}

} // namespace

class TestWrenchFaults : public QObject {
    Q_OBJECT

private slots:
    void corruptedFrameFailsItsCheck_data();
    void corruptedFrameFailsItsCheck();
    void corruptEveryNthThenRecover_data();
    void corruptEveryNthThenRecover();
    void duplicateBlocksAreExactRepeats();
    void pacerHoldsBytesAtLineRate();
    void pacedFrameWaitsForTheLine();
    void unplugAfterFrameCount();
};

void TestWrenchFaults::corruptedFrameFailsItsCheck_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("payload");
    for (int kind : {1, 2}) {
        const char* k = kind == 1 ? "xor" : "crc";
        QTest::addRow("%s plain", k) << kind << QByteArray("RRNabcdef");
        QTest::addRow("%s special bytes", k) << kind << QByteArray::fromHex("52524E0102031010030201");
        QTest::addRow("%s letters that flip to specials", k) << kind << QByteArray::fromHex("212223303132");
        QTest::addRow("%s mnemonic only", k) << kind << QByteArray("RFI");
    }
}

void TestWrenchFaults::corruptedFrameFailsItsCheck()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, payload);
    for (int sequence : {0x00, 0x01, 0x10, 0x7F}) {
        const QByteArray good = wire::build(static_cast<quint8>(kind), frame::ControlAckRequested,
                                            static_cast<quint8>(sequence), payload);
        QByteArray bad = good;
        QVERIFY(wire::corrupt(bad));
        QCOMPARE(bad.size(), good.size());
        QVERIFY(bad != good);
        WireReader reader;
        const QList<WireReader::Event> events = reader.feed(bad + good);
        QCOMPARE(events.size(), 2);
        QCOMPARE(events[0].kind, WireReader::Event::CheckFailed);
        QCOMPARE(events[0].frame.wire, bad);
        QCOMPARE(events[1].kind, WireReader::Event::Good);
        QCOMPARE(events[1].frame.data(), payload.mid(3));
    }
}

void TestWrenchFaults::corruptEveryNthThenRecover_data()
{
    QTest::addColumn<int>("every");
    QTest::addColumn<bool>("crc");
    QTest::newRow("every 2nd, xor") << 2 << false;
    QTest::newRow("every 3rd, crc") << 3 << true;
    QTest::newRow("every 7th, xor") << 7 << false;
}

void TestWrenchFaults::corruptEveryNthThenRecover()
{
    QFETCH(int, every);
    QFETCH(bool, crc);
    WrenchConfig config = faultConfig();
    config.link.corruptEvery = every;
    config.link.kind = crc ? frame::StartCrc : frame::StartXor;
    qint64 now = 0;
    WrenchSession session(config, [&] { return now; });
    ToolSide tool(session);
    tool.request(historyRequest());
    const QList<Frame> frames = tool.converse();

    // Count what asked for an acknowledge, damaged or not: every Nth failed.
    WireReader recount;
    int asking = 0;
    int failed = 0;
    for (const WireReader::Event& e : recount.feed(tool.wireSoFar())) {
        if (e.kind == WireReader::Event::CheckFailed) {
            ++failed;
            ++asking;
            QCOMPARE(asking % every, 0);
        } else if (e.frame.control() & frame::ControlAckRequested) {
            ++asking;
            QVERIFY(asking % every != 0);
        }
    }
    QCOMPARE(recount.abandonedFrames(), quint32(0));
    QVERIFY(failed > 0);
    QCOMPARE(tool.damaged(), failed);
    // Every damaged frame came again: the history arrives whole.
    const Downloads downloads(frames);
    QCOMPARE(downloads.blocks.size(), 1);
    QCOMPARE(downloads.blocks.first(), config.history);
    QCOMPARE(dataOf(frames, "RFI").size(), 1);
}

void TestWrenchFaults::duplicateBlocksAreExactRepeats()
{
    WrenchConfig config = faultConfig();
    config.link.duplicateEvery = 2;
    qint64 now = 0;
    WrenchSession session(config, [&] { return now; });
    ToolSide tool(session);
    tool.request(historyRequest());
    const QList<Frame> frames = tool.converse();

    int blocks = 0;
    int repeats = 0;
    for (int i = 0; i < frames.size(); ++i) {
        if (frames[i].mnemonic() != "RRN")
            continue;
        if (i > 0 && frames[i - 1].wire == frames[i].wire) {
            ++repeats;
            QCOMPARE(blocks % 2, 0); // every second block
            continue;
        }
        ++blocks;
    }
    const int expectedBlocks = static_cast<int>((config.history.size() + config.blockSize - 1) / config.blockSize);
    QCOMPARE(blocks, expectedBlocks);
    QCOMPARE(repeats, expectedBlocks / 2);
    // A tool that drops a block with the previous block's sequence byte
    // still gets the history once.
    QCOMPARE(Downloads(frames).blocks.first(), config.history);
}

void TestWrenchFaults::pacerHoldsBytesAtLineRate()
{
    LinePacer pacer(9600); // 960 bytes per second
    QCOMPARE(pacer.enqueue(96, 0), qint64(100000));
    QCOMPARE(pacer.release(0), 0);
    // Handed on a millisecond's worth at a time.
    QCOMPARE(pacer.nextReleaseUs(), qint64(2042));
    QCOMPARE(pacer.release(50000), 48);
    QCOMPARE(pacer.release(50000), 0);
    // Bytes queued while the line is busy go out behind the others.
    QCOMPARE(pacer.enqueue(96, 60000), qint64(200000));
    QCOMPARE(pacer.release(100000), 48);
    QCOMPARE(pacer.release(200000), 96);
    QCOMPARE(pacer.nextReleaseUs(), qint64(-1));
    // An idle line starts again at once; a last byte goes on when it has left.
    QCOMPARE(pacer.enqueue(1, 1000000), qint64(1001042));
    QCOMPARE(pacer.nextReleaseUs(), qint64(1001042));

    LinePacer unpaced;
    QCOMPARE(unpaced.enqueue(500, 7), qint64(7));
    QCOMPARE(unpaced.release(7), 500);
}

void TestWrenchFaults::pacedFrameWaitsForTheLine()
{
    WrenchConfig config = faultConfig();
    config.link.baud = 1200; // 120 bytes per second
    qint64 now = 0;
    WrenchSession session(config, [&] { return now; });
    ToolSide tool(session);
    QByteArray request("DRQ");
    wire::appendBe16(request, 101);
    wire::appendBe16(request, 1);
    tool.request(request);
    QVERIFY(tool.take().isEmpty());
    // The acknowledge (8 bytes) and the answer arrive one after the other,
    // complete only when their last byte has had its time on the line.
    QList<Frame> frames;
    while (session.nextWakeUs() >= 0 && frames.size() < 2) {
        now = session.nextWakeUs();
        session.poll();
        frames += tool.takeFrames();
    }
    QCOMPARE(frames.size(), 2);
    const qint64 lineTime = (frames[0].wire.size() + frames[1].wire.size()) * 10 * 1000000 / 1200;
    QVERIFY2(now >= lineTime && now <= lineTime + 10000, qPrintable(QString::number(now)));
    // The acknowledge time-out runs from when the frame has left.
    now += config.link.ackTimeoutMs * 1000 - 10000;
    session.poll();
    QVERIFY(tool.take().isEmpty());
}

void TestWrenchFaults::unplugAfterFrameCount()
{
    WrenchConfig config = faultConfig();
    config.link.unplugAfter = 3;
    qint64 now = 0;
    WrenchSession session(config, [&] { return now; });
    ToolSide tool(session);
    tool.send(frame::ControlAckRequested, 1, QByteArray("VER") + "TLTERM"); // ACK, VER
    QVERIFY(!session.unplugDue());
    const QList<Frame> answer = tool.takeFrames();
    QCOMPARE(answer.size(), 2);
    tool.ack(answer.last());
    QByteArray request("DRQ");
    wire::appendBe16(request, 101);
    wire::appendBe16(request, 1);
    tool.request(request); // the third frame, an ACK; the value never goes out
    QVERIFY(!session.unplugDue()); // not while its bytes are still to go out
    const QList<Frame> last = tool.takeFrames();
    QCOMPARE(last.size(), 1);
    QCOMPARE(last[0].mnemonic(), QByteArray("ACK"));
    QVERIFY(session.unplugDue());

    // Back from the unplug, it does not go away a second time.
    session.powerCycle();
    QVERIFY(!session.unplugDue());
    tool.request(request);
    tool.request(request);
    QCOMPARE(dataOf(tool.converse(), "DTM").size(), 2);
    QVERIFY(!session.unplugDue());
}

QTEST_GUILESS_MAIN(TestWrenchFaults)
#include "tst_wrenchfaults.moc"
