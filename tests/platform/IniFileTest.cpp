#include "PlatformTestHelpers.h"
#include "TestEnvironment.h"

#include "platform/IniFile.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {
const char* const kHandWritten = "; written by hand\n"
                                 "Version = 3\n"
                                 "\n"
                                 "[Archive]\n"
                                 "  Path   =   /data/archiv.dva  \n"
                                 "# the last user\n"
                                 "User=anna\n"
                                 "\n"
                                 "[Window]\r\n"
                                 "Left=10\r\n"
                                 "Top=20\r\n";

TEST(IniFile, ReadsSectionsKeysAndComments)
{
    IniFile ini;
    ini.parse(QString::fromUtf8(kHandWritten));
    EXPECT_EQ(ini.sections(), QStringList({"", "Archive", "Window"}));
    EXPECT_EQ(ini.value("", "Version"), "3");
    EXPECT_EQ(ini.value("Archive", "Path"), "/data/archiv.dva");
    EXPECT_EQ(ini.keys("Archive"), QStringList({"Path", "User"}));
    EXPECT_EQ(ini.value("Window", "Top"), "20");
    EXPECT_TRUE(ini.badLines().isEmpty());
}

TEST(IniFile, LooksUpSectionsAndKeysWithoutCase)
{
    IniFile ini;
    ini.parse(QString::fromUtf8(kHandWritten));
    EXPECT_TRUE(ini.hasSection("ARCHIVE"));
    EXPECT_TRUE(ini.hasKey("window", "LEFT"));
    EXPECT_EQ(ini.value("aRcHiVe", "user"), "anna");
    EXPECT_EQ(ini.value("Archive", "Missing", "fallback"), "fallback");
    EXPECT_FALSE(ini.hasKey("Archive", "Left"));

    ini.setValue("WINDOW", "left", "99");
    EXPECT_EQ(ini.keys("Window"), QStringList({"Left", "Top"})) << "the existing spelling stays";
    EXPECT_EQ(ini.value("Window", "Left"), "99");
}

TEST(IniFile, RewritingChangesOnlyWhatChanged)
{
    IniFile ini;
    ini.parse(QString::fromUtf8(kHandWritten));
    EXPECT_EQ(ini.toText(), QString::fromUtf8(kHandWritten).remove(QLatin1Char('\r')));

    ini.setValue("Archive", "User", "bernd");
    QString expected = QString::fromUtf8(kHandWritten).remove(QLatin1Char('\r'));
    expected.replace("User=anna", "User=bernd");
    EXPECT_EQ(ini.toText(), expected);
}

TEST(IniFile, NewKeysAndSectionsGoToTheEnd)
{
    IniFile ini;
    ini.parse(QString::fromUtf8(kHandWritten));
    ini.setValue("Archive", "Zoom", "100");
    ini.setValue("Printer", "Name", "Laser");
    ini.setValue("", "Build", "7");
    const QString text = ini.toText();
    EXPECT_TRUE(text.startsWith("; written by hand\nVersion = 3\nBuild=7\n\n[Archive]\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("User=anna\nZoom=100\n\n[Window]")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("Top=20\n\n[Printer]\nName=Laser\n")) << text.toStdString();

    IniFile again;
    again.parse(text);
    EXPECT_EQ(again.toText(), text) << "a second rewrite changes nothing";
}

TEST(IniFile, RemovesKeysAndSections)
{
    IniFile ini;
    ini.parse(QString::fromUtf8(kHandWritten));
    ini.removeKey("archive", "PATH");
    ini.removeSection("WINDOW");
    EXPECT_EQ(ini.keys("Archive"), QStringList({"User"}));
    EXPECT_FALSE(ini.hasSection("Window"));
    EXPECT_FALSE(ini.toText().contains("Left"));
}

TEST(IniFile, CollectsAndKeepsBadLines)
{
    IniFile ini;
    ini.parse("[A]\nno equals sign\n=no key\nx=1\n[broken\n");
    EXPECT_EQ(ini.badLines(), QStringList({"no equals sign", "=no key", "[broken"}));
    EXPECT_EQ(ini.keys("A"), QStringList({"x"}));
    ini.setValue("A", "x", "2");
    EXPECT_EQ(ini.toText(), "[A]\nno equals sign\n=no key\nx=2\n[broken\n");
}

TEST(IniFile, RepeatedKeyTakesTheLastValueAndRepeatedSectionsMerge)
{
    IniFile ini;
    ini.parse("[A]\nx=1\n[B]\ny=1\n[a]\nx=2\nz=3\n");
    EXPECT_EQ(ini.sections(), QStringList({"A", "B"}));
    EXPECT_EQ(ini.value("A", "x"), "2");
    EXPECT_EQ(ini.keys("A"), QStringList({"x", "z"}));
}

TEST(IniFile, QuotesWhatPlainTextWouldLose)
{
    const struct
    {
        QString key;
        QString value;
    } cases[] = {
        {"Leading", "  two blanks"},
        {"Trailing", "blank "},
        {"Lines", "first\nsecond\r\nthird"},
        {"Tab", "a\tb"},
        {"Quoted", "\"in quotes\""},
        {"HalfQuoted", "\"open"},
        {"Backslashes", "C:\\Programme\\x\\"},
        {"Empty", ""},
        {"Control", QString("bell") + QChar(7)},
        {"a=b", "key with equals"},
        {" padded ", "key with blanks"},
        {"[bracket", "key like a section"},
        {";semicolon", "key like a comment"},
        {"", "empty key"},
    };
    IniFile ini;
    for (const auto& c : cases)
        ini.setValue("S", c.key, c.value);
    IniFile reread;
    reread.parse(ini.toText());
    EXPECT_TRUE(reread.badLines().isEmpty()) << ini.toText().toStdString();
    for (const auto& c : cases) {
        EXPECT_TRUE(reread.hasKey("S", c.key)) << c.key.toStdString();
        EXPECT_EQ(reread.value("S", c.key), c.value) << c.key.toStdString();
    }
    // Ordinary texts stay readable.
    EXPECT_TRUE(ini.toText().contains("\nBackslashes=C:\\Programme\\x\\\n"));
    EXPECT_TRUE(ini.toText().contains("\nEmpty=\n"));
}

TEST(IniFile, ReadsQuotedValuesWrittenByHand)
{
    IniFile ini;
    ini.parse("[S]\nName = \"  Anna  \"\n\"Key = x\" = 5\nMixed=\"a\" and \"b\"\n");
    EXPECT_EQ(ini.value("S", "Name"), "  Anna  ");
    EXPECT_EQ(ini.value("S", "Key = x"), "5");
    EXPECT_EQ(ini.value("S", "Mixed"), "\"a\" and \"b\"");
}

TEST(IniFile, LoadsMissingFileAsEmpty)
{
    IniFile ini(TestEnv::home() + "missing.ini");
    EXPECT_TRUE(ini.load());
    EXPECT_TRUE(ini.sections().isEmpty());
}

TEST(IniFile, LoadsUtf8Windows1252AndByteOrderMark)
{
    const struct
    {
        const char* name;
        QByteArray bytes;
    } files[] = {
        {"utf8.ini", QByteArray("[Kunde]\nName=M\xC3\xBCller \xE2\x82\xAC\n")},
        {"ansi.ini", QByteArray("[Kunde]\r\nName=M\xFCller \x80\r\n")},
        {"bom.ini", QByteArray("\xEF\xBB\xBF[Kunde]\nName=M\xC3\xBCller \xE2\x82\xAC\n")},
    };
    for (const auto& f : files) {
        IniFile ini(TestEnv::writeFile(f.name, f.bytes));
        ASSERT_TRUE(ini.load()) << f.name;
        EXPECT_EQ(ini.sections(), QStringList({"Kunde"})) << f.name;
        EXPECT_EQ(ini.value("Kunde", "Name"), QStringLiteral("Müller €")) << f.name;
    }
}

TEST(IniFile, LoadOfAFolderFailsAndLeavesTheObjectEmpty)
{
    IniFile ini(TestEnv::makeFolder("folder.ini"));
    ini.setValue("A", "x", "1");
    EXPECT_FALSE(ini.load());
    EXPECT_TRUE(ini.sections().isEmpty());
}

TEST(IniFile, SavesUtf8AndMakesFolders)
{
    const QString path = TestEnv::home() + "a/b/settings.ini";
    IniFile ini(path);
    ini.setValue("Kunde", "Name", QStringLiteral("Müller €"));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(TestEnv::readFile(path), QByteArray("[Kunde]\nName=M\xC3\xBCller \xE2\x82\xAC\n"));

    IniFile reread(path);
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.value("kunde", "name"), QStringLiteral("Müller €"));
}

TEST(IniFile, SaveThatCannotWriteFailsAndKeepsTheOldFile)
{
    const QString folder = TestEnv::makeFolder("locked");
    const QString path = TestEnv::writeFile("locked/settings.ini", "[A]\nx=old\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    ini.setValue("A", "x", "new");
    {
        PlatformTest::UnwritableFolder locked(folder);
        if (!locked.effective())
            GTEST_SKIP() << "this file system lets us write into a read-only folder";
        EXPECT_FALSE(ini.save());
    }
    EXPECT_EQ(TestEnv::readFile(path), QByteArray("[A]\nx=old\n"));
    EXPECT_EQ(PlatformTest::entriesOf(folder), QStringList({"settings.ini"})) << "a temporary file was left";
}

TEST(IniFile, SaveFailsWhereNoFileCanBe)
{
    const QString blocker = TestEnv::writeFile("plain-file", "x");
    IniFile ini;
    ini.setValue("A", "x", "1");
    EXPECT_FALSE(ini.saveAs(blocker + "/below/settings.ini"));
    EXPECT_FALSE(ini.saveAs(TestEnv::makeFolder("is-a-folder")));
    EXPECT_FALSE(ini.saveAs(QString()));
    EXPECT_EQ(TestEnv::readFile(blocker), QByteArray("x"));
}
} // namespace
