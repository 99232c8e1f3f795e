#include "stats/scratch.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace Scratch {

void replace(Database& db, const ScratchRows& rows)
{
    replaceTable(db, Table, rows);
}

void replaceTable(Database& db, const QString& table, const ScratchRows& rows)
{
    QVector<FieldType> types;
    QStringList quoted, marks;
    for (const QString& c : rows.columns) {
        types << Schema::columnType(table, c);
        quoted << QLatin1Char('"') + c + QLatin1Char('"');
        marks << QStringLiteral("?");
    }
    Transaction tx(db);
    db.run(QStringLiteral("delete from ") + table);
    if (!rows.rows.isEmpty()) {
        const auto fail = [&db](const QSqlError& e) {
            return DbError(e.text(), db.backend().isBusy(e) ? DbError::Kind::Busy : DbError::Kind::Engine);
        };
        // The engine's own bulk path where it has one; else statements of many rows each, prepared
        // once and bound per chunk: a large run costs one pass, not one statement per row.
        const int columns = int(types.size());
        const int chunk = std::max(1, std::min(100, 900 / std::max(1, columns)));
        const QString head = QStringLiteral("insert into \"%1\" (%2) values ").arg(table, quoted.join(QLatin1Char(',')));
        const QString tuple = QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
        const auto statement = [&](int n) {
            QSqlQuery q(db.handle());
            QStringList tuples;
            for (int i = 0; i < n; ++i)
                tuples << tuple;
            if (!q.prepare(head + tuples.join(QLatin1Char(','))))
                throw fail(q.lastError());
            return q;
        };
        // Reports repeat values down a column (the range dates of every row); each is converted once.
        QVector<QVariant> lastIn(columns), lastOut(columns);
        QVector<bool> known(columns, false);
        const auto value = [&](const QVector<QVariant>& row, int i) -> const QVariant& {
            const QVariant v = row.value(i);
            if (!known[i] || v.metaType() != lastIn[i].metaType() || v != lastIn[i]) {
                lastOut[i] = RecordSet::toStorage(v, types[i]);
                lastIn[i] = v;
                known[i] = true;
            }
            return lastOut[i];
        };
        QString error;
        const bool appended = db.backend().appendRows(
            db.handle(), table, rows.columns, rows.rows.size(),
            [&](qsizetype r, int i) -> const QVariant& { return value(rows.rows[r], i); }, &error);
        if (!appended && !error.isEmpty())
            throw DbError(error);
        if (!appended) {
            QSqlQuery full = statement(std::min<int>(chunk, int(rows.rows.size())));
            for (qsizetype first = 0; first < rows.rows.size(); first += chunk) {
                const int n = int(std::min<qsizetype>(chunk, rows.rows.size() - first));
                QSqlQuery tail;
                QSqlQuery& q = n == chunk ? full : (tail = statement(n));
                for (int r = 0; r < n; ++r)
                    for (int i = 0; i < columns; ++i)
                        q.bindValue(r * columns + i, value(rows.rows[first + r], i));
                if (!q.exec())
                    throw fail(q.lastError());
            }
        }
    }
    tx.commit();
}

QStringList selectLines(const QString& orderLine)
{
    QStringList lines{QStringLiteral("select * from "), Table};
    if (!orderLine.isEmpty())
        lines << orderLine;
    return lines;
}

void run(RecordSet& q, const QString& orderLine, const std::function<void()>& fill)
{
    q.disableControls();
    try {
        q.close();
        q.setSql({QStringLiteral("delete from ") + Table});
        q.execSql();
        q.setSql(selectLines(orderLine));
        fill();
        q.open();
    } catch (...) {
        try {
            if (!q.isOpen())
                q.open();
        } catch (const DbError&) {
            // The first error is the one to report.
        }
        q.enableControls();
        throw;
    }
    q.enableControls();
    q.first();
}

}  // namespace Scratch
