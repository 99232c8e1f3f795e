#pragma once
// Repairs: list, edit dialog and query of 车辆维修记录表.
#include "core/money.h"
#include "fleet/registers.h"

// 总费用 of a repair: the exact sum of its three costs (empty ones count as 0).
inline Money repairTotal(Money materials, Money labour, Money other) { return materials + labour + other; }

class TForm_wxjlb : public RegisterWindow {
    Q_OBJECT
public:
    TForm_wxjlb(QWidget* owner, TDm1* dm);

protected:
    EditDialog* makeEditDialog() override;
    QueryDialog* makeQueryDialog() override;
};

class TForm_wxjlb_edit : public RegisterEditDialog {
    Q_OBJECT
public:
    TForm_wxjlb_edit(QWidget* owner, TDm1* dm);

protected:
    void assignBeforeWrite() override;
};

class TForm_wxjlb_cx : public RegisterQueryDialog {
    Q_OBJECT
public:
    TForm_wxjlb_cx(QWidget* owner, TDm1* dm) : RegisterQueryDialog(QStringLiteral("TForm_wxjlb_cx"), dm, owner) {}
};
