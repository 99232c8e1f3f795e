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

namespace {

// The digits of text[from, from + n), or -1 when one is not a digit.
int digitsAt(const QString& text, qsizetype from, int n)
{
    int v = 0;
    for (qsizetype i = from; i < from + n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

// The storage form ("yyyy-MM-dd HH:mm:ss" or "yyyy-MM-dd") read without the general pattern: every
// stored date comes back in it, and the lists and the planner read thousands. Anything else, or an
// impossible value: nullopt, for the general reading to decide.
std::optional<QDateTime> parseStorage(const QString& text)
{
    const qsizetype n = text.size();
    if ((n != 10 && n != 19) || text[4] != u'-' || text[7] != u'-')
        return std::nullopt;
    const QDate d(digitsAt(text, 0, 4), digitsAt(text, 5, 2), digitsAt(text, 8, 2));
    if (!d.isValid() || d.year() < 0)
        return std::nullopt;
    if (n == 10)
        return QDateTime(d, QTime(0, 0, 0));
    if (text[10] != u' ' || text[13] != u':' || text[16] != u':')
        return std::nullopt;
    const QTime t(digitsAt(text, 11, 2), digitsAt(text, 14, 2), digitsAt(text, 17, 2));
    if (!t.isValid())
        return std::nullopt;
    return QDateTime(d, t);
}

}  // namespace

std::optional<QDateTime> parseJet(const QString& text)
{
    if (auto p = parseStorage(text))
        return p;
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*(\d{4})[-/.](\d{1,2})[-/.](\d{1,2})(?:[ T]+(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.\d+)?)?)?\s*$)"));
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
    return QStringLiteral("(") + column + QStringLiteral(" between cdate('") + monthFirst(d) + QStringLiteral("') and cdate('")
           + monthLast(d) + QStringLiteral("'))");
}

QString dayRangeTerm(const QString& column, const QString& fromText, const QString& toText, const QString& fn)
{
    return QStringLiteral("(") + column + QStringLiteral(" between ") + fn + QStringLiteral("('") + sqlText(fromText)
           + QStringLiteral(" 0:0:0') and ") + fn + QStringLiteral("('") + sqlText(toText) + QStringLiteral(" 23:59:59'))");
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

QString displayStored(const QVariant& v)
{
    if (v.metaType().id() == QMetaType::QString) {
        const QString s = v.toString();
        const QChar* c = s.constData();
        auto digits = [c](int at, int n) {
            int value = 0;
            for (int i = at; i < at + n; ++i) {
                if (c[i] < u'0' || c[i] > u'9')
                    return -1;
                value = value * 10 + (c[i].unicode() - '0');
            }
            return value;
        };
        if (s.size() == 19 && c[4] == u'-' && c[7] == u'-' && c[10] == u' ' && c[13] == u':' && c[16] == u':') {
            const int y = digits(0, 4), mo = digits(5, 2), d = digits(8, 2);
            const int h = digits(11, 2), mi = digits(14, 2), sec = digits(17, 2);
            if (y >= 0 && mo >= 0 && d >= 0 && h >= 0 && mi >= 0 && sec >= 0 && QDate::isValid(y, mo, d) && QTime::isValid(h, mi, sec))
                return (h == 0 && mi == 0 && sec == 0) ? s.left(10) : s;
        }
    }
    return displayDateTime(fromVariant(v));
}

}  // namespace Dates
