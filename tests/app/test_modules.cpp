// Every menu command with the windows of the modules built into the program: each opens its
// window over its prepared query without a message, and the query is closed afterwards.
#include "harness.h"

#include "app/modules.h"
#include "core/clock.h"
#include "rental/backoffice.h"
#include "tests/common/typing.h"
#include "rental/bookings.h"
#include "rental/customers.h"
#include "ui/records/listwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QToolButton>
#include <QKeyEvent>
#include <QLineEdit>


class TestModules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SERVERDB_SKIP_WITHOUT_SERVER(); }
    void everyCommandOpensItsWindow();
    void automaticReminderAtStart();
    void fleetCommandsShowTheirColumnsAndSums();
    void rentalFlowFromTheMainWindow();
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

// A customer registered, a vehicle reserved for them and a contract opened from the reservation,
// each through its command: the vehicle archive then shows the vehicle rented to that customer.
// Then the return and the settlement with its posting: the vehicle is free again and the received
// money stands in the cash journal with its balance.
void TestModules::rentalFlowFromTheMainWindow()
{
    Clock::setFixed(QDateTime(QDate(2004, 5, 1), QTime(9, 0)));
    Harness h;
    h.exec(QStringLiteral("insert into 汽车档案 (车牌号, 车辆状态) values ('苏A00001', '空闲')"));
    h.exec(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('老周')"));
    TForm_main* w = h.start();
    registerModules(w);
    h.onWindow = [&](QDialog* d) {
        if (auto* list = qobject_cast<ListWindow*>(d)) {
            list->editButton->click();
            return;
        }
        if (auto* c = qobject_cast<TForm_hyzlb_edit*>(d)) {
            type(c->fieldFor(QStringLiteral("客户号")), QStringLiteral("k1"));
            type(c->fieldFor(QStringLiteral("客户姓名")), QStringLiteral("张三"));
            c->saveButton->click();
            c->closeButton->click();
        } else if (auto* r = qobject_cast<TForm_khydqc_edit*>(d)) {
            r->addButton->click();
            auto* customers = qobject_cast<QComboBox*>(r->fieldFor(QStringLiteral("客户号")));
            customers->setCurrentIndex(customers->findText(QStringLiteral("K1 张三")));
            r->customerLeft();
            type(r->fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00001"));
            type(r->fieldFor(QStringLiteral("租赁单价")), QStringLiteral("150"));
            type(r->fieldFor(QStringLiteral("租赁期限")), QStringLiteral("2"));
            type(r->fieldFor(QStringLiteral("租赁公司经办人")), QStringLiteral("老周"));
            type(r->fieldFor(QStringLiteral("发车日期")), QStringLiteral("20040502"));
            r->saveButton->click();
            r->closeButton->click();
        } else if (auto* k = qobject_cast<TForm_qczlb_edit*>(d)) {
            k->addButton->click();
            k->reservationButton->click();
            k->saveButton->click();
            k->closeButton->click();
        } else if (auto* chooser = qobject_cast<TForm_qczlb_khyd*>(d)) {
            type(chooser->searchEdit, QStringLiteral("张"));
            chooser->findButton->click();
            chooser->selectButton->click();
        }
    };
    for (const char* command : {"N13", "N57", "N14"})
        w->runCommand(QString::fromLatin1(command));
    QCOMPARE(h.msg.texts(), QStringList(3, QStringLiteral("存盘完毕！")));

    GridSnapshot shot;
    h.onWindow = [&](QDialog* d) {
        if (auto* list = qobject_cast<ListWindow*>(d))
            shot = list->snapshot();
    };
    w->runCommand(QStringLiteral("N44"));  // the rental state of the fleet
    RecordSet& q = h.dm->q_change;
    q.setSql({QStringLiteral("select 车辆状态, 客户姓名, 租赁时间, 开始生效 from 汽车档案")});
    q.open();
    QCOMPARE(q.asString(QStringLiteral("车辆状态")), QStringLiteral("出租"));
    QCOMPARE(q.asString(QStringLiteral("客户姓名")), QStringLiteral("张三"));
    QCOMPARE(q.asDateTime(QStringLiteral("租赁时间")), QDateTime(QDate(2004, 5, 2), QTime(0, 0)));
    QVERIFY(q.asBoolean(QStringLiteral("开始生效")));
    q.close();
    q.setSql({QStringLiteral("select 执行完毕 || 租赁内部编号 from 客户预订汽车")});
    q.open();
    QCOMPARE(q.value(q.fields().first().name).toString(), QStringLiteral("是ZL2004000001"));
    q.close();

    // Back on 4 May at 10:00 after 950 km; settled the same day with 400 received.
    Clock::setFixed(QDateTime(QDate(2004, 5, 4), QTime(10, 0)));
    h.msg.clear();
    h.onWindow = [&](QDialog* d) {
        if (auto* list = qobject_cast<ListWindow*>(d)) {
            list->editButton->click();
        } else if (auto* r = qobject_cast<TForm_qczljcb_edit*>(d)) {
            type(r->field(QStringLiteral("DBDateTimeEditEh2")), QStringLiteral("20040504"));
            type(r->field(QStringLiteral("DBDateTimeEditEh1")), QStringLiteral("100000"));
            type(r->fieldFor(QStringLiteral("收车里程")), QStringLiteral("950"));
            type(r->fieldFor(QStringLiteral("客户交车")), QStringLiteral("已交"));
            r->saveButton->click();
            r->closeButton->click();
        } else if (auto* s = qobject_cast<TForm_qczljsd_edit*>(d)) {
            QVERIFY(s->calculateIntoRow());  // charges first, then the money received
            type(s->fieldFor(QStringLiteral("实收金额")), QStringLiteral("300"));
            qobject_cast<QCheckBox*>(s->fieldFor(QStringLiteral("帐款结清")))->setChecked(true);
            s->settlerFromHandlerButton->click();
            h.msg.script(Msg::Button::Yes);
            s->saveButton->click();
            s->closeButton->click();
        }
    };
    w->runCommand(QStringLiteral("N37"));
    w->runCommand(QStringLiteral("N16"));
    QCOMPARE(h.msg.texts(), (QStringList{QStringLiteral("存盘完毕！"), QStringLiteral("将实收金额写入现金日记帐吗? "),
                                         QStringLiteral("存盘完毕！")}));
    q.setSql({QStringLiteral("select 车辆状态 || '/' || coalesce(客户姓名, '') from 汽车档案")});
    q.open();
    QCOMPARE(q.value(q.fields().first().name).toString(), QStringLiteral("空闲/"));
    q.close();
    QCOMPARE(ServerDb::rowsText(h.dm->ADO_qczl, QStringLiteral("select 收费金额, 实收金额, 帐款结清, 应退金额 from 汽车租赁登记表")),
             QStringLiteral("300/300/1/0"));  // 2 days at 150
    QCOMPARE(ServerDb::rowsText(h.dm->ADO_qczl, QStringLiteral("select 日期, 摘要, 借方, 余额, 经办人 from 现金日记帐")),
             QStringLiteral("2004-05-04 00:00:00/租赁收入/300/300/老周"));
    Clock::setSource({});
}

QTEST_MAIN(TestModules)
#include "test_modules.moc"
