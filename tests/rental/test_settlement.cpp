// The settlement calculation without a window: the worked example, the day count from the dates,
// lump-sum mode, the refund floor, the open account, the checks in their order, exact money.
#include "rental/settlement.h"

#include <QTest>

using namespace Settlement;

namespace {

Money m(const char* text)
{
    return *Money::parse(QString::fromLatin1(text));
}
QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2004, 3, day), QTime(hour, minute));
}

// The worked example: 1 March 08:00 at 10000 km to 4 March 10:00 at 10950 km.
Input example()
{
    Input in;
    in.dispatch = at(1, 8);
    in.returned = at(4, 10);
    in.odometerOut = 10000;
    in.odometerIn = 10950;
    in.rate = m("200");
    in.allowance = 300;
    in.excessRate = m("0.5");
    in.overtimeHours = 2;
    in.overtimeRate = m("20");
    in.extras[0] = m("50");  // 汽油费
    in.advance = m("500");
    in.deposit = m("1000");
    in.received = m("700");
    in.settled = true;
    in.total = m("700");
    return in;
}

}  // namespace

class TestSettlement : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workedExample()
    {
        const Result r = calculate(example());
        QCOMPARE(r.days, 3);
        QCOMPARE(r.rent, m("600"));
        QCOMPARE(r.excessKm, 50);
        QCOMPARE(r.excessFee, m("25"));
        QCOMPARE(r.overtimeFee, m("40"));
        QCOMPARE(r.subtotal, m("665"));
        QCOMPARE(r.extrasTotal, m("50"));
        QCOMPARE(r.total, m("715"));
        QCOMPARE(r.receivable, Money());
        QCOMPARE(r.refund, m("800"));
        QVERIFY(!r.lumpSum && !r.extras && !r.overtimeHours);
    }

    void daysFromTheDates_data()
    {
        QTest::addColumn<QDateTime>("to");
        QTest::addColumn<int>("days");
        QTest::newRow("3 d") << at(4, 0) << 3;
        QTest::newRow("3 d 12 h: half to even") << at(4, 12) << 4;
        QTest::newRow("2 d 12 h: half to even") << at(3, 12) << 2;
        QTest::newRow("2 d 11 h") << at(3, 11) << 2;
        QTest::newRow("2 d 13 h") << at(3, 13) << 3;
        QTest::newRow("2 d 12 h 1 min") << at(3, 12, 1) << 3;
        QTest::newRow("same moment") << at(1, 0) << 0;
    }
    void daysFromTheDates()
    {
        QFETCH(QDateTime, to);
        QFETCH(int, days);
        QCOMPARE(daysBetween(at(1, 0), to), days);
        Input in = example();
        in.dispatch = at(1, 0);
        in.returned = to;
        in.odometerIn = in.odometerOut;
        QCOMPARE(calculate(in).rent, in.rate * days);
        // Typed days win over the dates.
        in.daysTyped = true;
        in.days = 7.5;
        QCOMPARE(calculate(in).days, 8);
        // Across the end of daylight saving time the calendar still counts whole days.
        QCOMPARE(daysBetween(QDateTime(QDate(2004, 10, 30), QTime(8, 0)), QDateTime(QDate(2004, 11, 1), QTime(8, 0))), 2);
    }

    void lumpSumReplacesEverything()
    {
        Input in = example();
        in.lumpSum = m("1600");
        in.settled = true;
        const Result r = calculate(in);
        QVERIFY(r.lumpSum);
        QCOMPARE(r.days, 3);  // still written from the dates
        QCOMPARE(r.rent, Money());
        QCOMPARE(r.excessKm, 0);
        QCOMPARE(r.overtimeFee, Money());
        QCOMPARE(r.overtimeHours.value_or(-1), 0);
        QVERIFY(r.extras && std::all_of(r.extras->begin(), r.extras->end(), [](const Money& x) { return x == Money(); }));
        QCOMPARE(r.extrasTotal, Money());
        QCOMPARE(r.total, m("1600"));
        QCOMPARE(r.receivable, m("1600"));  // even though settled
        // The refund is not floored here.
        in.received = m("1600");
        QCOMPARE(calculate(in).refund, m("-100"));
    }

    void settledAndOpenAccounts()
    {
        Input in = example();
        in.received = m("2000");  // more than the advance and the deposit
        QCOMPARE(calculate(in).refund, Money());
        in.settled = false;
        in.received = m("300");
        in.refund = m("12.34");
        const Result open = calculate(in);
        QCOMPARE(open.receivable, m("415"));
        QCOMPARE(open.refund, m("12.34"));  // left as it was
        QCOMPARE(receivableOnSave(false, m("715"), m("300")), m("415"));
        QCOMPARE(receivableOnSave(true, m("715"), m("300")), Money());
    }

    void distanceAndOvertimeEdges()
    {
        Input in = example();
        in.odometerIn = 10900;  // exactly the allowance
        in.overtimeHours = 0;
        Result r = calculate(in);
        QCOMPARE(r.excessKm, 0);
        QCOMPARE(r.excessFee, Money());
        QCOMPARE(r.overtimeFee, Money());
        in.allowance = 0;  // no allowance: every kilometre
        QCOMPARE(calculate(in).excessKm, 900);
        in.overtimeHours = 2.5;  // half to even
        QCOMPARE(calculate(in).overtimeFee, m("40"));
    }

    void exactMoney()
    {
        Input in = example();
        in.dispatch = at(1, 0);
        in.returned = at(4, 0);
        in.rate = m("0.3333");
        in.allowance = 0;
        in.excessRate = m("0.0001");
        in.odometerOut = 0;
        in.odometerIn = 12345;
        in.overtimeHours = 0;
        in.extras = {};
        const Result r = calculate(in);
        QCOMPARE(r.rent.toString(4), QStringLiteral("0.9999"));
        QCOMPARE(r.excessFee.toString(4), QStringLiteral("1.2345"));
        QCOMPARE(r.total.toString(4), QStringLiteral("2.2344"));
    }

    // Amounts a save accepts can still multiply or add up past the range: the calculation is then
    // refused as a whole instead of giving a wrapped amount.
    void beyondTheRange()
    {
        Input in = example();
        in.daysTyped = true;
        in.rate = m("99999999999.9999");
        in.days = 9300;
        Result r = calculate(in);
        QVERIFY(r.outOfRange);
        QCOMPARE(r.total, Money());
        in.days = 9000;  // 899,999,999,999,999.1 of rent: within the range, exact
        in.extras = {};
        in.odometerIn = in.odometerOut;
        in.overtimeHours = 0;
        r = calculate(in);
        QVERIFY(!r.outOfRange);
        QCOMPARE(r.total.toString(), QStringLiteral("899999999999999.1000"));
        in.days = 9220;  // the rent alone still within the range, the extras push the total over
        QVERIFY(!calculate(in).outOfRange);
        in.extras.fill(m("99999999999.9999"));
        QVERIFY(calculate(in).outOfRange);
        in.extras = {};
        in.excessRate = m("99999999999.9999");
        in.allowance = 0;
        in.odometerIn = in.odometerOut + 100000;
        QVERIFY(calculate(in).outOfRange);
    }

    void checksInOrder()
    {
        Input in = example();
        in.returned = {};
        QCOMPARE(check(in)->message, QStringLiteral("收车日期小于发车日期,请重新输入!"));
        in.returned = in.dispatch;  // the same moment is a return
        QVERIFY(!check(in));
        in.odometerIn = 9999;
        QCOMPARE(check(in)->column, QStringLiteral("收车里程"));
        in.odometerIn = 10000;
        in.received = m("-1");
        QCOMPARE(check(in)->message, QStringLiteral("实收金额不能小于0,请重新输入!"));
        in.received = Money();
        const auto nothing = check(in);
        QCOMPARE(nothing->message, QStringLiteral("没有实收金额,不能帐款结清,请重新输入!"));
        QVERIFY(nothing->untickSettled);
        in.settled = false;
        QVERIFY(!check(in));
        // A first calculation: nothing charged yet, so money received is refused.
        in.total = Money();
        in.received = m("100");
        QCOMPARE(check(in)->message, QStringLiteral("实收金额不能大于应收金额,请重新输入!"));
        QVERIFY(!check(in)->untickSettled);
    }

    // A negative amount that did not come through the fields (an older row, a copy) never lowers a
    // total: refused by its column, after the return and 实收金额 checks.
    void negativeAmountsRefused_data()
    {
        QTest::addColumn<QString>("column");
        QTest::newRow("extra") << "汽油费";
        QTest::newRow("last extra") << "陪练费";
        QTest::newRow("lump sum") << "包干价";
        QTest::newRow("overtime hours") << "超时小时";
        QTest::newRow("typed days") << "租赁期限";
        QTest::newRow("rate") << "租赁单价";
        QTest::newRow("deposit") << "押金";
        QTest::newRow("allowance") << "每天限驶里程";
    }

    void negativeAmountsRefused()
    {
        QFETCH(QString, column);
        Input in = example();
        QVERIFY(!check(in));
        const int extra = ExtraColumns.indexOf(column);
        if (extra >= 0)
            in.extras[extra] = m("-100");
        else if (column == QStringLiteral("包干价"))
            in.lumpSum = m("-50");
        else if (column == QStringLiteral("超时小时"))
            in.overtimeHours = -5;
        else if (column == QStringLiteral("租赁期限")) {
            in.daysTyped = true;
            in.days = -1;
        } else if (column == QStringLiteral("租赁单价"))
            in.rate = m("-0.0001");
        else if (column == QStringLiteral("押金"))
            in.deposit = m("-1");
        else
            in.allowance = -1;
        const auto r = check(in);
        QVERIFY(r);
        QCOMPARE(r->message, column + QStringLiteral("不能小于0,请重新输入!"));
        QCOMPARE(r->column, column);
        QVERIFY(!r->untickSettled);
        // The earlier checks still come first.
        in.received = m("-1");
        QCOMPARE(check(in)->column, QStringLiteral("实收金额"));
    }
};

QTEST_GUILESS_MAIN(TestSettlement)
#include "test_settlement.moc"
