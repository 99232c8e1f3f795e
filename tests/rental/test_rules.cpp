// The rental rules without a window: numbers, rent due, the checks, and the vehicle and
// reservation writes on a real database.
#include "data/creation.h"
#include "data/database.h"
#include "rental/rentalrules.h"
#include "tests/pg/serverdb.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Rental;

class TestRentalRules : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    Database db;

    QVariant scalar(const QString& sql)
    {
        QSqlQuery q = db.run(sql);
        return q.next() ? q.value(0) : QVariant();
    }

private Q_SLOTS:
    void initTestCase()
    {
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString file = ServerDb::location(dir, QStringLiteral("qczl.db"));
        QVERIFY(createDatabase(file, QDate(2004, 5, 1)));
        QVERIFY(db.open(file));
    }

    void numbersFollowTheHighestStored()
    {
        QCOMPARE(nextNumber(QString(), ContractPrefix).number, QStringLiteral("ZL2004000001"));
        QCOMPARE(nextNumber(QString(), ReservationPrefix).number, QStringLiteral("YD2004000001"));
        QCOMPARE(nextNumber(QStringLiteral("ZL2004000123"), ContractPrefix).number, QStringLiteral("ZL2004000124"));
        // The year part is carried over, never taken from the calendar.
        QCOMPARE(nextNumber(QStringLiteral("ZL2004000999"), ContractPrefix).number, QStringLiteral("ZL2004001000"));
        QCOMPARE(nextNumber(QStringLiteral("YD1999999998"), ReservationPrefix).number, QStringLiteral("YD1999999999"));

        // The counter's end and numbers not of our form give no number at all.
        for (const char* highest : {"ZL2004999999", "ZL200400012", "ZL2004ABC123", "ZL2004+00012"}) {
            const Numbering n = nextNumber(QString::fromLatin1(highest), ContractPrefix);
            QVERIFY2(n.number.isEmpty(), highest);
            QVERIFY(!n.refusal.isEmpty());
        }
        QVERIFY(nextNumber(QStringLiteral("ZL2004999999"), ContractPrefix).refusal.contains(QStringLiteral("用完")));

        // From the table: the highest stored number, whatever a list shows.
        QCOMPARE(nextNumber(db, ContractTable, ContractPrefix).number, QStringLiteral("ZL2004000001"));
        db.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号) values ('ZL2004000123')"));
        db.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号) values ('ZL2004000007')"));
        QCOMPARE(nextNumber(db, ContractTable, ContractPrefix).number, QStringLiteral("ZL2004000124"));
        QVERIFY(numberStored(db, ContractTable, QStringLiteral("ZL2004000007")));
        QVERIFY(!numberStored(db, ContractTable, QStringLiteral("ZL2004000124")));
        db.execute(QStringLiteral("delete from 汽车租赁登记表"));
    }

    void rentDueIsExact()
    {
        QCOMPARE(rentDue(3, QStringLiteral("120.5")), std::optional<Money>(Money::parse(QStringLiteral("361.5"))));
        QCOMPARE(rentDue(QStringLiteral("7"), QStringLiteral("0.0001")), std::optional<Money>(Money::fromUnits(7)));
        // 3 days at 33.3333 is 99.9999, not 100.
        QCOMPARE(rentDue(3, QStringLiteral("33.3333"))->toString(4), QStringLiteral("99.9999"));
        QVERIFY(!rentDue(3, QVariant()).has_value());
        QVERIFY(!rentDue(QString(), QStringLiteral("120")).has_value());
        QVERIFY(!rentDue(3, QStringLiteral("  ")).has_value());
    }

    void customerChecksInOrder()
    {
        const QDateTime may1(QDate(2004, 5, 1), QTime(0, 0));
        const QDateTime may2(QDate(2004, 5, 2), QTime(0, 0));
        // A start without an end is refused before anything else, even an empty number.
        QCOMPARE(checkCustomer({{}, {}, may1, {}})->message, QStringLiteral("终止日期小于起始日期,请重新输入!"));
        QCOMPARE(checkCustomer({QStringLiteral("K1"), QStringLiteral("甲"), may2, may1})->column, QStringLiteral("终止日期"));
        QVERIFY(!checkCustomer({QStringLiteral("K1"), QStringLiteral("甲"), may1, may1}));
        QVERIFY(!checkCustomer({QStringLiteral("K1"), QStringLiteral("甲"), {}, may1}));
        QCOMPARE(checkCustomer({QStringLiteral(" "), QStringLiteral("甲"), {}, {}})->message,
                 QStringLiteral("客户号不能为空,请重新输入!"));
        QCOMPARE(checkCustomer({QStringLiteral("K1"), {}, {}, {}})->message, QStringLiteral("客户姓名不能为空,请重新输入!"));
    }

    void bookingChecks()
    {
        const QDateTime at(QDate(2004, 5, 1), QTime(14, 30));
        BookingValues b{QStringLiteral("苏A1"), QStringLiteral("K1"), QStringLiteral("甲"), at, 1};
        QVERIFY(!checkContract(b));
        b.days = 0;
        QCOMPARE(checkContract(b)->message, QStringLiteral("租赁期限不能为空,请重新输入!"));
        b.days = QVariant();
        QCOMPARE(checkContract(b)->column, QStringLiteral("租赁期限"));
        b.dispatch = {};
        QCOMPARE(checkContract(b)->message, QStringLiteral("发车日期不能为空,请重新输入!"));
        QCOMPARE(checkReservation(b, at.date())->message, QStringLiteral("预订日期不能为空,请重新输入!"));
        b.name.clear();
        QCOMPARE(checkContract(b)->message, QStringLiteral("姓名不能为空,请重新输入!"));
        QCOMPARE(checkContract(b)->column, QStringLiteral("客户号"));  // the name follows the customer drop-down
        b.plate.clear();
        QCOMPARE(checkReservation(b, at.date())->message, QStringLiteral("车牌号不能为空,请重新输入!"));

        // A reservation may start any time today, never yesterday; its days are not checked.
        BookingValues r{QStringLiteral("苏A1"), QStringLiteral("K1"), QStringLiteral("甲"), QDateTime(QDate(2004, 5, 1), QTime(0, 0)),
                        QVariant()};
        QVERIFY(!checkReservation(r, QDate(2004, 5, 1)));
        r.dispatch = QDateTime(QDate(2004, 4, 30), QTime(23, 59, 59));
        QCOMPARE(checkReservation(r, QDate(2004, 5, 1))->message, QStringLiteral("预订日期不能小于当前日期,请重新输入!"));
    }

    void vehicleAndReservationWrites()
    {
        db.execute(QStringLiteral("insert into 汽车档案 (车牌号, 车辆状态) values ('苏A12345', '空闲')"));
        const QDateTime at(QDate(2004, 5, 3), QTime(14, 30));
        // Plates compare without regard to the case of Latin letters, as everywhere.
        QVERIFY(vehicleExists(db, QStringLiteral("苏a12345")));
        QVERIFY(!vehicleExists(db, QStringLiteral("苏A1234")));
        QVERIFY(markVehicleRented(db, QStringLiteral("苏A12345"), QStringLiteral("张三"), at));
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select 车辆状态, 客户姓名, 租赁时间, 开始生效 from 汽车档案")),
                 QStringLiteral("出租/张三/2004-05-03 14:30:00/1"));
        // An unknown plate writes nothing and creates no row.
        QVERIFY(!markVehicleRented(db, QStringLiteral("苏Z0"), QStringLiteral("X"), at));
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车档案")).toInt(), 1);

        QVERIFY(setVehicleReservation(db, QStringLiteral("苏A12345"), QStringLiteral("李四"), at, 3));
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select 预订人, 预订日期, 预订期限 from 汽车档案")),
                 QStringLiteral("李四/2004-05-03 14:30:00/3"));
        QVERIFY(clearVehicleReservation(db, QStringLiteral("苏A12345")));
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select 预订人, 预订日期, 预订期限 from 汽车档案"), QStringLiteral("null")),
                 QStringLiteral("/null/null"));
        db.execute(QStringLiteral("delete from 汽车档案"));
    }

    void staleLinksAreCleared()
    {
        db.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号) values ('ZL2004000001')"));
        db.execute(QStringLiteral("insert into 客户预订汽车 (内部编号, 执行完毕, 租赁内部编号) values "
                                  "('YD2004000001', '否', 'ZL2004000001'), ('YD2004000002', '否', 'ZL2004000002'), "
                                  "('YD2004000003', '是', 'ZL2004000003'), ('YD2004000004', '否', null)"));
        // Only the open reservation tied to a number never saved loses its tie.
        QCOMPARE(clearStaleLinks(db), 1);
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select 租赁内部编号 from 客户预订汽车 order by 内部编号"),
                                    QStringLiteral("-")),
                 QStringLiteral("ZL2004000001,-,ZL2004000003,-"));
        QCOMPARE(closeLinkedReservations(db, QStringLiteral("ZL2004000001")), 1);
        linkReservation(db, QStringLiteral("YD2004000004"), QStringLiteral("ZL2004000009"));
        QCOMPARE(scalar(QStringLiteral("select 租赁内部编号 from 客户预订汽车 where 内部编号='YD2004000004'")).toString(),
                 QStringLiteral("ZL2004000009"));
        QCOMPARE(scalar(QStringLiteral("select 执行完毕 from 客户预订汽车 where 内部编号='YD2004000001'")).toString(),
                 QStringLiteral("是"));
        db.execute(QStringLiteral("delete from 客户预订汽车"));
        db.execute(QStringLiteral("delete from 汽车租赁登记表"));
    }
};

QTEST_GUILESS_MAIN(TestRentalRules)
#include "test_rules.moc"
