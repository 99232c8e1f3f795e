#pragma once
// A grid as it is shown (visible columns in display order, current rows, footers), described without
// widgets, and the writers that turn it into a file. The list windows fill an ExportTable from their
// grid; printing composes its pages from the same description.
#include "data/rowstream.h"
#include "data/schema.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <string>

class QWidget;
struct SaveDialogSettings;

struct ExportColumn {
    QString title;  // levels separated by "|": "费用|材料费"
    FieldType type = FieldType::Text;
    int width = 80;  // screen pixels; prints keep the proportions
};

struct ExportTable {
    QString printTitle;             // e.g. "汽车档案打印清单"
    QVector<ExportColumn> columns;  // visible columns only, in display order
    QVector<QStringList> rows;      // display texts; money as exact decimal text ("1234.50", "0.0001")
    QStringList footer;             // one footer row, one text per column, or empty for none
    QString operatorName;           // printed after "制表:"
    QDateTime printedAt;            // Clock::now() of the caller; when invalid, Clock::now() at printing
    // The line printed after the grid. Empty: "打印时间:" + time + 21 blanks + "制表:" + operator + " .".
    // A window with placeholders of its own passes its complete line here.
    QString closingLine;

    // Long lists need not be copied into `rows`: when rowSource is set, row i (0 <= i < sourceRows) is
    // asked for once, while the file or the pages are written, and `rows` is not used.
    std::function<QStringList(int)> rowSource;
    int sourceRows = 0;

    // A list's rows streamed from the engine in one pass (RowStream), its cells already the bytes
    // written. Where it gives no cursor the rows come from rowSource or `rows`; either way there are
    // rowCount() of them.
    std::function<std::unique_ptr<RowCursor>()> rowStream;

    int rowCount() const { return rowSource ? sourceRows : int(rows.size()); }
    QStringList row(int i) const { return rowSource ? rowSource(i) : rows.at(i); }
    // Every row in order, once: through rowStream where it gives a cursor, else row by row (each
    // asked for once).
    std::unique_ptr<RowCursor> cursor() const;
};

// Cells given as texts, held as UTF-8 for the writers (titles, footers, rows of texts).
class Utf8Cells {
public:
    Utf8Cells() = default;
    explicit Utf8Cells(const QStringList& texts) { assign(texts); }
    void assign(const QStringList& texts);
    std::string_view cell(int c) const;  // "" beyond the cells

private:
    std::string m_bytes;
    QVector<size_t> m_ends;
};

// The texts of the first n cells of a cursor's current row.
QStringList cellTexts(const RowCursor& row, int n);

enum class ExportFormat { Text, Csv, Html, Rtf, Xls };

// Format of a filter index of the export dialog (1 txt, 2 csv, 3 htm, 4 rtf, 5 xls). The name does not
// choose the format; only when the index is out of range is its extension consulted (default Excel).
ExportFormat exportFormatFor(const QString& fileName, int filterIndex /*1-based*/);
// Extension of a filter index ("txt" ... "xls"), empty for any other index.
QString exportExtensionFor(int filterIndex);
// The dialog's extension rule: when the last three characters of the name, in upper case, differ from
// the extension in upper case, "." and the extension are appended ("a.txt" with Excel -> "a.txt.xls").
QString exportFileNameFor(const QString& fileName, int filterIndex);

// Writes all rows with titles and footer; an existing file is replaced. The file is written beside the
// target under a temporary name and renamed only when complete, so a failure (missing folder, full
// disk, locked file, a table Excel cannot hold) leaves any previous file untouched and returns false
// with a Chinese message in *error.
bool writeExport(const ExportTable& t, const QString& path, ExportFormat f, QString* error);
// The file's bytes, for the writers' own tests.
QByteArray exportBytes(const ExportTable& t, ExportFormat f, QString* error);

// The shared export dialog: proposes defaultName with the filters of `settings`, preselects the filter
// chosen last (stored back into `settings` for the rest of the run), applies the extension rule and
// writes. False when cancelled or when writing failed (the failure is shown to the operator).
bool exportWithDialog(QWidget* parent, SaveDialogSettings& settings, const QString& defaultName, const ExportTable& t);
