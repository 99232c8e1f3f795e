#pragma once
// The picture viewer: a vehicle or customer photo shown maximised, centred at its own size.
// Double-clicking the picture closes the window.
#include <QDialog>
#include <QPixmap>
#include <QWidget>

// The picture area: paints its picture centred and unscaled (a larger picture is cut at the edges).
class PictureArea : public QWidget {
    Q_OBJECT
public:
    explicit PictureArea(QWidget* parent = nullptr);
    void setPicture(const QPixmap& pm);
    const QPixmap& picture() const { return m_picture; }
    QRect pictureRect() const;  // where the picture is drawn

Q_SIGNALS:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPixmap m_picture;
};

class TForm_xstp : public QDialog {
    Q_OBJECT
public:
    explicit TForm_xstp(QWidget* parent = nullptr);

    // Loads a photo file into the picture; false when it cannot be read.
    bool loadPicture(const QString& file);
    void Image1DblClick();

    PictureArea* Image1;
};
