#pragma once
// Spreadsheets as the import reads them: every sheet of a .csv, .xlsx or .xls file as rows of
// cells, nothing else (no formulas, no formats beyond telling a date). No window, no database.
#include <QString>
#include <QVariant>
#include <QVector>

namespace SheetImport {

// A cell as the file holds it: invalid when empty, else text (QString), a number (double), yes/no
// (bool), a date (QDate) or a date with its time (QDateTime).
using Cell = QVariant;

struct Sheet {
    QString name;
    // rows[i] is the spreadsheet's row i + 1; a row may be shorter than the widest one.
    QVector<QVector<Cell>> rows;
};

// Every sheet of the file, chosen by its extension (.csv, .xlsx, .xls; any case). A file that
// cannot be read is a DbError with the reason in the clerk's words, naming the file.
QVector<Sheet> readFile(const QString& path);

// A .csv file's bytes: UTF-8 (with or without its byte order mark) when they are valid UTF-8,
// else GBK. Fields separated by commas (by tabs or semicolons when the first line has those and
// no comma), quoted as spreadsheet programs write them; one sheet named after the file.
Sheet readCsv(const QByteArray& bytes, const QString& name);
QVector<Sheet> readXlsx(const QString& path);
QVector<Sheet> readXls(const QString& path);

// The text a cell shows: numbers without a trailing ".0" (a customer number or telephone kept as a
// number reads as typed), dates as 2004-03-01, yes/no as 是/否.
QString cellText(const Cell& cell);

}  // namespace SheetImport
