#include "rental/handoverpaper.h"

#include "core/clock.h"
#include "core/dates.h"
#include "data/database.h"
#include "rental/agreement.h"
#include "rental/damagediagram.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace HandoverPaper {

namespace {

// Width of each stage's outline on the page, in the page's CSS pixels (two fit side by side).
constexpr int PictureWidth = 330;

const QStringList ContractColumns{u"发车单号"_s, u"客户姓名"_s, u"车牌号"_s,  u"发车日期"_s,
                                  u"发车里程"_s, u"收车日期"_s, u"收车里程"_s};
const QStringList StageFields{u"车况图"_s, u"损伤"_s, u"油量"_s, u"随车物品"_s, u"检查人"_s, u"检查时间"_s, u"备注"_s};

void addStage(QHash<QString, QString>& f, const QString& prefix, const std::optional<Handover::Sheet>& sheet,
              const QStringList& checklist, const QString& picture)
{
    f.insert(prefix + u"车况图"_s, picture);
    if (!sheet) {
        // Nothing recorded: the paper is there to be filled in by hand.
        f.insert(prefix + u"损伤"_s, u"（没有填写检查单）"_s);
        f.insert(prefix + u"油量"_s, u"____/8"_s);
        QStringList boxes;
        for (const QString& item : checklist)
            boxes << u"□ "_s + item;
        f.insert(prefix + u"随车物品"_s, boxes.join(u'\n'));
        for (const QString& name : {u"检查人"_s, u"检查时间"_s, u"备注"_s})
            f.insert(prefix + name, QString());
        return;
    }
    f.insert(prefix + u"损伤"_s, marksText(sheet->marks));
    f.insert(prefix + u"油量"_s, fuelText(sheet->fuel));
    f.insert(prefix + u"随车物品"_s, accessoriesText(checklist, *sheet));
    f.insert(prefix + u"检查人"_s, sheet->inspector);
    f.insert(prefix + u"检查时间"_s, sheet->checkedAt.isValid() ? Dates::displayDateTime(sheet->checkedAt) : QString());
    f.insert(prefix + u"备注"_s, sheet->remarks);
}

}  // namespace

QString builtInTemplate()
{
    // Qt's rich text: tables with cellpadding. The stages side by side, the return's damage in red.
    return uR"(<html><body style="font-size:10pt">
<h2 align="center">{{公司名称}}</h2>
<h1 align="center">车辆交接检查单</h1>
<table width="100%" border="1" cellspacing="0" cellpadding="4">
<tr><td width="15%">合同号</td><td width="35%">{{合同号}}</td><td width="15%">发车单号</td><td width="35%">{{发车单号}}</td></tr>
<tr><td>客户姓名</td><td>{{客户姓名}}</td><td>车牌号</td><td>{{车牌号}}　{{车型}}　{{颜色}}</td></tr>
<tr><td>发车日期</td><td>{{发车日期}}</td><td>发车里程</td><td>{{发车里程}} 公里</td></tr>
<tr><td>收车日期</td><td>{{收车日期}}</td><td>收车里程</td><td>{{收车里程}} 公里</td></tr>
</table>
<br>
<table width="100%" border="1" cellspacing="0" cellpadding="4">
<tr><td width="50%" bgcolor="#e8e8e8" align="center"><b>交车检查</b></td>
<td width="50%" bgcolor="#e8e8e8" align="center"><b>收车检查</b>（<font color="#c00000">红色</font>为收车时新发现的损伤）</td></tr>
<tr><td align="center">{{交车车况图}}</td><td align="center">{{收车车况图}}</td></tr>
<tr><td valign="top"><b>损伤：</b><br>{{交车损伤}}</td>
<td valign="top"><b>新增损伤：</b><br><font color="#c00000"><b>{{收车损伤}}</b></font></td></tr>
<tr><td>油量：{{交车油量}}</td><td>油量：{{收车油量}}</td></tr>
<tr><td valign="top"><b>随车物品：</b><br>{{交车随车物品}}</td><td valign="top"><b>随车物品：</b><br>{{收车随车物品}}</td></tr>
<tr><td>检查人：{{交车检查人}}<br>检查时间：{{交车检查时间}}</td><td>检查人：{{收车检查人}}<br>检查时间：{{收车检查时间}}</td></tr>
<tr><td>备注：{{交车备注}}</td><td>备注：{{收车备注}}</td></tr>
</table>
<p style="font-size:9pt">油量以八分之几油箱计（8/8 为满箱）；随车物品 √ 为已交付，× 为未交付。双方确认以上车况无误后签字。</p>
<table width="100%" cellpadding="6">
<tr><td width="50%">交车 客户签字：</td><td>收车 客户签字：</td></tr>
<tr><td>交车 经办人签字：</td><td>收车 经办人签字：</td></tr>
<tr><td>日期：　　年　　月　　日</td><td>日期：　　年　　月　　日</td></tr>
</table>
<p align="right" style="font-size:8pt">打印日期：{{打印日期}}</p>
</body></html>)"_s;
}

QStringList fieldNames()
{
    QStringList out{u"公司名称"_s, u"合同号"_s};
    out << ContractColumns << u"车型"_s << u"颜色"_s;
    for (const QString& stage : {u"交车"_s, u"收车"_s})
        for (const QString& name : StageFields)
            out << stage + name;
    out << u"打印日期"_s;
    return out;
}

std::optional<QHash<QString, QString>> fields(Database& db, const QString& contract)
{
    QHash<QString, QString> f;
    const std::optional<QVariantList> row = Agreement::contractValues(db, contract, ContractColumns);
    if (!row)
        return std::nullopt;
    f.insert(u"合同号"_s, contract);
    for (int i = 0; i < ContractColumns.size(); ++i)
        f.insert(ContractColumns[i], row->at(i).toString().trimmed());
    for (const QString& date : {u"发车日期"_s, u"收车日期"_s})
        f.insert(date, Dates::displayStored(row->at(ContractColumns.indexOf(date))));
    for (const QString& odometer : {u"发车里程"_s, u"收车里程"_s})
        f.insert(odometer, Agreement::wholeText(row->at(ContractColumns.indexOf(odometer))));
    // A vehicle or company row that is gone leaves its fields empty, not the page unprinted.
    QSqlQuery v = db.run(u"select 车型, 颜色 from 汽车档案 where 车牌号=?"_s, {f.value(u"车牌号"_s)});
    const bool vehicle = v.next();
    f.insert(u"车型"_s, vehicle ? v.value(0).toString().trimmed() : QString());
    f.insert(u"颜色"_s, vehicle ? v.value(1).toString().trimmed() : QString());
    f.insert(Agreement::companyFields(db));

    const QStringList checklist = Handover::accessoryItems(db);
    const auto dispatch = Handover::load(db, contract, Handover::Stage::Dispatch);
    const auto taken = Handover::load(db, contract, Handover::Stage::Return);
    const QVector<Handover::Mark> before = dispatch ? dispatch->marks : QVector<Handover::Mark>();
    addStage(f, u"交车"_s, dispatch, checklist, DamageDrawing::htmlImage(before, DamageDrawing::Recorded, {}, PictureWidth));
    addStage(f, u"收车"_s, taken, checklist,
             DamageDrawing::htmlImage(taken ? taken->marks : QVector<Handover::Mark>(), DamageDrawing::NewDamage, before,
                                      PictureWidth));
    f.insert(u"打印日期"_s, Dates::displayDate(Clock::now()));
    return f;
}

QString dispatchPicture(Database& db, const QString& contract)
{
    const auto dispatch = Handover::load(db, contract, Handover::Stage::Dispatch);
    return DamageDrawing::htmlImage(dispatch ? dispatch->marks : QVector<Handover::Mark>(), DamageDrawing::Recorded, {}, 240);
}

QString fuelText(int fuel)
{
    return fuel < 0 ? u"未记录"_s : u"%1/%2"_s.arg(fuel).arg(Handover::FullTank);
}

QString accessoriesText(const QStringList& checklist, const Handover::Sheet& sheet)
{
    QStringList lines;
    for (const QString& item : checklist)
        lines << (sheet.accessories.contains(item) ? u"√ "_s : u"× "_s) + item;
    for (const QString& item : sheet.accessories)
        if (!checklist.contains(item))
            lines << u"√ "_s + item;
    return lines.join(u'\n');
}

QString marksText(const QVector<Handover::Mark>& marks)
{
    if (marks.isEmpty())
        return u"无"_s;
    QStringList lines;
    for (const Handover::Mark& m : marks)
        lines << u"%1 %2"_s.arg(m.number).arg(m.text.isEmpty() ? u"（未注明）"_s : m.text);
    return lines.join(u'\n');
}

QString summary(const Handover::Sheet& sheet)
{
    return u"油量：%1\n随车物品：%2\n损伤（图中灰色）：%3\n检查人：%4　%5"_s.arg(fuelText(sheet.fuel))
        .arg(sheet.accessories.isEmpty() ? u"无"_s : sheet.accessories.join(u"、"_s))
        .arg(marksText(sheet.marks).replace(u'\n', u"；"_s))
        .arg(sheet.inspector, sheet.checkedAt.isValid() ? Dates::displayDateTime(sheet.checkedAt) : QString());
}

}  // namespace HandoverPaper
