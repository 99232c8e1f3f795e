// Figures of the statistics and the reminder scan (not a test):
//   bench_stats <large database file> [work folder]
//   bench_stats <server database>        (runs on it directly: the reports only write 通用)
// BENCH_ONLY=<report> (e.g. vehicle_customer_income) measures that report alone.
// Every report run over one year of the large database and of a 50,000-contract copy of it (every
// fourth contract kept), each beside its floor: one warm walk of every row and column of the tables
// the report reads, measured in the same run. The copies are made in the work folder (a temporary
// one by default); the file named is only read.
#include "tools/benchutil.h"
#include "core/dates.h"
#include "data/datamodule.h"
#include "data/pgbackend.h"
#include "data/schema.h"
#include "remind/scan.h"
#include "stats/reports.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

using S = QString;

struct Run {
    const char* name;
    QStringList tables;
    std::function<void(Database&)> report;
};

// Best of three warm runs, after one untimed run.
double timed(const std::function<void()>& f)
{
    f();
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, Bench::ms(t));
    }
    return best;
}

double walk(Database& db, const QStringList& tables)
{
    sqlite3* h = Bench::handle(db);
    return timed([&] {
        for (const QString& t : tables) {
            if (h) {
                Bench::stepAll(h, S("select * from ") + t);
                continue;
            }
            // On a server: every column of every row read by the server itself (counting the
            // last column takes each row apart), as the file's floor steps every column; handing
            // every value to the program through the driver would cost twenty times more.
            const TableDef* def = Schema::table(t);
            QSqlQuery q(db.handle());
            q.exec(S("select count(\"%1\") from \"%2\"").arg(def->columns.back().name, t));
            q.next();
        }
    });
}

long long count(Database& db, const QString& sql)
{
    QSqlQuery q = db.run(sql);
    return q.next() ? q.value(0).toLongLong() : 0;
}

// The plate fragment whose vehicles are closest to a tenth of the fleet.
QString tenthOfFleet(Database& db)
{
    const long long fleet = count(db, S("select count(*) from 汽车档案"));
    QString best;
    long long bestDiff = fleet;
    QStringList candidates;
    for (QChar c : S("ABCDEFGH"))
        candidates << c;
    for (int i = 0; i < 100; ++i)
        candidates << S("%1").arg(i, 2, 10, QLatin1Char('0'));
    for (const QString& f : candidates) {
        const long long n = count(db, S("select count(*) from 汽车档案 where 车牌号 like '%") + f + S("%'"));
        if (std::llabs(n - fleet / 10) < bestDiff) {
            bestDiff = std::llabs(n - fleet / 10);
            best = f;
        }
    }
    return best;
}

void measure(Database& db, const char* prefix, Bench::Figures& figures)
{
    // The year in the middle of the contracts.
    const long long contracts = count(db, S("select count(*) from 汽车租赁登记表"));
    QSqlQuery y = db.run(S("select 发车日期 from 汽车租赁登记表 order by 发车日期 limit 1 offset %1").arg(contracts / 2));
    const QString year = y.next() ? QString::number(Dates::fromVariant(y.value(0)).date().year()) : S("2004");
    const QString from = year + S("-01-01"), to = year + S("-12-31");
    const QString fragment = tenthOfFleet(db);
    QSqlQuery last = db.run(S("select max(发车日期) from 汽车租赁登记表"));
    const QDate lastDay = last.next() ? Dates::fromVariant(last.value(0)).date() : QDate(2004, 1, 1);
    std::printf("%s: %lld contracts, year %s, plate fragment '%s' (%lld vehicles)\n", prefix, contracts, qPrintable(year),
                qPrintable(fragment), count(db, S("select count(*) from 汽车档案 where 车牌号 like '%") + fragment + S("%'")));

    Reports::IncomeCriteria income;
    income.dispatchFrom = from;
    income.dispatchTo = to;
    const Reports::VehicleCostCriteria all{
        .plate = fragment, .from = from, .to = to, .rental = true, .oil = true, .repair = true, .accident = true};
    const QString contractsT = S("汽车租赁登记表"), vehicles = S("汽车档案"), customers = S("客户登记表"), journal = S("现金日记帐"),
                  registers[] = {S("换油记录表"), S("车辆维修记录表"), S("事故登记表")};
    const std::vector<Run> runs = {
        {"vehicle_income", {contractsT, vehicles}, [&](Database& d) { Reports::vehicleIncome(d, income); }},
        {"customer_income", {contractsT, customers}, [&](Database& d) { Reports::customerIncome(d, income); }},
        {"vehicle_customer_income", {contractsT, vehicles, customers}, [&](Database& d) { Reports::vehicleCustomerIncome(d, income); }},
        {"handler_income", {contractsT, S("经办人信息")}, [&](Database& d) { Reports::handlerIncome(d, income); }},
        {"monthly_day1",
         {contractsT, journal},
         [&](Database& d) {
             Reports::monthlyIncome(d, {year, S("1"), false});
         }},
        {"monthly_day26",
         {contractsT, journal},
         [&](Database& d) {
             Reports::monthlyIncome(d, {year, S("26"), false});
         }},
        {"cash_by_summary",
         {journal, S("摘要")},
         [&](Database& d) {
             Reports::cashBySummary(d, {from, to});
         }},
        {"vehicle_detail",
         {contractsT, registers[0], registers[1], registers[2]},
         [&](Database& d) { Reports::vehicleDetail(d, all); }},
        {"vehicle_summary",
         {vehicles, contractsT, registers[0], registers[1], registers[2]},
         [&](Database& d) { Reports::vehicleSummary(d, all); }},
        // The reminder scan on the day of the last contract.
        {"reminder_scan", {vehicles, contractsT}, [&](Database& d) { Reminders::scan(d, lastDay); }},
    };
    for (const Run& r : runs) {
        if (qEnvironmentVariableIsSet("BENCH_ONLY") && qgetenv("BENCH_ONLY") != r.name)
            continue;
        const double floor = walk(db, r.tables);
        const double ms = timed([&] { r.report(db); });
        const long long rows = count(db, S("select count(*) from 通用"));
        std::printf("%s %s: %lld rows\n", prefix, r.name, rows);
        const std::string base = std::string(prefix) + "_" + r.name;
        figures.add((base + "_ms").c_str(), ms, "ms");
        figures.add((base + "_floor_ms").c_str(), floor, "ms");
        figures.add((base + "_ratio").c_str(), ms / floor, "x", 2);
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_stats <large database file> [work folder]\n");
        return 2;
    }
    Bench::Figures figures;
    if (PgLocation::isServer(args[0])) {
        TDm1 dm;
        if (!Bench::connect(dm, args[0]))
            return 1;
        measure(dm.ADO_qczl, "server", figures);
        figures.print();
        return 0;
    }
    QTemporaryDir tmp;
    const QString work = args.size() > 1 ? args[1] : tmp.path();
    QDir().mkpath(work);
    const QString large = QDir(work).filePath(S("stats_large.db")), small = QDir(work).filePath(S("stats_50k.db"));
    for (const QString& f : {large, small}) {
        QFile::remove(f);
        if (!QFile::copy(args[0], f)) {
            std::fprintf(stderr, "cannot copy %s to %s\n", qPrintable(args[0]), qPrintable(f));
            return 1;
        }
    }
    {
        TDm1 dm;
        if (!Bench::connect(dm, small))
            return 1;
        // Every fourth contract kept: 50,000 spread over the same years.
        Database& db = dm.ADO_qczl;
        const long long all = count(db, S("select count(*) from 汽车租赁登记表"));
        const long long keep = 50000;
        const long long step = std::max<long long>(1, all / keep);
        db.execute(S("delete from 汽车租赁登记表 where (__rk % %1) <> 0 or __rk > %2").arg(step).arg(keep * step));
        measure(db, "c50k", figures);
    }
    {
        TDm1 dm;
        if (!Bench::connect(dm, large))
            return 1;
        measure(dm.ADO_qczl, "large", figures);
    }
    figures.print();
    return 0;
}
