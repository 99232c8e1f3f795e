// Figures of the contract list on a large database (not a test):
//   bench_listwindow <database file>
// time to the first painted screen, memory of the window, footer sums, a re-sort.
#include "core/clock.h"
#include "data/datamodule.h"
#include "ui/records/listwindow.h"
#include "ui/records/recordgrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <cstdio>

namespace {
long rssKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}
double ms(QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }
} // namespace

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
    const long before = rssKiB();
    QElapsedTimer t;
    t.start();
    // As the command does: the window first, then the query.
    ListWindow w(*listWindowConfig(QStringLiteral("TForm_qczlb")), &dm);
    dm.q_qczlb.setSql({QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")});
    dm.q_qczlb.open();
    const double opened = ms(t);
    w.resize(1280, 800);
    w.show();
    const double shown = ms(t);
    const QStringList footer = w.model()->footerTexts();
    const double sums = ms(t);
    w.DBGridEh1->viewport()->repaint();
    app.processEvents();
    const double firstScreen = ms(t);
    std::printf("shown %.1f ms, engine footer sums %.1f ms, painted %.1f ms\n", shown - opened, sums - shown, firstScreen - sums);
    const long after = rssKiB();
    std::printf("rows %d, query open %.1f ms, first screen with footers %.1f ms, window %.1f MiB (process %.1f MiB)\n",
                dm.q_qczlb.recordCount(), opened, firstScreen, (after - before) / 1024.0, after / 1024.0);
    std::printf("footer: %s\n", footer.join(QStringLiteral(" | ")).toUtf8().constData());

    t.restart();
    w.DBGridEh1TitleClick(w.model()->columnIndexOf(QStringLiteral("车牌号")), Qt::NoModifier);
    w.model()->footerTexts();
    w.DBGridEh1->viewport()->repaint();
    app.processEvents();
    std::printf("re-sort by 车牌号 %.1f ms, process %.1f MiB\n", ms(t), rssKiB() / 1024.0);

    t.restart();
    dm.q_qczlb.last();
    w.DBGridEh1->viewport()->repaint();
    app.processEvents();
    std::printf("jump to the last row %.1f ms\n", ms(t));

    t.restart();
    w.model()->setEngineSums(false);
    w.model()->footerTexts();
    std::printf("footer sums by walking every row %.1f ms, process %.1f MiB\n", ms(t), rssKiB() / 1024.0);
    return 0;
}
