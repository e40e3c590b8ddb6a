#pragma once

#include "archive/archivesettings.h"
#include "archive/archivestatus.h"

#include <QString>

struct SyncResult {
    ArchiveStatus status;
    int readoutsPushed = 0;
    int measurementsNew = 0; // measurements the server did not hold
};

// Pushes what the server lacks from the local archive, a readout per
// transaction, so that a push cut short is taken up by the next. Safe to run
// from several workstations at once: nothing appears twice on the server.
// Opens its own connections, so any thread may call it.
SyncResult pushToServer(const QString& localFile, const ServerSettings& server);
