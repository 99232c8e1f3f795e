#include "data/maintenance.h"
#include "data/database.h"
#include "data/schema.h"

#include <QDir>
#include <QFile>
#include <QSqlDriver>
#include <QFileInfo>
#include <filesystem>
#include <sqlite3.h>

namespace Maintenance {

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString tempBeside(const QString& path)
{
    const QFileInfo fi(path);
    return fi.absoluteDir().filePath(QStringLiteral(".") + fi.fileName() + QStringLiteral(".part"));
}

void removeSidecars(const QString& path)
{
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    QFile::remove(path + QStringLiteral("-journal"));
}

// Page-by-page copy through the engine; consistent even while the source is open and written.
bool copyDatabase(sqlite3* src, const QString& dest, QString* error)
{
    sqlite3* out = nullptr;
    const QByteArray name = QFile::encodeName(dest);
    if (sqlite3_open_v2(name.constData(), &out, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("无法写入文件 %1: %2").arg(native(dest), QString::fromUtf8(sqlite3_errmsg(out)));
        sqlite3_close(out);
        return false;
    }
    sqlite3_backup* b = sqlite3_backup_init(out, "main", src, "main");
    int rc = SQLITE_ERROR;
    if (b) {
        rc = sqlite3_backup_step(b, -1);
        sqlite3_backup_finish(b);
    }
    if (rc != SQLITE_DONE)
        *error = QStringLiteral("复制数据库失败: %1").arg(QString::fromUtf8(sqlite3_errmsg(out)));
    else
        // A copy must stand alone: no write-ahead log beside it.
        sqlite3_exec(out, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    if (sqlite3_close(out) != SQLITE_OK && rc == SQLITE_DONE) {
        *error = QStringLiteral("复制数据库失败: 文件无法关闭");
        return false;
    }
    return rc == SQLITE_DONE;
}

bool moveOver(const QString& from, const QString& to, QString* error)
{
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), ec);
    if (ec) {
        *error = QStringLiteral("无法替换文件 %1: %2").arg(native(to), QString::fromLocal8Bit(ec.message().c_str()));
        return false;
    }
    return true;
}

sqlite3* handleOf(Database& db)
{
    const QVariant h = db.handle().driver() ? db.handle().driver()->handle() : QVariant();
    return (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) ? *static_cast<sqlite3* const*>(h.constData()) : nullptr;
}

} // namespace

const QVector<InitTable>& initTables()
{
    static const QVector<InitTable> t{
        {QStringLiteral("车辆维修表"), QStringLiteral("delete from 车辆维修记录表 ")},
        {QStringLiteral("换油记录表"), QStringLiteral("delete from 换油记录表 ")},
        {QStringLiteral("事故登记表"), QStringLiteral("delete from 事故登记表 ")},
        {QStringLiteral("汽车档案"), QStringLiteral("delete from 汽车档案 ")},
        {QStringLiteral("经办人信息"), QStringLiteral("delete from 经办人信息 ")},
        {QStringLiteral("客户登记表"), QStringLiteral("delete from 客户登记表 ")},
        {QStringLiteral("汽车租赁登记表"), QStringLiteral("delete from 汽车租赁登记表 ")},
        {QStringLiteral("现金日记帐"), QStringLiteral("delete from 现金日记帐 ")},
        {QStringLiteral("客户预租车辆表"), QStringLiteral("delete from 客户预订汽车 ")},
    };
    return t;
}

void initialize(Database& db, const QVector<bool>& checked)
{
    Transaction tx(db);
    for (int i = 0; i < initTables().size() && i < checked.size(); ++i)
        if (checked[i])
            db.execute(initTables()[i].statement);
    tx.commit();
}

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    // A file that does not exist yet: compare its folder's real path and its name.
    const QString da = QFileInfo(fa.absolutePath()).canonicalFilePath();
    const QString db = QFileInfo(fb.absolutePath()).canonicalFilePath();
    return !da.isEmpty() && da == db && fa.fileName() == fb.fileName();
}

bool backup(Database& db, const QString& dest, QString* error)
{
    QString err;
    if (dest.trimmed().isEmpty()) {
        *error = QStringLiteral("请先选择备份文件名！");
        return false;
    }
    if (!db.isOpen()) {
        *error = QStringLiteral("数据库没有连接");
        return false;
    }
    if (sameFile(dest, db.location())) {
        *error = QStringLiteral("备份文件不能是正在使用的数据库文件本身，请另选文件名！");
        return false;
    }
    sqlite3* src = handleOf(db);
    if (!src) {
        *error = QStringLiteral("数据库不支持在线备份");
        return false;
    }
    const QString tmp = tempBeside(dest);
    QFile::remove(tmp);
    removeSidecars(tmp);
    if (!copyDatabase(src, tmp, &err) || !verify(tmp, &err) || !moveOver(tmp, dest, &err)) {
        QFile::remove(tmp);
        removeSidecars(tmp);
        *error = err;
        return false;
    }
    return true;
}

bool verify(const QString& file, QString* error)
{
    const QFileInfo fi(file);
    if (!fi.isFile()) {
        *error = QStringLiteral("文件不存在: %1").arg(native(file));
        return false;
    }
    sqlite3* h = nullptr;
    const QByteArray name = QFile::encodeName(file);
    bool ok = sqlite3_open_v2(name.constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    QString problem;
    if (ok) {
        sqlite3_stmt* st = nullptr;
        ok = sqlite3_prepare_v2(h, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW
            && QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) == QLatin1String("ok");
        sqlite3_finalize(st);
        if (!ok)
            problem = QStringLiteral("文件已损坏或不是数据库文件");
    } else {
        problem = QStringLiteral("文件不是数据库文件");
    }
    if (ok) {
        for (const auto& t : Schema::tables()) {
            sqlite3_stmt* st = nullptr;
            const QByteArray q = QStringLiteral("select count(*) from sqlite_master where type='table' and name=?").toUtf8();
            const QByteArray n = t.name.toUtf8();
            bool has = sqlite3_prepare_v2(h, q.constData(), -1, &st, nullptr) == SQLITE_OK
                && sqlite3_bind_text(st, 1, n.constData(), n.size(), SQLITE_TRANSIENT) == SQLITE_OK
                && sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) == 1;
            sqlite3_finalize(st);
            if (!has) {
                ok = false;
                problem = QStringLiteral("文件不是本系统的数据库（缺少表 %1）").arg(t.name);
                break;
            }
        }
    }
    sqlite3_close(h);
    if (!ok)
        *error = QStringLiteral("%1: %2").arg(problem, native(file));
    return ok;
}

bool restore(const QString& source, const QString& target, QString* error)
{
    QString err;
    if (source.trimmed().isEmpty()) {
        *error = QStringLiteral("请先选择要恢复的数据库文件！");
        return false;
    }
    if (sameFile(source, target)) {
        *error = QStringLiteral("恢复文件不能是正在使用的数据库文件本身，请另选文件！");
        return false;
    }
    if (!verify(source, &err)) {
        *error = err;
        return false;
    }
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        *error = QStringLiteral("无法建立文件夹: %1").arg(native(QFileInfo(target).absolutePath()));
        return false;
    }
    const QString tmp = tempBeside(target);
    QFile::remove(tmp);
    removeSidecars(tmp);
    sqlite3* src = nullptr;
    const QByteArray name = QFile::encodeName(source);
    bool ok = sqlite3_open_v2(name.constData(), &src, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    if (!ok)
        err = QStringLiteral("无法打开文件: %1").arg(native(source));
    ok = ok && copyDatabase(src, tmp, &err);
    sqlite3_close(src);
    ok = ok && verify(tmp, &err);
    if (ok) {
        // The old database's log belongs to the old file; it must not be replayed into the new one.
        removeSidecars(target);
        ok = moveOver(tmp, target, &err);
    }
    if (!ok) {
        QFile::remove(tmp);
        removeSidecars(tmp);
        *error = err;
    }
    return ok;
}

} // namespace Maintenance
