#pragma once
// Handlers: the staff names the handler drop-downs offer (经办人信息).
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"

class TForm_jbr : public ListWindow {
    Q_OBJECT
public:
    TForm_jbr(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();

protected:
    QDialog* createEditDialog() override;
};

class TForm_jbr_edit : public EditDialog {
    Q_OBJECT
public:
    TForm_jbr_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();
};
