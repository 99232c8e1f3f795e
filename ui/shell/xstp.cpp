#include "ui/shell/xstp.h"
#include "ui/shell/photo.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

PictureArea::PictureArea(QWidget* parent) : QWidget(parent)
{
    // The window is maximised; the picture must not push it beyond the screen.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

void PictureArea::setPicture(const QPixmap& pm)
{
    m_picture = pm;
    update();
}

QRect PictureArea::pictureRect() const
{
    QRect r(QPoint(0, 0), m_picture.deviceIndependentSize().toSize());
    r.moveCenter(rect().center());
    return r;
}

void PictureArea::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    p.drawPixmap(pictureRect().topLeft(), m_picture);
}

void PictureArea::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    Q_EMIT doubleClicked();
}

TForm_xstp::TForm_xstp(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_xstp"));
    setWindowTitle(QStringLiteral("显示图片"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
                   | Qt::WindowCloseButtonHint);
    // Sized to the screen as well, for desktops that ignore the maximised state.
    if (QScreen* s = QGuiApplication::primaryScreen())
        setGeometry(s->availableGeometry());
    setWindowState(Qt::WindowMaximized);

    Image1 = new PictureArea(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("图片"));
    Image1->setAccessibleDescription(QStringLiteral("双击关闭"));
    connect(Image1, &PictureArea::doubleClicked, this, &TForm_xstp::Image1DblClick);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Image1);
}

bool TForm_xstp::loadPicture(const QString& file)
{
    // The same reading as everywhere a photo is shown: JPEG only, damaged files refused.
    const Photo photo = readPhoto(file);
    if (photo.status != PhotoStatus::Ok)
        return false;
    Image1->setPicture(QPixmap::fromImage(photo.image));
    return true;
}

void TForm_xstp::Image1DblClick()
{
    close();
}
