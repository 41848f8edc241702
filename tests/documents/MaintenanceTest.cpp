#include "DocumentsFixture.h"

#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "archive/DocumentQuery.h"
#include "archive/DocumentRecords.h"
#include "documents/ApplicationList.h"
#include "documents/ExchangeFiles.h"
#include "documents/Macros.h"
#include "documents/Maintenance.h"
#include "platform/Dialogs.h"
#include "platform/FileOperations.h"
#include "platform/Shell.h"
#include "platform/db/DateSerial.h"
#include "platform/db/SqlConnection.h"
#include "settings/ProgramSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

namespace {
// One archive with the program's rules: the interpreter in its places, the document types and
// the maintenance on the document record set.
struct Archive
{
    Archive(const QString& path, const QString& program, ScriptedDialogs& dialogs)
    {
        dm = std::make_unique<TDModul>(
            TDModul::Environment{program, TestEnv::home() + "common/", "anna", "PC1", &dialogs});
        dm->Settings.setProgramFolder(program);
        macros = std::make_unique<TMacroInterpreter>(*dm, shell);
        dm->ExpandLine = [this](const QString& line) { return macros->ExpandMacros(line); };
        dm->ExpandText = [this](const QString& text) -> QString {
            return macros->ExpandMacros(text, TMacroInterpreter::Mode::Restricted).value_or(text);
        };
        if (!QFileInfo::exists(path))
            ArchiveSchema(*dm).CreateArchive(path);
        dm->CurrentArchive.setPath(path);
        dm->OpenArchive();
        query = std::make_unique<DocumentQuery>(*dm);
        dm->Records().setQueryRunner(query.get());
        applications = std::make_unique<TDravonelApplicationList>(dm->Settings);
        applications->Load();
        maintenance = std::make_unique<TArchiveMaintenance>(*dm, *query, *applications);
        query->RunSelect({});
    }
    ~Archive() { dm->Records().setQueryRunner(nullptr); }
    int count()
    {
        query->RunSelect({});
        return dm->AdoQueryDoc.recordCount();
    }
    void execute(const QString& sql)
    {
        dm->AdoQueryDoc.close();
        dm->AdoConnectDoc.execute(sql);
        query->RunSelect({});
    }

    RecordingShell shell;
    std::unique_ptr<TDModul> dm;
    std::unique_ptr<TMacroInterpreter> macros;
    std::unique_ptr<DocumentQuery> query;
    std::unique_ptr<TDravonelApplicationList> applications;
    std::unique_ptr<TArchiveMaintenance> maintenance;
};

struct RecordingProgress : ProgressSink
{
    void setTitle(const QString& t) override { title = t; }
    void setMaximum(int m) override { maximum = m; }
    void setPosition(int p) override { position = p; }
    void setText(const QString& t) override { texts << t; }
    bool cancelled() override { return cancelAt > 0 && position >= cancelAt; }
    QString title;
    int maximum = 0;
    int position = 0;
    int cancelAt = 0;
    QStringList texts;
};

class MaintenanceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        program = TestEnv::makeFolder("program");
        for (const char* name : {"Default.mdb", "Empty.mdb"})
            QFile::copy(TestEnv::programFolder() + name, program + name);
    }
    std::unique_ptr<Archive> archive(const QString& name)
    {
        return std::make_unique<Archive>(TestEnv::home() + name, program, dialogs);
    }
    // The records of the current result without their keys, one map per record.
    static QList<QMap<QString, QVariant>> contents(Archive& a)
    {
        QList<QMap<QString, QVariant>> rows;
        a.query->RunSelect({}, "ORDER BY NAME");
        SqlRecordSet& r = a.dm->AdoQueryDoc;
        for (r.first(); !r.eof(); r.next()) {
            QMap<QString, QVariant> row;
            for (int i = 0; i < int(r.fields().size()); ++i)
                if (r.fields()[std::size_t(i)].name != "DOCID" && r.fields()[std::size_t(i)].name != "DOCNO")
                    row.insert(r.fields()[std::size_t(i)].name, r.value(i));
            rows << row;
        }
        return rows;
    }
    static QString xmlFile(const QString& name, const QString& schema, const QString& rows)
    {
        return TestEnv::writeFile(name,
            ("<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882' "
             "xmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882' xmlns:rs='urn:schemas-microsoft-com:rowset' "
             "xmlns:z='#RowsetSchema'><s:Schema id='RowsetSchema'><s:ElementType name='row' content='eltOnly'>"
                + schema + "</s:ElementType></s:Schema><rs:data>" + rows + "</rs:data></xml>")
                .toUtf8());
    }
    static QString textColumn(const QString& name, int width = 50)
    {
        return QString("<s:AttributeType name='%1'><s:datatype dt:type='string' dt:maxLength='%2'/></s:AttributeType>")
            .arg(name)
            .arg(width);
    }

    QString program;
    ScriptedDialogs dialogs;
};

TEST_F(MaintenanceTest, ExportedRecordsComeBackFieldByFieldInBothForms)
{
    auto source = archive("Quelle.dva");
    source->execute("ALTER TABLE DOCUMENT ADD COLUMN BETRAG FLOAT");
    source->execute("ALTER TABLE DOCUMENT ADD COLUMN ANZAHL INTEGER");
    source->execute("ALTER TABLE DOCUMENT ADD COLUMN BILD IMAGE");
    const QString longText = QString("Langer Text mit Umlauten äöü und Zeichen <>&\"' ").repeated(4000);
    DocumentRecords& rules = source->dm->Records();
    rules.AddDocumentToTable({{"APPLNAME", "url"}, {"NAME", "Heimseite"}, {"FILENAME", "https://example.org/?a=1&b=2"},
        {"NOTES", longText}, {"BETRAG", "12,5"}, {"ANZAHL", "-7"}, {"CREATEDATE", "17.05.2004 09:30:00"}});
    rules.AddDocumentToTable({{"APPLNAME", "vxtext"}, {"NAME", "Notiz\nzweizeilig"}, {"FAVORITE", "T"}});
    source->execute("UPDATE DOCUMENT SET BILD = X'00FF10' WHERE NAME = 'Heimseite'");
    ASSERT_EQ(source->count(), 2);
    const auto expected = contents(*source);

    for (const bool asXml : {true, false}) {
        const QString file = TestEnv::home() + (asXml ? "export.xml" : "export.bin");
        source->query->RunSelect({});
        source->maintenance->ExportRecords(file, asXml);
        source->maintenance->ExportRecords(file, asXml); // the second keeps the first as backup
        EXPECT_TRUE(QFileInfo::exists(TestEnv::home() + (asXml ? "export.~xml" : "export.~bin")));

        auto target = archive(asXml ? "ZielXml.dva" : "ZielBin.dva");
        target->execute("ALTER TABLE DOCUMENT ADD COLUMN BETRAG FLOAT");
        target->execute("ALTER TABLE DOCUMENT ADD COLUMN ANZAHL INTEGER");
        target->execute("ALTER TABLE DOCUMENT ADD COLUMN BILD IMAGE");
        target->dm->Records().AddDocumentToTable({{"APPLNAME", "url"}, {"NAME", "schon da"}});
        dialogs.clear();
        const QList<qint64> keys = target->maintenance->ImportRecords(file);
        EXPECT_EQ(keys, (QList<qint64>{2, 3})) << asXml;
        EXPECT_FALSE(target->maintenance->Failed);
        EXPECT_EQ(dialogs.messages(),
            QStringList{QString("Möchten Sie jetzt die 2 Datensätze aus \"%1\" importieren?").arg(file)});
        target->execute("DELETE FROM DOCUMENT WHERE NAME = 'schon da'");
        const auto imported = contents(*target);
        ASSERT_EQ(imported.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            for (auto it = expected[i].begin(); it != expected[i].end(); ++it) {
                const QVariant value = imported[i].value(it.key());
                // The XML form keeps dates to the second, as the rowset files do.
                if (asXml && it.key().endsWith("DATE") && !value.isNull())
                    EXPECT_EQ(DateSerial::toIso(value.toDouble()), DateSerial::toIso(it.value().toDouble()));
                else
                    EXPECT_EQ(value, it.value()) << it.key().toStdString() << " xml " << asXml;
            }
    }
}

TEST_F(MaintenanceTest, BadExchangeFilesAreRefusedWithNothingImported)
{
    auto a = archive("Archiv.dva");
    a->dm->Records().AddDocumentToTable({{"APPLNAME", "url"}, {"NAME", "Eintrag"}});
    const QString valid = TestEnv::home() + "gut.bin";
    a->maintenance->ExportRecords(valid, false);
    const QByteArray binary = TestEnv::readFile(valid);

    QString deep = "<xml>";
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    QStringList files{
        TestEnv::writeFile("doctype.xml", "<?xml version='1.0'?><!DOCTYPE xml [<!ENTITY a 'x'>]><xml/>"),
        TestEnv::writeFile("laughs.xml",
            "<!DOCTYPE xml [<!ENTITY l0 'ha'><!ENTITY l1 '&l0;&l0;&l0;&l0;&l0;&l0;&l0;&l0;'>"
            "<!ENTITY l2 '&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;'>]><xml>&l2;</xml>"),
        TestEnv::writeFile("extern.xml", "<!DOCTYPE xml SYSTEM 'file:///etc/passwd'><xml>&x;</xml>"),
        TestEnv::writeFile("undeclared.xml", "<xml>&x;</xml>"),
        TestEnv::writeFile("deep.xml", deep.toUtf8()),
        xmlFile("wrongtype.xml",
            "<s:AttributeType name='NAME'><s:datatype dt:type='string' dt:maxLength='50'/></s:AttributeType>"
            "<s:AttributeType name='ANZAHL'><s:datatype dt:type='int'/></s:AttributeType>",
            "<z:row NAME='eins' ANZAHL='1'/><z:row NAME='zwei' ANZAHL='zwei'/>"),
        xmlFile("unknowncolumn.xml", textColumn("NAME"), "<z:row NAME='eins' FOO='1'/>"),
        TestEnv::writeFile("broken.xml", "<xml><s:Schema"),
        TestEnv::writeFile("other.xml", "<html><body/></html>"),
        TestEnv::writeFile("empty.bin", ""),
        TestEnv::makeFolder("ordner"),
        TestEnv::home() + "fehlt.xml",
    };
    for (const qsizetype length : {qsizetype(5), qsizetype(20), binary.size() / 2, binary.size() - 1})
        files << TestEnv::writeFile(QString("truncated%1.bin").arg(length), binary.left(length));
    QByteArray badTag = binary;
    badTag[binary.size() - 2] = char(0x09);
    files << TestEnv::writeFile("badtag.bin", badTag);

    for (const QString& file : files) {
        dialogs.clear();
        EXPECT_TRUE(a->maintenance->ImportRecords(file).isEmpty()) << file.toStdString();
        EXPECT_TRUE(a->maintenance->Failed) << file.toStdString();
        ASSERT_EQ(dialogs.messages().size(), 1) << file.toStdString();
        EXPECT_TRUE(dialogs.messages().front().startsWith(
            QString("Die Importdatei \"%1\" kann nicht gelesen werden:").arg(file)))
            << dialogs.messages().front().toStdString();
        EXPECT_EQ(a->count(), 1) << file.toStdString();
    }
}

TEST_F(MaintenanceTest, ImportAsksAndStopsAtTheFirstRecordItCannotSave)
{
    auto a = archive("Archiv.dva");
    const QString empty = xmlFile("leer.xml", textColumn("NAME"), "");
    a->maintenance->ImportRecords(empty);
    EXPECT_EQ(dialogs.messages(), QStringList{QString("Die Importdatei \"%1\" enthält keine Datensätze.").arg(empty)});
    EXPECT_FALSE(a->maintenance->Failed);

    const QString file = xmlFile("drei.xml", textColumn("APPLNAME", 20) + textColumn("NAME", 100),
        "<z:row APPLNAME='url' NAME='eins'/><z:row APPLNAME='url' NAME='" + QString(80, 'x')
            + "'/><z:row APPLNAME='url' NAME='drei'/>");
    dialogs.clear();
    dialogs.queueButton(Dialogs::No);
    EXPECT_TRUE(a->maintenance->ImportRecords(file).isEmpty());
    EXPECT_EQ(dialogs.asked().back().helpTopic, 5001);
    EXPECT_EQ(a->count(), 0);

    dialogs.clear();
    RecordingProgress progress;
    a->maintenance->Progress = &progress;
    EXPECT_EQ(a->maintenance->ImportRecords(file), QList<qint64>{1});
    EXPECT_TRUE(a->maintenance->Failed);
    EXPECT_TRUE(dialogs.messages().back().endsWith("Der Import wurde nach 1 Datensätzen abgebrochen."))
        << dialogs.messages().back().toStdString();
    EXPECT_EQ(a->count(), 1);
    EXPECT_EQ(progress.title, "Daten importieren...");
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.texts.front(), "1 von 3");

    progress.cancelAt = 1;
    const QString two
        = xmlFile("zwei.xml", textColumn("APPLNAME", 20), "<z:row APPLNAME='url'/><z:row APPLNAME='url'/>");
    EXPECT_EQ(a->maintenance->ImportRecords(two).size(), 1);
}

TEST_F(MaintenanceTest, MacrosInImportedRecordsDeleteAndRunNothing)
{
    auto a = archive("Archiv.dva");
    const QString victim = TestEnv::writeFile("wichtig.txt", "bleibt");
    const QString counter = TestEnv::home() + "zaehler.txt";
    const QString fileName = "{deletefile:" + victim + ",noconfirm}{readlnfile:" + counter + ",+1}";
    const QString name = "{execinputquery:Wer?}{vxapi:setautorun,1}";
    const QString file
        = xmlFile("makros.xml", textColumn("APPLNAME", 20) + textColumn("NAME") + textColumn("FILENAME", 254),
            QString("<z:row APPLNAME='.txt' NAME='%1' FILENAME='%2'/><z:row APPLNAME='url' NAME='x' "
                    "FILENAME='{self:doctable}/{chr:65}'/>")
                .arg(name, fileName));
    ASSERT_EQ(a->maintenance->ImportRecords(file).size(), 2);
    EXPECT_TRUE(QFileInfo::exists(victim));
    EXPECT_FALSE(QFileInfo::exists(counter));
    EXPECT_TRUE(a->shell.calls().isEmpty());
    a->query->RunSelect({}, "ORDER BY DOCID");
    EXPECT_EQ(a->dm->AdoQueryDoc.text("FILENAME"), fileName);
    EXPECT_EQ(a->dm->AdoQueryDoc.text("NAME"), name);
    a->dm->AdoQueryDoc.next();
    EXPECT_EQ(a->dm->AdoQueryDoc.text("FILENAME"), "DOCUMENT/A");
}

TEST_F(MaintenanceTest, TestDocumentsRotateTypesAndProjects)
{
    auto a = archive("Archiv.dva");
    a->execute("ALTER TABLE DOCUMENT ADD COLUMN NUMBER TEXT(20)");
    a->applications->Add(".txt", "Text", {}, {});
    DocumentRecords& rules = a->dm->Records();
    rules.ChoiceListNames << "PROJECT";
    rules.ChoiceLists << "Kunden\nKunden\\Meier\n\nIntern\n";
    a->query->RunSelect("WHERE DOCID = 99");

    dialogs.queueButton(Dialogs::Cancel);
    EXPECT_TRUE(a->maintenance->InsertTestDocuments(3).isEmpty());
    EXPECT_EQ(dialogs.messages(), QStringList{"Creating 3 test documents"});

    RecordingProgress progress;
    a->maintenance->Progress = &progress;
    EXPECT_EQ(a->maintenance->InsertTestDocuments(7).size(), 7);
    EXPECT_EQ(progress.title, "Test documents...");
    EXPECT_EQ(progress.texts.back(), "7 von 7");
    a->query->RunSelect({}, "ORDER BY DOCID");
    const char* const types[] = {"url", "email", ".txt", "vxtext", "url", "email", ".txt"};
    const char* const projects[] = {"Kunden", "Kunden\\Meier", "Intern", "Kunden", "Kunden\\Meier", "Intern", "Kunden"};
    SqlRecordSet& r = a->dm->AdoQueryDoc;
    for (int i = 0; i < 7; ++i, r.next()) {
        ASSERT_FALSE(r.eof());
        EXPECT_EQ(r.text("APPLNAME"), types[i]) << i;
        EXPECT_EQ(r.text("PROJECT"), projects[i]) << i;
        EXPECT_EQ(r.text("NAME"), QString("CreateTestDocs-") + types[i]);
        EXPECT_EQ(r.text("NUMBER"), QString("Test%1").arg(i + 1));
        EXPECT_EQ(r.text("CATEGORY"), "Testdata (auto)");
        EXPECT_EQ(r.text("STATE"), "Test only");
        EXPECT_EQ(r.text("LASTREMARK"), "Dravonel Lumaris testdata");
        const QString type = types[i];
        if (type == "url")
            EXPECT_EQ(r.text("FILENAME"), TArchiveMaintenance::TestWebAddress());
        if (type == "vxtext")
            EXPECT_EQ(r.text("FILENAME"), "(internes Dokument)");
    }

    progress.cancelAt = 2;
    EXPECT_EQ(a->maintenance->InsertTestDocuments(5).size(), 2);
}

TEST_F(MaintenanceTest, SampleDocumentsFindTheirFilesAndTypes)
{
    auto a = archive("Archiv.dva");
    EXPECT_TRUE(a->maintenance->InsertSampleDocuments().isEmpty());
    EXPECT_EQ(dialogs.messages(),
        QStringList{QString("Die Datei \"%1\" wurde nicht gefunden.").arg(program + "Examples/Import.xml")});

    TestEnv::writeFile("program/HowTo/Anleitung.txt", "x");
    TestEnv::writeFile("program/Liesmich.txt", "x");
    const QString victim = TestEnv::writeFile("wichtig.txt", "bleibt");
    xmlFile("program/Examples/Import.xml",
        textColumn("APPLNAME", 20) + textColumn("NAME") + textColumn("FILENAME", 254) + textColumn("LASTREMARK", 150),
        "<z:row APPLNAME='.txt' NAME='in HowTo' FILENAME='C:\\Programme\\Dravonel\\HowTo\\Anleitung.txt'/>"
        "<z:row APPLNAME='.txt' NAME='im Programmordner' FILENAME='/weg/Liesmich.txt' LASTREMARK='{self:doctable}'/>"
        "<z:row APPLNAME='.txt' NAME='nirgends' FILENAME='/weg/fehlt.txt'/>"
        "<z:row APPLNAME='' NAME='ohne Typ' FILENAME='x'/>"
        "<z:row APPLNAME='url' NAME='Web' FILENAME='https://example.org/' LASTREMARK='{deletefile:"
            + victim + ",noconfirm}'/>");
    a->applications->Add(".txt", "Text", {}, {});
    dialogs.clear();
    EXPECT_EQ(a->maintenance->InsertSampleDocuments().size(), 3);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
    EXPECT_TRUE(QFileInfo::exists(victim));
    a->query->RunSelect({}, "ORDER BY DOCID");
    SqlRecordSet& r = a->dm->AdoQueryDoc;
    EXPECT_EQ(r.text("FILENAME"), program + "HowTo/Anleitung.txt");
    EXPECT_EQ(r.text("USERNAME"), TArchiveMaintenance::SampleOwner());
    r.next();
    EXPECT_EQ(r.text("FILENAME"), program + "Liesmich.txt");
    EXPECT_EQ(r.text("LASTREMARK"), "DOCUMENT");
    r.next();
    EXPECT_EQ(r.text("NAME"), "Web");
    EXPECT_EQ(r.text("LASTREMARK"), "{deletefile:" + victim + ",noconfirm}");
}

TEST_F(MaintenanceTest, TheShippedSamplesAreComplete)
{
    QDir().mkpath(program + "Examples");
    for (const QFileInfo& file : QDir(TestEnv::programFolder() + "Examples").entryInfoList(QDir::Files))
        QFile::copy(file.filePath(), program + "Examples/" + file.fileName());
    auto a = archive("Archiv.dva");
    for (const char* key : {".txt", ".html", ".pdf"})
        a->applications->Add(key, key, {}, {});
    EXPECT_EQ(a->maintenance->InsertSampleDocuments().size(), 6);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join("\n").toStdString();
    a->query->RunSelect({}, "ORDER BY DOCID");
    QStringList types;
    for (SqlRecordSet& r = a->dm->AdoQueryDoc; !r.eof(); r.next()) {
        types << r.text("APPLNAME");
        const TDocTypeKind kind = KindOfKey(r.text("APPLNAME"));
        if (kind == dtkFile || kind == dtkEmail)
            EXPECT_TRUE(QFileInfo(r.text("FILENAME")).isFile()) << r.text("FILENAME").toStdString();
    }
    EXPECT_EQ(types, (QStringList{".txt", ".html", ".pdf", "email", "vxtext", "url"}));
}
} // namespace
