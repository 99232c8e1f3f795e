#pragma once
// The later stages of a contract: payment notes, the vehicle's return, the settlement with its
// posting into the cash journal, and the rental state of the fleet with its manual corrections.
#include "rental/bookings.h"
#include "rental/settlement.h"
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"

class QCheckBox;
class QFormLayout;
class QLineEdit;
class QToolButton;

// A list over the contract query whose 查询 is the contract query dialog (its row says so) and
// whose 编辑 needs a contract.
class ContractListWindow : public BookingListWindow {
    Q_OBJECT
public:
    ContractListWindow(const ListWindowConfig& config, TDm1* dm, QWidget* owner);

protected:
    bool editAllowed() override;
};

// ---- payment notes ----

class TForm_qczl_fkqk : public ContractListWindow {
    Q_OBJECT
public:
    TForm_qczl_fkqk(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();

protected:
    QDialog* createEditDialog() override;
};

class TForm_qczl_fkqk_edit : public EditDialog {
    Q_OBJECT
public:
    TForm_qczl_fkqk_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();
};

// ---- return ----

class TForm_qczljcb : public ContractListWindow {
    Q_OBJECT
public:
    TForm_qczljcb(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();

protected:
    QDialog* createEditDialog() override;
};

class TForm_qczljcb_edit : public EditDialog {
    Q_OBJECT
public:
    TForm_qczljcb_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();

    QPushButton* handoverButton;       // 收车检查: the return's sheet, beside the dispatch's
    QPushButton* handoverPrintButton;  // 打印检查单

protected:
    bool moduleChecks() override;
    void writeRecord() override;
};

// ---- settlement ----

class TForm_qczljsd : public ContractListWindow {
    Q_OBJECT
public:
    TForm_qczljsd(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();

protected:
    QDialog* createEditDialog() override;
};

class TForm_qczljsd_edit : public EditDialog {
    Q_OBJECT
public:
    TForm_qczljsd_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();

    QCheckBox* autoCalculate;               // 自动计算 (CheckBox1)
    QCheckBox* postToJournal;               // 生成现金帐 (CheckBox2)
    QPushButton* calculateButton;           // 计算 (&C) (SpeedButton1)
    QToolButton* settlerFromHandlerButton;  // 结算人 = 经办人 (SpeedButton3)
    QToolButton* payerFromRenterButton;     // 交款人 = 租车人 (SpeedButton2)
    QToolButton* paidTodayButton;           // 收款日期 = today (SpeedButton4)
    QPushButton* printButton;               // 打印结算单
    QLineEdit* unpaidFinesLine;             // the contract's fines not yet paid, read-only

    // Fills the 结算人 drop-down with the handlers.
    void fillSettlers();
    // 计算: the checks, then the amounts into the row; true when they were calculated into it.
    bool calculateIntoRow();
    void settlerFromHandler();
    void payerFromRenter();
    void paidToday();
    // 输入天数 ticked: 租赁期限 is typed; otherwise it is computed and read-only.
    void showDaysTyped();
    // On showing: 生成现金帐 as the settings say, the contract into editing.
    void onShown();
    // 打印结算单: the stored settlement's receipt in the print preview; refused while the fields or
    // the row hold anything not yet saved, since the receipt shows only what is stored.
    void printReceipt();

    // The values the calculation reads: typed so far, otherwise the row's.
    Settlement::Input input() const;
    // The checks of 计算 and 存盘 on the values typed so far; the row, the database and the clerk
    // are left alone. With calculated (计算, 存盘 with 自动计算) the amount received is checked
    // against the 收费金额 this calculation charges, the one shown live, not an earlier one's.
    std::optional<Settlement::Refusal> validate(bool calculated) const;
    // While 自动计算 is ticked the computed fields follow the typing.
    void showLiveCalculation();

protected:
    bool moduleChecks() override;
    bool prepareWrite() override;
    void writeRecord() override;
    void cleanUp() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The constructor's steps: the four areas of fields side by side, then what stands beside them.
    QFormLayout* addArea(const QVector<FieldDef>& fields);
    void addContractArea();
    QFormLayout* addReturnArea();
    void addExtrasArea();
    QFormLayout* addPaymentArea();
    void addDaysTypedBox(QFormLayout* returnArea);
    void addFillButtons(QFormLayout* paymentArea);
    void addCalculationButtons();
    void setUpEnterKeys();

    // Says a refusal of validate(): its message, its field focused, 帐款结清 unticked where the rule
    // says so. Always false.
    bool refuse(const Settlement::Refusal& refusal);
    // The calculation of the row into its computed columns; what the row cannot hold is said and
    // the contract goes back as it was (false).
    bool storeCalculation();

    QHBoxLayout* m_areas = nullptr;
    bool m_post = false;  // the clerk said Yes to posting the received money
};

// ---- rental state of the fleet ----

class TForm_qczlqkb : public ListWindow {
    Q_OBJECT
public:
    TForm_qczlqkb(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();
    // 清除预订 and 清除租赁 of the current vehicle, after the clerk's Yes.
    void clearReservation();
    void clearRental();

protected:
    QDialog* createEditDialog() override;
    bool editAllowed() override;
};

class TForm_qczlqkb_edit : public EditDialog {
    Q_OBJECT
public:
    TForm_qczlqkb_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();

protected:
    bool moduleChecks() override;
};
