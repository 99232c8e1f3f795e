// SQLite backend: one file, Jet functions registered per connection, exact sums.
#include "core/dates.h"
#include "core/money.h"
#include "core/sqltext.h"
#include "data/amounts.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "data/schema.h"
#include "data/sqlitefile.h"
#include "data/versions.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <sqlite3.h>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// cdate / cvdate: a date text (with or without a time) to the stored form; an impossible date is an error.
void cdateFn(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])));
    const auto dt = Dates::parseJet(text);
    if (!dt) {
        const QByteArray msg = QStringLiteral("日期格式错误或日期不存在: '%1'").arg(text).toUtf8();
        sqlite3_result_error(ctx, msg.constData(), msg.size());
        return;
    }
    const QByteArray out = Dates::toStorage(*dt).toUtf8();
    sqlite3_result_text(ctx, out.constData(), out.size(), SQLITE_TRANSIENT);
}

// Exact sum: whole numbers add as integers, amounts as ten-thousandths, so a money column sums
// exactly over any number of rows. A total beyond 64 bits is an engine error, never a wrapped value;
// a whole total the amounts cannot hold is refused where it is read as an amount (Amounts::read).
struct SumState {
    qint64 ints;
    qint64 units;
    bool any;
    bool real;
    bool intsOverflow;   // only matters when every value was whole
    bool unitsOverflow;  // only matters once an amount with decimals took part
};

void sumStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* s = static_cast<SumState*>(sqlite3_aggregate_context(ctx, sizeof(SumState)));
    if (!s)
        return;
    switch (sqlite3_value_numeric_type(argv[0])) {
    case SQLITE_INTEGER: {
        const sqlite3_int64 v = sqlite3_value_int64(argv[0]);
        qint64 scaled = 0;
        s->intsOverflow |= __builtin_add_overflow(s->ints, v, &s->ints);
        s->unitsOverflow |= __builtin_mul_overflow(v, Money::Scale, &scaled) || __builtin_add_overflow(s->units, scaled, &s->units);
        s->any = true;
        break;
    }
    case SQLITE_FLOAT: {
        const auto m = Money::fromStored(sqlite3_value_double(argv[0]));
        s->unitsOverflow |= !m || __builtin_add_overflow(s->units, m->units(), &s->units);
        s->real = true;
        s->any = true;
        break;
    }
    case SQLITE_NULL:
        break;
    default:
        s->any = true;  // non-numeric text counts as 0, as the built-in sum does
        break;
    }
}

void sumFinal(sqlite3_context* ctx)
{
    auto* s = static_cast<SumState*>(sqlite3_aggregate_context(ctx, 0));
    if (!s || !s->any) {
        sqlite3_result_null(ctx);
    } else if (s->real ? s->unitsOverflow : s->intsOverflow) {
        const QByteArray msg = Amounts::outOfRange().toUtf8();
        sqlite3_result_error(ctx, msg.constData(), int(msg.size()));
    } else if (!s->real) {
        sqlite3_result_int64(ctx, s->ints);
    } else if (s->units > (qint64(1) << 51) || s->units < -(qint64(1) << 51)) {
        // Past 2^51 ten-thousandths a double no longer brings every amount back exactly: the
        // total goes out as its decimal text, which amounts read exactly.
        const QByteArray text = Money::fromUnits(s->units).toString().toLatin1();
        sqlite3_result_text(ctx, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    } else {
        sqlite3_result_double(ctx, double(s->units) / 10000.0);
    }
}

// Column definition of the creation step: the declared type plus the constraints of its kind.
QString columnSql(FieldType t)
{
    switch (t) {
    case FieldType::Text:
    case FieldType::Memo:
        // Text compares, sorts and matches without regard to the case of Latin letters, as the
        // system has always relied on (a plate typed "苏a12345" is the same vehicle as "苏A12345").
        return SqliteFile::declaredType(t) + QStringLiteral(" COLLATE NOCASE");
    case FieldType::Boolean:
        return SqliteFile::declaredType(t) + QStringLiteral(" NOT NULL DEFAULT 0");
    default:
        return SqliteFile::declaredType(t);
    }
}

// Rows of a statement on a raw handle, each as texts; false with the engine's text on error.
bool textRows(sqlite3* h, const QString& sql, QVector<QStringList>* rows, QString* error)
{
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(h, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(h));
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QStringList r;
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            r << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
        rows->push_back(r);
    }
    if (rc != SQLITE_DONE)
        *error = QString::fromUtf8(sqlite3_errmsg(h));
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

// Whether bytes are UTF-8 that reads back unchanged (no overlong forms, no surrogates, nothing past
// U+10FFFF) and hold no NUL: text either engine can hold and a statement can quote.
bool storableUtf8(const unsigned char* p, int n)
{
    int i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            if (c == 0)
                return false;
            ++i;
            continue;
        }
        int len;
        unsigned cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i < len)
            return false;
        for (int k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += len;
    }
    return true;
}

// The columns of one table of the file against its definition; false with the first difference.
bool sameColumns(sqlite3* h, const TableDef& t, const QString& other, QString* problem)
{
    QVector<QStringList> cols;
    QString error;
    if (!textRows(h, QStringLiteral("PRAGMA table_info(\"%1\")").arg(t.name), &cols, &error)) {
        *problem = QStringLiteral("文件不是数据库文件或已损坏（%1）").arg(error);
        return false;
    }
    // cid, name, type, notnull, default, pk
    QHash<QString, QString> types;
    for (const QStringList& c : cols)
        types.insert(c.value(1), c.value(2));
    const auto differs = [&](const QString& column, const QString& type) {
        if (!types.contains(column)) {
            *problem = other + QStringLiteral("表 %1 缺少列 %2").arg(t.name, column);
            return true;
        }
        if (types.value(column).compare(type, Qt::CaseInsensitive) != 0) {
            *problem = other + QStringLiteral("表 %1 的列 %2 类型为 %3，应为 %4").arg(t.name, column, types.value(column), type);
            return true;
        }
        types.remove(column);
        return false;
    };
    if (differs(Schema::KeyColumn, QStringLiteral("INTEGER")))
        return false;
    for (const ColumnDef& c : t.columns)
        if (differs(c.name, SqliteFile::declaredType(c.type)))
            return false;
    if (!types.isEmpty()) {
        *problem = other + QStringLiteral("表 %1 有本系统没有的列 %2").arg(t.name, types.keys().first());
        return false;
    }
    return true;
}

// The tables and their columns against the schema; the first difference is the problem reported.
bool checkStructure(sqlite3* h, bool strict, QString* problem)
{
    QVector<QStringList> rows;
    QString error;
    if (!textRows(h, QStringLiteral("select type, name from sqlite_master"), &rows, &error)) {
        *problem = QStringLiteral("文件不是数据库文件或已损坏（%1）").arg(error);
        return false;
    }
    QStringList tables, extras;
    for (const QStringList& r : rows) {
        if (r[0] == QLatin1String("table"))
            tables << r[1];
        else if (r[0] == QLatin1String("trigger") || r[0] == QLatin1String("view"))
            extras << r[1];
    }
    int present = 0;
    for (const TableDef& t : Schema::tables())
        present += tables.contains(t.name);
    if (present == 0) {
        *problem = QStringLiteral("文件不是本系统的数据库");
        return false;
    }
    const QString other = QStringLiteral("数据库结构与本系统不符，可能是其他版本的备份或其他程序的数据库：");
    for (const TableDef& t : Schema::tables()) {
        if (!tables.contains(t.name)) {
            *problem = other + QStringLiteral("缺少表 %1").arg(t.name);
            return false;
        }
        if (!sameColumns(h, t, other, problem))
            return false;
    }
    if (tables.contains(Versions::versionTable())) {
        QVector<QStringList> v;
        const int version = textRows(h, QStringLiteral("select max(版本号) from \"%1\"").arg(Versions::versionTable()), &v, &error)
                                    && !v.isEmpty()
                                ? v.first().value(0).toInt()
                                : 0;
        if (version > Versions::Current) {
            *problem = Versions::tooNewText(version);
            return false;
        }
        // The tables of our own its version claims, as that version made them (a later step
        // would otherwise meet a table it cannot use).
        for (const TableDef* t : Versions::carriedTables()) {
            if (version < Versions::arrivedIn(t->name))
                continue;
            if (!tables.contains(t->name)) {
                *problem = other + QStringLiteral("缺少表 %1").arg(t->name);
                return false;
            }
            if (!sameColumns(h, *t, other, problem))
                return false;
        }
    }
    if (strict && !extras.isEmpty()) {
        *problem = QStringLiteral("文件含有本系统没有的触发器或视图（%1），不能使用").arg(extras.join(QStringLiteral("、")));
        return false;
    }
    return true;
}

class SqliteBackend final : public SqlBackend {
public:
    QString driverName() const override { return QStringLiteral("QSQLITE"); }
    std::unique_ptr<SqlBackend> clone() const override { return std::make_unique<SqliteBackend>(); }

    bool open(QSqlDatabase& db, const QString& location, QString* error) override
    {
        const QFileInfo fi(location);
        if (!fi.isFile()) {
            *error = QStringLiteral("数据库文件不存在: %1").arg(QDir::toNativeSeparators(fi.absoluteFilePath()));
            return false;
        }
        // Looked at read-only before the connection switches the file to its log mode: a file that
        // is not ours is left exactly as it was.
        QString problem;
        if (!SqliteFile::check(location, false, false, &problem)) {
            *error = problem + QStringLiteral(": ") + QDir::toNativeSeparators(fi.absoluteFilePath());
            return false;
        }
        return connect(db, location, error);
    }

    bool create(QSqlDatabase& db, const QString& location, QString* error) override
    {
        const QFileInfo fi(location);
        if (fi.exists()) {
            *error = QStringLiteral("数据库文件已存在，不会覆盖: %1").arg(QDir::toNativeSeparators(fi.absoluteFilePath()));
            return false;
        }
        if (!QDir().mkpath(fi.absolutePath())) {
            *error = QStringLiteral("无法建立文件夹: %1").arg(QDir::toNativeSeparators(fi.absolutePath()));
            return false;
        }
        return connect(db, location, error);
    }

    QString translate(const QString& jet) const override { return JetSql::toSqlite(jet); }
    QString translateKeysOnly(const QString& jet) const override { return JetSql::toSqlite(jet, true); }

    // Read straight from the engine: a list of 200,000 contracts opens on its keys alone.
    QVector<qint64> integerColumn(QSqlDatabase& db, const QString& sql, QString* error) override
    {
        sqlite3* h = SqliteFile::handleOf(db);
        if (!h)
            return SqlBackend::integerColumn(db, sql, error);
        QVector<qint64> out;
        sqlite3_stmt* st = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(h, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK) {
            *error = QString::fromUtf8(sqlite3_errmsg(h));
            return out;
        }
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            out.push_back(sqlite3_column_int64(st, 0));
        if (rc != SQLITE_DONE) {
            *error = QString::fromUtf8(sqlite3_errmsg(h));
            out.clear();
        }
        sqlite3_finalize(st);
        return out;
    }

    bool selectRows(QSqlDatabase& db, const QString& sql, QStringList* names, QVector<QVector<QVariant>>* rows,
                    QString* error) override
    {
        sqlite3* h = SqliteFile::handleOf(db);
        if (!h)
            return SqlBackend::selectRows(db, sql, names, rows, error);
        sqlite3_stmt* st = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(h, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK) {
            *error = QString::fromUtf8(sqlite3_errmsg(h));
            return false;
        }
        const int n = sqlite3_column_count(st);
        for (int i = 0; i < n; ++i)
            *names << QString::fromUtf8(sqlite3_column_name(st, i));
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            QVector<QVariant> r;
            r.reserve(n);
            for (int i = 0; i < n; ++i) {
                switch (sqlite3_column_type(st, i)) {
                case SQLITE_INTEGER:
                    r.push_back(qlonglong(sqlite3_column_int64(st, i)));
                    break;
                case SQLITE_FLOAT:
                    r.push_back(sqlite3_column_double(st, i));
                    break;
                case SQLITE_NULL:
                    r.push_back(QVariant());
                    break;
                default:
                    r.push_back(
                        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)), sqlite3_column_bytes(st, i)));
                }
            }
            rows->push_back(std::move(r));
        }
        if (rc != SQLITE_DONE) {
            *error = QString::fromUtf8(sqlite3_errmsg(h));
            rows->clear();
        }
        sqlite3_finalize(st);
        return rc == SQLITE_DONE;
    }

    QString createTableSql(const TableDef& t) const override
    {
        // AUTOINCREMENT: a key is never handed out again, not even after the highest row was deleted,
        // so a save from a window that read a deleted row cannot land in a newer one.
        QStringList cols{Schema::KeyColumn + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT")};
        for (const auto& c : t.columns) {
            QString def = QStringLiteral("\"") + c.name + QStringLiteral("\" ") + columnSql(c.type);
            if (t.name == QStringLiteral("汽车租赁登记表") && c.name == QStringLiteral("客户交车"))
                def += QStringLiteral(" DEFAULT '没有'");
            cols << def;
        }
        return QStringLiteral("CREATE TABLE \"") + t.name + QStringLiteral("\" (") + cols.join(QStringLiteral(", "))
               + QStringLiteral(")");
    }

    bool isBusy(const QSqlError& error) const override
    {
        // SQLITE_BUSY and SQLITE_LOCKED, with their extended codes.
        bool ok = false;
        const int code = error.nativeErrorCode().toInt(&ok);
        return ok && ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED);
    }

    QString clerkText(QSqlDatabase& db, const QSqlError& error) const override
    {
        bool ok = false;
        int code = error.nativeErrorCode().toInt(&ok);
        if (!ok)
            return {};
        // The driver may report the primary code only; the connection still holds the extended one.
        if (code <= 0xff) {
            sqlite3* h = SqliteFile::handleOf(db);
            if (h && (sqlite3_extended_errcode(h) & 0xff) == code)
                code = sqlite3_extended_errcode(h);
        }
        switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return engineFaultText(EngineFault::Busy);
        case SQLITE_CONSTRAINT:
            if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY)
                return engineFaultText(EngineFault::Duplicate);
            if (code == SQLITE_CONSTRAINT_CHECK || code == SQLITE_CONSTRAINT_NOTNULL || code == SQLITE_CONSTRAINT_FOREIGNKEY)
                return engineFaultText(EngineFault::Rule);
            // A trigger's own refusal (RAISE) says what its author wrote.
            return {};
        case SQLITE_TOOBIG:
            return engineFaultText(EngineFault::TooLong);
        case SQLITE_FULL:
            return engineFaultText(EngineFault::DiskFull);
        case SQLITE_READONLY:
            return engineFaultText(EngineFault::ReadOnly);
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return engineFaultText(EngineFault::Damaged);
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
            return engineFaultText(EngineFault::FileError);
        default:
            return {};
        }
    }

    QString beginStatement() const override { return QStringLiteral("BEGIN IMMEDIATE"); }

    bool keysLast(QSqlDatabase& db, const QString& table) const override
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT sql FROM main.sqlite_master WHERE type='table' AND name=?"));
        q.addBindValue(table);
        return q.exec() && q.next() && q.value(0).toString().contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive);
    }

    QString keyMarkSql(const QString& table) const override
    {
        return QStringLiteral("SELECT seq FROM main.sqlite_sequence WHERE name=") + sqlLiteral(table);
    }

    QStringList raiseKeysSql(const QString& table, qint64 mark) const override
    {
        return {QStringLiteral("INSERT INTO main.sqlite_sequence (name, seq) SELECT %1, 0 WHERE NOT EXISTS "
                               "(SELECT 1 FROM main.sqlite_sequence WHERE name=%1)")
                    .arg(sqlLiteral(table)),
                QStringLiteral("UPDATE main.sqlite_sequence SET seq=max(seq, %1) WHERE name=%2").arg(mark).arg(sqlLiteral(table))};
    }

    QString sameValue(const QString& quotedColumn, FieldType) const override
    {
        // IS compares nulls too; BINARY overrides the columns' case-blind collation.
        return quotedColumn + QStringLiteral(" IS ? COLLATE BINARY");
    }

    void setBusyTimeout(QSqlDatabase& db, int milliseconds) override
    {
        if (sqlite3* h = SqliteFile::handleOf(db))
            sqlite3_busy_timeout(h, milliseconds);
    }

    QStringList createIndexSql() const override
    {
        // Plate look-ups use a case-insensitive "like '<plate>%'"; SQLite only narrows such a like
        // through a NOCASE index. The dispatch date and the summed amounts ride along in the index so
        // that the per-vehicle income sums never touch the table rows.
        return {
            QStringLiteral("CREATE INDEX ix_zl_plate ON 汽车租赁登记表 (车牌号 COLLATE NOCASE, 发车日期, 押金, 预收租金, 租赁期限, "
                           "收费金额, 实收金额)"),
            QStringLiteral("CREATE INDEX ix_zl_no ON 汽车租赁登记表 (内部编号)"),
            QStringLiteral("CREATE INDEX ix_zl_customer ON 汽车租赁登记表 (客户号)"),
            QStringLiteral("CREATE INDEX ix_zl_open ON 汽车租赁登记表 (客户交车)"),
            QStringLiteral("CREATE INDEX ix_da_plate ON 汽车档案 (车牌号)"),
            QStringLiteral("CREATE INDEX ix_kh_no ON 客户登记表 (客户号)"),
            QStringLiteral("CREATE INDEX ix_yd_no ON 客户预订汽车 (内部编号)"),
            QStringLiteral("CREATE INDEX ix_rjz_date ON 现金日记帐 (日期)"),
            QStringLiteral("CREATE INDEX ix_rjz_note ON 现金日记帐 (备注)"),
            QStringLiteral("CREATE INDEX ix_hy_plate ON 换油记录表 (车牌号 COLLATE NOCASE, 换油时间)"),
            QStringLiteral("CREATE INDEX ix_wx_plate ON 车辆维修记录表 (车牌号 COLLATE NOCASE, 维修时间)"),
            QStringLiteral("CREATE INDEX ix_sg_plate ON 事故登记表 (车牌号 COLLATE NOCASE, 事故时间)"),
        };
    }

private:
    bool connect(QSqlDatabase& db, const QString& location, QString* error)
    {
        db.setDatabaseName(location);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            *error = db.lastError().text();
            return false;
        }
        sqlite3* handle = SqliteFile::handleOf(db);
        if (!handle) {
            *error = QStringLiteral("SQLite driver handle not available");
            db.close();
            return false;
        }
        const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
        sqlite3_create_function(handle, "cdate", 1, flags, nullptr, cdateFn, nullptr, nullptr);
        sqlite3_create_function(handle, "cvdate", 1, flags, nullptr, cdateFn, nullptr, nullptr);
        sqlite3_create_function(handle, "sum", 1, flags, nullptr, nullptr, sumStep, sumFinal);
        // Durable commits: a save that returned is on disk.
        QSqlQuery q(db);
        // A larger page cache keeps the statistics loops off the system calls. Deleted and replaced
        // content is zeroed on its page, so a password replaced by its digest leaves no trace.
        for (const char* p :
             {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL", "PRAGMA cache_size=-32768", "PRAGMA secure_delete=FAST"}) {
            if (!q.exec(QString::fromLatin1(p))) {
                *error = q.lastError().text();
                db.close();
                return false;
            }
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<SqlBackend> makeSqliteBackend()
{
    return std::make_unique<SqliteBackend>();
}

namespace SqliteFile {

sqlite3* handleOf(QSqlDatabase& db)
{
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    return (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) ? *static_cast<sqlite3* const*>(h.constData()) : nullptr;
}

QString declaredType(FieldType t)
{
    switch (t) {
    case FieldType::Text:
    case FieldType::Memo:
        return QStringLiteral("TEXT");
    case FieldType::Money:
        return QStringLiteral("CURRENCY");
    case FieldType::Integer:
        return QStringLiteral("INTEGER");
    case FieldType::Number:
        return QStringLiteral("FLOAT");
    case FieldType::DateTime:
        return QStringLiteral("DATETIME TEXT");  // text affinity: compared as stored text, never converted
    case FieldType::Boolean:
        return QStringLiteral("BOOLEAN");
    }
    return QStringLiteral("TEXT");
}

bool check(const QString& file, bool integrity, bool strict, QString* problem)
{
    if (!QFileInfo(file).isFile()) {
        *problem = QStringLiteral("文件不存在");
        return false;
    }
    sqlite3* h = nullptr;
    const QByteArray name = QFile::encodeName(file);
    bool ok = sqlite3_open_v2(name.constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    if (!ok) {
        *problem = QStringLiteral("文件无法打开");
    } else if (integrity) {
        QVector<QStringList> rows;
        QString error;
        ok = textRows(h, QStringLiteral("PRAGMA integrity_check"), &rows, &error) && !rows.isEmpty()
             && rows.first().value(0) == QLatin1String("ok");
        if (!ok)
            *problem = QStringLiteral("文件已损坏或不是数据库文件");
    }
    ok = ok && checkStructure(h, strict, problem);
    sqlite3_close(h);
    return ok;
}

bool checkText(const QString& file, QString* problem)
{
    sqlite3* h = nullptr;
    const QByteArray name = QFile::encodeName(file);
    if (sqlite3_open_v2(name.constData(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(h);
        *problem = QStringLiteral("文件无法打开");
        return false;
    }
    bool ok = true;
    for (const TableDef& t : Schema::tables()) {
        // The text columns the file has (its shape is the structure check's to judge).
        QVector<QStringList> info;
        QString error;
        if (!textRows(h, QStringLiteral("PRAGMA table_info(\"%1\")").arg(t.name), &info, &error)) {
            *problem = QStringLiteral("文件不是数据库文件或已损坏（%1）").arg(error);
            ok = false;
            break;
        }
        QStringList present;
        for (const QStringList& c : info)
            present << c.value(1);
        QStringList columns;
        for (const ColumnDef& c : t.columns)
            if ((c.type == FieldType::Text || c.type == FieldType::Memo) && present.contains(c.name))
                columns << c.name;
        if (columns.isEmpty())
            continue;
        // One pass over the table; every value is looked at as the bytes stored.
        const QByteArray sql = (QStringLiteral("SELECT \"") + columns.join(QStringLiteral("\", \"")) + QStringLiteral("\" FROM \"")
                                + t.name + QStringLiteral("\""))
                                   .toUtf8();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK) {
            *problem = QStringLiteral("文件不是数据库文件或已损坏（%1）").arg(QString::fromUtf8(sqlite3_errmsg(h)));
            ok = false;
            break;
        }
        int rc = SQLITE_DONE;
        int bad = -1;
        while (bad < 0 && (rc = sqlite3_step(st)) == SQLITE_ROW) {
            for (int i = 0; i < columns.size(); ++i) {
                const int type = sqlite3_column_type(st, i);
                if (type != SQLITE_TEXT && type != SQLITE_BLOB)
                    continue;
                // The bytes as stored, for text too: no copy to add a terminator, no conversion.
                const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(st, i));
                if (!storableUtf8(p, sqlite3_column_bytes(st, i))) {
                    bad = i;
                    break;
                }
            }
        }
        if (bad < 0 && rc != SQLITE_DONE) {
            *problem = QStringLiteral("文件已损坏或不是数据库文件（%1）").arg(QString::fromUtf8(sqlite3_errmsg(h)));
            ok = false;
        }
        sqlite3_finalize(st);
        if (bad >= 0) {
            *problem = QStringLiteral("文件中表 %1 的列 %2 有无法识别的文字（不是 UTF-8 编码，或含有空字符），不能使用")
                           .arg(t.name, columns[bad]);
            ok = false;
        }
        if (!ok)
            break;
    }
    sqlite3_close(h);
    return ok;
}

bool syncFolder(const QString& folder)
{
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(folder);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#else
    // Elsewhere a completed rename is already recorded by the file system.
    Q_UNUSED(folder);
    return true;
#endif
}

QStringList companions(const QString& database)
{
    return {database + QStringLiteral("-wal"), database + QStringLiteral("-shm"), database + QStringLiteral("-journal")};
}

}  // namespace SqliteFile
