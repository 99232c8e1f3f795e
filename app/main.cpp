// Program entry: working folder, application title, main window, data module, event loop.
// The working folder is ~/.local/share/velmira (created with its database on the very first start),
// "--workdir <dir>" another one, "--demo [dir]" a demo office (~/.local/share/velmira/demo).
// "--database <location>" names the database (a file or a postgresql:// server address) instead of
// data/connection.ini or data/qczl.db; "--create-db [location]" is the creation step for a new
// database; "--copy-db <from> <to>" copies every table into a new database; "--version" prints the
// version; "--screenshots <dir>" saves pictures of the login and the main window for the
// documentation. Files named on the command line are relative to the folder the program started in.
#include "app/mainform.h"
#include "app/modules.h"
#include "app/shell.h"
#include "app/windowcheck.h"
#include "app/workfolder.h"
#include "core/clock.h"
#include "data/copy.h"
#include "data/creation.h"
#include "data/datamodule.h"
#include "data/pgbackend.h"
#include "data/settings.h"
#include "ui/common/messages.h"
#include "ui/common/translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <cstdio>

namespace {
QString argAfter(const QStringList& args, const QString& option, int n = 1)
{
    const int i = args.indexOf(option);
    return i >= 0 && i + n < args.size() && !args[i + n].startsWith(QLatin1String("--")) ? args[i + n] : QString();
}

// The working folder named on the command line, else the program's own one; false when the
// arguments are wrong (printed).
bool chooseFolder(const QStringList& args, const QString& start, QString* folder)
{
    if (!args.contains(QStringLiteral("--workdir"))) {
        *folder = WorkFolder::own();
        return true;
    }
    *folder = WorkFolder::fromCommandLine(argAfter(args, QStringLiteral("--workdir")), start);
    if (folder->isEmpty()) {
        std::fprintf(stderr, "usage: velmira --workdir <folder>\n");
        return false;
    }
    return true;
}

// The creation and copy steps need no windows, so they also run where there is no display.
int databaseTool(int argc, char* argv[], const QString& start)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString error;
    if (args.contains(QStringLiteral("--copy-db"))) {
        const QString from = WorkFolder::fromCommandLine(argAfter(args, QStringLiteral("--copy-db"), 1), start);
        const QString to = WorkFolder::fromCommandLine(argAfter(args, QStringLiteral("--copy-db"), 2), start);
        if (from.isEmpty() || to.isEmpty()) {
            std::fprintf(stderr, "usage: velmira --copy-db <from> <to>\n");
            return 2;
        }
        if (!DbCopy::copy(from, to, &error)) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return 1;
        }
        std::printf("copied to %s\n", PgLocation::display(to).toLocal8Bit().constData());
        return 0;
    }
    const QString given = WorkFolder::fromCommandLine(argAfter(args, QStringLiteral("--create-db")), start);
    // Without a location: the database the working folder's program would open.
    if (given.isEmpty()) {
        QString folder;
        if (!chooseFolder(args, start, &folder))
            return 2;
        if (!WorkFolder::enter(folder, &error)) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return 1;
        }
    }
    const QString location = given.isEmpty() ? Paths::databaseFile() : given;
    if (!createDatabase(location, Clock::today(), &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    std::printf("created %s\n", PgLocation::display(location).toLocal8Bit().constData());
    return 0;
}
}  // namespace

int main(int argc, char* argv[])
{
    Clock::pinLocalZone();
    // Before anything changes folder: relative paths are the shell's.
    const QString start = QDir::currentPath();
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--version") == 0) {
            std::printf("velmira %s\n", VEL_VERSION);
            return 0;
        }
        if (qstrcmp(argv[i], "--database") == 0 && i + 1 < argc)
            Paths::setDatabase(WorkFolder::fromCommandLine(QString::fromLocal8Bit(argv[i + 1]), start));
    }
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--create-db") == 0 || qstrcmp(argv[i], "--copy-db") == 0)
            return databaseTool(argc, argv, start);

    VelApplication app(argc, argv);
    const QStringList args = app.arguments();
    // The desktop entry's name: the window manager groups our windows under it.
    QApplication::setApplicationName(QStringLiteral("velmira"));
    QGuiApplication::setDesktopFileName(QStringLiteral("velmira"));
    // The installed icon (hicolor theme) on every window and in the task bar; none in a build tree.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("velmira")));
    // Without the catalogue (package not installed) Qt's dialogs simply stay in English.
    Translations::installQtChinese();
    Shell::setupFonts();

    QString error;
    const int demo = args.indexOf(QStringLiteral("--demo"));
    if (demo >= 0) {
        const QString given = argAfter(args, QStringLiteral("--demo"));
        if (!WorkFolder::prepareDemo(given.isEmpty() ? WorkFolder::demo() : WorkFolder::fromCommandLine(given, start), &error)) {
            Msg::error(nullptr, error);
            return 1;
        }
    } else {
        QString folder;
        if (!chooseFolder(args, start, &folder))
            return 2;
        // Only the own folder is set up on its first start; a folder named by hand is used as it is.
        if (!WorkFolder::enter(folder, &error)
            || (!args.contains(QStringLiteral("--workdir")) && !WorkFolder::prepareFirstStart(&error))) {
            Msg::error(nullptr, error);
            return 1;
        }
    }

    const int shots = args.indexOf(QStringLiteral("--screenshots"));
    if (shots >= 0)
        return Shell::screenshots(
            WorkFolder::fromCommandLine(shots + 1 < args.size() ? args[shots + 1] : QStringLiteral("docs/screenshots"), start));

    TForm_main mainWindow;
    registerModules(&mainWindow);
    // A window left without its description stops here, not when a clerk opens it.
    if (const QStringList problems = windowProblems(); !problems.isEmpty()) {
        Msg::error(nullptr, QStringLiteral("窗口描述不全，请与软件公司联系！\n") + problems.join(QLatin1Char('\n')));
        return 1;
    }
    TDm1 dm;
    mainWindow.setDm(&dm);
    mainWindow.showMaximized();
    return app.exec();
}
