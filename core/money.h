#pragma once
// Exact fixed-point money: a 64-bit count of ten-thousandths of a yuan.
// Every amount read from or written to the database, shown or exported goes through this type.
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <compare>
#include <cstdint>
#include <optional>

class Money {
public:
    static constexpr qint64 Scale = 10000;
    // Largest amount the type holds, in units, either sign (922337203685477.5807).
    static constexpr qint64 MaxUnits = 9223372036854775807LL;
    // Largest amount a database column holds exactly: fifteen significant digits survive the
    // engine's floating storage unchanged (99999999999.9999).
    static constexpr qint64 MaxStoredUnits = 999999999999999LL;

    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 units)
    {
        Money m;
        m.m_units = units;
        return m;
    }
    static constexpr Money fromYuan(qint64 yuan) { return fromUnits(yuan * Scale); }
    // A stored floating value is the nearest double to a four-decimal amount; rounding recovers it.
    // A value without an amount (infinite, not a number, beyond the range) reads as 0.
    static Money fromDouble(double v);
    // The same, refusing values without an amount instead of reading them as 0.
    static std::optional<Money> fromStored(double v);
    // Accepts "12", "-12.5", "1,234.5678", " 3.1 ", "¥12"; more than four decimals, junk or an
    // amount beyond the range fails.
    static std::optional<Money> parse(const QString& text);
    // A value as an amount: null/empty reads as 0, numbers and decimal texts are converted exactly,
    // text that is no number reads as 0 (as the engines' sums count it). A value beyond the range
    // (a whole number of yuan past it, an infinite or too large floating value, a longer decimal
    // text) gives nullopt, never 0 or a wrapped amount.
    static std::optional<Money> fromValue(const QVariant& v);
    // The same for values known to be amounts (typed, computed here); beyond the range reads as 0.
    // Values read from the database go through the data layer's checked reading instead.
    static Money fromVariant(const QVariant& v);

    constexpr qint64 units() const { return m_units; }
    double toDouble() const { return double(m_units) / Scale; }
    bool isZero() const { return m_units == 0; }
    // Whether a database column can hold the amount exactly.
    bool fitsStorage() const { return m_units <= MaxStoredUnits && m_units >= -MaxStoredUnits; }

    // "1234.5000": always four decimals, no grouping (storage, export).
    QString toString() const;
    // Screen form: at least two decimals, more only where the amount has them ("12.50", "0.0001").
    QString toDisplay() const;
    // Display with a fixed number of decimals (0..4); half-even rounding of the dropped digits.
    QString toString(int decimals, bool grouping = false) const;

    Money operator+(Money o) const { return fromUnits(m_units + o.m_units); }
    Money operator-(Money o) const { return fromUnits(m_units - o.m_units); }
    Money operator-() const { return fromUnits(-m_units); }
    Money& operator+=(Money o)
    {
        m_units += o.m_units;
        return *this;
    }
    Money& operator-=(Money o)
    {
        m_units -= o.m_units;
        return *this;
    }
    // A rate times a whole number (days, hours, kilometres) is exact.
    Money operator*(qint64 n) const { return fromUnits(m_units * n); }
    friend Money operator*(qint64 n, Money m) { return m * n; }
    auto operator<=>(const Money&) const = default;
    // Sum and product that refuse a result beyond the range instead of wrapping round.
    std::optional<Money> checkedAdd(Money o) const;
    std::optional<Money> checkedTimes(qint64 n) const;
    // Times a quantity that may have decimals (litres, hours): the quantity is taken as the decimal
    // the clerk typed, the product is exact and rounded half to even at four places. Null or empty
    // gives 0; a value that is not a number, or a result out of range, gives nullopt.
    std::optional<Money> times(const QVariant& quantity) const;

private:
    qint64 m_units = 0;
};

Q_DECLARE_METATYPE(Money)

// Whole-number reading of days, hours and kilometres: nearest integer, an exact half to the even neighbour.
qint64 roundHalfEven(double v);
// The same, refusing what has no 64-bit whole-number reading (1e20, infinity, not a number).
std::optional<qint64> wholeNumber(double v);
