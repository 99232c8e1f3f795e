// Data safety of the store as a whole: restore into a database other connections keep using,
// what restore, backup and opening refuse, number limits and password digests.
#include "core/money.h"
#include "core/password.h"
#include "data/creation.h"
#include "data/database.h"
#include "data/maintenance.h"
#include "data/operators.h"
#include "data/recordset.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <mutex>
#include <openssl/evp.h>

namespace {
QString S(const char* s)
{
    return QString::fromUtf8(s);
}

QByteArray digest(const QString& file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(in.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

QVariant scalar(Database& db, const QString& sql)
{
    QSqlQuery q = db.run(sql);
    return q.next() ? q.value(0) : QVariant();
}

// Every row of a table as one text, to compare a table before and after.
QString contentOf(Database& db, const QString& table)
{
    QStringList names;
    QVector<QVector<QVariant>> rows;
    db.selectRows(QStringLiteral("select * from ") + table + QStringLiteral(" order by __rk"), true, &names, &rows);
    QStringList out;
    for (const auto& r : rows) {
        QStringList cells;
        for (const QVariant& v : r)
            cells << v.toString();
        out << cells.join(QLatin1Char('|'));
    }
    return out.join(QLatin1Char('\n'));
}
}  // namespace

class TestSafety : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString path(const QString& n) const { return dir.filePath(n); }
    QString fresh(const QString& name)
    {
        const QString p = path(name);
        QFile::remove(p);
        QString error;
        if (!createDatabase(p, QDate(2004, 2, 10), &error))
            qFatal("create: %s", qPrintable(error));
        return p;
    }
    // A database with every table but one made by hand from the given statement.
    QString variant(const QString& name, const QStringList& statements)
    {
        const QString p = fresh(name);
        Database db;
        if (!db.open(p))
            qFatal("open %s", qPrintable(p));
        for (const QString& s : statements)
            db.runNative(s);
        db.close();
        return p;
    }

private Q_SLOTS:
    // Another workstation keeps saving while this one restores: whatever it saves once the restore
    // is done lands in the restored database; nothing it was told was saved goes missing.
    void restoreWhileAnotherConnectionKeepsSaving()
    {
        const QString live = fresh(S("live.db"));
        const QString saved = fresh(S("saved.db"));
        {
            Database db;
            QVERIFY(db.open(saved));
            db.execute(S("insert into 汽车档案 (车牌号) values ('苏B00001')"));
        }
        std::atomic<bool> restored{false}, stop{false};
        std::atomic<int> acknowledged{0};
        std::mutex m;
        QList<int> afterRestore, beforeRestore;
        QThread* writer = QThread::create([&] {
            Database db;
            if (!db.open(live))
                return;
            for (int n = 1; !stop; ++n) {
                const bool restoreWasDone = restored;  // read before the save starts
                try {
                    db.execute(S("insert into 现金日记帐 (凭证号) values (?)"), {QString::number(n)});
                    std::lock_guard<std::mutex> lock(m);
                    (restoreWasDone ? afterRestore : beforeRestore) << n;
                    ++acknowledged;
                } catch (const DbError&) {
                    // refused with an error: the clerk is told, nothing is lost silently
                }
            }
        });
        writer->start();
        QTRY_VERIFY(acknowledged >= 20);
        Maintenance::RestoreOptions slow;
        slow.pagesPerStep = 4;
        // Steps spread out, so that the writer's saves fall on the restore in progress too.
        slow.progress = [](int, int) {
            QThread::msleep(5);
            return true;
        };
        QString err;
        QVERIFY2(Maintenance::restore(saved, live, &err, slow), qPrintable(err));
        restored = true;
        const int at = acknowledged;
        QTRY_VERIFY(acknowledged >= at + 30);
        stop = true;
        writer->wait();
        delete writer;

        Database check;
        QVERIFY(check.open(live));
        QCOMPARE(scalar(check, S("select count(*) from 汽车档案 where 车牌号='苏B00001'")).toInt(), 1);
        QCOMPARE(scalar(check, S("PRAGMA integrity_check")).toString(), S("ok"));
        QSet<int> stored;
        QSqlQuery q = check.run(S("select 凭证号 from 现金日记帐"));
        while (q.next())
            stored << q.value(0).toInt();
        QVERIFY(afterRestore.size() >= 30);
        for (int n : afterRestore)
            QVERIFY2(stored.contains(n), qPrintable(QString::number(n)));
        // what was saved before the restore began belongs to the replaced content
        QVERIFY(!stored.contains(beforeRestore.first()));
    }

    // A restore stopped in the middle of copying pages leaves every committed row, and a
    // connection that was open throughout still works.
    void restoreStoppedPartWayLeavesEveryRow()
    {
        const QString live = fresh(S("stopped.db"));
        const QString saved = fresh(S("stopped-saved.db"));
        Database db;
        QVERIFY(db.open(live));
        {
            Transaction tx(db);
            for (int i = 0; i < 400; ++i)
                db.execute(S("insert into 客户登记表 (客户号, 客户姓名, 家庭住址) values (?, ?, ?)"),
                           {QString::number(i), S("客户%1").arg(i), QString(200, QLatin1Char('x'))});
            tx.commit();
        }
        const QString before = contentOf(db, S("客户登记表"));
        int steps = 0;
        Maintenance::RestoreOptions stopping;
        stopping.pagesPerStep = 8;
        stopping.progress = [&](int copied, int total) {
            ++steps;
            return !(copied > 0 && copied < total);  // stops while the copy is incomplete
        };
        QString err;
        QVERIFY(!Maintenance::restore(saved, live, &err, stopping));
        QCOMPARE(steps, 1);
        QVERIFY(!err.isEmpty());
        QCOMPARE(contentOf(db, S("客户登记表")), before);
        db.execute(S("insert into 汽车档案 (车牌号) values ('苏A1')"));
        Database other;
        QVERIFY(other.open(live));
        QCOMPARE(contentOf(other, S("客户登记表")), before);
        QCOMPARE(scalar(other, S("PRAGMA integrity_check")).toString(), S("ok"));
        QVERIFY(!QFile::exists(path(S(".stopped.db.part"))));

        // the same restore run to the end replaces the content, under the open connection too
        QVERIFY2(Maintenance::restore(saved, live, &err), qPrintable(err));
        QCOMPARE(scalar(db, S("select count(*) from 客户登记表")).toInt(), 0);
        QCOMPARE(scalar(db, S("select count(*) from 汽车档案")).toInt(), 0);
        db.execute(S("insert into 汽车档案 (车牌号) values ('苏A2')"));
        QCOMPARE(scalar(other, S("select 车牌号 from 汽车档案")).toString(), S("苏A2"));
    }

    // A backup with pages of another size (an older engine's default) still restores into the
    // live database, whose log takes pages of its own size only.
    void restoreFromAnotherPageSize()
    {
        const QString live = fresh(S("pages-live.db"));
        const QString saved = variant(S("pages.db"), {S("insert into 汽车档案 (车牌号) values ('苏D1')"),
                                                      S("PRAGMA journal_mode=DELETE"), S("PRAGMA page_size=1024"), S("VACUUM")});
        {
            QFile in(saved);
            QVERIFY(in.open(QIODevice::ReadOnly));
            const QByteArray header = in.read(18);
            QCOMPARE((quint8(header[16]) << 8) | quint8(header[17]), 1024);
        }
        Database db;
        QVERIFY(db.open(live));
        QCOMPARE(scalar(db, S("PRAGMA page_size")).toInt(), 4096);
        QString err;
        QVERIFY2(Maintenance::restore(saved, live, &err), qPrintable(err));
        QCOMPARE(scalar(db, S("select 车牌号 from 汽车档案")).toString(), S("苏D1"));
        QCOMPARE(scalar(db, S("PRAGMA page_size")).toInt(), 4096);
        QCOMPARE(scalar(db, S("PRAGMA integrity_check")).toString(), S("ok"));
    }

    // A database file that is no longer a database at all (and has no log beside it) is what a
    // restore is for: the checked copy takes its place.
    void restoreOverADestroyedDatabase()
    {
        const QString live = path(S("destroyed.db"));
        QFile out(live);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(QByteArray(8192, '\x5a'));
        out.close();
        const QString saved = variant(S("destroyed-saved.db"), {S("insert into 汽车档案 (车牌号) values ('苏E1')")});
        QString err;
        QVERIFY2(Maintenance::restore(saved, live, &err), qPrintable(err));
        Database db;
        QVERIFY(db.open(live));
        QCOMPARE(scalar(db, S("select 车牌号 from 汽车档案")).toString(), S("苏E1"));
    }

    // Opening after a crash: the read-only look before the connection finds the rows still in the log.
    void openingAfterACrashKeepsCommittedRows()
    {
        const QString live = fresh(S("crash.db"));
        Database db;
        QVERIFY(db.open(live));
        db.execute(S("insert into 汽车档案 (车牌号) values ('苏F1')"));
        QVERIFY(QFileInfo(live + S("-wal")).size() > 0);
        // the files as a killed program leaves them: log with the commit, with or without its index
        for (const char* name : {"crash-copy.db", "crash-copy2.db"}) {
            const QString copy = path(S(name));
            QVERIFY(QFile::copy(live, copy));
            QVERIFY(QFile::copy(live + S("-wal"), copy + S("-wal")));
            if (QByteArray(name) == "crash-copy.db")
                QVERIFY(QFile::copy(live + S("-shm"), copy + S("-shm")));
            Database after;
            QString err;
            QVERIFY2(after.open(copy, &err), qPrintable(err));
            QCOMPARE(scalar(after, S("select 车牌号 from 汽车档案")).toString(), S("苏F1"));
        }
    }

    void restoreRefusesFilesOfAnotherShape_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("message");
        QTest::newRow("older version") << QStringList{S("DROP TABLE 关帐日期"),
                                                      S("CREATE TABLE 关帐日期 (__rk INTEGER PRIMARY KEY, \"关帐日期\" DATETIME)")}
                                       << S("表 关帐日期 的列 关帐日期 类型为 DATETIME，应为 DATETIME TEXT");
        // The file's own scratch tables, past the connection's private ones of the same name.
        QTest::newRow("missing column") << QStringList{S("DROP TABLE main.图形显示"),
                                                       S("CREATE TABLE main.图形显示 (__rk INTEGER PRIMARY KEY, x TEXT)")}
                                        << S("表 图形显示 缺少列 sl1");
        QTest::newRow("extra column") << QStringList{S("ALTER TABLE 摘要 ADD COLUMN 密钥 TEXT")} << S("表 摘要 有本系统没有的列 密钥");
        QTest::newRow("missing table") << QStringList{S("DROP TABLE main.通用")} << S("缺少表 通用");
        QTest::newRow("trigger") << QStringList{S("CREATE TRIGGER t AFTER INSERT ON 现金日记帐 BEGIN DELETE FROM 权限表; END")}
                                 << S("触发器或视图（t）");
    }

    // Every table with one column x passed before; now each difference is named.
    void restoreRefusesFilesOfAnotherShape()
    {
        QFETCH(QStringList, statements);
        QFETCH(QString, message);
        const QString live = fresh(S("shape-live.db"));
        const QString bad = variant(S("shape.db"), statements);
        const QByteArray before = digest(live);
        QString err;
        QVERIFY(!Maintenance::restore(bad, live, &err));
        QVERIFY2(err.contains(message), qPrintable(err));
        QCOMPARE(digest(live), before);
        QVERIFY(!QFile::exists(live + S("-wal")));
    }

    // The live database's log, shared memory and journal are no backup destinations and no
    // restore sources; the database stays sound for the other connections.
    void companionFilesAreRefused()
    {
        const QString live = fresh(S("companion.db"));
        Database db, other;
        QVERIFY(db.open(live));
        QVERIFY(other.open(live));
        db.execute(S("insert into 汽车档案 (车牌号) values ('苏C1')"));
        QVERIFY(QFile::exists(live + S("-wal")) && QFile::exists(live + S("-shm")));
        const QByteArray wal = digest(live + S("-wal")), shm = digest(live + S("-shm"));
        QString err;
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            err.clear();
            QVERIFY2(!Maintenance::backup(db, live + S(suffix), &err), suffix);
            QVERIFY(err.contains(S("日志文件")));
            // spelled another way, through a folder and back
            QVERIFY(!Maintenance::backup(db, dir.path() + S("/./x/../companion.db") + S(suffix), &err));
            QVERIFY(!Maintenance::restore(live + S(suffix), live, &err));
            QVERIFY(err.contains(S("日志文件")));
        }
        QVERIFY(!QFile::exists(live + S("-journal")));
        QCOMPARE(digest(live + S("-wal")), wal);
        QCOMPARE(digest(live + S("-shm")), shm);
        QCOMPARE(scalar(other, S("select 车牌号 from 汽车档案")).toString(), S("苏C1"));
        QCOMPARE(scalar(other, S("PRAGMA integrity_check")).toString(), S("ok"));
    }

    // Opening looks before it changes anything: a file that is not ours stays byte for byte.
    void openingAForeignFileLeavesItUntouched()
    {
        const QString foreign = path(S("notes.db"));
        {
            Database raw;
            QVERIFY(raw.create(foreign));
            raw.runNative(S("PRAGMA journal_mode=DELETE"));
            raw.runNative(S("DROP TABLE 权限表"));
        }
        const QString shape = variant(S("shape-open.db"),
                                      {S("ALTER TABLE 汽车档案 ADD COLUMN 颜色2 TEXT"), S("PRAGMA journal_mode=DELETE")});
        for (const QString& f : {foreign, shape}) {
            for (const QString& c : {f + S("-wal"), f + S("-shm")})
                QVERIFY(!QFile::exists(c));
            const QByteArray before = digest(f);
            QByteArray header;
            {
                QFile in(f);
                QVERIFY(in.open(QIODevice::ReadOnly));
                header = in.read(20);
            }
            Database db;
            QString err;
            QVERIFY(!db.open(f, &err));
            QVERIFY(!err.isEmpty());
            QCOMPARE(digest(f), before);
            QCOMPARE(header.at(18), char(1));  // still a rollback-journal file, never switched to a log
            for (const QString& c : {f + S("-wal"), f + S("-shm")})
                QVERIFY2(!QFile::exists(c), qPrintable(c));
        }
    }

    void amountsBeyondTheRangeAreRefused()
    {
        QVERIFY(!Money::parse(S("922337203685478")));
        QVERIFY(!Money::parse(S("922337203685477.5808")));
        QVERIFY(!Money::parse(S("-922337203685477.5808")));
        QVERIFY(!Money::parse(S("99999999999999999999")));
        QCOMPARE(Money::parse(S("922337203685477.5807"))->units(), std::numeric_limits<qint64>::max());
        QCOMPARE(Money::parse(S("-922337203685477.5807"))->units(), -std::numeric_limits<qint64>::max());
        QVERIFY(!Money::fromUnits(std::numeric_limits<qint64>::max()).checkedAdd(Money::fromUnits(1)));
        QVERIFY(!Money::fromYuan(600000000000000).checkedTimes(20));
        QCOMPARE(Money::fromYuan(3).checkedTimes(-4)->units(), -120000);
        QVERIFY(!Money::fromStored(1e20));
        QVERIFY(!Money::fromStored(std::numeric_limits<double>::infinity()));
        QVERIFY(!wholeNumber(1e20));
        QVERIFY(!wholeNumber(std::nan("")));
        QCOMPARE(*wholeNumber(2.5), 2);
        QCOMPARE(*wholeNumber(-9.2e18), qint64(-9200000000000000000));
    }

    // At save: a value that the column cannot hold is refused with its reason and nothing is stored;
    // what it can hold comes back exactly as typed.
    void savesRefuseWhatTheColumnCannotHold_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("reason");
        QTest::newRow("amount beyond the type") << S("单价") << S("922337203685478") << S("不是有效的金额");
        QTest::newRow("amount beyond storage") << S("单价") << S("600000000000000.5") << S("超出金额范围");
        QTest::newRow("number inf") << S("数量") << S("inf") << S("超出数值范围");
        QTest::newRow("number nan") << S("数量") << S("nan") << S("超出数值范围");
        QTest::newRow("number -inf") << S("数量") << S("-inf") << S("超出数值范围");
    }

    void savesRefuseWhatTheColumnCannotHold()
    {
        QFETCH(QString, column);
        QFETCH(QString, typed);
        QFETCH(QString, reason);
        Database db;
        QVERIFY(db.open(fresh(S("limits.db"))));
        RecordSet q(&db);
        q.setSql({S("select * from 换油记录表")});
        q.open();
        q.append();
        q.setValue(S("车牌号"), S("苏A1"));
        try {
            q.setValue(column, typed);
            QFAIL("accepted");
        } catch (const DbError& e) {
            QVERIFY2(e.text().contains(typed) && e.text().contains(reason), qPrintable(e.text()));
        }
        q.cancel();
        QCOMPARE(scalar(db, S("select count(*) from 换油记录表")).toInt(), 0);
    }

    void integerAndAmountLimitsAtSave()
    {
        Database db;
        QVERIFY(db.open(fresh(S("limits2.db"))));
        RecordSet q(&db);
        q.setSql({S("select * from 提醒功能初始表")});
        q.open();
        q.append();
        QVERIFY_THROWS_EXCEPTION(DbError, q.setValue(S("期限"), S("1e20")));
        QVERIFY_THROWS_EXCEPTION(DbError, q.setValue(S("期限"), S("-99999999999999999999")));
        q.setValue(S("期限"), S("9223372036854775807"));
        q.setValue(S("项目"), S("上限"));
        q.post();
        QCOMPARE(scalar(db, S("select 期限 from 提醒功能初始表 where 项目='上限'")).toLongLong(), std::numeric_limits<qint64>::max());

        RecordSet m(&db);
        m.setSql({S("select * from 图形显示")});
        m.open();
        m.append();
        m.setValue(S("je1"), S("99999999999.9999"));
        m.post();
        m.append();
        m.setValue(S("je1"), S("-99999999999.9999"));
        m.post();
        m.reopen();
        QCOMPARE(m.asMoney(S("je1")).toString(), S("99999999999.9999"));
        m.next();
        QCOMPARE(m.asMoney(S("je1")).toString(), S("-99999999999.9999"));
    }

    // The engine's exact sum refuses a total it cannot hold instead of wrapping round, and stays
    // exact past the range where a floating total would drift.
    void sumsBeyondTheRangeAreEngineErrors()
    {
        Database db;
        QVERIFY(db.open(fresh(S("sums.db"))));
        // written past the program's checks, as another tool could
        for (int i = 0; i < 2; ++i)
            db.runNative(S("insert into 图形显示 (sl1, je1) values ('a', 600000000000000.5)"));
        try {
            scalar(db, S("select sum(je1) as s from 图形显示"));
            QFAIL("an overflowing sum gave a value");
        } catch (const DbError& e) {
            QVERIFY2(e.text().contains(S("合计超出金额范围")), qPrintable(e.text()));
        }
        db.runNative(S("delete from 图形显示"));
        for (int i = 0; i < 2; ++i)
            db.runNative(S("insert into 提醒功能初始表 (项目, 期限) values ('x', 5000000000000000000)"));
        QVERIFY_THROWS_EXCEPTION(DbError, scalar(db, S("select sum(期限) from 提醒功能初始表 where 项目='x'")));

        for (int i = 0; i < 3; ++i)
            db.runNative(S("insert into 图形显示 (sl1, je1) values ('b', 99999999999.9999)"));
        db.runNative(S("insert into 图形显示 (sl1, je1) values ('b', 0.0003)"));
        QCOMPARE(Money::fromVariant(scalar(db, S("select sum(je1) from 图形显示"))).toString(), S("300000000000.0000"));
        QCOMPARE(Money::fromVariant(scalar(db, S("select sum(je1) from 图形显示 where je1 < 1"))).toString(), S("0.0003"));
    }

    void passwordDigests()
    {
        const QString a = Password::hash(S("abc1")), b = Password::hash(S("ABC1"));
        QVERIFY(Password::isHash(a));
        QVERIFY(a != b);  // salted: the same password never gives the same text
        QVERIFY(!a.contains(S("abc1"), Qt::CaseInsensitive));
        for (const QString& stored : {a, b}) {
            QVERIFY(Password::matches(stored, S("ABC1")));
            QVERIFY(Password::matches(stored, S("abc1")));
            QVERIFY(!Password::matches(stored, S("ABC")));
            QVERIFY(!Password::matches(stored, S("ABC1 ")));
        }
        QVERIFY(Password::matches(Password::hash(QString()), QString()));
        QVERIFY(!Password::matches(Password::hash(QString()), S(" ")));
        // a digest that was tampered with matches nothing
        QString broken = a;
        broken[broken.size() - 3] = broken[broken.size() - 3] == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
        QVERIFY(!Password::matches(broken, S("ABC1")));
        QVERIFY(!Password::matches(broken, broken));
        // clear text of an earlier version still compares as the login always did
        QVERIFY(!Password::isHash(S("abc1")));
        QVERIFY(Password::matches(S("abc1"), S("ABC1")));
    }

    // The login reads the chosen operator, compares, and upgrades a clear-text password once.
    void loginUpgradesClearText()
    {
        Database db;
        QVERIFY(db.open(fresh(S("login.db"))));
        db.execute(S("insert into 权限表 (姓名, 操作口令, 输入法, 财务管理权) values ('张三', 'pw9', 'ibus', 1)"));
        db.execute(S("insert into 权限表 (姓名, 操作口令) values ('张三', 'other')"));
        QCOMPARE(Operators::names(db), (QStringList{S("张三"), S("张三"), S("管理员")}));
        Operator op;
        QCOMPARE(Operators::login(db, S("张三"), S("OTHER"), &op), Operators::Login::WrongPassword);
        QCOMPARE(scalar(db, S("select 操作口令 from 权限表 where 操作口令='pw9'")).toString(), S("pw9"));
        QCOMPARE(Operators::login(db, S("张三"), S("PW9"), &op), Operators::Login::Ok);
        QCOMPARE(op.name, S("张三"));
        QCOMPARE(op.inputMethod, S("ibus"));
        QVERIFY(op.财务管理权 && !op.系统维护权);
        const QString stored = scalar(db, S("select 操作口令 from 权限表 where 姓名='张三' order by __rk")).toString();
        QVERIFY(Password::isHash(stored));
        QVERIFY(Password::matches(stored, S("PW9")));
        // the second 张三 was not touched
        QCOMPARE(scalar(db, S("select count(*) from 权限表 where 操作口令='other'")).toInt(), 1);
        QCOMPARE(Operators::login(db, S("张三"), S("PW9"), &op), Operators::Login::Ok);
        QCOMPARE(scalar(db, S("select 操作口令 from 权限表 where 姓名='张三' order by __rk")).toString(), stored);
        QCOMPARE(Operators::login(db, S("李四"), QString(), &op), Operators::Login::WrongPassword);
        QCOMPARE(Operators::login(db, S("管理员"), QString(), &op), Operators::Login::Ok);
    }

    // A digest made with a cheaper work factor than today's (derived here with OpenSSL directly)
    // still logs in, and that login replaces it by a digest of today's; a wrong password leaves it.
    void loginUpgradesAWeakDigest()
    {
        const QByteArray salt("0123456789abcdef");
        QByteArray derived(32, '\0');
        QVERIFY(PKCS5_PBKDF2_HMAC("PW9", 3, reinterpret_cast<const unsigned char*>(salt.constData()), int(salt.size()), 1000,
                                  EVP_sha256(), int(derived.size()), reinterpret_cast<unsigned char*>(derived.data()))
                == 1);
        const QString weak = S("pbkdf2_sha256$1000$") + QString::fromLatin1(salt.toBase64()) + QLatin1Char('$')
                             + QString::fromLatin1(derived.toBase64());
        QVERIFY(Password::matches(weak, S("pw9")));
        QVERIFY(Password::needsUpgrade(weak));
        QVERIFY(Password::needsUpgrade(S("pw9")));
        QVERIFY(!Password::needsUpgrade(Password::hash(S("PW9"))));
        // a work factor above today's is never lowered again
        QVERIFY(!Password::needsUpgrade(S("pbkdf2_sha256$900000$") + QString::fromLatin1(salt.toBase64()) + QLatin1Char('$')
                                        + QString::fromLatin1(derived.toBase64())));

        Database db;
        QVERIFY(db.open(fresh(S("weak.db"))));
        db.execute(S("insert into 权限表 (姓名, 操作口令, 统计分析权) values ('李四', ?, 1)"), {weak});
        const QString read = S("select 操作口令 from 权限表 where 姓名='李四'");
        Operator op;
        QCOMPARE(Operators::login(db, S("李四"), S("PW8"), &op), Operators::Login::WrongPassword);
        QCOMPARE(scalar(db, read).toString(), weak);
        QCOMPARE(Operators::login(db, S("李四"), S("pw9"), &op), Operators::Login::Ok);
        QVERIFY(op.统计分析权);
        const QString upgraded = scalar(db, read).toString();
        QVERIFY(upgraded != weak);
        QCOMPARE(upgraded.section(QLatin1Char('$'), 1, 1), S("600000"));
        QVERIFY(Password::matches(upgraded, S("PW9")));
        QVERIFY(!Password::matches(upgraded, S("PW8")));
        // the next login finds nothing to upgrade
        QCOMPARE(Operators::login(db, S("李四"), S("PW9"), &op), Operators::Login::Ok);
        QCOMPARE(scalar(db, read).toString(), upgraded);
    }
};

QTEST_GUILESS_MAIN(TestSafety)
#include "test_safety.moc"
