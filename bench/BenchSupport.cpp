// What the benchmarks share: the generated catalogue, running a command as a measured child
// process, and a temporary home.

#include "BenchSupport.h"

#include "platform/Errors.h"
#include "platform/db/SqlConnection.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QVariant>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace bench {
namespace {
constexpr quint64 kSeed = 20040815;

// SplitMix64: the same sequence on every machine and library, so every run builds the same archive.
class Random
{
public:
    explicit Random(quint64 seed)
        : m_state(seed)
    {
    }
    quint64 next()
    {
        quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <size_t N>
    QString pick(const char* const (&items)[N])
    {
        return QString::fromUtf8(items[below(int(N))]);
    }

private:
    quint64 m_state;
};

// --- The catalogue's content ----------------------------------------------------------------

struct DocumentType
{
    const char* key;
    int weight;
};
const DocumentType kTypes[]
    = {{".pdf", 30}, {".doc", 20}, {"email", 15}, {".txt", 10}, {".xls", 10}, {"vxtext", 10}, {"url", 5}};

const char* const kFirms[] = {"Müller GmbH", "Meier & Söhne", "Schäfer KG", "Weiß Bau AG", "Böhm Elektro",
    "Krüger Immobilien", "Hoffmann Steuerberatung", "Schröder Druck", "Bäckerei Groß", "Jäger IT-Service",
    "Fuchs Versicherungen", "Koch & Partner", "Stadtwerke Düsseldorf", "Finanzamt München", "Praxis Dr. Öztürk",
    "Autohaus Lührs", "Gärtnerei Blümel", "Sanitär Köster"};
const char* const kCustomers[] = {"Meier", "Müller", "Schäfer", "Wagner", "Becker", "Schulz", "Köhler", "Lößner",
    "Hübner", "Zimmermann", "Weißenborn", "Dietrich"};
const char* const kThings[] = {"Büroausstattung", "Wartung Heizung", "Kfz-Versicherung", "Dachsanierung",
    "Softwarelizenzen", "Straßenreinigung", "Gebäudeversicherung", "Telefonanlage", "Fußbodenbelag", "Schließanlage",
    "Büromöbel", "Umzug Lager", "Druckerpatronen", "Glasfaseranschluss"};
const char* const kPeople[] = {"Frau Schäfer", "Herr Müller", "Frau Dr. Brückner", "Herr Özdemir", "Frau Groß",
    "Herr Jürgens", "Frau Weiß", "Herr Köhler"};
const char* const kCategories[] = {"Rechnung", "Angebot", "Korrespondenz", "Vertrag", "Protokoll", "Bestellung",
    "Lieferschein", "Steuer", "Versicherung", "Mahnung", "Notiz"};
const char* const kStates[] = {"offen", "in Bearbeitung", "erledigt", "abgelegt", "Wiedervorlage", "storniert"};
const char* const kUsers[] = {"anna", "bernd", "claudia", "juergen", "thomas", "mschroeder", "sekretariat"};
const char* const kPrivate[] = {"Steuer", "Versicherungen", "Auto", "Wohnung", "Gesundheit"};
const char* const kProjects[] = {"Umbau Bürogebäude", "Webauftritt", "Messe Köln", "Jahresabschluss", "Umzug Süd"};
const char* const kPhases[] = {"Planung", "Angebote", "Abrechnung", "Fotos", "Schriftverkehr"};
const char* const kOffice[]
    = {"Personal\\Urlaubsanträge", "Buchhaltung\\Belege", "Fuhrpark", "Post\\Eingang", "Verträge\\Miete"};
const char* const kTemplates[] = {"Brief.doc", "Rechnung.xls", "Protokoll.doc", "Notiz.txt", "Geschäftsbrief.doc"};
const char* const kSenders[] = {"k.mueller@mueller-gmbh.de", "info@schaefer-kg.de", "buero@weiss-bau.de",
    "j.koehler@example.org", "service@stadtwerke-dus.de", "anna.lange@web.de", "post@finanzamt.bayern"};
const char* const kRemarks[]
    = {"Zahlung angemahnt", "An Buchhaltung weitergeleitet", "Rückruf erbeten", "Original an Kunden zurück",
        "Geprüft und abgelegt", "Wiedervorlage in 14 Tagen", "Änderungen eingearbeitet", "Übergabe an Herrn Jürgens"};
const char* const kLinkNames[] = {"Fahrplanauskunft Köln–München", "Öffnungszeiten Bürgerbüro", "Wetterbericht Nordsee",
    "Förderprogramm Wärmedämmung", "Handbuch Telefonanlage", "Straßenverkehrsamt Termine"};
const char* const kLinks[] = {"https://www.bahn.de/fahrplan?von=K%C3%B6ln&nach=M%C3%BCnchen",
    "https://www.stadt-beispiel.de/buergerbuero/oeffnungszeiten.html", "https://wetter.example.de/nordsee",
    "https://www.foerderung.example.de/waermedaemmung", "https://support.example.com/handbuch/tk-anlage.pdf",
    "https://www.strassenverkehrsamt.example.de/termine"};
const char* const kSentences[]
    = {"Bitte bis Ende des Monats überweisen.", "Rückfrage bei Frau Schäfer wegen der Lieferadresse.",
        "Die Unterlagen wurden per Post an die Geschäftsstelle geschickt.",
        "Termin für die Übergabe: Donnerstag, 14:30 Uhr.", "Skonto 2 % bei Zahlung innerhalb von 10 Tagen.",
        "Größe der Räume laut Grundriss prüfen.", "Änderungen im Vertrag sind gelb markiert.",
        "Kostenvoranschlag liegt bei, Mehrwertsteuer ausgewiesen.", "Herr Müller ist ab 3. Mai wieder im Büro.",
        "Ablage im Ordner »Verträge« – Original im Tresor.", "Überweisung erfolgt, Beleg Nr. 4711.",
        "Straße und Hausnummer wurden korrigiert.", "Außendienst informiert, Rückmeldung steht noch aus.",
        "Mängelliste: Fenster im Erdgeschoss schließt nicht, Türdichtung fehlt.",
        "Preis je Stück 12,50 €; Lieferung frei Haus.", "Position\tMenge\tPreis", "Miete\t850,00 €\tfällig zum 3.",
        "Pfad der Sicherung: C:\\Daten\\Büro\\Backup", "Grüße an das ganze Team!"};
const char* const kSeparators[]
    = {" ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", "\n", "\n", "\n", "\r\n", "\n\n", "\t"};

int dayNumber(const QDate& date)
{
    return int(date.toJulianDay() - QDate(1899, 12, 30).toJulianDay());
}

QString documentType(Random& random)
{
    int total = 0;
    for (const DocumentType& type : kTypes)
        total += type.weight;
    int roll = random.below(total);
    for (const DocumentType& type : kTypes) {
        if (roll < type.weight)
            return QString::fromUtf8(type.key);
        roll -= type.weight;
    }
    return QString::fromUtf8(kTypes[0].key);
}

QString documentName(Random& random, const QString& category, int year, int number, const QString& firm)
{
    const QString no = QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
    if (category == QLatin1String("Rechnung"))
        return QStringLiteral("Rechnung %1-%2 %3").arg(year).arg(no, firm);
    if (category == QLatin1String("Angebot"))
        return QStringLiteral("Angebot %1 %2").arg(random.pick(kThings), firm);
    if (category == QLatin1String("Mahnung"))
        return QStringLiteral("Mahnung zu Rechnung %1-%2 %3").arg(year).arg(no, firm);
    if (category == QLatin1String("Korrespondenz"))
        return QStringLiteral("Brief an %1 wegen %2").arg(firm, random.pick(kThings));
    if (category == QLatin1String("Vertrag"))
        return QStringLiteral("Vertrag %1 %2").arg(random.pick(kThings), firm);
    if (category == QLatin1String("Protokoll"))
        return QStringLiteral("Protokoll Besprechung %1.%2.%3")
            .arg(random.between(1, 28), 2, 10, QLatin1Char('0'))
            .arg(random.between(1, 12), 2, 10, QLatin1Char('0'))
            .arg(year);
    if (category == QLatin1String("Bestellung"))
        return QStringLiteral("Bestellung %1 bei %2").arg(random.pick(kThings), firm);
    if (category == QLatin1String("Lieferschein"))
        return QStringLiteral("Lieferschein %1 %2").arg(no, firm);
    if (category == QLatin1String("Steuer"))
        return QStringLiteral("Steuerbescheid %1").arg(year);
    if (category == QLatin1String("Versicherung"))
        return QStringLiteral("Versicherungsschein %1 %2").arg(random.pick(kThings), firm);
    return QStringLiteral("Notiz: Rückruf %1").arg(random.pick(kPeople));
}

QString projectPath(Random& random, int year, const QString& firm)
{
    switch (random.below(5)) {
    case 0: return QStringLiteral("Kunden\\%1\\%2").arg(random.pick(kCustomers)).arg(year);
    case 1: return QStringLiteral("Lieferanten\\%1\\Rechnungen").arg(firm);
    case 2: return QStringLiteral("Privat\\%1\\%2").arg(random.pick(kPrivate)).arg(year);
    case 3: return QStringLiteral("Projekte\\%1\\%2").arg(random.pick(kProjects), random.pick(kPhases));
    default: return QStringLiteral("Verwaltung\\") + random.pick(kOffice);
    }
}

QString notesText(Random& random, int length)
{
    QString text;
    while (text.size() < length) {
        if (!text.isEmpty())
            text += random.pick(kSeparators);
        text += random.pick(kSentences);
    }
    text.truncate(length);
    return text;
}

// The seventeen values of one DOCUMENT row, in table order. Every draw is its own statement, so the
// order of the draws (and with it the archive) does not depend on the compiler.
std::vector<QVariant> documentRow(Random& random, qint64 docId)
{
    const QString type = documentType(random);
    const bool isFile = type.startsWith(QLatin1Char('.'));
    const bool isMail = type == QLatin1String("email");
    const int year = random.between(1998, 2024);
    const int number = random.between(1, 9999);
    const QString firm = random.pick(kFirms);
    const QString category = random.pick(kCategories);
    const QString user = random.pick(kUsers);
    const QString no = QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));

    QString name = documentName(random, category, year, number, firm);
    QString fileName;
    if (isMail) {
        name.prepend(random.pick({"", "AW: ", "WG: "}));
    } else if (type == QLatin1String("url")) {
        const int link = random.below(int(std::size(kLinks)));
        name = QString::fromUtf8(kLinkNames[link]);
        fileName = QString::fromUtf8(kLinks[link]);
    }

    QVariant project;
    if (random.chance(90))
        project = projectPath(random, year, firm).left(80);
    const QString folder
        = project.isNull() ? QStringLiteral("Ablage") : project.toString().replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString baseName = random.chance(50)
        ? category + no
        : QString(name).remove(QLatin1Char(':')).replace(QLatin1Char('/'), QLatin1Char('-'));
    if (isFile) {
        if (random.chance(97))
            fileName = QStringLiteral("/home/%1/Dokumente/%2/%3%4").arg(user, folder, baseName, type);
    } else if (isMail) {
        fileName = QStringLiteral("/home/%1/Mail/%2/%3.eml").arg(user).arg(year).arg(baseName);
    }

    const int createdDay = dayNumber(QDate(year, 1, 1).addDays(random.below(365)));
    const int createdSecond = 7 * 3600 + random.below(12 * 3600);
    const double created = createdDay + createdSecond / 86400.0;
    QVariant edited;
    if (random.chance(60)) {
        const int laterDays = random.below(400);
        const int second = random.below(86400);
        edited = created + laterDays + second / 86400.0;
    }
    QVariant indexed;
    if (random.chance(70))
        indexed = (edited.isNull() ? created : edited.toDouble()) + random.below(3600) / 86400.0;

    QVariant docNo;
    if (random.chance(75))
        docNo = QStringLiteral("%1-%2").arg(year).arg(no);
    QVariant categoryValue;
    if (random.chance(92))
        categoryValue = category;
    QVariant state;
    if (random.chance(85))
        state = random.pick(kStates);
    QVariant mailFrom;
    if (isMail)
        mailFrom = random.pick(kSenders);
    QVariant templateName;
    if (random.chance(15))
        templateName = random.pick(kTemplates);

    QVariant favorite;
    if (const int roll = random.below(100); roll < 8)
        favorite = QStringLiteral("T");
    else if (roll < 95)
        favorite = QStringLiteral("F");

    QVariant remark;
    if (random.chance(40)) {
        if (random.chance(50)) {
            remark = random.pick(kRemarks);
        } else {
            remark = QStringLiteral("%1 am %2.%3.%4")
                         .arg(random.pick(kRemarks))
                         .arg(random.between(1, 28), 2, 10, QLatin1Char('0'))
                         .arg(random.between(1, 12), 2, 10, QLatin1Char('0'))
                         .arg(year)
                         .left(150);
        }
    }
    QVariant notes;
    if (type == QLatin1String("vxtext") || random.chance(85))
        notes = notesText(random, random.between(0, 400));

    return {
        docId,
        type,
        docNo,
        name.left(50),
        project,
        categoryValue,
        state,
        user,
        mailFrom,
        templateName,
        fileName.isEmpty() ? QVariant() : QVariant(fileName.left(254)),
        favorite,
        created,
        edited,
        indexed,
        remark,
        notes,
    };
}

} // namespace

std::optional<Options> parseOptions(int argc, char** argv, Options defaults)
{
    Options options = defaults;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if ((arg == "--rows" || arg == "--runs") && i + 1 < argc) {
            bool ok = false;
            const int value = QByteArray(argv[++i]).toInt(&ok);
            if (!ok || value < 1)
                return std::nullopt;
            (arg == "--rows" ? options.rows : options.runs) = value;
        } else if (arg == "--keep") {
            options.keep = true;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

void print(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    std::fflush(stdout);
}

// Copies the template and fills its DOCUMENT table; raises DxError on failure.
void makeArchive(const QString& templatePath, const QString& path, int rows)
{
    if (!QFile::copy(templatePath, path))
        throw IoError(QStringLiteral("cannot copy %1 to %2").arg(templatePath, path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    SqlConnection db;
    db.open(path);
    {
        SqlTransaction transaction(db);
        auto insert = db.prepare(QStringLiteral(
            "INSERT INTO DOCUMENT (DOCID, APPLNAME, DOCNO, NAME, PROJECT, CATEGORY, STATE, USERNAME, MAILFROM, "
            "TEMPLATE, FILENAME, FAVORITE, CREATEDATE, EDITDATE, FTIUPDATE, LASTREMARK, NOTES) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        Random random(kSeed);
        for (qint64 docId = 1; docId <= rows; ++docId) {
            const std::vector<QVariant> row = documentRow(random, docId);
            for (size_t i = 0; i < row.size(); ++i)
                insert->bind(int(i) + 1, row[i]);
            insert->step();
            insert->reset();
        }
        auto counter = db.prepare(QStringLiteral("UPDATE IDENTNO SET NEXTID = ? WHERE IDNAME = ?"));
        counter->bind(1, qint64(rows) + 1);
        counter->bind(2, QStringLiteral("DOCID"));
        counter->step();
        transaction.commit();
    }
    const qint64 count = db.scalar(QStringLiteral("SELECT COUNT(*) FROM DOCUMENT")).toLongLong();
    db.close();
    if (count != rows)
        throw DbError(QStringLiteral("DOCUMENT holds %1 rows instead of %2").arg(count).arg(rows));
}

// The archive is made in a child process: the peak memory a child reports includes what its
// parent had mapped when it was forked, and the measuring process has to stay small.
bool makeArchiveInChild(const QString& templatePath, const QString& path, int rows)
{
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        int code = 0;
        try {
            makeArchive(templatePath, path, rows);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "bench: cannot make the archive: %s\n", error.what());
            code = 1;
        }
        std::fflush(stderr);
        _exit(code);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// --- Running the commands ---------------------------------------------------------------------

// Runs the command with stdout on /dev/null (or into a line counter) and stderr into errorFile.
Run runCommand(const QStringList& command, const QString& errorFile, bool countLines)
{
    std::vector<QByteArray> storage;
    for (const QString& part : command)
        storage.push_back(QFile::encodeName(part));
    std::vector<char*> argv;
    for (QByteArray& part : storage)
        argv.push_back(part.data());
    argv.push_back(nullptr);

    int pipeEnds[2] = {-1, -1};
    if (countLines && pipe(pipeEnds) != 0)
        throw IoError(QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    const int nullFd = open("/dev/null", O_RDWR | O_CLOEXEC);
    const int errorFd = open(QFile::encodeName(errorFile).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (nullFd < 0 || errorFd < 0)
        throw IoError(QStringLiteral("cannot open /dev/null or %1").arg(errorFile));

    std::fflush(stdout);
    std::fflush(stderr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        throw IoError(QStringLiteral("fork: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    if (pid == 0) {
        dup2(nullFd, STDIN_FILENO);
        dup2(countLines ? pipeEnds[1] : nullFd, STDOUT_FILENO);
        dup2(errorFd, STDERR_FILENO);
        if (countLines) {
            close(pipeEnds[0]);
            close(pipeEnds[1]);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(nullFd);
    close(errorFd);

    Run run;
    if (countLines) {
        close(pipeEnds[1]);
        run.lines = 0;
        std::vector<char> buffer(1 << 16);
        for (;;) {
            const ssize_t n = read(pipeEnds[0], buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            run.lines += std::count(buffer.data(), buffer.data() + n, '\n');
        }
        close(pipeEnds[0]);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) { }
    const auto end = std::chrono::steady_clock::now();

    run.seconds = std::chrono::duration<double>(end - start).count();
    auto toSeconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    run.cpuSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    run.peakMb = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

// Runs the command once; a failure is reported with the command's own messages.
std::optional<Run> runChecked(const Measure& measure, const QString& errorFile, bool countLines)
{
    const Run run = runCommand(measure.command, errorFile, countLines);
    if (run.exitCode == 0)
        return run;
    QFile errors(errorFile);
    errors.open(QIODevice::ReadOnly);
    print(QStringLiteral("%1 failed with exit status %2:\n%3\n")
              .arg(measure.label)
              .arg(run.exitCode)
              .arg(QString::fromUtf8(errors.read(4000))));
    return std::nullopt;
}

QString verdict(bool pass)
{
    return pass ? QStringLiteral("PASS") : QStringLiteral("FAIL");
}

// Points HOME and the XDG folders into the temporary folder, for this process and its children.
bool useTemporaryHome(const QString& root)
{
    const struct
    {
        const char* variable;
        const char* folder;
    } folders[] = {{"HOME", "home"}, {"XDG_CONFIG_HOME", "home/.config"}, {"XDG_DATA_HOME", "home/.local/share"},
        {"XDG_CACHE_HOME", "home/.cache"}, {"XDG_STATE_HOME", "home/.local/state"}, {"XDG_RUNTIME_DIR", "runtime"},
        {"DOXAREL_CONFIG_DIR", "config"}};
    for (const auto& entry : folders) {
        const QString path = root + QLatin1Char('/') + QLatin1String(entry.folder);
        if (!QDir().mkpath(path))
            return false;
        setenv(entry.variable, QFile::encodeName(path).constData(), 1);
    }
    chmod(QFile::encodeName(root + QStringLiteral("/runtime")).constData(), 0700);
    return true;
}
std::unique_ptr<QTemporaryDir> makeWorkFolder(const QString& program, bool keep)
{
    auto work
        = std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1Char('/') + program + QStringLiteral("-XXXXXX"));
    if (!work->isValid() || !useTemporaryHome(work->path())) {
        print(QStringLiteral("%1: cannot make the temporary folder\n").arg(program));
        return nullptr;
    }
    work->setAutoRemove(!keep);
    return work;
}

QString programFolder()
{
    return qEnvironmentVariable("DOXAREL_PROGRAM_DIR", QStringLiteral(DOXAREL_PROGRAM_DIR));
}
} // namespace bench
