#pragma once
// A static, updatable record set over one select statement, as every window uses it:
// SQL text as lines; open, close, execute; a current row with first/next/last/end;
// typed reads by column name; edit/append/set/post/cancel/delete; notifications that bound
// fields and grids follow, which can be suspended while a loop walks the set.
#include "core/money.h"
#include "data/listquery.h"
#include "data/rowcache.h"
#include "data/schema.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>

class Database;
class QThread;
struct KeyJob;

class RecordSet : public QObject {
    Q_OBJECT
public:
    enum State { Inactive, Browse, Edit, Insert };
    Q_ENUM(State)

    struct Field {
        QString name;
        FieldType type = FieldType::Text;
        bool inSchema = false;  // a column of the table read, rather than a computed one
    };

    explicit RecordSet(Database* db, const QString& name = {}, QObject* parent = nullptr);
    ~RecordSet() override;

    Database* database() const { return m_db; }
    void setDatabase(Database* db) { m_db = db; }

    // SQL text, one entry per line.
    const QStringList& sql() const { return m_sql; }
    void setSql(const QStringList& lines)
    {
        m_sql = lines;
        m_list.reset();
    }
    void clearSql()
    {
        m_sql.clear();
        m_list.reset();
    }
    void addSql(const QString& line)
    {
        m_sql << line;
        m_list.reset();
    }
    // A list's query: its lines, with what they select held beside them.
    void setQuery(const ListQuery& query)
    {
        m_sql = query.lines;
        m_list = query;
    }
    // Null when the SQL was given as lines only.
    const ListQuery* listQuery() const { return m_list ? &*m_list : nullptr; }
    QString sqlText() const { return m_sql.join(QLatin1Char('\n')); }

    void open();   // throws DbError
    void close();  // pending changes are dropped
    void reopen()
    {
        close();
        open();
    }
    bool isOpen() const { return m_state != Inactive; }
    int execSql();  // runs the text as a statement (delete/update/insert); rows affected

    // The whole list's count: a long list opened lazily reads the rest of its keys first.
    int recordCount() const { return m_cache.size(); }
    bool isEmpty() const { return m_cache.isEmpty(); }
    // A long keyed list opens with the keys of its first screen and reads the rest on a second
    // connection meanwhile (rowsAppended when they arrive); anything that needs the whole list
    // before then reads it at once. Grids count the rows known so far and grow.
    int rowsKnown() const { return m_cache.knownSize(); }
    bool allRowsKnown() const { return m_cache.keysComplete(); }
    // The keys read at the opening of a long list before the rest.
    static constexpr int FirstKeys = RowCache::PageRows;

    void first();
    void next();
    void prior();
    void last();
    void moveTo(int row);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    int currentRow() const { return m_cur; }  // -1 when empty

    const QVector<Field>& fields() const { return m_fields; }
    int fieldIndex(const QString& name) const;  // -1 when absent
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    QString tableName() const { return m_table; }
    bool canModify() const { return !m_table.isEmpty(); }

    // Reads of the current row (the edit buffer while editing). Unknown names throw DbError, and so
    // does an amount beyond the range of Money (asMoney, asString), never read as 0.
    QVariant value(const QString& name) const;
    bool isNull(const QString& name) const;
    QString asString(const QString& name) const;
    Money asMoney(const QString& name) const;
    qint64 asInteger(const QString& name) const;  // nearest whole number, halves to even
    double asFloat(const QString& name) const;
    QDateTime asDateTime(const QString& name) const;  // invalid when empty
    bool asBoolean(const QString& name) const;

    // The current row's value as stored, ignoring an edit in progress (null for a new row).
    QVariant storedValue(const QString& name) const;
    // Raw value of any row and column as shown (grids): the edit buffer for the row being edited.
    QVariant valueAt(int row, int column) const;
    // As stored, ignoring an edit in progress (null for a new row not yet posted).
    QVariant storedAt(int row, int column) const;
    // Text of a value as grids, prints and exports show it; an amount beyond the range shows
    // Amounts::outOfRange() instead of a number.
    QString displayText(int row, int column) const;
    static QString displayText(const QVariant& v, FieldType type);

    void edit();
    void append();
    void setValue(const QString& name, const QVariant& v);
    void setValue(const QString& name, const Money& m) { setValue(name, QVariant::fromValue(m)); }
    // Writes the pending row. An update addresses the row by its key and by every value as it was
    // read, so a change made elsewhere since then is never overwritten: DbConflict, nothing
    // written. A set read before a restore or data initialization writes nothing (Kind::Stale).
    // Throws DbError; the state stays Edit/Insert.
    // Inside a transaction the set follows it: edit, append, setValue and post join the open
    // transaction with the set as it stands (the first of them counts), and a rollback puts the
    // rows written and the edit state back as they were then (what was typed stays to be saved
    // again). Outside one, post writes in a transaction of its own.
    void post();
    void cancel();
    // Deletes the current row, addressed by key and every value read: a row changed elsewhere is
    // a DbConflict and stays; a row already deleted elsewhere just leaves the set.
    void remove();
    // The current row read again from its table, after a write of a statement of its own (a
    // contract extended by its rule); footers follow the difference. Nothing while it is edited.
    void refreshCurrent();
    State state() const { return m_state; }
    // Changes whenever the set is opened or closed (not when controls are re-attached).
    quint64 generation() const { return m_generation; }

    // Detach bound fields and grids while a loop walks the set; nesting is counted.
    void disableControls() { ++m_disabled; }
    void enableControls();
    bool controlsDisabled() const { return m_disabled > 0; }

    // Convert a value to what the database stores for a column of the given type. Given the table
    // and column, a text longer than the column holds or with characters it refuses is a DbError
    // naming the column (Schema::textProblem).
    static QVariant toStorage(const QVariant& v, FieldType type, const QString& table = {}, const QString& column = {});

Q_SIGNALS:
    void reset();  // the whole content changed (open, close, re-attach)
    void currentChanged(int row);
    void rowChanged(int row);  // stored or buffered values of a row changed
    void rowInserted(int row);
    void rowRemoved(int row);
    // The rest of a lazily opened list arrived: rows first..last follow the ones known before.
    void rowsAppended(int first, int last);
    void stateChanged(RecordSet::State state);
    void fieldChanged(const QString& name);
    // Before a row is written or deleted, and after: the row's stored values before and after
    // (before empty for a new row, after empty for a deleted one). Footers follow the rows by them.
    void aboutToStore();
    void rowStored(int row, const QVector<QVariant>& before, const QVector<QVariant>& after);

private:
    void checkOpen() const;
    void checkBrowse();  // posts pending edits before moving, as navigation does
    void setState(State s);
    void setCurrent(int row);
    int requireField(const QString& name) const;
    const QVariant& cell(int col) const;
    void readBack(int row);
    QString sameValues(const QVector<int>& columns, const QVector<QVariant>& values, QVariantList* binds) const;
    QVector<int> allColumns() const;
    // The write of the current row (or row) into the audit log of its table.
    void audit(const QVector<QVariant>& before, const QVector<QVariant>& after, int row = -1);
    void openKeyed(const QString& text, const QString& table);
    void openStatic(const QString& text);
    // A connection that may read the rest of a long list's keys; null when the list is read whole.
    std::unique_ptr<Database> laterConnection(const QString& text, const QString& table) const;
    // The keys after the first screen's, on the second connection.
    void readRestOfKeys(const QString& text, std::unique_ptr<Database> second);
    void keysRead(const std::shared_ptr<KeyJob>& job);
    void keysCompleted(int known, int total);
    // Whether a row exists, without reading the rest of the keys for a row already known.
    bool hasRow(int row) const { return row >= 0 && (row < m_cache.knownSize() || row < m_cache.size()); }
    void fetch(int row) const { m_cache.load(row, m_cur); }
    // The cache's loader: rows of the table by key (next: the page a walk in order reads after them).
    QVector<std::pair<qint64, RowCache::Row>> rowsByKey(const QVector<qint64>& keys, const QVector<qint64>& next) const;
    QStringList fieldNames() const;
    bool live() const { return m_disabled == 0; }
    // Following a transaction (see post()).
    struct Snapshot {
        quint64 generation = 0;
        State state = Inactive;
        int row = -1;
        int rowCount = 0;
        int beforeInsert = -1;
        bool bof = true;
        bool eof = true;
        qint64 key = 0;
        QVector<QVariant> stored;  // the pending row as stored (a new row: its empty values)
        QVector<QVariant> buffer;
        QVector<bool> touched;
    };
    void takePart();
    void putBack(const Snapshot& s);
    void unstore(quint64 generation, int row, qint64 key, const QVector<QVariant>& before, bool reported);

    Database* m_db;
    QStringList m_sql;
    std::optional<ListQuery> m_list;
    QString m_table;
    QVector<Field> m_fields;
    // The rows with their hidden keys (0 for a pending new row); a keyed set reads them by key as
    // they are asked for.
    mutable RowCache m_cache;
    QVector<QVariant> m_buffer;  // edit buffer of the current row
    QVector<bool> m_touched;
    int m_cur = -1;
    int m_beforeInsert = -1;
    bool m_eof = true;
    bool m_bof = true;
    State m_state = Inactive;
    int m_disabled = 0;
    quint64 m_generation = 0;
    qint64 m_dataGeneration = 0;       // the database's data generation when the rows were read
    std::shared_ptr<KeyJob> m_keyJob;  // the rest of the keys being read; reset abandons it
    QVector<QThread*> m_keyThreads;    // running or finished, not yet reaped

public:
    // The hidden key of a row (0 for a new row not yet posted): a stream of the same statement
    // checks by it that its rows are the set's.
    qint64 keyAt(int row) const { return m_cache.key(row); }
};

// Where grids and bound fields attach; named after the record set it serves (ds_qcda for q_qcda).
class DataSource : public QObject {
    Q_OBJECT
public:
    DataSource(RecordSet* set, const QString& name, QObject* parent = nullptr) : QObject(parent), m_set(set) { setObjectName(name); }
    RecordSet* dataSet() const { return m_set; }

private:
    RecordSet* m_set;
};
