#pragma once
// Enter in a dialog's field moves the focus along a fixed chain or, in the last field, presses the
// dialog's main button.
class QAbstractButton;
class QWidget;

namespace EnterKeys {
void moveTo(QWidget* from, QWidget* next);
void click(QWidget* from, QAbstractButton* button);
}  // namespace EnterKeys
