#pragma once
// The cash journal's rules without a window: running balances of a month (each month starts from
// 0, entries in date order, same-day entries in the order they were added), the balance of a new
// entry, and the posting of a settled contract's received money.
#include "core/money.h"
#include "data/columns.h"
#include "data/listquery.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

class Database;

namespace Journal {

inline const QString Table = QStringLiteral("现金日记帐");
inline const QString Income = QStringLiteral("租赁收入");
inline const QString Expense = QStringLiteral("费用支出");

inline const QString Debit = Col::借方;
inline const QString Credit = Col::贷方;
inline const QString Summary = QStringLiteral("摘要");

// The first and last day of the month of `day`: the journal works in the month of the closing date.
struct MonthRange {
    QDate first, last;
    bool contains(const QDate& d) const { return d >= first && d <= last; }
};
MonthRange monthRange(const QDate& day);

// The journal list of the month of `closing`: "select * from 现金日记帐", "where " + the month
// condition, "order by 日期", with what it selects.
ListQuery monthQuery(const QDate& closing);

// What 存盘 of the entry dialog checks.
struct Entry {
    QDateTime date;  // invalid: empty
    QString summary;
    Money debit, credit;
};
// A refused entry: the message and the column whose field takes the focus.
struct Refusal {
    QString message;
    QString column;
};
// The checks of an entry in their order: an empty date, a date outside the closing month, an
// empty summary, both amounts, no amount. nullopt: the entry may be written.
std::optional<Refusal> checkEntry(const Entry& e, const QDate& closing);
// The balance an entry carries: the remembered previous balance moved by its amounts.
inline Money entryBalance(Money previous, Money debit, Money credit)
{
    return previous + debit - credit;
}
// The column the clerk's amount belongs in by the summary: 借方 for income, 贷方 for an expense,
// back to 摘要 for any other summary (it allows no amount).
QString amountColumn(const QString& summary);

// Recomputes the month of the closing date in one transaction. Throws DbError.
void tidyMonth(Database& db, const QDate& closing);

// Summary codes: the checks of 增加 and 存盘 (属性, then the name), and the one summary the
// system itself posts, which cannot be deleted.
std::optional<Refusal> checkSummaryCode(const QString& kind, const QString& name);
std::optional<QString> summaryDeleteRefusal(const QString& name);

// Recomputes 余额 of every entry of the month of `day` from 0. Throws DbError (a balance beyond
// the range of amounts among them, before any is written).
void recomputeMonth(Database& db, const QDate& day);

// The balance the newest entry of the month of `day` carries (by insertion order); nullopt when
// the month has no entry. Throws DbError for a stored balance beyond the range of amounts.
std::optional<Money> newestBalance(Database& db, const QDate& day);

// What a settled contract posts.
struct Settlement {
    QString contract;  // 内部编号
    QString customer;  // 客户姓名
    QString plate;     // 车牌号
    QString days;      // 租赁期限 as text
    QString settler;   // 结算人
    Money received;    // 实收金额
};

// "王五租赁京A00001车3天"
QString detailText(const Settlement& s);
// "内部编号：ZL2004000007": the link from the contract to its entry.
QString noteText(const QString& contract);

struct Posted {
    QDate date;               // the entry's date
    bool rewritten = false;   // an earlier posting of the contract was rewritten
    bool recomputed = false;  // the month's balances were recomputed
};

// Posts the received money: the contract's earlier posting (the entry whose note is exactly
// noteText, never a clerk's entry merely mentioning the contract) is rewritten on its own date,
// otherwise a new entry dated today carries the newest balance of today's month; when nothing was
// carried the month is recomputed. Throws DbError; the caller's transaction
// holds it together with the contract.
Posted postSettlement(Database& db, const Settlement& s, const QDate& today, const QString& operatorName, const QDateTime& now);

}  // namespace Journal
