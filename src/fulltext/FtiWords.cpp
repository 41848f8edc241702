#include "FtiWords.h"

#include "archive/DataMod.h"
#include "archive/DocumentKind.h"
#include "archive/DocumentRecords.h"
#include "documents/TextConversion.h"
#include "mainwindow/dialogs/StandardMessages.h"
#include "platform/Errors.h"
#include "platform/TextCodec.h"
#include "platform/db/SqlConnection.h"
#include "platform/db/SqlRecordSet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QUuid>
#include <sqlite3.h>

#include <algorithm>

namespace {
inline bool isLetter(char16_t c)
{
    if (c < 0x80) {
        const char16_t lower = c | 0x20; // A–Z to a–z; no other character lands there
        return lower >= u'a' && lower <= u'z';
    }
    return c == u'Ä' || c == u'Ö' || c == u'Ü' || c == u'ß' || c == u'ä' || c == u'ö' || c == u'ü';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Only the characters a stored word may hold.
bool isNormalWord(const QString& word, bool ignoreDigits)
{
    for (QChar qc : word) {
        const char16_t c = qc.unicode();
        if (!((c >= u'a' && c <= u'z') || (!ignoreDigits && isDigit(c))))
            return false;
    }
    return true;
}

// A byte that may belong to a word: an ASCII letter or digit, or part of a character beyond ASCII.
bool isWordByte(char b)
{
    const auto u = static_cast<unsigned char>(b);
    return u >= 0x80 || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
}

const QString kInternal = QStringLiteral("(internes Dokument)");
} // namespace

// --- word list -------------------------------------------------------------------------------

bool TFtiWordList::add(const QString& word)
{
    const qsizetype before = m_set.size();
    m_set.insert(word);
    if (m_set.size() == before)
        return false;
    m_words.append(word);
    return true;
}

QString TFtiWordList::text() const
{
    QString text = QStringLiteral(".");
    for (const QString& word : m_words)
        text += word + QLatin1Char('.');
    return text;
}

// --- words -----------------------------------------------------------------------------------

TFtiWords::TFtiWords(TDModul& dm)
    : wait([](int ms) { QThread::msleep(ulong(ms)); })
    , m_dm(dm)
{
    SetWordCharacters(dm.Settings.Cfg.FtiIgnoreDigits);
}

void TFtiWords::SetWordCharacters(bool ignoreDigits)
{
    m_ignoreDigits = ignoreDigits;
}

bool TFtiWords::IsWordCharacter(QChar c) const
{
    return isLetter(c.unicode()) || (!m_ignoreDigits && isDigit(c.unicode()));
}

QString TFtiWords::NormalForm(const QString& word)
{
    QString form;
    form.reserve(word.size() + 4);
    for (QChar qc : word.toLower()) {
        switch (qc.unicode()) {
        case u'ä': form += QLatin1String("ae"); break;
        case u'ö': form += QLatin1String("oe"); break;
        case u'ü': form += QLatin1String("ue"); break;
        case u'ß': form += QLatin1String("ss"); break;
        default: form += qc;
        }
        if (form.size() >= kMaxWordLength)
            break;
    }
    form.truncate(kMaxWordLength);
    return form;
}

namespace {
// The normal form of a word of the text into form, which keeps its memory from one word to the
// next. Answers true when the form holds only the characters a stored word may hold: a word of
// ASCII letters and digits needs nothing but lower case.
bool normalFormInto(const QChar* word, qsizetype length, QString& form)
{
    bool ascii = true;
    for (qsizetype i = 0; i < length && ascii; ++i)
        ascii = word[i].unicode() < 0x80;
    if (!ascii) {
        form = TFtiWords::NormalForm(QString::fromRawData(word, length));
        return false;
    }
    const qsizetype size = std::min<qsizetype>(length, TFtiWords::kMaxWordLength);
    form.resize(size);
    QChar* out = form.data();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = word[i].unicode();
        out[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c);
    }
    return true;
}
} // namespace

void TFtiWords::SplitWords(const QString& text, TFtiWordList& list, QStringList* ignored) const
{
    // The setting may have changed since the last split.
    const bool ignoreDigits = m_dm.Settings.Cfg.FtiIgnoreDigits;
    const int minimum = m_dm.Settings.Cfg.FtiIgnoreLength;
    auto wordChar = [ignoreDigits](char16_t c) { return isLetter(c) || (!ignoreDigits && isDigit(c)); };
    const QChar* data = text.constData();
    const qsizetype size = text.size();
    EnsureStopWords();
    // Normal forms are in lower case already: the stop words are looked up as they are.
    QString form;
    qsizetype i = 0;
    while (i < size) {
        if (!wordChar(data[i].unicode())) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < size && wordChar(data[i].unicode()))
            ++i;
        const qsizetype length = i - start;
        if (!ignored && length < minimum)
            continue;
        // Word characters of ASCII are letters, and digits only when they are not ignored.
        const bool plain = normalFormInto(data + start, length, form);
        const bool added = form.size() >= minimum && !list.contains(form) && (plain || isNormalWord(form, ignoreDigits))
            && !m_stopWordSet.contains(form) && list.add(form);
        if (!added && ignored)
            ignored->append(QString(data + start, length));
    }
}

// --- stop words ------------------------------------------------------------------------------

void TFtiWords::LoadStopWords()
{
    m_stopWords.clear();
    m_stopWordSet.clear();
    m_stopWordsLoaded = true;
    const QString file = m_dm.StopWordFile();
    const QString source
        = QFileInfo(file).path() + QLatin1Char('/') + QFileInfo(file).completeBaseName() + QStringLiteral(".txt");
    // The list is made from its editable source when it is missing or older than the source.
    // When the program folder cannot be written, the list is made in the temporary folder.
    QString list = file;
    const QFileInfo sourceInfo(source);
    if (sourceInfo.exists()) {
        const QFileInfo listInfo(file);
        if (!listInfo.exists() || listInfo.lastModified() < sourceInfo.lastModified()) {
            const int length = m_dm.Settings.Cfg.FtiIgnoreLength;
            const bool digits = m_dm.Settings.Cfg.FtiIgnoreDigits;
            if (!BuildStopWordFile(source, file, length, digits)) {
                list = m_dm.TempFolder() + QStringLiteral("stopword.lst");
                BuildStopWordFile(source, list, length, digits);
            }
        }
    }
    QFile in(list);
    if (!in.open(QIODevice::ReadOnly))
        return;
    const QString text = TextCodec::decodeUtf8OrWindows1252(in.readAll());
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString word = line.trimmed().toLower();
        if (!word.isEmpty())
            m_stopWords << word;
    }
    std::sort(m_stopWords.begin(), m_stopWords.end());
    m_stopWordSet = QSet<QString>(m_stopWords.cbegin(), m_stopWords.cend());
}

void TFtiWords::EnsureStopWords() const
{
    if (!m_stopWordsLoaded)
        const_cast<TFtiWords*>(this)->LoadStopWords();
}

bool TFtiWords::IsStopWord(const QString& word) const
{
    EnsureStopWords();
    if (m_stopWordSet.contains(word))
        return true;
    const QString folded = word.toLower();
    return folded != word && m_stopWordSet.contains(folded);
}

bool TFtiWords::BuildStopWordFile(const QString& source, const QString& target, int ignoreLength, bool ignoreDigits)
{
    QFile in(source);
    QStringList lines;
    if (in.open(QIODevice::ReadOnly))
        lines = TextCodec::decodeUtf8OrWindows1252(in.readAll()).split(QLatin1Char('\n'));
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const QString word = NormalForm(lines[i].trimmed());
        if (word.size() < ignoreLength || word.isEmpty() || !isNormalWord(word, ignoreDigits))
            lines.removeAt(i);
        else
            lines[i] = word;
    }
    std::sort(lines.begin(), lines.end());
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + '\n';
    return out.write(bytes) == bytes.size() && out.flush();
}

// --- records and files -----------------------------------------------------------------------

bool TFtiWords::IsFileNotIndexable(const QString& fileName) const
{
    if (fileName == kInternal)
        return false;
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isFile())
        return true;
    const QString suffix = info.suffix();
    if (suffix.isEmpty())
        return true;
    return !m_dm.Settings.FtiFileTypes.contains(QLatin1Char('.') + suffix + QLatin1Char('.'), Qt::CaseSensitive);
}

void TFtiWords::CollectValueWords(const QString& fieldName, const QString& value, TFtiWordList& list) const
{
    if (value.isEmpty())
        return;
    SplitWords(value, list);
    if (fieldName.compare(QLatin1String("APPLNAME"), Qt::CaseInsensitive) == 0 && TypeCaption)
        SplitWords(TypeCaption(value), list);
}

void TFtiWords::CollectFieldWords(const SqlRecordSet& records, TFtiWordList& list) const
{
    DocumentRecords& rules = m_dm.Records();
    for (const SqlField& field : records.fields()) {
        if (!rules.IsIndexableField(field))
            continue;
        CollectValueWords(field.name, records.text(field.name), list);
    }
}

void TFtiWords::log(const QString& text) const
{
    try {
        m_dm.WriteLog(text);
    } catch (const IoError&) {
    }
}

// The file to read for a document: a converter's text file, or the file itself. Sets skip when
// no words of the file are to be added.
QString TFtiWords::convertedFile(const QString& fileName, bool& skip) const
{
    skip = false;
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("pdf")) {
        const QString program = TextConversion::converterProgram(QStringLiteral("pdftotext"));
        if (program.isEmpty()) {
            log(QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(QStringLiteral("pdftotext"))
                + QStringLiteral(". ")
                + QStringLiteral("%1 konnte zur Indexierung nicht in Textdatei konvertiert werden")
                      .arg(QStringLiteral("PDF")));
            skip = true;
            return {};
        }
        const QString target = QDir::tempPath() + QStringLiteral("/~")
            + QUuid::createUuid().toString(QUuid::Id128).left(12) + QStringLiteral(".tmp");
        QProcess process;
        process.setProgram(program);
        process.setArguments({QStringLiteral("-eol"), QStringLiteral("unix"), QStringLiteral("-enc"),
            QStringLiteral("UTF-8"), fileName, target});
        process.setWorkingDirectory(m_dm.ProgramFolder());
        process.start();
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished(5000);
        }
        if (!QFileInfo::exists(target)) {
            log(QStringLiteral("%1 konnte zur Indexierung nicht in Textdatei konvertiert werden").arg(fileName));
            skip = true;
            return {};
        }
        return target;
    }
    if (!m_dm.Settings.Cfg.OleToTxt)
        return fileName;
    const bool word = suffix == QLatin1String("doc") || suffix == QLatin1String("rtf");
    const bool excel = suffix == QLatin1String("xls");
    const bool msg = suffix == QLatin1String("msg");
    if (!word && !excel && !msg)
        return fileName;
    // The target's name is free when it is chosen; files read at the same time (a rebuild reads
    // ahead in several threads) are converted one after the other.
    static std::mutex converting;
    const std::lock_guard lock(converting);
    const QString base = m_dm.TempFolder() + QLatin1Char('~') + QFileInfo(fileName).completeBaseName();
    QString target = base + QStringLiteral(".tmp");
    for (int n = 1; QFileInfo::exists(target); ++n)
        target = base + QString::number(n) + QStringLiteral(".tmp");
    const bool ok = word ? WordToText(fileName, target)
                         : (excel ? ExcelToText(fileName, target) : OutlookMsgToText(fileName, target));
    if (ok)
        return target;
    QFile::remove(target);
    if (word)
        log(QStringLiteral("Word-Datei konnte zur Indexierung nicht in Textdatei konvertiert werden"));
    else
        log(QStringLiteral("%1 konnte zur Indexierung nicht in Textdatei konvertiert werden").arg(fileName));
    return fileName;
}

void TFtiWords::CollectFileWords(const QString& fileName, TFtiWordList& list, qint64 docKey) const
{
    ReadFileText(fileName, docKey, [&](const QString& piece) { splitPiece(piece, list); });
}

void TFtiWords::ReadFileText(
    const QString& fileName, qint64 docKey, const std::function<void(const QString& piece)>& take) const
{
    if (fileName == kInternal) {
        if (NoteText)
            take(NoteText(docKey));
        return;
    }
    bool skip = false;
    const QString path = convertedFile(fileName, skip);
    if (skip)
        return;
    const bool temporary = path != fileName && path.endsWith(QLatin1String(".tmp"));
    const bool html = IsHtmlFile(path);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        qint64 remaining = file.size();
        const qint64 limit = qint64(m_dm.Settings.Cfg.FtiMaxFileSize) * kPieceSize;
        if (limit >= 1 && limit < remaining)
            remaining = limit;
        bool first = true;
        while (remaining > 0) {
            QByteArray piece = file.read(std::min(remaining, kPieceSize));
            if (piece.isEmpty())
                break;
            remaining -= piece.size();
            // No word is cut between pieces, nor at the size limit (there by at most 1 KiB more).
            int beyond = 0;
            while (isWordByte(piece.back()) && (remaining > 0 || beyond < 1024)) {
                char c = 0;
                if (!file.getChar(&c))
                    break;
                piece.append(c);
                if (remaining > 0)
                    --remaining;
                else
                    ++beyond;
            }
            if (first && TextCodec::hasUtf8Bom(piece))
                piece = TextCodec::withoutUtf8Bom(piece);
            first = false;
            QString text = TextCodec::decodeUtf8OrWindows1252(piece);
            if (html)
                text = HtmlToText(text, true);
            take(text);
        }
    }
    if (temporary)
        QFile::remove(path);
}

// --- store -----------------------------------------------------------------------------------

namespace {
QString quoted(const QString& text, QChar quote)
{
    QString result = text;
    result.replace(quote, QString(2, quote));
    return quote + result + quote;
}
} // namespace

void TFtiWords::AddWordToDocument(
    SqlConnection& connection, const QString& word, qint64 docKey, bool quiet, bool /*additive*/)
{
    ++ProgressCounter;
    if (!quiet && ShowProgress)
        ShowProgress();
    const QChar q = m_dm.Settings.QuoteChar;
    auto failure = [&](const DxError& error, const QString& sql) -> QString {
        return error.message() + QStringLiteral(", DocID=") + QString::number(docKey) + QStringLiteral(", Wort=") + word
            + QStringLiteral(", SQL.Text=") + sql;
    };
    qint64 key = 0;
    const QString lookup = QStringLiteral("SELECT WORDID FROM FTIWORD\nWHERE WORD = ") + quoted(word, q);
    try {
        const QVariant found = connection.scalar(QStringLiteral("SELECT WORDID FROM FTIWORD WHERE WORD = ?"), {word});
        key = found.isNull() ? 0 : found.toLongLong();
    } catch (const DxError& error) {
        log(failure(error, lookup));
        return;
    }
    if (key <= 0) {
        key = NewWordKey(connection);
        if (key == -1) {
            log(QStringLiteral("Wort %1 konnte für Dokument %2 nicht indexiert werden.").arg(word).arg(docKey));
            return;
        }
        try {
            connection.execute(QStringLiteral("INSERT INTO FTIWORD (WORD,WORDID) VALUES (?,?)"), {word, key});
        } catch (const DxError& error) {
            log(failure(error,
                QStringLiteral("INSERT INTO FTIWORD\n(WORD,WORDID)\nVALUES (") + quoted(word, q) + QLatin1Char(',')
                    + QString::number(key) + QLatin1Char(')')));
        }
    }
    try {
        connection.execute(QStringLiteral("INSERT INTO FTIWID (WORDID,DOCID) VALUES (?,?)"), {key, docKey});
    } catch (const DxError& error) {
        log(failure(error,
            QStringLiteral("INSERT INTO FTIWID\n(WORDID,DOCID)\nVALUES (") + QString::number(key) + QLatin1Char(',')
                + QString::number(docKey) + QLatin1Char(')')));
    }
}

void TFtiWords::RemoveWordFromDocument(SqlConnection& connection, qint64 docKey, const QString& word)
{
    qint64 key = 0;
    QString sql;
    try {
        const QVariant found = connection.scalar(QStringLiteral("SELECT WORDID FROM FTIWORD WHERE WORD = ?"), {word});
        key = found.isNull() ? 0 : found.toLongLong();
        sql = QStringLiteral("DELETE FROM FTIWID\nWHERE WORDID=") + QString::number(key) + QStringLiteral(" AND DOCID=")
            + QString::number(docKey);
        connection.execute(QStringLiteral("DELETE FROM FTIWID WHERE WORDID=? AND DOCID=?"), {key, docKey});
    } catch (const DxError& error) {
        log(error.message() + QStringLiteral(", deleting \"") + word + QStringLiteral("\", DocID=")
            + QString::number(docKey) + QStringLiteral(", from table FTIWID, SQL.Text=") + sql);
    }
}

void TFtiWords::RemoveAllWordsOfDocument(SqlConnection& connection, qint64 docKey)
{
    const QString sql = QStringLiteral("DELETE FROM FTIWID\nWHERE DocID=") + QString::number(docKey);
    try {
        connection.execute(QStringLiteral("DELETE FROM FTIWID WHERE DocID=?"), {docKey});
    } catch (const DxError& error) {
        log(error.message() + QStringLiteral(", deleting all DocID=") + QString::number(docKey)
            + QStringLiteral(", from table FTIWID, SQL.Text=") + sql);
    }
}

qint64 TFtiWords::NewWordKeys(SqlConnection& connection, qint64 count)
{
    return m_dm.Settings.Cfg.MultiUserAccess ? multiUserKey(connection, count) : singleUserKey(connection, count);
}

qint64 TFtiWords::singleUserKey(SqlConnection& connection, qint64 count)
{
    std::lock_guard lock(m_keyMutex);
    // Read once per run; another archive may hold larger keys already, so its largest key is
    // taken into account when the archive changes.
    if (m_wordCounter < 0 || m_counterArchive != connection.path()) {
        const QVariant max = connection.scalar(QStringLiteral("SELECT MAX(WORDID) FROM FTIWORD"));
        m_wordCounter = std::max(m_wordCounter, max.isNull() ? qint64(0) : max.toLongLong());
        m_counterArchive = connection.path();
    }
    const qint64 first = m_wordCounter + 1;
    m_wordCounter += count;
    return first;
}

qint64 TFtiWords::multiUserKey(SqlConnection& connection, qint64 count)
{
    const QString counter = QStringLiteral("FTIWORDID");
    int lockFailures = 0;
    int askedAt = 0;
    for (;;) {
        // Taking the write lock is the "edit" of the counter row; it is retried and, after 100
        // failures, the user is asked.
        try {
            connection.beginTransaction(true);
        } catch (const DbError& error) {
            ++lockFailures;
            if (lockFailures - askedAt > 100) {
                if (AskKeyValueRetry(m_dm.dialogs(), counter, error.message()) != Dialogs::Retry)
                    throw;
                askedAt = lockFailures;
            } else {
                wait(150);
            }
            continue;
        }
        qint64 key = 1;
        qint64 next = 2;
        int attempts = 0;
        QString lastError;
        for (; attempts < 100; ++attempts) {
            try {
                const QVariant current
                    = connection.scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = ?"), {counter});
                key = current.isNull() ? 1 : current.toLongLong();
                next = key + count;
                connection.execute(current.isNull()
                        ? QStringLiteral("INSERT INTO IDENTNO (NEXTID, IDNAME) VALUES (?, ?)")
                        : QStringLiteral("UPDATE IDENTNO SET NEXTID = ? WHERE IDNAME = ?"),
                    {next, counter});
                connection.commit();
                break;
            } catch (const DbError& error) {
                lastError = error.message();
                if (connection.transactionDepth() == 0)
                    connection.beginTransaction(true);
                wait(150);
            }
        }
        if (attempts >= 100) {
            if (connection.transactionDepth() > 0)
                connection.rollback();
            m_dm.ShowErrorAndLog(QStringLiteral("Fehler beim Speichern von \"%1\" in Tabelle \"%2\".")
                                     .arg(counter, QStringLiteral("IDENTNO"))
                + QStringLiteral(" (NEXTID=") + QString::number(next) + QLatin1Char(')'));
            return -1;
        }
        if (attempts > 0)
            log(QStringLiteral("Speichern von \"%1\" in Tabelle \"%2\" war erst beim %3ten Versuch erfolgreich.")
                    .arg(counter, QStringLiteral("IDENTNO"))
                    .arg(attempts + 1)
                + QStringLiteral(" (NEXTID=") + QString::number(next) + QLatin1Char(')'));
        return key;
    }
}

// --- the store of a rebuild ------------------------------------------------------------------

TFtiBulkStore::TFtiBulkStore(TFtiWords& words, SqlConnection& connection)
    : m_words(words)
    , m_connection(connection)
{
}

void TFtiBulkStore::add(const TFtiWordList& list, qint64 docKey, const TFtiWordList* added)
{
    for (const QString& word : list.words()) {
        if (added && added->contains(word))
            continue;
        ++m_words.ProgressCounter;
        if (m_words.ShowProgress)
            m_words.ShowProgress();
        auto it = m_ids.constFind(word);
        if (it == m_ids.cend()) {
            it = m_ids.insert(word, int(m_list.size()));
            m_list.push_back({word, 0, docKey});
            m_new.push_back(*it);
        }
        m_rows.emplace_back(*it, docKey);
    }
}

void TFtiBulkStore::addFileTime(qint64 docKey, double time)
{
    m_times.emplace_back(docKey, time);
}

namespace {
constexpr int kFlushCacheKiB = 256 * 1024;
constexpr size_t kRowsPerStatement = 250;

// The connection's page cache set to a size for the scope.
class CacheSize
{
public:
    CacheSize(SqlConnection& connection, int kibibytes)
        : m_connection(connection)
    {
        try {
            m_before = m_connection.scalar(QStringLiteral("PRAGMA cache_size"));
            m_connection.executeNative(QStringLiteral("PRAGMA cache_size=-%1").arg(kibibytes));
        } catch (const DxError&) {
            m_before = QVariant();
        }
    }
    ~CacheSize()
    {
        if (m_before.isNull())
            return;
        try {
            m_connection.executeNative(QStringLiteral("PRAGMA cache_size=%1").arg(m_before.toLongLong()));
        } catch (const DxError&) {
        }
    }
    CacheSize(const CacheSize&) = delete;
    CacheSize& operator=(const CacheSize&) = delete;

private:
    SqlConnection& m_connection;
    QVariant m_before;
};

QString storeFailure(const DxError& error, qint64 docKey, const QString& word, const QString& sql)
{
    return error.message() + QStringLiteral(", DocID=") + QString::number(docKey) + QStringLiteral(", Wort=") + word
        + QStringLiteral(", SQL.Text=") + sql;
}
} // namespace

// Gives the new words their keys and writes them; answers how many got none.
qint64 TFtiBulkStore::storeNewWords()
{
    if (m_new.empty())
        return 0;
    const qint64 first = m_words.NewWordKeys(m_connection, qint64(m_new.size()));
    if (first == -1) {
        for (int id : m_new)
            m_words.log(QStringLiteral("Wort %1 konnte für Dokument %2 nicht indexiert werden.")
                            .arg(m_list[size_t(id)].text)
                            .arg(m_list[size_t(id)].firstDocument));
        const qint64 lost = qint64(m_new.size());
        m_new.clear();
        return lost;
    }
    for (size_t i = 0; i < m_new.size(); ++i)
        m_list[size_t(m_new[i])].key = first + qint64(i);
    std::vector<int> sorted = m_new;
    std::sort(
        sorted.begin(), sorted.end(), [this](int a, int b) { return m_list[size_t(a)].text < m_list[size_t(b)].text; });
    const QChar q = m_words.m_dm.Settings.QuoteChar;
    auto insert = m_connection.prepare(QStringLiteral("INSERT INTO FTIWORD (WORD,WORDID) VALUES (?,?)"));
    sqlite3_stmt* statement = insert->handle();
    auto insertWord = [&](int id) {
        Word& word = m_list[size_t(id)];
        try {
            const QByteArray text = word.text.toUtf8();
            sqlite3_reset(statement);
            sqlite3_bind_text(statement, 1, text.constData(), int(text.size()), SQLITE_STATIC);
            sqlite3_bind_int64(statement, 2, word.key);
            insert->step();
        } catch (const DxError& error) {
            // Stored meanwhile through another connection: its key is taken.
            QVariant found;
            try {
                found = m_connection.scalar(QStringLiteral("SELECT WORDID FROM FTIWORD WHERE WORD = ?"), {word.text});
            } catch (const DxError&) {
            }
            if (!found.isNull() && found.toLongLong() > 0) {
                word.key = found.toLongLong();
                return;
            }
            m_words.log(storeFailure(error, word.firstDocument, word.text,
                QStringLiteral("INSERT INTO FTIWORD\n(WORD,WORDID)\nVALUES (") + quoted(word.text, q) + QLatin1Char(',')
                    + QString::number(word.key) + QLatin1Char(')')));
        }
    };
    // Blocks of words in one statement; a block that fails is written again word by word.
    QString blockSql = QStringLiteral("INSERT INTO \"FTIWORD\" (\"WORD\",\"WORDID\") VALUES (?,?)");
    for (size_t i = 1; i < kRowsPerStatement; ++i)
        blockSql += QStringLiteral(",(?,?)");
    SqlStatement block(m_connection.handle(), blockSql);
    sqlite3_stmt* blockStatement = block.handle();
    std::vector<QByteArray> texts(kRowsPerStatement);
    size_t done = 0;
    for (; done + kRowsPerStatement <= sorted.size(); done += kRowsPerStatement) {
        sqlite3_reset(blockStatement);
        for (size_t i = 0; i < kRowsPerStatement; ++i) {
            const Word& word = m_list[size_t(sorted[done + i])];
            texts[i] = word.text.toUtf8();
            sqlite3_bind_text(
                blockStatement, int(2 * i + 1), texts[i].constData(), int(texts[i].size()), SQLITE_STATIC);
            sqlite3_bind_int64(blockStatement, int(2 * i + 2), word.key);
        }
        if (sqlite3_step(blockStatement) != SQLITE_DONE) {
            sqlite3_reset(blockStatement);
            for (size_t i = 0; i < kRowsPerStatement; ++i)
                insertWord(sorted[done + i]);
        }
    }
    for (; done < sorted.size(); ++done)
        insertWord(sorted[done]);
    m_new.clear();
    return 0;
}

void TFtiBulkStore::flush()
{
    if (m_rows.empty() && m_new.empty() && m_times.empty())
        return;
    // The pages written stay in memory until the commit instead of being spilled one by one.
    CacheSize cache(m_connection, kFlushCacheKiB);
    SqlTransaction transaction(m_connection, true);
    storeNewWords();
    std::vector<std::pair<qint64, qint64>> rows; // word key, document key
    rows.reserve(m_rows.size());
    for (const auto& [id, docKey] : m_rows) {
        const qint64 key = m_list[size_t(id)].key;
        if (key > 0)
            rows.emplace_back(key, docKey);
    }
    std::sort(rows.begin(), rows.end());
    std::vector<std::pair<int, qint64>>().swap(m_rows);
    QHash<qint64, int> byKey; // for the log only: the word of a key
    auto insert = m_connection.prepare(QStringLiteral("INSERT INTO FTIWID (WORDID,DOCID) VALUES (?,?)"));
    sqlite3_stmt* statement = insert->handle();
    auto insertRow = [&](qint64 key, qint64 docKey) {
        try {
            sqlite3_reset(statement);
            sqlite3_bind_int64(statement, 1, key);
            sqlite3_bind_int64(statement, 2, docKey);
            insert->step();
        } catch (const DxError& error) {
            if (byKey.isEmpty())
                for (size_t i = 0; i < m_list.size(); ++i)
                    byKey.insert(m_list[i].key, int(i));
            m_words.log(storeFailure(error, docKey, m_list[size_t(byKey.value(key))].text,
                QStringLiteral("INSERT INTO FTIWID\n(WORDID,DOCID)\nVALUES (") + QString::number(key) + QLatin1Char(',')
                    + QString::number(docKey) + QLatin1Char(')')));
        }
    };
    // Whole blocks of rows in one statement; a block that fails (a row was there already) is
    // written again row by row, so that each failing row is logged.
    QString blockSql = QStringLiteral("INSERT INTO \"FTIWID\" (\"WORDID\",\"DOCID\") VALUES (?,?)");
    for (size_t i = 1; i < kRowsPerStatement; ++i)
        blockSql += QStringLiteral(",(?,?)");
    SqlStatement block(m_connection.handle(), blockSql);
    sqlite3_stmt* blockStatement = block.handle();
    size_t done = 0;
    for (; done + kRowsPerStatement <= rows.size(); done += kRowsPerStatement) {
        sqlite3_reset(blockStatement);
        for (size_t i = 0; i < kRowsPerStatement; ++i) {
            sqlite3_bind_int64(blockStatement, int(2 * i + 1), rows[done + i].first);
            sqlite3_bind_int64(blockStatement, int(2 * i + 2), rows[done + i].second);
        }
        if (sqlite3_step(blockStatement) != SQLITE_DONE) {
            sqlite3_reset(blockStatement);
            for (size_t i = 0; i < kRowsPerStatement; ++i)
                insertRow(rows[done + i].first, rows[done + i].second);
        }
    }
    for (; done < rows.size(); ++done)
        insertRow(rows[done].first, rows[done].second);
    insert.reset();
    for (const auto& [docKey, time] : m_times) {
        try {
            m_connection.execute(QStringLiteral("UPDATE DOCUMENT SET FTIUPDATE = ? WHERE DOCID = ?"), {time, docKey});
        } catch (const DxError& error) {
            m_words.m_dm.ShowErrorAndLog(QStringLiteral("Fehler beim Speichern von \"%1\" in Tabelle \"%2\".")
                                             .arg(QStringLiteral("FTIUPDATE"), QStringLiteral("DOCUMENT"))
                + QLatin1Char('\n') + error.message());
        }
    }
    m_times.clear();
    transaction.commit();
}
