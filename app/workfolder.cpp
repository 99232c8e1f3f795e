#include "app/workfolder.h"
#include "core/clock.h"
#include "data/creation.h"
#include "data/pgbackend.h"
#include "data/settings.h"
#include "data/sqlitefile.h"
#include "demo/office.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace WorkFolder {

QString own()
{
    // Named here rather than read from the application object, which tests and tools name otherwise.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("velmira"));
}

QString demo()
{
    return QDir(own()).filePath(QStringLiteral("demo"));
}

QString fromCommandLine(const QString& location, const QString& startFolder)
{
    if (location.isEmpty() || PgLocation::isServer(location))
        return location;
    return QDir::cleanPath(QDir(startFolder).absoluteFilePath(location));
}

bool enter(const QString& folder, QString* error)
{
    if (!QDir().mkpath(folder) || !QDir::setCurrent(folder)) {
        if (error)
            *error = QStringLiteral("不能进入工作目录 %1，请检查文件夹的权限!").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    return true;
}

bool prepareFirstStart(QString* error)
{
    if (Paths::databaseNamed())
        return true;
    const QString file = Paths::databaseFile();
    if (QFileInfo::exists(file))
        return true;
    QDir here(Paths::workingDir());
    here.mkpath(QStringLiteral("jpg"));
    here.mkpath(QStringLiteral("templates"));
    // Made under another name and renamed when whole: a first start cut short (power, a kill) leaves
    // no half database that the next start would take for the office's.
    const QString partial = file + QStringLiteral(".new");
    for (const QString& left : QStringList{partial} + SqliteFile::companions(partial))
        QFile::remove(left);
    QString why;
    if (!createDatabase(partial, Clock::today(), &why) || !QFile::rename(partial, file)) {
        if (error)
            *error = QStringLiteral("不能建立系统数据库 %1!\n%2").arg(QDir::toNativeSeparators(file), why);
        return false;
    }
    SqliteFile::syncFolder(QFileInfo(file).path());
    return true;
}

bool prepareDemo(const QString& folder, QString* error)
{
    if (!enter(folder, error))
        return false;
    const QString file = QDir(folder).filePath(QStringLiteral("data/qczl.db"));
    if (QFileInfo::exists(file))
        return true;
    QString why;
    if (!DemoOffice::create(file, DemoOffice::Small, Clock::today(), &why)
        || DemoOffice::writePhotos(file, QDir(folder).filePath(QStringLiteral("jpg")), &why) < 0) {
        if (error)
            *error = QStringLiteral("不能建立演示数据 %1!\n%2").arg(QDir::toNativeSeparators(folder), why);
        return false;
    }
    QDir(folder).mkpath(QStringLiteral("templates"));
    return true;
}

}  // namespace WorkFolder
