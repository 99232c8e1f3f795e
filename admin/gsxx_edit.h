#pragma once
// Company information: the single row of 公司信息, edited in place through q_gsxx, which the
// caller opens ("select * from 公司信息"). The window shows the row whenever q_gsxx is (re)opened.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TDm1;

class TForm_gsxx_edit : public QDialog {
    Q_OBJECT
public:
    TForm_gsxx_edit(QWidget* owner, TDm1* dm);

    void save();     // 保存
    void loadRow();  // the fields from the current row of q_gsxx

    QLineEdit* DBEdit1;         // 公司名称
    QLineEdit* DBEdit2;         // 公司地址
    QLineEdit* DBEdit3;         // 联系电话
    QLineEdit* DBEdit4;         // 联系人
    QLineEdit* DBEdit5;         // 邮政编码
    QLineEdit* DBEdit6;         // 系统标题
    QLineEdit* DBEdit7;         // 动态文字
    QCheckBox* DBCheckBox1;     // 自动提醒
    QPushButton* saveButton;    // 保存 (bitbtn2)
    QPushButton* returnButton;  // 返回 (SpeedButton2)

protected:
    void showEvent(QShowEvent* event) override;

private:
    TDm1* m_dm;
};
