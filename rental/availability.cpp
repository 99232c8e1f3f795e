#include "rental/availability.h"
#include "core/dates.h"
#include "data/columns.h"
#include "data/database.h"
#include "rental/roadworthy.h"

#include <QSqlQuery>

namespace Rental {

QDateTime plannedEnd(const QDateTime& dispatch, qint64 days)
{
    return dispatch.addDays(std::max<qint64>(days, 0));
}

QDateTime contractEnd(const QDateTime& dispatch, qint64 days, bool returned, const QDateTime& returnedAt, const QDateTime& now)
{
    if (returned && returnedAt.isValid())
        return std::max(returnedAt, dispatch);
    const QDateTime planned = plannedEnd(dispatch, days);
    // Not back yet: the vehicle stays taken past the planned end until it comes back.
    return returned ? planned : std::max(planned, now);
}

namespace {

bool overlaps(const QDateTime& aFrom, const QDateTime& aTo, const QDateTime& bFrom, const QDateTime& bTo)
{
    return aFrom < bTo && bFrom < aTo;
}

qint64 wholeDays(const QVariant& v)
{
    return v.isNull() ? 0 : qint64(std::llround(v.toDouble()));
}

}  // namespace

std::optional<Booking> overlappingContract(Database& db, const QString& plate, const QDateTime& from, const QDateTime& to,
                                           const QString& except, const QDateTime& now)
{
    // The open contracts of one vehicle are few: read them and compare the periods here, the same
    // way on both engines.
    QSqlQuery q = db.run(QStringLiteral("select 内部编号, 客户姓名, 发车日期, 租赁期限, 客户交车, 收车日期 from 汽车租赁登记表 "
                                        "where 车牌号=? and 帐款结清=false order by 发车日期"),
                         {plate});
    while (q.next()) {
        const QString number = q.value(0).toString();
        if (!except.isEmpty() && number == except)
            continue;
        const QDateTime dispatch = Dates::fromVariant(q.value(2));
        if (!dispatch.isValid())
            continue;
        const bool returned = q.value(4).toString() == QStringLiteral("已交");
        const QDateTime end = contractEnd(dispatch, wholeDays(q.value(3)), returned, Dates::fromVariant(q.value(5)), now);
        if (overlaps(from, to, dispatch, end))
            return Booking{Booking::Kind::Contract, number, q.value(1).toString(), dispatch, end};
    }
    return std::nullopt;
}

std::optional<Booking> overlappingReservation(Database& db, const QString& plate, const QDateTime& from, const QDateTime& to,
                                              const QString& except)
{
    QSqlQuery q = db.run(QStringLiteral("select 内部编号, 客户姓名, 发车日期, 租赁期限 from 客户预订汽车 "
                                        "where 车牌号=? and 执行完毕='否' order by 发车日期"),
                         {plate});
    while (q.next()) {
        const QString number = q.value(0).toString();
        if (!except.isEmpty() && number == except)
            continue;
        const QDateTime start = Dates::fromVariant(q.value(2));
        if (!start.isValid())
            continue;
        const QDateTime end = plannedEnd(start, wholeDays(q.value(3)));
        if (overlaps(from, to, start, end))
            return Booking{Booking::Kind::Reservation, number, q.value(1).toString(), start, end};
    }
    return std::nullopt;
}

std::optional<Booking> reservationOverlap(Database& db, const QString& plate, const QDateTime& from, qint64 days,
                                          const QString& except, const QDateTime& now)
{
    const QDateTime to = plannedEnd(from, days);
    if (auto contract = overlappingContract(db, plate, from, to, QString(), now))
        return contract;
    return overlappingReservation(db, plate, from, to, except);
}

QString contractOverlapText(const Booking& other)
{
    return QStringLiteral("该车辆与租赁 %1 (%2) 时间重叠，不能存盘!").arg(other.number, other.customer);
}

QString reservationOverlapQuestion(const Booking& other)
{
    return QStringLiteral("与%1 %2 (%3) 时间重叠，仍然保存吗?")
        .arg(other.kind == Booking::Kind::Contract ? QStringLiteral("租赁") : QStringLiteral("预订"), other.number, other.customer);
}

std::optional<QString> dispatchRefusal(Database& db, const QString& plate)
{
    QSqlQuery q = db.run(QStringLiteral("select 车辆状态 from 汽车档案 where 车牌号=?"), {plate});
    if (!q.next())
        return std::nullopt;
    const QString state = q.value(0).toString().trimmed();
    if (state == QStringLiteral("出租") || state == QStringLiteral("维修"))
        return QStringLiteral("车辆 %1 的状态是%2，不能出租!").arg(plate, state);
    return std::nullopt;
}

std::optional<Refusal> contractRefusal(Database& db, const ContractSave& c, const QDateTime& now)
{
    if (!c.settled && (c.newVehicle || c.newPeriod)) {
        const QDateTime end = contractEnd(c.dispatch, c.days, c.returned, c.returnedAt, now);
        if (const auto other = overlappingContract(db, c.plate, c.dispatch, end, c.number, now))
            return Refusal{contractOverlapText(*other), Col::发车日期};
    }
    // A returned contract no longer holds its vehicle: its save sends nothing out.
    if (c.newVehicle && !c.returned) {
        if (auto refusal = dispatchRefusal(db, c.plate))
            return Refusal{*refusal, Col::车牌号};
        const DispatchCheck road = dispatchCheck(db, c.plate, dispatchDay(c.dispatch, now.date()));
        if (!road.refusal.isEmpty())
            return Refusal{road.refusal, Col::车牌号};
    }
    return std::nullopt;
}

QStringList contractQuestions(Database& db, const ContractSave& c, const QDateTime& now)
{
    if (!c.newVehicle || c.returned)
        return {};
    return dispatchCheck(db, c.plate, dispatchDay(c.dispatch, now.date())).questions;
}

}  // namespace Rental
