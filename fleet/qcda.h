#pragma once
// Vehicle archive: the fleet register 汽车档案, its list and its edit dialog with the photo page.
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"

#include <QDateTime>
#include <optional>

class PhotoArea;
class PhotoPanel;
class QPushButton;

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

class TForm_qcda : public ListWindow {
    Q_OBJECT
public:
    TForm_qcda(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();

protected:
    QDialog* createEditDialog() override;
    bool deleteAllowed() override;
};

class TForm_qcda_edit : public EditDialog {
    Q_OBJECT
public:
    TForm_qcda_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();

    PhotoPanel* photoPanel;
    QPushButton* viewButton;  // 查看 (bitbtn_view), the photo panel's
    PhotoArea* photoArea;     // Image1, the photo panel's

    // Photo path of the current row: <working folder>/jpg/<stored 汽车照片>.
    QString currentPhotoPath() const;

protected:
    int savePage() const override { return 0; }
    bool moduleChecks() override;
    void assignBeforeWrite() override;

private:
};
