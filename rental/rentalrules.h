#pragma once
// The rules of the rental front desk that need no window: contract and reservation numbers, the
// rent due, the checks of a customer, a reservation and a contract, and the vehicle and
// reservation writes that go with saving them. Windows call these; tests call them directly.
#include "core/money.h"

#include <QDateTime>
#include <QString>
#include <optional>

class Database;

namespace Rental {

inline const QString ContractPrefix = QStringLiteral("ZL");
inline const QString ReservationPrefix = QStringLiteral("YD");
inline const QString ContractTable = QStringLiteral("汽车租赁登记表");
inline const QString ReservationTable = QStringLiteral("客户预订汽车");

// A number proposed by 增加, or why there is none.
struct Numbering {
    QString number;
    QString refusal;  // non-empty: no number can be given
};

// The number after the highest stored one: its first six characters and the six-digit counter
// plus one. An empty table starts at <prefix>2004000001. A counter at 999999, or a highest number
// not of that form, gives no number (never a longer or repeated one).
Numbering nextNumber(const QString& highest, const QString& prefix);
// The same from the highest number stored in the table (not from any list's rows).
Numbering nextNumber(Database& db, const QString& table, const QString& prefix);
bool numberStored(Database& db, const QString& table, const QString& number);

// 租赁期限 × 租赁单价, exact; nullopt when either is empty (the stored amount stays as it was).
// Throws DbError when the product leaves the range of amounts.
std::optional<Money> rentDue(const QVariant& days, const QVariant& rate);

// A refused save: the message and the column whose field takes the focus.
struct Refusal {
    QString message;
    QString column;
};

struct CustomerValues {
    QString number, name;
    QDateTime start, end;
};
std::optional<Refusal> checkCustomer(const CustomerValues& c);

// What the contract and reservation checks read.
struct BookingValues {
    QString plate, customer, name;
    QDateTime dispatch;
    QVariant days;  // 租赁期限 as stored or typed; empty when not filled
};
std::optional<Refusal> checkContract(const BookingValues& b);
// today: the reserved date may be any time of today or later.
std::optional<Refusal> checkReservation(const BookingValues& b, const QDate& today);

// ---- writes of a save (inside the caller's transaction; each throws DbError) ----

bool vehicleExists(Database& db, const QString& plate);
// The vehicle goes out on the contract: 出租, the renter, the dispatch date, 开始生效.
// Returns false (nothing written) when no vehicle has the plate.
bool markVehicleRented(Database& db, const QString& plate, const QString& renter, const QDateTime& dispatch);
// The reservation shown on the vehicle: who, from when, for how many days.
// The vehicle is back: 空闲, no renter, no rental start; the odometer when one was read at return
// (an empty reading leaves the archive's as it was).
bool freeVehicle(Database& db, const QString& plate, std::optional<qint64> odometer = std::nullopt);
bool setVehicleReservation(Database& db, const QString& plate, const QString& who, const QDateTime& from, qint64 days);
// The vehicle of a contract being saved, by its 客户交车 before and after the save (true: 已交).
// An open contract holds its vehicle: out to the renter since the dispatch. A return frees the
// vehicle only while it is still out to this renter. A contract returned before leaves it alone:
// by now the vehicle may be idle or out on another contract. Returns false when the contract
// holds its vehicle and no vehicle has the plate (nothing written).
bool vehicleFollowsContract(Database& db, const QString& plate, const QString& renter, const QDateTime& dispatch, bool wasReturned,
                            bool returned);
bool clearVehicleReservation(Database& db, const QString& plate);
// Ties a reservation to the contract made from it.
void linkReservation(Database& db, const QString& reservation, const QString& contract);
// Every reservation tied to the contract is carried out.
int closeLinkedReservations(Database& db, const QString& contract);
// Open reservations tied to a contract number that was never saved (the contract was cancelled)
// lose the tie, so a later contract that gets the same number does not close them.
int clearStaleLinks(Database& db);

}  // namespace Rental
