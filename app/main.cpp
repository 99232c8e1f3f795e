// Program entry. "--create-db [file]" is the creation step for a new database.
#include "core/clock.h"
#include "data/creation.h"
#include "data/settings.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int create = args.indexOf(QStringLiteral("--create-db"));
    if (create >= 0) {
        const QString file = create + 1 < args.size() ? args[create + 1] : Paths::databaseFile();
        QString error;
        if (!createDatabase(file, Clock::today(), &error)) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return 1;
        }
        std::printf("created %s\n", file.toLocal8Bit().constData());
        return 0;
    }
    QApplication::setApplicationDisplayName(QStringLiteral("Velmira软件"));
    QMessageBox::information(nullptr, QStringLiteral("Velmira软件"), QStringLiteral("Velmira软件"));
    return 0;
}
