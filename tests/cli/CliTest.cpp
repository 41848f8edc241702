#include "CliRun.h"
#include "TestEnvironment.h"
#include "app/ProgramCore.h"
#include "archive/DocumentRecords.h"
#include "cli/CliApplication.h"
#include "platform/Dialogs.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {
class CliTest : public testing::Test
{
protected:
    void SetUp() override { archive = TestEnv::home() + QStringLiteral("A.dva"); }

    CliRun cli(const QStringList& args) { return runCliForTest(args); }

    void createWithRows()
    {
        ASSERT_EQ(cli({QStringLiteral("create"), archive}).status, 0);
        const QStringList rows = {
            QStringLiteral(
                "(1, '.txt', 'Brief an Müller', 'Kunden\\Müller', 38124.395833333336, 'Zeile 1\nZeile\t2 \\ Ende')"),
            QStringLiteral("(2, '.pdf', 'Rechnung, \"alt\"', NULL, NULL, NULL)"),
        };
        for (const QString& row : rows)
            ASSERT_EQ(cli({QStringLiteral("sql"), archive,
                              QStringLiteral(
                                  "INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME, PROJECT, CREATEDATE, NOTES) VALUES ")
                                  + row})
                          .status,
                0);
    }

    QString archive;
};
} // namespace

TEST_F(CliTest, CreateMakesAnArchiveAndAsksBeforeReplacingOne)
{
    CliRun run = cli({QStringLiteral("create"), archive});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QString());
    const QByteArray made = TestEnv::readFile(archive);
    EXPECT_EQ(made, TestEnv::readFile(TestEnv::programFolder() + QStringLiteral("Default.mdb")));

    TestEnv::writeFile(archive, "keep me");
    run = cli({QStringLiteral("create"), archive});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("bereits vorhanden")));
    EXPECT_EQ(TestEnv::readFile(archive), QByteArray("keep me"));
    EXPECT_EQ(cli({QStringLiteral("--yes"), QStringLiteral("create"), archive}).status, 0);
    EXPECT_EQ(TestEnv::readFile(archive), made);
}

TEST_F(CliTest, ListPrintsEveryFormat)
{
    createWithRows();
    CliRun tsv = cli({QStringLiteral("list"), archive, QStringLiteral("--fields"),
        QStringLiteral("docid,Name,project,createdate,notes")});
    ASSERT_EQ(tsv.status, 0) << tsv.err.toStdString();
    EXPECT_EQ(tsv.out,
        QStringLiteral("DOCID\tNAME\tPROJECT\tCREATEDATE\tNOTES\n"
                       "1\tBrief an Müller\tKunden\\\\Müller\t2004-05-17T09:30:00\tZeile 1\\nZeile\\t2 \\\\ Ende\n"
                       "2\tRechnung, \"alt\"\t\t\t\n"));

    CliRun csv = cli({QStringLiteral("list"), archive, QStringLiteral("--format"), QStringLiteral("csv"),
        QStringLiteral("--fields"), QStringLiteral("DOCID,NAME,NOTES")});
    EXPECT_EQ(csv.out,
        QStringLiteral("DOCID,NAME,NOTES\r\n1,Brief an Müller,\"Zeile 1\nZeile\t2 \\ Ende\"\r\n"
                       "2,\"Rechnung, \"\"alt\"\"\",\r\n"));

    CliRun json = cli({QStringLiteral("list"), archive, QStringLiteral("--format=json"), QStringLiteral("--where"),
        QStringLiteral("NAME LIKE 'rech%'"), QStringLiteral("--fields"), QStringLiteral("DOCID,NAME,CREATEDATE")});
    EXPECT_EQ(json.out, QStringLiteral("[\n{\"DOCID\":2,\"NAME\":\"Rechnung, \\\"alt\\\"\",\"CREATEDATE\":null}\n]\n"));

    CliRun all = cli({QStringLiteral("list"), archive});
    EXPECT_EQ(all.out.count(QLatin1Char('\n')), 3);
    EXPECT_TRUE(
        all.out.startsWith(QStringLiteral("DOCID\tAPPLNAME\tDOCNO\tNAME\tPROJECT\tCATEGORY\tSTATE\tUSERNAME\t")));

    CliRun none = cli({QStringLiteral("list"), archive, QStringLiteral("--where"), QStringLiteral("DOCID > 5"),
        QStringLiteral("--format"), QStringLiteral("json")});
    EXPECT_EQ(none.out, QStringLiteral("[]\n"));
}

TEST_F(CliTest, BadArchivesAndConditionsFailWithTheirMessage)
{
    CliRun missing = cli({QStringLiteral("list"), archive});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(
        missing.err.startsWith(QStringLiteral("Datenbank \"%1\" konnte nicht geöffnet werden.:\n").arg(archive)))
        << missing.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(archive));

    const QString text = TestEnv::writeFile(QStringLiteral("notes.dva"), "Einkaufsliste");
    EXPECT_EQ(cli({QStringLiteral("list"), text}).status, 1);
    EXPECT_EQ(TestEnv::readFile(text), QByteArray("Einkaufsliste"));

    createWithRows();
    CliRun bad = cli({QStringLiteral("list"), archive, QStringLiteral("--where"), QStringLiteral("NOSUCH = 1")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("no such column: NOSUCH\nDie letzte Suche wird wiederhergestellt.")))
        << bad.err.toStdString();
    EXPECT_EQ(cli({QStringLiteral("list"), archive, QStringLiteral("--fields"), QStringLiteral("NOSUCH")}).status, 1);

    CliRun wide = cli({QStringLiteral("sql"), archive,
        QStringLiteral("UPDATE DOCUMENT SET DOCNO = 'eine viel zu lange Nummer' WHERE DOCID = 1")});
    EXPECT_EQ(wide.status, 1);
    EXPECT_TRUE(wide.err.contains(QStringLiteral("länger als 20 Zeichen"))) << wide.err.toStdString();
}

TEST_F(CliTest, SqlRunsQueriesAndCommandsAndGuardsDeletion)
{
    createWithRows();
    CliRun rows
        = cli({QStringLiteral("sql"), archive, QStringLiteral("\n\nSELECT COUNT(*) AS fRowCount FROM DOCUMENT")});
    EXPECT_EQ(rows.status, 0) << rows.err.toStdString();
    EXPECT_EQ(rows.out, QStringLiteral("fRowCount\n2\n"));

    EXPECT_EQ(
        cli({QStringLiteral("sql"), archive, QStringLiteral("UPDATE DOCUMENT SET STATE = 'erledigt'")}).out, QString());
    EXPECT_EQ(cli({QStringLiteral("sql"), archive, QStringLiteral("SELECT DISTINCT STATE FROM DOCUMENT")}).out,
        QStringLiteral("STATE\nerledigt\n"));

    CliRun refused = cli({QStringLiteral("sql"), archive, QStringLiteral("delete from DOCUMENT where DOCID = 1")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.startsWith(QStringLiteral("ACHTUNG: Die SQL-Anweisungen DELETE und DROP")));
    EXPECT_EQ(cli({QStringLiteral("sql"), archive, QStringLiteral("SELECT COUNT(*) AS N FROM DOCUMENT")}).out,
        QStringLiteral("N\n2\n"));

    EXPECT_EQ(cli({QStringLiteral("sql"), archive, QStringLiteral("delete from DOCUMENT where DOCID = 1"),
                      QStringLiteral("--yes")})
                  .status,
        0);
    EXPECT_EQ(cli({QStringLiteral("sql"), archive, QStringLiteral("SELECT COUNT(*) AS N FROM DOCUMENT")}).out,
        QStringLiteral("N\n1\n"));
}

TEST_F(CliTest, ConfigReadsAndWritesSettingsByName)
{
    EXPECT_EQ(cli({QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("FtiFileTypes")}).out,
        QStringLiteral(".doc.eml.htm.html.pdf.rtf.txt.xls.\n"));
    struct Case
    {
        const char* name;
        const char* value;
        const char* stored;
    };
    const Case cases[] = {{"ftiignoredigits", "F", "false"}, {"OpenLastDB", "0", "false"}, {"ShowIcon", "T", "true"},
        {"FtiIgnoreLength", " 4", "4"}, {"LayoutFile", "/x/a b.lay", "/x/a b.lay"}};
    for (const Case& c : cases) {
        EXPECT_EQ(cli({QStringLiteral("config"), QStringLiteral("set"), QLatin1String(c.name), QLatin1String(c.value)})
                      .status,
            0)
            << c.name;
        EXPECT_EQ(cli({QStringLiteral("config"), QStringLiteral("get"), QLatin1String(c.name)}).out,
            QLatin1String(c.stored) + QLatin1Char('\n'))
            << c.name;
    }
    const QString user = QString::fromUtf8(TestEnv::readFile(TestEnv::home() + QStringLiteral("settings/user.ini")));
    EXPECT_TRUE(user.contains(QStringLiteral("[SOFTWARE\\Wendrich\\Dravonel Lumaris\\Settings]")))
        << user.toStdString();
    EXPECT_TRUE(user.contains(QStringLiteral("OpenLastDB=false")));

    CliRun bad = cli(
        {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("DropDownCount"), QStringLiteral("viele")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(cli({QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("DropDownCount")}).out,
        QStringLiteral("8\n"));
    EXPECT_EQ(cli({QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("NoSuchValue")}).status, 1);

    const QString list = cli({QStringLiteral("config"), QStringLiteral("list")}).out;
    EXPECT_TRUE(list.contains(QStringLiteral("\nFtiIgnoreLength=4\n")));
    EXPECT_TRUE(
        list.contains(QStringLiteral("\nCommonFilesPath=%1.local/share/Dravonel Lumaris/\n").arg(TestEnv::home())));
}

TEST_F(CliTest, GarbageInTheSettingsFileGivesDefaults)
{
    TestEnv::writeFile(QStringLiteral("settings/machine.ini"),
        "[SOFTWARE\\Wendrich\\Dravonel Lumaris\\Settings]\nFtiCreateMode=zwei\nShowIcon=vielleicht\n"
        "this line means nothing\nDropDownCount=12\n");
    EXPECT_EQ(cli({QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("FtiCreateMode")}).out,
        QStringLiteral("2\n"));
    EXPECT_EQ(cli({QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("ShowIcon")}).out,
        QStringLiteral("true\n"));
    EXPECT_EQ(cli({QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("DropDownCount")}).out,
        QStringLiteral("12\n"));
    const QString log = QString::fromUtf8(
        TestEnv::readFile(TestEnv::home() + QStringLiteral(".local/share/Dravonel Lumaris/Error.log")));
    EXPECT_TRUE(log.contains(
        QStringLiteral("Der Wert \"zwei\" für FtiCreateMode ist nicht lesbar; es gilt der Vorgabewert \"2\".")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Zeile \"this line means nothing\"")));
}

TEST_F(CliTest, WrongUsageExitsWithTwo)
{
    const QList<QStringList> usages = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("list")},
        {QStringLiteral("list"), archive, QStringLiteral("--colour")},
        {QStringLiteral("list"), archive, QStringLiteral("--format"), QStringLiteral("xml")},
        {QStringLiteral("list"), archive, QStringLiteral("--where")},
        {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("ShowIcon")},
        {QStringLiteral("sql"), archive},
    };
    for (const QStringList& args : usages) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.status, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Aufruf: doxarel-cli")))
            << args.join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(CliTest, AddSetAndDeleteGoThroughTheRecordRules)
{
    ASSERT_EQ(cli({QStringLiteral("create"), archive}).status, 0);
    CliRun added
        = cli({QStringLiteral("add"), archive, QStringLiteral("applname=.TXT"), QStringLiteral("NAME=Brief an Meier"),
            QStringLiteral("PROJECT=Kunden\\Meier"), QStringLiteral("CREATEDATE=17.05.2004")});
    ASSERT_EQ(added.status, 0) << added.err.toStdString();
    EXPECT_EQ(added.out, QStringLiteral("1\n"));
    EXPECT_EQ(
        cli({QStringLiteral("add"), archive, QStringLiteral("APPLNAME=vxtext"), QStringLiteral("NAME=Notiz")}).out,
        QStringLiteral("2\n"));
    EXPECT_EQ(cli({QStringLiteral("set"), archive, QStringLiteral("1"), QStringLiteral("STATE=erledigt")}).status, 0);

    const QString fields = QStringLiteral("DOCID,APPLNAME,DOCNO,NAME,PROJECT,STATE,FAVORITE,CREATEDATE");
    const QString noteDate
        = cli({QStringLiteral("sql"), archive, QStringLiteral("SELECT CREATEDATE FROM DOCUMENT WHERE DOCID = 2")})
              .out.section(QLatin1Char('\n'), 1, 1);
    EXPECT_EQ(cli({QStringLiteral("list"), archive, QStringLiteral("--fields"), fields}).out,
        QStringLiteral("DOCID\tAPPLNAME\tDOCNO\tNAME\tPROJECT\tSTATE\tFAVORITE\tCREATEDATE\n"
                       "1\t.txt\t1\tBrief an Meier\tKunden\\\\Meier\terledigt\tF\t2004-05-17T00:00:00\n"
                       "2\tvxtext\t2\tNotiz\t\t\tF\t%1\n")
            .arg(noteDate));
    // The file document got its file in the documents folder, by project and name; the note has none.
    const QStringList files
        = cli({QStringLiteral("list"), archive, QStringLiteral("--fields"), QStringLiteral("FILENAME")})
              .out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(files.size(), 3);
    EXPECT_TRUE(files[1].endsWith(QStringLiteral("/Kunden/Meier/Brief an Meier.txt"))) << files[1].toStdString();
    EXPECT_TRUE(QFileInfo(files[1]).isFile());
    EXPECT_EQ(files[2], QStringLiteral("(internes Dokument)"));
    EXPECT_EQ(
        cli({QStringLiteral("sql"), archive, QStringLiteral("SELECT ITMNAME, ITMLIST FROM ITEMLISTS ORDER BY ITMNAME")})
            .out,
        QStringLiteral("ITMNAME\tITMLIST\nPROJECT\tKunden\\nKunden\\\\Meier\nSTATE\terledigt\n"));

    EXPECT_EQ(cli({QStringLiteral("delete"), archive, QStringLiteral("1"), QStringLiteral("7")}).status, 1);
    EXPECT_EQ(cli({QStringLiteral("delete"), archive, QStringLiteral("1")}).status, 0);
    EXPECT_EQ(cli({QStringLiteral("list"), archive, QStringLiteral("--fields"), QStringLiteral("DOCID")}).out,
        QStringLiteral("DOCID\n2\n"));
}

TEST_F(CliTest, BadValuesChangeNothing)
{
    ASSERT_EQ(cli({QStringLiteral("create"), archive}).status, 0);
    ASSERT_EQ(
        cli({QStringLiteral("add"), archive, QStringLiteral("APPLNAME=.txt"), QStringLiteral("NAME=Alt")}).status, 0);
    const QByteArray before = cli({QStringLiteral("list"), archive}).out.toUtf8();
    struct Case
    {
        QStringList args;
        const char* message;
    };
    const QList<Case> cases = {
        {{QStringLiteral("add"), archive, QStringLiteral("APPLNAME=.txt"), QStringLiteral("CREATEDATE=morgen")},
            "'morgen' ist kein gültiges Datum"},
        {{QStringLiteral("add"), archive, QStringLiteral("APPLNAME=.txt"),
             QStringLiteral("NAME=") + QString(51, QLatin1Char('x'))},
            "ist zu lang: 51 Zeichen"},
        {{QStringLiteral("add"), archive, QStringLiteral("APPLNAME=.txt"), QStringLiteral("KUNDE=Meier")},
            "Feld 'KUNDE' nicht gefunden."},
        {{QStringLiteral("set"), archive, QStringLiteral("1"), QStringLiteral("NAME=Neu"),
             QStringLiteral("EDITDATE=x")},
            "'x' ist kein gültiges Datum"},
        {{QStringLiteral("set"), archive, QStringLiteral("1"), QStringLiteral("DOCID=5")}, "DOCID"},
        {{QStringLiteral("set"), archive, QStringLiteral("9"), QStringLiteral("NAME=Neu")},
            "Das Dokument 9 wurde nicht gefunden."},
    };
    for (const Case& c : cases) {
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.status, 1) << c.message;
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << run.err.toStdString();
    }
    EXPECT_EQ(cli({QStringLiteral("list"), archive}).out.toUtf8(), before);
    // The key counter did not move (the index keeps its own word counter beside it).
    EXPECT_EQ(
        cli({QStringLiteral("sql"), archive, QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'DOCID'")}).out,
        QStringLiteral("NEXTID\n2\n"));
}

TEST_F(CliTest, TwoProcessesAddingAtOnceGetDistinctKeys)
{
    ASSERT_EQ(cli({QStringLiteral("create"), archive}).status, 0);
    const QString program = TestEnv::programFolder() + QStringLiteral("doxarel-cli");
    const QString script
        = QStringLiteral("for i in $(seq 500); do \"$0\" --config-dir \"$1\" add \"$2\" APPLNAME=vxtext "
                         "NAME=\"$3 $i\" >/dev/null || exit 1; done");
    QProcess first;
    QProcess second;
    const QString settingsFolder = TestEnv::home() + QStringLiteral("settings");
    first.start(
        QStringLiteral("bash"), {QStringLiteral("-c"), script, program, settingsFolder, archive, QStringLiteral("A")});
    second.start(
        QStringLiteral("bash"), {QStringLiteral("-c"), script, program, settingsFolder, archive, QStringLiteral("B")});
    ASSERT_TRUE(first.waitForFinished(120000));
    ASSERT_TRUE(second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(
        cli({QStringLiteral("sql"), archive, QStringLiteral("SELECT COUNT(DISTINCT DOCID) AS N FROM DOCUMENT")}).out,
        QStringLiteral("N\n1000\n"));
    EXPECT_EQ(
        cli({QStringLiteral("sql"), archive,
                QStringLiteral(
                    "SELECT NEXTID - (SELECT MAX(DOCID) FROM DOCUMENT) AS D FROM IDENTNO WHERE IDNAME = 'DOCID'")})
            .out,
        QStringLiteral("D\n1\n"));
}

TEST_F(CliTest, ExpandAndApiRunTheMacroLanguage)
{
    createWithRows();
    const struct
    {
        QStringList args;
        int status;
        QString out;
    } cases[] = {
        {{"expand", archive, "--doc", "1", "{doc:NAME,quoteever} {doc:PROJECT,main}"}, 0,
            "\"Brief an Müller\" Kunden\n"},
        {{"expand", archive, "{doc:NAME}|{chr:123}abc{chr:125}|{self:programname}"}, 0, "|{abc}|Dravonel\n"},
        {{"expand", archive, "--doc", "1", "{execinputquery:Wer?} {doc:NAME}"}, 1, ""},
        {{"expand", archive, "--doc", "9", "{doc:NAME}"}, 1, ""},
        {{"expand", archive, "--doc", "x", "{doc:NAME}"}, 2, ""},
        {{"expand", archive}, 2, ""},
        {{"api", archive, "NoSuchCommand"}, 0, ""},
        {{"api", archive, "{VxAPI:CreateTestDocs,keine}"}, 0, ""},
    };
    for (const auto& c : cases) {
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.status, c.status) << c.args.join(' ').toStdString() << run.err.toStdString();
        EXPECT_EQ(run.out, c.out) << c.args.join(' ').toStdString();
    }
    // A dialog macro in a condition is cancelled: the statement does not run.
    const CliRun cancelled = cli({"list", archive, "--where", "NAME = '{execinputquery:Name}'"});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.out, QString());
    EXPECT_EQ(cli({"sql", archive, "--yes", "DELETE FROM DOCUMENT WHERE NAME <> '{execinputquery:Name}'"}).status, 1);
    EXPECT_EQ(
        cli({"list", archive, "--where", "NAME = '{chr:66}rief an Müller'", "--fields", "DOCID"}).out, "DOCID\n1\n");
    const CliRun menu = cli({"api", archive, "ListMainMenuEntries"});
    EXPECT_TRUE(menu.out.startsWith("ACHTUNG: Führen Sie die API-Befehle nicht unüberlegt aus!\n"));
    EXPECT_TRUE(cli({"api", archive, "CreateTestDocs,zwei"}).err.contains("Interpreterfehler"));
}

TEST_F(CliTest, ApiCreatesTestAndSampleDocuments)
{
    ASSERT_EQ(cli({"create", archive}).status, 0);
    const CliRun run = cli({"api", archive, "CreateTestDocs,100"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const CliRun list = cli({"sql", archive, "SELECT APPLNAME, COUNT(*) AS N FROM DOCUMENT GROUP BY APPLNAME"});
    EXPECT_EQ(list.out, "APPLNAME\tN\nemail\t33\nurl\t34\nvxtext\t33\n");

    ASSERT_EQ(cli({"create", TestEnv::home() + "B.dva"}).status, 0);
    ASSERT_EQ(cli({"api", TestEnv::home() + "B.dva", "CreateDemoDocs"}).status, 0);
    const CliRun samples
        = cli({"list", TestEnv::home() + "B.dva", "--fields", "NAME,USERNAME", "--where", "APPLNAME='url'"});
    EXPECT_EQ(samples.out, "NAME\tUSERNAME\nHomepage Dravonel Lumaris\tZurizevivava Wendrich\n");
}

TEST_F(CliTest, ExportAndImportRecords)
{
    createWithRows();
    const QString target = TestEnv::home() + "B.dva";
    ASSERT_EQ(cli({"create", target}).status, 0);
    ASSERT_EQ(cli({"add", target, "APPLNAME=url", "NAME=vorher"}).status, 0);
    for (const QString format : {"xml", "bin"}) {
        const QString file = TestEnv::home() + "export." + format;
        const CliRun exported = cli({"export", archive, file, "--format", format, "--where", "DOCID = 1"});
        ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
        const CliRun imported = cli({"import-records", target, file});
        EXPECT_EQ(imported.status, 0) << imported.err.toStdString();
        EXPECT_EQ(imported.out, format == "xml" ? "2\n" : "3\n");
    }
    const QString fields = "NAME,PROJECT,CREATEDATE,NOTES";
    const QString original = cli({"list", archive, "--fields", fields, "--where", "DOCID = 1"}).out;
    const QStringList lines = original.split('\n');
    EXPECT_EQ(cli({"list", target, "--fields", fields, "--where", "DOCID > 1"}).out,
        lines[0] + "\n" + lines[1] + "\n" + lines[1] + "\n");

    EXPECT_EQ(cli({"export", archive, TestEnv::home() + "x.html", "--format", "html"}).status, 1);
    EXPECT_EQ(cli({"export", archive, TestEnv::home() + "x", "--format", "doc"}).status, 2);
    TestEnv::writeFile("bad.xml", "<!DOCTYPE xml [<!ENTITY a 'b'>]><xml>&a;</xml>");
    const CliRun bad = cli({"import-records", target, TestEnv::home() + "bad.xml"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.err.contains("DOCTYPE"));
}

TEST_F(CliTest, TheCoreExpandsTypedLinesFullyAndStoredDefaultsRestricted)
{
    ASSERT_EQ(cli({"create", archive}).status, 0);
    ScriptedDialogs dialogs;
    ProgramCore core(TestEnv::programFolder(), TestEnv::home() + "settings/", dialogs, "anna", "PC1");
    core.loadSettings();
    core.openArchive(archive);
    const QString victim = TestEnv::writeFile("wichtig.txt", "bleibt");
    TestEnv::writeFile("SearchEx.fvl",
        ("[Default]\nNAME={deletefile:" + victim + ",noconfirm}{self:doctable}\nSTATE={execinputquery:Wer?}\n")
            .toUtf8());
    SqlRecordSet& records = core.dm().AdoQueryDoc;
    records.append();
    core.dm().Records().LoadFieldDefaults(records, core.dm().SearchDefaultsFile(), "Default");
    EXPECT_EQ(records.text("NAME"), "{deletefile:" + victim + ",noconfirm}DOCUMENT");
    EXPECT_EQ(records.text("STATE"), "{execinputquery:Wer?}");
    records.cancel();
    EXPECT_TRUE(QFileInfo::exists(victim));
    EXPECT_TRUE(dialogs.asked().isEmpty());

    dialogs.queueText("Meier");
    EXPECT_EQ(core.dm().ExpandLine("WHERE NAME = '{execinputquery:Name}'"), "WHERE NAME = 'Meier'");
    EXPECT_EQ(core.dm().ExpandLine("WHERE NAME = '{execinputquery:Name}'"), std::nullopt);
}
