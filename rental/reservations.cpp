#include "rental/bookings.h"
#include "core/clock.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "rental/roadworthy.h"
#include "ui/common/messages.h"

#include <QPushButton>
#include <memory>

// ---- descriptions ----

const ListWindowConfig& TForm_khydqc::spec()
{
    using B = ListButton;
    static const ListWindowConfig s{
        .className = staticMetaObject.className(),
        .caption = "客户预订汽车登记表(没有执行完毕的客户预订)",
        .query = "q_khydqc",
        .buttons = {{B::Query}, {B::Module, "执行完毕"}, {B::Export}, {B::Edit}, {B::Delete}, {B::Print}, {B::Return}},
        .exportName = "客户预订汽车登记表",
        .printTitle = "客户预订汽车登记表打印清单",
        .footerSums = {Col::押金},
        .layout = LayoutMode::Reduced};
    return s;
}

const EditDialogConfig& TForm_khydqc_edit::spec()
{
    using namespace EditButton;
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "客户预订汽车登记表编辑 (khydqc)",
                                    .query = "q_khydqc",
                                    .discardFirst = true};
    return s;
}

namespace {

QVector<FieldDef> reservationFields()
{
    using F = FieldKind;
    return BookingDialog::withPartyFields({
        {.objectName = "DBNumberEditEh1",
         .label = "租赁单价(元/天)：",
         .column = Col::租赁单价,
         .kind = F::Number,
         .decimals = 4,
         .maximum = 1000},  // the contract made from it takes the same terms
        {.objectName = "DBNumberEditEh2", .label = "押金：", .column = Col::押金, .kind = F::Number, .decimals = 4},
        {.objectName = "DBNumberEditEh3", .label = "预收租金：", .column = Col::预收租金, .kind = F::Number, .decimals = 4},
        {.objectName = "DBNumberEditEh4", .label = "租赁期限：", .column = Col::租赁期限, .kind = F::Number, .maximum = 500},
        {.objectName = "DBNumberEditEh5", .label = "超驶收费(元/公里)：", .column = Col::超驶收费单价, .kind = F::Number, .decimals = 4},
        {.objectName = "DBNumberEditEh6", .label = "每天限驶里程：", .column = Col::每天限驶里程, .kind = F::Number},
        {.objectName = "DBNumberEditEh7", .label = "超时收费(元/小时)：", .column = Col::超时收费单价, .kind = F::Number, .decimals = 4},
        {.objectName = "DBComboBoxEh3",
         .label = "经办人：",
         .column = Col::租赁公司经办人,
         .kind = F::Combo,
         .chinese = true,
         .recent = 10},
        {.objectName = "DBDateTimeEditEh1", .label = "预订日期：", .column = Col::发车日期, .kind = F::Date},
        {.objectName = "DBDateTimeEditEh2", .label = "预订时间：", .column = Col::发车日期, .kind = F::Time},
        {.objectName = "DBEditEh3", .label = "备注：", .column = Col::备注, .chinese = true},
        {.objectName = "DBComboBoxEh4",
         .label = "执行完毕：",
         .column = Col::执行完毕,
         .kind = F::Combo,
         .items = {"是", "否"},
         .recent = 10},
    });
}

const QString Done = Col::执行完毕;

}  // namespace

// ---- list ----

TForm_khydqc::TForm_khydqc(QWidget* owner, TDm1* dm) : BookingListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::内部编号, .width = 100, .titleButton = true},
                {.field = Col::客户号, .width = 70, .titleButton = true},
                {.field = Col::客户姓名, .width = 80, .titleButton = true},
                {.field = Col::车牌号, .width = 80, .titleButton = true},
                {.field = Col::租赁单价, .width = 70, .titleButton = true},
                {.field = Col::发车日期, .title = "预租日期", .width = 130, .titleButton = true},
                {.field = Col::预收日期, .width = 90},
                {.field = Col::租赁期限, .title = "预租期限", .width = 60, .titleButton = true},
                {.field = Col::每天限驶里程, .width = 80},
                {.field = Col::超时收费单价, .title = "超时收费", .width = 60},
                {.field = Col::超驶收费单价, .title = "超驶收费", .width = 60},
                {.field = Col::租赁公司经办人, .title = "经办人", .width = 70, .titleButton = true},
                {.field = Col::押金, .width = 80, .titleButton = true}});
    if (QPushButton* b = moduleButton(Done))
        connect(b, &QPushButton::clicked, this, &TForm_khydqc::doneClick);
}

QDialog* TForm_khydqc::createEditDialog()
{
    // Not left behind when filling it fails.
    auto d = std::make_unique<TForm_khydqc_edit>(this, dm());
    d->fillDropDowns();
    return d.release();
}

void TForm_khydqc::doneClick()
{
    RecordSet* q = query();
    // Nothing to carry out in an empty list: no row may be created.
    if (!q->isOpen() || q->currentRow() < 0)
        return;
    if (!Msg::confirm(this, QStringLiteral("确实执行完毕了吗? ")))
        return;
    try {
        const QString plate = q->asString(Col::车牌号);
        {
            Transaction tx(*q->database());
            q->edit();
            q->setValue(Done, QStringLiteral("是"));
            q->post();
            Rental::clearVehicleReservation(dm()->ADO_qczl, plate);
            tx.commit();
        }
        // The list shows open reservations: the one just carried out leaves it.
        q->close();
        q->open();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

// ---- edit dialog ----

TForm_khydqc_edit::TForm_khydqc_edit(QWidget* owner, TDm1* dm)
    : BookingDialog(spec(), {Rental::ReservationTable, Rental::ReservationPrefix, QStringLiteral("预订")}, reservationFields(), dm,
                    owner)
{
    setEnterChain({"DBComboBoxEh1", "DBComboBoxEh2", "DBNumberEditEh1", "DBNumberEditEh2", "DBNumberEditEh3", "DBNumberEditEh4",
                   "DBNumberEditEh5", "DBNumberEditEh6", "DBNumberEditEh7", "DBComboBoxEh3", "DBDateTimeEditEh1", "DBDateTimeEditEh2",
                   "DBEditEh3"});
}

void TForm_khydqc_edit::fillDefaults()
{
    // An open reservation unless said otherwise; this stays even when a check fails.
    if (query()->asString(Done).isEmpty())
        assignColumn(Done, QStringLiteral("否"));
}

bool TForm_khydqc_edit::moduleChecks()
{
    try {
        if (const auto refusal = Rental::checkReservation(bookingValues(), Clock::today()))
            return failAt(refusal->message, refusal->column);
        return vehicleKnown();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
}

bool TForm_khydqc_edit::prepareWrite()
{
    const RecordSet* q = query();
    const bool open = q->asString(Done) == QStringLiteral("否");
    const bool reopened = q->state() != RecordSet::Insert && q->storedValue(Done).toString() != QStringLiteral("否");
    if (!open || !(vehicleChanged() || periodChanged() || reopened))
        return true;
    try {
        const QString except = q->state() == RecordSet::Insert ? QString() : q->asString(Col::内部编号);
        const auto other = Rental::reservationOverlap(dm()->ADO_qczl, q->asString(Col::车牌号), q->asDateTime(Col::发车日期),
                                                      q->asInteger(Col::租赁期限), except, Clock::now());
        if (other && !Msg::confirm(this, Rental::reservationOverlapQuestion(*other))) {
            focusColumn(Col::发车日期);
            return false;
        }
        for (const QString& question : Rental::reservationQuestions(dm()->ADO_qczl, q->asString(Col::车牌号),
                                                                   q->asDateTime(Col::发车日期), q->asInteger(Col::租赁期限),
                                                                   Clock::today()))
            if (!Msg::confirm(this, question)) {
                focusColumn(Col::车牌号);
                return false;
            }
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    return true;
}

void TForm_khydqc_edit::writeRecord()
{
    keepNumberFree();
    const bool added = query()->state() == RecordSet::Insert;
    query()->post();
    // The vehicle shows the reservation added last; changing a reservation later does not move it.
    if (added) {
        const RecordSet* q = query();
        if (!Rental::setVehicleReservation(dm()->ADO_qczl, q->asString(Col::车牌号), q->asString(Col::客户姓名),
                                           q->asDateTime(Col::发车日期), q->asInteger(Col::租赁期限)))
            throw DbError(QStringLiteral("汽车档案中没有车牌号") + q->asString(Col::车牌号));
    }
}
