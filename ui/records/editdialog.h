#pragma once
// The edit dialog of every module: fields bound to the current row of the list's shared query,
// the four buttons 增加/存盘/取消/返回 with the adding state, the duplicate test, the audit stamps and
// the Enter chain. A module dialog passes its row of the member table and its fields, and adds its
// checks, initial values and follow-up actions through the virtual steps.
#include "ui/records/binder.h"

#include <QDialog>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QBoxLayout;
class QHBoxLayout;
class QPushButton;
class QTabWidget;
class RecordSet;
class TDm1;

// A column of the current row that must not be empty, with its message and the field to focus.
struct RequiredField {
    QString column;
    QString message;
    QString focus = {};  // objectName of the field; empty: the field bound to the column
};

namespace EditButton {
enum : unsigned { Add = 1u << 0, Save = 1u << 1, Cancel = 1u << 2, Close = 1u << 3, AddHidden = 1u << 4 };
}

enum class Stamps { None, OperatorOnly, Both };

struct EditDialogConfig {
    QString className;
    QString caption;
    QString query;
    unsigned buttons = EditButton::Add | EditButton::Save | EditButton::Cancel | EditButton::Close;
    bool discardFirst = false;             // 增加 first drops the pending changes
    QVector<RequiredField> addGuard = {};  // checked by 增加 on the current row
    Stamps stamps = Stamps::Both;
    QString uniqueTable = {};  // duplicate test; empty: none
    QString uniqueColumn = {};
};

// The rows modules have registered; nullptr for a class no module has registered.
const QVector<EditDialogConfig>& editDialogTable();
const EditDialogConfig* editDialogConfig(const QString& className);
// Adds or replaces rows (by class name).
void addEditDialogConfigs(const QVector<EditDialogConfig>& rows);

class EditDialog : public QDialog {
    Q_OBJECT
public:
    EditDialog(const EditDialogConfig& config, const QVector<FieldDef>& fields, TDm1* dm, QWidget* owner = nullptr,
               const QStringList& pageTitles = {});

    const EditDialogConfig& config() const { return m_config; }
    TDm1* dm() const { return m_dm; }
    RecordSet* query() const { return m_query; }

    QPushButton* addButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* closeButton = nullptr;
    QTabWidget* PageControl1 = nullptr;  // only in dialogs with pages

    // The dialog is adding exactly while 增加 and 返回 are disabled.
    bool adding() const;

    // The binder of the dialog's fields to the current row.
    RecordBinder* binder() const { return m_binder; }
    // A field by its designer name (tests and screen readers), or by the column it edits.
    QWidget* field(const QString& objectName) const;
    QWidget* fieldFor(const QString& column) const;
    // Text the operator sees in a field.
    QString fieldText(const QString& objectName) const;
    QString textFor(const QString& column) const;
    // Drop-down items of the field(s) of a column; lookup entries of a lookup field.
    void setItemsFor(const QString& column, const QStringList& items);
    void setLookupItems(const QString& column, const QVector<LookupItem>& items);

    // Enter moves along this chain (objectNames); in its last field, and in the last field before
    // an empty entry (one chain per page), it presses 存盘.
    void setEnterChain(const QStringList& chain);
    const QStringList& enterChain() const { return m_chain; }
    // Checks of 存盘 that a field must not be empty, in order before moduleChecks().
    void setRequired(const QVector<RequiredField>& checks) { m_required = checks; }
    // Field focused after 增加 and when the dialog opens (default: the first of the chain).
    void setFirstField(const QString& objectName) { m_firstField = objectName; }

    void onAdd();
    void onSave();
    void onCancel();
    void onClose();
    // Enter handling of every bound field of the chain.
    bool FieldKeyPress(QWidget* field, int key);

    // Values of the fields back from the current row (fields the clerk changed keep their text).
    void loadFields();
    // Puts the row into editing and sets a column as if the clerk had chosen it: its fields show
    // the value, and what was typed in them before is dropped. Throws DbError.
    void assignColumn(const QString& column, const QVariant& value);
    // The same for a button's action: a refusal is said, and false returned.
    bool setColumn(const QString& column, const QVariant& value);

Q_SIGNALS:
    // The clerk changed the field of a column (every keystroke): computed fields follow it.
    void edited(const QString& column);

protected:
    // Buttons of the module side by side in one row under the fields (objectName, caption each),
    // never the dialog's default button.
    QVector<QPushButton*> addFieldButtons(const QVector<std::pair<QString, QString>>& buttons);
    // Module steps; each default does nothing. 存盘 runs them in this order: fillDefaults,
    // the required fields, moduleChecks, the duplicate test, prepareWrite, the stamps,
    // assignBeforeWrite, then writeRecord inside the transaction.
    virtual bool addGuardPasses();
    virtual void beforeAppend() {}
    virtual void initNewRow() {}
    // Values a row takes when left empty, set before the checks and kept when a check refuses.
    virtual void fillDefaults() {}
    // The module's checks of the row as it stands: a refusal is said and its field focused, and
    // nothing else happens — no question, no change of the row, no write.
    virtual bool moduleChecks() { return true; }
    // After every check passed: what the clerk is asked and what is computed into the row before
    // the write; false stops the save (the step has said why).
    virtual bool prepareWrite() { return true; }
    // Values set without asking, right before the write (after the stamps).
    virtual void assignBeforeWrite() {}
    // The write of 存盘, inside one transaction: the row, then its follow-up writes. A module that
    // writes further rows does it here (or in afterWrite); any failure rolls all of them back.
    virtual void writeRecord();
    virtual void afterWrite() {}
    virtual void cleanUp() {}
    // The row above the pages (dialogs with pages): fields of page -1, and room for module buttons.
    QHBoxLayout* headerRow() const { return m_header; }
    // The dialog's buttons beside the fields, 增加 to 返回 from the top; room for module buttons.
    QBoxLayout* buttonRow() const { return m_buttons; }
    // Page shown by 存盘 before its checks (-1: leave as is).
    virtual int savePage() const { return -1; }

    // Shows a check's message and focuses its field; always false, for "return fail(...)".
    bool fail(const QString& message, const QString& focusObjectName);
    bool failAt(const QString& message, const QString& column);
    void focusField(const QString& objectName);
    void focusColumn(const QString& column);
    // Binds a widget the module built itself (a hand-made layout) and adds it to the Enter chain.
    FieldBinding* bindField(QWidget* widget, const FieldDef& def);
    // The Enter chain by the columns of the fields, in order.
    void setEnterChainColumns(const QStringList& columns);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override {}

private:
    QPushButton* makeButton(const QString& objectName, const QString& caption);
    void commitFields();
    void discard();
    void setAdding(bool on);
    bool duplicateTest();

    EditDialogConfig m_config;
    TDm1* m_dm;
    RecordSet* m_query;
    RecordBinder* m_binder;
    QStringList m_chain;
    QVector<RequiredField> m_required;
    QString m_firstField;
    QHBoxLayout* m_header = nullptr;
    QBoxLayout* m_buttons = nullptr;
    bool m_closing = false;
};
