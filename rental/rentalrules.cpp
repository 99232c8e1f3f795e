#include "rental/rentalrules.h"
#include "core/dates.h"
#include "data/amounts.h"
#include "data/auditlog.h"
#include "data/columns.h"
#include "data/database.h"

#include <QSqlQuery>

namespace Rental {

namespace {

constexpr int NumberLength = 12;  // "ZL" + four characters + six digits
constexpr int CounterStart = 6;
constexpr qint64 CounterLimit = 999999;

bool isBlank(const QVariant& v)
{
    return v.isNull() || v.toString().trimmed().isEmpty();
}

}  // namespace

Numbering nextNumber(const QString& highest, const QString& prefix)
{
    if (highest.isEmpty())
        return {prefix + QStringLiteral("2004000001"), {}};
    const QString counterText = highest.mid(CounterStart);
    bool ok = false;
    const qint64 counter = counterText.toLongLong(&ok);
    if (highest.size() != NumberLength || !ok || counterText.size() != NumberLength - CounterStart
        || counterText.contains(QLatin1Char('+')) || counterText.contains(QLatin1Char('-')))
        return {{}, QStringLiteral("最大的内部编号") + highest + QStringLiteral("格式不对,不能自动编号!")};
    if (counter >= CounterLimit)
        return {{}, QStringLiteral("内部编号已到") + highest + QStringLiteral(",编号已用完,不能再增加!")};
    return {highest.left(CounterStart) + QStringLiteral("%1").arg(counter + 1, 6, 10, QLatin1Char('0')), {}};
}

Numbering nextNumber(Database& db, const QString& table, const QString& prefix)
{
    QSqlQuery q = db.run(QStringLiteral("select max(内部编号) as nbbh from ") + table);
    const QString highest = q.next() ? q.value(0).toString() : QString();
    return nextNumber(highest, prefix);
}

bool numberStored(Database& db, const QString& table, const QString& number)
{
    QSqlQuery q = db.run(QStringLiteral("select count(*) from ") + table + QStringLiteral(" where 内部编号=?"), {number});
    return q.next() && q.value(0).toLongLong() > 0;
}

std::optional<Money> rentDue(const QVariant& days, const QVariant& rate)
{
    if (isBlank(days) || isBlank(rate))
        return std::nullopt;
    const std::optional<Money> r = Money::parse(rate.toString());
    if (!r)
        return std::nullopt;
    if (const auto due = r->checkedTimes(roundHalfEven(days.toDouble())))
        return due;
    throw DbError(Amounts::outOfRange());
}

std::optional<Refusal> checkCustomer(const CustomerValues& c)
{
    // An empty date is the earliest of all: a start without an end fails, no start always passes.
    if (c.start.isValid() && (!c.end.isValid() || c.start > c.end))
        return Refusal{QStringLiteral("终止日期小于起始日期,请重新输入!"), Col::终止日期};
    if (c.number.trimmed().isEmpty())
        return Refusal{QStringLiteral("客户号不能为空,请重新输入!"), Col::客户号};
    if (c.name.trimmed().isEmpty())
        return Refusal{QStringLiteral("客户姓名不能为空,请重新输入!"), Col::客户姓名};
    return std::nullopt;
}

namespace {

std::optional<Refusal> checkParties(const BookingValues& b)
{
    if (b.plate.trimmed().isEmpty())
        return Refusal{QStringLiteral("车牌号不能为空,请重新输入!"), Col::车牌号};
    if (b.customer.trimmed().isEmpty())
        return Refusal{QStringLiteral("客户号不能为空,请重新输入!"), Col::客户号};
    if (b.name.trimmed().isEmpty())
        return Refusal{QStringLiteral("姓名不能为空,请重新输入!"), Col::客户号};
    return std::nullopt;
}

}  // namespace

std::optional<Refusal> checkContract(const BookingValues& b)
{
    if (auto r = checkParties(b))
        return r;
    if (!b.dispatch.isValid())
        return Refusal{QStringLiteral("发车日期不能为空,请重新输入!"), Col::发车日期};
    if (isBlank(b.days) || b.days.toDouble() < 1)
        return Refusal{QStringLiteral("租赁期限不能为空,请重新输入!"), Col::租赁期限};
    return std::nullopt;
}

std::optional<Refusal> checkReservation(const BookingValues& b, const QDate& today)
{
    if (auto r = checkParties(b))
        return r;
    if (!b.dispatch.isValid())
        return Refusal{QStringLiteral("预订日期不能为空,请重新输入!"), Col::发车日期};
    if (b.dispatch.date() < today)
        return Refusal{QStringLiteral("预订日期不能小于当前日期,请重新输入!"), Col::发车日期};
    return std::nullopt;
}

// Rules that change vehicles and reservations by statements of their own log what they changed.
const QString Vehicles = QStringLiteral("汽车档案");
const QString Reservations = QStringLiteral("客户预订汽车");
const QString PlateIs = QStringLiteral("车牌号=?");

bool vehicleExists(Database& db, const QString& plate)
{
    QSqlQuery q = db.run(QStringLiteral("select count(*) from 汽车档案 where 车牌号=?"), {plate});
    return q.next() && q.value(0).toLongLong() > 0;
}

bool markVehicleRented(Database& db, const QString& plate, const QString& renter, const QDateTime& dispatch)
{
    AuditLog::Watch watch(db, Vehicles, PlateIs, {plate});
    const bool marked = db.execute(QStringLiteral("update 汽车档案 set 车辆状态='出租', 客户姓名=?, 租赁时间=?, 开始生效=true "
                                                  "where 车牌号=?"),
                                   {renter, dispatch.isValid() ? QVariant(Dates::toStorage(dispatch)) : QVariant(), plate})
                        > 0;
    watch.done();
    return marked;
}

bool freeVehicle(Database& db, const QString& plate, std::optional<qint64> odometer)
{
    AuditLog::Watch watch(db, Vehicles, PlateIs, {plate});
    const bool freed =
        odometer ? db.execute(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='', 租赁时间=null, 公里数=? where 车牌号=?"),
                              {*odometer, plate})
                       > 0
                 : db.execute(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='', 租赁时间=null where 车牌号=?"), {plate}) > 0;
    watch.done();
    return freed;
}

bool vehicleFollowsContract(Database& db, const QString& plate, const QString& renter, const QDateTime& dispatch, bool wasReturned,
                            bool returned)
{
    if (!returned)
        return markVehicleRented(db, plate, renter, dispatch);
    if (!wasReturned) {
        AuditLog::Watch watch(db, Vehicles, PlateIs, {plate});
        db.execute(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='', 租赁时间=null "
                                  "where 车牌号=? and 车辆状态='出租' and 客户姓名=?"),
                   {plate, renter});
        watch.done();
    }
    return true;
}

bool setVehicleReservation(Database& db, const QString& plate, const QString& who, const QDateTime& from, qint64 days)
{
    AuditLog::Watch watch(db, Vehicles, PlateIs, {plate});
    const bool set = db.execute(QStringLiteral("update 汽车档案 set 预订人=?, 预订日期=?, 预订期限=? where 车牌号=?"),
                                {who, from.isValid() ? QVariant(Dates::toStorage(from)) : QVariant(), days, plate})
                     > 0;
    watch.done();
    return set;
}

bool clearVehicleReservation(Database& db, const QString& plate)
{
    AuditLog::Watch watch(db, Vehicles, PlateIs, {plate});
    const bool cleared = db.execute(QStringLiteral("update 汽车档案 set 预订人='', 预订日期=null, 预订期限=null where 车牌号=?"), {plate}) > 0;
    watch.done();
    return cleared;
}

void linkReservation(Database& db, const QString& reservation, const QString& contract)
{
    AuditLog::Watch watch(db, Reservations, QStringLiteral("内部编号=?"), {reservation});
    db.execute(QStringLiteral("update 客户预订汽车 set 租赁内部编号=? where 内部编号=?"), {contract, reservation});
    watch.done();
}

int closeLinkedReservations(Database& db, const QString& contract)
{
    AuditLog::Watch watch(db, Reservations, QStringLiteral("租赁内部编号=?"), {contract});
    const int closed = db.execute(QStringLiteral("update 客户预订汽车 set 执行完毕='是' where 租赁内部编号=?"), {contract});
    watch.done();
    return closed;
}

int clearStaleLinks(Database& db)
{
    const QString stale = QStringLiteral("执行完毕='否' and 租赁内部编号<>'' "
                                         "and 租赁内部编号 not in (select 内部编号 from 汽车租赁登记表 where 内部编号 is not null)");
    AuditLog::Watch watch(db, Reservations, stale);
    const int cleared = db.execute(QStringLiteral("update 客户预订汽车 set 租赁内部编号=null where ") + stale);
    watch.done();
    return cleared;
}

}  // namespace Rental
