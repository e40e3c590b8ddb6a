#pragma once

#include "archive/archivesettings.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>
#include <QtDebug>

// The test run's PostgreSQL server, which the archive_server fixture starts
// with scripts/pgserver.sh for the tests declared with
// tolvo_use_archive_server(). Its superuser reaches it without a password.
namespace testsupport {

namespace archiveserverdetail {

inline QString stateFolder()
{
    return qEnvironmentVariable("TOLVO_TEST_PG_STATE");
}

// The superuser's settings for the database tolvo_test, from the
// connection file's "key=value" lines; unconfigured with why when missing.
inline ServerSettings adminSettings(QString& why)
{
    if (stateFolder().isEmpty()) {
        why = QStringLiteral("TOLVO_TEST_PG_STATE is not set: declare the test with tolvo_use_archive_server()");
        return {};
    }
    QFile file(stateFolder() + QStringLiteral("/connection"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        why = file.fileName() + QStringLiteral(": ") + file.errorString()
              + QStringLiteral(" (the archive_server_start test makes it)");
        return {};
    }
    QHash<QString, QString> values;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    ServerSettings settings;
    settings.host = values.value(QStringLiteral("host"));
    settings.port = values.value(QStringLiteral("port")).toInt();
    settings.database = values.value(QStringLiteral("database"));
    settings.user = values.value(QStringLiteral("user"));
    if (settings.host.isEmpty() || settings.port == 0 || settings.database.isEmpty() || settings.user.isEmpty()) {
        why = file.fileName() + QStringLiteral(" lacks host, port, database or user");
        return {};
    }
    settings.driver = QStringLiteral("QPSQL");
    return settings;
}

// Runs statements one by one on a connection of their own, closed and
// removed afterwards; the first failure ends them and says why.
inline bool execute(const ServerSettings& settings, const QStringList& statements, QString& why)
{
    const QString name = QStringLiteral("archiveserver-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(settings.driver, name);
        db.setHostName(settings.host);
        db.setPort(settings.port);
        db.setDatabaseName(settings.database);
        db.setUserName(settings.user);
        db.setConnectOptions(settings.options);
        if (db.open()) {
            QSqlQuery query(db);
            done = true;
            for (const QString& statement : statements) {
                if (!query.exec(statement)) {
                    why = statement + QStringLiteral(": ") + query.lastError().text();
                    done = false;
                    break;
                }
            }
        } else {
            why = QStringLiteral("cannot connect to %1 on %2: %3")
                      .arg(settings.database, settings.host, db.lastError().text());
        }
    }
    QSqlDatabase::removeDatabase(name);
    return done;
}

inline QString quoted(QString identifier)
{
    return QLatin1Char('"') + identifier.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

inline bool runServerScript(const QString& action)
{
    const QString script = qEnvironmentVariable("TOLVO_TEST_PG_SCRIPT");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("bash"), {script, action, stateFolder()});
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    qWarning().noquote() << "pgserver.sh" << action << "failed:" << process.errorString()
                         << QString::fromLocal8Bit(process.readAll());
    return false;
}

} // namespace archiveserverdetail

// Whether the server answers; why says what is missing (the test then fails).
inline bool archiveServerReady(QString& why)
{
    const ServerSettings admin = archiveserverdetail::adminSettings(why);
    return admin.isConfigured() && archiveserverdetail::execute(admin, {QStringLiteral("SELECT 1")}, why);
}

// An empty database of that name, dropped first if an earlier test left one,
// and the settings that reach it as the superuser; unconfigured settings,
// with the reason as a warning, when it cannot be made.
inline ServerSettings freshServerDatabase(const QString& name)
{
    QString why;
    ServerSettings settings = archiveserverdetail::adminSettings(why);
    const QString database = archiveserverdetail::quoted(name);
    if (settings.isConfigured()
        && archiveserverdetail::execute(settings,
                                        {QStringLiteral("SET client_min_messages = warning"),
                                         QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database),
                                         QStringLiteral("CREATE DATABASE %1").arg(database)},
                                        why)) {
        settings.database = name;
        return settings;
    }
    qWarning().noquote() << "no server database" << name << "-" << why;
    return {};
}

// The server stopped and started again on the same socket, its data kept.
inline bool pauseArchiveServer()
{
    return archiveserverdetail::runServerScript(QStringLiteral("pause"));
}
inline bool resumeArchiveServer()
{
    return archiveserverdetail::runServerScript(QStringLiteral("resume"));
}

// A role that logs in without a password and has no rights beyond those of
// every role; what it may do in a database is granted there. Roles belong to
// the whole server: an existing one is reused.
inline bool createLoginRole(const QString& role, QString& error)
{
    const ServerSettings settings = archiveserverdetail::adminSettings(error);
    if (!settings.isConfigured())
        return false;
    const QString who = archiveserverdetail::quoted(role);
    QString literal = role;
    literal.replace(QLatin1Char('\''), QStringLiteral("''"));
    return archiveserverdetail::execute(
        settings,
        {QStringLiteral("DO $$BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = '%1') "
                        "THEN CREATE ROLE %2; END IF; END$$")
             .arg(literal, who),
         QStringLiteral("ALTER ROLE %1 LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE").arg(who)},
        error);
}

// Runs statements in database as the server's administrator.
inline bool runAsAdministrator(const QString& database, const QStringList& statements, QString& error)
{
    ServerSettings settings = archiveserverdetail::adminSettings(error);
    if (!settings.isConfigured())
        return false;
    settings.database = database;
    return archiveserverdetail::execute(settings, statements, error);
}

} // namespace testsupport
