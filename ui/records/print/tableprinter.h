#pragma once
// Printed lists of a grid: the pages are composed by our own code from an ExportTable, so that the
// print preview, the printer and a PDF file all receive the same pages.
#include "ui/common/testhook.h"
#include "ui/records/export/exporttable.h"

#include <QPageLayout>
#include <QVector>
#include <functional>

class QPagedPaintDevice;
class QPainter;
class QWidget;

// "打印时间:" + date and time of the table's printedAt.
QString printTimeText(const QDateTime& at);
// The closing line: "打印时间:…" + 21 blanks + "制表:" + operator + " ." (or the table's own closingLine).
QString closingLineOf(const ExportTable& t);

// Where the pages of one table stand in a print made of several (the planner's weeks): the pages
// printed before them, which go on being counted, and whether the closing line follows the grid.
struct PageRun {
    int pagesBefore = 0;
    bool closingLine = true;
};

// Composes every page onto a paged device on which `painter` is active, starting on the current page:
// the print title centred above the grid, "第N页" at the left, the title rows repeated on each page, the
// grid scaled to the width between the margins with rows as tall as their wrapped text, the footer
// row and the closing line. Black on white: the print colours. Returns the number of pages.
// The rows are asked for one at a time as they are placed (a long list is never held as a whole);
// maxPages > 0 stops after that many pages (measurements of long lists).
int paintPages(QPainter& painter, QPagedPaintDevice& device, const ExportTable& t, int maxPages = 0, const PageRun& run = {});

// The page settings of a printed list: A4 portrait, 2 mm margins on every side.
void setupListPage(QPagedPaintDevice& device);

// Shows the pages in a print preview, from which the operator sets up the printer and prints.
void printWithPreview(QWidget* parent, const ExportTable& t);
// Writes the same pages to a PDF file (replaced when it exists; nothing is left behind on failure).
bool printToPdf(const ExportTable& t, const QString& pdfPath, QString* error, int maxPages = 0);
// The same for pages a caller composes itself (several tables), on the list page in either orientation.
bool paintToPdf(const QString& pdfPath, const QString& title, QPageLayout::Orientation orientation,
                const std::function<void(QPainter&, QPagedPaintDevice&)>& paint, QString* error);

namespace PrintPreview {

// Test replacement of the preview window: each table that would be previewed is recorded with its rows
// read into it, and the preview is not shown.
class Recorder : public TestHook<Recorder> {
public:
    const QVector<ExportTable>& tables() const { return m_tables; }

private:
    friend void ::printWithPreview(QWidget*, const ExportTable&);
    QVector<ExportTable> m_tables;
};

}  // namespace PrintPreview
