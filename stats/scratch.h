#pragma once
// The scratch table 通用: every report and the reminder list compute their rows into it and show it
// through the shared query q_tongyong. Computing a report and showing it are kept apart: a report
// gathers its rows in memory and replaces the table's content in one transaction; the window side
// detaches the grid, empties the table, lets the report run and shows the new rows.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

class Database;
class RecordSet;

// Rows for 通用, in the order they are to be appended; one value per named column (a column not named
// stays empty).
struct ScratchRows {
    QStringList columns;
    QVector<QVector<QVariant>> rows;

    explicit ScratchRows(QStringList cols) : columns(std::move(cols)) {}
    void add(QVector<QVariant> values) { rows.push_back(std::move(values)); }
};

namespace Scratch {

inline const QString Table = QStringLiteral("通用");

// Empties 通用 and appends the rows in their order, all in one transaction: a failure leaves the
// previous content and is thrown as DbError.
void replace(Database& db, const ScratchRows& rows);
// The same for another table filled for a window and emptied after it (the chart's 图形显示).
void replaceTable(Database& db, const QString& table, const ScratchRows& rows);
// 通用 filled as replace() does, with the rows next() appends batch by batch until it returns false
// (an empty batch may come before the last). On a server each batch is on its way while the next is
// made, the server storing rows beside the work still to do.
void replaceInBatches(Database& db, const QStringList& columns, const std::function<bool(ScratchRows&)>& next);

// The two lines every command and run open the scratch query with; a run adds its order line.
QStringList selectLines(const QString& orderLine = {});

// A statistic run around the scratch query: its grid is detached, 通用 is emptied and the query set
// to the report's lines, fill() computes and writes the rows, and the query reopens on them at the
// first row. On an error the query is reopened on whatever 通用 holds and the grid reattached before
// the error is passed on (a detached grid would look empty).
void run(RecordSet& q, const QString& orderLine, const std::function<void()>& fill);

}  // namespace Scratch
