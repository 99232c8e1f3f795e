#pragma once
// Oil changes: list, edit dialog and query of 换油记录表.
#include "core/money.h"
#include "fleet/registers.h"

#include <QVariant>

// 金额 of an oil change: 单价 × 数量 in exact decimal arithmetic, rounded to the four decimals of
// money (an exact half to the even neighbour). An empty quantity counts as 0. The quantity is
// taken as the decimal number it was entered as, never through binary fractions.
Money oilAmount(Money unitPrice, const QVariant& quantity);

class TForm_hyjlb : public RegisterWindow {
    Q_OBJECT
public:
    TForm_hyjlb(QWidget* owner, TDm1* dm);

protected:
    EditDialog* makeEditDialog() override;
    QueryDialog* makeQueryDialog() override;
};

class TForm_hyjlb_edit : public RegisterEditDialog {
    Q_OBJECT
public:
    TForm_hyjlb_edit(QWidget* owner, TDm1* dm);

protected:
    void assignBeforeWrite() override;
};

class TForm_hyjlb_cx : public RegisterQueryDialog {
    Q_OBJECT
public:
    TForm_hyjlb_cx(QWidget* owner, TDm1* dm) : RegisterQueryDialog(QStringLiteral("TForm_hyjlb_cx"), dm, owner) {}
};
