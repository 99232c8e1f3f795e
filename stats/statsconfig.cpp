// The statistics windows as configuration rows: each lists the scratch table 通用.
#include "stats/stats.h"
#include "ui/records/windowtable.h"

namespace {

using B = ListButton;

// The usual statistics window; only 删除 of a scratch row, no editing.
ListWindowConfig report(const QString& cls, const QString& caption, const QString& printTitle, const QStringList& sums,
                        SortMode sort = SortMode::Rebuild)
{
    return {.className = cls, .caption = caption, .query = "q_tongyong",
            .buttons = {{B::Export}, {B::Query, "统计"}, {B::Delete}, {B::Print}, {B::Return}}, .exportName = caption,
            .printTitle = printTitle, .footerSums = sums, .sort = sort, .autoWidth = true, .autoWidthChecked = true,
            .doubleClickEdits = false};
}

QVector<ListWindowConfig> listRows()
{
    const QStringList income{QStringLiteral("押金"), QStringLiteral("预收租金"), QStringLiteral("收费金额"),
                             QStringLiteral("实收金额")};
    ListWindowConfig monthly = report("TForm_qczlsrtj_yf", "汽车租赁收入统计(月份)", "汽车租赁收入统计(月份)打印清单",
                                      income + QStringList{"现金增加", "现金减少", "收入差价"});
    monthly.buttons.prepend({B::Module, "图形显示"});
    monthly.footer = FooterMode::SumsOnly;
    return {
        report("TForm_qczlsrtj", "汽车租赁收入统计", "汽车租赁收入统计打印清单", income),
        report("TForm_khzlsrtj", "客户租赁收入统计", "汽车租赁收入统计打印清单", income),
        report("TForm_qczlsrtj_kh", "汽车租赁收入统计(按客户)", "汽车租赁收入统计(按客户)打印清单", income),
        report("TForm_jbrtj", "按经办人统计租赁收入", "按经办人统计租赁收入打印清单", income),
        monthly,
        report("TForm_xjsytj", "现金使用统计(按摘要)", "现金使用统计(按摘要)打印清单", {"现金增加", "现金减少"}, SortMode::None),
        report("TForm_qcsrfymxb", "汽车收入费用明细表", "汽车收入费用明细表打印清单", {"实收金额"}),
        report("TForm_qcsrfyhzb", "汽车收入费用汇总表", "汽车收入费用汇总表打印清单",
               {"实收金额", "预收租金", "押金", "租赁单价", "收入差价"}),
    };
}

} // namespace

void addStatsConfigs()
{
    addListWindowConfigs(listRows());
}

void registerStatsWindows()
{
    addStatsConfigs();
}
