#include "app/modules.h"
#include "admin/admin.h"
#include "admin/auditlogwindow.h"
#include "admin/system.h"
#include "app/mainform.h"
#include "cash/cash.h"
#include "fleet/fleet.h"
#include "remind/remind.h"
#include "rental/rental.h"
#include "sheetimport/sheetimport.h"
#include "stats/stats.h"
#include "ui/records/listwindow.h"
#include "ui/shell/about.h"

void registerModules(TForm_main* mainWindow)
{
    // Every module's window classes with their descriptions; then a generic list window for a
    // configured list row that no class serves (its row is its description). windowProblems()
    // (app/windowcheck.h) then proves every command finds its window.
    registerShellWindows();
    registerAdminWindows();
    registerSystemWindows();
    registerAuditLogWindows();
    registerFleetWindows();
    registerCashWindows();
    registerRentalWindows();
    registerStatsWindows();
    registerRemindWindows();
    registerImportWindows();
    registerListWindows();
    if (mainWindow)
        mainWindow->setRestoreCommand([](QWidget* owner, TDm1* dm, const QString& home) { runRestoreCommand(owner, dm, home); });
}
