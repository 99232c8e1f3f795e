#pragma once
// Backup: a consistent copy of the database the connection is using, written to a file the
// operator names.
#include <QDialog>

class QLineEdit;
class QPushButton;
class TDm1;

class TForm_backup : public QDialog {
    Q_OBJECT
public:
    TForm_backup(QWidget* owner, TDm1* dm);

    void SpeedButton1Click();  // 备份
    void SpeedButton3Click();  // choose the destination

    QLineEdit* Edit1;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton2;
    QPushButton* SpeedButton3;

private:
    TDm1* m_dm;
};

// Filters of the backup and restore file dialogs.
QStringList databaseFileFilters();
