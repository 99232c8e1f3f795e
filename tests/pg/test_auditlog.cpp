// The audit log on both engines: a save writes one row per changed column in its own transaction
// (none when nothing changed, none when the save is rolled back or refused), deletes and the rules'
// own statements are logged, a password never is, and the log survives backup, restore and data
// initialization unless its own box is ticked.
#include "admin/auditlogwindow.h"
#include "cash/journal.h"
#include "core/clock.h"
#include "core/password.h"
#include "core/session.h"
#include "data/auditlog.h"
#include "data/columns.h"
#include "data/creation.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "data/maintenance.h"
#include "data/recordset.h"
#include "data/versions.h"
#include "rental/rentalrules.h"
#include "tests/pg/serverdb.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"

#include <QPushButton>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

class TestAuditLog : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    int files = 0;

    QString newFile() { return dir.filePath(QStringLiteral("f%1.db").arg(++files)); }

    QString newDatabase()
    {
        const QString location = ServerDb::wanted() ? ServerDb::newDatabase() : newFile();
        QString err;
        if (!createDatabase(location, QDate(2004, 1, 1), &err))
            qWarning("%s", qPrintable(err));
        return location;
    }

    static QString log(Database& db, const QString& condition = QStringLiteral("1=1"))
    {
        return ServerDb::rowsText(db,
                                  QStringLiteral("select 记录编号, 操作类型, 字段名, 原值, 新值 from 操作日志 where %1 order by __rk").arg(condition));
    }
    static int logCount(Database& db)
    {
        return ServerDb::rowsText(db, QStringLiteral("select count(*) from 操作日志")).toInt();
    }

    // A contract dispatched through a record set, as the contract dialog saves it.
    static void dispatch(Database& db, const QString& number)
    {
        RecordSet q(&db, QStringLiteral("q_qczlb"));
        q.setSql({QStringLiteral("select * from 汽车租赁登记表 where 内部编号='%1'").arg(number)});
        q.open();
        q.append();
        q.setValue(Col::内部编号, number);
        q.setValue(Col::车牌号, QStringLiteral("苏A12345"));
        q.setValue(Col::押金, Money::fromYuan(500));
        q.post();
    }

    static void settle(RecordSet& q, const QString& number)
    {
        q.setSql({QStringLiteral("select * from 汽车租赁登记表 where 内部编号='%1'").arg(number)});
        q.open();
        q.edit();
        q.setValue(Col::收车日期, QStringLiteral("2004-03-01 10:30:00"));
        q.setValue(Col::实收金额, *Money::parse(QStringLiteral("715.5")));
        q.setValue(Col::帐款结清, true);
        q.setValue(Col::结算人, QStringLiteral("李四"));
        q.setValue(Col::押金, Money::fromYuan(500));  // as it was: not a change
    }

private Q_SLOTS:
    void initTestCase()
    {
        SERVERDB_SKIP_WITHOUT_SERVER();
        Session::currentOperator().name = QStringLiteral("张三");
        Clock::setFixed(QDateTime(QDate(2004, 3, 1), QTime(10, 31, 5)));
    }

    // A settlement save: one row per column it changed, in storage form, with who, where and when;
    // saved again unchanged, nothing.
    void settlementSave()
    {
        Database db;
        QVERIFY(db.open(newDatabase()));
        dispatch(db, QStringLiteral("ZL1"));
        QCOMPARE(log(db), QStringLiteral("ZL1/新增/内部编号//ZL1,ZL1/新增/车牌号//苏A12345,ZL1/新增/押金//500.0000,"
                                "ZL1/新增/客户交车//没有,ZL1/新增/输入天数//0,ZL1/新增/帐款结清//0"));
        const int before = logCount(db);

        RecordSet q(&db, QStringLiteral("q_qczlb"));
        settle(q, QStringLiteral("ZL1"));
        q.post();
        QCOMPARE(log(db, QStringLiteral("操作类型='修改'")),
                 QStringLiteral("ZL1/修改/收车日期//2004-03-01 10:30:00,ZL1/修改/实收金额//715.5000,ZL1/修改/帐款结清/0/1,"
                                "ZL1/修改/结算人//李四"));
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select distinct 操作时间, 操作员, 工作站, 表名 from 操作日志 where 操作类型='修改'")),
                 QStringLiteral("2004-03-01 10:31:05/张三/%1/汽车租赁登记表").arg(QSysInfo::machineHostName()));
        QCOMPARE(logCount(db), before + 4);

        q.edit();
        q.setValue(Col::结算人, QStringLiteral("李四"));
        q.setValue(Col::实收金额, Money::fromYuan(715) + *Money::parse(QStringLiteral("0.5")));
        q.post();
        QCOMPARE(logCount(db), before + 4);
    }

    // The log goes with its save: a rolled-back transaction leaves neither, and a log the engine
    // refuses to write refuses the save.
    void rolledBackWithItsSave()
    {
        Database db;
        QVERIFY(db.open(newDatabase()));
        dispatch(db, QStringLiteral("ZL1"));
        const int before = logCount(db);
        RecordSet q(&db, QStringLiteral("q_qczlb"));
        settle(q, QStringLiteral("ZL1"));
        {
            Transaction tx(db);
            q.post();
            QCOMPARE(logCount(db), before + 4);
        }
        QCOMPARE(logCount(db), before);
        QCOMPARE(q.state(), RecordSet::Edit);  // what was typed stays to be saved again

        ServerDb::refuseWrites(db, Versions::auditTable(), QStringLiteral("INSERT"), QStringLiteral("log refused"));
        QVERIFY_THROWS_EXCEPTION(DbError, q.post());
        ServerDb::allowWrites(db, Versions::auditTable());
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select 结算人 from 汽车租赁登记表"), QStringLiteral("-")), QStringLiteral("-"));
        q.post();
        QCOMPARE(logCount(db), before + 4);
    }

    // A delete keeps the row's values; an operator's password is never in the log in any form;
    // the rules' own statements (a vehicle sent out) are logged like a window's save.
    void deletesPasswordsAndRules()
    {
        Database db;
        QVERIFY(db.open(newDatabase()));
        dispatch(db, QStringLiteral("ZL1"));
        {
            RecordSet q(&db, QStringLiteral("q_qczlb"));
            q.setSql({QStringLiteral("select * from 汽车租赁登记表")});
            q.open();
            q.remove();
        }
        QCOMPARE(log(db, QStringLiteral("操作类型='删除'")),
                 QStringLiteral("ZL1/删除/内部编号/ZL1/,ZL1/删除/车牌号/苏A12345/,ZL1/删除/押金/500.0000/,"
                                "ZL1/删除/客户交车/没有/,ZL1/删除/输入天数/0/,ZL1/删除/帐款结清/0/"));

        const QString digest = Password::hash(QStringLiteral("secret"));
        {
            RecordSet q(&db, QStringLiteral("q_qxb"));
            q.setSql({QStringLiteral("select * from 权限表 order by 姓名")});
            q.open();
            q.append();
            q.setValue(Col::姓名, QStringLiteral("王五"));
            q.setValue(Col::操作口令, digest);
            q.post();
            q.edit();
            q.setValue(Col::操作口令, Password::hash(QStringLiteral("other")));
            q.post();
        }
        QCOMPARE(log(db, QStringLiteral("字段名='操作口令'")), QStringLiteral("王五/新增/操作口令//（已修改）,王五/修改/操作口令//（已修改）"));
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select count(*) from 操作日志 where 原值 like '%$%' or 新值 like '%$%'")),
                 QStringLiteral("0"));

        db.execute(QStringLiteral("insert into 汽车档案 (车牌号, 车辆状态) values ('苏A12345', '空闲')"));
        QVERIFY(Rental::markVehicleRented(db, QStringLiteral("苏A12345"), QStringLiteral("赵六"), QDateTime(QDate(2004, 3, 1), QTime(9, 0))));
        QCOMPARE(log(db, QStringLiteral("表名='汽车档案'")),
                 QStringLiteral("苏A12345/修改/车辆状态/空闲/出租,苏A12345/修改/客户姓名//赵六,"
                                "苏A12345/修改/租赁时间//2004-03-01 09:00:00,苏A12345/修改/开始生效/0/1"));

        // A settlement's posting into the journal: the entry it inserts, then rewritten.
        const Journal::Settlement posting{QStringLiteral("ZL1"), QStringLiteral("赵六"), QStringLiteral("苏A12345"), QStringLiteral("2"),
                                          QStringLiteral("李四"), Money::fromYuan(300)};
        Journal::postSettlement(db, posting, QDate(2004, 3, 1), QStringLiteral("张三"), Clock::now());
        QCOMPARE(log(db, QStringLiteral("表名='现金日记帐' and 字段名 in ('借方', '余额')")),
                 QStringLiteral("#1/新增/借方//300.0000,#1/新增/余额//300.0000"));
        Journal::postSettlement(db, {posting.contract, posting.customer, posting.plate, posting.days, posting.settler, Money::fromYuan(280)},
                                QDate(2004, 3, 1), QStringLiteral("张三"), Clock::now());
        QCOMPARE(log(db, QStringLiteral("表名='现金日记帐' and 操作类型='修改'")),
                 QStringLiteral("#1/修改/借方/300.0000/280.0000,#1/修改/余额/300.0000/280.0000"));
    }

    // A restore brings back the backup's log; data initialization keeps it (noting what it
    // emptied) unless its own box is ticked, and then notes that it was emptied.
    void survivesBackupRestoreAndInitialization()
    {
        const QString location = newDatabase();
        Database db;
        QVERIFY(db.open(location));
        dispatch(db, QStringLiteral("ZL1"));
        const QString backedUp = log(db);
        const QString backup = newFile();
        QString err;
        QVERIFY2(Maintenance::backup(db, backup, &err), qPrintable(err));
        dispatch(db, QStringLiteral("ZL2"));
        QVERIFY2(Maintenance::restore(backup, location, &err), qPrintable(err));
        QCOMPARE(log(db), backedUp);

        const auto& tables = Maintenance::initTables();
        QVector<bool> checked(tables.size(), false);
        for (int i = 0; i < tables.size(); ++i)
            checked[i] = tables[i].caption == QStringLiteral("汽车租赁登记表");
        Maintenance::initialize(db, checked);
        QCOMPARE(log(db), backedUp + QStringLiteral(",/删除//数据初始化，删除 1 条记录/"));

        checked.fill(false);
        checked.last() = true;
        QCOMPARE(tables.last().caption, Versions::auditTable());
        Maintenance::initialize(db, checked);
        QCOMPARE(ServerDb::rowsText(db, QStringLiteral("select 表名, 原值 from 操作日志")),
                 QStringLiteral("操作日志/数据初始化，删除 7 条记录"));
    }

    // The viewer: newest first, a query by table and number, and no way to change a row.
    void viewerReadsOnly()
    {
        registerAuditLogWindows();
        TDm1 dm;
        QVERIFY(dm.connect(newDatabase()));
        dispatch(dm.ADO_qczl, QStringLiteral("ZL1"));
        Clock::setFixed(QDateTime(QDate(2004, 3, 2), QTime(8, 0)));
        dispatch(dm.ADO_qczl, QStringLiteral("ZL2"));
        dm.q_auditlog.setQuery(ListQuery::select(Versions::auditTable(), {}, QStringLiteral("操作时间 desc"), LineStyle::Split));
        dm.q_auditlog.open();
        AuditLogWindow w(nullptr, &dm);
        QCOMPARE(w.windowTitle(), QStringLiteral("操作日志"));
        QVERIFY(!w.editButton && !w.deleteButton);
        QStringList captions;
        for (const QPushButton* b : w.findChildren<QPushButton*>())
            captions << b->text();
        QVERIFY2(!captions.join(QLatin1Char(',')).contains(QStringLiteral("编辑"))
                     && !captions.join(QLatin1Char(',')).contains(QStringLiteral("删除")),
                 qPrintable(captions.join(QLatin1Char(','))));
        QCOMPARE(dm.q_auditlog.asString(Col::记录编号), QStringLiteral("ZL2"));
        Msg::Recorder msg;
        msg.script(Msg::Button::Yes);
        w.onDelete();  // the Delete key's way: refused before anything is asked
        QVERIFY(msg.shown().isEmpty());
        QCOMPARE(dm.q_auditlog.recordCount(), 12);

        Modal::Recorder modal;
        modal.handler = [](QDialog* d) {
            auto* q = qobject_cast<QueryDialog*>(d);
            QVERIFY(q);
            q->setText(QStringLiteral("cb表名"), QStringLiteral("汽车租赁登记表"));
            q->setText(QStringLiteral("ed记录编号"), QStringLiteral("ZL1"));
            q->seekButton->click();
        };
        w.onQuery();
        QCOMPARE(modal.captions, QStringList{QStringLiteral("操作日志查询")});
        QCOMPARE(dm.q_auditlog.recordCount(), 6);
        QCOMPARE(dm.q_auditlog.asString(Col::字段名), QStringLiteral("内部编号"));
        Clock::setFixed(QDateTime(QDate(2004, 3, 1), QTime(10, 31, 5)));
    }
};

QTEST_MAIN(TestAuditLog)
#include "test_auditlog.moc"
