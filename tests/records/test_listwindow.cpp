// List window machinery on a real database: footers, sorting, hiding, layout store, delete, print
// and export hand-over, and every window of the table opening over its query.
#include "core/clock.h"
#include "fleet/registers.h"
#include "fleet/qcda.h"
#include "tests/records/configs.h"
#include "core/session.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"
#include "ui/records/export/exporttable.h"
#include "ui/records/listwindow.h"
#include "ui/records/print/tableprinter.h"
#include "ui/records/recordgrid.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {
const QString A = QStringLiteral("车牌号"), B = QStringLiteral("维修时间"), C = QStringLiteral("修理厂"),
              D = QStringLiteral("维修内容"), F = QStringLiteral("材料费"), E = QStringLiteral("人工费");
}

// A module window whose edit dialog cannot be made (its drop-downs fail to load).
class FailingEditWindow : public ListWindow {
public:
    using ListWindow::ListWindow;

protected:
    QDialog* createEditDialog() override { throw DbError(QStringLiteral("经办人信息 读不出")); }
};

// Qt's own measurement of a row, on a plain table view dressed as the list window's grid.
class ReferenceGrid : public QTableView {
public:
    explicit ReferenceGrid(const RecordGrid& grid)
    {
        setModel(grid.model());
        setWordWrap(grid.wordWrap());
        setStyleSheet(grid.styleSheet());
        setFont(grid.font());
        for (int s = 0; s < grid.horizontalHeader()->count(); ++s)
            horizontalHeader()->resizeSection(s, grid.columnWidth(s));
        QObject::connect(grid.horizontalHeader(), &QHeaderView::sectionResized, this,
                         [this](int s, int, int width) { horizontalHeader()->resizeSection(s, width); });
        resize(grid.size());
    }
    using QTableView::sizeHintForRow;
};

class TestListWindow : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    TDm1 dm;
    QString oldCwd;

    void openRepairs(const QStringList& sql = {QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("order by 维修时间")})
    {
        dm.q_wxjlb.close();
        dm.q_wxjlb.setSql(sql);
        dm.q_wxjlb.open();
    }

    // A B C D F E: the example of hiding E, then F.
    static QVector<GridColumn> repairColumns()
    {
        return {ListWindow::column(A),
                ListWindow::column(B),
                ListWindow::column(C),
                ListWindow::column(D),
                ListWindow::column(F, QStringLiteral("费用|材料费")),
                ListWindow::column(E, QStringLiteral("费用|明细|人工费")),
                ListWindow::column(QStringLiteral("总费用"))};
    }

    std::unique_ptr<ListWindow> repairWindow()
    {
        auto w = std::make_unique<ListWindow>(TForm_wxjlb::spec().list, &dm);
        w->setColumns(repairColumns());
        return w;
    }

    static QStringList shownFields(ListWindow& w)
    {
        QStringList out;
        for (int s = 0; s < w.model()->columnCount(); ++s)
            out << w.model()->shownColumn(s).field;
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        addAllConfigs();
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        Clock::setFixed(QDateTime(QDate(2004, 5, 1), QTime(9, 30)));
        Session::currentOperator().name = QStringLiteral("张三");
        QVERIFY(createDatabase(dir.filePath(QStringLiteral("q.db")), QDate(2004, 5, 1)));
        QVERIFY(dm.connect(dir.filePath(QStringLiteral("q.db"))));
        const char* rows[][4] = {{"苏A0001", "2004-03-01", "0.0001", "10"},
                                 {"苏A0002", "2004-03-02", "1234.5678", "20.5"},
                                 {"京B0003", "2004-03-03", "99999999.9999", "0"},
                                 {"苏A0004", "2004-03-04", "", "7.25"}};
        for (const auto& r : rows)
            dm.ADO_qczl.execute(QStringLiteral(
                                    "insert into 车辆维修记录表 (车牌号, 维修时间, 修理厂, 材料费, 人工费) values (?, ?, ?, ?, ?)"),
                                {QString::fromUtf8(r[0]), QString::fromUtf8(r[1]) + QStringLiteral(" 00:00:00"),
                                 QStringLiteral("厂O'Neil"), r[2][0] ? QVariant(QString::fromUtf8(r[2]).toDouble()) : QVariant(),
                                 QString::fromUtf8(r[3]).toDouble()});
    }

    void cleanupTestCase()
    {
        QDir::setCurrent(oldCwd);
        Clock::setSource({});
    }

    void init() { QFile::remove(ListWindow::layoutFile()); }

    void gridModelPassesTheChecker()
    {
        openRepairs();
        auto w = repairWindow();
        QAbstractItemModelTester tester(w->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(w->model()->rowCount(), 4);
        QCOMPARE(w->model()->columnCount(), 7);
        QCOMPARE(w->model()->data(w->model()->index(1, 4)).toString(), QStringLiteral("1234.5678"));
        QCOMPARE(w->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("费用\n材料费"));
        // rows appear, change and vanish through the record set
        dm.q_wxjlb.append();
        dm.q_wxjlb.setValue(A, QStringLiteral("新"));
        dm.q_wxjlb.cancel();
        dm.q_wxjlb.edit();
        dm.q_wxjlb.setValue(C, QStringLiteral("改"));
        dm.q_wxjlb.cancel();
        w->onHideColumn();
        w->onShowColumn();
        dm.q_wxjlb.close();
        QCOMPARE(w->model()->rowCount(), 0);
        openRepairs();
        QCOMPARE(w->model()->rowCount(), 4);
    }

    void footersFollowSortFilterAndDelete()
    {
        openRepairs();
        auto w = repairWindow();
        RecordGridModel* m = w->model();
        QCOMPARE(m->footerText(0), QStringLiteral("记录数"));
        QCOMPARE(m->footerText(1), QStringLiteral("4"));
        QCOMPARE(m->footerText(4), QStringLiteral("100001234.5678"));  // exact, four decimals kept
        QCOMPARE(m->footerText(5), QStringLiteral("37.75"));
        // the engine's sums and a walk over the rows agree
        m->setEngineSums(false);
        QCOMPARE(m->footerText(4), QStringLiteral("100001234.5678"));
        QCOMPARE(m->footerText(5), QStringLiteral("37.75"));
        m->setEngineSums(true);
        QCOMPARE(m->footerText(2), QString());

        // re-sort: the same rows, the same sums
        w->onTitleClick(0, Qt::NoModifier);
        QCOMPARE(dm.q_wxjlb.sql().last(), QStringLiteral(" ORDER BY 车牌号"));
        QCOMPARE(m->data(m->index(0, 0)).toString(), QStringLiteral("京B0003"));
        QCOMPARE(m->footerText(1), QStringLiteral("4"));
        QCOMPARE(m->footerText(4), QStringLiteral("100001234.5678"));

        // a filter of the query: the footers of the rows found
        openRepairs({QStringLiteral("select * from 车辆维修记录表"), QStringLiteral(" where (车牌号 like '苏A%')"),
                     QStringLiteral("order by 车牌号")});
        QCOMPARE(m->footerText(1), QStringLiteral("3"));
        QCOMPARE(m->footerText(4), QStringLiteral("1234.5679"));

        // delete: No (the default) keeps the row, Yes removes it and the footers follow
        Msg::Recorder msgs;
        dm.q_wxjlb.moveTo(1);
        w->deleteButton->click();
        QCOMPARE(msgs.shown().size(), 1);
        QCOMPARE(msgs.shown()[0].request.text, QStringLiteral("要删除当前记录吗? "));
        QCOMPARE(msgs.shown()[0].request.caption, QStringLiteral("请选择"));
        QCOMPARE(msgs.shown()[0].request.defaultButton, Msg::Button::No);
        QCOMPARE(dm.q_wxjlb.recordCount(), 3);
        msgs.script(Msg::Button::Yes);
        w->deleteButton->click();
        QCOMPARE(dm.q_wxjlb.recordCount(), 2);
        QCOMPARE(m->footerText(1), QStringLiteral("2"));
        QCOMPARE(m->footerText(4), QStringLiteral("0.0001"));
        dm.ADO_qczl.execute(QStringLiteral(
            "insert into 车辆维修记录表 (车牌号, 维修时间, 材料费, 人工费) values ('苏A0002', '2004-03-02 00:00:00', 1234.5678, 20.5)"));
    }

    void refusedDeleteIsSilent()
    {
        // A query the database cannot delete from: the row stays, nothing is said.
        openRepairs({QStringLiteral("select 车牌号, 材料费 from 车辆维修记录表"), QStringLiteral("order by 车牌号")});
        ListWindow w(TForm_wxjlb::spec().list, &dm);
        Msg::Recorder msgs;
        msgs.script(Msg::Button::Yes);
        w.onDelete();
        QCOMPARE(msgs.shown().size(), 1);
        QCOMPARE(dm.q_wxjlb.recordCount(), 4);
        QCOMPARE(dm.q_wxjlb.state(), RecordSet::Browse);
    }

    void editDialogThatCannotBeMadeIsSaid()
    {
        openRepairs({QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("order by 维修时间")});
        FailingEditWindow w(TForm_wxjlb::spec().list, &dm);
        Msg::Recorder msgs;
        w.editButton->click();
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("经办人信息 读不出")});
    }

    void sortTexts()
    {
        QCOMPARE(sortOrderLine({}), QString());
        QCOMPARE(sortOrderLine({{QStringLiteral("车牌号"), false}}), QStringLiteral(" ORDER BY 车牌号"));
        QCOMPARE(sortOrderLine({{QStringLiteral("车型"), true}, {QStringLiteral("车牌号"), false}}),
                 QStringLiteral(" ORDER BY 车型 DESC , 车牌号"));
        QCOMPARE(sortOrderLine({{QStringLiteral("车牌号"), true}}), QStringLiteral(" ORDER BY 车牌号 DESC "));

        // A contract list opened "order by 内部编号": 车型... here 修理厂 descending then 车牌号 ascending.
        openRepairs({QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("where 材料费 >= 0"),
                     QStringLiteral("order by 维修时间")});
        auto w = repairWindow();
        w->onTitleClick(2, Qt::NoModifier);
        w->onTitleClick(2, Qt::NoModifier);  // toggled to descending
        QCOMPARE(dm.q_wxjlb.sql().last(), QStringLiteral(" ORDER BY 修理厂 DESC "));
        w->onTitleClick(0, Qt::ControlModifier);
        QCOMPARE(dm.q_wxjlb.sql(), (QStringList{QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("where 材料费 >= 0"),
                                                QStringLiteral(" ORDER BY 修理厂 DESC , 车牌号")}));
        QCOMPARE(dm.q_wxjlb.recordCount(), 3);
        QCOMPARE(w->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("车牌号 ▲2"));
        // removing every mark removes the order
        w->onTitleClick(2, Qt::ShiftModifier);
        w->onTitleClick(0, Qt::ShiftModifier);
        QCOMPARE(dm.q_wxjlb.sql().last(), QString());
        QCOMPARE(dm.q_wxjlb.recordCount(), 3);

        // nothing while the query is empty
        openRepairs({QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("where 车牌号='无'"),
                     QStringLiteral("order by 维修时间")});
        w->onTitleClick(0, Qt::NoModifier);
        QCOMPARE(dm.q_wxjlb.sql().last(), QStringLiteral("order by 维修时间"));

        // marks-only windows show the marks and keep the order; windows without title buttons ignore clicks
        openRepairs();
        ListWindowConfig marks = TForm_wxjlb::spec().list;
        marks.sort = SortMode::MarksOnly;
        ListWindow m(marks, &dm);
        m.setColumns(repairColumns());
        m.onTitleClick(0, Qt::NoModifier);
        QCOMPARE(m.model()->sortMarks().size(), 1);
        QCOMPARE(dm.q_wxjlb.sql().last(), QStringLiteral("order by 维修时间"));
        marks.sort = SortMode::None;
        ListWindow none(marks, &dm);
        none.onTitleClick(0, Qt::NoModifier);
        QVERIFY(none.model()->sortMarks().isEmpty());
    }

    void hideAndShowColumns()
    {
        openRepairs();
        auto w = repairWindow();
        w->model()->setColumnVisible(6, false);  // six columns: A B C D F E
        QVERIFY(!w->showColumnButton->isEnabled());
        w->onHideColumn();  // E
        w->onHideColumn();  // F, which stood left of E
        QCOMPARE(shownFields(*w), (QStringList{A, B, C, D}));
        QVERIFY(w->showColumnButton->isEnabled());
        QCOMPARE(w->hiddenColumnsMenu->actions().size(), 2);
        QCOMPARE(w->hiddenColumnsMenu->actions()[0]->text(), QStringLiteral("费用\t材料费"));
        QCOMPARE(w->hiddenColumnsMenu->actions()[1]->text(), QStringLiteral("明细\t人工费"));

        // choosing E moves it right after the shown columns
        w->onHiddenColumnChosen(w->hiddenColumnsMenu->actions()[1]);
        QCOMPARE(shownFields(*w), (QStringList{A, B, C, D, E}));
        QCOMPARE(w->hiddenColumnsMenu->actions().size(), 1);
        QVERIFY(w->showColumnButton->isEnabled());
        // the button shows the most recently hidden one
        w->onShowColumn();
        QCOMPARE(shownFields(*w), (QStringList{A, B, C, D, E, F}));
        QVERIFY(w->hiddenColumnsMenu->actions().isEmpty());

        // down to three visible columns, then nothing more
        for (int i = 0; i < 5; ++i)
            w->onHideColumn();
        QCOMPARE(shownFields(*w), (QStringList{A, B, C}));
        QCOMPARE(w->model()->footerTexts(), (QStringList{QStringLiteral("记录数"), QStringLiteral("4"), QString()}));
        w->onShowColumn();
        QCOMPARE(shownFields(*w), (QStringList{A, B, C, D}));
        // hidden columns are not exported or printed
        const GridSnapshot s = w->snapshot();
        QCOMPARE(s.columns.size(), 4);
        QCOMPARE(s.rows.size(), 4);
        QCOMPARE(s.rows[0].size(), 4);
    }

    void navigatorAndSelectionFollowTheRow()
    {
        openRepairs();
        auto w = repairWindow();
        QCOMPARE(w->navigator->findChild<QToolButton*>(QStringLiteral("nbFirst"))->toolTip(), QStringLiteral("首记录"));
        w->navigator->findChild<QToolButton*>(QStringLiteral("nbLast"))->click();
        QCOMPARE(dm.q_wxjlb.currentRow(), 3);
        QCOMPARE(w->grid->currentIndex().row(), 3);
        QCOMPARE(w->model()->headerData(3, Qt::Vertical).toString(), QStringLiteral("▶"));
        w->navigator->findChild<QToolButton*>(QStringLiteral("nbPrior"))->click();
        QCOMPARE(dm.q_wxjlb.currentRow(), 2);
        // choosing a row in the grid moves the query
        w->grid->setCurrentIndex(w->model()->index(0, 1));
        QCOMPARE(dm.q_wxjlb.currentRow(), 0);
        // a row with text of two lines grows to show it
        w->show();
        dm.q_wxjlb.moveTo(1);
        dm.q_wxjlb.edit();
        dm.q_wxjlb.setValue(D, QStringLiteral("第一行\n第二行"));  // a description: one-line columns take no line break
        dm.q_wxjlb.post();
        w->grid->fitVisibleRows();
        QVERIFY(w->grid->rowHeight(1) > w->grid->rowHeight(0));
        // Escape closes like 返回
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
    }

    void rowColours()
    {
        openRepairs();
        auto w = repairWindow();
        auto bg = [&](int row) { return w->model()->data(w->model()->index(row, 0), Qt::BackgroundRole).value<QBrush>().color(); };
        QVERIFY(w->dichromaticBox->isChecked());
        QCOMPARE(bg(0), QColor(236, 249, 249));
        QCOMPARE(bg(1), QColor(Qt::white));
        QCOMPARE(bg(2), QColor(236, 249, 249));
        w->dichromaticBox->click();
        QCOMPARE(bg(0), QColor(Qt::white));
        QCOMPARE(bg(2), QColor(Qt::white));
    }

    void layoutRoundTripAndReset()
    {
        dm.q_qcda.close();
        dm.q_qcda.setSql({QStringLiteral("select * from 汽车档案 "), QStringLiteral("order by 车牌号")});
        dm.q_qcda.open();
        const auto& config = TForm_qcda::spec();
        auto make = [&] {
            auto w = std::make_unique<ListWindow>(config, &dm);
            w->setColumns({ListWindow::column(QStringLiteral("车牌号")), ListWindow::column(QStringLiteral("车型")),
                           ListWindow::column(QStringLiteral("颜色")), ListWindow::column(QStringLiteral("出厂编号")),
                           ListWindow::column(QStringLiteral("发动机号"))});
            return w;
        };
        {
            auto w = make();
            w->FormShow();
            w->onHideColumn();  // 发动机号 hidden
            w->grid->horizontalHeader()->resizeSection(1, 177);
            QVERIFY(!w->autoWidthBox->isChecked());
            w->autoWidthBox->click();  // automatic width on, stored with the grid
            w->close();
        }
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("system.ini"))));
        {
            auto w = make();
            w->FormShow();
            QCOMPARE(shownFields(*w).size(), 4);
            QVERIFY(!w->showColumnButton->isEnabled());  // a stored hidden column is not offered
            QVERIFY(w->hiddenColumnsMenu->actions().isEmpty());
            QCOMPARE(w->model()->shownColumn(1).width, 177);
            QVERIFY(w->grid->autoFitColWidths());
            QVERIFY(!w->autoWidthBox->isChecked());  // the box keeps its designed state
            QCOMPARE(w->model()->footerText(0), QStringLiteral("记录数"));
        }                                                  // destroyed without closing: stored here
        QVERIFY(QFile::remove(ListWindow::layoutFile()));  // the layout reset
        {
            auto w = make();
            w->FormShow();
            QCOMPARE(shownFields(*w).size(), 5);
            QVERIFY(!w->grid->autoFitColWidths());
        }

        // the reduced store keeps neither titles nor the automatic width
        ListWindowConfig reduced = config;
        reduced.layout = LayoutMode::Reduced;
        reduced.className = QStringLiteral("TForm_khydqc");
        {
            ListWindow w(reduced, &dm);
            w.setColumns(
                {ListWindow::column(QStringLiteral("车牌号"), QStringLiteral("牌照")), ListWindow::column(QStringLiteral("车型"))});
            w.FormShow();
            auto cols = w.model()->columns();
            cols[0].title = QStringLiteral("改过的标题");
            cols[1].width = 123;
            w.model()->setColumns(cols);
            w.grid->setAutoFitColWidths(true);
            w.FormClose();
        }
        {
            ListWindow w(reduced, &dm);
            w.setColumns(
                {ListWindow::column(QStringLiteral("车牌号"), QStringLiteral("牌照")), ListWindow::column(QStringLiteral("车型"))});
            w.FormShow();
            QCOMPARE(w.model()->columns()[0].title, QStringLiteral("牌照"));
            QCOMPARE(w.model()->columns()[1].width, 123);
            QVERIFY(!w.grid->autoFitColWidths());
        }
        // windows without the store write nothing
        QFile::remove(ListWindow::layoutFile());
        openRepairs();
        auto w = repairWindow();
        w->FormShow();
        w->FormClose();
        QVERIFY(!QFile::exists(ListWindow::layoutFile()));
    }

    void printAndExportTakeTheGridAsShown()
    {
        openRepairs({QStringLiteral("select * from 车辆维修记录表"), QStringLiteral(" where (车牌号 like '苏A%')"),
                     QStringLiteral("order by 车牌号")});
        auto w = repairWindow();
        w->onHideColumn();
        {
            PrintPreview::Recorder printed;
            w->printButton->click();
            QCOMPARE(printed.tables().size(), 1);
            const ExportTable& t = printed.tables()[0];
            QCOMPARE(t.printTitle, QStringLiteral("车辆维修记录登记表打印清单"));
            QCOMPARE(t.columns.size(), 6);
            QCOMPARE(t.columns[4].title, QStringLiteral("费用|材料费"));
            QCOMPARE(t.columns[4].type, FieldType::Money);
            QCOMPARE(t.rows.size(), 3);
            QCOMPARE(t.footer[1], QStringLiteral("3"));
            QCOMPARE(t.footer[4], QStringLiteral("1234.5679"));
            QCOMPARE(t.operatorName, QStringLiteral("张三"));
            QCOMPARE(t.printedAt, QDateTime(QDate(2004, 5, 1), QTime(9, 30)));
        }
        QCOMPARE(w->grid->footerBackground, QColor(0, 128, 0));  // screen colours again
        QCOMPARE(w->grid->footerText, QColor(Qt::white));

        FileDialogs::Recorder files;
        const QString target = dir.filePath(QStringLiteral("维修"));
        files.scriptSave(target, 1);  // CSV
        w->exportButton->click();
        QCOMPARE(files.saveRequests().size(), 1);
        QCOMPARE(files.saveRequests()[0].fileName, QStringLiteral("车辆维修记录表"));
        QFile csv(target + QStringLiteral(".csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(csv.readAll());
        QVERIFY(text.contains(QStringLiteral("1234.5678")));
        QVERIFY(!text.contains(QStringLiteral("总费用")));
        // the filter chosen is offered again
        w->exportButton->click();
        QCOMPARE(files.saveRequests()[1].filterIndex, 1);
        dm.SaveDialog1.filterIndex = 5;
    }

    void everyWindowOfTheTableOpens()
    {
        QCOMPARE(listWindowTable().size(), 26);
        for (const ListWindowConfig& config : listWindowTable()) {
            RecordSet* q = dm.query(config.query);
            QVERIFY2(q, qPrintable(config.className));
            q->close();
            q->setSql({QStringLiteral("select * from ") +
                           [&] {
                               const QString table = config.query == QLatin1String("q_tongyong") ? QStringLiteral("通用")
                                                     : config.query == QLatin1String("q_qxb")    ? QStringLiteral("权限表")
                                                     : config.query == QLatin1String("q_jbr")    ? QStringLiteral("经办人信息")
                                                     : config.query == QLatin1String("q_txcsb") ? QStringLiteral("提醒功能初始表")
                                                     : config.query == QLatin1String("q_zy")    ? QStringLiteral("摘要")
                                                     : config.query == QLatin1String("q_xjrjz") ? QStringLiteral("现金日记帐")
                                                     : config.query == QLatin1String("q_hyjlb") ? QStringLiteral("换油记录表")
                                                     : config.query == QLatin1String("q_wxjlb") ? QStringLiteral("车辆维修记录表")
                                                     : config.query == QLatin1String("q_sgjlb")  ? QStringLiteral("事故登记表")
                                                     : config.query == QLatin1String("q_khydqc") ? QStringLiteral("客户预订汽车")
                                                     : config.query == QLatin1String("q_wzdj")   ? QStringLiteral("违章登记")
                                                     : config.query == QLatin1String("q_hyzlb")  ? QStringLiteral("客户登记表")
                                                     : config.query == QLatin1String("q_qcda")   ? QStringLiteral("汽车档案")
                                                                                               : QStringLiteral("汽车租赁登记表");
                               return table;
                           }(),
                       QStringLiteral("order by 1")});
            // The command creates the window, then opens the query.
            ListWindow w(config, &dm);
            q->open();
            QCOMPARE(w.windowTitle(), config.caption);
            QVERIFY(w.model()->columnCount() > 0);
            QCOMPARE(w.returnButton != nullptr, true);
            QCOMPARE(w.printButton != nullptr, !config.printTitle.isEmpty());
            QCOMPARE(w.exportButton != nullptr, !config.exportName.isEmpty());
            QCOMPARE(w.autoWidthBox != nullptr, config.autoWidthBox);
            QCOMPARE(w.hideColumnButton != nullptr, config.columnButtons);
            QCOMPARE(w.navigator != nullptr, config.navigator);
            QCOMPARE(w.grid->autoFitColWidths(), config.autoWidth);
            for (const QString& b : config.moduleButtons())
                QVERIFY(w.moduleButton(b));
            const QStringList footer = w.model()->footerTexts();
            if (config.footer == FooterMode::None) {
                QVERIFY(footer.join(QString()).isEmpty());
            } else {
                QCOMPARE(footer[0], QStringLiteral("记录数"));
                QCOMPARE(footer[1] == QString::number(q->recordCount()), config.footer == FooterMode::CountAndSums);
            }
            for (const QString& sum : config.footerSums) {
                const int i = w.model()->columnIndexOf(sum);
                QVERIFY2(i >= 0, qPrintable(config.className + sum));
                QCOMPARE(w.model()->columns()[i].footer, FooterKind::Sum);
            }
        }
        QVERIFY(listWindowConfig(QStringLiteral("TForm_hyzlb"))->autoWidth);
        QVERIFY(!listWindowConfig(QStringLiteral("TForm_hyzlb"))->autoWidthChecked);
    }

    // Rows grow by the texts of all their cells, on screen or scrolled off to the right: a short
    // line, a wrapped one, a line break, a long word, characters of other fonts; a row grown and
    // then shortened comes back to the default height. The heights are those of Qt's own
    // measurement of every cell.
    void rowHeightsFollowEveryCell()
    {
        QStringList texts;
        for (int n = 1; n <= 8; ++n) {
            texts << QString(n, QChar(0x6C7D));  // 汽
            texts << QStringLiteral("ab ").repeated(n).trimmed();
        }
        texts << QStringLiteral("第一行\n第二行") << QStringLiteral("（附件）") << QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ")
              << QStringLiteral("ÄÖÜ ÄÖÜ ÄÖÜ ÄÖÜ");
        for (const QString& t : std::as_const(texts))
            dm.ADO_qczl.execute(QStringLiteral("insert into 车辆维修记录表 (车牌号, 维修时间, 修理厂, 维修内容) values (?, ?, ?, ?)"),
                                {QStringLiteral("行高"), QStringLiteral("2004-04-01 00:00:00"), QStringLiteral("行高"), t});
        // the same text in a wider and a narrower column of one row: each measured at its width
        const QString twice = QStringLiteral("ab ab ab ab ab");
        dm.ADO_qczl.execute(QStringLiteral("insert into 车辆维修记录表 (车牌号, 维修时间, 修理厂, 维修内容) values (?, ?, ?, ?)"),
                            {QStringLiteral("行高"), QStringLiteral("2004-04-01 00:00:00"), twice, twice});
        texts << twice;
        openRepairs({QStringLiteral("select * from 车辆维修记录表 "), QStringLiteral("order by 维修时间")});
        auto w = std::make_unique<ListWindow>(TForm_wxjlb::spec().list, &dm);
        w->setColumns(
            {ListWindow::column(A), ListWindow::column(D, {}, 60), ListWindow::column(B, {}, 700), ListWindow::column(C, {}, 45)});
        w->resize(640, 1000);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->grid->setAutoFitColWidths(false);  // the widths given
        ReferenceGrid ref(*w->grid);
        // The rows on screen grown, -1 when a row's height there is not Qt's. A resize moves the
        // rows below: fitted again until they stand.
        auto expectHeights = [&] {
            for (int i = 0; i < 4; ++i) {
                w->grid->fitVisibleRows();
                QCoreApplication::processEvents();
            }
            const int def = w->grid->verticalHeader()->defaultSectionSize();
            int last = w->grid->rowAt(w->grid->viewport()->height() - 1);
            if (last < 0)
                last = w->model()->rowCount() - 1;
            int grown = 0;
            for (int r = std::max(0, w->grid->rowAt(0)); r <= last; ++r) {
                if (w->grid->rowHeight(r) != std::max(def, ref.sizeHintForRow(r))) {
                    qWarning("row %d: %d, Qt measures %d", r, w->grid->rowHeight(r), ref.sizeHintForRow(r));
                    return -1;
                }
                grown += w->grid->rowHeight(r) > def ? 1 : 0;
            }
            return grown;
        };
        QVERIFY(w->grid->rowAt(w->grid->viewport()->height() - 1) < 0);  // every row on screen
        const int grown = expectHeights();
        QVERIFY(grown >= 4);  // the wrapped ones and the line break
        // the column of the long texts scrolled out of sight still counts
        w->grid->horizontalScrollBar()->setValue(w->grid->horizontalScrollBar()->maximum());
        QCOMPARE(expectHeights(), grown);
        // narrower: more of them wrap; wider again: back to as before
        w->grid->horizontalHeader()->resizeSection(1, 40);
        const int three = int(texts.indexOf(QStringLiteral("汽汽汽"))) + 4;
        const int def = w->grid->verticalHeader()->defaultSectionSize();
        QCOMPARE(w->grid->rowHeight(three), def);
        QVERIFY(expectHeights() >= 0);
        QVERIFY(w->grid->rowHeight(three) > def);
        w->grid->horizontalHeader()->resizeSection(1, 60);
        QCOMPARE(expectHeights(), grown);
        // a long text shortened: its row back to the default height
        const int row = int(texts.indexOf(QStringLiteral("第一行\n第二行"))) + 4;
        QVERIFY(w->grid->rowHeight(row) > def);
        dm.q_wxjlb.moveTo(row);
        dm.q_wxjlb.edit();
        dm.q_wxjlb.setValue(D, QStringLiteral("短"));
        dm.q_wxjlb.post();
        QCOMPARE(expectHeights(), grown - 1);
        QCOMPARE(w->grid->rowHeight(row), def);
        // the row indicator as wide as Qt makes it, with the mark and in a larger font
        QCOMPARE(w->grid->verticalHeader()->sizeHint(), ref.verticalHeader()->sizeHint());
        QFont larger = w->grid->font();
        larger.setPointSize(larger.pointSize() * 2);
        w->grid->setFont(larger);
        ref.setFont(larger);
        QVERIFY(w->grid->verticalHeader()->sizeHint().width() > 0);
        QCOMPARE(w->grid->verticalHeader()->sizeHint(), ref.verticalHeader()->sizeHint());
        w.reset();
        dm.q_wxjlb.close();
        dm.ADO_qczl.execute(QStringLiteral("delete from 车辆维修记录表 where 车牌号 = ?"), {QStringLiteral("行高")});
    }

    // The title row is as tall and its titles as wide as Qt measures them: titles of one, two and
    // three levels, a sort mark added, the three-level column hidden and shown again, a larger
    // font and a style sheet giving the titles room.
    void titleRowAsQtMeasuresIt()
    {
        openRepairs();
        auto w = repairWindow();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QHeaderView* h = w->grid->horizontalHeader();
        // The title row's height, -1 when a title or the height is not what a plain table view
        // measures now.
        auto expectTitles = [&] {
            QCoreApplication::processEvents();
            ReferenceGrid ref(*w->grid);
            ref.horizontalHeader()->setFont(h->font());
            for (int s = 0; s < h->count(); ++s)
                if (h->sectionSizeHint(s) != ref.horizontalHeader()->sectionSizeHint(s)) {
                    qWarning("title %d: %d, Qt measures %d", s, h->sectionSizeHint(s), ref.horizontalHeader()->sectionSizeHint(s));
                    return -1;
                }
            return h->sizeHint().height() == ref.horizontalHeader()->sizeHint().height() ? h->sizeHint().height() : -1;
        };
        const int threeLevels = expectTitles();
        QVERIFY(threeLevels > 0);
        const int before = h->sectionSizeHint(0);
        w->onTitleClick(0, Qt::NoModifier);
        QVERIFY(h->sectionSizeHint(0) > before);
        QCOMPARE(expectTitles(), threeLevels);
        w->model()->setColumnVisible(5, false);  // 费用|明细|人工费
        w->model()->setColumnVisible(4, false);  // 费用|材料费
        QVERIFY(expectTitles() > 0);
        QVERIFY(h->sizeHint().height() < threeLevels);
        w->model()->setColumnVisible(5, true);
        QCOMPARE(expectTitles(), threeLevels);
        QFont larger = h->font();
        larger.setPointSize(larger.pointSize() * 2);
        h->setFont(larger);
        QVERIFY(expectTitles() > threeLevels);
        const int largeFont = h->sizeHint().height();
        w->grid->setStyleSheet(w->grid->styleSheet() + QStringLiteral(" QHeaderView::section { padding: 9px; }"));
        QVERIFY(expectTitles() > largeFont);
    }

    void buttonsLeftToRight_data()
    {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("order");
        QTest::newRow("repairs") << "TForm_wxjlb"
                                 << "导出 查询 编辑 删除 打印 返回";
        QTest::newRow("customers") << "TForm_hyzlb"
                                   << "查找 导出 编辑 删除 打印 返回";
        QTest::newRow("reservations") << "TForm_khydqc"
                                      << "查询 执行完毕 导出 编辑 删除 打印 返回";
        QTest::newRow("payments") << "TForm_qczl_fkqk"
                                  << "导出 查询 编辑 打印 返回";
        QTest::newRow("returns") << "TForm_qczljcb"
                                 << "查询 交车 打印 返回";
        QTest::newRow("rental state") << "TForm_qczlqkb"
                                      << "打印 编辑 清除租赁 清除预订 返回";
        QTest::newRow("monthly income") << "TForm_qczlsrtj_yf"
                                        << "图形显示 导出 统计 删除 打印 返回";
        QTest::newRow("reminders") << "TForm_txgn"
                                   << "导出 提醒 打印 返回";
        QTest::newRow("reminder leads") << "TForm_txcsb"
                                        << "导出 编辑 返回";
    }

    void buttonsLeftToRight()
    {
        QFETCH(QString, cls);
        QFETCH(QString, order);
        const ListWindowConfig* config = listWindowConfig(cls);
        QVERIFY2(config, qPrintable(cls));
        ListWindow w(*config, &dm);
        w.resize(1200, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QList<QPushButton*> buttons = w.findChildren<QPushButton*>();
        std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
        QStringList captions;
        for (QPushButton* b : buttons)
            captions << b->text();
        QCOMPARE(captions.join(QLatin1Char(' ')), order);
        if (w.queryButton)
            QCOMPARE(w.queryButton->objectName(), QStringLiteral("SpeedButton5"));
        // icon-only buttons can be told apart by screen readers and test drivers
        for (QToolButton* b : w.findChildren<QToolButton*>())
            QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(b->objectName()));
        if (w.navigator)
            QCOMPARE(w.navigator->findChild<QToolButton*>(QStringLiteral("nbLast"))->accessibleName(), QStringLiteral("尾记录"));
    }
};

QTEST_MAIN(TestListWindow)
#include "test_listwindow.moc"
