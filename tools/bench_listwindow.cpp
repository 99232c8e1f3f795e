// Figures of the contract list on a large database (not a test):
//   bench_listwindow <database file or server database>
// The first open of the list in this process, after a first window as the program's main window
// ("cold": also disk-cold when the system's page cache was dropped before the run), then a second open (warm), each to its first painted screen and to
// its footer sums, which follow from a worker thread; memory of the window; the floors of both
// (the keys in list order and a full walk of the table, stepped through the engine's C API, or on a
// server through the driver's plain query, warm);
// a re-sort, a jump to the last row and the footer sums by walking every row.
// Ends with "figure <name> <value> <unit>" lines.
#include "rental/rental.h"
#include "rental/bookings.h"
#include "tools/benchutil.h"
#include "tools/benchwindow.h"
#include "data/datamodule.h"
#include "ui/records/listwindow.h"
#include "ui/records/recordgrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <memory>

namespace {

// As the command does: the window first, then the query; then shown and painted. *queryOpen: the
// time of the query's opening alone.
std::unique_ptr<ListWindow> openList(TDm1& dm, double* queryOpen)
{
    auto w = std::make_unique<ListWindow>(TForm_qczlb::spec(), &dm);
    dm.q_qczlb.setQuery(Bench::contractList());
    QElapsedTimer t;
    t.start();
    dm.q_qczlb.open();
    *queryOpen = Bench::ms(t);
    w->resize(1280, 800);
    w->show();
    w->grid->viewport()->repaint();
    QCoreApplication::processEvents();
    return w;
}

// The event loop runs until the footer sums have arrived, as it does in the program.
void untilFooter(RecordGridModel* m)
{
    while (m->footerPending())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerRentalWindows();  // the contract list's row
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_listwindow <database file>\n");
        return 2;
    }
    TDm1 dm;
    if (!Bench::connect(dm, QString::fromLocal8Bit(argv[1])))
        return 1;
    Bench::Figures fig;
    QElapsedTimer t;

    Bench::showFirstWindow();

    // first open in this process
    const long before = Bench::rssKiB();
    double coldOpen = 0, warmOpen = 0;
    t.start();
    auto w = openList(dm, &coldOpen);
    const double coldScreen = Bench::ms(t);
    const bool coldPending = w->model()->footerPending();
    const long afterScreen = Bench::rssKiB();
    untilFooter(w->model());
    const double coldFooter = Bench::ms(t);
    const long afterFooter = Bench::rssKiB();
    const QStringList footer = w->model()->footerTexts();
    std::printf("rows %d, footer %s at the first screen: %s\n", dm.q_qczlb.recordCount(), coldPending ? "pending" : "ready",
                footer.join(QStringLiteral(" | ")).toUtf8().constData());

    // second open
    w.reset();
    dm.q_qczlb.close();
    t.restart();
    w = openList(dm, &warmOpen);
    const double warmScreen = Bench::ms(t);
    untilFooter(w->model());
    const double warmFooter = Bench::ms(t);

    // floors, warm: the keys in list order, and one walk of the table summing the footer columns
    Database& engine = dm.ADO_qczl;
    const QString keys = dm.ADO_qczl.backend().translateKeysOnly(Bench::contractList().lines.join(QLatin1Char(' ')));
    t.restart();
    const long long keyRows = Bench::stepAll(engine, keys);
    const double keysFloor = Bench::ms(t);
    QStringList sums;
    for (const GridColumn& c : w->model()->columns())
        if (c.footer == FooterKind::Sum)
            sums << QStringLiteral("sum(") + c.field + QLatin1Char(')');
    const QString walk = dm.ADO_qczl.translate(QStringLiteral("select ") + sums.join(QStringLiteral(", "))
                                               + QStringLiteral(" from 汽车租赁登记表"));
    Bench::stepAll(engine, walk);  // untimed: the table into the cache
    t.restart();
    const long long walkRows = Bench::stepAll(engine, walk);
    const double walkFloor = Bench::ms(t);
    if (keyRows != dm.q_qczlb.recordCount() || walkRows != 1) {
        std::fprintf(stderr, "floor statements failed\n");
        return 1;
    }

    t.restart();
    w->onTitleClick(w->model()->columnIndexOf(QStringLiteral("车牌号")), Qt::NoModifier);
    w->grid->viewport()->repaint();
    app.processEvents();
    const double resortScreen = Bench::ms(t);
    untilFooter(w->model());
    const double resortFooter = Bench::ms(t);

    t.restart();
    dm.q_qczlb.last();
    w->grid->viewport()->repaint();
    app.processEvents();
    const double jumpLast = Bench::ms(t);

    t.restart();
    w->model()->setEngineSums(false);
    w->model()->footerTexts();
    const double walkedSums = Bench::ms(t);
    const long afterWalk = Bench::rssKiB();

    fig.add("list_rows", dm.q_qczlb.recordCount(), "rows", 0);
    fig.add("list_first_screen_cold_ms", coldScreen, "ms");
    fig.add("list_query_open_cold_ms", coldOpen, "ms");
    fig.add("list_footer_cold_ms", coldFooter, "ms");
    fig.add("list_first_screen_warm_ms", warmScreen, "ms");
    fig.add("list_query_open_warm_ms", warmOpen, "ms");
    fig.add("list_footer_warm_ms", warmFooter, "ms");
    fig.add("list_keys_floor_warm_ms", keysFloor, "ms");
    fig.add("full_walk_floor_warm_ms", walkFloor, "ms");
    fig.add("list_window_extra", Bench::mib(afterScreen - before), "MiB", 0);
    fig.add("list_window_with_footer_extra", Bench::mib(afterFooter - before), "MiB", 0);
    fig.add("list_resort_first_screen_ms", resortScreen, "ms");
    fig.add("list_resort_footer_ms", resortFooter, "ms");
    fig.add("list_jump_last_ms", jumpLast, "ms");
    fig.add("footer_sums_by_walking_rows_ms", walkedSums, "ms");
    fig.add("list_window_after_walking_rows_extra", Bench::mib(afterWalk - before), "MiB", 0);
    fig.add("process_rss", Bench::mib(afterWalk), "MiB", 0);
    fig.print();
    return 0;
}
