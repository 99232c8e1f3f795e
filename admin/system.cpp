#include "admin/system.h"
#include "admin/backup.h"
#include "admin/gsxx_edit.h"
#include "admin/gzsj.h"
#include "admin/initialize.h"
#include "admin/restore.h"
#include "data/datamodule.h"
#include "data/pgbackend.h"
#include "data/settings.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/records/windowspec.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

void registerSystemWindows()
{
    // Hand-built windows: the class is the whole description.
    registerWindow<TForm_gsxx_edit>();
    registerWindow<TForm_gzsj>();
    registerWindow<TForm_initialize>();
    registerWindow<TForm_backup>();
    registerWindow<TForm_restore>();
}

bool runRestoreCommand(QWidget* owner, TDm1* dm, const QString& homeFolder)
{
    // Taken before closing: the restore replaces, and the program reopens, the file in use.
    const QString location = dm->ADO_qczl.isOpen() ? dm->ADO_qczl.location() : Paths::databaseFile();
    const QString target = PgLocation::isServer(location) ? location : QFileInfo(location).absoluteFilePath();
    dm->disconnect();
    QPointer<QDialog> w = new TForm_restore(owner, dm, target);
    Modal::exec(w);
    delete w;
    // Every relative path (jpg, system.ini) starts from here again, whatever the file dialog did.
    QDir::setCurrent(homeFolder.isEmpty() ? Paths::programDir() : homeFolder);
    QString error;
    if (!dm->connect(target, &error)) {
        Msg::error(owner, QStringLiteral("系统数据库没有连接，请与软件公司联系！\n") + error);
        return false;
    }
    return true;
}
