// The .xls reader (Excel 97–2003 workbooks) through libfreexl, which gives each cell's type,
// dates included, and its text as UTF-8.
#include "data/database.h"
#include "sheetimport/sheets.h"

#include <QFile>
#include <QFileInfo>

#include <freexl.h>

namespace SheetImport {

namespace {

QString unreadable(const QString& path)
{
    return QStringLiteral("文件%1不是有效的Excel 97-2003工作簿(.xls),不能导入!").arg(QFileInfo(path).fileName());
}

Cell cellOf(const FreeXL_CellValue& v)
{
    switch (v.type) {
    case FREEXL_CELL_INT:
        return double(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return v.value.double_value;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_TIME: {
        const QString text = QString::fromUtf8(v.value.text_value);
        return text.isEmpty() ? Cell() : Cell(text);
    }
    case FREEXL_CELL_DATE:
        return QDate::fromString(QString::fromUtf8(v.value.text_value), QStringLiteral("yyyy-MM-dd"));
    case FREEXL_CELL_DATETIME: {
        const QDateTime dt = QDateTime::fromString(QString::fromUtf8(v.value.text_value), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return dt.time() == QTime(0, 0) ? Cell(dt.date()) : Cell(dt);
    }
    default:
        return Cell();
    }
}

}  // namespace

QVector<Sheet> readXls(const QString& path)
{
    const void* handle = nullptr;
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK) {
        if (handle)
            freexl_close(handle);
        throw DbError(unreadable(path));
    }
    struct Closer {
        const void* h;
        ~Closer() { freexl_close(h); }
    } closer{handle};
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
        throw DbError(unreadable(path));
    unsigned int password = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK && password == FREEXL_BIFF_OBFUSCATED)
        throw DbError(QStringLiteral("文件%1设有密码,不能导入!").arg(QFileInfo(path).fileName()));
    QVector<Sheet> sheets;
    for (unsigned short s = 0; s < count; ++s) {
        const char* name = nullptr;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_get_worksheet_name(handle, s, &name) != FREEXL_OK || freexl_select_active_worksheet(handle, s) != FREEXL_OK
            || freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
            throw DbError(unreadable(path));
        Sheet sheet{QString::fromUtf8(name), {}};
        sheet.rows.resize(qsizetype(rows));
        for (unsigned int r = 0; r < rows; ++r) {
            QVector<Cell>& cells = sheet.rows[r];
            cells.resize(columns);
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK)
                    throw DbError(unreadable(path));
                cells[c] = cellOf(v);
            }
        }
        sheets.push_back(sheet);
    }
    return sheets;
}

}  // namespace SheetImport
