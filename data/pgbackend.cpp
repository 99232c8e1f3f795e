// PostgreSQL backend: several workstations on one server database. The Jet dialect maps onto it
// as on SQLite: cdate/cvdate are server functions created with the schema, text columns are
// citext with the "C" collation (=, like and order by ignore the case of Latin letters only, as
// SQLite's NOCASE does, and need no rewriting of the statements), money is numeric(19,4), the
// hidden key is an identity column.
#include "data/pgbackend.h"
#include "core/dates.h"
#include "core/money.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "data/schema.h"

#include <QDateTime>
#include <QHash>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>
#include <QSqlDriver>
#include <libpq-fe.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// Every write transaction takes this lock first, so transactions of different workstations run
// one after the other, as they do on the embedded engine (document numbers read as the highest
// stored one plus one stay unique).
constexpr const char* WriteLock = "SELECT pg_advisory_xact_lock(7311520)";

// The same reading of a Jet date text as on SQLite: year, month, day, optionally hours, minutes
// and seconds; anything else, and any date that does not exist, is an engine error. Declared safe
// in parallel plans: a function that is not keeps every statement naming it in one process.
const char* CdateSql = R"SQL(
CREATE FUNCTION cdate(t text) RETURNS timestamp(0) LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$
DECLARE
  m text[];
BEGIN
  m := regexp_match(t, '^\s*(\d{4})[-/.](\d{1,2})[-/.](\d{1,2})(?:[ T]+(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.\d+)?)?)?\s*$');
  IF m IS NOT NULL AND coalesce(m[4]::int, 0) < 24 AND coalesce(m[5]::int, 0) < 60 AND coalesce(m[6]::int, 0) < 60 THEN
    BEGIN
      RETURN make_timestamp(m[1]::int, m[2]::int, m[3]::int, coalesce(m[4]::int, 0), coalesce(m[5]::int, 0),
                            coalesce(m[6]::int, 0));
    EXCEPTION WHEN others THEN
      NULL;
    END;
  END IF;
  RAISE EXCEPTION USING ERRCODE = '22008', MESSAGE = format('日期格式错误或日期不存在: ''%s''', t);
END
$$)SQL";
const char* CvdateSql =
    "CREATE FUNCTION cvdate(t text) RETURNS timestamp(0) LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS 'SELECT cdate(t)'";

QString columnSql(FieldType t)
{
    switch (t) {
    case FieldType::Text:
    case FieldType::Memo:
        // citext folds with lower(); under "C" only A-Z fold and the order is the code point order.
        return QStringLiteral("citext COLLATE \"C\"");
    case FieldType::Money:
        return QStringLiteral("numeric(19,4)");
    case FieldType::Integer:
        return QStringLiteral("bigint");
    case FieldType::Number:
        return QStringLiteral("double precision");
    case FieldType::DateTime:
        return QStringLiteral("timestamp(0)");
    case FieldType::Boolean:
        // 0/1 as on SQLite, so that the translated true/false/yes/no compare the same way.
        return QStringLiteral("smallint NOT NULL DEFAULT 0");
    }
    return QStringLiteral("citext");
}

QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// The sequence behind a table's identity key, as an expression.
QString sequenceOf(const QString& table)
{
    return QStringLiteral("pg_get_serial_sequence('%1', '%2')").arg(quoted(table), Schema::KeyColumn);
}

// The connection under the driver; null when the driver hands out none. The driver hands its
// connection out under the name of the structure behind PGconn.
PGconn* connectionOf(QSqlDatabase& db)
{
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    const bool isConn = h.isValid() && (qstrcmp(h.typeName(), "pg_conn*") == 0 || qstrcmp(h.typeName(), "PGconn*") == 0);
    return isConn ? *static_cast<PGconn* const*>(h.constData()) : nullptr;
}

// COPY table (columns) FROM STDIN with the given options begun on the connection: false with the
// server's text when it is refused.
bool startCopy(PGconn* conn, const QString& table, const QStringList& columns, const char* options, qsizetype rows, QString* error)
{
    QStringList q;
    for (const QString& c : columns)
        q << quoted(c);
    const QByteArray statement =
        QStringLiteral("COPY %1 (%2) FROM STDIN%3").arg(quoted(table), q.join(QLatin1Char(',')), QString::fromLatin1(options)).toUtf8();
    // Past Database, so traced here: the rows follow as one stream.
    qCDebug(lcSql, "%s [%lld rows]", statement.constData(), qlonglong(rows));
    PGresult* r = PQexec(conn, statement.constData());
    const bool copying = PQresultStatus(r) == PGRES_COPY_IN;
    PQclear(r);
    if (!copying)
        *error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    return copying;
}

// A copy's outcome once its data is through: false with the server's text on failure.
bool copyOutcome(PGconn* conn, bool ok, QString* error)
{
    while (PGresult* res = PQgetResult(conn)) {
        if (PQresultStatus(res) != PGRES_COMMAND_OK)
            ok = false;
        PQclear(res);
    }
    if (!ok)
        *error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    return ok;
}

// The end of a copy, abandoned when not all was sent.
bool endCopy(PGconn* conn, bool sent, QString* error)
{
    const bool ended = PQputCopyEnd(conn, sent ? nullptr : "abandoned") == 1;
    return copyOutcome(conn, sent && ended, error);
}

// The server's types as the driver hands them out; Invalid for a type whose text the driver reads
// itself (dates, times, bytes), which then goes through the driver.
QMetaType::Type plainType(Oid oid)
{
    switch (oid) {
    case 16:  // bool
        return QMetaType::Bool;
    case 20:  // int8
        return QMetaType::LongLong;
    case 21:  // int2
    case 23:  // int4
    case 24:  // regproc
    case 26:  // oid
    case 28:  // xid
    case 29:  // cid
        return QMetaType::Int;
    case 700:   // float4
    case 701:   // float8
    case 1700:  // numeric
        return QMetaType::Double;
    case 1082:  // date
        return QMetaType::QDate;
    case 1114:  // timestamp
        return QMetaType::QDateTime;
    case 17:    // bytea
    case 702:   // abstime
    case 703:   // reltime
    case 1083:  // time
    case 1184:  // timestamptz
    case 1266:  // timetz
        return QMetaType::UnknownType;
    default:  // text, varchar, citext and the rest: text
        return QMetaType::QString;
    }
}

// A value as it came from the driver, in the form the rest of the program reads from SQLite:
// dates as storage text (the driver would hand out local QDateTime values).
QVariant normalised(const QVariant& v)
{
    if (v.metaType().id() == QMetaType::QDateTime && !v.isNull())
        return Dates::toStorage(v.toDateTime());
    return v;
}

// A number read as text: a floating value as the embedded engine gives it, except an amount a
// floating value would not bring back exactly (past 2^51 ten-thousandths), which stays text.
QVariant number(const QString& text)
{
    if (const auto m = Money::parse(text)) {
        const qint64 limit = qint64(1) << 51;
        if (m->units() > limit || m->units() < -limit)
            return text;
    }
    return text.toDouble();
}

// number() of a decimal as the server writes a money column, without a text in between: at most
// fourteen whole digits and four decimals. Up to 2^51 units the value is the units divided as a
// double (both exact, so one correctly rounded division: the nearest double to the decimal, as
// parsing its text gives). Nullopt for any other form, which goes through number().
std::optional<QVariant> quickDecimal(const char* p, int n)
{
    const char* const end = p + n;
    const bool negative = p < end && *p == '-';
    p += negative;
    qint64 units = 0;
    int whole = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        if (++whole > 14)
            return std::nullopt;
        units = units * 10 + (*p - '0');
    }
    if (whole == 0)
        return std::nullopt;
    int decimals = 0;
    if (p < end && *p == '.') {
        for (++p; p < end && *p >= '0' && *p <= '9' && decimals < 4; ++p, ++decimals)
            units = units * 10 + (*p - '0');
    }
    if (p != end)
        return std::nullopt;
    for (; decimals < 4; ++decimals)
        units *= 10;
    if (units > (qint64(1) << 51))
        return QVariant(QString::fromLatin1(end - n, n));
    const double v = double(units) / Money::Scale;
    return QVariant(negative ? -v : v);
}

// number() of a floating value's text the same way: a finite value well below 2^51 units is its
// double (its shortest text reads back to the same double and is no amount past 2^51 units);
// anything else goes through the text.
std::optional<QVariant> quickFloat(const char* p, int n)
{
    double v = 0;
    const auto [end, ec] = std::from_chars(p, p + n, v);
    if (ec != std::errc() || end != p + n || !std::isfinite(v) || std::abs(v) >= 2.2e11)
        return std::nullopt;
    return QVariant(v);
}

class PgBackend final : public SqlBackend {
public:
    QString driverName() const override { return QStringLiteral("QPSQL"); }
    std::unique_ptr<SqlBackend> clone() const override { return std::make_unique<PgBackend>(); }

    bool open(QSqlDatabase& db, const QString& location, QString* error) override
    {
        if (!connect(db, location, error))
            return false;
        const int present = ourTables(db, error);
        if (present < 0)
            return fail(db, error);
        if (present < Schema::tables().size()) {
            *error = present == 0 ? QStringLiteral("数据库中没有本系统的表: %1").arg(PgLocation::display(location))
                                  : QStringLiteral("数据库结构与本系统不符: %1").arg(PgLocation::display(location));
            db.close();
            return false;
        }
        return true;
    }

    bool create(QSqlDatabase& db, const QString& location, QString* error) override
    {
        if (!connect(db, location, error))
            return false;
        const int present = ourTables(db, error);
        if (present < 0)
            return fail(db, error);
        if (present > 0) {
            *error = QStringLiteral("数据库中已有本系统的表，不会覆盖: %1").arg(PgLocation::display(location));
            db.close();
            return false;
        }
        QSqlQuery q(db);
        // citext is a trusted extension: the owner of the database may create it.
        for (const QString& s :
             {QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext"), QStringLiteral("DROP FUNCTION IF EXISTS cvdate(text)"),
              QStringLiteral("DROP FUNCTION IF EXISTS cdate(text)"), QString::fromUtf8(CdateSql), QString::fromUtf8(CvdateSql)}) {
            if (!q.exec(s)) {
                *error = q.lastError().text();
                return fail(db, error);
            }
        }
        return true;
    }

    QString translate(const QString& jet) const override { return JetSql::toPostgres(jet); }
    QString translateKeysOnly(const QString& jet) const override { return JetSql::toPostgres(jet, true); }

    bool selectRows(QSqlDatabase& db, const QString& sql, QStringList* names, QVector<QVector<QVariant>>* rows,
                    QString* error) override
    {
        if (const auto done = plainRows(db, sql, names, rows, error))
            return *done;
        QSqlQuery q(db);
        q.setForwardOnly(true);
        // Numbers as their decimal text, so that a total of sixteen digits stays exact.
        q.setNumericalPrecisionPolicy(QSql::HighPrecision);
        if (!q.exec(sql)) {
            *error = q.lastError().text();
            return false;
        }
        const QSqlRecord rec = q.record();
        QVector<bool> numeric;
        for (int i = 0; i < rec.count(); ++i) {
            *names << rec.fieldName(i);
            numeric << (rec.field(i).metaType().id() == QMetaType::Double);
        }
        while (q.next()) {
            QVector<QVariant> r;
            r.reserve(rec.count());
            for (int i = 0; i < rec.count(); ++i) {
                QVariant v = q.value(i);
                if (numeric[i] && !v.isNull())
                    v = number(v.toString());
                r.push_back(normalised(v));
            }
            rows->push_back(std::move(r));
        }
        return true;
    }

    // A page by one statement per table and columns, prepared once on the connection (a statement
    // of the keys' values was planned anew for every page, the better part of the server's time),
    // and read as one result. In a walk in order the next page's statement is sent before this page
    // is converted, so the server reads it on its own core meanwhile; anything else run on the
    // connection first drops it (settle), so no write or transaction ever meets it or a stale page.
    bool rowsByKey(QSqlDatabase& db, const QString& quotedTable, const QStringList& quotedColumns, const QVector<qint64>& keys,
                   const QVector<qint64>& next, QVector<QVector<QVariant>>* rows, QString* error) override
    {
        PGconn* conn = connectionOf(db);
        if (!conn || keys.isEmpty())
            return SqlBackend::rowsByKey(db, quotedTable, quotedColumns, keys, next, rows, error);
        if (m_preparedOn != conn) {
            m_statements.clear();
            m_preparedOn = conn;
        }
        const QString text = QStringLiteral("SELECT ") + quotedColumns.join(QLatin1Char(',')) + QLatin1Char(',') + Schema::KeyColumn
                             + QStringLiteral(" FROM ") + quotedTable + QStringLiteral(" WHERE ") + Schema::KeyColumn
                             + QStringLiteral(" = ANY($1::bigint[])");
        QByteArray name = m_statements.value(text);
        PGresult* res = nullptr;
        if (m_ahead && m_ahead->conn == conn && !name.isEmpty() && m_ahead->name == name && m_ahead->keys == keys)
            res = takeAhead();  // null when it failed: read again below
        else
            dropAhead();
        // The driver still reading a result of its own: the connection is its until then.
        if (!res && PQtransactionStatus(conn) == PQTRANS_ACTIVE)
            return SqlBackend::rowsByKey(db, quotedTable, quotedColumns, keys, next, rows, error);
        if (!res) {
            if (name.isEmpty()) {
                name = "vel_rows_" + QByteArray::number(++m_statementCount);
                PGresult* p = PQprepare(conn, name.constData(), text.toUtf8().constData(), 0, nullptr);
                const bool prepared = PQresultStatus(p) == PGRES_COMMAND_OK;
                PQclear(p);
                if (!prepared)
                    return rereadPlainly(db, quotedTable, quotedColumns, keys, rows, error);
                m_statements.insert(text, name);
            }
            const QByteArray param = keyArray(keys);
            const char* values[] = {param.constData()};
            res = PQexecPrepared(conn, name.constData(), 1, values, nullptr, nullptr, 0);
            if (PQresultStatus(res) != PGRES_TUPLES_OK) {
                PQclear(res);
                // A table changed under the statement: prepared anew next time.
                m_statements.remove(text);
                return rereadPlainly(db, quotedTable, quotedColumns, keys, rows, error);
            }
        }
        if (!next.isEmpty())
            sendAhead(conn, name, next);
        const bool read = pageRows(res, rows);
        PQclear(res);
        return read || SqlBackend::rowsByKey(db, quotedTable, quotedColumns, keys, {}, rows, error);
    }

    void settle(QSqlDatabase&) override { dropAhead(); }

    QVector<qint64> integerColumn(QSqlDatabase& db, const QString& sql, QString* error) override
    {
        QVector<qint64> out;
        const auto done = plainResults(db, sql, error, [&out](PGresult* res) {
            for (int r = 0; r < PQntuples(res); ++r)
                out.push_back(std::strtoll(PQgetvalue(res, r, 0), nullptr, 10));
            return true;
        });
        return done ? out : SqlBackend::integerColumn(db, sql, error);
    }

    QVariant bindValue(const QVariant& v) const override
    {
        switch (v.metaType().id()) {
        case QMetaType::QDateTime:
            return v.isNull() ? QVariant() : QVariant(Dates::toStorage(v.toDateTime()));
        case QMetaType::QDate:
            return v.isNull() ? QVariant() : QVariant(Dates::toStorage(QDateTime(v.toDate(), QTime(0, 0))));
        case QMetaType::Bool:
            return qint64(v.toBool() ? 1 : 0);
        default:
            return v;
        }
    }

    QString createTableSql(const TableDef& t) const override
    {
        QStringList cols{Schema::KeyColumn + QStringLiteral(" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")};
        for (const auto& c : t.columns) {
            QString def = quoted(c.name) + QLatin1Char(' ') + columnSql(c.type);
            if (t.name == QStringLiteral("汽车租赁登记表") && c.name == Col::客户交车)
                def += QStringLiteral(" DEFAULT '没有'");
            cols << def;
        }
        return QStringLiteral("CREATE TABLE ") + quoted(t.name) + QStringLiteral(" (") + cols.join(QStringLiteral(", "))
               + QStringLiteral(")");
    }

    // The identity's sequence never goes back, whatever rows are deleted.
    QString keyMarkSql(const QString& table) const override
    {
        return QStringLiteral("SELECT pg_sequence_last_value(%1::regclass)").arg(sequenceOf(table));
    }

    QStringList raiseKeysSql(const QString& table, qint64 mark) const override
    {
        // Above the mark, the rows present and what the sequence handed out already.
        return {QStringLiteral("SELECT setval(%1::regclass, m) FROM (SELECT greatest(%2, (SELECT coalesce(max(%3), 0) FROM %4), "
                               "coalesce(pg_sequence_last_value(%1::regclass), 0)) AS m) x WHERE m > 0")
                    .arg(sequenceOf(table))
                    .arg(mark)
                    .arg(Schema::KeyColumn, quoted(table))};
    }

    // Dates as their storage text made by the server: the driver's local date-time values cost a
    // time-zone look-up each, the better part of reading a long list.
    QString readColumn(const QString& quotedColumn, FieldType type) const override
    {
        if (type != FieldType::DateTime)
            return quotedColumn;
        return QStringLiteral("to_char(%1, 'YYYY-MM-DD HH24:MI:SS') AS %1").arg(quotedColumn);
    }

    // The copy protocol: a statement of a hundred rows costs the server a parse of every value and
    // the driver a quoting of each; a stream of lines costs neither.
    bool appendRows(QSqlDatabase& db, const QString& table, const QStringList& columns, qsizetype rows,
                    const std::function<const QVariant&(qsizetype, int)>& value, QString* error) override
    {
        PGconn* conn = connectionOf(db);
        if (!conn)
            return false;
        if (!startCopy(conn, table, columns, "", rows, error))
            return false;
        QByteArray buffer;
        bool sent = true;
        for (qsizetype row = 0; row < rows && sent; ++row) {
            for (int c = 0; c < columns.size(); ++c) {
                if (c > 0)
                    buffer += '\t';
                const QVariant& v = value(row, c);
                // A null text is a null, as the driver binds it.
                if (v.isNull() || (v.metaType().id() == QMetaType::QString && v.toString().isNull())) {
                    buffer += "\\N";
                    continue;
                }
                for (const char ch : v.toString().toUtf8()) {
                    switch (ch) {
                    case '\\':
                        buffer += "\\\\";
                        break;
                    case '\t':
                        buffer += "\\t";
                        break;
                    case '\n':
                        buffer += "\\n";
                        break;
                    case '\r':
                        buffer += "\\r";
                        break;
                    default:
                        buffer += ch;
                    }
                }
            }
            buffer += '\n';
            if (buffer.size() > (1 << 16) || row + 1 == rows) {
                sent = PQputCopyData(conn, buffer.constData(), int(buffer.size())) == 1;
                buffer.clear();
            }
        }
        return endCopy(conn, sent, error);
    }

    // The visibility map too: ordered key reads of a list are index-only scans only when it is set.
    // Table by table: a plain VACUUM of the whole database also visits the shared catalogs, which
    // an owner who is not a superuser may not vacuum (one warning per catalog).
    QStringList afterLoadSql(const QStringList& tables) const override
    {
        QStringList out;
        for (const QString& t : tables)
            out << QStringLiteral("VACUUM ANALYZE \"") + QString(t).replace(QLatin1Char('"'), QStringLiteral("\"\""))
                       + QLatin1Char('"');
        return out;
    }

    bool isBusy(const QSqlError& error) const override
    {
        // lock_not_available (the wait ran out), deadlock_detected, serialization_failure.
        const QString code = error.nativeErrorCode();
        return code == QLatin1String("55P03") || code == QLatin1String("40P01") || code == QLatin1String("40001");
    }

    // By the SQLSTATE the server sends; a connection that broke on the way sends none.
    QString clerkText(QSqlDatabase& db, const QSqlError& error) const override
    {
        const QString code = error.nativeErrorCode();
        const auto is = [&code](const char* c) { return code == QLatin1String(c); };
        // program_limit_exceeded (an index entry or a row too large), string_data_right_truncation.
        if (is("54000") || is("22001"))
            return engineFaultText(EngineFault::TooLong);
        // character_not_in_repertoire (a NUL, bytes that are not UTF-8), untranslatable_character.
        if (is("22021") || is("22P05"))
            return engineFaultText(EngineFault::BadCharacter);
        if (is("23505"))
            return engineFaultText(EngineFault::Duplicate);
        if (code.startsWith(QLatin1String("23")))
            return engineFaultText(EngineFault::Rule);
        if (isBusy(error))
            return engineFaultText(EngineFault::Busy);
        if (is("57014"))
            return engineFaultText(EngineFault::TimedOut);
        // connection_exception, and the server shutting down or ending this session.
        if (code.startsWith(QLatin1String("08")) || is("57P01") || is("57P02") || is("57P03")
            || (code.isEmpty() && connectionLost(db)))
            return engineFaultText(EngineFault::ConnectionLost);
        if (is("53100"))
            return engineFaultText(EngineFault::DiskFull);
        // read_only_sql_transaction: a standby server.
        if (is("25006"))
            return engineFaultText(EngineFault::ReadOnly);
        return {};
    }

    QString afterBeginStatement() const override { return QString::fromLatin1(WriteLock); }

    QString sameValue(const QString& quotedColumn, FieldType type) const override
    {
        // Text compares as text, byte for byte, not through the column's case-blind comparison.
        if (type == FieldType::Text || type == FieldType::Memo)
            return quotedColumn + QStringLiteral("::text IS NOT DISTINCT FROM ?::text");
        return quotedColumn + QStringLiteral(" IS NOT DISTINCT FROM ?");
    }

    void setBusyTimeout(QSqlDatabase& db, int milliseconds) override
    {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SET lock_timeout = %1").arg(milliseconds));
    }

    QStringList createIndexSql() const override
    {
        struct Index {
            const char* name;
            const char* table;
            const char* columns;
        };
        // Every list reads its keys ordered by its columns and then by the hidden key (ties in
        // insertion order): with that key as the last index column the read is an index-only scan
        // instead of a sort of every row.
        static const Index ordered[] = {
            {"ix_zl_plate", "汽车租赁登记表", "车牌号, 发车日期"},
            {"ix_zl_no", "汽车租赁登记表", "内部编号"},
            {"ix_zl_customer", "汽车租赁登记表", "客户号"},
            {"ix_zl_open", "汽车租赁登记表", "客户交车"},
            {"ix_da_plate", "汽车档案", "车牌号"},
            {"ix_kh_no", "客户登记表", "客户号"},
            {"ix_yd_no", "客户预订汽车", "内部编号"},
            {"ix_rjz_date", "现金日记帐", "日期"},
            {"ix_rjz_note", "现金日记帐", "备注"},
            {"ix_hy_plate", "换油记录表", "车牌号, 换油时间"},
            {"ix_wx_plate", "车辆维修记录表", "车牌号, 维修时间"},
            {"ix_sg_plate", "事故登记表", "车牌号, 事故时间"},
        };
        // The searched columns as the translated like reads them (lower-cased text, "C" order), so a
        // prefix search by plate, customer number or name narrows through an index.
        static const Index searched[] = {
            {"ix_zl_plate_l", "汽车租赁登记表", "车牌号"}, {"ix_zl_customer_l", "汽车租赁登记表", "客户号"},
            {"ix_kh_no_l", "客户登记表", "客户号"},        {"ix_kh_name_l", "客户登记表", "客户姓名"},
            {"ix_hy_plate_l", "换油记录表", "车牌号"},     {"ix_wx_plate_l", "车辆维修记录表", "车牌号"},
            {"ix_sg_plate_l", "事故登记表", "车牌号"},
        };
        QStringList sql;
        for (const Index& i : ordered)
            sql << QStringLiteral("CREATE INDEX %1 ON %2 (%3, %4)")
                       .arg(QString::fromUtf8(i.name), QString::fromUtf8(i.table), QString::fromUtf8(i.columns), Schema::KeyColumn);
        for (const Index& i : searched)
            sql << QStringLiteral("CREATE INDEX %1 ON %2 ((lower(%3::text) COLLATE \"C\"))")
                       .arg(QString::fromUtf8(i.name), QString::fromUtf8(i.table), QString::fromUtf8(i.columns));
        return sql;
    }

private:
    // A page sent ahead of being asked for; its result waits on the connection.
    struct Ahead {
        PGconn* conn = nullptr;
        QByteArray name;
        QVector<qint64> keys;
    };
    std::optional<Ahead> m_ahead;
    PGconn* m_preparedOn = nullptr;           // the connection the statements below are prepared on
    QHash<QString, QByteArray> m_statements;  // a page's statement text: its prepared name
    int m_statementCount = 0;

    static QByteArray keyArray(const QVector<qint64>& keys)
    {
        QByteArray out;
        out.reserve(keys.size() * 8 + 2);
        out += '{';
        char digits[24];
        for (qint64 k : keys) {
            if (out.size() > 1)
                out += ',';
            out.append(digits, std::to_chars(digits, digits + sizeof digits, k).ptr - digits);
        }
        out += '}';
        return out;
    }

    void sendAhead(PGconn* conn, const QByteArray& name, const QVector<qint64>& keys)
    {
        const QByteArray param = keyArray(keys);
        const char* values[] = {param.constData()};
        if (PQsendQueryPrepared(conn, name.constData(), 1, values, nullptr, nullptr, 0))
            m_ahead = Ahead{conn, name, keys};
    }

    // The page sent ahead, or null when it failed (the failure then comes again from the read).
    PGresult* takeAhead()
    {
        PGconn* conn = m_ahead->conn;
        m_ahead.reset();
        PGresult* page = nullptr;
        while (PGresult* r = PQgetResult(conn)) {
            if (!page && PQresultStatus(r) == PGRES_TUPLES_OK)
                page = r;
            else
                PQclear(r);
        }
        return page;
    }

    void dropAhead()
    {
        if (m_ahead)
            PQclear(takeAhead());
    }

    // The page by a plain statement, as before there were prepared ones; inside a transaction the
    // failure itself is the answer (the transaction is aborted).
    bool rereadPlainly(QSqlDatabase& db, const QString& quotedTable, const QStringList& quotedColumns, const QVector<qint64>& keys,
                       QVector<QVector<QVariant>>* rows, QString* error)
    {
        PGconn* conn = connectionOf(db);
        if (PQtransactionStatus(conn) != PQTRANS_IDLE) {
            *error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
            return false;
        }
        return SqlBackend::rowsByKey(db, quotedTable, quotedColumns, keys, {}, rows, error);
    }

    // A page's rows as plainRows reads them; false for a column of a type only the driver reads.
    static bool pageRows(PGresult* res, QVector<QVector<QVariant>>* rows)
    {
        QVector<QMetaType::Type> types;
        for (int c = 0; c < PQnfields(res); ++c) {
            types << plainType(PQftype(res, c));
            if (types.back() == QMetaType::UnknownType)
                return false;
            if (PQftype(res, c) == 1700)
                types.back() = QMetaType::QString;
        }
        rows->reserve(rows->size() + PQntuples(res));
        for (int r = 0; r < PQntuples(res); ++r)
            rows->push_back(plainRow(res, r, types));
        return true;
    }

    static bool connectionLost(QSqlDatabase& db)
    {
        PGconn* conn = connectionOf(db);
        return conn && PQstatus(conn) == CONNECTION_BAD;
    }

    // A select run on the connection itself, past the driver: its values are read straight from
    // the server's text, a row at a time, without the driver's record and value objects for every
    // cell (most of the time of reading a long list on a server). Each row goes to take (false:
    // the rest are drained unread). Nullopt, with nothing read, where the driver must run it: no
    // connection handed out, or one still busy with a result the driver is reading.
    static std::optional<bool> plainResults(QSqlDatabase& db, const QString& sql, QString* error,
                                            const std::function<bool(PGresult*)>& take)
    {
        PGconn* conn = connectionOf(db);
        if (!conn || PQtransactionStatus(conn) == PQTRANS_ACTIVE || !PQsendQuery(conn, sql.toUtf8().constData()))
            return std::nullopt;
        PQsetSingleRowMode(conn);
        bool taking = true;
        bool ok = true;
        while (PGresult* r = PQgetResult(conn)) {
            const ExecStatusType status = PQresultStatus(r);
            if (status == PGRES_SINGLE_TUPLE || (status == PGRES_TUPLES_OK && PQntuples(r) > 0)) {
                if (taking)
                    taking = take(r);
            } else if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK && ok) {
                ok = false;
                *error = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
            }
            if (status == PGRES_TUPLES_OK && PQntuples(r) == 0 && taking && ok)
                taking = take(r);  // the columns of a result without rows
            PQclear(r);
        }
        return ok;
    }

    // selectRows as the driver reads (the same types, nulls typed as the driver types them, numbers
    // by number(), dates as storage text); nullopt where the driver must read it, also for a
    // column of a type whose text only the driver reads.
    static std::optional<bool> plainRows(QSqlDatabase& db, const QString& sql, QStringList* names, QVector<QVector<QVariant>>* rows,
                                         QString* error)
    {
        QVector<QMetaType::Type> types;
        bool readable = true;
        const auto done = plainResults(db, sql, error, [&](PGresult* res) {
            const int columns = PQnfields(res);
            if (types.isEmpty() && columns > 0) {
                for (int c = 0; c < columns; ++c) {
                    types << plainType(PQftype(res, c));
                    readable = readable && types.back() != QMetaType::UnknownType;
                    if (PQftype(res, c) == 1700)
                        types.back() = QMetaType::QString;  // numeric: read as its decimal text
                }
                if (!readable)
                    return false;
                for (int c = 0; c < columns; ++c)
                    *names << QString::fromUtf8(PQfname(res, c));
            }
            for (int r = 0; r < PQntuples(res); ++r)
                rows->push_back(plainRow(res, r, types));
            return true;
        });
        if (!done || (*done && !readable)) {
            names->clear();
            rows->clear();
            return std::nullopt;
        }
        return done;
    }

    static QVector<QVariant> plainRow(PGresult* res, int r, const QVector<QMetaType::Type>& types)
    {
        QVector<QVariant> row;
        row.reserve(types.size());
        for (int c = 0; c < types.size(); ++c) {
            const QMetaType::Type type = types[c];
            if (PQgetisnull(res, r, c)) {
                row.push_back(QVariant(QMetaType(type == QMetaType::QString && PQftype(res, c) == 1700 ? QMetaType::Double : type)));
                continue;
            }
            const char* text = PQgetvalue(res, r, c);
            const QByteArray bytes = QByteArray::fromRawData(text, PQgetlength(res, r, c));
            switch (type) {
            case QMetaType::Bool:
                row.push_back(QVariant(text[0] == 't'));
                break;
            case QMetaType::LongLong: {
                // As the driver does: a value not below zero as an unsigned one.
                const char* end = text + bytes.size();
                if (text[0] == '-') {
                    qlonglong v = 0;
                    row.push_back(std::from_chars(text, end, v).ptr == end ? QVariant(v) : QVariant(bytes.toLongLong()));
                } else {
                    qulonglong v = 0;
                    row.push_back(std::from_chars(text, end, v).ptr == end ? QVariant(v) : QVariant(bytes.toULongLong()));
                }
                break;
            }
            case QMetaType::Int:
                row.push_back(QVariant(std::atoi(text)));
                break;
            case QMetaType::Double:
                // A floating value through its shortest text, as the driver's value is read.
                if (auto v = quickFloat(text, int(bytes.size())))
                    row.push_back(std::move(*v));
                else
                    row.push_back(number(QVariant(bytes.toDouble()).toString()));
                break;
            case QMetaType::QDate:
                row.push_back(QVariant(QDate::fromString(QString::fromLatin1(bytes), Qt::ISODate)));
                break;
            case QMetaType::QDateTime:
                // A whole second is its storage text already.
                if (bytes.size() == 19)
                    row.push_back(QVariant(QString::fromLatin1(bytes)));
                else
                    row.push_back(normalised(QDateTime::fromString(QString::fromLatin1(bytes).replace(u' ', u'T'), Qt::ISODate)));
                break;
            default:
                if (PQftype(res, c) != 1700)
                    row.push_back(QVariant(QString::fromUtf8(bytes)));
                else if (auto v = quickDecimal(text, int(bytes.size())))
                    row.push_back(std::move(*v));
                else
                    row.push_back(number(QString::fromLatin1(bytes)));
            }
        }
        return row;
    }

    static bool fail(QSqlDatabase& db, QString*)
    {
        db.close();
        return false;
    }

    bool connect(QSqlDatabase& db, const QString& location, QString* error)
    {
        // A new connection: nothing sent ahead on it, nothing prepared.
        m_ahead.reset();
        m_preparedOn = nullptr;
        m_statements.clear();
        PgLocation loc;
        if (!PgLocation::parse(location, &loc, error))
            return false;
        db.setHostName(loc.host);
        if (loc.port > 0)
            db.setPort(loc.port);
        db.setUserName(loc.user);
        db.setPassword(loc.password);
        db.setDatabaseName(loc.database);
        db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=velmira"));
        if (!db.open()) {
            *error = QStringLiteral("无法连接数据库服务器 %1: %2").arg(PgLocation::display(location), db.lastError().text());
            return false;
        }
        // citext folds letters by the database's character classes: only under "C" are these
        // exactly A-Z, as on the embedded engine (and as the original engine compared text).
        QSqlQuery q(db);
        if (!q.exec(
                QStringLiteral("SELECT datctype, pg_encoding_to_char(encoding) FROM pg_database WHERE datname = current_database()"))
            || !q.next()) {
            *error = q.lastError().text();
            return fail(db, error);
        }
        const QString ctype = q.value(0).toString();
        if ((ctype != QLatin1String("C") && ctype != QLatin1String("POSIX")) || q.value(1).toString() != QLatin1String("UTF8")) {
            *error =
                QStringLiteral(
                    "数据库 %1 的编码为 %2、字符分类为 %3，应为 UTF8 和 C（建立方法: createdb -E UTF8 --locale=C -T template0 <数据库名>）")
                    .arg(loc.database, q.value(1).toString(), ctype);
            return fail(db, error);
        }
        for (const char* s :
             {"SET client_encoding = 'UTF8'", "SET client_min_messages = warning", "SET lock_timeout = 5000", "SET TIME ZONE 'UTC'"}) {
            if (!q.exec(QString::fromLatin1(s))) {
                *error = q.lastError().text();
                return fail(db, error);
            }
        }
        return true;
    }

    // How many of the sixteen tables the database holds; -1 with the engine text on error.
    static int ourTables(QSqlDatabase& db, QString* error)
    {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema()"))) {
            *error = q.lastError().text();
            return -1;
        }
        int n = 0;
        while (q.next())
            n += Schema::table(q.value(0).toString()) != nullptr;
        return n;
    }
};

}  // namespace

bool PgLocation::isServer(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
           || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

bool PgLocation::parse(const QString& location, PgLocation* out, QString* error)
{
    const QUrl url(location, QUrl::StrictMode);
    if (!isServer(location) || !url.isValid() || url.path().size() < 2) {
        *error = QStringLiteral("数据库连接设置不正确（应为 postgresql://用户@主机:端口/数据库）: %1").arg(display(location));
        return false;
    }
    out->host = url.host();
    out->port = url.port(-1);
    out->user = url.userName();
    out->password = url.password();
    out->database = url.path().mid(1);
    // A socket folder is given as ?host=/path, as libpq does.
    const QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("host")))
        out->host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (query.hasQueryItem(QStringLiteral("port")))
        out->port = query.queryItemValue(QStringLiteral("port")).toInt();
    return true;
}

QString PgLocation::display(const QString& location)
{
    QUrl url(location);
    if (!url.password().isEmpty())
        url.setPassword(QStringLiteral("***"));
    return url.isValid() ? url.toDisplayString() : location;
}

std::unique_ptr<SqlBackend> makePgBackend()
{
    return std::make_unique<PgBackend>();
}

namespace PgDirect {

bool eachRow(QSqlDatabase& db, const QString& sql, const RowCells& row, QString* error)
{
    PGconn* conn = connectionOf(db);
    if (!conn || PQtransactionStatus(conn) == PQTRANS_ACTIVE)
        return false;
    qCDebug(lcSql, "%s", sql.toUtf8().constData());
    // The whole result at once: a row at a time costs a result object per row.
    PGresult* r = PQexec(conn, sql.toUtf8().constData());
    const bool ok = PQresultStatus(r) == PGRES_TUPLES_OK;
    if (!ok) {
        *error = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
        if (error->isEmpty())
            *error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    } else {
        const int columns = PQnfields(r);
        std::vector<const char*> cells(static_cast<size_t>(columns));
        std::vector<int> lengths(static_cast<size_t>(columns));
        try {
            for (int i = 0; i < PQntuples(r); ++i) {
                for (int c = 0; c < columns; ++c) {
                    cells[size_t(c)] = PQgetisnull(r, i, c) ? nullptr : PQgetvalue(r, i, c);
                    lengths[size_t(c)] = PQgetlength(r, i, c);
                }
                row(cells.data(), lengths.data());
            }
        } catch (...) {
            PQclear(r);
            throw;
        }
    }
    PQclear(r);
    return ok;
}

bool copyBinary(QSqlDatabase& db, const QString& table, const QStringList& columns, qsizetype rows,
                const std::function<bool(QByteArray&)>& more, QString* error)
{
    PGconn* conn = connectionOf(db);
    if (!conn)
        return false;
    if (!startCopy(conn, table, columns, " (FORMAT binary)", rows, error))
        return false;
    QByteArray buffer;
    buffer.reserve(1 << 17);
    // The signature, no flags, no header extension.
    buffer.append("PGCOPY\n\377\r\n\0\0\0\0\0\0\0\0\0", 19);
    bool sent = true, left = true;
    while (left && sent) {
        try {
            left = more(buffer);
        } catch (...) {
            QString ignored;  // the exception says what went wrong
            endCopy(conn, false, &ignored);
            throw;
        }
        if (!left)
            buffer.append("\377\377", 2);  // the trailer: a field count of -1
        if (buffer.size() > (1 << 15) || !left) {
            sent = PQputCopyData(conn, buffer.constData(), int(buffer.size())) == 1;
            buffer.resize(0);
        }
    }
    return endCopy(conn, sent, error);
}

bool eachCopiedBinaryRow(QSqlDatabase& db, const QString& sql, const RowCells& row, QString* error)
{
    PGconn* conn = connectionOf(db);
    if (!conn || PQtransactionStatus(conn) == PQTRANS_ACTIVE)
        return false;
    const QByteArray statement = QStringLiteral("COPY (%1) TO STDOUT (FORMAT binary)").arg(sql).toUtf8();
    qCDebug(lcSql, "%s", statement.constData());
    PGresult* r = PQexec(conn, statement.constData());
    const bool copying = PQresultStatus(r) == PGRES_COPY_OUT;
    PQclear(r);
    if (!copying) {
        *error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
        return false;
    }
    const auto int16 = [](const char* p) { return qint16(quint16((uchar(p[0]) << 8) | uchar(p[1]))); };
    const auto int32 = [](const char* p) {
        return qint32((quint32(uchar(p[0])) << 24) | (quint32(uchar(p[1])) << 16) | (quint32(uchar(p[2])) << 8) | uchar(p[3]));
    };
    std::vector<const char*> cells;
    std::vector<int> lengths;
    bool header = true, malformed = false;
    for (;;) {
        char* message = nullptr;
        const int n = PQgetCopyData(conn, &message, 0);
        if (n < 0)
            break;  // -1: done; -2: failed, said by the result
        try {
            // The server sends a tuple per message, the header before the first: the signature,
            // the flags and the length of an extension to skip.
            const char* p = message;
            const char* const end = message + n;
            if (header) {
                header = false;
                if (n < 19 || std::memcmp(p, "PGCOPY\n\377\r\n\0", 11) != 0 || 19 + qint64(quint32(int32(p + 15))) > n) {
                    malformed = true;
                } else {
                    p += 19 + quint32(int32(p + 15));
                }
            }
            // Each tuple: its field count (-1 ends the data), then each field's length (-1: null) and bytes.
            while (!malformed && end - p >= 2) {
                const int fields = int16(p);
                p += 2;
                if (fields < 0)
                    break;
                cells.resize(size_t(fields));
                lengths.resize(size_t(fields));
                for (int f = 0; f < fields && !malformed; ++f) {
                    const qint32 length = end - p >= 4 ? int32(p) : -2;
                    p += 4;
                    malformed = length < -1 || (length > 0 && end - p < length);
                    cells[size_t(f)] = length < 0 ? nullptr : p;
                    lengths[size_t(f)] = std::max(length, 0);
                    p += std::max(length, 0);
                }
                if (!malformed)
                    row(cells.data(), lengths.data());
            }
            PQfreemem(message);
        } catch (...) {
            PQfreemem(message);
            // The rest of the rows read and dropped, so the connection stays usable.
            char* rest = nullptr;
            while (PQgetCopyData(conn, &rest, 0) >= 0)
                PQfreemem(rest);
            copyOutcome(conn, true, error);
            throw;
        }
    }
    const bool ok = copyOutcome(conn, true, error);
    if (ok && malformed)
        *error = QStringLiteral("服务器返回的数据格式不正确");
    return ok && !malformed;
}

}  // namespace PgDirect
