#pragma once
// The rows of a record set as far as they have been read. A keyed list holds the key of every row
// in the statement's order and fetches the rows themselves a page at a time through a loader when
// something reads them; beyond a limit the rows far from the one asked for are dropped again. The
// rows are a copy of what the database holds, so any of them can be dropped and read again. A
// list read whole (a computed statement) holds all its rows and never loads or drops one.
// No database and no window here: the loader reads.
#include <QVariant>
#include <QVector>
#include <functional>
#include <utility>

class RowCache {
public:
    using Row = QVector<QVariant>;
    // The rows of the given keys, each with its key, in any order. A key without a row is a row
    // deleted elsewhere since the keys were read: it reads as a row of empty values.
    using Loader = std::function<QVector<std::pair<qint64, Row>>(const QVector<qint64>& keys)>;

    // Rows read in one go around the one asked for. Reading forwards is the common walk; a few rows
    // behind it help scrolling up.
    static constexpr int PageRows = 256;
    static constexpr int PageRowsBehind = PageRows / 8;
    // Rows held at most: reading another page beyond it first drops the rows far from the one asked for.
    static constexpr int MaxLiveRows = 16384;
    // What a drop keeps: the rows this near the one asked for (a screen of scrolling either way).
    static constexpr int LiveWindow = 2 * PageRows;

    // A keyed list, no row read yet; a loaded row has the given number of columns.
    void setKeys(QVector<qint64> keys, int columns, Loader loader);
    // A list read whole: nothing to load, nothing dropped; every key 0.
    void setRows(QVector<Row> rows);
    void clear();

    int size() const { return int(m_keys.size()); }
    bool isEmpty() const { return m_keys.isEmpty(); }
    // 0 for a row not written yet and for the rows of a list read whole.
    qint64 key(int row) const { return m_keys[row]; }
    void setKey(int row, qint64 key) { m_keys[row] = key; }
    const QVector<qint64>& keys() const { return m_keys; }

    // A row's values, reading its page first if it is not held. pinned: a row the drop keeps
    // wherever it is (the current row).
    const Row& row(int row, int pinned = -1);
    // Reads the page around a row unless the row is held.
    void load(int row, int pinned = -1);
    bool isLoaded(int row) const { return !m_loader || !m_rows[row].isEmpty(); }
    // Rows fetched by key and held now (rows not written yet are not counted).
    int loadedCount() const { return int(m_loadedRows.size()); }
    // How many pages the loader has been asked for since the list was set.
    int pageLoads() const { return m_pageLoads; }

    // A row as stored now (after a write, or put back after a rollback).
    void setRow(int row, Row values);
    // A new row at the end, not written yet (key 0): held until it is written and never dropped.
    void append(Row values);
    // A row left the list: later rows move up by one.
    void removeAt(int row);
    // Read again from the loader when next asked for. A row not written yet has nothing to read
    // again and stays as it is.
    void invalidate(int row);
    void invalidateAll();

private:
    void dropFar(int keepRow, int pinned);

    QVector<qint64> m_keys;
    QVector<Row> m_rows;        // an empty entry is a row not read yet
    QVector<int> m_loadedRows;  // which rows were read by key, for dropping
    int m_columns = 0;
    int m_pageLoads = 0;
    Loader m_loader;
};
