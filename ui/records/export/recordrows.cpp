#include "ui/records/export/recordrows.h"

#include "data/recordset.h"

RecordRows::RecordRows(const RecordSet* set, const QVector<int>& fields)
    : m_set(set), m_fields(fields), m_count(set && set->isOpen() ? set->recordCount() : 0)
{
    m_types.reserve(fields.size());
    for (int f : fields)
        m_types << (set && f >= 0 && f < set->fields().size() ? set->fields()[f].type : FieldType::Text);
}

QStringList RecordRows::at(int row) const
{
    QStringList out;
    out.reserve(m_fields.size());
    for (int c = 0; c < m_fields.size(); ++c) {
        const int f = m_fields[c];
        out << (f >= 0 && m_set ? cellText(m_set->valueAt(row, f), m_types[c]) : QString());
    }
    return out;
}

std::unique_ptr<RowCursor> RecordRows::stream() const
{
    return m_set && m_set->isOpen() ? RowStream::open(*m_set, m_fields) : nullptr;
}

QString RecordRows::cellText(const QVariant& v, FieldType type)
{
    return RowStream::displayText(v, type);
}
