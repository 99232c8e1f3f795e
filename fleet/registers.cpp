#include "fleet/registers.h"
#include "data/datamodule.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"

#include <QKeyEvent>

namespace {

QStringList columnItems(RecordSet& set, const QStringList& sql, const QString& column)
{
    set.close();
    set.clearSql();
    for (const QString& line : sql)
        set.addSql(line);
    set.open();
    QStringList items;
    struct Detach {
        RecordSet& s;
        explicit Detach(RecordSet& set) : s(set) { s.disableControls(); }
        ~Detach() { s.enableControls(); }
    } detach(set);
    for (set.first(); !set.eof(); set.next())
        items << set.asString(column);
    set.close();
    return items;
}

} // namespace

FieldDef fieldDef(const char* objectName, const char* label, const char* column, FieldKind kind, bool chinese,
                    int decimals)
{
    FieldDef s;
    s.objectName = QString::fromUtf8(objectName);
    s.label = QString::fromUtf8(label);
    s.column = QString::fromUtf8(column);
    s.kind = kind;
    s.chinese = chinese;
    s.decimals = decimals;
    return s;
}

QStringList plateItems(TDm1* dm)
{
    return columnItems(dm->q_qcda,
                       {QStringLiteral("select * from "), QStringLiteral("汽车档案"), QStringLiteral("order by 车牌号")},
                       QStringLiteral("车牌号"));
}

QStringList handlerItems(TDm1* dm)
{
    return columnItems(dm->q_jbr, {QStringLiteral("select * from 经办人信息"), QStringLiteral("order by 经办人姓名")},
                       QStringLiteral("经办人姓名"));
}

RegisterWindow::RegisterWindow(const QString& className, TDm1* dm, QWidget* owner)
    : ListWindow(*listWindowConfig(className), dm, owner)
{
}

QDialog* RegisterWindow::createEditDialog()
{
    // An empty list opens the dialog too: it can add the first row.
    EditDialog* d = makeEditDialog();
    try {
        d->setItems(PlateBox, plateItems(dm()));
        d->setItems(HandlerBox, handlerItems(dm()));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        delete d;
        return nullptr;
    }
    return d;
}

void RegisterWindow::onQuery()
{
    QueryDialog* d = makeQueryDialog();
    try {
        for (const QString& name : {QStringLiteral("cb车牌号"), QStringLiteral("cb经办人")})
            InputMethods::applyCurrent(d->control(name));
        d->setItems(QStringLiteral("cb车牌号"), plateItems(dm()));
        d->setItems(QStringLiteral("cb经办人"), handlerItems(dm()));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        delete d;
        return;
    }
    Modal::exec(d);
    delete d;
}

RegisterEditDialog::RegisterEditDialog(const QString& className, const QVector<FieldDef>& fields, TDm1* dm,
                                       QWidget* owner)
    : EditDialog(*editDialogConfig(className), fields, dm, owner)
{
    setRequired({{QStringLiteral("车牌号"), QStringLiteral("车牌号不能为空,请重新输入!"), PlateBox}});
}

void RegisterEditDialog::setReadOnlyEnter(const QString& readOnlyField, const QString& next)
{
    m_readOnly = readOnlyField;
    m_readOnlyNext = next;
    if (QWidget* w = field(readOnlyField)) {
        w->setFocusPolicy(Qt::StrongFocus);
        w->installEventFilter(this);
    }
}

bool RegisterEditDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && !m_readOnly.isEmpty() && watched == field(m_readOnly)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusField(m_readOnlyNext);
            return true;
        }
    }
    return EditDialog::eventFilter(watched, event);
}

RegisterQueryDialog::RegisterQueryDialog(const QString& className, TDm1* dm, QWidget* owner)
    : QueryDialog(*queryDialogConfig(className), dm, owner)
{
}
