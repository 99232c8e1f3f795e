#pragma once
// What the clerk is told when the database refuses a save or a delete: a conflict with another
// workstation, a database busy with another workstation's write, or the engine's own text.
#include <QString>

class DbError;
class QWidget;

enum class WriteAction { Save, Delete };

QString writeFailureText(const DbError& e, WriteAction action);
// Shows the text in the warning box and logs the engine's text.
void reportWriteFailure(QWidget* parent, const DbError& e, WriteAction action);
