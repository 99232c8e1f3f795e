// The spreadsheet import on a real database (both engines): workbooks written by independent
// writers (openpyxl, xlwt through /usr/bin/python3) and CSV files in UTF-8 and GBK, each with the
// same bad rows named by row and reason; good files imported and read back with the values a new
// row of the dialogs gets; all rows or none; the window driven through the recorders.
#include "core/clock.h"
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "sheetimport/importwindow.h"
#include "tests/pg/serverdb.h"
#include "ui/common/messages.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace SheetImport;

namespace {

QString S(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

const QString Long = S("很长的车型").repeated(20);

// The bad vehicle rows as CSV text: the same rows the Python writer puts into the workbooks.
QString badVehiclesCsv()
{
    return S("车牌号, 车型 ,颜色,购买时间,当前公里数,二保里程,下次二保,保险购买时间,保险截止时间,停用,备注,司机\r\n"
             "苏E11111,santana,白,2024-03-01,12000,5000,15000,2024-01-01,2024-12-31,0,,甲\r\n"
             ",jetta,,,,,,,,,,\r\n"
             "苏e11111,jetta,,,,,,,,,,\r\n"
             "苏A00001,jetta,,,,,,,,,,\r\n"
             "苏E22222,jetta,,2024-02-30,,,,,,,,\r\n"
             "苏E33333,jetta,,,一万,,,,,,,\r\n"
             "苏E44444,")
           + Long
           + S(",,,,,,,,,,\r\n"
               "苏E55555,jetta,,,600000,,,,,,,\r\n"
               "苏E66666,jetta,,,,,,2024-05-01,2024-04-01,,,\r\n");
}

QString goodVehiclesCsv()
{
    return S("车牌号,车型,颜色,购买时间,当前公里数,二保里程,下次二保,保险购买时间,保险截止时间,停用,备注\n"
             "苏F10001,santana,白,2024-03-01,12000,5000,15000,2024-01-01,2024-12-31,0,\"第一辆\"\n"
             ",,,,,,,,,,\n"
             "苏F10002,\"Jetta 1.6\",黑,2023/7/15,800.4,,,,,是,\n");
}

QString goodCustomersCsv()
{
    return S("客户号,客户姓名,性别,联系电话,应收会费,起始日期,终止日期\n"
             "c101,王五,男,13800138000,100.5,2024年1月1日,2024.12.31\n"
             "C102,赵六,女,025-84561234,0,,\n");
}

const QStringList BadFates{
    S("2:导入"),
    S("3:车牌号不能为空,请重新输入!"),
    S("4:车牌号苏e11111与第2行重复,不能重复导入!"),
    S("5:车牌号苏A00001已在汽车档案中,不能重复导入!"),
    S("6:购买时间“2024-02-30”不是有效的日期,请重新输入!"),
    S("7:公里数“一万”不是数字,请重新输入!"),
    S("8:车型 超过最大长度 40 个字符,请重新输入!"),
    S("9:公里数“600000”超出范围(0至500000),请重新输入!"),
    S("10:保险截止时间必须大于保险购买时间，请重新输入！"),
};

QStringList fates(const Plan& p)
{
    QStringList out;
    for (const PlannedRow& r : p.rows)
        out << QString::number(r.line) + u':' + r.fate();
    return out;
}

}  // namespace

class TestSheetImport : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;

    QString path(const QString& name) const { return dir.filePath(name); }
    Database& db() { return dm.ADO_qczl; }
    QString rows(const QString& sql) { return ServerDb::rowsText(db(), sql); }
    int count(const QString& table) { return rows(S("select count(*) from ") + table).toInt(); }

    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray gbk(const QString& text)
    {
        QStringEncoder e("GBK");
        return e(text);
    }
    Sheet sheetOf(const QString& file, const QString& table)
    {
        const QVector<Sheet> sheets = readFile(path(file));
        return sheets.at(sheetFor(sheets, table));
    }

    // The workbooks and CSV files of one content: <stem>.xlsx, .xls, -utf8.csv, -gbk.csv.
    static void everyFormat(const QString& stem)
    {
        QTest::addColumn<QString>("file");
        for (const char* f : {".xlsx", ".xls", "-utf8.csv", "-gbk.csv"})
            QTest::newRow(f) << stem + S(f);
    }
    // Why write refused the plan; empty when it wrote it.
    QString writeRefusal(const Target& target, const Plan& p)
    {
        try {
            write(db(), target, p);
        } catch (const DbError& e) {
            return e.text();
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        Clock::setFixed(QDateTime(QDate(2024, 6, 1), QTime(9, 30)));
        Session::currentOperator().name = S("张三");
        SERVERDB_SKIP_WITHOUT_SERVER();
        const QString location = ServerDb::location(dir);
        QVERIFY(!location.isEmpty());
        QDir(dir.path()).mkpath(S("data"));
        QString err;
        QVERIFY2(createDatabase(location, QDate(2024, 6, 1), &err), qPrintable(err));
        QVERIFY2(dm.connect(location, &err), qPrintable(err));
        db().execute(S("insert into 汽车档案 (车牌号, 车型, 开始生效, 停用) values ('苏A00001', 'SANTANA', 0, 0)"));

        QProcess python;
        python.start(S("/usr/bin/python3"), {S(VEL_WRITERS_PY), dir.path()});
        QVERIFY(python.waitForFinished(60000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        writeFile(S("bad-utf8.csv"), "\xEF\xBB\xBF" + badVehiclesCsv().toUtf8());
        writeFile(S("bad-gbk.csv"), gbk(badVehiclesCsv()));
        writeFile(S("good-utf8.csv"), goodVehiclesCsv().toUtf8());
        writeFile(S("good-gbk.csv"), gbk(goodVehiclesCsv()));
        writeFile(S("customers-gbk.csv"), gbk(goodCustomersCsv()));
    }

    void cleanupTestCase()
    {
        dm.disconnect();
        Clock::setSource({});
    }

    // Each test starts without the rows the others import.
    void cleanup()
    {
        db().execute(S("delete from 汽车档案 where 车牌号 like '苏F%'"));
        db().execute(S("delete from 客户登记表"));
        db().execute(S("delete from 操作日志"));
    }

    void badRowsNamed_data() { everyFormat(S("bad")); }
    void badRowsNamed()
    {
        QFETCH(QString, file);
        const Target target = vehicleTarget();
        const Plan p = plan(db(), target, sheetOf(file, S("汽车档案")));
        QVERIFY2(p.problem.isEmpty(), qPrintable(p.problem));
        QCOMPARE(fates(p), BadFates);
        QCOMPARE(p.ignored, QStringList{S("司机")});
        QCOMPARE(p.columns.mid(0, 5), (QStringList{S("车牌号"), S("车型"), S("颜色"), S("购买时间"), S("公里数")}));
        QCOMPARE(p.refusalLines().value(0), S("第3行：车牌号不能为空,请重新输入!"));

        // All or none: one good row among bad ones writes nothing.
        const int before = count(S("汽车档案"));
        QCOMPARE(writeRefusal(target, p), S("有8行不能导入,没有导入任何数据,请改正表格后重新导入!"));
        QCOMPARE(count(S("汽车档案")), before);
    }

    void goodVehiclesImported_data() { everyFormat(S("good")); }
    void goodVehiclesImported()
    {
        QFETCH(QString, file);
        const Target target = vehicleTarget();
        const Plan p = plan(db(), target, sheetOf(file, S("汽车档案")));
        QCOMPARE(fates(p), (QStringList{S("2:导入"), S("4:导入")}));
        QCOMPARE(write(db(), target, p), 2);
        // Capitals as the dialog types them, the field's rounding, the stamps and defaults of a new row.
        QCOMPARE(rows(S("select 车牌号, 车型, 颜色, 购买时间, 公里数, 二保里程, 下次二保里程, 保险截止时间, 停用, 开始生效, 车辆状态, "
                        "汽车照片, 操作员, 操作日期, 备注 from 汽车档案 where 车牌号 like '苏F%' order by 车牌号")),
                 S("苏F10001/SANTANA/白/2024-03-01 00:00:00/12000/5000/15000/2024-12-31 00:00:00/0/0/空闲/苏F10001.jpg/张三/"
                   "2024-06-01 09:30:00/第一辆,"
                   "苏F10002/JETTA 1.6/黑/2023-07-15 00:00:00/800////1/0/空闲/苏F10002.jpg/张三/2024-06-01 09:30:00/"));
        // The audit log saw the new rows as it sees a save.
        QCOMPARE(rows(S("select count(*) from 操作日志 where 表名='汽车档案' and 记录编号='苏F10002' and 操作类型='新增' "
                        "and 字段名='车牌号'")),
                 S("1"));
        // Imported again: every row is a duplicate now.
        QCOMPARE(fates(plan(db(), target, sheetOf(file, S("汽车档案")))).value(1), S("4:车牌号苏F10002已在汽车档案中,不能重复导入!"));
    }

    void goodCustomersImported_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sex");  // a yes/no cell in the .xlsx reads 是
        QTest::newRow("xlsx") << S("good.xlsx") << S("是");
        QTest::newRow("xls") << S("good.xls") << S("女");
        QTest::newRow("gbk csv") << S("customers-gbk.csv") << S("女");
    }
    void goodCustomersImported()
    {
        QFETCH(QString, file);
        QFETCH(QString, sex);
        const Target target = customerTarget();
        const Plan p = plan(db(), target, sheetOf(file, S("客户登记表")));
        QCOMPARE(fates(p), (QStringList{S("2:导入"), S("3:导入")}));
        QCOMPARE(write(db(), target, p), 2);
        QCOMPARE(rows(
                     S("select 客户号, 客户姓名, 性别, 联系电话, 应收会费, 起始日期, 终止日期, 停用, 客户照片, 操作员 from 客户登记表 "
                       "order by 客户号")),
                 S("C101/王五/男/13800138000/100.5/2024-01-01 00:00:00/2024-12-31 00:00:00/0/C101.jpg/张三,"
                   "C102/赵六/%1/025-84561234/0///0/C102.jpg/张三")
                     .arg(sex));
    }

    void keyStoredMeanwhileRefusesAll()
    {
        // Another workstation stores a plate of the file between the preview and 导入.
        const Target target = vehicleTarget();
        const Plan p = plan(db(), target, sheetOf(S("good.xlsx"), S("汽车档案")));
        QCOMPARE(p.refusedCount(), 0);
        db().execute(S("insert into 汽车档案 (车牌号, 开始生效, 停用) values ('苏f10002', 0, 0)"));
        const int before = count(S("汽车档案"));
        QCOMPARE(writeRefusal(target, p), S("第4行：车牌号苏F10002已在汽车档案中,不能重复导入!"));
        QCOMPARE(count(S("汽车档案")), before);
    }

    void sheetProblems()
    {
        // No key column: nothing of the sheet is planned; unreadable files are said by name.
        writeFile(S("nokey.csv"), QByteArray("车型,颜色\nSANTANA,白\n"));
        const Plan p = plan(db(), vehicleTarget(), sheetOf(S("nokey.csv"), S("汽车档案")));
        QCOMPARE(p.problem, S("工作表“nokey”的第一行没有“车牌号”列,不能导入汽车档案!"));
        QVERIFY(p.rows.isEmpty());
        writeFile(S("broken.xlsx"), QByteArray("not a zip"));
        writeFile(S("broken.xls"), QByteArray("not a workbook"));
        for (const QString& name : {S("broken.xlsx"), S("broken.xls")}) {
            try {
                readFile(path(name));
                QFAIL("a damaged file was read");
            } catch (const DbError& e) {
                QVERIFY2(e.text().contains(name), qPrintable(e.text()));
            }
        }
    }

    void xlsxOfOtherWriters()
    {
        const QVector<Sheet> sheets = readFile(path(S("handmade.xlsx")));
        QCOMPARE(sheets.size(), 1);
        QCOMPARE(sheets[0].name, S("车辆"));
        QCOMPARE(sheets[0].rows.size(), 2);
        QCOMPARE(sheets[0].rows[0], (QVector<Cell>{S("车牌号"), S("购买时间")}));
        QCOMPARE(sheets[0].rows[1], (QVector<Cell>{S("苏G10001"), QDate(2024, 3, 1)}));
    }

    void csvQuoting()
    {
        // Quoted separators, doubled quotes and a line break inside quotes; a tab-separated file.
        const Sheet s = readCsv(QByteArray("a,\"b,1\",\"say \"\"hi\"\"\"\r\n\"two\nlines\",,x\r\n"), S("q"));
        QCOMPARE(s.rows.size(), 2);
        QCOMPARE(s.rows[0], (QVector<Cell>{S("a"), S("b,1"), S("say \"hi\"")}));
        QCOMPARE(s.rows[1], (QVector<Cell>{S("two\nlines"), Cell(), S("x")}));
        const Sheet t = readCsv(QByteArray("a\tb\n1\t2"), S("t"));
        QCOMPARE(t.rows[1], (QVector<Cell>{S("1"), S("2")}));
    }

    void windowImportsAllOrNone()
    {
        Msg::Recorder msg;
        FileDialogs::Recorder files;
        SpreadsheetImportWindow w(nullptr, &dm);
        QCOMPARE(w.windowTitle(), S("从表格导入车辆和客户"));
        files.scriptOpen(path(S("bad.xlsx")));
        w.chooseButton->click();
        QCOMPARE(w.sheetBox->currentText(), S("汽车档案"));
        QCOMPARE(w.previewGrid->rowCount(), 9);
        QCOMPARE(w.previewGrid->item(1, 0)->text(), S("3"));
        QCOMPARE(w.previewGrid->item(1, 1)->text(), S("车牌号不能为空,请重新输入!"));
        const int before = count(S("汽车档案"));
        w.importButton->click();
        QVERIFY2(msg.lastText().startsWith(S("有8行不能导入,没有导入任何数据,请改正表格后重新导入!\n第3行：车牌号不能为空")),
                 qPrintable(msg.lastText()));
        QCOMPARE(count(S("汽车档案")), before);

        // The customers of the same workbook: their own sheet, every row accepted.
        w.tableBox->setCurrentIndex(1);
        QCOMPARE(w.sheetBox->currentText(), S("客户登记表"));
        QCOMPARE(w.plan().refusedCount(), 0);
        msg.clear();
        msg.script(Msg::Button::Yes);
        w.importButton->click();
        QCOMPARE(msg.texts(), (QStringList{S("将2行导入客户登记表,是否继续?"), S("导入完毕,共导入2行到客户登记表!")}));
        QCOMPARE(count(S("客户登记表")), 2);
        QCOMPARE(w.plan().refusedCount(), 2);  // the preview read again: both stored now
    }
};

QTEST_MAIN(TestSheetImport)
#include "test_sheetimport.moc"
