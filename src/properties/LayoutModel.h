#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class IniFile;
class TDModul;
class TVxDBFields;

// The layout model: layout files ("*.lay", INI), the text of one layout line, how lines are made
// from the field definitions and how a layout file is brought up to date. The widgets built from a
// layout are in LayoutBuilder.
namespace VxLayout {

inline const QString kElementPrefix = QStringLiteral("VxLayCompo_");
inline const QString kOptionsSection = QStringLiteral("Options");
inline const QString kPixelsPerInchSection = QStringLiteral("DesignedPixelsPerInch");
inline const QString kSearchFieldsSection = QStringLiteral("FormMain.PanelSearchFields");
inline const QString kMainFieldsSection = QStringLiteral("FormDBEdit.PanelMainFields");
inline const QString kOtherFieldsSection = QStringLiteral("FormDBEdit.TabShOther");
inline const QString kColorKey = QStringLiteral("Color");
inline const QString kDocSource = QStringLiteral("Doc");
inline constexpr int kDefaultDesignedPixelsPerInch = 100;

// Reads a layout file; a file that is not valid INI keeps its good lines, a file that is not UTF-8
// is read as Windows-1252. A missing or unreadable file gives an empty layout.
IniFile ReadLayoutFile(const QString& path);
// Writes a layout file, leaving the old one beside it with ".~" in place of the extension's dot;
// answers success.
bool WriteLayoutFile(const IniFile& file);
QString BackupFileName(const QString& path); // "layout.lay" → "layout.~lay"

// Rounds v × screen ÷ designed to the nearest integer, halves away from zero, without overflow.
int Scale(int value, int screenPixelsPerInch, int designedPixelsPerInch);

} // namespace VxLayout

// The options of a layout file for one design area section or form.
struct TVxLayoutOptions
{
    bool LabelAutoSize = false;
    bool MultiLanguage = true;
    int DesignedPixelsPerInch = VxLayout::kDefaultDesignedPixelsPerInch;
};

// LabelAutoSize and MultiLanguage from "Options", the designed pixels per inch of the name from
// "DesignedPixelsPerInch" (defaults 0, 1, 100; a value that is not a positive number gives the default).
TVxLayoutOptions ReadLayoutOptions(const IniFile& file, const QString& sectionOrForm);
// Writes LabelAutoSize and MultiLanguage to "Options" and the screen's pixels per inch for the section.
void WriteLayoutOptions(
    IniFile& file, const QString& section, const TVxLayoutOptions& options, int screenPixelsPerInch);
// The form size stored in the section named after the form, scaled: nullopt when there is no such
// section. A width or height of 0 or less (or not a number) is left out (-1 in the answer).
std::optional<QSize> LayoutFormSize(const IniFile& file, const QString& formName, int screenPixelsPerInch);

// One parsed layout line. Coordinates are scaled by the context below; the text read is kept too.
struct TVxLayCompo
{
    // --- context, set by the caller before parsing
    int ScreenPixelsPerInch = 96;
    int DesignedPixelsPerInch = VxLayout::kDefaultDesignedPixelsPerInch;
    bool MultiLanguage = true;
    const TVxDBFields* Fields = nullptr; // for the captions of labels and check boxes

    // --- the line
    QString TypeName;
    int TypeNo = 0;
    int PosLeft = 0;
    int PosTop = 0;
    int Width = 0;
    int Height = 0;
    QString PosLeftText;
    QString PosTopText;
    QString WidthText;
    QString HeightText;
    QString Caption;
    QString TableName;
    QString FieldName; // upper case
    QString LookupTable;
    QString LookupField;
    bool Transparent = false;

    // PosLeft, PosTop, Width and Height as read, joined by commas.
    QString CoordinatesText() const;
    // Field-dependent types (1 to 499) need an archive field; 500 and above are decoration.
    bool DependsOnField() const { return TypeNo >= 1 && TypeNo <= 499; }
};

// Splits a line as the layout reader does: leading blanks and control characters are skipped; a
// field in double quotes may hold anything (a doubled quote is one quote; a quote left open runs
// to the end of the line); any other field ends at a comma or at a blank or control character.
QStringList SplitLayoutLine(const QString& line);
// Fills the record from the line: missing fields read as empty, zero or false; a type number that
// is not a number reads as 501; a coordinate that is not a number reads as 0 (its text is kept).
// With MultiLanguage on, labels (1) and bound check boxes (170) take the field's display caption.
void ParseLayoutLine(const QString& line, TVxLayCompo& compo);
// Joins fields with ","; a field with a comma, a double quote or a character of code 32 or less is
// written in double quotes with inner quotes doubled.
QString JoinLayoutFields(const QStringList& fields);

// The line to store for an element, or empty when it is to be dropped (a field without a visible
// definition). text is the field name of field-dependent types, else the caption or picture path;
// coordinates are PosLeft, PosTop, Width and Height joined by commas.
QString GenerateLayoutLine(int typeNo, const QString& text, const QString& coordinates, bool onSearchPanel,
    bool transparent, const TVxDBFields& fields);
// The line of a fixed control of the form: "(default),0," + coordinates + ",,,,,," + transparency.
QString FixedControlLayoutLine(const QString& coordinates, bool transparent);
// Class and type for a field-dependent element: "TEdit,10", "TDBComboBox,130", …
QString LayoutClassAndType(int editStyle, const QString& fieldName, bool onSearchPanel);

// Rewrites every field-dependent line from the current definitions: the class, type, caption and
// lookup fields change, the coordinate text stays byte for byte, lines of hidden or deleted fields
// go. A missing file is logged ("UpdateLayoutFile: Layoutdatei nicht gefunden") and left alone.
// Answers whether the file was written.
bool UpdateLayoutFile(const QString& path, const TVxDBFields& fields, TDModul& dm);

// The help topic of a layout element's field.
int HelpTopicForField(const QString& fieldName, bool onSearchPanel, bool isCheckBox);

// --- element names and hints
// "VxLayCompo_" + type + "_" + n with the smallest n from 1 that no name in use has.
QString NextElementName(int typeNo, const QStringList& namesInUse);
bool IsLayoutElementName(const QString& name);
// The two-part hint of an element: for decoration the caption; otherwise the field name, "|" and
// "Suche nach " + caption on the search panel or "Datenfeld " + caption elsewhere.
QString LayoutElementHint(const TVxLayCompo& compo, bool onSearchPanel);
QString MissingFieldHint(const QString& fieldName); // "Das Datenbankfeld \"%s\" wurde nicht gefunden."
QString HintField(const QString& hint); // the short part, before "|"
QString SectionName(const QString& formName, const QString& areaName);

// --- the layout selector of the main window
namespace VxLayoutSelection {
inline const QString kNewEntry = QStringLiteral("[Neu...]");
// The names of the "*.lay" files in the layouts folder without extension, then "[Neu...]".
QStringList Items(const QString& layoutsFolder);
QString PathOf(const QString& layoutsFolder, const QString& name); // folder + name + ".lay"
QString NameOf(const QString& layoutFile); // the file name without folder and extension
// Whether choosing the name changes the layout (exact comparison with the setting).
bool IsChange(const QString& layoutsFolder, const QString& name, const QString& layoutFileSetting);
// The search panel's height after a new layout was loaded: the lowest bottom edge of its
// controls plus 5 when it is lower than that; it never shrinks.
int SearchPanelHeight(int currentHeight, int lowestBottom);
// "[Neu...]": makes the layouts folder, asks for a name ("Name des neuen Layouts", "Layoutname")
// and copies the resolved current layout file there without overwriting. Answers the new path,
// or nullopt when cancelled, empty or failed (failures are reported).
std::optional<QString> CreateNewLayout(TDModul& dm, const QString& layoutFileSetting);
} // namespace VxLayoutSelection

// The default layout "default.lay": the search panel, the properties dialog's main panel and its
// page "Weitere" for the default fields, at 96 pixels per inch, every line made by GenerateLayoutLine.
QString DefaultLayoutText(const TVxDBFields& fields);
