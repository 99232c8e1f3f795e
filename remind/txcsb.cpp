#include "remind/txcsb.h"
#include "data/columns.h"
#include "data/recordset.h"
#include "ui/common/inputmethods.h"

#include <QLineEdit>

// ---- descriptions ----

const ListWindowConfig& TForm_txcsb::spec()
{
    using B = ListButton;
    static const ListWindowConfig s{.className = staticMetaObject.className(),
                                    .caption = "提醒功能初始表",
                                    .query = "q_txcsb",
                                    .buttons = {{B::Export}, {B::Edit}, {B::Return}},
                                    .exportName = "提醒功能初始表",
                                    .sort = SortMode::None,
                                    .autoWidth = true,
                                    .autoWidthBox = false,
                                    .columnButtons = false,
                                    .navigator = false,
                                    .maximised = false};
    return s;
}

const EditDialogConfig& TForm_txcsb_edit::spec()
{
    static const EditDialogConfig s{.className = staticMetaObject.className(),
                                    .caption = "提醒功能初始表编辑 (txcsb)",
                                    .query = "q_txcsb",
                                    .buttons = EditButton::AddHidden | EditButton::Save | EditButton::Cancel | EditButton::Close,
                                    .stamps = Stamps::OperatorOnly};
    return s;
}

namespace {
const QString Item = Col::项目;
const QString Lead = Col::期限;
}  // namespace

std::optional<QString> leadRefusal(const QVariant& lead)
{
    bool ok = false;
    const double v = lead.isNull() ? 0 : lead.toString().trimmed().toDouble(&ok);
    if (lead.isNull() || !ok || v <= 0)
        return QStringLiteral("提前提醒单位必须大于零，请重新输入！");
    return std::nullopt;
}

TForm_txcsb::TForm_txcsb(QWidget* owner, TDm1* dm) : ListWindow(spec(), dm, owner)
{
    setColumns({column(Item, QStringLiteral("提醒项目"), 0, false), column(Lead, QStringLiteral("提前提醒单位(天/公里)"), 0, false)});
}

QDialog* TForm_txcsb::createEditDialog()
{
    return new TForm_txcsb_edit(this, dm());
}

TForm_txcsb_edit::TForm_txcsb_edit(QWidget* owner, TDm1* dm)
    : EditDialog(spec(),
                 {{.objectName = "DBEdit1", .label = "提醒项目：", .column = Item, .kind = FieldKind::ReadOnly, .chinese = true},
                  {.objectName = "DBNumberEdit1",
                   .label = "提前提醒单位(天/公里)：",
                   .column = Lead,
                   .kind = FieldKind::Number,
                   .decimals = 0,
                   .maximum = 5000}},
                 dm, owner)
{
    // The fixed name on teal, as a field that is not for typing.
    if (auto* item = qobject_cast<QLineEdit*>(fieldFor(Item))) {
        QPalette p = item->palette();
        p.setColor(QPalette::Base, QColor(0, 128, 128));
        p.setColor(QPalette::Text, Qt::white);
        item->setPalette(p);
        InputMethods::applyCurrent(item);
    }
    setRequired({{Item, QStringLiteral("提醒项目不能为空，请从新输入！")}});
    setEnterChainColumns({Lead});
}

bool TForm_txcsb_edit::moduleChecks()
{
    if (const auto refusal = leadRefusal(query()->value(Lead)))
        return failAt(*refusal, Lead);
    return true;
}
