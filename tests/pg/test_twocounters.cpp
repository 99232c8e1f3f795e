// Two workstations side by side on one database, each with its own data module and its own
// windows: contracts taken at the same moment get unique numbers, a settlement and a return or a
// payment note of one contract meet as the optimistic save check decides (the later save that
// would overwrite an unseen change is refused and loses nothing), and settlements posted by both
// leave the cash journal's balances right.
#include "core/clock.h"
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "data/maintenance.h"
#include "cash/journal.h"
#include "rental/backoffice.h"
#include "rental/bookings.h"
#include "rental/rental.h"
#include "tests/common/dbhelpers.h"
#include "tests/common/typing.h"
#include "tests/pg/serverdb.h"
#include "ui/common/messages.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {
const QString Saved = QStringLiteral("存盘完毕！");
const QString Conflict = QStringLiteral("该记录已被其他用户修改或删除,请关闭窗口后重新打开!");
const QString PostQuestion = QStringLiteral("将实收金额写入现金日记帐吗? ");
}  // namespace

class TestTwoCounters : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 a;  // the front counter
    TDm1 b;  // the back office, on the same database
    QString oldCwd;

    QString row(const QString& sql, const QString& null = {}) { return ServerDb::rowsText(a.ADO_qczl, sql, null); }
    void exec(const QString& sql, const QVariantList& binds = {}) { a.ADO_qczl.execute(sql, binds); }
    QString vehicle(const QString& plate)
    {
        return row(QStringLiteral("select 车辆状态, 客户姓名 from 汽车档案 where 车牌号='") + plate + QStringLiteral("'"));
    }

    static void openContracts(TDm1& dm, const QString& number)
    {
        reopen(dm.q_qczlb, {QStringLiteral("select * from 汽车租赁登记表 "),
                            QStringLiteral("where 内部编号='") + number + QStringLiteral("'"), QStringLiteral("order by 内部编号")});
    }

    // A contract of 王一 back on 4 May at 10950 km, charged 715 (600 rent, 25 distance, 40 overtime,
    // 50 fuel) and not yet settled; its vehicle still out.
    void returnedContract(const QString& number, const QString& plate)
    {
        exec(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 发车里程, 租赁期限, 租赁单价, "
                            "每天限驶里程, 超驶收费单价, 押金, 预收租金, 租赁公司经办人, 收车日期, 收车里程, 收费金额, 超时小时, "
                            "超时收费单价, 汽油费) values "
                            "(?, 'K001', '王一', ?, '2004-05-01 08:00:00', 10000, 3, 200, 300, 0.5, 1000, 500, '老周', "
                            "'2004-05-04 10:00:00', 10950, 715, 2, 20, 50)"),
             {number, plate});
        exec(QStringLiteral("update 汽车档案 set 车辆状态='出租', 客户姓名='王一', 租赁时间='2004-05-01 08:00:00', 公里数=9000 "
                            "where 车牌号=?"),
             {plate});
    }

    // ZL2004000001 back from its rental, listed on both counters.
    void oneContractOnBothCounters()
    {
        returnedContract(QStringLiteral("ZL2004000001"), QStringLiteral("苏A00001"));
        openContracts(a, QStringLiteral("ZL2004000001"));
        openContracts(b, QStringLiteral("ZL2004000001"));
    }

    static void fillContract(TForm_qczlb_edit& d, const QString& customer, const QString& plate)
    {
        auto* customers = qobject_cast<QComboBox*>(d.fieldFor(QStringLiteral("客户号")));
        customers->setCurrentIndex(customers->findText(customer));
        d.customerLeft();
        type(d.fieldFor(QStringLiteral("车牌号")), plate);
        type(d.fieldFor(QStringLiteral("租赁单价")), QStringLiteral("200"));
        type(d.fieldFor(QStringLiteral("租赁期限")), QStringLiteral("3"));
        type(d.field(QStringLiteral("DBDateTimeEditEh1")), QStringLiteral("20040504"));
        type(d.field(QStringLiteral("DBDateTimeEditEh2")), QStringLiteral("103000"));
    }

    // The settlement typed as the clerk does: 715 received, settled, the handler as settler.
    static void fillSettlement(TForm_qczljsd_edit& d)
    {
        d.fillSettlers();
        d.show();
        type(d.fieldFor(QStringLiteral("实收金额")), QStringLiteral("715"));
        qobject_cast<QCheckBox*>(d.fieldFor(QStringLiteral("帐款结清")))->setChecked(true);
        d.settlerFromHandlerButton->click();
    }

    // The return corrected: back at 10960 km, handed in.
    static void fillReturn(TForm_qczljcb_edit& d)
    {
        type(d.fieldFor(QStringLiteral("收车里程")), QStringLiteral("10960"));
        type(d.fieldFor(QStringLiteral("客户交车")), QStringLiteral("已交"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        Clock::setFixed(QDateTime(QDate(2004, 5, 4), QTime(10, 0)));
        Session::currentOperator().name = QStringLiteral("张三");
        registerRentalWindows();
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString location = ServerDb::location(dir);
        QString err;
        QVERIFY2(createDatabase(location, QDate(2004, 5, 1), &err), qPrintable(err));
        QVERIFY2(a.connect(location, &err), qPrintable(err));
        QVERIFY2(b.connect(location, &err), qPrintable(err));
        exec(QStringLiteral("insert into 客户登记表 (客户号, 客户姓名, 停用) values ('K001', '王一', 0), ('K002', '王二', 0)"));
        exec(QStringLiteral("insert into 经办人信息 (经办人姓名) values ('老周')"));
    }

    void cleanupTestCase()
    {
        a.disconnect();
        b.disconnect();
        QDir::setCurrent(oldCwd);
        Clock::setSource({});
    }

    void init()
    {
        exec(QStringLiteral("delete from 汽车租赁登记表"));
        exec(QStringLiteral("delete from 现金日记帐"));
        exec(QStringLiteral("delete from 汽车档案"));
        exec(QStringLiteral("insert into 汽车档案 (车牌号, 车辆状态, 停用, 公里数) values ('苏A00001', '空闲', 0, 9000), "
                            "('苏A00002', '空闲', 0, 9000)"));
    }

    void contractsTakenAtTheSameMomentGetTheirOwnNumbers()
    {
        exec(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 客户交车) values "
                            "('ZL2004000009', 'K002', '王二', '苏A00002', '已交')"));
        openContracts(a, QStringLiteral("none"));
        openContracts(b, QStringLiteral("none"));
        TForm_qczlb listA(nullptr, &a), listB(nullptr, &b);
        TForm_qczlb_edit da(&listA, &a), db(&listB, &b);
        da.fillDropDowns();
        db.fillDropDowns();
        Msg::Recorder msgs;
        // Both press 增加 before either saves: both are offered the same next number.
        da.addButton->click();
        db.addButton->click();
        QCOMPARE(fieldText(da.fieldFor(QStringLiteral("内部编号"))), QStringLiteral("ZL2004000010"));
        QCOMPARE(fieldText(db.fieldFor(QStringLiteral("内部编号"))), QStringLiteral("ZL2004000010"));
        fillContract(da, QStringLiteral("K001 王一"), QStringLiteral("苏A00001"));
        fillContract(db, QStringLiteral("K002 王二"), QStringLiteral("苏A00002"));
        da.saveButton->click();
        db.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{Saved, Saved}));
        // The later save took the next free number and shows it.
        QCOMPARE(fieldText(db.fieldFor(QStringLiteral("内部编号"))), QStringLiteral("ZL2004000011"));
        QCOMPARE(row(QStringLiteral("select 内部编号, 客户姓名, 车牌号 from 汽车租赁登记表 order by 内部编号")),
                 QStringLiteral("ZL2004000009/王二/苏A00002,ZL2004000010/王一/苏A00001,ZL2004000011/王二/苏A00002"));
        QCOMPARE(row(QStringLiteral("select 车牌号, 车辆状态, 客户姓名, 租赁时间 from 汽车档案 order by 车牌号")),
                 QStringLiteral("苏A00001/出租/王一/2004-05-04 10:30:00,苏A00002/出租/王二/2004-05-04 10:30:00"));

        // The next 增加 on either counter follows the table, whatever each list shows.
        db.addButton->click();
        QCOMPARE(fieldText(db.fieldFor(QStringLiteral("内部编号"))), QStringLiteral("ZL2004000012"));
        db.cancelButton->click();
        da.addButton->click();
        QCOMPARE(fieldText(da.fieldFor(QStringLiteral("内部编号"))), QStringLiteral("ZL2004000012"));
        da.cancelButton->click();
        QCOMPARE(row(QStringLiteral("select count(*) from 汽车租赁登记表")), QStringLiteral("3"));
    }

    // A contract saved while the other counter's save holds the database: said, nothing lost, and
    // the next 存盘 takes the number after the one the other counter stored meanwhile.
    void contractSavedWhileTheOtherCounterSaves()
    {
        openContracts(a, QStringLiteral("none"));
        TForm_qczlb list(nullptr, &a);
        TForm_qczlb_edit d(&list, &a);
        d.fillDropDowns();
        Msg::Recorder msgs;
        d.addButton->click();
        QCOMPARE(fieldText(d.fieldFor(QStringLiteral("内部编号"))), QStringLiteral("ZL2004000001"));
        fillContract(d, QStringLiteral("K001 王一"), QStringLiteral("苏A00001"));
        a.ADO_qczl.setBusyTimeout(150);
        {
            Transaction other(b.ADO_qczl);
            b.ADO_qczl.execute(QStringLiteral("insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 客户交车) values "
                                              "('ZL2004000001', 'K002', '王二', '苏A00002', '已交')"));
            d.saveButton->click();
            QCOMPARE(msgs.texts(), QStringList{QStringLiteral("数据库正忙(其他用户正在存盘),请稍候再按存盘!")});
            QVERIFY(d.adding());
            QCOMPARE(fieldText(d.fieldFor(QStringLiteral("客户姓名"))), QStringLiteral("王一"));
            other.commit();
        }
        a.ADO_qczl.setBusyTimeout(5000);
        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{Saved});
        QCOMPARE(row(QStringLiteral("select 内部编号, 客户姓名 from 汽车租赁登记表 order by 内部编号")),
                 QStringLiteral("ZL2004000001/王二,ZL2004000002/王一"));
        QCOMPARE(vehicle(QStringLiteral("苏A00001")), QStringLiteral("出租/王一"));
    }

    // The front counter settles while the back office corrects the return of the same contract:
    // whichever saves later saw a 客户交车 that is no longer there, and is refused.
    void settlementAndReturnOfOneContract_data()
    {
        QTest::addColumn<bool>("settlementFirst");
        QTest::newRow("settlement first") << true;
        QTest::newRow("return first") << false;
    }
    void settlementAndReturnOfOneContract()
    {
        QFETCH(bool, settlementFirst);
        oneContractOnBothCounters();
        TForm_qczljsd settleList(nullptr, &a);
        TForm_qczljcb returnList(nullptr, &b);
        TForm_qczljsd_edit settle(&settleList, &a);
        TForm_qczljcb_edit ret(&returnList, &b);
        Msg::Recorder msgs;
        fillSettlement(settle);
        fillReturn(ret);
        if (settlementFirst) {
            msgs.script(Msg::Button::Yes);
            settle.saveButton->click();
            ret.saveButton->click();
            QCOMPARE(msgs.texts(), (QStringList{PostQuestion, Saved, Conflict}));
            // Nothing of the refused return was written; what was typed is still there.
            QCOMPARE(fieldText(ret.fieldFor(QStringLiteral("收车里程"))), QStringLiteral("10960"));
            QCOMPARE(b.q_qczlb.state(), RecordSet::Edit);
            QCOMPARE(row(QStringLiteral("select 收车里程, 客户交车, 帐款结清, 实收金额 from 汽车租赁登记表")),
                     QStringLiteral("10950/已交/1/715"));
            QCOMPARE(row(QStringLiteral("select 车辆状态, 客户姓名, 公里数 from 汽车档案 where 车牌号='苏A00001'")),
                     QStringLiteral("空闲//10950"));
            QCOMPARE(row(QStringLiteral("select 借方, 余额 from 现金日记帐")), QStringLiteral("715/715"));
            ret.closeButton->click();  // the clerk gives up what the other counter made stale
            QCOMPARE(row(QStringLiteral("select 收车里程 from 汽车租赁登记表")), QStringLiteral("10950"));
            return;
        }
        ret.saveButton->click();
        msgs.script(Msg::Button::Yes);
        settle.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{Saved, PostQuestion, Conflict}));
        // The refused settlement took everything back: no payment, no posting, the odometer as the
        // return left it.
        QCOMPARE(row(QStringLiteral("select 收车里程, 客户交车, 帐款结清, 实收金额 from 汽车租赁登记表"), QStringLiteral("null")),
                 QStringLiteral("10960/已交/0/null"));
        QCOMPARE(row(QStringLiteral("select 车辆状态, 公里数 from 汽车档案 where 车牌号='苏A00001'")), QStringLiteral("空闲/9000"));
        QCOMPARE(row(QStringLiteral("select count(*) from 现金日记帐")), QStringLiteral("0"));
        QCOMPARE(Money::parse(fieldText(settle.fieldFor(QStringLiteral("实收金额")))), std::optional<Money>(Money::fromYuan(715)));

        // Read again, the settlement goes through on what the return stored.
        settle.cancelButton->click();
        a.q_qczlb.reopen();
        QCOMPARE(a.q_qczlb.asInteger(QStringLiteral("收车里程")), qint64(10960));
        msgs.clear();
        fillSettlement(settle);
        msgs.script(Msg::Button::Yes);
        settle.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{PostQuestion, Saved}));
        QCOMPARE(row(QStringLiteral("select 帐款结清, 实收金额 from 汽车租赁登记表")), QStringLiteral("1/715"));
        QCOMPARE(row(QStringLiteral("select 借方, 余额 from 现金日记帐")), QStringLiteral("715/715"));
    }

    // A payment note typed on a contract the other counter has settled since it was read is
    // refused like any save of a row changed elsewhere: read again, both stand. Two notes typed
    // at once: the later one is refused.
    void settlementAndPaymentNoteOfOneContract()
    {
        oneContractOnBothCounters();
        TForm_qczljsd settleList(nullptr, &a);
        TForm_qczl_fkqk noteList(nullptr, &b);
        TForm_qczljsd_edit settle(&settleList, &a);
        TForm_qczl_fkqk_edit note(&noteList, &b);
        Msg::Recorder msgs;
        fillSettlement(settle);
        type(note.fieldFor(QStringLiteral("付款情况")), QStringLiteral("分两次付"));
        msgs.script(Msg::Button::Yes);
        settle.saveButton->click();
        note.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{PostQuestion, Saved, Conflict}));
        QCOMPARE(fieldText(note.fieldFor(QStringLiteral("付款情况"))), QStringLiteral("分两次付"));
        QCOMPARE(row(QStringLiteral("select 付款情况, 客户交车, 帐款结清, 实收金额 from 汽车租赁登记表"), QStringLiteral("null")),
                 QStringLiteral("null/已交/1/715"));
        b.q_qczlb.reopen();
        msgs.clear();
        type(note.fieldFor(QStringLiteral("付款情况")), QStringLiteral("分两次付"));
        note.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{Saved}));
        QCOMPARE(row(QStringLiteral("select 付款情况, 客户交车, 帐款结清, 实收金额 from 汽车租赁登记表")),
                 QStringLiteral("分两次付/已交/1/715"));

        // Both counters now type a note on the rows they have read.
        a.q_qczlb.reopen();
        TForm_qczl_fkqk noteListA(nullptr, &a);
        TForm_qczl_fkqk_edit noteA(&noteListA, &a);
        type(noteA.fieldFor(QStringLiteral("付款情况")), QStringLiteral("现金"));
        type(note.fieldFor(QStringLiteral("付款情况")), QStringLiteral("转帐"));
        msgs.clear();
        note.saveButton->click();
        noteA.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{Saved, Conflict}));
        QCOMPARE(row(QStringLiteral("select 付款情况 from 汽车租赁登记表")), QStringLiteral("转帐"));
        QCOMPARE(fieldText(noteA.fieldFor(QStringLiteral("付款情况"))), QStringLiteral("现金"));
        noteA.closeButton->click();
        QCOMPARE(row(QStringLiteral("select 付款情况 from 汽车租赁登记表")), QStringLiteral("转帐"));
    }

    // The back office settles the newest contract it shows while the front counter has deleted
    // that contract and entered another: the settlement lands nowhere, the new contract is untouched.
    void settlementOfADeletedContractLandsNowhere()
    {
        oneContractOnBothCounters();
        TForm_qczljsd settleList(nullptr, &b);
        TForm_qczljsd_edit settle(&settleList, &b);
        Msg::Recorder msgs;
        fillSettlement(settle);
        exec(QStringLiteral("delete from 汽车租赁登记表 where 内部编号='ZL2004000001'"));
        exec(QStringLiteral(
            "insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号) values ('ZL2004000002', 'K002', '王二', '苏A00002')"));
        msgs.script(Msg::Button::Yes);
        settle.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{PostQuestion, Conflict}));
        QCOMPARE(row(QStringLiteral("select 内部编号, 客户姓名, 收车里程, 帐款结清, 实收金额 from 汽车租赁登记表"),
                     QStringLiteral("null")),
                 QStringLiteral("ZL2004000002/王二/null/0/null"));
        QCOMPARE(row(QStringLiteral("select count(*) from 现金日记帐")), QStringLiteral("0"));
    }

    // A restore made at one counter while the other has a payment note open: that note is
    // refused with what was typed kept, and saves once the contract is read again.
    void noteOpenDuringARestore()
    {
        oneContractOnBothCounters();
        const QString backup = dir.filePath(QStringLiteral("before.db"));
        QString err;
        QVERIFY2(Maintenance::backup(a.ADO_qczl, backup, &err), qPrintable(err));
        TForm_qczl_fkqk noteList(nullptr, &b);
        TForm_qczl_fkqk_edit note(&noteList, &b);
        Msg::Recorder msgs;
        type(note.fieldFor(QStringLiteral("付款情况")), QStringLiteral("现金"));
        QVERIFY2(Maintenance::restore(backup, a.ADO_qczl.location(), &err), qPrintable(err));
        note.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{QStringLiteral("数据已恢复，请关闭窗口后重新打开!")}));
        QCOMPARE(fieldText(note.fieldFor(QStringLiteral("付款情况"))), QStringLiteral("现金"));
        QCOMPARE(row(QStringLiteral("select 付款情况 from 汽车租赁登记表"), QStringLiteral("null")), QStringLiteral("null"));
        b.q_qczlb.reopen();
        msgs.clear();
        type(note.fieldFor(QStringLiteral("付款情况")), QStringLiteral("现金"));
        note.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{Saved}));
        QCOMPARE(row(QStringLiteral("select 付款情况 from 汽车租赁登记表")), QStringLiteral("现金"));
    }

    // Two contracts settled on the two counters, both dialogs open before either saves: each
    // posting carries the balance the other left.
    void settlementsOfBothCountersKeepTheBalance()
    {
        exec(QStringLiteral("insert into 现金日记帐 (日期, 摘要, 借方, 余额) values ('2004-05-01 00:00:00', '租赁收入', 100, 100)"));
        returnedContract(QStringLiteral("ZL2004000001"), QStringLiteral("苏A00001"));
        returnedContract(QStringLiteral("ZL2004000002"), QStringLiteral("苏A00002"));
        openContracts(a, QStringLiteral("ZL2004000001"));
        openContracts(b, QStringLiteral("ZL2004000002"));
        TForm_qczljsd listA(nullptr, &a), listB(nullptr, &b);
        TForm_qczljsd_edit sa(&listA, &a), sb(&listB, &b);
        Msg::Recorder msgs;
        fillSettlement(sa);
        fillSettlement(sb);
        type(sb.fieldFor(QStringLiteral("实收金额")), QStringLiteral("700.5"));
        msgs.script(Msg::Button::Yes);
        sa.saveButton->click();
        msgs.script(Msg::Button::Yes);
        sb.saveButton->click();
        QCOMPARE(msgs.texts(), (QStringList{PostQuestion, Saved, PostQuestion, Saved}));
        QCOMPARE(row(QStringLiteral("select 借方, 余额, 备注 from 现金日记帐 order by __rk")),
                 QStringLiteral("100/100/,715/815/内部编号：ZL2004000001,700.5/1515.5/内部编号：ZL2004000002"));
        QCOMPARE(row(QStringLiteral("select 车牌号, 车辆状态 from 汽车档案 order by 车牌号")),
                 QStringLiteral("苏A00001/空闲,苏A00002/空闲"));
        // The month balanced again from 0 comes to the same balances.
        Journal::tidyMonth(b.ADO_qczl, QDate(2004, 5, 1));
        QCOMPARE(row(QStringLiteral("select 借方, 余额 from 现金日记帐 order by __rk")),
                 QStringLiteral("100/100,715/815,700.5/1515.5"));
    }
};

QTEST_MAIN(TestTwoCounters)
#include "test_twocounters.moc"
