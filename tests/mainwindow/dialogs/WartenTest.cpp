#include "mainwindow/dialogs/Warten.h"
#include "TestEnvironment.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {
// Calls back whenever the widget's window is activated.
class ActivationWatch : public QObject
{
public:
    ActivationWatch(QWidget& widget, std::function<void()> activated)
        : m_activated(std::move(activated))
    {
        widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate)
            m_activated();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_activated;
};

class WartenTest : public testing::Test
{
protected:
    void TearDown() override
    {
        if (form->isVisible())
            form->close();
    }

    // Shows the window as the deleting command does: caption, maximum, cancel button and labels.
    void showWithCancel(int maximum = 10)
    {
        form->setWindowTitle(QStringLiteral("Dokumente löschen"));
        form->ProgressBar->setMaximum(maximum);
        form->BtnCancel->show();
        form->LabelTop->show();
        form->LabelBottom->show();
        form->show();
    }

    // Asks the cancel question with Escape and answers it.
    void pressEscape(Dialogs::Button answer)
    {
        dialogs.queueButton(answer);
        QTest::keyClick(form.get(), Qt::Key_Escape);
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<TWartenForm> form = std::make_unique<TWartenForm>(dialogs);
};
} // namespace

TEST_F(WartenTest, ShowingResetsAndSizesTheBarClosingEmptiesTheWindow)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Bitte warten..."));
    EXPECT_EQ(form->size(), QSize(425, 75));
    EXPECT_EQ(form->ProgressBar->maximum(), 100);
    EXPECT_EQ(form->ProgressBar->toolTip(), QStringLiteral("Fortschritt der Bearbeitung"));
    EXPECT_EQ(form->BtnCancel->text(), QStringLiteral("Abbrechen"));
    EXPECT_TRUE(form->LabelTop->isHidden());
    EXPECT_TRUE(form->BtnCancel->isHidden());
    EXPECT_TRUE(form->LabelBottom->isHidden());

    showWithCancel();
    form->SetUpperText(QStringLiteral("Dokumente werden gelöscht"));
    form->SetLowerText(QStringLiteral("Brief an Anna"));
    form->StepProgress();
    form->BtnCancel->setEnabled(false);
    QTest::keyClick(form.get(), Qt::Key_Escape); // a disabled button is not pressed
    EXPECT_TRUE(dialogs.asked().isEmpty());
    form->BtnCancel->setEnabled(true);
    pressEscape(Dialogs::Yes);
    ASSERT_TRUE(form->cancelRequested());
    EXPECT_EQ(form->ProgressBar->width(), 336 - 16 - 6);
    EXPECT_EQ(form->LabelTop->text(), QStringLiteral("Dokumente werden gelöscht"));
    EXPECT_EQ(form->LabelBottom->text(), QStringLiteral("Brief an Anna"));

    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Bitte warten..."));
    EXPECT_TRUE(form->LabelTop->isHidden());
    EXPECT_TRUE(form->LabelTop->text().isEmpty());
    EXPECT_TRUE(form->LabelBottom->isHidden());
    EXPECT_TRUE(form->LabelBottom->text().isEmpty());
    EXPECT_TRUE(form->BtnCancel->isHidden());

    // the next use starts anew; without the cancel button the bar has its full width
    form->BtnCancel->setEnabled(false);
    form->show();
    EXPECT_FALSE(form->cancelRequested());
    EXPECT_EQ(form->ProgressBar->value(), 0);
    EXPECT_TRUE(form->BtnCancel->isEnabled());
    EXPECT_EQ(form->ProgressBar->width(), 401);
    form->close();
    showWithCancel();
    EXPECT_EQ(form->ProgressBar->width(), 314);
}

TEST_F(WartenTest, EscapeAsksTheCancelQuestionOnlyWithTheCancelButton)
{
    form->show();
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialogs.asked().isEmpty());
    EXPECT_TRUE(form->isVisible()) << "Escape must not hide the window";
    form->close();

    showWithCancel();
    pressEscape(Dialogs::No);
    ASSERT_EQ(dialogs.asked().size(), 1);
    EXPECT_EQ(dialogs.asked()[0].text, QStringLiteral("Möchten Sie wirklich abbrechen?"));
    EXPECT_EQ(dialogs.asked()[0].buttons, Dialogs::Yes | Dialogs::No);
    EXPECT_FALSE(form->cancelRequested());
    EXPECT_TRUE(form->isVisible());

    form->BtnCancel->click();
    EXPECT_FALSE(form->cancelRequested()); // unanswered: No
    pressEscape(Dialogs::Yes);
    EXPECT_TRUE(form->cancelRequested());
    EXPECT_TRUE(form->cancelled());
    EXPECT_TRUE(form->isVisible()) << "the caller closes the window";
    pressEscape(Dialogs::No);
    EXPECT_TRUE(form->cancelRequested()) << "a later No does not take the request back";
}

TEST_F(WartenTest, StepsStopAtTheMaximumAndLetAClickArriveOnlyWithTheCancelButton)
{
    form->ProgressBar->setMaximum(3);
    form->show();
    bool delivered = false;
    QTimer::singleShot(0, form.get(), [&] { delivered = true; });
    form->StepProgress();
    EXPECT_FALSE(delivered) << "without a cancel button no events run";
    form->StepProgress();
    form->StepProgress();
    form->StepProgress();
    EXPECT_EQ(form->ProgressBar->value(), 3);
    EXPECT_TRUE(TestEnv::waitUntil([&] { return delivered; }));
    form->close();

    showWithCancel(3);
    dialogs.queueButton(Dialogs::Yes);
    QTimer::singleShot(0, form->BtnCancel, [&] { form->BtnCancel->click(); });
    form->StepProgress();
    EXPECT_TRUE(form->cancelRequested());
    EXPECT_EQ(form->ProgressBar->value(), 1);
}

TEST_F(WartenTest, ALongPathIsShortenedToTheLabelKeepingTheFileName)
{
    showWithCancel();
    const QString shortPath = QStringLiteral("/home/anna/Brief.pdf");
    form->SetLowerPath(shortPath);
    EXPECT_EQ(form->LabelBottom->text(), shortPath);

    const QString longPath
        = QStringLiteral("/home/anna/") + QString(300, QLatin1Char('x')) + QStringLiteral("/Brief.pdf");
    form->SetLowerPath(longPath);
    const QString shown = form->LabelBottom->text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/home/anna/"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral(".../Brief.pdf"))) << shown.toStdString();
    EXPECT_LE(form->LabelBottom->fontMetrics().horizontalAdvance(shown), form->LabelBottom->width());
}

TEST_F(WartenTest, FileOperationsReportToTheWindowAndStopWhenCancelled)
{
    const QString a = TestEnv::writeFile(QStringLiteral("a.txt"), "a");
    const QString b = TestEnv::writeFile(QStringLiteral("b.txt"), "b");
    const QString target = TestEnv::makeFolder(QStringLiteral("Ziel"));
    form->show();
    const FileOperations::Result copied = FileOperations::copyFiles({{a, target}, {b, target}}, form.get());
    ASSERT_TRUE(copied.ok) << copied.error.toStdString();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Dateien kopieren"));
    EXPECT_EQ(form->ProgressBar->maximum(), 2);
    EXPECT_EQ(form->ProgressBar->value(), 2);
    EXPECT_FALSE(form->LabelBottom->isHidden());
    EXPECT_EQ(form->LabelBottom->text(), QStringLiteral("b.txt"));
    form->close();

    showWithCancel();
    pressEscape(Dialogs::Yes);
    const QString other = TestEnv::makeFolder(QStringLiteral("Anderes"));
    const FileOperations::Result stopped = FileOperations::copyFiles({{a, other}}, form.get());
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(QFile::exists(other + QStringLiteral("a.txt")));
}

TEST_F(WartenTest, TheWindowTakesTheFocusBackFromTheMainWindow)
{
    QWidget mainWindow;
    mainWindow.resize(600, 400);
    mainWindow.show();
    ASSERT_TRUE(TestEnv::waitUntil([&] {
        mainWindow.activateWindow();
        return mainWindow.isActiveWindow();
    }));
    showWithCancel();
    form->activateWindow();
    ASSERT_TRUE(TestEnv::waitUntil([&] { return form->isActiveWindow(); }));

    bool mainActivated = false;
    ActivationWatch watch(mainWindow, [&] { mainActivated = true; });
    mainWindow.activateWindow();
    EXPECT_TRUE(TestEnv::waitUntil([&] { return mainActivated && form->isActiveWindow(); }));

    form->close();
    mainWindow.activateWindow();
    EXPECT_TRUE(TestEnv::waitUntil([&] { return mainWindow.isActiveWindow(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(mainWindow.isActiveWindow()) << "a closed window stays behind";
}
