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
// Enter in `from` moves the focus on, or presses the dialog's main button.
void onEnter(QWidget* from, QWidget* focusTarget);
void onEnterClick(QWidget* from, QAbstractButton* button);
} // namespace Fields
