#include "data/recordset.h"
#include "core/dates.h"
#include "core/heap.h"
#include "data/amounts.h"
#include "data/auditlog.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "data/versions.h"
#include "data/textlimits.h"
#include "data/workerconnection.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <cmath>
#include <memory>

// The rest of a long list's keys, read on a connection of its own. The worker touches only that
// connection and the result fields; the set reads them once the worker has finished.
struct KeyJob {
    QString location;
    QString text;                  // the list's statement (Jet)
    std::unique_ptr<Database> db;  // unopened; opened and closed by the worker
    QVector<qint64> keys;
    bool ok = false;
    QString error;

    void run()
    {
        ok = readOnWorkerConnection(
            db, location, [this](Database& d) { keys = d.selectKeys(text); }, &error);
    }
};

namespace {
const QVariant& nullValue()
{
    static const QVariant v;
    return v;
}

QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

bool isNumeric(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}
}  // namespace

RecordSet::RecordSet(Database* db, const QString& name, QObject* parent) : QObject(parent), m_db(db)
{
    setObjectName(name);
}

RecordSet::~RecordSet()
{
    // A worker still reading keys reads on into nothing: waited for, its result dropped.
    m_keyJob.reset();
    for (QThread* t : std::as_const(m_keyThreads)) {
        t->wait();
        delete t;
    }
}

void RecordSet::checkOpen() const
{
    if (m_state == Inactive)
        throw DbError(QStringLiteral("%1: 记录集没有打开").arg(objectName()));
}

void RecordSet::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    if (live())
        Q_EMIT stateChanged(s);
}

void RecordSet::setCurrent(int row)
{
    const bool changed = row != m_cur;
    m_cur = row;
    if (changed && live())
        Q_EMIT currentChanged(row);
}

void RecordSet::open()
{
    if (!m_db)
        throw DbError(QStringLiteral("%1: 没有数据库连接").arg(objectName()));
    close();
    const QString text = sqlText();
    const JetSql::Shape shape = JetSql::analyze(text);
    if (shape.selectStar)
        openKeyed(text, shape.table);
    else
        openStatic(text);
    m_cur = m_cache.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_cache.isEmpty();
    ++m_generation;
    setState(Browse);
    if (live()) {
        Q_EMIT reset();
        Q_EMIT currentChanged(m_cur);
    }
}

void RecordSet::openKeyed(const QString& text, const QString& table)
{
    // The rows of one table: only the keys are read now, in the statement's order; the rows
    // themselves are fetched by key, a page at a time, when something reads them. The generation
    // is read first: a restore between the two reads makes the set stale, never the reverse.
    const qint64 generation = Versions::generation(*m_db);
    // A long list shows its first screen before the rest of its keys are read.
    std::unique_ptr<Database> second = laterConnection(text, table);
    QVector<qint64> k = m_db->selectKeys(text, second ? FirstKeys : -1);
    QSqlQuery shape = m_db->runNative(QStringLiteral("SELECT * FROM ") + quoted(table) + QStringLiteral(" WHERE 1=0"));
    const QSqlRecord rec = shape.record();
    QVector<Field> fields;
    for (int i = 0; i < rec.count(); ++i) {
        const QString name = rec.fieldName(i);
        if (name == Schema::KeyColumn)
            continue;
        Field f;
        f.name = name;
        f.type = Schema::columnType(table, name);
        f.inSchema = Schema::hasColumn(table, name);
        fields.push_back(f);
    }
    m_fields = std::move(fields);
    m_table = table;
    m_dataGeneration = generation;
    const bool more = second && k.size() == FirstKeys;
    m_cache.setKeys(std::move(k), int(m_fields.size()),
                    [this](const QVector<qint64>& keys, const QVector<qint64>& next) { return rowsByKey(keys, next); });
    if (more)
        readRestOfKeys(text, std::move(second));
}

std::unique_ptr<Database> RecordSet::laterConnection(const QString& text, const QString& table) const
{
    // Rows written in an open transaction are invisible to another connection, and a private
    // scratch table is another one there: those lists are read whole here, and so is a statement
    // that limits its rows itself.
    static const QRegularExpression limits(QStringLiteral("\\blimit\\b|;"), QRegularExpression::CaseInsensitiveOption);
    if (m_db->transactionDepth() > 0 || Database::isPrivateTable(table) || m_db->backend().translateKeysOnly(text).contains(limits))
        return nullptr;
    return m_db->another();
}

void RecordSet::readRestOfKeys(const QString& text, std::unique_ptr<Database> second)
{
    m_cache.setKeysPending([this, text] { return m_db->selectKeys(text); },
                           [this](int known, int total) { keysCompleted(known, total); });
    auto job = std::make_shared<KeyJob>();
    job->location = m_db->location();
    job->text = text;
    job->db = std::move(second);
    m_keyJob = job;
    QThread* t = QThread::create([job] { job->run(); });
    m_keyThreads << t;
    connect(t, &QThread::finished, this, [this, t, job] {
        t->wait();
        m_keyThreads.removeOne(t);
        delete t;
        keysRead(job);
    });
    t->start();
}

void RecordSet::keysRead(const std::shared_ptr<KeyJob>& job)
{
    // Closed, opened again or read whole since: dropped.
    if (m_keyJob != job)
        return;
    m_keyJob.reset();
    if (m_cache.keysComplete())
        return;
    if (job->ok) {
        m_cache.finishKeys(std::move(job->keys));
        return;
    }
    qCWarning(lcData, "the keys of %s in the background: %s", qPrintable(objectName()), qPrintable(job->error));
    try {
        m_cache.completeKeys();
    } catch (const DbError& e) {
        // Nothing to tell from the event loop: the list stays as far as it was read.
        qCWarning(lcData, "%s", qPrintable(e.text()));
        m_cache.finishKeys({});
    }
}

void RecordSet::keysCompleted(int known, int total)
{
    m_keyJob.reset();
    if (live())
        Q_EMIT rowsAppended(known, total - 1);
}

QStringList RecordSet::fieldNames() const
{
    QStringList names;
    names.reserve(m_fields.size());
    for (const auto& f : m_fields)
        names << f.name;
    return names;
}

// The set's columns in its order with the key last, so that each row read is kept as it comes.
// Columns as they are: rows by key hand dates out as storage text on every engine, and a server
// formats its own date text far quicker than a conversion by pattern.
QVector<std::pair<qint64, RowCache::Row>> RecordSet::rowsByKey(const QVector<qint64>& keys, const QVector<qint64>& next) const
{
    QVector<QVector<QVariant>> got;
    m_db->rowsByKey(m_table, fieldNames(), keys, next, &got);
    QVector<std::pair<qint64, RowCache::Row>> rows;
    rows.reserve(got.size());
    for (auto& g : got) {
        const qint64 key = g.takeLast().toLongLong();
        rows.push_back({key, std::move(g)});
    }
    return rows;
}

void RecordSet::openStatic(const QString& text)
{
    QStringList names;
    QVector<QVector<QVariant>> rows;
    m_db->selectRows(text, false, &names, &rows);
    QVector<Field> fields;
    for (const QString& n : std::as_const(names)) {
        Field f;
        f.name = n;
        fields.push_back(f);
    }
    // Computed columns take the kind of their first value, so that grids can align and format them.
    for (int c = 0; c < fields.size(); ++c) {
        for (const auto& r : rows) {
            if (r[c].isNull())
                continue;
            const int id = r[c].metaType().id();
            fields[c].type = (id == QMetaType::Double) ? FieldType::Number : isNumeric(r[c]) ? FieldType::Integer : FieldType::Text;
            break;
        }
    }
    m_fields = std::move(fields);
    m_cache.setRows(std::move(rows));
    m_table.clear();
}

void RecordSet::close()
{
    if (m_state == Inactive)
        return;
    m_keyJob.reset();
    const bool longList = m_cache.knownSize() >= Heap::LongList;
    m_cache.clear();
    if (longList)
        Heap::releaseFreed();
    m_fields.clear();
    m_buffer.clear();
    m_touched.clear();
    m_table.clear();
    m_cur = -1;
    m_bof = m_eof = true;
    ++m_generation;
    setState(Inactive);
    if (live())
        Q_EMIT reset();
}

int RecordSet::execSql()
{
    if (!m_db)
        throw DbError(QStringLiteral("%1: 没有数据库连接").arg(objectName()));
    return m_db->execute(sqlText());
}

void RecordSet::checkBrowse()
{
    checkOpen();
    if (m_state == Edit || m_state == Insert)
        post();
}

void RecordSet::first()
{
    checkBrowse();
    setCurrent(m_cache.isEmpty() ? -1 : 0);
    m_bof = true;
    m_eof = m_cache.isEmpty();
}

void RecordSet::next()
{
    checkBrowse();
    if (hasRow(m_cur + 1)) {
        setCurrent(m_cur + 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_eof = true;
    }
}

void RecordSet::prior()
{
    checkBrowse();
    if (m_cur > 0) {
        setCurrent(m_cur - 1);
        m_eof = false;
        m_bof = false;
    } else {
        m_bof = true;
    }
}

void RecordSet::last()
{
    checkBrowse();
    setCurrent(m_cache.size() - 1);
    m_eof = m_cache.isEmpty();
    m_bof = m_cache.isEmpty();
}

void RecordSet::moveTo(int row)
{
    checkBrowse();
    if (m_cache.isEmpty())
        return;
    // Within the rows known, the rest of a lazily opened list is not waited for.
    setCurrent(hasRow(row) ? row : std::clamp(row, 0, m_cache.size() - 1));
    m_bof = m_eof = false;
}

int RecordSet::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name == name)
            return i;
    return -1;
}

int RecordSet::requireField(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("%1: 字段 '%2' 不存在").arg(objectName(), name));
    return i;
}

const QVariant& RecordSet::cell(int col) const
{
    if ((m_state == Edit || m_state == Insert) && col < m_buffer.size())
        return m_buffer[col];
    if (!hasRow(m_cur))
        return nullValue();
    const auto& r = m_cache.row(m_cur, m_cur);
    return col < r.size() ? r[col] : nullValue();
}

QVariant RecordSet::value(const QString& name) const
{
    return cell(requireField(name));
}

bool RecordSet::isNull(const QString& name) const
{
    const QVariant& v = cell(requireField(name));
    return v.isNull() || (v.metaType().id() == QMetaType::QString && v.toString().isEmpty());
}

QString RecordSet::asString(const QString& name) const
{
    const int c = requireField(name);
    const QVariant& v = cell(c);
    if (v.isNull())
        return {};
    switch (m_fields[c].type) {
    case FieldType::Money:
        return Amounts::read(v).toString();
    case FieldType::DateTime:
        return Dates::displayDateTime(Dates::fromVariant(v));
    case FieldType::Boolean:
        return v.toLongLong() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}

Money RecordSet::asMoney(const QString& name) const
{
    return Amounts::read(cell(requireField(name)));
}

qint64 RecordSet::asInteger(const QString& name) const
{
    const QVariant& v = cell(requireField(name));
    if (v.isNull())
        return 0;
    if (v.metaType().id() == QMetaType::LongLong || v.metaType().id() == QMetaType::Int)
        return v.toLongLong();
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? roundHalfEven(d) : 0;
}

double RecordSet::asFloat(const QString& name) const
{
    const QVariant& v = cell(requireField(name));
    return v.isNull() ? 0.0 : v.toDouble();
}

QDateTime RecordSet::asDateTime(const QString& name) const
{
    return Dates::fromVariant(cell(requireField(name)));
}

bool RecordSet::asBoolean(const QString& name) const
{
    const QVariant& v = cell(requireField(name));
    if (v.isNull())
        return false;
    if (v.metaType().id() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return s == QLatin1String("1") || s == QLatin1String("true") || s == QLatin1String("yes") || s == QStringLiteral("是");
    }
    return v.toLongLong() != 0;
}

QVariant RecordSet::storedValue(const QString& name) const
{
    const int c = requireField(name);
    if (!hasRow(m_cur) || (m_state == Insert))
        return {};
    const auto& r = m_cache.row(m_cur, m_cur);
    return c < r.size() ? r[c] : QVariant();
}

QVariant RecordSet::valueAt(int row, int column) const
{
    if (!hasRow(row) || column < 0 || column >= m_fields.size())
        return {};
    if (row == m_cur && (m_state == Edit || m_state == Insert) && column < m_buffer.size())
        return m_buffer[column];
    const auto& r = m_cache.row(row, m_cur);
    return column < r.size() ? r[column] : QVariant();
}

QVariant RecordSet::storedAt(int row, int column) const
{
    if (!hasRow(row) || column < 0 || column >= m_fields.size())
        return {};
    const auto& r = m_cache.row(row, m_cur);
    return column < r.size() ? r[column] : QVariant();
}

QString RecordSet::displayText(int row, int column) const
{
    if (column < 0 || column >= m_fields.size())
        return {};
    return displayText(valueAt(row, column), m_fields[column].type);
}

QString RecordSet::displayText(const QVariant& v, FieldType type)
{
    if (v.isNull() || !v.isValid())
        return {};
    switch (type) {
    case FieldType::Money: {
        // A painted cell cannot throw: a value beyond the range shows the reason instead of a number.
        const auto m = Money::fromValue(v);
        return m ? m->toDisplay() : Amounts::outOfRange();
    }
    case FieldType::DateTime:
        return Dates::displayDateTime(Dates::fromVariant(v));
    case FieldType::Boolean:
        return v.toLongLong() ? QStringLiteral("是") : QStringLiteral("否");
    case FieldType::Integer:
        return QString::number(v.toLongLong());
    case FieldType::Number:
        return isNumeric(v) ? QString::number(v.toDouble(), 'g', 15) : v.toString();
    default:
        return v.toString();
    }
}

QVariant RecordSet::toStorage(const QVariant& v, FieldType type, const QString& table, const QString& column)
{
    if (!v.isValid() || v.isNull())
        return {};
    const bool isText = v.metaType().id() == QMetaType::QString;
    if (isText && type != FieldType::Text && type != FieldType::Memo && v.toString().trimmed().isEmpty())
        return {};
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo: {
        // Text that either engine could not hold, or that would break a statement built from it
        // later, never reaches the table.
        const QString text = v.toString();
        if (!column.isEmpty()) {
            const QString problem = Schema::textProblem(table, column, text);
            if (!problem.isEmpty())
                throw DbError(problem);
        }
        return text;
    }
    case FieldType::Money: {
        std::optional<Money> m;
        if (isText)
            m = Money::parse(v.toString());
        else if (v.metaType().id() == QMetaType::Double || v.metaType().id() == QMetaType::Float)
            m = Money::fromStored(v.toDouble());
        else if (v.metaType() == QMetaType::fromType<Money>())
            m = v.value<Money>();
        else
            m = Money::fromYuan(1).checkedTimes(v.toLongLong());
        if (!m)
            throw DbError(QStringLiteral("'%1' 不是有效的金额").arg(v.toString()));
        // Stored as a floating value: beyond fifteen digits it would come back as another amount.
        if (!m->fitsStorage())
            throw DbError(
                QStringLiteral("'%1' 超出金额范围（最大 %2）").arg(m->toString(), Money::fromUnits(Money::MaxStoredUnits).toDisplay()));
        return m->toDouble();
    }
    case FieldType::Integer: {
        bool ok = false;
        const bool floating = v.metaType().id() == QMetaType::Double || v.metaType().id() == QMetaType::Float;
        const qint64 n = floating ? 0 : isText ? v.toString().trimmed().toLongLong(&ok) : v.toLongLong(&ok);
        if (ok)
            return n;
        const double d = floating ? v.toDouble() : v.toString().trimmed().toDouble(&ok);
        if (!floating && !ok && !std::isinf(d))
            throw DbError(QStringLiteral("'%1' 不是有效的整数").arg(v.toString()));
        const auto whole = wholeNumber(d);
        if (!whole)
            throw DbError(QStringLiteral("'%1' 超出整数范围").arg(v.toString()));
        return *whole;
    }
    case FieldType::Number: {
        if (v.metaType() == QMetaType::fromType<Money>())
            return v.value<Money>().toDouble();
        bool ok = false;
        const double d = isText ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
        if (!ok && !std::isinf(d))
            throw DbError(QStringLiteral("'%1' 不是有效的数值").arg(v.toString()));
        // Infinity and not-a-number are no quantities; the engine would keep the one and drop the other.
        if (!std::isfinite(d))
            throw DbError(QStringLiteral("'%1' 超出数值范围").arg(v.toString()));
        return d;
    }
    case FieldType::DateTime: {
        const QDateTime dt = Dates::fromVariant(v);
        if (!dt.isValid())
            throw DbError(QStringLiteral("'%1' 不是有效的日期").arg(v.toString()));
        return Dates::toStorage(dt);
    }
    case FieldType::Boolean: {
        if (isText) {
            const QString s = v.toString().trimmed().toLower();
            return qint64(s == QLatin1String("1") || s == QLatin1String("true") || s == QLatin1String("yes")
                          || s == QStringLiteral("是"));
        }
        return qint64(v.toBool() ? 1 : 0);
    }
    }
    return v;
}

void RecordSet::edit()
{
    checkOpen();
    if (m_state == Edit || m_state == Insert)
        return;
    if (!canModify())
        throw DbError(QStringLiteral("%1: 记录集不能修改").arg(objectName()));
    if (m_cache.isEmpty()) {
        // Editing an empty set starts a new row.
        append();
        return;
    }
    const QVector<QVariant> row = m_cache.row(m_cur, m_cur);
    takePart();
    m_buffer = row;
    m_touched = QVector<bool>(m_fields.size(), false);
    setState(Edit);
}

void RecordSet::append()
{
    checkBrowse();
    if (!canModify())
        throw DbError(QStringLiteral("%1: 记录集不能修改").arg(objectName()));
    takePart();
    m_beforeInsert = m_cur;
    m_cache.append(QVector<QVariant>(m_fields.size()));
    m_buffer = QVector<QVariant>(m_fields.size());
    m_touched = QVector<bool>(m_fields.size(), false);
    const int row = m_cache.size() - 1;
    if (live())
        Q_EMIT rowInserted(row);
    setState(Insert);
    setCurrent(row);
    m_bof = m_eof = false;
}

void RecordSet::setValue(const QString& name, const QVariant& v)
{
    checkOpen();
    const int c = requireField(name);
    if (m_state != Edit && m_state != Insert)
        throw DbError(QStringLiteral("%1: 记录集不在编辑状态").arg(objectName()));
    QVariant stored = toStorage(v, m_fields[c].type, m_table, m_fields[c].inSchema ? m_fields[c].name : QString());
    takePart();
    m_buffer[c] = std::move(stored);
    m_touched[c] = true;
    if (live()) {
        Q_EMIT fieldChanged(name);
        Q_EMIT rowChanged(m_cur);
    }
}

QString RecordSet::sameValues(const QVector<int>& columns, const QVector<QVariant>& values, QVariantList* binds) const
{
    QString where = Schema::KeyColumn + QStringLiteral("=?");
    *binds << m_cache.key(m_cur);
    for (int c : columns) {
        where += QStringLiteral(" AND ") + m_db->backend().sameValue(quoted(m_fields[c].name), m_fields[c].type);
        *binds << values.value(c);
    }
    return where;
}

void RecordSet::post()
{
    checkOpen();
    if (m_state != Edit && m_state != Insert)
        return;
    QStringList cols;
    QVariantList binds;
    for (int c = 0; c < m_fields.size(); ++c) {
        if (!m_touched[c])
            continue;
        cols << quoted(m_fields[c].name);
        binds << m_buffer[c];
    }
    Q_EMIT aboutToStore();
    const QString table = quoted(m_table);
    QVector<QVariant> before;
    // The generation check and the write are one transaction, so a restore cannot come between.
    // A failure rolls it back, which puts the set back into its editing state.
    std::optional<Transaction> tx;
    if (m_db->transactionDepth() == 0)
        tx.emplace(*m_db);
    takePart();
    Versions::requireGeneration(*m_db, m_dataGeneration);
    // Set once the engine holds the write, so that a rollback undoes it in the set as well.
    auto reported = std::make_shared<bool>(false);
    const auto written = [&](const QVector<QVariant>& was) {
        m_db->onRollback(this, [this, generation = m_generation, row = m_cur, key = m_cache.key(m_cur), was, reported] {
            unstore(generation, row, key, was, *reported);
        });
    };
    if (m_state == Edit) {
        before = m_cache.row(m_cur, m_cur);
        if (!cols.isEmpty()) {
            QStringList sets;
            for (const auto& c : cols)
                sets << c + QStringLiteral("=?");
            // Every column read must still hold what was read: the row is proven to be the one the
            // clerk saw, not merely one whose changed columns happen to match.
            const QString where = sameValues(allColumns(), before, &binds);
            QSqlQuery q = m_db->runNative(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + sets.join(QLatin1Char(','))
                                              + QStringLiteral(" WHERE ") + where,
                                          binds);
            if (q.numRowsAffected() == 0)
                throw DbConflict(QStringLiteral("%1: 记录已被其他用户修改或删除").arg(objectName()));
            written(before);
            readBack(m_cur);
            audit(before, m_cache.row(m_cur, m_cur));
        }
    } else {
        QSqlQuery q = cols.isEmpty() ? m_db->runNative(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" DEFAULT VALUES"))
                                     : m_db->runNative(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (")
                                                           + cols.join(QLatin1Char(',')) + QStringLiteral(") VALUES (")
                                                           + QStringList(cols.size(), QStringLiteral("?")).join(QLatin1Char(','))
                                                           + QStringLiteral(")"),
                                                       binds);
        m_cache.setKey(m_cur, q.lastInsertId().toLongLong());
        written({});
        m_cache.setRow(m_cur, m_buffer);
        readBack(m_cur);  // the row as stored, with the table's defaults
        audit({}, m_cache.row(m_cur, m_cur));
    }
    if (tx)
        tx->commit();
    m_buffer.clear();
    m_touched.clear();
    setState(Browse);
    *reported = true;
    Q_EMIT rowStored(m_cur, before, m_cache.row(m_cur, m_cur));
    if (live())
        Q_EMIT rowChanged(m_cur);
}

void RecordSet::audit(const QVector<QVariant>& before, const QVector<QVariant>& after, int row)
{
    // In the write's transaction, so the log row goes or stays with the write.
    if (!AuditLog::isAudited(m_table))
        return;
    QVector<ColumnDef> columns;
    columns.reserve(m_fields.size());
    for (const Field& f : std::as_const(m_fields))
        columns.push_back({f.inSchema ? f.name : QString(), f.type});
    AuditLog::rowWritten(*m_db, m_table, columns, before, after, m_cache.key(row < 0 ? m_cur : row));
}

QVector<int> RecordSet::allColumns() const
{
    QVector<int> all;
    for (int c = 0; c < m_fields.size(); ++c)
        all << c;
    return all;
}

void RecordSet::takePart()
{
    // Taking part in the open transaction: the set as it stands now is what a rollback puts back.
    if (!m_db || m_db->transactionDepth() == 0 || m_db->hasJoined(this))
        return;
    Snapshot s;
    s.generation = m_generation;
    s.state = m_state;
    s.row = m_cur;
    s.rowCount = m_cache.size();
    s.beforeInsert = m_beforeInsert;
    s.bof = m_bof;
    s.eof = m_eof;
    if ((m_state == Edit || m_state == Insert) && m_cur >= 0 && m_cur < m_cache.size()) {
        s.key = m_cache.key(m_cur);
        s.stored = m_cache.row(m_cur, m_cur);
    }
    s.buffer = m_buffer;
    s.touched = m_touched;
    m_db->joinTransaction(this, [this, s] { putBack(s); });
}

void RecordSet::unstore(quint64 generation, int row, qint64 key, const QVector<QVariant>& before, bool reported)
{
    // A write the rollback took back: the row as it was read before it (a new row: not written).
    if (generation != m_generation || key == 0)
        return;
    if (row < 0 || row >= m_cache.size() || m_cache.key(row) != key) {
        row = int(m_cache.keys().indexOf(key));
        if (row < 0)
            return;
    }
    const QVector<QVariant> now = m_cache.row(row, m_cur);
    if (before.isEmpty()) {
        m_cache.setKey(row, 0);
        m_cache.setRow(row, QVector<QVariant>(m_fields.size()));
    } else {
        m_cache.setRow(row, before);
    }
    // The reverse of what the post reported, so footers follow.
    if (reported)
        Q_EMIT rowStored(row, now, before);
    if (live())
        Q_EMIT rowChanged(row);
}

void RecordSet::putBack(const Snapshot& s)
{
    // Opened or closed since: the rows were read anew and there is nothing to put back.
    if (s.generation != m_generation || m_state == Inactive)
        return;
    bool changed = m_state != s.state || m_buffer != s.buffer;
    // Rows appended inside the transaction leave again (a written one was taken back already).
    while (m_cache.size() > s.rowCount) {
        const int row = m_cache.size() - 1;
        m_cache.removeAt(row);
        changed = true;
        if (live())
            Q_EMIT rowRemoved(row);
    }
    if ((s.state == Edit || s.state == Insert) && s.row >= 0 && s.row < m_cache.size()) {
        m_cache.setKey(s.row, s.key);
        m_cache.setRow(s.row, s.stored);
    }
    m_buffer = s.buffer;
    m_touched = s.touched;
    m_beforeInsert = s.beforeInsert;
    setCurrent(s.row < m_cache.size() ? s.row : m_cache.size() - 1);
    m_bof = s.bof;
    m_eof = s.eof;
    setState(s.state);
    if (changed && live() && m_cur >= 0)
        Q_EMIT rowChanged(m_cur);
}

void RecordSet::refreshCurrent()
{
    checkOpen();
    if (m_state != Browse || m_table.isEmpty() || m_cur < 0)
        return;
    const QVector<QVariant> before = m_cache.row(m_cur, m_cur);
    Q_EMIT aboutToStore();
    readBack(m_cur);
    Q_EMIT rowStored(m_cur, before, m_cache.row(m_cur, m_cur));
    if (live())
        Q_EMIT rowChanged(m_cur);
}

void RecordSet::readBack(int row)
{
    fetch(row);
    // Read as every other row is, so a saved row holds its values in the same form (on a server:
    // dates as storage text, amounts exact).
    QVector<QVector<QVariant>> got;
    m_db->rowsByKey(m_table, fieldNames(), {m_cache.key(row)}, {}, &got);
    if (got.isEmpty())
        return;
    got[0].removeLast();
    m_cache.setRow(row, std::move(got[0]));
}

void RecordSet::cancel()
{
    if (m_state == Edit) {
        m_buffer.clear();
        m_touched.clear();
        setState(Browse);
        if (live())
            Q_EMIT rowChanged(m_cur);
    } else if (m_state == Insert) {
        const int row = m_cur;
        m_cache.removeAt(row);
        m_buffer.clear();
        m_touched.clear();
        if (live())
            Q_EMIT rowRemoved(row);
        setState(Browse);
        int back = m_beforeInsert;
        if (back >= m_cache.size())
            back = m_cache.size() - 1;
        m_cur = -2;  // force the notification
        setCurrent(m_cache.isEmpty() ? -1 : std::max(back, 0));
        m_bof = m_cache.isEmpty();
        m_eof = m_cache.isEmpty();
    }
}

void RecordSet::remove()
{
    checkOpen();
    if (m_state == Insert) {
        cancel();
        return;
    }
    if (m_cache.isEmpty())
        throw DbError(QStringLiteral("%1: 记录集为空，不能删除").arg(objectName()));
    m_cache.completeKeys();  // the rows move up: the whole list first
    if (!canModify())
        throw DbError(QStringLiteral("%1: 记录集不能修改").arg(objectName()));
    if (m_state == Edit)
        cancel();
    const int row = m_cur;
    const QVector<QVariant> before = m_cache.row(row, m_cur);
    Q_EMIT aboutToStore();
    std::optional<Transaction> tx;
    if (m_db->transactionDepth() == 0)
        tx.emplace(*m_db);
    Versions::requireGeneration(*m_db, m_dataGeneration);
    const QVector<Versions::Dependent> dependents = Versions::dependentsOf(m_table);
    QVariantList owners;
    for (const Versions::Dependent& d : dependents) {
        QSqlQuery o =
            m_db->runNative(QStringLiteral("SELECT %1 FROM %2 WHERE %3=?").arg(quoted(d.column), quoted(m_table), Schema::KeyColumn),
                            {m_cache.key(row)});
        owners << (o.next() ? o.value(0) : QVariant());
    }
    QVariantList binds;
    const QString where = sameValues(allColumns(), before, &binds);
    // Read at once: SQLite's count is the connection's, which the next statement replaces.
    const int deleted =
        m_db->runNative(QStringLiteral("DELETE FROM ") + quoted(m_table) + QStringLiteral(" WHERE ") + where, binds).numRowsAffected();
    for (int i = 0; i < dependents.size(); ++i)
        if (!owners[i].isNull() && deleted > 0)
            m_db->runNative(QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(quoted(dependents[i].table), quoted(dependents[i].column)),
                            {owners[i]});
    if (deleted > 0)
        audit(before, {}, row);
    if (deleted == 0) {
        // Gone already is what was asked for; changed since it was read is a conflict.
        QSqlQuery still = m_db->runNative(QStringLiteral("SELECT 1 FROM ") + quoted(m_table) + QStringLiteral(" WHERE ")
                                              + Schema::KeyColumn + QStringLiteral("=?"),
                                          {m_cache.key(row)});
        if (still.next())
            throw DbConflict(QStringLiteral("%1: 记录已被其他用户修改").arg(objectName()));
    }
    if (tx)
        tx->commit();
    Q_EMIT rowStored(row, before, {});
    m_cache.removeAt(row);
    if (live())
        Q_EMIT rowRemoved(row);
    m_cur = -2;
    setCurrent(m_cache.isEmpty() ? -1 : std::min(row, m_cache.size() - 1));
    m_bof = m_cache.isEmpty();
    m_eof = m_cache.isEmpty();
}

void RecordSet::enableControls()
{
    if (m_disabled == 0)
        return;
    if (--m_disabled == 0) {
        Q_EMIT reset();
        Q_EMIT currentChanged(m_cur);
        Q_EMIT stateChanged(m_state);
    }
}
