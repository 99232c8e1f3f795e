// Plain text, CSV, HTML and RTF. All four are written for the desktop programs the operators open them
// with: UTF-8 with a byte order mark where nothing else declares the encoding, CRLF line ends.
#include "ui/records/export/exportlayout.h"
#include "ui/records/export/exportsink.h"

#include <QByteArray>
#include <QString>

namespace {

const QByteArray kBom("\xEF\xBB\xBF");
const QByteArray kCrlf("\r\n");

QString cellAt(const QStringList& row, int c)
{
    return row.value(c);
}

// Every line of the output in title, data, footer order, as cell texts, one at a time: the rows are
// asked for while the file is written, never held together.
template <typename Sink>
void forEachLine(const ExportTable& t, Sink&& sink)
{
    for (const QStringList& line : titleBlock(t.columns).grid())
        sink(line);
    const int n = int(t.columns.size());
    auto fit = [n](QStringList row) {
        while (row.size() < n)
            row << QString();
        if (row.size() > n)
            row.erase(row.begin() + n, row.end());
        return row;
    };
    for (int i = 0, rows = t.rowCount(); i < rows; ++i)
        sink(fit(t.row(i)));
    if (!t.footer.isEmpty())
        sink(fit(t.footer));
}

// ---- plain text: one line per row, cells separated by tabs ----

QString flatten(QString s)
{
    // A tab or line break inside a cell would split the row; the text keeps its words with a blank.
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& ch : s)
        if (ch == QLatin1Char('\t') || ch == QLatin1Char('\n') || ch == QLatin1Char('\r'))
            ch = QLatin1Char(' ');
    return s;
}

// ---- CSV ----

QString csvField(const QString& s)
{
    bool quote = false;
    for (QChar ch : s)
        if (ch == QLatin1Char(',') || ch == QLatin1Char('"') || ch == QLatin1Char('\n') || ch == QLatin1Char('\r')) {
            quote = true;
            break;
        }
    if (!s.isEmpty() && (s.front().isSpace() || s.back().isSpace()))
        quote = true;
    if (!quote)
        return s;
    QString q = s;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// ---- HTML ----

QString htmlText(const QString& s)
{
    QString out;
    out.reserve(s.size() + 8);
    for (int i = 0; i < s.size(); ++i) {
        const QChar ch = s[i];
        switch (ch.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\r':
            if (i + 1 < s.size() && s[i + 1] == QLatin1Char('\n'))
                break;
            out += QLatin1String("<br>");
            break;
        case '\n':
            out += QLatin1String("<br>");
            break;
        default:
            // characters beyond the basic plane as references: some readers drop their UTF-8 form
            if (ch.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
                out += QStringLiteral("&#%1;").arg(QChar::surrogateToUcs4(ch, s[i + 1]));
                ++i;
            } else {
                out += ch;
            }
        }
    }
    return out;
}

// ---- RTF ----

QByteArray rtfText(const QString& s)
{
    QByteArray out;
    out.reserve(s.size() * 2);
    for (int i = 0; i < s.size(); ++i) {
        const ushort u = s[i].unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == '\n') {
            out += "\\line ";
        } else if (u == '\r') {
            if (!(i + 1 < s.size() && s[i + 1] == QLatin1Char('\n')))
                out += "\\line ";
        } else if (u < 0x20) {
            // other control characters have no meaning in a cell
        } else if (u < 0x80) {
            out += char(u);
        } else {
            // \uN takes a signed 16-bit number; each UTF-16 unit (also of a surrogate pair) is one escape,
            // followed by the one-character fallback announced by \uc1, written as a hex escape so that
            // no reader can take it for the start of the following text.
            out += "\\u" + QByteArray::number(qint16(u)) + "\\'3f";
        }
    }
    return out;
}


// A cell that needs no change goes to the file as it is; the others are rewritten first.
bool plainText(const QString& s)
{
    for (QChar ch : s)
        if (ch == QLatin1Char('\t') || ch == QLatin1Char('\n') || ch == QLatin1Char('\r'))
            return false;
    return true;
}

bool plainCsv(const QString& s)
{
    for (QChar ch : s)
        if (ch == QLatin1Char(',') || ch == QLatin1Char('"') || ch == QLatin1Char('\n') || ch == QLatin1Char('\r'))
            return false;
    return s.isEmpty() || !(s.front().isSpace() || s.back().isSpace());
}

// ---- RTF table ----

const QByteArray kRtfBorder = "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                              "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";
const QByteArray kRtfRowStart = "\\trowd\\trgaph57\\trleft0";

// The right edge of each cell in twips. A4 portrait with 1 cm margins; the columns keep their screen
// proportions across the text width.
QVector<int> rtfCellEdges(const QVector<ExportColumn>& columns)
{
    constexpr int textWidth = 11906 - 2 * 567;
    QVector<int> right(columns.size());
    qint64 total = 0;
    for (const ExportColumn& c : columns)
        total += std::max(1, c.width);
    qint64 acc = 0;
    for (qsizetype c = 0; c < columns.size(); ++c) {
        acc += std::max(1, columns[c].width);
        right[c] = int(acc * textWidth / std::max<qint64>(total, 1));
    }
    return right;
}

void writeRtfPreamble(ExportSink& out)
{
    out.append("{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1\r\n");
    out.append("{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\r\n");
    out.append("\\paperw11906\\paperh16838\\margl567\\margr567\\margt567\\margb567\r\n");
    out.append("\\pard\\plain\\f0\\fs18\r\n");
}

struct RtfTitleCell {
    QString text;
    QByteArray merge;  // merge control words of the cell definition
};

// The title cells laid onto a grid with their merges marked: first cell of a span and its followers.
QVector<QVector<RtfTitleCell>> rtfTitleGrid(const TitleBlock& titles, int n)
{
    QVector<QVector<RtfTitleCell>> g(titles.depth, QVector<RtfTitleCell>(n));
    for (const TitleCell& tc : titles.cells) {
        for (int r = tc.row; r < tc.row + tc.rowSpan; ++r)
            for (int c = tc.column; c < tc.column + tc.columnSpan; ++c) {
                QByteArray m;
                if (tc.columnSpan > 1)
                    m += c == tc.column ? "\\clmgf" : "\\clmrg";
                if (tc.rowSpan > 1)
                    m += r == tc.row ? "\\clvmgf" : "\\clvmrg";
                g[r][c].merge = m;
            }
        g[tc.row][tc.column].text = tc.text;
    }
    return g;
}

// A title row: bold, centred, repeated at the top of every page.
void writeRtfTitleRow(ExportSink& out, const QVector<RtfTitleCell>& cells, const QVector<int>& right)
{
    QByteArray b = kRtfRowStart + "\\trhdr";
    for (qsizetype c = 0; c < cells.size(); ++c)
        b += cells[c].merge + kRtfBorder + "\\cellx" + QByteArray::number(right[c]);
    b += "\r\n";
    for (const RtfTitleCell& cell : cells) {
        b += "\\pard\\intbl\\qc {\\b ";
        b += rtfText(cell.text);
        b += "}\\cell\r\n";
    }
    b += "\\row\r\n";
    out.append(b);
}

// Data and footer rows: their cell definitions and alignments are the same on every row.
class RtfDataRows {
public:
    RtfDataRows(const QVector<ExportColumn>& columns, const QVector<int>& right) : m_align(columns.size())
    {
        m_definition = kRtfRowStart;
        for (int edge : right)
            m_definition += kRtfBorder + "\\cellx" + QByteArray::number(edge);
        m_definition += "\r\n";
        for (qsizetype c = 0; c < columns.size(); ++c)
            m_align[c] = isNumericType(columns[c].type) ? "\\pard\\intbl\\qr " : "\\pard\\intbl\\ql ";
    }

    void write(ExportSink& out, const QStringList& row)
    {
        m_row = m_definition;
        for (qsizetype c = 0; c < m_align.size(); ++c) {
            m_row += m_align[c];
            m_row += rtfText(cellAt(row, int(c)));
            m_row += "\\cell\r\n";
        }
        m_row += "\\row\r\n";
        out.append(m_row);
    }

private:
    QByteArray m_definition;
    QVector<QByteArray> m_align;
    QByteArray m_row;  // kept between rows: its buffer is reused
};

}  // namespace

bool writeText(const ExportTable& t, ExportSink& out)
{
    out.append(kBom);
    forEachLine(t, [&out](const QStringList& line) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (i > 0)
                out.append('\t');
            out.appendUtf8(plainText(line[i]) ? line[i] : flatten(line[i]));
        }
        out.append(kCrlf);
    });
    return out.flush();
}

bool writeCsv(const ExportTable& t, ExportSink& out)
{
    out.append(kBom);
    forEachLine(t, [&out](const QStringList& line) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (i > 0)
                out.append(',');
            out.appendUtf8(plainCsv(line[i]) ? line[i] : csvField(line[i]));
        }
        out.append(kCrlf);
    });
    return out.flush();
}

bool writeHtml(const ExportTable& t, ExportSink& out)
{
    const int n = int(t.columns.size());
    QString h;  // the part not yet written, which goes to the file row by row
    h += QLatin1String("<!DOCTYPE html>\r\n<html>\r\n<head>\r\n"
                       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n");
    h += QLatin1String("<title>") + htmlText(t.printTitle) + QLatin1String("</title>\r\n");
    h += QLatin1String("<style>table{border-collapse:collapse}th,td{border:1px solid #000;padding:2px 4px}"
                       "th{font-weight:bold;text-align:center}td.n{text-align:right}"
                       "tfoot td{font-weight:bold}</style>\r\n</head>\r\n<body>\r\n");
    h += QLatin1String("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\r\n");
    const TitleBlock titles = titleBlock(t.columns);
    if (titles.depth > 0) {
        h += QLatin1String("<thead>\r\n");
        int row = -1;
        for (const TitleCell& c : titles.cells) {
            if (c.row != row) {
                if (row >= 0)
                    h += QLatin1String("</tr>\r\n");
                h += QLatin1String("<tr>");
                row = c.row;
            }
            h += QLatin1String("<th");
            if (c.columnSpan > 1)
                h += QStringLiteral(" colspan=\"%1\"").arg(c.columnSpan);
            if (c.rowSpan > 1)
                h += QStringLiteral(" rowspan=\"%1\"").arg(c.rowSpan);
            h += QLatin1Char('>') + htmlText(c.text) + QLatin1String("</th>");
        }
        h += QLatin1String("</tr>\r\n</thead>\r\n");
    }
    QVector<bool> numeric(n);
    for (int c = 0; c < n; ++c)
        numeric[c] = isNumericType(t.columns[c].type);
    auto rowHtml = [&](const QStringList& r) {
        h += QLatin1String("<tr>");
        for (int c = 0; c < n; ++c) {
            h += numeric[c] ? QLatin1String("<td class=\"n\">") : QLatin1String("<td>");
            h += htmlText(cellAt(r, c));
            h += QLatin1String("</td>");
        }
        h += QLatin1String("</tr>\r\n");
        out.appendUtf8(h);
        h.clear();
    };
    h += QLatin1String("<tbody>\r\n");
    for (int i = 0, rows = t.rowCount(); i < rows; ++i)
        rowHtml(t.row(i));
    h += QLatin1String("</tbody>\r\n");
    if (!t.footer.isEmpty()) {
        h += QLatin1String("<tfoot>\r\n");
        rowHtml(t.footer);
        h += QLatin1String("</tfoot>\r\n");
    }
    h += QLatin1String("</table>\r\n</body>\r\n</html>\r\n");
    out.appendUtf8(h);
    return out.flush();
}

bool writeRtf(const ExportTable& t, ExportSink& out)
{
    const QVector<int> right = rtfCellEdges(t.columns);
    writeRtfPreamble(out);
    const TitleBlock titles = titleBlock(t.columns);
    for (const QVector<RtfTitleCell>& row : rtfTitleGrid(titles, int(t.columns.size())))
        writeRtfTitleRow(out, row, right);
    RtfDataRows data(t.columns, right);
    for (int i = 0, rows = t.rowCount(); i < rows; ++i)
        data.write(out, t.row(i));
    if (!t.footer.isEmpty())
        data.write(out, t.footer);
    out.append("\\pard\\par\r\n}\r\n");
    return out.flush();
}
