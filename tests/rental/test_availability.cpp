// No double booking, through the contract and reservation dialogs on a real database: a contract
// over another open contract of its vehicle is refused before anything is written and again inside
// the save's transaction (two workstations saving at once: one wins), a return ends a contract's
// period, an overdue one runs on to now, a settled one holds nothing, touching periods pass, a
// reservation over another booking is asked about, and a vehicle out or in repair is not sent out.
#include "fixture.h"
#include "racingdialog.h"
#include "rental/availability.h"
#include "rental/bookings.h"
#include "ui/common/messages.h"

#include <QPushButton>
#include <functional>

namespace {

const QString Saved = QStringLiteral("存盘完毕！");

QString overlapText(const QString& number, const QString& customer)
{
    return QStringLiteral("该车辆与租赁 %1 (%2) 时间重叠，不能存盘!").arg(number, customer);
}


}  // namespace

class TestAvailability : public RentalFixture {
    Q_OBJECT

    // An open contract as the dialogs store it, its vehicle out to the renter unless returned.
    void contract(const QString& number, const QString& name, const QString& plate, const QString& dispatch, int days,
                  const QString& returnedAt = {})
    {
        const bool returned = !returnedAt.isEmpty();
        exec(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 客户交车, 收车日期) "
                            "values (?, 'K002', ?, ?, '%1', ?, ?, %2)")
                 .arg(dispatch, returned ? QStringLiteral("'") + returnedAt + QStringLiteral("'") : QStringLiteral("null")),
             {number, name, plate, days, returned ? QStringLiteral("已交") : QStringLiteral("没有")});
        if (!returned)
            exec(QStringLiteral("update 汽车档案 set 车辆状态='出租', 客户姓名=? where 车牌号=?"), {name, plate});
    }

    int count(const QString& table) { return scalar(QStringLiteral("select count(*) from ") + table).toInt(); }

    // 增加 and the terms typed as the clerk does (contract and reservation dialogs alike).
    static void typeBooking(BookingDialog& d, const QString& customer, const QString& plate, const QString& day, const QString& time,
                            const QString& days)
    {
        d.addButton->click();
        auto* customers = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("客户号")));
        customers->setCurrentIndex(customers->findText(customer));
        d.customerLeft();
        type(d.fieldFor(QStringLiteral("车牌号")), plate);
        type(d.fieldFor(QStringLiteral("租赁期限")), days);
        type(d.field(QStringLiteral("DBDateTimeEditEh1")), day);
        type(d.field(QStringLiteral("DBDateTimeEditEh2")), time);
    }

    static void retypeDispatch(EditDialog& d, const QString& day, const QString& time)
    {
        type(d.field(QStringLiteral("DBDateTimeEditEh1")), day);
        type(d.field(QStringLiteral("DBDateTimeEditEh2")), time);
    }

    void openContracts(TDm1& on)
    {
        reopen(on.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
    }

private Q_SLOTS:
    void initTestCase() { setUp(); }
    void cleanupTestCase() { tearDown(); }
    void init()
    {
        exec(QStringLiteral("delete from 汽车租赁登记表"));
        exec(QStringLiteral("delete from 客户预订汽车"));
        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='', 租赁时间=null"));
    }

    // Now is 1 May 09:30. ZL2004000010 has 苏A00001 from 28 April for 7 days.
    void overlapRefusedUntilTheReturn()
    {
        contract(QStringLiteral("ZL2004000010"), QStringLiteral("王二"), QStringLiteral("苏A00001"),
                 QStringLiteral("2004-04-28 08:00:00"), 7);
        openContracts(dm);
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        typeBooking(d, QStringLiteral("K001 王一"), QStringLiteral("苏A00001"), QStringLiteral("20040504"), QStringLiteral("100000"),
                    QStringLiteral("2"));
        d.saveButton->click();
        // Said before anything is written, the dispatch date to retype; the row stays as typed.
        QCOMPARE(msgs.texts(), QStringList{overlapText(QStringLiteral("ZL2004000010"), QStringLiteral("王二"))});
        QCOMPARE(d.focusWidget(), d.field(QStringLiteral("DBDateTimeEditEh1")));
        QVERIFY(d.adding());
        QCOMPARE(count(QStringLiteral("汽车租赁登记表")), 1);
        QCOMPARE(vehicle(QStringLiteral("苏A00001")), QStringLiteral("出租/王二//0"));

        // Back at 09:00 today: the period ends at the return, not at the planned 5 May.
        exec(QStringLiteral("update 汽车租赁登记表 set 客户交车='已交', 收车日期='2004-05-01 09:00:00'"));
        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='' where 车牌号='苏A00001'"));
        retypeDispatch(d, QStringLiteral("20040501"), QStringLiteral("085900"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{overlapText(QStringLiteral("ZL2004000010"), QStringLiteral("王二"))});
        retypeDispatch(d, QStringLiteral("20040501"), QStringLiteral("090000"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
        QCOMPARE(vehicle(QStringLiteral("苏A00001")), QStringLiteral("出租/王一/2004-05-01 09:00:00/1"));
    }

    // Not returned past its planned end, a contract holds its vehicle up to now; settled, it holds nothing.
    void overdueRunsToNowSettledHoldsNothing()
    {
        contract(QStringLiteral("ZL2004000020"), QStringLiteral("王二"), QStringLiteral("苏A00002"),
                 QStringLiteral("2004-04-20 08:00:00"), 3);
        Database& db = dm.ADO_qczl;
        const QDateTime now = Clock::now();
        QCOMPARE(Rental::overlappingContract(db, QStringLiteral("苏a00002"), now.addSecs(-1), now.addDays(1), {}, now)->number,
                 QStringLiteral("ZL2004000020"));
        QVERIFY(!Rental::overlappingContract(db, QStringLiteral("苏A00002"), now, now.addDays(1), {}, now));
        QVERIFY(
            !Rental::overlappingContract(db, QStringLiteral("苏A00002"), now.addDays(-5), now, QStringLiteral("ZL2004000020"), now));

        openContracts(dm);
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        typeBooking(d, QStringLiteral("K001 王一"), QStringLiteral("苏A00002"), QStringLiteral("20040430"), QStringLiteral("100000"),
                    QStringLiteral("1"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{overlapText(QStringLiteral("ZL2004000020"), QStringLiteral("王二"))});

        // Returned today and settled: it blocks no longer, though its return came after this dispatch.
        exec(QStringLiteral("update 汽车租赁登记表 set 客户交车='已交', 收车日期='2004-05-01 09:00:00', 帐款结清=true"));
        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='' where 车牌号='苏A00002'"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
        QCOMPARE(count(QStringLiteral("汽车租赁登记表")), 2);
    }

    // Contracts stored overlapping by an earlier version keep their saves; a new dispatch date or
    // term is checked, and a period ending exactly where the other begins passes.
    void changedPeriodsCheckedTouchingPasses()
    {
        contract(QStringLiteral("ZL2004000030"), QStringLiteral("王二"), QStringLiteral("苏A00001"),
                 QStringLiteral("2004-05-02 08:00:00"), 3);
        contract(QStringLiteral("ZL2004000031"), QStringLiteral("王一"), QStringLiteral("苏A00001"),
                 QStringLiteral("2004-05-04 08:00:00"), 2);
        openContracts(dm);
        dm.q_qczlb.last();
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        type(d.fieldFor(QStringLiteral("备注")), QStringLiteral("改期"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});

        retypeDispatch(d, QStringLiteral("20040505"), QStringLiteral("075959"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{overlapText(QStringLiteral("ZL2004000030"), QStringLiteral("王二"))});
        QCOMPARE(row(QStringLiteral("select 发车日期 from 汽车租赁登记表 where 内部编号='ZL2004000031'")),
                 QStringLiteral("2004-05-04 08:00:00"));
        retypeDispatch(d, QStringLiteral("20040505"), QStringLiteral("080000"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});

        // The earlier contract lengthened by a day reaches into the later one.
        dm.q_qczlb.first();
        type(d.fieldFor(QStringLiteral("租赁期限")), QStringLiteral("4"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{overlapText(QStringLiteral("ZL2004000031"), QStringLiteral("王一"))});
        QCOMPARE(d.focusWidget(), d.field(QStringLiteral("DBDateTimeEditEh1")));
    }

    // A reservation over a contract or another reservation is asked about, 否 the default.
    void reservationOverlapAsked()
    {
        contract(QStringLiteral("ZL2004000040"), QStringLiteral("王二"), QStringLiteral("苏A00001"),
                 QStringLiteral("2004-05-02 08:00:00"), 3);
        reopen(dm.q_khydqc, {QStringLiteral("select * from 客户预订汽车 "), QStringLiteral("where 执行完毕='否'"),
                             QStringLiteral("order by 内部编号")});
        TForm_khydqc list(nullptr, &dm);
        TForm_khydqc_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        // From the contract's planned end: nothing to ask.
        typeBooking(d, QStringLiteral("K001 王一"), QStringLiteral("苏A00001"), QStringLiteral("20040505"), QStringLiteral("080000"),
                    QStringLiteral("2"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
        const QString first = scalar(QStringLiteral("select 内部编号 from 客户预订汽车")).toString();

        typeBooking(d, QStringLiteral("K002 王二"), QStringLiteral("苏A00001"), QStringLiteral("20040504"), QStringLiteral("100000"),
                    QStringLiteral("2"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.shown().size(), 1);
        const Msg::Request asked = msgs.shown().first().request;
        QCOMPARE(asked.text, QStringLiteral("与租赁 ZL2004000040 (王二) 时间重叠，仍然保存吗?"));
        QCOMPARE(asked.caption, QStringLiteral("请选择"));
        QCOMPARE(asked.defaultButton, Msg::Button::No);
        QCOMPARE(count(QStringLiteral("客户预订汽车")), 1);
        QVERIFY(d.adding());
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("客户姓名"))), QStringLiteral("王二"));
        QCOMPARE(fieldText(d.field(QStringLiteral("DBDateTimeEditEh1"))), QStringLiteral("2004-05-04"));

        // Past the contract, over the first reservation: asked about that one; 是 saves.
        retypeDispatch(d, QStringLiteral("20040506"), QStringLiteral("100000"));
        msgs.clear();
        msgs.script(Msg::Button::Yes);
        d.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{QStringLiteral("与预订 %1 (王一) 时间重叠，仍然保存吗?").arg(first), Saved}));
        QCOMPARE(row(QStringLiteral("select 客户姓名, 发车日期, 执行完毕 from 客户预订汽车 where 内部编号<>'") + first
                     + QStringLiteral("'")),
                 QStringLiteral("王二/2004-05-06 10:00:00/否"));
        // Saved again with its period as it was: asked no more.
        type(d.fieldFor(QStringLiteral("备注")), QStringLiteral("已确认"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
    }

    // A vehicle out or in repair is not sent out on a new contract, nor on a contract moved to it;
    // a contract saved again on its own vehicle goes through.
    void vehicleOutOrInRepairNotSentOut()
    {
        exec(QStringLiteral("update 汽车档案 set 车辆状态='维修' where 车牌号='苏A00002'"));
        contract(QStringLiteral("ZL2004000050"), QStringLiteral("王二"), QStringLiteral("苏A00001"),
                 QStringLiteral("2004-05-01 08:00:00"), 3);
        reopen(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        type(d.fieldFor(QStringLiteral("备注")), QStringLiteral("续"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
        type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00002"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("车辆 苏A00002 的状态是维修，不能出租!")});
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("车牌号")));
        d.cancelButton->click();

        // Out on ZL2004000050 until 4 May: not sent out again from 10 May either.
        typeBooking(d, QStringLiteral("K001 王一"), QStringLiteral("苏A00001"), QStringLiteral("20040510"), QStringLiteral("080000"),
                    QStringLiteral("1"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("车辆 苏A00001 的状态是出租，不能出租!")});
        type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00002"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("车辆 苏A00002 的状态是维修，不能出租!")});
        QCOMPARE(count(QStringLiteral("汽车租赁登记表")), 1);
        QCOMPARE(row(QStringLiteral("select 车辆状态 from 汽车档案 where 车牌号 in ('苏A00001', '苏A00002') order by 车牌号")),
                 QStringLiteral("出租,维修"));
    }

    // Two workstations type contracts of one vehicle for overlapping days; both pass the early
    // check, then the first stores its contract and the second, checked again under the write
    // lock, is told and stores nothing.
    void twoWorkstationsOneWins()
    {
        TDm1 other;
        QString err;
        QVERIFY2(other.connect(Paths::databaseFile(), &err), qPrintable(err));
        openContracts(dm);
        openContracts(other);
        TForm_qczlb listA(nullptr, &dm);
        TForm_qczlb_edit a(&listA, &dm);
        a.fillDropDowns();
        TForm_qczlb listB(nullptr, &other);
        RacingContractDialog b(&listB, &other);
        b.fillDropDowns();
        typeBooking(a, QStringLiteral("K001 王一"), QStringLiteral("苏A00001"), QStringLiteral("20040502"), QStringLiteral("080000"),
                    QStringLiteral("3"));
        typeBooking(b, QStringLiteral("K002 王二"), QStringLiteral("苏A00001"), QStringLiteral("20040503"), QStringLiteral("080000"),
                    QStringLiteral("3"));
        Msg::Recorder msgs;
        b.beforeWrite = [&] { a.saveButton->click(); };
        b.saveButton->click();
        const QString refused = overlapText(QStringLiteral("ZL2004000001"), QStringLiteral("王一"));
        QCOMPARE(msgs.texts(), (QStringList{Saved, QStringLiteral("存盘没有成功:") + refused}));
        QCOMPARE(row(QStringLiteral("select 内部编号, 客户姓名 from 汽车租赁登记表")), QStringLiteral("ZL2004000001/王一"));
        QCOMPARE(vehicle(QStringLiteral("苏A00001")), QStringLiteral("出租/王一/2004-05-02 08:00:00/1"));
        // The second still holds what was typed; tried again, it is refused before writing.
        QVERIFY(b.adding());
        QCOMPARE(fieldText(b.fieldFor(QStringLiteral("客户姓名"))), QStringLiteral("王二"));
        b.beforeWrite = {};
        msgs.clear();
        b.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{refused});
        QCOMPARE(count(QStringLiteral("汽车租赁登记表")), 1);
        other.disconnect();
    }
};

QTEST_MAIN(TestAvailability)
#include "test_availability.moc"
