#pragma once
// The configuration of every list window of the system. A module window is one row of this table
// plus its columns and its own actions; the shared machinery does the rest.
#include <QString>
#include <QStringList>
#include <QVector>

namespace ListButton {
enum : unsigned {
    Edit = 1u << 0,    // editButton
    Delete = 1u << 1,  // deleteButton 删除
    Print = 1u << 2,   // printButton 打印
    Export = 1u << 3,  // exportButton 导出
    Return = 1u << 4,  // returnButton 返回
    Query = 1u << 5,   // queryButton 查询 / 查找 / 统计
};
}

enum class SortMode { None, MarksOnly, Rebuild };
enum class LayoutMode { None, Full, Reduced };
enum class FooterMode { CountAndSums, SumsOnly, None };

struct ListWindowConfig {
    QString className;
    QString caption;
    QString query;            // shared query of the data module
    unsigned buttons = 0;
    QString editCaption;      // caption of editButton ("编辑", "交车", "提醒")
    QString queryCaption;     // caption of queryButton ("查询", "查找", "统计")
    QStringList moduleButtons;  // further buttons the module adds, by caption
    QString exportName;       // default export file name; empty: no export
    QString printTitle;       // empty: no print
    QStringList footerSums;   // money columns summed in the footer
    SortMode sort = SortMode::Rebuild;
    LayoutMode layout = LayoutMode::None;
    bool autoWidth = false;        // grid's automatic column width at opening
    bool autoWidthBox = true;      // "自动匹配列宽" present
    bool autoWidthChecked = false; // its initial state
    bool columnButtons = true;     // showColumnButton/hideColumnButton
    bool navigator = true;
    bool maximised = true;
    bool doubleClickEdits = true;
    bool cancelOnClose = false;    // FormClose cancels pending changes of the query
    FooterMode footer = FooterMode::CountAndSums;
};

const QVector<ListWindowConfig>& listWindowTable();
// nullptr when the class is not a list window of the table.
const ListWindowConfig* listWindowConfig(const QString& className);

