// The parameter service driven tick by tick: one request at a time, the
// time-outs and the read back, the description download, the routing of
// downloads and the wrench's error reports. Time is a clock the test moves.
#include "app/deviceservice.h"
#include "params/paramqueues.h"
#include "protocol/kapsmessage.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

// The wrench's side: what the service sent, as "DRQ 5", "RRQ 65535", "DSP 5 6".
class RecordingLink : public DeviceLink
{
public:
    bool isOnline() const override { return online; }
    bool isUsable() const override { return online && identified; }
    bool requestData(int first, int second) override
    {
        sent.append(QStringLiteral("DRQ %1 %2").arg(first).arg(second));
        return true;
    }
    bool requestRecords(int number) override
    {
        sent.append(QStringLiteral("RRQ %1").arg(number));
        return true;
    }
    bool writeParam(int id, const char*, int length) override
    {
        sent.append(QStringLiteral("DSP %1 %2").arg(id).arg(length));
        return true;
    }

    bool online = true;
    bool identified = true;
    QStringList sent;
};

// The two views with their real queues; a write goes out as its text's bytes.
class RecordingViews : public ServiceViews
{
public:
    bool sendHistoryWrite() override { return send(history); }
    int nextHistoryRead() override
    {
        const int id = history.nextRead();
        return id != -1 ? id : history.nextCyclicRead();
    }
    bool sendParamWrite() override { return send(param); }
    void resetHistoryQueues() override { history.reset(); }
    void prepareHistoryReadList() override
    {
        history.setReadIds({5, 113, 100, 101, 103, 135});
        ++readListsPrepared;
    }
    void historyParamValue(int id, const QByteArray&) override { valuesHanded.append(id); }
    void setHistoryProgress(int percent) override { historyPercents.append(percent); }
    void showHistoryProcessing() override { ++processingShown; }
    void historyData(const QByteArray& block) override { historyBlocks.append(block); }
    void historyTooLarge() override { ++tooLargeShown; }
    void paramInfo(const QByteArray& record) override { paramRecords.append(record); }
    void showParamProgress(bool visible) override { paramProgressVisible = visible; }
    void setParamProgressMaximum(int maximum) override
    {
        paramProgressMaximum = maximum;
        paramProgressValue = 0;
    }
    void stepParamProgress() override { ++paramProgressValue; }
    void setParamFileName(const QString& name) override { fileName = name; }
    void uncheckRefreshButtons() override { ++refreshUnchecked; }
    void firmwareKnown() override { ++firmwareKnownCount; }

    bool send(ParamQueues& queues)
    {
        const std::optional<WriteRequest> request = queues.takeWrite();
        if (!request)
            return false;
        const QByteArray bytes = request->value.toLatin1();
        service->setParam(request->pid, bytes.constData(), static_cast<int>(bytes.size()), request->reRead);
        return true;
    }

    DeviceService* service = nullptr;
    ParamQueues history;
    ParamQueues param;
    int readListsPrepared = 0;
    QList<int> valuesHanded;
    QList<int> historyPercents;
    int processingShown = 0;
    QList<QByteArray> historyBlocks;
    int tooLargeShown = 0;
    QList<QByteArray> paramRecords;
    bool paramProgressVisible = false;
    int paramProgressMaximum = -1;
    int paramProgressValue = 0;
    QString fileName = QStringLiteral("<unset>");
    int refreshUnchecked = 0;
    int firmwareKnownCount = 0;
};

// Single-shot work run when the test moves the clock past its time.
class TestClock : public Scheduler
{
public:
    void schedule(int delayMs, std::function<void()> work) override
    {
        m_pending.append({m_now + delayMs, m_sequence++, std::move(work)});
    }
    void advance(int ms)
    {
        m_now += ms;
        for (;;) {
            auto due = std::min_element(m_pending.begin(), m_pending.end(), [](const Work& a, const Work& b) {
                return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
            });
            if (due == m_pending.end() || due->due > m_now)
                return;
            const std::function<void()> work = due->work;
            m_pending.erase(due);
            work();
        }
    }

private:
    struct Work {
        qint64 due;
        qint64 sequence;
        std::function<void()> work;
    };
    qint64 m_now = 0;
    qint64 m_sequence = 0;
    QList<Work> m_pending;
};

KaPSMessage message(int type, int value1, int value2, const QString& text = QString(),
                    const QByteArray& bytes = QByteArray())
{
    KaPSMessage result(type, value1, value2, text);
    result.setBytes(bytes);
    return result;
}

} // namespace

class TestDeviceService : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void queuedReadsGoOneAfterAnother();
    void readAfterTimeOutOfThePrevious();
    void writeWithReReadClearedByAcknowledge();
    void twoWritesReadBackWithinTheDelay();
    void identificationAcknowledgeTouchesNothing();
    void acknowledgeWithoutItsFrameStillCounts();
    void unansweredReadNamesItsId();
    void answerToAnotherReadKeepsWaiting();
    void nothingScheduledActsAfterDisconnect();
    void tooLongValueRefusedWithMessage();
    void errorReports_data();
    void errorReports();
    void descriptionDownloadOncePerConnection();
    void historyProgress_data();
    void historyProgress();
    void refusedHistoryIsNotAnEmptyOne();
    void otherDownloadsLeaveHistoryAlone();
    void identityParameters();
    void identityBelongsToItsConversation_data();
    void identityBelongsToItsConversation();
    void firmwareKindSettledByEveryEndOfItsRead_data();
    void firmwareKindSettledByEveryEndOfItsRead();
    void silentDownloadTimesOut();
    void acknowledgedWriteIsReported();

private:
    // One tick of 50 ms.
    void step(int ticks = 1);
    void answer(int id, const QByteArray& value);

    std::unique_ptr<RecordingLink> m_link;
    std::unique_ptr<RecordingViews> m_views;
    std::unique_ptr<TestClock> m_clock;
    std::unique_ptr<DeviceService> m_service;
};

void TestDeviceService::init()
{
    m_link = std::make_unique<RecordingLink>();
    m_views = std::make_unique<RecordingViews>();
    m_clock = std::make_unique<TestClock>();
    m_service = std::make_unique<DeviceService>(*m_link, *m_views, *m_clock);
    m_views->service = m_service.get();
}

void TestDeviceService::cleanup()
{
    m_service.reset();
    m_clock.reset();
    m_views.reset();
    m_link.reset();
}

void TestDeviceService::step(int ticks)
{
    for (int i = 0; i < ticks; ++i) {
        m_service->tick();
        m_clock->advance(DeviceService::TickMs);
    }
}

void TestDeviceService::answer(int id, const QByteArray& value)
{
    QVERIFY(m_service->handleMessage(message(kaps::ParamValue, id, 0, QString(), value)));
}

void TestDeviceService::queuedReadsGoOneAfterAnother()
{
    m_views->history.setReadIds({5, 113});
    step();
    QCOMPARE(m_link->sent, QStringList{QStringLiteral("DRQ 5 1")});
    step(20);
    QCOMPARE(m_link->sent.size(), 1);

    answer(5, QByteArray("\x01\x00\x00\x00", 4));
    QCOMPARE(m_views->valuesHanded, QList<int>{5});
    step();
    QCOMPARE(m_link->sent.last(), QStringLiteral("DRQ 113 1"));
    answer(113, QByteArray(1, '\x02'));
    step(5);
    QCOMPARE(m_link->sent.size(), 2);
    QCOMPARE(m_views->valuesHanded, (QList<int>{5, 113}));
}

void TestDeviceService::readAfterTimeOutOfThePrevious()
{
    m_views->history.setReadIds({5, 113});
    step(DeviceService::TimeoutTicks);
    QCOMPARE(m_link->sent.size(), 1);
    step();
    QCOMPARE(m_link->sent.last(), QStringLiteral("DRQ 113 1"));
}

void TestDeviceService::writeWithReReadClearedByAcknowledge()
{
    m_views->history.queueWrite(5, QStringLiteral("720356"), true);
    step();
    QCOMPARE(m_link->sent, QStringList{QStringLiteral("DSP 5 6")});
    QVERIFY(m_service->setTimeout() > 0);

    m_service->onAcknowledgeAnnounced();
    m_service->onAcknowledgeFrame(false);
    QCOMPARE(m_service->setTimeout(), 0);
    constexpr int reReadTicks = DeviceService::ReReadDelayMs / DeviceService::TickMs;
    step(reReadTicks - 1);
    QCOMPARE(m_link->sent.size(), 1);
    step();
    QCOMPARE(m_link->sent.last(), QStringLiteral("DRQ 5 1"));
    QCOMPARE(m_service->lastRequestedId(), 5);
    QCOMPARE(m_service->requestTimeout(), DeviceService::TimeoutTicks);
}

void TestDeviceService::twoWritesReadBackWithinTheDelay()
{
    for (int id : {200, 5}) {
        QVERIFY(m_service->setParam(id, "\x01", 1, true));
        m_service->onAcknowledgeAnnounced();
        m_service->onAcknowledgeFrame(false);
        step(10);
    }
    step(DeviceService::ReReadDelayMs / DeviceService::TickMs);
    QCOMPARE(m_link->sent, (QStringList{QStringLiteral("DSP 200 1"), QStringLiteral("DSP 5 1"),
                                        QStringLiteral("DRQ 200 1"), QStringLiteral("DRQ 5 1")}));
    QCOMPARE(m_service->lastRequestedId(), 5);
}

void TestDeviceService::identificationAcknowledgeTouchesNothing()
{
    QVERIFY(m_service->setParam(113, "\x02", 1, true));
    m_service->onAcknowledgeAnnounced();
    m_service->onAcknowledgeFrame(true);
    m_clock->advance(0);
    QCOMPARE(m_service->setTimeout(), DeviceService::TimeoutTicks);
    step(DeviceService::ReReadDelayMs / DeviceService::TickMs + 1);
    QCOMPARE(m_link->sent, QStringList{QStringLiteral("DSP 113 1")});
}

// During a download the engine hands over no frame: the announcement alone
// settles the write, once.
void TestDeviceService::acknowledgeWithoutItsFrameStillCounts()
{
    QVERIFY(m_service->setParam(113, "\x02", 1, true));
    m_service->onAcknowledgeAnnounced();
    m_clock->advance(0);
    QCOMPARE(m_service->setTimeout(), 0);
    step(DeviceService::ReReadDelayMs / DeviceService::TickMs * 2);
    QCOMPARE(m_link->sent, (QStringList{QStringLiteral("DSP 113 1"), QStringLiteral("DRQ 113 1")}));
}

void TestDeviceService::unansweredReadNamesItsId()
{
    QSignalSpy messages(m_service.get(), &DeviceService::errorMessage);
    m_views->history.setReadIds({5, 113});
    step(DeviceService::TimeoutTicks);
    QCOMPARE(m_service->requestTimeout(), 0);
    QVERIFY(messages.isEmpty());
    // The next read goes out before the message shows.
    step(DeviceService::DeferMs / DeviceService::TickMs);
    QCOMPARE(m_link->sent.last(), QStringLiteral("DRQ 113 1"));
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0][0].toString(), QStringLiteral("Timeout"));
    QCOMPARE(messages[0][1].toString(), QStringLiteral("Timeout Parameter Request\nID: 5"));
    QCOMPARE(m_views->refreshUnchecked, 1);

    QVERIFY(m_service->setParam(103, "x", 1, false));
    answer(113, QByteArray(1, '\x02'));
    step(DeviceService::TimeoutTicks + DeviceService::DeferMs / DeviceService::TickMs);
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[1][1].toString(), QStringLiteral("Timeout Parameter Set\nID: 103"));
}

// A read sent outside the tick (the read back) must not end the wait for
// another.
void TestDeviceService::answerToAnotherReadKeepsWaiting()
{
    m_views->history.setReadIds({5});
    step();
    answer(101, QByteArray("FW 2.14"));
    QCOMPARE(m_service->requestTimeout(), DeviceService::TimeoutTicks - 1);
    QVERIFY(m_views->valuesHanded.isEmpty());
    QCOMPARE(m_service->firmwareVersion(), QStringLiteral("FW 2.14"));
}

void TestDeviceService::nothingScheduledActsAfterDisconnect()
{
    QSignalSpy messages(m_service.get(), &DeviceService::errorMessage);
    // A time-out about to be shown, a read back and a service start pending.
    m_views->history.setReadIds({5});
    step(DeviceService::TimeoutTicks);
    QVERIFY(m_service->setParam(113, "\x02", 1, true));
    m_service->onAcknowledgeAnnounced();
    m_service->onAcknowledgeFrame(false);
    QVERIFY(m_service->startParamService());
    const QStringList sentBefore = m_link->sent;

    m_service->onLinkClosed();
    m_link->online = false;
    step(DeviceService::ReReadDelayMs / DeviceService::TickMs * 2);
    QCOMPARE(m_link->sent, sentBefore);
    QVERIFY(messages.isEmpty());
    QCOMPARE(m_service->paramServiceState(), -1);

    // Reconnected: still nothing from before.
    m_link->online = true;
    step(DeviceService::ReReadDelayMs / DeviceService::TickMs * 2);
    QCOMPARE(m_link->sent, sentBefore);
    QVERIFY(messages.isEmpty());
}

void TestDeviceService::tooLongValueRefusedWithMessage()
{
    QSignalSpy messages(m_service.get(), &DeviceService::errorMessage);
    const QByteArray fits(DeviceService::MaxValueBytes, 'x');
    const QByteArray tooLong(DeviceService::MaxValueBytes + 1, 'x');
    QVERIFY(m_service->setParam(300, fits.constData(), static_cast<int>(fits.size()), false));
    QVERIFY(messages.isEmpty());
    QVERIFY(!m_service->setParam(301, tooLong.constData(), static_cast<int>(tooLong.size()), false));
    QCOMPARE(m_link->sent, QStringList{QStringLiteral("DSP 300 1020")});
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0][1].toString().contains(QLatin1String("301")));
}

void TestDeviceService::errorReports_data()
{
    QTest::addColumn<int>("value1");
    QTest::addColumn<int>("value2");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("ERR 105 keeps #1") << 105 << 0 << QString()
                                      << QStringLiteral("Group: 0\nCode: 105\n\nnot available\nID = #1");
    QTest::newRow("class 0x1F") << 105 << 0x1F << QString()
                                << QStringLiteral("Group: 0\nCode: 105\nClass: 0x0000001f\n\nnot available\nID = #1");
    QTest::newRow("ERX #1 and @@") << ((2 << 16) | 7) << 0 << QStringLiteral("Value of #1 is too high@@113")
                                   << QStringLiteral("Group: 2\nCode: 7\n\nValue of 113 is too high");
    QTest::newRow("ERX two parts, line break")
        << 9 << 0 << QStringLiteral("#2 below #1\\nretry@@10@@3")
        << QStringLiteral("Group: 0\nCode: 9\n\n3 below 10\nretry");
    QTest::newRow("group 0x8000, class all ones")
        << static_cast<int>(0x80000001U) << static_cast<int>(0xFFFFFFFFU) << QStringLiteral("<b>raw</b>")
        << QStringLiteral("Group: 32768\nCode: 1\nClass: 0xffffffff\n\n<b>raw</b>");
    QTest::newRow("empty sentence before @@ takes the code's text")
        << 101 << 0 << QStringLiteral("@@42")
        << QStringLiteral("Group: 0\nCode: 101\n\nnot writable, cause value exceeds max value\nID = 42");
}

void TestDeviceService::errorReports()
{
    QFETCH(int, value1);
    QFETCH(int, value2);
    QFETCH(QString, text);
    QFETCH(QString, shown);

    QSignalSpy messages(m_service.get(), &DeviceService::errorMessage);
    m_views->history.setReadIds({5});
    step();
    QVERIFY(m_service->handleMessage(message(kaps::ErrorReport, value1, value2, text)));
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0][0].toString(), QStringLiteral("Error"));
    QCOMPARE(messages[0][1].toString(), shown);
    // The report answers the read.
    QCOMPARE(m_service->requestTimeout(), 0);
    QCOMPARE(m_views->refreshUnchecked, 1);
}

void TestDeviceService::descriptionDownloadOncePerConnection()
{
    const QString wrench = QStringLiteral("TOLVO;V 2.14");
    m_service->onIdentification(wrench);
    // The wrench answers a repeat of the identification before the start.
    m_clock->advance(DeviceService::DeferMs / 2);
    m_service->onIdentification(wrench);
    QVERIFY(m_views->paramProgressVisible);
    QCOMPARE(m_views->fileName, QString());
    QCOMPARE(m_views->readListsPrepared, 1);
    m_clock->advance(DeviceService::DeferMs);
    QCOMPARE(m_link->sent, QStringList{QStringLiteral("DRQ 1 1")});
    QCOMPARE(m_service->paramServiceState(), 0);

    // The header: two descriptions.
    answer(1, QByteArray("\x01\x00\x00\x00\x02\x00", 6));
    QCOMPARE(m_service->paramServiceState(), 1);
    QCOMPARE(m_link->sent.last(), QStringLiteral("RRQ 65535"));
    QCOMPARE(m_service->paramListCount(), 2);
    QCOMPARE(m_views->paramProgressMaximum, 2);

    // Numbered as the wrench likes; and one more repeat answer midway.
    int number = 1;
    for (const QByteArray& record : {QByteArray("first"), QByteArray("second")}) {
        QVERIFY(m_service->handleMessage(message(kaps::TransferStart, number++, 5)));
        QVERIFY(m_service->handleMessage(message(kaps::TransferEnd, 0, 0, QString(), record)));
        m_service->onIdentification(wrench);
    }
    QVERIFY(m_service->handleMessage(message(kaps::TransferStart, 0, 0)));
    QCOMPARE(m_service->paramServiceState(), 2);
    QVERIFY(m_service->handleMessage(message(kaps::TransferEnd, 0, 0)));
    QCOMPARE(m_service->paramServiceState(), -1);
    // The records, then the end of the list; the read list again.
    QCOMPARE(m_views->paramRecords, (QList<QByteArray>{"first", "second", QByteArray()}));
    QCOMPARE(m_views->paramProgressValue, 3);
    QCOMPARE(m_views->readListsPrepared, 2);
    QVERIFY(m_views->historyBlocks.isEmpty());
    m_clock->advance(DeviceService::DeferMs);
    QVERIFY(!m_views->paramProgressVisible);

    // The wrench identifies itself again on the same connection: no second start.
    m_service->onIdentification(wrench);
    m_clock->advance(DeviceService::DeferMs);
    QCOMPARE(m_link->sent.count(QStringLiteral("DRQ 1 1")), 1);
    // A new connection starts it again.
    m_service->onLinkClosed();
    m_service->onIdentification(wrench);
    m_clock->advance(DeviceService::DeferMs);
    QCOMPARE(m_link->sent.count(QStringLiteral("DRQ 1 1")), 2);
}

void TestDeviceService::historyProgress_data()
{
    QTest::addColumn<int>("announced");
    QTest::addColumn<QList<int>>("progress");
    QTest::addColumn<QList<int>>("percents");
    QTest::addColumn<int>("processing");

    QTest::newRow("10 records") << 640 << QList<int>{64, 320, 640} << QList<int>{11, 51, 101} << 1;
    QTest::newRow("130 bytes are 2 records") << 130 << QList<int>{64, 128} << QList<int>{51, 101} << 1;
    QTest::newRow("empty") << 0 << QList<int>{0} << QList<int>{} << 0;
}

void TestDeviceService::historyProgress()
{
    QFETCH(int, announced);
    QFETCH(QList<int>, progress);
    QFETCH(QList<int>, percents);
    QFETCH(int, processing);

    QVERIFY(m_service->handleMessage(message(kaps::TransferStart, kaps::HistoryTransfer, announced)));
    QCOMPARE(m_service->historyState(), 0);
    for (int received : progress) {
        KaPSMessage block = message(kaps::Progress, 0, 0);
        block.progress = received;
        QVERIFY(m_service->handleMessage(block));
    }
    QCOMPARE(m_views->historyPercents, percents);
    QCOMPARE(m_views->processingShown, processing);
    const QByteArray records(announced, 'r');
    QVERIFY(m_service->handleMessage(message(kaps::TransferEnd, 0, 0, QString(), records)));
    QCOMPARE(m_views->historyBlocks, QList<QByteArray>{records});
    QCOMPARE(m_views->paramProgressValue, 0);
}

// The message service keeps nothing of a refused announcement: the view
// hears that the history is too large, not that there is none; the next
// announcement is judged on its own.
void TestDeviceService::refusedHistoryIsNotAnEmptyOne()
{
    QVERIFY(m_service->handleMessage(message(kaps::TransferStart, kaps::HistoryTransfer,
                                             kaps::RefusedSize)));
    KaPSMessage block = message(kaps::Progress, 0, 0);
    QVERIFY(m_service->handleMessage(block));
    QVERIFY(m_service->handleMessage(message(kaps::TransferEnd, 0, 0)));
    QVERIFY(m_views->historyPercents.isEmpty());
    QCOMPARE(m_views->tooLargeShown, 1);
    QVERIFY(m_views->historyBlocks.isEmpty());

    QVERIFY(m_service->handleMessage(message(kaps::TransferStart, kaps::HistoryTransfer, 0)));
    QVERIFY(m_service->handleMessage(message(kaps::TransferEnd, 0, 0)));
    QCOMPARE(m_views->tooLargeShown, 1);
    QCOMPARE(m_views->historyBlocks, QList<QByteArray>{QByteArray()});
}

// A file download and the description list move no history progress, and
// the list's blocks never reach the history view.
void TestDeviceService::otherDownloadsLeaveHistoryAlone()
{
    QVERIFY(m_service->handleMessage(message(kaps::TransferStart, kaps::HistoryTransfer, 640)));
    QVERIFY(m_service->handleMessage(message(kaps::TransferEnd, 0, 0, QString(), QByteArray(640, 'r'))));
    QCOMPARE(m_views->historyBlocks.size(), 1);

    QVERIFY(m_service->handleMessage(message(kaps::FileStart, 300, 0)));
    KaPSMessage fileBlock = message(kaps::Progress, 1, 256);
    fileBlock.progress = 256;
    QVERIFY(m_service->handleMessage(fileBlock));

    QVERIFY(m_service->handleMessage(message(kaps::TransferStart, 0xFFFF, 5)));
    KaPSMessage listBlock = message(kaps::Progress, 0, 0);
    listBlock.progress = 5;
    QVERIFY(m_service->handleMessage(listBlock));
    QVERIFY(m_service->handleMessage(message(kaps::TransferEnd, 0, 0, QString(), QByteArray("descr"))));

    QVERIFY(m_views->historyPercents.isEmpty());
    QCOMPARE(m_views->historyBlocks.size(), 1);
    QCOMPARE(m_views->paramProgressValue, 1);
    // Not while the service runs: no records go to the parameter view.
    QVERIFY(m_views->paramRecords.isEmpty());
    // The end announcement counts only while records arrive.
    QVERIFY(m_service->handleMessage(message(kaps::TransferStart, 0, 0)));
    QCOMPARE(m_service->paramServiceState(), -1);
}

void TestDeviceService::identityParameters()
{
    answer(100, QByteArray("TOLVO\0junk", 10));
    answer(103, QByteArray("HW 3.1"));
    answer(135, QByteArray("TW2000123"));
    answer(113, QByteArray(1, '\xC8'));
    QCOMPARE(m_service->deviceDesignation(), QStringLiteral("TOLVO"));
    QCOMPARE(m_service->hardwareVersion(), QStringLiteral("HW 3.1"));
    QCOMPARE(m_service->serialNumber(), QStringLiteral("TW2000123"));
    QCOMPARE(m_service->historyMode(), 200);
    // An empty value leaves the mode.
    answer(113, QByteArray());
    QCOMPARE(m_service->historyMode(), 200);

    const QList<std::pair<QByteArray, int>> firmware{
        {"FW B1", 1}, {"FW 2", 2}, {"V 2.0", 3}, {"fb", 3}, {"BF", 1}};
    for (const auto& [text, kind] : firmware) {
        answer(101, text);
        QCOMPARE(m_service->firmwareKind(), kind);
    }
    // The header is taken only while the service waits for it.
    answer(1, QByteArray("\x01\x00\x00\x00\x09\x00", 6));
    QCOMPARE(m_service->paramListCount(), 0);
    QVERIFY(m_link->sent.isEmpty());
}

// Wrench A answered everything; after the change only what B answers shows.
void TestDeviceService::identityBelongsToItsConversation_data()
{
    QTest::addColumn<bool>("sameConnection");
    QTest::newRow("new connection") << false;
    QTest::newRow("other identification on the same connection") << true;
}

void TestDeviceService::identityBelongsToItsConversation()
{
    QFETCH(bool, sameConnection);
    m_service->onIdentification(QStringLiteral("WRENCH A"));
    m_clock->advance(DeviceService::DeferMs);
    answer(100, "WRENCH-A");
    answer(101, "FW 2");
    answer(103, "HW 1");
    answer(113, QByteArray(1, '\x02'));
    answer(135, "A-0001");
    QCOMPARE(m_service->serialNumber(), QStringLiteral("A-0001"));

    if (!sameConnection)
        m_service->onLinkClosed();
    m_service->onIdentification(QStringLiteral("WRENCH B"));
    answer(103, "HW 2");
    const IdentityValues& identity = m_service->identity();
    QCOMPARE(identity.deviceName, QString());
    QCOMPARE(identity.serialNumber, QString());
    QCOMPARE(identity.firmwareVersion, QString());
    QCOMPARE(identity.hardwareVersion, QStringLiteral("HW 2"));
    QCOMPARE(identity.firmwareKind, int(IdentityValues::NotRead));
    QCOMPARE(identity.historyMode, IdentityValues().historyMode);
    // B's own download starts.
    m_clock->advance(DeviceService::DeferMs);
    QCOMPARE(m_link->sent.count(QStringLiteral("DRQ 1 1")), 2);
}

// A Read may wait for the firmware kind: every way its read ends settles it.
void TestDeviceService::firmwareKindSettledByEveryEndOfItsRead_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("kind");
    QTest::newRow("answered") << "answer" << int(IdentityValues::FullVersion);
    QTest::newRow("timed out") << "time-out" << int(IdentityValues::UnknownVersion);
    QTest::newRow("refused") << "error report" << int(IdentityValues::UnknownVersion);
}

void TestDeviceService::firmwareKindSettledByEveryEndOfItsRead()
{
    QFETCH(QString, end);
    QFETCH(int, kind);
    QSignalSpy timedOut(m_service.get(), &DeviceService::requestTimedOut);
    m_views->history.setReadIds({101});
    step();
    QCOMPARE(m_views->firmwareKnownCount, 0);
    if (end == QLatin1String("answer"))
        answer(101, "FW 2.0");
    else if (end == QLatin1String("time-out"))
        step(DeviceService::TimeoutTicks);
    else
        QVERIFY(m_service->handleMessage(message(kaps::ErrorReport, 105, 0)));
    QCOMPARE(m_service->firmwareKind(), kind);
    QCOMPARE(m_views->firmwareKnownCount, 1);
    QCOMPARE(timedOut.count(), end == QLatin1String("time-out") ? 1 : 0);
    if (!timedOut.isEmpty())
        QCOMPARE(timedOut[0][0].toInt(), 101);
}

// Silence within a download ends it after the time-out; each message of
// the download starts the count again, and the end of the download stops it.
void TestDeviceService::silentDownloadTimesOut()
{
    QSignalSpy timedOut(m_service.get(), &DeviceService::transferTimedOut);
    m_service->setTimeoutTicks(4);
    QVERIFY(m_service->requestRecords(kaps::HistoryTransfer));
    step(3);
    QVERIFY(m_service->handleMessage(message(kaps::TransferStart, kaps::HistoryTransfer, 128)));
    step(3);
    QVERIFY(m_service->handleMessage(message(kaps::Progress, 0, 0)));
    step(3);
    QCOMPARE(timedOut.count(), 0);
    step();
    QCOMPARE(timedOut.count(), 1);

    QVERIFY(m_service->requestRecords(kaps::HistoryTransfer));
    QVERIFY(m_service->handleMessage(message(kaps::TransferStart, kaps::HistoryTransfer, 64)));
    QVERIFY(m_service->handleMessage(message(kaps::TransferEnd, 0, 0, QString(), QByteArray(64, 'r'))));
    step(10);
    QCOMPARE(timedOut.count(), 1);
    QCOMPARE(m_views->historyBlocks.size(), 1);
}

void TestDeviceService::acknowledgedWriteIsReported()
{
    QSignalSpy written(m_service.get(), &DeviceService::parameterWritten);
    m_service->onAcknowledgeAnnounced();
    m_clock->advance(0);
    QCOMPARE(written.count(), 0);
    QVERIFY(m_service->setParam(203, "\x01", 1, false));
    m_service->onAcknowledgeAnnounced();
    m_service->onAcknowledgeFrame(false);
    QCOMPARE(written.count(), 1);
    QCOMPARE(written[0][0].toInt(), 203);
}

QTEST_GUILESS_MAIN(TestDeviceService)
#include "tst_deviceservice.moc"
