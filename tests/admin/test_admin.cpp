// Operators and handlers end to end: opened through the registry as a command does, edited through
// their dialogs, deleted, printed and exported.
#include "admin/admin.h"
#include "tests/common/typing.h"
#include "admin/jbr.h"
#include "admin/qxb.h"
#include "core/password.h"
#include "core/clock.h"
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/common/windowregistry.h"
#include "ui/records/listwindow.h"
#include "ui/records/print/tableprinter.h"
#include "ui/records/recordgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {}  // namespace

class TestAdmin : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;

    // As the command does: create the window, then prepare and open its query.
    std::unique_ptr<QDialog> open(const QString& cls, RecordSet& q, const QStringList& sql)
    {
        std::unique_ptr<QDialog> w(WindowRegistry::find(cls)(nullptr, &dm));
        q.close();
        q.setSql(sql);
        q.open();
        return w;
    }

private Q_SLOTS:
    void initTestCase()
    {
        Clock::setFixed(QDateTime(QDate(2004, 5, 1), QTime(9, 30)));
        Session::currentOperator().name = QStringLiteral("管理员");
        InputMethods::setInstalledForTest(QStringList{QStringLiteral("fcitx"), QStringLiteral("ibus")});
        QVERIFY(createDatabase(dir.filePath(QStringLiteral("q.db")), QDate(2004, 5, 1)));
        QVERIFY(dm.connect(dir.filePath(QStringLiteral("q.db"))));
        WindowRegistry::clear();
        registerAdminWindows();
        // A window whose module has no window of its own yet: the generic list window serves it.
        addListWindowConfigs({{.className = "TForm_plain",
                               .caption = "车辆一览",
                               .query = "q_qcda",
                               .buttons = {{ListButton::Print}, {ListButton::Return}}}});
        registerListWindows();
    }

    void operatorsEndToEnd()
    {
        auto w = open(QStringLiteral("TForm_qxb"), dm.q_qxb, {QStringLiteral("select * from 权限表 order by 姓名")});
        auto* list = qobject_cast<TForm_qxb*>(w.get());
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("操作员及权限设置"));
        QCOMPARE(list->model()->columnCount(), 9);
        QCOMPARE(list->model()->shownColumn(4).field, QStringLiteral("系统维护权"));
        QCOMPARE(list->model()->footerTexts().mid(0, 2), (QStringList{QStringLiteral("记录数"), QStringLiteral("1")}));

        // the last operator cannot be deleted: nobody could log in afterwards
        Msg::Recorder msgs;
        list->deleteButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("不能删除最后一个操作员,否则将无法登录系统!")});
        QCOMPARE(dm.q_qxb.recordCount(), 1);

        // 编辑: a new operator with two rights, stamped, with an empty password
        Modal::Recorder modal;
        modal.handler = [&](QDialog* d) {
            auto* e = qobject_cast<TForm_qxb_edit*>(d);
            if (!e)
                return 0;
            auto* methods = qobject_cast<QComboBox*>(e->field(QStringLiteral("DBComboBox1")));
            if (methods->count() != 2)
                return 0;
            e->addButton->click();  // the current row has a name: no message
            sendText(e->field(QStringLiteral("DBEdit1")), QStringLiteral("王小二"));
            methods->setCurrentIndex(1);
            qobject_cast<QCheckBox*>(e->field(QStringLiteral("DBCheckBox2")))->setChecked(true);
            qobject_cast<QCheckBox*>(e->field(QStringLiteral("DBCheckBox5")))->setChecked(true);
            QTest::keyClick(e->field(QStringLiteral("DBCheckBox5")), Qt::Key_Return);  // the last field saves
            e->closeButton->click();
            return 1;
        };
        list->editButton->click();
        QCOMPARE(modal.captions, QStringList{QStringLiteral("操作员及权限编辑 (qxb)")});
        QCOMPARE(msgs.lastText(), QStringLiteral("存盘完毕！"));
        QCOMPARE(dm.q_qxb.recordCount(), 2);
        QSqlQuery q = dm.ADO_qczl.run(QStringLiteral("select 操作口令, 输入法, 日常业务权, 财务管理权, 系统维护权, 操作员, 操作日期 "
                                                     "from 权限表 where 姓名='王小二'"));
        QVERIFY(q.next());
        // a new operator logs in with the empty password, kept as its digest
        QVERIFY(Password::isHash(q.value(0).toString()));
        QVERIFY(Password::matches(q.value(0).toString(), QString()));
        QCOMPARE(q.value(1).toString(), QStringLiteral("ibus"));
        QCOMPARE(q.value(2).toInt(), 1);
        QCOMPARE(q.value(3).toInt(), 1);
        QCOMPARE(q.value(4).toInt(), 0);
        QCOMPARE(q.value(5).toString(), QStringLiteral("管理员"));
        QCOMPARE(q.value(6).toString(), QStringLiteral("2004-05-01 09:30:00"));
        QCOMPARE(list->model()->footerText(1), QStringLiteral("2"));

        // an empty name is refused by 存盘 and by 增加
        modal.handler = [&](QDialog* d) {
            auto* e = qobject_cast<TForm_qxb_edit*>(d);
            qobject_cast<QLineEdit*>(e->field(QStringLiteral("DBEdit1")))->selectAll();
            QTest::keyClick(e->field(QStringLiteral("DBEdit1")), Qt::Key_Backspace);
            e->saveButton->click();
            e->addButton->click();
            e->closeButton->click();
            return 1;
        };
        msgs.clear();
        list->editButton->click();
        QCOMPARE(msgs.texts(), (QStringList{QStringLiteral("姓名不能为空,请重新输入!"), QStringLiteral("姓名不能为空,请重新输入!")}));
        QCOMPARE(dm.q_qxb.recordCount(), 2);

        // with two operators one may go
        msgs.clear();
        msgs.script(Msg::Button::Yes);
        list->deleteButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("要删除当前记录吗? ")});
        QCOMPARE(dm.q_qxb.recordCount(), 1);

        // print: title and operator
        PrintPreview::Recorder printed;
        list->printButton->click();
        QCOMPARE(printed.tables().size(), 1);
        QCOMPARE(printed.tables()[0].printTitle, QStringLiteral("操作员及权限打印清单"));
        QCOMPARE(printed.tables()[0].columns.size(), 9);
        QCOMPARE(printed.tables()[0].rows.size(), 1);
        // title buttons on the first two columns mark without re-sorting
        list->onTitleClick(0, Qt::NoModifier);
        QCOMPARE(list->model()->sortMarks().size(), 1);
        list->onTitleClick(2, Qt::NoModifier);
        QCOMPARE(list->model()->sortMarks().size(), 1);
        QCOMPARE(dm.q_qxb.sql(), QStringList{QStringLiteral("select * from 权限表 order by 姓名")});
    }

    void handlersEndToEnd()
    {
        auto w = open(QStringLiteral("TForm_jbr"), dm.q_jbr, {QStringLiteral("select * from 经办人信息 order by 经办人姓名")});
        auto* list = qobject_cast<TForm_jbr*>(w.get());
        QVERIFY(list);
        QVERIFY(!(list->windowState() & Qt::WindowMaximized));
        QVERIFY(list->autoWidthBox && list->autoWidthBox->isChecked());
        Msg::Recorder msgs;
        Modal::Recorder modal;
        modal.handler = [&](QDialog* d) {
            auto* e = qobject_cast<TForm_jbr_edit*>(d);
            // 增加 on an empty table: no guard
            e->addButton->click();
            if (!e->adding())
                return 0;
            e->saveButton->click();  // empty name
            sendText(e->field(QStringLiteral("DBEdit1")), QStringLiteral("赵六"));
            QTest::keyClick(e->field(QStringLiteral("DBEdit1")), Qt::Key_Return);
            QTest::keyClicks(e->field(QStringLiteral("DBEdit3")), QStringLiteral("025-1234"));
            QTest::keyClick(e->field(QStringLiteral("DBEdit3")), Qt::Key_Return);
            // the same name twice is allowed
            e->addButton->click();
            sendText(e->field(QStringLiteral("DBEdit1")), QStringLiteral("赵六"));
            e->saveButton->click();
            e->closeButton->click();
            return 1;
        };
        list->editButton->click();
        QCOMPARE(msgs.texts(), (QStringList{QStringLiteral("姓名不能为空,请重新输入!"), QStringLiteral("存盘完毕！"),
                                            QStringLiteral("存盘完毕！")}));
        QCOMPARE(dm.q_jbr.recordCount(), 2);
        QCOMPARE(list->model()->footerTexts(), (QStringList{QStringLiteral("记录数"), QStringLiteral("2"), QString()}));
        QCOMPARE(list->model()->data(list->model()->index(0, 2)).toString(), QStringLiteral("025-1234"));

        // export through the shared dialog with the window's default name
        FileDialogs::Recorder files;
        files.scriptSave(dir.filePath(QStringLiteral("经办人.XLS")), 4);
        list->exportButton->click();
        QCOMPARE(files.saveRequests()[0].fileName, QStringLiteral("经办人信息"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("经办人.XLS"))));

        // the double-click opens the dialog too
        modal.handler = {};
        modal.captions.clear();
        Q_EMIT list->grid->doubleClicked(list->model()->index(0, 0));
        QCOMPARE(modal.captions, QStringList{QStringLiteral("经办人信息编辑 (jbr)")});
    }

    void otherCommandsOpenListWindows()
    {
        // Windows no module registers yet open through the same machinery.
        auto w = open(QStringLiteral("TForm_plain"), dm.q_qcda,
                      {QStringLiteral("select * from 汽车档案 "), QStringLiteral("order by 车牌号")});
        auto* list = qobject_cast<ListWindow*>(w.get());
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("车辆一览"));
        QCOMPARE(list->model()->shownColumn(0).field, QStringLiteral("车牌号"));
        QVERIFY(list->printButton && list->returnButton && !list->editButton);
    }
};

QTEST_MAIN(TestAdmin)
#include "test_admin.moc"
