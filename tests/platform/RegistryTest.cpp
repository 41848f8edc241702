#include "PlatformTestHelpers.h"
#include "TestEnvironment.h"

#include "platform/Registry.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {
const QString kSettings = QStringLiteral("SOFTWARE\\Wendrich\\Dravonel Lumaris\\Settings");

class RegistryTest : public testing::Test
{
protected:
    QString path = TestEnv::home() + QStringLiteral("config/user.ini");
};

TEST_F(RegistryTest, WritesAndReadsBackEachKind)
{
    {
        Registry registry(path);
        registry.writeString(kSettings, "Archive", QStringLiteral("/daten/Büro.dva"));
        registry.writeInteger(kSettings, "Count", -42);
        registry.writeBool(kSettings, "Confirm", true);
        EXPECT_TRUE(registry.hasPendingChanges());
        EXPECT_EQ(registry.readInteger(kSettings, "Count"), -42) << "reads see unflushed writes";
        ASSERT_TRUE(registry.flush());
        EXPECT_FALSE(registry.hasPendingChanges());
    }
    Registry reread(path);
    EXPECT_EQ(reread.readString(kSettings, "Archive"), QStringLiteral("/daten/Büro.dva"));
    EXPECT_EQ(reread.readInteger(kSettings, "Count"), -42);
    EXPECT_EQ(reread.readBool(kSettings, "Confirm"), true);
    EXPECT_TRUE(TestEnv::readFile(path).contains("[SOFTWARE\\Wendrich\\Dravonel Lumaris\\Settings]\n"));
    EXPECT_TRUE(TestEnv::readFile(path).contains("\nConfirm=true\n"));
}

TEST_F(RegistryTest, KeyPathsIgnoreCaseAndStrayBackslashes)
{
    Registry registry(path);
    registry.writeString(kSettings, "Name", "x");
    for (const QString& spelling : {QStringLiteral("software\\wendrich\\dravonel lumaris\\settings"),
             QStringLiteral("\\SOFTWARE\\\\Wendrich\\Dravonel Lumaris\\Settings\\"),
             QStringLiteral(" SOFTWARE\\Wendrich\\Dravonel Lumaris\\SETTINGS ")}) {
        EXPECT_EQ(registry.readString(spelling, "NAME"), QStringLiteral("x")) << spelling.toStdString();
        EXPECT_TRUE(registry.keyExists(spelling));
    }
    registry.writeString("software\\WENDRICH\\dravonel lumaris\\settings", "name", "y");
    EXPECT_EQ(registry.valueNames(kSettings), QStringList({"Name"}));
    EXPECT_EQ(registry.readString(kSettings, "Name"), QStringLiteral("y"));
}

TEST_F(RegistryTest, ListsDirectSubKeysAndKnowsImpliedParents)
{
    Registry registry(path);
    registry.createKey("SOFTWARE\\Wendrich\\Apps\\Word");
    registry.writeString("SOFTWARE\\Wendrich\\apps\\word\\Verbs", "Open", "x");
    registry.writeString("SOFTWARE\\Wendrich\\Apps\\Excel", "Name", "Excel");
    registry.writeString("SOFTWARE\\Wendrich\\AppsOld", "Name", "old");

    EXPECT_EQ(registry.subKeys("SOFTWARE\\Wendrich\\Apps"), QStringList({"Word", "Excel"}));
    EXPECT_EQ(registry.subKeys("SOFTWARE\\Wendrich"), QStringList({"Apps", "AppsOld"}));
    EXPECT_EQ(registry.subKeys(""), QStringList({"SOFTWARE"}));
    EXPECT_TRUE(registry.subKeys("SOFTWARE\\Wendrich\\Apps\\Excel").isEmpty());
    EXPECT_TRUE(registry.keyExists("SOFTWARE\\Wendrich"));
    EXPECT_TRUE(registry.keyExists("SOFTWARE\\Wendrich\\Apps\\Word"));
    EXPECT_FALSE(registry.keyExists("SOFTWARE\\Wendrich\\App"));
    EXPECT_FALSE(registry.keyExists("SOFTWARE\\Wendrich\\Apps\\Word\\Verbs\\Open"));
}

TEST_F(RegistryTest, DeleteKeyRemovesEverythingBelowButNotNeighbours)
{
    Registry registry(path);
    registry.writeString("A\\B", "x", "1");
    registry.writeString("A\\B\\C\\D", "x", "2");
    registry.writeString("A\\BC", "x", "3");
    registry.writeString("A", "x", "4");
    ASSERT_TRUE(registry.flush());

    registry.deleteKey("a\\b");
    EXPECT_FALSE(registry.keyExists("A\\B"));
    EXPECT_FALSE(registry.keyExists("A\\B\\C\\D"));
    EXPECT_EQ(registry.readString("A\\BC", "x"), QStringLiteral("3"));
    EXPECT_EQ(registry.readString("A", "x"), QStringLiteral("4"));
    ASSERT_TRUE(registry.flush());

    Registry reread(path);
    EXPECT_EQ(reread.subKeys("A"), QStringList({"BC"}));
    registry.deleteKey("");
    EXPECT_TRUE(registry.keyExists("A")) << "the root cannot be deleted";
}

TEST_F(RegistryTest, DeleteValue)
{
    Registry registry(path);
    registry.writeString("K", "a", "1");
    registry.writeString("K", "b", "2");
    registry.deleteValue("k", "A");
    EXPECT_FALSE(registry.valueExists("K", "a"));
    EXPECT_EQ(registry.valueNames("K"), QStringList({"b"}));
    EXPECT_EQ(registry.readString("K", "a"), std::nullopt);
}

TEST_F(RegistryTest, ValuesOfTheWrongKindReadAsMissing)
{
    const struct
    {
        const char* text;
        std::optional<int> integer;
        std::optional<bool> boolean;
    } cases[] = {
        {"42", 42, std::nullopt},
        {" 7 ", 7, std::nullopt},
        {"-3", -3, std::nullopt},
        {"0", 0, false},
        {"1", 1, true},
        {"true", std::nullopt, true},
        {"TRUE", std::nullopt, true},
        {"T", std::nullopt, true},
        {"t", std::nullopt, true},
        {"False", std::nullopt, false},
        {"F", std::nullopt, false},
        {"yes", std::nullopt, std::nullopt},
        {"2", 2, std::nullopt},
        {"12abc", std::nullopt, std::nullopt},
        {"0x10", std::nullopt, std::nullopt},
        {"99999999999", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
    };
    QByteArray file = "[K]\n";
    for (int i = 0; i < int(std::size(cases)); ++i)
        file += "v" + QByteArray::number(i) + "=" + cases[i].text + "\n";
    Registry registry(TestEnv::writeFile("config/user.ini", file));
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const QString name = "v" + QString::number(i);
        EXPECT_EQ(registry.readInteger("K", name), cases[i].integer) << "\"" << cases[i].text << "\"";
        EXPECT_EQ(registry.readBool("K", name), cases[i].boolean) << "\"" << cases[i].text << "\"";
        EXPECT_EQ(registry.readString("K", name), QString::fromUtf8(cases[i].text).trimmed());
    }
    EXPECT_EQ(registry.readInteger("K", "v11", 5), 5);
    EXPECT_EQ(registry.readBool("K", "v3", true), false);
    EXPECT_EQ(registry.readBool("K", "missing", true), true);
    EXPECT_EQ(registry.readString("K", "missing", "fallback"), QStringLiteral("fallback"));
    EXPECT_EQ(registry.readString("Missing", "v0"), std::nullopt);
}

TEST_F(RegistryTest, FlushMergesAnotherWritersChanges)
{
    Registry first(path);
    Registry second(path);
    first.writeString(kSettings, "FromFirst", "1");
    first.writeString(kSettings, "Shared", "first");
    ASSERT_TRUE(first.flush());

    second.writeString(kSettings, "FromSecond", "2");
    second.writeString(kSettings, "Shared", "second");
    ASSERT_TRUE(second.flush());
    EXPECT_EQ(second.readString(kSettings, "FromFirst"), QStringLiteral("1")) << "flush reads the file again";

    Registry reread(path);
    EXPECT_EQ(reread.valueNames(kSettings), QStringList({"FromFirst", "Shared", "FromSecond"}));
    EXPECT_EQ(reread.readString(kSettings, "Shared"), QStringLiteral("second"));

    // A delete applies to what the other writer left, too.
    first.deleteKey("SOFTWARE\\Wendrich");
    ASSERT_TRUE(first.flush());
    EXPECT_FALSE(Registry(path).keyExists(kSettings));
}

TEST_F(RegistryTest, FlushKeepsCommentsOfAHandEditedFile)
{
    TestEnv::writeFile("config/user.ini", "; my settings\n[K]\n# keep me\na = 1\n");
    Registry registry(path);
    registry.writeString("K", "b", "2");
    ASSERT_TRUE(registry.flush());
    EXPECT_EQ(TestEnv::readFile(path), QByteArray("; my settings\n[K]\n# keep me\na = 1\nb=2\n"));
}

TEST_F(RegistryTest, FailedFlushKeepsTheChangesForTheNextOne)
{
    const QString folder = TestEnv::home() + "blocked";
    TestEnv::writeFile("blocked", "not a folder");
    Registry registry(folder + "/user.ini");
    registry.writeInteger("K", "n", 1);
    registry.writeInteger("K", "n", 2);
    EXPECT_FALSE(registry.flush());
    EXPECT_TRUE(registry.hasPendingChanges());
    EXPECT_EQ(registry.readInteger("K", "n"), 2);

    ASSERT_TRUE(QFile::remove(folder));
    EXPECT_TRUE(registry.flush());
    EXPECT_EQ(Registry(folder + "/user.ini").readInteger("K", "n"), 2);
}

TEST_F(RegistryTest, UnreadableFileIsNeverOverwritten)
{
    // A folder where the file should be: it cannot be read, so a flush must not replace it.
    TestEnv::makeFolder("config/user.ini");
    Registry registry(path);
    registry.writeString("K", "a", "1");
    EXPECT_FALSE(registry.flush());
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_TRUE(registry.hasPendingChanges());
}

TEST_F(RegistryTest, ReloadSeesOtherWritersAndKeepsOwnChanges)
{
    Registry mine(path);
    mine.writeString("K", "mine", "1");
    Registry other(path);
    other.writeString("K", "other", "2");
    ASSERT_TRUE(other.flush());

    ASSERT_TRUE(mine.reload());
    EXPECT_EQ(mine.readString("K", "other"), QStringLiteral("2"));
    EXPECT_EQ(mine.readString("K", "mine"), QStringLiteral("1"));
    EXPECT_TRUE(mine.hasPendingChanges());
}

TEST_F(RegistryTest, ReportsLinesItCannotUnderstand)
{
    Registry registry(TestEnv::writeFile("config/user.ini", "[K]\ngarbage line\nx=1\n"));
    EXPECT_EQ(registry.problems(), QStringList({"garbage line"}));
    EXPECT_EQ(registry.valueNames("K"), QStringList({"x"}));
}

TEST(RegistryBool, ParsesTheAcceptedForms)
{
    EXPECT_EQ(Registry::formatBool(true), "true");
    EXPECT_EQ(Registry::formatBool(false), "false");
    EXPECT_EQ(Registry::parseBool(Registry::formatBool(true)), true);
    EXPECT_EQ(Registry::parseBool(Registry::formatBool(false)), false);
}

TEST(SettingsFolder, ComesFromTheEnvironmentOrTheConfigHome)
{
    qputenv("DOXAREL_CONFIG_DIR", QFile::encodeName(TestEnv::home() + "custom"));
    EXPECT_EQ(defaultSettingsFolder(), TestEnv::home() + "custom/");
    qunsetenv("DOXAREL_CONFIG_DIR");
    EXPECT_EQ(defaultSettingsFolder(), TestEnv::home() + ".config/Dravonel Lumaris/");
}

TEST(RegistryHives, OpensUserAndMachineFilesOfTheFolder)
{
    RegistryHives hives(TestEnv::home() + "settings");
    EXPECT_EQ(hives.folder(), TestEnv::home() + "settings/");
    EXPECT_EQ(hives.user().filePath(), TestEnv::home() + "settings/user.ini");
    EXPECT_EQ(hives.machine().filePath(), TestEnv::home() + "settings/machine.ini");
    hives.user().writeString("K", "who", "user");
    hives.machine().writeString("K", "who", "machine");
    ASSERT_TRUE(hives.flush());
    EXPECT_EQ(Registry(TestEnv::home() + "settings/user.ini").readString("K", "who"), QStringLiteral("user"));
    EXPECT_EQ(Registry(TestEnv::home() + "settings/machine.ini").readString("K", "who"), QStringLiteral("machine"));
}
} // namespace
