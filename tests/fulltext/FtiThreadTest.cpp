#include "fulltext/FtiThread.h"
#include "FtiFixture.h"
#include "archive/DocumentRecords.h"
#include "fulltext/FtiSearch.h"
#include "platform/db/SqlConnection.h"

#include <QFileInfo>

namespace {
class FtiThreadTest : public FtiFixture
{
protected:
    void SetUp() override
    {
        FtiFixture::SetUp();
        runner = std::make_unique<DocumentQuery>(*dm);
        index = std::make_unique<TFtiIndex>(*dm, runner.get());
        index->Words().wait = [](int) {};
        dm->Records().indexUpdates = index.get();
        dm->Records().wait = [](int) {};
        QObject::connect(index.get(), &TFtiIndex::indexProgress, [this](int total, int done) {
            reports.push_back({total, done});
        });
    }
    void TearDown() override
    {
        index->WaitForIndexThread();
        dm->Records().indexUpdates = nullptr;
    }

    qint64 add(const QList<QPair<QString, QString>>& values)
    {
        SqlRecordSet& records = dm->AdoQueryDoc;
        records.append();
        for (const auto& [name, value] : values)
            records.setText(name, value);
        records.post();
        return dm->Records().lastNewKey();
    }
    void edit(qint64 key, const QString& field, const QString& value)
    {
        ASSERT_TRUE(dm->Records().LocateDocument(key));
        dm->AdoQueryDoc.edit();
        dm->AdoQueryDoc.setText(field, value);
        dm->AdoQueryDoc.post();
    }
    QString find(const QString& text)
    {
        QStringList ignored;
        return WordsToCondition(dm->AdoConnectDoc, PrepareSearchWords(index->Words(), text, ignored), "AND");
    }
    bool idle() { return index->WaitForIndexThread(10000); }
    // Every index row names a stored word.
    int orphanRows()
    {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWID WHERE WORDID NOT IN (SELECT WORDID FROM FTIWORD)"))
            .toInt();
    }

    std::unique_ptr<DocumentQuery> runner;
    std::unique_ptr<TFtiIndex> index;
    std::vector<std::pair<int, int>> reports;
};
} // namespace

TEST_F(FtiThreadTest, SavedRecordsAreIndexedInTheBackground)
{
    dm->Settings.Cfg.FtiCreateMode = 1;
    const qint64 first = add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")},
        {QStringLiteral("NAME"), QStringLiteral("Hausarzt Rechnung")}});
    const qint64 second = add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")},
        {QStringLiteral("NAME"), QStringLiteral("Haustür Schlüssel")}});
    ASSERT_TRUE(idle());
    EXPECT_EQ(find(QStringLiteral("haus")), QStringLiteral("DOCID IN (%1,%2)").arg(first).arg(second));
    EXPECT_EQ(find(QStringLiteral("rech")), QStringLiteral("DOCID=%1").arg(first));
    EXPECT_EQ(find(QStringLiteral("SCHLUESSEL")), QStringLiteral("DOCID=%1").arg(second));

    edit(first, QStringLiteral("NAME"), QStringLiteral("Zahnarzt Rechnung"));
    ASSERT_TRUE(idle());
    EXPECT_EQ(find(QStringLiteral("hausarzt")), QStringLiteral("DOCID=0"));
    EXPECT_EQ(find(QStringLiteral("zahn rechnung")), QStringLiteral("DOCID=%1").arg(first));
    EXPECT_EQ(orphanRows(), 0);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().first, 0);
}

TEST_F(FtiThreadTest, AnEditQueuesExactlyTheRemovedAndTheAddedWords)
{
    dm->Settings.Cfg.FtiCreateMode = 1;
    const qint64 key = add(
        {{QStringLiteral("APPLNAME"), QStringLiteral(".txt")}, {QStringLiteral("NAME"), QStringLiteral("alpha beta")}});
    ASSERT_TRUE(idle());
    ASSERT_TRUE(dm->Records().LocateDocument(key));
    dm->AdoQueryDoc.edit();
    const QMap<QString, QString> old = dm->Records().capturedOldValues();
    EXPECT_EQ(old.value(QStringLiteral("NAME")), QStringLiteral("alpha beta"));
    dm->AdoQueryDoc.setText(QStringLiteral("NAME"), QStringLiteral("beta gamma"));
    const std::vector<TUpdateFtiItem> items = index->DifferenceItems(old);
    dm->AdoQueryDoc.cancel();
    const std::vector<TUpdateFtiItem> expected = {
        {key, false, TUpdateFtiItem::RemoveWord, QStringLiteral("alpha")},
        {key, false, TUpdateFtiItem::AddWord, QStringLiteral("gamma")},
    };
    EXPECT_TRUE(items == expected);

    const QStringList before = wordsOf(key);
    edit(key, QStringLiteral("NAME"), QStringLiteral("beta gamma"));
    ASSERT_TRUE(idle());
    QStringList after = before;
    after.removeAll(QStringLiteral("alpha"));
    after << QStringLiteral("gamma");
    std::sort(after.begin(), after.end());
    EXPECT_TRUE(before.contains(QStringLiteral("alpha")));
    EXPECT_EQ(wordsOf(key), after);
}

TEST_F(FtiThreadTest, ProgressCountsTheQueuedItemsAndEndsWithZero)
{
    dm->Settings.Cfg.FtiCreateMode = 1;
    QStringList names;
    for (int i = 0; i < 10; ++i)
        names << QStringLiteral("wort%1").arg(QChar(u'a' + i));
    const qint64 key = add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")},
        {QStringLiteral("NOTES"), names.join(QLatin1Char(' '))}});
    ASSERT_TRUE(idle());
    const int stored = int(wordsOf(key).size());
    EXPECT_GE(stored, 10);
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports[reports.size() - 2], std::make_pair(stored, stored));
    EXPECT_EQ(reports.back().first, 0);
}

TEST_F(FtiThreadTest, RebuildIndexesFieldsAndFilesAndTellsTheStatistics)
{
    dm->Settings.Cfg.FtiCreateMode = 0;
    const QString file = TestEnv::writeFile(QStringLiteral("docs/brief.txt"), "Kündigung Wohnung");
    const qint64 key = add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")},
        {QStringLiteral("NAME"), QStringLiteral("Brief")}, {QStringLiteral("FILENAME"), file}});
    EXPECT_EQ(find(QStringLiteral("brief")), QStringLiteral("DOCID=0"));
    dm->Settings.Cfg.FtiCreateMode = 2;
    dialogs.clear();
    index->RebuildIndex();
    EXPECT_EQ(find(QStringLiteral("kuendigung brief")), QStringLiteral("DOCID=%1").arg(key));
    const QString statistics = index->IndexStatistics();
    const QStringList stored = wordsOf(key);
    EXPECT_TRUE(stored.contains(QStringLiteral("wohnung")));
    EXPECT_EQ(statistics, QStringLiteral("%1 Einträge für %1 Wörter").arg(stored.size()));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().front(), QStringLiteral("Fertig\nDer Index beinhaltet ") + statistics);
    EXPECT_FALSE(scalar(QStringLiteral("SELECT FTIUPDATE FROM DOCUMENT WHERE DOCID = %1").arg(key)).isNull());
    EXPECT_TRUE(logText().contains(QStringLiteral("Volltextindex wird gelöscht und neu aufgebaut (Mode 2)")));

    EXPECT_EQ(index->WordsOfDocument(key),
        QStringLiteral("Wörter des aktuellen Dokuments (%1 Wörter):\n\n").arg(stored.size())
            + stored.join(QStringLiteral(", ")) + QStringLiteral(", "));
    EXPECT_EQ(index->WordsOfDocument(999), QStringLiteral("Das Dokument ist nicht indexiert"));
}

TEST_F(FtiThreadTest, CancelledRebuildSaysTheIndexIsIncomplete)
{
    dm->Settings.Cfg.FtiCreateMode = 0;
    const qint64 first
        = add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")}, {QStringLiteral("NAME"), QStringLiteral("eins")}});
    add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")}, {QStringLiteral("NAME"), QStringLiteral("zwei")}});
    dm->Settings.Cfg.FtiCreateMode = 1;
    int steps = 0;
    index->progress.step = [&](int position, const QString&, const QString&) {
        if (position > 0)
            ++steps;
    };
    index->progress.cancelled = [] { return true; };
    dialogs.clear();
    index->RebuildIndex();
    EXPECT_EQ(steps, 1);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages().front().endsWith(QStringLiteral("\r** Der Index ist unvollständig **")));
    EXPECT_TRUE(logText().contains(QStringLiteral("Abbruch (Gesamtindex wird erstellt)")));
    // What was done before the cancel is in the index.
    EXPECT_EQ(find(QStringLiteral("eins")), QStringLiteral("DOCID=%1").arg(first));
    EXPECT_EQ(find(QStringLiteral("zwei")), QStringLiteral("DOCID=0"));
}

TEST_F(FtiThreadTest, RebuildReadsFilesAheadAndGivesEachDocumentItsOwnWords)
{
    // More documents than are read ahead at a time; some files are not read.
    dm->Settings.Cfg.FtiCreateMode = 0;
    enum Kind { Text, Html, OtherType, Missing };
    struct Document
    {
        qint64 key;
        QString mark;
        Kind kind;
    };
    std::vector<Document> documents;
    for (int i = 0; i < 60; ++i) {
        const QString mark = QStringLiteral("merkwort") + QChar(u'a' + i / 26) + QChar(u'a' + i % 26);
        const Kind kind = i % 10 == 4 ? OtherType : i % 10 == 9 ? Missing : i % 3 == 0 ? Html : Text;
        const QString name = QStringLiteral("docs/d%1.").arg(i)
            + (kind == Html             ? QStringLiteral("html")
                    : kind == OtherType ? QStringLiteral("xyz")
                                        : QStringLiteral("txt"));
        QString file = TestEnv::home() + name;
        if (kind == Html)
            file = TestEnv::writeFile(name, ("<p>Gemeinsam</p>\n<b>" + mark + "</b>").toUtf8());
        else if (kind != Missing)
            file = TestEnv::writeFile(name, ("Gemeinsam " + mark + "\n").toUtf8());
        const qint64 key = add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")},
            {QStringLiteral("NAME"), QStringLiteral("Akte")}, {QStringLiteral("FILENAME"), file}});
        documents.push_back({key, mark, kind});
    }
    dm->Settings.Cfg.FtiCreateMode = 2;
    index->RebuildIndex();

    int read = 0;
    for (const Document& d : documents) {
        const bool indexed = d.kind == Text || d.kind == Html;
        read += indexed ? 1 : 0;
        EXPECT_EQ(find(d.mark), indexed ? QStringLiteral("DOCID=%1").arg(d.key) : QStringLiteral("DOCID=0"))
            << d.mark.toStdString();
        EXPECT_EQ(
            scalar(QStringLiteral("SELECT FTIUPDATE FROM DOCUMENT WHERE DOCID = %1").arg(d.key)).isNull(), !indexed)
            << d.mark.toStdString();
        EXPECT_TRUE(wordsOf(d.key).contains(QStringLiteral("akte")));
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWID ID, FTIWORD W WHERE ID.WORDID = W.WORDID AND "
                                    "W.WORD = 'gemeinsam'"))
                  .toInt(),
        read);
    EXPECT_EQ(orphanRows(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'FTIWORDID'")).toLongLong(),
        scalar(QStringLiteral("SELECT MAX(WORDID) FROM FTIWORD")).toLongLong() + 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWORD")).toInt(),
        scalar(QStringLiteral("SELECT COUNT(DISTINCT WORDID) FROM FTIWORD")).toInt());
}

TEST_F(FtiThreadTest, ChangedFilesAreIndexedAgain)
{
    dm->Settings.Cfg.FtiCreateMode = 2;
    const QString file = TestEnv::writeFile(QStringLiteral("docs/notiz.txt"), "Erdbeere");
    const qint64 key = add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")},
        {QStringLiteral("NAME"), QStringLiteral("Obst")}, {QStringLiteral("FILENAME"), file}});
    ASSERT_TRUE(idle());
    EXPECT_EQ(find(QStringLiteral("erdbeere")), QStringLiteral("DOCID=%1").arg(key));

    // Unchanged: nothing is queued.
    ASSERT_TRUE(dm->Records().LocateDocument(key));
    reports.clear();
    index->RefreshDocumentIfChanged();
    EXPECT_FALSE(index->IsIndexThreadRunning());
    EXPECT_TRUE(reports.empty());

    TestEnv::writeFile(QStringLiteral("docs/notiz.txt"), "Himbeere");
    QFile changed(file);
    ASSERT_TRUE(changed.open(QIODevice::ReadWrite));
    ASSERT_TRUE(changed.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    changed.close();
    index->RefreshChangedDocuments();
    ASSERT_TRUE(idle());
    EXPECT_EQ(find(QStringLiteral("erdbeere")), QStringLiteral("DOCID=0"));
    EXPECT_EQ(find(QStringLiteral("himbeere obst")), QStringLiteral("DOCID=%1").arg(key));
}

TEST_F(FtiThreadTest, FailingIndexStatementsAreLoggedAndTheThreadGoesOn)
{
    dm->Settings.Cfg.FtiCreateMode = 1;
    dm->AdoConnectDoc.execute(QStringLiteral("DROP TABLE FTIWID"));
    add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")}, {QStringLiteral("NAME"), QStringLiteral("verloren")}});
    ASSERT_TRUE(idle());
    EXPECT_TRUE(logText().contains(QStringLiteral(", Wort=verloren, SQL.Text=INSERT INTO FTIWID")))
        << logText().toStdString();
    EXPECT_EQ(index->IndexStatistics(), QStringLiteral("keine Statistik möglich"));
}

TEST_F(FtiThreadTest, ItemsOfAFailedPassWaitForTheNextThread)
{
    dm->Settings.Cfg.FtiCreateMode = 0;
    const qint64 key = add({{QStringLiteral("APPLNAME"), QStringLiteral(".txt")},
        {QStringLiteral("NAME"), QStringLiteral("Wartezimmer")}});
    dm->Settings.Cfg.FtiCreateMode = 1;
    dm->AdoConnectDoc.setBusyTimeout(50);
    auto blocker = dm->AdoConnectDoc.secondConnection();
    blocker->beginTransaction(true); // another process holds the write lock
    index->IndexDocument(key, true, true);
    ASSERT_TRUE(idle());
    EXPECT_TRUE(logText().contains(QStringLiteral("TUpdateFtiThread.Execute: "))) << logText().toStdString();
    EXPECT_TRUE(logText().contains(QStringLiteral(" (Pos: 5)")));
    EXPECT_GT(index->Queue().size(), 0u);
    EXPECT_EQ(reports.back().first, 0);

    blocker->rollback();
    index->StartIndexThread();
    ASSERT_TRUE(idle());
    EXPECT_EQ(index->Queue().size(), 0u);
    EXPECT_TRUE(wordsOf(key).contains(QStringLiteral("wartezimmer")));
}
