#include "DocumentsFixture.h"

#include "documents/TextConversion.h"

#include <QBuffer>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {
// A letter as word processors write it: tables of fonts, colours and styles, document
// information, a picture, a field, a table, code pages, Unicode characters and hidden text.
const QByteArray kLetter
    = QByteArray(
          R"({\rtf1\ansi\ansicpg1252\deff0\uc1{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\froman\fcharset204 Times Cyr;}}
{\colortbl;\red255\green0\blue0;}{\stylesheet{\s0 Normal;}}{\*\generator Riched20 10.0;}
{\info{\title Brief}{\author Anna}}
\pard\plain\f0\fs20 Sehr geehrter Herr M\'fcller,\par
{\pict\wmetafile8\picw100\pich100 0123456789abcdef}
die Rechnung \'fcber 12\u8364? liegt bei.\line Zweite Zeile mit {\b fett} und \{Klammern\} und \\.\par
{\field{\*\fldinst HYPERLINK "https://example.org"}{\fldrslt Webseite}}\tab Ende\par
\trowd\cellx1000\cellx2000 A1\cell B1\cell\row
{\f1 \'c0\'e1\'e2}{\v versteckt}\emdash\ldblquote zitiert\rdblquote\par
{\*\unbekannt nicht zeigen}\u-10179?\u-8704?\bin3 )")
    + QByteArray("\x01}\x02", 3) + QByteArray(R"( Schluss\par
})");

const char* kLetterText = "Sehr geehrter Herr Müller,\n"
                          "die Rechnung über 12€ liegt bei.\nZweite Zeile mit fett und {Klammern} und \\.\n"
                          "Webseite\tEnde\n"
                          "A1\tB1\n"
                          "Абв—“zitiert”\n"
                          "\U0001F600 Schluss";
} // namespace

TEST(TextConversionTest, HtmlFilesAndTagBlocks)
{
    for (const char* name : {"a.htm", "b.HTML", "/x/y.Htm"})
        EXPECT_TRUE(IsHtmlFile(name)) << name;
    for (const char* name : {"a.txt", "htm", "a.htmx", "a.htm.bak"})
        EXPECT_FALSE(IsHtmlFile(name)) << name;

    const struct
    {
        const char* text;
        const char* tag;
        const char* result;
    } cases[] = {
        {"a<script type=\"x\">1</script>b<SCRIPT>2</Script>c", "script", "abc"},
        {"a<script src=x></script>b<script type=y>3</script>c", "script", "abc"},
        {"a<script>never closed", "script", "a"},
        {"<head><title>T</title></head><header>bleibt</header>", "head", "<header>bleibt</header>"},
        {"ohne", "script", "ohne"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemoveTagBlocks(c.text, c.tag), c.result) << c.text;
}

TEST(TextConversionTest, HtmlToTextWithAndWithoutEntities)
{
    const QString html = "<html><head><title>Titel</title></head>\n<body><script>run()</script>"
                         "<p>Gr&uuml;&szlig;e &Auml;rger</p>\n\n   \n<b>zwei</b> &SZLIG;</body></html>";
    EXPECT_EQ(HtmlToText(html, false), "Gr&uuml;&szlig;e &Auml;rger\nzwei &SZLIG;");
    EXPECT_EQ(HtmlToText(html, true), "Titel\nrun()Gruesse aerger\nzwei &SZLIG;");
}

TEST(TextConversionTest, RtfReaderGivesTheTextOfRealDocuments)
{
    EXPECT_EQ(RtfToText(kLetter), QString::fromUtf8(kLetterText));
}

TEST(TextConversionTest, RtfReaderSurvivesDamageAndOtherText)
{
    EXPECT_EQ(RtfToText("{\\rtf1 Hallo {\\b Welt"), "Hallo Welt") << "cut off: the text up to there";
    EXPECT_EQ(RtfToText("{\\rtf1 a}}}} b"), "a b") << "stray closing braces";
    EXPECT_EQ(RtfToText("{\\rtf1 x\\'4"), "x");
    EXPECT_EQ(RtfToText("{\\rtf1 x\\bin999999999 y}"), "x");
    EXPECT_EQ(RtfToText("{\\rtf1" + QByteArray(100000, '{') + "tief"), "tief") << "deeply nested";
    EXPECT_EQ(RtfToText("Nur Text, kein RTF"), "Nur Text, kein RTF");
    EXPECT_EQ(RtfToText("Gr\xFC\xDF"
                        "e"),
        QString::fromUtf8("Grüße"))
        << "plain Windows-1252 text";
    for (qsizetype cut = 0; cut < kLetter.size(); cut += 7)
        RtfToText(kLetter.left(cut)); // every prefix reads without harm
}

TEST(TextConversionTest, RtfStreamIsReplacedByItsText)
{
    QByteArray data = "{\\rtf1\\ansi Gr\\'fc\\'dfe\\par}";
    QBuffer buffer(&data);
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    ASSERT_TRUE(RtfToText(buffer));
    EXPECT_EQ(QString::fromUtf8(buffer.data()), QString::fromUtf8("Grüße"));
}

TEST(TextConversionTest, ConvertersWriteTargetsOrNothing)
{
    const QString rtf = TestEnv::writeFile("in/Brief.rtf", "{\\rtf1\\ansi Hallo\\par Welt}");
    const QString target = TestEnv::home() + "out.txt";
    ASSERT_TRUE(WordToText(rtf, target));
    EXPECT_EQ(TestEnv::readFile(target), "Hallo\nWelt");

    const QString broken = TestEnv::writeFile("in/kaputt.doc", "no word document at all");
    const QString brokenTarget = TestEnv::home() + "kaputt.txt";
    EXPECT_FALSE(WordToText(broken, brokenTarget));
    EXPECT_FALSE(QFileInfo::exists(brokenTarget));
    EXPECT_FALSE(WordToText(TestEnv::home() + "in/missing.doc", brokenTarget));
    EXPECT_FALSE(OutlookMsgToText(broken, brokenTarget));

    // Without the converters on the PATH the conversions answer false.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", TestEnv::makeFolder("emptybin").toUtf8());
    const QString xls = TestEnv::writeFile("in/Tabelle.xls", "xls");
    EXPECT_FALSE(WordToText(broken, brokenTarget));
    EXPECT_FALSE(ExcelToText(xls, brokenTarget));
    EXPECT_FALSE(OutlookMsgToText(broken, brokenTarget));
    EXPECT_TRUE(WordToText(rtf, target)) << "RTF needs no converter";
    qputenv("PATH", path);
    EXPECT_FALSE(QFileInfo::exists(brokenTarget));
}
