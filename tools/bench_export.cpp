// Figures of exporting and printing the whole contract list (not a test):
//   bench_export <database file> [output folder]
// Each of the five export formats through the list window's own export path, beside the floor: the same
// rows and columns written as CSV by a plain loop over the SQLite C API. Time and peak resident memory
// above the level before each step.
#include "rental/rental.h"
#include "rental/bookings.h"
#include "tools/benchutil.h"
#include "data/datamodule.h"
#include "ui/common/messages.h"
#include "ui/records/export/exporttable.h"
#include "ui/records/listwindow.h"
#include "ui/records/print/tableprinter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <cstdio>

namespace {

void figure(const char* name, double value, const char* unit)
{
    std::printf("figure %s %.0f %s\n", name, value, unit);
    std::fflush(stdout);
}

// The floor: the shown columns of the same rows as CSV, straight from the engine to the file.
bool floorCsv(const QString& db, const QString& sql, int columns, const QString& path)
{
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return false;
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(h, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(h));
        sqlite3_close(h);
        return false;
    }
    FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out) {
        sqlite3_finalize(st);
        sqlite3_close(h);
        return false;
    }
    std::fwrite("\xEF\xBB\xBF", 1, 3, out);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                std::fputc(',', out);
            const unsigned char* v = sqlite3_column_text(st, c);
            if (v)
                std::fwrite(v, 1, size_t(sqlite3_column_bytes(st, c)), out);
        }
        std::fwrite("\r\n", 1, 2, out);
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerRentalWindows();  // the contract list's row
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_export <database file> [output folder]\n");
        return 2;
    }
    const QString dbFile = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir tmp;
    const QString outDir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : tmp.path();
    const int pdfPages = qEnvironmentVariableIntValue("BENCH_PDF_PAGES") > 0 ? qEnvironmentVariableIntValue("BENCH_PDF_PAGES") : 100;

    TDm1 dm;
    if (!Bench::connect(dm, dbFile))
        return 1;
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
        long before = Bench::resetPeak();
        double cpu = Bench::cpuMs();
        t.start();
        // the same order as the record set: the key breaks ties
        const QString floorPath = QDir(outDir).filePath(QStringLiteral("floor.csv"));
        if (!floorCsv(dbFile,
                      QStringLiteral("select ") + fields.join(QStringLiteral(", "))
                          + QStringLiteral(" from 汽车租赁登记表 order by 内部编号, __rk"),
                      int(fields.size()), floorPath)) {
            std::fprintf(stderr, "floor export failed\n");
            return 1;
        }
        figure("export_floor_csv_ms", Bench::ms(t), "ms");
        figure("export_floor_csv_peak_extra", Bench::peakExtraMiB(before), "MiB");
        std::printf("floor.csv %.1f MiB, processor %.0f ms\n", QFileInfo(floorPath).size() / 1048576.0, Bench::cpuMs() - cpu);

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

        struct Format {
            const char* name;
            int filterIndex;  // 0-based filter of the export dialog
        };
        for (const Format& f : {Format{"xls", 4}, Format{"csv", 1}, Format{"txt", 0}, Format{"htm", 2}, Format{"rtf", 3}}) {
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
            figure(qPrintable(QStringLiteral("export_%1_peak_extra").arg(QLatin1String(f.name))), peak, "MiB");
            std::printf("contracts.%s %.1f MiB, processor %.0f ms\n", f.name, QFileInfo(path).size() / 1048576.0,
                        Bench::cpuMs() - cpu);
            QFile::remove(path);
        }

        // Printing: the same pages as the preview, to a PDF, limited to the first pages.
        ListWindow::printHandler() = [&](ListWindow*, const GridSnapshot& s) {
            const ExportTable table = toExportTable(s);
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
        w.onPrint();
        w.close();
        dm.q_qczlb.close();
    }
    app.processEvents();
    figure("export_window_closed_rss_extra", (Bench::statusKiB("VmRSS:") - beforeWindow) / 1024.0, "MiB");
    return 0;
}
