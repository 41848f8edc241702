#include "SqlRecordSet.h"

#include "platform/Errors.h"
#include "platform/db/DateSerial.h"
#include "platform/db/SqlConnection.h"
#include "platform/db/SqlTokenizer.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>

namespace {
QString trimmedNumberText(QString text)
{
    text = text.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    return text;
}

// The form in which a value is written to the engine.
QVariant storageValue(const SqlField& field, const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime: return DateSerial::fromDateTime(value.toDateTime());
    case QMetaType::QDate: return DateSerial::fromDate(value.toDate());
    case QMetaType::Bool:
        return field.kind == FieldKind::Boolean ? QVariant(qint64(value.toBool() ? 1 : 0))
                                                : QVariant(value.toBool() ? QStringLiteral("T") : QStringLiteral("F"));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long: return QVariant(value.toLongLong());
    default: return value;
    }
}
} // namespace

SqlRecordSet::SqlRecordSet(SqlConnection* connection)
    : m_connection(connection)
{
}

SqlRecordSet::~SqlRecordSet()
{
    m_hooks = {};
    close();
}

void SqlRecordSet::setConnection(SqlConnection* connection)
{
    close();
    m_connection = connection;
}

void SqlRecordSet::setSql(const QStringList& lines)
{
    if (isActive())
        throw DbError(QStringLiteral("Die Abfrage kann nicht geändert werden, solange sie geöffnet ist."));
    m_sql = lines;
}

// --- opening and closing --------------------------------------------------------------------

void SqlRecordSet::open()
{
    if (isActive())
        return;
    if (!m_connection || !m_connection->isConnected())
        throw DbError(QStringLiteral("Die Verbindung zum Archiv ist nicht geöffnet."));
    if (m_hooks.beforeOpen)
        m_hooks.beforeOpen(*this);

    std::unique_ptr<SqlStatement> statement = m_connection->prepare(sqlText());
    std::vector<SqlField> fields;
    for (int i = 0; i < statement->columnCount(); ++i) {
        SqlField field;
        field.name = statement->columnName(i);
        const DeclaredType type = parseDeclaredType(statement->declaredType(i));
        field.kind = type.kind;
        field.size = type.width;
        field.originTable = statement->originTable(i);
        field.originColumn = statement->originColumn(i);
        field.readOnly = field.originTable.isEmpty();
        fields.push_back(field);
    }
    m_statement = std::move(statement);
    m_fields = std::move(fields);
    m_rows.clear();
    m_firstCached = 0;
    m_allFetched = false;
    m_state = State::Browse;
    try {
        determineUpdateTable();
        // A statement without columns is a command: running it is all there is to do.
        if (m_fields.empty()) {
            while (m_statement->step()) { }
            m_allFetched = true;
        }
        fetchRow();
    } catch (...) {
        m_statement.reset();
        m_fields.clear();
        m_rows.clear();
        m_state = State::Closed;
        throw;
    }
    // Kinds of computed columns follow their first value.
    if (!m_rows.empty()) {
        for (size_t i = 0; i < m_fields.size(); ++i) {
            if (m_fields[i].kind != FieldKind::Unknown)
                continue;
            switch (m_rows.front().values[i].typeId()) {
            case QMetaType::LongLong: m_fields[i].kind = FieldKind::LargeInt; break;
            case QMetaType::Double: m_fields[i].kind = FieldKind::Float; break;
            case QMetaType::QByteArray: m_fields[i].kind = FieldKind::Blob; break;
            default: m_fields[i].kind = FieldKind::Memo;
            }
        }
    }
    m_current = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
    if (m_hooks.afterOpen)
        m_hooks.afterOpen(*this);
    notifyChange(nullptr);
}

void SqlRecordSet::determineUpdateTable()
{
    m_table.clear();
    m_keyFields.clear();
    if (m_fields.empty())
        return;
    const QString table = m_fields.front().originTable;
    if (table.isEmpty())
        return;
    for (const SqlField& field : m_fields)
        if (field.originTable.compare(table, Qt::CaseInsensitive) != 0)
            return;
    const TableSchema& schema = m_connection->tableSchema(table);
    for (SqlField& field : m_fields) {
        const int column = schema.indexOf(field.originColumn);
        if (column >= 0)
            field.required = schema.columns[size_t(column)].notNull;
    }
    if (schema.keyColumns.isEmpty())
        return;
    for (const QString& key : schema.keyColumns) {
        const auto it = std::find_if(m_fields.begin(), m_fields.end(),
            [&](const SqlField& f) { return f.originColumn.compare(key, Qt::CaseInsensitive) == 0; });
        if (it == m_fields.end())
            return;
        m_keyFields.push_back(int(it - m_fields.begin()));
    }
    m_table = schema.name;
}

void SqlRecordSet::close()
{
    if (!isActive())
        return;
    if (m_hooks.beforeClose)
        m_hooks.beforeClose(*this);
    m_statement.reset();
    m_rows.clear();
    m_fields.clear();
    m_buffer.clear();
    m_original.clear();
    m_table.clear();
    m_keyFields.clear();
    m_current = -1;
    m_eof = m_bof = true;
    m_state = State::Closed;
    notifyChange(nullptr);
}

// --- reading rows ---------------------------------------------------------------------------

bool SqlRecordSet::fetchRow()
{
    if (m_allFetched || !m_statement)
        return false;
    if (!m_statement->step()) {
        m_allFetched = true;
        return false;
    }
    if (m_unidirectional && m_rows.size() == 1) {
        // A forward-only set reuses its one row.
        Row& row = m_rows.front();
        row.id = m_nextId++;
        for (int i = 0; i < int(m_fields.size()); ++i)
            row.values[size_t(i)] = m_statement->value(i);
        ++m_firstCached;
        return true;
    }
    Row row;
    row.id = m_nextId++;
    row.values.reserve(m_fields.size());
    for (int i = 0; i < int(m_fields.size()); ++i)
        row.values.push_back(m_statement->value(i));
    m_rows.push_back(std::move(row));
    return true;
}

bool SqlRecordSet::ensureRow(int row)
{
    if (row < m_firstCached)
        throw DbError(QStringLiteral("Der Datensatzzeiger kann in dieser Abfrage nicht zurückbewegt werden."));
    while (row >= m_firstCached + int(m_rows.size()))
        if (!fetchRow())
            return false;
    return true;
}

void SqlRecordSet::fetchAll()
{
    if (m_unidirectional)
        throw DbError(QStringLiteral("Die Anzahl der Datensätze ist in dieser Abfrage nicht bekannt."));
    while (fetchRow()) { }
}

const std::vector<QVariant>& SqlRecordSet::currentValues() const
{
    if (isEditing())
        return m_buffer;
    static const std::vector<QVariant> none;
    if (m_current < 0 || m_current - m_firstCached >= int(m_rows.size()))
        return none;
    return m_rows[size_t(m_current - m_firstCached)].values;
}

void SqlRecordSet::setCurrent(int row)
{
    const bool moved = row != m_current;
    m_current = row;
    if (moved) {
        if (m_hooks.afterScroll)
            m_hooks.afterScroll(*this);
        notifyChange(nullptr);
    }
}

void SqlRecordSet::requireActive() const
{
    if (!isActive())
        throw DbError(QStringLiteral("Die Operation ist bei einer geschlossenen Datenmenge nicht zulässig."));
}

void SqlRecordSet::first()
{
    requireActive();
    if (isEditing())
        post();
    m_bof = true;
    if (!ensureRow(0)) {
        m_eof = true;
        setCurrent(-1);
        return;
    }
    m_eof = false;
    setCurrent(0);
}

void SqlRecordSet::next()
{
    requireActive();
    if (isEditing())
        post();
    m_bof = false;
    if (m_current < 0 || !ensureRow(m_current + 1)) {
        m_eof = true;
        return;
    }
    m_eof = false;
    setCurrent(m_current + 1);
}

void SqlRecordSet::prior()
{
    requireActive();
    if (isEditing())
        post();
    m_eof = false;
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    ensureRow(m_current - 1);
    m_bof = false;
    setCurrent(m_current - 1);
}

void SqlRecordSet::last()
{
    requireActive();
    if (isEditing())
        post();
    fetchAll();
    m_eof = true;
    m_bof = m_rows.empty();
    setCurrent(m_rows.empty() ? -1 : m_firstCached + int(m_rows.size()) - 1);
}

void SqlRecordSet::moveTo(int row)
{
    requireActive();
    if (isEditing())
        post();
    if (row < 0 || !ensureRow(row))
        throw DbError(QStringLiteral("Datensatz %1 ist nicht vorhanden.").arg(row + 1));
    m_bof = row == 0;
    m_eof = false;
    setCurrent(row);
}

bool SqlRecordSet::isEmpty()
{
    requireActive();
    return !ensureRow(0) && m_state != State::Insert;
}

int SqlRecordSet::recordCount()
{
    requireActive();
    fetchAll();
    return m_firstCached + int(m_rows.size());
}

bool SqlRecordSet::locate(const QString& fieldName, const QVariant& wanted, bool ignoreCase)
{
    requireActive();
    if (isEditing())
        post();
    const int index = requireField(fieldName);
    const SqlField& field = m_fields[size_t(index)];
    auto matches = [&](const QVariant& v) {
        if (v.isNull() || wanted.isNull())
            return v.isNull() && wanted.isNull();
        if (isIntegerKind(field.kind) || v.typeId() == QMetaType::LongLong) {
            bool ok = false;
            const qint64 w = wanted.toLongLong(&ok);
            return ok && v.toLongLong() == w;
        }
        if (v.typeId() == QMetaType::Double) {
            bool ok = false;
            const double w = wanted.toDouble(&ok);
            return ok && v.toDouble() == w;
        }
        return v.toString().compare(wanted.toString(), ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
    };
    for (int row = m_unidirectional ? std::max(m_current, 0) : 0; ensureRow(row); ++row) {
        if (matches(m_rows[size_t(row - m_firstCached)].values[size_t(index)])) {
            m_eof = m_bof = false;
            setCurrent(row);
            return true;
        }
    }
    return false;
}

SqlRecordSet::Bookmark SqlRecordSet::bookmark() const
{
    if (m_current < 0 || m_current - m_firstCached >= int(m_rows.size()))
        return 0;
    return m_rows[size_t(m_current - m_firstCached)].id;
}

bool SqlRecordSet::gotoBookmark(Bookmark bookmark)
{
    requireActive();
    if (isEditing())
        post();
    const auto it = std::lower_bound(
        m_rows.begin(), m_rows.end(), bookmark, [](const Row& row, Bookmark id) { return row.id < id; });
    if (it == m_rows.end() || it->id != bookmark)
        return false;
    m_eof = m_bof = false;
    setCurrent(m_firstCached + int(it - m_rows.begin()));
    return true;
}

// --- display updates ------------------------------------------------------------------------

void SqlRecordSet::enableControls()
{
    if (m_disabled > 0 && --m_disabled == 0 && m_changePending) {
        m_changePending = false;
        notifyChange(nullptr);
    }
}

void SqlRecordSet::notifyChange(const SqlField* field)
{
    if (m_disabled > 0) {
        m_changePending = true;
        return;
    }
    if (m_hooks.dataChange)
        m_hooks.dataChange(*this, field);
}

// --- fields ---------------------------------------------------------------------------------

int SqlRecordSet::fieldIndex(const QString& name) const
{
    // Names of the set are looked up often; the first comparison usually hits the exact spelling.
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name == name)
            return int(i);
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

int SqlRecordSet::requireField(const QString& name) const
{
    const int index = fieldIndex(name);
    if (index < 0)
        throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(name));
    return index;
}

const SqlField& SqlRecordSet::field(const QString& name) const
{
    return m_fields[size_t(requireField(name))];
}

QVariant SqlRecordSet::value(int field) const
{
    const auto& values = currentValues();
    return field >= 0 && field < int(values.size()) ? values[size_t(field)] : QVariant();
}

QVariant SqlRecordSet::valueAt(int row, int field) const
{
    if (isEditing() && row == m_current)
        return value(field);
    const int at = row - m_firstCached;
    if (at < 0 || at >= int(m_rows.size()) || field < 0 || field >= int(m_fields.size()))
        return {};
    return m_rows[size_t(at)].values[size_t(field)];
}

QString SqlRecordSet::text(const QString& name) const
{
    const int index = requireField(name);
    return displayText(m_fields[size_t(index)], value(index));
}

qint64 SqlRecordSet::integer(const QString& name) const
{
    const QVariant v = value(name);
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 result = v.typeId() == QMetaType::Double ? qint64(std::llround(v.toDouble())) : v.toLongLong(&ok);
    if (v.typeId() != QMetaType::Double && !ok)
        throw ConversionError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(v.toString()));
    return result;
}

double SqlRecordSet::number(const QString& name) const
{
    const QVariant v = value(name);
    if (v.isNull())
        return 0;
    bool ok = false;
    const double result = trimmedNumberText(v.toString()).toDouble(&ok);
    if (!ok)
        throw ConversionError(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(v.toString()));
    return result;
}

QDateTime SqlRecordSet::dateTime(const QString& name) const
{
    const QVariant v = value(name);
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::LongLong)
        return DateSerial::toDateTime(v.toDouble());
    const auto serial = DateSerial::parse(v.toString());
    if (!serial)
        throw ConversionError(QStringLiteral("'%1' ist kein gültiges Datum").arg(v.toString()));
    return DateSerial::toDateTime(*serial);
}

bool SqlRecordSet::boolean(const QString& name) const
{
    const QVariant v = value(name);
    if (v.isNull())
        return false;
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double)
        return v.toDouble() != 0;
    const QString t = v.toString().trimmed();
    return t.compare(QLatin1String("T"), Qt::CaseInsensitive) == 0
        || t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t.compare(QLatin1String("-1")) == 0
        || t == QLatin1String("1");
}

QString SqlRecordSet::displayText(const SqlField& field, const QVariant& value)
{
    if (value.isNull())
        return {};
    if (isDateKind(field.kind) && (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong))
        return DateSerial::toDisplayText(value.toDouble());
    if (value.typeId() == QMetaType::Double) {
        QString text = QString::number(value.toDouble(), 'g', 15);
        return text.replace(QLatin1Char('.'), QLatin1Char(','));
    }
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    return value.toString();
}

QVariant SqlRecordSet::convertText(const SqlField& field, const QString& text)
{
    if (isTextKind(field.kind) || isMemoKind(field.kind) || field.kind == FieldKind::Unknown)
        return text.isEmpty() ? QVariant() : QVariant(text);
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (isIntegerKind(field.kind)) {
        bool ok = false;
        const qint64 value = trimmed.toLongLong(&ok);
        if (!ok || (field.kind == FieldKind::SmallInt && (value < -32768 || value > 32767)))
            throw ConversionError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
        return value;
    }
    if (isFloatKind(field.kind)) {
        bool ok = false;
        const double value = trimmedNumberText(trimmed).toDouble(&ok);
        if (!ok || !std::isfinite(value))
            throw ConversionError(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(text));
        return value;
    }
    if (isDateKind(field.kind)) {
        const auto serial = DateSerial::parse(trimmed);
        if (!serial)
            throw ConversionError(QStringLiteral("'%1' ist kein gültiges Datum").arg(text));
        return *serial;
    }
    if (field.kind == FieldKind::Boolean) {
        static const QStringList yes{QStringLiteral("t"), QStringLiteral("true"), QStringLiteral("1"),
            QStringLiteral("-1"), QStringLiteral("ja"), QStringLiteral("wahr")};
        static const QStringList no{QStringLiteral("f"), QStringLiteral("false"), QStringLiteral("0"),
            QStringLiteral("nein"), QStringLiteral("falsch")};
        if (yes.contains(trimmed.toLower()))
            return qint64(1);
        if (no.contains(trimmed.toLower()))
            return qint64(0);
        throw ConversionError(QStringLiteral("'%1' ist kein gültiger boolescher Wert").arg(text));
    }
    return text.toUtf8();
}

// --- changing -------------------------------------------------------------------------------

void SqlRecordSet::requireEditing() const
{
    if (!isEditing())
        throw DbError(QStringLiteral("Datenmenge nicht im Bearbeitungs- oder Einfügemodus"));
}

void SqlRecordSet::setValue(const QString& name, const QVariant& value)
{
    requireEditing();
    const int index = requireField(name);
    const SqlField& field = m_fields[size_t(index)];
    if (field.readOnly)
        throw DbError(QStringLiteral("Das Feld '%1' kann nicht geändert werden.").arg(field.name));
    m_buffer[size_t(index)] = storageValue(field, value);
    notifyChange(&field);
}

void SqlRecordSet::setText(const QString& name, const QString& text)
{
    const SqlField& f = field(name);
    setValue(name, convertText(f, text));
}

void SqlRecordSet::setDateTime(const QString& name, const QDateTime& value)
{
    setValue(name, value.isValid() ? QVariant(DateSerial::fromDateTime(value)) : QVariant());
}

void SqlRecordSet::setBoolean(const QString& name, bool value)
{
    const SqlField& f = field(name);
    setValue(name,
        f.kind == FieldKind::Boolean ? QVariant(qint64(value ? 1 : 0))
                                     : QVariant(value ? QStringLiteral("T") : QStringLiteral("F")));
}

bool SqlRecordSet::isModified(const QString& name) const
{
    if (!isEditing())
        return false;
    const int index = requireField(name);
    if (m_state == State::Insert)
        return !m_buffer[size_t(index)].isNull();
    return m_buffer[size_t(index)] != m_original[size_t(index)];
}

void SqlRecordSet::edit()
{
    requireActive();
    if (isEditing())
        return;
    if (!canModify())
        throw DbError(QStringLiteral("Die Datenmenge kann nicht bearbeitet werden (schreibgeschützt)."));
    if (m_current < 0 || (m_eof && m_rows.empty()))
        throw DbError(QStringLiteral("Keine Datensätze vorhanden, die bearbeitet werden können."));
    if (m_hooks.beforeEdit)
        m_hooks.beforeEdit(*this);
    m_original = currentValues();
    m_buffer = m_original;
    m_state = State::Edit;
    if (m_hooks.afterEdit)
        m_hooks.afterEdit(*this);
    notifyChange(nullptr);
}

void SqlRecordSet::append()
{
    requireActive();
    if (isEditing())
        post();
    if (!canModify())
        throw DbError(QStringLiteral("Die Datenmenge kann nicht bearbeitet werden (schreibgeschützt)."));
    if (m_hooks.beforeInsert)
        m_hooks.beforeInsert(*this);
    m_original.assign(m_fields.size(), QVariant());
    m_buffer = m_original;
    m_state = State::Insert;
    if (m_hooks.afterInsert)
        m_hooks.afterInsert(*this);
    notifyChange(nullptr);
}

void SqlRecordSet::checkWidths() const
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const SqlField& field = m_fields[i];
        const QVariant& v = m_buffer[i];
        if (v.isNull()) {
            const bool isRowKey = m_keyFields.size() == 1 && m_keyFields.front() == int(i) && isIntegerKind(field.kind);
            if (field.required && !isRowKey)
                throw DbError(QStringLiteral("Das Feld \"%1\" muss einen Wert enthalten.").arg(field.name));
            continue;
        }
        if (isTextKind(field.kind) && field.size > 0) {
            const qsizetype length = v.toString().size();
            if (length > field.size)
                throw DbError(QStringLiteral("Der Wert für das Feld \"%1\" ist zu lang: %2 Zeichen, erlaubt sind "
                                             "höchstens %3.")
                                  .arg(field.name)
                                  .arg(length)
                                  .arg(field.size));
        }
    }
}

void SqlRecordSet::writeRow()
{
    if (m_state == State::Insert) {
        QStringList columns;
        QStringList marks;
        std::vector<int> bound;
        for (size_t i = 0; i < m_fields.size(); ++i) {
            if (m_buffer[i].isNull())
                continue;
            columns << quoteSqlName(m_fields[i].originColumn);
            marks << QStringLiteral("?");
            bound.push_back(int(i));
        }
        const QString sql = columns.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteSqlName(m_table))
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(quoteSqlName(m_table), columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        QVariantList parameters;
        for (int k : bound)
            parameters << m_buffer[size_t(k)];
        m_connection->executeNative(sql, parameters);
        // An integer key left empty was given by the engine.
        if (m_keyFields.size() == 1 && m_buffer[size_t(m_keyFields.front())].isNull()
            && isIntegerKind(m_fields[size_t(m_keyFields.front())].kind))
            m_buffer[size_t(m_keyFields.front())] = qint64(sqlite3_last_insert_rowid(m_connection->handle()));
        return;
    }

    QStringList assignments;
    std::vector<int> changed;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (m_buffer[i] == m_original[i] && m_buffer[i].isNull() == m_original[i].isNull())
            continue;
        assignments << quoteSqlName(m_fields[i].originColumn) + QStringLiteral(" = ?");
        changed.push_back(int(i));
    }
    if (changed.empty())
        return;
    QStringList keys;
    for (int k : m_keyFields)
        keys << quoteSqlName(m_fields[size_t(k)].originColumn) + QStringLiteral(" = ?");
    QVariantList parameters;
    for (int i : changed)
        parameters << m_buffer[size_t(i)];
    for (int k : m_keyFields)
        parameters << m_original[size_t(k)];
    const int updated = m_connection->executeNative(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3")
            .arg(quoteSqlName(m_table), assignments.join(QStringLiteral(", ")), keys.join(QStringLiteral(" AND "))),
        parameters);
    if (updated == 0)
        throw DbError(QStringLiteral("Der Datensatz wurde nicht gefunden. Er wurde möglicherweise von einem anderen "
                                     "Benutzer gelöscht."));
}

void SqlRecordSet::post()
{
    requireActive();
    if (!isEditing())
        return;
    // The rows still to be read are read first: an open read keeps the connection on the
    // archive as it was when the statement started, and after another connection has written,
    // a write from that old view is refused as locked. Rows still to be read must not meet a
    // new one either.
    if (!m_unidirectional)
        fetchAll();
    {
        SqlTransaction transaction(*m_connection);
        if (m_hooks.beforePost)
            m_hooks.beforePost(*this);
        checkWidths();
        for (;;) {
            try {
                writeRow();
                break;
            } catch (const DbError& error) {
                const PostErrorAction action
                    = m_hooks.onPostError ? m_hooks.onPostError(*this, error) : PostErrorAction::Fail;
                if (action == PostErrorAction::Retry) {
                    checkWidths();
                    continue;
                }
                if (action == PostErrorAction::Abort)
                    return;
                throw;
            }
        }
        transaction.commit();
    }
    if (m_state == State::Insert) {
        // The new record goes to the end of the rows and becomes the current one.
        if (m_unidirectional) {
            m_firstCached += int(m_rows.size());
            m_rows.clear();
        }
        m_rows.push_back({m_nextId++, m_buffer});
        m_current = m_firstCached + int(m_rows.size()) - 1;
    } else {
        m_rows[size_t(m_current - m_firstCached)].values = m_buffer;
    }
    m_buffer.clear();
    m_original.clear();
    m_state = State::Browse;
    m_eof = m_bof = false;
    if (m_hooks.afterPost)
        m_hooks.afterPost(*this);
    notifyChange(nullptr);
}

void SqlRecordSet::cancel()
{
    if (!isEditing())
        return;
    if (m_hooks.beforeCancel)
        m_hooks.beforeCancel(*this);
    m_buffer.clear();
    m_original.clear();
    m_state = State::Browse;
    if (m_hooks.afterCancel)
        m_hooks.afterCancel(*this);
    notifyChange(nullptr);
}

void SqlRecordSet::remove()
{
    requireActive();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state == State::Edit)
        cancel();
    if (!canModify())
        throw DbError(QStringLiteral("Die Datenmenge kann nicht bearbeitet werden (schreibgeschützt)."));
    if (m_current < 0 || m_current - m_firstCached >= int(m_rows.size()))
        throw DbError(QStringLiteral("Keine Datensätze vorhanden, die gelöscht werden können."));
    if (!m_unidirectional)
        fetchAll(); // as for a save: no write from the view of an unfinished read
    const size_t at = size_t(m_current - m_firstCached);
    {
        // What the hooks remove together with the record goes in the same transaction.
        SqlTransaction transaction(*m_connection);
        if (m_hooks.beforeDelete)
            m_hooks.beforeDelete(*this);
        QStringList keys;
        for (int k : m_keyFields)
            keys << quoteSqlName(m_fields[size_t(k)].originColumn) + QStringLiteral(" = ?");
        QVariantList parameters;
        for (int k : m_keyFields)
            parameters << m_rows[at].values[size_t(k)];
        m_connection->executeNative(
            QStringLiteral("DELETE FROM %1 WHERE %2").arg(quoteSqlName(m_table), keys.join(QStringLiteral(" AND "))),
            parameters);
        transaction.commit();
    }
    m_rows.erase(m_rows.begin() + qsizetype(at));
    const int count = m_firstCached + int(m_rows.size());
    if (m_current >= count && !ensureRow(m_current))
        m_current = count - 1;
    m_eof = m_current < 0;
    m_bof = m_current <= 0;
    if (m_hooks.afterDelete)
        m_hooks.afterDelete(*this);
    notifyChange(nullptr);
}
