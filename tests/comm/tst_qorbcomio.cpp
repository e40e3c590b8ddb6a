// The serial port over a real pseudo-terminal: frames arrive as events on the
// GUI thread, writes are bounded and fail once, a vanished device is reported
// once without a busy loop, reopening never mixes up connections, and a
// refused request for low latency changes nothing.

#include "comm/qorbcomio.h"

#include "comm/comevents.h"
#include "platform/serial.h"
#include "protocol/frame/parser.h"
#include "tests/support/eventrecorder.h"
#include "tests/support/framehelpers.h"
#include "tests/support/ptyfarend.h"
#include "tests/support/threadcpu.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

using testsupport::EventRecorder;
using testsupport::ackFrame;
using testsupport::bytesOf;
using testsupport::dspFrame;
using testsupport::rrqFrame;
using testsupport::unescaped;
using testsupport::wireFrame;
using testsupport::writeAll;

namespace {
constexpr int Baud = 115200;
constexpr int ComPort = 12;

// The engine sets the time-outs; so does this port.
class Port : public QorbComIO {
public:
    void setTimeouts(int writeMs, int closeMs)
    {
        writeTimeoutMs = writeMs;
        closeWaitMs = closeMs;
    }
    bool send(const QByteArray& bytes) { return write(bytesOf(bytes), static_cast<int>(bytes.size())); }
};

int receiveThreads()
{
    return static_cast<int>(testsupport::threadIdsNamed("QorbRxdThread").size());
}
} // namespace

class TestQorbComIO : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void framesArriveAsEvents();
    void burstArrivesInOrder();
    void portNumbersAboveNine_data();
    void portNumbersAboveNine();
    void openRefusals();
    void refusedOpenLeavesPortFree_data();
    void refusedOpenLeavesPortFree();
    void secondOpenOfOnePortIsRefused();
    void openWhileOpenKeepsHandle();
    void receiverStartsOnceAndStopsTwice();
    void zeroLengthWriteSendsNothing();
    void writeToVanishedDeviceFailsOnce();
    void writeTimesOutOnFullLine();
    void vanishedDeviceReportedOnceWithoutBusyLoop();
    void reopeningNeverMixesConnections();
    void lowLatencyRefusedKeepsPortUsable();

private:
    bool openPort(Port& port, EventRecorder& recorder, std::uint16_t slotCount = 8, int portNumber = ComPort);

    std::unique_ptr<QTemporaryDir> m_dir;
    platform::PseudoTerminal m_wrench;
    QString m_settings;
    std::string m_link;
};

void TestQorbComIO::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_settings = m_dir->filePath(QStringLiteral("TolvoTool.ini"));
    m_link = m_dir->filePath(QStringLiteral("wrench")).toStdString();
    QVERIFY2(m_wrench.open(m_link), m_wrench.error().c_str());
    QVERIFY(testsupport::mapComPort(m_settings, ComPort, m_link));
}

void TestQorbComIO::cleanup()
{
    m_wrench.close();
    platform::setPortMappingFile({});
    m_dir.reset();
}

bool TestQorbComIO::openPort(Port& port, EventRecorder& recorder, std::uint16_t slotCount, int portNumber)
{
    port.setReceiver(&recorder, nullptr, slotCount, 1033, feedByte, portNumber);
    return port.open(portNumber, Baud, 0, true, true);
}

void TestQorbComIO::framesArriveAsEvents()
{
    EventRecorder recorder;
    Port port;
    QVERIFY(openPort(port, recorder));
    port.startReceiver();
    QVERIFY(writeAll(m_wrench, ackFrame + dspFrame + rrqFrame));

    QTRY_COMPARE(recorder.events.size(), 3);
    QCOMPARE(recorder.frames(), (QList<QByteArray>{ackFrame, unescaped(dspFrame), unescaped(rrqFrame)}));
    for (const testsupport::RecordedEvent& event : recorder.events) {
        QCOMPARE(event.type, comevent::Receive);
        QCOMPARE(event.value, ComPort);
        QVERIFY(event.onReceiverThread);
        QCOMPARE(int{event.slotState}, int{RxSlot::Complete});
    }
}

void TestQorbComIO::burstArrivesInOrder()
{
    constexpr int frameCount = 120;
    EventRecorder recorder;
    Port port;
    QVERIFY(openPort(port, recorder, 128));
    port.startReceiver();

    QByteArray burst;
    QList<QByteArray> expected;
    for (int i = 0; i < frameCount; ++i) {
        QByteArray payload("RRN");
        payload.append(static_cast<char>(i >> 8)).append(static_cast<char>(i)).append(QByteArray(i * 5, char(i)));
        const QByteArray wire = wireFrame(i % 2 == 0 ? frame::StartXor : frame::StartCrc, 0x20,
                                          static_cast<std::uint8_t>(i), payload);
        burst += wire;
        expected.append(unescaped(wire));
    }
    QVERIFY(writeAll(m_wrench, burst));

    QTRY_COMPARE_WITH_TIMEOUT(recorder.events.size(), frameCount, 20000);
    QCOMPARE(recorder.count(comevent::Receive), frameCount);
    QCOMPARE(recorder.frames(), expected);
}

void TestQorbComIO::portNumbersAboveNine_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::newRow("COM10") << 10;
    QTest::newRow("COM99") << 99;
    QTest::newRow("COM255") << 255;
}

void TestQorbComIO::portNumbersAboveNine()
{
    QFETCH(int, portNumber);
    QVERIFY(testsupport::mapComPort(m_settings, portNumber, m_link));
    EventRecorder recorder;
    Port port;
    QVERIFY(openPort(port, recorder, 8, portNumber));
    port.startReceiver();
    QVERIFY(writeAll(m_wrench, ackFrame));
    QTRY_COMPARE(recorder.frames(), QList<QByteArray>{ackFrame});
    QCOMPARE(recorder.events.first().value, portNumber);
}

void TestQorbComIO::openRefusals()
{
    EventRecorder recorder;
    Port port;
    QVERIFY(!port.open(ComPort, Baud, 0, true, true)); // no receiver yet

    port.setReceiver(&recorder, nullptr, 4, 256, feedByte, 1);
    QVERIFY(!port.open(98, Baud, 0, true, true));       // no such port
    QVERIFY(!port.open(ComPort, 0, 0, true, true));        // no baud rate
    QVERIFY(!port.open(ComPort, 12345, 0, true, true));    // not a standard rate
    QVERIFY(!port.open(ComPort, Baud, 7, true, true));     // no such parity

    const QString plainFile = m_dir->filePath(QStringLiteral("not-a-port"));
    QFile file(plainFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(testsupport::mapComPort(m_settings, 14, plainFile.toStdString()));
    QVERIFY(!port.open(14, Baud, 0, true, true));
    QVERIFY(!port.isOpen());

    // Nothing was kept from the refusals.
    QVERIFY(port.open(ComPort, 9600, 2, false, false));
    QVERIFY(port.isOpen());
    QCoreApplication::sendPostedEvents(&recorder);
    QVERIFY(recorder.events.isEmpty());
}

void TestQorbComIO::refusedOpenLeavesPortFree_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::newRow("no baud rate") << 0 << 0;
    QTest::newRow("not a standard rate") << 12345 << 0;
    QTest::newRow("no such parity") << Baud << 7;
}

// A root user passes exclusive use unhindered, so the flag is read directly.
void TestQorbComIO::refusedOpenLeavesPortFree()
{
    QFETCH(int, baud);
    QFETCH(int, parity);
    EventRecorder recorder;
    Port refused;
    refused.setReceiver(&recorder, nullptr, 4, 256, feedByte, 1);
    QVERIFY(!refused.open(ComPort, baud, parity, true, true));

    const int fd = ::open(m_link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(fd >= 0);
    int exclusive = -1;
    const int asked = ::ioctl(fd, TIOCGEXCL, &exclusive);
    ::close(fd);
    QCOMPARE(asked, 0);
    QCOMPARE(exclusive, 0);

    Port next;
    QVERIFY(openPort(next, recorder));
}

void TestQorbComIO::secondOpenOfOnePortIsRefused()
{
    EventRecorder recorder;
    Port first;
    Port second;
    QVERIFY(openPort(first, recorder));
    QVERIFY(!openPort(second, recorder));
    QVERIFY(!second.isOpen());
    // The refusal took nothing from the first.
    QVERIFY(first.isOpen());
    QVERIFY(first.send(ackFrame));
    QCOMPARE(testsupport::readAtLeast(m_wrench, ackFrame.size()), ackFrame);

    first.close();
    QVERIFY(openPort(second, recorder));
}

void TestQorbComIO::openWhileOpenKeepsHandle()
{
    platform::PseudoTerminal other;
    QVERIFY(other.open(m_dir->filePath(QStringLiteral("other")).toStdString()));
    QVERIFY(testsupport::mapComPort(m_settings, 13, other.linkPath()));

    EventRecorder recorder;
    Port port;
    QVERIFY(openPort(port, recorder));
    QVERIFY(!port.open(ComPort, Baud, 0, true, true));
    QVERIFY(!port.open(13, Baud, 0, true, true));
    QVERIFY(port.isOpen());

    port.startReceiver();
    QVERIFY(writeAll(m_wrench, rrqFrame));
    QTRY_COMPARE(recorder.frames(), QList<QByteArray>{unescaped(rrqFrame)});
    QVERIFY(port.send(ackFrame));
    QCOMPARE(testsupport::readAtLeast(m_wrench, ackFrame.size()), ackFrame);
}

void TestQorbComIO::receiverStartsOnceAndStopsTwice()
{
    EventRecorder recorder;
    Port port;
    port.stopReceiver(); // never started: nothing to do
    QVERIFY(openPort(port, recorder));
    port.startReceiver();
    port.startReceiver();
    QTRY_COMPARE(receiveThreads(), 1);

    QVERIFY(writeAll(m_wrench, ackFrame));
    QTRY_COMPARE(recorder.events.size(), 1);
    QCOMPARE(receiveThreads(), 1);
    port.stopReceiver();
    port.stopReceiver();
    QTRY_COMPARE(receiveThreads(), 0);

    // A stopped receiver starts again, on the same pool.
    port.startReceiver();
    QVERIFY(writeAll(m_wrench, dspFrame));
    QTRY_COMPARE(recorder.events.size(), 2);
    QCOMPARE(recorder.frames().last(), unescaped(dspFrame));
    QCOMPARE(recorder.events.last().slot, recorder.events.first().slot);
}

void TestQorbComIO::zeroLengthWriteSendsNothing()
{
    EventRecorder recorder;
    Port port;
    QVERIFY(!port.send(ackFrame)); // not open
    QVERIFY(openPort(port, recorder));
    QVERIFY(!port.write(bytesOf(ackFrame), 0));
    QVERIFY(!port.write(bytesOf(ackFrame), -1));
    QVERIFY(!port.write(nullptr, 8));
    QVERIFY(port.send(rrqFrame));

    QCOMPARE(testsupport::readAtLeast(m_wrench, rrqFrame.size()), rrqFrame);
    QCoreApplication::sendPostedEvents(&recorder);
    QVERIFY(recorder.events.isEmpty());
}

void TestQorbComIO::writeToVanishedDeviceFailsOnce()
{
    EventRecorder recorder;
    Port port;
    QVERIFY(openPort(port, recorder));
    m_wrench.close();

    QVERIFY(!port.send(ackFrame));
    QVERIFY(!port.send(ackFrame)); // no longer usable: nothing tried, nothing posted
    QCoreApplication::sendPostedEvents(&recorder);
    QCOMPARE(recorder.events.size(), 1);
    // Told as the device gone, like the receive side tells it.
    QCOMPARE(recorder.events.first().type, comevent::ReadError);
    QCOMPARE(recorder.events.first().value, ComPort);
    QVERIFY(port.isOpen());

    // Reopened on a device that is back, the port writes again.
    port.close();
    QVERIFY(m_wrench.open(m_link));
    QVERIFY(openPort(port, recorder));
    QVERIFY(port.send(ackFrame));
    QCOMPARE(testsupport::readAtLeast(m_wrench, ackFrame.size()), ackFrame);
}

void TestQorbComIO::writeTimesOutOnFullLine()
{
    EventRecorder recorder;
    Port port;
    port.setTimeouts(100, -1);
    QVERIFY(openPort(port, recorder));

    // The far end reads nothing: the line fills up and the bounded wait ends.
    const QByteArray flood(4 * 1024 * 1024, 'x');
    QVERIFY(!port.send(flood));
    QVERIFY(!port.send(ackFrame));
    QCoreApplication::sendPostedEvents(&recorder);
    QCOMPARE(recorder.count(comevent::WriteError), 1);
    QCOMPARE(recorder.events.size(), 1);

    port.close();
    char drain[4096];
    while (m_wrench.read(drain, sizeof drain) > 0) {
    }
    QVERIFY(openPort(port, recorder));
    QVERIFY(port.send(ackFrame));
}

void TestQorbComIO::vanishedDeviceReportedOnceWithoutBusyLoop()
{
    EventRecorder recorder;
    Port port;
    QVERIFY(openPort(port, recorder));
    port.startReceiver();
    QVERIFY(writeAll(m_wrench, ackFrame));
    QTRY_COMPARE(recorder.events.size(), 1);

    m_wrench.close();
    QTRY_COMPARE(recorder.count(comevent::ReadError), 1);
    QCOMPARE(recorder.events.last().value, ComPort);

    // Measured over a second, not a synchronisation: the receive thread must
    // sit idle until it is stopped.
    const QList<int> threads = testsupport::threadIdsNamed("QorbRxdThread");
    QCOMPARE(threads.size(), 1);
    const double before = testsupport::threadCpuSeconds(threads.first());
    QTest::qWait(1000);
    const double used = testsupport::threadCpuSeconds(threads.first()) - before;
    qInfo("Receive thread CPU after the device vanished: %.3f s in 1 s", used);
    QVERIFY2(before >= 0 && used < 0.05, qPrintable(QString::number(used)));
    QCOMPARE(recorder.count(comevent::ReadError), 1);

    port.stopReceiver();
    QTRY_COMPARE(receiveThreads(), 0);
    port.close();
    QVERIFY(!port.isOpen());
}

void TestQorbComIO::reopeningNeverMixesConnections()
{
    // Checks every event on arrival against the connection that is open.
    class ConnectionRecorder : public EventRecorder {
    public:
        const QorbComIO* port = nullptr;
        int connection = -1;
        int strays = 0;

    protected:
        void customEvent(QEvent* event) override
        {
            EventRecorder::customEvent(event);
            const testsupport::RecordedEvent& last = events.last();
            const bool sound = last.value == connection && port->isOpen()
                && (last.type != comevent::Receive || last.slotState == RxSlot::Complete);
            strays += sound ? 0 : 1;
        }
    };

    ConnectionRecorder recorder;
    Port port;
    port.setTimeouts(1000, 1000);
    recorder.port = &port;

    std::atomic<bool> sending{true};
    std::thread farEnd([this, &sending] {
        const QByteArray frames = ackFrame + dspFrame + rrqFrame;
        while (sending.load()) {
            if (m_wrench.write(frames.constData(), static_cast<unsigned long>(frames.size())) <= 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });

    int received = 0;
    for (int connection = 0; connection < 100; ++connection) {
        recorder.connection = connection;
        port.setReceiver(&recorder, nullptr, 4, 64, feedByte, connection);
        QVERIFY(port.open(ComPort, Baud, 0, true, true));
        port.startReceiver();
        QTRY_VERIFY(!recorder.events.isEmpty() && recorder.events.last().value == connection);
        port.close();
        received += static_cast<int>(recorder.events.size());
        recorder.events.clear();
        QCoreApplication::processEvents(); // a stale event would surface here
    }
    sending.store(false);
    farEnd.join();

    QCOMPARE(recorder.strays, 0);
    QVERIFY(recorder.events.isEmpty());
    QVERIFY(received >= 100);
}

// A pseudo-terminal has no serial driver settings: the request for low
// latency is refused, and the port works as before.
void TestQorbComIO::lowLatencyRefusedKeepsPortUsable()
{
    platform::SerialPort port;
    QVERIFY(port.open(m_link, platform::SerialLineSettings{Baud, 0, true, true}));
    QVERIFY(!port.hasLowLatency());
    QCOMPARE(port.write(bytesOf(ackFrame), static_cast<std::size_t>(ackFrame.size()), 1000),
             platform::SerialError::None);
    QCOMPARE(testsupport::readAtLeast(m_wrench, ackFrame.size()), ackFrame);
    port.close();
    QVERIFY(!port.hasLowLatency());
}

QTEST_GUILESS_MAIN(TestQorbComIO)
#include "tst_qorbcomio.moc"
