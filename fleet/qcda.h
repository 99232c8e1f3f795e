#pragma once
// Vehicle archive: the fleet register 汽车档案, its list and its edit dialog with the photo page.
#include "fleet/vehiclerules.h"
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"

class PhotoArea;
class PhotoPanel;
class QPushButton;

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
    // The dialog's fields (the spreadsheet import takes the same columns, limits and capitals).
    static QVector<FieldDef> fields();

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
