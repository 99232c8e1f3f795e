#include "admin/qxb.h"
#include "core/password.h"
#include "data/columns.h"
#include "data/datamodule.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"

#include <QSqlQuery>

namespace {
const QStringList rights{Col::系统维护权, Col::日常业务权, Col::其他业务权, Col::统计分析权, Col::财务管理权};
}

// ---- descriptions ----

const ListWindowConfig& TForm_qxb::spec()
{
    static const ListWindowConfig s{
        .className = staticMetaObject.className(),
        .caption = "操作员及权限设置",
        .query = "q_qxb",
        .buttons = {{ListButton::Edit}, {ListButton::Delete}, {ListButton::Print}, {ListButton::Export}, {ListButton::Return}},
        .exportName = "操作员及权限",
        .printTitle = "操作员及权限打印清单",
        .sort = SortMode::MarksOnly,
        .autoWidth = true,
        .autoWidthChecked = true};
    return s;
}

const EditDialogConfig& TForm_qxb_edit::spec()
{
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "操作员及权限编辑 (qxb)",
                                    .query = "q_qxb",
                                    .addGuard = {{"姓名", "姓名不能为空,请重新输入!"}}};
    return s;
}

// ---- windows ----

TForm_qxb::TForm_qxb(QWidget* owner, TDm1* dm) : ListWindow(spec(), dm, owner)
{
    QVector<GridColumn> cols{{.field = Col::姓名, .width = 90, .titleButton = true},
                             {.field = Col::身份证号, .width = 150, .titleButton = true},
                             {.field = Col::联系电话, .width = 100},
                             {.field = Col::输入法, .width = 120}};
    for (const QString& r : rights)
        cols << GridColumn{.field = r, .width = 80};
    setColumns(cols);
}

QDialog* TForm_qxb::createEditDialog()
{
    auto* d = new TForm_qxb_edit(this, dm());
    d->setItemsFor(Col::输入法, InputMethods::installed());
    return d;
}

bool TForm_qxb::deleteAllowed()
{
    // Without any operator nobody could log in at the next start.
    try {
        QSqlQuery q = dm()->ADO_qczl.run(QStringLiteral("select count(*) from 权限表"));
        if (q.next() && q.value(0).toLongLong() <= 1) {
            Msg::warn(this, QStringLiteral("不能删除最后一个操作员,否则将无法登录系统!"));
            return false;
        }
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
    return true;
}

TForm_qxb_edit::TForm_qxb_edit(QWidget* owner, TDm1* dm)
    : EditDialog(
        spec(),
        [] {
            QVector<FieldDef> f{
                {.objectName = "DBEdit1", .label = "姓名：", .column = Col::姓名, .chinese = true},
                {.objectName = "DBEdit2", .label = "身份证号：", .column = Col::身份证号},
                {.objectName = "DBEdit3", .label = "联系电话：", .column = Col::联系电话},
                {.objectName = "DBComboBox1", .label = "输入法：", .column = Col::输入法, .kind = FieldKind::Combo},
                {.objectName = "DBMemo1", .label = "备注：", .column = Col::备注, .kind = FieldKind::Memo, .chinese = true},
            };
            for (int i = 0; i < rights.size(); ++i)
                f << FieldDef{.objectName = QStringLiteral("DBCheckBox%1").arg(i + 1),
                              .label = rights[i] + QStringLiteral("："),
                              .column = rights[i],
                              .kind = FieldKind::Check};
            return f;
        }(),
        dm, owner)
{
    setRequired({{Col::姓名, QStringLiteral("姓名不能为空,请重新输入!")}});
}

void TForm_qxb_edit::initNewRow()
{
    query()->setValue(Col::操作口令, Password::hash(QString()));
}
