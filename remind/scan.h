#pragma once
// The reminder scan: what falls due, from the six parameter rows of 提醒功能初始表, the vehicle
// archive and the open rentals, written into the scratch table 通用 in one transaction. A plain
// function of the database and today.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <array>

class Database;

namespace Reminders {

// The six rules' leads and item names, in rule order. Fewer rows: the missing rules take the last
// row read; no rows: lead 0 and empty names.
struct Rule {
    qint64 lead = 0;
    QString item;
};
QVector<Rule> readRules(Database& db);

// The tests of rules 1 to 5 on one vehicle on `today`, each with its lead: the scan uses the leads
// of 提醒功能初始表, a dispatch (the stop-hire rules) lead 0, so both find a vehicle due alike.
class VehicleTests {
public:
    VehicleTests(const QDate& today, const std::array<qint64, 5>& leads);
    // The columns of 汽车档案 the tests read, in this order: the deadlines of rules 1 to 4, then
    // 公里数 and 下次二保里程.
    static QString columns();
    // Rules 1 to 4 (rule 0..3): the deadline as stored text when it is not later than today plus the
    // lead, else empty (so is an empty or unreadable deadline).
    QString expiry(int rule, const QVariant& deadline) const;
    // Rule 5: the odometer within the lead of the next service mileage, both set.
    bool mileage(const QVariant& odometer, const QVariant& nextService) const;

private:
    std::array<QString, 4> m_horizon;
    qint64 m_mileageLead = 0;
};

// The reminder text of an open rental.
QString rentalNote(const QString& name, qint64 term, const QString& phone);

// A fine still 未处理 whose 违章时间 lies leadDays or more before today (by the calendar), oldest
// first. Throws DbError.
struct OverdueFine {
    QString plate;
    QDateTime at;
    QString note;  // the renter (or 本公司) and the fine
};
QVector<OverdueFine> overdueFines(Database& db, const QDate& today, int leadDays);

// Empties 通用 and appends the reminders due on `today`: per vehicle in plate order its rules 1 to 5,
// then the open rentals by return date and plate, then the fines still 未处理 whose 违章时间 lies
// the settings' 违章提醒天数 or more before today, by that moment. Throws DbError.
void scan(Database& db, const QDate& today);

}  // namespace Reminders
