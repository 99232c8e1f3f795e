#include "data/recordset.h"
#include "core/dates.h"
#include "data/amounts.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "data/versions.h"
#include "data/textlimits.h"

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

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
} // namespace

RecordSet::RecordSet(Database* db, const QString& name, QObject* parent) : QObject(parent), m_db(db)
{
    setObjectName(name);
}

RecordSet::~RecordSet() = default;

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
    m_cur = m_rows.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
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
    QVector<qint64> k = m_db->selectKeys(text);
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
    m_keys = std::move(k);
    m_rows = QVector<QVector<QVariant>>(m_keys.size());
    m_loaded = 0;
    m_loadedRows.clear();
    m_table = table;
    m_dataGeneration = generation;
}

namespace {

// Rows of a table by key: the set's columns in its order with the key last, so that each row read
// is kept as it comes.
QString rowsByKey(Database& db, const QString& table, const QVector<RecordSet::Field>& fields, const QStringList& ids)
{
    QStringList columns;
    for (const auto& f : fields)
        columns << db.backend().readColumn(quoted(f.name), f.type);
    columns << Schema::KeyColumn;
    return QStringLiteral("SELECT ") + columns.join(QLatin1Char(',')) + QStringLiteral(" FROM ") + quoted(table)
        + QStringLiteral(" WHERE ") + Schema::KeyColumn + QStringLiteral(" IN (") + ids.join(QLatin1Char(',')) + QStringLiteral(")");
}

} // namespace

void RecordSet::fetch(int row) const
{
    if (row < 0 || row >= m_rows.size() || !m_rows[row].isEmpty() || m_table.isEmpty())
        return;
    // A page around the row: reading forwards is the common walk, a little behind helps scrolling up.
    constexpr int Page = 256;
    constexpr int MaxLoaded = 16384;
    if (m_loaded + Page > MaxLoaded)
        evict(row);
    const int from = std::max(0, row - Page / 8);
    const int to = std::min(int(m_rows.size()), from + Page);
    QHash<qint64, int> wanted;
    QStringList ids;
    for (int r = from; r < to; ++r) {
        if (!m_rows[r].isEmpty() || m_keys[r] == 0)
            continue;
        wanted.insert(m_keys[r], r);
        ids << QString::number(m_keys[r]);
    }
    QStringList names;
    QVector<QVector<QVariant>> got;
    m_db->selectRows(rowsByKey(*m_db, m_table, m_fields, ids), true, &names, &got);
    for (auto& g : got) {
        const int r = wanted.take(g.takeLast().toLongLong());
        m_rows[r] = std::move(g);
        m_loadedRows << r;
    }
    // Rows deleted elsewhere since the set was opened read as empty.
    for (int r : std::as_const(wanted)) {
        m_rows[r] = QVector<QVariant>(m_fields.size());
        m_loadedRows << r;
    }
    m_loaded = int(m_loadedRows.size());
}

void RecordSet::evict(int keepRow) const
{
    // Loaded rows are a cache of what the database holds (posted changes included), so any of
    // them can be dropped and read again; only the rows near the one asked for stay. Only the rows
    // loaded are visited, so a walk over a long list stays linear.
    QVector<int> kept;
    for (int r : std::as_const(m_loadedRows)) {
        if (r < 0 || r >= m_rows.size() || m_rows[r].isEmpty())
            continue;
        if (std::abs(r - keepRow) <= 512 || r == m_cur || m_keys[r] == 0)
            kept << r;
        else
            m_rows[r] = QVector<QVariant>();
    }
    m_loadedRows = std::move(kept);
    m_loaded = int(m_loadedRows.size());
}

void RecordSet::forgetRow(int row)
{
    QVector<int> moved;
    moved.reserve(m_loadedRows.size());
    for (int r : std::as_const(m_loadedRows)) {
        if (r != row)
            moved << (r > row ? r - 1 : r);
    }
    m_loadedRows = std::move(moved);
    m_loaded = int(m_loadedRows.size());
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
            fields[c].type = (id == QMetaType::Double) ? FieldType::Number
                : isNumeric(r[c])                      ? FieldType::Integer
                                                       : FieldType::Text;
            break;
        }
    }
    m_fields = std::move(fields);
    m_rows = std::move(rows);
    m_keys = QVector<qint64>(m_rows.size(), 0);
    m_table.clear();
}

void RecordSet::close()
{
    if (m_state == Inactive)
        return;
    m_rows.clear();
    m_loadedRows.clear();
    m_loaded = 0;
    m_keys.clear();
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
    setCurrent(m_rows.isEmpty() ? -1 : 0);
    m_bof = true;
    m_eof = m_rows.isEmpty();
}

void RecordSet::next()
{
    checkBrowse();
    if (m_cur + 1 < m_rows.size()) {
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
    setCurrent(int(m_rows.size()) - 1);
    m_eof = m_rows.isEmpty();
    m_bof = m_rows.isEmpty();
}

void RecordSet::moveTo(int row)
{
    checkBrowse();
    if (m_rows.isEmpty())
        return;
    setCurrent(std::clamp(row, 0, int(m_rows.size()) - 1));
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
    if (m_cur < 0 || m_cur >= m_rows.size())
        return nullValue();
    fetch(m_cur);
    const auto& r = m_rows[m_cur];
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
    if (m_cur < 0 || m_cur >= m_rows.size() || (m_state == Insert))
        return {};
    fetch(m_cur);
    return c < m_rows[m_cur].size() ? m_rows[m_cur][c] : QVariant();
}

QVariant RecordSet::valueAt(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_fields.size())
        return {};
    if (row == m_cur && (m_state == Edit || m_state == Insert) && column < m_buffer.size())
        return m_buffer[column];
    fetch(row);
    const auto& r = m_rows[row];
    return column < r.size() ? r[column] : QVariant();
}

QVariant RecordSet::storedAt(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_fields.size())
        return {};
    fetch(row);
    const auto& r = m_rows[row];
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
            throw DbError(QStringLiteral("'%1' 超出金额范围（最大 %2）")
                              .arg(m->toString(), Money::fromUnits(Money::MaxStoredUnits).toDisplay()));
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
    if (m_rows.isEmpty()) {
        // Editing an empty set starts a new row.
        append();
        return;
    }
    fetch(m_cur);
    m_buffer = m_rows[m_cur];
    m_touched = QVector<bool>(m_fields.size(), false);
    setState(Edit);
}

void RecordSet::append()
{
    checkBrowse();
    if (!canModify())
        throw DbError(QStringLiteral("%1: 记录集不能修改").arg(objectName()));
    m_beforeInsert = m_cur;
    m_rows.push_back(QVector<QVariant>(m_fields.size()));
    m_keys.push_back(0);
    m_buffer = m_rows.back();
    m_touched = QVector<bool>(m_fields.size(), false);
    const int row = int(m_rows.size()) - 1;
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
    m_buffer[c] = toStorage(v, m_fields[c].type, m_table, m_fields[c].inSchema ? m_fields[c].name : QString());
    m_touched[c] = true;
    if (live()) {
        Q_EMIT fieldChanged(name);
        Q_EMIT rowChanged(m_cur);
    }
}

QString RecordSet::sameValues(const QVector<int>& columns, const QVector<QVariant>& values, QVariantList* binds) const
{
    QString where = Schema::KeyColumn + QStringLiteral("=?");
    *binds << m_keys[m_cur];
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
    std::optional<Transaction> tx;
    if (m_db->transactionDepth() == 0)
        tx.emplace(*m_db);
    Versions::requireGeneration(*m_db, m_dataGeneration);
    if (m_state == Edit) {
        fetch(m_cur);
        before = m_rows[m_cur];
        if (!cols.isEmpty()) {
            QStringList sets;
            for (const auto& c : cols)
                sets << c + QStringLiteral("=?");
            // Every column read must still hold what was read: the row is proven to be the one the
            // clerk saw, not merely one whose changed columns happen to match.
            const QString where = sameValues(allColumns(), before, &binds);
            QSqlQuery q = m_db->runNative(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ")
                                              + sets.join(QLatin1Char(',')) + QStringLiteral(" WHERE ") + where,
                                          binds);
            if (q.numRowsAffected() == 0)
                throw DbConflict(QStringLiteral("%1: 记录已被其他用户修改或删除").arg(objectName()));
            readBack(m_cur);
        }
    } else {
        QSqlQuery q = cols.isEmpty()
            ? m_db->runNative(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" DEFAULT VALUES"))
            : m_db->runNative(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + cols.join(QLatin1Char(','))
                                  + QStringLiteral(") VALUES (") + QStringList(cols.size(), QStringLiteral("?")).join(QLatin1Char(','))
                                  + QStringLiteral(")"),
                              binds);
        m_keys[m_cur] = q.lastInsertId().toLongLong();
        m_rows[m_cur] = m_buffer;
        readBack(m_cur);  // the row as stored, with the table's defaults
    }
    if (tx) {
        try {
            tx->commit();
        } catch (...) {
            // Not written after all: the row is read again as it stands.
            if (m_state == Edit)
                m_rows[m_cur] = before;
            throw;
        }
    }
    m_buffer.clear();
    m_touched.clear();
    setState(Browse);
    Q_EMIT rowStored(m_cur, before, m_rows[m_cur]);
    if (live())
        Q_EMIT rowChanged(m_cur);
}

QVector<int> RecordSet::allColumns() const
{
    QVector<int> all;
    for (int c = 0; c < m_fields.size(); ++c)
        all << c;
    return all;
}

RecordSet::Pending RecordSet::pending() const
{
    Pending p;
    p.state = m_state;
    p.row = m_cur;
    p.beforeInsert = m_beforeInsert;
    if (m_cur >= 0 && m_cur < m_rows.size()) {
        p.key = m_keys[m_cur];
        fetch(m_cur);
        p.stored = m_rows[m_cur];
    }
    p.buffer = m_buffer;
    p.touched = m_touched;
    return p;
}

void RecordSet::restore(const Pending& p)
{
    if (m_state != Browse || (p.state != Edit && p.state != Insert) || p.row < 0 || p.row >= m_rows.size())
        return;
    const QVector<QVariant> now = m_rows[p.row];
    m_keys[p.row] = p.key;
    m_rows[p.row] = p.stored;
    m_buffer = p.buffer;
    m_touched = p.touched;
    m_beforeInsert = p.beforeInsert;
    m_cur = p.row;
    setState(p.state);
    // The reverse of what the rolled-back post reported.
    Q_EMIT rowStored(p.row, now, p.state == Insert ? QVector<QVariant>() : p.stored);
    if (live())
        Q_EMIT rowChanged(p.row);
}

void RecordSet::readBack(int row)
{
    fetch(row);
    // Read as every other row is, so a saved row holds its values in the same form (on a server:
    // dates as storage text, amounts exact).
    QStringList names;
    QVector<QVector<QVariant>> got;
    m_db->selectRows(rowsByKey(*m_db, m_table, m_fields, {QString::number(m_keys[row])}), true, &names, &got);
    if (got.isEmpty())
        return;
    got[0].removeLast();
    m_rows[row] = std::move(got[0]);
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
        m_rows.removeAt(row);
        forgetRow(row);
        m_keys.removeAt(row);
        m_buffer.clear();
        m_touched.clear();
        if (live())
            Q_EMIT rowRemoved(row);
        setState(Browse);
        int back = m_beforeInsert;
        if (back >= m_rows.size())
            back = int(m_rows.size()) - 1;
        m_cur = -2;  // force the notification
        setCurrent(m_rows.isEmpty() ? -1 : std::max(back, 0));
        m_bof = m_rows.isEmpty();
        m_eof = m_rows.isEmpty();
    }
}

void RecordSet::remove()
{
    checkOpen();
    if (m_state == Insert) {
        cancel();
        return;
    }
    if (m_rows.isEmpty())
        throw DbError(QStringLiteral("%1: 记录集为空，不能删除").arg(objectName()));
    if (!canModify())
        throw DbError(QStringLiteral("%1: 记录集不能修改").arg(objectName()));
    if (m_state == Edit)
        cancel();
    const int row = m_cur;
    fetch(row);
    const QVector<QVariant> before = m_rows[row];
    Q_EMIT aboutToStore();
    std::optional<Transaction> tx;
    if (m_db->transactionDepth() == 0)
        tx.emplace(*m_db);
    Versions::requireGeneration(*m_db, m_dataGeneration);
    QVariantList binds;
    const QString where = sameValues(allColumns(), before, &binds);
    QSqlQuery q = m_db->runNative(QStringLiteral("DELETE FROM ") + quoted(m_table) + QStringLiteral(" WHERE ") + where, binds);
    if (q.numRowsAffected() == 0) {
        // Gone already is what was asked for; changed since it was read is a conflict.
        QSqlQuery still = m_db->runNative(QStringLiteral("SELECT 1 FROM ") + quoted(m_table) + QStringLiteral(" WHERE ")
                                              + Schema::KeyColumn + QStringLiteral("=?"),
                                          {m_keys[row]});
        if (still.next())
            throw DbConflict(QStringLiteral("%1: 记录已被其他用户修改").arg(objectName()));
    }
    if (tx)
        tx->commit();
    Q_EMIT rowStored(row, before, {});
    m_rows.removeAt(row);
    forgetRow(row);
    m_keys.removeAt(row);
    if (live())
        Q_EMIT rowRemoved(row);
    m_cur = -2;
    setCurrent(m_rows.isEmpty() ? -1 : std::min(row, int(m_rows.size()) - 1));
    m_bof = m_rows.isEmpty();
    m_eof = m_rows.isEmpty();
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
