#include "ui/shell/help.h"
#include "ui/common/modal.h"

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QVBoxLayout>

TForm_help::TForm_help(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_help"));
    setWindowTitle(QStringLiteral("帮助窗口"));
    resize(354, 426);

    auto* menuBar = new QMenuBar(this);
    QMenu* file = menuBar->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("N1"));
    file->addAction(QStringLiteral("打印"));
    file->addAction(QStringLiteral("打印设置"));
    file->addSeparator();
    QAction* back = file->addAction(QStringLiteral("返回"));
    back->setObjectName(QStringLiteral("N5"));
    connect(back, &QAction::triggered, this, &QDialog::close);

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setAutoFillBackground(true);
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(2, 2, 2, 2);
    buttons->setSpacing(1);
    auto button = [this, bar, buttons](const char* name, const QString& caption, bool enabled) {
        auto* b = new QPushButton(caption, bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setEnabled(enabled);
        b->setAutoDefault(false);
        b->setFixedHeight(24);
        buttons->addWidget(b);
        return b;
    };
    returnButton = button("SpeedButton1", QStringLiteral("返回"), true);
    button("SpeedButton2", QStringLiteral("目录"), false);
    button("SpeedButton3", QStringLiteral("详文"), false);
    button("SpeedButton4", QString(), false);
    button("SpeedButton5", QString(), false);
    buttons->addStretch();
    connect(returnButton, &QPushButton::clicked, this, &QDialog::close);

    auto* strip = new QLabel(QStringLiteral("帮助系统"), this);
    strip->setObjectName(QStringLiteral("Panel2"));
    strip->setAlignment(Qt::AlignCenter);
    strip->setMinimumHeight(24);
    strip->setStyleSheet(QStringLiteral("background: #c0c0c0"));

    linesEdit = new QPlainTextEdit(this);
    linesEdit->setObjectName(QStringLiteral("Memo1"));
    linesEdit->setReadOnly(true);
    linesEdit->setStyleSheet(QStringLiteral("QPlainTextEdit { background: white; }"));
    linesEdit->setPlainText(QString());  // one empty line before the caller's lines

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(bar);
    layout->addWidget(strip);
    layout->addWidget(linesEdit, 1);
}

void TForm_help::addLine(const QString& line)
{
    // appendPlainText would fill the empty first line; the hint lines go below it.
    QTextCursor c(linesEdit->document());
    c.movePosition(QTextCursor::End);
    c.insertBlock();
    c.insertText(line);
}

QStringList TForm_help::lines() const
{
    QStringList all = linesEdit->toPlainText().split(QLatin1Char('\n'));
    all.removeFirst();
    return all;
}

void TForm_help::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
            QRect r = frameGeometry();
            r.moveCenter(s->availableGeometry().center());
            move(r.topLeft());
        }
    }
}

void showHelpLines(QWidget* parent, const QStringList& lines)
{
    auto* w = new TForm_help(parent);
    for (const QString& line : lines)
        w->addLine(line);
    Modal::exec(w);
    delete w;
}
