#pragma once

#include "archive/RecordServices.h"
#include "fulltext/FtiWords.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QThread>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class DocumentQuery;
class SqlConnection;
class SqlRecordSet;
class TDModul;

// One small index operation for the index thread.
struct TUpdateFtiItem
{
    enum Action { AddWord = 0, RemoveWord = 1, RemoveAllWords = 2 };
    qint64 DocId = 0;
    bool Additive = false;
    int Action = AddWord;
    QString Word; // normal form; empty for RemoveAllWords
    bool operator==(const TUpdateFtiItem&) const = default;
};

// The queue between the main thread and the index thread; every access holds its lock.
class TUpdateFtiQueue
{
public:
    void append(std::vector<TUpdateFtiItem> items);
    // With the lock held: appends; takes up to count items from the front and answers how many
    // still wait after them.
    void appendLocked(std::vector<TUpdateFtiItem> items);
    void prependLocked(std::vector<TUpdateFtiItem> items);
    std::vector<TUpdateFtiItem> take(size_t count, size_t& remaining);
    size_t size() const;
    std::mutex& mutex() const { return m_mutex; }
    bool emptyLocked() const { return m_items.empty(); }

private:
    mutable std::mutex m_mutex;
    std::deque<TUpdateFtiItem> m_items;
};

class TFtiIndex;

// Works the queue off with its own connection and ends when it is empty. Items are written in
// short transactions of a few hundred, so that a record being saved waits at most for one of
// them; progress is reported after each transaction, and the thread waits for the report.
class TUpdateFtiThread : public QThread
{
    Q_OBJECT
public:
    static constexpr size_t kBatchSize = 200;

    TUpdateFtiThread(TFtiIndex& index, std::unique_ptr<SqlConnection> connection);
    ~TUpdateFtiThread() override;

protected:
    void run() override;

private:
    TFtiIndex& m_index;
    std::unique_ptr<SqlConnection> m_connection;
    int m_done = 0;
};

// The index operations of the data module: indexing documents, queueing their changes for the
// index thread, rebuilding and refreshing the index, statistics and the words of a document. It
// is the record rules' IndexUpdates service.
class TFtiIndex : public QObject, public IndexUpdates
{
    Q_OBJECT
public:
    // The runner shows all documents before a rebuild; without one the current result is used.
    TFtiIndex(TDModul& dm, DocumentQuery* runner = nullptr);
    ~TFtiIndex() override;

    TFtiWords& Words() { return m_words; }
    TUpdateFtiQueue& Queue() { return m_queue; }

    // --- the record rules' service
    void addRecordWords(SqlRecordSet& records) override;
    void updateRecordWords(SqlRecordSet& records, const QMap<QString, QString>& oldValues) override;
    void renewRecordWords(SqlRecordSet& records) override;

    // --- document-level operations (main thread)
    void IndexDocument(qint64 key, bool additive, bool queued);
    // The current record of the document record set.
    void IndexCurrentRecord(bool additive, bool queued);
    void UpdateIndexByDifference(const QMap<QString, QString>& oldValues, bool queued);
    // The removals of old words and additions of new ones that an edit of the current record's
    // catalogue fields needs, the old values being the captured texts of its indexable fields.
    std::vector<TUpdateFtiItem> DifferenceItems(const QMap<QString, QString>& oldValues) const;
    void RefreshDocumentIfChanged();
    // For every record of the current result; the step is called after each record.
    void RefreshChangedDocuments(const std::function<void()>& step = {});

    // How a long run shows its progress: the window's progress window, or nothing.
    struct Progress
    {
        std::function<void(const QString& title, int maximum)> start;
        std::function<void(int position, const QString& firstLine, const QString& secondLine)> step;
        std::function<bool()> cancelled; // asks the user when the cancel button was pressed
        std::function<void()> finish;
    };
    Progress progress;

    bool IndexAllDocuments(bool additive);
    void RebuildIndex();
    QString IndexStatistics();
    QString WordsOfDocument(qint64 key);

    // --- the thread
    void StartIndexThread();
    bool IsIndexThreadRunning() const;
    // Lets events run until the thread has ended; false when the time ran out.
    bool WaitForIndexThread(int milliseconds = -1);

Q_SIGNALS:
    // Total and done items of the index thread; a total of 0 ends the progress display.
    void indexProgress(int total, int done);

private:
    friend class TUpdateFtiThread;
    void process(SqlConnection& connection, const TUpdateFtiItem& item);
    void report(int total, int done); // from the thread: delivered in the main thread, waited for
    void startThread();
    void log(const QString& text) const;
    void queue(std::vector<TUpdateFtiItem> items);
    TFtiWordList fieldWordsOfValues(const QMap<QString, QString>& values) const;
    void storeFileTime(qint64 key, const QString& file);

    TDModul& m_dm;
    DocumentQuery* m_runner;
    TFtiWords m_words;
    TUpdateFtiQueue m_queue;
    std::unique_ptr<TUpdateFtiThread> m_thread;
    bool m_threadActive = false; // guarded by the queue's lock
};
