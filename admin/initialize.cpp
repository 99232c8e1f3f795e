#include "admin/initialize.h"
#include "data/datamodule.h"
#include "data/maintenance.h"
#include "data/versions.h"
#include "ui/common/messages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TForm_initialize::TForm_initialize(QWidget* owner, TDm1* dm) : QDialog(owner), m_dm(dm)
{
    setObjectName(QStringLiteral("Form_initialize"));
    setWindowTitle(QStringLiteral("数据初始化"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* label1 = new QLabel(QStringLiteral("提示：数据初始化就是清空选中项目数据库中的数据。"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label2 = new QLabel(
        QStringLiteral("  如果用户第一次使用本系统时或者需要清空数据库时，请使用本功能，清除原来的数据，便于录入新的数据。"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setWordWrap(true);
    label2->setMinimumWidth(360);

    auto* boxes = new QGridLayout;
    const auto& tables = Maintenance::initTables();
    for (int i = 0; i < tables.size(); ++i) {
        auto* box = new QCheckBox(tables[i].caption, this);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        boxes->addWidget(box, i / 3, i % 3);
        checkBoxes << box;
    }

    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    allButton = button("BitBtn3", QStringLiteral("全选"));
    noneButton = button("BitBtn4", QStringLiteral("不选"));
    okButton = button("BitBtn1", QStringLiteral("确定"));
    cancelButton = button("BitBtn2", QStringLiteral("取消"));
    cancelButton->setDefault(true);
    connect(allButton, &QPushButton::clicked, this, &TForm_initialize::tickAll);
    connect(noneButton, &QPushButton::clicked, this, &TForm_initialize::untickAll);
    connect(okButton, &QPushButton::clicked, this, &TForm_initialize::emptyTicked);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(allButton);
    buttons->addWidget(noneButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(label1);
    outer->addWidget(label2);
    outer->addLayout(boxes);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm_initialize::tickAll()
{
    // The audit log is emptied only when asked for by its own tick.
    for (QCheckBox* b : checkBoxes)
        if (b->text() != Versions::auditTable())
            b->setChecked(true);
}

void TForm_initialize::untickAll()
{
    for (QCheckBox* b : checkBoxes)
        b->setChecked(false);
}

void TForm_initialize::emptyTicked()
{
    if (!Msg::confirm(this, QStringLiteral("要初始化选中的数据库吗? "))) {
        reject();
        return;
    }
    QVector<bool> checked;
    for (QCheckBox* b : checkBoxes)
        checked << b->isChecked();
    RecordSet& side = m_dm->q_search;
    try {
        side.close();
        // All chosen tables or none: a failure halfway must not leave the data half emptied.
        Maintenance::initialize(m_dm->ADO_qczl, checked);
    } catch (const DbError& e) {
        Msg::error(this, QStringLiteral("数据初始化失败，数据没有改变：\n") + e.text());
        return;
    }
    Msg::warn(this, QStringLiteral("初始化完毕！"));
    accept();
}
