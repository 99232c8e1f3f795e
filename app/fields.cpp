#include "app/fields.h"
#include "ui/shell/enterkeys.h"

#include <QAbstractButton>
#include <QLineEdit>

namespace Fields {

QString upperAscii(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return out;
}

void upperCase(QLineEdit* edit)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString up = upperAscii(text);
        if (up != text) {
            const int pos = edit->cursorPosition();
            edit->setText(up);
            edit->setCursorPosition(pos);
        }
    });
}

void forget(QLineEdit* edit)
{
    edit->setText(QString());
}

void onEnter(QWidget* from, QWidget* focusTarget)
{
    EnterKeys::moveTo(from, focusTarget);
}

void onEnterClick(QWidget* from, QAbstractButton* button)
{
    EnterKeys::click(from, button);
}

}  // namespace Fields
