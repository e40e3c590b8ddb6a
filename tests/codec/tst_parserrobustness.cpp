// Bad input never breaks the receive parser: it keeps its slots consistent,
// writes nothing outside its pool, and receives the next good frame.

#include "parserharness.h"

#include <QRandomGenerator>
#include <QtTest>

using testsupport::ackFrame;
using testsupport::dspFrame;
using testsupport::unescaped;
using testsupport::wireFrame;

namespace {

// Slot states are 0, 1 or 2; only the slot being filled is in state 1; every
// complete slot holds a frame that passes its check.
bool poolConsistent(ParserHarness& h)
{
    int filling = 0;
    for (std::uint16_t i = 0; i < h.pool.slotCount(); ++i) {
        RxSlot* slot = h.pool.slot(i);
        switch (slot->state.load()) {
        case RxSlot::Free:
            break;
        case RxSlot::Filling:
            if (h.parser.waitingForStart || slot != h.parser.current)
                return false;
            ++filling;
            break;
        case RxSlot::Complete:
            if (!testsupport::completeSlotIsValid(slot, h.pool.slotDataSize()))
                return false;
            break;
        default:
            return false;
        }
    }
    return filling <= 1 && h.pool.guardsIntact();
}

void freeCompleteSlots(ParserHarness& h)
{
    for (std::uint16_t i = 0; i < h.pool.slotCount(); ++i) {
        if (h.pool.slot(i)->state.load() == RxSlot::Complete)
            h.pool.slot(i)->release();
    }
}
} // namespace

class TestParserRobustness : public QObject {
    Q_OBJECT

private slots:
    void randomBytes_data();
    void randomBytes();
    void truncatedFrames_data();
    void truncatedFrames();
    void escapeAsLastByte();
    void lengthsAtEveryBoundary_data();
    void lengthsAtEveryBoundary();
    void discardWithoutOpenFrame();
    void discardAfterCompletedFrame();
    void discardAfterDroppedFrame();
    void discardAfterEscape();
};

void TestParserRobustness::randomBytes_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("slotDataSize");
    for (quint32 seed = 1; seed <= 8; ++seed)
        QTest::addRow("seed %u", seed) << seed << int(seed % 2 == 0 ? 24 : 300);
}

void TestParserRobustness::randomBytes()
{
    QFETCH(quint32, seed);
    QFETCH(int, slotDataSize);
    QRandomGenerator random(seed);
    ParserHarness h(3, static_cast<std::uint16_t>(slotDataSize));

    // Mostly the bytes that steer the parser, now and then a good frame.
    static const char steering[] = {'\x01', '\x02', '\x03', '\x10'};
    for (int chunk = 0; chunk < 400; ++chunk) {
        QByteArray bytes;
        for (int i = 0; i < 64; ++i) {
            const quint32 roll = random.bounded(8U);
            bytes.append(roll < 3 ? steering[random.bounded(4U)] : static_cast<char>(random.bounded(256U)));
        }
        if (random.bounded(4U) == 0)
            bytes.append(random.bounded(2U) == 0 ? ackFrame : dspFrame);
        h.feed(bytes);
        QVERIFY2(poolConsistent(h), qPrintable(QStringLiteral("chunk %1").arg(chunk)));
        if (random.bounded(3U) == 0)
            freeCompleteSlots(h);
    }

    // Whatever state the noise left, of two copies of a frame the second arrives.
    freeCompleteSlots(h);
    h.feed(ackFrame + ackFrame);
    QCOMPARE(h.reports.last().code, 1);
    QCOMPARE(h.reports.last().frame, ackFrame);
    QVERIFY(poolConsistent(h));
}

void TestParserRobustness::truncatedFrames_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("XOR") << ackFrame;
    QTest::newRow("CRC with stuffing") << dspFrame;
}

void TestParserRobustness::truncatedFrames()
{
    QFETCH(QByteArray, wire);
    for (qsizetype cut = 1; cut < wire.size(); ++cut) {
        ParserHarness h(2, 64);
        h.feed(wire.left(cut));
        QVERIFY(h.reports.isEmpty());
        QVERIFY(poolConsistent(h));
        h.feed(wire + wire);
        QVERIFY2(h.reports.size() >= 1 && h.reports.last().code == 1, qPrintable(QString::number(cut)));
        QCOMPARE(h.reports.last().frame, unescaped(wire));
        QVERIFY(poolConsistent(h));
    }
}

void TestParserRobustness::escapeAsLastByte()
{
    // The escape makes the next start byte data: the frames run together and
    // fail their check; the frame after that is received.
    ParserHarness h(2, 64);
    h.feed(ackFrame.left(4) + '\x10');
    h.feed(ackFrame);
    QCOMPARE(h.codes(), QList<int>{2});
    QCOMPARE(h.slotsInState(RxSlot::Free), 2);
    h.feed(ackFrame);
    QCOMPARE(h.codes(), (QList<int>{2, 1}));
    QCOMPARE(h.reports.last().frame, ackFrame);
}

void TestParserRobustness::lengthsAtEveryBoundary_data()
{
    QTest::addColumn<int>("slotDataSize");
    QTest::addColumn<int>("kind");
    QTest::addColumn<char>("filler");
    for (const int size : {6, 7, 8, 9, 64}) {
        for (const int kind : {1, 2}) {
            QTest::addRow("size %d, kind %d", size, kind) << size << kind << 'z';
            QTest::addRow("size %d, kind %d, stuffed", size, kind) << size << kind << '\x10';
        }
    }
}

void TestParserRobustness::lengthsAtEveryBoundary()
{
    QFETCH(int, slotDataSize);
    QFETCH(int, kind);
    QFETCH(char, filler);
    const int overhead = kind == 1 ? 5 : 6;
    for (int payloadLength = 0; payloadLength <= slotDataSize + 2; ++payloadLength) {
        ParserHarness h(1, static_cast<std::uint16_t>(slotDataSize));
        const QByteArray wire = wireFrame(static_cast<std::uint8_t>(kind), 0x20, 4, QByteArray(payloadLength, filler));
        h.feed(wire);
        const bool fits = payloadLength + overhead <= slotDataSize;
        QVERIFY2(h.codes() == QList<int>{fits ? 1 : 3}, qPrintable(QString::number(payloadLength)));
        if (fits) {
            QCOMPARE(h.reports.first().frame, unescaped(wire));
            QCOMPARE(payloadDataLength(h.pool.slot(0)->data(), h.pool.slot(0)->length),
                     payloadLength >= 3 ? payloadLength - 3 : 0);
        }
        QVERIFY(poolConsistent(h));
    }
}

void TestParserRobustness::discardWithoutOpenFrame()
{
    ParserHarness h(2, 64);
    discardOpenFrame(&h.parser);
    QCOMPARE(h.parser.dropCount, 0U);
    QCOMPARE(h.slotsInState(RxSlot::Free), 2);
    h.feed(ackFrame);
    QCOMPARE(h.codes(), QList<int>{1});
}

void TestParserRobustness::discardAfterCompletedFrame()
{
    // The completed slot belongs to its consumer now and stays untouched.
    ParserHarness h(2, 64);
    h.feed(ackFrame);
    discardOpenFrame(&h.parser);
    QCOMPARE(h.parser.dropCount, 0U);
    QCOMPARE(int{h.pool.slot(0)->state.load()}, int{RxSlot::Complete});
    h.feed(dspFrame);
    QCOMPARE(h.codes(), (QList<int>{1, 1}));
    QCOMPARE(h.reports.last().slot, h.pool.slot(1));
}

void TestParserRobustness::discardAfterDroppedFrame()
{
    // No free slot: the parser waits for a start byte while its current slot
    // is a complete one that the consumer still holds.
    ParserHarness h(1, 64);
    h.feed(ackFrame + ackFrame.left(4));
    QCOMPARE(h.parser.dropCount, 1U);
    discardOpenFrame(&h.parser);
    QCOMPARE(h.parser.dropCount, 1U);
    QCOMPARE(int{h.pool.slot(0)->state.load()}, int{RxSlot::Complete});
    QCOMPARE(testsupport::slotFrame(h.pool.slot(0)), ackFrame);
}

void TestParserRobustness::discardAfterEscape()
{
    ParserHarness h(2, 64);
    h.feed(dspFrame.left(3)); // ends with the escape before 0x01
    QVERIFY(h.parser.escaped);
    discardOpenFrame(&h.parser);
    QCOMPARE(h.parser.dropCount, 1U);
    QVERIFY(!h.parser.escaped);
    QCOMPARE(h.slotsInState(RxSlot::Free), 2);

    // The escape is forgotten: the next start byte starts a frame.
    h.feed(ackFrame);
    QCOMPARE(h.codes(), QList<int>{1});
    QCOMPARE(h.reports.first().slot, h.pool.slot(0));
    QCOMPARE(h.reports.first().frame, ackFrame);
}

QTEST_APPLESS_MAIN(TestParserRobustness)
#include "tst_parserrobustness.moc"
