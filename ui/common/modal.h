#pragma once
// Modal windows are shown through this service, so that a test can drive a window that a command
// opens (fill it, press its buttons, inspect the shared queries) instead of entering a modal loop.
#include "ui/common/testhook.h"

#include <QStringList>
#include <functional>

class QDialog;

namespace Modal {

// Shows the dialog modally and returns its result (QDialog::exec() outside tests).
int exec(QDialog* dialog);

// Test replacement: each dialog is shown without a modal loop and passed to the handler, which
// drives it (fills fields, presses buttons). The dialog's result is returned; a dialog the handler
// leaves open is rejected. Without a handler every dialog is rejected at once.
class Recorder : public TestHook<Recorder> {
public:
    std::function<void(QDialog*)> handler;
    // Class name and caption of every dialog shown, in order.
    QStringList classes;
    QStringList names;  // objectName
    QStringList captions;

private:
    friend int exec(QDialog*);
};

}  // namespace Modal
