#include "rental/changedialogs.h"
#include "core/clock.h"
#include "core/dates.h"
#include "core/session.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "data/recordset.h"
#include "rental/rentalrules.h"
#include "ui/common/calculator.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/records/writefailure.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

namespace {

const QString SavedText = QStringLiteral("存盘完毕！");

QLabel* shown(QWidget* parent, const QString& objectName, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(objectName);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

// 存盘 and 返回 beside the fields, as in every edit dialog.
QVBoxLayout* buttonColumn(QDialog* d, QPushButton** save, QPushButton** close)
{
    const auto make = [d](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, d);
        b->setObjectName(name);
        b->setFlat(true);
        b->setAutoDefault(false);
        return b;
    };
    *save = make(QStringLiteral("bitbtn_save"), QStringLiteral("存盘 (&S)"));
    *close = make(QStringLiteral("bitbtn_close"), QStringLiteral("返回 (&R)"));
    QObject::connect(*close, &QPushButton::clicked, d, &QDialog::reject);
    auto* column = new QVBoxLayout;
    column->addWidget(*save);
    column->addWidget(*close);
    column->addStretch(1);
    return column;
}

void fixedFrame(QDialog* d, const QString& caption, QFormLayout* form, QVBoxLayout* buttons)
{
    d->setWindowTitle(caption);
    d->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    auto* outer = new QHBoxLayout(d);
    outer->addLayout(form, 1);
    outer->addLayout(buttons);
}

CalcEdit* wholeNumberField(QWidget* parent, const QString& objectName, double minimum, double maximum)
{
    auto* e = new CalcEdit(parent);
    e->setObjectName(objectName);
    e->setMinimum(minimum);
    e->setMaximum(maximum);
    return e;
}

// A settled whole number from the field; nullopt when it holds none.
std::optional<qint64> wholeNumber(CalcEdit* e)
{
    e->settle();
    bool ok = false;
    const double v = e->text().trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return qint64(std::llround(v));
}

// The rows both dialogs open with: which contract, whose, which vehicle, since when.
void addContractRows(QFormLayout* form, QWidget* parent, const Rental::OpenContract& contract, const QString& plateLabel)
{
    form->addRow(QStringLiteral("内部编号："), shown(parent, QStringLiteral("numberLabel"), contract.number));
    form->addRow(QStringLiteral("客户姓名："), shown(parent, QStringLiteral("customerLabel"), contract.customer));
    form->addRow(plateLabel, shown(parent, QStringLiteral("plateLabel"), contract.plate));
    form->addRow(QStringLiteral("发车日期："),
                 shown(parent, QStringLiteral("dispatchLabel"), Dates::displayDateTime(contract.dispatch)));
}

QString termText(const Rental::OpenContract& c)
{
    return QStringLiteral("%1 天").arg(c.days);
}

}  // namespace

// ---- 续租 ----

ExtendDialog::ExtendDialog(QWidget* parent, TDm1* dm, const Rental::OpenContract& contract)
    : QDialog(parent), m_dm(dm), m_contract(contract)
{
    setObjectName(QStringLiteral("ExtendDialog"));
    auto* form = new QFormLayout;
    addContractRows(form, this, contract, QStringLiteral("车牌号："));
    form->addRow(QStringLiteral("原租赁期限："), shown(this, QStringLiteral("termLabel"), termText(contract)));
    form->addRow(QStringLiteral("原预计还车："),
                 shown(this, QStringLiteral("plannedLabel"), Dates::displayDateTime(contract.plannedEnd())));
    termEdit = wholeNumberField(this, QStringLiteral("termEdit"), 1, double(Rental::MaxTerm));
    termEdit->setText(QString::number(contract.days));
    form->addRow(QStringLiteral("新租赁期限："), termEdit);
    returnDateEdit = new QLineEdit(this);
    returnDateEdit->setObjectName(QStringLiteral("returnDateEdit"));
    returnDateEdit->setInputMask(QStringLiteral("9999-99-99; "));
    returnDateEdit->setText(contract.plannedEnd().date().toString(QStringLiteral("yyyy-MM-dd")));
    form->addRow(QStringLiteral("新还车日期："), returnDateEdit);
    rentDueLabel = shown(this, QStringLiteral("rentDueLabel"), QString());
    form->addRow(QStringLiteral("应收租金："), rentDueLabel);
    fixedFrame(this, QStringLiteral("续租"), form, buttonColumn(this, &saveButton, &closeButton));

    connect(termEdit, &QLineEdit::textEdited, this, &ExtendDialog::termTyped);
    connect(returnDateEdit, &QLineEdit::textEdited, this, &ExtendDialog::dateTyped);
    connect(saveButton, &QPushButton::clicked, this, &ExtendDialog::save);
    showRentDue(contract.days);
    termEdit->setFocus();
    termEdit->selectAll();
}

void ExtendDialog::termTyped()
{
    bool ok = false;
    const qint64 days = termEdit->settledText(termEdit->text()).trimmed().toLongLong(&ok);
    if (!ok || days < 1)
        return;
    returnDateEdit->setText(Rental::plannedEnd(m_contract.dispatch, days).date().toString(QStringLiteral("yyyy-MM-dd")));
    showRentDue(days);
}

void ExtendDialog::dateTyped()
{
    const auto date = Dates::parseJet(returnDateEdit->text().remove(QLatin1Char(' ')));
    if (!date)
        return;
    const qint64 days = Rental::termUntil(m_contract.dispatch, date->date());
    termEdit->setText(QString::number(days));
    showRentDue(days);
}

void ExtendDialog::showRentDue(qint64 days)
{
    try {
        const std::optional<Money> due = Rental::rentDue(days, m_contract.rate);
        rentDueLabel->setText(due ? due->toDisplay() : QString());
    } catch (const DbError& e) {
        // The save refuses it with the same text.
        rentDueLabel->setText(e.text());
    }
}

void ExtendDialog::save()
{
    // A date typed but not finished is no term: said rather than guessed.
    const QString typedDate = returnDateEdit->text().remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
    if (!typedDate.isEmpty() && !Dates::parseJet(returnDateEdit->text().remove(QLatin1Char(' ')))) {
        Msg::warn(this, QStringLiteral("还车日期不是有效的日期,请重新输入!"));
        returnDateEdit->setFocus();
        return;
    }
    const std::optional<qint64> days = wholeNumber(termEdit);
    if (!days) {
        Msg::warn(this, QStringLiteral("租赁期限不能为空,请重新输入!"));
        termEdit->setFocus();
        return;
    }
    Rental::ExtendRequest r{.number = m_contract.number,
                            .seenDays = m_contract.days,
                            .newDays = *days,
                            .operatorName = Session::currentOperator().name};
    try {
        Rental::ChangeOutcome out = Rental::extendContract(m_dm->ADO_qczl, r);
        if (out.reservation) {
            if (!Msg::confirm(this, Rental::reservationOverlapQuestion(*out.reservation)))
                return;
            r.reservationAccepted = true;
            out = Rental::extendContract(m_dm->ADO_qczl, r);
        }
        if (!out.refusal.isEmpty()) {
            Msg::warn(this, out.refusal);
            termEdit->setFocus();
            return;
        }
        if (!out.written)
            return;
    } catch (const DbError& e) {
        reportWriteFailure(this, e, WriteAction::Save);
        return;
    }
    Msg::warn(this, SavedText);
    accept();
}

// ---- 换车 ----

SwapDialog::SwapDialog(QWidget* parent, TDm1* dm, const Rental::OpenContract& contract)
    : QDialog(parent), m_dm(dm), m_contract(contract)
{
    setObjectName(QStringLiteral("SwapDialog"));
    auto* form = new QFormLayout;
    addContractRows(form, this, contract, QStringLiteral("原车牌号："));
    form->addRow(QStringLiteral("预计还车："),
                 shown(this, QStringLiteral("plannedLabel"), Dates::displayDateTime(contract.plannedEnd())));
    form->addRow(QStringLiteral("发车里程："),
                 shown(this, QStringLiteral("startOdometerLabel"), QString::number(contract.startOdometer)));
    odometerEdit = wholeNumberField(this, QStringLiteral("odometerEdit"), 0, 500000);
    form->addRow(QStringLiteral("原车里程："), odometerEdit);
    vehicleBox = new QComboBox(this);
    vehicleBox->setObjectName(QStringLiteral("vehicleBox"));
    vehicleBox->setMinimumContentsLength(10);
    form->addRow(QStringLiteral("换用车辆："), vehicleBox);
    newOdometerEdit = wholeNumberField(this, QStringLiteral("newOdometerEdit"), 0, 500000);
    form->addRow(QStringLiteral("新车里程："), newOdometerEdit);
    startLabel = shown(this, QStringLiteral("newStartLabel"), QString());
    form->addRow(QStringLiteral("新发车里程："), startLabel);
    fixedFrame(this, QStringLiteral("换车"), form, buttonColumn(this, &saveButton, &closeButton));

    try {
        vehicleBox->addItems(Rental::swapCandidates(dm->ADO_qczl, contract, Clock::now()));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
    vehicleBox->setCurrentIndex(-1);
    connect(vehicleBox, &QComboBox::currentIndexChanged, this, &SwapDialog::vehicleChosen);
    connect(odometerEdit, &QLineEdit::textEdited, this, &SwapDialog::showNewStart);
    connect(newOdometerEdit, &QLineEdit::textEdited, this, &SwapDialog::showNewStart);
    connect(saveButton, &QPushButton::clicked, this, &SwapDialog::save);
    odometerEdit->setFocus();
}

void SwapDialog::vehicleChosen()
{
    std::optional<qint64> odometer;
    try {
        if (!vehicleBox->currentText().isEmpty())
            odometer = Rental::vehicleOdometer(m_dm->ADO_qczl, vehicleBox->currentText());
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
    newOdometerEdit->setText(odometer ? QString::number(*odometer) : QString());
    showNewStart();
}

void SwapDialog::showNewStart()
{
    bool okOld = false, okNew = false;
    const qint64 odometer = odometerEdit->settledText(odometerEdit->text()).trimmed().toLongLong(&okOld);
    const qint64 newOdometer = newOdometerEdit->settledText(newOdometerEdit->text()).trimmed().toLongLong(&okNew);
    if (!okOld || !okNew || odometer < m_contract.startOdometer) {
        startLabel->clear();
        return;
    }
    const qint64 driven = odometer - m_contract.startOdometer;
    startLabel->setText(QStringLiteral("%1 (已行驶 %2 公里)").arg(newOdometer - driven).arg(driven));
}

void SwapDialog::save()
{
    if (vehicleBox->currentText().isEmpty()) {
        Msg::warn(this, QStringLiteral("请选择换用的车辆!"));
        vehicleBox->setFocus();
        return;
    }
    const std::optional<qint64> odometer = wholeNumber(odometerEdit);
    if (!odometer) {
        Msg::warn(this, QStringLiteral("原车里程不能为空,请重新输入!"));
        odometerEdit->setFocus();
        return;
    }
    const std::optional<qint64> newOdometer = wholeNumber(newOdometerEdit);
    if (!newOdometer) {
        Msg::warn(this, QStringLiteral("新车里程不能为空,请重新输入!"));
        newOdometerEdit->setFocus();
        return;
    }
    const Rental::SwapRequest r{.number = m_contract.number,
                                .seenPlate = m_contract.plate,
                                .newPlate = vehicleBox->currentText(),
                                .odometer = *odometer,
                                .newOdometer = *newOdometer,
                                .operatorName = Session::currentOperator().name};
    try {
        const Rental::ChangeOutcome out = Rental::swapVehicle(m_dm->ADO_qczl, r);
        if (!out.refusal.isEmpty()) {
            Msg::warn(this, out.refusal);
            return;
        }
        if (!out.written)
            return;
    } catch (const DbError& e) {
        reportWriteFailure(this, e, WriteAction::Save);
        return;
    }
    Msg::warn(this, SavedText);
    accept();
}

// ---- history ----

ChangeHistoryView::ChangeHistoryView(TDm1* dm, QWidget* parent) : QTableWidget(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("changeHistory"));
    setColumnCount(6);
    setHorizontalHeaderLabels({QStringLiteral("操作日期"), QStringLiteral("变更项目"), QStringLiteral("原值"), QStringLiteral("新值"),
                               QStringLiteral("里程"), QStringLiteral("操作员")});
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setMaximumHeight(120);
    setToolTip(QStringLiteral("续租和换车记录"));
}

void ChangeHistoryView::showContract(const QString& number)
{
    setRowCount(0);
    if (number.isEmpty())
        return;
    QVector<Rental::ChangeEntry> entries;
    try {
        entries = Rental::changeHistory(m_dm->ADO_qczl, number);
    } catch (const DbError& e) {
        // Only a view: the dialog goes on without it.
        qCWarning(lcData, "%s", qPrintable(e.text()));
        return;
    }
    setRowCount(int(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        const Rental::ChangeEntry& e = entries[i];
        const QStringList cells{Dates::displayDateTime(e.at),
                                e.kind,
                                e.oldValue,
                                e.newValue,
                                e.odometer ? QString::number(*e.odometer) : QString(),
                                e.operatorName};
        for (int c = 0; c < cells.size(); ++c)
            setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    resizeColumnsToContents();
}

void ChangeHistoryView::follow(RecordSet* contracts)
{
    const auto refresh = [this, contracts] {
        const bool onRow = contracts->isOpen() && contracts->state() != RecordSet::Insert && contracts->currentRow() >= 0;
        showContract(onRow ? contracts->asString(Col::内部编号) : QString());
    };
    connect(contracts, &RecordSet::currentChanged, this, refresh);
    connect(contracts, &RecordSet::reset, this, refresh);
    connect(contracts, &RecordSet::stateChanged, this, refresh);
    refresh();
}

// ---- entry points ----

namespace ContractChanges {

namespace {

std::optional<Rental::OpenContract> openContract(QWidget* parent, TDm1* dm, const QString& number)
{
    try {
        const std::optional<Rental::OpenContract> c = Rental::readContract(dm->ADO_qczl, number);
        if (!c) {
            Msg::warn(parent, QStringLiteral("该记录已被其他用户修改或删除,请关闭窗口后重新打开!"));
            return std::nullopt;
        }
        if (const QString why = Rental::notOpenText(*c); !why.isEmpty()) {
            Msg::warn(parent, why);
            return std::nullopt;
        }
        return c;
    } catch (const DbError& e) {
        Msg::error(parent, e.text());
        return std::nullopt;
    }
}

template <class Dialog>
bool change(QWidget* parent, TDm1* dm, const QString& number)
{
    const std::optional<Rental::OpenContract> c = openContract(parent, dm, number);
    if (!c)
        return false;
    Dialog d(parent, dm, *c);
    return Modal::exec(&d) == QDialog::Accepted;
}

template <class Dialog>
bool changeCurrent(QWidget* parent, TDm1* dm, RecordSet* contracts)
{
    // Nothing to change in an empty list.
    if (!contracts->isOpen() || contracts->currentRow() < 0 || contracts->state() != RecordSet::Browse)
        return false;
    if (!change<Dialog>(parent, dm, contracts->asString(Col::内部编号)))
        return false;
    try {
        contracts->refreshCurrent();
    } catch (const DbError& e) {
        Msg::error(parent, e.text());
    }
    return true;
}

}  // namespace

bool extendContract(QWidget* parent, TDm1* dm, const QString& number)
{
    return change<ExtendDialog>(parent, dm, number);
}

bool swapVehicle(QWidget* parent, TDm1* dm, const QString& number)
{
    return change<SwapDialog>(parent, dm, number);
}

bool extendCurrent(QWidget* parent, TDm1* dm, RecordSet* contracts)
{
    return changeCurrent<ExtendDialog>(parent, dm, contracts);
}

bool swapCurrent(QWidget* parent, TDm1* dm, RecordSet* contracts)
{
    return changeCurrent<SwapDialog>(parent, dm, contracts);
}

}  // namespace ContractChanges
