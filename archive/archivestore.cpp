#include "archive/archivestore.h"

#include "archive/archiveconnection.h"
#include "archive/archiveschema.h"
#include "history/measurementrecord.h"

#include <QSysInfo>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace {

// Rows per insert statement: fewer round trips to a server, well under the
// drivers' limits on bound values.
constexpr int RowsPerInsert = 100;
constexpr int ColumnsPerRow = 11;

qint64 measuredAt(const MeasurementRecord& record)
{
    const qint64 year = 2000 + record.year;
    return ((((year * 100 + record.month) * 100 + record.day) * 100 + record.hour) * 100 + record.minute) * 100
           + record.second;
}

QVariant dayStart(const QDate& date)
{
    return QVariant::fromValue(qint64(date.year() * 10000 + date.month() * 100 + date.day()) * 1000000);
}

QVariant dayEnd(const QDate& date)
{
    return QVariant::fromValue(qint64(date.year() * 10000 + date.month() * 100 + date.day()) * 1000000 + 235959);
}

QDate dateOf(const QVariant& measuredAtValue)
{
    const qint64 day = measuredAtValue.toLongLong() / 1000000;
    return QDate(int(day / 10000), int(day / 100 % 100), int(day % 100));
}

// An identity the wrench did not give is stored as empty text, not NULL.
QVariant text(const QString& value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

QString insertStatement(int rows)
{
    QString sql = QStringLiteral("INSERT INTO measurement (wrench_id, readout_id, record, number, measured_at, mode, "
                                 "unit, torque, angle, target, evaluation) VALUES ");
    const QString row = QStringLiteral("(?,?,?,?,?,?,?,?,?,?,?)");
    for (int i = 0; i < rows; ++i)
        sql += (i ? QStringLiteral(",") : QString()) + row;
    return sql + QStringLiteral(" ON CONFLICT (wrench_id, record) DO NOTHING");
}

// A record to store, decoded once for both the check and the search fields.
struct NumberedRecord {
    QByteArrayView bytes;
    MeasurementRecord fields;
};

void bindRecord(QSqlQuery& query, int& index, qint64 wrenchId, qint64 readoutId, const NumberedRecord& numbered)
{
    const MeasurementRecord& record = numbered.fields;
    const int target = record.isAngleMeasurement() ? record.targetAngle : record.targetTorque;
    const QVariant values[ColumnsPerRow] = {wrenchId,
                                            readoutId,
                                            numbered.bytes.toByteArray(),
                                            int(record.number),
                                            measuredAt(record),
                                            record.measurementMode(),
                                            int(record.torqueUnit),
                                            record.measuredTorque,
                                            int(record.measuredAngle),
                                            target,
                                            int(record.evaluation)};
    for (const QVariant& value : values)
        query.bindValue(index++, value);
}

// The records a readout stores: whole ones with a number.
QList<NumberedRecord> numberedRecords(QByteArrayView block)
{
    QList<NumberedRecord> records;
    for (qsizetype i = 0; i < MeasurementRecord::countIn(block); ++i) {
        const MeasurementRecord fields = MeasurementRecord::at(block, i);
        if (!fields.isEmpty())
            records.append({block.sliced(i * MeasurementRecord::Size, MeasurementRecord::Size), fields});
    }
    return records;
}

QString filterClause(const MeasurementFilter& filter)
{
    QString clause;
    if (filter.from.isValid())
        clause += QStringLiteral(" AND m.measured_at >= :from");
    if (filter.to.isValid())
        clause += QStringLiteral(" AND m.measured_at <= :to");
    return clause;
}

void bindFilter(QSqlQuery& query, qint64 wrenchId, const MeasurementFilter& filter)
{
    query.bindValue(QStringLiteral(":wrench"), wrenchId);
    if (filter.from.isValid())
        query.bindValue(QStringLiteral(":from"), dayStart(filter.from));
    if (filter.to.isValid())
        query.bindValue(QStringLiteral(":to"), dayEnd(filter.to));
}

} // namespace

qsizetype ArchivedMeasurements::count() const
{
    return MeasurementRecord::countIn(block);
}

ReadoutInfo ReadoutInfo::current(const ReportIdentity& identity, int historyMode)
{
    ReadoutInfo readout;
    readout.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    readout.readAt = QDateTime::currentDateTimeUtc();
    readout.workstation = QSysInfo::machineHostName();
    readout.account = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    readout.toolVersion = QStringLiteral(TOLVO_VERSION);
    readout.identity = identity;
    readout.historyMode = historyMode;
    return readout;
}

ArchiveStore::ArchiveStore(std::unique_ptr<ArchiveConnection> connection) : m_connection(std::move(connection)) {}

ArchiveStore::~ArchiveStore() = default;

std::unique_ptr<ArchiveStore> ArchiveStore::openLocal(const QString& file, ArchiveStatus& status)
{
    return prepared(ArchiveConnection::openLocal(file, status), status);
}

std::unique_ptr<ArchiveStore> ArchiveStore::openServer(const ServerSettings& server, ArchiveStatus& status)
{
    return prepared(ArchiveConnection::openServer(server, status), status);
}

std::unique_ptr<ArchiveStore> ArchiveStore::prepared(std::unique_ptr<ArchiveConnection> connection,
                                                     ArchiveStatus& status)
{
    if (!connection)
        return nullptr;
    status = archiveschema::prepare(*connection);
    if (!status.ok())
        return nullptr;
    return std::unique_ptr<ArchiveStore>(new ArchiveStore(std::move(connection)));
}

QString ArchiveStore::displayName() const
{
    return m_connection->displayName();
}

StoreResult ArchiveStore::storeReadout(const ReadoutInfo& readout, QByteArrayView block)
{
    return store(readout, block, -1);
}

StoreResult ArchiveStore::storeInFile(const QString& file, const ReadoutInfo& readout, QByteArrayView block)
{
    StoreResult result;
    const std::unique_ptr<ArchiveStore> store = openLocal(file, result.status);
    return store ? store->storeReadout(readout, block) : result;
}

StoreResult ArchiveStore::storePushed(const PendingReadout& pending)
{
    return store(pending.readout, pending.block, pending.recordsRead);
}

StoreResult ArchiveStore::store(const ReadoutInfo& readout, QByteArrayView block, int recordsRead)
{
    StoreResult result;
    const ReportIdentity& identity = readout.identity;
    if (identity.serialNumber.isEmpty()) {
        result.status = ArchiveStatus::failure(ArchiveStatus::Kind::Failed,
                                               QObject::tr("The wrench did not give its serial number."));
        return result;
    }
    const QList<NumberedRecord> records = numberedRecords(block);
    result.recordsRead = recordsRead < 0 ? int(records.size()) : recordsRead;
    ArchiveStatus& status = result.status;
    const ArchiveConnection& db = *m_connection;
    if (!db.begin(status))
        return result;
    const auto fail = [&result, &db]() {
        db.rollback();
        result.recordsNew = 0;
        return result;
    };
    const QString readAt = readout.readAt.toUTC().toString(Qt::ISODate);
    QSqlQuery query(db.database());
    // The identity as last seen: an older readout pushed late does not undo it.
    if (!db.prepare(query,
                    QStringLiteral("INSERT INTO wrench (serial, device_name, firmware_version, hardware_version, "
                                   "last_seen) VALUES (?,?,?,?,?) ON CONFLICT (serial) DO UPDATE SET "
                                   "device_name = excluded.device_name, firmware_version = excluded.firmware_version, "
                                   "hardware_version = excluded.hardware_version, last_seen = excluded.last_seen "
                                   "WHERE wrench.last_seen <= excluded.last_seen"),
                    status))
        return fail();
    for (const QString& value : {identity.serialNumber, identity.deviceName, identity.firmwareVersion,
                                 identity.hardwareVersion, readAt})
        query.addBindValue(text(value));
    if (!db.exec(query, status))
        return fail();
    if (!db.prepare(query, QStringLiteral("SELECT id FROM wrench WHERE serial = ?"), status))
        return fail();
    query.addBindValue(identity.serialNumber);
    if (!db.exec(query, status) || !query.next())
        return fail();
    const qint64 wrenchId = query.value(0).toLongLong();

    if (!db.prepare(query,
                    QStringLiteral("INSERT INTO readout (uuid, wrench_id, read_at, workstation, account, tool_version, "
                                   "device_name, firmware_version, hardware_version, serial, history_mode, "
                                   "records_read, records_new) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,0) "
                                   "ON CONFLICT (uuid) DO NOTHING"),
                    status))
        return fail();
    const QVariant readoutValues[] = {readout.uuid,
                                      wrenchId,
                                      readAt,
                                      text(readout.workstation),
                                      text(readout.account),
                                      text(readout.toolVersion),
                                      text(identity.deviceName),
                                      text(identity.firmwareVersion),
                                      text(identity.hardwareVersion),
                                      identity.serialNumber,
                                      readout.historyMode,
                                      result.recordsRead};
    for (const QVariant& value : readoutValues)
        query.addBindValue(value);
    if (!db.exec(query, status))
        return fail();
    // A readout pushed a second time (the first push cut short after its
    // commit) keeps the count of its first arrival.
    const bool firstArrival = query.numRowsAffected() == 1;
    if (!db.prepare(query, QStringLiteral("SELECT id FROM readout WHERE uuid = ?"), status))
        return fail();
    query.addBindValue(readout.uuid);
    if (!db.exec(query, status) || !query.next())
        return fail();
    const qint64 readoutId = query.value(0).toLongLong();

    QSqlQuery insert(db.database());
    int preparedRows = 0;
    for (qsizetype first = 0; first < records.size(); first += RowsPerInsert) {
        const int rows = int(qMin<qsizetype>(RowsPerInsert, records.size() - first));
        if (rows != preparedRows && !db.prepare(insert, insertStatement(rows), status))
            return fail();
        preparedRows = rows;
        int index = 0;
        for (int row = 0; row < rows; ++row)
            bindRecord(insert, index, wrenchId, readoutId, records[first + row]);
        if (!db.exec(insert, status))
            return fail();
        result.recordsNew += insert.numRowsAffected();
    }
    if (firstArrival) {
        if (!db.prepare(query, QStringLiteral("UPDATE readout SET records_new = ? WHERE id = ?"), status))
            return fail();
        query.addBindValue(result.recordsNew);
        query.addBindValue(readoutId);
        if (!db.exec(query, status))
            return fail();
    }
    if (!db.commit(status))
        result.recordsNew = 0;
    return result;
}

QList<WrenchSummary> ArchiveStore::wrenches(ArchiveStatus& status)
{
    QList<WrenchSummary> wrenches;
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    if (!m_connection->prepare(query,
                               QStringLiteral("SELECT w.serial, w.device_name, COUNT(m.id), MIN(m.measured_at), "
                                              "MAX(m.measured_at) FROM wrench w LEFT JOIN measurement m "
                                              "ON m.wrench_id = w.id GROUP BY w.id, w.serial, w.device_name "
                                              "ORDER BY w.serial"),
                               status)
        || !m_connection->exec(query, status))
        return wrenches;
    while (query.next()) {
        WrenchSummary wrench;
        wrench.serial = query.value(0).toString();
        wrench.deviceName = query.value(1).toString();
        wrench.records = query.value(2).toLongLong();
        if (wrench.records > 0) {
            wrench.first = dateOf(query.value(3));
            wrench.last = dateOf(query.value(4));
        }
        wrenches << wrench;
    }
    status = {};
    return wrenches;
}

qint64 ArchiveStore::count(const MeasurementFilter& filter, ArchiveStatus& status)
{
    QSqlQuery query(m_connection->database());
    // The wrench first: a server fresh from a bulk load has no statistics
    // yet and would scan every measurement for a join.
    if (!m_connection->prepare(query, QStringLiteral("SELECT id FROM wrench WHERE serial = ?"), status))
        return 0;
    query.addBindValue(filter.serial);
    if (!m_connection->exec(query, status))
        return 0;
    status = {};
    if (!query.next())
        return 0;
    const qint64 wrenchId = query.value(0).toLongLong();
    if (!m_connection->prepare(query,
                               QStringLiteral("SELECT COUNT(*) FROM measurement m WHERE m.wrench_id = :wrench")
                                   + filterClause(filter),
                               status))
        return 0;
    bindFilter(query, wrenchId, filter);
    if (!m_connection->exec(query, status) || !query.next())
        return 0;
    return query.value(0).toLongLong();
}

ArchivedMeasurements ArchiveStore::measurements(const MeasurementFilter& filter)
{
    ArchivedMeasurements selection;
    ArchiveStatus& status = selection.status;
    const ArchiveConnection& db = *m_connection;
    QSqlQuery query(db.database());
    if (!db.prepare(query,
                    QStringLiteral("SELECT w.device_name, w.firmware_version, w.hardware_version, w.serial, w.id, "
                                   "(SELECT r.history_mode FROM readout r WHERE r.wrench_id = w.id "
                                   "ORDER BY r.read_at DESC, r.id DESC LIMIT 1) FROM wrench w WHERE w.serial = ?"),
                    status))
        return selection;
    query.addBindValue(filter.serial);
    if (!db.exec(query, status))
        return selection;
    if (!query.next())
        return selection;
    selection.identity = {query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                          query.value(3).toString()};
    const qint64 wrenchId = query.value(4).toLongLong();
    selection.historyMode = query.value(5).toInt();

    QSqlQuery records(db.database());
    records.setForwardOnly(true);
    if (!db.prepare(records,
                    QStringLiteral("SELECT m.record FROM measurement m WHERE m.wrench_id = :wrench")
                        + filterClause(filter) + QStringLiteral(" ORDER BY m.id"),
                    status))
        return selection;
    bindFilter(records, wrenchId, filter);
    if (!db.exec(records, status))
        return selection;
    while (records.next())
        selection.block += records.value(0).toByteArray();
    return selection;
}

QList<ArchiveStore::PendingReadout> ArchiveStore::pendingReadouts(ArchiveStatus& status)
{
    QList<PendingReadout> pending;
    const ArchiveConnection& db = *m_connection;
    QSqlQuery query(db.database());
    query.setForwardOnly(true);
    if (!db.prepare(query,
                    QStringLiteral("SELECT id, uuid, read_at, workstation, account, tool_version, device_name, "
                                   "firmware_version, hardware_version, serial, history_mode, records_read "
                                   "FROM readout WHERE pushed = 0 ORDER BY id"),
                    status)
        || !db.exec(query, status))
        return pending;
    while (query.next()) {
        PendingReadout readout;
        readout.localId = query.value(0).toLongLong();
        readout.readout.uuid = query.value(1).toString();
        readout.readout.readAt = QDateTime::fromString(query.value(2).toString(), Qt::ISODate);
        readout.readout.workstation = query.value(3).toString();
        readout.readout.account = query.value(4).toString();
        readout.readout.toolVersion = query.value(5).toString();
        readout.readout.identity = {query.value(6).toString(), query.value(7).toString(), query.value(8).toString(),
                                    query.value(9).toString()};
        readout.readout.historyMode = query.value(10).toInt();
        readout.recordsRead = query.value(11).toInt();
        pending << readout;
    }
    QSqlQuery records(db.database());
    records.setForwardOnly(true);
    if (!db.prepare(records, QStringLiteral("SELECT record FROM measurement WHERE readout_id = ? ORDER BY id"),
                    status))
        return {};
    for (PendingReadout& readout : pending) {
        records.bindValue(0, readout.localId);
        if (!db.exec(records, status))
            return {};
        while (records.next())
            readout.block += records.value(0).toByteArray();
    }
    status = {};
    return pending;
}

bool ArchiveStore::markPushed(qint64 localId, ArchiveStatus& status)
{
    QSqlQuery query(m_connection->database());
    if (!m_connection->prepare(query, QStringLiteral("UPDATE readout SET pushed = 1 WHERE id = ?"), status))
        return false;
    query.addBindValue(localId);
    return m_connection->exec(query, status);
}
