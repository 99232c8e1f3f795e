// Fields bound by column onto a form built by hand: every field kind shows the row and stores what
// the clerk typed, lookup fields show one text and store another, edited(column) follows the typing
// so that a computed amount can follow it, and the drop-down entries come from their own statements.
#include "core/clock.h"
#include "tests/common/typing.h"
#include "core/money.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "data/lookups.h"
#include "data/textlimits.h"
#include "ui/records/binder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTest>
#include <memory>

namespace {

void retype(QLineEdit* e, const QString& text)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    e->home(false);
    sendText(e, text);
}
}  // namespace

class TestBinder : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;

    QString stored(const QString& column)
    {
        QSqlQuery q = dm.ADO_qczl.run(QStringLiteral("select ") + column + QStringLiteral(" from 汽车租赁登记表"));
        return q.next() ? q.value(0).toString() : QStringLiteral("<none>");
    }

    void openContracts()
    {
        dm.q_qczlb.close();
        dm.q_qczlb.setSql({QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
        dm.q_qczlb.open();
    }

private Q_SLOTS:
    void initTestCase()
    {
        Clock::setFixed(QDateTime(QDate(2004, 5, 1), QTime(9, 30)));
        QVERIFY(createDatabase(dir.filePath(QStringLiteral("q.db")), QDate(2004, 5, 1)));
        QVERIFY(dm.connect(dir.filePath(QStringLiteral("q.db"))));
        for (const char* c : {"('0012', '王小明')", "('0001', '李四')", "('0120', 'O''Brien')"})
            dm.ADO_qczl.execute(QStringLiteral("insert into 客户登记表 (客户号, 客户姓名) values ") + QString::fromUtf8(c));
        dm.ADO_qczl.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 押金, 发车日期, 帐款结清) "
                                           "values ('ZL2004000001', '0001', 500, '2004-03-01 14:30:00', 1)"));
    }

    void everyKindRoundTrips()
    {
        openContracts();
        // a form laid out by hand: the binder does not care how the widgets were made
        QWidget form;
        auto* number = new QLineEdit(&form);
        auto* plate = new QLineEdit(&form);
        auto* date = new QLineEdit(&form);
        auto* time = new QLineEdit(&form);
        auto* memo = new QPlainTextEdit(&form);
        auto* returned = new QComboBox(&form);
        auto* settled = new QCheckBox(&form);
        auto* deposit = new QLineEdit(&form);
        auto* stamp = new QLineEdit(&form);
        RecordBinder binder(&dm.q_qczlb);
        binder.bind(number, {.objectName = "DBEditEh1", .column = "内部编号"});
        binder.bind(plate, {.objectName = "DBEditEh2", .column = "车牌号", .upper = true});
        binder.bind(date, {.objectName = "DBDateTimeEditEh1", .column = "发车日期", .kind = FieldKind::Date});
        binder.bind(time, {.objectName = "DBDateTimeEditEh2", .column = "发车日期", .kind = FieldKind::Time});
        binder.bind(memo, {.objectName = "DBMemo1", .column = "备注", .kind = FieldKind::Memo});
        returned->addItems({QStringLiteral("没有"), QStringLiteral("已交")});
        binder.bind(returned, {.objectName = "DBComboBox1", .column = "客户交车", .kind = FieldKind::Combo, .listOnly = true});
        binder.bind(settled, {.objectName = "DBCheckBox1", .column = "帐款结清", .kind = FieldKind::Check});
        binder.bind(deposit, {.objectName = "DBNumberEditEh1", .column = "押金", .kind = FieldKind::Number, .decimals = 2});
        binder.bind(stamp, {.objectName = "DBEditEh9", .column = "操作员", .kind = FieldKind::ReadOnly});
        // designer names stay the widgets' names; fields are found by column
        QCOMPARE(number->objectName(), QStringLiteral("DBEditEh1"));
        QCOMPARE(binder.widgetFor(QStringLiteral("押金")), deposit);

        // shown as stored
        QCOMPARE(number->text(), QStringLiteral("ZL2004000001"));
        QCOMPARE(date->text(), QStringLiteral("2004-03-01"));
        QCOMPARE(time->text(), QStringLiteral("14:30:00"));
        QCOMPARE(returned->currentText(), QStringLiteral("没有"));  // the table's default
        QVERIFY(settled->isChecked());
        QCOMPARE(deposit->text(), QStringLiteral("500.00"));

        // typed, then moved into the row and posted
        retype(plate, QStringLiteral("苏a12345"));
        QCOMPARE(plate->text(), QStringLiteral("苏A12345"));
        QCOMPARE(dm.q_qczlb.state(), RecordSet::Edit);  // the first keystroke started the edit
        retype(time, QStringLiteral("083005"));
        sendText(memo, QStringLiteral("第一行"));
        returned->setCurrentIndex(1);
        settled->setChecked(false);
        retype(deposit, QStringLiteral("1234.56"));
        retype(stamp, QStringLiteral("不该写入"));  // read-only: typing does nothing
        binder.commit();
        QVERIFY(!binder.anyDirty());
        dm.q_qczlb.post();
        QCOMPARE(stored(QStringLiteral("车牌号")), QStringLiteral("苏A12345"));
        QCOMPARE(stored(QStringLiteral("发车日期")), QStringLiteral("2004-03-01 08:30:05"));  // the date half stays
        QCOMPARE(stored(QStringLiteral("备注")), QStringLiteral("第一行"));
        QCOMPARE(stored(QStringLiteral("客户交车")), QStringLiteral("已交"));
        QCOMPARE(stored(QStringLiteral("帐款结清")), QStringLiteral("0"));
        QCOMPARE(Money::fromVariant(stored(QStringLiteral("押金"))).toString(), QStringLiteral("1234.5600"));
        QCOMPARE(stored(QStringLiteral("操作员")), QString());

        // an impossible date is refused by the row, the typed text stays on screen
        retype(date, QStringLiteral("20040230"));
        QVERIFY_THROWS_EXCEPTION(DbError, binder.commit());
        QCOMPARE(date->text(), QStringLiteral("2004-02-30"));
        // discarding shows the stored row again
        dm.q_qczlb.cancel();
        binder.discard();
        QCOMPARE(date->text(), QStringLiteral("2004-03-01"));
        QCOMPARE(dm.q_qczlb.state(), RecordSet::Browse);
    }

    void lookupShowsOneTextAndStoresAnother()
    {
        openContracts();
        QWidget form;
        auto* customer = new QComboBox(&form);
        customer->setEditable(true);
        RecordBinder binder(&dm.q_qczlb);
        binder.bind(customer, {.objectName = "DBLookupComboboxEh1", .column = "客户号", .kind = FieldKind::Lookup});
        binder.setLookupItems(QStringLiteral("客户号"), Lookups::customers(dm.ADO_qczl));
        // entries in number order, each "客户号 客户姓名"; the stored 0001 shows as its entry
        QStringList shown;
        for (int i = 0; i < customer->count(); ++i)
            shown << customer->itemText(i);
        QCOMPARE(shown, (QStringList{QStringLiteral("0001 李四"), QStringLiteral("0012 王小明"), QStringLiteral("0120 O'Brien")}));
        QCOMPARE(customer->currentText(), QStringLiteral("0001 李四"));

        QSignalSpy edited(&binder, &RecordBinder::edited);
        customer->setCurrentIndex(1);
        QCOMPARE(edited.count(), 1);
        QCOMPARE(edited.first().first().toString(), QStringLiteral("客户号"));
        binder.commit();
        dm.q_qczlb.post();
        QCOMPARE(stored(QStringLiteral("客户号")), QStringLiteral("0012"));
        QCOMPARE(customer->currentText(), QStringLiteral("0012 王小明"));

        // a number typed by hand is stored as typed
        customer->setEditText(QStringLiteral("0120"));
        binder.commit();
        dm.q_qczlb.post();
        QCOMPARE(stored(QStringLiteral("客户号")), QStringLiteral("0120"));
        QCOMPARE(customer->currentText(), QStringLiteral("0120 O'Brien"));
    }

    void computedAmountFollowsTheTyping()
    {
        openContracts();
        QWidget form;
        auto* days = new QLineEdit(&form);
        auto* rate = new QLineEdit(&form);
        auto* due = new QLineEdit(&form);
        RecordBinder binder(&dm.q_qczlb);
        binder.bind(days, {.column = "租赁期限", .kind = FieldKind::Number});
        binder.bind(rate, {.column = "租赁单价", .kind = FieldKind::Number, .decimals = 2});
        binder.bind(due, {.column = "应收租金", .kind = FieldKind::ReadOnly});
        // as a contract dialog does it: on every keystroke the rent due is the term times the rate,
        // read from what is typed; half-typed text leaves the amount as it was
        QStringList columns;
        connect(&binder, &RecordBinder::edited, &binder, [&](const QString& column) {
            columns << column;
            const auto rate = binder.money(QStringLiteral("租赁单价"));
            const auto days = binder.money(QStringLiteral("租赁期限"));
            if (!rate || !days)
                return;
            dm.q_qczlb.setValue(QStringLiteral("应收租金"), *rate * roundHalfEven(days->toDouble()));
            binder.load();
        });
        retype(days, QStringLiteral("3"));
        retype(rate, QStringLiteral("0.35"));
        QCOMPARE(due->text(), QStringLiteral("1.05"));
        sendText(rate, QStringLiteral("5"));
        QCOMPARE(rate->text(), QStringLiteral("0.355"));
        QCOMPARE(due->text(), QStringLiteral("1.065"));
        QVERIFY(columns.contains(QStringLiteral("租赁期限")));
        QCOMPARE(columns.last(), QStringLiteral("租赁单价"));
        dm.q_qczlb.cancel();
    }

    void lookupsLeaveTheSharedQueriesAlone()
    {
        dm.q_qcda.close();
        dm.q_qcda.setSql({QStringLiteral("select * from 汽车档案 "), QStringLiteral("order by 车牌号")});
        dm.q_qcda.open();
        dm.q_jbr.close();
        dm.ADO_qczl.execute(QStringLiteral("insert into 汽车档案 (车牌号) values ('苏B2'), ('苏A1'), ('京C3')"));
        dm.ADO_qczl.execute(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('王五'), ('李四')"));
        QCOMPARE(Lookups::plates(dm.ADO_qczl), (QStringList{QStringLiteral("京C3"), QStringLiteral("苏A1"), QStringLiteral("苏B2")}));
        QCOMPARE(Lookups::handlers(dm.ADO_qczl).size(), 2);
        QCOMPARE(Lookups::summaries(dm.ADO_qczl), (QStringList{QStringLiteral("租赁收入"), QStringLiteral("费用支出")}));
        QVERIFY(dm.q_qcda.isOpen());
        QCOMPARE(dm.q_qcda.recordCount(), 0);  // opened before the rows came: untouched
        QVERIFY(!dm.q_jbr.isOpen());
    }

    // The clerk cannot type or paste past what a column stores; a longer text stored earlier is
    // shown whole and refused when saved, and the refused text stays typed for the next try.
    void fieldsStopAtTheColumnsLength()
    {
        openContracts();
        const QString table = QStringLiteral("汽车租赁登记表");
        const int nameLimit = Schema::maxLength(table, QStringLiteral("客户姓名"));
        const int noteLimit = Schema::maxLength(table, QStringLiteral("付款情况"));
        QVERIFY(nameLimit > 0 && noteLimit > nameLimit);
        QWidget form;
        auto* name = new QLineEdit(&form);
        auto* note = new QPlainTextEdit(&form);
        RecordBinder binder(&dm.q_qczlb);
        binder.bind(name, {.objectName = "DBEditEh5", .column = "客户姓名"});
        binder.bind(note, {.objectName = "DBEditEh3", .column = "付款情况", .kind = FieldKind::Memo});
        QCOMPARE(name->maxLength(), nameLimit);

        retype(name, QString(nameLimit + 5, QChar(0x5F20)));
        QCOMPARE(name->text().size(), nameLimit);
        note->setFocus();
        note->moveCursor(QTextCursor::End);
        note->insertPlainText(QStringLiteral("首行\n") + QString(noteLimit, QChar(0x5B57)));  // a paste too long
        QCOMPARE(note->toPlainText().size(), noteLimit);
        QVERIFY(note->toPlainText().startsWith(QStringLiteral("首行\n")));  // cut where it went in
        binder.commit();
        dm.q_qczlb.post();
        QCOMPARE(stored(QStringLiteral("客户姓名")), QString(nameLimit, QChar(0x5F20)));
        QCOMPARE(stored(QStringLiteral("付款情况")).size(), noteLimit);

        // Stored longer by an earlier version: shown whole, shortened by the clerk, still refused.
        const QString longName = QString(nameLimit + 10, QChar(0x674E));
        dm.ADO_qczl.execute(QStringLiteral("update 汽车租赁登记表 set 客户姓名=?"), {longName});
        openContracts();
        QCOMPARE(name->text(), longName);
        name->setFocus();
        name->end(false);
        QTest::keyClick(name, Qt::Key_Backspace);
        sendText(name, QStringLiteral("王"));
        sendText(name, QStringLiteral("王"));  // no room for a second one
        QCOMPARE(name->text(), longName.left(nameLimit + 9) + QStringLiteral("王"));
        try {
            binder.commit();
            QFAIL("an over-long name was taken");
        } catch (const DbError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("客户姓名")) && e.text().contains(QString::number(nameLimit)),
                     qPrintable(e.text()));
        }
        QVERIFY(binder.anyDirty());
        QCOMPARE(name->text().size(), nameLimit + 10);
        dm.q_qczlb.cancel();
        binder.discard();
    }

    // A drop-down that remembers its entries offers the saved ones above its items, newest first,
    // each once and at most as many as it keeps; another dialog of the same class (or the next run,
    // the memory being in system1.ini of the working folder) finds them, a dialog of another class
    // does not.
    void dropDownRemembersItsRecentEntries()
    {
        const QString oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QFile::remove(dir.filePath(QStringLiteral("system1.ini")));
        openContracts();
        const FieldDef handler{.objectName = "DBComboBoxEh3", .column = "租赁公司经办人", .kind = FieldKind::Combo, .recent = 3};
        const auto entries = [](QComboBox* c) {
            QStringList out;
            for (int i = 0; i < c->count(); ++i)
                out << (c->itemData(i, Qt::AccessibleDescriptionRole).toString() == QLatin1String("separator") ? QStringLiteral("--")
                                                                                                               : c->itemText(i));
            return out;
        };
        const auto dialog = [&](const char* cls, std::unique_ptr<QWidget>& form, std::unique_ptr<RecordBinder>& binder) {
            form = std::make_unique<QWidget>();
            form->setProperty("windowClass", QString::fromLatin1(cls));
            auto* box = RecordBinder::createWidget(handler, form.get());
            binder = std::make_unique<RecordBinder>(&dm.q_qczlb);
            binder->bind(box, handler);
            binder->setItems(QStringLiteral("租赁公司经办人"), {QStringLiteral("老周"), QStringLiteral("小李")});
            return qobject_cast<QComboBox*>(box);
        };
        std::unique_ptr<QWidget> form;
        std::unique_ptr<RecordBinder> binder;
        QComboBox* box = dialog("TForm_qczlb_edit", form, binder);
        QCOMPARE(entries(box), (QStringList{QStringLiteral("老周"), QStringLiteral("小李")}));
        for (const char* name : {"甲", "乙", "", "甲", "丙", "丁"}) {
            box->setEditText(QString::fromUtf8(name));
            binder->commit();
            dm.q_qczlb.cancel();
        }
        // 甲 chosen again moved to the top and was not kept twice; the blank was not kept; the
        // oldest fell off.
        QCOMPARE(entries(box), (QStringList{QStringLiteral("丁"), QStringLiteral("丙"), QStringLiteral("甲"), QStringLiteral("--"),
                                            QStringLiteral("老周"), QStringLiteral("小李")}));
        // Picking a remembered entry stores it.
        box->setCurrentIndex(2);
        QCOMPARE(binder->value(QStringLiteral("租赁公司经办人")).toString(), QStringLiteral("甲"));
        dm.q_qczlb.cancel();
        binder->discard();

        box = dialog("TForm_qczlb_edit", form, binder);
        QCOMPARE(entries(box).mid(0, 4),
                 (QStringList{QStringLiteral("丁"), QStringLiteral("丙"), QStringLiteral("甲"), QStringLiteral("--")}));
        box = dialog("TForm_khydqc_edit", form, binder);
        QCOMPARE(entries(box), (QStringList{QStringLiteral("老周"), QStringLiteral("小李")}));
        form.reset();
        binder.reset();

        // On disk for the next run.
        QFile ini(dir.filePath(QStringLiteral("system1.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(ini.readAll());
        QVERIFY2(text.contains(QStringLiteral("[TForm_qczlb_edit_MRUList]")) && text.contains(QStringLiteral("丁, 丙, 甲")),
                 qPrintable(text));
        QDir::setCurrent(oldCwd);
    }
};

QTEST_MAIN(TestBinder)
#include "test_binder.moc"
