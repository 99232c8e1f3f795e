#pragma once
// Backup: a consistent copy of the database the connection is using, written to a file the
// operator names.
#include <QDialog>

class QLineEdit;
class QPushButton;
class TDm1;

// The layout backup and restore share: a read-only file name with a browse button, the action
// button and 返回.
class DatabaseFileWindow : public QDialog {
    Q_OBJECT
public:
    QLineEdit* fileEdit;        // Edit1
    QPushButton* actionButton;  // the action (SpeedButton1)
    QPushButton* returnButton;  // 返回 (SpeedButton2)
    QPushButton* browseButton;  // browse (SpeedButton3)

protected:
    DatabaseFileWindow(QWidget* owner, const QString& objectName, const QString& caption, const QString& action);
};

class TForm_backup : public DatabaseFileWindow {
    Q_OBJECT
public:
    TForm_backup(QWidget* owner, TDm1* dm);

    void backUp();             // 备份
    void chooseDestination();  // the browse button

private:
    TDm1* m_dm;
};

// Filters of the backup and restore file dialogs.
QStringList databaseFileFilters();
