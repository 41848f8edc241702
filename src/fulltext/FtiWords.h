#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

class SqlConnection;
class SqlRecordSet;
class TDModul;

// The words collected for one document: each distinct normal form once, in the order found. Its
// text form begins with "." and has each word followed by ".": ".haus.garten.".
class TFtiWordList
{
public:
    bool contains(const QString& word) const { return m_set.contains(word); }
    bool add(const QString& word); // false when it is there already
    const QStringList& words() const { return m_words; }
    bool isEmpty() const { return m_words.isEmpty(); }
    qsizetype size() const { return m_words.size(); }
    QString text() const;

private:
    QStringList m_words;
    QSet<QString> m_set;
};

// What a word is, how the words of a record and of its file are found, and the store operations
// on FTIWORD and FTIWID. The store operations take the connection to work on, so that the index
// thread uses its own; they may run in that thread while the main thread splits words.
class TFtiWords
{
public:
    static constexpr int kMaxWordLength = 30;
    static constexpr qint64 kPieceSize = 1024 * 1024;

    explicit TFtiWords(TDModul& dm);

    // --- words
    void SetWordCharacters(bool ignoreDigits);
    bool IsWordCharacter(QChar c) const;
    // Lower case, ä ö ü ß as ae oe ue ss, at most 30 characters.
    static QString NormalForm(const QString& word);
    // Adds the words of the text; with an ignored list every word not added is appended to it as
    // it was written.
    void SplitWords(const QString& text, TFtiWordList& list, QStringList* ignored = nullptr) const;

    // --- stop words
    void LoadStopWords();
    bool IsStopWord(const QString& word) const;
    // Loads the stop words unless that was done: afterwards words may be split in several
    // threads at once.
    void EnsureStopWords() const;
    const QStringList& StopWords() const { return m_stopWords; }
    // Writes the stop-word file from its editable source list: every line trimmed, normalised,
    // dropped when shorter than the minimum length or holding a character words may not hold;
    // sorted. Answers false when the target cannot be written.
    static bool BuildStopWordFile(const QString& source, const QString& target, int ignoreLength, bool ignoreDigits);

    // --- records and files
    bool IsFileNotIndexable(const QString& fileName) const;
    void CollectFieldWords(const SqlRecordSet& records, TFtiWordList& list) const;
    // The words of one field value (APPLNAME: with the type's caption).
    void CollectValueWords(const QString& fieldName, const QString& value, TFtiWordList& list) const;
    // The words of the document's file contents (a note's text for "(internes Dokument)").
    void CollectFileWords(const QString& fileName, TFtiWordList& list, qint64 docKey) const;
    // The text CollectFileWords splits, handed over piece by piece: the converted file, at most
    // FtiMaxFileSize megabytes in pieces of 1 MiB that cut no word, HTML reduced to its text; a
    // note's plain text. Nothing when no words of the file are to be added.
    void ReadFileText(
        const QString& fileName, qint64 docKey, const std::function<void(const QString& piece)>& take) const;

    // The caption of a document type key (the key when there is no such type).
    std::function<QString(const QString& key)> TypeCaption;
    // The plain text of a stored note; empty when there is none.
    std::function<QString(qint64 docKey)> NoteText;

    // --- store
    void AddWordToDocument(SqlConnection& connection, const QString& word, qint64 docKey, bool quiet, bool additive);
    void RemoveWordFromDocument(SqlConnection& connection, qint64 docKey, const QString& word);
    void RemoveAllWordsOfDocument(SqlConnection& connection, qint64 docKey);
    // A key for a new word, -1 when none could be taken.
    qint64 NewWordKey(SqlConnection& connection) { return NewWordKeys(connection, 1); }
    // The first of count consecutive new keys, taken from the counter at once; -1 when none could
    // be taken.
    qint64 NewWordKeys(SqlConnection& connection, qint64 count);

    // Words handed to AddWordToDocument since the current document's indexing began.
    std::atomic<int> ProgressCounter{0};
    // Called (not quiet) after each word, for the rebuild's progress text.
    std::function<void()> ShowProgress;
    // How a failed key attempt waits; 150 ms by default.
    std::function<void(int milliseconds)> wait;

private:
    friend class TFtiBulkStore;
    void log(const QString& text) const;
    qint64 multiUserKey(SqlConnection& connection, qint64 count);
    qint64 singleUserKey(SqlConnection& connection, qint64 count);
    void splitPiece(const QString& text, TFtiWordList& list) const { SplitWords(text, list, nullptr); }
    QString convertedFile(const QString& fileName, bool& skip) const;

    TDModul& m_dm;
    bool m_ignoreDigits = true;
    mutable QStringList m_stopWords; // sorted
    mutable QSet<QString> m_stopWordSet; // the same, for the lookup
    mutable bool m_stopWordsLoaded = false;
    std::mutex m_keyMutex;
    qint64 m_wordCounter = -1; // single-user: the last key handed out
    QString m_counterArchive;
};

// The store of a whole-index rebuild. The words of many documents are collected in memory and
// written together: the new words sorted into FTIWORD, their keys taken from the counter as one
// block in the order the words were first found, then the rows sorted into FTIWID, so that both
// tables grow along their keys. A word that another connection stored meanwhile keeps its key.
// Failing statements are logged as AddWordToDocument logs them, and writing goes on.
class TFtiBulkStore
{
public:
    TFtiBulkStore(TFtiWords& words, SqlConnection& connection);

    // The words of a document, without those of added (its words handed over already); each is
    // counted as AddWordToDocument counts it (not quiet).
    void add(const TFtiWordList& list, qint64 docKey, const TFtiWordList* added = nullptr);
    // The modification time of a document's file, written to FTIUPDATE with its words.
    void addFileTime(qint64 docKey, double time);
    // Rows collected and not yet written.
    size_t pending() const { return m_rows.size(); }
    // Writes what was collected, in one transaction.
    void flush();

private:
    struct Word
    {
        QString text;
        qint64 key = 0; // 0 until stored
        qint64 firstDocument = 0;
    };
    qint64 storeNewWords();

    TFtiWords& m_words;
    SqlConnection& m_connection;
    QHash<QString, int> m_ids; // every word met, to its position in m_list
    std::vector<Word> m_list;
    std::vector<int> m_new; // positions of the words not yet stored, in the order found
    std::vector<std::pair<int, qint64>> m_rows; // word position, document key
    std::vector<std::pair<qint64, double>> m_times;
};
