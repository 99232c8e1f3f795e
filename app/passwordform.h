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

    void FormActivate();
    void BitBtn_OKClick();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void forgetNew();  // empties the new password and its confirmation

    TDm1* m_dm;
    QLabel* Label_name;
    QLineEdit* MaskEdit3;  // old
    QLineEdit* MaskEdit1;  // new
    QLineEdit* MaskEdit2;  // confirmation
    QPushButton* bitbtn_ok;
    QPushButton* bitbtn1;
};
