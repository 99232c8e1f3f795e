#include "data/maintenance.h"
#include "data/auditlog.h"
#include "data/copy.h"
#include "data/database.h"
#include "data/pgbackend.h"
#include "data/sqlitefile.h"
#include "data/versions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <filesystem>
#include <sqlite3.h>

namespace Maintenance {

namespace {

const QString BusyText = QStringLiteral("数据库正被其他工作站写入，请稍后再试");

QString native(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString tempBeside(const QString& path)
{
    const QFileInfo fi(path);
    return fi.absoluteDir().filePath(QStringLiteral(".") + fi.fileName() + QStringLiteral(".part"));
}

// A scratch file of ours and whatever the engine left beside it.
void removeScratch(const QString& path)
{
    QFile::remove(path);
    for (const QString& c : SqliteFile::companions(path))
        QFile::remove(c);
}

QString engineText(sqlite3* h)
{
    return QString::fromUtf8(sqlite3_errmsg(h));
}

// Page-by-page copy through the engine; consistent even while the source is open and written.
// dest is a scratch file of ours, so the messages never name it.
bool copyDatabase(sqlite3* src, const QString& dest, QString* error)
{
    sqlite3* out = nullptr;
    const QByteArray name = QFile::encodeName(dest);
    if (sqlite3_open_v2(name.constData(), &out, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("无法写入文件夹 %1: %2").arg(native(QFileInfo(dest).absolutePath()), engineText(out));
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
        *error = QStringLiteral("复制数据库失败: %1").arg(engineText(out));
    else
        // A copy must stand alone: no write-ahead log beside it.
        sqlite3_exec(out, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    if (sqlite3_close(out) != SQLITE_OK && rc == SQLITE_DONE) {
        *error = QStringLiteral("复制数据库失败: 文件无法关闭");
        return false;
    }
    return rc == SQLITE_DONE;
}

// Renames a complete file into place and records the new name on disk before reporting success.
bool moveOver(const QString& from, const QString& to, QString* error)
{
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), ec);
    if (ec) {
        *error = QStringLiteral("无法替换文件 %1: %2").arg(native(to), QString::fromLocal8Bit(ec.message().c_str()));
        return false;
    }
    if (!SqliteFile::syncFolder(QFileInfo(to).absolutePath())) {
        *error = QStringLiteral("无法写入文件夹 %1").arg(native(QFileInfo(to).absolutePath()));
        return false;
    }
    return true;
}

int pageSize(sqlite3* h)
{
    sqlite3_stmt* st = nullptr;
    int size = 0;
    if (sqlite3_prepare_v2(h, "PRAGMA page_size", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        size = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return size;
}

// The checks of verify() run on file, a scratch copy of ours, said of shown, the file the clerk
// chose: the copy's name means nothing to him.
bool verifyAs(const QString& file, const QString& shown, QString* error)
{
    QString problem;
    if (SqliteFile::check(file, true, true, &problem))
        return true;
    *error = QStringLiteral("%1: %2").arg(problem, native(shown));
    return false;
}

// The restore's scratch copy of source, checked, with the target's page size (a database in
// write-ahead-log mode takes pages of its own size only). Every message names source.
bool stage(const QString& source, const QString& scratch, const QString& target, QString* error)
{
    sqlite3* src = nullptr;
    const QByteArray name = QFile::encodeName(source);
    bool ok = sqlite3_open_v2(name.constData(), &src, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    if (!ok)
        *error = QStringLiteral("无法打开文件: %1").arg(native(source));
    QString why;
    if (ok && !copyDatabase(src, scratch, &why)) {
        *error = QStringLiteral("%1: %2").arg(why, native(source));
        ok = false;
    }
    sqlite3_close(src);
    if (ok && QFileInfo(target).isFile()) {
        sqlite3* t = nullptr;
        sqlite3* s = nullptr;
        const QByteArray tn = QFile::encodeName(target), sn = QFile::encodeName(scratch);
        const int wanted = sqlite3_open_v2(tn.constData(), &t, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK ? pageSize(t) : 0;
        sqlite3_close(t);
        if (wanted > 0 && sqlite3_open_v2(sn.constData(), &s, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK && pageSize(s) != wanted) {
            const QByteArray sql = QStringLiteral("PRAGMA page_size=%1; VACUUM").arg(wanted).toLatin1();
            if (sqlite3_exec(s, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                *error = QStringLiteral("复制数据库失败: %1: %2").arg(engineText(s), native(source));
                ok = false;
            }
        }
        sqlite3_close(s);
    }
    return ok && verifyAs(scratch, source, error);
}

// Whether the file starts as an SQLite database does.
bool looksLikeDatabase(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3\0", 16);
}

// The highest key every table of db has handed out.
QHash<QString, qint64> keyMarks(Database& db)
{
    QHash<QString, qint64> marks;
    for (const TableDef& t : Schema::tables())
        marks.insert(t.name, Versions::keyHighWater(db, t.name));
    for (const TableDef* t : Versions::carriedTables())
        marks.insert(t->name, Versions::keyHighWater(db, t->name));
    return marks;
}

void raiseKeyMarks(Database& db, const QHash<QString, qint64>& marks)
{
    for (auto i = marks.cbegin(); i != marks.cend(); ++i)
        Versions::raiseKeys(db, i.key(), i.value());
}

// The checked scratch copy, brought to the current version, takes over what the database it
// replaces has handed out: its keys continue above the target's, its generation follows the
// target's, so nothing read from the target before can be written into the restored rows.
bool carryOver(const QString& source, const QString& scratch, const QString& target, QString* error)
{
    QHash<QString, qint64> marks;
    qint64 generation = 0;
    if (QFileInfo(target).isFile() && looksLikeDatabase(target)) {
        Database t;
        QString ignored;
        // A target that cannot be read as ours has nothing to hand on.
        if (t.open(target, &ignored)) {
            try {
                marks = keyMarks(t);
                generation = Versions::generation(t);
            } catch (const DbError& e) {
                *error = e.text();
                return false;
            }
        }
    }
    // Said of the file the clerk chose, never of the scratch copy.
    const auto named = [&](const QString& text) { return QString(text).replace(native(scratch), native(source)); };
    Database s;
    QString err;
    if (!s.open(scratch, &err)) {
        *error = named(err);
        return false;
    }
    try {
        Transaction tx(s);
        raiseKeyMarks(s, marks);
        Versions::advanceGeneration(s, generation);
        tx.commit();
    } catch (const DbError& e) {
        *error = named(e.text());
        return false;
    }
    return true;
}

// The online backup from the scratch copy into the live database: one write transaction of the
// engine, so other connections wait for it, then see the restored content; stopped or failed, it
// is rolled back and the database is as it was.
bool copyInto(const QString& scratch, const QString& target, const RestoreOptions& options, QString* error)
{
    sqlite3* dst = nullptr;
    sqlite3* src = nullptr;
    const QByteArray tn = QFile::encodeName(target), sn = QFile::encodeName(scratch);
    if (sqlite3_open_v2(tn.constData(), &dst, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
        || sqlite3_open_v2(sn.constData(), &src, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("无法打开数据库: %1").arg(engineText(dst));
        sqlite3_close(src);
        sqlite3_close(dst);
        return false;
    }
    // Another workstation's save in progress is waited for, as a save of our own would be.
    sqlite3_busy_timeout(dst, 10000);
    sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
    int rc = SQLITE_ERROR;
    bool stopped = false;
    if (b) {
        do {
            rc = sqlite3_backup_step(b, options.pagesPerStep > 0 ? options.pagesPerStep : -1);
            if (rc == SQLITE_OK && options.progress) {
                const int total = sqlite3_backup_pagecount(b);
                stopped = !options.progress(total - sqlite3_backup_remaining(b), total);
            }
        } while (rc == SQLITE_OK && !stopped);
        const int finished = sqlite3_backup_finish(b);
        if (rc == SQLITE_DONE && finished != SQLITE_OK)
            rc = finished;
    }
    if (stopped)
        *error = QStringLiteral("恢复被中止");
    else if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        *error = BusyText;
    else if (rc != SQLITE_DONE)
        *error = QStringLiteral("复制数据库失败: %1").arg(engineText(dst));
    if (rc == SQLITE_DONE)
        // Moves the restored pages from the log into the file where nobody is reading; never waits.
        sqlite3_wal_checkpoint_v2(dst, "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    sqlite3_close(src);
    sqlite3_close(dst);
    return rc == SQLITE_DONE && !stopped;
}

}  // namespace

const QVector<InitTable>& initTables()
{
    static const QVector<InitTable> t{
        {QStringLiteral("车辆维修表"), QStringLiteral("delete from 车辆维修记录表 ")},
        {QStringLiteral("换油记录表"), QStringLiteral("delete from 换油记录表 ")},
        {QStringLiteral("事故登记表"), QStringLiteral("delete from 事故登记表 ")},
        {QStringLiteral("汽车档案"), QStringLiteral("delete from 汽车档案 ")},
        {QStringLiteral("经办人信息"), QStringLiteral("delete from 经办人信息 ")},
        {QStringLiteral("客户登记表"), QStringLiteral("delete from 客户登记表 ")},
        {QStringLiteral("汽车租赁登记表"),
         QStringLiteral("delete from 汽车租赁登记表 "),
         // The traffic fines are charged to contracts: they go with them.
         {Versions::changeLogTable(), Versions::sheetTable(), Versions::markTable(), Versions::fineTable()}},
        {QStringLiteral("现金日记帐"), QStringLiteral("delete from 现金日记帐 ")},
        {QStringLiteral("客户预租车辆表"), QStringLiteral("delete from 客户预订汽车 ")},
        // Kept unless ticked on its own: 全选 leaves it alone.
        {Versions::auditTable(), QStringLiteral("delete from 操作日志 ")},
    };
    return t;
}

void initialize(Database& db, const QVector<bool>& checked)
{
    Transaction tx(db);
    for (int i = 0; i < initTables().size() && i < checked.size(); ++i)
        if (checked[i]) {
            const int rows = db.execute(initTables()[i].statement);
            // The log keeps who emptied which table (also who emptied the log itself).
            AuditLog::emptied(db, initTables()[i].statement.section(QLatin1Char(' '), 2, 2), rows);
            for (const QString& table : initTables()[i].follows)
                db.runNative(QStringLiteral("DELETE FROM \"%1\"").arg(table));
        }
    // Windows that read rows before cannot write into what comes after.
    Versions::advanceGeneration(db);
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

bool belongsTo(const QString& file, const QString& database)
{
    if (sameFile(file, database))
        return true;
    // Companions are named after the database's real path, whatever spelling reached it.
    const QFileInfo fi(database);
    const QString real = fi.exists() ? fi.canonicalFilePath() : fi.absoluteFilePath();
    for (const QString& c : SqliteFile::companions(real))
        if (sameFile(file, c))
            return true;
    return false;
}

namespace {
// A server database written table by table into a new file, all tables read in one snapshot, so
// the file is the same kind of backup the embedded default writes.
bool copyFromServer(Database& db, const QString& file, QString* error)
{
    if (db.transactionDepth() > 0) {
        *error = QStringLiteral("数据库正在存盘，请稍候再备份");
        return false;
    }
    Database out;
    if (!out.create(file, error))
        return false;
    try {
        db.runNative(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
        DbCopy::copyTables(db, out);
        db.runNative(QStringLiteral("COMMIT"));
    } catch (const DbError& e) {
        try {
            db.runNative(QStringLiteral("ROLLBACK"));
        } catch (const DbError&) {
        }
        *error = e.text();
        return false;
    }
    out.close();
    // A copy must stand alone: no write-ahead log beside it.
    sqlite3* h = nullptr;
    const QByteArray name = QFile::encodeName(file);
    bool ok = sqlite3_open_v2(name.constData(), &h, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
              && sqlite3_exec(h, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok)
        *error = QStringLiteral("复制数据库失败: %1").arg(engineText(h));
    sqlite3_close(h);
    return ok;
}

// The content of a checked backup file replaces the server database's in one transaction: other
// workstations keep their connections and see the restored rows from their next statement.
bool restoreToServer(const QString& source, const QString& target, QString* error)
{
    // The file is read through a checked scratch copy made by the engine: opening the file itself
    // would set its log mode, and a byte copy would miss rows still in the log beside it.
    QTemporaryDir scratchDir;
    const QString scratch = scratchDir.filePath(QStringLiteral("restore.db"));
    if (!scratchDir.isValid()) {
        *error = QStringLiteral("无法建立临时文件夹");
        return false;
    }
    if (!stage(source, scratch, target, error))
        return false;
    Database src, dst;
    if (!src.open(scratch)) {
        *error = QStringLiteral("无法打开文件: %1").arg(native(source));
        return false;
    }
    if (!dst.open(target, error))
        return false;
    QStringList written;
    try {
        Transaction tx(dst);
        // Keys continue above what the replaced content handed out; the generation moves on.
        const QHash<QString, qint64> marks = keyMarks(dst);
        for (const TableDef& t : Schema::tables())
            dst.runNative(QStringLiteral("DELETE FROM \"%1\"").arg(t.name));
        for (const TableDef* t : Versions::carriedTables())
            dst.runNative(QStringLiteral("DELETE FROM \"%1\"").arg(t->name));
        written = DbCopy::copyTables(src, dst);
        raiseKeyMarks(dst, marks);
        tx.commit();
    } catch (const DbError& e) {
        // Said as on the file: another workstation's save outlasted the wait.
        *error = e.kind() == DbError::Kind::Busy ? BusyText : e.text();
        return false;
    }
    DbCopy::settle(dst, written);
    return true;
}
}  // namespace

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
    if (belongsTo(dest, db.location())) {
        *error = QStringLiteral("备份文件不能是正在使用的数据库文件或它的日志文件，请另选文件名！");
        return false;
    }
    sqlite3* src = SqliteFile::handleOf(db.handle());
    const QString tmp = tempBeside(dest);
    removeScratch(tmp);
    const bool copied = src ? copyDatabase(src, tmp, &err) : copyFromServer(db, tmp, &err);
    if (!copied || !verifyAs(tmp, dest, &err) || !moveOver(tmp, dest, &err)) {
        removeScratch(tmp);
        *error = err;
        return false;
    }
    return true;
}

bool verify(const QString& file, QString* error)
{
    return verifyAs(file, file, error);
}

bool restore(const QString& source, const QString& target, QString* error, const RestoreOptions& options)
{
    QString err;
    if (source.trimmed().isEmpty()) {
        *error = QStringLiteral("请先选择要恢复的数据库文件！");
        return false;
    }
    if (PgLocation::isServer(target)) {
        QString problem;
        if (!SqliteFile::check(source, false, true, &problem) || !SqliteFile::checkText(source, &problem)) {
            *error = QStringLiteral("%1: %2").arg(problem, native(source));
            return false;
        }
        return restoreToServer(source, target, error);
    }
    const QString scratch = tempBeside(target);
    if (belongsTo(source, target) || sameFile(source, scratch)) {
        *error = QStringLiteral("恢复文件不能是正在使用的数据库文件或它的日志文件，请另选文件！");
        return false;
    }
    // The shape first, so that a wrong file is refused before anything is copied; the full
    // integrity check runs once, on the scratch copy that is actually written in.
    QString problem;
    if (!SqliteFile::check(source, false, true, &problem) || !SqliteFile::checkText(source, &problem)) {
        *error = QStringLiteral("%1: %2").arg(problem, native(source));
        return false;
    }
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        *error = QStringLiteral("无法建立文件夹: %1").arg(native(QFileInfo(target).absolutePath()));
        return false;
    }
    removeScratch(scratch);
    bool ok = stage(source, scratch, target, &err) && carryOver(source, scratch, target, &err);
    if (ok) {
        bool beside = false;
        for (const QString& c : SqliteFile::companions(target))
            beside = beside || QFileInfo::exists(c);
        if (!QFileInfo::exists(target) || (!looksLikeDatabase(target) && !beside))
            // Nothing there that anyone could be using: the checked copy simply takes the place.
            ok = moveOver(scratch, target, &err);
        else
            ok = copyInto(scratch, target, options, &err);
    }
    removeScratch(scratch);
    if (!ok)
        *error = err;
    return ok;
}

}  // namespace Maintenance
