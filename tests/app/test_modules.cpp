// Every menu command with the windows of the modules built into the program: each opens its
// window over its prepared query without a message, and the query is closed afterwards.
#include "harness.h"

#include "app/modules.h"
#include "ui/records/listwindow.h"

class TestModules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyCommandOpensItsWindow();
    void automaticReminderAtStart();
    void fleetCommandsShowTheirColumnsAndSums();
};

void TestModules::everyCommandOpensItsWindow()
{
    Harness h;
    TForm_main* w = h.start();
    registerModules(w);
    for (const Command& c : Commands::table()) {
        if (c.kind == CommandKind::Exit || c.kind == CommandKind::Switch || c.kind == CommandKind::Help
            || c.kind == CommandKind::LayoutReset)
            continue;
        h.msg.clear();
        QString caption;
        bool open = false;
        RecordSet* q = c.query.isEmpty() ? nullptr : h.dm->query(c.query);
        h.onWindow = [&](QDialog* d) {
            caption = d->windowTitle();
            open = !q || q->isOpen();
        };
        w->runCommand(c);
        QVERIFY2(h.msg.shown().isEmpty(), qPrintable(c.menuItem + QLatin1Char(' ') + h.msg.texts().join(QLatin1Char('|'))));
        QVERIFY2(caption == c.windowCaption, qPrintable(c.menuItem + QLatin1Char(' ') + caption));
        QVERIFY2(open, qPrintable(c.menuItem));
        QVERIFY2(!q || !q->isOpen(), qPrintable(c.menuItem));
        QVERIFY(h.dm->ADO_qczl.isOpen());
    }
}

// With 自动提醒 on, the start-up runs the reminder list's scan and shows it only when something is due.
void TestModules::automaticReminderAtStart()
{
    Harness h;
    h.exec(QStringLiteral("update 公司信息 set 自动提醒=1"));
    h.beforeActivate = [](TForm_main* w) { registerModules(w); };
    TForm_main* w = h.start();
    QVERIFY(w->loggedIn());
    QVERIFY2(h.msg.shown().isEmpty(), qPrintable(h.msg.texts().join(QLatin1Char('|'))));
    QCOMPARE(h.modal.classes.value(0), QStringLiteral("TForm_Enter"));
    QVERIFY(h.modal.classes.size() <= 2);
    QVERIFY(!h.dm->q_tongyong.isOpen());
}

// The fleet windows as the main window opens them: their columns in order, the count and the sums.
void TestModules::fleetCommandsShowTheirColumnsAndSums()
{
    Harness h;
    h.exec(QStringLiteral("insert into 汽车档案 (车牌号, 车型) values ('苏A00001', 'A'), ('苏A00002', 'B')"));
    h.exec(QStringLiteral("insert into 换油记录表 (车牌号, 单价, 数量, 金额) values ('苏A00001', 7.35, 40, 294), ('苏A00002', 7.35, 1, 7.35)"));
    h.exec(QStringLiteral("insert into 车辆维修记录表 (车牌号, 材料费, 人工费, 其它费用, 总费用) values ('苏A00001', 100, 50.5, 0.0001, 150.5001)"));
    h.exec(QStringLiteral("insert into 事故登记表 (车牌号, 事故金额) values ('苏A00002', 1000)"));
    TForm_main* w = h.start();
    registerModules(w);
    struct Expect {
        const char* command;
        const char* firstColumn;
        int rows;
        const char* sum;  // a footer cell that must be there
    };
    for (const Expect& e : {Expect{"N11", "车牌号", 2, "2"}, Expect{"N21", "车牌号", 2, "301.35"},
                            Expect{"N22", "车牌号", 1, "150.5001"}, Expect{"N50", "车牌号", 1, "1000.00"}}) {
        GridSnapshot shot;
        h.onWindow = [&](QDialog* d) {
            if (auto* list = qobject_cast<ListWindow*>(d))
                shot = list->snapshot();
        };
        w->runCommand(QString::fromLatin1(e.command));
        QVERIFY2(!shot.columns.isEmpty(), e.command);
        QCOMPARE(shot.columns.first().title, QString::fromUtf8(e.firstColumn));
        QCOMPARE(shot.rows.size(), e.rows);
        QCOMPARE(shot.footer.value(0), QStringLiteral("记录数"));
        QVERIFY2(shot.footer.contains(QString::fromUtf8(e.sum)), qPrintable(shot.footer.join(QLatin1Char('|'))));
    }
}

QTEST_MAIN(TestModules)
#include "test_modules.moc"
