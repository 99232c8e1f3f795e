// Rows streamed from the engine for prints and exports, on both engines: each cell is the text the
// grid shows, the rows are the list's in its order, the files are byte for byte those written
// through the record set, and a set holding what the engine does not is read as it is.
#include "fleet/fleet.h"
#include "fleet/registers.h"
#include "core/money.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "data/rowstream.h"
#include "data/sqlitefile.h"
#include "ui/records/export/exporttable.h"
#include "ui/records/export/recordrows.h"
#include "ui/records/listwindow.h"
#include "ui/records/print/tableprinter.h"
#include "tests/pg/serverdb.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QLoggingCategory>
#include <QTest>
#include <sqlite3.h>

namespace {

// Every row the cursor gives, as texts.
QVector<QStringList> streamed(RowCursor& rows, int columns)
{
    QVector<QStringList> out;
    while (rows.next())
        out << cellTexts(rows, columns);
    return out;
}

QVector<QStringList> throughSet(const RecordSet& set, const QVector<int>& fields)
{
    const RecordRows rows(&set, fields);
    QVector<QStringList> out;
    for (int i = 0; i < rows.size(); ++i)
        out << rows.at(i);
    return out;
}

QVector<int> allFields(const RecordSet& set)
{
    QVector<int> f;
    for (int i = 0; i < set.fields().size(); ++i)
        f << i;
    return f;
}

long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return f.readAll().split(' ').value(1).toLong() * 4;
}

// A stream whose engine is stopped from outside once `after` rows were read, as on an engine's own
// failure in the middle of the rows.
class StoppedAfter final : public RowCursor {
public:
    StoppedAfter(std::unique_ptr<RowCursor> rows, int after, std::function<void()> stop)
        : m_rows(std::move(rows)), m_after(after), m_stop(std::move(stop))
    {}
    bool next() override
    {
        if (m_read++ == m_after)
            m_stop();
        return m_rows->next();
    }
    std::string_view cell(int c) const override { return m_rows->cell(c); }

private:
    std::unique_ptr<RowCursor> m_rows;
    int m_after;
    int m_read = 0;
    std::function<void()> m_stop;
};

}  // namespace

class TestRowStream : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;

    // A row appended through a record set, as the windows do.
    void add(const QString& table, const QVariantMap& values)
    {
        RecordSet q(&dm.ADO_qczl, QStringLiteral("add"));
        q.setSql({QStringLiteral("select * from ") + table + QStringLiteral(" where 1=0")});
        q.open();
        q.append();
        for (auto it = values.begin(); it != values.end(); ++it)
            q.setValue(it.key(), it.value());
        q.post();
    }

    std::unique_ptr<ListWindow> repairList()
    {
        dm.q_wxjlb.close();
        dm.q_wxjlb.setSql({QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("order by 维修时间")});
        dm.q_wxjlb.open();
        auto w = std::make_unique<ListWindow>(TForm_wxjlb::spec().list, &dm);
        w->setColumns({ListWindow::column(QStringLiteral("车牌号")), ListWindow::column(QStringLiteral("维修时间")),
                       ListWindow::column(QStringLiteral("修理厂")), ListWindow::column(QStringLiteral("维修内容")),
                       ListWindow::column(QStringLiteral("材料费"), QStringLiteral("费用|材料费")),
                       ListWindow::column(QStringLiteral("人工费"), QStringLiteral("费用|明细|人工费"))});
        return w;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        const QString location = ServerDb::location(dir);
        if (location.isEmpty())
            QSKIP("server tests skipped: no PostgreSQL server");
        QDir().mkpath(dir.filePath(QStringLiteral("data")));
        QString error;
        QVERIFY2(createDatabase(location, QDate(2004, 1, 1), &error), qPrintable(error));
        QVERIFY2(dm.connect(location, &error), qPrintable(error));

        // Ties in the order (the same customer) broken by the key, every kind of column, null cells.
        const QStringList names{QStringLiteral("王五"), QStringLiteral("李四"), QStringLiteral("王五"), QStringLiteral("张三")};
        for (int i = 0; i < 40; ++i) {
            QVariantMap v{{QStringLiteral("内部编号"), QStringLiteral("ZL%1").arg(i, 3, 10, QLatin1Char('0'))},
                          {QStringLiteral("客户姓名"), names[i % names.size()]}};
            if (i % 5 != 0) {
                v[QStringLiteral("发车日期")] = i % 2 ? QDateTime(QDate(2004, 2, 1 + i % 28), QTime(0, 0))
                                                      : QDateTime(QDate(2004, 3, 3), QTime(9, i, 7));
                v[QStringLiteral("押金")] = QVariant::fromValue(Money::fromUnits(qint64(i) * 12345 - 20000));
                v[QStringLiteral("发车里程")] = qint64(i) * 1000 - 3;
                v[QStringLiteral("输入天数")] = i % 3 == 0;
            }
            if (i == 7)
                v[QStringLiteral("应收租金")] = QVariant::fromValue(Money::fromUnits(Money::MaxStoredUnits));
            if (i == 8)
                v[QStringLiteral("备注")] = QStringLiteral(" 前后空格 ,\"引号\"\r\n第二行\t制表 𠀀 & <b> {}\\");
            add(QStringLiteral("汽车租赁登记表"), v);
        }

        // The repair list: texts that need quoting or escaping in every format, four-decimal amounts.
        for (int i = 0; i < 30; ++i) {
            QVariantMap v{{QStringLiteral("车牌号"), QStringLiteral("苏A%1").arg(30 - i % 7, 5, 10, QLatin1Char('0'))},
                          {QStringLiteral("修理厂"), i % 4 == 0 ? QStringLiteral("厂,\"引\"") : QStringLiteral("厂%1").arg(i % 3)},
                          {QStringLiteral("人工费"), QVariant::fromValue(Money::fromUnits(i * 3))}};
            if (i % 6 != 0)
                v[QStringLiteral("维修时间")] = QDateTime(QDate(2004, 1 + i % 12, 1 + i % 20), QTime(i % 3 ? 10 : 0, 0));
            if (i % 5 == 0)
                v[QStringLiteral("维修内容")] = QStringLiteral("换胎\n补漆 😀");
            if (i % 9 != 0)
                v[QStringLiteral("材料费")] = QVariant::fromValue(Money::fromUnits(i * 10001));
            add(QStringLiteral("车辆维修记录表"), v);
        }
    }

    // Every column of every row as the grid shows it, in the list's order (ties in the order of the keys).
    void cellsAsTheGridShows()
    {
        RecordSet q(&dm.ADO_qczl, QStringLiteral("q"));
        q.setSql({QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 客户姓名")});
        q.open();
        const QVector<int> fields = allFields(q);
        // The set is read before each stream opens: nothing else may read on the connection while
        // a stream's statement is running, or the stream would fall back to the set.
        const QVector<QStringList> expected = throughSet(q, fields);
        QCOMPARE(expected.size(), 40);
        const std::unique_ptr<RowCursor> rows = RowStream::open(q, fields);
        QVERIFY(rows);
        QCOMPARE(streamed(*rows, int(fields.size())), expected);

        // an empty column (-1) and a subset in another order
        const QVector<int> some{q.fieldIndex(QStringLiteral("备注")), -1, q.fieldIndex(QStringLiteral("押金"))};
        const QVector<QStringList> expectedSome = throughSet(q, some);
        const std::unique_ptr<RowCursor> subset = RowStream::open(q, some);
        QVERIFY(subset);
        QCOMPARE(streamed(*subset, 3), expectedSome);
    }

    // The five files and the printed rows of a list sorted by a title are those written through the set.
    void filesAsThroughTheSet()
    {
        auto w = repairList();
        w->onTitleClick(2, Qt::NoModifier);  // by 修理厂, whose ties keep the key order
        std::optional<ExportTable> captured;
        const auto keep = ListWindow::exportHandler();
        ListWindow::exportHandler() = [&](ListWindow*, const GridSnapshot& s) { captured = toExportTable(s); };
        w->onExport();
        ListWindow::exportHandler() = keep;
        QVERIFY(captured && captured->rowStream);
        QVERIFY(captured->rowStream() != nullptr);
        ExportTable throughSetTable = *captured;
        throughSetTable.rowStream = nullptr;
        for (int f = 0; f <= int(ExportFormat::Xls); ++f) {
            QString e1, e2;
            const QByteArray fromStream = exportBytes(*captured, ExportFormat(f), &e1);
            QVERIFY2(!fromStream.isEmpty(), qPrintable(e1));
            QCOMPARE(fromStream, exportBytes(throughSetTable, ExportFormat(f), &e2));
        }

        PrintPreview::Recorder printed;
        printWithPreview(nullptr, *captured);
        QCOMPARE(printed.tables().size(), 1);
        QVector<QStringList> expected;
        for (int i = 0; i < throughSetTable.rowCount(); ++i)
            expected << throughSetTable.row(i);
        QCOMPARE(printed.tables()[0].rows, expected);
    }

    // What the set holds and the engine does not: no stream, or the set's rows from where they differ.
    void setReadAsItIs()
    {
        RecordSet q(&dm.ADO_qczl, QStringLiteral("q"));
        q.setSql({QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("order by 车牌号")});
        q.open();
        const QVector<int> fields = allFields(q);

        q.edit();
        q.setValue(QStringLiteral("修理厂"), QStringLiteral("未保存"));
        QVERIFY(!RowStream::open(q, fields));  // an edit in progress shows in the grid
        q.cancel();
        QVERIFY(RowStream::open(q, fields));

        // a posted new row stays at the end of the list, a posted change and a removal where they were
        q.append();
        q.setValue(QStringLiteral("车牌号"), QStringLiteral("苏A00000"));
        q.post();
        q.moveTo(3);
        q.edit();
        q.setValue(QStringLiteral("车牌号"), QStringLiteral("苏Z99999"));
        q.post();
        q.moveTo(10);
        q.remove();
        // and a row another workstation added since the list was read
        dm.ADO_qczl.runNative(QStringLiteral("insert into 车辆维修记录表 (车牌号) values ('苏A00001')"));
        const std::unique_ptr<RowCursor> rows = RowStream::open(q, fields);
        QVERIFY(rows);
        QCOMPARE(streamed(*rows, int(fields.size())), throughSet(q, fields));

        RecordSet computed(&dm.ADO_qczl, QStringLiteral("computed"));
        computed.setSql({QStringLiteral("select 车牌号, count(*) as 次数 from 车辆维修记录表 group by 车牌号")});
        computed.open();
        QVERIFY(!RowStream::open(computed, allFields(computed)));
        dm.ADO_qczl.runNative(QStringLiteral("delete from 车辆维修记录表 where 车牌号 in ('苏A00000', '苏A00001')"));
    }

    // An export of a long list leaves the process about as large as before.
    void memoryReturned()
    {
        dm.ADO_qczl.runNative(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
                           "INSERT INTO 车辆维修记录表 (车牌号, 修理厂, 维修内容, 材料费) "
                           "SELECT '苏B' || i, '修理厂' || (i % 37), '更换零件若干，检查制动系统' || i, i + 0.0001 FROM n"));
        auto w = repairList();
        std::optional<ExportTable> captured;
        const auto keep = ListWindow::exportHandler();
        ListWindow::exportHandler() = [&](ListWindow*, const GridSnapshot& s) { captured = toExportTable(s); };
        w->onExport();
        ListWindow::exportHandler() = keep;
        QVERIFY(captured);
        const long before = residentKiB();
        for (ExportFormat f : {ExportFormat::Xls, ExportFormat::Html}) {
            QString error;
            QVERIFY2(writeExport(*captured, dir.filePath(QStringLiteral("long.out")), f, &error), qPrintable(error));
        }
        QVERIFY2(residentKiB() - before < 10 * 1024, qPrintable(QStringLiteral("%1 KiB kept").arg(residentKiB() - before)));
    }

    // A stream left early or failing on the engine half-way: the connection serves the next statement
    // at once, the failure reaches the reader after the rows read before it, and an export meeting it
    // fails whole, leaving the file there before untouched. The list is far longer than the rows
    // read ahead of the writer.
    void stoppedOrFailedMidway()
    {
        RecordSet q(&dm.ADO_qczl, QStringLiteral("q"));
        q.setSql({QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("order by 车牌号")});
        q.open();
        const int total = q.recordCount();
        QVERIFY(total > 20000);
        const QVector<int> fields = allFields(q);
        const int n = int(fields.size());
        const QString countSql = QStringLiteral("select count(*) from 车辆维修记录表");

        QStringList first;
        {
            const std::unique_ptr<RowCursor> rows = RowStream::open(q, fields);
            QVERIFY(rows);
            while (first.size() < 3 && rows->next())
                first << cellTexts(*rows, n).join(QLatin1Char('/'));
        }
        QCOMPARE(ServerDb::rowsText(dm.ADO_qczl, countSql), QString::number(total));
        int read = 0;
        for (const std::unique_ptr<RowCursor> rows = RowStream::open(q, fields); rows->next(); ++read)
            if (read < first.size())
                QCOMPARE(cellTexts(*rows, n).join(QLatin1Char('/')), first[read]);
        QCOMPARE(read, total);

        // The file's statement interrupted, the server's cancelled from a second connection.
        const bool server = PgLocation::isServer(dm.ADO_qczl.location());
        qint64 pid = 0;
        if (server) {
            QSqlQuery p = dm.ADO_qczl.runNative(QStringLiteral("select pg_backend_pid()"));
            QVERIFY(p.next());
            pid = p.value(0).toLongLong();
        }
        auto stopEngine = [&] {
            if (!server)
                return sqlite3_interrupt(SqliteFile::handleOf(dm.ADO_qczl.handle()));
            std::unique_ptr<Database> other = dm.ADO_qczl.another();
            QVERIFY(other && other->open(dm.ADO_qczl.location()));
            other->runNative(QStringLiteral("select pg_cancel_backend(%1)").arg(pid));
        };
        read = 0;
        QString error;
        try {
            for (StoppedAfter rows(RowStream::open(q, fields), 100, stopEngine); rows.next();)
                ++read;
        } catch (const DbError& e) {
            error = e.text();
        }
        QVERIFY2(!error.isEmpty() && read >= 100 && read < total, qPrintable(QStringLiteral("%1 rows, %2").arg(read).arg(error)));
        QCOMPARE(ServerDb::rowsText(dm.ADO_qczl, countSql), QString::number(total));

        ExportTable t;
        for (int f : fields)
            t.columns << ExportColumn{q.fields()[f].name, q.fields()[f].type, 80};
        t.rowSource = [&](int i) { return RecordRows(&q, fields).at(i); };
        t.sourceRows = total;
        t.rowStream = [&] { return std::make_unique<StoppedAfter>(RowStream::open(q, fields), 1000, stopEngine); };
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("维修.out"));
        for (ExportFormat f : {ExportFormat::Csv, ExportFormat::Xls}) {
            QFile before(path);
            QVERIFY(before.open(QIODevice::WriteOnly) && before.write("before") == 6);
            before.close();
            QString why;
            QVERIFY_THROWS_EXCEPTION(DbError, writeExport(t, path, f, &why));
            QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("维修.out")});
            QVERIFY(before.open(QIODevice::ReadOnly));
            QCOMPARE(before.readAll(), QByteArray("before"));
            before.close();
        }
        QCOMPARE(ServerDb::rowsText(dm.ADO_qczl, countSql), QString::number(total));
    }

    // Texts that look like the engines' own markers and escapes come from the stream itself, each as
    // stored: no row read again through the set because the stream took one for another.
    void textsLikeEscapesStreamed()
    {
        const QStringList texts{QStringLiteral("\\N"),        QStringLiteral("\\"),
                                QStringLiteral("a\\tb\\n"),   QStringLiteral("\t\t"),
                                QStringLiteral("前\r\n后\r"), QStringLiteral("尾\\"),
                                QStringLiteral("\\\\N\t\\N"), QString(),
                                QStringLiteral(" "),          QStringLiteral("NULL")};
        for (int i = 0; i < texts.size(); ++i) {
            QVariantMap v{{QStringLiteral("内部编号"), QStringLiteral("ESC%1").arg(i, 2, 10, QLatin1Char('0'))},
                          {QStringLiteral("客户姓名"), QString(texts[i])
                                                           .replace(QLatin1Char('\t'), QLatin1String("\\t"))
                                                           .remove(QLatin1Char('\r'))
                                                           .remove(QLatin1Char('\n'))}};
            if (i != 7)  // null, beside the empty text of the customer
                v[QStringLiteral("备注")] = texts[i];
            add(QStringLiteral("汽车租赁登记表"), v);
        }
        RecordSet q(&dm.ADO_qczl, QStringLiteral("q"));
        q.setSql({QStringLiteral("select * from 汽车租赁登记表 where 内部编号 like 'ESC%' "), QStringLiteral("order by 内部编号")});
        q.open();
        const QVector<int> fields{q.fieldIndex(QStringLiteral("备注")), q.fieldIndex(QStringLiteral("客户姓名")),
                                  q.fieldIndex(QStringLiteral("押金"))};
        const QVector<QStringList> expected = throughSet(q, fields);
        QCOMPARE(expected.size(), texts.size());
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(expected[i][0], texts[i]);

        static QStringList logged;
        logged.clear();
        QLoggingCategory::setFilterRules(QStringLiteral("velmira.sql.debug=true"));
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& text) { logged << text; });
        QVector<QStringList> got;
        if (const std::unique_ptr<RowCursor> rows = RowStream::open(q, fields))
            got = streamed(*rows, int(fields.size()));
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        QCOMPARE(got, expected);
        QVERIFY2(logged.filter(QStringLiteral("[streamed]")).size() == 1, qPrintable(logged.join(QLatin1Char('\n'))));
        QVERIFY2(logged.filter(QStringLiteral("differs")).isEmpty(), qPrintable(logged.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestRowStream)
#include "test_rowstream.moc"
