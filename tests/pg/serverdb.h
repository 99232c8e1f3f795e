#pragma once
// Where a test keeps its database. A test binary runs twice under CTest: on SQLite files, and
// with VELMIRA_TEST_BACKEND=pg on the throw-away PostgreSQL cluster of the run (scripts/pgserver.sh,
// its address in the file VELMIRA_PG_URL_FILE). Each call gives a new, empty database.
#include "data/pgbackend.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QCoreApplication>

namespace ServerDb {

inline bool wanted()
{
    return qEnvironmentVariable("VELMIRA_TEST_BACKEND") == QLatin1String("pg");
}

// The server of the run ("postgresql://…/postgres?host=…"), empty when none could be started.
inline QString serverUrl()
{
    QFile f(qEnvironmentVariable("VELMIRA_PG_URL_FILE"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).trimmed();
}

// A new empty database on the server; its location, or empty with the reason.
inline QString newDatabase(QString* why = nullptr)
{
    const QString server = serverUrl();
    if (server.isEmpty()) {
        if (why)
            *why = QStringLiteral("no PostgreSQL server could be started");
        return {};
    }
    static int n = 0;
    const QString name = QStringLiteral("vel_%1_%2").arg(QCoreApplication::applicationPid()).arg(++n);
    {
        PgLocation loc;
        QString err;
        PgLocation::parse(server, &loc, &err);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("serverdb_admin"));
        db.setHostName(loc.host);
        db.setPort(loc.port);
        db.setUserName(loc.user);
        db.setDatabaseName(loc.database);
        if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("CREATE DATABASE ") + name)) {
            if (why)
                *why = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("serverdb_admin"));
            return {};
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("serverdb_admin"));
    QUrl url(server);
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

// The location of a new test database: a server database in a server run, else a file in dir.
inline QString location(const QTemporaryDir& dir, const QString& file = QStringLiteral("data/qczl.db"))
{
    if (!wanted())
        return dir.filePath(file);
    return newDatabase();
}

} // namespace ServerDb

// In initTestCase: a server run without a server skips the whole test, saying why.
#define SERVERDB_SKIP_WITHOUT_SERVER()                                                                 \
    do {                                                                                              \
        if (ServerDb::wanted() && ServerDb::serverUrl().isEmpty())                                    \
            QSKIP("server tests skipped: no PostgreSQL server could be started");                     \
    } while (0)
