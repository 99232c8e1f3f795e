#include "stats/reports.h"
#include "core/dates.h"
#include "core/sqltext.h"
#include "data/amounts.h"
#include "data/columns.h"
#include "data/database.h"
#include "data/pgbackend.h"
#include "stats/scratch.h"

#include <QDate>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <vector>

namespace Reports {

namespace {

// The five contract sums of the income reports: deposit, rent in advance, term, charged, received.
using Sums = std::array<Money, 5>;
const QString SumColumns = QStringLiteral("sum(押金),sum(预收租金),sum(租赁期限),sum(收费金额),sum(实收金额)");

// Totals beyond the range of amounts are refused (DbError), never wrapped.
Sums& operator+=(Sums& a, const Sums& b)
{
    for (size_t i = 0; i < a.size(); ++i)
        a[i] = Amounts::add(a[i], b[i]);
    return a;
}

// Running totals of the prefix index: 128 bits hold any number of amounts, so a prefix that passes
// the range of amounts only matters when the total asked for does.
using WideSums = std::array<__int128, 5>;
WideSums& operator+=(WideSums& a, const Sums& b)
{
    for (size_t i = 0; i < a.size(); ++i)
        a[i] += b[i].units();
    return a;
}
Sums difference(const WideSums& a, const WideSums& b)
{
    Sums r;
    for (size_t i = 0; i < a.size(); ++i) {
        const __int128 d = a[i] - b[i];
        if (d > Money::MaxUnits || d < -Money::MaxUnits)
            throw DbError(Amounts::outOfRange());
        r[i] = Money::fromUnits(qint64(d));
    }
    return r;
}

// Texts compare as the engine's like and NOCASE do: Latin letters without regard to case.
QChar foldChar(QChar c)
{
    return sqlFoldChar(c);
}
bool hasWildcard(const QString& s)
{
    return s.contains(QLatin1Char('%')) || s.contains(QLatin1Char('_'));
}

// One group read from the engine: its key texts (null keys never match) and its sums.
struct Group {
    QStringList keys;
    QVector<Money> sums;
};

// A server's numeric in its binary form (digit count, weight of the first base-10000 digit, sign,
// display scale, the digits) in units; nullopt where it is no exact amount within the range of
// amounts (NaN, a fifth decimal, too large), as Money::parse refuses such a text.
std::optional<qint64> unitsOf(const char* s, int n)
{
    const auto int16 = [s](int at) { return int(qint16(quint16((uchar(s[at]) << 8) | uchar(s[at + 1])))); };
    if (n < 8)
        return std::nullopt;
    const int digits = int16(0), weight = int16(2), sign = int16(4) & 0xffff;
    if ((sign != 0 && sign != 0x4000) || digits < 0 || n != 8 + 2 * digits)
        return std::nullopt;
    __int128 units = 0;
    // Units are ten-thousandths: a digit of weight w counts 10000^(w+1) units.
    for (int i = 0; i < digits; ++i) {
        const int d = int16(8 + 2 * i), power = weight - i + 1;
        if (d < 0 || d > 9999 || power > 5)
            return std::nullopt;
        if (power < 0) {
            if (d != 0)
                return std::nullopt;
            continue;
        }
        __int128 v = d;
        for (int k = 0; k < power; ++k)
            v *= 10000;
        units += v;
    }
    if (units > Money::MaxUnits)
        return std::nullopt;
    return sign == 0x4000 ? -qint64(units) : qint64(units);
}

// The rows of a table that meet a condition summed here per folded key, from the server's binary
// copy (keys as UTF-8, amounts as base-10000 digits: nothing for either side to print or parse):
// where nearly every row is a group of its own (contracts per customer), grouping on the server
// costs it a sort and an exact total per group and sends as many rows as there are. False where
// the connection is no server's.
bool summedHere(Database& db, const QString& table, const QStringList& keys, const QStringList& values, const QString& where,
                QVector<Group>* out)
{
    QStringList columns;
    for (const QString& k : keys)
        columns << QStringLiteral("cast(%1 as text)").arg(k);
    for (const QString& v : values)
        columns << QStringLiteral("cast(%1 as numeric)").arg(v);
    const QString sql = db.translate(QStringLiteral("select %1 from %2 where %3").arg(columns.join(QLatin1Char(',')), table, where));
    const int k = int(keys.size());
    const int n = k + int(values.size());
    std::vector<__int128> totals;  // n - k per group, one after the other
    // Keys as the server's UTF-8 bytes, folded in place (the fold touches ASCII letters only, which
    // never occur inside a longer character): a text is made only per group, not per row.
    QHash<QByteArray, int> index;
    QByteArray joined;
    QString error;
    const bool read = PgDirect::eachCopiedBinaryRow(
        db.handle(), sql,
        [&](const char* const* cells, const int* lengths) {
            qsizetype size = k - 1;
            for (int i = 0; i < k; ++i) {
                if (!cells[i])
                    return;
                size += lengths[i];
            }
            joined.resize(size);  // copied in place: appending a field at a time costs more than the copy
            char* to = joined.data();
            for (int i = 0; i < k; ++i) {
                if (i > 0)
                    *to++ = '\0';
                for (const char* from = cells[i]; from != cells[i] + lengths[i]; ++from)
                    *to++ = *from >= 'a' && *from <= 'z' ? char(*from - ('a' - 'A')) : *from;
            }
            auto it = index.constFind(joined);
            if (it == index.constEnd()) {
                it = index.insert(QByteArray(joined.constData(), joined.size()), int(out->size()));
                QStringList keys;
                keys.reserve(k);
                for (const char *from = joined.constData(), *end = from + joined.size(); from <= end; ++from) {
                    const char* stop = std::find(from, end, '\0');
                    keys << QString::fromUtf8(from, stop - from);
                    from = stop;
                }
                out->push_back({std::move(keys), {}});
                totals.resize(totals.size() + size_t(n - k));
            }
            __int128* total = totals.data() + size_t(*it) * size_t(n - k);
            for (int i = k; i < n; ++i) {
                if (!cells[i])
                    continue;
                const std::optional<qint64> u = unitsOf(cells[i], lengths[i]);
                if (!u)
                    throw DbError(Amounts::outOfRange());
                total[i - k] += *u;
            }
        },
        &error);
    if (!read && !error.isEmpty())
        throw DbError(error);
    if (!read)
        return false;
    // The engine's totals are exact and refused beyond the range of amounts; so are these.
    for (int g = 0; g < out->size(); ++g) {
        QVector<Money>& sums = (*out)[g].sums;
        sums.reserve(n - k);
        for (int i = 0; i < n - k; ++i) {
            const __int128 t = totals[size_t(g) * size_t(n - k) + size_t(i)];
            if (t > Money::MaxUnits || t < -Money::MaxUnits)
                throw DbError(Amounts::outOfRange());
            sums << Money::fromUnits(qint64(t));
        }
    }
    return true;
}

// The rows of a table that meet a condition, summed per key (null keys left out), keys compared as
// the engine's NOCASE does. The engine sums per stored key text in one pass (its sums are exact,
// and a server sums where the rows are instead of sending each one); grouping by the text as
// stored spares it folding every key, and keys differing only in the case of A-Z meet here.
QVector<Group> sumsBy(Database& db, const QString& table, const QStringList& keys, const QString& values, const QString& where)
{
    QStringList sums, keyTexts;
    for (const QString& v : values.split(QLatin1Char(',')))
        sums << QStringLiteral("sum(%1) as %1").arg(v);
    for (const QString& k : keys)
        keyTexts << QStringLiteral("cast(%1 as text)").arg(k);
    const QString keyList = keyTexts.join(QLatin1Char(','));
    QStringList names;
    QVector<QVector<QVariant>> rows;
    db.selectRows(QStringLiteral("select %1,%2 from %3 where %4 group by %1").arg(keyList, sums.join(QLatin1Char(',')), table, where),
                  false, &names, &rows);
    const int k = int(keys.size());
    const int n = k + int(sums.size());
    QVector<Group> out;
    QHash<QString, int> index;
    QString joined;  // the folded keys separated by NUL; its buffer is kept from row to row
    for (const QVector<QVariant>& row : std::as_const(rows)) {
        joined.resize(0);
        bool nullKey = false;
        for (int i = 0; i < k && !nullKey; ++i) {
            const QVariant& v = row[i];
            nullKey = v.isNull();
            if (i > 0)
                joined += QChar(0);
            joined += v.toString();
        }
        if (nullKey)
            continue;
        for (QChar& c : joined)
            c = foldChar(c);
        auto it = index.constFind(joined);
        int g = 0;
        if (it == index.constEnd()) {
            g = int(out.size());
            index.insert(joined, g);
            out.push_back({joined.split(QChar(0)), QVector<Money>(n - k)});
        } else {
            g = *it;
        }
        Money* total = out[g].sums.data();
        for (int i = k; i < n; ++i)
            total[i - k] = Amounts::add(total[i - k], Amounts::read(row[i]));
    }
    return out;
}

Sums toSums(const QVector<Money>& v, int offset = 0)
{
    Sums s{};
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = v.value(int(i) + offset);
    return s;
}

// The driving rows of a loop: the named columns of a table in its order (ties in insertion order);
// null reads as an empty text, as the loops read it.
QVector<QStringList> readRows(Database& db, const QString& columns, const QString& table, const QString& order)
{
    const QString sql = QStringLiteral("select %1 from %2 order by %3,__rk").arg(columns, table, order);
    QVector<QStringList> out;
    // On a server the texts straight from its result (a customer list is twenty thousand rows).
    const int width = int(columns.count(QLatin1Char(','))) + 1;
    QString error;
    if (PgDirect::eachRow(
            db.handle(), db.translate(sql),
            [&](const char* const* cells, const int* lengths) {
                QStringList r;
                r.reserve(width);
                for (int i = 0; i < width; ++i)
                    r << (cells[i] ? QString::fromUtf8(cells[i], lengths[i]) : QString());
                out << r;
            },
            &error))
        return out;
    if (!error.isEmpty())
        throw DbError(error);
    QSqlQuery q = db.run(sql);
    const int n = q.record().count();
    while (q.next()) {
        QStringList r;
        for (int i = 0; i < n; ++i)
            r << q.value(i).toString();
        out << r;
    }
    return out;
}

// Groups in the order of their first key as QString's < puts them, compared through the key's
// first eight UTF-16 units packed in one number and its length (a plate is seldom longer), in full
// only on a tie past them; groups of the same key stay in the order they came.
void sortByFirstKey(QVector<Group>& groups)
{
    struct Entry {
        unsigned __int128 key;
        int length;  // up to 9: past eight units the texts themselves decide
        int index;
    };
    std::vector<Entry> order;
    order.reserve(size_t(groups.size()));
    for (int i = 0; i < groups.size(); ++i) {
        const QString& k = groups[i].keys[0];
        unsigned __int128 key = 0;
        for (int c = 0; c < 8; ++c)
            key = (key << 16) | (c < k.size() ? k[c].unicode() : 0);
        order.push_back({key, int(std::min<qsizetype>(k.size(), 9)), i});
    }
    std::sort(order.begin(), order.end(), [&](const Entry& a, const Entry& b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (a.length != b.length && (a.length < 9 || b.length < 9))
            return a.length < b.length;  // the same units, the shorter followed by NULs
        if (a.length == 9) {
            const int c = QtPrivate::compareStrings(groups[a.index].keys[0], groups[b.index].keys[0]);
            if (c != 0)
                return c < 0;
        }
        return a.index < b.index;
    });
    QVector<Group> sorted;
    sorted.reserve(groups.size());
    for (const Entry& o : order)
        sorted.push_back(std::move(groups[o.index]));
    groups = std::move(sorted);
}

// Groups keyed by one text, summed over every key that begins with a driving text: the keys sorted,
// running totals beside them, so each driving row costs two searches.
class PrefixIndex {
public:
    explicit PrefixIndex(QVector<Group> groups)
    {
        sortByFirstKey(groups);
        m_keys.reserve(groups.size());
        m_totals.reserve(groups.size() + 1);
        m_sums.reserve(groups.size());
        WideSums running{};
        m_totals << running;
        for (const Group& g : groups) {
            m_keys << g.keys[0];
            m_sums << toSums(g.sums);
            running += m_sums.back();
            m_totals << running;
        }
    }
    Sums sumFor(const QString& prefix) const
    {
        const QString p = fold(prefix);
        if (hasWildcard(p)) {
            // A driving text with the pattern characters of like is matched as the engine would.
            Sums s{};
            const QString pattern = p + QLatin1Char('%');
            for (int i = 0; i < m_keys.size(); ++i)
                if (likeMatches(pattern, m_keys[i]))
                    s += m_sums[i];
            return s;
        }
        const auto lo = std::lower_bound(m_keys.begin(), m_keys.end(), p);
        const auto hi = std::partition_point(lo, m_keys.end(), [&](const QString& k) { return k.startsWith(p); });
        return difference(m_totals[hi - m_keys.begin()], m_totals[lo - m_keys.begin()]);
    }

private:
    QVector<QString> m_keys;
    QVector<Sums> m_sums;
    QVector<WideSums> m_totals;
};

bool dateEmpty(const QString& shown)
{
    return shown.isEmpty() || shown.startsWith(QLatin1Char(' '));
}

// The value a date field gives a row: null when empty.
QVariant dateValue(const QString& shown)
{
    if (dateEmpty(shown))
        return {};
    // As stored text: compared and converted once per run, never through local time per row.
    const auto dt = Dates::parseJet(shown);
    return dt ? QVariant(Dates::toStorage(*dt)) : QVariant();
}

QString joinTerms(const QStringList& terms)
{
    QString out;
    for (const QString& t : terms)
        out += out.isEmpty() ? t : QStringLiteral("and") + t;
    return out;
}

// A row of an income report: its leading values, then the five sums.
QVector<QVariant> incomeRow(std::initializer_list<QVariant> lead, const Sums& s)
{
    QVector<QVariant> row;
    row.reserve(qsizetype(lead.size()) + 5);
    row.append(lead);
    for (const Money& m : s)
        row.append(QVariant::fromValue(m));
    return row;
}

const QStringList IncomeColumns{Col::押金, Col::预收租金, Col::租赁期限, Col::收费金额, Col::实收金额};

QVector<Group> contractGroups(Database& db, const QStringList& keys, const QString& where)
{
    return sumsBy(db, QStringLiteral("汽车租赁登记表"), keys, QStringLiteral("押金,预收租金,租赁期限,收费金额,实收金额"), where);
}

// The contracts summed per customer (or per vehicle and customer): nearly a group per contract.
QVector<Group> contractsPerCustomer(Database& db, const QStringList& keys, const QString& where)
{
    QVector<Group> out;
    if (summedHere(db, QStringLiteral("汽车租赁登记表"), keys, IncomeColumns, where, &out))
        return out;
    return contractGroups(db, keys, where);
}

}  // namespace

QString fold(const QString& s)
{
    return sqlFold(s);
}

qint64 wholeNumber(const QVariant& v)
{
    if (v.isNull())
        return 0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? roundHalfEven(d) : 0;
}

bool likeMatches(const QString& pattern, const QString& text)
{
    // Greedy matching with one backtracking point per %, as the engine's like.
    int p = 0, t = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('%')) {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && (pattern[p] == QLatin1Char('_') || foldChar(pattern[p]) == foldChar(text[t]))) {
            ++p;
            ++t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('%'))
        ++p;
    return p == pattern.size();
}

QString incomeWhere(const IncomeCriteria& c)
{
    QStringList terms;
    const auto contains = [&terms](const char* column, const QString& text) {
        if (!text.trimmed().isEmpty())
            terms << QStringLiteral("(%1 like '%%2%')").arg(QString::fromUtf8(column), sqlText(text.trimmed()));
    };
    contains("客户号", c.customerNo);
    contains("客户姓名", c.customerName);
    contains("车牌号", c.plate);
    if (!dateEmpty(c.dispatchFrom) && !dateEmpty(c.dispatchTo))
        terms << Dates::dayRangeTerm(Col::发车日期, c.dispatchFrom, c.dispatchTo);
    if (!dateEmpty(c.returnFrom) && !dateEmpty(c.returnTo))
        terms << Dates::dayRangeTerm(Col::收车日期, c.returnFrom, c.returnTo);
    return joinTerms(terms);
}

void vehicleIncome(Database& db, const IncomeCriteria& c)
{
    const PrefixIndex contracts(contractGroups(db, {Col::车牌号}, incomeWhere(c)));
    ScratchRows out(QStringList{Col::车牌号, Col::发车日期, Col::收车日期} + IncomeColumns);
    const QVariant from = dateValue(c.dispatchFrom), to = dateValue(c.dispatchTo);
    for (const QStringList& v : readRows(db, Col::车牌号, QStringLiteral("汽车档案"), Col::车牌号)) {
        const Sums s = contracts.sumFor(v[0]);
        if (s[3] > Money())
            out.add(incomeRow({v[0], from, to}, s));
    }
    Scratch::replace(db, out);
}

void customerIncome(Database& db, const IncomeCriteria& c)
{
    const PrefixIndex contracts(contractsPerCustomer(db, {Col::客户号}, incomeWhere(c)));
    ScratchRows out(QStringList{Col::客户号, Col::客户姓名, Col::发车日期, Col::收车日期} + IncomeColumns);
    const QVariant from = dateValue(c.dispatchFrom), to = dateValue(c.dispatchTo);
    for (const QStringList& k : readRows(db, QStringLiteral("客户号,客户姓名"), QStringLiteral("客户登记表"), Col::客户号)) {
        const Sums s = contracts.sumFor(k[0]);
        if (s[3] > Money())
            out.add(incomeRow({k[0], k[1], from, to}, s));
    }
    Scratch::replace(db, out);
}

void vehicleCustomerIncome(Database& db, const IncomeCriteria& c)
{
    IncomeCriteria dates = c;
    dates.customerNo.clear();
    dates.customerName.clear();
    dates.plate.clear();
    QVector<Group> pairs = contractsPerCustomer(db, {Col::车牌号, Col::客户号}, incomeWhere(dates));
    sortByFirstKey(pairs);
    QVector<QString> pairPlates;
    for (const Group& g : pairs)
        pairPlates << g.keys[0];

    const QVector<QStringList> customers = readRows(db, QStringLiteral("客户号,客户姓名"), QStringLiteral("客户登记表"), Col::客户号);
    // Folded number -> the first customer with it in loop order; the others follow it in sameNext.
    QHash<QString, int> byNumber;
    std::vector<int> sameNext(size_t(customers.size()), -1), lastSame(size_t(customers.size()), -1);
    QVector<int> patterned;  // customers whose number holds % or _
    QVector<bool> lengths;   // the lengths registered numbers have
    for (int i = 0; i < customers.size(); ++i) {
        const QString k = fold(customers[i][0]);
        if (hasWildcard(k)) {
            patterned << i;
            continue;
        }
        const auto first = byNumber.constFind(k);
        if (first == byNumber.constEnd()) {
            byNumber.insert(k, i);
            lastSame[size_t(i)] = i;
        } else {
            sameNext[size_t(lastSame[size_t(*first)])] = i;
            lastSame[size_t(*first)] = i;
        }
        if (lengths.size() <= k.size())
            lengths.resize(k.size() + 1, false);
        lengths[k.size()] = true;
    }
    // The customers a contract's number counts for: every registered number it begins with.
    // Worked out once per pair (a pair is met again only under a plate that begins another one),
    // the lists of all pairs one after the other.
    std::vector<int> pairCustomers;
    std::vector<std::pair<qsizetype, qsizetype>> pairSpan(size_t(pairs.size()), {-1, 0});  // start, count
    QString head;  // the number's first len characters; its buffer kept from pair to pair
    const auto customersOf = [&](int pair) -> std::span<const int> {
        auto& [start, count] = pairSpan[size_t(pair)];
        if (start < 0) {
            start = qsizetype(pairCustomers.size());
            const QString& number = pairs[pair].keys[1];
            for (int len = 0; len <= number.size() && len < lengths.size(); ++len) {
                if (!lengths[len])
                    continue;
                head.resize(0);
                head.append(number.constData(), len);
                const auto hit = byNumber.constFind(head);
                if (hit != byNumber.constEnd())
                    for (int i = *hit; i >= 0; i = sameNext[size_t(i)])
                        pairCustomers.push_back(i);
            }
            for (int i : patterned)
                if (likeMatches(fold(customers[i][0]) + QLatin1Char('%'), number))
                    pairCustomers.push_back(i);
            count = qsizetype(pairCustomers.size()) - start;
        }
        return {pairCustomers.data() + start, size_t(count)};
    };

    const QVariant from = dateValue(c.dispatchFrom), to = dateValue(c.dispatchTo);
    QVector<Sums> acc(customers.size());
    QVector<bool> seen(customers.size(), false);
    QVector<int> touched;
    const QVector<QStringList> vehicles = readRows(db, Col::车牌号, QStringLiteral("汽车档案"), Col::车牌号);
    qsizetype next = 0;
    // A few vehicles' rows at a time: on a server the first are stored while the rest are matched.
    const auto batch = [&](ScratchRows& out) {
        for (const qsizetype end = std::min(vehicles.size(), next + 64); next < end; ++next) {
            const QStringList& v = vehicles[next];
            const QString p = fold(v[0]);
            int lo = 0, hi = int(pairs.size());
            const bool pattern = hasWildcard(p);
            if (!pattern) {
                lo = int(std::lower_bound(pairPlates.begin(), pairPlates.end(), p) - pairPlates.begin());
                hi = int(
                    std::partition_point(pairPlates.begin() + lo, pairPlates.end(), [&](const QString& k) { return k.startsWith(p); })
                    - pairPlates.begin());
            }
            touched.clear();
            for (int i = lo; i < hi; ++i) {
                if (pattern && !likeMatches(p + QLatin1Char('%'), pairPlates[i]))
                    continue;
                const Sums s = toSums(pairs[i].sums);
                for (int k : customersOf(i)) {
                    if (!seen[k]) {
                        seen[k] = true;
                        acc[k] = Sums{};
                        touched << k;
                    }
                    acc[k] += s;
                }
            }
            std::sort(touched.begin(), touched.end());
            for (int k : touched) {
                seen[k] = false;
                if (acc[k][3] > Money())
                    out.add(incomeRow({v[0], customers[k][0], customers[k][1], from, to}, acc[k]));
            }
        }
        return next < vehicles.size();
    };
    Scratch::replaceInBatches(db, QStringList{Col::车牌号, Col::客户号, Col::客户姓名, Col::发车日期, Col::收车日期} + IncomeColumns,
                              batch);
}

void handlerIncome(Database& db, const IncomeCriteria& c)
{
    QHash<QString, Sums> byHandler;
    for (const Group& g : contractGroups(db, {Col::租赁公司经办人}, incomeWhere(c)))
        byHandler.insert(g.keys[0], toSums(g.sums));
    ScratchRows out(QStringList{Col::客户姓名, Col::发车日期, Col::收车日期} + IncomeColumns);
    const QVariant from = dateValue(c.dispatchFrom), to = dateValue(c.dispatchTo);
    for (const QStringList& h : readRows(db, Col::经办人姓名, QStringLiteral("经办人信息"), Col::经办人姓名)) {
        const Sums s = byHandler.value(fold(h[0]));
        if (s[3] > Money())
            out.add(incomeRow({h[0], from, to}, s));
    }
    Scratch::replace(db, out);
}

QVector<MonthPeriod> accountingMonths(const QString& yearText, const QString& startDay)
{
    const QString y = yearText.trimmed().left(4);
    const int year = y.toInt();
    const auto two = [](int m) { return QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')); };
    const bool calendar = startDay == QLatin1String("1");
    int dayBefore = 0;
    if (!calendar) {
        bool ok = false;
        dayBefore = startDay.trimmed().toInt(&ok) - 1;
        if (!ok)
            throw DbError(QStringLiteral("'%1' 不是有效的整数").arg(startDay));
    }
    QVector<MonthPeriod> out;
    for (int i = 1; i <= 12; ++i) {
        MonthPeriod m;
        m.label = two(i) + QStringLiteral("月");
        m.start = y + QLatin1Char('-') + two(i) + QLatin1Char('-') + startDay + QStringLiteral(" 0:0:0");
        if (calendar) {
            const int last = i == 2 ? (QDate::isLeapYear(year) ? 29 : 28) : (i == 4 || i == 6 || i == 9 || i == 11) ? 30 : 31;
            m.end = y + QLatin1Char('-') + two(i) + QLatin1Char('-') + QString::number(last) + QStringLiteral(" 23:59:59");
        } else {
            const QString endYear = i == 12 ? QString::number(year + 1) : y;
            m.end = endYear + QLatin1Char('-') + two(i == 12 ? 1 : i + 1) + QLatin1Char('-') + QString::number(dayBefore)
                    + QStringLiteral(" 23:59:59");
        }
        out << m;
    }
    return out;
}

void monthlyIncome(Database& db, const MonthlyCriteria& c)
{
    const QVector<MonthPeriod> months = accountingMonths(c.year, c.startDay);
    // The engine reads the bounds as the conditions would (an impossible date is its error).
    QStringList reads;
    for (const MonthPeriod& m : months)
        reads << QStringLiteral("cdate('%1'),cdate('%2')").arg(sqlText(m.start), sqlText(m.end));
    QSqlQuery bq = db.run(QStringLiteral("select ") + reads.join(QLatin1Char(',')));
    QVariantList bounds;
    if (bq.next())
        for (int i = 0; i < 24; ++i)
            bounds << bq.value(i);

    // Months follow each other without overlap, so one pass over the year buckets every row.
    // The bounds go into the text as storage literals, so that the totals are read as record sets
    // read computed rows: a server's as exact decimal text.
    const auto literal = [](const QVariant& v) {
        return QLatin1Char('\'') + sqlText(Dates::toStorage(Dates::fromVariant(v))) + QLatin1Char('\'');
    };
    const auto bucketed = [&](const QString& column, const QString& table, const QString& sums) {
        QString cases = QStringLiteral("case");
        for (int i = 0; i < 12; ++i)
            cases += QStringLiteral(" when %1 between %2 and %3 then %4")
                         .arg(column, literal(bounds[2 * i]), literal(bounds[2 * i + 1]))
                         .arg(i);
        cases += QStringLiteral(" end");
        QVariant lo = bounds[0], hi = bounds[1];
        for (int i = 1; i < 12; ++i) {
            if (bounds[2 * i].toString() < lo.toString())
                lo = bounds[2 * i];
            if (bounds[2 * i + 1].toString() > hi.toString())
                hi = bounds[2 * i + 1];
        }
        const QString sql = QStringLiteral("select %1 as m,%2 from %3 where %4 between %5 and %6 group by m")
                                .arg(cases, sums, table, column, literal(lo), literal(hi));
        QHash<int, QVector<Money>> out;
        QStringList names;
        QVector<QVector<QVariant>> rows;
        db.selectRows(sql, true, &names, &rows);
        for (const QVector<QVariant>& row : std::as_const(rows)) {
            if (row.value(0).isNull())
                continue;
            QVector<Money> s;
            for (int i = 1; i < row.size(); ++i)
                s << Amounts::read(row[i]);
            out.insert(row[0].toInt(), s);
        }
        return out;
    };
    const auto cash = bucketed(Col::日期, QStringLiteral("现金日记帐"), QStringLiteral("sum(借方),sum(贷方)"));
    const auto rent = bucketed(c.byReturnDate ? Col::收车日期 : Col::发车日期, QStringLiteral("汽车租赁登记表"), SumColumns);

    ScratchRows out(QStringList{Col::月份, Col::现金减少, Col::现金增加} + IncomeColumns + QStringList{Col::收入差价});
    for (int i = 0; i < 12; ++i) {
        const QVector<Money> j = cash.value(i);
        const Money jf = j.value(0), df = j.value(1);
        const Sums s = toSums(rent.value(i));
        if (s[3] > Money() || jf > Money() || df > Money()) {
            QVector<QVariant> row = incomeRow({months[i].label, QVariant::fromValue(df), QVariant::fromValue(jf)}, s);
            row << QVariant::fromValue(Amounts::subtract(jf, df));
            out.add(row);
        }
    }
    Scratch::replace(db, out);
}

void cashBySummary(Database& db, const PeriodCriteria& c)
{
    const PrefixIndex journal(sumsBy(db, QStringLiteral("现金日记帐"), {QStringLiteral("摘要")}, QStringLiteral("借方,贷方"),
                                     Dates::dayRangeTerm(Col::日期, c.from, c.to)));
    ScratchRows out({QStringLiteral("摘要"), Col::发车日期, Col::收车日期, Col::现金增加, Col::现金减少});
    const QVariant from = dateValue(c.from), to = dateValue(c.to);
    for (const QStringList& code : readRows(db, QStringLiteral("摘要"), QStringLiteral("摘要"), Col::代码)) {
        // The index carries five sums; the journal fills the first two.
        const Sums s = journal.sumFor(code[0]);
        const Money jf = s[0], df = s[1];
        if (jf > Money() || df > Money())
            out.add({code[0], from, to, jf > Money() ? QVariant::fromValue(jf) : QVariant(),
                     jf > Money() ? QVariant() : QVariant::fromValue(df)});
    }
    Scratch::replace(db, out);
}

QString shortAmount(Money m)
{
    QString s = m.toString();
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

QString rentalLine(qint64 days, Money charged)
{
    return QStringLiteral("租赁收入: 期限%1天应收金额%2元").arg(days).arg(shortAmount(charged));
}

QString oilLine(Money unitPrice, qint64 quantity)
{
    return QStringLiteral("更换机油: 单价%1元,数量%2").arg(shortAmount(unitPrice)).arg(quantity);
}

namespace {

QString rentalDateColumn(const VehicleCostCriteria& c)
{
    return c.byReturnDate ? Col::收车日期 : Col::发车日期;
}

}  // namespace

void vehicleDetail(Database& db, const VehicleCostCriteria& c)
{
    const QString p = c.plate.trimmed();
    const QString plateTerm = QStringLiteral("(车牌号 like '%") + sqlText(p) + QStringLiteral("%')");
    const auto cond = [&](const QString& dateColumn) {
        return plateTerm + QStringLiteral("and") + Dates::dayRangeTerm(dateColumn, c.from, c.to);
    };
    ScratchRows out({Col::车牌号, Col::发车日期, Col::收车日期, Col::实收金额, Col::备注});
    // Each source read once in its own order; one line per record.
    const auto each = [&](const QString& columns, const QString& table, const QString& condition,
                          const std::function<void(const QSqlQuery&)>& line) {
        QSqlQuery q = db.run(QStringLiteral("select %1 from %2 where %3 order by __rk").arg(columns, table, condition));
        while (q.next())
            line(q);
    };
    if (c.rental)
        each(QStringLiteral("发车日期,收车日期,实收金额,租赁期限,收费金额"), QStringLiteral("汽车租赁登记表"),
             cond(rentalDateColumn(c)), [&](const QSqlQuery& q) {
                 out.add({p, q.value(0), q.value(1), QVariant::fromValue(Amounts::read(q.value(2))),
                          rentalLine(wholeNumber(q.value(3)), Amounts::read(q.value(4)))});
             });
    if (c.oil)
        each(QStringLiteral("换油时间,金额,单价,数量"), QStringLiteral("换油记录表"), cond(Col::换油时间), [&](const QSqlQuery& q) {
            out.add({p, q.value(0), QVariant(), QVariant::fromValue(-Amounts::read(q.value(1))),
                     oilLine(Amounts::read(q.value(2)), wholeNumber(q.value(3)))});
        });
    if (c.repair)
        each(QStringLiteral("维修时间,总费用,维修内容"), QStringLiteral("车辆维修记录表"), cond(Col::维修时间),
             [&](const QSqlQuery& q) {
                 out.add({p, q.value(0), QVariant(), QVariant::fromValue(-Amounts::read(q.value(1))),
                          QStringLiteral("车辆维修: ") + q.value(2).toString()});
             });
    if (c.accident)
        each(QStringLiteral("事故时间,事故金额,事故情况"), QStringLiteral("事故登记表"), cond(Col::事故时间), [&](const QSqlQuery& q) {
            out.add({p, q.value(0), QVariant(), QVariant::fromValue(-Amounts::read(q.value(1))),
                     QStringLiteral("车辆事故: ") + q.value(2).toString()});
        });
    Scratch::replace(db, out);
}

void vehicleSummary(Database& db, const VehicleCostCriteria& c)
{
    // Per source: its sum per plate in the period, plates compared exactly (Latin letters without case).
    const auto perPlate = [&](bool ticked, const QString& amount, const QString& table, const QString& dateColumn) {
        QHash<QString, Money> out;
        if (!ticked)
            return out;
        for (const Group& g : sumsBy(db, table, {Col::车牌号}, amount, Dates::dayRangeTerm(dateColumn, c.from, c.to)))
            out.insert(g.keys[0], g.sums.value(0));
        return out;
    };
    const auto rental = perPlate(c.rental, Col::实收金额, QStringLiteral("汽车租赁登记表"), rentalDateColumn(c));
    const auto oil = perPlate(c.oil, Col::金额, QStringLiteral("换油记录表"), Col::换油时间);
    const auto repair = perPlate(c.repair, Col::总费用, QStringLiteral("车辆维修记录表"), Col::维修时间);
    const auto accident = perPlate(c.accident, Col::事故金额, QStringLiteral("事故登记表"), Col::事故时间);

    ScratchRows out(
        {Col::车牌号, Col::发车日期, Col::收车日期, Col::实收金额, Col::预收租金, Col::押金, Col::租赁单价, Col::收入差价});
    const QVariant from = dateValue(c.from), to = dateValue(c.to);
    for (const QStringList& v : readRows(db, Col::车牌号, QStringLiteral("汽车档案"), Col::车牌号)) {
        const QString k = fold(v[0]);
        const Money r = rental.value(k), o = oil.value(k), w = repair.value(k), a = accident.value(k);
        out.add({v[0], from, to, QVariant::fromValue(r), QVariant::fromValue(o), QVariant::fromValue(w), QVariant::fromValue(a),
                 QVariant::fromValue(Amounts::subtract(Amounts::subtract(Amounts::subtract(r, o), w), a))});
    }
    Scratch::replace(db, out);
}

}  // namespace Reports
