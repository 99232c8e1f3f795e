#pragma once
// What a list's query selects, held beside its SQL lines: the lines stay exactly as the windows
// write them (the last one the order line), and the machinery reads the table, the condition terms
// and the order marks from here for counts, footer sums and sorting, never by taking SQL text apart.
// Where a list is written from its structure (select()), the lines come from the same table,
// conditions and order as the terms and marks, so the two cannot tell different stories.
#include <QString>
#include <QStringList>
#include <QVector>

struct OrderMark {
    QString column;
    bool descending = false;
    bool operator==(const OrderMark&) const = default;
};

// The mark of an order text: a column, or a column followed by "desc".
OrderMark orderMark(const QString& text);

// How the lines of a list over a whole table are laid out: "select * from T order by C" as one line,
// or "select * from T ", "where ...", "order by C" each on a line of its own.
enum class LineStyle { OneLine, Split };

struct ListQuery {
    QString table;           // the one table listed
    QStringList terms = {};  // condition terms, each in its own parentheses; all must hold
    QVector<OrderMark> order = {};
    QStringList lines = {};  // the SQL lines as written; the last is the order line

    // The condition the terms make ("" when there are none), for statements of our own.
    QString condition() const;
    // "select sum(a), sum(b) from <table> where <condition>": the sums over the rows listed.
    QString sumStatement(const QStringList& columns) const;
    QString countStatement() const;
    // The rows of a table meeting every condition (each as its where line writes it), in the order of
    // one column (none: the table's order); the lines written in the given layout from the same
    // table, conditions and order that give the terms and marks.
    static ListQuery select(const QString& table, const QStringList& conditions, const QString& orderColumn, LineStyle style);
    // The same query with another order: its last line replaced by the given one.
    ListQuery withOrder(const QVector<OrderMark>& marks, const QString& orderLine) const;
};
