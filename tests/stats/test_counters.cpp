// Two counters running statistics on one database at the same time: each connection fills and reads
// its own scratch rows (通用, 图形显示) — through re-reads after a title sort, the footers, print,
// export and the chart — and nothing of a run reaches the shared tables.
#include "fixture.h"
#include "core/session.h"
#include "data/settings.h"
#include "stats/dbbar.h"
#include "stats/scratch.h"
#include "stats/stats.h"
#include "stats/statswindow.h"
#include "tests/export/readers.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/common/windowregistry.h"
#include "ui/records/print/tableprinter.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Fixture;

namespace {

// The result window as its command opens it: 通用 emptied and listed.
std::unique_ptr<StatsWindow> openWindow(TDm1& dm, const char* cls)
{
    RecordSet& q = dm.q_tongyong;
    q.close();
    q.setSql({S("delete from 通用")});
    q.execSql();
    q.setSql(Scratch::selectLines());
    q.open();
    return std::unique_ptr<StatsWindow>(qobject_cast<StatsWindow*>(WindowRegistry::find(S(cls))(nullptr, &dm)));
}

// 统计 with a dispatch range of March 2004.
void runMarch(StatsWindow& w)
{
    Modal::Recorder modal;
    modal.handler = [](QDialog* d) {
        auto* c = qobject_cast<CriteriaDialog*>(d);
        QVERIFY(c);
        c->findChild<QLineEdit*>(CriteriaFields::From)->setText(S("2004-03-01"));
        c->findChild<QLineEdit*>(CriteriaFields::To)->setText(S("2004-03-31"));
        c->seekButton->click();
    };
    w.queryButton->click();
}

int section(StatsWindow& w, const char* field)
{
    for (int s = 0; s < w.model()->columnCount(); ++s)
        if (w.model()->shownColumn(s).field == S(field))
            return s;
    return -1;
}

// The grid's rows as shown ("plate/name" each), sorted, so that another order compares equal.
QStringList shownRows(TDm1& dm)
{
    RecordSet& q = dm.q_tongyong;
    QStringList out;
    for (q.first(); !q.eof(); q.next())
        out << q.asString(S("车牌号")) + QLatin1Char('/') + q.asString(S("客户姓名"));
    q.first();
    out.sort();
    return out;
}

// The table every workstation shares, named past the connection's own of the same name.
QString shared(Database& db, const char* table)
{
    QString schema = S("main");
    if (PgLocation::isServer(db.location())) {
        QSqlQuery q = db.runNative(S("select current_schema()"));
        schema = q.next() ? q.value(0).toString() : QString();
    }
    return S("\"%1\".\"%2\"").arg(schema, S(table));
}

long long count(Database& db, const QString& table)
{
    QSqlQuery q = db.runNative(S("select count(*) from ") + table);
    return q.next() ? q.value(0).toLongLong() : -1;
}

}  // namespace

class TestStatsCounters : public QObject {
    Q_OBJECT
    QTemporaryDir cwd;
    QString oldCwd;

private Q_SLOTS:
    void initTestCase()
    {
        oldCwd = QDir::currentPath();
        SERVERDB_SKIP_WITHOUT_SERVER();
        QDir::setCurrent(cwd.path());
        registerStatsWindows();
        Session::currentOperator().name = S("张会计");
        QFile::remove(Paths::sysSetFile());
    }
    void cleanupTestCase() { QDir::setCurrent(oldCwd); }

    void eachCounterListsItsOwnRun()
    {
        Db db;
        TDm1& a = db.dm;
        TDm1 b;
        QString error;
        QVERIFY2(b.connect(a.ADO_qczl.location(), &error), qPrintable(error));
        // Rows an earlier version left in the shared table are nobody's run.
        a.ADO_qczl.runNative(S("insert into %1 (车牌号) values ('旧行')").arg(shared(a.ADO_qczl, "通用")));

        auto wa = openWindow(a, "TForm_qczlsrtj");  // income per vehicle
        auto wb = openWindow(b, "TForm_jbrtj");     // income per handler
        QCOMPARE(a.q_tongyong.recordCount(), 0);
        runMarch(*wa);
        const QStringList rowsA = shownRows(a);
        QCOMPARE(rowsA.size(), 5);  // the vehicles with contracts in March
        QVERIFY(!rowsA.join(QString()).contains(S("王经理")));
        const int charged = section(*wa, "收费金额");
        // The sums as the grid paints them, background work given its time.
        QTRY_COMPARE(wa->model()->footerTextNow(charged), S("2140.8701"));

        // The other counter's run empties and fills only its own rows.
        runMarch(*wb);
        const QStringList rowsB = shownRows(b);
        QCOMPARE(rowsB, (QStringList{S("/Lee"), S("/王经理"), S("/王经理")}));  // the handlers with contracts
        const QString footB = wb->model()->footerText(charged);
        QVERIFY(footB != S("2140.8701") && !footB.isEmpty());

        // A title sort reads the rows again: still the first counter's, with its sums.
        wa->onTitleClick(charged, Qt::NoModifier);
        QVERIFY(a.q_tongyong.sql().last().contains(S("收费金额")));
        QCOMPARE(shownRows(a), rowsA);
        QTRY_COMPARE(wa->model()->footerTextNow(charged), S("2140.8701"));
        wb->onTitleClick(charged, Qt::NoModifier);
        QCOMPARE(shownRows(b), rowsB);
        QCOMPARE(wb->model()->footerText(charged), footB);

        // Print: the rows handed to the pages, and the pages read back.
        ExportTable printed;
        const auto oldPrint = ListWindow::printHandler();
        ListWindow::printHandler() = [&](ListWindow*, const GridSnapshot& s) { printed = toExportTable(s); };
        wa->printButton->click();
        ListWindow::printHandler() = oldPrint;
        QStringList plates, expected;
        for (int i = 0; i < printed.rowCount(); ++i)
            plates << printed.row(i).first();
        for (const QString& r : rowsA)
            expected << r.section(QLatin1Char('/'), 0, 0);
        plates.sort();
        QCOMPARE(plates, expected);
        QVERIFY(plates.contains(S("a123")));
        QVERIFY(printed.footer.contains(S("2140.8701")));
        const QString pdf = cwd.filePath(S("a.pdf"));
        QVERIFY2(printToPdf(printed, pdf, &error), qPrintable(error));
        bool ok = false;
        const QString text = QString::fromUtf8(Readers::tool(S("pdftotext"), {S("-layout"), pdf, S("-")}, &ok));
        if (ok)
            QVERIFY(text.contains(S("a123")) && text.contains(S("2140.8701")) && !text.contains(S("王经理")));

        // Export of the second counter's list: its handlers only.
        {
            FileDialogs::Recorder files;
            Msg::Recorder boxes;
            files.scriptSave(cwd.filePath(S("b.csv")), 1);  // the CSV filter
            wb->exportButton->click();
            QVERIFY2(boxes.shown().isEmpty(), qPrintable(boxes.lastText()));
        }
        QFile csv(cwd.filePath(S("b.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QString exported = QString::fromUtf8(csv.readAll());
        QVERIFY(exported.contains(S("王经理")) && exported.contains(S("Lee")) && exported.contains(footB));
        for (const char* plate : {"a123", "BX1", "O'K", "旧行"})
            QVERIFY2(!exported.contains(S(plate)), plate);

        // Nothing of either run reached the shared table.
        QCOMPARE(count(a.ADO_qczl, shared(a.ADO_qczl, "通用")), 1);
        QCOMPARE(count(b.ADO_qczl, S("通用")), 3);

        // A connection opened again (as after a restore) starts empty; the other keeps its rows.
        b.disconnect();
        QVERIFY2(b.connect(a.ADO_qczl.location(), &error), qPrintable(error));
        QCOMPARE(count(b.ADO_qczl, S("通用")), 0);
        a.q_tongyong.close();
        a.q_tongyong.open();
        QCOMPARE(shownRows(a), rowsA);
    }

    void chartTablesApart()
    {
        Db db(false);
        TDm1 b;
        QString error;
        QVERIFY2(b.connect(db.dm.ADO_qczl.location(), &error), qPrintable(error));
        Database& one = db.dm.ADO_qczl;
        Database& two = b.ADO_qczl;
        ScratchRows first({S("sl1"), S("je1")});
        first.add({S("01月"), 100});
        first.add({S("02月"), -20.5});
        ScratchRows second({S("sl1"), S("je1")});
        second.add({S("12月"), 7});
        Scratch::replaceTable(one, S("图形显示"), first);
        Scratch::replaceTable(two, S("图形显示"), second);
        const auto labels = [](Database& db) {
            QStringList out;
            for (const Bar& bar : readChartTable(db))
                out << bar.label + QLatin1Char('=') + bar.value.toDisplay();
            return out;
        };
        const auto bar = [](const char* label, const char* value) {
            return S(label) + QLatin1Char('=') + Money::parse(S(value))->toDisplay();
        };
        QCOMPARE(labels(one), (QStringList{bar("01月", "100"), bar("02月", "-20.5")}));
        QCOMPARE(labels(two), QStringList{bar("12月", "7")});
        // Emptied for the window closing on one counter: the other's bars stay.
        one.execute(S("delete from 图形显示"));
        QCOMPARE(labels(one), QStringList());
        QCOMPARE(labels(two), QStringList{bar("12月", "7")});
        QCOMPARE(count(one, shared(one, "图形显示")), 0);
    }
};

QTEST_MAIN(TestStatsCounters)
#include "test_counters.moc"
