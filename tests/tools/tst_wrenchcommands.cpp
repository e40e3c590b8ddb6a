// What the wrench sends on command (message requests, error reports, files)
// and how its command lines are read.
#include "toolside.h"

#include "tools/wrenchconfig.h"
#include "tools/wrenchcontrol.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace wrench;

class TestWrenchCommands : public QObject {
    Q_OBJECT

private slots:
    void messageRequestLayout();
    void errorReportLayout();
    void fileTransferLayout();
    void ownMessagesWaitForATransfer();
    void commandLinesAreChecked_data();
    void commandLinesAreChecked();
};

void TestWrenchCommands::messageRequestLayout()
{
    qint64 now = 0;
    WrenchSession session(WrenchConfig(), [&] { return now; });
    ToolSide tool(session);
    WrenchControl control(session);
    QCOMPARE(control.execute(QStringLiteral("  mgd 7 4 Title;Tighten\\nnow?;Yes;No  ")),
             QStringLiteral("ok mgd 7"));
    QCOMPARE(control.execute(QStringLiteral("mgd 0x102 0")), QStringLiteral("ok mgd 258"));
    const QList<Frame> frames = tool.converse();
    const QList<QByteArray> messages = dataOf(frames, "MGD");
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[0], QByteArray::fromHex("00070004") + "Title;Tighten\\nnow?;Yes;No");
    QCOMPARE(messages[1], QByteArray::fromHex("01020000"));
    for (const Frame& f : frames) {
        if (f.mnemonic() == "MGD")
            QCOMPARE(f.control(), frame::ControlAckRequested);
    }

    QSignalSpy answered(&session, &WrenchSession::messageAnswered);
    QByteArray answer("MGC");
    wire::appendBe16(answer, 7);
    wire::appendBe16(answer, 0xFFFF);
    tool.request(answer);
    QCOMPARE(answered.size(), 1);
    QCOMPARE(answered[0][0].toInt(), 7);
    QCOMPARE(answered[0][1].toInt(), 0xFFFF);
    const QList<Frame> ack = tool.takeFrames();
    QCOMPARE(ack.size(), 1);
    QCOMPARE(ack[0].control(), frame::ControlAck);
}

void TestWrenchCommands::errorReportLayout()
{
    qint64 now = 0;
    WrenchSession session(WrenchConfig(), [&] { return now; });
    ToolSide tool(session);
    WrenchControl control(session);
    QCOMPARE(control.execute(QStringLiteral("err 203")), QStringLiteral("ok err 203"));
    QCOMPARE(control.execute(QStringLiteral("erx 2 107 0x1F Pressure #1 too high@@812")),
             QStringLiteral("ok erx 2 107"));
    const QList<Frame> frames = tool.converse();
    QCOMPARE(dataOf(frames, "ERR"), QList<QByteArray>{QByteArray::fromHex("00CB")});
    QCOMPARE(dataOf(frames, "ERX"),
             QList<QByteArray>{QByteArray::fromHex("0002006B0000001F") + "Pressure #1 too high@@812"});
}

void TestWrenchCommands::fileTransferLayout()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("content.bin"));
    QByteArray content;
    for (int i = 0; i < 700; ++i)
        content.append(static_cast<char>(i * 7));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    WrenchConfig config;
    config.blockSize = 256;
    qint64 now = 0;
    WrenchSession session(config, [&] { return now; });
    ToolSide tool(session);
    WrenchControl control(session);
    QCOMPARE(control.execute(QStringLiteral("fst ..\\cal\\report.txt ") + path),
             QStringLiteral("ok fst ..\\cal\\report.txt 700"));
    const QList<Frame> frames = tool.converse();
    const QList<QByteArray> starts = dataOf(frames, "FST");
    QCOMPARE(starts.size(), 1);
    QCOMPARE(starts[0], QByteArray("..\\cal\\report.txt") + '\0' + QByteArray::fromHex("000002BC"));
    const QList<QByteArray> blocks = dataOf(frames, "FRN");
    QCOMPARE(blocks.size(), 3);
    QCOMPARE(blocks.join(), content);
    QCOMPARE(frames.last().mnemonic(), QByteArray("FFI"));
    // Sequence bytes of successive blocks differ, so none looks repeated.
    for (int i = 1; i < frames.size(); ++i) {
        if (frames[i].mnemonic() == "FRN" && frames[i - 1].mnemonic() == "FRN")
            QVERIFY(frames[i].sequence() != frames[i - 1].sequence());
    }
}

void TestWrenchCommands::ownMessagesWaitForATransfer()
{
    WrenchConfig config;
    config.history = QByteArray(1000, '\x11');
    config.blockSize = 100;
    qint64 now = 0;
    WrenchSession session(config, [&] { return now; });
    ToolSide tool(session);
    QByteArray request("RRQ");
    wire::appendBe16(request, WrenchSession::History);
    tool.request(request);
    tool.ack(tool.takeFrames().last()); // the start announcement
    session.sendMessageRequest(3, 1, "Info");
    session.sendError(201);
    // A request's answer still goes first.
    QByteArray read("DRQ");
    wire::appendBe16(read, 5);
    wire::appendBe16(read, 1);
    tool.request(read);
    const QList<Frame> frames = tool.converse();
    QStringList order;
    for (const Frame& f : frames) {
        if (f.mnemonic() != "ACK" && (order.isEmpty() || order.last() != QString::fromLatin1(f.mnemonic())))
            order.append(QString::fromLatin1(f.mnemonic()));
    }
    QCOMPARE(order, (QStringList{QStringLiteral("RRN"), QStringLiteral("DTM"), QStringLiteral("RRN"),
                                 QStringLiteral("RFI"), QStringLiteral("MGD"), QStringLiteral("ERR")}));
}

void TestWrenchCommands::commandLinesAreChecked_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("replyStart");
    QTest::newRow("blank") << QStringLiteral("   ") << QString();
    QTest::newRow("comment") << QStringLiteral("# mgd 1 1") << QString();
    QTest::newRow("mgd without type") << QStringLiteral("mgd 7") << QStringLiteral("error usage: mgd");
    QTest::newRow("mgd id too large") << QStringLiteral("mgd 70000 1") << QStringLiteral("error usage: mgd");
    QTest::newRow("err not a number") << QStringLiteral("err many") << QStringLiteral("error usage: err");
    QTest::newRow("erx without class") << QStringLiteral("erx 0 105") << QStringLiteral("error usage: erx");
    QTest::newRow("fst without file") << QStringLiteral("fst name") << QStringLiteral("error usage: fst");
    QTest::newRow("fst missing file") << QStringLiteral("fst name /nonexistent/file")
                                      << QStringLiteral("error cannot read");
    QTest::newRow("unknown") << QStringLiteral("frobnicate") << QStringLiteral("error unknown command");
    QTest::newRow("help") << QStringLiteral("HELP") << QStringLiteral("ok\nCommands");
}

void TestWrenchCommands::commandLinesAreChecked()
{
    QFETCH(QString, line);
    QFETCH(QString, replyStart);
    qint64 now = 0;
    WrenchSession session(WrenchConfig(), [&] { return now; });
    WrenchControl control(session);
    const QString reply = control.execute(line);
    QVERIFY2(replyStart.isEmpty() ? reply.isEmpty() : reply.startsWith(replyStart), qPrintable(reply));
    QVERIFY(session.takeOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestWrenchCommands)
#include "tst_wrenchcommands.moc"
