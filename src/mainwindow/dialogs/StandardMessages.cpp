#include "mainwindow/dialogs/StandardMessages.h"

void ShowIndexBusyMessage(Dialogs& dialogs)
{
    dialogs.message(Dialogs::Kind::Information,
        QStringLiteral("Eine Aktualisierung des Gesamtindex läuft noch im Hintergrund."), Dialogs::Ok | Dialogs::Help,
        StandardMessages::kIndexBusyHelpTopic);
}

void ShowFileNotFound(Dialogs& dialogs, const QString& path)
{
    dialogs.message(
        Dialogs::Kind::Error, QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(path), Dialogs::Ok);
}

Dialogs::Button AskKeyValueRetry(Dialogs& dialogs, const QString& name, const QString& errorText)
{
    return dialogs.message(Dialogs::Kind::Error,
        QStringLiteral("Der Schlüsselwert für \"%1\" konnte nicht ermittelt werden:").arg(name) + QLatin1Char('\r')
            + errorText,
        Dialogs::Cancel | Dialogs::Retry | Dialogs::Help, StandardMessages::kKeyValueHelpTopic, Dialogs::Cancel);
}

Dialogs::Button AskRenameInvalidFileName(Dialogs& dialogs, const QString& oldName, const QString& newName)
{
    return dialogs.message(Dialogs::Kind::Warning,
        QStringLiteral("Der Dateiname \"%1\" enthält ungültige Zeichen. Soll die Datei in \"%2\" umbenannt werden?")
            .arg(oldName, newName),
        Dialogs::Yes | Dialogs::No | Dialogs::Cancel);
}
