#pragma once
// Moving a whole database between backends: every table, every row with its hidden key, every
// value as stored, so an office moves its file to a server and back again in one step.
#include <QString>

class Database;

namespace DbCopy {

// Copies every table of the open database src into dst, a database just made by the creation
// step (tables without rows), in one transaction on dst; returns the names of the tables written.
// Throws DbError.
QStringList copyTables(Database& src, Database& dst);

// After a bulk load into the given tables of db has committed: the backend's upkeep for them
// (planner statistics).
void settle(Database& db, const QStringList& tables);

// Opens from, creates to (a file that does not exist yet, or a server database without our
// tables) and copies every table into it. On failure a new file is removed again.
bool copy(const QString& from, const QString& to, QString* error);

}  // namespace DbCopy
