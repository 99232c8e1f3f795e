#pragma once
// Amounts as the data layer hands them on. A value beyond the range of Money, whether the engine
// computed it (a sum of many large amounts) or the program reached it by adding, is a DbError with
// one text, never 0 or a wrapped amount; windows show it through their usual DbError paths.
#include "core/money.h"
#include "data/database.h"

#include <QString>
#include <QVariant>

namespace Amounts {

// "合计超出金额范围": the one text of every total beyond the range, the engine's own sum included.
QString outOfRange();

// A value the engine gave as an amount (a stored amount, a sum). Throws DbError beyond the range.
Money read(const QVariant& v);

// Sum and difference that throw DbError instead of leaving the range.
Money add(Money a, Money b);
Money subtract(Money a, Money b);

}  // namespace Amounts
