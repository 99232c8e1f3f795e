#include "sheetimport/importrules.h"
#include "core/clock.h"
#include "core/dates.h"
#include "core/money.h"
#include "core/session.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/textlimits.h"
#include "fleet/vehiclerules.h"
#include "rental/rentalrules.h"

#include <QLocale>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>

namespace SheetImport {

namespace {

const QString Vehicles = QStringLiteral("汽车档案");

// A header as the clerk wrote it, without surrounding spaces (full-width ones too) and a closing
// colon, as labels carry one.
QString headerName(const Cell& cell)
{
    QString h = cellText(cell).trimmed();
    while (h.endsWith(u'：') || h.endsWith(u':'))
        h.chop(1);
    return h.trimmed();
}

// Keys compare as the engines compare text: letters A–Z without regard to case, nothing else
// folded.
QString folded(const QString& key)
{
    QString out = key;
    for (QChar& c : out)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return out;
}

bool blank(const Cell& cell)
{
    return !cell.isValid() || cell.isNull() || cellText(cell).trimmed().isEmpty();
}

struct Converted {
    QVariant value;  // invalid: the column stays empty
    QString problem;
};

QString shown(const QString& text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

Converted toDate(const Field& f, const Cell& cell)
{
    if (cell.userType() == QMetaType::QDate)
        return {QDateTime(cell.toDate(), QTime(0, 0)), {}};
    if (cell.userType() == QMetaType::QDateTime)
        return {QDateTime(cell.toDateTime().date(), QTime(0, 0)), {}};
    QString text = cellText(cell).trimmed();
    const QString typed = text;
    // 2004.3.1 and 2004年3月1日 as well as the forms a date field takes.
    text.replace(u'.', u'-').replace(u'年', u'-').replace(u'月', u'-').remove(u'日');
    if (cell.userType() == QMetaType::QString) {
        if (const auto dt = Dates::parseJet(text))
            return {QDateTime(dt->date(), QTime(0, 0)), {}};
    }
    return {{}, QStringLiteral("%1%2不是有效的日期,请重新输入!").arg(f.column, shown(typed))};
}

std::optional<double> number(const Cell& cell)
{
    if (cell.userType() == QMetaType::Double)
        return std::isfinite(cell.toDouble()) ? std::optional<double>(cell.toDouble()) : std::nullopt;
    if (cell.userType() != QMetaType::QString)
        return std::nullopt;
    QString text = cell.toString().trimmed();
    text.remove(u',').remove(u' ');
    bool ok = false;
    const double v = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString outOfRange(const Field& f, const QString& typed)
{
    if (f.maximum > 0)
        return QStringLiteral("%1%2超出范围(%3至%4),请重新输入!")
            .arg(f.column, shown(typed), QString::number(f.minimum), QString::number(f.maximum));
    return QStringLiteral("%1%2不能小于%3,请重新输入!").arg(f.column, shown(typed), QString::number(f.minimum));
}

Converted toNumber(const Field& f, const Cell& cell)
{
    const QString typed = cellText(cell).trimmed();
    const auto v = number(cell);
    if (!v)
        return {{}, QStringLiteral("%1%2不是数字,请重新输入!").arg(f.column, shown(typed))};
    // As the number field settles what is typed: rounded half to even to its decimals.
    const double scale = std::pow(10.0, f.decimals);
    const double settled = std::nearbyint(*v * scale) / scale;
    if (settled < f.minimum || (f.maximum > 0 && settled > f.maximum))
        return {{}, outOfRange(f, typed)};
    return {settled, {}};
}

Converted toMoney(const Field& f, const Cell& cell)
{
    const QString typed = cellText(cell).trimmed();
    QString text = typed;
    text.remove(u',').remove(u' ');
    const auto m = Money::parse(text);
    if (!m)
        return {{}, QStringLiteral("%1%2不是有效的金额,请重新输入!").arg(f.column, shown(typed))};
    if (*m < Money::fromUnits(qint64(std::llround(f.minimum * Money::Scale))))
        return {{}, outOfRange(f, typed)};
    return {QVariant::fromValue(*m), {}};
}

Converted toBoolean(const Field& f, const Cell& cell)
{
    if (cell.userType() == QMetaType::Bool)
        return {cell.toBool(), {}};
    const QString text = cellText(cell).trimmed().toLower();
    static const QStringList yes{QStringLiteral("1"),    QStringLiteral("是"),  QStringLiteral("√"),
                                 QStringLiteral("true"), QStringLiteral("yes"), QStringLiteral("y")};
    static const QStringList no{QStringLiteral("0"),     QStringLiteral("否"), QStringLiteral("×"),
                                QStringLiteral("false"), QStringLiteral("no"), QStringLiteral("n")};
    if (yes.contains(text))
        return {true, {}};
    if (no.contains(text))
        return {false, {}};
    return {{}, QStringLiteral("%1%2只能是“是”或“否”,请重新输入!").arg(f.column, shown(cellText(cell).trimmed()))};
}

Converted convert(const QString& table, const Field& f, const Cell& cell)
{
    const FieldType type = Schema::columnType(table, f.column);
    Converted c;
    switch (type) {
    case FieldType::DateTime:
        c = toDate(f, cell);
        break;
    case FieldType::Integer:
    case FieldType::Number:
        c = toNumber(f, cell);
        break;
    case FieldType::Money:
        c = toMoney(f, cell);
        break;
    case FieldType::Boolean:
        c = toBoolean(f, cell);
        break;
    case FieldType::Text:
    case FieldType::Memo: {
        QString text = cellText(cell).trimmed();
        if (f.upper)
            text = text.toUpper();
        c = {text, Schema::textProblem(table, f.column, text)};
        break;
    }
    }
    if (c.problem.isEmpty()) {
        // What the column itself cannot hold (an amount past fifteen digits, a count past 64 bits),
        // refused as the record set refuses it at save.
        try {
            RecordSet::toStorage(c.value, type, table, f.column);
        } catch (const DbError& e) {
            c = {{}, e.text()};
        }
    }
    return c;
}

QDateTime dateOf(const QHash<QString, QVariant>& values, const QString& column)
{
    return values.value(column).toDateTime();
}

// The edit dialog's checks of 存盘 over the converted values: the message and its column.
std::optional<std::pair<QString, QString>> dialogCheck(const QString& table, const QHash<QString, QVariant>& v)
{
    if (table == Vehicles) {
        VehicleValues values;
        values.plate = v.value(Col::车牌号).toString();
        values.roadFeeBought = dateOf(v, Col::养路费购买时间);
        values.roadFeeUntil = dateOf(v, Col::养路费截止时间);
        values.inspection = dateOf(v, Col::年审时间);
        values.inspectionUntil = dateOf(v, Col::年审截止时间);
        values.insuranceBought = dateOf(v, Col::保险购买时间);
        values.insuranceUntil = dateOf(v, Col::保险截止时间);
        values.service = v.value(Col::二保里程).toDouble();
        values.nextService = v.value(Col::下次二保里程).toDouble();
        if (const auto r = checkVehicle(values))
            return std::pair{r->message, r->column};
        return std::nullopt;
    }
    const Rental::CustomerValues values{v.value(Col::客户号).toString(), v.value(Col::客户姓名).toString(), dateOf(v, Col::起始日期),
                                        dateOf(v, Col::终止日期)};
    if (const auto r = Rental::checkCustomer(values))
        return std::pair{r->message, r->column};
    return std::nullopt;
}

QSet<QString> storedKeys(Database& db, const Target& target)
{
    QSet<QString> keys;
    QSqlQuery q = db.run(QStringLiteral("select ") + target.key + QStringLiteral(" from ") + target.table);
    while (q.next())
        keys.insert(folded(q.value(0).toString()));
    return keys;
}

QString storedDuplicate(const Target& target, const QString& key)
{
    return QStringLiteral("%1%2已在%3中,不能重复导入!").arg(target.key, key, target.table);
}

}  // namespace

QString PlannedRow::fate() const
{
    return refusals.isEmpty() ? QStringLiteral("导入") : refusals.join(QStringLiteral("；"));
}

int Plan::refusedCount() const
{
    return int(std::count_if(rows.begin(), rows.end(), [](const PlannedRow& r) { return !r.refusals.isEmpty(); }));
}

QStringList Plan::refusalLines() const
{
    QStringList lines;
    for (const PlannedRow& r : rows)
        if (!r.refusals.isEmpty())
            lines << QStringLiteral("第%1行：%2").arg(r.line).arg(r.fate());
    return lines;
}

int sheetFor(const QVector<Sheet>& sheets, const QString& table)
{
    for (int i = 0; i < sheets.size(); ++i)
        if (sheets.at(i).name.trimmed() == table)
            return i;
    return 0;
}

Plan plan(Database& db, const Target& target, const Sheet& sheet)
{
    Plan p;
    p.table = target.table;
    // Header names: the column names (which the lists also show as their titles), then the
    // dialog's labels that name one field alone (姓名 appears on three pages and names none).
    QHash<QString, int> names;
    QHash<QString, int> labels;
    for (int i = 0; i < target.fields.size(); ++i) {
        names.insert(target.fields.at(i).column, i);
        const QString label = target.fields.at(i).label;
        if (!label.isEmpty())
            labels.insert(label, labels.contains(label) ? -1 : i);
    }
    for (auto it = labels.cbegin(); it != labels.cend(); ++it)
        if (it.value() >= 0 && !names.contains(it.key()))
            names.insert(it.key(), it.value());

    if (sheet.rows.isEmpty()) {
        p.problem = QStringLiteral("工作表“%1”是空的,没有可导入的数据!").arg(sheet.name);
        return p;
    }
    QVector<std::pair<int, int>> matched;  // sheet column, field
    QSet<int> taken;
    const QVector<Cell>& header = sheet.rows.first();
    for (int c = 0; c < header.size(); ++c) {
        const QString name = headerName(header.at(c));
        if (name.isEmpty())
            continue;
        const int f = names.value(name, -1);
        if (f < 0 || taken.contains(f)) {
            p.ignored << name;
            continue;
        }
        taken.insert(f);
        matched.push_back({c, f});
        p.columns << target.fields.at(f).column;
    }
    if (!p.columns.contains(target.key)) {
        p.problem = QStringLiteral("工作表“%1”的第一行没有“%2”列,不能导入%3!").arg(sheet.name, target.key, target.table);
        return p;
    }

    const QSet<QString> stored = storedKeys(db, target);
    QHash<QString, int> firstLine;  // folded key → the row that has it first
    for (int r = 1; r < sheet.rows.size(); ++r) {
        const QVector<Cell>& cells = sheet.rows.at(r);
        if (std::all_of(cells.begin(), cells.end(), blank))
            continue;
        PlannedRow row;
        row.line = r + 1;
        QSet<QString> failed;
        for (const auto& [c, f] : matched) {
            const Cell cell = c < cells.size() ? cells.at(c) : Cell();
            const Field& field = target.fields.at(f);
            row.cells << cellText(cell);
            if (blank(cell))
                continue;
            const Converted v = convert(target.table, field, cell);
            if (!v.problem.isEmpty()) {
                row.refusals << v.problem;
                failed.insert(field.column);
            } else if (v.value.isValid()) {
                row.values.insert(field.column, v.value);
            }
        }
        // The dialog's checks; a refusal about a value already refused above says nothing new.
        if (const auto refusal = dialogCheck(target.table, row.values); refusal && !failed.contains(refusal->second))
            row.refusals.prepend(refusal->first);
        const QString key = row.values.value(target.key).toString();
        if (!key.trimmed().isEmpty() && !failed.contains(target.key)) {
            const QString k = folded(key);
            if (stored.contains(k))
                row.refusals << storedDuplicate(target, key);
            else if (firstLine.contains(k))
                row.refusals << QStringLiteral("%1%2与第%3行重复,不能重复导入!").arg(target.key, key).arg(firstLine.value(k));
            else
                firstLine.insert(k, row.line);
        }
        p.rows.push_back(row);
    }
    if (p.rows.isEmpty())
        p.problem = QStringLiteral("工作表“%1”只有标题行,没有可导入的数据!").arg(sheet.name);
    return p;
}

int write(Database& db, const Target& target, const Plan& plan)
{
    if (!plan.problem.isEmpty())
        throw DbError(plan.problem);
    if (const int refused = plan.refusedCount())
        throw DbError(QStringLiteral("有%1行不能导入,没有导入任何数据,请改正表格后重新导入!").arg(refused));
    const bool vehicles = target.table == Vehicles;
    const QString photo = vehicles ? QString(Col::汽车照片) : QString(Col::客户照片);
    // The set outlives the transaction: a rollback puts it back as it was before the first row.
    RecordSet set(&db);
    set.setSql({QStringLiteral("select * from ") + target.table + QStringLiteral(" where 1=0")});
    set.open();
    Transaction tx(db);
    // Under the write lock: a key another workstation stored after the preview was read.
    const QSet<QString> stored = storedKeys(db, target);
    for (const PlannedRow& row : plan.rows) {
        const QString key = row.values.value(target.key).toString();
        if (stored.contains(folded(key)))
            throw DbError(QStringLiteral("第%1行：%2").arg(row.line).arg(storedDuplicate(target, key)));
    }
    for (const PlannedRow& row : plan.rows) {
        set.append();
        set.setValue(Col::停用, false);
        if (vehicles) {
            set.setValue(Col::开始生效, false);
            set.setValue(Col::车辆状态, QStringLiteral("空闲"));
        }
        for (auto it = row.values.cbegin(); it != row.values.cend(); ++it)
            set.setValue(it.key(), it.value());
        const QString key = row.values.value(target.key).toString();
        set.setValue(photo, vehicles ? photoName(key) : key + QStringLiteral(".jpg"));
        set.setValue(Col::操作员, Session::currentOperator().name);
        set.setValue(Col::操作日期, Clock::now());
        set.post();
    }
    tx.commit();
    set.close();
    return int(plan.rows.size());
}

}  // namespace SheetImport
