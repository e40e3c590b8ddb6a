// The real tolvo-wrench on a pseudo-terminal link, talked to from this side
// with the project's frame codec as the tool talks to it.
#include "platform/pseudoterminal.h"

#include "protocol/frame/wire.h"
#include "tests/support/wrenchprocess.h"
#include "tools/wireframe.h"
#include "tools/wirereader.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace wrench;

namespace {

constexpr int WaitMs = 10000;

QByteArray request(const char* mnemonic, std::initializer_list<quint16> numbers)
{
    QByteArray p(mnemonic);
    for (quint16 n : numbers)
        wire::appendBe16(p, n);
    return p;
}

// The tool's end of the line.
class ToolPort {
public:
    bool open(const QString& path) { return m_port.open(path.toStdString()); }

    bool send(quint8 control, quint8 sequence, const QByteArray& payload)
    {
        const QByteArray bytes = wire::build(frame::StartXor, control, sequence, payload);
        unsigned long written = 0;
        return m_port.writeSome(bytes.constData(), static_cast<unsigned long>(bytes.size()), written)
                   == platform::TransferResult::Done
            && written == static_cast<unsigned long>(bytes.size());
    }
    bool request(const QByteArray& payload) { return send(frame::ControlAckRequested, m_sequence++, payload); }

    // The next good frame from the wrench; frames that ask for it are
    // acknowledged. An empty frame on time-out or hang-up.
    Frame next(int timeoutMs = WaitMs)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (m_pending.isEmpty() && !deadline.hasExpired()) {
            if (!m_port.waitReadable(static_cast<int>(deadline.remainingTime())))
                break;
            char buffer[512];
            unsigned long count = 0;
            if (m_port.readSome(buffer, sizeof buffer, count) != platform::TransferResult::Done
                || count == 0) {
                m_hungUp = true;
                break;
            }
            for (const WireReader::Event& e : m_reader.feed(QByteArray(buffer, static_cast<qsizetype>(count)))) {
                if (e.kind == WireReader::Event::Good)
                    m_pending.append(e.frame);
            }
        }
        if (m_pending.isEmpty())
            return Frame();
        const Frame f = m_pending.takeFirst();
        if (f.control() & frame::ControlAckRequested)
            send(frame::ControlAck, f.sequence(), QByteArrayLiteral("ACK"));
        return f;
    }
    // The next frame that is not an acknowledge.
    Frame nextMessage()
    {
        Frame f = next();
        while (f.mnemonic() == "ACK")
            f = next();
        return f;
    }
    bool hungUp() const { return m_hungUp; }

private:
    platform::TerminalClient m_port;
    WireReader m_reader;
    QList<Frame> m_pending;
    quint8 m_sequence = 1;
    bool m_hungUp = false;
};

} // namespace

class TestWrenchProcess : public QObject {
    Q_OBJECT

private slots:
    void talksAsAWrench();
    void unplugsAndComesBack();
    void commandLine();
};

void TestWrenchProcess::talksAsAWrench()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    testsupport::WrenchProcess wrench(dir.path());
    const QString& link = wrench.link;
    const QString control = dir.filePath(QStringLiteral("control"));
    wrench.start({QStringLiteral("--control"), control, QStringLiteral("--history-count"), QStringLiteral("3"),
                  QStringLiteral("--block-size"), QStringLiteral("64")});
    QTRY_VERIFY_WITH_TIMEOUT(wrench.saw(QStringLiteral("ready ") + link), WaitMs);
    QVERIFY(QFileInfo(link).isSymLink());

    ToolPort tool;
    QVERIFY(tool.open(link));
    QVERIFY(tool.request(QByteArray("VER") + "TLTERM;V. 1.006"));
    const Frame ack = tool.next();
    QCOMPARE(ack.mnemonic(), QByteArray("ACK"));
    QCOMPARE(ack.control(), frame::ControlAck);
    QCOMPARE(ack.sequence(), quint8(1));
    const Frame identification = tool.next();
    QCOMPARE(identification.mnemonic(), QByteArray("VER"));
    QCOMPARE(identification.control(), frame::ControlAckRequested);
    QCOMPARE(identification.data().count(';'), 3);
    QVERIFY(tool.send(0, 2, QByteArray("VER") + "TLTERM;V. 1.006"));
    QTRY_VERIFY_WITH_TIMEOUT(wrench.saw(QStringLiteral("identified TLTERM;V. 1.006")), WaitMs);

    QVERIFY(tool.request(request("DRQ", {101, 1})));
    const Frame value = tool.nextMessage();
    QCOMPARE(value.mnemonic(), QByteArray("DTM"));
    QCOMPARE(wire::be16(value.data(), 0), quint16(101));
    QVERIFY(value.data().mid(4).contains('F'));

    QVERIFY(tool.request(request("RRQ", {0xFFF0})));
    const Frame start = tool.nextMessage();
    QCOMPARE(start.mnemonic(), QByteArray("RST"));
    QCOMPARE(start.data(), QByteArray::fromHex("FFF0000000C0"));
    QByteArray records;
    for (Frame f = tool.next(); f.mnemonic() != "RFI"; f = tool.next()) {
        QVERIFY2(f.mnemonic() == "RRN", f.wire.toHex().constData());
        records += f.data();
    }
    QCOMPARE(records.size(), 192);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(static_cast<quint8>(records.at(i * 64 + 12)), quint8(i + 1));

    // A message request on command, and the tool's answer.
    wrench.process.write("mgd 7 4 Title;Do it?\n");
    QVERIFY(wrench.process.waitForBytesWritten(WaitMs));
    const Frame message = tool.nextMessage();
    QCOMPARE(message.mnemonic(), QByteArray("MGD"));
    QCOMPARE(message.data(), QByteArray::fromHex("00070004") + "Title;Do it?");
    QTRY_VERIFY_WITH_TIMEOUT(wrench.saw(QStringLiteral("ok mgd 7")), WaitMs);
    QVERIFY(tool.request(request("MGC", {7, 1})));
    QCOMPARE(tool.next().mnemonic(), QByteArray("ACK"));
    QTRY_VERIFY_WITH_TIMEOUT(wrench.saw(QStringLiteral("answer 7 1")), WaitMs);

    // The same through the control socket.
    QLocalSocket socket;
    socket.connectToServer(control);
    QVERIFY(socket.waitForConnected(WaitMs));
    socket.write("err 105\n");
    QVERIFY(socket.waitForBytesWritten(WaitMs));
    QTRY_VERIFY_WITH_TIMEOUT(socket.canReadLine(), WaitMs);
    QCOMPARE(socket.readLine(), QByteArray("ok err 105\n"));
    const Frame report = tool.nextMessage();
    QCOMPARE(report.mnemonic(), QByteArray("ERR"));
    QCOMPARE(report.data(), QByteArray::fromHex("0069"));

    wrench.process.terminate();
    QVERIFY(wrench.process.waitForFinished(WaitMs));
    QCOMPARE(wrench.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(wrench.process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(control));

    QFile logFile(wrench.logFile);
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = logFile.readAll().trimmed().split('\n');
    const QRegularExpression format(QStringLiteral(
        "^\\d+ (tx|rx) [0-9A-F]{2} [0-9A-F]{2} [A-Z]{3} \\d+( [0-9A-F]{2})+$"));
    for (const QByteArray& line : lines)
        QVERIFY2(format.match(QString::fromLatin1(line)).hasMatch(), line.constData());
    QVERIFY(lines.first().contains(" rx 20 01 VER 18 01 20 10 01 56 45 52"));
    QVERIFY(lines.size() >= 20);
}

void TestWrenchProcess::unplugsAndComesBack()
{
    testsupport::WrenchProcess wrench;
    const QString& link = wrench.link;
    wrench.start({QStringLiteral("--unplug-after"), QStringLiteral("3"),
                  QStringLiteral("--replug-after"), QStringLiteral("50")});
    QTRY_VERIFY_WITH_TIMEOUT(wrench.saw(QStringLiteral("ready ")), WaitMs);

    ToolPort tool;
    QVERIFY(tool.open(link));
    QVERIFY(tool.request(QByteArray("VER") + "TLTERM"));
    QCOMPARE(tool.next().mnemonic(), QByteArray("ACK"));
    QCOMPARE(tool.next().mnemonic(), QByteArray("VER"));
    QVERIFY(tool.request(request("DRQ", {100, 1})));
    QCOMPARE(tool.next().mnemonic(), QByteArray("ACK")); // the third frame
    QVERIFY(tool.next().mnemonic().isEmpty());
    QVERIFY(tool.hungUp());
    QTRY_VERIFY_WITH_TIMEOUT(wrench.saw(QStringLiteral("unplugged ") + link), WaitMs);

    QTRY_VERIFY_WITH_TIMEOUT(wrench.saw(QStringLiteral("ready ") + link, 2), WaitMs);
    {
        // The tool closes its port in the middle of the history...
        ToolPort again;
        QVERIFY(again.open(link));
        QVERIFY(again.request(request("RRQ", {0xFFF0})));
        QCOMPARE(again.nextMessage().mnemonic(), QByteArray("RST"));
        QCOMPARE(again.nextMessage().mnemonic(), QByteArray("RRN"));
    }
    // ... and opens it again: a fresh pseudo-terminal behind the same link,
    // and the wrench has started afresh.
    QTRY_VERIFY_WITH_TIMEOUT(wrench.saw(QStringLiteral("ready ") + link, 3), WaitMs);
    ToolPort reopened;
    QVERIFY(reopened.open(link));
    QVERIFY(reopened.request(request("DRQ", {100, 1})));
    const Frame value = reopened.nextMessage();
    QCOMPARE(value.mnemonic(), QByteArray("DTM"));
    QCOMPARE(wire::be16(value.data(), 0), quint16(100));
}

void TestWrenchProcess::commandLine()
{
    QProcess help;
    help.start(testsupport::WrenchProcess::program(), {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(WaitMs));
    QCOMPARE(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    for (const char* option : {"--link", "--log", "--corrupt-every", "--duplicate-every", "--baud",
                               "--unplug-after", "--no-ver-answer", "--parameters", "--parameters-file",
                               "--number-descriptions", "--silent-ids <list>", "--ver-answers <n>",
                               "ready <path>"})
        QVERIFY2(text.contains(option), option);

    QProcess wrong;
    wrong.start(testsupport::WrenchProcess::program(), {QStringLiteral("--block-size"), QStringLiteral("0")});
    QVERIFY(wrong.waitForFinished(WaitMs));
    QCOMPARE(wrong.exitCode(), 2);
    QVERIFY(wrong.readAllStandardError().contains("--block-size"));
}

QTEST_GUILESS_MAIN(TestWrenchProcess)
#include "tst_wrenchprocess.moc"
