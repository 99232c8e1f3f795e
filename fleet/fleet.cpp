#include "fleet/fleet.h"
#include "fleet/qcda.h"
#include "fleet/registers.h"
#include "ui/common/windowregistry.h"

void registerFleetWindows()
{
    addFleetConfigs();
    WindowRegistry::add(QStringLiteral("TForm_qcda"), [](QWidget* owner, TDm1* dm) { return new TForm_qcda(owner, dm); });
    for (const char* cls : {"TForm_hyjlb", "TForm_wxjlb", "TForm_sgjlb"}) {
        const RegisterConfig* config = registerConfig(QString::fromLatin1(cls));
        WindowRegistry::add(config->listClass,
                            [config](QWidget* owner, TDm1* dm) { return new RegisterWindow(*config, dm, owner); });
    }
}
