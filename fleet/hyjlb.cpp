#include "fleet/hyjlb.h"
#include "data/datamodule.h"

#include <QLineEdit>
#include <QLocale>
#include <cmath>
#include <limits>

namespace {

// The shortest decimal text that reads back as the stored number: what the clerk typed.
// Split into an integer of its digits and the count of decimals.
bool decimalOf(const QVariant& v, __int128* digits, int* scale)
{
    QString text;
    if (v.metaType().id() == QMetaType::QString) {
        text = v.toString().trimmed();
    } else {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return false;
        text = QString::number(d, 'f', QLocale::FloatingPointShortest);
    }
    bool negative = false;
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))) {
        negative = text.startsWith(QLatin1Char('-'));
        text.remove(0, 1);
    }
    const int dot = text.indexOf(QLatin1Char('.'));
    QString whole = dot < 0 ? text : text.left(dot);
    QString frac = dot < 0 ? QString() : text.mid(dot + 1);
    while (frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    QString all = whole + frac;
    while (all.startsWith(QLatin1Char('0')))
        all.remove(0, 1);
    if (all.isEmpty()) {
        *digits = 0;
        *scale = 0;
        return true;
    }
    // Beyond 36 places or 30 digits the product cannot be a money amount anyway.
    if (frac.size() > 36 || all.size() > 30)
        return false;
    __int128 n = 0;
    for (QChar c : all) {
        if (!c.isDigit())
            return false;
        n = n * 10 + (c.unicode() - '0');
    }
    *digits = negative ? -n : n;
    *scale = int(frac.size());
    return true;
}

} // namespace

Money oilAmount(Money unitPrice, const QVariant& quantity)
{
    if (!quantity.isValid() || quantity.isNull())
        return Money();
    __int128 digits = 0;
    int scale = 0;
    if (!decimalOf(quantity, &digits, &scale)) {
        if (quantity.metaType().id() == QMetaType::QString && quantity.toString().trimmed().isEmpty())
            return Money();
        throw DbError(QStringLiteral("'%1' 不是有效的数值").arg(quantity.toString()));
    }
    __int128 divisor = 1;
    for (int i = 0; i < scale; ++i)
        divisor *= 10;
    const bool negative = (digits < 0) != (unitPrice.units() < 0);
    __int128 a = digits < 0 ? -digits : digits;
    const __int128 p = unitPrice.units() < 0 ? -__int128(unitPrice.units()) : __int128(unitPrice.units());
    // p < 2^63 and a < 10^30: the product stays below 2^127.
    if (a != 0 && p > (((__int128(1) << 126) - 1) / a))
        throw DbError(QStringLiteral("金额超出范围"));
    const __int128 product = p * a;
    __int128 q = product / divisor;
    const __int128 r = product % divisor;
    if (2 * r > divisor || (2 * r == divisor && (q % 2) != 0))
        ++q;
    if (q > std::numeric_limits<qint64>::max())
        throw DbError(QStringLiteral("金额超出范围"));
    return Money::fromUnits(negative ? -qint64(q) : qint64(q));
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
