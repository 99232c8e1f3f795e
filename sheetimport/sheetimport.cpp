#include "sheetimport/sheetimport.h"
#include "sheetimport/importwindow.h"
#include "ui/records/windowspec.h"

void registerImportWindows()
{
    registerWindow<SpreadsheetImportWindow>();
}
