#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

// A colour as the settings store it, in the form the program has always written: 0x00BBGGRR for a
// fixed colour, or a system colour (0xFF000000 + its index: clWindowText, clBtnFace, …) that
// follows the desktop's palette; clNone and clDefault stand for no colour and the default one.
using ColourValue = quint32;

namespace Colours {
inline constexpr ColourValue clBlack = 0x000000;
inline constexpr ColourValue clMaroon = 0x000080;
inline constexpr ColourValue clGreen = 0x008000;
inline constexpr ColourValue clOlive = 0x008080;
inline constexpr ColourValue clNavy = 0x800000;
inline constexpr ColourValue clPurple = 0x800080;
inline constexpr ColourValue clTeal = 0x808000;
inline constexpr ColourValue clGray = 0x808080;
inline constexpr ColourValue clSilver = 0xC0C0C0;
inline constexpr ColourValue clRed = 0x0000FF;
inline constexpr ColourValue clLime = 0x00FF00;
inline constexpr ColourValue clYellow = 0x00FFFF;
inline constexpr ColourValue clBlue = 0xFF0000;
inline constexpr ColourValue clFuchsia = 0xFF00FF;
inline constexpr ColourValue clAqua = 0xFFFF00;
inline constexpr ColourValue clWhite = 0xFFFFFF;
inline constexpr ColourValue clSystemColor = 0xFF000000;
inline constexpr ColourValue clWindow = clSystemColor | 5;
inline constexpr ColourValue clWindowText = clSystemColor | 8;
inline constexpr ColourValue clBtnFace = clSystemColor | 15;
inline constexpr ColourValue clNone = 0x1FFFFFFF;
inline constexpr ColourValue clDefault = 0x20000000;

// True for the colours that follow the desktop's palette.
constexpr bool isSystemColour(ColourValue colour)
{
    return (colour & 0xFF000000) == clSystemColor;
}
} // namespace Colours

// The colour's text: its name ("clBlack", "clWindowText") when it has one, else "$00BBGGRR".
QString ColourToText(ColourValue colour);
// Reads a colour name (letter case ignored), "$00BBGGRR", "0x00BBGGRR", a decimal number or
// "#rrggbb". Raises ConversionError for any other text.
ColourValue TextToColour(const QString& text);
// The colour to paint with; system colours and clDefault come from the palette, clNone is
// transparent.
QColor ColourToQColor(ColourValue colour, const QPalette& palette = QPalette());
ColourValue QColorToColour(const QColor& colour);

// A font as the settings "MenuFont" and "FormFont" hold it. A QFont has neither a colour nor a
// character set, so those are kept beside it.
struct FontText
{
    QFont font;
    ColourValue colour = Colours::clWindowText;
    int pitch = 0; // 0 default, 1 variable, 2 fixed
    int charset = 1; // the character set's number; 1 is the default set

    // The font's colour to paint with.
    QColor qColor(const QPalette& palette = QPalette()) const { return ColourToQColor(colour, palette); }
};

// "name,size,style letters,pitch,colour,character set", for example "Arial,10,BI,0,clBlack,0".
// Style letters are B, I, U and S (bold, italic, underline, strike-out) in this order.
QString FontToText(const FontText& font);

// Reads a font text into the font, field by field; a field ends at "," or ";" and is trimmed.
// Fields that are not in the text leave their values ("Arial;12" changes only name and size); an
// empty name, a size, pitch or character set that is no integer (or no usable value) leaves the
// value too; a style field sets exactly the styles whose letters it holds (letter case ignored).
// Fields after the sixth are ignored. An unreadable colour raises ConversionError; the fields
// before it have been applied then.
void TextToFont(const QString& text, FontText& font);
