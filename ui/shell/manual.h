#pragma once
// The user manual of the 帮助 menu: the HTML installed with the program, else the Markdown of the
// source tree the program was built from, shown in a window of its own that follows the manual's
// links between chapters and opens web addresses in the desktop's browser.
#include <QString>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace Manual {
// The manual's first page: <program folder>/../share/velmira/manual/index.html, else
// docs/manual/index.md of the sources; empty when neither exists.
QString indexFile(const QString& programDir);
// The manual's window, opened once and raised again; a missing manual is said in a message.
void open(QWidget* owner);
}  // namespace Manual

class ManualWindow : public QWidget {
    Q_OBJECT
public:
    ManualWindow(const QString& indexFile, QWidget* owner);

    QTextBrowser* browser;
    QToolButton* homeButton;     // 目录
    QToolButton* backButton;     // 后退
    QToolButton* forwardButton;  // 前进

private:
    QString m_index;
};
