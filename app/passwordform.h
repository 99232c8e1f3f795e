#pragma once
// The current operator changes his own password. The caller stands q_qxb on the operator's row.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TDm1;

class TForm_password : public QDialog {
    Q_OBJECT
public:
    TForm_password(QWidget* owner, TDm1* dm);

    // On showing: the operator's name, the focus in the old password.
    void onShown();
    // 保存: the old password checked, the new one twice the same and not empty, its digest stored.
    void savePassword();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void forgetNew();  // empties the new password and its confirmation

    TDm1* m_dm;
    QLabel* nameLabel;          // Label_name
    QLineEdit* oldPassword;     // MaskEdit3
    QLineEdit* newPassword;     // MaskEdit1
    QLineEdit* confirmation;    // MaskEdit2
    QPushButton* saveButton;    // 保存 (bitbtn_ok)
    QPushButton* returnButton;  // 返回 (bitbtn1)
};
