#include "stats/criteria.h"
#include "core/dates.h"
#include "data/datamodule.h"
#include "data/settings.h"
#include "stats/scratch.h"
#include "stats/statswindow.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/shell/enterkeys.h"
#include "ui/shell/help.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QVBoxLayout>

namespace F = CriteriaFields;

namespace {

std::optional<QDate> dateOf(const QString& shown)
{
    const auto dt = Dates::parseJet(shown);
    return dt ? std::optional<QDate>(dt->date()) : std::nullopt;
}

// One range of two date fields: fine when both are empty or both hold dates in order. A half-typed
// or impossible date is refused like a missing one.
enum class RangeState { Empty, Complete, Incomplete, Reversed };
RangeState rangeState(const QString& from, const QString& to)
{
    const bool a = dateFieldEmpty(from), b = dateFieldEmpty(to);
    if (a && b)
        return RangeState::Empty;
    const auto f = a ? std::nullopt : dateOf(from), t = b ? std::nullopt : dateOf(to);
    if (!f || !t)
        return RangeState::Incomplete;
    return *t < *f ? RangeState::Reversed : RangeState::Complete;
}

const char* const SourceCaptions[4] = {"汽车租赁收入", "换油登记表", "维修登记表", "事故登记表"};
const bool SourceDefaults[4] = {true, false, true, false};

}  // namespace

bool dateFieldEmpty(const QString& shown)
{
    return shown.isEmpty() || shown.startsWith(QLatin1Char(' '));
}

std::optional<Refusal> checkIncomeRanges(const QString& dispatchFrom, const QString& dispatchTo, const QString& returnFrom,
                                         const QString& returnTo)
{
    const RangeState d = rangeState(dispatchFrom, dispatchTo), r = rangeState(returnFrom, returnTo);
    if (d == RangeState::Incomplete)
        return Refusal{QStringLiteral("发车日期输入错误,请重新输入!"), F::From};
    if (d == RangeState::Reversed)
        return Refusal{QStringLiteral("发车日期从大于发车日期到,请重新输入!"), F::From};
    if (r == RangeState::Incomplete)
        return Refusal{QStringLiteral("收车日期输入错误,请重新输入!"), F::ReturnFrom};
    if (r == RangeState::Reversed)
        return Refusal{QStringLiteral("收车日期从大于收车日期到,请重新输入!"), F::ReturnFrom};
    if (d == RangeState::Complete && r == RangeState::Complete)
        return Refusal{QStringLiteral("不能同时输入发车日期和收车日期,请重新输入!"), F::From};
    if (d == RangeState::Empty && r == RangeState::Empty)
        return Refusal{QStringLiteral("没有输入发车日期或收车日期,请重新输入!"), F::From};
    return std::nullopt;
}

std::optional<Refusal> checkCashPeriod(const QString& from, const QString& to)
{
    switch (rangeState(from, to)) {
    case RangeState::Empty:
        return Refusal{QStringLiteral("日期不能为空,请重新输入!"), F::From};
    case RangeState::Incomplete:
        return Refusal{QStringLiteral("日期输入错误,请重新输入!"), F::From};
    case RangeState::Reversed:
        return Refusal{QStringLiteral("日期从大于日期到,请重新输入!"), F::From};
    case RangeState::Complete:
        break;
    }
    return std::nullopt;
}

std::optional<Refusal> checkCostCriteria(const std::optional<QString>& plate, const QString& from, const QString& to,
                                         std::optional<bool> anySource)
{
    if (plate && plate->trimmed().isEmpty())
        return Refusal{QStringLiteral("车牌号不能为空,请重新输入!"), F::Plate};
    switch (rangeState(from, to)) {
    case RangeState::Empty:
        return Refusal{QStringLiteral("发车日期不能为空,请重新输入!"), F::From};
    case RangeState::Incomplete:
        return Refusal{QStringLiteral("发车日期输入错误,请重新输入!"), F::From};
    case RangeState::Reversed:
        return Refusal{QStringLiteral("发车日期从大于发车日期到,请重新输入!"), F::From};
    case RangeState::Complete:
        break;
    }
    if (anySource && !*anySource)
        return Refusal{QStringLiteral("没有选择统计项目,请重新输入!"), QString()};
    return std::nullopt;
}

std::optional<Refusal> checkYear(const QString& year)
{
    if (year.trimmed().isEmpty())
        return Refusal{QStringLiteral("没有输入统计年度,请重新输入!"), F::Year};
    return std::nullopt;
}

CriteriaDialog::CriteriaDialog(const CriteriaConfig& config, TDm1* dm, StatsWindow* owner)
    : QDialog(owner), m_config(config), m_dm(dm), m_window(owner)
{
    setObjectName(config.className.mid(1));
    setProperty("windowClass", config.className);
    setWindowTitle(config.caption);
    // Fixed size, no border icons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* outer = new QHBoxLayout(this);
    auto* form = new QFormLayout;
    outer->addLayout(form);
    switch (config.kind) {
    case CriteriaKind::Income:
        addIncomeFields(form);
        break;
    case CriteriaKind::Monthly:
        addYearFields(form);
        break;
    case CriteriaKind::Cash:
        addDateRange(form, QStringLiteral("日期  从："), F::From, F::To, fromDate, toDate);
        break;
    case CriteriaKind::VehicleCost:
        addCostFields(form);
        break;
    }
    if (byDispatch) {
        byDispatch->setObjectName(QStringLiteral("RadioButton1"));
        byReturn->setObjectName(QStringLiteral("RadioButton2"));
    }
    outer->addLayout(makeButtonColumn());
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    chainEnterKeys();
    if (config.rememberChoices)
        loadChoices();
}

QComboBox* CriteriaDialog::addComboField(const QString& name)
{
    auto* b = new QComboBox(this);
    b->setObjectName(name);
    b->setEditable(true);
    b->setCurrentIndex(-1);
    m_enterChain << b;
    return b;
}

QLineEdit* CriteriaDialog::addDateField(const QString& name)
{
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setInputMask(QStringLiteral("9999-99-99; "));
    m_enterChain << e;
    return e;
}

void CriteriaDialog::addDateRange(QFormLayout* form, const QString& label, const QString& fromName, const QString& toName,
                                  QLineEdit*& from, QLineEdit*& to)
{
    auto* row = new QHBoxLayout;
    from = addDateField(fromName);
    to = addDateField(toName);
    row->addWidget(from);
    row->addWidget(new QLabel(QStringLiteral("到："), this));
    row->addWidget(to);
    form->addRow(label, row);
}

// Customer and plate boxes as the report asks for them, and the dispatch and return ranges.
void CriteriaDialog::addIncomeFields(QFormLayout* form)
{
    if (m_config.customerBoxes) {
        customerNoBox = addComboField(F::CustomerNo);
        form->addRow(QStringLiteral("客户号："), customerNoBox);
        customerNameBox = addComboField(F::CustomerName);
        InputMethods::applyCurrent(customerNameBox);
        form->addRow(QStringLiteral("客户姓名："), customerNameBox);
    }
    if (m_config.plateBox) {
        plateBox = addComboField(F::Plate);
        form->addRow(QStringLiteral("车牌号："), plateBox);
    }
    addDateRange(form, QStringLiteral("发车日期  从："), F::From, F::To, fromDate, toDate);
    addDateRange(form, QStringLiteral("收车日期  从："), F::ReturnFrom, F::ReturnTo, returnFromDate, returnToDate);
}

// The year, offered from a list or typed, and which date of a contract counts.
void CriteriaDialog::addYearFields(QFormLayout* form)
{
    yearBox = addComboField(F::Year);
    for (int y = 2003; y <= 2008; ++y)
        yearBox->addItem(QStringLiteral("%1年").arg(y));
    yearBox->setCurrentIndex(-1);
    yearBox->setEditText(QString());
    form->addRow(QStringLiteral("统计年度："), yearBox);
    byDispatch = new QRadioButton(QStringLiteral("按发车日期统计："), this);
    byReturn = new QRadioButton(QStringLiteral("按收车日期统计"), this);
    byDispatch->setChecked(true);
    form->addRow(byDispatch);
    form->addRow(byReturn);
}

// The plate (detail report only), the period, and the sources of costs and income to add up.
void CriteriaDialog::addCostFields(QFormLayout* form)
{
    if (m_config.plateBox) {
        plateBox = addComboField(F::Plate);
        plateBox->setMaxVisibleItems(15);
        form->addRow(QStringLiteral("车牌号："), plateBox);
    }
    addDateRange(form, QStringLiteral("发生日期  从："), F::From, F::To, fromDate, toDate);
    auto* group = new QGroupBox(QStringLiteral("以下是需要统计的项目"), this);
    auto* g = new QVBoxLayout(group);
    for (int i = 0; i < 4; ++i) {
        sourceBoxes[i] = new QCheckBox(QString::fromUtf8(SourceCaptions[i]), group);
        sourceBoxes[i]->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        sourceBoxes[i]->setChecked(SourceDefaults[i]);
        g->addWidget(sourceBoxes[i]);
    }
    byDispatch = new QRadioButton(QStringLiteral("按发车日期统计租赁收入："), group);
    byReturn = new QRadioButton(QStringLiteral("按收车日期统计租赁收入："), group);
    byDispatch->setChecked(true);
    g->addWidget(byDispatch);
    g->addWidget(byReturn);
    form->addRow(group);
}

// 帮助 (when the report has help lines), 统计, 返回 and the busy indicator below them.
QVBoxLayout* CriteriaDialog::makeButtonColumn()
{
    auto* buttons = new QVBoxLayout;
    auto button = [&](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    if (!m_config.helpLines.isEmpty()) {
        helpButton = button(QStringLiteral("next"), QStringLiteral("帮助 (&H)"));
        connect(helpButton, &QPushButton::clicked, this, &CriteriaDialog::showHelp);
    }
    seekButton = button(QStringLiteral("bitbtn_seek"), QStringLiteral("统计 (&F)"));
    closeButton = button(QStringLiteral("bitbtn_close"), QStringLiteral("返回 (&R)"));
    connect(seekButton, &QPushButton::clicked, this, &CriteriaDialog::runReport);
    connect(closeButton, &QPushButton::clicked, this, &CriteriaDialog::onClose);
    busyIndicator = new QProgressBar(this);
    busyIndicator->setObjectName(QStringLiteral("Animate1"));
    busyIndicator->setRange(0, 0);  // busy: no known end
    busyIndicator->setTextVisible(false);
    busyIndicator->setVisible(false);
    buttons->addWidget(busyIndicator);
    buttons->addStretch(1);
    return buttons;
}

// Enter moves from field to field in the order they were made; on the last one it presses 统计.
void CriteriaDialog::chainEnterKeys()
{
    for (int i = 0; i < m_enterChain.size(); ++i) {
        if (i + 1 < m_enterChain.size())
            EnterKeys::moveTo(m_enterChain[i], m_enterChain[i + 1]);
        else
            EnterKeys::click(m_enterChain[i], seekButton);
    }
    if (!m_enterChain.isEmpty())
        m_enterChain.first()->setFocus(Qt::OtherFocusReason);
}

CriteriaDialog::~CriteriaDialog()
{
    if (m_config.rememberChoices)
        storeChoices();
}

QWidget* CriteriaDialog::field(const QString& objectName) const
{
    return objectName.isEmpty() ? nullptr : findChild<QWidget*>(objectName);
}

namespace {
QString shown(const QLineEdit* e)
{
    return e ? e->displayText() : QString();
}
QString text(const QComboBox* b)
{
    return b ? b->currentText() : QString();
}
}  // namespace

Reports::IncomeCriteria CriteriaDialog::incomeCriteria() const
{
    return {.customerNo = text(customerNoBox),
            .customerName = text(customerNameBox),
            .plate = text(plateBox),
            .dispatchFrom = shown(fromDate),
            .dispatchTo = shown(toDate),
            .returnFrom = shown(returnFromDate),
            .returnTo = shown(returnToDate)};
}

Reports::MonthlyCriteria CriteriaDialog::monthlyCriteria() const
{
    return {.year = text(yearBox), .startDay = SysSettings::read().hs_date1, .byReturnDate = byReturn && byReturn->isChecked()};
}

Reports::PeriodCriteria CriteriaDialog::periodCriteria() const
{
    return {.from = shown(fromDate), .to = shown(toDate)};
}

Reports::VehicleCostCriteria CriteriaDialog::costCriteria() const
{
    const auto ticked = [this](int i) { return sourceBoxes[i] && sourceBoxes[i]->isChecked(); };
    return {.plate = text(plateBox),
            .from = shown(fromDate),
            .to = shown(toDate),
            .rental = ticked(0),
            .oil = ticked(1),
            .repair = ticked(2),
            .accident = ticked(3),
            .byReturnDate = byReturn && byReturn->isChecked()};
}

std::optional<Refusal> CriteriaDialog::check() const
{
    switch (m_config.kind) {
    case CriteriaKind::Income:
        return checkIncomeRanges(shown(fromDate), shown(toDate), shown(returnFromDate), shown(returnToDate));
    case CriteriaKind::Monthly:
        return checkYear(text(yearBox));
    case CriteriaKind::Cash:
        return checkCashPeriod(shown(fromDate), shown(toDate));
    case CriteriaKind::VehicleCost: {
        const auto c = costCriteria();
        return checkCostCriteria(plateBox ? std::optional<QString>(c.plate) : std::nullopt, c.from, c.to,
                                 plateBox ? std::optional<bool>(c.rental || c.oil || c.repair || c.accident) : std::nullopt);
    }
    }
    return std::nullopt;
}

void CriteriaDialog::runReport()
{
    if (const auto refusal = check()) {
        Msg::warn(this, refusal->message);
        if (QWidget* w = field(refusal->focus))
            w->setFocus(Qt::OtherFocusReason);
        return;
    }
    busyIndicator->setVisible(true);
    busyIndicator->repaint();  // the run holds the event loop: shown before it starts
    try {
        Scratch::run(m_dm->q_tongyong, m_config.orderLine, [this] { m_config.report(m_dm->ADO_qczl, *this); });
    } catch (const DbError& e) {
        busyIndicator->setVisible(false);
        Msg::error(this, e.text());
        return;
    }
    busyIndicator->setVisible(false);
    if (m_window && m_window->periodLabel) {
        const auto c = periodCriteria();
        m_window->setPeriod(Dates::displayDate(*Dates::parseJet(c.from)) + QStringLiteral("到")
                            + Dates::displayDate(*Dates::parseJet(c.to)));
    }
    done(QDialog::Accepted);
}

void CriteriaDialog::onClose()
{
    done(QDialog::Rejected);
}

void CriteriaDialog::showHelp()
{
    showHelpLines(this, m_config.helpLines);
}

QString CriteriaDialog::choicesFile()
{
    return QDir::current().filePath(QStringLiteral("system1.ini"));
}

QString CriteriaDialog::choicesSection() const
{
    return m_config.className + QStringLiteral("_PropStorageEh1");
}

void CriteriaDialog::loadChoices()
{
    QSettings ini(choicesFile(), QSettings::IniFormat);
    ini.beginGroup(choicesSection());
    for (QCheckBox* b : sourceBoxes)
        if (b)
            b->setChecked(ini.value(b->objectName() + QStringLiteral(".Checked"), b->isChecked()).toBool());
    if (byReturn && ini.value(byReturn->objectName() + QStringLiteral(".Checked"), false).toBool())
        byReturn->setChecked(true);
    ini.endGroup();
}

void CriteriaDialog::storeChoices()
{
    QSettings ini(choicesFile(), QSettings::IniFormat);
    ini.beginGroup(choicesSection());
    for (QCheckBox* b : sourceBoxes)
        if (b)
            ini.setValue(b->objectName() + QStringLiteral(".Checked"), b->isChecked());
    if (byReturn)
        ini.setValue(byReturn->objectName() + QStringLiteral(".Checked"), byReturn->isChecked());
    ini.endGroup();
    ini.sync();
}
