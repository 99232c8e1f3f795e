// Creation step and opening: a new database holds what the program relies on at start;
// nothing else ever creates one.
#include "core/password.h"
#include "data/columns.h"
#include "data/creation.h"
#include "data/versions.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/settings.h"

#include <QFile>
#include <QSet>
#include <QFileInfo>
#include <QSqlQuery>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestCreation : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    int count(Database& db, const QString& sql)
    {
        QSqlQuery q = db.run(sql);
        return q.next() ? q.value(0).toInt() : -1;
    }

private Q_SLOTS:
    void newDatabaseHasSchemaAndDefaultRows()
    {
        QString err;
        QVERIFY2(createDatabase(path(QStringLiteral("data/qczl.db")), QDate(2004, 2, 10), &err), qPrintable(err));
        Database db;
        QVERIFY(db.open(path(QStringLiteral("data/qczl.db"))));
        // The sixteen tables, the version table, the change log, the handover sheets with their marks,
        // the accessory checklist, the fines, the audit log, the settings and the engine's table of
        // key marks.
        QCOMPARE(count(db, QStringLiteral("select count(*) from sqlite_master where type='table'")), 25);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 业务设置")), 6);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 随车物品")), 6);
        QCOMPARE(count(db, QStringLiteral("select 版本号 from 数据库版本")), Versions::Current);
        for (const auto& t : Schema::tables()) {
            RecordSet rs(&db);
            rs.setSql({QStringLiteral("select * from ") + t.name});
            rs.open();
            QCOMPARE(rs.fields().size(), t.columns.size());
        }
        RecordSet op(&db);
        op.setSql({QStringLiteral("select * from 权限表 order by 姓名")});
        op.open();
        QCOMPARE(op.recordCount(), 1);
        QCOMPARE(op.asString(QStringLiteral("姓名")), Schema::defaultOperatorName());
        // the empty password, kept as its digest
        QVERIFY(Password::isHash(op.asString(QStringLiteral("操作口令"))));
        QVERIFY(Password::matches(op.asString(QStringLiteral("操作口令")), QString()));
        for (const char* flag : {"系统维护权", "日常业务权", "其他业务权", "统计分析权", "财务管理权"})
            QVERIFY(op.asBoolean(QString::fromUtf8(flag)));
        QCOMPARE(count(db, QStringLiteral("select count(*) from 公司信息 where 自动提醒=no and 系统标题<>''")), 1);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 关帐日期 where 关帐日期=cdate('2004-2-10')")), 1);
        RecordSet tx(&db);
        tx.setSql({QStringLiteral("select * from 提醒功能初始表 order by 序号")});
        tx.open();
        QStringList items;
        for (tx.first(); !tx.eof(); tx.next()) {
            items << tx.asString(QStringLiteral("项目"));
            QVERIFY(tx.asInteger(QStringLiteral("期限")) > 0);
        }
        QCOMPARE(items, Schema::defaultReminderItems());
        QCOMPARE(count(db,
                       QStringLiteral(
                           "select count(*) from 摘要 where (摘要='租赁收入' and 属性='增加') or (摘要='费用支出' and 属性='减少')")),
                 2);
    }

    // The names module code uses for columns are exactly the columns a new database has: none
    // missing, none left over, none twice, and each spelt as the engine spells it.
    void columnNamesAreTheDatabasesColumns()
    {
        QString err;
        const QString file = path(QStringLiteral("cols/qczl.db"));
        QVERIFY2(createDatabase(file, QDate(2004, 2, 10), &err), qPrintable(err));
        Database db;
        QVERIFY(db.open(file));
        QSet<QString> engine;
        QStringList tables;
        for (const auto& t : Schema::tables())
            tables << t.name;
        // The tables of our own whose rows module code reads and writes (not the version row).
        for (const TableDef* t : Versions::carriedTables())
            tables << t->name;
        for (const QString& t : tables) {
            RecordSet rs(&db);
            rs.setSql({QStringLiteral("select * from ") + t});
            rs.open();
            // A table of our own is read as a computed statement would be, its key included.
            for (const auto& f : rs.fields())
                if (f.name != Schema::KeyColumn)
                    engine.insert(f.name);
        }
        const QStringList named = Col::all();
        QCOMPARE(QSet<QString>(named.begin(), named.end()).size(), named.size());
        QCOMPARE(QSet<QString>(named.begin(), named.end()), engine);
        QCOMPARE(Col::车牌号, QString::fromUtf8("\xe8\xbd\xa6\xe7\x89\x8c\xe5\x8f\xb7"));
        QCOMPARE(Col::je1, QStringLiteral("je1"));
    }

    void existingFilesAreNeverOverwritten()
    {
        QFile f(path(QStringLiteral("keep.db")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("precious");
        f.close();
        QString err;
        QVERIFY(!createDatabase(path(QStringLiteral("keep.db")), QDate(2004, 1, 1), &err));
        QVERIFY(!err.isEmpty());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("precious"));
    }

    void openingNeverCreates()
    {
        Database db;
        QString err;
        QVERIFY(!db.open(path(QStringLiteral("missing/qczl.db")), &err));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("missing/qczl.db"))));
        QVERIFY(!err.isEmpty());
        // a file that is not a database of ours is refused too
        QVERIFY(!db.open(path(QStringLiteral("keep.db")), &err));
        Database other;
        QVERIFY(other.create(path(QStringLiteral("foreign.db"))));  // schema only, then drop a table
        other.runNative(QStringLiteral("DROP TABLE 权限表"));
        other.close();
        QVERIFY(!db.open(path(QStringLiteral("foreign.db")), &err));
        QVERIFY(!db.isOpen());
    }

    void settingsFileBesideTheProgram()
    {
        SysSettings none = SysSettings::read(path(QStringLiteral("nothing.ini")));
        QCOMPARE(none.qczljsd_xjrjz, 0);
        QCOMPARE(none.hs_date1, QStringLiteral("1"));
        QFile f(path(QStringLiteral("sysset.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[other]\r\nhs_date1=9\r\n[HS_DATE]\r\nQCZLJSD_XJRJZ = 1\r\n");
        f.close();
        SysSettings s = SysSettings::read(path(QStringLiteral("sysset.ini")));
        QCOMPARE(s.qczljsd_xjrjz, 1);
        QCOMPARE(s.hs_date1, QStringLiteral("1"));  // key missing in its own section
    }

    void databaseLocationFromTheConnectionSetting()
    {
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QDir().mkpath(QStringLiteral("data"));
        QCOMPARE(Paths::databaseFile(), QDir(dir.path()).filePath(QStringLiteral("data/qczl.db")));
        QFile ini(path(QStringLiteral("data/connection.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Database]\nlocation = postgresql://clerk@server:5433/qczl\n");
        ini.close();
        QCOMPARE(Paths::databaseFile(), QStringLiteral("postgresql://clerk@server:5433/qczl"));
        // a file in the setting is below the working folder
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write("[database]\nlocation=office/main.db\n");
        ini.close();
        QCOMPARE(Paths::databaseFile(), QDir(dir.path()).filePath(QStringLiteral("office/main.db")));
        // the command line wins over the file
        Paths::setDatabase(QStringLiteral("postgresql://a@b/c"));
        QCOMPARE(Paths::databaseFile(), QStringLiteral("postgresql://a@b/c"));
        Paths::setDatabase(QString());
        QFile::remove(ini.fileName());
        QDir::setCurrent(old);

        // a server address that is no address is refused with the form it should have
        Database db;
        QString err;
        QVERIFY(!db.open(QStringLiteral("postgresql://"), &err));
        QVERIFY2(err.contains(QStringLiteral("postgresql://用户@主机:端口/数据库")), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestCreation)
#include "test_creation.moc"
