#pragma once
// The oil change, repair and accident registers: one list window, one edit dialog and one query
// dialog, configured per register (columns, fields, the amount computed before writing, the
// read-only amount field that Enter steps over).
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"
#include "ui/records/querydialog.h"

#include <functional>

// Everything one register window is: its list, edit and query rows together with its columns and
// fields, so no part of it is found by a name typed elsewhere.
struct RegisterConfig {
    ListWindowConfig list;    // className "TForm_hyjlb"
    EditDialogConfig edit;    // "TForm_hyjlb_edit"
    QueryDialogConfig query;  // "TForm_hyjlb_cx"
    QVector<GridColumn> columns;
    QVector<FieldDef> fields;
    QStringList enterChain = {};                  // columns; empty: the fields in order, read-only ones left out
    QString readOnlyAmount = {};                  // column of a read-only amount shown right-aligned
    QString readOnlyNext = {};                    // Enter in the read-only amount moves here (column); empty: it is in the chain
    std::function<void(RecordSet&)> assign = {};  // values computed just before the row is written
};

// The register's three rows, registered under their class names.
void describeWindow(const RegisterConfig& config);

class RegisterWindow : public ListWindow {
    Q_OBJECT
public:
    RegisterWindow(const RegisterConfig& config, TDm1* dm, QWidget* owner = nullptr);

    void onQuery() override;

protected:
    QDialog* createEditDialog() override;

private:
    const RegisterConfig& m_register;
};

class RegisterEditDialog : public EditDialog {
    Q_OBJECT
public:
    RegisterEditDialog(const RegisterConfig& config, TDm1* dm, QWidget* owner = nullptr);

protected:
    void assignBeforeWrite() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const RegisterConfig& m_register;
};

// The three registers, each a class of its own so that commands point at it and its description
// (spec(), in fleetconfig.cpp) sits beside it.
class TForm_hyjlb : public RegisterWindow {
    Q_OBJECT
public:
    TForm_hyjlb(QWidget* owner, TDm1* dm) : RegisterWindow(spec(), dm, owner) {}
    static const RegisterConfig& spec();
};

class TForm_wxjlb : public RegisterWindow {
    Q_OBJECT
public:
    TForm_wxjlb(QWidget* owner, TDm1* dm) : RegisterWindow(spec(), dm, owner) {}
    static const RegisterConfig& spec();
};

class TForm_sgjlb : public RegisterWindow {
    Q_OBJECT
public:
    TForm_sgjlb(QWidget* owner, TDm1* dm) : RegisterWindow(spec(), dm, owner) {}
    static const RegisterConfig& spec();
};
