#pragma once
// Pieces every output format shares: the title block of multi-level column titles and the reading of
// numbers out of display texts.
#include "ui/records/export/exporttable.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QVarLengthArray>
#include <optional>

// One cell of the title block. Columns whose upper title levels are equal share one cell across them;
// a column with fewer levels than the deepest lets its last level reach down to the bottom title row.
struct TitleCell {
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
    QString text;
};

struct TitleBlock {
    int depth = 0;             // number of title rows; 0 without columns
    QVector<TitleCell> cells;  // in row order, left to right
    // The text of each title row and column, placed at the top-left cell of its span and empty elsewhere.
    QVector<QStringList> grid() const;
};

TitleBlock titleBlock(const QVector<ExportColumn>& columns);

bool isNumericType(FieldType t);
// A plain decimal number ("-12", "1234.50", "0.0001"), as the value a spreadsheet should hold.
// Grouping commas are accepted in money columns only. nullopt for anything else, including empty text.
std::optional<double> numberValue(QStringView text, bool allowGrouping = false);
// The same read from a cell's UTF-8 bytes.
std::optional<double> numberValue(std::string_view utf8, bool allowGrouping = false);

// A cell's UTF-8 bytes as UTF-16, decoded into buf as QString::fromUtf8 would (formats that write
// characters one by one: RTF escapes, the workbook's strings).
class Utf16Buffer {
public:
    QStringView decode(std::string_view utf8);

private:
    QStringDecoder m_decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom};
    QVarLengthArray<QChar, 512> m_units;
};

class ExportSink;

// Writers of the single formats, writing to the sink as the rows are read. Rows may be shorter than
// the column list: missing cells are empty. False when the sink failed (its errorString tells why).
bool writeText(const ExportTable& t, ExportSink& out);
bool writeCsv(const ExportTable& t, ExportSink& out);
bool writeHtml(const ExportTable& t, ExportSink& out);
bool writeRtf(const ExportTable& t, ExportSink& out);
// The cells of the workbook's sheets are gathered in a temporary file in `scratchDir` while the string
// table goes to the sink, and are copied after it. Checks that the table fits first: when it does not,
// nothing is written and *tooLarge holds the reason.
bool writeXls(const ExportTable& t, ExportSink& out, const QString& scratchDir, QString* tooLarge);
