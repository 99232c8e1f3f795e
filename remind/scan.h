#pragma once
// The reminder scan: what falls due, from the six parameter rows of 提醒功能初始表, the vehicle
// archive and the open rentals, written into the scratch table 通用 in one transaction. A plain
// function of the database and today.
#include <QDate>
#include <QString>
#include <QVector>

class Database;

namespace Reminders {

// The six rules' leads and item names, in rule order. Fewer rows: the missing rules take the last
// row read; no rows: lead 0 and empty names.
struct Rule {
    qint64 lead = 0;
    QString item;
};
QVector<Rule> readRules(Database& db);

// The reminder text of an open rental.
QString rentalNote(const QString& name, qint64 term, const QString& phone);

// Empties 通用 and appends the reminders due on `today`: per vehicle in plate order its rules 1 to 5,
// then the open rentals by return date and plate, then the fines still 未处理 whose 违章时间 lies
// the settings' 违章提醒天数 or more before today, by that moment. Throws DbError.
void scan(Database& db, const QDate& today);

}  // namespace Reminders
