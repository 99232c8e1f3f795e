// The rental windows as configuration rows: customers, reservations, contracts, payments,
// returns, settlements and the rental state of the fleet.
#include "rental/rental.h"
#include "ui/records/editdialog.h"
#include "ui/records/querydialog.h"
#include "ui/records/windowtable.h"

namespace {

using B = ListButton;
using K = CriterionKind;
using namespace EditButton;

QVector<ListWindowConfig> listRows()
{
    return {
        {.className = "TForm_hyzlb", .caption = "客户资料登记表", .query = "q_hyzlb",
         .buttons = {{B::Query, "查找"}, {B::Export}, {B::Edit}, {B::Delete}, {B::Print}, {B::Return}},
         .exportName = "客户资料记录表", .printTitle = "客户资料登记表打印清单", .footerSums = {"应收会费", "实收会费"},
         .layout = LayoutMode::Full, .autoWidth = true},
        {.className = "TForm_khydqc", .caption = "客户预订汽车登记表(没有执行完毕的客户预订)", .query = "q_khydqc",
         .buttons = {{B::Query}, {B::Module, "执行完毕"}, {B::Export}, {B::Edit}, {B::Delete}, {B::Print}, {B::Return}},
         .exportName = "客户预订汽车登记表", .printTitle = "客户预订汽车登记表打印清单", .footerSums = {"押金"},
         .layout = LayoutMode::Reduced},
        {.className = "TForm_qczlb", .caption = "汽车租赁登记表", .query = "q_qczlb",
         .buttons = {{B::Query}, {B::Export}, {B::Edit}, {B::Delete}, {B::Print}, {B::Return}},
         .exportName = "汽车租赁登记表", .printTitle = "汽车租赁登记表打印清单", .footerSums = {"押金"},
         .layout = LayoutMode::Full},
        {.className = "TForm_qczl_fkqk", .caption = "汽车租赁登记表", .query = "q_qczlb",
         .buttons = {{B::Export}, {B::Query}, {B::Edit}, {B::Print}, {B::Return}}, .exportName = "汽车租赁登记表",
         .printTitle = "汽车租赁登记表打印清单", .layout = LayoutMode::Full, .hint = "提示：以下是没有结帐的汽车租赁登记！",
         .queryDialog = "TForm_qczlb_cx"},
        {.className = "TForm_qczljcb", .caption = "汽车租赁登记表", .query = "q_qczlb",
         .buttons = {{B::Query}, {B::Edit, "交车"}, {B::Print}, {B::Return}}, .printTitle = "汽车租赁登记表打印清单",
         .autoWidth = true, .autoWidthChecked = true, .hint = "提示：以下是没有交车的汽车租赁单！",
         .queryDialog = "TForm_qczlb_cx"},
        {.className = "TForm_qczljsd", .caption = "汽车租赁结算单", .query = "q_qczlb",
         .buttons = {{B::Export}, {B::Query}, {B::Edit}, {B::Delete}, {B::Print}, {B::Return}},
         .exportName = "汽车租赁结算表", .printTitle = "汽车租赁登记表打印清单",
         .footerSums = {"收费金额", "包干价", "实收金额", "应收帐款", "押金", "预收租金"}, .layout = LayoutMode::Full,
         .hint = "提示：以下是帐款没有结清的汽车租赁单！", .queryDialog = "TForm_qczlb_cx"},
        {.className = "TForm_qczlqkb", .caption = "汽车租赁情况表", .query = "q_qcda",
         .buttons = {{B::Print}, {B::Edit}, {B::Module, "清除租赁"}, {B::Module, "清除预订"}, {B::Return}},
         .printTitle = "汽车档案打印清单", .autoWidth = true, .autoWidthChecked = true, .doubleClickEdits = false},
    };
}

QVector<EditDialogConfig> editRows()
{
    return {
        {.className = "TForm_hyzlb_edit", .caption = "客户登记表编辑 (hyzlb)", .query = "q_hyzlb",
         .addGuard = {{"客户姓名", "客户姓名不能为空,请重新输入!"}, {"客户号", "客户号不能为空,请重新输入!"}},
         .uniqueTable = "客户登记表", .uniqueColumn = "客户号"},
        {.className = "TForm_qczlb_edit", .caption = "汽车租赁登记表编辑 (qczlb)", .query = "q_qczlb", .discardFirst = true},
        {.className = "TForm_khydqc_edit", .caption = "客户预订汽车登记表编辑 (khydqc)", .query = "q_khydqc",
         .discardFirst = true},
        {.className = "TForm_qczl_fkqk_edit", .caption = "汽车租赁付款情况编辑 (qczlb)", .query = "q_qczlb",
         .buttons = Save | Close, .stamps = Stamps::None},
        {.className = "TForm_qczljcb_edit", .caption = "汽车租赁交车编辑 (qczljcb)", .query = "q_qczlb",
         .buttons = Save | Close, .stamps = Stamps::None},
        {.className = "TForm_qczljsd_edit", .caption = "汽车租赁结算单编辑 (qczljsd)", .query = "q_qczlb",
         .buttons = Save | Cancel | Close, .stamps = Stamps::None},
        {.className = "TForm_qczlqkb_edit", .caption = "编辑", .query = "q_qcda", .buttons = Save | Close,
         .stamps = Stamps::None, .uniqueTable = "汽车档案", .uniqueColumn = "车牌号"},
    };
}

QVector<QueryDialogConfig> queryRows()
{
    const QStringList yesNo{QStringLiteral("是"), QStringLiteral("否")};
    return {
        {.className = "TForm_qczlb_cx",
         .caption = "查询",
         .query = "q_qczlb",
         .table = "汽车租赁登记表",
         .criteria = {{.objectName = "ed内部编号", .label = "内部编号：", .column = "内部编号", .upper = true},
                      {.objectName = "cb车牌号", .label = "车牌号：", .column = "车牌号", .kind = K::StartsWithFirstOnly, .combo = true},
                      {.objectName = "cb客户号", .label = "客户号：", .column = "客户号", .combo = true},
                      {.objectName = "cb客户姓名", .label = "客户姓名：", .column = "客户姓名", .combo = true},
                      {.objectName = "cb客户交车", .label = "客户交车：", .column = "客户交车", .combo = true, .items = {"已交", "没有"}},
                      {.objectName = "dt发车从", .label = "发车日期  从：", .column = "发车日期", .kind = K::DayRange,
                       .toObjectName = "dt发车到", .toLabel = "到", .function = "cvdate",
                       .inputError = rangeInputError("发车日期"), .orderError = rangeOrderError("发车日期")},
                      {.objectName = "cb经办人", .label = "经办人：", .column = "租赁公司经办人", .kind = K::Equals, .combo = true},
                      {.objectName = "ed备注", .label = "备注：", .column = "备注", .upper = true},
                      {.objectName = "ed发车单号", .label = "发车单号：", .column = "发车单号", .upper = true},
                      {.objectName = "dt收车从", .label = "收车日期  从：", .column = "收车日期", .kind = K::DayRange,
                       .toObjectName = "dt收车到", .toLabel = "到", .inputError = rangeInputError("收车日期"),
                       .orderError = rangeOrderError("收车日期")},
                      {.objectName = "cb帐款结清", .label = "帐款结清：", .column = "帐款结清", .kind = K::YesNo, .combo = true,
                       .items = yesNo}},
         .selectLines = {"select * from 汽车租赁登记表"},
         .orderLine = "order by 内部编号",
         .noCriteriaMessage = "查询条件没有输入,请确认!",
         .noCriteriaFocus = "cb车牌号",
         .enterChain = {"ed内部编号", "cb车牌号", "cb客户号", "cb客户姓名", "dt发车从", "dt发车到", "dt收车从", "dt收车到",
                        "cb客户交车", "cb帐款结清", "cb经办人", "ed发车单号", "ed备注"},
         .busyAnimation = true,
         .helpLines = queryHelpLines("2.发车日期至(到)正确的输入是:2001年07月06日;")},
        {.className = "TForm_khydqc_cx",
         .caption = "查询",
         .query = "q_khydqc",
         .table = "客户预订汽车",
         .criteria = {{.objectName = "ed内部编号", .label = "内部编号：", .column = "内部编号", .upper = true},
                      {.objectName = "cb车牌号", .label = "车牌号：", .column = "车牌号", .kind = K::StartsWithFirstOnly, .combo = true},
                      {.objectName = "cb客户号", .label = "客户号：", .column = "客户号", .combo = true},
                      {.objectName = "cb客户姓名", .label = "客户姓名：", .column = "客户姓名", .combo = true},
                      {.objectName = "cb执行完毕", .label = "执行完毕：", .column = "执行完毕", .kind = K::Equals, .combo = true,
                       .items = yesNo},
                      {.objectName = "dt预订从", .label = "预订日期  从：", .column = "发车日期", .kind = K::DateRange,
                       .toObjectName = "dt预订到", .toLabel = "到", .inputError = rangeInputError("预订日期"),
                       .orderError = rangeOrderError("预订日期")},
                      {.objectName = "cb经办人", .label = "经办人：", .column = "租赁公司经办人", .kind = K::Equals, .combo = true}},
         .selectLines = {"select * from 客户预订汽车"},
         .orderLine = "order by 内部编号",
         .noCriteriaMessage = "查询条件没有输入,请确认!",
         .noCriteriaFocus = "cb车牌号",
         .enterChain = {"ed内部编号", "cb车牌号", "cb客户号", "cb客户姓名", "dt预订从", "dt预订到", "cb执行完毕", "cb经办人"},
         .busyAnimation = true,
         .helpLines = queryHelpLines("2.预订日期至(到)正确的输入是:2001年07月06日;")},
        {.className = "TForm_hyzlb_cx",
         .caption = "查找客户",
         .query = "q_hyzlb",
         .table = "客户登记表",
         .criteria = {{.objectName = "cb客户号", .label = "客户代码：", .column = "客户号", .kind = K::Equals, .combo = true},
                      {.objectName = "cb客户姓名", .label = "客户姓名：", .column = "客户姓名", .kind = K::StartsWith, .combo = true},
                      {.objectName = "cb性别", .label = "性别：", .column = "性别", .kind = K::Equals, .combo = true,
                       .items = {"男", "女"}},
                      {.objectName = "cb客户类型", .label = "客户类型：", .column = "客户类型", .kind = K::Equals, .combo = true,
                       .items = {"个人", "会员", "临时"}}},
         .selectLines = {"select * from 客户登记表 "},
         .where = WhereStyle::TwoLines,
         .orderLine = "order by 客户姓名",
         .variant = QueryVariant::StayUntilFound,
         .noCriteriaMessage = "没有输入查询条件,请重新输入!",
         .noCriteriaFocus = "cb客户姓名",
         .customerButtons = true},
    };
}

} // namespace

void addRentalConfigs()
{
    addListWindowConfigs(listRows());
    addEditDialogConfigs(editRows());
    addQueryDialogConfigs(queryRows());
}
