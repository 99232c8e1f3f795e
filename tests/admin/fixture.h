#pragma once
// A fresh database with the data module connected to it: a file in a temporary folder, or in a
// server run a new database on the test server.
#include "data/creation.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "data/pgbackend.h"
#include "tests/pg/serverdb.h"

#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

struct Fixture {
    QTemporaryDir dir;
    QString location;
    std::unique_ptr<TDm1> dm = std::make_unique<TDm1>();

    Fixture()
    {
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        location = ServerDb::location(dir);
        QString error;
        if (location.isEmpty() || !createDatabase(location, QDate(2004, 3, 15), &error) || !dm->connect(location, &error))
            qFatal("database: %s", qPrintable(error));
    }
    QString db() const { return location; }
    bool onServer() const { return PgLocation::isServer(location); }
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    // Runs a statement on a connection of its own; returns the first column of the first row, read
    // as the program reads rows (dates as storage text on either backend).
    QVariant exec(const QString& sql, const QString& file = QString()) const
    {
        Database other;
        QString error;
        if (!other.open(file.isEmpty() ? db() : file, &error))
            qFatal("open: %s", qPrintable(error));
        QStringList names;
        QVector<QVector<QVariant>> rows;
        other.selectRows(sql, false, &names, &rows);
        return rows.isEmpty() || rows.first().isEmpty() ? QVariant() : rows.first().first();
    }
    int count(const QString& table, const QString& file = QString()) const
    {
        return exec(QStringLiteral("select count(*) from ") + table, file).toInt();
    }
    // Makes the engine refuse every `event` (UPDATE, DELETE) on table with the message `why`.
    void refuse(const QString& table, const QString& event, const QString& why) const
    {
        Database other;
        QString error;
        if (!other.open(db(), &error))
            qFatal("open: %s", qPrintable(error));
        if (onServer()) {
            other.runNative(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                                           "$$BEGIN RAISE EXCEPTION '%1'; END$$")
                                .arg(why));
            other.runNative(
                QStringLiteral("CREATE TRIGGER keep BEFORE %1 ON \"%2\" FOR EACH ROW EXECUTE FUNCTION refuse()").arg(event, table));
        } else {
            other.runNative(
                QStringLiteral("CREATE TRIGGER keep BEFORE %1 ON \"%2\" BEGIN SELECT RAISE(ABORT, '%3'); END").arg(event, table, why));
        }
    }
};
