#include "data/database.h"
#include "data/pgbackend.h"
#include "data/schema.h"
#include "data/versions.h"

#include <QSqlError>
#include <QSqlRecord>
#include <algorithm>
#include <atomic>

Q_LOGGING_CATEGORY(lcData, "velmira.data")
Q_LOGGING_CATEGORY(lcSql, "velmira.sql", QtWarningMsg)

namespace {
QString nextConnectionName()
{
    static std::atomic<int> n{0};
    return QStringLiteral("velmira_%1").arg(++n);
}
}

QString engineFaultText(EngineFault fault)
{
    switch (fault) {
    case EngineFault::TooLong:
        return QStringLiteral("内容太长,数据库不能存放,请缩短后再试!");
    case EngineFault::BadCharacter:
        return QStringLiteral("内容含有数据库不能存放的字符,请重新输入!");
    case EngineFault::Duplicate:
        return QStringLiteral("与已有的记录重复,不能存盘!");
    case EngineFault::Rule:
        return QStringLiteral("内容不符合数据库的规定,不能存盘!");
    case EngineFault::Busy:
        return QStringLiteral("数据库正被其他工作站写入,请稍后再试!");
    case EngineFault::TimedOut:
        return QStringLiteral("数据库操作超时,请稍后再试!");
    case EngineFault::ConnectionLost:
        return QStringLiteral("与数据库服务器的连接已断开,请检查网络后重新启动程序!");
    case EngineFault::DiskFull:
        return QStringLiteral("数据库所在的磁盘已满,不能写入,请与系统管理员联系!");
    case EngineFault::ReadOnly:
        return QStringLiteral("数据库只能读取,不能写入,请与系统管理员联系!");
    case EngineFault::Damaged:
        return QStringLiteral("数据库文件已损坏,请从备份恢复!");
    case EngineFault::FileError:
        return QStringLiteral("读写数据库文件出错,请检查磁盘后再试!");
    }
    return {};
}

std::unique_ptr<SqlBackend> makeBackend(const QString& location)
{
    return PgLocation::isServer(location) ? makePgBackend() : makeSqliteBackend();
}

Database::Database(std::unique_ptr<SqlBackend> backend) : m_backend(std::move(backend)), m_connection(nextConnectionName()) {}

Database::~Database()
{
    close();
}

bool Database::open(const QString& location, QString* error, Upgrade upgrade)
{
    close();
    QString err;
    if (m_backend->driverName() != makeBackend(location)->driverName())
        m_backend = makeBackend(location);
    m_db = QSqlDatabase::addDatabase(m_backend->driverName(), m_connection);
    if (!m_backend->open(m_db, location, &err)) {
        if (error)
            *error = err;
        close();
        return false;
    }
    m_location = location;
    if (upgrade == Upgrade::Yes && !Versions::upgrade(*this, &err)) {
        if (error)
            *error = err;
        close();
        return false;
    }
    // Last, once the shared tables are as this program knows them.
    try {
        for (const QString& name : privateTables()) {
            const QString sql = m_backend->createPrivateTableSql(*Schema::table(name));
            if (sql.isEmpty())
                throw DbError(QStringLiteral("无法建立临时表 %1").arg(name));
            runNative(sql);
        }
    } catch (const DbError& e) {
        if (error)
            *error = e.text();
        close();
        return false;
    }
    return true;
}

const QStringList& Database::privateTables()
{
    static const QStringList names{QStringLiteral("通用"), QStringLiteral("图形显示")};
    return names;
}

bool Database::isPrivateTable(const QString& table)
{
    QString name = table.trimmed();
    if (name.size() > 1 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
        name = name.mid(1, name.size() - 2);
    return privateTables().contains(name);
}

QString SqlBackend::createPrivateTableSql(const TableDef& t) const
{
    // Both engines write "CREATE TABLE <name> (...)"; the same columns and types, temporary. SQLite
    // looks in its temp schema first, PostgreSQL in pg_temp (implicitly first in search_path).
    static const QString plain = QStringLiteral("CREATE TABLE ");
    const QString sql = createTableSql(t);
    if (!sql.startsWith(plain, Qt::CaseInsensitive))
        return {};  // none rather than a shared table by mistake
    return QStringLiteral("CREATE TEMP TABLE ") + sql.mid(plain.size());
}

bool Database::create(const QString& location, QString* error)
{
    close();
    QString err;
    if (m_backend->driverName() != makeBackend(location)->driverName())
        m_backend = makeBackend(location);
    m_db = QSqlDatabase::addDatabase(m_backend->driverName(), m_connection);
    if (!m_backend->create(m_db, location, &err)) {
        if (error)
            *error = err;
        close();
        return false;
    }
    m_location = location;
    try {
        Transaction tx(*this);
        for (const auto& t : Schema::tables())
            runNative(m_backend->createTableSql(t));
        for (const auto& t : Versions::ownTables())
            runNative(m_backend->createTableSql(t));
        for (const auto& s : m_backend->createIndexSql())
            runNative(s);
        for (const auto& s : Versions::ownIndexSql(*m_backend))
            runNative(s);
        Versions::seed(*this);
        tx.commit();
    } catch (const DbError& e) {
        if (error)
            *error = e.text();
        close();
        return false;
    }
    return true;
}

void Database::close()
{
    m_depth = 0;
    m_undos.clear();
    if (m_db.isValid()) {
        m_backend->settle(m_db);
        if (m_db.isOpen())
            m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
    m_location.clear();
}

std::unique_ptr<Database> Database::another() const
{
    std::unique_ptr<SqlBackend> b = m_backend->clone();
    return b ? std::make_unique<Database>(std::move(b)) : nullptr;
}

bool Database::isOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

QString Database::translate(const QString& jet) const
{
    return m_backend->translate(jet);
}

void Database::trace(const QString& sql, qsizetype binds) const
{
    if (binds > 0)
        qCDebug(lcSql, "[%s] %s [%lld bound]", qUtf8Printable(m_connection), qUtf8Printable(sql), qlonglong(binds));
    else
        qCDebug(lcSql, "[%s] %s", qUtf8Printable(m_connection), qUtf8Printable(sql));
}

QSqlQuery Database::runNative(const QString& sql, const QVariantList& binds)
{
    if (!isOpen())
        throw notConnected();
    m_backend->settle(m_db);
    trace(sql, binds.size());
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    const auto fail = [this](const QSqlError& e) {
        const DbError::Kind kind = m_backend->isBusy(e) ? DbError::Kind::Busy : DbError::Kind::Engine;
        const QString said = m_backend->clerkText(m_db, e);
        if (said.isEmpty())
            return DbError(e.text(), kind);
        // The clerk reads it in words of the counter; the engine's own text is kept in the log.
        qCWarning(lcData, "%s (%s)", qPrintable(e.text()), qPrintable(e.nativeErrorCode()));
        return DbError(said, kind);
    };
    if (binds.isEmpty()) {
        if (!q.exec(sql))
            throw fail(q.lastError());
        return q;
    }
    if (!q.prepare(sql))
        throw fail(q.lastError());
    for (const auto& b : binds)
        q.addBindValue(m_backend->bindValue(b));
    if (!q.exec())
        throw fail(q.lastError());
    return q;
}

QSqlQuery Database::run(const QString& jet, const QVariantList& binds)
{
    return runNative(translate(jet), binds);
}

int Database::execute(const QString& jet, const QVariantList& binds)
{
    QSqlQuery q = run(jet, binds);
    return q.numRowsAffected();
}

void Database::begin()
{
    runNative(m_depth == 0 ? m_backend->beginStatement() : QStringLiteral("SAVEPOINT sp%1").arg(m_depth));
    ++m_depth;
    m_undos.emplace_back();
    if (m_depth == 1 && !m_backend->afterBeginStatement().isEmpty()) {
        try {
            runNative(m_backend->afterBeginStatement());
        } catch (...) {
            rollback();
            throw;
        }
    }
}

void Database::commit()
{
    if (m_depth == 0)
        throw DbError(QStringLiteral("没有进行中的事务"));
    // A failed COMMIT (for example busy) leaves the transaction open for the caller's rollback.
    runNative(m_depth == 1 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE SAVEPOINT sp%1").arg(m_depth - 1));
    --m_depth;
    std::vector<Undo> done = std::move(m_undos.back());
    m_undos.pop_back();
    if (m_undos.empty())
        return;
    // A savepoint's work is now the enclosing transaction's: so are its undos, except a joining
    // of an owner that joined the enclosing one before (that one holds the earlier state).
    std::vector<Undo>& outer = m_undos.back();
    for (Undo& u : done) {
        const bool joinedBefore = u.joining && std::any_of(outer.begin(), outer.end(), [&u](const Undo& o) {
                                      return o.joining && o.owner == u.owner;
                                  });
        if (!joinedBefore)
            outer.push_back(std::move(u));
    }
}

void Database::rollback()
{
    if (m_depth == 0)
        return;
    --m_depth;
    std::vector<Undo> undos = std::move(m_undos.back());
    m_undos.pop_back();
    // The memory follows once the engine has rolled back (an undo may read again), and also when
    // the rollback itself failed: the work is lost either way.
    try {
        if (m_depth == 0) {
            runNative(QStringLiteral("ROLLBACK"));
        } else {
            const QString sp = QStringLiteral("sp%1").arg(m_depth);
            runNative(QStringLiteral("ROLLBACK TO SAVEPOINT ") + sp);
            runNative(QStringLiteral("RELEASE SAVEPOINT ") + sp);
        }
    } catch (...) {
        runUndos(undos);
        throw;
    }
    runUndos(undos);
}

void Database::runUndos(std::vector<Undo>& undos)
{
    for (auto u = undos.rbegin(); u != undos.rend(); ++u) {
        if (!u->owner)
            continue;
        try {
            u->undo();
        } catch (const std::exception& e) {
            qCWarning(lcData, "%s", e.what());
        }
    }
}

void Database::joinTransaction(QObject* owner, std::function<void()> undo)
{
    if (m_undos.empty() || hasJoined(owner))
        return;
    m_undos.back().push_back({owner, std::move(undo), true});
}

void Database::onRollback(QObject* owner, std::function<void()> undo)
{
    if (!m_undos.empty())
        m_undos.back().push_back({owner, std::move(undo), false});
}

bool Database::hasJoined(const QObject* owner) const
{
    if (m_undos.empty())
        return false;
    const std::vector<Undo>& inner = m_undos.back();
    return std::any_of(inner.begin(), inner.end(), [owner](const Undo& u) { return u.joining && u.owner == owner; });
}

void Database::setBusyTimeout(int milliseconds)
{
    if (isOpen()) {
        m_backend->settle(m_db);
        m_backend->setBusyTimeout(m_db, milliseconds);
    }
}

QVector<qint64> SqlBackend::integerColumn(QSqlDatabase& db, const QString& sql, QString* error)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QVector<qint64> out;
    if (!q.exec(sql)) {
        *error = q.lastError().text();
        return out;
    }
    while (q.next())
        out.push_back(q.value(0).toLongLong());
    return out;
}

DbError Database::notConnected() const
{
    // Opened and not closed since: the engine dropped the connection (a server that went away).
    if (m_db.isValid() && !m_location.isEmpty())
        return DbError(engineFaultText(EngineFault::ConnectionLost));
    return DbError(QStringLiteral("数据库没有连接"));
}

DbError Database::readError(const QString& text)
{
    // The backends' reads hand over the engine's text alone; a broken connection can still be told
    // from the connection itself.
    const QString said = m_backend->clerkText(m_db, QSqlError(QString(), text));
    if (said.isEmpty())
        return DbError(text);
    qCWarning(lcData, "%s", qPrintable(text));
    return DbError(said);
}

QVector<qint64> Database::selectKeys(const QString& jet, int limit)
{
    if (!isOpen())
        throw notConnected();
    m_backend->settle(m_db);
    QString error;
    QString sql = m_backend->translateKeysOnly(jet);
    if (limit >= 0)
        sql += QStringLiteral(" LIMIT ") + QString::number(limit);
    trace(sql);
    QVector<qint64> keys = m_backend->integerColumn(m_db, sql, &error);
    if (!error.isEmpty())
        throw readError(error);
    return keys;
}

bool SqlBackend::selectRows(QSqlDatabase& db, const QString& sql, QStringList* names, QVector<QVector<QVariant>>* rows, QString* error)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        *error = q.lastError().text();
        return false;
    }
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        *names << rec.fieldName(i);
    while (q.next()) {
        QVector<QVariant> r;
        r.reserve(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            r.push_back(q.value(i));
        rows->push_back(std::move(r));
    }
    return true;
}

void Database::selectRows(const QString& sql, bool native, QStringList* names, QVector<QVector<QVariant>>* rows)
{
    if (!isOpen())
        throw notConnected();
    m_backend->settle(m_db);
    QString error;
    const QString sent = native ? sql : translate(sql);
    trace(sent);
    if (!m_backend->selectRows(m_db, sent, names, rows, &error))
        throw readError(error);
}

namespace {
QString keyedRowsSql(const QString& quotedTable, const QStringList& quotedColumns, const QString& keys)
{
    return QStringLiteral("SELECT ") + quotedColumns.join(QLatin1Char(',')) + QLatin1Char(',') + Schema::KeyColumn
           + QStringLiteral(" FROM ") + quotedTable + QStringLiteral(" WHERE ") + Schema::KeyColumn + QStringLiteral(" IN (") + keys
           + QLatin1Char(')');
}
}  // namespace

bool SqlBackend::rowsByKey(QSqlDatabase& db, const QString& quotedTable, const QStringList& quotedColumns, const QVector<qint64>& keys,
                           const QVector<qint64>&, QVector<QVector<QVariant>>* rows, QString* error)
{
    QString ids;
    ids.reserve(keys.size() * 8);
    for (qint64 k : keys) {
        if (!ids.isEmpty())
            ids += QLatin1Char(',');
        ids += QString::number(k);
    }
    QStringList names;
    return selectRows(db, keyedRowsSql(quotedTable, quotedColumns, ids), &names, rows, error);
}

void Database::rowsByKey(const QString& table, const QStringList& columns, const QVector<qint64>& keys, const QVector<qint64>& next,
                         QVector<QVector<QVariant>>* rows)
{
    if (!isOpen())
        throw notConnected();
    const auto quote = [](const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); };
    QStringList quoted;
    quoted.reserve(columns.size());
    for (const QString& c : columns)
        quoted << quote(c);
    if (lcSql().isDebugEnabled())
        trace(keyedRowsSql(quote(table), quoted, QStringLiteral("?")), keys.size());
    QString error;
    if (!m_backend->rowsByKey(m_db, quote(table), quoted, keys, next, rows, &error))
        throw readError(error);
}
