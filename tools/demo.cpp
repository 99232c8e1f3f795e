// Fills a new database with the demo office, or with a large one for benchmarks.
//   velmira_demo [--large] <database file>
#include "core/clock.h"
#include "demo/office.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool large = args.removeAll(QStringLiteral("--large")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: velmira_demo [--large] <database file>\n");
        return 2;
    }
    const DemoOffice::Sizes sizes = large ? DemoOffice::Large : DemoOffice::Small;
    QElapsedTimer t;
    t.start();
    QString error;
    if (!DemoOffice::create(args[0], sizes, Clock::today(), &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s: %d vehicles, %d customers, %d contracts in %.1f s\n", args[0].toLocal8Bit().constData(), sizes.vehicles,
                sizes.customers, sizes.contracts, t.elapsed() / 1000.0);
    return 0;
}
