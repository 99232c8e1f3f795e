#pragma once
// Binding of widgets to the columns of a record set, whatever the layout: fields generated from
// FieldDef rows, widgets a module builds by hand, or a designer form. One binding class per field
// kind; the binder shows the current row, marks a field edited as the clerk types (turning a
// browsing row into an edited one), tells listeners which column changed, and moves the typed
// values into the row when asked.
#include "core/money.h"
#include "data/lookups.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

class QWidget;
class RecordSet;

enum class FieldKind { Text, Memo, Number, Date, Time, Combo, Check, ReadOnly, Lookup };

// One bound field. Written with designated initializers:
//   {.objectName = "DBEditEh1", .label = "车牌号：", .column = "车牌号", .upper = true}
struct FieldDef {
    QString objectName;  // designer name, kept as the widget's objectName
    QString label;       // "姓名："
    QString column;      // bound column
    FieldKind kind = FieldKind::Text;
    bool upper = false;    // letters forced to upper case
    bool masked = false;   // shown as "*"
    bool chinese = false;  // takes Chinese text: gets the operator's input method
    int decimals = 0;      // number fields
    // Number fields: a value outside is brought to the nearer limit when the field is left. No
    // amount, rate, count or distance typed at the counter is negative; without a maximum the
    // column's own limits apply at save.
    double minimum = 0;
    double maximum = 0;      // number fields; 0: no maximum
    QStringList items = {};  // drop-down items written into the form
    bool listOnly = false;   // drop-down without typing
    int page = 0;            // page of a dialog with pages; -1: the row above the pages
    int recent = 0;          // drop-down offering its last `recent` saved entries at the top
};

class FieldBinding : public QObject {
    Q_OBJECT
public:
    FieldBinding(QWidget* widget, const FieldDef& def);

    QWidget* widget() const { return m_widget; }
    const FieldDef& def() const { return m_def; }
    const QString& column() const { return m_def.column; }
    bool dirty() const { return m_dirty; }
    void setDirty(bool on) { m_dirty = on; }

    // Shows the current row's value (null when there is none); does not count as typing. Text fields
    // take at most what their column stores (Schema::maxLength); a longer stored text is shown whole
    // and can only be shortened.
    void load(const RecordSet* set);
    // What the widget holds, as the value to store in the column.
    virtual QVariant value(const RecordSet* set) const = 0;
    // What the clerk sees.
    virtual QString text() const = 0;

Q_SIGNALS:
    void edited();

protected:
    virtual void show(const RecordSet* set) = 0;
    // Connected to the widget's "changed by the clerk" signal.
    void changed();

    QWidget* m_widget;
    FieldDef m_def;
    bool m_loading = false;
    bool m_dirty = false;
    int m_limit = 0;  // most characters the bound column stores; 0: no limit known
};

class RecordBinder : public QObject {
    Q_OBJECT
public:
    explicit RecordBinder(RecordSet* set, QObject* parent = nullptr);

    RecordSet* recordSet() const { return m_set; }

    // The widget a generated form uses for a field (not yet bound).
    static QWidget* createWidget(const FieldDef& def, QWidget* parent);
    // Binds any widget of the kind's type (QLineEdit, QPlainTextEdit, QComboBox, QCheckBox) to its
    // column; the widget keeps its own objectName when the def names none.
    FieldBinding* bind(QWidget* widget, const FieldDef& def);

    const QVector<FieldBinding*>& bindings() const { return m_bindings; }
    FieldBinding* binding(const QString& column) const;  // the first bound to the column
    FieldBinding* bindingOf(const QWidget* widget) const;
    QWidget* widgetFor(const QString& column) const;

    // The entries of a lookup field (shown text, stored key).
    void setLookupItems(const QString& column, const QVector<LookupItem>& items);
    // Fixed drop-down items of a combo field; the typed text stays. A drop-down that remembers its
    // recent entries shows them above the items, newest first.
    void setItems(const QString& column, const QStringList& items);

    // What a column holds as the clerk sees it now: the typed value of a changed field (as text for
    // numbers), otherwise the row's value. Computed fields read their inputs through it while the
    // clerk is still typing, without moving half-typed text into the row.
    QVariant value(const QString& column) const;
    // The typed or stored money of a column; nullopt while the typed text is not an amount.
    std::optional<Money> money(const QString& column) const;

    // Shows the current row in every field the clerk has not changed.
    void load();
    // Moves the changed fields into the row (which must be editing); throws DbError for a value
    // the column cannot take. The fields count as unchanged afterwards.
    void commit();
    // Forgets what was typed (the caller cancels the row) and shows the row again.
    void discard();
    bool anyDirty() const;

Q_SIGNALS:
    // The clerk changed the field of a column (every keystroke), after the row went into editing.
    void edited(const QString& column);
    // Typing could not put the row into editing (the engine's text).
    void editRefused(const QString& text);

private:
    void fieldEdited(FieldBinding* b);

    RecordSet* m_set;
    QVector<FieldBinding*> m_bindings;
};
