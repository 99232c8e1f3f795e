#pragma once
// The sixteen tables of the database, their columns and types, and the creation of a new database.
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

enum class FieldType { Text, Memo, Money, Integer, Number, DateTime, Boolean };

struct ColumnDef {
    QString name;
    FieldType type;
};

struct TableDef {
    QString name;
    QVector<ColumnDef> columns;
};

namespace Schema {

// Hidden integer key of every table: addresses rows for updates and keeps insertion order.
// It is never part of what a query shows.
inline const QString KeyColumn = QStringLiteral("__rk");

const QVector<TableDef>& tables();
const TableDef* table(const QString& name);
// Type of a column of a table; Text when unknown.
FieldType columnType(const QString& table, const QString& column);
bool hasColumn(const QString& table, const QString& column);

// Names of the six reminder items, in their fixed order.
QStringList defaultReminderItems();
// Name of the operator a new database starts with (empty password, all rights).
QString defaultOperatorName();

}  // namespace Schema
