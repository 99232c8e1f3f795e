#include "data/amounts.h"

namespace Amounts {

QString outOfRange()
{
    return QStringLiteral("合计超出金额范围");
}

Money read(const QVariant& v)
{
    if (const auto m = Money::fromValue(v))
        return *m;
    throw DbError(outOfRange());
}

Money add(Money a, Money b)
{
    if (const auto m = a.checkedAdd(b))
        return *m;
    throw DbError(outOfRange());
}

Money subtract(Money a, Money b)
{
    // Every amount of the range has its negative (the range is symmetric); only a wrapped value has not.
    if (b.units() < -Money::MaxUnits)
        throw DbError(outOfRange());
    if (const auto m = a.checkedAdd(-b))
        return *m;
    throw DbError(outOfRange());
}

}  // namespace Amounts
