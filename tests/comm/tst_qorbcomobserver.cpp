#include "comm/qorbcomobserver.h"

#include "comm/comevents.h"
#include "platform/ports.h"
#include "platform/ports_posix.h"
#include "platform/pseudoterminal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

std::string path(const QString& name)
{
    return name.toStdString();
}

// Counts the port-list events that reach it on the GUI thread.
class ChangeCounter : public QObject {
public:
    int changes = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == comevent::PortListChanged)
            ++changes;
        return QObject::event(event);
    }
};

} // namespace

// The observer over real folders: an empty device folder of the test's own
// (so that terminals of the machine do not interfere) and "PORTS" paths in a
// temporary folder, reached by pseudo-terminal links.
class TestQorbComObserver : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_devices;
    QString m_settings;

    void writeMapping(const QByteArray& section)
    {
        QFile file(m_settings);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[PORTS]\r\n" + section);
    }

    QString link(const char* name) const
    {
        return m_dir.filePath(QString::fromLatin1(name));
    }

    static QStringList portNames(const QorbComObserver& observer)
    {
        QStringList list;
        observer.portNames(list);
        return list;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_devices = m_dir.filePath(QStringLiteral("dev"));
        m_settings = m_dir.filePath(QStringLiteral("TolvoTool.ini"));
        QDir(m_devices).removeRecursively();
        QVERIFY(QDir().mkpath(m_devices));
        QFile::remove(link("wrench")); // left by a failed test
        platform::setDeviceFolders(path(m_devices), path(m_dir.filePath(QStringLiteral("sys"))));
        platform::setPortMappingFile(path(m_settings));
        writeMapping("COM40=" + link("wrench").toUtf8() + "\r\n");
    }

    void cleanupTestCase()
    {
        platform::setDeviceFolders("/dev", "/sys/class/tty");
        platform::setPortMappingFile({});
    }

    void noPortGivesAnEmptyList()
    {
        QorbComObserver observer;
        QStringList list{QStringLiteral("COM1")};
        observer.portNames(list);
        QVERIFY(list.isEmpty());
    }

    void portAppearingAndVanishingIsReported_data()
    {
        QTest::addColumn<bool>("linkToTty");
        QTest::newRow("the pseudo-terminal's own link") << false;
        // The link stays when the far end goes away; the tty it names does not.
        QTest::newRow("a link to the tty") << true;
    }

    void portAppearingAndVanishingIsReported()
    {
        QFETCH(bool, linkToTty);
        ChangeCounter counter;
        QorbComObserver observer;
        observer.start(&counter);

        platform::PseudoTerminal wrench;
        QString tty;
        if (linkToTty) {
            QVERIFY2(wrench.open(), wrench.error().c_str());
            tty = QString::fromStdString(wrench.ttyPath());
            QVERIFY(QFile::link(tty, link("wrench")));
        } else {
            QVERIFY2(wrench.open(path(link("wrench"))), wrench.error().c_str());
        }
        // Other terminals may come and go meanwhile: wait for the list itself.
        QTRY_VERIFY(counter.changes >= 1);
        QTRY_VERIFY(portNames(observer).contains(QStringLiteral("COM40")));

        counter.changes = 0;
        wrench.close();
        QTRY_VERIFY(counter.changes >= 1);
        // A program running beside may be handed the same tty number at once:
        // then the link names a terminal again and the port is rightly there.
        QTRY_VERIFY(!portNames(observer).contains(QStringLiteral("COM40"))
                    || (!tty.isEmpty() && QFileInfo::exists(tty)));
        QFile::remove(link("wrench"));
    }

    void foldersCreatedLaterAreFollowed()
    {
        writeMapping("COM41=" + link("later/by-id/wrench").toUtf8() + "\r\n");
        ChangeCounter counter;
        QorbComObserver observer;
        observer.start(&counter);

        // Each step must be seen, or the next one would go unnoticed.
        QVERIFY(QDir().mkdir(link("later")));
        QTRY_VERIFY(counter.changes >= 1);
        QVERIFY(QDir().mkdir(link("later/by-id")));
        QTRY_VERIFY(counter.changes >= 2);
        QVERIFY(portNames(observer).isEmpty());

        platform::PseudoTerminal wrench;
        QVERIFY2(wrench.open(path(link("later/by-id/wrench"))), wrench.error().c_str());
        QTRY_VERIFY(counter.changes >= 3);
        QCOMPARE(portNames(observer), QStringList{QStringLiteral("COM41")});
        wrench.close();
        QDir(link("later")).removeRecursively();
    }

    void conventionalDevicesAreReported()
    {
        ChangeCounter counter;
        QorbComObserver observer;
        observer.start(&counter);

        QFile unrelated(m_devices + QStringLiteral("/pts-like"));
        QVERIFY(unrelated.open(QIODevice::WriteOnly));
        QFile device(m_devices + QStringLiteral("/ttyACM2"));
        QVERIFY(device.open(QIODevice::WriteOnly));
        device.close();
        QTRY_VERIFY(counter.changes >= 1);
        QCOMPARE(portNames(observer), QStringList{QStringLiteral("COM67")});

        counter.changes = 0;
        QVERIFY(device.remove());
        QTRY_VERIFY(counter.changes >= 1);
        QVERIFY(portNames(observer).isEmpty());
    }

    void watchThatCannotBeSetUpIsRetried()
    {
        QVERIFY(QDir(m_devices).removeRecursively());
        ChangeCounter counter;
        QorbComObserver observer;
        observer.start(&counter);
        QVERIFY(observer.isWatching());

        // Once the device folder is there, the watcher reports the changes it
        // could not see.
        QVERIFY(QDir().mkpath(m_devices));
        QTRY_VERIFY(counter.changes >= 1);
        counter.changes = 0;
        QFile device(m_devices + QStringLiteral("/ttyUSB0"));
        QVERIFY(device.open(QIODevice::WriteOnly));
        QTRY_VERIFY(counter.changes >= 1);
        QCOMPARE(portNames(observer), QStringList{QStringLiteral("COM33")});
    }

    void secondStartKeepsTheOneWatcher()
    {
        ChangeCounter first;
        ChangeCounter second;
        QorbComObserver observer;
        observer.start(&first);
        observer.start(&second);
        QCOMPARE(observer.receiver(), &second);

        // Two changes, each waited for: a second watcher would have posted to
        // the second receiver by the time the first saw both.
        platform::PseudoTerminal wrench;
        QVERIFY(wrench.open(path(link("wrench"))));
        QTRY_VERIFY(first.changes >= 1);
        wrench.close();
        QTRY_VERIFY(first.changes >= 2);
        QCoreApplication::processEvents();
        QCOMPARE(second.changes, 0);
    }

    void startWithoutReceiverStartsNothing()
    {
        QorbComObserver observer;
        observer.start(nullptr);
        QVERIFY(!observer.isWatching());
        ChangeCounter counter;
        observer.start(&counter);
        QVERIFY(observer.isWatching());
    }

    void destroyingTheObserverEndsItsWatcher()
    {
        ChangeCounter counter;
        auto observer = std::make_unique<QorbComObserver>();
        observer->start(&counter);
        QVERIFY(observer->isWatching());
        // Returns only once the watch thread has been joined.
        observer.reset();

        // Nothing is watching any more: a change posts nothing.
        QCoreApplication::processEvents();
        counter.changes = 0;
        platform::PseudoTerminal wrench;
        QVERIFY(wrench.open(path(link("wrench"))));
        QCoreApplication::processEvents();
        QCOMPARE(counter.changes, 0);
    }
};

QTEST_GUILESS_MAIN(TestQorbComObserver)
#include "tst_qorbcomobserver.moc"
