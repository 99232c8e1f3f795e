#include "ui/shell/manual.h"
#include "data/settings.h"
#include "ui/common/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace Manual {

QString indexFile(const QString& programDir)
{
    const QStringList places{QDir(programDir).filePath(QStringLiteral("../share/velmira/manual/index.html")),
                             QStringLiteral(VEL_SOURCE_MANUAL "/index.md")};
    for (const QString& file : places)
        if (QFileInfo(file).isFile())
            return QDir::cleanPath(file);
    return {};
}

void open(QWidget* owner)
{
    // One window: the command again brings it forward where the clerk left it.
    static QPointer<ManualWindow> shown;
    if (shown && shown->parentWidget() == owner) {
        shown->showNormal();
        shown->raise();
        shown->activateWindow();
        return;
    }
    const QString index = indexFile(Paths::programDir());
    if (index.isEmpty()) {
        Msg::warn(owner, QStringLiteral("没有找到用户手册，请重新安装本系统或与软件公司联系！"));
        return;
    }
    shown = new ManualWindow(index, owner);
    shown->setAttribute(Qt::WA_DeleteOnClose);
    shown->show();
}

}  // namespace Manual

ManualWindow::ManualWindow(const QString& indexFile, QWidget* owner) : QWidget(owner, Qt::Window), m_index(indexFile)
{
    setObjectName(QStringLiteral("ManualWindow"));
    setWindowTitle(QStringLiteral("用户手册"));
    resize(820, 640);

    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(caption);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        return b;
    };
    homeButton = button("homeButton", QStringLiteral("目录"));
    backButton = button("backButton", QStringLiteral("后退"));
    forwardButton = button("forwardButton", QStringLiteral("前进"));
    QToolButton* closeButton = button("closeButton", QStringLiteral("返回"));
    backButton->setEnabled(false);
    forwardButton->setEnabled(false);

    browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("browser"));
    // Chapters are relative links the browser follows itself; a web address goes to the desktop.
    browser->setOpenLinks(true);
    browser->setOpenExternalLinks(true);
    connect(browser, &QTextBrowser::backwardAvailable, backButton, &QWidget::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, forwardButton, &QWidget::setEnabled);
    connect(browser, &QTextBrowser::sourceChanged, this, [this] {
        // The page's title: an HTML page's own, a Markdown page's first heading.
        QString title = browser->documentTitle();
        const QTextBlock first = browser->document()->begin();
        if (title.isEmpty() && first.blockFormat().headingLevel() > 0)
            title = first.text();
        const QString manual = QStringLiteral("用户手册");
        setWindowTitle(title.isEmpty() || title == manual ? manual : manual + QStringLiteral(" - ") + title);
    });
    connect(homeButton, &QToolButton::clicked, browser, &QTextBrowser::home);
    connect(backButton, &QToolButton::clicked, browser, &QTextBrowser::backward);
    connect(forwardButton, &QToolButton::clicked, browser, &QTextBrowser::forward);
    connect(closeButton, &QToolButton::clicked, this, &QWidget::close);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 0);
    for (QToolButton* b : {homeButton, backButton, forwardButton, closeButton})
        bar->addWidget(b);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(browser, 1);

    // The installed manual is HTML; the sources' is Markdown, which the browser renders from the
    // file's suffix, its links to further .md chapters included.
    browser->setSource(QUrl::fromLocalFile(m_index));
}
