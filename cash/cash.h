#pragma once
// Cash windows: the cash journal and its summary codes.
// The query dialog of the journal (configured, no class of its own).
void addCashQueryDialogs();
// Registers each window class with its description and factory, and the query dialog.
void registerCashWindows();
