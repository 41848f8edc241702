#include "DocumentsFixture.h"

#include "documents/DesktopDatabase.h"
#include "documents/RegApplList.h"
#include "platform/Errors.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {
// A text editor with actions, the default program for text/plain.
void installEditor()
{
    DocumentsTest::writeDesktopEntry("org.test.Editor.desktop",
        "Type=Application\nName=Editor\nName[de]=Texteditor\nExec=\"/opt/my editor/edit\" --new %F\n"
        "MimeType=text/plain;\nActions=edit;print;window;\n\n"
        "[Desktop Action edit]\nName=Bearbeiten\nExec=\"/opt/my editor/edit\" --edit %f\n\n"
        "[Desktop Action print]\nName=Drucken\nExec=/opt/edit-print %f\n\n"
        "[Desktop Action window]\nName=Neues Fenster\nExec=/opt/edit --window\n");
    DocumentsTest::writeDefaults("text/plain=org.test.Editor.desktop\n");
}

int countOf(const QStringList& list, const QString& value)
{
    return int(list.count(value));
}
} // namespace

TEST(RegApplListHelpersTest, SplitCommandLine)
{
    const struct
    {
        const char* text;
        const char* program;
        const char* parameters;
    } cases[] = {
        {R"("C:\Program Files\Word\winword.exe" /n "%1")", R"(C:\Program Files\Word\winword.exe)", "/n %1"},
        {R"(C:\Program Files\x.exe /a)", R"(C:\Program)", R"(Files\x.exe /a)"},
        {"notepad.exe", "notepad.exe", ""},
        {"shell32.dll,3", "shell32.dll", "3"},
        {R"(C:\icons\a.ico, 2)", R"(C:\icons\a.ico)", "2"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        QString program, parameters;
        SplitCommandLine(c.text, program, parameters);
        EXPECT_EQ(program, c.program) << c.text;
        EXPECT_EQ(parameters, c.parameters) << c.text;
    }
}

TEST(RegApplListHelpersTest, ExpandEnvironment)
{
    qputenv("DX_TEST_VALUE", "abc");
    qunsetenv("DX_TEST_MISSING");
    const struct
    {
        const char* text;
        const char* expanded;
    } cases[] = {{"%DX_TEST_VALUE%\\x", "abc\\x"}, {"%DX_TEST_MISSING%y", "y"}, {"50% off", "50% off"},
        {"%DX_TEST_VALUE%%DX_TEST_VALUE%", "abcabc"}, {"a%%b", "ab"}, {"plain", "plain"}};
    for (const auto& c : cases)
        EXPECT_EQ(ExpandEnvironment(c.text), c.expanded) << c.text;
}

TEST(RegApplListHelpersTest, ExecLinesSplitAndJoinBack)
{
    const struct
    {
        const char* exec;
        QStringList words;
    } cases[] = {
        {R"("/opt/my app/x" --a "b c" %f)", {"/opt/my app/x", "--a", "b c", "%f"}},
        {R"(sh -c "echo \"hi\" \$HOME")", {"sh", "-c", "echo \"hi\" $HOME"}},
        {"  vim   %F ", {"vim", "%F"}},
    };
    for (const auto& c : cases) {
        const QStringList words = DesktopDatabase::splitExec(c.exec);
        EXPECT_EQ(words, c.words) << c.exec;
        EXPECT_EQ(QProcess::splitCommand(DesktopDatabase::joinCommand(words)), words) << c.exec;
    }
}

TEST(RegApplicationInfoTest, TextTypeWithItsDefaultProgram)
{
    installEditor();
    TRegApplicationInfo info;
    ASSERT_TRUE(info.Load(".txt"));
    EXPECT_EQ(info.Extension, ".txt");
    EXPECT_EQ(info.ProgId, "text/plain");
    EXPECT_EQ(info.Caption, "Einfaches Textdokument");
    EXPECT_EQ(info.ShellNewKind, "NullFile") << "a text type without template makes empty files";
    EXPECT_EQ(info.ShellNewValue, "");
    EXPECT_EQ(info.DesktopEntryId, "org.test.Editor.desktop");

    EXPECT_TRUE(info.OpenCommand.VerbExists);
    EXPECT_EQ(info.OpenCommand.Caption, "Texteditor");
    EXPECT_EQ(info.OpenCommand.Application, "/opt/my editor/edit") << "a quoted path with blanks stays whole";
    EXPECT_EQ(info.OpenCommand.Parameters, "--new %F");
    EXPECT_EQ(info.DefaultCommand.Verb, "Open");
    EXPECT_TRUE(info.EditCommand.VerbExists);
    EXPECT_EQ(info.EditCommand.Caption, "Bearbeiten");
    EXPECT_EQ(info.EditCommand.Parameters, "--edit %f");
    EXPECT_EQ(info.PrintCommand.Application, "/opt/edit-print");
    EXPECT_FALSE(info.NewCommand.VerbExists);
    EXPECT_EQ(info.NewCommand.Caption, "New") << "a missing verb is captioned with its name";
    ASSERT_EQ(info.ActionCommands.size(), 1);
    EXPECT_EQ(info.ActionCommands[0].Verb, "window");

    QStringList lines;
    info.PropertiesText(lines);
    EXPECT_EQ(lines.mid(0, 9),
        QStringList({"Caption       : Einfaches Textdokument", "Name          : text/plain", "Fileextension : .txt",
            "CLSID         : ", "Iconfile      : " + info.DefaultIcon, "ShellNew      : NullFile", "",
            "Deafult Cmd   : Open", ""}));
    EXPECT_EQ(lines.mid(9, 4),
        QStringList({"Command Texteditor (Open)", "Application   : /opt/my editor/edit", "Parameter     : --new %F",
            "DDE           : No"}));
    EXPECT_TRUE(lines.contains("Command Bearbeiten (Edit)"));
    EXPECT_FALSE(lines.contains("Command New (New)")) << "blocks only for existing verbs";
}

TEST(RegApplicationInfoTest, NewFileTemplatesFromTheTemplatesFolder)
{
    const QString odt = TestEnv::writeFile("Templates/Neues Dokument.odt", "PK");
    TRegApplicationInfo info;
    ASSERT_TRUE(info.Load(".ODT"));
    EXPECT_EQ(info.ShellNewKind, "FileName");
    EXPECT_EQ(info.ShellNewValue, odt);
    QStringList lines;
    info.PropertiesText(lines);
    EXPECT_TRUE(lines.contains("ShellNew      : FileName = " + odt));

    // The object is reused: every load sets every field anew.
    ASSERT_TRUE(info.Load(".pdf"));
    EXPECT_EQ(info.ShellNewKind, "");
    EXPECT_EQ(info.ShellNewValue, "");
    EXPECT_FALSE(info.OpenCommand.VerbExists) << "no program for PDF files here";
    EXPECT_EQ(info.OpenCommand.Caption, "Open");

    EXPECT_FALSE(info.Load(".zzqx7"));
    EXPECT_FALSE(info.Registered);
    EXPECT_EQ(info.ProgId, "");
    lines.clear();
    info.PropertiesText(lines);
    EXPECT_EQ(lines, QStringList({"(Key \".zzqx7\" is undefined)"}));
}

TEST(ApplicationInfoTest, ExtensionLoadsOnceAndRaisesForUnknownTypes)
{
    TApplicationInfo info;
    try {
        info.setExtension(".zzqx7");
        ADD_FAILURE() << "no error";
    } catch (const DxError& error) {
        EXPECT_EQ(error.message(), "Dateityp \".zzqx7\" ist nicht registriert.");
    }
    EXPECT_EQ(info.Extension(), ".zzqx7") << "the value stays";
    EXPECT_NO_THROW(info.setExtension(".zzqx7")) << "the same value is not loaded again";

    info.setExtension(".txt");
    EXPECT_EQ(info.RegApplInfo().ShellNewKind, "NullFile");
    TestEnv::writeFile("Templates/Notiz.txt", "Vorlage");
    info.setExtension(".txt");
    EXPECT_EQ(info.RegApplInfo().ShellNewKind, "NullFile") << "set twice, loaded once";
    info.setExtension("");
    EXPECT_FALSE(info.RegApplInfo().Registered);
    EXPECT_EQ(info.RegApplInfo().Extension, "");
    info.setExtension(".txt");
    EXPECT_EQ(info.RegApplInfo().ShellNewKind, "FileName");
}

TEST(RegApplicationListTest, FiltersOfTheCatalogue)
{
    installEditor();
    TestEnv::writeFile("Templates/Neu.odt", "PK");
    TRegApplicationList catalogue;
    catalogue.Build();
    const int odt = catalogue.IndexOfExtension(".odt");
    ASSERT_GE(odt, 0) << "a type with a template is a standard type";
    EXPECT_EQ(catalogue.Captions()[odt], "ODT-Dokument");
    EXPECT_EQ(catalogue.ProgIds()[odt], "application/vnd.oasis.opendocument.text");
    EXPECT_EQ(countOf(catalogue.ProgIds(), "text/plain"), 1) << "one entry per type";
    EXPECT_LT(catalogue.IndexOfExtension(".pdf"), 0) << "no template, no text type";
    EXPECT_EQ(catalogue.SmallImages().size(), catalogue.Count());
    EXPECT_EQ(catalogue.LargeImages().size(), catalogue.Count());
    EXPECT_EQ(catalogue.RowHeight(), 20);

    catalogue.IncludeExtensions = QStringList{".PDF"};
    catalogue.IgnoreExtensions = QStringList{".odt"};
    catalogue.Refresh();
    EXPECT_GE(catalogue.IndexOfExtension(".pdf"), 0) << "always listed";
    EXPECT_LT(catalogue.IndexOfExtension(".odt"), 0) << "never listed";

    catalogue.setIgnoreDuplicates(false);
    catalogue.Build();
    EXPECT_GT(countOf(catalogue.ProgIds(), "text/plain"), 1) << "every extension of the type";

    catalogue.IncludeExtensions.clear();
    catalogue.setIgnoreDuplicates(true);
    catalogue.setOnlyDefault(false);
    catalogue.Build();
    EXPECT_EQ(countOf(catalogue.ProgIds(), "text/plain"), 1) << "types with a program";
    EXPECT_LT(catalogue.IndexOfExtension(".pdf"), 0);

    catalogue.AutoUpdateItems = true;
    catalogue.setSmallIcons(false);
    EXPECT_EQ(catalogue.RowHeight(), 36);
    catalogue.setRegApplIndex(catalogue.ProgIds().indexOf("text/plain"));
    EXPECT_EQ(catalogue.RegApplInfo().ProgId, "text/plain");
    QStringList lines;
    catalogue.PropertiesText(lines);
    EXPECT_EQ(lines.value(1), "Name          : text/plain");
    catalogue.setRegApplIndex(-1);
    EXPECT_FALSE(catalogue.RegApplInfo().Registered);
}
