#include "stats/dbbar.h"
#include "data/amounts.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "stats/scratch.h"
#include "ui/common/messages.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>
#include <cmath>

namespace {

const QColor Palette[] = {QColor(255, 0, 0),   QColor(0, 128, 0),   QColor(255, 255, 0),   QColor(0, 0, 255),  QColor(128, 128, 128),
                          QColor(255, 0, 255), QColor(0, 128, 128), QColor(0, 0, 128),     QColor(128, 0, 0),  QColor(0, 255, 0),
                          QColor(128, 128, 0), QColor(128, 0, 128), QColor(192, 192, 192), QColor(0, 255, 255)};

// A round step for the value axis: 1, 2 or 5 times a power of ten, about five steps over the range.
double niceStep(double range)
{
    const double raw = range / 5.0;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * p)
            return m * p;
    return 10 * p;
}

QString axisText(double v)
{
    return QString::number(v, 'f', std::fabs(v - std::round(v)) < 1e-9 ? 0 : 2);
}

}  // namespace

BarChart::BarChart(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DBChart1"));
    setAutoFillBackground(true);
    setMinimumSize(320, 200);
}

std::function<QColor(QWidget*, const QColor&)>& BarChart::colourChooser()
{
    static std::function<QColor(QWidget*, const QColor&)> f = [](QWidget* parent, const QColor& initial) {
        return QColorDialog::getColor(initial, parent);
    };
    return f;
}

void BarChart::setBars(QVector<Bar> bars)
{
    m_bars = std::move(bars);
    update();
}

void BarChart::setBarColour(int index, const QColor& colour)
{
    if (index >= 0 && index < m_bars.size()) {
        m_bars[index].colour = colour;
        update();
    }
}

void BarChart::setShape(BarShape shape)
{
    m_shape = shape;
    update();
}

void BarChart::setThreeD(bool on)
{
    m_threeD = on;
    update();
}

BarChart::Frame BarChart::frame(const QRect& area, const QPaintDevice* device) const
{
    Frame f;
    const double titleH = title.isEmpty() ? 10 : 36, labelH = 28, side = 72;
    const int n = std::max<int>(1, int(m_bars.size()));
    double lo = 0, hi = 0;
    for (const Bar& b : m_bars) {
        lo = std::min(lo, b.value.toDouble());
        hi = std::max(hi, b.value.toDouble());
    }
    if (hi - lo < 1e-9)
        hi = lo + 1;
    const double step = niceStep(hi - lo);
    f.lo = std::floor(lo / step) * step;
    f.hi = std::ceil(hi / step) * step;
    // Room above the highest bar for its value.
    if (hi > 0 && f.hi - hi < step / 2)
        f.hi += step;
    f.plot = QRectF(area.left() + side, area.top() + titleH, std::max(10.0, area.width() - 2 * side),
                    std::max(10.0, area.height() - titleH - labelH));
    f.slot = f.plot.width() / n;
    f.depth = m_threeD ? std::min(f.slot * 0.15, 16.0) : 0;
    f.plot.adjust(0, f.depth, -f.depth, 0);
    f.slot = f.plot.width() / n;

    // Value labels stay whole: upright in a smaller font down to a floor, otherwise turned upwards,
    // in a font no taller than the slot, with room reserved above the plot for their length.
    const auto widest = [&](const QFont& font) {
        const QFontMetricsF fm = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
        double w = 0;
        for (const Bar& b : m_bars)
            w = std::max(w, fm.horizontalAdvance(b.value.toDisplay()));
        return std::pair{w, fm.height()};
    };
    QFont font = this->font();
    const double base = font.pointSizeF() > 0 ? font.pointSizeF() : 9;
    const double floor = std::max(6.0, base * 0.7);
    for (double size = base; size >= floor - 1e-9; size -= 0.5) {
        font.setPointSizeF(size);
        if (widest(font).first + 4 <= f.slot) {
            f.labelFont = font;
            return f;
        }
    }
    f.verticalLabels = true;
    font.setPointSizeF(base);
    for (double size = base; size > 4; size -= 0.5) {
        font.setPointSizeF(size);
        if (widest(font).second + 2 <= f.slot)
            break;
    }
    f.labelFont = font;
    const double room = std::min(widest(font).first + 6, f.plot.height() / 2);
    f.plot.adjust(0, room, 0, 0);
    return f;
}

QVector<BarChart::ValueLabel> BarChart::valueLabels(const QRect& area, const QPaintDevice* device) const
{
    const Frame f = frame(area, device);
    const QFontMetricsF fm = device ? QFontMetricsF(f.labelFont, device) : QFontMetricsF(f.labelFont);
    const double zero = f.y(0);
    QVector<ValueLabel> out;
    for (int i = 0; i < m_bars.size(); ++i) {
        const QRectF r = barRect(f, i);
        ValueLabel l{m_bars[i].value.toDisplay(), f.labelFont, f.verticalLabels, {}};
        const double w = fm.horizontalAdvance(l.text) + 2, h = fm.height();
        const double bottom = std::min(r.top(), zero) - f.depth - 2;
        l.rect = f.verticalLabels ? QRectF(r.center().x() - h / 2, bottom - w, h, w)
                                  : QRectF(r.center().x() - w / 2, bottom - h, w, h);
        out << l;
    }
    return out;
}

QRectF BarChart::barRect(int index, const QRect& area) const
{
    return barRect(frame(area), index);
}

QRectF BarChart::barRect(const Frame& f, int index) const
{
    const double v = m_bars[index].value.toDouble();
    const double top = f.y(std::max(v, 0.0)), bottom = f.y(std::min(v, 0.0));
    return QRectF(f.plot.left() + index * f.slot + f.slot * 0.2, top, f.slot * 0.6, std::max(1.0, bottom - top));
}

void BarChart::paintBar(QPainter& p, const QRectF& r, double baseY, const QColor& c, double depth) const
{
    const bool down = r.top() >= baseY - 0.5 && r.bottom() > baseY + 0.5;  // a negative value grows down
    const QPointF top = down ? QPointF(r.center().x(), r.bottom()) : QPointF(r.center().x(), r.top());
    const QPointF baseL = down ? r.topLeft() : r.bottomLeft(), baseR = down ? r.topRight() : r.bottomRight();
    const QPointF endL = down ? r.bottomLeft() : r.topLeft(), endR = down ? r.bottomRight() : r.topRight();
    QPainterPath front;
    switch (m_shape) {
    case BarShape::Rectangle:
    case BarShape::Cylinder:
        front.addRect(r);
        break;
    case BarShape::Pyramid:
        front.moveTo(baseL);
        front.lineTo(top);
        front.lineTo(baseR);
        front.closeSubpath();
        break;
    case BarShape::InvertedPyramid:
        front.moveTo(endL);
        front.lineTo(endR);
        front.lineTo(QPointF(r.center().x(), down ? r.top() : r.bottom()));
        front.closeSubpath();
        break;
    case BarShape::Ellipse:
        front.addEllipse(r);
        break;
    case BarShape::Arrow: {
        const double head = std::min(r.height() / 3, r.width());
        const double shaft = r.width() / 4;
        const double cx = r.center().x();
        const double neck = down ? r.bottom() - head : r.top() + head;
        front.moveTo(cx - shaft, down ? r.top() : r.bottom());
        front.lineTo(cx - shaft, neck);
        front.lineTo(r.left(), neck);
        front.lineTo(top);
        front.lineTo(r.right(), neck);
        front.lineTo(cx + shaft, neck);
        front.lineTo(cx + shaft, down ? r.top() : r.bottom());
        front.closeSubpath();
        break;
    }
    }
    p.setPen(QPen(Qt::black, 1));
    if (depth > 0) {
        if (m_shape == BarShape::Rectangle) {
            // Side and top faces of a box.
            const QPointF d(depth, -depth);
            p.setBrush(c.darker(150));
            p.drawPolygon(QPolygonF({r.topRight(), r.topRight() + d, r.bottomRight() + d, r.bottomRight()}));
            p.setBrush(c.lighter(130));
            p.drawPolygon(QPolygonF({r.topLeft(), r.topLeft() + d, r.topRight() + d, r.topRight()}));
        } else if (m_shape == BarShape::Cylinder) {
            const double h = std::max(4.0, depth);
            p.setBrush(c.darker(130));
            p.drawEllipse(QRectF(r.left(), r.bottom() - h / 2, r.width(), h));
            p.setPen(Qt::NoPen);
            p.setBrush(c);
            p.drawRect(r);
            p.setPen(QPen(Qt::black, 1));
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.drawLine(r.topRight(), r.bottomRight());
            p.setBrush(c.lighter(130));
            p.drawEllipse(QRectF(r.left(), r.top() - h / 2, r.width(), h));
            return;
        } else {
            // The shape's back face, offset into the depth.
            p.setBrush(c.darker(150));
            p.drawPath(front.translated(depth, -depth));
        }
    }
    p.setBrush(c);
    p.drawPath(front);
}

void BarChart::paintChart(QPainter& p, const QRect& area) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(area, Qt::white);
    const Frame f = frame(area, p.device());
    const QFontMetrics fm(p.font());
    if (!title.isEmpty())
        p.drawText(QRectF(area.left(), area.top(), area.width(), 32), Qt::AlignCenter, title);

    // Value axis on both sides with the grid lines between them.
    const double step = niceStep(f.hi - f.lo);
    p.setPen(QPen(QColor(200, 200, 200), 1));
    for (double v = f.lo; v <= f.hi + step / 1000; v += step) {
        const double y = f.y(v);
        p.setPen(QPen(QColor(210, 210, 210), 1));
        p.drawLine(QPointF(f.plot.left(), y), QPointF(f.plot.right(), y));
        p.setPen(Qt::black);
        const QString t = axisText(v);
        p.drawText(QRectF(area.left(), y - 10, f.plot.left() - area.left() - 6, 20), Qt::AlignRight | Qt::AlignVCenter, t);
        p.drawText(QRectF(f.plot.right() + f.depth + 6, y - 10, area.right() - f.plot.right() - f.depth - 6, 20),
                   Qt::AlignLeft | Qt::AlignVCenter, t);
    }
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(f.plot.topLeft(), f.plot.bottomLeft());
    p.drawLine(QPointF(f.plot.right() + f.depth, f.plot.top()), QPointF(f.plot.right() + f.depth, f.plot.bottom()));
    const double zero = f.y(0);
    p.drawLine(QPointF(f.plot.left(), zero), QPointF(f.plot.right(), zero));

    for (int i = 0; i < m_bars.size(); ++i) {
        const QRectF r = barRect(f, i);
        paintBar(p, r, zero, m_bars[i].colour, f.depth);
        p.setPen(Qt::black);
        p.drawText(QRectF(f.plot.left() + i * f.slot, f.plot.bottom() + 4, f.slot, fm.height() + 4), Qt::AlignCenter, m_bars[i].label);
    }
    p.setPen(Qt::black);
    for (const ValueLabel& l : valueLabels(area, p.device())) {
        p.save();
        p.setFont(l.font);
        if (l.vertical) {
            // Turned a quarter to the left: the text reads upwards from the bar.
            p.translate(l.rect.left(), l.rect.bottom());
            p.rotate(-90);
            p.drawText(QRectF(0, 0, l.rect.height(), l.rect.width()), Qt::AlignCenter, l.text);
        } else {
            p.drawText(l.rect, Qt::AlignCenter, l.text);
        }
        p.restore();
    }
    p.restore();
}

int BarChart::barAt(const QPoint& pos) const
{
    for (int i = 0; i < m_bars.size(); ++i)
        if (barRect(i, rect()).adjusted(0, -2, 0, 2).contains(pos))
            return i;
    return -1;
}

void BarChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintChart(p, rect());
}

void BarChart::mousePressEvent(QMouseEvent* event)
{
    const int i = barAt(event->position().toPoint());
    if (i >= 0 && event->button() == Qt::LeftButton)
        emit barClicked(i);
    QWidget::mousePressEvent(event);
}

void fillChartTable(Database& db, const RecordSet& results)
{
    ScratchRows rows({Col::sl1, Col::je1});
    const int label = results.fieldIndex(Col::月份), value = results.fieldIndex(Col::收入差价);
    for (int i = 0; i < results.recordCount(); ++i)
        rows.add({results.storedAt(i, label), QVariant::fromValue(Amounts::read(results.storedAt(i, value)))});
    Scratch::replaceTable(db, QStringLiteral("图形显示"), rows);
}

QVector<Bar> readChartTable(Database& db)
{
    QVector<Bar> bars;
    QSqlQuery q = db.run(QStringLiteral("select sl1,je1 from 图形显示 order by __rk"));
    while (q.next()) {
        const int n = int(bars.size());
        bars.push_back({q.value(0).toString(), Amounts::read(q.value(1)), Palette[n % std::size(Palette)]});
    }
    return bars;
}

TForm_dbbar::TForm_dbbar(QWidget* owner, TDm1* dm) : QDialog(owner)
{
    setObjectName(QStringLiteral("Form_dbbar"));
    setProperty("windowClass", QStringLiteral("TForm_dbbar"));
    setWindowTitle(QStringLiteral("显示统计分析图形"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowState(Qt::WindowMaximized);

    auto* outer = new QVBoxLayout(this);
    auto* strip = new QHBoxLayout;
    outer->addLayout(strip);
    strip->addWidget(new QLabel(QStringLiteral("显示样式："), this));
    shapeBox = new QComboBox(this);
    shapeBox->setObjectName(QStringLiteral("ComboBox1"));
    shapeBox->addItems({QStringLiteral("矩形"), QStringLiteral("正三角型"), QStringLiteral("倒三角形"), QStringLiteral("圆柱型"),
                        QStringLiteral("椭圆型"), QStringLiteral("箭头")});
    shapeBox->setCurrentIndex(-1);
    strip->addWidget(shapeBox);
    threeDBox = new QCheckBox(QStringLiteral("立体图形"), this);
    threeDBox->setObjectName(QStringLiteral("CheckBox1"));
    threeDBox->setChecked(true);
    strip->addWidget(threeDBox);
    const auto button = [&](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        strip->addWidget(b);
        return b;
    };
    saveButton = button("SpeedButton1", "保存");
    printButton = button("SpeedButton2", "打印");
    closeButton = button("SpeedButton3", "退出");
    strip->addStretch(1);
    chart = new BarChart(this);
    chart->title = QStringLiteral("按月汇总统计表");
    outer->addWidget(chart, 1);

    connect(shapeBox, &QComboBox::activated, this, &TForm_dbbar::showShape);
    connect(threeDBox, &QCheckBox::toggled, this, &TForm_dbbar::showThreeD);
    connect(saveButton, &QPushButton::clicked, this, &TForm_dbbar::saveBitmap);
    connect(printButton, &QPushButton::clicked, this, &TForm_dbbar::printChart);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(chart, &BarChart::barClicked, this, &TForm_dbbar::recolourBar);

    chart->setBars(readChartTable(dm->ADO_qczl));
}

void TForm_dbbar::showShape()
{
    const int i = shapeBox->currentIndex();
    if (i >= 0)
        chart->setShape(BarShape(i));
}

void TForm_dbbar::showThreeD()
{
    chart->setThreeD(threeDBox->isChecked());
}

void TForm_dbbar::recolourBar(int index)
{
    const QColor chosen = BarChart::colourChooser()(this, chart->bars().value(index).colour);
    if (chosen.isValid())
        chart->setBarColour(index, chosen);
}

QImage TForm_dbbar::chartImage() const
{
    QImage image(chart->size(), QImage::Format_RGB32);
    QPainter p(&image);
    chart->paintChart(p, image.rect());
    return image;
}

void TForm_dbbar::saveBitmap()
{
    const FileDialogs::SaveResult r = FileDialogs::getSaveFileName(this, {.caption = QStringLiteral("保存到BMP文件中"),
                                                                          .directory = {},
                                                                          .fileName = QStringLiteral("TEE0.BMP"),
                                                                          .filters = {QStringLiteral("Bitmap Files (*.bmp)")},
                                                                          .filterIndex = 0});
    if (!r.accepted || r.fileName.isEmpty())
        return;
    QString name = r.fileName;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".BMP");
    if (!chartImage().save(name, "BMP"))
        Msg::error(this, QStringLiteral("无法写入文件 %1").arg(name));
}

QPrinter& TForm_dbbar::printer()
{
    static QPrinter p(QPrinter::HighResolution);
    return p;
}

void TForm_dbbar::printChart()
{
    QPrinter& pr = printer();
    const QPageLayout::Orientation before = pr.pageLayout().orientation();
    pr.setPageOrientation(QPageLayout::Landscape);
    const QImage image = chartImage();
    QPainter p;
    if (p.begin(&pr)) {
        const QRect page = p.viewport();
        const QSize fitted = image.size().scaled(page.size(), Qt::KeepAspectRatio);
        p.drawImage(QRect(page.topLeft(), fitted), image);
        p.end();
    } else {
        Msg::error(this, QStringLiteral("打印机没有准备好！"));
    }
    pr.setPageOrientation(before);
}
