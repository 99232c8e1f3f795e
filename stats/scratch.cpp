#include "stats/scratch.h"
#include "core/money.h"
#include "data/database.h"
#include "data/pgbackend.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <bit>
#include <cstring>
#include <QDate>
#include <QStringEncoder>

namespace Scratch {

void replace(Database& db, const ScratchRows& rows)
{
    replaceTable(db, Table, rows);
}

namespace {

// Bytes gathered on the stack and appended to a buffer a row at a time: appending each field's few
// bytes on its own costs more than making them.
class Bytes {
public:
    explicit Bytes(QByteArray& to) : m_to(to) {}
    void append(const char* bytes, qsizetype n)
    {
        if (m_n + n > qsizetype(sizeof m_buffer)) {
            flush();
            if (n > qsizetype(sizeof m_buffer)) {
                m_to.append(bytes, n);
                return;
            }
        }
        std::memcpy(m_buffer + m_n, bytes, size_t(n));
        m_n += n;
    }
    Bytes& operator+=(const QByteArray& bytes)
    {
        append(bytes.constData(), bytes.size());
        return *this;
    }
    void flush()
    {
        m_to.append(m_buffer, m_n);
        m_n = 0;
    }
    // Room for n bytes to be written in place and then taken by used(); nullptr when n never fits.
    char* space(qsizetype n)
    {
        if (m_n + n > qsizetype(sizeof m_buffer))
            flush();
        return n <= qsizetype(sizeof m_buffer) ? m_buffer + m_n : nullptr;
    }
    void used(qsizetype n) { m_n += n; }

private:
    QByteArray& m_to;
    char m_buffer[512];
    qsizetype m_n = 0;
};

// The binary copy format: big-endian integers, each field its length (-1: null) and its bytes.
template <typename T>
void put(Bytes& out, T v)
{
    char bytes[sizeof(T)];
    auto u = static_cast<std::make_unsigned_t<T>>(v);
    for (int i = int(sizeof(T)) - 1; i >= 0; --i, u >>= 8)
        bytes[i] = char(u & 0xff);
    out.append(bytes, sizeof(T));
}

void putNull(Bytes& out)
{
    put<qint32>(out, -1);
}

void putBytes(Bytes& out, const QByteArray& bytes)
{
    put<qint32>(out, qint32(bytes.size()));
    out += bytes;
}

// The very same text given again (a column repeated down the rows), told without comparing it;
// shared storage only, so a null text and an empty one never count as the same.
bool sameText(const QString& a, const QString& b)
{
    return a.isSharedWith(b) && a.constData() == b.constData() && a.size() == b.size();
}

// A text as UTF-8 (as QString::toUtf8 writes it), encoded in place where it fits.
void putText(Bytes& out, QStringView text)
{
    static constexpr QStringEncoder::Flags flags = QStringEncoder::Flag::Stateless;
    QStringEncoder utf8(QStringEncoder::Utf8, flags);
    if (char* at = out.space(4 + utf8.requiredSpace(text.size()))) {
        const qsizetype n = utf8.appendToBuffer(at + 4, text) - (at + 4);
        const quint32 u = quint32(n);
        const char be[4] = {char(u >> 24), char(u >> 16), char(u >> 8), char(u)};
        std::memcpy(at, be, 4);
        out.used(4 + n);
        return;
    }
    putBytes(out, text.toUtf8());
}

// An amount as the server's numeric: base-10000 digits, the last one the four decimals.
void putAmount(Bytes& out, Money m)
{
    // Bound as a floating value, an amount beyond fifteen digits would come back as another one.
    if (!m.fitsStorage())
        throw DbError(
            QStringLiteral("'%1' 超出金额范围（最大 %2）").arg(m.toString(), Money::fromUnits(Money::MaxStoredUnits).toDisplay()));
    const qint64 u = m.units();
    quint64 whole = quint64(u < 0 ? -u : u) / 10000;
    const qint16 fraction = qint16(quint64(u < 0 ? -u : u) % 10000);
    qint16 digits[8];
    int n = 0;
    for (; whole > 0; whole /= 10000)
        digits[n++] = qint16(whole % 10000);
    std::reverse(digits, digits + n);
    const qint16 weight = qint16(n - 1);
    if (fraction != 0)
        digits[n++] = fraction;
    put<qint32>(out, 8 + 2 * n);
    put<qint16>(out, qint16(n));
    put<qint16>(out, n == 0 ? 0 : weight);
    put<quint16>(out, u < 0 ? 0x4000 : 0);
    put<qint16>(out, 4);
    for (int i = 0; i < n; ++i)
        put<qint16>(out, digits[i]);
}

// A storage text "2004-03-01 12:00:00" as the server's timestamp: microseconds from 2000-01-01.
void putDateTime(Bytes& out, const QString& text)
{
    const auto field = [&](int from, int length) {
        int v = 0;
        for (int i = from; i < from + length; ++i) {
            const QChar c = text[i];
            if (!c.isDigit())
                throw DbError(QStringLiteral("'%1' 不是有效的日期").arg(text));
            v = v * 10 + c.digitValue();
        }
        return v;
    };
    if (text.size() != 19)
        throw DbError(QStringLiteral("'%1' 不是有效的日期").arg(text));
    const QDate day(field(0, 4), field(5, 2), field(8, 2));
    if (!day.isValid())
        throw DbError(QStringLiteral("'%1' 不是有效的日期").arg(text));
    const qint64 seconds = QDate(2000, 1, 1).daysTo(day) * 86400 + field(11, 2) * 3600 + field(14, 2) * 60 + field(17, 2);
    put<qint32>(out, 8);
    put<qint64>(out, seconds * 1000000);
}

// A value in storage form (RecordSet::toStorage) as the server's binary form of its column.
void putStored(Bytes& out, const QVariant& v, FieldType type)
{
    if (v.isNull() || (v.metaType().id() == QMetaType::QString && v.toString().isNull())) {
        putNull(out);
        return;
    }
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo:
        putBytes(out, v.toString().toUtf8());
        return;
    case FieldType::Money:
        if (const auto m = Money::fromStored(v.toDouble()))
            putAmount(out, *m);
        else
            throw DbError(QStringLiteral("'%1' 不是有效的金额").arg(v.toString()));
        return;
    case FieldType::Number: {
        put<qint32>(out, 8);
        put<quint64>(out, std::bit_cast<quint64>(v.toDouble()));
        return;
    }
    case FieldType::Integer:
        put<qint32>(out, 8);
        put<qint64>(out, v.toLongLong());
        return;
    case FieldType::DateTime:
        putDateTime(out, v.toString());
        return;
    case FieldType::Boolean:
        put<qint32>(out, 2);
        put<qint16>(out, qint16(v.toLongLong()));
        return;
    }
}

// From this many rows on a server's copy builds the key index after the rows.
constexpr qsizetype ManyRows = 1000;

// The rows given, or (next set) the rows next() makes batch by batch.
void write(Database& db, const QString& table, const QStringList& names, const ScratchRows* given,
           const std::function<bool(ScratchRows&)>& next)
{
    QVector<FieldType> types;
    QStringList quoted, marks;
    for (const QString& c : names) {
        types << Schema::columnType(table, c);
        quoted << QLatin1Char('"') + c + QLatin1Char('"');
        marks << QStringLiteral("?");
    }
    Transaction tx(db);
    const bool server = PgLocation::isServer(db.location());
    // A server's temporary table is never vacuumed: rows deleted run after run would stay behind
    // in it (and in its key's index), to be written around and read past. Emptied, it starts anew.
    db.runNative((server ? QStringLiteral("truncate table ") : QStringLiteral("delete from ")) + table);
    ScratchRows gathered(names);
    if (next && !server)
        while (next(gathered)) {
        }
    const ScratchRows& rows = next ? gathered : *given;
    if (!rows.rows.isEmpty() || (next && server)) {
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
        QVector<QByteArray> lastBytes(columns);  // lastOut in the binary copy's form, once asked for
        const QVariant none;
        const auto value = [&](const QVector<QVariant>& row, int i) -> const QVariant& {
            const QVariant& v = i < row.size() ? row[i] : none;
            // A text given again (the range dates of every row) is the same one, not only an equal one.
            const auto* text = v.metaType().id() == QMetaType::QString ? static_cast<const QString*>(v.constData()) : nullptr;
            const auto* last = lastIn[i].metaType().id() == QMetaType::QString ? static_cast<const QString*>(lastIn[i].constData())
                                                                               : nullptr;
            const bool same = text && last && sameText(*text, *last);
            if (!known[i] || (!same && (v.metaType() != lastIn[i].metaType() || v != lastIn[i]))) {
                lastOut[i] = RecordSet::toStorage(v, types[i]);
                lastIn[i] = v;
                known[i] = true;
                lastBytes[i].clear();
            }
            return lastOut[i];
        };
        QString error;
        // On a server the rows go in the copy's binary form, written here straight from them:
        // amounts and texts without a conversion through a variant per cell, and nothing for the
        // server to parse; the rest converted as the engine takes them.
        QVector<QString> lastText(columns);  // a text repeated down a column (a vehicle's rows) encoded once
        QVector<QByteArray> lastUtf8(columns);
        QVector<bool> lastEncoded(columns, false);
        const auto binaryRow = [&](const QVector<QVariant>& row, QByteArray& to) {
            Bytes out(to);
            put<qint16>(out, qint16(columns));
            for (int i = 0; i < columns; ++i) {
                if (i >= row.size()) {
                    putNull(out);
                    continue;
                }
                const QVariant& v = row[i];
                if (types[i] == FieldType::Money && v.metaType() == QMetaType::fromType<Money>()) {
                    putAmount(out, v.value<Money>());
                } else if (v.metaType().id() == QMetaType::QString && (types[i] == FieldType::Text || types[i] == FieldType::Memo)) {
                    const QString& text = *static_cast<const QString*>(v.constData());
                    if (text.isNull()) {
                        putNull(out);
                        continue;
                    }
                    if (!sameText(text, lastText[i])) {
                        lastText[i] = text;
                        lastEncoded[i] = false;
                        putText(out, text);
                        continue;
                    }
                    if (!lastEncoded[i]) {
                        lastUtf8[i] = text.toUtf8();
                        lastEncoded[i] = true;
                    }
                    putBytes(out, lastUtf8[i]);
                } else {
                    const QVariant& stored = value(row, i);
                    if (lastBytes[i].isEmpty()) {
                        Bytes b(lastBytes[i]);
                        putStored(b, stored, types[i]);
                        b.flush();
                    }
                    out += lastBytes[i];
                }
            }
            out.flush();
        };
        ScratchRows batch(names);
        qsizetype sent = 0;
        const auto more = [&](QByteArray& out) {
            if (!next) {
                // The rows given, a few at a time so that the first ones are on their way early.
                const qsizetype end = std::min(rows.rows.size(), sent + 64);
                for (; sent < end; ++sent)
                    binaryRow(rows.rows[sent], out);
                return sent < rows.rows.size();
            }
            batch.rows.resize(0);
            const bool left = next(batch);
            for (const QVector<QVariant>& row : std::as_const(batch.rows))
                binaryRow(row, out);
            return left;
        };
        if (server) {
            // Many rows: the table's key index is built once after them (a sort) rather than
            // entered row by row, which costs the server as much as the rows themselves. A failure
            // rolls back with the rest and leaves the index as it was.
            QString key;
            if (next || rows.rows.size() >= ManyRows) {
                QSqlQuery k = db.runNative(
                    QStringLiteral("select conname from pg_constraint where conrelid = '\"%1\"'::regclass and contype = 'p'")
                        .arg(table));
                if (k.next()) {
                    key = QLatin1Char('"') + k.value(0).toString() + QLatin1Char('"');
                    db.runNative(QStringLiteral("alter table \"%1\" drop constraint %2").arg(table, key));
                }
            }
            const bool copied = PgDirect::copyBinary(db.handle(), table, names, next ? -1 : rows.rows.size(), more, &error);
            if (!error.isEmpty())
                throw DbError(error);
            if (!key.isEmpty())
                db.runNative(
                    QStringLiteral("alter table \"%1\" add constraint %2 primary key (%3)").arg(table, key, Schema::KeyColumn));
            if (copied) {
                tx.commit();
                return;
            }
        }
        const bool appended = db.backend().appendRows(
            db.handle(), table, names, rows.rows.size(), [&](qsizetype r, int i) -> const QVariant& { return value(rows.rows[r], i); },
            &error);
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

}  // namespace

void replaceTable(Database& db, const QString& table, const ScratchRows& rows)
{
    write(db, table, rows.columns, &rows, {});
}

void replaceInBatches(Database& db, const QStringList& columns, const std::function<bool(ScratchRows&)>& next)
{
    write(db, Table, columns, nullptr, next);
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
