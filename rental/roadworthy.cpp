#include "rental/roadworthy.h"
#include "core/clock.h"
#include "data/database.h"
#include "data/schema.h"
#include "remind/scan.h"

#include <QSqlQuery>
#include <cmath>

namespace Rental {

namespace {

using StopRule = BusinessSettings::StopRule;

// The item without its 到期: 保险到期 → 保险, 二保里程到期 → 二保里程.
QString stem(const QString& item)
{
    const QString s = item.trimmed();
    return s.endsWith(QStringLiteral("到期")) ? s.chopped(2) : s;
}

qint64 whole(const QVariant& v)
{
    return v.isNull() ? 0 : qint64(std::llround(v.toDouble()));
}

QSqlQuery vehicleRow(Database& db, const QString& plate)
{
    return db.run(QStringLiteral("select %1 from 汽车档案 where 车牌号=?").arg(Reminders::VehicleTests::columns()), {plate});
}

QVariantList values(const QSqlQuery& q)
{
    QVariantList v;
    for (int i = 0; i < 6; ++i)
        v << q.value(i);
    return v;
}

// Text before "，不能出租!" and the like: 已于 for an expiry up to `today`, 将于 after it.
QString lapseTextOn(const Lapse& lapse, const QString& plate, const QDate& today)
{
    if (lapse.rule == 4)
        return QStringLiteral("%1 已到%2（下次二保里程 %3，现 %4 公里）")
            .arg(plate, stem(lapse.item))
            .arg(lapse.nextService)
            .arg(lapse.odometer);
    return QStringLiteral("%1%2于%3到期")
        .arg(stem(lapse.item), lapse.expiry <= today ? QStringLiteral("已") : QStringLiteral("将"),
             lapse.expiry.toString(QStringLiteral("yyyy-MM-dd")));
}

}  // namespace

RoadRules RoadRules::read(Database& db)
{
    RoadRules r;
    const QVector<Reminders::Rule> rules = Reminders::readRules(db);
    const QStringList defaults = Schema::defaultReminderItems();
    for (int i = 0; i < 5; ++i)
        r.items << (rules[i].item.trimmed().isEmpty() ? defaults[i] : rules[i].item);
    r.settings = BusinessSettings::read(db);
    return r;
}

QVector<Lapse> lapsesOf(const QVariantList& values, const RoadRules& rules, const QDate& day)
{
    QVector<Lapse> out;
    const Reminders::VehicleTests tests(day, {0, 0, 0, 0, 0});
    for (int i = 0; i < 4; ++i) {
        if (rules.settings.stopRules[i] == StopRule::Off)
            continue;
        const QString due = tests.expiry(i, values.value(i));
        if (!due.isEmpty())
            out.push_back({i, rules.items.value(i), QDate::fromString(due.left(10), QStringLiteral("yyyy-MM-dd"))});
    }
    if (rules.settings.stopRules[4] != StopRule::Off && tests.mileage(values.value(4), values.value(5)))
        out.push_back({4, rules.items.value(4), QDate(), whole(values.value(4)), whole(values.value(5))});
    return out;
}

QVector<Lapse> lapses(Database& db, const QString& plate, const RoadRules& rules, const QDate& day)
{
    QSqlQuery q = vehicleRow(db, plate);
    return q.next() ? lapsesOf(values(q), rules, day) : QVector<Lapse>();
}

QString lapseText(const Lapse& lapse, const QString& plate)
{
    return lapseTextOn(lapse, plate, Clock::today());
}

QDate dispatchDay(const QDateTime& dispatch, const QDate& today)
{
    return dispatch.isValid() ? std::max(dispatch.date(), today) : today;
}

DispatchCheck dispatchCheck(Database& db, const QString& plate, const QDate& day)
{
    DispatchCheck out;
    const RoadRules rules = RoadRules::read(db);
    for (const Lapse& l : lapses(db, plate, rules, day)) {
        const QString text = lapseText(l, plate);
        if (rules.settings.stopRules[l.rule] == StopRule::Refuse) {
            if (out.refusal.isEmpty())
                out.refusal = text + QStringLiteral("，不能出租!");
        } else {
            out.questions << text + QStringLiteral("，仍然出租吗?");
        }
    }
    return out;
}

QStringList reservationQuestions(Database& db, const QString& plate, const QDateTime& from, qint64 days, const QDate& today)
{
    if (!from.isValid())
        return {};
    // The vehicle is out on the day it comes back: a deadline on that day falls inside the period.
    const QDate last = from.addDays(std::max<qint64>(days, 0)).date();
    QStringList out;
    for (const Lapse& l : lapses(db, plate, RoadRules::read(db), last))
        out << lapseTextOn(l, plate, today) + (l.rule == 4 ? QString() : QStringLiteral("，在预订期内"))
                   + QStringLiteral("，仍然保存吗?");
    return out;
}

}  // namespace Rental
