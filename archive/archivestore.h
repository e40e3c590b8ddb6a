#pragma once

#include "archive/archivesettings.h"
#include "archive/archivestatus.h"
#include "history/historyreports.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

class ArchiveConnection;

// Who read which wrench, when and where.
struct ReadoutInfo {
    QString uuid; // unique over every workstation; kept when pushed to a server
    QDateTime readAt;
    QString workstation;
    QString account;
    QString toolVersion;
    ReportIdentity identity; // identity.serialNumber names the wrench
    int historyMode = 3;

    // A new readout of identity, now, on this machine and account.
    static ReadoutInfo current(const ReportIdentity& identity, int historyMode);
};

struct StoreResult {
    ArchiveStatus status;
    int recordsRead = 0; // records with a number
    int recordsNew = 0;  // of those, the ones the archive did not hold
};

struct WrenchSummary {
    QString serial;
    QString deviceName;
    qint64 records = 0;
    QDate first; // date of the earliest and latest measurement
    QDate last;
};

// One wrench's measurements, optionally within dates of measurement
// (inclusive; a null date is open).
struct MeasurementFilter {
    QString serial;
    QDate from;
    QDate to;
};

// What the reports of archived measurements are built from.
struct ArchivedMeasurements {
    ArchiveStatus status;
    ReportIdentity identity; // as last seen
    int historyMode = 3;     // of the wrench's latest readout
    QByteArray block;        // 64-byte records, in the order first archived
    qsizetype count() const;
};

// The readout archive on one database: the local SQLite file or a plant's
// server. Each measurement is kept once per wrench, keyed by the wrench's
// serial number and its 64 bytes. An object belongs to the thread that opened
// it.
class ArchiveStore
{
public:
    ~ArchiveStore();
    ArchiveStore(const ArchiveStore&) = delete;
    ArchiveStore& operator=(const ArchiveStore&) = delete;

    // Creates the file and its tables as needed and upgrades an older
    // archive; null, with status saying why, when it cannot be used.
    static std::unique_ptr<ArchiveStore> openLocal(const QString& file, ArchiveStatus& status);
    // Connects and creates the tables when they are missing and the role may.
    static std::unique_ptr<ArchiveStore> openServer(const ServerSettings& server, ArchiveStatus& status);

    // block: the records as read (number-0 records are skipped). All of it
    // or nothing is stored. A readout without a serial number is refused.
    StoreResult storeReadout(const ReadoutInfo& readout, QByteArrayView block);
    // The same into the local archive file, closed again afterwards so that
    // a push may open it on its own.
    static StoreResult storeInFile(const QString& file, const ReadoutInfo& readout, QByteArrayView block);

    QList<WrenchSummary> wrenches(ArchiveStatus& status);
    qint64 count(const MeasurementFilter& filter, ArchiveStatus& status);
    ArchivedMeasurements measurements(const MeasurementFilter& filter);

    // What a server push sends: local readouts not yet on the server, each
    // with the measurements it brought first, oldest first.
    struct PendingReadout {
        ReadoutInfo readout;
        int recordsRead = 0;
        QByteArray block;
        qint64 localId = 0;
    };
    QList<PendingReadout> pendingReadouts(ArchiveStatus& status);
    bool markPushed(qint64 localId, ArchiveStatus& status);
    // A pushed readout: kept with the original count of records read.
    StoreResult storePushed(const PendingReadout& pending);

    QString displayName() const;

private:
    explicit ArchiveStore(std::unique_ptr<ArchiveConnection> connection);
    // The store of an open connection, its tables made ready.
    static std::unique_ptr<ArchiveStore> prepared(std::unique_ptr<ArchiveConnection> connection,
                                                  ArchiveStatus& status);
    StoreResult store(const ReadoutInfo& readout, QByteArrayView block, int recordsRead);

    std::unique_ptr<ArchiveConnection> m_connection;
};
