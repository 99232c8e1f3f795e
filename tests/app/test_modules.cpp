// Every menu command with the windows of the modules built into the program: each opens its
// window over its prepared query without a message, and the query is closed afterwards.
#include "harness.h"

#include "app/modules.h"

class TestModules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyCommandOpensItsWindow();
    void automaticReminderAtStart();
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

QTEST_MAIN(TestModules)
#include "test_modules.moc"
