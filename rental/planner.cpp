#include "rental/planner.h"
#include "core/dates.h"
#include "core/sqltext.h"
#include "data/amounts.h"
#include "data/database.h"
#include "rental/availability.h"
#include "rental/roadworthy.h"
#include "remind/scan.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>

namespace Planner {

namespace {

const QString Rented = QStringLiteral("出租");
const QString InRepair = QStringLiteral("维修");

// Keys compared as the engines' `=` compares text.
QString fold(const QString& s)
{
    return sqlFold(s);
}

// The rows of a statement read whole through the engine's own reading of computed rows (on a file
// its C API, no driver cursor per cell), walked as a query is.
class Rows {
public:
    Rows(Database& db, const QString& sql)
    {
        QStringList names;
        db.selectRows(sql, false, &names, &m_rows);
    }
    bool next() { return ++m_at < m_rows.size(); }
    const QVariant& value(int column) const { return m_rows[m_at][column]; }

private:
    QVector<QVector<QVariant>> m_rows;
    qsizetype m_at = -1;
};

qint64 wholeDays(const QVariant& v)
{
    return v.isNull() ? 0 : qint64(std::llround(v.toDouble()));
}

// The state's period set by hand (车辆租赁情况) takes whole days: a 收车时间 typed as a date
// (midnight) still holds its day, as the state dialog accepts the same day for both dates.
QDateTime manualEnd(const QDateTime& back, const QDateTime& now)
{
    if (!back.isValid())
        return now;
    return back.time() == QTime(0, 0) ? back.addDays(1) : back;
}

bool overlaps(const Bar& b, const QDateTime& from, const QDateTime& to)
{
    // A bar of no length (a booking without a term) still holds its moment.
    const QDateTime end = std::max(b.to, b.from.addSecs(1));
    return b.from < to && from < end;
}

void readContracts(Database& db, const QDateTime& now, QHash<QString, QVector<Bar>>& byPlate)
{
    // Open contracts are the unsettled ones: whatever their dates, they hold their vehicle until
    // the settlement, so a stale one still shows and blocks.
    Rows q(db, statements().contracts);
    while (q.next()) {
        const QDateTime dispatch = Dates::fromVariant(q.value(4));
        if (!dispatch.isValid())
            continue;
        Bar b;
        b.number = q.value(0).toString();
        b.customerNumber = q.value(1).toString();
        b.customer = q.value(2).toString();
        b.from = dispatch;
        const qint64 days = wholeDays(q.value(5));
        b.due = Rental::plannedEnd(dispatch, days);
        const bool returned = q.value(6).toString() == QStringLiteral("已交");
        b.to = Rental::contractEnd(dispatch, days, returned, Dates::fromVariant(q.value(7)), now);
        b.kind = returned ? BarKind::Returned : (now > b.due ? BarKind::Overdue : BarKind::Contract);
        b.rate = Amounts::read(q.value(8));
        byPlate[fold(q.value(3).toString())].push_back(b);
    }
}

void readReservations(Database& db, QHash<QString, QVector<Bar>>& byPlate)
{
    Rows q(db, statements().reservations);
    while (q.next()) {
        const QDateTime start = Dates::fromVariant(q.value(4));
        if (!start.isValid())
            continue;
        Bar b;
        b.kind = BarKind::Reservation;
        b.number = q.value(0).toString();
        b.customerNumber = q.value(1).toString();
        b.customer = q.value(2).toString();
        b.from = start;
        b.to = b.due = Rental::plannedEnd(start, wholeDays(q.value(5)));
        b.rate = Amounts::read(q.value(6));
        byPlate[fold(q.value(3).toString())].push_back(b);
    }
}

// The telephones of the customers with an open booking, in one statement; the first registration
// of a number counts.
QHash<QString, QString> readPhones(Database& db)
{
    QHash<QString, QString> phones;
    Rows q(db, statements().phones);
    while (q.next()) {
        const QString key = fold(q.value(0).toString());
        if (phones.contains(key))
            continue;
        const QString mobile = q.value(1).toString().trimmed();
        phones.insert(key, mobile.isEmpty() ? q.value(2).toString().trimmed() : mobile);
    }
    return phones;
}

}  // namespace

const Statements& statements()
{
    static const Statements s{
        QStringLiteral("select 内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 客户交车, 收车日期, 租赁单价 "
                       "from 汽车租赁登记表 where 帐款结清=false"),
        QStringLiteral(
            "select 内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 租赁单价 from 客户预订汽车 where 执行完毕='否'"),
        QStringLiteral("select 客户号, 移动电话, 联系电话 from 客户登记表 where 客户号 in (select 客户号 from 汽车租赁登记表 "
                       "where 帐款结清=false union select 客户号 from 客户预订汽车 where 执行完毕='否') order by __rk"),
        QStringLiteral("select 车牌号, 车型, 颜色, 车辆状态, 客户姓名, 租赁时间, 收车时间, %1 from 汽车档案 where 停用=false "
                       "order by 车牌号")
            .arg(Reminders::VehicleTests::columns()),
    };
    return s;
}

Snapshot read(Database& db, const QDateTime& now)
{
    QHash<QString, QVector<Bar>> byPlate;
    readContracts(db, now, byPlate);
    // A vehicle out on a contract shows the contract; its state shows a rental of its own only
    // when no open contract explains it.
    QSet<QString> onContract;
    for (auto it = byPlate.cbegin(); it != byPlate.cend(); ++it)
        onContract.insert(it.key());
    readReservations(db, byPlate);

    const QHash<QString, QString> phones = readPhones(db);
    const Rental::RoadRules roadRules = Rental::RoadRules::read(db);

    Snapshot s;
    Rows q(db, statements().vehicles);
    while (q.next()) {
        VehicleRow row;
        row.plate = q.value(0).toString();
        row.model = q.value(1).toString();
        row.colour = q.value(2).toString();
        row.state = q.value(3).toString().trimmed();
        const QString key = fold(row.plate);
        row.bars = byPlate.value(key);
        for (Bar& b : row.bars)
            b.phone = phones.value(fold(b.customerNumber));
        const bool repair = row.state == InRepair;
        if (repair || (row.state == Rented && !onContract.contains(key))) {
            Bar b;
            b.kind = repair ? BarKind::Repair : BarKind::Manual;
            b.customer = repair ? QString() : q.value(4).toString();
            const QDateTime since = Dates::fromVariant(q.value(5));
            b.from = since.isValid() ? since : QDateTime(now.date(), QTime(0, 0));
            b.to = manualEnd(Dates::fromVariant(q.value(6)), now);
            if (b.to > b.from)
                row.bars.push_back(b);
        }
        QVariantList road;
        for (int i = 7; i < 13; ++i)
            road << q.value(i);
        for (const Rental::Lapse& l : Rental::lapsesOf(road, roadRules, now.date()))
            row.lapses << Rental::lapseText(l, row.plate);
        std::stable_sort(row.bars.begin(), row.bars.end(), [](const Bar& a, const Bar& b) { return a.from < b.from; });
        s.vehicles.push_back(std::move(row));
    }
    return s;
}

Plan plan(const Snapshot& snapshot, const QDate& start, int days, const Filter& filter)
{
    Plan p;
    p.start = start;
    p.days = std::max(days, 0);
    const QDateTime from(start, QTime(0, 0));
    const QDateTime to = from.addDays(p.days);
    const QString model = fold(filter.model.trimmed());
    const QString search = filter.plateSearch.trimmed();
    for (const VehicleRow& v : snapshot.vehicles) {
        if (!model.isEmpty() && fold(v.model.trimmed()) != model)
            continue;
        if (!search.isEmpty() && !v.plate.contains(search, Qt::CaseInsensitive))
            continue;
        if (filter.onlyFree && !isFree(v, filter.freeFrom, filter.freeTo))
            continue;
        VehicleRow row = v;
        row.bars.clear();
        for (const Bar& b : v.bars)
            if (overlaps(b, from, to))
                row.bars.push_back(b);
        p.rows.push_back(std::move(row));
    }
    return p;
}

Plan load(Database& db, const QDate& start, int days, const Filter& filter, const QDateTime& now)
{
    return plan(read(db, now), start, days, filter);
}

bool isFree(const VehicleRow& row, const QDateTime& from, const QDateTime& to)
{
    return std::none_of(row.bars.cbegin(), row.bars.cend(), [&](const Bar& b) { return overlaps(b, from, to); });
}

QStringList models(const Snapshot& snapshot)
{
    // Each model once whatever its case, ordered as the engines order text: A–Z read as a–z, then
    // by code point.
    const auto lowered = [](QString t) {
        for (QChar& c : t)
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                c = QChar(c.unicode() - 'A' + 'a');
        return t;
    };
    QStringList out;
    QSet<QString> seen;
    for (const VehicleRow& v : snapshot.vehicles) {
        const QString m = v.model.trimmed();
        if (!m.isEmpty() && !seen.contains(fold(m))) {
            seen.insert(fold(m));
            out << m;
        }
    }
    std::sort(out.begin(), out.end(), [&](const QString& a, const QString& b) { return lowered(a) < lowered(b); });
    return out;
}

QString label(const Bar& bar)
{
    switch (bar.kind) {
    case BarKind::Overdue:
        return QStringLiteral("超期 ") + bar.customer;
    case BarKind::Repair:
        return QStringLiteral("维修");
    default:
        return bar.customer;
    }
}

QString kindText(BarKind kind)
{
    switch (kind) {
    case BarKind::Reservation:
        return QStringLiteral("预订");
    case BarKind::Contract:
        return QStringLiteral("租赁");
    case BarKind::Returned:
        return QStringLiteral("已交车");
    case BarKind::Overdue:
        return QStringLiteral("超期");
    case BarKind::Repair:
        return QStringLiteral("维修");
    case BarKind::Manual:
        return QStringLiteral("出租");
    }
    return {};
}

QDate firstDay(const Bar& bar)
{
    return bar.from.date();
}

QDate lastDay(const Bar& bar)
{
    if (bar.to <= bar.from)
        return bar.from.date();
    // A bar ending at midnight leaves that day free.
    return bar.to.addSecs(-1).date();
}

}  // namespace Planner
