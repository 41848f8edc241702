#pragma once

#include <QString>

#include <vector>

struct SqlToken
{
    enum Type {
        Word, // names and keywords
        BracketName, // [name]
        DoubleQuoted, // "text": a text literal in the archive's SQL dialect
        BacktickName, // `name`
        String, // 'text'
        Number,
        Parameter, // ?, :name, @name
        Symbol, // operators and punctuation
        Space, // blanks and comments
    };
    Type type;
    QString text; // the token as written
    qsizetype start; // offset in the statement

    bool isWord(const char* upperCaseWord) const;
    // The unquoted content of a name or literal (doubled quote characters folded).
    QString unquoted() const;
};

// Splits an SQL text into tokens; never fails (an unterminated literal runs to the end).
std::vector<SqlToken> tokenizeSql(const QString& sql);

// The tokens without blanks and comments.
std::vector<SqlToken> significantTokens(const QString& sql);

// Quotes a text as an SQL literal with the given quote character, doubling it inside.
QString quoteSqlLiteral(const QString& text, QChar quote = QLatin1Char('\''));
// Quotes a name for SQLite.
QString quoteSqlName(const QString& name);
