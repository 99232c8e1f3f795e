#include "rental/fineswindow.h"
#include "core/clock.h"
#include "core/dates.h"
#include "data/columns.h"
#include "data/datamodule.h"
#include "data/lookups.h"
#include "data/recordset.h"
#include "rental/fines.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"

#include <QFormLayout>
#include <QLineEdit>

namespace {

using K = CriterionKind;
const QStringList States{Fines::Unhandled, Fines::Passed, Fines::Paid};
const QString DateField = QStringLiteral("DBDateTimeEditEh1");
const QString TimeField = QStringLiteral("DBDateTimeEditEh2");

QueryDialogConfig finesQuery(const QString& cls)
{
    return {
        .className = cls,
        .caption = "违章查询",
        .query = "q_wzdj",
        .table = "违章登记",
        .criteria = {{.objectName = "cb车牌号", .label = "车牌号：", .column = Col::车牌号, .kind = K::Equals, .combo = true},
                     {.objectName = "cb处理状态", .label = "处理状态：", .column = Col::处理状态, .kind = K::Equals, .combo = true, .items = States},
                     {.objectName = "ed客户号", .label = "客户号：", .column = Col::客户号, .kind = K::Equals, .upper = true},
                     {.objectName = "ed客户姓名", .label = "客户姓名：", .column = Col::客户姓名, .kind = K::StartsWith},
                     {.objectName = "dt从",
                      .label = "违章时间  从：",
                      .column = Col::违章时间,
                      .kind = K::DayRange,
                      .toObjectName = "dt到",
                      .toLabel = "到：",
                      .inputError = rangeInputError("违章时间"),
                      .orderError = rangeOrderError("违章时间")}},
        .selectLines = {"select * from ", "违章登记"},
        .orderLine = "order by 违章时间",
        .variant = QueryVariant::AlwaysClose,
        .noCriteriaMessage = "没有输入查询条件,请重新输入!",
        .noCriteriaFocus = "cb车牌号",
        .enterChain = {"cb车牌号", "cb处理状态", "ed客户号", "ed客户姓名", "dt从", "dt到"},
        .seekCaption = "查询 (&F)",
    };
}

}  // namespace

const RegisterConfig& FinesWindow::spec()
{
    using B = ListButton;
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const RegisterConfig s{
        .list = {.className = cls,
                 .caption = "违章登记",
                 .query = "q_wzdj",
                 .buttons = {{B::Export}, {B::Query}, {B::Edit}, {B::Delete}, {B::Print}, {B::Return}},
                 .exportName = "违章登记表",
                 .printTitle = "违章登记表打印清单",
                 .footerSums = {Col::罚款金额, Col::扣分},
                 .autoWidth = true,
                 .autoWidthChecked = true},
        .edit = {.className = QStringLiteral("FineEditDialog"),
                 .caption = "违章登记编辑",
                 .query = "q_wzdj",
                 .addGuard = {{Col::车牌号, QStringLiteral("车牌号不能为空,请重新输入!")}}},
        .query = finesQuery(cls + QStringLiteral("_cx")),
        .columns = {{.field = Col::违章时间, .width = 130, .titleButton = true},
                    {.field = Col::车牌号, .width = 90, .titleButton = true},
                    {.field = Col::违章地点, .width = 140},
                    {.field = Col::违章行为, .width = 140},
                    {.field = Col::罚款金额, .width = 80, .titleButton = true},
                    {.field = Col::扣分, .width = 50},
                    {.field = Col::处理状态, .width = 70, .titleButton = true},
                    {.field = Col::租赁内部编号, .width = 110, .titleButton = true},
                    {.field = Col::客户姓名, .width = 80, .titleButton = true},
                    {.field = Col::联系电话, .width = 100},
                    {.field = Col::通知书编号, .width = 100},
                    {.field = Col::备注, .width = 120}},
        .fields = {{.objectName = DateField, .label = "违章日期：", .column = Col::违章时间, .kind = FieldKind::Date},
                   {.objectName = TimeField, .label = "违章时间：", .column = Col::违章时间, .kind = FieldKind::Time},
                   {.objectName = "DBComboBoxEh1", .label = "车牌号：", .column = Col::车牌号, .kind = FieldKind::Combo},
                   {.objectName = "DBEditEh1", .label = "违章地点：", .column = Col::违章地点, .chinese = true},
                   {.objectName = "DBEditEh2", .label = "违章行为：", .column = Col::违章行为, .chinese = true},
                   {.objectName = "DBNumberEditEh1",
                    .label = "罚款金额：",
                    .column = Col::罚款金额,
                    .kind = FieldKind::Number,
                    .decimals = 4,
                    .maximum = 100000},
                   {.objectName = "DBNumberEditEh2", .label = "扣分：", .column = Col::扣分, .kind = FieldKind::Number, .maximum = 12},
                   {.objectName = "DBEditEh3", .label = "通知书编号：", .column = Col::通知书编号, .upper = true},
                   {.objectName = "DBComboBoxEh2",
                    .label = "处理状态：",
                    .column = Col::处理状态,
                    .kind = FieldKind::Combo,
                    .items = States,
                    .listOnly = true},
                   {.objectName = "DBEditEh4", .label = "备注：", .column = Col::备注, .chinese = true}},
        // Charged to the renter of the moment as the row is written: a changed plate or time, or a
        // contract whose return was entered since, moves the fine with it.
        .assign = [](RecordSet& q) { Fines::assignMatch(q, *q.database(), Clock::now()); }};
    return s;
}

QDialog* FinesWindow::createEditDialog()
{
    auto* d = new FineEditDialog(dm(), this);
    try {
        d->setItemsFor(Col::车牌号, Lookups::plates(dm()->ADO_qczl));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        delete d;
        return nullptr;
    }
    return d;
}

void FinesWindow::onQuery()
{
    QueryDialog d(spec().query, dm(), this);
    try {
        InputMethods::applyCurrent(d.control(QStringLiteral("ed客户姓名")));
        d.setItems(QStringLiteral("cb车牌号"), Lookups::plates(dm()->ADO_qczl));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return;
    }
    Modal::exec(&d);
}

FineEditDialog::FineEditDialog(TDm1* dm, QWidget* owner) : RegisterEditDialog(FinesWindow::spec(), dm, owner)
{
    setRequired({{Col::车牌号, QStringLiteral("车牌号不能为空,请重新输入!")},
                 {Col::违章时间, QStringLiteral("违章时间不能为空,请重新输入!"), DateField}});
    renterLine = new QLineEdit(this);
    renterLine->setObjectName(QStringLiteral("RenterLine"));
    renterLine->setReadOnly(true);
    renterLine->setFocusPolicy(Qt::NoFocus);
    renterLine->setStyleSheet(QStringLiteral("background: #e0e0e0"));
    renterLine->setAccessibleName(QStringLiteral("违章承担"));
    if (auto* form = findChild<QFormLayout*>())
        form->addRow(QStringLiteral("违章承担："), renterLine);
    connect(this, &EditDialog::edited, this, [this](const QString& column) {
        if (column == Col::车牌号 || column == Col::违章时间)
            showRenter();
    });
}

void FineEditDialog::showRenter()
{
    // The moment and plate as the fields show them, typed or not yet saved: the typed date with
    // the typed time (the row's time while that field is empty).
    const RecordSet* q = query();
    const QDateTime stored = q->isOpen() && q->currentRow() >= 0 ? q->asDateTime(Col::违章时间) : QDateTime();
    QString dateText = fieldText(DateField), timeText = fieldText(TimeField);
    dateText.remove(QLatin1Char(' '));
    timeText.remove(QLatin1Char(' '));
    const auto date = Dates::parseJet(dateText);
    const QString plate = textFor(Col::车牌号).trimmed();
    if (!date || plate.isEmpty()) {
        renterLine->clear();
        return;
    }
    const QTime time = QTime::fromString(timeText, QStringLiteral("H:m:s"));
    const QDateTime at(date->date(), time.isValid() ? time : (stored.isValid() ? stored.time() : QTime(0, 0)));
    try {
        renterLine->setText(Fines::matchText(Fines::matchContract(dm()->ADO_qczl, plate, at, Clock::now())));
    } catch (const DbError& e) {
        renterLine->setText(e.text());
    }
}

void FineEditDialog::fillDefaults()
{
    if (query()->asString(Col::处理状态).isEmpty())
        query()->setValue(Col::处理状态, Fines::Unhandled);
}

void FineEditDialog::initNewRow()
{
    query()->setValue(Col::处理状态, Fines::Unhandled);
    query()->setValue(Col::罚款金额, Money());
    query()->setValue(Col::扣分, 0);
    loadFields();
    renterLine->clear();
}

void FineEditDialog::afterWrite()
{
    showRenter();
}

void FineEditDialog::showEvent(QShowEvent* event)
{
    RegisterEditDialog::showEvent(event);
    showRenter();
}
