#pragma once
// The rows of a list as its grid shows them, read from the record set when they are asked for: the
// record set fetches them by key a page at a time and keeps only so many, so a print or an export of a
// long list walks it without holding every row's texts. A print or an export reads them in one
// forward statement instead (stream()).
#include "data/rowstream.h"
#include "data/schema.h"

#include <QStringList>
#include <QVariant>
#include <QVector>

class RecordSet;

class RecordRows {
public:
    RecordRows() = default;
    // `fields` are record-set field indices of the shown columns, left to right (-1: an empty column).
    // The number of rows is taken now.
    RecordRows(const RecordSet* set, const QVector<int>& fields);

    int size() const { return m_count; }
    int columnCount() const { return int(m_fields.size()); }
    QStringList at(int row) const;
    QStringList operator[](int row) const { return at(row); }
    // The same rows streamed from the engine in one statement (RowStream); null where the set must
    // be read as it is.
    std::unique_ptr<RowCursor> stream() const;

    // A cell's text exactly as the grid shows it. Dates are taken from their stored text; only other
    // forms of a date are converted as a date and time.
    static QString cellText(const QVariant& v, FieldType type);

private:
    const RecordSet* m_set = nullptr;
    QVector<int> m_fields;
    QVector<FieldType> m_types;
    int m_count = 0;
};
