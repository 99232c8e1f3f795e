// Engine figures on a (large) database, side by side in one run:
//   velmira_bench <database file> [year]
// 1. open and walk the contract list as the list window reads it;
// 2. the per-vehicle income loop of the statistics (one sum query per vehicle);
// 3. the same income as one SQL pass; and one plain scan of the contracts table for scale.
#include "core/clock.h"
#include "core/sqltext.h"
#include "data/datamodule.h"

#include "tools/benchutil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
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
    QString error;
    if (!dm.connect(args[0], &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    const QString range = QStringLiteral("(发车日期 between cdate('%1-1-1 0:0:0') and cdate('%1-12-31 23:59:59'))").arg(year);
    try {
        QElapsedTimer t;

        // one full walk of the contracts table inside the engine (the summed column is in no index)
        t.start();
        dm.q_search.setSql({QStringLiteral("select sum(汽油费) as s, count(*) as n from 汽车租赁登记表")});
        dm.q_search.open();
        const double scan = Bench::ms(t);
        const qint64 rows = dm.q_search.asInteger(QStringLiteral("n"));
        dm.q_search.close();

        // the contract list as a list window opens it
        const bool skipList = qEnvironmentVariableIsSet("BENCH_SKIP_LIST");
        const long rss0 = Bench::rssKiB();
        t.restart();
        dm.q_qczlb.setSql({QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
        if (!skipList)
            dm.q_qczlb.open();
        const double open = Bench::ms(t);
        t.restart();
        Money total;
        dm.q_qczlb.disableControls();
        if (!skipList)
            for (dm.q_qczlb.first(); !dm.q_qczlb.eof(); dm.q_qczlb.next())
                total += dm.q_qczlb.asMoney(QStringLiteral("收费金额"));
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
            const QString cond = range + QStringLiteral("and(车牌号 like '") + sqlText(dm.q_qcda.asString(QStringLiteral("车牌号")))
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
            dm.q_jbr.setValue(QStringLiteral("经办人姓名"), QStringLiteral("bench%1").arg(i));
            dm.q_jbr.post();
            tx.commit();
        }
        const double save = Bench::ms(t) / saves;
        t.restart();
        for (int i = 0; i < saves; ++i) {
            Transaction tx(dm.ADO_qczl);
            dm.q_jbr.edit();
            dm.q_jbr.setValue(QStringLiteral("联系电话"), QStringLiteral("%1").arg(i));
            dm.q_jbr.post();
            tx.commit();
        }
        const double update = Bench::ms(t) / saves;
        dm.q_jbr.close();
        dm.ADO_qczl.execute(QStringLiteral("delete from 经办人信息 where 经办人姓名 like 'bench%'"));

        std::printf("contracts: %lld rows, vehicles: %d, year %d\n", rows, vehicles, year);
        std::printf("%-52s %10.1f ms\n", "full walk of the contracts table (sum, count)", scan);
        std::printf("%-52s %10.1f ms  (+%ld MiB)\n", "list: open select * ... order by 内部编号", open, (rss1 - rss0) / 1024);
        std::printf("%-52s %10.1f ms\n", "list: walk all rows reading 收费金额", walk);
        std::printf("%-52s %10.1f ms  (%d vehicles with income, %s)\n", "per-vehicle loop: one sum query per vehicle", loop,
                    withIncome, qPrintable(loopSum.toString()));
        std::printf("%-52s %10.1f ms  (%s)\n", "same income in one SQL pass (group by)", pass, qPrintable(passSum.toString()));
        std::printf("%-52s %10.2f ms\n", "one durable save (append + post, WAL, synchronous FULL)", save);
        std::printf("%-52s %10.2f ms\n", "one durable update (edit + checked post, one transaction)", update);
        std::printf("loop / full walk (open + walk) = %.2f, loop / table walk = %.2f\n", loop / (open + walk), loop / scan);
        (void)total;
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", e.text().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
