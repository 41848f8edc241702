#include "mainwindow/dialogs/StandardMessages.h"

#include <gtest/gtest.h>

#include <functional>

TEST(StandardMessagesTest, TextsBoxesAndAnswers)
{
    struct Case
    {
        const char* name;
        std::function<Dialogs::Button(Dialogs&)> show;
        Dialogs::Kind kind;
        QString text;
        Dialogs::Buttons buttons;
        int helpTopic;
        bool answers; // whether the pressed button is handed back
    };
    const Case cases[] = {
        {"index busy",
            [](Dialogs& d) {
                ShowIndexBusyMessage(d);
                return Dialogs::NoButton;
            },
            Dialogs::Kind::Information,
            QStringLiteral("Eine Aktualisierung des Gesamtindex läuft noch im Hintergrund."),
            Dialogs::Ok | Dialogs::Help, 4509, false},
        {"file not found",
            [](Dialogs& d) {
                ShowFileNotFound(d, QStringLiteral("/home/anna/Brief %1.pdf"));
                return Dialogs::NoButton;
            },
            Dialogs::Kind::Error, QStringLiteral("Die Datei \"/home/anna/Brief %1.pdf\" wurde nicht gefunden."),
            Dialogs::Ok, 0, false},
        {"key value",
            [](Dialogs& d) {
                return AskKeyValueRetry(d, QStringLiteral("DOCID"), QStringLiteral("database is locked"));
            },
            Dialogs::Kind::Error,
            QStringLiteral("Der Schlüsselwert für \"DOCID\" konnte nicht ermittelt werden:\rdatabase is locked"),
            Dialogs::Cancel | Dialogs::Retry | Dialogs::Help, 90006, true},
        {"rename",
            [](Dialogs& d) {
                return AskRenameInvalidFileName(d, QStringLiteral("Brief?.txt"), QStringLiteral("Brief_.txt"));
            },
            Dialogs::Kind::Warning,
            QStringLiteral("Der Dateiname \"Brief?.txt\" enthält ungültige Zeichen. Soll die Datei in \"Brief_.txt\" "
                           "umbenannt werden?"),
            Dialogs::Yes | Dialogs::No | Dialogs::Cancel, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs dialogs;
        dialogs.queueButton(Dialogs::Retry);
        const Dialogs::Button answer = c.show(dialogs);
        ASSERT_EQ(dialogs.asked().size(), 1);
        const ScriptedDialogs::Asked& asked = dialogs.asked().front();
        EXPECT_EQ(asked.kind, c.kind);
        EXPECT_EQ(asked.text, c.text);
        EXPECT_EQ(asked.buttons, c.buttons);
        EXPECT_EQ(asked.helpTopic, c.helpTopic);
        if (c.answers) {
            EXPECT_EQ(answer, Dialogs::Retry);
        }
    }
}
