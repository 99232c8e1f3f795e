#include "readers.h"

#include <QProcess>
#include <QStandardPaths>

namespace Readers {

QString python(const QString& module)
{
    QStringList candidates{QStringLiteral("/usr/bin/python3")};
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (!onPath.isEmpty())
        candidates << onPath;
    for (const QString& py : candidates) {
        QProcess p;
        p.start(py, {QStringLiteral("-c"), module.isEmpty() ? QStringLiteral("pass") : QStringLiteral("import ") + module});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return py;
    }
    return {};
}

QJsonDocument pythonJson(const QString& python, const QString& script, const QStringList& args, QString* error)
{
    QProcess p;
    p.start(python, QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QString::fromUtf8(p.readAllStandardError());
        return {};
    }
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &pe);
    if (pe.error != QJsonParseError::NoError)
        *error = pe.errorString();
    return doc;
}

QByteArray tool(const QString& program, const QStringList& args, bool* ok)
{
    *ok = false;
    if (QStandardPaths::findExecutable(program).isEmpty())
        return {};
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    *ok = true;
    return p.readAllStandardOutput();
}

}  // namespace Readers
