#pragma once
// The traffic fines register 违章登记: its list, edit and query dialogs on the shapes of the vehicle
// registers; the edit dialog shows, and its save stores, the renter the fine is charged to.
#include "fleet/registers.h"

class QLineEdit;

class FinesWindow : public RegisterWindow {
    Q_OBJECT
public:
    FinesWindow(QWidget* owner, TDm1* dm) : RegisterWindow(spec(), dm, owner) {}
    static const RegisterConfig& spec();

    void onQuery() override;

protected:
    QDialog* createEditDialog() override;
};

class FineEditDialog : public RegisterEditDialog {
    Q_OBJECT
public:
    FineEditDialog(TDm1* dm, QWidget* owner = nullptr);

    // 违章承担: the contract, renter and phone of the moment and plate in the fields (本公司 for none).
    QLineEdit* renterLine = nullptr;
    // Reads the match again from what the fields hold now.
    void showRenter();

protected:
    void fillDefaults() override;
    void initNewRow() override;
    void afterWrite() override;
    void showEvent(QShowEvent* event) override;
};
