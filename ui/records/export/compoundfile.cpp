#include "ui/records/export/compoundfile.h"
#include "ui/records/export/exportsink.h"

#include <QByteArray>

#include <QtEndian>
#include <QVector>

namespace {

constexpr int kSector = 512;
constexpr quint32 kFree = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSect = 0xFFFFFFFD;
constexpr quint32 kDifSect = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr int kMiniCutoff = 4096;
constexpr int kHeaderDifat = 109;        // FAT sector numbers held by the header itself
constexpr int kPerSector = kSector / 4;  // sector numbers per FAT or DIFAT sector

void put16(QByteArray& b, int at, quint16 v)
{
    qToLittleEndian(v, b.data() + at);
}
void put32(QByteArray& b, int at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

QByteArray directoryEntry(const QString& name, quint8 type, quint32 child, quint32 start, quint32 size)
{
    QByteArray e(128, '\0');
    if (type != 0) {
        const QString n = name.left(31);
        for (int i = 0; i < n.size(); ++i)
            put16(e, i * 2, n[i].unicode());
        put16(e, 64, quint16((n.size() + 1) * 2));
        e[66] = char(type);
        e[67] = 1;  // black: a tree of one node per level is a valid red-black tree
    }
    put32(e, 68, kNoStream);  // left sibling
    put32(e, 72, kNoStream);  // right sibling
    put32(e, 76, child);
    put32(e, 116, start);
    put32(e, 120, size);
    return e;
}

}  // namespace

bool finishCompoundFile(ExportSink& file, const QString& streamName)
{
    if (file.pos() - kSector < kMiniCutoff)
        file.append(QByteArray(kMiniCutoff - (file.pos() - kSector), '\0'));
    const qint64 streamBytes = file.pos() - kSector;
    const quint32 streamSize = quint32(streamBytes);
    const int streamSectors = int((streamBytes + kSector - 1) / kSector);

    // Sectors: the stream, one directory sector, the FAT, then DIFAT sectors when the header's 109
    // FAT entries are not enough (files above about 7 MB). The FAT must also describe its own sectors.
    int fatSectors = 0, difatSectors = 0;
    for (;;) {
        const int total = streamSectors + 1 + fatSectors + difatSectors;
        const int needFat = (total + kPerSector - 1) / kPerSector;
        const int needDifat = needFat > kHeaderDifat ? (needFat - kHeaderDifat + kPerSector - 2) / (kPerSector - 1) : 0;
        if (needFat == fatSectors && needDifat == difatSectors)
            break;
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const quint32 dirSector = quint32(streamSectors);
    const quint32 firstFat = dirSector + 1;
    const quint32 firstDifat = firstFat + quint32(fatSectors);

    file.append(QByteArray(qsizetype(streamSectors) * kSector - streamBytes, '\0'));

    QByteArray dir;
    dir += directoryEntry(QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    dir += directoryEntry(streamName, 2, kNoStream, 0, streamSize);
    dir += directoryEntry(QString(), 0, kNoStream, 0, 0);
    dir += directoryEntry(QString(), 0, kNoStream, 0, 0);
    file.append(dir);

    // The FAT, one sector at a time: the stream is one chain of consecutive sectors.
    auto fatEntry = [&](quint32 i) -> quint32 {
        if (i < quint32(streamSectors))
            return i + 1 < quint32(streamSectors) ? i + 1 : kEndOfChain;
        if (i == dirSector)
            return kEndOfChain;
        if (i >= firstFat && i < firstDifat)
            return kFatSect;
        if (i >= firstDifat && i < firstDifat + quint32(difatSectors))
            return kDifSect;
        return kFree;
    };
    QByteArray sector(kSector, '\0');
    for (int s = 0; s < fatSectors; ++s) {
        for (int k = 0; k < kPerSector; ++k)
            put32(sector, k * 4, fatEntry(quint32(s * kPerSector + k)));
        file.append(sector);
    }

    // DIFAT sectors: 127 further FAT sector numbers each, then the number of the next DIFAT sector.
    for (int d = 0; d < difatSectors; ++d) {
        for (int i = 0; i < kPerSector - 1; ++i) {
            const int fatIndex = kHeaderDifat + d * (kPerSector - 1) + i;
            put32(sector, i * 4, fatIndex < fatSectors ? firstFat + quint32(fatIndex) : kFree);
        }
        put32(sector, (kPerSector - 1) * 4, d + 1 < difatSectors ? firstDifat + quint32(d + 1) : kEndOfChain);
        file.append(sector);
    }

    QByteArray header(kSector, '\0');
    const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    memcpy(header.data(), signature, 8);
    put16(header, 24, 0x003E);  // minor version
    put16(header, 26, 0x0003);  // major version 3
    put16(header, 28, 0xFFFE);  // little-endian
    put16(header, 30, 9);       // 512-byte sectors
    put16(header, 32, 6);       // 64-byte mini sectors
    put32(header, 44, quint32(fatSectors));
    put32(header, 48, dirSector);
    put32(header, 56, kMiniCutoff);
    put32(header, 60, kEndOfChain);  // no mini FAT
    put32(header, 64, 0);
    put32(header, 68, difatSectors ? firstDifat : kEndOfChain);
    put32(header, 72, quint32(difatSectors));
    for (int i = 0; i < kHeaderDifat; ++i)
        put32(header, 76 + i * 4, i < fatSectors ? firstFat + quint32(i) : kFree);
    if (!file.flush())
        return false;
    return file.patch(0, header.constData(), header.size());
}
