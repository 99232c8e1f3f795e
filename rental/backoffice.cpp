#include "rental/backoffice.h"
#include "data/columns.h"
#include "rental/rentalrules.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"
#include "rental/handoverdialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

// ---- descriptions ----

const ListWindowConfig& TForm_qczl_fkqk::spec()
{
    using B = ListButton;
    static const ListWindowConfig s{.className = staticMetaObject.className(),
                                    .caption = "汽车租赁登记表",
                                    .query = "q_qczlb",
                                    .buttons = {{B::Export}, {B::Query}, {B::Edit}, {B::Print}, {B::Return}},
                                    .exportName = "汽车租赁登记表",
                                    .printTitle = "汽车租赁登记表打印清单",
                                    .layout = LayoutMode::Full,
                                    .hint = "提示：以下是没有结帐的汽车租赁登记！",
                                    .queryDialog = "TForm_qczlb_cx"};
    return s;
}

const EditDialogConfig& TForm_qczl_fkqk_edit::spec()
{
    using namespace EditButton;
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "汽车租赁付款情况编辑 (qczlb)",
                                    .query = "q_qczlb",
                                    .buttons = Save | Close,
                                    .stamps = Stamps::None};
    return s;
}

const ListWindowConfig& TForm_qczljcb::spec()
{
    using B = ListButton;
    static const ListWindowConfig s{.className = staticMetaObject.className(),
                                    .caption = "汽车租赁登记表",
                                    .query = "q_qczlb",
                                    .buttons = {{B::Query}, {B::Edit, "交车"}, {B::Print}, {B::Return}},
                                    .printTitle = "汽车租赁登记表打印清单",
                                    .autoWidth = true,
                                    .autoWidthChecked = true,
                                    .hint = "提示：以下是没有交车的汽车租赁单！",
                                    .queryDialog = "TForm_qczlb_cx"};
    return s;
}

const EditDialogConfig& TForm_qczljcb_edit::spec()
{
    using namespace EditButton;
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "汽车租赁交车编辑 (qczljcb)",
                                    .query = "q_qczlb",
                                    .buttons = Save | Close,
                                    .stamps = Stamps::None};
    return s;
}

const ListWindowConfig& TForm_qczlqkb::spec()
{
    using B = ListButton;
    static const ListWindowConfig s{.className = staticMetaObject.className(),
                                    .caption = "汽车租赁情况表",
                                    .query = "q_qcda",
                                    .buttons = {{B::Print}, {B::Edit}, {B::Module, "清除租赁"}, {B::Module, "清除预订"}, {B::Return}},
                                    .printTitle = "汽车档案打印清单",
                                    .autoWidth = true,
                                    .autoWidthChecked = true,
                                    .doubleClickEdits = false};
    return s;
}

const EditDialogConfig& TForm_qczlqkb_edit::spec()
{
    using namespace EditButton;
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "编辑",
                                    .query = "q_qcda",
                                    .buttons = Save | Close,
                                    .stamps = Stamps::None,
                                    .uniqueTable = "汽车档案",
                                    .uniqueColumn = Col::车牌号};
    return s;
}

namespace {

const QString Plate = Col::车牌号;
const QString ReturnState = Col::客户交车;

// The contract's identity, shown read-only above what a dialog edits.
QVector<FieldDef> contractHeader()
{
    using F = FieldKind;
    return {
        {.objectName = "DBEdit1", .label = "内部编号：", .column = Col::内部编号, .kind = F::ReadOnly},
        {.objectName = "DBEdit4", .label = "车牌号：", .column = Col::车牌号, .kind = F::ReadOnly},
        {.objectName = "DBEdit2", .label = "客户号：", .column = Col::客户号, .kind = F::ReadOnly},
        {.objectName = "DBEdit5", .label = "姓名：", .column = Col::客户姓名, .kind = F::ReadOnly},
        {.objectName = "DBEdit3", .label = "发车日期：", .column = Col::发车日期, .kind = F::ReadOnly},
        {.objectName = "DBEdit6", .label = "发车里程：", .column = Col::发车里程, .kind = F::ReadOnly},
    };
}

QVector<FieldDef> withHeader(const QVector<FieldDef>& fields)
{
    return contractHeader() + fields;
}

}  // namespace

// ---- contract lists ----

ContractListWindow::ContractListWindow(const ListWindowConfig& config, TDm1* dm, QWidget* owner) : BookingListWindow(config, dm, owner)
{}

bool ContractListWindow::editAllowed()
{
    // Nothing to edit in an empty list; no contract may be created from here.
    return query()->isOpen() && query()->currentRow() >= 0;
}

// ---- payment notes ----

TForm_qczl_fkqk::TForm_qczl_fkqk(QWidget* owner, TDm1* dm) : ContractListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::内部编号, .width = 100, .titleButton = true},
                {.field = Col::客户号, .width = 70},
                {.field = Col::客户姓名, .width = 80, .titleButton = true},
                {.field = Col::车牌号, .width = 80},
                {.field = Col::押金, .width = 80, .titleButton = true},
                {.field = Col::租赁单价, .width = 70, .titleButton = true},
                {.field = Col::租赁期限, .width = 60, .titleButton = true},
                {.field = Col::发车日期, .width = 130},
                {.field = Col::每天限驶里程, .title = "限驶里程", .width = 70},
                {.field = Col::超时收费单价, .title = "超时收费", .width = 60},
                {.field = Col::超驶收费单价, .title = "超驶收费", .width = 60},
                {.field = Col::发车里程, .width = 70},
                {.field = Col::租赁公司经办人, .title = "经办人", .width = 70},
                {.field = Col::发车单号, .width = 90}});
}

QDialog* TForm_qczl_fkqk::createEditDialog()
{
    return new TForm_qczl_fkqk_edit(this, dm());
}

TForm_qczl_fkqk_edit::TForm_qczl_fkqk_edit(QWidget* owner, TDm1* dm)
    : EditDialog(
        spec(),
        withHeader(
            {{.objectName = "DBEditEh3", .label = "付款情况：", .column = Col::付款情况, .kind = FieldKind::Memo, .chinese = true}}),
        dm, owner)
{
    // Enter writes a new line in the notes; only 存盘 saves them.
    setEnterChain({});
    setFirstField(QStringLiteral("DBEditEh3"));
}

// ---- return ----

TForm_qczljcb::TForm_qczljcb(QWidget* owner, TDm1* dm) : ContractListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::内部编号, .width = 100, .titleButton = true},
                {.field = Col::发车单号, .width = 90},
                {.field = Col::客户号, .width = 70, .footer = FooterKind::Count},
                {.field = Col::客户姓名, .width = 80, .titleButton = true},
                {.field = Col::车牌号, .width = 80},
                {.field = Col::租赁单价, .width = 70, .titleButton = true},
                {.field = Col::租赁期限, .width = 60, .titleButton = true},
                {.field = Col::发车日期, .width = 130},
                {.field = Col::每天限驶里程, .width = 80},
                {.field = Col::租赁公司经办人, .title = "经办人", .width = 70}});
}

QDialog* TForm_qczljcb::createEditDialog()
{
    return new TForm_qczljcb_edit(this, dm());
}

TForm_qczljcb_edit::TForm_qczljcb_edit(QWidget* owner, TDm1* dm)
    : EditDialog(spec(),
                 withHeader(
                     {{.objectName = "DBDateTimeEditEh2", .label = "收车日期：", .column = Col::收车日期, .kind = FieldKind::Date},
                      {.objectName = "DBDateTimeEditEh1", .label = "收车时间：", .column = Col::收车日期, .kind = FieldKind::Time},
                      {.objectName = "DBNumberEditEh9",
                       .label = "收车里程：",
                       .column = Col::收车里程,
                       .kind = FieldKind::Number,
                       .maximum = 500000},
                      {.objectName = "DBComboBoxEh1",
                       .label = "交车情况：",
                       .column = Col::客户交车,
                       .kind = FieldKind::Combo,
                       .items = {"已交", "没有"}},
                      {.objectName = "DBEditEh3", .label = "备注：", .column = Col::备注, .kind = FieldKind::Memo, .chinese = true}}),
                 dm, owner)
{
    setEnterChain({"DBDateTimeEditEh2", "DBDateTimeEditEh1", "DBNumberEditEh9", "DBComboBoxEh1", "DBEditEh3"});
    setFirstField(QStringLiteral("DBDateTimeEditEh2"));
    // The condition of the car taken back: a sheet of its own, stored apart from the row typed here.
    const QVector<QPushButton*> handover = addFieldButtons(
        {{u"ReturnHandover"_s, u"收车检查"_s}, {u"PrintHandover"_s, u"打印检查单"_s}});
    handoverButton = handover[0];
    handoverPrintButton = handover[1];
    const auto contract = [this] { return query()->value(Col::内部编号).toString(); };
    connect(handoverButton, &QPushButton::clicked, this,
            [this, contract] { HandoverWindows::open(this, this->dm(), contract(), Handover::Stage::Return); });
    connect(handoverPrintButton, &QPushButton::clicked, this,
            [this, contract] { HandoverWindows::print(this, this->dm(), contract()); });
}

bool TForm_qczljcb_edit::moduleChecks()
{
    try {
        const RecordSet* q = query();
        if (const auto r = Settlement::checkReturn(q->asDateTime(Col::发车日期), q->asDateTime(Col::收车日期),
                                                   q->asInteger(Col::发车里程), q->asInteger(Col::收车里程)))
            return fail(r->message,
                        r->column == Col::收车日期 ? QStringLiteral("DBDateTimeEditEh2") : QStringLiteral("DBNumberEditEh9"));
        const QString state = q->asString(ReturnState);
        if (state != QStringLiteral("已交") && state != QStringLiteral("没有"))
            return fail(QStringLiteral("客户交车输入错误,请重新输入!"), QStringLiteral("DBComboBoxEh1"));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    return true;
}

void TForm_qczljcb_edit::writeRecord()
{
    RecordSet* q = query();
    const QString returned = QStringLiteral("已交");
    const bool wasReturned = q->storedValue(ReturnState).toString().trimmed() == returned;
    q->post();
    // The same rule as the contract's own save: a contract returned before leaves its vehicle
    // alone, a return frees it only while it is still out on this contract. A vehicle missing
    // from the archive is simply not updated: no row is created for it.
    Rental::vehicleFollowsContract(dm()->ADO_qczl, q->asString(Plate), q->asString(Col::客户姓名), q->asDateTime(Col::发车日期),
                                   wasReturned, q->asString(ReturnState) == returned);
}

// ---- rental state of the fleet ----

TForm_qczlqkb::TForm_qczlqkb(QWidget* owner, TDm1* dm) : ListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::车牌号, .width = 90, .titleButton = true},
                {.field = Col::车型, .width = 90, .titleButton = true},
                {.field = Col::车辆状态, .width = 60},
                {.field = Col::客户姓名, .width = 80},
                {.field = Col::租赁时间, .title = "租赁(维修)时间", .width = 130},
                {.field = Col::收车时间, .title = "收车(修好)时间", .width = 130},
                {.field = Col::预订日期, .width = 130},
                {.field = Col::预订人, .width = 80},
                {.field = Col::预订期限, .width = 60}});
    if (QPushButton* b = moduleButton(QStringLiteral("清除预订")))
        connect(b, &QPushButton::clicked, this, &TForm_qczlqkb::clearReservation);
    if (QPushButton* b = moduleButton(QStringLiteral("清除租赁")))
        connect(b, &QPushButton::clicked, this, &TForm_qczlqkb::clearRental);
}

QDialog* TForm_qczlqkb::createEditDialog()
{
    return new TForm_qczlqkb_edit(this, dm());
}

bool TForm_qczlqkb::editAllowed()
{
    return query()->isOpen() && query()->currentRow() >= 0;
}

namespace {

// Puts new values into the current vehicle and writes them; nothing without a current vehicle.
void writeVehicle(ListWindow* w, const QList<QPair<QString, QVariant>>& values)
{
    RecordSet* q = w->query();
    if (!q->isOpen() || q->currentRow() < 0)
        return;
    try {
        q->edit();
        for (const auto& [column, value] : values)
            q->setValue(column, value);
        q->post();
    } catch (const DbError& e) {
        q->cancel();
        Msg::error(w, e.text());
    }
}

}  // namespace

void TForm_qczlqkb::clearReservation()
{
    if (!query()->isOpen() || query()->currentRow() < 0 || !Msg::confirm(this, QStringLiteral("确实要清除预订内容吗? ")))
        return;
    writeVehicle(this, {{Col::预订日期, QVariant()}, {Col::预订人, QStringLiteral("")}, {Col::预订期限, QVariant()}});
}

void TForm_qczlqkb::clearRental()
{
    if (!query()->isOpen() || query()->currentRow() < 0 || !Msg::confirm(this, QStringLiteral("确实要清除租赁内容吗? ")))
        return;
    writeVehicle(this, {{Col::租赁时间, QVariant()},
                        {Col::收车时间, QVariant()},
                        {Col::客户姓名, QStringLiteral("")},
                        {Col::车辆状态, QStringLiteral("空闲")}});
}

TForm_qczlqkb_edit::TForm_qczlqkb_edit(QWidget* owner, TDm1* dm)
    : EditDialog(spec(),
                 {{.objectName = "DBEdit1", .label = "车牌号：", .column = Col::车牌号},
                  {.objectName = "DBEdit2", .label = "车型：", .column = Col::车型},
                  {.objectName = "DBComboBoxEh1",
                   .label = "车辆状态：",
                   .column = Col::车辆状态,
                   .kind = FieldKind::Combo,
                   .items = {"维修", "出租", "空闲"}},
                  {.objectName = "DBDateTimeEditEh1", .label = "租赁(维修)时间：", .column = Col::租赁时间, .kind = FieldKind::Date},
                  {.objectName = "DBDateTimeEditEh2", .label = "收车(修好)时间：", .column = Col::收车时间, .kind = FieldKind::Date}},
                 dm, owner)
{
    for (const char* name : {"DBEdit1", "DBEdit2"})
        field(QString::fromLatin1(name))->setStyleSheet(QStringLiteral("background: #c0e0ff;"));
    setEnterChain({"DBComboBoxEh1", "DBDateTimeEditEh1", "DBDateTimeEditEh2"});
    setFirstField(QStringLiteral("DBComboBoxEh1"));
    // The plate is the vehicle's key here as everywhere.
    setRequired({{Plate, QStringLiteral("车牌号不能为空,请重新输入!"), QStringLiteral("DBEdit1")}});
}

bool TForm_qczlqkb_edit::moduleChecks()
{
    const QDateTime from = query()->asDateTime(Col::租赁时间);
    const QDateTime to = query()->asDateTime(Col::收车时间);
    if (!from.isValid())
        return fail(QStringLiteral("租赁(维修)时间不能为空,请重新输入!"), QStringLiteral("DBDateTimeEditEh1"));
    if (!to.isValid())
        return fail(QStringLiteral("收车(修好)时间不能为空,请重新输入!"), QStringLiteral("DBDateTimeEditEh2"));
    if (to.date() < from.date())
        return fail(QStringLiteral("租赁(维修)时间不能大于收车(维好)时间,请重新输入!"), QStringLiteral("DBDateTimeEditEh1"));
    return true;
}
