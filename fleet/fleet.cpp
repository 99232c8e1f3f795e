#include "fleet/fleet.h"
#include "fleet/hyjlb.h"
#include "fleet/qcda.h"
#include "fleet/sgjlb.h"
#include "fleet/wxjlb.h"
#include "ui/common/windowregistry.h"

void registerFleetWindows()
{
    WindowRegistry::add(QStringLiteral("TForm_qcda"), [](QWidget* owner, TDm1* dm) { return new TForm_qcda(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_hyjlb"), [](QWidget* owner, TDm1* dm) { return new TForm_hyjlb(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_wxjlb"), [](QWidget* owner, TDm1* dm) { return new TForm_wxjlb(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_sgjlb"), [](QWidget* owner, TDm1* dm) { return new TForm_sgjlb(owner, dm); });
}
