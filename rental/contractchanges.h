#pragma once
// Changes to an open contract after its dispatch: 续租 (a new term) and 换车 (another vehicle for
// the rest of the period). Each is one transaction that writes the contract, the vehicles it moves
// and one row of the change log (租赁变更记录); `changeHistory` reads that log back. Plain rules over
// the database: the windows and the planner call them, tests call them directly.
//
// Both are optimistic like every save: the caller passes what the clerk saw (the term, the plate).
// A contract changed elsewhere since, returned or settled meanwhile, or gone, is a DbConflict and
// nothing is written.
#include "rental/availability.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

class Database;

namespace Rental {

inline const QString ChangeExtend = QStringLiteral("续租");
inline const QString ChangeSwap = QStringLiteral("换车");
// 租赁期限 as the contract dialog takes it.
constexpr qint64 MaxTerm = 500;

// A refused change (nothing written), or an open reservation in the way that the clerk is asked
// about before anything is written.
struct ChangeOutcome {
    QString refusal;                     // non-empty: refused, said as it stands
    std::optional<Booking> reservation;  // extend: asked with reservationOverlapQuestion, 否 the default
    bool written = false;
};

// The open contract as a change reads it. Throws DbError.
struct OpenContract {
    QString number, plate, customer;
    QDateTime dispatch;
    qint64 days = 0;
    qint64 startOdometer = 0;  // 发车里程
    bool returned = false;     // 客户交车 已交
    bool settled = false;      // 帐款结清
    QVariant rate;             // 租赁单价 as stored
    QDateTime plannedEnd() const { return Rental::plannedEnd(dispatch, days); }
};
// nullopt when no contract has the number.
std::optional<OpenContract> readContract(Database& db, const QString& number);
// Why the contract takes no change (returned, settled), or empty.
QString notOpenText(const OpenContract& c);

// The vehicle's 公里数 (nullopt for no vehicle or none recorded). Throws DbError.
std::optional<qint64> vehicleOdometer(Database& db, const QString& plate);

// A new planned return date as a term: whole days from the dispatch date.
qint64 termUntil(const QDateTime& dispatch, const QDate& returnDate);

struct ExtendRequest {
    QString number;
    qint64 seenDays = 0;  // 租赁期限 the clerk saw
    qint64 newDays = 0;   // 1 .. MaxTerm, not the current term; shorter is allowed
    // The clerk answered 是 to the overlapping reservation (asked from the outcome of a first call).
    bool reservationAccepted = false;
    QString operatorName;
};
// 续租: a new term (shorter or longer), 应收租金 following it as a save of the contract computes it
// (租赁期限 × 租赁单价; left as it was without a rate). The added days [old end, new end) must meet
// no other open contract of the vehicle (refused with contractOverlapText); an open reservation
// there is returned unwritten until the request accepts it. One transaction, one log row.
// Throws DbConflict (changed elsewhere) and DbError.
ChangeOutcome extendContract(Database& db, const ExtendRequest& r);

struct SwapRequest {
    QString number;
    QString seenPlate;  // the vehicle the clerk saw on the contract
    QString newPlate;
    qint64 odometer = 0;     // the old vehicle's odometer at the swap, ≥ the contract's 发车里程
    qint64 newOdometer = 0;  // the new vehicle's odometer at the swap
    QString operatorName;
};
// The vehicles a contract may move to: in service, not out or in repair, and free of every other
// open contract and open reservation for the rest of the period [now, planned end); plate order.
QStringList swapCandidates(Database& db, const OpenContract& c, const QDateTime& now);
// Why the vehicle cannot take the contract for [now, planned end), or empty.
QString swapRefusal(Database& db, const OpenContract& c, const QString& plate, const QDateTime& now);
// 换车: the old vehicle freed with the odometer typed (its 公里数), the new one out to the renter
// since the dispatch, the contract's plate changed, and its 发车里程 moved so that the settlement's
// 收车里程 − 发车里程 still counts every kilometre: the new vehicle's odometer less the kilometres
// already driven. One transaction, one log row. Throws DbConflict (changed elsewhere) and DbError.
ChangeOutcome swapVehicle(Database& db, const SwapRequest& r);

// One row of the change log.
struct ChangeEntry {
    QString kind;  // 变更项目
    QString oldValue, newValue;
    std::optional<qint64> odometer;
    QString operatorName;
    QDateTime at;
};
// The log rows of a contract, oldest first. Throws DbError.
QVector<ChangeEntry> changeHistory(Database& db, const QString& number);

}  // namespace Rental
