#include "fleet/wxjlb.h"
#include "data/datamodule.h"

#include <QLineEdit>

TForm_wxjlb::TForm_wxjlb(QWidget* owner, TDm1* dm) : RegisterWindow(QStringLiteral("TForm_wxjlb"), dm, owner)
{
    setColumns({column(QStringLiteral("车牌号"), {}, 90), column(QStringLiteral("维修时间"), {}, 90),
                column(QStringLiteral("修理厂"), {}, 160, false), column(QStringLiteral("材料费"), {}, 90),
                column(QStringLiteral("人工费"), {}, 90), column(QStringLiteral("其它费用"), {}, 90),
                column(QStringLiteral("总费用"), {}, 90), column(QStringLiteral("经办人"), {}, 80)});
}

EditDialog* TForm_wxjlb::makeEditDialog()
{
    return new TForm_wxjlb_edit(this, dm());
}

QueryDialog* TForm_wxjlb::makeQueryDialog()
{
    return new TForm_wxjlb_cx(this, dm());
}

TForm_wxjlb_edit::TForm_wxjlb_edit(QWidget* owner, TDm1* dm)
    : RegisterEditDialog(QStringLiteral("TForm_wxjlb_edit"),
                         {
                             fieldDef("DBComboBoxEh1", "车牌号：", "车牌号", FieldKind::Combo, true),
                             fieldDef("DBDateTimeEditEh1", "维修时间：", "维修时间", FieldKind::Date),
                             fieldDef("DBEditEh5", "维修内容：", "维修内容", FieldKind::Text, true),
                             fieldDef("DBNumberEditEh1", "材料费：", "材料费", FieldKind::Number, false, 4),
                             fieldDef("DBNumberEditEh2", "人工费：", "人工费", FieldKind::Number, false, 4),
                             fieldDef("DBNumberEditEh3", "其它费用：", "其它费用", FieldKind::Number, false, 4),
                             fieldDef("DBNumberEditEh4", "总费用：", "总费用", FieldKind::ReadOnly),
                             fieldDef("DBEditEh2", "修理厂：", "修理厂", FieldKind::Text, true),
                             fieldDef("DBComboBoxEh2", "经办人：", "经办人", FieldKind::Combo, true),
                             fieldDef("DBEditEh4", "备注：", "备注", FieldKind::Text, true),
                         },
                         dm, owner)
{
    if (auto* total = qobject_cast<QLineEdit*>(field(QStringLiteral("DBNumberEditEh4"))))
        total->setAlignment(Qt::AlignRight);
    setReadOnlyEnter(QStringLiteral("DBNumberEditEh4"), QStringLiteral("DBEditEh2"));
}

void TForm_wxjlb_edit::assignBeforeWrite()
{
    RecordSet* q = query();
    q->setValue(QStringLiteral("总费用"), repairTotal(q->asMoney(QStringLiteral("材料费")), q->asMoney(QStringLiteral("人工费")),
                                                    q->asMoney(QStringLiteral("其它费用"))));
}
