#include "rental/rental.h"
#include "rental/backoffice.h"
#include "rental/bookings.h"
#include "rental/customers.h"
#include "rental/fineswindow.h"
#include "rental/papers.h"
#include "rental/handoverdialog.h"
#include "rental/plannerwindow.h"
#include "ui/records/windowspec.h"

void registerRentalWindows()
{
    addRentalQueryDialogs();
    registerWindow<TForm_hyzlb>();
    registerWindow<TForm_hyzlb_edit>();
    registerWindow<TForm_khydqc>();
    registerWindow<TForm_khydqc_edit>();
    registerWindow<TForm_qczlb>();
    registerWindow<TForm_qczlb_edit>();
    registerWindow<TForm_qczl_fkqk>();
    registerWindow<TForm_qczl_fkqk_edit>();
    registerWindow<TForm_qczljcb>();
    registerWindow<TForm_qczljcb_edit>();
    registerWindow<TForm_qczljsd>();
    registerWindow<TForm_qczljsd_edit>();
    registerWindow<TForm_qczlqkb>();
    registerWindow<TForm_qczlqkb_edit>();
    registerWindow<PlannerWindow>();
    registerWindow<DocumentFieldsHelp>();
    registerWindow<AccessoryChecklistWindow>();
    registerWindow<FinesWindow>();
}
