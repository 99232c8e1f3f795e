#pragma once
// Values typed by the operator end up inside SQL text built from fixed fragments.
// Every such value passes through sqlText(), which doubles the quote so that a name like O'Brien
// stays one literal; ordinary values come out unchanged. Control characters other than tab and line
// breaks are left out (no stored text holds them, and a NUL would cut the statement short).
#include <QString>

QString sqlText(const QString& value);
// The value as a complete literal: 'O''Brien'.
QString sqlLiteral(const QString& value);
