// bench_records: how fast new catalogue entries are saved through the record rules (key from the
// counter, owner, document number, choice lists; no full-text index), measured against plain
// single-row INSERT statements, each in its own transaction, in the same run.

#include "app/ProgramCore.h"
#include "archive/DocumentRecords.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/db/SqlConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int kRecords = 10000;
constexpr double kTargetRatio = 3.0;

struct Values
{
    QString type, name, project, category, state;
};

Values valuesFor(int i)
{
    static const char* types[] = {".pdf", ".doc", ".txt", "vxtext", "url", ".xls"};
    static const char* categories[] = {"Rechnung", "Angebot", "Brief", "Vertrag", "Notiz"};
    static const char* states[] = {"offen", "erledigt", "in Arbeit"};
    static const char* customers[] = {"Meier", "Müller", "Schulze", "Weiß", "Öztürk", "Becker"};
    return {QLatin1String(types[i % 6]),
        QStringLiteral("%1 %2 Nr. %3")
            .arg(QLatin1String(categories[i % 5]), QString::fromUtf8(customers[i % 6]))
            .arg(i),
        QStringLiteral("Kunden\\%1\\%2").arg(QString::fromUtf8(customers[i % 6])).arg(2000 + i % 7),
        QLatin1String(categories[i % 5]), QString::fromUtf8(states[i % 3])};
}

double plainInserts(const QString& path)
{
    SqlConnection db;
    db.open(path);
    auto insert = db.prepare(QStringLiteral("INSERT INTO DOCUMENT (DOCID, APPLNAME, DOCNO, NAME, PROJECT, CATEGORY, "
                                            "STATE, USERNAME, FILENAME, FAVORITE) VALUES (?,?,?,?,?,?,?,?,?,?)"));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRecords; ++i) {
        const Values v = valuesFor(i);
        SqlTransaction transaction(db);
        insert->reset();
        const QVariant values[] = {qint64(i + 1), v.type, QString::number(i + 1), v.name, v.project, v.category,
            v.state, QStringLiteral("bench"), QStringLiteral("[automatisch]"), QStringLiteral("F")};
        for (int k = 0; k < 10; ++k)
            insert->bind(k + 1, values[k]);
        insert->step();
        transaction.commit();
    }
    return timer.elapsed() / 1000.0;
}

double throughRecordRules(const QString& path, const QString& settingsFolder)
{
    ScriptedDialogs dialogs;
    ProgramCore core(
        QStringLiteral(DOXAREL_PROGRAM_DIR), settingsFolder, dialogs, QStringLiteral("bench"), QStringLiteral("bench"));
    core.loadSettings();
    core.dm().Settings.Cfg.FtiCreateMode = 0;
    core.openArchive(path);
    SqlRecordSet& records = core.dm().AdoQueryDoc;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRecords; ++i) {
        const Values v = valuesFor(i);
        records.append();
        records.setText(QStringLiteral("APPLNAME"), v.type);
        records.setText(QStringLiteral("NAME"), v.name);
        records.setText(QStringLiteral("PROJECT"), v.project);
        records.setText(QStringLiteral("CATEGORY"), v.category);
        records.setText(QStringLiteral("STATE"), v.state);
        records.post();
    }
    const double seconds = timer.elapsed() / 1000.0;
    if (core.dm().AdoConnectDoc.scalar(QStringLiteral("SELECT COUNT(*) FROM DOCUMENT")).toInt() != kRecords)
        throw DxError(QStringLiteral("not every record was saved"));
    return seconds;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    const QString folder = work.path() + QLatin1Char('/');
    qputenv("HOME", folder.toLocal8Bit());
    qputenv("XDG_DATA_HOME", (folder + QStringLiteral("data")).toLocal8Bit());
    const QString templ = QStringLiteral(DOXAREL_PROGRAM_DIR "/Default.mdb");
    const QString plain = folder + QStringLiteral("plain.dva");
    const QString rules = folder + QStringLiteral("rules.dva");
    if (!QFile::copy(templ, plain) || !QFile::copy(templ, rules)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(templ));
        return 1;
    }
    try {
        std::printf("Saving %d documents, one transaction each\n\n", kRecords);
        const double baseline = plainInserts(plain);
        const double ruled = throughRecordRules(rules, folder + QStringLiteral("settings/"));
        const double ratio = ruled / baseline;
        std::printf("%-32s %8.3f s\n", "plain INSERT statements", baseline);
        std::printf("%-32s %8.3f s\n", "through the record rules", ruled);
        std::printf("\ntime ratio record rules/plain   %6.2f   target <= %.1f   %s\n", ratio, kTargetRatio,
            ratio <= kTargetRatio ? "PASS" : "FAIL");
    } catch (const DxError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
