#include "rental/receipt.h"

#include "core/clock.h"
#include "core/dates.h"
#include "core/moneywords.h"
#include "data/amounts.h"
#include "data/columns.h"
#include "data/database.h"
#include "rental/agreement.h"
#include "rental/settlement.h"

#include <QSqlQuery>
#include <cmath>

using namespace Qt::StringLiterals;

namespace Receipt {

namespace {

const QStringList TextColumns{Col::内部编号, Col::发车单号, Col::客户号, Col::客户姓名,       Col::车牌号,
                              Col::结算人,   Col::交款人,   Col::支票号, Col::租赁公司经办人, Col::备注};
const QStringList DateColumns{Col::发车日期, Col::收车日期, Col::收款日期};
const QStringList WholeColumns{Col::发车里程, Col::收车里程, Col::租赁期限, Col::每天限驶里程, Col::超驶里程};
// The amounts in the order of the page: the contract's rates, the calculation, the extras, the payment.
const QStringList MoneyColumns = QStringList{Col::租赁单价, Col::应收租金,     Col::包干价, Col::超驶收费单价,
                                             Col::超驶费,   Col::超时收费单价, Col::超时费, Col::收费小计}
                                 + Settlement::ExtraColumns + QStringList{Col::附加小计, Col::收费金额, Col::押金,    Col::预收租金,
                                                                          Col::实收金额, Col::应收帐款, Col::应退金额};
// The amounts a Chinese receipt also writes in capitals.
const QStringList WordColumns{Col::收费金额, Col::押金, Col::预收租金, Col::实收金额, Col::应收帐款, Col::应退金额};

const QStringList AllColumns = TextColumns + DateColumns + WholeColumns + MoneyColumns + QStringList{Col::超时小时, Col::帐款结清};

std::optional<qint64> wholeOf(const QVariant& v)
{
    if (v.isNull() || v.toString().trimmed().isEmpty())
        return std::nullopt;
    return qint64(std::llround(v.toDouble()));
}

// Hours may carry a fraction (2.5); shown without trailing zeros.
QString numberText(const QVariant& v)
{
    if (v.isNull() || v.toString().trimmed().isEmpty())
        return {};
    QString s = QString::number(v.toDouble(), 'f', 2);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    return s;
}

}  // namespace

QString builtInTemplate()
{
    // Qt's rich text: tables with cellpadding, no CSS layout. 10 pt keeps every amount on one A4 page.
    QString extras;
    for (int i = 0; i < Settlement::ExtraCount; i += 2) {
        extras += u"<tr><td>%1</td><td align=\"right\">{{%1}}</td>"_s.arg(Settlement::ExtraColumns[i]);
        extras += i + 1 < Settlement::ExtraCount
                      ? u"<td>%1</td><td align=\"right\">{{%1}}</td></tr>\n"_s.arg(Settlement::ExtraColumns[i + 1])
                      : u"<td>附加小计</td><td align=\"right\"><b>{{附加小计}}</b></td></tr>\n"_s;
    }
    return uR"(<html><body style="font-size:10pt">
<h2 align="center">{{公司名称}}</h2>
<p align="center" style="font-size:9pt">地址：{{公司地址}}　邮编：{{邮政编码}}　联系人：{{公司联系人}}　电话：{{公司电话}}</p>
<h1 align="center">汽车租赁结算单<span style="color:#c00000">{{未结清}}</span></h1>
<p>合同号：{{合同号}}　　发车单号：{{发车单号}}</p>
<table width="100%" border="1" cellspacing="0" cellpadding="3">
<tr><td colspan="4" bgcolor="#e8e8e8"><b>客户与车辆</b></td></tr>
<tr><td width="18%">客户姓名</td><td width="32%">{{客户姓名}}（{{客户号}}）</td><td width="18%">车牌号</td><td width="32%">{{车牌号}}　{{车型}}</td></tr>
<tr><td colspan="4" bgcolor="#e8e8e8"><b>租期与里程</b></td></tr>
<tr><td>发车日期</td><td>{{发车日期}}</td><td>收车日期</td><td>{{收车日期}}</td></tr>
<tr><td>发车里程</td><td>{{发车里程}} 公里</td><td>收车里程</td><td>{{收车里程}} 公里</td></tr>
<tr><td>行驶里程</td><td>{{行驶里程}} 公里</td><td>租赁期限</td><td>{{租赁期限}} 天</td></tr>
<tr><td colspan="4" bgcolor="#e8e8e8"><b>租金（元）</b></td></tr>
<tr><td>租赁单价</td><td align="right">{{租赁单价}}</td><td>应收租金</td><td align="right">{{应收租金}}</td></tr>
<tr><td>每天限驶里程</td><td align="right">{{每天限驶里程}} 公里</td><td>超驶里程</td><td align="right">{{超驶里程}} 公里</td></tr>
<tr><td>超驶收费单价</td><td align="right">{{超驶收费单价}}</td><td>超驶费</td><td align="right">{{超驶费}}</td></tr>
<tr><td>超时</td><td align="right">{{超时小时}} 小时 × {{超时收费单价}}</td><td>超时费</td><td align="right">{{超时费}}</td></tr>
<tr><td>包干价</td><td align="right">{{包干价}}</td><td>收费小计</td><td align="right"><b>{{收费小计}}</b></td></tr>
<tr><td colspan="4" bgcolor="#e8e8e8"><b>附加费用（元）</b></td></tr>
)"_s + extras
           + uR"(<tr><td colspan="4" bgcolor="#e8e8e8"><b>结算（元）</b></td></tr>
<tr><td><b>收费金额</b></td><td colspan="3"><b>{{收费金额}}</b>（人民币大写：{{收费金额大写}}）</td></tr>
<tr><td>押金</td><td align="right">{{押金}}</td><td>预收租金</td><td align="right">{{预收租金}}</td></tr>
<tr><td><b>实收金额</b></td><td colspan="3"><b>{{实收金额}}</b>（人民币大写：{{实收金额大写}}）</td></tr>
<tr><td>应收帐款</td><td colspan="3">{{应收帐款}}（人民币大写：{{应收帐款大写}}）</td></tr>
<tr><td>应退金额</td><td colspan="3">{{应退金额}}（人民币大写：{{应退金额大写}}）</td></tr>
<tr><td>结算人</td><td>{{结算人}}</td><td>交款人</td><td>{{交款人}}</td></tr>
<tr><td>收款日期</td><td>{{收款日期}}</td><td>支票号</td><td>{{支票号}}</td></tr>
<tr><td>备注</td><td colspan="3">{{备注}}</td></tr>
</table>
<br>
<table width="100%" cellpadding="6">
<tr><td width="50%">交款人（承租方）签字：</td><td>结算人签字：</td></tr>
<tr><td>日期：　　年　　月　　日</td><td>日期：　　年　　月　　日</td></tr>
</table>
<p align="right" style="font-size:8pt">{{公司名称}}　打印日期：{{打印日期}}</p>
</body></html>)"_s;
}

QStringList fieldNames()
{
    QStringList out = Agreement::companyFieldNames();
    out << u"未结清"_s << u"合同号"_s << Col::发车单号 << Col::客户号 << Col::客户姓名 << Col::车牌号 << Col::车型 << Col::发车日期
        << Col::收车日期 << Col::发车里程 << Col::收车里程 << u"行驶里程"_s << Col::租赁期限 << Col::租赁单价 << Col::应收租金
        << Col::每天限驶里程 << Col::超驶里程 << Col::超驶收费单价 << Col::超驶费 << Col::超时小时 << Col::超时收费单价 << Col::超时费
        << Col::包干价 << Col::收费小计 << Settlement::ExtraColumns << Col::附加小计;
    for (const QString& c : MoneyColumns.mid(MoneyColumns.indexOf(Col::收费金额))) {
        out << c;
        if (WordColumns.contains(c))
            out << c + u"大写"_s;
    }
    out << Col::结算人 << Col::交款人 << Col::收款日期 << Col::支票号 << u"经办人"_s << Col::备注 << u"打印日期"_s;
    return out;
}

std::optional<QHash<QString, QString>> fields(Database& db, const QString& contractNumber)
{
    const std::optional<QVariantList> row = Agreement::contractValues(db, contractNumber, AllColumns);
    if (!row)
        return std::nullopt;
    const auto value = [&row](const QString& column) { return row->at(AllColumns.indexOf(column)); };

    QHash<QString, QString> f;
    for (const QString& column : TextColumns)
        f.insert(column, value(column).toString().trimmed());
    f.insert(u"合同号"_s, f.take(Col::内部编号));
    f.insert(u"经办人"_s, f.take(Col::租赁公司经办人));
    for (const QString& column : DateColumns)
        f.insert(column, Dates::displayStored(value(column)));
    for (const QString& column : WholeColumns) {
        const auto n = wholeOf(value(column));
        f.insert(column, n ? QString::number(*n) : QString());
    }
    // The distance driven, where both readings are stored.
    const auto out = wholeOf(value(Col::发车里程)), in = wholeOf(value(Col::收车里程));
    f.insert(u"行驶里程"_s, out && in ? QString::number(*in - *out) : QString());
    f.insert(Col::超时小时, numberText(value(Col::超时小时)));
    // An amount never stored (a contract not yet calculated) prints as 0.00, as the lists sum it.
    for (const QString& column : MoneyColumns) {
        const Money m = Amounts::read(value(column));
        f.insert(column, m.toString(2, true));
        if (WordColumns.contains(column))
            f.insert(column + u"大写"_s, amountInWords(m));
    }
    f.insert(u"未结清"_s, value(Col::帐款结清).toInt() != 0 ? QString() : u"（未结清）"_s);

    // A vehicle that is gone leaves its model empty, not the receipt unprinted.
    QSqlQuery v = db.run(u"select 车型 from 汽车档案 where 车牌号=?"_s, {f.value(Col::车牌号)});
    f.insert(Col::车型, v.next() ? v.value(0).toString().trimmed() : QString());
    f.insert(Agreement::companyFields(db));
    f.insert(u"打印日期"_s, Dates::displayDate(Clock::now()));
    return f;
}

}  // namespace Receipt
