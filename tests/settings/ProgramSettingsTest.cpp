#include "settings/ProgramSettings.h"
#include "TestEnvironment.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "settings/RegistryKeys.h"

#include <QDir>

namespace {
class ProgramSettingsTest : public testing::Test
{
protected:
    QString folder() const { return TestEnv::home() + QStringLiteral("settings/"); }

    ProgramSettings load()
    {
        RegistryHives hives(folder());
        ProgramSettings settings;
        settings.Cfg.CommonFilesPath = TestEnv::home() + QStringLiteral("common/");
        EXPECT_TRUE(settings.LoadSettings(hives, dialogs, [this](const QString& text) { logged << text; }));
        return settings;
    }

    void save(ProgramSettings& settings, bool withWindow = true, bool normal = true)
    {
        RegistryHives hives(folder());
        EXPECT_TRUE(settings.SaveSettings(hives, withWindow, normal));
    }

    void writeMachine(const char* name, const QString& value)
    {
        RegistryHives hives(folder());
        hives.machine().writeString(RegistryKeys::kSettings, QLatin1String(name), value);
        ASSERT_TRUE(hives.flush());
    }

    ScriptedDialogs dialogs;
    QStringList logged;
};
} // namespace

TEST_F(ProgramSettingsTest, TheFirstRunEndsWithTheFirstSaveAndCanBeForced)
{
    ProgramSettings first = load();
    EXPECT_TRUE(first.FirstRun);
    EXPECT_FALSE(first.UserKeyExisted);
    save(first);
    EXPECT_FALSE(load().FirstRun);
    EXPECT_TRUE(load().UserKeyExisted);
    for (const char* marker : {"FirstRun", "firstrun", "FIRSTRUN"}) {
        writeMachine("Initialize", QLatin1String(marker));
        EXPECT_TRUE(load().FirstRun) << marker;
    }
    RegistryHives hives(folder());
    EXPECT_EQ(hives.machine().readString(RegistryKeys::kSettings, QStringLiteral("Version"), QString()),
        QStringLiteral(DOXAREL_VERSION));
}

TEST_F(ProgramSettingsTest, SavedValuesReadBackUnchanged)
{
    ProgramSettings s = load();
    s.UserCfg = {false, QStringLiteral("/daten/Büro.dva")};
    s.FormLayoutCfg.MenuStyle = 1;
    s.FormLayoutCfg.MenuAutoGray = true;
    s.FormLayoutCfg.FormFont = QStringLiteral("DejaVu Sans,10,B,0,clBlack,0");
    s.FormLayoutCfg.LayoutFile = QStringLiteral("/daten/mein.lay");
    s.ApplCfg = {false, QStringLiteral("/usr/bin/vorschau"), QStringLiteral("/usr/bin/oeffne")};
    s.Cfg.DocDataBase = QStringLiteral("/daten/Archiv.dva");
    s.Cfg.DropDownCount = 12;
    s.Cfg.FtiCreateMode = 1;
    s.Cfg.FtiIgnoreDigits = false;
    s.Cfg.FtiIgnoreLength = 4;
    s.Cfg.FtiMaxFileSize = 0;
    s.Cfg.PrjPreselect = true;
    s.FtiFileTypes = QStringLiteral(".pdf.txt.");
    s.WindowCfg = {20, 30, 1000, 800, QStringLiteral("English"), QStringLiteral("a.dva,b.dva"), 200, false, 150, false};
    save(s);

    ProgramSettings r = load();
    EXPECT_EQ(r.UserCfg.OpenLastDB, false);
    EXPECT_EQ(r.UserCfg.LastOpenedDocDB, QStringLiteral("/daten/Büro.dva"));
    EXPECT_EQ(r.FormLayoutCfg.MenuStyle, 1);
    EXPECT_TRUE(r.FormLayoutCfg.MenuAutoGray);
    EXPECT_EQ(r.FormLayoutCfg.FormFont, s.FormLayoutCfg.FormFont);
    EXPECT_EQ(r.FormLayoutCfg.LayoutFile, s.FormLayoutCfg.LayoutFile);
    EXPECT_EQ(r.ApplCfg.ApplMaximize, false);
    EXPECT_EQ(r.ApplCfg.PreviewExe, s.ApplCfg.PreviewExe);
    EXPECT_EQ(r.ApplCfg.OpenWithExe, QString()); // read only, never written
    EXPECT_EQ(r.Cfg.DocDataBase, s.Cfg.DocDataBase);
    EXPECT_EQ(r.Cfg.DropDownCount, 12);
    EXPECT_EQ(r.Cfg.FtiCreateMode, 1);
    EXPECT_FALSE(r.Cfg.FtiIgnoreDigits);
    EXPECT_EQ(r.Cfg.FtiIgnoreLength, 4);
    EXPECT_EQ(r.Cfg.FtiMaxFileSize, 0);
    EXPECT_TRUE(r.Cfg.PrjPreselect);
    EXPECT_EQ(r.FtiFileTypes, QStringLiteral(".pdf.txt."));
    EXPECT_EQ(r.WindowCfg.FormLeft, 20);
    EXPECT_EQ(r.WindowCfg.FormHeight, 800);
    EXPECT_EQ(r.WindowCfg.Language, QStringLiteral("English"));
    EXPECT_EQ(r.WindowCfg.LastOpenedDBs, QStringLiteral("a.dva,b.dva"));
    EXPECT_EQ(r.WindowCfg.PanelSearchHeight, 200);
    EXPECT_FALSE(r.WindowCfg.PanelProjectNavVisible);
    EXPECT_EQ(r.WindowCfg.PanelProjectNavWidth, 150);
    EXPECT_FALSE(r.WindowCfg.LockSearch);
    EXPECT_EQ(r.CurrentArchivePath, s.Cfg.DocDataBase); // OpenLastDB is off
}

TEST_F(ProgramSettingsTest, AMaximisedWindowKeepsTheStoredBounds)
{
    ProgramSettings s = load();
    s.WindowCfg.FormWidth = 1000;
    s.WindowCfg.Language = QStringLiteral("Deutsch");
    save(s);
    s.WindowCfg.FormWidth = 1920;
    s.WindowCfg.Language = QStringLiteral("English");
    s.WindowCfg.PanelProjectNavWidth = 333;
    save(s, true, false);
    const ProgramSettings r = load();
    EXPECT_EQ(r.WindowCfg.FormWidth, 1000);
    EXPECT_EQ(r.WindowCfg.Language, QStringLiteral("Deutsch"));
    EXPECT_EQ(r.WindowCfg.PanelProjectNavWidth, 333);
}

TEST_F(ProgramSettingsTest, FileTypesGetTheirOuterPoints)
{
    EXPECT_EQ(ProgramSettings::normalisedFileTypes(QStringLiteral("doc.pdf")), QStringLiteral(".doc.pdf."));
    EXPECT_EQ(ProgramSettings::normalisedFileTypes(QStringLiteral(".doc.")), QStringLiteral(".doc."));
    EXPECT_EQ(ProgramSettings::normalisedFileTypes(QString()), QString());
    ProgramSettings s = load();
    s.FtiFileTypes = QStringLiteral("doc.pdf");
    save(s);
    EXPECT_EQ(load().FtiFileTypes, QStringLiteral(".doc.pdf."));
}

TEST_F(ProgramSettingsTest, TheCurrentArchiveFallsBackToTheStandardArchive)
{
    const QString standard = TestEnv::writeFile(QStringLiteral("Standard.dva"), "x");
    const QString last = TestEnv::writeFile(QStringLiteral("Letztes.dva"), "x");
    ProgramSettings s = load();
    s.Cfg.DocDataBase = standard;
    s.UserCfg.LastOpenedDocDB = last;
    save(s);
    EXPECT_EQ(load().CurrentArchivePath, last);
    QFile::remove(last);
    EXPECT_EQ(load().CurrentArchivePath, standard);

    const QString tables = TestEnv::makeFolder(QStringLiteral("Tabellen"));
    EXPECT_FALSE(ProgramSettings::ArchiveExists(tables));
    TestEnv::writeFile(QStringLiteral("Tabellen/DOCUMENT.db"), "x");
    EXPECT_TRUE(ProgramSettings::ArchiveExists(tables));
    EXPECT_FALSE(ProgramSettings::ArchiveExists(QString()));
}

TEST_F(ProgramSettingsTest, GarbageValuesGiveDefaultsAndATildeIsRepaired)
{
    TestEnv::writeFile(QStringLiteral("settings/machine.ini"),
        "[SOFTWARE\\Wendrich\\Dravonel Lumaris\\Settings]\nInitialize=FirstRun\nFtiCreateMode=zwei\n"
        "ShowIcon=vielleicht\nDropDownCount=99999999999\nDocDataBase=~/Archiv.dva\n");
    const ProgramSettings s = load();
    EXPECT_EQ(s.Cfg.FtiCreateMode, 2);
    EXPECT_TRUE(s.Cfg.ShowIcon);
    EXPECT_EQ(s.Cfg.DropDownCount, 8);
    EXPECT_EQ(s.Cfg.DocDataBase, QDir::homePath() + QStringLiteral("/Archiv.dva"));
    RegistryHives hives(folder());
    EXPECT_EQ(hives.machine().readString(RegistryKeys::kSettings, QStringLiteral("DocDataBase"), QString()),
        s.Cfg.DocDataBase);
}

TEST_F(ProgramSettingsTest, TheAdministrationFile)
{
    writeMachine("CommonFilesPath", TestEnv::home() + QStringLiteral("common"));
    const QString admin = TestEnv::home() + QStringLiteral("common/admin.ini");
    TestEnv::writeFile(admin,
        "[DataBase]\nQuoteChar=`'\nMultiUserAccess=0\n[FullTextIndex]\nOleToTxt=false\n"
        "[Document]\nBrowserWindowTitle=Firefox\n[eMail]\nSaveFormat=2\nSaveFormatEx=.eml\n");
    ProgramSettings s = load();
    EXPECT_EQ(s.QuoteChar, QLatin1Char('`'));
    EXPECT_EQ(s.Cfg.CommonFilesPath, TestEnv::home() + QStringLiteral("common/"));
    EXPECT_FALSE(s.Cfg.MultiUserAccess);
    EXPECT_FALSE(s.Cfg.OleToTxt);
    EXPECT_TRUE(s.Cfg.UpdateOnActivate);
    EXPECT_EQ(s.BrowserWindowTitle, QStringLiteral("Firefox"));
    EXPECT_EQ(s.BrowserEditClass, QStringLiteral("Edit"));
    EXPECT_EQ(s.Cfg.SaveFormat, 2);
    EXPECT_EQ(s.Cfg.SaveFormatEx, QStringLiteral(".eml"));
    EXPECT_TRUE(dialogs.asked().isEmpty());

    TestEnv::writeFile(admin, "[DataBase]\nQuoteChar=\n");
    s = load();
    EXPECT_EQ(s.QuoteChar, QLatin1Char('\''));
    const QString message = QStringLiteral("Fehlerhafte Angabe für \"[Database]: QuoteChar\" in admin.ini");
    ASSERT_EQ(dialogs.asked().size(), 1);
    EXPECT_EQ(dialogs.asked()[0].text, message);
    EXPECT_EQ(dialogs.asked()[0].helpTopic, 1984);
    EXPECT_TRUE(logged.contains(message));
}
