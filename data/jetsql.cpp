#include "data/jetsql.h"
#include "data/schema.h"
#include "data/versions.h"

#include <QVector>

namespace {

enum class Kind { Word, String, Quoted, Space, Punct, Raw };  // Raw: written out as it stands

struct Token {
    Kind kind;
    QString text;
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c.unicode() >= 0x80;
}

QVector<Token> tokenize(const QString& s)
{
    QVector<Token> out;
    int i = 0;
    const int n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A literal runs to the matching quote; a doubled quote stands for itself.
            const QChar q = c;
            QString body;
            ++i;
            while (i < n) {
                if (s[i] == q) {
                    if (i + 1 < n && s[i + 1] == q) {
                        body += q;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                body += s[i++];
            }
            out.push_back({Kind::String, body});
        } else if (c == QLatin1Char('[')) {
            int j = s.indexOf(QLatin1Char(']'), i);
            if (j < 0)
                j = n - 1;
            out.push_back({Kind::Quoted, s.mid(i, j - i + 1)});
            i = j + 1;
        } else if (c.isSpace()) {
            int j = i;
            while (j < n && s[j].isSpace())
                ++j;
            out.push_back({Kind::Space, s.mid(i, j - i)});
            i = j;
        } else if (isWordChar(c)) {
            int j = i;
            while (j < n && isWordChar(s[j]))
                ++j;
            out.push_back({Kind::Word, s.mid(i, j - i)});
            i = j;
        } else {
            out.push_back({Kind::Punct, QString(c)});
            ++i;
        }
    }
    return out;
}

QString lower(const Token& t)
{
    return t.kind == Kind::Word ? t.text.toLower() : QString();
}

// Tokens without blanks, to read the statement's shape.
QVector<Token> solid(const QVector<Token>& toks)
{
    QVector<Token> v;
    for (const auto& t : toks)
        if (t.kind != Kind::Space)
            v.push_back(t);
    return v;
}

int nextSolid(const QVector<Token>& toks, int i, int step)
{
    for (i += step; i >= 0 && i < toks.size(); i += step)
        if (toks[i].kind != Kind::Space)
            return i;
    return -1;
}

// The server's like must compare as the embedded engine's does: without an escape character (a
// backslash is an ordinary character there), ignoring the case of A-Z only, whatever the type of the
// operand. A plain column is compared through its lower-cased text, the form the server's expression
// indexes hold, so a prefix search narrows through an index instead of reading every row.
void serverLike(QVector<Token>& toks)
{
    for (int i = 0; i < toks.size(); ++i) {
        if (lower(toks[i]) != QLatin1String("like"))
            continue;
        const int right = nextSolid(toks, i, 1);
        if (right < 0
            || !(toks[right].kind == Kind::String || (toks[right].kind == Kind::Punct && toks[right].text == QLatin1String("?"))))
            continue;
        int left = nextSolid(toks, i, -1);
        if (left >= 0 && lower(toks[left]) == QLatin1String("not"))
            left = nextSolid(toks, left, -1);
        const int before = left >= 0 ? nextSolid(toks, left, -1) : -1;
        const bool column = left >= 0 && toks[left].kind == Kind::Word && !toks[left].text.front().isDigit()
                            && !(before >= 0 && toks[before].kind == Kind::Punct && toks[before].text == QLatin1String("."));
        if (column)
            toks[left] = {Kind::Raw, QStringLiteral("lower(") + toks[left].text + QStringLiteral("::text) collate \"C\"")};
        if (column && toks[right].kind == Kind::String) {
            QString& body = toks[right].text;
            for (QChar& c : body)
                if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                    c = c.toLower();
        } else {
            // An expression is plain text, not citext: ilike folds A-Z in a database of the C locale.
            toks[i] = {Kind::Raw, QStringLiteral("ilike")};
        }
        toks.insert(right + 1, {Kind::Raw, QStringLiteral(" escape ''")});
    }
}

}  // namespace

namespace JetSql {

Shape analyze(const QString& jet)
{
    Shape sh;
    const auto t = solid(tokenize(jet));
    if (t.isEmpty() || lower(t[0]) != QLatin1String("select"))
        return sh;
    sh.isSelect = true;
    int depth = 0;
    for (int i = 0; i + 1 < t.size(); ++i) {
        if (t[i].kind == Kind::Punct && t[i].text == QLatin1String("("))
            ++depth;
        else if (t[i].kind == Kind::Punct && t[i].text == QLatin1String(")"))
            --depth;
        else if (depth == 0 && lower(t[i]) == QLatin1String("order") && lower(t[i + 1]) == QLatin1String("by"))
            sh.hasOrderBy = true;
    }
    if (t.size() >= 4 && t[1].kind == Kind::Punct && t[1].text == QLatin1String("*") && lower(t[2]) == QLatin1String("from")
        && t[3].kind == Kind::Word) {
        const bool ends = t.size() == 4 || lower(t[4]) == QLatin1String("where") || lower(t[4]) == QLatin1String("order")
                          || (t[4].kind == Kind::Punct && t[4].text == QLatin1String(";"));
        bool grouped = false;
        for (const auto& tok : t)
            if (lower(tok) == QLatin1String("group") || lower(tok) == QLatin1String("union") || lower(tok) == QLatin1String("join"))
                grouped = true;
        if (ends && !grouped && (Schema::table(t[3].text) || Versions::recordTable(t[3].text))) {
            sh.selectStar = true;
            sh.table = t[3].text;
        }
    }
    return sh;
}

// Positions of the ")" closing a subquery in "from (...)" that has no name: the server engine wants
// every derived table named, so the translation names it.
QVector<bool> unnamedSubqueryEnds(const QVector<Token>& toks)
{
    static const QStringList clauses{QStringLiteral("where"),  QStringLiteral("order"), QStringLiteral("group"),
                                     QStringLiteral("having"), QStringLiteral("union"), QStringLiteral("inner"),
                                     QStringLiteral("left"),   QStringLiteral("right"), QStringLiteral("join")};
    QVector<bool> ends(toks.size(), false);
    QVector<bool> derived;  // per open "(": whether it follows "from"
    int previous = -1;      // the previous token that is not a blank
    for (int i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        if (t.kind == Kind::Space)
            continue;
        if (t.kind == Kind::Punct && t.text == QLatin1String("(")) {
            derived.push_back(previous >= 0 && lower(toks[previous]) == QLatin1String("from"));
        } else if (t.kind == Kind::Punct && t.text == QLatin1String(")") && !derived.isEmpty()) {
            if (derived.takeLast()) {
                int j = i + 1;
                while (j < toks.size() && toks[j].kind == Kind::Space)
                    ++j;
                ends[i] = j >= toks.size() || toks[j].kind != Kind::Word || clauses.contains(lower(toks[j]));
            }
        }
        previous = i;
    }
    return ends;
}

}  // namespace JetSql

namespace {

QString translate(const QString& jet, bool keysOnly, bool server)
{
    const JetSql::Shape sh = JetSql::analyze(jet);
    auto toks = tokenize(jet);
    if (server)
        serverLike(toks);
    const QVector<bool> unnamed = JetSql::unnamedSubqueryEnds(toks);
    bool starDone = !(keysOnly && sh.selectStar);
    QString out;
    out.reserve(jet.size() + 32);
    for (int ti = 0; ti < toks.size(); ++ti) {
        const Token& t = toks[ti];
        switch (t.kind) {
        case Kind::String: {
            QString body = t.text;
            body.replace(QLatin1Char('\''), QStringLiteral("''"));
            out += QLatin1Char('\'') + body + QLatin1Char('\'');
            break;
        }
        case Kind::Word: {
            const QString w = t.text.toLower();
            if (w == QLatin1String("yes") || w == QLatin1String("true"))
                out += QLatin1Char('1');
            else if (w == QLatin1String("no") || w == QLatin1String("false"))
                out += QLatin1Char('0');
            else
                out += t.text;
            break;
        }
        case Kind::Punct:
            if (!starDone && t.text == QLatin1String("*")) {
                out += Schema::KeyColumn;
                starDone = true;
                break;
            }
            out += t.text;
            if (unnamed[ti])
                out += QStringLiteral(" AS __sub");
            break;
        default:
            out += t.text;
        }
    }
    if (sh.selectStar) {
        while (!out.isEmpty() && (out.back().isSpace() || out.back() == QLatin1Char(';')))
            out.chop(1);
        const auto t = solid(toks);
        const bool emptyOrder = !t.isEmpty() && lower(t.back()) == QLatin1String("by");
        if (!sh.hasOrderBy)
            out += QStringLiteral(" order by ") + Schema::KeyColumn;
        else
            out += (emptyOrder ? QStringLiteral(" ") : QStringLiteral(",")) + Schema::KeyColumn;
    }
    return out;
}

}  // namespace

namespace JetSql {

QString toSqlite(const QString& jet, bool keysOnly)
{
    return translate(jet, keysOnly, false);
}

QString toPostgres(const QString& jet, bool keysOnly)
{
    return translate(jet, keysOnly, true);
}

}  // namespace JetSql
