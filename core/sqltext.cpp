#include "core/sqltext.h"

QString sqlText(const QString& value)
{
    QString s;
    s.reserve(value.size() + 2);
    for (const QChar ch : value) {
        const char16_t c = ch.unicode();
        if (c == u'\'') {
            s += QStringLiteral("''");
            continue;
        }
        // Control characters are dropped: a NUL would end the statement's text on the embedded
        // engine and is refused by the server, and no stored text holds any of them, so the search
        // finds what the clerk sees. Tabs and line breaks stay (remarks may hold them).
        if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || (c >= 0x7f && c <= 0x9f))
            continue;
        s += ch;
    }
    return s;
}

QString sqlLiteral(const QString& value)
{
    return QLatin1Char('\'') + sqlText(value) + QLatin1Char('\'');
}
