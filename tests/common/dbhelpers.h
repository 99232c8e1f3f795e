#pragma once
// Reading and preparing the data module's queries in window tests.
#include "data/datamodule.h"

// A shared query reopened on new SQL lines.
inline void reopen(RecordSet& q, const QStringList& sql)
{
    q.close();
    q.setSql(sql);
    q.open();
}

// The first column of the first row of a statement (null when it has no row), read through q_change.
inline QVariant scalarOf(TDm1& dm, const QString& sql)
{
    RecordSet& s = dm.q_change;
    s.close();
    s.setSql({sql});
    s.open();
    const QVariant v = s.isEmpty() ? QVariant() : s.value(s.fields().first().name);
    s.close();
    return v;
}
