// The availability planner on a small office built here: a bar of every kind with its dates,
// customer, phone and rate, the filters (a free period inside and beyond the shown span), and the
// window: a bar opens its booking, a run of free days opens the booking dialogs filled, the span
// prints landscape by weeks and exports. Runs on both engines.
#include "fixture.h"
#include "rental/backoffice.h"
#include "rental/bookings.h"
#include "rental/planner.h"
#include "rental/plannerwindow.h"
#include "tests/export/readers.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using Planner::BarKind;

namespace {

const QDate Start(2004, 4, 28);  // the span shown: 2004-04-28 to 2004-05-11
const int Days = 14;

QString kindName(BarKind k)
{
    switch (k) {
    case BarKind::Reservation:
        return QStringLiteral("预订");
    case BarKind::Contract:
        return QStringLiteral("租赁");
    case BarKind::Returned:
        return QStringLiteral("已交");
    case BarKind::Overdue:
        return QStringLiteral("超期");
    case BarKind::Repair:
        return QStringLiteral("维修");
    case BarKind::Manual:
        return QStringLiteral("手工");
    }
    return {};
}

// A row of the plan as text: the vehicle, then each bar as kind/number/customer/phone/from/to/rate.
QString rowText(const Planner::VehicleRow& r)
{
    QStringList out{r.plate + QLatin1Char('|') + r.model + QLatin1Char('|') + r.state};
    for (const Planner::Bar& b : r.bars)
        out << QStringList{kindName(b.kind),
                           b.number,
                           b.customer,
                           b.phone,
                           b.from.toString(QStringLiteral("MM-dd HH:mm")),
                           b.to.toString(QStringLiteral("MM-dd HH:mm")),
                           b.rate.toDisplay()}
                   .join(QLatin1Char('/'));
    return out.join(QStringLiteral(" ; "));
}

QStringList plates(const Planner::Plan& p)
{
    QStringList out;
    for (const Planner::VehicleRow& r : p.rows)
        out << r.plate;
    return out;
}

int rowOf(const Planner::Plan& p, const QString& plate)
{
    for (int i = 0; i < p.rows.size(); ++i)
        if (p.rows[i].plate == plate)
            return i;
    return -1;
}

QDateTime at(int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(2004, month, day), QTime(hour, minute));
}

}  // namespace

class TestPlanner : public RentalFixture {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        setUp();
        // Now is 2004-05-01 09:30 (the fixture's clock).
        exec(QStringLiteral("update 汽车档案 set 车型='捷达', 颜色='白' where 车牌号='苏A00001'"));
        exec(QStringLiteral("update 汽车档案 set 车型='桑塔纳', 颜色='红' where 车牌号='苏A00002'"));
        exec(QStringLiteral("insert into 汽车档案 (车牌号, 车型, 颜色, 车辆状态, 客户姓名, 租赁时间, 收车时间, 停用) values "
                            "('苏A00003', '桑塔纳', '黑', '维修', '', '2004-04-29 00:00:00', '2004-05-03 00:00:00', 0), "
                            "('苏A00004', 'Jetta', '蓝', '出租', '张手工', '2004-04-30 10:00:00', null, 0), "
                            "('苏a00005', '捷达', '灰', '出租', '王二', '2004-05-01 08:00:00', null, 0)"));
        exec(QStringLiteral("update 客户登记表 set 移动电话='139' where 客户号='K002'"));
        exec(QStringLiteral(
            "insert into 汽车租赁登记表 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 租赁单价, 客户交车, 收车日期, 帐款结清) "
            "values "
            // past its planned end (04-30 10:00), not back: overdue up to now
            "('ZL2004000001', 'K001', '王一', '苏A00001', '2004-04-28 10:00:00', 2, 150, '没有', null, 0), "
            // back before its planned end, not settled: held to the return
            "('ZL2004000002', 'K002', '王二', '苏A00002', '2004-04-25 08:00:00', 5, 180, '已交', '2004-04-29 18:00:00', 0), "
            // dispatched tomorrow (number typed in lower case: the phone is still found)
            "('ZL2004000003', 'k001', '王一', '苏A00002', '2004-05-02 09:00:00', 3, 200.5, '没有', null, 0), "
            // settled: no bar
            "('ZL2004000004', 'K002', '王二', '苏A00001', '2004-05-03 09:00:00', 9, 100, '已交', '2004-05-04 09:00:00', 1), "
            // on the vehicle whose plate is stored in lower case: its state shows no rental of its own
            "('ZL2004000005', 'K002', '王二', '苏A00005', '2004-05-01 08:00:00', 1, 90, '没有', null, 0), "
            // on the withdrawn vehicle: not shown
            "('ZL2004000006', 'K001', '王一', '苏B99999', '2004-04-30 08:00:00', 3, 90, '没有', null, 0)"));
        exec(QStringLiteral(
            "insert into 客户预订汽车 (内部编号, 客户号, 客户姓名, 车牌号, 发车日期, 租赁期限, 租赁单价, 执行完毕) values "
            "('YD2004000001', 'K002', '王二', '苏A00001', '2004-05-06 10:00:00', 2, 200, '否'), "
            "('YD2004000002', 'K001', '王一', '苏A00001', '2004-05-09 10:00:00', 2, 200, '是'), "
            "('YD2004000003', 'K001', '王一', '苏A00002', '2004-06-10 10:00:00', 1, 210, '否')"));
    }
    void cleanupTestCase() { tearDown(); }

    // Every kind of bar with the dates, customer, phone and rate the tooltip shows.
    void barsOfEachKind()
    {
        const Planner::Plan p = Planner::load(dm.ADO_qczl, Start, Days, {}, Clock::now());
        QCOMPARE(p.start, Start);
        QCOMPARE(p.days, Days);
        const QStringList expected{
            QStringLiteral("苏A00001|捷达|空闲 ; 超期/ZL2004000001/王一/111/04-28 10:00/05-01 09:30/150.00 ; "
                           "预订/YD2004000001/王二/139/05-06 10:00/05-08 10:00/200.00"),
            QStringLiteral("苏A00002|桑塔纳|空闲 ; 已交/ZL2004000002/王二/139/04-25 08:00/04-29 18:00/180.00 ; "
                           "租赁/ZL2004000003/王一/111/05-02 09:00/05-05 09:00/200.50"),
            // a repair to a day typed without a time holds that whole day
            QStringLiteral("苏A00003|桑塔纳|维修 ; 维修////04-29 00:00/05-04 00:00/0.00"),
            // out by hand, no return date: up to now
            QStringLiteral("苏A00004|Jetta|出租 ; 手工//张手工//04-30 10:00/05-01 09:30/0.00"),
            QStringLiteral("苏a00005|捷达|出租 ; 租赁/ZL2004000005/王二/139/05-01 08:00/05-02 08:00/90.00"),
        };
        QStringList rows;
        for (const Planner::VehicleRow& r : p.rows)
            rows << rowText(r);
        QCOMPARE(rows, expected);
        const Planner::Bar& overdue = p.rows[0].bars[0];
        QCOMPARE(overdue.due, at(4, 30, 10));
        QCOMPARE(Planner::label(overdue), QStringLiteral("超期 王一"));
        // Drawn days: a bar ending at midnight leaves that day free.
        QCOMPARE(Planner::lastDay(p.rows[2].bars[0]), QDate(2004, 5, 3));
        QCOMPARE(Planner::lastDay(p.rows[1].bars[1]), QDate(2004, 5, 5));

        // A later span: the bars before it are gone, the reservation of June appears.
        const Planner::Plan june = Planner::load(dm.ADO_qczl, QDate(2004, 6, 1), 28, {}, Clock::now());
        QCOMPARE(june.rows.size(), 5);
        QCOMPARE(june.rows[1].bars.size(), 1);
        QCOMPARE(june.rows[1].bars[0].number, QStringLiteral("YD2004000003"));
        for (int i : {0, 2, 3, 4})
            QVERIFY2(june.rows[i].bars.isEmpty(), qPrintable(rowText(june.rows[i])));
        QCOMPARE(Planner::models(Planner::read(dm.ADO_qczl, Clock::now())),
                 (QStringList{QStringLiteral("Jetta"), QStringLiteral("捷达"), QStringLiteral("桑塔纳")}));
    }

    void filters()
    {
        const Planner::Snapshot s = Planner::read(dm.ADO_qczl, Clock::now());
        auto shown = [&](const Planner::Filter& f) { return plates(Planner::plan(s, Start, Days, f)); };
        const QString a1 = QStringLiteral("苏A00001"), a2 = QStringLiteral("苏A00002"), a3 = QStringLiteral("苏A00003"),
                      a4 = QStringLiteral("苏A00004"), a5 = QStringLiteral("苏a00005");
        // Model as the engine compares it (Latin letters in any case); plate by any part, any case.
        QCOMPARE(shown({.model = QStringLiteral("JETTA")}), QStringList{a4});
        QCOMPARE(shown({.model = QStringLiteral("桑塔纳")}), (QStringList{a2, a3}));
        QCOMPARE(shown({.plateSearch = QStringLiteral("a0000")}), (QStringList{a1, a2, a3, a4, a5}));
        QCOMPARE(shown({.plateSearch = QStringLiteral("A00005")}), QStringList{a5});
        QCOMPARE(shown({.model = QStringLiteral("捷达"), .plateSearch = QStringLiteral("1")}), QStringList{a1});

        // Free on 05-02: the overdue contract and the manual rental run to now only; the contract
        // from 05-02 09:00, the repair and the one-day contract to 05-02 08:00 take the day.
        const Planner::Filter may2{.onlyFree = true, .freeFrom = at(5, 2), .freeTo = at(5, 3)};
        QCOMPARE(shown(may2), (QStringList{a1, a4}));
        // A free period beyond the shown span: the June reservation takes 苏A00002; the rows still
        // carry the bars of the span shown.
        const Planner::Filter june{.onlyFree = true, .freeFrom = at(6, 10), .freeTo = at(6, 11)};
        const Planner::Plan p = Planner::plan(s, Start, Days, june);
        QCOMPARE(plates(p), (QStringList{a1, a3, a4, a5}));
        QCOMPARE(p.rows[0].bars.size(), 2);
        // Periods are half open: a period from the return to the next dispatch is free.
        const Planner::VehicleRow& v2 = s.vehicles[1];
        QVERIFY(Planner::isFree(v2, at(4, 29, 18), at(5, 2, 9)));
        QVERIFY(!Planner::isFree(v2, at(4, 29, 17, 59), at(5, 2, 9)));
        QVERIFY(!Planner::isFree(v2, at(4, 29, 18), at(5, 2, 9, 1)));
    }

    // The window shows the plan; print and export carry the span shown.
    void printAndExport()
    {
        PlannerWindow w(nullptr, &dm);
        QCOMPARE(w.windowTitle(), QStringLiteral("车辆排期表"));
        QCOMPARE(w.startEdit->date(), QDate(2004, 4, 28));  // today - 3
        QCOMPARE(w.plan().days, 28);
        w.setSpan(Start, Days);
        QCOMPARE(w.plan().rows.size(), 5);

        // CSV: the four vehicle columns, then a day each with the label of its bar.
        const QString csv = dir.filePath(QStringLiteral("plan.csv"));
        {
            FileDialogs::Recorder files;
            files.scriptSave(csv, 1);  // the second filter: CSV
            Msg::Recorder msgs;
            w.exportButton->click();
            QVERIFY2(msgs.shown().isEmpty(), qPrintable(msgs.texts().join(QLatin1Char('|'))));
        }
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(f.readAll());
        text.remove(QChar(0xFEFF));
        const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
        auto line = [&](const QString& plate) {
            for (const QString& l : lines)
                if (l.startsWith(plate + QLatin1Char(',')))
                    return l.split(QLatin1Char(','));
            return QStringList();
        };
        QVERIFY2(lines.value(0).startsWith(QStringLiteral("车牌号,车型,颜色,车辆状态,2004年4月")), qPrintable(lines.value(0)));
        QVERIFY2(lines.value(1).contains(QStringLiteral("28 三,29 四,30 五,1 六,2 日")), qPrintable(lines.value(1)));
        const QString o = QStringLiteral("超期 王一"), r = QStringLiteral("王二");
        QCOMPARE(line(QStringLiteral("苏A00001")),
                 (QStringList{QStringLiteral("苏A00001"), QStringLiteral("捷达"), QStringLiteral("白"), QStringLiteral("空闲"), o, o,
                              o, o, "", "", "", "", r, r, r, "", "", ""}));
        QCOMPARE(line(QStringLiteral("苏A00003")).mid(4),
                 (QStringList{"", QStringLiteral("维修"), QStringLiteral("维修"), QStringLiteral("维修"), QStringLiteral("维修"),
                              QStringLiteral("维修"), "", "", "", "", "", "", "", ""}));

        // Print: landscape, a week per page here (five vehicles fit), the closing line on the last.
        const QString pdf = dir.filePath(QStringLiteral("plan.pdf"));
        QString error;
        QVERIFY2(w.printToPdf(pdf, &error), qPrintable(error));
        bool ok = false;
        const QByteArray out = Readers::tool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &ok);
        if (!ok)
            QSKIP("pdftotext is not installed");
        QStringList pages = QString::fromUtf8(out).split(QChar(0x0C));
        if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
            pages.removeLast();
        QCOMPARE(pages.size(), 2);
        QVERIFY2(pages[0].contains(QStringLiteral("2004-04-28 至 2004-05-04")), qPrintable(pages[0]));
        QVERIFY(pages[0].contains(QStringLiteral("第1页")));
        QVERIFY(pages[0].contains(QStringLiteral("苏a00005")));
        QVERIFY(pages[0].contains(o));
        QVERIFY(!pages[0].contains(QStringLiteral("打印时间")));
        QVERIFY2(pages[1].contains(QStringLiteral("2004-05-05 至 2004-05-11")), qPrintable(pages[1]));
        QVERIFY(pages[1].contains(QStringLiteral("第2页")));
        QVERIFY(pages[1].contains(QStringLiteral("打印时间:2004-05-01 09:30:00")));
        QVERIFY(pages[1].contains(QStringLiteral("制表:张三")));
        const QString info = QString::fromUtf8(Readers::tool(QStringLiteral("pdfinfo"), {pdf}, &ok));
        const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
        QVERIFY2(size.hasMatch(), qPrintable(info));
        QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());  // landscape
    }

    // A double click on a bar opens its booking in its dialog; the contract's right-click actions
    // open the return and the settlement on that contract.
    void barsOpenTheirBookings()
    {
        PlannerWindow w(nullptr, &dm);
        w.resize(1200, 500);
        w.setSpan(Start, Days);
        w.show();
        PlannerView* v = w.view();
        const int a2 = rowOf(w.plan(), QStringLiteral("苏A00002"));
        Modal::Recorder modal;
        QString number;
        modal.handler = [&](QDialog*) { number = dm.q_qczlb.isOpen() ? dm.q_qczlb.asString(Col::内部编号) : QString(); };
        QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, v->cellRect(a2, 6).center());  // 05-04
        QCOMPARE(modal.classes, QStringList{QStringLiteral("TForm_qczlb_edit")});
        QCOMPARE(number, QStringLiteral("ZL2004000003"));
        QVERIFY(!dm.q_qczlb.isOpen());  // the shared query is left closed

        modal.handler = [&](QDialog*) { number = dm.q_khydqc.asString(Col::内部编号); };
        QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, v->cellRect(0, 9).center());  // 05-07
        QCOMPARE(modal.classes.value(1), QStringLiteral("TForm_khydqc_edit"));
        QCOMPARE(number, QStringLiteral("YD2004000001"));

        modal.handler = [&](QDialog*) { number = dm.q_qczlb.asString(Col::内部编号); };
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->cellRect(0, 1).center());  // the overdue contract
        w.returnVehicle();
        QCOMPARE(modal.classes.value(2), QStringLiteral("TForm_qczljcb_edit"));
        QCOMPARE(number, QStringLiteral("ZL2004000001"));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->cellRect(0, 1).center());
        w.settle();
        QCOMPARE(modal.classes.value(3), QStringLiteral("TForm_qczljsd_edit"));
        QCOMPARE(number, QStringLiteral("ZL2004000001"));
        // Repair and manual periods have no booking to open.
        QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, v->cellRect(rowOf(w.plan(), QStringLiteral("苏A00003")), 2).center());
        QCOMPARE(modal.classes.size(), 4);
    }

    // Free days chosen by a click and a shift-click open the booking dialogs adding, with plate,
    // dispatch and term filled; the saved reservation shows at once.
    void bookFromFreeDays()
    {
        PlannerWindow w(nullptr, &dm);
        w.resize(1200, 500);
        w.setSpan(Start, Days);
        w.show();
        PlannerView* v = w.view();
        QVERIFY(!w.newReservationButton->isEnabled());
        // 05-02 to a shift-click on 05-07: the run stops before the reservation from 05-06.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->cellRect(0, 4).center());
        QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ShiftModifier, v->cellRect(0, 9).center());
        QCOMPARE(v->selection().row, 0);
        QCOMPARE(v->selection().firstDay, 4);
        QCOMPARE(v->selection().count, 4);
        QVERIFY(w.newReservationButton->isEnabled());
        // A taken day cannot start a run.
        QVERIFY(!v->select(0, 2, 3));

        Msg::Recorder msgs;
        Modal::Recorder modal;
        QStringList filled;
        modal.handler = [&](QDialog* d) {
            auto* c = qobject_cast<TForm_qczlb_edit*>(d);
            QVERIFY(c);
            QVERIFY(c->adding());
            filled << fieldText(c->fieldFor(Col::车牌号)) << fieldText(c->field(QStringLiteral("DBDateTimeEditEh1")))
                   << fieldText(c->field(QStringLiteral("DBDateTimeEditEh2"))) << fieldText(c->fieldFor(Col::租赁期限))
                   << c->query()->asString(Col::内部编号);
            c->cancelButton->click();
        };
        w.newContractButton->click();
        QCOMPARE(filled, (QStringList{QStringLiteral("苏A00001"), QStringLiteral("2004-05-02"), QStringLiteral("09:00:00"),
                                      QStringLiteral("4"), QStringLiteral("ZL2004000007")}));
        QCOMPARE(scalar(QStringLiteral("select count(*) from 汽车租赁登记表")).toInt(), 6);

        // Today after 09:00: the booking starts now.
        QVERIFY(v->select(rowOf(w.plan(), QStringLiteral("苏A00002")), 3, 1));
        QCOMPARE(w.selectionStart(), at(5, 1, 9, 30));

        v->select(0, 4, 4);
        modal.handler = [&](QDialog* d) {
            auto* r = qobject_cast<TForm_khydqc_edit*>(d);
            QVERIFY(r);
            auto* customers = qobject_cast<QComboBox*>(r->fieldFor(Col::客户号));
            customers->setCurrentIndex(customers->findText(QStringLiteral("K001 王一")));
            r->customerLeft();
            r->saveButton->click();
            r->closeButton->click();
        };
        w.newReservationButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("存盘完毕！")});
        QCOMPARE(row(QStringLiteral(
                     "select 车牌号, 客户姓名, 发车日期, 租赁期限, 执行完毕 from 客户预订汽车 where 内部编号='YD2004000004'")),
                 QStringLiteral("苏A00001/王一/2004-05-02 09:00:00/4/否"));
        // Reloaded after the dialog: the new reservation is a bar of the row.
        const Planner::VehicleRow& r0 = w.plan().rows[0];
        QCOMPARE(r0.bars.size(), 3);
        QCOMPARE(r0.bars[1].number, QStringLiteral("YD2004000004"));
        QCOMPARE(r0.bars[1].to, at(5, 6, 9));
        QCOMPARE(v->selection().count, 0);
    }
};

QTEST_MAIN(TestPlanner)
#include "test_planner.moc"
