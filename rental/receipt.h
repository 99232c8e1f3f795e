#pragma once
// The settlement receipt (结算单) without a window: its built-in template and the values of its
// fields for one contract as its settlement stored them. The window renders them and prints.
#include <QHash>
#include <QString>
#include <optional>

class Database;

namespace Receipt {

inline const QString DocumentName = QStringLiteral("结算单");

// The template printed when the office has written none of its own (one A4 page).
QString builtInTemplate();
// The field names the template may use, for the help text, in the order of the page.
QStringList fieldNames();
// The values of every field for the contract: periods and odometer readings, every amount the
// settlement stored (two decimals; the chief ones also in capitals), who settled and who paid, the
// company from 公司信息. What is stored is printed whether or not the account is settled;
// {{未结清}} says "（未结清）" while 帐款结清 is not ticked. nullopt when no contract has the
// number. Throws DbError as the data layer does (an amount beyond the range included).
std::optional<QHash<QString, QString>> fields(Database& db, const QString& contractNumber);

}  // namespace Receipt
