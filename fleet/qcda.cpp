#include "fleet/qcda.h"
#include "data/columns.h"
#include "fleet/registers.h"
#include "data/datamodule.h"
#include "ui/shell/photo.h"
#include "ui/common/messages.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

// ---- descriptions ----

const ListWindowConfig& TForm_qcda::spec()
{
    static const ListWindowConfig s{
        .className = staticMetaObject.className(),
        .caption = "汽车档案设置",
        .query = "q_qcda",
        .buttons = {{ListButton::Export}, {ListButton::Edit}, {ListButton::Delete}, {ListButton::Print}, {ListButton::Return}},
        .exportName = "汽车档案",
        .printTitle = "汽车档案打印清单",
        .layout = LayoutMode::Full,
        .cancelOnClose = true};
    return s;
}

const EditDialogConfig& TForm_qcda_edit::spec()
{
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "汽车档案编辑 (qcda)",
                                    .query = "q_qcda",
                                    .addGuard = {{"车牌号", "车牌号不能为空,请重新输入!"}},
                                    .uniqueTable = "汽车档案",
                                    .uniqueColumn = Col::车牌号};
    return s;
}

namespace {

const QString Plate = Col::车牌号;
const QString PhotoColumn = Col::汽车照片;

}  // namespace

QVector<FieldDef> TForm_qcda_edit::fields()
{
    using F = FieldKind;
    const double km = Fleet::MaxKilometres;
    return {
        {.objectName = "DBEditEh1", .label = "车牌号：", .column = Col::车牌号, .chinese = true},
        {.objectName = "DBDateTimeEditEh1", .label = "购买时间：", .column = Col::购买时间, .kind = F::Date},
        {.objectName = "DBEditEh2", .label = "车型：", .column = Col::车型, .upper = true, .chinese = true},
        {.objectName = "DBEditEh3", .label = "颜色：", .column = Col::颜色, .upper = true, .chinese = true},
        {.objectName = "DBEditEh4", .label = "出厂编号：", .column = Col::出厂编号, .upper = true},
        {.objectName = "DBEditEh5", .label = "发动机号：", .column = Col::发动机号, .upper = true},
        {.objectName = "DBEditEh6", .label = "底盘编号：", .column = Col::底盘编号, .upper = true},
        {.objectName = "DBNumberEditEh1", .label = "起始公里数：", .column = Col::起始公里数, .kind = F::Number, .maximum = km},
        {.objectName = "DBNumberEditEh2", .label = "当前公里数：", .column = Col::公里数, .kind = F::Number, .maximum = km},
        {.objectName = "DBDateTimeEditEh2", .label = "养路费购买时间：", .column = Col::养路费购买时间, .kind = F::Date},
        {.objectName = "DBDateTimeEditEh3", .label = "截止时间：", .column = Col::养路费截止时间, .kind = F::Date},
        {.objectName = "DBDateTimeEditEh4", .label = "年审时间：", .column = Col::年审时间, .kind = F::Date},
        {.objectName = "DBDateTimeEditEh5", .label = "截止时间：", .column = Col::年审截止时间, .kind = F::Date},
        {.objectName = "DBDateTimeEditEh6", .label = "保险购买时间：", .column = Col::保险购买时间, .kind = F::Date},
        {.objectName = "DBDateTimeEditEh7", .label = "截止时间：", .column = Col::保险截止时间, .kind = F::Date},
        {.objectName = "DBDateTimeEditEh8", .label = "车船税购买时间：", .column = Col::车船税购买时间, .kind = F::Date},
        {.objectName = "DBDateTimeEditEh9", .label = "截止时间：", .column = Col::车船税截止时间, .kind = F::Date},
        {.objectName = "DBNumberEditEh3", .label = "二保里程：", .column = Col::二保里程, .kind = F::Number, .maximum = km},
        {.objectName = "DBNumberEditEh4", .label = "下次二保：", .column = Col::下次二保里程, .kind = F::Number, .maximum = km},
        {.objectName = "DBMemo1", .label = "备注：", .column = Col::备注, .kind = F::Memo, .chinese = true},
        {.objectName = "DBCheckBox1", .column = Col::停用, .kind = F::Check},
        {.objectName = "DBEditEh7",
         .label = "在JPG文件夹中的图形文件(与车牌号重名)：",
         .column = Col::汽车照片,
         .kind = F::ReadOnly,
         .upper = true,
         .page = 1},
    };
}

// ---- list ----

TForm_qcda::TForm_qcda(QWidget* owner, TDm1* dm) : ListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::车牌号, .width = 90, .titleButton = true},
                {.field = Col::车型, .width = 110, .titleButton = true},
                {.field = Col::颜色, .width = 60},
                {.field = Col::出厂编号, .width = 110},
                {.field = Col::发动机号, .width = 110},
                {.field = Col::底盘编号, .width = 110},
                {.field = Col::公里数, .width = 70},
                {.field = Col::购买时间, .width = 90},
                {.field = Col::年审时间, .width = 90},
                {.field = Col::养路费购买时间, .width = 100},
                {.field = Col::保险购买时间, .width = 90},
                {.field = Col::车船税购买时间, .width = 100},
                {.field = Col::二保里程, .width = 70}});
}

QDialog* TForm_qcda::createEditDialog()
{
    return new TForm_qcda_edit(this, dm());
}

bool TForm_qcda::deleteAllowed()
{
    RecordSet* q = query();
    if (!q->isOpen() || q->currentRow() < 0)
        return true;
    try {
        if (const auto refusal = vehicleDeleteRefusal(q->asBoolean(Col::开始生效), q->asString(Plate))) {
            Msg::warn(this, *refusal);
            return false;
        }
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    return true;
}

// ---- edit dialog ----

TForm_qcda_edit::TForm_qcda_edit(QWidget* owner, TDm1* dm)
    : EditDialog(spec(), fields(), dm, owner, {QStringLiteral("基本资料"), QStringLiteral("车辆照片")})
{
    setEnterChainColumns({Col::车牌号,         Col::购买时间,       Col::车型,         Col::颜色,         Col::出厂编号,
                          Col::发动机号,       Col::底盘编号,       Col::起始公里数,   Col::公里数,       Col::养路费购买时间,
                          Col::养路费截止时间, Col::年审时间,       Col::年审截止时间, Col::保险购买时间, Col::保险截止时间,
                          Col::车船税购买时间, Col::车船税截止时间, Col::二保里程,     Col::下次二保里程, Col::备注});
    setFirstField(fieldFor(Plate)->objectName());

    // 停用 stands beside the pages, above the buttons.
    if (auto* box = qobject_cast<QCheckBox*>(fieldFor(Col::停用))) {
        auto* form = qobject_cast<QFormLayout*>(PageControl1->widget(0)->layout());
        if (form) {
            const QFormLayout::TakeRowResult taken = form->takeRow(box);
            if (taken.labelItem) {
                delete taken.labelItem->widget();
                delete taken.labelItem;
            }
            delete taken.fieldItem;
        }
        box->setText(QStringLiteral("停用"));
        buttonRow()->insertWidget(0, box);
    }

    // Page 车辆照片: the stored name (never typed), 查看 and the photo.
    fieldFor(PhotoColumn)->setEnabled(false);
    auto* page = PageControl1->widget(1);
    photoPanel = new PhotoPanel(
        QStringLiteral("汽 车 照 片"), [this] { return currentPhotoPath(); }, page);
    viewButton = photoPanel->viewButton;
    photoArea = photoPanel->photoArea;
    if (auto* form = qobject_cast<QFormLayout*>(page->layout()))
        form->addRow(photoPanel);
    try {
        photoPanel->showQuietly();
    } catch (const DbError&) {
    }
}

QString TForm_qcda_edit::currentPhotoPath() const
{
    const RecordSet* q = query();
    const bool has = q->isOpen() && q->currentRow() >= 0;
    return photoPath(has ? q->asString(PhotoColumn) : QString());
}

bool TForm_qcda_edit::moduleChecks()
{
    try {
        if (const auto refusal = checkVehicle(vehicleValues(*query()))) {
            return failAt(refusal->message, refusal->column);
        }
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    return true;
}

void TForm_qcda_edit::assignBeforeWrite()
{
    query()->setValue(PhotoColumn, photoName(query()->asString(Plate)));
}
