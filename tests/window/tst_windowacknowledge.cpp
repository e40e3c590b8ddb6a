// The wrench's acknowledge of a parameter write: the written parameter is
// read back 2 s later, also when the acknowledge arrives in the middle of a
// download (when the engine does not hand its frame to the window), and never
// for a connection that has ended.
#include "windowtest.h"

using namespace windowtest;

namespace {

// Writable at the wrench's first access level, and read by the tool only
// when asked.
constexpr int TorqueUnit = 200;
// As on the wire: the 0x01 is escaped.
const QString reReadOfTorqueUnit = QStringLiteral("44 52 51 00 C8 00 10 01");
const QString writeOfTorqueUnit = QStringLiteral("44 53 50 00 C8");

// Indexes of the frames the wrench received with that mnemonic and bytes.
QList<qsizetype> received(const Wrench& wrench, const char* mnemonic, const QString& bytes)
{
    const QList<QStringList> frames = wrench.frames();
    QList<qsizetype> found;
    for (qsizetype i : wrench.framesOf("rx", mnemonic)) {
        if (frames[i].join(QLatin1Char(' ')).contains(bytes))
            found.append(i);
    }
    return found;
}

int countReceived(const Wrench& wrench, const char* mnemonic, const QString& bytes)
{
    return static_cast<int>(received(wrench, mnemonic, bytes).size());
}

} // namespace

class TestWindowAcknowledge : public QObject, private WindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writeRefusedUnlessConnected();
    void acknowledgedWriteIsReadBack();
    void acknowledgeDuringDownloadStillCounts();
    void noReadBackAfterReconnect();

private:
    void startWrench(const QStringList& options = {});
    void connectWindow();
};

void TestWindowAcknowledge::init()
{
    QVERIFY(makeWorld());
    QVERIFY(m_wrench->map(*m_folder, QStringLiteral("COM42")));
}

void TestWindowAcknowledge::cleanup()
{
    tearDownWorld();
}

void TestWindowAcknowledge::startWrench(const QStringList& options)
{
    QVERIFY(m_wrench->startReady(options));
    m_window = std::make_unique<TolvoTool>();
}

void TestWindowAcknowledge::connectWindow()
{
    const int before = m_wrench->count(QStringLiteral("identified"));
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QVERIFY(m_window->isOnline());
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("identified"), before + 1), WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->messageService().connected(), WaitMs);
    // The identification answer is queued for the window by now; it starts
    // the connection afresh, and a write before it would be forgotten.
    QCoreApplication::sendPostedEvents(m_window.get());
}

void TestWindowAcknowledge::writeRefusedUnlessConnected()
{
    startWrench();
    QVERIFY(!m_window->setParam(TorqueUnit, "\x01", 1, true));
    connectWindow();
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QVERIFY(!m_window->setParam(TorqueUnit, "\x01", 1, true));
    QCOMPARE(countReceived(*m_wrench, "DSP", writeOfTorqueUnit), 0);
}

void TestWindowAcknowledge::acknowledgedWriteIsReadBack()
{
    startWrench();
    connectWindow();
    QVERIFY(m_window->setParam(TorqueUnit, "\x02", 1, true));
    QTRY_COMPARE_WITH_TIMEOUT(countReceived(*m_wrench, "DRQ", reReadOfTorqueUnit), 1, WaitMs);
    QCOMPARE(countReceived(*m_wrench, "DSP", writeOfTorqueUnit), 1);

    // Without the flag nothing is read back.
    QVERIFY(m_window->setParam(TorqueUnit, "\x03", 1, false));
    QTRY_COMPARE_WITH_TIMEOUT(countReceived(*m_wrench, "DSP", writeOfTorqueUnit), 2, WaitMs);
    QTest::qWait(3000); // longer than the read-back delay: nothing may come
    QCOMPARE(countReceived(*m_wrench, "DRQ", reReadOfTorqueUnit), 1);
    QVERIFY(m_user->boxes.isEmpty());
}

void TestWindowAcknowledge::acknowledgeDuringDownloadStillCounts()
{
    // A slow line and a long history keep the download running for seconds.
    startWrench({QStringLiteral("--history-count"), QStringLiteral("100"), QStringLiteral("--baud"),
                 QStringLiteral("9600"), QStringLiteral("--block-size"), QStringLiteral("256")});
    connectWindow();
    QVERIFY(m_window->messageService().requestRecords(0xFFF0));
    QTRY_VERIFY_WITH_TIMEOUT(!m_wrench->framesOf("tx", "RST").isEmpty(), WaitMs);
    QVERIFY(m_window->setParam(TorqueUnit, "\x02", 1, true));

    QTRY_COMPARE_WITH_TIMEOUT(countReceived(*m_wrench, "DRQ", reReadOfTorqueUnit), 1, WaitMs);
    // The acknowledge of the write went out between the start and the end of
    // the download.
    const QList<QStringList> frames = m_wrench->frames();
    const qsizetype write = received(*m_wrench, "DSP", writeOfTorqueUnit).first();
    qsizetype acknowledge = -1;
    for (qsizetype i = write + 1; i < frames.size() && acknowledge < 0; ++i) {
        if (frames[i][0] == QLatin1String("tx") && frames[i][3] == QLatin1String("ACK")
            && frames[i][2] == frames[write][2])
            acknowledge = i;
    }
    QVERIFY(acknowledge > m_wrench->framesOf("tx", "RST").first());
    const QList<qsizetype> ends = m_wrench->framesOf("tx", "RFI");
    QVERIFY(ends.isEmpty() || ends.first() > acknowledge);
    QVERIFY(m_user->boxes.isEmpty());
}

void TestWindowAcknowledge::noReadBackAfterReconnect()
{
    startWrench();
    connectWindow();
    QVERIFY(m_window->setParam(TorqueUnit, "\x02", 1, true));
    // A message round trip: once its answer is out, the window has handled
    // everything before it, the write's acknowledge included.
    QVERIFY(m_wrench->command("mgd 3 1 Probe"));
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("answer 3 1")), WaitMs);

    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("ready"), 2), WaitMs);
    connectWindow();
    QTest::qWait(3000); // longer than the read-back delay: nothing may come
    QCOMPARE(countReceived(*m_wrench, "DRQ", reReadOfTorqueUnit), 0);
    QCOMPARE(countReceived(*m_wrench, "DRQ", QStringLiteral("44 52 51 00 00 00 10 01")), 0);
}

QTEST_MAIN(TestWindowAcknowledge)
#include "tst_windowacknowledge.moc"
