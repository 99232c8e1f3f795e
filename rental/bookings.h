#pragma once
// Reservations (客户预订汽车) and rental contracts (汽车租赁登记表): their lists, their edit dialogs
// on one shared base (numbering, the customer, vehicle and handler drop-downs, the customer search
// by button or F2), and the reservation chooser of the contract dialog.
#include "rental/availability.h"
#include "rental/picker.h"
#include "rental/rentalrules.h"
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"

class QLabel;
class QToolButton;

// What differs between the reservation and the contract dialog.
struct BookingKind {
    QString table;       // numbered table
    QString prefix;      // "ZL" / "YD"
    QString searchMode;  // "租赁" / "预订"
};

class BookingDialog : public EditDialog {
    Q_OBJECT
public:
    BookingDialog(const EditDialogConfig& config, const BookingKind& kind, const QVector<FieldDef>& fields, TDm1* dm, QWidget* owner);

    // The rows both dialogs open with (number, customer, name, vehicle), followed by the rest.
    static QVector<FieldDef> withPartyFields(const QVector<FieldDef>& rest);

    QToolButton* searchButton;  // tooltip 查找客户
    QLabel* searchNote;         // (F2键查找客户)

    // The customer search (button or F2).
    void searchCustomerClick();
    // Leaving the customer drop-down with an entry of its list: the name after the entry's first blank.
    void customerLeft();
    // Fills the vehicle, customer and handler drop-downs (in service and not blocked only).
    void fillDropDowns();
    void fitCustomerWidth(const QVector<LookupItem>& items);

protected:
    bool addGuardPasses() override;
    void initNewRow() override;
    // The values the checks read, from the row.
    Rental::BookingValues bookingValues() const;
    // The vehicle of the row exists (a typed plate may not); said and focused otherwise.
    bool vehicleKnown();
    // Inside the save's transaction: a new row whose number another workstation has taken since
    // 增加 takes the next free one.
    void keepNumberFree();
    // The row takes a vehicle or a period it did not hold as stored: a new row, another plate (as
    // the engine's `=` compares plates), another 发车日期 or 租赁期限.
    bool vehicleChanged() const;
    bool periodChanged() const;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    const BookingKind m_kind;

private:
    QString m_proposed;
};

// A list whose 查询 dialog takes the plates, customers and handlers in its drop-downs.
class BookingListWindow : public ListWindow {
    Q_OBJECT
public:
    BookingListWindow(const ListWindowConfig& config, TDm1* dm, QWidget* owner);

protected:
    void prepareQueryDialog(QueryDialog* dialog) override;
};

// ---- reservations ----

class TForm_khydqc : public BookingListWindow {
    Q_OBJECT
public:
    TForm_khydqc(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();
    // 执行完毕: the current reservation is carried out and its vehicle loses the reservation.
    void doneClick();

protected:
    QDialog* createEditDialog() override;
};

class TForm_khydqc_edit : public BookingDialog {
    Q_OBJECT
public:
    TForm_khydqc_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();

protected:
    void fillDefaults() override;
    bool moduleChecks() override;
    // An open reservation over another booking of its vehicle is saved only when the clerk says so.
    bool prepareWrite() override;
    void writeRecord() override;
};

// ---- contracts ----

class TForm_qczlb : public BookingListWindow {
    Q_OBJECT
public:
    TForm_qczlb(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();

protected:
    QDialog* createEditDialog() override;
};

class TForm_qczlb_edit : public BookingDialog {
    Q_OBJECT
public:
    TForm_qczlb_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();

    QPushButton* reservationButton;    // 客户预订
    QPushButton* printButton;          // 打印合同
    QPushButton* handoverButton;       // 交车检查
    QPushButton* handoverPrintButton;  // 打印检查单

    // 打印合同: the stored contract's agreement from the office's template, in the print preview.
    void printAgreementClick();
    // 交车检查: the stored contract's dispatch sheet; 打印检查单: both stages' sheets on paper.
    void handoverClick();
    void printHandoverClick();
    // 客户预订: the reservation chooser (only while adding).
    void reservationClick();
    // The chooser's choice: its terms copied into the contract, the reservation tied to it.
    void takeReservation(const RecordSet& reservation);
    // 应收租金 as typed so far (shown live; stored by 存盘).
    void showRentDue();
    void rememberReservation(const QString& number) { m_reservation = number; }
    const QString& chosenReservation() const { return m_reservation; }
    // The new row was given up: its reservation is no longer chosen, nor tied to its number.
    void forgetReservation();

protected:
    void initNewRow() override;
    // False, said with the action named, while the row has typed changes or is not yet stored.
    bool contractStored(const QString& action);
    bool moduleChecks() override;
    // The availability rules, early: refused before anything is written.
    bool prepareWrite() override;
    void assignBeforeWrite() override;
    // Checks the availability rules again under the write lock, so of two workstations saving
    // overlapping contracts at once only the first is stored.
    void writeRecord() override;
    void cleanUp() override;

private:
    // The row as the availability rules read it (a new row's own number passes over nothing).
    Rental::ContractSave contractSave() const;

    QString m_reservation;  // the chosen reservation's number
};

class TForm_qczlb_khyd : public PickWindow {
    Q_OBJECT
public:
    TForm_qczlb_khyd(TForm_qczlb_edit* contract, TDm1* dm);

protected:
    std::optional<QString> condition(const QString& mode, const QString& text) const override;
    void choose() override;

private:
    TForm_qczlb_edit* m_contract;
};
