#pragma once
// Operators and their five permission flags (权限表).
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"

class TForm_qxb : public ListWindow {
    Q_OBJECT
public:
    TForm_qxb(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();

protected:
    QDialog* createEditDialog() override;
    bool deleteAllowed() override;
};

class TForm_qxb_edit : public EditDialog {
    Q_OBJECT
public:
    TForm_qxb_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();

protected:
    // A new operator starts with the empty password, kept as its digest like every password.
    void initNewRow() override;
};
