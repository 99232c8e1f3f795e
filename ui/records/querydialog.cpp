#include "ui/records/querydialog.h"
#include "core/dates.h"
#include "core/sqltext.h"
#include "data/datamodule.h"
#include "ui/common/inputmethods.h"
#include "ui/common/messages.h"
#include "ui/shell/help.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool dateEmpty(const QString& shown)
{
    return shown.isEmpty() || shown.startsWith(QLatin1Char(' '));
}

std::optional<QDate> dateOf(const QString& shown)
{
    QString t = shown;
    t.remove(QLatin1Char(' '));
    const auto dt = Dates::parseJet(t);
    if (!dt)
        return std::nullopt;
    return dt->date();
}

QString term(const Criterion& c, const QString& v, bool first)
{
    // Terms stand in their own parentheses; the condition puts "and" in front of the later ones.
    const QString open = QStringLiteral("(");
    const QString q = sqlText(v);
    switch (c.kind) {
    case CriterionKind::Contains:
        return open + c.column + QStringLiteral(" like '%") + q + QStringLiteral("%')");
    case CriterionKind::StartsWith:
        return open + c.column + QStringLiteral(" like '") + q + QStringLiteral("%')");
    case CriterionKind::StartsWithFirstOnly:
        return open + c.column + (first ? QStringLiteral(" like '") : QStringLiteral(" like '%")) + q + QStringLiteral("%')");
    case CriterionKind::Equals:
        return open + c.column + QStringLiteral(" = '") + q + QStringLiteral("')");
    case CriterionKind::YesNo:
        if (v == QStringLiteral("是"))
            return open + c.column + QStringLiteral(" = true)");
        if (v == QStringLiteral("否"))
            return open + c.column + QStringLiteral(" = false)");
        return {};
    default:
        return {};
    }
}

}  // namespace

QStringList buildTerms(const QueryDialogConfig& config, const QHash<QString, QString>& texts)
{
    QStringList terms;
    for (const Criterion& c : config.criteria) {
        if (c.kind == CriterionKind::DayRange || c.kind == CriterionKind::DateRange) {
            const QString f = texts.value(c.objectName), to = texts.value(c.toObjectName);
            if (dateEmpty(f) || dateEmpty(to))
                continue;
            if (c.kind == CriterionKind::DayRange) {
                terms << Dates::dayRangeTerm(c.column, f.trimmed(), to.trimmed(), c.function);
            } else {
                terms << QStringLiteral("(") + c.column + QStringLiteral(" between ") + c.function + QStringLiteral("('")
                             + sqlText(f.trimmed()) + QStringLiteral("') and ") + c.function + QStringLiteral("('")
                             + sqlText(to.trimmed()) + QStringLiteral("'))");
            }
            continue;
        }
        const QString v = texts.value(c.objectName).trimmed();
        if (v.isEmpty())
            continue;
        const QString t = term(c, v, terms.isEmpty());
        if (!t.isEmpty())
            terms << t;
    }
    return terms;
}

QString buildCondition(const QueryDialogConfig& config, const QHash<QString, QString>& texts)
{
    const QStringList terms = buildTerms(config, texts);
    QString condition;
    for (const QString& t : terms)
        condition += condition.isEmpty() ? t : QStringLiteral("and") + t;
    return condition;
}

ListQuery buildQuery(const QueryDialogConfig& config, const QHash<QString, QString>& texts)
{
    ListQuery q;
    q.table = config.table;
    q.terms = buildTerms(config, texts);
    q.lines = buildQueryLines(config, buildCondition(config, texts));
    const QString by = QStringLiteral("order by ");
    if (config.orderLine.startsWith(by))
        q.order = {orderMark(config.orderLine.mid(by.size()))};
    return q;
}

QStringList buildQueryLines(const QueryDialogConfig& config, const QString& condition)
{
    QStringList lines = config.selectLines;
    if (config.where == WhereStyle::OneLine)
        lines << QStringLiteral(" where ") + condition;
    else
        lines << QStringLiteral(" where ") << condition;
    lines << config.orderLine;
    return lines;
}

QueryDialog::QueryDialog(const QueryDialogConfig& config, TDm1* dm, QWidget* owner)
    : QDialog(owner), m_config(config), m_dm(dm), m_query(dm->query(config.query))
{
    Q_ASSERT(m_query);
    setObjectName(config.className.mid(1));
    setProperty("windowClass", config.className);
    setWindowTitle(config.caption);
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint;
    if (config.customerButtons)
        flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);

    auto* outer = new QHBoxLayout(this);
    auto* form = new QFormLayout;
    outer->addLayout(form, 1);
    auto makeLine = [this](const QString& name, bool date, bool upper) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        if (date)
            e->setInputMask(QStringLiteral("9999-99-99; "));
        if (upper)
            connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
                if (t != t.toUpper()) {
                    const int pos = e->cursorPosition();
                    e->setText(t.toUpper());
                    e->setCursorPosition(pos);
                }
            });
        m_controls.insert(name, e);
        return e;
    };
    for (const Criterion& c : config.criteria) {
        if (c.kind == CriterionKind::DayRange || c.kind == CriterionKind::DateRange) {
            auto* row = new QHBoxLayout;
            row->addWidget(makeLine(c.objectName, true, false));
            row->addWidget(new QLabel(c.toLabel, this));
            row->addWidget(makeLine(c.toObjectName, true, false));
            form->addRow(c.label, row);
            continue;
        }
        if (c.combo || !c.items.isEmpty()) {
            auto* box = new QComboBox(this);
            box->setObjectName(c.objectName);
            box->setEditable(true);
            box->addItems(c.items);
            box->setCurrentIndex(-1);
            box->setEditText(QString());
            m_controls.insert(c.objectName, box);
            form->addRow(c.label, box);
        } else {
            QLineEdit* e = makeLine(c.objectName, false, c.upper);
            // Chinese-text criteria switch the operator's input method on.
            if (!c.upper)
                InputMethods::applyCurrent(e);
            form->addRow(c.label, e);
        }
    }

    auto* buttons = new QVBoxLayout;
    auto button = [this, buttons](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    seekButton = button(config.customerButtons ? QStringLiteral("SpeedButton1") : QStringLiteral("bitbtn_seek"), config.seekCaption);
    closeButton = button(config.customerButtons ? QStringLiteral("SpeedButton2") : QStringLiteral("bitbtn_close"),
                         config.customerButtons ? QStringLiteral("返回 (&C)") : QStringLiteral("返回 (&R)"));
    if (!config.helpLines.isEmpty()) {
        helpButton = button(QStringLiteral("next"), QStringLiteral("帮助 (&H)"));
        connect(helpButton, &QPushButton::clicked, this, &QueryDialog::onHelp);
    }
    connect(seekButton, &QPushButton::clicked, this, &QueryDialog::onSeek);
    connect(closeButton, &QPushButton::clicked, this, &QueryDialog::onClose);
    if (config.busyAnimation) {
        busyAnimation = new QLabel(QStringLiteral("正在查找..."), this);
        busyAnimation->setObjectName(QStringLiteral("Animate1"));
        busyAnimation->setVisible(false);
        buttons->addWidget(busyAnimation);
    }
    buttons->addStretch(1);
    outer->addLayout(buttons);

    for (const QString& name : config.enterChain)
        if (QWidget* w = control(name))
            w->installEventFilter(this);
    if (!config.enterChain.isEmpty())
        focusControl(config.enterChain.first());
}

QWidget* QueryDialog::control(const QString& objectName) const
{
    return m_controls.value(objectName);
}

void QueryDialog::setText(const QString& objectName, const QString& text)
{
    QWidget* w = control(objectName);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
    else if (auto* c = qobject_cast<QComboBox*>(w))
        c->setEditText(text);
}

void QueryDialog::setItems(const QString& objectName, const QStringList& items)
{
    if (auto* c = qobject_cast<QComboBox*>(control(objectName))) {
        const QString text = c->currentText();
        c->clear();
        c->addItems(items);
        c->setEditText(text);
    }
}

QHash<QString, QString> QueryDialog::texts() const
{
    QHash<QString, QString> out;
    for (auto it = m_controls.begin(); it != m_controls.end(); ++it) {
        if (auto* e = qobject_cast<QLineEdit*>(it.value()))
            out.insert(it.key(), e->inputMask().isEmpty() ? e->text() : e->displayText());
        else if (auto* c = qobject_cast<QComboBox*>(it.value()))
            out.insert(it.key(), c->currentText());
    }
    return out;
}

void QueryDialog::focusControl(const QString& objectName)
{
    if (QWidget* w = control(objectName))
        w->setFocus(Qt::OtherFocusReason);
}

bool QueryDialog::checkRanges()
{
    const auto t = texts();
    for (const Criterion& c : m_config.criteria) {
        if (c.kind != CriterionKind::DayRange && c.kind != CriterionKind::DateRange)
            continue;
        const QString f = t.value(c.objectName), to = t.value(c.toObjectName);
        if (dateEmpty(f) && dateEmpty(to))
            continue;
        // A half-typed or impossible date is an input error as well: the engine could not read it.
        const auto from = dateEmpty(f) ? std::nullopt : dateOf(f);
        const auto until = dateEmpty(to) ? std::nullopt : dateOf(to);
        QString message;
        if (!from || !until)
            message = c.inputError;
        else if (*from > *until)
            message = c.orderError;
        if (!message.isEmpty()) {
            Msg::warn(this, message);
            focusControl(c.objectName);
            return false;
        }
    }
    return true;
}

void QueryDialog::stopAnimation()
{
    if (busyAnimation)
        busyAnimation->setVisible(false);
}

void QueryDialog::onSeek()
{
    if (!checkRanges())
        return;
    if (busyAnimation)
        busyAnimation->setVisible(true);
    const QString condition = buildCondition(m_config, texts());
    if (condition.isEmpty()) {
        Msg::warn(this, m_config.noCriteriaMessage);
        stopAnimation();
        if (!m_config.noCriteriaFocus.isEmpty())
            focusControl(m_config.noCriteriaFocus);
        return;
    }
    const QStringList previous = m_query->sql();
    const std::optional<ListQuery> previousList = m_query->listQuery() ? std::optional<ListQuery>(*m_query->listQuery())
                                                                       : std::nullopt;
    try {
        m_query->close();
        m_query->setQuery(buildQuery(m_config, texts()));
        m_query->open();
    } catch (const DbError& e) {
        // Leave the list usable: back to what it showed before.
        stopAnimation();
        Msg::error(this, e.text());
        try {
            m_query->close();
            if (previousList)
                m_query->setQuery(*previousList);
            else
                m_query->setSql(previous);
            m_query->open();
        } catch (const DbError& again) {
            qCWarning(lcData, "%s", qPrintable(again.text()));
        }
        return;
    }
    switch (m_config.variant) {
    case QueryVariant::AskAgain:
        if (m_query->isEmpty()) {
            const Msg::Button b = Msg::show(this, {QStringLiteral("提示"),
                                                   QStringLiteral("没有找到合适的记录,是否重新查找!!"),
                                                   Msg::Icon::Question,
                                                   {Msg::Button::Yes, Msg::Button::No},
                                                   Msg::Button::Yes});
            if (b == Msg::Button::Yes) {
                stopAnimation();
                return;
            }
        }
        stopAnimation();
        done(QDialog::Accepted);
        return;
    case QueryVariant::AlwaysClose:
        stopAnimation();
        m_query->first();
        done(QDialog::Accepted);
        return;
    case QueryVariant::StayUntilFound:
        stopAnimation();
        if (!m_query->isEmpty()) {
            done(QDialog::Accepted);
            return;
        }
        Msg::plain(this, QStringLiteral("没有找到相应的记录!"));
        return;
    }
}

void QueryDialog::onClose()
{
    done(QDialog::Rejected);
}

void QueryDialog::onHelp()
{
    showHelpLines(this, m_config.helpLines);
}

bool QueryDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const int i = m_config.enterChain.indexOf(watched->objectName());
            if (i >= 0) {
                if (i + 1 < m_config.enterChain.size())
                    focusControl(m_config.enterChain[i + 1]);
                else
                    onSeek();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
