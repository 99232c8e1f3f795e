#include "ui/records/editdialog.h"
#include "core/clock.h"
#include "core/dates.h"
#include "core/session.h"
#include "core/sqltext.h"
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
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
QLineEdit* lineEdit(QWidget* w) { return qobject_cast<QLineEdit*>(w); }

// A date or time field counts as empty when its shown text begins with a blank.
bool maskEmpty(const QLineEdit* e) { return e->displayText().startsWith(QLatin1Char(' ')); }
} // namespace

EditDialog::EditDialog(const EditDialogConfig& config, const QVector<FieldDef>& fields, TDm1* dm, QWidget* owner,
                       const QStringList& pageTitles)
    : QDialog(owner), m_config(config), m_dm(dm), m_query(dm->query(config.query))
{
    Q_ASSERT(m_query);
    setObjectName(config.className.mid(1));
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
        outer->addWidget(PageControl1, 1);
    } else {
        forms << new QFormLayout;
        outer->addLayout(forms.first(), 1);
    }

    m_fields.reserve(fields.size());
    for (const FieldDef& f : fields) {
        Bound b;
        b.config = f;
        QWidget* w = nullptr;
        switch (f.kind) {
        case FieldKind::Text:
        case FieldKind::Number:
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::ReadOnly: {
            auto* e = new QLineEdit(this);
            if (f.masked)
                e->setEchoMode(QLineEdit::Password);
            if (f.kind == FieldKind::Number) {
                auto* v = new QDoubleValidator(-1e15, f.maximum > 0 ? f.maximum : 1e15, f.decimals, e);
                v->setNotation(QDoubleValidator::StandardNotation);
                v->setLocale(QLocale::c());
                e->setValidator(v);
                e->setAlignment(Qt::AlignRight);
            } else if (f.kind == FieldKind::Date) {
                e->setInputMask(QStringLiteral("9999-99-99; "));
            } else if (f.kind == FieldKind::Time) {
                e->setInputMask(QStringLiteral("99:99:99; "));
            } else if (f.kind == FieldKind::ReadOnly) {
                e->setReadOnly(true);
                e->setStyleSheet(QStringLiteral("background: #e0e0e0"));
            }
            w = e;
            break;
        }
        case FieldKind::Memo: {
            auto* e = new QPlainTextEdit(this);
            e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            e->setTabChangesFocus(true);
            w = e;
            break;
        }
        case FieldKind::Combo: {
            auto* c = new QComboBox(this);
            c->setEditable(!f.listOnly);
            c->addItems(f.items);
            c->setCurrentIndex(-1);
            w = c;
            break;
        }
        case FieldKind::Check:
            w = new QCheckBox(this);
            break;
        }
        w->setObjectName(f.objectName);
        if (f.chinese)
            InputMethods::applyCurrent(w);
        forms.value(f.page, forms.first())->addRow(f.label, w);
        b.widget = w;
        m_fields << b;
    }
    for (int i = 0; i < m_fields.size(); ++i) {
        QWidget* w = m_fields[i].widget;
        auto edited = [this, i] { fieldEdited(m_fields[i]); };
        if (auto* e = lineEdit(w)) {
            connect(e, &QLineEdit::textEdited, this, [this, i, e, edited](const QString& text) {
                if (m_fields[i].config.upper && text != text.toUpper()) {
                    const int pos = e->cursorPosition();
                    e->setText(text.toUpper());
                    e->setCursorPosition(pos);
                }
                edited();
            });
        } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
            connect(p, &QPlainTextEdit::textChanged, this, edited);
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            connect(c, &QComboBox::currentTextChanged, this, [this, i, c, edited](const QString& text) {
                if (m_fields[i].config.upper && c->isEditable() && text != text.toUpper())
                    c->setEditText(text.toUpper());
                edited();
            });
        } else if (auto* k = qobject_cast<QCheckBox*>(w)) {
            connect(k, &QCheckBox::toggled, this, edited);
        }
    }

    auto* buttons = new QVBoxLayout;
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
    for (const auto& b : m_fields)
        if (b.config.kind != FieldKind::ReadOnly)
            chain << b.config.objectName;
    setEnterChain(chain);

    connect(m_query, &RecordSet::reset, this, &EditDialog::loadFields);
    connect(m_query, &RecordSet::currentChanged, this, &EditDialog::loadFields);
    connect(m_query, &RecordSet::rowChanged, this, &EditDialog::loadFields);
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

EditDialog::Bound* EditDialog::bound(const QString& objectName)
{
    for (auto& b : m_fields)
        if (b.config.objectName == objectName)
            return &b;
    return nullptr;
}

QWidget* EditDialog::field(const QString& objectName) const
{
    for (const auto& b : m_fields)
        if (b.config.objectName == objectName)
            return b.widget;
    return nullptr;
}

QWidget* EditDialog::fieldFor(const QString& column) const
{
    for (const auto& b : m_fields)
        if (b.config.column == column)
            return b.widget;
    return nullptr;
}

QString EditDialog::fieldText(const QString& objectName) const
{
    QWidget* w = field(objectName);
    if (auto* e = lineEdit(w))
        return e->text();
    if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        return p->toPlainText();
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    if (auto* k = qobject_cast<QCheckBox*>(w))
        return k->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
    return {};
}

void EditDialog::setItems(const QString& objectName, const QStringList& items)
{
    auto* c = qobject_cast<QComboBox*>(field(objectName));
    if (!c)
        return;
    m_loading = true;
    const QString text = c->currentText();
    c->clear();
    c->addItems(items);
    if (c->isEditable())
        c->setEditText(text);
    else
        c->setCurrentIndex(c->findText(text));
    m_loading = false;
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

void EditDialog::fieldEdited(Bound& b)
{
    if (m_loading || b.config.kind == FieldKind::ReadOnly)
        return;
    b.dirty = true;
    if (!m_query->isOpen() || m_query->state() != RecordSet::Browse)
        return;
    // Typing turns a browsing row into an edited one; in an empty query it starts a new row.
    try {
        m_query->edit();
    } catch (const DbError& e) {
        b.dirty = false;
        Msg::error(this, e.text());
    }
}

QVariant EditDialog::widgetValue(const Bound& b) const
{
    QWidget* w = b.widget;
    switch (b.config.kind) {
    case FieldKind::Check:
        return static_cast<QCheckBox*>(w)->isChecked();
    case FieldKind::Date:
    case FieldKind::Time: {
        auto* e = static_cast<QLineEdit*>(w);
        if (maskEmpty(e))
            return QVariant();
        const QDateTime old = m_query->asDateTime(b.config.column);
        QString text = e->displayText();
        text.remove(QLatin1Char(' '));
        if (b.config.kind == FieldKind::Date) {
            const auto dt = Dates::parseJet(text);
            if (!dt)
                return text;  // refused by the record set as "不是有效的日期"
            return QDateTime(dt->date(), old.isValid() ? old.time() : QTime(0, 0));
        }
        QTime t = QTime::fromString(text, QStringLiteral("H:m:s"));
        if (!t.isValid())
            return text;
        return QDateTime(old.isValid() ? old.date() : QDate(1899, 12, 30), t);
    }
    case FieldKind::Number: {
        const QString t = static_cast<QLineEdit*>(w)->text().trimmed();
        return t.isEmpty() ? QVariant() : QVariant(t);
    }
    default:
        break;
    }
    if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        return p->toPlainText();
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    return static_cast<QLineEdit*>(w)->text();
}

void EditDialog::commitFields()
{
    for (auto& b : m_fields) {
        if (!b.dirty)
            continue;
        const QVariant v = widgetValue(b);
        b.dirty = false;
        m_query->setValue(b.config.column, v);
    }
}

void EditDialog::loadField(Bound& b)
{
    const bool has = m_query->isOpen() && m_query->hasField(b.config.column) && m_query->currentRow() >= 0;
    const int col = has ? m_query->fieldIndex(b.config.column) : -1;
    const QVariant v = has ? m_query->value(b.config.column) : QVariant();
    QWidget* w = b.widget;
    if (b.config.kind == FieldKind::Check) {
        static_cast<QCheckBox*>(w)->setChecked(has && m_query->asBoolean(b.config.column));
        return;
    }
    QString text;
    if (b.config.kind == FieldKind::Date || b.config.kind == FieldKind::Time) {
        const QDateTime dt = has ? m_query->asDateTime(b.config.column) : QDateTime();
        if (dt.isValid())
            text = b.config.kind == FieldKind::Date ? dt.date().toString(QStringLiteral("yyyy-MM-dd"))
                                                  : dt.time().toString(QStringLiteral("HH:mm:ss"));
    } else if (has && m_query->fields()[col].type == FieldType::Money && !v.isNull()) {
        text = b.config.kind == FieldKind::Number ? Money::fromVariant(v).toString(std::max(b.config.decimals, 2))
                                                : Money::fromVariant(v).toDisplay();
    } else if (has) {
        text = RecordSet::displayText(v, m_query->fields()[col].type);
    }
    if (auto* e = lineEdit(w))
        e->setText(text);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        p->setPlainText(text);
    else if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (c->isEditable())
            c->setEditText(text);
        else
            c->setCurrentIndex(c->findText(text));
    }
}

void EditDialog::loadFields()
{
    m_loading = true;
    for (auto& b : m_fields)
        if (!b.dirty)
            loadField(b);
    m_loading = false;
}

void EditDialog::discard()
{
    for (auto& b : m_fields)
        b.dirty = false;
    if (m_query->isOpen())
        m_query->cancel();
    loadFields();
}

// ---- steps ----

bool EditDialog::fail(const QString& message, const QString& focusObjectName)
{
    Msg::warn(this, message);
    focusField(focusObjectName);
    return false;
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
        if (m_config.discardFirst) {
            discard();
        } else {
            commitFields();
            if (!addGuardPasses())
                return;
        }
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
        Msg::show(this, {QStringLiteral("提示"), m_config.uniqueColumn + QStringLiteral("重复,请重新输入!"),
                         Msg::Icon::Information, {Msg::Button::Ok}, Msg::Button::Ok});
        s.close();
        if (keyField)
            focusField(keyField->objectName());
        return false;
    }
    return true;
}

void EditDialog::onSave()
{
    // S1: the row into editing (a new row in an empty query) and the typed text into the row.
    try {
        if (m_query->state() == RecordSet::Browse)
            m_query->edit();
        commitFields();
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
    // S5: one transaction for the row and its follow-up writes. A refusal rolls everything back,
    // says why, and leaves what was typed in place for another 存盘.
    bool saved = false;
    try {
        m_query->edit();
        if (m_config.stamps != Stamps::None && m_query->hasField(QStringLiteral("操作员")))
            m_query->setValue(QStringLiteral("操作员"), Session::currentOperator().name);
        if (m_config.stamps == Stamps::Both && m_query->hasField(QStringLiteral("操作日期")))
            m_query->setValue(QStringLiteral("操作日期"), Clock::now());
        assignBeforeWrite();
        const RecordSet::Pending pending = m_query->pending();
        try {
            Transaction tx(*m_query->database());
            writeRecord();
            tx.commit();
        } catch (...) {
            m_query->restore(pending);
            throw;
        }
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
    const int i = m_chain.indexOf(w->objectName());
    if (i < 0)
        return false;
    if (i + 1 < m_chain.size())
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
