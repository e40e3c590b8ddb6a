// A second workstation for the archive tests, as a process of its own:
//   archive_worker store TARGET SERIAL FIRST COUNT   stores records [FIRST, FIRST+COUNT) as one readout
//   archive_worker push LOCALFILE SERVERTARGET       pushes what the server lacks
// It prints "started" before the work and its counts after it.

#include "archive/archivesync.h"
#include "archivetarget.h"
#include "archiverecords.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

int report(const ArchiveStatus& status, const QByteArray& counts)
{
    if (!status.ok()) {
        std::printf("failed %d %s\n", int(status.kind), status.message.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", counts.constData());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args[1] == QLatin1String("store")) {
        ArchiveStatus status;
        std::unique_ptr<ArchiveStore> store = openTarget(args[2], status);
        if (!store)
            return report(status, {});
        const QByteArray block = archiveBlock(args[4].toInt(), args[5].toInt());
        std::printf("started\n");
        std::fflush(stdout);
        const StoreResult result = store->storeReadout(ReadoutInfo::current({{}, {}, {}, args[3]}, 3), block);
        return report(result.status, QByteArray::number(result.recordsNew) + " new");
    }
    if (args.size() == 4 && args[1] == QLatin1String("push")) {
        std::printf("started\n");
        std::fflush(stdout);
        const SyncResult result = pushToServer(args[2], serverOfTarget(args[3]));
        return report(result.status, "pushed " + QByteArray::number(result.readoutsPushed) + " new "
                                         + QByteArray::number(result.measurementsNew));
    }
    std::fprintf(stderr, "usage: archive_worker store TARGET SERIAL FIRST COUNT | push LOCALFILE SERVERTARGET\n");
    return 2;
}
