#pragma once
// The cash journal of the closing-date month (list, entry dialog with its focus routing by
// summary, 整理) and the summary codes it takes its summaries from. The rules are in journal.h.
#include "core/money.h"
#include "ui/records/editdialog.h"
#include "ui/records/listwindow.h"

class QLabel;

class TForm_xjrjz : public ListWindow {
    Q_OBJECT
public:
    TForm_xjrjz(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();

    QPushButton* tidyButton = nullptr;  // 整理 (SpeedButton6)

    // 整理: the closing-date month balanced again from 0 and listed.
    void tidyClosingMonth();

protected:
    QDialog* createEditDialog() override;
    void prepareQueryDialog(QueryDialog* dialog) override;
};

class TForm_xjrjz_edit : public EditDialog {
    Q_OBJECT
public:
    TForm_xjrjz_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();

    QLabel* noteLabel = nullptr;

    // The balance 增加 remembers for the run, the base of the next saved entry's 余额.
    static Money& previousBalance();

protected:
    void beforeAppend() override;
    bool moduleChecks() override;
    void assignBeforeWrite() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString summaryText() const;
};

class TForm_zy : public ListWindow {
    Q_OBJECT
public:
    TForm_zy(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();

protected:
    QDialog* createEditDialog() override;
    bool deleteAllowed() override;
};

class TForm_zy_edit : public EditDialog {
    Q_OBJECT
public:
    TForm_zy_edit(QWidget* owner, TDm1* dm);
    static const EditDialogConfig& spec();

protected:
    bool addGuardPasses() override;
    bool moduleChecks() override;
    void assignBeforeWrite() override;
    void showEvent(QShowEvent* event) override;
};
