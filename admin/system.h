#pragma once
// Settings and maintenance windows of the 系统维护 menu: company information, closing date,
// data initialization, backup and restore.
#include <QString>

class QWidget;
class TDm1;

// Registers TForm_gsxx_edit, TForm_gzsj, TForm_initialize, TForm_backup and TForm_restore.
void registerSystemWindows();

// The whole 数据恢复 command: remembers the file the connection uses, closes every shared query
// and the connection, shows the restore window, sets the working folder back to homeFolder (the
// program's folder when empty) and opens the connection to the same file again. A failed reopen
// shows the connection message. True when the connection is open afterwards.
bool runRestoreCommand(QWidget* owner, TDm1* dm, const QString& homeFolder = QString());
