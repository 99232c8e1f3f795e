#pragma once
// Restore: a backup's content replaces the database's content, written into the live file through
// the engine. The 数据恢复 command closes the program's own connection around the window and opens
// it again afterwards (see runRestoreCommand in admin/system.h), so no window keeps rows of before.
#include "admin/backup.h"

class TForm_restore : public DatabaseFileWindow {
    Q_OBJECT
public:
    // target: the database file to replace; empty means the file the connection uses, or, when it
    // is closed, data/qczl.db below the working folder (the file it is reopened from).
    TForm_restore(QWidget* owner, TDm1* dm, const QString& target = QString());

    void restoreFromFile();  // 恢复
    void chooseSource();     // the browse button
    QString target() const { return m_target; }
    bool restored() const { return m_restored; }

private:
    TDm1* m_dm;
    QString m_target;
    bool m_restored = false;
};
