#include "core/money.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>
#include <cfenv>

qint64 roundHalfEven(double v)
{
    // nearbyint follows the current rounding mode; the default (to nearest) breaks ties to even.
    // Values without a whole-number reading (infinite, not a number, beyond 64 bits) read as 0;
    // conversions that must refuse them use wholeNumber().
    return wholeNumber(v).value_or(0);
}

Money Money::fromDouble(double v)
{
    return fromStored(v).value_or(Money());
}

std::optional<Money> Money::fromStored(double v)
{
    if (!std::isfinite(v) || std::fabs(v) >= 9223372036854775808.0 / Scale + 1)
        return std::nullopt;
    // Whole part and fraction apart, both exact: a value past 2^53 ten-thousandths (a total or an
    // amount kept as a floating value) comes back as the amount it holds, not as a rounded product.
    const double whole = std::trunc(v);
    const qint64 frac = std::llround((v - whole) * Scale);
    qint64 units = 0;
    if (__builtin_mul_overflow(qint64(whole), Scale, &units) || __builtin_add_overflow(units, frac, &units) || units < -MaxUnits)
        return std::nullopt;
    return fromUnits(units);
}

std::optional<Money> Money::checkedAdd(Money o) const
{
    qint64 r = 0;
    if (__builtin_add_overflow(m_units, o.m_units, &r) || r < -MaxUnits)
        return std::nullopt;
    return fromUnits(r);
}

std::optional<Money> Money::checkedTimes(qint64 n) const
{
    qint64 r = 0;
    if (__builtin_mul_overflow(m_units, n, &r) || r < -MaxUnits)
        return std::nullopt;
    return fromUnits(r);
}

std::optional<qint64> wholeNumber(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    // Rounded first: 2^63 - 0.4 is still out of range once it is a whole number.
    const int old = std::fegetround();
    if (old != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    if (old != FE_TONEAREST)
        std::fesetround(old);
    if (std::fabs(r) >= 9223372036854775808.0)
        return std::nullopt;
    return qint64(r);
}

std::optional<Money> Money::parse(const QString& text)
{
    QString s = text.trimmed();
    s.remove(QLatin1Char(','));
    if (s.startsWith(QChar(0xA5)) || s.startsWith(QChar(0xFFE5)))
        s = s.mid(1).trimmed();
    if (s.isEmpty())
        return std::nullopt;
    bool neg = false;
    int i = 0;
    if (s[0] == QLatin1Char('-') || s[0] == QLatin1Char('+')) {
        neg = s[0] == QLatin1Char('-');
        i = 1;
    }
    qint64 whole = 0;
    int digits = 0;
    for (; i < s.size() && s[i].isDigit(); ++i, ++digits) {
        // Beyond the largest whole amount the count of ten-thousandths would wrap round.
        if (whole > (MaxUnits / Scale - s[i].digitValue()) / 10)
            return std::nullopt;
        whole = whole * 10 + s[i].digitValue();
    }
    qint64 frac = 0;
    int fdigits = 0;
    if (i < s.size() && s[i] == QLatin1Char('.')) {
        for (++i; i < s.size() && s[i].isDigit(); ++i, ++fdigits) {
            if (fdigits >= 4) {
                // Trailing zeros beyond four decimals are harmless ("1.50000"); anything else is not exact.
                if (s[i] != QLatin1Char('0'))
                    return std::nullopt;
                continue;
            }
            frac = frac * 10 + s[i].digitValue();
        }
    }
    if (i != s.size() || (digits == 0 && fdigits == 0))
        return std::nullopt;
    for (int k = std::min(fdigits, 4); k < 4; ++k)
        frac *= 10;
    if (whole * Scale > MaxUnits - frac)
        return std::nullopt;
    const qint64 u = whole * Scale + frac;
    return fromUnits(neg ? -u : u);
}

Money Money::fromVariant(const QVariant& v)
{
    return fromValue(v).value_or(Money());
}

std::optional<Money> Money::fromValue(const QVariant& v)
{
    if (v.isNull() || !v.isValid())
        return Money();
    if (v.metaType() == QMetaType::fromType<Money>())
        return v.value<Money>();
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        // A whole total of yuan: past the range once counted in ten-thousandths.
        return fromYuan(1).checkedTimes(v.toLongLong());
    case QMetaType::ULongLong: {
        const qulonglong n = v.toULongLong();
        if (n > qulonglong(MaxUnits / Scale))
            return std::nullopt;
        return fromYuan(qint64(n));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return fromStored(v.toDouble());
    case QMetaType::Bool:
        return fromYuan(v.toBool() ? 1 : 0);
    default: {
        const QString s = v.toString();
        if (auto m = parse(s))
            return m;
        bool ok = false;
        const double d = s.trimmed().toDouble(&ok);
        if (ok)
            return fromStored(d);
        // Not a number at all ("", "abc"): the engines count such text as 0. A decimal text parse
        // refused only for its size is no amount.
        static const QRegularExpression decimal(QStringLiteral("^\\s*[-+]?[0-9,]*\\.?[0-9]*\\s*$"));
        if (s.contains(QRegularExpression(QStringLiteral("[0-9]"))) && decimal.match(s).hasMatch())
            return std::nullopt;
        return Money();
    }
    }
}

QString Money::toString() const
{
    return toString(4);
}

QString Money::toString(int decimals, bool grouping) const
{
    decimals = std::clamp(decimals, 0, 4);
    qint64 div = 1;
    for (int k = decimals; k < 4; ++k)
        div *= 10;
    qint64 u = m_units;
    const bool neg = u < 0;
    if (neg)
        u = -u;
    if (div > 1) {
        qint64 q = u / div, r = u % div;
        if (r * 2 > div || (r * 2 == div && (q % 2) == 1))
            ++q;
        u = q;
    }
    qint64 p = 1;
    for (int k = 0; k < decimals; ++k)
        p *= 10;
    const qint64 whole = u / p, frac = u % p;
    // Written right to left into one buffer: lists print and export millions of amounts.
    char buf[48];
    int at = sizeof buf;
    qint64 f = frac;
    for (int k = 0; k < decimals; ++k) {
        buf[--at] = char('0' + f % 10);
        f /= 10;
    }
    if (decimals > 0)
        buf[--at] = '.';
    qint64 w = whole;
    int digits = 0;
    do {
        if (grouping && digits > 0 && digits % 3 == 0)
            buf[--at] = ',';
        buf[--at] = char('0' + w % 10);
        w /= 10;
        ++digits;
    } while (w > 0);
    if (neg && u != 0)
        buf[--at] = '-';
    return QString::fromLatin1(buf + at, int(sizeof buf) - at);
}

QString Money::toDisplay() const
{
    // Two decimals at least, four at most, no trailing zeros beyond the second.
    int decimals = 4;
    qint64 u = m_units < 0 ? -m_units : m_units;
    while (decimals > 2 && u % 10 == 0) {
        u /= 10;
        --decimals;
    }
    return toString(decimals);
}

namespace {

// The shortest decimal text that reads back as the stored number: what the clerk typed.
// Split into an integer of its digits and the count of decimals.
bool decimalOf(const QVariant& v, __int128* digits, int* scale)
{
    QString text;
    if (v.metaType().id() == QMetaType::QString) {
        text = v.toString().trimmed();
    } else {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return false;
        text = QString::number(d, 'f', QLocale::FloatingPointShortest);
    }
    bool negative = false;
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))) {
        negative = text.startsWith(QLatin1Char('-'));
        text.remove(0, 1);
    }
    const int dot = text.indexOf(QLatin1Char('.'));
    QString whole = dot < 0 ? text : text.left(dot);
    QString frac = dot < 0 ? QString() : text.mid(dot + 1);
    while (frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    QString all = whole + frac;
    while (all.startsWith(QLatin1Char('0')))
        all.remove(0, 1);
    if (all.isEmpty()) {
        *digits = 0;
        *scale = 0;
        return true;
    }
    // Beyond 36 places or 30 digits the product cannot be a money amount anyway.
    if (frac.size() > 36 || all.size() > 30)
        return false;
    __int128 n = 0;
    for (QChar c : all) {
        if (!c.isDigit())
            return false;
        n = n * 10 + (c.unicode() - '0');
    }
    *digits = negative ? -n : n;
    *scale = int(frac.size());
    return true;
}

}  // namespace

std::optional<Money> Money::times(const QVariant& quantity) const
{
    if (!quantity.isValid() || quantity.isNull())
        return Money();
    __int128 digits = 0;
    int scale = 0;
    if (!decimalOf(quantity, &digits, &scale))
        return std::nullopt;
    __int128 divisor = 1;
    for (int i = 0; i < scale; ++i)
        divisor *= 10;
    const bool negative = (digits < 0) != (m_units < 0);
    const __int128 a = digits < 0 ? -digits : digits;
    const __int128 p = m_units < 0 ? -__int128(m_units) : __int128(m_units);
    // p < 2^63 and a < 10^30: the product stays below 2^127.
    if (a != 0 && p > (((__int128(1) << 126) - 1) / a))
        return std::nullopt;
    const __int128 product = p * a;
    __int128 q = product / divisor;
    const __int128 r = product % divisor;
    if (2 * r > divisor || (2 * r == divisor && (q % 2) != 0))
        ++q;
    if (q > std::numeric_limits<qint64>::max())
        return std::nullopt;
    return fromUnits(negative ? -qint64(q) : qint64(q));
}
