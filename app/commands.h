#pragma once
// The main window's commands as one table: menu item, tool button, permission gate, the shared
// query a command prepares (the table, conditions and order its lines are written from), and the
// class of the window it opens. The window's caption and everything else about it are the class's
// own (its spec()). The main window builds its menus and tool bar from these tables and runs every
// command through one function.
#include "data/listquery.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

struct Operator;
struct QMetaObject;

// Permission flag (column of 权限表) whose absence disables a command.
enum class Gate { None, 系统维护权, 日常业务权, 其他业务权, 统计分析权, 财务管理权 };

enum class CommandKind {
    Window,          // prepare the query, open the window
    Scratch,         // statistics: empty 通用, show it
    Journal,         // cash journal of the closing month
    CompanyInfo,     // window, then the scrolling text from the still-open query
    PasswordChange,  // the current operator's row
    Switch,          // operator switch
    Restore,         // connection closed around the window
    LayoutReset,     // deletes the layout files
    Help,            // a message only
    Manual,          // the user manual's window
    Exit             // closes the main window
};

struct Command {
    QString menuItem;    // objectName of the menu item ("N2")
    QString caption;     // menu caption
    QString toolButton;  // objectName of the tool button, empty when none
    QString toolCaption;
    Gate gate = Gate::None;
    bool toolGated = false;  // the tool button is disabled together with the menu item
    QString query;           // shared query of the data module, empty when none
    QString table;           // the one table a list command selects from, empty when none
    QStringList conditions;  // its conditions as the where line writes them (the operator's and the
                             // closing month's are added when the command runs)
    QString orderColumn;
    LineStyle lines = LineStyle::Split;
    const QMetaObject* window = nullptr;  // the class of the window it opens
    CommandKind kind = CommandKind::Window;
    bool hidden = false;
};

namespace Commands {

const QVector<Command>& table();
const Command* find(const QString& menuItem);
const Command* findByButton(const QString& toolButton);

// What a command gives its query for this operator and closing date: the table, condition terms and
// order, and the SQL lines written from them (table empty and the lines as they are for the
// statistics' scratch query).
ListQuery commandQuery(const Command& c, const Operator& op, const QDate& closingDate);
// The lines alone: always commandQuery()'s.
QStringList commandSql(const Command& c, const Operator& op, const QDate& closingDate);
// The class name a command's window is registered under; empty for commands without a window.
QString windowClass(const Command& c);

// The operator list the login works on, at start and at a switch.
QStringList operatorListSql();

// The scratch table every statistics command empties and shows.
QString scratchDelete();
QStringList scratchSelect();

bool allowed(Gate gate, const Operator& op);
// What an operator without the command's right is told when he reaches it anyway.
QString refusal(const Command& c);

// Menu layout. An entry is a menu item's objectName, "-" for a separator or "~" for a hidden one.
struct Menu {
    QString objectName;
    QString title;
    QStringList entries;
};
const QVector<Menu>& menus();

// Hidden menu items that have no action.
struct PlainItem {
    QString objectName;
    QString caption;
};
const QVector<PlainItem>& plainItems();

// Order of the tool bar, left to right.
QStringList toolBar();

}  // namespace Commands
