// The statistics windows, each a class with its description beside it: each lists the scratch table
// 通用 and opens its report's criteria dialog from 统计.
#include "stats/stats.h"
#include "data/columns.h"
#include "stats/dbbar.h"
#include "stats/statswindow.h"
#include "ui/records/windowspec.h"

namespace {

using B = ListButton;

// The usual statistics window; only 删除 of a scratch row, no editing.
ListWindowConfig report(const QString& cls, const QString& caption, const QString& printTitle, const QStringList& sums,
                        SortMode sort = SortMode::Rebuild, const QString& exportName = {})
{
    return {.className = cls,
            .caption = caption,
            .query = "q_tongyong",
            .buttons = {{B::Export}, {B::Query, "统计"}, {B::Delete}, {B::Print}, {B::Return}},
            .exportName = exportName.isEmpty() ? caption : exportName,
            .printTitle = printTitle,
            .footerSums = sums,
            .sort = sort,
            .autoWidth = true,
            .autoWidthChecked = true,
            .doubleClickEdits = false};
}

QStringList incomeSums()
{
    return {Col::押金, Col::预收租金, Col::收费金额, Col::实收金额};
}

// The monthly report: 图形显示 first, and the sums without the record count.
ListWindowConfig monthlyList(const QString& cls)
{
    ListWindowConfig monthly = report(cls, "汽车租赁收入统计(月份)", "汽车租赁收入统计(月份)打印清单",
                                      incomeSums() + QStringList{"现金增加", "现金减少", "收入差价"});
    monthly.buttons.prepend({B::Module, "图形显示"});
    monthly.footer = FooterMode::SumsOnly;
    return monthly;
}

GridColumn col(const char* field, const char* title, bool sorts)
{
    return ListWindow::column(QString::fromUtf8(field), QString::fromUtf8(title), 0, sorts);
}

// The five contract sums every income report shows.
QVector<GridColumn> incomeColumns()
{
    return {col("押金", "押金", true), col("预收租金", "预收租金", true), col("租赁期限", "租赁期限", true),
            col("收费金额", "应收金额", true), col("实收金额", "实收金额", true)};
}

QVector<GridColumn> dispatchRange()
{
    return {col("发车日期", "发车日期从", false), col("收车日期", "发车日期到", false)};
}

const QStringList incomeHelp = queryHelpLines(QStringLiteral("2.发车日期至(到)正确的输入是:2001年07月06日;"));

CriteriaConfig incomeDialog(const char* cls, bool customers, bool plate, const QString& order,
                            void (*run)(Database&, const Reports::IncomeCriteria&), QStringList help = incomeHelp)
{
    return {.className = QString::fromLatin1(cls),
            .kind = CriteriaKind::Income,
            .customerBoxes = customers,
            .plateBox = plate,
            .helpLines = help,
            .orderLine = order,
            .report = [run](Database& db, const CriteriaDialog& d) { run(db, d.incomeCriteria()); }};
}

CriteriaConfig costDialog(const char* cls, bool plate, const QString& order,
                          void (*run)(Database&, const Reports::VehicleCostCriteria&))
{
    return {.className = QString::fromLatin1(cls),
            .caption = QStringLiteral("统计"),
            .kind = CriteriaKind::VehicleCost,
            .plateBox = plate,
            .orderLine = order,
            .rememberChoices = true,
            .report = [run](Database& db, const CriteriaDialog& d) { run(db, d.costCriteria()); }};
}

const QString remarkTitle = QStringLiteral("备") + QString(12, QLatin1Char(' ')) + QStringLiteral("注");

}  // namespace

// ---- TForm_qczlsrtj ----

TForm_qczlsrtj::TForm_qczlsrtj(QWidget* owner, TDm1* dm) : StatsWindow(spec(), dm, owner) {}

const StatsWindowConfig& TForm_qczlsrtj::spec()
{
    using namespace Reports;
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const StatsWindowConfig s{.list = report(cls, "汽车租赁收入统计", "汽车租赁收入统计打印清单", incomeSums()),
                                     .columns = QVector<GridColumn>{col("车牌号", "车牌号", true)} + dispatchRange() + incomeColumns(),
                                     .criteria = incomeDialog("TForm_qczlsrtj_tj", true, false, Order::ByPlate, vehicleIncome),
                                     .lists = CriteriaLists::Customers};
    return s;
}

// ---- TForm_khzlsrtj ----

TForm_khzlsrtj::TForm_khzlsrtj(QWidget* owner, TDm1* dm) : StatsWindow(spec(), dm, owner) {}

const StatsWindowConfig& TForm_khzlsrtj::spec()
{
    using namespace Reports;
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const StatsWindowConfig s{.list = report(cls, "客户租赁收入统计", "汽车租赁收入统计打印清单", incomeSums()),
                                     .columns = QVector<GridColumn>{col("客户号", "客户号", true), col("客户姓名", "客户姓名", false)}
                                                + dispatchRange() + incomeColumns(),
                                     .criteria = incomeDialog("TForm_khzlsrtj_tj", false, true, Order::ByName, customerIncome),
                                     .lists = CriteriaLists::Plates};
    return s;
}

// ---- TForm_qczlsrtj_kh ----

TForm_qczlsrtj_kh::TForm_qczlsrtj_kh(QWidget* owner, TDm1* dm) : StatsWindow(spec(), dm, owner) {}

const StatsWindowConfig& TForm_qczlsrtj_kh::spec()
{
    using namespace Reports;
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const StatsWindowConfig s{.list = report(cls, "汽车租赁收入统计(按客户)", "汽车租赁收入统计(按客户)打印清单", incomeSums()),
                                     .columns = QVector<GridColumn>{col("车牌号", "车牌号", true), col("客户号", "客户号", true),
                                                                    col("客户姓名", "客户姓名", false)}
                                                + dispatchRange() + incomeColumns(),
                                     .criteria = incomeDialog("TForm_qczlsrtj_kh_tj", false, false, Order::ByPlate,
                                                              vehicleCustomerIncome)};
    return s;
}

// ---- TForm_jbrtj ----

TForm_jbrtj::TForm_jbrtj(QWidget* owner, TDm1* dm) : StatsWindow(spec(), dm, owner) {}

const StatsWindowConfig& TForm_jbrtj::spec()
{
    using namespace Reports;
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const StatsWindowConfig s{
        .list = report(cls, "按经办人统计租赁收入", "按经办人统计租赁收入打印清单", incomeSums()),
        .columns = QVector<GridColumn>{col("客户姓名", "经办人姓名", false)} + dispatchRange() + incomeColumns(),
        .criteria = incomeDialog("TForm_jbrtj_tj", false, true, Order::ByName, handlerIncome,
                                 {QStringLiteral("1.查询内容是与的关系;"),
                                  QStringLiteral("2.发车日期至(到)正确的输入是:2001年07月06日;"),
                                  QStringLiteral("3.查询内容是与的关系，也就是说当条件都满足时,才找到记录。")}),
        .lists = CriteriaLists::Plates};
    return s;
}

// ---- TForm_qczlsrtj_yf ----

TForm_qczlsrtj_yf::TForm_qczlsrtj_yf(QWidget* owner, TDm1* dm) : StatsWindow(spec(), dm, owner) {}

const StatsWindowConfig& TForm_qczlsrtj_yf::spec()
{
    using namespace Reports;
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const StatsWindowConfig s{
        .list = monthlyList(cls),
        .columns = QVector<GridColumn>{col("月份", "月份", true)} + incomeColumns()
                   + QVector<GridColumn>{col("现金增加", "借方(增加)", false), col("现金减少", "贷方(减少)", false),
                                         col("收入差价", "收入", false)},
        .criteria = {.className = "TForm_qczlsrtj_yf_tj",
                     .kind = CriteriaKind::Monthly,
                     .orderLine = Order::ByMonth,
                     .report = [](Database& db, const CriteriaDialog& d) { monthlyIncome(db, d.monthlyCriteria()); }}};
    return s;
}

// ---- TForm_xjsytj ----

TForm_xjsytj::TForm_xjsytj(QWidget* owner, TDm1* dm) : StatsWindow(spec(), dm, owner) {}

const StatsWindowConfig& TForm_xjsytj::spec()
{
    using namespace Reports;
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const StatsWindowConfig s{
        .list = report(cls, "现金使用统计(按摘要)", "现金使用统计(按摘要)打印清单", {"现金增加", "现金减少"}, SortMode::None),
        .columns = {col("摘要", "摘要", false), col("发车日期", "开始日期", false), col("收车日期", "结束日期", false),
                    col("现金增加", "现金增加(借方)", false), col("现金减少", "现金减少(贷方)", false), col("备注", "备注", false)},
        .criteria = {.className = "TForm_xjsytj_tj",
                     .kind = CriteriaKind::Cash,
                     .helpLines = queryHelpLines(QStringLiteral("2.日期从(到)正确的输入是:2001-7-6;")),
                     .report = [](Database& db, const CriteriaDialog& d) { cashBySummary(db, d.periodCriteria()); }}};
    return s;
}

// ---- TForm_qcsrfymxb ----

TForm_qcsrfymxb::TForm_qcsrfymxb(QWidget* owner, TDm1* dm) : StatsWindow(spec(), dm, owner) {}

const StatsWindowConfig& TForm_qcsrfymxb::spec()
{
    using namespace Reports;
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const StatsWindowConfig s{.list = report(cls, "汽车收入费用明细表", "汽车收入费用明细表打印清单", {"实收金额"}),
                                     .columns = {col("车牌号", "车牌号", true), col("发车日期", "发生日期", false),
                                                 col("收车日期", "收车日期", false), col("实收金额", "金额", true),
                                                 ListWindow::column(Col::备注, remarkTitle, 0, true)},
                                     .criteria = costDialog("TForm_qcsrfymxb_tj", true, Order::ByPlateAndDate, vehicleDetail),
                                     .lists = CriteriaLists::Plates,
                                     .periodLabel = true,
                                     .printNeedsRows = true};
    return s;
}

// ---- TForm_qcsrfyhzb ----

TForm_qcsrfyhzb::TForm_qcsrfyhzb(QWidget* owner, TDm1* dm) : StatsWindow(spec(), dm, owner) {}

const StatsWindowConfig& TForm_qcsrfyhzb::spec()
{
    using namespace Reports;
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const StatsWindowConfig s{.list = report(cls, "汽车收入费用汇总表", "汽车收入费用汇总表打印清单",
                                                    {"实收金额", "预收租金", "押金", "租赁单价", "收入差价"}),
                                     .columns = {col("车牌号", "车牌号", true), col("发车日期", "开始日期", false),
                                                 col("收车日期", "终止日期", false), col("实收金额", "租赁收入", true),
                                                 col("预收租金", "换油金额", true), col("押金", "维修金额", true),
                                                 col("租赁单价", "事故金额", true), col("收入差价", "收入差价", true),
                                                 col("备注", "备注", false)},
                                     .criteria = costDialog("TForm_qcsrfyhzb_tj", false, Order::ByPlate, vehicleSummary)};
    return s;
}

void describeWindow(const StatsWindowConfig& config)
{
    addListWindowConfigs({config.list});
}

void registerStatsWindows()
{
    registerWindow<TForm_qczlsrtj>();
    registerWindow<TForm_khzlsrtj>();
    registerWindow<TForm_qczlsrtj_kh>();
    registerWindow<TForm_jbrtj>();
    registerWindow<TForm_qczlsrtj_yf>();
    registerWindow<TForm_xjsytj>();
    registerWindow<TForm_qcsrfymxb>();
    registerWindow<TForm_qcsrfyhzb>();
}
