#include "mainwindow/ProjectNavigator.h"
#include "TestEnvironment.h"
#include "app/ProgramCore.h"
#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "archive/DocumentQuery.h"
#include "archive/DocumentRecords.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/db/SqlConnection.h"
#include "platform/db/SqlRecordSet.h"
#include "properties/LayoutBuilder.h"
#include "properties/LayoutControls.h"
#include "properties/VxTreeView.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>

#include <memory>

namespace {
const QString kProjects = QStringLiteral("Kunden\nKunden\\Meier\nLieferanten");

class ProjectNavigatorTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const QString common = TestEnv::home() + QStringLiteral("common/");
        {
            RegistryHives hives(settingsFolder());
            hives.machine().writeString(QStringLiteral("SOFTWARE\\Wendrich\\Dravonel Lumaris\\Settings"),
                QStringLiteral("CommonFilesPath"), common);
            ASSERT_TRUE(hives.flush());
        }
        archive = TestEnv::home() + QStringLiteral("Projekte.dva");
        {
            TDModul maker({TestEnv::programFolder(), common, QString(), QString(), &dialogs});
            ArchiveSchema(maker).CreateArchive(archive);
            SqlConnection db;
            db.open(archive);
            int id = 1;
            for (const char* project : {"Kunden", "Lieferanten", "Kunden\\Meier"})
                db.execute(QStringLiteral(
                               "INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME, PROJECT) VALUES (?, '.txt', 'Dok', ?)"),
                    {id++, QString::fromUtf8(project)});
            db.execute(QStringLiteral("INSERT INTO ITEMLISTS (ITMNAME, ITMLIST) VALUES ('PROJECT', ?)"), {kProjects});
        }
        core = std::make_unique<ProgramCore>(
            TestEnv::programFolder(), settingsFolder(), dialogs, QStringLiteral("anna"), QStringLiteral("PC1"));
        core->loadSettings();
        core->openArchive(archive);
        ASSERT_TRUE(core->query().RunSelect(QString()));
        ASSERT_GE(records().choiceListIndex(QStringLiteral("Project")), 0);

        tree = std::make_unique<TVxTreeView>();
        tree->SetFirstNodeText(QStringLiteral("[alle Projekte]"));
        search = std::make_unique<QAction>(QStringLiteral("&Suchen"));
        showNavigator = std::make_unique<QAction>(QStringLiteral("Projekt&navigator"));
        commands = std::make_unique<TProjectNavigatorCommands>(
            *tree, dialogs, core->dm(), search.get(), showNavigator.get());
        // As the window does: after storing, the navigator is loaded again.
        commands->SetChoiceListsChanged([this] {
            ++refreshed;
            commands->LoadPrjNavItems();
        });
        commands->LoadPrjNavItems();
        dialogs.clear();
    }

    void TearDown() override
    {
        commands.reset();
        tree.reset();
        core.reset();
    }

    QString settingsFolder() const { return TestEnv::home() + QStringLiteral("settings/"); }
    DocumentRecords& records() { return core->dm().Records(); }
    QString& projectList() { return records().ChoiceLists[records().choiceListIndex(QStringLiteral("Project"))]; }

    // The PROJECT list as the archive holds it, read through a connection of its own.
    QString storedList()
    {
        SqlConnection db;
        db.open(archive);
        return db.scalar(QStringLiteral("SELECT ITMLIST FROM ITEMLISTS WHERE ITMNAME = 'PROJECT'")).toString();
    }

    QString storedProject(int docId)
    {
        SqlConnection db;
        db.open(archive);
        return db.scalar(QStringLiteral("SELECT PROJECT FROM DOCUMENT WHERE DOCID = ?"), {docId}).toString();
    }

    // Puts the original list back into memory, the archive and the tree.
    void resetProjects()
    {
        projectList() = kProjects;
        records().SaveAllItemLists();
        tree->setCurrentIndex(QModelIndex());
        commands->LoadPrjNavItems();
        dialogs.clear();
        refreshed = 0;
    }

    // Selects a project by path; "[alle Projekte]" selects the first node, "" nothing.
    void select(const QString& path)
    {
        if (path.isEmpty())
            tree->setCurrentIndex(QModelIndex());
        else if (path == tree->FirstNodeText())
            ASSERT_TRUE(tree->SelectAbsoluteIndex(0));
        else
            ASSERT_TRUE(tree->SelectPath(path)) << path.toStdString();
    }

    QString selectedText() const { return tree->currentIndex().data().toString(); }

    QString archive;
    ScriptedDialogs dialogs;
    std::unique_ptr<ProgramCore> core;
    std::unique_ptr<TVxTreeView> tree;
    std::unique_ptr<QAction> search;
    std::unique_ptr<QAction> showNavigator;
    std::unique_ptr<TProjectNavigatorCommands> commands;
    int refreshed = 0;
};
} // namespace

TEST_F(ProjectNavigatorTest, EditsAreStoredAndKeepTheSelection)
{
    enum class Command { New, Sub, Edit, Delete };
    struct Case
    {
        const char* name;
        const char* selected; // path, "[alle Projekte]" or "" for none
        Command command;
        std::optional<QString> input; // the input box's answer (nullopt: cancelled); unused for Delete
        Dialogs::Button confirmation; // for Delete
        QString list; // the project list afterwards, in memory and in the archive
        QString selectedAfter; // the selected path afterwards ("" for the first node)
        QStringList messages;
    };
    const QString tooLong = QStringLiteral("Das Datenbankfeld hat eine maximale Länge von 80 Zeichen. Der eingegebene "
                                           "Eintrag ist zu lang.");
    const QString invalid = QStringLiteral("Ungültiges Zeichen \"\\\".");
    // "Kunden\Meier\" is 13 characters long, PROJECT 80.
    const QString fits = QString(67, QLatin1Char('x'));
    const QString overlong = QString(68, QLatin1Char('x'));
    const Case cases[] = {
        {"new entry beside the first node", "[alle Projekte]", Command::New, QStringLiteral("Archiv"),
            Dialogs::NoButton, QStringLiteral("Archiv\nKunden\nKunden\\Meier\nLieferanten"), QString(), {}},
        {"new entry with nothing selected", "", Command::New, QStringLiteral("Zentrale"), Dialogs::NoButton,
            QStringLiteral("Kunden\nKunden\\Meier\nLieferanten\nZentrale"), QString(), {}},
        {"new entry before the selected first entry", "Kunden", Command::New, QStringLiteral("Archiv"),
            Dialogs::NoButton, QStringLiteral("Archiv\nKunden\nKunden\\Meier\nLieferanten"), QStringLiteral("Kunden"),
            {}},
        {"new entry after the selected first entry", "Kunden", Command::New, QStringLiteral("Zentrale"),
            Dialogs::NoButton, QStringLiteral("Kunden\nKunden\\Meier\nLieferanten\nZentrale"), QStringLiteral("Kunden"),
            {}},
        {"new sibling of a sub-project", "Kunden\\Meier", Command::New, QStringLiteral("Albers"), Dialogs::NoButton,
            QStringLiteral("Kunden\nKunden\\Albers\nKunden\\Meier\nLieferanten"), QStringLiteral("Kunden\\Meier"), {}},
        {"new entry cancelled", "Kunden", Command::New, std::nullopt, Dialogs::NoButton, kProjects,
            QStringLiteral("Kunden"), {}},
        {"new entry with a backslash", "Kunden", Command::New, QStringLiteral("A\\B"), Dialogs::NoButton, kProjects,
            QStringLiteral("Kunden"), {invalid}},
        {"new sub-entry", "Kunden\\Meier", Command::Sub, QStringLiteral("2004"), Dialogs::NoButton,
            QStringLiteral("Kunden\nKunden\\Meier\nKunden\\Meier\\2004\nLieferanten"), QStringLiteral("Kunden\\Meier"),
            {}},
        {"sub-entry exactly as long as the field", "Kunden\\Meier", Command::Sub, fits, Dialogs::NoButton,
            QStringLiteral("Kunden\nKunden\\Meier\nKunden\\Meier\\") + fits + QStringLiteral("\nLieferanten"),
            QStringLiteral("Kunden\\Meier"), {}},
        {"sub-entry one character too long", "Kunden\\Meier", Command::Sub, overlong, Dialogs::NoButton, kProjects,
            QStringLiteral("Kunden\\Meier"), {tooLong}},
        {"sibling too long with its parent's path", "Kunden\\Meier", Command::New, overlong, Dialogs::NoButton,
            QStringLiteral("Kunden\nKunden\\Meier\nKunden\\") + overlong + QStringLiteral("\nLieferanten"),
            QStringLiteral("Kunden\\Meier"), {}},
        {"rename a sub-project", "Kunden\\Meier", Command::Edit, QStringLiteral("Schulze"), Dialogs::NoButton,
            QStringLiteral("Kunden\nKunden\\Schulze\nLieferanten"), QStringLiteral("Kunden\\Schulze"), {}},
        {"rename a project with sub-projects", "Kunden", Command::Edit, QStringLiteral("Klienten"), Dialogs::NoButton,
            QStringLiteral("Klienten\nKlienten\\Meier\nLieferanten"), QStringLiteral("Klienten"), {}},
        {"rename to a value with a backslash", "Kunden\\Meier", Command::Edit, QStringLiteral("Meier\\Alt"),
            Dialogs::NoButton, kProjects, QStringLiteral("Kunden\\Meier"), {invalid}},
        {"rename too long with its parent's path", "Kunden\\Meier", Command::Edit, QString(74, QLatin1Char('x')),
            Dialogs::NoButton, kProjects, QStringLiteral("Kunden\\Meier"), {tooLong}},
        {"rename to the same text", "Kunden", Command::Edit, QStringLiteral("Kunden"), Dialogs::NoButton, kProjects,
            QStringLiteral("Kunden"), {}},
        {"delete with its sub-projects", "Kunden", Command::Delete, std::nullopt, Dialogs::Yes,
            QStringLiteral("Lieferanten"), QString(), {QStringLiteral("Soll \"Kunden\" wirklich gelöscht werden?")}},
        {"delete a sub-project", "Kunden\\Meier", Command::Delete, std::nullopt, Dialogs::Yes,
            QStringLiteral("Kunden\nLieferanten"), QStringLiteral("Kunden"),
            {QStringLiteral("Soll \"Meier\" wirklich gelöscht werden?")}},
        {"delete refused", "Kunden\\Meier", Command::Delete, std::nullopt, Dialogs::No, kProjects,
            QStringLiteral("Kunden\\Meier"), {QStringLiteral("Soll \"Meier\" wirklich gelöscht werden?")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetProjects();
        select(QString::fromUtf8(c.selected));
        const QString preset = c.command == Command::Edit ? selectedText() : QString();
        if (c.command == Command::Delete)
            dialogs.queueButton(c.confirmation);
        else
            dialogs.queueText(c.input);
        const QStringList treeBefore = tree->TreeToLines();
        switch (c.command) {
        case Command::New: commands->MPrjNavNewItemClick(); break;
        case Command::Sub: commands->MPrjNavNewSubItemClick(); break;
        case Command::Edit: commands->MPrjNavEditItemClick(); break;
        case Command::Delete: commands->MPrjNavDelItemClick(); break;
        }
        if (c.command != Command::Delete) {
            ASSERT_EQ(dialogs.asked().size(), c.messages.size() + 1);
            const ScriptedDialogs::Asked& input = dialogs.asked().first();
            EXPECT_EQ(input.what, QStringLiteral("input"));
            EXPECT_EQ(input.title,
                c.command == Command::Edit ? QStringLiteral("Eintrag ändern") : QStringLiteral("Hinzufügen"));
            EXPECT_EQ(input.text,
                c.command == Command::Sub ? QStringLiteral("Neuer Untereintrag") : QStringLiteral("Neuer Eintrag"));
            EXPECT_EQ(input.preset, preset);
        }
        EXPECT_EQ(dialogs.messages(), c.messages);
        EXPECT_EQ(projectList(), c.list);
        EXPECT_EQ(storedList(), c.list);
        const bool changed = c.list != kProjects;
        EXPECT_EQ(refreshed, changed ? 1 : 0);
        // The tree shows the list; a refused entry leaves it as it was.
        EXPECT_EQ(tree->TreeToLines(), changed ? c.list.split(QLatin1Char('\n')) : treeBefore);
        if (c.selectedAfter.isEmpty())
            EXPECT_EQ(tree->AbsoluteIndex(tree->currentIndex()), 0) << selectedText().toStdString();
        else
            EXPECT_EQ(tree->SelectedPath(), c.selectedAfter);
    }
}

TEST_F(ProjectNavigatorTest, TheFirstNodeIsNoProjectToEdit)
{
    select(QStringLiteral("[alle Projekte]"));
    dialogs.setAnswerYes(true);
    commands->MPrjNavNewSubItemClick();
    commands->MPrjNavEditItemClick();
    commands->MPrjNavDelItemClick();
    EXPECT_TRUE(dialogs.asked().isEmpty());
    EXPECT_EQ(storedList(), kProjects);
    EXPECT_EQ(tree->NodeCount(), 4);
}

TEST_F(ProjectNavigatorTest, WithoutTheProjectListInMemoryEditsAreNotStored)
{
    const int list = records().choiceListIndex(QStringLiteral("Project"));
    records().ChoiceListNames.removeAt(list);
    records().ChoiceLists.removeAt(list);
    select(QStringLiteral("Kunden"));
    dialogs.queueText(QStringLiteral("Archiv"));
    commands->MPrjNavNewItemClick();
    EXPECT_EQ(storedList(), kProjects);
    EXPECT_EQ(refreshed, 0);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(ProjectNavigatorTest, ThePopupOffersTheProjectCommandsForProjectsOnly)
{
    QMenu* popup = commands->PopupPrjNav();
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->defaultAction(), search.get());
    QStringList items;
    for (const QAction* action : popup->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text())
                + (action->isVisible() ? "" : " (hidden)");
    EXPECT_EQ(items,
        QStringList({"&Suchen", "&Datenbankauswahl (hidden)", "&Knoten öffnen", "Knoten &schließen", "-",
            "Projekt&navigator", "&Projekte"}));
    QMenu* projects = commands->MPrjNavProjects;
    ASSERT_EQ(popup->actions().last()->menu(), projects);
    QStringList projectItems;
    for (const QAction* action : projects->actions())
        projectItems << action->text();
    EXPECT_EQ(projectItems, QStringList({"&Neuer Eintrag...", "Neuer &Untereintrag...", "Än&dern...", "&Löschen..."}));

    struct Case
    {
        const char* selected;
        bool enabled;
    };
    for (const Case& c :
        {Case{"[alle Projekte]", false}, Case{"Kunden\\Meier", true}, Case{"", false}, Case{"Lieferanten", true}}) {
        SCOPED_TRACE(c.selected);
        select(QString::fromUtf8(c.selected));
        Q_EMIT projects->aboutToShow();
        EXPECT_TRUE(commands->MPrjNavNewItem->isEnabled());
        EXPECT_EQ(commands->MPrjNavNewSubItem->isEnabled(), c.enabled);
        EXPECT_EQ(commands->MPrjNavEditItem->isEnabled(), c.enabled);
        EXPECT_EQ(commands->MPrjNavDelItem->isEnabled(), c.enabled);
    }

    const QModelIndex kunden = tree->NodeAt(1);
    ASSERT_EQ(kunden.data().toString(), QStringLiteral("Kunden"));
    commands->MPrjNavFullExpand->trigger();
    EXPECT_TRUE(tree->isExpanded(kunden));
    commands->MPrjNavFullCollapse->trigger();
    EXPECT_FALSE(tree->isExpanded(kunden));
}

TEST_F(ProjectNavigatorTest, ChoiceListControlsGetTheListsInMemory)
{
    QWidget main;
    main.setObjectName(QStringLiteral("FormMain"));
    auto* panel = new QWidget(&main);
    panel->setObjectName(QStringLiteral("PanelSearchFields"));
    panel->setGeometry(0, 0, 800, 170);
    IniFile layout;
    layout.parse(QStringLiteral("[FormMain.PanelSearchFields]\n"
                                "VxLayCompo_50_1=TTreeComboBox,50,0,0,100,21,Projekt,Doc,PROJECT,,,0\n"
                                "VxLayCompo_30_1=TComboBox,30,0,30,100,21,Gruppe,Doc,CATEGORY,,,0\n"
                                "VxLayCompo_30_2=TComboBox,30,0,60,100,21,Name,Doc,NAME,,,0\n"));
    TVxLayoutContext context;
    context.Fields = &core->fields();
    context.DocSource = &core->dm().AdoQueryDoc;
    context.ChoiceList = [this](const QString& field) -> std::optional<QString> {
        const int index = records().choiceListIndex(field);
        return index < 0 ? std::nullopt : std::optional<QString>(records().ChoiceLists[index]);
    };
    LoadLayoutArea(layout, panel, context);
    auto* project = main.findChild<TVxTreeComboBox*>(QStringLiteral("VxLayCompo_50_1"));
    auto* category = main.findChild<QComboBox*>(QStringLiteral("VxLayCompo_30_1"));
    auto* name = main.findChild<QComboBox*>(QStringLiteral("VxLayCompo_30_2"));
    ASSERT_TRUE(project && category && name);
    ASSERT_GE(records().choiceListIndex(QStringLiteral("CATEGORY")), 0);
    ASSERT_LT(records().choiceListIndex(QStringLiteral("NAME")), 0);
    // Without a field name in its hint a combo box is none of the choice list controls.
    auto* plain = new QComboBox(panel);
    plain->addItems({QStringLiteral("eins"), QStringLiteral("zwei")});
    name->addItems({QStringLiteral("bleibt")});

    projectList() = QStringLiteral("Archiv\nKunden\r\nKunden\\Meier");
    records().ChoiceLists[records().choiceListIndex(QStringLiteral("CATEGORY"))]
        = QStringLiteral("Brief\r\nRechnung\r\n");
    RefreshChoiceListControls(&main, records());

    EXPECT_EQ(project->TreeItems(), QStringList({"Archiv", "Kunden", "Kunden\\Meier"}));
    EXPECT_EQ(project->Tree()->NodeCount(), 3);
    QStringList categories;
    for (int i = 0; i < category->count(); ++i)
        categories << category->itemText(i);
    EXPECT_EQ(categories, QStringList({"Brief", "Rechnung"}));
    EXPECT_EQ(name->count(), 1);
    EXPECT_EQ(plain->count(), 2);
}

TEST_F(ProjectNavigatorTest, DocumentsMoveToAProject)
{
    SqlRecordSet& documents = core->dm().AdoQueryDoc;
    auto rowOf = [&](int docId) {
        EXPECT_TRUE(documents.locate(QStringLiteral("DOCID"), docId));
        return documents.recordNumber();
    };
    const int first = rowOf(1);
    const int third = rowOf(3);
    const int second = rowOf(2); // current before the move
    // Display updates stay suspended while the records are saved.
    QList<bool> suspendedAtSave;
    auto& hooks = documents.hooks();
    const auto rulesBeforePost = hooks.beforePost;
    hooks.beforePost = [&](SqlRecordSet& r) {
        suspendedAtSave << r.controlsDisabled();
        rulesBeforePost(r);
    };

    EXPECT_EQ(MoveDocumentsToProject(documents, {first, third}, QStringLiteral("Lieferanten\\Nord")), 2);
    EXPECT_EQ(suspendedAtSave, QList<bool>({true, true}));
    EXPECT_EQ(storedProject(1), QStringLiteral("Lieferanten\\Nord"));
    EXPECT_EQ(storedProject(2), QStringLiteral("Lieferanten"));
    EXPECT_EQ(storedProject(3), QStringLiteral("Lieferanten\\Nord"));
    EXPECT_FALSE(documents.controlsDisabled());
    EXPECT_EQ(documents.recordNumber(), second);

    // The index thread writes the new words of the moved documents; saving goes on afterwards.
    ASSERT_TRUE(TestEnv::waitUntil([&] { return !core->dm().IsIndexThreadRunning(); }, 30000));
    EXPECT_EQ(MoveDocumentsToProject(documents, {second}, QStringLiteral("Kunden\\Meier")), 1);
    EXPECT_EQ(storedProject(2), QStringLiteral("Kunden\\Meier"));
    ASSERT_TRUE(TestEnv::waitUntil([&] { return !core->dm().IsIndexThreadRunning(); }, 30000));
    // A failure passes on; display updates come back, and no change is left pending.
    struct Failure
    {
        const char* name;
        QList<int> rows;
        QString path;
        QString projectOfFirst; // afterwards
    };
    const Failure failures[] = {
        {"a record that is not there", {first, 99}, QStringLiteral("Kunden"), QStringLiteral("Kunden")},
        {"a path too long for the field", {first}, QString(81, QLatin1Char('p')), QStringLiteral("Kunden")},
    };
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.name);
        EXPECT_THROW(MoveDocumentsToProject(documents, f.rows, f.path), DxError);
        EXPECT_FALSE(documents.controlsDisabled());
        EXPECT_EQ(documents.state(), SqlRecordSet::State::Browse);
        EXPECT_EQ(storedProject(1), f.projectOfFirst);
    }
}

TEST_F(ProjectNavigatorTest, DocumentsDropOnProjectsOnly)
{
    struct Case
    {
        const char* name;
        int node; // absolute index, -1 for none
        bool fromGrid;
        bool accepted;
    };
    const Case cases[] = {
        {"project from the grid", 2, true, true},
        {"first node from the grid", 0, true, false},
        {"project from elsewhere", 2, false, false},
        {"no node", -1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AcceptsDocumentDrop(*tree, tree->NodeAt(c.node), c.fromGrid), c.accepted);
    }
}
