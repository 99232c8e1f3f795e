#pragma once
// 从表格导入车辆和客户 (系统维护 → 从表格导入): a spreadsheet (.xlsx, .xls, .csv) chosen through
// the file dialog, the table it goes into chosen by the clerk, every row of the sheet shown with
// its fate (导入, or why not), and 导入 writing all rows in one transaction — or, while any row is
// refused, none.
#include "sheetimport/importrules.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TDm1;

namespace SheetImport {
// The import's columns of a table: the fields its edit dialog lets a clerk type, with their
// labels, capitals and number limits.
Target vehicleTarget();
Target customerTarget();
}  // namespace SheetImport

class SpreadsheetImportWindow : public QDialog {
    Q_OBJECT
public:
    SpreadsheetImportWindow(QWidget* owner, TDm1* dm);

    // 选择文件: the file dialog, then the file read and previewed.
    void chooseFile();
    // Reads a file and shows its preview; a file that cannot be read is said.
    void openFile(const QString& path);
    // 导入; true when rows were written.
    bool importRows();

    const SheetImport::Plan& plan() const { return m_plan; }

    QLineEdit* fileEdit = nullptr;
    QPushButton* chooseButton = nullptr;  // 选择文件
    QComboBox* tableBox = nullptr;        // 导入到: 汽车档案 / 客户登记表
    QComboBox* sheetBox = nullptr;        // 工作表
    QLabel* summaryLabel = nullptr;
    QTableWidget* previewGrid = nullptr;
    QPushButton* importButton = nullptr;  // 导入
    QPushButton* closeButton = nullptr;   // 返回

private:
    SheetImport::Target target() const;
    void tableChosen();
    void preview();
    void showPlan();

    TDm1* m_dm;
    QVector<SheetImport::Sheet> m_sheets;
    SheetImport::Plan m_plan;
};
