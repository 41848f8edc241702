#pragma once

#include "archive/RecordServices.h"
#include "documents/ApplicationList.h"
#include "documents/DesktopDatabase.h"
#include "documents/RegApplList.h"
#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

class Dialogs;
class ProgramSettings;
class ProgressSink;
class Shell;
class SqlRecordSet;
class TDModul;

// The special FILENAME texts.
namespace DocumentTexts {
QString automaticFileName(); // "[automatisch]"
QString internalDocument(); // "(internes Dokument)"
QString allFilesFilter(); // "Alle Dateien (*.*)|*.*"
} // namespace DocumentTexts

// The program's handle on the current catalogue entry: the current record of the dataset. It
// reads and writes the record's fields, creates the document file of a new entry and opens,
// prints, previews, renames and deletes the document. One exists at a time; the main window makes
// a new one whenever the current record changes.
class TDravonelDocument
{
public:
    // The note editor opens or prints a note ("open", "print"); it installs itself here.
    using NoteVerbHandler = std::function<void(TDravonelDocument& document, const QString& verb)>;
    // The open-with choice: the programs for the file's type are offered; the answer is the
    // chosen program's command line (desktop entry Exec line or a program path), nullopt when
    // cancelled. The widget library installs its window here.
    using OpenWithHandler = std::function<std::optional<QString>(
        const QString& file, const QList<const DesktopDatabase::DesktopEntry*>& programs)>;

    TDravonelDocument(TDModul& dataModule, ProgramSettings& settings, Shell& shell, SqlRecordSet& dataset,
        SqlRecordSet* blobDataset = nullptr);

    // --- fields
    quint8 State = 1; // 2 after Delete
    SqlRecordSet& Dataset;
    SqlRecordSet* BlobDataset;
    bool EditStarted = false;
    // The file the new document file is copied from; "NullFile" makes an empty file.
    QString TemplatePath;
    TApplicationInfo ApplInfo;
    // Where copies and moves report their progress (the program's progress window).
    ProgressSink* Progress = nullptr;

    // --- the record
    void BeginEdit();
    void EndEdit();
    QString GetField(const QString& name) const;
    void SetField(const QString& name, const QString& value);
    QString FileName() const { return GetField(QStringLiteral("FileName")); }
    bool FileExists() const;
    TDocTypeKind Kind() const;
    bool CanOpen() const;
    void UpdateApplInfo();
    QString FileFilter() const;

    // --- folders (with a trailing "/")
    // The user's templates folder, made when missing ("Template/" beside the program when the
    // desktop names none).
    QString TemplateFolder() const;
    // The personal documents folder + "Dokumente/"; not made here.
    QString DocumentFolder() const;
    // The automatic file name of the current record; its folder is made.
    QString AutoFileName() const;

    // --- operations
    // Makes the document file of a new record (called before the record is saved); answers
    // whether the file named by FILENAME exists afterwards.
    bool CreateFile();
    bool ShellVerb(const QString& verb);
    void Open();
    bool Print();
    bool Preview();
    bool OpenWith();
    // Renames the document file (asking for the name when none is given) and stores the new
    // name; when the name cannot be stored, the file gets its old name back.
    bool Rename(const QString& newName = {});
    void Delete(bool withFile);

    // Set by Open; the index update on re-activation reads and clears it.
    static std::atomic<bool> DocumentOpened;
    static void setNoteVerbHandler(NoteVerbHandler handler);
    static void setOpenWithHandler(OpenWithHandler handler);

private:
    Dialogs& dialogs() const;

    TDModul& m_dataModule;
    ProgramSettings& m_settings;
    Shell& m_shell;
};

// Makes the file of a new record for the record rules (the before-save hook): the current
// document object of the main window when it stands on that record set (so that its template
// is used), else a document object made for the record.
class TDocumentFileMaker : public DocumentFiles
{
public:
    TDocumentFileMaker(TDModul& dataModule, ProgramSettings& settings, Shell& shell)
        : m_dataModule(dataModule)
        , m_settings(settings)
        , m_shell(shell)
    {
    }
    TDravonelDocument* CurrentDocument = nullptr;
    void ensureFile(SqlRecordSet& records) override;

private:
    TDModul& m_dataModule;
    ProgramSettings& m_settings;
    Shell& m_shell;
};

// --- file names ---------------------------------------------------------------------------

// A name part loses / [ ] ? ; " < > | * = \ . : and control characters and is cut to 255
// characters; a path loses / [ ] ? ; " < > | * = (except its separators), its "\" become "/" and
// doubled separators are collapsed (a leading "//" stays).
QString CleanFileName(const QString& text, bool namePart);
// name.doc when free, else name1.doc, name2.doc ...
QString MakeUniqueFileName(const QString& path);
bool IsValidFileName(const QString& path);
// The same file: equal texts, or both naming the same existing file (links and "." or ".."
// resolved). Letter case counts, as it does on the file system.
bool SameFileName(const QString& a, const QString& b);
// The extension with its dot of the file name part ("" when none).
QString ExtractFileExt(const QString& path);
// The path with its extension replaced (a new extension "" removes it).
QString ChangeFileExt(const QString& path, const QString& extension);
// The extension (without "*.") of the index-th entry of a filter "caption|mask|caption|mask".
QString FilterExtension(const QString& filter, int index);
// A filter "caption|mask|..." as the file dialogs take it.
QList<Dialogs::FileFilter> FileFilterList(const QString& filter);
// A text in double quotes for a command line (inner quotes escaped as the Shell reads them).
QString QuotedArgument(const QString& text);

// --- files --------------------------------------------------------------------------------

// name.doc copied to name.~doc, replacing it; errors are shown. Answers whether the copy exists
// (true when there was nothing to copy).
bool BackupFile(const QString& path, Dialogs& dialogs);
// A copy named name_Copy.doc (made unique); its path, or empty when the copy failed.
QString CopyAsCopy(const QString& path, Dialogs* dialogs = nullptr);
// Creates an empty file unless one exists (then false); a failure is shown with the system's
// reason and answers false.
bool CreateEmptyFile(const QString& path, Dialogs& dialogs);
// A plain copy; without overwrite an existing target makes it fail; with report a failure is
// shown.
bool CopyFileDirect(const QString& source, const QString& target, bool overwrite, bool report, Dialogs* dialogs);
// The program's file-properties window; a missing file gives "Die Datei "%s" wurde nicht
// gefunden.".
bool ShowFileProperties(const QString& path, Dialogs& dialogs);

// Copies and moves with the program's progress window. An existing target is replaced only
// when the user agrees (confirm); without confirmation it is never replaced and the operation
// fails with its message. Failures are shown through the dialogs.
bool CopyDocFile(
    const QString& source, const QString& target, bool confirm, Dialogs& dialogs, ProgressSink* progress = nullptr);
// Renames within a folder, otherwise moves (the target folder is made); true when the target
// file exists afterwards.
bool MoveDocFile(
    const QString& source, const QString& target, bool confirm, Dialogs& dialogs, ProgressSink* progress = nullptr);
// Into the target folder (made when missing); the user is asked about each existing target.
bool CopyDocFiles(
    const QStringList& sources, const QString& targetFolder, Dialogs& dialogs, ProgressSink* progress = nullptr);
bool MoveDocFiles(
    const QStringList& sources, const QString& targetFolder, Dialogs& dialogs, ProgressSink* progress = nullptr);
// To the desktop's trash, asking first when confirm is set.
bool RecycleFiles(
    const QStringList& files, bool confirm, Dialogs& dialogs, Shell& shell, ProgressSink* progress = nullptr);
