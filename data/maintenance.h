#pragma once
// Operations on the database as a whole: initialization of chosen tables, backup and restore.
// Copies are made through the engine (a consistent copy of a live database), verified before they
// count, and only ever replace a file once the new one is complete.
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class Database;

namespace Maintenance {

struct InitTable {
    QString caption;           // check-box caption
    QString statement;         // executed when checked
    QStringList follows = {};  // tables of our own whose rows belong to these rows, emptied with them
};
// The tables data initialization offers, in the order they are emptied; the audit log last, emptied
// only when ticked on its own (the emptying of an audited table is itself logged).
const QVector<InitTable>& initTables();
// Empties the checked tables (and the tables of our own that follow them: the change log with the
// contracts) in one transaction: a failure part-way leaves every table as it was.
// Throws DbError with the engine's text.
void initialize(Database& db, const QVector<bool>& checked);

// True when both names denote the same file (whatever the spelling of the path).
bool sameFile(const QString& a, const QString& b);
// True when file is the database itself or one of the companion files the engine keeps beside it
// (log, shared memory, journal): writing or reading those as a copy breaks the database.
bool belongsTo(const QString& file, const QString& database);

// Consistent copy of the open database into dest: written beside dest under a temporary name,
// verified, then moved over dest and the move made durable. dest may not be the database or one
// of its companion files.
bool backup(Database& db, const QString& dest, QString* error);

// A file is a database of this application: it passes the integrity check and holds the sixteen
// tables with exactly their columns and types, and no triggers or views. Read-only.
bool verify(const QString& file, QString* error);

struct RestoreOptions {
    // Pages copied per engine step; between steps progress(copied, total) may stop the restore
    // (false), which then leaves the database as it was.
    int pagesPerStep = 4096;
    std::function<bool(int copied, int total)> progress;
};

// The content of source replaces the content of target. The source is checked read-only, copied
// into a scratch file beside the target and checked again there; then the engine's online backup
// writes it into target as one transaction. Other connections to target stay valid and see the
// restored data from their next statement; a failure at any point leaves target as it was. Only a
// target that does not exist yet is created by renaming the scratch file into place. A server
// target gets the scratch copy's rows in one transaction instead, keys included.
bool restore(const QString& source, const QString& target, QString* error, const RestoreOptions& options = {});

}  // namespace Maintenance
