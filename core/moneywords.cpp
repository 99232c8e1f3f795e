#include "core/moneywords.h"

#include <array>

namespace {

const std::array<QChar, 10> Digits = {u'零', u'壹', u'贰', u'叁', u'肆', u'伍', u'陆', u'柒', u'捌', u'玖'};
const std::array<QChar, 4> Places = {QChar(), u'拾', u'佰', u'仟'};

// The whole yuan, group by group of four digits from the highest. A zero digit only leaves a 零
// pending; it is written when a non-zero digit follows, so a run of zeros gives one 零 and zeros
// at the end give none, also across an empty group.
QString yuanInWords(quint64 yuan)
{
    std::array<int, 20> digits{};
    int count = 0;
    for (quint64 v = yuan; v > 0; v /= 10)
        digits[size_t(count++)] = int(v % 10);

    QString out;
    bool pendingZero = false;
    bool groupHasDigit = false;
    for (int pos = count - 1; pos >= 0; --pos) {
        const int d = digits[size_t(pos)];
        if (d == 0) {
            pendingZero = !out.isEmpty();
        } else {
            if (pendingZero)
                out += Digits[0];
            pendingZero = false;
            out += Digits[size_t(d)];
            if (const QChar place = Places[size_t(pos % 4)]; !place.isNull())
                out += place;
            groupHasDigit = true;
        }
        if (pos % 4 == 0 && pos > 0) {
            if (groupHasDigit) {
                if (pos == 4)
                    out += u'万';
                else if (pos == 8)
                    out += u'亿';
                else  // pos 12: 万 when the 亿 group follows with digits of its own ("壹万零壹亿")
                    out += (yuan / 100000000ULL) % 10000ULL ? QStringLiteral("万") : QStringLiteral("万亿");
            }
            groupHasDigit = false;
        }
    }
    return out;
}

}  // namespace

QString amountInWords(Money amount)
{
    const qint64 units = amount.units();
    const bool negative = units < 0;
    // The magnitude as unsigned: the type's lowest amount has no positive counterpart.
    const quint64 magnitude = negative ? quint64(0) - quint64(units) : quint64(units);
    constexpr quint64 UnitsPerFen = Money::Scale / 100;
    quint64 fen = magnitude / UnitsPerFen;
    const quint64 rest = magnitude % UnitsPerFen;
    if (rest > UnitsPerFen / 2 || (rest == UnitsPerFen / 2 && fen % 2 == 1))
        ++fen;
    if (fen == 0)
        return QStringLiteral("零元整");

    const quint64 yuan = fen / 100;
    const int jiao = int(fen / 10 % 10);
    const int cents = int(fen % 10);

    QString out = negative ? QStringLiteral("负") : QString();
    if (yuan > 0)
        out += yuanInWords(yuan) + u'元';
    if (jiao == 0 && cents == 0)
        return out + u'整';
    if (jiao > 0)
        out += QString(Digits[size_t(jiao)]) + u'角';
    else if (yuan > 0)
        out += Digits[0];
    if (cents > 0)
        out += QString(Digits[size_t(cents)]) + u'分';
    return out;
}
