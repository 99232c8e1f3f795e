#pragma once
// Where a test keeps its database. A test binary runs twice under CTest: on SQLite files, and
// with VELMIRA_TEST_BACKEND=pg on the throw-away PostgreSQL cluster of the run (scripts/pgserver.sh,
// its address in the file VELMIRA_PG_URL_FILE). Each call gives a new, empty database.
#include "data/database.h"
#include "data/pgbackend.h"

#include <QDir>
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

// The database a program run in the working folder `work` opens (Paths::databaseFile()): in a
// server run a new server database named in work/data/connection.ini, else work/data/qczl.db.
// Empty when no server database could be made.
inline QString workingFolderDatabase(const QString& work)
{
    QDir(work).mkpath(QStringLiteral("data"));
    if (!wanted())
        return QDir(work).filePath(QStringLiteral("data/qczl.db"));
    const QString location = newDatabase();
    if (location.isEmpty())
        return {};
    QFile ini(QDir(work).filePath(QStringLiteral("data/connection.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    ini.write("[database]\r\nlocation=" + location.toUtf8() + "\r\n");
    return location;
}

// The rows of a select (Jet dialect) as one text, the same on both engines: columns joined by '/',
// rows by ',', a null as `null`. Values are read as the program reads them (amounts and counts as
// numbers, dates as storage text), not through an engine's own conversion to text, which differs.
inline QString rowsText(Database& db, const QString& sql, const QString& null = QString())
{
    QStringList names, rows;
    QVector<QVector<QVariant>> values;
    db.selectRows(sql, false, &names, &values);
    for (const auto& row : values) {
        QStringList cells;
        for (const QVariant& v : row)
            cells << (v.isNull() ? null : v.toString());
        rows << cells.join(QLatin1Char('/'));
    }
    return rows.join(QLatin1Char(','));
}

// Makes the engine refuse every `event` ("INSERT", "UPDATE" or "DELETE") on `table` with the error
// `text`, as a rule of another program on the same database would; allowWrites lifts it again.
inline void refuseWrites(Database& db, const QString& table, const QString& event, const QString& text)
{
    if (PgLocation::isServer(db.location())) {
        db.runNative(QStringLiteral("CREATE FUNCTION vel_refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                    "RAISE EXCEPTION '%1'; END $$")
                         .arg(text));
        db.runNative(QStringLiteral("CREATE TRIGGER vel_refuse BEFORE %1 ON \"%2\" FOR EACH ROW EXECUTE FUNCTION vel_refuse()")
                         .arg(event, table));
    } else {
        db.runNative(
            QStringLiteral("CREATE TRIGGER vel_refuse BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, '%3'); END").arg(event, table, text));
    }
}

inline void allowWrites(Database& db, const QString& table)
{
    if (PgLocation::isServer(db.location())) {
        db.runNative(QStringLiteral("DROP TRIGGER vel_refuse ON \"%1\"").arg(table));
        db.runNative(QStringLiteral("DROP FUNCTION vel_refuse()"));
    } else {
        db.runNative(QStringLiteral("DROP TRIGGER vel_refuse"));
    }
}

}  // namespace ServerDb

// In initTestCase: a server run without a server skips the whole test, saying why.
#define SERVERDB_SKIP_WITHOUT_SERVER()                                                                                                \
    do {                                                                                                                              \
        if (ServerDb::wanted() && ServerDb::serverUrl().isEmpty())                                                                    \
            QSKIP("server tests skipped: no PostgreSQL server could be started");                                                     \
    } while (0)
