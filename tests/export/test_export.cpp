// Every export format is read back by a reader that is not ours: python's csv and html.parser, unrtf,
// and xlrd for the Excel workbook.
#include "ui/records/export/exporttable.h"
#include "ui/records/export/exportlayout.h"

#include "core/money.h"
#include "data/datamodule.h"
#include "readers.h"
#include "ui/common/messages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

#define REQUIRE_PYTHON(module)                                                                                                        \
    if (Readers::python(QStringLiteral(module)).isEmpty())                                                                            \
    QSKIP("python3 with the module " module " is not installed")

namespace {

ExportTable sampleTable()
{
    ExportTable t;
    t.printTitle = QStringLiteral("汽车维修打印清单");
    t.columns = {
        {QStringLiteral("车牌号"), FieldType::Text, 90},       {QStringLiteral("次数"), FieldType::Integer, 50},
        {QStringLiteral("费用|材料费"), FieldType::Money, 80}, {QStringLiteral("费用|人工费"), FieldType::Money, 80},
        {QStringLiteral("备注"), FieldType::Memo, 160},
    };
    t.rows = {
        {QStringLiteral("京A12345"), QStringLiteral("3"), QStringLiteral("0.0001"), QStringLiteral("12345678.9999"),
         QStringLiteral("普通")},
        {QStringLiteral("沪B-8,8\"8"), QStringLiteral("12"), QStringLiteral("-5.50"), QStringLiteral("0"),
         QStringLiteral("含,逗号\"引号\"\n换行 <b>&amp; {括号} \\反斜杠")},
        {QStringLiteral("0571"), QString(), QString(), QStringLiteral("1234.50"), QString()},
    };
    t.footer = {QStringLiteral("记录数"), QStringLiteral("3"), QStringLiteral("-5.4999"), QStringLiteral("12346913.4999"),
                QStringLiteral("合计")};
    t.operatorName = QStringLiteral("张三");
    t.printedAt = QDateTime(QDate(2004, 3, 1), QTime(14, 5, 9));
    return t;
}

// What a reader must find, line by line: the two title rows, the data rows, the footer.
QVector<QStringList> expectedLines(const ExportTable& t)
{
    QVector<QStringList> lines{
        {QStringLiteral("车牌号"), QStringLiteral("次数"), QStringLiteral("费用"), QString(), QStringLiteral("备注")},
        {QString(), QString(), QStringLiteral("材料费"), QStringLiteral("人工费"), QString()},
    };
    for (const QStringList& r : t.rows)
        lines << r;
    lines << t.footer;
    return lines;
}

QVector<QStringList> toLines(const QJsonValue& v)
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

// Each cell as "T:text", "N:number" (repr, with "@format" unless General) or "B" (blank or empty).
const char* kXlsReader = R"(
import sys, io, json, xlrd
log = io.StringIO()
book = xlrd.open_workbook(sys.argv[1], formatting_info=True, logfile=log)
def cell(c):
    if c.ctype == xlrd.XL_CELL_TEXT:
        return 'T:' + c.value
    if c.ctype == xlrd.XL_CELL_NUMBER:
        fmt = book.format_map[book.xf_list[c.xf_index].format_key].format_str
        return 'N:' + repr(c.value) + ('' if fmt == 'General' else '@' + fmt)
    return 'B' if c.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK) else '?%d' % c.ctype
sheets = [{'cells': [[cell(c) for c in sh.row(r)] for r in range(sh.nrows)], 'nrows': sh.nrows,
           'merged': sorted('%d-%d,%d-%d' % tuple(m) for m in sh.merged_cells)} for sh in book.sheets()]
# the records of the string table: how many CONTINUE records follow SST, the longest record
import struct
from xlrd import compdoc
stream = compdoc.CompDoc(open(sys.argv[1], 'rb').read(), logfile=log).get_named_stream('Workbook')
pos, in_sst, continues, longest = 0, False, 0, 0
while pos + 4 <= len(stream):
    rid, size = struct.unpack('<HH', stream[pos:pos + 4])
    pos += 4 + size
    longest = max(longest, size)
    if rid == 0xFC:
        in_sst = True
    elif in_sst and rid == 0x3C:
        continues += 1
    elif in_sst:
        break
print(json.dumps({'sheets': sheets, 'log': log.getvalue(), 'codepage': book.codepage,
                  'continues': continues, 'longest': longest}))
)";

}  // namespace

class TestExport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void extensionRule_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("format");
        QTest::newRow("no extension, Excel") << "汽车档案" << 5 << "汽车档案.xls" << int(ExportFormat::Xls);
        QTest::newRow("txt name, Excel filter") << "a.txt" << 5 << "a.txt.xls" << int(ExportFormat::Xls);
        QTest::newRow("upper case kept") << "a.XLS" << 5 << "a.XLS" << int(ExportFormat::Xls);
        QTest::newRow("only the last three count") << "axls" << 5 << "axls" << int(ExportFormat::Xls);
        QTest::newRow("text") << "b" << 1 << "b.txt" << int(ExportFormat::Text);
        QTest::newRow("csv") << "b.Csv" << 2 << "b.Csv" << int(ExportFormat::Csv);
        QTest::newRow("html") << "b.html" << 3 << "b.html.htm" << int(ExportFormat::Html);
        QTest::newRow("rtf") << "报表" << 4 << "报表.rtf" << int(ExportFormat::Rtf);
        QTest::newRow("index out of range") << "c.csv" << 6 << "c.csv" << int(ExportFormat::Csv);
    }
    void extensionRule()
    {
        QFETCH(QString, chosen);
        QFETCH(int, filter);
        QFETCH(QString, written);
        QFETCH(int, format);
        QCOMPARE(exportFileNameFor(chosen, filter), written);
        QCOMPARE(int(exportFormatFor(written, filter)), format);
    }

    void csvReadBack()
    {
        REQUIRE_PYTHON("csv");
        const ExportTable t = sampleTable();
        const QString path = write(t, QStringLiteral("列表.csv"), ExportFormat::Csv);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(3) == QByteArray("\xEF\xBB\xBF"));
        const QJsonDocument doc = readPython(QString(), R"(
import sys, csv, json
with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:
    print(json.dumps(list(csv.reader(f))))
)",
                                             path);
        QCOMPARE(toLines(doc.array()), expectedLines(t));
    }

    void textReadBack()
    {
        REQUIRE_PYTHON("json");
        const ExportTable t = sampleTable();
        const QString path = write(t, QStringLiteral("列表.txt"), ExportFormat::Text);
        const QJsonDocument doc = readPython(QString(), R"(
import sys, json
text = open(sys.argv[1], encoding='utf-8-sig', newline='').read()
assert text.endswith('\r\n')
print(json.dumps([line.split('\t') for line in text[:-2].split('\r\n')]))
)",
                                             path);
        QVector<QStringList> expected = expectedLines(t);
        // a line break inside a cell cannot survive in a line-per-row file; it becomes a blank
        expected[3][4].replace(QLatin1Char('\n'), QLatin1Char(' '));
        QCOMPARE(toLines(doc.array()), expected);
    }

    void htmlReadBack()
    {
        REQUIRE_PYTHON("html.parser");
        const ExportTable t = sampleTable();
        const QString path = write(t, QStringLiteral("列表.htm"), ExportFormat::Html);
        const QJsonDocument doc = readPython(QString(), R"(
import sys, json
from html.parser import HTMLParser
class P(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows, self.cell, self.charset, self.title, self.intitle = [], None, '', '', False
    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == 'meta':
            self.charset += a.get('charset') or a.get('content', '')
        elif tag == 'tr':
            self.rows.append([])
        elif tag in ('td', 'th'):
            self.cell = {'tag': tag, 'text': '', 'span': [int(a.get('rowspan', 1)), int(a.get('colspan', 1))]}
        elif tag == 'br' and self.cell is not None:
            self.cell['text'] += '\n'
        elif tag == 'title':
            self.intitle = True
    def handle_endtag(self, tag):
        if tag in ('td', 'th'):
            self.rows[-1].append(self.cell)
            self.cell = None
        elif tag == 'title':
            self.intitle = False
    def handle_data(self, d):
        if self.cell is not None:
            self.cell['text'] += d
        elif self.intitle:
            self.title += d
p = P()
p.feed(open(sys.argv[1], encoding='utf-8').read())
print(json.dumps({'charset': p.charset, 'title': p.title, 'rows': p.rows}))
)",
                                             path);
        const QJsonObject o = doc.object();
        QVERIFY2(o.value("charset").toString().contains("utf-8"), qPrintable(o.value("charset").toString()));
        QCOMPARE(o.value("title").toString(), t.printTitle);
        const QJsonArray rows = o.value("rows").toArray();
        QCOMPARE(rows.size(), 2 + 3 + 1);
        // the title block: 费用 spans its two columns, the single-level titles span both title rows
        QStringList head;
        for (const QJsonValue& c : rows[0].toArray())
            head << QStringLiteral("%1 %2x%3").arg(c["text"].toString()).arg(c["span"][0].toInt()).arg(c["span"][1].toInt());
        QCOMPARE(head, QStringList({"车牌号 2x1", "次数 2x1", "费用 1x2", "备注 2x1"}));
        QCOMPARE(rows[1].toArray().size(), 2);
        QCOMPARE(rows[1][1]["text"].toString(), QStringLiteral("人工费"));
        for (int r = 0; r < 4; ++r) {
            const QStringList expected = r < 3 ? t.rows[r] : t.footer;
            QStringList got;
            for (const QJsonValue& c : rows[2 + r].toArray())
                got << c["text"].toString();
            QCOMPARE(got, expected);
        }
    }

    void rtfReadBack()
    {
        const ExportTable t = sampleTable();
        const QString path = write(t, QStringLiteral("列表.rtf"), ExportFormat::Rtf);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray raw = f.readAll();
        // nothing but 7-bit text: Chinese travels as Unicode escapes
        for (char ch : raw)
            QVERIFY(uchar(ch) < 0x80);
        QVERIFY(raw.contains("\\u20140\\'3f"));  // 京, U+4EAC
        bool ok = false;
        const QString html = QString::fromUtf8(Readers::tool(QStringLiteral("unrtf"), {QStringLiteral("--html"), path}, &ok));
        if (!ok)
            QSKIP("unrtf is not installed");
        // unrtf writes the text as HTML, Unicode as character references; the cell texts follow each
        // other in order once the markup is gone
        QString text = html.mid(html.indexOf(QLatin1String("<body>")));
        text.remove(QRegularExpression(QStringLiteral("<[^>]*>"))).remove(QLatin1Char('\n'));
        static const QRegularExpression ref(QStringLiteral("&#(\\d+);"));
        for (QRegularExpressionMatch m = ref.match(text); m.hasMatch(); m = ref.match(text))
            text.replace(m.capturedStart(), m.capturedLength(), QChar(m.captured(1).toInt()));
        text.replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        int from = 0;
        for (const QStringList& row : expectedLines(t))
            for (const QString& cell : row)
                for (const QString& part : cell.split(QLatin1Char('\n'))) {
                    const int at = text.indexOf(part, from);
                    QVERIFY2(at >= 0, qPrintable(part + QStringLiteral(" missing after position %1 in:\n").arg(from) + text));
                    from = at + int(part.size());
                }
    }

    // Each cell's characters as RTF writes them, against the rule stated character by character: every
    // ASCII character, a lead byte of each length of UTF-8 with each continuation byte value, line
    // breaks of every kind, and a cell longer than the writer's buffer after a short one.
    void rtfEscapesEveryCharacter()
    {
        QStringList cells;
        QString ascii;
        for (char16_t c = 1; c < 0x80; ++c)
            ascii += QChar(c);
        cells << ascii;
        QByteArray multi;  // valid sequences with every lead byte and every continuation value
        for (int lead = 0xC2; lead <= 0xDF; ++lead)
            multi += char(lead), multi += char(0x80 | (lead & 0x3F));
        for (int lead = 0xE1; lead <= 0xEF; ++lead)
            for (int cont = 0x80; cont <= (lead == 0xED ? 0x9F : 0xBF); ++cont)  // no surrogates
                multi += char(lead), multi += char(cont), multi += char(0x80 | (cont & 0x3F));
        for (int lead = 0xF0; lead <= 0xF4; ++lead)
            multi += char(lead), multi += char(lead == 0xF0 ? 0x90 : 0x8F), multi += char(0xBF), multi += char(0x80);
        cells << QString::fromUtf8(multi);
        cells << QStringLiteral("a\r\nb\rc\nd\r\r\n\t{x}\\") << QStringLiteral("\u8000\uFFFF\u7FFF€😀末\r");
        QString longCell;
        for (int i = 0; longCell.size() < 400000; ++i)
            longCell += i % 3 ? QStringLiteral("京A{12}") : QStringLiteral("\\ 😀 \r\n");
        cells << QStringLiteral("短") << longCell;

        auto rule = [](const QString& text) {
            QByteArray out;
            for (qsizetype i = 0; i < text.size(); ++i) {
                const char16_t u = text[i].unicode();
                if (u == '\\' || u == '{' || u == '}')
                    out += '\\', out += char(u);
                else if (u == '\t')
                    out += "\\tab ";
                else if (u == '\n' || (u == '\r' && !(i + 1 < text.size() && text[i + 1] == u'\n')))
                    out += "\\line ";
                else if (u >= 0x20 && u < 0x80)
                    out += char(u);
                else if (u >= 0x80)
                    out += "\\u" + QByteArray::number(qint16(u)) + "\\'3f";
            }
            return out;
        };
        ExportTable t;
        t.columns = {{QStringLiteral("备注"), FieldType::Memo, 100}};
        for (const QString& c : cells)
            t.rows << QStringList{c};
        QString error;
        const QByteArray rtf = exportBytes(t, ExportFormat::Rtf, &error);
        QVERIFY2(!rtf.isEmpty(), qPrintable(error));
        qsizetype from = rtf.indexOf("\\trowd", rtf.indexOf("\\row\r\n"));  // behind the title row
        for (const QString& c : cells) {
            const QByteArray expected = "\\pard\\intbl\\ql " + rule(c) + "\\cell\r\n\\row\r\n";
            const qsizetype at = rtf.indexOf(expected, from);
            QVERIFY2(at >= 0 && rtf.mid(from, at - from).endsWith("\\cellx10772\r\n"),
                     qPrintable(QStringLiteral("cell %1 written otherwise").arg(c.left(40))));
            from = at + expected.size();
        }
        QVERIFY(rtf.mid(from).startsWith("\\pard\\par\r\n}"));
    }

    // A file of several tens of megabytes, handed to the disk in steps while it is written, holds the
    // same bytes as the same table written to memory; so does the workbook, whose string table is
    // patched behind the part already handed over.
    void longFileAsWrittenToMemory()
    {
        ExportTable t;
        t.columns = {{QStringLiteral("备注"), FieldType::Memo, 100}, {QStringLiteral("金额"), FieldType::Money, 60}};
        const QString cell = QStringLiteral("京沪粤{租赁}\\").repeated(150);
        t.sourceRows = 5000;  // the workbook's string table alone over 8 MiB
        t.rowSource = [&](int i) { return QStringList{cell + QString::number(i), QString::number(i) + QStringLiteral(".50")}; };
        for (const ExportFormat f : {ExportFormat::Rtf, ExportFormat::Xls}) {
            QString error;
            const QByteArray inMemory = exportBytes(t, f, &error);
            QVERIFY2(inMemory.size() > (10 << 20), qPrintable(error));
            QCOMPARE(readAll(write(t, QStringLiteral("长%1").arg(int(f)), f)), inMemory);
        }
    }

    void xlsReadBack()
    {
        REQUIRE_PYTHON("xlrd");
        const ExportTable t = sampleTable();
        const QString path = write(t, QStringLiteral("列表.xls"), ExportFormat::Xls);
        const QJsonObject book = readXls(path);
        QCOMPARE(book.value("log").toString(), QString());
        QCOMPARE(book.value("codepage").toInt(), 1200);
        const QJsonArray sheets = book.value("sheets").toArray();
        QCOMPARE(sheets.size(), 1);
        const QJsonObject sh = sheets[0].toObject();
        const QVector<QStringList> expected{
            {"T:车牌号", "T:次数", "T:费用", "B", "T:备注"},
            {"B", "B", "T:材料费", "T:人工费", "B"},
            {"T:京A12345", "N:3.0", "N:0.0001@0.00##", "N:12345678.9999@0.00##", "T:普通"},
            {"T:" + t.rows[1][0], "N:12.0", "N:-5.5@0.00##", "N:0.0@0.00##", "T:" + t.rows[1][4]},
            {"T:0571", "B", "B", "N:1234.5@0.00##", "B"},  // a text column keeps the leading zero
            {"T:记录数", "N:3.0", "N:-5.4999@0.00##", "N:12346913.4999@0.00##", "T:合计"},
        };
        QCOMPARE(toLines(sh.value("cells")), expected);
        // the title block merged as on the screen
        QCOMPARE(sh.value("merged").toVariant().toStringList(), QStringList({"0-1,2-4", "0-2,0-1", "0-2,1-2", "0-2,4-5"}));
    }

    // A cell's number read from its UTF-8 bytes as from its characters: blanks around it (beyond ASCII
    // too), signs, grouping commas in money columns only, and texts that are no number.
    void numbersFromBytes()
    {
        const QStringList texts{QStringLiteral(" 12.50\t"),
                                QStringLiteral("+.5"),
                                QStringLiteral("-0"),
                                QStringLiteral("1,234.56"),
                                QStringLiteral("12,34"),
                                QStringLiteral("1,234,567"),
                                QStringLiteral("\u3000 7\u00A0"),
                                QStringLiteral("1e5"),
                                QString(),
                                QStringLiteral(" "),
                                QStringLiteral("."),
                                QStringLiteral("12.3.4"),
                                QStringLiteral("-"),
                                QStringLiteral("٣"),
                                QStringLiteral("0.0001")};
        for (const QString& s : texts)
            for (const bool grouping : {false, true}) {
                const QByteArray b = s.toUtf8();
                QCOMPARE(numberValue(std::string_view(b.constData(), size_t(b.size())), grouping),
                         numberValue(QStringView(s), grouping));
            }
        QCOMPARE(numberValue(std::string_view(" 12.50\t")), std::optional<double>(12.5));
        QCOMPARE(numberValue(std::string_view("1,234.56"), true), std::optional<double>(1234.56));
        QCOMPARE(numberValue(std::string_view("1,234.56")), std::nullopt);
        QCOMPARE(numberValue(std::string_view("\u3000 7\u00A0")), std::optional<double>(7));
        QCOMPARE(numberValue(std::string_view("1e5")), std::nullopt);
    }

    // Where LibreOffice is installed, it opens the workbook too and shows the money in its format.
    void xlsOpensInLibreOffice()
    {
        REQUIRE_PYTHON("csv");
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
            QSKIP("LibreOffice is not installed");
        const ExportTable t = sampleTable();
        const QString path = write(t, QStringLiteral("office.xls"), ExportFormat::Xls);
        const QString out = m_dir.filePath(QStringLiteral("office"));
        QProcess office;
        office.setProcessEnvironment([&] {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("HOME"), m_dir.path());  // a profile of its own
            return env;
        }());
        office.start(QStringLiteral("soffice"), {QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                                 QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true"),
                                                 QStringLiteral("--outdir"), out, path});
        QVERIFY(office.waitForFinished(180000));
        const QJsonDocument doc = readPython(QStringLiteral("csv"), R"(
import sys, csv, json
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    print(json.dumps(list(csv.reader(f))))
)",
                                             out + QStringLiteral("/office.csv"));
        QVector<QStringList> expected = expectedLines(t);
        expected[3][3] = QStringLiteral("0.00");  // "0" shown in the money format
        QCOMPARE(toLines(doc.array()), expected);
    }

    // Thousands of distinct strings, some longer than what is left of a record, push the string table
    // across several CONTINUE records, including strings split in the middle.
    void xlsManyRows()
    {
        REQUIRE_PYTHON("xlrd");
        ExportTable t;
        t.columns = {{QStringLiteral("编号"), FieldType::Text, 60},
                     {QStringLiteral("说明"), FieldType::Memo, 200},
                     {QStringLiteral("金额"), FieldType::Money, 80}};
        Money sum;
        for (int i = 0; i < 3000; ++i) {
            const QString note = i % 97 == 0 ? QString(1500 + i % 7, QChar(0x4E00 + i % 500))
                                 : i % 2     ? QStringLiteral("客户%1备注").arg(i)
                                             : QStringLiteral("latin-%1").arg(i);
            const Money m = Money::fromUnits(qint64(i) * 12345679 + 1);
            sum += m;
            t.rows << QStringList{QStringLiteral("NO%1").arg(i, 5, 10, QLatin1Char('0')), note, m.toString()};
        }
        t.footer = {QStringLiteral("记录数"), QStringLiteral("3000"), sum.toString()};
        QElapsedTimer timer;
        timer.start();
        const QString path = write(t, QStringLiteral("多行.xls"), ExportFormat::Xls);
        qInfo("3000 rows: %lld bytes in %lld ms", QFileInfo(path).size(), timer.elapsed());

        const QJsonObject book = readXls(path);
        QCOMPARE(book.value("log").toString(), QString());
        // the string table really continues, and records are filled up to the limit (strings split)
        QVERIFY(book["continues"].toInt() >= 5);
        QCOMPARE(book["longest"].toInt(), 8224);
        const QJsonArray cells = book["sheets"][0]["cells"].toArray();
        QCOMPARE(cells.size(), 1 + 3000 + 1);
        auto money = [](const QJsonValue& v) {  // "N:1234.5@0.00##" -> "1234.5000"
            return Money::parse(v.toString().section(QLatin1Char(':'), 1).section(QLatin1Char('@'), 0, 0))->toString();
        };
        for (int i = 0; i < 3000; ++i) {
            const QJsonArray row = cells[1 + i].toArray();
            QCOMPARE(row[0].toString(), "T:" + t.rows[i][0]);
            QCOMPARE(row[1].toString(), "T:" + t.rows[i][1]);
            QCOMPARE(money(row[2]), t.rows[i][2]);
        }
        QCOMPARE(money(cells[3001][2]), sum.toString());
    }

    // 65536 rows are all a sheet can hold: a longer list continues on a second sheet (with the titles
    // again) instead of losing rows, and the file, above 7 MB, needs the extended sector table.
    void xlsBeyondOneSheet()
    {
        REQUIRE_PYTHON("xlrd");
        ExportTable t;
        for (int c = 0; c < 12; ++c)
            t.columns << ExportColumn{QStringLiteral("列%1").arg(c), c == 11 ? FieldType::Money : FieldType::Text, 60};
        const int total = 70000;
        auto cellText = [](int i, int c) {
            return c < 11 ? QStringLiteral("r%1c%2").arg(i).arg(c) : QString::number(i) + QStringLiteral(".0001");
        };
        t.sourceRows = total;
        t.rowSource = [&](int i) {
            QStringList r;
            for (int c = 0; c < 12; ++c)
                r << cellText(i, c);
            return r;
        };
        t.footer = QStringList{QStringLiteral("记录数"), QString::number(total)};
        QElapsedTimer timer;
        timer.start();
        const QString path = write(t, QStringLiteral("大.xls"), ExportFormat::Xls);
        qInfo("70000 rows x 12 columns: %lld bytes in %lld ms", QFileInfo(path).size(), timer.elapsed());
        QVERIFY(QFileInfo(path).size() > 109 * 128 * 512);

        const QJsonObject book = readXls(path);
        QCOMPARE(book["log"].toString(), QString());
        const QJsonArray sheets = book["sheets"].toArray();
        QCOMPARE(sheets.size(), 2);
        QCOMPARE(sheets[0]["nrows"].toInt(), 65536);
        int n = 0;
        for (const QJsonValue& sheet : sheets) {
            const QJsonArray cells = sheet["cells"].toArray();
            QCOMPARE(cells[0][0].toString(), QStringLiteral("T:列0"));
            for (int r = 1; r < cells.size() && n < total; ++r, ++n)
                for (int c : {0, 10, 11})
                    QCOMPARE(cells[r][c].toString().section(QLatin1Char('@'), 0, 0), (c < 11 ? "T:" : "N:") + cellText(n, c));
        }
        QCOMPARE(n, total);
        QCOMPARE(sheets[1]["cells"].toArray().last()[1].toString(), QStringLiteral("N:70000.0"));
    }

    // Rows asked for one at a time give the same files as a copied table, each row asked for once.
    void rowSource()
    {
        const ExportTable copied = sampleTable();
        ExportTable asked = copied;
        asked.rows.clear();
        int calls = 0;
        asked.sourceRows = int(copied.rows.size());
        asked.rowSource = [&](int i) {
            ++calls;
            return copied.rows.at(i);
        };
        for (int f = 0; f <= int(ExportFormat::Xls); ++f) {
            calls = 0;
            QString e1, e2;
            QCOMPARE(exportBytes(asked, ExportFormat(f), &e1), exportBytes(copied, ExportFormat(f), &e2));
            QCOMPARE(calls, 3);
        }
    }

    void emptyTable_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("withColumns");
        for (int f = 0; f <= int(ExportFormat::Xls); ++f) {
            QTest::addRow("format %d, no rows", f) << f << true;
            QTest::addRow("format %d, no columns", f) << f << false;
        }
    }
    void emptyTable()
    {
        QFETCH(int, format);
        QFETCH(bool, withColumns);
        ExportTable t;
        if (withColumns) {
            t.columns = sampleTable().columns;
            t.footer = {QStringLiteral("记录数"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QString()};
        }
        const QString path = write(t, QStringLiteral("空%1%2").arg(format).arg(withColumns), ExportFormat(format));
        if (ExportFormat(format) == ExportFormat::Xls && !Readers::python(QStringLiteral("xlrd")).isEmpty()) {
            const QJsonObject book = readXls(path);
            QCOMPARE(book.value("log").toString(), QString());
            QCOMPARE(book["sheets"][0]["nrows"].toInt(), withColumns ? 3 : 0);
        }
    }

    void replacesExistingFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("旧.csv"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(100000, 'x'));
        }
        QString error;
        QVERIFY(writeExport(sampleTable(), path, ExportFormat::Csv, &error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray now = f.readAll();
        QVERIFY(!now.contains("xxx"));
        QVERIFY(now.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("旧")).size(), 1);
    }

    void failuresLeaveNoFile()
    {
        QString error;
        const QString missing = m_dir.filePath(QStringLiteral("没有这个文件夹/a.xls"));
        QVERIFY(!writeExport(sampleTable(), missing, ExportFormat::Xls, &error));
        QVERIFY2(error.contains(QStringLiteral("不存在")), qPrintable(error));
        QVERIFY(!QFileInfo::exists(missing));

        error.clear();
        QVERIFY(!writeExport(sampleTable(), m_dir.path(), ExportFormat::Csv, &error));
        QVERIFY(!error.isEmpty());

        // a table Excel cannot hold is refused before anything is written; the old file stays
        const QString old = m_dir.filePath(QStringLiteral("宽.xls"));
        QVERIFY(writeExport(sampleTable(), old, ExportFormat::Xls, &error));
        const QByteArray before = readAll(old);
        ExportTable wide;
        for (int c = 0; c < 257; ++c)
            wide.columns << ExportColumn{QString::number(c), FieldType::Text, 40};
        error.clear();
        QVERIFY(!writeExport(wide, old, ExportFormat::Xls, &error));
        QVERIFY2(error.contains(QStringLiteral("256")), qPrintable(error));
        QCOMPARE(readAll(old), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("宽")).size(), 1);
    }

#ifdef Q_OS_LINUX
    // A full disk, played by a file size limit: the export fails with its message, the previous file
    // stays as it was, and no temporary file is left behind.
    void diskFull()
    {
        const QString path = m_dir.filePath(QStringLiteral("满.xls"));
        QString error;
        QVERIFY(writeExport(sampleTable(), path, ExportFormat::Xls, &error));
        const QByteArray before = readAll(path);
        ExportTable big = sampleTable();
        for (int i = 0; i < 20000; ++i)
            big.rows << QStringList{QStringLiteral("行%1").arg(i)};

        struct rlimit old;
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 64 * 1024;
        setrlimit(RLIMIT_FSIZE, &small);
        const bool written = writeExport(big, path, ExportFormat::Xls, &error);
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, oldHandler);

        QVERIFY(!written);
        QVERIFY2(error.contains(QStringLiteral("磁盘已满")), qPrintable(error));
        QCOMPARE(readAll(path), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("满")).size(), 1);
    }
#endif

    // The shared dialog: filter 5 first, the chosen filter kept for the run, the window's name offered
    // every time, the extension rule applied, a cancel changing nothing.
    void dialogFlow()
    {
        SaveDialogSettings settings;
        FileDialogs::Recorder dialogs;
        Msg::Recorder boxes;
        const ExportTable t = sampleTable();

        dialogs.scriptSave(m_dir.filePath(QStringLiteral("汽车档案")));
        QVERIFY(exportWithDialog(nullptr, settings, QStringLiteral("汽车档案"), t));
        QVERIFY(QFileInfo::exists(m_dir.filePath(QStringLiteral("汽车档案.xls"))));
        const FileDialogs::SaveRequest first = dialogs.saveRequests().at(0);
        QCOMPARE(first.filterIndex, 4);
        QCOMPARE(first.fileName, QStringLiteral("汽车档案"));
        QCOMPARE(first.filters, QStringList({"Text files (*.txt)", "Comma separated values (*.csv)", "HTML file (*.htm)",
                                             "Rich Text Format (*.rtf)", "Microsoft Excel Workbook (*.xls)"}));

        dialogs.scriptSave(m_dir.filePath(QStringLiteral("导出.TXT")), 1);  // csv chosen with a .TXT name
        QVERIFY(exportWithDialog(nullptr, settings, QStringLiteral("汽车档案"), t));
        QVERIFY(readAll(m_dir.filePath(QStringLiteral("导出.TXT.csv"))).contains(QStringLiteral("\"沪B-8,8\"\"8\"").toUtf8()));
        QCOMPARE(settings.filterIndex, 2);

        dialogs.scriptSave(QString());  // cancelled
        QVERIFY(!exportWithDialog(nullptr, settings, QStringLiteral("摘要"), t));
        const FileDialogs::SaveRequest third = dialogs.saveRequests().at(2);
        QCOMPARE(third.filterIndex, 1);
        QCOMPARE(third.fileName, QStringLiteral("摘要"));
        QCOMPARE(settings.filterIndex, 2);
        QVERIFY(boxes.shown().isEmpty());

        dialogs.scriptSave(m_dir.filePath(QStringLiteral("无/x.csv")));
        QVERIFY(!exportWithDialog(nullptr, settings, QStringLiteral("摘要"), t));
        QCOMPARE(boxes.shown().size(), 1);
        QVERIFY(boxes.lastText().contains(QStringLiteral("不存在")));
    }

private:
    QString write(const ExportTable& t, const QString& name, ExportFormat f)
    {
        const QString path = m_dir.filePath(name);
        QString error;
        if (!writeExport(t, path, f, &error))
            qFatal("export failed: %s", qPrintable(error));
        return path;
    }

    static QByteArray readAll(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QJsonDocument readPython(const QString& module, const char* script, const QString& path)
    {
        const QString py = Readers::python(module);
        if (py.isEmpty())
            return {};
        QString error;
        const QJsonDocument doc = Readers::pythonJson(py, QString::fromUtf8(script), {path}, &error);
        if (!error.isEmpty())
            qWarning("%s", qPrintable(error));
        return doc;
    }

    QJsonObject readXls(const QString& path)
    {
        const QString py = Readers::python(QStringLiteral("xlrd"));
        if (py.isEmpty())
            return {};
        QString error;
        const QJsonDocument doc = Readers::pythonJson(py, QString::fromUtf8(kXlsReader), {path}, &error);
        if (!error.isEmpty())
            qWarning("xlrd: %s", qPrintable(error));
        return doc.object();
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestExport)
#include "test_export.moc"
