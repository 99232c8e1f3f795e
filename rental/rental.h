#pragma once
// Rental windows: customers, the customer search, reservations, contracts and the later stages.
struct QueryDialogConfig;
// The query dialogs of the rental lists (configured, no class of their own).
void addRentalQueryDialogs();
// The customer register's 查找 dialog, used directly by its window.
const QueryDialogConfig& customerQueryDialog();
// Registers each window class with its description and factory, and the query dialogs.
void registerRentalWindows();
