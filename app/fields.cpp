#include "app/fields.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>

namespace {
class EnterFilter : public QObject {
public:
    EnterFilter(QObject* parent, std::function<void()> action) : QObject(parent), m_action(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_action();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};
} // namespace

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

void onEnter(QWidget* from, QWidget* focusTarget)
{
    from->installEventFilter(new EnterFilter(from, [focusTarget] { focusTarget->setFocus(); }));
}

void onEnterClick(QWidget* from, QAbstractButton* button)
{
    from->installEventFilter(new EnterFilter(from, [button] { button->click(); }));
}

} // namespace Fields
