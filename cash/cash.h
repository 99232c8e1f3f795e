#pragma once
// Cash windows: the cash journal and its summary codes.
void addCashConfigs();
// Adds the rows and the window factories of the cash journal.
void registerCashWindows();
