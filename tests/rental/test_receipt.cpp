// The settlement receipt: the worked settlement saved in its dialog, printed from there and
// rendered to PDF, read back for every amount it stored; an unsaved settlement refused, an open
// account printed with its note; 打印结算单 on the settlement list and the help naming the file.
#include "fixture.h"
#include "rental/backoffice.h"
#include "rental/papers.h"
#include "rental/receipt.h"
#include "tests/export/readers.h"
#include "ui/common/messages.h"
#include "ui/records/print/documentprinter.h"
#include "ui/records/print/documenttemplate.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

class TestReceipt : public RentalFixture {
    Q_OBJECT

    // The worked settlement before its save: 王一 on 苏A00001, out 1 May 08:00 at 10000 km, back
    // 4 May 10:00 at 10950 km, three days at 200 with 300 km a day, 0.5 a kilometre beyond, two
    // hours over at 20, petrol 50: 715 charged against 1000 deposit and 500 paid in advance.
    void openContract(const QString& number)
    {
        exec(u"delete from 汽车租赁登记表"_s);
        exec(u"insert into 汽车租赁登记表 (内部编号, 发车单号, 客户号, 客户姓名, 车牌号, 发车日期, 发车里程, 租赁期限, 租赁单价, "
             "每天限驶里程, 超驶收费单价, 押金, 预收租金, 租赁公司经办人, 收车日期, 收车里程, 超时小时, 超时收费单价, 汽油费) "
             "values (?, 'FC0004', 'K001', '王一', '苏A00001', '2004-05-01 08:00:00', 10000, 3, 200, 300, 0.5, 1000, 500, "
             "'老周', '2004-05-04 10:00:00', 10950, 2, 20, 50)"_s,
             {number});
        open(dm.q_qczlb, {u"select * from 汽车租赁登记表 "_s, u"order by 内部编号"_s});
    }

    static QString pdfText(const QString& html, const QString& pdf)
    {
        QString error;
        if (!printDocumentToPdf(Receipt::DocumentName, html, pdf, &error))
            return u"no PDF: "_s + error;
        bool ok = false;
        const QString text = QString::fromUtf8(Readers::tool(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s}, &ok));
        return ok ? text : u"no pdftotext"_s;
    }

private Q_SLOTS:
    void initTestCase()
    {
        setUp();
        exec(u"update 公司信息 set 公司名称='江南汽车租赁有限公司', 联系电话='025-1234567'"_s);
        exec(u"update 汽车档案 set 车型='捷达' where 车牌号='苏A00001'"_s);
    }
    void cleanupTestCase() { tearDown(); }

    void settledReceiptOnPaper()
    {
        openContract(u"ZL2004000004"_s);
        TForm_qczljsd list(nullptr, &dm);
        Msg::Recorder msgs;
        msgs.script(Msg::Button::No);  // not into the cash journal
        PrintPreview::DocumentRecorder previews;
        TForm_qczljsd_edit d(&list, &dm);
        d.fillSettlers();
        d.show();
        type(d.fieldFor(u"实收金额"_s), u"715"_s);
        qobject_cast<QCheckBox*>(d.fieldFor(u"帐款结清"_s))->setChecked(true);
        d.settlerFromHandlerButton->click();
        d.payerFromRenterButton->click();
        d.paidTodayButton->click();
        d.saveButton->click();
        QCOMPARE(msgs.lastText(), u"存盘完毕！"_s);

        // Printed at once after the save, from what was stored.
        msgs.clear();
        d.printButton->click();
        QVERIFY2(msgs.texts().isEmpty(), qPrintable(msgs.texts().join(u'|')));
        QCOMPARE(previews.titles(), QStringList{u"结算单 ZL2004000004"_s});
        const QString html = previews.documents().first();
        // Every field the built-in template names is one the collection gives.
        QVERIFY2(!html.contains(u"{{"_s), qPrintable(html.mid(html.indexOf(u"{{"_s), 40)));
        const auto f = Receipt::fields(dm.ADO_qczl, u"ZL2004000004"_s);
        QVERIFY(f);
        for (const QString& name : Receipt::fieldNames())
            QVERIFY2(f->contains(name), qPrintable(name));

        QString text = pdfText(html, dir.filePath(u"receipt.pdf"_s));
        QCOMPARE(text.count(u'\f'), 1);  // one page
        text.remove(QRegularExpression(u"\\s+"_s));
        QVERIFY2(!text.contains(u"未结清"_s), qPrintable(text));
        // Label and value side by side, as the page lays them out (blanks removed).
        const QStringList shown = u"江南汽车租赁有限公司|汽车租赁结算单|合同号：ZL2004000004|发车单号：FC0004|王一（K001）|"
                                  "苏A00001|捷达|发车日期2004-05-0108:00:00|收车日期2004-05-0410:00:00|发车里程10000公里|"
                                  "收车里程10950公里|行驶里程950公里|租赁期限3天|租赁单价200.00应收租金600.00|超驶里程50公里|"
                                  "超驶收费单价0.50超驶费25.00|2小时×20.00超时费40.00|收费小计665.00|汽油费50.00|附加小计50.00|"
                                  "收费金额715.00（人民币大写：柒佰壹拾伍元整）|押金1,000.00预收租金500.00|"
                                  "实收金额715.00（人民币大写：柒佰壹拾伍元整）|应收帐款0.00（人民币大写：零元整）|"
                                  "应退金额785.00（人民币大写：柒佰捌拾伍元整）|结算人老周交款人王一|收款日期2004-05-01|"
                                  "交款人（承租方）签字：|结算人签字：|打印日期：2004-05-01"_s.split(u'|');
        for (const QString& expected : shown)
            QVERIFY2(text.contains(expected), qPrintable(expected + u" in "_s + text));
    }

    // The receipt shows only what is stored: typing and an unsaved 计算 are refused with the
    // agreement's words; a saved open account prints with what is still owed and its note.
    void unsavedRefusedAndOpenAccountNoted()
    {
        openContract(u"ZL2004000005"_s);
        TForm_qczljsd list(nullptr, &dm);
        Msg::Recorder msgs;
        PrintPreview::DocumentRecorder previews;
        TForm_qczljsd_edit d(&list, &dm);
        d.fillSettlers();
        d.show();
        // Shown, nothing changed: the stored row prints, its account open and nothing charged yet.
        d.printButton->click();
        QCOMPARE(previews.documents().size(), 1);
        QVERIFY(previews.documents().last().contains(u"汽车租赁结算单<span style=\"color:#c00000\">（未结清）</span>"_s));
        const QString refused = u"结算单还没有存盘，不能打印，请先存盘!"_s;
        type(d.fieldFor(u"实收金额"_s), u"300"_s);
        d.printButton->click();
        QCOMPARE(msgs.texts(), QStringList{refused});
        // 计算 moved what was typed into the row, and its amounts: still not stored.
        QVERIFY(d.calculateIntoRow());
        msgs.clear();
        d.printButton->click();
        QCOMPARE(msgs.texts(), QStringList{refused});
        QCOMPARE(previews.documents().size(), 1);

        msgs.clear();
        d.saveButton->click();
        QCOMPARE(msgs.texts(), QStringList{u"存盘完毕！"_s});
        d.printButton->click();
        QCOMPARE(previews.documents().size(), 2);
        QString text = pdfText(previews.documents().last(), dir.filePath(u"open.pdf"_s));
        text.remove(QRegularExpression(u"\\s+"_s));
        for (const QString& expected :
             {u"汽车租赁结算单（未结清）"_s, u"收费金额715.00"_s, u"实收金额300.00（人民币大写：叁佰元整）"_s,
              u"应收帐款415.00（人民币大写：肆佰壹拾伍元整）"_s})
            QVERIFY2(text.contains(expected), qPrintable(expected + u" in "_s + text));
    }

    void printedFromTheSettlementListAndNamedInTheHelp()
    {
        openContract(u"ZL2004000006"_s);
        TForm_qczljsd list(nullptr, &dm);
        PrintPreview::DocumentRecorder previews;
        Msg::Recorder msgs;
        list.moduleButton(u"打印结算单"_s)->click();
        QCOMPARE(previews.titles(), QStringList{u"结算单 ZL2004000006"_s});
        QVERIFY(msgs.texts().isEmpty());
        QVERIFY(!Receipt::fields(dm.ADO_qczl, u"ZL2099999999"_s));

        const QString help = Papers::helpLines().join(u'\n');
        QVERIFY(help.contains(u"templates"_s + QDir::separator() + u"结算单.html"_s));
        for (const QString& name : {u"收费金额大写"_s, u"应退金额"_s, u"交款人"_s, u"陪练费"_s})
            QVERIFY2(help.contains(u"{{"_s + name + u"}}"_s), qPrintable(name));
    }
};

QTEST_MAIN(TestReceipt)
#include "test_receipt.moc"
