#include "rental/bookings.h"
#include "core/clock.h"
#include "rental/papers.h"
#include "rental/handoverdialog.h"
#include "rental/fines.h"
#include "rental/changedialogs.h"
#include "core/sqltext.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;
#include <memory>

// ---- descriptions ----

const ListWindowConfig& TForm_qczlb::spec()
{
    using B = ListButton;
    static const ListWindowConfig s{.className = staticMetaObject.className(),
                                    .caption = "汽车租赁登记表",
                                    .query = "q_qczlb",
                                    .buttons = {{B::Query},
                                                {B::Export},
                                                {B::Edit},
                                                {B::Module, "续租"},
                                                {B::Module, "换车"},
                                                {B::Module, "打印合同"},
                                                {B::Delete},
                                                {B::Print},
                                                {B::Return}},
                                    .exportName = "汽车租赁登记表",
                                    .printTitle = "汽车租赁登记表打印清单",
                                    .footerSums = {Col::押金},
                                    .layout = LayoutMode::Full};
    return s;
}

const EditDialogConfig& TForm_qczlb_edit::spec()
{
    using namespace EditButton;
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "汽车租赁登记表编辑 (qczlb)",
                                    .query = "q_qczlb",
                                    .discardFirst = true};
    return s;
}

namespace {

const QString Number = Col::内部编号;
const QString Days = Col::租赁期限;
const QString Rate = Col::租赁单价;
const QString RentDue = Col::应收租金;

QVector<FieldDef> contractFields()
{
    using F = FieldKind;
    return BookingDialog::withPartyFields({
        {.objectName = "DBNumberEditEh1", .label = "预收租金：", .column = Col::预收租金, .kind = F::Number, .decimals = 4},
        {.objectName = "DBNumberEditEh2",
         .label = "租赁单价(元/天)：",
         .column = Col::租赁单价,
         .kind = F::Number,
         .decimals = 4,
         .maximum = 1000},
        {.objectName = "DBNumberEditEh3", .label = "押金：", .column = Col::押金, .kind = F::Number, .decimals = 4},
        {.objectName = "DBNumberEditEh4", .label = "每天限驶里程：", .column = Col::每天限驶里程, .kind = F::Number},
        {.objectName = "DBNumberEditEh5", .label = "租赁期限：", .column = Col::租赁期限, .kind = F::Number, .maximum = 500},
        {.objectName = "DBNumberEditEh6", .label = "超驶收费(元/公里)：", .column = Col::超驶收费单价, .kind = F::Number, .decimals = 4},
        {.objectName = "DBNumberEditEh7",
         .label = "发车里程：",
         .column = Col::发车里程,
         .kind = F::Number,
         .maximum = 500000},  // as the return
        {.objectName = "DBNumberEditEh8", .label = "超时收费(元/小时)：", .column = Col::超时收费单价, .kind = F::Number, .decimals = 4},
        {.objectName = "DBComboBoxEh3",
         .label = "经办人：",
         .column = Col::租赁公司经办人,
         .kind = F::Combo,
         .chinese = true,
         .recent = 10},
        {.objectName = "DBDateTimeEditEh1", .label = "发车日期：", .column = Col::发车日期, .kind = F::Date},
        {.objectName = "DBDateTimeEditEh2", .label = "发车时间：", .column = Col::发车日期, .kind = F::Time},
        {.objectName = "DBEditEh3", .label = "发车单号：", .column = Col::发车单号, .upper = true},
        {.objectName = "DBEditEh4", .label = "备注：", .column = Col::备注, .chinese = true},
        {.objectName = "DBEditEh5", .label = "应收租金：", .column = Col::应收租金, .kind = F::ReadOnly},
    });
}

}  // namespace

// ---- list ----

TForm_qczlb::TForm_qczlb(QWidget* owner, TDm1* dm) : BookingListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::内部编号, .width = 100, .titleButton = true},
                {.field = Col::客户号, .width = 70, .titleButton = true},
                {.field = Col::客户姓名, .width = 80, .titleButton = true},
                {.field = Col::车牌号, .width = 80, .titleButton = true},
                {.field = Col::租赁单价, .width = 70, .titleButton = true},
                {.field = Col::租赁期限, .width = 60, .titleButton = true},
                {.field = Col::发车日期, .width = 130, .titleButton = true},
                {.field = Col::每天限驶里程, .width = 80},
                {.field = Col::超时收费单价, .title = "超时收费", .width = 60},
                {.field = Col::超驶收费单价, .title = "超驶收费", .width = 60},
                {.field = Col::发车里程, .width = 70},
                {.field = Col::租赁公司经办人, .title = "经办人", .width = 70, .titleButton = true},
                {.field = Col::押金, .width = 80, .titleButton = true},
                {.field = Col::发车单号, .width = 90}});
    // Changes of the open contract in the current row, which then shows them.
    if (QPushButton* b = moduleButton(QStringLiteral("续租")))
        connect(b, &QPushButton::clicked, this, [this] { ContractChanges::extendCurrent(this, this->dm(), query()); });
    if (QPushButton* b = moduleButton(QStringLiteral("换车")))
        connect(b, &QPushButton::clicked, this, [this] { ContractChanges::swapCurrent(this, this->dm(), query()); });
    if (QPushButton* b = moduleButton(QStringLiteral("打印合同")))
        connect(b, &QPushButton::clicked, this, [this] {
            if (!query()->isEmpty())
                Papers::print(this, this->dm()->ADO_qczl, Papers::agreement(), query()->value(Number).toString());
        });
}

QDialog* TForm_qczlb::createEditDialog()
{
    // Not left behind when filling it fails.
    auto d = std::make_unique<TForm_qczlb_edit>(this, dm());
    d->fillDropDowns();
    return d.release();
}

// ---- edit dialog ----

TForm_qczlb_edit::TForm_qczlb_edit(QWidget* owner, TDm1* dm)
    : BookingDialog(spec(), {Rental::ContractTable, Rental::ContractPrefix, QStringLiteral("租赁")}, contractFields(), dm, owner)
{
    setEnterChain({"DBComboBoxEh1", "DBComboBoxEh2", "DBNumberEditEh1", "DBNumberEditEh2", "DBNumberEditEh3", "DBNumberEditEh4",
                   "DBNumberEditEh5", "DBNumberEditEh6", "DBNumberEditEh7", "DBNumberEditEh8", "DBComboBoxEh3", "DBDateTimeEditEh1",
                   "DBDateTimeEditEh2", "DBEditEh3", "DBEditEh4"});
    if (auto* due = qobject_cast<QLineEdit*>(fieldFor(RentDue))) {
        due->setAlignment(Qt::AlignRight);
        due->setStyleSheet(QStringLiteral("background: #ffffc0; font-weight: bold;"));
    }
    reservationButton = addFieldButtons({{u"BitBtn1"_s, u"客户预订"_s}}).first();
    connect(reservationButton, &QPushButton::clicked, this, &TForm_qczlb_edit::reservationClick);
    printButton = addFieldButtons({{u"PrintAgreement"_s, u"打印合同"_s}}).first();
    connect(printButton, &QPushButton::clicked, this, &TForm_qczlb_edit::printAgreementClick);
    const QVector<QPushButton*> handover = addFieldButtons(
        {{u"DispatchHandover"_s, u"交车检查"_s}, {u"PrintHandover"_s, u"打印检查单"_s}});
    handoverButton = handover[0];
    handoverPrintButton = handover[1];
    connect(handoverButton, &QPushButton::clicked, this, &TForm_qczlb_edit::handoverClick);
    connect(handoverPrintButton, &QPushButton::clicked, this, &TForm_qczlb_edit::printHandoverClick);
    // After the row is given up (取消, 返回) nothing may carry its reservation.
    for (QPushButton* b : {cancelButton, closeButton})
        if (b)
            connect(b, &QPushButton::clicked, this, &TForm_qczlb_edit::forgetReservation);
    connect(this, &EditDialog::edited, this, [this](const QString& column) {
        if (column == Days || column == Rate)
            showRentDue();
    });
    // The contract's 续租 and 换车, read-only, under the fields.
    auto* history = new ChangeHistoryView(dm, this);
    if (auto* form = findChild<QFormLayout*>())
        form->addRow(QStringLiteral("变更记录："), history);
    history->follow(query());
}

bool TForm_qczlb_edit::contractStored(const QString& action)
{
    // Papers and sheets go by what is stored: typed changes are saved first.
    if (query()->state() == RecordSet::Insert || query()->state() == RecordSet::Edit || query()->isEmpty()) {
        Msg::warn(this, QStringLiteral("合同还没有存盘，不能%1，请先存盘!").arg(action));
        return false;
    }
    return true;
}

void TForm_qczlb_edit::printAgreementClick()
{
    if (contractStored(QStringLiteral("打印")))
        Papers::print(this, dm()->ADO_qczl, Papers::agreement(), query()->value(QStringLiteral("内部编号")).toString());
}

void TForm_qczlb_edit::handoverClick()
{
    if (contractStored(QStringLiteral("填写交车检查单")))
        HandoverWindows::open(this, dm(), query()->value(Number).toString(), Handover::Stage::Dispatch);
}

void TForm_qczlb_edit::printHandoverClick()
{
    if (contractStored(QStringLiteral("打印")))
        HandoverWindows::print(this, dm(), query()->value(Number).toString());
}

void TForm_qczlb_edit::showRentDue()
{
    auto* field = qobject_cast<QLineEdit*>(fieldFor(RentDue));
    try {
        const std::optional<Money> due = Rental::rentDue(binder()->value(Days), binder()->value(Rate));
        if (field && due)
            field->setText(due->toDisplay());
    } catch (const DbError& e) {
        // Shown as the clerk types; the save refuses it with the same text.
        if (field)
            field->setText(e.text());
    }
}

bool TForm_qczlb_edit::moduleChecks()
{
    try {
        if (const auto refusal = Rental::checkContract(bookingValues()))
            return failAt(refusal->message, refusal->column);
        return vehicleKnown();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
}

Rental::ContractSave TForm_qczlb_edit::contractSave() const
{
    const RecordSet* q = query();
    Rental::ContractSave c;
    if (q->state() != RecordSet::Insert)
        c.number = q->asString(Number);
    c.plate = q->asString(Col::车牌号);
    c.dispatch = q->asDateTime(Col::发车日期);
    c.days = q->asInteger(Days);
    c.returned = q->asString(Col::客户交车) == QStringLiteral("已交");
    c.returnedAt = q->asDateTime(Col::收车日期);
    c.settled = q->asBoolean(Col::帐款结清);
    c.newVehicle = vehicleChanged();
    c.newPeriod = periodChanged();
    return c;
}

bool TForm_qczlb_edit::prepareWrite()
{
    try {
        const Rental::ContractSave c = contractSave();
        if (const auto refusal = Rental::contractRefusal(dm()->ADO_qczl, c, Clock::now()))
            return failAt(refusal->message, refusal->column);
        for (const QString& question : Rental::contractQuestions(dm()->ADO_qczl, c, Clock::now()))
            if (!Msg::confirm(this, question)) {
                focusColumn(Col::车牌号);
                return false;
            }
        // A renter with fines still unpaid is told of them, not refused.
        if (query()->state() == RecordSet::Insert) {
            const QString unpaid = Fines::unpaidWarning(query()->asString(Col::客户姓名),
                                                        Fines::unpaidOfCustomer(dm()->ADO_qczl, query()->asString(Col::客户号)));
            if (!unpaid.isEmpty())
                Msg::warn(this, unpaid);
        }
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    return true;
}

void TForm_qczlb_edit::assignBeforeWrite()
{
    RecordSet* q = query();
    if (const std::optional<Money> due = Rental::rentDue(q->value(Days), q->value(Rate)))
        q->setValue(RentDue, *due);
}

void TForm_qczlb_edit::writeRecord()
{
    keepNumberFree();
    RecordSet* q = query();
    Database& db = dm()->ADO_qczl;
    // What another workstation stored since prepareWrite is seen now: the write lock is held.
    if (const auto refusal = Rental::contractRefusal(db, contractSave(), Clock::now()))
        throw DbError(refusal->message);
    const QString number = q->asString(Number);
    const bool added = q->state() == RecordSet::Insert;
    q->post();
    // This dialog does not change 客户交车: an open contract holds its vehicle, a returned one
    // leaves it alone.
    const bool returned = q->asString(Col::客户交车) == QStringLiteral("已交");
    const QString plate = q->asString(Col::车牌号);
    if (!Rental::vehicleFollowsContract(db, plate, q->asString(Col::客户姓名), q->asDateTime(Col::发车日期), returned, returned))
        throw DbError(QStringLiteral("汽车档案中没有车牌号") + plate);
    // The reservation chosen for the new contract is tied to its final number, then every
    // reservation tied to the number is carried out. A chosen reservation belongs to the row
    // being added only, never to a contract saved after that row was given up.
    if (added && !m_reservation.isEmpty())
        Rental::linkReservation(db, m_reservation, number);
    Rental::closeLinkedReservations(db, number);
}

void TForm_qczlb_edit::initNewRow()
{
    BookingDialog::initNewRow();
    m_reservation.clear();
}

void TForm_qczlb_edit::cleanUp()
{
    // Kept only while the new row is still pending after a refused save.
    if (query()->state() != RecordSet::Insert)
        m_reservation.clear();
}

void TForm_qczlb_edit::forgetReservation()
{
    if (m_reservation.isEmpty())
        return;
    m_reservation.clear();
    // The reservation was tied to the number of the row given up: it is open again for any contract.
    try {
        Rental::clearStaleLinks(dm()->ADO_qczl);
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

void TForm_qczlb_edit::reservationClick()
{
    if (!adding()) {
        Msg::warn(this, QStringLiteral("请先增加记录 !"));
        return;
    }
    RecordSet& reservations = dm()->q_khydqc;
    try {
        Rental::clearStaleLinks(dm()->ADO_qczl);
        reservations.close();
        reservations.clearSql();
        reservations.addSql(QStringLiteral("select * from 客户预订汽车 "));
        reservations.addSql(QStringLiteral("where 执行完毕='否' order by 客户姓名"));
        reservations.open();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return;
    }
    {
        TForm_qczlb_khyd chooser(this, dm());
        Modal::exec(&chooser);
    }
    reservations.close();
}

void TForm_qczlb_edit::takeReservation(const RecordSet& reservation)
{
    static const QStringList copied{"客户号",       "客户姓名", "车牌号",       "预收租金",     "租赁单价",       "押金",
                                    "每天限驶里程", "租赁期限", "超驶收费单价", "超时收费单价", "租赁公司经办人", "发车日期"};
    for (const QString& column : copied)
        assignColumn(column, reservation.value(column));
    showRentDue();
}

// ---- reservation chooser ----

namespace {

PickConfig chooserConfig()
{
    return {.className = QStringLiteral("TForm_qczlb_khyd"),
            .caption = QStringLiteral("查找客户预订"),
            .query = QStringLiteral("q_khydqc"),
            .modes = {QStringLiteral("按姓名查找")},
            .columns = {{.field = Col::客户姓名, .width = 90, .titleButton = true},
                        {.field = Col::车牌号, .width = 90, .titleButton = true},
                        {.field = Col::发车日期, .title = "预租日期", .width = 130, .titleButton = true},
                        {.field = Col::预收日期, .width = 90}},
            .selectLine = QStringLiteral("select * from 客户预订汽车 "),
            .emptyTextSeeks = false};
}

}  // namespace

TForm_qczlb_khyd::TForm_qczlb_khyd(TForm_qczlb_edit* contract, TDm1* dm)
    : PickWindow(chooserConfig(), dm, contract), m_contract(contract)
{}

std::optional<QString> TForm_qczlb_khyd::condition(const QString&, const QString& text) const
{
    return QStringLiteral("(客户姓名 like '") + sqlText(text) + QStringLiteral("%')");
}

void TForm_qczlb_khyd::choose()
{
    RecordSet* r = query();
    m_contract->takeReservation(*r);
    // The reservation is tied to the proposed contract at once; the contract's 存盘 ties it again
    // to the number finally stored.
    {
        Transaction tx(*r->database());
        r->edit();
        r->setValue(Col::租赁内部编号, m_contract->query()->asString(Number));
        r->post();
        tx.commit();
    }
    m_contract->rememberReservation(r->asString(Number));
    done(QDialog::Accepted);
}
