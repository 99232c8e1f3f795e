// Stop-hire through the contract and reservation dialogs on a real database: a vehicle whose 养路费,
// 年审, 保险 or 车船税 has expired on the dispatch day, or whose next service mileage is reached, is
// refused before anything is written and again under the save's write lock, asked about or let go as
// the office set each rule; renewed, it goes out. A reservation whose period runs past an expiry is
// asked about; a swap onto such a vehicle is refused; the planner marks it.
#include "fixture.h"
#include "racingdialog.h"
#include "data/businesssettings.h"
#include "rental/availability.h"
#include "rental/bookings.h"
#include "rental/contractchanges.h"
#include "rental/planner.h"
#include "rental/roadworthy.h"
#include "ui/common/messages.h"

#include <QComboBox>
#include <QPushButton>
#include <functional>

namespace {

const QString Saved = QStringLiteral("存盘完毕！");
using StopRule = BusinessSettings::StopRule;


}  // namespace

class TestStopHire : public RentalFixture {
    Q_OBJECT

    int count(const QString& table) { return scalar(QStringLiteral("select count(*) from ") + table).toInt(); }

    void setRule(int rule, StopRule r)
    {
        BusinessSettings s = BusinessSettings::read(dm.ADO_qczl);
        s.stopRules[rule] = r;
        s.write(dm.ADO_qczl);
    }

    void setVehicle(const QString& plate, const QString& column, const QVariant& value)
    {
        exec(QStringLiteral("update 汽车档案 set %1=? where 车牌号=?").arg(column), {value, plate});
    }

    static void typeBooking(BookingDialog& d, const QString& plate, const QString& day, const QString& days)
    {
        d.addButton->click();
        auto* customers = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("客户号")));
        customers->setCurrentIndex(customers->findText(QStringLiteral("K001 王一")));
        d.customerLeft();
        type(d.fieldFor(QStringLiteral("车牌号")), plate);
        type(d.fieldFor(QStringLiteral("租赁期限")), days);
        type(d.field(QStringLiteral("DBDateTimeEditEh1")), day);
        type(d.field(QStringLiteral("DBDateTimeEditEh2")), QStringLiteral("100000"));
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
        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='', 租赁时间=null, 养路费截止时间=null, 年审截止时间=null, "
                            "保险截止时间=null, 车船税截止时间=null, 公里数=null, 下次二保里程=null"));
        exec(QStringLiteral("update 提醒功能初始表 set 项目='二保里程到期' where 序号=5"));
        BusinessSettings().write(dm.ADO_qczl);
    }

    // Now is 1 May 2004. Each expiry set to refuse stops the dispatch, naming the item and the day;
    // a deadline on the dispatch day is due, one on the next day is not; renewed, the vehicle goes out.
    void eachExpiryRefusedUntilRenewed_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("item");
        QTest::newRow("养路费") << QStringLiteral("养路费截止时间") << QStringLiteral("养路费");
        QTest::newRow("年审") << QStringLiteral("年审截止时间") << QStringLiteral("年审");
        QTest::newRow("保险") << QStringLiteral("保险截止时间") << QStringLiteral("保险");
        QTest::newRow("车船税") << QStringLiteral("车船税截止时间") << QStringLiteral("车船税");
    }
    void eachExpiryRefusedUntilRenewed()
    {
        QFETCH(QString, column);
        QFETCH(QString, item);
        const QString plate = QStringLiteral("苏A00001");
        setVehicle(plate, column, QStringLiteral("2004-03-01 00:00:00"));
        openContracts(dm);
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        typeBooking(d, plate, QStringLiteral("20040501"), QStringLiteral("2"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{item + QStringLiteral("已于2004-03-01到期，不能出租!")});
        QCOMPARE(d.focusWidget(), d.fieldFor(QStringLiteral("车牌号")));
        QVERIFY(d.adding());
        QCOMPARE(count(QStringLiteral("汽车租赁登记表")), 0);

        // Due up to the dispatch day itself.
        setVehicle(plate, column, QStringLiteral("2004-05-01 00:00:00"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{item + QStringLiteral("已于2004-05-01到期，不能出租!")});
        // Renewed to the next day: out.
        setVehicle(plate, column, QStringLiteral("2004-05-02 00:00:00"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
        QCOMPARE(vehicle(plate), QStringLiteral("出租/王一/2004-05-01 10:00:00/1"));
    }

    // The service mileage (a warning by default) set to refuse; the item's name comes from the
    // reminder parameters. An unreturned contract moved to such a vehicle is refused as well.
    void mileageRefusedAlsoOnAPlateChange()
    {
        setRule(4, StopRule::Refuse);
        exec(QStringLiteral("update 提醒功能初始表 set 项目='二保到期' where 序号=5"));
        setVehicle(QStringLiteral("苏A00002"), QStringLiteral("公里数"), 30500);
        setVehicle(QStringLiteral("苏A00002"), QStringLiteral("下次二保里程"), 30000);
        openContracts(dm);
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        typeBooking(d, QStringLiteral("苏A00001"), QStringLiteral("20040501"), QStringLiteral("2"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
        type(d.fieldFor(QStringLiteral("车牌号")), QStringLiteral("苏A00002"));
        msgs.clear();
        d.saveButton->click();
        const QString refused = QStringLiteral("苏A00002 已到二保（下次二保里程 30000，现 30500 公里），不能出租!");
        QCOMPARE(msgs.texts(), QStringList{refused});
        QCOMPARE(scalar(QStringLiteral("select 车牌号 from 汽车租赁登记表")).toString(), QStringLiteral("苏A00001"));

        // 换车 onto it is refused the same way; serviced (the next mileage moved on), it is taken.
        const Rental::OpenContract c{.number = scalar(QStringLiteral("select 内部编号 from 汽车租赁登记表")).toString(),
                                     .plate = QStringLiteral("苏A00001"),
                                     .dispatch = QDateTime(QDate(2004, 5, 1), QTime(10, 0)),
                                     .days = 2};
        QCOMPARE(Rental::swapRefusal(dm.ADO_qczl, c, QStringLiteral("苏A00002"), Clock::now()), refused);
        setVehicle(QStringLiteral("苏A00002"), QStringLiteral("下次二保里程"), 35000);
        QCOMPARE(Rental::swapRefusal(dm.ADO_qczl, c, QStringLiteral("苏A00002"), Clock::now()), QString());
    }

    // Another workstation's change seen under the write lock refuses the save; nothing is written.
    void refusedAgainInsideTheSave()
    {
        openContracts(dm);
        TForm_qczlb list(nullptr, &dm);
        RacingContractDialog d(&list, &dm);
        d.fillDropDowns();
        typeBooking(d, QStringLiteral("苏A00001"), QStringLiteral("20040501"), QStringLiteral("2"));
        Msg::Recorder msgs;
        d.beforeWrite = [&] {
            setVehicle(QStringLiteral("苏A00001"), QStringLiteral("年审截止时间"), QStringLiteral("2004-04-30 00:00:00"));
        };
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘没有成功:年审已于2004-04-30到期，不能出租!")});
        QCOMPARE(count(QStringLiteral("汽车租赁登记表")), 0);
        QCOMPARE(row(QStringLiteral("select 车辆状态, 客户姓名 from 汽车档案 where 车牌号='苏A00001'")), QStringLiteral("空闲/"));
    }

    // 只提醒 asks (否 the default, nothing written; 是 dispatches); 不检查 says nothing.
    void warnAsksOffSkips()
    {
        setRule(2, StopRule::Warn);
        setVehicle(QStringLiteral("苏A00001"), QStringLiteral("保险截止时间"), QStringLiteral("2004-03-01 00:00:00"));
        setVehicle(QStringLiteral("苏A00002"), QStringLiteral("保险截止时间"), QStringLiteral("2004-03-01 00:00:00"));
        openContracts(dm);
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        typeBooking(d, QStringLiteral("苏A00001"), QStringLiteral("20040501"), QStringLiteral("2"));
        d.saveButton->click();
        QCOMPARE(msgs.shown().size(), 1);
        QCOMPARE(msgs.shown().first().request.text, QStringLiteral("保险已于2004-03-01到期，仍然出租吗?"));
        QCOMPARE(msgs.shown().first().request.defaultButton, Msg::Button::No);
        QCOMPARE(count(QStringLiteral("汽车租赁登记表")), 0);
        msgs.clear();
        msgs.script(Msg::Button::Yes);
        d.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{QStringLiteral("保险已于2004-03-01到期，仍然出租吗?"), Saved}));

        setRule(2, StopRule::Off);
        typeBooking(d, QStringLiteral("苏A00002"), QStringLiteral("20040501"), QStringLiteral("2"));
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
        QCOMPARE(count(QStringLiteral("汽车租赁登记表")), 2);
    }

    // A reservation whose period runs past an expiry asks first, whatever the rule refuses or warns;
    // one that comes back before it does not.
    void reservationPastAnExpiryAsked()
    {
        setVehicle(QStringLiteral("苏A00001"), QStringLiteral("车船税截止时间"), QStringLiteral("2004-05-12 00:00:00"));
        reopen(dm.q_khydqc, {QStringLiteral("select * from 客户预订汽车 "), QStringLiteral("where 执行完毕='否'"),
                             QStringLiteral("order by 内部编号")});
        TForm_khydqc list(nullptr, &dm);
        TForm_khydqc_edit d(&list, &dm);
        d.fillDropDowns();
        Msg::Recorder msgs;
        // 8 to 10 May: back before the expiry.
        typeBooking(d, QStringLiteral("苏A00001"), QStringLiteral("20040508"), QStringLiteral("2"));
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
        // 10 to 12 May: out on the day it expires.
        typeBooking(d, QStringLiteral("苏A00001"), QStringLiteral("20040510"), QStringLiteral("2"));
        msgs.clear();
        d.saveButton->click();
        const QString asked = QStringLiteral("车船税将于2004-05-12到期，在预订期内，仍然保存吗?");
        QCOMPARE(msgs.texts(), QStringList{asked});
        QCOMPARE(count(QStringLiteral("客户预订汽车")), 1);
        msgs.clear();
        msgs.script(Msg::Button::Yes);
        d.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{asked, Saved}));
        QCOMPARE(count(QStringLiteral("客户预订汽车")), 2);
    }

    // The planner marks the vehicles a rule not set to 不检查 finds due today, with the reasons.
    void plannerMarksDueVehicles()
    {
        setVehicle(QStringLiteral("苏A00001"), QStringLiteral("保险截止时间"), QStringLiteral("2004-03-01 00:00:00"));
        setVehicle(QStringLiteral("苏A00001"), QStringLiteral("公里数"), 30500);
        setVehicle(QStringLiteral("苏A00001"), QStringLiteral("下次二保里程"), 30000);
        setVehicle(QStringLiteral("苏A00002"), QStringLiteral("年审截止时间"), QStringLiteral("2004-05-02 00:00:00"));
        const auto marks = [&] {
            QStringList out;
            for (const Planner::VehicleRow& v : Planner::read(dm.ADO_qczl, Clock::now()).vehicles)
                out << v.plate + QLatin1Char(':') + v.lapses.join(QLatin1Char(';'));
            return out;
        };
        QCOMPARE(marks(),
                 (QStringList{QStringLiteral(
                                  "苏A00001:保险已于2004-03-01到期;苏A00001 已到二保里程（下次二保里程 30000，现 30500 公里）"),
                              QStringLiteral("苏A00002:")}));
        setRule(2, StopRule::Off);
        QCOMPARE(marks().first(), QStringLiteral("苏A00001:苏A00001 已到二保里程（下次二保里程 30000，现 30500 公里）"));
    }
};

QTEST_MAIN(TestStopHire)
#include "test_stophire.moc"
