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

DatabaseFileWindow::DatabaseFileWindow(QWidget* owner, const QString& objectName, const QString& caption, const QString& action)
    : QDialog(owner)
{
    setObjectName(objectName);
    setWindowTitle(caption);

    fileEdit = new QLineEdit(this);
    fileEdit->setObjectName(QStringLiteral("Edit1"));
    fileEdit->setReadOnly(true);
    fileEdit->setMinimumWidth(320);
    browseButton = new QPushButton(this);
    browseButton->setObjectName(QStringLiteral("SpeedButton3"));
    browseButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    // An icon only: screen readers and the tooltip need the word.
    browseButton->setAccessibleName(QStringLiteral("浏览"));
    browseButton->setToolTip(QStringLiteral("浏览"));
    actionButton = new QPushButton(action, this);
    actionButton->setObjectName(QStringLiteral("SpeedButton1"));
    returnButton = new QPushButton(QStringLiteral("返回"), this);
    returnButton->setObjectName(QStringLiteral("SpeedButton2"));
    for (QPushButton* b : {actionButton, returnButton, browseButton})
        b->setAutoDefault(false);
    connect(returnButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("目的数据库名："), this));
    row->addWidget(fileEdit, 1);
    row->addWidget(browseButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(actionButton);
    buttons->addWidget(returnButton);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(row);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

TForm_backup::TForm_backup(QWidget* owner, TDm1* dm)
    : DatabaseFileWindow(owner, QStringLiteral("Form_backup"), QStringLiteral("系统备份管理"), QStringLiteral("备份")), m_dm(dm)
{
    connect(browseButton, &QPushButton::clicked, this, &TForm_backup::chooseDestination);
    connect(actionButton, &QPushButton::clicked, this, &TForm_backup::backUp);
}

void TForm_backup::chooseDestination()
{
    FileDialogs::SaveRequest r;
    r.caption = QStringLiteral("备份数据库文件");
    r.filters = databaseFileFilters();
    r.fileName = fileEdit->text();
    const FileDialogs::SaveResult chosen = FileDialogs::getSaveFileName(this, r);
    if (!chosen.accepted || chosen.fileName.isEmpty())
        return;
    QString name = chosen.fileName;
    // Default extension: a name typed without one becomes a .db file.
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".db");
    fileEdit->setText(name);
}

void TForm_backup::backUp()
{
    if (fileEdit->text().trimmed().isEmpty()) {
        Msg::warn(this, QStringLiteral("请先选择备份文件名！"));
        browseButton->setFocus();
        return;
    }
    QString error;
    // The copy is made from the file the connection is using, through the engine, and verified.
    if (!Maintenance::backup(m_dm->ADO_qczl, fileEdit->text(), &error)) {
        Msg::error(this, QStringLiteral("备份没有完成：\n") + error);
        return;
    }
    Msg::warn(this, QStringLiteral("备份完毕！"));
    accept();
}
