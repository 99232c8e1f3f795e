// The command table as the main window runs it: SQL lines of every command, the month of the
// cash journal, the scratch table of the statistics, special commands, menus and tool bar.
#include "harness.h"

#include "app/commands.h"
#include "app/fallbackwindow.h"
#include "core/dates.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QToolButton>

namespace {
// What each command prepares, written out independently of the table in the program.
struct Expected {
    const char* item;
    const char* query;
    QStringList lines;
    const char* windowClass;
    const char* caption;
};

QString S(const char* s) { return QString::fromUtf8(s); }

QVector<Expected> expected()
{
    const QStringList scratch{S("select * from "), S("通用")};
    const QStringList open{S("select * from 汽车租赁登记表 "), S("where 帐款结清=false"), S("order by 内部编号")};
    return {
        {"N2", "q_qxb", {S("select * from 权限表 order by 姓名")}, "TForm_qxb", "操作员及权限设置"},
        {"N3", "q_qxb", {S("select * from 权限表 "), S("where 姓名='管理员'"), S("order by 姓名")}, "TForm_password", "修改当前操作员口令"},
        {"N18", "q_gsxx", {S("select * from 公司信息")}, "TForm_gsxx_edit", "公司信息编辑"},
        {"N11", "q_qcda", {S("select * from 汽车档案 "), S("order by 车牌号")}, "TForm_qcda", "汽车档案设置"},
        {"N48", "q_jbr", {S("select * from 经办人信息 order by 经办人姓名")}, "TForm_jbr", "经办人信息"},
        {"N47", "q_txcsb", {S("select * from 提醒功能初始表")}, "TForm_txcsb", "提醒功能初始表"},
        {"N45", "", {}, "TForm_txgn", "提醒功能清单"},
        {"N56", "", {}, "TForm_initialize", "数据初始化"},
        {"N6", "", {}, "TForm_backup", "系统备份管理"},
        {"N41", "q_gzsj", {S("select * from 关帐日期")}, "TForm_gzsj", "结算时间设置"},
        {"N13", "q_hyzlb", {S("select * from 客户登记表 "), S("order by 客户号")}, "TForm_hyzlb", "客户资料登记表"},
        {"N57", "q_khydqc", {S("select * from 客户预订汽车 "), S("where 执行完毕='否'"), S("order by 内部编号")}, "TForm_khydqc",
         "客户预订汽车登记表(没有执行完毕的客户预订)"},
        {"N14", "q_qczlb", {S("select * from 汽车租赁登记表 "), S("order by 内部编号")}, "TForm_qczlb", "汽车租赁登记表"},
        {"N15", "q_qczlb", open, "TForm_qczl_fkqk", "汽车租赁登记表"},
        {"N37", "q_qczlb", {S("select * from 汽车租赁登记表 "), S("where 客户交车='没有'"), S("order by 内部编号")}, "TForm_qczljcb",
         "汽车租赁登记表"},
        {"N16", "q_qczlb", open, "TForm_qczljsd", "汽车租赁结算单"},
        {"N44", "q_qcda", {S("select * from 汽车档案 "), S("order by 车牌号")}, "TForm_qczlqkb", "汽车租赁情况表"},
        {"N21", "q_hyjlb", {S("select * from 换油记录表 "), S("order by 换油时间")}, "TForm_hyjlb", "换油记录登记表"},
        {"N22", "q_wxjlb", {S("select * from 车辆维修记录表 "), S("order by 维修时间")}, "TForm_wxjlb", "车辆维修记录登记表"},
        {"N50", "q_sgjlb", {S("select * from 事故登记表 "), S("order by 事故时间")}, "TForm_sgjlb", "事故记录登记表"},
        {"N24", "q_xjrjz",
         {S("select * from 现金日记帐 "), S("where (日期 between cdate('2004-3-1') and cdate('2004-3-31'))"), S("order by 日期")},
         "TForm_xjrjz", "现金日记账"},
        {"N19", "q_zy", {S("select * from 摘要")}, "TForm_zy", "摘要设置"},
        {"N33", "q_tongyong", scratch, "TForm_qczlsrtj", "汽车租赁收入统计"},
        {"N34", "q_tongyong", scratch, "TForm_khzlsrtj", "客户租赁收入统计"},
        {"N38", "q_tongyong", scratch, "TForm_qczlsrtj_kh", "汽车租赁收入统计(按客户)"},
        {"N49", "q_tongyong", scratch, "TForm_jbrtj", "按经办人统计租赁收入"},
        {"N35", "q_tongyong", scratch, "TForm_qczlsrtj_yf", "汽车租赁收入统计(月份)"},
        {"N39", "q_tongyong", scratch, "TForm_xjsytj", "现金使用统计(按摘要)"},
        {"N51", "q_tongyong", scratch, "TForm_qcsrfymxb", "汽车收入费用明细表"},
        {"N52", "q_tongyong", scratch, "TForm_qcsrfyhzb", "汽车收入费用汇总表"},
        {"N32", "", {}, "Tform_About", "关于本系统"},
    };
}
} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyCommandPreparesItsQuery_data();
    void everyCommandPreparesItsQuery();
    void tableCoversEveryMenuCommand();
    void journalMonth_data();
    void journalMonth();
    void journalFollowsNewClosingDate();
    void passwordQueryQuotesTheName();
    void statisticsStartFromEmptyScratchTable();
    void registeredWindowReplacesFallback();
    void databaseErrorIsReportedNotFatal();
    void companyInfoUpdatesScrollingTextOnly();
    void layoutResetDeletesBothFiles();
    void helpAndExit();
    void menusAndToolBar();
    void rightsAreCheckedWhenACommandRuns();
};

void TestCommands::everyCommandPreparesItsQuery_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("caption");
    for (const Expected& e : expected())
        QTest::newRow(e.item) << S(e.item) << S(e.query) << e.lines << S(e.windowClass) << S(e.caption);
}

// Each command opens its query with exactly the lines of the table before the window shows,
// shows the window under its caption and closes the query once the window is gone.
void TestCommands::everyCommandPreparesItsQuery()
{
    QFETCH(QString, item);
    QFETCH(QString, query);
    QFETCH(QStringList, lines);
    QFETCH(QString, windowClass);
    QFETCH(QString, caption);

    Harness h;
    h.exec(S("update 关帐日期 set 关帐日期='2004-03-20 00:00:00'"));
    TForm_main* w = h.start();
    QVERIFY(w->loggedIn());

    RecordSet* q = query.isEmpty() ? nullptr : h.dm->query(query);
    QStringList seenLines;
    bool seenOpen = false;
    QString seenName, seenCaption;
    QPointer<QDialog> window;
    h.onWindow = [&](QDialog* d) {
        window = d;
        seenName = d->objectName();
        seenCaption = d->windowTitle();
        if (q) {
            seenLines = q->sql();
            seenOpen = q->isOpen();
        }
    };
    w->runCommand(item);
    QVERIFY2(h.msg.shown().isEmpty(), qPrintable(h.msg.texts().join(QLatin1Char('|'))));
    QCOMPARE(seenCaption, caption);
    if (item != QLatin1String("N3"))
        QCOMPARE(seenName, windowClass);  // fallback windows carry the class name
    if (q) {
        QCOMPARE(seenLines, lines);
        QVERIFY(seenOpen);
        QVERIFY(!q->isOpen());
    }
    QVERIFY(window.isNull());  // freed after closing
}

void TestCommands::tableCoversEveryMenuCommand()
{
    QStringList tested;
    for (const Expected& e : expected())
        tested << S(e.item);
    for (const Command& c : Commands::table()) {
        const bool special = c.kind == CommandKind::Exit || c.kind == CommandKind::Help || c.kind == CommandKind::LayoutReset
            || c.kind == CommandKind::Switch || c.kind == CommandKind::Restore;
        QVERIFY2(special || tested.contains(c.menuItem), qPrintable(c.menuItem));
    }
    QCOMPARE(Commands::table().size(), 36);
}

void TestCommands::journalMonth_data()
{
    QTest::addColumn<QDate>("closing");
    QTest::addColumn<QString>("condition");
    QTest::newRow("leap February") << QDate(2004, 2, 10) << S("where (日期 between cdate('2004-2-1') and cdate('2004-2-29'))");
    QTest::newRow("February") << QDate(2005, 2, 28) << S("where (日期 between cdate('2005-2-1') and cdate('2005-2-28'))");
    QTest::newRow("December") << QDate(2004, 12, 1) << S("where (日期 between cdate('2004-12-1') and cdate('2004-12-31'))");
    QTest::newRow("April") << QDate(2004, 4, 30) << S("where (日期 between cdate('2004-4-1') and cdate('2004-4-30'))");
    QTest::newRow("century not leap") << QDate(1900, 2, 1) << S("where (日期 between cdate('1900-2-1') and cdate('1900-2-28'))");
    QTest::newRow("400 years leap") << QDate(2000, 2, 1) << S("where (日期 between cdate('2000-2-1') and cdate('2000-2-29'))");
}

// The month comes from the closing date read at start, not from today.
void TestCommands::journalMonth()
{
    QFETCH(QDate, closing);
    QFETCH(QString, condition);
    Harness h(QDate(2010, 7, 7));
    h.exec(S("update 关帐日期 set 关帐日期=?"), {Dates::toStorage(closing)});
    // One entry on the last day of the month, one the day after.
    const QDate last(closing.year(), closing.month(), closing.daysInMonth());
    h.exec(S("insert into 现金日记帐 (日期, 摘要) values (?, '租赁收入')"), {Dates::toStorage(last)});
    h.exec(S("insert into 现金日记帐 (日期, 摘要) values (?, '租赁收入')"), {Dates::toStorage(last.addDays(1))});
    TForm_main* w = h.start();
    QCOMPARE(Session::closingDate(), closing);

    QStringList lines;
    int rows = -1;
    h.onWindow = [&](QDialog*) {
        lines = h.dm->q_xjrjz.sql();
        rows = h.dm->q_xjrjz.recordCount();
    };
    w->N24Click();
    QCOMPARE(lines.value(1), condition);
    QCOMPARE(rows, 1);
}

void TestCommands::journalFollowsNewClosingDate()
{
    Harness h;
    TForm_main* w = h.start();
    QStringList lines;
    h.onWindow = [&](QDialog*) { lines = h.dm->q_xjrjz.sql(); };
    w->N24Click();
    QCOMPARE(lines.value(1), S("where (日期 between cdate('2004-3-1') and cdate('2004-3-31'))"));
    // What the closing-date window does when a new date is saved.
    Session::closingDate() = QDate(2004, 2, 5);
    w->N24Click();
    QCOMPARE(lines.value(1), S("where (日期 between cdate('2004-2-1') and cdate('2004-2-29'))"));
}

void TestCommands::passwordQueryQuotesTheName()
{
    Harness h;
    h.addOperator(S("O'Brien"), S(""), Rights{});
    h.loginName = S("O'Brien");
    TForm_main* w = h.start();
    QCOMPARE(Session::currentOperator().name, S("O'Brien"));
    QStringList lines;
    QString name;
    h.onWindow = [&](QDialog*) {
        lines = h.dm->q_qxb.sql();
        name = h.dm->q_qxb.asString(S("姓名"));
    };
    w->N3Click();
    QVERIFY2(h.msg.shown().isEmpty(), qPrintable(h.msg.lastText()));
    QCOMPARE(lines.value(1), S("where 姓名='O''Brien'"));
    QCOMPARE(name, S("O'Brien"));
}

void TestCommands::statisticsStartFromEmptyScratchTable()
{
    Harness h;
    h.exec(S("insert into 通用 (车牌号) values ('京A00001')"));
    TForm_main* w = h.start();
    for (const char* item : {"N33", "N52"}) {
        int rows = -1;
        h.onWindow = [&](QDialog*) {
            rows = h.dm->q_tongyong.recordCount();
            // What a criteria dialog leaves behind for the next command.
            h.dm->q_tongyong.append();
            h.dm->q_tongyong.setValue(S("车牌号"), S("京A00002"));
            h.dm->q_tongyong.post();
        };
        w->runCommand(S(item));
        QCOMPARE(rows, 0);
        QVERIFY(!h.dm->q_tongyong.isOpen());
    }
}

class FakeWindow : public QDialog {
public:
    FakeWindow(QWidget* owner, TDm1* dm) : QDialog(owner), dm(dm) { setObjectName(QStringLiteral("fake")); }
    TDm1* dm;
};

void TestCommands::registeredWindowReplacesFallback()
{
    Harness h;
    TForm_main* w = h.start();
    QWidget* owner = nullptr;
    TDm1* dm = nullptr;
    bool openAtCreation = true;
    WindowRegistry::add(S("TForm_qcda"), [&](QWidget* o, TDm1* d) {
        owner = o;
        dm = d;
        openAtCreation = d->q_qcda.isOpen();
        return new FakeWindow(o, d);
    });
    QString shown;
    h.onWindow = [&](QDialog* d) { shown = d->objectName(); };
    // The tool button shares the menu item's command.
    w->toolButton(S("SpeedButton6"))->click();
    QCOMPARE(shown, S("fake"));
    QCOMPARE(owner, w);
    QCOMPARE(dm, h.dm.get());
    QVERIFY(!openAtCreation);  // the window is created before its query opens
    // An unregistered window still shows its query in a read-only grid.
    h.exec(S("insert into 摘要 (代码, 摘要) values ('03', '保险费')"));
    int rows = -1;
    h.onWindow = [&](QDialog* d) {
        auto* grid = d->findChild<QTableView*>(S("DBGridEh1"));
        QVERIFY(grid);
        rows = grid->model()->rowCount();
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    };
    w->N19Click();
    QCOMPARE(rows, 3);
}

void TestCommands::databaseErrorIsReportedNotFatal()
{
    Harness h;
    TForm_main* w = h.start();
    h.exec(S("drop table 摘要"));
    bool shown = false;
    h.onWindow = [&](QDialog*) { shown = true; };
    w->N19Click();
    QVERIFY(!shown);
    QCOMPARE(h.msg.shown().size(), 1);
    QCOMPARE(h.msg.shown()[0].request.icon, Msg::Icon::Critical);
    QVERIFY(h.msg.lastText().contains(S("摘要")));
    QVERIFY(!h.dm->q_zy.isOpen());
    // The program goes on.
    h.msg.clear();
    w->N41Click();
    QVERIFY(h.msg.shown().isEmpty());
}

void TestCommands::companyInfoUpdatesScrollingTextOnly()
{
    Harness h;
    TForm_main* w = h.start();
    QCOMPARE(w->windowTitle(), S("汽车租赁管理系统"));
    QCOMPARE(w->scrollingText()->text(), S("欢迎使用汽车租赁管理系统！"));
    h.onWindow = [&](QDialog*) {
        RecordSet& q = h.dm->q_gsxx;
        q.edit();
        q.setValue(S("动态文字"), S("新的滚动文字"));
        q.setValue(S("系统标题"), S("新标题"));
        q.post();
    };
    w->N18Click();
    QCOMPARE(w->scrollingText()->text(), S("新的滚动文字"));
    QCOMPARE(w->windowTitle(), S("汽车租赁管理系统"));
    QVERIFY(!h.dm->q_gsxx.isOpen());
}

void TestCommands::layoutResetDeletesBothFiles()
{
    Harness h;
    TForm_main* w = h.start();
    for (const char* name : {"system.ini", "system1.ini"}) {
        QFile f(QDir(h.path()).filePath(S(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    w->N54Click();
    QVERIFY(!QFile::exists(QDir(h.path()).filePath(S("system.ini"))));
    QVERIFY(!QFile::exists(QDir(h.path()).filePath(S("system1.ini"))));
    QCOMPARE(h.msg.lastText(), S("界面初始化完毕！"));
    QCOMPARE(h.msg.shown().back().request.caption, S("提示"));
    // Again with nothing to delete.
    w->N54Click();
    QCOMPARE(h.msg.shown().size(), 2);
}

void TestCommands::helpAndExit()
{
    Harness h;
    TForm_main* w = h.start();
    w->N27Click();
    QCOMPARE(h.msg.shown().size(), 1);
    QCOMPARE(h.msg.shown()[0].request.caption, S("提示"));
    QCOMPARE(h.msg.shown()[0].request.icon, Msg::Icon::Warning);
    QVERIFY(h.modal.classes.size() == 1);  // only the login
    h.msg.clear();
    w->toolButton(S("SpeedButton7"))->click();
    QVERIFY(w->closed());
    QVERIFY(h.msg.shown().isEmpty());  // no question
    QVERIFY(!h.dm->ADO_qczl.isOpen());
}

void TestCommands::menusAndToolBar()
{
    Harness h;
    TForm_main w;
    auto* bar = w.findChild<QMenuBar*>(S("MainMenu1"));
    QVERIFY(bar);
    QStringList titles;
    QStringList layout;
    for (QAction* m : bar->actions()) {
        titles << m->menu()->title();
        QStringList entries;
        for (QAction* a : m->menu()->actions()) {
            if (a->isSeparator())
                entries << (a->isVisible() ? S("-") : S("~"));
            else
                entries << (a->isVisible() ? a->text() : S("(") + a->text() + S(")"));
        }
        layout << entries.join(S(","));
    }
    QCOMPARE(titles, (QStringList{S("系统维护[&S] "), S("日常业务[&R] "), S("其他业务[&Q] "), S("统计分析[&T] "), S("帮助[&H] ")}));
    QCOMPARE(layout.value(0), S("操作员及权限,修改操作员口令,更换操作员,-,公司信息,车辆档案,经办人信息,-,提醒功能初始化,提醒功能,~,"
                                "数据初始化,数据备份,数据恢复,-,结算时间,界面初始化,(系统初始化),-,退出系统"));
    QCOMPARE(layout.value(1), S("客户资料登记,-,客户预订汽车,汽车租赁登记表,客户付款情况,客户交车情况,汽车租赁结算,-,车辆租赁情况"));
    QCOMPARE(layout.value(2), S("汽车换油登记,汽车维修登记,事故登记表,-,当月现金日记帐,(全部现金日记帐),(摘要设置)"));
    QCOMPARE(layout.value(3), S("单车租赁收入统计,客户租赁统计,单车租赁收入统计(按客户),按经办人统计,收入统计汇总(按月份),-,"
                                "现金统计(按摘要),-,车辆收入费用明细表,车辆收入费用汇总表"));
    QCOMPARE(layout.value(4), S("帮助系统,-,关于..."));

    QStringList buttons;
    for (const QString& name : Commands::toolBar()) {
        QToolButton* b = w.toolButton(name);
        QVERIFY(b);
        QCOMPARE(b->size(), QSize(57, 39));
        buttons << b->text();
    }
    QCOMPARE(buttons.join(S(",")), S("修改密码,车辆档案,客户资料,客户预订,租赁登记,租赁结算,日记帐,提醒功能,退出"));
    // Left to right in that order.
    for (int i = 1; i < Commands::toolBar().size(); ++i)
        QVERIFY(w.toolButton(Commands::toolBar()[i - 1])->x() < w.toolButton(Commands::toolBar()[i])->x() || !w.isVisible());
}

// The disabled menu item is not the only way to a command: an operator without its right who
// reaches it by an enabled tool button or a direct call is refused through the message service,
// no window opens and nothing of the command runs. With the right the same paths open the window.
void TestCommands::rightsAreCheckedWhenACommandRuns()
{
    Harness h;
    h.addOperator(S("无权"), S(""), Rights{});
    h.loginName = S("无权");
    TForm_main* w = h.start();
    QCOMPARE(Session::currentOperator().name, S("无权"));
    QStringList opened;
    h.onWindow = [&](QDialog* d) { opened << d->objectName(); };

    QToolButton* vehicles = w->toolButton(S("SpeedButton6"));
    QVERIFY(vehicles->isEnabled());
    QVERIFY(!w->menuItem(S("N11"))->isEnabled());
    vehicles->click();
    QCOMPARE(h.msg.texts(), QStringList{S("当前操作员没有日常业务权，不能使用车辆档案！")});
    QCOMPARE(h.msg.shown()[0].request.caption, S("提示"));
    QCOMPARE(h.msg.shown()[0].request.icon, Msg::Icon::Warning);

    // One command of every right, of every kind the main window runs.
    h.msg.clear();
    w->N2Click();   // list
    w->N18Click();  // company information
    w->N7Click();   // restore: the connection would be closed around it
    w->N21Click();
    w->N33Click();  // statistics: the scratch table would be emptied
    w->N24Click();  // cash journal
    w->runCommand(S("N16"));
    QCOMPARE(h.msg.texts(), (QStringList{S("当前操作员没有系统维护权，不能使用操作员及权限！"),
                                         S("当前操作员没有系统维护权，不能使用公司信息！"),
                                         S("当前操作员没有系统维护权，不能使用数据恢复！"),
                                         S("当前操作员没有其他业务权，不能使用汽车换油登记！"),
                                         S("当前操作员没有统计分析权，不能使用单车租赁收入统计！"),
                                         S("当前操作员没有财务管理权，不能使用当月现金日记帐！"),
                                         S("当前操作员没有财务管理权，不能使用汽车租赁结算！")}));
    QVERIFY(opened.isEmpty());
    QCOMPARE(h.modal.classes.size(), 1);  // the login only
    QVERIFY(h.dm->ADO_qczl.isOpen());
    for (const char* q : {"q_qxb", "q_gsxx", "q_hyjlb", "q_tongyong", "q_xjrjz", "q_qczlb"})
        QVERIFY2(!h.dm->query(S(q))->isOpen(), q);

    // Commands no right gates still run for him.
    h.msg.clear();
    w->N41Click();
    QCOMPARE(opened, QStringList{S("TForm_gzsj")});
    QVERIFY(h.msg.shown().isEmpty());

    // With the right, the same tool button and a direct call open their windows.
    h.loginName = S("管理员");
    w->N4Click();
    opened.clear();
    vehicles->click();
    w->N2Click();
    QCOMPARE(opened, (QStringList{S("TForm_qcda"), S("TForm_qxb")}));
    QVERIFY(h.msg.shown().isEmpty());
}

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
