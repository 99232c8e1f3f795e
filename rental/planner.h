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
    Money rate;  // 租赁单价
};

struct VehicleRow {
    QString plate, model, colour, state;
    QVector<Bar> bars;  // by start
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

// No bar of the row overlaps [from, to).
bool isFree(const VehicleRow& row, const QDateTime& from, const QDateTime& to);

// The models of the vehicles in service, for the filter's drop-down.
QStringList models(Database& db);

}  // namespace Planner
