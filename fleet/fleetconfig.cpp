// The fleet's windows as configuration rows: the vehicle archive and the three registers.
#include "fleet/amounts.h"
#include "fleet/fleet.h"
#include "fleet/registers.h"
#include "data/recordset.h"

namespace {

using B = ListButton;
using K = CriterionKind;
const RequiredField PlateRequired{"车牌号", "车牌号不能为空,请重新输入!"};

QVector<ListWindowConfig> listRows()
{
    const QVector<ButtonDef> registerButtons{{B::Export}, {B::Query}, {B::Edit}, {B::Delete}, {B::Print}, {B::Return}};
    return {
        {.className = "TForm_qcda", .caption = "汽车档案设置", .query = "q_qcda",
         .buttons = {{B::Export}, {B::Edit}, {B::Delete}, {B::Print}, {B::Return}},
         .exportName = "汽车档案", .printTitle = "汽车档案打印清单", .layout = LayoutMode::Full, .cancelOnClose = true},
        {.className = "TForm_hyjlb", .caption = "换油记录登记表", .query = "q_hyjlb", .buttons = registerButtons,
         .exportName = "换油记录表", .printTitle = "换油记录登记表打印清单", .footerSums = {"数量", "金额"},
         .autoWidth = true, .autoWidthChecked = true},
        {.className = "TForm_wxjlb", .caption = "车辆维修记录登记表", .query = "q_wxjlb", .buttons = registerButtons,
         .exportName = "车辆维修记录表", .printTitle = "车辆维修记录登记表打印清单",
         .footerSums = {"材料费", "人工费", "其它费用", "总费用"}, .autoWidth = true, .autoWidthChecked = true},
        {.className = "TForm_sgjlb", .caption = "事故记录登记表", .query = "q_sgjlb", .buttons = registerButtons,
         .exportName = "事故记录表", .printTitle = "事故记录登记表打印清单", .footerSums = {"事故金额", "理赔金额"},
         .autoWidth = true, .autoWidthChecked = true},
    };
}

QVector<EditDialogConfig> editRows()
{
    return {
        {.className = "TForm_qcda_edit", .caption = "汽车档案编辑 (qcda)", .query = "q_qcda", .addGuard = {PlateRequired},
         .uniqueTable = "汽车档案", .uniqueColumn = "车牌号"},
        {.className = "TForm_hyjlb_edit", .caption = "换油记录登记表编辑 (hyjlb)", .query = "q_hyjlb", .addGuard = {PlateRequired}},
        {.className = "TForm_wxjlb_edit", .caption = "车辆维修记录登记表编辑 (wxjlb)", .query = "q_wxjlb",
         .addGuard = {PlateRequired}},
        {.className = "TForm_sgjlb_edit", .caption = "事故记录登记表编辑 (sgjlb)", .query = "q_sgjlb", .addGuard = {PlateRequired}},
    };
}

// Oil changes, repairs and accidents share the shape of their query dialogs.
QueryDialogConfig registerQuery(const QString& cls, const QString& caption, const QString& query, const QString& table,
                                const QString& dateColumn, bool driver)
{
    QueryDialogConfig q{
        .className = cls,
        .caption = caption,
        .query = query,
        .table = table,
        .criteria = {{.objectName = "cb车牌号", .label = "车牌号：", .column = "车牌号", .kind = K::Equals, .combo = true},
                     {.objectName = "cb经办人", .label = "经办人：", .column = "经办人", .kind = K::Equals, .combo = true}},
        .selectLines = {"select * from ", table},
        .orderLine = "order by 车牌号",
        .variant = QueryVariant::AlwaysClose,
        .noCriteriaMessage = "没有输入查询条件,请重新输入!",
        .noCriteriaFocus = "cb车牌号",
        .enterChain = {"cb车牌号", "dt从", "dt到", "cb经办人"},
        .seekCaption = "查询 (&F)",
    };
    if (driver) {
        q.criteria << Criterion{.objectName = "ed驾驶员", .label = "驾驶员：", .column = "驾驶员", .kind = K::Equals};
        q.enterChain << QStringLiteral("ed驾驶员");
    }
    q.criteria << Criterion{.objectName = "dt从", .label = dateColumn + QStringLiteral("  从："), .column = dateColumn,
                            .kind = K::DayRange, .toObjectName = "dt到", .toLabel = "到：",
                            .inputError = rangeInputError(dateColumn), .orderError = rangeOrderError(dateColumn)};
    return q;
}

QVector<QueryDialogConfig> queryRows()
{
    return {
        registerQuery("TForm_hyjlb_cx", "换油查询", "q_hyjlb", "换油记录表", "换油时间", false),
        registerQuery("TForm_wxjlb_cx", "维修查询", "q_wxjlb", "车辆维修记录表", "维修时间", false),
        registerQuery("TForm_sgjlb_cx", "事故查询", "q_sgjlb", "事故登记表", "事故时间", true),
    };
}

const QVector<RegisterConfig>& registers()
{
    static const QVector<RegisterConfig> r{
        {.listClass = "TForm_hyjlb",
         .columns = {{.field = "车牌号", .width = 90, .titleButton = true}, {.field = "公里数", .width = 80, .titleButton = true}, {.field = "换油时间", .width = 90, .titleButton = true}, {.field = "单价", .width = 70}, {.field = "数量", .width = 70},
                     {.field = "金额", .width = 90, .titleButton = true}, {.field = "经办人", .width = 80, .titleButton = true}, {.field = "换油地点", .width = 160, .titleButton = true}},
         .fields = {{.objectName = "DBComboBoxEh1", .label = "车牌号：", .column = "车牌号", .kind = FieldKind::Combo, .chinese = true},
                    {.objectName = "DBNumberEditEh1", .label = "公路里程：", .column = "公里数", .kind = FieldKind::Number,
                     .maximum = 500000},
                    {.objectName = "DBDateTimeEditEh1", .label = "换油时间：", .column = "换油时间", .kind = FieldKind::Date},
                    {.objectName = "DBNumberEditEh2", .label = "单价：", .column = "单价", .kind = FieldKind::Number, .decimals = 4},
                    {.objectName = "DBNumberEditEh3", .label = "数量：", .column = "数量", .kind = FieldKind::Number, .decimals = 4},
                    {.objectName = "DBNumberEditEh4", .label = "金额：", .column = "金额", .kind = FieldKind::ReadOnly},
                    {.objectName = "DBEditEh2", .label = "换油地点：", .column = "换油地点", .chinese = true},
                    {.objectName = "DBComboBoxEh2", .label = "经办人：", .column = "经办人", .kind = FieldKind::Combo, .chinese = true},
                    {.objectName = "DBEditEh4", .label = "备注：", .column = "备注", .chinese = true}},
         .readOnlyAmount = "金额",
         .readOnlyNext = "换油地点",
         .assign = [](RecordSet& q) {
             q.setValue(QStringLiteral("金额"), oilAmount(q.asMoney(QStringLiteral("单价")), q.value(QStringLiteral("数量"))));
         }},
        {.listClass = "TForm_wxjlb",
         .columns = {{.field = "车牌号", .width = 90, .titleButton = true}, {.field = "维修时间", .width = 90, .titleButton = true}, {.field = "修理厂", .width = 160}, {.field = "材料费", .width = 90, .titleButton = true}, {.field = "人工费", .width = 90, .titleButton = true},
                     {.field = "其它费用", .width = 90, .titleButton = true}, {.field = "总费用", .width = 90, .titleButton = true}, {.field = "经办人", .width = 80, .titleButton = true}},
         .fields = {{.objectName = "DBComboBoxEh1", .label = "车牌号：", .column = "车牌号", .kind = FieldKind::Combo, .chinese = true},
                    {.objectName = "DBDateTimeEditEh1", .label = "维修时间：", .column = "维修时间", .kind = FieldKind::Date},
                    {.objectName = "DBEditEh5", .label = "维修内容：", .column = "维修内容", .chinese = true},
                    {.objectName = "DBNumberEditEh1", .label = "材料费：", .column = "材料费", .kind = FieldKind::Number, .decimals = 4},
                    {.objectName = "DBNumberEditEh2", .label = "人工费：", .column = "人工费", .kind = FieldKind::Number, .decimals = 4},
                    {.objectName = "DBNumberEditEh3", .label = "其它费用：", .column = "其它费用", .kind = FieldKind::Number, .decimals = 4},
                    {.objectName = "DBNumberEditEh4", .label = "总费用：", .column = "总费用", .kind = FieldKind::ReadOnly},
                    {.objectName = "DBEditEh2", .label = "修理厂：", .column = "修理厂", .chinese = true},
                    {.objectName = "DBComboBoxEh2", .label = "经办人：", .column = "经办人", .kind = FieldKind::Combo, .chinese = true},
                    {.objectName = "DBEditEh4", .label = "备注：", .column = "备注", .chinese = true}},
         .readOnlyAmount = "总费用",
         .readOnlyNext = "修理厂",
         .assign = [](RecordSet& q) {
             q.setValue(QStringLiteral("总费用"), repairTotal(q.asMoney(QStringLiteral("材料费")), q.asMoney(QStringLiteral("人工费")),
                                                           q.asMoney(QStringLiteral("其它费用"))));
         }},
        {.listClass = "TForm_sgjlb",
         .columns = {{.field = "车牌号", .width = 90, .titleButton = true}, {.field = "客户姓名", .width = 90, .titleButton = true}, {.field = "驾驶员", .width = 80}, {.field = "事故时间", .width = 90, .titleButton = true},
                     {.field = "事故地点", .width = 160}, {.field = "事故金额", .width = 90}, {.field = "理赔金额", .width = 90, .titleButton = true}, {.field = "理赔时间", .width = 90, .titleButton = true},
                     {.field = "经办人", .width = 80, .titleButton = true}},
         .fields = {{.objectName = "DBComboBoxEh1", .label = "车牌号：", .column = "车牌号", .kind = FieldKind::Combo},
                    {.objectName = "DBEditEh6", .label = "驾驶员：", .column = "驾驶员", .chinese = true},
                    {.objectName = "DBEditEh5", .label = "客户姓名：", .column = "客户姓名", .chinese = true},
                    {.objectName = "DBComboBoxEh2", .label = "经办人：", .column = "经办人", .kind = FieldKind::Combo, .chinese = true},
                    {.objectName = "DBNumberEditEh3", .label = "事故金额：", .column = "事故金额", .kind = FieldKind::Number, .decimals = 4},
                    // Shown but not entered: nothing in the system writes the insurer's payment yet.
                    {.objectName = "DBNumberEditEh4", .label = "理赔金额：", .column = "理赔金额", .kind = FieldKind::ReadOnly},
                    {.objectName = "DBDateTimeEditEh1", .label = "事故时间：", .column = "事故时间", .kind = FieldKind::Date},
                    {.objectName = "DBEditEh2", .label = "事故地点：", .column = "事故地点", .chinese = true},
                    {.objectName = "DBEditEh1", .label = "事故情况：", .column = "事故情况", .chinese = true},
                    {.objectName = "DBEditEh3", .label = "事故处理：", .column = "事故处理", .chinese = true},
                    {.objectName = "DBEditEh4", .label = "备注：", .column = "备注", .chinese = true}},
         // The read-only payment field is a stop of the chain like the others.
         .enterChain = {"车牌号", "驾驶员", "客户姓名", "经办人", "事故金额", "理赔金额", "事故时间", "事故地点", "事故情况",
                        "事故处理", "备注"},
         .readOnlyAmount = "理赔金额"},
    };
    return r;
}

} // namespace

const RegisterConfig* registerConfig(const QString& listClass)
{
    for (const RegisterConfig& r : registers())
        if (r.listClass == listClass)
            return &r;
    return nullptr;
}

void addFleetConfigs()
{
    addListWindowConfigs(listRows());
    addEditDialogConfigs(editRows());
    addQueryDialogConfigs(queryRows());
}
