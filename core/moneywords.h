#pragma once
// Amounts in Chinese capital numerals, as receipts and cheques carry them (人民币大写).
#include "core/money.h"

#include <QString>

// 715 → "柒佰壹拾伍元整", 1.05 → "壹元零伍分", 0.05 → "伍分", 0 → "零元整", -3 → "负叁元整".
// The amount is first rounded half to even at the fen (the words know no smaller coin). One 零
// stands for a run of zeros inside the number, none at the end of a group; 零 follows 元 when the
// jiao is zero and a fen follows; 整 closes an amount that ends at the yuan, not one that ends at
// the jiao or fen. Every amount of the type has its words (万亿 above the 亿 group).
QString amountInWords(Money amount);
