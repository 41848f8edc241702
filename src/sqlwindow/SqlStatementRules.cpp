#include "SqlStatementRules.h"

#include "platform/Dialogs.h"
#include "platform/db/SqlTokenizer.h"

namespace SqlStatementRules {

bool isDestructive(const QString& text)
{
    for (const SqlToken& token : significantTokens(text))
        if (token.isWord("DELETE") || token.isWord("DROP"))
            return true;
    return false;
}

bool confirmToRun(Dialogs& dialogs, const QString& text)
{
    if (!isDestructive(text))
        return true;
    const auto answer = dialogs.message(Dialogs::Kind::Warning,
        QStringLiteral("ACHTUNG: Die SQL-Anweisungen DELETE und DROP löschen Datensätze bzw. ganze Tabellen aus der "
                       "Datenbank. Soll die Anweisung wirklich ausgeführt werden?"),
        Dialogs::Yes | Dialogs::No, 0, Dialogs::No);
    if (answer != Dialogs::Yes)
        return false;
    const auto confirmation = dialogs.inputText(QStringLiteral("Bestätigen"),
        QStringLiteral("Bestätigen Sie bitte mit \"%1\"").arg(QStringLiteral("ja")), QStringLiteral("nein"));
    return confirmation && confirmation->trimmed().compare(QLatin1String("ja"), Qt::CaseInsensitive) == 0;
}

QStringList withoutLeadingBlankLines(QStringList lines)
{
    while (!lines.isEmpty() && lines.front().trimmed().isEmpty())
        lines.removeFirst();
    return lines;
}

} // namespace SqlStatementRules
