#include "stats/scratch.h"
#include "core/money.h"
#include "data/database.h"
#include "data/pgbackend.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <charconv>

namespace Scratch {

void replace(Database& db, const ScratchRows& rows)
{
    replaceTable(db, Table, rows);
}

namespace {

// A text field of the copy format: its UTF-8 bytes, the format's own characters escaped.
void appendField(QByteArray& out, const QByteArray& bytes)
{
    for (const char ch : bytes) {
        switch (ch) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += ch;
        }
    }
}

// An amount as its exact decimal text, as the engine would store the floating value it is bound as.
void appendAmount(QByteArray& out, Money m)
{
    if (!m.fitsStorage())
        throw DbError(
            QStringLiteral("'%1' 超出金额范围（最大 %2）").arg(m.toString(), Money::fromUnits(Money::MaxStoredUnits).toDisplay()));
    const qint64 u = m.units();
    const quint64 a = u < 0 ? quint64(-u) : quint64(u);
    char digits[32];
    char* end = std::to_chars(digits, digits + sizeof digits, a / 10000).ptr;
    *end++ = '.';
    const unsigned fraction = unsigned(a % 10000);
    for (unsigned d = 1000; d > 0; d /= 10)
        *end++ = char('0' + fraction / d % 10);
    if (u < 0)
        out += '-';
    out.append(digits, end - digits);
}

}  // namespace

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
    const bool server = PgLocation::isServer(db.location());
    // A server's temporary table is never vacuumed: rows deleted run after run would stay behind
    // in it (and in its key's index), to be written around and read past. Emptied, it starts anew.
    db.runNative((server ? QStringLiteral("truncate table ") : QStringLiteral("delete from ")) + table);
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
        // On a server the copy's lines are written here straight from the rows: amounts and texts
        // without a conversion through a variant per cell, the rest as the engine takes them.
        const auto line = [&](qsizetype r, QByteArray& out) {
            const QVector<QVariant>& row = rows.rows[r];
            for (int i = 0; i < columns; ++i) {
                if (i > 0)
                    out += '\t';
                if (i >= row.size()) {
                    out += "\\N";
                    continue;
                }
                const QVariant& v = row[i];
                const int id = v.metaType().id();
                if (v.isNull()) {
                    out += "\\N";
                } else if (types[i] == FieldType::Money && v.metaType() == QMetaType::fromType<Money>()) {
                    appendAmount(out, v.value<Money>());
                } else if (id == QMetaType::QString && (types[i] == FieldType::Text || types[i] == FieldType::Memo)) {
                    const QString& text = *static_cast<const QString*>(v.constData());
                    if (text.isNull())
                        out += "\\N";
                    else
                        appendField(out, text.toUtf8());
                } else {
                    const QVariant& stored = value(row, i);
                    if (stored.isNull() || (stored.metaType().id() == QMetaType::QString && stored.toString().isNull()))
                        out += "\\N";
                    else
                        appendField(out, stored.toString().toUtf8());
                }
            }
            out += '\n';
        };
        if (server && PgDirect::copyLines(db.handle(), table, rows.columns, rows.rows.size(), line, &error)) {
            tx.commit();
            return;
        }
        if (!error.isEmpty())
            throw DbError(error);
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
