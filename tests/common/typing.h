#pragma once
// Typing into fields as the clerk does, for the window tests: key events that carry their text
// (QTest::keyClicks cannot send Chinese characters).
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

// Characters added where the cursor stands.
inline void sendText(QWidget* w, const QString& text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
    }
}

// The field's text replaced: a drop-down's edit text, a memo's or a line's whole text (a masked
// line is emptied first and typed from its start).
inline void type(QWidget* w, const QString& text)
{
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        c->setEditText(text);
        return;
    }
    if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
        m->setFocus();
        m->selectAll();
        sendText(m, text);
        return;
    }
    auto* e = qobject_cast<QLineEdit*>(w);
    QVERIFY2(e, qPrintable(w ? w->objectName() : QStringLiteral("no field")));
    e->setFocus();
    e->selectAll();
    if (!e->text().trimmed().isEmpty() || !e->inputMask().isEmpty())
        QTest::keyClick(e, Qt::Key_Delete);
    e->home(false);
    sendText(e, text);
}

// What a field shows.
inline QString fieldText(QWidget* w)
{
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        return m->toPlainText();
    return {};
}
