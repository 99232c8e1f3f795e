// Every query dialog of the system: criteria in condition order, SQL lines, variant, messages,
// Enter chain and help lines.
#include "ui/records/querydialog.h"

namespace {

Criterion text(const char* name, const char* label, const char* column, CriterionKind kind, bool upper = false)
{
    Criterion c;
    c.objectName = QString::fromUtf8(name);
    c.label = QString::fromUtf8(label);
    c.column = QString::fromUtf8(column);
    c.kind = kind;
    c.upper = upper;
    return c;
}

Criterion combo(const char* name, const char* label, const char* column, CriterionKind kind, QStringList items = {})
{
    Criterion c = text(name, label, column, kind);
    c.combo = true;
    c.items = std::move(items);
    return c;
}

// A from/to pair; the messages follow the pattern "<name>输入错误..." and "<name>从大于<name>到...".
Criterion range(const char* from, const char* to, const char* label, const char* toLabel, const char* column,
                CriterionKind kind, const char* messageName, const char* function = "cdate")
{
    Criterion c = text(from, label, column, kind);
    c.toObjectName = QString::fromUtf8(to);
    c.toLabel = QString::fromUtf8(toLabel);
    c.function = QString::fromUtf8(function);
    const QString n = QString::fromUtf8(messageName);
    c.inputError = n + QStringLiteral("输入错误,请重新输入!");
    c.orderError = n + QStringLiteral("从大于") + n + QStringLiteral("到,请重新输入!");
    return c;
}

QStringList helpLines(const char* second)
{
    return {QStringLiteral("1.查询内容是与的关系;"), QString::fromUtf8(second),
            QStringLiteral("3.查询内容是包含查询,如内部编号输入2001,则查询结果是包含2001的记录。")};
}

QStringList names(std::initializer_list<const char*> l)
{
    QStringList out;
    for (const char* s : l)
        out << QString::fromUtf8(s);
    return out;
}

// Oil changes, repairs and accidents share one shape.
QueryDialogConfig registerQuery(const char* cls, const char* caption, const char* query, const char* table,
                              const char* dateColumn, bool driver)
{
    using K = CriterionKind;
    QueryDialogConfig s;
    s.className = QString::fromUtf8(cls);
    s.caption = QString::fromUtf8(caption);
    s.query = QString::fromUtf8(query);
    const QString date = QString::fromUtf8(dateColumn);
    s.criteria = {combo("cb车牌号", "车牌号：", "车牌号", K::Equals), combo("cb经办人", "经办人：", "经办人", K::Equals)};
    if (driver)
        s.criteria << text("ed驾驶员", "驾驶员：", "驾驶员", K::Equals);
    s.criteria << range("dt从", "dt到", (date + QStringLiteral("  从：")).toUtf8().constData(), "到：", dateColumn,
                        K::DayRange, dateColumn);
    s.selectLines = {QStringLiteral("select * from "), QString::fromUtf8(table)};
    s.orderLine = QStringLiteral("order by 车牌号");
    s.variant = QueryVariant::AlwaysClose;
    s.noCriteriaMessage = QStringLiteral("没有输入查询条件,请重新输入!");
    s.noCriteriaFocus = QStringLiteral("cb车牌号");
    s.enterChain = driver ? names({"cb车牌号", "dt从", "dt到", "cb经办人", "ed驾驶员"})
                          : names({"cb车牌号", "dt从", "dt到", "cb经办人"});
    s.seekCaption = QStringLiteral("查询 (&F)");
    return s;
}

QVector<QueryDialogConfig> build()
{
    using K = CriterionKind;
    QVector<QueryDialogConfig> t;
    const QStringList yesNo{QStringLiteral("是"), QStringLiteral("否")};

    QueryDialogConfig qczlb;
    qczlb.className = QStringLiteral("TForm_qczlb_cx");
    qczlb.caption = QStringLiteral("查询");
    qczlb.query = QStringLiteral("q_qczlb");
    qczlb.criteria = {
        text("ed内部编号", "内部编号：", "内部编号", K::Contains, true),
        combo("cb车牌号", "车牌号：", "车牌号", K::StartsWithFirstOnly),
        combo("cb客户号", "客户号：", "客户号", K::Contains),
        combo("cb客户姓名", "客户姓名：", "客户姓名", K::Contains),
        combo("cb客户交车", "客户交车：", "客户交车", K::Contains, {QStringLiteral("已交"), QStringLiteral("没有")}),
        range("dt发车从", "dt发车到", "发车日期  从：", "到", "发车日期", K::DayRange, "发车日期", "cvdate"),
        combo("cb经办人", "经办人：", "租赁公司经办人", K::Equals),
        text("ed备注", "备注：", "备注", K::Contains, true),
        text("ed发车单号", "发车单号：", "发车单号", K::Contains, true),
        range("dt收车从", "dt收车到", "收车日期  从：", "到", "收车日期", K::DayRange, "收车日期"),
        combo("cb帐款结清", "帐款结清：", "帐款结清", K::YesNo, yesNo),
    };
    qczlb.selectLines = {QStringLiteral("select * from 汽车租赁登记表")};
    qczlb.orderLine = QStringLiteral("order by 内部编号");
    qczlb.noCriteriaMessage = QStringLiteral("查询条件没有输入,请确认!");
    qczlb.noCriteriaFocus = QStringLiteral("cb车牌号");
    qczlb.enterChain = names({"ed内部编号", "cb车牌号", "cb客户号", "cb客户姓名", "dt发车从", "dt发车到", "dt收车从",
                              "dt收车到", "cb客户交车", "cb帐款结清", "cb经办人", "ed发车单号", "ed备注"});
    qczlb.busyAnimation = true;
    qczlb.helpLines = helpLines("2.发车日期至(到)正确的输入是:2001年07月06日;");
    t << qczlb;

    QueryDialogConfig khydqc;
    khydqc.className = QStringLiteral("TForm_khydqc_cx");
    khydqc.caption = QStringLiteral("查询");
    khydqc.query = QStringLiteral("q_khydqc");
    khydqc.criteria = {
        text("ed内部编号", "内部编号：", "内部编号", K::Contains, true),
        combo("cb车牌号", "车牌号：", "车牌号", K::StartsWithFirstOnly),
        combo("cb客户号", "客户号：", "客户号", K::Contains),
        combo("cb客户姓名", "客户姓名：", "客户姓名", K::Contains),
        combo("cb执行完毕", "执行完毕：", "执行完毕", K::Equals, yesNo),
        range("dt预订从", "dt预订到", "预订日期  从：", "到", "发车日期", K::DateRange, "预订日期"),
        combo("cb经办人", "经办人：", "租赁公司经办人", K::Equals),
    };
    khydqc.selectLines = {QStringLiteral("select * from 客户预订汽车")};
    khydqc.orderLine = QStringLiteral("order by 内部编号");
    khydqc.noCriteriaMessage = QStringLiteral("查询条件没有输入,请确认!");
    khydqc.noCriteriaFocus = QStringLiteral("cb车牌号");
    khydqc.enterChain = names({"ed内部编号", "cb车牌号", "cb客户号", "cb客户姓名", "dt预订从", "dt预订到", "cb执行完毕",
                               "cb经办人"});
    khydqc.busyAnimation = true;
    khydqc.helpLines = helpLines("2.预订日期至(到)正确的输入是:2001年07月06日;");
    t << khydqc;

    QueryDialogConfig xjrjz;
    xjrjz.className = QStringLiteral("TForm_xjrjz_cx");
    xjrjz.caption = QStringLiteral("查询");
    xjrjz.query = QStringLiteral("q_xjrjz");
    xjrjz.criteria = {
        text("ed凭证号", "凭证号：", "凭证号", K::Contains, true),
        combo("cb摘要", "摘要：", "摘要", K::StartsWithFirstOnly),
        text("ed明细", "明细：", "明细", K::Contains, true),
        text("ed经办人", "经办人：", "经办人", K::Contains, true),
        text("ed备注", "备注：", "备注", K::Contains, true),
        range("dt日期从", "dt日期到", "日期  从：", "到", "日期", K::DateRange, "日期"),
    };
    xjrjz.selectLines = {QStringLiteral("select * from 现金日记帐")};
    xjrjz.orderLine = QStringLiteral("order by 日期");
    xjrjz.noCriteriaMessage = QStringLiteral("查询条件没有输入,请确认!");
    xjrjz.enterChain = names({"ed凭证号", "cb摘要", "ed明细", "ed经办人", "dt日期从", "dt日期到", "ed备注"});
    xjrjz.busyAnimation = true;
    xjrjz.helpLines = helpLines("2.日期从(到)正确的输入是:2001-7-6;");
    t << xjrjz;

    t << registerQuery("TForm_hyjlb_cx", "换油查询", "q_hyjlb", "换油记录表", "换油时间", false);
    t << registerQuery("TForm_wxjlb_cx", "维修查询", "q_wxjlb", "车辆维修记录表", "维修时间", false);
    t << registerQuery("TForm_sgjlb_cx", "事故查询", "q_sgjlb", "事故登记表", "事故时间", true);

    QueryDialogConfig hyzlb;
    hyzlb.className = QStringLiteral("TForm_hyzlb_cx");
    hyzlb.caption = QStringLiteral("查找客户");
    hyzlb.query = QStringLiteral("q_hyzlb");
    hyzlb.criteria = {
        combo("cb客户号", "客户代码：", "客户号", K::Equals),
        combo("cb客户姓名", "客户姓名：", "客户姓名", K::StartsWith),
        combo("cb性别", "性别：", "性别", K::Equals, {QStringLiteral("男"), QStringLiteral("女")}),
        combo("cb客户类型", "客户类型：", "客户类型", K::Equals,
              {QStringLiteral("个人"), QStringLiteral("会员"), QStringLiteral("临时")}),
    };
    hyzlb.selectLines = {QStringLiteral("select * from 客户登记表 ")};
    hyzlb.where = WhereStyle::TwoLines;
    hyzlb.orderLine = QStringLiteral("order by 客户姓名");
    hyzlb.variant = QueryVariant::StayUntilFound;
    hyzlb.noCriteriaMessage = QStringLiteral("没有输入查询条件,请重新输入!");
    hyzlb.noCriteriaFocus = QStringLiteral("cb客户姓名");
    hyzlb.customerButtons = true;
    t << hyzlb;
    return t;
}

} // namespace

const QVector<QueryDialogConfig>& queryDialogTable()
{
    static const QVector<QueryDialogConfig> t = build();
    return t;
}

const QueryDialogConfig* queryDialogConfig(const QString& className)
{
    for (const auto& s : queryDialogTable())
        if (s.className == className)
            return &s;
    return nullptr;
}

