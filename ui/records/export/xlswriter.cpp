// Excel 97-2003 workbook (BIFF8) in a compound file. Strings go to the shared string table, amounts
// of money and number columns to NUMBER cells so that the spreadsheet can add them up.
#include "ui/records/export/compoundfile.h"
#include "ui/records/export/exportlayout.h"

#include <QHash>
#include <QtEndian>

namespace {

constexpr int kMaxRecordData = 8224;   // BIFF8: longer data continues in CONTINUE records
constexpr int kMaxRows = 65536;
constexpr int kMaxColumns = 256;
constexpr int kMaxCellChars = 32767;

// Cell formats (XF indices). 0-14 are the style formats Excel expects, 15 the default cell format.
enum Xf : quint16 { XfDefault = 15, XfBody = 16, XfBodyMoney = 17, XfTitle = 18, XfFooter = 19, XfFooterMoney = 20 };
constexpr quint16 kMoneyFormat = 164;  // first custom number format

class Bytes {
public:
    QByteArray data;
    Bytes& u8(quint8 v) { data.append(char(v)); return *this; }
    Bytes& u16(quint16 v) { char b[2]; qToLittleEndian(v, b); data.append(b, 2); return *this; }
    Bytes& u32(quint32 v) { char b[4]; qToLittleEndian(v, b); data.append(b, 4); return *this; }
    Bytes& f64(double v) { char b[8]; qToLittleEndian(v, b); data.append(b, 8); return *this; }
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
    static bool fitsLatin1(const QString& s)
    {
        for (QChar ch : s)
            if (ch.unicode() > 0xFF)
                return false;
        return true;
    }
};

void record(QByteArray& out, quint16 id, const QByteArray& body)
{
    Q_ASSERT(body.size() <= kMaxRecordData);
    char h[4];
    qToLittleEndian(id, h);
    qToLittleEndian(quint16(body.size()), h + 2);
    out.append(h, 4);
    out.append(body);
}

void record(QByteArray& out, quint16 id, const Bytes& body) { record(out, id, body.data); }

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
    b.u16(style ? 0xFFF5 : 0x0001);   // locked; style XFs: parent 0xFFF
    b.u8(align).u8(0).u8(0).u8(used);
    if (borders) {
        // thin lines on all four sides in the automatic colour (64)
        b.u32(0x1111u | (64u << 16) | (64u << 23));
        b.u32(64u | (64u << 7));
    } else {
        b.u32(0).u32(0);
    }
    b.u16(0x20C0);                    // pattern colours: automatic
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
void cellRecord(QByteArray& out, quint16 id, int row, int column, quint16 xf, const char (&extra)[N])
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

void blankCell(QByteArray& out, int row, int column, quint16 xf)
{
    char r[10];
    qToLittleEndian(quint16(0x0201), r);
    qToLittleEndian(quint16(6), r + 2);
    qToLittleEndian(quint16(row), r + 4);
    qToLittleEndian(quint16(column), r + 6);
    qToLittleEndian(xf, r + 8);
    out.append(r, sizeof r);
}

void labelCell(QByteArray& out, int row, int column, quint16 xf, quint32 sst)
{
    char v[4];
    qToLittleEndian(sst, v);
    cellRecord(out, 0x00FD, row, column, xf, v);
}

void numberCell(QByteArray& out, int row, int column, quint16 xf, double number)
{
    char v[8];
    qToLittleEndian(number, v);
    cellRecord(out, 0x0203, row, column, xf, v);
}

struct Merge {
    quint16 firstRow, lastRow, firstColumn, lastColumn;
};

struct Sheet {
    QString name;
    int rowCount = 0;
    QByteArray cells;   // the cell records
    QVector<Merge> merges;
};

class SharedStrings {
public:
    quint32 add(QString s)
    {
        if (s.contains(QLatin1Char('\r'))) {  // Excel breaks lines in a cell at LF alone
            s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        }
        if (s.size() > kMaxCellChars)
            s.truncate(kMaxCellChars);
        ++m_total;
        auto it = m_index.constFind(s);
        if (it != m_index.constEnd())
            return *it;
        const quint32 i = quint32(m_strings.size());
        m_index.insert(s, i);
        m_chars += s.size();
        m_strings << s;
        return i;
    }

    // SST and EXTSST records, appended to `out` whose stream begins at byte `base`. A string never starts in one record
    // unless its header and first character fit there; a string split across records repeats its
    // option flags at the start of the CONTINUE record.
    void write(QByteArray& out, qsizetype base) const
    {
        const int unique = int(m_strings.size());
        const int perBucket = std::max(8, (unique + 127) / 128);
        QVector<QPair<quint32, quint16>> buckets;

        quint16 id = 0x00FC;
        Bytes cur;
        cur.u32(m_total).u32(quint32(unique));
        auto flush = [&] {
            record(out, id, cur);
            id = 0x003C;
            cur = Bytes();
        };
        for (int i = 0; i < unique; ++i) {
            const QString& s = m_strings[i];
            const bool compressed = Bytes::fitsLatin1(s);
            const int unit = compressed ? 1 : 2;
            if (cur.data.size() + 3 + (s.isEmpty() ? 0 : unit) > kMaxRecordData)
                flush();
            if (i % perBucket == 0)
                buckets << qMakePair(quint32(out.size() - base + 4 + cur.data.size()), quint16(4 + cur.data.size()));
            cur.u16(quint16(s.size())).u8(compressed ? 0 : 1);
            int done = 0;
            while (done < s.size()) {
                const int room = (kMaxRecordData - int(cur.data.size())) / unit;
                if (room == 0) {
                    flush();
                    cur.u8(compressed ? 0 : 1);
                    continue;
                }
                const int n = std::min(room, int(s.size()) - done);
                for (int k = 0; k < n; ++k) {
                    const ushort u = s[done + k].unicode();
                    compressed ? cur.u8(quint8(u)) : cur.u16(u);
                }
                done += n;
            }
        }
        flush();

        Bytes ext;
        ext.u16(quint16(perBucket));
        for (const auto& b : buckets)
            ext.u32(b.first).u16(b.second).u16(0);
        record(out, 0x00FF, ext);
    }

    // Size of the records, about (for reserving memory).
    qint64 bytes() const { return m_chars * 2 + m_strings.size() * 3 + (m_chars * 2 / kMaxRecordData + 2) * 5 + 1100; }

private:
    qint64 m_chars = 0;
    QHash<QString, quint32> m_index;
    QStringList m_strings;
    quint32 m_total = 0;
};

// Appends the sheet's substream; its cell table is released on the way, the file taking its place.
void appendSheet(QByteArray& out, Sheet& sh, const QVector<ExportColumn>& columns, bool active)
{
    record(out, 0x0809, bof(0x0010));
    for (int c = 0; c < columns.size(); ++c) {
        // Screen pixels to 1/256 of a character width (about 7 pixels per character).
        const int w = std::clamp(columns[c].width * 256 / 7 + 256, 256, 255 * 256);
        Bytes ci;
        ci.u16(quint16(c)).u16(quint16(c)).u16(quint16(w)).u16(XfDefault).u16(0).u16(0);
        record(out, 0x007D, ci);
    }
    Bytes dim;
    dim.u32(0).u32(quint32(sh.rowCount)).u16(0).u16(quint16(sh.rowCount ? columns.size() : 0)).u16(0);
    record(out, 0x0200, dim);

    out += sh.cells;
    sh.cells = QByteArray();

    Bytes w2;
    // grid lines, headings, zeros, automatic colours, outline symbols; the active sheet is selected
    w2.u16(active ? 0x06B6 : 0x00B6).u16(0).u16(0).u32(64).u16(0).u16(0).u32(0);
    record(out, 0x023E, w2);

    for (int i = 0; i < sh.merges.size(); i += 1026) {
        const int n = std::min<int>(1026, int(sh.merges.size()) - i);
        Bytes m;
        m.u16(quint16(n));
        for (int k = 0; k < n; ++k) {
            const Merge& g = sh.merges[i + k];
            m.u16(g.firstRow).u16(g.lastRow).u16(g.firstColumn).u16(g.lastColumn);
        }
        record(out, 0x00E5, m);
    }
    record(out, 0x000A, QByteArray());
}

} // namespace

QByteArray writeXls(const ExportTable& t, QString* error)
{
    const int n = int(t.columns.size());
    if (n > kMaxColumns) {
        if (error)
            *error = QStringLiteral("Excel 97-2003 工作簿最多只能容纳%1列，当前表格有%2列，文件没有导出。").arg(kMaxColumns).arg(n);
        return {};
    }

    SharedStrings sst;
    const TitleBlock titles = titleBlock(t.columns);
    const bool hasFooter = !t.footer.isEmpty();
    // A sheet holds 65536 rows; longer lists continue on further sheets, each with the titles again,
    // the footer closing the last one. Nothing is cut off.
    const int perSheet = kMaxRows - titles.depth;
    const int rowCount = t.rowCount();
    QVector<Sheet> sheets;
    int next = 0;
    bool footerDone = !hasFooter;
    do {
        Sheet sh;
        sh.name = QStringLiteral("Sheet%1").arg(sheets.size() + 1);
        int row = 0;
        if (n > 0) {
            QVector<QVector<const TitleCell*>> at(titles.depth, QVector<const TitleCell*>(n, nullptr));
            for (const TitleCell& tc : titles.cells) {
                at[tc.row][tc.column] = &tc;
                if (tc.rowSpan > 1 || tc.columnSpan > 1)
                    sh.merges << Merge{quint16(tc.row), quint16(tc.row + tc.rowSpan - 1), quint16(tc.column),
                                       quint16(tc.column + tc.columnSpan - 1)};
            }
            // cells covered by a merge stay blank but keep the borders of the title block
            for (int r = 0; r < titles.depth; ++r, ++row)
                for (int c = 0; c < n; ++c) {
                    if (at[r][c] && !at[r][c]->text.isEmpty())
                        labelCell(sh.cells, row, c, XfTitle, sst.add(at[r][c]->text));
                    else
                        blankCell(sh.cells, row, c, XfTitle);
                }
        }
        auto addRow = [&](const QStringList& values, bool footer) {
            for (int c = 0; c < n; ++c) {
                const QString text = values.value(c);
                const FieldType type = t.columns[c].type;
                const bool money = type == FieldType::Money;
                const quint16 xf = footer ? (money ? XfFooterMoney : XfFooter) : (money ? XfBodyMoney : XfBody);
                // Footers hold counts and sums; data cells are numbers only in number columns, so that
                // texts such as telephone numbers keep their leading zeros.
                const std::optional<double> v = (footer || isNumericType(type)) ? numberValue(text, money) : std::nullopt;
                if (v)
                    numberCell(sh.cells, row, c, xf, *v);
                else if (!text.isEmpty())
                    labelCell(sh.cells, row, c, xf, sst.add(text));
                else
                    blankCell(sh.cells, row, c, xf);
            }
            ++row;
        };
        const int end = std::min(rowCount, next + perSheet);
        for (; next < end; ++next)
            addRow(t.row(next), false);
        if (next >= rowCount && !footerDone && row < kMaxRows) {
            addRow(t.footer, true);
            footerDone = true;
        }
        sh.rowCount = n > 0 ? row : 0;
        sheets << sh;
    } while (next < rowCount || !footerDone);

    // Workbook globals, after the room for the compound file's header
    qint64 cellBytes = 0;
    for (const Sheet& sh : sheets)
        cellBytes += sh.cells.size() + 8 * sh.merges.size() + 12 * n + 128;
    const qint64 stringBytes = sst.bytes();
    QByteArray wb(kCompoundHeaderSize, '\0');
    wb.reserve(kCompoundHeaderSize + 4096 + stringBytes + cellBytes + compoundFileOverhead(stringBytes + cellBytes + 4096));
    record(wb, 0x0809, bof(0x0005));
    record(wb, 0x0042, Bytes().u16(1200));                        // CODEPAGE: UTF-16
    record(wb, 0x003D, Bytes().u16(0x01E0).u16(0x005A).u16(0x3FCF).u16(0x2A4E).u16(0x0038).u16(0).u16(0).u16(1).u16(0x0258));
    record(wb, 0x0040, Bytes().u16(0));                           // BACKUP off
    record(wb, 0x0022, Bytes().u16(0));                           // DATEMODE 1900
    record(wb, 0x000E, Bytes().u16(1));                           // PRECISION as displayed: off
    record(wb, 0x00DA, Bytes().u16(0));                           // BOOKBOOL
    // Font 4 does not exist in BIFF; the four regular fonts are 0-3, the bold one is 5.
    for (int i = 0; i < 4; ++i)
        record(wb, 0x0031, font(false));
    record(wb, 0x0031, font(true));
    record(wb, 0x041E, Bytes().u16(kMoneyFormat).str(QStringLiteral("0.00##"), true));
    record(wb, 0x00E0, xf(0, 0, true, 0x20, 0x00, false));
    for (int i = 1; i < 15; ++i)
        record(wb, 0x00E0, xf(0, 0, true, 0x20, 0xF4, false));
    record(wb, 0x00E0, xf(0, 0, false, 0x20, 0x00, false));        // 15 default cell
    // alignment byte: horizontal in bits 0-2, wrap bit 3, vertical in bits 4-6 (1 centre, 2 bottom)
    record(wb, 0x00E0, xf(0, 0, false, 0x28, 0x38, true));        // 16 body: wrapped text
    record(wb, 0x00E0, xf(0, kMoneyFormat, false, 0x23, 0x3C, true));  // 17 body money, right
    record(wb, 0x00E0, xf(5, 0, false, 0x1A, 0x38, true));        // 18 titles: bold, centred, wrapped
    record(wb, 0x00E0, xf(5, 0, false, 0x20, 0x38, true));        // 19 footer
    record(wb, 0x00E0, xf(5, kMoneyFormat, false, 0x23, 0x3C, true));  // 20 footer money
    record(wb, 0x0293, Bytes().u16(0x8000).u8(0).u8(0xFF));      // STYLE: Normal
    QVector<int> sheetPositions;
    for (const Sheet& sh : sheets) {
        sheetPositions << int(wb.size()) + 4;                      // the position field, patched below
        record(wb, 0x0085, Bytes().u32(0).u8(0).u8(0).str(sh.name, false));
    }
    record(wb, 0x008C, Bytes().u16(86).u16(86));                  // COUNTRY: China
    sst.write(wb, kCompoundHeaderSize);
    record(wb, 0x000A, QByteArray());

    for (int i = 0; i < sheets.size(); ++i) {
        qToLittleEndian(quint32(wb.size() - kCompoundHeaderSize), wb.data() + sheetPositions[i]);
        appendSheet(wb, sheets[i], t.columns, i == 0);
    }
    finishCompoundFile(wb, QStringLiteral("Workbook"));
    return wb;
}
