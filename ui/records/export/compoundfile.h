#pragma once
// A compound file (version 3, 512-byte sectors) holding one stream beside its root entry: the
// container of an Excel 97-2003 workbook.
#include <QString>

class ExportSink;

// The container is completed around its stream in place, so that a large workbook is never held in
// memory: the caller starts the file with kCompoundHeaderSize reserved bytes and writes the stream
// after them.
constexpr int kCompoundHeaderSize = 512;

// Appends the padding, the directory and the sector tables after the stream, then writes the header
// over the reserved bytes. The stream lives in regular sectors; a stream shorter than the 4096-byte
// mini stream cutoff is padded with zero bytes, which readers ignore after the workbook's final EOF
// record.
bool finishCompoundFile(ExportSink& file, const QString& streamName);
