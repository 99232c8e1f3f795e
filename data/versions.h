#pragma once
// What a database carries beyond its rows: the schema version (tables of our own come through
// numbered steps run in one transaction when an older database is opened or restored), the data
// generation (changed by restore and data initialization, so a window read before cannot write
// into the new content), and the high-water mark of every table's hidden key (a key is handed out
// once in a database's life, also across deletes, restores and copies).
#include "data/schema.h"

#include <QString>
#include <QVector>

class Database;
class SqlBackend;

namespace Versions {

// Version 1: the sixteen tables alone, keys handed out again after the highest row was deleted.
// Version 2: keys never handed out twice, the version table with the data generation.
// Version 3: the change log of extended and swapped contracts.
// Version 4: the handover sheets (condition at dispatch and return, damage marks) and the office's
// accessory checklist.
// Version 5: the traffic fines register, the audit log and the office's business settings.
// Version 6: the contracts' index by dispatch date (on a server).
constexpr int Current = 6;

// The version table: one row, 版本号 and 数据代号.
const QString& versionTable();
// The change log: one row per extension or swap of a contract (内部编号, 变更项目, 原值, 新值,
// 里程, 操作员, 操作日期), emptied with the contracts by data initialization.
const QString& changeLogTable();
// A contract's handover sheet per stage (内部编号, 检查阶段 交车/收车, 油量, 随车物品, 检查人, 检查时间,
// 备注, 修改次数) and its damage marks (内部编号, 检查阶段, 标记序号, 横坐标, 纵坐标, 损伤说明); both
// emptied with the contracts by data initialization.
const QString& sheetTable();
const QString& markTable();
// The accessory checklist (物品名称, 序号): the office's configuration, kept by data initialization.
const QString& accessoryTable();
QStringList defaultAccessories();
// The traffic fines (违章时间, 车牌号, 违章地点, 违章行为, 罚款金额, 扣分, 通知书编号, 处理状态, the
// contract the fine was matched to as 租赁内部编号 with its 客户号, 客户姓名, 联系电话 — empty for the
// office's own —, 备注, 操作员, 操作日期).
const QString& fineTable();
// The audit log: one row per changed column of a save or delete (操作时间, 操作员, 工作站, 表名, 记录编号,
// 操作类型 新增/修改/删除, 字段名, 原值, 新值); no window changes or deletes its rows.
const QString& auditTable();
// The office's business settings as 设置项/设置值 pairs (the stop-hire rules, the fines reminder).
const QString& settingTable();
// The settings a database starts with (BusinessSettings' defaults): the four expiries refuse a
// dispatch, the service mileage warns, a fine is reminded of after 7 days 未处理.
QVector<std::pair<QString, QString>> defaultSettings();
// Rows of tables of our own that belong to a row of one of the sixteen, by a column of the same
// name (the contract's 内部编号): deleted with it, so a number handed out again inherits nothing.
struct Dependent {
    QString table;
    QString column;
};
QVector<Dependent> dependentsOf(const QString& table);
// Tables of our own beyond the sixteen, as the current version has them.
const QVector<TableDef>& ownTables();
// The table of our own that windows edit row by row through record sets, as the sixteen (the
// traffic fines register); nullptr for any other name. The log and the settings are written by
// their own rules only.
const TableDef* recordTable(const QString& name);
// Own tables whose rows travel with a backup, restore and copy (not the version row itself).
QVector<const TableDef*> carriedTables();
// The version a table of our own arrived in: a source of an older version has no such table, so
// a copy takes its rows only from a source of that version or later. 0 for a table not ours.
int arrivedIn(const QString& table);
// The indexes of our own (the same text on both engines; some on a server only).
QStringList ownIndexSql(const SqlBackend& backend);

// Creation step: the own tables' rows of a new database (version, first generation).
void seed(Database& db, qint64 generation = 1);
// The rows a table of our own starts with when it arrives (the default accessory checklist): given
// by the creation of a new database with its default rows, by the upgrade step, and by a copy
// whose source is older than the table.
void seedTable(Database& db, const QString& table);

// The version a database is at; 1 for one without the version table. Throws DbError.
int version(Database& db);
// Brings an open database to the current version in one transaction. False with the reason when
// the database is of a later version than this program, or a step failed (nothing changed then).
bool upgrade(Database& db, QString* error);
// Text for a database of a later version than this program knows.
QString tooNewText(int version);

// The data generation; 0 where the database has none yet. Throws DbError.
qint64 generation(Database& db);
// Inside the caller's transaction: the generation becomes one more than both its current value
// and atLeast.
void advanceGeneration(Database& db, qint64 atLeast = 0);
// Refuses a write from a record set read under another generation (DbError Kind::Stale).
void requireGeneration(Database& db, qint64 read);

// The highest key a table has handed out (rows deleted since included). Throws DbError.
qint64 keyHighWater(Database& db, const QString& table);
// Keys of the table continue above mark from now on (never lowered). Throws DbError.
void raiseKeys(Database& db, const QString& table, qint64 mark);

}  // namespace Versions
