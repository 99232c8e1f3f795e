#include "data/listquery.h"

QString ListQuery::condition() const
{
    return terms.join(QStringLiteral(" and "));
}

QString ListQuery::sumStatement(const QStringList& columns) const
{
    QStringList sums;
    for (const QString& c : columns)
        sums << QStringLiteral("sum(") + c + QLatin1Char(')');
    QString sql = QStringLiteral("select ") + sums.join(QStringLiteral(", ")) + QStringLiteral(" from ") + table;
    if (!terms.isEmpty())
        sql += QStringLiteral(" where ") + condition();
    return sql;
}

QString ListQuery::countStatement() const
{
    QString sql = QStringLiteral("select count(*) from ") + table;
    if (!terms.isEmpty())
        sql += QStringLiteral(" where ") + condition();
    return sql;
}

ListQuery ListQuery::withOrder(const QVector<OrderMark>& marks, const QString& orderLine) const
{
    ListQuery q = *this;
    q.order = marks;
    if (q.lines.isEmpty())
        q.lines << orderLine;
    else
        q.lines.last() = orderLine;
    return q;
}
