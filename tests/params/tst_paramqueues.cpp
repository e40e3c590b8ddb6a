// The work queues of a device view: IDs read once, IDs read round and round,
// and writes in the order they were queued.
#include "params/paramqueues.h"

#include <QTest>

using IdList = QList<int>;
Q_DECLARE_METATYPE(IdList)

class TestParamQueues : public QObject
{
    Q_OBJECT

private slots:
    void readLists_data();
    void readLists();
    void writesInQueueOrder();
    void resetStopsEverything();
};

void TestParamQueues::readLists_data()
{
    QTest::addColumn<bool>("cyclic");
    QTest::addColumn<IdList>("ids");
    QTest::addColumn<IdList>("handedOut");

    QTest::newRow("once 7 9") << false << IdList{7, 9} << IdList{7, 9, -1, -1};
    QTest::newRow("cyclic 7 9") << true << IdList{7, 9} << IdList{7, 9, 7, 9, 7};
    QTest::newRow("once only 0") << false << IdList{0} << IdList{-1, -1};
    QTest::newRow("cyclic only 0") << true << IdList{0} << IdList{-1, -1};
    QTest::newRow("once 0 inside") << false << IdList{7, 0, 9} << IdList{7, -1, 9, -1};
    QTest::newRow("once empty") << false << IdList{} << IdList{-1};
    QTest::newRow("cyclic empty") << true << IdList{} << IdList{-1};
}

void TestParamQueues::readLists()
{
    QFETCH(bool, cyclic);
    QFETCH(IdList, ids);
    QFETCH(IdList, handedOut);

    ParamQueues queues;
    if (cyclic)
        queues.setCyclicReadIds(ids);
    else
        queues.setReadIds(ids);
    IdList got;
    for (qsizetype i = 0; i < handedOut.size(); ++i)
        got.append(cyclic ? queues.nextCyclicRead() : queues.nextRead());
    QCOMPARE(got, handedOut);
    // The other list is untouched.
    QCOMPARE(cyclic ? queues.nextRead() : queues.nextCyclicRead(), -1);
}

void TestParamQueues::writesInQueueOrder()
{
    ParamQueues queues;
    queues.queueWrite(5, QStringLiteral("720356"), true);
    queues.queueWrite(113, QStringLiteral("2"), false);

    const std::optional<WriteRequest> first = queues.takeWrite();
    QVERIFY(first);
    QCOMPARE(first->pid, 5);
    QCOMPARE(first->value, QStringLiteral("720356"));
    QVERIFY(first->reRead);
    const std::optional<WriteRequest> second = queues.takeWrite();
    QVERIFY(second);
    QCOMPARE(second->pid, 113);
    QVERIFY(!second->reRead);
    QVERIFY(!queues.takeWrite());

    queues.queueWrite(7, QStringLiteral("1"), false);
    queues.clearWriteQueue();
    QVERIFY(!queues.takeWrite());
}

void TestParamQueues::resetStopsEverything()
{
    ParamQueues queues;
    queues.setReadIds({5, 113});
    queues.setCyclicReadIds({7});
    queues.queueWrite(5, QStringLiteral("1"), false);
    QCOMPARE(queues.nextRead(), 5);

    queues.reset();
    QCOMPARE(queues.nextRead(), -1);
    QCOMPARE(queues.nextCyclicRead(), -1);
    QVERIFY(!queues.takeWrite());

    // A list set again runs from its start.
    queues.setReadIds({100, 101});
    QCOMPARE(queues.nextRead(), 100);
    QCOMPARE(queues.nextRead(), 101);
}

QTEST_GUILESS_MAIN(TestParamQueues)
#include "tst_paramqueues.moc"
