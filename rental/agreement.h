#pragma once
// The rental agreement (租赁合同) without a window: its built-in template and the values of its
// fields for one contract, read from the database. The window renders them and prints.
#include <QHash>
#include <QString>
#include <QVariantList>
#include <optional>

class Database;

namespace Agreement {

inline const QString DocumentName = QStringLiteral("租赁合同");

// The template printed when the office has written none of its own (one A4 page).
QString builtInTemplate();
// The field names the template may use, for the help text, in the order of the page.
QStringList fieldNames();
// The values of every field for the contract (number, customer, guarantor, vehicle, period, rates,
// the company from 公司信息); nullopt when no contract has the number. Amounts with two decimals,
// dates as the lists show them. Throws DbError as the data layer does. The dispatch's outline
// (交车车况图) is drawn by the windows library, which adds it (Papers::agreement()).
std::optional<QHash<QString, QString>> fields(Database& db, const QString& contractNumber);

// The company's heading every paper carries (公司名称, 公司地址, 邮政编码, 公司联系人, 公司电话),
// from 公司信息; empty when the row is gone. Throws DbError.
QStringList companyFieldNames();
QHash<QString, QString> companyFields(Database& db);

// What every paper reads of its contract: the values of the columns, in their order; nullopt when
// no contract has the number. Throws DbError.
std::optional<QVariantList> contractValues(Database& db, const QString& number, const QStringList& columns);
// A stored count (kilometres, days) as the papers print it: whole, empty for an empty value.
QString wholeText(const QVariant& v);

}  // namespace Agreement
