#pragma once
// The spreadsheet import without a window: a sheet's rows matched to the columns of 汽车档案 or
// 客户登记表 by the header row, each row converted and checked as the table's edit dialog checks a
// save, and the accepted rows written all together or not at all.
#include "sheetimport/sheets.h"

#include <QHash>
#include <QStringList>

class Database;

namespace SheetImport {

// A column a clerk may fill, as the table's edit dialog offers it.
struct Field {
    QString column;
    QString label;  // the dialog's label without its colon: another name a header may use
    bool upper = false;
    int decimals = 0;
    double minimum = 0;
    double maximum = 0;  // 0: only the column's own limit
};

struct Target {
    QString table;  // 汽车档案 or 客户登记表
    QString key;    // 车牌号 or 客户号: never twice in the table
    QVector<Field> fields;
};

struct PlannedRow {
    int line = 0;                     // the spreadsheet's row number
    QStringList cells;                // the texts of the matched columns, as the file shows them
    QHash<QString, QVariant> values;  // the converted values of the filled columns
    QStringList refusals;             // empty: the row is imported
    // "导入", or the reasons joined.
    QString fate() const;
};

struct Plan {
    QString table;
    QStringList columns;       // the matched columns, in the sheet's order
    QStringList ignored;       // headers naming no column the import fills, as written
    QString problem;           // why nothing of the sheet can be imported; empty when rows were read
    QVector<PlannedRow> rows;  // rows with content, in order (empty rows are left out)

    int refusedCount() const;
    // "第3行：车牌号不能为空,请重新输入!" per refused row.
    QStringList refusalLines() const;
};

// The sheet a table's rows are taken from: the one named as the table, else the first.
int sheetFor(const QVector<Sheet>& sheets, const QString& table);

// The rows of the sheet as they would be imported: headers matched to the target's columns (the
// column names, the list titles, the dialog's labels; spaces and a closing colon ignored), values
// converted (dates, numbers, amounts, 是/否) and every row checked as the edit dialog's 存盘 checks
// it, duplicates of the key in the table and in the file included. Reads the database, writes
// nothing; throws DbError.
Plan plan(Database& db, const Target& target, const Sheet& sheet);

// Writes every row of a plan with no refusal in one transaction through record sets (the audit
// log sees each new row), with the values a new row of the dialog gets: 操作员, 操作日期, the
// photo name, a vehicle 空闲. Refuses (DbError, nothing written) a plan with a refused row, and a
// key another workstation has stored since the plan was made. Returns the rows written.
int write(Database& db, const Target& target, const Plan& plan);

}  // namespace SheetImport
