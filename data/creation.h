#pragma once
// Creation step for a new database: schema plus the rows the program relies on at start.
// Never run by the application on its own; it refuses to touch an existing file.
#include <QDate>
#include <QString>

bool createDatabase(const QString& location, const QDate& today, QString* error = nullptr);
