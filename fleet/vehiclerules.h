#pragma once
// The vehicle archive's rules without a window: the checks of a save, the deletion rule, the photo
// name. The edit dialog and the spreadsheet import both check through them.
#include <QDateTime>
#include <QString>
#include <optional>

class RecordSet;

namespace Fleet {
// The greatest reading the kilometre fields of a vehicle take.
inline constexpr double MaxKilometres = 500000;
}  // namespace Fleet

// The values of a vehicle that 存盘 checks.
struct VehicleValues {
    QString plate;
    QDateTime roadFeeBought, roadFeeUntil;
    QDateTime inspection, inspectionUntil;
    QDateTime insuranceBought, insuranceUntil;
    double service = 0;      // 二保里程
    double nextService = 0;  // 下次二保里程
};
VehicleValues vehicleValues(const RecordSet& row);

// A refused save: the message and the column whose field takes the focus.
struct SaveRefusal {
    QString message;
    QString column;
};
// The checks of 存盘 in their order; nullopt when the vehicle may be written.
std::optional<SaveRefusal> checkVehicle(const VehicleValues& v);

// A vehicle that has been rented out is never deleted, only taken out of service.
std::optional<QString> vehicleDeleteRefusal(bool started, const QString& plate);

// The photo name a save stores for a plate.
inline QString photoName(const QString& plate)
{
    return plate + QStringLiteral(".jpg");
}
