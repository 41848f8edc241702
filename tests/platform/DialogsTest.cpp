#include "PlatformTestHelpers.h"

#include "platform/Dialogs.h"

#include <gtest/gtest.h>

namespace {
using B = Dialogs::Button;

struct AnswerCase
{
    const char* name;
    Dialogs::Buttons buttons;
    B defaultButton;
    bool answerYes;
    B expected;
};

class UnqueuedAnswer : public testing::TestWithParam<AnswerCase>
{
};

TEST_P(UnqueuedAnswer, FollowsTheDefaultOrTheYesRule)
{
    const AnswerCase& c = GetParam();
    ScriptedDialogs dialogs;
    dialogs.setAnswerYes(c.answerYes);
    EXPECT_EQ(dialogs.message(Dialogs::Kind::Confirmation, "?", c.buttons, 0, c.defaultButton), c.expected);
}

INSTANTIATE_TEST_SUITE_P(ScriptedDialogs, UnqueuedAnswer,
    testing::Values(AnswerCase{"yesNo", B::Yes | B::No, B::NoButton, false, B::No},
        AnswerCase{"yesNoDefaultYes", B::Yes | B::No, B::Yes, false, B::Yes},
        AnswerCase{"defaultNotOffered", B::Ok | B::Cancel, B::Yes, false, B::Cancel},
        AnswerCase{"okCancel", B::Ok | B::Cancel, B::NoButton, false, B::Cancel},
        AnswerCase{"yesNoCancel", B::Yes | B::No | B::Cancel, B::NoButton, false, B::No},
        AnswerCase{"okOnly", B::Ok, B::NoButton, false, B::Ok},
        AnswerCase{"nothingOffered", B::NoButton, B::NoButton, false, B::Ok},
        AnswerCase{"abortRetryIgnore", B::Abort | B::Retry | B::Ignore, B::NoButton, false, B::Abort},
        AnswerCase{"helpIsNeverTheDefault", B::Ok | B::Help, B::Help, false, B::Ok},
        AnswerCase{"yesWins", B::Yes | B::No | B::Cancel, B::No, true, B::Yes},
        AnswerCase{"okWhenNoYes", B::Ok | B::Cancel, B::Cancel, true, B::Ok},
        AnswerCase{"retry", B::Abort | B::Retry | B::Ignore, B::NoButton, true, B::Retry},
        AnswerCase{"yesToAll", B::YesToAll | B::NoToAll | B::Cancel, B::NoButton, true, B::YesToAll},
        AnswerCase{"ignore", B::Abort | B::Ignore, B::NoButton, true, B::Ignore},
        AnswerCase{"noPositiveButton", B::No | B::Cancel, B::NoButton, true, B::No}),
    [](const testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST(ScriptedDialogs, QueuedButtonsAnswerFirstInOrder)
{
    ScriptedDialogs dialogs;
    dialogs.setAnswerYes(true);
    dialogs.queueButton(B::No);
    dialogs.queueButton(B::Cancel);
    EXPECT_FALSE(dialogs.confirm("Löschen?"));
    EXPECT_EQ(dialogs.message(Dialogs::Kind::Warning, "Weiter?", B::Ok | B::Cancel), B::Cancel);
    EXPECT_TRUE(dialogs.confirm("Noch einmal?")) << "the queue is empty, answerYes holds again";
}

TEST(ScriptedDialogs, RecordsWhatWasAskedAndEchoesMessages)
{
    ScriptedDialogs dialogs;
    QStringList echoed;
    dialogs.setEcho([&](const QString& text) { echoed.append(text); });
    dialogs.information("Fertig.");
    dialogs.error("Kaputt.", 17);
    EXPECT_FALSE(dialogs.confirm("Sicher?"));
    dialogs.inputText("Titel", "Name:", "x");

    ASSERT_EQ(dialogs.asked().size(), 4);
    const auto& info = dialogs.asked()[0];
    EXPECT_EQ(info.what, "message");
    EXPECT_EQ(info.kind, Dialogs::Kind::Information);
    EXPECT_EQ(info.buttons, B::Ok);
    const auto& error = dialogs.asked()[1];
    EXPECT_EQ(error.kind, Dialogs::Kind::Error);
    EXPECT_EQ(error.buttons, B::Ok | B::Help) << "a help topic offers the Help button";
    EXPECT_EQ(error.helpTopic, 17);
    EXPECT_EQ(dialogs.asked()[2].kind, Dialogs::Kind::Confirmation);
    EXPECT_EQ(dialogs.asked()[2].buttons, B::Yes | B::No);
    EXPECT_EQ(dialogs.asked()[3].what, "input");
    EXPECT_EQ(dialogs.asked()[3].text, "Name:");
    EXPECT_EQ(dialogs.asked()[3].title, "Titel");

    EXPECT_EQ(dialogs.messages(), QStringList({"Fertig.", "Kaputt.", "Sicher?"}));
    EXPECT_EQ(echoed, dialogs.messages());
    dialogs.clear();
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST(ScriptedDialogs, InputAnswersQueuedTextsCancelsOrTakesThePreset)
{
    ScriptedDialogs dialogs;
    dialogs.queueText(QStringLiteral("Anna"));
    dialogs.queueText(std::nullopt);
    EXPECT_EQ(dialogs.inputText("T", "Name:", "preset"), QStringLiteral("Anna"));
    EXPECT_EQ(dialogs.inputText("T", "Name:", "preset"), std::nullopt);
    EXPECT_EQ(dialogs.inputText("T", "Name:", "preset"), std::nullopt) << "an empty queue cancels";
    dialogs.setAnswerYes(true);
    EXPECT_EQ(dialogs.inputText("T", "Name:", "preset"), QStringLiteral("preset"));
    EXPECT_EQ(dialogs.inputText("T", "Name:", ""), QString()) << "OK on an empty box is an empty text";
    EXPECT_EQ(dialogs.asked().size(), 5);
}

TEST(ScriptedDialogs, FileRequests)
{
    Dialogs::FileRequest request;
    request.title = "Archiv speichern";
    request.folder = "/daten";
    request.fileName = "neu";
    request.defaultSuffix = "dva";

    ScriptedDialogs dialogs;
    EXPECT_EQ(dialogs.saveFileName(request), std::nullopt);
    dialogs.queueText(QStringLiteral("/tmp/brief"));
    EXPECT_EQ(dialogs.saveFileName(request), QStringLiteral("/tmp/brief.dva"));
    dialogs.queueText(QStringLiteral("/tmp/brief.txt"));
    EXPECT_EQ(dialogs.saveFileName(request), QStringLiteral("/tmp/brief.txt"));
    dialogs.queueText(QStringLiteral("/a/b\n/a/c\n"));
    EXPECT_EQ(dialogs.openFileNames(request), QStringList({"/a/b", "/a/c"}));

    dialogs.setAnswerYes(true);
    EXPECT_EQ(dialogs.saveFileName(request), QStringLiteral("/daten/neu.dva"));
    EXPECT_EQ(dialogs.openFileName(request), QStringLiteral("/daten/neu"));
    EXPECT_EQ(dialogs.folder("Ordner", "/daten"), QStringLiteral("/daten"));
    EXPECT_EQ(dialogs.colour("#ff8000"), QStringLiteral("#ff8000"));
    request.fileName.clear();
    EXPECT_EQ(dialogs.openFileName(request), std::nullopt) << "OK without a name chooses nothing";

    ASSERT_FALSE(dialogs.asked().isEmpty());
    EXPECT_EQ(dialogs.asked()[0].what, "save");
    EXPECT_EQ(dialogs.asked()[0].text, "Archiv speichern");
    EXPECT_EQ(dialogs.asked()[0].preset, "/daten/neu");
}

TEST(Dialogs, NameFilterTexts)
{
    const struct
    {
        Dialogs::FileFilter filter;
        QString expected;
    } cases[] = {
        {{"Dokumentarchive (*.dva)", "*.dva"}, "Dokumentarchive (*.dva)"},
        {{"Texte", "*.txt;*.rtf"}, "Texte (*.txt *.rtf)"},
        {{"Word-Dokumente (*.doc;*.rtf)", "*.doc;*.rtf"}, "Word-Dokumente (*.doc *.rtf)"},
        {{"Bilder", "*.png *.jpg"}, "Bilder (*.png *.jpg)"},
        {{"Alle Dateien", ""}, "Alle Dateien (*)"},
        {{"", "*.lay"}, "*.lay"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Dialogs::nameFilterText(c.filter), c.expected) << c.filter.caption.toStdString();
}

TEST(Dialogs, DefaultSuffix)
{
    const struct
    {
        QString path, suffix, expected;
    } cases[] = {
        {"/a/brief", "dva", "/a/brief.dva"},
        {"/a/brief", ".dva", "/a/brief.dva"},
        {"/a/brief.txt", "dva", "/a/brief.txt"},
        {"/a.b/brief", "dva", "/a.b/brief.dva"},
        {"/a/brief", "", "/a/brief"},
        {"", "dva", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Dialogs::withDefaultSuffix(c.path, c.suffix), c.expected) << c.path.toStdString();
}
} // namespace
