#include "data/lookups.h"
#include "data/database.h"

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
    return column(db, QStringLiteral("汽车档案"), QStringLiteral("车牌号"), QStringLiteral("车牌号"));
}

QStringList handlers(Database& db)
{
    return column(db, QStringLiteral("经办人信息"), QStringLiteral("经办人姓名"), QStringLiteral("经办人姓名"));
}

QVector<LookupItem> customers(Database& db)
{
    QSqlQuery q = db.run(QStringLiteral("select 客户号, 客户姓名 from 客户登记表 order by 客户号"));
    QVector<LookupItem> out;
    while (q.next()) {
        const QString key = q.value(0).toString();
        out << LookupItem{key, key + QLatin1Char(' ') + q.value(1).toString()};
    }
    return out;
}

QStringList summaries(Database& db)
{
    return column(db, QStringLiteral("摘要"), QStringLiteral("摘要"), QStringLiteral("代码"));
}

} // namespace Lookups
