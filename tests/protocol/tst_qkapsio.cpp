// The engine's rules for received frames and serial events, fed through a
// real receive pool and parser into its event handler; no port.

#include "protocoltest.h"

#include "comm/comevents.h"
#include "protocol/kapsmessage.h"
#include "protocol/qkapsmsgio.h"

#include <QCoreApplication>
#include <QTest>

namespace {

// The engine alone: counts what reaches its message handler.
class CountingEngine : public QKapsIO {
public:
    int handled = 0;
    bool handleMessage(const std::uint8_t*, std::uint32_t, bool) override
    {
        ++handled;
        return true;
    }
};

} // namespace

class TestEngine : public QObject {
    Q_OBJECT
private slots:
    void identificationText();
    void acknowledgesAdvanceTxSequenceAndWrap();
    void shortFramesAreNeitherHandledNorForwarded();
    void downloadBlocksStayWithTheEngine();
    void linkErrorsReachTheReceiver();
    void closeDropsWhatWasQueuedForTheWindow();
};

void TestEngine::identificationText()
{
    QKapsIO io;
    QCOMPARE(io.identification(), QStringLiteral("DUMMY;0.900"));
    io.setIdentification(QStringLiteral("TLTERM"), QStringLiteral("V. 1.006"), QString());
    QCOMPARE(io.identification(), QStringLiteral("TLTERM;V. 1.006"));
    io.setIdentification(QStringLiteral("TLTERM"), QStringLiteral("V. 1.006"), QStringLiteral("x"));
    QCOMPARE(io.identification(), QStringLiteral("TLTERM;V. 1.006;x"));
    io.setIdentification(QString(200, QLatin1Char('n')), QStringLiteral("1"), QString());
    QCOMPARE(io.identification(), QString(128, QLatin1Char('n')));
}

void TestEngine::acknowledgesAdvanceTxSequenceAndWrap()
{
    EngineLink<QKapsMsgIO> link;
    QCOMPARE(link.io.txSequence(), std::uint8_t{1});
    for (int i = 0; i < 255; ++i)
        link.send(QByteArrayLiteral("ACK"), static_cast<std::uint8_t>(i), 0x80);
    QCOMPARE(link.io.txSequence(), std::uint8_t{0});
    // An acknowledge too short for a mnemonic still counts.
    link.send(QByteArray(), 3, 0x80);
    QCOMPARE(link.io.txSequence(), std::uint8_t{1});

    const auto acknowledges = link.receiver.ofType(kaps::Acknowledge);
    QCOMPARE(acknowledges.size(), 256);
    for (int i = 0; i < 256; ++i)
        QCOMPARE(acknowledges[i].value1, (i + 1) % 256);
    QCOMPARE(link.receiver.count(comevent::Receive), 255);
    QCOMPARE(link.io.lastRxSequence(), std::uint8_t{3});
    QCOMPARE(link.feeder.freeSlots(), 128);
}

void TestEngine::shortFramesAreNeitherHandledNorForwarded()
{
    EngineLink<CountingEngine> link;
    link.send(QByteArray(), 1, 0x20);                                   // 5 bytes
    link.send(QByteArrayLiteral("V"), 2, 0x20);                         // 6 bytes
    link.send(QByteArray(), 3, 0, frame::StartCrc);                     // 6 bytes
    QCOMPARE(link.io.handled, 0);
    QCOMPARE(link.receiver.events.size(), 0);
    QCOMPARE(link.io.lastRxSequence(), std::uint8_t{3});
    QCOMPARE(link.feeder.freeSlots(), 128);

    link.send(QByteArrayLiteral("ACK"), 4, 0x80);                       // 8 bytes
    QCOMPARE(link.io.handled, 1);
    QCOMPARE(link.receiver.count(comevent::Receive), 1);
    QCOMPARE(link.feeder.freeSlots(), 128);
}

void TestEngine::downloadBlocksStayWithTheEngine()
{
    EngineLink<QKapsMsgIO> link;
    const QByteArray start = QByteArrayLiteral("RST\xFF\xF0") + QByteArray(3, '\0') + QByteArray(1, '\x40');
    link.send(QByteArrayLiteral("DTM\x00\x05\x00\x00"), 1, 0x20);
    link.send(start, 2, 0x20);
    link.send(QByteArray("RRN") + QByteArray(64, 'r'), 3, 0x20);
    // Control 0 reaches the window even during a download; acknowledges do not.
    link.send(QByteArrayLiteral("MGD\x00\x01\x00\x01text"), 4, 0);
    link.send(QByteArrayLiteral("ACK"), 5, 0x80);
    link.send(QByteArrayLiteral("RFI"), 6, 0x20);
    link.send(QByteArrayLiteral("ACK"), 7, 0x80);

    QCOMPARE(link.forwardedMnemonics(),
             (QList<QByteArray>{"DTM", "MGD", "RFI", "ACK"}));
    QCOMPARE(link.receiver.count(kaps::Acknowledge), 2);
    QCOMPARE(link.feeder.freeSlots(), 128);
}

void TestEngine::linkErrorsReachTheReceiver()
{
    EngineLink<QKapsMsgIO> link;
    for (int type = comevent::ChecksumError; type <= comevent::CloseTimeout; ++type)
        QCoreApplication::postEvent(&link.io, new ComErrorEvent(type, 7));
    // A start byte inside a frame abandons it (1003) and is a frame of its own.
    link.feeder.feedWire(QByteArrayLiteral("\x01\x20\x01VE") + testsupport::wireFrame(frame::StartXor, 0, 2, "VER"));
    deliverPostedEvents();

    QCOMPARE(link.receiver.events.size(), 5);
    QCOMPARE(link.receiver.events[0].type, comevent::ReadError);
    QCOMPARE(link.receiver.events[0].value, 7);
    QCOMPARE(link.receiver.events[1].type, comevent::WriteError);
    QCOMPARE(link.receiver.events[2].type, comevent::CloseTimeout);
    QCOMPARE(link.receiver.events[2].value, 7);
    QCOMPARE(link.receiver.events[3].type, kaps::Identification);
    QCOMPARE(link.receiver.events[4].type, comevent::Receive);
    QCOMPARE(link.receiver.events[4].value, 5);
    QCOMPARE(link.feeder.freeSlots(), 128);
}

void TestEngine::closeDropsWhatWasQueuedForTheWindow()
{
    EngineLink<QKapsMsgIO> link;
    link.feeder.feed(QByteArrayLiteral("VERWRENCH"), frame::StartXor, 0x20, 1);
    QCoreApplication::postEvent(&link.io, new ComErrorEvent(comevent::ReadError, 5));
    QCoreApplication::sendPostedEvents(&link.io);
    QVERIFY(link.io.connected());

    link.io.close();
    deliverPostedEvents();
    QCOMPARE(link.receiver.events.size(), 0);
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_qkapsio.moc"
