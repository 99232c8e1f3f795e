#pragma once
// The monthly bar chart: TForm_dbbar shows the rows of 图形显示 (label sl1, value je1) as bars drawn
// by BarChart, in the order of the rows, each in its own colour with its value above it and the value
// axis on both sides; it saves a bitmap of the chart and prints it in landscape.
#include "core/money.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QVector>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QPainter;
class QPrinter;
class QPushButton;
class RecordSet;
class TDm1;
class Database;

enum class BarShape { Rectangle, Pyramid, InvertedPyramid, Cylinder, Ellipse, Arrow };

struct Bar {
    QString label;
    Money value;
    QColor colour;
};

class BarChart : public QWidget {
    Q_OBJECT
public:
    explicit BarChart(QWidget* parent = nullptr);

    void setBars(QVector<Bar> bars);
    const QVector<Bar>& bars() const { return m_bars; }
    void setBarColour(int index, const QColor& colour);
    void setShape(BarShape shape);
    BarShape shape() const { return m_shape; }
    void setThreeD(bool on);
    bool threeD() const { return m_threeD; }
    QString title;

    // The chart drawn into a rectangle of any device (screen, bitmap, printer page).
    void paintChart(QPainter& p, const QRect& area) const;
    // The bar under a point of the widget, -1 for none.
    int barAt(const QPoint& pos) const;
    // Where a bar is drawn in an area (its front face).
    QRectF barRect(int index, const QRect& area) const;

    // A bar's value as drawn: its whole text in a font that fits the bar's slot, written upright or,
    // when the bars are too narrow for that, turned to read upwards. `rect` is the box it covers.
    struct ValueLabel {
        QString text;
        QFont font;
        bool vertical = false;
        QRectF rect;
    };
    // The value labels for an area on a device (null: the screen).
    QVector<ValueLabel> valueLabels(const QRect& area, const QPaintDevice* device = nullptr) const;

    // The colour chooser a click on a bar opens; returns an invalid colour when cancelled.
    static std::function<QColor(QWidget*, const QColor&)>& colourChooser();

Q_SIGNALS:
    void barClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Frame {
        QRectF plot;
        double lo = 0, hi = 1;
        double slot = 0;
        double depth = 0;
        QFont labelFont;  // font of the value labels
        bool verticalLabels = false;
        double y(double v) const { return plot.bottom() - (v - lo) / (hi - lo) * plot.height(); }
    };
    Frame frame(const QRect& area, const QPaintDevice* device = nullptr) const;
    QRectF barRect(const Frame& f, int index) const;
    void paintBar(QPainter& p, const QRectF& r, double baseY, const QColor& c, double depth) const;

    QVector<Bar> m_bars;
    BarShape m_shape = BarShape::Rectangle;
    bool m_threeD = true;
};

// 图形显示 filled from the result rows in their current order: sl1 = 月份, je1 = 收入差价, in one transaction.
void fillChartTable(Database& db, const RecordSet& results);
// The bars of 图形显示 in its row order, coloured from the chart's palette.
QVector<Bar> readChartTable(Database& db);

class TForm_dbbar : public QDialog {
    Q_OBJECT
public:
    TForm_dbbar(QWidget* owner, TDm1* dm);

    QComboBox* shapeBox;       // 显示样式： (ComboBox1)
    QCheckBox* threeDBox;      // 立体图形 (CheckBox1)
    QPushButton* saveButton;   // 保存 (SpeedButton1)
    QPushButton* printButton;  // 打印 (SpeedButton2)
    QPushButton* closeButton;  // 退出 (SpeedButton3)
    BarChart* chart;           // DBChart1

    // The bar shape chosen in 显示样式.
    void showShape();
    // 立体图形 ticked or not.
    void showThreeD();
    // 保存: the chart into a BMP file the clerk names.
    void saveBitmap();
    // 打印: the chart on the default printer, landscape.
    void printChart();
    // A bar clicked: its colour from the colour chooser.
    void recolourBar(int index);

    // The chart as a bitmap of its size on screen.
    QImage chartImage() const;
    // The default printer of the run, which 打印 turns to landscape and back.
    static QPrinter& printer();
};
