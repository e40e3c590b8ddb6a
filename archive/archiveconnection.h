#pragma once

#include "archive/archivesettings.h"
#include "archive/archivestatus.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <memory>

// One named database connection, removed with the object. The SQL the
// archive speaks is the same on both drivers but for the column types.
class ArchiveConnection
{
public:
    ~ArchiveConnection();
    ArchiveConnection(const ArchiveConnection&) = delete;
    ArchiveConnection& operator=(const ArchiveConnection&) = delete;

    static std::unique_ptr<ArchiveConnection> openLocal(const QString& file, ArchiveStatus& status);
    static std::unique_ptr<ArchiveConnection> openServer(const ServerSettings& server, ArchiveStatus& status);

    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }
    bool isServer() const { return m_server; }
    const QString& displayName() const { return m_displayName; }

    // A prepared query; false, with status set, when it does not prepare.
    bool prepare(QSqlQuery& query, const QString& sql, ArchiveStatus& status) const;
    bool exec(QSqlQuery& query, ArchiveStatus& status) const;
    bool exec(const QString& sql, ArchiveStatus& status) const;

    // A write transaction. SQLite takes its write lock at once, so that two
    // writers wait for each other instead of failing on the upgrade.
    bool begin(ArchiveStatus& status) const;
    bool commit(ArchiveStatus& status) const;
    void rollback() const;

    // The status for an error of the database.
    ArchiveStatus failure(const QSqlError& error) const;

private:
    ArchiveConnection(const QString& name, bool server, const QString& displayName);

    QString m_name;
    bool m_server;
    QString m_displayName;
};
