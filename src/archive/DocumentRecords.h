#pragma once

#include "archive/RecordServices.h"
#include "archive/ReservedWords.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DbError;
class DocumentQuery;
class SqlConnection;
struct SqlField;
class SqlRecordSet;
class TDModul;

// The rules that run whenever a catalogue entry is inserted, edited, saved or deleted, the named
// counters of IDENTNO, the stored notes, the choice lists in memory and the small record services.
class DocumentRecords
{
public:
    explicit DocumentRecords(TDModul& dataModule);
    ~DocumentRecords();

    // --- services from the rest of the program (optional)
    FieldRules* fieldRules = nullptr;
    IndexUpdates* indexUpdates = nullptr;
    DocumentFiles* documentFiles = nullptr;
    RecordViews* views = nullptr;
    // The runner used to include a record in the current result; the data module's own by default.
    void setQueryRunner(DocumentQuery* runner) { m_runner = runner; }
    // How a failed counter attempt waits; 150 ms by default. Tests and doxarel-cli may change it.
    std::function<void(int milliseconds)> wait;

    // --- record set hooks, installed on the data module's document record set
    void AdoQueryDocAfterInsert(SqlRecordSet& records);
    void AdoQueryDocBeforeEdit(SqlRecordSet& records);
    void AdoQueryDocBeforePost(SqlRecordSet& records);
    void AdoQueryDocBeforeDelete(SqlRecordSet& records);
    void AdoQueryDocAfterDelete(SqlRecordSet& records);
    bool AdoQueryDocPostError(SqlRecordSet& records, const DbError& error); // true: try again
    void DataSourceDocDataChange(SqlRecordSet& records);
    void AdoQueryBlobsBeforePost(SqlRecordSet& blobs);
    void AdoTableTmpBeforeOpen();
    void AdoTableTmpBeforePost(SqlRecordSet& scratch);

    // --- record services
    qint64 CurrentDocId() const;
    QString CurrentFileName() const;
    bool LocateDocument(qint64 key);
    bool LocateOrInclude(qint64 key);
    bool HasWhereClause() const;
    QStringList SqlWithDocument(qint64 key) const;
    QStringList SqlWithDocuments(const QList<qint64>& keys) const;
    static bool PostOrCancel(SqlRecordSet& records, int mode); // 1 save, 2 discard
    // Appends a record with the name=value pairs and answers its key.
    qint64 AddDocumentToTable(const QList<QPair<QString, QString>>& values);
    void SetDatesFromFile(const QString& path);
    void LoadFieldDefaults(SqlRecordSet& records, const QString& file, const QString& section);
    qint64 lastNewKey() const { return m_lastNewKey; }
    const QMap<QString, QString>& capturedOldValues() const { return m_oldValues; }

    // --- counters
    qint64 NewId(const QString& counter);
    bool SetCounter(const QString& counter, qint64 value);
    qint64 MaxPlusOne(const QString& table, const QString& field);
    static qint64 MaxValue(SqlConnection& connection, const QString& table, const QString& field);
    void RepairCounters(SqlConnection& connection);

    // --- stored notes: the record set and field holding the note text of a key, or none
    struct NoteText
    {
        SqlRecordSet* records = nullptr;
        QString field;
        explicit operator bool() const { return records != nullptr; }
    };
    NoteText NoteField(qint64 key);

    // --- choice lists
    void LoadItemList(QString& buffer, const QString& fieldName);
    void SaveItemList(const QString& buffer, const QString& fieldName);
    void SaveAllItemLists();
    bool AddItemToChoiseList(const QString& fieldName, const QString& value, bool store);
    // The in-memory lists: field names and, at the same positions, one text buffer each.
    QStringList ChoiceListNames;
    QStringList ChoiceLists;
    int choiceListIndex(const QString& fieldName) const;
    // Empties the lists in memory and loads, for every visible field of the document record set
    // whose edit style has a choice list (1 to 4), except USERNAME, its list from ITEMLISTS.
    void FillChoiceLists();
    static QString ParentPath(const QString& value);
    void LoadUsers();

    // --- field name classes
    bool IsSystemField(const QString& name) const;
    static bool IsReadOnlyField(const QString& name);
    static bool IsDefaultable(const QString& name);
    bool IsReservedName(const QString& name, bool withExtraWords);
    static bool IsValidFieldName(const QString& name);
    // Text, memo and wide text fields wider than the minimum word length, and NOTES.
    bool IsIndexableField(const SqlField& field) const;

private:
    qint64 takeCounter(
        SqlConnection& connection, const QString& counter, std::optional<qint64> newValue, int questionAfter);
    // Waits after a failed attempt to take the write lock; asks after questionAfter failures.
    bool retryBusy(const QString& counter, const DbError& error, int failures, int questionAfter);
    QString quote(const QString& text) const;

    // The lines of a list in memory, read again only when its buffer changed.
    struct ParsedList
    {
        bool valid = false;
        size_t hash = 0;
        qsizetype size = 0;
        QStringList lines;
        QSet<QString> folded; // case-folded lines
    };
    ParsedList& parsedList(int index);

    TDModul& m_dm;
    DocumentQuery* m_runner = nullptr;
    std::vector<ParsedList> m_parsed;
    std::unique_ptr<DocumentQuery> m_ownRunner;
    QMap<QString, QString> m_oldValues;
    bool m_oldValuesCaptured = false;
    qint64 m_lastNewKey = 0;
    qint64 m_deletedKey = 0;
    QString m_lockCounter = QStringLiteral("DOCID");
    int m_questionAfter = 20;
    int m_askedAt = 0;
    std::function<void(SqlRecordSet&)> m_pendingIndex;
    QString m_createdFile; // the document file the current save made
    TVxReservedWords m_reservedWords;
    bool m_reservedWordsRead = false;
};
