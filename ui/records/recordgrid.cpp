#include "ui/records/recordgrid.h"
#include "ui/records/gridmodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QStyleOptionViewItem>

namespace {
class FooterBar : public QWidget {
public:
    explicit FooterBar(RecordGrid* grid) : QWidget(grid), m_grid(grid) { setObjectName(QStringLiteral("Footer")); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), m_grid->footerBackground);
        RecordGridModel* model = m_grid->gridModel();
        if (!model)
            return;
        p.setPen(m_grid->footerText);
        const int offset = m_grid->verticalHeader()->isVisible() ? m_grid->verticalHeader()->width() : 0;
        QHeaderView* h = m_grid->horizontalHeader();
        for (int s = 0; s < h->count(); ++s) {
            if (h->isSectionHidden(s))
                continue;
            const QRect cell(offset + h->sectionViewportPosition(s), 0, h->sectionSize(s), height());
            p.drawLine(cell.topRight(), cell.bottomRight());
            const QVariant align = model->data(model->index(0, s), Qt::TextAlignmentRole);
            const int flags = align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
            p.drawText(cell.adjusted(3, 0, -3, 0), flags, model->footerTextNow(s));
        }
    }

private:
    RecordGrid* m_grid;
};

// A header whose sections differ only by their text: each text is measured once per font, style
// and sort indicator. Both headers ask their sections again and again (the row indicator the first
// and last hundred rows at every layout; the titles all 53 columns at every change of a width or
// of the model), though only the current row's mark or a title's sort mark ever changes a text.
class TextSizedHeader : public QHeaderView {
public:
    explicit TextSizedHeader(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent) {}

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override
    {
        if (!model())
            return QHeaderView::sectionSizeFromContents(logicalIndex);
        const QString text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
        if (m_font != font() || m_style != style() || m_sortShown != isSortIndicatorShown()) {
            m_font = font();
            m_style = style();
            m_sortShown = isSortIndicatorShown();
            m_sizes.clear();
        }
        auto it = m_sizes.constFind(text);
        if (it == m_sizes.constEnd())
            it = m_sizes.insert(text, QHeaderView::sectionSizeFromContents(logicalIndex));
        return *it;
    }

    void changeEvent(QEvent* event) override
    {
        // A style sheet set anew keeps the same style object.
        if (event->type() == QEvent::StyleChange)
            m_sizes.clear();
        QHeaderView::changeEvent(event);
    }

private:
    mutable QFont m_font;
    mutable const QStyle* m_style = nullptr;
    mutable bool m_sortShown = false;
    mutable QHash<QString, QSize> m_sizes;
};
}  // namespace

RecordGrid::RecordGrid(QWidget* parent) : QTableView(parent), m_footer(new FooterBar(this))
{
    // As the table view's own headers, measured once per text.
    for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        auto* header = new TextSizedHeader(o, this);
        header->setSectionsClickable(true);
        header->setHighlightSections(true);
        if (o == Qt::Horizontal)
            setHorizontalHeader(header);
        else
            setVerticalHeader(header);
    }
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(true);
    setStyleSheet(QStringLiteral("QTableView { background: white; }"));
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int s) { Q_EMIT titleClicked(s, QApplication::keyboardModifiers()); });
    auto repaintFooter = [this] { m_footer->update(); };
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, repaintFooter);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, repaintFooter);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &RecordGrid::queueFit);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &RecordGrid::queueFit);
}

void RecordGrid::queueFit()
{
    if (m_fitQueued)
        return;
    m_fitQueued = true;
    QMetaObject::invokeMethod(this, &RecordGrid::fitVisibleRows, Qt::QueuedConnection);
}

// What one fitting of the rows on screen gathers: the characters of the plain cells, and the
// heights of the cells laid out by their text and measure (a date and time repeated in the
// columns of one row is laid out once).
struct RecordGrid::FitPass {
    QString lineChars;
    QSet<char16_t> seen;
    QHash<QString, int> measured;
};

void RecordGrid::fitVisibleRows()
{
    m_fitQueued = false;
    if (m_fitting || !model() || !isVisible())
        return;
    m_fitting = true;
    QHeaderView* v = verticalHeader();
    const int first = rowAt(0);
    int last = rowAt(viewport()->height() - 1);
    if (last < 0)
        last = model()->rowCount() - 1;
    // A cell of one short line of printable ASCII and Han characters is no taller than one line of
    // all such characters of the screen together, which fits the default height: only the other
    // cells are laid out, and should the line of all not fit, every cell as before.
    FitPass pass;
    QVector<int> wanted;
    const int from = std::max(first, 0);
    for (int r = from; r >= 0 && r <= last; ++r)
        wanted << std::max(v->defaultSectionSize(), otherCellsHeight(r, &pass));
    const bool allMeasured = !pass.lineChars.isEmpty() && !oneLineFits(pass.lineChars);
    for (int r = from; r >= 0 && r <= last; ++r) {
        const int h = allMeasured ? std::max(v->defaultSectionSize(), sizeHintForRow(r)) : wanted[r - from];
        if (v->sectionSize(r) != h)
            v->resizeSection(r, h);
    }
    m_fitting = false;
}

qreal RecordGrid::advanceOf(char16_t c) const
{
    // The advance of a character as drawn alone, -1 when it is neither printable ASCII of the
    // grid's own font nor a Han character (other characters may take other fonts by their
    // neighbours, or break lines).
    if (m_advanceFont != font()) {
        m_advanceFont = font();
        m_advances.clear();
    }
    auto it = m_advances.constFind(c);
    if (it != m_advances.constEnd())
        return *it;
    const QChar ch(c);
    const QFontMetricsF fm(font());
    qreal a = -1;
    if ((c >= 0x20 && c < 0x7f && fm.inFont(ch)) || (!ch.isSurrogate() && ch.script() == QChar::Script_Han))
        a = fm.horizontalAdvance(ch);
    m_advances.insert(c, a);
    return a;
}

int RecordGrid::otherCellsHeight(int row, FitPass* pass) const
{
    // As the table view measures a cell: its rectangle on screen for the wrapping.
    QStyleOptionViewItem opt;
    initViewItemOption(&opt);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, this) + 1;
    const int grid = showGrid() ? 1 : 0;
    QHeaderView* h = horizontalHeader();
    int height = 0;
    bool any = false;
    for (int s = 0; s < h->count(); ++s) {
        if (h->isSectionHidden(s))
            continue;
        const QModelIndex index = model()->index(row, s);
        const QString text = index.data(Qt::DisplayRole).toString();
        qreal width = 0;
        bool plain = true;
        for (QChar ch : text) {
            const qreal a = advanceOf(ch.unicode());
            if (a < 0) {
                plain = false;
                break;
            }
            width += a;
        }
        // Room for the kerning and rounding of a laid-out line: only a clear fit is taken.
        if (plain && (text.isEmpty() || width * 1.02 + 3 <= columnWidth(s) - grid - 2 * margin)) {
            for (QChar ch : text)
                if (!pass->seen.contains(ch.unicode())) {
                    pass->seen.insert(ch.unicode());
                    pass->lineChars.append(ch);
                }
            continue;
        }
        QStyleOptionViewItem o = opt;
        if (wordWrap())
            o.rect = QRect(columnViewportPosition(s), rowViewportPosition(row), columnWidth(s) - grid, std::max(1, rowHeight(row)));
        // The measure depends on the text, the cell's size, its alignment and delegate, not on its place.
        const QString key = text + QChar(0) + QString::number(o.rect.width()) + QLatin1Char(' ') + QString::number(o.rect.height())
                            + QLatin1Char(' ') + QString::number(index.data(Qt::TextAlignmentRole).toInt()) + QLatin1Char(' ')
                            + QString::number(quintptr(itemDelegateForIndex(index)));
        auto it = pass->measured.constFind(key);
        if (it == pass->measured.constEnd())
            it = pass->measured.insert(key, itemDelegateForIndex(index)->sizeHint(o, index).height());
        height = std::max(height, *it);
        any = true;
    }
    return any ? height + grid : 0;
}

bool RecordGrid::oneLineFits(const QString& chars) const
{
    // One line of every character gathered is as tall as any line made of some of them.
    QStyleOptionViewItem opt;
    initViewItemOption(&opt);
    opt.text = chars;
    opt.features |= QStyleOptionViewItem::HasDisplay;
    opt.features &= ~QStyleOptionViewItem::WrapText;
    opt.rect = QRect();
    const int hint = style()->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), this).height();
    return hint + (showGrid() ? 1 : 0) <= verticalHeader()->defaultSectionSize();
}

void RecordGrid::setGridModel(RecordGridModel* model)
{
    m_model = model;
    setModel(model);
    connect(model, &RecordGridModel::footerChanged, m_footer, qOverload<>(&QWidget::update));
    connect(model, &QAbstractItemModel::columnsInserted, this, &RecordGrid::applyWidths);
    connect(model, &QAbstractItemModel::modelReset, this, &RecordGrid::applyWidths);
    connect(model, &QAbstractItemModel::modelReset, this, &RecordGrid::queueFit);
    connect(model, &QAbstractItemModel::dataChanged, this, &RecordGrid::queueFit);
    connect(model, &QAbstractItemModel::rowsInserted, this, &RecordGrid::queueFit);
    applyWidths();
}

int RecordGrid::footerHeight() const
{
    return fontMetrics().height() + 8;
}

void RecordGrid::setAutoFitColWidths(bool on)
{
    if (on && !m_autoFit)
        captureWidths();  // the widths to come back to
    m_autoFit = on;
    horizontalHeader()->setSectionResizeMode(on ? QHeaderView::Stretch : QHeaderView::Interactive);
    if (!on)
        applyWidths();
}

void RecordGrid::captureWidths()
{
    if (!m_model || m_autoFit)
        return;
    for (int s = 0; s < m_model->columnCount() && s < horizontalHeader()->count(); ++s)
        m_model->setShownWidth(s, horizontalHeader()->sectionSize(s));
}

void RecordGrid::applyWidths()
{
    if (!m_model || m_autoFit)
        return;
    for (int s = 0; s < m_model->columnCount() && s < horizontalHeader()->count(); ++s) {
        const int w = m_model->shownColumn(s).width;
        horizontalHeader()->resizeSection(s, w > 0 ? w : horizontalHeader()->defaultSectionSize());
    }
}

void RecordGrid::updateGeometries()
{
    QTableView::updateGeometries();
    const QMargins m = viewportMargins();
    const int fh = footerHeight();
    if (m.bottom() != fh)
        setViewportMargins(m.left(), m.top(), m.right(), fh);
    const QRect vp = viewport()->geometry();
    m_footer->setGeometry(frameWidth(), vp.bottom() + 1, vp.right() + 1 - frameWidth(), fh);
}

void RecordGrid::keyPressEvent(QKeyEvent* event)
{
    // Enter moves like Tab.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, event->modifiers());
        QTableView::keyPressEvent(&tab);
        return;
    }
    QTableView::keyPressEvent(event);
}
