#pragma once
// The windows main-window commands open, by class name ("TForm_qcda"). Each module registers its
// windows at start; a command whose window is not registered gets the main window's fallback.
//
// A module registers a window with one line in its source file:
//     VEL_REGISTER_WINDOW(TForm_qcda, [](QWidget* owner, TDm1* dm) { return new TForm_qcda(owner, dm); });
// The program links every module library whole, so such registrations run before main().
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

// Registration at program start (see VEL_REGISTER_WINDOW).
struct WindowRegistration {
    WindowRegistration(const QString& className, WindowFactory factory) { WindowRegistry::add(className, std::move(factory)); }
};

#define VEL_REGISTER_WINDOW(className, ...) \
    static const WindowRegistration velWindowRegistration_##className(QStringLiteral(#className), __VA_ARGS__)
