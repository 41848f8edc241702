#include "CliRun.h"
#include "TestEnvironment.h"
#include "cli/CliApplication.h"

#include <gtest/gtest.h>

namespace {
// doxarel-cli search, fulltext and index over a small archive made through the record rules.
class CliSearchTest : public testing::Test
{
protected:
    void SetUp() override
    {
        archive = TestEnv::home() + QStringLiteral("A.dva");
        ASSERT_EQ(cli({QStringLiteral("create"), archive}).status, 0);
        const QStringList records[] = {
            {QStringLiteral("APPLNAME=url"), QStringLiteral("NAME=Brief an den Hausarzt"),
                QStringLiteral("PROJECT=Kunden"), QStringLiteral("FILENAME=https://example.org/")},
            {QStringLiteral("APPLNAME=url"), QStringLiteral("NAME=Haustür Angebot"),
                QStringLiteral("PROJECT=Kunden\\Müller"), QStringLiteral("FILENAME=https://example.org/b")},
            {QStringLiteral("APPLNAME=url"), QStringLiteral("NAME=Straßenplan"), QStringLiteral("PROJECT=Kundendienst"),
                QStringLiteral("FILENAME=https://example.org/c")},
        };
        for (const QStringList& values : records) {
            const CliRun run = cli(QStringList{QStringLiteral("add"), archive} + values);
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
        }
    }

    CliRun cli(const QStringList& args) { return runCliForTest(args); }
    QString keys(const QStringList& args)
    {
        const CliRun run = cli(args + QStringList{QStringLiteral("--fields"), QStringLiteral("DOCID")});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!lines.isEmpty())
            lines.removeFirst(); // header
        return lines.join(QLatin1Char(','));
    }

    QString archive;
};
} // namespace

TEST_F(CliSearchTest, SearchPrintsThePanelsStatementForEveryKindOfInput)
{
    struct Case
    {
        QStringList args;
        const char* sql;
    };
    const QString select = QStringLiteral("SELECT *\nFROM DOCUMENT");
    const Case cases[] = {
        {{}, ""},
        {{QStringLiteral("--criterion"), QStringLiteral("name=Brief*")}, "\nWHERE NAME LIKE 'Brief%'"},
        {{QStringLiteral("--criterion"), QStringLiteral("NAME=!Brief"), QStringLiteral("--criterion"),
             QStringLiteral("DOCID=2")},
            "\nWHERE NAME NOT LIKE 'Brief%' AND DOCID = 2"},
        {{QStringLiteral("--criterion"), QStringLiteral("CREATEDATE=17.05.2004")},
            "\nWHERE (CREATEDATE >= 38124 AND CREATEDATE < 38125)"},
        {{QStringLiteral("--type"), QStringLiteral(".pdf")}, "\nWHERE APPLNAME='.pdf'"},
        {{QStringLiteral("--project"), QStringLiteral("Kunden")},
            "\nWHERE (PROJECT = 'Kunden' OR PROJECT LIKE 'Kunden\\%' ESCAPE '!')"},
        {{QStringLiteral("--fulltext"), QStringLiteral("haus*")}, "\nWHERE DOCID IN (1,2)"},
        {{QStringLiteral("--fulltext"), QStringLiteral("der")}, ""},
        {{QStringLiteral("--fulltext"), QStringLiteral("angebot"), QStringLiteral("--type"), QStringLiteral("url"),
             QStringLiteral("--criterion"), QStringLiteral("NAME=*"), QStringLiteral("--project"),
             QStringLiteral("Kunden")},
            "\nWHERE DOCID=2 AND APPLNAME='url' AND NAME IS NOT NULL AND (PROJECT = 'Kunden' OR PROJECT LIKE "
            "'Kunden\\%' ESCAPE '!')"},
    };
    for (const Case& c : cases) {
        const CliRun run = cli(QStringList{QStringLiteral("search"), archive, QStringLiteral("--print-sql")} + c.args);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), (select + QString::fromUtf8(c.sql) + QLatin1Char('\n')).toStdString())
            << c.args.join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(CliSearchTest, SearchRunsTheStatement)
{
    EXPECT_EQ(keys({QStringLiteral("search"), archive, QStringLiteral("--project"), QStringLiteral("Kunden")}),
        QStringLiteral("1,2"));
    EXPECT_EQ(keys({QStringLiteral("search"), archive, QStringLiteral("--fulltext"), QStringLiteral("STRASSE")}),
        QStringLiteral("3"));
    const CliRun ignored = cli({QStringLiteral("search"), archive, QStringLiteral("--fulltext"),
        QStringLiteral("ab die"), QStringLiteral("--fields"), QStringLiteral("DOCID")});
    EXPECT_EQ(ignored.status, 0);
    EXPECT_EQ(ignored.out, QStringLiteral("DOCID\n1\n2\n3\n"));
    EXPECT_TRUE(ignored.err.contains(QStringLiteral("\"ab,die\" wurde bei der Suche im Volltextindex ignoriert.")))
        << ignored.err.toStdString();

    const CliRun badDate
        = cli({QStringLiteral("search"), archive, QStringLiteral("--criterion"), QStringLiteral("CREATEDATE=morgen")});
    EXPECT_EQ(badDate.status, 1);
    EXPECT_TRUE(badDate.err.contains(QStringLiteral("'morgen' ist kein gültiges Datum")));
    const CliRun badField
        = cli({QStringLiteral("search"), archive, QStringLiteral("--criterion"), QStringLiteral("NOPE=x")});
    EXPECT_EQ(badField.status, 1);
}

TEST_F(CliSearchTest, FulltextFindsPrefixesWithEitherOperator)
{
    EXPECT_EQ(keys({QStringLiteral("fulltext"), archive, QStringLiteral("haus")}), QStringLiteral("1,2"));
    EXPECT_EQ(keys({QStringLiteral("fulltext"), archive, QStringLiteral("haus brief")}), QStringLiteral("1"));
    EXPECT_EQ(
        keys({QStringLiteral("fulltext"), archive, QStringLiteral("brief strassenplan"), QStringLiteral("--any")}),
        QStringLiteral("1,3"));
    const CliRun sql
        = cli({QStringLiteral("fulltext"), archive, QStringLiteral("haustür"), QStringLiteral("--print-sql")});
    EXPECT_EQ(sql.out, QStringLiteral("SELECT *\nFROM DOCUMENT\nWHERE DOCID=2\n"));

    // The document type's caption is indexed with APPLNAME: "Internet" for web addresses.
    EXPECT_EQ(keys({QStringLiteral("fulltext"), archive, QStringLiteral("internet")}), QStringLiteral("1,2,3"));

    const CliRun stop = cli({QStringLiteral("fulltext"), archive, QStringLiteral("der")});
    EXPECT_EQ(stop.status, 0);
    EXPECT_EQ(stop.out, QString());
    EXPECT_TRUE(stop.err.contains(QStringLiteral("\"der\" wurde bei der Suche im Volltextindex ignoriert.")));
}

TEST_F(CliSearchTest, IndexCommands)
{
    const CliRun stats = cli({QStringLiteral("index"), archive, QStringLiteral("--stats")});
    EXPECT_EQ(stats.status, 0);
    EXPECT_TRUE(stats.out.endsWith(QStringLiteral(" Wörter\n"))) << stats.out.toStdString();
    const CliRun words = cli({QStringLiteral("index"), archive, QStringLiteral("--words"), QStringLiteral("2")});
    EXPECT_TRUE(words.out.startsWith(QStringLiteral("Wörter des aktuellen Dokuments (")));
    EXPECT_TRUE(words.out.contains(QStringLiteral("haustuer, ")));
    EXPECT_EQ(cli({QStringLiteral("index"), archive, QStringLiteral("--words"), QStringLiteral("99")}).out,
        QStringLiteral("Das Dokument ist nicht indexiert\n"));

    ASSERT_EQ(
        cli({QStringLiteral("sql"), archive, QStringLiteral("DELETE FROM FTIWID"), QStringLiteral("--yes")}).status, 0);
    EXPECT_EQ(keys({QStringLiteral("fulltext"), archive, QStringLiteral("haus")}), QString());
    const CliRun rebuild = cli({QStringLiteral("index"), archive, QStringLiteral("--rebuild")});
    EXPECT_EQ(rebuild.status, 0);
    EXPECT_TRUE(rebuild.err.startsWith(QStringLiteral("Fertig\nDer Index beinhaltet "))) << rebuild.err.toStdString();
    EXPECT_EQ(keys({QStringLiteral("fulltext"), archive, QStringLiteral("haus")}), QStringLiteral("1,2"));
    EXPECT_EQ(cli({QStringLiteral("index"), archive, QStringLiteral("--refresh")}).status, 0);

    EXPECT_EQ(cli({QStringLiteral("index"), archive}).status, 2);
    EXPECT_EQ(
        cli({QStringLiteral("index"), archive, QStringLiteral("--stats"), QStringLiteral("--rebuild")}).status, 2);
}
