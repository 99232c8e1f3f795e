#pragma once
// A compound file (version 3, 512-byte sectors) holding one stream beside its root entry: the
// container of an Excel 97-2003 workbook.
#include <QByteArray>
#include <QString>

// The stream is placed in regular sectors; a stream shorter than the 4096-byte mini stream cutoff is
// padded with zero bytes, which readers ignore after the workbook's final EOF record.
QByteArray compoundFile(const QString& streamName, QByteArray stream);
