#pragma once
// 交车检查单 / 收车检查单: the car's condition at dispatch or at return for one contract — damage
// marked on the outline, fuel, the accessories handed over — and the office's accessory checklist
// (随车物品设置). The rules and storage are in handover.h; these windows gather and show.
#include "rental/handover.h"

#include <QDialog>
#include <optional>

class DamageDiagram;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class TDm1;

class HandoverDialog : public QDialog {
    Q_OBJECT
public:
    // Reads the contract's sheet of the stage (and at return the dispatch's). Throws DbError; a
    // contract that is gone leaves contractFound() false.
    HandoverDialog(QWidget* parent, TDm1* dm, const QString& contract, Handover::Stage stage);

    bool contractFound() const { return m_found; }
    // The sheet as the window holds it (what 存盘 writes, before its time is set).
    Handover::Sheet sheet() const;
    const std::optional<Handover::Sheet>& dispatchSheet() const { return m_dispatch; }

    DamageDiagram* diagram;
    QTableWidget* marksTable;         // 编号, 损伤情况 (the text editable, with the usual kinds offered)
    QPushButton* deleteMarkButton;    // 删除 the selected row's mark
    QComboBox* fuelBox;               // 未记录, 0/8 … 8/8
    QVector<QCheckBox*> accessories;  // the checklist, then items of the sheet the list no longer has
    QLineEdit* inspectorEdit;         // 检查人
    QLineEdit* remarksEdit;           // 备注
    QLabel* checkedAtLabel;           // 检查时间 of the stored sheet
    QLabel* dispatchLabel;            // at return: the dispatch's fuel, accessories and inspector, or none
    QPushButton* saveButton;          // 存盘 (bitbtn_save)
    QPushButton* printButton;         // 打印检查单
    QPushButton* closeButton;         // 返回 (bitbtn_close)

    // 存盘: true when written; a refusal is said and what was typed stays.
    bool save();
    // 打印检查单: the stored sheets of both stages; unsaved changes are refused.
    void print();

private:
    void showMarks();
    void markTextEdited(int row, int column);
    void deleteSelectedMark();
    void rowSelected();
    void touched() { m_dirty = true; }

    TDm1* m_dm;
    Handover::Sheet m_sheet;
    std::optional<Handover::Sheet> m_dispatch;
    bool m_found = false;
    bool m_dirty = false;
};

// 随车物品设置: the accessories a handover sheet offers, one a line, in their order.
class AccessoryChecklistWindow : public QDialog {
    Q_OBJECT
public:
    AccessoryChecklistWindow(QWidget* owner, TDm1* dm);

    QPlainTextEdit* itemsEdit;
    QPushButton* saveButton;   // 存盘 (bitbtn_save)
    QPushButton* closeButton;  // 返回 (bitbtn_close)

    bool save();

private:
    TDm1* m_dm;
    QStringList m_read;  // the checklist as read, which the save expects to replace
};

namespace HandoverWindows {

// The sheet's window for a stored contract, modal; a contract that is gone or a database error is said.
void open(QWidget* parent, TDm1* dm, const QString& contract, Handover::Stage stage);
// Both stages' sheets of the contract in the print preview.
void print(QWidget* parent, TDm1* dm, const QString& contract);

}  // namespace HandoverWindows
