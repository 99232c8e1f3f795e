#pragma once
// Every module's window descriptions (and factories), as the program registers them at start.
#include "admin/admin.h"
#include "cash/cash.h"
#include "fleet/fleet.h"
#include "remind/remind.h"
#include "rental/rental.h"
#include "stats/stats.h"

inline void addAllConfigs()
{
    registerFleetWindows();
    registerCashWindows();
    registerAdminWindows();
    registerRentalWindows();
    registerStatsWindows();
    registerRemindWindows();
}
