#pragma once
// Values typed by the operator end up inside SQL text built from fixed fragments.
// Every such value passes through sqlText(), which doubles the quote so that a name like O'Brien
// stays one literal; ordinary values come out unchanged. Control characters other than tab and line
// breaks are left out (no stored text holds them, and a NUL would cut the statement short).
#include <QString>

QString sqlText(const QString& value);
// The value as a complete literal: 'O''Brien'.
QString sqlLiteral(const QString& value);

// Text as the engines' `=`, `like` and ordering compare it (SQLite's NOCASE, the server's citext in
// the "C" collation): the Latin letters a–z read as A–Z, nothing else folded. Keys compared in
// C++ go through it so they match what the engine would.
inline QChar sqlFoldChar(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ? QChar(c.unicode() - 32) : c;
}
inline QString sqlFold(QString s)
{
    for (QChar& c : s)
        c = sqlFoldChar(c);
    return s;
}
