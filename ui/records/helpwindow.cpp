#include "ui/records/helpwindow.h"
#include "ui/common/modal.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm_help::TForm_help(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_help"));
    setWindowTitle(QStringLiteral("帮助窗口"));
    resize(354, 426);
    auto* layout = new QVBoxLayout(this);
    auto* close = new QPushButton(QStringLiteral("返回"), this);
    close->setObjectName(QStringLiteral("SpeedButton1"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* strip = new QLabel(QStringLiteral("帮助系统"), this);
    strip->setStyleSheet(QStringLiteral("background: silver"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(QString());  // starts with one empty line
    layout->addWidget(close, 0, Qt::AlignLeft);
    layout->addWidget(strip);
    layout->addWidget(Memo1, 1);
}

void TForm_help::addLine(const QString& line)
{
    Memo1->setPlainText(Memo1->toPlainText() + QLatin1Char('\n') + line);
}

QStringList TForm_help::lines() const
{
    QStringList l = Memo1->toPlainText().split(QLatin1Char('\n'));
    if (!l.isEmpty())
        l.removeFirst();
    return l;
}

void showHelpLines(QWidget* parent, const QStringList& lines)
{
    auto* w = new TForm_help(parent);
    for (const QString& line : lines)
        w->addLine(line);
    Modal::exec(w);
    delete w;
}
