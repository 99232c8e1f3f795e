#pragma once
// When a vehicle is taken: the periods of open contracts and reservations, the overlap rules of a
// save (no vehicle on two contracts at once; a reservation over another booking is asked about),
// and the refusal to dispatch a vehicle that is out or in repair. Plain rules over the database;
// the dialogs and the planner call them, tests call them directly.
#include "rental/rentalrules.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

class Database;

namespace Rental {

// One period a vehicle is taken, [from, to).
struct Booking {
    enum class Kind { Contract, Reservation };
    Kind kind = Kind::Contract;
    QString number;    // 内部编号
    QString customer;  // 客户姓名
    QDateTime from, to;
};

// 发车日期 + 租赁期限 whole days (an empty or negative term: the dispatch moment itself).
QDateTime plannedEnd(const QDateTime& dispatch, qint64 days);
// The period an open contract holds its vehicle: from dispatch to the return once returned,
// else to the planned end, and on to now while it is overdue and not returned.
QDateTime contractEnd(const QDateTime& dispatch, qint64 days, bool returned, const QDateTime& returnedAt, const QDateTime& now);

// The first (by dispatch) open contract (帐款结清 not ticked) of the plate, other than `except`
// (empty: none is passed over), whose period overlaps [from, to). Plates compare as the engine's
// `=` does. Throws DbError.
std::optional<Booking> overlappingContract(Database& db, const QString& plate, const QDateTime& from, const QDateTime& to,
                                           const QString& except, const QDateTime& now);
// The same among open reservations (执行完毕 否), other than `except`.
std::optional<Booking> overlappingReservation(Database& db, const QString& plate, const QDateTime& from, const QDateTime& to,
                                              const QString& except);

// What a reservation of the plate for [from, plannedEnd(from, days)) meets: the first overlapping
// open contract, else the first other open reservation (other than `except`). Throws DbError.
std::optional<Booking> reservationOverlap(Database& db, const QString& plate, const QDateTime& from, qint64 days,
                                          const QString& except, const QDateTime& now);

// "…与租赁 <number> (<customer>) 时间重叠，不能存盘!": a contract refused for another.
QString contractOverlapText(const Booking& other);
// "与预订/租赁 <number> (<customer>) 时间重叠，仍然保存吗?": asked of a reservation, 否 the default.
QString reservationOverlapQuestion(const Booking& other);

// A vehicle that is 出租 or 维修 cannot be dispatched on a new contract: the refusal naming its
// state, or nullopt. Throws DbError.
std::optional<QString> dispatchRefusal(Database& db, const QString& plate);

// A contract as its save leaves it, and what the save changes.
struct ContractSave {
    QString number;  // 内部编号 (empty for none yet)
    QString plate;
    QDateTime dispatch;
    qint64 days = 0;
    bool returned = false;    // 客户交车 已交
    QDateTime returnedAt;     // 收车日期
    bool settled = false;     // 帐款结清
    bool newVehicle = false;  // a new contract, or its plate changed to another vehicle
    bool newPeriod = false;   // its 发车日期 or 租赁期限 changed
};
// The availability rules of a contract's save, in order: an open contract whose vehicle or period
// is new must not overlap another open contract of the vehicle (the 发车日期 to focus); an
// unreturned contract must not send out a vehicle that is 出租 or 维修 (the 车牌号). A save that
// changes neither books nothing new and is not checked; an unreturned contract must not send out a
// vehicle a stop-hire rule set to 禁止出租 finds due (the 车牌号). Throws DbError.
std::optional<Refusal> contractRefusal(Database& db, const ContractSave& c, const QDateTime& now);
// What the save asks first: the stop-hire rules set to 只提醒 that find the vehicle it sends out due
// ("…，仍然出租吗?", 否 the default). Throws DbError.
QStringList contractQuestions(Database& db, const ContractSave& c, const QDateTime& now);

}  // namespace Rental
