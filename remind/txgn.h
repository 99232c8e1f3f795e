#pragma once
// The reminder list TForm_txgn: a list window over the scratch query whose 提醒 (and a double click)
// runs the scan for today.
#include "ui/records/listwindow.h"

class TForm_txgn : public ListWindow {
    Q_OBJECT
public:
    TForm_txgn(QWidget* owner, TDm1* dm);
    static const ListWindowConfig& spec();

    // 提醒: the scan into 通用, shown from its first row.
    void onEdit() override;
};
