#include "ui/records/editdialog.h"
#include "core/clock.h"
#include "core/dates.h"
#include "core/session.h"
#include "core/sqltext.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/records/writefailure.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>


EditDialog::EditDialog(const EditDialogConfig& config, const QVector<FieldDef>& fields, TDm1* dm, QWidget* owner,
                       const QStringList& pageTitles)
    : QDialog(owner), m_config(config), m_dm(dm), m_query(dm->query(config.query))
{
    Q_ASSERT(m_query);
    setObjectName(config.className.mid(1));
    setProperty("windowClass", config.className);
    setWindowTitle(config.caption);
    // Fixed border, no title-bar buttons: the only way out is 返回.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);

    auto* outer = new QHBoxLayout(this);
    QVector<QFormLayout*> forms;
    if (!pageTitles.isEmpty()) {
        PageControl1 = new QTabWidget(this);
        PageControl1->setObjectName(QStringLiteral("PageControl1"));
        for (const QString& t : pageTitles) {
            auto* page = new QWidget(PageControl1);
            forms << new QFormLayout(page);
            PageControl1->addTab(page, t);
        }
        // Fields of page -1 stand in one row above the pages.
        auto* left = new QVBoxLayout;
        m_header = new QHBoxLayout;
        left->addLayout(m_header);
        left->addWidget(PageControl1, 1);
        outer->addLayout(left, 1);
    } else {
        forms << new QFormLayout;
        outer->addLayout(forms.first(), 1);
    }

    m_binder = new RecordBinder(m_query, this);
    for (const FieldDef& f : fields) {
        QWidget* w = RecordBinder::createWidget(f, this);
        if (f.chinese)
            InputMethods::applyCurrent(w);
        if (f.page < 0 && m_header) {
            if (auto* box = qobject_cast<QCheckBox*>(w))
                box->setText(f.label);
            else if (!f.label.isEmpty()) {
                auto* label = new QLabel(f.label, this);
                label->setBuddy(w);  // names the field for screen readers, as a form row does
                m_header->addWidget(label);
            }
            m_header->addWidget(w);
        } else {
            forms.value(f.page, forms.first())->addRow(f.label, w);
        }
        m_binder->bind(w, f);
    }
    connect(m_binder, &RecordBinder::edited, this, &EditDialog::edited);
    connect(m_binder, &RecordBinder::editRefused, this, [this](const QString& text) { Msg::error(this, text); });

    auto* buttons = new QVBoxLayout;
    m_buttons = buttons;
    using namespace EditButton;
    if (config.buttons & (Add | AddHidden)) {
        addButton = makeButton(QStringLiteral("bitbtn_add"), QStringLiteral("增加 (&A)"));
        addButton->setVisible(!(config.buttons & AddHidden));
        buttons->addWidget(addButton);
        connect(addButton, &QPushButton::clicked, this, &EditDialog::onAdd);
    }
    if (config.buttons & Save) {
        saveButton = makeButton(QStringLiteral("bitbtn_save"), QStringLiteral("存盘 (&S)"));
        buttons->addWidget(saveButton);
        connect(saveButton, &QPushButton::clicked, this, &EditDialog::onSave);
    }
    if (config.buttons & Cancel) {
        cancelButton = makeButton(QStringLiteral("bitbtn_cancel"), QStringLiteral("取消 (&C)"));
        buttons->addWidget(cancelButton);
        connect(cancelButton, &QPushButton::clicked, this, &EditDialog::onCancel);
    }
    if (config.buttons & Close) {
        closeButton = makeButton(QStringLiteral("bitbtn_close"), QStringLiteral("返回 (&R)"));
        buttons->addWidget(closeButton);
        connect(closeButton, &QPushButton::clicked, this, &EditDialog::onClose);
    }
    buttons->addStretch(1);
    outer->addLayout(buttons);

    QStringList chain;
    for (const FieldBinding* b : m_binder->bindings())
        if (b->def().kind != FieldKind::ReadOnly)
            chain << b->widget()->objectName();
    setEnterChain(chain);

    loadFields();
}

QPushButton* EditDialog::makeButton(const QString& objectName, const QString& caption)
{
    auto* b = new QPushButton(caption, this);
    b->setObjectName(objectName);
    b->setFlat(true);
    b->setAutoDefault(false);
    return b;
}

QVector<QPushButton*> EditDialog::addFieldButtons(const QVector<std::pair<QString, QString>>& buttons)
{
    QVector<QPushButton*> made;
    auto* row = new QHBoxLayout;
    for (const auto& [objectName, caption] : buttons) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(objectName);
        b->setAutoDefault(false);
        row->addWidget(b);
        made << b;
    }
    if (auto* form = findChild<QFormLayout*>())
        form->addRow(QString(), row);
    else
        delete row;
    return made;
}

bool EditDialog::adding() const
{
    return addButton && !addButton->isEnabled() && closeButton && !closeButton->isEnabled();
}

void EditDialog::setAdding(bool on)
{
    if (addButton)
        addButton->setEnabled(!on);
    if (closeButton)
        closeButton->setEnabled(!on);
}

QWidget* EditDialog::field(const QString& objectName) const
{
    for (const FieldBinding* b : m_binder->bindings())
        if (b->widget()->objectName() == objectName)
            return b->widget();
    return nullptr;
}

QWidget* EditDialog::fieldFor(const QString& column) const
{
    return m_binder->widgetFor(column);
}

QString EditDialog::fieldText(const QString& objectName) const
{
    const FieldBinding* b = m_binder->bindingOf(field(objectName));
    return b ? b->text() : QString();
}

QString EditDialog::textFor(const QString& column) const
{
    const FieldBinding* b = m_binder->binding(column);
    return b ? b->text() : QString();
}

void EditDialog::setItemsFor(const QString& column, const QStringList& items)
{
    m_binder->setItems(column, items);
}

void EditDialog::setLookupItems(const QString& column, const QVector<LookupItem>& items)
{
    m_binder->setLookupItems(column, items);
}

FieldBinding* EditDialog::bindField(QWidget* widget, const FieldDef& def)
{
    FieldBinding* b = m_binder->bind(widget, def);
    if (def.kind != FieldKind::ReadOnly)
        setEnterChain(m_chain + QStringList{widget->objectName()});
    return b;
}

void EditDialog::setEnterChainColumns(const QStringList& columns)
{
    QStringList chain;
    for (const QString& c : columns) {
        if (c.isEmpty())
            chain << QString();
        else if (QWidget* w = fieldFor(c))
            chain << w->objectName();
    }
    setEnterChain(chain);
}

void EditDialog::setEnterChain(const QStringList& chain)
{
    for (const QString& name : m_chain)
        if (QWidget* w = field(name))
            w->removeEventFilter(this);
    m_chain = chain;
    for (const QString& name : m_chain)
        if (QWidget* w = field(name))
            w->installEventFilter(this);
    if (m_firstField.isEmpty() && !chain.isEmpty())
        m_firstField = chain.first();
}

// ---- binding ----

void EditDialog::commitFields()
{
    m_binder->commit();
}

void EditDialog::loadFields()
{
    m_binder->load();
}

void EditDialog::discard()
{
    if (m_query->isOpen())
        m_query->cancel();
    m_binder->discard();
}

// ---- steps ----

void EditDialog::assignColumn(const QString& column, const QVariant& value)
{
    if (m_query->state() == RecordSet::Browse)
        m_query->edit();
    m_query->setValue(column, value);
    for (FieldBinding* b : m_binder->bindings()) {
        if (b->column() == column) {
            b->setDirty(false);
            b->load(m_query);
        }
    }
}

bool EditDialog::setColumn(const QString& column, const QVariant& value)
{
    try {
        assignColumn(column, value);
        return true;
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return false;
    }
}

bool EditDialog::fail(const QString& message, const QString& focusObjectName)
{
    Msg::warn(this, message);
    focusField(focusObjectName);
    return false;
}

bool EditDialog::failAt(const QString& message, const QString& column)
{
    QWidget* w = fieldFor(column);
    return fail(message, w ? w->objectName() : QString());
}

void EditDialog::focusColumn(const QString& column)
{
    if (QWidget* w = fieldFor(column))
        focusField(w->objectName());
}

void EditDialog::focusField(const QString& objectName)
{
    QWidget* w = field(objectName);
    if (!w)
        return;
    if (PageControl1) {
        for (int i = 0; i < PageControl1->count(); ++i)
            if (PageControl1->widget(i)->isAncestorOf(w))
                PageControl1->setCurrentIndex(i);
    }
    w->setFocus(Qt::OtherFocusReason);
}

bool EditDialog::addGuardPasses()
{
    for (const RequiredField& g : m_config.addGuard) {
        if (!m_query->isOpen() || m_query->asString(g.column).isEmpty()) {
            QWidget* w = g.focus.isEmpty() ? fieldFor(g.column) : field(g.focus);
            return fail(g.message, w ? w->objectName() : QString());
        }
    }
    return true;
}

void EditDialog::onAdd()
{
    try {
        if (m_config.discardFirst)
            discard();
        else
            commitFields();
        if (!addGuardPasses())
            return;
        beforeAppend();
        // Pending changes of the current row are written as they stand (no checks, no stamps).
        m_query->append();
        initNewRow();
        setAdding(true);
        if (PageControl1)
            PageControl1->setCurrentIndex(0);
        focusField(m_firstField);
    } catch (const DbError& e) {
        reportWriteFailure(this, e, WriteAction::Save);
    }
}

bool EditDialog::duplicateTest()
{
    if (m_config.uniqueColumn.isEmpty())
        return true;
    QWidget* keyField = fieldFor(m_config.uniqueColumn);
    const QString key = keyField ? fieldText(keyField->objectName()) : m_query->asString(m_config.uniqueColumn);
    RecordSet& s = m_dm->q_search;
    s.close();
    s.clearSql();
    s.addSql(QStringLiteral("select * from "));
    s.addSql(m_config.uniqueTable + QLatin1Char(' '));
    s.addSql(QStringLiteral("where ") + m_config.uniqueColumn + QStringLiteral("='") + sqlText(key) + QLatin1Char('\''));
    s.open();
    const int count = s.recordCount();
    // The row being edited counts itself once, unless its key was changed: then the new key must
    // be free, or two rows would end up with the same key.
    const bool keyChanged = m_query->state() == RecordSet::Insert
                            || key.compare(m_query->storedValue(m_config.uniqueColumn).toString(), Qt::CaseInsensitive) != 0;
    if (adding() || keyChanged ? count >= 1 : count >= 2) {
        Msg::show(this, {QStringLiteral("提示"),
                         m_config.uniqueColumn + QStringLiteral("重复,请重新输入!"),
                         Msg::Icon::Information,
                         {Msg::Button::Ok},
                         Msg::Button::Ok});
        s.close();
        if (keyField)
            focusField(keyField->objectName());
        return false;
    }
    return true;
}

void EditDialog::onSave()
{
    // S1: the row into editing (a new row in an empty query), the typed text into the row, then the
    // values empty columns take.
    try {
        if (m_query->state() == RecordSet::Browse)
            m_query->edit();
        commitFields();
        fillDefaults();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return;
    }
    // S2, S3: the module's checks in order.
    if (savePage() >= 0 && PageControl1)
        PageControl1->setCurrentIndex(savePage());
    for (const RequiredField& r : m_required) {
        if (m_query->asString(r.column).trimmed().isEmpty()) {
            QWidget* w = r.focus.isEmpty() ? fieldFor(r.column) : field(r.focus);
            fail(r.message, w ? w->objectName() : QString());
            return;
        }
    }
    if (!moduleChecks())
        return;
    // S4: duplicate key.
    try {
        if (!duplicateTest())
            return;
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return;
    }
    // What the clerk is asked and what is computed into the row, once the checks have passed.
    if (!prepareWrite())
        return;
    // S5: one transaction for the row and its follow-up writes. A refusal rolls everything back,
    // says why, and leaves what was typed in place for another 存盘.
    bool saved = false;
    try {
        m_query->edit();
        if (m_config.stamps != Stamps::None && m_query->hasField(Col::操作员))
            m_query->setValue(Col::操作员, Session::currentOperator().name);
        if (m_config.stamps == Stamps::Both && m_query->hasField(Col::操作日期))
            m_query->setValue(Col::操作日期, Clock::now());
        assignBeforeWrite();
        // A rollback puts the row back into its editing state, with what was typed.
        Transaction tx(*m_query->database());
        writeRecord();
        tx.commit();
        saved = true;
        Msg::warn(this, QStringLiteral("存盘完毕！"));
    } catch (const DbError& e) {
        reportWriteFailure(this, e, WriteAction::Save);
    } catch (const std::exception& e) {
        reportWriteFailure(this, DbError(QString::fromLocal8Bit(e.what())), WriteAction::Save);
    }
    // S6
    try {
        cleanUp();
    } catch (const std::exception& e) {
        qCWarning(lcData, "%s", e.what());
    }
    // A refused row is still pending: the dialog stays adding until it is saved or cancelled.
    if (saved)
        setAdding(false);
}

void EditDialog::writeRecord()
{
    m_query->post();
    afterWrite();
}

void EditDialog::onCancel()
{
    discard();
    setAdding(false);
}

void EditDialog::onClose()
{
    discard();
    m_closing = true;
    done(QDialog::Accepted);
}

// ---- keys and closing ----

bool EditDialog::FieldKeyPress(QWidget* w, int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    const int i = w->objectName().isEmpty() ? -1 : m_chain.indexOf(w->objectName());
    if (i < 0)
        return false;
    if (i + 1 < m_chain.size() && !m_chain[i + 1].isEmpty())
        focusField(m_chain[i + 1]);
    else if (saveButton)
        onSave();
    return true;
}

bool EditDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (FieldKeyPress(static_cast<QWidget*>(watched), key->key()))
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void EditDialog::keyPressEvent(QKeyEvent* event)
{
    // No Escape way out either.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

void EditDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        focusField(m_firstField);
}

void EditDialog::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
