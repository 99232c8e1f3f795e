#include "fleet/registers.h"
#include "data/columns.h"
#include "data/datamodule.h"
#include "data/lookups.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/common/modal.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {
const QString Plate = Col::车牌号;
const QString Handler = Col::经办人;
}

Money oilAmount(Money unitPrice, const QVariant& quantity)
{
    if (!quantity.isValid() || quantity.isNull()
        || (quantity.metaType().id() == QMetaType::QString && quantity.toString().trimmed().isEmpty()))
        return Money();
    if (const auto amount = unitPrice.times(quantity))
        return *amount;
    throw DbError(QStringLiteral("'%1' 不是有效的数值或金额超出范围").arg(quantity.toString()));
}

RegisterWindow::RegisterWindow(const RegisterConfig& config, TDm1* dm, QWidget* owner)
    : ListWindow(config.list, dm, owner), m_register(config)
{
    setColumns(config.columns);
}

QDialog* RegisterWindow::createEditDialog()
{
    // An empty list opens the dialog too: it can add the first row.
    auto* d = new RegisterEditDialog(m_register, dm(), this);
    try {
        d->setItemsFor(Plate, Lookups::plates(dm()->ADO_qczl));
        d->setItemsFor(Handler, Lookups::handlers(dm()->ADO_qczl));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        delete d;
        return nullptr;
    }
    return d;
}

void RegisterWindow::onQuery()
{
    QueryDialog d(m_register.query, dm(), this);
    try {
        for (const QString& name : {QStringLiteral("cb车牌号"), QStringLiteral("cb经办人")})
            InputMethods::applyCurrent(d.control(name));
        d.setItems(QStringLiteral("cb车牌号"), Lookups::plates(dm()->ADO_qczl));
        d.setItems(QStringLiteral("cb经办人"), Lookups::handlers(dm()->ADO_qczl));
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return;
    }
    Modal::exec(&d);
}

RegisterEditDialog::RegisterEditDialog(const RegisterConfig& config, TDm1* dm, QWidget* owner)
    : EditDialog(config.edit, config.fields, dm, owner), m_register(config)
{
    setRequired({{Plate, QStringLiteral("车牌号不能为空,请重新输入!")}});
    if (!config.enterChain.isEmpty())
        setEnterChainColumns(config.enterChain);
    if (auto* amount = qobject_cast<QLineEdit*>(fieldFor(config.readOnlyAmount))) {
        amount->setAlignment(Qt::AlignRight);
        amount->setFocusPolicy(Qt::StrongFocus);
        if (!config.readOnlyNext.isEmpty())
            amount->installEventFilter(this);
    }
}

void RegisterEditDialog::assignBeforeWrite()
{
    if (m_register.assign)
        m_register.assign(*query());
}

bool RegisterEditDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && !m_register.readOnlyNext.isEmpty() && watched == fieldFor(m_register.readOnlyAmount)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusColumn(m_register.readOnlyNext);
            return true;
        }
    }
    return EditDialog::eventFilter(watched, event);
}
