#include "rental/handover.h"

#include "core/dates.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/textlimits.h"
#include "data/versions.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace Handover {

namespace {

QString quoted(const QString& name)
{
    return u'"' + name + u'"';
}

// Refuses a text its column cannot hold, naming the column.
void requireText(const QString& table, const QString& column, const QString& text)
{
    const QString problem = Schema::textProblem(table, column, text);
    if (!problem.isEmpty())
        throw DbError(problem);
}

void requireSheet(const Sheet& s)
{
    if (s.fuel < -1 || s.fuel > FullTank)
        throw DbError(u"油量应在 0 到 %1 格之间!"_s.arg(FullTank));
    QList<int> numbers;
    for (const Mark& m : s.marks) {
        if (m.x < 0 || m.x > Scale || m.y < 0 || m.y > Scale)
            throw DbError(u"车损标记 %1 不在车辆图上!"_s.arg(m.number));
        if (m.number < 1 || numbers.contains(m.number))
            throw DbError(u"车损标记编号 %1 重复或无效!"_s.arg(m.number));
        numbers << m.number;
        requireText(Versions::markTable(), Col::损伤说明, m.text);
    }
    const QString& t = Versions::sheetTable();
    // One item a line: each a name as the checklist holds them.
    for (const QString& item : s.accessories)
        requireText(Versions::accessoryTable(), Col::物品名称, item);
    requireText(t, Col::检查人, s.inspector);
    requireText(t, Col::备注, s.remarks);
}

}  // namespace

QString stageText(Stage stage)
{
    return stage == Stage::Dispatch ? u"交车"_s : u"收车"_s;
}

QStringList damageKinds()
{
    return {u"划痕"_s, u"凹陷"_s, u"破损"_s, u"裂纹"_s, u"掉漆"_s, u"缺失"_s, u"污损"_s};
}

std::optional<Sheet> load(Database& db, const QString& contract, Stage stage)
{
    QSqlQuery q = db.runNative(u"SELECT 油量, 随车物品, 检查人, 检查时间, 备注, 修改次数 FROM %1 WHERE 内部编号=? AND 检查阶段=?"_s.arg(
                                   quoted(Versions::sheetTable())),
                               {contract, stageText(stage)});
    if (!q.next())
        return std::nullopt;
    Sheet s;
    s.contract = contract;
    s.stage = stage;
    s.fuel = q.value(0).isNull() ? -1 : q.value(0).toInt();
    s.accessories = q.value(1).toString().split(u'\n', Qt::SkipEmptyParts);
    s.inspector = q.value(2).toString();
    s.checkedAt = Dates::fromVariant(q.value(3));
    s.remarks = q.value(4).toString();
    s.revision = q.value(5).toLongLong();
    QSqlQuery m = db.runNative(u"SELECT 标记序号, 横坐标, 纵坐标, 损伤说明 FROM %1 WHERE 内部编号=? AND 检查阶段=? ORDER BY 标记序号"_s
                                   .arg(quoted(Versions::markTable())),
                               {contract, stageText(stage)});
    while (m.next())
        s.marks << Mark{m.value(0).toInt(), m.value(1).toInt(), m.value(2).toInt(), m.value(3).toString()};
    return s;
}

qint64 save(Database& db, const Sheet& sheet)
{
    requireSheet(sheet);
    const QString stage = stageText(sheet.stage);
    Transaction tx(db);
    QSqlQuery c = db.run(u"select 1 from 汽车租赁登记表 where 内部编号=?"_s, {sheet.contract});
    if (!c.next())
        throw DbError(u"租赁 %1 已被删除，不能存盘!"_s.arg(sheet.contract));
    const QString table = quoted(Versions::sheetTable());
    QSqlQuery r = db.runNative(u"SELECT 修改次数 FROM %1 WHERE 内部编号=? AND 检查阶段=?"_s.arg(table), {sheet.contract, stage});
    const std::optional<qint64> stored = r.next() ? std::optional(r.value(0).toLongLong()) : std::nullopt;
    // Saved or deleted by another workstation since this one read it: nothing is written.
    if (stored.value_or(0) != sheet.revision)
        throw DbConflict(u"%1检查单 %2: 记录已被其他用户修改或删除"_s.arg(stage, sheet.contract));
    const qint64 revision = sheet.revision + 1;
    const QVariant fuel = sheet.fuel < 0 ? QVariant() : QVariant(sheet.fuel);
    const QVariant at = sheet.checkedAt.isValid() ? QVariant(Dates::toStorage(sheet.checkedAt)) : QVariant();
    const QVariantList values{fuel, sheet.accessories.join(u'\n'), sheet.inspector, at, sheet.remarks, revision, sheet.contract,
                              stage};
    if (stored)
        db.runNative(
            u"UPDATE %1 SET 油量=?, 随车物品=?, 检查人=?, 检查时间=?, 备注=?, 修改次数=? WHERE 内部编号=? AND 检查阶段=?"_s.arg(table),
            values);
    else
        db.runNative(
            u"INSERT INTO %1 (油量, 随车物品, 检查人, 检查时间, 备注, 修改次数, 内部编号, 检查阶段) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s
                .arg(table),
            values);
    const QString marks = quoted(Versions::markTable());
    db.runNative(u"DELETE FROM %1 WHERE 内部编号=? AND 检查阶段=?"_s.arg(marks), {sheet.contract, stage});
    for (const Mark& m : sheet.marks)
        db.runNative(u"INSERT INTO %1 (内部编号, 检查阶段, 标记序号, 横坐标, 纵坐标, 损伤说明) VALUES (?, ?, ?, ?, ?, ?)"_s.arg(marks),
                     {sheet.contract, stage, m.number, m.x, m.y, m.text});
    tx.commit();
    return revision;
}

int nextMarkNumber(const std::optional<Sheet>& dispatch, const Sheet& sheet)
{
    int highest = 0;
    if (dispatch && sheet.stage == Stage::Return)
        for (const Mark& m : dispatch->marks)
            highest = std::max(highest, m.number);
    for (const Mark& m : sheet.marks)
        highest = std::max(highest, m.number);
    return highest + 1;
}

QStringList accessoryItems(Database& db)
{
    QStringList items;
    QSqlQuery q = db.runNative(
        u"SELECT 物品名称 FROM %1 ORDER BY 序号, %2"_s.arg(quoted(Versions::accessoryTable()), Schema::KeyColumn));
    while (q.next())
        items << q.value(0).toString();
    return items;
}

void setAccessoryItems(Database& db, const QStringList& items, const std::optional<QStringList>& asRead)
{
    QStringList kept;
    for (const QString& item : items) {
        const QString name = item.simplified();
        if (name.isEmpty() || kept.contains(name))
            continue;
        requireText(Versions::accessoryTable(), Col::物品名称, name);
        kept << name;
    }
    Transaction tx(db);
    if (asRead && accessoryItems(db) != *asRead)
        throw DbConflict(u"随车物品: 记录已被其他用户修改"_s);
    const QString table = quoted(Versions::accessoryTable());
    db.runNative(u"DELETE FROM "_s + table);
    for (int i = 0; i < kept.size(); ++i)
        db.runNative(u"INSERT INTO %1 (物品名称, 序号) VALUES (?, ?)"_s.arg(table), {kept[i], i + 1});
    tx.commit();
}

QStringList defaultAccessoryItems()
{
    return Versions::defaultAccessories();
}

}  // namespace Handover
