#pragma once
// Stand-in for a business window that is not built into the program: the prepared shared query
// as a read-only grid under the window's caption, so every command still shows its data.
#include <QAbstractTableModel>
#include <QDialog>

class RecordSet;
class QTableView;

// Read-only table over a record set; follows its opening and closing.
class RecordSetTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordSetTableModel(RecordSet* set, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void refresh();
    RecordSet* m_set;
};

class FallbackWindow : public QDialog {
    Q_OBJECT
public:
    // set may be null for a window without a query.
    FallbackWindow(QWidget* owner, const QString& windowClass, const QString& caption, RecordSet* set);
    QTableView* grid() const { return m_grid; }

private:
    QTableView* m_grid = nullptr;
};
