#pragma once
// Which widgets a screen reader could not name: every widget the clerk can reach with Tab must
// carry an accessible name, be a labelled button, or be the buddy of a label.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

inline QStringList unnamedWidgets(QWidget* window)
{
    QStringList labelled;
    const auto labels = window->findChildren<QLabel*>();
    QStringList out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(window))
            continue;
        // The line of a drop-down or a spin box is named with its owner.
        if (qobject_cast<QComboBox*>(w->parentWidget()) || qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
            continue;
        if (qobject_cast<QTabBar*>(w) || qobject_cast<QTabWidget*>(w))
            continue;  // named by its tabs
        if (!w->accessibleName().trimmed().isEmpty())
            continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().remove(QLatin1Char('&')).trimmed().isEmpty())
            continue;
        bool buddy = false;
        for (QLabel* l : labels)
            buddy = buddy || (l->buddy() == w && !l->text().trimmed().isEmpty());
        if (!buddy)
            out << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
    }
    return out;
}
