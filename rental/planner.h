#pragma once
// The availability plan without a window: the vehicles in service by plate, each with the bars of
// the days it is taken (open reservations and contracts, overdue contracts, repair and manual
// periods from the vehicle's state) within a span of days, and the filters of the planner window.
#include "core/money.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>

class Database;

namespace Planner {

enum class BarKind { Reservation, Contract, Returned, Overdue, Repair, Manual };

struct Bar {
    BarKind kind = BarKind::Contract;
    QString number;    // 内部编号 of the reservation or contract; empty for repair and manual periods
    QString customer;  // 客户姓名 (the renter of a manual period)
    QString phone;     // the customer's telephone (移动电话, else 联系电话)
    QDateTime from, to;
    Money rate;              // 租赁单价
    QString customerNumber;  // 客户号; empty for repair and manual periods
    QDateTime due;           // the planned end (发车日期 + 租赁期限) of a contract or reservation
};

struct VehicleRow {
    QString plate, model, colour, state;
    QVector<Bar> bars;  // by start
    // What the stop-hire rules not set to 不检查 find due on the day read ("保险已于…到期"); empty
    // when the vehicle may go out.
    QStringList lapses;
};

struct Filter {
    QString model;        // 车型, empty: every model
    QString plateSearch;  // part of the plate, as typed (any case); empty: every vehicle
    bool onlyFree = false;
    QDateTime freeFrom, freeTo;  // the period "只显示空闲" asks about, [from, to)
};

struct Plan {
    QDate start;
    int days = 0;
    QVector<VehicleRow> rows;
};

// The vehicles not withdrawn (停用) that pass the filter, in plate order, with every bar that
// touches [start, start + days). `now` ends an overdue contract. Throws DbError.
Plan load(Database& db, const QDate& start, int days, const Filter& filter, const QDateTime& now);

// What load() reads, once: every vehicle in service with all its bars whatever their dates. The
// open bookings of an office are few, so a plan of another span or filter is made from it without
// the database (the planner scrolls and filters on it; 刷新 reads it again).
struct Snapshot {
    QVector<VehicleRow> vehicles;  // plate order
};
Snapshot read(Database& db, const QDateTime& now);
// The statements read() runs, in the application's SQL: the open contracts, the open reservations,
// the telephones of their customers, the vehicles (with the columns the stop-hire rules test; their
// settings and item names are two small reads more).
struct Statements {
    QString contracts, reservations, phones, vehicles;
};
const Statements& statements();
Plan plan(const Snapshot& snapshot, const QDate& start, int days, const Filter& filter);

// No bar of the row overlaps [from, to).
bool isFree(const VehicleRow& row, const QDateTime& from, const QDateTime& to);

// The models of the vehicles in service, for the filter's drop-down (from what read() took in).
QStringList models(const Snapshot& snapshot);

// The text a bar shows on its days: the customer's name; "超期" before it on an overdue contract,
// "维修" for a repair.
QString label(const Bar& bar);
// 预订, 租赁, 已交车, 超期, 维修, 出租 (set by hand).
QString kindText(BarKind kind);
// The days a bar is drawn on: from its first day to the day before the one it ends at midnight,
// at least its first day.
QDate firstDay(const Bar& bar);
QDate lastDay(const Bar& bar);

}  // namespace Planner
