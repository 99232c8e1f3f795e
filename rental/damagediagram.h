#pragma once
// The car's outline seen from the left, from above and from the right, with the numbered damage
// marks of a handover sheet: one drawing for the window and the printed sheet.
#include "rental/handover.h"

#include <QColor>
#include <QWidget>
#include <functional>
#include <optional>

class QPainter;

namespace DamageDrawing {

// The colours of the marks: those being recorded, those recorded before (the dispatch's at return,
// kept for comparison), and a stage's own marks on paper beside another stage's new ones.
inline const QColor NewDamage{0xc0, 0x00, 0x00};
inline const QColor Earlier{0x9a, 0x9a, 0x9a};
inline const QColor Recorded{0x20, 0x20, 0x20};

// The picture keeps its shape (4:3), centred in whatever rect it is given; marks are thousandths of it.
QRectF pictureRect(const QRectF& bounds);
// The mark's place for a point of bounds, or nullopt outside the picture.
std::optional<QPoint> toThousandths(const QRectF& bounds, const QPointF& at);
QPointF fromThousandths(const QRectF& bounds, int x, int y);
// Radius of a mark's circle in a picture drawn into bounds.
qreal markRadius(const QRectF& bounds);

// Draws the outline and the marks into bounds: earlier ones grey and under the others, marks in
// colour; the mark numbered selected (if any) ringed.
void paint(QPainter& painter, const QRectF& bounds, const QVector<Handover::Mark>& marks, const QColor& colour = NewDamage,
           const QVector<Handover::Mark>& earlier = {}, int selected = 0);
// The same drawing as an <img> of rich text (a PNG in a data: URL), width in CSS pixels of the page.
QString htmlImage(const QVector<Handover::Mark>& marks, const QColor& colour, const QVector<Handover::Mark>& earlier, int width);

}  // namespace DamageDrawing

// The outline in a window: a left click on the car places the next numbered mark, a right click on
// a mark removes it; the earlier marks show greyed and cannot be changed.
class DamageDiagram : public QWidget {
    Q_OBJECT
public:
    explicit DamageDiagram(QWidget* parent = nullptr);

    const QVector<Handover::Mark>& marks() const { return m_marks; }
    void setMarks(const QVector<Handover::Mark>& marks);
    void setEarlierMarks(const QVector<Handover::Mark>& marks);
    // How the next mark is numbered; by default one past every number shown.
    void setNumbering(std::function<int()> next) { m_numbering = std::move(next); }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    void setSelected(int number);
    // The mark placed at a point of the widget; false outside the picture or when read-only.
    bool placeAt(const QPointF& at);
    // The mark (not an earlier one) under a point of the widget, 0 for none.
    int markAt(const QPointF& at) const;
    bool removeMark(int number);
    // Where a mark of the picture lies in the widget (for tests and tools).
    QPointF widgetPoint(int x, int y) const;

    QSize sizeHint() const override { return {400, 300}; }
    QSize minimumSizeHint() const override { return {240, 180}; }

Q_SIGNALS:
    // A mark placed or clicked.
    void markSelected(int number);
    void marksChanged();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QRectF area() const;

    QVector<Handover::Mark> m_marks, m_earlier;
    std::function<int()> m_numbering;
    int m_selected = 0;
    bool m_readOnly = false;
};
