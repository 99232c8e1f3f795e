// Registration of the reminder windows; each class's description is its spec() beside it.
#include "remind/remind.h"
#include "remind/businesssettingswindow.h"
#include "remind/txcsb.h"
#include "remind/txgn.h"
#include "ui/records/windowspec.h"

void registerRemindWindows()
{
    registerWindow<TForm_txcsb>();
    registerWindow<TForm_txcsb_edit>();
    registerWindow<TForm_txgn>();
    registerWindow<BusinessSettingsWindow>();
}
