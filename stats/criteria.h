#pragma once
// The criteria dialogs of the statistics (TForm_*_tj): one dialog configured per report by a row,
// its checks as plain functions, and the run of its report into the scratch table.
#include "stats/reports.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QVBoxLayout;
class TDm1;
class StatsWindow;

// A refused input: the message and the objectName of the field that takes the focus (empty: none).
struct Refusal {
    QString message;
    QString focus;
    bool operator==(const Refusal&) const = default;
};

// Field names of the dialogs.
namespace CriteriaFields {
inline const QString CustomerNo = QStringLiteral("cb_khh");
inline const QString CustomerName = QStringLiteral("cb_khxm");
inline const QString Plate = QStringLiteral("cb_cph");
inline const QString From = QStringLiteral("dtp_rq1");  // dispatch from, or the one period's from
inline const QString To = QStringLiteral("dtp_rq2");
inline const QString ReturnFrom = QStringLiteral("dtp_scrq1");
inline const QString ReturnTo = QStringLiteral("dtp_scrq2");
inline const QString Year = QStringLiteral("cb_tjnd");
}  // namespace CriteriaFields

// A date field counts as empty when its shown text begins with a blank.
bool dateFieldEmpty(const QString& shown);

// The checks of the income reports: one complete range, dispatch or return.
std::optional<Refusal> checkIncomeRanges(const QString& dispatchFrom, const QString& dispatchTo, const QString& returnFrom,
                                         const QString& returnTo);
// The cash report's period.
std::optional<Refusal> checkCashPeriod(const QString& from, const QString& to);
// The vehicle cost reports: the plate (detail only, nullopt without a plate box), the period, and
// (detail only) at least one source.
std::optional<Refusal> checkCostCriteria(const std::optional<QString>& plate, const QString& from, const QString& to,
                                         std::optional<bool> anySource);
std::optional<Refusal> checkYear(const QString& year);

enum class CriteriaKind { Income, Monthly, Cash, VehicleCost };

class CriteriaDialog;

struct CriteriaConfig {
    QString className;
    QString caption = QStringLiteral("收入统计");
    CriteriaKind kind = CriteriaKind::Income;
    bool customerBoxes = false;    // 客户号 and 客户姓名
    bool plateBox = false;         // 车牌号
    QStringList helpLines = {};    // empty: no 帮助 button
    QString orderLine = {};        // the scratch query's order line of the run
    bool rememberChoices = false;  // source boxes and date radio kept in system1.ini
    std::function<void(Database&, const CriteriaDialog&)> report = {};
};

class CriteriaDialog : public QDialog {
    Q_OBJECT
public:
    CriteriaDialog(const CriteriaConfig& config, TDm1* dm, StatsWindow* owner);
    ~CriteriaDialog() override;

    const CriteriaConfig& config() const { return m_config; }

    QComboBox* customerNoBox = nullptr;
    QComboBox* customerNameBox = nullptr;
    QComboBox* plateBox = nullptr;
    QComboBox* yearBox = nullptr;
    QLineEdit* fromDate = nullptr;
    QLineEdit* toDate = nullptr;
    QLineEdit* returnFromDate = nullptr;
    QLineEdit* returnToDate = nullptr;
    QCheckBox* sourceBoxes[4] = {};  // 汽车租赁收入, 换油登记表, 维修登记表, 事故登记表
    QRadioButton* byDispatch = nullptr;
    QRadioButton* byReturn = nullptr;
    QPushButton* seekButton;   // 统计 (&F)
    QPushButton* closeButton;  // 返回 (&R)
    QPushButton* helpButton = nullptr;
    QProgressBar* busyIndicator;

    // The criteria as the report reads them.
    Reports::IncomeCriteria incomeCriteria() const;
    Reports::MonthlyCriteria monthlyCriteria() const;
    Reports::PeriodCriteria periodCriteria() const;
    Reports::VehicleCostCriteria costCriteria() const;

    std::optional<Refusal> check() const;
    // 统计: the checks, then the report into the scratch table; the dialog closes when it ran.
    void runReport();
    void onClose();   // 返回
    void showHelp();  // 帮助

    // Section of system1.ini holding the remembered choices.
    QString choicesSection() const;
    static QString choicesFile();  // ".\system1.ini" of the working folder

private:
    QComboBox* addComboField(const QString& name);
    QLineEdit* addDateField(const QString& name);
    void addDateRange(QFormLayout* form, const QString& label, const QString& fromName, const QString& toName, QLineEdit*& from,
                      QLineEdit*& to);
    void addIncomeFields(QFormLayout* form);
    void addYearFields(QFormLayout* form);
    void addCostFields(QFormLayout* form);
    QVBoxLayout* makeButtonColumn();
    void chainEnterKeys();
    QWidget* field(const QString& objectName) const;
    void loadChoices();
    void storeChoices();

    CriteriaConfig m_config;
    TDm1* m_dm;
    StatsWindow* m_window;
    QList<QWidget*> m_enterChain;
};
