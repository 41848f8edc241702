#pragma once

#include "platform/Dialogs.h"

#include <QString>

// The standard messages of the program, shown through the Dialogs service.

// "Eine Aktualisierung des Gesamtindex läuft noch im Hintergrund." (information, OK and Help).
void ShowIndexBusyMessage(Dialogs& dialogs);
// "Die Datei "…" wurde nicht gefunden." (error, OK).
void ShowFileNotFound(Dialogs& dialogs, const QString& path);
// The key counter could not be taken: error text on its own line, Cancel, Retry and Help; answers
// the button (Cancel when the box is closed).
Dialogs::Button AskKeyValueRetry(Dialogs& dialogs, const QString& name, const QString& errorText);
// Whether a file whose name holds invalid characters is to be renamed: Yes, No or Cancel.
Dialogs::Button AskRenameInvalidFileName(Dialogs& dialogs, const QString& oldName, const QString& newName);

namespace StandardMessages {
inline constexpr int kIndexBusyHelpTopic = 4509;
inline constexpr int kKeyValueHelpTopic = 90006;
} // namespace StandardMessages
