#pragma once
// The spreadsheet import's window, registered for the command table.
void registerImportWindows();
