#pragma once
// 业务规则设置: per reminder rule 1 to 5 what a dispatch of a vehicle the rule finds due meets
// (禁止出租/只提醒/不检查), and the days a traffic fine may stay 未处理 before the reminders list
// it. Read when the window opens; 存盘 writes them as one, refused when another workstation changed
// them since (the input stays, and the next 存盘 writes over the newer values).
#include "data/businesssettings.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TDm1;

class BusinessSettingsWindow : public QDialog {
    Q_OBJECT
public:
    BusinessSettingsWindow(QWidget* owner, TDm1* dm);

    void load();  // the stored settings and the rules' item names into the fields
    bool save();  // 存盘; true when written

    std::array<QLabel*, 5> itemLabels{};
    std::array<QComboBox*, 5> ruleBoxes{};
    QSpinBox* fineLead = nullptr;
    QPushButton* saveButton = nullptr;   // 存盘
    QPushButton* closeButton = nullptr;  // 返回

private:
    BusinessSettings entered() const;
    void showSettings(const BusinessSettings& s);

    TDm1* m_dm;
    BusinessSettings m_asRead;
};
