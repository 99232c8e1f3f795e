#pragma once
// The list windows' grid: a read-only table view with whole-row selection, a row indicator and one
// footer row drawn under the rows, aligned with the columns.
#include <QColor>
#include <QFont>
#include <QHash>
#include <QSet>
#include <QTableView>

class RecordGridModel;
class QWidget;

class RecordGrid : public QTableView {
    Q_OBJECT
public:
    explicit RecordGrid(QWidget* parent = nullptr);

    void setGridModel(RecordGridModel* model);
    RecordGridModel* gridModel() const { return m_model; }

    // Automatic column width: columns fill the grid's width.
    void setAutoFitColWidths(bool on);
    bool autoFitColWidths() const { return m_autoFit; }

    // Footer colours: green with white text on screen; printing switches them.
    QColor footerBackground = QColor(0, 128, 0);
    QColor footerText = Qt::white;
    QWidget* footerWidget() const { return m_footer; }
    int footerHeight() const;

    // Current column widths back into the model's columns (before hiding, storing, exporting).
    void captureWidths();
    // Widths of the model's columns onto the header.
    void applyWidths();

    // Rows on screen grow to fit multi-line or wrapped text; only these are measured, so a list of
    // any length costs the same.
    void fitVisibleRows();

Q_SIGNALS:
    void titleClicked(int section, Qt::KeyboardModifiers modifiers);

protected:
    void updateGeometries() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    RecordGridModel* m_model = nullptr;
    QWidget* m_footer;
    bool m_autoFit = false;
    bool m_fitting = false;
    bool m_fitQueued = false;
    void queueFit();
    struct FitPass;
    int otherCellsHeight(int row, FitPass* pass) const;
    bool oneLineFits(const QString& chars) const;
    qreal advanceOf(char16_t c) const;
    mutable QFont m_advanceFont;
    mutable QHash<char16_t, qreal> m_advances;  // per character of the grid's font; -1: not measured this way
};
