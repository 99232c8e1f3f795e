#include "rental/contractchanges.h"
#include "core/sqltext.h"
#include "core/clock.h"
#include "core/dates.h"
#include "data/auditlog.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/versions.h"
#include "rental/rentalrules.h"
#include "rental/roadworthy.h"

#include <QSet>
#include <QSqlQuery>
#include <cmath>
#include <functional>

namespace Rental {

namespace {

const QString Returned = QStringLiteral("已交");

struct ContractRow {
    OpenContract contract;
    qint64 key = 0;
};

std::optional<ContractRow> readRow(Database& db, const QString& number)
{
    QSqlQuery q = db.run(QStringLiteral("select __rk, 内部编号, 车牌号, 客户姓名, 发车日期, 租赁期限, 发车里程, 客户交车, 帐款结清, "
                                        "租赁单价 from 汽车租赁登记表 where 内部编号=? order by __rk"),
                         {number});
    if (!q.next())
        return std::nullopt;
    ContractRow r;
    r.key = q.value(0).toLongLong();
    OpenContract& c = r.contract;
    c.number = q.value(1).toString();
    c.plate = q.value(2).toString();
    c.customer = q.value(3).toString();
    c.dispatch = Dates::fromVariant(q.value(4));
    c.days = q.value(5).isNull() ? 0 : qint64(std::llround(q.value(5).toDouble()));
    c.startOdometer = q.value(6).isNull() ? 0 : qint64(std::llround(q.value(6).toDouble()));
    c.returned = q.value(7).toString() == Returned;
    c.settled = q.value(8).toInt() != 0;
    c.rate = q.value(9);
    return r;
}

// The contract as the clerk saw it, still open; anything else was changed elsewhere meanwhile.
ContractRow requireSeen(Database& db, const QString& number, const std::function<bool(const OpenContract&)>& asSeen)
{
    const std::optional<ContractRow> r = readRow(db, number);
    if (!r || r->contract.returned || r->contract.settled || !asSeen(r->contract))
        throw DbConflict(QStringLiteral("汽车租赁登记表 %1: 记录已被其他用户修改或删除").arg(number));
    return *r;
}

QString termText(qint64 days, const QDateTime& end)
{
    return QStringLiteral("%1天 (至 %2)").arg(days).arg(Dates::displayDateTime(end));
}

void writeLog(Database& db, const QString& number, const QString& kind, const QString& oldValue, const QString& newValue,
              const QVariant& odometer, const QString& operatorName)
{
    db.runNative(QStringLiteral(
                     "INSERT INTO \"%1\" (内部编号, 变更项目, 原值, 新值, 里程, 操作员, 操作日期) VALUES (?, ?, ?, ?, ?, ?, ?)")
                     .arg(Versions::changeLogTable()),
                 {number, kind, oldValue, newValue, odometer, operatorName, Dates::toStorage(Clock::now())});
}

// The rest of the contract's period, as far as another vehicle would have to be free for it.
std::pair<QDateTime, QDateTime> restOfPeriod(const OpenContract& c, const QDateTime& now)
{
    const QDateTime from = std::max(now, c.dispatch);
    return {from, std::max(c.plannedEnd(), from)};
}

QString meetsText(const QString& plate, const Booking& b)
{
    return QStringLiteral("车辆 %1 与%2 %3 (%4) 时间重叠，不能换车!")
        .arg(plate, b.kind == Booking::Kind::Contract ? QStringLiteral("租赁") : QStringLiteral("预订"), b.number, b.customer);
}


}  // namespace

std::optional<OpenContract> readContract(Database& db, const QString& number)
{
    if (const auto r = readRow(db, number))
        return r->contract;
    return std::nullopt;
}

QString notOpenText(const OpenContract& c)
{
    if (c.returned)
        return QStringLiteral("该租赁的车辆已交，不能续租或换车!");
    if (c.settled)
        return QStringLiteral("该租赁已结清帐款，不能续租或换车!");
    return {};
}

std::optional<qint64> vehicleOdometer(Database& db, const QString& plate)
{
    QSqlQuery q = db.run(QStringLiteral("select 公里数 from 汽车档案 where 车牌号=?"), {plate});
    if (!q.next() || q.value(0).isNull())
        return std::nullopt;
    return qint64(std::llround(q.value(0).toDouble()));
}

qint64 termUntil(const QDateTime& dispatch, const QDate& returnDate)
{
    return dispatch.isValid() && returnDate.isValid() ? dispatch.date().daysTo(returnDate) : 0;
}

ChangeOutcome extendContract(Database& db, const ExtendRequest& r)
{
    ChangeOutcome out;
    if (r.newDays < 1 || r.newDays > MaxTerm) {
        out.refusal = QStringLiteral("租赁期限必须在 1 到 %1 天之间,请重新输入!").arg(MaxTerm);
        return out;
    }
    Transaction tx(db);
    const ContractRow row = requireSeen(db, r.number, [&](const OpenContract& c) { return c.days == r.seenDays; });
    const OpenContract& c = row.contract;
    if (r.newDays == c.days) {
        out.refusal = QStringLiteral("新的租赁期限与原租赁期限相同,请重新输入!");
        return out;
    }
    if (!c.dispatch.isValid()) {
        out.refusal = QStringLiteral("发车日期不能为空,不能续租!");
        return out;
    }
    const QDateTime oldEnd = c.plannedEnd();
    const QDateTime newEnd = plannedEnd(c.dispatch, r.newDays);
    // Only the added days can meet anything new; a shorter term gives days back.
    if (newEnd > oldEnd) {
        if (const auto other = overlappingContract(db, c.plate, oldEnd, newEnd, c.number, Clock::now())) {
            out.refusal = contractOverlapText(*other);
            return out;
        }
        if (const auto reservation = overlappingReservation(db, c.plate, oldEnd, newEnd, QString());
            reservation && !r.reservationAccepted) {
            out.reservation = reservation;
            return out;
        }
    }
    const std::optional<Money> due = rentDue(r.newDays, c.rate);
    AuditLog::Watch watch(db, QStringLiteral("汽车租赁登记表"), QStringLiteral("__rk=?"), {row.key});
    if (due)
        db.execute(QStringLiteral("update 汽车租赁登记表 set 租赁期限=?, 应收租金=? where __rk=?"),
                   {r.newDays, RecordSet::toStorage(QVariant::fromValue(*due), FieldType::Money), row.key});
    else
        db.execute(QStringLiteral("update 汽车租赁登记表 set 租赁期限=? where __rk=?"), {r.newDays, row.key});
    watch.done();
    writeLog(db, c.number, ChangeExtend, termText(c.days, oldEnd), termText(r.newDays, newEnd), QVariant(), r.operatorName);
    tx.commit();
    out.written = true;
    return out;
}

QString swapRefusal(Database& db, const OpenContract& c, const QString& plate, const QDateTime& now)
{
    QSqlQuery q = db.run(QStringLiteral("select 车牌号, 停用 from 汽车档案 where 车牌号=?"), {plate});
    if (!q.next())
        return QStringLiteral("汽车档案中没有车牌号") + plate;
    const QString stored = q.value(0).toString();
    const bool withdrawn = q.value(1).toInt() != 0;
    q.finish();
    if (sqlFold(stored) == sqlFold(c.plate))
        return QStringLiteral("换用的车辆与原车辆相同,请重新选择!");
    if (withdrawn)
        return QStringLiteral("车辆 %1 已停用，不能换车!").arg(stored);
    if (const auto refusal = dispatchRefusal(db, stored))
        return *refusal;
    // The new vehicle leaves now: a stop-hire rule set to 禁止出租 refuses it as it refuses a contract.
    if (const DispatchCheck road = dispatchCheck(db, stored, now.date()); !road.refusal.isEmpty())
        return road.refusal;
    const auto [from, to] = restOfPeriod(c, now);
    if (const auto other = overlappingContract(db, stored, from, to, c.number, now))
        return meetsText(stored, *other);
    if (const auto reservation = overlappingReservation(db, stored, from, to, QString()))
        return meetsText(stored, *reservation);
    return {};
}

QStringList swapCandidates(Database& db, const OpenContract& c, const QDateTime& now)
{
    // Only vehicles with an open contract or reservation can be taken in the period: the rest
    // need no look at their periods.
    QSet<QString> booked;
    for (const QString& sql : {QStringLiteral("select distinct 车牌号 from 汽车租赁登记表 where 帐款结清=false"),
                               QStringLiteral("select distinct 车牌号 from 客户预订汽车 where 执行完毕='否'")}) {
        QSqlQuery q = db.run(sql);
        while (q.next())
            booked.insert(sqlFold(q.value(0).toString()));
    }
    const auto [from, to] = restOfPeriod(c, now);
    // Read whole first: a server connection holds one result at a time.
    QStringList plates;
    QSqlQuery q = db.run(QStringLiteral("select 车牌号, 车辆状态 from 汽车档案 where 停用=false order by 车牌号"));
    while (q.next()) {
        const QString plate = q.value(0).toString();
        const QString state = q.value(1).toString().trimmed();
        if (!plate.isEmpty() && sqlFold(plate) != sqlFold(c.plate) && state != QStringLiteral("出租")
            && state != QStringLiteral("维修"))
            plates << plate;
    }
    q.finish();
    QStringList out;
    for (const QString& plate : plates) {
        if (booked.contains(sqlFold(plate))
            && (overlappingContract(db, plate, from, to, c.number, now) || overlappingReservation(db, plate, from, to, QString())))
            continue;
        out << plate;
    }
    return out;
}

ChangeOutcome swapVehicle(Database& db, const SwapRequest& r)
{
    ChangeOutcome out;
    if (r.newPlate.trimmed().isEmpty()) {
        out.refusal = QStringLiteral("请选择换用的车辆!");
        return out;
    }
    Transaction tx(db);
    const ContractRow row = requireSeen(db, r.number, [&](const OpenContract& c) { return c.plate == r.seenPlate; });
    const OpenContract& c = row.contract;
    const QDateTime now = Clock::now();
    out.refusal = swapRefusal(db, c, r.newPlate, now);
    if (!out.refusal.isEmpty())
        return out;
    if (r.odometer < c.startOdometer) {
        out.refusal = QStringLiteral("原车里程不能小于发车里程 %1,请重新输入!").arg(c.startOdometer);
        return out;
    }
    // The settlement charges 收车里程 − 发车里程: the kilometres driven in the old vehicle ride on
    // the new one's dispatch reading.
    const qint64 driven = r.odometer - c.startOdometer;
    const qint64 newStart = r.newOdometer - driven;
    if (newStart < 0) {
        out.refusal = QStringLiteral("新车里程 %1 小于本租赁已行驶的 %2 公里，不能换车!").arg(r.newOdometer).arg(driven);
        return out;
    }
    QSqlQuery q = db.run(QStringLiteral("select 车牌号 from 汽车档案 where 车牌号=?"), {r.newPlate});
    const QString plate = q.next() ? q.value(0).toString() : r.newPlate;
    q.finish();
    freeVehicle(db, c.plate, r.odometer);
    if (!markVehicleRented(db, plate, c.customer, c.dispatch))
        throw DbError(QStringLiteral("汽车档案中没有车牌号") + plate);
    AuditLog::Watch watch(db, QStringLiteral("汽车租赁登记表"), QStringLiteral("__rk=?"), {row.key});
    db.execute(QStringLiteral("update 汽车租赁登记表 set 车牌号=?, 发车里程=? where __rk=?"), {plate, newStart, row.key});
    watch.done();
    writeLog(db, c.number, ChangeSwap, c.plate, plate, r.odometer, r.operatorName);
    tx.commit();
    out.written = true;
    return out;
}

QVector<ChangeEntry> changeHistory(Database& db, const QString& number)
{
    QVector<ChangeEntry> out;
    QSqlQuery q = db.runNative(QStringLiteral(
                                   "SELECT 变更项目, 原值, 新值, 里程, 操作员, 操作日期 FROM \"%1\" WHERE 内部编号 = ? ORDER BY %2")
                                   .arg(Versions::changeLogTable(), Schema::KeyColumn),
                               {number});
    while (q.next()) {
        ChangeEntry e;
        e.kind = q.value(0).toString();
        e.oldValue = q.value(1).toString();
        e.newValue = q.value(2).toString();
        if (!q.value(3).isNull())
            e.odometer = q.value(3).toLongLong();
        e.operatorName = q.value(4).toString();
        e.at = Dates::fromVariant(q.value(5));
        out << e;
    }
    return out;
}

}  // namespace Rental
