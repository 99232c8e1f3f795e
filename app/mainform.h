#pragma once
// The program's one long-lived window: menus and tool buttons built from the command table,
// the scrolling company text, the background picture and the status bar.
#include <QMainWindow>
#include <functional>
#include <memory>

#include "app/commands.h"

class QAction;
class QDialog;
class QLabel;
class QStatusBar;
class QTimer;
class QToolButton;
class QWidget;
class RecordSet;
class TDm1;

class TForm_main : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm_main(QWidget* parent = nullptr);
    ~TForm_main() override;

    // The data module is created after the main window and given to it before the loop starts.
    void setDm(TDm1* dm) { m_dm = dm; }
    TDm1* dm() const { return m_dm; }

    void FormCreate();
    // First activation: connect, read closing date and company information, log in, gate, remind.
    void FormActivate();
    void Timer1Timer();

    // Runs one command of the table (the menu item's or tool button's click).
    void runCommand(const Command& c);
    void runCommand(const QString& menuItem);

    // Enables every gated command, then disables what the operator's flags exclude.
    void applyGating();

    bool loggedIn() const { return m_loggedIn; }
    bool autoRemind() const { return m_autoRemind; }
    bool closed() const { return m_closed; }
    QString statusPanel(int index) const;
    QLabel* scrollingText() const { return Label1; }
    QWidget* scrollPanel() const { return Panel5; }
    QAction* menuItem(const QString& objectName) const;
    QToolButton* toolButton(const QString& objectName) const;
    // Folder the layout files and the database are found below.
    QString homeFolder() const { return m_home; }
    // The maintenance module may take over the whole 数据恢复 sequence.
    using RestoreCommand = std::function<void(QWidget* owner, TDm1* dm, const QString& homeFolder)>;
    void setRestoreCommand(RestoreCommand command) { m_restoreCommand = std::move(command); }

    // The commands by what they do; the menu items keep their designer names ("N2") as objectName.
    void openOperators() { runCommand(QStringLiteral("N2")); }               // 操作员及权限
    void openPasswordChange() { runCommand(QStringLiteral("N3")); }          // 修改操作员口令
    void openOperatorSwitch() { runCommand(QStringLiteral("N4")); }          // 更换操作员
    void openBackup() { runCommand(QStringLiteral("N6")); }                  // 数据备份
    void openRestore() { runCommand(QStringLiteral("N7")); }                 // 数据恢复
    void exitProgram() { runCommand(QStringLiteral("N9")); }                 // 退出系统
    void openVehicles() { runCommand(QStringLiteral("N11")); }               // 车辆档案
    void openCustomers() { runCommand(QStringLiteral("N13")); }              // 客户资料登记
    void openContracts() { runCommand(QStringLiteral("N14")); }              // 汽车租赁登记表
    void openPayments() { runCommand(QStringLiteral("N15")); }               // 客户付款情况
    void openSettlements() { runCommand(QStringLiteral("N16")); }            // 汽车租赁结算
    void openCompanyInfo() { runCommand(QStringLiteral("N18")); }            // 公司信息
    void openSummaryCodes() { runCommand(QStringLiteral("N19")); }           // 摘要设置
    void openOilChanges() { runCommand(QStringLiteral("N21")); }             // 汽车换油登记
    void openRepairs() { runCommand(QStringLiteral("N22")); }                // 汽车维修登记
    void openCashJournal() { runCommand(QStringLiteral("N24")); }            // 当月现金日记帐
    void showHelp() { runCommand(QStringLiteral("N27")); }                   // 帮助系统
    void openAbout() { runCommand(QStringLiteral("N32")); }                  // 关于...
    void openVehicleIncome() { runCommand(QStringLiteral("N33")); }          // 单车租赁收入统计
    void openCustomerIncome() { runCommand(QStringLiteral("N34")); }         // 客户租赁统计
    void openMonthlyIncome() { runCommand(QStringLiteral("N35")); }          // 收入统计汇总(按月份)
    void openReturns() { runCommand(QStringLiteral("N37")); }                // 客户交车情况
    void openVehicleCustomerIncome() { runCommand(QStringLiteral("N38")); }  // 单车租赁收入统计(按客户)
    void openCashBySummary() { runCommand(QStringLiteral("N39")); }          // 现金统计(按摘要)
    void openClosingDate() { runCommand(QStringLiteral("N41")); }            // 结算时间
    void openRentalState() { runCommand(QStringLiteral("N44")); }            // 车辆租赁情况
    void openReminders() { runCommand(QStringLiteral("N45")); }              // 提醒功能
    void openReminderSettings() { runCommand(QStringLiteral("N47")); }       // 提醒功能初始化
    void openHandlers() { runCommand(QStringLiteral("N48")); }               // 经办人信息
    void openHandlerIncome() { runCommand(QStringLiteral("N49")); }          // 按经办人统计
    void openAccidents() { runCommand(QStringLiteral("N50")); }              // 事故登记表
    void openVehicleDetail() { runCommand(QStringLiteral("N51")); }          // 车辆收入费用明细表
    void openVehicleSummary() { runCommand(QStringLiteral("N52")); }         // 车辆收入费用汇总表
    void clearLayouts() { runCommand(QStringLiteral("N54")); }               // 界面初始化
    void openDataInitialization() { runCommand(QStringLiteral("N56")); }     // 数据初始化
    void openReservations() { runCommand(QStringLiteral("N57")); }           // 客户预订汽车

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void setScrollText(const QString& text);
    std::unique_ptr<QDialog> createWindow(const Command& c, RecordSet* query);
    void prepare(RecordSet& q, const QStringList& lines);
    void openWindow(const Command& c);
    void openScratchWindow(const Command& c);
    void switchOperator();
    void restore();
    void resetLayouts();
    void autoReminder();
    void showOperator();

    TDm1* m_dm = nullptr;
    bool m_loggedIn = false;
    bool m_activated = false;
    bool m_autoRemind = false;
    bool m_closed = false;
    QString m_home;
    RestoreCommand m_restoreCommand;

    QWidget* Panel2 = nullptr;
    QWidget* Panel5 = nullptr;
    QLabel* Label1 = nullptr;
    QWidget* Image1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* m_panels[4] = {};
    QTimer* Timer1 = nullptr;
};
