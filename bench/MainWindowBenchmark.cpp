// bench_mainwindow: how fast the main window opens a large archive, searches it and groups it,
// and how much memory it takes, measured against "doxarel-cli list" of the same archive in the
// same run.
//
// The benchmark makes an archive of 100,000 generated documents (the catalogue of bench_list),
// indexes their catalogue fields with "doxarel-cli index --rebuild", and then, several times in
// turns, runs "doxarel-cli list" with its output thrown away and starts itself as a child that
// shows the main window under the offscreen platform and times, in that window:
//   open      - from showing the window until the grid has painted the documents of the archive
//               that the last session left open (the default layout, the permanent search on);
//   search    - a search from the panel on the name field;
//   fulltext  - a full-text index search of one word;
//   grouping  - grouping the grid by CATEGORY.
// The child's peak resident memory comes from wait4. Everything runs in a temporary home.

#include "BenchSupport.h"

#include "app/ProgramCore.h"
#include "mainwindow/Deskmain.h"
#include "mainwindow/DocumentGridModel.h"
#include "mainwindow/SearchPanel.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "settings/RegistryKeys.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <chrono>
#include <map>

using namespace bench;

namespace {
constexpr int kDefaultRows = 100000;
constexpr int kDefaultRuns = 3;
constexpr double kTargetOpenAndSearch = 1.5;
constexpr double kTargetGrouping = 2.0;
constexpr double kTargetPeakMb = 500.0;
const char* const kSteps[] = {"open", "search", "fulltext", "grouping"};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Paints the grid now, as the user would see it.
void paint(QTreeView* grid)
{
    grid->viewport()->repaint();
    QCoreApplication::processEvents();
}

bool waitFor(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The child: shows the window on the archive left open and writes "step seconds rows" lines.
int runWindow(int argc, char** argv, const QString& programDir, const QString& configDir, const QString& resultFile)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedDialogs dialogs;
    ProgramCore core(programDir, configDir, dialogs, QStringLiteral("anna"), QStringLiteral("PC1"));
    std::map<QString, std::pair<double, int>> results;

    auto start = Clock::now();
    TFormMain window(core);
    window.resize(1200, 800);
    window.show();
    auto* grid = window.findChild<QTreeView*>(QStringLiteral("DBGridDoc"));
    if (!waitFor([&] { return window.windowTitle().contains(QLatin1String(" @ ")) && grid->model()->rowCount() > 0; },
            600000)) {
        std::fprintf(stderr, "bench_mainwindow: the archive did not open: %s\n",
            dialogs.messages().join(QLatin1Char('\n')).toUtf8().constData());
        return 1;
    }
    paint(grid);
    results[QStringLiteral("open")] = {secondsSince(start), grid->model()->rowCount()};

    auto* name = window.searchPanel()->findChild<QLineEdit*>(QStringLiteral("VxLayCompo_10_2"));
    if (!name) {
        std::fprintf(stderr, "bench_mainwindow: the default layout has no name field\n");
        return 1;
    }
    start = Clock::now();
    name->setText(QStringLiteral("Rechnung"));
    window.RunPanelSearch();
    window.searchPanel()->SuchTimer->stop();
    paint(grid);
    results[QStringLiteral("search")] = {secondsSince(start), grid->model()->rowCount()};
    {
        // Back to the whole catalogue before the next step, untimed.
        const QSignalBlocker quiet(name);
        name->clear();
        window.ShowAllDocuments();
    }

    window.AskFulltextWords = [](QString& words, QString& op) {
        words = QStringLiteral("Büroausstattung");
        op = QStringLiteral("AND");
        return true;
    };
    start = Clock::now();
    window.ActSearchFulltextIndexExecute();
    paint(grid);
    results[QStringLiteral("fulltext")] = {secondsSince(start), grid->model()->rowCount()};
    window.ShowAllDocuments();

    int category = -1;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        if (grid->model()->headerData(column, Qt::Horizontal, DocumentGridModel::FieldNameRole).toString()
            == QLatin1String("CATEGORY"))
            category = column;
    if (category < 0) {
        std::fprintf(stderr, "bench_mainwindow: no CATEGORY column\n");
        return 1;
    }
    start = Clock::now();
    if (!window.DBGridDocAddGroupColumn(category))
        return 1;
    paint(grid);
    results[QStringLiteral("grouping")] = {secondsSince(start), grid->model()->rowCount()};

    QFile out(resultFile);
    if (!out.open(QIODevice::WriteOnly))
        return 1;
    for (const auto& [step, value] : results)
        out.write(QStringLiteral("%1 %2 %3\n").arg(step).arg(value.first, 0, 'f', 6).arg(value.second).toUtf8());
    out.close();
    window.ActViewEndGroupingExecute();
    // No settings are written: the next child starts as this one did.
    std::_Exit(0);
}

std::map<QString, std::pair<double, int>> readResults(const QString& file)
{
    std::map<QString, std::pair<double, int>> results;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return results;
    for (const QByteArray& line : in.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 3)
            results[QString::fromUtf8(parts[0])] = {parts[1].toDouble(), parts[2].toInt()};
    }
    return results;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    const QString programDir = programFolder();
    if (argc == 5 && QByteArray(argv[1]) == "--window-child") {
        int childArgc = 1;
        return runWindow(childArgc, argv, programDir, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    const std::optional<Options> options = parseOptions(argc, argv, {kDefaultRows, kDefaultRuns, false});
    if (!options) {
        print(QStringLiteral("usage: bench_mainwindow [--rows N] [--runs N] [--keep]\n"));
        return 2;
    }
    const int rows = options->rows;
    const int runs = options->runs;
    const bool keep = options->keep;

    const QString cli = programDir + QStringLiteral("/doxarel-cli");
    const QString templatePath = programDir + QStringLiteral("/Default.mdb");
    if (!QFileInfo(cli).isExecutable() || !QFileInfo::exists(templatePath)) {
        print(
            QStringLiteral("bench_mainwindow: %1 or %2 is missing; build doxarel-cli first\n").arg(cli, templatePath));
        return 1;
    }
    const std::unique_ptr<QTemporaryDir> folder = makeWorkFolder(QStringLiteral("bench_mainwindow"), keep);
    if (!folder)
        return 1;
    const QTemporaryDir& work = *folder;
    const QString archive = work.path() + QStringLiteral("/bench.dva");
    const QString config = work.path() + QStringLiteral("/config");
    const QString errorFile = work.path() + QStringLiteral("/stderr.txt");
    const QString resultFile = work.path() + QStringLiteral("/window.txt");

    print(QStringLiteral("Making %1 documents in %2 ...\n").arg(rows).arg(archive));
    if (!makeArchiveInChild(templatePath, archive, rows))
        return 1;
    {
        // The window starts on this archive, as after a session that left it open, and the
        // catalogue words are indexed (no files: the entries point nowhere).
        RegistryHives hives(config);
        hives.user().writeString(RegistryKeys::kSettings, QStringLiteral("LastOpenedDocDB"), archive);
        hives.machine().writeString(
            RegistryKeys::kSettings, QStringLiteral("CommonFilesPath"), work.path() + QStringLiteral("/common/"));
        hives.machine().writeInteger(RegistryKeys::kSettings, QStringLiteral("FtiCreateMode"), 1);
        if (!hives.flush()) {
            print(QStringLiteral("bench_mainwindow: cannot write the settings\n"));
            return 1;
        }
    }
    const Measure index{QStringLiteral("doxarel-cli index"),
        {cli, QStringLiteral("--config-dir"), config, QStringLiteral("index"), archive, QStringLiteral("--rebuild")},
        {}};
    const Measure list{QStringLiteral("doxarel-cli list"),
        {cli, QStringLiteral("--config-dir"), config, QStringLiteral("list"), archive}, {}};
    const Measure windowRun{QStringLiteral("main window"),
        {QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget(), QStringLiteral("--window-child"), config,
            resultFile, QStringLiteral("-")},
        {}};

    std::vector<double> listTimes;
    std::map<QString, std::vector<double>> stepTimes;
    std::map<QString, int> stepRows;
    double windowPeak = 0;
    double listPeak = 0;
    try {
        print(QStringLiteral("Indexing the catalogue words ...\n"));
        const auto indexStart = Clock::now();
        if (!runChecked(index, errorFile, false))
            return 1;
        print(QStringLiteral("  done in %1 s\n\n").arg(secondsSince(indexStart), 0, 'f', 1));
        // Warm-up: the page cache and the settings files.
        if (!runChecked(list, errorFile, false) || !runChecked(windowRun, errorFile, false))
            return 1;
        for (int i = 0; i < runs; ++i) {
            const std::optional<Run> listed = runChecked(list, errorFile, false);
            const std::optional<Run> shown = runChecked(windowRun, errorFile, false);
            if (!listed || !shown)
                return 1;
            listTimes.push_back(listed->seconds);
            listPeak = std::max(listPeak, listed->peakMb);
            windowPeak = std::max(windowPeak, shown->peakMb);
            const auto results = readResults(resultFile);
            for (const char* step : kSteps) {
                const auto found = results.find(QLatin1String(step));
                if (found == results.end()) {
                    print(
                        QStringLiteral("bench_mainwindow: the window reported no %1 time\n").arg(QLatin1String(step)));
                    return 1;
                }
                stepTimes[QLatin1String(step)].push_back(found->second.first);
                stepRows[QLatin1String(step)] = found->second.second;
            }
        }
    } catch (const DxError& error) {
        print(QStringLiteral("bench_mainwindow: %1\n").arg(error.message()));
        return 1;
    }

    const double baseline = median(listTimes);
    print(QStringLiteral("%1 documents, %2 runs each; medians of wall clock time\n\n").arg(rows).arg(runs));
    print(QStringLiteral("%1 %2   peak %3 MB\n")
              .arg(QStringLiteral("doxarel-cli list"), -28)
              .arg(baseline, 8, 'f', 3)
              .arg(listPeak, 0, 'f', 1));
    for (const char* step : kSteps) {
        const QString name = QLatin1String(step);
        const double seconds = median(stepTimes[name]);
        const double ratio = seconds / baseline;
        const double target = name == QLatin1String("grouping") ? kTargetGrouping : kTargetOpenAndSearch;
        print(QStringLiteral("window %1 %2 s  (%3 rows)  ratio %4  target < %5  %6\n")
                  .arg(name, -10)
                  .arg(seconds, 8, 'f', 3)
                  .arg(stepRows[name], 6)
                  .arg(ratio, 6, 'f', 2)
                  .arg(target, 0, 'f', 1)
                  .arg(verdict(ratio < target)));
    }
    print(QStringLiteral("window peak memory %1 MB  target < %2  %3\n")
              .arg(windowPeak, 0, 'f', 1)
              .arg(kTargetPeakMb, 0, 'f', 0)
              .arg(verdict(windowPeak < kTargetPeakMb)));
    if (keep)
        print(QStringLiteral("\nThe archive is kept in %1\n").arg(work.path()));
    return 0;
}
