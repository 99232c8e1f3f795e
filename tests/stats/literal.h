#pragma once
// The statistics computed the long way, as the loops of their descriptions read: one aggregate query
// per driving row through the shared queries, one appended row at a time. The tests hold the fast
// reports against these row by row.
#include "stats/reports.h"

class TDm1;

namespace Literal {
void vehicleIncome(TDm1& dm, const Reports::IncomeCriteria& c);
void customerIncome(TDm1& dm, const Reports::IncomeCriteria& c);
void vehicleCustomerIncome(TDm1& dm, const Reports::IncomeCriteria& c);
void handlerIncome(TDm1& dm, const Reports::IncomeCriteria& c);
void monthlyIncome(TDm1& dm, const Reports::MonthlyCriteria& c);
void cashBySummary(TDm1& dm, const Reports::PeriodCriteria& c);
void vehicleDetail(TDm1& dm, const Reports::VehicleCostCriteria& c);
void vehicleSummary(TDm1& dm, const Reports::VehicleCostCriteria& c);
}  // namespace Literal
