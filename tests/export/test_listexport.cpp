// A long list exported and printed from its list window, as the clerk does it: the rows are read from
// the record set while the files are written, and files read back by independent readers (python's
// csv, xlrd, pdftotext) hold the grid's rows in the grid's order, hidden columns left out, the footer
// last, and dates as the grid shows them.
#include "fleet/fleet.h"
#include "fleet/registers.h"
#include "core/clock.h"
#include "core/money.h"
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"
#include "ui/records/export/exporttable.h"
#include "ui/records/listwindow.h"
#include "ui/records/print/tableprinter.h"
#include "readers.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// More rows than the record set keeps fetched (about 16k), so the export walks past its evictions.
constexpr int kRows = 17000;

// What the grid must show for the row made from number i (see fill()), independently worked out.
QString plateOf(int i)
{
    return QStringLiteral("苏A%1").arg(kRows - i, 5, 10, QLatin1Char('0'));
}
QString dateOf(int i)
{
    const QString day = QStringLiteral("2004-%1-%2").arg(1 + i % 12, 2, 10, QLatin1Char('0')).arg(1 + i % 28, 2, 10, QLatin1Char('0'));
    if (i % 3 == 0)
        return day;  // midnight: the date alone
    return day
           + QStringLiteral(" %1:%2:%3")
                 .arg(i % 24, 2, 10, QLatin1Char('0'))
                 .arg(i % 60, 2, 10, QLatin1Char('0'))
                 .arg(i * 7 % 60, 2, 10, QLatin1Char('0'));
}
QString shopOf(int i)
{
    return i % 100 == 0 ? QStringLiteral("厂,\"引\"") : QStringLiteral("厂%1").arg(i % 37);
}
QString workOf(int i)
{
    return i % 250 == 0 ? QStringLiteral("换胎\n补漆") : QString();
}
QString materialOf(int i)
{
    if (i % 50 == 0)
        return {};
    return QString::number(i % 1000) + (i % 7 ? QStringLiteral(".000%1").arg(i % 7) : QStringLiteral(".00"));
}
QString labourOf(int i)
{
    return QStringLiteral("%1.00").arg(i % 3);
}

QStringList expectedRow(int i)
{
    return {plateOf(i), dateOf(i), shopOf(i), workOf(i), materialOf(i), labourOf(i)};
}

}  // namespace

class TestListExport : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;
    QString oldCwd;

    // Rows i = 1..kRows in one statement; the plates run against the insertion order.
    void fill()
    {
        dm.ADO_qczl.runNative(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                           "INSERT INTO 车辆维修记录表 (车牌号, 维修时间, 修理厂, 维修内容, 材料费, 人工费) "
                           "SELECT '苏A' || printf('%05d', %1 - i), "
                           "printf('2004-%02d-%02d ', 1 + i % 12, 1 + i % 28) || "
                           "  CASE WHEN i % 3 = 0 THEN '00:00:00' ELSE printf('%02d:%02d:%02d', i % 24, i % 60, i * 7 % 60) END, "
                           "CASE WHEN i % 100 = 0 THEN '厂,\"引\"' ELSE '厂' || (i % 37) END, "
                           "CASE WHEN i % 250 = 0 THEN '换胎' || char(10) || '补漆' ELSE NULL END, "
                           "CASE WHEN i % 50 = 0 THEN NULL ELSE (i % 1000) + (i % 7) / 10000.0 END, "
                           "i % 3 FROM n")
                .arg(kRows));
    }

    // The repair list sorted by plate (by a title click), its rightmost column 总费用 hidden.
    std::unique_ptr<ListWindow> openList(const QString& where = QString())
    {
        dm.q_wxjlb.close();
        dm.q_wxjlb.setSql({QStringLiteral("select * from 车辆维修记录表 ") + where, QStringLiteral("order by 维修时间")});
        dm.q_wxjlb.open();
        auto w = std::make_unique<ListWindow>(TForm_wxjlb::spec().list, &dm);
        w->setColumns({ListWindow::column(QStringLiteral("车牌号")), ListWindow::column(QStringLiteral("维修时间")),
                       ListWindow::column(QStringLiteral("修理厂")), ListWindow::column(QStringLiteral("维修内容")),
                       ListWindow::column(QStringLiteral("材料费"), QStringLiteral("费用|材料费")),
                       ListWindow::column(QStringLiteral("人工费"), QStringLiteral("费用|明细|人工费")),
                       ListWindow::column(QStringLiteral("总费用"))});
        w->onHideColumn();
        w->onTitleClick(0, Qt::NoModifier);
        return w;
    }

    // Row numbers i in the order the grid lists them.
    QVector<int> gridOrder(ListWindow& w, int rows) const
    {
        const bool descending = w.model()->sortMarks().value(0).descending;
        QVector<int> order;
        for (int r = 0; r < rows; ++r)
            order << (descending ? r + kRows - rows + 1 : kRows - r);
        return order;
    }

    QString exportList(ListWindow& w, const QString& name, int filterIndex)
    {
        FileDialogs::Recorder files;
        Msg::Recorder boxes;
        const QString target = dir.filePath(name);
        files.scriptSave(target, filterIndex);
        w.exportButton->click();
        if (!boxes.shown().isEmpty())
            qWarning("%s", qPrintable(boxes.lastText()));
        return target;
    }

    static QVector<QStringList> lines(const QJsonValue& v)
    {
        QVector<QStringList> out;
        for (const QJsonValue& row : v.toArray()) {
            QStringList cells;
            for (const QJsonValue& c : row.toArray())
                cells << c.toString();
            out << cells;
        }
        return out;
    }

    static const QVector<QStringList>& titleLines()
    {
        static const QVector<QStringList> t{
            {QStringLiteral("车牌号"), QStringLiteral("维修时间"), QStringLiteral("修理厂"), QStringLiteral("维修内容"),
             QStringLiteral("费用"), QString()},
            {QString(), QString(), QString(), QString(), QStringLiteral("材料费"), QStringLiteral("明细")},
            {QString(), QString(), QString(), QString(), QString(), QStringLiteral("人工费")},
        };
        return t;
    }

private Q_SLOTS:
    void initTestCase()
    {
        registerFleetWindows();  // the repair list's row
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        Clock::setFixed(QDateTime(QDate(2004, 5, 1), QTime(9, 30)));
        Session::currentOperator().name = QStringLiteral("张三");
        QVERIFY(createDatabase(dir.filePath(QStringLiteral("q.db")), QDate(2004, 5, 1)));
        QVERIFY(dm.connect(dir.filePath(QStringLiteral("q.db"))));
        fill();
    }

    void cleanupTestCase()
    {
        dm.disconnect();
        QDir::setCurrent(oldCwd);
        Clock::setSource({});
    }

    void csvHoldsTheGridRows()
    {
        auto w = openList();
        // a long list shows its first screen first; the grid grows when the rest of the keys arrive
        QTRY_COMPARE_WITH_TIMEOUT(w->model()->rowCount(), kRows, 20000);
        QCOMPARE(w->model()->columnCount(), 6);
        const QVector<int> order = gridOrder(*w, kRows);
        // the grid itself agrees with the expectation where it is painted
        for (int r : {0, 1, 2, 3, kRows - 1})
            for (int c = 0; c < 6; ++c)
                QCOMPARE(w->model()->data(w->model()->index(r, c)).toString(), expectedRow(order[r])[c]);
        const QStringList footer = w->model()->footerTexts();

        const QString path = exportList(*w, QStringLiteral("维修"), 1) + QStringLiteral(".csv");
        const QString py = Readers::python(QStringLiteral("csv"));
        if (py.isEmpty())
            QSKIP("python3 is not installed");
        QString error;
        const QJsonDocument doc = Readers::pythonJson(py, QStringLiteral(R"(
import sys, csv, json
with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:
    print(json.dumps(list(csv.reader(f))))
)"),
                                                      {path}, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QVector<QStringList> got = lines(doc.array());
        QCOMPARE(got.size(), 3 + kRows + 1);
        QCOMPARE(got.mid(0, 3), titleLines());
        for (int r = 0; r < kRows; ++r)
            if (got[3 + r] != expectedRow(order[r]))
                QFAIL(qPrintable(QStringLiteral("row %1: %2 instead of %3")
                                     .arg(r)
                                     .arg(got[3 + r].join(QLatin1Char('|')), expectedRow(order[r]).join(QLatin1Char('|')))));
        QCOMPARE(got.last(), footer);
        QCOMPARE(footer.value(0), QStringLiteral("记录数"));
        QCOMPARE(footer.value(1), QString::number(kRows));
        Money material;
        for (int i = 1; i <= kRows; ++i)
            if (!materialOf(i).isEmpty())
                material += *Money::parse(materialOf(i));
        QVERIFY2(footer.contains(material.toDisplay()), qPrintable(footer.join(QLatin1Char('|'))));
    }

    void xlsHoldsTheGridRows()
    {
        if (Readers::python(QStringLiteral("xlrd")).isEmpty())
            QSKIP("python3 with xlrd is not installed");
        auto w = openList();
        const QVector<int> order = gridOrder(*w, kRows);
        const QStringList footer = w->model()->footerTexts();
        const QString path = exportList(*w, QStringLiteral("维修"), 4) + QStringLiteral(".xls");
        QString error;
        // text cells as text, numbers in the shortest form that reads back
        const QJsonDocument doc = Readers::pythonJson(Readers::python(QStringLiteral("xlrd")), QStringLiteral(R"(
import sys, io, json, xlrd
log = io.StringIO()
book = xlrd.open_workbook(sys.argv[1], logfile=log)
def cell(c):
    if c.ctype == xlrd.XL_CELL_NUMBER:
        return 'N:' + repr(c.value)
    return c.value if c.ctype == xlrd.XL_CELL_TEXT else ''
print(json.dumps({'log': log.getvalue(), 'sheets': [[[cell(c) for c in sh.row(r)] for r in range(sh.nrows)] for sh in book.sheets()]}))
)"),
                                                      {path}, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(doc[QStringLiteral("log")].toString(), QString());
        const QJsonArray sheets = doc[QStringLiteral("sheets")].toArray();
        QCOMPARE(sheets.size(), 1);
        const QVector<QStringList> got = lines(sheets[0]);
        QCOMPARE(got.size(), 3 + kRows + 1);
        QCOMPARE(got.mid(0, 3), titleLines());
        // money as numbers: read back through Money to the grid's text
        auto shown = [](QStringList row) {
            for (QString& c : row)
                if (c.startsWith(QLatin1String("N:")))
                    c = Money::parse(c.mid(2))->toDisplay();
            return row;
        };
        for (int r = 0; r < kRows; ++r)
            if (shown(got[3 + r]) != expectedRow(order[r]))
                QFAIL(qPrintable(QStringLiteral("row %1: %2").arg(r).arg(got[3 + r].join(QLatin1Char('|')))));
        // the footer: the label as text, the count and sums as numbers
        const QStringList last = got.last();
        QCOMPARE(last.value(0), footer.value(0));
        QCOMPARE(last.value(1), QStringLiteral("N:%1.0").arg(kRows));
    }

    // The printed pages come from the same rows: the first page starts with the first row of the grid's
    // order, the last page closes with the last row, the footer and the closing line.
    void printedPagesHoldTheGridRows()
    {
        auto w = openList(QStringLiteral("where 车牌号 < '苏A00300'"));
        QCOMPARE(dm.q_wxjlb.recordCount(), 300);
        const bool descending = w->model()->sortMarks().value(0).descending;
        const QString pdf = dir.filePath(QStringLiteral("维修.pdf"));
        QString error;
        ListWindow::printHandler() = [&](ListWindow*, const GridSnapshot& s) {
            const ExportTable t = toExportTable(s);
            QVERIFY(printToPdf(t, pdf, &error));
        };
        w->printButton->click();
        bool ok = false;
        const QString text = QString::fromUtf8(
            Readers::tool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &ok));
        if (!ok)
            QSKIP("pdftotext is not installed");
        QStringList pages = text.split(QChar(0x0C));
        if (pages.last().trimmed().isEmpty())
            pages.removeLast();
        QVERIFY(pages.size() >= 3);
        const QString first = descending ? QStringLiteral("苏A00299") : QStringLiteral("苏A00000");
        const QString last = descending ? QStringLiteral("苏A00000") : QStringLiteral("苏A00299");
        QVERIFY(pages.first().indexOf(first) >= 0);
        QVERIFY(pages.first().indexOf(last) < 0);
        QVERIFY(pages.last().contains(last));
        QVERIFY(!text.contains(QStringLiteral("总费用")));
        // a date at midnight shows alone, one with a time shows it (the cell may wrap between the two)
        QVERIFY(text.contains(dateOf(kRows - 2)));
        QVERIFY(!text.contains(QStringLiteral("00:00:00")));
        QVERIFY(text.contains(dateOf(kRows - 1).mid(11)));
        QVERIFY(pages.last().contains(QStringLiteral("记录数")));
        QVERIFY(pages.last().contains(QStringLiteral("制表:张三")));
    }
};

QTEST_MAIN(TestListExport)
#include "test_listexport.moc"
