#include "JetDialect.h"

#include "platform/Errors.h"
#include "platform/db/FieldKind.h"
#include "platform/db/SqlTokenizer.h"

namespace {
bool isConstraintStart(const SqlToken& token)
{
    return token.isWord("PRIMARY") || token.isWord("CONSTRAINT") || token.isWord("UNIQUE") || token.isWord("CHECK")
        || token.isWord("FOREIGN");
}

bool endsType(const SqlToken& token)
{
    static const char* words[] = {"NOT", "NULL", "PRIMARY", "DEFAULT", "CONSTRAINT", "UNIQUE", "CHECK", "COLLATE",
        "REFERENCES", "GENERATED", "AS", "WITH"};
    for (const char* word : words)
        if (token.isWord(word))
            return true;
    return false;
}

QString nameOf(const SqlToken& token)
{
    return token.type == SqlToken::Word ? token.text : token.unquoted();
}

// Index of the matching closing parenthesis for the opening one at index open.
qsizetype closingParen(const std::vector<SqlToken>& tokens, qsizetype open)
{
    int depth = 0;
    for (qsizetype i = open; i < qsizetype(tokens.size()); ++i) {
        if (tokens[i].text == QLatin1String("("))
            ++depth;
        else if (tokens[i].text == QLatin1String(")") && --depth == 0)
            return i;
    }
    return -1;
}

QString joinTokens(const std::vector<SqlToken>& tokens, qsizetype from, qsizetype to)
{
    QString text;
    for (qsizetype i = from; i < to; ++i)
        text += tokens[i].text;
    return text;
}

QString checkFor(const QString& column, const QString& columnName, const DeclaredType& type)
{
    auto constraint = [&](const QString& message, const QString& condition) -> QString {
        return QStringLiteral(" CONSTRAINT ") + quoteSqlName(message) + QStringLiteral(" CHECK (") + condition
            + QLatin1Char(')');
    };
    const QString isNull = column + QStringLiteral(" IS NULL OR ");
    if (isTextKind(type.kind) && type.width > 0)
        return constraint(
            QStringLiteral("Der Wert für das Feld %1 ist länger als %2 Zeichen").arg(columnName).arg(type.width),
            QStringLiteral("length(%1) <= %2").arg(column).arg(type.width));
    if (type.kind == FieldKind::SmallInt)
        return constraint(QStringLiteral("Das Feld %1 nimmt nur ganze Zahlen von -32768 bis 32767 auf").arg(columnName),
            isNull + QStringLiteral("(typeof(%1) = 'integer' AND %1 BETWEEN -32768 AND 32767)").arg(column));
    if (isIntegerKind(type.kind))
        return constraint(QStringLiteral("Das Feld %1 nimmt nur ganze Zahlen auf").arg(columnName),
            isNull + QStringLiteral("typeof(%1) = 'integer'").arg(column));
    if (isFloatKind(type.kind))
        return constraint(QStringLiteral("Das Feld %1 nimmt nur Zahlen auf").arg(columnName),
            isNull + QStringLiteral("typeof(%1) IN ('integer', 'real')").arg(column));
    if (isDateKind(type.kind))
        return constraint(QStringLiteral("Das Feld %1 nimmt nur Datums- und Zeitwerte auf").arg(columnName),
            isNull + QStringLiteral("typeof(%1) IN ('integer', 'real')").arg(column));
    return {};
}
} // namespace

namespace JetDialect {

QString normaliseQuoting(const QString& sql)
{
    QString out;
    out.reserve(sql.size() + 8);
    for (const SqlToken& token : tokenizeSql(sql)) {
        switch (token.type) {
        case SqlToken::DoubleQuoted: out += quoteSqlLiteral(token.unquoted()); break;
        case SqlToken::BracketName: out += quoteSqlName(token.unquoted()); break;
        default: out += token.text;
        }
    }
    return out;
}

QString columnDefinition(const QString& jetDefinition)
{
    const std::vector<SqlToken> tokens = tokenizeSql(normaliseQuoting(jetDefinition));
    std::vector<qsizetype> sig;
    for (qsizetype i = 0; i < qsizetype(tokens.size()); ++i)
        if (tokens[i].type != SqlToken::Space)
            sig.push_back(i);
    if (sig.empty())
        return jetDefinition;

    const SqlToken& nameToken = tokens[sig[0]];
    const QString column = nameToken.text;
    const QString columnName = nameOf(nameToken);

    // The type runs from the second token up to the first constraint word.
    qsizetype typeEndSig = 1;
    while (typeEndSig < qsizetype(sig.size()) && !endsType(tokens[sig[typeEndSig]]))
        ++typeEndSig;
    QString typeText;
    for (qsizetype k = 1; k < typeEndSig; ++k)
        typeText += (k > 1 && tokens[sig[k]].type == SqlToken::Word && tokens[sig[k - 1]].type == SqlToken::Word
                            ? QStringLiteral(" ")
                            : QString())
            + tokens[sig[k]].text;
    const QString rest = typeEndSig < qsizetype(sig.size())
        ? joinTokens(tokens, sig[typeEndSig], qsizetype(tokens.size())).trimmed()
        : QString();

    const DeclaredType type = parseDeclaredType(typeText);
    QString result = column;
    if (!typeText.isEmpty())
        result += QLatin1Char(' ') + typeText;
    if (!rest.isEmpty())
        result += QLatin1Char(' ') + rest;
    const bool hasCollation = rest.contains(QLatin1String("COLLATE"), Qt::CaseInsensitive);
    if ((isTextKind(type.kind) || isMemoKind(type.kind)) && !hasCollation)
        result += QStringLiteral(" COLLATE ") + QLatin1String(kCollation);
    result += checkFor(column, columnName, type);
    return result;
}

TableDefinition parseCreateTable(const QString& sql)
{
    const std::vector<SqlToken> tokens = tokenizeSql(sql);
    TableDefinition def;
    qsizetype open = -1;
    for (qsizetype i = 0; i < qsizetype(tokens.size()); ++i) {
        if (tokens[i].text == QLatin1String("(")) {
            open = i;
            break;
        }
        if (tokens[i].type != SqlToken::Space && !tokens[i].isWord("CREATE") && !tokens[i].isWord("TABLE")
            && !tokens[i].isWord("TEMP") && !tokens[i].isWord("TEMPORARY") && !tokens[i].isWord("IF")
            && !tokens[i].isWord("NOT") && !tokens[i].isWord("EXISTS"))
            def.name = nameOf(tokens[i]);
    }
    if (open < 0)
        throw DbError(QStringLiteral("Die Tabellendefinition kann nicht gelesen werden: %1").arg(sql));
    const qsizetype close = closingParen(tokens, open);
    if (close < 0)
        throw DbError(QStringLiteral("Die Tabellendefinition kann nicht gelesen werden: %1").arg(sql));

    int depth = 0;
    qsizetype itemStart = open + 1;
    auto finishItem = [&](qsizetype end) {
        const QString item = joinTokens(tokens, itemStart, end).trimmed();
        if (item.isEmpty())
            return;
        def.items << item;
        const auto sig = significantTokens(item);
        def.columnNames << (sig.empty() || isConstraintStart(sig.front()) ? QString() : nameOf(sig.front()));
    };
    for (qsizetype i = open + 1; i < close; ++i) {
        if (tokens[i].text == QLatin1String("("))
            ++depth;
        else if (tokens[i].text == QLatin1String(")"))
            --depth;
        else if (depth == 0 && tokens[i].text == QLatin1String(",")) {
            finishItem(i);
            itemStart = i + 1;
        }
    }
    finishItem(close);
    def.suffix = joinTokens(tokens, close + 1, qsizetype(tokens.size())).trimmed();
    return def;
}

QString buildCreateTable(const QString& name, const QStringList& items, const QString& suffix)
{
    QString sql = QStringLiteral("CREATE TABLE ") + quoteSqlName(name) + QStringLiteral(" (")
        + items.join(QStringLiteral(", ")) + QLatin1Char(')');
    if (!suffix.isEmpty())
        sql += QLatin1Char(' ') + suffix;
    return sql;
}

QStringList constraintColumns(const QString& item)
{
    QStringList names;
    const auto tokens = significantTokens(item);
    bool inside = false;
    for (const SqlToken& token : tokens) {
        if (token.text == QLatin1String("("))
            inside = true;
        else if (token.text == QLatin1String(")"))
            inside = false;
        else if (inside && token.type != SqlToken::Symbol && !token.isWord("ASC") && !token.isWord("DESC")
            && !token.isWord("COLLATE"))
            names << nameOf(token);
    }
    return names;
}

Statement translate(const QString& input)
{
    Statement result;
    const QString sql = normaliseQuoting(input);
    result.sql = sql;
    const std::vector<SqlToken> tokens = tokenizeSql(sql);
    std::vector<qsizetype> sig;
    for (qsizetype i = 0; i < qsizetype(tokens.size()); ++i)
        if (tokens[i].type != SqlToken::Space)
            sig.push_back(i);
    auto at = [&](qsizetype k) -> const SqlToken& {
        static const SqlToken none{SqlToken::Space, QString(), 0};
        return k < qsizetype(sig.size()) ? tokens[sig[k]] : none;
    };
    auto textFrom = [&](qsizetype k) {
        return k < qsizetype(sig.size()) ? joinTokens(tokens, sig[k], qsizetype(tokens.size())).trimmed() : QString();
    };

    if (at(0).isWord("CREATE") && at(1).isWord("TABLE")) {
        result.changesSchema = true;
        TableDefinition def = parseCreateTable(sql);
        QString head = joinTokens(tokens, 0, sig[0]);
        // Rebuild the statement with translated column definitions.
        qsizetype open = 0;
        while (open < qsizetype(tokens.size()) && tokens[open].text != QLatin1String("("))
            ++open;
        head = joinTokens(tokens, 0, open);
        QStringList items;
        for (qsizetype i = 0; i < def.items.size(); ++i)
            items << (def.columnNames[i].isEmpty() ? def.items[i] : columnDefinition(def.items[i]));
        result.sql = head + QLatin1Char('(') + items.join(QStringLiteral(", ")) + QLatin1Char(')')
            + (def.suffix.isEmpty() ? QString() : QLatin1Char(' ') + def.suffix);
        return result;
    }
    if (at(0).isWord("CREATE") || at(0).isWord("DROP")) {
        result.changesSchema = true;
        return result;
    }
    if (at(0).isWord("ALTER") && at(1).isWord("TABLE")) {
        result.changesSchema = true;
        result.table = nameOf(at(2));
        const SqlToken& action = at(3);
        const qsizetype columnAt = at(4).isWord("COLUMN") ? 5 : 4;
        if (action.isWord("ADD") && !at(4).isWord("CONSTRAINT") && !at(4).isWord("PRIMARY")) {
            result.sql = QStringLiteral("ALTER TABLE ") + at(2).text + QStringLiteral(" ADD COLUMN ")
                + columnDefinition(textFrom(columnAt));
        } else if (action.isWord("ALTER")) {
            result.kind = Statement::AlterColumn;
            result.column = nameOf(at(columnAt));
            result.columnDefinition = columnDefinition(textFrom(columnAt));
        } else if (action.isWord("DROP") && !at(4).isWord("CONSTRAINT")) {
            result.kind = Statement::DropColumn;
            result.column = nameOf(at(columnAt));
        }
        return result;
    }
    return result;
}

} // namespace JetDialect
