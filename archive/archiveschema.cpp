#include "archive/archiveschema.h"

#include "archive/archiveconnection.h"

#include <QSqlQuery>
#include <QSqlError>
#include <QStringList>

namespace {

// Statements that bring version N-1 to N, both drivers. %ID is the row key
// that numbers itself, %BLOB raw bytes.
const char* const version1[] = {
    "CREATE TABLE wrench ("
    " id %ID, serial TEXT NOT NULL UNIQUE, device_name TEXT NOT NULL,"
    " firmware_version TEXT NOT NULL, hardware_version TEXT NOT NULL, last_seen TEXT NOT NULL)",
    "CREATE TABLE readout ("
    " id %ID, uuid TEXT NOT NULL UNIQUE, wrench_id BIGINT NOT NULL REFERENCES wrench(id),"
    " read_at TEXT NOT NULL, workstation TEXT NOT NULL, account TEXT NOT NULL, tool_version TEXT NOT NULL,"
    " device_name TEXT NOT NULL, firmware_version TEXT NOT NULL, hardware_version TEXT NOT NULL,"
    " serial TEXT NOT NULL, history_mode INTEGER NOT NULL,"
    " records_read INTEGER NOT NULL, records_new INTEGER NOT NULL, pushed INTEGER NOT NULL DEFAULT 0)",
    // measured_at: yyyyMMddhhmmss as the record gives it, for date ranges.
    "CREATE TABLE measurement ("
    " id %ID, wrench_id BIGINT NOT NULL REFERENCES wrench(id), readout_id BIGINT NOT NULL REFERENCES readout(id),"
    " record %BLOB NOT NULL, number INTEGER NOT NULL, measured_at BIGINT NOT NULL,"
    " mode INTEGER NOT NULL, unit INTEGER NOT NULL, torque INTEGER NOT NULL, angle INTEGER NOT NULL,"
    " target INTEGER NOT NULL, evaluation INTEGER NOT NULL,"
    " UNIQUE (wrench_id, record))",
    "CREATE INDEX measurement_by_date ON measurement (wrench_id, measured_at)",
    "CREATE INDEX readout_pending ON readout (pushed, id)",
};

struct Step {
    const char* const* begin;
    const char* const* end;
};
const Step steps[] = {{std::begin(version1), std::end(version1)}};
static_assert(std::size(steps) == archiveschema::CurrentVersion);

QString dialect(const ArchiveConnection& connection, const char* statement)
{
    QString sql = QString::fromLatin1(statement);
    sql.replace(QLatin1String("%ID"), connection.isServer() ? QLatin1String("BIGSERIAL PRIMARY KEY")
                                                            : QLatin1String("INTEGER PRIMARY KEY"));
    sql.replace(QLatin1String("%BLOB"), connection.isServer() ? QLatin1String("BYTEA") : QLatin1String("BLOB"));
    return sql;
}

// 0 for a database without the archive's tables.
bool readVersion(const ArchiveConnection& connection, int& version, ArchiveStatus& status)
{
    version = 0;
    if (!connection.database().tables().contains(QLatin1String("archive_schema")))
        return true;
    QSqlQuery query(connection.database());
    if (!query.exec(QStringLiteral("SELECT MAX(version) FROM archive_schema"))) {
        status = connection.failure(query.lastError());
        return false;
    }
    if (query.next())
        version = query.value(0).toInt();
    return true;
}

} // namespace

namespace archiveschema {

ArchiveStatus prepare(const ArchiveConnection& connection)
{
    ArchiveStatus status;
    int version = 0;
    if (!readVersion(connection, version, status))
        return status;
    if (version == CurrentVersion)
        return status;
    if (version > CurrentVersion) {
        return ArchiveStatus::failure(
            ArchiveStatus::Kind::NewerSchema,
            QObject::tr("The archive %1 was written by a newer version of the tool (layout %2; this one knows %3). "
                        "Nothing was changed; please update the tool.")
                .arg(connection.displayName())
                .arg(version)
                .arg(CurrentVersion));
    }
    if (!connection.begin(status))
        return status;
    // Workstations starting together create the tables once.
    const bool locked = !connection.isServer()
                        || connection.exec(QStringLiteral("SELECT pg_advisory_xact_lock(7311)"), status);
    // Another workstation may have prepared it meanwhile.
    if (!locked || !readVersion(connection, version, status)) {
        connection.rollback();
        return status;
    }
    bool ok = true;
    if (version == 0)
        ok = connection.exec(QStringLiteral("CREATE TABLE archive_schema (version INTEGER NOT NULL)"), status);
    for (int step = version; ok && step < CurrentVersion; ++step) {
        for (const char* const* statement = steps[step].begin; ok && statement != steps[step].end; ++statement)
            ok = connection.exec(dialect(connection, *statement), status);
    }
    if (ok && version < CurrentVersion) {
        ok = connection.exec(QStringLiteral("DELETE FROM archive_schema"), status)
             && connection.exec(QStringLiteral("INSERT INTO archive_schema (version) VALUES (%1)").arg(CurrentVersion),
                                status);
    }
    if (!ok) {
        connection.rollback();
        if (connection.isServer() && status.kind == ArchiveStatus::Kind::Refused)
            status.message = QObject::tr("The archive server %1 has no archive tables, and this account may not "
                                         "create them. Please ask its administrator to create them.")
                                 .arg(connection.displayName());
        return status;
    }
    connection.commit(status);
    return status;
}

} // namespace archiveschema
