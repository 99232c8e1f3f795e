#pragma once
// Accidents: list, edit dialog and query of 事故登记表.
#include "fleet/registers.h"

class TForm_sgjlb : public RegisterWindow {
    Q_OBJECT
public:
    TForm_sgjlb(QWidget* owner, TDm1* dm);

protected:
    EditDialog* makeEditDialog() override;
    QueryDialog* makeQueryDialog() override;
};

class TForm_sgjlb_edit : public RegisterEditDialog {
    Q_OBJECT
public:
    TForm_sgjlb_edit(QWidget* owner, TDm1* dm);
};

class TForm_sgjlb_cx : public RegisterQueryDialog {
    Q_OBJECT
public:
    TForm_sgjlb_cx(QWidget* owner, TDm1* dm) : RegisterQueryDialog(QStringLiteral("TForm_sgjlb_cx"), dm, owner) {}
};
