#pragma once

#include <QString>

class QorbInifile;

// A plant's archive server. The password never comes from the settings
// file: libpq finds it (PGPASSWORD, PGPASSFILE, ~/.pgpass).
struct ServerSettings {
    QString driver; // "QPSQL"; empty: no server
    QString host;   // a host name, or the folder of a Unix socket
    int port = 0;   // 0: the driver's default
    QString database;
    QString user;
    QString options; // libpq connection options, "key=value" separated by blanks or ';'

    bool isConfigured() const { return !driver.isEmpty(); }
};

// Section "ARCHIVE" of the settings file.
struct ArchiveSettings {
    bool enabled = true;
    QString file; // the local SQLite archive
    ServerSettings server;

    // Missing keys take their defaults; the file defaults to
    // paths::archiveFile(startPath). Nothing is written.
    static ArchiveSettings read(QorbInifile& settings, const QString& startPath);
};
