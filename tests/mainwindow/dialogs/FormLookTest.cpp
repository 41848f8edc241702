#include "mainwindow/dialogs/FormLook.h"
#include "settings/ProgramSettings.h"

#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

TEST(FormLookTest, TheFormFontIsAppliedUnlessTheSystemFontIsUsed)
{
    struct Case
    {
        bool useSystemFont;
        QString formFont;
        bool applied;
        QColor text; // invalid: the palette's own
    };
    const Case cases[] = {
        {true, QStringLiteral("Arial,14,B,0,clRed,0"), false, {}}, {false, QString(), false, {}},
        {false, QStringLiteral("Arial,14,B,0,clRed,0"), true, QColor(255, 0, 0)},
        {false, QStringLiteral("Arial,14,B,0,clWindowText,0"), true, {}},
        {false, QStringLiteral("Arial,14,B,0,clPink,0"), true, {}}, // the fields before the colour
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formFont.toStdString());
        QWidget window;
        auto* label = new QLabel(QStringLiteral("Name"), &window);
        window.setFont(QFont(QStringLiteral("Times"), 9));
        const QColor before = window.palette().color(QPalette::Active, QPalette::WindowText);
        ProgramSettings settings;
        settings.FormLayoutCfg.UseSystemFont = c.useSystemFont;
        settings.FormLayoutCfg.FormFont = c.formFont;
        ApplyFormFont(window, settings);
        EXPECT_EQ(window.font().family(), c.applied ? QStringLiteral("Arial") : QStringLiteral("Times"));
        EXPECT_EQ(window.font().pointSize(), c.applied ? 14 : 9);
        EXPECT_EQ(window.font().bold(), c.applied);
        EXPECT_EQ(label->font().family(), window.font().family());
        EXPECT_EQ(window.palette().color(QPalette::Active, QPalette::WindowText), c.text.isValid() ? c.text : before);
    }
}

TEST(FormLookTest, SpeedButtonsGetTheRaisedLook)
{
    QWidget window;
    auto* bar = new QWidget(&window);
    auto* layout = new QVBoxLayout(bar);
    QList<QToolButton*> buttons;
    for (int i = 0; i < 3; ++i) {
        auto* button = new QToolButton(i == 0 ? &window : bar);
        button->setAutoRaise(true);
        if (i > 0)
            layout->addWidget(button);
        buttons.append(button);
    }
    ClassicSpeedButtons(window);
    for (QToolButton* button : buttons)
        EXPECT_FALSE(button->autoRaise());
}
