#include "admin/restore.h"
#include "admin/backup.h"
#include "data/datamodule.h"
#include "data/maintenance.h"
#include "data/settings.h"
#include "ui/common/messages.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TForm_restore::TForm_restore(QWidget* owner, TDm1* dm, const QString& target) : QDialog(owner), m_dm(dm)
{
    setObjectName(QStringLiteral("Form_restore"));
    setWindowTitle(QStringLiteral("系统恢复管理"));
    m_target = target;
    if (m_target.isEmpty())
        m_target = m_dm->ADO_qczl.isOpen() ? m_dm->ADO_qczl.location() : Paths::databaseFile();
    m_target = QFileInfo(m_target).absoluteFilePath();

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setMinimumWidth(320);
    SpeedButton3 = new QPushButton(this);
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    SpeedButton3->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    SpeedButton1 = new QPushButton(QStringLiteral("恢复"), this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton2 = new QPushButton(QStringLiteral("返回"), this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    for (QPushButton* b : {SpeedButton1, SpeedButton2, SpeedButton3})
        b->setAutoDefault(false);
    connect(SpeedButton3, &QPushButton::clicked, this, &TForm_restore::SpeedButton3Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TForm_restore::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("目的数据库名："), this));
    row->addWidget(Edit1, 1);
    row->addWidget(SpeedButton3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(row);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm_restore::SpeedButton3Click()
{
    const QString name = FileDialogs::getOpenFileName(this, QStringLiteral("恢复数据库文件"), QString(), databaseFileFilters());
    if (!name.isEmpty())
        Edit1->setText(name);
}

void TForm_restore::SpeedButton1Click()
{
    if (!Msg::confirm(this, QStringLiteral("确实要恢复数据库吗? ")))
        return;
    if (Edit1->text().trimmed().isEmpty()) {
        Msg::warn(this, QStringLiteral("请先选择要恢复的数据库文件！"));
        SpeedButton3->setFocus();
        return;
    }
    // Replacing a file under an open connection would leave it writing to the old one.
    if (m_dm->ADO_qczl.isOpen() && Maintenance::sameFile(m_dm->ADO_qczl.location(), m_target)) {
        Msg::error(this, QStringLiteral("数据库仍在使用中，不能恢复！"));
        return;
    }
    QString error;
    if (!Maintenance::restore(Edit1->text(), m_target, &error)) {
        Msg::error(this, QStringLiteral("恢复没有完成，原数据库没有改变：\n") + error);
        return;
    }
    m_restored = true;
    Msg::warn(this, QStringLiteral("恢复完毕！"));
    accept();
}
