#pragma once
// Data initialization: empties the business tables the operator ticks. Enter means 取消.
#include <QDialog>
#include <QVector>

class QCheckBox;
class QPushButton;
class TDm1;

class TForm_initialize : public QDialog {
    Q_OBJECT
public:
    TForm_initialize(QWidget* owner, TDm1* dm);

    void BitBtn1Click();  // 确定
    void BitBtn3Click();  // 全选
    void BitBtn4Click();  // 不选

    QVector<QCheckBox*> checkBoxes;  // CheckBox1 .. CheckBox9, in the order the tables are emptied
    QPushButton* BitBtn1;  // 确定
    QPushButton* BitBtn2;  // 取消, the default button
    QPushButton* BitBtn3;  // 全选
    QPushButton* BitBtn4;  // 不选

private:
    TDm1* m_dm;
};
