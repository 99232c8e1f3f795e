#pragma once
// Traffic fines and the renter who answers for them: the contract whose period covered the moment
// of a fine for its plate, the unpaid fines of a customer and of a contract, and the fines left
// 未处理 too long. Plain rules over the database; the fines register, the contract and settlement
// dialogs and the reminder scan call them, tests call them directly.
#include "core/money.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <optional>

class Database;
class RecordSet;

namespace Fines {

inline const QString Unhandled = QStringLiteral("未处理");
inline const QString Passed = QStringLiteral("已转客户");
inline const QString Paid = QStringLiteral("已缴纳");
// How a fine outside every rental is shown in place of a renter.
inline const QString OfficeOwn = QStringLiteral("本公司");
// The reminder item of a fine still 未处理 after the lead.
inline const QString ReminderItem = QStringLiteral("违章未处理");

// The renter a fine is charged to; an empty number is the office's own.
struct Match {
    QString number;    // 内部编号 of the contract
    QString customer;  // 客户号
    QString name;      // 客户姓名
    QString phone;     // 联系电话 of the customer (移动电话 when that is empty)
    QDateTime dispatch, end;
    bool officeOwn() const { return number.isEmpty(); }
};

// Whether the period [dispatch, end] of a contract covers the moment, all three taken to the minute
// (a notice gives no seconds); an invalid end is a contract still out.
bool covers(const QDateTime& dispatch, const QDateTime& end, const QDateTime& at);

// The contract of the plate whose period covered the moment: from 发车日期 to 收车日期 once returned
// (客户交车 已交 or a 收车日期 set; 已交 without a date ends at the planned end), a contract still out
// to now. Of several, the one dispatched last. An empty match: the office's own. Throws DbError.
Match matchContract(Database& db, const QString& plate, const QDateTime& at, const QDateTime& now);
// "租赁 ZL2004000001 张三 (13900000000)", or 本公司 for the office's own.
QString matchText(const Match& m);

// The fine's match written into its row (租赁内部编号, 客户号, 客户姓名, 联系电话; empty for the
// office's own). Throws DbError.
void assignMatch(RecordSet& fine, Database& db, const QDateTime& now);

// Fines not yet 已缴纳 (an empty 处理状态 is not paid either).
struct Unpaid {
    int count = 0;
    Money total;
};
Unpaid unpaidOfCustomer(Database& db, const QString& customer);
Unpaid unpaidOfContract(Database& db, const QString& number);
// "客户 张三 有未缴纳的违章 2 笔，罚款合计 400.00 元，请提醒客户处理!"; empty when none.
QString unpaidWarning(const QString& name, const Unpaid& unpaid);
// "未缴纳违章 2 笔，罚款合计 400.00 元" / "无", the settlement dialog's line.
QString unpaidLine(const Unpaid& unpaid);


}  // namespace Fines
