#pragma once
// The windows main-window commands open, by class. Each module registers its window classes at
// start under their meta-object names (registerWindow<TForm_qcda>() in ui/records/windowspec.h adds
// the class's description and its factory together); the program calls the modules' functions at
// start (app/modules.cpp) and then checks that every command finds its window (app/windowcheck.h).
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;
class TDm1;
struct QMetaObject;

using WindowFactory = std::function<QDialog*(QWidget* owner, TDm1* dm)>;

namespace WindowRegistry {
void add(const QString& className, WindowFactory factory);
// Under the class's meta-object name: the name can never differ from the class.
void add(const QMetaObject& windowClass, WindowFactory factory);
WindowFactory find(const QString& className);  // empty when none is registered
WindowFactory find(const QMetaObject& windowClass);
void clear();
QStringList names();
}  // namespace WindowRegistry
