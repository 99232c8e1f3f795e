#include "fleet/sgjlb.h"
#include "data/datamodule.h"

#include <QLineEdit>

TForm_sgjlb::TForm_sgjlb(QWidget* owner, TDm1* dm) : RegisterWindow(QStringLiteral("TForm_sgjlb"), dm, owner)
{
    setColumns({column(QStringLiteral("车牌号"), {}, 90), column(QStringLiteral("客户姓名"), {}, 90),
                column(QStringLiteral("驾驶员"), {}, 80, false), column(QStringLiteral("事故时间"), {}, 90),
                column(QStringLiteral("事故地点"), {}, 160, false), column(QStringLiteral("事故金额"), {}, 90, false),
                column(QStringLiteral("理赔金额"), {}, 90), column(QStringLiteral("理赔时间"), {}, 90),
                column(QStringLiteral("经办人"), {}, 80)});
}

EditDialog* TForm_sgjlb::makeEditDialog()
{
    return new TForm_sgjlb_edit(this, dm());
}

QueryDialog* TForm_sgjlb::makeQueryDialog()
{
    return new TForm_sgjlb_cx(this, dm());
}

TForm_sgjlb_edit::TForm_sgjlb_edit(QWidget* owner, TDm1* dm)
    : RegisterEditDialog(QStringLiteral("TForm_sgjlb_edit"),
                         {
                             fieldDef("DBComboBoxEh1", "车牌号：", "车牌号", FieldKind::Combo),
                             fieldDef("DBEditEh6", "驾驶员：", "驾驶员", FieldKind::Text, true),
                             fieldDef("DBEditEh5", "客户姓名：", "客户姓名", FieldKind::Text, true),
                             fieldDef("DBComboBoxEh2", "经办人：", "经办人", FieldKind::Combo, true),
                             fieldDef("DBNumberEditEh3", "事故金额：", "事故金额", FieldKind::Number, false, 4),
                             // Shown but not entered: nothing in the system writes the insurer's payment yet.
                             fieldDef("DBNumberEditEh4", "理赔金额：", "理赔金额", FieldKind::ReadOnly),
                             fieldDef("DBDateTimeEditEh1", "事故时间：", "事故时间", FieldKind::Date),
                             fieldDef("DBEditEh2", "事故地点：", "事故地点", FieldKind::Text, true),
                             fieldDef("DBEditEh1", "事故情况：", "事故情况", FieldKind::Text, true),
                             fieldDef("DBEditEh3", "事故处理：", "事故处理", FieldKind::Text, true),
                             fieldDef("DBEditEh4", "备注：", "备注", FieldKind::Text, true),
                         },
                         dm, owner)
{
    if (auto* paid = qobject_cast<QLineEdit*>(field(QStringLiteral("DBNumberEditEh4")))) {
        paid->setAlignment(Qt::AlignRight);
        paid->setFocusPolicy(Qt::StrongFocus);
    }
    // The read-only payment field is a stop of the chain like the others.
    setEnterChain({QStringLiteral("DBComboBoxEh1"), QStringLiteral("DBEditEh6"), QStringLiteral("DBEditEh5"),
                   QStringLiteral("DBComboBoxEh2"), QStringLiteral("DBNumberEditEh3"), QStringLiteral("DBNumberEditEh4"),
                   QStringLiteral("DBDateTimeEditEh1"), QStringLiteral("DBEditEh2"), QStringLiteral("DBEditEh1"),
                   QStringLiteral("DBEditEh3"), QStringLiteral("DBEditEh4")});
}
