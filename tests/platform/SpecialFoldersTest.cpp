#include "PlatformTestHelpers.h"
#include "TestEnvironment.h"

#include "platform/SpecialFolders.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {
void writeUserDirs(const QByteArray& contents)
{
    TestEnv::writeFile(".config/user-dirs.dirs", contents);
}

TEST(SpecialFolders, ReadsTheXdgUserFolders)
{
    writeUserDirs("# This file is written by xdg-user-dirs-update\n"
                  "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                  "XDG_DOCUMENTS_DIR=\"/daten/Dokumente\"\n"
                  "  XDG_TEMPLATES_DIR=\"${HOME}/Vorlagen mit \\\"Zitat\\\"\"\n"
                  "#XDG_DESKTOP_DIR=\"$HOME/commented\"\n"
                  "XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
    const QString home = TestEnv::home();
    EXPECT_EQ(SpecialFolders::desktop(), home + "Schreibtisch/");
    EXPECT_EQ(SpecialFolders::personalDocuments(), "/daten/Dokumente/");
    EXPECT_EQ(SpecialFolders::templates(), home + "Vorlagen mit \"Zitat\"/");
}

TEST(SpecialFolders, FallsBackToTheEnvironmentAndTheUsualNames)
{
    const QString home = TestEnv::home();
    qputenv("XDG_DOCUMENTS_DIR", QFile::encodeName(home + "Dokumente"));
    EXPECT_EQ(SpecialFolders::personalDocuments(), home + "Dokumente/");
    EXPECT_EQ(SpecialFolders::templates(), home + "Templates/");
    EXPECT_EQ(SpecialFolders::desktop(), home + "Desktop/");
    qunsetenv("XDG_DOCUMENTS_DIR");
    EXPECT_EQ(SpecialFolders::personalDocuments(), home + "Documents/");
}

TEST(SpecialFolders, IgnoresEntriesThatAreNeitherBelowHomeNorAbsolute)
{
    writeUserDirs("XDG_TEMPLATES_DIR=\"relative/path\"\nXDG_DESKTOP_DIR=\"$HOME/\"\n");
    EXPECT_EQ(SpecialFolders::templates(), TestEnv::home() + "Templates/");
    EXPECT_EQ(SpecialFolders::desktop(), TestEnv::home()) << "an entry of just $HOME means the home";
}

TEST(SpecialFolders, DataTempAndSystemFolders)
{
    const QString data = TestEnv::home() + ".local/share/";
    EXPECT_EQ(SpecialFolders::commonAppData(), data);
    EXPECT_EQ(SpecialFolders::programs(), data + "applications/");
    EXPECT_EQ(SpecialFolders::temp(), QDir::tempPath() + "/");
    EXPECT_EQ(SpecialFolders::windowsFolder(), "/usr/share/");
    EXPECT_EQ(SpecialFolders::systemFolder(), "/usr/lib/");
}
} // namespace
