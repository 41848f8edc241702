#include "SqlTokenizer.h"

namespace {
bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// Index just past a literal that starts at i with the given closing character; a doubled
// closing character continues the literal.
qsizetype skipQuoted(const QString& s, qsizetype i, QChar close)
{
    ++i;
    while (i < s.size()) {
        if (s[i] == close) {
            if (i + 1 < s.size() && s[i + 1] == close && close != QLatin1Char(']')) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}
} // namespace

bool SqlToken::isWord(const char* upperCaseWord) const
{
    return type == Word && text.compare(QLatin1String(upperCaseWord), Qt::CaseInsensitive) == 0;
}

QString SqlToken::unquoted() const
{
    auto inner = [this](QChar quote) {
        QString body = text.mid(1);
        if (body.endsWith(quote))
            body.chop(1);
        return body.replace(QString(2, quote), QString(quote));
    };
    switch (type) {
    case String: return inner(QLatin1Char('\''));
    case DoubleQuoted: return inner(QLatin1Char('"'));
    case BacktickName: return inner(QLatin1Char('`'));
    case BracketName: {
        QString body = text.mid(1);
        if (body.endsWith(QLatin1Char(']')))
            body.chop(1);
        return body;
    }
    default: return text;
    }
}

std::vector<SqlToken> tokenizeSql(const QString& s)
{
    std::vector<SqlToken> tokens;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const qsizetype start = i;
        const QChar c = s[i];
        SqlToken::Type type = SqlToken::Symbol;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace())
                ++i;
            type = SqlToken::Space;
        } else if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) {
            while (i < n && s[i] != QLatin1Char('\n'))
                ++i;
            type = SqlToken::Space;
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            const qsizetype end = s.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            type = SqlToken::Space;
        } else if (c == QLatin1Char('\'')) {
            i = skipQuoted(s, i, QLatin1Char('\''));
            type = SqlToken::String;
        } else if (c == QLatin1Char('"')) {
            i = skipQuoted(s, i, QLatin1Char('"'));
            type = SqlToken::DoubleQuoted;
        } else if (c == QLatin1Char('`')) {
            i = skipQuoted(s, i, QLatin1Char('`'));
            type = SqlToken::BacktickName;
        } else if (c == QLatin1Char('[')) {
            i = skipQuoted(s, i, QLatin1Char(']'));
            type = SqlToken::BracketName;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s[i + 1].isDigit())) {
            while (i < n && (s[i].isLetterOrNumber() || s[i] == QLatin1Char('.')))
                ++i;
            // exponent sign
            while (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))
                && (s[i - 1] == QLatin1Char('e') || s[i - 1] == QLatin1Char('E'))) {
                ++i;
                while (i < n && s[i].isDigit())
                    ++i;
            }
            type = SqlToken::Number;
        } else if (isNameStart(c)) {
            while (i < n && isNamePart(s[i]))
                ++i;
            type = SqlToken::Word;
        } else if (c == QLatin1Char('?')
            || ((c == QLatin1Char(':') || c == QLatin1Char('@')) && i + 1 < n && isNameStart(s[i + 1]))) {
            ++i;
            while (i < n && isNamePart(s[i]))
                ++i;
            type = SqlToken::Parameter;
        } else {
            static const char* pairs[] = {"<=", ">=", "<>", "!=", "==", "||", "<<", ">>"};
            i += 1;
            for (const char* pair : pairs) {
                if (s.mid(start, 2) == QLatin1String(pair)) {
                    i = start + 2;
                    break;
                }
            }
        }
        tokens.push_back({type, s.mid(start, i - start), start});
    }
    return tokens;
}

std::vector<SqlToken> significantTokens(const QString& sql)
{
    std::vector<SqlToken> all = tokenizeSql(sql);
    std::vector<SqlToken> result;
    result.reserve(all.size());
    for (SqlToken& token : all)
        if (token.type != SqlToken::Space)
            result.push_back(std::move(token));
    return result;
}

QString quoteSqlLiteral(const QString& text, QChar quote)
{
    QString inner = text;
    inner.replace(quote, QString(2, quote));
    return quote + inner + quote;
}

QString quoteSqlName(const QString& name)
{
    return quoteSqlLiteral(name, QLatin1Char('"'));
}
