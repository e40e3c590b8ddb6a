#include "archive/archivesync.h"

#include "archive/archivestore.h"

SyncResult pushToServer(const QString& localFile, const ServerSettings& server)
{
    SyncResult result;
    ArchiveStatus& status = result.status;
    std::unique_ptr<ArchiveStore> local = ArchiveStore::openLocal(localFile, status);
    if (!local)
        return result;
    const QList<ArchiveStore::PendingReadout> pending = local->pendingReadouts(status);
    if (!status.ok() || pending.isEmpty())
        return result;
    std::unique_ptr<ArchiveStore> remote = ArchiveStore::openServer(server, status);
    if (!remote)
        return result;
    for (const ArchiveStore::PendingReadout& readout : pending) {
        // The server's unique keys make a repeat harmless; marking first
        // could lose a readout.
        const StoreResult stored = remote->storePushed(readout);
        if (!stored.status.ok()) {
            status = stored.status;
            return result;
        }
        if (!local->markPushed(readout.localId, status))
            return result;
        ++result.readoutsPushed;
        result.measurementsNew += stored.recordsNew;
    }
    return result;
}
