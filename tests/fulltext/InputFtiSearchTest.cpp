#include "fulltext/InputFtiSearch.h"
#include "TestEnvironment.h"
#include "settings/ProgramSettings.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
// Presses a button of the dialog once it is shown.
void pressWhenShown(TFormInputFtiSearch& dialog, QPushButton* button, const std::function<void()>& before = {})
{
    QTimer::singleShot(0, &dialog, [&dialog, button, before] {
        TestEnv::waitUntil([&dialog] { return dialog.isVisible(); });
        if (before)
            before();
        button->click();
    });
}
} // namespace

TEST(InputFtiSearchTest, AnswersWordsAndOperatorAndKeepsThemForTheNextUse)
{
    ProgramSettings settings;
    TFormInputFtiSearch dialog(settings);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Suche im Volltextindex"));
    EXPECT_TRUE(dialog.RadioAll->isChecked());

    QString words;
    QString op;
    dialog.BtnCancel->setFocus(); // the words box takes the focus on showing anyway
    pressWhenShown(dialog, dialog.BtnOk, [&] {
        EXPECT_EQ(dialog.focusWidget(), dialog.EditWords);
        dialog.EditWords->setText(QStringLiteral("haus garten"));
        dialog.RadioAny->setChecked(true);
    });
    EXPECT_TRUE(dialog.AskSearchWords(words, op));
    EXPECT_EQ(words, QStringLiteral("haus garten"));
    EXPECT_EQ(op, QStringLiteral("OR"));

    pressWhenShown(dialog, dialog.BtnCancel, [&] {
        EXPECT_EQ(dialog.EditWords->text(), QStringLiteral("haus garten"));
        EXPECT_TRUE(dialog.RadioAny->isChecked());
        dialog.RadioAll->setChecked(true);
    });
    EXPECT_FALSE(dialog.AskSearchWords(words, op));
    EXPECT_EQ(op, QStringLiteral("AND"));
}
