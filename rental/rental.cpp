#include "rental/rental.h"
#include "rental/backoffice.h"
#include "rental/bookings.h"
#include "rental/customers.h"
#include "ui/common/windowregistry.h"

void registerRentalWindows()
{
    addRentalConfigs();
    WindowRegistry::add(QStringLiteral("TForm_hyzlb"), [](QWidget* owner, TDm1* dm) { return new TForm_hyzlb(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_khydqc"), [](QWidget* owner, TDm1* dm) { return new TForm_khydqc(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_qczlb"), [](QWidget* owner, TDm1* dm) { return new TForm_qczlb(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_qczl_fkqk"), [](QWidget* owner, TDm1* dm) { return new TForm_qczl_fkqk(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_qczljcb"), [](QWidget* owner, TDm1* dm) { return new TForm_qczljcb(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_qczljsd"), [](QWidget* owner, TDm1* dm) { return new TForm_qczljsd(owner, dm); });
    WindowRegistry::add(QStringLiteral("TForm_qczlqkb"), [](QWidget* owner, TDm1* dm) { return new TForm_qczlqkb(owner, dm); });
}
