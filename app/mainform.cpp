#include "app/mainform.h"
#include "app/enterform.h"
#include "app/fallbackwindow.h"
#include "app/passwordform.h"
#include "app/pictures.h"
#include "core/clock.h"
#include "core/dates.h"
#include "core/session.h"
#include "data/columns.h"
#include "remind/txgn.h"
#include "data/datamodule.h"
#include "data/settings.h"
#include "ui/common/messages.h"
#include "ui/shell/manual.h"
#include "ui/common/modal.h"
#include "ui/common/windowregistry.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString kNoConnection = QStringLiteral("系统数据库没有连接，请与软件公司联系！");

// The background picture, stretched to the client area.
class Picture : public QWidget {
public:
    explicit Picture(QWidget* parent) : QWidget(parent) {}
    void setPixmap(const QPixmap& pm)
    {
        m_pixmap = pm;
        update();
    }
    const QPixmap& pixmap() const { return m_pixmap; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(rect(), m_pixmap);
    }

private:
    QPixmap m_pixmap;
};

// Opens a query with a fresh text: close if open, clear, add the lines, open.
void setLines(RecordSet& q, const QStringList& lines)
{
    q.close();
    q.clearSql();
    for (const QString& line : lines)
        q.addSql(line);
}

// Closes a command's query when the command ends, however it ends.
class QueryCloser {
public:
    explicit QueryCloser(RecordSet* q) : m_q(q) {}
    ~QueryCloser()
    {
        if (m_q)
            m_q->close();
    }
    QueryCloser(const QueryCloser&) = delete;
    QueryCloser& operator=(const QueryCloser&) = delete;

private:
    RecordSet* m_q;
};
}  // namespace

TForm_main::TForm_main(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form_main"));
    setWindowTitle(QStringLiteral("汽车租赁管理系统"));
    resize(1024, 700);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel2 = new QWidget(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(50);
    layout->addWidget(Panel2);
    auto* image = new Picture(central);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(Pictures::background());
    image->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    Image1 = image;
    layout->addWidget(Image1, 1);
    setCentralWidget(central);

    buildToolBar();
    buildMenus();
    buildStatusBar();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(60);
    connect(Timer1, &QTimer::timeout, this, &TForm_main::Timer1Timer);
    Timer1->start();

    FormCreate();
}

TForm_main::~TForm_main() = default;

void TForm_main::buildToolBar()
{
    auto* bar = new QHBoxLayout(Panel2);
    bar->setContentsMargins(2, 5, 2, 5);
    bar->setSpacing(1);
    for (const QString& name : Commands::toolBar()) {
        const Command* c = Commands::findByButton(name);
        auto* b = new QToolButton(Panel2);
        b->setObjectName(name);
        b->setText(c->toolCaption);
        b->setIcon(Pictures::toolIcon(name));
        b->setIconSize(QSize(22, 22));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFixedSize(57, 39);
        const QString item = c->menuItem;
        connect(b, &QToolButton::clicked, this, [this, item] { runCommand(item); });
        bar->addWidget(b);
    }
    Panel5 = new QWidget(Panel2);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    Panel5->installEventFilter(this);
    bar->addWidget(Panel5, 1);

    // The scrolling text moves freely inside its panel, so it takes no part in a layout.
    Label1 = new QLabel(QStringLiteral("好人一生平安"), Panel5);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(15);
    f.setBold(true);
    Label1->setFont(f);
    QPalette pal = Label1->palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    Label1->setPalette(pal);
    Label1->adjustSize();
    Label1->move(0, 0);
}

void TForm_main::buildMenus()
{
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(bar);
    for (const Commands::Menu& m : Commands::menus()) {
        QMenu* menu = bar->addMenu(m.title);
        menu->setObjectName(m.objectName);
        for (const QString& entry : m.entries) {
            if (entry == QLatin1String("-") || entry == QLatin1String("~")) {
                QAction* sep = menu->addSeparator();
                sep->setVisible(entry == QLatin1String("-"));
                continue;
            }
            QAction* a = nullptr;
            if (const Command* c = Commands::find(entry)) {
                a = menu->addAction(c->caption);
                a->setVisible(!c->hidden);
                const QString item = c->menuItem;
                connect(a, &QAction::triggered, this, [this, item] { runCommand(item); });
            } else {
                for (const Commands::PlainItem& p : Commands::plainItems())
                    if (p.objectName == entry) {
                        a = menu->addAction(p.caption);
                        a->setVisible(false);
                    }
            }
            if (a)
                a->setObjectName(entry);
        }
    }
}

void TForm_main::buildStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);
    const int widths[4] = {120, 100, 300, 50};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(StatusBar1);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setFixedWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        if (i != 2)
            m_panels[i]->setAlignment(Qt::AlignCenter);
        StatusBar1->addWidget(m_panels[i]);
    }
    m_panels[3]->setText(QStringLiteral("售后服务"));
    m_panels[3]->setToolTip(QStringLiteral("售后服务：请与软件公司联系"));
}

QString TForm_main::statusPanel(int index) const
{
    return index >= 0 && index < 4 ? m_panels[index]->text() : QString();
}

QAction* TForm_main::menuItem(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

QToolButton* TForm_main::toolButton(const QString& objectName) const
{
    return Panel2->findChild<QToolButton*>(objectName);
}

void TForm_main::FormCreate()
{
    m_loggedIn = false;
    // Every data path is relative to the folder the program started in.
    m_home = QDir::currentPath();
    const QString picture = QDir(m_home).filePath(QStringLiteral("jpg/system.jpg"));
    if (QFile::exists(picture)) {
        QPixmap pm;
        if (pm.load(picture))
            static_cast<Picture*>(Image1)->setPixmap(pm);
    }
}

void TForm_main::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_activated)
        QMetaObject::invokeMethod(this, &TForm_main::FormActivate, Qt::QueuedConnection);
}

void TForm_main::FormActivate()
{
    if (m_activated || !m_dm)
        return;
    m_activated = true;
    QString error;
    if (!m_dm->connect(Paths::databaseFile(), &error)) {
        Msg::plain(this, kNoConnection);
        close();
        return;
    }
    try {
        RecordSet& gzsj = m_dm->q_gzsj;
        setLines(gzsj, {QStringLiteral("select * from 关帐日期")});
        gzsj.open();
        // An empty table reads as day 0 of the calendar the dates count from.
        QDate closing(1899, 12, 30);
        if (!gzsj.isEmpty() && gzsj.asDateTime(QStringLiteral("关帐日期")).isValid())
            closing = gzsj.asDateTime(QStringLiteral("关帐日期")).date();
        Session::closingDate() = closing;
        gzsj.close();

        RecordSet& gsxx = m_dm->q_gsxx;
        setLines(gsxx, {QStringLiteral("select * from 公司信息")});
        gsxx.open();
        setScrollText(gsxx.asString(Col::动态文字));
        setWindowTitle(gsxx.asString(Col::系统标题));
        m_autoRemind = gsxx.asBoolean(Col::自动提醒);
        gsxx.close();
    } catch (const DbError& e) {
        // Without its closing date and company information the program cannot work.
        Msg::error(this, e.text());
        close();
        return;
    }

    // The program shows dates one way everywhere, whatever the desktop's locale.
    m_panels[1]->setText(Dates::displayDate(QDateTime(Clock::today(), QTime(0, 0))));

    bool accepted = false;
    try {
        RecordSet& qxb = m_dm->q_qxb;
        const QueryCloser closeQuery(&qxb);
        setLines(qxb, Commands::operatorListSql());
        qxb.open();
        const auto login = std::make_unique<TForm_Enter>(this, m_dm, false);
        accepted = Modal::exec(login.get()) == QDialog::Accepted;
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
    if (!accepted) {
        close();
        return;
    }

    m_loggedIn = true;
    showOperator();
    applyGating();
    if (m_autoRemind)
        autoReminder();
}

void TForm_main::showOperator()
{
    m_panels[0]->setText(QStringLiteral("操作员：") + Session::currentOperator().name);
}

void TForm_main::applyGating()
{
    const Operator& op = Session::currentOperator();
    for (const Command& c : Commands::table()) {
        if (c.gate == Gate::None)
            continue;
        const bool on = Commands::allowed(c.gate, op);
        if (QAction* a = menuItem(c.menuItem)) {
            a->setEnabled(on);
            // Qt reports hidden items as disabled; keep the permission readable for them.
            a->setProperty("permitted", on);
        }
        if (c.toolGated)
            if (QToolButton* b = toolButton(c.toolButton))
                b->setEnabled(on);
    }
}

// The reminders module provides TForm_txgn; its 提醒 button fills q_tongyong with what is due.
void TForm_main::autoReminder()
{
    const WindowFactory factory = WindowRegistry::find(TForm_txgn::staticMetaObject);
    if (!factory)
        return;
    try {
        const QueryCloser closeQuery(&m_dm->q_tongyong);
        const std::unique_ptr<QDialog> w(factory(this, m_dm));
        if (auto* scan = w->findChild<QAbstractButton*>(QStringLiteral("bitbtn_edit")))
            scan->click();
        if (m_dm->q_tongyong.isOpen() && m_dm->q_tongyong.recordCount() > 0)
            Modal::exec(w.get());
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

void TForm_main::setScrollText(const QString& text)
{
    Label1->setText(text);
    Label1->adjustSize();
    Label1->move(Label1->x(), (Panel5->height() - Label1->height()) / 2);
}

bool TForm_main::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel5 && event->type() == QEvent::Resize)
        Label1->move(Label1->x(), (Panel5->height() - Label1->height()) / 2);
    return QMainWindow::eventFilter(watched, event);
}

void TForm_main::Timer1Timer()
{
    if (Label1->x() + Label1->width() <= 0)
        Label1->move(Panel5->width(), Label1->y());
    else
        Label1->move(Label1->x() - 1, Label1->y());
}

void TForm_main::closeEvent(QCloseEvent* event)
{
    if (m_dm) {
        m_dm->q_qxb.close();
        m_dm->disconnect();
    }
    Timer1->stop();
    m_closed = true;
    QMainWindow::closeEvent(event);
}

// ---- commands ----

void TForm_main::runCommand(const QString& menuItem)
{
    if (const Command* c = Commands::find(menuItem))
        runCommand(*c);
}

void TForm_main::runCommand(const Command& c)
{
    // A disabled menu item is not the only way in (a tool button left enabled, a shortcut, a call
    // from another window), so the right is checked where every command runs.
    if (!Commands::allowed(c.gate, Session::currentOperator())) {
        Msg::warn(this, Commands::refusal(c));
        return;
    }
    try {
        switch (c.kind) {
        case CommandKind::Exit:
            close();
            return;
        case CommandKind::Help:
            Msg::warn(this, QStringLiteral("帮助文档《使用说明》随系统一同提供，在程序所在文件夹的 doc 目录中，请打开该文档查阅！"));
            return;
        case CommandKind::Manual:
            Manual::open(this);
            return;
        case CommandKind::LayoutReset:
            resetLayouts();
            return;
        case CommandKind::Switch:
            switchOperator();
            return;
        case CommandKind::Restore:
            restore();
            return;
        case CommandKind::Scratch:
            openScratchWindow(c);
            return;
        default:
            openWindow(c);
            return;
        }
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

std::unique_ptr<QDialog> TForm_main::createWindow(const Command& c, RecordSet* query)
{
    if (c.kind == CommandKind::PasswordChange)
        return std::make_unique<TForm_password>(this, m_dm);
    if (c.window)
        if (const WindowFactory factory = WindowRegistry::find(*c.window))
            return std::unique_ptr<QDialog>(factory(this, m_dm));
    // Only where no module registered the class (the start-up check refuses that in the program).
    return std::make_unique<FallbackWindow>(this, Commands::windowClass(c), c.caption, query);
}

void TForm_main::prepare(RecordSet& q, const QStringList& lines)
{
    setLines(q, lines);
    q.open();
}

void TForm_main::openWindow(const Command& c)
{
    RecordSet* q = c.query.isEmpty() ? nullptr : m_dm->query(c.query);
    const QueryCloser closeQuery(q);  // declared first: the window goes before its query closes
    std::unique_ptr<QDialog> w = createWindow(c, q);
    if (q) {
        q->close();
        q->setQuery(Commands::commandQuery(c, Session::currentOperator(), Session::closingDate()));
        q->open();
    }
    Modal::exec(w.get());
    w.reset();
    // The scrolling text follows an edit at once; the caption keeps the title until the next start.
    if (c.kind == CommandKind::CompanyInfo && q && q->isOpen())
        setScrollText(q->asString(Col::动态文字));
}

void TForm_main::openScratchWindow(const Command& c)
{
    RecordSet& q = m_dm->q_tongyong;
    const QueryCloser closeQuery(&q);
    const std::unique_ptr<QDialog> w = createWindow(c, &q);
    setLines(q, {Commands::scratchDelete()});
    q.execSql();
    prepare(q, Commands::commandSql(c, Session::currentOperator(), Session::closingDate()));
    Modal::exec(w.get());
}

void TForm_main::switchOperator()
{
    {
        RecordSet& q = m_dm->q_qxb;
        const QueryCloser closeQuery(&q);
        const auto login = std::make_unique<TForm_Enter>(this, m_dm, m_loggedIn);
        prepare(q, Commands::operatorListSql());
        Modal::exec(login.get());
    }
    showOperator();
    applyGating();
}

void TForm_main::restore()
{
    if (m_restoreCommand) {
        m_restoreCommand(this, m_dm, m_home);
        return;
    }
    // The restore replaces, and the program reopens, the file the connection uses.
    const QString file = m_dm->ADO_qczl.isOpen() ? m_dm->ADO_qczl.location() : Paths::databaseFile();
    const Command* c = Commands::find(QStringLiteral("N7"));
    m_dm->disconnect();
    Modal::exec(createWindow(*c, nullptr).get());
    // Back to the folder every relative data path starts from, whatever the window did meanwhile.
    QDir::setCurrent(m_home);
    QString error;
    if (!m_dm->connect(file, &error))
        Msg::error(this, kNoConnection + QLatin1Char('\n') + error);
}

void TForm_main::resetLayouts()
{
    const QDir home(QDir::currentPath());
    for (const char* name : {"system.ini", "system1.ini"}) {
        const QString file = home.filePath(QString::fromLatin1(name));
        if (QFile::exists(file))
            QFile::remove(file);
    }
    Msg::warn(this, QStringLiteral("界面初始化完毕！"));
}
