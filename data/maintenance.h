#pragma once
// Operations on the database as a whole: initialization of chosen tables, backup and restore.
// Copies are made through the engine (a consistent copy of a live database), verified before they
// count, and only ever replace a file once the new one is complete.
#include <QString>
#include <QStringList>
#include <QVector>

class Database;

namespace Maintenance {

struct InitTable {
    QString caption;    // check-box caption
    QString statement;  // executed when checked
};
// The nine tables data initialization offers, in the order they are emptied.
const QVector<InitTable>& initTables();
// Empties the checked tables in one transaction: a failure part-way leaves every table as it was.
// Throws DbError with the engine's text.
void initialize(Database& db, const QVector<bool>& checked);

// True when both names denote the same file (whatever the spelling of the path).
bool sameFile(const QString& a, const QString& b);

// Consistent copy of the open database into dest: written beside dest under a temporary name,
// verified, then moved over dest. dest may not be the database itself.
bool backup(Database& db, const QString& dest, QString* error);

// A file is a database of this application: it opens, passes the integrity check and holds the
// sixteen tables.
bool verify(const QString& file, QString* error);

// Replaces target by source. The connection to target must be closed. The source is checked first,
// copied beside the target, checked again, and only then takes the target's place; on any failure
// the target is untouched.
bool restore(const QString& source, const QString& target, QString* error);

} // namespace Maintenance
