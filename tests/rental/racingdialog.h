#pragma once
// The contract dialog of a workstation at which another one writes between its questions and its
// write: beforeWrite runs after the dialog's checks passed and before the row is stored.
#include "rental/bookings.h"

#include <functional>

class RacingContractDialog : public TForm_qczlb_edit {
public:
    using TForm_qczlb_edit::TForm_qczlb_edit;
    std::function<void()> beforeWrite;

protected:
    bool prepareWrite() override
    {
        const bool ok = TForm_qczlb_edit::prepareWrite();
        if (ok && beforeWrite)
            beforeWrite();
        return ok;
    }
};
