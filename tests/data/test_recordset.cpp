// Record-set behaviour the windows rely on: edit states, typed reads, notifications.
#include "core/clock.h"
#include "data/creation.h"
#include "data/datamodule.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include "tests/pg/serverdb.h"
#include <QTest>

class TestRecordSet : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;

    void openVehicles()
    {
        dm.q_qcda.close();
        dm.q_qcda.setSql({QStringLiteral("select * from 汽车档案 "), QStringLiteral("order by 车牌号")});
        dm.q_qcda.open();
    }

private Q_SLOTS:
    void initTestCase()
    {
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString location = ServerDb::location(dir, QStringLiteral("q.db"));
        QString err;
        QVERIFY2(createDatabase(location, QDate(2004, 2, 10), &err), qPrintable(err));
        QVERIFY2(dm.connect(location, &err), qPrintable(err));
        QCOMPARE(dm.q_wxjlb.sqlText(), QStringLiteral("select * from 车辆维修记录表"));
        QCOMPARE(dm.queries().size(), 19);
    }

    void hiddenKeyAndNullReads()
    {
        openVehicles();
        QVERIFY(dm.q_qcda.isEmpty());
        QVERIFY(dm.q_qcda.eof());
        QVERIFY(!dm.q_qcda.hasField(Schema::KeyColumn));
        QCOMPARE(dm.q_qcda.fields().size(), Schema::table(QStringLiteral("汽车档案"))->columns.size());
        QCOMPARE(dm.q_qcda.fields().first().name, QStringLiteral("车牌号"));
        // reads of an empty set: empty text, 0, false, no date
        QCOMPARE(dm.q_qcda.asString(QStringLiteral("车型")), QString());
        QCOMPARE(dm.q_qcda.asInteger(QStringLiteral("公里数")), 0);
        QVERIFY(!dm.q_qcda.asBoolean(QStringLiteral("停用")));
        QVERIFY(!dm.q_qcda.asDateTime(QStringLiteral("购买时间")).isValid());
        QVERIFY_THROWS_EXCEPTION(DbError, dm.q_qcda.value(QStringLiteral("不存在")));
    }

    void appendCancelAndPost()
    {
        openVehicles();
        auto& q = dm.q_qcda;
        q.append();
        QCOMPARE(q.state(), RecordSet::Insert);
        q.setValue(QStringLiteral("车牌号"), QStringLiteral("苏A00001"));
        q.cancel();
        QCOMPARE(q.state(), RecordSet::Browse);
        QCOMPARE(q.recordCount(), 0);
        q.reopen();
        QCOMPARE(q.recordCount(), 0);

        q.append();
        q.setValue(QStringLiteral("车牌号"), QStringLiteral("苏A00002"));
        q.setValue(QStringLiteral("公里数"), 1234.5);
        q.setValue(QStringLiteral("购买时间"), QDate(2004, 2, 29));
        q.post();
        QCOMPARE(q.recordCount(), 1);
        // booleans not written take the table default
        QVERIFY(!q.asBoolean(QStringLiteral("开始生效")));
        QCOMPARE(q.value(QStringLiteral("开始生效")).toInt(), 0);
        q.reopen();
        QCOMPARE(q.asString(QStringLiteral("车牌号")), QStringLiteral("苏A00002"));
        QCOMPARE(q.asInteger(QStringLiteral("公里数")), 1234);  // 1234.5 -> even neighbour
        QCOMPARE(q.asDateTime(QStringLiteral("购买时间")), QDateTime(QDate(2004, 2, 29), QTime(0, 0)));
        QCOMPARE(q.value(QStringLiteral("购买时间")).toString(), QStringLiteral("2004-02-29 00:00:00"));
    }

    void contractDefaults()
    {
        dm.q_qczlb.setSql({QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
        dm.q_qczlb.open();
        dm.q_qczlb.append();
        dm.q_qczlb.setValue(QStringLiteral("内部编号"), QStringLiteral("ZL2004000001"));
        dm.q_qczlb.setValue(QStringLiteral("押金"), *Money::parse(QStringLiteral("1000.0001")));
        dm.q_qczlb.setValue(QStringLiteral("应收租金"), QStringLiteral("35.5"));
        // an amount past what the column holds is refused, naming it
        try {
            dm.q_qczlb.setValue(QStringLiteral("收费金额"), *Money::parse(QStringLiteral("987654321012.3457")));
            QFAIL("an amount past the column's range must be refused");
        } catch (const DbError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("987654321012.3457")), qPrintable(e.text()));
        }
        dm.q_qczlb.setValue(QStringLiteral("收费金额"), *Money::parse(QStringLiteral("99999999999.9999")));
        dm.q_qczlb.setValue(QStringLiteral("发车日期"), QStringLiteral("2004-02-29 08:05:00"));
        dm.q_qczlb.post();
        // the row as read back after its save: the same values, in the same form, as when read later
        // (an amount past a floating value's exact range, a date as its stored text)
        QCOMPARE(dm.q_qczlb.asMoney(QStringLiteral("收费金额")).toString(), QStringLiteral("99999999999.9999"));
        QCOMPARE(dm.q_qczlb.value(QStringLiteral("发车日期")).toString(), QStringLiteral("2004-02-29 08:05:00"));
        dm.q_qczlb.edit();
        dm.q_qczlb.setValue(QStringLiteral("备注"), QStringLiteral("second save of the same row"));
        dm.q_qczlb.post();
        QCOMPARE(dm.q_qczlb.asMoney(QStringLiteral("收费金额")).toString(), QStringLiteral("99999999999.9999"));
        QCOMPARE(dm.q_qczlb.asString(QStringLiteral("客户交车")), QStringLiteral("没有"));
        QVERIFY(!dm.q_qczlb.asBoolean(QStringLiteral("帐款结清")));
        dm.q_qczlb.close();
        dm.q_qczlb.setSql({QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("where 客户交车='没有'"),
                           QStringLiteral("and 帐款结清=false")});
        dm.q_qczlb.open();
        QCOMPARE(dm.q_qczlb.recordCount(), 1);
        QCOMPARE(dm.q_qczlb.asMoney(QStringLiteral("押金")).toString(), QStringLiteral("1000.0001"));
        QCOMPARE(dm.q_qczlb.asMoney(QStringLiteral("应收租金")).toString(), QStringLiteral("35.5000"));
        QVERIFY_THROWS_EXCEPTION(DbError, dm.q_qczlb.setValue(QStringLiteral("押金"), QStringLiteral("abc")));
        dm.q_qczlb.edit();
        QVERIFY_THROWS_EXCEPTION(DbError, dm.q_qczlb.setValue(QStringLiteral("发车日期"), QStringLiteral("2004-2-30")));
        dm.q_qczlb.cancel();
        dm.q_qczlb.close();
    }

    void editPostCancelAndDelete()
    {
        openVehicles();
        auto& q = dm.q_qcda;
        q.append();
        q.setValue(QStringLiteral("车牌号"), QStringLiteral("苏A00001"));
        q.post();
        q.reopen();  // 苏A00001, 苏A00002
        QCOMPARE(q.recordCount(), 2);

        q.first();
        q.edit();
        q.setValue(QStringLiteral("颜色"), QStringLiteral("红"));
        QCOMPARE(q.asString(QStringLiteral("颜色")), QStringLiteral("红"));  // reads see the edit buffer
        q.cancel();
        QCOMPARE(q.asString(QStringLiteral("颜色")), QString());

        q.edit();
        q.setValue(QStringLiteral("颜色"), QStringLiteral("蓝"));
        q.next();  // moving on posts, as navigation does
        QCOMPARE(q.state(), RecordSet::Browse);
        q.reopen();
        QCOMPARE(q.asString(QStringLiteral("颜色")), QStringLiteral("蓝"));

        q.last();
        q.remove();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.currentRow(), 0);
        q.reopen();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.asString(QStringLiteral("车牌号")), QStringLiteral("苏A00001"));
    }

    void editOfAnEmptySetStartsARow()
    {
        dm.q_jbr.setSql({QStringLiteral("select * from 经办人信息 order by 经办人姓名")});
        dm.q_jbr.open();
        QVERIFY(dm.q_jbr.isEmpty());
        dm.q_jbr.edit();
        QCOMPARE(dm.q_jbr.state(), RecordSet::Insert);
        dm.q_jbr.setValue(QStringLiteral("经办人姓名"), QStringLiteral("张三"));
        dm.q_jbr.post();
        QCOMPARE(dm.q_jbr.recordCount(), 1);
        dm.q_jbr.close();
    }

    void walkWithDisplayDetached()
    {
        openVehicles();
        auto& q = dm.q_qcda;
        QSignalSpy current(&q, &RecordSet::currentChanged);
        QSignalSpy reset(&q, &RecordSet::reset);
        q.disableControls();
        int n = 0;
        for (q.first(); !q.eof(); q.next())
            ++n;
        QCOMPARE(n, q.recordCount());
        QCOMPARE(current.count(), 0);
        q.enableControls();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(current.count(), 1);
    }

    void largeSetsReadRowsByPage()
    {
        auto& db = dm.ADO_qczl;
        {
            Transaction tx(db);
            for (int i = 0; i < 20000; ++i)
                db.execute(QStringLiteral("insert into 换油记录表 (车牌号, 单价, 数量) values (?, 7.35, ?)"),
                           {QStringLiteral("苏H%1").arg(19999 - i, 5, 10, QChar(u'0')), i % 7});
            tx.commit();
        }
        auto& q = dm.q_hyjlb;
        q.setSql({QStringLiteral("select * from 换油记录表 "), QStringLiteral("order by 车牌号")});
        q.open();
        QCOMPARE(q.recordCount(), 20000);
        // a row far down is read without walking to it
        q.moveTo(15000);
        QCOMPARE(q.asString(QStringLiteral("车牌号")), QStringLiteral("苏H15000"));
        // an edit there survives the cache dropping rows during a full walk
        q.edit();
        q.setValue(QStringLiteral("备注"), QStringLiteral("checked"));
        q.post();
        // a row deleted elsewhere reads as empty instead of failing
        db.execute(QStringLiteral("delete from 换油记录表 where 车牌号='苏H19990'"));
        int n = 0, empty = 0;
        Money sum;
        q.disableControls();
        for (q.first(); !q.eof(); q.next()) {
            ++n;
            if (q.asString(QStringLiteral("车牌号")).isEmpty())
                ++empty;
            sum += q.asMoney(QStringLiteral("单价")) * q.asInteger(QStringLiteral("数量"));
        }
        q.enableControls();
        QCOMPARE(n, 20000);
        QCOMPARE(empty, 1);
        q.moveTo(15000);
        QCOMPARE(q.asString(QStringLiteral("备注")), QStringLiteral("checked"));
        QCOMPARE(q.asString(QStringLiteral("车牌号")), QStringLiteral("苏H15000"));
        QVERIFY(sum > Money());
        q.close();
        db.execute(QStringLiteral("delete from 换油记录表"));
    }

    // Amounts and floating values read by a list's pages in the form every other read gives them:
    // floating values, except on the server an amount past 2^51 ten-thousandths (no floating value
    // carries it exactly), which stays its text; nulls typed; exponent forms no amount.
    void pagesReadNumbersInTheirStoredForm()
    {
        auto& db = dm.ADO_qczl;
        const bool server = ServerDb::wanted();
        const QVariant nullNumber = server ? QVariant(QMetaType::fromType<double>()) : QVariant();
        struct Case {
            const char* money;
            const char* number;
            QVariant moneyRead;
            QVariant numberRead;
        };
        db.execute(QStringLiteral("delete from 换油记录表"));
        const QVector<Case> cases = {
            {"12.5", "7.35", 12.5, 7.35},
            {"-0.0001", "-2.5e-7", -0.0001, -2.5e-7},
            {"0", "0", server ? QVariant(0.0) : QVariant(qlonglong(0)), 0.0},
            // 2^51 ten-thousandths exactly, and one more
            {"225179981368.5248", "225179981368.5248", 225179981368.5248, 225179981368.5248},
            {"225179981368.5249", "-225179981368.5249",
             server ? QVariant(QStringLiteral("225179981368.5249")) : QVariant(225179981368.5249),
             server ? QVariant(QStringLiteral("-225179981368.5249")) : QVariant(-225179981368.5249)},
            {"-300000000000.5", "-3e11", server ? QVariant(QStringLiteral("-300000000000.5000")) : QVariant(-300000000000.5), -3e11},
            // beyond an amount's range altogether; an exponent form
            {"999999999999999.9999", "1e20", server ? QVariant(1e15) : QVariant(qlonglong(1000000000000000)), 1e20},
            {"null", "null", nullNumber, nullNumber},
        };
        for (int i = 0; i < cases.size(); ++i)
            db.execute(QStringLiteral("insert into 换油记录表 (车牌号, 单价, 数量) values ('N%1', %2, %3)")
                           .arg(i)
                           .arg(QLatin1String(cases[i].money), QLatin1String(cases[i].number)));
        auto& q = dm.q_hyjlb;
        q.setSql({QStringLiteral("select * from 换油记录表 order by 车牌号")});
        q.open();
        QCOMPARE(q.recordCount(), cases.size());
        for (int i = 0; i < cases.size(); ++i) {
            q.moveTo(i);
            const QByteArray at = QByteArray("row ") + QByteArray::number(i);
            const QVariant m = q.value(QStringLiteral("单价"));
            const QVariant n = q.value(QStringLiteral("数量"));
            QVERIFY2(m.metaType() == cases[i].moneyRead.metaType(), at + " money " + m.metaType().name());
            QVERIFY2(n.metaType() == cases[i].numberRead.metaType(), at + " number " + n.metaType().name());
            QCOMPARE(m.isNull(), cases[i].moneyRead.isNull());
            QCOMPARE(n.isNull(), cases[i].numberRead.isNull());
            if (!m.isNull()) {
                QCOMPARE(m, cases[i].moneyRead);
                QCOMPARE(n, cases[i].numberRead);
            }
        }
        // A row read again after a save reads the same way.
        q.moveTo(4);
        q.edit();
        q.setValue(QStringLiteral("备注"), QStringLiteral("saved"));
        q.post();
        QCOMPARE(q.value(QStringLiteral("单价")), cases[4].moneyRead);
        QCOMPARE(q.value(QStringLiteral("数量")), cases[4].numberRead);
        q.close();
        db.execute(QStringLiteral("delete from 换油记录表"));
    }

    // A walk in order over a long list while the same connection writes between two pages (also in
    // a transaction, also the set's own save) and another connection changes and deletes rows
    // ahead: every write goes through, and each row shows as stored when its page was read, never
    // older than a write of this connection before it.
    void aWalkInOrderSeesTheWritesOnTheWay()
    {
        auto& db = dm.ADO_qczl;
        const int n = 3000;
        db.execute(QStringLiteral("delete from 换油记录表"));
        {
            Transaction tx(db);
            for (int i = 0; i < n; ++i)
                db.execute(QStringLiteral("insert into 换油记录表 (车牌号, 数量) values (?, ?)"),
                           {QStringLiteral("W%1").arg(i, 4, 10, QChar(u'0')), i});
            tx.commit();
        }
        Database other;
        QString err;
        QVERIFY2(other.open(db.location(), &err), qPrintable(err));
        auto& q = dm.q_hyjlb;
        q.setSql({QStringLiteral("select * from 换油记录表 order by 车牌号")});
        q.open();
        const auto remark = [&q] { return q.asString(QStringLiteral("备注")); };
        int rows = 0, empty = 0;
        q.disableControls();
        for (q.first(); !q.eof(); q.next(), ++rows) {
            const int at = q.currentRow();
            if (q.asString(QStringLiteral("车牌号")).isEmpty()) {
                ++empty;
                continue;
            }
            QCOMPARE(q.asInteger(QStringLiteral("数量")), at);
            if (at == 300) {
                // Two pages read in order by now: the next one may be on its way.
                db.execute(QStringLiteral("update 换油记录表 set 备注='same' where 车牌号='W0600'"));
                Transaction tx(db);
                db.execute(QStringLiteral("update 换油记录表 set 备注='tx' where 车牌号='W0650'"));
                tx.commit();
                other.execute(QStringLiteral("update 换油记录表 set 备注='other' where 车牌号='W2000'"));
                other.execute(QStringLiteral("delete from 换油记录表 where 车牌号='W1500'"));
            } else if (at == 1000) {
                q.edit();
                q.setValue(QStringLiteral("备注"), QStringLiteral("posted"));
                q.post();
                db.execute(QStringLiteral("update 换油记录表 set 备注='after' where 车牌号='W1300'"));
            } else if (at == 600 || at == 650 || at == 1000 || at == 1300 || at == 2000) {
                const char* expected = at == 600 ? "same" : at == 650 ? "tx" : at == 1300 ? "after" : "other";
                QCOMPARE(remark(), QString::fromUtf8(expected));
            } else {
                QVERIFY2(remark().isEmpty(), qPrintable(QStringLiteral("row %1: %2").arg(at).arg(remark())));
            }
        }
        q.enableControls();
        QCOMPARE(rows, n);
        QCOMPARE(empty, 1);
        q.moveTo(1000);
        QCOMPARE(remark(), QStringLiteral("posted"));
        q.close();
        other.close();
        db.execute(QStringLiteral("delete from 换油记录表"));
    }

    void readOnlySetsRefuseChanges()
    {
        dm.q_search.setSql({QStringLiteral("select max(内部编号) as nbbh from 汽车租赁登记表")});
        dm.q_search.open();
        QCOMPARE(dm.q_search.asString(QStringLiteral("nbbh")), QStringLiteral("ZL2004000001"));
        QVERIFY_THROWS_EXCEPTION(DbError, dm.q_search.edit());
        dm.q_search.close();
        // statements run through the same set
        dm.q_change.setSql({QStringLiteral("update 汽车档案 set 停用=true where 车牌号='苏A00001'")});
        QCOMPARE(dm.q_change.execSql(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRecordSet)
#include "test_recordset.moc"
