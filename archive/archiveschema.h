#pragma once

#include "archive/archivestatus.h"

class ArchiveConnection;

namespace archiveschema {

// The layout this tool writes.
constexpr int CurrentVersion = 1;

// Brings the archive to CurrentVersion: creates the tables of a new one,
// upgrades an older one in place, refuses a newer one untouched.
ArchiveStatus prepare(const ArchiveConnection& connection);

} // namespace archiveschema
