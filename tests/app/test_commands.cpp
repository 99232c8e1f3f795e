// The command table as the main window runs it: SQL lines of every command, the month of the
// cash journal, the scratch table of the statistics, special commands, menus and tool bar.
#include "harness.h"

#include "app/commands.h"
#include "app/fallbackwindow.h"
#include "app/modules.h"
#include "core/dates.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QToolButton>

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}

// A counter's day: two customers, reservations done and open, contracts settled, returned or not,
// registers and journal entries in and out of the closing month.
void populate(Harness& h)
{
    h.exec(S("update 关帐日期 set 关帐日期='2004-03-20 00:00:00'"));
    h.exec(S("insert into 权限表 (姓名) values ('b操作员')"));
    h.exec(S("insert into 经办人信息 (经办人姓名) values ('老周'), ('老王')"));
    h.exec(S("insert into 汽车档案 (车牌号) values ('苏A00002'), ('苏a00001')"));
    h.exec(S("insert into 客户登记表 (客户号, 客户姓名) values ('K2', '张三'), ('k1', '李四')"));
    h.exec(S("insert into 客户预订汽车 (内部编号, 执行完毕) values ('YD2', '否'), ('YD1', '否'), ('YD3', '是')"));
    h.exec(S("insert into 汽车租赁登记表 (内部编号, 客户交车, 帐款结清) values ('ZL3', '已交', 0), ('ZL1', '没有', 0), "
             "('ZL2', '已交', 1), ('ZL4', '没有', 1)"));
    h.exec(S(
        "insert into 换油记录表 (车牌号, 换油时间) values ('苏A00002', '2004-03-02 00:00:00'), ('苏a00001', '2004-03-01 00:00:00')"));
    h.exec(S(
        "insert into 车辆维修记录表 (车牌号, 维修时间) values ('苏A00002', '2004-03-02 00:00:00'), ('苏a00001', '2004-03-01 00:00:00')"));
    h.exec(S(
        "insert into 事故登记表 (车牌号, 事故时间) values ('苏A00002', '2004-03-02 00:00:00'), ('苏a00001', '2004-03-01 00:00:00')"));
    h.exec(S("insert into 现金日记帐 (日期, 凭证号) values ('2004-03-02 00:00:00', 'P2'), ('2004-03-01 00:00:00', 'P1'), "
             "('2004-02-28 00:00:00', 'P0'), ('2004-04-01 00:00:00', 'P4')"));
    h.exec(S("insert into 违章登记 (车牌号, 违章时间) values ('苏A00002', '2004-03-02 10:00:00'), ('苏a00001', '2004-03-01 10:00:00')"));
}
}  // namespace

class TestCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listsHoldTheirRows_data();
    void listsHoldTheirRows();
    void linesKeepTheirTexts();
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

void TestCommands::listsHoldTheirRows_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QStringList>("rows");
    const auto row = [](const char* item, const char* column, QStringList rows) {
        QTest::newRow(item) << S(item) << S(column) << rows;
    };
    row("N2", "姓名", {S("b操作员"), S("管理员")});
    row("N3", "姓名", {S("管理员")});  // the operator's own row only
    row("N18", "系统标题", {S("汽车租赁管理系统")});
    row("N11", "车牌号", {S("苏a00001"), S("苏A00002")});  // letters compare without case
    row("N44", "车牌号", {S("苏a00001"), S("苏A00002")});
    row("N48", "经办人姓名", {S("老周"), S("老王")});  // by code point
    row("N41", "关帐日期", {S("2004-03-20")});
    row("N13", "客户号", {S("k1"), S("K2")});
    row("N57", "内部编号", {S("YD1"), S("YD2")});  // reservations not carried out
    row("N14", "内部编号", {S("ZL1"), S("ZL2"), S("ZL3"), S("ZL4")});
    row("N15", "内部编号", {S("ZL1"), S("ZL3")});  // not settled
    row("N16", "内部编号", {S("ZL1"), S("ZL3")});
    row("N37", "内部编号", {S("ZL1"), S("ZL4")});          // not returned
    row("N21", "车牌号", {S("苏a00001"), S("苏A00002")});  // by date
    row("N22", "车牌号", {S("苏a00001"), S("苏A00002")});  // by date
    row("N50", "车牌号", {S("苏a00001"), S("苏A00002")});  // by date
    row("N62", "车牌号", {S("苏a00001"), S("苏A00002")});  // by date
    row("N24", "凭证号", {S("P1"), S("P2")});              // the closing month only
    row("N19", "摘要", {S("租赁收入"), S("费用支出")});
}

// Each list command, run through the main window with every module registered, opens a window of
// the class it names over the rows its list should hold, in their order; the query closes after.
void TestCommands::listsHoldTheirRows()
{
    QFETCH(QString, item);
    QFETCH(QString, column);
    QFETCH(QStringList, rows);
    Harness h;
    populate(h);
    TForm_main* w = h.start();
    registerModules(w);
    const Command* c = Commands::find(item);
    QVERIFY(c);
    RecordSet* q = h.dm->query(c->query);
    QStringList seen;
    QString shown;
    h.onWindow = [&](QDialog* d) {
        shown = QString::fromLatin1(d->metaObject()->className());
        for (q->first(); !q->eof(); q->next())
            seen << q->asString(column);
    };
    w->runCommand(item);
    QVERIFY2(h.msg.shown().isEmpty(), qPrintable(h.msg.texts().join(QLatin1Char('|'))));
    QCOMPARE(shown, Commands::windowClass(*c));
    QCOMPARE(seen, rows);
    QVERIFY(!q->isOpen());
}

// The lines are written from each list's table, conditions and order in the layouts the windows
// have always used: one line, or the select, where and order lines apart.
void TestCommands::linesKeepTheirTexts()
{
    Harness h;
    TForm_main* w = h.start();
    QVERIFY(w->loggedIn());
    const Operator& op = Session::currentOperator();
    const QDate closing(2004, 3, 20);
    const auto lines = [&](const char* item) { return Commands::commandSql(*Commands::find(S(item)), op, closing); };
    QCOMPARE(lines("N2"), QStringList{S("select * from 权限表 order by 姓名")});
    QCOMPARE(lines("N4"), Commands::operatorListSql());
    QCOMPARE(lines("N18"), QStringList{S("select * from 公司信息")});
    QCOMPARE(lines("N11"), (QStringList{S("select * from 汽车档案 "), S("order by 车牌号")}));
    QCOMPARE(lines("N16"), (QStringList{S("select * from 汽车租赁登记表 "), S("where 帐款结清=false"), S("order by 内部编号")}));
    QCOMPARE(lines("N3"), (QStringList{S("select * from 权限表 "), S("where 姓名='管理员'"), S("order by 姓名")}));
    QCOMPARE(lines("N33"), (QStringList{S("select * from "), S("通用")}));
    // The lines are those of the structure the footers and sorting read.
    for (const Command& c : Commands::table())
        QCOMPARE(Commands::commandSql(c, op, closing), Commands::commandQuery(c, op, closing).lines);
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
    w->openCashJournal();
    QCOMPARE(lines.value(1), condition);
    QCOMPARE(rows, 1);
}

void TestCommands::journalFollowsNewClosingDate()
{
    Harness h;
    TForm_main* w = h.start();
    QStringList lines;
    h.onWindow = [&](QDialog*) { lines = h.dm->q_xjrjz.sql(); };
    w->openCashJournal();
    QCOMPARE(lines.value(1), S("where (日期 between cdate('2004-3-1') and cdate('2004-3-31'))"));
    // What the closing-date window does when a new date is saved.
    Session::closingDate() = QDate(2004, 2, 5);
    w->openCashJournal();
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
    w->openPasswordChange();
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
    w->openSummaryCodes();
    QCOMPARE(rows, 3);
}

void TestCommands::databaseErrorIsReportedNotFatal()
{
    Harness h;
    TForm_main* w = h.start();
    h.exec(S("drop table 摘要"));
    bool shown = false;
    h.onWindow = [&](QDialog*) { shown = true; };
    w->openSummaryCodes();
    QVERIFY(!shown);
    QCOMPARE(h.msg.shown().size(), 1);
    QCOMPARE(h.msg.shown()[0].request.icon, Msg::Icon::Critical);
    QVERIFY(h.msg.lastText().contains(S("摘要")));
    QVERIFY(!h.dm->q_zy.isOpen());
    // The program goes on.
    h.msg.clear();
    w->openClosingDate();
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
    w->openCompanyInfo();
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
    w->clearLayouts();
    QVERIFY(!QFile::exists(QDir(h.path()).filePath(S("system.ini"))));
    QVERIFY(!QFile::exists(QDir(h.path()).filePath(S("system1.ini"))));
    QCOMPARE(h.msg.lastText(), S("界面初始化完毕！"));
    QCOMPARE(h.msg.shown().back().request.caption, S("提示"));
    // Again with nothing to delete.
    w->clearLayouts();
    QCOMPARE(h.msg.shown().size(), 2);
}

void TestCommands::helpAndExit()
{
    Harness h;
    TForm_main* w = h.start();
    w->showHelp();
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
    QCOMPARE(layout.value(0), S("操作员及权限,修改操作员口令,更换操作员,-,公司信息,车辆档案,经办人信息,随车物品设置,-,提醒功能初始化,提醒功能,业务规则设置,~,"
                                "数据初始化,数据备份,数据恢复,操作日志,从表格导入,-,结算时间,界面初始化,(系统初始化),-,退出系统"));
    QCOMPARE(layout.value(1),
             S("客户资料登记,-,客户预订汽车,汽车租赁登记表,客户付款情况,客户交车情况,汽车租赁结算,-,车辆租赁情况,车辆排期"));
    QCOMPARE(layout.value(2), S("汽车换油登记,汽车维修登记,事故登记表,违章登记,-,当月现金日记帐,(全部现金日记帐),(摘要设置)"));
    QCOMPARE(layout.value(3), S("单车租赁收入统计,客户租赁统计,单车租赁收入统计(按客户),按经办人统计,收入统计汇总(按月份),-,"
                                "现金统计(按摘要),-,车辆收入费用明细表,车辆收入费用汇总表"));
    QCOMPARE(layout.value(4), S("帮助系统,用户手册,单据模板说明,-,关于..."));

    QStringList buttons;
    for (const QString& name : Commands::toolBar()) {
        QToolButton* b = w.toolButton(name);
        QVERIFY(b);
        QCOMPARE(b->size(), QSize(57, 39));
        buttons << b->text();
    }
    QCOMPARE(buttons.join(S(",")), S("修改密码,车辆档案,客户资料,客户预订,租赁登记,车辆排期,租赁结算,日记帐,提醒功能,退出"));
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
    w->openOperators();    // list
    w->openCompanyInfo();  // company information
    w->openRestore();      // restore: the connection would be closed around it
    w->openOilChanges();
    w->openVehicleIncome();  // statistics: the scratch table would be emptied
    w->openCashJournal();    // cash journal
    w->runCommand(S("N16"));
    w->runCommand(S("N62"));
    QCOMPARE(h.msg.texts(),
             (QStringList{S("当前操作员没有系统维护权，不能使用操作员及权限！"), S("当前操作员没有系统维护权，不能使用公司信息！"),
                          S("当前操作员没有系统维护权，不能使用数据恢复！"), S("当前操作员没有其他业务权，不能使用汽车换油登记！"),
                          S("当前操作员没有统计分析权，不能使用单车租赁收入统计！"),
                          S("当前操作员没有财务管理权，不能使用当月现金日记帐！"),
                          S("当前操作员没有财务管理权，不能使用汽车租赁结算！"),
                          S("当前操作员没有其他业务权，不能使用违章登记！")}));
    QVERIFY(opened.isEmpty());
    QCOMPARE(h.modal.classes.size(), 1);  // the login only
    QVERIFY(h.dm->ADO_qczl.isOpen());
    for (const char* q : {"q_qxb", "q_gsxx", "q_hyjlb", "q_tongyong", "q_xjrjz", "q_qczlb", "q_wzdj"})
        QVERIFY2(!h.dm->query(S(q))->isOpen(), q);

    // Commands no right gates still run for him.
    h.msg.clear();
    w->openClosingDate();
    QCOMPARE(opened, QStringList{S("TForm_gzsj")});
    QVERIFY(h.msg.shown().isEmpty());

    // With the right, the same tool button and a direct call open their windows.
    h.loginName = S("管理员");
    w->openOperatorSwitch();
    opened.clear();
    vehicles->click();
    w->openOperators();
    QCOMPARE(opened, (QStringList{S("TForm_qcda"), S("TForm_qxb")}));
    QVERIFY(h.msg.shown().isEmpty());
}

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
