// The handover sheets in their windows: marks placed by clicks on the outline and removed, the
// dispatch's sheet saved from the contract dialog and shown again, the return's beside the
// dispatch's marks, a conflict with another workstation, the office's checklist, and the printed
// sheet rendered to PDF and read back.
#include "fixture.h"
#include "rental/agreement.h"
#include "rental/backoffice.h"
#include "rental/bookings.h"
#include "rental/damagediagram.h"
#include "rental/handoverdialog.h"
#include "rental/handoverpaper.h"
#include "rental/papers.h"
#include "tests/export/readers.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/records/print/documentprinter.h"
#include "ui/records/print/documenttemplate.h"

#include <QCheckBox>
#include <QLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Points of the plan on the car: the roof seen from above, the right side's doors, the left side's.
const QPoint OnTheRoof{525, 500}, RightDoor{450, 837}, LeftDoor{525, 163};
// Beside the car, below the label of the right side.
const QPoint BesideTheCar{50, 975};

void click(DamageDiagram* d, QPoint mark, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(d, button, {}, d->widgetPoint(mark.x(), mark.y()).toPoint());
}

QString marksOf(const QVector<Handover::Mark>& marks)
{
    QStringList out;
    for (const Handover::Mark& m : marks)
        out << u"%1:%2"_s.arg(m.number).arg(m.text);
    return out.join(u","_s);
}

}  // namespace

class TestHandover : public RentalFixture {
    Q_OBJECT

    // The sheet's window as the contract dialog (dispatch) or the return dialog opens it, driven by fill.
    void throughTheDialogs(Handover::Stage stage, const std::function<void(HandoverDialog*)>& fill)
    {
        reopen(dm.q_qczlb, {u"select * from 汽车租赁登记表 "_s, u"order by 内部编号"_s});
        Modal::Recorder modal;
        int shown = 0;
        modal.handler = [&](QDialog* w) {
            auto* d = qobject_cast<HandoverDialog*>(w);
            QVERIFY(d);
            ++shown;
            d->layout()->activate();
            QVERIFY(d->diagram->width() >= 300);
            fill(d);
        };
        if (stage == Handover::Stage::Dispatch) {
            TForm_qczlb list(nullptr, &dm);
            TForm_qczlb_edit contract(&list, &dm);
            contract.handoverButton->click();
        } else {
            TForm_qczljcb list(nullptr, &dm);
            TForm_qczljcb_edit back(&list, &dm);
            back.handoverButton->click();
        }
        QCOMPARE(shown, 1);
    }

    // With VEL_KEEP_PAPERS set to a folder, the papers and windows stay there to be looked at.
    static void keep(const QString& file, const QString& name)
    {
        const QString folder = qEnvironmentVariable("VEL_KEEP_PAPERS");
        if (!folder.isEmpty()) {
            QFile::remove(QDir(folder).filePath(name));
            QFile::copy(file, QDir(folder).filePath(name));
        }
    }
    static void keep(QWidget* window, const QString& name)
    {
        const QString folder = qEnvironmentVariable("VEL_KEEP_PAPERS");
        if (!folder.isEmpty()) {
            window->grab().save(QDir(folder).filePath(name));
        }
    }

    QString pdfText(const QString& html, const QString& name, int* images = nullptr)
    {
        const QString pdf = dir.filePath(name);
        QString error;
        if (!printDocumentToPdf(name, html, pdf, &error))
            return error;
        keep(pdf, name);
        bool ok = false;
        // In reading order, a stage's column before the other's.
        const QString text = QString::fromUtf8(Readers::tool(u"pdftotext"_s, {pdf, u"-"_s}, &ok));
        if (images)
            *images = QString::fromUtf8(Readers::tool(u"pdfimages"_s, {u"-list"_s, pdf}, &ok)).count(u" image "_s);
        return text;
    }

private Q_SLOTS:
    void initTestCase()
    {
        setUp();
        exec(u"update 公司信息 set 公司名称='江南汽车租赁有限公司'"_s);
        exec(u"update 汽车档案 set 车型='捷达', 颜色='白' where 车牌号='苏A00001'"_s);
        exec(u"insert into 汽车租赁登记表 (内部编号, 发车单号, 客户号, 客户姓名, 车牌号, 发车日期, 发车里程, 租赁期限, 租赁单价, "
             "押金, 预收租金, 租赁公司经办人, 客户交车) values ('ZL2004000001', 'FC0001', 'K001', '王一', '苏A00001', "
             "'2004-05-01 10:00:00', 12000, 2, 150, 3000, 300, '老周', '没有')"_s);
        Handover::setAccessoryItems(dm.ADO_qczl, {u"备胎"_s, u"千斤顶"_s, u"灭火器"_s, u"行驶证"_s});
    }
    void cleanupTestCase() { tearDown(); }

    void marksPlacedOnTheCarOnly()
    {
        DamageDiagram d;
        d.resize(400, 300);
        QSignalSpy changed(&d, &DamageDiagram::marksChanged);
        click(&d, OnTheRoof);
        click(&d, BesideTheCar);  // nothing to mark there
        click(&d, RightDoor);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(marksOf(d.marks()), u"1:,2:"_s);
        QVERIFY(qAbs(d.marks()[0].x - OnTheRoof.x()) <= 3 && qAbs(d.marks()[1].y - RightDoor.y()) <= 3);
        // A click on a mark selects it rather than placing another on top.
        click(&d, OnTheRoof);
        QCOMPARE(d.marks().size(), 2);

        // Earlier marks are numbered on from and cannot be removed; a right click removes one's own.
        d.setEarlierMarks({{.number = 1, .x = LeftDoor.x(), .y = LeftDoor.y(), .text = u"划痕"_s},
                           {.number = 5, .x = 300, .y = 500, .text = u"凹陷"_s}});
        click(&d, LeftDoor, Qt::RightButton);
        click(&d, RightDoor, Qt::RightButton);
        QCOMPARE(marksOf(d.marks()), u"1:"_s);
        click(&d, LeftDoor);  // beside the grey one: a new mark of its own
        QCOMPARE(d.marks().last().number, 6);

        // The same geometry at any size: a mark keeps its place on the car.
        d.resize(800, 400);
        QVERIFY(d.markAt(d.widgetPoint(OnTheRoof.x(), OnTheRoof.y())) == 1);
        d.setReadOnly(true);
        click(&d, RightDoor);
        QCOMPARE(d.marks().size(), 2);

        // Painted: a mark's colour at its place, an earlier one grey, the car's outline around.
        QImage image(800, 600, QImage::Format_ARGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            DamageDrawing::paint(p, image.rect(), {{.number = 7, .x = OnTheRoof.x(), .y = OnTheRoof.y(), .text = {}}},
                                 DamageDrawing::NewDamage, {{.number = 1, .x = RightDoor.x(), .y = RightDoor.y(), .text = {}}});
        }
        const QRectF all(image.rect());
        const QPointF left(DamageDrawing::markRadius(all) * 0.7, 0);
        QCOMPARE(image.pixelColor((DamageDrawing::fromThousandths(all, OnTheRoof.x(), OnTheRoof.y()) - left).toPoint()),
                 DamageDrawing::NewDamage);
        QCOMPARE(image.pixelColor((DamageDrawing::fromThousandths(all, RightDoor.x(), RightDoor.y()) - left).toPoint()),
                 DamageDrawing::Earlier);
        QVERIFY(image.pixelColor(DamageDrawing::fromThousandths(all, LeftDoor.x(), LeftDoor.y()).toPoint()) != QColor(Qt::white));
    }

    void dispatchSheetSavedAndShownAgain()
    {
        // The contract dialog refuses a contract not yet stored.
        {
            reopen(dm.q_qczlb, {u"select * from 汽车租赁登记表 "_s, u"order by 内部编号"_s});
            TForm_qczlb list(nullptr, &dm);
            TForm_qczlb_edit d(&list, &dm);
            Msg::Recorder msgs;
            Modal::Recorder modal;
            d.addButton->click();
            d.handoverButton->click();
            QCOMPARE(msgs.texts(), QStringList{u"合同还没有存盘，不能填写交车检查单，请先存盘!"_s});
            QVERIFY(modal.classes.isEmpty());
            d.cancelButton->click();
        }
        Msg::Recorder msgs;
        throughTheDialogs(Handover::Stage::Dispatch, [&](HandoverDialog* d) {
            QCOMPARE(d->windowTitle(), u"交车检查单"_s);
            QCOMPARE(d->inspectorEdit->text(), u"张三"_s);  // the operator logged in
            QCOMPARE(d->accessories.size(), 4);
            click(d->diagram, OnTheRoof);
            // The new mark's row is selected for its text.
            QCOMPARE(d->marksTable->currentRow(), 0);
            d->marksTable->item(0, 1)->setText(u"划痕"_s);
            click(d->diagram, RightDoor);
            click(d->diagram, LeftDoor);
            d->marksTable->item(1, 1)->setText(u"凹陷 10cm"_s);
            // 删除 of the selected row: the third mark goes.
            d->marksTable->setCurrentCell(2, 0);
            d->deleteMarkButton->click();
            d->fuelBox->setCurrentIndex(d->fuelBox->findText(u"6/8"_s));
            d->findChild<QCheckBox*>(u"accessory_备胎"_s)->setChecked(true);
            d->findChild<QCheckBox*>(u"accessory_行驶证"_s)->setChecked(true);
            type(d->remarksEdit, u"右后轮胎磨损"_s);
            // Printing waits for the save.
            d->printButton->click();
            QCOMPARE(msgs.lastText(), u"检查单还没有存盘，不能打印，请先存盘!"_s);
            QVERIFY(d->save());
            QCOMPARE(msgs.lastText(), u"存盘完毕！"_s);
            QCOMPARE(d->checkedAtLabel->text(), u"2004-05-01 09:30:00"_s);
            keep(d, u"dispatch.png"_s);
        });
        const auto stored = Handover::load(dm.ADO_qczl, u"ZL2004000001"_s, Handover::Stage::Dispatch);
        QVERIFY(stored);
        QCOMPARE(marksOf(stored->marks), u"1:划痕,2:凹陷 10cm"_s);
        QCOMPARE(stored->fuel, 6);
        QCOMPARE(stored->accessories, (QStringList{u"备胎"_s, u"行驶证"_s}));
        QCOMPARE(stored->inspector, u"张三"_s);

        throughTheDialogs(Handover::Stage::Dispatch, [&](HandoverDialog* d) {
            QCOMPARE(marksOf(d->diagram->marks()), u"1:划痕,2:凹陷 10cm"_s);
            QCOMPARE(d->marksTable->rowCount(), 2);
            QCOMPARE(d->marksTable->item(1, 1)->text(), u"凹陷 10cm"_s);
            QCOMPARE(d->fuelBox->currentText(), u"6/8"_s);
            QVERIFY(d->findChild<QCheckBox*>(u"accessory_备胎"_s)->isChecked());
            QVERIFY(!d->findChild<QCheckBox*>(u"accessory_千斤顶"_s)->isChecked());
            QCOMPARE(d->remarksEdit->text(), u"右后轮胎磨损"_s);
        });
    }

    void returnBesideTheDispatch()
    {
        Msg::Recorder msgs;
        throughTheDialogs(Handover::Stage::Return, [&](HandoverDialog* d) {
            QCOMPARE(d->windowTitle(), u"收车检查单"_s);
            QCOMPARE(marksOf(d->diagram->marks()), QString());
            const QString shown = d->dispatchLabel->text();
            for (const QString& part : {u"6/8"_s, u"备胎、行驶证"_s, u"1 划痕；2 凹陷 10cm"_s, u"张三"_s})
                QVERIFY2(shown.contains(part), qPrintable(shown));
            // The dispatch's marks are grey and numbered on from.
            QCOMPARE(d->diagram->markAt(d->diagram->widgetPoint(OnTheRoof.x(), OnTheRoof.y())), 0);
            click(d->diagram, BesideTheCar);
            click(d->diagram, {700, 500});
            d->marksTable->item(0, 1)->setText(u"破损"_s);
            d->fuelBox->setCurrentIndex(d->fuelBox->findText(u"2/8"_s));
            d->findChild<QCheckBox*>(u"accessory_备胎"_s)->setChecked(true);
            type(d->inspectorEdit, u"李四"_s);
            QVERIFY(d->save());
            keep(d, u"return.png"_s);
        });
        QCOMPARE(marksOf(Handover::load(dm.ADO_qczl, u"ZL2004000001"_s, Handover::Stage::Return)->marks), u"3:破损"_s);

        // Another workstation saved the sheet meanwhile: refused, and what was typed stays.
        throughTheDialogs(Handover::Stage::Return, [&](HandoverDialog* d) {
            Handover::Sheet other = *Handover::load(dm.ADO_qczl, u"ZL2004000001"_s, Handover::Stage::Return);
            other.remarks = u"另一台"_s;
            Handover::save(dm.ADO_qczl, other);
            click(d->diagram, RightDoor);
            msgs.clear();
            QVERIFY(!d->save());
            QCOMPARE(msgs.texts(), QStringList{u"该记录已被其他用户修改或删除,请关闭窗口后重新打开!"_s});
            QCOMPARE(d->diagram->marks().size(), 2);
        });

        // A contract without a dispatch sheet: said beside, the return still recorded.
        exec(u"insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 发车里程, 租赁期限, 租赁单价, 押金, "
             "预收租金, 租赁公司经办人, 客户交车) values ('ZL2004000002', 'K002', '王二', '苏A00002', '2004-05-01 11:00:00', "
             "800, 1, 100, 1000, 100, '老周', '没有')"_s);
        Modal::Recorder modal;
        modal.handler = [&](QDialog* w) {
            auto* d = qobject_cast<HandoverDialog*>(w);
            QVERIFY(d->dispatchLabel->text().contains(u"没有填写检查单"_s));
            d->diagram->resize(400, 300);
            click(d->diagram, OnTheRoof);
            QCOMPARE(d->diagram->marks().first().number, 1);
        };
        HandoverWindows::open(nullptr, &dm, u"ZL2004000002"_s, Handover::Stage::Return);
        HandoverWindows::open(nullptr, &dm, u"ZL2099999999"_s, Handover::Stage::Return);
        QCOMPARE(modal.classes.size(), 1);
        QCOMPARE(msgs.lastText(), u"租赁 ZL2099999999 已被删除，不能填写检查单!"_s);
    }

    void printedSheetShowsBothStages()
    {
        const auto f = Papers::handoverSheet().fields(dm.ADO_qczl, u"ZL2004000001"_s);
        QVERIFY(f);
        const QString html = DocumentTemplate::render(HandoverPaper::builtInTemplate(), *f, Papers::htmlFields());
        QVERIFY2(!html.contains(u"{{"_s), qPrintable(html.mid(html.indexOf(u"{{"_s), 40)));
        for (const QString& name : HandoverPaper::fieldNames())
            QVERIFY2(f->contains(name), qPrintable(name));
        int images = 0;
        QString text = pdfText(html, u"handover.pdf"_s, &images);
        QCOMPARE(text.count(u'\f'), 1);  // one page
        QCOMPARE(images, 2);             // each stage's outline
        text.remove(QRegularExpression(u"\\s+"_s));
        for (const QString& expected :
             {u"江南汽车租赁有限公司"_s, u"车辆交接检查单"_s, u"ZL2004000001"_s, u"苏A00001"_s, u"捷达"_s, u"1划痕"_s, u"2凹陷10cm"_s,
              u"新增损伤：3破损"_s, u"油量：6/8"_s, u"油量：2/8"_s, u"√备胎×千斤顶×灭火器√行驶证"_s, u"√备胎×千斤顶×灭火器×行驶证"_s,
              u"检查人：张三"_s, u"检查人：李四"_s, u"右后轮胎磨损"_s, u"收车客户签字："_s})
            QVERIFY2(text.contains(expected), qPrintable(expected + u" in "_s + text));

        // The return dialog prints the same paper; the preview gets it by the contract's number.
        reopen(dm.q_qczlb, {u"select * from 汽车租赁登记表 "_s, u"order by 内部编号"_s});
        TForm_qczljcb list(nullptr, &dm);
        TForm_qczljcb_edit back(&list, &dm);
        PrintPreview::DocumentRecorder previews;
        back.handoverPrintButton->click();
        QCOMPARE(previews.titles(), QStringList{u"交收车检查单 ZL2004000001"_s});
        QVERIFY(previews.documents().first().contains(u"data:image/png;base64,"_s));

        // A stage never recorded prints boxes to fill in by hand.
        const auto blank = Papers::handoverSheet().fields(dm.ADO_qczl, u"ZL2004000002"_s);
        QVERIFY(blank && blank->value(u"交车随车物品"_s).startsWith(u"□ 备胎"_s));
        QVERIFY(!Papers::handoverSheet().fields(dm.ADO_qczl, u"ZL2099999999"_s));
    }

    void checklistOfTheOffice()
    {
        AccessoryChecklistWindow w(nullptr, &dm);
        QCOMPARE(w.itemsEdit->toPlainText(), u"备胎\n千斤顶\n灭火器\n行驶证"_s);
        w.itemsEdit->setPlainText(u"\n 备胎 \n三角警示牌\n备胎\n千斤顶"_s);
        Msg::Recorder msgs;
        QVERIFY(w.save());
        QCOMPARE(w.itemsEdit->toPlainText(), u"备胎\n三角警示牌\n千斤顶"_s);
        // A sheet keeps what it recorded of an item the list no longer has.
        throughTheDialogs(Handover::Stage::Dispatch, [&](HandoverDialog* d) {
            QStringList names;
            for (const QCheckBox* c : d->accessories)
                names << c->text() + (c->isChecked() ? u"√"_s : QString());
            QCOMPARE(names, (QStringList{u"备胎√"_s, u"三角警示牌"_s, u"千斤顶"_s, u"行驶证√"_s}));
        });
        // Another workstation's list in between is not overwritten.
        Handover::setAccessoryItems(dm.ADO_qczl, {u"备胎"_s, u"灭火器"_s});
        w.itemsEdit->setPlainText(u"千斤顶"_s);
        msgs.clear();
        QVERIFY(!w.save());
        QCOMPARE(msgs.texts(), QStringList{u"该记录已被其他用户修改或删除,请关闭窗口后重新打开!"_s});
        QCOMPARE(Handover::accessoryItems(dm.ADO_qczl), (QStringList{u"备胎"_s, u"灭火器"_s}));
    }

    void agreementShowsTheDispatchOutline()
    {
        const auto f = Papers::agreement().fields(dm.ADO_qczl, u"ZL2004000001"_s);
        QVERIFY(f);
        int images = 0;
        const QString text = pdfText(DocumentTemplate::render(Agreement::builtInTemplate(), *f, Papers::htmlFields()),
                                     u"agreement.pdf"_s, &images);
        QCOMPARE(text.count(u'\f'), 1);
        QCOMPARE(images, 1);
    }
};

QTEST_MAIN(TestHandover)
#include "test_handover.moc"
