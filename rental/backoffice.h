#pragma once
// The later stages of a contract: payment notes, the vehicle's return, the settlement with its
// posting into the cash journal, and the rental state of the fleet with its manual corrections.
#include "rental/bookings.h"
#include "rental/settlement.h"
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"

class QCheckBox;
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

    QCheckBox* CheckBox1;  // 自动计算
    QCheckBox* CheckBox2;  // 生成现金帐
    QPushButton* SpeedButton1;  // 计算 (&C)
    QToolButton* SpeedButton3;  // 结算人 = 经办人
    QToolButton* SpeedButton2;  // 交款人 = 租车人
    QToolButton* SpeedButton4;  // 收款日期 = today

    // Fills the 结算人 drop-down with the handlers.
    void fillSettlers();
    // 计算: true when the amounts were calculated into the row.
    bool SpeedButton1Click();
    void SpeedButton3Click();
    void SpeedButton2Click();
    void SpeedButton4Click();
    // 输入天数 ticked: 租赁期限 is typed; otherwise it is computed and read-only.
    void DBCheckBoxEh2Click();
    void FormActivate();

    // The values the calculation reads: typed so far, otherwise the row's.
    Settlement::Input input() const;
    // While 自动计算 is ticked the computed fields follow the typing.
    void showLiveCalculation();

protected:
    bool moduleChecks() override;
    void writeRecord() override;
    void cleanUp() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The checks of 计算 and 存盘: a refusal is said, its field focused, 帐款结清 unticked where
    // the rule says so.
    bool refused(const Settlement::Input& in);

    bool m_post = false;  // the clerk said Yes to posting the received money
};

// ---- rental state of the fleet ----

class TForm_qczlqkb : public ListWindow {
    Q_OBJECT
public:
    TForm_qczlqkb(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();
    void SpeedButton1Click();  // 清除预订
    void SpeedButton2Click();  // 清除租赁

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
