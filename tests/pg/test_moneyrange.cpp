// Totals beyond the range of amounts, on both engines: many amounts a save accepts, and two a save
// refuses placed by SQL. The engine's sum, a list footer, the reports and the journal balances give
// the one message instead of a wrapped or zero amount; a large total within the range stays exact.
#include "core/money.h"
#include "data/amounts.h"
#include "data/creation.h"
#include "data/database.h"
#include "data/recordset.h"
#include "cash/journal.h"
#include "stats/reports.h"
#include "tests/pg/serverdb.h"
#include "ui/records/gridmodel.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {

const QString Message = QStringLiteral("合计超出金额范围");

// 1..n as rows of a native statement, the same text on both engines.
QString numbered(int n)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ").arg(n);
}

}  // namespace

class TestMoneyRange : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    Database db;

    // The call fails with the message, whatever reads the total.
    static void refused(const std::function<void()>& f, const char* what)
    {
        try {
            f();
        } catch (const DbError& e) {
            QVERIFY2(e.text().contains(Message), qPrintable(QString::fromUtf8(what) + QStringLiteral(": ") + e.text()));
            return;
        }
        QFAIL(qPrintable(QString::fromUtf8(what) + QStringLiteral(": gave a value")));
    }

    Money scalarMoney(const QString& sql)
    {
        RecordSet rs(&db);
        rs.setSql({sql});
        rs.open();
        return rs.asMoney(rs.fields().first().name);
    }

    static std::unique_ptr<RecordGridModel> footerModel(RecordSet* set)
    {
        auto m = std::make_unique<RecordGridModel>(set);
        GridColumn plate{QStringLiteral("车牌号")};
        plate.footer = FooterKind::Count;
        GridColumn parts{QStringLiteral("材料费")};
        parts.footer = FooterKind::Sum;
        GridColumn labour{QStringLiteral("人工费")};
        labour.footer = FooterKind::Sum;
        m->setColumns({plate, parts, labour});
        return m;
    }

private Q_SLOTS:
    void initTestCase()
    {
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString location = ServerDb::location(dir, QStringLiteral("qczl.db"));
        QString err;
        QVERIFY2(createDatabase(location, QDate(2004, 2, 10), &err), qPrintable(err));
        QVERIFY2(db.open(location, &err), qPrintable(err));
        Transaction tx(db);
        // 苏P1: 9,300 amounts of 99,999,999,999 (each accepted by a save); beside them 9,000 of
        // 99,999,999,999.9999, a total within the range (899,999,999,999,999.1).
        db.runNative(
            numbered(9300)
            + QStringLiteral("INSERT INTO 车辆维修记录表 (车牌号, 维修时间, 材料费, 人工费) SELECT '苏P1', cdate('2004-02-10'), "
                             "99999999999, CASE WHEN i <= 9000 THEN 99999999999.9999 ELSE 0 END FROM n"));
        db.runNative(numbered(9300)
                     + QStringLiteral("INSERT INTO 汽车租赁登记表 (内部编号, 车牌号, 客户号, 发车日期, 收费金额, 实收金额) "
                                      "SELECT 'ZL', '苏P1', 'KP1', cdate('2004-02-10'), 99999999999, 99999999999 FROM n"));
        db.runNative(numbered(9300)
                     + QStringLiteral("INSERT INTO 现金日记帐 (日期, 摘要, 借方, 贷方) SELECT cdate('2004-02-10'), '租赁收入', "
                                      "99999999999, 0 FROM n"));
        // 苏P2: two amounts no save takes, written by another tool.
        for (int i = 0; i < 2; ++i) {
            db.runNative(QStringLiteral("INSERT INTO 车辆维修记录表 (车牌号, 维修时间, 材料费, 人工费) "
                                        "VALUES ('苏P2', cdate('2004-03-10'), 600000000000000.5, 0.0001)"));
            db.runNative(QStringLiteral("INSERT INTO 汽车租赁登记表 (内部编号, 车牌号, 客户号, 发车日期, 收费金额, 实收金额) "
                                        "VALUES ('ZL', '苏P2', 'KP2', cdate('2004-03-10'), 600000000000000.5, 600000000000000.5)"));
            db.runNative(QStringLiteral("INSERT INTO 现金日记帐 (日期, 摘要, 借方, 贷方) "
                                        "VALUES (cdate('2004-03-10'), '租赁收入', 600000000000000.5, 0)"));
        }
        // 苏P3: a total just within what a column holds, exact.
        db.runNative(numbered(3)
                     + QStringLiteral("INSERT INTO 汽车租赁登记表 (内部编号, 车牌号, 客户号, 发车日期, 收费金额, 实收金额) "
                                      "SELECT 'ZL', '苏P3', 'KP3', cdate('2004-04-10'), 33333333333.3333, 33333333333.3333 FROM n"));
        // A balance no amount can hold, written by another tool.
        db.runNative(QStringLiteral("INSERT INTO 现金日记帐 (日期, 摘要, 借方, 贷方, 余额) "
                                    "VALUES (cdate('2004-05-10'), '租赁收入', 1, 0, 950000000000000)"));
        for (const char* plate : {"苏P1", "苏P2", "苏P3"})
            db.execute(QStringLiteral("insert into 汽车档案 (车牌号, 车辆状态) values (?, '空闲')"), {QString::fromUtf8(plate)});
        tx.commit();
    }

    void engineSums()
    {
        for (const char* plate : {"苏P1", "苏P2"}) {
            const QString where = QStringLiteral(" from 车辆维修记录表 where 车牌号='%1'").arg(QString::fromUtf8(plate));
            refused([&] { scalarMoney(QStringLiteral("select sum(材料费) as s") + where); }, plate);
        }
        // Beside it, a total within the range to the last ten-thousandth.
        RecordSet rs(&db);
        rs.setSql({QStringLiteral("select sum(材料费) as s, sum(人工费) as t from 车辆维修记录表 where 车牌号='苏P1'")});
        rs.open();
        QCOMPARE(rs.asMoney(QStringLiteral("t")).toString(), QStringLiteral("899999999999999.1000"));
        refused([&] { rs.asMoney(QStringLiteral("s")); }, "read beside an exact total");
    }

    // The footer shows the message in the total's own cell (on screen, in print and export alike),
    // keeps it while posted rows move the total, and shows the amount again once it is within range.
    void footers()
    {
        RecordSet p1(&db);
        p1.setSql({QStringLiteral("select * from 车辆维修记录表"), QStringLiteral("where 车牌号='苏P1'")});
        p1.open();
        auto m1 = footerModel(&p1);
        QCOMPARE(m1->footerTexts(), (QStringList{QStringLiteral("9300"), Message, QStringLiteral("899999999999999.10")}));
        p1.first();
        p1.edit();
        p1.setValue(QStringLiteral("材料费"), Money());
        p1.setValue(QStringLiteral("人工费"), Money());
        p1.post();
        // 9,299 × 99,999,999,999 is still beyond; the other total moved by the row's difference.
        QCOMPARE(m1->footerTexts(), (QStringList{QStringLiteral("9300"), Message, QStringLiteral("899899999999999.1001")}));
        QCOMPARE(m1->footerTextNow(1), Message);

        RecordSet p2(&db);
        p2.setSql({QStringLiteral("select * from 车辆维修记录表"), QStringLiteral("where 车牌号='苏P2'")});
        p2.open();
        auto m2 = footerModel(&p2);
        QCOMPARE(m2->footerTexts(), (QStringList{QStringLiteral("2"), Message, QStringLiteral("0.0002")}));
        // Rows walked instead of summed by the engine: the same answer.
        m2->setEngineSums(false);
        QCOMPARE(m2->footerTexts(), (QStringList{QStringLiteral("2"), Message, QStringLiteral("0.0002")}));
        m2->setEngineSums(true);
        p2.first();
        p2.edit();
        p2.setValue(QStringLiteral("材料费"), Money());
        p2.post();
        QCOMPARE(m2->footerTexts(),
                 (QStringList{QStringLiteral("2"), QStringLiteral("600000000000000.50"), QStringLiteral("0.0002")}));
    }

    void reports()
    {
        Reports::IncomeCriteria c;
        c.customerNo = QStringLiteral("KP1");
        refused([&] { Reports::vehicleIncome(db, c); }, "vehicle income, many");
        c.customerNo = QStringLiteral("KP2");
        refused([&] { Reports::vehicleIncome(db, c); }, "vehicle income, two");
        refused([&] { Reports::monthlyIncome(db, {QStringLiteral("2004年")}); }, "monthly income");
        Reports::VehicleCostCriteria v;
        v.from = QStringLiteral("2004-02-01");
        v.to = QStringLiteral("2004-03-31");
        v.repair = false;
        refused([&] { Reports::vehicleSummary(db, v); }, "vehicle summary");

        c.customerNo = QStringLiteral("KP3");
        Reports::vehicleIncome(db, c);
        RecordSet out(&db);
        out.setSql({QStringLiteral("select 车牌号, 收费金额, 实收金额 from 通用")});
        out.open();
        QCOMPARE(out.recordCount(), 1);
        QCOMPARE(out.asString(QStringLiteral("车牌号")), QStringLiteral("苏P3"));
        QCOMPARE(out.asMoney(QStringLiteral("收费金额")).toString(), QStringLiteral("99999999999.9999"));
        QCOMPARE(out.asMoney(QStringLiteral("实收金额")).toString(), QStringLiteral("99999999999.9999"));
    }

    // A month whose balance leaves the range is refused before any balance is written; a stored
    // balance beyond it is never carried on as 0.
    void journalBalances()
    {
        refused([&] { Journal::recomputeMonth(db, QDate(2004, 2, 10)); }, "many entries");
        refused([&] { Journal::tidyMonth(db, QDate(2004, 3, 10)); }, "two entries");
        QSqlQuery q = db.run(QStringLiteral("select count(*) from 现金日记帐 where 余额 is not null and 日期 < cdate('2004-04-01')"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toLongLong(), 0);
        refused([&] { Journal::newestBalance(db, QDate(2004, 5, 1)); }, "stored balance");
        RecordSet rs(&db);
        rs.setSql({QStringLiteral("select * from 现金日记帐 where 余额 is not null")});
        rs.open();
        refused([&] { rs.asMoney(QStringLiteral("余额")); }, "balance read by a record set");
        QCOMPARE(rs.displayText(0, rs.fieldIndex(QStringLiteral("余额"))), Message);
    }
};

QTEST_MAIN(TestMoneyRange)
#include "test_moneyrange.moc"
