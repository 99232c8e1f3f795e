#include "ui/shell/photo.h"
#include "data/settings.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/shell/xstp.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <QImageReader>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

QString photoPath(const QString& storedName)
{
    QString dir = QDir::fromNativeSeparators(Paths::workingDir());
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return QDir::toNativeSeparators(dir + QStringLiteral("jpg/") + storedName);
}

Photo readPhoto(const QString& path)
{
    // A folder "exists" too: the path of a vehicle without a photo name is the jpg folder itself.
    if (!QFileInfo(path).isFile())
        return {{}, PhotoStatus::Missing};
    // Only the JPEG decoder: a file of another format under a .jpg name is not a vehicle photo.
    QImageReader reader(path, QByteArrayLiteral("jpeg"));
    reader.setAutoDetectImageFormat(false);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return {{}, PhotoStatus::Unreadable};
    return {image, PhotoStatus::Ok};
}

QString photoMessage(const QString& path, PhotoStatus status)
{
    if (status == PhotoStatus::Unreadable)
        return path + QStringLiteral("图形文件已损坏或不是JPEG格式,不能显示!");
    return path + QStringLiteral("图形文件不存在!");
}

PhotoArea::PhotoArea(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Image1"));
    // A large photo must not grow the dialog.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setMinimumSize(320, 240);
    // A picture without words: named for screen readers, which also learn the mouse gestures.
    setAccessibleName(QStringLiteral("照片"));
    setAccessibleDescription(QStringLiteral("双击切换拉伸显示，右键菜单可全屏显示"));
    menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("PopupMenu1"));
    fullScreenAction = menu->addAction(QStringLiteral("全屏显示"));
    fullScreenAction->setObjectName(QStringLiteral("N1"));
}

void PhotoArea::setPhoto(const QImage& image)
{
    m_image = image;
    update();
}

void PhotoArea::setStretched(bool on)
{
    m_stretched = on;
    update();
}

QRect PhotoArea::pictureRect() const
{
    if (m_stretched)
        return rect();
    QRect r(QPoint(0, 0), m_image.deviceIndependentSize().toSize());
    r.moveCenter(rect().center());
    return r;
}

void PhotoArea::paintEvent(QPaintEvent*)
{
    if (m_image.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform, m_stretched);
    p.drawImage(pictureRect(), m_image);
}

void PhotoArea::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    Q_EMIT doubleClicked();
}

void PhotoArea::contextMenuEvent(QContextMenuEvent* event)
{
    menu->exec(event->globalPos());
}

PhotoPanel::PhotoPanel(const QString& caption, std::function<QString()> currentPath, QWidget* parent)
    : QWidget(parent), m_path(std::move(currentPath))
{
    auto* label = new QLabel(caption, this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setFixedWidth(label->fontMetrics().horizontalAdvance(caption.left(1)) + 6);
    viewButton = new QPushButton(QStringLiteral("查看"), this);
    viewButton->setObjectName(QStringLiteral("bitbtn_view"));
    viewButton->setAutoDefault(false);
    photoArea = new PhotoArea(this);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label);
    auto* right = new QVBoxLayout;
    right->addWidget(viewButton, 0, Qt::AlignLeft);
    right->addWidget(photoArea, 1);
    row->addLayout(right, 1);
    connect(viewButton, &QPushButton::clicked, this, &PhotoPanel::view);
    connect(photoArea, &PhotoArea::doubleClicked, this, &PhotoPanel::toggle);
    connect(photoArea->fullScreenAction, &QAction::triggered, this, &PhotoPanel::fullScreen);
}

bool PhotoPanel::currentPath(QString* path)
{
    // The row may have to be read from the database, which can fail; that is said, not thrown.
    try {
        *path = m_path();
        return true;
    } catch (const std::exception& e) {
        Msg::error(this, QString::fromUtf8(e.what()));
        return false;
    }
}

void PhotoPanel::showQuietly()
{
    QString path;
    try {
        path = m_path();
    } catch (const std::exception&) {
        return;
    }
    const Photo photo = readPhoto(path);
    if (photo.status == PhotoStatus::Ok)
        photoArea->setPhoto(photo.image);
}

void PhotoPanel::view()
{
    QString path;
    if (!currentPath(&path))
        return;
    const Photo photo = readPhoto(path);
    if (photo.status == PhotoStatus::Ok) {
        photoArea->setPhoto(photo.image);
        return;
    }
    photoArea->clear();
    Msg::plain(this, photoMessage(path, photo.status));
}

void PhotoPanel::toggle()
{
    photoArea->setStretched(!photoArea->stretched());
}

void PhotoPanel::fullScreen()
{
    QString path;
    if (!currentPath(&path))
        return;
    const Photo photo = readPhoto(path);
    if (photo.status != PhotoStatus::Ok) {
        Msg::plain(this, photoMessage(path, photo.status));
        return;
    }
    TForm_xstp viewer(this);
    viewer.Image1->setPicture(QPixmap::fromImage(photo.image));
    Modal::exec(&viewer);
}
