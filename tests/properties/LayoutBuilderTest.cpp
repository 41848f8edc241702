#include "properties/LayoutBuilder.h"
#include "PropertiesFixture.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "properties/DBFields.h"
#include "properties/LayoutControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

// The main window and the properties dialog as far as the layout needs them.
struct Forms
{
    Forms()
    {
        main.setObjectName(QStringLiteral("FormMain"));
        search = new QWidget(&main);
        search->setObjectName(QStringLiteral("PanelSearchFields"));
        search->setGeometry(0, 0, 800, 170);
        auto* button = new QPushButton(QStringLiteral("&Suchen"), search);
        button->setObjectName(QStringLiteral("BtnSearch"));
        main.resize(800, 600);

        dialog.setObjectName(QStringLiteral("FormDBEdit"));
        mainFields = new QWidget(&dialog);
        mainFields->setObjectName(QStringLiteral("PanelMainFields"));
        mainFields->setGeometry(0, 0, 500, 150);
        auto* options = new QPushButton(QStringLiteral("Dokumentzuordnung"), mainFields);
        options->setObjectName(QStringLiteral("BtnOptItems"));
        options->setGeometry(1, 1, 10, 10);
        auto* pages = new QTabWidget(&dialog);
        pages->setGeometry(0, 150, 500, 300);
        other = new QWidget;
        other->setObjectName(QStringLiteral("TabShOther"));
        pages->addTab(other, QStringLiteral("Weitere"));
        dialog.resize(500, 450);
    }
    QWidget main;
    QWidget* search;
    QWidget dialog;
    QWidget* mainFields;
    QWidget* other;
};

class LayoutBuilderTest : public PropertiesFixture
{
protected:
    void SetUp() override
    {
        PropertiesFixture::SetUp();
        openArchive();
        fields = std::make_unique<TVxDBFields>(*dm);
        fields->LoadFromArchive(dm->AdoConnectDoc);
        choiceLists.insert(QStringLiteral("CATEGORY"), QStringLiteral("Brief\r\nRechnung\r\n"));
        choiceLists.insert(QStringLiteral("PROJECT"), QStringLiteral("Kunden\r\nKunden\\Müller\r\nIntern\r\n"));
        context.Fields = fields.get();
        context.DocSource = &dm->AdoQueryDoc;
        context.DropDownCount = 5;
        context.UserList = {QStringLiteral("anna"), QStringLiteral("bert")};
        context.ChoiceList = [this](const QString& field) -> std::optional<QString> {
            if (!choiceLists.contains(field))
                return std::nullopt;
            return choiceLists.value(field);
        };
        context.LayoutsFolder = dm->LayoutsFolder();
        context.ScreenPixelsPerInch = 96;
    }

    IniFile layout(const QString& text)
    {
        IniFile file;
        file.parse(text);
        return file;
    }

    template <typename T>
    T* element(QWidget* area, const char* name)
    {
        return area->findChild<T*>(QLatin1String(name));
    }

    std::unique_ptr<TVxDBFields> fields;
    QHash<QString, QString> choiceLists;
    TVxLayoutContext context;
};

TEST_F(LayoutBuilderTest, SearchPanelBuildsEveryInputKind)
{
    Forms forms;
    const IniFile file
        = layout(QStringLiteral("[FormMain.PanelSearchFields]\n"
                                "VxLayCompo_1_1=TLabel,1,100,10,80,13,Alt,Doc,PROJECT,,,1\n"
                                "VxLayCompo_10_1=TEdit,10,100,30,150,21,Name,Doc,NAME,,,0\n"
                                "VxLayCompo_20_1=TMemo,20,0,0,100,40,Notiz,Doc,NOTES,,,0\n"
                                "VxLayCompo_30_1=TComboBox,30,0,0,100,21,Gruppe,Doc,CATEGORY,,,0\n"
                                "VxLayCompo_31_1=TComboBox,31,0,0,100,21,Besitzer,Doc,USERNAME,,,0\n"
                                "VxLayCompo_40_1=TDBLookupComboBox,40,0,0,100,21,Typ,Doc,APPLNAME,APPL,APPLNAME,0\n"
                                "VxLayCompo_50_1=TTreeComboBox,50,0,0,100,21,Projekt,Doc,PROJECT,,,0\n"
                                "VxLayCompo_51_1=TTreeComboBox,51,0,0,100,21,Status,Doc,STATE,,,0\n"
                                "VxLayCompo_70_1=TCheckBox,70,0,0,100,17,Besitzer,Doc,USERNAME,,,0\n"
                                "VxLayCompo_70_2=TCheckBox,70,0,0,100,17,Favorit,Doc,FAVORITE,,,0\n"
                                "VxLayCompo_80_1=TImage,80,0,0,100,17,Bild,Doc,NAME,,,0\n"
                                "VxLayCompo_90_1=TDateTimePicker,90,0,0,100,21,Erstellt,Doc,CREATEDATE,,,0\n"
                                "VxLayCompo_91_1=TDateTimePicker,91,0,0,100,21,Bearbeitet,Doc,EDITDATE,,,0\n"
                                "VxLayCompo_180_1=TDBImage,180,0,0,100,21,Bild,Doc,NAME,,,0\n"
                                "VxLayCompo_501_1=TLabel,501,0,0,100,13,\"Frei, mit Komma\",,,,,0\n"
                                "VxLayCompo_520_1=TBevel,520,0,0,100,50,,,,0\n"
                                "VxLayCompo_524_1=TBevel,524,0,0,100,50,,,,0\n"
                                "VxLayCompo_540_1=TGroupBox,540,0,0,100,50,Gruppe,,,,,0\n"
                                "VxLayCompo_777_1=TSomething,777,0,0,100,50,x,,,,,0\n"
                                "VxLayCompo_0_1=(default),0,0,0,100,50\n"
                                "BtnSearch=(default),0,500,100,90,25,ignored,Doc,NAME,,,0\n"));
    LoadLayoutArea(file, forms.search, context);

    struct Expected
    {
        const char* name;
        const char* className;
    };
    const Expected built[] = {{"VxLayCompo_1_1", "QLabel"}, {"VxLayCompo_10_1", "QLineEdit"},
        {"VxLayCompo_20_1", "QPlainTextEdit"}, {"VxLayCompo_30_1", "QComboBox"}, {"VxLayCompo_31_1", "QComboBox"},
        {"VxLayCompo_40_1", "QComboBox"}, {"VxLayCompo_50_1", "TVxTreeComboBox"},
        {"VxLayCompo_51_1", "TVxTreeComboBox"}, {"VxLayCompo_70_1", "QCheckBox"}, {"VxLayCompo_70_2", "QCheckBox"},
        {"VxLayCompo_90_1", "TVxDateTimePicker"}, {"VxLayCompo_91_1", "TVxDateTimePicker"},
        {"VxLayCompo_501_1", "QLabel"}, {"VxLayCompo_520_1", "TVxBevel"}, {"VxLayCompo_524_1", "TVxBevel"},
        {"VxLayCompo_540_1", "QGroupBox"}};
    for (const Expected& e : built) {
        QWidget* w = element<QWidget>(forms.search, e.name);
        ASSERT_NE(w, nullptr) << e.name;
        EXPECT_STREQ(w->metaObject()->className(), e.className) << e.name;
        EXPECT_EQ(ElementType(w), QString::fromLatin1(e.name).section('_', 1, 1).toInt()) << e.name;
        EXPECT_TRUE(w->toolTip().isEmpty());
    }
    for (const char* none : {"VxLayCompo_80_1", "VxLayCompo_180_1", "VxLayCompo_777_1", "VxLayCompo_0_1"})
        EXPECT_EQ(element<QWidget>(forms.search, none), nullptr) << none;
    EXPECT_EQ(LayoutElements(forms.search).size(), qsizetype(std::size(built)));

    // Scaled from the default of 100 pixels per inch; the label takes the definition's caption.
    auto* label = element<QLabel>(forms.search, "VxLayCompo_1_1");
    EXPECT_EQ(label->geometry(), QRect(96, 10, 77, 12));
    EXPECT_EQ(label->text(), QStringLiteral("Projekt"));
    EXPECT_FALSE(label->autoFillBackground());

    auto* name = element<QLineEdit>(forms.search, "VxLayCompo_10_1");
    EXPECT_EQ(ElementHint(name), QStringLiteral("NAME|Suche nach Name"));
    EXPECT_EQ(ElementField(name), QStringLiteral("NAME"));
    EXPECT_EQ(ElementHint(element<QWidget>(forms.search, "VxLayCompo_501_1")), QStringLiteral("Frei, mit Komma"));

    auto* category = element<QComboBox>(forms.search, "VxLayCompo_30_1");
    EXPECT_TRUE(category->isEditable());
    EXPECT_EQ(category->count(), 2);
    EXPECT_EQ(category->maxVisibleItems(), 5);
    auto* owner = element<QComboBox>(forms.search, "VxLayCompo_31_1");
    EXPECT_FALSE(owner->isEditable());
    EXPECT_EQ(owner->itemText(1), QStringLiteral("bert"));
    auto* project = element<TVxTreeComboBox>(forms.search, "VxLayCompo_50_1");
    EXPECT_FALSE(project->IsListOnly());
    EXPECT_EQ(project->TreeItems(), (QStringList{"Intern", "Kunden", "Kunden\\Müller"}));
    EXPECT_TRUE(element<TVxTreeComboBox>(forms.search, "VxLayCompo_51_1")->IsListOnly());

    EXPECT_EQ(element<QCheckBox>(forms.search, "VxLayCompo_70_1")->text(), QStringLiteral("Private Suche"));
    EXPECT_EQ(element<QCheckBox>(forms.search, "VxLayCompo_70_2")->text(), QStringLiteral("Nur Favoriten"));
    auto* created = element<TVxDateTimePicker>(forms.search, "VxLayCompo_90_1");
    EXPECT_FALSE(created->IsChecked());
    EXPECT_EQ(created->PickerKind(), TVxDateTimePicker::Kind::Date);
    EXPECT_EQ(element<QGroupBox>(forms.search, "VxLayCompo_540_1")->title(), QStringLiteral("Gruppe"));

    // The form's own button only moves.
    auto* button = forms.search->findChild<QPushButton*>(QStringLiteral("BtnSearch"));
    EXPECT_EQ(button->geometry(), QRect(480, 96, 86, 24));
    EXPECT_EQ(button->text(), QStringLiteral("&Suchen"));
    EXPECT_TRUE(ElementHint(button).isEmpty());

    // Freeing takes the elements and leaves the form's controls.
    FreeLayoutElements(&forms.main);
    EXPECT_TRUE(LayoutElements(forms.search).isEmpty());
    EXPECT_NE(forms.search->findChild<QPushButton*>(QStringLiteral("BtnSearch")), nullptr);
}

TEST_F(LayoutBuilderTest, BadLinesAreSkippedOrBuiltWithDefaults)
{
    Forms forms;
    const IniFile file = layout(QStringLiteral("[DesignedPixelsPerInch]\nFormMain.PanelSearchFields=96\n"
                                               "[FormMain.PanelSearchFields]\n"
                                               "VxLayCompo_10_1=TEdit,10,5,6,70,21\n"
                                               "VxLayCompo_10_2=TEdit,abc,5,6,70,21,\"never closed, Doc,NAME\n"
                                               "VxLayCompo_10_3=TEdit,10,x,y,z,w,Name,Doc,NAME,,,0,more,fields,here\n"
                                               "VxLayCompo_10_4=\n"
                                               "das ist keine Zeile\n"
                                               "VxLayCompo_550_1=TImage,550,0,0,10,10,/no/such/picture.png,,,,,1\n"
                                               "VxLayCompo_550_2=TImage,550,0,0,10,10,/no/such/logo.png,,,,,1\n"
                                               "VxLayCompo_550_3=TImage,550,0,0,10,10,notapicture.png,,,,,1\n"
                                               "VxLayCompo_10_5=TEdit,10,1,2,3,4,Gone,Doc,GONE,,,0\n"
                                               "VxLayCompo_70_1=TCheckBox,70,1,2,3,4,Besitzer,Doc,USERNAME,,,0\n"));
    QImage logo(16, 8, QImage::Format_RGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(TestEnv::makeFolder("common/Layouts") + "logo.png"));
    TestEnv::writeFile("common/Layouts/notapicture.png", "no image");
    context.RecordFields = QStringList{"NAME", "PROJECT"}; // USERNAME is missing too

    LoadLayoutArea(file, forms.search, context);

    auto* six = element<QLineEdit>(forms.search, "VxLayCompo_10_1");
    ASSERT_NE(six, nullptr);
    EXPECT_EQ(six->geometry(), QRect(5, 6, 70, 21));
    EXPECT_TRUE(six->isEnabled());
    EXPECT_EQ(ElementHint(six), QStringLiteral("|Suche nach "));
    // A type that is not a number reads as a free label.
    auto* open = element<QLabel>(forms.search, "VxLayCompo_10_2");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text(), QStringLiteral("never closed, Doc,NAME"));
    auto* words = element<QLineEdit>(forms.search, "VxLayCompo_10_3");
    ASSERT_NE(words, nullptr);
    EXPECT_EQ(words->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(element<QWidget>(forms.search, "VxLayCompo_10_4"), nullptr);

    EXPECT_EQ(element<QWidget>(forms.search, "VxLayCompo_550_1"), nullptr);
    EXPECT_EQ(element<QWidget>(forms.search, "VxLayCompo_550_3"), nullptr);
    auto* picture = element<QLabel>(forms.search, "VxLayCompo_550_2");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), QSize(16, 8));
    EXPECT_EQ(ElementHint(picture), dm->LayoutsFolder() + "logo.png");
    EXPECT_EQ(forms.search->children().indexOf(picture), 0); // behind everything

    auto* gone = element<QLineEdit>(forms.search, "VxLayCompo_10_5");
    ASSERT_NE(gone, nullptr);
    EXPECT_FALSE(gone->isEnabled());
    EXPECT_EQ(ElementHint(gone), QStringLiteral("Das Datenbankfeld \"GONE\" wurde nicht gefunden."));
    auto* mine = element<QCheckBox>(forms.search, "VxLayCompo_70_1");
    EXPECT_EQ(mine->text(), QStringLiteral("Private Suche"));
    EXPECT_FALSE(mine->isEnabled());
}

TEST_F(LayoutBuilderTest, AreaNamesWithOddCharactersFindTheirSection)
{
    QWidget form;
    form.setObjectName(QStringLiteral("Form Ä"));
    auto* area = new QWidget(&form);
    area->setObjectName(QStringLiteral("Panel;#=]x"));
    IniFile file;
    file.setValue(QStringLiteral("Form Ä.Panel;#=]x"), QStringLiteral("VxLayCompo_501_1"),
        QStringLiteral("TLabel,501,1,2,30,13,Hallo,,,,,0"));
    const IniFile reread = layout(file.toText());
    LoadLayoutArea(reread, area, context);
    auto* label = element<QLabel>(area, "VxLayCompo_501_1");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Hallo"));
}

TEST_F(LayoutBuilderTest, StoredSearchValuesAndEventsReachTheSearchPanel)
{
    Registry user(TestEnv::home() + QStringLiteral("user.ini"));
    const QString key = StoredSearchValuesKey();
    EXPECT_EQ(key, QStringLiteral("SOFTWARE\\Wendrich\\Dravonel Lumaris\\Edit.Text\\Main\\SearchFields"));
    user.writeString(key, "NAME", "Brief");
    user.writeString(key, "CATEGORY", "Rechnung");
    user.writeString(key, "PROJECT", "Kunden\\Müller");
    user.writeString(key, "USERNAME", "T");
    user.writeString(key, "FAVORITE", "0");
    user.writeString(key, "CREATEDATE", "38124.5");
    user.writeBool(key, "CREATEDATE.Checked", true);
    user.writeString(key, "EDITDATE", "kein Datum");
    user.writeString(key, "GONE", "darf nicht erscheinen");
    context.StoredValues = &user;
    QStringList changes;
    QStringList exits;
    QWidget* projectControl = nullptr;
    context.SearchFieldChange = [&](QWidget* w) { changes << ElementField(w); };
    context.SearchFieldExit = [&](QWidget* w) { exits << ElementField(w); };
    context.ProjectFieldControl = [&](QWidget* w) { projectControl = w; };
    Forms forms; // goes before the lists its handlers write to

    const IniFile file = layout(QStringLiteral("[FormMain.PanelSearchFields]\n"
                                               "VxLayCompo_1_1=TLabel,1,0,0,80,13,Projekt,Doc,PROJECT,,,1\n"
                                               "VxLayCompo_10_1=TEdit,10,0,0,150,21,Name,Doc,NAME,,,0\n"
                                               "VxLayCompo_30_1=TComboBox,30,0,0,100,21,Gruppe,Doc,CATEGORY,,,0\n"
                                               "VxLayCompo_50_1=TTreeComboBox,50,0,0,100,21,Projekt,Doc,PROJECT,,,0\n"
                                               "VxLayCompo_70_1=TCheckBox,70,0,0,100,17,x,Doc,USERNAME,,,0\n"
                                               "VxLayCompo_70_2=TCheckBox,70,0,0,100,17,x,Doc,FAVORITE,,,0\n"
                                               "VxLayCompo_90_1=TDateTimePicker,90,0,0,100,21,x,Doc,CREATEDATE,,,0\n"
                                               "VxLayCompo_91_1=TDateTimePicker,91,0,0,100,21,x,Doc,EDITDATE,,,0\n"
                                               "VxLayCompo_10_2=TEdit,10,0,0,150,21,Weg,Doc,GONE,,,0\n"));
    LoadLayoutArea(file, forms.search, context);
    EXPECT_TRUE(changes.isEmpty()); // restoring is no change

    auto* name = element<QLineEdit>(forms.search, "VxLayCompo_10_1");
    EXPECT_EQ(name->text(), QStringLiteral("Brief"));
    auto* category = element<QComboBox>(forms.search, "VxLayCompo_30_1");
    EXPECT_EQ(category->currentText(), QStringLiteral("Rechnung"));
    EXPECT_EQ(category->lineEdit()->cursorPosition(), 8);
    auto* project = element<TVxTreeComboBox>(forms.search, "VxLayCompo_50_1");
    EXPECT_EQ(project->currentText(), QStringLiteral("Kunden\\Müller"));
    EXPECT_EQ(projectControl, project);
    EXPECT_TRUE(element<QCheckBox>(forms.search, "VxLayCompo_70_1")->isChecked());
    EXPECT_FALSE(element<QCheckBox>(forms.search, "VxLayCompo_70_2")->isChecked());
    auto* created = element<TVxDateTimePicker>(forms.search, "VxLayCompo_90_1");
    EXPECT_TRUE(created->IsChecked());
    EXPECT_EQ(created->DateTime().date(), QDate(2004, 5, 17));
    auto* edited = element<TVxDateTimePicker>(forms.search, "VxLayCompo_91_1");
    EXPECT_FALSE(edited->IsChecked());
    EXPECT_EQ(edited->DateTime().date(), QDate::currentDate());
    EXPECT_TRUE(element<QLineEdit>(forms.search, "VxLayCompo_10_2")->text().isEmpty());

    // Changes and leaving a field go to the panel's handlers; the missing field is not connected.
    forms.main.show();
    name->setFocus();
    QApplication::processEvents();
    name->setText(QStringLiteral("Rechnung"));
    element<QCheckBox>(forms.search, "VxLayCompo_70_2")->click();
    created->SetChecked(false);
    element<QLineEdit>(forms.search, "VxLayCompo_10_2")->setText(QStringLiteral("x"));
    category->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(changes, (QStringList{"NAME", "FAVORITE", "CREATEDATE"}));
    EXPECT_EQ(exits, QStringList{"NAME"});
}

TEST_F(LayoutBuilderTest, PropertiesDialogElementsAreBoundToTheRecord)
{
    dm->AdoConnectDoc.execute(QStringLiteral(
        "INSERT INTO DOCUMENT (DOCID, APPLNAME, NAME, CATEGORY, PROJECT, FAVORITE, DOCNO) VALUES (7, '.txt', "
        "'Brief', 'Rechnung', 'Kunden\\Müller', 'T', 'A-7')"));
    dm->AdoQueryDoc.close();
    dm->AdoQueryDoc.open();
    Forms forms;
    const IniFile file
        = layout(QStringLiteral("[FormDBEdit.PanelMainFields]\n"
                                "Color=clWhite\n"
                                "BtnOptItems=(default),0,300,5,120,25,whatever,,,,,0\n"
                                "VxLayCompo_1_1=TLabel,1,5,5,80,13,Alt,Doc,NAME,,,0\n"
                                "VxLayCompo_110_1=TDBEdit,110,100,5,200,21,Name,Doc,NAME,,,0\n"
                                "VxLayCompo_101_1=TDBText,101,100,30,50,13,,Doc,DOCID,,,1\n"
                                "VxLayCompo_130_1=TDBComboBox,130,100,60,150,21,Gruppe,Doc,CATEGORY,,,0\n"
                                "VxLayCompo_150_1=TDBTreeComboBox,150,100,90,150,21,Projekt,Doc,PROJECT,,,0\n"
                                "VxLayCompo_170_1=TDBCheckBox,170,100,120,150,17,Alt,Doc,FAVORITE,,,0\n"
                                "VxLayCompo_120_1=TDBMemo,120,0,0,150,40,Notiz,Doc,NOTES,,,0\n"
                                "VxLayCompo_190_1=TDBDateTimePicker,190,0,0,100,21,Erstellt,Doc,CREATEDATE,,,0\n"
                                "VxLayCompo_141_1=TDBLookUpComboBox,141,0,0,100,21,Typ,Doc,APPLNAME,APPL,APPLNAME,0\n"
                                "VxLayCompo_140_1=TDBLookUpComboBox,140,0,0,100,21,Typ,Doc,APPLNAME,Doc,APPLNAME,0\n"
                                "VxLayCompo_110_2=TDBEdit,110,0,0,100,21,Nr,Other,DOCNO,,,0\n"
                                "[FormDBEdit.TabShOther]\n"
                                "Color=clRed\n"
                                "VxLayCompo_110_3=TDBEdit,110,10,10,100,21,Nummer,Doc,DOCNO,,,0\n"));
    LoadLayoutArea(file, forms.mainFields, context);
    LoadLayoutArea(file, forms.other, context);

    EXPECT_EQ(forms.mainFields->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_NE(forms.other->palette().color(QPalette::Window), QColor(Qt::red)); // a page is no panel
    auto* options = forms.mainFields->findChild<QPushButton*>(QStringLiteral("BtnOptItems"));
    EXPECT_EQ(options->geometry(), QRect(288, 5, 115, 24));
    EXPECT_EQ(options->text(), QStringLiteral("Dokumentzuordnung"));

    EXPECT_EQ(element<QLabel>(forms.mainFields, "VxLayCompo_1_1")->text(), QStringLiteral("Name"));
    auto* name = element<QLineEdit>(forms.mainFields, "VxLayCompo_110_1");
    EXPECT_EQ(name->text(), QStringLiteral("Brief"));
    EXPECT_EQ(ElementHint(name), QStringLiteral("NAME|Datenfeld Name"));
    EXPECT_EQ(element<QLabel>(forms.mainFields, "VxLayCompo_101_1")->text(), QStringLiteral("7"));
    EXPECT_EQ(element<QComboBox>(forms.mainFields, "VxLayCompo_130_1")->currentText(), QStringLiteral("Rechnung"));
    EXPECT_EQ(element<TVxTreeComboBox>(forms.mainFields, "VxLayCompo_150_1")->currentText(),
        QStringLiteral("Kunden\\Müller"));
    auto* favourite = element<QCheckBox>(forms.mainFields, "VxLayCompo_170_1");
    EXPECT_TRUE(favourite->isChecked());
    EXPECT_EQ(favourite->text(), QStringLiteral("Favorit"));
    EXPECT_TRUE(element<QComboBox>(forms.mainFields, "VxLayCompo_141_1")->count() == 0); // "APPL" is no source
    EXPECT_EQ(element<QComboBox>(forms.mainFields, "VxLayCompo_140_1")->itemText(0), QStringLiteral(".txt"));
    EXPECT_TRUE(element<QLineEdit>(forms.mainFields, "VxLayCompo_110_2")->text().isEmpty()); // unknown source
    EXPECT_EQ(element<QLineEdit>(forms.other, "VxLayCompo_110_3")->text(), QStringLiteral("A-7"));

    // A change by the user reaches the record being edited.
    dm->AdoQueryDoc.edit();
    name->setText(QStringLiteral("Brief an Müller"));
    Q_EMIT name->textEdited(name->text());
    favourite->setChecked(false);
    dm->AdoQueryDoc.post();
    EXPECT_EQ(dm->AdoConnectDoc.scalar("SELECT NAME FROM DOCUMENT WHERE DOCID=7").toString(),
        QStringLiteral("Brief an Müller"));
    EXPECT_EQ(dm->AdoConnectDoc.scalar("SELECT FAVORITE FROM DOCUMENT WHERE DOCID=7").toString(), QStringLiteral("F"));

    // A value that does not fit the field is refused when the dialog writes the values.
    dm->AdoQueryDoc.edit();
    element<QLineEdit>(forms.mainFields, "VxLayCompo_190_1")->setText(QStringLiteral("kein Datum"));
    EXPECT_THROW(CommitBoundControls(forms.mainFields), ConversionError);
    dm->AdoQueryDoc.cancel();
    RefreshBoundControls(forms.mainFields);
    EXPECT_EQ(name->text(), QStringLiteral("Brief an Müller"));
}

TEST_F(LayoutBuilderTest, ShippedDefaultLayoutBuildsEveryLine)
{
    Forms forms;
    for (const char* name : {"CoBoxApplication", "BtnLockSearch", "EditFTI"}) {
        auto* control = new QLineEdit(forms.search);
        control->setObjectName(QLatin1String(name));
    }
    auto* fti = new QLabel(QStringLiteral("Im Index"), forms.search);
    fti->setObjectName(QStringLiteral("LabelFTI"));
    for (const char* name : {"FieldCaptionAppl", "CoBoxApplication", "CoBoxImageFormat"}) {
        auto* control = new QLabel(forms.mainFields);
        control->setObjectName(QLatin1String(name));
    }
    const IniFile file = VxLayout::ReadLayoutFile(programFolder + QStringLiteral("default.lay"));
    LoadLayoutArea(file, forms.search, context);
    LoadLayoutArea(file, forms.mainFields, context);
    LoadLayoutArea(file, forms.other, context);

    auto elementKeys = [&](const QString& section) {
        QStringList keys;
        for (const QString& key : file.keys(section))
            if (IsLayoutElementName(key))
                keys << key;
        return keys;
    };
    auto builtNames = [](QWidget* area) {
        QStringList names;
        for (QWidget* w : LayoutElements(area)) {
            names << w->objectName();
            EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
        }
        return names;
    };
    EXPECT_EQ(builtNames(forms.search), elementKeys(VxLayout::kSearchFieldsSection));
    EXPECT_EQ(builtNames(forms.mainFields), elementKeys(VxLayout::kMainFieldsSection));
    EXPECT_EQ(builtNames(forms.other), elementKeys(VxLayout::kOtherFieldsSection));
    // Designed at 96 pixels per inch, placed unscaled; nothing leaves the 170 pixels of the panel.
    for (QWidget* w : LayoutElements(forms.search))
        EXPECT_LE(w->geometry().bottom(), 170) << w->objectName().toStdString();
    EXPECT_EQ(forms.search->findChild<QLabel*>(QStringLiteral("LabelFTI"))->pos(), QPoint(504, 90));

    if (qEnvironmentVariableIsSet("DOXAREL_GRAB_LAYOUT")) {
        forms.main.grab().save(qEnvironmentVariable("DOXAREL_GRAB_LAYOUT") + "/search.png");
        forms.dialog.grab().save(qEnvironmentVariable("DOXAREL_GRAB_LAYOUT") + "/dialog.png");
    }
}

TEST_F(LayoutBuilderTest, FormSizeAndLabelAutoSize)
{
    Forms forms;
    IniFile file = layout(QStringLiteral("[Options]\nLabelAutoSize=1\n[DesignedPixelsPerInch]\nFormDBEdit=120\n"
                                         "[FormDBEdit]\nWidth=600\nHeight=-5\n"
                                         "[FormDBEdit.PanelMainFields]\n"
                                         "VxLayCompo_501_1=TLabel,501,10,10,5,5,\"Ein langer Text\",,,,,0\n"));
    EXPECT_TRUE(ApplyFormSize(file, &forms.dialog, 96));
    EXPECT_EQ(forms.dialog.size(), QSize(480, 450));
    EXPECT_FALSE(ApplyFormSize(file, &forms.main, 96));
    LoadLayoutArea(file, forms.mainFields, context);
    auto* label = element<QLabel>(forms.mainFields, "VxLayCompo_501_1");
    EXPECT_GT(label->width(), 5);
    EXPECT_TRUE(label->autoFillBackground());
}

TEST(LayoutColour, NamesNumbersAndSystemColours)
{
    const QPalette palette = QApplication::palette();
    struct Case
    {
        const char* text;
        std::optional<QColor> colour;
    };
    const Case cases[] = {
        {"clWhite", QColor(255, 255, 255)},
        {"clMaroon", QColor(128, 0, 0)},
        {"clbtnface", palette.color(QPalette::Button)},
        {"clWindow", palette.color(QPalette::Base)},
        {"$000000FF", QColor(255, 0, 0)},
        {"$00FF0000", QColor(0, 0, 255)},
        {"255", QColor(255, 0, 0)},
        {"#00ff00", QColor(0, 255, 0)},
        {"$8000000F", palette.color(QPalette::Button)},
        {"-16777201", palette.color(QPalette::Button)},
        {"clNoSuchColour", std::nullopt},
        {"$12345678", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseLayoutColour(QLatin1String(c.text)), c.colour) << c.text;
}

} // namespace
