#include "data/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>

namespace Paths {
QString workingDir()
{
    return QDir::currentPath();
}
QString programDir()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}
namespace {
QString& chosenDatabase()
{
    static QString location;
    return location;
}
QString namedDatabase()
{
    if (!chosenDatabase().isEmpty())
        return chosenDatabase();
    return IniFile(QDir(workingDir()).filePath(QStringLiteral("data/connection.ini")))
        .readString(QStringLiteral("database"), QStringLiteral("location"), QString())
        .trimmed();
}
}  // namespace
void setDatabase(const QString& location)
{
    chosenDatabase() = location;
}
bool databaseNamed()
{
    return !namedDatabase().isEmpty();
}
QString databaseFile()
{
    const QDir work(workingDir());
    const QString location = namedDatabase();
    if (location.isEmpty())
        return work.filePath(QStringLiteral("data/qczl.db"));
    // A file named relative to the working folder; a server address stays as written.
    return location.contains(QLatin1String("://")) ? location : work.filePath(location);
}
QString programDatabaseFile()
{
    return QDir(programDir()).filePath(QStringLiteral("data/qczl.db"));
}
QString sysSetFile()
{
    const QString beside = QDir(programDir()).filePath(QStringLiteral("data/sysset.ini"));
    if (QFile::exists(beside))
        return beside;
    // Only the installed program reads the system's file: a build tree (and the tests that write the
    // file beside the program) never sees what a package installed on the same machine holds.
    const QString installed = QStringLiteral(VEL_INSTALL_BINDIR);
    if (QFileInfo(programDir()).canonicalFilePath() == QFileInfo(installed).canonicalFilePath())
        return QStringLiteral(VEL_SYSCONFDIR "/velmira/sysset.ini");
    return beside;
}
}  // namespace Paths

IniFile::IniFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray raw = f.readAll();
    auto dec = QStringDecoder(QStringDecoder::Utf8);
    m_text = dec(raw);
    if (dec.hasError()) {
        // Files edited on a Chinese desktop are often GBK; fall back to it where the system has it.
        auto gbk = QStringDecoder("GB18030");
        m_text = gbk.isValid() ? QString(gbk(raw)) : QString::fromLatin1(raw);
    }
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    bool inSection = false;
    const auto lines = m_text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inSection = line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return def;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const
{
    bool ok = false;
    const int v = readString(section, key, QString()).toInt(&ok);
    return ok ? v : def;
}

SysSettings SysSettings::read(const QString& path)
{
    const IniFile ini(path);
    SysSettings s;
    s.qczljsd_xjrjz = ini.readInteger(QStringLiteral("hs_date"), QStringLiteral("qczljsd_xjrjz"), 0);
    s.hs_date1 = ini.readString(QStringLiteral("hs_date"), QStringLiteral("hs_date1"), QStringLiteral("1"));
    return s;
}
