#include "data/versions.h"
#include "data/businesssettings.h"
#include "data/columns.h"
#include "data/database.h"

#include <QSqlQuery>
#include <QVariant>

namespace Versions {

namespace {

QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

bool isServer(const SqlBackend& backend)
{
    return backend.driverName() == QLatin1String("QPSQL");
}

// Whether a table of that name exists in the database itself (not a connection's own temporary one).
bool hasTable(Database& db, const QString& table)
{
    QStringList names;
    QVector<QVector<QVariant>> rows;
    // Both engines answer a select of no rows from an existing table and refuse a missing one; a
    // refusal would abort a server transaction, so the catalogue is asked instead.
    const QString sql = isServer(db.backend())
                            ? QStringLiteral(
                                "SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() AND table_name = '%1'")
                            : QStringLiteral("SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = '%1'");
    db.selectRows(sql.arg(table), true, &names, &rows);
    return !rows.isEmpty();
}

qint64 single(Database& db, const QString& sql)
{
    QSqlQuery q = db.runNative(sql);
    return q.next() ? q.value(0).toLongLong() : 0;
}

struct OwnIndex {
    int since;  // the version that brings it
    QString sql;
    bool serverOnly = false;
};

const QVector<OwnIndex>& ownIndexes()
{
    // A contract's history is read by its number, oldest first. The open contracts (the planner,
    // the overlap rules) are a few hundred among hundreds of thousands: a partial index finds them
    // without a read of the whole table.
    static const QVector<OwnIndex> i{
        {arrivedIn(changeLogTable()),
         QStringLiteral("CREATE INDEX ix_bg_no ON \"%1\" (内部编号, %2)").arg(changeLogTable(), Schema::KeyColumn)},
        {3, QStringLiteral("CREATE INDEX IF NOT EXISTS ix_zl_unsettled ON 汽车租赁登记表 (内部编号) WHERE 帐款结清 = 0")},
        {arrivedIn(sheetTable()),
         QStringLiteral("CREATE INDEX ix_jc_no ON \"%1\" (内部编号, 检查阶段, %2)").arg(sheetTable(), Schema::KeyColumn)},
        {arrivedIn(markTable()),
         QStringLiteral("CREATE INDEX ix_sb_no ON \"%1\" (内部编号, 检查阶段, %2)").arg(markTable(), Schema::KeyColumn)},
        // A fine is matched by plate and moment, listed per customer; the log is read by time and by row.
        {arrivedIn(fineTable()),
         QStringLiteral("CREATE INDEX ix_wz_plate ON \"%1\" (车牌号, 违章时间, %2)").arg(fineTable(), Schema::KeyColumn)},
        {arrivedIn(fineTable()),
         QStringLiteral("CREATE INDEX ix_wz_customer ON \"%1\" (客户号, %2)").arg(fineTable(), Schema::KeyColumn)},
        {arrivedIn(auditTable()),
         QStringLiteral("CREATE INDEX ix_rz_time ON \"%1\" (操作时间, %2)").arg(auditTable(), Schema::KeyColumn)},
        {arrivedIn(auditTable()),
         QStringLiteral("CREATE INDEX ix_rz_row ON \"%1\" (表名, 记录编号, %2)").arg(auditTable(), Schema::KeyColumn)},
        // The income statistics read a year's contracts by dispatch date: a range among all the years.
        // A file reads them faster through the plate index, which holds the amounts too.
        {6, QStringLiteral("CREATE INDEX IF NOT EXISTS ix_zl_dispatch ON 汽车租赁登记表 (发车日期)"), true},
    };
    return i;
}

// The tables of our own that arrived in the given version, with their indexes.
void addOwnTables(Database& db, int version)
{
    for (const TableDef& t : ownTables())
        if (arrivedIn(t.name) == version)
            db.runNative(db.backend().createTableSql(t));
    for (const OwnIndex& i : ownIndexes())
        if (i.since == version && (!i.serverOnly || isServer(db.backend())))
            db.runNative(i.sql);
}

// Version 1 to 2: every table keeps its rows and keys and hands out each key once from now on;
// the version table appears with the first generation.
void lastingKeys(Database& db)
{
    SqlBackend& b = db.backend();
    for (const TableDef& t : Schema::tables()) {
        if (b.keysLast(db.handle(), t.name))
            continue;
        QStringList cols{Schema::KeyColumn};
        for (const ColumnDef& c : t.columns)
            cols << quoted(c.name);
        const QString old = quoted(t.name + QStringLiteral("__v1"));
        db.runNative(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(t.name), old));
        db.runNative(b.createTableSql(t));
        db.runNative(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(quoted(t.name), cols.join(QLatin1Char(',')), old));
        db.runNative(QStringLiteral("DROP TABLE ") + old);
    }
    // The indexes went with the old tables.
    for (QString s : b.createIndexSql())
        db.runNative(s.replace(QStringLiteral("CREATE INDEX "), QStringLiteral("CREATE INDEX IF NOT EXISTS ")));
    addOwnTables(db, 2);
    seed(db);
}

}  // namespace

const QString& versionTable()
{
    static const QString name = QStringLiteral("数据库版本");
    return name;
}

const QString& changeLogTable()
{
    static const QString name = QStringLiteral("租赁变更记录");
    return name;
}

const QString& sheetTable()
{
    static const QString name = QStringLiteral("车况检查");
    return name;
}

const QString& markTable()
{
    static const QString name = QStringLiteral("车损标记");
    return name;
}

const QString& accessoryTable()
{
    static const QString name = QStringLiteral("随车物品");
    return name;
}

const QString& fineTable()
{
    static const QString name = QStringLiteral("违章登记");
    return name;
}

const QString& auditTable()
{
    static const QString name = QStringLiteral("操作日志");
    return name;
}

const QString& settingTable()
{
    static const QString name = QStringLiteral("业务设置");
    return name;
}

QVector<std::pair<QString, QString>> defaultSettings()
{
    return BusinessSettings{}.rows();
}

QVector<Dependent> dependentsOf(const QString& table)
{
    if (table != QStringLiteral("汽车租赁登记表"))
        return {};
    return {{changeLogTable(), Col::内部编号}, {sheetTable(), Col::内部编号}, {markTable(), Col::内部编号}};
}

QStringList defaultAccessories()
{
    return {QStringLiteral("备胎"),       QStringLiteral("千斤顶"), QStringLiteral("随车工具"),
            QStringLiteral("三角警示牌"), QStringLiteral("灭火器"), QStringLiteral("行驶证")};
}

const QVector<TableDef>& ownTables()
{
    static const QVector<TableDef> t{
        {versionTable(), {{QStringLiteral("版本号"), FieldType::Integer}, {QStringLiteral("数据代号"), FieldType::Integer}}},
        {changeLogTable(),
         {{Col::内部编号, FieldType::Text},
          {Col::变更项目, FieldType::Text},
          {Col::原值, FieldType::Text},
          {Col::新值, FieldType::Text},
          {Col::里程, FieldType::Integer},
          {Col::操作员, FieldType::Text},
          {Col::操作日期, FieldType::DateTime}}},
        {sheetTable(),
         {{Col::内部编号, FieldType::Text},
          {Col::检查阶段, FieldType::Text},
          {Col::油量, FieldType::Integer},
          {Col::随车物品, FieldType::Memo},
          {Col::检查人, FieldType::Text},
          {Col::检查时间, FieldType::DateTime},
          {Col::备注, FieldType::Text},
          {Col::修改次数, FieldType::Integer}}},
        {markTable(),
         {{Col::内部编号, FieldType::Text},
          {Col::检查阶段, FieldType::Text},
          {Col::标记序号, FieldType::Integer},
          {Col::横坐标, FieldType::Integer},
          {Col::纵坐标, FieldType::Integer},
          {Col::损伤说明, FieldType::Text}}},
        {accessoryTable(), {{Col::物品名称, FieldType::Text}, {Col::序号, FieldType::Integer}}},
        {fineTable(),
         {{Col::违章时间, FieldType::DateTime},
          {Col::车牌号, FieldType::Text},
          {Col::违章地点, FieldType::Text},
          {Col::违章行为, FieldType::Text},
          {Col::罚款金额, FieldType::Money},
          {Col::扣分, FieldType::Integer},
          {Col::通知书编号, FieldType::Text},
          {Col::处理状态, FieldType::Text},
          {Col::租赁内部编号, FieldType::Text},
          {Col::客户号, FieldType::Text},
          {Col::客户姓名, FieldType::Text},
          {Col::联系电话, FieldType::Text},
          {Col::备注, FieldType::Text},
          {Col::操作员, FieldType::Text},
          {Col::操作日期, FieldType::DateTime}}},
        {auditTable(),
         {{Col::操作时间, FieldType::DateTime},
          {Col::操作员, FieldType::Text},
          {Col::工作站, FieldType::Text},
          {Col::表名, FieldType::Text},
          {Col::记录编号, FieldType::Text},
          {Col::操作类型, FieldType::Text},
          {Col::字段名, FieldType::Text},
          {Col::原值, FieldType::Memo},
          {Col::新值, FieldType::Memo}}},
        {settingTable(), {{Col::设置项, FieldType::Text}, {Col::设置值, FieldType::Text}}},
    };
    return t;
}

const TableDef* recordTable(const QString& name)
{
    if (name != fineTable())
        return nullptr;
    for (const TableDef& t : ownTables())
        if (t.name == name)
            return &t;
    return nullptr;
}

int arrivedIn(const QString& table)
{
    if (table == versionTable())
        return 2;
    if (table == changeLogTable())
        return 3;
    if (table == sheetTable() || table == markTable() || table == accessoryTable())
        return 4;
    if (table == fineTable() || table == auditTable() || table == settingTable())
        return 5;
    return 0;
}

QStringList ownIndexSql(const SqlBackend& backend)
{
    QStringList sql;
    for (const OwnIndex& i : ownIndexes())
        if (!i.serverOnly || isServer(backend))
            sql << i.sql;
    return sql;
}

QVector<const TableDef*> carriedTables()
{
    QVector<const TableDef*> out;
    for (const TableDef& t : ownTables())
        if (t.name != versionTable())
            out << &t;
    return out;
}

void seed(Database& db, qint64 generation)
{
    db.runNative(QStringLiteral("INSERT INTO %1 (版本号, 数据代号) VALUES (?, ?)").arg(quoted(versionTable())), {Current, generation});
}

void seedTable(Database& db, const QString& table)
{
    if (table == accessoryTable()) {
        const QStringList items = defaultAccessories();
        for (int i = 0; i < items.size(); ++i)
            db.runNative(QStringLiteral("INSERT INTO %1 (物品名称, 序号) VALUES (?, ?)").arg(quoted(table)), {items[i], i + 1});
    } else if (table == settingTable()) {
        const QVector<std::pair<QString, QString>> settings = defaultSettings();
        for (const auto& [item, value] : settings)
            db.runNative(QStringLiteral("INSERT INTO %1 (设置项, 设置值) VALUES (?, ?)").arg(quoted(table)), {item, value});
    }
}

int version(Database& db)
{
    if (!hasTable(db, versionTable()))
        return 1;
    return int(single(db, QStringLiteral("SELECT max(版本号) FROM ") + quoted(versionTable())));
}

QString tooNewText(int version)
{
    return QStringLiteral("数据库版本为 %1，本程序只能使用 %2 及以下版本的数据库，请使用新版程序").arg(version).arg(Current);
}

bool upgrade(Database& db, QString* error)
{
    try {
        int v = version(db);
        if (v == Current)
            return true;
        if (v > Current) {
            *error = tooNewText(v);
            return false;
        }
        Transaction tx(db);
        // Another workstation may have upgraded it while this one waited for the write lock.
        v = version(db);
        if (v > Current) {
            *error = tooNewText(v);
            return false;
        }
        if (v < 2)
            lastingKeys(db);
        if (v < 3)
            addOwnTables(db, 3);
        if (v < 4) {
            addOwnTables(db, 4);
            seedTable(db, accessoryTable());
        }
        if (v < 5) {
            addOwnTables(db, 5);
            seedTable(db, settingTable());
        }
        if (v < 6)
            addOwnTables(db, 6);
        db.runNative(QStringLiteral("UPDATE %1 SET 版本号 = ?").arg(quoted(versionTable())), {Current});
        tx.commit();
        return true;
    } catch (const DbError& e) {
        *error = QStringLiteral("数据库升级失败（未作任何改动）: ") + e.text();
        return false;
    }
}

qint64 generation(Database& db)
{
    return single(db, QStringLiteral("SELECT max(数据代号) FROM ") + quoted(versionTable()));
}

void advanceGeneration(Database& db, qint64 atLeast)
{
    db.runNative(
        QStringLiteral("UPDATE %1 SET 数据代号 = (CASE WHEN 数据代号 > ? THEN 数据代号 ELSE ? END) + 1").arg(quoted(versionTable())),
        {atLeast, atLeast});
}

void requireGeneration(Database& db, qint64 read)
{
    if (generation(db) != read)
        throw DbError(QStringLiteral("数据已恢复，请关闭窗口后重新打开!"), DbError::Kind::Stale);
}

qint64 keyHighWater(Database& db, const QString& table)
{
    const qint64 highest = single(db, QStringLiteral("SELECT max(%1) FROM %2").arg(Schema::KeyColumn, quoted(table)));
    if (!db.backend().keysLast(db.handle(), table))
        return highest;
    return std::max(highest, single(db, db.backend().keyMarkSql(table)));
}

void raiseKeys(Database& db, const QString& table, qint64 mark)
{
    for (const QString& s : db.backend().raiseKeysSql(table, mark))
        db.runNative(s);
}

}  // namespace Versions
