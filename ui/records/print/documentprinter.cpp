#include "ui/records/print/documentprinter.h"

#include <QDir>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

namespace {

// 12 mm margins: room for a printer's unprintable edge and for a punch.
constexpr double kDocumentMarginMm = 12;

void setupDocumentPage(QPagedPaintDevice& device)
{
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(kDocumentMarginMm, kDocumentMarginMm, kDocumentMarginMm, kDocumentMarginMm),
                          QPageLayout::Millimeter);
}

void paintDocument(QPagedPaintDevice& device, const QString& html)
{
    // Laid out at the device's own resolution on pages as large as its printable area, and painted
    // page by page (QTextDocument::print would add margins and page numbers of its own).
    QTextDocument doc;
    // The screen font is set in pixels, which on a 600 dpi page shrink to a twelfth of their size;
    // the page's base size (and the headings' sizes, relative to it) is in points.
    QFont base = QGuiApplication::font();
    base.setPointSizeF(10.5);
    doc.setDefaultFont(base);
    doc.documentLayout()->setPaintDevice(&device);
    doc.setHtml(html);
    const QRect page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    doc.setPageSize(page.size());
    QPainter painter;
    if (!painter.begin(&device))
        return;
    for (int i = 0; i < doc.pageCount(); ++i) {
        if (i > 0)
            device.newPage();
        painter.save();
        painter.translate(0, -i * page.height());
        doc.drawContents(&painter, QRectF(0, i * page.height(), page.width(), page.height()));
        painter.restore();
    }
    painter.end();
}

}  // namespace

void printDocumentWithPreview(QWidget* parent, const QString& title, const QString& html)
{
    if (PrintPreview::DocumentRecorder* r = PrintPreview::DocumentRecorder::current()) {
        r->m_titles << title;
        r->m_documents << html;
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    setupDocumentPage(printer);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&html](QPrinter* target) { paintDocument(*target, html); });
    preview.exec();
}

bool printDocumentToPdf(const QString& title, const QString& html, const QString& pdfPath, QString* error)
{
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error =
                QStringLiteral("无法创建文件“%1”（%2），没有生成PDF文件。").arg(QDir::toNativeSeparators(pdfPath), file.errorString());
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(600);
        writer.setTitle(title);
        setupDocumentPage(writer);
        paintDocument(writer, html);
    }
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("无法保存文件“%1”（%2），可能是磁盘已满，没有生成PDF文件。")
                         .arg(QDir::toNativeSeparators(pdfPath), file.errorString());
        return false;
    }
    return true;
}
