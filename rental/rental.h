#pragma once
// Rental windows: customers, the customer search, reservations and contracts have their own
// windows; the later stages open as plain list windows over their configuration rows.
void addRentalConfigs();
void registerRentalWindows();
