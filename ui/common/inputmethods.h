#pragma once
// Input methods of the workstation. An operator carries the name of the input method to switch on
// for Chinese text fields; windows give that name to such fields. Where the desktop offers no input
// method framework the list is empty and applying a name only records it.
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace InputMethods {

// Names of the input methods installed on this desktop (fcitx, ibus, ...); empty when there are none.
QStringList installed();
// Tests fix the list; nullopt returns to what the desktop reports.
void setInstalledForTest(std::optional<QStringList> names);

// The input method of the operator who logged in last; set by the login.
void setCurrent(const QString& name);
QString current();

// Gives a text field the named input method: it switches on when the field takes the focus.
// An empty name leaves the field as the desktop has it.
void apply(QWidget* field, const QString& name);
// The same with the current operator's input method.
void applyCurrent(QWidget* field);
// The name a field was given; empty when none.
QString fieldMethod(const QWidget* field);

}  // namespace InputMethods
