// What the clerk reads in the rental dialogs: the customer drop-down and the settlement's name show
// their whole text, every field a screen reader reaches has a name, and the handler drop-down of a
// contract offers the handlers saved before, also in the next dialog opened.
#include "fixture.h"
#include "rental/backoffice.h"
#include "rental/bookings.h"
#include "rental/customers.h"
#include "tests/common/accessible.h"
#include "ui/common/messages.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

class TestRentalReadable : public RentalFixture {
    Q_OBJECT

    const QString entry = QStringLiteral("01 O'Brien 欧布莱恩");

    static QStringList items(QComboBox* c)
    {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }
    void customerShownWhole(BookingDialog& d)
    {
        d.fillDropDowns();
        d.show();
        auto* box = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("客户号")));
        QVERIFY(items(box).contains(entry));
        const int needed = QFontMetrics(box->font()).horizontalAdvance(entry);
        QVERIFY2(box->lineEdit()->width() >= needed, qPrintable(QStringLiteral("%1 < %2").arg(box->lineEdit()->width()).arg(needed)));
        QVERIFY(box->view()->minimumWidth() >= needed);
    }

private Q_SLOTS:
    void initTestCase()
    {
        setUp();
        exec(QStringLiteral("insert into 客户登记表 (客户号, 客户姓名, 停用) values ('01', 'O''Brien 欧布莱恩', 0)"));
    }
    void cleanupTestCase() { tearDown(); }

    void customerDropDownsShowTheWholeEntry()
    {
        open(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
        open(dm.q_khydqc, {QStringLiteral("select * from 客户预订汽车 "), QStringLiteral("order by 内部编号")});
        TForm_qczlb contracts(nullptr, &dm);
        TForm_qczlb_edit contract(&contracts, &dm);
        customerShownWhole(contract);
        TForm_khydqc reservations(nullptr, &dm);
        TForm_khydqc_edit reservation(&reservations, &dm);
        customerShownWhole(reservation);
        QCOMPARE(unnamedWidgets(&contract), QStringList());
        QCOMPARE(unnamedWidgets(&reservation), QStringList());
    }

    void settlementShowsTheWholeNameAndNamesItsFields()
    {
        exec(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 租赁单价, 帐款结清) "
                            "values ('ZL2004000900', '01', 'O''Brien 欧布莱恩', '苏A00002', '2004-05-01 08:00:00', 1, 100, 0)"));
        open(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("where 内部编号='ZL2004000900'")});
        TForm_qczljsd list(nullptr, &dm);
        TForm_qczljsd_edit d(&list, &dm);
        d.fillSettlers();
        d.show();
        auto* name = qobject_cast<QLineEdit*>(d.fieldFor(QStringLiteral("客户姓名")));
        QCOMPARE(name->text(), QStringLiteral("O'Brien 欧布莱恩"));
        // The text area of a line is its contents less a few pixels of margin on each side.
        QVERIFY(name->contentsRect().width() - 8 >= name->fontMetrics().horizontalAdvance(name->text()));
        QCOMPARE(unnamedWidgets(&d), QStringList());
        exec(QStringLiteral("delete from 汽车租赁登记表 where 内部编号='ZL2004000900'"));
    }

    void customerDialogNamesItsFields()
    {
        open(dm.q_hyzlb, {QStringLiteral("select * from 客户登记表 "), QStringLiteral("order by 客户号")});
        TForm_hyzlb list(nullptr, &dm);
        TForm_hyzlb_edit d(&list, &dm);
        d.show();
        QCOMPARE(unnamedWidgets(&d), QStringList());
    }

    void contractHandlerRemembersWhatWasSaved()
    {
        QFile::remove(QStringLiteral("system1.ini"));
        open(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("where 内部编号='none'")});
        TForm_qczlb list(nullptr, &dm);
        {
            TForm_qczlb_edit d(&list, &dm);
            d.fillDropDowns();
            auto* handler = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("租赁公司经办人")));
            QCOMPARE(items(handler), QStringList{QStringLiteral("老周")});
            Msg::Recorder msgs;
            d.addButton->click();
            auto* customers = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("客户号")));
            customers->setCurrentIndex(customers->findText(QStringLiteral("K001 王一")));
            d.customerLeft();
            type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00001"));
            type(d.fieldFor(QStringLiteral("租赁单价")), QStringLiteral("100"));
            type(d.fieldFor(QStringLiteral("租赁期限")), QStringLiteral("2"));
            type(d.field(QStringLiteral("DBDateTimeEditEh1")), QStringLiteral("20040501"));
            type(d.field(QStringLiteral("DBDateTimeEditEh2")), QStringLiteral("143000"));
            type(handler, QStringLiteral("小李"));  // not a registered handler: typed
            d.saveButton->click();
            QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
            QCOMPARE(items(handler), (QStringList{QStringLiteral("小李"), QString(), QStringLiteral("老周")}));
        }
        // The next contract dialog offers it first; the reservation dialog keeps its own memory.
        TForm_qczlb_edit again(&list, &dm);
        again.fillDropDowns();
        QCOMPARE(items(qobject_cast<QComboBox*>(again.fieldFor(QStringLiteral("租赁公司经办人")))),
                 (QStringList{QStringLiteral("小李"), QString(), QStringLiteral("老周")}));
        open(dm.q_khydqc, {QStringLiteral("select * from 客户预订汽车 "), QStringLiteral("order by 内部编号")});
        TForm_khydqc reservations(nullptr, &dm);
        TForm_khydqc_edit reservation(&reservations, &dm);
        reservation.fillDropDowns();
        QCOMPARE(items(qobject_cast<QComboBox*>(reservation.fieldFor(QStringLiteral("租赁公司经办人")))),
                 QStringList{QStringLiteral("老周")});
        exec(QStringLiteral("delete from 汽车租赁登记表"));
        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名=null, 租赁时间=null, 开始生效=0"));
    }
};

QTEST_MAIN(TestRentalReadable)
#include "test_readable.moc"
