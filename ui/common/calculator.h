#pragma once
// Number fields with a drop-down calculator: the clerk works out an amount (a rate times days, a
// sum of receipts) where it is entered. The arithmetic is exact decimal, never binary floating
// point, so 0.1 + 0.2 is 0.3 and what lands in the field is what a clerk would get on paper.
#include <QFrame>
#include <QLineEdit>
#include <QString>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class NumberValidator;

// The popup: keys and buttons for digits, ".", + − × ÷, =, C, backspace and 确定.
// Enter or 确定 accepts; Escape (or a click elsewhere) closes without a result.
class CalcPopup : public QFrame {
    Q_OBJECT
public:
    explicit CalcPopup(QWidget* parent = nullptr);
    ~CalcPopup() override;

    // What the field allows: the result is rounded half to even to `decimals` places, and refused
    // below `minimum` and above `maximum` (decimal texts; empty: no limit).
    void setLimits(int decimals, const QString& minimum, const QString& maximum);
    // Starts over from the field's text; text that is not a number starts from 0.
    void start(const QString& value);

    QString display() const;  // the number or error shown
    QString pending() const;  // the line above it: "12 +" while an operation waits, or a refusal
    bool hasError() const;

    // One key as typed: "0".."9", ".", "+", "-", "*", "/", "=", "C", "back", "ok".
    void press(const QString& key);

Q_SIGNALS:
    // The field's new text, already rounded and within the maximum.
    void accepted(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void accept();
    void refresh();

    class Engine;
    std::unique_ptr<Engine> m_engine;
    QLabel* m_pending = nullptr;
    QLabel* m_display = nullptr;
    QString m_refusal;
    int m_decimals = 0;
    QString m_minimum;
    QString m_maximum;
};

// Drop-in for the plain number field: right aligned, typing limited to the characters of a number,
// and the calculator behind a button at the right end, Alt+Down or F4. An accepted result is put in
// as if typed, so textEdited fires and undo works.
// No keystroke is ever dropped for its value: a number outside the field's range or with more
// decimals than it shows stays as typed until the field is left (or its value taken), and is then
// rounded to the field's decimals and brought to the nearer limit, visibly in the field.
class CalcEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CalcEdit(QWidget* parent = nullptr);

    void setDecimals(int decimals);
    int decimals() const { return m_decimals; }
    // 0: no maximum (what the column cannot hold is refused when the row is saved).
    void setMaximum(double maximum);
    double maximum() const { return m_maximum; }
    // No minimum until one is set.
    void setMinimum(double minimum);
    std::optional<double> minimum() const { return m_minimum; }

    // The text rounded to the field's decimals and brought into its range; text that is not a
    // number, and a number beyond a limit the field does not have, come back unchanged.
    QString settledText(const QString& text) const;
    // Puts settledText() into the field, as typed, when it differs.
    void settle();

    void showCalculator();
    CalcPopup* calculator() const { return m_popup; }  // null until first shown
    QAction* calculatorAction() const { return m_action; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void putResult(const QString& text);
    QString limitText(double limit) const;

    NumberValidator* m_validator = nullptr;
    QAction* m_action = nullptr;
    CalcPopup* m_popup = nullptr;
    int m_decimals = 0;
    double m_maximum = 0;
    std::optional<double> m_minimum;
};
