// Drawn pictures for the demo office's photos: fast (a few milliseconds each) and our own.
#include "demo/office.h"
#include "data/database.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSqlQuery>

namespace {

constexpr int W = 320, H = 240;

QColor paintOf(const QString& colour)
{
    static const QHash<QString, QColor> paints{
        {QStringLiteral("白"), QColor(0xf2, 0xf2, 0xf0)},   {QStringLiteral("黑"), QColor(0x22, 0x22, 0x26)},
        {QStringLiteral("银灰"), QColor(0xa8, 0xad, 0xb3)}, {QStringLiteral("红"), QColor(0xc0, 0x1e, 0x24)},
        {QStringLiteral("蓝"), QColor(0x1f, 0x4e, 0x9c)},   {QStringLiteral("香槟"), QColor(0xd8, 0xc3, 0x9a)},
    };
    return paints.value(colour, QColor(0x70, 0x80, 0x90));
}

QImage vehicle(const QString& plate, const QString& model, const QString& colour)
{
    QImage img(W, H, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // The yard: a pale wall behind, the grey floor the car stands on.
    p.fillRect(QRect(0, 0, W, 150), QColor(0xdc, 0xe8, 0xf2));
    p.fillRect(QRect(0, 150, W, H - 150), QColor(0x6e, 0x6e, 0x6e));
    // A long van for the people carriers, a saloon for the rest.
    const bool van = model.contains(QStringLiteral("GL8")) || model.contains(QStringLiteral("海狮"));
    const qreal base = 170, x = 30, w = 260;
    QPainterPath body;
    body.moveTo(x, base);
    body.lineTo(x, base - 40);
    if (van) {
        body.lineTo(x + 30, base - 95);
        body.lineTo(x + w - 10, base - 95);
        body.lineTo(x + w, base - 45);
    } else {
        body.lineTo(x + 55, base - 48);
        body.lineTo(x + 85, base - 88);
        body.lineTo(x + 180, base - 88);
        body.lineTo(x + 215, base - 48);
        body.lineTo(x + w, base - 40);
    }
    body.lineTo(x + w, base);
    body.closeSubpath();
    const QColor paint = paintOf(colour);
    p.setPen(QPen(paint.darker(170), 2));
    p.setBrush(paint);
    p.drawPath(body);
    p.setBrush(QColor(0xbf, 0xdc, 0xee));
    if (van) {
        for (int i = 0; i < 3; ++i)
            p.drawRect(QRectF(x + 45 + i * 65, base - 85, 55, 32));
    } else {
        p.drawRect(QRectF(x + 92, base - 80, 40, 28));
        p.drawRect(QRectF(x + 138, base - 80, 38, 28));
    }
    p.setBrush(QColor(0x1c, 0x1c, 0x1c));
    for (qreal cx : {x + 55, x + w - 55})
        p.drawEllipse(QPointF(cx, base), 24, 24);
    p.setBrush(QColor(0xb0, 0xb0, 0xb0));
    for (qreal cx : {x + 55, x + w - 55})
        p.drawEllipse(QPointF(cx, base), 10, 10);
    // The plate as on the road: white characters on blue.
    const QRectF plateBox(W / 2.0 - 60, 198, 120, 30);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(QColor(0x0b, 0x3d, 0x91));
    p.drawRoundedRect(plateBox, 4, 4);
    QFont f = p.font();
    f.setPixelSize(18);
    f.setBold(true);
    p.setFont(f);
    p.drawText(plateBox, Qt::AlignCenter, plate);
    f.setPixelSize(14);
    p.setFont(f);
    p.setPen(QColor(0x20, 0x30, 0x40));
    p.drawText(QRectF(10, 8, W - 20, 22), Qt::AlignLeft | Qt::AlignVCenter, model + QStringLiteral("  ") + colour);
    return img;
}

QImage customer(const QString& no, const QString& name, bool woman)
{
    QImage img(H, W, QImage::Format_RGB32);  // upright, as an identity photo
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A light backdrop that differs a little from one customer to the next.
    const int tint = int(qHash(no) % 40);
    p.fillRect(img.rect(), QColor(0xd6 + tint / 2, 0xe6, 0xf2 - tint / 2));
    const qreal cx = H / 2.0;
    p.setPen(Qt::NoPen);
    p.setBrush(woman ? QColor(0x8a, 0x3b, 0x5c) : QColor(0x34, 0x48, 0x66));
    p.drawRoundedRect(QRectF(cx - 95, 200, 190, 140), 60, 60);  // shoulders
    p.setBrush(QColor(0xf1, 0xc9, 0xa5));
    p.drawRect(QRectF(cx - 18, 160, 36, 50));  // neck
    p.drawEllipse(QPointF(cx, 125), 52, 62);   // face
    p.setBrush(QColor(0x2a, 0x1e, 0x18));
    QPainterPath hair;
    hair.addEllipse(QPointF(cx, 95), 56, 42);
    if (woman)
        hair.addRoundedRect(QRectF(cx - 60, 95, 120, 95), 30, 30);
    QPainterPath face;
    face.addEllipse(QPointF(cx, 140), 48, 52);
    p.drawPath(hair.subtracted(face));
    p.drawEllipse(QPointF(cx - 18, 125), 5, 5);
    p.drawEllipse(QPointF(cx + 18, 125), 5, 5);
    p.setPen(QPen(QColor(0x9a, 0x4a, 0x3a), 3));
    p.drawArc(QRectF(cx - 16, 140, 32, 20), 200 * 16, 140 * 16);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(18);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(0, 250, H, 26), Qt::AlignCenter, name);
    f.setPixelSize(14);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRectF(0, 278, H, 22), Qt::AlignCenter, no);
    return img;
}

}  // namespace

int DemoOffice::writePhotos(const QString& location, const QString& jpgFolder, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return -1;
    };
    if (!QDir().mkpath(jpgFolder))
        return fail(QStringLiteral("不能建立文件夹 %1").arg(QDir::toNativeSeparators(jpgFolder)));
    Database db;
    QString why;
    if (!db.open(location, &why))
        return fail(why);
    const QDir dir(jpgFolder);
    int written = 0;
    const auto save = [&](const QString& stored, const auto& draw) {
        // A stored name is a file name below jpg/; anything else is not ours to write.
        if (stored.isEmpty() || stored.contains(QLatin1Char('/')) || stored.contains(QLatin1Char('\\')))
            return true;
        const QString file = dir.filePath(stored);
        if (QFile::exists(file))
            return true;
        if (!draw().save(file, "JPEG", 85))
            return false;
        ++written;
        return true;
    };
    try {
        QSqlQuery v = db.run(QStringLiteral("select 车牌号, 车型, 颜色, 汽车照片 from 汽车档案"));
        while (v.next())
            if (!save(v.value(3).toString(),
                      [&] { return vehicle(v.value(0).toString(), v.value(1).toString(), v.value(2).toString()); }))
                return fail(QStringLiteral("不能保存照片 %1").arg(dir.filePath(v.value(3).toString())));
        QSqlQuery c = db.run(QStringLiteral("select 客户号, 客户姓名, 性别, 客户照片 from 客户登记表"));
        while (c.next())
            if (!save(c.value(3).toString(), [&] {
                    return customer(c.value(0).toString(), c.value(1).toString(), c.value(2).toString() == QStringLiteral("女"));
                }))
                return fail(QStringLiteral("不能保存照片 %1").arg(dir.filePath(c.value(3).toString())));
    } catch (const DbError& e) {
        return fail(e.text());
    }
    return written;
}
