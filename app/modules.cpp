#include "app/modules.h"
#include "admin/admin.h"
#include "admin/system.h"
#include "app/mainform.h"
#include "cash/cash.h"
#include "fleet/fleet.h"
#include "remind/remind.h"
#include "rental/rental.h"
#include "stats/stats.h"
#include "ui/records/listwindow.h"
#include "ui/shell/about.h"

void registerModules(TForm_main* mainWindow)
{
    // Modules first, with their configuration rows; then a generic list window for every row whose
    // module has no window of its own yet.
    registerShellWindows();
    registerAdminWindows();
    registerSystemWindows();
    registerFleetWindows();
    registerCashWindows();
    registerRentalWindows();
    registerStatsWindows();
    registerRemindWindows();
    registerListWindows();
    if (mainWindow)
        mainWindow->setRestoreCommand(
            [](QWidget* owner, TDm1* dm, const QString& home) { runRestoreCommand(owner, dm, home); });
}
