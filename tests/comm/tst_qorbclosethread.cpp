// Closing on a thread of its own: a close that hangs in the driver is given
// up on after the bounded wait, and the thread finishes on its own later.

#include "comm/qorbclosethread.h"
#include "tests/support/threadcpu.h"

#include <QSemaphore>
#include <QtTest>

#include <atomic>

namespace {
std::atomic<platform::SerialHandle> closedHandle{platform::InvalidSerialHandle};
QSemaphore driverReleases;

void quickClose(platform::SerialHandle handle)
{
    closedHandle.store(handle);
}

// Stands in for a driver that keeps the caller until the device lets go.
void hangingClose(platform::SerialHandle handle)
{
    driverReleases.acquire();
    closedHandle.store(handle);
}
} // namespace

class TestQorbCloseThread : public QObject {
    Q_OBJECT

private slots:
    void init() { closedHandle.store(platform::InvalidSerialHandle); }
    void closesWithinTheWait();
    void givesUpOnHangingClose();
};

void TestQorbCloseThread::closesWithinTheWait()
{
    QVERIFY(QorbCloseThread::closeWithin(41, 3000, quickClose));
    QCOMPARE(closedHandle.load(), platform::SerialHandle{41});
    QTRY_VERIFY(testsupport::threadIdsNamed("QorbCloseThread").isEmpty());
}

void TestQorbCloseThread::givesUpOnHangingClose()
{
    QVERIFY(!QorbCloseThread::closeWithin(42, 50, hangingClose));
    QCOMPARE(closedHandle.load(), platform::InvalidSerialHandle);
    QTRY_COMPARE(testsupport::threadIdsNamed("QorbCloseThread").size(), 1);

    // Left alone, it finishes; closing goes on working meanwhile.
    driverReleases.release();
    QTRY_COMPARE(closedHandle.load(), platform::SerialHandle{42});
    QTRY_VERIFY(testsupport::threadIdsNamed("QorbCloseThread").isEmpty());
    QVERIFY(QorbCloseThread::closeWithin(43, 3000, quickClose));
    QCOMPARE(closedHandle.load(), platform::SerialHandle{43});
}

QTEST_GUILESS_MAIN(TestQorbCloseThread)
#include "tst_qorbclosethread.moc"
