#pragma once
// 车辆排期表: every vehicle in service by the days of a span, with its reservations, contracts,
// repairs and rentals set by hand as coloured bars. The grid paints only what is visible; the
// left columns stay while the days scroll. From it a clerk opens a booking in its dialog, books a
// run of free days, returns or settles a contract, prints and exports the span.
#include "rental/planner.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPagedPaintDevice;
class QPainter;
class QPushButton;
class RecordSet;
class TDm1;
struct ExportTable;

// The grid: frozen vehicle columns, a month/day/weekday header, one row per vehicle.
class PlannerView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PlannerView(QWidget* parent = nullptr);

    void setPlan(const Planner::Plan* plan);
    const Planner::Plan* plan() const { return m_plan; }

    // What lies under a point of the viewport: the row, the day (index into the span) and the
    // bar of that row (index into its bars), each -1 where there is none.
    struct Hit {
        int row = -1;
        int day = -1;
        int bar = -1;
    };
    Hit hitAt(const QPoint& pos) const;
    // A day cell of a row, in viewport coordinates (scrolled; may lie outside the viewport).
    QRect cellRect(int row, int day) const;
    // Brings the row and day into view.
    void ensureVisible(int row, int day);

    // The run of free days chosen on one row (drag or shift-click); count 0: none.
    struct Selection {
        int row = -1;
        int firstDay = 0;
        int count = 0;
    };
    const Selection& selection() const { return m_selection; }
    // Chooses a run of days, shortened to the free days next to the first; false when the first is taken.
    bool select(int row, int firstDay, int count);
    void clearSelection();
    // The bar clicked last (row and index), for the right-click actions; row -1: none.
    int currentRow() const { return m_current.row; }
    int currentBar() const { return m_current.bar; }

    // Geometry, for the tests and the benchmark.
    static constexpr int RowHeight = 22;
    static constexpr int HeaderHeight = 54;
    int frozenWidth() const;
    int dayWidth() const { return m_dayWidth; }

Q_SIGNALS:
    void barActivated(int row, int bar);
    void selectionChanged();
    void contextMenuAt(const QPoint& globalPos, const PlannerView::Hit& hit);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void updateScrollBars();
    bool dayTaken(int row, int day) const;
    QString toolTipFor(const Hit& hit) const;
    int dayX(int day) const;  // left edge of a day column in the viewport

    const Planner::Plan* m_plan = nullptr;
    int m_dayWidth = 30;
    Selection m_selection;
    Hit m_current;
    int m_anchorDay = -1;
    bool m_dragging = false;
};

class PlannerWindow : public QDialog {
    Q_OBJECT
public:
    PlannerWindow(QWidget* owner, TDm1* dm);
    ~PlannerWindow() override;

    // The span shown (the start date and span controls follow); no database read.
    void setSpan(QDate start, int days);
    // Reads the vehicles and bookings again (刷新, F5, after every dialog), keeping span and filters.
    void reload();

    PlannerView* view() const { return m_view; }
    const Planner::Plan& plan() const { return m_plan; }
    TDm1* dm() const { return m_dm; }

    // The controls (objectName in brackets).
    QDateEdit* startEdit;     // 开始日期 (startEdit)
    QComboBox* spanBox;       // 1周, 2周, 4周, 3个月 (spanBox)
    QComboBox* modelBox;      // 车型, first 全部车型 (modelBox)
    QLineEdit* plateEdit;     // 车牌号 search (plateEdit)
    QCheckBox* onlyFreeBox;   // 只显示空闲 (onlyFreeBox)
    QDateEdit* freeFromEdit;  // its period, first and last day (freeFromEdit, freeToEdit)
    QDateEdit* freeToEdit;
    QPushButton* refreshButton;         // 刷新 (F5)
    QPushButton* newReservationButton;  // 新建预订
    QPushButton* newContractButton;     // 新建租赁
    QPushButton* printButton;           // 打印
    QPushButton* exportButton;          // 导出
    QPushButton* returnButton;          // 返回

    // The actions, as the buttons and the right-click menu run them.
    void openBar(int row, int bar);
    void newReservation() { newBooking(false); }
    void newContract() { newBooking(true); }
    void returnVehicle();  // 收车 of the current contract bar
    void settle();         // 结算 of the current contract bar
    void print();
    void exportSpan();

    // The shown span as one table: the four vehicle columns, then a column per day holding the
    // label of the bar on it.
    ExportTable spanTable() const;
    // The printed pages: landscape, the vehicles down and a week across each page.
    int paintPrint(QPainter& painter, QPagedPaintDevice& device) const;
    bool printToPdf(const QString& path, QString* error) const;
    // The moment a new booking from the selection starts: the first selected day at 09:00, or now
    // when that day is today and 09:00 has passed.
    QDateTime selectionStart() const;

private Q_SLOTS:
    void extendContract();
    void swapVehicle();

private:
    void buildControls();
    void replan();
    Planner::Filter filter() const;
    int spanDays() const;
    void newBooking(bool contract);
    void showContextMenu(const QPoint& globalPos, const PlannerView::Hit& hit);
    const Planner::Bar* currentBar() const;
    // The number of the contract under the menu (a returned one only when returnedToo), or empty.
    QString currentContract(bool returnedToo) const;
    // Shows a dialog on one row of a shared query (set to that row for it), then reads the plan again.
    void showOnRow(RecordSet& q, const QString& table, const QString& number, const std::function<void()>& show);
    ExportTable weekTable(int firstDay, int days) const;

    TDm1* m_dm;
    PlannerView* m_view;
    Planner::Snapshot m_snapshot;
    Planner::Plan m_plan;
    bool m_loading = false;
};
