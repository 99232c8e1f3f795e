#include "fleet/hyjlb.h"
#include "data/datamodule.h"

#include <QLineEdit>


Money oilAmount(Money unitPrice, const QVariant& quantity)
{
    if (!quantity.isValid() || quantity.isNull()
        || (quantity.metaType().id() == QMetaType::QString && quantity.toString().trimmed().isEmpty()))
        return Money();
    if (const auto amount = unitPrice.times(quantity))
        return *amount;
    throw DbError(QStringLiteral("'%1' 不是有效的数值或金额超出范围").arg(quantity.toString()));
}

TForm_hyjlb::TForm_hyjlb(QWidget* owner, TDm1* dm) : RegisterWindow(QStringLiteral("TForm_hyjlb"), dm, owner)
{
    setColumns({column(QStringLiteral("车牌号"), {}, 90), column(QStringLiteral("公里数"), {}, 80),
                column(QStringLiteral("换油时间"), {}, 90), column(QStringLiteral("单价"), {}, 70, false),
                column(QStringLiteral("数量"), {}, 70, false), column(QStringLiteral("金额"), {}, 90),
                column(QStringLiteral("经办人"), {}, 80), column(QStringLiteral("换油地点"), {}, 160)});
}

EditDialog* TForm_hyjlb::makeEditDialog()
{
    return new TForm_hyjlb_edit(this, dm());
}

QueryDialog* TForm_hyjlb::makeQueryDialog()
{
    return new TForm_hyjlb_cx(this, dm());
}

TForm_hyjlb_edit::TForm_hyjlb_edit(QWidget* owner, TDm1* dm)
    : RegisterEditDialog(QStringLiteral("TForm_hyjlb_edit"),
                         {
                             fieldDef("DBComboBoxEh1", "车牌号：", "车牌号", FieldKind::Combo, true),
                             fieldDef("DBNumberEditEh1", "公路里程：", "公里数", FieldKind::Number),
                             fieldDef("DBDateTimeEditEh1", "换油时间：", "换油时间", FieldKind::Date),
                             fieldDef("DBNumberEditEh2", "单价：", "单价", FieldKind::Number, false, 4),
                             fieldDef("DBNumberEditEh3", "数量：", "数量", FieldKind::Number, false, 4),
                             fieldDef("DBNumberEditEh4", "金额：", "金额", FieldKind::ReadOnly),
                             fieldDef("DBEditEh2", "换油地点：", "换油地点", FieldKind::Text, true),
                             fieldDef("DBComboBoxEh2", "经办人：", "经办人", FieldKind::Combo, true),
                             fieldDef("DBEditEh4", "备注：", "备注", FieldKind::Text, true),
                         },
                         dm, owner)
{
    if (auto* amount = qobject_cast<QLineEdit*>(field(QStringLiteral("DBNumberEditEh4"))))
        amount->setAlignment(Qt::AlignRight);
    setReadOnlyEnter(QStringLiteral("DBNumberEditEh4"), QStringLiteral("DBEditEh2"));
}

void TForm_hyjlb_edit::assignBeforeWrite()
{
    query()->setValue(QStringLiteral("金额"), oilAmount(query()->asMoney(QStringLiteral("单价")), query()->value(QStringLiteral("数量"))));
}
