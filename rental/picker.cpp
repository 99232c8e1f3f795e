#include "rental/picker.h"
#include "data/database.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"
#include "ui/records/recordgrid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PickWindow::PickWindow(const PickConfig& config, TDm1* dm, QWidget* owner)
    : QDialog(owner), m_config(config), m_dm(dm), m_query(dm->query(config.query))
{
    setObjectName(config.className.mid(1));
    setProperty("windowClass", config.className);
    setWindowTitle(config.caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);

    modeBox = new QComboBox(this);
    modeBox->setObjectName(QStringLiteral("ComboBox1"));
    modeBox->setEditable(true);
    modeBox->addItems(config.modes);
    modeBox->setCurrentIndex(0);
    searchEdit = new QLineEdit(this);
    searchEdit->setObjectName(QStringLiteral("Edit3"));
    connect(searchEdit, &QLineEdit::textEdited, searchEdit, [this](const QString& t) {
        if (t != t.toUpper()) {
            const int pos = searchEdit->cursorPosition();
            searchEdit->setText(t.toUpper());
            searchEdit->setCursorPosition(pos);
        }
    });
    searchEdit->installEventFilter(this);
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    findButton = button("SpeedButton1", QStringLiteral("查找 (&F)"));
    selectButton = button("SpeedButton3", QStringLiteral("选中"));
    returnButton = button("SpeedButton2", QStringLiteral("返回"));
    connect(findButton, &QPushButton::clicked, this, &PickWindow::search);
    connect(selectButton, &QPushButton::clicked, this, &PickWindow::chooseCurrent);
    connect(returnButton, &QPushButton::clicked, this, &PickWindow::onReturn);

    grid = new RecordGrid(this);
    grid->setObjectName(QStringLiteral("DBGrid2"));
    m_model = new RecordGridModel(m_query, this);
    m_model->setColumns(config.columns);
    grid->setGridModel(m_model);
    grid->setAutoFitColWidths(true);
    grid->installEventFilter(this);
    connect(grid, &QAbstractItemView::doubleClicked, this, &PickWindow::chooseCurrent);
    connect(grid, &RecordGrid::titleClicked, this, &PickWindow::sortBy);
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& cur) {
        if (!cur.isValid() || !m_query->isOpen() || cur.row() == m_query->currentRow())
            return;
        try {
            m_query->moveTo(cur.row());
        } catch (const DbError& e) {
            Msg::error(this, e.text());
        }
    });

    auto* top = new QHBoxLayout;
    top->addWidget(modeBox);
    top->addWidget(searchEdit, 1);
    top->addWidget(findButton);
    top->addWidget(selectButton);
    top->addWidget(returnButton);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(grid, 1);
    resize(560, 420);
}

void PickWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    grid->setFocus(Qt::OtherFocusReason);
}

void PickWindow::search()
{
    const QString text = searchEdit->text().trimmed();
    if (text.isEmpty() && !m_config.emptyTextSeeks)
        return;
    const std::optional<QString> cond = condition(modeBox->currentText().trimmed(), text);
    if (!cond) {
        Msg::plain(this, QStringLiteral("没有输入查找条件!"));
        searchEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    try {
        m_query->close();
        m_query->clearSql();
        m_query->addSql(m_config.selectLine);
        m_query->addSql(QStringLiteral(" where "));
        m_query->addSql(*cond);
        if (!m_config.orderLine.isEmpty())
            m_query->addSql(m_config.orderLine);
        m_query->open();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
        return;
    }
    if (m_query->isEmpty()) {
        Msg::plain(this, QStringLiteral("没有找到相应的记录!"));
        return;
    }
    grid->setFocus(Qt::OtherFocusReason);
}

void PickWindow::chooseCurrent()
{
    if (!m_query->isOpen() || m_query->isEmpty())
        return;
    try {
        const QModelIndex cur = grid->currentIndex();
        if (cur.isValid() && cur.row() != m_query->currentRow())
            m_query->moveTo(cur.row());
        choose();
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

void PickWindow::sortBy(int section)
{
    if (section < 0 || section >= m_model->columnCount() || !m_model->shownColumn(section).titleButton)
        return;
    if (!m_query->isOpen() || m_query->isEmpty())
        return;
    // Each click on the same title turns the direction; the rows stay those of the last search.
    const QString field = m_model->shownColumn(section).field;
    const QVector<SortMark>& old = m_model->sortMarks();
    const bool descending = !old.isEmpty() && old.first().field == field && !old.first().descending;
    QStringList lines = m_query->sql();
    QString& last = lines.last();
    const int order = last.indexOf(QStringLiteral("order by"), 0, Qt::CaseInsensitive);
    if (order == 0)
        lines.removeLast();
    else if (order > 0)
        last.truncate(order);
    const QVector<SortMark> marks{SortMark{field, descending}};
    lines << sortOrderLine(marks);
    try {
        m_query->close();
        m_query->setSql(lines);
        m_query->open();
        m_model->setSortMarks(marks);
    } catch (const DbError& e) {
        Msg::error(this, e.text());
    }
}

void PickWindow::onReturn()
{
    done(QDialog::Rejected);
}

bool PickWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == searchEdit && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            search();
            return true;
        }
        // A character typed in the grid (Enter included) chooses the row; moving keys move.
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool character = !key->text().isEmpty() && key->text().at(0).isPrint();
        if (watched == grid && m_config.keySelects && (enter || character)) {
            chooseCurrent();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
