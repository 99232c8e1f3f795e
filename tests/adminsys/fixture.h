#pragma once
// A fresh database in a temporary folder with the data module connected to it.
#include "data/creation.h"
#include "data/database.h"
#include "data/datamodule.h"

#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<TDm1> dm = std::make_unique<TDm1>();

    Fixture()
    {
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        QString error;
        if (!createDatabase(db(), QDate(2004, 3, 15), &error) || !dm->connect(db(), &error))
            qFatal("database: %s", qPrintable(error));
    }
    QString db() const { return QDir(dir.path()).filePath(QStringLiteral("data/qczl.db")); }
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    // Runs a statement on a connection of its own; returns the first column of the first row.
    QVariant exec(const QString& sql, const QString& file = QString()) const
    {
        Database other;
        QString error;
        if (!other.open(file.isEmpty() ? db() : file, &error))
            qFatal("open: %s", qPrintable(error));
        QSqlQuery q = other.run(sql);
        return q.next() ? q.value(0) : QVariant();
    }
    int count(const QString& table, const QString& file = QString()) const
    {
        return exec(QStringLiteral("select count(*) from ") + table, file).toInt();
    }
};
