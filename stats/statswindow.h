#pragma once
// The result windows of the statistics: the list window over the scratch query q_tongyong, whose
// 统计 opens the report's criteria dialog. Each report is a row (columns, criteria dialog, what is
// prepared before it opens).
#include "stats/criteria.h"
#include "ui/records/listwindow.h"

class QLabel;

enum class CriteriaLists { None, Customers, Plates };

// Everything one statistics window is: its list row (className, caption, buttons, sums), columns and
// criteria dialog.
struct StatsWindowConfig {
    ListWindowConfig list;
    QVector<GridColumn> columns;
    CriteriaConfig criteria;
    CriteriaLists lists = CriteriaLists::None;  // drop-downs filled before the dialog opens
    bool periodLabel = false;                   // "统计时间：" with the period of the last run
    bool printNeedsRows = false;                // 打印 does nothing on an empty result
};

// The window's list row, registered under its class name.
void describeWindow(const StatsWindowConfig& config);

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

// The eight result windows, each a class of its own so that its command points at it and its
// description (spec(), in statsconfig.cpp) sits beside it.

class TForm_qczlsrtj : public StatsWindow {
    Q_OBJECT
public:
    TForm_qczlsrtj(QWidget* owner, TDm1* dm);
    static const StatsWindowConfig& spec();
};

class TForm_khzlsrtj : public StatsWindow {
    Q_OBJECT
public:
    TForm_khzlsrtj(QWidget* owner, TDm1* dm);
    static const StatsWindowConfig& spec();
};

class TForm_qczlsrtj_kh : public StatsWindow {
    Q_OBJECT
public:
    TForm_qczlsrtj_kh(QWidget* owner, TDm1* dm);
    static const StatsWindowConfig& spec();
};

class TForm_jbrtj : public StatsWindow {
    Q_OBJECT
public:
    TForm_jbrtj(QWidget* owner, TDm1* dm);
    static const StatsWindowConfig& spec();
};

class TForm_qczlsrtj_yf : public StatsWindow {
    Q_OBJECT
public:
    TForm_qczlsrtj_yf(QWidget* owner, TDm1* dm);
    static const StatsWindowConfig& spec();
};

class TForm_xjsytj : public StatsWindow {
    Q_OBJECT
public:
    TForm_xjsytj(QWidget* owner, TDm1* dm);
    static const StatsWindowConfig& spec();
};

class TForm_qcsrfymxb : public StatsWindow {
    Q_OBJECT
public:
    TForm_qcsrfymxb(QWidget* owner, TDm1* dm);
    static const StatsWindowConfig& spec();
};

class TForm_qcsrfyhzb : public StatsWindow {
    Q_OBJECT
public:
    TForm_qcsrfyhzb(QWidget* owner, TDm1* dm);
    static const StatsWindowConfig& spec();
};
