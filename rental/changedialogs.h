#pragma once
// The windows of 续租 and 换车 on an open contract, the entry points the contract list and the
// planner call, and the read-only change history the contract dialog shows. The rules are in
// contractchanges.h; these windows only gather what the clerk types and say the outcome.
#include "rental/contractchanges.h"

#include <QDialog>
#include <QTableWidget>

class CalcEdit;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RecordSet;
class TDm1;

// 续租: the current term and planned return shown, a new term or a new return date typed.
class ExtendDialog : public QDialog {
    Q_OBJECT
public:
    ExtendDialog(QWidget* parent, TDm1* dm, const Rental::OpenContract& contract);

    CalcEdit* termEdit;         // 新租赁期限
    QLineEdit* returnDateEdit;  // 新还车日期, or the term's date
    QLabel* rentDueLabel;       // 应收租金 at the new term
    QPushButton* saveButton;    // 存盘 (bitbtn_save)
    QPushButton* closeButton;   // 返回 (bitbtn_close)

    // 存盘: the change through the rule; the reservation question asked when one is in the way.
    void save();

private:
    void termTyped();
    void dateTyped();
    void showRentDue(qint64 days);

    TDm1* m_dm;
    Rental::OpenContract m_contract;
};

// 换车: a vehicle free for the rest of the period, the odometers at the swap.
class SwapDialog : public QDialog {
    Q_OBJECT
public:
    SwapDialog(QWidget* parent, TDm1* dm, const Rental::OpenContract& contract);

    QComboBox* vehicleBox;      // vehicles in service free for the rest of the period
    CalcEdit* odometerEdit;     // the old vehicle's odometer
    CalcEdit* newOdometerEdit;  // the new vehicle's odometer, proposed from its 公里数
    QLabel* startLabel;         // the contract's new 发车里程
    QPushButton* saveButton;    // 存盘 (bitbtn_save)
    QPushButton* closeButton;   // 返回 (bitbtn_close)

    void save();

private:
    void vehicleChosen();
    void showNewStart();

    TDm1* m_dm;
    Rental::OpenContract m_contract;
};

// A contract's change log, read-only, oldest first; empty for no contract.
class ChangeHistoryView : public QTableWidget {
    Q_OBJECT
public:
    ChangeHistoryView(TDm1* dm, QWidget* parent = nullptr);
    void showContract(const QString& number);
    // Follows the current row of a contract query: its number's history, none while adding.
    void follow(RecordSet* contracts);

private:
    TDm1* m_dm;
};

namespace ContractChanges {
// Open the dialog on the contract (refused with a message when it is not open); true when the
// change was saved.
bool extendContract(QWidget* parent, TDm1* dm, const QString& number);
bool swapVehicle(QWidget* parent, TDm1* dm, const QString& number);
// The same on the current row of a contract list, whose row is then read again.
bool extendCurrent(QWidget* parent, TDm1* dm, RecordSet* contracts);
bool swapCurrent(QWidget* parent, TDm1* dm, RecordSet* contracts);
}  // namespace ContractChanges
