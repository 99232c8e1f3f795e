#pragma once
// Program-wide set-up of the shell and its hidden screenshot run.
#include <QApplication>
#include <QString>

class QImage;
class QWidget;

// The application object. A database error that escapes a window's own handler ends only the
// action that raised it: it is shown with the engine's text instead of ending the program.
class VelApplication : public QApplication {
public:
    VelApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

namespace Shell {
// Application title shown by plain message boxes and the task bar.
QString title();
// The system's font "宋体", falling back to an installed CJK font.
void setupFonts();
// The widget as the desktop shows it: a plain title bar carrying its caption above its content.
QImage framed(QWidget* w);
// Logs the default operator in programmatically and saves login.png and main.png into dir; with
// "--manual-images <folder>" (an absolute one) among the program's arguments also the user
// manual's pictures into that folder (app/manualpictures.h).
// Runs in the current working folder; returns the process exit code.
int screenshots(const QString& dir);
}  // namespace Shell
