#include "data/listquery.h"

OrderMark orderMark(const QString& text)
{
    static const QString desc = QStringLiteral(" desc");
    const QString t = text.trimmed();
    if (t.endsWith(desc, Qt::CaseInsensitive))
        return {t.chopped(desc.size()).trimmed(), true};
    return {t, false};
}

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

ListQuery ListQuery::select(const QString& table, const QStringList& conditions, const QString& orderColumn, LineStyle style)
{
    ListQuery q;
    q.table = table;
    for (const QString& c : conditions)
        q.terms << QLatin1Char('(') + c + QLatin1Char(')');
    if (!orderColumn.isEmpty())
        q.order = {orderMark(orderColumn)};
    const QString from = QStringLiteral("select * from ") + table;
    const QString where = conditions.isEmpty() ? QString() : QStringLiteral("where ") + conditions.join(QStringLiteral(" and "));
    const QString orderBy = orderColumn.isEmpty() ? QString() : QStringLiteral("order by ") + orderColumn;
    if (style == LineStyle::OneLine) {
        QStringList parts{from};
        for (const QString& part : {where, orderBy})
            if (!part.isEmpty())
                parts << part;
        q.lines = {parts.join(QLatin1Char(' '))};
        return q;
    }
    q.lines = {from + QLatin1Char(' ')};
    for (const QString& part : {where, orderBy})
        if (!part.isEmpty())
            q.lines << part;
    return q;
}
