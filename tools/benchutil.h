#pragma once
// Small measuring helpers shared by the benchmark programs. Each program ends with one line per
// figure, "figure <name> <value> <unit>", for scripts to read; the floors a figure is judged
// against are measured in the same run and printed beside it.
#include "data/datamodule.h"
#include "data/listquery.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>
#include <string>
#include <vector>

namespace Bench {

inline double ms(QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

// A line of /proc/self/status in KiB (-1 where /proc is not available).
inline long statusKiB(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

// Resident memory of this process in KiB.
inline long rssKiB()
{
    return statusKiB("VmRSS:");
}

// Starts a peak measurement: the peak is brought down to the present level, which is returned.
inline long resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
    return rssKiB();
}

inline double peakExtraMiB(long before)
{
    return (statusKiB("VmHWM:") - before) / 1024.0;
}

// Processor time of this process so far, in ms: beside the wall time it tells waiting on the disk
// from work.
inline double cpuMs()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// The database named on the command line; false (said on stderr) when it does not open.
inline bool connect(TDm1& dm, const QString& file)
{
    QString error;
    if (dm.connect(file, &error))
        return true;
    std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    return false;
}

// The contract list as its command opens it: the lines with the table and order they select.
inline ListQuery contractList()
{
    return {.table = QStringLiteral("汽车租赁登记表"),
            .order = {{QStringLiteral("内部编号"), false}},
            .lines = {QStringLiteral("select * from 汽车租赁登记表 "), QStringLiteral("order by 内部编号")}};
}

inline double mib(long kib)
{
    return kib / 1024.0;
}

// The engine handle under a connection, for the floors measured without our layers.
inline sqlite3* handle(Database& db)
{
    const QVariant h = db.handle().driver() ? db.handle().driver()->handle() : QVariant();
    return (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) ? *static_cast<sqlite3* const*>(h.constData()) : nullptr;
}

// Steps one native statement to its end through the engine's C API, reading every column of every
// row as the layers above would; the rows stepped, -1 on an error.
inline long long stepAll(sqlite3* h, const QString& sql)
{
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (!h || sqlite3_prepare_v2(h, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK)
        return -1;
    long long rows = 0;
    int rc;
    const int n = sqlite3_column_count(st);
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++rows;
        for (int i = 0; i < n; ++i)
            (void)sqlite3_column_text(st, i);
    }
    sqlite3_finalize(st);
    return rc == SQLITE_DONE ? rows : -1;
}

// The first column of every row of a native statement, as text (C API).
inline QStringList firstColumn(sqlite3* h, const QString& sql)
{
    QStringList out;
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (!h || sqlite3_prepare_v2(h, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK)
        return out;
    while (sqlite3_step(st) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), sqlite3_column_bytes(st, 0));
    sqlite3_finalize(st);
    return out;
}

// The same two over a connection of either kind: through the engine's C API on a file, through the
// driver's plain forward-only query on a server (which has no C API under the connection).
inline long long stepAll(Database& db, const QString& sql)
{
    if (sqlite3* h = handle(db))
        return stepAll(h, sql);
    QSqlQuery q(db.handle());
    q.setForwardOnly(true);
    if (!q.exec(sql))
        return -1;
    long long rows = 0;
    const int n = q.record().count();
    while (q.next()) {
        ++rows;
        for (int i = 0; i < n; ++i)
            (void)q.value(i);
    }
    return rows;
}

inline QStringList firstColumn(Database& db, const QString& sql)
{
    if (sqlite3* h = handle(db))
        return firstColumn(h, sql);
    QStringList out;
    QSqlQuery q(db.handle());
    q.setForwardOnly(true);
    if (q.exec(sql))
        while (q.next())
            out << q.value(0).toString();
    return out;
}

class Figures {
public:
    // name in snake_case; decimals of the printed value
    void add(const char* name, double value, const char* unit, int decimals = 1) { m_lines.push_back({name, value, unit, decimals}); }
    void print() const
    {
        for (const auto& l : m_lines)
            std::printf("figure %s %.*f %s\n", l.name.c_str(), l.decimals, l.value, l.unit.c_str());
        std::fflush(stdout);
    }

private:
    struct Line {
        std::string name;
        double value;
        std::string unit;
        int decimals;
    };
    std::vector<Line> m_lines;
};

}  // namespace Bench
