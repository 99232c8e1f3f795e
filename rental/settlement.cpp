#include "rental/settlement.h"
#include "data/columns.h"

#include <utility>

namespace Settlement {

std::optional<Refusal> checkReturn(const QDateTime& dispatch, const QDateTime& returned, qint64 odometerOut, qint64 odometerIn)
{
    // An empty return date is the earliest of all: refused whenever there is a dispatch date.
    if (dispatch.isValid() && (!returned.isValid() || dispatch > returned))
        return Refusal{QStringLiteral("收车日期小于发车日期,请重新输入!"), Col::收车日期};
    if (odometerIn < odometerOut)
        return Refusal{QStringLiteral("收车里程小于发车里程,请重新输入!"), Col::收车里程};
    return std::nullopt;
}

std::optional<Refusal> check(const Input& in)
{
    if (auto r = checkReturn(in.dispatch, in.returned, in.odometerOut, in.odometerIn))
        return r;
    if (in.received < Money())
        return Refusal{QStringLiteral("实收金额不能小于0,请重新输入!"), Col::实收金额};
    // The fields hold no negative value, but a row can bring one (an older version, a copy): a
    // negative charge would lower the total and reach the journal and the statistics.
    const auto negative = [](const QString& column) { return Refusal{column + QStringLiteral("不能小于0,请重新输入!"), column}; };
    if (in.daysTyped && in.days < 0)
        return negative(Col::租赁期限);
    if (in.odometerOut < 0)
        return negative(Col::发车里程);
    if (in.lumpSum < Money())
        return negative(Col::包干价);
    if (in.overtimeHours < 0)
        return negative(Col::超时小时);
    for (int i = 0; i < ExtraCount; ++i)
        if (in.extras[i] < Money())
            return negative(ExtraColumns[i]);
    const std::pair<const Money&, const char*> terms[] = {{in.rate, "租赁单价"},
                                                          {in.excessRate, "超驶收费单价"},
                                                          {in.overtimeRate, "超时收费单价"},
                                                          {in.advance, "预收租金"},
                                                          {in.deposit, "押金"}};
    for (const auto& [amount, column] : terms)
        if (amount < Money())
            return negative(QString::fromUtf8(column));
    if (in.allowance < 0)
        return negative(Col::每天限驶里程);
    if (in.settled && in.received <= Money())
        return Refusal{QStringLiteral("没有实收金额,不能帐款结清,请重新输入!"), Col::实收金额, true};
    if (in.total < in.received)
        return Refusal{QStringLiteral("实收金额不能大于应收金额,请重新输入!"), Col::实收金额};
    return std::nullopt;
}

qint64 daysBetween(const QDateTime& from, const QDateTime& to)
{
    if (!from.isValid() || !to.isValid())
        return 0;
    constexpr qint64 Day = 24LL * 3600 * 1000;
    const qint64 ms = from.date().daysTo(to.date()) * Day + (to.time().msecsSinceStartOfDay() - from.time().msecsSinceStartOfDay());
    const bool negative = ms < 0;
    const qint64 a = negative ? -ms : ms;
    qint64 whole = a / Day;
    const qint64 rest = a % Day;
    if (rest * 2 > Day || (rest * 2 == Day && whole % 2 == 1))
        ++whole;
    return negative ? -whole : whole;
}

namespace {

// Checked arithmetic of one calculation: the first amount beyond the range marks it, and the
// amounts that follow are meaningless (the caller refuses the whole calculation).
struct Checked {
    bool outOfRange = false;
    Money add(Money a, Money b)
    {
        if (const auto r = a.checkedAdd(b))
            return *r;
        outOfRange = true;
        return Money();
    }
    Money sub(Money a, Money b) { return add(a, -b); }
    Money times(Money a, qint64 n)
    {
        if (const auto r = a.checkedTimes(n))
            return *r;
        outOfRange = true;
        return Money();
    }
};

}  // namespace

Result calculate(const Input& in)
{
    Result r;
    Checked c;
    const auto done = [&c, &r] {
        if (c.outOfRange) {
            Result refused;
            refused.days = r.days;
            refused.outOfRange = true;
            return refused;
        }
        return r;
    };
    r.days = in.daysTyped ? roundHalfEven(in.days) : daysBetween(in.dispatch, in.returned);
    if (in.lumpSum > Money()) {
        // Lump sum: rent, distance, time and extras give way to the agreed price.
        r.lumpSum = true;
        r.overtimeHours = 0;
        r.extras = std::array<Money, ExtraCount>{};
        r.total = in.lumpSum;
        r.receivable = in.lumpSum;
        r.refund = c.sub(c.add(in.advance, in.deposit), in.received);
        return done();
    }
    const qint64 d = r.days;
    r.rent = c.times(in.rate, d);
    qint64 allowed = 0, driven = 0, excess = 0;
    if (__builtin_mul_overflow(in.allowance, d, &allowed) || __builtin_sub_overflow(in.odometerIn, in.odometerOut, &driven)
        || __builtin_sub_overflow(driven, allowed, &excess))
        c.outOfRange = true;
    if (excess > 0) {
        r.excessKm = excess;
        r.excessFee = c.times(in.excessRate, excess);
    }
    const qint64 hours = roundHalfEven(in.overtimeHours);
    if (hours > 0)
        r.overtimeFee = c.times(in.overtimeRate, hours);
    r.subtotal = c.add(c.add(r.rent, r.excessFee), r.overtimeFee);
    for (const Money& m : in.extras)
        r.extrasTotal = c.add(r.extrasTotal, m);
    r.total = c.add(r.subtotal, r.extrasTotal);
    if (in.settled) {
        r.receivable = Money();
        r.refund = c.sub(c.add(in.advance, in.deposit), in.received);
        if (r.refund < Money())
            r.refund = Money();
    } else {
        r.receivable = c.sub(r.total, in.received);
        r.refund = in.refund;
    }
    return done();
}

}  // namespace Settlement
