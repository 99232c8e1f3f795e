#pragma once
// The cash journal's rules without a window: running balances of a month (each month starts from
// 0, entries in date order, same-day entries in the order they were added), the balance of a new
// entry, and the posting of a settled contract's received money.
#include "core/money.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

class Database;

namespace Journal {

inline const QString Table = QStringLiteral("现金日记帐");
inline const QString Income = QStringLiteral("租赁收入");
inline const QString Expense = QStringLiteral("费用支出");

// Recomputes 余额 of every entry of the month of `day` from 0. Throws DbError.
void recomputeMonth(Database& db, const QDate& day);

// The balance the newest entry of the month of `day` carries (by insertion order); nullopt when
// the month has no entry.
std::optional<Money> newestBalance(Database& db, const QDate& day);

// What a settled contract posts.
struct Settlement {
    QString contract;   // 内部编号
    QString customer;   // 客户姓名
    QString plate;      // 车牌号
    QString days;       // 租赁期限 as text
    QString settler;    // 结算人
    Money received;     // 实收金额
};

// "王五租赁京A00001车3天"
QString detailText(const Settlement& s);
// "内部编号：ZL2004000007": the link from the contract to its entry.
QString noteText(const QString& contract);

struct Posted {
    QDate date;           // the entry's date
    bool rewritten = false;  // an earlier posting of the contract was rewritten
    bool recomputed = false; // the month's balances were recomputed
};

// Posts the received money: an earlier entry of the contract (found by its note) is rewritten on
// its own date, otherwise a new entry dated today carries the newest balance of today's month;
// when nothing was carried the month is recomputed. Throws DbError; the caller's transaction
// holds it together with the contract.
Posted postSettlement(Database& db, const Settlement& s, const QDate& today, const QString& operatorName,
                      const QDateTime& now);

} // namespace Journal
