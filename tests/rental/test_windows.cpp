// The rental front desk on a real database through its windows: customers with their checks,
// 替换 and the photo; the customer search; reservations with their numbers, the vehicle's
// reservation and 执行完毕; contracts with their numbers, the live rent, the vehicle sent out, the
// reservation chooser, and one transaction per save.
#include "fixture.h"
#include "data/datamodule.h"
#include "rental/bookings.h"
#include "rental/customers.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/records/recordgrid.h"
#include "ui/shell/photo.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>

class TestRentalWindows : public RentalFixture {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setUp(); }
    void cleanupTestCase() { tearDown(); }

    // ---- customers ----

    void customerAddAndSave()
    {
        open(dm.q_hyzlb, {QStringLiteral("select * from 客户登记表 "), QStringLiteral("where 客户号='none'")});
        TForm_hyzlb list(nullptr, &dm);
        Msg::Recorder msgs;
        TForm_hyzlb_edit d(&list, &dm);
        // 增加 on an empty list: the name is asked for first.
        d.addButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("客户姓名不能为空,请重新输入!")});
        QCOMPARE(d.PageControl1->currentIndex(), 0);
        msgs.clear();

        // The first customer is typed into the empty dialog; a start date alone is refused.
        type(d.fieldFor(QStringLiteral("客户号")), QStringLiteral("k200"));
        type(d.fieldFor(QStringLiteral("客户姓名")), QStringLiteral("赵六"));
        type(d.fieldFor(QStringLiteral("起始日期")), QStringLiteral("20040501"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("终止日期小于起始日期,请重新输入!")});
        QCOMPARE(scalar(QStringLiteral("select count(*) from 客户登记表 where 客户号='K200'")).toInt(), 0);
        msgs.clear();
        type(d.fieldFor(QStringLiteral("终止日期")), QStringLiteral("20040501"));  // the same day passes
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(row(QStringLiteral("select 客户号, 客户照片, 操作员 from 客户登记表 where 客户姓名='赵六'")),
                 QStringLiteral("K200/K200.jpg/张三"));

        // A number typed in lower case is tested upper case: a duplicate.
        msgs.clear();
        d.addButton->click();
        QVERIFY(msgs.texts().isEmpty());
        type(d.fieldFor(QStringLiteral("客户号")), QStringLiteral("k001"));
        type(d.fieldFor(QStringLiteral("客户姓名")), QStringLiteral("重复"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("客户号重复,请重新输入!")});
        d.cancelButton->click();
        QCOMPARE(scalar(QStringLiteral("select count(*) from 客户登记表 where 客户号='K001'")).toInt(), 1);
        exec(QStringLiteral("delete from 客户登记表 where 客户号='K200'"));
    }

    void customerReplaceAndPhoto()
    {
        open(dm.q_hyzlb, {QStringLiteral("select * from 客户登记表 "), QStringLiteral("where 客户号='K002'")});
        exec(QStringLiteral("update 客户登记表 set 驾驶员身份证号='OLD', 驾驶员驾驶证号='LIC' where 客户号='K002'"));
        dm.q_hyzlb.close();
        dm.q_hyzlb.open();
        TForm_hyzlb list(nullptr, &dm);
        Msg::Recorder msgs;
        TForm_hyzlb_edit d(&list, &dm);
        // 替换 takes what the clerk has typed so far; empty own fields empty the driver's.
        type(d.fieldFor(QStringLiteral("家庭住址")), QStringLiteral("南京路1号"));
        d.copyToDriverButton->click();
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("驾驶员"))), QStringLiteral("王二"));
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("驾驶员联系电话"))), QStringLiteral("222"));
        QCOMPARE(qobject_cast<QPlainTextEdit*>(d.fieldFor(QStringLiteral("驾驶员家庭住址")))->toPlainText(),
                 QStringLiteral("南京路1号"));
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("驾驶员身份证号"))), QString());
        // Nothing is written until 存盘.
        QCOMPARE(scalar(QStringLiteral("select coalesce(驾驶员,'') from 客户登记表 where 客户号='K002'")).toString(), QString());
        d.saveButton->click();
        QCOMPARE(row(QStringLiteral("select 驾驶员, 驾驶员身份证号, 驾驶员驾驶证号 from 客户登记表 where 客户号='K002'")),
                 QStringLiteral("王二//LIC"));

        // The photo is named after the number; a damaged file is said, not shown.
        QFile bad(QStringLiteral("jpg/K002.jpg"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a picture");
        bad.close();
        msgs.clear();
        d.photoPanel->viewButton->click();
        QCOMPARE(msgs.shown().size(), 1);
        QVERIFY(msgs.lastText().startsWith(photoPath(QStringLiteral("K002.jpg"))));
        QVERIFY(d.photoPanel->photoArea->photo().isNull());
        QFile::remove(QStringLiteral("jpg/K002.jpg"));
    }

    // ---- customer search ----

    void customerSearch()
    {
        open(dm.q_khydqc, {QStringLiteral("select * from 客户预订汽车 "), QStringLiteral("where 执行完毕='否'")});
        TForm_khydqc list(nullptr, &dm);
        TForm_khydqc_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        Modal::Recorder modal;
        QStringList seen;
        modal.handler = [&](QDialog* w) {
            auto* s = qobject_cast<TForm_search_kh*>(w);
            QVERIFY(s);
            QCOMPARE(s->windowTitle(), QStringLiteral("查找客户(预订)"));
            // Every customer, blocked ones too, by name.
            QCOMPARE(dm.q_hyzlb.recordCount(), 4);
            // By number, begins-with.
            s->modeBox->setCurrentIndex(1);
            type(s->searchEdit, QStringLiteral("k1"));
            s->findButton->click();
            QCOMPARE(dm.q_hyzlb.recordCount(), 1);
            // A quote is a character like any other.
            s->modeBox->setCurrentIndex(0);
            type(s->searchEdit, QStringLiteral("O'B"));
            s->findButton->click();
            QCOMPARE(dm.q_hyzlb.asString(QStringLiteral("客户号")), QStringLiteral("X9"));
            type(s->searchEdit, QStringLiteral("没有这人"));
            s->findButton->click();
            QCOMPARE(msgs.texts(), QStringList{QStringLiteral("没有找到相应的记录!")});
            s->selectButton->click();  // nothing to choose
            QVERIFY(s->isVisible());
            // By name; a key typed in the grid chooses the blocked customer.
            type(s->searchEdit, QStringLiteral("李"));
            s->findButton->click();
            QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
            QApplication::sendEvent(s->grid, &key);
            seen << s->purposeLabel->text();
        };
        d.addButton->click();
        QTest::keyClick(&d, Qt::Key_F2);
        QCOMPARE(seen, QStringList{QStringLiteral("预订")});
        QCOMPARE(dm.q_khydqc.asString(QStringLiteral("客户号")), QStringLiteral("K100"));
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("客户姓名"))), QStringLiteral("李停"));
        QVERIFY(!dm.q_hyzlb.isOpen());
        d.cancelButton->click();
    }

    // ---- reservations ----

    void reservationsNumberedAndShownOnTheVehicle()
    {
        exec(QStringLiteral("insert into 客户预订汽车 (内部编号, 执行完毕) values ('YD2004000041', '是')"));
        // The list shows open reservations only: none. The number still follows the table.
        open(dm.q_khydqc, {QStringLiteral("select * from 客户预订汽车 "), QStringLiteral("where 执行完毕='否'"),
                           QStringLiteral("order by 内部编号")});
        TForm_khydqc list(nullptr, &dm);
        TForm_khydqc_edit d(&list, &dm);
        d.fillDropDowns();
        auto* plates = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("车牌号")));
        QCOMPARE(plates->count(), 2);  // the vehicle out of service is not offered
        auto* customers = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("客户号")));
        QCOMPARE(customers->findText(QStringLiteral("K100 李停")), -1);  // nor the blocked customer
        Msg::Recorder msgs;
        for (const char* day : {"20040430", "20040501"}) {
            d.addButton->click();
            QCOMPARE(dm.q_khydqc.asString(QStringLiteral("内部编号")), QStringLiteral("YD2004000042"));
            customers->setCurrentIndex(customers->findText(QStringLiteral("K001 王一")));
            d.customerLeft();
            type(plates, QStringLiteral("苏A00001"));
            type(d.fieldFor(QStringLiteral("租赁期限")), QStringLiteral("3"));
            type(d.field(QStringLiteral("DBDateTimeEditEh1")), QString::fromLatin1(day));
            type(d.field(QStringLiteral("DBDateTimeEditEh2")), QStringLiteral("143000"));
            msgs.clear();
            d.saveButton->click();
            if (QByteArray(day) == "20040430") {
                QCOMPARE(msgs.texts(), QStringList{QStringLiteral("预订日期不能小于当前日期,请重新输入!")});
                // 执行完毕 left empty is 否, even though the save stopped.
                QCOMPARE(fieldText(d.fieldFor(QStringLiteral("执行完毕"))), QStringLiteral("否"));
                d.cancelButton->click();
            }
        }
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(row(QStringLiteral("select 客户姓名, 执行完毕, 发车日期 from 客户预订汽车 where "
                                    "内部编号='YD2004000042'")),
                 QStringLiteral("王一/否/2004-05-01 14:30:00"));
        QCOMPARE(row(QStringLiteral("select 预订人, 预订日期, 预订期限 from 汽车档案 where 车牌号='苏A00001'")),
                 QStringLiteral("王一/2004-05-01 14:30:00/3"));

        // A second reservation of the same vehicle: the vehicle shows the one added last.
        d.addButton->click();
        QCOMPARE(dm.q_khydqc.asString(QStringLiteral("内部编号")), QStringLiteral("YD2004000043"));
        customers->setCurrentIndex(customers->findText(QStringLiteral("K002 王二")));
        d.customerLeft();
        type(plates, QStringLiteral("苏A00001"));
        type(d.fieldFor(QStringLiteral("租赁期限")), QStringLiteral("5"));
        type(d.field(QStringLiteral("DBDateTimeEditEh1")), QStringLiteral("20040510"));
        d.saveButton->click();
        QCOMPARE(row(QStringLiteral("select 预订人, 预订期限 from 汽车档案 where 车牌号='苏A00001'")), QStringLiteral("王二/5"));

        // Saving an existing reservation again keeps its number.
        dm.q_khydqc.close();
        dm.q_khydqc.open();
        QCOMPARE(dm.q_khydqc.recordCount(), 2);
        dm.q_khydqc.first();
        type(d.fieldFor(QStringLiteral("备注")), QStringLiteral("改"));
        d.saveButton->click();
        QCOMPARE(scalar(QStringLiteral("select 内部编号 from 客户预订汽车 where 备注='改'")).toString(),
                 QStringLiteral("YD2004000042"));

        // 执行完毕 on the first: it leaves the list and its vehicle loses the reservation.
        msgs.script(Msg::Button::Yes);
        list.moduleButton(QStringLiteral("执行完毕"))->click();
        QCOMPARE(msgs.shown().last().request.caption, QStringLiteral("请选择"));
        QCOMPARE(dm.q_khydqc.recordCount(), 1);
        QCOMPARE(scalar(QStringLiteral("select 执行完毕 from 客户预订汽车 where 内部编号='YD2004000042'")).toString(),
                 QStringLiteral("是"));
        QCOMPARE(row(QStringLiteral("select 预订人, 预订期限 from 汽车档案 where 车牌号='苏A00001'")), QStringLiteral("/"));
    }

    void reservationCounterAtItsEnd()
    {
        exec(QStringLiteral("insert into 客户预订汽车 (内部编号, 执行完毕) values ('YD2004999999', '是')"));
        open(dm.q_khydqc, {QStringLiteral("select * from 客户预订汽车 "), QStringLiteral("where 执行完毕='否'")});
        const int before = dm.q_khydqc.recordCount();
        TForm_khydqc list(nullptr, &dm);
        TForm_khydqc_edit d(&list, &dm);
        Msg::Recorder msgs;
        d.addButton->click();
        QCOMPARE(msgs.shown().size(), 1);
        QVERIFY(msgs.lastText().contains(QStringLiteral("YD2004999999")));
        QVERIFY(!d.adding());
        QCOMPARE(dm.q_khydqc.recordCount(), before);
        exec(QStringLiteral("delete from 客户预订汽车 where 内部编号='YD2004999999'"));
    }

    // ---- contracts ----

    void contractNumberedRentLiveVehicleOut()
    {
        exec(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号) values "
                            "('ZL2004000123', 'K002', '王二', '苏A00002')"));
        // A query narrowed the list to no row.
        open(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("where 内部编号='none'")});
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        d.addButton->click();
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("内部编号"))), QStringLiteral("ZL2004000124"));
        QVERIFY(!d.fieldFor(QStringLiteral("内部编号"))->isEnabled());

        // A typed text that is no entry leaves the name empty: refused.
        auto* customers = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("客户号")));
        type(customers, QStringLiteral("K00"));
        d.customerLeft();
        type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00001"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("姓名不能为空,请重新输入!")});
        customers->setCurrentIndex(customers->findText(QStringLiteral("K001 王一")));
        d.customerLeft();
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("客户姓名"))), QStringLiteral("王一"));

        // The rent follows the days and the rate as they are typed.
        type(d.fieldFor(QStringLiteral("租赁单价")), QStringLiteral("120.5"));
        type(d.fieldFor(QStringLiteral("租赁期限")), QStringLiteral("3"));
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("应收租金"))), Money::parse(QStringLiteral("361.5"))->toDisplay());
        type(d.field(QStringLiteral("DBDateTimeEditEh1")), QStringLiteral("20040501"));
        type(d.field(QStringLiteral("DBDateTimeEditEh2")), QStringLiteral("143000"));
        type(d.fieldFor(QStringLiteral("租赁期限")), QStringLiteral("0"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("租赁期限不能为空,请重新输入!")});
        type(d.fieldFor(QStringLiteral("租赁期限")), QStringLiteral("3"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(row(QStringLiteral("select 应收租金, 客户交车, 帐款结清 from 汽车租赁登记表 where "
                                    "内部编号='ZL2004000124'")),
                 QStringLiteral("361.5/没有/0"));
        QCOMPARE(vehicle(QStringLiteral("苏A00001")), QStringLiteral("出租/王一/2004-05-01 14:30:00/1"));

        // The list now holds one contract; the next still follows the table, and saving the
        // existing one again keeps its number.
        open(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("where 内部编号='ZL2004000124'")});
        type(d.fieldFor(QStringLiteral("备注")), QStringLiteral("再存"));
        d.saveButton->click();
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车租赁登记表 where 内部编号='ZL2004000124' and 备注='再存'")).toInt(),
                 1);
        d.addButton->click();
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("内部编号"))), QStringLiteral("ZL2004000125"));
        d.cancelButton->click();

        // Deleting a contract leaves the vehicle as it is.
        msgs.script(Msg::Button::Yes);
        list.deleteButton->click();
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车租赁登记表 where 内部编号='ZL2004000124'")).toInt(), 0);
        QCOMPARE(vehicle(QStringLiteral("苏A00001")), QStringLiteral("出租/王一/2004-05-01 14:30:00/1"));
        // Set free by hand, as the rental state window does, for the contracts that follow.
        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='', 租赁时间=null where 车牌号='苏A00001'"));
    }

    // A rate typed far past its limit keeps every digit while typed and is stored, shown and charged
    // at the limit; a negative deposit (no limit of its own) at 0.
    void contractRateFarPastItsLimit()
    {
        exec(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限) values "
                            "('ZL2004000300', 'K001', '王一', '苏A00001', '2004-05-01 14:30:00', 2)"));
        open(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("where 内部编号='ZL2004000300'")});
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        QWidget* rate = d.fieldFor(QStringLiteral("租赁单价"));
        type(rate, QStringLiteral("922337203685478"));
        QCOMPARE(fieldText(rate), QStringLiteral("922337203685478"));
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("应收租金"))), Money::fromYuan(2000).toDisplay());
        type(d.fieldFor(QStringLiteral("押金")), QStringLiteral("-5"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QVERIFY2(Money::parse(fieldText(rate)) == Money::fromYuan(1000), qPrintable(fieldText(rate)));
        const QString deposit = fieldText(d.fieldFor(QStringLiteral("押金")));
        QVERIFY2(Money::parse(deposit) == Money(), qPrintable(deposit));
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车租赁登记表 where 内部编号='ZL2004000300' and 租赁单价=1000 "
                                       "and 押金=0 and 应收租金=2000"))
                     .toInt(),
                 1);
        exec(QStringLiteral("delete from 汽车租赁登记表 where 内部编号='ZL2004000300'"));
        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='', 租赁时间=null where 车牌号='苏A00001'"));
    }

    void returnedContractLeavesItsVehicle()
    {
        exec(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 客户交车) values "
                            "('ZL2004000200', 'K002', '王二', '苏A00002', '2004-04-01 08:00:00', 2, '已交')"));
        exec(QStringLiteral("update 汽车档案 set 车辆状态='出租', 客户姓名='别人' where 车牌号='苏A00002'"));
        open(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("where 内部编号='ZL2004000200'")});
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        type(d.fieldFor(QStringLiteral("备注")), QStringLiteral("补"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(vehicle(QStringLiteral("苏A00002")), QStringLiteral("出租/别人//0"));
        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='' where 车牌号='苏A00002'"));
    }

    void failedVehicleWriteRollsTheContractBack()
    {
        open(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        d.addButton->click();
        const QString number = fieldText(d.fieldFor(QStringLiteral("内部编号")));
        auto* customers = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("客户号")));
        customers->setCurrentIndex(customers->findText(QStringLiteral("K002 王二")));
        d.customerLeft();
        type(d.field(QStringLiteral("DBDateTimeEditEh1")), QStringLiteral("20040502"));
        type(d.fieldFor(QStringLiteral("租赁期限")), QStringLiteral("2"));

        // A plate that is no vehicle is refused before anything is written.
        type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏Z00000"));
        d.saveButton->click();
        QVERIFY(msgs.lastText().contains(QStringLiteral("苏Z00000")));
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车档案 where 车牌号='苏Z00000'")).toInt(), 0);

        type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00002"));
        ServerDb::refuseWrites(dm.ADO_qczl, QStringLiteral("汽车档案"), QStringLiteral("UPDATE"), QStringLiteral("车辆被锁定"));
        msgs.clear();
        d.saveButton->click();
        ServerDb::allowWrites(dm.ADO_qczl, QStringLiteral("汽车档案"));
        QCOMPARE(msgs.shown().size(), 1);
        QVERIFY(msgs.lastText().contains(QStringLiteral("车辆被锁定")));
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车租赁登记表 where 内部编号='") + number + QStringLiteral("'")).toInt(),
                 0);
        // Still adding, with what was typed: the next 存盘 goes through.
        QVERIFY(d.adding());
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(vehicle(QStringLiteral("苏A00002")), QStringLiteral("出租/王二/2004-05-02 00:00:00/1"));
        // Back from that rental, for the contracts that follow.
        exec(QStringLiteral("update 汽车租赁登记表 set 客户交车='已交', 收车日期='2004-05-04 00:00:00' where 内部编号='") + number
             + QStringLiteral("'"));
        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='', 租赁时间=null where 车牌号='苏A00002'"));
    }

    void contractFromAReservation()
    {
        exec(QStringLiteral("insert into 客户预订汽车 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 租赁单价, 押金, "
                            "租赁公司经办人, 执行完毕) values ('YD2004000100', 'K001', '王一', '苏A00001', '2004-05-03 10:00:00', "
                            "4, 99.99, 500, '老周', '否')"));
        // An earlier reservation of the same customer under a later number: the sort must move it.
        exec(QStringLiteral("insert into 客户预订汽车 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 执行完毕) values "
                            "('YD2004000101', 'K001', '王一', '苏A00002', '2004-04-20 10:00:00', '否')"));
        open(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        // Only while adding.
        d.reservationButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("请先增加记录 !")});

        Modal::Recorder modal;
        auto chooseWang = [&](QDialog* w) {
            auto* c = qobject_cast<TForm_qczlb_khyd*>(w);
            QVERIFY(c);
            QCOMPARE(c->windowTitle(), QStringLiteral("查找客户预订"));
            type(c->searchEdit, QStringLiteral("王一"));
            c->findButton->click();
            QVERIFY(dm.q_khydqc.recordCount() >= 1);
            // Sorting by a title keeps the search's rows and puts them in the order of that column.
            const int found = dm.q_khydqc.recordCount();
            c->sortBy(2);
            QCOMPARE(dm.q_khydqc.recordCount(), found);
            QVector<QDateTime> dates;
            for (dm.q_khydqc.first(); !dm.q_khydqc.eof(); dm.q_khydqc.next())
                dates << dm.q_khydqc.asDateTime(QStringLiteral("发车日期"));
            QVERIFY(dates.size() >= 2);
            QVERIFY(std::is_sorted(dates.begin(), dates.end()));
            QVERIFY(dates.first() < dates.last());
            dm.q_khydqc.first();
            while (dm.q_khydqc.asString(QStringLiteral("内部编号")) != QStringLiteral("YD2004000100"))
                dm.q_khydqc.next();
            c->grid->setCurrentIndex(c->grid->model()->index(dm.q_khydqc.currentRow(), 0));
            c->selectButton->click();
        };
        modal.handler = chooseWang;
        d.addButton->click();
        const QString cancelled = fieldText(d.fieldFor(QStringLiteral("内部编号")));
        d.reservationButton->click();
        // Linked at once, to the proposed number.
        QCOMPARE(scalar(QStringLiteral("select 租赁内部编号 from 客户预订汽车 where 内部编号='YD2004000100'")).toString(), cancelled);
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("车牌号"))), QStringLiteral("苏A00001"));
        // The contract is cancelled: a later contract with the same number must not close it.
        d.cancelButton->click();
        d.addButton->click();
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("内部编号"))), cancelled);
        QCOMPARE(scalar(QStringLiteral("select coalesce(租赁内部编号, '') from 客户预订汽车 where 内部编号='YD2004000100'")).toString(),
                 QString());

        d.reservationButton->click();
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("客户姓名"))), QStringLiteral("王一"));
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("租赁公司经办人"))), QStringLiteral("老周"));
        QCOMPARE(fieldText(d.field(QStringLiteral("DBDateTimeEditEh1"))), QStringLiteral("2004-05-03"));
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("应收租金"))), Money::parse(QStringLiteral("399.96"))->toDisplay());
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(row(QStringLiteral("select 执行完毕, 租赁内部编号 from 客户预订汽车 where 内部编号='YD2004000100'")),
                 QStringLiteral("是/") + cancelled);
        QCOMPARE(row(QStringLiteral("select 押金, 应收租金, 发车日期 from 汽车租赁登记表 where 内部编号='") + cancelled
                     + QStringLiteral("'")),
                 QStringLiteral("500/399.96/2004-05-03 10:00:00"));
        exec(QStringLiteral("delete from 客户预订汽车 where 内部编号='YD2004000101'"));
    }

    // A reservation chosen for a new contract that is then given up (取消) goes with it: a later
    // save of the contract the dialog falls back to neither carries it out nor ties it.
    void reservationGivenUpWithTheNewContract()
    {
        exec(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限) values "
                            "('ZL2004000300', 'K001', '王一', '苏A00001', '2004-05-01 08:00:00', 2)"));
        exec(QStringLiteral("insert into 客户预订汽车 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 租赁单价, "
                            "执行完毕) values ('YD2004000310', 'K002', '王二', '苏A00002', '2004-05-05 10:00:00', 3, 100, '否')"));
        open(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("where 内部编号='ZL2004000300'")});
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        Modal::Recorder modal;
        modal.handler = [&](QDialog* w) {
            auto* c = qobject_cast<TForm_qczlb_khyd*>(w);
            QVERIFY(c);
            type(c->searchEdit, QStringLiteral("王二"));
            c->findButton->click();
            while (dm.q_khydqc.asString(QStringLiteral("内部编号")) != QStringLiteral("YD2004000310") && !dm.q_khydqc.eof())
                dm.q_khydqc.next();
            c->grid->setCurrentIndex(c->grid->model()->index(dm.q_khydqc.currentRow(), 0));
            c->selectButton->click();
        };
        const QString reservation = QStringLiteral("select 执行完毕, coalesce(租赁内部编号, '') from 客户预订汽车 "
                                                   "where 内部编号='YD2004000310'");
        d.addButton->click();
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("内部编号"))), QStringLiteral("ZL2004000301"));
        d.reservationButton->click();
        QCOMPARE(row(reservation), QStringLiteral("否/ZL2004000301"));
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("客户姓名"))), QStringLiteral("王二"));

        d.cancelButton->click();
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("内部编号"))), QStringLiteral("ZL2004000300"));
        QCOMPARE(row(reservation), QStringLiteral("否/"));
        type(d.fieldFor(QStringLiteral("备注")), QStringLiteral("补记"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(row(reservation), QStringLiteral("否/"));
        QCOMPARE(row(QStringLiteral("select 客户姓名, 车牌号, 备注 from 汽车租赁登记表 where 内部编号='ZL2004000300'")),
                 QStringLiteral("王一/苏A00001/补记"));

        // Chosen again for a contract that is saved: carried out and tied to it.
        d.addButton->click();
        d.reservationButton->click();
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(row(reservation), QStringLiteral("是/ZL2004000301"));
        QCOMPARE(vehicle(QStringLiteral("苏A00002")), QStringLiteral("出租/王二/2004-05-05 10:00:00/1"));
    }
};

QTEST_MAIN(TestRentalWindows)
#include "test_windows.moc"
