#pragma once
// The reminder parameters: the list TForm_txcsb over the six rows of 提醒功能初始表 and the edit
// dialog TForm_txcsb_edit, which changes only a row's lead (names fixed, rows never added or deleted).
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"

#include <optional>

// The lead a save accepts: a whole number above zero (the field takes at most 5000); the refusal
// message otherwise.
std::optional<QString> leadRefusal(const QVariant& lead);

class TForm_txcsb : public ListWindow {
    Q_OBJECT
public:
    TForm_txcsb(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();

protected:
    QDialog* createEditDialog() override;
};

class TForm_txcsb_edit : public EditDialog {
    Q_OBJECT
public:
    TForm_txcsb_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();

protected:
    bool moduleChecks() override;
};
