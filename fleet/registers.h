#pragma once
// What the oil change, repair and accident registers share: the plate and handler drop-downs,
// the list window that fills them and opens the query dialog, and the Enter step out of a
// read-only amount field of the edit dialog.
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"
#include "ui/records/querydialog.h"

// Every vehicle, withdrawn ones included, ordered by plate; read through q_qcda, closed afterwards.
QStringList plateItems(TDm1* dm);
// Handler names ordered by name; read through q_jbr, closed afterwards.
QStringList handlerItems(TDm1* dm);

// A bound field of a register dialog.
FieldDef fieldDef(const char* objectName, const char* label, const char* column, FieldKind kind, bool chinese = false,
                    int decimals = 0);

// Object names of the drop-downs the register dialogs share.
inline const QString PlateBox = QStringLiteral("DBComboBoxEh1");
inline const QString HandlerBox = QStringLiteral("DBComboBoxEh2");

class RegisterWindow : public ListWindow {
    Q_OBJECT
public:
    RegisterWindow(const QString& className, TDm1* dm, QWidget* owner);

    void onQuery() override;

protected:
    QDialog* createEditDialog() override;
    virtual EditDialog* makeEditDialog() = 0;
    virtual QueryDialog* makeQueryDialog() = 0;
};

class RegisterEditDialog : public EditDialog {
    Q_OBJECT
public:
    RegisterEditDialog(const QString& className, const QVector<FieldDef>& fields, TDm1* dm, QWidget* owner);

protected:
    // Enter in the read-only field moves on to the given one.
    void setReadOnlyEnter(const QString& readOnlyField, const QString& next);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_readOnly;
    QString m_readOnlyNext;
};

class RegisterQueryDialog : public QueryDialog {
    Q_OBJECT
public:
    RegisterQueryDialog(const QString& className, TDm1* dm, QWidget* owner);
};
