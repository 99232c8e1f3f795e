// Figures of the contract list on a large database (not a test):
//   bench_listwindow <database file>
// time to the first painted screen, memory of the window, footer sums, a re-sort.
#include "tools/benchutil.h"
#include "core/clock.h"
#include "data/datamodule.h"
#include "ui/records/listwindow.h"
#include "ui/records/recordgrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <cstdio>


int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_listwindow <database file>\n");
        return 2;
    }
    TDm1 dm;
    QString error;
    if (!dm.connect(QString::fromLocal8Bit(argv[1]), &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    const long before = Bench::rssKiB();
    QElapsedTimer t;
    t.start();
    // As the command does: the window first, then the query.
    ListWindow w(*listWindowConfig(QStringLiteral("TForm_qczlb")), &dm);
    dm.q_qczlb.setSql({QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
    dm.q_qczlb.open();
    const double opened = Bench::ms(t);
    w.resize(1280, 800);
    w.show();
    const double shown = Bench::ms(t);
    const QStringList footer = w.model()->footerTexts();
    const double sums = Bench::ms(t);
    w.grid->viewport()->repaint();
    app.processEvents();
    const double firstScreen = Bench::ms(t);
    std::printf("shown %.1f ms, engine footer sums %.1f ms, painted %.1f ms\n", shown - opened, sums - shown, firstScreen - sums);
    const long after = Bench::rssKiB();
    std::printf("rows %d, query open %.1f ms, first screen with footers %.1f ms, window %.1f MiB (process %.1f MiB)\n",
                dm.q_qczlb.recordCount(), opened, firstScreen, (after - before) / 1024.0, after / 1024.0);
    std::printf("footer: %s\n", footer.join(QStringLiteral(" | ")).toUtf8().constData());

    t.restart();
    w.onTitleClick(w.model()->columnIndexOf(QStringLiteral("车牌号")), Qt::NoModifier);
    w.model()->footerTexts();
    w.grid->viewport()->repaint();
    app.processEvents();
    std::printf("re-sort by 车牌号 %.1f ms, process %.1f MiB\n", Bench::ms(t), Bench::rssKiB() / 1024.0);

    t.restart();
    dm.q_qczlb.last();
    w.grid->viewport()->repaint();
    app.processEvents();
    std::printf("jump to the last row %.1f ms\n", Bench::ms(t));

    t.restart();
    w.model()->setEngineSums(false);
    w.model()->footerTexts();
    std::printf("footer sums by walking every row %.1f ms, process %.1f MiB\n", Bench::ms(t), Bench::rssKiB() / 1024.0);
    return 0;
}
