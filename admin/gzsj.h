#pragma once
// Closing date: the single row of 关帐日期, edited in place through q_gzsj, which the caller opens
// ("select * from 关帐日期"). Saving also makes it the closing date of the run.
#include <QDialog>

class QDateEdit;
class QPushButton;
class TDm1;

class TForm_gzsj : public QDialog {
    Q_OBJECT
public:
    TForm_gzsj(QWidget* owner, TDm1* dm);

    void save();  // 保存
    void loadRow();

    QDateEdit* DBDateEdit1;
    QPushButton* saveButton;   // 保存 (bitbtn_ok)
    QPushButton* closeButton;  // 返回 (bitbtn_close)

protected:
    void showEvent(QShowEvent* event) override;

private:
    TDm1* m_dm;
};
