// The Jet dialect as the windows write it, run against a real SQLite file and, in the server run,
// a real PostgreSQL database: both engines must give the same rows.
#include "data/creation.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "data/recordset.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include "core/sqltext.h"
#include "tests/pg/serverdb.h"

class TestEngine : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    Database db;

    std::unique_ptr<RecordSet> query(const QStringList& lines)
    {
        auto rs = std::make_unique<RecordSet>(&db);
        rs->setSql(lines);
        rs->open();
        return rs;
    }
    void addContract(const QString& no, const QString& plate, const QString& dispatch, const QString& money,
                     const QString& returned = QStringLiteral("没有"))
    {
        db.execute(QStringLiteral(
                       "insert into 汽车租赁登记表 (内部编号, 车牌号, 发车日期, 押金, 客户交车, 客户姓名) values (?,?,?,?,?,?)"),
                   {no, plate, dispatch, Money::parse(money)->toDouble(), returned, QStringLiteral("no")});
    }
    QStringList column(RecordSet& rs, const QString& name)
    {
        QStringList out;
        for (rs.first(); !rs.eof(); rs.next())
            out << rs.asString(name);
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString location = ServerDb::location(dir);
        QString err;
        QVERIFY2(createDatabase(location, QDate(2004, 2, 10), &err), qPrintable(err));
        QVERIFY2(db.open(location, &err), qPrintable(err));
        addContract(QStringLiteral("ZL2004000001"), QStringLiteral("苏A12345"), QStringLiteral("2004-02-01 14:30:00"),
                    QStringLiteral("100.1"));
        addContract(QStringLiteral("ZL2004000002"), QStringLiteral("苏a12345"), QStringLiteral("2004-02-29 23:59:59"),
                    QStringLiteral("0.0001"), QStringLiteral("已交"));
        addContract(QStringLiteral("ZL2004000003"), QStringLiteral("苏B00001"), QStringLiteral("2004-03-01 00:00:00"),
                    QStringLiteral("5"));
        addContract(QStringLiteral("ZL2004000004"), QStringLiteral("苏A12345X"), QStringLiteral("2004-01-31 23:59:59"),
                    QStringLiteral("5"));
    }

    void dateRangesCoverWholeDays()
    {
        auto rs = query({QStringLiteral("select * from 汽车租赁登记表 "),
                         QStringLiteral("where (发车日期 between cdate('2004-2-1 0:0:0') and cvdate('2004-2-29 23:59:59'))"),
                         QStringLiteral("order by 内部编号")});
        QCOMPARE(column(*rs, QStringLiteral("内部编号")), QStringList({"ZL2004000001", "ZL2004000002"}));
        // without a time the upper bound is midnight, as in the month condition
        auto month = query(
            {QStringLiteral("select * from 汽车租赁登记表 where (发车日期 between cdate('2004-2-1') and cdate('2004-2-29'))")});
        QCOMPARE(month->recordCount(), 1);
    }

    void impossibleDatesAreEngineErrors_data()
    {
        QTest::addColumn<QString>("date");
        QTest::newRow("30 February") << "2004-2-30";
        QTest::newRow("31 April") << "2004-4-31";
        QTest::newRow("29 February 2005") << "2005-2-29";
        QTest::newRow("not a date") << "abc";
        QTest::newRow("hour 24") << "2004-2-1 24:00:00";
        QTest::newRow("minute 60") << "2004-2-1 23:60:00";
    }
    void impossibleDatesAreEngineErrors()
    {
        QFETCH(QString, date);
        RecordSet rs(&db);
        rs.setSql({QStringLiteral("select * from 汽车租赁登记表 where 发车日期 > cdate('") + date + QStringLiteral("')")});
        try {
            rs.open();
            QFAIL("an impossible date must not give rows");
        } catch (const DbError& e) {
            QVERIFY(e.text().contains(date));
        }
        QVERIFY(!rs.isOpen());
    }

    void booleansAndYesNoOutsideLiterals()
    {
        QCOMPARE(query({QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("where 帐款结清=false")})->recordCount(), 4);
        QCOMPARE(query({QStringLiteral("select * from 汽车租赁登记表 where 帐款结清=no")})->recordCount(), 4);
        QCOMPARE(query({QStringLiteral("select * from 汽车租赁登记表 where 帐款结清=YES")})->recordCount(), 0);
        QCOMPARE(query({QStringLiteral("select * from 汽车租赁登记表 where (帐款结清 = true)")})->recordCount(), 0);
        // inside a literal the words stay text: 客户姓名 holds the text "no"
        QCOMPARE(query({QStringLiteral("select * from 汽车租赁登记表 where 客户姓名='no'")})->recordCount(), 4);
        QCOMPARE(query({QStringLiteral("select * from 汽车租赁登记表 where 客户姓名 like '%yes%'")})->recordCount(), 0);
        // a word merely containing yes/no is an identifier, not a literal
        QCOMPARE(JetSql::toSqlite(QStringLiteral("select nothing, yesterday from t")),
                 QStringLiteral("select nothing, yesterday from t"));
    }

    void likeIsAsciiCaseInsensitivePrefix()
    {
        auto rs = query(
            {QStringLiteral("select * from 汽车租赁登记表 where (车牌号 like '苏A12345%')"), QStringLiteral("order by 内部编号")});
        QCOMPARE(column(*rs, QStringLiteral("内部编号")), QStringList({"ZL2004000001", "ZL2004000002", "ZL2004000004"}));
        QCOMPARE(query({QStringLiteral("select * from 汽车租赁登记表 where 客户交车 like '%交%'")})->recordCount(), 1);
        // equality of text ignores the case of Latin letters too, so a duplicate test catches it
        QCOMPARE(query({QStringLiteral("select * from 汽车租赁登记表 where 车牌号='苏a12345'")})->recordCount(), 2);
        // only Latin letters A-Z fold: other letters keep their case, as in the original engine
        db.execute(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('Émile')"));
        QCOMPARE(query({QStringLiteral("select * from 经办人信息 where 经办人姓名='émile'")})->recordCount(), 0);
        QCOMPARE(query({QStringLiteral("select * from 经办人信息 where 经办人姓名 like 'ÉMILE%'")})->recordCount(), 1);
        // sorting ignores the case of Latin letters as well: "b" sorts between "A" and "C"
        db.execute(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('C'), ('b'), ('A')"));
        auto sorted = query({QStringLiteral("select * from 经办人信息 where 经办人姓名<'D' order by 经办人姓名")});
        QCOMPARE(column(*sorted, QStringLiteral("经办人姓名")), QStringList({"A", "b", "C"}));
        db.execute(QStringLiteral("delete from 经办人信息"));
    }

    // The server's like has a backslash escape by default and its text columns compare through
    // citext: both must come out as on the embedded engine.
    void likeTakesEveryCharacterLiterally()
    {
        db.execute(QStringLiteral("insert into 客户登记表 (客户号, 客户姓名) values ('A\\B1', 'x'), ('AB2', 'y'), ('a\\', 'z'), "
                                  "('%5', 'w')"));
        auto count = [&](const QString& cond) {
            return query({QStringLiteral("select * from 客户登记表 where ") + cond})->recordCount();
        };
        QCOMPARE(count(QStringLiteral("客户号 like 'a\\b%'")), 1);          // the backslash is no escape
        QCOMPARE(count(QStringLiteral("客户号 like 'A\\'")), 1);            // not even at the end
        QCOMPARE(count(QStringLiteral("客户号 not like 'a%'")), 1);         // only '%5' is left
        QCOMPARE(count(QStringLiteral("(客户号 || '') like 'a\\b%'")), 1);  // an expression, not a column
        QCOMPARE(count(QStringLiteral("客户号 like '\\%5'")), 0);           // no escape for the wildcard either
        QCOMPARE(count(QStringLiteral("客户号 like \"ab%\"")), 1);          // a double-quoted pattern
        // a date is matched through its stored text form
        QCOMPARE(query({QStringLiteral("select * from 汽车租赁登记表 where 发车日期 like '2004-02-01 14:30%'")})->recordCount(), 1);
        db.execute(QStringLiteral("delete from 客户登记表"));
    }

    void aggregatesWithNames()
    {
        auto rs = query({QStringLiteral("select sum(押金) as yj,max(内部编号) as nbbh,"),
                         QStringLiteral("sum(发车里程) as lc from 汽车租赁登记表"), QStringLiteral(" where "),
                         QStringLiteral("(车牌号 like '苏A%')")});
        QCOMPARE(rs->asMoney(QStringLiteral("yj")).toString(), QStringLiteral("105.1001"));
        QCOMPARE(rs->asString(QStringLiteral("nbbh")), QStringLiteral("ZL2004000004"));
        QCOMPARE(rs->asInteger(QStringLiteral("lc")), 0);  // an empty sum reads as 0
        QVERIFY(!rs->canModify());
    }

    void orderDescAndTiesInInsertionOrder()
    {
        auto rs = query({QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 押金 DESC")});
        // 押金 5 twice: ZL…3 was inserted before ZL…4
        QCOMPARE(column(*rs, QStringLiteral("内部编号")),
                 QStringList({"ZL2004000001", "ZL2004000003", "ZL2004000004", "ZL2004000002"}));
        auto asc = query({QStringLiteral("select * from 汽车租赁登记表 order by 客户交车, 押金")});
        QCOMPARE(column(*asc, QStringLiteral("内部编号")).first(), QStringLiteral("ZL2004000002"));
        // a sort line left empty still opens
        QCOMPARE(query({QStringLiteral("select * from 汽车租赁登记表"), QStringLiteral("order by ")})->recordCount(), 4);
    }

    void sumsAreExactOverManyRows()
    {
        // Fewer rows on the server, where every insert is a round trip; the sums drift just as well.
        const int n = ServerDb::wanted() ? 20000 : 100000;
        Transaction tx(db);
        for (int i = 0; i < n; ++i)
            db.execute(QStringLiteral("insert into 通用 (押金, 收费金额) values (0.1, 0.0001)"));
        // the largest amount a column holds, four times: the total needs sixteen digits
        for (int i = 0; i < 4; ++i)
            db.execute(QStringLiteral("insert into 通用 (押金) values (?)"), {Money::fromUnits(Money::MaxStoredUnits).toDouble()});
        tx.commit();
        auto rs = query({QStringLiteral("select sum(押金) as a, sum(收费金额) as b from 通用")});
        const Money big = Money::fromUnits(Money::MaxStoredUnits);
        QCOMPARE(rs->asMoney(QStringLiteral("a")).toString(),
                 (big + big + big + big + Money::parse(QStringLiteral("0.1"))->checkedTimes(n).value()).toString());
        QCOMPARE(rs->asMoney(QStringLiteral("b")).toString(), Money::parse(QStringLiteral("0.0001"))->checkedTimes(n)->toString());
        QCOMPARE(db.execute(QStringLiteral("delete from 通用")), n + 4);
    }

    void plateLikeUsesTheIndex()
    {
        if (ServerDb::wanted()) {
            // A handful of rows would be read whole anyway: the plan is asked for as if there were many.
            Transaction tx(db);
            db.runNative(QStringLiteral("SET LOCAL enable_seqscan = off"));
            QSqlQuery q = db.runNative(
                QStringLiteral("EXPLAIN ")
                + db.translate(QStringLiteral("select sum(押金) as yj from 汽车租赁登记表 where (车牌号 like '苏a12345%')")));
            QString plan;
            while (q.next())
                plan += q.value(0).toString() + QLatin1Char('\n');
            QVERIFY2(plan.contains(QStringLiteral("ix_zl_plate_l")), qPrintable(plan));
            return;
        }
        QSqlQuery q = db.runNative(
            QStringLiteral("EXPLAIN QUERY PLAN ")
            + db.translate(QStringLiteral("select sum(押金) as yj from 汽车租赁登记表 where (发车日期 between "
                                          "cdate('2004-1-1 0:0:0') and cdate('2004-12-31 23:59:59'))and(车牌号 like '苏A12345%')")));
        QString plan;
        while (q.next())
            plan += q.value(3).toString() + QLatin1Char('\n');
        QVERIFY2(plan.contains(QStringLiteral("ix_zl_plate")), qPrintable(plan));
    }

    void quotesInValuesStayInside()
    {
        const QString name = QStringLiteral("O'Brien");
        db.execute(QStringLiteral("insert into 客户登记表 (客户号, 客户姓名) values ('K1', ?)"), {name});
        auto rs = query({QStringLiteral("select * from 客户登记表 "),
                         QStringLiteral("where (客户姓名 like '%") + sqlText(name) + QStringLiteral("%')")});
        QCOMPARE(rs->recordCount(), 1);
        QCOMPARE(rs->asString(QStringLiteral("客户姓名")), name);
        // a crafted value cannot widen the condition
        auto none = query({QStringLiteral("select * from 客户登记表 where 客户号='") + sqlText(QStringLiteral("x' or '1'='1"))
                           + QStringLiteral("'")});
        QCOMPARE(none->recordCount(), 0);
    }

    void errorsCarryEngineText()
    {
        try {
            db.execute(QStringLiteral("select * from 不存在的表"));
            QFAIL("expected an error");
        } catch (const DbError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("不存在的表")), qPrintable(e.text()));
        }
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "test_engine.moc"
