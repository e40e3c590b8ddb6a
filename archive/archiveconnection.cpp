#include "archive/archiveconnection.h"

#include <QAtomicInteger>
#include <QObject>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>

namespace {

QString uniqueConnectionName()
{
    static QAtomicInteger<quint32> counter;
    return QStringLiteral("tolvo-archive-%1").arg(counter.fetchAndAddRelaxed(1));
}

// libpq takes blanks between its options, Qt's driver semicolons.
QString serverConnectOptions(const QString& options)
{
    QStringList parts = options.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
    const auto has = [&parts](QLatin1String key) {
        return std::any_of(parts.cbegin(), parts.cend(),
                           [key](const QString& part) { return part.startsWith(key + QLatin1Char('=')); });
    };
    // A server across the plant network that does not answer must not hold
    // the readout for long.
    if (!has(QLatin1String("connect_timeout")))
        parts << QStringLiteral("connect_timeout=10");
    if (!has(QLatin1String("application_name")))
        parts << QStringLiteral("application_name=TolvoTool");
    return parts.join(QLatin1Char(';'));
}

bool isRefusal(const QString& text)
{
    static const char* const phrases[] = {"authentication", "pg_hba.conf", "does not exist", "permission denied",
                                          "password", "not permitted", "certificate"};
    return std::any_of(std::begin(phrases), std::end(phrases),
                       [&text](const char* phrase) { return text.contains(QLatin1String(phrase), Qt::CaseInsensitive); });
}

} // namespace

ArchiveConnection::ArchiveConnection(const QString& name, bool server, const QString& displayName)
    : m_name(name), m_server(server), m_displayName(displayName)
{
}

ArchiveConnection::~ArchiveConnection()
{
    {
        QSqlDatabase db = database();
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

std::unique_ptr<ArchiveConnection> ArchiveConnection::openLocal(const QString& file, ArchiveStatus& status)
{
    const QString displayName = QDir::toNativeSeparators(file);
    if (file.isEmpty()) {
        status = ArchiveStatus::failure(ArchiveStatus::Kind::Failed, QObject::tr("No archive file is set."));
        return nullptr;
    }
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder)) {
        status = ArchiveStatus::failure(ArchiveStatus::Kind::Refused,
                                        QObject::tr("The archive %1 cannot be created: the folder %2 cannot be made.")
                                            .arg(displayName, QDir::toNativeSeparators(folder)));
        return nullptr;
    }
    std::unique_ptr<ArchiveConnection> connection(new ArchiveConnection(uniqueConnectionName(), false, displayName));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection->m_name);
        db.setDatabaseName(file);
        // Another workstation process writing the same file is waited for.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
        if (!db.open()) {
            status = connection->failure(db.lastError());
            return nullptr;
        }
    }
    // WAL lets readers go on while a readout is written; a file that cannot
    // take it (read-only, no room for the log) is not an archive to write.
    QSqlQuery query(connection->database());
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next()
        || query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        status = query.lastError().isValid()
                     ? connection->failure(query.lastError())
                     : ArchiveStatus::failure(ArchiveStatus::Kind::Failed,
                                              QObject::tr("The archive %1 cannot keep a write-ahead log.").arg(displayName));
        return nullptr;
    }
    status = {};
    return connection;
}

std::unique_ptr<ArchiveConnection> ArchiveConnection::openServer(const ServerSettings& server, ArchiveStatus& status)
{
    const QString displayName = QStringLiteral("%1 %2/%3").arg(server.driver, server.host, server.database);
    if (!QSqlDatabase::isDriverAvailable(server.driver)) {
        status = ArchiveStatus::failure(ArchiveStatus::Kind::Failed,
                                        QObject::tr("The database driver %1 for the archive server is not installed.")
                                            .arg(server.driver));
        return nullptr;
    }
    std::unique_ptr<ArchiveConnection> connection(new ArchiveConnection(uniqueConnectionName(), true, displayName));
    QSqlDatabase db = QSqlDatabase::addDatabase(server.driver, connection->m_name);
    db.setHostName(server.host);
    if (server.port > 0)
        db.setPort(server.port);
    db.setDatabaseName(server.database);
    db.setUserName(server.user);
    db.setConnectOptions(serverConnectOptions(server.options));
    if (!db.open()) {
        const QString why = db.lastError().text();
        status = ArchiveStatus::failure(isRefusal(why) ? ArchiveStatus::Kind::Refused : ArchiveStatus::Kind::Unreachable,
                                        QObject::tr("The archive server %1 cannot be used: %2").arg(displayName, why));
        return nullptr;
    }
    status = {};
    return connection;
}

ArchiveStatus ArchiveConnection::failure(const QSqlError& error) const
{
    const QString code = error.nativeErrorCode();
    ArchiveStatus::Kind kind = ArchiveStatus::Kind::Failed;
    if (m_server) {
        // No SQL state: libpq itself failed, the connection is gone.
        if (code.isEmpty() || code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P")))
            kind = ArchiveStatus::Kind::Unreachable;
        else if (code == QLatin1String("42501") || code.startsWith(QLatin1String("28")))
            kind = ArchiveStatus::Kind::Refused;
    } else if (code == QLatin1String("8") || code == QLatin1String("23") || code == QLatin1String("14")) {
        // Read-only, not authorised, cannot open.
        kind = ArchiveStatus::Kind::Refused;
    }
    return ArchiveStatus::failure(kind, QObject::tr("The archive %1 failed: %2").arg(m_displayName, error.text()));
}

bool ArchiveConnection::prepare(QSqlQuery& query, const QString& sql, ArchiveStatus& status) const
{
    if (query.prepare(sql))
        return true;
    status = failure(query.lastError());
    return false;
}

bool ArchiveConnection::exec(QSqlQuery& query, ArchiveStatus& status) const
{
    if (query.exec())
        return true;
    status = failure(query.lastError());
    return false;
}

bool ArchiveConnection::exec(const QString& sql, ArchiveStatus& status) const
{
    QSqlQuery query(database());
    if (query.exec(sql))
        return true;
    status = failure(query.lastError());
    return false;
}

bool ArchiveConnection::begin(ArchiveStatus& status) const
{
    return exec(m_server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), status);
}

bool ArchiveConnection::commit(ArchiveStatus& status) const
{
    if (exec(QStringLiteral("COMMIT"), status))
        return true;
    rollback();
    return false;
}

void ArchiveConnection::rollback() const
{
    QSqlQuery query(database());
    query.exec(QStringLiteral("ROLLBACK"));
}
