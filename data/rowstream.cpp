#include "data/rowstream.h"

#include "core/dates.h"
#include "core/money.h"
#include "data/amounts.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "data/recordset.h"
#include "data/sqlitefile.h"

#include <QDate>
#include <QSqlDriver>
#include <QTime>

#include <charconv>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

// One value as the engine hands it over, before it is turned into text.
struct Raw {
    enum Kind { Null, Int, Float, Text, Decimal };  // Decimal: the server's numeric or floating text
    Kind kind = Null;
    qint64 i = 0;
    double d = 0;
    const char* p = nullptr;
    int n = 0;
    std::string_view text() const { return {p, size_t(n)}; }
};

// A forward statement on the engine: the shown columns and the hidden key last.
class EngineRows {
public:
    virtual ~EngineRows() = default;
    virtual bool step() = 0;
    virtual Raw value(int column) const = 0;
};

class SqliteRows final : public EngineRows {
public:
    SqliteRows(sqlite3* h, sqlite3_stmt* st) : m_h(h), m_st(st) {}
    ~SqliteRows() override
    {
        sqlite3_finalize(m_st);
        // A print or an export has filled the connection's page cache with pages no screen needs:
        // they are handed back (a later read of them comes from the system's file cache).
        sqlite3_db_release_memory(m_h);
    }

    bool step() override
    {
        const int rc = sqlite3_step(m_st);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(m_h)));
        return false;
    }

    Raw value(int c) const override
    {
        // One call through the connection's lock per cell; the value is read on this thread alone.
        sqlite3_value* v = sqlite3_column_value(m_st, c);
        Raw r;
        switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
            break;
        case SQLITE_INTEGER:
            r.kind = Raw::Int;
            r.i = sqlite3_value_int64(v);
            break;
        case SQLITE_FLOAT:
            r.kind = Raw::Float;
            r.d = sqlite3_value_double(v);
            break;
        default:
            r.kind = Raw::Text;
            r.p = reinterpret_cast<const char*>(sqlite3_value_text(v));
            r.n = sqlite3_value_bytes(v);
        }
        return r;
    }

private:
    sqlite3* m_h;
    sqlite3_stmt* m_st;
};

// The server's rows through a copy stream, as the text the server writes for each value: one buffer
// per row and its fields split in place, rather than a result object per row.
class PgRows final : public EngineRows {
public:
    explicit PgRows(PGconn* conn) : m_conn(conn) {}
    ~PgRows() override
    {
        PQfreemem(m_line);
        if (m_done)
            return;
        // Left before the end (a failed write): the server stops sending, the rest is dropped.
        if (PGcancel* c = PQgetCancel(m_conn)) {
            char why[256];
            PQcancel(c, why, sizeof why);
            PQfreeCancel(c);
        }
        finish();
    }

    // The columns' types are learned by describing the statement; then its rows are asked for.
    bool start(const QByteArray& sql)
    {
        PGresult* prepared = PQprepare(m_conn, "", sql.constData(), 0, nullptr);
        const bool ok = PQresultStatus(prepared) == PGRES_COMMAND_OK;
        PQclear(prepared);
        if (!ok)
            return false;
        PGresult* described = PQdescribePrepared(m_conn, "");
        if (PQresultStatus(described) == PGRES_COMMAND_OK)
            for (int c = 0; c < PQnfields(described); ++c)
                m_kinds.push_back(kindOf(PQftype(described, c)));
        PQclear(described);
        // the closing parenthesis on a line of its own, out of reach of a comment ending the statement
        if (m_kinds.empty() || !PQsendQuery(m_conn, "COPY (" + sql + "\n) TO STDOUT"))
            return false;
        PGresult* r = PQgetResult(m_conn);
        const bool copying = PQresultStatus(r) == PGRES_COPY_OUT;
        PQclear(r);
        if (!copying) {
            while (PGresult* rest = PQgetResult(m_conn))
                PQclear(rest);
            return false;
        }
        m_fields.resize(m_kinds.size());
        m_done = false;  // from here on, leaving early stops the server
        return true;
    }

    bool step() override
    {
        PQfreemem(m_line);
        m_line = nullptr;
        const int n = PQgetCopyData(m_conn, &m_line, 0);
        if (n > 0) {
            split(m_line, size_t(n));
            return true;
        }
        const QString failed = n == -2 ? QString::fromUtf8(PQerrorMessage(m_conn)).trimmed() : QString();
        const QString outcome = finish();
        const QString error = failed.isEmpty() ? outcome : failed;
        m_done = true;
        if (!error.isEmpty())
            throw DbError(error);
        return false;
    }

    Raw value(int c) const override
    {
        Raw r;
        const Field& f = m_fields[size_t(c)];
        if (f.null)
            return r;
        r.p = f.p;
        r.n = f.n;
        r.kind = m_kinds[size_t(c)];
        if (r.kind == Raw::Int) {
            const auto [end, ec] = std::from_chars(r.p, r.p + r.n, r.i);
            if (ec != std::errc() || end != r.p + r.n)
                r.kind = Raw::Text;
        }
        return r;
    }

private:
    struct Field {
        const char* p = nullptr;
        int n = 0;
        bool null = true;
    };

    // A row's fields, tab-separated and ending in a line feed; "\N" alone is null, and a backslash
    // escapes the characters the server writes so (undone in place: a value only shrinks).
    void split(char* line, size_t n)
    {
        char* const end = line + (n > 0 && line[n - 1] == '\n' ? n - 1 : n);
        char* p = line;
        for (Field& f : m_fields) {
            char* const start = p;
            char* out = p;
            while (p < end && *p != '\t') {
                if (*p != '\\' || p + 1 == end) {
                    *out++ = *p++;
                    continue;
                }
                const char e = p[1];
                p += 2;
                if (e == 'N' && p - 2 == start && (p == end || *p == '\t')) {
                    out = nullptr;
                    break;
                }
                *out++ = e == 'b' ? '\b' : e == 'f' ? '\f' : e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e == 'v' ? '\v' : e;
            }
            f.null = out == nullptr;
            f.p = start;
            f.n = out ? int(out - start) : 0;
            if (p < end)
                ++p;  // the tab
        }
    }

    // Reads what is left of the stream and the statement's outcome: its error text, or empty.
    QString finish()
    {
        char* rest = nullptr;
        while (PQgetCopyData(m_conn, &rest, 0) > 0) {
            PQfreemem(rest);
            rest = nullptr;
        }
        QString error;
        while (PGresult* r = PQgetResult(m_conn)) {
            if (error.isEmpty() && PQresultStatus(r) != PGRES_COMMAND_OK)
                error = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
            PQclear(r);
        }
        return error;
    }

    // The kinds the driver reads these types as: integers, numbers (numeric and floating, read as
    // their text) and everything else as text.
    static Raw::Kind kindOf(Oid type)
    {
        switch (type) {
        case 20:  // int8
        case 21:  // int2
        case 23:  // int4
            return Raw::Int;
        case 700:   // float4
        case 701:   // float8
        case 1700:  // numeric
            return Raw::Decimal;
        default:
            return Raw::Text;
        }
    }

    PGconn* m_conn;
    char* m_line = nullptr;  // the current row, as the server sent it
    std::vector<Field> m_fields;
    std::vector<Raw::Kind> m_kinds;
    bool m_done = true;
};

PGconn* serverConnection(QSqlDatabase& db)
{
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    const bool isConn = h.isValid() && (qstrcmp(h.typeName(), "pg_conn*") == 0 || qstrcmp(h.typeName(), "PGconn*") == 0);
    return isConn ? *static_cast<PGconn* const*>(h.constData()) : nullptr;
}

// The set's statement with the shown columns in place of "*": the keys-only translation names the
// key where the star stood, and keeps the order with the key breaking ties.
QString streamSql(Database& db, const RecordSet& set, const QVector<int>& fields)
{
    const QString keys = db.backend().translateKeysOnly(set.sqlText());
    const qsizetype at = keys.indexOf(Schema::KeyColumn);
    if (at < 0 || keys.left(at).trimmed().compare(QLatin1String("select"), Qt::CaseInsensitive) != 0)
        return {};
    // The columns as stored: the engines' own text of a date is its storage form (the server's in the
    // ISO style the driver sets), so no conversion is asked of the server.
    QStringList columns;
    for (int f : fields)
        if (f >= 0)
            columns << QLatin1Char('"') + set.fields()[f].name + QLatin1Char('"');
    columns << Schema::KeyColumn;
    return keys.left(at) + columns.join(QLatin1Char(',')) + keys.mid(at + Schema::KeyColumn.size());
}

std::unique_ptr<EngineRows> startRows(Database& db, const QString& sql)
{
    qCDebug(lcSql, "%s [streamed]", qUtf8Printable(sql));
    const QByteArray text = sql.toUtf8();
    if (sqlite3* h = SqliteFile::handleOf(db.handle())) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(h, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            return nullptr;
        }
        return std::make_unique<SqliteRows>(h, st);
    }
    if (PGconn* conn = serverConnection(db.handle())) {
        auto rows = std::make_unique<PgRows>(conn);
        if (rows->start(text))
            return rows;
    }
    return nullptr;
}

QVariant variantOf(const Raw& r)
{
    switch (r.kind) {
    case Raw::Null:
        return {};
    case Raw::Int:
        return qlonglong(r.i);
    case Raw::Float:
        return r.d;
    case Raw::Text:
        return QString::fromUtf8(r.p, r.n);
    case Raw::Decimal:
        return QString::fromUtf8(r.p, r.n).toDouble();
    }
    return {};
}

// The screen form of an amount (two decimals at least, four at most), as Money::toDisplay writes it.
void appendMoney(std::string& out, qint64 units)
{
    char buf[32];
    int at = sizeof buf;
    qint64 u = units < 0 ? -units : units;
    int frac = int(u % Money::Scale), decimals = 4;
    while (decimals > 2 && frac % 10 == 0) {
        frac /= 10;
        --decimals;
    }
    for (int k = 0; k < decimals; ++k, frac /= 10)
        buf[--at] = char('0' + frac % 10);
    buf[--at] = '.';
    u /= Money::Scale;
    do {
        buf[--at] = char('0' + u % 10);
        u /= 10;
    } while (u > 0);
    if (units < 0)
        buf[--at] = '-';
    out.append(buf + at, sizeof buf - at);
}

// A server numeric of at most four decimals, read exactly ("-12.5000"); nullopt for anything else.
std::optional<qint64> decimalUnits(std::string_view s)
{
    const bool negative = !s.empty() && s.front() == '-';
    if (negative)
        s.remove_prefix(1);
    const size_t dot = s.find('.');
    const std::string_view whole = s.substr(0, dot);
    const std::string_view frac = dot == std::string_view::npos ? std::string_view() : s.substr(dot + 1);
    if (whole.empty() || whole.size() > 14 || frac.size() > 4 || (dot != std::string_view::npos && frac.empty()))
        return std::nullopt;
    qint64 units = 0;
    for (char c : whole) {
        if (c < '0' || c > '9')
            return std::nullopt;
        units = units * 10 + (c - '0');
    }
    size_t k = 0;
    for (; k < frac.size(); ++k) {
        if (frac[k] < '0' || frac[k] > '9')
            return std::nullopt;
        units = units * 10 + (frac[k] - '0');
    }
    for (; k < 4; ++k)
        units *= 10;
    return negative ? -units : units;
}

// Date text in storage form, shown as stored (the date alone at midnight); false for another form.
bool appendStoredDate(std::string& out, std::string_view s)
{
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' || s[16] != ':')
        return false;
    auto digits = [s](int at, int n) {
        int value = 0;
        for (int i = at; i < at + n; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return -1;
            value = value * 10 + (s[i] - '0');
        }
        return value;
    };
    const int y = digits(0, 4), mo = digits(5, 2), d = digits(8, 2), h = digits(11, 2), mi = digits(14, 2), sec = digits(17, 2);
    if (y < 0 || mo < 0 || d < 0 || h < 0 || mi < 0 || sec < 0 || !QDate::isValid(y, mo, d) || !QTime::isValid(h, mi, sec))
        return false;
    out.append(s.substr(0, (h == 0 && mi == 0 && sec == 0) ? 10 : 19));
    return true;
}

void appendText(std::string& out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    out.append(bytes.constData(), size_t(bytes.size()));
}

bool isText(FieldType type)
{
    return type == FieldType::Text || type == FieldType::Memo;
}

// A cell's display bytes from the engine's value, by a copy of its bytes where the stored form is
// the shown one; what is rarer goes through the same reading as the record set's.
void appendCell(std::string& out, const Raw& r, FieldType type)
{
    switch (r.kind) {
    case Raw::Null:
        return;
    case Raw::Int:
        if (type == FieldType::Money) {
            if (const auto m = Money::fromYuan(1).checkedTimes(r.i))
                return appendMoney(out, m->units());
            return appendText(out, Amounts::outOfRange());
        }
        if (type == FieldType::Integer || type == FieldType::Text || type == FieldType::Memo) {
            char buf[24];
            const auto res = std::to_chars(buf, buf + sizeof buf, r.i);
            out.append(buf, size_t(res.ptr - buf));
            return;
        }
        if (type == FieldType::Boolean) {
            out.append(r.i ? "是" : "否");
            return;
        }
        break;
    case Raw::Float:
        if (type == FieldType::Money) {
            if (const auto m = Money::fromStored(r.d))
                return appendMoney(out, m->units());
            return appendText(out, Amounts::outOfRange());
        }
        break;
    case Raw::Text:
        if (isText(type)) {
            out.append(r.text());
            return;
        }
        if (type == FieldType::DateTime && appendStoredDate(out, r.text()))
            return;
        break;
    case Raw::Decimal:
        // An amount read exactly, as the driver's reading does (a floating value where it is exact, the
        // text beyond).
        if (type == FieldType::Money) {
            if (const auto units = decimalUnits(r.text()))
                return appendMoney(out, *units);
            if (const auto m = Money::parse(QString::fromUtf8(r.p, r.n)))
                return appendMoney(out, m->units());
        }
        break;
    }
    appendText(out, RowStream::displayText(variantOf(r), type));
}

// Rows converted on the reading thread and handed to the writer a batch at a time: each row's cells'
// bytes one after the other, where each cell ends, and the key the row had.
struct RowBatch {
    static constexpr int MaxRows = 512;
    static constexpr size_t MaxBytes = 256 * 1024;

    std::string bytes;
    std::vector<uint32_t> ends;  // row by row, cell by cell
    std::vector<qint64> keys;
    bool full() const { return keys.size() >= size_t(MaxRows) || bytes.size() >= MaxBytes; }
    void clear()
    {
        bytes.clear();
        ends.clear();
        keys.clear();
    }
};

// The engine's rows read and turned into their cells' bytes on a thread of their own while the caller
// writes the previous ones; a few batches at most are held. Nothing else uses the connection meanwhile:
// the set's keys are complete before a stream opens, the thread starts with the first row asked for,
// and the set is read only once the reader has stopped (its destructor waits for the thread).
class RowReader {
public:
    RowReader(std::unique_ptr<EngineRows> engine, const QVector<int>& fields, const QVector<FieldType>& types, int keyColumn,
              int limit)
        : m_engine(std::move(engine)), m_fields(fields), m_types(types), m_keyColumn(keyColumn), m_limit(limit)
    {
        // Room made here, on the caller's thread, so that the reading thread seldom allocates: the memory
        // stays with the caller's heap, which an export hands back to the system when it ends.
        for (RowBatch& b : m_batches) {
            b.bytes.reserve(RowBatch::MaxBytes + 64 * 1024);
            b.ends.reserve(size_t(RowBatch::MaxRows) * size_t(fields.size()));
            b.keys.reserve(RowBatch::MaxRows);
            m_empty.push_back(&b);
        }
    }

    ~RowReader()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
        // The engine is let go on this thread: a server stops sending what was not read.
        m_engine.reset();
    }

    // The next batch (the one handed out before is given back); null after the last row. An engine
    // error met on the reading thread is thrown here.
    const RowBatch* take()
    {
        // The thread starts with the first row asked for: until then the connection is the caller's.
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        std::unique_lock lock(m_mutex);
        if (m_taken) {
            m_empty.push_back(m_taken);
            m_taken = nullptr;
            m_changed.notify_all();
        }
        m_changed.wait(lock, [this] { return !m_full.empty() || m_finished; });
        if (!m_full.empty()) {
            m_taken = m_full.front();
            m_full.pop_front();
            m_changed.notify_all();
            return m_taken;
        }
        if (!m_error.isEmpty())
            throw DbError(m_error);
        return nullptr;
    }

private:
    void run()
    {
        QString error;
        try {
            read();
        } catch (const DbError& e) {
            error = e.text();
        } catch (const std::exception& e) {
            error = QString::fromLocal8Bit(e.what());
        }
        const std::lock_guard lock(m_mutex);
        m_error = error;
        m_finished = true;
        m_changed.notify_all();
    }

    void read()
    {
        RowBatch* batch = nullptr;
        for (int row = 0; row < m_limit; ++row) {
            if (!batch && !(batch = nextEmpty()))
                return;
            if (!m_engine->step())
                break;
            for (int c = 0, k = 0; c < m_fields.size(); ++c) {
                if (m_fields[c] >= 0) {
                    const Raw r = m_engine->value(k++);
                    if (r.kind == Raw::Text && isText(m_types[c]))
                        batch->bytes.append(r.text());
                    else
                        appendCell(batch->bytes, r, m_types[c]);
                }
                batch->ends.push_back(uint32_t(batch->bytes.size()));
            }
            batch->keys.push_back(m_engine->value(m_keyColumn).i);
            if (batch->full()) {
                hand(batch);
                batch = nullptr;
            }
        }
        if (batch)
            hand(batch);
    }

    // A batch to fill, once the writer has given one back; null when the reading is to stop.
    RowBatch* nextEmpty()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_empty.empty() || m_stop; });
        if (m_stop)
            return nullptr;
        RowBatch* b = m_empty.back();
        m_empty.pop_back();
        b->clear();
        return b;
    }

    void hand(RowBatch* b)
    {
        if (b->keys.empty())
            return;
        const std::lock_guard lock(m_mutex);
        m_full.push_back(b);
        m_changed.notify_all();
    }

    std::unique_ptr<EngineRows> m_engine;
    const QVector<int> m_fields;
    const QVector<FieldType> m_types;
    const int m_keyColumn;
    const int m_limit;

    RowBatch m_batches[4];
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<RowBatch*> m_empty;
    std::deque<RowBatch*> m_full;
    RowBatch* m_taken = nullptr;  // the batch the writer reads
    bool m_stop = false;
    bool m_finished = false;
    QString m_error;
    std::thread m_thread;
};

class StreamCursor final : public RowCursor {
public:
    StreamCursor(const RecordSet& set, const QVector<int>& fields, std::unique_ptr<EngineRows> engine)
        : m_set(set), m_fields(fields), m_count(set.recordCount())
    {
        int keyColumn = 0;
        for (int f : fields) {
            m_types << (f >= 0 ? set.fields()[f].type : FieldType::Text);
            if (f >= 0)
                ++keyColumn;
        }
        m_ends.resize(fields.size());
        m_reader = std::make_unique<RowReader>(std::move(engine), fields, m_types, keyColumn, m_count);
    }

    bool next() override
    {
        if (++m_row >= m_count) {
            m_reader.reset();
            m_batch = nullptr;
            return false;
        }
        if (m_reader) {
            if (!m_batch || ++m_at >= int(m_batch->keys.size())) {
                m_batch = m_reader->take();
                m_at = 0;
            }
            // From the first row the engine does not give as the set holds it, the set's rows are read.
            if (m_batch && m_batch->keys[size_t(m_at)] == m_set.keyAt(m_row))
                return true;
            qCDebug(lcSql, "[streamed] row %d differs from the list: the rest through the record set", m_row);
            m_reader.reset();
            m_batch = nullptr;
        }
        m_bytes.clear();
        for (int c = 0; c < m_fields.size(); ++c) {
            if (m_fields[c] >= 0)
                appendText(m_bytes, RowStream::displayText(m_set.valueAt(m_row, m_fields[c]), m_types[c]));
            m_ends[c] = uint32_t(m_bytes.size());
        }
        return true;
    }

    std::string_view cell(int c) const override
    {
        if (c < 0 || c >= m_fields.size())
            return {};
        const size_t n = size_t(m_fields.size());
        const uint32_t* ends = m_batch ? m_batch->ends.data() + size_t(m_at) * n : m_ends.data();
        const std::string& bytes = m_batch ? m_batch->bytes : m_bytes;
        // a row's first cell starts where the row before it ended
        const uint32_t start = c > 0 ? ends[c - 1] : (m_batch && m_at > 0 ? ends[-1] : 0);
        return std::string_view(bytes).substr(start, ends[c] - start);
    }

private:
    const RecordSet& m_set;
    const QVector<int> m_fields;
    QVector<FieldType> m_types;
    const int m_count;
    int m_row = -1;
    std::unique_ptr<RowReader> m_reader;  // null once the rows come from the set
    const RowBatch* m_batch = nullptr;    // the batch holding the current row, and its place there
    int m_at = 0;
    std::string m_bytes;  // a row read through the set: its cells one after the other
    std::vector<uint32_t> m_ends;
};

}  // namespace

namespace RowStream {

std::unique_ptr<RowCursor> open(const RecordSet& set, const QVector<int>& fields)
{
    Database* db = set.database();
    if (!db || set.state() != RecordSet::Browse || set.tableName().isEmpty() || !JetSql::analyze(set.sqlText()).selectStar)
        return nullptr;
    for (int f : fields)
        if (f >= set.fields().size())
            return nullptr;
    const QString sql = streamSql(*db, set, fields);
    if (sql.isEmpty())
        return nullptr;
    std::unique_ptr<EngineRows> engine = startRows(*db, sql);
    if (!engine)
        return nullptr;
    return std::make_unique<StreamCursor>(set, fields, std::move(engine));
}

QString displayText(const QVariant& v, FieldType type)
{
    if (v.isNull() || !v.isValid())
        return {};
    if (type == FieldType::DateTime)
        return Dates::displayStored(v);
    return RecordSet::displayText(v, type);
}

}  // namespace RowStream
