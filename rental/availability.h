#pragma once
// When a vehicle is taken: the periods of open contracts and reservations, the overlap rules of a
// save (no vehicle on two contracts at once; a reservation over another booking is asked about),
// and the refusal to dispatch a vehicle that is out or in repair. Plain rules over the database;
// the dialogs and the planner call them, tests call them directly.
#include <QDateTime>
#include <QString>
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

// The first (by dispatch) open contract (帐款结清 not ticked) of the plate, other than `except`,
// whose period overlaps [from, to). Plates compare as the engine's `=` does. Throws DbError.
std::optional<Booking> overlappingContract(Database& db, const QString& plate, const QDateTime& from, const QDateTime& to,
                                           const QString& except, const QDateTime& now);
// The same among open reservations (执行完毕 否), other than `except`.
std::optional<Booking> overlappingReservation(Database& db, const QString& plate, const QDateTime& from, const QDateTime& to,
                                              const QString& except);

// "…与租赁 <number> (<customer>) 时间重叠，不能存盘!": a contract refused for another.
QString contractOverlapText(const Booking& other);
// "与预订/租赁 <number> (<customer>) 时间重叠，仍然保存吗?": asked of a reservation, 否 the default.
QString reservationOverlapQuestion(const Booking& other);

// A vehicle that is 出租 or 维修 cannot be dispatched on a new contract: the refusal naming its
// state, or nullopt. Throws DbError.
std::optional<QString> dispatchRefusal(Database& db, const QString& plate);

}  // namespace Rental
