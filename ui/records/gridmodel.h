#pragma once
// The one grid model every list window shows its shared query through. It reads only the rows the
// view asks for (valueAt/displayText per painted cell) and keeps column order, visibility, sort
// marks and the footer row of the window.
#include "core/money.h"
#include "data/recordset.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

class QThread;
struct FooterSumJob;

enum class FooterKind { None, Text, Count, Sum };

struct GridColumn {
    QString field;  // database column shown
    QString title;  // levels separated by "|"; empty means the column name
    int width = 0;  // pixels; 0 takes the grid's default
    FooterKind footer = FooterKind::None;
    QString footerValue;       // the fixed text of a Text footer
    bool titleButton = false;  // the title can be clicked to mark the column for sorting
    bool visible = true;

    QString caption() const { return title.isEmpty() ? field : title; }
};

struct SortMark {
    QString field;
    bool descending = false;
    bool operator==(const SortMark&) const = default;
};

// " ORDER BY 车型 DESC , 客户号"; empty when nothing is marked.
QString sortOrderLine(const QVector<SortMark>& marks);

class RecordGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordGridModel(RecordSet* set, QObject* parent = nullptr);

    RecordSet* recordSet() const { return m_set; }

    // All columns in column order; an empty list shows every column of the query as it opens.
    void setColumns(const QVector<GridColumn>& columns);
    const QVector<GridColumn>& columns() const { return m_columns; }
    bool columnsFromQuery() const { return m_auto; }
    // Index into columns() of each shown column, left to right.
    const QVector<int>& shown() const { return m_shown; }
    const GridColumn& shownColumn(int section) const { return m_columns[m_shown[section]]; }
    void setShownWidth(int section, int width) { m_columns[m_shown[section]].width = width; }
    int columnIndexOf(const QString& field) const;

    // Visibility and order changes, by index into columns().
    void setColumnVisible(int index, bool visible);
    // Moves a column so that it stands right after the last shown column, and shows it.
    void showAfterShown(int index);

    void setSortMarks(const QVector<SortMark>& marks);
    const QVector<SortMark>& sortMarks() const { return m_marks; }

    // Footer row, one text per shown column, final: sums still being computed in the background are
    // waited for (print, export and tests write what they read).
    QString footerText(int section) const;
    QStringList footerTexts() const;
    // The footer as the grid paints it: never waits. A sum still being computed shows an empty text
    // (never a wrong number); footerChanged() follows when it arrives. A sum beyond the range of
    // amounts shows Amounts::outOfRange() in its cell, here and in footerText(s).
    QString footerTextNow(int section) const;
    // True while the footer sums are being computed in the background.
    bool footerPending() const;
    // True while a worker runs, also one whose result will be ignored.
    bool footerWorkersRunning() const { return !m_threads.isEmpty(); }
    // Blocks until the footer sums are known (the background result, or computed here).
    void waitForFooter() const;
    // Sum of a money column over every row of the query, walking the rows; nullopt beyond the
    // range of amounts.
    std::optional<Money> columnSum(const QString& field) const;
    // The footer sums are asked of the engine once, in one statement over the query's FROM/WHERE,
    // when the query opens; each row posted, added or deleted afterwards moves them by its
    // difference, so they stay the sums of the rows listed (a row edited out of the query's
    // condition stays listed and counted) without reading every row. Off: rows walked. On by default.
    // The first statement of an opening runs on a second connection in a worker thread, so that a
    // large list shows its rows before the engine has read the whole table.
    void setEngineSums(bool on);

    // Completes the columns taken from the query (footers, title buttons) as they are adopted.
    std::function<void(QVector<GridColumn>&)> onAdopt;

    // Row background chooser (the list window's cell-params handler).
    std::function<QColor(int row)> cellParams;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // True while rows or columns are being inserted, removed or reset: views then move their
    // current index on their own, which must not move the record set.
    bool changing() const { return m_changing > 0; }

    ~RecordGridModel() override;

Q_SIGNALS:
    void footerChanged();

private:
    void onReset();
    void onInserted(int row);
    void onRemoved(int row);
    void onAppended(int first, int last);
    void onRowChanged(int row);
    void onCurrentChanged(int row);
    void adoptQueryColumns();
    void resolveFields();
    void rebuildShown();
    void invalidateFooter();
    int fieldOf(int section) const;
    QString sumStatement(const QStringList& fields) const;
    bool sumsFromEngine(const QStringList& fields, QVector<std::optional<Money>>& out) const;
    QStringList sumFields() const;
    void ensureSums() const;
    void requestSums() const;
    void startJob(const std::shared_ptr<FooterSumJob>& job) const;
    void jobDone(const std::shared_ptr<FooterSumJob>& job) const;
    void abandonJob() const;
    void buildFooter() const;
    void onRowStored(int row, const QVector<QVariant>& before, const QVector<QVariant>& after);

    RecordSet* m_set;
    QVector<GridColumn> m_columns;
    QVector<int> m_shown;
    QVector<int> m_fieldIdx;  // per entry of m_columns: record-set field index, -1 when absent
    QVector<SortMark> m_marks;
    bool m_auto = true;
    bool m_engineSums = true;
    int m_rows = 0;
    int m_changing = 0;
    int m_current = -1;
    mutable bool m_footerValid = false;
    mutable QStringList m_footer;  // per entry of m_columns
    mutable bool m_sumsValid = false;
    mutable quint64 m_sumsGeneration = 0;                 // the opening of the query the sums belong to
    mutable QHash<QString, std::optional<Money>> m_sums;  // footer sums of the rows listed; nullopt beyond the range
    mutable std::shared_ptr<FooterSumJob> m_job;          // the background computation the footer waits for
    mutable QVector<QThread*> m_threads;                  // workers still running, the abandoned ones included
};
