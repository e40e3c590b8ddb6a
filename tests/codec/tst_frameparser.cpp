// The receive parser: frames into slots, abandoned and rejected frames, a
// full pool, the slot size limit, and the events it posts.

#include "parserharness.h"

#include "comm/comevents.h"
#include "tests/support/eventrecorder.h"

#include <QtTest>

using testsupport::ackFrame;
using testsupport::dspFrame;
using testsupport::rrqFrame;
using testsupport::unescaped;
using testsupport::wireFrame;

class TestFrameParser : public QObject {
    Q_OBJECT

private slots:
    void filesFramesIntoSlots_data();
    void filesFramesIntoSlots();
    void startInsideFrameAbandonsIt();
    void escapedControlBytesAreData();
    void ignoresBytesBeforeStart();
    void fullPoolDropsUntilSlotFreed();
    void frameReachingSlotSizeIsAbandoned_data();
    void frameReachingSlotSizeIsAbandoned();
    void wrongCheckIsRejected_data();
    void wrongCheckIsRejected();
    void slotStride_data();
    void slotStride();
    void callerPoolHonoursStride();
    void postsEventsToTarget();
};

void TestFrameParser::filesFramesIntoSlots_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("acknowledge, XOR") << ackFrame;
    QTest::newRow("DSP, CRC, stuffed sequence and data") << dspFrame;
    QTest::newRow("RRQ, XOR") << rrqFrame;
    QTest::newRow("empty, XOR") << QByteArray::fromHex("01 00 00 00 03");
    QTest::newRow("empty, CRC") << QByteArray::fromHex("02 80 07 89 8F 03");
    QTest::newRow("stuffed XOR check") << QByteArray::fromHex("01 20 05 41 42 25 10 03 03");
    QTest::newRow("stuffed CRC high byte") << QByteArray::fromHex("02 20 05 43 52 43 43 10 02 66 03");
    QTest::newRow("stuffed CRC low byte") << QByteArray::fromHex("02 20 05 43 52 43 8A 4A 10 03 03");
    QTest::newRow("every stuffed value") << QByteArray::fromHex("02 10 02 10 01 10 10 10 03 92 77 03");
}

void TestFrameParser::filesFramesIntoSlots()
{
    QFETCH(QByteArray, wire);
    ParserHarness h(4, 64);
    h.feed(wire);

    QCOMPARE(h.codes(), QList<int>{1});
    const SinkReport& report = h.reports.first();
    QCOMPARE(report.context, &h);
    QCOMPARE(report.slot, h.pool.slot(0));
    QCOMPARE(report.frame.toHex(' '), unescaped(wire).toHex(' '));
    QCOMPARE(int{report.slot->state.load()}, int{RxSlot::Complete});
    QCOMPARE(report.slot->data()[report.slot->length], std::uint8_t{0});
    QCOMPARE(h.parser.frameCount, 1U);
    QVERIFY(h.parser.waitingForStart);
    QVERIFY(h.pool.guardsIntact());
}

void TestFrameParser::startInsideFrameAbandonsIt()
{
    ParserHarness h(4, 64);
    h.feed(dspFrame.left(7));
    h.feed(ackFrame);

    QCOMPARE(h.codes(), (QList<int>{3, 1}));
    QCOMPARE(h.reports.at(0).context, &h);
    QCOMPARE(h.reports.at(1).slot, h.pool.slot(0)); // the abandoned frame's slot, reused
    QCOMPARE(h.reports.at(1).frame, ackFrame);
    QCOMPARE(h.parser.dataErrorCount, 1U);
    QCOMPARE(h.slotsInState(RxSlot::Complete), 1);
    QCOMPARE(h.slotsInState(RxSlot::Filling), 0);
}

void TestFrameParser::escapedControlBytesAreData()
{
    ParserHarness h(4, 64);
    const QByteArray payload = QByteArray::fromHex("41 42 43 01 02 03 10");
    const QByteArray wire = wireFrame(frame::StartCrc, 0x01, 0x02, payload);
    h.feed(wire);

    QCOMPARE(h.codes(), QList<int>{1});
    QCOMPARE(h.reports.first().frame.mid(1, 2), QByteArray::fromHex("01 02"));
    QCOMPARE(h.reports.first().frame.mid(3, payload.size()), payload);
}

void TestFrameParser::ignoresBytesBeforeStart()
{
    ParserHarness h(4, 64);
    h.feed(QByteArray::fromHex("00 03 10 41 FF 10 03 7F"));
    QVERIFY(h.reports.isEmpty());
    h.feed(ackFrame);

    QCOMPARE(h.codes(), QList<int>{1});
    QCOMPARE(h.parser.dataErrorCount + h.parser.checksumErrorCount + h.parser.dropCount, 0U);
}

void TestFrameParser::fullPoolDropsUntilSlotFreed()
{
    ParserHarness h(2, 64);
    h.feed(ackFrame + rrqFrame + ackFrame + ackFrame);

    QCOMPARE(h.codes(), (QList<int>{1, 1}));
    QCOMPARE(h.parser.dropCount, 2U);
    QCOMPARE(h.slotsInState(RxSlot::Complete), 2);

    h.pool.slot(1)->release();
    h.feed(dspFrame);
    QCOMPARE(h.codes(), (QList<int>{1, 1, 1}));
    QCOMPARE(h.reports.last().slot, h.pool.slot(1));
    QCOMPARE(h.reports.last().frame, unescaped(dspFrame));
    QCOMPARE(h.reports.first().frame, ackFrame); // the first slot was left alone
}

void TestFrameParser::frameReachingSlotSizeIsAbandoned_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("payloadLength");
    QTest::addColumn<char>("filler");
    QTest::addColumn<bool>("accepted");

    // Slot data size 16: the unescaped frame is payload + 5 (XOR) or + 6 (CRC).
    QTest::newRow("XOR, 16 bytes") << 1 << 11 << 'x' << true;
    QTest::newRow("XOR, 17 bytes") << 1 << 12 << 'x' << false;
    QTest::newRow("CRC, 16 bytes") << 2 << 10 << 'x' << true;
    QTest::newRow("CRC, 17 bytes") << 2 << 11 << 'x' << false;
    QTest::newRow("XOR, 16 bytes, all stuffed") << 1 << 11 << '\x10' << true;
    QTest::newRow("CRC, 17 bytes, all stuffed") << 2 << 11 << '\x03' << false;
    QTest::newRow("CRC, far too long") << 2 << 200 << 'y' << false;
}

void TestFrameParser::frameReachingSlotSizeIsAbandoned()
{
    QFETCH(int, kind);
    QFETCH(int, payloadLength);
    QFETCH(char, filler);
    QFETCH(bool, accepted);

    ParserHarness h(1, 16);
    const QByteArray wire = wireFrame(static_cast<std::uint8_t>(kind), 0x20, 3, QByteArray(payloadLength, filler));
    h.feed(wire);
    QCOMPARE(h.codes(), QList<int>{accepted ? 1 : 3});
    QCOMPARE(h.parser.dataErrorCount, accepted ? 0U : 1U);
    if (!accepted) {
        QCOMPARE(int{h.pool.slot(0)->state.load()}, int{RxSlot::Free});
        h.feed(ackFrame); // the slot is usable again
        QCOMPARE(h.codes(), (QList<int>{3, 1}));
        QCOMPARE(h.reports.last().frame, ackFrame);
    }
    QVERIFY(h.pool.guardsIntact());
}

void TestFrameParser::wrongCheckIsRejected_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<int>("corruptAt");

    QTest::newRow("XOR, data byte") << rrqFrame << 5;
    QTest::newRow("XOR, check byte") << ackFrame << 6;
    QTest::newRow("CRC, data byte") << dspFrame << 4;
    QTest::newRow("CRC, low check byte") << dspFrame << 14;
    QTest::newRow("CRC, control byte") << dspFrame << 1;
}

void TestFrameParser::wrongCheckIsRejected()
{
    QFETCH(QByteArray, wire);
    QFETCH(int, corruptAt);

    ParserHarness h(1, 64);
    QByteArray corrupt = wire;
    corrupt[corruptAt] = static_cast<char>(corrupt.at(corruptAt) ^ 0x40);
    h.feed(corrupt);

    QCOMPARE(h.codes(), QList<int>{2});
    QCOMPARE(h.reports.first().context, &h);
    QCOMPARE(h.parser.checksumErrorCount, 1U);
    QCOMPARE(int{h.pool.slot(0)->state.load()}, int{RxSlot::Free});
    h.feed(wire);
    QCOMPARE(h.codes(), (QList<int>{2, 1}));
    QCOMPARE(h.reports.last().frame, unescaped(wire));
}

void TestFrameParser::slotStride_data()
{
    QTest::addColumn<int>("slotDataSize");
    QTest::addColumn<int>("stride");
    // A 16-byte header and room for the data plus the 0 after a full frame,
    // in whole 8-byte units.
    QTest::newRow("1") << 1 << 24;
    QTest::newRow("7") << 7 << 24;
    QTest::newRow("8: no spare byte, one unit more") << 8 << 32;
    QTest::newRow("256: serial port default") << 256 << 280;
    QTest::newRow("1033: protocol engine") << 1033 << 1056;
}

void TestFrameParser::slotStride()
{
    QFETCH(int, slotDataSize);
    QFETCH(int, stride);
    QCOMPARE(::slotStride(static_cast<std::uint16_t>(slotDataSize)), static_cast<std::size_t>(stride));
}

void TestFrameParser::callerPoolHonoursStride()
{
    // Frames of exactly the slot data size in every slot: each slot's end
    // marker lands in its own data area, no slot overlaps the next.
    constexpr std::uint16_t dataSize = 16;
    ParserHarness h(3, dataSize);
    const QByteArray frames[] = {
        wireFrame(frame::StartXor, 0x20, 1, QByteArray("ABCDEFGHIJK")),
        wireFrame(frame::StartCrc, 0x20, 2, QByteArray("LMNOPQRSTU")),
        wireFrame(frame::StartXor, 0x20, 3, QByteArray("VWXYZ012345")),
    };
    for (const QByteArray& wire : frames)
        h.feed(wire);

    QCOMPARE(h.codes(), (QList<int>{1, 1, 1}));
    auto* base = static_cast<std::uint8_t*>(h.pool.pool());
    for (std::uint16_t i = 0; i < 3; ++i) {
        RxSlot* slot = h.pool.slot(i);
        QCOMPARE(reinterpret_cast<std::uint8_t*>(slot), base + i * ::slotStride(dataSize));
        QCOMPARE(slot->length, std::uint32_t{dataSize});
        QCOMPARE(testsupport::slotFrame(slot), unescaped(frames[i]));
        QCOMPARE(slot->data()[dataSize], std::uint8_t{0});
    }
    QVERIFY(h.pool.guardsIntact());
}

void TestFrameParser::postsEventsToTarget()
{
    testsupport::EventRecorder recorder;
    recorder.freeSlots = false;
    testsupport::GuardedPool pool(4, 64);
    FrameParser parser;
    ComEventTarget target{&recorder, 7};
    initParser(pool.pool(), 4, 64, &parser, postParseReport, &target);

    const QByteArray stream = ackFrame + dspFrame.left(5) + dspFrame + rrqFrame.left(9) + '\x03';
    for (const char byte : stream)
        feedByte(static_cast<std::uint8_t>(byte), &parser);

    QTRY_COMPARE(recorder.events.size(), 4);
    const QList<int> types{recorder.events.at(0).type, recorder.events.at(1).type,
                           recorder.events.at(2).type, recorder.events.at(3).type};
    QCOMPARE(types, (QList<int>{comevent::Receive, comevent::DataError, comevent::Receive,
                                comevent::ChecksumError}));
    for (const testsupport::RecordedEvent& event : recorder.events)
        QCOMPARE(event.value, 7);
    QCOMPARE(recorder.events.at(0).slot, pool.slot(0));
    QCOMPARE(recorder.events.at(0).frame, ackFrame);
    QCOMPARE(recorder.events.at(2).slot, pool.slot(1));
    QCOMPARE(recorder.events.at(2).frame, unescaped(dspFrame));
    QCOMPARE(int{recorder.events.at(2).slotState}, int{RxSlot::Complete});
}

QTEST_GUILESS_MAIN(TestFrameParser)
#include "tst_frameparser.moc"
