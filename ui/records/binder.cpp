#include "ui/records/binder.h"
#include "core/dates.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/textlimits.h"
#include "ui/common/calculator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QHash>
#include <QPlainTextEdit>
#include <QStringListModel>
#include <QTextCursor>
#include <algorithm>

namespace {

bool hasRow(const RecordSet* set, const QString& column)
{
    return set && set->isOpen() && set->hasField(column) && set->currentRow() >= 0;
}

// The length limit of a line edit or an editable drop-down showing text: what the column stores,
// or the text already stored when that is longer, so that nothing shown is cut.
void limitTo(QLineEdit* e, int limit, const QString& shown)
{
    if (e)
        e->setMaxLength(limit > 0 ? std::max(limit, int(shown.size())) : 32767);
}

void forceUpper(QLineEdit* e, const QString& text)
{
    if (text == text.toUpper())
        return;
    const int pos = e->cursorPosition();
    e->setText(text.toUpper());
    e->setCursorPosition(pos);
}

// Text, number and read-only fields: a line edit showing the column as grids show it (money with
// the field's decimals).
class LineBinding : public FieldBinding {
public:
    LineBinding(QLineEdit* e, const FieldDef& def) : FieldBinding(e, def), m_edit(e)
    {
        QObject::connect(e, &QLineEdit::textEdited, this, [this](const QString& text) {
            if (m_def.upper)
                forceUpper(m_edit, text);
            changed();
        });
    }
    QVariant value(const RecordSet*) const override
    {
        if (m_def.kind == FieldKind::Number) {
            // What the field will hold once left: computed fields and 存盘 never see a value
            // outside its range.
            const auto* calc = qobject_cast<const CalcEdit*>(m_edit);
            const QString t = (calc ? calc->settledText(m_edit->text()) : m_edit->text()).trimmed();
            return t.isEmpty() ? QVariant() : QVariant(t);
        }
        return m_edit->text();
    }
    QString text() const override { return m_edit->text(); }

protected:
    void show(const RecordSet* set) override
    {
        QString text;
        if (hasRow(set, m_def.column)) {
            const int col = set->fieldIndex(m_def.column);
            const QVariant v = set->value(m_def.column);
            const FieldType type = set->fields()[col].type;
            const std::optional<Money> m = type == FieldType::Money ? Money::fromValue(v) : std::nullopt;
            if (m && !v.isNull())
                text = m_def.kind == FieldKind::Number ? m->toString(std::max(m_def.decimals, 2)) : m->toDisplay();
            else
                text = RecordSet::displayText(v, type);
        }
        if (m_def.kind == FieldKind::Text)
            limitTo(m_edit, m_limit, text);
        m_edit->setText(text);
    }

    QLineEdit* m_edit;
};

// A date field edits the date half of a date-time column, a time field the time half. A field
// counts as empty when its shown text begins with a blank.
class DateTimeBinding : public FieldBinding {
public:
    DateTimeBinding(QLineEdit* e, const FieldDef& def) : FieldBinding(e, def), m_edit(e)
    {
        if (e->inputMask().isEmpty())
            e->setInputMask(def.kind == FieldKind::Date ? QStringLiteral("9999-99-99; ") : QStringLiteral("99:99:99; "));
        QObject::connect(e, &QLineEdit::textEdited, this, [this] { changed(); });
    }
    QVariant value(const RecordSet* set) const override
    {
        if (m_edit->displayText().startsWith(QLatin1Char(' ')))
            return QVariant();
        const QDateTime old = hasRow(set, m_def.column) ? set->asDateTime(m_def.column) : QDateTime();
        QString text = m_edit->displayText();
        text.remove(QLatin1Char(' '));
        if (m_def.kind == FieldKind::Date) {
            const auto dt = Dates::parseJet(text);
            if (!dt)
                return text;  // refused by the record set as "不是有效的日期"
            return QDateTime(dt->date(), old.isValid() ? old.time() : QTime(0, 0));
        }
        const QTime t = QTime::fromString(text, QStringLiteral("H:m:s"));
        if (!t.isValid())
            return text;
        return QDateTime(old.isValid() ? old.date() : QDate(1899, 12, 30), t);
    }
    QString text() const override { return m_edit->text(); }

protected:
    void show(const RecordSet* set) override
    {
        const QDateTime dt = hasRow(set, m_def.column) ? set->asDateTime(m_def.column) : QDateTime();
        QString text;
        if (dt.isValid())
            text = m_def.kind == FieldKind::Date ? dt.date().toString(QStringLiteral("yyyy-MM-dd"))
                                                 : dt.time().toString(QStringLiteral("HH:mm:ss"));
        m_edit->setText(text);
    }

    QLineEdit* m_edit;
};

class MemoBinding : public FieldBinding {
public:
    MemoBinding(QPlainTextEdit* e, const FieldDef& def) : FieldBinding(e, def), m_edit(e)
    {
        QObject::connect(e, &QPlainTextEdit::textChanged, this, [this] {
            if (!m_loading && cutExcess())
                return;  // the cut changes the text again, and that change is the one reported
            changed();
        });
    }
    QVariant value(const RecordSet*) const override { return m_edit->toPlainText(); }
    QString text() const override { return m_edit->toPlainText(); }

protected:
    void show(const RecordSet* set) override
    {
        const QString text = hasRow(set, m_def.column) ? set->asString(m_def.column) : QString();
        m_allowed = m_limit > 0 ? std::max(m_limit, int(text.size())) : 0;
        m_edit->setPlainText(text);
    }

    // A memo has no length limit of its own: what was typed or pasted past the column's length is
    // taken away again just before the cursor, where it went in.
    bool cutExcess()
    {
        if (m_allowed <= 0)
            return false;
        const int excess = int(m_edit->toPlainText().size()) - m_allowed;
        if (excess <= 0)
            return false;
        QTextCursor c = m_edit->textCursor();
        const int end = std::max(c.position(), excess);
        c.setPosition(end);
        c.setPosition(end - excess, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        return true;
    }

    QPlainTextEdit* m_edit;
    int m_allowed = 0;
};

// A drop-down storing the text shown (fixed items, or items filled from a table).
class ComboBinding : public FieldBinding {
public:
    ComboBinding(QComboBox* c, const FieldDef& def) : FieldBinding(c, def), m_box(c)
    {
        QObject::connect(c, &QComboBox::currentTextChanged, this, [this](const QString& text) {
            if (m_def.upper && m_box->isEditable() && text != text.toUpper())
                m_box->setEditText(text.toUpper());
            changed();
        });
    }
    QVariant value(const RecordSet*) const override { return m_box->currentText(); }
    QString text() const override { return m_box->currentText(); }

    // The remembered entries go above the items, closed off by a separator. They are read when
    // shown, so every dialog of the class sees what another one saved.
    void showRecent()
    {
        if (m_def.recent <= 0)
            return;
        showRecent(Lookups::recentEntries(dialogClass(), m_box->objectName()));
    }
    void remember()
    {
        if (m_def.recent <= 0)
            return;
        showRecent(Lookups::rememberEntry(dialogClass(), m_box->objectName(), m_box->currentText(), m_def.recent));
    }
    void forgetRecentRows() { m_recentRows = 0; }  // the list was cleared

protected:
    QString dialogClass() const
    {
        const QString cls = m_box->window()->property("windowClass").toString();
        return cls.isEmpty() ? m_box->window()->objectName() : cls;
    }
    void showRecent(QStringList entries)
    {
        const QSignalBlocker block(m_box);  // not typing
        const bool was = m_loading;
        m_loading = true;
        const QString text = m_box->currentText();
        for (int i = 0; i < m_recentRows; ++i)
            m_box->removeItem(0);
        if (entries.size() > m_def.recent)
            entries.resize(m_def.recent);
        m_recentRows = 0;
        if (!entries.isEmpty()) {
            m_box->insertSeparator(0);
            m_box->insertItems(0, entries);
            m_recentRows = int(entries.size()) + 1;
        }
        if (m_box->isEditable())
            m_box->setEditText(text);
        else
            m_box->setCurrentIndex(m_box->findText(text));
        m_loading = was;
    }
    void show(const RecordSet* set) override
    {
        QString text;
        if (hasRow(set, m_def.column))
            text = RecordSet::displayText(set->value(m_def.column), set->fields()[set->fieldIndex(m_def.column)].type);
        limitTo(m_box->lineEdit(), m_limit, text);
        if (m_box->isEditable())
            m_box->setEditText(text);
        else
            m_box->setCurrentIndex(m_box->findText(text));
    }

    QComboBox* m_box;
    int m_recentRows = 0;  // rows at the top of the list that are remembered entries, separator included
};

// A drop-down that shows one text ("客户号 客户姓名") and stores another (客户号). A typed text that
// is no entry's shown text is stored as typed: the clerk may type the key itself.
class LookupBinding : public FieldBinding {
public:
    LookupBinding(QComboBox* c, const FieldDef& def) : FieldBinding(c, def), m_box(c)
    {
        QObject::connect(c, &QComboBox::currentTextChanged, this, [this] { changed(); });
    }
    void setItems(const QVector<LookupItem>& items)
    {
        // Thousands of customers: the texts go into the drop-down's model in one piece, and the
        // two directions are looked up by hash.
        m_byText.clear();
        m_byKey.clear();
        m_byText.reserve(items.size());
        m_byKey.reserve(items.size());
        QStringList texts;
        texts.reserve(items.size());
        for (const LookupItem& i : items) {
            texts << i.text;
            m_byText.insert(i.text, i.key);
            m_byKey.insert(i.key, i.text);
        }
        const bool was = m_loading;
        m_loading = true;
        const QString text = m_box->currentText();
        if (!m_model) {
            m_model = new QStringListModel(m_box);
            m_box->setModel(m_model);
        }
        m_model->setStringList(texts);
        if (m_box->isEditable())
            m_box->setEditText(text);
        else
            m_box->setCurrentIndex(m_box->findText(text));
        m_loading = was;
    }
    QString keyOf(const QString& shown) const
    {
        const auto it = m_byText.constFind(shown);
        return it != m_byText.cend() ? *it : shown.trimmed();
    }
    QString textOf(const QString& key) const { return m_byKey.value(key, key); }
    QVariant value(const RecordSet*) const override { return keyOf(m_box->currentText()); }
    QString text() const override { return m_box->currentText(); }

protected:
    void show(const RecordSet* set) override
    {
        const QString text = textOf(hasRow(set, m_def.column) ? set->asString(m_def.column) : QString());
        if (m_box->isEditable())
            m_box->setEditText(text);
        else
            m_box->setCurrentIndex(m_box->findText(text));
    }

    QComboBox* m_box;
    QStringListModel* m_model = nullptr;
    QHash<QString, QString> m_byText;
    QHash<QString, QString> m_byKey;
};

class CheckBinding : public FieldBinding {
public:
    CheckBinding(QCheckBox* c, const FieldDef& def) : FieldBinding(c, def), m_box(c)
    {
        QObject::connect(c, &QCheckBox::toggled, this, [this] { changed(); });
    }
    QVariant value(const RecordSet*) const override { return m_box->isChecked(); }
    QString text() const override { return m_box->isChecked() ? QStringLiteral("True") : QStringLiteral("False"); }

protected:
    void show(const RecordSet* set) override { m_box->setChecked(hasRow(set, m_def.column) && set->asBoolean(m_def.column)); }

    QCheckBox* m_box;
};

}  // namespace

FieldBinding::FieldBinding(QWidget* widget, const FieldDef& def) : QObject(widget), m_widget(widget), m_def(def) {}

void FieldBinding::load(const RecordSet* set)
{
    m_limit = 0;
    if (set && set->isOpen() && set->canModify()) {
        const int c = set->fieldIndex(m_def.column);
        if (c >= 0 && set->fields()[c].inSchema)
            m_limit = Schema::maxLength(set->tableName(), m_def.column);
    }
    m_loading = true;
    show(set);
    m_loading = false;
}

void FieldBinding::changed()
{
    if (!m_loading && m_def.kind != FieldKind::ReadOnly)
        Q_EMIT edited();
}

RecordBinder::RecordBinder(RecordSet* set, QObject* parent) : QObject(parent), m_set(set)
{
    // Bound fields follow the current row (a loop detaches them with disableControls()).
    connect(set, &RecordSet::reset, this, &RecordBinder::load);
    connect(set, &RecordSet::currentChanged, this, &RecordBinder::load);
    connect(set, &RecordSet::rowChanged, this, &RecordBinder::load);
}

QWidget* RecordBinder::createWidget(const FieldDef& def, QWidget* parent)
{
    QWidget* w = nullptr;
    switch (def.kind) {
    case FieldKind::Number: {
        // Number fields drop down a calculator (Alt+Down, F4 or the button at their right end).
        auto* e = new CalcEdit(parent);
        e->setDecimals(def.decimals);
        e->setMinimum(def.minimum);
        e->setMaximum(def.maximum);
        w = e;
        break;
    }
    case FieldKind::Text:
    case FieldKind::Date:
    case FieldKind::Time:
    case FieldKind::ReadOnly: {
        auto* e = new QLineEdit(parent);
        if (def.masked)
            e->setEchoMode(QLineEdit::Password);
        if (def.kind == FieldKind::ReadOnly) {
            e->setReadOnly(true);
            e->setStyleSheet(QStringLiteral("background: #e0e0e0"));
        }
        w = e;
        break;
    }
    case FieldKind::Memo: {
        auto* e = new QPlainTextEdit(parent);
        e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        e->setTabChangesFocus(true);
        w = e;
        break;
    }
    case FieldKind::Combo:
    case FieldKind::Lookup: {
        auto* c = new QComboBox(parent);
        c->setEditable(!def.listOnly);
        c->addItems(def.items);
        c->setCurrentIndex(-1);
        // Lists filled from tables can hold thousands of entries: the field's width must not
        // depend on measuring every one of them.
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(12);
        w = c;
        break;
    }
    case FieldKind::Check:
        w = new QCheckBox(parent);
        break;
    }
    w->setObjectName(def.objectName);
    return w;
}

FieldBinding* RecordBinder::bind(QWidget* widget, const FieldDef& def)
{
    FieldDef d = def;
    if (d.objectName.isEmpty())
        d.objectName = widget->objectName();
    else if (widget->objectName().isEmpty())
        widget->setObjectName(d.objectName);
    FieldBinding* b = nullptr;
    switch (d.kind) {
    case FieldKind::Text:
    case FieldKind::Number:
    case FieldKind::ReadOnly:
        b = new LineBinding(qobject_cast<QLineEdit*>(widget), d);
        break;
    case FieldKind::Date:
    case FieldKind::Time:
        b = new DateTimeBinding(qobject_cast<QLineEdit*>(widget), d);
        break;
    case FieldKind::Memo:
        b = new MemoBinding(qobject_cast<QPlainTextEdit*>(widget), d);
        break;
    case FieldKind::Combo:
        b = new ComboBinding(qobject_cast<QComboBox*>(widget), d);
        break;
    case FieldKind::Lookup:
        b = new LookupBinding(qobject_cast<QComboBox*>(widget), d);
        break;
    case FieldKind::Check:
        b = new CheckBinding(qobject_cast<QCheckBox*>(widget), d);
        break;
    }
    Q_ASSERT_X(b->widget(), "RecordBinder::bind", "widget of the wrong type for the field kind");
    if (d.kind == FieldKind::Combo)
        static_cast<ComboBinding*>(b)->showRecent();
    m_bindings << b;
    connect(b, &FieldBinding::edited, this, [this, b] { fieldEdited(b); });
    b->load(m_set);
    return b;
}

FieldBinding* RecordBinder::binding(const QString& column) const
{
    for (FieldBinding* b : m_bindings)
        if (b->column() == column)
            return b;
    return nullptr;
}

FieldBinding* RecordBinder::bindingOf(const QWidget* widget) const
{
    for (FieldBinding* b : m_bindings)
        if (b->widget() == widget)
            return b;
    return nullptr;
}

QWidget* RecordBinder::widgetFor(const QString& column) const
{
    FieldBinding* b = binding(column);
    return b ? b->widget() : nullptr;
}

void RecordBinder::setLookupItems(const QString& column, const QVector<LookupItem>& items)
{
    for (FieldBinding* b : m_bindings) {
        if (b->column() != column || b->def().kind != FieldKind::Lookup)
            continue;
        static_cast<LookupBinding*>(b)->setItems(items);
        if (!b->dirty())
            b->load(m_set);  // the stored key now has its entry's text
    }
}

QVariant RecordBinder::value(const QString& column) const
{
    const FieldBinding* b = binding(column);
    if (b && b->dirty())
        return b->value(m_set);
    return m_set->isOpen() && m_set->hasField(column) ? m_set->value(column) : QVariant();
}

std::optional<Money> RecordBinder::money(const QString& column) const
{
    const QVariant v = value(column);
    if (v.metaType().id() == QMetaType::QString) {
        if (v.toString().trimmed().isEmpty())
            return Money();
        return Money::parse(v.toString());
    }
    return Money::fromValue(v);
}

void RecordBinder::setItems(const QString& column, const QStringList& items)
{
    QVector<LookupItem> entries;
    for (const QString& i : items)
        entries << LookupItem{i, i};
    for (FieldBinding* b : m_bindings) {
        if (b->column() != column)
            continue;
        if (b->def().kind == FieldKind::Lookup) {
            static_cast<LookupBinding*>(b)->setItems(entries);
            continue;
        }
        auto* c = qobject_cast<QComboBox*>(b->widget());
        if (!c)
            continue;
        const bool wasDirty = b->dirty();
        const QSignalBlocker block(c);  // refilling the list is not typing
        const QString text = c->currentText();
        c->clear();
        c->addItems(items);
        if (c->isEditable())
            c->setEditText(text);
        else
            c->setCurrentIndex(c->findText(text));
        if (b->def().kind == FieldKind::Combo) {
            auto* combo = static_cast<ComboBinding*>(b);
            combo->forgetRecentRows();
            combo->showRecent();
        }
        b->setDirty(wasDirty);
    }
}

void RecordBinder::fieldEdited(FieldBinding* b)
{
    b->setDirty(true);
    if (m_set->isOpen() && m_set->state() == RecordSet::Browse) {
        // Typing turns a browsing row into an edited one; in an empty query it starts a new row.
        try {
            m_set->edit();
        } catch (const DbError& e) {
            b->setDirty(false);
            Q_EMIT editRefused(e.text());
            return;
        }
    }
    Q_EMIT edited(b->column());
}

void RecordBinder::load()
{
    for (FieldBinding* b : m_bindings)
        if (!b->dirty())
            b->load(m_set);
}

void RecordBinder::commit()
{
    // A number typed outside its field's range is shown as it is stored.
    for (FieldBinding* b : m_bindings)
        if (auto* calc = qobject_cast<CalcEdit*>(b->widget()); calc && b->dirty())
            calc->settle();
    for (FieldBinding* b : m_bindings) {
        if (!b->dirty())
            continue;
        const QVariant v = b->value(m_set);
        b->setDirty(false);
        try {
            m_set->setValue(b->column(), v);
        } catch (const DbError&) {
            // Still what the clerk typed: a later 存盘 tries it again instead of passing it over.
            b->setDirty(true);
            throw;
        }
        if (b->def().kind == FieldKind::Combo)
            static_cast<ComboBinding*>(b)->remember();
    }
}

void RecordBinder::discard()
{
    for (FieldBinding* b : m_bindings)
        b->setDirty(false);
    load();
}

bool RecordBinder::anyDirty() const
{
    for (FieldBinding* b : m_bindings)
        if (b->dirty())
            return true;
    return false;
}
