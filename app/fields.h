#pragma once
// Small behaviours of the shell's entry fields.
#include <QString>

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace Fields {
// Letters a to z become upper case as they are typed.
void upperCase(QLineEdit* edit);
QString upperAscii(const QString& text);
// Empties a password field once its text has been checked, its undo steps included (clear()
// would keep the removed text as an undo step).
void forget(QLineEdit* edit);
// Enter in `from` moves the focus on, or presses the dialog's main button.
void onEnter(QWidget* from, QWidget* focusTarget);
void onEnterClick(QWidget* from, QAbstractButton* button);
}  // namespace Fields
