#include "DocumentsFixture.h"

#include "archive/DataMod.h"
#include "documents/Document.h"
#include "platform/Dialogs.h"
#include "platform/FileOperations.h"
#include "platform/Shell.h"
#include "platform/db/SqlConnection.h"
#include "platform/db/SqlRecordSet.h"
#include "settings/ProgramSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

namespace {
class DocumentTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dm = std::make_unique<TDModul>(
            TDModul::Environment{TestEnv::makeFolder("program"), TestEnv::home() + "common/", "anna", "PC1", &dialogs});
        db.create(TestEnv::home() + "test.dva");
        db.execute("CREATE TABLE DOCUMENT (DOCID INTEGER NOT NULL, NAME TEXT(20), PROJECT TEXT(100), "
                   "FILENAME TEXT(250), APPLNAME TEXT(30), PRIMARY KEY (DOCID))");
        records.setConnection(&db);
        records.setSql("SELECT * FROM DOCUMENT");
        records.open();
    }

    // A new record in insert state, as the record rules see it before saving.
    void insert(qint64 id, const QString& name, const QString& type, const QString& project = {},
        const QString& file = "[automatisch]")
    {
        records.append();
        records.setInteger("DOCID", id);
        records.setText("NAME", name);
        records.setText("PROJECT", project);
        records.setText("APPLNAME", type);
        records.setText("FILENAME", file);
    }
    // A saved record standing on a file.
    QString saved(qint64 id, const QString& name, const QString& type, const QString& file)
    {
        insert(id, name, type, {}, file);
        records.post();
        return file;
    }
    TDravonelDocument document() { return TDravonelDocument(*dm, settings, shell, records); }
    QString docs() const { return TestEnv::home() + "Dokumente/Dokumente/"; }

    ScriptedDialogs dialogs;
    std::unique_ptr<TDModul> dm;
    ProgramSettings settings;
    RecordingShell shell;
    SqlConnection db;
    SqlRecordSet records;
};

// Records what the progress window is told.
struct RecordingProgress : ProgressSink
{
    QStringList titles;
    int maximum = 0;
    int position = 0;
    void setTitle(const QString& title) override { titles.append(title); }
    void setMaximum(int m) override { maximum = m; }
    void setPosition(int p) override { position = p; }
    void setText(const QString&) override { }
    bool cancelled() override { return false; }
};
} // namespace

TEST_F(DocumentTest, AutomaticFileNamesFromNameAndProject)
{
    insert(1, "Brief/An?Meier", ".txt", "Kunden\\Meier");
    auto first = document();
    ASSERT_TRUE(first.CreateFile());
    const QString expected = docs() + "Kunden/Meier/BriefAnMeier.txt";
    EXPECT_EQ(records.text("FILENAME"), expected);
    EXPECT_TRUE(QFileInfo(expected).isFile());
    EXPECT_EQ(QFileInfo(expected).size(), 0) << "a text type without template: an empty file";
    records.post();

    insert(2, "Brief/An?Meier", ".txt", "Kunden\\Meier");
    ASSERT_TRUE(document().CreateFile());
    EXPECT_EQ(records.text("FILENAME"), docs() + "Kunden/Meier/BriefAnMeier1.txt");
    records.post();

    const struct
    {
        qint64 id;
        const char* name;
        const char* project;
        const char* type;
        const char* file;
        QString expected;
    } cases[] = {
        {7,
            "?"
            "?//",
            "", ".txt", "[automatisch]", "7.txt"},
        {8, "Plan", "..\\..\\Privat\\.", ".txt", "[automatisch]", "Privat/Plan.txt"},
        {9, "Brief v1.2", "", ".txt", "[automatisch]Vorlage.rtf", "Brief v12.rtf"},
        {10, "Mail", "", "email", "[automatisch]", "Mail.eml"},
    };
    for (const auto& c : cases) {
        insert(c.id, c.name, c.type, c.project, c.file);
        EXPECT_TRUE(document().CreateFile()) << c.name;
        EXPECT_EQ(records.text("FILENAME"), docs() + c.expected) << c.name;
        records.cancel();
    }
}

TEST_F(DocumentTest, TemplatesAreCopied)
{
    TestEnv::writeFile("Templates/Brief.odt", "PK odt template");
    insert(1, "Angebot", ".odt");
    ASSERT_TRUE(document().CreateFile());
    EXPECT_EQ(TestEnv::readFile(records.text("FILENAME")), "PK odt template");
    records.post();

    // The copy command names the source of the new file.
    const QString source = TestEnv::writeFile("alt/Quelle.odt", "the old document");
    insert(2, "Kopie", ".odt");
    auto copy = document();
    copy.TemplatePath = source;
    ASSERT_TRUE(copy.CreateFile());
    EXPECT_EQ(TestEnv::readFile(records.text("FILENAME")), "the old document");
    EXPECT_TRUE(dialogs.messages().isEmpty());

    // An existing file is left as it is.
    records.cancel();
    insert(3, "Da", ".odt", {}, source);
    EXPECT_TRUE(document().CreateFile());
    EXPECT_EQ(records.text("FILENAME"), source);
    EXPECT_EQ(TestEnv::readFile(source), "the old document");
}

TEST_F(DocumentTest, AVanishedTemplateGivesTheMessageAndAnEmptyFile)
{
    const QString vanishing = TestEnv::writeFile("Templates/Leer.odt", "PK");
    insert(1, "Angebot", ".odt");
    auto doc = document();
    ASSERT_EQ(doc.ApplInfo.RegApplInfo().ShellNewKind, "FileName");
    QFile::remove(vanishing);
    ASSERT_TRUE(doc.CreateFile());
    EXPECT_EQ(QFileInfo(records.text("FILENAME")).size(), 0);
    EXPECT_EQ(doc.TemplatePath, "NullFile");
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages()[0],
        QString("Standard-Dokumentvorlage \"%1\" nicht gefunden. Um dieses Problem zukünftig zu vermeiden, sollten Sie "
                "mit dem Anwendungsprogramm \"ODT-Dokument\" ein lerres Dokument unter dem Dateinamen \"%1\" "
                "speichern.")
            .arg(vanishing));
}

TEST_F(DocumentTest, UnknownTypesGetEmptyFilesAndAnUnnamedFilter)
{
    insert(1, "Daten", ".zzqx7");
    auto doc = document();
    EXPECT_EQ(doc.FileFilter(), " (*.zzqx7)|*.zzqx7");
    ASSERT_TRUE(doc.CreateFile());
    EXPECT_EQ(records.text("FILENAME"), docs() + "Daten.zzqx7");
    records.cancel();

    insert(2, "Web", "url", {}, "https://example.org");
    EXPECT_EQ(document().FileFilter(), "Alle Dateien (*.*)|*.*");
}

TEST_F(DocumentTest, AFolderWithoutWriteAccessMakesNoFile)
{
    const QString folder = TestEnv::makeFolder("Dokumente/Dokumente");
    PlatformTest::UnwritableFolder locked(folder);
    if (!locked.effective())
        GTEST_SKIP() << "the file system lets this user write anyway";
    insert(1, "Brief", ".txt");
    EXPECT_FALSE(document().CreateFile());
    EXPECT_FALSE(QFileInfo::exists(folder + "Brief.txt"));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(
        dialogs.messages()[0].startsWith("Die Datei \"" + folder + "Brief.txt\" konnte nicht angelegt werden."));
}

TEST_F(DocumentTest, FileMakerUsesTheCurrentDocumentsTemplate)
{
    const QString source = TestEnv::writeFile("alt/Quelle.txt", "Inhalt");
    insert(1, "Kopie", ".txt");
    auto current = document();
    current.TemplatePath = source;
    TDocumentFileMaker maker(*dm, settings, shell);
    maker.CurrentDocument = &current;
    maker.ensureFile(records);
    EXPECT_EQ(TestEnv::readFile(records.text("FILENAME")), "Inhalt");
    records.post();

    maker.CurrentDocument = nullptr;
    insert(2, "Neu", ".txt");
    maker.ensureFile(records);
    EXPECT_EQ(records.text("FILENAME"), docs() + "Neu.txt");
    EXPECT_TRUE(QFileInfo::exists(docs() + "Neu.txt"));
}

TEST_F(DocumentTest, KindsDecideWhatCanBeOpened)
{
    const QString file = TestEnv::writeFile("a.txt", "x");
    const struct
    {
        const char* type;
        QString file;
        bool canOpen;
    } cases[] = {{"vxtext", "(internes Dokument)", true}, {"url", "https://example.org", true}, {".txt", file, true},
        {".txt", TestEnv::home() + "missing.txt", false}, {"email", file, true},
        {"email", TestEnv::home() + "missing.eml", false}, {"", file, false}};
    qint64 id = 1;
    for (const auto& c : cases) {
        insert(id++, "x", c.type, {}, c.file);
        EXPECT_EQ(document().CanOpen(), c.canOpen) << c.type << " " << c.file.toStdString();
        records.cancel();
    }
}

TEST_F(DocumentTest, OpenPrintAndPreviewGoThroughTheShell)
{
    const QString file = saved(1, "Brief", ".txt", TestEnv::writeFile("Brief.txt", "x"));
    auto doc = document();
    TDravonelDocument::DocumentOpened = false;
    doc.Open();
    EXPECT_TRUE(TDravonelDocument::DocumentOpened);
    EXPECT_TRUE(doc.Print());
    shell.setResult(RecordingShell::Operation::Print, false);
    EXPECT_FALSE(doc.Print()) << "the shell's answer is the result";
    ASSERT_EQ(shell.calls().size(), 3);
    EXPECT_EQ(shell.calls()[0].operation, RecordingShell::Operation::Open);
    EXPECT_EQ(shell.calls()[0].arguments.value(0), file);
    EXPECT_EQ(shell.calls()[1].operation, RecordingShell::Operation::Print);

    settings.ApplCfg.PreviewExe = TestEnv::home() + "viewer";
    EXPECT_FALSE(doc.Preview());
    EXPECT_EQ(
        dialogs.messages().value(0), "Das Vorschauprogramm \"" + TestEnv::home() + "viewer\" wurde nicht gefunden.");
    TestEnv::writeFile("viewer", "#!/bin/sh\n");
    shell.clear();
    EXPECT_TRUE(doc.Preview());
    ASSERT_EQ(shell.calls().size(), 1);
    EXPECT_EQ(shell.calls()[0].operation, RecordingShell::Operation::OpenWith);
    EXPECT_EQ(shell.calls()[0].arguments, QStringList({TestEnv::home() + "viewer", file}));
}

TEST_F(DocumentTest, NotesGoToTheNoteEditor)
{
    saved(1, "Notiz", "vxtext", "(internes Dokument)");
    QStringList verbs;
    TDravonelDocument::setNoteVerbHandler([&](TDravonelDocument&, const QString& verb) { verbs.append(verb); });
    auto doc = document();
    EXPECT_FALSE(doc.ShellVerb("open"));
    EXPECT_FALSE(doc.Print());
    TDravonelDocument::setNoteVerbHandler({});
    EXPECT_EQ(verbs, QStringList({"open", "print"}));
    EXPECT_TRUE(shell.calls().isEmpty());
}

TEST_F(DocumentTest, OpenWithOffersTheTypesProgramsOrAProgramPicker)
{
    DocumentsTest::writeDesktopEntry(
        "org.test.Editor.desktop", "Type=Application\nName=Editor\nExec=/opt/edit %F\nMimeType=text/plain;\n");
    const QString file = saved(1, "Brief", ".txt", TestEnv::writeFile("Brief.txt", "Hallo"));
    QStringList offered;
    TDravonelDocument::setOpenWithHandler(
        [&](const QString&, const QList<const DesktopDatabase::DesktopEntry*>& programs) -> std::optional<QString> {
            for (const auto* program : programs)
                offered.append(program->id);
            return programs.isEmpty() ? std::nullopt : std::optional<QString>(programs.first()->exec);
        });
    EXPECT_TRUE(document().OpenWith());
    EXPECT_TRUE(offered.contains("org.test.Editor.desktop"));
    ASSERT_EQ(shell.calls().size(), 1);
    EXPECT_EQ(shell.calls()[0].arguments, QStringList({"/opt/edit %F", file}));
    TDravonelDocument::setOpenWithHandler({});
    EXPECT_FALSE(document().OpenWith()) << "no window to choose with";

    // A web address: the program picker, remembered in the settings.
    saved(2, "Web", "url", "https://example.org");
    shell.clear();
    dialogs.queueText(std::nullopt);
    EXPECT_FALSE(document().OpenWith());
    dialogs.queueText("/usr/bin/browser");
    EXPECT_TRUE(document().OpenWith());
    EXPECT_EQ(settings.ApplCfg.OpenWithExe, "/usr/bin/browser");
    ASSERT_EQ(shell.calls().size(), 1);
    EXPECT_EQ(shell.calls()[0].arguments, QStringList({"/usr/bin/browser", "https://example.org"}));
    EXPECT_EQ(dialogs.asked().last().title, "Anwendung öffnen");
    dialogs.queueText(std::nullopt);
    document().OpenWith();
    EXPECT_EQ(dialogs.asked().last().preset, "/usr/bin/browser") << "starts at the program chosen before";
}

TEST_F(DocumentTest, RenameKeepsTheExtensionAndStoresTheName)
{
    const QString old = saved(1, "Brief", ".txt", TestEnv::writeFile("docs/Brief.txt", "x"));
    auto doc = document();
    EXPECT_TRUE(doc.Rename("Antwort.doc"));
    const QString renamed = TestEnv::home() + "docs/Antwort.txt";
    EXPECT_TRUE(QFileInfo::exists(renamed));
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_EQ(records.text("FILENAME"), renamed);
    EXPECT_EQ(records.text("NAME"), "Antwort");
    EXPECT_EQ(records.state(), SqlRecordSet::State::Browse);

    EXPECT_TRUE(doc.Rename("ANTWORT")) << "other letter case only: nothing changes";
    EXPECT_TRUE(QFileInfo::exists(renamed));

    dialogs.queueText("Abschied");
    EXPECT_TRUE(doc.Rename());
    EXPECT_EQ(dialogs.asked().last().title, "Umbenennen");
    EXPECT_EQ(dialogs.asked().last().text, "Neuer Dokumentname");
    EXPECT_EQ(dialogs.asked().last().preset, "Antwort");
    EXPECT_EQ(records.text("FILENAME"), TestEnv::home() + "docs/Abschied.txt");

    dialogs.queueText(std::nullopt);
    EXPECT_TRUE(doc.Rename()) << "cancelling keeps the name";
    EXPECT_EQ(records.text("NAME"), "Abschied");
}

TEST_F(DocumentTest, RenameRefusesTakenAndInvalidNames)
{
    saved(1, "Brief", ".txt", TestEnv::writeFile("docs/Brief.txt", "mine"));
    const QString other = TestEnv::writeFile("docs/Rechnung.txt", "another document");
    auto doc = document();
    for (const char* name : {"Rechnung", "sub/dir", "  ", "a|b"}) {
        dialogs.clear();
        EXPECT_FALSE(doc.Rename(name)) << name;
        EXPECT_EQ(dialogs.messages().size(), 1) << name;
    }
    EXPECT_EQ(TestEnv::readFile(other), "another document");
    EXPECT_EQ(TestEnv::readFile(TestEnv::home() + "docs/Brief.txt"), "mine");
    EXPECT_EQ(records.text("NAME"), "Brief");
}

TEST_F(DocumentTest, RenameGivesTheFileItsNameBackWhenTheRecordCannotStoreIt)
{
    const QString old = saved(1, "Brief", ".txt", TestEnv::writeFile("docs/Brief.txt", "x"));
    auto doc = document();
    // NAME holds at most 20 characters: the new name cannot be stored.
    EXPECT_FALSE(doc.Rename("Ein viel zu langer Dokumentname"));
    EXPECT_TRUE(QFileInfo::exists(old)) << "the file has its old name again";
    EXPECT_FALSE(QFileInfo::exists(TestEnv::home() + "docs/Ein viel zu langer Dokumentname.txt"));
    EXPECT_EQ(records.state(), SqlRecordSet::State::Browse);
    EXPECT_EQ(records.text("FILENAME"), old);
    EXPECT_EQ(records.text("NAME"), "Brief");
    ASSERT_FALSE(dialogs.messages().isEmpty());
    EXPECT_EQ(dialogs.messages().last(), "Fehler beim Speichern von \"Name,FileName\" in Tabelle \"DOCUMENT\".");
}

TEST_F(DocumentTest, DeleteRemovesRecordAndFile)
{
    const QString file = saved(1, "Brief", ".txt", TestEnv::writeFile("Brief.txt", "x"));
    const QString kept = saved(2, "Behalten", ".txt", TestEnv::writeFile("Behalten.txt", "x"));
    records.first();
    auto doc = document();
    doc.Delete(true);
    EXPECT_EQ(doc.State, 2);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(records.recordCount(), 1);
    records.first();
    document().Delete(false);
    EXPECT_TRUE(QFileInfo::exists(kept));
    EXPECT_EQ(records.recordCount(), 0);
}

// --- file helpers -------------------------------------------------------------------------

TEST(FileNameHelpersTest, CleanFileName)
{
    const struct
    {
        const char* text;
        bool namePart;
        const char* cleaned;
    } cases[] = {
        {"Brief/An?Meier", true, "BriefAnMeier"},
        {"a[b]c;d\"e<f>g|h*i=j", true, "abcdefghij"},
        {"C:\\Kunden\\Meier.v2", true, "CKundenMeierv2"},
        {"Zeile\nzwei", true, "Zeilezwei"},
        {"Kunden\\\\Meier\\Brief?", false, "Kunden/Meier/Brief"},
        {"/home/a//b/c.txt", false, "/home/a/b/c.txt"},
        {"\\\\server\\share\\x", false, "//server/share/x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CleanFileName(c.text, c.namePart), c.cleaned) << c.text;
    EXPECT_EQ(CleanFileName(QString(300, 'a'), true).size(), 255);
}

TEST(FileNameHelpersTest, ValidNamesExtensionsAndFilters)
{
    const struct
    {
        const char* path;
        bool valid;
    } cases[] = {{"/home/a/Brief.txt", true}, {"Brief.txt", true}, {"", false}, {"   ", false}, {"/home/a/", false},
        {"/home/a/b:c.txt", false}, {"/home/a\\b", false}, {"/home//a.txt", false}, {"//server/a.txt", true},
        {"/a/b?.txt", false}, {"/a/\"b\".txt", false}, {"/a/b|c", false}, {"/a/..", false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsValidFileName(c.path), c.valid) << c.path;

    EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
    EXPECT_EQ(ExtractFileExt("/a/c.tar.gz"), ".gz");
    EXPECT_EQ(ChangeFileExt("/a.b/c", ".txt"), "/a.b/c.txt");
    EXPECT_EQ(ChangeFileExt("/a/c.doc", ""), "/a/c");

    const QString filter = "Word (*.doc)|*.doc;*.dot|Alle Dateien (*.*)|*.*";
    EXPECT_EQ(FilterExtension(filter, 0), "doc");
    EXPECT_EQ(FilterExtension(filter, 1), "*");
    EXPECT_EQ(FilterExtension(filter, 5), "");
    const auto filters = FileFilterList(filter);
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters[0].caption, "Word (*.doc)");
    EXPECT_EQ(filters[0].pattern, "*.doc;*.dot");
}

TEST(FileNameHelpersTest, UniqueNamesAndSameFiles)
{
    const QString first = TestEnv::writeFile("u/name.doc", "1");
    EXPECT_EQ(MakeUniqueFileName(TestEnv::home() + "u/free.doc"), TestEnv::home() + "u/free.doc");
    EXPECT_EQ(MakeUniqueFileName(first), TestEnv::home() + "u/name1.doc");
    TestEnv::writeFile("u/name1.doc", "2");
    EXPECT_EQ(MakeUniqueFileName(first), TestEnv::home() + "u/name2.doc");

    const QString link = TestEnv::home() + "u/link.doc";
    ASSERT_TRUE(QFile::link(first, link));
    EXPECT_TRUE(SameFileName(first, link));
    EXPECT_TRUE(SameFileName(TestEnv::home() + "u/../u/name.doc", first));
    EXPECT_TRUE(SameFileName(TestEnv::home() + "u/", TestEnv::home() + "u"));
    EXPECT_FALSE(SameFileName(first, TestEnv::home() + "u/NAME.doc")) << "letter case counts here";
    EXPECT_FALSE(SameFileName(first, TestEnv::home() + "u/name1.doc"));
}

TEST(FileHelpersTest, BackupCopyAndEmptyFiles)
{
    ScriptedDialogs dialogs;
    const QString file = TestEnv::writeFile("f/Brief.doc", "new");
    TestEnv::writeFile("f/Brief.~doc", "old backup");
    EXPECT_TRUE(BackupFile(file, dialogs));
    EXPECT_EQ(TestEnv::readFile(TestEnv::home() + "f/Brief.~doc"), "new");
    EXPECT_TRUE(BackupFile(TestEnv::home() + "f/none.doc", dialogs)) << "nothing to back up";

    EXPECT_EQ(CopyAsCopy(file), TestEnv::home() + "f/Brief_Copy.doc");
    EXPECT_EQ(CopyAsCopy(file), TestEnv::home() + "f/Brief_Copy1.doc");
    EXPECT_EQ(CopyAsCopy(TestEnv::home() + "f/none.doc", &dialogs), "");

    EXPECT_FALSE(CreateEmptyFile(file, dialogs)) << "an existing file";
    EXPECT_EQ(TestEnv::readFile(file), "new");
    EXPECT_TRUE(CreateEmptyFile(TestEnv::home() + "f/leer.txt", dialogs));
    EXPECT_FALSE(CreateEmptyFile(TestEnv::home() + "missing/folder/leer.txt", dialogs));
    EXPECT_EQ(dialogs.messages().size(), 2) << "the failed copy and the failed creation";

    EXPECT_FALSE(CopyFileDirect(file, TestEnv::home() + "f/leer.txt", false, false, &dialogs));
    EXPECT_EQ(dialogs.messages().size(), 2) << "without report nothing is shown";
    EXPECT_TRUE(CopyFileDirect(file, TestEnv::home() + "f/leer.txt", true, true, &dialogs));
    EXPECT_EQ(TestEnv::readFile(TestEnv::home() + "f/leer.txt"), "new");

    EXPECT_FALSE(ShowFileProperties(TestEnv::home() + "f/none.doc", dialogs));
    EXPECT_EQ(dialogs.messages().last(), "Die Datei \"" + TestEnv::home() + "f/none.doc\" wurde nicht gefunden.");
}

TEST(FileOperationsTest, CopyAndMoveAskBeforeReplacing)
{
    ScriptedDialogs dialogs;
    RecordingProgress progress;
    const QString source = TestEnv::writeFile("s/Brief.doc", "source");
    const QString target = TestEnv::writeFile("t/Brief.doc", "target");

    EXPECT_FALSE(CopyDocFile(source, target, false, dialogs, &progress)) << "never replaced without asking";
    EXPECT_EQ(TestEnv::readFile(target), "target");
    EXPECT_EQ(dialogs.messages().size(), 1);
    dialogs.queueButton(Dialogs::No);
    EXPECT_FALSE(CopyDocFile(source, target, true, dialogs, &progress));
    EXPECT_EQ(TestEnv::readFile(target), "target");
    dialogs.queueButton(Dialogs::Yes);
    EXPECT_TRUE(CopyDocFile(source, target, true, dialogs, &progress));
    EXPECT_EQ(TestEnv::readFile(target), "source");
    EXPECT_EQ(progress.titles.last(), "Dokumentdatei kopieren");

    EXPECT_TRUE(MoveDocFile(source, TestEnv::home() + "neu/tief/Brief.doc", false, dialogs, &progress));
    EXPECT_TRUE(QFileInfo::exists(TestEnv::home() + "neu/tief/Brief.doc")) << "the folder is made";
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_EQ(progress.titles.last(), "Dokumentdatei verschieben");
    EXPECT_TRUE(MoveDocFile(
        TestEnv::home() + "neu/tief/Brief.doc", TestEnv::home() + "neu/tief/Umbenannt.doc", false, dialogs, &progress));
    EXPECT_FALSE(MoveDocFile(TestEnv::home() + "none.doc", target, false, dialogs, &progress));
}

TEST(FileOperationsTest, ListsAskAboutEachExistingTarget)
{
    ScriptedDialogs dialogs;
    RecordingProgress progress;
    const QString a = TestEnv::writeFile("s/a.txt", "new a");
    const QString b = TestEnv::writeFile("s/b.txt", "new b");
    const QString c = TestEnv::writeFile("s/c.txt", "new c");
    const QString folder = TestEnv::home() + "ziel/";
    TestEnv::writeFile("ziel/a.txt", "old a");
    TestEnv::writeFile("ziel/b.txt", "old b");

    dialogs.queueButton(Dialogs::No);
    dialogs.queueButton(Dialogs::Yes);
    EXPECT_TRUE(CopyDocFiles({a, b, c}, folder, dialogs, &progress));
    EXPECT_EQ(TestEnv::readFile(folder + "a.txt"), "old a") << "No skips the file";
    EXPECT_EQ(TestEnv::readFile(folder + "b.txt"), "new b");
    EXPECT_EQ(TestEnv::readFile(folder + "c.txt"), "new c");
    EXPECT_EQ(progress.titles.last(), "Dokumentdateien kopieren");
    EXPECT_EQ(progress.maximum, 2);

    dialogs.queueButton(Dialogs::Cancel);
    EXPECT_FALSE(MoveDocFiles({a, b}, folder, dialogs, &progress));
    EXPECT_TRUE(QFileInfo::exists(a)) << "cancelled: nothing moved";

    dialogs.queueButton(Dialogs::YesToAll);
    EXPECT_TRUE(MoveDocFiles({a, b, c}, TestEnv::home() + "ziel", dialogs, &progress));
    EXPECT_EQ(TestEnv::readFile(folder + "a.txt"), "new a");
    EXPECT_FALSE(QFileInfo::exists(c));
    EXPECT_EQ(progress.titles.last(), "Dokumentdateien verschieben");
}

TEST(FileOperationsTest, RecycleAsksAndUsesTheTrash)
{
    ScriptedDialogs dialogs;
    RecordingShell shell;
    RecordingProgress progress;
    dialogs.queueButton(Dialogs::No);
    EXPECT_FALSE(RecycleFiles({"/x/a.doc"}, true, dialogs, shell, &progress));
    EXPECT_TRUE(shell.calls().isEmpty());
    EXPECT_EQ(dialogs.asked().last().text, "Möchten Sie \"/x/a.doc\" wirklich in den Papierkorb verschieben?");

    EXPECT_TRUE(RecycleFiles({"/x/a.doc", "/x/b.doc"}, false, dialogs, shell, &progress));
    ASSERT_EQ(shell.calls().size(), 2);
    EXPECT_EQ(shell.calls()[1].arguments, QStringList({"/x/b.doc"}));
    EXPECT_EQ(progress.titles.last(), "Dateien löschen");
    EXPECT_EQ(progress.position, 2);

    shell.setResult(RecordingShell::Operation::MoveToTrash, false);
    EXPECT_FALSE(RecycleFiles({"/x/c.doc"}, false, dialogs, shell));
    EXPECT_EQ(dialogs.messages().last(), "Die Datei \"/x/c.doc\" konnte nicht in den Papierkorb verschoben werden.");
}
