#include "data/copy.h"
#include "core/dates.h"
#include "data/creation.h"
#include "data/database.h"
#include "data/pgbackend.h"
#include "data/schema.h"

#include <QDateTime>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace DbCopy {

QStringList copyTables(Database& src, Database& dst)
{
    QStringList written;
    Transaction tx(dst);
    for (const TableDef& t : Schema::tables()) {
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
        for (const QString& s : dst.backend().afterCopySql(t))
            dst.runNative(s);
        written << t.name;
    }
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
    if (!src.open(from, error))
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

} // namespace DbCopy
