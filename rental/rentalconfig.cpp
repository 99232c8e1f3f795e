// The rental query dialogs, configured windows without a class of their own: each row is its one
// place, found by the class name its list windows give (their spec()'s queryDialog, or + "_cx").
#include "rental/rental.h"
#include "data/columns.h"
#include "ui/records/querydialog.h"

namespace {

using K = CriterionKind;

QVector<QueryDialogConfig> queryRows()
{
    const QStringList yesNo{QStringLiteral("是"), QStringLiteral("否")};
    return {
        {.className = "TForm_qczlb_cx",
         .caption = "查询",
         .query = "q_qczlb",
         .table = "汽车租赁登记表",
         .criteria =
             {{.objectName = "ed内部编号", .label = "内部编号：", .column = Col::内部编号, .upper = true},
              {.objectName = "cb车牌号", .label = "车牌号：", .column = Col::车牌号, .kind = K::StartsWithFirstOnly, .combo = true},
              {.objectName = "cb客户号", .label = "客户号：", .column = Col::客户号, .combo = true},
              {.objectName = "cb客户姓名", .label = "客户姓名：", .column = Col::客户姓名, .combo = true},
              {.objectName = "cb客户交车", .label = "客户交车：", .column = Col::客户交车, .combo = true, .items = {"已交", "没有"}},
              {.objectName = "dt发车从",
               .label = "发车日期  从：",
               .column = Col::发车日期,
               .kind = K::DayRange,
               .toObjectName = "dt发车到",
               .toLabel = "到",
               .function = "cvdate",
               .inputError = rangeInputError("发车日期"),
               .orderError = rangeOrderError("发车日期")},
              {.objectName = "cb经办人", .label = "经办人：", .column = Col::租赁公司经办人, .kind = K::Equals, .combo = true},
              {.objectName = "ed备注", .label = "备注：", .column = Col::备注, .upper = true},
              {.objectName = "ed发车单号", .label = "发车单号：", .column = Col::发车单号, .upper = true},
              {.objectName = "dt收车从",
               .label = "收车日期  从：",
               .column = Col::收车日期,
               .kind = K::DayRange,
               .toObjectName = "dt收车到",
               .toLabel = "到",
               .inputError = rangeInputError("收车日期"),
               .orderError = rangeOrderError("收车日期")},
              {.objectName = "cb帐款结清",
               .label = "帐款结清：",
               .column = Col::帐款结清,
               .kind = K::YesNo,
               .combo = true,
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
         .criteria =
             {{.objectName = "ed内部编号", .label = "内部编号：", .column = Col::内部编号, .upper = true},
              {.objectName = "cb车牌号", .label = "车牌号：", .column = Col::车牌号, .kind = K::StartsWithFirstOnly, .combo = true},
              {.objectName = "cb客户号", .label = "客户号：", .column = Col::客户号, .combo = true},
              {.objectName = "cb客户姓名", .label = "客户姓名：", .column = Col::客户姓名, .combo = true},
              {.objectName = "cb执行完毕",
               .label = "执行完毕：",
               .column = Col::执行完毕,
               .kind = K::Equals,
               .combo = true,
               .items = yesNo},
              {.objectName = "dt预订从",
               .label = "预订日期  从：",
               .column = Col::发车日期,
               .kind = K::DateRange,
               .toObjectName = "dt预订到",
               .toLabel = "到",
               .inputError = rangeInputError("预订日期"),
               .orderError = rangeOrderError("预订日期")},
              {.objectName = "cb经办人", .label = "经办人：", .column = Col::租赁公司经办人, .kind = K::Equals, .combo = true}},
         .selectLines = {"select * from 客户预订汽车"},
         .orderLine = "order by 内部编号",
         .noCriteriaMessage = "查询条件没有输入,请确认!",
         .noCriteriaFocus = "cb车牌号",
         .enterChain = {"ed内部编号", "cb车牌号", "cb客户号", "cb客户姓名", "dt预订从", "dt预订到", "cb执行完毕", "cb经办人"},
         .busyAnimation = true,
         .helpLines = queryHelpLines("2.预订日期至(到)正确的输入是:2001年07月06日;")},
    };
}

}  // namespace

const QueryDialogConfig& customerQueryDialog()
{
    using K = CriterionKind;
    static const QueryDialogConfig s{
        .className = "TForm_hyzlb_cx",
        .caption = "查找客户",
        .query = "q_hyzlb",
        .table = "客户登记表",
        .criteria =
            {{.objectName = "cb客户号", .label = "客户代码：", .column = Col::客户号, .kind = K::Equals, .combo = true},
             {.objectName = "cb客户姓名", .label = "客户姓名：", .column = Col::客户姓名, .kind = K::StartsWith, .combo = true},
             {.objectName = "cb性别", .label = "性别：", .column = Col::性别, .kind = K::Equals, .combo = true, .items = {"男", "女"}},
             {.objectName = "cb客户类型",
              .label = "客户类型：",
              .column = Col::客户类型,
              .kind = K::Equals,
              .combo = true,
              .items = {"个人", "会员", "临时"}}},
        .selectLines = {"select * from 客户登记表 "},
        .where = WhereStyle::TwoLines,
        .orderLine = "order by 客户姓名",
        .variant = QueryVariant::StayUntilFound,
        .noCriteriaMessage = "没有输入查询条件,请重新输入!",
        .noCriteriaFocus = "cb客户姓名",
        .customerButtons = true};
    return s;
}

void addRentalQueryDialogs()
{
    addQueryDialogConfigs(queryRows() << customerQueryDialog());
}
