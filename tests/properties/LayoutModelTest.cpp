#include "properties/LayoutModel.h"
#include "PropertiesFixture.h"
#include "platform/IniFile.h"
#include "properties/DBFields.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>

namespace {

TEST(LayoutLine, SplitFollowsTheReaderRules)
{
    struct Case
    {
        const char* line;
        QStringList fields;
    };
    const Case cases[] = {
        {"TEdit,10,1,2,3,4", {"TEdit", "10", "1", "2", "3", "4"}},
        {"  \t TEdit , 10", {"TEdit", "10"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"a b,c", {"a", "b", "c"}},
        {"\"x, y\",z", {"x, y", "z"}},
        {"\"say \"\"hi\"\"\",z", {"say \"hi\"", "z"}},
        {"\"open, never closed", {"open, never closed"}},
        {"\"ab\"cd,e", {"ab", "cd", "e"}},
        {"", {}},
        {"   ", {}},
        {",", {"", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitLayoutLine(QString::fromUtf8(c.line)), c.fields) << c.line;
}

TEST(LayoutLine, CaptionsSurviveWriteReadWrite)
{
    for (const char* caption :
        {"Kunde, Ort", "Say \"hi\"", "a\"", "\"", "Tab\there", "plain", "", " lead", "Komma,", "Umlaut äöü"}) {
        const QStringList fields{"TLabel", "501", "1", "2", "3", "4", QString::fromUtf8(caption), "", "", "", "", "0"};
        const QString written = JoinLayoutFields(fields);
        TVxLayCompo compo;
        ParseLayoutLine(written, compo);
        EXPECT_EQ(compo.Caption, QString::fromUtf8(caption)) << written.toStdString();
        EXPECT_EQ(JoinLayoutFields({compo.TypeName, QString::number(compo.TypeNo), compo.PosLeftText, compo.PosTopText,
                      compo.WidthText, compo.HeightText, compo.Caption, compo.TableName, compo.FieldName,
                      compo.LookupTable, compo.LookupField, compo.Transparent ? "1" : "0"}),
            written);
    }
    EXPECT_EQ(JoinLayoutFields({"Kunde, Ort", "Say \"hi\"", "", "x"}),
        QStringLiteral("\"Kunde, Ort\",\"Say \"\"hi\"\"\",,x"));
}

TEST(LayoutLine, ParseFillsTheRecordAndToleratesBadFields)
{
    TVxLayCompo compo;
    compo.DesignedPixelsPerInch = 96;
    ParseLayoutLine(QStringLiteral("TDBEdit,110,10,20,120,21"), compo);
    EXPECT_EQ(compo.TypeNo, 110);
    EXPECT_EQ(compo.PosLeft, 10);
    EXPECT_EQ(compo.Height, 21);
    EXPECT_EQ(compo.Caption, QString());
    EXPECT_EQ(compo.FieldName, QString());
    EXPECT_FALSE(compo.Transparent);

    ParseLayoutLine(QStringLiteral("TLabel,x1,a,20,,21,Text,doc,name,LT,LF,1,extra,more"), compo);
    EXPECT_EQ(compo.TypeNo, 501);
    EXPECT_EQ(compo.PosLeft, 0);
    EXPECT_EQ(compo.PosLeftText, QStringLiteral("a"));
    EXPECT_EQ(compo.Width, 0);
    EXPECT_EQ(compo.CoordinatesText(), QStringLiteral("a,20,,21"));
    EXPECT_EQ(compo.TableName, QStringLiteral("doc"));
    EXPECT_EQ(compo.FieldName, QStringLiteral("NAME"));
    EXPECT_EQ(compo.LookupTable, QStringLiteral("LT"));
    EXPECT_EQ(compo.LookupField, QStringLiteral("LF"));
    EXPECT_TRUE(compo.Transparent);

    ParseLayoutLine(QStringLiteral("OnlyAName"), compo);
    EXPECT_EQ(compo.TypeNo, 0);
    EXPECT_EQ(compo.CoordinatesText(), QStringLiteral(",,,"));
}

TEST(LayoutScaling, RoundsHalvesAwayFromZeroWithoutOverflow)
{
    struct Case
    {
        int value, screen, designed, expected;
    };
    const Case cases[] = {
        {100, 96, 100, 96},
        {3, 50, 100, 2},
        {-3, 50, 100, -2},
        {1, 96, 100, 1},
        {-1, 96, 100, -1},
        {2, 96, 100, 2},
        {100, 120, 96, 125},
        {5, 96, 0, 5},
        {INT_MAX / 2, 192, 96, INT_MAX - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VxLayout::Scale(c.value, c.screen, c.designed), c.expected)
            << c.value << "*" << c.screen << "/" << c.designed;

    // Without an entry for its section, a layout counts as designed at 100 pixels per inch.
    IniFile file;
    file.parse(QStringLiteral("[FormMain.PanelSearchFields]\nVxLayCompo_10_1=TEdit,10,100,50,200,21\n"));
    TVxLayCompo compo;
    compo.ScreenPixelsPerInch = 96;
    compo.DesignedPixelsPerInch = ReadLayoutOptions(file, VxLayout::kSearchFieldsSection).DesignedPixelsPerInch;
    ParseLayoutLine(file.value(VxLayout::kSearchFieldsSection, "VxLayCompo_10_1"), compo);
    EXPECT_EQ(compo.PosLeft, 96);
    EXPECT_EQ(compo.PosTop, 48);
    EXPECT_EQ(compo.Width, 192);
    EXPECT_EQ(compo.PosLeftText, QStringLiteral("100"));
}

TEST(LayoutOptions, ReadWriteAndFormSize)
{
    IniFile file;
    TVxLayoutOptions defaults = ReadLayoutOptions(file, "FormMain");
    EXPECT_FALSE(defaults.LabelAutoSize);
    EXPECT_TRUE(defaults.MultiLanguage);
    EXPECT_EQ(defaults.DesignedPixelsPerInch, 100);
    EXPECT_FALSE(LayoutFormSize(file, "FormMain", 96).has_value());

    file.parse(QStringLiteral("[Options]\nLabelAutoSize=1\nMultiLanguage=0\n[DesignedPixelsPerInch]\n"
                              "FormMain=120\nFormDBEdit=abc\n[FormMain]\nWidth=600\nHeight=0\n[FormDBEdit]\n"));
    const TVxLayoutOptions read = ReadLayoutOptions(file, "formmain");
    EXPECT_TRUE(read.LabelAutoSize);
    EXPECT_FALSE(read.MultiLanguage);
    EXPECT_EQ(read.DesignedPixelsPerInch, 120);
    EXPECT_EQ(ReadLayoutOptions(file, "FormDBEdit").DesignedPixelsPerInch, 100);
    EXPECT_EQ(LayoutFormSize(file, "FormMain", 96), QSize(480, -1));
    EXPECT_EQ(LayoutFormSize(file, "FormDBEdit", 96), QSize(-1, -1));

    TVxLayoutOptions options;
    options.LabelAutoSize = true;
    WriteLayoutOptions(file, VxLayout::kMainFieldsSection, options, 96);
    EXPECT_EQ(file.value("Options", "LabelAutoSize"), QStringLiteral("1"));
    EXPECT_EQ(file.value("Options", "MultiLanguage"), QStringLiteral("1"));
    EXPECT_EQ(file.value("DesignedPixelsPerInch", VxLayout::kMainFieldsSection), QStringLiteral("96"));
    EXPECT_EQ(file.keys("DesignedPixelsPerInch").first(), QStringLiteral("FormMain"));
}

class LayoutFieldsTest : public PropertiesFixture
{
protected:
    void SetUp() override
    {
        PropertiesFixture::SetUp();
        fields = std::make_unique<TVxDBFields>(*dm);
        auto add = [&](const char* name, const char* caption, int style, bool visible = true) {
            fields->Add(QLatin1String(name), QString::fromUtf8(caption), nullptr, false, style, -1, false, visible);
        };
        add("DOCID", "{resstr:rsdfcDocID}", 0);
        add("NAME", "{resstr:rsdfcName}", 0);
        add("PROJECT", "{resstr:rsdfcProject}", 3);
        add("CATEGORY", "Gruppe", 1);
        add("STATE", "Status", 2);
        add("TREEONLY", "Baum", 4);
        add("USERNAME", "{resstr:rsdfcUserName}", 5);
        add("NOTES", "Notiz", 6);
        add("FMT", "Formatiert", 7);
        add("DATUM", "Datum", 8);
        add("ZEIT", "Zeit", 9);
        add("CREATEDATE", "Erstellt", 10);
        add("BILD", "Bild", 11);
        add("OLE", "Ole", 12);
        add("APPLNAME", "{resstr:rsdfcApplName}", 1);
        add("TEMPLATE", "Vorlage", 1);
        add("KUNDE", "Kunde, Ort", 0);
        add("HIDDEN", "Versteckt", 0, false);
    }
    std::unique_ptr<TVxDBFields> fields;
};

TEST_F(LayoutFieldsTest, GenerateLayoutLineForEveryKind)
{
    const QString c = QStringLiteral("1,2,3,4");
    struct Case
    {
        int type;
        const char* text;
        bool search;
        bool transparent;
        const char* line;
    };
    const Case cases[] = {
        {1, "project", false, true, "TLabel,1,1,2,3,4,Projekt,Doc,PROJECT,,,1"},
        {1, "KUNDE", true, false, "TLabel,1,1,2,3,4,\"Kunde, Ort\",Doc,KUNDE,,,0"},
        {10, "NAME", true, false, "TEdit,10,1,2,3,4,Name,Doc,NAME,,,0"},
        {110, "NAME", false, false, "TDBEdit,110,1,2,3,4,Name,Doc,NAME,,,0"},
        {30, "CATEGORY", true, false, "TComboBox,30,1,2,3,4,Gruppe,Doc,CATEGORY,,,0"},
        {130, "CATEGORY", false, false, "TDBComboBox,130,1,2,3,4,Gruppe,Doc,CATEGORY,,,0"},
        {30, "STATE", true, false, "TComboBox,30,1,2,3,4,Status,Doc,STATE,,,0"},
        {130, "STATE", false, false, "TDBComboBox,131,1,2,3,4,Status,Doc,STATE,,,0"},
        {10, "PROJECT", true, false, "TTreeComboBox,50,1,2,3,4,Projekt,Doc,PROJECT,,,0"},
        {10, "PROJECT", false, false, "TDBTreeComboBox,150,1,2,3,4,Projekt,Doc,PROJECT,,,0"},
        {10, "TREEONLY", true, false, "TTreeComboBox,50,1,2,3,4,Baum,Doc,TREEONLY,,,0"},
        {10, "TREEONLY", false, false, "TDBTreeComboBox,151,1,2,3,4,Baum,Doc,TREEONLY,,,0"},
        {70, "USERNAME", true, false, "TCheckBox,70,1,2,3,4,Besitzer,Doc,USERNAME,,,0"},
        {170, "USERNAME", false, false, "TDBText,101,1,2,3,4,Besitzer,Doc,USERNAME,,,0"},
        {10, "NOTES", true, false, "TMemo,20,1,2,3,4,Notiz,Doc,NOTES,,,0"},
        {10, "FMT", false, false, "TDBMemo,120,1,2,3,4,Formatiert,Doc,FMT,,,0"},
        {10, "DATUM", true, false, "TDateTimePicker,90,1,2,3,4,Datum,Doc,DATUM,,,0"},
        {10, "ZEIT", true, false, "TDateTimePicker,91,1,2,3,4,Zeit,Doc,ZEIT,,,0"},
        {10, "ZEIT", false, false, "TDBDateTimePicker,191,1,2,3,4,Zeit,Doc,ZEIT,,,0"},
        {10, "CREATEDATE", false, false, "TDBDateTimePicker,190,1,2,3,4,Erstellt,Doc,CREATEDATE,,,0"},
        {10, "BILD", true, false, "TImage,80,1,2,3,4,Bild,Doc,BILD,,,0"},
        {10, "BILD", false, false, "TDBImage,180,1,2,3,4,Bild,Doc,BILD,,,0"},
        {10, "OLE", false, false, "TDBMemo,120,1,2,3,4,Ole,Doc,OLE,,,0"},
        {10, "DOCID", false, false, "TDBText,101,1,2,3,4,Schlüssel,Doc,DOCID,,,0"},
        {10, "DOCID", true, false, "TEdit,10,1,2,3,4,Schlüssel,Doc,DOCID,,,0"},
        {10, "APPLNAME", false, false, "TDBLookUpComboBox,141,1,2,3,4,Dokumenttyp,Doc,APPLNAME,APPL,APPLNAME,0"},
        {10, "TEMPLATE", false, false, "TDBLookUpComboBox,141,1,2,3,4,Vorlage,Doc,TEMPLATE,TEMPLATE,TEMPLATENAME,0"},
        {10, "APPLNAME", true, false, "TComboBox,30,1,2,3,4,Dokumenttyp,Doc,APPLNAME,,,0"},
        {101, "NAME", false, true, "TDBText,101,1,2,3,4,,Doc,NAME,,,1"},
        {501, "Freier Text, mit Komma", false, false, "TLabel,501,1,2,3,4,\"Freier Text, mit Komma\",,,,,0"},
        {522, "", false, true, "TBevel,522,1,2,3,4,,,,1"},
        {550, "/bilder/mein logo.png", false, true, "TImage,550,1,2,3,4,\"/bilder/mein logo.png\",,,,,1"},
        {540, "Gruppe", false, false, "TGroupBox,540,1,2,3,4,Gruppe,,,,,0"},
        {600, "x", false, true, "TLabel,501,1,2,3,4,\"Fehler, ungültige Typ-Nummer: 600\",,,1"},
        {10, "HIDDEN", true, false, ""},
        {1, "NOSUCH", true, false, ""},
        {101, "HIDDEN", false, false, ""},
    };
    for (const Case& k : cases)
        EXPECT_EQ(GenerateLayoutLine(k.type, QString::fromUtf8(k.text), c, k.search, k.transparent, *fields),
            QString::fromUtf8(k.line))
            << k.type << " " << k.text << (k.search ? " search" : " dialog");
    EXPECT_EQ(FixedControlLayoutLine(c, true), QStringLiteral("(default),0,1,2,3,4,,,,,,1"));
}

TEST_F(LayoutFieldsTest, MultiLanguageLabelsAndCheckBoxesShowTheDefinitionCaption)
{
    TVxLayCompo compo;
    compo.Fields = fields.get();
    ParseLayoutLine(QStringLiteral("TLabel,1,0,0,10,10,Alt,Doc,PROJECT"), compo);
    EXPECT_EQ(compo.Caption, QStringLiteral("Projekt"));
    ParseLayoutLine(QStringLiteral("TDBCheckBox,170,0,0,10,10,Alt,Doc,NOSUCH"), compo);
    EXPECT_EQ(compo.Caption, QStringLiteral("NOSUCH"));
    ParseLayoutLine(QStringLiteral("TEdit,10,0,0,10,10,Alt,Doc,PROJECT"), compo);
    EXPECT_EQ(compo.Caption, QStringLiteral("Alt"));
    compo.MultiLanguage = false;
    ParseLayoutLine(QStringLiteral("TLabel,1,0,0,10,10,Alt,Doc,PROJECT"), compo);
    EXPECT_EQ(compo.Caption, QStringLiteral("Alt"));
}

TEST_F(LayoutFieldsTest, UpdateLayoutFileRegeneratesFieldLinesOnly)
{
    const QString original = QStringLiteral("; Layout by hand\n"
                                            "[Options]\nLabelAutoSize=0\n"
                                            "[DesignedPixelsPerInch]\nFormDBEdit.PanelMainFields=96\n"
                                            "[FormDBEdit.PanelMainFields]\n"
                                            "Color=clBtnFace\n"
                                            "VxLayCompo_110_1=TDBEdit,110, 0100 ,20,120,21,Alt,Doc,KUNDE,,,0\n"
                                            "BtnOptItems=(default),0,5,5,80,25,,,,,,0\n"
                                            "VxLayCompo_1_1=TLabel,1,8,24,80,13,Old,Doc,KUNDE,,,1\n"
                                            "VxLayCompo_110_2=TDBEdit,110,1,2,3,4,Versteckt,Doc,HIDDEN,,,0\n"
                                            "VxLayCompo_110_3=TDBEdit,110,1,2,3,4,Weg,Doc,GONE,,,0\n"
                                            "VxLayCompo_501_1=TLabel,501,1,2,3,4,\"Frei, Text\",,,,,0\n"
                                            "VxLayCompo_520_1=TBevel,520,1,2,3,4,,,,0\n"
                                            "[FormMain.PanelSearchFields]\n"
                                            "VxLayCompo_10_1=TEdit,10,7,8,9,10,Kunde,Doc,KUNDE,,,0\n"
                                            "VxLayCompo_10_2=TEdit,10,7,8,9,10,Projekt,Doc,PROJECT,,,0\n");
    const QString path = TestEnv::writeFile(QStringLiteral("common/Layouts/layout.lay"), original.toUtf8());
    fields->Update(fields->IndexOf("KUNDE"), "KUNDE", nullptr, true, 1, -1, false, true, "Kunde, Ort");

    ASSERT_TRUE(UpdateLayoutFile(path, *fields, *dm));
    const QString expected
        = QStringLiteral("; Layout by hand\n"
                         "[Options]\nLabelAutoSize=0\n"
                         "[DesignedPixelsPerInch]\nFormDBEdit.PanelMainFields=96\n"
                         "[FormDBEdit.PanelMainFields]\n"
                         "Color=clBtnFace\n"
                         "VxLayCompo_110_1=TDBComboBox,130,0100,20,120,21,\"Kunde, Ort\",Doc,KUNDE,,,0\n"
                         "BtnOptItems=(default),0,5,5,80,25,,,,,,0\n"
                         "VxLayCompo_1_1=TLabel,1,8,24,80,13,\"Kunde, Ort\",Doc,KUNDE,,,1\n"
                         "VxLayCompo_501_1=TLabel,501,1,2,3,4,\"Frei, Text\",,,,,0\n"
                         "VxLayCompo_520_1=TBevel,520,1,2,3,4,,,,0\n"
                         "[FormMain.PanelSearchFields]\n"
                         "VxLayCompo_10_1=TComboBox,30,7,8,9,10,\"Kunde, Ort\",Doc,KUNDE,,,0\n"
                         "VxLayCompo_10_2=TTreeComboBox,50,7,8,9,10,Projekt,Doc,PROJECT,,,0\n");
    EXPECT_EQ(QString::fromUtf8(TestEnv::readFile(path)), expected);
    EXPECT_EQ(QString::fromUtf8(TestEnv::readFile(TestEnv::home() + "common/Layouts/layout.~lay")), original);

    // Running it again changes nothing.
    ASSERT_TRUE(UpdateLayoutFile(path, *fields, *dm));
    EXPECT_EQ(QString::fromUtf8(TestEnv::readFile(path)), expected);

    EXPECT_FALSE(UpdateLayoutFile(TestEnv::home() + "missing.lay", *fields, *dm));
    EXPECT_TRUE(logText().contains(QStringLiteral("]: UpdateLayoutFile: Layoutdatei nicht gefunden\n")));
    EXPECT_FALSE(QFileInfo::exists(TestEnv::home() + "missing.lay"));
}

TEST_F(LayoutFieldsTest, UpdateLayoutFileReadsWindows1252AndKeepsBadLines)
{
    const QByteArray latin1 = "[FormDBEdit.TabShOther]\nVxLayCompo_110_1=TDBEdit,110,1,2,3,4,Gr\xF6\xDF"
                              "e,Doc,NAME,,,0\n"
                              "das ist keine Zeile\n";
    const QString path = TestEnv::writeFile(QStringLiteral("old.lay"), latin1);
    ASSERT_TRUE(UpdateLayoutFile(path, *fields, *dm));
    EXPECT_EQ(QString::fromUtf8(TestEnv::readFile(path)),
        QStringLiteral("[FormDBEdit.TabShOther]\nVxLayCompo_110_1=TDBEdit,110,1,2,3,4,Name,Doc,NAME,,,0\n"
                       "das ist keine Zeile\n"));
}

TEST(LayoutHelp, TopicsForFields)
{
    struct Case
    {
        const char* field;
        bool search;
        bool checkBox;
        int topic;
    };
    const Case cases[] = {{"CREATEDATE", true, false, 1501}, {"username", true, true, 1502},
        {"USERNAME", true, false, 1503}, {"STATE", true, false, 1504}, {"DOCNO", true, false, 1505},
        {"NAME", true, false, 1506}, {"PROJECT", true, false, 1507}, {"CATEGORY", true, false, 1508},
        {"APPLNAME", true, false, 1509}, {"FAVORITE", true, true, 1513}, {"KUNDE", true, false, 1512},
        {"DOCNO", false, false, 200}, {"NAME", false, false, 201}, {"PROJECT", false, false, 202},
        {"CATEGORY", false, false, 203}, {"STATE", false, false, 204}, {"APPLNAME", false, false, 205},
        {"USERNAME", false, true, 206}, {"DOCID", false, false, 207}, {"FILENAME", false, false, 208},
        {"MAILFROM", false, false, 211}, {"FAVORITE", false, false, 212}, {"TEMPLATE", false, false, 213},
        {"CREATEDATE", false, false, 214}, {"EDITDATE", false, false, 215}, {"FTIUPDATE", false, false, 217},
        {"LASTREMARK", false, false, 218}, {"NOTES", false, false, 219}, {"KUNDE", false, false, 1018}};
    for (const Case& c : cases)
        EXPECT_EQ(HelpTopicForField(QLatin1String(c.field), c.search, c.checkBox), c.topic) << c.field;
}

TEST(LayoutNames, ElementNamesAndHints)
{
    EXPECT_EQ(NextElementName(110, {}), QStringLiteral("VxLayCompo_110_1"));
    EXPECT_EQ(NextElementName(110, {"VxLayCompo_110_1", "VxLayCompo_110_3", "VxLayCompo_10_2"}),
        QStringLiteral("VxLayCompo_110_2"));
    EXPECT_TRUE(IsLayoutElementName("VxLayCompo_1_1"));
    EXPECT_FALSE(IsLayoutElementName("BtnOptItems"));

    TVxLayCompo compo;
    compo.TypeNo = 10;
    compo.FieldName = "NAME";
    compo.Caption = "Name";
    EXPECT_EQ(LayoutElementHint(compo, true), QStringLiteral("NAME|Suche nach Name"));
    EXPECT_EQ(LayoutElementHint(compo, false), QStringLiteral("NAME|Datenfeld Name"));
    compo.TypeNo = 501;
    compo.Caption = "Frei|Text";
    EXPECT_EQ(LayoutElementHint(compo, true), QStringLiteral("Frei|Text"));
    EXPECT_EQ(HintField("NAME|Suche nach Name"), QStringLiteral("NAME"));
    EXPECT_EQ(HintField("NAME"), QStringLiteral("NAME"));
    EXPECT_EQ(MissingFieldHint("KUNDE"), QStringLiteral("Das Datenbankfeld \"KUNDE\" wurde nicht gefunden."));
    EXPECT_EQ(SectionName("FormDBEdit", "TabShOther"), VxLayout::kOtherFieldsSection);
}

TEST_F(LayoutFieldsTest, LayoutSelectionListsCopiesAndReloads)
{
    const QString folder = dm->LayoutsFolder();
    EXPECT_EQ(VxLayoutSelection::Items(folder), QStringList{"[Neu...]"});
    TestEnv::writeFile("common/Layouts/Buero.lay", "[Options]\n");
    TestEnv::writeFile("common/Layouts/notes.txt", "x");
    EXPECT_EQ(VxLayoutSelection::Items(folder), (QStringList{"Buero", "[Neu...]"}));
    EXPECT_EQ(VxLayoutSelection::NameOf(folder + "Buero.lay"), QStringLiteral("Buero"));
    EXPECT_FALSE(VxLayoutSelection::IsChange(folder, "Buero", folder + "Buero.lay"));
    EXPECT_TRUE(VxLayoutSelection::IsChange(folder, "Buero", folder + "buero.lay"));
    EXPECT_FALSE(VxLayoutSelection::IsChange(folder, "[Neu...]", QString()));
    EXPECT_EQ(VxLayoutSelection::SearchPanelHeight(100, 150), 155);
    EXPECT_EQ(VxLayoutSelection::SearchPanelHeight(200, 150), 200);

    // "[Neu...]" copies the resolved current file (here the program's default.lay).
    dialogs.queueText(QStringLiteral("Privat"));
    const auto created = VxLayoutSelection::CreateNewLayout(*dm, QString());
    ASSERT_TRUE(created.has_value());
    EXPECT_EQ(*created, folder + "Privat.lay");
    EXPECT_EQ(TestEnv::readFile(*created), TestEnv::readFile(programFolder + "default.lay"));
    EXPECT_EQ(dialogs.asked().first().title, QStringLiteral("Name des neuen Layouts"));
    EXPECT_EQ(dialogs.asked().first().text, QStringLiteral("Layoutname"));

    // An existing file is not overwritten; cancelling or an empty name copies nothing.
    TestEnv::writeFile("common/Layouts/Privat.lay", "mine");
    dialogs.queueText(QStringLiteral("Privat"));
    EXPECT_FALSE(VxLayoutSelection::CreateNewLayout(*dm, folder + "Buero.lay").has_value());
    EXPECT_EQ(TestEnv::readFile(folder + "Privat.lay"), QByteArray("mine"));
    EXPECT_TRUE(dialogs.messages().last().contains(QStringLiteral("existiert bereits")));
    dialogs.queueText(std::nullopt);
    EXPECT_FALSE(VxLayoutSelection::CreateNewLayout(*dm, QString()).has_value());
    dialogs.queueText(QStringLiteral("  "));
    EXPECT_FALSE(VxLayoutSelection::CreateNewLayout(*dm, QString()).has_value());

    // Without any layout file the missing default is reported.
    QFile::remove(programFolder + "default.lay");
    dialogs.queueText(QStringLiteral("Neu"));
    EXPECT_FALSE(VxLayoutSelection::CreateNewLayout(*dm, QString()).has_value());
    EXPECT_EQ(dialogs.messages().last(),
        QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(programFolder + "default.lay"));
    EXPECT_FALSE(QFileInfo::exists(folder + "Neu.lay"));
}

TEST_F(LayoutFieldsTest, ShippedDefaultLayoutIsWhatTheGeneratorWrites)
{
    openArchive();
    TVxDBFields defaults(*dm);
    defaults.LoadFromArchive(dm->AdoConnectDoc);
    const QByteArray shipped = TestEnv::readFile(programFolder + QStringLiteral("default.lay"));
    ASSERT_FALSE(shipped.isEmpty());
    EXPECT_EQ(QString::fromUtf8(shipped), DefaultLayoutText(defaults))
        << "data/default.lay is out of date: run doxarel-makelayout data/default.lay";

    // Bringing it up to date with the default definitions keeps it as it is.
    const QString copy = TestEnv::home() + QStringLiteral("copy.lay");
    QFile::copy(programFolder + QStringLiteral("default.lay"), copy);
    QFile::setPermissions(copy, QFile::permissions(copy) | QFile::WriteOwner);
    ASSERT_TRUE(UpdateLayoutFile(copy, defaults, *dm));
    EXPECT_EQ(TestEnv::readFile(copy), shipped);
}

} // namespace
