// The readout archive on both of its backends, a SQLite file and a real
// PostgreSQL server: every case runs against each.

#include "archive/archivesync.h"
#include "archiverecords.h"
#include "archiveserver.h"
#include "archivetarget.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace testsupport;

namespace {

const QDate firstDay(2026, 11, 2);

ReadoutInfo readoutOf(const QString& serial, const QString& deviceName = QStringLiteral("WRENCH"), int mode = 3)
{
    return ReadoutInfo::current({deviceName, QStringLiteral("FW 2.1"), QStringLiteral("HW 1"), serial}, mode);
}

QByteArray withEmptyRecords(const QByteArray& block)
{
    return QByteArray(64, '\0') + block + QByteArray(64, '\0');
}

} // namespace

class TestArchiveStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void keepsEachMeasurementOnce_data() { addBackendRows(); }
    void keepsEachMeasurementOnce();
    void selectsByDateOfMeasurement_data();
    void selectsByDateOfMeasurement();
    void refusesNewerArchive_data() { addBackendRows(); }
    void refusesNewerArchive();
    void twoWritersAtOnce_data() { addBackendRows(); }
    void twoWritersAtOnce();
    void killedWriterLeavesAllOrNothing_data() { addBackendRows(); }
    void killedWriterLeavesAllOrNothing();

    void unusableFileSaysWhy();
    void fourWorkstationsPushAtOnce();
    void pushCutByServerStopIsTakenUp();
    void serverRoleWithTheGrantedRights_data();
    void serverRoleWithTheGrantedRights();

private:
    void addBackendRows();
    // A new, empty archive of the row's backend.
    QString freshTarget(const QString& name);
    std::unique_ptr<ArchiveStore> open(const QString& target);
    QProcess* startWorker(const QStringList& arguments);
    static QByteArray finishWorker(QProcess* worker);

    QTemporaryDir m_folder;
    int m_archives = 0;
};

void TestArchiveStore::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QString why;
    QVERIFY2(archiveServerReady(why), qPrintable(why));
}

void TestArchiveStore::addBackendRows()
{
    QTest::addColumn<QString>("backend");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("server") << QStringLiteral("server");
}

QString TestArchiveStore::freshTarget(const QString& name)
{
    const QString unique = QStringLiteral("%1_%2").arg(name).arg(++m_archives);
    QFETCH(QString, backend);
    if (backend == QLatin1String("server"))
        return serverTarget(freshServerDatabase(unique));
    return QStringLiteral("sqlite:") + m_folder.filePath(unique + QStringLiteral(".sqlite"));
}

std::unique_ptr<ArchiveStore> TestArchiveStore::open(const QString& target)
{
    ArchiveStatus status;
    std::unique_ptr<ArchiveStore> store = openTarget(target, status);
    if (!store)
        qWarning("%s", qPrintable(status.message));
    return store;
}

QProcess* TestArchiveStore::startWorker(const QStringList& arguments)
{
    auto* worker = new QProcess(this);
    worker->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    worker->start(QCoreApplication::applicationDirPath() + QStringLiteral("/archive_worker"), arguments);
    return worker;
}

QByteArray TestArchiveStore::finishWorker(QProcess* worker)
{
    worker->waitForFinished(120000);
    const QByteArray out = worker->readAllStandardOutput();
    worker->deleteLater();
    return out;
}

void TestArchiveStore::keepsEachMeasurementOnce()
{
    const QString target = freshTarget(QStringLiteral("once"));
    std::unique_ptr<ArchiveStore> store = open(target);
    QVERIFY(store);
    const QByteArray first = archiveBlock(0, 100, firstDay);
    const QByteArray grown = archiveBlock(0, 130, firstDay);

    const struct {
        ReadoutInfo readout;
        QByteArray block;
        int read;
        int added;
    } readouts[] = {
        {readoutOf(QStringLiteral("S-1")), withEmptyRecords(first), 100, 100},
        // Read again, from this or another workstation: nothing new.
        {readoutOf(QStringLiteral("S-1")), first, 100, 0},
        // The wrench gained 30 measurements and a new name.
        {readoutOf(QStringLiteral("S-1"), QStringLiteral("RENAMED"), 2), grown, 130, 30},
        // The same bytes from another wrench are its own measurements.
        {readoutOf(QStringLiteral("S-2")), first.left(10 * 64), 10, 10},
    };
    for (const auto& readout : readouts) {
        const StoreResult result = store->storeReadout(readout.readout, readout.block);
        QVERIFY2(result.status.ok(), qPrintable(result.status.message));
        QCOMPARE(result.recordsRead, readout.read);
        QCOMPARE(result.recordsNew, readout.added);
    }

    const ArchivedMeasurements selection = store->measurements({QStringLiteral("S-1"), {}, {}});
    QVERIFY(selection.status.ok());
    QCOMPARE(selection.block, grown);
    QCOMPARE(selection.identity.deviceName, QStringLiteral("RENAMED"));
    QCOMPARE(selection.identity.serialNumber, QStringLiteral("S-1"));
    QCOMPARE(selection.historyMode, 2);

    ArchiveStatus status;
    const QList<WrenchSummary> wrenches = store->wrenches(status);
    QVERIFY(status.ok());
    QCOMPARE(wrenches.size(), 2);
    QCOMPARE(wrenches[0].serial, QStringLiteral("S-1"));
    QCOMPARE(wrenches[0].records, 130);
    QCOMPARE(wrenches[0].first, firstDay);
    QCOMPARE(wrenches[1].records, 10);
    QCOMPARE(store->count({QStringLiteral("S-3"), {}, {}}, status), 0);
    QVERIFY(store->measurements({QStringLiteral("S-3"), {}, {}}).block.isEmpty());

    const StoreResult anonymous = store->storeReadout(readoutOf(QString()), first);
    QVERIFY(!anonymous.status.ok());
    QCOMPARE(targetScalar(target, QStringLiteral("SELECT COUNT(*) FROM readout")).toInt(), 4);
}

void TestArchiveStore::selectsByDateOfMeasurement_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<int>("count");
    // One a minute from midnight of the first day: 1440 a day, 120 on the third.
    const struct {
        const char* name;
        QDate from;
        QDate to;
        int count;
    } ranges[] = {
        {"all", {}, {}, 3000},
        {"from the second day", firstDay.addDays(1), {}, 1560},
        {"up to the first day", {}, firstDay, 1440},
        {"the second day alone", firstDay.addDays(1), firstDay.addDays(1), 1440},
        {"after the last", firstDay.addDays(3), {}, 0},
    };
    for (const char* backend : {"sqlite", "server"}) {
        for (const auto& range : ranges)
            QTest::addRow("%s, %s", backend, range.name)
                << QString::fromLatin1(backend) << range.from << range.to << range.count;
    }
}

void TestArchiveStore::selectsByDateOfMeasurement()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(int, count);
    std::unique_ptr<ArchiveStore> store = open(freshTarget(QStringLiteral("dates")));
    QVERIFY(store);
    const QByteArray block = archiveBlock(0, 3000, firstDay);
    QVERIFY(store->storeReadout(readoutOf(QStringLiteral("S-1")), block).status.ok());

    const MeasurementFilter filter{QStringLiteral("S-1"), from, to};
    ArchiveStatus status;
    QCOMPARE(store->count(filter, status), count);
    const ArchivedMeasurements selection = store->measurements(filter);
    QCOMPARE(selection.count(), count);
    const qsizetype skipped = from.isValid() ? firstDay.daysTo(from) * 1440 : 0;
    QCOMPARE(selection.block, block.mid(skipped * 64, qsizetype(count) * 64));
}

void TestArchiveStore::refusesNewerArchive()
{
    const QString target = freshTarget(QStringLiteral("newer"));
    {
        std::unique_ptr<ArchiveStore> store = open(target);
        QVERIFY(store);
        QVERIFY(store->storeReadout(readoutOf(QStringLiteral("S-1")), archiveBlock(0, 5)).status.ok());
    }
    targetScalar(target, QStringLiteral("UPDATE archive_schema SET version = 2"));
    ArchiveStatus status;
    QVERIFY(!openTarget(target, status));
    QCOMPARE(status.kind, ArchiveStatus::Kind::NewerSchema);
    QVERIFY2(status.message.contains(QLatin1String("newer")), qPrintable(status.message));
    QCOMPARE(targetScalar(target, QStringLiteral("SELECT version FROM archive_schema")).toInt(), 2);
    QCOMPARE(targetScalar(target, QStringLiteral("SELECT COUNT(*) FROM measurement")).toInt(), 5);
}

void TestArchiveStore::twoWritersAtOnce()
{
    const QString target = freshTarget(QStringLiteral("writers"));
    QVERIFY(open(target));
    // Overlapping readouts of one wrench from two workstations.
    QProcess* first = startWorker({QStringLiteral("store"), target, QStringLiteral("S-1"), QStringLiteral("0"),
                                   QStringLiteral("6000")});
    QProcess* second = startWorker({QStringLiteral("store"), target, QStringLiteral("S-1"), QStringLiteral("3000"),
                                    QStringLiteral("6000")});
    const QByteArray outFirst = finishWorker(first);
    const QByteArray outSecond = finishWorker(second);
    QVERIFY2(outFirst.endsWith(" new\n") && outSecond.endsWith(" new\n"), QByteArray(outFirst + outSecond).constData());
    const auto added = [](const QByteArray& out) { return out.split('\n').at(1).split(' ').at(0).toInt(); };
    QCOMPARE(added(outFirst) + added(outSecond), 9000);
    QCOMPARE(targetScalar(target, QStringLiteral("SELECT COUNT(*) FROM measurement")).toInt(), 9000);
}

void TestArchiveStore::killedWriterLeavesAllOrNothing()
{
    const QString target = freshTarget(QStringLiteral("killed"));
    QVERIFY(open(target));
    QProcess* worker = startWorker({QStringLiteral("store"), target, QStringLiteral("S-1"), QStringLiteral("0"),
                                    QStringLiteral("200000")});
    QVERIFY(worker->waitForReadyRead(60000));
    QCOMPARE(worker->readLine(), QByteArray("started\n"));
    QTest::qWait(300);
    // Still at work: a finished worker would leave nothing to cut.
    QVERIFY2(worker->state() == QProcess::Running && worker->processId() > 0, worker->readAll().constData());
    ::kill(pid_t(worker->processId()), SIGKILL);
    finishWorker(worker);

    std::unique_ptr<ArchiveStore> store = open(target);
    QVERIFY(store);
    ArchiveStatus status;
    const qint64 kept = store->count({QStringLiteral("S-1"), {}, {}}, status);
    QVERIFY(status.ok());
    QVERIFY2(kept == 0 || kept == 200000, qPrintable(QString::number(kept)));
    if (target.startsWith(QLatin1String("sqlite:")))
        QCOMPARE(targetScalar(target, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    // The archive goes on working.
    QCOMPARE(store->storeReadout(readoutOf(QStringLiteral("S-1")), archiveBlock(0, 10)).recordsNew,
             kept ? 0 : 10);
}

void TestArchiveStore::unusableFileSaysWhy()
{
    // A folder that is a file fails for every account, root too.
    const QString blocker = m_folder.filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    ArchiveStatus status;
    QVERIFY(!ArchiveStore::openLocal(blocker + QStringLiteral("/archive.sqlite"), status));
    QVERIFY(!status.ok());
    QVERIFY2(status.message.contains(QDir::toNativeSeparators(blocker)), qPrintable(status.message));
}

void TestArchiveStore::fourWorkstationsPushAtOnce()
{
    const ServerSettings server = freshServerDatabase(QStringLiteral("four"));
    // Each workstation read both wrenches, over ranges that overlap.
    QStringList arguments;
    QList<QProcess*> workers;
    for (int station = 0; station < 4; ++station) {
        const QString file = m_folder.filePath(QStringLiteral("station%1.sqlite").arg(station));
        ArchiveStatus status;
        std::unique_ptr<ArchiveStore> local = ArchiveStore::openLocal(file, status);
        QVERIFY(local);
        for (const QString& serial : {QStringLiteral("W-1"), QStringLiteral("W-2")})
            QVERIFY(local->storeReadout(readoutOf(serial), archiveBlock(station * 1000, 3000)).status.ok());
        workers << startWorker({QStringLiteral("push"), file, serverTarget(server)});
    }
    int added = 0;
    for (QProcess* worker : workers) {
        const QList<QByteArray> lines = finishWorker(worker).split('\n');
        QVERIFY2(lines.size() > 1 && lines[1].startsWith("pushed 2 new "), lines.join('|').constData());
        added += lines[1].mid(13).toInt();
    }
    // Each wrench: records 0 to 5999.
    QCOMPARE(added, 12000);
    const QString target = serverTarget(server);
    QCOMPARE(targetScalar(target, QStringLiteral("SELECT COUNT(*) FROM measurement")).toInt(), 12000);
    QCOMPARE(targetScalar(target, QStringLiteral("SELECT COUNT(*) FROM readout")).toInt(), 8);
    QCOMPARE(targetScalar(target, QStringLiteral("SELECT SUM(records_new) FROM readout")).toInt(), 12000);
}

void TestArchiveStore::pushCutByServerStopIsTakenUp()
{
    const ServerSettings server = freshServerDatabase(QStringLiteral("cut"));
    const QString target = serverTarget(server);
    const QString file = m_folder.filePath(QStringLiteral("cut.sqlite"));
    {
        ArchiveStatus status;
        std::unique_ptr<ArchiveStore> local = ArchiveStore::openLocal(file, status);
        QVERIFY(local);
        for (int readout = 0; readout < 60; ++readout)
            QVERIFY(local->storeReadout(readoutOf(QStringLiteral("W-1")), archiveBlock(readout * 500, 1000))
                        .status.ok());
    }
    QProcess* worker = startWorker({QStringLiteral("push"), file, target});
    // Stopped once the server holds part of the push.
    QTRY_VERIFY_WITH_TIMEOUT(targetScalar(target, QStringLiteral("SELECT COUNT(*) FROM readout")).toInt() > 0,
                             60000);
    QVERIFY(pauseArchiveServer());
    const QByteArray cut = finishWorker(worker);
    QVERIFY(resumeArchiveServer());

    const SyncResult again = pushToServer(file, server);
    QVERIFY2(again.status.ok(), qPrintable(again.status.message));
    // The worker saw the server go: unreachable, not refused.
    QVERIFY2(cut.startsWith("started\nfailed 1 "), cut.constData());
    QVERIFY(again.readoutsPushed > 0);
    QCOMPARE(targetScalar(target, QStringLiteral("SELECT COUNT(*) FROM readout")).toInt(), 60);
    QCOMPARE(targetScalar(target, QStringLiteral("SELECT COUNT(*) FROM measurement")).toInt(), 30500);
    QCOMPARE(pushToServer(file, server).readoutsPushed, 0);
}

// The statements of the README's block that starts with the tables'
// comment, as an administrator runs them.
static QStringList readmeTableStatements()
{
    QFile readme(QStringLiteral(TOLVO_SOURCE_DIR "/README.md"));
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(readme.readAll());
    const qsizetype start = text.indexOf(QLatin1String("-- TolvoTool archive tables"));
    const qsizetype end = text.indexOf(QLatin1String("```"), start);
    if (start < 0 || end < 0)
        return {};
    QStringList statements;
    for (const QString& statement : text.mid(start, end - start).split(QLatin1Char(';'))) {
        if (!statement.trimmed().isEmpty())
            statements << statement.trimmed();
    }
    return statements;
}

void TestArchiveStore::serverRoleWithTheGrantedRights_data()
{
    QTest::addColumn<QString>("backend");
    QTest::newRow("server") << QStringLiteral("server");
}

void TestArchiveStore::serverRoleWithTheGrantedRights()
{
    const ServerSettings server = freshServerDatabase(QStringLiteral("granted"));
    const QStringList tables = readmeTableStatements();
    QVERIFY(tables.size() > 10);
    QString error;
    QVERIFY2(createLoginRole(QStringLiteral("tolvo_station"), error), qPrintable(error));
    QVERIFY2(runAsAdministrator(server.database, tables, error), qPrintable(error));
    ServerSettings station = server;
    station.user = QStringLiteral("tolvo_station");
    ArchiveStatus status;
    std::unique_ptr<ArchiveStore> store = ArchiveStore::openServer(station, status);
    QVERIFY2(store, qPrintable(status.message));
    for (int added : {20, 0}) {
        const StoreResult result = store->storeReadout(readoutOf(QStringLiteral("S-1")), archiveBlock(0, 20));
        QVERIFY2(result.status.ok(), qPrintable(result.status.message));
        QCOMPARE(result.recordsNew, added);
    }
    QCOMPARE(store->measurements({QStringLiteral("S-1"), {}, {}}).count(), 20);
    // The tables the README creates are the ones the tool creates.
    const QString target = serverTarget(server);
    const QString tool = freshTarget(QStringLiteral("tool_made"));
    const QString columns = QStringLiteral("SELECT string_agg(table_name || '.' || column_name || ' ' || data_type, ',' "
                                           "ORDER BY table_name, ordinal_position) FROM information_schema.columns "
                                           "WHERE table_schema = 'public'");
    QVERIFY(open(tool));
    QCOMPARE(targetScalar(target, columns).toString(), targetScalar(tool, columns).toString());

    // Without the tables, which this role may not create.
    station.database = freshServerDatabase(QStringLiteral("bare")).database;
    QVERIFY(!ArchiveStore::openServer(station, status));
    QCOMPARE(status.kind, ArchiveStatus::Kind::Refused);
    QVERIFY2(status.message.contains(QLatin1String("administrator")), qPrintable(status.message));
}

QTEST_GUILESS_MAIN(TestArchiveStore)
#include "tst_archivestore.moc"
