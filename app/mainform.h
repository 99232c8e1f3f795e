#pragma once
// The program's one long-lived window: menus and tool buttons built from the command table,
// the scrolling company text, the background picture and the status bar.
#include <QMainWindow>
#include <functional>

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

    void N2Click() { runCommand(QStringLiteral("N2")); }
    void N3Click() { runCommand(QStringLiteral("N3")); }
    void N4Click() { runCommand(QStringLiteral("N4")); }
    void N6Click() { runCommand(QStringLiteral("N6")); }
    void N7Click() { runCommand(QStringLiteral("N7")); }
    void N9Click() { runCommand(QStringLiteral("N9")); }
    void N11Click() { runCommand(QStringLiteral("N11")); }
    void N13Click() { runCommand(QStringLiteral("N13")); }
    void N14Click() { runCommand(QStringLiteral("N14")); }
    void N15Click() { runCommand(QStringLiteral("N15")); }
    void N16Click() { runCommand(QStringLiteral("N16")); }
    void N18Click() { runCommand(QStringLiteral("N18")); }
    void N19Click() { runCommand(QStringLiteral("N19")); }
    void N21Click() { runCommand(QStringLiteral("N21")); }
    void N22Click() { runCommand(QStringLiteral("N22")); }
    void N24Click() { runCommand(QStringLiteral("N24")); }
    void N27Click() { runCommand(QStringLiteral("N27")); }
    void N32Click() { runCommand(QStringLiteral("N32")); }
    void N33Click() { runCommand(QStringLiteral("N33")); }
    void N34Click() { runCommand(QStringLiteral("N34")); }
    void N35Click() { runCommand(QStringLiteral("N35")); }
    void N37Click() { runCommand(QStringLiteral("N37")); }
    void N38Click() { runCommand(QStringLiteral("N38")); }
    void N39Click() { runCommand(QStringLiteral("N39")); }
    void N41Click() { runCommand(QStringLiteral("N41")); }
    void N44Click() { runCommand(QStringLiteral("N44")); }
    void N45Click() { runCommand(QStringLiteral("N45")); }
    void N47Click() { runCommand(QStringLiteral("N47")); }
    void N48Click() { runCommand(QStringLiteral("N48")); }
    void N49Click() { runCommand(QStringLiteral("N49")); }
    void N50Click() { runCommand(QStringLiteral("N50")); }
    void N51Click() { runCommand(QStringLiteral("N51")); }
    void N52Click() { runCommand(QStringLiteral("N52")); }
    void N54Click() { runCommand(QStringLiteral("N54")); }
    void N56Click() { runCommand(QStringLiteral("N56")); }
    void N57Click() { runCommand(QStringLiteral("N57")); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void setScrollText(const QString& text);
    QDialog* createWindow(const Command& c, RecordSet* query);
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
