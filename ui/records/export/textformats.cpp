// Plain text, CSV, HTML and RTF. All four are written for the desktop programs the operators open them
// with: UTF-8 with a byte order mark where nothing else declares the encoding, CRLF line ends.
#include "ui/records/export/exportlayout.h"
#include "ui/records/export/exportsink.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <charconv>
#include <cstring>
#include <string>

namespace {

const QByteArray kBom("\xEF\xBB\xBF");
const QByteArray kCrlf("\r\n");

// Every line of the output in title, data, footer order, its cells as UTF-8, one at a time: the rows
// are read while the file is written, never held together. A line has as many cells as there are
// columns (missing cells are empty, cells beyond are not written).
template <typename Sink>
void forEachLine(const ExportTable& t, Sink&& sink)
{
    Utf8Cells line;
    for (const QStringList& titles : titleBlock(t.columns).grid()) {
        line.assign(titles);
        sink(line);
    }
    for (const std::unique_ptr<RowCursor> rows = t.cursor(); rows->next();)
        sink(*rows);
    if (!t.footer.isEmpty()) {
        line.assign(t.footer);
        sink(line);
    }
}

// The code point whose UTF-8 bytes start at s[i].
char32_t codePointAt(std::string_view s, size_t i)
{
    const uchar lead = uchar(s[i]);
    if (lead < 0x80)
        return lead;
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (more == 0 || i + more >= s.size())
        return 0xFFFD;
    char32_t cp = lead & (0x3F >> more);
    for (int k = 1; k <= more; ++k)
        cp = (cp << 6) | (uchar(s[i + k]) & 0x3F);
    return cp;
}

// ---- plain text: one line per row, cells separated by tabs ----

// A tab or line break inside a cell would split the row; the text keeps its words with a blank.
void appendFlat(ExportSink& out, std::string_view s, std::string& scratch)
{
    bool plain = true;
    for (const char ch : s)
        plain = plain && ch != '\t' && ch != '\n' && ch != '\r';
    if (plain) {
        out.appendBytes(s);
        return;
    }
    scratch.clear();
    for (size_t i = 0; i < s.size(); ++i) {
        const char ch = s[i];
        if (ch == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
            scratch += ' ';
            ++i;
        } else {
            scratch += (ch == '\t' || ch == '\n' || ch == '\r') ? ' ' : ch;
        }
    }
    out.appendBytes(scratch);
}

// ---- CSV ----

// Whether a cell begins or ends with white space (which a reader would trim away unquoted).
bool edgeSpace(std::string_view s)
{
    const uchar head = uchar(s.front()), tail = uchar(s.back());
    if (head > 0x20 && head < 0x80 && tail > 0x20 && tail < 0x80)
        return false;
    size_t last = s.size() - 1;
    while (last > 0 && (uchar(s[last]) & 0xC0) == 0x80)
        --last;
    return QChar::isSpace(codePointAt(s, 0)) || QChar::isSpace(codePointAt(s, last));
}

void appendCsv(ExportSink& out, std::string_view s, std::string& scratch)
{
    bool plain = true;
    for (const char ch : s)
        plain = plain && ch != ',' && ch != '"' && ch != '\n' && ch != '\r';
    if (plain && (s.empty() || !edgeSpace(s))) {
        out.appendBytes(s);
        return;
    }
    scratch.assign(1, '"');
    for (const char ch : s) {
        if (ch == '"')
            scratch += '"';
        scratch += ch;
    }
    scratch += '"';
    out.appendBytes(scratch);
}

// ---- HTML ----

// The bytes HTML writes otherwise: markup characters, line breaks, and the lead bytes of characters
// beyond the basic plane.
constexpr std::array<bool, 256> kHtmlSpecial = [] {
    std::array<bool, 256> t{};
    for (const char c : {'&', '<', '>', '"', '\r', '\n'})
        t[uchar(c)] = true;
    for (int b = 0xF0; b < 0x100; ++b)
        t[size_t(b)] = true;
    return t;
}();

void appendHtml(std::string& out, std::string_view s)
{
    size_t plain = 0;  // where the bytes not yet written, which stay as they are, begin
    for (size_t i = 0; i < s.size(); ++i) {
        const char ch = s[i];
        if (!kHtmlSpecial[uchar(ch)])
            continue;
        out.append(s.data() + plain, i - plain);
        plain = i + 1;
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\r':
            if (i + 1 < s.size() && s[i + 1] == '\n')
                break;
            out += "<br>";
            break;
        case '\n':
            out += "<br>";
            break;
        default:
            // characters beyond the basic plane as references: some readers drop their UTF-8 form
            if (i + 3 < s.size()) {
                char number[16];
                const auto end = std::to_chars(number, number + sizeof number, quint32(codePointAt(s, i))).ptr;
                out += "&#";
                out.append(number, size_t(end - number));
                out += ';';
                i += 3;
                plain = i + 1;
            } else {
                out += ch;
            }
        }
    }
    out.append(s.data() + plain, s.size() - plain);
}

std::string htmlText(const QString& s)
{
    std::string out;
    appendHtml(out, s.toUtf8().toStdString());
    return out;
}

// ---- RTF ----

// What RTF makes of each byte of a cell's UTF-8 text.
enum RtfByte : uchar {
    RtfPlain,      // written as it is
    RtfSymbol,     // \ { }: a backslash before it
    RtfDropped,    // other control characters have no meaning in a cell
    RtfTab,        // \tab
    RtfLineFeed,   // \line
    RtfReturn,     // \line, unless a line feed follows
    RtfMultibyte,  // the lead (or a stray continuation) byte of a character beyond ASCII
};

constexpr std::array<uchar, 256> kRtfBytes = [] {
    std::array<uchar, 256> t{};
    for (int b = 0; b < 0x20; ++b)
        t[size_t(b)] = RtfDropped;
    for (int b = 0x80; b < 0x100; ++b)
        t[size_t(b)] = RtfMultibyte;
    t[uchar('\\')] = t[uchar('{')] = t[uchar('}')] = RtfSymbol;
    t[uchar('\t')] = RtfTab;
    t[uchar('\n')] = RtfLineFeed;
    t[uchar('\r')] = RtfReturn;
    return t;
}();

// A cell's text in RTF: control characters of RTF escaped, line breaks and tabs as control words,
// every UTF-16 unit beyond ASCII as \uN (a signed 16-bit number; each unit of a surrogate pair is one
// escape) followed by the one-character fallback announced by \uc1, written as a hex escape so that no
// reader can take it for the start of the following text. Written in place from the UTF-8 bytes, runs
// of plain bytes copied whole.
void appendRtf(ExportSink& out, std::string_view s)
{
    char* p = out.room(s.size() * 6);  // the longest escape of a byte's share of a character
    auto put = [&p](const char* text, size_t n) {
        memcpy(p, text, n);
        p += n;
    };
    auto escape = [&](char16_t u) {
        put("\\u", 2);
        p = std::to_chars(p, p + 6, int(qint16(u))).ptr;
        put("\\'3f", 4);
    };
    const char* const data = s.data();
    const size_t size = s.size();
    for (size_t i = 0; i < size;) {
        size_t plain = i;
        while (plain < size && kRtfBytes[uchar(data[plain])] == RtfPlain)
            ++plain;
        put(data + i, plain - i);
        if ((i = plain) == size)
            break;
        const uchar b = uchar(data[i]);
        switch (kRtfBytes[b]) {
        case RtfSymbol:
            *p++ = '\\';
            *p++ = char(b);
            break;
        case RtfTab:
            put("\\tab ", 5);
            break;
        case RtfLineFeed:
            put("\\line ", 6);
            break;
        case RtfReturn:
            if (!(i + 1 < size && data[i + 1] == '\n'))
                put("\\line ", 6);
            break;
        case RtfMultibyte: {
            const char32_t cp = codePointAt(s, i);
            i += b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
            if (cp > 0xFFFF) {
                escape(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
                escape(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
            } else {
                escape(char16_t(cp));
            }
            break;
        }
        default:
            break;
        }
        ++i;
    }
    out.wrote(p);
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
    out.append(b);
    for (const RtfTitleCell& cell : cells) {
        out.append("\\pard\\intbl\\qc {\\b ");
        appendRtf(out, cell.text.toUtf8().toStdString());
        out.append("}\\cell\r\n");
    }
    out.append("\\row\r\n");
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

    template <typename Cells>
    void write(ExportSink& out, const Cells& row)
    {
        out.append(m_definition);
        for (qsizetype c = 0; c < m_align.size(); ++c) {
            out.append(m_align[c]);
            appendRtf(out, row.cell(int(c)));
            out.appendBytes("\\cell\r\n");
        }
        out.appendBytes("\\row\r\n");
    }

private:
    QByteArray m_definition;
    QVector<QByteArray> m_align;
};

}  // namespace

bool writeText(const ExportTable& t, ExportSink& out)
{
    out.append(kBom);
    const int n = int(t.columns.size());
    std::string scratch;
    forEachLine(t, [&](const auto& line) {
        for (int i = 0; i < n; ++i) {
            if (i > 0)
                out.append('\t');
            appendFlat(out, line.cell(i), scratch);
        }
        out.append(kCrlf);
    });
    return out.flush();
}

bool writeCsv(const ExportTable& t, ExportSink& out)
{
    out.append(kBom);
    const int n = int(t.columns.size());
    std::string scratch;
    forEachLine(t, [&](const auto& line) {
        for (int i = 0; i < n; ++i) {
            if (i > 0)
                out.append(',');
            appendCsv(out, line.cell(i), scratch);
        }
        out.append(kCrlf);
    });
    return out.flush();
}

bool writeHtml(const ExportTable& t, ExportSink& out)
{
    const int n = int(t.columns.size());
    std::string h;  // the part not yet written, which goes to the file row by row
    h += "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n"
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n";
    h += "<title>" + htmlText(t.printTitle) + "</title>\r\n";
    h += "<style>table{border-collapse:collapse}th,td{border:1px solid #000;padding:2px 4px}"
         "th{font-weight:bold;text-align:center}td.n{text-align:right}"
         "tfoot td{font-weight:bold}</style>\r\n</head>\r\n<body>\r\n";
    h += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\r\n";
    const TitleBlock titles = titleBlock(t.columns);
    if (titles.depth > 0) {
        h += "<thead>\r\n";
        int row = -1;
        for (const TitleCell& c : titles.cells) {
            if (c.row != row) {
                if (row >= 0)
                    h += "</tr>\r\n";
                h += "<tr>";
                row = c.row;
            }
            h += "<th";
            if (c.columnSpan > 1)
                h += " colspan=\"" + std::to_string(c.columnSpan) + '"';
            if (c.rowSpan > 1)
                h += " rowspan=\"" + std::to_string(c.rowSpan) + '"';
            h += '>' + htmlText(c.text) + "</th>";
        }
        h += "</tr>\r\n</thead>\r\n";
    }
    QVector<bool> numeric(n);
    for (int c = 0; c < n; ++c)
        numeric[c] = isNumericType(t.columns[c].type);
    auto rowHtml = [&](const auto& r) {
        h += "<tr>";
        for (int c = 0; c < n; ++c) {
            h += numeric[c] ? "<td class=\"n\">" : "<td>";
            appendHtml(h, r.cell(c));
            h += "</td>";
        }
        h += "</tr>\r\n";
        out.appendBytes(h);
        h.clear();
    };
    h += "<tbody>\r\n";
    for (const std::unique_ptr<RowCursor> rows = t.cursor(); rows->next();)
        rowHtml(*rows);
    h += "</tbody>\r\n";
    if (!t.footer.isEmpty()) {
        h += "<tfoot>\r\n";
        rowHtml(Utf8Cells(t.footer));
        h += "</tfoot>\r\n";
    }
    h += "</table>\r\n</body>\r\n</html>\r\n";
    out.appendBytes(h);
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
    for (const std::unique_ptr<RowCursor> rows = t.cursor(); rows->next();)
        data.write(out, *rows);
    if (!t.footer.isEmpty())
        data.write(out, Utf8Cells(t.footer));
    out.append("\\pard\\par\r\n}\r\n");
    return out.flush();
}
