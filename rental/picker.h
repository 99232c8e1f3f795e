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
    QString query;      // the shared query the grid shows
    QStringList modes;  // the search-mode drop-down
    QVector<GridColumn> columns;
    QString selectLine;          // "select * from 客户登记表 "
    QString orderLine = {};      // empty: none
    bool emptyTextSeeks = true;  // an empty search text still searches
    bool keySelects = false;     // any character typed in the grid chooses the row
};

class PickWindow : public QDialog {
    Q_OBJECT
public:
    PickWindow(const PickConfig& config, TDm1* dm, QWidget* owner);

    QComboBox* modeBox;         // search mode (ComboBox1)
    QLineEdit* searchEdit;      // search text (Edit3)
    QPushButton* findButton;    // 查找 (&F) (SpeedButton1)
    QPushButton* selectButton;  // 选中 (SpeedButton3)
    QPushButton* returnButton;  // 返回 (SpeedButton2)
    RecordGrid* grid;           // DBGrid2

    RecordSet* query() const { return m_query; }
    TDm1* dm() const { return m_dm; }

    // 查找 (or Enter in the search text): the rows of the mode and text.
    void search();
    // 选中, a double click, or a key typed in the grid: the current row is chosen.
    void chooseCurrent();
    void onReturn();  // 返回
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
