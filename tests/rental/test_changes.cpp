// 续租 and 换车 of an open contract on a real database (both engines): each one transaction that
// writes the contract, the vehicles and one change-log row, or nothing; the overlap rules on the
// added days and on the vehicle taken over; a change made elsewhere meanwhile refused as a
// conflict; and 续租 driven from the contract list, its row and the contract dialog's history
// following.
#include "fixture.h"
#include "data/columns.h"
#include "data/datamodule.h"
#include "data/versions.h"
#include "rental/bookings.h"
#include "rental/changedialogs.h"
#include "rental/contractchanges.h"
#include "ui/common/calculator.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/records/writefailure.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Rental;

namespace {
const QString ZL1 = QStringLiteral("ZL2004000001");
const QString ConflictText = QStringLiteral("该记录已被其他用户修改或删除,请关闭窗口后重新打开!");
}  // namespace

class TestChanges : public RentalFixture {
    Q_OBJECT

    Database& db() { return dm.ADO_qczl; }

    void addContract(const QString& number, const QString& plate, const QString& name, const QString& dispatch, int days,
                     const QVariant& rate, int startOdometer)
    {
        exec(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 租赁单价, 发车里程, "
                            "应收租金, 客户交车, 帐款结清) values (?, 'K001', ?, ?, ?, ?, ?, ?, 123, '没有', false)"),
             {number, name, plate, dispatch, days, rate, startOdometer});
    }
    void addReservation(const QString& number, const QString& plate, const QString& name, const QString& from, int days)
    {
        exec(QStringLiteral("insert into 客户预订汽车 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 执行完毕) "
                            "values (?, 'K002', ?, ?, ?, ?, '否')"),
             {number, name, plate, from, days});
    }
    // Contracts, reservations and the log emptied; the fleet of the fixture plus the vehicles a
    // swap meets, 苏A00001 out on ZL1 (王一, 3 days from now, 发车里程 1000, 100 a day).
    void reset()
    {
        exec(QStringLiteral("delete from 汽车租赁登记表"));
        exec(QStringLiteral("delete from 客户预订汽车"));
        exec(QStringLiteral("delete from 租赁变更记录"));
        exec(QStringLiteral("delete from 汽车档案 where 车牌号 not in ('苏A00001', '苏A00002', '苏B99999')"));
        exec(QStringLiteral("update 汽车档案 set 车辆状态='空闲', 客户姓名='', 租赁时间=null, 公里数=20000"));
        exec(QStringLiteral("update 汽车档案 set 车辆状态='出租', 客户姓名='王一', 公里数=900 where 车牌号='苏A00001'"));
        exec(QStringLiteral("insert into 汽车档案 (车牌号, 车辆状态, 停用, 公里数) values ('苏A00003', '出租', 0, 1), "
                            "('苏A00004', '维修', 0, 1), ('苏A00005', '空闲', 0, 1), ('苏A00006', '空闲', 0, 1), "
                            "('苏A00007', '空闲', 0, 7000)"));
        addContract(ZL1, QStringLiteral("苏A00001"), QStringLiteral("王一"), QStringLiteral("2004-05-01 09:30:00"), 3,
                    QStringLiteral("100"), 1000);
    }
    QString changes()
    {
        return row(QStringLiteral("select 内部编号, 变更项目, 原值, 新值, 里程, 操作员 from 租赁变更记录 order by __rk"),
                   QStringLiteral("-"));
    }
    QString contract(const QString& number = ZL1)
    {
        return row(QStringLiteral("select 车牌号, 租赁期限, 发车里程 from 汽车租赁登记表 where 内部编号='") + number
                   + QStringLiteral("'"));
    }
    Money rentDueOf(const QString& number = ZL1)
    {
        return Money::fromVariant(
            scalar(QStringLiteral("select 应收租金 from 汽车租赁登记表 where 内部编号='") + number + QStringLiteral("'")));
    }
    QString fleet() { return row(QStringLiteral("select 车牌号, 车辆状态, 客户姓名, 公里数 from 汽车档案 order by 车牌号")); }
    static ExtendRequest extend(qint64 seen, qint64 days, bool accepted = false)
    {
        return {
            .number = ZL1, .seenDays = seen, .newDays = days, .reservationAccepted = accepted, .operatorName = QStringLiteral("张三")};
    }
    static SwapRequest swap(const QString& to, qint64 odometer = 1300, qint64 newOdometer = 20000)
    {
        return {.number = ZL1,
                .seenPlate = QStringLiteral("苏A00001"),
                .newPlate = to,
                .odometer = odometer,
                .newOdometer = newOdometer,
                .operatorName = QStringLiteral("张三")};
    }

private Q_SLOTS:
    void initTestCase() { setUp(); }
    void cleanupTestCase() { tearDown(); }

    void extendWritesTermRentDueAndOneLogRow()
    {
        reset();
        // Booked after ZL1: the other contract from the 6th, a reservation from noon of the 5th.
        addContract(QStringLiteral("ZL2004000002"), QStringLiteral("苏A00001"), QStringLiteral("王二"),
                    QStringLiteral("2004-05-06 09:30:00"), 2, QStringLiteral("80"), 0);
        addReservation(QStringLiteral("YD2004000001"), QStringLiteral("苏A00001"), QStringLiteral("O'Brien"),
                       QStringLiteral("2004-05-05 12:00:00"), 1);

        ChangeOutcome out = extendContract(db(), extend(3, 4));
        QVERIFY(out.written);
        QCOMPARE(contract(), QStringLiteral("苏A00001/4/1000"));
        QCOMPARE(rentDueOf(), *Money::parse(QStringLiteral("400")));
        QCOMPARE(changes(), QStringLiteral("ZL2004000001/续租/3天 (至 2004-05-04 09:30:00)/4天 (至 2004-05-05 09:30:00)/-/张三"));
        const QVector<ChangeEntry> history = changeHistory(db(), ZL1);
        QCOMPARE(history.size(), 1);
        QCOMPARE(history[0].at, Clock::now());
        QVERIFY(!history[0].odometer);

        // The added day meets the reservation: asked first (nothing written), then written.
        out = extendContract(db(), extend(4, 5));
        QVERIFY(!out.written);
        QVERIFY(out.refusal.isEmpty());
        QVERIFY(out.reservation);
        QCOMPARE(reservationOverlapQuestion(*out.reservation), QStringLiteral("与预订 YD2004000001 (O'Brien) 时间重叠，仍然保存吗?"));
        QCOMPARE(contract(), QStringLiteral("苏A00001/4/1000"));
        QVERIFY(extendContract(db(), extend(4, 5, true)).written);
        QCOMPARE(contract(), QStringLiteral("苏A00001/5/1000"));

        // Two more days would run into the other contract: refused, nothing written.
        out = extendContract(db(), extend(5, 7, true));
        QCOMPARE(out.refusal, QStringLiteral("该车辆与租赁 ZL2004000002 (王二) 时间重叠，不能存盘!"));
        QVERIFY(!out.written);
        // Neither the same term nor one beyond the field's range.
        QCOMPARE(extendContract(db(), extend(5, 5)).refusal, QStringLiteral("新的租赁期限与原租赁期限相同,请重新输入!"));
        QVERIFY(!extendContract(db(), extend(5, 0)).refusal.isEmpty());
        QVERIFY(!extendContract(db(), extend(5, MaxTerm + 1)).refusal.isEmpty());
        QCOMPARE(contract(), QStringLiteral("苏A00001/5/1000"));
        QCOMPARE(rentDueOf(), *Money::parse(QStringLiteral("500")));

        // A shorter term gives days back and meets nothing.
        QVERIFY(extendContract(db(), extend(5, 2)).written);
        QCOMPARE(rentDueOf(), *Money::parse(QStringLiteral("200")));
        QCOMPARE(changeHistory(db(), ZL1).size(), 3);

        // Without a rate the rent due stays as it was, as a save of the contract leaves it.
        exec(QStringLiteral("update 汽车租赁登记表 set 租赁单价=null where 内部编号=?"), {ZL1});
        QVERIFY(extendContract(db(), extend(2, 3)).written);
        QCOMPARE(rentDueOf(), *Money::parse(QStringLiteral("200")));

        // The log row and the contract are one transaction: a refused log row leaves the term.
        ServerDb::refuseWrites(db(), Versions::changeLogTable(), QStringLiteral("INSERT"), QStringLiteral("locked"));
        QVERIFY_THROWS_EXCEPTION(DbError, extendContract(db(), extend(3, 4)));
        ServerDb::allowWrites(db(), Versions::changeLogTable());
        QCOMPARE(contract(), QStringLiteral("苏A00001/3/1000"));
        QCOMPARE(changeHistory(db(), ZL1).size(), 4);
    }

    // What the clerk saw no longer holds: the conflict of every save, and nothing written.
    void changesMadeElsewhereAreConflicts()
    {
        reset();
        const QString fleetBefore = fleet();
        const auto conflict = [&](const std::function<void()>& change) {
            try {
                change();
                QFAIL("a change on a contract changed elsewhere was written");
            } catch (const DbError& e) {
                QCOMPARE(e.kind(), DbError::Kind::Conflict);
                QCOMPARE(writeFailureText(e, WriteAction::Save), ConflictText);
            }
        };
        conflict([&] { extendContract(db(), extend(2, 5)); });
        conflict([&] {
            SwapRequest r = swap(QStringLiteral("苏A00002"));
            r.seenPlate = QStringLiteral("苏A00009");
            swapVehicle(db(), r);
        });
        exec(QStringLiteral("update 汽车租赁登记表 set 客户交车='已交' where 内部编号=?"), {ZL1});
        conflict([&] { extendContract(db(), extend(3, 5)); });
        exec(QStringLiteral("update 汽车租赁登记表 set 客户交车='没有', 帐款结清=true where 内部编号=?"), {ZL1});
        conflict([&] { swapVehicle(db(), swap(QStringLiteral("苏A00002"))); });
        exec(QStringLiteral("delete from 汽车租赁登记表 where 内部编号=?"), {ZL1});
        conflict([&] { extendContract(db(), extend(3, 5)); });
        QCOMPARE(fleet(), fleetBefore);
        QCOMPARE(changes(), QString());
    }

    void swapMovesVehiclesPlateAndOdometers()
    {
        reset();
        const ChangeOutcome out = swapVehicle(db(), swap(QStringLiteral("苏A00002"), 1300, 20000));
        QVERIFY2(out.written, qPrintable(out.refusal));
        // The old vehicle is back with the odometer read at the swap; the new one is out to the renter
        // since the dispatch.
        QCOMPARE(row(QStringLiteral("select 车辆状态, 客户姓名, 公里数 from 汽车档案 where 车牌号='苏A00001'")),
                 QStringLiteral("空闲//1300"));
        QCOMPARE(vehicle(QStringLiteral("苏A00002")), QStringLiteral("出租/王一/2004-05-01 09:30:00/1"));
        // 300 km driven in the old one ride on the new one's reading: 20000 − 300.
        QCOMPARE(contract(), QStringLiteral("苏A00002/3/19700"));
        QCOMPARE(changes(), QStringLiteral("ZL2004000001/换车/苏A00001/苏A00002/1300/张三"));
    }

    void swapOntoAVehicleNotFreeIsRefused()
    {
        reset();
        // In the rest of ZL1's period [now, the 4th 09:30): a reservation on 苏A00005, a contract
        // on 苏A00006; 苏A00007 is reserved only after it.
        addReservation(QStringLiteral("YD2004000005"), QStringLiteral("苏A00005"), QStringLiteral("王二"),
                       QStringLiteral("2004-05-03 08:00:00"), 2);
        addContract(QStringLiteral("ZL2004000009"), QStringLiteral("苏A00006"), QStringLiteral("王二"),
                    QStringLiteral("2004-05-02 08:00:00"), 1, QStringLiteral("80"), 0);
        addReservation(QStringLiteral("YD2004000007"), QStringLiteral("苏A00007"), QStringLiteral("王二"),
                       QStringLiteral("2004-05-04 09:30:00"), 2);
        const std::optional<OpenContract> c = readContract(db(), ZL1);
        QVERIFY(c);
        QCOMPARE(swapCandidates(db(), *c, Clock::now()), (QStringList{QStringLiteral("苏A00002"), QStringLiteral("苏A00007")}));

        const QString before = contract() + fleet();
        const QList<std::pair<SwapRequest, QString>> refused{
            {swap(QStringLiteral("苏A00003")), QStringLiteral("车辆 苏A00003 的状态是出租，不能出租!")},
            {swap(QStringLiteral("苏A00004")), QStringLiteral("车辆 苏A00004 的状态是维修，不能出租!")},
            {swap(QStringLiteral("苏B99999")), QStringLiteral("车辆 苏B99999 已停用，不能换车!")},
            {swap(QStringLiteral("苏A00005")), QStringLiteral("车辆 苏A00005 与预订 YD2004000005 (王二) 时间重叠，不能换车!")},
            {swap(QStringLiteral("苏A00006")), QStringLiteral("车辆 苏A00006 与租赁 ZL2004000009 (王二) 时间重叠，不能换车!")},
            {swap(QStringLiteral("苏a00001")), QStringLiteral("换用的车辆与原车辆相同,请重新选择!")},
            {swap(QStringLiteral("苏Z00000")), QStringLiteral("汽车档案中没有车牌号苏Z00000")},
            {swap(QStringLiteral("苏A00002"), 999), QStringLiteral("原车里程不能小于发车里程 1000,请重新输入!")},
            {swap(QStringLiteral("苏A00002"), 1300, 100), QStringLiteral("新车里程 100 小于本租赁已行驶的 300 公里，不能换车!")},
        };
        for (const auto& [request, text] : refused) {
            const ChangeOutcome out = swapVehicle(db(), request);
            QCOMPARE(out.refusal, text);
            QVERIFY(!out.written);
        }
        QCOMPARE(contract() + fleet(), before);
        QCOMPARE(changes(), QString());
        // Free after the period is free: the swap onto 苏A00007 goes through.
        QVERIFY(swapVehicle(db(), swap(QStringLiteral("苏A00007"), 1000, 7000)).written);
        QCOMPARE(contract(), QStringLiteral("苏A00007/3/7000"));
    }

    // 续租 from the contract list: the dialog shows the term and the planned return, a return date
    // typed becomes the term, the reservation in the way is asked with 否 as the default, and the
    // list's row and the contract dialog's history show the change.
    void extendFromTheContractList()
    {
        reset();
        addReservation(QStringLiteral("YD2004000001"), QStringLiteral("苏A00001"), QStringLiteral("王二"),
                       QStringLiteral("2004-05-05 12:00:00"), 1);
        open(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
        TForm_qczlb list(nullptr, &dm);
        Msg::Recorder msgs;
        Modal::Recorder modal;
        int shown = 0;
        modal.handler = [&](QDialog* w) {
            ++shown;
            auto* d = qobject_cast<ExtendDialog*>(w);
            QVERIFY(d);
            QCOMPARE(d->windowTitle(), QStringLiteral("续租"));
            QCOMPARE(d->termEdit->text(), QStringLiteral("3"));
            QCOMPARE(d->findChild<QLabel*>(QStringLiteral("plannedLabel"))->text(), QStringLiteral("2004-05-04 09:30:00"));
            type(d->returnDateEdit, QStringLiteral("20040506"));
            QCOMPARE(d->termEdit->text(), QStringLiteral("5"));
            QCOMPARE(d->rentDueLabel->text(), Money::parse(QStringLiteral("500"))->toDisplay());
            d->saveButton->click();  // the question answered by its default, 否
            QCOMPARE(msgs.shown().size(), 1);
            QCOMPARE(msgs.shown()[0].request.defaultButton, Msg::Button::No);
            QCOMPARE(msgs.lastText(), QStringLiteral("与预订 YD2004000001 (王二) 时间重叠，仍然保存吗?"));
            QCOMPARE(scalar(QStringLiteral("select 租赁期限 from 汽车租赁登记表")).toInt(), 3);
            msgs.script(Msg::Button::Yes);
            d->saveButton->click();
            QCOMPARE(msgs.lastText(), QStringLiteral("存盘完毕！"));
        };
        list.moduleButton(QStringLiteral("续租"))->click();
        QCOMPARE(shown, 1);
        QCOMPARE(contract(), QStringLiteral("苏A00001/5/1000"));
        // The row is read again: the list shows the new term, and 编辑 can save it without a conflict.
        QCOMPARE(list.query()->asInteger(Col::租赁期限), 5);
        QCOMPARE(list.query()->asMoney(Col::应收租金), *Money::parse(QStringLiteral("500")));
        {
            TForm_qczlb_edit d(&list, &dm);
            auto* history = d.findChild<ChangeHistoryView*>(QStringLiteral("changeHistory"));
            QVERIFY(history);
            QCOMPARE(history->rowCount(), 1);
            QCOMPARE(history->item(0, 1)->text(), QStringLiteral("续租"));
            QCOMPARE(history->item(0, 3)->text(), QStringLiteral("5天 (至 2004-05-06 09:30:00)"));
            // A new contract has none.
            d.addButton->click();
            QCOMPARE(history->rowCount(), 0);
            d.cancelButton->click();
            QCOMPARE(history->rowCount(), 1);
        }

        // A returned contract takes no change: said, and no dialog.
        exec(QStringLiteral("update 汽车租赁登记表 set 客户交车='已交' where 内部编号=?"), {ZL1});
        msgs.clear();
        list.moduleButton(QStringLiteral("换车"))->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("该租赁的车辆已交，不能续租或换车!")});
        QCOMPARE(shown, 1);
    }
};

QTEST_MAIN(TestChanges)
#include "test_changes.moc"
