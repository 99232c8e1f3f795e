#pragma once
// The windows main-window commands open, by class name ("TForm_qcda"). Each module registers its
// windows at start; a command whose window is not registered gets the main window's fallback.
// A module offers one function that adds its windows (registerFleetWindows()); the program calls
// it at start (app/modules.cpp).
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;
class TDm1;

using WindowFactory = std::function<QDialog*(QWidget* owner, TDm1* dm)>;

namespace WindowRegistry {
void add(const QString& className, WindowFactory factory);
WindowFactory find(const QString& className);  // empty when none is registered
void clear();
QStringList names();
} // namespace WindowRegistry
