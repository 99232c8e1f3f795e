// Engine figures on a (large) database, side by side in one run:
//   velmira_bench <database file> [year]
// 1. one full walk of the contracts table, first as the first statement of the run (it pays the
//    page-cache fill when the system's cache is cold), then warm: the floor of the figures below;
// 2. open and walk the contract list as the list window reads it, memory after each;
// 3. the per-vehicle income loop of the statistics (one sum query per vehicle), beside the same
//    statements stepped through the engine's C API, and the same income as one SQL pass;
// 4. durable saves and updates as an edit dialog writes them, beside a bare commit of the engine;
// and the time the connection took (an older database is upgraded by it).
// Ends with "figure <name> <value> <unit>" lines.
#include <QSqlQuery>
#include "core/clock.h"
#include "core/sqltext.h"
#include "data/columns.h"
#include "data/datamodule.h"

#include "tools/benchutil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>


int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: velmira_bench <database file> [year]\n");
        return 2;
    }
    const int year = args.size() > 1 ? args[1].toInt() : Clock::today().year() - 1;
    TDm1 dm;
    // Opening includes bringing a database of an older version up to date (once, in one transaction).
    QElapsedTimer opening;
    opening.start();
    if (!Bench::connect(dm, args[0]))
        return 1;
    const double connectMs = Bench::ms(opening);
    const QString range = QStringLiteral("(发车日期 between cdate('%1-1-1 0:0:0') and cdate('%1-12-31 23:59:59'))").arg(year);
    try {
        QElapsedTimer t;

        Bench::Figures fig;
        sqlite3* engine = Bench::handle(dm.ADO_qczl);

        // one full walk of the contracts table inside the engine (the summed column is in no index);
        // the first also reads the file into the page cache, the second is the warm floor
        dm.q_search.setSql({QStringLiteral("select sum(汽油费) as s, count(*) as n from 汽车租赁登记表")});
        t.start();
        dm.q_search.open();
        const double scanFirst = Bench::ms(t);
        const qint64 rows = dm.q_search.asInteger(QStringLiteral("n"));
        dm.q_search.close();
        t.restart();
        dm.q_search.open();
        const double scan = Bench::ms(t);
        dm.q_search.close();

        // the contract list as a list window opens it
        const bool skipList = qEnvironmentVariableIsSet("BENCH_SKIP_LIST");
        const long rss0 = Bench::rssKiB();
        t.restart();
        dm.q_qczlb.setSql({QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
        if (!skipList)
            dm.q_qczlb.open();
        const double open = Bench::ms(t);
        const long rssOpen = Bench::rssKiB();
        t.restart();
        Money total;
        dm.q_qczlb.disableControls();
        if (!skipList)
            for (dm.q_qczlb.first(); !dm.q_qczlb.eof(); dm.q_qczlb.next())
                total += dm.q_qczlb.asMoney(Col::收费金额);
        dm.q_qczlb.enableControls();
        const double walk = Bench::ms(t);
        const long rss1 = Bench::rssKiB();
        dm.q_qczlb.close();

        // per-vehicle loop, exactly as the statistics run builds its queries
        t.restart();
        dm.q_qcda.setSql({QStringLiteral("select * from "), QStringLiteral("汽车档案"), QStringLiteral("order by 车牌号")});
        dm.q_qcda.open();
        int vehicles = 0, withIncome = 0;
        Money loopSum;
        for (dm.q_qcda.first(); !dm.q_qcda.eof(); dm.q_qcda.next()) {
            ++vehicles;
            const QString cond = range + QStringLiteral("and(车牌号 like '") + sqlText(dm.q_qcda.asString(Col::车牌号))
                                 + QStringLiteral("%')");
            dm.q_qczlb.close();
            dm.q_qczlb.clearSql();
            dm.q_qczlb.addSql(QStringLiteral("select sum(押金) as yj,sum(预收租金) as yszj,sum(租赁期限) as zlqx,"));
            dm.q_qczlb.addSql(QStringLiteral("sum(收费金额) as sfje,sum(实收金额) as ysje from 汽车租赁登记表"));
            dm.q_qczlb.addSql(QStringLiteral(" where "));
            dm.q_qczlb.addSql(cond);
            dm.q_qczlb.open();
            const Money s = dm.q_qczlb.asMoney(QStringLiteral("sfje"));
            if (s > Money()) {
                ++withIncome;
                loopSum += s;
            }
        }
        dm.q_qczlb.close();
        dm.q_qcda.close();
        const double loop = Bench::ms(t);

        // the same statements stepped through the engine's C API: the floor of the loop
        t.restart();
        long long floorRows = 0;
        const QStringList plates = Bench::firstColumn(dm.ADO_qczl, QStringLiteral("select 车牌号 from 汽车档案 order by 车牌号"));
        for (const QString& plate : plates) {
            const QString cond = range + QStringLiteral("and(车牌号 like '") + sqlText(plate) + QStringLiteral("%')");
            floorRows += Bench::stepAll(
                dm.ADO_qczl,
                dm.ADO_qczl.translate(
                    QStringLiteral("select sum(押金) as yj,sum(预收租金) as yszj,sum(租赁期限) as zlqx,sum(收费金额) as sfje,"
                                   "sum(实收金额) as ysje from 汽车租赁登记表 where ")
                    + cond));
        }
        const double loopFloor = Bench::ms(t);
        if (floorRows != vehicles)
            throw DbError(QStringLiteral("per-vehicle floor: %1 rows for %2 vehicles").arg(floorRows).arg(vehicles));

        // the same income in one pass
        t.restart();
        dm.q_search.setSql({QStringLiteral("select 车牌号, sum(收费金额) as sfje from 汽车租赁登记表 where ") + range,
                            QStringLiteral("group by 车牌号")});
        dm.q_search.open();
        Money passSum;
        for (dm.q_search.first(); !dm.q_search.eof(); dm.q_search.next())
            if (dm.q_search.asMoney(QStringLiteral("sfje")) > Money())
                passSum += dm.q_search.asMoney(QStringLiteral("sfje"));
        dm.q_search.close();
        const double pass = Bench::ms(t);

        // durable saves as an edit dialog writes them: one transaction per save, a new row, then a
        // change of it addressed by key and by the value read (the optimistic check)
        dm.q_jbr.setSql({QStringLiteral("select * from 经办人信息 order by 经办人姓名")});
        dm.q_jbr.open();
        const int saves = 200;
        t.restart();
        for (int i = 0; i < saves; ++i) {
            Transaction tx(dm.ADO_qczl);
            dm.q_jbr.append();
            dm.q_jbr.setValue(Col::经办人姓名, QStringLiteral("bench%1").arg(i));
            dm.q_jbr.post();
            tx.commit();
        }
        const double save = Bench::ms(t) / saves;
        t.restart();
        for (int i = 0; i < saves; ++i) {
            Transaction tx(dm.ADO_qczl);
            dm.q_jbr.edit();
            dm.q_jbr.setValue(Col::联系电话, QStringLiteral("%1").arg(i));
            dm.q_jbr.post();
            tx.commit();
        }
        const double update = Bench::ms(t) / saves;
        dm.q_jbr.close();
        // the same saves into an audited table: the row and its log rows (one per column written)
        dm.q_search.setSql({QStringLiteral("select * from 客户登记表 where 客户号 like 'bench%'")});
        dm.q_search.open();
        t.restart();
        for (int i = 0; i < saves; ++i) {
            Transaction tx(dm.ADO_qczl);
            dm.q_search.append();
            dm.q_search.setValue(Col::客户号, QStringLiteral("bench%1").arg(i));
            dm.q_search.setValue(Col::客户姓名, QStringLiteral("bench%1").arg(i));
            dm.q_search.post();
            tx.commit();
        }
        const double logged = Bench::ms(t) / saves;
        dm.q_search.close();
        dm.ADO_qczl.execute(QStringLiteral("delete from 客户登记表 where 客户号 like 'bench%'"));
        dm.ADO_qczl.execute(QStringLiteral("delete from 操作日志 where 记录编号 like 'bench%'"));
        // a bare durable commit of one row through the C API: the floor of both
        t.restart();
        for (int i = 0; i < saves; ++i) {
            const QByteArray sql =
                QStringLiteral("BEGIN IMMEDIATE; INSERT INTO 经办人信息 (经办人姓名) VALUES ('benchfloor%1'); COMMIT").arg(i).toUtf8();
            if (!engine) {
                Transaction tx(dm.ADO_qczl);
                dm.ADO_qczl.runNative(QStringLiteral("INSERT INTO 经办人信息 (经办人姓名) VALUES ('benchfloor%1')").arg(i));
                tx.commit();
            } else if (sqlite3_exec(engine, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
                throw DbError(QString::fromUtf8(sqlite3_errmsg(engine)));
        }
        const double commitFloor = Bench::ms(t) / saves;
        dm.ADO_qczl.execute(QStringLiteral("delete from 经办人信息 where 经办人姓名 like 'bench%'"));

        std::printf("contracts: %lld rows, vehicles: %d (%d with income, loop %s, one pass %s), year %d\n", rows, vehicles, withIncome,
                    qPrintable(loopSum.toString()), qPrintable(passSum.toString()), year);
        (void)total;
        fig.add("contracts", double(rows), "rows", 0);
        fig.add("connect_ms", connectMs, "ms");
        fig.add("full_walk_first_ms", scanFirst, "ms");
        fig.add("full_walk_floor_warm_ms", scan, "ms");
        if (!skipList) {
            fig.add("list_open_ms", open, "ms");
            fig.add("list_open_extra", Bench::mib(rssOpen - rss0), "MiB", 0);
            fig.add("list_walk_ms", walk, "ms");
            fig.add("list_walk_extra", Bench::mib(rss1 - rss0), "MiB", 0);
        }
        fig.add("per_vehicle_loop_ms", loop, "ms");
        fig.add("per_vehicle_loop_floor_c_api_ms", loopFloor, "ms");
        fig.add("one_pass_ms", pass, "ms");
        fig.add("durable_save_ms", save, "ms", 2);
        fig.add("durable_save_logged_ms", logged, "ms", 2);
        fig.add("durable_update_ms", update, "ms", 2);
        fig.add("durable_commit_floor_c_api_ms", commitFloor, "ms", 2);
        fig.print();
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", e.text().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
