#include "ui/common/calculator.h"

#include <QAction>
#include <QGridLayout>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QValidator>
#include <algorithm>
#include <optional>

namespace {

// Ten places hold any quotient a clerk would go on with; a 128-bit count of them holds fifteen whole
// digits (the field's range) with room for the product of two such numbers before it is rounded.
using Units = __int128;
constexpr int Places = 10;
constexpr Units pow10(int n)
{
    Units p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}
constexpr Units One = pow10(Places);
constexpr int WholeDigits = 15;
constexpr Units Limit = pow10(WholeDigits) * One;  // exclusive bound of every value

Units magnitude(Units u)
{
    return u < 0 ? -u : u;
}

// n / d rounded half to even (d > 0 or d < 0, any signs).
Units divideHalfEven(Units n, Units d)
{
    const bool neg = (n < 0) != (d < 0);
    const Units a = magnitude(n), b = magnitude(d);
    Units q = a / b;
    const Units r = a % b;
    if (r * 2 > b || (r * 2 == b && q % 2 == 1))
        ++q;
    return neg ? -q : q;
}

Units roundTo(Units u, int decimals)
{
    const Units step = pow10(Places - decimals);
    return divideHalfEven(u, step) * step;
}

// Plain decimal text, no exponent, no grouping; `decimals` < 0: as few decimals as the value needs.
QString format(Units u, int decimals)
{
    const bool neg = u < 0;
    Units a = magnitude(u);
    int shown = Places;
    if (decimals >= 0) {
        a = divideHalfEven(a, pow10(Places - decimals));
        shown = decimals;
    } else {
        while (shown > 0 && a % 10 == 0) {
            a /= 10;
            --shown;
        }
    }
    QString digits;
    for (Units x = a; x > 0; x /= 10)
        digits.prepend(QChar(u'0' + int(x % 10)));
    while (digits.size() <= shown)
        digits.prepend(QLatin1Char('0'));
    if (shown > 0)
        digits.insert(digits.size() - shown, QLatin1Char('.'));
    return neg && a != 0 ? QLatin1Char('-') + digits : digits;
}

// A typed number as far as it can be read, for bringing it into a field's range: more whole digits
// than any field holds (`beyond`) and decimals past ten places (`sticky`: one of them not zero)
// are noted instead of failing. Not a number: nullopt. Grouping commas are ignored.
struct Typed {
    Units value = 0;  // with its sign; meaningless when beyond
    bool negative = false;
    bool beyond = false;
    bool sticky = false;
};

std::optional<Typed> parseLoose(QString s)
{
    s = s.trimmed();
    s.remove(QLatin1Char(','));
    Typed t;
    int i = 0;
    if (!s.isEmpty() && (s[0] == QLatin1Char('-') || s[0] == QLatin1Char('+'))) {
        t.negative = s[0] == QLatin1Char('-');
        i = 1;
    }
    Units whole = 0, frac = 0;
    int wdigits = 0, fdigits = 0;
    bool any = false;
    for (; i < s.size() && s[i].isDigit(); ++i) {
        any = true;
        if (t.beyond)
            continue;
        whole = whole * 10 + s[i].digitValue();
        if (whole != 0 && ++wdigits > WholeDigits)
            t.beyond = true;
    }
    if (i < s.size() && s[i] == QLatin1Char('.')) {
        for (++i; i < s.size() && s[i].isDigit(); ++i) {
            any = true;
            if (fdigits == Places) {
                t.sticky = t.sticky || s[i] != QLatin1Char('0');
                continue;
            }
            frac = frac * 10 + s[i].digitValue();
            ++fdigits;
        }
    }
    if (i != s.size() || !any)
        return std::nullopt;
    const Units u = t.beyond ? 0 : whole * One + frac * pow10(Places - fdigits);
    t.value = t.negative ? -u : u;
    return t;
}

// The field's text or a typed entry; grouping commas are ignored. Fails on junk, on more whole
// digits than a field holds and on significant decimals beyond ten places.
std::optional<Units> parse(const QString& s)
{
    const std::optional<Typed> t = parseLoose(s);
    if (!t || t->beyond || t->sticky)
        return std::nullopt;
    return t->value;
}

// Rounds half to even to `decimals` places; `sticky` says the true value lies a little further from
// zero than `u` (digits past ten places), which decides a tie upwards and nothing else.
Units roundTo(Units u, int decimals, bool sticky)
{
    const Units step = pow10(Places - decimals);
    const bool neg = u < 0;
    const Units a = magnitude(u);
    Units q = a / step;
    const Units r = a % step;
    if (r * 2 > step || (r * 2 == step && (sticky || q % 2 == 1)))
        ++q;
    return neg ? -q * step : q * step;
}

QIcon calculatorIcon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 2));
    p.setBrush(QColor(0xf0, 0xf0, 0xf0));
    p.drawRoundedRect(QRectF(6, 2, 20, 28), 3, 3);
    p.setBrush(QColor(0x9c, 0xc0, 0x9c));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(9, 5, 14, 6));
    p.setBrush(QColor(0x40, 0x40, 0x40));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            p.drawRect(QRectF(9 + c * 5, 14 + r * 5, 3, 3));
    return QIcon(pm);
}

}  // namespace

// Immediate execution, as on a desk calculator: "2 + 3 ×" shows 5 before the × is applied.
class CalcPopup::Engine {
public:
    enum class Op { None, Add, Sub, Mul, Div };

    void clear()
    {
        entry = QStringLiteral("0");
        acc = 0;
        op = Op::None;
        fresh = true;
        error.clear();
    }

    void start(const QString& text)
    {
        clear();
        entry = format(parse(text).value_or(0), -1);
    }

    void digit(QChar d)
    {
        if (!error.isEmpty())
            clear();
        if (fresh) {
            entry = QStringLiteral("0");
            fresh = false;
        }
        const qsizetype point = entry.indexOf(QLatin1Char('.'));
        if (point >= 0 ? entry.size() - point - 1 >= Places : entry.size() >= WholeDigits)
            return;
        if (entry == QLatin1String("0"))
            entry = d;
        else
            entry += d;
    }

    void point()
    {
        if (!error.isEmpty())
            clear();
        if (fresh) {
            entry = QStringLiteral("0.");
            fresh = false;
        } else if (!entry.contains(QLatin1Char('.'))) {
            entry += QLatin1Char('.');
        }
    }

    void backspace()
    {
        if (!error.isEmpty()) {
            clear();
            return;
        }
        if (fresh)
            return;
        entry.chop(1);
        if (entry.isEmpty() || entry == QLatin1String("-"))
            entry = QStringLiteral("0");
    }

    void operate(Op next)
    {
        if (!error.isEmpty())
            return;
        if (op == Op::None)
            acc = value();
        else if (!fresh && !apply())
            return;
        op = next;
        fresh = true;
    }

    // False when the pending operation failed (the error is then shown).
    bool equals()
    {
        if (!error.isEmpty())
            return false;
        if (op != Op::None && !apply())
            return false;
        entry = format(value(), -1);
        op = Op::None;
        fresh = true;
        return true;
    }

    Units value() const { return parse(entry).value_or(0); }

    QString pending() const
    {
        if (op == Op::None || !error.isEmpty())
            return {};
        static const char16_t symbols[] = {u' ', u'+', u'\u2212', u'\u00d7', u'\u00f7'};
        return format(acc, -1) + QLatin1Char(' ') + QChar(symbols[int(op)]);
    }

    QString entry = QStringLiteral("0");
    QString error;

private:
    bool apply()
    {
        const Units b = value();
        Units r = 0;
        switch (op) {
        case Op::None:
            return true;
        case Op::Add:
            r = acc + b;
            break;
        case Op::Sub:
            r = acc - b;
            break;
        case Op::Mul: {
            Units p = 0;
            if (__builtin_mul_overflow(acc, b, &p))
                return fail(QStringLiteral("数值太大"));
            r = divideHalfEven(p, One);
            break;
        }
        case Op::Div:
            if (b == 0)
                return fail(QStringLiteral("除数不能为零"));
            // acc < 1e25, so acc * 1e10 stays far inside 128 bits.
            r = divideHalfEven(acc * One, b);
            break;
        }
        if (magnitude(r) >= Limit)
            return fail(QStringLiteral("数值太大"));
        acc = r;
        entry = format(r, -1);
        op = Op::None;
        return true;
    }

    bool fail(const QString& why)
    {
        error = why;
        op = Op::None;
        fresh = true;
        return false;
    }

    Units acc = 0;
    Op op = Op::None;
    bool fresh = true;
};

CalcPopup::CalcPopup(QWidget* parent) : QFrame(parent, Qt::Popup), m_engine(std::make_unique<Engine>())
{
    setObjectName(QStringLiteral("CalcPopup"));
    setAccessibleName(QStringLiteral("计算器"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    // The popup itself takes the keys; its buttons never hold the focus.
    setFocusPolicy(Qt::StrongFocus);

    m_pending = new QLabel(this);
    m_pending->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pending->setMinimumHeight(fontMetrics().height());
    m_display = new QLabel(this);
    m_display->setObjectName(QStringLiteral("display"));
    m_display->setAccessibleName(QStringLiteral("计算结果"));
    m_display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_display->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_display->setAutoFillBackground(true);
    m_display->setBackgroundRole(QPalette::Base);
    QFont big = m_display->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    m_display->setFont(big);
    m_display->setMinimumWidth(QFontMetrics(big).horizontalAdvance(QString(WholeDigits + 3, QLatin1Char('8'))));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(3);
    grid->addWidget(m_pending, 0, 0, 1, 4);
    grid->addWidget(m_display, 1, 0, 1, 4);
    struct Key {
        const char16_t* text;
        const char* key;
        const char16_t* name;
        int row, col, span;
    };
    static const Key keys[] = {
        {u"C", "C", u"清除", 2, 0, 1},     {u"\u2190", "back", u"退格", 2, 1, 1}, {u"\u00f7", "/", u"除", 2, 2, 1},
        {u"\u00d7", "*", u"乘", 2, 3, 1},  {u"7", "7", nullptr, 3, 0, 1},         {u"8", "8", nullptr, 3, 1, 1},
        {u"9", "9", nullptr, 3, 2, 1},     {u"\u2212", "-", u"减", 3, 3, 1},      {u"4", "4", nullptr, 4, 0, 1},
        {u"5", "5", nullptr, 4, 1, 1},     {u"6", "6", nullptr, 4, 2, 1},         {u"+", "+", u"加", 4, 3, 1},
        {u"1", "1", nullptr, 5, 0, 1},     {u"2", "2", nullptr, 5, 1, 1},         {u"3", "3", nullptr, 5, 2, 1},
        {u"=", "=", u"等于", 5, 3, 1},     {u"0", "0", nullptr, 6, 0, 2},         {u".", ".", u"小数点", 6, 2, 1},
        {u"确定", "ok", nullptr, 6, 3, 1},
    };
    for (const Key& k : keys) {
        auto* b = new QPushButton(QString::fromUtf16(k.text), this);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        b->setMinimumSize(34, 28);
        if (k.name)
            b->setAccessibleName(QString::fromUtf16(k.name));
        const QString key = QString::fromLatin1(k.key);
        connect(b, &QPushButton::clicked, this, [this, key] { press(key); });
        grid->addWidget(b, k.row, k.col, 1, k.span);
    }
    refresh();
}

CalcPopup::~CalcPopup() = default;

void CalcPopup::setLimits(int decimals, const QString& minimum, const QString& maximum)
{
    m_decimals = std::clamp(decimals, 0, Places);
    m_minimum = minimum;
    m_maximum = maximum;
}

void CalcPopup::start(const QString& value)
{
    m_engine->start(value);
    m_refusal.clear();
    refresh();
}

QString CalcPopup::display() const
{
    return m_display->text();
}

QString CalcPopup::pending() const
{
    return m_pending->text();
}

bool CalcPopup::hasError() const
{
    return !m_engine->error.isEmpty();
}

void CalcPopup::press(const QString& key)
{
    using Op = Engine::Op;
    m_refusal.clear();
    if (key.size() == 1 && key[0].isDigit())
        m_engine->digit(key[0]);
    else if (key == QLatin1String("."))
        m_engine->point();
    else if (key == QLatin1String("+"))
        m_engine->operate(Op::Add);
    else if (key == QLatin1String("-"))
        m_engine->operate(Op::Sub);
    else if (key == QLatin1String("*"))
        m_engine->operate(Op::Mul);
    else if (key == QLatin1String("/"))
        m_engine->operate(Op::Div);
    else if (key == QLatin1String("="))
        m_engine->equals();
    else if (key == QLatin1String("C"))
        m_engine->clear();
    else if (key == QLatin1String("back"))
        m_engine->backspace();
    else if (key == QLatin1String("ok"))
        return accept();
    refresh();
}

void CalcPopup::accept()
{
    if (!m_engine->equals()) {
        refresh();
        return;
    }
    const Units result = roundTo(m_engine->value(), m_decimals);
    // Refused rather than clamped: a worked-out amount changed behind the clerk's back would go
    // unnoticed.
    const std::optional<Units> minimum = parse(m_minimum);
    if (minimum && result < *minimum) {
        m_refusal = QStringLiteral("不能小于") + format(*minimum, m_decimals);
        refresh();
        return;
    }
    const std::optional<Units> maximum = parse(m_maximum);
    if (maximum && result > *maximum) {
        m_refusal = QStringLiteral("不能大于") + format(*maximum, m_decimals);
        refresh();
        return;
    }
    hide();
    Q_EMIT accepted(format(result, m_decimals));
}

void CalcPopup::refresh()
{
    m_display->setText(m_engine->error.isEmpty() ? m_engine->entry : m_engine->error);
    m_pending->setText(m_refusal.isEmpty() ? m_engine->pending() : m_refusal);
}

void CalcPopup::keyPressEvent(QKeyEvent* event)
{
    const int k = event->key();
    const QString text = event->text();
    if (k == Qt::Key_Escape || k == Qt::Key_F4 || (k == Qt::Key_Up && event->modifiers() & Qt::AltModifier)) {
        hide();
    } else if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        press(QStringLiteral("ok"));
    } else if (k == Qt::Key_Backspace) {
        press(QStringLiteral("back"));
    } else if (k == Qt::Key_Delete || k == Qt::Key_C) {
        press(QStringLiteral("C"));
    } else if (k == Qt::Key_Comma || k == Qt::Key_Period) {
        // The keypad's decimal key gives "," on some layouts.
        press(QStringLiteral("."));
    } else if (k == Qt::Key_Asterisk || k == Qt::Key_multiply || k == Qt::Key_X) {
        press(QStringLiteral("*"));
    } else if (k == Qt::Key_division) {
        press(QStringLiteral("/"));
    } else if (text.size() == 1 && QStringLiteral("0123456789+-/=").contains(text[0])) {
        press(text);
    } else if (k >= Qt::Key_0 && k <= Qt::Key_9) {
        press(QString(QChar(u'0' + (k - Qt::Key_0))));
    } else if (k == Qt::Key_Plus || k == Qt::Key_Minus || k == Qt::Key_Slash || k == Qt::Key_Equal) {
        press(QString(QChar(char16_t(k))));
    } else {
        QFrame::keyPressEvent(event);
        return;
    }
    event->accept();
}

// Lets through every character that can belong to a number, whatever its value: a keystroke past
// the maximum or below the minimum stays in the field. Acceptable is a number the field holds as
// it stands; anything else is Intermediate and settled when the field is left.
class NumberValidator : public QValidator {
public:
    explicit NumberValidator(CalcEdit* edit) : QValidator(edit), m_edit(edit) {}

    State validate(QString& input, int&) const override
    {
        bool point = false;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const QChar c = input[i];
            if (c.isDigit() && c.unicode() < 128)
                continue;
            if (c == QLatin1Char(',') || c == QLatin1Char(' '))
                continue;
            if (c == QLatin1Char('.') && !point) {
                point = true;
                continue;
            }
            if ((c == QLatin1Char('-') || c == QLatin1Char('+')) && input.left(i).trimmed().isEmpty())
                continue;
            return Invalid;
        }
        const std::optional<Typed> t = parseLoose(input);
        if (!t || t->beyond || input.contains(QLatin1Char(',')) || input.trimmed() != input)
            return Intermediate;
        return m_edit->settledText(input) == input ? Acceptable : Intermediate;
    }

    void fixup(QString& input) const override { input = m_edit->settledText(input); }

private:
    CalcEdit* m_edit;
};

CalcEdit::CalcEdit(QWidget* parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight);
    // Field texts are always written with "." whatever the desktop's locale.
    m_validator = new NumberValidator(this);
    setValidator(m_validator);

    m_action = addAction(calculatorIcon(), QLineEdit::TrailingPosition);
    m_action->setObjectName(QStringLiteral("calculator"));
    m_action->setText(QStringLiteral("计算器"));
    m_action->setToolTip(QStringLiteral("计算器 (Alt+↓ 或 F4)"));
    connect(m_action, &QAction::triggered, this, &CalcEdit::showCalculator);
    // The field draws the action as a tool button of its own; named for screen readers.
    for (QToolButton* b : findChildren<QToolButton*>())
        if (b->defaultAction() == m_action)
            b->setAccessibleName(m_action->text());
}

void CalcEdit::setDecimals(int decimals)
{
    m_decimals = std::clamp(decimals, 0, 4);
}

void CalcEdit::setMaximum(double maximum)
{
    m_maximum = maximum;
}

void CalcEdit::setMinimum(double minimum)
{
    m_minimum = minimum;
}

QString CalcEdit::limitText(double limit) const
{
    return QString::number(limit, 'f', 4);
}

QString CalcEdit::settledText(const QString& text) const
{
    const std::optional<Typed> t = parseLoose(text);
    if (!t)
        return text;
    const std::optional<Units> low = m_minimum ? parse(limitText(*m_minimum)) : std::nullopt;
    const std::optional<Units> high = m_maximum > 0 ? parse(limitText(m_maximum)) : std::nullopt;
    Units v = t->beyond ? 0 : roundTo(t->value, m_decimals, t->sticky);
    if (t->beyond || magnitude(v) >= Limit) {
        // Past every field's digits: only a limit on that side can say what it becomes.
        const std::optional<Units>& side = t->negative ? low : high;
        return side ? format(*side, m_decimals) : text;
    }
    if (low && v < *low)
        v = *low;
    if (high && v > *high)
        v = *high;
    if (v == t->value && !t->sticky && !text.contains(QLatin1Char(',')))
        return text;
    return format(v, m_decimals);
}

void CalcEdit::settle()
{
    const QString settled = settledText(text());
    if (settled == text())
        return;
    // Through the editing path, as if typed: undoable, and textEdited is emitted.
    selectAll();
    insert(settled);
    if (text() != settled) {
        setText(settled);
        Q_EMIT textEdited(settled);
    }
}

void CalcEdit::showCalculator()
{
    if (isReadOnly() || !isEnabled())
        return;
    if (!m_popup) {
        m_popup = new CalcPopup(this);
        connect(m_popup, &CalcPopup::accepted, this, &CalcEdit::putResult);
    }
    m_popup->setLimits(m_decimals, m_minimum ? limitText(*m_minimum) : QString(), m_maximum > 0 ? limitText(m_maximum) : QString());
    m_popup->start(text());
    m_popup->adjustSize();

    // Below the field, right edges together; above it where the screen ends.
    const QSize size = m_popup->sizeHint();
    QPoint at = mapToGlobal(QPoint(width() - size.width(), height()));
    if (const QScreen* s = screen()) {
        const QRect avail = s->availableGeometry();
        if (at.y() + size.height() > avail.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        at.setX(std::clamp(at.x(), avail.left(), std::max(avail.left(), avail.right() - size.width())));
        at.setY(std::max(at.y(), avail.top()));
    }
    m_popup->move(at);
    m_popup->show();
    m_popup->setFocus(Qt::PopupFocusReason);
}

void CalcEdit::putResult(const QString& result)
{
    setFocus(Qt::OtherFocusReason);
    // Through the editing path, as if typed: validated, undoable, and textEdited is emitted.
    selectAll();
    insert(result);
    if (text() != result) {
        setText(result);
        Q_EMIT textEdited(result);
    }
}

void CalcEdit::keyPressEvent(QKeyEvent* event)
{
    const bool f4 = event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier;
    const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (f4 || altDown) {
        showCalculator();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        settle();
    QLineEdit::keyPressEvent(event);
}

void CalcEdit::focusOutEvent(QFocusEvent* event)
{
    // The calculator starts from the text as typed; any other way out shows what the field holds.
    if (event->reason() != Qt::PopupFocusReason && isModified())
        settle();
    QLineEdit::focusOutEvent(event);
}
