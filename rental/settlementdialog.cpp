#include "rental/backoffice.h"
#include "data/columns.h"
#include "rental/rentalrules.h"
#include "core/clock.h"
#include "core/session.h"
#include "data/amounts.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "data/lookups.h"
#include "data/settings.h"
#include "core/dates.h"
#include "cash/journal.h"
#include "rental/papers.h"
#include "rental/fines.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <memory>
#include <QToolButton>

// ---- descriptions ----

const ListWindowConfig& TForm_qczljsd::spec()
{
    using B = ListButton;
    static const ListWindowConfig s{
        .className = staticMetaObject.className(),
        .caption = "汽车租赁结算单",
        .query = "q_qczlb",
        .buttons = {{B::Export}, {B::Query}, {B::Edit}, {B::Module, "打印结算单"}, {B::Delete}, {B::Print}, {B::Return}},
        .exportName = "汽车租赁结算表",
        .printTitle = "汽车租赁登记表打印清单",
        .footerSums = {Col::收费金额, Col::包干价, Col::实收金额, Col::应收帐款, Col::押金, Col::预收租金},
        .layout = LayoutMode::Full,
        .hint = "提示：以下是帐款没有结清的汽车租赁单！",
        .queryDialog = "TForm_qczlb_cx"};
    return s;
}

const EditDialogConfig& TForm_qczljsd_edit::spec()
{
    using namespace EditButton;
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "汽车租赁结算单编辑 (qczljsd)",
                                    .query = "q_qczlb",
                                    .buttons = Save | Cancel | Close,
                                    .stamps = Stamps::None};
    return s;
}

namespace {

const QString Days = Col::租赁期限;
const QString Settled = Col::帐款结清;
const QString Received = Col::实收金额;
const QString Returned = Col::收车日期;
const QString TypedDays = Col::输入天数;
const QString ReturnState = Col::客户交车;
const QString Teal = QStringLiteral("background: teal; color: white;");

FieldDef readOnly(const char* name, const char* label, const char* column)
{
    return {.objectName = name, .label = label, .column = column, .kind = FieldKind::ReadOnly};
}

FieldDef amount(const char* name, const char* label, const char* column, double maximum)
{
    return {.objectName = name, .label = label, .column = column, .kind = FieldKind::Number, .decimals = 4, .maximum = maximum};
}

}  // namespace

// ---- list ----

TForm_qczljsd::TForm_qczljsd(QWidget* owner, TDm1* dm) : ContractListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::内部编号, .width = 100, .titleButton = true},
                {.field = Col::客户号, .width = 70},
                {.field = Col::客户姓名, .width = 80, .titleButton = true},
                {.field = Col::车牌号, .width = 80},
                {.field = Col::租赁期限, .width = 60, .titleButton = true},
                {.field = Col::收费金额, .width = 90},
                {.field = Col::包干价, .width = 80},
                {.field = Col::实收金额, .width = 90},
                {.field = Col::帐款结清, .width = 60},
                {.field = Col::应收帐款, .width = 90},
                {.field = Col::结算人, .width = 70},
                {.field = Col::交款人, .width = 70},
                {.field = Col::收车日期, .width = 130},
                {.field = Col::收款日期, .width = 90},
                {.field = Col::押金, .width = 80, .titleButton = true},
                {.field = Col::预收租金, .width = 80, .titleButton = true},
                {.field = Col::发车单号, .width = 90}});
    if (QPushButton* b = moduleButton(QStringLiteral("打印结算单")))
        connect(b, &QPushButton::clicked, this, [this] {
            if (!query()->isEmpty())
                Papers::print(this, this->dm()->ADO_qczl, Papers::receipt(), query()->value(Col::内部编号).toString());
        });
}

QDialog* TForm_qczljsd::createEditDialog()
{
    // Not left behind when filling it fails.
    auto d = std::make_unique<TForm_qczljsd_edit>(this, dm());
    d->fillSettlers();
    return d.release();
}

// ---- settlement dialog ----

namespace {

const char* const ExtraNames[] = {"DBNumberEditEh10", "DBNumberEditEh11", "DBNumberEditEh12", "DBNumberEditEh13", "DBNumberEditEh14",
                                  "DBNumberEditEh15", "DBNumberEditEh16", "DBNumberEditEh17", "DBNumberEditEh18", "DBNumberEditEh19",
                                  "DBNumberEditEh20", "DBNumberEditEh21", "DBNumberEditEh22"};

// Puts a widget to the right of a form's field, in the field's row.
void placeBeside(QFormLayout* form, QWidget* field, QWidget* beside)
{
    int row = -1;
    QFormLayout::ItemRole role;
    form->getWidgetPosition(field, &row, &role);
    auto* line = new QHBoxLayout;
    form->removeWidget(field);
    line->addWidget(field, 1);
    line->addWidget(beside);
    form->setLayout(row, QFormLayout::FieldRole, line);
}

}  // namespace

TForm_qczljsd_edit::TForm_qczljsd_edit(QWidget* owner, TDm1* dm) : EditDialog(spec(), {}, dm, owner)
{
    m_areas = new QHBoxLayout;
    if (auto* form = findChild<QFormLayout*>())
        form->addRow(m_areas);
    addContractArea();
    QFormLayout* returnArea = addReturnArea();
    addExtrasArea();
    QFormLayout* paymentArea = addPaymentArea();
    addDaysTypedBox(returnArea);
    addFillButtons(paymentArea);
    addCalculationButtons();
    // The contract's traffic fines not yet paid, for the clerk to take up at the counter.
    unpaidFinesLine = new QLineEdit(this);
    unpaidFinesLine->setObjectName(QStringLiteral("UnpaidFines"));
    unpaidFinesLine->setReadOnly(true);
    unpaidFinesLine->setFocusPolicy(Qt::NoFocus);
    unpaidFinesLine->setStyleSheet(Teal);
    unpaidFinesLine->setAccessibleName(QStringLiteral("未缴违章"));
    if (auto* form = findChild<QFormLayout*>())
        form->addRow(QStringLiteral("未缴违章："), unpaidFinesLine);
    setUpEnterKeys();
    showDaysTyped();
    connect(this, &EditDialog::edited, this, [this](const QString&) {
        if (autoCalculate->isChecked())
            showLiveCalculation();
    });
}

QFormLayout* TForm_qczljsd_edit::addArea(const QVector<FieldDef>& fields)
{
    auto* form = new QFormLayout;
    for (const FieldDef& f : fields) {
        QWidget* w = RecordBinder::createWidget(f, this);
        if (f.chinese)
            InputMethods::applyCurrent(w);
        if (f.kind == FieldKind::ReadOnly)
            w->setStyleSheet(Teal);
        // Amounts and dates stay readable however many areas stand side by side.
        if (f.kind != FieldKind::Check)
            w->setMinimumWidth(f.kind == FieldKind::Memo ? 160 : 100);
        if (f.kind == FieldKind::Memo)
            w->setMaximumHeight(90);
        bindField(w, f);
        form->addRow(f.label, w);
    }
    m_areas->addLayout(form);
    return form;
}

void TForm_qczljsd_edit::addContractArea()
{
    // The contract as it was written, shown, not edited.
    addArea({readOnly("DBEdit1", "姓名：", "客户姓名"),
             readOnly("DBEdit2", "车牌号：", "车牌号"),
             readOnly("DBEdit3", "预收租金：", "预收租金"),
             readOnly("DBEdit4", "超时收费：", "超时收费单价"),
             readOnly("DBEdit5", "押金：", "押金"),
             readOnly("DBEdit6", "限驶里程：", "每天限驶里程"),
             readOnly("DBEdit7", "租赁单价：", "租赁单价"),
             readOnly("DBEdit8", "超驶收费：", "超驶收费单价"),
             {.objectName = "DBDateTimeEditEh3", .label = "发车日期：", .column = Col::发车日期, .kind = FieldKind::Date},
             {.objectName = "DBDateTimeEditEh4", .label = "发车时间：", .column = Col::发车日期, .kind = FieldKind::Time},
             readOnly("DBEdit9", "发车里程：", "发车里程"),
             readOnly("DBEdit10", "内部编号：", "内部编号")});
    // A name such as "O'Brien 欧布莱恩" is read whole.
    if (QWidget* name = fieldFor(Col::客户姓名))
        name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QString(12, QChar(0x6B27))) + 12);
}

QFormLayout* TForm_qczljsd_edit::addReturnArea()
{
    using F = FieldKind;
    return addArea(
        {{.objectName = "DBDateTimeEditEh1", .label = "收车日期：", .column = Col::收车日期, .kind = F::Date},
         {.objectName = "DBDateTimeEditEh2", .label = "收车时间：", .column = Col::收车日期, .kind = F::Time},
         {.objectName = "DBNumberEditEh1", .label = "租赁期限：", .column = Col::租赁期限, .kind = F::Number, .maximum = 1000},
         readOnly("DBEdit11", "应收租金：", "应收租金"),
         {.objectName = "DBNumberEditEh2", .label = "收车里程：", .column = Col::收车里程, .kind = F::Number, .maximum = 500000},
         readOnly("DBEdit12", "超驶里程：", "超驶里程"),
         readOnly("DBEdit13", "超驶收费：", "超驶费"),
         amount("DBNumberEditEh3", "包干价：", "包干价", 500000),
         {.objectName = "DBNumberEditEh4", .label = "超时小时：", .column = Col::超时小时, .kind = F::Number, .maximum = 100},
         readOnly("DBEdit14", "超时收费：", "超时费"),
         readOnly("DBEdit15", "收费小计：", "收费小计")});
}

void TForm_qczljsd_edit::addExtrasArea()
{
    QVector<FieldDef> extras;
    for (int i = 0; i < Settlement::ExtraCount; ++i)
        extras << FieldDef{.objectName = QString::fromLatin1(ExtraNames[i]),
                           .label = Settlement::ExtraColumns[i] + QStringLiteral("："),
                           .column = Settlement::ExtraColumns[i],
                           .kind = FieldKind::Number,
                           .decimals = 4,
                           .maximum = 100000};
    extras << readOnly("DBEdit16", "附加费小计：", "附加小计");
    addArea(extras);
}

QFormLayout* TForm_qczljsd_edit::addPaymentArea()
{
    using F = FieldKind;
    return addArea({readOnly("DBEdit17", "应收金额：", "收费金额"),
                    amount("DBNumberEditEh5", "实收金额：", "实收金额", 500000),
                    {.objectName = "DBCheckBoxEh1", .label = "帐款结清", .column = Col::帐款结清, .kind = F::Check},
                    readOnly("DBEdit18", "应收帐款：", "应收帐款"),
                    readOnly("DBEdit19", "应退金额：", "应退金额"),
                    {.objectName = "DBComboBoxEh1", .label = "结算人：", .column = Col::结算人, .kind = F::Combo, .chinese = true},
                    {.objectName = "DBEditEh1", .label = "交款人：", .column = Col::交款人, .upper = true, .chinese = true},
                    {.objectName = "DBDateTimeEditEh5", .label = "收款日期：", .column = Col::收款日期, .kind = F::Date},
                    {.objectName = "DBEditEh2", .label = "支票号：", .column = Col::支票号, .upper = true},
                    {.objectName = "DBMemo1", .label = "备注：", .column = Col::备注, .kind = F::Memo, .chinese = true}});
}

void TForm_qczljsd_edit::addDaysTypedBox(QFormLayout* returnArea)
{
    // 输入天数 beside 租赁期限.
    auto* typed = new QCheckBox(this);
    typed->setObjectName(QStringLiteral("DBCheckBoxEh2"));
    typed->setToolTip(Col::输入天数);
    typed->setAccessibleName(Col::输入天数);
    bindField(typed, {.objectName = "DBCheckBoxEh2", .column = Col::输入天数, .kind = FieldKind::Check});
    if (QWidget* days = field(QStringLiteral("DBNumberEditEh1")))
        placeBeside(returnArea, days, typed);
    connect(typed, &QCheckBox::toggled, this, &TForm_qczljsd_edit::showDaysTyped);
}

void TForm_qczljsd_edit::addFillButtons(QFormLayout* paymentArea)
{
    // The "..." buttons beside 结算人, 交款人 and 收款日期.
    auto dots = [&](const char* name, const char* hint, const char* fieldName) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QStringLiteral("..."));
        b->setToolTip(QString::fromUtf8(hint));
        b->setAccessibleName(QString::fromUtf8(hint));
        placeBeside(paymentArea, field(QString::fromLatin1(fieldName)), b);
        return b;
    };
    settlerFromHandlerButton = dots("SpeedButton3", "结算人等于经办人", "DBComboBoxEh1");
    payerFromRenterButton = dots("SpeedButton2", "交款人等于租车人", "DBEditEh1");
    paidTodayButton = dots("SpeedButton4", "收款日期等于当日日期", "DBDateTimeEditEh5");
    connect(settlerFromHandlerButton, &QToolButton::clicked, this, &TForm_qczljsd_edit::settlerFromHandler);
    connect(payerFromRenterButton, &QToolButton::clicked, this, &TForm_qczljsd_edit::payerFromRenter);
    connect(paidTodayButton, &QToolButton::clicked, this, &TForm_qczljsd_edit::paidToday);
}

void TForm_qczljsd_edit::addCalculationButtons()
{
    // Above 存盘: the two boxes, then 计算.
    postToJournal = new QCheckBox(QStringLiteral("生成现金帐"), this);
    postToJournal->setObjectName(QStringLiteral("CheckBox2"));
    postToJournal->setChecked(true);
    autoCalculate = new QCheckBox(QStringLiteral("自动计算"), this);
    autoCalculate->setObjectName(QStringLiteral("CheckBox1"));
    autoCalculate->setChecked(true);
    calculateButton = new QPushButton(QStringLiteral("计算 (&C)"), this);
    calculateButton->setObjectName(QStringLiteral("SpeedButton1"));
    calculateButton->setAutoDefault(false);
    connect(calculateButton, &QPushButton::clicked, this, [this] { calculateIntoRow(); });
    buttonRow()->insertWidget(0, calculateButton);
    buttonRow()->insertWidget(0, autoCalculate);
    buttonRow()->insertWidget(0, postToJournal);
    // Beside 返回: once saved, the receipt is printed before the dialog is left.
    printButton = new QPushButton(QStringLiteral("打印结算单"), this);
    printButton->setObjectName(QStringLiteral("PrintReceipt"));
    printButton->setAutoDefault(false);
    connect(printButton, &QPushButton::clicked, this, &TForm_qczljsd_edit::printReceipt);
    buttonRow()->insertWidget(closeButton ? buttonRow()->indexOf(closeButton) : buttonRow()->count(), printButton);
}

void TForm_qczljsd_edit::setUpEnterKeys()
{
    // The header is shown, not edited: entering it goes on to the return date.
    for (const char* name : {"DBDateTimeEditEh3", "DBDateTimeEditEh4"}) {
        auto* e = qobject_cast<QLineEdit*>(field(QString::fromLatin1(name)));
        e->setReadOnly(true);
        e->setStyleSheet(Teal);
        e->installEventFilter(this);
    }
    field(QStringLiteral("DBNumberEditEh1"))->installEventFilter(this);
    field(QStringLiteral("DBNumberEditEh3"))->installEventFilter(this);

    QStringList chain{"DBDateTimeEditEh1", "DBDateTimeEditEh2", "DBNumberEditEh2", "DBNumberEditEh4"};
    for (const char* name : ExtraNames)
        chain << QString::fromLatin1(name);
    chain << QStringList{"DBNumberEditEh5", "DBCheckBoxEh1",     "DBEditEh2", "DBComboBoxEh1",
                         "DBEditEh1",       "DBDateTimeEditEh5", QString(),   "DBMemo1"};
    setEnterChain(chain);
    setFirstField(QStringLiteral("DBDateTimeEditEh1"));
}

void TForm_qczljsd_edit::fillSettlers()
{
    setItemsFor(Col::结算人, Lookups::handlers(dm()->ADO_qczl));
}

void TForm_qczljsd_edit::showEvent(QShowEvent* event)
{
    EditDialog::showEvent(event);
    onShown();
}

void TForm_qczljsd_edit::onShown()
{
    postToJournal->setVisible(SysSettings::read().qczljsd_xjrjz != 0);
    try {
        if (query()->isOpen() && query()->currentRow() >= 0 && query()->state() == RecordSet::Browse)
            query()->edit();
        unpaidFinesLine->setText(query()->isOpen() && query()->currentRow() >= 0
                                     ? Fines::unpaidLine(Fines::unpaidOfContract(dm()->ADO_qczl, query()->asString(Col::内部编号)))
                                     : QString());
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

void TForm_qczljsd_edit::printReceipt()
{
    const RecordSet* q = query();
    if (!q->isOpen() || q->currentRow() < 0)
        return;
    // The dialog holds the row in editing from the start, so unsaved means typed text not yet in
    // the row, or a value in the row (计算 puts them there) that differs from the stored one.
    bool unsaved = q->state() == RecordSet::Insert || binder()->anyDirty();
    for (const RecordSet::Field& f : q->fields())
        unsaved = unsaved
                  || RecordSet::displayText(q->value(f.name), f.type) != RecordSet::displayText(q->storedValue(f.name), f.type);
    if (unsaved) {
        Msg::warn(this, QStringLiteral("结算单还没有存盘，不能打印，请先存盘!"));
        return;
    }
    Papers::print(this, dm()->ADO_qczl, Papers::receipt(), q->value(Col::内部编号).toString());
}

void TForm_qczljsd_edit::showDaysTyped()
{
    auto* days = qobject_cast<QLineEdit*>(field(QStringLiteral("DBNumberEditEh1")));
    const bool typed = qobject_cast<QCheckBox*>(field(QStringLiteral("DBCheckBoxEh2")))->isChecked();
    days->setReadOnly(!typed);
    days->setStyleSheet(typed ? QStringLiteral("background: white; color: black;") : Teal);
}

bool TForm_qczljsd_edit::eventFilter(QObject* watched, QEvent* event)
{
    auto* w = qobject_cast<QWidget*>(watched);
    const QString name = w ? w->objectName() : QString();
    if (event->type() == QEvent::FocusIn) {
        const bool header = name == QStringLiteral("DBDateTimeEditEh3") || name == QStringLiteral("DBDateTimeEditEh4");
        const bool computedDays = name == QStringLiteral("DBNumberEditEh1")
                                  && !qobject_cast<QCheckBox*>(field(QStringLiteral("DBCheckBoxEh2")))->isChecked();
        if (header || computedDays)
            focusField(QStringLiteral("DBDateTimeEditEh1"));
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (name == QStringLiteral("DBNumberEditEh1")) {
                focusField(QStringLiteral("DBNumberEditEh11"));  // 代驾费
                return true;
            }
            if (name == QStringLiteral("DBNumberEditEh3")) {
                focusField(QStringLiteral("DBCheckBoxEh1"));  // 帐款结清
                return true;
            }
        }
    }
    return EditDialog::eventFilter(watched, event);
}

Settlement::Input TForm_qczljsd_edit::input() const
{
    // Through the binder: what the clerk has typed so far, otherwise the row's values.
    const RecordBinder* b = binder();
    auto date = [b](const QString& c) { return Dates::fromVariant(b->value(c)); };
    auto whole = [b](const QString& c) { return roundHalfEven(b->value(c).toString().trimmed().toDouble()); };
    auto number = [b](const QString& c) { return b->value(c).toString().trimmed().toDouble(); };
    auto money = [b](const QString& c) { return b->money(c).value_or(Money()); };
    auto flag = [b](const QString& c) { return b->value(c).toBool(); };
    Settlement::Input in;
    in.dispatch = date(Col::发车日期);
    in.returned = date(Returned);
    in.odometerOut = whole(Col::发车里程);
    in.odometerIn = whole(Col::收车里程);
    in.daysTyped = flag(TypedDays);
    in.days = number(Days);
    in.rate = money(Col::租赁单价);
    in.allowance = whole(Col::每天限驶里程);
    in.excessRate = money(Col::超驶收费单价);
    in.overtimeHours = number(Col::超时小时);
    in.overtimeRate = money(Col::超时收费单价);
    in.lumpSum = money(Col::包干价);
    for (int i = 0; i < Settlement::ExtraCount; ++i)
        in.extras[i] = money(Settlement::ExtraColumns[i]);
    in.advance = money(Col::预收租金);
    in.deposit = money(Col::押金);
    in.received = money(Received);
    in.settled = flag(Settled);
    in.total = money(Col::收费金额);
    in.refund = money(Col::应退金额);
    return in;
}

void TForm_qczljsd_edit::showLiveCalculation()
{
    // What 计算 would give, shown as the clerk types; nothing is moved into the row.
    const Settlement::Input in = input();
    if (Settlement::checkReturn(in.dispatch, in.returned, in.odometerOut, in.odometerIn))
        return;
    const Settlement::Result r = Settlement::calculate(in);
    auto show = [this](const QString& column, const QString& value) {
        if (auto* e = qobject_cast<QLineEdit*>(fieldFor(column)))
            e->setText(value);
    };
    if (!in.daysTyped)
        show(Days, QString::number(r.days));
    if (r.outOfRange) {
        // No amount rather than a wrong one; 计算 and 存盘 refuse it with the message.
        for (const char* c : {"应收租金", "超驶里程", "超驶费", "超时费", "收费小计", "附加小计", "应收帐款", "应退金额"})
            show(QString::fromUtf8(c), QString());
        show(Col::收费金额, Amounts::outOfRange());
        return;
    }
    show(Col::应收租金, r.rent.toDisplay());
    show(Col::超驶里程, QString::number(r.excessKm));
    show(Col::超驶费, r.excessFee.toDisplay());
    show(Col::超时费, r.overtimeFee.toDisplay());
    show(Col::收费小计, r.subtotal.toDisplay());
    show(Col::附加小计, r.extrasTotal.toDisplay());
    show(Col::收费金额, r.total.toDisplay());
    show(Col::应收帐款, r.receivable.toDisplay());
    show(Col::应退金额, r.refund.toDisplay());
}

std::optional<Settlement::Refusal> TForm_qczljsd_edit::validate(bool calculated) const
{
    Settlement::Input in = input();
    if (calculated && !Settlement::checkReturn(in.dispatch, in.returned, in.odometerOut, in.odometerIn)) {
        const Settlement::Result r = Settlement::calculate(in);
        if (!r.outOfRange)
            in.total = r.total;
    }
    return Settlement::check(in);
}

bool TForm_qczljsd_edit::refuse(const Settlement::Refusal& refusal)
{
    if (refusal.untickSettled)
        setColumn(Settled, false);
    return failAt(refusal.message, refusal.column);
}

bool TForm_qczljsd_edit::calculateIntoRow()
{
    RecordSet* q = query();
    try {
        if (!q->isOpen() || q->currentRow() < 0)
            return false;
        if (q->state() == RecordSet::Browse)
            q->edit();
        binder()->commit();
        if (const auto refusal = validate(true))
            return refuse(*refusal);
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    return storeCalculation();
}

bool TForm_qczljsd_edit::storeCalculation()
{
    RecordSet* q = query();
    try {
        const Settlement::Input in = input();
        const Settlement::Result res = Settlement::calculate(in);
        if (res.outOfRange)
            throw DbError(Amounts::outOfRange());
        if (!in.daysTyped)
            q->setValue(Days, res.days);
        q->setValue(Col::应收租金, res.rent);
        q->setValue(Col::超驶里程, res.excessKm);
        q->setValue(Col::超驶费, res.excessFee);
        if (res.overtimeHours)
            q->setValue(Col::超时小时, *res.overtimeHours);
        q->setValue(Col::超时费, res.overtimeFee);
        q->setValue(Col::收费小计, res.subtotal);
        if (res.extras)
            for (int i = 0; i < Settlement::ExtraCount; ++i)
                q->setValue(Settlement::ExtraColumns[i], (*res.extras)[i]);
        q->setValue(Col::附加小计, res.extrasTotal);
        q->setValue(Col::收费金额, res.total);
        q->setValue(Col::应收帐款, res.receivable);
        q->setValue(Col::应退金额, res.refund);
        binder()->load();
        return true;
    } catch (const DbError& e) {
        // What cannot be stored is not kept half-calculated: the contract goes back as it was.
        binder()->discard();
        q->cancel();
        Msg::error(this, QStringLiteral("计算没有完成:") + e.text());
        return false;
    }
}

bool TForm_qczljsd_edit::moduleChecks()
{
    // With 自动计算 the save calculates (prepareWrite): the checks are those of 计算, and without
    // a contract to calculate the save stops, since its amounts would be stale.
    const bool calculated = autoCalculate->isChecked();
    try {
        const RecordSet* q = query();
        if (calculated && (!q->isOpen() || q->currentRow() < 0))
            return false;
        if (const auto refusal = validate(calculated))
            return refuse(*refusal);
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    return true;
}

bool TForm_qczljsd_edit::prepareWrite()
{
    m_post = false;
    if (autoCalculate->isChecked() && !storeCalculation())
        return false;
    try {
        RecordSet* q = query();
        if (q->state() == RecordSet::Browse)
            q->edit();
        q->setValue(Col::应收帐款,
                    Settlement::receivableOnSave(q->asBoolean(Settled), q->asMoney(Col::收费金额), q->asMoney(Received)));
        // Asked before anything is written, so the answer is part of one transaction.
        m_post = postToJournal->isChecked() && q->asMoney(Received) > Money() && q->asBoolean(Settled)
                 && Msg::confirm(this, QStringLiteral("将实收金额写入现金日记帐吗? "));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    return true;
}

void TForm_qczljsd_edit::writeRecord()
{
    RecordSet* q = query();
    Database& db = dm()->ADO_qczl;
    const bool settled = q->asBoolean(Settled);
    if (settled && q->asString(ReturnState) != QStringLiteral("已交")) {
        // An empty return odometer leaves the archive's reading as it was.
        const QVariant odometer = q->value(Col::收车里程);
        Rental::freeVehicle(db, q->asString(Col::车牌号),
                            odometer.isNull() ? std::nullopt : std::optional<qint64>(q->asInteger(Col::收车里程)));
        q->setValue(ReturnState, QStringLiteral("已交"));
    }
    q->post();
    if (m_post) {
        const Journal::Settlement s{q->asString(Col::内部编号), q->asString(Col::客户姓名), q->asString(Col::车牌号),
                                    q->asString(Days),          q->asString(Col::结算人),   q->asMoney(Received)};
        Journal::postSettlement(db, s, Clock::today(), Session::currentOperator().name, Clock::now());
    }
}

void TForm_qczljsd_edit::cleanUp()
{
    m_post = false;
}

void TForm_qczljsd_edit::settlerFromHandler()
{
    setColumn(Col::结算人, query()->value(Col::租赁公司经办人));
}

void TForm_qczljsd_edit::payerFromRenter()
{
    setColumn(Col::交款人, query()->value(Col::客户姓名));
}

void TForm_qczljsd_edit::paidToday()
{
    setColumn(Col::收款日期, QDateTime(Clock::today(), QTime(0, 0)));
}
