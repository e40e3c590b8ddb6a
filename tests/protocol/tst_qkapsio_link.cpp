// The engine and the message service on a real port: a pseudo-terminal whose
// far end the test reads and writes frame by frame.

#include "protocoltest.h"

#include "comm/comevents.h"
#include "protocol/kapsmessage.h"
#include "protocol/qkapsmsgio.h"

#include <QTest>

namespace {

constexpr int WaitMs = 5000;

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

struct OpenLink {
    PtyPeer peer;
    EventRecorder receiver;
    QKapsMsgIO io;

    bool open()
    {
        io.setIdentification(QStringLiteral("TLTERM"), QStringLiteral("V. 1.006"), QString());
        return peer.open() && io.open(&receiver, PtyPeer::PortNumber, 115200);
    }
};

} // namespace

class TestEngineLink : public QObject {
    Q_OBJECT
private slots:
    void identifiesUntilTheWrenchAnswers();
    void acknowledgeWithRequestAdvancesAndIsAnswered();
    void damagedFrameGetsNakWithLastGoodSequence();
    void requestFramesOnTheWire();
    void deviceGoneReachesTheReceiver();
};

void TestEngineLink::identifiesUntilTheWrenchAnswers()
{
    OpenLink link;
    QVERIFY2(link.open(), qPrintable(link.peer.error()));
    QCOMPARE(link.io.portNumber(), PtyPeer::PortNumber);
    QVERIFY(!link.io.connected());

    QTRY_VERIFY_WITH_TIMEOUT(link.peer.framesWith("VER").size() >= 3, WaitMs);
    for (const ParsedFrame& asked : link.peer.framesWith("VER")) {
        QCOMPARE(asked.kind, frame::StartXor);
        QCOMPARE(asked.control, frame::ControlAckRequested);
        QCOMPARE(asked.sequence, std::uint8_t{1});
        QCOMPARE(asked.payload, QByteArray("VERTLTERM;V. 1.006"));
    }

    QVERIFY(link.peer.send(QByteArray("VERWRENCH;2.0\0\0", 15), frame::StartXor, 0x20, 9));
    QTRY_COMPARE_WITH_TIMEOUT(link.receiver.count(kaps::Identification), 1, WaitMs);
    QCOMPARE(link.receiver.ofType(kaps::Identification)[0].text, QStringLiteral("WRENCH;2.0"));
    QVERIFY(link.io.connected());

    // First the acknowledge of the wrench's frame, then the answer that asks
    // for none.
    QTRY_VERIFY_WITH_TIMEOUT(!link.peer.framesWith("VER", 0).isEmpty(), WaitMs);
    const QList<ParsedFrame> frames = link.peer.frames();
    qsizetype ack = -1;
    qsizetype answer = -1;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        if (frames[i].payload == "ACK" && frames[i].control == frame::ControlAck && ack < 0)
            ack = i;
        if (frames[i].payload.startsWith("VER") && frames[i].control == 0 && answer < 0)
            answer = i;
    }
    QVERIFY(ack >= 0);
    QCOMPARE(frames[ack].sequence, std::uint8_t{9});
    QVERIFY(ack < answer);
    QCOMPARE(frames[answer].payload, QByteArray("VERTLTERM;V. 1.006"));

    // Three timer periods: the identification is not asked again.
    const qsizetype asked = link.peer.framesWith("VER", frame::ControlAckRequested).size();
    QTest::qWait(3 * QKapsIO::IdentifyIntervalMs);
    QCOMPARE(link.peer.framesWith("VER", frame::ControlAckRequested).size(), asked);
}

void TestEngineLink::acknowledgeWithRequestAdvancesAndIsAnswered()
{
    OpenLink link;
    QVERIFY2(link.open(), qPrintable(link.peer.error()));
    QVERIFY(link.peer.send("ACK", frame::StartXor, frame::ControlAck | frame::ControlAckRequested, 42));
    QTRY_COMPARE_WITH_TIMEOUT(link.receiver.count(kaps::Acknowledge), 1, WaitMs);
    QCOMPARE(link.receiver.ofType(kaps::Acknowledge)[0].value1, 1);
    QCOMPARE(link.io.txSequence(), std::uint8_t{2});
    QTRY_VERIFY_WITH_TIMEOUT(!link.peer.framesWith("ACK", frame::ControlAck).isEmpty(), WaitMs);
    QCOMPARE(link.peer.framesWith("ACK", frame::ControlAck)[0].sequence, std::uint8_t{42});

    // The next request carries the advanced number.
    QVERIFY(link.io.requestData(100, 1));
    QTRY_VERIFY_WITH_TIMEOUT(!link.peer.framesWith("DRQ").isEmpty(), WaitMs);
    QCOMPARE(link.peer.framesWith("DRQ")[0].sequence, std::uint8_t{2});
}

void TestEngineLink::damagedFrameGetsNakWithLastGoodSequence()
{
    OpenLink link;
    QVERIFY2(link.open(), qPrintable(link.peer.error()));
    const QByteArray value = QByteArrayLiteral("DTM\x00\x64\x00\x02") + "ab";
    QVERIFY(link.peer.send(value, frame::StartXor, 0x20, 4));
    QTRY_COMPARE_WITH_TIMEOUT(link.receiver.count(kaps::ParamValue), 1, WaitMs);

    QByteArray damaged = testsupport::wireFrame(frame::StartXor, 0x20, 5, value);
    damaged[damaged.size() - 3] = 'z'; // "b" becomes "z": the XOR no longer holds
    QVERIFY(link.peer.sendRaw(damaged));
    QTRY_VERIFY_WITH_TIMEOUT(!link.peer.framesWith("ACK", frame::ControlNak).isEmpty(), WaitMs);
    QCOMPARE(link.peer.framesWith("ACK", frame::ControlNak)[0].sequence, std::uint8_t{4});

    // An abandoned frame (a start byte inside it) is answered the same way.
    QVERIFY(link.peer.sendRaw(QByteArrayLiteral("\x01\x20\x05" "DT")));
    QVERIFY(link.peer.send(value, frame::StartXor, 0x20, 5));
    QTRY_COMPARE_WITH_TIMEOUT(link.receiver.count(kaps::ParamValue), 2, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(link.peer.framesWith("ACK", frame::ControlNak).size(), 2, WaitMs);
    QCOMPARE(link.peer.framesWith("ACK", frame::ControlNak)[1].sequence, std::uint8_t{4});
    QTRY_COMPARE_WITH_TIMEOUT(link.peer.framesWith("ACK", frame::ControlAck).size(), 2, WaitMs);
    QCOMPARE(link.peer.framesWith("ACK", frame::ControlAck)[1].sequence, std::uint8_t{5});
    QCOMPARE(link.receiver.ofType(kaps::ParamValue)[1].bytes, QByteArray("ab"));
}

void TestEngineLink::requestFramesOnTheWire()
{
    OpenLink link;
    QVERIFY2(link.open(), qPrintable(link.peer.error()));
    // As on a real connection, the identification (number 1) is acknowledged.
    QVERIFY(link.peer.send("ACK", frame::StartXor, frame::ControlAck, 1));
    QTRY_COMPARE_WITH_TIMEOUT(link.receiver.count(kaps::Acknowledge), 1, WaitMs);
    QVERIFY(link.io.requestRecords(0xFFF0));
    QVERIFY(link.io.sendCommand("DSP", "\x07", 5, 1, true));
    QVERIFY(link.io.requestData(0x1234, 1));
    QVERIFY(link.io.confirmData(3, 4));
    QVERIFY(link.io.breakRecords());
    QVERIFY(link.io.sendCommand("DSP", "ab", 0x0102, 2, false));
    // The length field must describe what is sent: 3 + 4 + 1021 > 1027.
    QVERIFY(!link.io.sendCommand("DSP", QByteArray(1021, 'x').constData(), 7, 1021, true));

    QTRY_VERIFY_WITH_TIMEOUT(!link.peer.framesWith("DSP", 0).isEmpty(), WaitMs);
    // Checks computed with Python: XOR of control to payload; CRC-16/GENIBUS.
    // Each request carries a number of its own, though none is acknowledged:
    // one that repeated its predecessor's would be dropped as a repeat.
    QCOMPARE(link.peer.framesWith("RRQ")[0].wire, hex("012010025252 51FFF07C03"));
    QCOMPARE(link.peer.framesWith("DSP", 0x20)[0].wire, hex("02201003445350000500100107 4E20 03"));
    QCOMPARE(link.peer.framesWith("DRQ")[0].sequence, std::uint8_t{4});
    QCOMPARE(link.peer.framesWith("MGC")[0].sequence, std::uint8_t{5});
    QCOMPARE(link.peer.framesWith("DRQ")[0].payload, hex("445251 1234 0001"));
    QCOMPARE(link.peer.framesWith("DRQ")[0].control, frame::ControlAckRequested);
    QCOMPARE(link.peer.framesWith("MGC")[0].payload, hex("4d4743 0003 0004"));
    const ParsedFrame stop = link.peer.framesWith("RBR")[0];
    QCOMPARE(stop.control, std::uint8_t{0});
    QCOMPARE(stop.sequence, std::uint8_t{0});
    const ParsedFrame plain = link.peer.framesWith("DSP", 0)[0];
    QCOMPARE(plain.kind, frame::StartCrc);
    QCOMPARE(plain.sequence, std::uint8_t{0});
    QCOMPARE(plain.payload, hex("445350 0102 0002 6162"));
    QCOMPARE(link.peer.framesWith("DSP").size(), 2);
}

void TestEngineLink::deviceGoneReachesTheReceiver()
{
    OpenLink link;
    QVERIFY2(link.open(), qPrintable(link.peer.error()));
    link.peer.close();
    QTRY_COMPARE_WITH_TIMEOUT(link.receiver.count(comevent::ReadError), 1, WaitMs);
    QCOMPARE(link.receiver.ofType(comevent::ReadError)[0].value, PtyPeer::PortNumber);

    link.io.close();
    QCOMPARE(link.io.portNumber(), 0);
    QVERIFY(!link.io.requestData(100, 1));
    QVERIFY(!link.io.sendCommand("DSP", "\x07", 5, 1, true));

    // A new connection starts over: not connected, sequence 1, identifying.
    PtyPeer second;
    QVERIFY2(second.open(), qPrintable(second.error()));
    QVERIFY(link.io.open(&link.receiver, PtyPeer::PortNumber, 115200));
    QCOMPARE(link.io.txSequence(), std::uint8_t{1});
    QTRY_VERIFY_WITH_TIMEOUT(!second.framesWith("VER", frame::ControlAckRequested).isEmpty(), WaitMs);
    QCOMPARE(second.framesWith("VER")[0].sequence, std::uint8_t{1});
}

QTEST_GUILESS_MAIN(TestEngineLink)
#include "tst_qkapsio_link.moc"
