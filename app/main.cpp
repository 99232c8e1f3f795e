// Program entry: application title, main window, data module, event loop.
// "--create-db [file]" is the creation step for a new database; "--screenshots <dir>" saves
// pictures of the login and the main window for the documentation.
#include "app/mainform.h"
#include "app/modules.h"
#include "app/shell.h"
#include "core/clock.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "data/settings.h"
#include "ui/common/translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>

namespace {
// The creation step needs no windows, so it also runs where there is no display.
int createDb(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int create = args.indexOf(QStringLiteral("--create-db"));
    const QString file = create + 1 < args.size() ? args[create + 1] : Paths::databaseFile();
    QString error;
    if (!createDatabase(file, Clock::today(), &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    std::printf("created %s\n", file.toLocal8Bit().constData());
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--create-db") == 0)
            return createDb(argc, argv);

    VelApplication app(argc, argv);
    const QStringList args = app.arguments();
    QApplication::setApplicationName(Shell::title());
    // Without the catalogue (package not installed) Qt's dialogs simply stay in English.
    Translations::installQtChinese();
    Shell::setupFonts();

    const int shots = args.indexOf(QStringLiteral("--screenshots"));
    if (shots >= 0)
        return Shell::screenshots(shots + 1 < args.size() ? args[shots + 1] : QStringLiteral("docs/screenshots"));

    TForm_main mainWindow;
    registerModules(&mainWindow);
    TDm1 dm;
    mainWindow.setDm(&dm);
    mainWindow.showMaximized();
    return app.exec();
}
