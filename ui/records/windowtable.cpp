#include "ui/records/windowtable.h"

namespace {

using namespace ListButton;
constexpr unsigned EDPXR = Edit | Delete | Print | Export | Return;
constexpr unsigned Stats = Delete | Print | Export | Return | Query;

struct Row {
    const char* cls;
    const char* caption;
    const char* query;
    unsigned buttons;
    const char* exportName;
    const char* printTitle;
    QStringList sums;
    SortMode sort;
    LayoutMode layout;
    enum Auto { Off, On, OnUnchecked, OnNoBox, OffNoBox } autoWidth;
};

ListWindowConfig make(const Row& r)
{
    ListWindowConfig s;
    s.className = QString::fromUtf8(r.cls);
    s.caption = QString::fromUtf8(r.caption);
    s.query = QString::fromUtf8(r.query);
    s.buttons = r.buttons;
    s.editCaption = QStringLiteral("编辑");
    s.queryCaption = QStringLiteral("查询");
    s.exportName = QString::fromUtf8(r.exportName);
    s.printTitle = QString::fromUtf8(r.printTitle);
    s.footerSums = r.sums;
    s.sort = r.sort;
    s.layout = r.layout;
    s.autoWidth = r.autoWidth != Row::Off && r.autoWidth != Row::OffNoBox;
    s.autoWidthBox = r.autoWidth != Row::OnNoBox && r.autoWidth != Row::OffNoBox;
    s.autoWidthChecked = r.autoWidth == Row::On;
    return s;
}

QVector<ListWindowConfig> build()
{
    const SortMode S = SortMode::Rebuild, M = SortMode::MarksOnly, N = SortMode::None;
    const LayoutMode Y = LayoutMode::Full, R = LayoutMode::Reduced, No = LayoutMode::None;
    const QStringList none;
    const QStringList income{QStringLiteral("押金"), QStringLiteral("预收租金"), QStringLiteral("收费金额"),
                             QStringLiteral("实收金额")};
    const Row rows[] = {
        {"TForm_qcda", "汽车档案设置", "q_qcda", EDPXR, "汽车档案", "汽车档案打印清单", none, S, Y, Row::Off},
        {"TForm_hyzlb", "客户资料登记表", "q_hyzlb", EDPXR | Query, "客户资料记录表", "客户资料登记表打印清单",
         {QStringLiteral("应收会费"), QStringLiteral("实收会费")}, S, Y, Row::OnUnchecked},
        {"TForm_khydqc", "客户预订汽车登记表(没有执行完毕的客户预订)", "q_khydqc", EDPXR | Query, "客户预订汽车登记表",
         "客户预订汽车登记表打印清单", {QStringLiteral("押金")}, S, R, Row::Off},
        {"TForm_qczlb", "汽车租赁登记表", "q_qczlb", EDPXR | Query, "汽车租赁登记表", "汽车租赁登记表打印清单",
         {QStringLiteral("押金")}, S, Y, Row::Off},
        {"TForm_qczl_fkqk", "汽车租赁登记表", "q_qczlb", Edit | Print | Export | Return | Query, "汽车租赁登记表",
         "汽车租赁登记表打印清单", none, S, Y, Row::Off},
        {"TForm_qczljcb", "汽车租赁登记表", "q_qczlb", Edit | Print | Return | Query, "", "汽车租赁登记表打印清单", none, S,
         No, Row::On},
        {"TForm_qczljsd", "汽车租赁结算单", "q_qczlb", EDPXR | Query, "汽车租赁结算表", "汽车租赁登记表打印清单",
         {QStringLiteral("收费金额"), QStringLiteral("包干价"), QStringLiteral("实收金额"), QStringLiteral("应收帐款"),
          QStringLiteral("押金"), QStringLiteral("预收租金")},
         S, Y, Row::Off},
        {"TForm_qczlqkb", "汽车租赁情况表", "q_qcda", Edit | Print | Return, "", "汽车档案打印清单", none, S, No, Row::On},
        {"TForm_hyjlb", "换油记录登记表", "q_hyjlb", EDPXR | Query, "换油记录表", "换油记录登记表打印清单",
         {QStringLiteral("数量"), QStringLiteral("金额")}, S, No, Row::On},
        {"TForm_wxjlb", "车辆维修记录登记表", "q_wxjlb", EDPXR | Query, "车辆维修记录表", "车辆维修记录登记表打印清单",
         {QStringLiteral("材料费"), QStringLiteral("人工费"), QStringLiteral("其它费用"), QStringLiteral("总费用")}, S, No,
         Row::On},
        {"TForm_sgjlb", "事故记录登记表", "q_sgjlb", EDPXR | Query, "事故记录表", "事故记录登记表打印清单",
         {QStringLiteral("事故金额"), QStringLiteral("理赔金额")}, S, No, Row::On},
        {"TForm_xjrjz", "现金日记账", "q_xjrjz", EDPXR | Query, "现金日记帐", "现金日记帐打印清单",
         {QStringLiteral("借方"), QStringLiteral("贷方")}, N, No, Row::Off},
        {"TForm_zy", "摘要设置", "q_zy", Edit | Delete | Export | Return, "摘要", "", none, M, No, Row::OnNoBox},
        {"TForm_qxb", "操作员及权限设置", "q_qxb", EDPXR, "操作员及权限", "操作员及权限打印清单", none, M, No, Row::On},
        {"TForm_jbr", "经办人信息", "q_jbr", EDPXR, "经办人信息", "经办人信息打印清单", none, M, No, Row::On},
        {"TForm_txcsb", "提醒功能初始表", "q_txcsb", Edit | Export | Return, "提醒功能初始表", "", none, N, No,
         Row::OnNoBox},
        {"TForm_txgn", "提醒功能清单", "q_tongyong", Edit | Print | Export | Return, "提醒功能清单", "提醒功能清单打印清单",
         none, N, No, Row::OffNoBox},
        {"TForm_qczlsrtj", "汽车租赁收入统计", "q_tongyong", Stats, "汽车租赁收入统计", "汽车租赁收入统计打印清单", income,
         S, No, Row::On},
        {"TForm_khzlsrtj", "客户租赁收入统计", "q_tongyong", Stats, "客户租赁收入统计", "汽车租赁收入统计打印清单", income,
         S, No, Row::On},
        {"TForm_qczlsrtj_kh", "汽车租赁收入统计(按客户)", "q_tongyong", Stats, "汽车租赁收入统计(按客户)",
         "汽车租赁收入统计(按客户)打印清单", income, S, No, Row::On},
        {"TForm_jbrtj", "按经办人统计租赁收入", "q_tongyong", Stats, "按经办人统计租赁收入", "按经办人统计租赁收入打印清单",
         income, S, No, Row::On},
        {"TForm_qczlsrtj_yf", "汽车租赁收入统计(月份)", "q_tongyong", Stats, "汽车租赁收入统计(月份)",
         "汽车租赁收入统计(月份)打印清单",
         income + QStringList{QStringLiteral("现金增加"), QStringLiteral("现金减少"), QStringLiteral("收入差价")}, S, No,
         Row::On},
        {"TForm_xjsytj", "现金使用统计(按摘要)", "q_tongyong", Stats, "现金使用统计(按摘要)", "现金使用统计(按摘要)打印清单",
         {QStringLiteral("现金增加"), QStringLiteral("现金减少")}, N, No, Row::On},
        {"TForm_qcsrfymxb", "汽车收入费用明细表", "q_tongyong", Stats, "汽车收入费用明细表", "汽车收入费用明细表打印清单",
         {QStringLiteral("实收金额")}, S, No, Row::On},
        {"TForm_qcsrfyhzb", "汽车收入费用汇总表", "q_tongyong", Stats, "汽车收入费用汇总表", "汽车收入费用汇总表打印清单",
         {QStringLiteral("实收金额"), QStringLiteral("预收租金"), QStringLiteral("押金"), QStringLiteral("租赁单价"),
          QStringLiteral("收入差价")},
         S, No, Row::On},
    };
    QVector<ListWindowConfig> t;
    for (const Row& r : rows)
        t << make(r);

    auto at = [&t](const char* cls) -> ListWindowConfig& {
        for (auto& s : t)
            if (s.className == QString::fromUtf8(cls))
                return s;
        Q_UNREACHABLE();
    };
    // Differences the table's columns do not carry.
    at("TForm_hyzlb").queryCaption = QStringLiteral("查找");
    at("TForm_khydqc").moduleButtons = {QStringLiteral("执行完毕")};
    at("TForm_qczljcb").editCaption = QStringLiteral("交车");
    at("TForm_xjrjz").moduleButtons = {QStringLiteral("整理")};
    at("TForm_qczlqkb").moduleButtons = {QStringLiteral("清除预订"), QStringLiteral("清除租赁")};
    at("TForm_qczlqkb").doubleClickEdits = false;
    at("TForm_txgn").editCaption = QStringLiteral("提醒");
    at("TForm_txgn").footer = FooterMode::None;
    at("TForm_qczlsrtj_yf").footer = FooterMode::SumsOnly;
    at("TForm_qczlsrtj_yf").moduleButtons = {QStringLiteral("图形显示")};
    at("TForm_qcda").cancelOnClose = true;
    for (const char* cls : {"TForm_zy", "TForm_jbr", "TForm_txcsb", "TForm_txgn"})
        at(cls).maximised = false;
    for (const char* cls : {"TForm_zy", "TForm_txcsb", "TForm_txgn"})
        at(cls).columnButtons = false;
    at("TForm_txcsb").navigator = false;
    for (auto& s : t) {
        if (s.query == QLatin1String("q_tongyong") && s.className != QLatin1String("TForm_txgn")) {
            s.queryCaption = QStringLiteral("统计");
            s.doubleClickEdits = false;
        }
    }
    return t;
}

} // namespace

const QVector<ListWindowConfig>& listWindowTable()
{
    static const QVector<ListWindowConfig> t = build();
    return t;
}

const ListWindowConfig* listWindowConfig(const QString& className)
{
    for (const auto& s : listWindowTable())
        if (s.className == className)
            return &s;
    return nullptr;
}

