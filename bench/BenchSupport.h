#pragma once

#include <QString>
#include <QStringList>

#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace bench {

// The options of the benchmarks: --rows N (documents), --runs N (timed runs), --keep (keep the
// temporary folder); nullopt for anything else or a number below 1.
struct Options
{
    int rows = 0;
    int runs = 0;
    bool keep = false;
};
std::optional<Options> parseOptions(int argc, char** argv, Options defaults);

// Writes to stdout at once (the benchmarks report while they work).
void print(const QString& text);

// Copies the archive template and fills its DOCUMENT table with a generated catalogue, the same on
// every run and machine: document types, names, projects, categories, states, users, senders, file
// paths, dates and notes with umlauts. Raises DxError on failure.
void makeArchive(const QString& templatePath, const QString& path, int rows);
// The same in a child process: the peak memory a child reports includes what its parent had
// mapped when it was forked, and the measuring process has to stay small.
bool makeArchiveInChild(const QString& templatePath, const QString& path, int rows);

struct Run
{
    double seconds = 0;
    double cpuSeconds = 0; // user and system time of the command
    double peakMb = 0;
    int exitCode = -1;
    qint64 lines = -1; // only when counted
};

struct Measure
{
    QString label;
    QStringList command;
    std::vector<Run> runs;

    double median(double Run::*time = &Run::seconds) const
    {
        std::vector<double> times;
        for (const Run& run : runs)
            times.push_back(run.*time);
        std::sort(times.begin(), times.end());
        const size_t n = times.size();
        return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    }
    double best() const
    {
        double value = runs.front().seconds;
        for (const Run& run : runs)
            value = std::min(value, run.seconds);
        return value;
    }
    double peakMb() const
    {
        double value = 0;
        for (const Run& run : runs)
            value = std::max(value, run.peakMb);
        return value;
    }
};

// Runs the command with stdout on /dev/null (or into a line counter) and stderr into errorFile.
Run runCommand(const QStringList& command, const QString& errorFile, bool countLines);
// Runs the command once; a failure is reported with the command's own messages.
std::optional<Run> runChecked(const Measure& measure, const QString& errorFile, bool countLines);

QString verdict(bool pass);

// Points HOME and the XDG folders into the temporary folder, for this process and its children.
bool useTemporaryHome(const QString& root);

// A temporary folder "<program>-XXXXXX" that is the home of this run (useTemporaryHome), removed at
// the end unless it is to be kept; null after a message when it cannot be made.
std::unique_ptr<QTemporaryDir> makeWorkFolder(const QString& program, bool keep);

// The build's program folder ($DOXAREL_PROGRAM_DIR, else the build's own).
QString programFolder();
} // namespace bench
