// The cash journal and summary-code windows on a real database: the journal list, the entry
// dialog's balances, checks and focus routing by summary, 整理, the journal query, and the summary
// codes with their protections.
#include "core/clock.h"
#include "tests/common/typing.h"
#include "core/dates.h"
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "tests/pg/serverdb.h"
#include "cash/cash.h"
#include "cash/journal.h"
#include "cash/journalwindows.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/common/windowregistry.h"
#include "ui/records/querydialog.h"
#include "ui/records/recordgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

Money yuan(qint64 y)
{
    return Money::fromYuan(y);
}


QStringList comboItems(QWidget* w)
{
    QStringList out;
    auto* c = qobject_cast<QComboBox*>(w);
    for (int i = 0; c && i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

}  // namespace

class TestJournalWindows : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;
    QString oldCwd;
    const QDate closing{2004, 2, 10};

    void exec(const QString& sql, const QVariantList& args = {}) { dm.ADO_qczl.execute(sql, args); }
    QVector<Money> storedBalances()
    {
        QVector<Money> out;
        QSqlQuery q = dm.ADO_qczl.run(QStringLiteral("select 余额 from 现金日记帐 order by 日期, __rk"));
        while (q.next())
            out << Money::fromVariant(q.value(0));
        return out;
    }
    void openMonth()
    {
        dm.q_xjrjz.close();
        dm.q_xjrjz.setQuery(Journal::monthQuery(closing));
        dm.q_xjrjz.open();
    }
    void addEntry(const QDate& day, const QString& summary, Money debit, Money credit, Money balance)
    {
        exec(QStringLiteral("insert into 现金日记帐 (日期, 摘要, 借方, 贷方, 余额) values (?, ?, ?, ?, ?)"),
             {Dates::toStorage(day), summary, debit.toDouble(), credit.toDouble(), balance.toDouble()});
    }

private Q_SLOTS:
    void initTestCase()
    {
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        Clock::setFixed(QDateTime(QDate(2004, 2, 10), QTime(9, 30)));
        Session::currentOperator().name = QStringLiteral("张三");
        Session::closingDate() = closing;
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString location = ServerDb::location(dir);
        QString err;
        QVERIFY2(createDatabase(location, closing, &err), qPrintable(err));
        QVERIFY2(dm.connect(location, &err), qPrintable(err));
        WindowRegistry::clear();
        registerCashWindows();
    }
    void init() { exec(QStringLiteral("delete from 现金日记帐")); }
    void cleanupTestCase()
    {
        dm.disconnect();
        QDir::setCurrent(oldCwd);
        Clock::setSource({});
    }

    // The journal as the clerk sees it: the closing month's entries in date order, the footer summing
    // what came in and went out but never the balances, titles that do not sort, and 整理.
    void journalList()
    {
        addEntry(QDate(2004, 2, 20), QStringLiteral("费用支出"), {}, yuan(3), yuan(12));
        addEntry(QDate(2004, 2, 5), QStringLiteral("租赁收入"), yuan(10), {}, yuan(10));
        addEntry(QDate(2004, 2, 9), QStringLiteral("租赁收入"), yuan(5), {}, yuan(15));
        addEntry(QDate(2004, 3, 1), QStringLiteral("租赁收入"), yuan(100), {}, yuan(112));
        openMonth();
        std::unique_ptr<QDialog> d(WindowRegistry::find(TForm_xjrjz::staticMetaObject)(nullptr, &dm));
        auto* w = qobject_cast<TForm_xjrjz*>(d.get());
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("现金日记账"));
        const auto listed = [&] {
            QStringList rows;
            for (int r = 0; r < w->model()->rowCount(); ++r)
                rows << w->model()->index(r, 0).data().toString() + QLatin1Char('/') + w->model()->index(r, 3).data().toString();
            return rows;
        };
        const QStringList inOrder = listed();
        QCOMPARE(inOrder.size(), 3);
        QVERIFY(inOrder[0].startsWith(QStringLiteral("2004-02-05")) || inOrder[0].contains(QStringLiteral("2-5")));
        QVERIFY(inOrder[2].startsWith(QStringLiteral("2004-02-20")) || inOrder[2].contains(QStringLiteral("2-20")));
        const QStringList footer = w->model()->footerTexts();
        QCOMPARE(footer.value(0), QStringLiteral("记录数"));
        QCOMPARE(footer.value(1), QStringLiteral("3"));
        QCOMPARE(footer.mid(3, 3), (QStringList{yuan(15).toDisplay(), yuan(3).toDisplay(), QString()}));
        QCOMPARE(w->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("借方(增加)"));
        QCOMPARE(w->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("贷方(减少)"));
        const QStringList lines = dm.q_xjrjz.sql();
        for (int s = 0; s < w->model()->columnCount(); ++s)
            w->onTitleClick(s, Qt::NoModifier);
        QCOMPARE(listed(), inOrder);
        QCOMPARE(dm.q_xjrjz.sql(), lines);
        QVERIFY(w->tidyButton);
        QCOMPARE(w->tidyButton->text(), QStringLiteral("整理"));
        QCOMPARE(w->queryButton->objectName(), QStringLiteral("SpeedButton5"));
    }

    void entriesCarryTheRememberedBalance()
    {
        openMonth();
        TForm_xjrjz list(nullptr, &dm);
        TForm_xjrjz_edit d(&list, &dm);
        d.setItemsFor(QStringLiteral("摘要"), {QStringLiteral("租赁收入"), QStringLiteral("费用支出")});
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QCOMPARE(d.windowTitle(), QStringLiteral("现金日记帐编辑 (xjrjz)"));
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("日期")));
        QCOMPARE(d.noteLabel->text(),
                 QStringLiteral("提示：摘要只能是租赁收入和费用支出，租赁收入对应借方(增加)，费用支出对应贷方(减少)。"));
        QCOMPARE(d.fieldFor(QStringLiteral("余额"))->toolTip(), QStringLiteral("只读字段，不能编辑！"));
        Msg::Recorder msgs;

        // A stale remembered balance from an earlier month: 增加 on an empty list starts from 0.
        TForm_xjrjz_edit::previousBalance() = yuan(99);
        d.addButton->click();
        QVERIFY(d.adding());
        QCOMPARE(TForm_xjrjz_edit::previousBalance(), Money());
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("日期")));
        type(d.fieldFor(QStringLiteral("日期")), QStringLiteral("20040229"));
        type(d.fieldFor(QStringLiteral("摘要")), QStringLiteral("租赁收入"));
        type(d.fieldFor(QStringLiteral("借方")), QStringLiteral("1000"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QVERIFY(!d.adding());
        QCOMPARE(storedBalances(), QVector<Money>{yuan(1000)});

        // An expense of 300.00 after 1,000.00.
        d.addButton->click();
        QCOMPARE(TForm_xjrjz_edit::previousBalance(), yuan(1000));
        type(d.fieldFor(QStringLiteral("日期")), QStringLiteral("20040229"));
        type(d.fieldFor(QStringLiteral("摘要")), QStringLiteral("费用支出"));
        type(d.fieldFor(QStringLiteral("贷方")), QStringLiteral("300.00"));
        d.saveButton->click();
        QCOMPARE(storedBalances(), (QVector<Money>{yuan(1000), yuan(700)}));
        QCOMPARE(d.fieldText(QStringLiteral("DBNumberEditEh3")), QStringLiteral("700.00"));
        QSqlQuery q = dm.ADO_qczl.run(QStringLiteral("select 操作员, 操作日期 from 现金日记帐 where 贷方 = 300"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("张三"));
        QCOMPARE(Dates::fromVariant(q.value(1)), QDateTime(QDate(2004, 2, 10), QTime(9, 30)));

        // The checks in their order; the empty date before the period.
        msgs.clear();
        d.addButton->click();
        type(d.fieldFor(QStringLiteral("摘要")), QStringLiteral("费用支出"));
        type(d.fieldFor(QStringLiteral("明细")), QStringLiteral("x"));
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("日期不能为空,请重新输入!"));
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("日期")));
        type(d.fieldFor(QStringLiteral("日期")), QStringLiteral("20040301"));
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("不能编辑结算时间以外的数据!"));
        // Refused, but nothing the clerk typed is lost; the dialog is still adding.
        QVERIFY(d.adding());
        QCOMPARE(d.textFor(QStringLiteral("摘要")), QStringLiteral("费用支出"));
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("日期")));
        type(d.fieldFor(QStringLiteral("日期")), QStringLiteral("20040201"));
        type(d.fieldFor(QStringLiteral("摘要")), QStringLiteral("办公费"));
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("借方和贷方不能同时为零,请重新输入!"));
        // 借方 takes no amount for this summary: the focus goes back to the summary.
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("摘要")));
        type(d.fieldFor(QStringLiteral("摘要")), QStringLiteral("租赁收入"));
        type(d.fieldFor(QStringLiteral("借方")), QStringLiteral("5"));
        type(d.fieldFor(QStringLiteral("摘要")), QStringLiteral("费用支出"));
        type(d.fieldFor(QStringLiteral("贷方")), QStringLiteral("5"));
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("借方和贷方不能同时有金额,请重新输入!"));
        QCOMPARE(msgs.shown().size(), 4);
        d.cancelButton->click();
        QVERIFY(!d.adding());
        QCOMPARE(storedBalances().size(), 2);
    }

    void focusFollowsTheSummary()
    {
        openMonth();
        TForm_xjrjz list(nullptr, &dm);
        TForm_xjrjz_edit d(&list, &dm);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QWidget* summary = d.fieldFor(QStringLiteral("摘要"));
        QWidget* debit = d.fieldFor(QStringLiteral("借方"));
        QWidget* credit = d.fieldFor(QStringLiteral("贷方"));
        QWidget* handler = d.fieldFor(QStringLiteral("经办人"));
        d.addButton->click();

        type(summary, QStringLiteral("费用支出"));
        debit->setFocus();
        QCOMPARE(d.focusWidget(), credit);
        // Enter from 经办人 goes to the amount the summary allows, and on to 备注.
        handler->setFocus();
        QTest::keyClick(handler, Qt::Key_Return);
        QCOMPARE(d.focusWidget(), credit);
        QTest::keyClick(credit, Qt::Key_Return);
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("备注")));

        type(summary, QStringLiteral("租赁收入"));
        credit->setFocus();
        QCOMPARE(d.focusWidget(), debit);
        handler->setFocus();
        QTest::keyClick(handler, Qt::Key_Tab);
        QCOMPARE(d.focusWidget(), debit);
        QTest::keyClick(debit, Qt::Key_Return);
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("备注")));

        // Any other summary: neither amount can be reached.
        type(summary, QStringLiteral("其他"));
        handler->setFocus();
        QTest::keyClick(handler, Qt::Key_Return);
        QCOMPARE(d.focusWidget(), summary);
        credit->setFocus();
        QCOMPARE(d.focusWidget(), summary);

        // Enter order of the other fields; Enter in 备注 saves.
        d.fieldFor(QStringLiteral("日期"))->setFocus();
        QTest::keyClick(d.fieldFor(QStringLiteral("日期")), Qt::Key_Return);
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("凭证号")));
        QTest::keyClick(d.fieldFor(QStringLiteral("凭证号")), Qt::Key_Return);
        QCOMPARE(d.focusWidget(), summary);
        Msg::Recorder msgs;
        d.fieldFor(QStringLiteral("备注"))->setFocus();
        QTest::keyClick(d.fieldFor(QStringLiteral("备注")), Qt::Key_Return);
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("日期不能为空,请重新输入!")});
        d.cancelButton->click();
    }

    void editFillsTheSummariesByCode()
    {
        exec(QStringLiteral("insert into 摘要 (代码, 摘要, 属性) values ('00', 'ATM取现', '增加')"));
        QFile::remove(dir.filePath(QStringLiteral("system1.ini")));  // no summary saved before
        openMonth();
        TForm_xjrjz list(nullptr, &dm);
        Modal::Recorder modal;
        QStringList items, queryItems;
        modal.handler = [&](QDialog* w) {
            if (auto* e = qobject_cast<TForm_xjrjz_edit*>(w))
                items = comboItems(e->fieldFor(QStringLiteral("摘要")));
            else if (auto* q = qobject_cast<QueryDialog*>(w))
                queryItems = comboItems(q->control(QStringLiteral("cb摘要")));
        };
        list.editButton->click();
        list.queryButton->click();
        const QStringList byCode{QStringLiteral("ATM取现"), QStringLiteral("租赁收入"), QStringLiteral("费用支出")};
        QCOMPARE(items, byCode);
        QCOMPARE(queryItems, byCode);
        QCOMPARE(modal.classes, (QStringList{QStringLiteral("TForm_xjrjz_edit"), QStringLiteral("TForm_xjrjz_cx")}));

        // A summary saved is offered first the next time the dialog opens (the query's list is not
        // the edit dialog's memory).
        Msg::Recorder msgs;
        modal.handler = [&](QDialog* w) {
            auto* e = qobject_cast<TForm_xjrjz_edit*>(w);
            if (!e)
                return;
            items = comboItems(e->fieldFor(QStringLiteral("摘要")));
            if (!items.contains(QString())) {
                e->addButton->click();
                type(e->fieldFor(QStringLiteral("日期")), QStringLiteral("20040229"));
                type(e->fieldFor(QStringLiteral("摘要")), QStringLiteral("费用支出"));
                type(e->fieldFor(QStringLiteral("贷方")), QStringLiteral("5"));
                e->saveButton->click();
            }
        };
        list.editButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        list.editButton->click();
        QCOMPARE(items, QStringList{QStringLiteral("费用支出")} + QStringList{QString()} + byCode);
        exec(QStringLiteral("delete from 摘要 where 代码 = '00'"));
    }

    void tidyBalancesTheClosingMonth()
    {
        addEntry(QDate(2004, 2, 20), QStringLiteral("费用支出"), {}, yuan(300), yuan(1));
        addEntry(QDate(2004, 2, 3), QStringLiteral("租赁收入"), yuan(1000), {}, yuan(2));
        addEntry(QDate(2004, 3, 1), QStringLiteral("租赁收入"), yuan(70), {}, yuan(5));
        // A query had listed every month.
        dm.q_xjrjz.close();
        dm.q_xjrjz.setSql({QStringLiteral("select * from 现金日记帐"), QStringLiteral("order by 日期")});
        dm.q_xjrjz.open();
        TForm_xjrjz list(nullptr, &dm);
        Msg::Recorder msgs;
        msgs.script(Msg::Button::No);
        list.tidyButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("确实需要整理当前结算时间的记录吗? ")});
        QCOMPARE(msgs.shown().first().request.caption, QStringLiteral("请选择"));
        QCOMPARE(dm.q_xjrjz.recordCount(), 3);
        QCOMPARE(storedBalances(), (QVector<Money>{yuan(2), yuan(1), yuan(5)}));

        // After a query over several months, 增加 remembers the last listed row's balance.
        {
            TForm_xjrjz_edit d(&list, &dm);
            d.addButton->click();
            QCOMPARE(TForm_xjrjz_edit::previousBalance(), yuan(5));
            d.cancelButton->click();
        }
        // A deleted row leaves the later balances as they were until 整理.
        dm.q_xjrjz.first();
        msgs.script(Msg::Button::Yes);
        list.deleteButton->click();
        QCOMPARE(storedBalances(), (QVector<Money>{yuan(1), yuan(5)}));
        addEntry(QDate(2004, 2, 3), QStringLiteral("租赁收入"), yuan(1000), {}, yuan(2));

        msgs.script(Msg::Button::Yes);
        list.tidyButton->click();
        QCOMPARE(storedBalances(), (QVector<Money>{yuan(1000), yuan(700), yuan(5)}));
        QCOMPARE(dm.q_xjrjz.sql(), Journal::monthQuery(closing).lines);
        QCOMPARE(dm.q_xjrjz.recordCount(), 2);
        dm.q_xjrjz.last();
        QCOMPARE(dm.q_xjrjz.asMoney(QStringLiteral("余额")), yuan(700));
        QCOMPARE(list.model()->footerText(3), yuan(1000).toString(2));
    }

    void journalQuery()
    {
        addEntry(QDate(2004, 1, 5), QStringLiteral("租赁收入"), yuan(10), {}, yuan(10));
        addEntry(QDate(2004, 2, 5), QStringLiteral("费用支出"), {}, yuan(3), yuan(7));
        exec(QStringLiteral("update 现金日记帐 set 凭证号 = 'PZ01' where 借方 = 10"));
        openMonth();
        TForm_xjrjz list(nullptr, &dm);
        Msg::Recorder msgs;
        Modal::Recorder modal;
        std::function<void(QueryDialog*)> step;
        modal.handler = [&](QDialog* w) {
            auto* q = qobject_cast<QueryDialog*>(w);
            QVERIFY(q);
            q->show();
            step(q);
        };
        // The summary alone: rows whose summary begins with it, of any month.
        step = [&](QueryDialog* q) {
            q->setText(QStringLiteral("cb摘要"), QStringLiteral("租赁"));
            q->seekButton->click();
            QVERIFY(!q->isVisible());
        };
        list.queryButton->click();
        QCOMPARE(dm.q_xjrjz.sql(), (QStringList{QStringLiteral("select * from 现金日记帐"),
                                                QStringLiteral(" where (摘要 like '租赁%')"), QStringLiteral("order by 日期")}));
        QCOMPARE(dm.q_xjrjz.recordCount(), 1);
        // After the voucher, the summary is looked for anywhere in it.
        step = [&](QueryDialog* q) {
            q->setText(QStringLiteral("Edit1"), QStringLiteral("pz"));
            q->setText(QStringLiteral("cb摘要"), QStringLiteral("收入"));
            q->seekButton->click();
        };
        list.queryButton->click();
        QCOMPARE(dm.q_xjrjz.sql().value(1), QStringLiteral(" where (凭证号 like '%pz%')and(摘要 like '%收入%')"));
        QCOMPARE(dm.q_xjrjz.recordCount(), 1);
        // Nothing found: asked to search again; Yes stays, No closes on the empty list.
        msgs.clear();
        msgs.script(Msg::Button::Yes);
        msgs.script(Msg::Button::No);
        step = [&](QueryDialog* q) {
            q->setText(QStringLiteral("cb摘要"), QStringLiteral("收入"));
            q->setText(QStringLiteral("Edit4"), QStringLiteral("没有"));
            q->seekButton->click();
            QVERIFY(q->isVisible());
            q->seekButton->click();
            QVERIFY(!q->isVisible());
        };
        list.queryButton->click();
        QCOMPARE(msgs.texts(), (QStringList{QStringLiteral("没有找到合适的记录,是否重新查找!!"),
                                            QStringLiteral("没有找到合适的记录,是否重新查找!!")}));
        QCOMPARE(dm.q_xjrjz.recordCount(), 0);
        // An empty query: its message, and the dialog stays.
        msgs.clear();
        step = [&](QueryDialog* q) {
            q->seekButton->click();
            QVERIFY(q->isVisible());
            q->closeButton->click();
        };
        list.queryButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("查询条件没有输入,请确认!")});
    }

    void summaryCodes()
    {
        dm.q_zy.close();
        dm.q_zy.setSql({QStringLiteral("select * from 摘要")});
        dm.q_zy.open();
        std::unique_ptr<QDialog> w(WindowRegistry::find(QStringLiteral("TForm_zy"))(nullptr, &dm));
        auto* list = qobject_cast<TForm_zy*>(w.get());
        QVERIFY(list);
        QCOMPARE(list->model()->shownColumn(0).field, QStringLiteral("代码"));
        QCOMPARE(list->model()->shownColumn(1).field, QStringLiteral("摘要"));
        QVERIFY(!list->printButton);
        Msg::Recorder msgs;

        // The summary the settlement posts cannot be deleted.
        dm.q_zy.first();
        QCOMPARE(dm.q_zy.asString(QStringLiteral("摘要")), QStringLiteral("租赁收入"));
        list->deleteButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("系统要使用该摘要，不能删除!")});
        QCOMPARE(msgs.shown().last().request.caption, QStringLiteral("提示"));
        QCOMPARE(dm.q_zy.recordCount(), 2);

        // The dialog: 属性 first; 增加 wants the shown row complete.
        TForm_zy_edit d(list, &dm);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QCOMPARE(d.windowTitle(), QStringLiteral("摘要编辑 (zy)"));
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("属性")));
        QCOMPARE(comboItems(d.fieldFor(QStringLiteral("属性"))), (QStringList{QStringLiteral("增加"), QStringLiteral("减少")}));
        msgs.clear();
        type(d.fieldFor(QStringLiteral("属性")), QStringLiteral(" "));
        d.addButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("属性不能为空,请重新输入!")});
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("属性")));
        QVERIFY(!d.adding());
        d.cancelButton->click();
        d.addButton->click();
        QVERIFY(d.adding());
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("代码")));
        type(d.fieldFor(QStringLiteral("代码")), QStringLiteral("03"));
        type(d.fieldFor(QStringLiteral("摘要")), QStringLiteral("atm fee"));
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("属性不能为空,请重新输入!"));
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("属性")));
        type(d.fieldFor(QStringLiteral("属性")), QStringLiteral("减少"));
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("存盘完毕！"));
        QSqlQuery q = dm.ADO_qczl.run(QStringLiteral("select 摘要, 属性, 操作员 from 摘要 where 代码 = '03'"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("ATM FEE"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("减少"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("张三"));
        d.closeButton->click();

        // Any other summary goes after the confirmation.
        for (dm.q_zy.first(); dm.q_zy.asString(QStringLiteral("摘要")) != QStringLiteral("费用支出"); dm.q_zy.next()) {
        }
        msgs.clear();
        msgs.script(Msg::Button::Yes);
        list->deleteButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("要删除当前记录吗? ")});
        QSqlQuery left = dm.ADO_qczl.run(QStringLiteral("select count(*) from 摘要 where 摘要 = '费用支出'"));
        QVERIFY(left.next());
        QCOMPARE(left.value(0).toInt(), 0);
        exec(QStringLiteral("insert into 摘要 (代码, 摘要, 属性) values ('02', '费用支出', '减少')"));
        exec(QStringLiteral("delete from 摘要 where 代码 = '03'"));
    }
};

QTEST_MAIN(TestJournalWindows)
#include "test_journalwindows.moc"
