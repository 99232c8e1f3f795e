#pragma once
// The rows of a record set as far as they have been read. A keyed list holds the key of every row
// in the statement's order and fetches the rows themselves a page at a time through a loader when
// something reads them; beyond a limit the rows far from the one asked for are dropped again. The
// rows are a copy of what the database holds, so any of them can be dropped and read again. A
// list read whole (a computed statement) holds all its rows and never loads or drops one.
// Rows are held in pages made when a row of theirs is first held, so a long list costs nothing per
// row nobody reads. The keys may arrive in two steps: the first screen's, then the whole list
// (finishKeys); whatever needs the whole list before it arrived reads it at once (readAll).
// No database and no window here: the loader reads.
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class RowCache {
public:
    using Row = QVector<QVariant>;
    // The rows of the given keys, each with its key, in any order. A key without a row is a row
    // deleted elsewhere since the keys were read: it reads as a row of empty values. next: when the
    // rows are read in order, the keys of the page that will be asked for after these (else empty),
    // which the loader may start reading meanwhile.
    using Loader = std::function<QVector<std::pair<qint64, Row>>(const QVector<qint64>& keys, const QVector<qint64>& next)>;
    // Every key of the list, in its order (may throw).
    using KeyReader = std::function<QVector<qint64>()>;
    // The keys became whole: rows known..total-1 are new to whoever counted only the known ones.
    using Completed = std::function<void(int known, int total)>;

    // Rows read in one go around the one asked for. Reading forwards is the common walk; a few rows
    // behind it help scrolling up. Also the size of a page of storage.
    static constexpr int PageRows = 256;
    static constexpr int PageRowsBehind = PageRows / 8;
    // Rows held at most: reading another page beyond it first drops the rows far from the one asked for.
    static constexpr int MaxLiveRows = 16384;
    // What a drop keeps: the rows this near the one asked for (a screen of scrolling either way).
    static constexpr int LiveWindow = 2 * PageRows;

    RowCache() = default;
    RowCache(const RowCache&) = delete;
    RowCache& operator=(const RowCache&) = delete;

    // A keyed list, no row read yet; a loaded row has the given number of columns.
    void setKeys(QVector<qint64> keys, int columns, Loader loader);
    // The keys given to setKeys are only the first of the list: the rest come by finishKeys, or
    // from readAll as soon as anything needs the whole list.
    void setKeysPending(KeyReader readAll, Completed completed);
    // The whole list, in order. The keys held stay where they are (rows other connections added or
    // moved into the first part meanwhile are left for the next opening); the others follow in
    // the order given. Nothing when the list is whole already.
    void finishKeys(QVector<qint64> all);
    void completeKeys()
    {
        if (m_readAll)
            finishKeys(m_readAll());
    }
    bool keysComplete() const { return !m_readAll; }
    // A list read whole: nothing to load, nothing dropped; every key 0.
    void setRows(QVector<Row> rows);
    void clear();

    // The whole list's size (its keys read first if they are still coming).
    int size()
    {
        completeKeys();
        return int(m_keys.size());
    }
    // The rows known so far, without waiting for the rest.
    int knownSize() const { return int(m_keys.size()); }
    // The first part of a list is never empty when more is coming.
    bool isEmpty() const { return m_keys.isEmpty(); }
    // 0 for a row not written yet and for the rows of a list read whole.
    qint64 key(int row)
    {
        reach(row);
        return m_keys[row];
    }
    void setKey(int row, qint64 key)
    {
        completeKeys();
        m_keys[row] = key;
    }
    const QVector<qint64>& keys()
    {
        completeKeys();
        return m_keys;
    }

    // A row's values, reading its page first if it is not held. pinned: a row the drop keeps
    // wherever it is (the current row).
    const Row& row(int row, int pinned = -1);
    // Reads the page around a row unless the row is held.
    void load(int row, int pinned = -1);
    bool isLoaded(int row) const { return !m_loader || !slot(row).isEmpty(); }
    // Rows fetched by key and held now (rows not written yet are not counted).
    int loadedCount() const { return int(m_loadedRows.size()); }
    // Pages of storage made and held now.
    int pagesHeld() const;
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
    using Page = std::unique_ptr<Row[]>;
    // Rows past the known ones need the whole list.
    void reach(int row)
    {
        if (row >= m_keys.size())
            completeKeys();
    }
    const Row& slot(int row) const;
    Row& hold(int row);  // makes the row's page when missing
    void sizePages();
    void dropFar(int keepRow, int pinned);
    // The keys of the rows in [from, to) still to read.
    void unread(int from, int to, QVector<qint64>* keys) const;

    QVector<qint64> m_keys;
    std::vector<Page> m_pages;  // a missing page is rows not read yet
    QVector<int> m_loadedRows;  // which rows were read by key, for dropping
    int m_columns = 0;
    int m_pageLoads = 0;
    int m_loadedUpTo = -1;  // the end of the last page read: a read starting there is a walk in order
    Loader m_loader;
    KeyReader m_readAll;  // set while the list is known only in part
    Completed m_completed;
};
