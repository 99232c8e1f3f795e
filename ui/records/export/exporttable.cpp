#include "ui/records/export/exporttable.h"
#include "ui/records/export/exportlayout.h"
#include "ui/records/export/exportsink.h"
#include "core/heap.h"

#include <QBuffer>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <charconv>
#ifdef __GLIBC__
#endif

namespace {

struct FormatEntry {
    const char* extension;
    ExportFormat format;
};

constexpr FormatEntry kFormats[] = {
    {"txt", ExportFormat::Text}, {"csv", ExportFormat::Csv}, {"htm", ExportFormat::Html},
    {"rtf", ExportFormat::Rtf},  {"xls", ExportFormat::Xls},
};

}  // namespace

QString exportExtensionFor(int filterIndex)
{
    if (filterIndex < 1 || filterIndex > int(std::size(kFormats)))
        return {};
    return QString::fromLatin1(kFormats[filterIndex - 1].extension);
}

ExportFormat exportFormatFor(const QString& fileName, int filterIndex)
{
    if (filterIndex >= 1 && filterIndex <= int(std::size(kFormats)))
        return kFormats[filterIndex - 1].format;
    QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("html"))
        suffix = QStringLiteral("htm");
    for (const FormatEntry& e : kFormats)
        if (suffix == QLatin1String(e.extension))
            return e.format;
    return ExportFormat::Xls;
}

QString exportFileNameFor(const QString& fileName, int filterIndex)
{
    const QString ext = exportExtensionFor(filterIndex);
    if (ext.isEmpty())
        return fileName;
    if (fileName.right(3).toUpper() != ext.toUpper())
        return fileName + QLatin1Char('.') + ext;
    return fileName;
}

// ---- rows ----

void Utf8Cells::assign(const QStringList& texts)
{
    m_bytes.clear();
    m_ends.resize(texts.size());
    for (qsizetype c = 0; c < texts.size(); ++c) {
        const QByteArray b = texts[c].toUtf8();
        m_bytes.append(b.constData(), size_t(b.size()));
        m_ends[c] = m_bytes.size();
    }
}

std::string_view Utf8Cells::cell(int c) const
{
    if (c < 0 || c >= m_ends.size())
        return {};
    const size_t start = c > 0 ? m_ends[c - 1] : 0;
    return std::string_view(m_bytes).substr(start, m_ends[c] - start);
}

QStringList cellTexts(const RowCursor& row, int n)
{
    QStringList out;
    out.reserve(n);
    for (int c = 0; c < n; ++c) {
        const std::string_view v = row.cell(c);
        out << QString::fromUtf8(v.data(), qsizetype(v.size()));
    }
    return out;
}

namespace {

// Rows given as texts, one asked for at a time.
class TextRows final : public RowCursor {
public:
    explicit TextRows(const ExportTable& t) : m_table(t), m_count(t.rowCount()) {}
    bool next() override
    {
        if (++m_row >= m_count)
            return false;
        m_cells.assign(m_table.row(m_row));
        return true;
    }
    std::string_view cell(int c) const override { return m_cells.cell(c); }

private:
    const ExportTable& m_table;
    const int m_count;
    int m_row = -1;
    Utf8Cells m_cells;
};

}  // namespace

std::unique_ptr<RowCursor> ExportTable::cursor() const
{
    if (rowStream)
        if (std::unique_ptr<RowCursor> c = rowStream())
            return c;
    return std::make_unique<TextRows>(*this);
}

// ---- shared layout ----

QVector<QStringList> TitleBlock::grid() const
{
    int width = 0;
    for (const TitleCell& c : cells)
        width = std::max(width, c.column + c.columnSpan);
    QVector<QStringList> g(depth);
    for (QStringList& row : g)
        for (int i = 0; i < width; ++i)
            row << QString();
    for (const TitleCell& c : cells)
        g[c.row][c.column] = c.text;
    return g;
}

TitleBlock titleBlock(const QVector<ExportColumn>& columns)
{
    TitleBlock b;
    QVector<QStringList> levels;
    levels.reserve(columns.size());
    for (const ExportColumn& c : columns) {
        levels << c.title.split(QLatin1Char('|'));
        b.depth = std::max(b.depth, int(levels.back().size()));
    }
    const int n = int(columns.size());
    for (int row = 0; row < b.depth; ++row) {
        for (int col = 0; col < n;) {
            const QStringList& lv = levels[col];
            const int last = int(lv.size()) - 1;
            if (row > last) {  // covered by the last level reaching down
                ++col;
                continue;
            }
            TitleCell cell;
            cell.row = row;
            cell.column = col;
            cell.text = lv[row];
            if (row == last) {
                cell.rowSpan = b.depth - row;
                ++col;
            } else {
                // Upper levels merge with neighbours that carry the same levels down to this row and
                // have a deeper level of their own below it.
                int end = col + 1;
                while (end < n && levels[end].size() - 1 > row && levels[end].mid(0, row + 1) == lv.mid(0, row + 1))
                    ++end;
                cell.columnSpan = end - col;
                col = end;
            }
            b.cells << cell;
        }
    }
    return b;
}

bool isNumericType(FieldType t)
{
    return t == FieldType::Money || t == FieldType::Integer || t == FieldType::Number;
}

namespace {

// The number of a plain decimal text without blanks around it, its characters of type Ch.
template <typename Ch>
std::optional<double> plainNumber(const Ch* s, qsizetype size, bool allowGrouping)
{
    // Checked by hand rather than with a regular expression: every money cell of a long list passes here.
    char buf[64];
    int len = 0;
    qsizetype i = 0;
    auto isDigit = [&](qsizetype k) { return k < size && s[k] >= Ch('0') && s[k] <= Ch('9'); };
    if (i < size && (s[i] == Ch('-') || s[i] == Ch('+')))
        buf[len++] = char(s[i++]);
    int whole = 0, group = 0, groups = 0;
    for (; i < size && len < 60; ++i) {
        if (isDigit(i)) {
            buf[len++] = char(s[i]);
            ++whole;
            ++group;
        } else if (s[i] == Ch(',') && allowGrouping && group >= 1 && (groups == 0 ? group <= 3 : group == 3) && isDigit(i + 1)) {
            ++groups;
            group = 0;
        } else {
            break;
        }
    }
    if (groups > 0 && group != 3)
        return std::nullopt;
    int fraction = 0;
    if (i < size && s[i] == Ch('.')) {
        buf[len++] = '.';
        for (++i; isDigit(i) && len < 62; ++i, ++fraction)
            buf[len++] = char(s[i]);
    }
    if (i != size || whole + fraction == 0)
        return std::nullopt;
    double v = 0;
    const char* first = buf[0] == '+' ? buf + 1 : buf;
    // from_chars is correctly rounded (the nearest double to the decimal text) and ignores the locale
    const auto [end, ec] = std::from_chars(first, buf + len, v);
    if (ec != std::errc() || end != buf + len)
        return std::nullopt;
    return v;
}

bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::optional<double> numberValue(QStringView text, bool allowGrouping)
{
    const QStringView s = text.trimmed();
    return plainNumber(s.utf16(), s.size(), allowGrouping);
}

std::optional<double> numberValue(std::string_view utf8, bool allowGrouping)
{
    for (const char c : utf8)
        if (uchar(c) >= 0x80)  // blanks beyond ASCII are trimmed as the characters' text is
            return numberValue(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), allowGrouping);
    while (!utf8.empty() && isAsciiSpace(utf8.front()))
        utf8.remove_prefix(1);
    while (!utf8.empty() && isAsciiSpace(utf8.back()))
        utf8.remove_suffix(1);
    return plainNumber(utf8.data(), qsizetype(utf8.size()), allowGrouping);
}

QStringView Utf16Buffer::decode(std::string_view utf8)
{
    const QByteArrayView bytes(utf8.data(), qsizetype(utf8.size()));
    m_units.resize(m_decoder.requiredSpace(bytes.size()));
    QChar* end = m_decoder.appendToBuffer(m_units.data(), bytes);
    return QStringView(m_units.data(), end - m_units.data());
}

// ---- writing ----

namespace {

// A long list's export frees all it built: handed back at once, so the process is about its size
// before the export.
void releaseFreedMemory(const ExportTable& t)
{
    if (t.rowCount() >= Heap::LongList)
        Heap::releaseFreed();
}

// The chosen writer, writing to the sink as it goes. False with *refusal set when the table does not
// fit the format; false with the sink's error when writing failed.
bool writeFormat(const ExportTable& t, ExportFormat f, ExportSink& out, const QString& scratchDir, QString* refusal)
{
    switch (f) {
    case ExportFormat::Text:
        return writeText(t, out);
    case ExportFormat::Csv:
        return writeCsv(t, out);
    case ExportFormat::Html:
        return writeHtml(t, out);
    case ExportFormat::Rtf:
        return writeRtf(t, out);
    case ExportFormat::Xls:
        return writeXls(t, out, scratchDir, refusal);
    }
    return false;
}

}  // namespace

QByteArray exportBytes(const ExportTable& t, ExportFormat f, QString* error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadWrite);
    ExportSink out(&buffer);
    QString refusal;
    if (!writeFormat(t, f, out, QString(), &refusal)) {
        if (error)
            *error = refusal.isEmpty() ? out.errorString() : refusal;
        return {};
    }
    buffer.close();
    return bytes;
}

bool writeExport(const ExportTable& t, const QString& path, ExportFormat f, QString* error)
{
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const QString shown = QDir::toNativeSeparators(path);
    if (path.trimmed().isEmpty())
        return fail(QStringLiteral("没有给出导出文件的名称，文件没有导出。"));
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return fail(QStringLiteral("文件夹“%1”不存在，文件没有导出。").arg(QDir::toNativeSeparators(info.absolutePath())));
    if (info.isDir())
        return fail(QStringLiteral("“%1”是一个文件夹，文件没有导出。").arg(shown));

    // The file is written under a temporary name beside the target as the rows are read, and renamed
    // over it at the end: a failure never leaves a truncated file under the chosen name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("无法在“%1”创建文件（%2），文件没有导出。请检查文件夹是否可写。").arg(shown, file.errorString()));
    ExportSink out(&file);
    out.writeBackAsWritten();
    QString refusal;
    const bool written = writeFormat(t, f, out, info.absolutePath(), &refusal);
    releaseFreedMemory(t);
    if (!written) {
        file.cancelWriting();
        if (!refusal.isEmpty())
            return fail(refusal);
        return fail(QStringLiteral("写入文件“%1”失败（%2），可能是磁盘已满，文件没有导出。").arg(shown, out.errorString()));
    }
    if (!file.commit())
        return fail(QStringLiteral("无法保存文件“%1”（%2），可能是磁盘已满或文件正被其他程序使用，文件没有导出。")
                        .arg(shown, file.errorString()));
    return true;
}
