// The cash journal's query dialog, a configured window without a class of its own: its row is its
// one place, found by the name its list window gives (TForm_xjrjz + "_cx").
#include "cash/cash.h"
#include "data/columns.h"
#include "ui/records/querydialog.h"

namespace {

using K = CriterionKind;

QVector<QueryDialogConfig> queryRows()
{
    return {
        {.className = "TForm_xjrjz_cx",
         .caption = "查询",
         .query = "q_xjrjz",
         .table = "现金日记帐",
         .criteria = {{.objectName = "Edit1", .label = "凭证号：", .column = Col::凭证号, .upper = true},
                      {.objectName = "cb摘要", .label = "摘要：", .column = Col::摘要, .kind = K::StartsWithFirstOnly, .combo = true},
                      {.objectName = "Edit2", .label = "明细：", .column = Col::明细, .upper = true},
                      {.objectName = "Edit3", .label = "经办人：", .column = Col::经办人, .upper = true},
                      {.objectName = "Edit4", .label = "备注：", .column = Col::备注, .upper = true},
                      {.objectName = "dt日期从",
                       .label = "日期  从：",
                       .column = Col::日期,
                       .kind = K::DateRange,
                       .toObjectName = "dt日期到",
                       .toLabel = "到",
                       .inputError = rangeInputError("日期"),
                       .orderError = rangeOrderError("日期")}},
         .selectLines = {"select * from 现金日记帐"},
         .orderLine = "order by 日期",
         .noCriteriaMessage = "查询条件没有输入,请确认!",
         .enterChain = {"Edit1", "cb摘要", "Edit2", "Edit3", "dt日期从", "dt日期到", "Edit4"},
         .busyAnimation = true,
         .helpLines = queryHelpLines("2.日期从(到)正确的输入是:2001-7-6;")},
    };
}

}  // namespace

void addCashQueryDialogs()
{
    addQueryDialogConfigs(queryRows());
}
