#include "stats/scratch.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QSqlError>
#include <QSqlQuery>

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
        // One statement prepared once and bound per row: the rows of a large run cost one pass.
        QSqlQuery insert(db.handle());
        const QString sql = QStringLiteral("insert into \"%1\" (%2) values (%3)")
                                .arg(table, quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        const auto fail = [&db](const QSqlError& e) {
            return DbError(e.text(), db.backend().isBusy(e) ? DbError::Kind::Busy : DbError::Kind::Engine);
        };
        if (!insert.prepare(sql))
            throw fail(insert.lastError());
        // Reports repeat values down a column (the range dates of every row); each is converted once.
        QVector<QVariant> lastIn(types.size()), lastOut(types.size());
        QVector<bool> known(types.size(), false);
        for (const QVector<QVariant>& row : rows.rows) {
            for (int i = 0; i < types.size(); ++i) {
                const QVariant v = row.value(i);
                if (!known[i] || v.metaType() != lastIn[i].metaType() || v != lastIn[i]) {
                    lastOut[i] = RecordSet::toStorage(v, types[i]);
                    lastIn[i] = v;
                    known[i] = true;
                }
                insert.bindValue(i, lastOut[i]);
            }
            if (!insert.exec())
                throw fail(insert.lastError());
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

} // namespace Scratch
