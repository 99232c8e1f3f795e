#include "rental/agreement.h"

#include "core/clock.h"
#include "core/dates.h"
#include "core/moneywords.h"
#include "data/amounts.h"
#include "data/database.h"
#include "rental/availability.h"

#include <QSqlQuery>
#include <cmath>

using namespace Qt::StringLiterals;

namespace Agreement {

namespace {

const QStringList ContractColumns{u"内部编号"_s,     u"发车单号"_s,     u"客户号"_s,   u"客户姓名"_s, u"车牌号"_s,
                                  u"发车日期"_s,     u"发车里程"_s,     u"租赁期限"_s, u"租赁单价"_s, u"每天限驶里程"_s,
                                  u"超时收费单价"_s, u"超驶收费单价"_s, u"押金"_s,     u"预收租金"_s, u"租赁公司经办人"_s};
const QStringList CustomerColumns{u"身份证号"_s,       u"联系电话"_s,   u"移动电话"_s,       u"家庭住址"_s,
                                  u"企业名称"_s,       u"企业注册号"_s, u"担保人"_s,         u"担保人身份证号"_s,
                                  u"担保人联系电话"_s, u"驾驶员"_s,     u"驾驶员身份证号"_s, u"驾驶员驾驶证号"_s};
const QStringList VehicleColumns{u"车型"_s, u"颜色"_s};
const QStringList CompanyColumns{u"公司名称"_s, u"公司地址"_s, u"邮政编码"_s, u"联系人"_s, u"联系电话"_s};
const QStringList MoneyColumns{u"租赁单价"_s, u"超时收费单价"_s, u"超驶收费单价"_s, u"押金"_s, u"预收租金"_s};

qint64 wholeOf(const QVariant& v)
{
    return v.isNull() ? 0 : qint64(std::llround(v.toDouble()));
}

}  // namespace

QString wholeText(const QVariant& v)
{
    return v.isNull() || v.toString().trimmed().isEmpty() ? QString() : QString::number(wholeOf(v));
}

std::optional<QVariantList> contractValues(Database& db, const QString& number, const QStringList& columns)
{
    QSqlQuery c = db.run(u"select "_s + columns.join(u", "_s) + u" from 汽车租赁登记表 where 内部编号=?"_s, {number});
    if (!c.next())
        return std::nullopt;
    QVariantList values;
    for (int i = 0; i < columns.size(); ++i)
        values << c.value(i);
    return values;
}

QString builtInTemplate()
{
    // Qt's rich text: tables with cellpadding, no CSS layout. 10.5 pt fits one A4 page.
    return uR"(<html><body style="font-size:10.5pt">
<h2 align="center">{{公司名称}}</h2>
<p align="center" style="font-size:9pt">地址：{{公司地址}}　邮编：{{邮政编码}}　联系人：{{公司联系人}}　电话：{{公司电话}}</p>
<h1 align="center">汽车租赁合同</h1>
<p>合同号：{{合同号}}　　发车单号：{{发车单号}}</p>
<table width="100%" border="1" cellspacing="0" cellpadding="4">
<tr><td colspan="4" bgcolor="#e8e8e8"><b>承租方（乙方）</b></td></tr>
<tr><td width="18%">客户姓名</td><td width="32%">{{客户姓名}}（{{客户号}}）</td><td width="18%">身份证号</td><td width="32%">{{身份证号}}</td></tr>
<tr><td>联系电话</td><td>{{联系电话}}</td><td>移动电话</td><td>{{移动电话}}</td></tr>
<tr><td>家庭住址</td><td colspan="3">{{家庭住址}}</td></tr>
<tr><td>企业名称</td><td>{{企业名称}}</td><td>企业注册号</td><td>{{企业注册号}}</td></tr>
<tr><td>驾驶员</td><td>{{驾驶员}}</td><td>驾驶证号</td><td>{{驾驶员驾驶证号}}</td></tr>
<tr><td>驾驶员身份证号</td><td colspan="3">{{驾驶员身份证号}}</td></tr>
<tr><td>担保人</td><td>{{担保人}}</td><td>担保人身份证号</td><td>{{担保人身份证号}}</td></tr>
<tr><td>担保人电话</td><td colspan="3">{{担保人联系电话}}</td></tr>
<tr><td colspan="4" bgcolor="#e8e8e8"><b>租赁车辆</b></td></tr>
<tr><td>车牌号</td><td>{{车牌号}}</td><td>车型</td><td>{{车型}}</td></tr>
<tr><td>颜色</td><td>{{颜色}}</td><td>发车里程</td><td>{{发车里程}} 公里</td></tr>
<tr><td colspan="4" bgcolor="#e8e8e8"><b>租期与费用</b></td></tr>
<tr><td>发车日期</td><td>{{发车日期}}</td><td>租赁期限</td><td>{{租赁期限}} 天</td></tr>
<tr><td>预计收车日期</td><td>{{预计收车日期}}</td><td>租赁单价</td><td>{{租赁单价}} 元/天</td></tr>
<tr><td>每天限驶里程</td><td>{{每天限驶里程}} 公里</td><td>超驶收费单价</td><td>{{超驶收费单价}} 元/公里</td></tr>
<tr><td>超时收费单价</td><td>{{超时收费单价}} 元/小时</td><td>经办人</td><td>{{经办人}}</td></tr>
<tr><td>押金</td><td colspan="3">{{押金}} 元（人民币大写：{{押金大写}}）</td></tr>
<tr><td>预收租金</td><td colspan="3">{{预收租金}} 元（人民币大写：{{预收租金大写}}）</td></tr>
</table>
<table width="100%" cellspacing="0" cellpadding="0"><tr><td valign="top">
<p style="font-size:9pt"><b>合同条款</b><br>
一、乙方应持本人有效身份证件和驾驶证租车，车辆只由本合同登记的驾驶员驾驶，不得转租、转借、抵押或用于违法活动。<br>
二、租金按租赁单价乘租赁天数计收；超过每天限驶里程的按超驶收费单价计收，逾期还车的按超时收费单价计收。<br>
三、乙方应按期在甲方营业场所还车，续租须在到期前到甲方办理手续。<br>
四、租赁期间的违章、罚款由乙方承担；发生事故或车辆损坏、被盗，乙方应立即报警并通知甲方，保险赔付以外的损失由乙方承担。<br>
五、还车时双方按发车时的车况验车，押金在结清全部费用后退还；担保人对乙方在本合同下的债务承担连带责任。<br>
六、本合同一式两份，双方各执一份，自双方签字之日起生效。</p>
</td><td width="250" valign="top" align="center" style="font-size:8pt">{{交车车况图}}<br>交车车况（详见交车检查单）</td></tr></table>
<br>
<table width="100%" cellpadding="6">
<tr><td width="50%">出租方（甲方）：{{公司名称}}</td><td>承租方（乙方）签字：</td></tr>
<tr><td>经办人签字：</td><td>担保人签字：</td></tr>
<tr><td>日期：　　年　　月　　日</td><td>日期：　　年　　月　　日</td></tr>
</table>
<p align="right" style="font-size:8pt">打印日期：{{打印日期}}</p>
</body></html>)"_s;
}

QStringList fieldNames()
{
    QStringList out = companyFieldNames();
    out << u"合同号"_s << ContractColumns.mid(1, 3) << CustomerColumns << u"车牌号"_s << VehicleColumns << ContractColumns.mid(5, 3)
        << u"预计收车日期"_s << ContractColumns.mid(8, 6) << u"押金大写"_s << u"预收租金大写"_s << u"经办人"_s << u"交车车况图"_s
        << u"打印日期"_s;
    return out;
}

std::optional<QHash<QString, QString>> fields(Database& db, const QString& contractNumber)
{
    QHash<QString, QString> f;
    const std::optional<QVariantList> row = contractValues(db, contractNumber, ContractColumns);
    if (!row)
        return std::nullopt;
    const auto value = [&row](const QString& column) { return row->at(ContractColumns.indexOf(column)); };
    for (int i = 0; i < ContractColumns.size(); ++i)
        f.insert(ContractColumns[i], row->at(i).toString().trimmed());
    f.insert(u"合同号"_s, f.take(u"内部编号"_s));
    f.insert(u"经办人"_s, f.take(u"租赁公司经办人"_s));
    for (const QString& column : MoneyColumns) {
        const Money m = Amounts::read(value(column));
        f.insert(column, m.toString(2, true));
        if (column == u"押金"_s || column == u"预收租金"_s)
            f.insert(column + u"大写"_s, amountInWords(m));
    }
    const QDateTime dispatch = Dates::fromVariant(value(u"发车日期"_s));
    const QVariant days = value(u"租赁期限"_s);
    f.insert(u"发车日期"_s, dispatch.isValid() ? Dates::displayDateTime(dispatch) : QString());
    f.insert(u"租赁期限"_s, wholeText(days));
    f.insert(u"预计收车日期"_s,
             dispatch.isValid() && !days.isNull() ? Dates::displayDateTime(Rental::plannedEnd(dispatch, wholeOf(days))) : QString());
    f.insert(u"发车里程"_s, wholeText(value(u"发车里程"_s)));
    f.insert(u"每天限驶里程"_s, wholeText(value(u"每天限驶里程"_s)));

    // A customer, vehicle or company row that is gone leaves its fields empty, not the page unprinted.
    const auto copy = [&](const QString& sql, const QStringList& columns, const QVariantList& binds, const QStringList& names) {
        QSqlQuery q = db.run(sql, binds);
        const bool found = q.next();
        for (int i = 0; i < columns.size(); ++i)
            f.insert(names[i], found ? q.value(i).toString().trimmed() : QString());
    };
    copy(u"select "_s + CustomerColumns.join(u", "_s) + u" from 客户登记表 where 客户号=?"_s, CustomerColumns, {f.value(u"客户号"_s)},
         CustomerColumns);
    copy(u"select "_s + VehicleColumns.join(u", "_s) + u" from 汽车档案 where 车牌号=?"_s, VehicleColumns, {f.value(u"车牌号"_s)},
         VehicleColumns);
    f.insert(companyFields(db));
    f.insert(u"打印日期"_s, Dates::displayDate(Clock::now()));
    return f;
}

QStringList companyFieldNames()
{
    return {u"公司名称"_s, u"公司地址"_s, u"邮政编码"_s, u"公司联系人"_s, u"公司电话"_s};
}

QHash<QString, QString> companyFields(Database& db)
{
    QHash<QString, QString> f;
    QSqlQuery q = db.run(u"select "_s + CompanyColumns.join(u", "_s) + u" from 公司信息"_s);
    const bool found = q.next();
    const QStringList names = companyFieldNames();
    for (int i = 0; i < names.size(); ++i)
        f.insert(names[i], found ? q.value(i).toString().trimmed() : QString());
    return f;
}

}  // namespace Agreement
