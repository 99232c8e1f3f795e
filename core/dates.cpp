#include "core/dates.h"
#include "core/sqltext.h"

#include <QRegularExpression>

namespace Dates {

QString toStorage(const QDateTime& dt)
{
    if (!dt.isValid())
        return {};
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString toStorage(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00") : QString();
}

QDateTime fromVariant(const QVariant& v)
{
    if (v.isNull() || !v.isValid())
        return {};
    switch (v.metaType().id()) {
    case QMetaType::QDateTime:
        return v.toDateTime();
    case QMetaType::QDate:
        return QDateTime(v.toDate(), QTime(0, 0));
    default:
        break;
    }
    const QString s = v.toString();
    if (s.isEmpty())
        return {};
    if (auto p = parseJet(s))
        return *p;
    return {};
}

std::optional<QDateTime> parseJet(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{4})[-/.](\d{1,2})[-/.](\d{1,2})(?:[ T]+(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.\d+)?)?)?\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid())
        return std::nullopt;
    QTime t(0, 0, 0);
    if (m.hasCaptured(4)) {
        t = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.hasCaptured(6) ? m.captured(6).toInt() : 0);
        if (!t.isValid())
            return std::nullopt;
    }
    return QDateTime(d, t);
}

QString jetDate(const QDate& d)
{
    return QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day());
}

QString monthFirst(const QDate& d)
{
    return jetDate(QDate(d.year(), d.month(), 1));
}

QString monthLast(const QDate& d)
{
    return jetDate(QDate(d.year(), d.month(), d.daysInMonth()));
}

QString monthCondition(const QDate& d, const QString& column)
{
    return QStringLiteral("(") + column + QStringLiteral(" between cdate('") + monthFirst(d)
        + QStringLiteral("') and cdate('") + monthLast(d) + QStringLiteral("'))");
}

QString dayRangeTerm(const QString& column, const QString& fromText, const QString& toText, const QString& fn)
{
    return QStringLiteral("(") + column + QStringLiteral(" between ") + fn + QStringLiteral("('")
        + sqlText(fromText) + QStringLiteral(" 0:0:0') and ") + fn + QStringLiteral("('") + sqlText(toText)
        + QStringLiteral(" 23:59:59'))");
}

QString displayDate(const QDateTime& dt)
{
    return dt.isValid() ? dt.date().toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString displayDateTime(const QDateTime& dt)
{
    if (!dt.isValid())
        return {};
    if (dt.time() == QTime(0, 0))
        return displayDate(dt);
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace Dates
