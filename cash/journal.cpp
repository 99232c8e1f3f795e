#include "cash/journal.h"
#include "core/dates.h"
#include "core/sqltext.h"
#include "data/amounts.h"
#include "data/auditlog.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QSqlQuery>
#include <QVector>

namespace Journal {

namespace {

QVariant stored(const Money& m)
{
    return RecordSet::toStorage(QVariant::fromValue(m), FieldType::Money);
}

}  // namespace

MonthRange monthRange(const QDate& day)
{
    const QDate first(day.year(), day.month(), 1);
    return {first, QDate(day.year(), day.month(), first.daysInMonth())};
}

ListQuery monthQuery(const QDate& closing)
{
    ListQuery q;
    q.table = Table;
    q.terms = {Dates::monthCondition(closing)};
    q.order = {OrderMark{Col::日期, false}};
    q.lines = {QStringLiteral("select * from 现金日记帐"), QStringLiteral("where ") + Dates::monthCondition(closing),
               QStringLiteral("order by 日期")};
    return q;
}

std::optional<Refusal> checkEntry(const Entry& e, const QDate& closing)
{
    // An empty date has its own message, not the closing-period one.
    if (!e.date.isValid())
        return Refusal{QStringLiteral("日期不能为空,请重新输入!"), Col::日期};
    if (!monthRange(closing).contains(e.date.date()))
        return Refusal{QStringLiteral("不能编辑结算时间以外的数据!"), Col::日期};
    if (e.summary.trimmed().isEmpty())
        return Refusal{QStringLiteral("摘要不能为空,请重新输入!"), Summary};
    if (e.debit != Money() && e.credit != Money())
        return Refusal{QStringLiteral("借方和贷方不能同时有金额,请重新输入!"), Debit};
    if (e.debit == Money() && e.credit == Money())
        return Refusal{QStringLiteral("借方和贷方不能同时为零,请重新输入!"), Debit};
    return std::nullopt;
}

QString amountColumn(const QString& summary)
{
    const QString s = summary.trimmed();
    if (s == Income)
        return Debit;
    if (s == Expense)
        return Credit;
    return Summary;
}

void tidyMonth(Database& db, const QDate& closing)
{
    Transaction tx(db);
    recomputeMonth(db, closing);
    tx.commit();
}

std::optional<Refusal> checkSummaryCode(const QString& kind, const QString& name)
{
    if (kind.trimmed().isEmpty())
        return Refusal{QStringLiteral("属性不能为空,请重新输入!"), Col::属性};
    if (name.trimmed().isEmpty())
        return Refusal{QStringLiteral("摘要名称不能为空,请重新输入!"), Summary};
    return std::nullopt;
}

std::optional<QString> summaryDeleteRefusal(const QString& name)
{
    if (name == Income)
        return QStringLiteral("系统要使用该摘要，不能删除!");
    return std::nullopt;
}

void recomputeMonth(Database& db, const QDate& day)
{
    struct Row {
        qint64 key;
        Money balance;
        QVariant old;
    };
    QVector<Row> rows;
    {
        QSqlQuery q = db.run(QStringLiteral("select ") + Schema::KeyColumn
                             + QStringLiteral(", 借方, 贷方, 余额 from 现金日记帐 where ") + Dates::monthCondition(day)
                             + QStringLiteral(" order by 日期, ") + Schema::KeyColumn);
        Money running;
        while (q.next()) {
            // Checked: a month whose balance leaves the range of amounts is refused before anything is written.
            running = Amounts::add(running, Amounts::subtract(Amounts::read(q.value(1)), Amounts::read(q.value(2))));
            rows.push_back({q.value(0).toLongLong(), running, q.value(3)});
        }
    }
    for (const Row& r : rows) {
        if (!r.old.isNull() && Money::fromValue(r.old) == r.balance)
            continue;
        AuditLog::Watch watch(db, Table, Schema::KeyColumn + QStringLiteral("=?"), {r.key});
        db.execute(QStringLiteral("update 现金日记帐 set 余额=? where ") + Schema::KeyColumn + QStringLiteral("=?"),
                   {stored(r.balance), r.key});
        watch.done();
    }
}

std::optional<Money> newestBalance(Database& db, const QDate& day)
{
    QSqlQuery q = db.run(QStringLiteral("select 余额 from 现金日记帐 where ") + Dates::monthCondition(day)
                         + QStringLiteral(" order by ") + Schema::KeyColumn + QStringLiteral(" desc"));
    if (!q.next())
        return std::nullopt;
    return Amounts::read(q.value(0));
}

QString detailText(const Settlement& s)
{
    return s.customer + QStringLiteral("租赁") + s.plate + QStringLiteral("车") + s.days + QStringLiteral("天");
}

QString noteText(const QString& contract)
{
    return QStringLiteral("内部编号：") + contract;
}

Posted postSettlement(Database& db, const Settlement& s, const QDate& today, const QString& operatorName, const QDateTime& now)
{
    Posted out;
    qint64 key = 0;
    const QString note = noteText(s.contract);
    {
        // Only the entry an earlier posting wrote: a clerk's own entry whose remark merely mentions
        // the contract (a deposit refund) is not ours to rewrite. The column compares without regard
        // to case, so the exact text is checked here.
        QSqlQuery q = db.run(QStringLiteral("select ") + Schema::KeyColumn
                                 + QStringLiteral(", 日期, 备注 from 现金日记帐 where 备注 = ? order by ") + Schema::KeyColumn,
                             {note});
        while (q.next()) {
            if (q.value(2).toString() != note)
                continue;
            key = q.value(0).toLongLong();
            out.date = Dates::fromVariant(q.value(1)).date();
            out.rewritten = true;
            break;
        }
    }
    const QVariantList values{Income, detailText(s), s.settler, stored(s.received), operatorName, Dates::toStorage(now), note};
    Money carried;
    if (out.rewritten) {
        QVariantList binds = values;
        binds << stored(s.received) << key;
        AuditLog::Watch watch(db, Table, Schema::KeyColumn + QStringLiteral("=?"), {key});
        db.execute(QStringLiteral(
                       "update 现金日记帐 set 摘要=?, 明细=?, 经办人=?, 借方=?, 操作员=?, 操作日期=?, 备注=?, 余额=? where ")
                       + Schema::KeyColumn + QStringLiteral("=?"),
                   binds);
        watch.done();
    } else {
        out.date = today;
        carried = newestBalance(db, today).value_or(Money());
        QVariantList binds{Dates::toStorage(today)};
        binds << values << stored(Amounts::add(s.received, carried));
        const QSqlQuery q = db.run(QStringLiteral("insert into 现金日记帐 (日期, 摘要, 明细, 经办人, 借方, 操作员, 操作日期, 备注, 余额) "
                                                  "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                                   binds);
        AuditLog::inserted(db, Table, q.lastInsertId().toLongLong());
    }
    // An entry that carried nothing may stand anywhere in its month: the month is balanced again.
    if (carried == Money()) {
        recomputeMonth(db, out.date);
        out.recomputed = true;
    }
    return out;
}

}  // namespace Journal
