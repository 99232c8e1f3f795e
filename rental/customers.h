#pragma once
// Customer register: the list of 客户登记表, its edit dialog with five pages and the photo, and the
// customer search that contract and reservation dialogs open.
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"
#include "rental/picker.h"

class PhotoPanel;
class QLabel;

class TForm_hyzlb : public ListWindow {
    Q_OBJECT
public:
    TForm_hyzlb(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();
    void onQuery() override;

protected:
    QDialog* createEditDialog() override;
};

class TForm_hyzlb_edit : public EditDialog {
    Q_OBJECT
public:
    TForm_hyzlb_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();
    // The dialog's fields (the spreadsheet import takes the same columns, limits and capitals).
    static QVector<FieldDef> fields();

    QPushButton* copyToDriverButton;  // 替换 (T) (SpeedButton3)
    PhotoPanel* photoPanel;

    // Photo path of the current row: <working folder>/jpg/<stored 客户照片>.
    QString currentPhotoPath() const;
    // 替换: the customer's own data copied to the driver (written by 存盘).
    void copyCustomerToDriver();

protected:
    bool addGuardPasses() override;
    bool moduleChecks() override;
    void assignBeforeWrite() override;
};

// Customer search. The caller sets the mode (purposeLabel: "租赁" from the contract dialog, "预订"
// from the reservation dialog) and lists every customer by name; the chosen customer's number and name
// go into the record of the calling dialog, which writes them on its 存盘.
class TForm_search_kh : public PickWindow {
    Q_OBJECT
public:
    TForm_search_kh(EditDialog* target, TDm1* dm, QWidget* owner = nullptr);

    QLabel* purposeLabel;  // the mode, hidden (Label1)

    // The caller's preparation: every customer, blocked ones included, in name order.
    void listAll();

protected:
    std::optional<QString> condition(const QString& mode, const QString& text) const override;
    void choose() override;
    bool event(QEvent* event) override;

private:
    EditDialog* m_target;
};

// Opens the customer search for a contract ("租赁") or reservation ("预订") dialog, then puts the
// focus on the dialog's vehicle drop-down.
void searchCustomer(EditDialog* caller, TDm1* dm, const QString& mode);
