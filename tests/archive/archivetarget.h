#pragma once

// An archive named on a command line, so that a test and the worker
// processes it starts reach the same one: "sqlite:FILE" or
// "server:HOST|PORT|DATABASE|USER".

#include "archive/archivestore.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

inline QString serverTarget(const ServerSettings& server)
{
    return QStringLiteral("server:%1|%2|%3|%4").arg(server.host).arg(server.port).arg(server.database, server.user);
}

inline ServerSettings serverOfTarget(const QString& target)
{
    const QStringList parts = target.mid(7).split(QLatin1Char('|'));
    ServerSettings server;
    if (parts.size() == 4) {
        server.driver = QStringLiteral("QPSQL");
        server.host = parts[0];
        server.port = parts[1].toInt();
        server.database = parts[2];
        server.user = parts[3];
    }
    return server;
}

inline std::unique_ptr<ArchiveStore> openTarget(const QString& target, ArchiveStatus& status)
{
    if (target.startsWith(QLatin1String("server:")))
        return ArchiveStore::openServer(serverOfTarget(target), status);
    return ArchiveStore::openLocal(target.mid(7), status);
}

// One value of a statement run outside the archive code, as an
// administrator would look.
inline QVariant targetScalar(const QString& target, const QString& sql)
{
    QVariant value;
    const QString name = QStringLiteral("tolvo-test-look");
    {
        QSqlDatabase db;
        if (target.startsWith(QLatin1String("server:"))) {
            const ServerSettings server = serverOfTarget(target);
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(server.host);
            db.setPort(server.port);
            db.setDatabaseName(server.database);
            db.setUserName(server.user);
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(target.mid(7));
        }
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(sql) && query.next())
                value = query.value(0);
        }
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}
