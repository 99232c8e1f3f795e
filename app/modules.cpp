#include "app/modules.h"
#include "admin/admin.h"
#include "admin/system.h"
#include "app/mainform.h"
#include "fleet/fleet.h"
#include "ui/records/listwindow.h"
#include "ui/shell/about.h"

void registerModules(TForm_main* mainWindow)
{
    // Generic list windows first: a module's own window replaces the generic one of its class.
    registerListWindows();
    registerShellWindows();
    registerAdminWindows();
    registerSystemWindows();
    registerFleetWindows();
    if (mainWindow)
        mainWindow->setRestoreCommand(
            [](QWidget* owner, TDm1* dm, const QString& home) { runRestoreCommand(owner, dm, home); });
}
