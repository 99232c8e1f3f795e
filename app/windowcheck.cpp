#include "app/windowcheck.h"
#include "app/commands.h"
#include "stats/statswindow.h"
#include "ui/common/windowregistry.h"
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"
#include "ui/records/querydialog.h"

#include <QMetaObject>

QStringList windowProblems()
{
    QStringList problems;
    for (const Command& c : Commands::table()) {
        if (!c.window)
            continue;
        const QString name = Commands::windowClass(c);
        const QString where = c.menuItem + QLatin1Char(' ') + name + QStringLiteral(": ");
        // The password change and the operator switch are made by the main window itself.
        if (c.kind != CommandKind::PasswordChange && c.kind != CommandKind::Switch && !WindowRegistry::find(name))
            problems << where + QStringLiteral("没有登记窗口");
        if (c.window->inherits(&EditDialog::staticMetaObject) && !editDialogConfig(name))
            problems << where + QStringLiteral("没有窗口描述");
        if (!c.window->inherits(&ListWindow::staticMetaObject))
            continue;
        const ListWindowConfig* list = listWindowConfig(name);
        if (!list) {
            problems << where + QStringLiteral("没有窗口描述");
            continue;
        }
        // A statistics window's 统计 opens the criteria dialog its own description holds.
        if (list->has(ListButton::Query) && !c.window->inherits(&StatsWindow::staticMetaObject)) {
            const QString dialog = list->queryDialog.isEmpty() ? name + QStringLiteral("_cx") : list->queryDialog;
            if (!queryDialogConfig(dialog))
                problems << where + dialog + QStringLiteral(" 没有查询窗口描述");
        }
    }
    return problems;
}
