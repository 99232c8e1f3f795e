#include "remind/scan.h"
#include "core/dates.h"
#include "core/money.h"
#include "data/businesssettings.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/amounts.h"
#include "data/schema.h"
#include "data/versions.h"
#include "rental/fines.h"  // the fines' texts only: the reminders link no rental rules
#include "stats/reports.h"
#include "stats/scratch.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>

namespace Reminders {

namespace {

// A date-time value as its stored text ("2004-03-01 14:30:00"), which compares as the moments do;
// empty for an empty or unreadable value.
QString momentText(const QVariant& v)
{
    if (v.isNull())
        return {};
    const QString s = v.toString();
    if (s.size() == 19 && s[4] == QLatin1Char('-') && s[7] == QLatin1Char('-') && s[10] == QLatin1Char(' '))
        return s;
    const QDateTime dt = Dates::fromVariant(v);
    return dt.isValid() ? Dates::toStorage(dt) : QString();
}

// A moment moved by whole days, on the calendar (its time of day kept).
QString addDays(const QString& moment, qint64 days)
{
    const QDate d = QDate::fromString(moment.left(10), QStringLiteral("yyyy-MM-dd"));
    return d.addDays(days).toString(QStringLiteral("yyyy-MM-dd")) + moment.mid(10);
}

}  // namespace

VehicleTests::VehicleTests(const QDate& today, const std::array<qint64, 5>& leads) : m_mileageLead(leads[4])
{
    // Due when today is on or after the deadline less the lead, that is when the deadline is not
    // later than today plus the lead.
    const QString now = Dates::toStorage(QDateTime(today, QTime(0, 0)));
    for (int i = 0; i < 4; ++i)
        m_horizon[i] = addDays(now, leads[i]);
}

QString VehicleTests::columns()
{
    return QStringLiteral("养路费截止时间,年审截止时间,保险截止时间,车船税截止时间,公里数,下次二保里程");
}

QString VehicleTests::expiry(int rule, const QVariant& deadline) const
{
    const QString due = momentText(deadline);
    return !due.isEmpty() && due <= m_horizon[rule] ? due : QString();
}

bool VehicleTests::mileage(const QVariant& km, const QVariant& next) const
{
    // An empty value is below every other, and a difference with one is empty.
    return !next.isNull() && next.toDouble() > 0 && !km.isNull() && km.toDouble() >= next.toDouble() - double(m_mileageLead);
}

QVector<Rule> readRules(Database& db)
{
    QVector<Rule> rules;
    QSqlQuery q = db.run(QStringLiteral("select 期限,项目 from 提醒功能初始表 order by 序号,__rk"));
    Rule last;
    while (rules.size() < 6 && q.next()) {
        last = {Reports::wholeNumber(q.value(0)), q.value(1).toString()};
        rules << last;
    }
    while (rules.size() < 6)
        rules << last;
    return rules;
}

QString rentalNote(const QString& name, qint64 term, const QString& phone)
{
    return QStringLiteral("姓名：") + name + QStringLiteral("，租赁") + QString::number(term) + QStringLiteral("天,电话：") + phone;
}

QVector<OverdueFine> overdueFines(Database& db, const QDate& today, int leadDays)
{
    QVector<OverdueFine> out;
    const QDate last = today.addDays(-qint64(leadDays));
    QSqlQuery q = db.runNative(QStringLiteral("SELECT 车牌号, 违章时间, 客户姓名, 租赁内部编号, 罚款金额, 扣分, 违章行为 FROM \"%1\" "
                                              "WHERE 处理状态 IS NULL OR 处理状态 = '' OR 处理状态 = ? ORDER BY 违章时间, 车牌号, %2")
                                   .arg(Versions::fineTable(), Schema::KeyColumn),
                               {Fines::Unhandled});
    while (q.next()) {
        const QDateTime at = Dates::fromVariant(q.value(1));
        if (!at.isValid() || at.date() > last)
            continue;
        const QString renter = q.value(3).toString().isEmpty()
                                   ? Fines::OfficeOwn
                                   : QStringLiteral("客户：%1，租赁%2").arg(q.value(2).toString(), q.value(3).toString());
        QString note = renter + QStringLiteral("，罚款") + (q.value(4).isNull() ? Money() : Amounts::read(q.value(4))).toString(2)
                       + QStringLiteral("元");
        if (!q.value(5).isNull() && q.value(5).toLongLong() != 0)
            note += QStringLiteral("，扣%1分").arg(q.value(5).toLongLong());
        if (!q.value(6).toString().trimmed().isEmpty())
            note += QStringLiteral("，") + q.value(6).toString().trimmed();
        out.push_back({q.value(0).toString(), at, note});
    }
    return out;
}

void scan(Database& db, const QDate& today)
{
    const QVector<Rule> rules = readRules(db);
    const QString now = Dates::toStorage(QDateTime(today, QTime(0, 0)));
    ScratchRows out({Col::车牌号, Col::支票号, Col::发车日期, Col::发车里程, Col::备注});

    const VehicleTests tests(today, {rules[0].lead, rules[1].lead, rules[2].lead, rules[3].lead, rules[4].lead});
    QSqlQuery v = db.run(QStringLiteral("select 车牌号,%1 from 汽车档案 order by 车牌号,__rk").arg(VehicleTests::columns()));
    while (v.next()) {
        const QString plate = v.value(0).toString();
        for (int i = 0; i < 4; ++i) {
            const QString due = tests.expiry(i, v.value(1 + i));
            if (!due.isEmpty())
                out.add({plate, rules[i].item, due, QVariant(), QVariant()});
        }
        if (tests.mileage(v.value(5), v.value(6)))
            out.add({plate, rules[4].item, QVariant(), v.value(6), QVariant()});
    }

    // Rule 6: open rentals whose dispatch plus term less the lead is not later than today.
    struct Due {
        QString plate, customer, name, dispatched;
        qint64 term;
    };
    QVector<Due> due;
    QSqlQuery r = db.run(QStringLiteral("select 车牌号,客户号,客户姓名,发车日期,租赁期限 from 汽车租赁登记表 "
                                        "where 客户交车= '没有' order by 收车日期,车牌号,__rk"));
    while (r.next()) {
        const QString dispatched = momentText(r.value(3));
        if (dispatched.isEmpty())
            continue;
        // An empty term makes the sum empty, which every day is on or after.
        if (!r.value(4).isNull() && now < addDays(dispatched, Reports::wholeNumber(r.value(4)) - rules[5].lead))
            continue;
        due.push_back(
            {r.value(0).toString(), r.value(1).toString(), r.value(2).toString(), dispatched, Reports::wholeNumber(r.value(4))});
    }
    // The phones of the customers of the due rentals, in one statement per few hundred customers;
    // the first registration of a number counts, numbers compared without regard to Latin case.
    QHash<QString, QString> phones;
    QStringList wanted;
    QSet<QString> seen;
    for (const Due& d : due)
        if (!seen.contains(d.customer)) {
            seen.insert(d.customer);
            wanted << d.customer;
        }
    for (qsizetype first = 0; first < wanted.size(); first += 500) {
        const QStringList part = wanted.mid(first, 500);
        QStringList marks;
        QVariantList binds;
        for (const QString& c : part) {
            marks << QStringLiteral("?");
            binds << c;
        }
        QSqlQuery p = db.run(QStringLiteral("select 客户号,联系电话 from 客户登记表 where 客户号 in (%1) order by __rk")
                                 .arg(marks.join(QLatin1Char(','))),
                             binds);
        while (p.next()) {
            const QString key = Reports::fold(p.value(0).toString());
            if (!phones.contains(key))
                phones.insert(key, p.value(1).toString());
        }
    }
    for (const Due& d : due)
        out.add(
            {d.plate, rules[5].item, d.dispatched, QVariant(), rentalNote(d.name, d.term, phones.value(Reports::fold(d.customer)))});
    // Fines still 未处理 after the office's lead, oldest first: a rule of the business settings,
    // not a row of 提醒功能初始表.
    for (const OverdueFine& f : overdueFines(db, today, BusinessSettings::read(db).fineLeadDays))
        out.add({f.plate, Fines::ReminderItem, Dates::toStorage(f.at), QVariant(), f.note});
    Scratch::replace(db, out);
}

}  // namespace Reminders
