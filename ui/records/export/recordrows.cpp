#include "ui/records/export/recordrows.h"

#include "core/dates.h"
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

QString RecordRows::cellText(const QVariant& v, FieldType type)
{
    if (v.isNull() || !v.isValid())
        return {};
    if (type == FieldType::DateTime)
        return Dates::displayStored(v);
    return RecordSet::displayText(v, type);
}
