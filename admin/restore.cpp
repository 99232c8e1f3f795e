#include "admin/restore.h"
#include "admin/backup.h"
#include "data/datamodule.h"
#include "data/maintenance.h"
#include "data/pgbackend.h"
#include "data/settings.h"
#include "ui/common/messages.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

TForm_restore::TForm_restore(QWidget* owner, TDm1* dm, const QString& target)
    : DatabaseFileWindow(owner, QStringLiteral("Form_restore"), QStringLiteral("系统恢复管理"), QStringLiteral("恢复")), m_dm(dm)
{
    m_target = target;
    if (m_target.isEmpty())
        m_target = m_dm->ADO_qczl.isOpen() ? m_dm->ADO_qczl.location() : Paths::databaseFile();
    // A file is named absolutely, since the file dialog may move the working folder; a server's
    // address stays as it is.
    if (!PgLocation::isServer(m_target))
        m_target = QFileInfo(m_target).absoluteFilePath();
    connect(browseButton, &QPushButton::clicked, this, &TForm_restore::chooseSource);
    connect(actionButton, &QPushButton::clicked, this, &TForm_restore::restoreFromFile);
}

void TForm_restore::chooseSource()
{
    const QString name = FileDialogs::getOpenFileName(this, QStringLiteral("恢复数据库文件"), QString(), databaseFileFilters());
    if (!name.isEmpty())
        fileEdit->setText(name);
}

void TForm_restore::restoreFromFile()
{
    if (!Msg::confirm(this, QStringLiteral("确实要恢复数据库吗? ")))
        return;
    if (fileEdit->text().trimmed().isEmpty()) {
        Msg::warn(this, QStringLiteral("请先选择要恢复的数据库文件！"));
        browseButton->setFocus();
        return;
    }
    QString error;
    // The backup's content goes into the database file itself through the engine, so every
    // connection to it, on this workstation or another, goes on working with the restored data.
    if (!Maintenance::restore(fileEdit->text(), m_target, &error)) {
        Msg::error(this, QStringLiteral("恢复没有完成，原数据库没有改变：\n") + error);
        return;
    }
    m_restored = true;
    Msg::warn(this, QStringLiteral("恢复完毕！"));
    accept();
}
