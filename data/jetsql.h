#pragma once
// The system writes its statements in the Jet dialect. This is the one translation step that turns
// them into what the backend runs, and the one place that looks inside a statement.
#include <QString>

namespace JetSql {

struct Shape {
    bool isSelect = false;
    bool selectStar = false;  // "select * from <one table> [where ...] [order by ...]"
    QString table;            // set when selectStar: the only table read
    bool hasOrderBy = false;
};

Shape analyze(const QString& jet);

// SQLite dialect: yes/no/true/false become 1/0 outside string literals, "..." texts become '...',
// and a plain single-table "select *" gets the hidden key as last sort key, so that rows tying in
// "order by" come back in insertion order.
// With keysOnly, a plain "select *" delivers only the hidden key of each row.
QString toSqlite(const QString& jet, bool keysOnly = false);

// PostgreSQL dialect (text columns citext): as toSqlite, and every like compares as on SQLite (no
// escape character; a column against a literal through lower(column::text), which the server's
// expression indexes hold).
QString toPostgres(const QString& jet, bool keysOnly = false);

}  // namespace JetSql
