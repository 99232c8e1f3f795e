#pragma once
// The small search windows of the rental dialogs (customer search, reservation chooser): a search
// mode, a text, 查找/选中/返回 and a grid over a shared query. Each window says how its text becomes
// a condition and what choosing a row does.
#include "ui/records/gridmodel.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;
class RecordGrid;
class RecordSet;
class TDm1;

struct PickConfig {
    QString className;
    QString caption;
    QString query;              // the shared query the grid shows
    QStringList modes;          // the search-mode drop-down
    QVector<GridColumn> columns;
    QString selectLine;         // "select * from 客户登记表 "
    QString orderLine = {};     // empty: none
    bool emptyTextSeeks = true;  // an empty search text still searches
    bool keySelects = false;     // any character typed in the grid chooses the row
};

class PickWindow : public QDialog {
    Q_OBJECT
public:
    PickWindow(const PickConfig& config, TDm1* dm, QWidget* owner);

    QComboBox* ComboBox1;       // search mode
    QLineEdit* Edit3;           // search text
    QPushButton* SpeedButton1;  // 查找 (&F)
    QPushButton* selectButton;  // 选中
    QPushButton* SpeedButton2;  // 返回
    RecordGrid* DBGrid2;

    RecordSet* query() const { return m_query; }
    TDm1* dm() const { return m_dm; }

    void SpeedButton1Click();  // 查找
    void DBGrid2DblClick();    // 选中 / double click
    void SpeedButton2Click();  // 返回
    // A click on a sortable title orders the rows by that column.
    void sortBy(int section);

protected:
    // The condition for the mode and trimmed text; nullopt when the mode makes none (said and
    // focused by the window).
    virtual std::optional<QString> condition(const QString& mode, const QString& text) const = 0;
    // The current row of the query is the chosen one.
    virtual void choose() = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    PickConfig m_config;
    TDm1* m_dm;
    RecordSet* m_query;
    RecordGridModel* m_model;
};
