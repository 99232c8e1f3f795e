#pragma once
// The papers a contract prints (租赁合同 and the others): each is a template name, its built-in
// template and its fields read from the database; printing one is written once here.
#include "ui/shell/help.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <optional>

class Database;
class QWidget;
class TDm1;

struct PaperKind {
    QString name;  // the template's name (templates/<name>.html) and the preview's title
    QString (*builtInTemplate)();
    QStringList (*fieldNames)();
    // The fields of the contract with that number; nullopt when it is gone. Throws DbError.
    std::optional<QHash<QString, QString>> (*fields)(Database& db, const QString& number);
};

namespace Papers {

const PaperKind& agreement();
const PaperKind& receipt();
// 交收车检查单: both stages of the contract's handover side by side.
const PaperKind& handoverSheet();
// The fields whose values are rich text the program draws (the outlines with their marks), put
// into the page as they are; every other value is printed as text.
const QSet<QString>& htmlFields();
// Every paper, in the order of the help text.
QVector<const PaperKind*> all();

// The paper of the stored contract in the print preview: the office's template, else the built-in
// one (a file that cannot be used is said first); a contract that is gone or a database error is
// said instead.
void print(QWidget* parent, Database& db, const PaperKind& kind, const QString& number);

// The same pages written to a PDF file, without a word to the clerk: false with the reason.
bool writePdf(Database& db, const PaperKind& kind, const QString& number, const QString& pdfPath, QString* error);

// The help text: where each paper's template lives and the field names it may use.
QStringList helpLines();

}  // namespace Papers

// 帮助 → 单据模板说明: the help window with Papers::helpLines().
class DocumentFieldsHelp : public TForm_help {
    Q_OBJECT
public:
    DocumentFieldsHelp(QWidget* owner, TDm1* dm);
};
