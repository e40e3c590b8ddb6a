#pragma once

#include <QString>

// How an archive operation ended; message is for the user and names the
// archive.
struct ArchiveStatus {
    enum class Kind {
        Ok,
        // The server could not be reached or went away during the work.
        Unreachable,
        // The server (or the file system) said no: authentication, rights,
        // missing tables the tool may not create.
        Refused,
        // The archive was written by a newer tool; nothing was changed.
        NewerSchema,
        // Anything else: a broken file, a full disk, a failed statement.
        Failed,
    };

    Kind kind = Kind::Ok;
    QString message;

    bool ok() const { return kind == Kind::Ok; }
    static ArchiveStatus failure(Kind kind, const QString& message) { return {kind, message}; }
};
