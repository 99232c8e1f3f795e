// Company information and closing date windows.
#include "admin/gsxx_edit.h"
#include "admin/gzsj.h"
#include "core/dates.h"
#include "core/session.h"
#include "fixture.h"
#include "ui/common/messages.h"
#include "tests/common/accessible.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>

class TestSettingsWindows : public QObject {
    Q_OBJECT

    static void enter(QWidget* w)
    {
        QWidget* target = w;
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
            target = spin->findChild<QLineEdit*>();
        QTest::keyClick(target, Qt::Key_Return);
    }
    static void openGsxx(TDm1& dm)
    {
        dm.q_gsxx.setSql({QStringLiteral("select * from 公司信息")});
        dm.q_gsxx.open();
    }
    static void openGzsj(TDm1& dm)
    {
        dm.q_gzsj.setSql({QStringLiteral("select * from 关帐日期")});
        dm.q_gzsj.open();
    }

private Q_SLOTS:
    void initTestCase() { SERVERDB_SKIP_WITHOUT_SERVER(); }

    void companyTitleOfBlanksIsRefusedOtherFieldsMayBeEmpty()
    {
        Fixture f;
        TForm_gsxx_edit w(nullptr, f.dm.get());  // created before the command opens the query
        openGsxx(*f.dm);
        QCOMPARE(w.DBEdit1->text(), QStringLiteral("汽车租赁公司"));
        QCOMPARE(w.DBEdit7->text(), QStringLiteral("欢迎使用汽车租赁管理系统！"));
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.DBEdit1);
        // A screen reader names every field and the 自动提醒 box by the caption beside it.
        QCOMPARE(unnamedWidgets(&w), QStringList());

        Msg::Recorder msg;
        w.DBEdit6->setText(QStringLiteral("   "));
        w.DBEdit7->setText(QStringLiteral("新的动态文字"));
        w.DBEdit1->setFocus();
        w.saveButton->click();
        QCOMPARE(msg.texts(), QStringList{QStringLiteral("系统标题不能为空,请重新输入!")});
        QCOMPARE(msg.shown()[0].request.caption, QStringLiteral("提示"));
        QCOMPARE(msg.shown()[0].request.icon, Msg::Icon::Warning);
        QCOMPARE(QApplication::focusWidget(), w.DBEdit6);
        // Nothing pending: the scrolling text the main window reads afterwards is still the stored one.
        QCOMPARE(f.dm->q_gsxx.state(), RecordSet::Browse);
        QCOMPARE(f.dm->q_gsxx.asString(QStringLiteral("动态文字")), QStringLiteral("欢迎使用汽车租赁管理系统！"));
        QCOMPARE(f.exec(QStringLiteral("select 动态文字 from 公司信息")).toString(), QStringLiteral("欢迎使用汽车租赁管理系统！"));

        msg.clear();
        for (QLineEdit* e : {w.DBEdit1, w.DBEdit2, w.DBEdit3, w.DBEdit4, w.DBEdit5})
            e->clear();
        w.DBEdit6->setText(QStringLiteral("  新标题 "));
        w.DBCheckBox1->setChecked(true);
        w.saveButton->click();
        QCOMPARE(msg.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QVERIFY(w.isVisible());  // the window stays open
        QCOMPARE(f.dm->q_gsxx.asString(QStringLiteral("动态文字")), QStringLiteral("新的动态文字"));
        QCOMPARE(f.exec(QStringLiteral("select 公司名称 from 公司信息")).toString(), QString());
        QCOMPARE(f.exec(QStringLiteral("select 系统标题 from 公司信息")).toString(), QStringLiteral("  新标题 "));
        QCOMPARE(f.exec(QStringLiteral("select 自动提醒 from 公司信息")).toInt(), 1);
        QCOMPARE(f.count(QStringLiteral("公司信息")), 1);

        w.returnButton->click();
        QVERIFY(!w.isVisible());
    }

    void companyEnterWalksTheFieldsThenSaves()
    {
        Fixture f;
        openGsxx(*f.dm);
        TForm_gsxx_edit w(nullptr, f.dm.get());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        Msg::Recorder msg;
        const QList<QLineEdit*> chain{w.DBEdit1, w.DBEdit2, w.DBEdit3, w.DBEdit4, w.DBEdit5, w.DBEdit6, w.DBEdit7};
        for (int i = 0; i + 1 < chain.size(); ++i) {
            enter(chain[i]);
            QCOMPARE(QApplication::focusWidget(), chain[i + 1]);
        }
        QVERIFY(msg.shown().isEmpty());
        enter(w.DBEdit7);
        QCOMPARE(msg.texts(), QStringList{QStringLiteral("存盘完毕！")});
        w.DBCheckBox1->setFocus();
        enter(w.DBCheckBox1);
        QCOMPARE(msg.texts().size(), 2);
        QVERIFY(w.isVisible());
    }

    void companyWriteRefusedByTheDatabaseIsDiscardedSilently()
    {
        Fixture f;
        f.refuse(QStringLiteral("公司信息"), QStringLiteral("UPDATE"), QStringLiteral("locked"));
        openGsxx(*f.dm);
        TForm_gsxx_edit w(nullptr, f.dm.get());
        Msg::Recorder msg;
        w.DBEdit1->setText(QStringLiteral("别的公司"));
        w.saveButton->click();
        QVERIFY(msg.shown().isEmpty());
        QCOMPARE(f.dm->q_gsxx.state(), RecordSet::Browse);
        QCOMPARE(w.DBEdit1->text(), QStringLiteral("汽车租赁公司"));  // the fields show the stored row again
        QCOMPARE(f.exec(QStringLiteral("select 公司名称 from 公司信息")).toString(), QStringLiteral("汽车租赁公司"));
    }

    void closingDateTakesEffectForTheNextJournalMonth()
    {
        Fixture f;
        Session::closingDate() = QDate(2004, 3, 15);
        TForm_gzsj w(nullptr, f.dm.get());
        openGzsj(*f.dm);
        QCOMPARE(w.DBDateEdit1->date(), QDate(2004, 3, 15));
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.DBDateEdit1);

        Msg::Recorder msg;
        w.DBDateEdit1->setDate(QDate(2005, 2, 10));
        enter(w.DBDateEdit1);  // Enter presses 保存
        QCOMPARE(msg.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(msg.shown()[0].request.icon, Msg::Icon::Warning);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(Session::closingDate(), QDate(2005, 2, 10));
        QCOMPARE(f.exec(QStringLiteral("select 关帐日期 from 关帐日期")).toString(), QStringLiteral("2005-02-10 00:00:00"));

        // The next 当月现金日记帐 lists February 2005 (not a leap year) and nothing else.
        const QString condition = Dates::monthCondition(Session::closingDate());
        QCOMPARE(condition, QStringLiteral("(日期 between cdate('2005-2-1') and cdate('2005-2-28'))"));
        for (const char* day :
             {"2005-01-31 00:00:00", "2005-02-01 00:00:00", "2005-02-28 00:00:00", "2005-03-01 00:00:00", "2004-03-10 00:00:00"})
            f.exec(QStringLiteral("insert into 现金日记帐 (日期) values ('%1')").arg(QString::fromLatin1(day)));
        RecordSet& j = f.dm->q_xjrjz;
        j.setSql({QStringLiteral("select * from 现金日记帐 "), QStringLiteral("where ") + condition, QStringLiteral("order by 日期")});
        j.open();
        QCOMPARE(j.recordCount(), 2);
        QCOMPARE(j.asDateTime(QStringLiteral("日期")).date(), QDate(2005, 2, 1));
    }

    void closingDateRefusedOrAbandonedChangesNothing()
    {
        Fixture f;
        Session::closingDate() = QDate(2004, 3, 15);
        openGzsj(*f.dm);
        {
            TForm_gzsj w(nullptr, f.dm.get());
            w.DBDateEdit1->setDate(QDate(2004, 7, 1));
            w.show();
            w.closeButton->click();
            QVERIFY(!w.isVisible());
        }
        f.refuse(QStringLiteral("关帐日期"), QStringLiteral("UPDATE"), QStringLiteral("locked"));
        TForm_gzsj w(nullptr, f.dm.get());
        w.show();
        Msg::Recorder msg;
        w.DBDateEdit1->setDate(QDate(2004, 7, 1));
        w.saveButton->click();
        QCOMPARE(msg.shown().size(), 1);
        QCOMPARE(msg.shown()[0].request.icon, Msg::Icon::Critical);
        QVERIFY(msg.lastText().contains(QStringLiteral("locked")));
        QVERIFY(w.isVisible());
        QCOMPARE(Session::closingDate(), QDate(2004, 3, 15));
        QCOMPARE(f.dm->q_gzsj.state(), RecordSet::Browse);
        QCOMPARE(f.exec(QStringLiteral("select 关帐日期 from 关帐日期")).toString(), QStringLiteral("2004-03-15 00:00:00"));
    }
};

QTEST_MAIN(TestSettingsWindows)
#include "test_settingswindows.moc"
