// The cash journal's windows as configuration rows: the journal and the summary codes.
#include "cash/cash.h"
#include "ui/records/editdialog.h"
#include "ui/records/querydialog.h"
#include "ui/records/windowtable.h"

namespace {

using B = ListButton;
using K = CriterionKind;
constexpr unsigned AllEditButtons = EditButton::Add | EditButton::Save | EditButton::Cancel | EditButton::Close;

QVector<ListWindowConfig> listRows()
{
    return {
        {.className = "TForm_xjrjz", .caption = "现金日记账", .query = "q_xjrjz",
         .buttons = {{B::Export}, {B::Query}, {B::Edit}, {B::Delete}, {B::Print}, {B::Module, "整理"}, {B::Return}},
         .exportName = "现金日记帐", .printTitle = "现金日记帐打印清单", .footerSums = {"借方", "贷方"},
         .sort = SortMode::None},
        {.className = "TForm_zy", .caption = "摘要设置", .query = "q_zy",
         .buttons = {{B::Edit}, {B::Delete}, {B::Export}, {B::Return}}, .exportName = "摘要",
         .sort = SortMode::MarksOnly, .autoWidth = true, .autoWidthBox = false, .columnButtons = false,
         .maximised = false},
    };
}

QVector<EditDialogConfig> editRows()
{
    return {
        {.className = "TForm_xjrjz_edit", .caption = "现金日记帐编辑 (xjrjz)", .query = "q_xjrjz", .buttons = AllEditButtons,
         .discardFirst = true},
        // The summary dialog guards on the trimmed field texts (its own addGuardPasses).
        {.className = "TForm_zy_edit", .caption = "摘要编辑 (zy)", .query = "q_zy"},
    };
}

QVector<QueryDialogConfig> queryRows()
{
    return {
        {.className = "TForm_xjrjz_cx",
         .caption = "查询",
         .query = "q_xjrjz",
         .table = "现金日记帐",
         .criteria = {{.objectName = "Edit1", .label = "凭证号：", .column = "凭证号", .upper = true},
                      {.objectName = "cb摘要", .label = "摘要：", .column = "摘要", .kind = K::StartsWithFirstOnly, .combo = true},
                      {.objectName = "Edit2", .label = "明细：", .column = "明细", .upper = true},
                      {.objectName = "Edit3", .label = "经办人：", .column = "经办人", .upper = true},
                      {.objectName = "Edit4", .label = "备注：", .column = "备注", .upper = true},
                      {.objectName = "dt日期从", .label = "日期  从：", .column = "日期", .kind = K::DateRange,
                       .toObjectName = "dt日期到", .toLabel = "到", .inputError = rangeInputError("日期"),
                       .orderError = rangeOrderError("日期")}},
         .selectLines = {"select * from 现金日记帐"},
         .orderLine = "order by 日期",
         .noCriteriaMessage = "查询条件没有输入,请确认!",
         .enterChain = {"Edit1", "cb摘要", "Edit2", "Edit3", "dt日期从", "dt日期到", "Edit4"},
         .busyAnimation = true,
         .helpLines = queryHelpLines("2.日期从(到)正确的输入是:2001-7-6;")},
    };
}

} // namespace

void addCashConfigs()
{
    addListWindowConfigs(listRows());
    addEditDialogConfigs(editRows());
    addQueryDialogConfigs(queryRows());
}
