#pragma once
// Stop-hire: a vehicle whose 养路费, 年审, 保险 or 车船税 has expired, or whose next service mileage
// is reached (the reminder rules 1 to 5 with lead 0, the same tests as the reminder scan), is not
// sent out as the office's settings say: refused, asked about, or not checked. Plain rules over the
// database; the contract and reservation dialogs and the planner call them, tests call them directly.
#include "data/businesssettings.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class Database;

namespace Rental {

// One rule that finds a vehicle due.
struct Lapse {
    int rule = 0;       // 0..4: reminder rules 1 to 5
    QString item;       // the rule's item in 提醒功能初始表 (保险到期)
    QDate expiry;       // rules 1 to 4: the deadline's day
    qint64 odometer = 0, nextService = 0;  // rule 5: 公里数, 下次二保里程
};

// What the stop-hire rules need of the office: the rules' item names and the settings.
struct RoadRules {
    QStringList items;  // rules 1 to 5
    BusinessSettings settings;
    // Both read once. Throws DbError.
    static RoadRules read(Database& db);
};

// The rules that find a vehicle due on `day` with lead 0, from its values of
// Reminders::VehicleTests::columns() in that order; rules set to 不检查 are left out.
QVector<Lapse> lapsesOf(const QVariantList& values, const RoadRules& rules, const QDate& day);
// The same for the vehicle of the plate (none when it is not in 汽车档案). Throws DbError.
QVector<Lapse> lapses(Database& db, const QString& plate, const RoadRules& rules, const QDate& day);

// "保险已于2004-03-01到期" / "苏A00001 已到二保里程（下次二保里程 30000，现 30500 公里）".
QString lapseText(const Lapse& lapse, const QString& plate);

// What a dispatch of the plate on `day` meets: the refusal of the first rule set to 禁止出租 that
// finds it due ("…，不能出租!"), else the questions of the rules set to 只提醒 ("…，仍然出租吗?").
struct DispatchCheck {
    QString refusal;
    QStringList questions;
};
DispatchCheck dispatchCheck(Database& db, const QString& plate, const QDate& day);

// The day a dispatch is checked on: the contract's dispatch day, or today when that is past (a
// vehicle leaves now at the earliest, also when a contract's plate is changed later).
QDate dispatchDay(const QDateTime& dispatch, const QDate& today);

// What a reservation of the plate for [from, from + days) is asked about, for each rule not set to
// 不检查: an expiry that falls before the planned end ("保险将于…到期，在预订期内，仍然保存吗?"),
// and a service mileage already reached. Throws DbError.
QStringList reservationQuestions(Database& db, const QString& plate, const QDateTime& from, qint64 days, const QDate& today);

}  // namespace Rental
