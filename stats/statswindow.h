#pragma once
// The result windows of the statistics: the list window over the scratch query q_tongyong, whose
// 统计 opens the report's criteria dialog. Each report is a row (columns, criteria dialog, what is
// prepared before it opens).
#include "stats/criteria.h"
#include "ui/records/listwindow.h"

class QLabel;

enum class CriteriaLists { None, Customers, Plates };

struct StatsWindowConfig {
    QString className;
    QVector<GridColumn> columns;
    CriteriaConfig criteria;
    CriteriaLists lists = CriteriaLists::None;  // drop-downs filled before the dialog opens
    bool periodLabel = false;                   // "统计时间：" with the period of the last run
    bool printNeedsRows = false;                // 打印 does nothing on an empty result
};

const QVector<StatsWindowConfig>& statsWindowTable();
const StatsWindowConfig* statsWindowConfig(const QString& className);

class StatsWindow : public ListWindow {
    Q_OBJECT
public:
    StatsWindow(const StatsWindowConfig& config, TDm1* dm, QWidget* owner = nullptr);

    const StatsWindowConfig& stats() const { return m_stats; }
    QLabel* periodLabel = nullptr;  // the period after "统计时间：" (detail report)

    // 统计: a fresh criteria dialog, its drop-downs filled, shown modally and freed.
    void onQuery() override;
    void setPeriod(const QString& text);
    // 打印, with the period in the closing line where the window shows one.
    void printClick();
    // 图形显示 (monthly report).
    void chartClick();

private:
    const StatsWindowConfig& m_stats;
};

// The closing line of the detail report's print: time, operator, and the period.
QString periodClosingLine(const QDateTime& printedAt, const QString& operatorName, const QString& period);
