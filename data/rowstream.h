#pragma once
// The rows of a list read in one forward statement, for prints and exports: the list's own statement
// (same conditions, same order with the hidden key breaking ties) with the shown columns selected,
// each cell turned into the UTF-8 bytes of its text as the grid shows it straight from the engine's
// stored form — no page look-ups by key, no QVariant or QString per cell where a byte copy does.
#include "data/schema.h"

#include <QVariant>
#include <QVector>
#include <memory>
#include <string_view>

class RecordSet;

// Rows in order, one at a time, each cell as the UTF-8 bytes of its display text.
class RowCursor {
public:
    virtual ~RowCursor() = default;
    // Moves to the next row; false after the last.
    virtual bool next() = 0;
    // The cell of the current row ("" beyond its columns); valid until the next call of next().
    virtual std::string_view cell(int column) const = 0;
};

namespace RowStream {

// The set's rows, exactly recordCount() of them in its order, for the given record-set field indices
// (-1: an empty column). Each row comes from the engine while its key is the set's key at that
// place; from the first row where the two differ (a row posted, deleted or moved since the set was
// read) the rest are read through the set, as the grid shows them. Null where the set must be read
// as it is: closed, computed (read whole, read-only) or with a row being edited or inserted.
// The engine is read on a thread of its own from the first next() on, a few batches of rows ahead of
// the caller: until the cursor has ended or is destroyed (which stops the reading) nothing else may
// be read on the set's connection. Engine errors are thrown as DbError by next(), after the rows
// read before them.
std::unique_ptr<RowCursor> open(const RecordSet& set, const QVector<int>& fields);

// A value's text as the grid shows it: dates from their stored text, amounts, numbers and
// booleans in their screen form.
QString displayText(const QVariant& v, FieldType type);

}  // namespace RowStream
