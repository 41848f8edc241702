#include "mainwindow/dialogs/FontText.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

namespace {
// A font that differs from every field of the test texts.
FontText startFont()
{
    FontText start;
    start.font = QFont(QStringLiteral("Times"), 8);
    start.font.setBold(true);
    start.font.setUnderline(true);
    start.colour = Colours::clRed;
    start.pitch = 2;
    start.charset = 1;
    return start;
}

struct Expected
{
    QString family;
    int size;
    QString styles; // the letters of the styles set
    int pitch;
    ColourValue colour;
    int charset;
};

void expectFont(const FontText& font, const Expected& e)
{
    EXPECT_EQ(font.font.family(), e.family);
    EXPECT_EQ(font.font.pointSize(), e.size);
    EXPECT_EQ(font.font.bold(), e.styles.contains(QLatin1Char('B')));
    EXPECT_EQ(font.font.italic(), e.styles.contains(QLatin1Char('I')));
    EXPECT_EQ(font.font.underline(), e.styles.contains(QLatin1Char('U')));
    EXPECT_EQ(font.font.strikeOut(), e.styles.contains(QLatin1Char('S')));
    EXPECT_EQ(font.pitch, e.pitch);
    EXPECT_EQ(font.colour, e.colour);
    EXPECT_EQ(font.charset, e.charset);
}
} // namespace

TEST(FontTextTest, TextsChangeTheFieldsTheyHold)
{
    struct Case
    {
        QString text;
        Expected font;
    };
    const Case cases[] = {
        {QStringLiteral("Arial,10,BI,0,clBlack,0"),
            {QStringLiteral("Arial"), 10, QStringLiteral("BI"), 0, 0x000000, 0}},
        {QStringLiteral("Arial;12"), {QStringLiteral("Arial"), 12, QStringLiteral("BU"), 2, Colours::clRed, 1}},
        {QStringLiteral("Arial,x"), {QStringLiteral("Arial"), 8, QStringLiteral("BU"), 2, Colours::clRed, 1}},
        {QStringLiteral(" Courier New ; 9 ;sUbi; 1 ;clnavy;238"),
            {QStringLiteral("Courier New"), 9, QStringLiteral("BIUS"), 1, Colours::clNavy, 238}},
        {QStringLiteral("Arial,10,,x,clWhite,y,garbage,more"),
            {QStringLiteral("Arial"), 10, QString(), 2, Colours::clWhite, 1}},
        {QStringLiteral(",,"), {QStringLiteral("Times"), 8, QString(), 2, Colours::clRed, 1}},
        {QStringLiteral("Arial,0,B,7,$00804020,300"),
            {QStringLiteral("Arial"), 8, QStringLiteral("B"), 2, 0x804020, 1}},
        {QString(), {QStringLiteral("Times"), 8, QStringLiteral("BU"), 2, Colours::clRed, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        FontText font = startFont();
        TextToFont(c.text, font);
        expectFont(font, c.font);
    }
}

TEST(FontTextTest, FontToTextAndTextToFontReadEachOther)
{
    struct Case
    {
        Expected font;
        QString text;
    };
    const Case cases[] = {
        {{QStringLiteral("Arial"), 10, QStringLiteral("BI"), 0, Colours::clBlack, 0},
            QStringLiteral("Arial,10,BI,0,clBlack,0")},
        {{QStringLiteral("Courier New"), 9, QStringLiteral("BIUS"), 2, 0x804020, 238},
            QStringLiteral("Courier New,9,BIUS,2,$00804020,238")},
        {{QStringLiteral("DejaVu Sans"), 11, QString(), 1, Colours::clWindowText, 1},
            QStringLiteral("DejaVu Sans,11,,1,clWindowText,1")},
        {{QStringLiteral("Tahoma"), 8, QStringLiteral("US"), 0, Colours::clBtnFace, 1},
            QStringLiteral("Tahoma,8,US,0,clBtnFace,1")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        FontText font;
        font.font = QFont(c.font.family, c.font.size);
        font.font.setBold(c.font.styles.contains(QLatin1Char('B')));
        font.font.setItalic(c.font.styles.contains(QLatin1Char('I')));
        font.font.setUnderline(c.font.styles.contains(QLatin1Char('U')));
        font.font.setStrikeOut(c.font.styles.contains(QLatin1Char('S')));
        font.pitch = c.font.pitch;
        font.colour = c.font.colour;
        font.charset = c.font.charset;
        EXPECT_EQ(FontToText(font), c.text);

        FontText read = startFont();
        TextToFont(c.text, read);
        expectFont(read, c.font);
        EXPECT_EQ(FontToText(read), c.text);
    }
}

TEST(FontTextTest, AnUnreadableColourFailsAfterTheFieldsBeforeIt)
{
    FontText font = startFont();
    EXPECT_THROW(TextToFont(QStringLiteral("Arial,12,I,1,clPink,0"), font), ConversionError);
    expectFont(font, {QStringLiteral("Arial"), 12, QStringLiteral("I"), 1, Colours::clRed, 1});
}

TEST(FontTextTest, ColourTexts)
{
    const std::pair<QString, ColourValue> readable[] = {
        {QStringLiteral("clBlack"), 0x000000},
        {QStringLiteral("CLMAROON"), 0x000080},
        {QStringLiteral("clTeal"), 0x808000},
        {QStringLiteral("clSilver"), 0xC0C0C0},
        {QStringLiteral("clLtGray"), 0xC0C0C0},
        {QStringLiteral("clBlue"), 0xFF0000},
        {QStringLiteral("clAqua"), 0xFFFF00},
        {QStringLiteral("clWindow"), 0xFF000005},
        {QStringLiteral("clWindowText"), 0xFF000008},
        {QStringLiteral("clBtnFace"), 0xFF00000F},
        {QStringLiteral("clInfoBk"), 0xFF000018},
        {QStringLiteral("clNone"), 0x1FFFFFFF},
        {QStringLiteral("$00FF8000"), 0xFF8000},
        {QStringLiteral("$ff000008"), 0xFF000008},
        {QStringLiteral("0x000000FF"), 0x0000FF},
        {QStringLiteral("#0080ff"), 0xFF8000},
        {QStringLiteral("255"), 0x0000FF},
        {QStringLiteral("-16777208"), 0xFF000008},
        {QStringLiteral(" clRed "), 0x0000FF},
    };
    for (const auto& [text, value] : readable)
        EXPECT_EQ(TextToColour(text), value) << text.toStdString();

    const QString unreadable[] = {QString(), QStringLiteral("clPink"), QStringLiteral("#12345"),
        QStringLiteral("#12345g"), QStringLiteral("$xyz"), QStringLiteral("$"), QStringLiteral("12abc"),
        QStringLiteral("+5"), QStringLiteral("$1FFFFFFFF")};
    for (const QString& text : unreadable)
        EXPECT_THROW(TextToColour(text), ConversionError) << text.toStdString();

    const std::pair<ColourValue, QString> written[] = {
        {0x000000, QStringLiteral("clBlack")},
        {0xC0C0C0, QStringLiteral("clSilver")},
        {0x808080, QStringLiteral("clGray")},
        {0xFF000008, QStringLiteral("clWindowText")},
        {0x804020, QStringLiteral("$00804020")},
        {0xFF0000FF, QStringLiteral("$FF0000FF")},
    };
    for (const auto& [value, text] : written)
        EXPECT_EQ(ColourToText(value), text);
}

TEST(FontTextTest, ColoursToPaintWith)
{
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::WindowText, QColor(1, 2, 3));
    palette.setColor(QPalette::Active, QPalette::Button, QColor(4, 5, 6));
    palette.setColor(QPalette::Active, QPalette::Base, QColor(7, 8, 9));
    EXPECT_EQ(ColourToQColor(Colours::clRed, palette), QColor(255, 0, 0));
    EXPECT_EQ(ColourToQColor(0x804020, palette), QColor(0x20, 0x40, 0x80));
    EXPECT_EQ(ColourToQColor(Colours::clWindowText, palette), QColor(1, 2, 3));
    EXPECT_EQ(ColourToQColor(Colours::clBtnFace, palette), QColor(4, 5, 6));
    EXPECT_EQ(ColourToQColor(Colours::clWindow, palette), QColor(7, 8, 9));
    EXPECT_EQ(ColourToQColor(Colours::clNone, palette).alpha(), 0);
    EXPECT_EQ(QColorToColour(QColor(0x20, 0x40, 0x80)), 0x804020u);
    EXPECT_EQ(QColorToColour(ColourToQColor(0x123456)), 0x123456u);
}
