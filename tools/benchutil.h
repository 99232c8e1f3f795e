#pragma once
// Small measuring helpers shared by the benchmark programs.
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>

namespace Bench {

inline double ms(QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

// Resident memory of this process in KiB (-1 where /proc is not available).
inline long rssKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace Bench
