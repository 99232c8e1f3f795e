#include "rental/fines.h"
#include "core/dates.h"
#include "data/amounts.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/versions.h"
#include "rental/availability.h"

#include <QSqlQuery>
#include <cmath>

namespace Fines {

namespace {

QString table()
{
    return QLatin1Char('"') + Versions::fineTable() + QLatin1Char('"');
}

QDateTime toMinute(const QDateTime& t)
{
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute()));
}

qint64 wholeDays(const QVariant& v)
{
    return v.isNull() ? 0 : qint64(std::llround(v.toDouble()));
}

Unpaid unpaidWhere(Database& db, const QString& column, const QString& value)
{
    Unpaid u;
    if (value.trimmed().isEmpty())
        return u;
    QSqlQuery q = db.runNative(QStringLiteral(
                                   "SELECT COUNT(*), SUM(罚款金额) FROM %1 WHERE %2 = ? AND (处理状态 IS NULL OR 处理状态 <> ?)")
                                   .arg(table(), column),
                               {value, Paid});
    if (q.next()) {
        u.count = q.value(0).toInt();
        u.total = q.value(1).isNull() ? Money() : Amounts::read(q.value(1));
    }
    return u;
}

}  // namespace

bool covers(const QDateTime& dispatch, const QDateTime& end, const QDateTime& at)
{
    // Both ends belong to the period: the minute the car leaves and the minute it is back are
    // minutes the renter had it.
    const QDateTime m = toMinute(at);
    return dispatch.isValid() && toMinute(dispatch) <= m && (!end.isValid() || m <= toMinute(end));
}

Match matchContract(Database& db, const QString& plate, const QDateTime& at, const QDateTime& now)
{
    Match found;
    if (plate.trimmed().isEmpty() || !at.isValid())
        return found;
    // Every contract of the plate, returned and settled ones included (a notice arrives weeks
    // after the car came back); one vehicle's contracts are few enough to compare here, the same
    // way on both engines.
    QSqlQuery q = db.run(QStringLiteral(
                             "select 内部编号, 客户号, 客户姓名, 发车日期, 租赁期限, 客户交车, 收车日期 from 汽车租赁登记表 "
                             "where 车牌号=? order by 发车日期, __rk"),
                         {plate});
    while (q.next()) {
        const QDateTime dispatch = Dates::fromVariant(q.value(3));
        if (!dispatch.isValid())
            continue;
        const QDateTime returnedAt = Dates::fromVariant(q.value(6));
        const bool returned = q.value(5).toString() == QStringLiteral("已交") || returnedAt.isValid();
        const QDateTime end = returnedAt.isValid() ? std::max(returnedAt, dispatch)
                              : returned           ? Rental::plannedEnd(dispatch, wholeDays(q.value(4)))
                                                   : now;
        // The minute one renter brings the car back and the next drives it away belongs to the
        // one dispatching: the later dispatch wins, since a fine at that minute is on the road,
        // and the car on the road is the one just handed out (the return minute is the clerk's
        // check-in, the car already standing at the counter). Rows come by dispatch, so the last
        // covering one is kept.
        if (covers(dispatch, end, at)) {
            found.number = q.value(0).toString();
            found.customer = q.value(1).toString();
            found.name = q.value(2).toString();
            found.dispatch = dispatch;
            found.end = end;
        }
    }
    if (!found.officeOwn() && !found.customer.isEmpty()) {
        QSqlQuery p = db.run(QStringLiteral("select 联系电话, 移动电话 from 客户登记表 where 客户号=? order by __rk"),
                             {found.customer});
        if (p.next())
            found.phone = p.value(0).toString().trimmed().isEmpty() ? p.value(1).toString() : p.value(0).toString();
    }
    return found;
}

QString matchText(const Match& m)
{
    if (m.officeOwn())
        return OfficeOwn;
    QString text = QStringLiteral("租赁 %1 %2").arg(m.number, m.name);
    if (!m.phone.trimmed().isEmpty())
        text += QStringLiteral(" (%1)").arg(m.phone);
    return text;
}

void assignMatch(RecordSet& fine, Database& db, const QDateTime& now)
{
    const Match m = matchContract(db, fine.asString(Col::车牌号), fine.asDateTime(Col::违章时间), now);
    auto text = [](const QString& s) { return s.isEmpty() ? QVariant() : QVariant(s); };
    fine.setValue(Col::租赁内部编号, text(m.number));
    fine.setValue(Col::客户号, text(m.customer));
    fine.setValue(Col::客户姓名, text(m.name));
    fine.setValue(Col::联系电话, text(m.phone));
}

Unpaid unpaidOfCustomer(Database& db, const QString& customer)
{
    return unpaidWhere(db, Col::客户号, customer);
}

Unpaid unpaidOfContract(Database& db, const QString& number)
{
    return unpaidWhere(db, Col::租赁内部编号, number);
}

QString unpaidWarning(const QString& name, const Unpaid& unpaid)
{
    if (unpaid.count == 0)
        return {};
    return QStringLiteral("客户 %1 有未缴纳的违章 %2 笔，罚款合计 %3 元，请提醒客户处理!")
        .arg(name)
        .arg(unpaid.count)
        .arg(unpaid.total.toString(2));
}

QString unpaidLine(const Unpaid& unpaid)
{
    if (unpaid.count == 0)
        return QStringLiteral("无");
    return QStringLiteral("未缴纳违章 %1 笔，罚款合计 %2 元").arg(unpaid.count).arg(unpaid.total.toString(2));
}

}  // namespace Fines
