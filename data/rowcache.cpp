#include "data/rowcache.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstdlib>

namespace {
const RowCache::Row& noRow()
{
    static const RowCache::Row r;
    return r;
}
}  // namespace

const RowCache::Row& RowCache::slot(int row) const
{
    const size_t p = size_t(row) / PageRows;
    if (row < 0 || p >= m_pages.size() || !m_pages[p])
        return noRow();
    return m_pages[p][row % PageRows];
}

RowCache::Row& RowCache::hold(int row)
{
    const size_t p = size_t(row) / PageRows;
    if (p >= m_pages.size())
        m_pages.resize(p + 1);
    if (!m_pages[p])
        m_pages[p] = std::make_unique<Row[]>(PageRows);
    return m_pages[p][row % PageRows];
}

void RowCache::sizePages()
{
    m_pages.resize((size_t(m_keys.size()) + PageRows - 1) / PageRows);
}

int RowCache::pagesHeld() const
{
    return int(std::count_if(m_pages.begin(), m_pages.end(), [](const Page& p) { return bool(p); }));
}

void RowCache::setKeys(QVector<qint64> keys, int columns, Loader loader)
{
    m_keys = std::move(keys);
    m_pages.clear();
    sizePages();
    m_loadedRows.clear();
    m_columns = columns;
    m_pageLoads = 0;
    m_loadedUpTo = -1;
    m_loader = std::move(loader);
    m_readAll = nullptr;
    m_completed = nullptr;
}

void RowCache::setKeysPending(KeyReader readAll, Completed completed)
{
    m_readAll = std::move(readAll);
    m_completed = std::move(completed);
}

void RowCache::finishKeys(QVector<qint64> all)
{
    if (!m_readAll)
        return;
    const int known = int(m_keys.size());
    if (all.size() >= known && std::equal(m_keys.begin(), m_keys.end(), all.begin())) {
        m_keys = std::move(all);
    } else {
        const QSet<qint64> held(m_keys.begin(), m_keys.end());
        for (qint64 k : std::as_const(all))
            if (!held.contains(k))
                m_keys.push_back(k);
    }
    sizePages();
    m_readAll = nullptr;
    const Completed completed = std::move(m_completed);
    m_completed = nullptr;
    if (completed && m_keys.size() > known)
        completed(known, int(m_keys.size()));
}

void RowCache::setRows(QVector<Row> rows)
{
    m_keys = QVector<qint64>(rows.size(), 0);
    m_pages.clear();
    sizePages();
    for (int r = 0; r < rows.size(); ++r)
        hold(r) = std::move(rows[r]);
    m_loadedRows.clear();
    m_columns = rows.isEmpty() ? 0 : int(rows.front().size());
    m_pageLoads = 0;
    m_loader = nullptr;
    m_readAll = nullptr;
    m_completed = nullptr;
}

void RowCache::clear()
{
    m_loadedUpTo = -1;
    m_keys.clear();
    m_pages.clear();
    m_loadedRows.clear();
    m_columns = 0;
    m_pageLoads = 0;
    m_loader = nullptr;
    m_readAll = nullptr;
    m_completed = nullptr;
}

const RowCache::Row& RowCache::row(int row, int pinned)
{
    load(row, pinned);
    return slot(row);
}

void RowCache::unread(int from, int to, QVector<qint64>* keys) const
{
    for (int r = from; r < to; ++r)
        if (slot(r).isEmpty() && m_keys[r] != 0)
            keys->push_back(m_keys[r]);
}

void RowCache::load(int row, int pinned)
{
    reach(row);
    if (row < 0 || row >= m_keys.size() || isLoaded(row))
        return;
    if (m_loadedRows.size() + PageRows > MaxLiveRows)
        dropFar(row, pinned);
    const int from = std::max(0, row - PageRowsBehind);
    const int to = std::min(int(m_keys.size()), from + PageRows);
    QVector<qint64> keys;
    keys.reserve(to - from);
    unread(from, to, &keys);
    if (keys.isEmpty())
        return;
    // A read where the last one ended is a walk in order: the page asked for next is the one a
    // read of the row after these makes, less the rows read now.
    QVector<qint64> next;
    if (row == m_loadedUpTo && to < m_keys.size()) {
        const int nextFrom = std::max(0, to - PageRowsBehind);
        unread(std::max(to, nextFrom), std::min(int(m_keys.size()), nextFrom + PageRows), &next);
    }
    ++m_pageLoads;
    m_loadedUpTo = to;
    QVector<std::pair<qint64, Row>> got = m_loader(keys, next);
    QHash<qint64, int> wanted;
    wanted.reserve(keys.size());
    for (int r = from; r < to; ++r)
        if (slot(r).isEmpty() && m_keys[r] != 0)
            wanted.insert(m_keys[r], r);
    for (auto& [key, values] : got) {
        const auto at = wanted.constFind(key);
        if (at == wanted.cend())
            continue;
        const int r = *at;
        wanted.erase(at);
        hold(r) = std::move(values);
        m_loadedRows << r;
    }
    // Rows deleted elsewhere since the keys were read.
    for (int r : std::as_const(wanted)) {
        hold(r) = Row(m_columns);
        m_loadedRows << r;
    }
}

void RowCache::dropFar(int keepRow, int pinned)
{
    // Only the rows held are visited, so a walk over a long list stays linear.
    QVector<int> kept;
    for (int r : std::as_const(m_loadedRows)) {
        if (r < 0 || r >= m_keys.size() || slot(r).isEmpty())
            continue;
        if (std::abs(r - keepRow) <= LiveWindow || r == pinned || m_keys[r] == 0)
            kept << r;
        else
            hold(r) = Row();
    }
    m_loadedRows = std::move(kept);
    // Pages left without a row go back (rows not written yet are held outside the count).
    for (Page& p : m_pages)
        if (p && std::all_of(p.get(), p.get() + PageRows, [](const Row& r) { return r.isEmpty(); }))
            p.reset();
}

void RowCache::setRow(int row, Row values)
{
    reach(row);
    if (m_loader && slot(row).isEmpty() && m_keys[row] != 0)
        m_loadedRows << row;
    hold(row) = std::move(values);
}

void RowCache::append(Row values)
{
    completeKeys();
    m_keys.push_back(0);
    sizePages();
    hold(int(m_keys.size()) - 1) = std::move(values);
}

void RowCache::removeAt(int row)
{
    completeKeys();
    m_keys.removeAt(row);
    // Later rows move up by one, page by page; missing pages stay missing.
    const size_t first = size_t(row) / PageRows;
    for (size_t p = first; p < m_pages.size(); ++p) {
        const bool next = p + 1 < m_pages.size() && m_pages[p + 1] && !m_pages[p + 1][0].isEmpty();
        if (!m_pages[p] && !next)
            continue;
        hold(int(p * PageRows));
        Row* rows = m_pages[p].get();
        const int start = p == first ? row % PageRows : 0;
        std::move(rows + start + 1, rows + PageRows, rows + start);
        rows[PageRows - 1] = next ? std::move(m_pages[p + 1][0]) : Row();
    }
    sizePages();
    QVector<int> moved;
    moved.reserve(m_loadedRows.size());
    for (int r : std::as_const(m_loadedRows)) {
        if (r != row)
            moved << (r > row ? r - 1 : r);
    }
    m_loadedRows = std::move(moved);
}

void RowCache::invalidate(int row)
{
    if (!m_loader || row < 0 || row >= m_keys.size() || m_keys[row] == 0)
        return;
    if (!slot(row).isEmpty())
        hold(row) = Row();
    m_loadedRows.removeAll(row);
}

void RowCache::invalidateAll()
{
    if (!m_loader)
        return;
    // Every row with a key, also those written since the list was read (held outside the page count).
    for (size_t p = 0; p < m_pages.size(); ++p) {
        if (!m_pages[p])
            continue;
        for (int i = 0; i < PageRows; ++i) {
            const size_t r = p * PageRows + size_t(i);
            if (r < size_t(m_keys.size()) && m_keys[qsizetype(r)] != 0)
                m_pages[p][i] = Row();
        }
    }
    m_loadedRows.clear();
}
