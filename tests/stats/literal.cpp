#include "literal.h"
#include "core/dates.h"
#include "core/sqltext.h"
#include "data/datamodule.h"

namespace Literal {

namespace {

using S = QString;

void lines(RecordSet& q, const QStringList& sql)
{
    q.close();
    q.clearSql();
    q.setSql(sql);
}

// Steps 2 of the run: 通用 emptied and opened with the report's order line.
RecordSet& scratch(TDm1& dm, const QString& order)
{
    RecordSet& t = dm.q_tongyong;
    lines(t, {S("delete from 通用")});
    t.execSql();
    QStringList sel{S("select * from "), S("通用")};
    if (!order.isEmpty())
        sel << order;
    lines(t, sel);
    t.open();
    return t;
}

bool blank(const QString& d)
{
    return d.isEmpty() || d.startsWith(QLatin1Char(' '));
}

QVariant dateOf(const QString& shown)
{
    if (blank(shown))
        return {};
    return QVariant(*Dates::parseJet(shown));
}

QString range(const QString& column, const QString& from, const QString& to)
{
    return S("(") + column + S(" between cdate('") + from + S(" 0:0:0') and cdate('") + to + S(" 23:59:59'))");
}

QString where(const Reports::IncomeCriteria& c)
{
    QString w;
    const auto add = [&w](const QString& term) { w += w.isEmpty() ? term : S("and") + term; };
    if (!c.customerNo.trimmed().isEmpty())
        add(S("(客户号 like '%") + c.customerNo.trimmed() + S("%')"));
    if (!c.customerName.trimmed().isEmpty())
        add(S("(客户姓名 like '%") + c.customerName.trimmed() + S("%')"));
    if (!c.plate.trimmed().isEmpty())
        add(S("(车牌号 like '%") + c.plate.trimmed() + S("%')"));
    if (!blank(c.dispatchFrom) && !blank(c.dispatchTo))
        add(range(S("发车日期"), c.dispatchFrom, c.dispatchTo));
    if (!blank(c.returnFrom) && !blank(c.returnTo))
        add(range(S("收车日期"), c.returnFrom, c.returnTo));
    return w;
}

void sumQuery(TDm1& dm, const QString& condition)
{
    lines(dm.q_qczlb, {S("select sum(押金) as yj,sum(预收租金) as yszj,sum(租赁期限) as zlqx,"),
                       S("sum(收费金额) as sfje,sum(实收金额) as ysje from 汽车租赁登记表"), S(" where "), condition});
    dm.q_qczlb.open();
}

void setSums(RecordSet& t, RecordSet& s)
{
    t.setValue(S("押金"), s.asMoney(S("yj")));
    t.setValue(S("预收租金"), s.asMoney(S("yszj")));
    t.setValue(S("租赁期限"), s.asMoney(S("zlqx")));
    t.setValue(S("收费金额"), s.asMoney(S("sfje")));
    t.setValue(S("实收金额"), s.asMoney(S("ysje")));
}

// Appends the driving row's values, the range dates and the sums when the contracts charge anything.
void appendIfCharged(TDm1& dm, const QVector<QPair<QString, QString>>& lead, const Reports::IncomeCriteria& c)
{
    if (dm.q_qczlb.asMoney(S("sfje")) <= Money())
        return;
    RecordSet& t = dm.q_tongyong;
    t.append();
    for (const auto& [column, value] : lead)
        t.setValue(column, value);
    t.setValue(S("发车日期"), dateOf(c.dispatchFrom));
    t.setValue(S("收车日期"), dateOf(c.dispatchTo));
    setSums(t, dm.q_qczlb);
    t.post();
}

void openAll(RecordSet& q, const QString& table, const QString& order)
{
    lines(q, {S("select * from "), table, S("order by ") + order});
    q.open();
    q.first();
}

}  // namespace

void vehicleIncome(TDm1& dm, const Reports::IncomeCriteria& c)
{
    scratch(dm, S(" order by 车牌号"));
    const QString w = where(c);
    RecordSet& v = dm.q_qcda;
    openAll(v, S("汽车档案"), S("车牌号"));
    while (!v.eof()) {
        sumQuery(dm, w + S("and(车牌号 like '") + sqlText(v.asString(S("车牌号"))) + S("%')"));
        appendIfCharged(dm, {{S("车牌号"), v.asString(S("车牌号"))}}, c);
        v.next();
    }
}

void customerIncome(TDm1& dm, const Reports::IncomeCriteria& c)
{
    scratch(dm, S(" order by 客户姓名"));
    const QString w = where(c);
    RecordSet& k = dm.q_hyzlb;
    openAll(k, S("客户登记表"), S("客户号"));
    while (!k.eof()) {
        sumQuery(dm, w + S("and(客户号 like '") + sqlText(k.asString(S("客户号"))) + S("%')"));
        appendIfCharged(dm, {{S("客户号"), k.asString(S("客户号"))}, {S("客户姓名"), k.asString(S("客户姓名"))}}, c);
        k.next();
    }
}

void vehicleCustomerIncome(TDm1& dm, const Reports::IncomeCriteria& c)
{
    scratch(dm, S(" order by 车牌号"));
    Reports::IncomeCriteria dates = c;
    dates.customerNo.clear();
    dates.customerName.clear();
    dates.plate.clear();
    const QString w = where(dates);
    RecordSet& k = dm.q_hyzlb;
    RecordSet& v = dm.q_qcda;
    openAll(k, S("客户登记表"), S("客户号"));
    openAll(v, S("汽车档案"), S("车牌号"));
    while (!v.eof()) {
        k.first();
        while (!k.eof()) {
            sumQuery(dm, w + S("and(车牌号 like '") + sqlText(v.asString(S("车牌号"))) + S("%')") + S("and(客户号 like '")
                             + sqlText(k.asString(S("客户号"))) + S("%')"));
            appendIfCharged(dm,
                            {{S("车牌号"), v.asString(S("车牌号"))},
                             {S("客户号"), k.asString(S("客户号"))},
                             {S("客户姓名"), k.asString(S("客户姓名"))}},
                            c);
            k.next();
        }
        v.next();
    }
}

void handlerIncome(TDm1& dm, const Reports::IncomeCriteria& c)
{
    scratch(dm, S(" order by 客户姓名"));
    const QString w = where(c);
    RecordSet& h = dm.q_jbr;
    openAll(h, S("经办人信息"), S("经办人姓名"));
    while (!h.eof()) {
        sumQuery(dm, w + S("and(租赁公司经办人 = '") + sqlText(h.asString(S("经办人姓名"))) + S("')"));
        appendIfCharged(dm, {{S("客户姓名"), h.asString(S("经办人姓名"))}}, c);
        h.next();
    }
}

void monthlyIncome(TDm1& dm, const Reports::MonthlyCriteria& c)
{
    const QString d = c.startDay;
    const QString y = c.year.trimmed().left(4);
    RecordSet& t = scratch(dm, S(" order by 月份"));
    const auto m = [](int i) { return QString::asprintf("%02d", i > 12 ? 1 : i); };
    for (int i = 1; i <= 12; ++i) {
        const QString s = S("'") + y + S("-") + m(i) + S("-") + d + S(" 0:0:0'");
        QString e;
        if (d == S("1")) {
            int last = 31;
            if (i == 4 || i == 6 || i == 9 || i == 11)
                last = 30;
            else if (i == 2)
                last = QDate(y.toInt(), 3, 1).addDays(-1).day();
            e = S("'") + y + S("-") + m(i) + S("-") + QString::number(last) + S(" 23:59:59'");
        } else {
            const QString y2 = i == 12 ? QString::number(y.toInt() + 1) : y;
            e = S("'") + y2 + S("-") + m(i + 1) + S("-") + QString::number(d.toInt() - 1) + S(" 23:59:59'");
        }
        const QString col = c.byReturnDate ? S("收车日期") : S("发车日期");
        lines(dm.q_xjrjz, {S("select sum(借方) as jf,sum(贷方) as df from 现金日记帐"), S(" where "),
                           S("(日期 between cdate(") + s + S(") and cdate(") + e + S("))")});
        dm.q_xjrjz.open();
        const Money jf = dm.q_xjrjz.asMoney(S("jf")), df = dm.q_xjrjz.asMoney(S("df"));
        sumQuery(dm, col + S(" between cdate(") + s + S(") and cdate(") + e + S(")"));
        if (dm.q_qczlb.asMoney(S("sfje")) > Money() || jf > Money() || df > Money()) {
            t.append();
            t.setValue(S("月份"), m(i) + S("月"));
            t.setValue(S("现金减少"), df);
            t.setValue(S("现金增加"), jf);
            setSums(t, dm.q_qczlb);
            t.setValue(S("收入差价"), jf - df);
            t.post();
        }
    }
}

void cashBySummary(TDm1& dm, const Reports::PeriodCriteria& c)
{
    RecordSet& t = scratch(dm, QString());
    const QString term = range(S("日期"), c.from, c.to);
    RecordSet& z = dm.q_zy;
    openAll(z, S("摘要"), S("代码"));
    while (!z.eof()) {
        lines(dm.q_xjrjz, {S("select sum(借方) as jf,sum(贷方) as df from 现金日记帐"), S(" where "),
                           term + S("and(摘要 like '") + sqlText(z.asString(S("摘要"))) + S("%')")});
        dm.q_xjrjz.open();
        const Money jf = dm.q_xjrjz.asMoney(S("jf")), df = dm.q_xjrjz.asMoney(S("df"));
        if (jf > Money() || df > Money()) {
            t.append();
            t.setValue(S("摘要"), z.asString(S("摘要")));
            if (jf > Money())
                t.setValue(S("现金增加"), jf);
            else
                t.setValue(S("现金减少"), df);
            t.setValue(S("发车日期"), dateOf(c.from));
            t.setValue(S("收车日期"), dateOf(c.to));
            t.post();
        }
        z.next();
    }
}

void vehicleDetail(TDm1& dm, const Reports::VehicleCostCriteria& c)
{
    RecordSet& t = scratch(dm, S(" order by 车牌号,发车日期"));
    const QString p = c.plate.trimmed();
    const QString plate = S("(车牌号 like '%") + sqlText(p) + S("%')");
    const auto rest = [&](const QString& col) { return S("and") + range(col, c.from, c.to); };
    const auto number = [](Money m) { return QString::number(m.toDouble(), 'g', 15); };
    const auto line = [&](const QVariant& when, const QVariant& back, Money amount, const QString& note) {
        t.append();
        t.setValue(S("车牌号"), p);
        t.setValue(S("发车日期"), when);
        if (back.isValid())
            t.setValue(S("收车日期"), back);
        t.setValue(S("实收金额"), amount);
        t.setValue(S("备注"), note);
        t.post();
    };
    if (c.rental) {
        RecordSet& q = dm.q_qczlb;
        lines(q, {S("select * from 汽车租赁登记表"), S(" where "), plate + rest(c.byReturnDate ? S("收车日期") : S("发车日期"))});
        for (q.open(), q.first(); !q.eof(); q.next())
            line(q.value(S("发车日期")), q.value(S("收车日期")), q.asMoney(S("实收金额")),
                 S("租赁收入: 期限") + QString::number(q.asInteger(S("租赁期限"))) + S("天应收金额") + number(q.asMoney(S("收费金额")))
                     + S("元"));
    }
    if (c.oil) {
        RecordSet& q = dm.q_hyjlb;
        lines(q, {S("select * from 换油记录表"), S(" where "), plate + rest(S("换油时间"))});
        for (q.open(), q.first(); !q.eof(); q.next())
            line(q.value(S("换油时间")), {}, -q.asMoney(S("金额")),
                 S("更换机油: 单价") + number(q.asMoney(S("单价"))) + S("元,数量") + QString::number(q.asInteger(S("数量"))));
    }
    if (c.repair) {
        RecordSet& q = dm.q_wxjlb;
        lines(q, {S("select * from 车辆维修记录表"), S(" where "), plate + rest(S("维修时间"))});
        for (q.open(), q.first(); !q.eof(); q.next())
            line(q.value(S("维修时间")), {}, -q.asMoney(S("总费用")), S("车辆维修: ") + q.asString(S("维修内容")));
    }
    if (c.accident) {
        RecordSet& q = dm.q_sgjlb;
        lines(q, {S("select * from 事故登记表"), S(" where "), plate + rest(S("事故时间"))});
        for (q.open(), q.first(); !q.eof(); q.next())
            line(q.value(S("事故时间")), {}, -q.asMoney(S("事故金额")), S("车辆事故: ") + q.asString(S("事故情况")));
    }
}

void vehicleSummary(TDm1& dm, const Reports::VehicleCostCriteria& c)
{
    RecordSet& t = scratch(dm, S(" order by 车牌号"));
    RecordSet& v = dm.q_qcda;
    openAll(v, S("汽车档案"), S("车牌号"));
    const auto sum = [&](RecordSet& q, const QString& select, const QString& term, const QString& alias) {
        lines(q, {select, S(" where "), term + S("and(车牌号 = '") + sqlText(v.asString(S("车牌号"))) + S("')")});
        q.open();
        return q.asMoney(alias);
    };
    while (!v.eof()) {
        Money r, o, w, a;
        if (c.rental)
            r = sum(dm.q_qczlb, S("select sum(实收金额) as ysje from 汽车租赁登记表"),
                    range(c.byReturnDate ? S("收车日期") : S("发车日期"), c.from, c.to), S("ysje"));
        if (c.oil)
            o = sum(dm.q_hyjlb, S("select sum(金额) as hyje from 换油记录表"), range(S("换油时间"), c.from, c.to), S("hyje"));
        if (c.repair)
            w = sum(dm.q_wxjlb, S("select sum(总费用) as wxje from 车辆维修记录表"), range(S("维修时间"), c.from, c.to), S("wxje"));
        if (c.accident)
            a = sum(dm.q_sgjlb, S("select sum(事故金额) as sgje from 事故登记表"), range(S("事故时间"), c.from, c.to), S("sgje"));
        t.append();
        t.setValue(S("车牌号"), v.asString(S("车牌号")));
        t.setValue(S("发车日期"), dateOf(c.from));
        t.setValue(S("收车日期"), dateOf(c.to));
        t.setValue(S("实收金额"), r);
        t.setValue(S("预收租金"), o);
        t.setValue(S("押金"), w);
        t.setValue(S("租赁单价"), a);
        t.setValue(S("收入差价"), r - o - w - a);
        t.post();
        v.next();
    }
}

}  // namespace Literal
