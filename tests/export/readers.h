#pragma once
// Independent readers of the files we write: python3 modules and command line tools, run as processes.
#include <QByteArray>
#include <QJsonDocument>
#include <QString>
#include <QStringList>

namespace Readers {

// A python3 that can import `module` (the system one carries the Debian python3-* packages), or empty.
QString python(const QString& module = QString());
// Runs a python script with arguments; the script's stdout, or an empty document with *error set.
QJsonDocument pythonJson(const QString& python, const QString& script, const QStringList& args, QString* error);
// Runs a tool and returns its stdout; *ok false when it is missing or fails.
QByteArray tool(const QString& program, const QStringList& args, bool* ok);

}  // namespace Readers
