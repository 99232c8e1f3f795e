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
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <functional>
#include <sqlite3.h>
#include <unistd.h>

namespace {
QStringList g_messages;

// What work says on the standard error (where the server's client library prints the server's
// warnings) and through Qt's messages.
QString saidDuring(const std::function<void()>& work)
{
    QTemporaryFile err;
    if (!err.open())
        return QStringLiteral("no scratch file for the standard error");
    fflush(stderr);
    const int saved = dup(2);
    dup2(err.handle(), 2);
    g_messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& m) { g_messages << m; });
    work();
    qInstallMessageHandler(previous);
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    err.seek(0);
    return QString::fromUtf8(err.readAll()) + g_messages.join(QLatin1Char('\n'));
}

// A new server database owned by a new role that is no superuser; its location as that role.
QString ordinaryOwnersDatabase()
{
    static int n = 0;
    const QString role = QStringLiteral("vel_owner_%1_%2").arg(QCoreApplication::applicationPid()).arg(++n);
    PgLocation loc;
    QString err;
    PgLocation::parse(ServerDb::serverUrl(), &loc, &err);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("owner_admin"));
        db.setHostName(loc.host);
        db.setPort(loc.port);
        db.setUserName(loc.user);
        db.setDatabaseName(loc.database);
        QSqlQuery q(db);
        const bool made = db.open() && q.exec(QStringLiteral("CREATE ROLE ") + role + QStringLiteral(" LOGIN NOSUPERUSER"))
                          && q.exec(QStringLiteral("CREATE DATABASE ") + role + QStringLiteral(" OWNER ") + role);
        db.close();
        if (!made)
            return {};
    }
    QSqlDatabase::removeDatabase(QStringLiteral("owner_admin"));
    QUrl url(ServerDb::serverUrl());
    url.setUserName(role);
    url.setPath(QLatin1Char('/') + role);
    return url.toString();
}
}  // namespace

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

    // A backup with a damaged page passes the first look at its shape and fails the full check of
    // the scratch copy the restore makes of it: the message names the file the clerk chose, never
    // that copy, and the database keeps its content.
    void damagedBackupIsNamedAsChosen()
    {
        const QString loc = middle();
        QString err;
        QVERIFY2(createDatabase(loc, QDate(2004, 2, 10), &err), qPrintable(err));
        const QString file = dir.filePath(QStringLiteral("damaged%1.db").arg(qHash(loc)));
        QStringList saved;
        {
            Database db;
            QVERIFY(db.open(loc));
            for (int i = 0; i < 60; ++i)
                db.execute(QStringLiteral("insert into 汽车档案 (车牌号, 备注) values (?, ?)"),
                           {QStringLiteral("苏A%1").arg(i, 5, 10, QLatin1Char('0')), QString(200, QLatin1Char('x'))});
            QVERIFY2(Maintenance::backup(db, file, &err), qPrintable(err));
            db.execute(QStringLiteral("delete from 汽车档案"));
            saved = dump(db);
        }
        // The root page of 汽车档案 gets a page type that does not exist.
        int root = 0, pageSize = 0;
        {
            sqlite3* h = nullptr;
            QVERIFY(sqlite3_open_v2(QFile::encodeName(file).constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK);
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(h, "select rootpage from sqlite_master where name = '汽车档案'", -1, &st, nullptr) == SQLITE_OK
                && sqlite3_step(st) == SQLITE_ROW)
                root = sqlite3_column_int(st, 0);
            sqlite3_finalize(st);
            if (sqlite3_prepare_v2(h, "PRAGMA page_size", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
                pageSize = sqlite3_column_int(st, 0);
            sqlite3_finalize(st);
            sqlite3_close(h);
        }
        QVERIFY(root > 1 && pageSize > 0);
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.seek(qint64(root - 1) * pageSize));
            QVERIFY(f.write("\x01", 1) == 1);
        }
        QVERIFY(!Maintenance::restore(file, loc, &err));
        QVERIFY2(err.contains(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())), qPrintable(err));
        QVERIFY2(!err.contains(QStringLiteral(".part")) && !err.contains(QStringLiteral("restore.db")), qPrintable(err));
        Database db;
        QVERIFY(db.open(loc));
        QCOMPARE(dump(db), saved);
    }

    // The owner of a server database need not be a superuser: copy and restore then settle only
    // the tables they wrote (a VACUUM of the whole database warns once for every shared catalog
    // such an owner may not vacuum), and those tables are vacuumed and analysed all the same.
    void ordinaryOwnerGetsNoWarnings()
    {
        if (!ServerDb::wanted())
            QSKIP("server only");
        const QString to = ordinaryOwnersDatabase();
        QVERIFY(!to.isEmpty());
        const QString from = dir.filePath(QStringLiteral("owner.db"));
        QString err;
        QVERIFY2(createDatabase(from, QDate(2004, 2, 10), &err), qPrintable(err));
        bool copied = false;
        QString said = saidDuring([&] { copied = DbCopy::copy(from, to, &err); });
        QVERIFY2(copied, qPrintable(err));
        QVERIFY2(said.isEmpty(), qPrintable(said));

        Database db;
        QVERIFY(db.open(to));
        for (const TableDef& t : Schema::tables()) {
            QSqlQuery q = db.runNative(QStringLiteral("select last_vacuum is not null and last_analyze is not null "
                                                      "from pg_stat_user_tables where relname = ?"),
                                       {t.name});
            QVERIFY2(q.next() && q.value(0).toBool(), qPrintable(t.name));
        }

        // a restore into it settles the same way
        db.execute(QStringLiteral("insert into 汽车档案 (车牌号) values ('苏A1')"));
        const QString file = dir.filePath(QStringLiteral("owner.bak"));
        QVERIFY2(Maintenance::backup(db, file, &err), qPrintable(err));
        bool restored = false;
        said = saidDuring([&] { restored = Maintenance::restore(file, to, &err); });
        QVERIFY2(restored, qPrintable(err));
        QVERIFY2(said.isEmpty(), qPrintable(said));
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
