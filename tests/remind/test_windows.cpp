// The reminder list as the operator meets it: 提醒 in the window, and the automatic reminder after
// login through the real start-up with a frozen clock, shown only when something is due.
#include "../app/harness.h"
#include "core/clock.h"
#include "remind/remind.h"
#include "remind/txgn.h"
#include "ui/records/recordgrid.h"

#include <QCheckBox>
#include <QTest>

namespace {
QString S(const char* s) { return QString::fromUtf8(s); }
}

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
};

QTEST_MAIN(TestRemindWindows)
#include "test_windows.moc"
