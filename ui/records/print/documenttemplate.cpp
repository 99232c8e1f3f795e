#include "ui/records/print/documenttemplate.h"

#include "data/settings.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace DocumentTemplate {

QString fileOf(const QString& folder, const QString& name)
{
    return QDir(folder).filePath(u"templates/"_s + name + u".html"_s);
}

QString defectOf(const QString& html)
{
    qsizetype from = 0;
    while ((from = html.indexOf(u"{{"_s, from)) >= 0) {
        const qsizetype close = html.indexOf(u"}}"_s, from + 2);
        const qsizetype nextOpen = html.indexOf(u"{{"_s, from + 2);
        if (close < 0 || (nextOpen >= 0 && nextOpen < close))
            return u"第 %1 行的“{{”没有对应的“}}”"_s.arg(html.left(from).count(u'\n') + 1);
        if (html.mid(from + 2, close - from - 2).trimmed().isEmpty())
            return u"第 %1 行有空的字段名“{{}}”"_s.arg(html.left(from).count(u'\n') + 1);
        from = close + 2;
    }
    return {};
}

LoadedTemplate load(const QString& name, const QString& builtIn, const QString& folder)
{
    LoadedTemplate t;
    t.file = fileOf(folder.isEmpty() ? Paths::workingDir() : folder, name);
    t.html = builtIn;
    const QString shown = QDir::toNativeSeparators(t.file);
    const auto fallBack = [&](const QString& why) {
        t.problem = u"模板文件 %1 %2，改用内置的%3模板!"_s.arg(shown, why, name);
        return t;
    };
    QFile f(t.file);
    if (!f.exists()) {
        t.missing = true;
        return fallBack(u"不存在"_s);
    }
    if (!f.open(QIODevice::ReadOnly))
        return fallBack(u"无法读取"_s);
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return fallBack(u"无法读取"_s);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (utf8.hasError())
        return fallBack(u"不是 UTF-8 编码"_s);
    if (text.trimmed().isEmpty())
        return fallBack(u"是空的"_s);
    if (const QString defect = defectOf(text); !defect.isEmpty())
        return fallBack(defect);
    t.html = text;
    return t;
}

QString render(const QString& html, const QHash<QString, QString>& fields, const QSet<QString>& htmlFields)
{
    QString out;
    out.reserve(html.size() * 2);
    qsizetype from = 0;
    while (true) {
        const qsizetype open = html.indexOf(u"{{"_s, from);
        const qsizetype close = open < 0 ? -1 : html.indexOf(u"}}"_s, open + 2);
        if (close < 0) {
            out += QStringView(html).mid(from);
            return out;
        }
        out += QStringView(html).mid(from, open - from);
        const QString key = html.mid(open + 2, close - open - 2).trimmed();
        if (const auto it = fields.constFind(key); it != fields.cend()) {
            out += htmlFields.contains(key) ? *it : it->toHtmlEscaped().replace(u'\n', u"<br>"_s);
        } else {
            out += u"<span style=\"color:#c00000;background-color:#ffff80\">{{"_s + key.toHtmlEscaped() + u"}}</span>"_s;
        }
        from = close + 2;
    }
}

}  // namespace DocumentTemplate
