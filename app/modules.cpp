#include "app/modules.h"
#include "app/mainform.h"

#include "modules_generated.h"
#ifdef VEL_HAVE_ADMINSYS
#include "admin/system.h"
#endif

void registerModules(TForm_main* mainWindow)
{
    registerModuleWindows();
#ifdef VEL_HAVE_ADMINSYS
    // The maintenance module runs the whole 数据恢复 sequence around its restore window.
    if (mainWindow)
        mainWindow->setRestoreCommand(
            [](QWidget* owner, TDm1* dm, const QString& home) { runRestoreCommand(owner, dm, home); });
#else
    (void)mainWindow;
#endif
}
