#include "platform/db/JetDialect.h"
#include "platform/db/SqlTokenizer.h"

#include <gtest/gtest.h>

TEST(JetDialect, DoubleQuotesAreTextAndBracketsAreNames)
{
    EXPECT_EQ(JetDialect::normaliseQuoting(QStringLiteral("SELECT [My Field] FROM T WHERE A LIKE \"it's%\"")),
        QStringLiteral("SELECT \"My Field\" FROM T WHERE A LIKE 'it''s%'"));
    // Quotes inside literals and comments stay as they are.
    EXPECT_EQ(JetDialect::normaliseQuoting(QStringLiteral("SELECT 'say \"hi\"' -- \"x\"")),
        QStringLiteral("SELECT 'say \"hi\"' -- \"x\""));
}

TEST(JetDialect, ColumnDefinitionsGainCaseRulesAndChecks)
{
    const QString text = JetDialect::columnDefinition(QStringLiteral("NAME TEXT(50) NULL"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("NAME TEXT(50) NULL COLLATE DXNOCASE"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("length(NAME) <= 50"))) << text.toStdString();

    EXPECT_TRUE(
        JetDialect::columnDefinition(QStringLiteral("ITMNAME CHAR(30) NOT NULL")).contains(QStringLiteral("COLLATE")));
    EXPECT_TRUE(
        JetDialect::columnDefinition(QStringLiteral("NOTES LONGTEXT")).endsWith(QStringLiteral("COLLATE DXNOCASE")));
    EXPECT_TRUE(
        JetDialect::columnDefinition(QStringLiteral("DOCID INTEGER NOT NULL")).contains(QStringLiteral("'integer'")));
    EXPECT_EQ(JetDialect::columnDefinition(QStringLiteral("PIC IMAGE")), QStringLiteral("PIC IMAGE"));
    // A column without a type keeps having none.
    EXPECT_EQ(JetDialect::columnDefinition(QStringLiteral("X")), QStringLiteral("X"));
}

TEST(JetDialect, AlterStatementsAreClassified)
{
    using S = JetDialect::Statement;
    const S add = JetDialect::translate(QStringLiteral("ALTER TABLE DOCUMENT ADD CUSTOMER TEXT(40)"));
    EXPECT_EQ(add.kind, S::Plain);
    EXPECT_TRUE(add.sql.startsWith(QStringLiteral("ALTER TABLE DOCUMENT ADD COLUMN CUSTOMER TEXT(40) COLLATE")));

    const S alter = JetDialect::translate(QStringLiteral("ALTER TABLE DOCUMENT ALTER COLUMN CUSTOMER TEXT(20)"));
    EXPECT_EQ(alter.kind, S::AlterColumn);
    EXPECT_EQ(alter.table, QStringLiteral("DOCUMENT"));
    EXPECT_EQ(alter.column, QStringLiteral("CUSTOMER"));

    const S drop = JetDialect::translate(QStringLiteral("ALTER TABLE DOCUMENT DROP CUSTOMER"));
    EXPECT_EQ(drop.kind, S::DropColumn);
    EXPECT_EQ(drop.column, QStringLiteral("CUSTOMER"));

    EXPECT_FALSE(JetDialect::translate(QStringLiteral("SELECT * FROM DOCUMENT")).changesSchema);
}

TEST(JetDialect, CreateTableSplitsItemsAtTopLevelCommas)
{
    const auto def = JetDialect::parseCreateTable(QStringLiteral(
        "CREATE TABLE LAYOUT (PARENT TEXT(40) NOT NULL, AMOUNT DECIMAL(10,2), PRIMARY KEY(PARENT,NAME))"));
    EXPECT_EQ(def.name, QStringLiteral("LAYOUT"));
    ASSERT_EQ(def.items.size(), 3);
    EXPECT_EQ(def.columnNames, (QStringList{QStringLiteral("PARENT"), QStringLiteral("AMOUNT"), QString()}));
    EXPECT_EQ(
        JetDialect::constraintColumns(def.items[2]), (QStringList{QStringLiteral("PARENT"), QStringLiteral("NAME")}));
}

TEST(SqlTokenizer, KeepsEveryCharacterAndFindsWords)
{
    const QString sql = QStringLiteral("DELETE FROM [x] WHERE a<>'it''s' /* c */ AND b=\"q\"");
    QString joined;
    for (const SqlToken& token : tokenizeSql(sql))
        joined += token.text;
    EXPECT_EQ(joined, sql);
    const auto tokens = significantTokens(sql);
    EXPECT_TRUE(tokens.front().isWord("delete"));
    EXPECT_EQ(tokens[2].unquoted(), QStringLiteral("x"));
    EXPECT_EQ(tokens[5].text, QStringLiteral("<>"));
    EXPECT_EQ(tokens[6].unquoted(), QStringLiteral("it's"));
}
