#pragma once
// Files and folders the program uses, and the settings file beside the program.
#include <QString>

namespace Paths {
QString workingDir();  // the current working folder
QString programDir();  // folder of the program file
// The database the program opens: the location given on the command line (setDatabase), else
// "location" in section [database] of data/connection.ini below the working folder (a file or a
// postgresql:// server address), else data/qczl.db below the working folder.
QString databaseFile();
void setDatabase(const QString& location);
// A location is named on the command line or in data/connection.ini (else the default file is used).
bool databaseNamed();
QString programDatabaseFile();  // data/qczl.db below the program's folder (backup and restore)
// data/sysset.ini below the program's folder; for the installed program without that file, the
// system configuration file (/etc/velmira/sysset.ini).
QString sysSetFile();
}  // namespace Paths

// Read-only INI reader: sections and keys compare without regard to case, as on the desktop the file
// comes from; a missing file, section or key gives the default.
class IniFile {
public:
    explicit IniFile(const QString& path);
    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInteger(const QString& section, const QString& key, int def) const;

private:
    QString m_text;
};

struct SysSettings {
    int qczljsd_xjrjz = 0;                   // non-zero: settlement offers "生成现金帐"
    QString hs_date1 = QStringLiteral("1");  // first day of the accounting month
    static SysSettings read(const QString& path = Paths::sysSetFile());
};
