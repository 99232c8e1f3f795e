#include "fleet/fleet.h"
#include "fleet/qcda.h"
#include "fleet/registers.h"
#include "ui/records/windowspec.h"

void registerFleetWindows()
{
    registerWindow<TForm_qcda>();
    registerWindow<TForm_qcda_edit>();
    registerWindow<TForm_hyjlb>();
    registerWindow<TForm_wxjlb>();
    registerWindow<TForm_sgjlb>();
}
