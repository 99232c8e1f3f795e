#include "rental/customers.h"
#include "data/columns.h"
#include "rental/rental.h"
#include "rental/rentalrules.h"
#include "core/sqltext.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"
#include "ui/records/querydialog.h"
#include "ui/shell/photo.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

// ---- descriptions ----

const ListWindowConfig& TForm_hyzlb::spec()
{
    using B = ListButton;
    static const ListWindowConfig s{.className = staticMetaObject.className(),
                                    .caption = "客户资料登记表",
                                    .query = "q_hyzlb",
                                    .buttons = {{B::Query, "查找"}, {B::Export}, {B::Edit}, {B::Delete}, {B::Print}, {B::Return}},
                                    .exportName = "客户资料记录表",
                                    .printTitle = "客户资料登记表打印清单",
                                    .footerSums = {Col::应收会费, Col::实收会费},
                                    .layout = LayoutMode::Full,
                                    .autoWidth = true};
    return s;
}

const EditDialogConfig& TForm_hyzlb_edit::spec()
{
    using namespace EditButton;
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "客户登记表编辑 (hyzlb)",
                                    .query = "q_hyzlb",
                                    .addGuard = {{"客户姓名", "客户姓名不能为空,请重新输入!"},
                                                 {"客户号", "客户号不能为空,请重新输入!"}},
                                    .uniqueTable = "客户登记表",
                                    .uniqueColumn = Col::客户号};
    return s;
}

namespace {

const QString Number = Col::客户号;
const QString Name = Col::客户姓名;
const QString PhotoColumn = Col::客户照片;

}  // namespace

QVector<FieldDef> TForm_hyzlb_edit::fields()
{
    using F = FieldKind;
    const QStringList sexes{QStringLiteral("男"), QStringLiteral("女")};
    return {
        // Above the pages.
        {.objectName = "DBEditEh1", .label = "客户号：", .column = Col::客户号, .upper = true, .page = -1},
        {.objectName = "DBDateTimeEditEh1", .label = "起始日期：", .column = Col::起始日期, .kind = F::Date, .page = -1},
        {.objectName = "DBDateTimeEditEh2", .label = "终止日期：", .column = Col::终止日期, .kind = F::Date, .page = -1},
        {.objectName = "DBCheckBox1", .label = "停用", .column = Col::停用, .kind = F::Check, .page = -1},
        // 客户资料
        {.objectName = "DBEditEh2", .label = "姓名：", .column = Col::客户姓名, .chinese = true},
        {.objectName = "DBComboBoxEh1", .label = "性别：", .column = Col::性别, .kind = F::Combo, .chinese = true, .items = sexes},
        {.objectName = "DBComboBoxEh2",
         .label = "客户类型：",
         .column = Col::客户类型,
         .kind = F::Combo,
         .chinese = true,
         .items = {"个人", "会员", "临时"}},
        {.objectName = "DBEditEh3", .label = "密码：", .column = Col::客户密码, .upper = true, .masked = true},
        {.objectName = "DBEditEh4", .label = "身份证号：", .column = Col::身份证号},
        {.objectName = "DBEditEh5", .label = "联系电话：", .column = Col::联系电话},
        {.objectName = "DBEditEh6", .label = "移动电话：", .column = Col::移动电话},
        {.objectName = "DBMemo1", .label = "家庭住址：", .column = Col::家庭住址, .kind = F::Memo, .chinese = true},
        {.objectName = "DBEditEh7", .label = "工作单位：", .column = Col::工作单位, .chinese = true},
        {.objectName = "DBNumberEditEh1", .label = "应收会费：", .column = Col::应收会费, .kind = F::Number, .decimals = 4},
        {.objectName = "DBNumberEditEh2", .label = "实收会费：", .column = Col::实收会费, .kind = F::Number, .decimals = 4},
        // 驾驶员资料
        {.objectName = "DBEditEh8", .label = "姓名：", .column = Col::驾驶员, .chinese = true, .page = 1},
        {.objectName = "DBComboBoxEh3", .label = "性别：", .column = Col::驾驶员性别, .kind = F::Combo, .items = sexes, .page = 1},
        {.objectName = "DBEditEh9", .label = "身份证号：", .column = Col::驾驶员身份证号, .page = 1},
        {.objectName = "DBEditEh10", .label = "联系电话：", .column = Col::驾驶员联系电话, .page = 1},
        {.objectName = "DBMemo2", .label = "家庭住址：", .column = Col::驾驶员家庭住址, .kind = F::Memo, .chinese = true, .page = 1},
        {.objectName = "DBEditEh11", .label = "驾驶证号：", .column = Col::驾驶员驾驶证号, .page = 1},
        {.objectName = "DBEditEh12", .label = "备注：", .column = Col::备注, .chinese = true, .page = 1},
        // 担保人资料
        {.objectName = "DBEditEh13", .label = "姓名：", .column = Col::担保人, .chinese = true, .page = 2},
        {.objectName = "DBComboBoxEh4",
         .label = "性别：",
         .column = Col::担保人性别,
         .kind = F::Combo,
         .chinese = true,
         .items = sexes,
         .page = 2},
        {.objectName = "DBEditEh14", .label = "身份证号：", .column = Col::担保人身份证号, .page = 2},
        {.objectName = "DBEditEh15", .label = "联系电话：", .column = Col::担保人联系电话, .page = 2},
        {.objectName = "DBMemo3", .label = "家庭住址：", .column = Col::担保人家庭住址, .kind = F::Memo, .chinese = true, .page = 2},
        {.objectName = "DBEditEh16", .label = "工作单位：", .column = Col::担保人工作单位, .chinese = true, .page = 2},
        {.objectName = "DBEditEh17", .label = "与客户关系：", .column = Col::与客户关系, .chinese = true, .page = 2},
        // 企业资料
        {.objectName = "DBEditEh18", .label = "企业名称：", .column = Col::企业名称, .chinese = true, .page = 3},
        {.objectName = "DBMemo4", .label = "企业地址：", .column = Col::企业地址, .kind = F::Memo, .chinese = true, .page = 3},
        {.objectName = "DBEditEh19", .label = "法定代表人：", .column = Col::法定代表人, .chinese = true, .page = 3},
        {.objectName = "DBEditEh20", .label = "企业注册号：", .column = Col::企业注册号, .page = 3},
        {.objectName = "DBMemo5", .label = "注册资本：", .column = Col::注册资本, .kind = F::Memo, .page = 3},
        {.objectName = "DBEditEh21", .label = "组织机构代码：", .column = Col::组织机构代码, .page = 3},
        // 照片
        {.objectName = "DBEditEh22",
         .label = "在JPG文件夹中的图形文件(与客户号重名)：",
         .column = Col::客户照片,
         .kind = F::ReadOnly,
         .upper = true,
         .page = 4},
    };
}

// ---- list ----

TForm_hyzlb::TForm_hyzlb(QWidget* owner, TDm1* dm) : ListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::客户号, .width = 80, .titleButton = true},
                {.field = Col::客户姓名, .width = 90, .titleButton = true},
                {.field = Col::性别, .width = 40, .titleButton = true},
                {.field = Col::起始日期, .width = 90, .titleButton = true},
                {.field = Col::终止日期, .width = 90},
                {.field = Col::身份证号, .width = 150},
                {.field = Col::联系电话, .width = 100},
                {.field = Col::家庭住址, .width = 180, .titleButton = true},
                {.field = Col::应收会费, .width = 90},
                {.field = Col::实收会费, .width = 90}});
}

QDialog* TForm_hyzlb::createEditDialog()
{
    return new TForm_hyzlb_edit(this, dm());
}

void TForm_hyzlb::onQuery()
{
    QueryDialog d(customerQueryDialog(), dm(), this);
    InputMethods::applyCurrent(d.control(QStringLiteral("cb客户姓名")));
    Modal::exec(&d);
}

// ---- edit dialog ----

TForm_hyzlb_edit::TForm_hyzlb_edit(QWidget* owner, TDm1* dm)
    : EditDialog(spec(), fields(), dm, owner,
                 {QStringLiteral("客户资料"), QStringLiteral("驾驶员资料"), QStringLiteral("担保人资料"), QStringLiteral("企业资料"),
                  QStringLiteral("照片")})
{
    // One Enter chain per page, each ending in 存盘.
    setEnterChainColumns(
        {"客户号",     "起始日期",       "终止日期",       "客户姓名",       "性别",           "客户类型",   "客户密码", "身份证号",
         "联系电话",   "移动电话",       "家庭住址",       "工作单位",       "应收会费",       "实收会费",   {},         "驾驶员",
         "驾驶员性别", "驾驶员身份证号", "驾驶员联系电话", "驾驶员家庭住址", "驾驶员驾驶证号", "备注",       {},         "担保人",
         "担保人性别", "担保人身份证号", "担保人联系电话", "担保人家庭住址", "担保人工作单位", "与客户关系", {},         "企业名称",
         "企业地址",   "法定代表人",     "企业注册号",     "注册资本",       "组织机构代码"});
    setFirstField(fieldFor(Number)->objectName());

    copyToDriverButton = new QPushButton(QStringLiteral("替换 (&T)"), this);
    copyToDriverButton->setObjectName(QStringLiteral("SpeedButton3"));
    copyToDriverButton->setToolTip(QStringLiteral("客户资料自动替换驾驶员资料"));
    copyToDriverButton->setAutoDefault(false);
    headerRow()->addWidget(copyToDriverButton);
    connect(copyToDriverButton, &QPushButton::clicked, this, &TForm_hyzlb_edit::copyCustomerToDriver);

    // Page 照片: the stored name (never typed), 查看 and the photo.
    fieldFor(PhotoColumn)->setEnabled(false);
    auto* page = PageControl1->widget(4);
    photoPanel = new PhotoPanel(
        QStringLiteral("图片"), [this] { return currentPhotoPath(); }, page);
    if (auto* form = qobject_cast<QFormLayout*>(page->layout()))
        form->addRow(photoPanel);
    photoPanel->showQuietly();
}

QString TForm_hyzlb_edit::currentPhotoPath() const
{
    const RecordSet* q = query();
    const bool has = q->isOpen() && q->currentRow() >= 0;
    return photoPath(has ? q->asString(PhotoColumn) : QString());
}

bool TForm_hyzlb_edit::addGuardPasses()
{
    PageControl1->setCurrentIndex(0);
    return EditDialog::addGuardPasses();
}

bool TForm_hyzlb_edit::moduleChecks()
{
    try {
        const RecordSet* q = query();
        const Rental::CustomerValues values{q->asString(Number), q->asString(Name), q->asDateTime(Col::起始日期),
                                            q->asDateTime(Col::终止日期)};
        if (const auto refusal = Rental::checkCustomer(values))
            return failAt(refusal->message, refusal->column);
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    return true;
}

void TForm_hyzlb_edit::assignBeforeWrite()
{
    query()->setValue(PhotoColumn, query()->asString(Number) + QStringLiteral(".jpg"));
}

void TForm_hyzlb_edit::copyCustomerToDriver()
{
    static const QList<QPair<QString, QString>> copied{
        {Col::驾驶员, Col::客户姓名},         {Col::驾驶员性别, Col::性别},         {Col::驾驶员身份证号, Col::身份证号},
        {Col::驾驶员联系电话, Col::联系电话}, {Col::驾驶员家庭住址, Col::家庭住址},
    };
    if (!query()->isOpen())
        return;
    for (const auto& [driver, own] : copied)
        if (!setColumn(driver, binder()->value(own)))
            return;
}

// ---- customer search ----

namespace {

PickConfig searchConfig()
{
    return {.className = QStringLiteral("TForm_search_kh"),
            .caption = QStringLiteral("查找客户"),
            .query = QStringLiteral("q_hyzlb"),
            .modes = {QStringLiteral("按姓名查找"), QStringLiteral("按代码查找")},
            .columns = {{.field = Col::客户号, .width = 80, .footer = FooterKind::Text, .footerValue = "记录数"},
                        {.field = Col::客户姓名, .width = 90, .footer = FooterKind::Count},
                        {.field = Col::身份证号, .width = 150},
                        {.field = Col::联系电话, .width = 100}},
            .selectLine = QStringLiteral("select * from 客户登记表 "),
            .orderLine = QStringLiteral("order by 客户姓名"),
            .keySelects = true};
}

}  // namespace

TForm_search_kh::TForm_search_kh(EditDialog* target, TDm1* dm, QWidget* owner)
    : PickWindow(searchConfig(), dm, owner), m_target(target)
{
    purposeLabel = new QLabel(this);
    purposeLabel->setObjectName(QStringLiteral("Label1"));
    purposeLabel->setVisible(false);
}

void TForm_search_kh::listAll()
{
    RecordSet* q = query();
    q->close();
    q->clearSql();
    q->addSql(QStringLiteral("select * from 客户登记表 "));
    q->addSql(QStringLiteral("order by 客户姓名"));
    q->open();
}

std::optional<QString> TForm_search_kh::condition(const QString& mode, const QString& text) const
{
    if (mode.isEmpty() || mode == QStringLiteral("按姓名查找"))
        return QStringLiteral("(客户姓名 like '") + sqlText(text) + QStringLiteral("%')");
    if (mode == QStringLiteral("按代码查找"))
        return QStringLiteral("(客户号 like '") + sqlText(text) + QStringLiteral("%')");
    return std::nullopt;
}

void TForm_search_kh::choose()
{
    const QString mode = purposeLabel->text();
    if (mode != QStringLiteral("租赁") && mode != QStringLiteral("预订"))
        return;
    const QString number = query()->asString(Number);
    const QString name = query()->asString(Name);
    m_target->assignColumn(Number, number);
    m_target->assignColumn(Name, name);
    done(QDialog::Accepted);
}

bool TForm_search_kh::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        InputMethods::applyCurrent(searchEdit);
    return PickWindow::event(event);
}

void searchCustomer(EditDialog* caller, TDm1* dm, const QString& mode)
{
    TForm_search_kh search(caller, dm, caller);
    search.purposeLabel->setText(mode);
    if (mode == QStringLiteral("预订"))
        search.setWindowTitle(QStringLiteral("查找客户(预订)"));
    try {
        search.listAll();
    } catch (const DbError& e) {
        Msg::error(caller, e.text());
        return;
    }
    Modal::exec(&search);
    dm->q_hyzlb.close();
    if (QWidget* vehicle = caller->fieldFor(Col::车牌号))
        vehicle->setFocus(Qt::OtherFocusReason);
}
