// Program entry: application title, main window, data module, event loop.
// "--database <location>" names the database (a file or a postgresql:// server address) instead of
// data/connection.ini or data/qczl.db; "--create-db [location]" is the creation step for a new
// database; "--copy-db <from> <to>" copies every table into a new database; "--screenshots <dir>"
// saves pictures of the login and the main window for the documentation.
#include "app/mainform.h"
#include "app/modules.h"
#include "app/shell.h"
#include "app/windowcheck.h"
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
#include <cstdio>

namespace {
QString argAfter(const QStringList& args, const QString& option, int n = 1)
{
    const int i = args.indexOf(option);
    return i >= 0 && i + n < args.size() && !args[i + n].startsWith(QLatin1String("--")) ? args[i + n] : QString();
}

// The creation and copy steps need no windows, so they also run where there is no display.
int databaseTool(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString error;
    if (args.contains(QStringLiteral("--copy-db"))) {
        const QString from = argAfter(args, QStringLiteral("--copy-db"), 1);
        const QString to = argAfter(args, QStringLiteral("--copy-db"), 2);
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
    const QString given = argAfter(args, QStringLiteral("--create-db"));
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
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--database") == 0 && i + 1 < argc)
            Paths::setDatabase(QString::fromLocal8Bit(argv[i + 1]));
    }
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--create-db") == 0 || qstrcmp(argv[i], "--copy-db") == 0)
            return databaseTool(argc, argv);

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
