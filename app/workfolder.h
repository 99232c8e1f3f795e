#pragma once
// The working folder the program runs in: every relative data path (data/qczl.db, jpg/, system.ini,
// system1.ini, templates/) starts there. Started from the desktop's menu it is the program's own
// folder in the desktop's data location; --workdir DIR names another, --demo [DIR] a demo office.
#include <QString>

namespace WorkFolder {

// ~/.local/share/velmira (the application data location of the application named velmira).
QString own();
// The demo office's folder when --demo names none: demo/ below the own folder.
QString demo();

// A file named on the command line as the shell that started the program means it: relative to
// startFolder. A server address stays as written.
QString fromCommandLine(const QString& location, const QString& startFolder);

// Makes folder the working folder, creating it when missing; false with the reason in Chinese.
bool enter(const QString& folder, QString* error);

// First start in the working folder: when no database is named (command line, data/connection.ini)
// and data/qczl.db does not exist, creates it with the default rows as --create-db does, and the
// folders jpg/ and templates/. Run before the start-up connection, so that a database the
// connection cannot open is one that exists. Returns true when there is nothing to do.
bool prepareFirstStart(QString* error);

// The demo office in folder: created the first time (the demo data, drawn photos below jpg/), an
// existing one reused as it is; then entered as the working folder.
bool prepareDemo(const QString& folder, QString* error);

}  // namespace WorkFolder
