#include "rental/papers.h"

#include "data/database.h"
#include "data/settings.h"
#include "rental/agreement.h"
#include "rental/handoverpaper.h"
#include "rental/receipt.h"
#include "ui/common/messages.h"
#include "ui/records/print/documentprinter.h"
#include "ui/records/print/documenttemplate.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace Papers {

namespace {

// The agreement's own fields and the car's condition at dispatch, drawn here with the windows.
std::optional<QHash<QString, QString>> agreementFields(Database& db, const QString& number)
{
    auto f = Agreement::fields(db, number);
    if (f)
        f->insert(u"交车车况图"_s, HandoverPaper::dispatchPicture(db, number));
    return f;
}

}  // namespace

const PaperKind& agreement()
{
    static const PaperKind k{Agreement::DocumentName, &Agreement::builtInTemplate, &Agreement::fieldNames, &agreementFields};
    return k;
}

const PaperKind& receipt()
{
    static const PaperKind k{Receipt::DocumentName, &Receipt::builtInTemplate, &Receipt::fieldNames, &Receipt::fields};
    return k;
}

const PaperKind& handoverSheet()
{
    static const PaperKind k{HandoverPaper::DocumentName, &HandoverPaper::builtInTemplate, &HandoverPaper::fieldNames,
                             &HandoverPaper::fields};
    return k;
}

const QSet<QString>& htmlFields()
{
    static const QSet<QString> names{u"交车车况图"_s, u"收车车况图"_s};
    return names;
}

QVector<const PaperKind*> all()
{
    return {&agreement(), &handoverSheet(), &receipt()};
}

namespace {

// The paper of the contract as HTML from the office's template or the built-in one; nullopt when
// the contract is gone. problem: why the office's template was not used. Throws DbError.
std::optional<QString> rendered(Database& db, const PaperKind& kind, const QString& number, QString* problem)
{
    const auto values = kind.fields(db, number);
    if (!values)
        return std::nullopt;
    const LoadedTemplate t = DocumentTemplate::load(kind.name, kind.builtInTemplate());
    // No file is the usual case and says nothing; a file that cannot be used is said.
    if (!t.missing)
        *problem = t.problem;
    return DocumentTemplate::render(t.html, *values, htmlFields());
}

QString goneText(const QString& number)
{
    return u"租赁 %1 已被删除，不能打印!"_s.arg(number);
}

}  // namespace

void print(QWidget* parent, Database& db, const PaperKind& kind, const QString& number)
{
    try {
        QString problem;
        const std::optional<QString> html = rendered(db, kind, number, &problem);
        if (!html) {
            Msg::warn(parent, goneText(number));
            return;
        }
        if (!problem.isEmpty())
            Msg::warn(parent, problem);
        printDocumentWithPreview(parent, kind.name + u' ' + number, *html);
    } catch (const DbError& e) {
        Msg::error(parent, e.text());
    }
}

bool writePdf(Database& db, const PaperKind& kind, const QString& number, const QString& pdfPath, QString* error)
{
    try {
        QString problem;
        const std::optional<QString> html = rendered(db, kind, number, &problem);
        if (!html) {
            *error = goneText(number);
            return false;
        }
        return printDocumentToPdf(kind.name + u' ' + number, *html, pdfPath, error);
    } catch (const DbError& e) {
        *error = e.text();
        return false;
    }
}

QStringList helpLines()
{
    QStringList lines{u"单据打印模板：每种单据可以使用本单位自己的模板，放在工作目录的 templates 文件夹中，"_s
                      u"文件名为单据名称加 .html（UTF-8 编码的 HTML 文本）。没有模板文件时使用系统自带的格式。"_s,
                      u"模板中用 {{字段名}} 表示要填入的内容，可以使用的字段如下；写错的字段名在打印预览中以红色原样显示。"_s,
                      QString()};
    for (const PaperKind* k : all()) {
        lines << u"【%1】 %2"_s.arg(k->name, QDir::toNativeSeparators(DocumentTemplate::fileOf(Paths::workingDir(), k->name)));
        QStringList names;
        for (const QString& n : k->fieldNames())
            names << u"{{"_s + n + u"}}"_s;
        lines << names.join(u"  "_s) << QString();
    }
    return lines;
}

}  // namespace Papers

DocumentFieldsHelp::DocumentFieldsHelp(QWidget* owner, TDm1*) : TForm_help(owner)
{
    setWindowTitle(u"单据模板说明"_s);
    for (const QString& line : Papers::helpLines())
        addLine(line);
}
