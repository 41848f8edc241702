#include "DBFields.h"

#include "archive/DataMod.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/TextCodec.h"
#include "platform/db/SqlConnection.h"
#include "platform/db/SqlRecordSet.h"
#include "platform/db/SqlTokenizer.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

// --- edit styles and data types -----------------------------------------------------------

QStringList TVxEditStyle::Names()
{
    return {
        QStringLiteral("Eingabefeld"),
        QStringLiteral("Eingabefeld mit Liste"),
        QStringLiteral("Nur Auswahl aus Liste"),
        QStringLiteral("Eingabefeld mit strukturierter Liste"),
        QStringLiteral("Nur Auswahl aus strukturierter Liste"),
        QStringLiteral("Optionsfeld"),
        QStringLiteral("Mehrzeiliges Eingabefeld"),
        QStringLiteral("Formatiertes mehrzeiliges Eingabefeld"),
        QStringLiteral("Datum"),
        QStringLiteral("Zeit"),
        QStringLiteral("Datum und Zeit"),
        QStringLiteral("Grafik"),
        QStringLiteral("OLE-Container"),
    };
}

QString TVxEditStyle::Name(int style)
{
    const QStringList names = Names();
    return style >= 0 && style < names.size() ? names.at(style) : QString();
}

QStringList TVxDataTypes::Names()
{
    return {
        QStringLiteral("Zeichenkette"),
        QStringLiteral("Text (Memo)"),
        QStringLiteral("Formatierter Text"),
        QStringLiteral("Ganzzahl"),
        QStringLiteral("Fließkommazahl"),
        QStringLiteral("Logisch (Ja, Nein)"),
        QStringLiteral("Grafik"),
        QStringLiteral("Datum und Zeit"),
    };
}

QString TVxDataTypes::Name(TVxDataType type)
{
    return Names().at(int(type));
}

std::optional<TVxDataType> TVxDataTypes::FromName(const QString& name)
{
    const int index = Names().indexOf(name);
    if (index < 0)
        return std::nullopt;
    return TVxDataType(index);
}

QString TVxDataTypes::ColumnType(TVxDataType type, int size)
{
    switch (type) {
    case TVxDataType::Text: return QStringLiteral("TEXT(%1)").arg(size >= 255 ? 254 : size);
    case TVxDataType::Memo:
    case TVxDataType::FormattedText: return QStringLiteral("LONGTEXT");
    case TVxDataType::Integer: return QStringLiteral("INTEGER");
    case TVxDataType::Float: return QStringLiteral("FLOAT");
    case TVxDataType::Logical: return QStringLiteral("TEXT(1)");
    case TVxDataType::Picture: return QStringLiteral("IMAGE");
    case TVxDataType::DateTime: return QStringLiteral("DATETIME");
    }
    return {};
}

QList<int> TVxDataTypes::AllowedEditStyles(TVxDataType type, const QString& sizeText, const QString& fieldName)
{
    const QString name = fieldName.toUpper();
    if (name == QLatin1String("APPLNAME") || name == QLatin1String("TEMPLATE"))
        return {TVxEditStyle::ListOnly};
    if (name == QLatin1String("FILENAME"))
        return {TVxEditStyle::Edit};
    switch (type) {
    case TVxDataType::Text:
        if (sizeText.trimmed() == QLatin1String("1") || name == QLatin1String("USERNAME"))
            return {0, 1, 2, 3, 4, 5};
        return {0, 1, 2, 3, 4};
    case TVxDataType::Memo:
    case TVxDataType::FormattedText: return {TVxEditStyle::Memo, TVxEditStyle::FormattedMemo};
    case TVxDataType::Integer:
    case TVxDataType::Float: return {0, 1, 2, 3, 4};
    case TVxDataType::Logical: return {TVxEditStyle::Option};
    case TVxDataType::Picture: return {TVxEditStyle::Picture};
    case TVxDataType::DateTime: return {TVxEditStyle::Date, TVxEditStyle::Time, TVxEditStyle::DateTime};
    }
    return {};
}

int TVxDataTypes::StoredEditStyle(TVxDataType type, int chosenStyle, const QString& fieldName)
{
    const QString name = fieldName.toUpper();
    if (name == QLatin1String("APPLNAME") || name == QLatin1String("TEMPLATE"))
        return TVxEditStyle::EditWithList;
    if (type == TVxDataType::FormattedText)
        return TVxEditStyle::FormattedMemo;
    return chosenStyle;
}

int TVxDataTypes::DefaultEditStyle(TVxDataType type)
{
    switch (type) {
    case TVxDataType::Memo: return TVxEditStyle::Memo;
    case TVxDataType::FormattedText: return TVxEditStyle::FormattedMemo;
    case TVxDataType::Logical: return TVxEditStyle::Option;
    case TVxDataType::Picture: return TVxEditStyle::Picture;
    case TVxDataType::DateTime: return TVxEditStyle::DateTime;
    default: return TVxEditStyle::Edit;
    }
}

std::optional<TVxDataType> TVxDataTypes::FromFieldKind(FieldKind kind)
{
    switch (kind) {
    case FieldKind::String:
    case FieldKind::FixedChar:
    case FieldKind::WideString: return TVxDataType::Text;
    case FieldKind::SmallInt:
    case FieldKind::Integer:
    case FieldKind::Word:
    case FieldKind::AutoInc:
    case FieldKind::LargeInt: return TVxDataType::Integer;
    case FieldKind::Float: return TVxDataType::Float;
    case FieldKind::Boolean: return TVxDataType::Logical;
    case FieldKind::Date:
    case FieldKind::Time:
    case FieldKind::DateTime: return TVxDataType::DateTime;
    case FieldKind::Memo: return TVxDataType::Memo;
    case FieldKind::FmtMemo: return TVxDataType::FormattedText;
    case FieldKind::Blob:
    case FieldKind::Graphic:
    case FieldKind::Bytes: return TVxDataType::Picture;
    case FieldKind::Currency:
    case FieldKind::Unknown: return std::nullopt;
    }
    return std::nullopt;
}

// --- reserved words -----------------------------------------------------------------------

// --- captions -----------------------------------------------------------------------------

QString TVxDBFields::BuiltInCaption(const QString& name)
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("rsdfcdocid"), QStringLiteral("Schlüssel")},
        {QStringLiteral("rsdfcapplname"), QStringLiteral("Dokumenttyp")},
        {QStringLiteral("rsdfcnumber"), QStringLiteral("Nummer")},
        {QStringLiteral("rsdfcname"), QStringLiteral("Name")},
        {QStringLiteral("rsdfcproject"), QStringLiteral("Projekt")},
        {QStringLiteral("rsdfccategory"), QStringLiteral("Gruppe")},
        {QStringLiteral("rsdfcstate"), QStringLiteral("Status")},
        {QStringLiteral("rsdfcusername"), QStringLiteral("Besitzer")},
        {QStringLiteral("rsdfcusernamecb"), QStringLiteral("Private Suche")},
        {QStringLiteral("rsdfcmailfrom"), QStringLiteral("Mail von")},
        {QStringLiteral("rsdfcmailattachico"), QStringLiteral("Anlage")},
        {QStringLiteral("rsdfctemplate"), QStringLiteral("Vorlage")},
        {QStringLiteral("rsdfcfilename"), QStringLiteral("Datei")},
        {QStringLiteral("rsdfcfavorite"), QStringLiteral("Favorit")},
        {QStringLiteral("rsdfcfavoritecb"), QStringLiteral("Nur Favoriten")},
        {QStringLiteral("rsdfccreatedate"), QStringLiteral("Erstellt")},
        {QStringLiteral("rsdfceditdate"), QStringLiteral("Bearbeitet")},
        {QStringLiteral("rsdfcftiupdate"), QStringLiteral("Letzte Indexierung")},
        {QStringLiteral("rsdfclastremark"), QStringLiteral("Letzte Ereignisse")},
        {QStringLiteral("rsdfcnotes"), QStringLiteral("Notiz")},
    };
    return texts.value(name.toLower());
}

QString TVxDBFields::ResolveCaption(const QString& caption)
{
    static const QString prefix = QStringLiteral("{resstr:");
    if (!caption.startsWith(prefix) || caption.size() <= prefix.size())
        return caption;
    // The name runs up to the last character, the closing brace.
    const QString text = BuiltInCaption(caption.mid(prefix.size(), caption.size() - prefix.size() - 1));
    return text.isEmpty() ? caption : text;
}

QString TVxDBField::DisplayCaption() const
{
    return TVxDBFields::ResolveCaption(Caption);
}

bool TVxDBFields::ReadBoolean(const QString& text)
{
    if (text.isEmpty())
        return false;
    const QChar c = text.at(0);
    return c == QLatin1Char('T') || c == QLatin1Char('t') || c == QLatin1Char('Y') || c == QLatin1Char('y');
}

// --- the list -----------------------------------------------------------------------------

TVxDBFields::TVxDBFields(TDModul& dataModule)
    : m_dm(dataModule)
{
}

void TVxDBFields::Clear()
{
    m_names.clear();
    m_fields.clear();
}

int TVxDBFields::IndexOf(const QString& name) const
{
    const QString upper = name.toUpper();
    return int(m_names.indexOf(upper));
}

const TVxDBField* TVxDBFields::Find(const QString& name) const
{
    const int index = IndexOf(name);
    return index < 0 ? nullptr : m_fields.at(size_t(index)).get();
}

QString TVxDBFields::CaptionOf(const QString& name) const
{
    const TVxDBField* field = Find(name);
    return field ? field->DisplayCaption() : name;
}

TVxDBField TVxDBFields::makeField(const QString& name, const QString& caption, bool UpdateList, int EditStyle,
    int DBEditTabSh, bool ShowInSearchMenu, bool Visible) const
{
    TVxDBField field;
    field.FieldName = name.trimmed().toUpper();
    field.Caption = caption;
    field.UpdateList = UpdateList;
    field.EditStyle = EditStyle;
    field.DBEditTabSh = DBEditTabSh;
    field.ShowInSearchMenu = ShowInSearchMenu;
    field.Visible = Visible;
    return field;
}

const TVxDBField& TVxDBFields::Add(const QString& name, const QString& caption, SqlConnection* connection,
    bool UpdateList, int EditStyle, int DBEditTabSh, bool ShowInSearchMenu, bool Visible)
{
    auto field = std::make_unique<TVxDBField>(
        makeField(name, caption, UpdateList, EditStyle, DBEditTabSh, ShowInSearchMenu, Visible));
    if (connection)
        connection->execute(InsertStatement(*field));
    field->Id = m_nextId++;
    m_names.append(field->FieldName);
    m_fields.push_back(std::move(field));
    return *m_fields.back();
}

void TVxDBFields::Update(int position, const QString& name, SqlConnection* connection, bool UpdateList, int EditStyle,
    int DBEditTabSh, bool ShowInSearchMenu, bool Visible, const QString& caption)
{
    if (position < 0 || position >= Count())
        throw DxError(QStringLiteral("Feldliste: ungültige Position %1").arg(position));
    TVxDBField field = makeField(name, caption, UpdateList, EditStyle, DBEditTabSh, ShowInSearchMenu, Visible);
    field.Id = m_fields.at(size_t(position))->Id;
    if (connection) {
        const QString oldName = m_names.at(position);
        // A definition that exists in memory only (a column without a DOCFLD row) gets its row now.
        if (connection->execute(UpdateStatement(oldName, field)) == 0)
            connection->execute(InsertStatement(field));
    }
    *m_fields.at(size_t(position)) = field;
    m_names[position] = field.FieldName;
}

void TVxDBFields::Delete(const QString& name, SqlConnection* connection)
{
    const int index = IndexOf(name);
    if (connection)
        connection->execute(DeleteStatement(index >= 0 ? m_names.at(index) : name.toUpper()));
    if (index < 0)
        return;
    m_names.removeAt(index);
    m_fields.erase(m_fields.begin() + index);
}

void TVxDBFields::LoadFromArchive(SqlConnection& connection)
{
    Clear();
    auto rows = connection.prepare(QStringLiteral("SELECT * FROM DOCFLD"));
    QHash<QString, int> column;
    for (int i = 0; i < rows->columnCount(); ++i)
        column.insert(rows->columnName(i).toUpper(), i);
    auto text = [&](const char* name) -> QString {
        const int i = column.value(QLatin1String(name), -1);
        return i < 0 ? QString() : rows->value(i).toString();
    };
    auto number = [&](const char* name, int fallback) {
        const int i = column.value(QLatin1String(name), -1);
        if (i < 0 || rows->isNull(i))
            return fallback;
        bool ok = false;
        const int value = rows->value(i).toInt(&ok);
        return ok ? value : fallback;
    };
    while (rows->step()) {
        const QString name = text("FIELDNAME");
        if (name.trimmed().isEmpty())
            continue;
        Add(name, text("CAPTION"), nullptr, ReadBoolean(text("UPDATELIST")), number("EDITSTYLE", 0),
            number("DBEDITTABSH", -1), ReadBoolean(text("SHOWINSEARCHMENU")), ReadBoolean(text("VISIBLE")));
    }
}

bool TVxDBFields::SaveToArchive(SqlConnection& connection)
{
    const TVxDBField* failing = nullptr;
    try {
        SqlTransaction transaction(connection);
        connection.execute(QStringLiteral("DELETE FROM DOCFLD"));
        for (const auto& field : m_fields) {
            failing = field.get();
            connection.execute(SaveInsertStatement(*field));
        }
        failing = nullptr;
        transaction.commit();
        return true;
    } catch (const DxError& error) {
        m_dm.ShowErrorAndLog(QStringLiteral("Fehler beim Speichern von \"%1\" in Tabelle \"%2\".")
                                 .arg(failing ? failing->FieldName : QString(), QStringLiteral("DOCFLD"))
            + QLatin1Char('\n') + error.message());
        return false;
    }
}

QStringList TVxDBFields::AddDefaultDefinitions(const QStringList& columnNames)
{
    QStringList added;
    for (const QString& column : columnNames) {
        const QString name = column.toUpper();
        if (IndexOf(name) >= 0)
            continue;
        try {
            m_dm.WriteLog(
                QStringLiteral("Error: Datafield \"%1\" has no fielddefinition, create default definition").arg(name));
        } catch (const IoError&) {
            // The definition is made all the same.
        }
        Add(name, name, nullptr, false, TVxEditStyle::Edit, 6, false, true);
        added << name;
    }
    return added;
}

// --- statements ---------------------------------------------------------------------------

QString TVxDBFields::quoted(const QString& text) const
{
    return quoteSqlLiteral(text, m_dm.QuoteChar);
}

QString TVxDBFields::valuesText(const TVxDBField& field) const
{
    auto flag = [this](bool on) -> QString { return quoted(on ? QStringLiteral("T") : QStringLiteral("F")); };
    return quoted(field.FieldName) + QLatin1Char(',') + quoted(field.Caption) + QLatin1Char(',') + flag(field.Visible)
        + QLatin1Char(',') + flag(field.ShowInSearchMenu) + QLatin1Char(',') + QString::number(field.DBEditTabSh)
        + QLatin1Char(',') + QString::number(field.EditStyle) + QLatin1Char(',') + flag(field.UpdateList);
}

QString TVxDBFields::InsertStatement(const TVxDBField& field) const
{
    return QStringLiteral("INSERT INTO DOCFLD "
                          "(FIELDNAME,CAPTION,VISIBLE,SHOWINSEARCHMENU,DBEDITTABSH,EDITSTYLE,UPDATELIST) VALUES (")
        + valuesText(field) + QLatin1Char(')');
}

QStringList TVxDBFields::SaveInsertStatement(const TVxDBField& field) const
{
    return {QStringLiteral("INSERT INTO DOCFLD"),
        QStringLiteral("(FIELDNAME,CAPTION,VISIBLE,SHOWINSEARCHMENU,DBEDITTABSH,EDITSTYLE,UPDATELIST)"),
        QStringLiteral("VALUES (") + valuesText(field) + QLatin1Char(')')};
}

QString TVxDBFields::UpdateStatement(const QString& oldName, const TVxDBField& field) const
{
    auto flag = [this](bool on) -> QString { return quoted(on ? QStringLiteral("T") : QStringLiteral("F")); };
    return QStringLiteral("UPDATE DOCFLD SET FIELDNAME=") + quoted(field.FieldName) + QStringLiteral(",CAPTION=")
        + quoted(field.Caption) + QStringLiteral(",VISIBLE=") + flag(field.Visible)
        + QStringLiteral(",SHOWINSEARCHMENU=") + flag(field.ShowInSearchMenu) + QStringLiteral(",DBEDITTABSH=")
        + QString::number(field.DBEditTabSh) + QStringLiteral(",EDITSTYLE=") + QString::number(field.EditStyle)
        + QStringLiteral(",UPDATELIST=") + flag(field.UpdateList) + QStringLiteral(" WHERE FIELDNAME=")
        + quoted(oldName);
}

QString TVxDBFields::DeleteStatement(const QString& name) const
{
    return QStringLiteral("DELETE FROM DOCFLD WHERE FIELDNAME=") + quoted(name);
}

QString TVxDBFields::AddColumnStatement(const QString& name, const QString& columnType)
{
    return QStringLiteral("ALTER TABLE DOCUMENT ADD ") + name + QLatin1Char(' ') + columnType;
}

QString TVxDBFields::ChangeColumnStatement(const QString& name, const QString& columnType)
{
    return QStringLiteral("ALTER TABLE DOCUMENT ALTER COLUMN ") + name + QLatin1Char(' ') + columnType;
}

QString TVxDBFields::DropColumnStatement(const QString& name)
{
    return QStringLiteral("ALTER TABLE DOCUMENT DROP ") + name;
}

QString TVxDBFields::CopyValuesStatement(const QString& target, const QString& source)
{
    return QStringLiteral("UPDATE DOCUMENT SET ") + target + QLatin1Char('=') + source;
}

QStringList TVxDBFields::RenameColumnStatements(
    const QString& oldName, const QString& newName, const QString& columnType)
{
    const QString temp = QStringLiteral("VXTMPFIELD");
    return {AddColumnStatement(temp, columnType), CopyValuesStatement(temp, oldName), DropColumnStatement(oldName),
        AddColumnStatement(newName, columnType), CopyValuesStatement(newName, temp), DropColumnStatement(temp)};
}

void TVxDBFields::ExecuteColumnStatement(TDModul& dm, const QString& statement)
{
    dm.AdoQueryDoc.close();
    dm.AdoConnectDoc.execute(statement);
}

void TVxDBFields::AddIndexDateField()
{
    const QString name = QStringLiteral("FTIUPDATE");
    SqlRecordSet& query = m_dm.AdoQueryDoc;
    const bool wasOpen = query.isActive();
    const QStringList statement = query.sql();
    query.close();
    try {
        m_dm.AdoConnectDoc.execute(AddColumnStatement(name, QStringLiteral("DATETIME")));
    } catch (...) {
        query.setSql(statement);
        if (wasOpen)
            query.open();
        throw;
    }
    query.setSql(statement);
    // A definition may be left from before the column was dropped: it is written anew.
    const QString caption = QStringLiteral("Letzte Indexierung");
    int position = IndexOf(name);
    const bool added = position < 0;
    if (added) {
        Add(name, caption, nullptr, false, TVxEditStyle::DateTime, 6, false, false);
        position = Count() - 1;
    }
    try {
        Update(position, name, &m_dm.AdoConnectDoc, false, TVxEditStyle::DateTime, 6, false, false, caption);
    } catch (...) {
        if (added)
            Delete(name, nullptr);
        throw;
    }
    if (wasOpen)
        query.open();
}

// --- field names --------------------------------------------------------------------------

bool TVxDBFields::IsProtectedField(const QString& name, int ftiCreateMode)
{
    static const QStringList fields = {QStringLiteral("APPLNAME"), QStringLiteral("CATEGORY"),
        QStringLiteral("CREATEDATE"), QStringLiteral("DOCID"), QStringLiteral("EDITDATE"), QStringLiteral("FILENAME"),
        QStringLiteral("LASTREMARK"), QStringLiteral("NAME"), QStringLiteral("NOTES"), QStringLiteral("DOCNO"),
        QStringLiteral("PRIVAT"), QStringLiteral("PROJECT"), QStringLiteral("RTFTEXT"), QStringLiteral("STATE"),
        QStringLiteral("TEMPLATE"), QStringLiteral("USERNAME")};
    const QString upper = name.trimmed().toUpper();
    if (upper == QLatin1String("FTIUPDATE"))
        return ftiCreateMode == 2;
    return fields.contains(upper);
}

bool TVxDBFields::IsValidFieldName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        const bool ok = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_';
        if (!ok)
            return false;
    }
    return true;
}

QString TVxDBFields::FieldNameProblem(const QString& name, const TVxReservedWords& reserved)
{
    if (!IsValidFieldName(name))
        return QStringLiteral(
            "Geben Sie bitte einen gültigen Feldnamen ein. \rMögliche Zeichen: 'A'-'Z', '_', '0'-'9'");
    if (reserved.Contains(name))
        return QStringLiteral("\"%1\" ist ein reserviertes Wort. Geben Sie bitte einen anderen Feldnamen ein.")
            .arg(name);
    if (name.toUpper() == QLatin1String("VXTMPFIELD"))
        return QStringLiteral("\"%1\" ist ein reserviertes Wort. Geben Sie bitte einen anderen Feldnamen ein.")
            .arg(QStringLiteral("VXTMPFIELD"));
    return {};
}
