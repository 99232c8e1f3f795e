#include "remind/businesssettingswindow.h"
#include "data/datamodule.h"
#include "remind/scan.h"
#include "ui/common/messages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {
using StopRule = BusinessSettings::StopRule;
constexpr StopRule Choices[] = {StopRule::Refuse, StopRule::Warn, StopRule::Off};
}  // namespace

BusinessSettingsWindow::BusinessSettingsWindow(QWidget* owner, TDm1* dm) : QDialog(owner), m_dm(dm)
{
    setObjectName(QStringLiteral("BusinessSettingsWindow"));
    setWindowTitle(QStringLiteral("业务规则设置"));

    auto* note = new QLabel(QStringLiteral("提示：车辆的养路费、年审、保险、车船税到期或已到二保里程时，租赁发车按下面的设置处理："), this);
    note->setWordWrap(true);
    note->setMinimumWidth(360);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("提醒项目"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("发车时"), this), 0, 1);
    for (int i = 0; i < 5; ++i) {
        itemLabels[i] = new QLabel(this);
        itemLabels[i]->setObjectName(QStringLiteral("Item%1").arg(i + 1));
        ruleBoxes[i] = new QComboBox(this);
        ruleBoxes[i]->setObjectName(QStringLiteral("StopRule%1").arg(i + 1));
        for (StopRule r : Choices)
            ruleBoxes[i]->addItem(BusinessSettings::ruleText(r));
        grid->addWidget(itemLabels[i], i + 1, 0);
        grid->addWidget(ruleBoxes[i], i + 1, 1);
    }
    fineLead = new QSpinBox(this);
    fineLead->setObjectName(QStringLiteral("FineLeadDays"));
    fineLead->setRange(0, 3650);
    fineLead->setSuffix(QStringLiteral(" 天"));
    grid->addWidget(new QLabel(QStringLiteral("违章提醒天数："), this), 6, 0);
    grid->addWidget(fineLead, 6, 1);

    saveButton = new QPushButton(QStringLiteral("存盘 (&S)"), this);
    saveButton->setObjectName(QStringLiteral("SaveButton"));
    closeButton = new QPushButton(QStringLiteral("返回 (&R)"), this);
    closeButton->setObjectName(QStringLiteral("CloseButton"));
    for (QPushButton* b : {saveButton, closeButton})
        b->setAutoDefault(false);
    connect(saveButton, &QPushButton::clicked, this, &BusinessSettingsWindow::save);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(note);
    outer->addLayout(grid);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    load();
}

void BusinessSettingsWindow::load()
{
    try {
        const QVector<Reminders::Rule> rules = Reminders::readRules(m_dm->ADO_qczl);
        for (int i = 0; i < 5; ++i)
            itemLabels[i]->setText(rules[i].item);
        m_asRead = BusinessSettings::read(m_dm->ADO_qczl);
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
    showSettings(m_asRead);
}

void BusinessSettingsWindow::showSettings(const BusinessSettings& s)
{
    for (int i = 0; i < 5; ++i)
        ruleBoxes[i]->setCurrentIndex(int(std::find(std::begin(Choices), std::end(Choices), s.stopRules[i]) - std::begin(Choices)));
    fineLead->setValue(s.fineLeadDays);
}

BusinessSettings BusinessSettingsWindow::entered() const
{
    BusinessSettings s;
    for (int i = 0; i < 5; ++i)
        s.stopRules[i] = Choices[std::clamp(ruleBoxes[i]->currentIndex(), 0, 2)];
    s.fineLeadDays = fineLead->value();
    return s;
}

bool BusinessSettingsWindow::save()
{
    const BusinessSettings s = entered();
    try {
        s.write(m_dm->ADO_qczl, &m_asRead);
    } catch (const DbConflict& e) {
        // What the clerk entered stays; the next 存盘 writes it over what is stored now.
        try {
            m_asRead = BusinessSettings::read(m_dm->ADO_qczl);
        } catch (const DbError&) {
        }
        Msg::error(this, e.text() + QStringLiteral("，请核对后重新存盘!"));
        return false;
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    m_asRead = s;
    Msg::warn(this, QStringLiteral("存盘完毕！"));
    return true;
}
