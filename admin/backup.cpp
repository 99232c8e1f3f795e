#include "admin/backup.h"
#include "data/datamodule.h"
#include "data/maintenance.h"
#include "ui/common/messages.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QStyle>
#include <QVBoxLayout>

QStringList databaseFileFilters()
{
    return {QStringLiteral("数据库文件 (*.db)"), QStringLiteral("所有文件 (*)")};
}

DatabaseFileWindow::DatabaseFileWindow(QWidget* owner, const QString& objectName, const QString& caption,
                                       const QString& action)
    : QDialog(owner)
{
    setObjectName(objectName);
    setWindowTitle(caption);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setMinimumWidth(320);
    SpeedButton3 = new QPushButton(this);
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    SpeedButton3->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    // An icon only: screen readers and the tooltip need the word.
    SpeedButton3->setAccessibleName(QStringLiteral("浏览"));
    SpeedButton3->setToolTip(QStringLiteral("浏览"));
    SpeedButton1 = new QPushButton(action, this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton2 = new QPushButton(QStringLiteral("返回"), this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    for (QPushButton* b : {SpeedButton1, SpeedButton2, SpeedButton3})
        b->setAutoDefault(false);
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

TForm_backup::TForm_backup(QWidget* owner, TDm1* dm)
    : DatabaseFileWindow(owner, QStringLiteral("Form_backup"), QStringLiteral("系统备份管理"), QStringLiteral("备份")), m_dm(dm)
{
    connect(SpeedButton3, &QPushButton::clicked, this, &TForm_backup::SpeedButton3Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TForm_backup::SpeedButton1Click);
}

void TForm_backup::SpeedButton3Click()
{
    FileDialogs::SaveRequest r;
    r.caption = QStringLiteral("备份数据库文件");
    r.filters = databaseFileFilters();
    r.fileName = Edit1->text();
    const FileDialogs::SaveResult chosen = FileDialogs::getSaveFileName(this, r);
    if (!chosen.accepted || chosen.fileName.isEmpty())
        return;
    QString name = chosen.fileName;
    // Default extension: a name typed without one becomes a .db file.
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".db");
    Edit1->setText(name);
}

void TForm_backup::SpeedButton1Click()
{
    if (Edit1->text().trimmed().isEmpty()) {
        Msg::warn(this, QStringLiteral("请先选择备份文件名！"));
        SpeedButton3->setFocus();
        return;
    }
    QString error;
    // The copy is made from the file the connection is using, through the engine, and verified.
    if (!Maintenance::backup(m_dm->ADO_qczl, Edit1->text(), &error)) {
        Msg::error(this, QStringLiteral("备份没有完成：\n") + error);
        return;
    }
    Msg::warn(this, QStringLiteral("备份完毕！"));
    accept();
}
