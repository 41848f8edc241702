#include "archive/DocumentQuery.h"
#include "ArchiveFixture.h"
#include "archive/ArchiveSchema.h"

class DocumentQueryTest : public ArchiveFixture
{
protected:
    void SetUp() override
    {
        ArchiveFixture::SetUp();
        const QString path = TestEnv::home() + QStringLiteral("A.dva");
        ArchiveSchema(*dm).CreateArchive(path);
        openArchive(path);
        for (int id = 1; id <= 3; ++id)
            dm->AdoConnectDoc.execute(
                QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME) VALUES (%1, '.txt', 'Brief %1')").arg(id));
    }

    int rows() { return dm->AdoQueryDoc.recordCount(); }
};

TEST_F(DocumentQueryTest, AFailingStatementIsReportedAndThePreviousOneRunsAgain)
{
    DocumentQuery runner(*dm);
    ASSERT_TRUE(runner.RunSelect(QStringLiteral("WHERE DOCID < 3")));
    EXPECT_EQ(rows(), 2);
    EXPECT_FALSE(runner.ExecuteDocQuery(DocumentQuery::selectLines(QStringLiteral("WHERE NOSUCH = 1"))));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages()[0].endsWith(QStringLiteral("\rDie letzte Suche wird wiederhergestellt.")));
    EXPECT_TRUE(dm->AdoQueryDoc.isActive());
    EXPECT_EQ(dm->AdoQueryDoc.sql(), DocumentQuery::selectLines(QStringLiteral("WHERE DOCID < 3")));
    EXPECT_EQ(rows(), 2);
}

TEST_F(DocumentQueryTest, ACommandRunsAndTheCatalogueShowsThePreviousResultAgain)
{
    DocumentQuery runner(*dm);
    runner.RunSelect(QString());
    EXPECT_TRUE(runner.ExecuteDocQuery({QStringLiteral("UPDATE DOCUMENT SET STATE = 'neu'")}));
    EXPECT_EQ(dm->AdoQueryDoc.sql(), DocumentQuery::selectLines(QString()));
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(dm->AdoQueryDoc.text(QStringLiteral("STATE")), QStringLiteral("neu"));
    EXPECT_TRUE(DocumentQuery::returnsRows({QStringLiteral("select"), QStringLiteral("*")}));
    EXPECT_FALSE(DocumentQuery::returnsRows({QStringLiteral("DELETE FROM DOCUMENT")}));
}

TEST_F(DocumentQueryTest, LinesAreExpandedAndTheObserverSeesTheRun)
{
    struct Recorder : DocumentQuery::Observer
    {
        QStringList events;
        void runStarting() override { events << QStringLiteral("start"); }
        void statusText(const QString& text) override { events << text; }
        void runFinished() override { events << QStringLiteral("end"); }
    } recorder;
    dm->ExpandLine
        = [](const QString& line) { return QString(line).replace(QStringLiteral("{id}"), QStringLiteral("2")); };
    DocumentQuery runner(*dm);
    runner.setObserver(&recorder);
    ASSERT_TRUE(runner.RunSelect(QStringLiteral("WHERE DOCID = {id}")));
    EXPECT_EQ(dm->AdoQueryDoc.text(QStringLiteral("NAME")), QStringLiteral("Brief 2"));
    EXPECT_EQ(recorder.events,
        (QStringList{QStringLiteral("start"), QStringLiteral("Datenbank wird durchsucht..."), QString(),
            QStringLiteral("end")}));
}

TEST_F(DocumentQueryTest, ACancelledExpansionRunsNothingAndKeepsTheResult)
{
    DocumentQuery runner(*dm);
    ASSERT_TRUE(runner.RunSelect(QStringLiteral("WHERE DOCID < 3")));
    // The expansion of the second line is cancelled; the first line's text must not run alone.
    dm->ExpandLine = [](const QString& line) -> std::optional<QString> {
        if (line.contains(QLatin1Char('{')))
            return std::nullopt;
        return line;
    };
    for (const auto mode : {DocumentQuery::Mode::Decide, DocumentQuery::Mode::Execute, DocumentQuery::Mode::Open}) {
        EXPECT_FALSE(runner.ExecuteDocQuery(
            {QStringLiteral("DELETE FROM DOCUMENT"), QStringLiteral("WHERE NAME = '{execinputquery:Name}'")}, mode));
        EXPECT_EQ(dm->AdoQueryDoc.sql(), DocumentQuery::selectLines(QStringLiteral("WHERE DOCID < 3")));
        EXPECT_EQ(rows(), 2);
    }
    EXPECT_TRUE(dialogs.messages().isEmpty());
    ASSERT_TRUE(runner.RunSelect(QString()));
    EXPECT_EQ(rows(), 3);
}
