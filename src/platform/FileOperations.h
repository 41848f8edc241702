#pragma once

#include <QList>
#include <QString>

// Where long work reports its progress; the program's progress window is one, doxarel-cli has
// its own. cancelled() is asked between steps and answers whether the user stopped the work.
class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void setTitle(const QString& title) = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual void setText(const QString& text) = 0;
    virtual bool cancelled() = 0;
};

// Copying, moving and renaming files with progress, in the program's texts. A target is never
// left half written: a copy goes to a temporary name in the target folder and is renamed when
// complete. Missing target folders are made. The work stops at the first failure or when
// cancelled; what was done before stays done.
namespace FileOperations {
struct Transfer
{
    QString source;
    // The new path of the file; a path ending in "/" or naming an existing folder receives the
    // file under its own name.
    QString target;
};
using Transfers = QList<Transfer>;

struct Options
{
    bool overwrite = false; // replace existing targets instead of failing on them
};

struct Result
{
    bool ok = true;
    bool cancelled = false;
    QString error; // the message for the user, German
    QString detail; // the system's reason, when known
    int completed = 0; // transfers done before it stopped
};

// The maximum of the progress is the number of transfers; the text names the file at work.
Result copyFiles(const Transfers& transfers, ProgressSink* progress = nullptr, const Options& options = {});
// Renames when source and target share a file system, else copies and removes the source.
// Folders can be moved within one file system.
Result moveFiles(const Transfers& transfers, ProgressSink* progress = nullptr, const Options& options = {});
// Gives the file a new name; a relative name is taken in the file's folder. An existing file of
// that name is not replaced, but a change of letter case alone is allowed.
Result renameFile(const QString& source, const QString& newName);

// Writes the contents to path in one piece (a temporary file renamed over the target), making the
// folder when missing; a failure leaves any earlier file as it was.
bool writeFileAtomically(const QString& path, const QByteArray& contents);
} // namespace FileOperations
