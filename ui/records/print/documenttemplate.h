#pragma once
// Printed documents from HTML templates the office may edit: templates/<name>.html in the working
// folder, with named fields written {{字段}}. No widgets and no message boxes: a template that
// cannot be used gives the built-in one and the reason, which the caller shows.
#include <QHash>
#include <QSet>
#include <QString>

struct LoadedTemplate {
    QString html;          // the office's template, or the built-in one
    QString file;          // templates/<name>.html below the folder, as looked for
    QString problem;       // empty when the office's template is used; else why not, naming the file
    bool missing = false;  // no file at all: the office never wrote one (the usual case)
};

namespace DocumentTemplate {

// Where the office's template of a document lives below a working folder.
QString fileOf(const QString& folder, const QString& name);
// Why a template text cannot be used ("{{" without its "}}", an empty field name), or empty.
QString defectOf(const QString& html);
// The office's template of a document from folder (the working folder by default), else builtIn:
// the file may be missing, unreadable, not UTF-8, empty or broken.
LoadedTemplate load(const QString& name, const QString& builtIn, const QString& folder = QString());
// The text with every {{字段}} replaced by its value, escaped for HTML (line breaks kept). Spaces
// inside the braces do not count. A field without a value stays visible as written, marked in red,
// so that a misspelt name shows on the page instead of leaving a silent gap. The fields named in
// htmlFields are rich text the program made (a picture's <img>) and go in as they are.
QString render(const QString& html, const QHash<QString, QString>& fields, const QSet<QString>& htmlFields = {});

}  // namespace DocumentTemplate
