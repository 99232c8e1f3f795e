// The reports without windows: each fast report against the loops of its description on an awkward
// database, row by row; the accounting months; the detail lines and the summary's differences; the
// scratch table replaced in one transaction.
#include "fixture.h"
#include "core/dates.h"
#include "data/amounts.h"
#include "literal.h"
#include "stats/reports.h"
#include "stats/scratch.h"
#include "data/settings.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <functional>

using namespace Fixture;
using Reports::IncomeCriteria;

namespace {

// Every row of 通用 in insertion order, each value with the kind the engine stored it as.
QVector<QStringList> dump(Database& db)
{
    QVector<QStringList> out;
    QSqlQuery q = db.run(S("select * from 通用 order by __rk"));
    while (q.next()) {
        QStringList r;
        for (int i = 0; i < q.record().count(); ++i)
            if (q.record().fieldName(i) != QLatin1String("__rk"))
                r << (q.value(i).isNull() ? S("null") : S("%1:%2").arg(q.value(i).typeName(), q.value(i).toString()));
        out << r;
    }
    return out;
}

QStringList column(Database& db, const char* name)
{
    QStringList out;
    QSqlQuery q = db.run(S("select %1 from 通用 order by __rk").arg(S(name)));
    while (q.next())
        out << (q.value(0).isNull() ? S("null") : q.value(0).toString());
    return out;
}

// A column of amounts as the program reads them back, to the last of their four decimals.
QStringList amounts(Database& db, const char* name)
{
    QStringList out;
    QSqlQuery q = db.run(S("select %1 from 通用 order by __rk").arg(S(name)));
    while (q.next())
        out << (q.value(0).isNull() ? S("null") : Money::fromValue(q.value(0)).value_or(Money()).toString());
    return out;
}

QSet<QString> distinct(const QStringList& l)
{
    return QSet<QString>(l.begin(), l.end());
}

IncomeCriteria dispatch(const char* from, const char* to)
{
    IncomeCriteria c;
    c.dispatchFrom = S(from);
    c.dispatchTo = S(to);
    return c;
}

IncomeCriteria returned(const char* from, const char* to)
{
    IncomeCriteria c;
    c.returnFrom = S(from);
    c.returnTo = S(to);
    return c;
}

Reports::VehicleCostCriteria cost(const char* plate, const char* from, const char* to, bool r, bool o, bool w, bool a,
                                  bool byReturn = false)
{
    return {
        .plate = S(plate), .from = S(from), .to = S(to), .rental = r, .oil = o, .repair = w, .accident = a, .byReturnDate = byReturn};
}

}  // namespace

class TestStatsReports : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameRowsAsTheLoops_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(cases().size()); ++i)
            QTest::newRow(qPrintable(cases()[i].name)) << i;
    }

    void sameRowsAsTheLoops()
    {
        QFETCH(int, index);
        const Case& c = cases()[index];
        Db db;
        c.literal(db.dm);
        db.dm.q_tongyong.close();
        const QVector<QStringList> expected = dump(db.dm.ADO_qczl);
        c.fast(db.dm.ADO_qczl);
        const QVector<QStringList> actual = dump(db.dm.ADO_qczl);
        if (c.rows >= 0)
            QCOMPARE(expected.size(), c.rows);
        QCOMPARE(actual.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(actual[i], expected[i]);
    }

    void prefixesCaseAndPatterns()
    {
        // What the loops say, spelt out on the March range: A1 collects A12 and a123 (case), B_1
        // collects BX1 as like does, a vehicle with only zero and negative charges gets no row.
        Db db;
        Reports::vehicleIncome(db.dm.ADO_qczl, dispatch("2004-03-01", "2004-03-31"));
        QCOMPARE(column(db.dm.ADO_qczl, "车牌号"), QStringList({S("A1"), S("A12"), S("a123"), S("B_1"), S("BX1")}));
        QCOMPARE(column(db.dm.ADO_qczl, "收费金额"), QStringList({S("1323.9567"), S("523.4567"), S("123.4567"), S("100"), S("70")}));
        // The whole day of a one-day range, up to 23:59:59.
        Reports::vehicleIncome(db.dm.ADO_qczl, dispatch("2004-03-31", "2004-03-31"));
        QCOMPARE(column(db.dm.ADO_qczl, "收费金额"), QStringList({S("400"), S("400")}));
        // Customer 12 entered: 12, 112 and 120 all count.
        IncomeCriteria c = dispatch("2004-01-01", "2004-12-31");
        c.customerNo = S("12");
        Reports::vehicleIncome(db.dm.ADO_qczl, c);
        QCOMPARE(column(db.dm.ADO_qczl, "收费金额"), QStringList({S("703.4567"), S("523.4567"), S("123.4567")}));
        // A return-date range: rows, with empty range dates.
        Reports::vehicleIncome(db.dm.ADO_qczl, returned("2004-03-01", "2004-03-31"));
        QVERIFY(!column(db.dm.ADO_qczl, "车牌号").isEmpty());
        QCOMPARE(distinct(column(db.dm.ADO_qczl, "发车日期")), QSet<QString>{S("null")});
    }

    void accountingMonths()
    {
        using Reports::accountingMonths;
        const auto leap = accountingMonths(S("2004年"), S("1"));
        QCOMPARE(leap.size(), 12);
        QCOMPARE(leap[1].label, S("02月"));
        QCOMPARE(leap[1].start, S("2004-02-1 0:0:0"));
        QCOMPARE(leap[1].end, S("2004-02-29 23:59:59"));
        QCOMPARE(accountingMonths(S("2003"), S("1"))[1].end, S("2003-02-28 23:59:59"));
        QCOMPARE(leap[3].end, S("2004-04-30 23:59:59"));
        const auto late = accountingMonths(S(" 2004年 "), S("26"));
        QCOMPARE(late[0].start, S("2004-01-26 0:0:0"));
        QCOMPARE(late[0].end, S("2004-02-25 23:59:59"));
        QCOMPARE(late[11].start, S("2004-12-26 0:0:0"));
        QCOMPARE(late[11].end, S("2005-01-25 23:59:59"));
        // "01" is not the text "1": the second rule, ending on day 0, which the engine refuses.
        QCOMPARE(accountingMonths(S("2004"), S("01"))[0].end, S("2004-02-0 23:59:59"));
        Db db;
        QVERIFY_THROWS_EXCEPTION(DbError, Reports::monthlyIncome(db.dm.ADO_qczl, {S("2004年"), S("01"), false}));
        QVERIFY_THROWS_EXCEPTION(DbError, accountingMonths(S("2004"), S("x")));
        // No settings file: calendar months.
        QCOMPARE(SysSettings::read(db.dir.filePath(S("missing/sysset.ini"))).hs_date1, S("1"));
    }

    void monthsWithActivity()
    {
        Db db;
        Reports::monthlyIncome(db.dm.ADO_qczl, {S("2004年"), S("1"), false});
        // June has cash only; May's contracts sum to 0 and it has no cash: no row.
        QCOMPARE(column(db.dm.ADO_qczl, "月份"), QStringList({S("01月"), S("02月"), S("03月"), S("04月"), S("06月"), S("12月")}));
        QCOMPARE(column(db.dm.ADO_qczl, "收入差价")[4], S("-240.25"));
        QCOMPARE(column(db.dm.ADO_qczl, "收费金额")[4], S("0"));
        // Start day 26: January runs 01-26 to 02-25 (the 01-25 contract falls out), December into 2005.
        Reports::monthlyIncome(db.dm.ADO_qczl, {S("2004"), S("26"), false});
        QCOMPARE(column(db.dm.ADO_qczl, "月份").first(), S("01月"));
        QCOMPARE(column(db.dm.ADO_qczl, "收费金额").first(), S("1500"));
        QCOMPARE(column(db.dm.ADO_qczl, "月份").last(), S("12月"));
        QCOMPARE(column(db.dm.ADO_qczl, "现金增加").last(), S("5"));
    }

    void detailLines()
    {
        Db db;
        Reports::vehicleDetail(db.dm.ADO_qczl, cost(" a1 ", "2004-03-01", "2004-03-31", false, true, true, false));
        // Oil first, then repairs; every line shows the text entered; repairs negated (a refund turns positive).
        QCOMPARE(column(db.dm.ADO_qczl, "车牌号"), QStringList({S("a1"), S("a1"), S("a1"), S("a1")}));
        QCOMPARE(column(db.dm.ADO_qczl, "备注"), QStringList({S("更换机油: 单价12.5元,数量3"), S("更换机油: 单价100元,数量2"),
                                                              S("车辆维修: 换刹车片"), S("车辆维修: 保修退款")}));
        QCOMPARE(column(db.dm.ADO_qczl, "实收金额"), QStringList({S("-37.5"), S("-250"), S("-300"), S("80")}));
        Reports::vehicleDetail(db.dm.ADO_qczl, cost("A12", "2004-01-01", "2004-12-31", true, false, false, false));
        QCOMPARE(column(db.dm.ADO_qczl, "备注").first(), S("租赁收入: 期限2天应收金额400元"));
        QCOMPARE(Reports::shortAmount(*Money::parse(S("123.4567"))), S("123.4567"));
        QCOMPARE(Reports::shortAmount(Money::fromYuan(-100)), S("-100"));
        // A rental dispatched on the last day and returned after it: listed by dispatch date only.
        Reports::vehicleDetail(db.dm.ADO_qczl, cost("A12", "2004-03-01", "2004-03-31", true, false, false, false, true));
        QVERIFY(!column(db.dm.ADO_qczl, "发车日期").contains(S("2004-03-31 23:59:59")));
    }

    void summaryDifferences()
    {
        Db db;
        Reports::vehicleSummary(db.dm.ADO_qczl, cost("", "2004-03-01", "2004-03-31", true, true, true, true));
        const QStringList plates = column(db.dm.ADO_qczl, "车牌号");
        QCOMPARE(plates.size(), 10);  // every vehicle, D5 twice
        const int a1 = int(plates.indexOf(S("A1")));
        // A1 exactly (a1's refund counts, A12 does not): 800.5 - 37.5 - (300 - 80) - 0.
        QCOMPARE(column(db.dm.ADO_qczl, "实收金额")[a1], S("800.5"));
        QCOMPARE(column(db.dm.ADO_qczl, "押金")[a1], S("220"));
        QCOMPARE(column(db.dm.ADO_qczl, "收入差价")[a1], S("543"));
        // Only repairs: income is minus the repair total; no boxes: zeros everywhere.
        Reports::vehicleSummary(db.dm.ADO_qczl, cost("", "2004-03-01", "2004-03-31", false, false, true, false));
        QCOMPARE(column(db.dm.ADO_qczl, "收入差价")[a1], S("-220"));
        Reports::vehicleSummary(db.dm.ADO_qczl, cost("", "2004-03-01", "2004-03-31", false, false, false, false));
        QCOMPARE(distinct(column(db.dm.ADO_qczl, "收入差价")), QSet<QString>{S("0")});
    }

    void scratchReplacedWhole()
    {
        // A row that cannot be written leaves the previous content: one transaction.
        Db db;
        Reports::vehicleIncome(db.dm.ADO_qczl, dispatch("2004-03-01", "2004-03-31"));
        const auto before = dump(db.dm.ADO_qczl);
        ScratchRows bad({S("车牌号"), S("押金")});
        bad.add({S("X1"), QVariant::fromValue(Money::fromYuan(1))});
        bad.add({S("X2"), S("not money")});
        QVERIFY_THROWS_EXCEPTION(DbError, Scratch::replace(db.dm.ADO_qczl, bad));
        QCOMPARE(dump(db.dm.ADO_qczl), before);
        QCOMPARE(db.dm.ADO_qczl.transactionDepth(), 0);
    }

    void scratchValuesAsGiven()
    {
        // What a report hands the scratch table comes back as it was, on either engine's bulk path:
        // texts with the characters a copy stream escapes, empty and null texts, amounts around
        // their decimal groups and at the edge of storage, a quantity from an amount, dates.
        Db db(false);
        Database& d = db.dm.ADO_qczl;
        const auto yuan = [](qint64 units) { return QVariant::fromValue(Money::fromUnits(units)); };
        ScratchRows rows({S("车牌号"), S("客户姓名"), S("发车日期"), S("租赁期限"), S("押金"), S("实收金额")});
        rows.add({S("a\tb\\c"), S("行一\n行二\r"), S("2004-03-01 12:30:59"), yuan(30000), yuan(0), yuan(1)});
        rows.add({S(""), QVariant(QString()), QVariant(), QVariant(2.5), yuan(-5000), yuan(100000000)});
        rows.add({S("\\N"), S("张三"), QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)), QVariant(), yuan(Money::MaxStoredUnits),
                  yuan(-Money::MaxStoredUnits)});
        rows.add({S("x")});  // columns not given stay empty
        for (int run = 0; run < 2; ++run) {
            Scratch::replace(d, rows);  // a second run replaces the first whole
            QCOMPARE(column(d, "车牌号"), QStringList({S("a\tb\\c"), S(""), S("\\N"), S("x")}));
            QCOMPARE(column(d, "客户姓名"), QStringList({S("行一\n行二\r"), S("null"), S("张三"), S("null")}));
            QCOMPARE(column(d, "租赁期限"), QStringList({S("3"), S("2.5"), S("null"), S("null")}));
            QCOMPARE(amounts(d, "押金"), QStringList({S("0.0000"), S("-0.5000"), S("99999999999.9999"), S("null")}));
            QCOMPARE(amounts(d, "实收金额"), QStringList({S("0.0001"), S("10000.0000"), S("-99999999999.9999"), S("null")}));
            QSqlQuery q = d.run(S("select 发车日期 from 通用 order by __rk"));
            QStringList dates;
            while (q.next())
                dates << (q.value(0).isNull() ? S("null") : Dates::toStorage(Dates::fromVariant(q.value(0))));
            QCOMPARE(dates, QStringList({S("2004-03-01 12:30:59"), S("null"), S("1999-12-31 23:59:59"), S("null")}));
        }
        // An amount past what storage holds, late in the rows, leaves the previous content.
        const auto before = dump(d);
        ScratchRows tooLarge({S("车牌号"), S("押金")});
        for (int i = 0; i < 5000; ++i)
            tooLarge.add({S("X%1").arg(i), yuan(i)});
        tooLarge.add({S("Y"), yuan(Money::MaxStoredUnits + 1)});
        QVERIFY_THROWS_EXCEPTION(DbError, Scratch::replace(d, tooLarge));
        QCOMPARE(dump(d), before);
        QCOMPARE(d.transactionDepth(), 0);
        // The connection goes on after an abandoned copy.
        Scratch::replace(d, rows);
        QCOMPARE(column(d, "车牌号").size(), 4);
    }

    void keysWithEscapedCharacters()
    {
        // Numbers holding what a copy stream escapes (tab, backslash, line break, the null mark)
        // come back from the contracts as stored, matched and shown as the loops would.
        Db db(false);
        Database& d = db.dm.ADO_qczl;
        const QString plate = S("京\tA\\1"), number = S("C\\N\n7"), plain = S("C8");
        d.runNative(S("INSERT INTO 汽车档案 (车牌号) VALUES ('京\tA\\1')"));
        d.runNative(S("INSERT INTO 客户登记表 (客户号, 客户姓名) VALUES ('C\\N\n7', '甲'), ('C8', '乙'), ('\\N', '丙')"));
        for (const char* values : {"'京\tA\\1', 'c\\N\n7', 10", "'京\tA\\1', 'C\\N\n7x', 5", "'京\tA\\1', 'c8', 2",
                                   "'京\tA\\1', NULL, 1000", "'京\tA\\1', '\\N', 7"})
            d.runNative(
                S("INSERT INTO 汽车租赁登记表 (车牌号, 客户号, 收费金额, 发车日期) VALUES (%1, '2004-03-20 10:00:00')").arg(S(values)));
        Reports::vehicleCustomerIncome(d, dispatch("2004-03-01", "2004-03-31"));
        QCOMPARE(column(d, "车牌号"), QStringList({plate, plate, plate}));
        // The customers in the order of their numbers without regard to case (a backslash before c).
        QCOMPARE(column(d, "客户号"), QStringList({S("\\N"), plain, number}));
        QCOMPARE(amounts(d, "收费金额"), QStringList({S("7.0000"), S("2.0000"), S("15.0000")}));
        Reports::customerIncome(d, dispatch("2004-03-01", "2004-03-31"));
        QCOMPARE(column(d, "客户姓名"), QStringList({S("丙"), S("乙"), S("甲")}));
        QCOMPARE(amounts(d, "收费金额"), QStringList({S("7.0000"), S("2.0000"), S("15.0000")}));
    }

    void scratchInBatches()
    {
        // Rows made batch by batch, some batches empty, land in their order; a batch that fails
        // part way leaves the previous content.
        Db db(false);
        Database& d = db.dm.ADO_qczl;
        int made = 0;
        const auto batches = [&](int fail) {
            return [&made, fail](ScratchRows& out) {
                if (made == fail)
                    throw DbError(S("停"));
                if (made % 3 != 1)
                    for (int i = 0; i < 50; ++i)
                        out.add({S("P%1").arg(made * 50 + i), QVariant::fromValue(Money::fromUnits(made))});
                return ++made < 9;
            };
        };
        Scratch::replaceInBatches(d, {S("车牌号"), S("押金")}, batches(-1));
        const QStringList plates = column(d, "车牌号");
        QCOMPARE(plates.size(), 6 * 50);
        QCOMPARE(plates.first(), S("P0"));
        QCOMPARE(plates.last(), S("P449"));
        QCOMPARE(amounts(d, "押金")[60], S("0.0002"));
        const auto before = dump(d);
        made = 0;
        QVERIFY_THROWS_EXCEPTION(DbError, Scratch::replaceInBatches(d, {S("车牌号"), S("押金")}, batches(5)));
        QCOMPARE(dump(d), before);
        QCOMPARE(d.transactionDepth(), 0);
        made = 0;
        Scratch::replaceInBatches(d, {S("车牌号")}, [&made](ScratchRows&) { return ++made < 2; });
        QCOMPARE(column(d, "车牌号"), QStringList());

        // Many rows, given whole or in batches, and a failure part way: the key stays the table's
        // key (a row may not take one already given), and keys go on rising across runs.
        const auto keyHeld = [&d] {
            QSqlQuery q = d.run(S("select min(__rk), max(__rk), count(distinct __rk), count(*) from 通用"));
            if (!q.next() || q.value(2) != q.value(3))
                return false;
            try {
                d.runNative(S("insert into 通用 (__rk, 车牌号) values (%1, 'X')").arg(q.value(0).toLongLong()));
            } catch (const DbError&) {
                return true;
            }
            return false;
        };
        ScratchRows many({S("车牌号")});
        for (int i = 0; i < 1500; ++i)
            many.rows.push_back({S("M%1").arg(i)});
        Scratch::replace(d, many);
        QCOMPARE(column(d, "车牌号").size(), 1500);
        QVERIFY(keyHeld());
        const QString lastKey = ServerDb::rowsText(d, S("select max(__rk) from 通用"));
        made = 0;
        Scratch::replaceInBatches(d, {S("车牌号"), S("押金")}, batches(-1));
        QVERIFY(keyHeld());
        QVERIFY(ServerDb::rowsText(d, S("select min(__rk) from 通用")).toLongLong() > lastKey.toLongLong());
        const auto full = dump(d);
        made = 0;
        QVERIFY_THROWS_EXCEPTION(DbError, Scratch::replaceInBatches(d, {S("车牌号"), S("押金")}, batches(5)));
        QCOMPARE(dump(d), full);
        QVERIFY(keyHeld());
    }

    void amountsOfEveryForm()
    {
        // One contract per customer, so each report's sums are the stored amounts themselves: every
        // form an amount's digits take (fractions alone, whole groups of ten thousand with zero
        // groups after them, negatives, the storage limits, zero and null) comes back unchanged.
        Db db(false);
        Database& d = db.dm.ADO_qczl;
        const QStringList values{S("0.0001"),           S("-0.0001"),           S("10000"),     S("100000000"), S("0.5"),
                                 S("99999999999.9999"), S("-99999999999.9999"), S("1234.0567"), S("0"),         S("NULL"),
                                 S("-20000.0001"),      S("12345678901.2345")};
        QStringList customers, expected, terms;
        for (int i = 0; i < values.size(); ++i) {
            const QString number = S("K%1").arg(i, 2, 10, QLatin1Char('0'));
            customers << number;
            d.runNative(S("INSERT INTO 客户登记表 (客户号, 客户姓名) VALUES ('%1', '客')").arg(number));
            // The charge stays positive (a row needs one); the other amounts carry the forms.
            d.runNative(S("INSERT INTO 汽车租赁登记表 (车牌号, 客户号, 发车日期, 押金, 预收租金, 实收金额, 租赁期限, 收费金额) "
                          "VALUES ('A1', '%1', '2004-03-20 10:00:00', %2, %2, %2, %3, 1)")
                            .arg(number, values[i], values[i] == S("NULL") ? S("NULL") : QString::number(i * 10000 - 3)));
            const auto m = Money::parse(values[i]);
            expected << (m ? m->toString() : S("0.0000"));
            terms << Money::fromUnits(qint64(i * 10000 - 3) * 10000).toString();
        }
        terms[values.indexOf(S("NULL"))] = S("0.0000");
        d.runNative(S("INSERT INTO 汽车档案 (车牌号) VALUES ('A1')"));
        for (const auto& report : {Reports::customerIncome, Reports::vehicleCustomerIncome}) {
            report(d, dispatch("2004-03-01", "2004-03-31"));
            QCOMPARE(column(d, "客户号"), customers);
            for (const char* name : {"押金", "预收租金", "实收金额"})
                QCOMPARE(amounts(d, name), expected);
            QCOMPARE(amounts(d, "租赁期限"), terms);
        }
    }

    void totalsPastTheRangeRefused()
    {
        // One customer's contracts adding up past what any amount can hold: both the engine's sums
        // and the ones made from a server's rows refuse, whatever the order of adding.
        Db db;
        Database& d = db.dm.ADO_qczl;
        d.runNative(S("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9300) "
                      "INSERT INTO 汽车租赁登记表 (车牌号, 客户号, 发车日期, 收费金额) "
                      "SELECT 'A1', '12', '2004-03-20 10:00:00', 99999999999.9999 FROM n"));
        Reports::customerIncome(d, dispatch("2004-01-01", "2004-02-28"));  // outside the range: no fault
        const auto before = dump(d);
        for (const auto& report : {Reports::customerIncome, Reports::vehicleCustomerIncome}) {
            try {
                report(d, dispatch("2004-03-01", "2004-03-31"));
                QFAIL("a total past the range was accepted");
            } catch (const DbError& e) {
                QCOMPARE(e.text(), Amounts::outOfRange());
            }
            QCOMPARE(dump(d), before);
        }
    }

    void likeAsTheEngine()
    {
        QVERIFY(Reports::likeMatches(S("b_1%"), S("BX1")));
        QVERIFY(Reports::likeMatches(S("%a%"), S("xAy")));
        QVERIFY(!Reports::likeMatches(S("a_"), S("a")));
        QVERIFY(Reports::likeMatches(S("%"), S("")));
        QVERIFY(!Reports::likeMatches(S("张%"), S("李张")));
    }

private:
    struct Case {
        QString name;
        std::function<void(TDm1&)> literal;
        std::function<void(Database&)> fast;
        int rows = -1;  // expected row count where the case is meant to produce rows
    };
    static const std::vector<Case>& cases()
    {
        static const std::vector<Case> all = [] {
            std::vector<Case> v;
            const auto income = [&v](const char* name, auto lit, auto fast, IncomeCriteria c, int rows = -1) {
                v.push_back({S(name), [=](TDm1& dm) { lit(dm, c); }, [=](Database& db) { fast(db, c); }, rows});
            };
            IncomeCriteria byCustomer = dispatch("2004-01-01", "2004-12-31");
            byCustomer.customerNo = S("12");
            IncomeCriteria byName = returned("2004-03-01", "2004-04-30");
            byName.customerName = S("张");
            IncomeCriteria byPlate = dispatch("2004-01-01", "2004-12-31");
            byPlate.plate = S("A1");
            IncomeCriteria byPattern = dispatch("2004-01-01", "2004-12-31");
            byPattern.plate = S("b_");
            income("vehicle march", Literal::vehicleIncome, Reports::vehicleIncome, dispatch("2004-03-01", "2004-03-31"), 5);
            income("vehicle customer 12", Literal::vehicleIncome, Reports::vehicleIncome, byCustomer);
            income("vehicle name by return", Literal::vehicleIncome, Reports::vehicleIncome, byName);
            income("vehicle one day", Literal::vehicleIncome, Reports::vehicleIncome, dispatch("2004-03-31", "2004-03-31"), 2);
            income("vehicle nothing", Literal::vehicleIncome, Reports::vehicleIncome, dispatch("2001-01-01", "2001-01-31"), 0);
            income("customer march", Literal::customerIncome, Reports::customerIncome, dispatch("2004-03-01", "2004-03-31"));
            income("customer by return", Literal::customerIncome, Reports::customerIncome, returned("2004-01-01", "2005-12-31"));
            income("customer plate A1", Literal::customerIncome, Reports::customerIncome, byPlate);
            income("customer plate b_", Literal::customerIncome, Reports::customerIncome, byPattern);
            income("pairs march", Literal::vehicleCustomerIncome, Reports::vehicleCustomerIncome,
                   dispatch("2004-03-01", "2004-03-31"));
            income("pairs year", Literal::vehicleCustomerIncome, Reports::vehicleCustomerIncome, dispatch("2004-01-01", "2004-12-31"));
            income("pairs by return", Literal::vehicleCustomerIncome, Reports::vehicleCustomerIncome,
                   returned("2004-03-01", "2004-04-30"));
            income("handler march", Literal::handlerIncome, Reports::handlerIncome, dispatch("2004-03-01", "2004-03-31"), 3);
            income("handler plate A1", Literal::handlerIncome, Reports::handlerIncome, byPlate);
            income("handler plate b_", Literal::handlerIncome, Reports::handlerIncome, byPattern);
            const auto monthly = [&v](const char* name, Reports::MonthlyCriteria c, int rows = -1) {
                v.push_back({S(name), [=](TDm1& dm) { Literal::monthlyIncome(dm, c); },
                             [=](Database& db) { Reports::monthlyIncome(db, c); }, rows});
            };
            monthly("months 2004 day 1", {S("2004年"), S("1"), false}, 6);
            monthly("months 2003 day 1", {S("2003年"), S("1"), false}, 0);
            monthly("months 2004 day 26", {S("2004年"), S("26"), false});
            monthly("months 2004 day 26 by return", {S("2004年"), S("26"), true});
            monthly("months 2004 day 29", {S("2004"), S("29"), false});
            const auto cash = [&v](const char* name, Reports::PeriodCriteria c, int rows = -1) {
                v.push_back({S(name), [=](TDm1& dm) { Literal::cashBySummary(dm, c); },
                             [=](Database& db) { Reports::cashBySummary(db, c); }, rows});
            };
            cash("cash march", {S("2004-03-01"), S("2004-03-31")}, 2);
            cash("cash year", {S("2004-01-01"), S("2004-12-31")}, 3);
            cash("cash one day", {S("2004-03-31"), S("2004-03-31")}, 2);
            cash("cash nothing", {S("2005-02-01"), S("2005-02-28")}, 0);
            const auto costs = [&v](const char* name, auto lit, auto fast, Reports::VehicleCostCriteria c, int rows = -1) {
                v.push_back({S(name), [=](TDm1& dm) { lit(dm, c); }, [=](Database& db) { fast(db, c); }, rows});
            };
            costs("detail A1 all", Literal::vehicleDetail, Reports::vehicleDetail,
                  cost("A1", "2004-03-01", "2004-03-31", true, true, true, true));
            costs("detail a1 by return", Literal::vehicleDetail, Reports::vehicleDetail,
                  cost(" a1", "2004-01-01", "2004-12-31", true, true, true, true, true));
            costs("detail quote", Literal::vehicleDetail, Reports::vehicleDetail,
                  cost("O'", "2004-01-01", "2004-12-31", true, true, true, true));
            costs("detail repairs", Literal::vehicleDetail, Reports::vehicleDetail,
                  cost("1", "2004-03-01", "2004-03-31", false, false, true, false), 2);
            costs("summary all", Literal::vehicleSummary, Reports::vehicleSummary,
                  cost("", "2004-03-01", "2004-03-31", true, true, true, true), 10);
            costs("summary by return", Literal::vehicleSummary, Reports::vehicleSummary,
                  cost("", "2004-01-01", "2004-12-31", true, false, true, false, true), 10);
            costs("summary none", Literal::vehicleSummary, Reports::vehicleSummary,
                  cost("", "2004-03-01", "2004-03-31", false, false, false, false), 10);
            return v;
        }();
        return all;
    }
};

QTEST_GUILESS_MAIN(TestStatsReports)
#include "test_reports.moc"
