// Figures of the availability planner on a large database (not a test):
//   bench_planner <database file or server database>
// Opening the planner on four weeks from today − 3 (the window built, the vehicles and bookings
// read, the first screen painted), a repaint of a full screen, a month further (the span moved and
// painted again, no database read), and a reload (刷新). The floor beside them: the same rows read
// by the same statements, stepped through the engine's C API (on a server through the driver's
// plain forward-only query), warm. Ends with "figure <name> <value> <unit>" lines.
#include "core/clock.h"
#include "rental/planner.h"
#include "rental/plannerwindow.h"
#include "rental/rental.h"
#include "tools/benchutil.h"
#include "tools/benchwindow.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

void paintNow(PlannerWindow& w)
{
    w.view()->viewport()->repaint();
    QCoreApplication::processEvents();
}

// The rows Planner::read asks for, read through the engine alone.
long long readFloor(Database& db)
{
    const Planner::Statements& s = Planner::statements();
    long long rows = 0;
    for (const QString& sql : {s.contracts, s.reservations, s.phones, s.vehicles})
        rows += Bench::stepAll(db, db.translate(sql));
    return rows;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[])
{
    Clock::pinLocalZone();  // as the program does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerRentalWindows();
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_planner <database file>\n");
        return 2;
    }
    TDm1 dm;
    if (!Bench::connect(dm, QString::fromLocal8Bit(argv[1])))
        return 1;
    Bench::Figures fig;
    QElapsedTimer t;

    Bench::showFirstWindow();
    readFloor(dm.ADO_qczl);  // untimed: the tables into the cache, as for the window's opens below

    // Opening: the first in this process, then the median of five more.
    std::vector<double> opens;
    std::unique_ptr<PlannerWindow> w;
    for (int i = 0; i < 6; ++i) {
        w.reset();
        t.start();
        w = std::make_unique<PlannerWindow>(nullptr, &dm);
        w->resize(1400, 900);
        w->show();
        paintNow(*w);
        opens.push_back(Bench::ms(t));
    }
    const double firstOpen = opens.front();
    const double warmOpen = median(std::vector<double>(opens.begin() + 1, opens.end()));
    const int rows = int(w->plan().rows.size());
    int bars = 0;
    for (const Planner::VehicleRow& r : w->plan().rows)
        bars += int(r.bars.size());

    std::vector<double> repaints;
    for (int i = 0; i < 20; ++i) {
        t.restart();
        paintNow(*w);
        repaints.push_back(Bench::ms(t));
    }

    // A month further, and back, each painted.
    const QDate start = w->plan().start;
    std::vector<double> scrolls;
    for (int i = 0; i < 10; ++i) {
        t.restart();
        w->setSpan(start.addMonths(i % 2 == 0 ? 1 : 0), 28);
        paintNow(*w);
        scrolls.push_back(Bench::ms(t));
    }

    std::vector<double> reloads;
    for (int i = 0; i < 5; ++i) {
        t.restart();
        w->reload();
        paintNow(*w);
        reloads.push_back(Bench::ms(t));
    }

    std::vector<double> reads;
    for (int i = 0; i < 5; ++i) {
        t.restart();
        const Planner::Snapshot snapshot = Planner::read(dm.ADO_qczl, Clock::now());
        reads.push_back(Bench::ms(t));
    }

    std::vector<double> floors;
    long long floorRows = 0;
    for (int i = 0; i < 5; ++i) {
        t.restart();
        floorRows = readFloor(dm.ADO_qczl);
        floors.push_back(Bench::ms(t));
    }
    const double floor = median(floors);
    std::printf("%d vehicles shown, %d bars in the span, %lld rows read by the floor\n", rows, bars, floorRows);
    if (floorRows <= 0) {
        std::fprintf(stderr, "floor statements failed\n");
        return 1;
    }

    fig.add("planner_vehicles", rows, "rows", 0);
    fig.add("planner_open_4w_first_ms", firstOpen, "ms");
    fig.add("planner_open_4w_ms", warmOpen, "ms");
    fig.add("planner_repaint_ms", median(repaints), "ms");
    fig.add("planner_month_further_ms", median(scrolls), "ms");
    fig.add("planner_reload_ms", median(reloads), "ms");
    fig.add("planner_read_ms", median(reads), "ms");
    fig.add("planner_rows_floor_warm_ms", floor, "ms");
    fig.add("planner_read_to_floor", median(reads) / floor, "x", 2);
    fig.add("planner_open_to_floor", warmOpen / floor, "x", 2);
    fig.add("planner_month_further_to_floor", median(scrolls) / floor, "x", 2);
    fig.add("planner_repaint_to_floor", median(repaints) / floor, "x", 2);
    fig.print();
    return 0;
}
