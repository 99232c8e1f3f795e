// The statistics windows on a real database: the criteria dialogs' checks in their order with their
// messages and focus, a run into the result window, sorting, deleting a result row, the remembered
// choices in system1.ini, a failed run, the detail report's print line, and the bar chart drawn,
// recoloured, saved and printed.
#include "fixture.h"
#include "core/session.h"
#include "data/settings.h"
#include "stats/dbbar.h"
#include "stats/stats.h"
#include "stats/statswindow.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/common/windowregistry.h"
#include "ui/records/print/tableprinter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Fixture;
namespace F = CriteriaFields;

namespace {

// The result window as its command opens it: 通用 emptied and listed.
std::unique_ptr<StatsWindow> openWindow(TDm1& dm, const char* cls)
{
    RecordSet& q = dm.q_tongyong;
    q.close();
    q.setSql({S("delete from 通用")});
    q.execSql();
    q.setSql({S("select * from "), S("通用")});
    q.open();
    auto* w = qobject_cast<StatsWindow*>(WindowRegistry::find(S(cls))(nullptr, &dm));
    return std::unique_ptr<StatsWindow>(w);
}

void setDate(CriteriaDialog* d, const QString& field, const char* text)
{
    d->findChild<QLineEdit*>(field)->setText(S(text));
}

// 统计 of the window with the dialog filled by `fill`; `press` clicks 统计 (F) in it.
void runCriteria(StatsWindow& w, const std::function<void(CriteriaDialog*)>& fill, bool press = true)
{
    Modal::Recorder modal;
    modal.handler = [&](QDialog* d) {
        auto* c = qobject_cast<CriteriaDialog*>(d);
        QVERIFY(c);
        fill(c);
        if (press)
            c->seekButton->click();
    };
    w.queryButton->click();
}

long long rows(Database& db, const char* table)
{
    QSqlQuery q = db.run(S("select count(*) from %1").arg(S(table)));
    return q.next() ? q.value(0).toLongLong() : -1;
}

int section(StatsWindow& w, const char* field)
{
    for (int s = 0; s < w.model()->columnCount(); ++s)
        if (w.model()->shownColumn(s).field == S(field))
            return s;
    return -1;
}

}  // namespace

class TestStatsWindows : public QObject {
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
    // Each case starts without remembered choices.
    void init() { QFile::remove(cwd.filePath(S("system1.ini"))); }

    void incomeChecksInOrder()
    {
        Db db;
        auto w = openWindow(db.dm, "TForm_qczlsrtj");
        Msg::Recorder msgs;
        QStringList seen, focus;
        runCriteria(
            *w,
            [&](CriteriaDialog* d) {
                QCOMPARE(d->windowTitle(), S("收入统计"));
                QCOMPARE(d->customerNoBox->count(), 8);  // every registered number, for choosing
                const auto press = [&] {
                    d->seekButton->click();
                    seen << msgs.lastText();
                    focus << (d->focusWidget() ? d->focusWidget()->objectName() : QString());
                };
                press();
                setDate(d, F::From, "2004-03-02");
                press();
                setDate(d, F::To, "2004-03-01");
                press();
                setDate(d, F::To, "2004-03-31");
                setDate(d, F::ReturnFrom, "2004-03-01");
                press();
                setDate(d, F::ReturnTo, "2004-02-01");
                press();
                setDate(d, F::ReturnTo, "2004-03-31");
                press();
                QCOMPARE(rows(db.dm.ADO_qczl, "通用"), 0);  // nothing emptied or filled before the checks pass
                setDate(d, F::ReturnFrom, "");
                setDate(d, F::ReturnTo, "");
                d->seekButton->click();
                QCOMPARE(d->result(), int(QDialog::Accepted));
            },
            false);
        QCOMPARE(seen, QStringList({S("没有输入发车日期或收车日期,请重新输入!"), S("发车日期输入错误,请重新输入!"),
                                    S("发车日期从大于发车日期到,请重新输入!"), S("收车日期输入错误,请重新输入!"),
                                    S("收车日期从大于收车日期到,请重新输入!"), S("不能同时输入发车日期和收车日期,请重新输入!")}));
        QCOMPARE(focus, QStringList({F::From, F::From, F::From, F::ReturnFrom, F::ReturnFrom, F::From}));
        QCOMPARE(msgs.shown().first().request.caption, S("提示"));
        // Enter walks the fields and, in the last, runs the statistic.
        runCriteria(
            *w,
            [&](CriteriaDialog* d) {
                d->customerNoBox->setFocus();
                QTest::keyClick(d->customerNoBox, Qt::Key_Return);
                QCOMPARE(d->focusWidget(), d->customerNameBox);
                setDate(d, F::From, "2004-03-31");
                setDate(d, F::To, "2004-03-31");
                QTest::keyClick(d->returnToDate, Qt::Key_Return);
                QCOMPARE(d->result(), int(QDialog::Accepted));
            },
            false);
        QCOMPARE(db.dm.q_tongyong.recordCount(), 2);
        runCriteria(*w, [&](CriteriaDialog* d) {
            setDate(d, F::From, "2004-03-01");
            setDate(d, F::To, "2004-03-31");
        });
        // The run: the March vehicles in plate order, the grid attached and on its first row.
        QCOMPARE(db.dm.q_tongyong.recordCount(), 5);
        QCOMPARE(db.dm.q_tongyong.sql().last(), S(" order by 车牌号"));
        QVERIFY(!db.dm.q_tongyong.controlsDisabled());
        QCOMPARE(w->model()->rowCount(), 5);
        QCOMPARE(w->model()->footerText(1), S("5"));
    }

    void otherChecksInOrder()
    {
        Db db;
        struct Step {
            const char* window;
            std::function<void(CriteriaDialog*)> change;
            const char* message;  // empty: accepted
        };
        const auto plate = [](const char* t) { return [=](CriteriaDialog* d) { d->plateBox->setEditText(S(t)); }; };
        const auto date = [](const QString& f, const char* t) { return [=](CriteriaDialog* d) { setDate(d, f, t); }; };
        const std::vector<Step> steps = {
            {"TForm_xjsytj", [](CriteriaDialog*) {}, "日期不能为空,请重新输入!"},
            {"TForm_xjsytj", date(F::To, "2004-03-01"), "日期输入错误,请重新输入!"},
            {"TForm_xjsytj", date(F::From, "2004-03-02"), "日期从大于日期到,请重新输入!"},
            {"TForm_qcsrfymxb", [](CriteriaDialog*) {}, "车牌号不能为空,请重新输入!"},
            {"TForm_qcsrfymxb", plate(" A1 "), "发车日期不能为空,请重新输入!"},
            {"TForm_qcsrfymxb", date(F::From, "2004-03-02"), "发车日期输入错误,请重新输入!"},
            {"TForm_qcsrfymxb", date(F::To, "2004-03-01"), "发车日期从大于发车日期到,请重新输入!"},
            {"TForm_qcsrfymxb",
             [](CriteriaDialog* d) {
                 setDate(d, F::To, "2004-03-31");
                 for (QCheckBox* b : d->sourceBoxes)
                     b->setChecked(false);
             },
             "没有选择统计项目,请重新输入!"},
            {"TForm_qcsrfyhzb", [](CriteriaDialog*) {}, "发车日期不能为空,请重新输入!"},
            {"TForm_qcsrfyhzb", date(F::From, "2004-03-02"), "发车日期输入错误,请重新输入!"},
            {"TForm_qcsrfyhzb", date(F::To, "2004-03-01"), "发车日期从大于发车日期到,请重新输入!"},
            {"TForm_qcsrfyhzb",
             [](CriteriaDialog* d) {
                 setDate(d, F::To, "2004-03-31");
                 for (QCheckBox* b : d->sourceBoxes)
                     b->setChecked(false);  // no check on the sources here
             },
             ""},
            {"TForm_qczlsrtj_yf", [](CriteriaDialog*) {}, "没有输入统计年度,请重新输入!"},
            {"TForm_qczlsrtj_yf", [](CriteriaDialog* d) { d->yearBox->setCurrentIndex(1); }, ""},
        };
        Msg::Recorder msgs;
        QString current;
        std::unique_ptr<StatsWindow> w;
        QList<std::function<void(CriteriaDialog*)>> pending;
        // Each window's steps run in one dialog, one after the other.
        for (size_t i = 0; i < steps.size(); ++i) {
            if (current != S(steps[i].window)) {
                current = S(steps[i].window);
                w = openWindow(db.dm, steps[i].window);
                size_t j = i;
                runCriteria(
                    *w,
                    [&](CriteriaDialog* d) {
                        for (; j < steps.size() && S(steps[j].window) == current; ++j) {
                            msgs.clear();
                            steps[j].change(d);
                            d->seekButton->click();
                            QCOMPARE(msgs.lastText(), S(steps[j].message));
                            QCOMPARE(d->result() == QDialog::Accepted, !*steps[j].message);
                        }
                    },
                    false);
            }
        }
        // The last run: the monthly report of 2004 on calendar months.
        QCOMPARE(db.dm.q_tongyong.recordCount(), 6);
    }

    void sortingAndDeleting()
    {
        Db db;
        auto w = openWindow(db.dm, "TForm_qczlsrtj");
        // Before any run the query holds no rows: a title click changes nothing.
        const QStringList before = db.dm.q_tongyong.sql();
        w->onTitleClick(section(*w, "收费金额"), Qt::NoModifier);
        QCOMPARE(db.dm.q_tongyong.sql(), before);
        runCriteria(*w, [](CriteriaDialog* d) {
            setDate(d, F::From, "2004-03-01");
            setDate(d, F::To, "2004-03-31");
        });
        const int charged = section(*w, "收费金额");
        QCOMPARE(w->model()->footerText(charged), S("2140.8701"));
        w->onTitleClick(charged, Qt::NoModifier);
        QCOMPARE(db.dm.q_tongyong.sql().size(), 3);
        // The click before the run marked the column; this one turns it round.
        QCOMPARE(db.dm.q_tongyong.sql().last(), S(" ORDER BY 收费金额 DESC "));
        QCOMPARE(db.dm.q_tongyong.asString(S("车牌号")), S("A1"));  // the smallest charge first
        // Deleting a row takes it out of 通用 and out of the footers.
        Msg::Recorder msgs;
        msgs.script(Msg::Button::Yes);
        w->deleteButton->click();
        QCOMPARE(msgs.lastText(), S("要删除当前记录吗? "));
        QCOMPARE(rows(db.dm.ADO_qczl, "通用"), 4);
        QCOMPARE(w->model()->footerText(1), S("4"));
        QCOMPARE(w->model()->footerText(charged), S("816.9134"));  // A1 gone
    }

    void rememberedChoices()
    {
        Db db;
        auto w = openWindow(db.dm, "TForm_qcsrfymxb");
        const CriteriaConfig& cfg = TForm_qcsrfymxb::spec().criteria;
        {
            CriteriaDialog d(cfg, &db.dm, w.get());
            // The defaults until a choice has been kept.
            QVERIFY(d.sourceBoxes[0]->isChecked() && !d.sourceBoxes[1]->isChecked() && d.sourceBoxes[2]->isChecked()
                    && !d.sourceBoxes[3]->isChecked());
            QVERIFY(d.byDispatch->isChecked());
            d.sourceBoxes[0]->setChecked(false);
            d.sourceBoxes[1]->setChecked(true);
            d.byReturn->setChecked(true);
        }
        QVERIFY(QFile::exists(cwd.filePath(S("system1.ini"))));
        // A later dialog, as after a restart, reads the file: the choices come back; the summary's
        // dialog keeps its own.
        CriteriaDialog again(cfg, &db.dm, w.get());
        QVERIFY(!again.sourceBoxes[0]->isChecked() && again.sourceBoxes[1]->isChecked() && again.sourceBoxes[2]->isChecked());
        QVERIFY(again.byReturn->isChecked());
        CriteriaDialog summary(TForm_qcsrfyhzb::spec().criteria, &db.dm, w.get());
        QVERIFY(summary.sourceBoxes[0]->isChecked() && summary.byDispatch->isChecked());
    }

    void detailPrint()
    {
        Db db;
        auto w = openWindow(db.dm, "TForm_qcsrfymxb");
        Msg::Recorder msgs;
        PrintPreview::Recorder preview;
        w->printButton->click();
        QVERIFY(preview.tables().isEmpty());  // nothing to print
        runCriteria(*w, [](CriteriaDialog* d) {
            d->plateBox->setEditText(S("A1"));
            setDate(d, F::From, "2004-03-01");
            setDate(d, F::To, "2004-03-31");
        });
        QCOMPARE(w->periodLabel->text(), S("2004-03-01到2004-03-31"));
        // Ordered by plate and date: the text entered on every line.
        QCOMPARE(db.dm.q_tongyong.asString(S("车牌号")), S("A1"));
        w->printButton->click();
        QCOMPARE(preview.tables().size(), 1);
        const QString line = preview.tables().first().closingLine;
        QVERIFY2(line.contains(S("制表:张会计")) && line.endsWith(S("统计时间:2004-03-01到2004-03-31 .")), qPrintable(line));
        QVERIFY(line.startsWith(S("打印时间:")));
    }

    void failedRunReattaches()
    {
        // A start day that makes an impossible date: the engine's error, the grid attached again.
        QDir().mkpath(QFileInfo(Paths::sysSetFile()).path());
        {
            QFile f(Paths::sysSetFile());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[hs_date]\nhs_date1=01\n");
        }
        Db db;
        auto w = openWindow(db.dm, "TForm_qczlsrtj_yf");
        Msg::Recorder msgs;
        runCriteria(
            *w,
            [&](CriteriaDialog* d) {
                d->yearBox->setEditText(S("2004年"));
                d->seekButton->click();
                QCOMPARE(msgs.shown().size(), 1);
                QCOMPARE(msgs.shown().first().request.icon, Msg::Icon::Critical);
                QVERIFY(!d->busyIndicator->isVisible());
                QVERIFY(d->result() != QDialog::Accepted);
            },
            false);
        QFile::remove(Paths::sysSetFile());
        QVERIFY(db.dm.q_tongyong.isOpen());
        QVERIFY(!db.dm.q_tongyong.controlsDisabled());
    }

    // Large amounts over narrow bars: every value label keeps its whole text inside the box the
    // chart gives it, no two boxes overlap and all stay on the picture; upright while they fit,
    // turned when the bars get narrow.
    void chartValueLabelsStayWhole()
    {
        BarChart chart;
        QVector<Bar> bars;
        for (int i = 0; i < 12; ++i)
            bars << Bar{S("%1月").arg(i + 1, 2, 10, QLatin1Char('0')), *Money::parse(i % 3 ? S("180472.50") : S("-98765.25")),
                        QColor(Qt::blue)};
        chart.setBars(bars);
        for (const bool threeD : {false, true}) {
            chart.setThreeD(threeD);
            for (const int width : {1600, 900, 500, 330}) {
                QImage image(width, 400, QImage::Format_RGB32);
                const QRect area = image.rect();
                {
                    QPainter p(&image);
                    chart.paintChart(p, area);
                }
                const QVector<BarChart::ValueLabel> labels = chart.valueLabels(area, &image);
                QCOMPARE(labels.size(), bars.size());
                for (int i = 0; i < labels.size(); ++i) {
                    const BarChart::ValueLabel& l = labels[i];
                    const QString at = S("%1 px, bar %2").arg(width).arg(i);
                    QCOMPARE(l.text, bars[i].value.toDisplay());
                    const QFontMetricsF fm(l.font, &image);
                    const double along = l.vertical ? l.rect.height() : l.rect.width();
                    const double across = l.vertical ? l.rect.width() : l.rect.height();
                    QVERIFY2(along >= fm.horizontalAdvance(l.text) && across >= fm.height() - 0.01, qPrintable(at));
                    QVERIFY2(l.font.pointSizeF() >= 5, qPrintable(at));
                    QVERIFY2(QRectF(area).contains(l.rect), qPrintable(at));
                    if (i > 0)
                        QVERIFY2(!labels[i - 1].rect.intersects(l.rect), qPrintable(at));
                }
                if (width == 1600)
                    QVERIFY(!labels.first().vertical);
                if (width == 330)
                    QVERIFY(labels.first().vertical);
            }
        }
    }

    void chart()
    {
        Db db;
        auto w = openWindow(db.dm, "TForm_qczlsrtj_yf");
        QPushButton* show = w->moduleButton(S("图形显示"));
        Msg::Recorder msgs;
        show->click();
        QCOMPARE(msgs.lastText(), S("没有可以显示的数据!"));
        runCriteria(*w, [](CriteriaDialog* d) { d->yearBox->setEditText(S("2004年")); });
        // Months sorted descending by a title click: the bars follow the grid.
        const int month = section(*w, "月份");
        w->onTitleClick(month, Qt::NoModifier);
        w->onTitleClick(month, Qt::NoModifier);
        QCOMPARE(db.dm.q_tongyong.asString(S("月份")), S("12月"));

        QTemporaryDir out;
        BarChart::colourChooser() = [](QWidget*, const QColor& c) { return c == QColor(0, 0, 255) ? QColor(Qt::magenta) : QColor(); };
        FileDialogs::Recorder files;
        files.scriptSave(out.filePath(S("chart")));
        bool shown = false;
        Modal::Recorder modal;
        modal.handler = [&](QDialog* d) {
            auto* c = qobject_cast<TForm_dbbar*>(d);
            QVERIFY(c);
            shown = true;
            QCOMPARE(rows(db.dm.ADO_qczl, "图形显示"), 6);
            QStringList labels;
            for (const Bar& b : c->chart->bars())
                labels << b.label;
            QCOMPARE(labels, QStringList({S("12月"), S("06月"), S("04月"), S("03月"), S("02月"), S("01月")}));
            QCOMPARE(c->chart->bars()[1].value, *Money::parse(S("-240.25")));
            QCOMPARE(c->shapeBox->currentIndex(), -1);
            QVERIFY(c->threeDBox->isChecked() && c->chart->threeD());
            c->threeDBox->click();
            QVERIFY(!c->chart->threeD());
            c->shapeBox->setCurrentIndex(3);
            c->showShape();
            QCOMPARE(c->chart->shape(), BarShape::Cylinder);
            c->shapeBox->setCurrentIndex(0);
            c->showShape();
            c->chart->resize(900, 500);
            // A click on March's bar: the chooser preset to its colour; cancelling another keeps it.
            const QRectF bar = c->chart->barRect(3, c->chart->rect());
            QVERIFY(bar.height() > 20);
            QTest::mouseClick(c->chart, Qt::LeftButton, {}, bar.center().toPoint());
            QCOMPARE(c->chart->bars()[3].colour, QColor(Qt::magenta));
            const QColor second = c->chart->bars()[2].colour;
            QTest::mouseClick(c->chart, Qt::LeftButton, {}, c->chart->barRect(2, c->chart->rect()).center().toPoint());
            QCOMPARE(c->chart->bars()[2].colour, second);
            // 保存: the chart's size on screen, read back from the file.
            c->saveButton->click();
            QCOMPARE(files.saveRequests().first().caption, S("保存到BMP文件中"));
            QCOMPARE(files.saveRequests().first().fileName, S("TEE0.BMP"));
            QImage saved(out.filePath(S("chart.BMP")));
            QCOMPARE(saved.size(), QSize(900, 500));
            QCOMPARE(saved.pixelColor(bar.center().toPoint()), QColor(Qt::magenta));
            // 打印: landscape on the printer, its orientation back afterwards.
            QPrinter& printer = TForm_dbbar::printer();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(out.filePath(S("chart.pdf")));
            printer.setPageOrientation(QPageLayout::Portrait);
            c->printButton->click();
            QVERIFY(QFileInfo(out.filePath(S("chart.pdf"))).size() > 0);
            QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
            c->closeButton->click();
        };
        show->click();
        QVERIFY(shown);
        QCOMPARE(rows(db.dm.ADO_qczl, "图形显示"), 0);
        QCOMPARE(db.dm.q_tongyong.currentRow(), 0);
    }
};

QTEST_MAIN(TestStatsWindows)
#include "test_windows.moc"
