#pragma once
// Every module's configuration rows, as the program registers them at start.
#include "admin/admin.h"
#include "cash/cash.h"
#include "fleet/fleet.h"
#include "remind/remind.h"
#include "rental/rental.h"
#include "stats/stats.h"

inline void addAllConfigs()
{
    addFleetConfigs();
    addCashConfigs();
    addAdminConfigs();
    addRentalConfigs();
    addStatsConfigs();
    addRemindConfigs();
}
