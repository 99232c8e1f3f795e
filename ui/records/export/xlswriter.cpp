// Excel 97-2003 workbook (BIFF8) in a compound file. Strings go to the shared string table, amounts
// of money and number columns to NUMBER cells so that the spreadsheet can add them up.
#include "ui/records/export/compoundfile.h"
#include "ui/records/export/exportlayout.h"
#include "ui/records/export/exportsink.h"

#include <QDir>
#include <QHash>
#include <QTemporaryFile>
#include <QtEndian>

namespace {

constexpr int kMaxRecordData = 8224;  // BIFF8: longer data continues in CONTINUE records
constexpr int kMaxRows = 65536;
constexpr int kMaxColumns = 256;
constexpr int kMaxCellChars = 32767;

// Cell formats (XF indices). 0-14 are the style formats Excel expects, 15 the default cell format.
enum Xf : quint16 { XfDefault = 15, XfBody = 16, XfBodyMoney = 17, XfTitle = 18, XfFooter = 19, XfFooterMoney = 20 };
constexpr quint16 kMoneyFormat = 164;  // first custom number format

class Bytes {
public:
    QByteArray data;
    Bytes& u8(quint8 v)
    {
        data.append(char(v));
        return *this;
    }
    Bytes& u16(quint16 v)
    {
        char b[2];
        qToLittleEndian(v, b);
        data.append(b, 2);
        return *this;
    }
    Bytes& u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        data.append(b, 4);
        return *this;
    }
    Bytes& f64(double v)
    {
        char b[8];
        qToLittleEndian(v, b);
        data.append(b, 8);
        return *this;
    }
    // Unicode string with a 16-bit or 8-bit character count, stored compressed when every character
    // fits in one byte.
    Bytes& str(const QString& s, bool longCount)
    {
        const bool compressed = fitsLatin1(s);
        if (longCount)
            u16(quint16(s.size()));
        else
            u8(quint8(s.size()));
        u8(compressed ? 0 : 1);
        for (QChar ch : s)
            compressed ? u8(quint8(ch.unicode())) : u16(ch.unicode());
        return *this;
    }
    static bool fitsLatin1(QStringView s)
    {
        for (QChar ch : s)
            if (ch.unicode() > 0xFF)
                return false;
        return true;
    }
};

void record(ExportSink& out, quint16 id, const QByteArray& body)
{
    Q_ASSERT(body.size() <= kMaxRecordData);
    char h[4];
    qToLittleEndian(id, h);
    qToLittleEndian(quint16(body.size()), h + 2);
    out.append(h, 4);
    out.append(body);
}

void record(ExportSink& out, quint16 id, const Bytes& body)
{
    record(out, id, body.data);
}

QByteArray bof(quint16 type)
{
    Bytes b;
    b.u16(0x0600).u16(type).u16(0x0DBB).u16(0x07CC).u32(0).u32(0x06);
    return b.data;
}

// One XF record. Style formats (0-14) point to no parent; cell formats use the Normal style (0).
QByteArray xf(quint16 font, quint16 format, bool style, quint8 align, quint8 used, bool borders)
{
    Bytes b;
    b.u16(font).u16(format);
    b.u16(style ? 0xFFF5 : 0x0001);  // locked; style XFs: parent 0xFFF
    b.u8(align).u8(0).u8(0).u8(used);
    if (borders) {
        // thin lines on all four sides in the automatic colour (64)
        b.u32(0x1111u | (64u << 16) | (64u << 23));
        b.u32(64u | (64u << 7));
    } else {
        b.u32(0).u32(0);
    }
    b.u16(0x20C0);  // pattern colours: automatic
    return b.data;
}

QByteArray font(bool bold)
{
    Bytes b;
    b.u16(180).u16(0).u16(0x7FFF).u16(bold ? 700 : 400).u16(0).u8(0).u8(0).u8(134).u8(0);
    b.str(QStringLiteral("宋体"), false);
    return b.data;
}

// Cell records, appended to a sheet's cell table as the rows are read (millions for a long list).
template <int N>
void cellRecord(ExportSink& out, quint16 id, int row, int column, quint16 xf, const char (&extra)[N])
{
    char r[10 + N];
    qToLittleEndian(id, r);
    qToLittleEndian(quint16(6 + N), r + 2);
    qToLittleEndian(quint16(row), r + 4);
    qToLittleEndian(quint16(column), r + 6);
    qToLittleEndian(xf, r + 8);
    memcpy(r + 10, extra, N);
    out.append(r, sizeof r);
}

void blankCell(ExportSink& out, int row, int column, quint16 xf)
{
    char r[10];
    qToLittleEndian(quint16(0x0201), r);
    qToLittleEndian(quint16(6), r + 2);
    qToLittleEndian(quint16(row), r + 4);
    qToLittleEndian(quint16(column), r + 6);
    qToLittleEndian(xf, r + 8);
    out.append(r, sizeof r);
}

void labelCell(ExportSink& out, int row, int column, quint16 xf, quint32 sst)
{
    char v[4];
    qToLittleEndian(sst, v);
    cellRecord(out, 0x00FD, row, column, xf, v);
}

void numberCell(ExportSink& out, int row, int column, quint16 xf, double number)
{
    char v[8];
    qToLittleEndian(number, v);
    cellRecord(out, 0x0203, row, column, xf, v);
}

struct Merge {
    quint16 firstRow, lastRow, firstColumn, lastColumn;
};

// The rows of one sheet, planned before any cell is written: each sheet's size goes ahead of its cells.
struct SheetPlan {
    int firstRow = 0;  // index of the first data row
    int endRow = 0;    // one past the last data row
    bool footer = false;
    int rowCount = 0;  // rows of the sheet, titles and footer included
};

// The shared string table, written as the cells ask for their strings: SST and CONTINUE records go
// to the workbook as they fill, the counts at their head are filled in at the end. Repeated texts
// share one entry as long as the index of known strings stays small; beyond that a text may be
// stored again, which readers accept, so that memory does not grow with the list.
class SharedStrings {
public:
    // The workbook's stream begins `base` bytes into the sink.
    SharedStrings(ExportSink& out, qint64 base) : m_out(out), m_base(base) {}

    quint32 add(QStringView text)
    {
        QString changed;
        if (text.contains(QLatin1Char('\r'))) {  // Excel breaks lines in a cell at LF alone
            changed = text.toString();
            changed.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            changed.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            text = changed;
        }
        if (text.size() > kMaxCellChars)
            text.truncate(kMaxCellChars);
        ++m_total;
        // Looked up without a copy; only a string the index keeps is copied.
        const QString s = QString::fromRawData(text.data(), text.size());
        auto it = m_index.constFind(s);
        if (it != m_index.constEnd())
            return *it;
        const quint32 i = m_unique++;
        if (m_index.size() < kIndexedStrings && m_indexedChars + s.size() <= kIndexedChars) {
            m_indexedChars += s.size();
            m_index.insert(text.toString(), i);
        }
        writeString(i, text);
        return i;
    }

    // Closes the table: the last record, the counts at its head, and EXTSST with the positions of
    // every bucket's first string.
    void finish()
    {
        if (!m_started)
            start();
        flush();
        char counts[8];
        qToLittleEndian(m_total, counts);
        qToLittleEndian(m_unique, counts + 4);
        m_out.patch(m_countsAt, counts, 8);

        // Buckets of at least 8 strings and at most 128 of them; a multiple of 8 so that the positions
        // kept for every eighth string serve.
        quint32 perBucket = std::max<quint32>(8, (m_unique + 127) / 128);
        perBucket = (perBucket + 7) / 8 * 8;
        Bytes ext;
        ext.u16(quint16(perBucket));
        for (qsizetype k = 0; k < m_positions.size(); k += perBucket / 8)
            ext.u32(m_positions[k].first).u16(m_positions[k].second).u16(0);
        record(m_out, 0x00FF, ext);
    }

private:
    static constexpr int kIndexedStrings = 1 << 16;
    static constexpr qint64 kIndexedChars = 4 << 20;

    void start()
    {
        m_started = true;
        m_countsAt = m_out.pos() + 4;  // behind the first record's header
        m_cur.u32(0).u32(0);
    }

    void flush()
    {
        record(m_out, m_id, m_cur);
        m_id = 0x003C;
        m_cur.data.clear();
    }

    // A string never starts in one record unless its header and first character fit there; a string
    // split across records repeats its option flags at the start of the CONTINUE record.
    void writeString(quint32 i, QStringView s)
    {
        if (!m_started)
            start();
        const bool compressed = Bytes::fitsLatin1(s);
        const int unit = compressed ? 1 : 2;
        if (m_cur.data.size() + 3 + (s.isEmpty() ? 0 : unit) > kMaxRecordData)
            flush();
        if (i % 8 == 0)
            m_positions << qMakePair(quint32(m_out.pos() - m_base + 4 + m_cur.data.size()), quint16(4 + m_cur.data.size()));
        m_cur.u16(quint16(s.size())).u8(compressed ? 0 : 1);
        int done = 0;
        while (done < s.size()) {
            const int room = (kMaxRecordData - int(m_cur.data.size())) / unit;
            if (room == 0) {
                flush();
                m_cur.u8(compressed ? 0 : 1);
                continue;
            }
            const int n = std::min(room, int(s.size()) - done);
            // written in place: millions of cells pass here
            const qsizetype at = m_cur.data.size();
            m_cur.data.resize(at + qsizetype(n) * unit);
            char* p = m_cur.data.data() + at;
            for (int k = 0; k < n; ++k, p += unit) {
                const ushort u = s[done + k].unicode();
                if (compressed)
                    *p = char(u);
                else
                    qToLittleEndian(u, p);
            }
            done += n;
        }
    }

    ExportSink& m_out;
    qint64 m_base;
    bool m_started = false;
    qint64 m_countsAt = 0;
    quint16 m_id = 0x00FC;
    Bytes m_cur;
    QHash<QString, quint32> m_index;
    qint64 m_indexedChars = 0;
    quint32 m_unique = 0;
    quint32 m_total = 0;
    QVector<QPair<quint32, quint16>> m_positions;  // of every eighth string: stream offset, offset in its record
};

// A sheet holds 65536 rows; longer lists continue on further sheets, each with the titles again,
// the footer closing the last one. Nothing is cut off.
QVector<SheetPlan> planSheets(int rowCount, int columnCount, int titleDepth, bool hasFooter)
{
    const int perSheet = kMaxRows - titleDepth;
    QVector<SheetPlan> plan;
    int next = 0;
    bool footerDone = !hasFooter;
    do {
        SheetPlan p;
        p.firstRow = next;
        p.endRow = std::min(rowCount, next + perSheet);
        int row = (columnCount > 0 ? titleDepth : 0) + (p.endRow - p.firstRow);
        next = p.endRow;
        if (next >= rowCount && !footerDone && row < kMaxRows) {
            p.footer = true;
            footerDone = true;
            ++row;
        }
        p.rowCount = columnCount > 0 ? row : 0;
        plan << p;
    } while (next < rowCount || !footerDone);
    return plan;
}

// The workbook globals up to the string table: code page, fonts, formats, one BOUNDSHEET per sheet.
// Returns where each sheet's position field lies, filled in once the sheets' places are known.
QVector<qint64> writeGlobals(ExportSink& out, int sheetCount)
{
    record(out, 0x0809, bof(0x0005));
    record(out, 0x0042, Bytes().u16(1200));  // CODEPAGE: UTF-16
    record(out, 0x003D, Bytes().u16(0x01E0).u16(0x005A).u16(0x3FCF).u16(0x2A4E).u16(0x0038).u16(0).u16(0).u16(1).u16(0x0258));
    record(out, 0x0040, Bytes().u16(0));  // BACKUP off
    record(out, 0x0022, Bytes().u16(0));  // DATEMODE 1900
    record(out, 0x000E, Bytes().u16(1));  // PRECISION as displayed: off
    record(out, 0x00DA, Bytes().u16(0));  // BOOKBOOL
    // Font 4 does not exist in BIFF; the four regular fonts are 0-3, the bold one is 5.
    for (int i = 0; i < 4; ++i)
        record(out, 0x0031, font(false));
    record(out, 0x0031, font(true));
    record(out, 0x041E, Bytes().u16(kMoneyFormat).str(QStringLiteral("0.00##"), true));
    record(out, 0x00E0, xf(0, 0, true, 0x20, 0x00, false));
    for (int i = 1; i < 15; ++i)
        record(out, 0x00E0, xf(0, 0, true, 0x20, 0xF4, false));
    record(out, 0x00E0, xf(0, 0, false, 0x20, 0x00, false));  // 15 default cell
    // alignment byte: horizontal in bits 0-2, wrap bit 3, vertical in bits 4-6 (1 centre, 2 bottom)
    record(out, 0x00E0, xf(0, 0, false, 0x28, 0x38, true));             // 16 body: wrapped text
    record(out, 0x00E0, xf(0, kMoneyFormat, false, 0x23, 0x3C, true));  // 17 body money, right
    record(out, 0x00E0, xf(5, 0, false, 0x1A, 0x38, true));             // 18 titles: bold, centred, wrapped
    record(out, 0x00E0, xf(5, 0, false, 0x20, 0x38, true));             // 19 footer
    record(out, 0x00E0, xf(5, kMoneyFormat, false, 0x23, 0x3C, true));  // 20 footer money
    record(out, 0x0293, Bytes().u16(0x8000).u8(0).u8(0xFF));            // STYLE: Normal
    QVector<qint64> sheetPositions;
    for (int i = 0; i < sheetCount; ++i) {
        sheetPositions << out.pos() + 4;
        record(out, 0x0085, Bytes().u32(0).u8(0).u8(0).str(QStringLiteral("Sheet%1").arg(i + 1), false));
    }
    record(out, 0x008C, Bytes().u16(86).u16(86));  // COUNTRY: China
    return sheetPositions;
}

// Writes the sheets into the scratch sink, one after the other, with their cells' strings going to
// the shared string table. The title block is the same on every sheet.
class SheetWriter {
public:
    SheetWriter(const ExportTable& t, const TitleBlock& titles, ExportSink& sheets, SharedStrings& sst)
        : m_table(t), m_titles(titles), m_columns(int(t.columns.size())), m_out(sheets), m_sst(sst), m_rows(t.cursor())
    {
        layTitles();
        m_types.resize(m_columns);
        for (int c = 0; c < m_columns; ++c)
            m_types[c] = t.columns[c].type;
    }

    void write(const SheetPlan& p, bool active)
    {
        writeHead(p);
        m_row = 0;
        if (m_columns > 0)
            writeTitles();
        for (int i = p.firstRow; i < p.endRow && m_rows->next(); ++i)
            writeRow(*m_rows, false);
        if (p.footer)
            writeRow(Utf8Cells(m_table.footer), true);
        writeTail(active);
    }

private:
    // Cells covered by a merge stay blank but keep the borders of the title block.
    void layTitles()
    {
        m_titleAt.fill(QVector<const TitleCell*>(m_columns, nullptr), m_titles.depth);
        for (const TitleCell& tc : m_titles.cells) {
            m_titleAt[tc.row][tc.column] = &tc;
            if (tc.rowSpan > 1 || tc.columnSpan > 1)
                m_merges << Merge{quint16(tc.row), quint16(tc.row + tc.rowSpan - 1), quint16(tc.column),
                                  quint16(tc.column + tc.columnSpan - 1)};
        }
    }

    // BOF, the column widths and the sheet's dimensions.
    void writeHead(const SheetPlan& p)
    {
        record(m_out, 0x0809, bof(0x0010));
        for (int c = 0; c < m_columns; ++c) {
            // Screen pixels to 1/256 of a character width (about 7 pixels per character).
            const int w = std::clamp(m_table.columns[c].width * 256 / 7 + 256, 256, 255 * 256);
            Bytes ci;
            ci.u16(quint16(c)).u16(quint16(c)).u16(quint16(w)).u16(XfDefault).u16(0).u16(0);
            record(m_out, 0x007D, ci);
        }
        Bytes dim;
        dim.u32(0).u32(quint32(p.rowCount)).u16(0).u16(quint16(p.rowCount ? m_columns : 0)).u16(0);
        record(m_out, 0x0200, dim);
    }

    void writeTitles()
    {
        for (int r = 0; r < m_titles.depth; ++r, ++m_row)
            for (int c = 0; c < m_columns; ++c) {
                const TitleCell* tc = m_titleAt[r][c];
                if (tc && !tc->text.isEmpty())
                    labelCell(m_out, m_row, c, XfTitle, m_sst.add(tc->text));
                else
                    blankCell(m_out, m_row, c, XfTitle);
            }
    }

    template <typename Cells>
    void writeRow(const Cells& values, bool footer)
    {
        for (int c = 0; c < m_columns; ++c) {
            const std::string_view bytes = values.cell(c);
            const FieldType type = m_types[c];
            const bool money = type == FieldType::Money;
            const quint16 xf = footer ? (money ? XfFooterMoney : XfFooter) : (money ? XfBodyMoney : XfBody);
            // Footers hold counts and sums; data cells are numbers only in number columns, so that
            // texts such as telephone numbers keep their leading zeros.
            const std::optional<double> v = (footer || isNumericType(type)) ? numberValue(bytes, money) : std::nullopt;
            if (v)
                numberCell(m_out, m_row, c, xf, *v);
            else if (!bytes.empty())
                labelCell(m_out, m_row, c, xf, m_sst.add(m_units.decode(bytes)));
            else
                blankCell(m_out, m_row, c, xf);
        }
        ++m_row;
    }

    // WINDOW2, the merged title cells and EOF.
    void writeTail(bool active)
    {
        Bytes w2;
        // grid lines, headings, zeros, automatic colours, outline symbols; the active sheet is selected
        w2.u16(active ? 0x06B6 : 0x00B6).u16(0).u16(0).u32(64).u16(0).u16(0).u32(0);
        record(m_out, 0x023E, w2);
        for (int i = 0; i < m_merges.size(); i += 1026) {
            const int k = std::min<int>(1026, int(m_merges.size()) - i);
            Bytes m;
            m.u16(quint16(k));
            for (int j = 0; j < k; ++j) {
                const Merge& g = m_merges[i + j];
                m.u16(g.firstRow).u16(g.lastRow).u16(g.firstColumn).u16(g.lastColumn);
            }
            record(m_out, 0x00E5, m);
        }
        record(m_out, 0x000A, QByteArray());
    }

    const ExportTable& m_table;
    const TitleBlock& m_titles;
    const int m_columns;
    ExportSink& m_out;
    SharedStrings& m_sst;
    QVector<QVector<const TitleCell*>> m_titleAt;  // [title row][column]: the cell starting there
    QVector<Merge> m_merges;
    QVector<FieldType> m_types;
    int m_row = 0;
    const std::unique_ptr<RowCursor> m_rows;  // the data rows, read once across the sheets
    Utf16Buffer m_units;
};

// The sheets, gathered in the scratch file, go behind the globals.
bool appendSheets(ExportSink& out, ExportSink& sheets, QTemporaryFile& scratchFile)
{
    if (!sheets.flush()) {
        out.fail(sheets.errorString());
        return false;
    }
    return out.appendFile(scratchFile);
}

}  // namespace

bool writeXls(const ExportTable& t, ExportSink& out, const QString& scratchDir, QString* tooLarge)
{
    const int n = int(t.columns.size());
    if (n > kMaxColumns) {
        if (tooLarge)
            *tooLarge = QStringLiteral("Excel 97-2003 工作簿最多只能容纳%1列，当前表格有%2列，文件没有导出。").arg(kMaxColumns).arg(n);
        return false;
    }
    const TitleBlock titles = titleBlock(t.columns);
    const QVector<SheetPlan> plan = planSheets(t.rowCount(), n, titles.depth, !t.footer.isEmpty());

    // The sheets are written to a scratch file while the string table, which comes before them in the
    // workbook, is written to the file itself; they follow it once it is complete.
    QTemporaryFile scratchFile(QDir(scratchDir.isEmpty() ? QDir::tempPath() : scratchDir).filePath(QStringLiteral(".export-XXXXXX")));
    if (!scratchFile.open()) {
        out.fail(scratchFile.errorString());
        return false;
    }
    ExportSink sheets(&scratchFile);

    // Workbook globals, after the room for the compound file's header
    out.append(QByteArray(kCompoundHeaderSize, '\0'));
    const qint64 base = out.pos();
    const QVector<qint64> sheetPositions = writeGlobals(out, int(plan.size()));
    SharedStrings sst(out, base);
    SheetWriter writer(t, titles, sheets, sst);
    QVector<qint64> sheetStarts;
    for (int s = 0; s < plan.size(); ++s) {
        sheetStarts << sheets.pos();
        writer.write(plan[s], s == 0);
        if (!sheets.ok() || !out.ok())
            break;
    }
    sst.finish();
    record(out, 0x000A, QByteArray());

    // Each BOUNDSHEET learns where its sheet starts in the workbook stream.
    const qint64 globalsEnd = out.pos() - base;
    for (int i = 0; i < sheetPositions.size(); ++i) {
        char v[4];
        qToLittleEndian(quint32(globalsEnd + sheetStarts.value(i)), v);
        out.patch(sheetPositions[i], v, 4);
    }
    if (!appendSheets(out, sheets, scratchFile))
        return false;
    return finishCompoundFile(out, QStringLiteral("Workbook"));
}
