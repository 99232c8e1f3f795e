// The reminder scan without windows, on a real database: each rule's bound on both sides, empty
// values, the open rentals with their text, the order of the list and the parameter fallbacks.
#include "data/businesssettings.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "remind/scan.h"
#include "tests/pg/serverdb.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString S(const char* s)
{
    return QString::fromUtf8(s);
}

struct Db {
    QTemporaryDir dir;
    TDm1 dm;
    Database& db = dm.ADO_qczl;
    Db()
    {
        QString error;
        const QString location = ServerDb::location(dir, S("qczl.db"));
        if (location.isEmpty() || !createDatabase(location, QDate(2004, 3, 1), &error) || !dm.connect(location, &error))
            qFatal("%s", qPrintable(error));
        // Names of our own, so that the list shows which rule spoke.
        for (int i = 1; i <= 6; ++i)
            db.execute(S("update 提醒功能初始表 set 项目=?, 期限=? where 序号=?"), {S("项目%1").arg(i), 10, i});
    }
    void lead(int rule, int days) { db.execute(S("update 提醒功能初始表 set 期限=? where 序号=?"), {days, rule}); }
    void vehicle(const char* plate, const QVariantList& deadlines, const QVariant& km = {}, const QVariant& next = {})
    {
        db.execute(S("insert into 汽车档案 (车牌号,养路费截止时间,年审截止时间,保险截止时间,车船税截止时间,公里数,下次二保里程) "
                     "values (?,?,?,?,?,?,?)"),
                   QVariantList{S(plate)} + deadlines + QVariantList{km, next});
    }
    void rental(const char* plate, const char* customer, const QVariant& out, const QVariant& term, const char* state = "没有",
                const QVariant& back = {})
    {
        db.execute(S("insert into 汽车租赁登记表 (车牌号,客户号,客户姓名,发车日期,租赁期限,客户交车,收车日期) values (?,?,?,?,?,?,?)"),
                   {S(plate), S(customer), S("张三"), out, term, S(state), back});
    }
    // The list: plate, item, date, mileage, text.
    QStringList rows()
    {
        QStringList out, names;
        QVector<QVector<QVariant>> rows;
        // Read as the list reads them: dates as storage text, empty values empty, on either backend.
        db.selectRows(S("select 车牌号,支票号,发车日期,发车里程,备注 from 通用 order by __rk"), false, &names, &rows);
        for (const QVector<QVariant>& row : rows) {
            QStringList r;
            for (const QVariant& v : row)
                r << (v.isNull() ? QString() : v.toString());
            out << r.join(QLatin1Char('|'));
        }
        return out;
    }
};

const QVariant none;
QVariantList onlyRoadFee(const char* when)
{
    return {S(when), none, none, none};
}

}  // namespace

class TestRemindScan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { SERVERDB_SKIP_WITHOUT_SERVER(); }

    void deadlines()
    {
        Db d;
        d.vehicle("A1", onlyRoadFee("2004-03-11 00:00:00"));  // today + 10
        d.vehicle("A2", onlyRoadFee("2004-03-11 08:00:00"));  // later that day
        d.vehicle("A3", onlyRoadFee("2003-12-31 00:00:00"));  // long past
        d.vehicle("A4", {none, none, none, none});
        Reminders::scan(d.db, QDate(2004, 3, 1));
        QCOMPARE(d.rows(), QStringList({S("A1|项目1|2004-03-11 00:00:00||"), S("A3|项目1|2003-12-31 00:00:00||")}));
        d.lead(1, 9);
        Reminders::scan(d.db, QDate(2004, 3, 1));
        QCOMPARE(d.rows(), QStringList({S("A3|项目1|2003-12-31 00:00:00||")}));
        Reminders::scan(d.db, QDate(2004, 3, 2));  // lead 9: from the next day on
        QCOMPARE(d.rows().size(), 2);
        QVERIFY(d.rows().first().startsWith(S("A1|")));
    }

    void mileage()
    {
        Db d;
        d.lead(5, 500);
        d.vehicle("K1", {none, none, none, none}, 19500, 20000);
        d.vehicle("K2", {none, none, none, none}, 19499, 20000);
        d.vehicle("K3", {none, none, none, none}, 30000, 0);
        d.vehicle("K4", {none, none, none, none}, 30000, none);
        d.vehicle("K5", {none, none, none, none}, none, 20000);
        Reminders::scan(d.db, QDate(2004, 3, 1));
        QCOMPARE(d.rows(), QStringList({S("K1|项目5||20000|")}));
    }

    void allFiveInRuleOrder()
    {
        Db d;
        d.vehicle("B2", {S("2004-03-02 00:00:00"), S("2004-03-03 00:00:00"), S("2004-03-04 00:00:00"), S("2004-03-05 00:00:00")},
                  20000, 20000);
        d.vehicle("B1", onlyRoadFee("2004-03-02 00:00:00"));
        Reminders::scan(d.db, QDate(2004, 3, 1));
        QCOMPARE(d.rows(), QStringList({S("B1|项目1|2004-03-02 00:00:00||"), S("B2|项目1|2004-03-02 00:00:00||"),
                                        S("B2|项目2|2004-03-03 00:00:00||"), S("B2|项目3|2004-03-04 00:00:00||"),
                                        S("B2|项目4|2004-03-05 00:00:00||"), S("B2|项目5||20000|")}));
    }

    void openRentals()
    {
        Db d;
        d.lead(6, 1);
        d.db.execute(S("insert into 客户登记表 (客户号,客户姓名,联系电话) values ('C1','张三','025-1234')"));
        d.db.execute(S("insert into 客户登记表 (客户号,客户姓名,联系电话) values ('c1','张三','later')"));
        // Three days from 14:30 on the 1st, lead 1: listed from the 4th on.
        d.rental("R1", "c1", S("2004-03-01 14:30:00"), 3, "没有", S("2004-03-05 00:00:00"));
        d.rental("R2", "C1", S("2004-03-01 14:30:00"), 3, "已交");                               // returned: never
        d.rental("R3", "C9", S("2004-02-01 00:00:00"), none, "没有", S("2004-03-02 00:00:00"));  // no term; no customer
        d.rental("R4", "C1", none, 1);                                                           // no dispatch date: skipped
        Reminders::scan(d.db, QDate(2004, 3, 3));
        QCOMPARE(d.rows(), QStringList({S("R3|项目6|2004-02-01 00:00:00||姓名：张三，租赁0天,电话：")}));
        Reminders::scan(d.db, QDate(2004, 3, 4));
        // By return date: R3 (03-02) before R1 (03-05); the first registration of the number gives the phone.
        QCOMPARE(d.rows(), QStringList({S("R3|项目6|2004-02-01 00:00:00||姓名：张三，租赁0天,电话："),
                                        S("R1|项目6|2004-03-01 14:30:00||姓名：张三，租赁3天,电话：025-1234")}));
        QCOMPARE(Reminders::rentalNote(S("李四"), 3, S("139")), S("姓名：李四，租赁3天,电话：139"));
    }

    void vehiclesBeforeRentals()
    {
        Db d;
        d.rental("A0", "1", S("2004-01-01 00:00:00"), 1);
        d.vehicle("Z9", onlyRoadFee("2004-03-01 00:00:00"));
        Reminders::scan(d.db, QDate(2004, 3, 1));
        QCOMPARE(d.rows().size(), 2);
        QVERIFY(d.rows()[0].startsWith(S("Z9|")));
        QVERIFY(d.rows()[1].startsWith(S("A0|")));
    }

    // Fines still 未处理 come after the other rules, oldest first, once their moment lies the office's
    // lead of days before today; handled ones, newer ones and paid ones never.
    void unhandledFines()
    {
        Db d;
        d.rental("F1", "C1", S("2004-03-01 08:00:00"), 1, "没有");
        auto fine = [&](const char* plate, const char* when, const QVariant& state, const char* number, const char* name) {
            d.db.execute(S("insert into 违章登记 (车牌号,违章时间,罚款金额,扣分,违章行为,处理状态,租赁内部编号,客户姓名) "
                           "values (?,?,200,3,'闯红灯',?,?,?)"),
                         {S(plate), S(when), state, S(number), S(name)});
        };
        fine("W2", "2004-02-23 23:59:00", S("未处理"), "ZL1", "李四");  // 7 days before the 1st: due
        fine("W1", "2004-02-20 10:00:00", S("未处理"), "", "");       // the office's own, older
        fine("W3", "2004-02-24 00:00:00", S("未处理"), "", "");       // 6 days: not yet
        fine("W4", "2004-01-01 00:00:00", S("已转客户"), "", "");
        fine("W5", "2004-01-01 00:00:00", S("已缴纳"), "", "");
        Reminders::scan(d.db, QDate(2004, 3, 1));
        const QStringList rows = d.rows();
        QCOMPARE(rows.mid(1), QStringList({S("W1|违章未处理|2004-02-20 10:00:00||本公司，罚款200.00元，扣3分，闯红灯"),
                                            S("W2|违章未处理|2004-02-23 23:59:00||客户：李四，租赁ZL1，罚款200.00元，扣3分，闯红灯")}));
        QVERIFY(rows.first().startsWith(S("F1|项目6|")));
        // The lead is the business settings' own, not a row of 提醒功能初始表.
        BusinessSettings settings = BusinessSettings::read(d.db);
        settings.fineLeadDays = 6;
        settings.write(d.db);
        Reminders::scan(d.db, QDate(2004, 3, 1));
        QCOMPARE(d.rows().size(), 4);
        QVERIFY(d.rows().last().startsWith(S("W3|违章未处理|")));
        settings.fineLeadDays = 0;
        settings.write(d.db);
        d.db.execute(S("update 违章登记 set 处理状态='已缴纳'"));
        Reminders::scan(d.db, QDate(2004, 3, 1));
        QCOMPARE(d.rows().size(), 1);
    }

    void parameterFallbacks()
    {
        Db d;
        d.db.execute(S("delete from 提醒功能初始表 where 序号 > 4"));
        auto rules = Reminders::readRules(d.db);
        QCOMPARE(rules.size(), 6);
        QCOMPARE(rules[4].item, S("项目4"));
        QCOMPARE(rules[5].item, S("项目4"));
        d.db.execute(S("delete from 提醒功能初始表"));
        rules = Reminders::readRules(d.db);
        QCOMPARE(rules.size(), 6);
        QCOMPARE(rules[0].lead, 0);
        QVERIFY(rules[5].item.isEmpty());
        // Lead 0: due from the deadline's own day.
        d.vehicle("A1", onlyRoadFee("2004-03-01 00:00:00"));
        Reminders::scan(d.db, QDate(2004, 3, 1));
        QCOMPARE(d.rows(), QStringList({S("A1||2004-03-01 00:00:00||")}));
    }
};

QTEST_GUILESS_MAIN(TestRemindScan)
#include "test_scan.moc"
