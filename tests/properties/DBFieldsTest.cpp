#include "properties/DBFields.h"
#include "PropertiesFixture.h"
#include "platform/Errors.h"
#include "platform/db/SqlConnection.h"

#include <QFile>

namespace {

class DBFieldsTest : public PropertiesFixture
{
protected:
    QStringList docfldRows()
    {
        auto rows = dm->AdoConnectDoc.prepare(QStringLiteral("SELECT * FROM DOCFLD"));
        QStringList lines;
        while (rows->step()) {
            QStringList values;
            for (int i = 0; i < rows->columnCount(); ++i)
                values << rows->value(i).toString();
            lines << values.join(QLatin1Char('|'));
        }
        return lines;
    }
    QStringList columnNames()
    {
        QStringList names;
        for (const ColumnInfo& column : dm->AdoConnectDoc.tableSchema(QStringLiteral("DOCUMENT")).columns)
            names << column.name;
        return names;
    }
};

TEST(DBFieldCaption, BuiltInTextsAreResolvedByLowerCaseName)
{
    struct Case
    {
        const char* stored;
        const char* shown;
    };
    const Case cases[] = {
        {"{resstr:rsdfcState}", "Status"},
        {"{resstr:RSDFCDOCID}", "Schlüssel"},
        {"{resstr:rsdfcUserNameCB}", "Private Suche"},
        {"{resstr:rsdfcFtiUpdate}", "Letzte Indexierung"},
        {"{resstr:rsdfcUnknown}", "{resstr:rsdfcUnknown}"},
        {"{resstr:", "{resstr:"},
        {"Kunde", "Kunde"},
        {"", ""},
    };
    for (const Case& c : cases) {
        TVxDBField field;
        field.Caption = QString::fromUtf8(c.stored);
        EXPECT_EQ(field.DisplayCaption(), QString::fromUtf8(c.shown)) << c.stored;
    }
}

TEST_F(DBFieldsTest, StatementsAreWrittenExactlyWithTheQuoteCharacter)
{
    TVxDBFields fields(*dm);
    TVxDBField field;
    field.FieldName = QStringLiteral("KUNDE");
    field.Caption = QStringLiteral("Kunde's Name");
    field.Visible = true;
    field.ShowInSearchMenu = false;
    field.DBEditTabSh = 3;
    field.EditStyle = 1;
    field.UpdateList = true;
    EXPECT_EQ(fields.InsertStatement(field),
        QStringLiteral(
            "INSERT INTO DOCFLD (FIELDNAME,CAPTION,VISIBLE,SHOWINSEARCHMENU,DBEDITTABSH,EDITSTYLE,UPDATELIST) "
            "VALUES ('KUNDE','Kunde''s Name','T','F',3,1,'T')"));
    EXPECT_EQ(fields.SaveInsertStatement(field),
        (QStringList{"INSERT INTO DOCFLD",
            "(FIELDNAME,CAPTION,VISIBLE,SHOWINSEARCHMENU,DBEDITTABSH,EDITSTYLE,UPDATELIST)",
            "VALUES ('KUNDE','Kunde''s Name','T','F',3,1,'T')"}));
    EXPECT_EQ(fields.UpdateStatement(QStringLiteral("KUNDE_ALT"), field),
        QStringLiteral("UPDATE DOCFLD SET FIELDNAME='KUNDE',CAPTION='Kunde''s Name',VISIBLE='T',SHOWINSEARCHMENU='F',"
                       "DBEDITTABSH=3,EDITSTYLE=1,UPDATELIST='T' WHERE FIELDNAME='KUNDE_ALT'"));
    EXPECT_EQ(
        fields.DeleteStatement(QStringLiteral("KUNDE")), QStringLiteral("DELETE FROM DOCFLD WHERE FIELDNAME='KUNDE'"));

    dm->QuoteChar = QLatin1Char('"');
    EXPECT_EQ(fields.DeleteStatement(QStringLiteral("A\"B")),
        QStringLiteral("DELETE FROM DOCFLD WHERE FIELDNAME=\"A\"\"B\""));

    EXPECT_EQ(TVxDBFields::AddColumnStatement("KUNDE", "TEXT(40)"),
        QStringLiteral("ALTER TABLE DOCUMENT ADD KUNDE TEXT(40)"));
    EXPECT_EQ(TVxDBFields::ChangeColumnStatement("KUNDE", "TEXT(60)"),
        QStringLiteral("ALTER TABLE DOCUMENT ALTER COLUMN KUNDE TEXT(60)"));
    EXPECT_EQ(TVxDBFields::DropColumnStatement("KUNDE"), QStringLiteral("ALTER TABLE DOCUMENT DROP KUNDE"));
    EXPECT_EQ(TVxDBFields::CopyValuesStatement("A", "B"), QStringLiteral("UPDATE DOCUMENT SET A=B"));
}

TEST_F(DBFieldsTest, LoadFromArchiveReadsTheDefaultRowsInTableOrder)
{
    openArchive();
    TVxDBFields fields(*dm);
    fields.LoadFromArchive(dm->AdoConnectDoc);
    ASSERT_EQ(fields.Count(), 17);
    EXPECT_EQ(fields.Names().first(), QStringLiteral("DOCID"));
    EXPECT_EQ(fields.Names().last(), QStringLiteral("NOTES"));

    const TVxDBField* project = fields.Find(QStringLiteral("project"));
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->EditStyle, 3);
    EXPECT_TRUE(project->UpdateList);
    EXPECT_TRUE(project->Visible);
    EXPECT_TRUE(project->ShowInSearchMenu);
    EXPECT_EQ(project->DBEditTabSh, -1);
    EXPECT_EQ(fields.CaptionOf(QStringLiteral("Project")), QStringLiteral("Projekt"));

    const TVxDBField* fti = fields.Find(QStringLiteral("FTIUPDATE"));
    ASSERT_NE(fti, nullptr);
    EXPECT_FALSE(fti->Visible);
    EXPECT_EQ(fti->EditStyle, 8);

    EXPECT_EQ(fields.IndexOf(QStringLiteral("nosuch")), -1);
    EXPECT_EQ(fields.Find(QStringLiteral("nosuch")), nullptr);
    EXPECT_EQ(fields.CaptionOf(QStringLiteral("nosuch")), QStringLiteral("nosuch"));

    // Ids are unique within the run, also across reloads.
    QSet<int> ids;
    for (int i = 0; i < fields.Count(); ++i)
        ids.insert(fields.At(i).Id);
    fields.LoadFromArchive(dm->AdoConnectDoc);
    for (int i = 0; i < fields.Count(); ++i)
        ids.insert(fields.At(i).Id);
    EXPECT_EQ(ids.size(), 34);
}

TEST_F(DBFieldsTest, BooleansAreReadFromTheirFirstLetter)
{
    for (const char* yes : {"T", "t", "Y", "yes", "True"})
        EXPECT_TRUE(TVxDBFields::ReadBoolean(QLatin1String(yes))) << yes;
    for (const char* no : {"F", "", "N", "1", " T"})
        EXPECT_FALSE(TVxDBFields::ReadBoolean(QLatin1String(no))) << no;
}

TEST_F(DBFieldsTest, AddUpdateAndDeleteKeepListAndTableInStep)
{
    openArchive();
    TVxDBFields fields(*dm);
    fields.LoadFromArchive(dm->AdoConnectDoc);

    const TVxDBField& added = fields.Add(
        QStringLiteral("kunde"), QStringLiteral("Kunde, \"neu\""), &dm->AdoConnectDoc, true, 1, 3, true, true);
    EXPECT_EQ(added.FieldName, QStringLiteral("KUNDE"));
    const int firstId = added.Id;
    EXPECT_EQ(docfldRows().last(), QStringLiteral("KUNDE|Kunde, \"neu\"|T|T|3|1|T"));

    fields.LoadFromArchive(dm->AdoConnectDoc);
    const TVxDBField* reloaded = fields.Find(QStringLiteral("KUNDE"));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->Caption, QStringLiteral("Kunde, \"neu\""));
    EXPECT_EQ(reloaded->EditStyle, 1);
    EXPECT_EQ(reloaded->DBEditTabSh, 3);
    EXPECT_TRUE(reloaded->UpdateList);
    EXPECT_TRUE(reloaded->ShowInSearchMenu);
    EXPECT_NE(reloaded->Id, firstId);

    const int position = fields.IndexOf(QStringLiteral("KUNDE"));
    const int id = reloaded->Id;
    fields.Update(
        position, QStringLiteral("Kunde2"), &dm->AdoConnectDoc, false, 0, -1, false, false, QStringLiteral("Kunde"));
    EXPECT_EQ(fields.IndexOf(QStringLiteral("KUNDE")), -1);
    ASSERT_EQ(fields.IndexOf(QStringLiteral("KUNDE2")), position);
    EXPECT_EQ(fields.At(position).Id, id);
    EXPECT_FALSE(fields.At(position).Visible);
    EXPECT_EQ(docfldRows().last(), QStringLiteral("KUNDE2|Kunde|F|F|-1|0|F"));

    fields.Delete(QStringLiteral("kunde2"), &dm->AdoConnectDoc);
    EXPECT_EQ(fields.Find(QStringLiteral("KUNDE2")), nullptr);
    EXPECT_EQ(docfldRows().size(), 17);
    EXPECT_EQ(fields.Count(), 17);

    // Without a connection only the list changes.
    fields.Add(QStringLiteral("X"), QStringLiteral("X"), nullptr, false, 0, 0, false, true);
    EXPECT_EQ(fields.Count(), 18);
    EXPECT_EQ(docfldRows().size(), 17);
}

TEST_F(DBFieldsTest, RefusedStatementReachesTheCallerAndChangesNothing)
{
    openArchive();
    TVxDBFields fields(*dm);
    fields.LoadFromArchive(dm->AdoConnectDoc);
    const QStringList before = docfldRows();
    const QString tooLong(31, QLatin1Char('x')); // CAPTION is TEXT(30)

    EXPECT_THROW(fields.Add(QStringLiteral("KUNDE"), tooLong, &dm->AdoConnectDoc, false, 0, 3, false, true), DbError);
    EXPECT_EQ(fields.Count(), 17);
    EXPECT_EQ(fields.Find(QStringLiteral("KUNDE")), nullptr);

    // A second row of an existing name breaks the key.
    EXPECT_THROW(
        fields.Add(QStringLiteral("name"), QStringLiteral("Name"), &dm->AdoConnectDoc, false, 0, 3, false, true),
        DbError);
    EXPECT_EQ(fields.Count(), 17);

    const int position = fields.IndexOf(QStringLiteral("NAME"));
    EXPECT_THROW(fields.Update(position, QStringLiteral("NAME"), &dm->AdoConnectDoc, false, 0, -1, true, true, tooLong),
        DbError);
    EXPECT_EQ(fields.At(position).Caption, QStringLiteral("{resstr:rsdfcName}"));
    EXPECT_EQ(docfldRows(), before);
}

TEST_F(DBFieldsTest, ColumnsWithoutDefinitionGetInMemoryDefaultsAndALogLine)
{
    openArchive();
    dm->AdoQueryDoc.close();
    dm->AdoConnectDoc.execute(TVxDBFields::AddColumnStatement(QStringLiteral("Kunde"), QStringLiteral("TEXT(40)")));
    dm->AdoQueryDoc.open();
    TVxDBFields fields(*dm);
    fields.LoadFromArchive(dm->AdoConnectDoc);
    QStringList columns;
    for (const SqlField& field : dm->AdoQueryDoc.fields())
        columns << field.name;

    EXPECT_EQ(fields.AddDefaultDefinitions(columns), QStringList{QStringLiteral("KUNDE")});
    const TVxDBField* kunde = fields.Find(QStringLiteral("KUNDE"));
    ASSERT_NE(kunde, nullptr);
    EXPECT_EQ(kunde->Caption, QStringLiteral("KUNDE"));
    EXPECT_EQ(kunde->EditStyle, 0);
    EXPECT_EQ(kunde->DBEditTabSh, 6);
    EXPECT_TRUE(kunde->Visible);
    EXPECT_FALSE(kunde->ShowInSearchMenu);
    EXPECT_FALSE(kunde->UpdateList);
    EXPECT_TRUE(logText().contains(
        QStringLiteral("]: Error: Datafield \"KUNDE\" has no fielddefinition, create default definition\n")));
    EXPECT_EQ(docfldRows().size(), 17);

    // Changing such a definition writes its row for the first time.
    fields.Update(fields.IndexOf(QStringLiteral("KUNDE")), QStringLiteral("KUNDE"), &dm->AdoConnectDoc, true, 1, 3,
        false, true, QStringLiteral("Kunde"));
    EXPECT_EQ(docfldRows().last(), QStringLiteral("KUNDE|Kunde|T|F|3|1|T"));
}

TEST_F(DBFieldsTest, SaveToArchiveReplacesTheRowsOfAnotherArchive)
{
    openArchive();
    TVxDBFields fields(*dm);
    fields.LoadFromArchive(dm->AdoConnectDoc);
    fields.Add(QStringLiteral("KUNDE"), QStringLiteral("Kunde"), nullptr, false, 0, 3, false, true);

    const QString otherPath = TestEnv::home() + QStringLiteral("Other.dva");
    QFile::copy(programFolder + QStringLiteral("Default.mdb"), otherPath);
    QFile::setPermissions(otherPath, QFile::permissions(otherPath) | QFile::WriteOwner);
    SqlConnection other;
    other.open(otherPath);
    other.execute(QStringLiteral("INSERT INTO DOCFLD (FIELDNAME) VALUES ('STALE')"));
    ASSERT_TRUE(fields.SaveToArchive(other));
    TVxDBFields copy(*dm);
    copy.LoadFromArchive(other);
    EXPECT_EQ(copy.Names(), fields.Names());

    // A failing row rolls everything back and is reported with the field and the table.
    fields.Add(QStringLiteral("LANG"), QString(40, QLatin1Char('x')), nullptr, false, 0, 3, false, true);
    EXPECT_FALSE(fields.SaveToArchive(other));
    copy.LoadFromArchive(other);
    EXPECT_EQ(copy.Count(), 18);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages().first().startsWith(
        QStringLiteral("Fehler beim Speichern von \"LANG\" in Tabelle \"DOCFLD\".\n")));
    EXPECT_TRUE(logText().contains(QStringLiteral("Fehler beim Speichern von \"LANG\"")));
}

TEST_F(DBFieldsTest, ColumnStatementsKeepEveryOtherValue)
{
    openArchive();
    dm->AdoConnectDoc.execute(QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME, PROJECT, CREATEDATE) VALUES "
                                             "(1, '.txt', 'Brief', 'A\\B', 38000.5)"));
    dm->AdoConnectDoc.execute(
        QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME, NOTES) VALUES (2, '.pdf', 'Rechnung', 'Zeile')"));
    auto snapshot = [&](const QStringList& skip) -> QString {
        auto rows = dm->AdoConnectDoc.prepare(QStringLiteral("SELECT * FROM DOCUMENT ORDER BY DOCID"));
        QStringList out;
        while (rows->step())
            for (int i = 0; i < rows->columnCount(); ++i)
                if (!skip.contains(rows->columnName(i)))
                    out << rows->columnName(i) + QLatin1Char('=') + rows->value(i).toString();
        return out.join(QLatin1Char(';'));
    };
    const QString before = snapshot({});

    TVxDBFields::ExecuteColumnStatement(*dm, TVxDBFields::AddColumnStatement("KUNDE", "TEXT(10)"));
    EXPECT_FALSE(dm->AdoQueryDoc.isActive());
    EXPECT_EQ(dm->AdoQueryDoc.sqlText(), QStringLiteral("SELECT *\nFROM DOCUMENT"));
    dm->AdoConnectDoc.execute(QStringLiteral("UPDATE DOCUMENT SET KUNDE='Müller' WHERE DOCID=1"));
    EXPECT_EQ(snapshot({"KUNDE"}), before);

    TVxDBFields::ExecuteColumnStatement(*dm, TVxDBFields::ChangeColumnStatement("KUNDE", "TEXT(40)"));
    const TableSchema& schema = dm->AdoConnectDoc.tableSchema(QStringLiteral("DOCUMENT"));
    EXPECT_EQ(schema.columns.at(size_t(schema.indexOf("KUNDE"))).declaredType, QStringLiteral("TEXT(40)"));
    EXPECT_EQ(
        dm->AdoConnectDoc.scalar("SELECT KUNDE FROM DOCUMENT WHERE DOCID=1").toString(), QStringLiteral("Müller"));
    EXPECT_EQ(snapshot({"KUNDE"}), before);

    // A width the data does not fit is refused and leaves the table as it was.
    const QString withKunde = snapshot({});
    EXPECT_THROW(
        TVxDBFields::ExecuteColumnStatement(*dm, TVxDBFields::ChangeColumnStatement("KUNDE", "TEXT(3)")), DbError);
    EXPECT_EQ(snapshot({}), withKunde);

    for (const QString& statement : TVxDBFields::RenameColumnStatements("KUNDE", "KUNDE2", "TEXT(40)"))
        TVxDBFields::ExecuteColumnStatement(*dm, statement);
    EXPECT_FALSE(columnNames().contains(QStringLiteral("VXTMPFIELD")));
    EXPECT_EQ(
        dm->AdoConnectDoc.scalar("SELECT KUNDE2 FROM DOCUMENT WHERE DOCID=1").toString(), QStringLiteral("Müller"));

    TVxDBFields::ExecuteColumnStatement(*dm, TVxDBFields::DropColumnStatement("KUNDE2"));
    EXPECT_FALSE(columnNames().contains(QStringLiteral("KUNDE2")));
    EXPECT_EQ(snapshot({}), before);
}

TEST_F(DBFieldsTest, AddIndexDateFieldAddsColumnAndHiddenDefinition)
{
    openArchive();
    dm->AdoConnectDoc.execute(
        QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME) VALUES (1, '.txt', 'Brief')"));
    TVxDBFields::ExecuteColumnStatement(*dm, TVxDBFields::DropColumnStatement("FTIUPDATE"));
    dm->AdoQueryDoc.open();
    TVxDBFields fields(*dm);
    fields.LoadFromArchive(dm->AdoConnectDoc); // the archive still has the FTIUPDATE row
    fields.AddIndexDateField();

    EXPECT_TRUE(columnNames().contains(QStringLiteral("FTIUPDATE")));
    EXPECT_TRUE(dm->AdoQueryDoc.isActive());
    EXPECT_TRUE(dm->AdoQueryDoc.hasField(QStringLiteral("FTIUPDATE")));
    const TVxDBField* fti = fields.Find(QStringLiteral("FTIUPDATE"));
    ASSERT_NE(fti, nullptr);
    EXPECT_EQ(fti->Caption, QStringLiteral("Letzte Indexierung"));
    EXPECT_EQ(fti->EditStyle, 10);
    EXPECT_EQ(fti->DBEditTabSh, 6);
    EXPECT_FALSE(fti->Visible);
    EXPECT_EQ(dm->AdoConnectDoc.scalar("SELECT COUNT(*) FROM DOCFLD WHERE FIELDNAME='FTIUPDATE'").toInt(), 1);
    EXPECT_EQ(dm->AdoConnectDoc.scalar("SELECT CAPTION FROM DOCFLD WHERE FIELDNAME='FTIUPDATE'").toString(),
        QStringLiteral("Letzte Indexierung"));

    // Without any definition row the definition is inserted.
    TVxDBFields::ExecuteColumnStatement(*dm, TVxDBFields::DropColumnStatement("FTIUPDATE"));
    fields.Delete(QStringLiteral("FTIUPDATE"), &dm->AdoConnectDoc);
    fields.AddIndexDateField();
    EXPECT_EQ(dm->AdoConnectDoc.scalar("SELECT EDITSTYLE FROM DOCFLD WHERE FIELDNAME='FTIUPDATE'").toInt(), 10);
    EXPECT_EQ(fields.Count(), 17);

    // A column that exists already: the engine refuses, nothing else changes.
    EXPECT_THROW(fields.AddIndexDateField(), DbError);
    EXPECT_EQ(fields.Count(), 17);
}

TEST(DBFieldDataTypes, ColumnTypesAndOfferedStyles)
{
    using T = TVxDataType;
    struct Case
    {
        T type;
        int size;
        const char* column;
    };
    const Case columns[] = {{T::Text, 30, "TEXT(30)"}, {T::Text, 255, "TEXT(254)"}, {T::Memo, 0, "LONGTEXT"},
        {T::FormattedText, 0, "LONGTEXT"}, {T::Integer, 0, "INTEGER"}, {T::Float, 0, "FLOAT"},
        {T::Logical, 0, "TEXT(1)"}, {T::Picture, 0, "IMAGE"}, {T::DateTime, 0, "DATETIME"}};
    for (const Case& c : columns)
        EXPECT_EQ(TVxDataTypes::ColumnType(c.type, c.size), QLatin1String(c.column)) << c.column;

    struct Styles
    {
        T type;
        const char* size;
        const char* field;
        QList<int> styles;
    };
    const Styles styles[] = {
        {T::Text, "30", "KUNDE", {0, 1, 2, 3, 4}},
        {T::Text, "1", "KUNDE", {0, 1, 2, 3, 4, 5}},
        {T::Text, "30", "username", {0, 1, 2, 3, 4, 5}},
        {T::Text, "30", "APPLNAME", {2}},
        {T::Text, "30", "Template", {2}},
        {T::Text, "254", "FILENAME", {0}},
        {T::Memo, "", "NOTES2", {6, 7}},
        {T::FormattedText, "", "X", {6, 7}},
        {T::Integer, "", "X", {0, 1, 2, 3, 4}},
        {T::Float, "", "X", {0, 1, 2, 3, 4}},
        {T::Logical, "", "X", {5}},
        {T::Picture, "", "X", {11}},
        {T::DateTime, "", "X", {8, 9, 10}},
    };
    for (const Styles& s : styles)
        EXPECT_EQ(TVxDataTypes::AllowedEditStyles(s.type, QLatin1String(s.size), QLatin1String(s.field)), s.styles)
            << TVxDataTypes::Name(s.type).toStdString() << " " << s.field;

    EXPECT_EQ(TVxDataTypes::StoredEditStyle(T::FormattedText, 6, "X"), 7);
    EXPECT_EQ(TVxDataTypes::StoredEditStyle(T::Text, 2, "APPLNAME"), 1);
    EXPECT_EQ(TVxDataTypes::StoredEditStyle(T::Text, 2, "KUNDE"), 2);
    EXPECT_EQ(TVxDataTypes::DefaultEditStyle(T::DateTime), 10);
    EXPECT_EQ(TVxEditStyle::Name(5), QStringLiteral("Optionsfeld"));
    EXPECT_EQ(TVxEditStyle::Name(13), QString());
    EXPECT_EQ(TVxDataTypes::FromName(QStringLiteral("Fließkommazahl")), T::Float);
}

TEST_F(DBFieldsTest, LogicalColumnReadsBackAsOneCharacterText)
{
    openArchive();
    TVxDBFields::ExecuteColumnStatement(
        *dm, TVxDBFields::AddColumnStatement("ERLEDIGT", TVxDataTypes::ColumnType(TVxDataType::Logical)));
    const TableSchema& schema = dm->AdoConnectDoc.tableSchema(QStringLiteral("DOCUMENT"));
    const ColumnInfo& column = schema.columns.at(size_t(schema.indexOf("ERLEDIGT")));
    const auto type = TVxDataTypes::FromFieldKind(column.type.kind);
    ASSERT_TRUE(type.has_value());
    EXPECT_EQ(*type, TVxDataType::Text);
    EXPECT_EQ(column.type.width, 1);
    EXPECT_TRUE(TVxDataTypes::AllowedEditStyles(*type, QString::number(column.type.width), column.name)
                    .contains(TVxEditStyle::Option));

    EXPECT_EQ(TVxDataTypes::FromFieldKind(FieldKind::Memo), TVxDataType::Memo);
    EXPECT_EQ(TVxDataTypes::FromFieldKind(FieldKind::Graphic), TVxDataType::Picture);
    EXPECT_EQ(TVxDataTypes::FromFieldKind(FieldKind::SmallInt), TVxDataType::Integer);
    EXPECT_FALSE(TVxDataTypes::FromFieldKind(FieldKind::Unknown).has_value());
}

TEST_F(DBFieldsTest, ProtectedFieldsAndNameRules)
{
    for (const char* name : {"APPLNAME", "category", "DOCID", "PRIVAT", "RTFTEXT", "UserName", "DOCNO"})
        EXPECT_TRUE(TVxDBFields::IsProtectedField(QLatin1String(name), 0)) << name;
    for (const char* name : {"MAILFROM", "FAVORITE", "KUNDE"})
        EXPECT_FALSE(TVxDBFields::IsProtectedField(QLatin1String(name), 2)) << name;
    EXPECT_FALSE(TVxDBFields::IsProtectedField(QStringLiteral("FTIUPDATE"), 1));
    EXPECT_TRUE(TVxDBFields::IsProtectedField(QStringLiteral("FTIUPDATE"), 2));

    TVxReservedWords reserved;
    ASSERT_TRUE(reserved.Load(*dm));
    EXPECT_GT(reserved.Count(), 300);
    struct Case
    {
        const char* name;
        bool accepted;
    };
    const Case cases[] = {{"KUNDE_2", true}, {"Kunde", true}, {"select", false}, {"DISTINCTROW", false},
        {"AUTOINCREMENT", false}, {"RTFTEXT", false}, {"docimage", false}, {"VXTMPFIELD", false}, {"", false},
        {"KUNDE NAME", false}, {"Größe", false}, {"A-B", false}, {"PRAGMA", false}};
    for (const Case& c : cases)
        EXPECT_EQ(TVxDBFields::FieldNameProblem(QString::fromUtf8(c.name), reserved).isEmpty(), c.accepted) << c.name;
    EXPECT_EQ(TVxDBFields::FieldNameProblem(QStringLiteral("Select"), reserved),
        QStringLiteral("\"Select\" ist ein reserviertes Wort. Geben Sie bitte einen anderen Feldnamen ein."));
    EXPECT_TRUE(dialogs.messages().isEmpty());

    QFile::remove(programFolder + QStringLiteral("sqlres.txt"));
    EXPECT_FALSE(reserved.Load(*dm));
    ASSERT_EQ(dialogs.asked().size(), 1);
    EXPECT_EQ(dialogs.asked().first().text, QStringLiteral("Die Datei \"sqlres.txt\" wurde nicht gefunden."));
    EXPECT_EQ(dialogs.asked().first().helpTopic, 5046);
    EXPECT_TRUE(TVxDBFields::FieldNameProblem(QStringLiteral("SELECT"), reserved).isEmpty());
    EXPECT_FALSE(TVxDBFields::FieldNameProblem(QStringLiteral("RTFTEXT"), reserved).isEmpty());
}

} // namespace
