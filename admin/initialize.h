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

    void emptyTicked();  // 确定: the ticked tables emptied, after the clerk's Yes
    void tickAll();      // 全选
    void untickAll();    // 不选

    QVector<QCheckBox*> checkBoxes;  // CheckBox1 .. CheckBox9, in the order the tables are emptied
    QPushButton* okButton;           // 确定 (BitBtn1)
    QPushButton* cancelButton;       // 取消, the default button (BitBtn2)
    QPushButton* allButton;          // 全选 (BitBtn3)
    QPushButton* noneButton;         // 不选 (BitBtn4)

private:
    TDm1* m_dm;
};
