// The number field's drop-down calculator on real widgets, offscreen.
#include "ui/common/calculator.h"

#include <QAccessible>
#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

class TestCalculator : public QObject {
    Q_OBJECT

    // A field in a window, its calculator opened from the given text.
    struct Field {
        QWidget window;
        CalcEdit* edit = new CalcEdit(&window);
        QSignalSpy edited{edit, &QLineEdit::textEdited};
        Field(const QString& text, int decimals, double maximum = 0)
        {
            edit->setDecimals(decimals);
            edit->setMaximum(maximum);
            edit->setText(text);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            edit->setFocus();
            edit->showCalculator();
        }
        CalcPopup* popup() const { return edit->calculator(); }
    };

private Q_SLOTS:
    void buttonOpensAndResultIsTyped()
    {
        QWidget window;
        auto* edit = new CalcEdit(&window);
        edit->setDecimals(2);
        edit->setText(QStringLiteral("12.5"));
        QSignalSpy edited(edit, &QLineEdit::textEdited);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QToolButton* button = nullptr;
        for (QToolButton* b : edit->findChildren<QToolButton*>())
            if (b->defaultAction() == edit->calculatorAction())
                button = b;
        QVERIFY(button);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(button);
        QVERIFY(a);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("计算器"));
        QVERIFY(!button->toolTip().isEmpty());

        QTest::mouseClick(button, Qt::LeftButton);
        CalcPopup* popup = edit->calculator();
        QVERIFY(popup && popup->isVisible());
        QCOMPARE(popup->display(), QStringLiteral("12.5"));
        // The popup hangs below the field.
        QVERIFY(popup->geometry().top() >= edit->mapToGlobal(QPoint(0, edit->height())).y() - 1);

        QTest::keyClicks(popup, QStringLiteral("*3"));
        QCOMPARE(popup->pending(), QStringLiteral("12.5 ×"));
        QTest::keyClick(popup, Qt::Key_Return);
        QVERIFY(!popup->isVisible());
        QCOMPARE(edit->text(), QStringLiteral("37.50"));
        QCOMPARE(edited.size(), 1);
        QCOMPARE(edited.at(0).at(0).toString(), QStringLiteral("37.50"));
        // Put in as typed: one undo step brings the old amount back.
        edit->undo();
        QCOMPARE(edit->text(), QStringLiteral("12.5"));
    }

    void arithmetic_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("display");  // after the keys, before accepting
        QTest::addColumn<QString>("result");   // the field after Enter

        QTest::newRow("0.1+0.2 exact") << "" << 4 << "0.1+0.2="
                                       << "0.3"
                                       << "0.3000";
        QTest::newRow("thirds round back") << "" << 2 << "1/3*3="
                                           << "0.9999999999"
                                           << "1.00";
        QTest::newRow("immediate execution") << "" << 0 << "2+3*4="
                                             << "20"
                                             << "20";
        QTest::newRow("operator replaced") << "" << 0 << "6+-2="
                                           << "4"
                                           << "4";
        QTest::newRow("repeated point ignored") << "" << 2 << "1..5"
                                                << "1.5"
                                                << "1.50";
        QTest::newRow("half even down") << "" << 0 << "2.5"
                                        << "2.5"
                                        << "2";
        QTest::newRow("half even up") << "" << 0 << "3.5"
                                      << "3.5"
                                      << "4";
        QTest::newRow("half even cents") << "" << 2 << "0.125"
                                         << "0.125"
                                         << "0.12";
        QTest::newRow("above half") << "" << 2 << "0.1251"
                                    << "0.1251"
                                    << "0.13";
        QTest::newRow("negative half") << "" << 0 << "0-2.5="
                                       << "-2.5"
                                       << "-2";
        QTest::newRow("from field with grouping") << "1,234.5" << 2 << "+0.5="
                                                  << "1235"
                                                  << "1235.00";
        QTest::newRow("junk starts from zero") << "abc" << 0 << "+7="
                                               << "7"
                                               << "7";
        QTest::newRow("digit replaces start value") << "88" << 0 << "5"
                                                    << "5"
                                                    << "5";
        QTest::newRow("backspace") << "" << 0 << "123\b"
                                   << "12"
                                   << "12";
        QTest::newRow("backspace on result") << "" << 0 << "12+3=\b"
                                             << "15"
                                             << "15";
        QTest::newRow("clear") << "55" << 0 << "+9c4"
                               << "4"
                               << "4";
        QTest::newRow("large exact product") << "" << 2 << "123456789.12*1000="
                                             << "123456789120"
                                             << "123456789120.00";
    }

    void arithmetic()
    {
        QFETCH(QString, start);
        QFETCH(int, decimals);
        QFETCH(QString, keys);
        QFETCH(QString, display);
        QFETCH(QString, result);
        Field f(start, decimals);
        for (QChar c : keys) {
            if (c == QLatin1Char('\b'))
                QTest::keyClick(f.popup(), Qt::Key_Backspace);
            else
                QTest::keyClick(f.popup(), c.toLatin1());
        }
        QCOMPARE(f.popup()->display(), display);
        QTest::keyClick(f.popup(), Qt::Key_Enter);
        QCOMPARE(f.edit->text(), result);
        QCOMPARE(f.edited.size(), 1);
    }

    void errorsChangeNothing_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("display");
        QTest::newRow("division by zero") << "5/0"
                                          << "除数不能为零";
        QTest::newRow("too large") << "999999999999999*10"
                                   << "数值太大";
    }

    void errorsChangeNothing()
    {
        QFETCH(QString, keys);
        QFETCH(QString, display);
        Field f(QStringLiteral("8.00"), 2);
        QTest::keyClicks(f.popup(), keys);
        QTest::keyClick(f.popup(), Qt::Key_Return);
        QCOMPARE(f.popup()->display(), display);
        QVERIFY(f.popup()->hasError());
        QVERIFY(f.popup()->isVisible());
        // Accepting again is still refused.
        f.popup()->press(QStringLiteral("ok"));
        QCOMPARE(f.edit->text(), QStringLiteral("8.00"));
        QCOMPARE(f.edited.size(), 0);
        // A digit starts over.
        QTest::keyClick(f.popup(), '6');
        QVERIFY(!f.popup()->hasError());
        QCOMPARE(f.popup()->display(), QStringLiteral("6"));
    }

    void maximum()
    {
        Field f(QString(), 2, 100);
        // Rounded first: 99.995 becomes 100.00, which is allowed.
        QTest::keyClicks(f.popup(), QStringLiteral("99.995"));
        QTest::keyClick(f.popup(), Qt::Key_Return);
        QCOMPARE(f.edit->text(), QStringLiteral("100.00"));
        QVERIFY(f.edit->hasAcceptableInput());

        f.edit->showCalculator();
        QTest::keyClicks(f.popup(), QStringLiteral("+0.006"));
        QTest::keyClick(f.popup(), Qt::Key_Return);
        QVERIFY(f.popup()->isVisible());
        QCOMPARE(f.popup()->pending(), QStringLiteral("不能大于100.00"));
        QCOMPARE(f.edit->text(), QStringLiteral("100.00"));
        QCOMPARE(f.edited.size(), 1);
        // The clerk corrects the amount and it goes in.
        QTest::keyClicks(f.popup(), QStringLiteral("-1"));
        QTest::keyClick(f.popup(), Qt::Key_Return);
        QCOMPARE(f.edit->text(), QStringLiteral("99.01"));
    }

    // Typing is never cut short by the value: the field keeps every key and settles into its range
    // (rounded to its decimals, then brought to the nearer limit) when left or when Enter is pressed.
    void typedValuesSettleIntoTheRange_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("limited");  // 0 to 1000, otherwise no limits
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("settled");
        QTest::newRow("far past the maximum") << 4 << true << "922337203685478"
                                              << "1000.0000";
        QTest::newRow("past every field's digits") << 4 << true << "12345678901234567890"
                                                   << "1000.0000";
        QTest::newRow("negative") << 4 << true << "-100"
                                  << "0.0000";
        QTest::newRow("in range as typed") << 4 << true << "12.5"
                                           << "12.5";
        QTest::newRow("at the maximum") << 0 << true << "1000"
                                        << "1000";
        QTest::newRow("point in a whole-number field") << 0 << true << "109.5"
                                                       << "110";
        QTest::newRow("half to even") << 0 << true << "108.5"
                                      << "108";
        QTest::newRow("tie decided past ten places") << 0 << true << "108.500000000001"
                                                     << "109";
        QTest::newRow("grouping") << 2 << true << "1,000.5"
                                  << "1000.00";
        QTest::newRow("unlimited keeps the digits") << 4 << false << "12345678901234567890"
                                                    << "12345678901234567890";
        QTest::newRow("unlimited negative") << 2 << false << "-12.34"
                                            << "-12.34";
    }

    void typedValuesSettleIntoTheRange()
    {
        QFETCH(int, decimals);
        QFETCH(bool, limited);
        QFETCH(QString, typed);
        QFETCH(QString, settled);
        QWidget window;
        auto* edit = new CalcEdit(&window);
        auto* next = new QLineEdit(&window);
        edit->setDecimals(decimals);
        if (limited) {
            edit->setMinimum(0);
            edit->setMaximum(1000);
        }
        QSignalSpy edited(edit, &QLineEdit::textEdited);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), typed);
        if (limited)
            QCOMPARE(edit->hasAcceptableInput(), typed == settled);
        next->setFocus();
        QCOMPARE(edit->text(), settled);
        QCOMPARE(edited.last().at(0).toString(), settled);
        // Enter settles as well.
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), settled);
    }

    void calculatorRefusesBelowTheMinimum()
    {
        Field f(QStringLiteral("5"), 2, 100);
        f.edit->setMinimum(0);
        f.edit->showCalculator();
        QTest::keyClicks(f.popup(), QStringLiteral("-8"));
        QTest::keyClick(f.popup(), Qt::Key_Return);
        QVERIFY(f.popup()->isVisible());
        QCOMPARE(f.popup()->pending(), QStringLiteral("不能小于0.00"));
        QCOMPARE(f.edit->text(), QStringLiteral("5"));
    }

    void keyboard()
    {
        QWidget window;
        auto* edit = new CalcEdit(&window);
        edit->setDecimals(1);
        edit->setText(QStringLiteral("4.0"));
        QSignalSpy edited(edit, &QLineEdit::textEdited);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        edit->setFocus();

        QTest::keyClick(edit, Qt::Key_F4);
        QVERIFY(edit->calculator() && edit->calculator()->isVisible());
        QTest::keyClicks(edit->calculator(), QStringLiteral("+1"));
        QTest::keyClick(edit->calculator(), Qt::Key_Escape);
        QVERIFY(!edit->calculator()->isVisible());
        QCOMPARE(edit->text(), QStringLiteral("4.0"));
        QCOMPARE(edited.size(), 0);

        // Alt+Down opens it afresh from the field, not from the abandoned sum.
        QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
        QVERIFY(edit->calculator()->isVisible());
        QCOMPARE(edit->calculator()->display(), QStringLiteral("4"));
        QCOMPARE(edit->calculator()->pending(), QString());
        QTest::keyClicks(edit->calculator(), QStringLiteral("/8="));
        QTest::keyClick(edit->calculator(), Qt::Key_Enter);
        QCOMPARE(edit->text(), QStringLiteral("0.5"));
        QCOMPARE(edited.size(), 1);
        QCOMPARE(edit->cursorPosition(), 3);

        // Plain Down and typing still edit the field.
        QTest::keyClick(edit, Qt::Key_Down);
        QVERIFY(!edit->calculator()->isVisible());

        // A read-only field offers no calculator.
        edit->setReadOnly(true);
        QTest::keyClick(edit, Qt::Key_F4);
        QVERIFY(!edit->calculator()->isVisible());
    }

    void buttonsByName()
    {
        Field f(QStringLiteral("10"), 0);
        auto click = [&](const QString& name) {
            for (QPushButton* b : f.popup()->findChildren<QPushButton*>())
                if (b->accessibleName() == name || (b->accessibleName().isEmpty() && b->text() == name)) {
                    QTest::mouseClick(b, Qt::LeftButton);
                    return;
                }
            QFAIL(qPrintable(QStringLiteral("no button ") + name));
        };
        click(QStringLiteral("除"));
        click(QStringLiteral("4"));
        click(QStringLiteral("等于"));
        QCOMPARE(f.popup()->display(), QStringLiteral("2.5"));
        click(QStringLiteral("退格"));  // a result is not an entry
        QCOMPARE(f.popup()->display(), QStringLiteral("2.5"));
        click(QStringLiteral("确定"));
        QCOMPARE(f.edit->text(), QStringLiteral("2"));
        QCOMPARE(f.edited.size(), 1);
    }

    void dropInField()
    {
        CalcEdit edit;
        edit.setDecimals(2);
        edit.setMaximum(500);
        QVERIFY(edit.alignment() & Qt::AlignRight);
        edit.setText(QStringLiteral("12.345"));
        QVERIFY(!edit.hasAcceptableInput());
        edit.setText(QStringLiteral("501"));
        QVERIFY(!edit.hasAcceptableInput());
        edit.setText(QStringLiteral("-12.34"));
        QVERIFY(edit.hasAcceptableInput());
        edit.setMaximum(0);
        edit.setText(QStringLiteral("123456789.5"));
        QVERIFY(edit.hasAcceptableInput());
    }
};

QTEST_MAIN(TestCalculator)
#include "test_calculator.moc"
