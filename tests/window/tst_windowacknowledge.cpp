// The wrench's acknowledge of a parameter write: the written parameter is
// read back 2 s later, also when the acknowledge arrives in the middle of a
// download (when the engine does not hand its frame to the window), and never
// for a connection that has ended.
#include "windowtest.h"

using namespace windowtest;

namespace {

constexpr int HistoryMode = 113;
// As on the wire: the 0x01 is escaped.
const QString reReadOf113 = QStringLiteral("44 52 51 00 71 00 10 01");

int countReceived(const Wrench& wrench, const char* mnemonic, const QString& bytes)
{
    const QList<QStringList> frames = wrench.frames();
    int found = 0;
    for (qsizetype i : wrench.framesOf("rx", mnemonic))
        found += frames[i].join(QLatin1Char(' ')).contains(bytes) ? 1 : 0;
    return found;
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
}

void TestWindowAcknowledge::writeRefusedUnlessConnected()
{
    startWrench();
    QVERIFY(!m_window->setParam(HistoryMode, "\x01", 1, true));
    connectWindow();
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QVERIFY(!m_window->setParam(HistoryMode, "\x01", 1, true));
    QVERIFY(m_wrench->framesOf("rx", "DSP").isEmpty());
}

void TestWindowAcknowledge::acknowledgedWriteIsReadBack()
{
    startWrench();
    connectWindow();
    QVERIFY(m_window->setParam(HistoryMode, "\x02", 1, true));
    QTRY_COMPARE_WITH_TIMEOUT(countReceived(*m_wrench, "DRQ", reReadOf113), 1, WaitMs);
    QCOMPARE(m_wrench->framesOf("rx", "DSP").size(), 1);

    // Without the flag nothing is read back.
    QVERIFY(m_window->setParam(HistoryMode, "\x03", 1, false));
    QTRY_COMPARE_WITH_TIMEOUT(m_wrench->framesOf("rx", "DSP").size(), 2, WaitMs);
    QTest::qWait(3000); // longer than the read-back delay: nothing may come
    QCOMPARE(countReceived(*m_wrench, "DRQ", reReadOf113), 1);
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
    QVERIFY(m_window->setParam(HistoryMode, "\x02", 1, true));

    QTRY_COMPARE_WITH_TIMEOUT(countReceived(*m_wrench, "DRQ", reReadOf113), 1, WaitMs);
    // The acknowledge of the write went out between the start and the end of
    // the download.
    const QList<QStringList> frames = m_wrench->frames();
    const qsizetype write = m_wrench->framesOf("rx", "DSP").first();
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
    QVERIFY(m_window->setParam(HistoryMode, "\x02", 1, true));
    // A message round trip: once its answer is out, the window has handled
    // everything before it, the write's acknowledge included.
    QVERIFY(m_wrench->command("mgd 3 1 Probe"));
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("answer 3 1")), WaitMs);

    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QTRY_VERIFY_WITH_TIMEOUT(m_wrench->saw(QStringLiteral("ready"), 2), WaitMs);
    connectWindow();
    QTest::qWait(3000); // longer than the read-back delay: nothing may come
    QCOMPARE(countReceived(*m_wrench, "DRQ", reReadOf113), 0);
    QCOMPARE(countReceived(*m_wrench, "DRQ", QStringLiteral("44 52 51 00 00 00 10 01")), 0);
}

QTEST_MAIN(TestWindowAcknowledge)
#include "tst_windowacknowledge.moc"
