#include "ui/records/print/tableprinter.h"
#include "ui/records/export/exportlayout.h"

#include "core/clock.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QTextLayout>

namespace {

constexpr double kMarginMm = 2.0;
constexpr double kScreenDpi = 96.0;

QFont listFont(double pointSize, bool bold = false)
{
    QFont f;
    // The grid's own font; where it is not installed, fontconfig substitutes a CJK font.
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

// Wrapped text of one cell: at word boundaries, or anywhere where a word (a long number, a run of
// Chinese) is wider than the cell.
class CellText {
public:
    CellText(const QString& text, const QFont& font, QPaintDevice* device, double width, Qt::Alignment align)
        : m_layout(normalised(text), font, device)
    {
        QTextOption opt(align);
        opt.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_layout.setTextOption(opt);
        m_layout.beginLayout();
        for (;;) {
            QTextLine line = m_layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(std::max(width, 1.0));
            line.setPosition(QPointF(0, m_height));
            m_height += line.height();
        }
        m_layout.endLayout();
        if (m_height <= 0)
            m_height = QFontMetricsF(font, device).height();
    }
    double height() const { return m_height; }
    void draw(QPainter& p, const QPointF& at) const { m_layout.draw(&p, at); }

private:
    static QString normalised(QString s)
    {
        s.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
        s.replace(QLatin1Char('\n'), QChar::LineSeparator);
        s.replace(QLatin1Char('\r'), QChar::LineSeparator);
        return s;
    }
    QTextLayout m_layout;
    double m_height = 0;
};

struct Composer {
    Composer(QPainter& painter, QPagedPaintDevice& target, const ExportTable& table, int pageLimit, const PageRun& pageRun)
        : p(painter), device(target), t(table), maxPages(pageLimit), before(pageRun.pagesBefore), closingLine(pageRun.closingLine),
          page(pageRun.pagesBefore)
    {}
    QPainter& p;
    QPagedPaintDevice& device;
    const ExportTable& t;
    int maxPages = 0;
    int before = 0;  // pages of earlier tables of the same print
    bool closingLine = true;

    double dpi = 0;
    double pageWidth = 0, pageHeight = 0;
    double pad = 0, line = 0;
    QVector<double> left, width;  // column positions in device pixels
    QFont body, bold, titleFont, headerFont, closingFont;
    int page = 0;
    int rowsOnPage = 0;
    double y = 0;

    double mm(double v) const { return v * dpi / 25.4; }

    Qt::Alignment alignOf(int c) const
    {
        return (isNumericType(t.columns[c].type) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    }

    void setup()
    {
        dpi = device.logicalDpiY();
        const QRect paint = device.pageLayout().paintRectPixels(int(dpi));
        pageWidth = paint.width();
        pageHeight = paint.height();

        // The grid keeps the proportions of its screen columns across the page width. Its type shrinks
        // with a grid wider than the page, down to half size; rows then grow for the wrapped text.
        double screen = 0;
        for (const ExportColumn& c : t.columns)
            screen += std::max(1, c.width);
        const double scale = screen > 0 ? pageWidth / (screen * dpi / kScreenDpi) : 1.0;
        const double typeScale = std::clamp(scale, 0.5, 1.0);
        body = listFont(9 * typeScale);
        bold = listFont(9 * typeScale, true);
        titleFont = listFont(12);  // 16 pixels on the screen
        headerFont = listFont(9);
        closingFont = listFont(8);
        pad = mm(0.8) * typeScale;
        line = std::max(1.0, dpi / 200);

        double x = 0;
        for (const ExportColumn& c : t.columns) {
            const double w = pageWidth * std::max(1, c.width) / screen;
            left << x;
            width << w;
            x += w;
        }
    }

    void startPage()
    {
        if (page > 0)
            device.newPage();
        ++page;
        p.setPen(Qt::black);
        const QFontMetricsF tm(titleFont, &device);
        const QFontMetricsF hm(headerFont, &device);
        p.setFont(titleFont);
        p.drawText(QRectF(0, 0, pageWidth, tm.height()), Qt::AlignHCenter | Qt::AlignTop, t.printTitle);
        // left header: an empty line, then the page number
        p.setFont(headerFont);
        p.drawText(QRectF(0, hm.height(), pageWidth, hm.height()), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("第%1页").arg(page));
        y = std::max(tm.height(), 2 * hm.height()) + mm(1.5);
    }

    double remaining() const { return pageHeight - y; }

    void frame(const QRectF& r)
    {
        p.setPen(QPen(Qt::black, line));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
    }

    // The title rows, with merged cells for shared upper levels.
    double titleHeight(const TitleBlock& b, QVector<double>* rowHeights)
    {
        QVector<double> h(b.depth, 0);
        for (const TitleCell& c : b.cells) {
            if (c.rowSpan != 1)
                continue;
            const double w = spanWidth(c);
            h[c.row] = std::max(h[c.row], CellText(c.text, bold, &device, w - 2 * pad, Qt::AlignCenter).height() + 2 * pad);
        }
        for (const TitleCell& c : b.cells) {
            if (c.rowSpan == 1)
                continue;
            const double need = CellText(c.text, bold, &device, spanWidth(c) - 2 * pad, Qt::AlignCenter).height() + 2 * pad;
            double have = 0;
            for (int r = c.row; r < c.row + c.rowSpan; ++r)
                have += h[r];
            if (need > have)
                h[c.row + c.rowSpan - 1] += need - have;
        }
        double total = 0;
        for (double v : h)
            total += v;
        if (rowHeights)
            *rowHeights = h;
        return total;
    }

    double spanWidth(const TitleCell& c) const
    {
        return left[c.column + c.columnSpan - 1] + width[c.column + c.columnSpan - 1] - left[c.column];
    }

    void drawTitles(const TitleBlock& b, const QVector<double>& rowHeights)
    {
        QVector<double> top(b.depth + 1, y);
        for (int r = 0; r < b.depth; ++r)
            top[r + 1] = top[r] + rowHeights[r];
        for (const TitleCell& c : b.cells) {
            const QRectF r(left[c.column], top[c.row], spanWidth(c), top[c.row + c.rowSpan] - top[c.row]);
            frame(r);
            CellText text(c.text, bold, &device, r.width() - 2 * pad, Qt::AlignCenter);
            p.setPen(Qt::black);
            text.draw(p, QPointF(r.left() + pad, r.top() + (r.height() - text.height()) / 2));
        }
        y = top[b.depth];
    }

    double rowHeight(const QStringList& row, const QFont& font)
    {
        double h = QFontMetricsF(font, &device).height();
        for (int c = 0; c < t.columns.size(); ++c)
            h = std::max(h, CellText(row.value(c), font, &device, width[c] - 2 * pad, alignOf(c)).height());
        return h + 2 * pad;
    }

    void drawRow(const QStringList& row, const QFont& font, double h)
    {
        p.save();
        p.setClipRect(QRectF(0, y, pageWidth, std::min(h, remaining()) + line));
        for (int c = 0; c < t.columns.size(); ++c) {
            const QRectF r(left[c], y, width[c], h);
            frame(r);
            CellText text(row.value(c), font, &device, width[c] - 2 * pad, alignOf(c));
            p.setPen(Qt::black);
            text.draw(p, QPointF(r.left() + pad, r.top() + (h - text.height()) / 2));
        }
        p.restore();
        y += h;
    }

    int run()
    {
        setup();
        const TitleBlock titles = titleBlock(t.columns);
        QVector<double> titleRows;
        if (!t.columns.isEmpty())
            titleHeight(titles, &titleRows);

        auto newGridPage = [&] {
            startPage();
            rowsOnPage = 0;
            if (!t.columns.isEmpty())
                drawTitles(titles, titleRows);
        };
        newGridPage();
        bool full = false;  // the page limit is reached
        auto place = [&](const QStringList& row, const QFont& font) {
            if (t.columns.isEmpty())
                return;
            const double h = rowHeight(row, font);
            // A row that does not fit goes to the next page, unless the page holds no row yet (a row
            // taller than a page is cut at the page's end rather than moved on forever).
            if (h > remaining() && rowsOnPage > 0) {
                if (maxPages > 0 && page - before >= maxPages) {
                    full = true;
                    return;
                }
                newGridPage();
            }
            drawRow(row, font, h);
            ++rowsOnPage;
        };
        const int n = int(t.columns.size());
        for (const std::unique_ptr<RowCursor> rows = t.cursor(); !full && rows->next();)
            place(cellTexts(*rows, n), body);
        if (full)
            return page - before;
        if (!t.footer.isEmpty())
            place(t.footer, bold);
        if (!closingLine)
            return page - before;

        const QString closing = closingLineOf(t);
        const QFontMetricsF cm(closingFont, &device);
        y += mm(2);
        if (cm.height() > remaining())
            startPage();
        p.setFont(closingFont);
        p.setPen(Qt::black);
        p.drawText(QRectF(0, y, pageWidth, cm.height()), Qt::AlignLeft | Qt::AlignTop, closing);
        return page - before;
    }
};


}  // namespace

QString printTimeText(const QDateTime& at)
{
    return QStringLiteral("打印时间:") + at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString closingLineOf(const ExportTable& t)
{
    if (!t.closingLine.isEmpty())
        return t.closingLine;
    const QDateTime at = t.printedAt.isValid() ? t.printedAt : Clock::now();
    return printTimeText(at) + QString(21, QLatin1Char(' ')) + QStringLiteral("制表:") + t.operatorName + QStringLiteral(" .");
}

int paintPages(QPainter& painter, QPagedPaintDevice& device, const ExportTable& t, int maxPages, const PageRun& run)
{
    Composer c(painter, device, t, maxPages, run);
    return c.run();
}

void setupListPage(QPagedPaintDevice& device)
{
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
}

void printWithPreview(QWidget* parent, const ExportTable& t)
{
    if (PrintPreview::Recorder* r = PrintPreview::Recorder::current()) {
        ExportTable copy = t;
        if (copy.rowSource || copy.rowStream) {
            copy.rows.clear();
            if (const std::unique_ptr<RowCursor> streamed = t.rowStream ? t.rowStream() : nullptr)
                while (streamed->next())
                    copy.rows << cellTexts(*streamed, int(t.columns.size()));
            else
                for (int i = 0; i < t.rowCount(); ++i)
                    copy.rows << t.row(i);
            copy.rowSource = nullptr;
            copy.rowStream = nullptr;
            copy.sourceRows = 0;
        }
        r->m_tables << copy;
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    setupListPage(printer);
    QPrintPreviewDialog preview(&printer, parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&t](QPrinter* target) {
        QPainter painter;
        if (!painter.begin(target))
            return;
        paintPages(painter, *target, t);
        painter.end();
    });
    preview.exec();
}

bool printToPdf(const ExportTable& t, const QString& pdfPath, QString* error, int maxPages)
{
    return paintToPdf(
        pdfPath, t.printTitle, QPageLayout::Portrait,
        [&](QPainter& painter, QPagedPaintDevice& device) { paintPages(painter, device, t, maxPages); }, error);
}

bool paintToPdf(const QString& pdfPath, const QString& title, QPageLayout::Orientation orientation,
                const std::function<void(QPainter&, QPagedPaintDevice&)>& paint, QString* error)
{
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const QFileInfo info(pdfPath);
    if (!info.absoluteDir().exists())
        return fail(QStringLiteral("文件夹“%1”不存在，没有生成PDF文件。").arg(QDir::toNativeSeparators(info.absolutePath())));
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(
            QStringLiteral("无法创建文件“%1”（%2），没有生成PDF文件。").arg(QDir::toNativeSeparators(pdfPath), file.errorString()));
    {
        QPdfWriter writer(&file);
        writer.setResolution(600);
        writer.setTitle(title);
        setupListPage(writer);
        writer.setPageOrientation(orientation);
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return fail(QStringLiteral("无法生成PDF文件“%1”。").arg(QDir::toNativeSeparators(pdfPath)));
        }
        paint(painter, writer);
        painter.end();
    }
    if (!file.commit())
        return fail(QStringLiteral("无法保存文件“%1”（%2），可能是磁盘已满，没有生成PDF文件。")
                        .arg(QDir::toNativeSeparators(pdfPath), file.errorString()));
    return true;
}
