// bench_list: how fast and how lean "doxarel-cli list" prints a large catalogue, measured against
// the sqlite3 shell printing the same table in the same run.
//
// The benchmark makes an archive of 100,000 documents from the build's "Default.mdb" in a
// temporary folder, then runs both commands several times with their output thrown away and
// reports the median wall clock time, the peak resident memory of each command, the time ratio
// and whether the targets are met. One extra run of doxarel-cli pipes its output into a counter to
// check that every row was printed. Everything runs in a temporary home, so no real settings are
// read or written.

#include "BenchSupport.h"

#include "platform/Errors.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

using namespace bench;

namespace {
constexpr int kDefaultRows = 100000;
constexpr int kDefaultRuns = 3;
constexpr double kTargetRatio = 3.0;
constexpr double kTargetPeakMb = 300.0;

} // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = parseOptions(argc, argv, {kDefaultRows, kDefaultRuns, false});
    if (!options) {
        print(QStringLiteral("usage: bench_list [--rows N] [--runs N] [--keep]\n"));
        return 2;
    }
    const int rows = options->rows;
    const int runs = options->runs;
    const bool keep = options->keep;

    const QString programDir = programFolder();
    const QString cli = programDir + QStringLiteral("/doxarel-cli");
    const QString templatePath = programDir + QStringLiteral("/Default.mdb");
    if (!QFileInfo(cli).isExecutable() || !QFileInfo::exists(templatePath)) {
        print(QStringLiteral("bench_list: %1 or %2 is missing; build doxarel-cli first\n").arg(cli, templatePath));
        return 1;
    }
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));

    const std::unique_ptr<QTemporaryDir> folder = makeWorkFolder(QStringLiteral("bench_list"), keep);
    if (!folder)
        return 1;
    const QTemporaryDir& work = *folder;
    const QString archive = work.path() + QStringLiteral("/bench.dva");
    const QString errorFile = work.path() + QStringLiteral("/stderr.txt");

    print(QStringLiteral("Making %1 documents in %2 ...\n").arg(rows).arg(archive));
    const auto madeStart = std::chrono::steady_clock::now();
    if (!makeArchiveInChild(templatePath, archive, rows))
        return 1;
    const double madeSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - madeStart).count();
    print(QStringLiteral("  done in %1 s, archive %2 MB\n\n")
              .arg(madeSeconds, 0, 'f', 1)
              .arg(double(QFileInfo(archive).size()) / (1024.0 * 1024.0), 0, 'f', 1));

    std::vector<Measure> measures;
    if (sqlite3.isEmpty()) {
        print(QStringLiteral("Note: sqlite3 was not found on PATH; the baseline and the ratio are left out.\n"
                             "      Install it with: sudo apt-get install sqlite3\n\n"));
    } else {
        measures.push_back({QStringLiteral("sqlite3 SELECT *"),
            {sqlite3, QStringLiteral("-separator"), QStringLiteral("\t"), archive,
                QStringLiteral("SELECT * FROM DOCUMENT")},
            {}});
    }
    measures.push_back({QStringLiteral("doxarel-cli list"),
        {cli, QStringLiteral("--config-dir"), work.path() + QStringLiteral("/config"), QStringLiteral("list"), archive},
        {}});
    Measure& doxarel = measures.back();

    // One run each before the timed ones: it warms the page cache, and doxarel-cli's output is
    // counted on its way instead of being thrown away.
    qint64 linesPrinted = -1;
    try {
        for (const Measure& measure : measures) {
            const bool count = &measure == &doxarel;
            const std::optional<Run> run = runChecked(measure, errorFile, count);
            if (!run)
                return 1;
            if (count)
                linesPrinted = run->lines;
        }
        for (int i = 0; i < runs; ++i) {
            for (Measure& measure : measures) {
                const std::optional<Run> run = runChecked(measure, errorFile, false);
                if (!run)
                    return 1;
                measure.runs.push_back(*run);
            }
        }
    } catch (const DxError& error) {
        print(QStringLiteral("bench_list: %1\n").arg(error.message()));
        return 1;
    }

    print(QStringLiteral("Listing %1 documents, %2 runs each, output to /dev/null\n\n").arg(rows).arg(runs));
    print(QStringLiteral("%1 %2 %3 %4 %5\n")
              .arg(QStringLiteral("command"), -20)
              .arg(QStringLiteral("median (s)"), 11)
              .arg(QStringLiteral("best (s)"), 10)
              .arg(QStringLiteral("cpu (s)"), 10)
              .arg(QStringLiteral("peak (MB)"), 10));
    for (const Measure& measure : measures)
        print(QStringLiteral("%1 %2 %3 %4 %5\n")
                  .arg(measure.label, -20)
                  .arg(measure.median(), 11, 'f', 3)
                  .arg(measure.best(), 10, 'f', 3)
                  .arg(measure.median(&Run::cpuSeconds), 10, 'f', 3)
                  .arg(measure.peakMb(), 10, 'f', 1));
    print(QStringLiteral("(median and best: wall clock; cpu: median of user + system time)\n\n"));

    if (measures.size() > 1) {
        const Measure& baseline = measures.front();
        const double ratio = doxarel.median() / baseline.median();
        print(QStringLiteral("time ratio doxarel-cli/sqlite3   %1   target <= %2      %3   (best runs %4, cpu %5)\n")
                  .arg(ratio, 8, 'f', 2)
                  .arg(kTargetRatio, 0, 'f', 1)
                  .arg(verdict(ratio <= kTargetRatio))
                  .arg(doxarel.best() / baseline.best(), 0, 'f', 2)
                  .arg(doxarel.median(&Run::cpuSeconds) / baseline.median(&Run::cpuSeconds), 0, 'f', 2));
    } else {
        print(QStringLiteral("time ratio doxarel-cli/sqlite3        n/a   target <= %1      NOT CHECKED\n")
                  .arg(kTargetRatio, 0, 'f', 1));
    }
    print(QStringLiteral("peak memory doxarel-cli (MB)     %1   target < %2      %3\n")
              .arg(doxarel.peakMb(), 8, 'f', 1)
              .arg(kTargetPeakMb, 0, 'f', 0)
              .arg(verdict(doxarel.peakMb() < kTargetPeakMb)));
    print(QStringLiteral("lines printed by doxarel-cli     %1   expected %2   %3\n")
              .arg(linesPrinted, 8)
              .arg(rows + 1)
              .arg(verdict(linesPrinted == rows + 1)));
    if (keep)
        print(QStringLiteral("\nThe archive is kept in %1\n").arg(work.path()));
    return 0;
}
