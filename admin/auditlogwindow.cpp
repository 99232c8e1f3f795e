#include "admin/auditlogwindow.h"
#include "data/auditlog.h"
#include "data/columns.h"
#include "data/datamodule.h"
#include "data/lookups.h"
#include "data/versions.h"
#include "ui/common/messages.h"
#include "ui/records/windowspec.h"

namespace {
const QString Operators = QStringLiteral("cb操作员");
const QString Tables = QStringLiteral("cb表名");
}  // namespace

const ListWindowConfig& AuditLogWindow::spec()
{
    static const ListWindowConfig s{.className = staticMetaObject.className(),
                                    .caption = "操作日志",
                                    .query = "q_auditlog",
                                    .buttons = {{ListButton::Export}, {ListButton::Query}, {ListButton::Print}, {ListButton::Return}},
                                    .exportName = "操作日志",
                                    .printTitle = "操作日志打印清单",
                                    .autoWidth = false,
                                    .autoWidthChecked = false,
                                    .doubleClickEdits = false,
                                    .queryDialog = "AuditLogQueryDialog"};
    return s;
}

const QueryDialogConfig& AuditLogWindow::querySpec()
{
    using K = CriterionKind;
    static const QString table = Versions::auditTable();
    static const QueryDialogConfig s{
        .className = "AuditLogQueryDialog",
        .caption = "操作日志查询",
        .query = "q_auditlog",
        .table = table,
        .criteria = {{.objectName = "dt从",
                      .label = "操作时间  从：",
                      .column = Col::操作时间,
                      .kind = K::DayRange,
                      .toObjectName = "dt到",
                      .toLabel = "到：",
                      .inputError = rangeInputError(Col::操作时间),
                      .orderError = rangeOrderError(Col::操作时间)},
                     {.objectName = Operators, .label = "操作员：", .column = Col::操作员, .kind = K::Equals, .combo = true},
                     {.objectName = Tables, .label = "表名：", .column = Col::表名, .kind = K::Equals, .combo = true},
                     {.objectName = "ed记录编号", .label = "记录编号：", .column = Col::记录编号, .kind = K::StartsWith}},
        .selectLines = {"select * from ", table},
        .orderLine = "order by 操作时间 desc",
        .variant = QueryVariant::AlwaysClose,
        .noCriteriaMessage = "没有输入查询条件,请重新输入!",
        .noCriteriaFocus = "dt从",
        .enterChain = {"dt从", "dt到", Operators, Tables, "ed记录编号"},
        .seekCaption = "查询 (&F)",
    };
    return s;
}

AuditLogWindow::AuditLogWindow(QWidget* owner, TDm1* dm) : ListWindow(spec(), dm, owner)
{
    setColumns({{.field = Col::操作时间, .width = 130, .titleButton = true},
                {.field = Col::操作员, .width = 80, .titleButton = true},
                {.field = Col::工作站, .width = 100},
                {.field = Col::表名, .width = 100, .titleButton = true},
                {.field = Col::记录编号, .width = 100, .titleButton = true},
                {.field = Col::操作类型, .width = 60},
                {.field = Col::字段名, .width = 100},
                {.field = Col::原值, .width = 180},
                {.field = Col::新值, .width = 180}});
}

void AuditLogWindow::prepareQueryDialog(QueryDialog* dialog)
{
    try {
        dialog->setItems(Operators, Lookups::column(dm()->ADO_qczl, QStringLiteral("权限表"), Col::姓名, Col::姓名));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
    dialog->setItems(Tables, AuditLog::auditedTables());
}

void registerAuditLogWindows()
{
    registerWindow<AuditLogWindow>();
    addQueryDialogConfigs({AuditLogWindow::querySpec()});
}
