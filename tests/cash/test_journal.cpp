// The cash journal's rules on a real database, without a window: the closing month's range, the
// entry checks in their order, balances of new entries, the month balanced again from 0, the
// posting of a settled contract, and the demo tool's journal.
#include "core/dates.h"
#include "data/creation.h"
#include "data/database.h"
#include "cash/journal.h"
#include "tests/pg/serverdb.h"

#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

Money yuan(qint64 y)
{
    return Money::fromYuan(y);
}
Money m(const char* text)
{
    return *Money::parse(QString::fromLatin1(text));
}
QDate d(int y, int mo, int day)
{
    return QDate(y, mo, day);
}

struct Row {
    QDate date;
    Money debit, credit, balance;
    QString note;
};

}  // namespace

class TestJournal : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    Database db;

    void add(const QDate& day, Money debit, Money credit, Money balance, const QString& note = {})
    {
        db.execute(QStringLiteral("insert into 现金日记帐 (日期, 摘要, 借方, 贷方, 余额, 备注) values (?, ?, ?, ?, ?, ?)"),
                   {Dates::toStorage(day), debit != Money() ? Journal::Income : Journal::Expense, debit.toDouble(), credit.toDouble(),
                    balance.toDouble(), note});
    }
    // Rows in the order the list shows them.
    QVector<Row> rows(const QString& where = QStringLiteral("1=1"))
    {
        QVector<Row> out;
        QSqlQuery q = db.run(QStringLiteral("select 日期, 借方, 贷方, 余额, 备注 from 现金日记帐 where ") + where
                             + QStringLiteral(" order by 日期, __rk"));
        while (q.next())
            out.push_back({Dates::fromVariant(q.value(0)).date(), Money::fromVariant(q.value(1)), Money::fromVariant(q.value(2)),
                           Money::fromVariant(q.value(3)), q.value(4).toString()});
        return out;
    }
    QVector<Money> balances(const QString& where = QStringLiteral("1=1"))
    {
        QVector<Money> out;
        for (const Row& r : rows(where))
            out << r.balance;
        return out;
    }
    void clear() { db.execute(QStringLiteral("delete from 现金日记帐")); }
    Journal::Posted post(const QString& contract, Money received, const QDate& today)
    {
        const Journal::Settlement s{
            contract, QStringLiteral("王五"), QStringLiteral("苏A00001"), QStringLiteral("3"), QStringLiteral("李四"), received};
        return Journal::postSettlement(db, s, today, QStringLiteral("张三"), QDateTime(today, QTime(10, 0)));
    }

private Q_SLOTS:
    void initTestCase()
    {
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString location = ServerDb::location(dir, QStringLiteral("qczl.db"));
        QString err;
        QVERIFY2(createDatabase(location, d(2004, 2, 10), &err), qPrintable(err));
        QVERIFY2(db.open(location, &err), qPrintable(err));
    }
    void init() { clear(); }

    void monthOfTheClosingDate()
    {
        QCOMPARE(Journal::monthRange(d(2004, 2, 10)).last, d(2004, 2, 29));
        QCOMPARE(Journal::monthRange(d(2005, 2, 10)).last, d(2005, 2, 28));
        QCOMPARE(Journal::monthRange(d(1900, 2, 1)).last, d(1900, 2, 28));  // not a leap year
        QCOMPARE(Journal::monthRange(d(2000, 2, 1)).last, d(2000, 2, 29));
        QCOMPARE(Journal::monthRange(d(2004, 12, 31)).first, d(2004, 12, 1));
        QCOMPARE(Journal::monthRange(d(2004, 12, 5)).last, d(2004, 12, 31));
        QCOMPARE(Journal::monthRange(d(2004, 4, 5)).last, d(2004, 4, 30));
        QCOMPARE(Journal::monthQuery(d(2004, 3, 15)).lines,
                 (QStringList{QStringLiteral("select * from 现金日记帐"),
                              QStringLiteral("where (日期 between cdate('2004-3-1') and cdate('2004-3-31'))"),
                              QStringLiteral("order by 日期")}));
        // The month's list on the database: the last day is in, the next month's first is out.
        add(d(2004, 2, 29), yuan(10), {}, {});
        add(d(2004, 3, 1), yuan(20), {}, {});
        add(d(2004, 1, 31), yuan(30), {}, {});
        QSqlQuery q = db.run(QStringLiteral("select 借方 from 现金日记帐 where ") + Journal::monthQuery(d(2004, 2, 1)).condition());
        QVERIFY(q.next());
        QCOMPARE(Money::fromVariant(q.value(0)), yuan(10));
        QVERIFY(!q.next());
    }

    void entryChecksInOrder()
    {
        using Journal::Entry;
        const QDate feb04 = d(2004, 2, 10);
        const auto refusal = [](const Entry& e, const QDate& closing) {
            const auto r = Journal::checkEntry(e, closing);
            return r ? r->message + QLatin1Char('@') + r->column : QString();
        };
        // An empty date gets its own message, even though it also lies outside the month.
        QCOMPARE(refusal(Entry{}, feb04), QStringLiteral("日期不能为空,请重新输入!@日期"));
        const QDateTime leapDay(d(2004, 2, 29), QTime(0, 0));
        QCOMPARE(refusal(Entry{leapDay, QStringLiteral("租赁收入"), yuan(1), {}}, feb04), QString());
        QCOMPARE(refusal(Entry{QDateTime(d(2004, 2, 1), QTime(0, 0)), QStringLiteral("费用支出"), {}, yuan(1)}, feb04), QString());
        QCOMPARE(refusal(Entry{QDateTime(d(2004, 3, 1), QTime(0, 0)), QStringLiteral("租赁收入"), yuan(1), {}}, feb04),
                 QStringLiteral("不能编辑结算时间以外的数据!@日期"));
        QCOMPARE(refusal(Entry{QDateTime(d(2004, 1, 31), QTime(0, 0)), QStringLiteral("租赁收入"), yuan(1), {}}, feb04),
                 QStringLiteral("不能编辑结算时间以外的数据!@日期"));
        // February 2005: the 28th is the last day accepted.
        QCOMPARE(refusal(Entry{QDateTime(d(2005, 2, 28), QTime(0, 0)), QStringLiteral("租赁收入"), yuan(1), {}}, d(2005, 2, 1)),
                 QString());
        QCOMPARE(refusal(Entry{QDateTime(d(2005, 3, 1), QTime(0, 0)), QStringLiteral("租赁收入"), yuan(1), {}}, d(2005, 2, 1)),
                 QStringLiteral("不能编辑结算时间以外的数据!@日期"));
        // The period comes before the other checks; then summary, both amounts, no amount.
        QCOMPARE(refusal(Entry{QDateTime(d(2004, 3, 1), QTime(0, 0)), {}, {}, {}}, feb04),
                 QStringLiteral("不能编辑结算时间以外的数据!@日期"));
        QCOMPARE(refusal(Entry{leapDay, QStringLiteral("  "), yuan(1), {}}, feb04), QStringLiteral("摘要不能为空,请重新输入!@摘要"));
        QCOMPARE(refusal(Entry{leapDay, QStringLiteral("租赁收入"), yuan(1), m("0.0001")}, feb04),
                 QStringLiteral("借方和贷方不能同时有金额,请重新输入!@借方"));
        QCOMPARE(refusal(Entry{leapDay, QStringLiteral("其他"), {}, {}}, feb04),
                 QStringLiteral("借方和贷方不能同时为零,请重新输入!@借方"));
        // A negative amount is an amount.
        QCOMPARE(refusal(Entry{leapDay, QStringLiteral("费用支出"), {}, -yuan(5)}, feb04), QString());
    }

    void tidyStartsEachMonthFromZero()
    {
        // Wrong balances in two months, two entries on one day in the order they were added.
        add(d(2004, 1, 31), yuan(500), {}, yuan(9));
        add(d(2004, 2, 20), {}, yuan(300), yuan(1));
        add(d(2004, 2, 3), yuan(1000), {}, yuan(2));
        add(d(2004, 2, 20), m("0.0001"), {}, yuan(3));
        add(d(2004, 2, 29), yuan(50), {}, yuan(4));
        add(d(2004, 3, 1), yuan(70), {}, yuan(5));
        Journal::tidyMonth(db, d(2004, 2, 15));
        QCOMPARE(balances(QStringLiteral("日期 >= '2004-02-01' and 日期 < '2004-03-01'")),
                 (QVector<Money>{yuan(1000), yuan(700), m("700.0001"), m("750.0001")}));
        // The other months are left as they were.
        QCOMPARE(balances(QStringLiteral("日期 < '2004-02-01' or 日期 >= '2004-03-01'")), (QVector<Money>{yuan(9), yuan(5)}));
        // A month without entries is nothing to do.
        Journal::tidyMonth(db, d(2004, 6, 1));
        QCOMPARE(db.transactionDepth(), 0);
    }

    void postingANewEntry()
    {
        // Empty journal: the entry carries nothing, its balance is what was received.
        Journal::Posted p = post(QStringLiteral("ZL2004000001"), m("715.5"), d(2004, 2, 10));
        QVERIFY(!p.rewritten);
        QVERIFY(p.recomputed);
        QCOMPARE(rows().size(), 1);
        QCOMPARE(rows().first().balance, m("715.5"));
        QCOMPARE(rows().first().date, d(2004, 2, 10));
        QCOMPARE(rows().first().note, QStringLiteral("内部编号：ZL2004000001"));
        QSqlQuery q = db.run(QStringLiteral("select 摘要, 明细, 经办人, 操作员 from 现金日记帐"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("租赁收入"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("王五租赁苏A00001车3天"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("李四"));
        QCOMPARE(q.value(3).toString(), QStringLiteral("张三"));
        // A second contract carries the newest balance of the month.
        add(d(2004, 2, 11), {}, yuan(200), m("515.5"));
        p = post(QStringLiteral("ZL2004000002"), m("0.0001"), d(2004, 2, 12));
        QVERIFY(!p.recomputed);
        QCOMPARE(rows().last().balance, m("515.5001"));
    }

    void carriedBalanceComesFromTheEntrysOwnMonth()
    {
        add(d(2004, 2, 5), yuan(100), {}, yuan(100));
        // Added later, but in March: not the balance a February posting carries.
        add(d(2004, 3, 2), yuan(4000), {}, yuan(4000));
        post(QStringLiteral("ZL2004000003"), yuan(50), d(2004, 2, 20));
        QCOMPARE(balances(QStringLiteral("日期 < '2004-03-01'")), (QVector<Money>{yuan(100), yuan(150)}));
        // Nothing yet in April: the posting balances April from 0.
        const Journal::Posted p = post(QStringLiteral("ZL2004000004"), yuan(60), d(2004, 4, 1));
        QVERIFY(p.recomputed);
        QCOMPARE(balances(QStringLiteral("日期 >= '2004-04-01'")), QVector<Money>{yuan(60)});
        QCOMPARE(balances(QStringLiteral("日期 >= '2004-03-01' and 日期 < '2004-04-01'")), QVector<Money>{yuan(4000)});
    }

    void postingTwiceRewritesTheFirstEntry()
    {
        add(d(2004, 2, 1), yuan(100), {}, yuan(100));
        post(QStringLiteral("ZL2004000005"), yuan(300), d(2004, 2, 3));
        add(d(2004, 2, 4), {}, yuan(50), yuan(350));
        // Saved again a week later with another amount: the same entry, on its first date.
        const Journal::Posted p = post(QStringLiteral("ZL2004000005"), yuan(320), d(2004, 2, 10));
        QVERIFY(p.rewritten);
        QVERIFY(p.recomputed);
        QCOMPARE(p.date, d(2004, 2, 3));
        const QVector<Row> r = rows();
        QCOMPARE(r.size(), 3);
        QCOMPARE(r[1].date, d(2004, 2, 3));
        QCOMPARE(r[1].debit, yuan(320));
        QCOMPARE(balances(), (QVector<Money>{yuan(100), yuan(420), yuan(370)}));
    }

    void postingLeavesAClerksEntryMentioningTheContract()
    {
        // Typed by clerks: a deposit refund naming the contract, and the posting's note in other case.
        add(d(2004, 2, 2), {}, yuan(500), -yuan(500), QStringLiteral("退押金 ZL2099000001"));
        add(d(2004, 2, 3), {}, yuan(20), -yuan(520), QStringLiteral("内部编号：zl2099000001"));
        const auto clerks = [this] {
            QStringList out;
            QSqlQuery q = db.run(
                QStringLiteral("select 摘要, 借方, 贷方, 备注 from 现金日记帐 where 日期 < '2004-02-04' order by __rk"));
            while (q.next())
                out << q.value(0).toString() + QLatin1Char('/') + Money::fromVariant(q.value(1)).toDisplay() + QLatin1Char('/')
                           + Money::fromVariant(q.value(2)).toDisplay() + QLatin1Char('/') + q.value(3).toString();
            return out;
        };
        const QStringList before = clerks();
        Journal::Posted p = post(QStringLiteral("ZL2099000001"), yuan(300), d(2004, 2, 10));
        QVERIFY(!p.rewritten);
        QCOMPARE(clerks(), before);
        QCOMPARE(rows().size(), 3);
        QCOMPARE(rows().last().note, QStringLiteral("内部编号：ZL2099000001"));
        QCOMPARE(rows().last().debit, yuan(300));
        // Posted again: its own entry is the one rewritten, the clerks' entries still as typed.
        p = post(QStringLiteral("ZL2099000001"), yuan(310), d(2004, 2, 12));
        QVERIFY(p.rewritten);
        QCOMPARE(p.date, d(2004, 2, 10));
        QCOMPARE(clerks(), before);
        QCOMPARE(rows().size(), 3);
        QCOMPARE(rows().last().debit, yuan(310));
        QCOMPARE(balances(), (QVector<Money>{-yuan(500), -yuan(520), -yuan(210)}));
    }

    void postingBalancesTheWholeMonth_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::newRow("December") << d(2004, 12, 1) << d(2004, 12, 31);
        QTest::newRow("February 2004") << d(2004, 2, 1) << d(2004, 2, 29);
        QTest::newRow("February 2005") << d(2005, 2, 1) << d(2005, 2, 28);
    }
    void postingBalancesTheWholeMonth()
    {
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        // Entries on the first and last day with stale balances, neighbours outside the month.
        add(first.addDays(-1), yuan(7), {}, yuan(7));
        add(first, yuan(100), {}, yuan(1));
        add(last, {}, yuan(30), yuan(2));
        add(last.addDays(1), yuan(9), {}, yuan(9));
        // The first posting of the contract is rewritten on its own date in the middle of the month.
        add(first.addDays(10), yuan(1), {}, yuan(3), QStringLiteral("内部编号：ZL2004000009"));
        post(QStringLiteral("ZL2004000009"), yuan(500), last);
        QCOMPARE(rows().size(), 5);
        QCOMPARE(balances(QStringLiteral("日期 >= '") + Dates::toStorage(first) + QStringLiteral("' and 日期 <= '")
                          + Dates::toStorage(last) + QStringLiteral("'")),
                 (QVector<Money>{yuan(100), yuan(600), yuan(570)}));
        QCOMPARE(balances(QStringLiteral("日期 < '") + Dates::toStorage(first) + QStringLiteral("'")), QVector<Money>{yuan(7)});
        QCOMPARE(balances(QStringLiteral("日期 > '") + Dates::toStorage(last) + QStringLiteral("'")), QVector<Money>{yuan(9)});
    }

    void demoJournalIsBalanced()
    {
        // The demo tool's database, as a clerk would find it.
        const QString location = ServerDb::location(dir, QStringLiteral("demo.db"));
        QProcess demo;
        demo.start(QStringLiteral(VEL_DEMO_TOOL), {location});
        QVERIFY(demo.waitForFinished(300000));
        QVERIFY2(demo.exitCode() == 0, demo.readAllStandardError().constData());
        Database demoDb;
        QVERIFY(demoDb.open(location));
        // Each month's running balance from 0 in date order, same-day entries in the order added.
        QSqlQuery q = demoDb.run(QStringLiteral("select 日期, 借方, 贷方, 余额 from 现金日记帐 order by 日期, __rk"));
        int month = -1, entries = 0;
        Money running;
        while (q.next()) {
            const QDate day = Dates::fromVariant(q.value(0)).date();
            if (day.year() * 12 + day.month() != month) {
                month = day.year() * 12 + day.month();
                running = Money();
            }
            running += Money::fromVariant(q.value(1)) - Money::fromVariant(q.value(2));
            QCOMPARE(Money::fromVariant(q.value(3)), running);
            ++entries;
        }
        QVERIFY(entries > 100);
        // Every settled contract was posted once, as the settlement posts it.
        QSqlQuery settled = demoDb.run(QStringLiteral(
            "select c.内部编号, c.实收金额, c.结算人, c.客户姓名, c.车牌号, c.租赁期限, c.收款日期, count(j.__rk), min(j.借方), "
            "min(j.明细), min(j.经办人), min(j.日期) from 汽车租赁登记表 c left join 现金日记帐 j on j.备注 = '内部编号：' || c.内部编号 "
            "where c.帐款结清 = 1 group by c.内部编号, c.实收金额, c.结算人, c.客户姓名, c.车牌号, c.租赁期限, c.收款日期"));
        int posted = 0;
        while (settled.next()) {
            QCOMPARE(settled.value(7).toInt(), 1);
            QCOMPARE(Money::fromVariant(settled.value(8)), Money::fromVariant(settled.value(1)));
            QCOMPARE(settled.value(9).toString(), Journal::detailText({settled.value(0).toString(),
                                                                       settled.value(3).toString(),
                                                                       settled.value(4).toString(),
                                                                       settled.value(5).toString(),
                                                                       settled.value(2).toString(),
                                                                       {}}));
            QCOMPARE(settled.value(10).toString(), settled.value(2).toString());
            QCOMPARE(Dates::fromVariant(settled.value(11)).date(), Dates::fromVariant(settled.value(6)).date());
            ++posted;
        }
        QVERIFY(posted > 100);
        // Contracts in the states the windows leave: a settled one is returned and owes nothing;
        // every vehicle out is out on exactly one open contract, of its renter.
        QSqlQuery odd = demoDb.run(
            QStringLiteral("select count(*) from 汽车租赁登记表 where (帐款结清 = 1 and (客户交车 <> '已交' or 应收帐款 <> 0)) "
                           "or 客户交车 not in ('已交', '没有') or (客户交车 = '没有' and 收车日期 is not null)"));
        QVERIFY(odd.next());
        QCOMPARE(odd.value(0).toInt(), 0);
        QSqlQuery out = demoDb.run(QStringLiteral(
            "select v.车牌号, v.车辆状态, v.客户姓名, count(c.内部编号), min(c.客户姓名) from 汽车档案 v left join 汽车租赁登记表 c "
            "on c.车牌号 = v.车牌号 and c.客户交车 = '没有' group by v.车牌号, v.车辆状态, v.客户姓名"));
        int rented = 0;
        while (out.next()) {
            const bool isOut = out.value(1).toString() == QStringLiteral("出租");
            QCOMPARE(out.value(3).toInt(), isOut ? 1 : 0);
            if (isOut) {
                QCOMPARE(out.value(2).toString(), out.value(4).toString());
                ++rented;
            }
        }
        QVERIFY(rented > 0);
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "test_journal.moc"
