// The oil change, repair and accident registers: each class's description (its list, edit and query
// rows with its columns and fields) beside the class, on the shared shapes of the three.
#include "fleet/amounts.h"
#include "data/columns.h"
#include "fleet/registers.h"
#include "data/recordset.h"

namespace {

using B = ListButton;
using K = CriterionKind;
const RequiredField PlateRequired{"车牌号", "车牌号不能为空,请重新输入!"};

// The three registers share the shape of their list windows.
ListWindowConfig registerList(const QString& cls, const QString& caption, const QString& query, const QString& exportName,
                              const QString& printTitle, const QStringList& sums)
{
    return {.className = cls,
            .caption = caption,
            .query = query,
            .buttons = {{B::Export}, {B::Query}, {B::Edit}, {B::Delete}, {B::Print}, {B::Return}},
            .exportName = exportName,
            .printTitle = printTitle,
            .footerSums = sums,
            .autoWidth = true,
            .autoWidthChecked = true};
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
        .criteria = {{.objectName = "cb车牌号", .label = "车牌号：", .column = Col::车牌号, .kind = K::Equals, .combo = true},
                     {.objectName = "cb经办人", .label = "经办人：", .column = Col::经办人, .kind = K::Equals, .combo = true}},
        .selectLines = {"select * from ", table},
        .orderLine = "order by 车牌号",
        .variant = QueryVariant::AlwaysClose,
        .noCriteriaMessage = "没有输入查询条件,请重新输入!",
        .noCriteriaFocus = "cb车牌号",
        .enterChain = {"cb车牌号", "dt从", "dt到", "cb经办人"},
        .seekCaption = "查询 (&F)",
    };
    if (driver) {
        q.criteria << Criterion{.objectName = "ed驾驶员", .label = "驾驶员：", .column = Col::驾驶员, .kind = K::Equals};
        q.enterChain << QStringLiteral("ed驾驶员");
    }
    q.criteria << Criterion{.objectName = "dt从",
                            .label = dateColumn + QStringLiteral("  从："),
                            .column = dateColumn,
                            .kind = K::DayRange,
                            .toObjectName = "dt到",
                            .toLabel = "到：",
                            .inputError = rangeInputError(dateColumn),
                            .orderError = rangeOrderError(dateColumn)};
    return q;
}

}  // namespace

const RegisterConfig& TForm_hyjlb::spec()
{
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const RegisterConfig s{
        .list = registerList(cls, "换油记录登记表", "q_hyjlb", "换油记录表", "换油记录登记表打印清单", {"数量", "金额"}),
        .edit = {.className = cls + "_edit", .caption = "换油记录登记表编辑 (hyjlb)", .query = "q_hyjlb", .addGuard = {PlateRequired}},
        .query = registerQuery(cls + "_cx", "换油查询", "q_hyjlb", "换油记录表", "换油时间", false),
        .columns = {{.field = Col::车牌号, .width = 90, .titleButton = true},
                    {.field = Col::公里数, .width = 80, .titleButton = true},
                    {.field = Col::换油时间, .width = 90, .titleButton = true},
                    {.field = Col::单价, .width = 70},
                    {.field = Col::数量, .width = 70},
                    {.field = Col::金额, .width = 90, .titleButton = true},
                    {.field = Col::经办人, .width = 80, .titleButton = true},
                    {.field = Col::换油地点, .width = 160, .titleButton = true}},
        .fields =
            {{.objectName = "DBComboBoxEh1", .label = "车牌号：", .column = Col::车牌号, .kind = FieldKind::Combo, .chinese = true},
             {.objectName = "DBNumberEditEh1",
              .label = "公路里程：",
              .column = Col::公里数,
              .kind = FieldKind::Number,
              .maximum = 500000},
             {.objectName = "DBDateTimeEditEh1", .label = "换油时间：", .column = Col::换油时间, .kind = FieldKind::Date},
             {.objectName = "DBNumberEditEh2", .label = "单价：", .column = Col::单价, .kind = FieldKind::Number, .decimals = 4},
             {.objectName = "DBNumberEditEh3", .label = "数量：", .column = Col::数量, .kind = FieldKind::Number, .decimals = 4},
             {.objectName = "DBNumberEditEh4", .label = "金额：", .column = Col::金额, .kind = FieldKind::ReadOnly},
             {.objectName = "DBEditEh2", .label = "换油地点：", .column = Col::换油地点, .chinese = true},
             {.objectName = "DBComboBoxEh2", .label = "经办人：", .column = Col::经办人, .kind = FieldKind::Combo, .chinese = true},
             {.objectName = "DBEditEh4", .label = "备注：", .column = Col::备注, .chinese = true}},
        .readOnlyAmount = Col::金额,
        .readOnlyNext = Col::换油地点,
        .assign = [](RecordSet& q) { q.setValue(Col::金额, oilAmount(q.asMoney(Col::单价), q.value(Col::数量))); }};
    return s;
}

const RegisterConfig& TForm_wxjlb::spec()
{
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const RegisterConfig s{
        .list = registerList(cls, "车辆维修记录登记表", "q_wxjlb", "车辆维修记录表", "车辆维修记录登记表打印清单",
                             {"材料费", "人工费", "其它费用", "总费用"}),
        .edit = {.className = cls + "_edit",
                 .caption = "车辆维修记录登记表编辑 (wxjlb)",
                 .query = "q_wxjlb",
                 .addGuard = {PlateRequired}},
        .query = registerQuery(cls + "_cx", "维修查询", "q_wxjlb", "车辆维修记录表", "维修时间", false),
        .columns = {{.field = Col::车牌号, .width = 90, .titleButton = true},
                    {.field = Col::维修时间, .width = 90, .titleButton = true},
                    {.field = Col::修理厂, .width = 160},
                    {.field = Col::材料费, .width = 90, .titleButton = true},
                    {.field = Col::人工费, .width = 90, .titleButton = true},
                    {.field = Col::其它费用, .width = 90, .titleButton = true},
                    {.field = Col::总费用, .width = 90, .titleButton = true},
                    {.field = Col::经办人, .width = 80, .titleButton = true}},
        .fields =
            {{.objectName = "DBComboBoxEh1", .label = "车牌号：", .column = Col::车牌号, .kind = FieldKind::Combo, .chinese = true},
             {.objectName = "DBDateTimeEditEh1", .label = "维修时间：", .column = Col::维修时间, .kind = FieldKind::Date},
             {.objectName = "DBEditEh5", .label = "维修内容：", .column = Col::维修内容, .chinese = true},
             {.objectName = "DBNumberEditEh1", .label = "材料费：", .column = Col::材料费, .kind = FieldKind::Number, .decimals = 4},
             {.objectName = "DBNumberEditEh2", .label = "人工费：", .column = Col::人工费, .kind = FieldKind::Number, .decimals = 4},
             {.objectName = "DBNumberEditEh3", .label = "其它费用：", .column = Col::其它费用, .kind = FieldKind::Number, .decimals = 4},
             {.objectName = "DBNumberEditEh4", .label = "总费用：", .column = Col::总费用, .kind = FieldKind::ReadOnly},
             {.objectName = "DBEditEh2", .label = "修理厂：", .column = Col::修理厂, .chinese = true},
             {.objectName = "DBComboBoxEh2", .label = "经办人：", .column = Col::经办人, .kind = FieldKind::Combo, .chinese = true},
             {.objectName = "DBEditEh4", .label = "备注：", .column = Col::备注, .chinese = true}},
        .readOnlyAmount = Col::总费用,
        .readOnlyNext = Col::修理厂,
        .assign = [](RecordSet& q) {
            q.setValue(Col::总费用, repairTotal(q.asMoney(Col::材料费), q.asMoney(Col::人工费), q.asMoney(Col::其它费用)));
        }};
    return s;
}

const RegisterConfig& TForm_sgjlb::spec()
{
    static const QString cls = QString::fromLatin1(staticMetaObject.className());
    static const RegisterConfig s{
        .list = registerList(cls, "事故记录登记表", "q_sgjlb", "事故记录表", "事故记录登记表打印清单", {"事故金额", "理赔金额"}),
        .edit = {.className = cls + "_edit", .caption = "事故记录登记表编辑 (sgjlb)", .query = "q_sgjlb", .addGuard = {PlateRequired}},
        .query = registerQuery(cls + "_cx", "事故查询", "q_sgjlb", "事故登记表", "事故时间", true),
        .columns = {{.field = Col::车牌号, .width = 90, .titleButton = true},
                    {.field = Col::客户姓名, .width = 90, .titleButton = true},
                    {.field = Col::驾驶员, .width = 80},
                    {.field = Col::事故时间, .width = 90, .titleButton = true},
                    {.field = Col::事故地点, .width = 160},
                    {.field = Col::事故金额, .width = 90},
                    {.field = Col::理赔金额, .width = 90, .titleButton = true},
                    {.field = Col::理赔时间, .width = 90, .titleButton = true},
                    {.field = Col::经办人, .width = 80, .titleButton = true}},
        .fields =
            {{.objectName = "DBComboBoxEh1", .label = "车牌号：", .column = Col::车牌号, .kind = FieldKind::Combo},
             {.objectName = "DBEditEh6", .label = "驾驶员：", .column = Col::驾驶员, .chinese = true},
             {.objectName = "DBEditEh5", .label = "客户姓名：", .column = Col::客户姓名, .chinese = true},
             {.objectName = "DBComboBoxEh2", .label = "经办人：", .column = Col::经办人, .kind = FieldKind::Combo, .chinese = true},
             {.objectName = "DBNumberEditEh3", .label = "事故金额：", .column = Col::事故金额, .kind = FieldKind::Number, .decimals = 4},
             // Shown but not entered: nothing in the system writes the insurer's payment yet.
             {.objectName = "DBNumberEditEh4", .label = "理赔金额：", .column = Col::理赔金额, .kind = FieldKind::ReadOnly},
             {.objectName = "DBDateTimeEditEh1", .label = "事故时间：", .column = Col::事故时间, .kind = FieldKind::Date},
             {.objectName = "DBEditEh2", .label = "事故地点：", .column = Col::事故地点, .chinese = true},
             {.objectName = "DBEditEh1", .label = "事故情况：", .column = Col::事故情况, .chinese = true},
             {.objectName = "DBEditEh3", .label = "事故处理：", .column = Col::事故处理, .chinese = true},
             {.objectName = "DBEditEh4", .label = "备注：", .column = Col::备注, .chinese = true}},
        // The read-only payment field is a stop of the chain like the others.
        .enterChain = {"车牌号", "驾驶员", "客户姓名", "经办人", "事故金额", "理赔金额", "事故时间", "事故地点", "事故情况",
                       "事故处理", "备注"},
        .readOnlyAmount = Col::理赔金额};
    return s;
}


void describeWindow(const RegisterConfig& config)
{
    addListWindowConfigs({config.list});
    addEditDialogConfigs({config.edit});
    addQueryDialogConfigs({config.query});
}
