// The reminder windows as configuration rows.
#include "remind/remind.h"
#include "remind/txcsb.h"
#include "remind/txgn.h"
#include "ui/common/windowregistry.h"
#include "ui/records/editdialog.h"
#include "ui/records/windowtable.h"

namespace {
using B = ListButton;
}

void addRemindConfigs()
{
    addListWindowConfigs({
        {.className = "TForm_txcsb", .caption = "提醒功能初始表", .query = "q_txcsb",
         .buttons = {{B::Export}, {B::Edit}, {B::Return}}, .exportName = "提醒功能初始表", .sort = SortMode::None,
         .autoWidth = true, .autoWidthBox = false, .columnButtons = false, .navigator = false, .maximised = false},
        {.className = "TForm_txgn", .caption = "提醒功能清单", .query = "q_tongyong",
         .buttons = {{B::Export}, {B::Edit, "提醒"}, {B::Print}, {B::Return}}, .exportName = "提醒功能清单",
         .printTitle = "提醒功能清单打印清单", .sort = SortMode::None, .autoWidthBox = false, .columnButtons = false,
         .maximised = false, .footer = FooterMode::None},
    });
    addEditDialogConfigs({
        {.className = "TForm_txcsb_edit", .caption = "提醒功能初始表编辑 (txcsb)", .query = "q_txcsb",
         .buttons = EditButton::AddHidden | EditButton::Save | EditButton::Cancel | EditButton::Close,
         .stamps = Stamps::OperatorOnly},
    });
}

void registerRemindWindows()
{
    addRemindConfigs();
    WindowRegistry::add(QStringLiteral("TForm_txcsb"), [](QWidget* owner, TDm1* dm) { return new TForm_txcsb(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_txgn"), [](QWidget* owner, TDm1* dm) { return new TForm_txgn(owner, dm); });
}
