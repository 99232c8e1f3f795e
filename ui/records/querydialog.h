#pragma once
// The query dialog of a list window: criteria turned into one condition, the list's shared query
// given a new select on the module's table and reopened. Every dialog is a row of the query table.
#include "data/listquery.h"

#include <QDialog>
#include <QHash>
#include <QStringList>
#include <QVector>

class QLabel;
class QLineEdit;
class QPushButton;
class RecordSet;
class TDm1;

enum class CriterionKind { Contains, StartsWith, StartsWithFirstOnly, Equals, YesNo, DayRange, DateRange };

struct Criterion {
    QString objectName;  // the control; for a date range the from field
    QString label;
    QString column;
    CriterionKind kind = CriterionKind::Contains;
    bool combo = false;      // drop-down whose text may also be typed
    QStringList items = {};  // items written into the form
    bool upper = false;
    // Date ranges only.
    QString toObjectName = {};
    QString toLabel = {};
    QString function = QStringLiteral("cdate");
    QString inputError = {};  // one field filled, the other empty
    QString orderError = {};  // from later than to
};

enum class QueryVariant { AskAgain, AlwaysClose, StayUntilFound };
enum class WhereStyle { OneLine, TwoLines };  // " where " + condition, or " where " and the condition

struct QueryDialogConfig {
    QString className;
    QString caption;
    QString query;
    QString table;                // the module's table the lines select from
    QVector<Criterion> criteria;  // in condition order
    QStringList selectLines;      // lines before the where line(s)
    WhereStyle where = WhereStyle::OneLine;
    QString orderLine;  // always the last line
    QueryVariant variant = QueryVariant::AskAgain;
    QString noCriteriaMessage;
    QString noCriteriaFocus;  // objectName; empty leaves the focus where it is
    QStringList enterChain;   // objectNames; Enter in the last presses the seek button
    bool busyAnimation = false;
    QStringList helpLines;  // empty: no 帮助 button
    QString seekCaption = QStringLiteral("查找 (&F)");
    bool customerButtons = false;  // SpeedButton1/SpeedButton2 instead of bitbtn_seek/bitbtn_close
};

// The rows modules have registered; nullptr for a class no module has registered.
const QVector<QueryDialogConfig>& queryDialogTable();
const QueryDialogConfig* queryDialogConfig(const QString& className);
// Adds or replaces rows (by class name).
void addQueryDialogConfigs(const QVector<QueryDialogConfig>& rows);
// The usual pair of messages of a date range named after its column or caption:
// "<name>输入错误,请重新输入!" and "<name>从大于<name>到,请重新输入!".
QString rangeInputError(const QString& name);
QString rangeOrderError(const QString& name);
// The help lines of the query dialogs that have 帮助: the same first and last line around their own.
QStringList queryHelpLines(const QString& second);

// The condition of the filled criteria; texts are the controls' shown texts by objectName. A date
// field counts as empty when its text begins with a blank. Typed values are quoted safely.
QString buildCondition(const QueryDialogConfig& config, const QHash<QString, QString>& texts);
// The terms of the filled criteria, each in its parentheses; the condition is the first term
// followed by "and" + each later one, with no blank.
QStringList buildTerms(const QueryDialogConfig& config, const QHash<QString, QString>& texts);
// The query's new SQL lines for a condition.
QStringList buildQueryLines(const QueryDialogConfig& config, const QString& condition);
// The lines with the table, terms and order they select.
ListQuery buildQuery(const QueryDialogConfig& config, const QHash<QString, QString>& texts);

class QueryDialog : public QDialog {
    Q_OBJECT
public:
    QueryDialog(const QueryDialogConfig& config, TDm1* dm, QWidget* owner = nullptr);

    const QueryDialogConfig& config() const { return m_config; }
    QPushButton* seekButton = nullptr;   // designer name SpeedButton1 in the customer dialog
    QPushButton* closeButton = nullptr;  // designer name SpeedButton2 in the customer dialog
    QPushButton* helpButton = nullptr;   // 帮助 (next)
    QLabel* busyAnimation = nullptr;

    QWidget* control(const QString& objectName) const;
    void setText(const QString& objectName, const QString& text);
    void setItems(const QString& objectName, const QStringList& items);
    QHash<QString, QString> texts() const;

    void onSeek();
    void onClose();
    void onHelp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool checkRanges();
    void focusControl(const QString& objectName);
    void stopAnimation();

    QueryDialogConfig m_config;
    TDm1* m_dm;
    RecordSet* m_query;
    QHash<QString, QWidget*> m_controls;
};
