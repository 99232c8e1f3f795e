#include "app/commands.h"
#include "admin/auditlogwindow.h"
#include "admin/backup.h"
#include "admin/gsxx_edit.h"
#include "admin/gzsj.h"
#include "admin/initialize.h"
#include "admin/jbr.h"
#include "admin/qxb.h"
#include "admin/restore.h"
#include "app/enterform.h"
#include "app/passwordform.h"
#include "cash/journalwindows.h"
#include "core/dates.h"
#include "core/session.h"
#include "core/sqltext.h"
#include "data/columns.h"
#include "fleet/qcda.h"
#include "fleet/registers.h"
#include "remind/businesssettingswindow.h"
#include "remind/txcsb.h"
#include "remind/txgn.h"
#include "rental/backoffice.h"
#include "rental/papers.h"
#include "rental/handoverdialog.h"
#include "rental/bookings.h"
#include "rental/customers.h"
#include "rental/fineswindow.h"
#include "rental/plannerwindow.h"
#include "sheetimport/importwindow.h"
#include "stats/statswindow.h"
#include "ui/shell/about.h"

#include <QMetaObject>

namespace Commands {

namespace {
QString S(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

Command cmd(const char* item, const char* caption, Gate gate, const char* query, const QMetaObject* window,
            CommandKind kind = CommandKind::Window)
{
    Command c;
    c.menuItem = S(item);
    c.caption = S(caption);
    c.gate = gate;
    c.query = S(query);
    c.window = window;
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

// A list command: the table its lines select from, their conditions, order column and layout.
Command listOf(Command c, const char* table, QStringList conditions, const char* order, LineStyle lines = LineStyle::Split)
{
    c.table = S(table);
    c.conditions = std::move(conditions);
    c.orderColumn = S(order);
    c.lines = lines;
    return c;
}

Command hidden(Command c)
{
    c.hidden = true;
    return c;
}

template <typename W>
const QMetaObject* of()
{
    return &W::staticMetaObject;
}

QVector<Command> build()
{
    using K = CommandKind;
    constexpr LineStyle One = LineStyle::OneLine;
    const QStringList unsettled{S("帐款结清=false")};
    return {
        listOf(cmd("N2", "操作员及权限", Gate::系统维护权, "q_qxb", of<TForm_qxb>()), "权限表", {}, "姓名", One),
        withButton(listOf(cmd("N3", "修改操作员口令", Gate::None, "q_qxb", of<TForm_password>(), K::PasswordChange), "权限表", {},
                          "姓名"),
                   "SpeedButton1", "修改密码", false),
        listOf(cmd("N4", "更换操作员", Gate::None, "q_qxb", of<TForm_Enter>(), K::Switch), "权限表", {}, "姓名", One),
        listOf(cmd("N18", "公司信息", Gate::系统维护权, "q_gsxx", of<TForm_gsxx_edit>(), K::CompanyInfo), "公司信息", {}, "", One),
        withButton(listOf(cmd("N11", "车辆档案", Gate::日常业务权, "q_qcda", of<TForm_qcda>()), "汽车档案", {}, "车牌号"),
                   "SpeedButton6", "车辆档案", false),
        listOf(cmd("N48", "经办人信息", Gate::系统维护权, "q_jbr", of<TForm_jbr>()), "经办人信息", {}, "经办人姓名", One),
        cmd("N60", "随车物品设置", Gate::系统维护权, "", of<AccessoryChecklistWindow>()),
        listOf(cmd("N47", "提醒功能初始化", Gate::None, "q_txcsb", of<TForm_txcsb>()), "提醒功能初始表", {}, "", One),
        withButton(cmd("N45", "提醒功能", Gate::None, "", of<TForm_txgn>()), "SpeedButton8", "提醒功能", false),
        cmd("N61", "业务规则设置", Gate::系统维护权, "", of<BusinessSettingsWindow>()),
        // Emptying the business tables is as much a maintenance matter as replacing them by a restore.
        cmd("N56", "数据初始化", Gate::系统维护权, "", of<TForm_initialize>()),
        cmd("N6", "数据备份", Gate::系统维护权, "", of<TForm_backup>()),
        cmd("N7", "数据恢复", Gate::系统维护权, "", of<TForm_restore>(), K::Restore),
        listOf(cmd("N64", "操作日志", Gate::系统维护权, "q_auditlog", of<AuditLogWindow>()), "操作日志", {}, "操作时间 desc"),
        cmd("N65", "从表格导入", Gate::系统维护权, "", of<SpreadsheetImportWindow>()),
        listOf(cmd("N41", "结算时间", Gate::None, "q_gzsj", of<TForm_gzsj>()), "关帐日期", {}, "", One),
        cmd("N54", "界面初始化", Gate::None, "", nullptr, K::LayoutReset),
        withButton(cmd("N9", "退出系统", Gate::None, "", nullptr, K::Exit), "SpeedButton7", "退出", false),
        withButton(listOf(cmd("N13", "客户资料登记", Gate::日常业务权, "q_hyzlb", of<TForm_hyzlb>()), "客户登记表", {}, "客户号"),
                   "SpeedButton3", "客户资料", true),
        withButton(listOf(cmd("N57", "客户预订汽车", Gate::None, "q_khydqc", of<TForm_khydqc>()), "客户预订汽车", {S("执行完毕='否'")},
                          "内部编号"),
                   "SpeedButton9", "客户预订", false),
        withButton(listOf(cmd("N14", "汽车租赁登记表", Gate::日常业务权, "q_qczlb", of<TForm_qczlb>()), "汽车租赁登记表", {},
                          "内部编号"),
                   "SpeedButton2", "租赁登记", true),
        listOf(cmd("N15", "客户付款情况", Gate::财务管理权, "q_qczlb", of<TForm_qczl_fkqk>()), "汽车租赁登记表", unsettled,
               "内部编号"),
        listOf(cmd("N37", "客户交车情况", Gate::日常业务权, "q_qczlb", of<TForm_qczljcb>()), "汽车租赁登记表", {S("客户交车='没有'")},
               "内部编号"),
        withButton(listOf(cmd("N16", "汽车租赁结算", Gate::财务管理权, "q_qczlb", of<TForm_qczljsd>()), "汽车租赁登记表", unsettled,
                          "内部编号"),
                   "SpeedButton4", "租赁结算", true),
        listOf(cmd("N44", "车辆租赁情况", Gate::日常业务权, "q_qcda", of<TForm_qczlqkb>()), "汽车档案", {}, "车牌号"),
        // The planner reads its own rows; it prepares no shared query.
        withButton(cmd("N58", "车辆排期", Gate::日常业务权, "", of<PlannerWindow>()), "SpeedButton10", "车辆排期", true),
        listOf(cmd("N21", "汽车换油登记", Gate::其他业务权, "q_hyjlb", of<TForm_hyjlb>()), "换油记录表", {}, "换油时间"),
        listOf(cmd("N22", "汽车维修登记", Gate::其他业务权, "q_wxjlb", of<TForm_wxjlb>()), "车辆维修记录表", {}, "维修时间"),
        listOf(cmd("N50", "事故登记表", Gate::其他业务权, "q_sgjlb", of<TForm_sgjlb>()), "事故登记表", {}, "事故时间"),
        listOf(cmd("N62", "违章登记", Gate::其他业务权, "q_wzdj", of<FinesWindow>()), "违章登记", {}, "违章时间"),
        withButton(listOf(cmd("N24", "当月现金日记帐", Gate::财务管理权, "q_xjrjz", of<TForm_xjrjz>(), K::Journal), "现金日记帐", {},
                          "日期"),
                   "SpeedButton5", "日记帐", true),
        hidden(listOf(cmd("N19", "摘要设置", Gate::财务管理权, "q_zy", of<TForm_zy>()), "摘要", {}, "", One)),
        cmd("N33", "单车租赁收入统计", Gate::统计分析权, "q_tongyong", of<TForm_qczlsrtj>(), K::Scratch),
        cmd("N34", "客户租赁统计", Gate::统计分析权, "q_tongyong", of<TForm_khzlsrtj>(), K::Scratch),
        cmd("N38", "单车租赁收入统计(按客户)", Gate::统计分析权, "q_tongyong", of<TForm_qczlsrtj_kh>(), K::Scratch),
        cmd("N49", "按经办人统计", Gate::统计分析权, "q_tongyong", of<TForm_jbrtj>(), K::Scratch),
        cmd("N35", "收入统计汇总(按月份)", Gate::统计分析权, "q_tongyong", of<TForm_qczlsrtj_yf>(), K::Scratch),
        cmd("N39", "现金统计(按摘要)", Gate::统计分析权, "q_tongyong", of<TForm_xjsytj>(), K::Scratch),
        cmd("N51", "车辆收入费用明细表", Gate::统计分析权, "q_tongyong", of<TForm_qcsrfymxb>(), K::Scratch),
        cmd("N52", "车辆收入费用汇总表", Gate::统计分析权, "q_tongyong", of<TForm_qcsrfyhzb>(), K::Scratch),
        cmd("N27", "帮助系统", Gate::None, "", nullptr, K::Help),
        cmd("N66", "用户手册", Gate::None, "", nullptr, K::Manual),
        cmd("N59", "单据模板说明", Gate::None, "", of<DocumentFieldsHelp>()),
        cmd("N32", "关于...", Gate::None, "", of<Tform_About>()),
    };
}
}  // namespace

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
    return ListQuery::select(S("权限表"), {}, Col::姓名, LineStyle::OneLine).lines;
}

QString scratchDelete()
{
    return S("delete from 通用");
}

QStringList scratchSelect()
{
    return {S("select * from "), S("通用")};
}

ListQuery commandQuery(const Command& c, const Operator& op, const QDate& closingDate)
{
    if (c.kind == CommandKind::Scratch)
        return {.lines = scratchSelect()};
    if (c.table.isEmpty())
        return {};
    QStringList conditions = c.conditions;
    switch (c.kind) {
    case CommandKind::PasswordChange:
        conditions << S("姓名='") + sqlText(op.name) + S("'");
        break;
    case CommandKind::Journal:
        // The month of the closing date, not of today.
        conditions << Dates::monthCondition(closingDate);
        break;
    default:
        break;
    }
    return ListQuery::select(c.table, conditions, c.orderColumn, c.lines);
}

QStringList commandSql(const Command& c, const Operator& op, const QDate& closingDate)
{
    return commandQuery(c, op, closingDate).lines;
}

QString windowClass(const Command& c)
{
    return c.window ? QString::fromLatin1(c.window->className()) : QString();
}

namespace {
// Each gate's column of 权限表 and the operator's flag read from it.
struct Right {
    Gate gate;
    const QString& column;
    bool Operator::*flag;
};

const Right* rightOf(Gate gate)
{
    static const Right rights[] = {{Gate::系统维护权, Col::系统维护权, &Operator::系统维护权},
                                   {Gate::日常业务权, Col::日常业务权, &Operator::日常业务权},
                                   {Gate::其他业务权, Col::其他业务权, &Operator::其他业务权},
                                   {Gate::统计分析权, Col::统计分析权, &Operator::统计分析权},
                                   {Gate::财务管理权, Col::财务管理权, &Operator::财务管理权}};
    for (const Right& r : rights)
        if (r.gate == gate)
            return &r;
    return nullptr;
}
}  // namespace

bool allowed(Gate gate, const Operator& op)
{
    const Right* r = rightOf(gate);
    return !r || op.*(r->flag);
}

QString refusal(const Command& c)
{
    const Right* r = rightOf(c.gate);
    const QString right = r ? r->column : QString();
    return S("当前操作员没有") + right + S("，不能使用") + c.caption + S("！");
}

const QVector<Menu>& menus()
{
    static const QVector<Menu> m{
        {S("N1"), S("系统维护[&S] "), {S("N2"),  S("N3"),  S("N4"),  S("-"),   S("N18"), S("N11"), S("N48"), S("N60"),
                                       S("-"),   S("N47"), S("N45"), S("N61"), S("~"),   S("N56"), S("N6"),  S("N7"),
                                       S("N64"), S("N65"), S("-"),   S("N41"), S("N54"), S("N55"), S("-"),   S("N9")}},
        {S("N12"),
         S("日常业务[&R] "),
         {S("N13"), S("-"), S("N57"), S("N14"), S("N15"), S("N37"), S("N16"), S("-"), S("N44"), S("N58")}},
        {S("N20"), S("其他业务[&Q] "), {S("N21"), S("N22"), S("N50"), S("N62"), S("-"), S("N24"), S("N25"), S("N19")}},
        {S("N30"),
         S("统计分析[&T] "),
         {S("N33"), S("N34"), S("N38"), S("N49"), S("N35"), S("-"), S("N39"), S("-"), S("N51"), S("N52")}},
        {S("N26"), S("帮助[&H] "), {S("N27"), S("N66"), S("N59"), S("-"), S("N32")}},
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
    return {S("SpeedButton1"),  S("SpeedButton6"), S("SpeedButton3"), S("SpeedButton9"), S("SpeedButton2"),
            S("SpeedButton10"), S("SpeedButton4"), S("SpeedButton5"), S("SpeedButton8"), S("SpeedButton7")};
}

}  // namespace Commands
