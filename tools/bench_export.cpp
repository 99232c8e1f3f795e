// Figures of exporting and printing the whole contract list (not a test):
//   bench_export <database file or server database> [output folder]
// Each of the five export formats through the list window's own export path, beside its floor
// measured in the same run: the same rows and columns written by a plain loop over the engine's C API
// (SQLite's, or libpq's single-row mode on a server) — as CSV, and for the formats whose own bytes
// are several times the CSV's (HTML, RTF, the workbook) the same markup around each cell written by
// such a loop ("_same_bytes" floors). Each floor also once more saved as the export saves, its bytes
// handed to the disk as they grow and the end waiting until the file is on the disk ("_synced" floors and "_synced_floor_ratio" figures: where the
// disk's speed is the limit, as for RTF's gigabyte, they compare like with like). Time and peak resident memory above the level before each step,
// and the memory the process keeps once the window has closed. BENCH_THROUGH_SET=1 reads the rows
// through the record set instead of the stream (the figures before the stream); BENCH_FORMATS=csv,xls
// writes only those formats (and only the floors they are measured against); BENCH_KEEP=1 leaves the
// exported files in the output folder (to compare them with another build's).
#include "rental/rental.h"
#include "rental/bookings.h"
#include "tools/benchutil.h"
#include "tools/benchwindow.h"
#include "data/datamodule.h"
#include "data/pgbackend.h"
#include "ui/common/messages.h"
#include "ui/records/export/exporttable.h"
#include "ui/records/listwindow.h"
#include "ui/records/print/tableprinter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <fcntl.h>
#include <unistd.h>

namespace {

void figure(const char* name, double value, const char* unit, int decimals = 0)
{
    std::printf("figure %s %.*f %s\n", name, decimals, value, unit);
    std::fflush(stdout);
}

// The rows of a statement straight from the engine, each handed over as its cells' bytes.
using RowSink = std::function<void(const std::string_view* cells)>;

bool sqliteRows(const QString& file, const QString& sql, int columns, const RowSink& row)
{
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return false;
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(h, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(h));
        sqlite3_close(h);
        return false;
    }
    std::vector<std::string_view> cells(static_cast<size_t>(columns));
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const char* v = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
            cells[size_t(c)] = v ? std::string_view(v, size_t(sqlite3_column_bytes(st, c))) : std::string_view();
        }
        row(cells.data());
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return true;
}

bool serverRows(const QString& address, const QString& sql, int columns, const RowSink& row)
{
    PGconn* conn = PQconnectdb(address.toUtf8().constData());
    if (PQstatus(conn) != CONNECTION_OK || !PQsendQuery(conn, sql.toUtf8().constData())) {
        std::fprintf(stderr, "%s\n", PQerrorMessage(conn));
        PQfinish(conn);
        return false;
    }
    PQsetSingleRowMode(conn);
    std::vector<std::string_view> cells(static_cast<size_t>(columns));
    bool ok = true;
    while (PGresult* r = PQgetResult(conn)) {
        if (PQresultStatus(r) == PGRES_SINGLE_TUPLE) {
            for (int c = 0; c < columns; ++c)
                cells[size_t(c)] = std::string_view(PQgetvalue(r, 0, c), size_t(PQgetlength(r, 0, c)));
            row(cells.data());
        } else if (PQresultStatus(r) != PGRES_TUPLES_OK) {
            std::fprintf(stderr, "%s\n", PQresultErrorMessage(r));
            ok = false;
        }
        PQclear(r);
    }
    PQfinish(conn);
    return ok;
}

// A floor's file: bytes gathered in a buffer that goes out whenever it fills.
class FloorFile {
public:
    explicit FloorFile(const QString& path) : m_f(std::fopen(QFile::encodeName(path).constData(), "wb"))
    {
        m_buf.reserve(kChunk + 65536);
    }
    ~FloorFile()
    {
        if (m_f)
            std::fclose(m_f);
    }
    bool ok() const { return m_f; }
    std::string& buffer() { return m_buf; }
    void spill()
    {
        if (m_buf.size() >= kChunk)
            flush();
    }
    void flush()
    {
        std::fwrite(m_buf.data(), 1, m_buf.size(), m_f);
        m_written += m_buf.size();
        m_buf.clear();
        // A synced floor hands its bytes to the disk as they grow, as the export's save does.
        constexpr size_t kStep = 8 << 20;
        if (writeBack && m_written - m_writtenBack >= kStep && std::fflush(m_f) == 0) {
            ::sync_file_range(fileno(m_f), off_t(m_writtenBack), off_t(m_written - m_writtenBack), SYNC_FILE_RANGE_WRITE);
            m_writtenBack = m_written;
        }
    }
    static inline bool writeBack = false;

private:
    static constexpr size_t kChunk = 256 * 1024;
    FILE* m_f;
    std::string m_buf;
    size_t m_written = 0, m_writtenBack = 0;
};

// The code point whose UTF-8 bytes start at s[i]; i moves past them.
char32_t nextCodePoint(std::string_view s, size_t& i)
{
    const unsigned char lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80)
        return lead;
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t cp = lead & (0x3F >> more);
    for (int k = 0; k < more && i < s.size(); ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    return cp;
}

void appendNumber(std::string& out, long long n)
{
    char b[24];
    out.append(b, size_t(std::to_chars(b, b + sizeof b, n).ptr - b));
}

template <typename T>
void appendLe(std::string& out, T v)
{
    char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));  // little-endian machine
    out.append(b, sizeof(T));
}

struct FloorSpec {
    QString location;  // file or server address
    QString sql;
    QVector<bool> numeric;  // per column: right-aligned, a number in the workbook
};

bool runFloor(const FloorSpec& spec, const RowSink& row)
{
    const int n = int(spec.numeric.size());
    return PgLocation::isServer(spec.location) ? serverRows(spec.location, spec.sql, n, row)
                                               : sqliteRows(spec.location, spec.sql, n, row);
}

// A floor's file: the statement's rows through the engine's loop, each written by writeRow.
template <typename WriteRow>
bool floorFile(const FloorSpec& spec, const QString& path, std::string_view head, WriteRow&& writeRow)
{
    FloorFile out(path);
    if (!out.ok())
        return false;
    out.buffer() += head;
    const bool ok = runFloor(spec, [&](const std::string_view* cells) {
        writeRow(out.buffer(), cells);
        out.spill();
    });
    out.flush();
    return ok;
}

bool floorCsv(const FloorSpec& spec, const QString& path)
{
    const int n = int(spec.numeric.size());
    return floorFile(spec, path, "\xEF\xBB\xBF", [n](std::string& b, const std::string_view* cells) {
        for (int c = 0; c < n; ++c) {
            if (c > 0)
                b += ',';
            b += cells[c];
        }
        b += "\r\n";
    });
}

// HTML's bytes: a table row of cells, the text escaped character by character.
bool floorHtml(const FloorSpec& spec, const QString& path)
{
    const int n = int(spec.numeric.size());
    return floorFile(spec, path, {}, [&](std::string& b, const std::string_view* cells) {
        b += "<tr>";
        for (int c = 0; c < n; ++c) {
            b += spec.numeric[c] ? "<td class=\"n\">" : "<td>";
            for (const char ch : cells[c]) {
                switch (ch) {
                case '&':
                    b += "&amp;";
                    break;
                case '<':
                    b += "&lt;";
                    break;
                case '>':
                    b += "&gt;";
                    break;
                case '"':
                    b += "&quot;";
                    break;
                case '\n':
                    b += "<br>";
                    break;
                default:
                    b += ch;
                }
            }
            b += "</td>";
        }
        b += "</tr>\r\n";
    });
}

// RTF's bytes: each row's cell definitions, each cell's paragraph, every character beyond ASCII as
// a \uN escape with its fallback.
bool floorRtf(const FloorSpec& spec, const QString& path)
{
    const int n = int(spec.numeric.size());
    std::string definition = "\\trowd\\trgaph57\\trleft0";
    for (int c = 0; c < n; ++c) {
        definition += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx";
        appendNumber(definition, (c + 1) * 9772 / n);
    }
    definition += "\r\n";
    return floorFile(spec, path, {}, [&](std::string& b, const std::string_view* cells) {
        b += definition;
        for (int c = 0; c < n; ++c) {
            b += spec.numeric[c] ? "\\pard\\intbl\\qr " : "\\pard\\intbl\\ql ";
            const std::string_view s = cells[c];
            for (size_t i = 0; i < s.size();) {
                const char32_t cp = nextCodePoint(s, i);
                if (cp == '\\' || cp == '{' || cp == '}') {
                    b += '\\';
                    b += char(cp);
                } else if (cp < 0x80) {
                    b += char(cp);
                } else {
                    b += "\\u";
                    appendNumber(b, static_cast<short>(cp));
                    b += "\\'3f";
                }
            }
            b += "\\cell\r\n";
        }
        b += "\\row\r\n";
    });
}

// The workbook's bytes: a cell record per cell (a number record in number columns) into the sheet,
// the text of every other cell into the string table as one- or two-byte characters.
bool floorXls(const FloorSpec& spec, const QString& path)
{
    FloorFile out(path);
    FloorFile strings(path + QStringLiteral(".sst"));
    if (!out.ok() || !strings.ok())
        return false;
    std::string& b = out.buffer();
    std::string& sst = strings.buffer();
    const int n = int(spec.numeric.size());
    std::u16string units;
    quint32 row = 0, index = 0;
    const bool ok = runFloor(spec, [&](const std::string_view* cells) {
        for (int c = 0; c < n; ++c) {
            const std::string_view s = cells[c];
            double v = 0;
            if (spec.numeric[c] && !s.empty() && std::from_chars(s.data(), s.data() + s.size(), v).ec == std::errc()) {
                appendLe(b, quint16(0x0203));
                appendLe(b, quint16(14));
                appendLe(b, quint16(row));
                appendLe(b, quint16(c));
                appendLe(b, quint16(17));
                appendLe(b, v);
                continue;
            }
            if (s.empty()) {
                appendLe(b, quint16(0x0201));
                appendLe(b, quint16(6));
                appendLe(b, quint16(row));
                appendLe(b, quint16(c));
                appendLe(b, quint16(16));
                continue;
            }
            appendLe(b, quint16(0x00FD));
            appendLe(b, quint16(10));
            appendLe(b, quint16(row));
            appendLe(b, quint16(c));
            appendLe(b, quint16(16));
            appendLe(b, index++);
            units.clear();
            bool wide = false;
            for (size_t i = 0; i < s.size();) {
                const char32_t cp = nextCodePoint(s, i);
                wide = wide || cp > 0xFF;
                if (cp > 0xFFFF) {
                    units += char16_t(0xD800 + ((cp - 0x10000) >> 10));
                    units += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
                } else {
                    units += char16_t(cp);
                }
            }
            appendLe(sst, quint16(units.size()));
            sst += char(wide ? 1 : 0);
            for (const char16_t u : units)
                wide ? appendLe(sst, quint16(u)) : void(sst += char(u));
        }
        ++row;
        out.spill();
        strings.spill();
    });
    out.flush();
    strings.flush();
    return ok;
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerRentalWindows();  // the contract list's row
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_export <database file or server database> [output folder]\n");
        return 2;
    }
    const QString dbFile = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir tmp;
    const QString outDir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : tmp.path();
    const int pdfPages = qEnvironmentVariableIntValue("BENCH_PDF_PAGES") > 0 ? qEnvironmentVariableIntValue("BENCH_PDF_PAGES") : 100;

    TDm1 dm;
    if (!Bench::connect(dm, dbFile))
        return 1;
    // The process as the clerk has it: the main window shown (fonts, styles), no list open.
    Bench::showFirstWindow();
    const long beforeWindow = Bench::statusKiB("VmRSS:");
    {
        // As the contract command opens it.
        ListWindow w(TForm_qczlb::spec(), &dm);
        dm.q_qczlb.setQuery(Bench::contractList());
        dm.q_qczlb.open();
        w.resize(1280, 800);
        w.show();
        app.processEvents();
        const int rows = dm.q_qczlb.recordCount();
        QStringList fields;
        for (int sec = 0; sec < w.model()->columnCount(); ++sec)
            fields << w.model()->shownColumn(sec).field;
        std::printf("rows %d, shown columns %d, window open: process %.0f MiB\n", rows, int(fields.size()),
                    Bench::statusKiB("VmRSS:") / 1024.0);

        QElapsedTimer t;
        long before = 0;
        double cpu = 0;
        // The floors: the same statement as the list's (the key breaks ties), its cells as the engine
        // gives them, written by a plain loop.
        FloorSpec spec;
        spec.location = dbFile;
        spec.sql = QStringLiteral("select ") + fields.join(QStringLiteral(", "))
                   + QStringLiteral(" from 汽车租赁登记表 order by 内部编号, __rk");
        for (const QString& f : fields) {
            const int i = dm.q_qczlb.fieldIndex(f);
            const FieldType type = i >= 0 ? dm.q_qczlb.fields()[i].type : FieldType::Text;
            spec.numeric << (type == FieldType::Money || type == FieldType::Integer || type == FieldType::Number);
        }
        struct Floor {
            const char* name;  // of the figure
            const char* file;
            bool (*write)(const FloorSpec&, const QString&);
        };
        QHash<QString, double> floorMs;
        // BENCH_FORMATS=csv,xls: only those formats, beside the floors they are measured against.
        const QStringList only = qEnvironmentVariable("BENCH_FORMATS").split(QLatin1Char(','), Qt::SkipEmptyParts);
        auto wanted = [&only](const QString& format) {
            return only.isEmpty() || only.contains(format) || (format == QLatin1String("csv") && only.contains(QLatin1String("txt")));
        };
        for (const Floor& f :
             {Floor{"export_floor_csv", "floor.csv", floorCsv}, Floor{"export_floor_htm_same_bytes", "floor.htm", floorHtml},
              Floor{"export_floor_rtf_same_bytes", "floor.rtf", floorRtf},
              Floor{"export_floor_xls_same_bytes", "floor.xls", floorXls}}) {
            if (!wanted(QLatin1String(f.file).mid(6)))
                continue;
            const QString path = QDir(outDir).filePath(QLatin1String(f.file));
            // Twice: as written, and once more waiting at the end until the file is on the disk, as
            // the export's save does (where the disk is the limit, the second is the fair one).
            for (const bool synced : {false, true}) {
                before = Bench::resetPeak();
                cpu = Bench::cpuMs();
                FloorFile::writeBack = synced;
                t.restart();
                bool ok = f.write(spec, path);
                if (ok && synced) {
                    QFile written(path);
                    ok = written.open(QIODevice::ReadWrite) && ::fdatasync(written.handle()) == 0;
                }
                if (!ok) {
                    std::fprintf(stderr, "%s failed\n", f.name);
                    return 1;
                }
                const double took = Bench::ms(t);
                const QString suffix = synced ? QStringLiteral("_synced") : QString();
                floorMs.insert(QLatin1String(f.file).mid(6) + suffix, took);
                figure(qPrintable(QStringLiteral("%1%2_ms").arg(QLatin1String(f.name), suffix)), took, "ms");
                if (!synced)
                    figure(qPrintable(QStringLiteral("%1_peak_extra").arg(QLatin1String(f.name))), Bench::peakExtraMiB(before), "MiB");
                std::printf("%s %.1f MiB, processor %.0f ms\n", f.file,
                            (QFileInfo(path).size() + QFileInfo(path + QStringLiteral(".sst")).size()) / 1048576.0,
                            Bench::cpuMs() - cpu);
                QFile::remove(path);
                QFile::remove(path + QStringLiteral(".sst"));
            }
        }

        // Where the time goes: the record set's reading alone, then with the grid's cell texts.
        if (qEnvironmentVariableIsSet("BENCH_DETAIL")) {
            QVector<int> idx;
            for (const QString& f : fields)
                idx << dm.q_qczlb.fieldIndex(f);
            t.restart();
            qint64 touched = 0;
            for (int r = 0; r < rows; ++r)
                for (int f : idx)
                    touched += dm.q_qczlb.valueAt(r, f).isNull() ? 0 : 1;
            std::printf("detail record set reads %.0f ms (%lld values)\n", Bench::ms(t), touched);
            const RecordRows texts(&dm.q_qczlb, idx);
            t.restart();
            qint64 chars = 0;
            for (int r = 0; r < rows; ++r)
                for (const QString& c : texts.at(r))
                    chars += c.size();
            std::printf("detail reads with cell texts %.0f ms (%lld characters)\n", Bench::ms(t), chars);
        }

        // BENCH_THROUGH_SET=1: the rows read through the record set, as before they were streamed.
        if (qEnvironmentVariableIsSet("BENCH_THROUGH_SET")) {
            ListWindow::exportHandler() = [](ListWindow* lw, const GridSnapshot& s) {
                ExportTable table = toExportTable(s);
                table.rowStream = nullptr;
                exportWithDialog(lw, lw->dm()->SaveDialog1, lw->config().exportName, table);
            };
        }
        struct Format {
            const char* name;
            int filterIndex;  // 0-based filter of the export dialog
        };
        for (const Format& f : {Format{"xls", 4}, Format{"csv", 1}, Format{"txt", 0}, Format{"htm", 2}, Format{"rtf", 3}}) {
            if (!only.isEmpty() && !only.contains(QLatin1String(f.name)))
                continue;
            FileDialogs::Recorder dialogs;
            Msg::Recorder boxes;
            const QString path = QDir(outDir).filePath(QStringLiteral("contracts.") + QLatin1String(f.name));
            dialogs.scriptSave(path, f.filterIndex);
            before = Bench::resetPeak();
            cpu = Bench::cpuMs();
            t.restart();
            w.onExport();
            const double took = Bench::ms(t);
            const double peak = Bench::peakExtraMiB(before);
            if (!boxes.shown().isEmpty() || !QFileInfo::exists(path)) {
                std::fprintf(stderr, "export %s failed: %s\n", f.name, boxes.lastText().toUtf8().constData());
                return 1;
            }
            figure(qPrintable(QStringLiteral("export_%1_ms").arg(QLatin1String(f.name))), took, "ms");
            // Against the format's own floor where it has one, else the CSV's.
            const QString floorName = QLatin1String(f.name) == QLatin1String("txt") ? QStringLiteral("csv") : QLatin1String(f.name);
            figure(qPrintable(QStringLiteral("export_%1_floor_ratio").arg(QLatin1String(f.name))), took / floorMs.value(floorName),
                   "x", 2);
            figure(qPrintable(QStringLiteral("export_%1_synced_floor_ratio").arg(QLatin1String(f.name))),
                   took / floorMs.value(floorName + QStringLiteral("_synced")), "x", 2);
            figure(qPrintable(QStringLiteral("export_%1_peak_extra").arg(QLatin1String(f.name))), peak, "MiB");
            std::printf("contracts.%s %.1f MiB, processor %.0f ms\n", f.name, QFileInfo(path).size() / 1048576.0,
                        Bench::cpuMs() - cpu);
            if (!qEnvironmentVariableIsSet("BENCH_KEEP"))
                QFile::remove(path);
        }

        // Printing: the same pages as the preview, to a PDF, limited to the first pages.
        ListWindow::printHandler() = [&](ListWindow*, const GridSnapshot& s) {
            ExportTable table = toExportTable(s);
            if (qEnvironmentVariableIsSet("BENCH_THROUGH_SET"))
                table.rowStream = nullptr;
            const QString pdf = QDir(outDir).filePath(QStringLiteral("contracts.pdf"));
            before = Bench::resetPeak();
            t.restart();
            QString error;
            if (!printToPdf(table, pdf, &error, pdfPages)) {
                std::fprintf(stderr, "print failed: %s\n", error.toUtf8().constData());
                return;
            }
            figure(qPrintable(QStringLiteral("print_pdf_first_%1_pages_ms").arg(pdfPages)), Bench::ms(t), "ms");
            figure(qPrintable(QStringLiteral("print_pdf_first_%1_pages_peak_extra").arg(pdfPages)), Bench::peakExtraMiB(before),
                   "MiB");
            QFile::remove(pdf);
        };
        std::printf("process after the exports %.0f MiB\n", Bench::statusKiB("VmRSS:") / 1024.0);
        w.onPrint();
        std::printf("process after printing %.0f MiB\n", Bench::statusKiB("VmRSS:") / 1024.0);
        w.close();
        dm.q_qczlb.close();
    }
    app.processEvents();
    std::printf("process before the window %.0f MiB, after it closed %.0f MiB\n", beforeWindow / 1024.0,
                Bench::statusKiB("VmRSS:") / 1024.0);
    figure("export_window_closed_rss_extra", (Bench::statusKiB("VmRSS:") - beforeWindow) / 1024.0, "MiB");
    return 0;
}
