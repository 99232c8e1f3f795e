#include "data/rowcache.h"

#include <QHash>
#include <algorithm>
#include <cstdlib>

void RowCache::setKeys(QVector<qint64> keys, int columns, Loader loader)
{
    m_keys = std::move(keys);
    m_rows = QVector<Row>(m_keys.size());
    m_loadedRows.clear();
    m_columns = columns;
    m_pageLoads = 0;
    m_loader = std::move(loader);
}

void RowCache::setRows(QVector<Row> rows)
{
    m_rows = std::move(rows);
    m_keys = QVector<qint64>(m_rows.size(), 0);
    m_loadedRows.clear();
    m_columns = m_rows.isEmpty() ? 0 : int(m_rows.front().size());
    m_pageLoads = 0;
    m_loader = nullptr;
}

void RowCache::clear()
{
    m_keys.clear();
    m_rows.clear();
    m_loadedRows.clear();
    m_columns = 0;
    m_pageLoads = 0;
    m_loader = nullptr;
}

const RowCache::Row& RowCache::row(int row, int pinned)
{
    load(row, pinned);
    return m_rows[row];
}

void RowCache::load(int row, int pinned)
{
    if (row < 0 || row >= m_rows.size() || isLoaded(row))
        return;
    if (m_loadedRows.size() + PageRows > MaxLiveRows)
        dropFar(row, pinned);
    const int from = std::max(0, row - PageRowsBehind);
    const int to = std::min(int(m_rows.size()), from + PageRows);
    QHash<qint64, int> wanted;
    QVector<qint64> keys;
    for (int r = from; r < to; ++r) {
        if (!m_rows[r].isEmpty() || m_keys[r] == 0)
            continue;
        wanted.insert(m_keys[r], r);
        keys << m_keys[r];
    }
    if (keys.isEmpty())
        return;
    ++m_pageLoads;
    QVector<std::pair<qint64, Row>> got = m_loader(keys);
    for (auto& [key, values] : got) {
        const auto at = wanted.constFind(key);
        if (at == wanted.cend())
            continue;
        const int r = *at;
        wanted.erase(at);
        m_rows[r] = std::move(values);
        m_loadedRows << r;
    }
    // Rows deleted elsewhere since the keys were read.
    for (int r : std::as_const(wanted)) {
        m_rows[r] = Row(m_columns);
        m_loadedRows << r;
    }
}

void RowCache::dropFar(int keepRow, int pinned)
{
    // Only the rows held are visited, so a walk over a long list stays linear.
    QVector<int> kept;
    for (int r : std::as_const(m_loadedRows)) {
        if (r < 0 || r >= m_rows.size() || m_rows[r].isEmpty())
            continue;
        if (std::abs(r - keepRow) <= LiveWindow || r == pinned || m_keys[r] == 0)
            kept << r;
        else
            m_rows[r] = Row();
    }
    m_loadedRows = std::move(kept);
}

void RowCache::setRow(int row, Row values)
{
    if (m_loader && m_rows[row].isEmpty() && m_keys[row] != 0)
        m_loadedRows << row;
    m_rows[row] = std::move(values);
}

void RowCache::append(Row values)
{
    m_keys.push_back(0);
    m_rows.push_back(std::move(values));
}

void RowCache::removeAt(int row)
{
    m_keys.removeAt(row);
    m_rows.removeAt(row);
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
    if (!m_loader || row < 0 || row >= m_rows.size() || m_keys[row] == 0)
        return;
    m_rows[row] = Row();
    m_loadedRows.removeAll(row);
}

void RowCache::invalidateAll()
{
    if (!m_loader)
        return;
    // Every row with a key, also those written since the list was read (held outside the page count).
    for (int r = 0; r < m_rows.size(); ++r)
        if (m_keys[r] != 0)
            m_rows[r] = Row();
    m_loadedRows.clear();
}
