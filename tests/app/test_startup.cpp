// Start-up of the main window: connection, closing date and company information, gating by
// permission, the scrolling text, the background picture, automatic reminders and the restore.
#include "harness.h"

#include "app/pictures.h"
#include "app/shell.h"

#include <QAbstractButton>
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include "core/clock.h"

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}

bool permitted(TForm_main* w, const QString& item)
{
    QAction* a = w->menuItem(item);
    return a->isVisible() ? a->isEnabled() : a->property("permitted").toBool();
}
}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingDatabaseEndsProgram();
    void notADatabaseEndsProgram();
    void activationReadsCompanyAndClosingDate();
    void emptyConfigurationTables();
    void gatingByFlag_data();
    void gatingByFlag();
    void noRightsStillReachUngatedCommands();
    void scrollingTextReentersAtTheRight();
    void backgroundFromWorkingFolder();
    void automaticReminder_data();
    void automaticReminder();
    void restoreReconnectsInTheHomeFolder();
    void escapedDatabaseErrorIsShown();
};

void TestStartup::missingDatabaseEndsProgram()
{
    Harness h;
    QVERIFY(QFile::remove(QStringLiteral("data/qczl.db")));
    TForm_main* w = h.start();
    QCOMPARE(h.msg.texts(), QStringList{S("系统数据库没有连接，请与软件公司联系！")});
    QCOMPARE(h.msg.shown()[0].request.caption, Msg::appTitle());
    QCOMPARE(h.msg.shown()[0].request.caption, S("Velmira软件"));
    QCOMPARE(h.msg.shown()[0].request.icon, Msg::Icon::None);
    QVERIFY(w->closed());
    QVERIFY(h.modal.classes.isEmpty());                       // no login
    QVERIFY(!QFile::exists(QStringLiteral("data/qczl.db")));  // never created by the program
}

void TestStartup::notADatabaseEndsProgram()
{
    Harness h;
    QFile f(QStringLiteral("data/qczl.db"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("not a database at all, just text");
    f.close();
    TForm_main* w = h.start();
    QCOMPARE(h.msg.texts(), QStringList{S("系统数据库没有连接，请与软件公司联系！")});
    QVERIFY(w->closed());
}

void TestStartup::activationReadsCompanyAndClosingDate()
{
    Harness h;
    Clock::setFixed(QDateTime(QDate(2004, 5, 6), QTime(9, 0)));
    h.exec(S("update 公司信息 set 系统标题='华夏租车', 动态文字='安全第一'"));
    h.exec(S("update 关帐日期 set 关帐日期='2004-01-31 00:00:00'"));
    TForm_main w0;  // before activation: the design-time text
    QCOMPARE(w0.scrollingText()->text(), S("好人一生平安"));
    QVERIFY(!w0.loggedIn());

    TForm_main* w = h.start();
    QVERIFY(w->loggedIn());
    QCOMPARE(w->windowTitle(), S("华夏租车"));
    QCOMPARE(w->scrollingText()->text(), S("安全第一"));
    QCOMPARE(Session::closingDate(), QDate(2004, 1, 31));
    QCOMPARE(w->statusPanel(0), S("操作员：管理员"));
    QCOMPARE(w->statusPanel(1), QStringLiteral("2004-05-06"));
    QCOMPARE(w->statusPanel(2), QString());
    QVERIFY(!w->statusPanel(3).isEmpty());
    QCOMPARE(h.modal.classes, QStringList{S("TForm_Enter")});
    QCOMPARE(h.modal.captions, QStringList{S("系统登录")});
    // Nothing is left open but the connection.
    for (RecordSet* q : h.dm->queries())
        QVERIFY2(!q->isOpen(), qPrintable(q->objectName()));
    QVERIFY(h.dm->ADO_qczl.isOpen());
    // A second activation does nothing.
    w->FormActivate();
    QCOMPARE(h.modal.classes.size(), 1);
    w->close();
    QVERIFY(!h.dm->ADO_qczl.isOpen());
    Clock::setSource({});
}

void TestStartup::emptyConfigurationTables()
{
    Harness h;
    h.exec(S("delete from 公司信息"));
    h.exec(S("delete from 关帐日期"));
    TForm_main* w = h.start();
    QVERIFY(w->loggedIn());
    QCOMPARE(w->scrollingText()->text(), QString());
    QCOMPARE(w->windowTitle(), QString());
    QVERIFY(!w->autoRemind());
    QCOMPARE(Session::closingDate(), QDate(1899, 12, 30));
    QStringList lines;
    h.onWindow = [&](QDialog*) { lines = h.dm->q_xjrjz.sql(); };
    w->openCashJournal();
    QCOMPARE(lines.value(1), S("where (日期 between cdate('1899-12-1') and cdate('1899-12-31'))"));
}

void TestStartup::gatingByFlag_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("系统维护权") << 0 << QStringList{S("N2"), S("N18"), S("N48"), S("N60"), S("N56"), S("N6"), S("N7"), S("N61"), S("N64"), S("N65")} << QStringList{};
    QTest::newRow("日常业务权") << 1 << QStringList{S("N11"), S("N13"), S("N14"), S("N37"), S("N44"), S("N58")}
                                << QStringList{S("SpeedButton2"), S("SpeedButton3"), S("SpeedButton10")};
    QTest::newRow("其他业务权") << 2 << QStringList{S("N21"), S("N22"), S("N50"), S("N62")} << QStringList{};
    QTest::newRow("统计分析权") << 3 << QStringList{S("N33"), S("N34"), S("N38"), S("N49"), S("N35"), S("N39"), S("N51"), S("N52")}
                                << QStringList{};
    QTest::newRow("财务管理权") << 4 << QStringList{S("N15"), S("N16"), S("N24"), S("N19")}
                                << QStringList{S("SpeedButton4"), S("SpeedButton5")};
}

// An operator lacking exactly one flag loses exactly that flag's commands.
void TestStartup::gatingByFlag()
{
    QFETCH(int, flag);
    QFETCH(QStringList, items);
    QFETCH(QStringList, buttons);
    Rights r = Rights::all();
    bool* flags[] = {&r.sys, &r.daily, &r.other, &r.stats, &r.finance};
    *flags[flag] = false;
    Harness h;
    h.addOperator(S("操作员"), S(""), r);
    h.loginName = S("操作员");
    TForm_main* w = h.start();
    for (const Command& c : Commands::table())
        QVERIFY2(permitted(w, c.menuItem) == !items.contains(c.menuItem), qPrintable(c.menuItem));
    for (const QString& b : Commands::toolBar())
        QVERIFY2(w->toolButton(b)->isEnabled() == !buttons.contains(b), qPrintable(b));
}

void TestStartup::noRightsStillReachUngatedCommands()
{
    Harness h;
    h.addOperator(S("访客"), S(""), Rights{});
    h.loginName = S("访客");
    TForm_main* w = h.start();
    const QStringList open{S("N3"), S("N4"), S("N47"), S("N45"), S("N41"), S("N54"), S("N9"), S("N57"), S("N27"), S("N66"), S("N59"), S("N32")};
    for (const Command& c : Commands::table())
        QVERIFY2(permitted(w, c.menuItem) == open.contains(c.menuItem), qPrintable(c.menuItem));
    QVERIFY(!permitted(w, S("N11")));
    QVERIFY(w->toolButton(S("SpeedButton6"))->isEnabled());
    QStringList enabledButtons;
    for (const QString& b : Commands::toolBar())
        if (w->toolButton(b)->isEnabled())
            enabledButtons << w->toolButton(b)->text();
    QCOMPARE(enabledButtons, (QStringList{S("修改密码"), S("车辆档案"), S("客户预订"), S("提醒功能"), S("退出")}));
    // The 车辆档案 tool button stays enabled, but the command itself still asks for the right.
    QString shown;
    h.onWindow = [&](QDialog* d) { shown = d->windowTitle(); };
    w->toolButton(S("SpeedButton6"))->click();
    QCOMPARE(shown, QString());
    QCOMPARE(h.msg.texts(), QStringList{S("当前操作员没有日常业务权，不能使用车辆档案！")});
}

void TestStartup::scrollingTextReentersAtTheRight()
{
    Harness h;
    TForm_main* w = h.start();
    QWidget* panel = w->scrollPanel();
    panel->resize(300, 40);
    QLabel* label = w->scrollingText();
    label->move(10, label->y());
    w->Timer1Timer();
    QCOMPARE(label->x(), 9);
    // Still partly visible: keeps moving left.
    label->move(-label->width() + 1, label->y());
    w->Timer1Timer();
    QCOMPARE(label->x(), -label->width());
    // Right edge at the panel's left edge: re-enters at the right.
    w->Timer1Timer();
    QCOMPARE(label->x(), 300);
    // A shorter text set while the old one is partly out re-enters once it has left completely.
    label->move(-20, label->y());
    h.onWindow = [&](QDialog*) {
        h.dm->q_gsxx.edit();
        h.dm->q_gsxx.setValue(S("动态文字"), S("短"));
        h.dm->q_gsxx.post();
    };
    w->openCompanyInfo();
    QCOMPARE(label->text(), S("短"));
    int ticks = 0;
    while (label->x() != 300 && ticks < 1000) {
        w->Timer1Timer();
        ++ticks;
    }
    QCOMPARE(ticks, qMax(0, -20 + label->width()) + 1);
}

void TestStartup::backgroundFromWorkingFolder()
{
    Harness h;
    QDir().mkpath(S("jpg"));
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(QColor(1, 2, 3));
    QVERIFY(img.save(S("jpg/system.jpg"), "JPG"));
    TForm_main w;
    w.resize(400, 300);
    QWidget* image = w.findChild<QWidget*>(S("Image1"));
    const QImage shot = image->grab().toImage();
    const QColor c = shot.pixelColor(shot.width() / 2, shot.height() / 2);
    QVERIFY2(qAbs(c.red() - 1) < 8 && qAbs(c.blue() - 3) < 8, qPrintable(c.name()));
    // A picture that is not a JPEG keeps the built-in one and says nothing.
    QFile f(S("jpg/system.jpg"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("garbage");
    f.close();
    TForm_main w2;
    QVERIFY(h.msg.shown().isEmpty());
}

class Reminders : public QDialog {
public:
    Reminders(QWidget* owner, TDm1* dm, bool due) : QDialog(owner)
    {
        auto* b = new QPushButton(QStringLiteral("提醒"), this);
        b->setObjectName(QStringLiteral("bitbtn_edit"));
        connect(b, &QPushButton::clicked, this, [dm, due] {
            dm->q_tongyong.setSql({QStringLiteral("select * from 通用")});
            if (due)
                dm->ADO_qczl.execute(QStringLiteral("insert into 通用 (车牌号) values ('京A12345')"));
            dm->q_tongyong.open();
        });
    }
};

void TestStartup::automaticReminder_data()
{
    QTest::addColumn<bool>("flag");
    QTest::addColumn<bool>("registered");
    QTest::addColumn<bool>("due");
    QTest::addColumn<bool>("shown");
    QTest::newRow("due") << true << true << true << true;
    QTest::newRow("nothing due") << true << true << false << false;
    QTest::newRow("flag off") << false << true << true << false;
    QTest::newRow("no reminder window yet") << true << false << true << false;
}

void TestStartup::automaticReminder()
{
    QFETCH(bool, flag);
    QFETCH(bool, registered);
    QFETCH(bool, due);
    QFETCH(bool, shown);
    Harness h;
    h.exec(S("update 公司信息 set 自动提醒=?"), {int(flag)});
    if (registered)
        WindowRegistry::add(S("TForm_txgn"), [due](QWidget* o, TDm1* dm) { return new Reminders(o, dm, due); });
    h.start();
    QCOMPARE(h.modal.classes.size(), shown ? 2 : 1);
    QVERIFY(!h.dm->q_tongyong.isOpen());
}

// 数据恢复: the connection is closed while the window is open, the working folder is set back
// and the connection opened again.
void TestStartup::restoreReconnectsInTheHomeFolder()
{
    Harness h;
    TForm_main* w = h.start();
    bool openDuring = true;
    QTemporaryDir elsewhere;
    h.onWindow = [&](QDialog* d) {
        QCOMPARE(d->windowTitle(), S("数据恢复"));  // no module registered: the fallback window under the menu caption
        openDuring = h.dm->ADO_qczl.isOpen();
        QDir::setCurrent(elsewhere.path());
    };
    w->openRestore();
    QVERIFY(!openDuring);
    QCOMPARE(QDir::currentPath(), w->homeFolder());
    QVERIFY(h.dm->ADO_qczl.isOpen());
    QVERIFY(h.msg.shown().isEmpty());
    // The commands work on the reopened connection.
    int rows = -1;
    h.onWindow = [&](QDialog*) { rows = h.dm->q_gzsj.recordCount(); };
    w->openClosingDate();
    QCOMPARE(rows, 1);
}

class Thrower : public QObject {
protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw DbError(QStringLiteral("no such table: 汽车档案"));
        return QObject::event(e);
    }
};

// A window's handler that lets a database error escape does not end the program.
void TestStartup::escapedDatabaseErrorIsShown()
{
    Msg::Recorder msg;
    Thrower t;
    QEvent e(QEvent::User);
    QVERIFY(!QCoreApplication::sendEvent(&t, &e));
    QCOMPARE(msg.texts(), QStringList{S("no such table: 汽车档案")});
    QCOMPARE(msg.shown()[0].request.icon, Msg::Icon::Critical);
}

int main(int argc, char** argv)
{
    VelApplication app(argc, argv);
    TestStartup t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_startup.moc"
