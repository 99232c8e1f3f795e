#include "admin/jbr.h"
#include "admin/admin.h"
#include "admin/qxb.h"
#include "data/columns.h"
#include "ui/records/windowspec.h"

// ---- descriptions ----

const ListWindowConfig& TForm_jbr::spec()
{
    static const ListWindowConfig s{
        .className = staticMetaObject.className(),
        .caption = "经办人信息",
        .query = "q_jbr",
        .buttons = {{ListButton::Edit}, {ListButton::Delete}, {ListButton::Print}, {ListButton::Export}, {ListButton::Return}},
        .exportName = "经办人信息",
        .printTitle = "经办人信息打印清单",
        .sort = SortMode::MarksOnly,
        .autoWidth = true,
        .autoWidthChecked = true,
        .maximised = false};
    return s;
}

const EditDialogConfig& TForm_jbr_edit::spec()
{
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "经办人信息编辑 (jbr)",
                                    .query = "q_jbr",
                                    .stamps = Stamps::None};
    return s;
}

// ---- windows ----

TForm_jbr::TForm_jbr(QWidget* owner, TDm1* dm) : ListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::经办人姓名, .width = 120, .titleButton = true},
                {.field = Col::身份证号, .width = 160, .titleButton = true},
                {.field = Col::联系电话, .width = 120}});
}

QDialog* TForm_jbr::createEditDialog()
{
    return new TForm_jbr_edit(this, dm());
}

TForm_jbr_edit::TForm_jbr_edit(QWidget* owner, TDm1* dm)
    : EditDialog(spec(),
                 {{.objectName = "DBEdit1", .label = "经办人姓名：", .column = Col::经办人姓名, .chinese = true},
                  {.objectName = "DBEdit2", .label = "身份证号：", .column = Col::身份证号},
                  {.objectName = "DBEdit3", .label = "联系电话：", .column = Col::联系电话}},
                 dm, owner)
{
    setRequired({{Col::经办人姓名, QStringLiteral("姓名不能为空,请重新输入!")}});
}

void registerAdminWindows()
{
    registerWindow<TForm_qxb>();
    registerWindow<TForm_qxb_edit>();
    registerWindow<TForm_jbr>();
    registerWindow<TForm_jbr_edit>();
}
