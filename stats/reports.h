#pragma once
// The eight statistics as plain functions of the database and their criteria. Each computes its rows
// and replaces the content of the scratch table 通用 with them (stats/scratch.h), in the row order
// its loop defines. Each reads the tables it sums once, grouped by the engine, and matches driving
// rows to the groups here: plates, customer numbers and summary texts as prefixes (a plate that
// begins another plate collects that vehicle's contracts too), case-insensitive for Latin letters
// as the engine's like, handler names and plates of the summary exactly.
#include "core/money.h"

#include <QString>
#include <QVariant>
#include <QVector>

class Database;

namespace Reports {

// Date texts are the date fields' shown texts ("2004-02-01"); an empty text is an empty field.
struct IncomeCriteria {
    QString customerNo;    // contains (vehicle income only)
    QString customerName;  // contains (vehicle income only)
    QString plate;         // contains (customer and handler income)
    QString dispatchFrom, dispatchTo;
    QString returnFrom, returnTo;
};

// The condition of the income reports: the text criteria that apply, then the date range entered.
QString incomeWhere(const IncomeCriteria& c);

void vehicleIncome(Database& db, const IncomeCriteria& c);          // per vehicle, plate order
void customerIncome(Database& db, const IncomeCriteria& c);         // per customer, number order
void vehicleCustomerIncome(Database& db, const IncomeCriteria& c);  // per vehicle and customer
void handlerIncome(Database& db, const IncomeCriteria& c);          // per handler, name order

// One accounting month: its label ("01月") and the texts of its first and last moment as the
// condition writes them ("2004-01-26 0:0:0", "2004-02-25 23:59:59").
struct MonthPeriod {
    QString label;
    QString start;
    QString end;
};
// The twelve months of the year whose text begins the year box, starting on day startDay (the text
// of the settings file): "1" gives calendar months; any other text runs from that day to the day
// before it in the next month. A start day that is not a whole number throws DbError.
QVector<MonthPeriod> accountingMonths(const QString& yearText, const QString& startDay);

struct MonthlyCriteria {
    QString year;  // the year box, "2004年"
    QString startDay = QStringLiteral("1");
    bool byReturnDate = false;
};
void monthlyIncome(Database& db, const MonthlyCriteria& c);

struct PeriodCriteria {
    QString from, to;
};
void cashBySummary(Database& db, const PeriodCriteria& c);

struct VehicleCostCriteria {
    QString plate;  // detail only: contained in the plate
    QString from, to;
    bool rental = true, oil = false, repair = true, accident = false;
    bool byReturnDate = false;
};
void vehicleDetail(Database& db, const VehicleCostCriteria& c);
void vehicleSummary(Database& db, const VehicleCostCriteria& c);

// The order line each report's run gives the scratch query (none for the cash report).
namespace Order {
inline const QString ByPlate = QStringLiteral(" order by 车牌号");
inline const QString ByName = QStringLiteral(" order by 客户姓名");
inline const QString ByMonth = QStringLiteral(" order by 月份");
inline const QString ByPlateAndDate = QStringLiteral(" order by 车牌号,发车日期");
}  // namespace Order

// Texts of the detail lines: amounts in their shortest decimal form (100, 12.5).
QString shortAmount(Money m);
QString rentalLine(qint64 days, Money charged);
QString oilLine(Money unitPrice, qint64 quantity);

// A stored number read as a whole number (halves to even); null or not a number reads as 0.
qint64 wholeNumber(const QVariant& v);
// A text as the engine's NOCASE and like compare it: Latin letters folded, nothing else.
QString fold(const QString& s);

// The engine's like for a pattern with % and _ (no escape), Latin letters without regard to case.
bool likeMatches(const QString& pattern, const QString& text);

}  // namespace Reports
