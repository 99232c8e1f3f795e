#pragma once
// The entries of the drop-downs dialogs fill from tables (plates, customers, handlers, summary
// codes). Each is read through a statement of its own, so filling a drop-down never disturbs a
// shared query of the data module.
#include <QString>
#include <QStringList>
#include <QVector>

class Database;

// An entry of a lookup field: what is stored, and what the drop-down shows for it.
struct LookupItem {
    QString key;
    QString text;
    bool operator==(const LookupItem&) const = default;
};

namespace Lookups {
// Every vehicle, withdrawn ones included, ordered by plate.
QStringList plates(Database& db);
// Vehicles in service (停用 not ticked), ordered by plate: what contracts and reservations offer.
QStringList platesInService(Database& db);
// Handler names ordered by name.
QStringList handlers(Database& db);
// Customers ordered by number: stores 客户号, shows "客户号 客户姓名".
QVector<LookupItem> customers(Database& db);
// Customers not blocked (停用 not ticked), as customers().
QVector<LookupItem> activeCustomers(Database& db);
// Summary names of the cash journal, ordered by code.
QStringList summaries(Database& db);
// A column of the rows of a table in an order (throws DbError).
QStringList column(Database& db, const QString& table, const QString& column, const QString& orderBy);

// The entries last chosen in a drop-down that remembers them, newest first. They are this
// workstation's habit, not the company's data, so they live in system1.ini of the working folder
// (section: the dialog's class, key: the drop-down's name) and go with the layout reset.
QStringList recentEntries(const QString& dialogClass, const QString& field);
// Puts an entry at the top of the remembered ones, once, keeping at most `keep` of them; returns
// the entries now remembered. Blank text is not remembered.
QStringList rememberEntry(const QString& dialogClass, const QString& field, const QString& entry, int keep);
}  // namespace Lookups
