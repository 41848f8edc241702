#include "mainwindow/dialogs/DeleteFileDlg.h"
#include "TestEnvironment.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {
class DeleteFileDlgTest : public testing::Test
{
protected:
    // Runs act inside the dialog's modal loop once the dialog is shown; act answers the question.
    // A dialog left open is closed after a while, failing the test instead of hanging it.
    void whenShown(std::function<void()> act)
    {
        auto* poll = new QTimer(&dialog);
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, &dialog, [this, poll, act = std::move(act)] {
            if (!dialog.isVisible())
                return;
            poll->stop();
            poll->deleteLater();
            act();
            if (dialog.isVisible())
                QTimer::singleShot(5000, &dialog, [this] {
                    if (dialog.isVisible()) {
                        ADD_FAILURE() << "the dialog was not answered";
                        dialog.reject();
                    }
                });
        });
        poll->start();
    }

    // Asks, looks at the dialog while it is shown and answers with the button.
    Dialogs::Button ask(
        QPushButton* answer, const std::function<void()>& look = [] {})
    {
        whenShown([=] {
            look();
            answer->click();
        });
        return dialog.AskDelete(QStringLiteral("Sollen die 2 markierten Dokumente gelöscht werden?"));
    }

    bool warningShown() const { return !dialog.ImageWarning->isHidden(); }

    TFormDeleteFileDlg dialog;
};
} // namespace

TEST_F(DeleteFileDlgTest, CaptionsAccessKeysHintsAndHelpTopics)
{
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Bestätigen"));
    EXPECT_EQ(dialog.size(), QSize(463, 148));
    EXPECT_TRUE(dialog.LabelMessage->wordWrap());
    struct Control
    {
        QWidget* widget;
        QString text;
        QString hint;
        int helpTopic;
    };
    const Control controls[] = {
        {dialog.CBDelFiles, QStringLiteral("&Datei(en) löschen"),
            QStringLiteral("Auch die Dateien vom Datenträger löschen"), 1051},
        {dialog.CBDelConfirm, QStringLiteral("&Einzeln bestätigen"), QStringLiteral("Löschen jeder Datei bestätigen"),
            1052},
        {dialog.BtnYes, QStringLiteral("&Ja"), QStringLiteral("Dokumente löschen"), 1050},
        {dialog.BtnNo, QStringLiteral("&Nein"), QStringLiteral("Dokumente nicht löschen"), 1053},
        {dialog.BtnHelp, QStringLiteral("&Hilfe"), QString(), 1050},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(static_cast<QAbstractButton*>(c.widget)->text(), c.text);
        EXPECT_EQ(c.widget->toolTip(), c.hint);
        EXPECT_EQ(c.widget->property("helpTopic").toInt(), c.helpTopic);
    }
    EXPECT_FALSE(dialog.CBDelConfirm->isEnabled());
    EXPECT_TRUE(dialog.BtnNo->isDefault());
}

TEST_F(DeleteFileDlgTest, TheCheckBoxesRuleTheConfirmationAndTheWarning)
{
    struct Step
    {
        QCheckBox* box;
        bool ticked;
        bool confirmEnabled;
        bool warning;
    };
    const Step steps[] = {
        {dialog.CBDelFiles, true, true, true},
        {dialog.CBDelConfirm, true, true, false},
        {dialog.CBDelFiles, false, false, false},
        {dialog.CBDelFiles, true, true, false}, // the confirmation kept its tick
        {dialog.CBDelConfirm, false, true, true},
        {dialog.CBDelFiles, false, false, false},
    };
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(index++);
        step.box->setChecked(step.ticked);
        EXPECT_EQ(dialog.CBDelConfirm->isEnabled(), step.confirmEnabled);
        EXPECT_EQ(warningShown(), step.warning);
    }

    // the boxes work with the mouse and the access keys inside the shown dialog
    bool clicked = false;
    const Dialogs::Button answer = ask(dialog.BtnNo, [&] {
        QTest::mouseClick(dialog.CBDelFiles, Qt::LeftButton, {}, QPoint(8, dialog.CBDelFiles->height() / 2));
        QTest::keyClick(&dialog, Qt::Key_E, Qt::AltModifier);
        clicked = TestEnv::waitUntil([&] { return dialog.CBDelConfirm->isChecked(); }) // an animated click
            && dialog.CBDelFiles->isChecked() && !warningShown();
    });
    EXPECT_EQ(answer, Dialogs::No);
    EXPECT_TRUE(clicked);
}

TEST_F(DeleteFileDlgTest, AskDeleteAnswersYesOnlyForTheYesButton)
{
    EXPECT_EQ(ask(dialog.BtnYes), Dialogs::Yes);
    EXPECT_EQ(dialog.LabelMessage->text(), QStringLiteral("Sollen die 2 markierten Dokumente gelöscht werden?"));
    EXPECT_EQ(ask(dialog.BtnNo), Dialogs::No);

    whenShown([this] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialog.AskDelete(QStringLiteral("Löschen?")), Dialogs::No);
    whenShown([this] { dialog.close(); });
    EXPECT_EQ(dialog.AskDelete(QStringLiteral("Löschen?")), Dialogs::No);
    whenShown([this] { QTest::keyClick(&dialog, Qt::Key_Return); }); // No is the default button
    EXPECT_EQ(dialog.AskDelete(QStringLiteral("Löschen?")), Dialogs::No);
    whenShown([this] { QTest::keyClick(&dialog, Qt::Key_J, Qt::AltModifier); });
    EXPECT_EQ(dialog.AskDelete(QStringLiteral("Löschen?")), Dialogs::Yes);
}

TEST_F(DeleteFileDlgTest, TheBoxesKeepTheirStateAndADisabledFileBoxIsUnticked)
{
    dialog.CBDelFiles->setChecked(true);
    dialog.CBDelConfirm->setChecked(true);
    EXPECT_EQ(ask(dialog.BtnYes), Dialogs::Yes);
    bool kept = false;
    ask(dialog.BtnYes, [&] { kept = dialog.CBDelFiles->isChecked() && dialog.CBDelConfirm->isChecked(); });
    EXPECT_TRUE(kept);

    // a record without a file
    dialog.CBDelFiles->setEnabled(false);
    bool filesEnabled = true, filesTicked = true, confirmEnabled = true;
    ask(dialog.BtnYes, [&] {
        filesEnabled = dialog.CBDelFiles->isEnabled();
        filesTicked = dialog.CBDelFiles->isChecked();
        confirmEnabled = dialog.CBDelConfirm->isEnabled();
    });
    EXPECT_FALSE(filesEnabled);
    EXPECT_FALSE(filesTicked);
    EXPECT_FALSE(confirmEnabled);
    EXPECT_TRUE(dialog.CBDelFiles->isEnabled()) << "enabled again after the question";

    // the next question for several records
    filesEnabled = false;
    filesTicked = true;
    bool confirmTicked = false;
    ask(dialog.BtnNo, [&] {
        filesEnabled = dialog.CBDelFiles->isEnabled();
        filesTicked = dialog.CBDelFiles->isChecked();
        confirmEnabled = dialog.CBDelConfirm->isEnabled();
        confirmTicked = dialog.CBDelConfirm->isChecked();
    });
    EXPECT_TRUE(filesEnabled);
    EXPECT_FALSE(filesTicked);
    EXPECT_FALSE(confirmEnabled);
    EXPECT_TRUE(confirmTicked);
}

TEST_F(DeleteFileDlgTest, HelpShowsTheTopicAndKeepsTheQuestion)
{
    QList<int> topics;
    dialog.setHelpHandler([&](int topic) { topics.append(topic); });
    bool stillShown = false;
    ask(dialog.BtnNo, [&] {
        dialog.BtnHelp->click();
        stillShown = dialog.isVisible();
    });
    EXPECT_EQ(topics, QList<int>{1050});
    EXPECT_TRUE(stillShown);
}
