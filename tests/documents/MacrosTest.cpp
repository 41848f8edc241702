#include "DocumentsFixture.h"

#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "archive/DocumentQuery.h"
#include "documents/Macros.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "platform/db/SqlConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

namespace {
class MacrosTest : public testing::Test
{
protected:
    void SetUp() override
    {
        program = TestEnv::makeFolder("program");
        for (const char* name : {"Default.mdb", "Empty.mdb"})
            QFile::copy(TestEnv::programFolder() + name, program + name);
        dm = std::make_unique<TDModul>(
            TDModul::Environment{program, TestEnv::home() + "common/", "anna", "PC1", &dialogs});
        macros = std::make_unique<TMacroInterpreter>(*dm, shell);
        macros->Wait = [](int) {};
        const QString archive = TestEnv::home() + "Archiv.dva";
        ArchiveSchema(*dm).CreateArchive(archive);
        dm->CurrentArchive.setPath(archive);
        dm->OpenArchive();
        dm->AdoConnectDoc.execute(
            QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME, FILENAME, PROJECT) VALUES "
                           "(7, '.txt', 'Brief', '/home/anna/Kunden/Meier/Brief an Meier.txt', 'A\\B')"));
        select();
    }
    void select(const QString& where = "WHERE DOCID = 7")
    {
        dm->AdoQueryDoc.close();
        dm->AdoQueryDoc.setSql(DocumentQuery::selectLines(where));
        dm->AdoQueryDoc.open();
    }
    QString expand(const QString& text, TMacroInterpreter::Mode mode = TMacroInterpreter::Mode::Full)
    {
        return macros->ExpandMacros(text, mode).value_or("<cancelled>");
    }
    QString log() const { return QString::fromUtf8(TestEnv::readFile(dm->LogFile())); }

    QString program;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    std::unique_ptr<TDModul> dm;
    std::unique_ptr<TMacroInterpreter> macros;
};

const QString kInterpreterError = "Interpreterfehler bei der Auswertung der Api-Anweisung \"%1\".";

TEST_F(MacrosTest, ExpansionOfKeywordsFieldsAndBraces)
{
    const struct
    {
        const char* text;
        const char* expected;
    } cases[] = {
        {"{doc:NAME}", "Brief"},
        {"Name: {doc:name}!", "Name: Brief!"},
        {"{doc:FILENAME,file}", "Brief an Meier.txt"},
        {"{doc:FILENAME,name}", "Brief an Meier"},
        {"{doc:FILENAME,FILEEXT}", "txt"},
        {"{doc:NAME,quoteever}", "\"Brief\""},
        {"{doc:NAME,fillleft0080}", "000Brief"},
        {"{doc:key}", "7"},
        {"{doc:CATEGORY}", ""},
        {"{doc:CATEGORY,quoteever}", ""},
        {"{chr:123}abc{chr:125}", "{abc}"},
        {"{chr:123}doc:NAME{chr:125}", "{doc:NAME}"},
        {"{chr:65}{chr:228}", "Aä"},
        {"{xyz}", "xyz"},
        {"{xyz:b}", "xyz:b"},
        {"{XYZ:a,,}", "XYZ:a,,"},
        {"{doc:{xyz:NAME}}", "Macrovariable \"doc:xyz:NAME\" verweist auf ein nicht vorhandenes Datenfeld"},
        {"{self:doctable}/{self:programname} {self:ProgramNameSuffix}", "DOCUMENT/Dravonel Lumaris"},
        {"{self:username}", "anna"},
        {"{self:unknown}", ""},
        {"{os:unknown}", ""},
        {"{minimizeapplication:x}", "*MinimizeApplication*x"},
        {"{stringreplace:a,b}", ""},
        {"{source:file}", ""},
        {"{wait:5}", ""},
        {"no macros", "no macros"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(expand(c.text), QString::fromUtf8(c.expected)) << c.text;
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
    EXPECT_TRUE(log().contains("V3-Kompatibilität: Macrovariable \"Doc:Key\" durch \"Doc:DocID\" ersetzt"));
}

TEST_F(MacrosTest, SelfAndOsNameTheProgramsFoldersAndTheUser)
{
    EXPECT_EQ(expand("{self:docdb}"), dm->CurrentArchive.FullPath);
    EXPECT_EQ(expand("{self:pathdocdb}"), TestEnv::home());
    EXPECT_EQ(expand("{self:exepath}"), program);
    EXPECT_EQ(expand("{self:commonfilespath}"), TestEnv::home() + "common/");
    EXPECT_EQ(expand("{self:docpath}"), TestEnv::home() + "Dokumente/Dokumente/");
    EXPECT_EQ(expand("{os:myfiles}"), TestEnv::home() + "Dokumente/");
    EXPECT_EQ(expand("{os:username}"), SystemInfo::userName());
    EXPECT_EQ(expand("{os:computername}"), SystemInfo::computerName());
    EXPECT_FALSE(expand("{os:osdir}").endsWith('/'));
    EXPECT_TRUE(expand("{os:desktop}").endsWith('/'));
}

TEST_F(MacrosTest, AValueWithBracesIsExpandedAgain)
{
    // {doc:{os:username}} reads the field named by the user's login name.
    const QString user = SystemInfo::userName().toUpper();
    ASSERT_FALSE(user.isEmpty());
    dm->AdoQueryDoc.close();
    dm->AdoConnectDoc.execute(QStringLiteral("ALTER TABLE DOCUMENT ADD COLUMN [%1] TEXT(20)").arg(user));
    dm->AdoConnectDoc.execute(
        QStringLiteral("UPDATE DOCUMENT SET [%1] = 'gefunden', CATEGORY = '{doc:NAME}'").arg(user));
    select();
    EXPECT_EQ(expand("{doc:{os:username}}"), "gefunden");
    EXPECT_EQ(expand("[{doc:CATEGORY}]"), "[Brief]");
}

TEST_F(MacrosTest, AClosingBraceWithoutOpeningStopsWithTheMessage)
{
    EXPECT_EQ(expand("abc}"), "abc}");
    EXPECT_EQ(expand("{chr:65}x} {doc:NAME}"), "Ax} {doc:NAME}");
    EXPECT_EQ(dialogs.messages(),
        (QStringList{kInterpreterError.arg("abc}"), kInterpreterError.arg("{chr:65}x} {doc:NAME}")}));
    EXPECT_EQ(dialogs.asked().back().helpTopic, 20201);
}

TEST_F(MacrosTest, ErrorsInOneMacroAreReportedAndTheRestGoesOn)
{
    EXPECT_EQ(expand("{chr:abc}-{doc:NAME,fillleftxx0}-{doc:NOSUCH}"),
        "-Brief-Macrovariable \"doc:NOSUCH\" verweist auf ein nicht vorhandenes Datenfeld");
    EXPECT_EQ(dialogs.messages(),
        (QStringList{kInterpreterError.arg("chr:abc"), kInterpreterError.arg("doc:NAME,fillleftxx0")}));
    EXPECT_TRUE(log().contains("Macrovariable \"doc:NOSUCH\" verweist auf ein nicht vorhandenes Datenfeld"));
}

TEST_F(MacrosTest, DeepNestingAndSelfReferencesEndInBoundedTime)
{
    QString nested;
    for (int i = 0; i < 10000; ++i)
        nested += "{a:";
    nested += "x" + QString(10000, '}');
    const QString result = expand(nested);
    EXPECT_EQ(result.size(), 10000 * 2 + 1);
    EXPECT_TRUE(result.startsWith("a:a:a:"));

    // A field whose value names itself would expand for ever.
    dm->AdoQueryDoc.close();
    dm->AdoConnectDoc.execute(QStringLiteral("UPDATE DOCUMENT SET CATEGORY = '{doc:CATEGORY}{doc:CATEGORY}'"));
    select();
    dialogs.clear();
    expand("{doc:CATEGORY}");
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages().front().startsWith("Interpreterfehler"));
}

TEST_F(MacrosTest, FormatsInTheirOrder)
{
    const struct
    {
        const char* value;
        const char* format;
        const char* expected;
    } cases[] = {
        {"", "quoteever", ""},
        {"/home/anna/Brief.txt", "file", "Brief.txt"},
        {"C:\\Daten\\Brief.txt", "FILE", "Brief.txt"},
        {"/home/anna/Brief.alt.txt", "name", "Brief.alt"},
        {"/home/anna/Brief.txt", "fileext", "txt"},
        {"/home/anna/Brief", "fileext", ""},
        {"/home/anna/Brief.txt", "filepath", "/home/anna/"},
        {"/home/anna/Brief.txt", "filedir", "/home/anna"},
        {"C:\\Daten\\Brief.txt", "filedrive", "C:"},
        {"\\\\server\\share\\Brief.txt", "filedrive", "\\\\server\\share"},
        {"/home/anna/Brief.txt", "filedrive", ""},
        {"C:\\Daten\\Kunden\\Brief.txt", "dir", "Daten\\Kunden"},
        {"/home/anna/Brief.txt", "dir", "home/anna"},
        {"/home/anna/Brief.txt", "asunc", "/home/anna/Brief.txt"},
        {"/home/anna/Brief.txt", "short", "/home/anna/Brief.txt"},
        {"Kunden\\Meier", "main", "Kunden"},
        {"Kunden", "main", "Kunden"},
        {"/home/anna", "main", "home"},
        {"a b c", "nospace", "abc"},
        {"a b", "quote", "\"a b\""},
        {"ab", "quote", "ab"},
        {"a \"b\"", "quoteever", "\"a \"\"b\"\"\""},
        {"/home/a?n*a/x.txt", "validate", "/home/ana/x.txt"},
        {"/home/anna/Brief.txt", "fileattr", ""},
        {"Dokumentarchiv", "copychar001004", "Doku"},
        {"Dokumentarchiv", "copychar006005", "entar"},
        {"Dokumentarchiv", "copychar020005", ""},
        {"42", "fillleft0060", "000042"},
        {"42", "fillleft005X", "xxx42"},
        {"123456", "fillleft0040", "123456"},
        {"42", "fillright005-", "42---"},
        {"17.05.2004 09:30:00", "date", "17.05.2004"},
        {"2004-05-17T09:30:00", "time", "09:30:00"},
        {"38124", "date", "17.05.2004"},
        {"Brief", "unknown", "Brief"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(macros->ApplyFormat(QString::fromUtf8(c.value), c.format), QString::fromUtf8(c.expected))
            << c.value << " " << c.format;
    for (const char* bad : {"copychar0a1004", "fillleftabc0", "fillright", "copychar"})
        EXPECT_THROW(macros->ApplyFormat("Brief", bad), DxError) << bad;
    EXPECT_THROW(macros->ApplyFormat("kein Datum", "date"), DxError);
}

TEST_F(MacrosTest, FolderLevels)
{
    const QString file = TestEnv::writeFile("Archiv/Kunden/Meier/Brief.doc", "x");
    const QString base = QString(TestEnv::home()).mid(1).replace('/', '\\') + "Archiv\\Kunden\\Meier";
    const int n = int(base.split('\\').size());
    EXPECT_EQ(macros->ApplyFormat(file, "dirpart,-1"), "Meier");
    EXPECT_EQ(macros->ApplyFormat(file, QStringLiteral("dirpart,%1").arg(n - 1)), "Kunden");
    EXPECT_EQ(macros->ApplyFormat(file, "dirpart,-3,-2"), "Archiv\\Kunden");
    const struct
    {
        const char* format;
        const char* expected;
    } cases[] = {
        {"dirpart,2", "Kunden"},
        {"dirpart,-1", "Meier"},
        {"dirpart,1,2", "Archiv\\Kunden"},
        {"dirpart,3,1", "Archiv\\Kunden\\Meier"},
        {"dirpart,0,99", "Archiv\\Kunden\\Meier"},
        {"dirpart,-9", "Archiv"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(macros->ApplyFormat("Archiv\\Kunden\\Meier", c.format), c.expected) << c.format;
    EXPECT_TRUE(dialogs.messages().isEmpty());

    const QString formatError = "Fehler in Makro-Formatparameter \"DirPart\"";
    EXPECT_EQ(macros->ApplyFormat("Archiv\\Kunden", "dirpart,x"), "Archiv");
    EXPECT_EQ(macros->ApplyFormat("\\\\", "dirpart,1"), "");
    EXPECT_EQ(dialogs.messages(), (QStringList{formatError, formatError}));
}

TEST_F(MacrosTest, CounterFiles)
{
    const QString path = TestEnv::home() + "zaehler/neu/nummer.txt";
    EXPECT_EQ(expand("{readlnfile:" + path + ",+1}"), "1");
    EXPECT_EQ(expand("{readlnfile:" + path + ",+1}"), "2");
    EXPECT_EQ(expand("{readlnfile:" + path + ",+1}"), "3");
    EXPECT_EQ(TestEnv::readFile(path), "4\n");
    EXPECT_EQ(expand("{readlnfile:" + path + "}"), "4");
    EXPECT_EQ(expand("{readlnfile:" + path + ",A-7}"), "4");
    EXPECT_EQ(TestEnv::readFile(path), "A-7\n");
    EXPECT_EQ(expand("{readlnfile:" + TestEnv::home() + "leer.txt}"), "");
    EXPECT_TRUE(QFileInfo::exists(TestEnv::home() + "leer.txt"));
    EXPECT_TRUE(dialogs.messages().isEmpty());

    const QString folder = TestEnv::makeFolder("ordner");
    EXPECT_EQ(expand("{readlnfile:" + folder + ",+1}"), "");
    EXPECT_EQ(dialogs.messages(), QStringList{kInterpreterError.arg("readlnfile:" + folder + ",+1")});
}

TEST_F(MacrosTest, AdminIniCounters)
{
    EXPECT_EQ(expand("{readadminini:Nummer,+1}"), "1");
    EXPECT_EQ(expand("{readadminini:Nummer,+5}"), "2");
    IniFile ini(program + "admin.ini");
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.value("Macro_ReadAdminIni", "Nummer"), "7");
    EXPECT_EQ(expand("{readadminini:Text,Hallo}"), "");
    EXPECT_EQ(expand("{readadminini:Text}"), "Hallo");
    EXPECT_EQ(expand("{readadminini:Text}"), "");
    EXPECT_EQ(expand("{readadminini:Text,abc}{readadminini:Text,+1}"), "");
    EXPECT_EQ(dialogs.messages(), QStringList{kInterpreterError.arg("readadminini:Text,+1")});

    // The section of the common admin.ini is read by "adminini".
    TestEnv::writeFile("common/admin.ini", "[Document]\nStandard=Wert\n");
    EXPECT_EQ(expand("{adminini:Document,Standard}"), "Wert");
    EXPECT_EQ(expand("{adminini:Document,Missing}"), "Fehler: AdminiINI");
}

TEST_F(MacrosTest, AdminIniCountersOfAReadOnlyProgramFolderGoToTheDataFolder)
{
    PlatformTest::UnwritableFolder locked(program);
    if (!locked.effective())
        GTEST_SKIP() << "the file system ignores the permissions";
    EXPECT_EQ(expand("{readadminini:Nummer,+1}"), "1");
    EXPECT_EQ(expand("{readadminini:Nummer,+1}"), "2");
    EXPECT_FALSE(QFileInfo::exists(program + "admin.ini"));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(MacrosTest, IdentifierCounters)
{
    EXPECT_EQ(expand("{readidentno:Rechnung neu}"), "1");
    EXPECT_EQ(expand("{readidentno:rechnung neu,fillleft0050}"), "00002");
    SqlRecordSet counter(&dm->AdoConnectDoc);
    counter.setSql("SELECT * FROM IDENTNO WHERE IDNAME = 'MACRO_RECHNUNG_NEU'");
    counter.open();
    EXPECT_FALSE(counter.isEmpty());
}

TEST_F(MacrosTest, DialogsAnswerOrCancelTheExpansion)
{
    dialogs.queueText("/tmp/Eingang/Rechnung 7.pdf");
    EXPECT_EQ(expand("{execopendlg:PDF-Dateien|*.pdf,file}|{opendlg:filepath}|{opendlg:dirpart,1}"),
        "Rechnung 7.pdf|/tmp/Eingang/|tmp");
    EXPECT_EQ(dialogs.asked().back().title, "Datei importieren");

    dialogs.queueText("Meier");
    EXPECT_EQ(expand("Kunde {execinputquery:Kundenname}"), "Kunde Meier");
    EXPECT_EQ(dialogs.asked().back().title, "Eingabe");
    EXPECT_EQ(dialogs.asked().back().text, "Kundenname");

    dialogs.queueText("/srv/ablage");
    EXPECT_EQ(expand("{execdirdlg:Ordner wählen}"), "/srv/ablage/");

    // A cancelled dialog ends the expansion at once; nothing after it is evaluated.
    const QString counter = TestEnv::home() + "cancel.txt";
    for (const QString text : {"{execopendlg:*.txt}{readlnfile:%1,+1}", "{execsavedlg:*.txt}{readlnfile:%1,+1}",
             "{execinputquery:Name}{readlnfile:%1,+1}", "{messagedlg:Weiter?}{readlnfile:%1,+1}",
             "{execdirdlg:Ordner}{readlnfile:%1,+1}", "{execprintdlg}{readlnfile:%1,+1}"}) {
        EXPECT_FALSE(macros->ExpandMacros(text.arg(counter))) << text.toStdString();
        EXPECT_TRUE(macros->AbortFlag);
        EXPECT_FALSE(QFileInfo::exists(counter));
    }
    EXPECT_EQ(expand("{doc:NAME}"), "Brief");
    EXPECT_FALSE(macros->AbortFlag);

    dialogs.queueButton(Dialogs::Ok);
    EXPECT_EQ(expand("{messagedlg:Weiter?}ja"), "ja");

    QString printer;
    macros->ChoosePrinter = [] { return std::optional<QString>("Buero"); };
    macros->SetDefaultPrinter = [&](const QString& name) {
        printer = name;
        return true;
    };
    EXPECT_EQ(expand("{execprintdlg}gedruckt"), "gedruckt");
    EXPECT_EQ(printer, "Buero");
}

TEST_F(MacrosTest, FilesCopiedAndDeleted)
{
    const QString source = TestEnv::writeFile("Brief.txt", "Inhalt");
    dm->AdoQueryDoc.close();
    dm->AdoConnectDoc.execute(QStringLiteral("UPDATE DOCUMENT SET FILENAME = '%1'").arg(source));
    select();
    const QString target = TestEnv::home() + "Kopie.txt";
    expand("{copydocfile:" + target + "}");
    EXPECT_EQ(TestEnv::readFile(target), "Inhalt");
    TestEnv::writeFile("Kopie.txt", "alt");
    expand("{copydocfile:" + target + "}"); // the question is answered No
    EXPECT_EQ(TestEnv::readFile(target), "alt");
    EXPECT_EQ(dialogs.messages().back(), "Soll die Datei \"" + target + "\" überschrieben werden?");

    expand("{deletefile:" + target + "}"); // the trash question is answered No
    EXPECT_TRUE(shell.calls().isEmpty());
    expand("{deletefile:" + target + ",NoConfirm}");
    ASSERT_EQ(shell.calls().size(), 1);
}

TEST_F(MacrosTest, RestrictedModeLeavesEverythingWithEffectsAsWritten)
{
    const QString victim = TestEnv::writeFile("wichtig.txt", "x");
    const QString counter = TestEnv::home() + "zaehler.txt";
    const QString text = "{deletefile:" + victim + ",noconfirm}{readlnfile:" + counter
        + ",+1}{execinputquery:Wer?}{vxapi:setautorun,1}|{doc:NAME}|{chr:65}|{self:doctable}";
    EXPECT_EQ(expand(text, TMacroInterpreter::Mode::Restricted),
        "{deletefile:" + victim + ",noconfirm}{readlnfile:" + counter
            + ",+1}{execinputquery:Wer?}{vxapi:setautorun,1}|Brief|A|DOCUMENT");
    EXPECT_TRUE(shell.calls().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(counter));
    EXPECT_TRUE(dialogs.asked().isEmpty());
    EXPECT_TRUE(log().contains("{deletefile:" + victim + ",noconfirm}"));
}

TEST_F(MacrosTest, ACancelledMacroCancelsItsStatement)
{
    dm->ExpandLine = [this](const QString& line) { return macros->ExpandMacros(line); };
    DocumentQuery runner(*dm);
    ASSERT_TRUE(runner.RunSelect("WHERE DOCID = 7"));
    const QStringList current = dm->AdoQueryDoc.sql();
    // Without the rule the second line would run with the first line's text.
    EXPECT_FALSE(runner.ExecuteDocQuery({"DELETE FROM DOCUMENT", "WHERE NAME = '{execinputquery:Name}'"}));
    EXPECT_FALSE(runner.RunSelect("WHERE NAME = '{execinputquery:Name}'"));
    EXPECT_EQ(dm->AdoQueryDoc.sql(), current);
    EXPECT_EQ(dm->AdoQueryDoc.integer("DOCID"), 7);
    EXPECT_TRUE(dialogs.messages().isEmpty());

    dialogs.queueText("Brief");
    ASSERT_TRUE(runner.RunSelect("WHERE NAME = '{execinputquery:Name}'"));
    EXPECT_EQ(dm->AdoQueryDoc.recordCount(), 1);
}

TEST_F(MacrosTest, ApiCommandsAndTheCommandPrompt)
{
    const struct
    {
        const char* typed;
        const char* expected;
    } prompts[] = {
        {"ListMainMenuEntries", "{VxAPI:ListMainMenuEntries}"},
        {"CreateTestDocs,10", "{VxAPI:CreateTestDocs,10}"},
        {"VxAPI:SetAutorun,1", "{VxAPI:SetAutorun,1}"},
        {"{doc:NAME}", "{doc:NAME}"},
        {"{ActDocOpen}", "{VxAPI:ActDocOpen}"},
    };
    for (const auto& p : prompts)
        EXPECT_EQ(TMacroInterpreter::CommandPromptText(p.typed), p.expected) << p.typed;

    QStringList ran;
    macros->Actions = {
        {"ActDocOpen", "Dokument", "Ö&ffnen", [&] { ran << "open"; }},
        {"ActFileDbOpen", "Datei", "Archiv ö&ffnen...", [&] { ran << "archive"; }},
        {"ActFileDbOpen", "Datei", "Archiv ö&ffnen...", [&] { ran << "again"; }},
        {"ActHelp", "", "&Hilfe", nullptr},
    };
    int testDocs = -1;
    macros->CreateTestDocs = [&](int count) { testDocs = count; };
    QString shownCaption, shownText;
    macros->ShowText = [&](const QString& caption, const QString& text) {
        shownCaption = caption;
        shownText = text;
    };

    dialogs.queueText("actdocopen");
    macros->RunCommandPrompt();
    EXPECT_EQ(dialogs.asked().back().title, "Befehlsinterpreter");
    EXPECT_EQ(dialogs.asked().back().text, "Geben Sie einen Befehl ein");
    EXPECT_EQ(dialogs.asked().back().preset, "VxAPI:ListMainMenuEntries");
    dialogs.queueText("CreateTestDocs,12");
    macros->RunCommandPrompt();
    dialogs.queueText("");
    macros->RunCommandPrompt();
    macros->RunCommandPrompt(); // cancelled
    expand("{vxapi:NoSuchAction}");
    EXPECT_EQ(ran, QStringList{"open"});
    EXPECT_EQ(testDocs, 12);

    expand("{vxapi:CreateTestDocs,zwölf}");
    EXPECT_EQ(testDocs, 12);
    EXPECT_EQ(dialogs.messages(), QStringList{kInterpreterError.arg("vxapi:CreateTestDocs,zwölf")});

    const QString autostart = TestEnv::home() + ".config/autostart/VexilonPro.desktop";
    macros->ExeName = "/opt/doxarel/doxarel";
    expand("{VxAPI:SetAutorun,1}");
    EXPECT_TRUE(TestEnv::readFile(autostart).contains("/opt/doxarel/doxarel"));
    expand("{VxAPI:SetAutorun,nein}");
    EXPECT_FALSE(QFileInfo::exists(autostart));

    dialogs.queueText("ListMainMenuEntries");
    macros->RunCommandPrompt();
    EXPECT_EQ(shownCaption, "Dravonel Menüeinträge");
    const QString rule(56, '-');
    EXPECT_EQ(shownText.split('\n'),
        (QStringList{"ACHTUNG: Führen Sie die API-Befehle nicht unüberlegt aus!", rule,
            QString("Menüeinträge").leftJustified(37) + "API-Befehl", rule,
            QString("Datei.Archiv öffnen...").leftJustified(37) + ": ActFileDbOpen",
            QString("Dokument.Öffnen").leftJustified(37) + ": ActDocOpen",
            QString("Hilfe").leftJustified(37) + ": ActHelp"}));
}
} // namespace
