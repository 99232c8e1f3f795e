#pragma once
// Printed documents (agreement, receipt): a rendered HTML text laid out by Qt's rich-text document
// on A4, for the print preview and for PDF files alike.
#include "ui/common/testhook.h"

#include <QString>
#include <QStringList>

class QPagedPaintDevice;
class QWidget;

// Shows the document in the print preview, from which the operator prints.
void printDocumentWithPreview(QWidget* parent, const QString& title, const QString& html);
// Writes the same pages to a PDF file.
bool printDocumentToPdf(const QString& title, const QString& html, const QString& pdfPath, QString* error);

namespace PrintPreview {

// Test replacement of the document preview: each document is recorded (title and HTML), not shown.
class DocumentRecorder : public TestHook<DocumentRecorder> {
public:
    const QStringList& titles() const { return m_titles; }
    const QStringList& documents() const { return m_documents; }

private:
    friend void ::printDocumentWithPreview(QWidget*, const QString&, const QString&);
    QStringList m_titles, m_documents;
};

}  // namespace PrintPreview
