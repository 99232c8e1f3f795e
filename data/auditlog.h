#pragma once
// The audit log 操作日志: who changed which row of the tables that carry money, customers, vehicles
// and operators, when, from which workstation, and what each changed column held before and after.
// Written inside the transaction of the write it describes (rolled back with it), one row per
// changed column; nothing for a save that changed nothing. Only appended to: no window of the
// application updates or deletes its rows.
#include "data/database.h"
#include "data/schema.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

namespace AuditLog {

// 操作类型
inline const QString Inserted = QStringLiteral("新增");
inline const QString Updated = QStringLiteral("修改");
inline const QString Deleted = QStringLiteral("删除");
// What a password column shows instead of any form of its value.
inline const QString Hidden = QStringLiteral("（已修改）");

// Whether writes to the table are logged (contracts and settlements, reservations, customers,
// vehicles, the cash journal, fines, operators).
bool isAudited(const QString& table);
// Their names, in a fixed order (the viewer's drop-down).
QStringList auditedTables();
// The column that names a row of an audited table in 记录编号 (内部编号, 客户号, 车牌号, …); empty for
// a table not audited.
QString numberColumn(const QString& table);
// A value as the log keeps it: storage form (amounts with four decimals, dates as stored text,
// yes/no as 1/0).
QString text(const QVariant& v, FieldType type);

// A row of table written: before empty for a new row, after empty for a deleted one, both parallel
// to columns (a column with an empty name is not a column of the table and is skipped). key is the
// row's hidden key, named in 记录编号 when the row's number is empty. Inside the caller's
// transaction; nothing for a table not audited or a row that did not change. Throws DbError.
void rowWritten(Database& db, const QString& table, const QVector<ColumnDef>& columns, const QVector<QVariant>& before,
                const QVector<QVariant>& after, qint64 key);

// A write of a statement of its own (a rule updating vehicles, the journal's balances): the rows
// the condition selects are read when the watch is made, read again by done() and logged as
// changed or deleted. Made inside the write's transaction (one of its own is opened otherwise and
// committed by done()). condition is in the Jet dialect, with its bound values.
class Watch {
public:
    Watch(Database& db, const QString& table, const QString& condition, const QVariantList& binds = {});
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
    void done();

private:
    Database& m_db;
    QString m_table;
    std::optional<Transaction> m_tx;
    QVector<qint64> m_keys;
    QVector<QVector<QVariant>> m_rows;
};

// Data initialization emptied the table (an audited one, or the log itself): one row saying how
// many rows went. Inside the caller's transaction. Throws DbError.
void emptied(Database& db, const QString& table, int rows);

// A row a statement of its own inserted, by its hidden key: logged as new. Throws DbError.
void inserted(Database& db, const QString& table, qint64 key);

}  // namespace AuditLog
