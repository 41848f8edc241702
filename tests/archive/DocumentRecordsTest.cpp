#include "archive/DocumentRecords.h"
#include "ArchiveFixture.h"
#include "archive/ArchiveSchema.h"
#include "archive/DocumentQuery.h"
#include "platform/Errors.h"

#include <QFileInfo>

#include <thread>

namespace {
// Field rules as the default field definitions give them.
class DefaultFieldRules : public FieldRules
{
public:
    std::optional<Rule> ruleFor(const QString& name) const override
    {
        const QString n = name.toUpper();
        if (n == QLatin1String("PROJECT"))
            return Rule{3, updateProjects, true};
        if (n == QLatin1String("CATEGORY") || n == QLatin1String("STATE"))
            return Rule{1, true, true};
        if (n == QLatin1String("TEMPLATE"))
            return Rule{1, false, true};
        if (n == QLatin1String("USERNAME") || n == QLatin1String("FAVORITE"))
            return Rule{5, false, true};
        return Rule{0, false, true};
    }
    bool updateProjects = true;
};

class RecordingIndex : public IndexUpdates
{
public:
    void addRecordWords(SqlRecordSet& r) override
    {
        calls << QStringLiteral("add %1").arg(r.integer(QStringLiteral("DOCID")));
    }
    void updateRecordWords(SqlRecordSet& r, const QMap<QString, QString>& old) override
    {
        calls << QStringLiteral("update %1 %2→%3")
                     .arg(r.integer(QStringLiteral("DOCID")))
                     .arg(old.value(QStringLiteral("NAME")), r.text(QStringLiteral("NAME")));
    }
    void renewRecordWords(SqlRecordSet& r) override
    {
        calls << QStringLiteral("renew %1").arg(r.integer(QStringLiteral("DOCID")));
    }
    QStringList calls;
};

class DocumentRecordsTest : public ArchiveFixture
{
protected:
    void SetUp() override
    {
        ArchiveFixture::SetUp();
        path = TestEnv::home() + QStringLiteral("A.dva");
        ArchiveSchema(*dm).CreateArchive(path);
        prepare(*dm);
    }

    void prepare(TDModul& module)
    {
        module.CurrentArchive.setPath(path);
        module.OpenArchive();
        module.Records().fieldRules = &rules;
        module.Records().wait = [this](int) { ++waits; };
        DocumentQuery(module).RunSelect(QString());
        module.Records().FillChoiceLists();
    }

    qint64 add(TDModul& module, const QList<QPair<QString, QString>>& values)
    {
        SqlRecordSet& records = module.AdoQueryDoc;
        records.append();
        for (const auto& [name, value] : values)
            records.setText(name, value);
        records.post();
        return module.Records().lastNewKey();
    }
    qint64 add(const QList<QPair<QString, QString>>& values) { return add(*dm, values); }

    QVariant scalar(const QString& sql) { return dm->AdoConnectDoc.scalar(sql); }
    DocumentRecords& records() { return dm->Records(); }

    QString path;
    DefaultFieldRules rules;
    int waits = 0;
};
} // namespace

TEST_F(DocumentRecordsTest, NewRecordsGetKeyOwnerNumberAndFileNameByKind)
{
    struct Case
    {
        const char* type;
        const char* number;
        const char* file;
        const char* expectedType;
        const char* expectedNumber;
        const char* expectedFile;
    };
    const Case cases[] = {
        {".PDF", "", "", ".pdf", "1", "[automatisch]"},
        {"vxtext", "", "", "vxtext", "2", "(internes Dokument)"},
        {"url", "R-7", "https://example.org/", "url", "R-7", "https://example.org/"},
    };
    for (const Case& c : cases) {
        QList<QPair<QString, QString>> values{
            {QStringLiteral("APPLNAME"), QLatin1String(c.type)}, {QStringLiteral("DOCNO"), QLatin1String(c.number)}};
        if (*c.file)
            values.append({QStringLiteral("FILENAME"), QLatin1String(c.file)});
        const qint64 key = add(values);
        SqlRecordSet& r = dm->AdoQueryDoc;
        EXPECT_EQ(r.integer(QStringLiteral("DOCID")), key);
        EXPECT_EQ(r.text(QStringLiteral("APPLNAME")).toStdString(), c.expectedType);
        EXPECT_EQ(r.text(QStringLiteral("DOCNO")).toStdString(), c.expectedNumber);
        EXPECT_EQ(r.text(QStringLiteral("FILENAME")).toStdString(), c.expectedFile);
        EXPECT_EQ(r.text(QStringLiteral("USERNAME")), QStringLiteral("anna"));
        EXPECT_EQ(r.text(QStringLiteral("FAVORITE")), QStringLiteral("F"));
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'DOCID'")), 4);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DOCUMENT WHERE USERNAME = 'anna'")), 3);
}

TEST_F(DocumentRecordsTest, ACounterBehindTheTableIsRepairedOnTheFirstInsert)
{
    dm->AdoConnectDoc.execute(QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME) VALUES (1, '.txt')"));
    dm->AdoConnectDoc.execute(QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME) VALUES (2, '.txt')"));
    DocumentQuery(*dm).RunSelect(QString());
    const qint64 key = add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")}});
    EXPECT_EQ(key, 3);
    EXPECT_EQ(dm->AdoQueryDoc.text(QStringLiteral("DOCNO")), QStringLiteral("3"));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(
        dialogs.messages()[0].startsWith(QStringLiteral("Bei Speichern des neuen Datensatzes ist ein Indexfehler")));
    EXPECT_TRUE(logText().contains(QStringLiteral("Das Problem wurde behoben")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'DOCID'")), 4);
    EXPECT_EQ(add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")}}), 4);
    EXPECT_EQ(dialogs.messages().size(), 1);
}

TEST_F(DocumentRecordsTest, ACounterThatCannotBeSavedLeavesTheRecordUnsaved)
{
    dm->AdoConnectDoc.execute(
        QStringLiteral("CREATE TRIGGER LOCKED BEFORE UPDATE ON IDENTNO BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"));
    SqlRecordSet& r = dm->AdoQueryDoc;
    r.append();
    r.setText(QStringLiteral("APPLNAME"), QStringLiteral(".txt"));
    EXPECT_THROW(r.post(), AbortError);
    EXPECT_EQ(r.state(), SqlRecordSet::State::Insert);
    EXPECT_EQ(
        dialogs.messages(), QStringList{QStringLiteral("Fehler beim Speichern von \"DOCID\" in Tabelle \"IDENTNO\".")});
    r.cancel();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DOCUMENT")), 0);
}

TEST_F(DocumentRecordsTest, StructuredChoiceListsGrowWithTheirParents)
{
    add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")}, {QStringLiteral("PROJECT"), QStringLiteral("A\\B\\C")},
        {QStringLiteral("CATEGORY"), QStringLiteral("Rechnung")},
        {QStringLiteral("TEMPLATE"), QStringLiteral("Brief")}});
    EXPECT_EQ(scalar(QStringLiteral("SELECT ITMLIST FROM ITEMLISTS WHERE ITMNAME = 'PROJECT'")),
        QStringLiteral("A\nA\\B\nA\\B\\C"));
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT ITMLIST FROM ITEMLISTS WHERE ITMNAME = 'CATEGORY'")), QStringLiteral("Rechnung"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMLISTS WHERE ITMNAME = 'TEMPLATE'")), 0); // no list update

    DocumentRecords& r = records();
    EXPECT_FALSE(r.AddItemToChoiseList(QStringLiteral("PROJECT"), QStringLiteral("a\\b\\"), true));
    EXPECT_FALSE(r.AddItemToChoiseList(QStringLiteral("project"), QStringLiteral("A\\b\\c"), true));
    EXPECT_TRUE(r.AddItemToChoiseList(QStringLiteral("PROJECT"), QStringLiteral("A\\D"), false));
    EXPECT_EQ(r.ChoiceLists[r.choiceListIndex(QStringLiteral("PROJECT"))], QStringLiteral("A\nA\\B\nA\\B\\C\nA\\D"));
    EXPECT_FALSE(r.AddItemToChoiseList(QStringLiteral("NAME"), QStringLiteral("x"), true)); // no list in memory
    EXPECT_EQ(DocumentRecords::ParentPath(QStringLiteral("C:\\A")), QStringLiteral("C:\\"));
    EXPECT_EQ(DocumentRecords::ParentPath(QStringLiteral("C:\\")), QString());
    EXPECT_EQ(DocumentRecords::ParentPath(QStringLiteral("A")), QString());

    rules.updateProjects = false;
    EXPECT_FALSE(r.AddItemToChoiseList(QStringLiteral("PROJECT"), QStringLiteral("Z"), true));
}

TEST_F(DocumentRecordsTest, DeletingRemovesIndexRowsNoteAndRecordTogetherOrNotAtAll)
{
    const qint64 key = add({{QStringLiteral("APPLNAME"), QStringLiteral("vxtext")}});
    auto fill = [&] {
        dm->AdoConnectDoc.execute(QStringLiteral("INSERT INTO FTIWID VALUES (1, %1)").arg(key));
        dm->AdoConnectDoc.execute(QStringLiteral("INSERT INTO DOCBLOBS VALUES (%1, 'Text')").arg(key));
    };
    fill();
    dm->AdoConnectDoc.execute(
        QStringLiteral("CREATE TRIGGER KEEP BEFORE DELETE ON DOCBLOBS BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"));
    ASSERT_TRUE(records().LocateDocument(key));
    EXPECT_THROW(dm->AdoQueryDoc.remove(), DbError);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWID")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DOCUMENT")), 1);
    EXPECT_FALSE(logText().contains(QStringLiteral("gelöscht")));

    dm->AdoConnectDoc.execute(QStringLiteral("DROP TRIGGER KEEP"));
    dm->AdoQueryDoc.remove();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWID")), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DOCBLOBS")), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DOCUMENT")), 0);
    EXPECT_TRUE(logText().contains(QStringLiteral("]: Dokument \"%1\" gelöscht").arg(key)));
}

TEST_F(DocumentRecordsTest, WordsReachTheIndexOnlyAfterSavingAndOnlyWhenTheyChanged)
{
    RecordingIndex index;
    records().indexUpdates = &index;
    const qint64 key = add(
        {{QStringLiteral("APPLNAME"), QStringLiteral(".txt")}, {QStringLiteral("NAME"), QStringLiteral("alpha beta")}});
    SqlRecordSet& r = dm->AdoQueryDoc;
    r.edit();
    r.setText(QStringLiteral("NAME"), QStringLiteral("beta gamma"));
    r.post();
    r.edit();
    r.setText(QStringLiteral("FAVORITE"), QStringLiteral("T"));
    r.post();
    EXPECT_EQ(index.calls,
        (QStringList{QStringLiteral("add %1").arg(key), QStringLiteral("update %1 alpha beta→beta gamma").arg(key)}));

    dm->Settings.Cfg.FtiCreateMode = 0;
    add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")}});
    EXPECT_EQ(index.calls.size(), 2);
    records().indexUpdates = nullptr;
}

TEST_F(DocumentRecordsTest, KeysFromTwoInstancesNeverCollide)
{
    TDModul second({programFolder, commonFolder, QStringLiteral("bert"), QStringLiteral("PC2"), &dialogs});
    second.Records().wait = [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(2)); };
    dm->Records().wait = second.Records().wait;
    second.Records().fieldRules = &rules;
    second.CurrentArchive.setPath(path);
    second.OpenArchive();
    DocumentQuery(second).RunSelect(QStringLiteral("WHERE DocID=1"));
    constexpr int kEach = 150;
    auto loop = [&](TDModul* module) {
        for (int i = 0; i < kEach; ++i)
            add(*module,
                {{QStringLiteral("APPLNAME"), QStringLiteral(".txt")},
                    {QStringLiteral("NAME"), QStringLiteral("Dok %1").arg(i)}});
    };
    std::thread other(loop, &second);
    loop(dm.get());
    other.join();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(DISTINCT DOCID) FROM DOCUMENT")), 2 * kEach);
    EXPECT_EQ(scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'DOCID'")),
        scalar(QStringLiteral("SELECT MAX(DOCID) + 1 FROM DOCUMENT")));
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST_F(DocumentRecordsTest, ABusyArchiveIsWaitedForAndTheUserAskedAfterTwentyAttempts)
{
    SqlConnection other;
    other.open(path);
    other.beginTransaction(true);
    dialogs.queueButton(Dialogs::Retry);
    dialogs.queueButton(Dialogs::Cancel);
    EXPECT_THROW(records().NewId(QStringLiteral("DOCID")), DbError);
    EXPECT_EQ(waits, 40);
    ASSERT_EQ(dialogs.asked().size(), 2);
    EXPECT_TRUE(dialogs.asked()[0].text.startsWith(
        QStringLiteral("Der Schlüsselwert für \"DOCID\" konnte nicht ermittelt werden:\r")));
    EXPECT_EQ(dialogs.asked()[0].helpTopic, 90006);
    other.rollback();
    EXPECT_EQ(records().NewId(QStringLiteral("DOCID")), 1);

    waits = 0;
    other.beginTransaction(true);
    dialogs.queueButton(Dialogs::Cancel);
    EXPECT_FALSE(records().SetCounter(QStringLiteral("DOCID"), 50));
    EXPECT_EQ(waits, 10);
    other.rollback();
}

TEST_F(DocumentRecordsTest, CountersAreMadeOnFirstUseAndRepaired)
{
    DocumentRecords& r = records();
    EXPECT_EQ(r.NewId(QStringLiteral("MACRO_Rechnung")), 1);
    EXPECT_EQ(r.NewId(QStringLiteral("macro_rechnung")), 2);
    EXPECT_TRUE(r.SetCounter(QStringLiteral("MACRO_Rechnung"), 100));
    EXPECT_EQ(r.NewId(QStringLiteral("MACRO_Rechnung")), 100);
    EXPECT_EQ(r.MaxPlusOne(QStringLiteral("DOCUMENT"), QStringLiteral("DOCID")), 1);
    EXPECT_EQ(r.MaxPlusOne(QStringLiteral("NOWHERE"), QStringLiteral("DOCID")), 1);
    EXPECT_THROW(DocumentRecords::MaxValue(dm->AdoConnectDoc, QStringLiteral("NOWHERE"), QStringLiteral("X")), DbError);
    dm->AdoConnectDoc.execute(QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME) VALUES (41, '.txt')"));
    dm->AdoConnectDoc.execute(QStringLiteral("INSERT INTO FTIWORD VALUES ('haus', 7)"));
    r.RepairCounters(dm->AdoConnectDoc);
    EXPECT_EQ(scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'DOCID'")), 42);
    EXPECT_EQ(scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'FTIWORDID'")), 8);
}

TEST_F(DocumentRecordsTest, QueryTextServices)
{
    add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")}, {QStringLiteral("PROJECT"), QStringLiteral("Kunden")}});
    add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")}, {QStringLiteral("PROJECT"), QStringLiteral("Privat")}});
    DocumentQuery runner(*dm);
    runner.RunSelect(QString());
    DocumentRecords& r = records();
    EXPECT_FALSE(r.HasWhereClause());
    EXPECT_EQ(r.SqlWithDocument(17), dm->AdoQueryDoc.sql());

    const QStringList where{
        QStringLiteral("SELECT *"), QStringLiteral("FROM DOCUMENT"), QStringLiteral("WHERE PROJECT LIKE 'Kunden%'")};
    runner.ExecuteDocQuery(where);
    EXPECT_TRUE(r.HasWhereClause());
    EXPECT_EQ(r.SqlWithDocument(17), (QStringList{where[0], where[1], where[2] + QStringLiteral(" OR DOCID=17")}));
    EXPECT_EQ(r.SqlWithDocuments({3, 4}).last(), where[2] + QStringLiteral(" OR DOCID IN (3,4)"));
    EXPECT_EQ(r.SqlWithDocuments({}), where);
    runner.ExecuteDocQuery({QStringLiteral("SELECT * FROM DOCUMENT WHERE DOCID = 1 ORDER BY NAME")});
    EXPECT_EQ(r.SqlWithDocument(2).first(),
        QStringLiteral("SELECT * FROM DOCUMENT WHERE DOCID = 1 OR DOCID=2 ORDER BY NAME"));

    runner.ExecuteDocQuery(where);
    EXPECT_EQ(dm->AdoQueryDoc.recordCount(), 1);
    EXPECT_TRUE(r.LocateOrInclude(2));
    EXPECT_EQ(dm->AdoQueryDoc.recordCount(), 2);
    EXPECT_EQ(r.CurrentDocId(), 2);
    EXPECT_FALSE(r.LocateOrInclude(99));
}

TEST_F(DocumentRecordsTest, DatesFromTheFileAndStoredDefaults)
{
    const QString file = TestEnv::writeFile(QStringLiteral("brief.txt"), "Hallo");
    {
        QFile handle(file);
        ASSERT_TRUE(handle.open(QIODevice::ReadWrite));
        handle.setFileTime(QDateTime(QDate(2004, 5, 17), QTime(9, 30)), QFileDevice::FileModificationTime);
    }
    SqlRecordSet& r = dm->AdoQueryDoc;
    r.append();
    records().SetDatesFromFile(file);
    EXPECT_EQ(r.dateTime(QStringLiteral("EDITDATE")), QDateTime(QDate(2004, 5, 17), QTime(9, 30)));
    EXPECT_LE(r.dateTime(QStringLiteral("CREATEDATE")), r.dateTime(QStringLiteral("EDITDATE")));
    r.cancel();

    const QString defaults = TestEnv::writeFile(QStringLiteral("SearchEx.fvl"),
        "[Default]\nDOCID=5\nSTATE=offen\nCREATEDATE=17.05.2004\nNOTES=\"eins, zwei\",drei\n");
    dm->ExpandText = [](const QString& text) { return text.toUpper(); };
    r.append();
    records().LoadFieldDefaults(r, defaults, QStringLiteral("Default"));
    EXPECT_TRUE(r.isNull(QStringLiteral("DOCID")));
    EXPECT_EQ(r.text(QStringLiteral("STATE")), QStringLiteral("OFFEN"));
    EXPECT_EQ(r.text(QStringLiteral("CREATEDATE")), QStringLiteral("17.05.2004"));
    EXPECT_EQ(r.text(QStringLiteral("NOTES")), QStringLiteral("EINS, ZWEI\nDREI"));
    r.cancel();
}

TEST_F(DocumentRecordsTest, NotesAndTheScratchTable)
{
    const qint64 key = add({{QStringLiteral("APPLNAME"), QStringLiteral("vxtext")}});
    EXPECT_FALSE(records().NoteField(key));
    dm->AdoConnectDoc.execute(QStringLiteral("INSERT INTO DOCBLOBS VALUES (%1, '{\\rtf1 Hallo}')").arg(key));
    const auto note = records().NoteField(key);
    ASSERT_TRUE(note);
    EXPECT_EQ(note.records->text(note.field), QStringLiteral("{\\rtf1 Hallo}"));
    EXPECT_FALSE(records().NoteField(999));

    SqlRecordSet& tmp = dm->AdoTableTmp;
    tmp.open();
    EXPECT_TRUE(dm->AdoConnectDoc.hasTable(QStringLiteral("TEMPDOC")));
    tmp.append();
    tmp.setText(QStringLiteral("APPLNAME"), QStringLiteral(".txt"));
    tmp.post();
    EXPECT_EQ(tmp.integer(QStringLiteral("DOCID")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'tmpDOCID'")), 2);
}

TEST(DocumentRecordsNames, FieldNameClasses)
{
    EXPECT_TRUE(DocumentRecords::IsValidFieldName(QStringLiteral("KUNDE_2")));
    for (const char* bad : {"", "KUNDE 2", "Straße", "A-B"})
        EXPECT_FALSE(DocumentRecords::IsValidFieldName(QString::fromUtf8(bad))) << bad;
    EXPECT_TRUE(DocumentRecords::IsReadOnlyField(QStringLiteral("filename")));
    EXPECT_FALSE(DocumentRecords::IsReadOnlyField(QStringLiteral("NAME")));
}

TEST_F(DocumentRecordsTest, SystemAndReservedNames)
{
    DocumentRecords& r = records();
    EXPECT_TRUE(r.IsSystemField(QStringLiteral("privat")));
    EXPECT_TRUE(r.IsSystemField(QStringLiteral("FTIUPDATE")));
    dm->Settings.Cfg.FtiCreateMode = 1;
    EXPECT_FALSE(r.IsSystemField(QStringLiteral("FTIUPDATE")));
    EXPECT_FALSE(r.IsSystemField(QStringLiteral("KUNDE")));

    // Without the reserved words file nothing is reserved, and that is reported once.
    EXPECT_FALSE(r.IsReservedName(QStringLiteral("SELECT"), false));
    EXPECT_TRUE(r.IsReservedName(QStringLiteral("rtftext"), true));
    EXPECT_FALSE(r.IsReservedName(QStringLiteral("rtftext"), false));
    ASSERT_EQ(dialogs.asked().size(), 1);
    EXPECT_EQ(dialogs.asked()[0].helpTopic, 5046);
}
