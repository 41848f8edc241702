#include "mainwindow/GridColumns.h"
#include "TestEnvironment.h"
#include "app/ProgramCore.h"
#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "archive/DocumentQuery.h"
#include "archive/DocumentRecords.h"
#include "documents/ApplicationList.h"
#include "mainwindow/DocumentGridModel.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "platform/db/DateSerial.h"
#include "platform/db/SqlConnection.h"
#include "platform/db/SqlRecordSet.h"
#include "properties/DBFields.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>

#include <functional>
#include <memory>

namespace {
// A 4 x 4 red picture, as a picture field stores it.
QByteArray redSquare()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

const QString kSettingsKey = QStringLiteral("SOFTWARE\\Wendrich\\Dravonel Lumaris\\Settings");

TEST(GridColumnDescription, TheColumnKindFollowsTheEditStyle)
{
    using K = GridColumnKind;
    struct Case
    {
        const char* field;
        FieldKind type;
        int style;
        bool visible;
        K kind;
        bool readOnly;
        bool listOnly = false;
        QStringList items = {};
        const char* checked = "";
        const char* unchecked = "";
        bool multiLine = false;
        bool invalid = false;
    };
    const QStringList categories{"Angebot", "Rechnung"};
    const QStringList users{"anna", "bert"};
    const Case cases[] = {
        {"NAME", FieldKind::String, 0, true, K::Text, false},
        {"NAME", FieldKind::String, -1, true, K::Text, false},
        {"CATEGORY", FieldKind::String, 1, true, K::PickList, false, false, categories},
        {"CATEGORY", FieldKind::String, 2, true, K::PickList, false, true, categories},
        {"CATEGORY", FieldKind::String, 3, true, K::PickList, false, false, categories},
        {"CATEGORY", FieldKind::String, 4, true, K::PickList, false, true, categories},
        {"STATE", FieldKind::String, 1, true, K::PickList, false}, // no list in memory
        {"USERNAME", FieldKind::String, 2, true, K::PickList, true, true, users},
        {"FAVORITE", FieldKind::String, 5, true, K::CheckBox, false, false, {}, "T", "F"},
        {"PAGES", FieldKind::Integer, 5, true, K::CheckBox, false, false, {}, "Wahr", "Falsch"},
        {"USERNAME", FieldKind::String, 5, true, K::Text, true},
        {"NOTES", FieldKind::Memo, 6, true, K::Memo, false, false, {}, "", "", true},
        {"NOTES", FieldKind::Memo, 0, true, K::Text, false, false, {}, "", "", true},
        {"NOTES", FieldKind::Memo, 7, true, K::None, false, false, {}, "", "", true},
        {"OBJECT", FieldKind::Blob, 12, true, K::None, false},
        {"DUE", FieldKind::DateTime, 8, true, K::Date, false},
        {"DUE", FieldKind::DateTime, 9, true, K::Time, false},
        {"DUE", FieldKind::DateTime, 10, true, K::DateTime, false},
        {"DOCNO", FieldKind::String, 8, true, K::Text, false}, // not a date field
        {"CREATEDATE", FieldKind::DateTime, 10, true, K::DateTime, true},
        {"EDITDATE", FieldKind::DateTime, 10, true, K::DateTime, true},
        {"FTIUPDATE", FieldKind::DateTime, 8, true, K::Date, true},
        {"FILENAME", FieldKind::String, 0, true, K::Text, true},
        {"DOCID", FieldKind::Integer, 0, true, K::Text, true},
        {"PHOTO", FieldKind::Graphic, 11, true, K::Picture, true},
        {"MAILFROM", FieldKind::String, 13, true, K::None, false, false, {}, "", "", false, true},
        {"MAILFROM", FieldKind::String, 13, false, K::None, false}, // hidden: nothing to report
        {"APPLNAME", FieldKind::String, 1, true, K::DocumentType, true},
        {"APPLNAME", FieldKind::String, 13, true, K::DocumentType, true},
        {"NAME", FieldKind::String, 0, false, K::None, false},
    };
    GridColumnSources sources;
    sources.ChoiceList
        = [&](const QString& name) { return name == QLatin1String("CATEGORY") ? categories : QStringList(); };
    sources.UserList = users;
    sources.DropDownCount = 12;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.field << " style " << c.style << (c.visible ? "" : " hidden"));
        SqlField field;
        field.name = QLatin1String(c.field);
        field.kind = c.type;
        TVxDBField definition;
        definition.FieldName = field.name;
        definition.EditStyle = c.style;
        definition.Visible = c.visible;
        bool invalid = !c.invalid;
        const GridColumn column = describeGridColumn(field, &definition, sources, &invalid);
        EXPECT_EQ(column.kind, c.kind);
        EXPECT_EQ(invalid, c.invalid);
        if (c.kind == K::None)
            continue;
        EXPECT_EQ(column.readOnly, c.readOnly);
        EXPECT_EQ(column.listOnly, c.listOnly);
        EXPECT_EQ(column.items, c.items);
        EXPECT_EQ(column.checkedValue, QLatin1String(c.checked));
        EXPECT_EQ(column.uncheckedValue, QLatin1String(c.unchecked));
        EXPECT_EQ(column.multiLine, c.multiLine);
        EXPECT_EQ(column.dropDownRows, 12);
    }

    // A field the definitions do not know (the result of another statement) is read-only text.
    SqlField computed;
    computed.name = QStringLiteral("ANZAHL");
    computed.kind = FieldKind::Integer;
    const GridColumn column = describeGridColumn(computed, nullptr, sources);
    EXPECT_EQ(column.kind, K::Text);
    EXPECT_TRUE(column.readOnly);
}

// An archive with three documents, choice lists and two fields of its own (a date and a number
// shown as a check box), opened by the program core; the grid over its catalogue.
class GridColumnsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const QString common = TestEnv::makeFolder(QStringLiteral("common"));
        {
            RegistryHives hives(settingsFolder());
            hives.machine().writeString(kSettingsKey, QStringLiteral("CommonFilesPath"), common);
            hives.machine().writeInteger(kSettingsKey, QStringLiteral("DropDownCount"), 12);
            ASSERT_TRUE(hives.flush());
        }
        archive = TestEnv::home() + QStringLiteral("Spalten.dva");
        {
            TDModul maker({TestEnv::programFolder(), common, QString(), QString(), &dialogs});
            ArchiveSchema(maker).CreateArchive(archive);
            SqlConnection db;
            db.open(archive);
            db.execute(QStringLiteral("ALTER TABLE DOCUMENT ADD DUE DATETIME"));
            db.execute(QStringLiteral("ALTER TABLE DOCUMENT ADD PAGES INTEGER"));
            db.execute(QStringLiteral("ALTER TABLE DOCUMENT ADD PHOTO IMAGE"));
            db.execute(QStringLiteral("INSERT INTO DOCFLD VALUES ('PHOTO', 'Foto', 'T', 'F', 6, 11, 'F')"));
            db.execute(QStringLiteral("INSERT INTO DOCFLD VALUES ('DUE', 'Fällig', 'T', 'F', 6, 8, 'F')"));
            db.execute(QStringLiteral("INSERT INTO DOCFLD VALUES ('PAGES', 'Seiten', 'T', 'F', 6, 5, 'F')"));
            db.execute(QStringLiteral("UPDATE DOCFLD SET EDITSTYLE = 2 WHERE FIELDNAME = 'STATE'"));
            db.execute(QStringLiteral("UPDATE DOCFLD SET EDITSTYLE = 13 WHERE FIELDNAME = 'MAILFROM'"));
            db.execute(QStringLiteral("UPDATE DOCFLD SET EDITSTYLE = 7 WHERE FIELDNAME = 'TEMPLATE'"));
            db.execute(QStringLiteral("INSERT INTO ITEMLISTS (ITMNAME, ITMLIST) VALUES ('CATEGORY', ?)"),
                {QStringLiteral("Angebot\r\nRechnung\r\n")});
            db.execute(QStringLiteral("INSERT INTO ITEMLISTS (ITMNAME, ITMLIST) VALUES ('STATE', ?)"),
                {QStringLiteral("Neu\nErledigt")});
            const QString insert = QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME, CATEGORY, FAVORITE, "
                                                  "NOTES, CREATEDATE, DUE, USERNAME, FILENAME) VALUES "
                                                  "(?, ?, ?, ?, ?, ?, 38124.5, ?, 'anna', 'Internes Dokument')");
            db.execute(insert,
                {1, QStringLiteral("vxtext"), QStringLiteral("Notiz Meier"), QStringLiteral("Rechnung"),
                    QStringLiteral("T"), QStringLiteral("Zeile 1\nZeile 2"), 38124.75});
            db.execute(QStringLiteral("UPDATE DOCUMENT SET PHOTO = ? WHERE DOCID = 1"), {redSquare()});
            db.execute(insert,
                {2, QStringLiteral(".pdf"), QStringLiteral("Angebot"), QVariant(), QStringLiteral("F"), QVariant(),
                    QVariant()});
            db.execute(insert,
                {3, QStringLiteral(".xyz"), QStringLiteral("Fremd"), QVariant(), QVariant(), QVariant(), QVariant()});
        }
        core = std::make_unique<ProgramCore>(
            TestEnv::programFolder(), settingsFolder(), dialogs, QStringLiteral("anna"), QStringLiteral("PC1"));
        core->loadSettings();
        core->openArchive(archive);
        ASSERT_TRUE(core->query().RunSelect(QString()));

        grid = std::make_unique<DocumentGridView>();
        model = std::make_unique<DocumentGridModel>();
        tester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        grid->setModel(model.get());
        model->setRecords(&dm().AdoQueryDoc);
        columns = std::make_unique<GridColumns>(*grid, *model, dm(), core->fields(), core->applications());
        columns->BuildGridColumns();
        ASSERT_EQ(reported(kInvalidEditStyleMessage), 1); // MAILFROM's style
        reportedAtStart = dialogs.messages();
        dialogs.clear();
        grid->resize(900, 300);
        grid->show();
    }

    void TearDown() override
    {
        columns.reset();
        grid.reset();
        tester.reset();
        model.reset();
        core.reset();
    }

    QString settingsFolder() const { return TestEnv::home() + QStringLiteral("settings/"); }
    TDModul& dm() { return core->dm(); }
    int column(const char* field) const { return core->dm().AdoQueryDoc.fieldIndex(QLatin1String(field)); }
    // The cell of a field in the row of a record (0 is the document with DOCID 1).
    QModelIndex cell(int record, const char* field) const { return model->indexOfRecord(record, column(field)); }

    // A value of the first document as the archive holds it, read through a connection of its own.
    QString stored(const char* field, int docId = 1) const
    {
        SqlConnection db;
        db.open(archive);
        return db.scalar(QStringLiteral("SELECT %1 FROM DOCUMENT WHERE DOCID = ?").arg(QLatin1String(field)), {docId})
            .toString();
    }

    // Saves a picture of the grid where DOXAREL_SCREENSHOT_DIR asks for one.
    void screenshot(const QString& name)
    {
        const QString folder = qEnvironmentVariable("DOXAREL_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            grid->grab().save(folder + QLatin1Char('/') + name);
    }

    qsizetype reported(const QString& text) const { return dialogs.messages().count(text); }

    QString archive;
    QStringList reportedAtStart;
    ScriptedDialogs dialogs;
    std::unique_ptr<ProgramCore> core;
    std::unique_ptr<DocumentGridView> grid;
    std::unique_ptr<DocumentGridModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    std::unique_ptr<GridColumns> columns;
};
} // namespace

TEST_F(GridColumnsTest, TheDefinitionsShapeTheColumnsAndAnInvalidStyleIsReportedOncePerBuild)
{
    // Hidden field, formatted memo and an invalid style: no column.
    for (const char* field : {"FTIUPDATE", "TEMPLATE", "MAILFROM"}) {
        EXPECT_TRUE(grid->isColumnHidden(column(field))) << field;
        EXPECT_EQ(model->column(column(field)).kind, GridColumnKind::None) << field;
    }
    for (const char* field : {"NAME", "APPLNAME", "FAVORITE", "DUE", "NOTES"})
        EXPECT_FALSE(grid->isColumnHidden(column(field))) << field;
    EXPECT_EQ(reportedAtStart, QStringList{kInvalidEditStyleMessage});
    columns->BuildGridColumns();
    EXPECT_EQ(reported(kInvalidEditStyleMessage), 0);
    // Definitions read again are a new build of the columns.
    {
        SqlConnection db;
        db.open(archive);
        core->fields().LoadFromArchive(db);
    }
    columns->BuildGridColumns();
    EXPECT_EQ(reported(kInvalidEditStyleMessage), 1);

    // Pick lists offer the lists in memory, with the drop-down rows of the settings.
    const GridColumn& state = model->column(column("STATE"));
    EXPECT_EQ(state.kind, GridColumnKind::PickList);
    EXPECT_TRUE(state.listOnly);
    EXPECT_EQ(state.items, (QStringList{"Neu", "Erledigt"}));
    EXPECT_EQ(state.dropDownRows, 12);
    EXPECT_EQ(model->column(column("CATEGORY")).items, (QStringList{"Angebot", "Rechnung"}));
    EXPECT_EQ(model->column(column("USERNAME")).kind, GridColumnKind::Text); // style 5

    // What the cells show.
    EXPECT_EQ(cell(0, "NOTES").data().toString(), QStringLiteral("Zeile 1 Zeile 2"));
    EXPECT_EQ(cell(0, "NOTES").data(Qt::EditRole).toString(), QStringLiteral("Zeile 1\nZeile 2"));
    EXPECT_EQ(cell(0, "DUE").data().toString(), QStringLiteral("17.05.2004")); // a date without its time
    EXPECT_EQ(cell(0, "DUE").data(Qt::EditRole).toDateTime(), QDateTime(QDate(2004, 5, 17), QTime(18, 0)));
    EXPECT_EQ(cell(0, "CREATEDATE").data().toString(), QStringLiteral("17.05.2004 12:00:00"));
    EXPECT_EQ(cell(0, "FAVORITE").data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(cell(1, "FAVORITE").data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(cell(2, "FAVORITE").data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(cell(0, "FAVORITE").data().toString().isEmpty());
    EXPECT_FALSE(cell(0, "NAME").data(Qt::CheckStateRole).isValid());

    // Cleared, every field is plain text again.
    columns->ClearGridColumns();
    EXPECT_EQ(model->column(column("STATE")).kind, GridColumnKind::Text);
    EXPECT_EQ(cell(0, "FAVORITE").data().toString(), QStringLiteral("T"));
}

TEST_F(GridColumnsTest, TheTypeColumnShowsCaptionAndIconAndFollowsTheTypeList)
{
    const int type = column("APPLNAME");
    EXPECT_EQ(model->column(type).kind, GridColumnKind::DocumentType);
    EXPECT_EQ(cell(0, "APPLNAME").data().toString(), QStringLiteral("Notiz"));
    EXPECT_FALSE(cell(0, "APPLNAME").data(Qt::DecorationRole).value<QIcon>().isNull());
    // Keys the list does not know show as stored, without an icon.
    EXPECT_EQ(cell(1, "APPLNAME").data().toString(), QStringLiteral(".pdf"));
    EXPECT_FALSE(cell(1, "APPLNAME").data(Qt::DecorationRole).isValid());

    // A type added while the grid is registered shows at once.
    ASSERT_TRUE(core->applications().Add(QStringLiteral(".pdf"), QStringLiteral("PDF-Dokument"), QString(), QString()));
    EXPECT_EQ(cell(1, "APPLNAME").data().toString(), QStringLiteral("PDF-Dokument"));
    EXPECT_FALSE(cell(1, "APPLNAME").data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(cell(1, "APPLNAME").data(DocumentGridModel::ValueRole).toString(), QStringLiteral(".pdf"));
    EXPECT_EQ(cell(2, "APPLNAME").data().toString(), QStringLiteral(".xyz"));

    // The grid no longer listens once it is gone.
    columns.reset();
    EXPECT_TRUE(core->applications().Delete(QStringLiteral(".pdf")));
}

TEST_F(GridColumnsTest, PicturesArePaintedAtTheirOwnSizeWithoutSelectionShading)
{
    const int photo = column("PHOTO");
    EXPECT_EQ(model->column(photo).kind, GridColumnKind::Picture);
    EXPECT_TRUE(model->column(photo).readOnly);
    EXPECT_TRUE(cell(0, "PHOTO").data().toString().isEmpty());
    grid->setColumnWidth(photo, 40);
    grid->header()->moveSection(grid->header()->visualIndex(photo), 0);
    grid->selectionModel()->select(cell(0, "NAME"), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    screenshot(QStringLiteral("grid-columns.png"));
    const QImage shot = grid->viewport()->grab().toImage();
    const QRect picture = grid->visualRect(cell(0, "PHOTO"));
    const QRect name = grid->visualRect(cell(0, "NAME"));
    ASSERT_GE(picture.width(), 20);
    EXPECT_EQ(shot.pixelColor(picture.topLeft() + QPoint(1, 1)), QColor(Qt::red));
    // Beside the picture the cell shows its background, not the shading of the selected row.
    const QColor beside = shot.pixelColor(picture.topLeft() + QPoint(12, 2));
    const QColor selected = shot.pixelColor(name.topRight() + QPoint(-2, 2));
    EXPECT_NE(beside, QColor(Qt::red));
    EXPECT_NE(beside, selected);
    EXPECT_EQ(beside, shot.pixelColor(grid->visualRect(cell(1, "PHOTO")).topLeft() + QPoint(12, 2)));
}

TEST_F(GridColumnsTest, EditsInEditingModeReachTheArchiveThroughTheRecordRules)
{
    EXPECT_EQ(grid->toolTip(), QString()); // the window sets the browsing hint itself
    columns->setEditing(true);
    EXPECT_TRUE(columns->isEditing());
    EXPECT_EQ(grid->toolTip(), kGridEditingHint);
    EXPECT_TRUE(grid->tabKeyNavigation());
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectItems);
    EXPECT_NE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);

    struct Case
    {
        const char* field;
        std::function<void(QWidget*)> change;
        QString expected;
    };
    const QDateTime due(QDate(2025, 3, 5), QTime(18, 0)); // the time of day stays
    const Case cases[] = {
        {"NAME",
            [](QWidget* editor) {
                auto* line = qobject_cast<QLineEdit*>(editor);
                ASSERT_TRUE(line);
                EXPECT_EQ(line->text(), QStringLiteral("Notiz Meier"));
                line->setText(QStringLiteral("Rechnung Meier"));
            },
            QStringLiteral("Rechnung Meier")},
        {"CATEGORY",
            [](QWidget* editor) {
                auto* box = qobject_cast<QComboBox*>(editor);
                ASSERT_TRUE(box);
                EXPECT_TRUE(box->isEditable());
                EXPECT_EQ(box->count(), 2);
                EXPECT_EQ(box->maxVisibleItems(), 12);
                EXPECT_EQ(box->currentText(), QStringLiteral("Rechnung"));
                box->setEditText(QStringLiteral("Mahnung"));
            },
            QStringLiteral("Mahnung")},
        {"STATE",
            [](QWidget* editor) {
                auto* box = qobject_cast<QComboBox*>(editor);
                ASSERT_TRUE(box);
                EXPECT_FALSE(box->isEditable());
                box->setCurrentIndex(1);
            },
            QStringLiteral("Erledigt")},
        {"FAVORITE",
            [](QWidget* editor) {
                auto* box = qobject_cast<QCheckBox*>(editor);
                ASSERT_TRUE(box);
                EXPECT_TRUE(box->isChecked());
                box->setChecked(false);
            },
            QStringLiteral("F")},
        {"DUE",
            [](QWidget* editor) {
                auto* edit = qobject_cast<QDateTimeEdit*>(editor);
                ASSERT_TRUE(edit);
                EXPECT_EQ(edit->displayFormat(), QStringLiteral("dd.MM.yyyy"));
                edit->setDate(QDate(2025, 3, 5));
            },
            QString::number(DateSerial::fromDateTime(due), 'g', 15)},
        {"NOTES",
            [](QWidget* editor) {
                auto* text = qobject_cast<QPlainTextEdit*>(editor);
                ASSERT_TRUE(text);
                EXPECT_EQ(text->toPlainText(), QStringLiteral("Zeile 1\nZeile 2"));
                text->setPlainText(QStringLiteral("Erste\nZweite"));
            },
            QStringLiteral("Erste\nZweite")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const QModelIndex index = cell(0, c.field);
        ASSERT_TRUE(model->flags(index) & Qt::ItemIsEditable);
        grid->setCurrentIndex(index);
        grid->edit(index);
        QWidget* editor = columns->delegate()->openEditor();
        ASSERT_TRUE(editor);
        c.change(editor);
        columns->delegate()->commitOpenEditor();
        EXPECT_FALSE(columns->delegate()->openEditor());
        QString value = stored(c.field);
        if (QLatin1String(c.field) == QLatin1String("DUE"))
            value = QString::number(value.toDouble(), 'g', 15);
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(dm().AdoQueryDoc.state(), SqlRecordSet::State::Browse);
    }
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(cell(0, "NAME").data().toString(), QStringLiteral("Rechnung Meier"));
    EXPECT_EQ(cell(0, "DUE").data().toString(), QStringLiteral("05.03.2025"));
    // The list of a field that grows by itself offers the new value at once.
    EXPECT_TRUE(model->column(column("CATEGORY")).items.contains(QStringLiteral("Mahnung")));

    // An empty date stays empty when the editor is left without choosing one.
    grid->edit(cell(1, "DUE"));
    ASSERT_TRUE(columns->delegate()->openEditor());
    columns->delegate()->commitOpenEditor();
    EXPECT_EQ(stored("DUE", 2), QString());

    // Switching the mode off saves the open editor's value and goes back to browsing.
    grid->setCurrentIndex(cell(1, "NAME"));
    grid->edit(cell(1, "NAME"));
    auto* line = qobject_cast<QLineEdit*>(columns->delegate()->openEditor());
    ASSERT_TRUE(line);
    line->setText(QStringLiteral("Angebot Schulze"));
    columns->setEditing(false);
    EXPECT_EQ(stored("NAME", 2), QStringLiteral("Angebot Schulze"));
    EXPECT_FALSE(columns->isEditing());
    EXPECT_EQ(grid->toolTip(), kGridBrowseHint);
    EXPECT_FALSE(grid->tabKeyNavigation());
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(model->flags(cell(1, "NAME")) & Qt::ItemIsEditable);
}

TEST_F(GridColumnsTest, TabGoesFromEditableCellToEditableCellAndOnIntoTheNextRow)
{
    columns->setEditing(true);
    grid->setCurrentIndex(cell(0, "NAME"));
    grid->edit(cell(0, "NAME"));
    auto* line = qobject_cast<QLineEdit*>(columns->delegate()->openEditor());
    ASSERT_TRUE(line);
    line->setText(QStringLiteral("Notiz Schulze"));
    // Leaving an editor with Tab saves its value and edits the next cell.
    QTest::keyClick(line, Qt::Key_Tab);
    EXPECT_EQ(stored("NAME"), QStringLiteral("Notiz Schulze"));
    EXPECT_EQ(grid->currentIndex(), cell(0, "PROJECT"));
    auto* project = qobject_cast<QComboBox*>(columns->delegate()->openEditor());
    ASSERT_TRUE(project);
    // Typed into a combo box, Tab reaches the grid through the box's line.
    project->setEditText(QStringLiteral("Kunden\\Meier"));
    QTest::keyClick(project->lineEdit(), Qt::Key_Tab);
    EXPECT_EQ(stored("PROJECT"), QStringLiteral("Kunden\\Meier"));
    EXPECT_EQ(grid->currentIndex(), cell(0, "CATEGORY"));
    QWidget* editor = columns->delegate()->openEditor();
    ASSERT_TRUE(qobject_cast<QComboBox*>(editor));
    QTest::keyClick(editor, Qt::Key_Backtab);
    EXPECT_EQ(grid->currentIndex(), cell(0, "PROJECT"));
    EXPECT_TRUE(qobject_cast<QComboBox*>(columns->delegate()->openEditor()));
    columns->delegate()->commitOpenEditor();
    EXPECT_FALSE(columns->delegate()->openEditor());

    // Read-only and hidden columns are passed over; the row's last editable cell leads on into
    // the next row and back.
    struct Case
    {
        int record;
        const char* from;
        Qt::Key key;
        int toRecord;
        const char* to;
    };
    const Case cases[] = {
        {0, "STATE", Qt::Key_Tab, 0, "FAVORITE"}, // past USERNAME, MAILFROM, TEMPLATE, FILENAME
        {0, "FAVORITE", Qt::Key_Backtab, 0, "STATE"},
        {0, "PAGES", Qt::Key_Tab, 1, "DOCNO"}, // PHOTO is read-only
        {1, "DOCNO", Qt::Key_Backtab, 0, "PAGES"},
        {0, "DOCNO", Qt::Key_Backtab, 0, "DOCNO"}, // nothing before the first editable cell
        {0, "DOCID", Qt::Key_Tab, 0, "DOCNO"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " " << (c.key == Qt::Key_Tab ? "Tab" : "Shift+Tab"));
        grid->setCurrentIndex(cell(c.record, c.from));
        QTest::keyClick(grid.get(), c.key);
        EXPECT_EQ(grid->currentIndex(), cell(c.toRecord, c.to));
        EXPECT_FALSE(columns->delegate()->openEditor());
    }
    // Browsing, Tab leaves the grid alone.
    columns->setEditing(false);
    grid->setCurrentIndex(cell(0, "STATE"));
    QTest::keyClick(grid.get(), Qt::Key_Tab);
    EXPECT_EQ(grid->currentIndex().row(), cell(0, "STATE").row());
}

TEST_F(GridColumnsTest, ARefusedValueIsReportedAndChangesNothing)
{
    columns->setEditing(true);
    struct Case
    {
        const char* field;
        QVariant value;
        int role;
        QString message;
    };
    const Case cases[] = {
        {"NAME", QString(51, QLatin1Char('x')), Qt::EditRole,
            QStringLiteral("Der Wert für das Feld \"NAME\" ist zu lang: 51 Zeichen, erlaubt sind höchstens 50.")},
        {"DUE", QStringLiteral("31.02.2025"), Qt::EditRole, QStringLiteral("'31.02.2025' ist kein gültiges Datum")},
        // A number field shown as a check box takes no "Wahr".
        {"PAGES", int(Qt::Checked), Qt::CheckStateRole, QStringLiteral("'Wahr' ist kein gültiger Integerwert")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const QModelIndex index = cell(0, c.field);
        const QString shown = index.data().toString();
        const QString before = stored(c.field);
        const qsizetype messages = dialogs.messages().size();
        EXPECT_FALSE(model->setData(index, c.value, c.role));
        ASSERT_EQ(dialogs.messages().size(), messages + 1);
        EXPECT_EQ(dialogs.messages().last(), c.message);
        EXPECT_EQ(dm().AdoQueryDoc.state(), SqlRecordSet::State::Browse);
        EXPECT_EQ(stored(c.field), before);
        EXPECT_EQ(index.data().toString(), shown);
    }
    // The record itself can still be changed afterwards.
    EXPECT_TRUE(model->setData(cell(0, "NAME"), QStringLiteral("Notiz Müller")));
    EXPECT_EQ(stored("NAME"), QStringLiteral("Notiz Müller"));
    EXPECT_EQ(stored("DUE"), QString::number(38124.75, 'g', 15));
}

TEST_F(GridColumnsTest, OnlyDataCellsOfWritableFieldsAreEditedAndOnlyInEditingMode)
{
    // Browsing: nothing is editable.
    EXPECT_FALSE(model->flags(cell(0, "NAME")) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->setData(cell(0, "NAME"), QStringLiteral("Anders")));
    EXPECT_EQ(stored("NAME"), QStringLiteral("Notiz Meier"));

    columns->setEditing(true);
    for (const char* field : {"DOCID", "APPLNAME", "USERNAME", "FILENAME", "CREATEDATE", "EDITDATE"}) {
        SCOPED_TRACE(field);
        const QModelIndex index = cell(0, field);
        const QString before = stored(field);
        EXPECT_FALSE(model->flags(index) & Qt::ItemIsEditable);
        EXPECT_FALSE(model->setData(index, QStringLiteral("7")));
        grid->edit(index);
        EXPECT_FALSE(columns->delegate()->openEditor());
        EXPECT_EQ(stored(field), before);
    }
    // A value that stays as it is is not written: the record is not saved again.
    int saved = 0;
    SqlRecordSet::Hooks& hooks = dm().AdoQueryDoc.hooks();
    const auto afterPost = hooks.afterPost;
    hooks.afterPost = [&](SqlRecordSet& records) {
        ++saved;
        if (afterPost)
            afterPost(records);
    };
    EXPECT_TRUE(model->setData(cell(0, "NAME"), QStringLiteral("Notiz Meier")));
    EXPECT_TRUE(model->setData(cell(0, "FAVORITE"), int(Qt::Checked), Qt::CheckStateRole));
    EXPECT_EQ(saved, 0);
    EXPECT_TRUE(model->setData(cell(0, "NAME"), QStringLiteral("Notiz Meier 2")));
    EXPECT_EQ(saved, 1);
    hooks.afterPost = afterPost;
    // Group rows are no records.
    ASSERT_TRUE(model->addGroupColumn(column("CATEGORY")));
    const QModelIndex group = model->index(0, 0);
    ASSERT_EQ(model->recordOf(group), -1);
    EXPECT_FALSE(model->flags(group) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->setData(group, QStringLiteral("Anders")));
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join(QLatin1Char('\n')).toStdString();
}
