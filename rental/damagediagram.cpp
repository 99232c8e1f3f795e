#include "rental/damagediagram.h"

#include <QBuffer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

using namespace Qt::StringLiterals;

namespace DamageDrawing {

namespace {

// The drawing is laid out on a 400 × 300 plan and scaled into the picture: the left side above
// (seen from the left, so the front is on the left), the car from above in the middle with its
// front to the right, the right side below. The car is 260 long, from x 80 to 340.
constexpr qreal PlanW = 400, PlanH = 300;
constexpr qreal CarX = 80, CarL = 260;
constexpr qreal LeftTop = 4, TopTop = 104, RightTop = 206;

// The side profile with its front to the right, on a band 90 high.
QPainterPath sideBody()
{
    QPainterPath p;
    p.moveTo(0, 66);
    p.lineTo(0, 42);
    p.quadTo(1, 34, 8, 33);
    p.lineTo(36, 31);
    p.quadTo(52, 12, 72, 7);
    p.quadTo(110, 3, 148, 7);
    p.quadTo(178, 20, 200, 32);
    p.lineTo(248, 37);
    p.quadTo(260, 40, 260, 50);
    p.lineTo(260, 66);
    p.lineTo(231, 66);
    p.arcTo(QRectF(183, 46, 44, 44), 0, 180);  // the front wheel's arch
    p.lineTo(77, 66);
    p.arcTo(QRectF(33, 46, 44, 44), 0, 180);
    p.closeSubpath();
    return p;
}

QPainterPath sideDetails()
{
    QPainterPath p;
    // Windows, the door lines, handles, lamps.
    p.moveTo(48, 30);
    p.quadTo(60, 16, 74, 12);
    p.lineTo(112, 11);
    p.lineTo(112, 30);
    p.closeSubpath();
    p.moveTo(118, 11);
    p.lineTo(146, 12);
    p.quadTo(166, 20, 186, 30);
    p.lineTo(118, 30);
    p.closeSubpath();
    p.moveTo(115, 9);
    p.lineTo(115, 62);
    p.moveTo(70, 33);
    p.lineTo(70, 60);
    p.moveTo(168, 33);
    p.lineTo(168, 58);
    p.addRoundedRect(QRectF(96, 37, 10, 3), 1, 1);
    p.addRoundedRect(QRectF(150, 37, 10, 3), 1, 1);
    p.addRoundedRect(QRectF(250, 41, 8, 5), 2, 2);
    p.addRoundedRect(QRectF(1, 38, 6, 6), 2, 2);
    p.moveTo(0, 54);
    p.lineTo(260, 54);
    return p;
}

QPainterPath wheels()
{
    QPainterPath p;
    for (const qreal cx : {55.0, 205.0}) {
        p.addEllipse(QPointF(cx, 69), 18, 18);
        p.addEllipse(QPointF(cx, 69), 9, 9);
    }
    return p;
}

// Seen from above, front to the right, on a band 92 high.
QPainterPath topBody()
{
    QPainterPath p;
    p.moveTo(14, 6);
    p.lineTo(224, 6);
    p.cubicTo(250, 6, 260, 20, 260, 46);
    p.cubicTo(260, 72, 250, 86, 224, 86);
    p.lineTo(14, 86);
    p.cubicTo(4, 86, 0, 76, 0, 46);
    p.cubicTo(0, 16, 4, 6, 14, 6);
    p.closeSubpath();
    // The mirrors.
    p.addEllipse(QRectF(176, 0, 12, 7));
    p.addEllipse(QRectF(176, 85, 12, 7));
    return p;
}

QPainterPath topDetails()
{
    QPainterPath p;
    p.addRoundedRect(QRectF(76, 16, 94, 60), 10, 10);  // the roof
    // Windscreen and rear window.
    p.moveTo(170, 18);
    p.quadTo(190, 14, 204, 12);
    p.quadTo(210, 46, 204, 80);
    p.quadTo(190, 78, 170, 74);
    p.moveTo(76, 18);
    p.quadTo(62, 16, 50, 14);
    p.quadTo(44, 46, 50, 78);
    p.quadTo(62, 76, 76, 74);
    // The bonnet's lines and the doors.
    p.moveTo(214, 18);
    p.quadTo(240, 46, 214, 74);
    p.moveTo(126, 6);
    p.lineTo(126, 16);
    p.moveTo(126, 76);
    p.lineTo(126, 86);
    return p;
}

struct View {
    QPainterPath body, details;
    QString label;
    QPointF labelAt;
};

QVector<View> views()
{
    static const QVector<View> v = [] {
        QTransform right = QTransform::fromTranslate(CarX, RightTop);
        // Seen from the left the car's front is on the viewer's left: the profile mirrored.
        QTransform left = QTransform(-1, 0, 0, 1, CarX + CarL, LeftTop);
        QTransform top = QTransform::fromTranslate(CarX, TopTop);
        QPainterPath side = sideDetails();
        side.addPath(wheels());
        return QVector<View>{
            {left.map(sideBody()), left.map(side), u"左侧"_s, {CarX - 40, LeftTop + 45}},
            {top.map(topBody()), top.map(topDetails()), u"俯视"_s, {CarX - 40, TopTop + 46}},
            {right.map(sideBody()), right.map(side), u"右侧"_s, {CarX - 40, RightTop + 45}},
        };
    }();
    return v;
}

// The part of the plan where a mark lies on the car: each outline and a margin of a mark's size.
const QPainterPath& onTheCar()
{
    static const QPainterPath area = [] {
        QPainterPathStroker margin;
        margin.setWidth(12);
        QPainterPath all;
        for (const View& v : views()) {
            all.addPath(v.body);
            all.addPath(margin.createStroke(v.body));
        }
        all.setFillRule(Qt::WindingFill);
        return all.simplified();
    }();
    return area;
}

QTransform planToPicture(const QRectF& picture)
{
    return QTransform(picture.width() / PlanW, 0, 0, picture.height() / PlanH, picture.left(), picture.top());
}

void paintMark(QPainter& painter, const QPointF& at, qreal r, int number, const QColor& colour, bool ringed)
{
    painter.setPen(QPen(Qt::white, r * 0.15));
    painter.setBrush(colour);
    painter.drawEllipse(at, r, r);
    if (ringed) {
        painter.setPen(QPen(QColor(0x00, 0x60, 0xd0), r * 0.25));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, r * 1.45, r * 1.45);
    }
    QFont f = painter.font();
    f.setPixelSize(qMax(1, qRound(r * (number > 9 ? 1.05 : 1.35))));
    f.setBold(true);
    painter.setFont(f);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r), Qt::AlignCenter, QString::number(number));
}

}  // namespace

QRectF pictureRect(const QRectF& bounds)
{
    QSizeF size(PlanW, PlanH);
    size.scale(bounds.size(), Qt::KeepAspectRatio);
    return QRectF(bounds.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

std::optional<QPoint> toThousandths(const QRectF& bounds, const QPointF& at)
{
    const QRectF picture = pictureRect(bounds);
    if (picture.isEmpty() || !picture.contains(at))
        return std::nullopt;
    const QPoint mark(qBound(0, qRound((at.x() - picture.left()) * Handover::Scale / picture.width()), Handover::Scale),
                      qBound(0, qRound((at.y() - picture.top()) * Handover::Scale / picture.height()), Handover::Scale));
    // Only on the car: a click beside it marks nothing.
    if (!onTheCar().contains(QPointF(mark.x() * PlanW / Handover::Scale, mark.y() * PlanH / Handover::Scale)))
        return std::nullopt;
    return mark;
}

QPointF fromThousandths(const QRectF& bounds, int x, int y)
{
    const QRectF picture = pictureRect(bounds);
    return {picture.left() + x * picture.width() / Handover::Scale, picture.top() + y * picture.height() / Handover::Scale};
}

qreal markRadius(const QRectF& bounds)
{
    return pictureRect(bounds).width() * 0.024;
}

void paint(QPainter& painter, const QRectF& bounds, const QVector<Handover::Mark>& marks, const QColor& colour,
           const QVector<Handover::Mark>& earlier, int selected)
{
    const QRectF picture = pictureRect(bounds);
    if (picture.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QTransform toPicture = planToPicture(picture);
    const qreal unit = picture.width() / PlanW;
    QFont labelFont = painter.font();
    labelFont.setPixelSize(qMax(1, qRound(13 * unit)));
    for (const View& v : views()) {
        painter.setPen(QPen(QColor(0x30, 0x30, 0x30), qMax(1.0, 1.4 * unit)));
        painter.setBrush(QColor(0xf4, 0xf6, 0xf8));
        painter.drawPath(toPicture.map(v.body));
        painter.setPen(QPen(QColor(0x50, 0x50, 0x50), qMax(0.6, 0.8 * unit)));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(toPicture.map(v.details));
        painter.setFont(labelFont);
        painter.setPen(QColor(0x40, 0x40, 0x40));
        const QPointF at = toPicture.map(v.labelAt);
        painter.drawText(QRectF(at.x() - 30 * unit, at.y() - 10 * unit, 60 * unit, 20 * unit), Qt::AlignCenter, v.label);
    }
    // Where the front is, for the clerk walking round the car.
    const QPointF front = toPicture.map(QPointF(CarX + CarL + 30, TopTop + 46));
    painter.drawText(QRectF(front.x() - 30 * unit, front.y() - 10 * unit, 60 * unit, 20 * unit), Qt::AlignCenter, u"车头→"_s);

    const qreal r = markRadius(bounds);
    for (const Handover::Mark& m : earlier)
        paintMark(painter, fromThousandths(bounds, m.x, m.y), r, m.number, Earlier, false);
    for (const Handover::Mark& m : marks)
        paintMark(painter, fromThousandths(bounds, m.x, m.y), r, m.number, colour, m.number == selected);
    painter.restore();
}

QString htmlImage(const QVector<Handover::Mark>& marks, const QColor& colour, const QVector<Handover::Mark>& earlier, int width)
{
    // Drawn at four times the page's pixel so that the printed lines stay sharp.
    const int height = width * int(PlanH) / int(PlanW);
    QImage image(width * 4, height * 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paint(painter, QRectF(image.rect()), marks, colour, earlier);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return u"<img src=\"data:image/png;base64,%1\" width=\"%2\" height=\"%3\">"_s.arg(QString::fromLatin1(png.toBase64()))
        .arg(width)
        .arg(height);
}

}  // namespace DamageDrawing

DamageDiagram::DamageDiagram(QWidget* parent) : QWidget(parent)
{
    setObjectName(u"DamageDiagram"_s);
    setMouseTracking(false);
    setCursor(Qt::CrossCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setToolTip(u"在车身上单击左键标记损伤，在标记上单击右键删除"_s);
}

void DamageDiagram::setMarks(const QVector<Handover::Mark>& marks)
{
    m_marks = marks;
    update();
}

void DamageDiagram::setEarlierMarks(const QVector<Handover::Mark>& marks)
{
    m_earlier = marks;
    update();
}

void DamageDiagram::setSelected(int number)
{
    if (m_selected == number)
        return;
    m_selected = number;
    update();
}

QPointF DamageDiagram::widgetPoint(int x, int y) const
{
    return DamageDrawing::fromThousandths(area(), x, y);
}

bool DamageDiagram::placeAt(const QPointF& at)
{
    if (m_readOnly)
        return false;
    const auto mark = DamageDrawing::toThousandths(area(), at);
    if (!mark)
        return false;
    int number = 1;
    if (m_numbering) {
        number = m_numbering();
    } else {
        for (const auto* list : {&m_marks, &m_earlier})
            for (const Handover::Mark& m : *list)
                number = qMax(number, m.number + 1);
    }
    m_marks.append({.number = number, .x = mark->x(), .y = mark->y(), .text = {}});
    m_selected = number;
    update();
    Q_EMIT marksChanged();
    Q_EMIT markSelected(number);
    return true;
}

int DamageDiagram::markAt(const QPointF& at) const
{
    const qreal r = DamageDrawing::markRadius(area());
    // The newest on top, as drawn.
    for (auto it = m_marks.crbegin(); it != m_marks.crend(); ++it) {
        const QPointF d = widgetPoint(it->x, it->y) - at;
        if (QPointF::dotProduct(d, d) <= r * r * 1.5)
            return it->number;
    }
    return 0;
}

bool DamageDiagram::removeMark(int number)
{
    if (m_readOnly)
        return false;
    const auto n = m_marks.removeIf([number](const Handover::Mark& m) { return m.number == number; });
    if (n == 0)
        return false;
    if (m_selected == number)
        m_selected = 0;
    update();
    Q_EMIT marksChanged();
    return true;
}

QRectF DamageDiagram::area() const
{
    return QRectF(rect()).adjusted(2, 2, -2, -2);
}

void DamageDiagram::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DamageDrawing::paint(painter, area(), m_marks, DamageDrawing::NewDamage, m_earlier, m_selected);
}

void DamageDiagram::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        if (const int hit = markAt(e->position())) {
            setSelected(hit);
            Q_EMIT markSelected(hit);
        } else {
            placeAt(e->position());
        }
    } else if (e->button() == Qt::RightButton) {
        if (const int hit = markAt(e->position()))
            removeMark(hit);
    }
    e->accept();
}
