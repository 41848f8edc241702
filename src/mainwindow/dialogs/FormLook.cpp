#include "mainwindow/dialogs/FormLook.h"

#include "mainwindow/dialogs/FontText.h"
#include "platform/Errors.h"
#include "settings/ProgramSettings.h"

#include <QToolButton>
#include <QWidget>

void ApplyFormFont(QWidget& window, const ProgramSettings& settings)
{
    const TFormLayoutCfgRec& look = settings.FormLayoutCfg;
    if (look.UseSystemFont || look.FormFont.trimmed().isEmpty())
        return;
    FontText font;
    font.font = window.font();
    try {
        TextToFont(look.FormFont, font);
    } catch (const ConversionError&) {
        // the fields before the colour have been read
    }
    window.setFont(font.font);
    if (!Colours::isSystemColour(font.colour) && font.colour != Colours::clDefault && font.colour != Colours::clNone) {
        QPalette palette = window.palette();
        const QColor colour = font.qColor(palette);
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) // disabled text stays grey
            for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
                palette.setColor(group, role, colour);
        window.setPalette(palette);
    }
}

void ClassicSpeedButtons(QWidget& window)
{
    const QList<QToolButton*> buttons = window.findChildren<QToolButton*>();
    for (QToolButton* button : buttons)
        button->setAutoRaise(false);
}
