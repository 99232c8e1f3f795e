// The .xlsx reader: the parts of the package through libzip, their XML through QXmlStreamReader.
// Read: the workbook's sheets in order with their names, shared strings, inline strings, numbers,
// booleans, and numbers whose cell format is a date format (styles.xml) as dates.
#include "data/database.h"
#include "sheetimport/sheets.h"

#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>

#include <zip.h>

#include <memory>
#include <optional>

namespace SheetImport {

namespace {

QString unreadable(const QString& path)
{
    return QStringLiteral("文件%1不是有效的Excel工作簿(.xlsx),不能导入!").arg(QFileInfo(path).fileName());
}

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};

class Package {
public:
    explicit Package(const QString& path) : m_path(path)
    {
        int error = 0;
        m_zip.reset(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error));
        if (!m_zip)
            throw DbError(unreadable(path));
    }
    // A part's bytes; nullopt when the package has no such part.
    std::optional<QByteArray> part(const QString& name) const
    {
        const QByteArray n = name.toUtf8();
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat(m_zip.get(), n.constData(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
            return std::nullopt;
        zip_file_t* f = zip_fopen(m_zip.get(), n.constData(), 0);
        if (!f)
            throw DbError(unreadable(m_path));
        QByteArray bytes(qsizetype(st.size), Qt::Uninitialized);
        const zip_int64_t got = zip_fread(f, bytes.data(), st.size);
        zip_fclose(f);
        if (got < 0 || zip_uint64_t(got) != st.size)
            throw DbError(unreadable(m_path));
        return bytes;
    }

private:
    QString m_path;
    std::unique_ptr<zip_t, ZipCloser> m_zip;
};

// The text of an element holding <t> runs (a shared string, an inline string): every <t> of it,
// phonetic guides (<rPh>) left out. The reader stands on the element's start and ends on its end.
QString runsText(QXmlStreamReader& xml)
{
    QString text;
    const QString element = xml.name().toString();
    int phonetic = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"t" && phonetic == 0)
                text += xml.readElementText();
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh")
                --phonetic;
            else if (xml.name() == element)
                break;
        }
    }
    return text;
}

QStringList sharedStrings(const Package& package)
{
    QStringList strings;
    const auto bytes = package.part(QStringLiteral("xl/sharedStrings.xml"));
    if (!bytes)
        return strings;
    QXmlStreamReader xml(*bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si")
            strings << runsText(xml);
    }
    return strings;
}

// Whether a format code shows a date or time: d, m, y, h or s outside quoted text, escapes and
// brackets ([Red], [$-804]; [h] of elapsed hours counts).
bool isDateCode(const QString& code)
{
    bool quoted = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (quoted) {
            quoted = c != u'"';
            continue;
        }
        if (c == u'"') {
            quoted = true;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype end = code.indexOf(u']', i);
            const QString inside = code.mid(i + 1, end - i - 1).toLower();
            if (inside == u"h" || inside == u"hh" || inside == u"m" || inside == u"mm" || inside == u"s" || inside == u"ss")
                return true;
            if (end < 0)
                return false;
            i = end;
        } else {
            const QChar l = c.toLower();
            if (l == u'd' || l == u'm' || l == u'y' || l == u'h' || l == u's' || c == u'年' || c == u'月' || c == u'日')
                return true;
        }
    }
    return false;
}

// The built-in number formats that show dates or times, the Chinese ones (27–36, 50–58) included.
bool isBuiltinDate(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

// For each cell format (the s attribute of a cell), whether it shows a date.
QVector<bool> dateStyles(const Package& package)
{
    QVector<bool> styles;
    const auto bytes = package.part(QStringLiteral("xl/styles.xml"));
    if (!bytes)
        return styles;
    QHash<int, bool> custom;
    QXmlStreamReader xml(*bytes);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"numFmt") {
                const auto a = xml.attributes();
                custom.insert(a.value(QLatin1StringView("numFmtId")).toInt(),
                              isDateCode(a.value(QLatin1StringView("formatCode")).toString()));
            } else if (xml.name() == u"cellXfs") {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == u"xf") {
                const int id = xml.attributes().value(QLatin1StringView("numFmtId")).toInt();
                styles << (custom.contains(id) ? custom.value(id) : isBuiltinDate(id));
            }
        } else if (xml.isEndElement() && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    return styles;
}

// "BC12" → column 54 (0-based 54 for BC), row 12; false when it is not a cell reference.
bool cellReference(QStringView ref, int* column, int* row)
{
    int c = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i)
        c = c * 26 + (ref[i].toUpper().unicode() - u'A' + 1);
    bool ok = false;
    const int r = ref.mid(i).toInt(&ok);
    if (i == 0 || !ok || r < 1 || c > 16384)
        return false;
    *column = c - 1;
    *row = r;
    return true;
}

// A serial day number of the workbook's calendar as a date (with its time when it has one).
Cell serialDate(double serial, bool from1904)
{
    if (!(serial >= 0 && serial < 2958466))
        return serial;
    // 1900 calendar: day 1 is 1900-01-01 and day 60 the 29 February 1900 that never was; counting
    // from 1899-12-30 is right from day 61 on, as every date an office keeps.
    const QDate base = from1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const qint64 days = qint64(serial);
    const qint64 seconds = qRound64((serial - double(days)) * 86400.0);
    const QDateTime dt(base.addDays(days), QTime(0, 0));
    if (seconds == 0)
        return dt.date();
    return dt.addSecs(seconds);
}

struct SheetPart {
    QString name;
    QString part;
};

QString joinPart(const QString& target)
{
    if (target.startsWith(u'/'))
        return target.mid(1);
    return QStringLiteral("xl/") + target;
}

QVector<SheetPart> sheetParts(const Package& package, const QString& path, bool* from1904)
{
    const auto workbook = package.part(QStringLiteral("xl/workbook.xml"));
    const auto rels = package.part(QStringLiteral("xl/_rels/workbook.xml.rels"));
    if (!workbook || !rels)
        throw DbError(unreadable(path));
    QHash<QString, QString> targets;
    QXmlStreamReader r(*rels);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"Relationship")
            targets.insert(r.attributes().value(QLatin1StringView("Id")).toString(),
                           r.attributes().value(QLatin1StringView("Target")).toString());
    }
    QVector<SheetPart> sheets;
    QXmlStreamReader xml(*workbook);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"workbookPr") {
            const QStringView d = xml.attributes().value(QLatin1StringView("date1904"));
            *from1904 = d == u"1" || d == u"true";
        } else if (xml.name() == u"sheet") {
            const auto a = xml.attributes();
            QString id;
            for (const QXmlStreamAttribute& at : a)
                if (at.name() == u"id")  // r:id, whatever the prefix
                    id = at.value().toString();
            if (targets.contains(id))
                sheets.push_back({a.value(QLatin1StringView("name")).toString(), joinPart(targets.value(id))});
        }
    }
    if (xml.hasError())
        throw DbError(unreadable(path));
    return sheets;
}

Sheet readSheet(const QByteArray& bytes, const QString& name, const QStringList& strings, const QVector<bool>& dates, bool from1904,
                const QString& path)
{
    Sheet sheet{name, {}};
    QXmlStreamReader xml(bytes);
    // Rows and cells without their reference follow the one before, as writers may leave it out.
    int nextRow = 0;
    int nextColumn = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"row") {
            const int r = xml.attributes().value(QLatin1StringView("r")).toInt();
            nextRow = r > 0 ? r : nextRow + 1;
            nextColumn = 0;
            continue;
        }
        if (xml.name() != u"c")
            continue;
        const auto a = xml.attributes();
        int column = nextColumn, row = nextRow;
        if ((a.hasAttribute(QLatin1StringView("r")) && !cellReference(a.value(QLatin1StringView("r")), &column, &row)) || row < 1)
            throw DbError(unreadable(path));
        const QString type = a.value(QLatin1StringView("t")).toString();
        const int style = a.value(QLatin1StringView("s")).toInt();
        QString value;
        bool hasValue = false;
        QString inlineText;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"v") {
                value = xml.readElementText();
                hasValue = true;
            } else if (xml.isStartElement() && xml.name() == u"is") {
                inlineText = runsText(xml);
                hasValue = true;
            } else if (xml.isEndElement() && xml.name() == u"c") {
                break;
            }
        }
        nextColumn = column + 1;
        nextRow = row;
        if (!hasValue)
            continue;
        Cell cell;
        if (type == u"s") {
            const int i = value.toInt();
            cell = i >= 0 && i < strings.size() ? strings.at(i) : QString();
        } else if (type == u"inlineStr") {
            cell = inlineText;
        } else if (type == u"str" || type == u"e") {
            cell = value;
        } else if (type == u"b") {
            cell = value.trimmed() == u"1";
        } else if (type == u"d") {
            const QDateTime dt = QDateTime::fromString(value, Qt::ISODate);
            cell = dt.isValid() ? (dt.time() == QTime(0, 0) ? Cell(dt.date()) : Cell(dt)) : Cell(value);
        } else {
            bool ok = false;
            const double v = value.toDouble(&ok);
            if (!ok)
                cell = value;
            else if (style >= 0 && style < dates.size() && dates.at(style))
                cell = serialDate(v, from1904);
            else
                cell = v;
        }
        if (cell.userType() == QMetaType::QString && cell.toString().isEmpty())
            continue;
        if (sheet.rows.size() < row)
            sheet.rows.resize(row);
        QVector<Cell>& cells = sheet.rows[row - 1];
        if (cells.size() <= column)
            cells.resize(column + 1);
        cells[column] = cell;
    }
    if (xml.hasError())
        throw DbError(unreadable(path));
    return sheet;
}

}  // namespace

QVector<Sheet> readXlsx(const QString& path)
{
    const Package package(path);
    bool from1904 = false;
    const QVector<SheetPart> parts = sheetParts(package, path, &from1904);
    const QStringList strings = sharedStrings(package);
    const QVector<bool> dates = dateStyles(package);
    QVector<Sheet> sheets;
    for (const SheetPart& p : parts) {
        const auto bytes = package.part(p.part);
        if (!bytes)
            throw DbError(unreadable(path));
        sheets.push_back(readSheet(*bytes, p.name, strings, dates, from1904, path));
    }
    return sheets;
}

}  // namespace SheetImport
