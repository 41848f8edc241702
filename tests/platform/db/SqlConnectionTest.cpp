#include "DbFixture.h"
#include "platform/Errors.h"
#include "platform/db/SqlFunctions.h"

#include <QFile>

using ConnectionTest = DbFixture;

namespace {
QVariant count(SqlConnection& db, const QString& where)
{
    return db.scalar(QStringLiteral("SELECT COUNT(*) AS fRowCount FROM T WHERE ") + where);
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DbError& e) {
        return e.message();
    }
    return {};
}
} // namespace

TEST(SqlConnectionOpen, RefusesWhatIsNoArchiveAndLeavesTheFileAlone)
{
    const QString missing = TestEnv::home() + QStringLiteral("missing.dva");
    SqlConnection db;
    EXPECT_EQ(
        errorOf([&] { db.open(missing); }), QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(missing));
    EXPECT_FALSE(QFile::exists(missing));

    const QByteArray junk("This is a letter, not an archive.\n");
    const QString text = TestEnv::writeFile(QStringLiteral("letter.dva"), junk);
    EXPECT_TRUE(errorOf([&] { db.open(text); }).contains(QStringLiteral("keine Archivdatei")));
    EXPECT_EQ(TestEnv::readFile(text), junk);
    EXPECT_FALSE(db.isConnected());

    // An archive cut off after its first pages.
    const QString whole = TestEnv::home() + QStringLiteral("whole.dva");
    {
        SqlConnection full;
        full.create(whole);
        full.execute(QStringLiteral("CREATE TABLE X (A LONGTEXT)"));
        for (int i = 0; i < 50; ++i)
            full.execute(QStringLiteral("INSERT INTO X VALUES ('%1')").arg(QString(500, QLatin1Char('x'))));
    }
    const QByteArray cut = TestEnv::readFile(whole).left(8192);
    const QString truncated = TestEnv::writeFile(QStringLiteral("cut.dva"), cut);
    EXPECT_TRUE(errorOf([&] { db.open(truncated); }).contains(QStringLiteral("beschädigt")));
    EXPECT_EQ(TestEnv::readFile(truncated), cut);
}

TEST_F(ConnectionTest, TextComparesWithoutRegardToCaseUmlautsIncluded)
{
    insertNames({QStringLiteral("Müller"), QStringLiteral("MEIER"), QStringLiteral("Straße")});
    EXPECT_EQ(count(db, QStringLiteral("NAME = 'MÜLLER'")), 1);
    EXPECT_EQ(count(db, QStringLiteral("NAME = \"meier\"")), 1);
    EXPECT_EQ(count(db, QStringLiteral("NAME LIKE 'mü%'")), 1);
    EXPECT_EQ(count(db, QStringLiteral("NAME LIKE '%E_ER'")), 1);
    EXPECT_EQ(count(db, QStringLiteral("NAME LIKE 'STRASSE'")), 0);
    EXPECT_EQ(count(db, QStringLiteral("NAME IN ('müller', 'meier')")), 2);
    EXPECT_EQ(count(db, QStringLiteral("NAME NOT LIKE 'm%'")), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NAME FROM T ORDER BY NAME")).toString(), QStringLiteral("MEIER"));
}

TEST(SqlFunctionsLike, Patterns)
{
    struct Case
    {
        const char* pattern;
        const char* text;
        bool match;
    };
    const Case cases[] = {
        {"haus%", "Hausarzt", true},
        {"%tür", "HAUSTÜR", true},
        {"h_us", "Haus", true},
        {"h_us", "Hus", false},
        {"%a%b%", "xaxxbx", true},
        {"%a%b", "ab a", false},
        {"", "", true},
        {"%", "", true},
        {"abc", "abcd", false},
        {"ä%", "Ärger", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SqlFunctions::like(QString::fromUtf8(c.pattern), QString::fromUtf8(c.text)), c.match)
            << c.pattern << " / " << c.text;
    EXPECT_TRUE(SqlFunctions::like(QStringLiteral("100!%"), QStringLiteral("100%"), QLatin1Char('!')));
    EXPECT_FALSE(SqlFunctions::like(QStringLiteral("100!%"), QStringLiteral("1000"), QLatin1Char('!')));
}

TEST_F(ConnectionTest, StatementsRefuseValuesTheColumnCannotTake)
{
    auto rejects = [&](const QString& values) {
        return errorOf(
            [&] { db.execute(QStringLiteral("INSERT INTO T (ID, NAME, SMALL, AMOUNT, WHEN_) VALUES ") + values); });
    };
    EXPECT_TRUE(rejects(QStringLiteral("(1, 'elf Zeichen', 1, 1.5, 38000)")).contains(QStringLiteral("länger als 10")));
    EXPECT_NE(rejects(QStringLiteral("('x', 'a', 1, 1.5, 38000)")), QString());
    EXPECT_TRUE(rejects(QStringLiteral("(1, 'a', 'x', 1.5, 38000)")).contains(QStringLiteral("ganze Zahlen")));
    EXPECT_TRUE(rejects(QStringLiteral("(1, 'a', 40000, 1.5, 38000)")).contains(QStringLiteral("32767")));
    EXPECT_TRUE(rejects(QStringLiteral("(1, 'a', 1, 'viel', 38000)")).contains(QStringLiteral("nur Zahlen")));
    EXPECT_TRUE(rejects(QStringLiteral("(1, 'a', 1, 1.5, 'morgen')")).contains(QStringLiteral("Datums")));
    EXPECT_EQ(rejects(QStringLiteral("('7', 'zehn Zeich', '2', '1.5', 38000.25)")), QString());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT typeof(ID) FROM T")), QStringLiteral("integer"));
    // Whole-day conditions on day serials.
    EXPECT_EQ(count(db, QStringLiteral("WHEN_ >= 38000 AND WHEN_ < 38001")), 1);
}

TEST_F(ConnectionTest, AlterColumnAndDropKeepEveryOtherValue)
{
    db.execute(QStringLiteral("INSERT INTO T (ID, NAME, AMOUNT, NOTES) VALUES (1, 'Anna', 2.5, 'eins')"));
    db.execute(QStringLiteral("INSERT INTO T (ID, NAME, AMOUNT, NOTES) VALUES (2, 'Bert', NULL, 'zwei')"));
    db.execute(QStringLiteral("ALTER TABLE T ADD CUSTOMER TEXT(40)"));
    db.execute(QStringLiteral("UPDATE T SET CUSTOMER=NAME"));
    db.execute(QStringLiteral("ALTER TABLE T ALTER COLUMN CUSTOMER TEXT(5)"));
    EXPECT_EQ(db.tableSchema(QStringLiteral("T")).columns.back().declaredType, QStringLiteral("TEXT(5)"));
    EXPECT_EQ(count(db, QStringLiteral("CUSTOMER = 'anna'")), 1); // still compares without case

    // Too narrow for the data: refused, nothing changed.
    EXPECT_NE(errorOf([&] { db.execute(QStringLiteral("ALTER TABLE T ALTER COLUMN CUSTOMER TEXT(3)")); }), QString());
    EXPECT_EQ(db.tableSchema(QStringLiteral("T")).columns.back().declaredType, QStringLiteral("TEXT(5)"));

    db.execute(QStringLiteral("ALTER TABLE T DROP CUSTOMER"));
    EXPECT_EQ(db.tableSchema(QStringLiteral("T")).indexOf(QStringLiteral("CUSTOMER")), -1);
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT NOTES || NAME || AMOUNT FROM T WHERE ID = 1")), QStringLiteral("einsAnna2.5"));
    EXPECT_EQ(count(db, QStringLiteral("1=1")), 2);
    EXPECT_NE(errorOf([&] { db.execute(QStringLiteral("ALTER TABLE T DROP ID")); }), QString());
}

TEST_F(ConnectionTest, SchemaIsReadBackFromTheDeclaredTypes)
{
    const TableSchema& schema = db.tableSchema(QStringLiteral("t"));
    EXPECT_EQ(schema.name, QStringLiteral("T"));
    EXPECT_EQ(schema.keyColumns, QStringList{QStringLiteral("ID")});
    struct Expect
    {
        const char* name;
        FieldKind kind;
        int width;
        bool notNull;
    };
    const Expect expected[] = {{"ID", FieldKind::Integer, 0, true}, {"NAME", FieldKind::String, 10, false},
        {"SMALL", FieldKind::SmallInt, 0, false}, {"AMOUNT", FieldKind::Float, 0, false},
        {"WHEN_", FieldKind::DateTime, 0, false}, {"FLAG", FieldKind::String, 1, false},
        {"NOTES", FieldKind::Memo, 0, false}};
    ASSERT_EQ(schema.columns.size(), std::size(expected));
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        EXPECT_EQ(schema.columns[i].name.toStdString(), expected[i].name);
        EXPECT_EQ(schema.columns[i].type.kind, expected[i].kind) << expected[i].name;
        EXPECT_EQ(schema.columns[i].type.width, expected[i].width) << expected[i].name;
        EXPECT_EQ(schema.columns[i].notNull, expected[i].notNull) << expected[i].name;
    }
    EXPECT_EQ(db.tableNames(), QStringList{QStringLiteral("T")});
    EXPECT_TRUE(db.hasTable(QStringLiteral("t")));
}

TEST_F(ConnectionTest, TransactionsNestAndRollBack)
{
    {
        SqlTransaction outer(db);
        insertNames({QStringLiteral("a")});
        {
            SqlTransaction inner(db);
            db.execute(QStringLiteral("INSERT INTO T (ID) VALUES (2)"));
        } // rolled back
        outer.commit();
    }
    EXPECT_EQ(count(db, QStringLiteral("1=1")), 1);
    {
        SqlTransaction discarded(db);
        db.execute(QStringLiteral("DELETE FROM T"));
    }
    EXPECT_EQ(count(db, QStringLiteral("1=1")), 1);
    EXPECT_EQ(db.transactionDepth(), 0);
}

TEST_F(ConnectionTest, SecondConnectionAndCompactionSeeTheSameData)
{
    insertNames({QStringLiteral("a"), QStringLiteral("b")});
    auto second = db.secondConnection();
    EXPECT_EQ(second->scalar(QStringLiteral("SELECT COUNT(*) FROM T")), 2);
    EXPECT_EQ(second->busyTimeout(), db.busyTimeout());

    const QString copy = TestEnv::home() + QStringLiteral("copy.dva");
    db.vacuumInto(copy);
    SqlConnection compacted;
    compacted.open(copy);
    EXPECT_EQ(compacted.scalar(QStringLiteral("SELECT COUNT(*) FROM T WHERE NAME = 'B'")), 1);
}

TEST_F(ConnectionTest, ErrorsCarryTheEngineText)
{
    EXPECT_TRUE(errorOf([&] { db.execute(QStringLiteral("SELEKT 1")); }).contains(QStringLiteral("syntax error")));
    EXPECT_TRUE(
        errorOf([&] { db.execute(QStringLiteral("SELECT * FROM NOWHERE")); }).contains(QStringLiteral("NOWHERE")));
    EXPECT_NE(errorOf([&] { db.execute(QStringLiteral("SELECT 1; DROP TABLE T")); }), QString());
    EXPECT_TRUE(db.hasTable(QStringLiteral("T")));
    db.close();
    db.close();
    EXPECT_NE(errorOf([&] { db.execute(QStringLiteral("SELECT 1")); }), QString());
}
