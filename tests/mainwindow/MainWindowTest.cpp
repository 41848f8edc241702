#include "../cli/CliRun.h"
#include "TestEnvironment.h"
#include "app/ProgramCore.h"
#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "documents/ApplicationList.h"
#include "documents/Macros.h"
#include "mainwindow/Deskmain.h"
#include "mainwindow/DocumentGridModel.h"
#include "mainwindow/SearchPanel.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "platform/db/SqlRecordSet.h"
#include "properties/VxTreeView.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {
class MainWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        common = TestEnv::home() + QStringLiteral("common/");
        write(false, QStringLiteral("CommonFilesPath"), common);
    }

    void TearDown() override
    {
        window.reset();
        core.reset();
    }

    // Writes a value into the user's or the machine's settings before the program starts.
    void write(bool user, const QString& name, const QString& value)
    {
        RegistryHives hives(settingsFolder());
        (user ? hives.user() : hives.machine())
            .writeString(QStringLiteral("SOFTWARE\\Wendrich\\Dravonel Lumaris\\Settings"), name, value);
        ASSERT_TRUE(hives.flush());
    }

    QString readUser(const QString& name)
    {
        RegistryHives hives(settingsFolder());
        return hives.user().readString(
            QStringLiteral("SOFTWARE\\Wendrich\\Dravonel Lumaris\\Settings"), name, QString());
    }

    QString settingsFolder() const { return TestEnv::home() + QStringLiteral("settings/"); }

    void start()
    {
        dialogs.clear();
        core = std::make_unique<ProgramCore>(
            TestEnv::programFolder(), settingsFolder(), dialogs, QStringLiteral("anna"), QStringLiteral("PC1"));
        window = std::make_unique<TFormMain>(*core);
        window->resize(900, 500);
        window->show();
        ASSERT_TRUE(TestEnv::waitUntil(
            [&] { return window->windowTitle().contains(QLatin1String(" @ ")) || dialogs.asked().size() > 0; }));
    }

    TDModul& dm() { return core->dm(); }

    // Saves a picture of the window where DOXAREL_SCREENSHOT_DIR asks for one.
    void screenshot(const QString& name)
    {
        const QString folder = qEnvironmentVariable("DOXAREL_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            window->grab().save(folder + QLatin1Char('/') + name);
    }

    QString common;
    ScriptedDialogs dialogs;
    std::unique_ptr<ProgramCore> core;
    std::unique_ptr<TFormMain> window;
};
} // namespace

TEST_F(MainWindowTest, FirstStartMakesAndOpensTheDefaultArchive)
{
    write(false, QStringLiteral("Initialize"), QStringLiteral("FirstRun"));
    start();
    const QString archive = common + QStringLiteral("Archive/Archiv.dva");
    EXPECT_TRUE(QFileInfo::exists(archive));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Dravonel Lumaris - anna @ Archiv.dva"));
    EXPECT_EQ(dm().CurrentArchive.FullPath, archive);
    // The new archive holds the sample documents, and the common document types exist.
    auto* grid = window->findChild<QTreeView*>(QStringLiteral("DBGridDoc"));
    EXPECT_GE(grid->model()->rowCount(), 4);
    EXPECT_TRUE(core->applications().Exists(QStringLiteral(".pdf")));
    // The sample documents are being indexed in the background; closing waits for that.
    ASSERT_TRUE(TestEnv::waitUntil([&] { return !dm().IsIndexThreadRunning(); }, 30000));
    // The samples' projects are in the navigator: saving them grew the project list.
    auto* navigator = window->findChild<TVxTreeView*>(QStringLiteral("ProjectNavigator"));
    EXPECT_GT(navigator->NodeCount(), 1);
    ASSERT_TRUE(TestEnv::waitUntil([&] { return window->findChild<QProgressBar*>()->isHidden(); }));
    window->resize(1100, 600);
    screenshot(QStringLiteral("mainwindow.png"));
    auto* model = static_cast<DocumentGridModel*>(grid->model());
    int typeColumn = -1;
    for (int column = 0; column < model->columnCount(); ++column)
        if (model->headerData(column, Qt::Horizontal, DocumentGridModel::FieldNameRole) == QStringLiteral("APPLNAME"))
            typeColumn = column;
    ASSERT_TRUE(window->DBGridDocAddGroupColumn(typeColumn));
    EXPECT_GE(model->rowCount(), 3); // several types among the samples
    auto* level = window->findChild<QToolButton*>(QStringLiteral("GroupLevel0"));
    ASSERT_TRUE(level);
    EXPECT_EQ(level->text(), QStringLiteral("Dokumenttyp"));
    screenshot(QStringLiteral("mainwindow-grouped.png"));
    window->ActViewEndGroupingExecute();
    window->close();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Dravonel Lumaris - anna"));
    EXPECT_EQ(readUser(QStringLiteral("LastOpenedDocDB")), archive);

    // The second start opens the same archive in the same place.
    window.reset();
    core.reset();
    start();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Dravonel Lumaris - anna @ Archiv.dva"));
    EXPECT_FALSE(dm().Settings.FirstRun);

    // The window's commands run by name from the macro language: closing the archive.
    core->macros().RunApiCommand(QStringLiteral("ActFileDbClose"), QString());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Dravonel Lumaris - anna"));
    EXPECT_TRUE(core->macros().MainMenuEntriesText().contains(QStringLiteral(": ActFileDbOpen")));
}

TEST_F(MainWindowTest, ShowsTheCatalogueOfTheLastArchive)
{
    const QString archive = TestEnv::home() + QStringLiteral("Kunden.dva");
    {
        TDModul maker({TestEnv::programFolder(), common, QString(), QString(), &dialogs});
        ArchiveSchema(maker).CreateArchive(archive);
    }
    {
        SqlConnection db;
        db.open(archive);
        const char* names[] = {"Angebot Meier", "Rechnung Müller", "Brief an Schulze"};
        for (int i = 0; i < 3; ++i)
            db.execute(QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME, PROJECT, CREATEDATE) VALUES "
                                      "(%1, '.pdf', '%2', 'Kunden', 38124.5)")
                           .arg(i + 1)
                           .arg(QString::fromUtf8(names[i])));
    }
    write(true, QStringLiteral("LastOpenedDocDB"), archive);
    start();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Dravonel Lumaris - anna @ Kunden.dva"));
    auto* grid = window->findChild<QTreeView*>(QStringLiteral("DBGridDoc"));
    ASSERT_TRUE(grid);
    ASSERT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(grid->model()->index(1, 3).data().toString(), QStringLiteral("Rechnung Müller"));
    EXPECT_EQ(grid->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Name"));
    EXPECT_TRUE(grid->isColumnHidden(14)); // FTIUPDATE is not shown
    EXPECT_EQ(grid->model()->index(1, 12).data().toString(), QStringLiteral("17.05.2004 12:00:00"));
    auto* info = window->findChild<QLabel*>(QStringLiteral("PanelTableInfo"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->text(), QStringLiteral("Tabelle: Suchergebnis: 3 Dokumente, 1 markiert"));
    grid->selectAll();
    EXPECT_EQ(info->text(), QStringLiteral("Tabelle: Suchergebnis: 3 Dokumente, 3 markiert"));
    screenshot(QStringLiteral("catalogue.png"));

    EXPECT_FALSE(window->DBGridDocAddGroupColumn(0));
    EXPECT_EQ(
        window->statusBar()->currentMessage(), QStringLiteral("Eine Gruppierung nach \"Schlüssel\" ist nicht möglich"));
    ASSERT_TRUE(window->DBGridDocAddGroupColumn(4)); // the project
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), QStringLiteral("Projekt: Kunden (3)"));
    EXPECT_EQ(info->text(), QStringLiteral("Tabelle: Suchergebnis: 3 Dokumente, 3 markiert"));
    screenshot(QStringLiteral("catalogue-grouped.png"));
    grid->setColumnWidth(3, 321);
    static_cast<DocumentGridModel*>(grid->model())->setColumnAlignment(2, Qt::AlignRight); // the number

    // The current row is the current record, with its document object; its missing file is named.
    auto* model = static_cast<DocumentGridModel*>(grid->model());
    grid->setCurrentIndex(model->indexOfRecord(1));
    EXPECT_EQ(dm().AdoQueryDoc.text(QStringLiteral("NAME")), QStringLiteral("Rechnung Müller"));
    ASSERT_TRUE(window->currentDocument());
    window->ActDocOpenExecute();
    EXPECT_TRUE(dialogs.messages().last().startsWith(QStringLiteral("Die Datei \"")));

    // The next start shows the grid as it was left, and the user is in the user list.
    window->close();
    window.reset();
    core.reset();
    start();
    grid = window->findChild<QTreeView*>(QStringLiteral("DBGridDoc"));
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), QStringLiteral("Projekt: Kunden (3)"));
    EXPECT_EQ(grid->columnWidth(3), 321);
    EXPECT_EQ(static_cast<DocumentGridModel*>(grid->model())->columnAlignment(2), Qt::AlignRight);
    EXPECT_TRUE(dm().UserList.contains(QStringLiteral("anna")));
    window->ActViewEndGroupingExecute();
    EXPECT_EQ(grid->model()->rowCount(), 3);
}

TEST_F(MainWindowTest, AnArchiveThatCannotBeOpenedShowsTheNoArchivePanel)
{
    const QString broken = TestEnv::writeFile(QStringLiteral("kaputt.dva"), "kein Archiv");
    write(true, QStringLiteral("LastOpenedDocDB"), broken);
    start();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages()[0].startsWith(
        QStringLiteral("Datenbank \"%1\" konnte nicht geöffnet werden.:\r").arg(broken)));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Dravonel Lumaris - anna"));
    EXPECT_FALSE(dm().isArchiveOpen());
    screenshot(QStringLiteral("no-archive.png"));

    // The link opens an archive exactly as the menu command does.
    auto* link = window->findChild<QLabel*>(QStringLiteral("LabelOpenArchive"));
    ASSERT_TRUE(link);
    const QString good = TestEnv::home() + QStringLiteral("Gut.dva");
    {
        TDModul maker({TestEnv::programFolder(), common, QString(), QString(), &dialogs});
        ArchiveSchema(maker).CreateArchive(good);
    }
    dialogs.queueText(good);
    Q_EMIT link->linkActivated(QStringLiteral("open"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Dravonel Lumaris - anna @ Gut.dva"));
}

namespace {
// A small catalogue for the grid: name, category and notes.
struct GridFixture
{
    GridFixture()
    {
        db.create(TestEnv::home() + QStringLiteral("grid.dva"));
        db.execute(QStringLiteral("CREATE TABLE T (DOCID INTEGER NOT NULL, NAME TEXT(20), CATEGORY TEXT(20), "
                                  "NOTES LONGTEXT, PRIMARY KEY (DOCID))"));
        const char* rows[][2] = {{"Brief", "Rechnung"}, {"Angebot 1", "Angebot"}, {"Zahlung", "rechnung"},
            {"Notiz", nullptr}, {"Mahnung", "Rechnung"}};
        int id = 1;
        for (const auto& row : rows)
            db.execute(QStringLiteral("INSERT INTO T (DOCID, NAME, CATEGORY) VALUES (?, ?, ?)"),
                {id++, QString::fromUtf8(row[0]), row[1] ? QVariant(QString::fromUtf8(row[1])) : QVariant()});
        records.setSql(QStringLiteral("SELECT * FROM T"));
        records.open();
    }
    SqlConnection db;
    SqlRecordSet records{&db};
};

QStringList namesUnder(const DocumentGridModel& model, const QModelIndex& parent)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names << model.index(row, 1, parent).data().toString();
    return names;
}
} // namespace

TEST(DocumentGridModel, GroupsSortsAndPassesTheModelChecks)
{
    GridFixture f;
    DocumentGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setRecords(&f.records);
    ASSERT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("NAME"));
    model.setCaptions(
        [](const QString& name) { return name == QLatin1String("CATEGORY") ? QStringLiteral("Gruppe") : name; });

    EXPECT_FALSE(model.canGroupBy(0)); // the key
    EXPECT_FALSE(model.canGroupBy(3)); // a long text
    EXPECT_FALSE(model.addGroupColumn(3));
    ASSERT_TRUE(model.addGroupColumn(2));
    model.sort(1, Qt::DescendingOrder);
    ASSERT_EQ(model.rowCount(), 3); // no value, Angebot, Rechnung (letter case ignored)
    EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("Gruppe:  (1)"));
    EXPECT_EQ(model.index(2, 0).data().toString(), QStringLiteral("Gruppe: Rechnung (3)"));
    EXPECT_EQ(model.recordOf(model.index(2, 0)), -1);
    EXPECT_EQ(namesUnder(model, model.index(2, 0)), (QStringList{"Zahlung", "Mahnung", "Brief"}));

    const QModelIndex mahnung = model.indexOfRecord(4, 1);
    EXPECT_EQ(mahnung.data().toString(), QStringLiteral("Mahnung"));
    EXPECT_EQ(model.recordOf(mahnung), 4);
    EXPECT_EQ(model.parent(mahnung), model.index(2, 0));

    model.endGrouping();
    EXPECT_FALSE(model.isGrouped());
    EXPECT_EQ(namesUnder(model, {}), (QStringList{"Zahlung", "Notiz", "Mahnung", "Brief", "Angebot 1"}));
    model.clearSorting();
    EXPECT_EQ(namesUnder(model, {}).first(), QStringLiteral("Brief"));
    model.setRecords(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(RecentArchives, NewestFirstAtMostThreeWithoutDuplicates)
{
    QStringList list;
    for (const char* name : {"a.dva", "b.dva", "c.dva", "d.dva"})
        list = TFormMain::AddRecentArchive(list, QLatin1String(name));
    EXPECT_EQ(list, (QStringList{"d.dva", "c.dva", "b.dva"}));
    EXPECT_EQ(TFormMain::AddRecentArchive(list, QStringLiteral("b.dva")), (QStringList{"b.dva", "d.dva", "c.dva"}));
}

TEST_F(MainWindowTest, ArchivesOfTheArchiveFolderAreRememberedAcrossStarts)
{
    const QString folder = common + QStringLiteral("Archive/");
    QDir().mkpath(folder);
    const QString outside = TestEnv::home() + QStringLiteral("Anderswo.dva");
    {
        TDModul maker({TestEnv::programFolder(), common, QString(), QString(), &dialogs});
        for (const QString& path : {folder + QStringLiteral("Eins.dva"), folder + QStringLiteral("Zwei.dva"), outside})
            ArchiveSchema(maker).CreateArchive(path);
    }
    write(true, QStringLiteral("LastOpenedDocDB"), folder + QStringLiteral("Eins.dva"));
    start();
    QMetaObject::invokeMethod(window.get(), [&] { window->LoadArchive(folder + QStringLiteral("Zwei.dva")); });
    TestEnv::waitUntil([&] { return window->windowTitle().endsWith(QLatin1String("Zwei.dva")); });
    window->LoadArchive(outside);
    EXPECT_EQ(window->recentArchives(), (QStringList{"Zwei.dva", "Eins.dva"}));
    window->close();
    EXPECT_EQ(readUser(QStringLiteral("LastOpenedDBs")), QStringLiteral("Zwei.dva,Eins.dva"));

    window.reset();
    core.reset();
    start();
    EXPECT_EQ(window->recentArchives(), (QStringList{"Zwei.dva", "Eins.dva"}));
    auto* menu = window->findChild<QMenu*>(QStringLiteral("MFileLastOpenedArchives"));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->actions().size(), 2);
    QFile::remove(folder + QStringLiteral("Eins.dva"));
    menu->actions()[1]->trigger();
    EXPECT_TRUE(dialogs.messages().contains(
        QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(folder + QStringLiteral("Eins.dva"))));
    menu->actions()[0]->trigger();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Dravonel Lumaris - anna @ Zwei.dva"));
}

TEST_F(MainWindowTest, TheProjectNavigatorFiltersTheCatalogue)
{
    const QString archive = TestEnv::home() + QStringLiteral("Projekte.dva");
    {
        TDModul maker({TestEnv::programFolder(), common, QString(), QString(), &dialogs});
        ArchiveSchema(maker).CreateArchive(archive);
        SqlConnection db;
        db.open(archive);
        int id = 1;
        for (const char* project : {"Kunden", "Kunden\\Meier", "Kundendienst"})
            db.execute(
                QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME, PROJECT) VALUES (?, '.txt', 'Dok', ?)"),
                {id++, QString::fromUtf8(project)});
        db.execute(QStringLiteral("INSERT INTO ITEMLISTS (ITMNAME, ITMLIST) VALUES ('PROJECT', ?)"),
            {QStringLiteral("Kunden\nKunden\\Meier\nKundendienst")});
    }
    write(true, QStringLiteral("LastOpenedDocDB"), archive);
    start();
    auto* navigator = window->findChild<TVxTreeView*>(QStringLiteral("ProjectNavigator"));
    ASSERT_TRUE(navigator);
    auto* grid = window->findChild<QTreeView*>(QStringLiteral("DBGridDoc"));
    EXPECT_EQ(grid->model()->rowCount(), 3);
    // With the permanent search on, choosing a project searches after the typing delay.
    auto rows = [&] { return grid->model()->rowCount(); };
    ASSERT_TRUE(navigator->SelectPath(QStringLiteral("Kunden")));
    // A project and its sub-projects, never its namesakes.
    EXPECT_TRUE(TestEnv::waitUntil([&] { return rows() == 2; })) << rows();
    ASSERT_TRUE(navigator->SelectPath(QStringLiteral("Kunden\\Meier")));
    EXPECT_TRUE(TestEnv::waitUntil([&] { return rows() == 1; })) << rows();
    ASSERT_TRUE(navigator->SelectAbsoluteIndex(0)); // [alle Projekte]
    EXPECT_TRUE(TestEnv::waitUntil([&] { return rows() == 3; })) << rows();
    screenshot(QStringLiteral("mainwindow-navigator.png"));
}

namespace {
// An archive of four documents in the projects Kunden, Kunden\Meier and Kundendienst.
QString makeSearchArchive(const QString& common, Dialogs& dialogs)
{
    const QString archive = TestEnv::home() + QStringLiteral("Suche.dva");
    TDModul maker({TestEnv::programFolder(), common, QString(), QString(), &dialogs});
    ArchiveSchema(maker).CreateArchive(archive);
    SqlConnection db;
    db.open(archive);
    const char* rows[][3] = {{".txt", "Brief an Meier", "Kunden"}, {".pdf", "Brief Angebot", "Kunden\\Meier"},
        {".txt", "Rechnung", "Kundendienst"}, {".txt", "Brief Kundendienst", "Kundendienst"}};
    int id = 1;
    for (const auto& row : rows)
        db.execute(QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME, PROJECT) VALUES (?, ?, ?, ?)"),
            {id++, QString::fromUtf8(row[0]), QString::fromUtf8(row[1]), QString::fromUtf8(row[2])});
    db.execute(QStringLiteral("INSERT INTO ITEMLISTS (ITMNAME, ITMLIST) VALUES ('PROJECT', ?)"),
        {QStringLiteral("Kunden\nKunden\\Meier\nKundendienst")});
    return archive;
}

QString cliOutput(const QStringList& args)
{
    const CliRun run = runCliForTest(args, TestEnv::home() + QStringLiteral("cli-settings"));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    return run.out.trimmed();
}
} // namespace

TEST_F(MainWindowTest, ThePermanentSearchRunsOnceAfterTheTypingDelay)
{
    const QString archive = makeSearchArchive(common, dialogs);
    write(true, QStringLiteral("LastOpenedDocDB"), archive);
    start();
    TSearchPanel* panel = window->searchPanel();
    ASSERT_TRUE(panel->IsPermanent()); // the permanent search is on at a first start
    auto* name = panel->findChild<QLineEdit*>(QStringLiteral("VxLayCompo_10_2"));
    ASSERT_TRUE(name);
    auto* grid = window->findChild<QTreeView*>(QStringLiteral("DBGridDoc"));
    auto* info = window->findChild<QLabel*>(QStringLiteral("PanelTableInfo"));
    ASSERT_EQ(grid->model()->rowCount(), 4);

    QSignalSpy searches(panel, &TSearchPanel::searchDue);
    QTest::keyClicks(name, QStringLiteral("Brief"), Qt::NoModifier, 50);
    EXPECT_EQ(searches.count(), 0); // not while typing
    EXPECT_EQ(grid->model()->rowCount(), 4);
    ASSERT_TRUE(TestEnv::waitUntil([&] { return searches.count() == 1; }));
    QTest::qWait(TSearchPanel::kTypingDelayMs + 200);
    EXPECT_EQ(searches.count(), 1); // one search for all the keys
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(info->text(), QStringLiteral("Tabelle: Suchergebnis: 3 Dokumente, 1 markiert"));

    // The navigator's project goes into the project box; the search takes the project and its
    // sub-projects, not its namesakes, and is the one doxarel-cli composes for the same inputs.
    auto* navigator = window->findChild<TVxTreeView*>(QStringLiteral("ProjectNavigator"));
    ASSERT_TRUE(navigator->SelectPath(QStringLiteral("Kunden")));
    auto* project = qobject_cast<QComboBox*>(panel->ProjectFieldControl());
    ASSERT_TRUE(project);
    EXPECT_EQ(project->currentText(), QStringLiteral("Kunden"));
    ASSERT_TRUE(TestEnv::waitUntil([&] { return grid->model()->rowCount() == 2; })) << grid->model()->rowCount();
    const QString cli
        = cliOutput({QStringLiteral("search"), archive, QStringLiteral("--criterion"), QStringLiteral("NAME=Brief"),
            QStringLiteral("--project"), QStringLiteral("Kunden"), QStringLiteral("--print-sql")});
    EXPECT_EQ(dm().AdoQueryDoc.sql().join(QLatin1Char('\n')), cli);
    const QString count = cliOutput({QStringLiteral("search"), archive, QStringLiteral("--criterion"),
        QStringLiteral("NAME=Brief"), QStringLiteral("--project"), QStringLiteral("Kunden"), QStringLiteral("--fields"),
        QStringLiteral("DOCID")});
    EXPECT_EQ(count.split(QLatin1Char('\n')).size() - 1, grid->model()->rowCount());

    // Leaving a changed field searches at once.
    name->setText(QStringLiteral("Rech"));
    panel->SearchFieldExit();
    EXPECT_FALSE(panel->SuchTimer->isActive());
    EXPECT_EQ(grid->model()->rowCount(), 0);

    // Searching by hand ends the permanent search.
    window->ActSearchExecuteExecute(true);
    EXPECT_FALSE(panel->IsPermanent());
    name->setText(QStringLiteral("Brief"));
    EXPECT_FALSE(panel->SuchTimer->isActive());
    screenshot(QStringLiteral("mainwindow-search.png"));
}

TEST_F(MainWindowTest, SearchCommandsAndTheSearchValuesOfTheNextStart)
{
    const QString archive = makeSearchArchive(common, dialogs);
    write(true, QStringLiteral("LastOpenedDocDB"), archive);
    start();
    auto* grid = window->findChild<QTreeView*>(QStringLiteral("DBGridDoc"));
    auto* info = window->findChild<QLabel*>(QStringLiteral("PanelTableInfo"));
    TSearchPanel* panel = window->searchPanel();
    auto* name = panel->findChild<QLineEdit*>(QStringLiteral("VxLayCompo_10_2"));
    ASSERT_TRUE(name);

    // One field asked for by name: the title names field and value.
    dialogs.queueText(QStringLiteral("Rechnung"));
    window->SearchOtherFields(QStringLiteral("NAME"));
    EXPECT_EQ(dialogs.asked().last().title, QStringLiteral("Suche nach Name"));
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(info->text(), QStringLiteral("Tabelle: Suche nach Name = \"Rechnung\": 1 Dokument, 1 markiert"));
    dialogs.queueText(QStringLiteral("   "));
    window->SearchOtherFields(QStringLiteral("NAME")); // a blank value changes nothing
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(
        TFormMain::ShortenedForTitle(QStringLiteral("123456789012345678901")), QStringLiteral("123456789012345678..."));

    // The full-text command: words left out are named; with none left nothing runs.
    window->AskFulltextWords = [](QString& words, QString& op) {
        words = QStringLiteral("der");
        op = QStringLiteral("AND");
        return true;
    };
    window->ActSearchFulltextIndexExecute();
    EXPECT_EQ(window->balloonText(), QStringLiteral("\"der\" wurde bei der Suche im Volltextindex ignoriert."));
    EXPECT_EQ(grid->model()->rowCount(), 1);

    // The last search comes back.
    window->ShowAllDocuments();
    EXPECT_EQ(grid->model()->rowCount(), 4);
    window->ActSearchLastSearchExecute();
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_TRUE(info->text().startsWith(QStringLiteral("Tabelle: letze Suche: ")));

    // A reset empties the panel, selects all projects and shows everything.
    name->setText(QStringLiteral("Brief"));
    auto* owner = panel->findChild<QCheckBox*>(QStringLiteral("VxLayCompo_70_1"));
    ASSERT_TRUE(owner);
    owner->setChecked(true);
    window->ActSearchResetExecute(true);
    EXPECT_TRUE(name->text().isEmpty());
    EXPECT_FALSE(owner->isChecked());
    EXPECT_EQ(grid->model()->rowCount(), 4);
    EXPECT_EQ(info->text(), QStringLiteral("Tabelle: alle Dokumente: 4 Dokumente, 1 markiert"));
    EXPECT_TRUE(panel->IsPermanent());

    // What was typed is there again at the next start, and the search runs at once.
    name->setText(QStringLiteral("Brief"));
    ASSERT_TRUE(TestEnv::waitUntil([&] { return grid->model()->rowCount() == 3; }));
    auto* navigator = window->findChild<TVxTreeView*>(QStringLiteral("ProjectNavigator"));
    ASSERT_TRUE(navigator->SelectPath(QStringLiteral("Kundendienst")));
    ASSERT_TRUE(TestEnv::waitUntil([&] { return grid->model()->rowCount() == 1; }));
    window->close();
    window.reset();
    core.reset();
    start();
    panel = window->searchPanel();
    name = panel->findChild<QLineEdit*>(QStringLiteral("VxLayCompo_10_2"));
    EXPECT_EQ(name->text(), QStringLiteral("Brief"));
    navigator = window->findChild<TVxTreeView*>(QStringLiteral("ProjectNavigator"));
    EXPECT_EQ(navigator->SelectedPath(), QStringLiteral("Kundendienst"));
    grid = window->findChild<QTreeView*>(QStringLiteral("DBGridDoc"));
    EXPECT_EQ(grid->model()->rowCount(), 1);
}

TEST_F(MainWindowTest, DocumentsDroppedOnAProjectOrAnotherGroupTakeItsValues)
{
    const QString archive = makeSearchArchive(common, dialogs);
    write(true, QStringLiteral("LastOpenedDocDB"), archive);
    start();
    auto* grid = window->findChild<QTreeView*>(QStringLiteral("DBGridDoc"));
    auto* model = static_cast<DocumentGridModel*>(grid->model());
    auto* navigator = window->findChild<TVxTreeView*>(QStringLiteral("ProjectNavigator"));
    ASSERT_EQ(model->recordCount(), 4);
    auto select = [&](std::initializer_list<int> records) {
        grid->clearSelection();
        for (int record : records)
            grid->selectionModel()->select(
                model->indexOfRecord(record), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    SqlConnection db;
    db.open(archive);
    auto projects = [&] {
        QStringList values;
        for (int id = 1; id <= 4; ++id)
            values << db.scalar(QStringLiteral("SELECT PROJECT FROM DOCUMENT WHERE DOCID = %1").arg(id)).toString();
        return values.join(QLatin1Char('|'));
    };

    // Onto a project: not onto "[alle Projekte]", and only what comes from the grid.
    navigator->FullExpand();
    const QPoint all = navigator->visualRect(navigator->NodeAt(0)).center();
    const QPoint meier = navigator->visualRect(navigator->NodeAt(2)).center();
    EXPECT_EQ(navigator->NodePath(navigator->NodeAt(2)), QStringLiteral("Kunden\\Meier"));
    EXPECT_FALSE(window->ProjectNavigatorDragOver(all, grid));
    EXPECT_FALSE(window->ProjectNavigatorDragOver(meier, navigator));
    EXPECT_TRUE(window->ProjectNavigatorDragOver(meier, grid));
    select({2, 3});
    window->ProjectNavigatorDragDrop(meier);
    EXPECT_EQ(projects(), QStringLiteral("Kunden|Kunden\\Meier|Kunden\\Meier|Kunden\\Meier"));
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("PanelTableInfo"))->text(),
        QStringLiteral("Tabelle: Suchergebnis: 4 Dokumente, 1 markiert"));

    // Between the groups of the grid: the rows take the target group's value.
    ASSERT_TRUE(window->DBGridDocAddGroupColumn(4)); // the project
    EXPECT_FALSE(window->DBGridDocDragOver(navigator));
    select({1});
    EXPECT_TRUE(window->DBGridDocDragOver(grid));
    const QModelIndex kunden = model->index(0, 0);
    ASSERT_TRUE(kunden.data().toString().startsWith(QStringLiteral("Projekt: Kunden (")));
    window->DBGridDocDragDrop(grid->visualRect(kunden).center());
    EXPECT_EQ(projects(), QStringLiteral("Kunden|Kunden|Kunden\\Meier|Kunden\\Meier"));
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("Projekt: Kunden (2)"));

    // A read-only grouping field is named and keeps its value.
    window->ActViewEndGroupingExecute();
    ASSERT_TRUE(window->DBGridDocAddGroupColumn(1)); // the document type
    select({1});
    const int before = dialogs.messages().size();
    window->DBGridDocDragDrop(grid->visualRect(model->index(model->rowCount() - 1, 0)).center());
    ASSERT_EQ(dialogs.messages().size(), before + 1);
    EXPECT_EQ(dialogs.messages().last(),
        QStringLiteral("Drag&Drop:\rDem Datenfeld \"Dokumenttyp\" kann kein Wert zugewiesen werden."));
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT APPLNAME FROM DOCUMENT WHERE DOCID = 2")).toString(), QStringLiteral(".pdf"));
}

TEST_F(MainWindowTest, ColumnsKeepTheirStateAcrossSearchesAndTheChooserShowsThemAgain)
{
    const QString archive = makeSearchArchive(common, dialogs);
    write(true, QStringLiteral("LastOpenedDocDB"), archive);
    start();
    auto* grid = window->findChild<QTreeView*>(QStringLiteral("DBGridDoc"));
    grid->setColumnHidden(3, true); // the name
    grid->setColumnWidth(4, 222);
    window->ShowAllDocuments();
    EXPECT_TRUE(grid->isColumnHidden(3));
    EXPECT_EQ(grid->columnWidth(4), 222);
    EXPECT_TRUE(grid->isColumnHidden(14)); // FTIUPDATE is not a column at all

    window->ActViewGridColCustomizExecute();
    auto* list = window->findChild<QListWidget*>(QStringLiteral("ListColumns"));
    ASSERT_TRUE(list);
    QListWidgetItem* name = nullptr;
    for (int row = 0; row < list->count(); ++row) {
        EXPECT_NE(list->item(row)->text(), QStringLiteral("FTIUPDATE"));
        if (list->item(row)->data(Qt::UserRole).toInt() == 3)
            name = list->item(row);
    }
    ASSERT_TRUE(name);
    EXPECT_EQ(name->checkState(), Qt::Unchecked);
    name->setCheckState(Qt::Checked);
    EXPECT_FALSE(grid->isColumnHidden(3));

    // Reopening the archive keeps the layout of the grid.
    ASSERT_TRUE(window->ReloadArchive());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Dravonel Lumaris - anna @ Suche.dva"));
    EXPECT_EQ(grid->columnWidth(4), 222);
    EXPECT_EQ(grid->model()->rowCount(), 4);
}

TEST_F(MainWindowTest, ASearchFieldWhoseFieldTheArchiveLacksIsLeftOut)
{
    const QString archive = makeSearchArchive(common, dialogs);
    {
        SqlConnection db;
        db.open(archive);
        db.execute(QStringLiteral("ALTER TABLE DOCUMENT DROP COLUMN MAILFROM"));
    }
    write(true, QStringLiteral("LastOpenedDocDB"), archive);
    start();
    auto* mailFrom = window->searchPanel()->findChild<QLineEdit*>(QStringLiteral("VxLayCompo_10_3"));
    ASSERT_TRUE(mailFrom);
    EXPECT_FALSE(mailFrom->isEnabled());
    auto* grid = window->findChild<QTreeView*>(QStringLiteral("DBGridDoc"));
    EXPECT_EQ(grid->model()->rowCount(), 4); // the search runs without it
    window->close();
    RegistryHives hives(settingsFolder());
    const QStringList stored = hives.user().valueNames(
        QStringLiteral("SOFTWARE\\Wendrich\\Dravonel Lumaris\\Edit.Text\\Main\\SearchFields"));
    EXPECT_TRUE(stored.contains(QStringLiteral("NAME"), Qt::CaseInsensitive))
        << stored.join(QLatin1Char(',')).toStdString();
    for (const QString& name : stored)
        EXPECT_FALSE(name.contains(QLatin1String("MAILFROM"), Qt::CaseInsensitive)) << name.toStdString();
}
