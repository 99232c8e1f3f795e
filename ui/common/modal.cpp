#include "ui/common/modal.h"

#include <QDialog>
#include <QVariant>

namespace Modal {

int exec(QDialog* dialog)
{
    if (Recorder* rec = Recorder::current()) {
        // Configured windows carry the class they stand for; others are their own class.
        const QVariant cls = dialog->property("windowClass");
        rec->classes << (cls.isValid() ? cls.toString() : QString::fromLatin1(dialog->metaObject()->className()));
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

}  // namespace Modal
