#pragma once
// The audit log viewer 操作日志: who changed which row of the audited tables, newest first, with a
// query by date, operator, table and number, print and export. Read only: it has no edit or delete.
#include "ui/records/listwindow.h"
#include "ui/records/querydialog.h"

class AuditLogWindow : public ListWindow {
    Q_OBJECT
public:
    AuditLogWindow(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();
    // Its query dialog's row (class AuditLogQueryDialog).
    static const QueryDialogConfig& querySpec();

protected:
    void prepareQueryDialog(QueryDialog* dialog) override;
    bool editAllowed() override { return false; }
    bool deleteAllowed() override { return false; }
};

// Registers the viewer and its query dialog.
void registerAuditLogWindows();
