// The rental agreement: its fields read from a small database, the built-in template rendered to
// PDF and read back, and 打印合同 in the contract dialog with the office's template, a broken one
// and an unsaved contract.
#include "fixture.h"
#include "rental/agreement.h"
#include "rental/bookings.h"
#include "rental/papers.h"
#include "tests/export/readers.h"
#include "ui/common/messages.h"
#include "ui/records/print/documentprinter.h"
#include "ui/records/print/documenttemplate.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

class TestAgreement : public RentalFixture {
    Q_OBJECT

    void writeTemplate(const QByteArray& bytes)
    {
        QDir(dir.path()).mkpath(u"templates"_s);
        QFile f(DocumentTemplate::fileOf(dir.path(), Agreement::DocumentName));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private Q_SLOTS:
    void initTestCase()
    {
        setUp();
        exec(u"update 公司信息 set 公司名称='江南汽车租赁有限公司', 公司地址='南京市中山路1号', 联系电话='025-1234567'"_s);
        exec(u"update 汽车档案 set 车型='捷达', 颜色='白', 公里数=12000 where 车牌号='苏A00001'"_s);
        exec(u"update 客户登记表 set 身份证号='320102197001011234', 移动电话='13900000001', 家庭住址='南京市玄武区', "
             "担保人='赵保', 驾驶员驾驶证号='320102197001011234' where 客户号='K001'"_s);
        exec(u"insert into 汽车租赁登记表 (内部编号, 发车单号, 客户号, 客户姓名, 车牌号, 发车日期, 发车里程, 租赁期限, "
             "租赁单价, 每天限驶里程, 超时收费单价, 超驶收费单价, 押金, 预收租金, 租赁公司经办人, 客户交车) values "
             "('ZL2004000001', 'FC0001', 'K001', '王一', '苏A00001', '2004-05-01 10:00:00', 12000, 2, 150.5, 300, 20, "
             "0.8, 3000, 715, '老周', '没有')"_s);
    }
    void cleanupTestCase() { tearDown(); }

    void builtInAgreementOnPaper()
    {
        QVERIFY(!Agreement::fields(dm.ADO_qczl, u"ZL2099999999"_s));
        // The paper's fields: the agreement's own and the dispatch's outline.
        const auto f = Papers::agreement().fields(dm.ADO_qczl, u"ZL2004000001"_s);
        QVERIFY(f);
        const QString html = DocumentTemplate::render(Agreement::builtInTemplate(), *f, Papers::htmlFields());
        // Every field the built-in template names is one the collection gives.
        QVERIFY2(!html.contains(u"{{"_s), qPrintable(html.mid(html.indexOf(u"{{"_s), 40)));
        for (const QString& name : Agreement::fieldNames())
            QVERIFY2(f->contains(name), qPrintable(name));

        const QString pdf = dir.filePath(u"agreement.pdf"_s);
        QString error;
        QVERIFY2(printDocumentToPdf(Agreement::DocumentName, html, pdf, &error), qPrintable(error));
        bool ok = false;
        const QByteArray out = Readers::tool(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s}, &ok);
        QVERIFY(ok);
        QString text = QString::fromUtf8(out);
        QCOMPARE(text.count(u'\f'), 1);  // one page
        text.remove(QRegularExpression(u"\\s+"_s));
        for (const QString& expected :
             {u"江南汽车租赁有限公司"_s, u"025-1234567"_s, u"合同号：ZL2004000001"_s, u"FC0001"_s, u"王一（K001）"_s,
              u"320102197001011234"_s, u"13900000001"_s, u"赵保"_s, u"苏A00001"_s, u"捷达"_s, u"12000公里"_s, u"2004-05-0110:00:00"_s,
              u"预计收车日期2004-05-0310:00:00"_s, u"150.50元/天"_s, u"0.80元/公里"_s, u"3,000.00元（人民币大写：叁仟元整）"_s,
              u"715.00元（人民币大写：柒佰壹拾伍元整）"_s, u"老周"_s, u"承租方（乙方）签字："_s})
            QVERIFY2(text.contains(expected), qPrintable(expected + u" in "_s + text));
    }

    // The program's screen font is set in pixels; on paper the title stays a title (a pixel size
    // carried onto a 600 dpi page printed it a twelfth of its size), written by Papers::writePdf.
    void titlesInPointsWhateverTheScreenFont()
    {
        const QFont screen = QApplication::font();
        QFont pixels = screen;
        pixels.setPixelSize(12);
        QApplication::setFont(pixels);
        const QString pdf = dir.filePath(u"title.pdf"_s);
        QString error;
        const bool written = Papers::writePdf(dm.ADO_qczl, Papers::agreement(), u"ZL2004000001"_s, pdf, &error);
        QApplication::setFont(screen);
        QVERIFY2(written, qPrintable(error));
        bool ok = false;
        const QString boxes = QString::fromUtf8(Readers::tool(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s}, &ok));
        QVERIFY(ok);
        const QRegularExpressionMatch m =
            QRegularExpression(u"yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">汽车租赁合同<"_s).match(boxes);
        QVERIFY2(m.hasMatch(), qPrintable(boxes.left(2000)));
        QVERIFY2(m.captured(2).toDouble() - m.captured(1).toDouble() > 15, qPrintable(m.captured(0)));  // points
        QString no;
        QVERIFY(!Papers::writePdf(dm.ADO_qczl, Papers::agreement(), u"ZL2099999999"_s, pdf, &no));
        QCOMPARE(no, u"租赁 ZL2099999999 已被删除，不能打印!"_s);
    }

    void printedFromTheContractDialog()
    {
        reopen(dm.q_qczlb, {u"select * from 汽车租赁登记表 "_s, u"order by 内部编号"_s});
        TForm_qczlb list(nullptr, &dm);
        TForm_qczlb_edit d(&list, &dm);
        Msg::Recorder msgs;
        PrintPreview::DocumentRecorder previews;

        d.addButton->click();
        d.printButton->click();
        QCOMPARE(msgs.texts(), QStringList{u"合同还没有存盘，不能打印，请先存盘!"_s});
        QVERIFY(previews.documents().isEmpty());
        d.cancelButton->click();
        msgs.clear();

        // A template with a "{{" left open: the built-in one, and the file named.
        writeTemplate(u"<p>{{车牌号}} {{客户姓名</p>"_s.toUtf8());
        d.printButton->click();
        QCOMPARE(msgs.texts().size(), 1);
        QVERIFY2(msgs.texts().first().contains(u"租赁合同.html"_s), qPrintable(msgs.texts().first()));
        QCOMPARE(previews.titles(), QStringList{u"租赁合同 ZL2004000001"_s});
        QVERIFY(previews.documents().first().contains(u"汽车租赁合同"_s));

        // The office's own template, a misspelt name kept in sight.
        writeTemplate(u"<p>本公司合同 {{ 合同号 }}：{{车牌号}} {{车牌}}</p>"_s.toUtf8());
        msgs.clear();
        d.printButton->click();
        QVERIFY(msgs.texts().isEmpty());
        const QString doc = previews.documents().last();
        QVERIFY2(doc.startsWith(u"<p>本公司合同 ZL2004000001：苏A00001 <span"_s) && doc.contains(u"{{车牌}}"_s), qPrintable(doc));
        QFile::remove(DocumentTemplate::fileOf(dir.path(), Agreement::DocumentName));
    }

    void printedFromTheContractListAndNamedInTheHelp()
    {
        reopen(dm.q_qczlb, {u"select * from 汽车租赁登记表 "_s, u"order by 内部编号"_s});
        TForm_qczlb list(nullptr, &dm);
        PrintPreview::DocumentRecorder previews;
        Msg::Recorder msgs;
        list.moduleButton(u"打印合同"_s)->click();
        QCOMPARE(previews.titles(), QStringList{u"租赁合同 ZL2004000001"_s});
        QVERIFY(msgs.texts().isEmpty());

        // The help names the file to write and every field the agreement fills.
        const QString help = Papers::helpLines().join(u'\n');
        QVERIFY(help.contains(u"templates"_s + QDir::separator() + u"租赁合同.html"_s));
        for (const QString& name : {u"客户姓名"_s, u"车牌号"_s, u"押金大写"_s})
            QVERIFY2(help.contains(u"{{"_s + name + u"}}"_s), qPrintable(name));
    }
};

QTEST_MAIN(TestAgreement)
#include "test_agreement.moc"
