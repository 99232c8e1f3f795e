#include "app/fallbackwindow.h"
#include "data/recordset.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

RecordSetTableModel::RecordSetTableModel(RecordSet* set, QObject* parent) : QAbstractTableModel(parent), m_set(set)
{
    // Whole resets are enough for a read-only view; the set changes only by reopening here.
    connect(m_set, &RecordSet::reset, this, &RecordSetTableModel::refresh);
    connect(m_set, &RecordSet::rowChanged, this, &RecordSetTableModel::refresh);
    connect(m_set, &RecordSet::rowInserted, this, &RecordSetTableModel::refresh);
    connect(m_set, &RecordSet::rowRemoved, this, &RecordSetTableModel::refresh);
}

void RecordSetTableModel::refresh()
{
    beginResetModel();
    endResetModel();
}

int RecordSetTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_set->isOpen() ? 0 : m_set->recordCount();
}

int RecordSetTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_set->isOpen() ? 0 : int(m_set->fields().size());
}

QVariant RecordSetTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    return m_set->displayText(index.row(), index.column());
}

QVariant RecordSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < columnCount() ? QVariant(m_set->fields().at(section).name) : QVariant();
    return section + 1;
}

FallbackWindow::FallbackWindow(QWidget* owner, const QString& windowClass, const QString& caption, RecordSet* set) : QDialog(owner)
{
    setObjectName(windowClass);
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    if (set) {
        m_grid = new QTableView(this);
        m_grid->setObjectName(QStringLiteral("DBGridEh1"));
        m_grid->setModel(new RecordSetTableModel(set, m_grid));
        m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        layout->addWidget(m_grid);
        resize(760, 480);
    } else {
        auto* label = new QLabel(caption, this);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
        resize(360, 160);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* back = new QPushButton(QStringLiteral("返回"), this);
    back->setObjectName(QStringLiteral("bitbtn1"));
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(back);
    layout->addLayout(buttons);
}
