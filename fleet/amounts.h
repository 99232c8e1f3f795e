#pragma once
// The amounts the oil change and repair registers compute before they write a row.
#include "core/money.h"

#include <QVariant>

// 金额 of an oil change: 单价 × 数量 in exact decimal arithmetic, rounded to the four decimals of
// money (an exact half to the even neighbour). An empty quantity counts as 0. The quantity is
// taken as the decimal number it was entered as, never through binary fractions.
Money oilAmount(Money unitPrice, const QVariant& quantity);

// 总费用 of a repair: the exact sum of its three costs (empty ones count as 0).
inline Money repairTotal(Money materials, Money labour, Money other)
{
    return materials + labour + other;
}
