// The reminder list as the operator meets it: 提醒 in the window, and the automatic reminder after
// login through the real start-up with a frozen clock, shown only when something is due.
#include "../app/harness.h"
#include "core/clock.h"
#include "remind/remind.h"
#include "remind/txcsb.h"
#include "remind/txgn.h"
#include "ui/common/calculator.h"
#include "ui/records/recordgrid.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTest>

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}

// Replaces a field's text as the clerk does, key by key.
void retype(QLineEdit* e, const QString& text)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(e, &press);
    }
}
}  // namespace

class TestRemindWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::setFixed(QDateTime(QDate(2004, 3, 15), QTime(9, 0))); }

    void automaticReminder_data()
    {
        QTest::addColumn<bool>("due");
        QTest::newRow("something due") << true;
        QTest::newRow("nothing due") << false;
    }

    void automaticReminder()
    {
        QFETCH(bool, due);
        Harness h(QDate(2004, 3, 15));
        registerRemindWindows();
        h.exec(S("update 公司信息 set 自动提醒=1"));
        // Road fee due on the 20th; the lead of the shipped first row decides.
        h.exec(S("update 提醒功能初始表 set 期限=? where 序号=1"), {due ? 10 : 1});
        h.exec(S("insert into 汽车档案 (车牌号,养路费截止时间) values ('苏A10001','2004-03-20 00:00:00')"));
        int listed = -1;
        h.onWindow = [&](QDialog* d) {
            QCOMPARE(d->property("windowClass").toString(), S("TForm_txgn"));
            listed = qobject_cast<ListWindow*>(d)->model()->rowCount();
        };
        h.start();
        QCOMPARE(h.modal.classes.contains(S("TForm_txgn")), due);
        QCOMPARE(listed, due ? 1 : -1);
        QVERIFY(!h.dm->q_tongyong.isOpen());
    }

    void listWindow()
    {
        Harness h(QDate(2004, 3, 15));
        registerRemindWindows();
        h.exec(S("insert into 汽车档案 (车牌号,养路费截止时间) values ('苏A10001','2004-03-01 00:00:00')"));
        h.start();
        RecordSet& q = h.dm->q_tongyong;
        q.setSql({S("select * from "), S("通用")});
        q.open();
        std::unique_ptr<QDialog> d(WindowRegistry::find(S("TForm_txgn"))(nullptr, h.dm.get()));
        auto* w = qobject_cast<TForm_txgn*>(d.get());
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), S("提醒功能清单"));
        QVERIFY(!w->autoWidthBox && !w->showColumnButton && !w->hideColumnButton);
        QCOMPARE(w->editButton->text(), S("提醒"));
        w->editButton->click();
        QCOMPARE(w->model()->rowCount(), 1);
        QCOMPARE(q.asString(S("支票号")), Schema::defaultReminderItems().first());
        // No title sorting: the scan's lines stay.
        const QStringList lines = q.sql();
        w->onTitleClick(0, Qt::NoModifier);
        QCOMPARE(q.sql(), lines);
        // A double click scans again.
        h.exec(S("insert into 汽车档案 (车牌号,养路费截止时间) values ('苏A10002','2004-03-02 00:00:00')"));
        emit w->grid->doubleClicked(w->model()->index(0, 0));
        QCOMPARE(w->model()->rowCount(), 2);
    }

    void parameters()
    {
        Harness h(QDate(2004, 3, 15));
        registerRemindWindows();
        h.start();
        Session::currentOperator().name = S("李操作");
        RecordSet& q = h.dm->q_txcsb;
        q.setSql({S("select * from 提醒功能初始表")});
        q.open();
        std::unique_ptr<QDialog> d(WindowRegistry::find(S("TForm_txcsb"))(nullptr, h.dm.get()));
        auto* w = qobject_cast<TForm_txcsb*>(d.get());
        QVERIFY(w);
        QVERIFY(!w->deleteButton && !w->queryButton && !w->printButton);  // rows are never deleted
        QCOMPARE(w->model()->footerText(0), S("记录数"));
        QCOMPARE(w->model()->footerText(1), S("6"));
        q.moveTo(4);
        QStringList messages;
        h.onWindow = [&](QDialog* dialog) {
            auto* e = qobject_cast<TForm_txcsb_edit*>(dialog);
            QVERIFY(e);
            QVERIFY(!e->addButton || !e->addButton->isVisible());  // rows are never added
            QVERIFY(qobject_cast<QLineEdit*>(e->fieldFor(S("项目")))->isReadOnly());
            auto* lead = qobject_cast<QLineEdit*>(e->fieldFor(S("期限")));
            // Past the maximum every digit stays as typed; the save brings it to the maximum.
            for (const char* text : {"0", "", "99999"}) {
                h.msg.clear();
                retype(lead, S(text));
                QCOMPARE(lead->text(), S(text));
                e->saveButton->click();
                messages << h.msg.lastText();
            }
            QCOMPARE(lead->text(), S("5000"));
            e->closeButton->click();
        };
        w->editButton->click();
        QCOMPARE(messages,
                 QStringList({S("提前提醒单位必须大于零，请重新输入！"), S("提前提醒单位必须大于零，请重新输入！"), S("存盘完毕！")}));
        h.dm->q_txcsb.close();
        QSqlQuery check = h.dm->ADO_qczl.run(S("select 期限,操作员,项目 from 提醒功能初始表 where 序号=5"));
        QVERIFY(check.next());
        QCOMPARE(check.value(0).toInt(), 5000);
        QCOMPARE(check.value(1).toString(), S("李操作"));
        QCOMPARE(check.value(2).toString(), Schema::defaultReminderItems()[4]);
        QCOMPARE(leadRefusal(QVariant(S("3"))), std::nullopt);
    }
};

QTEST_MAIN(TestRemindWindows)
#include "test_windows.moc"
