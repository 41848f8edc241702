#pragma once

#include "platform/db/SqlConnection.h"
#include "platform/db/SqlRecordSet.h"
#include "settings/ProgramSettings.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class Dialogs;
class DocumentRecords;

// The archive that is open: file name, full path and folder (with a trailing "/"); all empty
// while none is open.
struct TCurrConfigRec
{
    QString FileName;
    QString FullPath;
    QString Folder;

    void setPath(const QString& path);
    void clear() { *this = {}; }
    bool isEmpty() const { return FullPath.isEmpty(); }
};

// The data module: owns the connection to the open archive and the document record set for the
// whole run, knows the installation's folders and files, and writes the log. Every window and
// doxarel-cli reach the archive through it.
class TDModul
{
public:
    struct Environment
    {
        QString programFolder; // the executables' folder with the shipped files; "/" at the end
        QString commonFilesPath; // the common files folder; the default when empty
        QString userName;
        QString computerName;
        Dialogs* dialogs = nullptr;
    };

    explicit TDModul(Environment environment);
    ~TDModul();
    TDModul(const TDModul&) = delete;
    TDModul& operator=(const TDModul&) = delete;

    // --- components
    SqlConnection AdoConnectDoc;
    SqlRecordSet AdoQueryDoc;
    SqlRecordSet AdoQueryBlobs; // the stored note of one document
    SqlRecordSet AdoTableTmp; // the scratch record of the extended search
    SqlConnection AdoConnectionFtiThread;

    // --- state
    TCurrConfigRec CurrentArchive;
    QStringList PreviousQuery; // restored when a new statement fails
    QStringList UserList; // contents of the users file
    ProgramSettings Settings; // read by the main window or doxarel-cli at start
    QChar& QuoteChar = Settings.QuoteChar;

    Dialogs& dialogs() const { return *m_environment.dialogs; }
    const QString& userName() const { return m_environment.userName; }
    const QString& computerName() const { return m_environment.computerName; }
    void setUserName(const QString& name) { m_environment.userName = name; }

    // Expands the macros of a statement line; the interpreter installs itself here. Nothing when
    // the user cancelled a dialog of the line: its statement is not run then.
    std::function<std::optional<QString>(const QString&)> ExpandLine
        = [](const QString& line) -> std::optional<QString> { return line; };
    // Expands the macros of a stored default value (files made elsewhere: the restricted form).
    std::function<QString(const QString&)> ExpandText = [](const QString& text) { return text; };

    // The record rules of the document record set, the counters and the choice lists.
    DocumentRecords& Records() { return *m_records; }

    // --- archive operations
    void OpenArchive(); // closes an open archive, then connects to CurrentArchive.FullPath
    void CloseArchive(); // idempotent
    // Whether the index thread works; the full-text index installs the question.
    std::function<bool()> IndexThreadRunning;
    bool IsIndexThreadRunning() const { return IndexThreadRunning && IndexThreadRunning(); }
    bool isArchiveOpen() const { return AdoConnectDoc.isConnected(); }

    // --- folders and files (folders end with "/")
    QString ProgramFolder() const { return m_environment.programFolder; }
    void setCommonFilesPath(const QString& path);
    QString CommonFolder() const; // made with its parents when missing
    QString ArchiveFolder() const;
    QString LayoutsFolder() const;
    QString LayoutFile(const QString& configured, bool report) const;
    QString StopWordFile() const;
    QString UsersFile() const; // made empty when missing
    QString SearchDefaultsFile() const;
    QString ReservedWordsFile() const;
    QString TempFolder() const;
    QString LogFile() const;
    QString HelpFile() const;
    QString DefaultArchivePath() const { return ArchiveFolder() + QStringLiteral("Archiv.dva"); }

    // --- messages and log
    void WriteLog(const QString& text) const; // raises IoError when the log cannot be written
    void ShowErrorAndLog(const QString& text, int helpTopic = 0) const;
    // The prefix of a log line: "[17.05.2004 09:30:00 anna an PC1]: ".
    QString LogPrefix() const;

    // The data source that layout elements bind to: "DOC" gives the owner's own source when it
    // has one, otherwise the document record set; other names give none.
    SqlRecordSet* DataSourceFor(const QString& tableName, SqlRecordSet* ownerSource = nullptr);

private:
    static QString withSlash(QString folder);
    QString makeFolder(const QString& folder) const;

    Environment m_environment;
    std::unique_ptr<DocumentRecords> m_records;
    QString m_commonFilesPath;
    QString m_tempFolder;
    mutable std::mutex m_logMutex;
};
