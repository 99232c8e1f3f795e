#include "admin/jbr.h"
#include "admin/admin.h"
#include "admin/qxb.h"
#include "ui/common/windowregistry.h"

TForm_jbr::TForm_jbr(QWidget* owner, TDm1* dm) : ListWindow(*listWindowConfig(QStringLiteral("TForm_jbr")), dm, owner)
{
    setColumns({column(QStringLiteral("经办人姓名"), {}, 120), column(QStringLiteral("身份证号"), {}, 160),
                column(QStringLiteral("联系电话"), {}, 120, false)});
}

QDialog* TForm_jbr::createEditDialog()
{
    return new TForm_jbr_edit(this, dm());
}

TForm_jbr_edit::TForm_jbr_edit(QWidget* owner, TDm1* dm)
    : EditDialog(*editDialogConfig(QStringLiteral("TForm_jbr_edit")),
                 {{QStringLiteral("DBEdit1"), QStringLiteral("经办人姓名："), QStringLiteral("经办人姓名"),
                   FieldKind::Text, false, false, true},
                  {QStringLiteral("DBEdit2"), QStringLiteral("身份证号："), QStringLiteral("身份证号")},
                  {QStringLiteral("DBEdit3"), QStringLiteral("联系电话："), QStringLiteral("联系电话")}},
                 dm, owner)
{
    setRequired({{QStringLiteral("经办人姓名"), QStringLiteral("姓名不能为空,请重新输入!"), QStringLiteral("DBEdit1")}});
}

void registerAdminWindows()
{
    WindowRegistry::add(QStringLiteral("TForm_qxb"), [](QWidget* owner, TDm1* dm) { return new TForm_qxb(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_jbr"), [](QWidget* owner, TDm1* dm) { return new TForm_jbr(owner, dm); });
}
