// The statistics on the server give the rows they give on the file: the same awkward data (plates
// that differ in case or begin one another, amounts with four decimals, dates on the boundaries)
// copied into the other database, every report run on both, the scratch tables compared.
#include "data/copy.h"
#include "data/creation.h"
#include "data/database.h"
#include "data/recordset.h"
#include "stats/reports.h"
#include "stats/scratch.h"
#include "core/money.h"
#include "tests/pg/serverdb.h"

#include <QTemporaryDir>
#include <QTest>
#include <functional>

Q_DECLARE_METATYPE(std::function<void(Database&)>)

class TestReports : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    Database file, other;

    static QStringList scratch(Database& db)
    {
        RecordSet rs(&db);
        rs.setSql({QStringLiteral("select * from 通用")});
        rs.open();
        QStringList out;
        for (rs.first(); !rs.eof(); rs.next()) {
            QStringList r;
            for (const ColumnDef& c : Schema::table(QStringLiteral("通用"))->columns)
                r << rs.asString(c.name);
            out << r.join(QLatin1Char('|'));
        }
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString from = dir.filePath(QStringLiteral("from.db"));
        QString err;
        QVERIFY2(createDatabase(from, QDate(2004, 2, 10), &err), qPrintable(err));
        QVERIFY(file.open(from));
        for (const char* plate : {"苏A1", "苏A12", "苏B7"})
            file.execute(QStringLiteral("insert into 汽车档案 (车牌号, 车辆状态) values (?, '空闲')"), {QString::fromUtf8(plate)});
        file.execute(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('王'), ('赵')"));
        file.execute(
            QStringLiteral("insert into 客户登记表 (客户号, 客户姓名) values ('K1', '张三'), ('K10', '王五'), ('k2', '李四')"));
        const QList<QVariantList> contracts{
            {"ZL1", "苏A1", "K1", "张三", "2004-01-31 23:59:59", "2004-02-01 00:00:00", 100.0001, "王"},
            {"ZL2", "苏a1", "k1", "张三", "2004-02-01 00:00:00", "2004-02-29 23:59:59", 0.0001, "王"},
            {"ZL3", "苏A12", "K2", "李四", "2004-02-29 23:59:59", "2004-03-01 00:00:00", 99999.9999, "赵"},
            {"ZL4", "苏B7", "K10", "王五", "2004-03-01 00:00:00", "", 12.5, "王"},
        };
        for (const QVariantList& c : contracts)
            file.execute(QStringLiteral(
                             "insert into 汽车租赁登记表 (内部编号, 车牌号, 客户号, 客户姓名, 发车日期, 收车日期, "
                             "收费金额, 实收金额, 押金, 租赁公司经办人, 租赁期限, 客户交车) values (?,?,?,?,?,?,?,?,?,?,3,'已交')"),
                         {c[0], c[1], c[2], c[3], c[4], c[5].toString().isEmpty() ? QVariant() : c[5], c[6], c[6], c[6], c[7]});
        file.execute(QStringLiteral("insert into 现金日记帐 (日期, 摘要, 借方, 贷方, 余额) values "
                                    "('2004-02-01 00:00:00', '租赁收入', 100.0001, 0, 100.0001), "
                                    "('2004-02-29 00:00:00', '费用支出', 0, 0.0002, 99.9999)"));
        file.execute(
            QStringLiteral("insert into 车辆维修记录表 (车牌号, 维修时间, 总费用) values ('苏a1', '2004-02-10 00:00:00', 3.3333)"));
        file.execute(QStringLiteral("insert into 换油记录表 (车牌号, 换油时间, 金额) values ('苏A1', '2004-02-11 00:00:00', 1.1111)"));
        file.execute(
            QStringLiteral("insert into 事故登记表 (车牌号, 事故时间, 事故金额) values ('苏A12', '2004-02-12 00:00:00', 2.2222)"));
        const QString to = ServerDb::wanted() ? ServerDb::newDatabase() : dir.filePath(QStringLiteral("to.db"));
        QVERIFY2(DbCopy::copy(from, to, &err), qPrintable(err));
        QVERIFY(other.open(to));
    }

    // The rows of a run reach the scratch table as they were made, whatever path the engine takes
    // them by (on the server a stream of lines, where tab, line end and backslash are special).
    void scratchRowsArriveExactly()
    {
        ScratchRows rows({QStringLiteral("车牌号"), QStringLiteral("备注"), QStringLiteral("发车日期"), QStringLiteral("实收金额"),
                          QStringLiteral("发车里程")});
        rows.add({QStringLiteral("a\tb"), QStringLiteral("line 1\nline 2\r\n"), QStringLiteral("2004-02-29 23:59:59"),
                  QVariant::fromValue(*Money::parse(QStringLiteral("0.0001"))), 12.5});
        rows.add({QStringLiteral("back\\slash \\N"), QVariant(), QVariant(),
                  QVariant::fromValue(*Money::parse(QStringLiteral("-99999999999.9999"))), QVariant()});
        rows.add({QString(), QStringLiteral("\\."), QStringLiteral("2004-01-01 00:00:00"), QVariant(), 0});
        for (int i = 0; i < 3000; ++i)  // past one buffer of lines
            rows.add({QStringLiteral("苏A%1").arg(i), QStringLiteral("第%1行").arg(i), QVariant(),
                      QVariant::fromValue(Money::fromYuan(i)), i});
        const QString sql = QStringLiteral("select 车牌号, 备注, 发车日期, 实收金额, 发车里程 from 通用 order by __rk");
        Scratch::replace(other, rows);
        const QString got = ServerDb::rowsText(other, sql, QStringLiteral("<null>"));
        QVERIFY2(got.startsWith(
                     QStringLiteral("a\tb/line 1\nline 2\r\n/2004-02-29 23:59:59/1e-04/12.5,"  // an amount reads as a number
                                    "back\\slash \\N/<null>/<null>/-99999999999.9999/<null>,"
                                    "<null>/\\./2004-01-01 00:00:00/<null>/0,"
                                    "苏A0/第0行/<null>/0/0,")),
                 qPrintable(got.left(200)));
        QCOMPARE(got.count(QLatin1Char(',')), 3002);
        Scratch::replace(file, rows);
        QCOMPARE(got, ServerDb::rowsText(file, sql, QStringLiteral("<null>")));

        // a refused run leaves the previous rows
        ServerDb::refuseWrites(other, QStringLiteral("通用"), QStringLiteral("INSERT"), QStringLiteral("refused"));
        QVERIFY_THROWS_EXCEPTION(DbError, Scratch::replace(other, rows));
        ServerDb::allowWrites(other, QStringLiteral("通用"));
        QCOMPARE(ServerDb::rowsText(other, sql, QStringLiteral("<null>")), got);
    }

    void everyReportGivesTheSameRows_data()
    {
        QTest::addColumn<std::function<void(Database&)>>("run");
        Reports::IncomeCriteria all{.dispatchFrom = QStringLiteral("2004-01-01"), .dispatchTo = QStringLiteral("2004-12-31")};
        Reports::IncomeCriteria feb{.dispatchFrom = QStringLiteral("2004-02-01"), .dispatchTo = QStringLiteral("2004-02-29")};
        Reports::IncomeCriteria plate{.plate = QStringLiteral("a1"),
                                      .dispatchFrom = QStringLiteral("2004-01-01"),
                                      .dispatchTo = QStringLiteral("2004-12-31")};
        QTest::newRow("vehicle income") << std::function<void(Database&)>([=](Database& d) { Reports::vehicleIncome(d, all); });
        QTest::newRow("vehicle income, February")
            << std::function<void(Database&)>([=](Database& d) { Reports::vehicleIncome(d, feb); });
        QTest::newRow("customer income") << std::function<void(Database&)>([=](Database& d) { Reports::customerIncome(d, plate); });
        QTest::newRow("vehicle and customer") << std::function<void(Database&)>(
            [=](Database& d) { Reports::vehicleCustomerIncome(d, all); });
        QTest::newRow("handler income") << std::function<void(Database&)>([=](Database& d) { Reports::handlerIncome(d, feb); });
        QTest::newRow("monthly") << std::function<void(Database&)>(
            [](Database& d) { Reports::monthlyIncome(d, {.year = QStringLiteral("2004年"), .startDay = QStringLiteral("26")}); });
        QTest::newRow("cash by summary") << std::function<void(Database&)>([](Database& d) {
            Reports::cashBySummary(d, {QStringLiteral("2004-02-01"), QStringLiteral("2004-02-29")});
        });
        Reports::VehicleCostCriteria cost{.from = QStringLiteral("2004-01-01"),
                                          .to = QStringLiteral("2004-12-31"),
                                          .oil = true,
                                          .accident = true};
        QTest::newRow("vehicle detail") << std::function<void(Database&)>([=](Database& d) { Reports::vehicleDetail(d, cost); });
        QTest::newRow("vehicle summary") << std::function<void(Database&)>([=](Database& d) { Reports::vehicleSummary(d, cost); });
    }
    void everyReportGivesTheSameRows()
    {
        QFETCH(std::function<void(Database&)>, run);
        try {
            run(file);
            run(other);
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.text()));
        }
        const QStringList rows = scratch(file);
        QVERIFY(!rows.isEmpty());
        QCOMPARE(scratch(other), rows);
    }
};

QTEST_GUILESS_MAIN(TestReports)
#include "test_reports.moc"
