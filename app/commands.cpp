#include "app/commands.h"
#include "core/dates.h"
#include "core/session.h"
#include "core/sqltext.h"

namespace Commands {

namespace {
QString S(const char* utf8) { return QString::fromUtf8(utf8); }

Command cmd(const char* item, const char* caption, Gate gate, const char* query, QStringList sql,
            const char* windowClass, const char* windowCaption, CommandKind kind = CommandKind::Window)
{
    Command c;
    c.menuItem = S(item);
    c.caption = S(caption);
    c.gate = gate;
    c.query = S(query);
    c.sql = std::move(sql);
    c.windowClass = S(windowClass);
    c.windowCaption = S(windowCaption);
    c.kind = kind;
    return c;
}

Command withButton(Command c, const char* button, const char* caption, bool gated)
{
    c.toolButton = S(button);
    c.toolCaption = S(caption);
    c.toolGated = gated;
    return c;
}

// A list command: the table its lines select from, their condition terms and order column.
Command listOf(Command c, const char* table, QStringList terms, const char* order)
{
    c.table = S(table);
    c.terms = std::move(terms);
    c.orderColumn = S(order);
    return c;
}

Command hidden(Command c)
{
    c.hidden = true;
    return c;
}

QVector<Command> build()
{
    using K = CommandKind;
    const QStringList scratch = scratchSelect();
    const QStringList rentals{S("select * from 汽车租赁登记表 "), S("where 帐款结清=false"), S("order by 内部编号")};
    return {
        listOf(cmd("N2", "操作员及权限", Gate::系统维护权, "q_qxb", {S("select * from 权限表 order by 姓名")}, "TForm_qxb", "操作员及权限设置"), "权限表", {}, "姓名"),
        withButton(listOf(cmd("N3", "修改操作员口令", Gate::None, "q_qxb", {}, "TForm_password", "修改当前操作员口令", K::PasswordChange), "权限表", {}, "姓名"),
                   "SpeedButton1", "修改密码", false),
        listOf(cmd("N4", "更换操作员", Gate::None, "q_qxb", operatorListSql(), "TForm_Enter", "系统登录", K::Switch), "权限表", {}, "姓名"),
        listOf(cmd("N18", "公司信息", Gate::系统维护权, "q_gsxx", {S("select * from 公司信息")}, "TForm_gsxx_edit", "公司信息编辑", K::CompanyInfo), "公司信息", {}, ""),
        withButton(listOf(cmd("N11", "车辆档案", Gate::日常业务权, "q_qcda", {S("select * from 汽车档案 "), S("order by 车牌号")}, "TForm_qcda", "汽车档案设置"), "汽车档案", {}, "车牌号"),
                   "SpeedButton6", "车辆档案", false),
        listOf(cmd("N48", "经办人信息", Gate::系统维护权, "q_jbr", {S("select * from 经办人信息 order by 经办人姓名")}, "TForm_jbr", "经办人信息"), "经办人信息", {}, "经办人姓名"),
        listOf(cmd("N47", "提醒功能初始化", Gate::None, "q_txcsb", {S("select * from 提醒功能初始表")}, "TForm_txcsb", "提醒功能初始表"), "提醒功能初始表", {}, ""),
        withButton(cmd("N45", "提醒功能", Gate::None, "", {}, "TForm_txgn", "提醒功能清单"), "SpeedButton8", "提醒功能", false),
        // Emptying the business tables is as much a maintenance matter as replacing them by a restore.
        cmd("N56", "数据初始化", Gate::系统维护权, "", {}, "TForm_initialize", "数据初始化"),
        cmd("N6", "数据备份", Gate::系统维护权, "", {}, "TForm_backup", "系统备份管理"),
        cmd("N7", "数据恢复", Gate::系统维护权, "", {}, "TForm_restore", "系统恢复管理", K::Restore),
        listOf(cmd("N41", "结算时间", Gate::None, "q_gzsj", {S("select * from 关帐日期")}, "TForm_gzsj", "结算时间设置"), "关帐日期", {}, ""),
        cmd("N54", "界面初始化", Gate::None, "", {}, "", "", K::LayoutReset),
        withButton(cmd("N9", "退出系统", Gate::None, "", {}, "", "", K::Exit), "SpeedButton7", "退出", false),
        withButton(listOf(cmd("N13", "客户资料登记", Gate::日常业务权, "q_hyzlb", {S("select * from 客户登记表 "), S("order by 客户号")}, "TForm_hyzlb", "客户资料登记表"), "客户登记表", {}, "客户号"),
                   "SpeedButton3", "客户资料", true),
        withButton(listOf(cmd("N57", "客户预订汽车", Gate::None, "q_khydqc",
                       {S("select * from 客户预订汽车 "), S("where 执行完毕='否'"), S("order by 内部编号")},
                       "TForm_khydqc", "客户预订汽车登记表(没有执行完毕的客户预订)"), "客户预订汽车", {S("(执行完毕='否')")}, "内部编号"),
                   "SpeedButton9", "客户预订", false),
        withButton(listOf(cmd("N14", "汽车租赁登记表", Gate::日常业务权, "q_qczlb", {S("select * from 汽车租赁登记表 "), S("order by 内部编号")}, "TForm_qczlb", "汽车租赁登记表"), "汽车租赁登记表", {}, "内部编号"),
                   "SpeedButton2", "租赁登记", true),
        listOf(cmd("N15", "客户付款情况", Gate::财务管理权, "q_qczlb", rentals, "TForm_qczl_fkqk", "汽车租赁登记表"), "汽车租赁登记表", {S("(帐款结清=false)")}, "内部编号"),
        listOf(cmd("N37", "客户交车情况", Gate::日常业务权, "q_qczlb",
            {S("select * from 汽车租赁登记表 "), S("where 客户交车='没有'"), S("order by 内部编号")}, "TForm_qczljcb", "汽车租赁登记表"), "汽车租赁登记表", {S("(客户交车='没有')")}, "内部编号"),
        withButton(listOf(cmd("N16", "汽车租赁结算", Gate::财务管理权, "q_qczlb", rentals, "TForm_qczljsd", "汽车租赁结算单"), "汽车租赁登记表", {S("(帐款结清=false)")}, "内部编号"),
                   "SpeedButton4", "租赁结算", true),
        listOf(cmd("N44", "车辆租赁情况", Gate::日常业务权, "q_qcda", {S("select * from 汽车档案 "), S("order by 车牌号")}, "TForm_qczlqkb", "汽车租赁情况表"), "汽车档案", {}, "车牌号"),
        listOf(cmd("N21", "汽车换油登记", Gate::其他业务权, "q_hyjlb", {S("select * from 换油记录表 "), S("order by 换油时间")}, "TForm_hyjlb", "换油记录登记表"), "换油记录表", {}, "换油时间"),
        listOf(cmd("N22", "汽车维修登记", Gate::其他业务权, "q_wxjlb", {S("select * from 车辆维修记录表 "), S("order by 维修时间")}, "TForm_wxjlb", "车辆维修记录登记表"), "车辆维修记录表", {}, "维修时间"),
        listOf(cmd("N50", "事故登记表", Gate::其他业务权, "q_sgjlb", {S("select * from 事故登记表 "), S("order by 事故时间")}, "TForm_sgjlb", "事故记录登记表"), "事故登记表", {}, "事故时间"),
        withButton(listOf(cmd("N24", "当月现金日记帐", Gate::财务管理权, "q_xjrjz", {}, "TForm_xjrjz", "现金日记账", K::Journal), "现金日记帐", {}, "日期"),
                   "SpeedButton5", "日记帐", true),
        hidden(listOf(cmd("N19", "摘要设置", Gate::财务管理权, "q_zy", {S("select * from 摘要")}, "TForm_zy", "摘要设置"), "摘要", {}, "")),
        cmd("N33", "单车租赁收入统计", Gate::统计分析权, "q_tongyong", scratch, "TForm_qczlsrtj", "汽车租赁收入统计", K::Scratch),
        cmd("N34", "客户租赁统计", Gate::统计分析权, "q_tongyong", scratch, "TForm_khzlsrtj", "客户租赁收入统计", K::Scratch),
        cmd("N38", "单车租赁收入统计(按客户)", Gate::统计分析权, "q_tongyong", scratch, "TForm_qczlsrtj_kh", "汽车租赁收入统计(按客户)", K::Scratch),
        cmd("N49", "按经办人统计", Gate::统计分析权, "q_tongyong", scratch, "TForm_jbrtj", "按经办人统计租赁收入", K::Scratch),
        cmd("N35", "收入统计汇总(按月份)", Gate::统计分析权, "q_tongyong", scratch, "TForm_qczlsrtj_yf", "汽车租赁收入统计(月份)", K::Scratch),
        cmd("N39", "现金统计(按摘要)", Gate::统计分析权, "q_tongyong", scratch, "TForm_xjsytj", "现金使用统计(按摘要)", K::Scratch),
        cmd("N51", "车辆收入费用明细表", Gate::统计分析权, "q_tongyong", scratch, "TForm_qcsrfymxb", "汽车收入费用明细表", K::Scratch),
        cmd("N52", "车辆收入费用汇总表", Gate::统计分析权, "q_tongyong", scratch, "TForm_qcsrfyhzb", "汽车收入费用汇总表", K::Scratch),
        cmd("N27", "帮助系统", Gate::None, "", {}, "", "", K::Help),
        cmd("N32", "关于...", Gate::None, "", {}, "Tform_About", "关于本系统"),
    };
}
} // namespace

const QVector<Command>& table()
{
    static const QVector<Command> t = build();
    return t;
}

const Command* find(const QString& menuItem)
{
    for (const Command& c : table())
        if (c.menuItem == menuItem)
            return &c;
    return nullptr;
}

const Command* findByButton(const QString& toolButton)
{
    for (const Command& c : table())
        if (!toolButton.isEmpty() && c.toolButton == toolButton)
            return &c;
    return nullptr;
}

QStringList operatorListSql()
{
    return {S("select * from 权限表 order by 姓名")};
}

QString scratchDelete()
{
    return S("delete from 通用");
}

QStringList scratchSelect()
{
    return {S("select * from "), S("通用")};
}

QStringList commandSql(const Command& c, const Operator& op, const QDate& closingDate)
{
    switch (c.kind) {
    case CommandKind::PasswordChange:
        return {S("select * from 权限表 "), S("where 姓名='") + sqlText(op.name) + S("'"), S("order by 姓名")};
    case CommandKind::Journal:
        // The month of the closing date, not of today.
        return {S("select * from 现金日记帐 "), S("where ") + Dates::monthCondition(closingDate), S("order by 日期")};
    default:
        return c.sql;
    }
}

ListQuery commandQuery(const Command& c, const Operator& op, const QDate& closingDate)
{
    ListQuery q;
    q.lines = commandSql(c, op, closingDate);
    q.table = c.table;
    q.terms = c.terms;
    switch (c.kind) {
    case CommandKind::PasswordChange:
        q.terms = {S("(姓名='") + sqlText(op.name) + S("')")};
        break;
    case CommandKind::Journal:
        q.terms = {S("(") + Dates::monthCondition(closingDate) + S(")")};
        break;
    default:
        break;
    }
    if (!c.orderColumn.isEmpty())
        q.order = {OrderMark{c.orderColumn, false}};
    return q;
}

bool allowed(Gate gate, const Operator& op)
{
    switch (gate) {
    case Gate::None: return true;
    case Gate::系统维护权: return op.系统维护权;
    case Gate::日常业务权: return op.日常业务权;
    case Gate::其他业务权: return op.其他业务权;
    case Gate::统计分析权: return op.统计分析权;
    case Gate::财务管理权: return op.财务管理权;
    }
    return true;
}

QString refusal(const Command& c)
{
    QString right;
    switch (c.gate) {
    case Gate::None: break;
    case Gate::系统维护权: right = S("系统维护权"); break;
    case Gate::日常业务权: right = S("日常业务权"); break;
    case Gate::其他业务权: right = S("其他业务权"); break;
    case Gate::统计分析权: right = S("统计分析权"); break;
    case Gate::财务管理权: right = S("财务管理权"); break;
    }
    return S("当前操作员没有") + right + S("，不能使用") + c.caption + S("！");
}

const QVector<Menu>& menus()
{
    static const QVector<Menu> m{
        {S("N1"), S("系统维护[&S] "),
         {S("N2"), S("N3"), S("N4"), S("-"), S("N18"), S("N11"), S("N48"), S("-"), S("N47"), S("N45"), S("~"), S("N56"),
          S("N6"), S("N7"), S("-"), S("N41"), S("N54"), S("N55"), S("-"), S("N9")}},
        {S("N12"), S("日常业务[&R] "),
         {S("N13"), S("-"), S("N57"), S("N14"), S("N15"), S("N37"), S("N16"), S("-"), S("N44")}},
        {S("N20"), S("其他业务[&Q] "), {S("N21"), S("N22"), S("N50"), S("-"), S("N24"), S("N25"), S("N19")}},
        {S("N30"), S("统计分析[&T] "),
         {S("N33"), S("N34"), S("N38"), S("N49"), S("N35"), S("-"), S("N39"), S("-"), S("N51"), S("N52")}},
        {S("N26"), S("帮助[&H] "), {S("N27"), S("-"), S("N32")}},
    };
    return m;
}

const QVector<PlainItem>& plainItems()
{
    static const QVector<PlainItem> p{{S("N55"), S("系统初始化")}, {S("N25"), S("全部现金日记帐")}};
    return p;
}

QStringList toolBar()
{
    return {S("SpeedButton1"), S("SpeedButton6"), S("SpeedButton3"), S("SpeedButton9"), S("SpeedButton2"),
            S("SpeedButton4"), S("SpeedButton5"), S("SpeedButton8"), S("SpeedButton7")};
}

} // namespace Commands
