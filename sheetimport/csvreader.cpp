// The .csv reader: the encoding decided by the bytes, then the fields as spreadsheet programs
// quote them (a doubled quote inside quotes, line breaks inside quotes kept).
#include "sheetimport/sheets.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace SheetImport {

namespace {

QString decode(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    // Not UTF-8: what spreadsheet programs on Chinese Windows save as "CSV" (GB 2312's superset).
    QStringDecoder gbk("GBK");
    return gbk(bytes);
}

QChar separatorOf(const QString& text)
{
    int commas = 0, tabs = 0, semicolons = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted && c == u',')
            ++commas;
        else if (!quoted && c == u'\t')
            ++tabs;
        else if (!quoted && c == u';')
            ++semicolons;
    }
    if (commas == 0 && tabs > 0)
        return u'\t';
    if (commas == 0 && semicolons > 0)
        return u';';
    return u',';
}

}  // namespace

Sheet readCsv(const QByteArray& bytes, const QString& name)
{
    const QString text = decode(bytes);
    const QChar sep = separatorOf(text);
    Sheet sheet{name, {}};
    QVector<Cell> row;
    QString field;
    bool quoted = false, wasQuoted = false, rowStarted = false;
    auto endField = [&] {
        if (field.isEmpty() && !wasQuoted)
            row.push_back(Cell());
        else
            row.push_back(field);
        field.clear();
        wasQuoted = false;
    };
    auto endRow = [&] {
        endField();
        sheet.rows.push_back(row);
        row.clear();
        rowStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        rowStarted = true;
        if (c == u'"' && field.isEmpty()) {
            quoted = wasQuoted = true;
        } else if (c == sep) {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            endRow();
        } else {
            field += c;
        }
    }
    if (rowStarted || !field.isEmpty() || !row.isEmpty())
        endRow();
    return sheet;
}

}  // namespace SheetImport
