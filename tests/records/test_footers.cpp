// Footer sums computed in the background on a second connection: they arrive exact, a write before
// they arrive still ends exact, and a result for an earlier opening of the query is dropped.
#include "data/creation.h"
#include "data/datamodule.h"
#include "ui/records/gridmodel.h"
#include "ui/records/recordgrid.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString Plate = QStringLiteral("车牌号"), Parts = QStringLiteral("材料费"), Labour = QStringLiteral("人工费");
const int Bulk = 40000;  // enough rows that the background statement takes a while
}

class TestFooters : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;

    void open(const QString& where = {})
    {
        dm.q_wxjlb.close();
        QStringList sql{QStringLiteral("select * from 车辆维修记录表 ")};
        if (!where.isEmpty())
            sql << where;
        sql << QStringLiteral("order by 车牌号");
        dm.q_wxjlb.setSql(sql);
        dm.q_wxjlb.open();
    }

    // Sections: 0 plate (count), 1 parts (sum), 2 labour (sum).
    static std::unique_ptr<RecordGridModel> model(RecordSet* set)
    {
        auto m = std::make_unique<RecordGridModel>(set);
        GridColumn plate{Plate};
        plate.footer = FooterKind::Count;
        GridColumn parts{Parts};
        parts.footer = FooterKind::Sum;
        GridColumn labour{Labour};
        labour.footer = FooterKind::Sum;
        m->setColumns({plate, parts, labour});
        return m;
    }

    static void settle(RecordGridModel& m)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!m.footerPending() && !m.footerWorkersRunning(), 10000);
        QCoreApplication::processEvents();
    }

    // Sets the parts cost of the current row and posts it.
    void postParts(const QString& value)
    {
        dm.q_wxjlb.edit();
        dm.q_wxjlb.setValue(Parts, *Money::parse(value));
        dm.q_wxjlb.post();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(createDatabase(dir.filePath(QStringLiteral("f.db")), QDate(2004, 5, 1)));
        QVERIFY(dm.connect(dir.filePath(QStringLiteral("f.db"))));
        // 苏A: Bulk rows of 0.0001 parts and 0.1 labour (a binary float sum drifts here).
        Transaction tx(dm.ADO_qczl);
        for (int i = 0; i < Bulk; ++i)
            dm.ADO_qczl.execute(QStringLiteral("insert into 车辆维修记录表 (车牌号, 材料费, 人工费) values (?, 0.0001, 0.1)"),
                                {QStringLiteral("苏A%1").arg(i, 5, 10, QLatin1Char('0'))});
        tx.commit();
    }

    // 京B: two rows, whatever the previous test did to them.
    void init()
    {
        dm.q_wxjlb.close();
        dm.ADO_qczl.execute(QStringLiteral("delete from 车辆维修记录表 where 车牌号 like '京B%'"));
        dm.ADO_qczl.execute(
            QStringLiteral("insert into 车辆维修记录表 (车牌号, 材料费, 人工费) values ('京B1', 99999999.9999, null)"));
        dm.ADO_qczl.execute(QStringLiteral("insert into 车辆维修记录表 (车牌号, 材料费, 人工费) values ('京B2', 1234.5678, 0.25)"));
    }

    void footersArriveExactWhileTheGridStaysResponsive()
    {
        open();
        auto m = model(&dm.q_wxjlb);
        RecordGrid grid;
        grid.setGridModel(m.get());
        QSignalSpy changed(m.get(), &RecordGridModel::footerChanged);
        // The grid asks for what it can show now: neither the sums nor the count of a list whose
        // keys are still coming, and no wrong number.
        QCOMPARE(m->footerTextNow(0), QString());
        QCOMPARE(m->footerTextNow(1), QString());
        QCOMPARE(m->footerTextNow(2), QString());
        QVERIFY(m->footerPending());
        grid.resize(600, 400);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        // rows are read while the sums are computed elsewhere
        QCOMPARE(m->data(m->index(0, 0)).toString(), QStringLiteral("京B1"));
        settle(*m);
        QVERIFY(!changed.isEmpty());
        QCOMPARE(m->footerTextNow(0), QString::number(Bulk + 2));
        QCOMPARE(m->footerTextNow(1), QStringLiteral("100001238.5677"));  // 99999999.9999 + 1234.5678 + 40000 × 0.0001
        QCOMPARE(m->footerTextNow(2), QStringLiteral("4000.25"));
        QCOMPARE(m->footerText(0), QString::number(Bulk + 2));
    }

    void finalFooterWaitsForTheBackground()
    {
        // Print, export and anyone reading footerTexts() get the final sums, started or not.
        open(QStringLiteral("where 车牌号 like '京B%'"));
        auto m = model(&dm.q_wxjlb);
        QCOMPARE(m->footerTexts(), (QStringList{QStringLiteral("2"), QStringLiteral("100001234.5677"), QStringLiteral("0.25")}));
        open();
        QCOMPARE(m->footerTextNow(1), QString());
        QCoreApplication::processEvents();  // the worker starts
        m->waitForFooter();
        QVERIFY(!m->footerPending());
        QCOMPARE(m->footerTextNow(1), QStringLiteral("100001238.5677"));
        settle(*m);
        QCOMPARE(m->footerTextNow(1), QStringLiteral("100001238.5677"));
    }

    void writeBeforeTheSumsArriveEndsExact()
    {
        // Before the worker starts, and while it runs: the background result cannot tell whether it
        // saw the write, so the write takes the sums itself and the result is ignored.
        for (bool started : {false, true}) {
            open();
            auto m = model(&dm.q_wxjlb);
            QCOMPARE(m->footerTextNow(1), QString());
            if (started)
                QCoreApplication::processEvents();
            dm.q_wxjlb.first();  // 京B1
            postParts(QStringLiteral("1.0001"));
            QVERIFY(!m->footerPending());
            QCOMPARE(m->footerTextNow(1), QStringLiteral("1239.5679"));
            settle(*m);
            QCOMPARE(m->footerTextNow(1), QStringLiteral("1239.5679"));
            postParts(QStringLiteral("99999999.9999"));
            QCOMPARE(m->footerTextNow(1), QStringLiteral("100001238.5677"));
        }
    }

    void deleteBeforeTheSumsArriveEndsExact()
    {
        open(QStringLiteral("where 车牌号 like '京B%'"));
        auto m = model(&dm.q_wxjlb);
        QCOMPARE(m->footerTextNow(2), QString());
        QCoreApplication::processEvents();
        dm.q_wxjlb.last();  // 京B2
        dm.q_wxjlb.remove();
        QCOMPARE(m->footerTextNow(0), QStringLiteral("1"));
        QCOMPARE(m->footerTextNow(1), QStringLiteral("99999999.9999"));
        QCOMPARE(m->footerTextNow(2), QStringLiteral("0.00"));
        settle(*m);
        QCOMPARE(m->footerTextNow(1), QStringLiteral("99999999.9999"));
    }

    void reopenedQueryDropsALateResult()
    {
        open();
        auto m = model(&dm.q_wxjlb);
        QCOMPARE(m->footerTextNow(1), QString());
        QCoreApplication::processEvents();  // the worker for the whole table runs
        open(QStringLiteral("where 车牌号 like '京B%'"));
        QCOMPARE(m->footerTextNow(1), QString());
        settle(*m);
        QCOMPARE(m->footerTextNow(0), QStringLiteral("2"));
        QCOMPARE(m->footerTextNow(1), QStringLiteral("100001234.5677"));

        // Reopened while the grid is detached: no reset tells the model, the opening number does.
        open();
        QCOMPARE(m->footerTextNow(1), QString());
        QCoreApplication::processEvents();
        dm.q_wxjlb.disableControls();
        open(QStringLiteral("where 车牌号 like '京B%'"));
        settle(*m);  // the whole table's sums arrive now, for an opening that is gone
        dm.q_wxjlb.enableControls();
        QCOMPARE(m->footerText(1), QStringLiteral("100001234.5677"));
        QCOMPARE(m->footerText(2), QStringLiteral("0.25"));
    }

    void rowsWrittenInAnOpenTransactionAreCounted()
    {
        // Another connection cannot see them, so the sums are taken on this one.
        Transaction tx(dm.ADO_qczl);
        dm.ADO_qczl.execute(QStringLiteral("insert into 车辆维修记录表 (车牌号, 材料费) values ('京B3', 5)"));
        open(QStringLiteral("where 车牌号 like '京B%'"));
        auto m = model(&dm.q_wxjlb);
        QCOMPARE(m->footerTextNow(1), QStringLiteral("100001239.5677"));
        QVERIFY(!m->footerPending());
        tx.commit();
    }
};

QTEST_MAIN(TestFooters)
#include "test_footers.moc"
