#pragma once

#include "archive/ReservedWords.h"
#include "platform/db/FieldKind.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class SqlConnection;
class TDModul;

// The definition of one document field: one row of DOCFLD.
struct TVxDBField
{
    int Id = 0; // running number given when the definition joined the list
    QString FieldName; // upper case
    QString Caption; // as stored; may be "{resstr:name}"
    bool Visible = true;
    bool ShowInSearchMenu = false;
    int DBEditTabSh = -1; // page of the properties dialog: -1 main part, 0, 1, … a page
    int EditStyle = 0; // 0 to 12, see TVxEditStyle
    bool UpdateList = false;

    // The caption with a built-in text reference resolved.
    QString DisplayCaption() const;
};

// The edit styles of a field.
namespace TVxEditStyle {
enum : int {
    Edit = 0,
    EditWithList = 1,
    ListOnly = 2,
    EditWithTree = 3,
    TreeOnly = 4,
    Option = 5,
    Memo = 6,
    FormattedMemo = 7,
    Date = 8,
    Time = 9,
    DateTime = 10,
    Picture = 11,
    OleContainer = 12,
};
inline constexpr int kCount = 13;
// "Eingabefeld", "Eingabefeld mit Liste", … by value; empty for a value out of range.
QString Name(int style);
QStringList Names();
} // namespace TVxEditStyle

// The data types the field definitions dialog offers, in the order of its list.
enum class TVxDataType {
    Text, // "Zeichenkette"
    Memo, // "Text (Memo)"
    FormattedText, // "Formatierter Text"
    Integer, // "Ganzzahl"
    Float, // "Fließkommazahl"
    Logical, // "Logisch (Ja, Nein)"
    Picture, // "Grafik"
    DateTime, // "Datum und Zeit"
};

namespace TVxDataTypes {
QString Name(TVxDataType type);
QStringList Names(); // in list order
std::optional<TVxDataType> FromName(const QString& name);
// The column type a data type writes: "TEXT(size)" (a size of 255 or more as 254), "LONGTEXT",
// "INTEGER", "FLOAT", "TEXT(1)", "IMAGE", "DATETIME".
QString ColumnType(TVxDataType type, int size = 0);
// The edit styles the style list offers for a type, a size text and a field name. "APPLNAME"
// and "TEMPLATE" offer only "Nur Auswahl aus Liste", "FILENAME" only "Eingabefeld".
QList<int> AllowedEditStyles(TVxDataType type, const QString& sizeText, const QString& fieldName);
// The edit style stored for a chosen style: formatted text always 7, "APPLNAME" and "TEMPLATE"
// always 1.
int StoredEditStyle(TVxDataType type, int chosenStyle, const QString& fieldName);
// The style a new field of the type gets when the user does not choose one.
int DefaultEditStyle(TVxDataType type);
// The entry for an existing column's kind; nullopt for a kind the list has no entry for (the
// caller shows kUnknownDataTypeMessage).
std::optional<TVxDataType> FromFieldKind(FieldKind kind);
inline const QString kUnknownDataTypeMessage
    = QStringLiteral("Unbekannter Datentyp, führen Sie keine Änderungen an diesem Feld durch!");
} // namespace TVxDataTypes

// The definitions of all document fields, with the statements that keep DOCFLD and the columns of
// DOCUMENT in step. Name lookup ignores case. Statements that the engine refuses raise DbError and
// change neither the archive nor the list.
class TVxDBFields
{
public:
    // The data module gives the quote character of the statements and the log.
    explicit TVxDBFields(TDModul& dataModule);

    void Clear();
    int Count() const { return int(m_fields.size()); }
    const TVxDBField& At(int position) const { return *m_fields.at(size_t(position)); }
    QStringList Names() const { return m_names; }

    int IndexOf(const QString& name) const; // -1 when absent
    const TVxDBField* Find(const QString& name) const;
    // The resolved caption of the definition; the name itself when there is none.
    QString CaptionOf(const QString& name) const;

    // Appends a definition (name upper-cased, next Id); with a connection the insert statement
    // runs first.
    const TVxDBField& Add(const QString& name, const QString& caption, SqlConnection* connection, bool UpdateList,
        int EditStyle, int DBEditTabSh, bool ShowInSearchMenu, bool Visible);
    // Replaces the definition at the position, keeping its Id; with a connection the update
    // statement runs first (WHERE the old name). A definition that had no DOCFLD row yet (an
    // in-memory default) is inserted instead.
    void Update(int position, const QString& name, SqlConnection* connection, bool UpdateList, int EditStyle,
        int DBEditTabSh, bool ShowInSearchMenu, bool Visible, const QString& caption);
    // Removes the definition when present; with a connection the delete statement runs first.
    void Delete(const QString& name, SqlConnection* connection);

    // Clear, then one definition per DOCFLD row in table order.
    void LoadFromArchive(SqlConnection& connection);
    // Writes all definitions into another archive's DOCFLD in one transaction. On failure the
    // transaction is rolled back, the error is reported and logged, and the answer is false.
    bool SaveToArchive(SqlConnection& connection);

    // For every column name without a definition: an in-memory default definition (caption = the
    // name, style 0, page 6, visible, not in the search menu, no list update) and a log line.
    // Answers the names that got one.
    QStringList AddDefaultDefinitions(const QStringList& columnNames);

    // --- statements
    QString InsertStatement(const TVxDBField& field) const;
    QStringList SaveInsertStatement(const TVxDBField& field) const; // the three lines of SaveToArchive
    QString UpdateStatement(const QString& oldName, const TVxDBField& field) const;
    QString DeleteStatement(const QString& name) const;

    // --- statements on DOCUMENT
    static QString AddColumnStatement(const QString& name, const QString& columnType);
    static QString ChangeColumnStatement(const QString& name, const QString& columnType);
    static QString DropColumnStatement(const QString& name);
    static QString CopyValuesStatement(const QString& target, const QString& source);
    // The six statements that rename a column through "VXTMPFIELD", keeping its values.
    static QStringList RenameColumnStatements(
        const QString& oldName, const QString& newName, const QString& columnType);
    // Closes the document query and runs a statement on DOCUMENT; the query stays closed (its
    // statement text is kept). Errors pass on; the engine leaves the table unchanged then.
    static void ExecuteColumnStatement(TDModul& dm, const QString& statement);

    // Adds the column FTIUPDATE (DATETIME) and its definition "Letzte Indexierung" (style 10,
    // page 6, hidden, not in the search menu, no list update), written to DOCFLD. The document
    // query is closed for the change and opened again when it was open.
    void AddIndexDateField();

    // --- field name rules
    static bool IsProtectedField(const QString& name, int ftiCreateMode);
    static bool IsValidFieldName(const QString& name);
    // The message that refuses a new or changed field name, or empty when the name may be used:
    // the character rule, the reserved words and "VXTMPFIELD".
    static QString FieldNameProblem(const QString& name, const TVxReservedWords& reserved);
    static inline const int kReservedWordHelpTopic = 5046;

    // The built-in caption texts: "rsdfcname" → "Name" (names in lower case); empty when unknown.
    static QString BuiltInCaption(const QString& name);
    static QString ResolveCaption(const QString& caption);
    static bool ReadBoolean(const QString& text); // true when beginning with T, t, Y or y

private:
    QString quoted(const QString& text) const;
    QString valuesText(const TVxDBField& field) const;
    TVxDBField makeField(const QString& name, const QString& caption, bool UpdateList, int EditStyle, int DBEditTabSh,
        bool ShowInSearchMenu, bool Visible) const;

    TDModul& m_dm;
    QStringList m_names; // upper case, parallel to m_fields
    std::vector<std::unique_ptr<TVxDBField>> m_fields;
    int m_nextId = 1;
};
