// Rows exactly addressed, on both engines: a key is handed out once in a database's life (after
// deleting the highest row, data initialization, a restore of an older backup, a copy), a database
// or backup of the previous version opens and restores and gains what is new, and a record set read
// before a restore or initialization writes nothing into what came after.
#include "data/copy.h"
#include "data/creation.h"
#include "data/database.h"
#include "data/maintenance.h"
#include "data/recordset.h"
#include "data/versions.h"
#include "tests/pg/serverdb.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString StaleText = QStringLiteral("数据已恢复，请关闭窗口后重新打开!");
}

class TestKeys : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    int files = 0;

    QString newFile() { return dir.filePath(QStringLiteral("f%1.db").arg(++files)); }

    // A database file as the previous version made it: keys given again after the highest row was
    // deleted, no version table; contracts ZL1..ZLn with keys 1..n.
    QString previousVersionFile(int contracts)
    {
        const QString file = newFile();
        {
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("previous"));
            raw.setDatabaseName(file);
            raw.open();
            QSqlQuery q(raw);
            const auto backend = makeSqliteBackend();
            for (const TableDef& t : Schema::tables())
                if (!q.exec(backend->createTableSql(t).replace(QStringLiteral(" AUTOINCREMENT"), QString())))
                    qWarning("%s", qPrintable(q.lastError().text()));
            for (const QString& s : backend->createIndexSql())
                q.exec(s);
            q.exec(QStringLiteral("insert into 关帐日期 (关帐日期) values ('2004-01-01 00:00:00')"));
            for (int i = 1; i <= contracts; ++i)
                q.exec(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 收费金额) values ('ZL%1', %1)").arg(i));
            q.exec(QStringLiteral("delete from 汽车租赁登记表 where __rk = %1").arg(contracts));  // its key was free again
            raw.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("previous"));
        return file;
    }

    QString newDatabase()
    {
        const QString location = ServerDb::wanted() ? ServerDb::newDatabase() : newFile();
        QString err;
        if (!createDatabase(location, QDate(2004, 1, 1), &err))
            qWarning("%s", qPrintable(err));
        return location;
    }

    // Appends a contract through a record set, as every window does; its key.
    static qint64 append(Database& db, const QString& number)
    {
        RecordSet q(&db, QStringLiteral("q"));
        q.setSql({QStringLiteral("select * from 汽车租赁登记表 where 内部编号='") + number + QStringLiteral("'")});
        q.open();
        q.append();
        q.setValue(QStringLiteral("内部编号"), number);
        q.post();
        return ServerDb::rowsText(db,
                                  QStringLiteral("select __rk from 汽车租赁登记表 where 内部编号='") + number + QStringLiteral("'"))
            .toLongLong();
    }

    static QString numbers(Database& db)
    {
        return ServerDb::rowsText(db, QStringLiteral("select 内部编号 from 汽车租赁登记表 order by __rk"));
    }

    // A change-log row of the contract, as the rental rules write one.
    static void logChange(Database& db, const QString& number, const QString& kind)
    {
        db.runNative(QStringLiteral("INSERT INTO \"%1\" (内部编号, 变更项目, 原值, 新值, 操作员) VALUES (?, ?, '3', '5', '张三')")
                         .arg(Versions::changeLogTable()),
                     {number, kind});
    }
    static QString changes(Database& db)
    {
        return ServerDb::rowsText(db, QStringLiteral("select 内部编号, 变更项目 from 租赁变更记录 order by __rk"));
    }
    // A database brought back to the shape an earlier version gave it: the tables of our own that
    // came later dropped (their indexes with them), 版本号 set back.
    static void backTo(Database& db, int version)
    {
        for (const TableDef* t : Versions::carriedTables())
            if (Versions::arrivedIn(t->name) > version)
                db.runNative(QStringLiteral("DROP TABLE \"%1\"").arg(t->name));
        if (version < 3)
            db.runNative(QStringLiteral("DROP INDEX IF EXISTS ix_zl_unsettled"));
        if (version < 6)
            db.runNative(QStringLiteral("DROP INDEX IF EXISTS ix_zl_dispatch"));
        db.runNative(QStringLiteral("UPDATE \"%1\" SET 版本号 = ?").arg(Versions::versionTable()), {version});
        QCOMPARE(Versions::version(db), version);
    }
    static void backToVersionTwo(Database& db) { backTo(db, 2); }
    static bool hasIndex(Database& db, const QString& name)
    {
        const bool server = db.backend().driverName() == QLatin1String("QPSQL");
        QSqlQuery ix = db.runNative(server ? QStringLiteral("SELECT count(*) FROM pg_indexes WHERE indexname = ?")
                                           : QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE name = ?"),
                                    {name});
        return ix.next() && ix.value(0).toInt() == 1;
    }
    // A backup file written by version 2: contracts ZL1, ZL2.
    QString versionTwoBackup()
    {
        const QString file = newFile();
        QString err;
        if (!createDatabase(file, QDate(2004, 1, 1), &err))
            qWarning("%s", qPrintable(err));
        Database db;
        db.open(file);
        append(db, QStringLiteral("ZL1"));
        append(db, QStringLiteral("ZL2"));
        backToVersionTwo(db);
        return file;
    }

private Q_SLOTS:
    void initTestCase() { SERVERDB_SKIP_WITHOUT_SERVER(); }

    void keysOfDeletedRowsAreNotHandedOutAgain_data()
    {
        QTest::addColumn<bool>("previousVersion");
        QTest::newRow("new database") << false;
        QTest::newRow("database of the previous version, upgraded when opened") << true;
    }
    void keysOfDeletedRowsAreNotHandedOutAgain()
    {
        QFETCH(bool, previousVersion);
        QString location = newDatabase();
        if (previousVersion) {
            if (ServerDb::wanted()) {
                Database old;
                QVERIFY(old.open(location));
                // Version 1 had no table of our own.
                for (const TableDef& t : Versions::ownTables())
                    old.runNative(QStringLiteral("DROP TABLE \"%1\"").arg(t.name));
                for (int i = 1; i <= 3; ++i)
                    old.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 收费金额) values ('ZL%1', %1)").arg(i));
                old.execute(QStringLiteral("delete from 汽车租赁登记表 where 内部编号='ZL3'"));
                QCOMPARE(Versions::version(old), 1);
            } else {
                location = previousVersionFile(3);
            }
        } else {
            Database db;
            QVERIFY(db.open(location));
            for (int i = 1; i <= 3; ++i)
                append(db, QStringLiteral("ZL%1").arg(i));
            db.execute(QStringLiteral("delete from 汽车租赁登记表 where 内部编号='ZL3'"));
        }
        Database db;
        QString err;
        QVERIFY2(db.open(location, &err), qPrintable(err));
        QCOMPARE(Versions::version(db), Versions::Current);
        QCOMPARE(numbers(db), QStringLiteral("ZL1,ZL2"));
        // The upgrade kept the rows with their keys.
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select __rk, 内部编号 from 汽车租赁登记表 order by __rk")),
                 QStringLiteral("1/ZL1,2/ZL2"));
        const qint64 next = append(db, QStringLiteral("ZL4"));
        // The previous version kept no mark of a deleted highest key: from the upgrade on it does.
        if (!previousVersion)
            QCOMPARE(next, qint64(4));
        db.execute(QStringLiteral("delete from 汽车租赁登记表 where 内部编号='ZL4'"));
        QCOMPARE(append(db, QStringLiteral("ZL5")), next + 1);
        // Data initialization empties the table; the keys still go on.
        Maintenance::initialize(db, QVector<bool>(Maintenance::initTables().size(), true));
        QCOMPARE(append(db, QStringLiteral("ZL6")), next + 2);
    }

    // A workstation reads contracts; a backup of an older state is restored (another counter's,
    // or this one's): the open set cannot write into the restored rows, the typed value is kept;
    // read again, it saves. Keys go on above everything handed out before the restore.
    void restoreUnderAnOpenSet()
    {
        const QString location = newDatabase();
        Database db;
        QVERIFY(db.open(location));
        append(db, QStringLiteral("ZL1"));
        append(db, QStringLiteral("ZL2"));
        const QString backup = newFile();
        QString err;
        QVERIFY2(Maintenance::backup(db, backup, &err), qPrintable(err));
        append(db, QStringLiteral("ZL3"));
        append(db, QStringLiteral("ZL4"));
        db.execute(QStringLiteral("delete from 汽车租赁登记表 where 内部编号 in ('ZL1', 'ZL2')"));

        RecordSet q(&db, QStringLiteral("q_qczlb"));
        q.setSql({QStringLiteral("select * from 汽车租赁登记表 order by __rk")});
        q.open();
        QCOMPARE(q.asString(QStringLiteral("内部编号")), QStringLiteral("ZL3"));

        QVERIFY2(Maintenance::restore(backup, location, &err), qPrintable(err));
        QCOMPARE(numbers(db), QStringLiteral("ZL1,ZL2"));

        q.edit();
        q.setValue(QStringLiteral("付款情况"), QStringLiteral("现金"));
        try {
            q.post();
            QFAIL("a set read before the restore wrote into it");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::Kind::Stale);
            QCOMPARE(e.text(), StaleText);
        }
        QCOMPARE(q.state(), RecordSet::Edit);
        QCOMPARE(q.asString(QStringLiteral("付款情况")), QStringLiteral("现金"));
        try {
            q.cancel();
            q.remove();
            QFAIL("a set read before the restore deleted from it");
        } catch (const DbError& e) {
            QCOMPARE(e.kind(), DbError::Kind::Stale);
        }
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select count(*) from 汽车租赁登记表 where 付款情况 is not null")),
                 QStringLiteral("0"));
        QCOMPARE(numbers(db), QStringLiteral("ZL1,ZL2"));

        q.reopen();
        q.edit();
        q.setValue(QStringLiteral("付款情况"), QStringLiteral("现金"));
        q.post();
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select 内部编号 from 汽车租赁登记表 where 付款情况='现金'")),
                 QStringLiteral("ZL1"));
        // Keys 3 and 4 were handed out before the restore: they stay spent.
        QCOMPARE(append(db, QStringLiteral("ZL5")), qint64(5));

        // Data initialization, too, leaves sets read before it unable to write.
        RecordSet r(&db, QStringLiteral("q_qcda"));
        r.setSql({QStringLiteral("select * from 汽车档案")});
        r.open();
        Maintenance::initialize(db, {true});
        r.append();
        r.setValue(QStringLiteral("车牌号"), QStringLiteral("苏A00001"));
        QVERIFY_THROWS_EXCEPTION(DbError, r.post());
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select count(*) from 汽车档案")), QStringLiteral("0"));
    }

    // A backup file written by the previous version restores into today's database: its rows
    // arrive, the database stays at the current version, and keys continue above both.
    void backupOfThePreviousVersionRestores()
    {
        const QString location = newDatabase();
        Database db;
        QVERIFY(db.open(location));
        for (int i = 1; i <= 6; ++i)
            append(db, QStringLiteral("X%1").arg(i));
        const QString previous = previousVersionFile(4);  // ZL1..ZL3 left, key 4 given and deleted
        QString err;
        QVERIFY2(Maintenance::restore(previous, location, &err), qPrintable(err));
        QCOMPARE(numbers(db), QStringLiteral("ZL1,ZL2,ZL3"));
        QCOMPARE(Versions::version(db), Versions::Current);
        QCOMPARE(append(db, QStringLiteral("ZL9")), qint64(7));
        // The chosen file itself is not changed by the restore.
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("look"));
        raw.setDatabaseName(previous);
        QVERIFY(raw.open());
        QVERIFY(!raw.tables().contains(Versions::versionTable()));
        raw.close();
        raw = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("look"));
    }

    // The change log arrived in version 3: a database of version 2 gains it empty when opened,
    // keeping its rows; a backup made by version 2 restores into today's database (which then
    // holds no change of the contracts it no longer has); a backup of today's carries the log, and
    // so does a copy from a database that has it; data initialization empties it with the contracts.
    void theChangeLogArrivesWithVersionThree()
    {
        const QString location = newDatabase();
        {
            Database old;
            QVERIFY(old.open(location));
            append(old, QStringLiteral("ZL7"));
            backToVersionTwo(old);
        }
        Database db;
        QString err;
        QVERIFY2(db.open(location, &err), qPrintable(err));
        QCOMPARE(Versions::version(db), Versions::Current);
        QCOMPARE(numbers(db), QStringLiteral("ZL7"));
        QCOMPARE(changes(db), QString());
        // The open contracts' index comes with it.
        QVERIFY(hasIndex(db, QStringLiteral("ix_zl_unsettled")));
        logChange(db, QStringLiteral("ZL7"), QStringLiteral("续租"));
        QCOMPARE(changes(db), QStringLiteral("ZL7/续租"));

        // Backup and restore carry the log; a version 2 backup has none to bring.
        const QString backup = newFile();
        QVERIFY2(Maintenance::backup(db, backup, &err), qPrintable(err));
        logChange(db, QStringLiteral("ZL7"), QStringLiteral("换车"));
        QVERIFY2(Maintenance::restore(backup, location, &err), qPrintable(err));
        QCOMPARE(changes(db), QStringLiteral("ZL7/续租"));
        const QString previous = versionTwoBackup();
        QVERIFY2(Maintenance::restore(previous, location, &err), qPrintable(err));
        QCOMPARE(Versions::version(db), Versions::Current);
        QCOMPARE(numbers(db), QStringLiteral("ZL1,ZL2"));
        QCOMPARE(changes(db), QString());
        // The chosen file stays as version 2 made it.
        {
            Database look;
            QVERIFY(look.open(previous, &err, Database::Upgrade::No));
            QCOMPARE(Versions::version(look), 2);
        }

        // A file that says version 3 but lacks the log is no backup of ours: refused by name.
        const QString broken = versionTwoBackup();
        {
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("broken"));
            raw.setDatabaseName(broken);
            QVERIFY(raw.open());
            QVERIFY(QSqlQuery(raw).exec(QStringLiteral("update 数据库版本 set 版本号 = 3")));
            raw.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("broken"));
        QVERIFY(!Maintenance::restore(broken, location, &err));
        QVERIFY2(err.contains(QStringLiteral("缺少表 租赁变更记录")), qPrintable(err));
        QCOMPARE(numbers(db), QStringLiteral("ZL1,ZL2"));

        // A copy takes the log from a source that has it; a version 2 source gives an empty one.
        logChange(db, QStringLiteral("ZL1"), QStringLiteral("换车"));
        const QString copied = newFile();
        QVERIFY2(DbCopy::copy(location, copied, &err), qPrintable(err));
        const QString fromPrevious = newFile();
        QVERIFY2(DbCopy::copy(previous, fromPrevious, &err), qPrintable(err));
        {
            Database c, p;
            QVERIFY(c.open(copied));
            QCOMPARE(changes(c), QStringLiteral("ZL1/换车"));
            QVERIFY(p.open(fromPrevious));
            QCOMPARE(numbers(p), QStringLiteral("ZL1,ZL2"));
            QCOMPARE(changes(p), QString());
        }

        // Data initialization: the log goes with the contracts, and only with them.
        QVector<bool> ticked(Maintenance::initTables().size(), true);
        ticked[6] = false;  // 汽车租赁登记表
        Maintenance::initialize(db, ticked);
        QCOMPARE(changes(db), QStringLiteral("ZL1/换车"));
        ticked.fill(false);
        ticked[6] = true;
        Maintenance::initialize(db, ticked);
        QCOMPARE(numbers(db), QString());
        QCOMPARE(changes(db), QString());
    }

    // The handover sheets and the accessory checklist arrived in version 4 (the settings in 5): a
    // database of version 3 gains them when opened, with the default checklist; backup, restore and copy carry the marks
    // and the office's own checklist; a version 3 backup or copy source gives the default checklist;
    // data initialization empties the sheets with the contracts and keeps the checklist.
    void theHandoverTablesArriveWithVersionFour()
    {
        const auto mark = [](Database& d, const QString& number, int n) {
            d.runNative(QStringLiteral("INSERT INTO 车损标记 (内部编号, 检查阶段, 标记序号, 横坐标, 纵坐标, 损伤说明) "
                                       "VALUES (?, '交车', ?, 10, 20, '划痕')"),
                        {number, n});
        };
        const auto marks = [](Database& d) {
            return ServerDb::rowsText(d, QStringLiteral("select 内部编号, 标记序号 from 车损标记 order by __rk"));
        };
        const auto checklist = [](Database& d) {
            return ServerDb::rowsText(d, QStringLiteral("select 物品名称 from 随车物品 order by 序号"));
        };
        const QString defaults = Versions::defaultAccessories().join(QLatin1Char(','));
        const QString location = newDatabase();
        {
            Database old;
            QVERIFY(old.open(location));
            append(old, QStringLiteral("ZL7"));
            backTo(old, 3);
        }
        Database db;
        QString err;
        QVERIFY2(db.open(location, &err), qPrintable(err));
        QCOMPARE(Versions::version(db), Versions::Current);
        QCOMPARE(numbers(db), QStringLiteral("ZL7"));
        QCOMPARE(checklist(db), defaults);
        QCOMPARE(marks(db), QString());
        // So do the settings of version 5, with theirs.
        const auto settings = [](Database& d) { return ServerDb::rowsText(d, QStringLiteral("select count(*) from 业务设置")); };
        QCOMPARE(settings(db), QString::number(Versions::defaultSettings().size()));
        mark(db, QStringLiteral("ZL7"), 1);
        db.runNative(QStringLiteral("UPDATE 随车物品 SET 物品名称 = '急救包' WHERE 序号 = 1"));
        const QString ours = checklist(db);

        const QString backup = newFile();
        QVERIFY2(Maintenance::backup(db, backup, &err), qPrintable(err));
        mark(db, QStringLiteral("ZL7"), 2);
        QVERIFY2(Maintenance::restore(backup, location, &err), qPrintable(err));
        QCOMPARE(marks(db), QStringLiteral("ZL7/1"));
        QCOMPARE(checklist(db), ours);

        const QString copied = newFile();
        QVERIFY2(DbCopy::copy(location, copied, &err), qPrintable(err));
        const QString previous = newFile();
        {
            QVERIFY2(createDatabase(previous, QDate(2004, 1, 1), &err), qPrintable(err));
            Database p;
            QVERIFY(p.open(previous));
            append(p, QStringLiteral("ZL1"));
            backTo(p, 3);
        }
        const QString fromPrevious = newFile();
        QVERIFY2(DbCopy::copy(previous, fromPrevious, &err), qPrintable(err));
        {
            Database c, p;
            QVERIFY(c.open(copied));
            QCOMPARE(marks(c), QStringLiteral("ZL7/1"));
            QCOMPARE(checklist(c), ours);
            QVERIFY(p.open(fromPrevious));
            QCOMPARE(checklist(p), defaults);
            QCOMPARE(settings(p), QString::number(Versions::defaultSettings().size()));
        }
        QVERIFY2(Maintenance::restore(previous, location, &err), qPrintable(err));
        QCOMPARE(numbers(db), QStringLiteral("ZL1"));
        QCOMPARE(marks(db), QString());
        QCOMPARE(checklist(db), defaults);

        // Data initialization: the sheets go with the contracts, the checklist stays.
        mark(db, QStringLiteral("ZL1"), 1);
        QVector<bool> ticked(Maintenance::initTables().size(), true);
        ticked[6] = false;  // 汽车租赁登记表
        Maintenance::initialize(db, ticked);
        QCOMPARE(marks(db), QStringLiteral("ZL1/1"));
        ticked.fill(false);
        ticked[6] = true;
        Maintenance::initialize(db, ticked);
        QCOMPARE(marks(db), QString());
        QCOMPARE(checklist(db), defaults);
    }

    // The contracts' index by dispatch date arrived in version 6, on a server only (a file reads a
    // year's contracts faster through its plate index): a version 5 database gains it when opened,
    // and so does today's database after a version 5 backup is restored into it, a copy of a version
    // 5 source and data initialization; a new database has it from the start.
    void theDispatchIndexArrivesWithVersionSix()
    {
        const QString location = newDatabase();
        const auto hasDispatch = [](Database& d) {
            return hasIndex(d, QStringLiteral("ix_zl_dispatch")) == (d.backend().driverName() == QLatin1String("QPSQL"));
        };
        {
            Database fresh;
            QVERIFY(fresh.open(location));
            QVERIFY(hasDispatch(fresh));
            append(fresh, QStringLiteral("ZL5"));
            backTo(fresh, 5);
            QVERIFY(!hasIndex(fresh, QStringLiteral("ix_zl_dispatch")));
        }
        Database db;
        QString err;
        QVERIFY2(db.open(location, &err), qPrintable(err));
        QCOMPARE(Versions::version(db), Versions::Current);
        QVERIFY(hasDispatch(db));
        QCOMPARE(numbers(db), QStringLiteral("ZL5"));

        const QString previous = newFile();
        {
            QVERIFY2(createDatabase(previous, QDate(2004, 1, 1), &err), qPrintable(err));
            Database p;
            QVERIFY(p.open(previous));
            append(p, QStringLiteral("ZL1"));
            backTo(p, 5);
        }
        const QString fromPrevious = newFile();
        QVERIFY2(DbCopy::copy(previous, fromPrevious, &err), qPrintable(err));
        {
            Database p;
            QVERIFY(p.open(fromPrevious));
            QVERIFY(hasDispatch(p));
            QCOMPARE(numbers(p), QStringLiteral("ZL1"));
        }
        QVERIFY2(Maintenance::restore(previous, location, &err), qPrintable(err));
        QCOMPARE(Versions::version(db), Versions::Current);
        QVERIFY(hasDispatch(db));
        QCOMPARE(numbers(db), QStringLiteral("ZL1"));

        QVector<bool> ticked(Maintenance::initTables().size(), true);
        Maintenance::initialize(db, ticked);
        QCOMPARE(numbers(db), QString());
        QVERIFY(hasDispatch(db));
    }

    // A copy (to a file or a server database) carries what the source handed out; a database of
    // a later version than this program is refused by name, as a restore file.
    void copyCarriesKeysAndLaterVersionsAreRefused()
    {
        const QString from = newDatabase();
        {
            Database db;
            QVERIFY(db.open(from));
            for (int i = 1; i <= 3; ++i)
                append(db, QStringLiteral("ZL%1").arg(i));
            db.execute(QStringLiteral("delete from 汽车租赁登记表 where 内部编号='ZL3'"));
        }
        const QString to = newFile();
        QString err;
        QVERIFY2(DbCopy::copy(from, to, &err), qPrintable(err));
        Database copy;
        QVERIFY(copy.open(to));
        QCOMPARE(numbers(copy), QStringLiteral("ZL1,ZL2"));
        QCOMPARE(append(copy, QStringLiteral("ZL4")), qint64(4));
        copy.execute(QStringLiteral("update 数据库版本 set 版本号 = 99"));
        copy.close();
        QVERIFY(!copy.open(to, &err));
        QVERIFY2(err.contains(QStringLiteral("数据库版本为 99")), qPrintable(err));
        QVERIFY(!Maintenance::restore(to, from, &err));
        QVERIFY2(err.contains(QStringLiteral("数据库版本为 99")), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestKeys)
#include "test_keys.moc"
