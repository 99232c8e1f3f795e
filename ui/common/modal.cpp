#include "ui/common/modal.h"

#include <QDialog>

namespace Modal {

int exec(QDialog* dialog)
{
    if (Recorder* rec = Recorder::current()) {
        rec->classes << QString::fromLatin1(dialog->metaObject()->className());
        rec->names << dialog->objectName();
        rec->captions << dialog->windowTitle();
        dialog->setResult(QDialog::Rejected);
        dialog->show();
        if (rec->handler)
            rec->handler(dialog);
        if (dialog->isVisible())
            dialog->reject();
        return dialog->result();
    }
    return dialog->exec();
}

} // namespace Modal
