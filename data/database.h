#pragma once
// The one database connection of the program. Statements arrive in the Jet dialect and pass the
// backend's translation step; errors come back as DbError with the engine's text.
#include <QLoggingCategory>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <QVector>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "data/schema.h"

class QSqlError;

// Engine errors that the program handles without showing them go to the log under this category.
Q_DECLARE_LOGGING_CATEGORY(lcData)
// Every statement as it reaches the engine, after translation (debug level, off unless enabled:
// QT_LOGGING_RULES="velmira.sql.debug=true"). Bound values are not logged, only their number.
Q_DECLARE_LOGGING_CATEGORY(lcSql)

class DbError : public std::runtime_error {
public:
    // Busy: another workstation holds the write lock past the wait; trying again later may succeed.
    // Conflict: the row was changed or deleted elsewhere since it was read; nothing was written.
    // Stale: the rows were read before a restore or data initialization replaced the content;
    // nothing was written, and only a window opened afresh can write again.
    enum class Kind { Engine, Busy, Conflict, Stale };
    explicit DbError(const QString& text, Kind kind = Kind::Engine)
        : std::runtime_error(text.toStdString()), m_text(text), m_kind(kind)
    {}
    QString text() const { return m_text; }
    Kind kind() const { return m_kind; }

private:
    QString m_text;
    Kind m_kind;
};

// A save that would overwrite a change it did not see, or a row deleted elsewhere.
class DbConflict : public DbError {
public:
    explicit DbConflict(const QString& text) : DbError(text, Kind::Conflict) {}
};

// The engine errors a clerk can meet, as each backend recognises them by the engine's code; said
// the same way on both engines (engineFaultText).
enum class EngineFault {
    TooLong,
    BadCharacter,
    Duplicate,
    Rule,
    Busy,
    TimedOut,
    ConnectionLost,
    DiskFull,
    ReadOnly,
    Damaged,
    FileError
};
QString engineFaultText(EngineFault fault);

// What differs between engines. SQLite is the embedded default; a server backend implements the same.
class SqlBackend {
public:
    virtual ~SqlBackend() = default;
    virtual QString driverName() const = 0;
    // Open an existing database; never creates one.
    virtual bool open(QSqlDatabase& db, const QString& location, QString* error) = 0;
    // Prepare a new, empty database at location (creation step only).
    virtual bool create(QSqlDatabase& db, const QString& location, QString* error) = 0;
    virtual QString translate(const QString& jet) const = 0;
    // The keys of the rows a plain single-table "select *" delivers, in its order.
    virtual QString translateKeysOnly(const QString& jet) const = 0;
    // The first column of every row of a native statement as integers (the keys of a record set).
    virtual QVector<qint64> integerColumn(QSqlDatabase& db, const QString& sql, QString* error);
    // All rows of a native select with their column names; false with the engine text on error.
    virtual bool selectRows(QSqlDatabase& db, const QString& sql, QStringList* names, QVector<QVector<QVariant>>* rows,
                            QString* error);
    // Rows of a table by key (a record set's page): the quoted columns and the key last, as selectRows
    // reads them, in any order; a key without a row is absent. next: the keys likely asked for next
    // (a walk in order), which a backend may start reading meanwhile.
    virtual bool rowsByKey(QSqlDatabase& db, const QString& quotedTable, const QStringList& quotedColumns, const QVector<qint64>& keys,
                           const QVector<qint64>& next, QVector<QVector<QVariant>>* rows, QString* error);
    // Whatever the backend started reading ahead on the connection is taken off it: called before
    // anything else runs there.
    virtual void settle(QSqlDatabase&) {}
    virtual QString createTableSql(const TableDef& t) const = 0;
    // Whether an engine error means the database is locked by another connection.
    virtual bool isBusy(const QSqlError& error) const = 0;
    // What the clerk is told of an engine error a clerk can meet (a value the engine cannot hold, a
    // duplicate or a broken rule of the database, a lock held past the wait, a lost connection, a
    // full disk), from the engine's own error code; empty where the engine's text is passed on.
    virtual QString clerkText(QSqlDatabase&, const QSqlError&) const { return {}; }
    // Statement opening a write transaction (taking the write lock at once, so a transaction never
    // fails half-way for want of it).
    virtual QString beginStatement() const { return QStringLiteral("BEGIN"); }
    // A statement run right after the begin of the outermost transaction; empty for none.
    virtual QString afterBeginStatement() const { return {}; }
    // A condition true when a column of the given type holds exactly the bound value, nulls
    // included, text compared byte for byte (the optimistic check of updates and deletes).
    virtual QString sameValue(const QString& quotedColumn, FieldType type = FieldType::Text) const = 0;
    // A column as a row read by its key selects it, in the form the program reads (dates as
    // storage text).
    virtual QString readColumn(const QString& quotedColumn, FieldType) const { return quotedColumn; }
    // A bound value in the form the engine takes it (dates as storage text).
    virtual QVariant bindValue(const QVariant& v) const { return v; }
    // Whether the table hands out each key once only, also after its highest row was deleted
    // (tables of an older version may not).
    virtual bool keysLast(QSqlDatabase&, const QString&) const { return true; }
    // A select of one value: the highest key the table has handed out so far (null for none yet).
    virtual QString keyMarkSql(const QString& quotedTable) const = 0;
    // Statements after which the table's keys continue above mark (never lowering them).
    virtual QStringList raiseKeysSql(const QString& quotedTable, qint64 mark) const = 0;
    // Appends many rows to a table inside the caller's transaction faster than insert statements
    // can; value(row, column) gives each value in storage form. False with an empty error where the
    // engine has no such path (the caller then inserts), false with the error where it failed.
    virtual bool appendRows(QSqlDatabase&, const QString&, const QStringList&, qsizetype,
                            const std::function<const QVariant&(qsizetype, int)>&, QString*)
    {
        return false;
    }
    // Statements run outside any transaction once a bulk load into the given tables has committed
    // (fresh planner statistics, so the first list opened afterwards uses the indexes). Only those
    // tables: the rest of the database may belong to someone else.
    virtual QStringList afterLoadSql(const QStringList& /*tables*/) const { return {}; }
    // How long a statement waits for another connection's lock before it fails.
    virtual void setBusyTimeout(QSqlDatabase& db, int milliseconds) = 0;
    virtual QStringList createIndexSql() const = 0;
    // A fresh backend of the same kind, for a second connection to the same database (a worker
    // thread's own); null where the engine offers none.
    virtual std::unique_ptr<SqlBackend> clone() const { return nullptr; }
    // A temporary table of the connection with the name and columns of t (the table's own DDL,
    // made temporary): unqualified names resolve to it before the shared table of that name.
    virtual QString createPrivateTableSql(const TableDef& t) const;
};

std::unique_ptr<SqlBackend> makeSqliteBackend();
// The backend a location names: a postgresql:// address is a server database, anything else a file.
std::unique_ptr<SqlBackend> makeBackend(const QString& location);

class Database {
public:
    explicit Database(std::unique_ptr<SqlBackend> backend = makeSqliteBackend());
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The location is a file or a server address; the backend follows it. A database of an older
    // version is brought to the current one (Upgrade::No: read as it is, e.g. the source of a copy).
    // The connection gets its own empty private tables (privateTables()).
    enum class Upgrade { Yes, No };
    bool open(const QString& location, QString* error = nullptr, Upgrade upgrade = Upgrade::Yes);
    // Creation step: a new database with the schema and no rows. Refuses an existing file, or a
    // server database that already holds our tables.
    bool create(const QString& location, QString* error = nullptr);
    void close();
    bool isOpen() const;
    QString location() const { return m_location; }

    QString translate(const QString& jet) const;
    // Run a statement (Jet dialect); throws DbError with the engine's text.
    QSqlQuery run(const QString& jet, const QVariantList& binds = {});
    // Run a statement that is already in the backend's dialect (internal updates by key).
    QSqlQuery runNative(const QString& sql, const QVariantList& binds = {});
    int execute(const QString& jet, const QVariantList& binds = {});
    // Keys of the rows a plain single-table "select *" delivers, in its order (throws DbError);
    // with a limit only the first ones.
    QVector<qint64> selectKeys(const QString& jet, int limit = -1);
    // All rows of a select with their column names (throws DbError); native: no translation.
    void selectRows(const QString& sql, bool native, QStringList* names, QVector<QVector<QVariant>>* rows);
    // Rows of a table by key, each the given columns with the key last (throws DbError); see
    // SqlBackend::rowsByKey.
    void rowsByKey(const QString& table, const QStringList& columns, const QVector<qint64>& keys, const QVector<qint64>& next,
                   QVector<QVector<QVariant>>* rows);

    // Transactions nest: the outermost one is the engine's, inner ones are savepoints.
    void begin();
    void commit();
    void rollback();
    int transactionDepth() const { return m_depth; }

    // What lives in memory and must follow the transaction (a record set's rows and edit buffer).
    // An owner joins the innermost open transaction with an undo that puts it back as it is now;
    // only its first joining of that transaction counts. Further undos (onRollback) each undo one
    // later step of a joined owner. A rollback, explicit or by the guard, runs the transaction's
    // undos newest first once the engine has rolled back; a commit drops them, or hands them to
    // the enclosing transaction when it is a savepoint (where the enclosing one's own first joining
    // stands). Undos of an owner deleted since are skipped; outside a transaction nothing is kept.
    void joinTransaction(QObject* owner, std::function<void()> undo);
    void onRollback(QObject* owner, std::function<void()> undo);
    // Whether owner has joined the innermost open transaction.
    bool hasJoined(const QObject* owner) const;
    void setBusyTimeout(int milliseconds);

    // An unopened connection of the same kind, for another thread: open it on location() in the
    // thread that uses it (connections belong to the thread that opens them). Null when the backend
    // cannot make a second one.
    std::unique_ptr<Database> another() const;

    // The scratch tables (通用, 图形显示): every opened connection has its own temporary table of
    // each, resolved before the shared one by the statements as written, so two workstations'
    // statistics never see or delete each other's rows. Another connection (a worker thread's)
    // sees its own, empty ones: whatever reads them must run on the connection that filled them.
    static const QStringList& privateTables();
    static bool isPrivateTable(const QString& table);

    // Whoever takes the connection itself finds it free of a read begun ahead.
    QSqlDatabase& handle()
    {
        m_backend->settle(m_db);
        return m_db;
    }
    SqlBackend& backend() { return *m_backend; }

private:
    DbError notConnected() const;
    DbError readError(const QString& text);
    void trace(const QString& sql, qsizetype binds = 0) const;

    struct Undo {
        QPointer<QObject> owner;
        std::function<void()> undo;
        bool joining = false;  // the owner's first joining of the transaction
    };
    static void runUndos(std::vector<Undo>& undos);

    std::unique_ptr<SqlBackend> m_backend;
    QString m_connection;
    QString m_location;
    QSqlDatabase m_db;
    int m_depth = 0;
    std::vector<std::vector<Undo>> m_undos;  // one list per open transaction, innermost last
};

// Scope guard: commits only when told to, rolls back otherwise.
class Transaction {
public:
    explicit Transaction(Database& db) : m_db(db) { m_db.begin(); }
    ~Transaction()
    {
        if (!m_done) {
            try {
                m_db.rollback();
            } catch (...) {
            }
        }
    }
    void commit()
    {
        m_db.commit();
        m_done = true;
    }

private:
    Database& m_db;
    bool m_done = false;
};
