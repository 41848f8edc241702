#pragma once

#include "properties/LayoutModel.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class IniFile;
class QWidget;
class Registry;
class SqlRecordSet;
class TVxDBFields;

// What the builder needs from the program to turn layout lines into controls.
struct TVxLayoutContext
{
    const TVxDBFields* Fields = nullptr; // captions (MultiLanguage)
    // The source "Doc" names: the properties dialog's own source, else the document record set.
    SqlRecordSet* DocSource = nullptr;
    // The fields of the document record; taken from DocSource when not given. Without either, no
    // field counts as missing.
    std::optional<QStringList> RecordFields;
    int DropDownCount = 8;
    QStringList UserList; // the items of "USERNAME" drop-downs
    // The in-memory choice list of a field (one entry a line), nullopt when it has none.
    std::function<std::optional<QString>(const QString& fieldName)> ChoiceList;
    QString LayoutsFolder; // where a picture is looked for when its path does not exist
    int ScreenPixelsPerInch = 0; // 0: the area's logical pixels per inch
    // The user hive with the stored search values ("Edit.Text\Main\SearchFields"); none: nothing
    // is restored.
    const Registry* StoredValues = nullptr;
    // The handlers of the main window's search panel: changes, leaving a field, a date
    // picker opening its calendar, and the element for "PROJECT".
    std::function<void(QWidget*)> SearchFieldChange;
    std::function<void(QWidget*)> SearchFieldExit;
    std::function<void(QWidget*)> DateTimePickerDropDown;
    std::function<void(QWidget*)> ProjectFieldControl;
};

// The key of the stored search values below the program's registry key.
QString StoredSearchValuesKey();

// Builds the elements of a design area from its section (the owning form's object name, ".", the
// area's object name) and positions the form's own controls named by keys. Elements are created in
// key order; a line that cannot be built is skipped.
void LoadLayoutArea(const IniFile& file, QWidget* area, const TVxLayoutContext& context);
void LoadLayoutArea(const QString& layoutFile, QWidget* area, const TVxLayoutContext& context);

// Builds one element from a parsed line, named by key, on the area; nullptr when nothing is built
// (type 0, 80, unknown types, a picture without file, 180 on the search panel, any failure).
QWidget* BuildElement(TVxLayCompo& compo, const QString& key, QWidget* area, const TVxLayoutContext& context,
    const TVxLayoutOptions& options);

// Frees every control below the form or area whose name starts with "VxLayCompo_".
void FreeLayoutElements(QWidget* formOrArea);

// Sets the form's size from its section of the layout file (only values above 0); answers whether
// the file has a section for the form.
bool ApplyFormSize(const IniFile& file, QWidget* form, int screenPixelsPerInch = 0);

// --- what other windows read from an element
QString ElementHint(const QWidget* element); // the two-part hint
QString ElementField(const QWidget* element); // its short part: the field name
int ElementType(const QWidget* element); // the tag: the type number, 0 for other controls
QList<QWidget*> LayoutElements(QWidget* formOrArea); // in creation order

// Fills a drop-down or tree drop-down with the lines of a choice list (the text stays).
void SetChoiceListItems(QWidget* control, const QStringList& lines);
// The bound elements below the area show the current record again / write their values into the
// record being edited (ConversionError passes on).
void RefreshBoundControls(QWidget* area);
void CommitBoundControls(QWidget* area);

// A colour in the notation of layout files: "clBtnFace" and the other colour names, "$00BBGGRR"
// and decimal values (blue, green, red from the high byte down), "#rrggbb"; nullopt when not one.
std::optional<QColor> ParseLayoutColour(const QString& text);
