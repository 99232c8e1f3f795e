// Initialization, backup and restore of the database as a whole.
#include "data/creation.h"
#include "data/database.h"
#include "data/maintenance.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestMaintenance : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString path(const QString& n) const { return dir.filePath(n); }
    static int count(Database& db, const QString& table)
    {
        QSqlQuery q = db.run(QStringLiteral("select count(*) from ") + table);
        return q.next() ? q.value(0).toInt() : -1;
    }
    QString fresh(const QString& name)
    {
        const QString p = path(name);
        QFile::remove(p);
        createDatabase(p, QDate(2004, 2, 10));
        Database db;
        db.open(p);
        for (const auto& t : Maintenance::initTables()) {
            const QString table = t.statement.section(QLatin1Char(' '), 2, 2);
            db.runNative(QStringLiteral("insert into ") + table + QStringLiteral(" default values"));
        }
        return p;
    }
    static void writeFile(const QString& p, const QByteArray& data)
    {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
    }
    static QByteArray readFile(const QString& p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initializationEmptiesExactlyTheCheckedTables()
    {
        Database db;
        QVERIFY(db.open(fresh(QStringLiteral("init.db"))));
        Maintenance::initialize(db, QVector<bool>(9, false));
        for (const char* t : {"车辆维修记录表", "汽车档案", "客户预订汽车", "权限表", "摘要"})
            QCOMPARE(count(db, QString::fromUtf8(t)), 1 + (QByteArray(t) == "摘要"));
        QVector<bool> some(9, false);
        some[3] = some[6] = some[8] = true;  // vehicles, contracts, reservations
        Maintenance::initialize(db, some);
        QCOMPARE(count(db, QStringLiteral("汽车档案")), 0);
        QCOMPARE(count(db, QStringLiteral("汽车租赁登记表")), 0);
        QCOMPARE(count(db, QStringLiteral("客户预订汽车")), 0);
        QCOMPARE(count(db, QStringLiteral("客户登记表")), 1);
        QCOMPARE(count(db, QStringLiteral("现金日记帐")), 1);
        QCOMPARE(count(db, QStringLiteral("权限表")), 1);
        QCOMPARE(count(db, QStringLiteral("公司信息")), 1);
        QCOMPARE(count(db, QStringLiteral("关帐日期")), 1);
        QCOMPARE(count(db, QStringLiteral("摘要")), 2);
        QCOMPARE(count(db, QStringLiteral("提醒功能初始表")), 6);
    }

    void initializationFailingPartWayChangesNothing()
    {
        Database db;
        QVERIFY(db.open(fresh(QStringLiteral("fail.db"))));
        db.runNative(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON 客户登记表 BEGIN SELECT RAISE(ABORT, 'locked'); END"));
        QVERIFY_THROWS_EXCEPTION(DbError, Maintenance::initialize(db, QVector<bool>(9, true)));
        for (const auto& t : Maintenance::initTables())
            QCOMPARE(count(db, t.statement.section(QLatin1Char(' '), 2, 2)), 1);
    }

    void backupOfALiveDatabase()
    {
        const QString live = fresh(QStringLiteral("live.db"));
        Database db, writer;
        QVERIFY(db.open(live));
        QVERIFY(writer.open(live));
        // another connection is in the middle of writing: its uncommitted rows must not appear
        writer.begin();
        writer.runNative(QStringLiteral("insert into 汽车档案 (车牌号) values ('苏A99999')"));
        writeFile(path(QStringLiteral("old.bak")), "an older backup");
        QString err;
        QVERIFY2(Maintenance::backup(db, path(QStringLiteral("old.bak")), &err), qPrintable(err));
        writer.rollback();
        QVERIFY2(Maintenance::verify(path(QStringLiteral("old.bak")), &err), qPrintable(err));
        Database copy;
        QVERIFY(copy.open(path(QStringLiteral("old.bak"))));
        QCOMPARE(count(copy, QStringLiteral("汽车档案")), 1);
        QCOMPARE(count(copy, QStringLiteral("权限表")), 1);
        QVERIFY(!QFile::exists(path(QStringLiteral(".old.bak.part"))));
    }

    void backupOntoTheDatabaseItselfIsRefused()
    {
        const QString live = fresh(QStringLiteral("self.db"));
        Database db;
        QVERIFY(db.open(live));
        const QByteArray before = readFile(live);
        QString err;
        QVERIFY(!Maintenance::backup(db, dir.path() + QStringLiteral("/./sub/../self.db"), &err));
        QVERIFY(!err.isEmpty());
        QVERIFY(!Maintenance::backup(db, QString(), &err));
        QCOMPARE(count(db, QStringLiteral("汽车档案")), 1);
        QCOMPARE(readFile(live), before);
        // an unwritable destination fails without a success report
        QVERIFY(!Maintenance::backup(db, path(QStringLiteral("no/such/folder/x.db")), &err));
    }

    void restoreRefusesWhatIsNotOurDatabase()
    {
        const QString target = fresh(QStringLiteral("target.db"));
        const QByteArray before = readFile(target);
        writeFile(path(QStringLiteral("text.db")), "just some text, not a database at all");
        const QByteArray whole = readFile(fresh(QStringLiteral("whole.db")));
        writeFile(path(QStringLiteral("truncated.db")), whole.left(whole.size() / 2));
        {
            Database foreign;
            QVERIFY(foreign.create(path(QStringLiteral("foreign.db"))));
            foreign.runNative(QStringLiteral("DROP TABLE 图形显示"));
        }
        QString err;
        for (const char* bad : {"text.db", "truncated.db", "foreign.db", "missing.db"}) {
            QVERIFY2(!Maintenance::restore(path(QString::fromUtf8(bad)), target, &err), bad);
            QVERIFY(!err.isEmpty());
            QCOMPARE(readFile(target), before);
        }
        QVERIFY(!Maintenance::restore(target, target, &err));
    }

    void restoreBringsBackTheBackup()
    {
        const QString target = fresh(QStringLiteral("current.db"));
        const QString saved = fresh(QStringLiteral("saved.db"));
        {
            Database db;
            QVERIFY(db.open(saved));
            db.runNative(QStringLiteral("insert into 汽车档案 (车牌号) values ('苏A00007')"));
        }
        QString err;
        QVERIFY2(Maintenance::restore(saved, target, &err), qPrintable(err));
        Database db;
        QVERIFY(db.open(target));
        QCOMPARE(count(db, QStringLiteral("汽车档案")), 2);
        QVERIFY(!QFile::exists(path(QStringLiteral(".current.db.part"))));
    }
};

QTEST_GUILESS_MAIN(TestMaintenance)
#include "test_maintenance.moc"
