#pragma once

#include <QMap>
#include <QString>

#include <optional>

class SqlRecordSet;

// What the record rules ask of the subsystems built on top of the archive store. Each is
// installed by the program (or doxarel-cli) when it puts its parts together; without one the
// rules skip that step.

// The field definitions: how a field's choice list grows.
class FieldRules
{
public:
    struct Rule
    {
        int editStyle = 0;
        bool updateList = false;
        bool visible = true;
    };
    virtual ~FieldRules() = default;
    virtual std::optional<Rule> ruleFor(const QString& fieldName) const = 0;
};

// The full-text index: words of records handed to the index thread.
class IndexUpdates
{
public:
    virtual ~IndexUpdates() = default;
    // All words of a new record, as additions.
    virtual void addRecordWords(SqlRecordSet& records) = 0;
    // The difference between the captured old field texts and the record's current ones.
    virtual void updateRecordWords(SqlRecordSet& records, const QMap<QString, QString>& oldValues) = 0;
    // All words of the record anew, after removing its old ones.
    virtual void renewRecordWords(SqlRecordSet& records) = 0;
};

// The document object: the file of a new file or mail document.
class DocumentFiles
{
public:
    virtual ~DocumentFiles() = default;
    // Makes sure the document file of the record being inserted exists and fills FILENAME.
    virtual void ensureFile(SqlRecordSet& records) = 0;
};

// The windows that show records, choice lists and notes.
class RecordViews
{
public:
    virtual ~RecordViews() = default;
    virtual void currentRecordChanged() { }
    virtual void choiceListsChanged() { }
    virtual bool noteTextChanged() const { return false; }
    virtual void clearNoteTextChanged() { }
    virtual void processPendingEvents() { }
};
