#include "archive/ArchiveSchema.h"
#include "ArchiveFixture.h"
#include "archive/DocumentQuery.h"
#include "platform/Errors.h"

#include <QFileInfo>

namespace {
struct ColumnExpectation
{
    const char* name;
    const char* type;
    bool notNull;
};

void expectTable(
    SqlConnection& db, const char* table, std::initializer_list<ColumnExpectation> columns, const QStringList& key)
{
    const TableSchema& schema = db.tableSchema(QLatin1String(table));
    ASSERT_EQ(schema.columns.size(), columns.size()) << table;
    size_t i = 0;
    for (const ColumnExpectation& expected : columns) {
        const ColumnInfo& actual = schema.columns[i++];
        EXPECT_EQ(actual.name.toStdString(), expected.name) << table;
        EXPECT_EQ(actual.declaredType.toStdString(), expected.type) << table << "." << expected.name;
        EXPECT_EQ(actual.notNull, expected.notNull) << table << "." << expected.name;
    }
    EXPECT_EQ(schema.keyColumns, key) << table;
}

// Checks every table, column, type, key, the default field rows and the counter of a new archive.
void expectCompleteArchive(const QString& path)
{
    SqlConnection db;
    db.open(path);
    EXPECT_EQ(db.tableNames(),
        (QStringList{"DOCBLOBS", "DOCFLD", "DOCUMENT", "FTIWID", "FTIWORD", "IDENTNO", "ITEMLISTS", "LAYOUT"}));
    expectTable(db, "DOCUMENT",
        {{"DOCID", "INTEGER", true}, {"APPLNAME", "TEXT(20)", true}, {"DOCNO", "TEXT(20)", false},
            {"NAME", "TEXT(50)", false}, {"PROJECT", "TEXT(80)", false}, {"CATEGORY", "TEXT(30)", false},
            {"STATE", "TEXT(30)", false}, {"USERNAME", "TEXT(30)", false}, {"MAILFROM", "TEXT(30)", false},
            {"TEMPLATE", "TEXT(30)", false}, {"FILENAME", "TEXT(254)", false}, {"FAVORITE", "TEXT(1)", false},
            {"CREATEDATE", "DATETIME", false}, {"EDITDATE", "DATETIME", false}, {"FTIUPDATE", "DATETIME", false},
            {"LASTREMARK", "TEXT(150)", false}, {"NOTES", "LONGTEXT", false}},
        {"DOCID"});
    expectTable(db, "DOCFLD",
        {{"FIELDNAME", "TEXT(30)", true}, {"CAPTION", "TEXT(30)", false}, {"VISIBLE", "TEXT(1)", false},
            {"SHOWINSEARCHMENU", "TEXT(1)", false}, {"DBEDITTABSH", "SMALLINT", false},
            {"EDITSTYLE", "SMALLINT", false}, {"UPDATELIST", "TEXT(1)", false}},
        {"FIELDNAME"});
    expectTable(db, "FTIWORD", {{"WORD", "TEXT(30)", true}, {"WORDID", "INTEGER", true}}, {"WORD"});
    expectTable(db, "FTIWID", {{"WORDID", "INTEGER", true}, {"DOCID", "INTEGER", true}}, {"WORDID", "DOCID"});
    expectTable(db, "DOCBLOBS", {{"DOCID", "INTEGER", true}, {"RTFTEXT", "LONGTEXT", false}}, {"DOCID"});
    expectTable(db, "ITEMLISTS", {{"ITMNAME", "CHAR(30)", true}, {"ITMLIST", "LONGTEXT", false}}, {"ITMNAME"});
    expectTable(db, "IDENTNO", {{"IDNAME", "TEXT(50)", true}, {"NEXTID", "INTEGER", true}}, {"IDNAME"});
    expectTable(db, "LAYOUT",
        {{"PARENT", "TEXT(40)", true}, {"POSTOP", "INTEGER", true}, {"POSLEFT", "INTEGER", true},
            {"NAME", "TEXT(40)", true}, {"TYPENAME", "TEXT(30)", false}, {"TYPENO", "SMALLINT", false},
            {"WIDTH", "INTEGER", false}, {"HEIGHT", "INTEGER", false}, {"CAPTION", "TEXT(40)", false},
            {"TABLENAME", "TEXT(20)", false}, {"FIELDNAME", "TEXT(20)", false}, {"LOOKUPTABLE", "TEXT(20)", false},
            {"LOOKUPFIELD", "TEXT(20)", false}, {"TRANSPARENT", "TEXT(1)", false}},
        {"PARENT", "POSTOP", "POSLEFT", "NAME"});

    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM IDENTNO"), 1);
    EXPECT_EQ(db.scalar("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'docid'"), 1);
    auto rows = db.prepare("SELECT * FROM DOCFLD");
    QStringList lines;
    while (rows->step()) {
        QStringList values;
        for (int i = 0; i < rows->columnCount(); ++i)
            values << rows->value(i).toString();
        lines << values.join(QLatin1Char('|'));
    }
    ASSERT_EQ(lines.size(), 17);
    EXPECT_EQ(lines[0], QStringLiteral("DOCID|{resstr:rsdfcDocID}|T|T|-1|0|F"));
    EXPECT_EQ(lines[4], QStringLiteral("PROJECT|{resstr:rsdfcProject}|T|T|-1|3|T"));
    EXPECT_EQ(lines[7], QStringLiteral("USERNAME|{resstr:rsdfcUserName}|T|F|-1|5|F"));
    EXPECT_EQ(lines[14], QStringLiteral("FTIUPDATE|{resstr:rsdfcFtiUpdate}|F|F|-1|8|F"));
    EXPECT_EQ(lines[16], QStringLiteral("NOTES|{resstr:rsdfcNotes}|T|F|-1|0|F"));
}
} // namespace

using ArchiveSchemaTest = ArchiveFixture;

TEST_F(ArchiveSchemaTest, WithoutAnOpenArchiveANewArchiveIsACopyOfTheCompleteTemplate)
{
    const QString path = TestEnv::home() + QStringLiteral("A.dva");
    ArchiveSchema(*dm).CreateArchive(path);
    EXPECT_EQ(TestEnv::readFile(path), TestEnv::readFile(programFolder + QStringLiteral("Default.mdb")));
    expectCompleteArchive(path);
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST_F(ArchiveSchemaTest, FromTheEmptyTemplateEveryTableIsMadeByItsStatements)
{
    QFile::remove(programFolder + QStringLiteral("Default.mdb"));
    const QString path = TestEnv::home() + QStringLiteral("B.dva");
    ArchiveSchema(*dm).CreateArchive(path);
    expectCompleteArchive(path);
}

TEST_F(ArchiveSchemaTest, WithAnArchiveOpenTheNewOneInheritsItsColumnsAndFieldDefinitions)
{
    const QString first = TestEnv::home() + QStringLiteral("first.dva");
    ArchiveSchema(*dm).CreateArchive(first);
    openArchive(first);
    dm->AdoConnectDoc.execute(QStringLiteral("ALTER TABLE DOCUMENT ADD CUSTOMER TEXT(300)"));
    dm->AdoConnectDoc.execute(QStringLiteral("INSERT INTO DOCFLD VALUES('CUSTOMER','Kunde','T','T',6,1,'T')"));
    DocumentQuery(*dm).RunSelect(QStringLiteral("WHERE DocID=1"));

    const QString second = TestEnv::home() + QStringLiteral("second.dva");
    ArchiveSchema(*dm).CreateArchive(second);
    SqlConnection db;
    db.open(second);
    const TableSchema& schema = db.tableSchema(QStringLiteral("DOCUMENT"));
    ASSERT_EQ(schema.columns.size(), 18u);
    EXPECT_EQ(schema.columns.back().declaredType, QStringLiteral("TEXT(254)"));
    EXPECT_EQ(schema.columns[1].notNull, true);
    EXPECT_EQ(schema.columns[2].notNull, false);
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT CAPTION FROM DOCFLD WHERE FIELDNAME = 'CUSTOMER'")), QStringLiteral("Kunde"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM DOCFLD")), 18);
}

TEST_F(ArchiveSchemaTest, AFailedTableIsReportedAndNoHalfMadeArchiveStays)
{
    QFile::remove(programFolder + QStringLiteral("Default.mdb"));
    TestEnv::writeFile(programFolder + QStringLiteral("newdocumenttable.sql"), "CREATE TABLE DOCUMENT (DOCID INTEGR(");
    makeModule();
    const QString path = TestEnv::home() + QStringLiteral("broken.dva");
    EXPECT_THROW(ArchiveSchema(*dm).CreateArchive(path), DbError);
    EXPECT_FALSE(QFileInfo::exists(path));
    const QStringList messages = dialogs.messages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("SQL-Skript für die neue Dokumentdatenbank wird aus \"")));
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("Fehler beim Erstellen der Tabelle \"DOCUMENT\".:\n")))
        << messages[1].toStdString();
    EXPECT_TRUE(logText().contains(QStringLiteral("Fehler beim Erstellen der Tabelle \"DOCUMENT\".")));
}

TEST_F(ArchiveSchemaTest, AScriptInTheProgramFolderDefinesTheDocumentTable)
{
    QFile::remove(programFolder + QStringLiteral("Default.mdb"));
    TestEnv::writeFile(programFolder + QStringLiteral("newdocumenttable.sql"),
        "CREATE TABLE DOCUMENT (DOCID INTEGER NOT NULL, APPLNAME TEXT(20) NOT NULL, NAME TEXT(99), "
        "PRIMARY KEY (DOCID))");
    const QString path = TestEnv::home() + QStringLiteral("script.dva");
    ArchiveSchema(*dm).CreateArchive(path);
    SqlConnection db;
    db.open(path);
    EXPECT_EQ(db.tableSchema(QStringLiteral("DOCUMENT")).columns.size(), 3u);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO")), 1);
}

TEST_F(ArchiveSchemaTest, WithoutTheEmptyTemplateNothingIsMadeAndTheFileIsNamed)
{
    QFile::remove(programFolder + QStringLiteral("Default.mdb"));
    QFile::remove(programFolder + QStringLiteral("Empty.mdb"));
    const QString path = TestEnv::home() + QStringLiteral("none.dva");
    ArchiveSchema(*dm).CreateArchive(path);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(dialogs.messages(),
        QStringList{QStringLiteral("Die Datei \"%1Empty.mdb\" wurde nicht gefunden.").arg(programFolder)});
    ArchiveSchema(*dm).CreateArchive(QString()); // an empty path does nothing
}

TEST(ArchiveSchemaColumns, ColumnTypeTextByKindAndWidth)
{
    struct Case
    {
        FieldKind kind;
        int width;
        const char* type;
    };
    const Case cases[] = {
        {FieldKind::String, 300, "TEXT(254)"},
        {FieldKind::String, 254, "TEXT(254)"},
        {FieldKind::String, 255, "TEXT(254)"},
        {FieldKind::FixedChar, 30, "TEXT(30)"},
        {FieldKind::SmallInt, 0, "SMALLINT"},
        {FieldKind::LargeInt, 0, "INTEGER"},
        {FieldKind::AutoInc, 0, "INTEGER"},
        {FieldKind::Boolean, 0, "TEXT(1)"},
        {FieldKind::Float, 0, "FLOAT"},
        {FieldKind::Currency, 0, "MONEY"},
        {FieldKind::Time, 0, "DATETIME"},
        {FieldKind::Memo, 0, "LONGTEXT"},
        {FieldKind::Blob, 0, "LONGTEXT"},
        {FieldKind::Graphic, 0, "IMAGE"},
        {FieldKind::Bytes, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ArchiveSchema::ColumnTypeText(c.kind, c.width).toStdString(), c.type)
            << fieldKindName(c.kind).toStdString();
}

TEST_F(ArchiveSchemaTest, DropTableAnswersInsteadOfRaising)
{
    const QString path = TestEnv::home() + QStringLiteral("A.dva");
    ArchiveSchema(*dm).CreateArchive(path);
    openArchive(path);
    ArchiveSchema schema(*dm);
    EXPECT_TRUE(schema.DropTable(QStringLiteral("LAYOUT")));
    EXPECT_FALSE(schema.DropTable(QStringLiteral("LAYOUT")));
    EXPECT_FALSE(dm->AdoConnectDoc.hasTable(QStringLiteral("LAYOUT")));
}

TEST_F(ArchiveSchemaTest, TheStatementsOfLaterWorkRunWithTheirMeaning)
{
    const QString path = TestEnv::home() + QStringLiteral("A.dva");
    ArchiveSchema(*dm).CreateArchive(path);
    openArchive(path);
    SqlConnection& db = dm->AdoConnectDoc;
    db.execute(QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME, PROJECT, CREATEDATE) VALUES "
                              "(1, '.pdf', 'Rechnung', 'Kunden\\Meier', 38124.25)"));
    db.execute(QStringList{QStringLiteral("INSERT INTO FTIWORD"), QStringLiteral("(WORD, WORDID)"),
        QStringLiteral("VALUES ('rechnung', 1)")});
    db.execute(QStringLiteral("INSERT INTO FTIWID (WORDID, DOCID) VALUES (1, 1)"));
    EXPECT_EQ(db.scalar(QStringList{QStringLiteral("SELECT DISTINCT ID.DOCID FROM FTIWID ID, FTIWORD W"),
                  QStringLiteral("WHERE ID.WORDID = W.WORDID AND W.WORD LIKE \"rech%\"")}
                            .join(QLatin1Char('\n'))),
        1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT MAX(DOCID) AS MAX_ID FROM DOCUMENT")), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) AS fRowCount FROM DOCUMENT WHERE PROJECT LIKE 'kunden\\%' AND "
                                       "(CREATEDATE>38123 AND CREATEDATE<38125) AND DOCID IN (1,2) AND NOTES IS NULL")),
        1);
    db.execute(QStringLiteral("ALTER TABLE DOCUMENT ADD CUSTOMER TEXT(40)"));
    db.execute(QStringLiteral("UPDATE DOCUMENT SET CUSTOMER=NAME"));
    db.execute(QStringLiteral("ALTER TABLE DOCUMENT ALTER COLUMN CUSTOMER TEXT(20)"));
    db.execute(QStringLiteral("ALTER TABLE DOCUMENT DROP CUSTOMER"));
    db.execute(QStringLiteral("ALTER TABLE DOCUMENT ADD FTIUPDATE2 DATETIME"));
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT NAME FROM DOCUMENT WHERE NAME = 'RECHNUNG'")), QStringLiteral("Rechnung"));
    EXPECT_EQ(db.tableSchema(QStringLiteral("DOCUMENT")).columns.size(), 18u);
}
