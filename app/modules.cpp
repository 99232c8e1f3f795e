#include "app/modules.h"
#include "app/mainform.h"

#ifdef VEL_HAVE_RECORDS
#include "ui/records/listwindow.h"
#endif
#ifdef VEL_HAVE_SHELLWINDOWS
#include "ui/shell/about.h"
#endif
#ifdef VEL_HAVE_ADMIN
#include "admin/admin.h"
#endif
#ifdef VEL_HAVE_ADMINSYS
#include "admin/system.h"
#endif
#ifdef VEL_HAVE_FLEET
#include "fleet/fleet.h"
#endif

// Each module adds its windows to the registry through one function. The generic list windows
// come first so that a module's own window replaces the generic one of the same class.
void registerModules(TForm_main* mainWindow)
{
#ifdef VEL_HAVE_RECORDS
    registerListWindows();
#endif
#ifdef VEL_HAVE_SHELLWINDOWS
    registerShellWindows();
#endif
#ifdef VEL_HAVE_ADMIN
    registerAdminWindows();
#endif
#ifdef VEL_HAVE_FLEET
    registerFleetWindows();
#endif
#ifdef VEL_HAVE_ADMINSYS
    registerSystemWindows();
    mainWindow->setRestoreCommand(
        [](QWidget* owner, TDm1* dm, const QString& home) { runRestoreCommand(owner, dm, home); });
#endif
    (void)mainWindow;
}
