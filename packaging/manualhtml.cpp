// Converts the Markdown manual (docs/manual/*.md, images/) into HTML for the package: each page
// read by Qt's Markdown reader, the one the program's own viewer uses, links between chapters
// turned from .md to .html, the pictures copied beside them.
//   velmira_manual_html <manual folder> <output folder>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>
#include <cstdio>

namespace {

// A link to another chapter of the manual, kept with its #section.
QString htmlLink(const QString& href)
{
    const QUrl url(href);
    if (!url.scheme().isEmpty() || !url.path().endsWith(QLatin1String(".md")))
        return href;
    QUrl html = url;
    html.setPath(url.path().chopped(3) + QStringLiteral(".html"));
    return html.toString();
}

bool convert(const QString& from, const QString& to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QTextDocument doc;
    doc.setMarkdown(QString::fromUtf8(in.readAll()));
    QTextCursor cursor(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (doc.metaInformation(QTextDocument::DocumentTitle).isEmpty() && block.blockFormat().headingLevel() == 1)
            doc.setMetaInformation(QTextDocument::DocumentTitle, block.text());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || htmlLink(format.anchorHref()) == format.anchorHref())
                continue;
            format.setAnchorHref(htmlLink(format.anchorHref()));
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    QFile out(to);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(doc.toHtml().toUtf8()) >= 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Text layout needs the GUI classes, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: velmira_manual_html <manual folder> <output folder>\n");
        return 2;
    }
    const QDir source(args[1]);
    QDir target(args[2]);
    // Made anew: a chapter removed from the sources leaves no page behind.
    target.removeRecursively();
    if (!target.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(args[2]));
        return 1;
    }
    for (const QString& page : source.entryList({QStringLiteral("*.md")}, QDir::Files)) {
        const QString html = page.chopped(3) + QStringLiteral(".html");
        if (!convert(source.filePath(page), target.filePath(html))) {
            std::fprintf(stderr, "cannot convert %s\n", qPrintable(source.filePath(page)));
            return 1;
        }
    }
    // The pictures, sub-folders kept (images/…).
    QDirIterator pictures(source.path(), QDir::Files, QDirIterator::Subdirectories);
    while (pictures.hasNext()) {
        const QString file = pictures.next();
        const QString relative = source.relativeFilePath(file);
        if (relative.endsWith(QLatin1String(".md")) && !relative.contains(QLatin1Char('/')))
            continue;
        const QString copy = target.filePath(relative);
        target.mkpath(QFileInfo(copy).path());
        QFile::remove(copy);
        if (!QFile::copy(file, copy)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
