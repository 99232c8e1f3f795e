#include "ui/records/gridmodel.h"

#include "data/amounts.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "data/workerconnection.h"

#include <QBrush>
#include <QSqlQuery>
#include <QThread>

// One background computation of the footer sums. The worker only touches the connection it opens
// itself and the result fields; the model reads them once the worker has finished.
struct FooterSumJob {
    quint64 generation = 0;  // the opening of the query the sums belong to
    QStringList fields;
    QString statement;  // in the engine's dialect, translated on the model's thread
    QString location;
    std::unique_ptr<Database> db;  // unopened; opened and closed by the worker
    QThread* thread = nullptr;     // null until started
    bool ok = false;
    QVector<std::optional<Money>> sums;
    QString error;

    void run()
    {
        ok = readOnWorkerConnection(
            db, location,
            [this](Database& d) {
                QStringList names;
                QVector<QVector<QVariant>> rows;
                d.selectRows(statement, true, &names, &rows);
                if (rows.isEmpty())
                    throw DbError(QStringLiteral("no row"));
                for (int i = 0; i < fields.size(); ++i)
                    sums << Money::fromValue(rows[0].value(i));
            },
            &error);
    }
};

QString sortOrderLine(const QVector<SortMark>& marks)
{
    QString text;
    for (const auto& m : marks)
        text += m.field + (m.descending ? QStringLiteral(" DESC , ") : QStringLiteral(", "));
    if (text.isEmpty())
        return text;
    text.chop(2);
    return QStringLiteral(" ORDER BY ") + text;
}

RecordGridModel::RecordGridModel(RecordSet* set, QObject* parent) : QAbstractTableModel(parent), m_set(set)
{
    connect(set, &RecordSet::reset, this, &RecordGridModel::onReset);
    connect(set, &RecordSet::rowInserted, this, &RecordGridModel::onInserted);
    connect(set, &RecordSet::rowRemoved, this, &RecordGridModel::onRemoved);
    connect(set, &RecordSet::rowsAppended, this, &RecordGridModel::onAppended);
    connect(set, &RecordSet::rowChanged, this, &RecordGridModel::onRowChanged);
    connect(set, &RecordSet::currentChanged, this, &RecordGridModel::onCurrentChanged);
    connect(set, &RecordSet::aboutToStore, this, &RecordGridModel::ensureSums);
    connect(set, &RecordSet::rowStored, this, &RecordGridModel::onRowStored);
    m_rows = set->isOpen() ? set->rowsKnown() : 0;
    m_current = set->currentRow();
    adoptQueryColumns();
    resolveFields();
    rebuildShown();
}

RecordGridModel::~RecordGridModel()
{
    // A worker outliving its model would deliver into nothing; the wait is one statement at most.
    for (QThread* t : std::as_const(m_threads)) {
        t->wait();
        delete t;
    }
}

void RecordGridModel::setEngineSums(bool on)
{
    m_engineSums = on;
    abandonJob();
    m_sumsValid = false;
    m_footerValid = false;
}

void RecordGridModel::setColumns(const QVector<GridColumn>& columns)
{
    ++m_changing;
    beginResetModel();
    m_columns = columns;
    m_auto = columns.isEmpty();
    adoptQueryColumns();
    resolveFields();
    rebuildShown();
    abandonJob();
    m_sumsValid = false;
    invalidateFooter();
    endResetModel();
    --m_changing;
}

void RecordGridModel::adoptQueryColumns()
{
    // Until a module defines its columns the grid shows those of the query.
    if (!m_auto || !m_columns.isEmpty() || !m_set->isOpen())
        return;
    for (const auto& f : m_set->fields()) {
        GridColumn c;
        c.field = f.name;
        m_columns << c;
    }
    if (onAdopt)
        onAdopt(m_columns);
}

void RecordGridModel::resolveFields()
{
    m_fieldIdx.resize(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        m_fieldIdx[i] = m_set->fieldIndex(m_columns[i].field);
}

void RecordGridModel::rebuildShown()
{
    m_shown.clear();
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].visible)
            m_shown << i;
}

int RecordGridModel::columnIndexOf(const QString& field) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].field == field)
            return i;
    return -1;
}

void RecordGridModel::setColumnVisible(int index, bool visible)
{
    if (index < 0 || index >= m_columns.size() || m_columns[index].visible == visible)
        return;
    // Position among the shown columns: the number of shown columns before it.
    int section = 0;
    for (int i = 0; i < index; ++i)
        section += m_columns[i].visible ? 1 : 0;
    if (visible) {
        ++m_changing;
        beginInsertColumns({}, section, section);
        m_columns[index].visible = true;
        rebuildShown();
        endInsertColumns();
        --m_changing;
    } else {
        ++m_changing;
        beginRemoveColumns({}, section, section);
        m_columns[index].visible = false;
        rebuildShown();
        endRemoveColumns();
        --m_changing;
    }
    Q_EMIT footerChanged();
}

void RecordGridModel::showAfterShown(int index)
{
    if (index < 0 || index >= m_columns.size() || m_columns[index].visible)
        return;
    int lastShown = -1;
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].visible)
            lastShown = i;
    // A hidden column keeps its place until shown; then it moves right after the shown ones.
    GridColumn c = m_columns.takeAt(index);
    const int fieldIdx = m_fieldIdx.takeAt(index);
    const int to = index < lastShown ? lastShown : lastShown + 1;
    m_columns.insert(to, c);
    m_fieldIdx.insert(to, fieldIdx);
    m_footerValid = false;
    rebuildShown();
    setColumnVisible(to, true);
}

void RecordGridModel::setSortMarks(const QVector<SortMark>& marks)
{
    m_marks = marks;
    if (!m_shown.isEmpty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_shown.size()) - 1);
}

void RecordGridModel::invalidateFooter()
{
    m_footerValid = false;
    Q_EMIT footerChanged();
}

std::optional<Money> RecordGridModel::columnSum(const QString& field) const
{
    const int f = m_set->fieldIndex(field);
    std::optional<Money> sum = Money();
    if (f < 0)
        return sum;
    const int n = m_set->recordCount();
    for (int r = 0; r < n && sum; ++r) {
        const auto v = Money::fromValue(m_set->storedAt(r, f));
        sum = v ? sum->checkedAdd(*v) : std::nullopt;
    }
    return sum;
}

// The statement of the footer sums (Jet dialect): over the list query's table and condition, or
// over the lines taken whole; empty when no sums are wanted or the query is not one table's rows.
QString RecordGridModel::sumStatement(const QStringList& fields) const
{
    if (!m_engineSums || fields.isEmpty() || !m_set->isOpen() || !m_set->database() || !m_set->canModify())
        return {};
    // A list's query says what it selects: the sums over its table and condition.
    if (const ListQuery* list = m_set->listQuery()) {
        ListQuery q = *list;
        if (q.table.isEmpty())
            q.table = m_set->tableName();
        return q.sumStatement(fields);
    }
    // SQL given as lines only: the sums over its rows, the statement taken whole.
    QStringList sums;
    for (const QString& f : fields)
        sums << QStringLiteral("sum(") + f + QLatin1Char(')');
    return QStringLiteral("select ") + sums.join(QStringLiteral(", ")) + QStringLiteral(" from (") + m_set->sqlText()
           + QStringLiteral(")");
}

bool RecordGridModel::sumsFromEngine(const QStringList& fields, QVector<std::optional<Money>>& out) const
{
    const QString statement = sumStatement(fields);
    if (statement.isEmpty())
        return false;
    try {
        // Read as the record sets read computed rows: a server's totals as exact decimal text.
        QStringList names;
        QVector<QVector<QVariant>> rows;
        m_set->database()->selectRows(statement, false, &names, &rows);
        if (rows.isEmpty())
            return false;
        out.clear();
        for (int i = 0; i < fields.size(); ++i)
            out << Money::fromValue(rows[0].value(i));
        return true;
    } catch (const DbError& e) {
        qCWarning(lcData, "footer sums: %s", qPrintable(e.text()));
        return false;
    }
}

QStringList RecordGridModel::sumFields() const
{
    QStringList out;
    for (const auto& c : m_columns)
        if (c.footer == FooterKind::Sum && m_set->hasField(c.field) && !out.contains(c.field))
            out << c.field;
    return out;
}

void RecordGridModel::ensureSums() const
{
    if (m_sumsValid)
        return;
    // Also before a write: a background result could not tell whether it saw the write or not.
    const bool shownEmpty = bool(m_job);
    abandonJob();
    // Sums of the stored rows: a row being edited counts as stored until it is posted.
    const QStringList fields = sumFields();
    m_sums.clear();
    // An engine that refuses a total beyond the range (SQLite's sum) refuses the whole statement:
    // the rows are then walked, so the other columns still get their totals.
    QVector<std::optional<Money>> sums;
    const bool engine = !fields.isEmpty() && sumsFromEngine(fields, sums);
    for (int i = 0; i < fields.size(); ++i)
        m_sums.insert(fields[i], engine ? sums[i] : columnSum(fields[i]));
    m_sumsValid = true;
    m_sumsGeneration = m_set->generation();
    if (shownEmpty)
        const_cast<RecordGridModel*>(this)->invalidateFooter();
    else
        m_footerValid = false;
}

void RecordGridModel::abandonJob() const
{
    // Its thread runs on and is reaped when it finishes; its result is ignored.
    m_job.reset();
}

void RecordGridModel::requestSums() const
{
    if (m_sumsValid || m_job)
        return;
    const QStringList fields = sumFields();
    Database* main = m_set->database();
    const QString statement = sumStatement(fields);
    // Rows written in an open transaction are invisible to another connection: counted here. So
    // are the rows of a connection's private scratch table (another connection has its own).
    const ListQuery* list = m_set->listQuery();
    const QString table = list && !list->table.isEmpty() ? list->table : m_set->tableName();
    std::unique_ptr<Database> second;
    if (!statement.isEmpty() && main->transactionDepth() == 0 && !Database::isPrivateTable(table))
        second = main->another();
    if (!second) {
        ensureSums();
        return;
    }
    auto job = std::make_shared<FooterSumJob>();
    job->generation = m_set->generation();
    job->fields = fields;
    job->statement = main->translate(statement);
    job->location = main->location();
    job->db = std::move(second);
    m_job = job;
    // Started once the current paint is over, so that the rows on screen are read first.
    QMetaObject::invokeMethod(
        const_cast<RecordGridModel*>(this), [this, job] { startJob(job); }, Qt::QueuedConnection);
}

void RecordGridModel::startJob(const std::shared_ptr<FooterSumJob>& job) const
{
    if (m_job != job)
        return;  // abandoned before it started
    QThread* t = QThread::create([job] { job->run(); });
    job->thread = t;
    m_threads << t;
    connect(t, &QThread::finished, const_cast<RecordGridModel*>(this), [this, t, job] {
        t->wait();
        m_threads.removeOne(t);
        job->thread = nullptr;
        delete t;
        jobDone(job);
    });
    t->start(QThread::LowPriority);
}

void RecordGridModel::jobDone(const std::shared_ptr<FooterSumJob>& job) const
{
    // Abandoned for a write, superseded, or for an earlier opening of the query: dropped.
    if (m_job != job)
        return;
    m_job.reset();
    if (job->generation != m_set->generation() || m_sumsValid)
        return;
    if (!job->ok) {
        qCWarning(lcData, "footer sums in the background: %s", qPrintable(job->error));
        ensureSums();
    } else {
        m_sums.clear();
        for (int i = 0; i < job->fields.size(); ++i)
            m_sums.insert(job->fields[i], job->sums.value(i));
        m_sumsValid = true;
        m_sumsGeneration = job->generation;
    }
    const_cast<RecordGridModel*>(this)->invalidateFooter();
}

bool RecordGridModel::footerPending() const
{
    // The count too, until a lazily opened list knows all its rows.
    return bool(m_job) || (m_set->isOpen() && !m_set->allRowsKnown());
}

void RecordGridModel::waitForFooter() const
{
    if (m_set->isOpen())
        m_set->recordCount();  // the rest of the keys, if still coming
    if (std::shared_ptr<FooterSumJob> job = m_job) {
        if (job->thread) {
            job->thread->wait();
            jobDone(job);  // the queued notification then finds it done
        } else {
            ensureSums();  // not started yet: quicker here than on a new connection
        }
    }
    ensureSums();
}

void RecordGridModel::onRowStored(int, const QVector<QVariant>& before, const QVector<QVariant>& after)
{
    if (!m_sumsValid)
        return;  // the next footer asks the engine anew
    for (auto it = m_sums.begin(); it != m_sums.end(); ++it) {
        const int f = m_set->fieldIndex(it.key());
        if (f < 0)
            continue;
        const auto a = Money::fromValue(after.value(f)), b = Money::fromValue(before.value(f));
        if (a && b && *a == *b)
            continue;  // this column did not change: its total stands, within the range or not
        std::optional<Money> moved;
        if (it.value() && a && b && b->units() >= -Money::MaxUnits)
            if (const auto d = a->checkedAdd(-*b))
                moved = it.value()->checkedAdd(*d);
        if (!moved) {
            // A total beyond the range cannot be moved by a difference: asked anew for the next footer.
            m_sumsValid = false;
            return;
        }
        it.value() = moved;
    }
}

void RecordGridModel::buildFooter() const
{
    if (m_footerValid)
        return;
    m_footer.clear();
    for (const auto& c : m_columns) {
        switch (c.footer) {
        case FooterKind::None:
            m_footer << QString();
            break;
        case FooterKind::Text:
            m_footer << c.footerValue;
            break;
        case FooterKind::Count:
            // Shown once the whole list is known, never the count of its first screen.
            m_footer << (!m_set->isOpen()        ? QStringLiteral("0")
                         : m_set->allRowsKnown() ? QString::number(m_set->recordCount())
                                                 : QString());
            break;
        case FooterKind::Sum: {
            if (!m_sumsValid) {
                m_footer << QString();  // still being computed
                break;
            }
            if (!m_sums.contains(c.field) && m_set->hasField(c.field))
                m_sums.insert(c.field, columnSum(c.field));  // a footer the layout store added
            // A total beyond the range shows why in its own cell, on screen, in print and export.
            const std::optional<Money> sum = m_sums.value(c.field, Money());
            m_footer << (sum ? sum->toDisplay() : Amounts::outOfRange());
            break;
        }
        }
    }
    m_footerValid = true;
}

QString RecordGridModel::footerTextNow(int section) const
{
    if (section < 0 || section >= m_shown.size())
        return {};
    requestSums();
    buildFooter();
    return m_footer.value(m_shown[section]);
}

QString RecordGridModel::footerText(int section) const
{
    if (section < 0 || section >= m_shown.size())
        return {};
    waitForFooter();
    return footerTextNow(section);
}

QStringList RecordGridModel::footerTexts() const
{
    waitForFooter();
    QStringList out;
    for (int s = 0; s < m_shown.size(); ++s)
        out << footerTextNow(s);
    return out;
}

int RecordGridModel::fieldOf(int section) const
{
    if (section < 0 || section >= m_shown.size())
        return -1;
    return m_fieldIdx.value(m_shown[section], -1);
}

int RecordGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int RecordGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant RecordGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() >= m_shown.size())
        return {};
    const int f = fieldOf(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return f < 0 ? QString() : m_set->displayText(index.row(), f);
    case Qt::TextAlignmentRole: {
        if (f < 0)
            return {};
        const FieldType t = m_set->fields()[f].type;
        const bool right = t == FieldType::Money || t == FieldType::Integer || t == FieldType::Number;
        return QVariant::fromValue(Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    case Qt::BackgroundRole:
        if (cellParams)
            return QBrush(cellParams(index.row()));
        return {};
    default:
        return {};
    }
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        // Row indicator: a mark on the current row.
        if (role == Qt::DisplayRole)
            return section == m_current ? QStringLiteral("▶") : QString();
        return {};
    }
    if (section < 0 || section >= m_shown.size())
        return {};
    const GridColumn& c = m_columns[m_shown[section]];
    if (role == Qt::DisplayRole) {
        QString text = c.caption();
        text.replace(QLatin1Char('|'), QLatin1Char('\n'));
        for (int i = 0; i < m_marks.size(); ++i) {
            if (m_marks[i].field != c.field)
                continue;
            text += m_marks[i].descending ? QStringLiteral(" ▼") : QStringLiteral(" ▲");
            if (m_marks.size() > 1)
                text += QString::number(i + 1);
        }
        return text;
    }
    if (role == Qt::ToolTipRole)
        return c.caption();
    return {};
}

Qt::ItemFlags RecordGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void RecordGridModel::onReset()
{
    ++m_changing;
    beginResetModel();
    m_rows = m_set->isOpen() ? m_set->rowsKnown() : 0;
    m_current = m_set->currentRow();
    adoptQueryColumns();
    resolveFields();
    rebuildShown();
    m_footerValid = false;
    // Controls re-attached after a loop keep the sums; a new opening of the query does not.
    if (m_sumsGeneration != m_set->generation())
        m_sumsValid = false;
    if (m_job && m_job->generation != m_set->generation())
        abandonJob();
    endResetModel();
    --m_changing;
    Q_EMIT footerChanged();
}

void RecordGridModel::onInserted(int row)
{
    row = std::clamp(row, 0, m_rows);
    ++m_changing;
    beginInsertRows({}, row, row);
    ++m_rows;
    endInsertRows();
    --m_changing;
    invalidateFooter();
}

void RecordGridModel::onAppended(int first, int last)
{
    // The rest of a lazily opened list: after every row the grid knows.
    if (last < first || first != m_rows)
        return onReset();
    ++m_changing;
    beginInsertRows({}, first, last);
    m_rows = last + 1;
    endInsertRows();
    --m_changing;
    invalidateFooter();
}

void RecordGridModel::onRemoved(int row)
{
    if (row < 0 || row >= m_rows)
        return;
    ++m_changing;
    beginRemoveRows({}, row, row);
    --m_rows;
    endRemoveRows();
    --m_changing;
    if (m_current >= m_rows)
        m_current = -1;
    invalidateFooter();
}

void RecordGridModel::onRowChanged(int row)
{
    if (row >= 0 && row < m_rows && !m_shown.isEmpty())
        Q_EMIT dataChanged(index(row, 0), index(row, int(m_shown.size()) - 1));
    invalidateFooter();
}

void RecordGridModel::onCurrentChanged(int row)
{
    const int old = m_current;
    m_current = row;
    if (old >= 0 && old < m_rows)
        Q_EMIT headerDataChanged(Qt::Vertical, old, old);
    if (row >= 0 && row < m_rows)
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
}
