// bench_fulltext: how fast the full-text index of index mode 2 is built and searched, measured
// against an SQLite FTS5 index of the same text in the same run.
//
//   bench_fulltext <corpus folder> [--runs N] [--keep]
//
// The corpus is a folder of documents (scripts/make-fulltext-corpus.sh makes one from Debian
// documentation packages); every file below it whose extension the index reads by default is a
// document. In a temporary home the benchmark makes two archives with one catalogue entry per
// document and measures:
//
//   (a) RebuildIndex in index mode 2 over the entries that point at the corpus files, end to end;
//   extraction: the text of every file, one after the other, through the same converters
//       (TFtiWords::ReadFileText), written to text files;
//   (b) RebuildIndex in index mode 2 over the entries of the second archive, which point at those
//       text files: the same index without the conversions;
//   (c) an FTS5 table filled with the same text files in one transaction;
//   (d) extraction followed by (c);
//   prefix searches of one and two words: WordsToCondition ("AND") on the index of (a) against
//       the FTS5 queries '"w"*' and '"w1"* AND "w2"*' on the table of (c).

#include "BenchSupport.h"
#include "app/ProgramCore.h"
#include "fulltext/FtiSearch.h"
#include "fulltext/FtiThread.h"
#include "fulltext/FtiWords.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/db/SqlConnection.h"
#include "settings/ProgramSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {
using bench::print;
using bench::verdict;

constexpr double kTargetBuildRatio = 1.5; // (b) / (c)
constexpr int kDefaultRuns = 5; // timed runs of each search
constexpr int kSearches = 40; // of each kind

double seconds(const std::chrono::steady_clock::time_point& start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of this process (all its threads) and of its ended children (the converters).
double cpuSeconds()
{
    auto total = [](int who) {
        rusage usage{};
        getrusage(who, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    return total(RUSAGE_SELF) + total(RUSAGE_CHILDREN);
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Document
{
    QString path; // the corpus file
    QString text; // its extracted text file
    qint64 bytes = 0;
};

// Every file below the folder whose extension the index reads by default, sorted by path.
std::vector<Document> corpusFiles(const QString& folder)
{
    const QString types = ProgramSettings::kDefaultFtiFileTypes;
    QStringList paths;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString suffix = QFileInfo(path).suffix();
        if (!suffix.isEmpty() && types.contains(QLatin1Char('.') + suffix + QLatin1Char('.')))
            paths << path;
    }
    std::sort(paths.begin(), paths.end());
    std::vector<Document> documents;
    for (const QString& path : paths)
        documents.push_back({path, QString(), QFileInfo(path).size()});
    return documents;
}

// A copy of the template with one catalogue entry per document: name and project from the corpus
// file, the file name taken from pick.
void makeArchive(const QString& templ, const QString& path, const std::vector<Document>& documents,
    const QString& corpus, QString Document::*pick)
{
    if (!QFile::copy(templ, path))
        throw IoError(QStringLiteral("cannot copy %1 to %2").arg(templ, path));
    SqlConnection db;
    db.open(path);
    SqlTransaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM DOCUMENT"));
    auto insert = db.prepare(QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, DOCNO, NAME, PROJECT, CATEGORY, "
                                            "STATE, USERNAME, FILENAME, FAVORITE) VALUES (?,?,?,?,?,?,?,?,?,?)"));
    qint64 key = 0;
    for (const Document& document : documents) {
        ++key;
        const QFileInfo info(document.path);
        const QString relative = QDir(corpus).relativeFilePath(info.path());
        const QString type = QLatin1Char('.') + info.suffix().toLower();
        const QVariant values[] = {key, type, QString::number(key), info.completeBaseName().left(100),
            relative.left(100).replace(QLatin1Char('/'), QLatin1Char('\\')), QVariant(), QVariant(),
            QStringLiteral("bench"), document.*pick, QStringLiteral("F")};
        insert->reset();
        for (int k = 0; k < 10; ++k)
            insert->bind(k + 1, values[k]);
        insert->step();
    }
    insert.reset();
    transaction.commit();
}

struct IndexFigures
{
    double seconds = 0;
    qint64 entries = 0; // FTIWID rows
    qint64 words = 0; // FTIWORD rows
};

// Opens the archive as the program does and rebuilds its index in mode 2.
IndexFigures rebuild(ProgramCore& core, const QString& archive)
{
    core.openArchive(archive);
    core.dm().Settings.Cfg.FtiCreateMode = 2;
    const auto start = std::chrono::steady_clock::now();
    core.fulltext().RebuildIndex();
    IndexFigures figures;
    figures.seconds = seconds(start);
    SqlConnection& db = core.dm().AdoConnectDoc;
    figures.entries = db.scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWID")).toLongLong();
    figures.words = db.scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWORD")).toLongLong();
    return figures;
}

// The text of every document through the program's converters, one after the other, each
// written to a text file (pieces separated by a line break).
double extract(const TFtiWords& words, std::vector<Document>& documents, const QString& folder, qint64& textBytes)
{
    QDir().mkpath(folder);
    textBytes = 0;
    const auto start = std::chrono::steady_clock::now();
    int n = 0;
    for (Document& document : documents) {
        QByteArray text;
        words.ReadFileText(document.path, 0, [&](const QString& piece) {
            if (!text.isEmpty())
                text += '\n';
            text += piece.toUtf8();
        });
        document.text = folder + QStringLiteral("/%1.txt").arg(++n, 5, 10, QLatin1Char('0'));
        QFile out(document.text);
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
            throw IoError(QStringLiteral("cannot write %1").arg(document.text));
        textBytes += text.size();
    }
    return seconds(start);
}

// SQLite itself, without the program's connection class: the baseline.
class Fts5
{
public:
    explicit Fts5(const QString& path)
    {
        if (sqlite3_open(QFile::encodeName(path).constData(), &m_db) != SQLITE_OK)
            fail("open");
        run("PRAGMA journal_mode=WAL");
        run("PRAGMA synchronous=NORMAL");
        run("CREATE VIRTUAL TABLE fts USING fts5(body)");
    }
    ~Fts5()
    {
        sqlite3_finalize(m_query);
        sqlite3_close(m_db);
    }
    Fts5(const Fts5&) = delete;
    Fts5& operator=(const Fts5&) = delete;

    // Reads every text file and inserts it under its document key, in one transaction.
    double build(const std::vector<Document>& documents)
    {
        const auto start = std::chrono::steady_clock::now();
        run("BEGIN");
        sqlite3_stmt* insert = nullptr;
        if (sqlite3_prepare_v2(m_db, "INSERT INTO fts (rowid, body) VALUES (?, ?)", -1, &insert, nullptr) != SQLITE_OK)
            fail("prepare");
        qint64 key = 0;
        for (const Document& document : documents) {
            QFile in(document.text);
            if (!in.open(QIODevice::ReadOnly))
                throw IoError(QStringLiteral("cannot read %1").arg(document.text));
            const QByteArray text = in.readAll();
            sqlite3_reset(insert);
            sqlite3_bind_int64(insert, 1, ++key);
            sqlite3_bind_text(insert, 2, text.constData(), int(text.size()), SQLITE_STATIC);
            if (sqlite3_step(insert) != SQLITE_DONE) {
                sqlite3_finalize(insert);
                fail("insert");
            }
        }
        sqlite3_finalize(insert);
        run("COMMIT");
        return seconds(start);
    }

    // The document keys matching the query.
    std::vector<qint64> search(const QByteArray& match)
    {
        if (!m_query && sqlite3_prepare_v2(m_db, "SELECT rowid FROM fts WHERE fts MATCH ?", -1, &m_query, nullptr))
            fail("prepare");
        sqlite3_reset(m_query);
        sqlite3_bind_text(m_query, 1, match.constData(), int(match.size()), SQLITE_TRANSIENT);
        std::vector<qint64> keys;
        int rc = 0;
        while ((rc = sqlite3_step(m_query)) == SQLITE_ROW)
            keys.push_back(sqlite3_column_int64(m_query, 0));
        if (rc != SQLITE_DONE)
            fail("search");
        return keys;
    }

private:
    void run(const char* sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(sql);
    }
    [[noreturn]] void fail(const char* what) const
    {
        throw DbError(QStringLiteral("FTS5 %1: %2").arg(QLatin1String(what), QString::fromUtf8(sqlite3_errmsg(m_db))));
    }
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_query = nullptr;
};

// Prefixes to search for, taken from the stored words in a fixed way: every k-th word of at least
// seven letters, cut to its first four to six letters. Words holding the spellings the normal
// form gives to umlauts and ß are left out, because FTS5 keeps those letters apart.
QStringList searchPrefixes(SqlConnection& db, const TFtiWords& words, int count)
{
    QStringList candidates;
    auto statement = db.prepare(QStringLiteral("SELECT WORD FROM FTIWORD ORDER BY WORDID"));
    while (statement->step()) {
        const QString word = statement->value(0).toString();
        bool letters = word.size() >= 7;
        for (QChar c : word)
            letters = letters && c >= QLatin1Char('a') && c <= QLatin1Char('z');
        for (const char* pair : {"ae", "oe", "ue", "ss"})
            letters = letters && !word.contains(QLatin1String(pair));
        if (letters)
            candidates << word;
    }
    statement.reset();
    QStringList prefixes;
    const qsizetype step = std::max<qsizetype>(1, candidates.size() / count);
    for (qsizetype i = step / 2; i < candidates.size() && prefixes.size() < count; i += step) {
        const QString prefix = candidates[i].left(4 + int(i % 3));
        if (!prefixes.contains(prefix) && !words.IsStopWord(prefix))
            prefixes << prefix;
    }
    return prefixes;
}

struct SearchFigures
{
    double oursMs = 0; // median over the searches of the median of the runs
    double ftsMs = 0;
    double oursHits = 0; // documents found, summed over the searches
    double ftsHits = 0;
    int searches = 0;
};

SearchFigures measureSearches(
    ProgramCore& core, Fts5& fts, const std::vector<QStringList>& searches, int runs, QStringList& mismatches)
{
    SearchFigures figures;
    std::vector<double> ours;
    std::vector<double> theirs;
    SqlConnection& db = core.dm().AdoConnectDoc;
    TFtiWords& words = core.fulltext().Words();
    for (const QStringList& search : searches) {
        const QString typed = search.join(QLatin1Char(' '));
        QStringList parts;
        for (const QString& word : search)
            parts << QLatin1Char('"') + word + QStringLiteral("\"*");
        const QByteArray match = parts.join(QStringLiteral(" AND ")).toUtf8();
        std::vector<double> oursRuns;
        std::vector<double> theirRuns;
        QString condition;
        std::vector<qint64> keys;
        for (int run = 0; run <= runs; ++run) {
            // The first run of each warms the caches and is not counted.
            auto start = std::chrono::steady_clock::now();
            QStringList ignored;
            condition = WordsToCondition(db, PrepareSearchWords(words, typed, ignored), QStringLiteral("AND"));
            const double o = seconds(start) * 1000.0;
            start = std::chrono::steady_clock::now();
            keys = fts.search(match);
            const double t = seconds(start) * 1000.0;
            if (run > 0) {
                oursRuns.push_back(o);
                theirRuns.push_back(t);
            }
        }
        ours.push_back(median(oursRuns));
        theirs.push_back(median(theirRuns));
        const qsizetype found = condition == QLatin1String("DOCID=0") ? 0
            : condition.startsWith(QLatin1String("DOCID IN"))         ? condition.count(QLatin1Char(',')) + 1
                                                                      : 1;
        figures.oursHits += double(found);
        figures.ftsHits += double(keys.size());
        if (found != qsizetype(keys.size()))
            mismatches << QStringLiteral("%1: %2 / %3").arg(typed).arg(found).arg(keys.size());
    }
    figures.oursMs = median(ours);
    figures.ftsMs = median(theirs);
    figures.searches = int(searches.size());
    return figures;
}

int usage()
{
    print(QStringLiteral("usage: bench_fulltext <corpus folder> [--runs N] [--keep]\n"
                         "       (scripts/make-fulltext-corpus.sh makes a corpus)\n"));
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString corpus;
    int runs = kDefaultRuns;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--runs" && i + 1 < argc) {
            bool ok = false;
            runs = QByteArray(argv[++i]).toInt(&ok);
            if (!ok || runs < 1)
                return usage();
        } else if (arg == "--keep") {
            keep = true;
        } else if (!arg.startsWith("-") && corpus.isEmpty()) {
            corpus = QFileInfo(QFile::decodeName(arg)).absoluteFilePath();
        } else {
            return usage();
        }
    }
    if (corpus.isEmpty())
        return usage();
    if (!QFileInfo(corpus).isDir()) {
        print(QStringLiteral("bench_fulltext: %1 is not a folder\n").arg(corpus));
        return 1;
    }
    const QString programDir = bench::programFolder();
    const QString templ = programDir + QStringLiteral("/Default.mdb");
    if (!QFileInfo::exists(templ)) {
        print(QStringLiteral("bench_fulltext: %1 is missing; build doxarel_templates first\n").arg(templ));
        return 1;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        print(QStringLiteral("Note: pdftotext was not found on PATH, PDF files add no words "
                             "(scripts/install-deps.sh installs poppler-utils).\n\n"));

    std::vector<Document> documents = corpusFiles(corpus);
    if (documents.empty()) {
        print(QStringLiteral("bench_fulltext: %1 holds no documents (.txt, .htm, .html, .pdf, …)\n").arg(corpus));
        return 1;
    }
    const std::unique_ptr<QTemporaryDir> folder = bench::makeWorkFolder(QStringLiteral("bench_fulltext"), keep);
    if (!folder)
        return 1;
    const QTemporaryDir& work = *folder;
    const QString root = work.path() + QLatin1Char('/');

    qint64 corpusBytes = 0;
    int pdfs = 0;
    for (const Document& document : documents) {
        corpusBytes += document.bytes;
        pdfs += document.path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? 1 : 0;
    }
    const double mib = 1024.0 * 1024.0;
    print(QStringLiteral("Corpus %1: %2 files (%3 PDF), %4 MiB\n\n")
              .arg(corpus)
              .arg(documents.size())
              .arg(pdfs)
              .arg(double(corpusBytes) / mib, 0, 'f', 1));

    // Every file read once before the clock runs, so that all measurements find them in the page cache.
    for (const Document& document : documents) {
        QFile file(document.path);
        if (file.open(QIODevice::ReadOnly))
            while (!file.read(1 << 20).isEmpty()) { }
    }

    try {
        ScriptedDialogs dialogs;
        ProgramCore core(
            programDir, root + QStringLiteral("config/"), dialogs, QStringLiteral("bench"), QStringLiteral("bench"));
        core.loadSettings();
        core.dm().Settings.Cfg.FtiCreateMode = 2;

        // (a) end to end over the corpus files
        const QString archiveA = root + QStringLiteral("files.dva");
        makeArchive(templ, archiveA, documents, corpus, &Document::path);
        print(QStringLiteral("(a) rebuilding the index over the corpus files ...\n"));
        double cpu = cpuSeconds();
        const IndexFigures a = rebuild(core, archiveA);
        const double cpuA = cpuSeconds() - cpu;
        core.closeArchive();

        // extraction alone, then (b) over the text files
        qint64 textBytes = 0;
        print(QStringLiteral("    extracting the text, one file after the other ...\n"));
        cpu = cpuSeconds();
        const double extraction = extract(core.fulltext().Words(), documents, root + QStringLiteral("text"), textBytes);
        const double cpuExtraction = cpuSeconds() - cpu;
        const QString archiveB = root + QStringLiteral("text.dva");
        makeArchive(templ, archiveB, documents, corpus, &Document::text);
        print(QStringLiteral("(b) rebuilding the index over the extracted text ...\n"));
        cpu = cpuSeconds();
        const IndexFigures b = rebuild(core, archiveB);
        const double cpuB = cpuSeconds() - cpu;

        // (c) FTS5 over the same text files; (d) = extraction + (c)
        print(QStringLiteral("(c) building the FTS5 index of the extracted text ...\n"));
        Fts5 fts(root + QStringLiteral("fts5.db"));
        cpu = cpuSeconds();
        const double c = fts.build(documents);
        const double cpuC = cpuSeconds() - cpu;
        const double d = extraction + c;

        // searches on the index of (a)
        core.closeArchive();
        core.openArchive(archiveA);
        const QStringList prefixes = searchPrefixes(core.dm().AdoConnectDoc, core.fulltext().Words(), kSearches);
        std::vector<QStringList> single;
        std::vector<QStringList> pairs;
        for (qsizetype i = 0; i < prefixes.size(); ++i) {
            single.push_back({prefixes[i]});
            pairs.push_back({prefixes[i], prefixes[(i * 7 + 3) % prefixes.size()]});
        }
        if (prefixes.size() < 2)
            throw DxError(QStringLiteral("the index holds too few words to search for"));
        print(QStringLiteral("    searching, %1 runs per search ...\n\n").arg(runs));
        QStringList mismatches;
        const SearchFigures one = measureSearches(core, fts, single, runs, mismatches);
        const SearchFigures two = measureSearches(core, fts, pairs, runs, mismatches);
        core.closeArchive();

        print(QStringLiteral("Text extracted: %1 MiB; index (a): %2 entries for %3 words; (b): %4 entries for "
                             "%5 words\n\n")
                  .arg(double(textBytes) / mib, 0, 'f', 1)
                  .arg(a.entries)
                  .arg(a.words)
                  .arg(b.entries)
                  .arg(b.words));
        const auto line = [](const QString& label, double value, double processor) {
            print(
                QStringLiteral("%1 %2 s   cpu %3 s\n").arg(label, -46).arg(value, 8, 'f', 2).arg(processor, 7, 'f', 2));
        };
        print(QStringLiteral("%1 %2   %3\n")
                  .arg(QString(), -46)
                  .arg(QStringLiteral("wall clock"), 10)
                  .arg(QStringLiteral("processor, converters included")));
        line(QStringLiteral("(a) RebuildIndex over the corpus files"), a.seconds, cpuA);
        line(QStringLiteral("    extraction, one file after the other"), extraction, cpuExtraction);
        line(QStringLiteral("(b) RebuildIndex over the extracted text"), b.seconds, cpuB);
        line(QStringLiteral("(c) FTS5 index of the extracted text"), c, cpuC);
        line(QStringLiteral("(d) extraction + (c)"), d, cpuExtraction + cpuC);
        const auto searchLine = [](const QString& label, const SearchFigures& s) {
            print(QStringLiteral("%1 %2 ms   FTS5 %3 ms   (%4 searches; documents found %5 / FTS5 %6)\n")
                      .arg(label, -30)
                      .arg(s.oursMs, 8, 'f', 3)
                      .arg(s.ftsMs, 8, 'f', 3)
                      .arg(s.searches)
                      .arg(s.oursHits, 0, 'f', 0)
                      .arg(s.ftsHits, 0, 'f', 0));
        };
        print(QStringLiteral("\nmedian search time\n"));
        searchLine(QStringLiteral("  one word, WordsToCondition"), one);
        searchLine(QStringLiteral("  two words, WordsToCondition"), two);
        print(QStringLiteral("  (search counts differ where FTS5 splits words differently: digits, letters "
                             "beyond ä ö ü ß)\n\n"));

        const auto check = [](const QString& label, double ratio, double target) {
            print(QStringLiteral("%1 %2   target <= %3   %4\n")
                      .arg(label, -36)
                      .arg(ratio, 6, 'f', 2)
                      .arg(target, 0, 'f', 1)
                      .arg(verdict(ratio <= target)));
        };
        check(QStringLiteral("time ratio (a) / (d)"), a.seconds / d, 1.0);
        check(QStringLiteral("time ratio (b) / (c)"), b.seconds / c, kTargetBuildRatio);
        check(QStringLiteral("search ratio, one word"), one.oursMs / one.ftsMs, 1.0);
        check(QStringLiteral("search ratio, two words"), two.oursMs / two.ftsMs, 1.0);
        if (a.entries != b.entries || a.words != b.words)
            print(
                QStringLiteral("\nNote: the indexes of (a) and (b) differ by %1 entries and %2 words: the words of the "
                               "file names\n      (a catalogue field) differ.\n")
                    .arg(b.entries - a.entries)
                    .arg(b.words - a.words));
        if (!mismatches.isEmpty())
            print(QStringLiteral("\nSearches whose counts differ (index / FTS5): %1 of %2, for example %3\n")
                      .arg(mismatches.size())
                      .arg(one.searches + two.searches)
                      .arg(mismatches.mid(0, 3).join(QStringLiteral("; "))));
    } catch (const DxError& error) {
        print(QStringLiteral("bench_fulltext: %1\n").arg(error.message()));
        return 1;
    }
    if (keep)
        print(QStringLiteral("\nThe archives and the text are kept in %1\n").arg(work.path()));
    return 0;
}
