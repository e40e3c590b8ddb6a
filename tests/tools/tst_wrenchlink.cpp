// The wrench's link rules: identification, acknowledges, repetition on a
// negative acknowledge or a missing acknowledge, and sequence numbering.
#include "toolside.h"

#include "tools/historygenerator.h"
#include "tools/wrenchconfig.h"

#include <QSignalSpy>
#include <QTest>

using namespace wrench;

namespace {

WrenchConfig baseConfig()
{
    WrenchConfig config;
    config.history = history::encode(history::generate(20));
    config.blockSize = 64;
    config.link.ackTimeoutMs = 100;
    config.link.retries = 2;
    return config;
}

QByteArray drq(quint16 id, quint16 second = 1)
{
    QByteArray p("DRQ");
    wire::appendBe16(p, id);
    wire::appendBe16(p, second);
    return p;
}

QByteArray rrq(quint16 number)
{
    QByteArray p("RRQ");
    wire::appendBe16(p, number);
    return p;
}

} // namespace

class TestWrenchLink : public QObject {
    Q_OBJECT

private slots:
    void identificationIsAnsweredOnce_data();
    void identificationIsAnsweredOnce();
    void identificationAnswersPerConnection_data();
    void identificationAnswersPerConnection();
    void deafToIdentification();
    void negativeAcknowledgeRepeatsTheFrame();
    void missingAcknowledgeRepeatsThenGivesUp();
    void acknowledgeOfAnotherFrameSettlesNothing();
    void newFrameNeverRepeatsPreviousSequence();
    void breakAndGoodbyeEndATransfer();
    void damagedRequestGetsNegativeAcknowledge();
    void requestsAsTheToolPutsThemOnTheWire_data();
    void requestsAsTheToolPutsThemOnTheWire();
};

void TestWrenchLink::identificationIsAnsweredOnce_data()
{
    QTest::addColumn<QByteArray>("identification");
    QTest::newRow("four parts") << QByteArray("TOLVO TW-200;V 2.14;TW-200;CAL 2023-04");
    QTest::newRow("no separator") << QByteArray("TOLVOWRENCH");
}

void TestWrenchLink::identificationIsAnsweredOnce()
{
    QFETCH(QByteArray, identification);
    WrenchConfig config = baseConfig();
    config.identification = identification;
    qint64 now = 0;
    WrenchSession session(config, [&] { return now; });
    QSignalSpy identified(&session, &WrenchSession::toolIdentified);
    ToolSide tool(session);

    tool.send(frame::ControlAckRequested, 1, QByteArray("VER") + "TLTERM;V. 1.006");
    // The tool repeats its identification every 500 ms until answered.
    tool.send(frame::ControlAckRequested, 1, QByteArray("VER") + "TLTERM;V. 1.006");
    const QList<Frame> frames = tool.takeFrames();
    QCOMPARE(frames.size(), 3);
    for (const Frame& f : {frames[0], frames[2]}) {
        QCOMPARE(f.control(), frame::ControlAck);
        QCOMPARE(f.sequence(), quint8(1));
        QCOMPARE(f.mnemonic(), QByteArray("ACK"));
    }
    const Frame& answer = frames[1];
    QCOMPARE(answer.mnemonic(), QByteArray("VER"));
    QCOMPARE(answer.control(), frame::ControlAckRequested);
    QCOMPARE(answer.data(), identification);

    tool.ack(answer);
    tool.send(0, 2, QByteArray("VER") + "TLTERM;V. 1.006");
    QVERIFY(tool.takeFrames().isEmpty());
    QCOMPARE(identified.size(), 1);
    QCOMPARE(identified.first().first().toByteArray(), QByteArray("TLTERM;V. 1.006"));
}

void TestWrenchLink::identificationAnswersPerConnection_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("identifications"); // the tool's first and its repeats
    QTest::addColumn<bool>("settledBetween");  // each answer acknowledged before the next repeat
    QTest::addColumn<int>("answers");
    const QString answers = QStringLiteral("--ver-answers");
    QTest::newRow("once, repeats while the answer is on its way") << QStringList() << 3 << false << 1;
    QTest::newRow("once, a repeat after the answer") << QStringList() << 2 << true << 1;
    QTest::newRow("twice, repeats while the answer is on its way")
        << QStringList{answers, QStringLiteral("2")} << 3 << false << 2;
    QTest::newRow("twice, repeats after each answer") << QStringList{answers, QStringLiteral("2")} << 3 << true << 2;
    QTest::newRow("up to five, three asked") << QStringList{answers, QStringLiteral("5")} << 3 << false << 3;
}

// The tool repeats its identification every 500 ms until an answer reaches
// it; the wrench answers as many of them as it is told, on each connection.
void TestWrenchLink::identificationAnswersPerConnection()
{
    QFETCH(QStringList, options);
    QFETCH(int, identifications);
    QFETCH(bool, settledBetween);
    QFETCH(int, answers);
    WrenchConfig config;
    QCOMPARE(parse(options, config).outcome, ParsedArguments::Run);
    qint64 now = 0;
    WrenchSession session(config, [&] { return now; });
    ToolSide tool(session);
    const QByteArray identification = QByteArray("VER") + "TLTERM;V. 1.006";
    auto answersTo = [&](int count) {
        QList<Frame> frames;
        for (int i = 0; i < count; ++i) {
            tool.request(identification);
            if (settledBetween)
                frames += tool.converse();
        }
        frames += tool.converse();
        return dataOf(frames, "VER");
    };
    const QList<QByteArray> answered = answersTo(identifications);
    QCOMPARE(answered.size(), answers);
    for (const QByteArray& text : answered)
        QCOMPARE(text, config.identification);
    // The tool's own answer is never answered.
    tool.send(0, 9, identification);
    QVERIFY(tool.take().isEmpty());
    // A new connection is answered afresh.
    session.resetLink();
    QCOMPARE(answersTo(1).size(), 1);
}

void TestWrenchLink::deafToIdentification()
{
    WrenchConfig config = baseConfig();
    config.answerIdentification = false;
    qint64 now = 0;
    WrenchSession session(config, [&] { return now; });
    ToolSide tool(session);
    tool.send(frame::ControlAckRequested, 1, QByteArray("VER") + "TLTERM;V. 1.006");
    now += 10'000'000;
    session.poll();
    QVERIFY(tool.take().isEmpty());
    // Everything else is still served.
    tool.request(drq(101));
    QCOMPARE(dataOf(tool.takeFrames(), "DTM").size(), 1);
}

void TestWrenchLink::negativeAcknowledgeRepeatsTheFrame()
{
    qint64 now = 0;
    WrenchSession session(baseConfig(), [&] { return now; });
    ToolSide tool(session);
    tool.request(drq(101));
    const QList<Frame> first = tool.takeFrames();
    QCOMPARE(first.size(), 2);
    const Frame value = first[1];
    QCOMPARE(value.mnemonic(), QByteArray("DTM"));

    tool.nak();
    const QList<Frame> again = tool.takeFrames();
    QCOMPARE(again.size(), 1);
    QCOMPARE(again[0].wire, value.wire);
    QCOMPARE(again[0].sequence(), value.sequence());

    // Settled by the acknowledge: nothing more comes, not even after the time-out.
    tool.ack(again[0]);
    now += 1'000'000;
    session.poll();
    QVERIFY(tool.take().isEmpty());
    QCOMPARE(session.nextWakeUs(), qint64(-1));
}

void TestWrenchLink::missingAcknowledgeRepeatsThenGivesUp()
{
    qint64 now = 0;
    const WrenchConfig config = baseConfig();
    WrenchSession session(config, [&] { return now; });
    ToolSide tool(session);
    QSignalSpy gaveUp(&session.link(), &WrenchLink::gaveUp);
    tool.request(drq(100));
    tool.request(drq(101)); // answered only after the first answer is settled
    QList<Frame> frames = tool.takeFrames();
    QCOMPARE(dataOf(frames, "DTM").size(), 1);
    const Frame sent = frames[1];
    QCOMPARE(sent.mnemonic(), QByteArray("DTM"));

    // Not before the time-out.
    now += config.link.ackTimeoutMs * 1000 - 1;
    session.poll();
    QVERIFY(tool.take().isEmpty());
    for (int retry = 0; retry < config.link.retries; ++retry) {
        QCOMPARE(session.nextWakeUs(), now + 1);
        now = session.nextWakeUs();
        session.poll();
        frames = tool.takeFrames();
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0].wire, sent.wire);
        now += config.link.ackTimeoutMs * 1000 - 1;
    }
    QCOMPARE(gaveUp.size(), 0);
    now = session.nextWakeUs();
    session.poll();
    QCOMPARE(gaveUp.size(), 1);
    // The link moves on to the next answer, with a new sequence byte.
    frames = tool.takeFrames();
    QCOMPARE(frames.size(), 1);
    QCOMPARE(wire::be16(frames[0].data(), 0), quint16(101));
    QVERIFY(frames[0].sequence() != sent.sequence());
}

void TestWrenchLink::acknowledgeOfAnotherFrameSettlesNothing()
{
    qint64 now = 0;
    const WrenchConfig config = baseConfig();
    WrenchSession session(config, [&] { return now; });
    ToolSide tool(session);
    tool.request(drq(135));
    const Frame value = tool.takeFrames().last();
    tool.send(frame::ControlAck, static_cast<quint8>(value.sequence() + 1), QByteArrayLiteral("ACK"));
    now += config.link.ackTimeoutMs * 1000;
    session.poll();
    const QList<Frame> again = tool.takeFrames();
    QCOMPARE(again.size(), 1);
    QCOMPARE(again[0].wire, value.wire);
}

// Whatever sequence bytes the tool uses (the wrench echoes them in its
// acknowledges), each new frame of the wrench differs from the frame sent
// just before it, and a repetition keeps its own.
void TestWrenchLink::newFrameNeverRepeatsPreviousSequence()
{
    for (int toolSequence = 0; toolSequence < 256; ++toolSequence) {
        qint64 now = 0;
        WrenchSession session(baseConfig(), [&] { return now; });
        ToolSide tool(session);
        const auto s = static_cast<quint8>(toolSequence);
        tool.send(frame::ControlAckRequested, s, QByteArray("VER") + "TLTERM");
        QList<Frame> frames = tool.converse();
        tool.send(frame::ControlAckRequested, static_cast<quint8>(s + 1), drq(101));
        tool.send(frame::ControlAckRequested, static_cast<quint8>(s + 2), rrq(WrenchSession::History));
        frames += tool.converse();
        QVERIFY(frames.size() > 20);
        for (int i = 1; i < frames.size(); ++i) {
            if (frames[i].control() & frame::ControlAckRequested)
                QVERIFY2(frames[i].sequence() != frames[i - 1].sequence(),
                         qPrintable(QStringLiteral("tool sequence %1, frame %2").arg(toolSequence).arg(i)));
        }
    }
}

void TestWrenchLink::breakAndGoodbyeEndATransfer()
{
    qint64 now = 0;
    WrenchSession session(baseConfig(), [&] { return now; });
    QSignalSpy goodbye(&session, &WrenchSession::toolSaidGoodbye);
    ToolSide tool(session);
    tool.request(rrq(WrenchSession::History));
    QList<Frame> frames = tool.takeFrames(); // ACK, RST
    QCOMPARE(frames.last().mnemonic(), QByteArray("RST"));
    tool.ack(frames.last());
    frames = tool.takeFrames();
    QCOMPARE(frames.last().mnemonic(), QByteArray("RRN"));

    tool.send(0, 0, QByteArrayLiteral("RBR"));
    tool.ack(frames.last());
    QVERIFY(tool.take().isEmpty());
    now += 10'000'000;
    session.poll();
    QVERIFY(tool.take().isEmpty());

    tool.request(rrq(WrenchSession::History));
    tool.ack(tool.takeFrames().last());
    QCOMPARE(tool.takeFrames().last().mnemonic(), QByteArray("RRN"));
    tool.request(drq(0xFFFF, 0));
    frames = tool.takeFrames();
    QCOMPARE(goodbye.size(), 1);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].control(), frame::ControlAck);
    now += 10'000'000;
    session.poll();
    QVERIFY(tool.take().isEmpty());
}

void TestWrenchLink::damagedRequestGetsNegativeAcknowledge()
{
    qint64 now = 0;
    WrenchSession session(baseConfig(), [&] { return now; });
    ToolSide tool(session);
    tool.send(frame::ControlAckRequested, 7, drq(100));
    const Frame value = tool.takeFrames().last();
    tool.ack(value); // the tool's last good frame
    QByteArray damaged = wire::build(frame::StartXor, frame::ControlAckRequested, 8, drq(101));
    QVERIFY(wire::corrupt(damaged));
    session.receive(damaged);
    const QList<Frame> frames = tool.takeFrames();
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].control(), frame::ControlNak);
    QCOMPARE(frames[0].sequence(), value.sequence());
}

// Byte strings as the tool sends them, both frame kinds.
void TestWrenchLink::requestsAsTheToolPutsThemOnTheWire_data()
{
    QTest::addColumn<QByteArray>("wireBytes");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("answerData");
    QTest::newRow("history request, xor")
        << QByteArray::fromHex("01 20 10 01 52 52 51 FF F0 7F 03")
        << QByteArray("RST") << QByteArray::fromHex("FFF000000500");
    // A one-byte value for the four-byte access parameter.
    QTest::newRow("parameter set, crc")
        << QByteArray::fromHex("02 20 10 01 44 53 50 00 05 00 10 01 07 88 47 03")
        << QByteArray("ERR") << QByteArray::fromHex("0068");
}

void TestWrenchLink::requestsAsTheToolPutsThemOnTheWire()
{
    QFETCH(QByteArray, wireBytes);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, answerData);
    qint64 now = 0;
    WrenchSession session(baseConfig(), [&] { return now; });
    ToolSide tool(session);
    session.receive(wireBytes);
    const QList<Frame> frames = tool.takeFrames();
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[0].wire, QByteArray::fromHex("01 80 10 01 41 43 4B C8 03"));
    QCOMPARE(frames[1].mnemonic(), answer);
    QCOMPARE(frames[1].data(), answerData);
}

QTEST_GUILESS_MAIN(TestWrenchLink)
#include "tst_wrenchlink.moc"
