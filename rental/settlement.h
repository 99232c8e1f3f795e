#pragma once
// The settlement of a contract without a window: the checks before calculating or saving, the
// calculation (normal and lump-sum modes, whole days from the dates, exact money), and what a
// settled save does to the account. Values in, values out; the dialog binds fields and calls these.
#include "core/money.h"
#include "data/columns.h"

#include <QDateTime>
#include <QStringList>
#include <array>
#include <optional>

namespace Settlement {

// The thirteen extra charges in the order they are summed and shown.
inline const QStringList ExtraColumns{Col::汽油费,   Col::代驾费,   Col::超保养费, Col::违约金, Col::修理费,
                                      Col::保险费,   Col::车损费,   Col::清洁费,   Col::送车费, Col::拆装赔偿费,
                                      Col::异地还车, Col::其它收费, Col::陪练费};
constexpr int ExtraCount = 13;

struct Input {
    QDateTime dispatch, returned;  // 发车日期, 收车日期 (invalid: empty)
    qint64 odometerOut = 0;        // 发车里程 (empty: 0)
    qint64 odometerIn = 0;         // 收车里程
    bool daysTyped = false;        // 输入天数
    double days = 0;               // 租赁期限 as it stands (used when typed)
    Money rate;                    // 租赁单价
    qint64 allowance = 0;          // 每天限驶里程
    Money excessRate;              // 超驶收费单价
    double overtimeHours = 0;      // 超时小时, typed
    Money overtimeRate;            // 超时收费单价
    Money lumpSum;                 // 包干价
    std::array<Money, ExtraCount> extras{};
    Money advance, deposit;  // 预收租金, 押金
    Money received;          // 实收金额
    bool settled = false;    // 帐款结清
    Money total;             // 收费金额 before this calculation
    Money refund;            // 应退金额 before (kept while the account stays open)
};

// A refused calculation or save: the message, the column to focus, and whether 帐款结清 is unticked.
struct Refusal {
    QString message;
    QString column;
    bool untickSettled = false;
};
// The return after the dispatch, by date and time and by odometer (the checks of a return).
std::optional<Refusal> checkReturn(const QDateTime& dispatch, const QDateTime& returned, qint64 odometerOut, qint64 odometerIn);
// The checks shared by 计算 and 存盘, in their order; a negative amount, rate, distance or hour
// count is refused by its column.
std::optional<Refusal> check(const Input& in);

struct Result {
    qint64 days = 0;                                      // 租赁期限 (written unless typed)
    Money rent;                                           // 应收租金
    qint64 excessKm = 0;                                  // 超驶里程
    Money excessFee;                                      // 超驶费
    std::optional<qint64> overtimeHours;                  // 超时小时: written (0) only in lump-sum mode
    Money overtimeFee;                                    // 超时费
    Money subtotal;                                       // 收费小计
    std::optional<std::array<Money, ExtraCount>> extras;  // written (zeros) only in lump-sum mode
    Money extrasTotal;                                    // 附加小计
    Money total;                                          // 收费金额
    Money receivable;                                     // 应收帐款
    Money refund;                                         // 应退金额
    bool lumpSum = false;
    // An amount (or the distance) passed the range of the numbers: the result has no amounts and
    // the calculation is refused as a whole, never written with a wrapped or zero amount.
    bool outOfRange = false;
};

// Whole days between two date-times, a half rounded to the even neighbour; calendar days, so a
// change of daylight saving time does not move the count.
qint64 daysBetween(const QDateTime& from, const QDateTime& to);

// The calculation (after check() passed); see Result::outOfRange.
Result calculate(const Input& in);

// 应收帐款 as a save leaves it: 0 when settled, otherwise what is still owed.
inline Money receivableOnSave(bool settled, const Money& total, const Money& received)
{
    // Both are stored amounts (fifteen digits): the difference stays within the range.
    return settled ? Money() : total - received;
}

}  // namespace Settlement
