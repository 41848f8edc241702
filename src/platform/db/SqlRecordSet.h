#pragma once

#include "platform/db/FieldKind.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class SqlConnection;
class SqlStatement;
class DbError;

struct SqlField
{
    QString name;
    FieldKind kind = FieldKind::Unknown;
    int size = 0; // declared width of text fields
    bool required = false;
    QString originTable;
    QString originColumn;
    bool readOnly = false;
};

// A record set over a query, with the states closed, browsing, editing and inserting. Rows are
// read from the engine as the cursor moves (all of them when counted); a unidirectional record
// set keeps only the current row. Writing back works for a query over one table that includes
// the table's key ("SELECT * FROM DOCUMENT …").
//
// Values are kept as the engine gives them (qint64, double, QString, QByteArray, null); date
// fields hold day serials (see DateSerial) and are converted by the typed accessors.
class SqlRecordSet
{
public:
    enum class State { Closed, Browse, Edit, Insert };
    enum class PostErrorAction { Fail, Retry, Abort };
    using Bookmark = qint64;

    struct Hooks
    {
        std::function<void(SqlRecordSet&)> beforeOpen, afterOpen, beforeClose;
        std::function<void(SqlRecordSet&)> beforeInsert, afterInsert;
        std::function<void(SqlRecordSet&)> beforeEdit, afterEdit;
        std::function<void(SqlRecordSet&)> beforePost, afterPost;
        std::function<void(SqlRecordSet&)> beforeCancel, afterCancel;
        std::function<void(SqlRecordSet&)> beforeDelete, afterDelete;
        std::function<void(SqlRecordSet&)> afterScroll;
        // Called when saving fails; Retry saves again, Abort ends silently in the same state.
        std::function<PostErrorAction(SqlRecordSet&, const DbError&)> onPostError;
        // Called when the current record or one of its values changed (field is null for the
        // whole record), unless display updates are suspended.
        std::function<void(SqlRecordSet&, const SqlField*)> dataChange;
    };

    explicit SqlRecordSet(SqlConnection* connection = nullptr);
    ~SqlRecordSet();
    SqlRecordSet(const SqlRecordSet&) = delete;
    SqlRecordSet& operator=(const SqlRecordSet&) = delete;

    void setConnection(SqlConnection* connection);
    SqlConnection* connection() const { return m_connection; }

    // The statement, as lines (joined with line breaks when run).
    void setSql(const QStringList& lines);
    void setSql(const QString& text) { setSql(QStringList{text}); }
    const QStringList& sql() const { return m_sql; }
    QString sqlText() const { return m_sql.join(QLatin1Char('\n')); }

    void setUnidirectional(bool on) { m_unidirectional = on; }
    Hooks& hooks() { return m_hooks; }

    void open();
    void close(); // idempotent; a pending change is discarded
    bool isActive() const { return m_state != State::Closed; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }
    bool canModify() const { return !m_table.isEmpty(); }
    const QString& updateTable() const { return m_table; }

    // Navigation
    void first();
    void next();
    void prior();
    void last();
    void moveTo(int row); // 0-based
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty();
    int recordNumber() const { return m_current; } // 0-based; -1 without a record
    int recordCount(); // reads all remaining rows
    bool locate(const QString& field, const QVariant& value, bool ignoreCase = false);
    Bookmark bookmark() const;
    bool gotoBookmark(Bookmark bookmark);

    // Display updates
    void disableControls() { ++m_disabled; }
    void enableControls();
    bool controlsDisabled() const { return m_disabled > 0; }

    // Fields of the current record (or of the record being edited)
    const std::vector<SqlField>& fields() const { return m_fields; }
    int fieldIndex(const QString& name) const; // ignoring case; -1 when missing
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    const SqlField& field(const QString& name) const; // raises when missing
    QVariant value(int field) const;
    // A value of a row already read, without moving the cursor (null for rows not read yet).
    QVariant valueAt(int row, int field) const;
    QVariant value(const QString& name) const { return value(requireField(name)); }
    bool isNull(const QString& name) const { return value(name).isNull(); }
    QString text(const QString& name) const; // the display text of the value
    qint64 integer(const QString& name) const;
    double number(const QString& name) const;
    QDateTime dateTime(const QString& name) const;
    bool boolean(const QString& name) const; // "T"/"F" text or a number

    // Assignment while editing or inserting
    void setValue(const QString& name, const QVariant& value); // stored as given
    void setText(const QString& name, const QString& text); // converted by the field's kind
    void setInteger(const QString& name, qint64 value) { setValue(name, QVariant(value)); }
    void setDateTime(const QString& name, const QDateTime& value);
    void setBoolean(const QString& name, bool value); // "T"/"F"
    void clear(const QString& name) { setValue(name, QVariant()); }
    // Whether a field's value differs from the one read (while editing).
    bool isModified(const QString& name) const;

    // Changes
    void edit();
    void append();
    void post();
    void cancel();
    void remove();

    // Converts a text as a field of that kind takes it; raises ConversionError.
    static QVariant convertText(const SqlField& field, const QString& text);
    static QString displayText(const SqlField& field, const QVariant& value);

private:
    struct Row
    {
        Bookmark id;
        std::vector<QVariant> values;
    };

    int requireField(const QString& name) const;
    void requireActive() const;
    void requireEditing() const;
    bool fetchRow(); // reads one more row into the cache; false at the end
    bool ensureRow(int row);
    void fetchAll();
    void setCurrent(int row);
    void notifyChange(const SqlField* field);
    void determineUpdateTable();
    void checkWidths() const;
    void writeRow();
    const std::vector<QVariant>& currentValues() const;

    SqlConnection* m_connection = nullptr;
    QStringList m_sql;
    bool m_unidirectional = false;
    Hooks m_hooks;
    State m_state = State::Closed;
    std::unique_ptr<SqlStatement> m_statement;
    bool m_allFetched = false;
    std::vector<SqlField> m_fields;
    std::vector<Row> m_rows;
    int m_firstCached = 0; // row number of m_rows[0] (unidirectional sets drop rows behind them)
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    Bookmark m_nextId = 1;
    int m_disabled = 0;
    bool m_changePending = false;
    std::vector<QVariant> m_buffer; // the record being edited or inserted
    std::vector<QVariant> m_original;
    QString m_table;
    std::vector<int> m_keyFields;
};

// Display updates of a record set stay suspended for the scope, also when it is left by an error.
class SuspendedDisplay
{
public:
    explicit SuspendedDisplay(SqlRecordSet& records)
        : m_records(records)
    {
        m_records.disableControls();
    }
    ~SuspendedDisplay() { m_records.enableControls(); }
    SuspendedDisplay(const SuspendedDisplay&) = delete;
    SuspendedDisplay& operator=(const SuspendedDisplay&) = delete;

private:
    SqlRecordSet& m_records;
};
