#include "sheetimport/sheets.h"
#include "data/database.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace SheetImport {

QVector<Sheet> readFile(const QString& path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    if (suffix == u"xlsx")
        return readXlsx(path);
    if (suffix == u"xls")
        return readXls(path);
    if (suffix != u"csv")
        throw DbError(QStringLiteral("只能导入.xlsx、.xls和.csv文件,不能导入%1!").arg(info.fileName()));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("文件%1不能打开,不能导入!").arg(info.fileName()));
    return {readCsv(f.readAll(), info.completeBaseName())};
}

QString cellText(const Cell& cell)
{
    switch (cell.userType()) {
    case QMetaType::Double: {
        const double v = cell.toDouble();
        // Whole numbers up to fifteen digits as typed (a telephone number, a customer number).
        if (v == double(qint64(v)) && qAbs(v) < 1e15)
            return QString::number(qint64(v));
        return QString::number(v, 'g', 15);
    }
    case QMetaType::Bool:
        return cell.toBool() ? QStringLiteral("是") : QStringLiteral("否");
    case QMetaType::QDate:
        return cell.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime:
        return cell.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    default:
        return cell.toString();
    }
}

}  // namespace SheetImport
