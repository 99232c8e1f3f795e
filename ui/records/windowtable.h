#pragma once
// What a list window is made of: one configuration row per window, written beside its class as its
// spec() (windowspec.h), plus its columns and its own actions; the shared machinery does the rest.
// registerWindow<W>() adds the row to the registry under the class's name, where the start-up check
// and the windows that open another by name find it.
#include <QString>
#include <QStringList>
#include <QVector>

// The kinds of list-window buttons; Module buttons are the module's own actions by caption.
enum class ListButton { Edit, Delete, Print, Export, Return, Query, Module };

struct ButtonDef {
    ListButton kind = ListButton::Module;
    QString caption = {};  // empty: the kind's usual caption (编辑, 删除, 打印, 导出, 返回, 查询)
};

enum class SortMode { None, MarksOnly, Rebuild };
enum class LayoutMode { None, Full, Reduced };
enum class FooterMode { CountAndSums, SumsOnly, None };

struct ListWindowConfig {
    QString className;
    QString caption;
    QString query;               // shared query of the data module
    QVector<ButtonDef> buttons;  // left to right
    QString exportName;          // default export file name; empty: no export
    QString printTitle;          // empty: no print
    QStringList footerSums;      // money columns summed in the footer
    SortMode sort = SortMode::Rebuild;
    LayoutMode layout = LayoutMode::None;
    bool autoWidth = false;         // grid's automatic column width at opening
    bool autoWidthBox = true;       // "自动匹配列宽" present
    bool autoWidthChecked = false;  // its initial state
    bool columnButtons = true;      // the hide/show column tool buttons
    bool navigator = true;
    bool maximised = true;
    bool doubleClickEdits = true;
    bool cancelOnClose = false;  // closing cancels pending changes of the query
    FooterMode footer = FooterMode::CountAndSums;
    QString hint = {};         // a line above the grid
    QString queryDialog = {};  // class of the 查询 dialog; empty: className + "_cx"

    bool has(ListButton kind) const;
    // The caption of a button of the window (the usual one unless the row names another).
    QString captionOf(ListButton kind) const;
    QStringList moduleButtons() const;
};

QString defaultCaption(ListButton kind);

// The rows modules have registered, in registration order.
const QVector<ListWindowConfig>& listWindowTable();
// nullptr when no module has registered the class.
const ListWindowConfig* listWindowConfig(const QString& className);
// Adds or replaces a row (by class name).
void addListWindowConfigs(const QVector<ListWindowConfig>& rows);
