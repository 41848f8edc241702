#include "platform/db/SqlRecordSet.h"
#include "DbFixture.h"
#include "platform/Errors.h"
#include "platform/db/DateSerial.h"

class RecordSetTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        insertNames({QStringLiteral("Anna"), QStringLiteral("Bert"), QStringLiteral("Cora")});
        rs.setConnection(&db);
        rs.setSql(QStringList{QStringLiteral("SELECT *"), QStringLiteral("FROM T")});
    }

    void record(const char* event) { events << QString::fromLatin1(event); }

    void watchAll()
    {
        auto& h = rs.hooks();
        h.beforeInsert = [this](SqlRecordSet&) { record("beforeInsert"); };
        h.afterInsert = [this](SqlRecordSet&) { record("afterInsert"); };
        h.beforeEdit = [this](SqlRecordSet&) { record("beforeEdit"); };
        h.afterEdit = [this](SqlRecordSet&) { record("afterEdit"); };
        h.beforePost = [this](SqlRecordSet&) { record("beforePost"); };
        h.afterPost = [this](SqlRecordSet&) { record("afterPost"); };
        h.beforeDelete = [this](SqlRecordSet&) { record("beforeDelete"); };
        h.afterDelete = [this](SqlRecordSet&) { record("afterDelete"); };
        h.afterCancel = [this](SqlRecordSet&) { record("afterCancel"); };
    }

    int rows() { return db.scalar(QStringLiteral("SELECT COUNT(*) FROM T")).toInt(); }

    SqlRecordSet rs;
    QStringList events;
};

TEST_F(RecordSetTest, BrowsesFieldsWithKindsAndNavigates)
{
    rs.open();
    EXPECT_EQ(rs.state(), SqlRecordSet::State::Browse);
    EXPECT_TRUE(rs.canModify());
    EXPECT_EQ(rs.field(QStringLiteral("name")).size, 10);
    EXPECT_EQ(rs.field(QStringLiteral("WHEN_")).kind, FieldKind::DateTime);
    EXPECT_TRUE(rs.field(QStringLiteral("ID")).required);
    EXPECT_EQ(rs.text(QStringLiteral("NAME")), QStringLiteral("Anna"));
    rs.next();
    rs.next();
    EXPECT_EQ(rs.text(QStringLiteral("NAME")), QStringLiteral("Cora"));
    rs.next();
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(rs.text(QStringLiteral("NAME")), QStringLiteral("Cora"));
    EXPECT_EQ(rs.recordCount(), 3);
    rs.prior();
    EXPECT_EQ(rs.integer(QStringLiteral("ID")), 2);
    rs.close();
    rs.close();
    EXPECT_FALSE(rs.isActive());
}

TEST_F(RecordSetTest, HooksRunInOrderAndChangesReachTheTable)
{
    watchAll();
    rs.open();
    rs.append();
    rs.setInteger(QStringLiteral("ID"), 10);
    rs.setText(QStringLiteral("NAME"), QStringLiteral("Dora"));
    rs.setText(QStringLiteral("WHEN_"), QStringLiteral("17.05.2004 09:30"));
    rs.setText(QStringLiteral("AMOUNT"), QStringLiteral("3,5"));
    rs.setBoolean(QStringLiteral("FLAG"), true);
    rs.post();
    EXPECT_EQ(rs.integer(QStringLiteral("ID")), 10);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT FLAG || AMOUNT FROM T WHERE NAME = 'dora'")), QStringLiteral("T3.5"));
    EXPECT_EQ(rs.dateTime(QStringLiteral("WHEN_")), QDateTime(QDate(2004, 5, 17), QTime(9, 30)));

    ASSERT_TRUE(rs.locate(QStringLiteral("NAME"), QStringLiteral("bert"), true));
    rs.edit();
    EXPECT_EQ(rs.state(), SqlRecordSet::State::Edit);
    rs.setText(QStringLiteral("NAME"), QStringLiteral("Berta"));
    EXPECT_TRUE(rs.isModified(QStringLiteral("NAME")));
    EXPECT_FALSE(rs.isModified(QStringLiteral("ID")));
    rs.post();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NAME FROM T WHERE ID = 2")), QStringLiteral("Berta"));

    rs.remove();
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(events,
        (QStringList{QStringLiteral("beforeInsert"), QStringLiteral("afterInsert"), QStringLiteral("beforePost"),
            QStringLiteral("afterPost"), QStringLiteral("beforeEdit"), QStringLiteral("afterEdit"),
            QStringLiteral("beforePost"), QStringLiteral("afterPost"), QStringLiteral("beforeDelete"),
            QStringLiteral("afterDelete")}));
}

TEST_F(RecordSetTest, SavesAndDeletesWhileTheResultIsPartlyReadAfterAnotherConnectionWrote)
{
    rs.open(); // only the first row is read
    SqlConnection other;
    other.open(path);
    other.execute(QStringLiteral("INSERT INTO T (ID, NAME) VALUES (9, 'Ida')"));
    rs.edit();
    rs.setText(QStringLiteral("NAME"), QStringLiteral("Anne"));
    ASSERT_NO_THROW(rs.post());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NAME FROM T WHERE ID = 1")), QStringLiteral("Anne"));

    rs.close();
    rs.open();
    other.execute(QStringLiteral("DELETE FROM T WHERE ID = 9"));
    ASSERT_NO_THROW(rs.remove());
    EXPECT_EQ(rows(), 2);
}

TEST_F(RecordSetTest, BadValuesAreRefusedAndNothingIsSaved)
{
    rs.open();
    rs.edit();
    EXPECT_THROW(rs.setText(QStringLiteral("WHEN_"), QStringLiteral("morgen")), ConversionError);
    EXPECT_THROW(rs.setText(QStringLiteral("SMALL"), QStringLiteral("x")), ConversionError);
    EXPECT_THROW(rs.setText(QStringLiteral("SMALL"), QStringLiteral("70000")), ConversionError);
    EXPECT_THROW(rs.setText(QStringLiteral("NOSUCH"), QStringLiteral("1")), DbError);
    rs.setText(QStringLiteral("NAME"), QStringLiteral("viel zu langer Name"));
    try {
        rs.post();
        FAIL() << "a value wider than its column was saved";
    } catch (const DbError& e) {
        EXPECT_EQ(e.message(),
            QStringLiteral("Der Wert für das Feld \"NAME\" ist zu lang: 19 Zeichen, erlaubt sind höchstens 10."));
    }
    EXPECT_EQ(rs.state(), SqlRecordSet::State::Edit);
    rs.cancel();
    EXPECT_EQ(rs.text(QStringLiteral("NAME")), QStringLiteral("Anna"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NAME FROM T WHERE ID = 1")), QStringLiteral("Anna"));
}

TEST_F(RecordSetTest, PostErrorHookCanRepairAndRetry)
{
    int calls = 0;
    rs.hooks().onPostError = [&](SqlRecordSet& set, const DbError&) {
        ++calls;
        set.setInteger(QStringLiteral("ID"), 99);
        return SqlRecordSet::PostErrorAction::Retry;
    };
    rs.open();
    rs.append();
    rs.setInteger(QStringLiteral("ID"), 1); // key taken
    rs.post();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM T WHERE ID = 99")), 1);

    rs.hooks().onPostError = nullptr;
    rs.append();
    rs.setInteger(QStringLiteral("ID"), 2);
    EXPECT_THROW(rs.post(), DbError);
    EXPECT_EQ(rs.state(), SqlRecordSet::State::Insert);
    rs.cancel();
    EXPECT_EQ(rows(), 4);
}

TEST_F(RecordSetTest, DeleteUndoesWhatItsHookDidWhenItFails)
{
    db.execute(QStringLiteral("CREATE TABLE NOTES (ID INTEGER NOT NULL, PRIMARY KEY (ID))"));
    db.execute(QStringLiteral("INSERT INTO NOTES VALUES (1)"));
    rs.hooks().beforeDelete = [&](SqlRecordSet&) {
        db.execute(QStringLiteral("DELETE FROM NOTES"));
        throw DbError(QStringLiteral("Die Notiz kann nicht gelöscht werden."));
    };
    rs.open();
    EXPECT_THROW(rs.remove(), DbError);
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM NOTES")), 1);
}

TEST_F(RecordSetTest, BookmarksLocateAndSuspendedDisplayUpdates)
{
    int changes = 0;
    rs.hooks().dataChange = [&](SqlRecordSet&, const SqlField*) { ++changes; };
    rs.open();
    rs.next();
    const auto mark = rs.bookmark();
    rs.disableControls();
    const int before = changes;
    rs.last();
    rs.first();
    EXPECT_EQ(changes, before);
    rs.enableControls();
    EXPECT_EQ(changes, before + 1);
    ASSERT_TRUE(rs.gotoBookmark(mark));
    EXPECT_EQ(rs.text(QStringLiteral("NAME")), QStringLiteral("Bert"));
    EXPECT_FALSE(rs.locate(QStringLiteral("NAME"), QStringLiteral("bert"), false));
    EXPECT_TRUE(rs.locate(QStringLiteral("ID"), QStringLiteral("3")));
    EXPECT_EQ(rs.text(QStringLiteral("NAME")), QStringLiteral("Cora"));
}

TEST_F(RecordSetTest, ComputedAndJoinedResultsAreReadOnly)
{
    rs.setSql(QStringLiteral("SELECT MAX(ID) AS MAX_ID FROM T"));
    rs.open();
    EXPECT_EQ(rs.integer(QStringLiteral("MAX_ID")), 3);
    EXPECT_FALSE(rs.canModify());
    EXPECT_THROW(rs.edit(), DbError);
}

TEST_F(RecordSetTest, UnidirectionalKeepsOnlyTheCurrentRow)
{
    rs.setUnidirectional(true);
    rs.open();
    QStringList names;
    for (; !rs.eof(); rs.next())
        names << rs.text(QStringLiteral("NAME"));
    EXPECT_EQ(names, (QStringList{QStringLiteral("Anna"), QStringLiteral("Bert"), QStringLiteral("Cora")}));
    EXPECT_THROW(rs.first(), DbError);
}

TEST_F(RecordSetTest, EmptyResult)
{
    rs.setSql(QStringList{QStringLiteral("SELECT *"), QStringLiteral("FROM T"), QStringLiteral("WHERE ID = 42")});
    rs.open();
    EXPECT_TRUE(rs.isEmpty());
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(rs.recordCount(), 0);
    EXPECT_THROW(rs.edit(), DbError);
    EXPECT_EQ(rs.text(QStringLiteral("NAME")), QString());
}
