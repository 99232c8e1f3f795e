#include "app/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace Pictures {

namespace {
// A small car in side view, scaled into rect.
void drawCar(QPainter& p, const QRectF& r, const QColor& body)
{
    const qreal w = r.width(), h = r.height();
    QPainterPath path;
    path.moveTo(r.left() + 0.04 * w, r.top() + 0.72 * h);
    path.lineTo(r.left() + 0.04 * w, r.top() + 0.50 * h);
    path.lineTo(r.left() + 0.22 * w, r.top() + 0.45 * h);
    path.lineTo(r.left() + 0.36 * w, r.top() + 0.22 * h);
    path.lineTo(r.left() + 0.70 * w, r.top() + 0.22 * h);
    path.lineTo(r.left() + 0.84 * w, r.top() + 0.45 * h);
    path.lineTo(r.left() + 0.96 * w, r.top() + 0.52 * h);
    path.lineTo(r.left() + 0.96 * w, r.top() + 0.72 * h);
    path.closeSubpath();
    p.setPen(QPen(body.darker(160), qMax<qreal>(1.0, w / 60)));
    p.setBrush(body);
    p.drawPath(path);
    p.setBrush(QColor(210, 235, 250));
    p.drawRect(QRectF(r.left() + 0.39 * w, r.top() + 0.28 * h, 0.13 * w, 0.16 * h));
    p.drawRect(QRectF(r.left() + 0.55 * w, r.top() + 0.28 * h, 0.13 * w, 0.16 * h));
    p.setBrush(QColor(40, 40, 40));
    const qreal d = 0.2 * w;
    p.drawEllipse(QRectF(r.left() + 0.14 * w, r.top() + 0.72 * h - d / 2, d, d));
    p.drawEllipse(QRectF(r.left() + 0.66 * w, r.top() + 0.72 * h - d / 2, d, d));
}

QPixmap badge(const QColor& color, const QString& glyph)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(8, 8, 18);
    g.setColorAt(0, color.lighter(150));
    g.setColorAt(1, color);
    p.setBrush(g);
    p.setPen(QPen(color.darker(150), 1));
    p.drawRoundedRect(QRectF(1.5, 1.5, 21, 21), 5, 5);
    QFont f = p.font();
    f.setPixelSize(14);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, glyph);
    return pm;
}
}  // namespace

QIcon toolIcon(const QString& button)
{
    struct Look {
        const char* name;
        QColor color;
        const char* glyph;
    };
    static const Look looks[] = {
        {"SpeedButton1", QColor(200, 140, 20), "钥"}, {"SpeedButton6", QColor(30, 110, 190), ""},
        {"SpeedButton3", QColor(40, 150, 90), "客"},  {"SpeedButton9", QColor(120, 80, 170), "订"},
        {"SpeedButton2", QColor(20, 140, 160), "租"}, {"SpeedButton10", QColor(60, 120, 60), "排"},
        {"SpeedButton4", QColor(200, 80, 40), "结"},  {"SpeedButton5", QColor(150, 110, 40), "帐"},
        {"SpeedButton8", QColor(210, 60, 90), "醒"},  {"SpeedButton7", QColor(110, 110, 110), "退"},
    };
    for (const Look& l : looks) {
        if (button != QLatin1String(l.name))
            continue;
        if (*l.glyph)
            return QIcon(badge(l.color, QString::fromUtf8(l.glyph)));
        QPixmap pm(24, 24);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        drawCar(p, QRectF(0, 2, 24, 20), l.color);
        return QIcon(pm);
    }
    return {};
}

QPixmap background()
{
    QPixmap pm(1024, 640);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 640);
    sky.setColorAt(0, QColor(70, 130, 190));
    sky.setColorAt(0.62, QColor(190, 220, 240));
    sky.setColorAt(0.63, QColor(90, 95, 105));
    sky.setColorAt(1, QColor(60, 62, 70));
    p.fillRect(pm.rect(), sky);
    // Lane marks of a road running across the lower part.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 235, 225));
    for (int x = 10; x < 1024; x += 120)
        p.drawRect(QRectF(x, 520, 70, 8));
    drawCar(p, QRectF(180, 300, 420, 250), QColor(200, 40, 40));
    drawCar(p, QRectF(620, 360, 260, 160), QColor(30, 90, 170));
    return pm;
}

QPixmap loginPicture()
{
    QPixmap pm(110, 150);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 150);
    g.setColorAt(0, QColor(40, 90, 160));
    g.setColorAt(1, QColor(150, 200, 235));
    p.fillRect(pm.rect(), g);
    drawCar(p, QRectF(8, 70, 94, 56), QColor(220, 60, 40));
    QFont f = p.font();
    f.setPixelSize(18);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 14, 110, 40), Qt::AlignCenter, QStringLiteral("汽车租赁"));
    return pm;
}

}  // namespace Pictures
