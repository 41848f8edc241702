#pragma once

class ProgramSettings;
class QWidget;

// Unless "UseSystemFont" is set, gives the window the font of the setting "FormFont" (an empty
// setting changes nothing). A fixed font colour becomes the window's text colour; a system colour
// leaves the desktop's. A colour that cannot be read is skipped; the fields before it still apply.
void ApplyFormFont(QWidget& window, const ProgramSettings& settings);

// Gives every tool button of the window the raised look instead of the flat one.
void ClassicSpeedButtons(QWidget& window);
