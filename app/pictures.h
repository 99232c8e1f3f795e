#pragma once
// The shell's own pictures, drawn at start so the program carries no image files.
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace Pictures {
// Tool-button picture for a button's objectName ("SpeedButton1").
QIcon toolIcon(const QString& button);
// Background of the main window's client area.
QPixmap background();
// The picture on the left of the login dialog.
QPixmap loginPicture();
}  // namespace Pictures
