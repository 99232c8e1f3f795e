#pragma once
// A compound file (version 3, 512-byte sectors) holding one stream beside its root entry: the
// container of an Excel 97-2003 workbook.
#include <QByteArray>
#include <QString>

// The container is completed around its stream in place, so that a large workbook is never copied:
// the caller starts `file` with kCompoundHeaderSize reserved bytes and appends the stream after them.
constexpr int kCompoundHeaderSize = 512;

// Fills in the header and appends the padding, the directory and the sector tables. The stream lives
// in regular sectors; a stream shorter than the 4096-byte mini stream cutoff is padded with zero
// bytes, which readers ignore after the workbook's final EOF record.
void finishCompoundFile(QByteArray& file, const QString& streamName);
// Bytes the finishing adds after a stream of the given size, at most (for reserving memory).
qint64 compoundFileOverhead(qint64 streamSize);
