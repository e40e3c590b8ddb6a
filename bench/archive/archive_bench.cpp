// Prints the archive's figures for both backends, measured side by side:
//   archive_bench [--records N] [--wrenches W]
// The server is the test fixture's (scripts/pgserver.sh start DIR, then
// TOLVO_TEST_PG_STATE=DIR); without it only SQLite is measured.

#include "archiverecords.h"
#include "archiveserver.h"
#include "benchsupport.h"
#include "history/historyreports.h"

#include "archive/archivestore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

ReadoutInfo readoutOf(int wrench)
{
    return ReadoutInfo::current({QStringLiteral("WRENCH"), QStringLiteral("FW 2.1"), QStringLiteral("HW 1"),
                                 QStringLiteral("SN-%1").arg(wrench, 4, 10, QLatin1Char('0'))},
                                3);
}

double milliseconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void measure(const char* backend, ArchiveStore& store, int records, int wrenches, qint64 (*bytesUsed)())
{
    const QByteArray block = archiveBlock(0, records);
    QElapsedTimer timer;
    timer.start();
    const StoreResult first = store.storeReadout(readoutOf(0), block);
    const double firstMs = milliseconds(timer);
    timer.restart();
    const StoreResult again = store.storeReadout(readoutOf(0), block);
    const double againMs = milliseconds(timer);
    std::printf("%-7s archive %d records: %.0f ms (%d new); again: %.0f ms (%d new)\n", backend, records, firstMs,
                first.recordsNew, againMs, again.recordsNew);

    for (int wrench = 1; wrench < wrenches; ++wrench)
        store.storeReadout(readoutOf(wrench), block);
    ArchiveStatus status;
    timer.restart();
    const qint64 total = store.count({readoutOf(wrenches / 2).identity.serialNumber, {}, {}}, status) * wrenches;
    const double countMs = milliseconds(timer);
    timer.restart();
    const ArchivedMeasurements selection = store.measurements({readoutOf(wrenches / 2).identity.serialNumber, {}, {}});
    const double selectMs = milliseconds(timer);
    timer.restart();
    const HistoryReports reports = buildReports(selection.block, {selection.identity, selection.historyMode, u',',
                                                                  translateHistoryText},
                                                QDateTime::currentDateTime());
    const double reportsMs = milliseconds(timer);
    std::printf("%-7s export %lld of %lld measurements (%d wrenches): select %.0f ms + reports %.0f ms = %.0f ms "
                "(count %.0f ms, text %lld chars)\n",
                backend, static_cast<long long>(selection.count()), static_cast<long long>(total), wrenches, selectMs,
                reportsMs, selectMs + reportsMs, countMs, static_cast<long long>(reports.text.size()));
    if (bytesUsed)
        std::printf("%-7s size: %.0f bytes per measurement\n", backend, double(bytesUsed()) / double(total));
}

QString sqliteFile;

qint64 sqliteBytes()
{
    qint64 bytes = 0;
    for (const char* suffix : {"", "-wal"})
        bytes += QFileInfo(sqliteFile + QLatin1String(suffix)).size();
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = bench::option(app.arguments(), QStringLiteral("--records"), 10000);
    const int wrenches = bench::option(app.arguments(), QStringLiteral("--wrenches"), 100);
    QTemporaryDir folder;
    sqliteFile = folder.filePath(QStringLiteral("archive.sqlite"));
    ArchiveStatus status;
    std::unique_ptr<ArchiveStore> local = ArchiveStore::openLocal(sqliteFile, status);
    if (!local) {
        std::fprintf(stderr, "%s\n", qPrintable(status.message));
        return 1;
    }
    measure("sqlite", *local, records, wrenches, sqliteBytes);

    QString why;
    if (!testsupport::archiveServerReady(why)) {
        std::printf("server: not measured (%s)\n", qPrintable(why));
        return 0;
    }
    std::unique_ptr<ArchiveStore> server =
        ArchiveStore::openServer(testsupport::freshServerDatabase(QStringLiteral("archive_bench")), status);
    if (!server) {
        std::fprintf(stderr, "%s\n", qPrintable(status.message));
        return 1;
    }
    measure("server", *server, records, wrenches, nullptr);
    return 0;
}
