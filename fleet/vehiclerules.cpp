#include "fleet/vehiclerules.h"
#include "data/columns.h"
#include "data/recordset.h"

namespace {

// An expiry date earlier than its start date; an empty start date is the earliest of all, so it
// passes, and so does the same day.
bool endsBeforeStart(const QDateTime& start, const QDateTime& end)
{
    return end.isValid() && start.isValid() && end.date() < start.date();
}

}  // namespace

VehicleValues vehicleValues(const RecordSet& row)
{
    VehicleValues v;
    v.plate = row.asString(Col::车牌号);
    v.roadFeeBought = row.asDateTime(Col::养路费购买时间);
    v.roadFeeUntil = row.asDateTime(Col::养路费截止时间);
    v.inspection = row.asDateTime(Col::年审时间);
    v.inspectionUntil = row.asDateTime(Col::年审截止时间);
    v.insuranceBought = row.asDateTime(Col::保险购买时间);
    v.insuranceUntil = row.asDateTime(Col::保险截止时间);
    v.service = row.asFloat(Col::二保里程);
    v.nextService = row.asFloat(Col::下次二保里程);
    return v;
}

std::optional<SaveRefusal> checkVehicle(const VehicleValues& v)
{
    if (v.plate.trimmed().isEmpty())
        return SaveRefusal{QStringLiteral("车牌号不能为空,请重新输入!"), Col::车牌号};
    if (endsBeforeStart(v.roadFeeBought, v.roadFeeUntil))
        return SaveRefusal{QStringLiteral("养路费截止时间必须大于养路费购买时间，请重新输入！"), Col::养路费截止时间};
    if (endsBeforeStart(v.inspection, v.inspectionUntil))
        return SaveRefusal{QStringLiteral("年审截止时间必须大于年审时间，请重新输入！"), Col::年审截止时间};
    if (endsBeforeStart(v.insuranceBought, v.insuranceUntil))
        return SaveRefusal{QStringLiteral("保险截止时间必须大于保险购买时间，请重新输入！"), Col::保险截止时间};
    // No next service planned (0 or empty): nothing to compare.
    if (v.nextService > 0 && v.service > v.nextService)
        return SaveRefusal{QStringLiteral("下次二保里程必须大于二保里程，请重新输入！"), Col::二保里程};
    return std::nullopt;
}

std::optional<QString> vehicleDeleteRefusal(bool started, const QString& plate)
{
    if (started && !plate.isEmpty())
        return QStringLiteral("该车辆已经开始出租,不能删除,可以将该车停用!");
    return std::nullopt;
}
