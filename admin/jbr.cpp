#include "admin/jbr.h"
#include "admin/admin.h"
#include "admin/qxb.h"
#include "ui/common/windowregistry.h"

TForm_jbr::TForm_jbr(QWidget* owner, TDm1* dm) : ListWindow(*listWindowConfig(QStringLiteral("TForm_jbr")), dm, owner)
{
    setColumns({{.field = "经办人姓名", .width = 120, .titleButton = true}, {.field = "身份证号", .width = 160, .titleButton = true},
                {.field = "联系电话", .width = 120}});
}

QDialog* TForm_jbr::createEditDialog()
{
    return new TForm_jbr_edit(this, dm());
}

TForm_jbr_edit::TForm_jbr_edit(QWidget* owner, TDm1* dm)
    : EditDialog(*editDialogConfig(QStringLiteral("TForm_jbr_edit")),
                 {{.objectName = "DBEdit1", .label = "经办人姓名：", .column = "经办人姓名", .chinese = true},
                  {.objectName = "DBEdit2", .label = "身份证号：", .column = "身份证号"},
                  {.objectName = "DBEdit3", .label = "联系电话：", .column = "联系电话"}},
                 dm, owner)
{
    setRequired({{QStringLiteral("经办人姓名"), QStringLiteral("姓名不能为空,请重新输入!")}});
}

namespace {
using B = ListButton;

QVector<ListWindowConfig> listRows()
{
    const QVector<ButtonDef> buttons{{B::Edit}, {B::Delete}, {B::Print}, {B::Export}, {B::Return}};
    return {
        {.className = "TForm_qxb", .caption = "操作员及权限设置", .query = "q_qxb", .buttons = buttons,
         .exportName = "操作员及权限", .printTitle = "操作员及权限打印清单", .sort = SortMode::MarksOnly, .autoWidth = true,
         .autoWidthChecked = true},
        {.className = "TForm_jbr", .caption = "经办人信息", .query = "q_jbr", .buttons = buttons, .exportName = "经办人信息",
         .printTitle = "经办人信息打印清单", .sort = SortMode::MarksOnly, .autoWidth = true, .autoWidthChecked = true,
         .maximised = false},
    };
}

QVector<EditDialogConfig> editRows()
{
    return {
        {.className = "TForm_qxb_edit", .caption = "操作员及权限编辑 (qxb)", .query = "q_qxb",
         .addGuard = {{"姓名", "姓名不能为空,请重新输入!"}}},
        {.className = "TForm_jbr_edit", .caption = "经办人信息编辑 (jbr)", .query = "q_jbr", .stamps = Stamps::None},
        {.className = "TForm_gsxx_edit", .caption = "公司信息编辑", .query = "q_gsxx",
         .buttons = EditButton::Save | EditButton::Close, .stamps = Stamps::None},
    };
}
} // namespace

void addAdminConfigs()
{
    addListWindowConfigs(listRows());
    addEditDialogConfigs(editRows());
}

void registerAdminWindows()
{
    addAdminConfigs();
    WindowRegistry::add(QStringLiteral("TForm_qxb"), [](QWidget* owner, TDm1* dm) { return new TForm_qxb(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_jbr"), [](QWidget* owner, TDm1* dm) { return new TForm_jbr(owner, dm); });
}
