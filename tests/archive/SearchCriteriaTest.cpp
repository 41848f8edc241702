#include "archive/SearchCriteria.h"
#include "ArchiveFixture.h"
#include "archive/ArchiveSchema.h"
#include "archive/DocumentQuery.h"
#include "platform/Errors.h"
#include "platform/db/DateSerial.h"

namespace {
class SearchCriteriaTest : public ArchiveFixture
{
protected:
    void SetUp() override
    {
        ArchiveFixture::SetUp();
        const QString path = TestEnv::home() + QStringLiteral("A.dva");
        ArchiveSchema(*dm).CreateArchive(path);
        openArchive(path);
        ASSERT_TRUE(DocumentQuery(*dm).RunSelect(QString()));
    }

    QString criterion(const SqlField& field, const QString& text)
    {
        return CriterionToSql(*dm, dm->AdoQueryDoc, field, text);
    }
    static SqlField field(const char* name, FieldKind kind, int size = 0)
    {
        SqlField f;
        f.name = QLatin1String(name);
        f.kind = kind;
        f.size = size;
        return f;
    }
    // The keys a condition selects, run against the archive.
    QList<qint64> select(const QString& condition)
    {
        QList<qint64> keys;
        auto statement = dm->AdoConnectDoc.prepare(
            QStringLiteral("SELECT DOCID FROM DOCUMENT WHERE ") + condition + QStringLiteral(" ORDER BY DOCID"));
        while (statement->step())
            keys << statement->value(0).toLongLong();
        return keys;
    }
};
} // namespace

TEST_F(SearchCriteriaTest, CriteriaBecomeConditionsByFieldKind)
{
    struct Case
    {
        SqlField field;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {field("NAME", FieldKind::String, 50), "", ""},
        {field("NAME", FieldKind::String, 50), "*", "NAME IS NOT NULL AND "},
        {field("NOTES", FieldKind::Memo), "!*", "NOTES IS NULL AND "},
        {field("NAME", FieldKind::String, 50), "Mei*", "NAME LIKE 'Mei%' AND "},
        {field("NAME", FieldKind::String, 50), "!Mei", "NAME NOT LIKE 'Mei%' AND "},
        {field("NAME", FieldKind::String, 50), "M?ller", "NAME LIKE 'M_ller%' AND "},
        {field("NAME", FieldKind::String, 50), "O'Neil", "NAME LIKE 'O''Neil%' AND "},
        {field("NOTES", FieldKind::Memo), "Haus", "NOTES LIKE '%Haus%' AND "},
        {field("NOTES", FieldKind::Memo), "*Haus*", "NOTES LIKE '%Haus%' AND "},
        {field("DOCID", FieldKind::Integer), "!5", "DOCID != 5 AND "},
        {field("DOCID", FieldKind::Integer), "12", "DOCID = 12 AND "},
        {field("PRICE", FieldKind::Float), "3,5", "PRICE = 3.5 AND "},
        {field("PRICE", FieldKind::Float), "3.25", "PRICE = 3.25 AND "},
        {field("COUNT", FieldKind::SmallInt), "7", ""},
        {field("AMOUNT", FieldKind::Currency), "7", ""},
        {field("CREATEDATE", FieldKind::DateTime), "17.05.2004", "(CREATEDATE >= 38124 AND CREATEDATE < 38125) AND "},
        {field("CREATEDATE", FieldKind::DateTime), "!17.05.2004",
            " NOT(CREATEDATE >= 38124 AND CREATEDATE < 38125) AND "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(criterion(c.field, QLatin1String(c.text)).toStdString(), c.expected) << c.text;
    EXPECT_TRUE(dialogs.asked().isEmpty());
}

TEST_F(SearchCriteriaTest, QuoteCharacterOfTheSettingsIsUsed)
{
    dm->Settings.QuoteChar = QLatin1Char('"');
    EXPECT_EQ(criterion(field("NAME", FieldKind::String, 50), QStringLiteral("Sag \"ja\"")),
        QStringLiteral("NAME LIKE \"Sag \"\"ja\"\"%\" AND "));
}

TEST_F(SearchCriteriaTest, BadNumbersAreReportedAndBadDatesRaise)
{
    EXPECT_EQ(criterion(field("DOCID", FieldKind::Integer), QStringLiteral("!zwölf")), QString());
    EXPECT_EQ(criterion(field("PRICE", FieldKind::Float), QStringLiteral("1.234,5")), QString());
    const QStringList shown = dialogs.messages();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], QStringLiteral("Datenfeld DOCID: \"zwölf\" ist kein gültiger Zahlwert."));
    EXPECT_EQ(shown[1], QStringLiteral("Datenfeld PRICE: \"1.234,5\" ist kein gültiger Zahlwert."));
    try {
        criterion(field("CREATEDATE", FieldKind::DateTime), QStringLiteral("32.13.2004"));
        FAIL() << "no conversion error";
    } catch (const ConversionError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("'32.13.2004' ist kein gültiges Datum"));
    }
}

TEST_F(SearchCriteriaTest, DateCriterionSelectsTheWholeDayIncludingMidnight)
{
    const double day = DateSerial::fromDate(QDate(2004, 5, 17));
    const double values[] = {day - 0.0001, day, day + 0.5, day + 0.9999, day + 1};
    qint64 key = 1;
    for (double value : values)
        dm->AdoConnectDoc.execute(
            QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, CREATEDATE) VALUES (?, '.txt', ?)"), {key++, value});
    QString condition = criterion(field("CREATEDATE", FieldKind::DateTime), QStringLiteral("17.05.2004"));
    condition.chop(5);
    EXPECT_EQ(select(condition), (QList<qint64>{2, 3, 4}));
}

TEST_F(SearchCriteriaTest, BooleanConditionByKindAndNothingForOtherKinds)
{
    EXPECT_EQ(BooleanCondition(*dm, field("FAVORITE", FieldKind::String, 1), true), QStringLiteral("FAVORITE = 'T'"));
    EXPECT_EQ(BooleanCondition(*dm, field("FAVORITE", FieldKind::String, 1), false), QStringLiteral("FAVORITE = 'F'"));
    EXPECT_EQ(BooleanCondition(*dm, field("DONE", FieldKind::Boolean), true), QStringLiteral("DONE = 'True'"));
    EXPECT_EQ(BooleanCondition(*dm, field("DOCID", FieldKind::Integer), true), QString());
    EXPECT_TRUE(logText().contains(QStringLiteral("The boolean field \"DOCID\" is not BOOLEAN or CHAR(1).")));
}

TEST_F(SearchCriteriaTest, ProjectConditionSelectsTheProjectAndItsSubProjectsOnly)
{
    const char* projects[] = {"Kunden", "Kunden\\Müller", "Kunden\\Müller\\2004", "Kundendienst", "kunden\\meier",
        "Alt\\Kunden", "100%", "100%\\A", "1000", "a_b", "axb\\c"};
    qint64 key = 1;
    for (const char* project : projects)
        dm->AdoConnectDoc.execute(
            QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, PROJECT) VALUES (?, '.txt', ?)"),
            {key++, QString::fromUtf8(project)});
    EXPECT_EQ(ProjectCondition(QString(), QLatin1Char('\'')), QString());
    EXPECT_EQ(select(ProjectCondition(QStringLiteral("Kunden"), QLatin1Char('\''))), (QList<qint64>{1, 2, 3, 5}));
    EXPECT_EQ(select(ProjectCondition(QStringLiteral("Kunden\\Müller"), QLatin1Char('\''))), (QList<qint64>{2, 3}));
    EXPECT_EQ(select(ProjectCondition(QStringLiteral("100%"), QLatin1Char('\''))), (QList<qint64>{7, 8}));
    EXPECT_EQ(select(ProjectCondition(QStringLiteral("a_b"), QLatin1Char('\''))), (QList<qint64>{10}));
}
