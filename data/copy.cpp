#include "data/copy.h"
#include "core/dates.h"
#include "data/creation.h"
#include "data/database.h"
#include "data/pgbackend.h"
#include "data/schema.h"
#include "data/versions.h"

#include <QDateTime>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace DbCopy {

namespace {

// The rows of one table with their keys, appended to the same table of dst; its keys then
// continue above everything the source ever handed out.
void copyTable(Database& src, Database& dst, const TableDef& t)
{
    QStringList cols{Schema::KeyColumn};
    for (const ColumnDef& c : t.columns)
        cols << QLatin1Char('"') + c.name + QLatin1Char('"');
    const QString table = QLatin1Char('"') + t.name + QLatin1Char('"');
    QSqlQuery in(src.handle());
    in.setForwardOnly(true);
    // Server numbers as their decimal text: amounts never pass through a floating value.
    if (src.backend().driverName() == QLatin1String("QPSQL"))
        in.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!in.exec(QStringLiteral("SELECT ") + cols.join(QLatin1Char(',')) + QStringLiteral(" FROM ") + table
                 + QStringLiteral(" ORDER BY ") + Schema::KeyColumn))
        throw DbError(in.lastError().text());
    QSqlQuery out(dst.handle());
    if (!out.prepare(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + cols.join(QLatin1Char(','))
                     + QStringLiteral(") VALUES (") + QStringList(cols.size(), QStringLiteral("?")).join(QLatin1Char(','))
                     + QStringLiteral(")")))
        throw DbError(out.lastError().text());
    while (in.next()) {
        for (int i = 0; i < cols.size(); ++i) {
            QVariant v = in.value(i);
            // Dates travel as storage text, never as a zoned QDateTime.
            if (v.metaType().id() == QMetaType::QDateTime)
                v = v.isNull() ? QVariant() : QVariant(Dates::toStorage(v.toDateTime()));
            out.bindValue(i, dst.backend().bindValue(v));
        }
        if (!out.exec())
            throw DbError(out.lastError().text());
    }
    if (in.lastError().isValid())
        throw DbError(in.lastError().text());
    in.finish();
    Versions::raiseKeys(dst, t.name, Versions::keyHighWater(src, t.name));
}

}  // namespace

QStringList copyTables(Database& src, Database& dst)
{
    QStringList written;
    Transaction tx(dst);
    for (const TableDef& t : Schema::tables()) {
        copyTable(src, dst, t);
        written << t.name;
    }
    // Tables of our own that the source's version already has; a table that came later starts
    // as the upgrade of the source would start it.
    const int version = Versions::version(src);
    for (const TableDef* t : Versions::carriedTables()) {
        if (version >= Versions::arrivedIn(t->name))
            copyTable(src, dst, *t);
        else
            Versions::seedTable(dst, t->name);
        written << t->name;
    }
    Versions::advanceGeneration(dst, version >= 2 ? Versions::generation(src) : 0);
    tx.commit();
    return written;
}

void settle(Database& db, const QStringList& tables)
{
    // Only planner statistics: a failure here loses nothing, and the server's own maintenance
    // brings them up to date later anyway.
    for (const QString& s : db.backend().afterLoadSql(tables)) {
        try {
            db.runNative(s);
        } catch (const DbError&) {
        }
    }
}

bool copy(const QString& from, const QString& to, QString* error)
{
    Database src, dst;
    // The source is read as it is: an older version is copied without being changed.
    if (!src.open(from, error, Database::Upgrade::No))
        return false;
    if (!dst.create(to, error))
        return false;
    QStringList written;
    try {
        written = copyTables(src, dst);
    } catch (const DbError& e) {
        *error = e.text();
        if (PgLocation::isServer(to)) {
            discardNewTables(dst);
        } else {
            dst.close();
            QFile::remove(to);
        }
        return false;
    }
    settle(dst, written);
    return true;
}

}  // namespace DbCopy
