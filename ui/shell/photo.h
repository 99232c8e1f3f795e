#pragma once
// Photos of vehicles and customers: JPEG files named after the plate or the customer number in the
// folder jpg below the working folder.
// Reading, the messages for a photo that cannot be shown, and the photo area of the edit dialog.
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>

class QAction;
class QMenu;

enum class PhotoStatus { Ok, Missing, Unreadable };

struct Photo {
    QImage image;
    PhotoStatus status = PhotoStatus::Missing;
};

// Full path of a stored photo name, in the platform's own form: <working folder>/jpg/<name>.
// An empty name gives the folder itself, ending in the separator.
QString photoPath(const QString& storedName);

// Decodes a JPEG file. A missing file, a folder, a damaged file or one in another format gives a
// null image with its status; nothing throws.
Photo readPhoto(const QString& path);

// Text of the plain box for a photo that cannot be shown: the full path followed by the reason.
QString photoMessage(const QString& path, PhotoStatus status);

// The picture centred at its natural size, or stretched over the whole area; a double click
// toggles between the two. Its context menu holds 全屏显示.
class PhotoArea : public QWidget {
    Q_OBJECT
public:
    explicit PhotoArea(QWidget* parent = nullptr);

    void setPhoto(const QImage& image);
    void clear() { setPhoto(QImage()); }
    const QImage& photo() const { return m_image; }
    bool stretched() const { return m_stretched; }
    void setStretched(bool on);
    QRect pictureRect() const;  // where the picture is drawn

    QMenu* menu;                // PopupMenu1
    QAction* fullScreenAction;  // 全屏显示 (N1)

Q_SIGNALS:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QImage m_image;
    bool m_stretched = false;
};

class QPushButton;

// The photo part of an edit dialog's photo page: the vertical caption, 查看 and the photo area.
// 查看, the double click and 全屏显示 work on the path the dialog gives for its current row.
class PhotoPanel : public QWidget {
    Q_OBJECT
public:
    PhotoPanel(const QString& caption, std::function<QString()> currentPath, QWidget* parent = nullptr);

    QPushButton* viewButton;  // 查看 (bitbtn_view)
    PhotoArea* photoArea;     // Image1

    // When the dialog opens: the photo if it can be shown; nothing is said otherwise.
    void showQuietly();
    void view();        // 查看: the photo, or the reason it cannot be shown
    void toggle();      // double click: natural size / stretched
    void fullScreen();  // 全屏显示 in the picture viewer

private:
    bool currentPath(QString* path);

    std::function<QString()> m_path;
};
