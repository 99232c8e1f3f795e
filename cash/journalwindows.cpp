#include "cash/journalwindows.h"
#include "cash/cash.h"
#include "core/session.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "data/lookups.h"
#include "data/recordset.h"
#include "cash/journal.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/records/windowspec.h"

#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

// ---- descriptions ----

const ListWindowConfig& TForm_xjrjz::spec()
{
    using B = ListButton;
    static const ListWindowConfig s{
        .className = staticMetaObject.className(),
        .caption = "现金日记账",
        .query = "q_xjrjz",
        .buttons = {{B::Export}, {B::Query}, {B::Edit}, {B::Delete}, {B::Print}, {B::Module, "整理"}, {B::Return}},
        .exportName = "现金日记帐",
        .printTitle = "现金日记帐打印清单",
        .footerSums = {Col::借方, Col::贷方},
        .sort = SortMode::None};
    return s;
}

const EditDialogConfig& TForm_xjrjz_edit::spec()
{
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "现金日记帐编辑 (xjrjz)",
                                    .query = "q_xjrjz",
                                    .buttons = EditButton::Add | EditButton::Save | EditButton::Cancel | EditButton::Close,
                                    .discardFirst = true};
    return s;
}

const ListWindowConfig& TForm_zy::spec()
{
    using B = ListButton;
    static const ListWindowConfig s{.className = staticMetaObject.className(),
                                    .caption = "摘要设置",
                                    .query = "q_zy",
                                    .buttons = {{B::Edit}, {B::Delete}, {B::Export}, {B::Return}},
                                    .exportName = "摘要",
                                    .sort = SortMode::MarksOnly,
                                    .autoWidth = true,
                                    .autoWidthBox = false,
                                    .columnButtons = false,
                                    .maximised = false};
    return s;
}

// The summary dialog guards on the trimmed field texts (its own addGuardPasses).
const EditDialogConfig& TForm_zy_edit::spec()
{
    static const EditDialogConfig s{.className = staticMetaObject.className(), .caption = "摘要编辑 (zy)", .query = "q_zy"};
    return s;
}

namespace {

const QString DateColumn = Col::日期;
const QString Handler = Col::经办人;
const QString Remark = Col::备注;
const QString Balance = Col::余额;
const QString Kind = Col::属性;
const QString Code = Col::代码;

QVector<FieldDef> entryFields()
{
    using F = FieldKind;
    return {
        {.objectName = "DBDateTimeEditEh1", .label = "日期：", .column = Col::日期, .kind = F::Date},
        {.objectName = "DBEditEh1", .label = "凭证号：", .column = Col::凭证号},
        {.objectName = "DBComboBoxEh1", .label = "摘要：", .column = Col::摘要, .kind = F::Combo, .chinese = true, .recent = 15},
        {.objectName = "DBMemo1", .label = "明细：", .column = Col::明细, .kind = F::Memo, .chinese = true},
        {.objectName = "DBEditEh2", .label = "经办人：", .column = Col::经办人, .chinese = true},
        {.objectName = "DBNumberEditEh1", .label = "借方(增加)：", .column = Col::借方, .kind = F::Number, .decimals = 4},
        {.objectName = "DBNumberEditEh2", .label = "贷方(减少)：", .column = Col::贷方, .kind = F::Number, .decimals = 4},
        {.objectName = "DBMemo2", .label = "备注：", .column = Col::备注, .kind = F::Memo, .chinese = true},
        {.objectName = "DBNumberEditEh3", .label = "余额：", .column = Col::余额, .kind = F::ReadOnly},
    };
}

QVector<FieldDef> summaryFields()
{
    using F = FieldKind;
    return {
        {.objectName = "DBComboBoxEh1", .label = "属性：", .column = Col::属性, .kind = F::Combo, .items = {"增加", "减少"}},
        {.objectName = "DBEditEh1", .label = "摘要代码：", .column = Col::代码},
        {.objectName = "DBEditEh2", .label = "摘要名称：", .column = Col::摘要, .upper = true, .chinese = true},
    };
}

bool isEnter(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* k = static_cast<QKeyEvent*>(event);
    return (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
           && (k->modifiers() == Qt::NoModifier || k->modifiers() == Qt::KeypadModifier);
}

}  // namespace

// ---- cash journal list ----

TForm_xjrjz::TForm_xjrjz(QWidget* owner, TDm1* dm) : ListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::日期, .width = 90},
                {.field = Col::摘要, .width = 90},
                {.field = Col::明细, .width = 200},
                {.field = Col::借方, .title = "借方(增加)", .width = 100},
                {.field = Col::贷方, .title = "贷方(减少)", .width = 100},
                {.field = Col::余额, .width = 100},
                {.field = Col::凭证号, .width = 80},
                {.field = Col::经办人, .width = 80},
                {.field = Col::备注, .width = 200}});
    tidyButton = moduleButton(QStringLiteral("整理"));
    if (tidyButton) {
        tidyButton->setObjectName(QStringLiteral("SpeedButton6"));
        connect(tidyButton, &QPushButton::clicked, this, &TForm_xjrjz::tidyClosingMonth);
    }
}

QDialog* TForm_xjrjz::createEditDialog()
{
    auto* d = new TForm_xjrjz_edit(this, dm());
    try {
        d->setItemsFor(Journal::Summary, Lookups::summaries(dm()->ADO_qczl));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        delete d;
        return nullptr;
    }
    return d;
}

void TForm_xjrjz::prepareQueryDialog(QueryDialog* dialog)
{
    for (const char* name : {"cb摘要", "Edit2", "Edit3", "Edit4"})
        InputMethods::applyCurrent(dialog->control(QString::fromUtf8(name)));
    try {
        dialog->setItems(QStringLiteral("cb摘要"), Lookups::summaries(dm()->ADO_qczl));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

void TForm_xjrjz::tidyClosingMonth()
{
    if (!Msg::confirm(this, QStringLiteral("确实需要整理当前结算时间的记录吗? ")))
        return;
    const QDate closing = Session::closingDate();
    RecordSet* q = query();
    try {
        q->cancel();
        Journal::tidyMonth(dm()->ADO_qczl, closing);
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
    // The list shows the month just balanced, whatever a query had listed before.
    try {
        q->close();
        q->setQuery(Journal::monthQuery(closing));
        q->open();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

// ---- cash journal entry ----

TForm_xjrjz_edit::TForm_xjrjz_edit(QWidget* owner, TDm1* dm) : EditDialog(spec(), entryFields(), dm, owner)
{
    if (auto* summary = qobject_cast<QComboBox*>(fieldFor(Journal::Summary)))
        summary->setMaxVisibleItems(15);
    if (QWidget* balance = fieldFor(Balance))
        balance->setToolTip(QStringLiteral("只读字段，不能编辑！"));
    setEnterChainColumns({DateColumn, Col::凭证号, Journal::Summary, Col::明细, Handler, Journal::Debit, Journal::Credit, Remark});
    // Tab and the mouse reach the amounts too: the summary decides where the focus lands.
    for (const QString& c : {Journal::Debit, Journal::Credit})
        fieldFor(c)->installEventFilter(this);
    noteLabel = new QLabel(QStringLiteral("提示：摘要只能是租赁收入和费用支出，租赁收入对应借方(增加)，费用支出对应贷方(减少)。"),
                           this);
    noteLabel->setObjectName(QStringLiteral("noteLabel"));
    noteLabel->setWordWrap(true);
    if (auto* outer = layout(); outer && outer->count() > 0)
        if (auto* form = qobject_cast<QFormLayout*>(outer->itemAt(0)->layout()))
            form->addRow(noteLabel);
}

Money& TForm_xjrjz_edit::previousBalance()
{
    static Money remembered;
    return remembered;
}

QString TForm_xjrjz_edit::summaryText() const
{
    return textFor(Journal::Summary);
}

void TForm_xjrjz_edit::beforeAppend()
{
    RecordSet* q = query();
    if (q->isEmpty()) {
        previousBalance() = Money();
        return;
    }
    q->last();
    previousBalance() = q->asMoney(Balance);
}

bool TForm_xjrjz_edit::moduleChecks()
{
    const RecordSet* q = query();
    const Journal::Entry entry{q->asDateTime(DateColumn), q->asString(Journal::Summary), q->asMoney(Journal::Debit),
                               q->asMoney(Journal::Credit)};
    // An entry outside the month keeps what was typed: the clerk corrects the date or cancels.
    if (const auto refusal = Journal::checkEntry(entry, Session::closingDate()))
        return failAt(refusal->message, refusal->column);
    return true;
}

void TForm_xjrjz_edit::assignBeforeWrite()
{
    RecordSet* q = query();
    q->setValue(Balance, Journal::entryBalance(previousBalance(), q->asMoney(Journal::Debit), q->asMoney(Journal::Credit)));
}

bool TForm_xjrjz_edit::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* debit = fieldFor(Journal::Debit);
    QWidget* credit = fieldFor(Journal::Credit);
    const bool amount = watched == debit || watched == credit;
    if (amount && event->type() == QEvent::FocusIn) {
        const QString target = Journal::amountColumn(summaryText());
        if (fieldFor(target) == watched)
            return false;
        // The field lost the focus again before it saw it: it must not act as focused.
        focusColumn(target);
        return true;
    }
    if (isEnter(event)) {
        if (watched == fieldFor(Handler)) {
            focusColumn(Journal::amountColumn(summaryText()));
            return true;
        }
        if (amount) {
            focusColumn(Remark);
            return true;
        }
    }
    return EditDialog::eventFilter(watched, event);
}

// ---- summary codes ----

TForm_zy::TForm_zy(QWidget* owner, TDm1* dm) : ListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::代码, .width = 90, .titleButton = true}, {.field = Col::摘要, .width = 160, .titleButton = true}});
}

QDialog* TForm_zy::createEditDialog()
{
    return new TForm_zy_edit(this, dm());
}

bool TForm_zy::deleteAllowed()
{
    RecordSet* q = query();
    if (!q->isOpen() || q->currentRow() < 0)
        return true;
    if (const auto refusal = Journal::summaryDeleteRefusal(q->asString(Journal::Summary))) {
        Msg::warn(this, *refusal);
        return false;
    }
    return true;
}

TForm_zy_edit::TForm_zy_edit(QWidget* owner, TDm1* dm) : EditDialog(spec(), summaryFields(), dm, owner)
{
    // A new code starts at its code; the dialog itself opens on 属性.
    setFirstField(fieldFor(Code)->objectName());
}

bool TForm_zy_edit::addGuardPasses()
{
    if (const auto refusal = Journal::checkSummaryCode(textFor(Kind), textFor(Journal::Summary)))
        return failAt(refusal->message, refusal->column);
    return true;
}

bool TForm_zy_edit::moduleChecks()
{
    if (const auto refusal = Journal::checkSummaryCode(query()->asString(Kind), query()->asString(Journal::Summary)))
        return failAt(refusal->message, refusal->column);
    return true;
}

void TForm_zy_edit::assignBeforeWrite()
{
    query()->setValue(Journal::Summary, query()->asString(Journal::Summary).toUpper());
}

void TForm_zy_edit::showEvent(QShowEvent* event)
{
    EditDialog::showEvent(event);
    if (!event->spontaneous())
        focusColumn(Kind);
}

// ---- registration ----

void registerCashWindows()
{
    addCashQueryDialogs();
    registerWindow<TForm_xjrjz>();
    registerWindow<TForm_xjrjz_edit>();
    registerWindow<TForm_zy>();
    registerWindow<TForm_zy_edit>();
}
