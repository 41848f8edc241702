#include "FtiThread.h"

#include "archive/DataMod.h"
#include "archive/DocumentQuery.h"
#include "archive/DocumentRecords.h"
#include "documents/TextConversion.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/db/DateSerial.h"
#include "platform/db/SqlConnection.h"
#include "platform/db/SqlRecordSet.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <thread>

namespace {
const QString kRebuildTitle = QStringLiteral("Gesamtindex wird erstellt");

const QString kInternalDocument = QStringLiteral("(internes Dokument)");

// An empty index table made anew with the same definition, stored without row numbers: the
// table is then one tree ordered by its key, and a rebuild writes half the pages. Nothing
// changes when that fails.
void storeByKey(SqlConnection& connection, const QString& table)
{
    QString sql;
    {
        SqlStatement read(connection.handle(),
            QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1 AND NOT EXISTS "
                           "(SELECT 1 FROM \"%1\")")
                .arg(table));
        read.bind(1, table);
        if (read.step())
            sql = read.value(0).toString();
    }
    if (sql.isEmpty() || sql.contains(QLatin1String("WITHOUT ROWID"), Qt::CaseInsensitive))
        return;
    try {
        SqlTransaction transaction(connection, true);
        SqlStatement(connection.handle(), QStringLiteral("DROP TABLE \"%1\"").arg(table)).step();
        SqlStatement(connection.handle(), sql + QStringLiteral(" WITHOUT ROWID")).step();
        transaction.commit();
    } catch (const DxError&) {
        // The table stays as it was made.
    }
}

// Rows a rebuild collects before it writes them.
constexpr size_t kRebuildRowsHeld = 4'000'000;

// Reads the file words of the coming documents in worker threads while the main thread stores
// the words of the current one, so that the conversions of several files run at the same time.
// At most a few documents are read ahead of the one taken last.
class FileWordsAhead
{
public:
    struct Job
    {
        qint64 key = 0;
        QString file; // empty: nothing to read
    };
    struct Result
    {
        TFtiWordList words;
        bool failed = false; // an error was raised: the caller reads the file itself
    };

    FileWordsAhead(const TFtiWords& words, std::vector<Job> jobs)
        : m_words(words)
        , m_jobs(std::move(jobs))
        , m_results(m_jobs.size())
    {
        const unsigned workers = std::max(2u, std::thread::hardware_concurrency());
        m_window = size_t(workers) * 8;
        for (unsigned i = 0; i < workers; ++i)
            m_threads.emplace_back([this] { work(); });
    }
    ~FileWordsAhead()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }
    FileWordsAhead(const FileWordsAhead&) = delete;
    FileWordsAhead& operator=(const FileWordsAhead&) = delete;

    size_t size() const { return m_jobs.size(); }
    const Job& job(size_t i) const { return m_jobs[i]; }
    // The words of job i, waiting for them; the jobs are taken in their order.
    Result take(size_t i)
    {
        std::unique_lock lock(m_mutex);
        m_taken = i + 1;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_results[i].has_value(); });
        Result result = std::move(*m_results[i]);
        m_results[i].reset();
        return result;
    }

private:
    void work()
    {
        for (;;) {
            size_t i = 0;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_stop || m_next >= m_jobs.size() || m_next < m_taken + m_window; });
                if (m_stop || m_next >= m_jobs.size())
                    return;
                i = m_next++;
            }
            Result result;
            if (!m_jobs[i].file.isEmpty()) {
                try {
                    m_words.CollectFileWords(m_jobs[i].file, result.words, m_jobs[i].key);
                } catch (...) {
                    result.failed = true;
                }
            }
            {
                std::lock_guard lock(m_mutex);
                m_results[i] = std::move(result);
            }
            m_changed.notify_all();
        }
    }

    const TFtiWords& m_words;
    std::vector<Job> m_jobs;
    std::vector<std::optional<Result>> m_results;
    size_t m_window = 4;
    size_t m_next = 0; // the next job to start
    size_t m_taken = 0; // jobs up to here were asked for
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::thread> m_threads;
};
} // namespace

// --- queue -----------------------------------------------------------------------------------

void TUpdateFtiQueue::append(std::vector<TUpdateFtiItem> items)
{
    std::lock_guard lock(m_mutex);
    appendLocked(std::move(items));
}

void TUpdateFtiQueue::appendLocked(std::vector<TUpdateFtiItem> items)
{
    for (TUpdateFtiItem& item : items)
        m_items.push_back(std::move(item));
}

void TUpdateFtiQueue::prependLocked(std::vector<TUpdateFtiItem> items)
{
    for (auto it = items.rbegin(); it != items.rend(); ++it)
        m_items.push_front(std::move(*it));
}

std::vector<TUpdateFtiItem> TUpdateFtiQueue::take(size_t count, size_t& remaining)
{
    std::vector<TUpdateFtiItem> items;
    while (count-- > 0 && !m_items.empty()) {
        items.push_back(std::move(m_items.front()));
        m_items.pop_front();
    }
    remaining = m_items.size();
    return items;
}

size_t TUpdateFtiQueue::size() const
{
    std::lock_guard lock(m_mutex);
    return m_items.size();
}

// --- thread ----------------------------------------------------------------------------------

TUpdateFtiThread::TUpdateFtiThread(TFtiIndex& index, std::unique_ptr<SqlConnection> connection)
    : m_index(index)
    , m_connection(std::move(connection))
{
}

TUpdateFtiThread::~TUpdateFtiThread()
{
    wait();
}

void TUpdateFtiThread::run()
{
    int step = 1;
    TUpdateFtiQueue& queue = m_index.m_queue;
    std::vector<TUpdateFtiItem> items; // taken, not yet written
    try {
        for (;;) {
            step = 1;
            items.clear();
            size_t remaining = 0;
            {
                std::unique_lock lock(queue.mutex());
                step = 2;
                items = queue.take(kBatchSize, remaining);
                step = 3;
                if (items.empty()) {
                    // The lock is held while the thread decides to end: an item queued before
                    // this moment is still processed, one queued after it starts a new thread.
                    m_connection->close();
                    m_index.m_threadActive = false;
                    QMetaObject::invokeMethod(
                        &m_index, [index = &m_index, done = m_done] { Q_EMIT index->indexProgress(0, done); },
                        Qt::QueuedConnection);
                    return;
                }
                step = 4;
            }
            step = 5;
            {
                SqlTransaction transaction(*m_connection, true);
                for (const TUpdateFtiItem& item : items)
                    m_index.process(*m_connection, item);
                transaction.commit();
            }
            const int written = int(items.size());
            items.clear();
            m_done += written;
            step = 6;
            m_index.report(m_done + int(remaining), m_done);
        }
    } catch (const std::exception& error) {
        const QString text = dynamic_cast<const DxError*>(&error) ? static_cast<const DxError&>(error).message()
                                                                  : QString::fromLocal8Bit(error.what());
        {
            // Items whose transaction did not end wait at the front for the next thread.
            std::lock_guard lock(queue.mutex());
            queue.prependLocked(std::move(items));
            m_connection->close();
            m_index.m_threadActive = false;
        }
        QMetaObject::invokeMethod(
            &m_index, [index = &m_index, done = m_done] { Q_EMIT index->indexProgress(0, done); },
            Qt::QueuedConnection);
        m_index.log(QStringLiteral("TUpdateFtiThread.Execute: ") + text + QStringLiteral(" (Pos: ")
            + QString::number(step) + QLatin1Char(')'));
    }
}

// --- index -----------------------------------------------------------------------------------

TFtiIndex::TFtiIndex(TDModul& dm, DocumentQuery* runner)
    : m_dm(dm)
    , m_runner(runner)
    , m_words(dm)
{
    m_words.NoteText = [this](qint64 key) -> QString {
        const DocumentRecords::NoteText note = m_dm.Records().NoteField(key);
        if (!note || note.records->isNull(note.field))
            return {};
        return RtfToText(note.records->text(note.field).toUtf8());
    };
}

TFtiIndex::~TFtiIndex()
{
    WaitForIndexThread();
    m_thread.reset();
}

void TFtiIndex::log(const QString& text) const
{
    try {
        m_dm.WriteLog(text);
    } catch (const IoError&) {
    }
}

void TFtiIndex::process(SqlConnection& connection, const TUpdateFtiItem& item)
{
    switch (item.Action) {
    case TUpdateFtiItem::AddWord:
        m_words.AddWordToDocument(connection, item.Word, item.DocId, true, item.Additive);
        break;
    case TUpdateFtiItem::RemoveWord: m_words.RemoveWordFromDocument(connection, item.DocId, item.Word); break;
    case TUpdateFtiItem::RemoveAllWords: m_words.RemoveAllWordsOfDocument(connection, item.DocId); break;
    default: break;
    }
}

void TFtiIndex::report(int total, int done)
{
    if (QThread::currentThread() == thread()) {
        Q_EMIT indexProgress(total, done);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, total, done] { Q_EMIT indexProgress(total, done); }, Qt::BlockingQueuedConnection);
}

void TFtiIndex::queue(std::vector<TUpdateFtiItem> items)
{
    if (items.empty())
        return;
    bool start = false;
    {
        std::lock_guard lock(m_queue.mutex());
        m_queue.appendLocked(std::move(items));
        start = !m_threadActive;
        m_threadActive = true;
    }
    if (start)
        startThread();
}

void TFtiIndex::StartIndexThread()
{
    {
        std::lock_guard lock(m_queue.mutex());
        if (m_threadActive)
            return;
        m_threadActive = true;
    }
    startThread();
}

void TFtiIndex::startThread()
{
    // A thread that has decided to end only has its last lines to run.
    if (m_thread) {
        m_thread->wait();
        m_thread.reset();
    }
    std::unique_ptr<SqlConnection> connection;
    try {
        connection = m_dm.AdoConnectDoc.secondConnection();
    } catch (const DxError& error) {
        {
            std::lock_guard lock(m_queue.mutex());
            m_threadActive = false;
        }
        log(QStringLiteral("TUpdateFtiThread.Execute: ") + error.message() + QStringLiteral(" (Pos: 1)"));
        return;
    }
    m_thread = std::make_unique<TUpdateFtiThread>(*this, std::move(connection));
    m_thread->start(QThread::LowPriority);
}

bool TFtiIndex::IsIndexThreadRunning() const
{
    std::lock_guard lock(m_queue.mutex());
    return m_threadActive;
}

bool TFtiIndex::WaitForIndexThread(int milliseconds)
{
    QDeadlineTimer deadline(milliseconds < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(milliseconds));
    while (IsIndexThreadRunning()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::usleep(200);
    }
    if (m_thread)
        m_thread->wait();
    QCoreApplication::processEvents();
    return true;
}

// --- the record rules' service ---------------------------------------------------------------

void TFtiIndex::addRecordWords(SqlRecordSet&)
{
    IndexCurrentRecord(true, true);
}

void TFtiIndex::updateRecordWords(SqlRecordSet&, const QMap<QString, QString>& oldValues)
{
    UpdateIndexByDifference(oldValues, true);
}

void TFtiIndex::renewRecordWords(SqlRecordSet&)
{
    IndexCurrentRecord(false, true);
}

// --- document-level operations ---------------------------------------------------------------

void TFtiIndex::IndexDocument(qint64 key, bool additive, bool queued)
{
    if (!m_dm.Records().LocateDocument(key))
        return;
    IndexCurrentRecord(additive, queued);
}

void TFtiIndex::storeFileTime(qint64 key, const QString& file)
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    if (!records.hasField(QStringLiteral("FTIUPDATE")))
        return;
    try {
        // Written directly: the record may be in the middle of its own save.
        m_dm.AdoConnectDoc.execute(QStringLiteral("UPDATE DOCUMENT SET FTIUPDATE = ? WHERE DOCID = ?"),
            {DateSerial::fromDateTime(QFileInfo(file).lastModified()), key});
    } catch (const DxError& error) {
        m_dm.ShowErrorAndLog(QStringLiteral("Fehler beim Speichern von \"%1\" in Tabelle \"%2\".")
                                 .arg(QStringLiteral("FTIUPDATE"), QStringLiteral("DOCUMENT"))
            + QLatin1Char('\n') + error.message());
    }
}

void TFtiIndex::IndexCurrentRecord(bool additive, bool queued)
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    const qint64 key = records.integer(QStringLiteral("DOCID"));
    m_words.ProgressCounter = 0;
    TFtiWordList list;
    m_words.CollectFieldWords(records, list);
    if (m_dm.Settings.Cfg.FtiCreateMode == 2 && records.hasField(QStringLiteral("FILENAME"))) {
        const QString file = records.text(QStringLiteral("FILENAME"));
        if (m_words.IsFileNotIndexable(file)) {
            if (progress.step && !queued)
                progress.step(-1, QString(), QString());
        } else {
            if (progress.step && !queued)
                progress.step(-1, QStringLiteral("Einlesen der Dokumentdatei"), file);
            m_words.CollectFileWords(file, list, key);
            // Reading a note may have moved to its record; the document stays current.
            if (QFileInfo(file).isFile())
                storeFileTime(key, file);
        }
    }
    if (queued) {
        std::vector<TUpdateFtiItem> items;
        items.reserve(size_t(list.size()) + 1);
        if (!additive)
            items.push_back({key, false, TUpdateFtiItem::RemoveAllWords, QString()});
        for (const QString& word : list.words())
            items.push_back({key, additive, TUpdateFtiItem::AddWord, word});
        queue(std::move(items));
        return;
    }
    if (!additive)
        m_words.RemoveAllWordsOfDocument(m_dm.AdoConnectDoc, key);
    for (const QString& word : list.words())
        m_words.AddWordToDocument(m_dm.AdoConnectDoc, word, key, false, additive);
}

std::vector<TUpdateFtiItem> TFtiIndex::DifferenceItems(const QMap<QString, QString>& oldValues) const
{
    const SqlRecordSet& records = m_dm.AdoQueryDoc;
    const qint64 key = records.integer(QStringLiteral("DOCID"));
    TFtiWordList old;
    for (auto it = oldValues.cbegin(); it != oldValues.cend(); ++it)
        m_words.CollectValueWords(it.key(), it.value(), old);
    TFtiWordList current;
    m_words.CollectFieldWords(records, current);
    std::vector<TUpdateFtiItem> items;
    for (const QString& word : old.words())
        if (!current.contains(word))
            items.push_back({key, false, TUpdateFtiItem::RemoveWord, word});
    for (const QString& word : current.words())
        if (!old.contains(word))
            items.push_back({key, false, TUpdateFtiItem::AddWord, word});
    return items;
}

void TFtiIndex::UpdateIndexByDifference(const QMap<QString, QString>& oldValues, bool queued)
{
    std::vector<TUpdateFtiItem> items = DifferenceItems(oldValues);
    if (queued) {
        queue(std::move(items));
        return;
    }
    for (const TUpdateFtiItem& item : items)
        process(m_dm.AdoConnectDoc, item);
}

void TFtiIndex::RefreshDocumentIfChanged()
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    if (!records.isActive() || records.recordNumber() < 0 || !records.hasField(QStringLiteral("FILENAME")))
        return;
    const QString file = records.text(QStringLiteral("FILENAME"));
    try {
        if (m_words.IsFileNotIndexable(file) || !QFileInfo(file).isFile())
            return;
        const qint64 key = records.integer(QStringLiteral("DOCID"));
        const QVariant stored
            = m_dm.AdoConnectDoc.scalar(QStringLiteral("SELECT FTIUPDATE FROM DOCUMENT WHERE DOCID = ?"), {key});
        const double modified = DateSerial::fromDateTime(QFileInfo(file).lastModified());
        // Times are compared to the second.
        if (!stored.isNull() && std::abs(stored.toDouble() - modified) * 86400.0 < 1.0)
            return;
        IndexCurrentRecord(false, true);
    } catch (const DxError&) {
        log(QStringLiteral("Fehler bei Indexierung der Datei \"%1\"").arg(file));
    }
}

void TFtiIndex::RefreshChangedDocuments(const std::function<void()>& step)
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    if (!records.isActive())
        return;
    SuspendedDisplay suspended(records);
    records.recordCount();
    for (records.first(); !records.eof(); records.next()) {
        RefreshDocumentIfChanged();
        if (step)
            step();
    }
}

bool TFtiIndex::IndexAllDocuments(bool additive)
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    if (!records.isActive())
        return true;
    SuspendedDisplay suspended(records);
    const int maximum = records.recordCount();
    if (progress.start)
        progress.start(kRebuildTitle + QStringLiteral("..."), maximum);
    struct Finish
    {
        Progress& progress;
        ~Finish()
        {
            if (progress.finish)
                progress.finish();
        }
    } finish{progress};
    int position = 0;
    // After each document: the progress, and whether to go on.
    auto stepped = [&]() -> bool {
        ++position;
        if (progress.step)
            progress.step(position,
                QStringLiteral("%1 von %2").arg(position).arg(maximum) + QStringLiteral(" (") + QStringLiteral("Wort")
                    + QLatin1Char(' ') + QString::number(m_words.ProgressCounter.load()) + QLatin1Char(')'),
                QString());
        if (progress.cancelled && progress.cancelled()) {
            log(QStringLiteral("Abbruch") + QStringLiteral(" (") + kRebuildTitle + QLatin1Char(')'));
            return false;
        }
        return true;
    };
    if (!additive) {
        for (records.first(); !records.eof(); records.next()) {
            {
                // One transaction per document: its old words go and its words come together.
                SqlTransaction transaction(m_dm.AdoConnectDoc, true);
                IndexCurrentRecord(false, false);
                transaction.commit();
            }
            if (!stepped())
                return false;
        }
        return true;
    }

    // Adding only, as a rebuild does: the file words of the coming documents are read in worker
    // threads meanwhile, and the words of many documents are written together.
    const QString fileField = QStringLiteral("FILENAME");
    const QString keyField = QStringLiteral("DOCID");
    const bool files = m_dm.Settings.Cfg.FtiCreateMode == 2 && records.hasField(fileField);
    const bool fileTimes = records.hasField(QStringLiteral("FTIUPDATE"));
    std::optional<FileWordsAhead> ahead;
    if (files) {
        std::vector<FileWordsAhead::Job> jobs;
        jobs.reserve(size_t(std::max(maximum, 0)));
        for (records.first(); !records.eof(); records.next()) {
            const QString file = records.text(fileField);
            const bool read = file != kInternalDocument && !m_words.IsFileNotIndexable(file);
            jobs.push_back({records.integer(keyField), read ? file : QString()});
        }
        m_words.EnsureStopWords();
        ahead.emplace(m_words, std::move(jobs));
    }
    TFtiBulkStore store(m_words, m_dm.AdoConnectDoc);
    for (records.first(); !records.eof(); records.next()) {
        const qint64 key = records.integer(keyField);
        m_words.ProgressCounter = 0;
        TFtiWordList list;
        TFtiWordList fileWords; // read ahead: the words not in list are the document's too
        m_words.CollectFieldWords(records, list);
        if (files) {
            const QString file = records.text(fileField);
            std::optional<FileWordsAhead::Result> read;
            if (size_t(position) < ahead->size())
                read = ahead->take(size_t(position));
            if (m_words.IsFileNotIndexable(file)) {
                if (progress.step)
                    progress.step(-1, QString(), QString());
            } else {
                if (progress.step)
                    progress.step(-1, QStringLiteral("Einlesen der Dokumentdatei"), file);
                const FileWordsAhead::Job* job = read ? &ahead->job(size_t(position)) : nullptr;
                if (job && !read->failed && job->key == key && job->file == file)
                    fileWords = std::move(read->words);
                else
                    m_words.CollectFileWords(file, list, key);
                const QFileInfo info(file);
                if (fileTimes && info.isFile())
                    store.addFileTime(key, DateSerial::fromDateTime(info.lastModified()));
            }
        }
        store.add(list, key);
        store.add(fileWords, key, &list);
        if (store.pending() >= kRebuildRowsHeld)
            store.flush();
        if (!stepped()) {
            store.flush();
            return false;
        }
    }
    store.flush();
    return true;
}

void TFtiIndex::RebuildIndex()
{
    if (IsIndexThreadRunning()) {
        m_dm.dialogs().information(
            QStringLiteral("Eine Aktualisierung des Gesamtindex läuft noch im Hintergrund."), 4509);
        return;
    }
    SqlConnection& connection = m_dm.AdoConnectDoc;
    for (const char* table : {"FTIWORD", "FTIWID"}) {
        try {
            connection.execute(QStringLiteral("DROP TABLE ") + QLatin1String(table));
        } catch (const DxError&) {
            try {
                connection.execute(QStringLiteral("DELETE FROM ") + QLatin1String(table));
            } catch (const DxError&) {
            }
        }
    }
    log(QStringLiteral("Volltextindex wird gelöscht und neu aufgebaut") + QStringLiteral(" (Mode ")
        + QString::number(m_dm.Settings.Cfg.FtiCreateMode) + QLatin1Char(')'));
    m_dm.Records().SetCounter(QStringLiteral("FTIWORDID"), 1);
    m_words.LoadStopWords();
    try {
        if (!connection.hasTable(QStringLiteral("FTIWORD")))
            connection.execute(QStringList{QStringLiteral("CREATE TABLE FTIWORD"), QStringLiteral("("),
                QStringLiteral("WORD TEXT(30) NOT NULL,"), QStringLiteral("WORDID INTEGER NOT NULL,"),
                QStringLiteral("PRIMARY KEY (WORD))")});
        if (!connection.hasTable(QStringLiteral("FTIWID")))
            connection.execute(QStringList{QStringLiteral("CREATE TABLE FTIWID"), QStringLiteral("("),
                QStringLiteral("WORDID INTEGER NOT NULL,"), QStringLiteral("DOCID INTEGER NOT NULL,"),
                QStringLiteral("PRIMARY KEY (WORDID,DOCID)"), QStringLiteral(")")});
        storeByKey(connection, QStringLiteral("FTIWORD"));
        storeByKey(connection, QStringLiteral("FTIWID"));
    } catch (const DxError& error) {
        log(QStringLiteral("Fehler beim Erstellen der Tabelle \"%1\".").arg(QStringLiteral("FTIWORD,FTIWID"))
            + QStringLiteral(":\n") + error.message());
    }
    if (m_runner)
        m_runner->RunSelect(QString());
    QString note;
    if (!IndexAllDocuments(true))
        note = QStringLiteral("\r** ") + QStringLiteral("Der Index ist unvollständig") + QStringLiteral(" **");
    m_dm.dialogs().information(QStringLiteral("Fertig") + QLatin1Char('\n') + QStringLiteral("Der Index beinhaltet")
        + QLatin1Char(' ') + IndexStatistics() + note);
}

QString TFtiIndex::IndexStatistics()
{
    try {
        const qint64 entries
            = m_dm.AdoConnectDoc.scalar(QStringLiteral("SELECT COUNT(*) AS fRowCount FROM FTIWID")).toLongLong();
        const qint64 words
            = m_dm.AdoConnectDoc.scalar(QStringLiteral("SELECT COUNT(*) AS fRowCount FROM FTIWORD")).toLongLong();
        return QStringLiteral("%1 Einträge für %2 Wörter").arg(entries).arg(words);
    } catch (const DxError&) {
        return QStringLiteral("keine Statistik möglich");
    }
}

QString TFtiIndex::WordsOfDocument(qint64 key)
{
    if (IsIndexThreadRunning())
        return {};
    QStringList found;
    QString failure;
    try {
        auto statement
            = m_dm.AdoConnectDoc.prepare(QStringList{QStringLiteral("SELECT DISTINCT W.WORD FROM FTIWORD W, FTIWID ID"),
                QStringLiteral("WHERE W.WORDID = ID.WORDID AND ID.DOCID = ") + QString::number(key)}
                                             .join(QLatin1Char('\n')));
        while (statement->step())
            found << statement->value(0).toString();
    } catch (const DxError& error) {
        failure = error.message();
    }
    if (found.isEmpty() && failure.isEmpty())
        return QStringLiteral("Das Dokument ist nicht indexiert");
    QString text = QStringLiteral("Wörter des aktuellen Dokuments") + QStringLiteral(" (")
        + QString::number(found.size()) + QLatin1Char(' ') + QStringLiteral("Wörter") + QStringLiteral("):")
        + QStringLiteral("\n\n");
    for (const QString& word : found)
        text += word + QStringLiteral(", ");
    if (!failure.isEmpty())
        m_dm.ShowErrorAndLog(QStringLiteral("Fehler beim Erstellen der Wortliste") + QStringLiteral(": ") + failure);
    return text;
}
