#include "DocumentsFixture.h"

#include "documents/ApplicationList.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "settings/ProgramSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

namespace {
class ApplicationListTest : public testing::Test
{
protected:
    void SetUp() override
    {
        settings.Cfg.CommonFilesPath = TestEnv::home() + "common/";
        programPath = TestEnv::writeFile("program/doxarel",
            "\x7F"
            "ELF");
    }
    std::unique_ptr<TDravonelApplicationList> makeList()
    {
        return std::make_unique<TDravonelApplicationList>(settings, programPath);
    }
    QString iniPath() const { return settings.Cfg.CommonFilesPath + "appl.ini"; }

    ProgramSettings settings;
    QString programPath;
};

// Counts the fillings it gets.
struct CountingClient : TApplicationListClient
{
    int fills = 0;
    QStringList keys;
    void FillFromApplicationList(const TDravonelApplicationList& list) override
    {
        ++fills;
        keys = list.KeyList();
    }
};

QImage defaultImage()
{
    return ApplicationImage("ApplIcoDefault");
}
} // namespace

TEST(KindOfKeyTest, KindsByExactKey)
{
    const struct
    {
        const char* key;
        TDocTypeKind kind;
    } cases[] = {{"", dtkNone}, {"vxtext", dtkNote}, {"url", dtkWebLink}, {"email", dtkEmail}, {"Email", dtkFile},
        {"URL", dtkFile}, {".doc", dtkFile}, {"x", dtkFile}};
    for (const auto& c : cases)
        EXPECT_EQ(KindOfKey(c.key), c.kind) << c.key;
}

TEST(MatchesMaskTest, WildcardsSetsAndCase)
{
    const struct
    {
        const char* text;
        const char* mask;
        bool match;
    } cases[] = {{"Word-Dokument", "word*", true}, {"Word-Dokument", "*dok*", true}, {"Word", "w?rd", true},
        {"Word", "w?d", false}, {"", "*", true}, {"", "?", false}, {"Bild", "[a-c]ild", true},
        {"Bild", "[!a-c]ild", false}, {"Mild", "[!a-c]ild", true}, {"Ärger", "ä*", true}, {"a[b", "a[b", true},
        {"PDF-Dokument", "pdf", false}};
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(QString::fromUtf8(c.text), QString::fromUtf8(c.mask)), c.match)
            << c.text << " ~ " << c.mask;
}

TEST_F(ApplicationListTest, BuiltInTypesAndLookups)
{
    const auto list = makeList();
    ASSERT_EQ(list->Count(), 4);
    EXPECT_EQ(list->KeyList(), QStringList({"", "vxtext", "url", "email"}));
    EXPECT_EQ(list->Entry(1).Caption, "Notiz");
    EXPECT_EQ(list->Entry(2).Caption, "Internet");
    EXPECT_EQ(list->Entry(3).Caption, "EMail");
    EXPECT_EQ(list->Entry(0).ImageIndex, -1);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(list->Entry(i).ImageIndex, i);
    ASSERT_EQ(list->Images().size(), 4);
    for (const QImage& image : list->Images())
        EXPECT_EQ(image.size(), QSize(16, 16));
    EXPECT_NE(list->Images()[1], list->Images()[2]) << "the built-in images are distinct";

    EXPECT_FALSE(list->Exists(""));
    list->Locate("");
    EXPECT_EQ(list->CurrentIndex, 0);
    EXPECT_TRUE(list->Exists("Email"));
    list->Locate("EMAIL");
    EXPECT_EQ(list->CurrentIndex, 3);
    EXPECT_EQ(list->CurrentKey(), "email");
    EXPECT_EQ(list->CurrentKind(), dtkEmail);
    list->Locate(".nix");
    EXPECT_EQ(list->CurrentIndex, -1);
    EXPECT_EQ(list->KeyAt(-1), "");
    EXPECT_EQ(list->CaptionOfKey(".xyz"), ".xyz");
    EXPECT_EQ(list->CaptionOfKey("URL"), "Internet");
    EXPECT_FALSE(list->Delete("url"));
    EXPECT_EQ(list->Count(), 4);
}

TEST_F(ApplicationListTest, AddSavesOnlyUserTypesAndLoadsThemAgain)
{
    {
        const auto list = makeList();
        EXPECT_TRUE(list->Add(".abc", "", "", ""));
        EXPECT_TRUE(list->Add(".def", "Def-Typ", "/nowhere/icon.png,x", "/usr/bin/def"));
        EXPECT_EQ(list->Entry(4).Caption, ".abc-Datei");
        EXPECT_EQ(list->Entry(4).ImageIndex, 4);
        EXPECT_EQ(list->Images()[4], defaultImage()) << "no icon found: the default image";
        EXPECT_THROW(
            try { list->Add(".ABC", "x", "", ""); } catch (const DxError& e) {
                EXPECT_EQ(e.message(), "Application \".ABC\" already exists");
                throw;
            },
            DxError);
        EXPECT_EQ(list->Count(), 6);
    }
    IniFile ini(iniPath());
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.keys("Name"), QStringList({".abc", ".def"})) << "built-in types are never saved";
    EXPECT_EQ(ini.value("Name", ".def"), "Def-Typ");
    EXPECT_EQ(ini.value("Appl", ".def"), "/usr/bin/def");
    EXPECT_EQ(ini.value("Icon", ".def"), "/nowhere/icon.png,x");

    const auto again = makeList();
    ASSERT_EQ(again->Count(), 6);
    EXPECT_EQ(again->Entry(5).Key, ".def");
    EXPECT_EQ(again->Entry(5).ApplicationPath, "/usr/bin/def");
    EXPECT_EQ(again->Entry(5).ImageIndex, 5);
}

TEST_F(ApplicationListTest, LoadsWindows1252FilesWithDefaults)
{
    // Written by the Windows program: Windows-1252, a type without icon, a built-in key and a
    // key that only the "Appl" section knows.
    TestEnv::writeFile(iniPath(),
        "[Name]\n.doc=Microsoft Word-Dokument f\xFCr Briefe\n.txt=\n"
        "url=Web\n[Appl]\n.doc=C:\\Word\\winword.exe\n.odt=nur hier\n[Icon]\n.txt=\n");
    const auto list = makeList();
    ASSERT_EQ(list->Count(), 6);
    EXPECT_EQ(list->Entry(4).Caption, QString::fromUtf8("Microsoft Word-Dokument für Briefe"));
    EXPECT_EQ(list->Entry(4).IconSource, programPath) << "no icon in the file: the program's own";
    EXPECT_EQ(list->Entry(5).Key, ".txt");
    EXPECT_EQ(list->Entry(5).Caption, ".txt");
    EXPECT_EQ(list->Entry(5).IconSource, "");
    EXPECT_EQ(list->CaptionOfKey("url"), "Internet");

    list->Save();
    const QByteArray written = TestEnv::readFile(iniPath());
    EXPECT_TRUE(written.contains(QString::fromUtf8("für").toUtf8())) << "written as UTF-8";
}

TEST_F(ApplicationListTest, DeleteRenumbersTheFollowingTypesAndTheirImages)
{
    const QString red = DocumentsTest::writeThemeIcon("test-red", qRgb(255, 0, 0));
    const QString green = DocumentsTest::writeThemeIcon("test-green", qRgb(0, 255, 0));
    const auto list = makeList();
    list->Add(".a", "A", "", "");
    list->Add(".b", "B", red, "");
    list->Add(".c", "C", "test-green", "");
    ASSERT_EQ(list->Count(), 7);
    EXPECT_EQ(list->Images()[5].pixel(8, 8), qRgb(255, 0, 0)) << "an icon file";
    EXPECT_EQ(list->Images()[6].pixel(8, 8), qRgb(0, 255, 0)) << "a theme icon";
    list->Locate(".c");

    EXPECT_TRUE(list->Delete(".B"));
    ASSERT_EQ(list->Count(), 6);
    EXPECT_EQ(list->Entry(5).Key, ".c");
    EXPECT_EQ(list->Entry(5).ImageIndex, 5);
    EXPECT_EQ(list->Images().size(), 6);
    EXPECT_EQ(list->Images()[5].pixel(8, 8), qRgb(0, 255, 0));
    EXPECT_EQ(list->CurrentKey(), ".c") << "the current type stays current";
    EXPECT_FALSE(list->Delete(".b"));
    IniFile ini(iniPath());
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.keys("Name"), QStringList({".a", ".c"}));
    EXPECT_EQ(ini.value("Icon", ".c"), "test-green");
    (void)green;
}

TEST_F(ApplicationListTest, UpdatingDefersRefreshAndSave)
{
    const auto list = makeList();
    CountingClient client;
    list->AttachControl(&client);
    EXPECT_EQ(client.fills, 1) << "attaching fills";

    list->setUpdating(true);
    list->Add(".a", "A", "", "");
    list->Add(".b", "B", "", "");
    list->Delete(".a");
    EXPECT_TRUE(list->ChangePending());
    EXPECT_EQ(client.fills, 1);
    EXPECT_FALSE(QFile::exists(iniPath()));
    list->setUpdating(false);
    EXPECT_EQ(client.fills, 2) << "one refresh at the end";
    EXPECT_EQ(client.keys.last(), ".b");
    IniFile ini(iniPath());
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.keys("Name"), QStringList({".b"}));

    list->setUpdating(true);
    list->setUpdating(false);
    EXPECT_EQ(client.fills, 2) << "no change, no refresh";

    list->Add(".c", "C", "", "");
    EXPECT_EQ(client.fills, 3) << "outside a batch every change refreshes";
    list->DetachControl(&client);
    list->Delete(".c");
    EXPECT_EQ(client.fills, 3);

    EXPECT_THROW(
        try { list->AttachControl(nullptr); } catch (const DxError& e) {
            EXPECT_EQ(e.message(), "Invalid component type");
            throw;
        },
        DxError);
}

TEST_F(ApplicationListTest, GridColumnShowsCaptionAndImageOfAKey)
{
    const auto list = makeList();
    TApplicationImageColumn column;
    int changes = 0;
    column.Changed = [&] { ++changes; };
    list->AttachControl(&column);
    list->Add(".pdfx", "PDF", "", "");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(column.Values, list->KeyList());
    EXPECT_EQ(column.DescriptionOf(".pdfx"), "PDF");
    EXPECT_EQ(column.DescriptionOf("url"), "Internet");
    EXPECT_EQ(column.DescriptionOf(".none"), ".none");
    EXPECT_EQ(column.ImageOf(".pdfx"), list->Images()[4]);
    EXPECT_TRUE(column.ImageOf(".none").isNull());
}

TEST_F(ApplicationListTest, SaveFailuresRaise)
{
    QDir().mkpath(iniPath()); // a folder where the file should be
    const auto list = makeList();
    EXPECT_EQ(list->Count(), 4);
    EXPECT_THROW(list->Add(".y", "Y", "", ""), IoError);
    EXPECT_TRUE(QFileInfo(iniPath()).isDir());
}

TEST_F(ApplicationListTest, AnUnreadableFileIsNotOverwritten)
{
    TestEnv::writeFile(iniPath(), "[Name]\n.x=X\n");
    QFile::setPermissions(iniPath(), QFileDevice::Permissions());
    if (QFile(iniPath()).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "permissions do not stop this user";
    const auto list = makeList();
    EXPECT_EQ(list->Count(), 4);
    EXPECT_THROW(list->Add(".y", "Y", "", ""), IoError);
    QFile::setPermissions(iniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(TestEnv::readFile(iniPath()), "[Name]\n.x=X\n");
}

TEST_F(ApplicationListTest, ApplNameConditionOnCaptions)
{
    const auto list = makeList();
    list->Add(".doc", "Word-Dokument", "", "");
    list->Add(".dot", "Word-Vorlage", "", "");
    list->Add(".o'k", "Quote", "", "");
    const struct
    {
        const char* pattern;
        const char* condition;
    } cases[] = {
        {"Word-D%", "APPLNAME='.doc'"},
        {"word", "APPLNAME IN ('.doc','.dot')"},
        {"W_rd-V", "APPLNAME='.dot'"},
        {"Quo", "APPLNAME='.o''k'"},
        {"Excel", "APPLNAME LIKE 'Excel%'"},
        {"Ex_el%%", "APPLNAME LIKE 'Ex_el%%'"}, // "***" becomes "**": one pass
        {"", "APPLNAME IN ('','vxtext','url','email','.doc','.dot','.o''k')"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(list->ApplNameCondition(c.pattern), c.condition) << c.pattern;
    settings.QuoteChar = '"';
    EXPECT_EQ(list->ApplNameCondition("Word-D"), "APPLNAME=\".doc\"");
}

TEST_F(ApplicationListTest, EnsureDocumentTypeFromTheDesktop)
{
    DocumentsTest::writeThemeIcon("application-pdf", qRgb(200, 0, 0));
    DocumentsTest::writeThemeIcon("text-plain", qRgb(0, 200, 0));
    DocumentsTest::writeThemeIcon("application-vnd.oasis.opendocument.text", qRgb(0, 0, 200));
    const auto list = makeList();
    const struct
    {
        const char* key;
        const char* caption;
        const char* icon;
        QRgb colour;
    } cases[] = {{".pdf", "PDF-Dokument", "application-pdf", qRgb(200, 0, 0)},
        {".TXT", "Einfaches Textdokument", "text-plain", qRgb(0, 200, 0)},
        {".odt", "ODT-Dokument", "application-vnd.oasis.opendocument.text", qRgb(0, 0, 200)}};
    for (const auto& c : cases) {
        QString key = c.key;
        ASSERT_TRUE(list->EnsureDocumentType(key)) << c.key;
        EXPECT_EQ(key, QString(c.key).toLower());
        const int index = list->IndexOfKey(key);
        ASSERT_GE(index, 4);
        EXPECT_EQ(list->Entry(index).Caption, QString::fromUtf8(c.caption));
        EXPECT_EQ(list->Entry(index).IconSource, c.icon);
        EXPECT_EQ(list->Images()[list->Entry(index).ImageIndex].pixel(8, 8), c.colour);
    }
    EXPECT_EQ(list->Count(), 7);
    QString again = ".PDF";
    EXPECT_TRUE(list->EnsureDocumentType(again));
    EXPECT_EQ(list->Count(), 7) << "an existing type is not added twice";

    for (const char* mail : {".eml", ".MSG"}) {
        QString key = mail;
        EXPECT_TRUE(list->EnsureDocumentType(key));
        EXPECT_EQ(key, "email");
    }
    for (const char* unknown : {".zzqx7", "", "pdf"}) {
        QString key = unknown;
        EXPECT_FALSE(list->EnsureDocumentType(key)) << unknown;
        EXPECT_EQ(key, unknown);
    }
    EXPECT_EQ(list->Count(), 7);
    IniFile ini(list->IniFileName());
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.keys("Name"), QStringList({".pdf", ".txt", ".odt"}));
}
