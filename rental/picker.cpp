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

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->addItems(config.modes);
    ComboBox1->setCurrentIndex(0);
    Edit3 = new QLineEdit(this);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    connect(Edit3, &QLineEdit::textEdited, Edit3, [this](const QString& t) {
        if (t != t.toUpper()) {
            const int pos = Edit3->cursorPosition();
            Edit3->setText(t.toUpper());
            Edit3->setCursorPosition(pos);
        }
    });
    Edit3->installEventFilter(this);
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", QStringLiteral("查找 (&F)"));
    selectButton = button("SpeedButton3", QStringLiteral("选中"));
    SpeedButton2 = button("SpeedButton2", QStringLiteral("返回"));
    connect(SpeedButton1, &QPushButton::clicked, this, &PickWindow::SpeedButton1Click);
    connect(selectButton, &QPushButton::clicked, this, &PickWindow::DBGrid2DblClick);
    connect(SpeedButton2, &QPushButton::clicked, this, &PickWindow::SpeedButton2Click);

    DBGrid2 = new RecordGrid(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    m_model = new RecordGridModel(m_query, this);
    m_model->setColumns(config.columns);
    DBGrid2->setGridModel(m_model);
    DBGrid2->setAutoFitColWidths(true);
    DBGrid2->installEventFilter(this);
    connect(DBGrid2, &QAbstractItemView::doubleClicked, this, &PickWindow::DBGrid2DblClick);
    connect(DBGrid2, &RecordGrid::titleClicked, this, &PickWindow::sortBy);
    connect(DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& cur) {
        if (!cur.isValid() || !m_query->isOpen() || cur.row() == m_query->currentRow())
            return;
        try {
            m_query->moveTo(cur.row());
        } catch (const DbError& e) {
            Msg::error(this, e.text());
        }
    });

    auto* top = new QHBoxLayout;
    top->addWidget(ComboBox1);
    top->addWidget(Edit3, 1);
    top->addWidget(SpeedButton1);
    top->addWidget(selectButton);
    top->addWidget(SpeedButton2);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(DBGrid2, 1);
    resize(560, 420);
}

void PickWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DBGrid2->setFocus(Qt::OtherFocusReason);
}

void PickWindow::SpeedButton1Click()
{
    const QString text = Edit3->text().trimmed();
    if (text.isEmpty() && !m_config.emptyTextSeeks)
        return;
    const std::optional<QString> cond = condition(ComboBox1->currentText().trimmed(), text);
    if (!cond) {
        Msg::plain(this, QStringLiteral("没有输入查找条件!"));
        Edit3->setFocus(Qt::OtherFocusReason);
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
    DBGrid2->setFocus(Qt::OtherFocusReason);
}

void PickWindow::DBGrid2DblClick()
{
    if (!m_query->isOpen() || m_query->isEmpty())
        return;
    try {
        const QModelIndex cur = DBGrid2->currentIndex();
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

void PickWindow::SpeedButton2Click()
{
    done(QDialog::Rejected);
}

bool PickWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == Edit3 && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            SpeedButton1Click();
            return true;
        }
        // A character typed in the grid (Enter included) chooses the row; moving keys move.
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool character = !key->text().isEmpty() && key->text().at(0).isPrint();
        if (watched == DBGrid2 && m_config.keySelects && (enter || character)) {
            DBGrid2DblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
