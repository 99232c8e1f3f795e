#include "core/sqltext.h"

QString sqlText(const QString& value)
{
    QString s = value;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return s;
}

QString sqlLiteral(const QString& value)
{
    return QLatin1Char('\'') + sqlText(value) + QLatin1Char('\'');
}
