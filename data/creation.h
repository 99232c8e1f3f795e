#pragma once
// Creation step for a new database: schema plus the rows the program relies on at start.
// Never run by the application on its own; it refuses to touch an existing file.
#include <QDate>
#include <QString>

bool createDatabase(const QString& location, const QDate& today, QString* error = nullptr);

class Database;
// Drops the tables the creation step just made in a server database (after a failure, while they
// are still empty) and closes the connection, so that a new attempt finds the database empty.
void discardNewTables(Database& db);
// The same for a database made by this process that is to be no database after all: a server
// database's tables dropped, a file and its companion files removed.
void discardNewDatabase(Database& db, const QString& location);
