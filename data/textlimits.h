#pragma once
// How much text each text column of the schema holds and which characters it takes: one table
// beside the schema (textlimits.cpp), read by the record set when it stores a value and by the
// edit fields, which stop the clerk at the length. Lengths count UTF-16 code units, as edit fields
// do (a Chinese character is one, a character outside the basic plane two); one unit is at most
// three bytes of UTF-8, so a column of n holds at most 3n bytes on the server.
#include <QString>

namespace Schema {

// Most characters a text or memo column stores; 0 for a column that is not text. A text column the
// table does not list (a table of a later schema version) holds 255, a memo column 2,000.
int maxLength(const QString& table, const QString& column);

// Whether a text column takes line breaks and tabs: memo columns and the remarks typed in
// multi-line fields. Every other control character is refused everywhere.
bool multiLine(const QString& table, const QString& column);

// What is wrong with a text for a column, in the clerk's words and naming the column; empty when
// the column can store it.
QString textProblem(const QString& table, const QString& column, const QString& text);

}  // namespace Schema
