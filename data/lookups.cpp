#include "data/lookups.h"
#include "data/columns.h"
#include "data/database.h"

#include <QDir>
#include <QSettings>
#include <QSqlQuery>

namespace Lookups {

QStringList column(Database& db, const QString& table, const QString& column, const QString& orderBy)
{
    QSqlQuery q = db.run(QStringLiteral("select ") + column + QStringLiteral(" from ") + table + QStringLiteral(" order by ")
                         + orderBy);
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QStringList plates(Database& db)
{
    return column(db, QStringLiteral("汽车档案"), Col::车牌号, Col::车牌号);
}

QStringList platesInService(Database& db)
{
    QSqlQuery q = db.run(QStringLiteral("select 车牌号 from 汽车档案 where 停用=no order by 车牌号"));
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QStringList handlers(Database& db)
{
    return column(db, QStringLiteral("经办人信息"), Col::经办人姓名, Col::经办人姓名);
}

namespace {

QVector<LookupItem> customerItems(Database& db, const QString& where)
{
    QSqlQuery q = db.run(QStringLiteral("select 客户号, 客户姓名 from 客户登记表 ") + where + QStringLiteral(" order by 客户号"));
    QVector<LookupItem> out;
    while (q.next()) {
        const QString key = q.value(0).toString();
        out << LookupItem{key, key + QLatin1Char(' ') + q.value(1).toString()};
    }
    return out;
}

}  // namespace

QVector<LookupItem> customers(Database& db)
{
    return customerItems(db, {});
}

QVector<LookupItem> activeCustomers(Database& db)
{
    return customerItems(db, QStringLiteral("where 停用=no"));
}

QStringList summaries(Database& db)
{
    return column(db, QStringLiteral("摘要"), QStringLiteral("摘要"), Col::代码);
}

namespace {
QString recentFile()
{
    return QDir::current().filePath(QStringLiteral("system1.ini"));
}
QString recentKey(const QString& dialogClass, const QString& field)
{
    return dialogClass + QStringLiteral("_MRUList/") + field;
}
}  // namespace

QStringList recentEntries(const QString& dialogClass, const QString& field)
{
    const QSettings ini(recentFile(), QSettings::IniFormat);
    return ini.value(recentKey(dialogClass, field)).toStringList();
}

QStringList rememberEntry(const QString& dialogClass, const QString& field, const QString& entry, int keep)
{
    QStringList list = recentEntries(dialogClass, field);
    if (entry.trimmed().isEmpty() || keep <= 0)
        return list;
    list.removeAll(entry);
    list.prepend(entry);
    while (list.size() > keep)
        list.removeLast();
    QSettings ini(recentFile(), QSettings::IniFormat);
    ini.setValue(recentKey(dialogClass, field), list);
    ini.sync();
    return list;
}

}  // namespace Lookups
