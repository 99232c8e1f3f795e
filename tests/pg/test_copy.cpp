// Creation and moving a whole database between backends. On its own the test copies file to file;
// in the server run the data goes from a file to a server database and back into a new file, and
// every value must come back exactly as it was stored.
#include "core/money.h"
#include "data/copy.h"
#include "data/creation.h"
#include "data/database.h"
#include "data/maintenance.h"
#include "data/recordset.h"
#include "tests/pg/serverdb.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestCopy : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    // Every row of every table as text, keys included, in key order.
    static QStringList dump(Database& db)
    {
        QStringList out;
        for (const TableDef& t : Schema::tables()) {
            RecordSet rs(&db);
            rs.setSql({QStringLiteral("select * from ") + t.name});
            rs.open();
            for (rs.first(); !rs.eof(); rs.next()) {
                QStringList r{t.name};
                for (const ColumnDef& c : t.columns)
                    r << rs.asString(c.name);
                out << r.join(QLatin1Char('|'));
            }
        }
        return out;
    }

    QString middle()
    {
        static int n = 0;
        return ServerDb::wanted() ? ServerDb::newDatabase() : dir.filePath(QStringLiteral("middle%1.db").arg(++n));
    }

private Q_SLOTS:
    void initTestCase() { SERVERDB_SKIP_WITHOUT_SERVER(); }

    void everyValueMakesTheRoundTrip()
    {
        const QString from = dir.filePath(QStringLiteral("from.db"));
        QString err;
        QVERIFY2(createDatabase(from, QDate(2004, 2, 10), &err), qPrintable(err));
        {
            Database db;
            QVERIFY(db.open(from));
            const double big = Money::fromUnits(Money::MaxStoredUnits).toDouble();
            db.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 车牌号, 发车日期, 押金, 超时小时, 帐款结清, 备注) "
                                      "values ('ZL1', '苏a1', '2004-02-29 23:59:59', ?, 0.1, 1, ?)"),
                       {big, QStringLiteral("O'Brien \"引号\"\n第二行")});
            db.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 押金, 预收租金) values ('ZL2', ?, 0.0001)"), {-big});
            // a gap in the keys: the copy keeps them, so the insertion order stays the same
            // hours a daylight-saving change skips in some time zones are plain times here
            db.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 发车日期, 收车日期) values ('ZL3', "
                                      "'1988-04-10 02:30:00', '2004-04-04 02:30:00')"));
            db.execute(QStringLiteral("delete from 汽车租赁登记表 where 内部编号='ZL2'"));
            db.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 押金) values ('ZL4', 12.3456)"));
        }
        const QString mid = middle();
        QVERIFY(!mid.isEmpty());
        QVERIFY2(DbCopy::copy(from, mid, &err), qPrintable(err));
        const QString back = dir.filePath(QStringLiteral("back.db"));
        QVERIFY2(DbCopy::copy(mid, back, &err), qPrintable(err));

        Database a, m, b;
        QVERIFY(a.open(from));
        QVERIFY(m.open(mid));
        QVERIFY(b.open(back));
        const QStringList original = dump(a);
        QCOMPARE(dump(m), original);
        QCOMPARE(dump(b), original);
        QVERIFY(original.filter(QStringLiteral("99999999999.9999")).size() == 1);

        // exact sums on the copy, and new rows continue after the highest copied key
        RecordSet sum(&m);
        sum.setSql({QStringLiteral("select sum(押金) as s from 汽车租赁登记表 where 押金 > 1")});
        sum.open();
        QCOMPARE(sum.asMoney(QStringLiteral("s")).toString(), QStringLiteral("100000000012.3455"));
        m.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号) values ('ZL5')"));
        RecordSet order(&m);
        order.setSql({QStringLiteral("select * from 汽车租赁登记表 order by 帐款结清")});
        order.open();
        QStringList numbers;
        for (order.first(); !order.eof(); order.next())
            numbers << order.asString(QStringLiteral("内部编号"));
        QCOMPARE(numbers, QStringList({"ZL3", "ZL4", "ZL5", "ZL1"}));
    }

    void targetsHoldingDataAreRefused()
    {
        const QString from = dir.filePath(QStringLiteral("src.db"));
        QString err;
        QVERIFY(createDatabase(from, QDate(2004, 2, 10), &err));
        const QString mid = middle();
        QVERIFY2(createDatabase(mid, QDate(2004, 2, 10), &err), qPrintable(err));
        // a second creation or a copy into it would overwrite what is there
        QVERIFY(!createDatabase(mid, QDate(2004, 2, 10), &err));
        QVERIFY(!DbCopy::copy(from, mid, &err));
        Database db;
        QVERIFY2(db.open(mid, &err), qPrintable(err));
        RecordSet ops(&db);
        ops.setSql({QStringLiteral("select * from 权限表")});
        ops.open();
        QCOMPARE(ops.recordCount(), 1);
        // a copy from a source that is no database of ours creates nothing
        QVERIFY(!DbCopy::copy(dir.filePath(QStringLiteral("missing.db")), dir.filePath(QStringLiteral("new.db")), &err));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("new.db"))));
    }

    void emptyServerDatabaseIsNotOpened()
    {
        if (!ServerDb::wanted())
            QSKIP("server only");
        const QString empty = ServerDb::newDatabase();
        Database db;
        QString err;
        QVERIFY(!db.open(empty, &err));
        QVERIFY2(err.contains(QStringLiteral("没有本系统的表")), qPrintable(err));
        QVERIFY(!db.open(QStringLiteral("postgresql://nobody@/x?host=/nonexistent&port=1"), &err));
    }

    void backupIsTheSameFileAndRestoresIntoTheLiveDatabase()
    {
        const QString loc = middle();
        QString err;
        QVERIFY2(createDatabase(loc, QDate(2004, 2, 10), &err), qPrintable(err));
        Database one, other;
        QVERIFY(one.open(loc));
        QVERIFY(other.open(loc));
        one.execute(QStringLiteral("insert into 现金日记帐 (日期, 借方, 摘要) values ('2004-02-10 00:00:00', 1234.5678, 'Ab')"));
        const QString file = dir.filePath(QStringLiteral("backup%1.db").arg(qHash(loc)));
        QVERIFY2(Maintenance::backup(one, file, &err), qPrintable(err));
        QVERIFY2(Maintenance::verify(file, &err), qPrintable(err));
        const QStringList saved = dump(one);
        {
            Database copy;
            QVERIFY(copy.open(file));
            QCOMPARE(dump(copy), saved);
        }
        // later work, then the backup comes back while the other workstation stays connected
        one.execute(QStringLiteral("insert into 现金日记帐 (日期, 借方) values ('2004-02-11 00:00:00', 1)"));
        one.execute(QStringLiteral("delete from 权限表"));
        QVERIFY2(Maintenance::restore(file, loc, &err), qPrintable(err));
        QCOMPARE(dump(other), saved);
        QCOMPARE(dump(one), saved);
        // a file that is not a backup of ours changes nothing
        QFile junk(dir.filePath(QStringLiteral("junk.db")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a database");
        junk.close();
        QVERIFY(!Maintenance::restore(junk.fileName(), loc, &err));
        QCOMPARE(dump(other), saved);
    }

    void busyAndConflictKindsBetweenTwoConnections()
    {
        const QString loc = middle();
        QString err;
        QVERIFY2(createDatabase(loc, QDate(2004, 2, 10), &err), qPrintable(err));
        Database one, two;
        QVERIFY(one.open(loc));
        QVERIFY(two.open(loc));
        one.setBusyTimeout(100);
        two.setBusyTimeout(100);
        two.begin();
        two.execute(QStringLiteral("update 公司信息 set 公司名称='x'"));
        try {
            Transaction tx(one);
            one.execute(QStringLiteral("update 公司信息 set 联系人='y'"));
            tx.commit();
            QFAIL("a second writer did not wait for the first");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::Kind::Busy);
        }
        two.commit();
        // a text changed only in the case of its letters is a change the optimistic check sees
        RecordSet a(&one), b(&two);
        for (RecordSet* s : {&a, &b}) {
            s->setSql({QStringLiteral("select * from 公司信息")});
            s->open();
        }
        QCOMPARE(a.asString(QStringLiteral("公司名称")), QStringLiteral("x"));  // on screen
        b.edit();
        b.setValue(QStringLiteral("公司名称"), QStringLiteral("X"));
        b.post();
        a.edit();
        a.setValue(QStringLiteral("公司名称"), QStringLiteral("w"));
        QVERIFY_THROWS_EXCEPTION(DbConflict, a.post());
    }
};

QTEST_GUILESS_MAIN(TestCopy)
#include "test_copy.moc"
