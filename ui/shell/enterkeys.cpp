#include "ui/shell/enterkeys.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace {

class EnterFilter : public QObject {
public:
    EnterFilter(QWidget* from, std::function<void()> action) : QObject(from), m_action(std::move(action))
    {
        from->installEventFilter(this);
        // Date and spin boxes handle keys in their inner line edit first.
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(from))
            for (QWidget* child : spin->findChildren<QWidget*>())
                child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        m_action();
        return true;  // the dialog's default button must not see it as well
    }

private:
    std::function<void()> m_action;
};

}  // namespace

namespace EnterKeys {

void moveTo(QWidget* from, QWidget* next)
{
    QPointer<QWidget> target(next);
    new EnterFilter(from, [target] {
        if (target)
            target->setFocus(Qt::TabFocusReason);
    });
}

void click(QWidget* from, QAbstractButton* button)
{
    QPointer<QAbstractButton> target(button);
    new EnterFilter(from, [target] {
        if (target && target->isEnabled())
            target->click();
    });
}

}  // namespace EnterKeys
