#pragma once
// The list window every business module opens on: a grid over one shared query with footers,
// navigator, row colours, column hiding, title sorting, delete, print, export and the layout store.
// A module window derives from it, passes its row of the window table and its columns, and adds
// its edit dialog and its own actions.
#include "data/schema.h"
#include "ui/records/export/exporttable.h"
#include "ui/records/export/recordrows.h"
#include "ui/records/gridmodel.h"
#include "ui/records/windowtable.h"

#include <QDateTime>
#include <QDialog>
#include <functional>
#include <QStringList>
#include <QVector>

class QCheckBox;
class QMenu;
class QAction;
class QPushButton;
class QToolButton;
class QHBoxLayout;
class RecordGrid;
class RecordSet;
class TDm1;
class QueryDialog;

// What printing and export take from the grid: visible columns in display order, the rows of the
// query as shown (read from the record set while they are printed or written, never copied), the
// footer row.
struct GridSnapshot {
    struct Column {
        QString title;  // levels separated by "|"
        FieldType type = FieldType::Text;
        int width = 0;
    };
    QString printTitle;
    QVector<Column> columns;
    RecordRows rows;
    QStringList footer;
    QString operatorName;
    QDateTime printedAt;
};

// What the export writers and the page composer take: the snapshot's columns, footer and row stream.
ExportTable toExportTable(const GridSnapshot& s);

class ListWindow : public QDialog {
    Q_OBJECT
public:
    ListWindow(const ListWindowConfig& config, TDm1* dm, QWidget* owner = nullptr);
    ~ListWindow() override;

    // Module columns in column order. The footer convention of the window (记录数, row count, sums)
    // and title buttons for sortable windows are added here. Without a call the grid shows the
    // query's own columns.
    void setColumns(QVector<GridColumn> columns);
    // A column for setColumns: field, title, width, with a title button.
    static GridColumn column(const QString& field, const QString& title = {}, int width = 0, bool titleButton = true);

    const ListWindowConfig& config() const { return m_config; }
    TDm1* dm() const { return m_dm; }
    RecordSet* query() const { return m_query; }
    RecordGridModel* model() const { return m_model; }

    // Members every list window has (null where the window table leaves them out).
    RecordGrid* grid;
    QWidget* navigator = nullptr;
    QPushButton* editButton = nullptr;
    QPushButton* deleteButton = nullptr;  // 删除
    QPushButton* exportButton = nullptr;  // 导出
    QPushButton* printButton = nullptr;   // 打印
    QPushButton* returnButton = nullptr;  // 返回
    QPushButton* queryButton = nullptr;   // 查询 / 查找 / 统计
    QCheckBox* dichromaticBox;
    QCheckBox* autoWidthBox = nullptr;        // 自动匹配列宽
    QToolButton* showColumnButton = nullptr;  // 显示隐藏的列
    QToolButton* hideColumnButton = nullptr;  // 隐藏最右边的列
    QMenu* hiddenColumnsMenu;

    // A module button from the table's module buttons, found by caption; the module names it.
    QPushButton* moduleButton(const QString& caption) const;

    // Handlers.
    virtual void onEdit();
    virtual void onDelete();
    void onExport();
    void onPrint();
    void onReturn();
    // 查询: the window's query dialog (the row's, or class name + "_cx") when the query table has one.
    virtual void onQuery();
    void onDichromatic();
    void onAutoWidth();
    void onShowColumn();
    void onHideColumn();
    void onHiddenColumnChosen(QAction* entry);
    QColor rowColour(int row) const;
    void onTitleClick(int section, Qt::KeyboardModifiers modifiers);
    void onSortMarksChanged();
    virtual void FormClose();
    void FormShow();

    GridSnapshot snapshot() const;
    // Section of system.ini holding this window's layout.
    QString layoutSection() const;
    static QString layoutFile();  // ".\system.ini" of the working folder
    void storeLayout();
    void restoreLayout();

    // Print and export of the snapshot; a test may put its own in their place.
    static std::function<void(ListWindow*, const GridSnapshot&)>& printHandler();
    static std::function<void(ListWindow*, const GridSnapshot&)>& exportHandler();

protected:
    // The module's edit dialog, owned by this window; null when the module has none yet.
    virtual QDialog* createEditDialog() { return nullptr; }
    // Module preconditions of 编辑 (for example: nothing to edit in an empty list).
    virtual bool editAllowed() { return true; }
    // Module checks of 删除, before the confirmation; a failing check shows its own message.
    virtual bool deleteAllowed() { return true; }
    // Fills the query dialog's drop-downs before it is shown.
    virtual void prepareQueryDialog(QueryDialog*) {}

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

    QHBoxLayout* buttonBar() const { return m_buttonBar; }

private:
    // The steps of the constructor, top to bottom.
    void setUpFrame();
    QWidget* makeNavigator();
    void addButtons();
    void addViewTools();
    RecordGrid* makeGrid();
    void followCurrentRow();
    QPushButton* makeButton(const QString& objectName, const QString& caption);
    void decorate(QVector<GridColumn>& columns, bool fromQuery) const;
    void syncSelection();
    void updateToolButtons();

    ListWindowConfig m_config;
    TDm1* m_dm;
    RecordSet* m_query;
    RecordGridModel* m_model;
    QHBoxLayout* m_buttonBar;
    QVector<QPushButton*> m_moduleButtons;
    bool m_shown = false;
    bool m_layoutStored = false;
    bool m_formClosed = false;
    bool m_syncing = false;
};

// Registers a list window of the table, over its query's own columns, for every class that no
// module has registered yet; module windows registered later replace them.
void registerListWindows();
