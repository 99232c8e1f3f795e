#pragma once
// The one place where dates are parsed, stored, shown and turned into SQL conditions.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

namespace Dates {

// Storage form in the database: "2004-03-01 00:00:00". Dates are bound as this text, never as QDateTime.
QString toStorage(const QDateTime& dt);
QString toStorage(const QDate& d);
// Null, empty or unreadable values give an invalid QDateTime (an "empty" date).
QDateTime fromVariant(const QVariant& v);

// Jet-style date texts as typed or built into SQL: "2004-2-1", "2004-02-01", "2004/2/1",
// optionally followed by " 0:0:0", " 23:59:59" or " 14:30". An impossible date gives nullopt.
std::optional<QDateTime> parseJet(const QString& text);

// "2004-2-1": year, month and day without leading zeros.
QString jetDate(const QDate& d);

// Month range of a date as the system writes it: "2004-2-1" ... "2004-2-29".
QString monthFirst(const QDate& d);
QString monthLast(const QDate& d);
// "(日期 between cdate('2004-2-1') and cdate('2004-2-29'))"
QString monthCondition(const QDate& d, const QString& column = QStringLiteral("日期"));

// Whole-day range term of query dialogs:
// "(发车日期 between cdate('2004-2-1 0:0:0') and cdate('2004-2-3 23:59:59'))".
// The texts are quoted safely; fn is "cdate" or "cvdate".
QString dayRangeTerm(const QString& column, const QString& fromText, const QString& toText,
                     const QString& fn = QStringLiteral("cdate"));

// Display forms used by grids and exports.
QString displayDate(const QDateTime& dt);      // "2004-02-01"
QString displayDateTime(const QDateTime& dt);  // "2004-02-01 14:30:00", or the date alone at midnight
// displayDateTime of a value read from the database, taken from its stored text ("2004-02-01
// 14:30:00") without a conversion through local time; other texts and values go the long way.
QString displayStored(const QVariant& v);

}  // namespace Dates
