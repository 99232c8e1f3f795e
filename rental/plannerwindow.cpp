#include "rental/plannerwindow.h"
#include "core/clock.h"
#include "core/dates.h"
#include "core/session.h"
#include "core/sqltext.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "rental/backoffice.h"
#include "rental/bookings.h"
#include "rental/changedialogs.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/records/export/exporttable.h"
#include "ui/records/print/tableprinter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QToolTip>
#include <QVBoxLayout>
#include <memory>

using Planner::Bar;
using Planner::BarKind;

namespace {

const int FrozenWidths[] = {84, 72, 48, 60};
const char* const FrozenTitles[] = {"车牌号", "车型", "颜色", "车辆状态"};
const QChar Weekdays[] = {u'一', u'二', u'三', u'四', u'五', u'六', u'日'};
// The mark of a vehicle that may not go out (stop-hire).
const QColor StopMark(200, 30, 30);

QColor barColour(BarKind kind)
{
    switch (kind) {
    case BarKind::Reservation:
        return QColor(135, 185, 245);
    case BarKind::Contract:
        return QColor(120, 200, 120);
    case BarKind::Returned:
        return QColor(185, 185, 185);
    case BarKind::Overdue:
        return QColor(225, 70, 70);
    case BarKind::Repair:
        return QColor(240, 165, 60);
    case BarKind::Manual:
        return QColor(180, 140, 225);
    }
    return Qt::gray;
}

bool isContract(BarKind k)
{
    return k == BarKind::Contract || k == BarKind::Returned || k == BarKind::Overdue;
}

QString monthText(const QDate& d)
{
    return QStringLiteral("%1年%2月").arg(d.year()).arg(d.month());
}

QString weekdayText(const QDate& d)
{
    return QString(Weekdays[d.dayOfWeek() - 1]);
}

// The day indexes [first, last] of the span a bar covers; false when it lies outside.
bool barDays(const Planner::Plan& p, const Bar& b, int* first, int* last)
{
    const qint64 a = p.start.daysTo(Planner::firstDay(b));
    const qint64 z = p.start.daysTo(Planner::lastDay(b));
    if (z < 0 || a >= p.days)
        return false;
    *first = int(std::max<qint64>(a, 0));
    *last = int(std::min<qint64>(z, p.days - 1));
    return true;
}

// The shared query of an edit dialog on one stored booking, or on none for a new one; it is closed
// again when the dialog is done, as the main window closes a command's query.
class SharedRow {
public:
    SharedRow(RecordSet& q, const QString& table, const QString& number) : m_q(q)
    {
        m_q.close();
        m_q.setSql({QStringLiteral("select * from ") + table + QLatin1Char(' '),
                    number.isEmpty() ? QStringLiteral("where 1=0")
                                     : QStringLiteral("where 内部编号='") + sqlText(number) + QLatin1Char('\'')});
        m_q.open();
        m_q.first();
    }
    ~SharedRow() { m_q.close(); }
    SharedRow(const SharedRow&) = delete;
    SharedRow& operator=(const SharedRow&) = delete;
    bool found() const { return m_q.recordCount() > 0; }

private:
    RecordSet& m_q;
};

const QString ContractTable = QStringLiteral("汽车租赁登记表");
const QString ReservationTable = QStringLiteral("客户预订汽车");

}  // namespace

// ---- the grid ----

PlannerView::PlannerView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("plannerGrid"));
    viewport()->setMouseTracking(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);
    horizontalScrollBar()->setSingleStep(m_dayWidth);
}

int PlannerView::frozenWidth() const
{
    int w = 0;
    for (int f : FrozenWidths)
        w += f;
    return w;
}

void PlannerView::setPlan(const Planner::Plan* plan)
{
    m_plan = plan;
    const int days = plan ? plan->days : 0;
    // Wide columns while they fit, narrow ones for three months.
    m_dayWidth = days <= 7 ? 64 : days <= 14 ? 46 : days <= 31 ? 30 : 24;
    horizontalScrollBar()->setSingleStep(m_dayWidth);
    m_current = {};
    clearSelection();
    updateScrollBars();
    viewport()->update();
}

void PlannerView::updateScrollBars()
{
    const int rows = m_plan ? int(m_plan->rows.size()) : 0;
    const int days = m_plan ? m_plan->days : 0;
    const int visibleRows = std::max(1, (viewport()->height() - HeaderHeight) / RowHeight);
    verticalScrollBar()->setRange(0, std::max(0, rows - visibleRows));
    verticalScrollBar()->setPageStep(visibleRows);
    const int area = std::max(0, viewport()->width() - frozenWidth());
    horizontalScrollBar()->setRange(0, std::max(0, days * m_dayWidth - area));
    horizontalScrollBar()->setPageStep(std::max(m_dayWidth, area));
}

void PlannerView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void PlannerView::scrollContentsBy(int, int)
{
    viewport()->update();
}

int PlannerView::dayX(int day) const
{
    return frozenWidth() + day * m_dayWidth - horizontalScrollBar()->value();
}

QRect PlannerView::cellRect(int row, int day) const
{
    const int y = HeaderHeight + (row - verticalScrollBar()->value()) * RowHeight;
    return QRect(dayX(day), y, m_dayWidth, RowHeight);
}

void PlannerView::ensureVisible(int row, int day)
{
    const int visibleRows = std::max(1, (viewport()->height() - HeaderHeight) / RowHeight);
    if (row < verticalScrollBar()->value())
        verticalScrollBar()->setValue(row);
    else if (row >= verticalScrollBar()->value() + visibleRows)
        verticalScrollBar()->setValue(row - visibleRows + 1);
    const int area = viewport()->width() - frozenWidth();
    const int left = day * m_dayWidth;
    if (left < horizontalScrollBar()->value())
        horizontalScrollBar()->setValue(left);
    else if (left + m_dayWidth > horizontalScrollBar()->value() + area)
        horizontalScrollBar()->setValue(left + m_dayWidth - area);
}

PlannerView::Hit PlannerView::hitAt(const QPoint& pos) const
{
    Hit h;
    if (!m_plan || pos.y() < HeaderHeight)
        return h;
    const int row = verticalScrollBar()->value() + (pos.y() - HeaderHeight) / RowHeight;
    if (row < 0 || row >= m_plan->rows.size())
        return h;
    h.row = row;
    if (pos.x() < frozenWidth())
        return h;
    const int day = (pos.x() - frozenWidth() + horizontalScrollBar()->value()) / m_dayWidth;
    if (day < 0 || day >= m_plan->days)
        return h;
    h.day = day;
    const QVector<Bar>& bars = m_plan->rows[row].bars;
    for (int i = 0; i < bars.size(); ++i) {
        int a = 0, z = 0;
        if (barDays(*m_plan, bars[i], &a, &z) && day >= a && day <= z)
            h.bar = i;  // the later of two bars on one day is the one drawn on top
    }
    return h;
}

bool PlannerView::dayTaken(int row, int day) const
{
    for (const Bar& b : m_plan->rows[row].bars) {
        int a = 0, z = 0;
        if (barDays(*m_plan, b, &a, &z) && day >= a && day <= z)
            return true;
    }
    return false;
}

bool PlannerView::select(int row, int firstDay, int count)
{
    if (!m_plan || row < 0 || row >= m_plan->rows.size() || firstDay < 0 || firstDay >= m_plan->days || count < 1
        || dayTaken(row, firstDay))
        return false;
    int n = 0;
    while (n < count && firstDay + n < m_plan->days && !dayTaken(row, firstDay + n))
        ++n;
    m_selection = {row, firstDay, n};
    m_anchorDay = firstDay;
    m_current = {};
    viewport()->update();
    Q_EMIT selectionChanged();
    return true;
}

void PlannerView::clearSelection()
{
    const bool had = m_selection.count > 0;
    m_selection = {};
    m_anchorDay = -1;
    if (had) {
        viewport()->update();
        Q_EMIT selectionChanged();
    }
}

void PlannerView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const Hit h = hitAt(event->position().toPoint());
    if (h.day >= 0 && (event->modifiers() & Qt::ShiftModifier) && m_selection.row == h.row && m_anchorDay >= 0) {
        // From the anchor towards the day clicked, as far as the days are free.
        const int anchor = m_anchorDay;
        const int step = h.day >= anchor ? 1 : -1;
        int end = anchor;
        while (end != h.day && !dayTaken(h.row, end + step))
            end += step;
        select(h.row, std::min(anchor, end), std::abs(end - anchor) + 1);
        m_anchorDay = anchor;
        return;
    }
    if (h.bar >= 0) {
        clearSelection();
        m_current = h;
        viewport()->update();
        return;
    }
    if (h.day < 0)
        return;
    m_dragging = select(h.row, h.day, 1);
}

void PlannerView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || m_selection.row < 0)
        return;
    const Hit h = hitAt(QPoint(std::max(frozenWidth(), int(event->position().x())), cellRect(m_selection.row, 0).center().y()));
    if (h.day < 0)
        return;
    const int anchor = m_anchorDay;
    const int step = h.day >= anchor ? 1 : -1;
    int end = anchor;
    while (end != h.day && !dayTaken(m_selection.row, end + step))
        end += step;
    select(m_selection.row, std::min(anchor, end), std::abs(end - anchor) + 1);
    m_anchorDay = anchor;
}

void PlannerView::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void PlannerView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const Hit h = hitAt(event->position().toPoint());
    if (h.bar < 0)
        return;
    m_current = h;
    Q_EMIT barActivated(h.row, h.bar);
}

void PlannerView::contextMenuEvent(QContextMenuEvent* event)
{
    const Hit h = hitAt(event->pos());
    if (h.row < 0)
        return;
    if (h.bar >= 0) {
        clearSelection();
        m_current = h;
    } else if (h.day >= 0) {
        const bool inside = m_selection.row == h.row && h.day >= m_selection.firstDay
                            && h.day < m_selection.firstDay + m_selection.count;
        if (!inside)
            select(h.row, h.day, 1);
    }
    viewport()->update();
    Q_EMIT contextMenuAt(event->globalPos(), h);
}

QString PlannerView::toolTipFor(const Hit& hit) const
{
    // The vehicle columns say why a vehicle is marked.
    if (hit.row >= 0 && hit.day < 0) {
        const QStringList& lapses = m_plan->rows[hit.row].lapses;
        return lapses.isEmpty() ? QString() : QStringLiteral("停租提醒：\n") + lapses.join(QLatin1Char('\n'));
    }
    if (hit.bar < 0)
        return {};
    const Bar& b = m_plan->rows[hit.row].bars[hit.bar];
    QStringList lines;
    lines << (b.number.isEmpty() ? Planner::kindText(b.kind) : Planner::kindText(b.kind) + QLatin1Char(' ') + b.number);
    if (!b.customer.isEmpty())
        lines << QStringLiteral("客户：") + b.customer;
    if (!b.phone.isEmpty())
        lines << QStringLiteral("电话：") + b.phone;
    lines << QStringLiteral("时间：") + Dates::displayDateTime(b.from) + QStringLiteral(" 至 ") + Dates::displayDateTime(b.to);
    if (b.kind == BarKind::Overdue)
        lines << QStringLiteral("应还：") + Dates::displayDateTime(b.due);
    if (!b.number.isEmpty())
        lines << QStringLiteral("租赁单价：") + b.rate.toDisplay();
    return lines.join(QLatin1Char('\n'));
}

bool PlannerView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && m_plan) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipFor(hitAt(help->pos()));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void PlannerView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const int width = viewport()->width();
    const int height = viewport()->height();
    const QColor grid(210, 210, 210);
    const QColor header(236, 236, 236);
    const QColor weekendHeader(222, 222, 230);
    const QColor weekend(244, 244, 250);
    const QColor todayFill(255, 248, 200);
    const QColor todayHeader(255, 225, 120);
    p.fillRect(0, 0, width, height, palette().color(QPalette::Base));
    if (!m_plan)
        return;
    const Planner::Plan& plan = *m_plan;
    const int fw = frozenWidth();
    const int dw = m_dayWidth;
    const int scrollX = horizontalScrollBar()->value();
    const int firstDay = std::max(0, scrollX / dw);
    const int lastDay = std::min(plan.days - 1, (scrollX + width - fw) / dw);
    const int firstRow = verticalScrollBar()->value();
    const int lastRow = std::min(int(plan.rows.size()) - 1, firstRow + (height - HeaderHeight) / RowHeight);
    const QDate today = Clock::today();
    const QFontMetrics fm(font());
    const int rowBottom = HeaderHeight + (lastRow - firstRow + 1) * RowHeight;

    // The days: columns, header, bars; clipped to the part right of the frozen columns.
    p.save();
    p.setClipRect(fw, 0, width - fw, height);
    for (int d = firstDay; d <= lastDay; ++d) {
        const QDate date = plan.start.addDays(d);
        const int x = dayX(d);
        const bool isWeekend = date.dayOfWeek() >= 6;
        const bool isToday = date == today;
        if (isToday || isWeekend)
            p.fillRect(x, HeaderHeight, dw, height - HeaderHeight, isToday ? todayFill : weekend);
        p.fillRect(x, 18, dw, HeaderHeight - 18, isToday ? todayHeader : isWeekend ? weekendHeader : header);
        p.setPen(isWeekend ? QColor(170, 40, 40) : palette().color(QPalette::Text));
        p.drawText(QRect(x, 18, dw, 18), Qt::AlignCenter, QString::number(date.day()));
        p.drawText(QRect(x, 36, dw, 18), Qt::AlignCenter, weekdayText(date));
        p.setPen(grid);
        p.drawLine(x + dw - 1, 18, x + dw - 1, rowBottom - 1);
    }
    // Months over their visible days, the name kept in view.
    for (int d = firstDay; d <= lastDay;) {
        const QDate date = plan.start.addDays(d);
        int e = d;
        while (e + 1 <= lastDay && plan.start.addDays(e + 1).month() == date.month())
            ++e;
        const QRect all(dayX(d), 0, (e - d + 1) * dw, 18);
        const QRect shown = all.intersected(QRect(fw, 0, width - fw, 18));
        p.fillRect(all, header);
        p.setPen(grid);
        p.drawLine(all.right(), 0, all.right(), 17);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(shown, Qt::AlignCenter, fm.elidedText(monthText(date), Qt::ElideRight, shown.width()));
        d = e + 1;
    }
    p.setPen(grid);
    p.drawLine(fw, 17, width, 17);
    p.drawLine(fw, HeaderHeight - 1, width, HeaderHeight - 1);

    const QRect dayArea(fw, HeaderHeight, width - fw, height - HeaderHeight);
    for (int r = firstRow; r <= lastRow; ++r) {
        const int y = HeaderHeight + (r - firstRow) * RowHeight;
        p.setPen(grid);
        p.drawLine(fw, y + RowHeight - 1, width, y + RowHeight - 1);
        if (m_selection.row == r && m_selection.count > 0) {
            const QRect sel(dayX(m_selection.firstDay), y, m_selection.count * dw, RowHeight - 1);
            p.fillRect(sel, QColor(60, 130, 230, 110));
        }
        const QVector<Bar>& bars = plan.rows[r].bars;
        for (int i = 0; i < bars.size(); ++i) {
            const Bar& b = bars[i];
            int a = 0, z = 0;
            if (!barDays(plan, b, &a, &z) || z < firstDay || a > lastDay)
                continue;
            const QRect box(dayX(a) + 1, y + 3, (z - a + 1) * dw - 3, RowHeight - 7);
            if (b.kind == BarKind::Overdue && b.due.isValid()) {
                // The planned days in the contract's colour, the days past them in red.
                const qint64 dueDay = plan.start.daysTo(b.due.date());
                const int split = int(std::clamp<qint64>(dueDay, a, z + 1));
                p.fillRect(QRect(box.left(), box.top(), (split - a) * dw, box.height()), barColour(BarKind::Contract));
                if (split <= z)
                    p.fillRect(QRect(dayX(split), box.top(), box.right() - dayX(split) + 1, box.height()),
                               barColour(BarKind::Overdue));
            } else {
                p.fillRect(box, barColour(b.kind));
            }
            const bool current = m_current.row == r && m_current.bar == i;
            p.setPen(current ? QPen(Qt::black, 2) : QPen(barColour(b.kind).darker(140)));
            p.drawRect(box.adjusted(0, 0, -1, -1));
            const QRect text = box.intersected(dayArea).adjusted(3, 0, -2, 0);
            if (text.width() > 8) {
                p.setPen(Qt::black);
                p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, fm.elidedText(Planner::label(b), Qt::ElideRight, text.width()));
            }
        }
    }
    p.restore();

    // The frozen vehicle columns.
    p.fillRect(0, 0, fw, HeaderHeight, header);
    int x = 0;
    for (int c = 0; c < 4; ++c) {
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRect(x, 0, FrozenWidths[c], HeaderHeight), Qt::AlignCenter, QString::fromUtf8(FrozenTitles[c]));
        p.setPen(grid);
        p.drawLine(x + FrozenWidths[c] - 1, 0, x + FrozenWidths[c] - 1, rowBottom - 1);
        x += FrozenWidths[c];
    }
    p.drawLine(0, HeaderHeight - 1, fw, HeaderHeight - 1);
    for (int r = firstRow; r <= lastRow; ++r) {
        const int y = HeaderHeight + (r - firstRow) * RowHeight;
        const Planner::VehicleRow& v = plan.rows[r];
        const QString cells[] = {v.plate, v.model, v.colour, v.state};
        // A vehicle a stop-hire rule finds due: a red edge and its plate in red.
        const bool stopped = !v.lapses.isEmpty();
        if (stopped)
            p.fillRect(QRect(0, y + 2, 3, RowHeight - 5), StopMark);
        x = 0;
        for (int c = 0; c < 4; ++c) {
            p.setPen(stopped && c == 0 ? StopMark : palette().color(QPalette::Text));
            p.drawText(QRect(x + 3, y, FrozenWidths[c] - 6, RowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                       fm.elidedText(cells[c], Qt::ElideRight, FrozenWidths[c] - 6));
            x += FrozenWidths[c];
        }
        p.setPen(grid);
        p.drawLine(0, y + RowHeight - 1, fw, y + RowHeight - 1);
    }
    p.setPen(QColor(120, 120, 120));
    p.drawLine(fw - 1, 0, fw - 1, height);
}

// ---- the window ----

PlannerWindow::PlannerWindow(QWidget* owner, TDm1* dm) : QDialog(owner), m_dm(dm)
{
    setObjectName(QStringLiteral("PlannerWindow"));
    setWindowTitle(QStringLiteral("车辆排期表"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    resize(1180, 680);
    m_view = new PlannerView(this);
    buildControls();
    connect(m_view, &PlannerView::barActivated, this, &PlannerWindow::openBar);
    connect(m_view, &PlannerView::contextMenuAt, this, &PlannerWindow::showContextMenu);
    connect(m_view, &PlannerView::selectionChanged, this, [this] {
        const bool chosen = m_view->selection().count > 0;
        newReservationButton->setEnabled(chosen);
        newContractButton->setEnabled(chosen);
    });
    newReservationButton->setEnabled(false);
    newContractButton->setEnabled(false);
    reload();
}

PlannerWindow::~PlannerWindow() = default;

void PlannerWindow::buildControls()
{
    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    auto label = [&](const char* text) { top->addWidget(new QLabel(QString::fromUtf8(text), this)); };

    label("开始日期：");
    startEdit = new QDateEdit(this);
    startEdit->setObjectName(QStringLiteral("startEdit"));
    startEdit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    startEdit->setCalendarPopup(true);
    startEdit->setDate(Clock::today().addDays(-3));
    top->addWidget(startEdit);

    spanBox = new QComboBox(this);
    spanBox->setObjectName(QStringLiteral("spanBox"));
    spanBox->addItem(QStringLiteral("1周"), 7);
    spanBox->addItem(QStringLiteral("2周"), 14);
    spanBox->addItem(QStringLiteral("4周"), 28);
    spanBox->addItem(QStringLiteral("3个月"), -3);  // three calendar months from the start
    spanBox->setCurrentIndex(2);
    top->addWidget(spanBox);

    label("车型：");
    modelBox = new QComboBox(this);
    modelBox->setObjectName(QStringLiteral("modelBox"));
    modelBox->setMinimumWidth(100);
    modelBox->addItem(QStringLiteral("全部车型"));
    top->addWidget(modelBox);

    label("车牌号：");
    plateEdit = new QLineEdit(this);
    plateEdit->setObjectName(QStringLiteral("plateEdit"));
    plateEdit->setMaximumWidth(100);
    plateEdit->setClearButtonEnabled(true);
    top->addWidget(plateEdit);

    onlyFreeBox = new QCheckBox(QStringLiteral("只显示空闲"), this);
    onlyFreeBox->setObjectName(QStringLiteral("onlyFreeBox"));
    top->addWidget(onlyFreeBox);
    freeFromEdit = new QDateEdit(this);
    freeFromEdit->setObjectName(QStringLiteral("freeFromEdit"));
    freeToEdit = new QDateEdit(this);
    freeToEdit->setObjectName(QStringLiteral("freeToEdit"));
    for (QDateEdit* e : {freeFromEdit, freeToEdit}) {
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        e->setCalendarPopup(true);
    }
    freeFromEdit->setDate(Clock::today());
    freeToEdit->setDate(Clock::today().addDays(2));
    top->addWidget(freeFromEdit);
    label("至");
    top->addWidget(freeToEdit);
    top->addStretch(1);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* name, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    refreshButton = button("refreshButton", "刷新(F5)");
    newReservationButton = button("newReservationButton", "新建预订");
    newContractButton = button("newContractButton", "新建租赁");
    buttons->addStretch(1);
    auto* legend = new QLabel(this);
    QStringList keys;
    for (BarKind k : {BarKind::Reservation, BarKind::Contract, BarKind::Returned, BarKind::Overdue, BarKind::Repair, BarKind::Manual})
        keys << QStringLiteral("<span style=\"background:%1\">&nbsp;&nbsp;&nbsp;</span> %2")
                    .arg(barColour(k).name(), Planner::kindText(k));
    legend->setText(keys.join(QStringLiteral("&nbsp;&nbsp;")));
    buttons->addWidget(legend);
    buttons->addStretch(1);
    printButton = button("printButton", "打印");
    exportButton = button("exportButton", "导出");
    returnButton = button("returnButton", "返回");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->addWidget(m_view, 1);

    auto replanLater = [this] {
        if (!m_loading)
            replan();
    };
    connect(startEdit, &QDateEdit::dateChanged, this, replanLater);
    connect(spanBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, replanLater);
    connect(modelBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, replanLater);
    connect(plateEdit, &QLineEdit::textChanged, this, replanLater);
    connect(onlyFreeBox, &QCheckBox::toggled, this, replanLater);
    connect(freeFromEdit, &QDateEdit::dateChanged, this, [this, replanLater] {
        if (onlyFreeBox->isChecked())
            replanLater();
    });
    connect(freeToEdit, &QDateEdit::dateChanged, this, [this, replanLater] {
        if (onlyFreeBox->isChecked())
            replanLater();
    });
    connect(refreshButton, &QPushButton::clicked, this, &PlannerWindow::reload);
    auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(f5, &QShortcut::activated, this, &PlannerWindow::reload);
    connect(newReservationButton, &QPushButton::clicked, this, &PlannerWindow::newReservation);
    connect(newContractButton, &QPushButton::clicked, this, &PlannerWindow::newContract);
    connect(printButton, &QPushButton::clicked, this, &PlannerWindow::print);
    connect(exportButton, &QPushButton::clicked, this, &PlannerWindow::exportSpan);
    connect(returnButton, &QPushButton::clicked, this, &QDialog::accept);
}

int PlannerWindow::spanDays() const
{
    const int v = spanBox->currentData().toInt();
    const QDate start = startEdit->date();
    return v > 0 ? v : int(start.daysTo(start.addMonths(-v)));
}

Planner::Filter PlannerWindow::filter() const
{
    Planner::Filter f;
    if (modelBox->currentIndex() > 0)
        f.model = modelBox->currentText();
    f.plateSearch = plateEdit->text();
    f.onlyFree = onlyFreeBox->isChecked();
    // Whole days, the last one included.
    f.freeFrom = QDateTime(freeFromEdit->date(), QTime(0, 0));
    f.freeTo = QDateTime(std::max(freeFromEdit->date(), freeToEdit->date()).addDays(1), QTime(0, 0));
    return f;
}

void PlannerWindow::setSpan(QDate start, int days)
{
    m_loading = true;
    startEdit->setDate(start);
    int index = -1;
    for (int i = 0; i < spanBox->count(); ++i)
        if (spanBox->itemData(i).toInt() == days)
            index = i;
    if (index < 0) {
        // A span of its own (the benchmark's, a test's): kept as an item for as long as the window lives.
        spanBox->addItem(QStringLiteral("%1天").arg(days), days);
        index = spanBox->count() - 1;
    }
    spanBox->setCurrentIndex(index);
    m_loading = false;
    replan();
}

void PlannerWindow::reload()
{
    try {
        m_snapshot = Planner::read(m_dm->ADO_qczl, Clock::now());
        const QStringList models = Planner::models(m_snapshot);
        m_loading = true;
        const QString chosen = modelBox->currentIndex() > 0 ? modelBox->currentText() : QString();
        while (modelBox->count() > 1)
            modelBox->removeItem(1);
        modelBox->addItems(models);
        modelBox->setCurrentIndex(std::max(0, modelBox->findText(chosen)));
        m_loading = false;
    } catch (const DbError& e) {
        m_loading = false;
        Msg::error(this, e.text());
    }
    replan();
}

void PlannerWindow::replan()
{
    m_plan = Planner::plan(m_snapshot, startEdit->date(), spanDays(), filter());
    m_view->setPlan(&m_plan);
}

const Bar* PlannerWindow::currentBar() const
{
    const int r = m_view->currentRow();
    const int b = m_view->currentBar();
    if (r < 0 || r >= m_plan.rows.size() || b < 0 || b >= m_plan.rows[r].bars.size())
        return nullptr;
    return &m_plan.rows[r].bars[b];
}

// ---- actions ----

void PlannerWindow::openBar(int row, int bar)
{
    if (row < 0 || row >= m_plan.rows.size() || bar < 0 || bar >= m_plan.rows[row].bars.size())
        return;
    const Bar b = m_plan.rows[row].bars[bar];
    if (b.number.isEmpty())
        return;  // a state set by hand is changed in 车辆租赁情况
    if (b.kind == BarKind::Reservation) {
        showOnRow(m_dm->q_khydqc, ReservationTable, b.number, [this] {
            TForm_khydqc_edit d(this, m_dm);
            d.fillDropDowns();
            Modal::exec(&d);
        });
    } else {
        showOnRow(m_dm->q_qczlb, ContractTable, b.number, [this] {
            TForm_qczlb_edit d(this, m_dm);
            d.fillDropDowns();
            Modal::exec(&d);
        });
    }
}

void PlannerWindow::showOnRow(RecordSet& q, const QString& table, const QString& number, const std::function<void()>& show)
{
    try {
        const SharedRow shared(q, table, number);
        if (!shared.found())
            Msg::warn(this, QStringLiteral("没有找到相应的记录!"));
        else
            show();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
    reload();
}

QString PlannerWindow::currentContract(bool returnedToo) const
{
    const Bar* b = currentBar();
    if (!b || !isContract(b->kind) || (!returnedToo && b->kind == BarKind::Returned))
        return {};
    return b->number;
}

QDateTime PlannerWindow::selectionStart() const
{
    const PlannerView::Selection& s = m_view->selection();
    const QDate day = m_plan.start.addDays(s.firstDay);
    const QDateTime opening(day, QTime(9, 0));
    const QDateTime now = Clock::now();
    if (day == now.date() && now > opening)
        return QDateTime(day, QTime(now.time().hour(), now.time().minute()));
    return opening;
}

void PlannerWindow::newBooking(bool contract)
{
    const PlannerView::Selection s = m_view->selection();
    if (s.count <= 0 || s.row < 0 || s.row >= m_plan.rows.size()) {
        Msg::warn(this, QStringLiteral("请先在车辆的行上选择空闲的日期!"));
        return;
    }
    const QString plate = m_plan.rows[s.row].plate;
    const QDateTime start = selectionStart();
    try {
        RecordSet& q = contract ? m_dm->q_qczlb : m_dm->q_khydqc;
        const SharedRow shared(q, contract ? ContractTable : ReservationTable, QString());
        std::unique_ptr<BookingDialog> d;
        if (contract)
            d = std::make_unique<TForm_qczlb_edit>(this, m_dm);
        else
            d = std::make_unique<TForm_khydqc_edit>(this, m_dm);
        d->fillDropDowns();
        // 增加 as the clerk presses it, then the chosen vehicle and days as if picked in the dialog.
        d->onAdd();
        if (d->adding()) {
            d->assignColumn(Col::车牌号, plate);
            d->assignColumn(Col::发车日期, Dates::toStorage(start));
            d->assignColumn(Col::租赁期限, s.count);
            if (auto* c = qobject_cast<TForm_qczlb_edit*>(d.get()))
                c->showRentDue();
            Modal::exec(d.get());
        }
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
    reload();
}

void PlannerWindow::returnVehicle()
{
    // A vehicle back already is settled, not returned again.
    const QString number = currentContract(false);
    if (number.isEmpty())
        return;
    showOnRow(m_dm->q_qczlb, ContractTable, number, [this] {
        TForm_qczljcb_edit d(this, m_dm);
        Modal::exec(&d);
    });
}

void PlannerWindow::settle()
{
    const QString number = currentContract(true);
    if (number.isEmpty())
        return;
    showOnRow(m_dm->q_qczlb, ContractTable, number, [this] {
        TForm_qczljsd_edit d(this, m_dm);
        d.fillSettlers();
        Modal::exec(&d);
    });
}

void PlannerWindow::extendContract()
{
    const QString number = currentContract(true);
    if (number.isEmpty())
        return;
    // The dialog says why it refuses (a returned or settled contract, another booking in the way).
    ContractChanges::extendContract(this, m_dm, number);
    reload();
}

void PlannerWindow::swapVehicle()
{
    const QString number = currentContract(true);
    if (number.isEmpty())
        return;
    ContractChanges::swapVehicle(this, m_dm, number);
    reload();
}

void PlannerWindow::showContextMenu(const QPoint& globalPos, const PlannerView::Hit& hit)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("plannerMenu"));
    if (hit.bar >= 0) {
        const Bar& b = m_plan.rows[hit.row].bars[hit.bar];
        if (b.kind == BarKind::Reservation) {
            menu.addAction(QStringLiteral("打开预订"), this, [this, hit] { openBar(hit.row, hit.bar); });
        } else if (isContract(b.kind)) {
            menu.addAction(QStringLiteral("打开租赁"), this, [this, hit] { openBar(hit.row, hit.bar); });
            menu.addSeparator();
            QAction* back = menu.addAction(QStringLiteral("收车"), this, &PlannerWindow::returnVehicle);
            back->setEnabled(b.kind != BarKind::Returned);
            menu.addAction(QStringLiteral("结算"), this, &PlannerWindow::settle);
            menu.addSeparator();
            // Only a contract still out can run longer or move to another vehicle.
            menu.addAction(QStringLiteral("续租"), this, &PlannerWindow::extendContract)->setEnabled(b.kind != BarKind::Returned);
            menu.addAction(QStringLiteral("换车"), this, &PlannerWindow::swapVehicle)->setEnabled(b.kind != BarKind::Returned);
        }
    } else if (m_view->selection().count > 0) {
        menu.addAction(QStringLiteral("新建预订"), this, &PlannerWindow::newReservation);
        menu.addAction(QStringLiteral("新建租赁"), this, &PlannerWindow::newContract);
    }
    if (!menu.isEmpty())
        menu.exec(globalPos);
}

// ---- print and export ----

ExportTable PlannerWindow::weekTable(int firstDay, int days) const
{
    ExportTable t;
    t.printTitle = QStringLiteral("车辆排期表");
    t.operatorName = Session::currentOperator().name;
    t.printedAt = Clock::now();
    for (int c = 0; c < 4; ++c)
        t.columns << ExportColumn{QString::fromUtf8(FrozenTitles[c]), FieldType::Text, FrozenWidths[c]};
    for (int d = firstDay; d < firstDay + days; ++d) {
        const QDate date = m_plan.start.addDays(d);
        t.columns << ExportColumn{monthText(date) + QLatin1Char('|') + QString::number(date.day()) + QLatin1Char(' ')
                                      + weekdayText(date),
                                  FieldType::Text, 60};
    }
    for (const Planner::VehicleRow& v : m_plan.rows) {
        QStringList row{v.plate, v.model, v.colour, v.state};
        QVector<QStringList> cells(days);
        for (const Bar& b : v.bars) {
            int a = 0, z = 0;
            if (!barDays(m_plan, b, &a, &z))
                continue;
            for (int d = std::max(a, firstDay); d <= std::min(z, firstDay + days - 1); ++d)
                cells[d - firstDay] << Planner::label(b);
        }
        for (const QStringList& c : cells)
            row << c.join(QLatin1Char('/'));
        t.rows << row;
    }
    return t;
}

ExportTable PlannerWindow::spanTable() const
{
    return weekTable(0, m_plan.days);
}

int PlannerWindow::paintPrint(QPainter& painter, QPagedPaintDevice& device) const
{
    // A week across each page, the vehicles down as many pages as they take; one closing line at the end.
    const int weeks = std::max(1, (m_plan.days + 6) / 7);
    int pages = 0;
    for (int w = 0; w < weeks; ++w) {
        const int first = w * 7;
        const int days = std::clamp(m_plan.days - first, 0, 7);
        ExportTable t = weekTable(first, days);
        const QDate a = m_plan.start.addDays(first);
        t.printTitle += QStringLiteral("  ") + Dates::displayDate(QDateTime(a, QTime(0, 0))) + QStringLiteral(" 至 ")
                        + Dates::displayDate(QDateTime(a.addDays(std::max(days, 1) - 1), QTime(0, 0)));
        pages += paintPages(painter, device, t, 0, PageRun{.pagesBefore = pages, .closingLine = w == weeks - 1});
    }
    return pages;
}

bool PlannerWindow::printToPdf(const QString& path, QString* error) const
{
    return paintToPdf(
        path, QStringLiteral("车辆排期表"), QPageLayout::Landscape, [this](QPainter& p, QPagedPaintDevice& d) { paintPrint(p, d); },
        error);
}

void PlannerWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    setupListPage(printer);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("打印预览"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        QPainter painter;
        if (!painter.begin(target))
            return;
        paintPrint(painter, *target);
        painter.end();
    });
    Modal::exec(&preview);
}

void PlannerWindow::exportSpan()
{
    exportWithDialog(this, m_dm->SaveDialog1, QStringLiteral("车辆排期表"), spanTable());
}
