#pragma once
// The database file as SQLite sees it, below the connection: its engine handle, the check that a
// file holds this application's tables, and durable renames beside it. Used by the backend when it
// opens a file and by backup and restore.
#include "data/schema.h"

#include <QString>

struct sqlite3;
class QSqlDatabase;

namespace SqliteFile {

// The engine handle under a Qt connection; null when the connection is not SQLite.
sqlite3* handleOf(QSqlDatabase& db);

// Column type as the creation step declares it (and as the engine reports it back).
QString declaredType(FieldType t);

// Whether the file holds the sixteen tables with exactly their columns and types. Opened read-only:
// nothing in the file, its journal or its log is changed, whatever the file turns out to be.
// integrity adds the engine's full integrity check; strict also refuses triggers and views, which
// would run inside this program once the file is in use.
// On failure problem says what is wrong, in the operator's words.
bool check(const QString& file, bool integrity, bool strict, QString* problem);

// Whether every text the sixteen tables of the file hold is UTF-8 without a NUL, as both engines
// store it and the program reads it back unchanged; otherwise problem names the first table and
// column that has another. Read-only, one pass over each table.
bool checkText(const QString& file, QString* problem);

// Makes a rename inside folder durable: after a power loss the folder shows the new name.
bool syncFolder(const QString& folder);

// The companion files the engine keeps beside a database (log, shared memory, journal).
QStringList companions(const QString& database);

}  // namespace SqliteFile
