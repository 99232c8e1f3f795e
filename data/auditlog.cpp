#include "data/auditlog.h"

#include "core/clock.h"
#include "core/dates.h"
#include "core/money.h"
#include "core/session.h"
#include "data/columns.h"
#include "data/versions.h"

#include <QSqlQuery>
#include <QSysInfo>

namespace AuditLog {

namespace {

struct Audited {
    QString table;
    QString number;
};

// The audited tables, each with the column that names its rows.
const QVector<Audited>& audited()
{
    static const QVector<Audited> t{
        {QStringLiteral("汽车租赁登记表"), Col::内部编号}, {QStringLiteral("客户预订汽车"), Col::内部编号},
        {QStringLiteral("客户登记表"), Col::客户号},       {QStringLiteral("汽车档案"), Col::车牌号},
        {QStringLiteral("现金日记帐"), Col::凭证号},       {Versions::fineTable(), Col::通知书编号},
        {QStringLiteral("权限表"), Col::姓名},
    };
    return t;
}

// Passwords (an operator's digest, a customer's password) never reach the log in any form.
bool secret(const QString& column)
{
    return column == Col::操作口令 || column == Col::客户密码;
}

QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

const QString& workstation()
{
    static const QString name = QSysInfo::machineHostName();
    return name;
}

struct Entry {
    QString column;
    QString before;
    QString after;
};

// Rows per statement: nine values each, well below either engine's limit of bound values.
constexpr int RowsPerInsert = 100;

void write(Database& db, const QString& table, const QString& number, const QString& kind, const QVector<Entry>& entries)
{
    static const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES ")
                                    .arg(quoted(Versions::auditTable()),
                                         QStringList{Col::操作时间, Col::操作员, Col::工作站, Col::表名, Col::记录编号, Col::操作类型,
                                                     Col::字段名, Col::原值, Col::新值}
                                             .join(QLatin1Char(',')));
    static const QString one = QStringLiteral("(?,?,?,?,?,?,?,?,?)");
    const QString when = Dates::toStorage(Clock::now());
    const QString who = Session::currentOperator().name;
    for (qsizetype from = 0; from < entries.size(); from += RowsPerInsert) {
        const qsizetype n = std::min<qsizetype>(RowsPerInsert, entries.size() - from);
        QVariantList binds;
        binds.reserve(n * 9);
        for (qsizetype i = from; i < from + n; ++i) {
            const Entry& e = entries[i];
            binds << when << who << workstation() << table << number << kind << e.column
                  << (e.before.isEmpty() ? QVariant() : QVariant(e.before)) << (e.after.isEmpty() ? QVariant() : QVariant(e.after));
        }
        db.runNative(head + QStringList(n, one).join(QLatin1Char(',')), binds);
    }
}

// The columns of a table of the sixteen or of our own.
QVector<ColumnDef> columnsOf(const QString& table)
{
    if (const TableDef* def = Schema::table(table))
        return def->columns;
    for (const TableDef& t : Versions::ownTables())
        if (t.name == table)
            return t.columns;
    return {};
}

QString readColumns(Database& db, const QVector<ColumnDef>& columns)
{
    QStringList out{Schema::KeyColumn};
    for (const ColumnDef& c : columns)
        out << db.backend().readColumn(quoted(c.name), c.type);
    return out.join(QLatin1Char(','));
}

}  // namespace

bool isAudited(const QString& table)
{
    return !numberColumn(table).isEmpty();
}

QStringList auditedTables()
{
    QStringList out;
    for (const Audited& a : audited())
        out << a.table;
    return out;
}

QString numberColumn(const QString& table)
{
    for (const Audited& a : audited())
        if (a.table == table)
            return a.number;
    return {};
}

QString text(const QVariant& v, FieldType type)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (type) {
    case FieldType::Money: {
        const auto m = Money::fromValue(v);
        return m ? m->toString() : v.toString();
    }
    case FieldType::DateTime:
        if (v.metaType().id() == QMetaType::QString)
            return v.toString();
        return Dates::toStorage(Dates::fromVariant(v));
    case FieldType::Boolean:
    case FieldType::Integer:
        return QString::number(v.toLongLong());
    case FieldType::Number: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        return ok ? QString::number(d, 'g', 15) : v.toString();
    }
    default:
        return v.toString();
    }
}

void rowWritten(Database& db, const QString& table, const QVector<ColumnDef>& columns, const QVector<QVariant>& before,
                const QVector<QVariant>& after, qint64 key)
{
    const QString numbered = numberColumn(table);
    if (numbered.isEmpty() || (before.isEmpty() && after.isEmpty()))
        return;
    const QString kind = before.isEmpty() ? Inserted : after.isEmpty() ? Deleted : Updated;
    QString number;
    QVector<Entry> entries;
    for (int c = 0; c < columns.size(); ++c) {
        const ColumnDef& col = columns[c];
        if (col.name.isEmpty())
            continue;
        const QString was = text(before.value(c), col.type);
        const QString now = text(after.value(c), col.type);
        if (col.name == numbered)
            number = after.isEmpty() ? was : now;
        if (was == now)
            continue;
        if (secret(col.name)) {
            // A deleted row's password says nothing worth keeping.
            if (kind != Deleted)
                entries.push_back({col.name, QString(), Hidden});
            continue;
        }
        entries.push_back({col.name, was, now});
    }
    if (number.isEmpty())
        number = QStringLiteral("#%1").arg(key);
    if (entries.isEmpty()) {
        if (kind == Updated)
            return;
        // A row added or removed with nothing in it still happened.
        entries.push_back({});
    }
    write(db, table, number, kind, entries);
}

Watch::Watch(Database& db, const QString& table, const QString& condition, const QVariantList& binds) : m_db(db), m_table(table)
{
    if (!isAudited(table))
        return;
    if (db.transactionDepth() == 0)
        m_tx.emplace(db);
    const QVector<ColumnDef> columns = columnsOf(table);
    QSqlQuery q = db.runNative(QStringLiteral("SELECT ") + readColumns(db, columns) + QStringLiteral(" FROM ") + quoted(table)
                                   + QStringLiteral(" WHERE ") + db.translate(condition),
                               binds);
    while (q.next()) {
        m_keys << q.value(0).toLongLong();
        QVector<QVariant> row(columns.size());
        for (int c = 0; c < columns.size(); ++c)
            row[c] = q.value(c + 1);
        m_rows << row;
    }
}

void Watch::done()
{
    if (!m_keys.isEmpty()) {
        const QVector<ColumnDef> columns = columnsOf(m_table);
        QStringList ids;
        for (qint64 k : std::as_const(m_keys))
            ids << QString::number(k);
        QHash<qint64, QVector<QVariant>> now;
        QSqlQuery q = m_db.runNative(QStringLiteral("SELECT ") + readColumns(m_db, columns) + QStringLiteral(" FROM ") + quoted(m_table)
                                     + QStringLiteral(" WHERE ") + Schema::KeyColumn + QStringLiteral(" IN (") + ids.join(QLatin1Char(','))
                                     + QStringLiteral(")"));
        while (q.next()) {
            QVector<QVariant> row(columns.size());
            for (int c = 0; c < columns.size(); ++c)
                row[c] = q.value(c + 1);
            now.insert(q.value(0).toLongLong(), row);
        }
        q.finish();
        for (int i = 0; i < m_keys.size(); ++i)
            rowWritten(m_db, m_table, columns, m_rows[i], now.value(m_keys[i]), m_keys[i]);
        m_keys.clear();
        m_rows.clear();
    }
    if (m_tx) {
        m_tx->commit();
        m_tx.reset();
    }
}

void emptied(Database& db, const QString& table, int rows)
{
    if (isAudited(table) || table == Versions::auditTable())
        write(db, table, QString(), Deleted, {{QString(), QStringLiteral("数据初始化，删除 %1 条记录").arg(rows), QString()}});
}

void inserted(Database& db, const QString& table, qint64 key)
{
    if (!isAudited(table))
        return;
    const QVector<ColumnDef> columns = columnsOf(table);
    QSqlQuery q = db.runNative(QStringLiteral("SELECT ") + readColumns(db, columns) + QStringLiteral(" FROM ") + quoted(table)
                               + QStringLiteral(" WHERE ") + Schema::KeyColumn + QStringLiteral("=?"),
                               {key});
    if (!q.next())
        return;
    QVector<QVariant> row(columns.size());
    for (int c = 0; c < columns.size(); ++c)
        row[c] = q.value(c + 1);
    q.finish();
    rowWritten(db, table, columns, {}, row, key);
}

}  // namespace AuditLog
