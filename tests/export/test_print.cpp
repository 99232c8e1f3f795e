// Printed lists are checked on their PDF form, read back with pdftotext.
#include "ui/records/print/tableprinter.h"

#include "readers.h"

#include <QApplication>
#include <QFile>
#include <QPrintPreviewWidget>
#include <QTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Word {
    QString text;
    double left, right;
};

// Words of a PDF with their horizontal extent in points, in reading order (pdftotext -bbox).
QVector<Word> wordBoxes(const QString& pdf)
{
    bool ok = false;
    const QString html = QString::fromUtf8(
        Readers::tool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}, &ok));
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    QVector<Word> out;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out << Word{m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()};
    }
    return out;
}

int indexOf(const QVector<Word>& words, const QString& text)
{
    for (int i = 0; i < words.size(); ++i)
        if (words[i].text == text)
            return i;
    return -1;
}

ExportTable repairList()
{
    ExportTable t;
    t.printTitle = QStringLiteral("车辆维修记录登记表打印清单");
    t.columns = {
        {QStringLiteral("车牌号"), FieldType::Text, 90},
        {QStringLiteral("维修日期"), FieldType::DateTime, 90},
        {QStringLiteral("费用|材料费"), FieldType::Money, 80},
        {QStringLiteral("费用|总费用"), FieldType::Money, 80},
    };
    t.rows = {
        {QStringLiteral("京A12345"), QStringLiteral("2004-03-01"), QStringLiteral("0.0001"), QStringLiteral("100.50")},
        {QStringLiteral("沪B67890"), QStringLiteral("2004-03-02"), QStringLiteral("12345678.9999"), QStringLiteral("200.00")},
    };
    t.footer = {QStringLiteral("记录数"), QStringLiteral("2"), QStringLiteral("12345679.0000"), QStringLiteral("300.50")};
    t.operatorName = QStringLiteral("李四");
    t.printedAt = QDateTime(QDate(2004, 3, 5), QTime(9, 8, 7));
    return t;
}

}  // namespace

class TestPrint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void pdfReadBack()
    {
        const ExportTable t = repairList();
        const QStringList pages = printed(t, QStringLiteral("list.pdf"));
        if (pages.isEmpty())
            QSKIP("pdftotext is not installed");
        QCOMPARE(pages.size(), 1);
        const QString text = pages[0];
        QVERIFY2(text.contains(t.printTitle), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("第1页")));
        for (const char* s : {"车牌号", "维修日期", "材料费", "总费用", "费用", "京A12345", "0.0001", "12345678.9999", "记录数",
                              "12345679.0000", "300.50"})
            QVERIFY2(text.contains(QString::fromUtf8(s)), s);
        // the closing line, in this order, on the last line of the page
        const QRegularExpression closing(QStringLiteral("打印时间:2004-03-05 09:08:07 +制表:李四 \\.\\s*$"));
        QVERIFY2(closing.match(text).hasMatch(), qPrintable(text));

        // pdftotext infers blanks from distances, so the 21 blanks are measured: the gap between the
        // time and "制表:" is 21 times the single blank between the date and the time.
        const QVector<Word> words = wordBoxes(m_dir.filePath(QStringLiteral("list.pdf")));
        const int time = indexOf(words, QStringLiteral("09:08:07"));
        QVERIFY(time > 0 && time + 1 < words.size());
        QCOMPARE(words[time - 1].text, QStringLiteral("打印时间:2004-03-05"));
        QCOMPARE(words[time + 1].text, QStringLiteral("制表:李四"));
        const double blank = words[time].left - words[time - 1].right;
        const double gap = words[time + 1].left - words[time].right;
        QVERIFY(blank > 0);
        QVERIFY2(qAbs(gap / blank - 21) < 0.3, qPrintable(QString::number(gap / blank)));

        // 2 mm margins, and the grid stretched across the width between them (A4: 595.28 points)
        const double margin = 2 / 25.4 * 72;
        double right = 0, left = 1e9;
        for (const Word& w : words) {
            right = std::max(right, w.right);
            left = std::min(left, w.left);
        }
        QVERIFY2(left >= margin - 0.5 && left < margin + 2, qPrintable(QString::number(left)));
        QVERIFY2(right <= 595.28 - margin && right > 595.28 - margin - 4, qPrintable(QString::number(right)));
    }

    // Long lists run over several pages: each page with the print title, its number and the title rows,
    // every row printed once, the footer and the closing line after the last row.
    void pages()
    {
        ExportTable t = repairList();
        t.rows.clear();
        for (int i = 0; i < 150; ++i)
            t.rows << QStringList{QStringLiteral("粤C%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("2004-03-01"),
                                  QStringLiteral("1.00"), QStringLiteral("2.00")};
        t.footer = {QStringLiteral("记录数"), QStringLiteral("150"), QStringLiteral("150.00"), QStringLiteral("300.00")};
        const QStringList pages = printed(t, QStringLiteral("pages.pdf"));
        if (pages.isEmpty())
            QSKIP("pdftotext is not installed");
        QVERIFY(pages.size() >= 3);
        QString all;
        for (int p = 0; p < pages.size(); ++p) {
            QVERIFY(pages[p].contains(t.printTitle));
            QVERIFY2(pages[p].contains(QStringLiteral("第%1页").arg(p + 1)), qPrintable(pages[p]));
            QVERIFY(pages[p].contains(QStringLiteral("材料费")));
            QCOMPARE(pages[p].contains(QStringLiteral("打印时间:")), p == pages.size() - 1);
            all += pages[p];
        }
        for (int i = 0; i < 150; ++i)
            QCOMPARE(all.count(QStringLiteral("粤C%1").arg(i, 5, 10, QLatin1Char('0'))), 1);
        QVERIFY(pages.back().contains(QStringLiteral("记录数")));
        // rows stay in order across the page breaks
        QVERIFY(all.indexOf(QStringLiteral("粤C00149")) > all.indexOf(QStringLiteral("粤C00000")));
    }

    // A text longer than its column wraps inside the cell and the row grows: nothing is cut off, and the
    // following row comes below the whole text.
    void wrapsLongText()
    {
        ExportTable t = repairList();
        t.columns[1] = {QStringLiteral("备注"), FieldType::Memo, 90};
        QStringList words;
        for (int i = 0; i < 40; ++i)
            words << QStringLiteral("w%1").arg(i, 3, 10, QLatin1Char('0'));
        t.rows[0][1] = words.join(QLatin1Char(' '))
                       + QStringLiteral(" 一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十末尾");
        const QStringList pages = printed(t, QStringLiteral("wrap.pdf"));
        if (pages.isEmpty())
            QSKIP("pdftotext is not installed");
        const QString text = pages.join(QString());
        for (const QString& w : words)
            QVERIFY2(text.contains(w), qPrintable(w));
        QVERIFY(text.contains(QStringLiteral("末尾")));
        const QStringList lines = text.split(QLatin1Char('\n'));
        int first = -1, last = -1, next = -1;
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i].contains(QStringLiteral("w000")))
                first = i;
            if (lines[i].contains(QStringLiteral("末尾")))
                last = i;
            if (lines[i].contains(QStringLiteral("沪B67890")))
                next = i;
        }
        QVERIFY2(last - first >= 3, qPrintable(text));
        QVERIFY(next > last);
    }

    void emptyAndOwnClosingLine()
    {
        ExportTable t = repairList();
        t.rows.clear();
        t.footer.clear();
        t.closingLine = QStringLiteral("打印时间:2004-03-05 09:08:07   制表:李四   统计时间:2004年3月 .");
        const QStringList pages = printed(t, QStringLiteral("empty.pdf"));
        if (pages.isEmpty())
            QSKIP("pdftotext is not installed");
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains(QStringLiteral("车牌号")));
        QVERIFY(pages[0].contains(QStringLiteral("统计时间:2004年3月 .")));
        QVERIFY(!pages[0].contains(QStringLiteral("记录数")));

        ExportTable bare;
        bare.operatorName = QStringLiteral("王五");
        bare.printedAt = t.printedAt;
        const QStringList barePages = printed(bare, QStringLiteral("bare.pdf"));
        QCOMPARE(barePages.size(), 1);
        QVERIFY(barePages[0].contains(QStringLiteral("制表:王五 .")));
    }

    void failures()
    {
        QString error;
        const QString missing = m_dir.filePath(QStringLiteral("没有/a.pdf"));
        QVERIFY(!printToPdf(repairList(), missing, &error));
        QVERIFY2(error.contains(QStringLiteral("不存在")), qPrintable(error));
        QVERIFY(!QFileInfo::exists(missing));
    }

    // The real preview: composed on a printer, its pages counted while it is open, then closed.
    void previewShowsThePages()
    {
        ExportTable t = repairList();
        for (int i = 0; i < 150; ++i)
            t.rows << t.rows[0];
        int pages = -1;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (auto* preview = dialog ? dialog->findChild<QPrintPreviewWidget*>() : nullptr)
                pages = preview->pageCount();
            if (dialog)
                dialog->close();
        });
        printWithPreview(nullptr, t);
        QVERIFY(pages >= 3);
    }

    void previewIsRecordedInTests()
    {
        PrintPreview::Recorder recorder;
        printWithPreview(nullptr, repairList());
        QCOMPARE(recorder.tables().size(), 1);
        QCOMPARE(recorder.tables()[0].printTitle, repairList().printTitle);
        QCOMPARE(closingLineOf(recorder.tables()[0]),
                 QStringLiteral("打印时间:2004-03-05 09:08:07") + QString(21, QLatin1Char(' ')) + QStringLiteral("制表:李四 ."));
    }

private:
    // The pages of a printed table as pdftotext lays them out; empty when the tool is missing.
    QStringList printed(const ExportTable& t, const QString& name)
    {
        const QString pdf = m_dir.filePath(name);
        QString error;
        if (!printToPdf(t, pdf, &error))
            qFatal("print failed: %s", qPrintable(error));
        bool ok = false;
        const QByteArray out = Readers::tool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &ok);
        if (!ok)
            return {};
        QStringList pages = QString::fromUtf8(out).split(QChar(0x0C));
        if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestPrint)
#include "test_print.moc"
