#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Hands files to the desktop: opening documents and programs, printing, the trash.
class Shell
{
public:
    virtual ~Shell() = default;

    // A program file (an executable ELF file or script) is started with the parameters; a
    // document, folder or URL is handed to the desktop's opener and the parameters do not count.
    // A relative name is looked up in workFolder, then (for a bare name) on the PATH. Parameters
    // are split at blanks, double quotes group words and three double quotes stand for one (as
    // QProcess::splitCommand reads them). Answers whether the start succeeded; a missing local
    // file answers false.
    virtual bool open(const QString& fileOrUrl, const QString& parameters = {}, const QString& workFolder = {}) = 0;
    // Prints the file with the default or the named printer; answers whether the print job was
    // accepted.
    virtual bool print(const QString& file, const QString& printer = {}) = 0;
    // Moves the files to the desktop's trash; answers whether all of them went there (it goes on
    // with the others after a failure).
    virtual bool moveToTrash(const QStringList& files) = 0;
    // Starts the program with the file. The program is a path, a name on the PATH or a command
    // line (quoted as for open()); in a command line the desktop entry codes %f %F %u %U stand
    // for the file (it is appended when there is none), %% for "%", and other codes are dropped.
    virtual bool openWith(const QString& program, const QString& file) = 0;
};

// The desktop's own tools: xdg-open and CUPS' lp.
class LinuxShell : public Shell
{
public:
    // The programs used can be replaced (tests use scripts that record their arguments).
    explicit LinuxShell(QString opener = QStringLiteral("xdg-open"), QString printCommand = QStringLiteral("lp"));

    bool open(const QString& fileOrUrl, const QString& parameters = {}, const QString& workFolder = {}) override;
    bool print(const QString& file, const QString& printer = {}) override;
    bool moveToTrash(const QStringList& files) override;
    bool openWith(const QString& program, const QString& file) override;

    // Waiting longer than this for the print command counts as a failure.
    void setPrintTimeout(int milliseconds) { m_printTimeout = milliseconds; }

    // Whether the file is one the system can run: executable and an ELF file or a script.
    static bool isProgramFile(const QString& path);
    // The arguments of a command line with the file put in place of %f, %F, %u or %U.
    static QStringList commandWithFile(const QString& commandLine, const QString& file);

private:
    QString m_opener;
    QString m_printCommand;
    int m_printTimeout = 30000;
};

// Records what it was asked and answers the results set for each operation (true by default).
class RecordingShell : public Shell
{
public:
    enum class Operation { Open, Print, MoveToTrash, OpenWith };
    struct Call
    {
        Operation operation;
        // Open: file, parameters, work folder; Print: file, printer; MoveToTrash: the files;
        // OpenWith: program, file.
        QStringList arguments;
    };

    void setResult(Operation operation, bool result);
    const QList<Call>& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

    bool open(const QString& fileOrUrl, const QString& parameters = {}, const QString& workFolder = {}) override;
    bool print(const QString& file, const QString& printer = {}) override;
    bool moveToTrash(const QStringList& files) override;
    bool openWith(const QString& program, const QString& file) override;

private:
    bool answer(Operation operation, QStringList arguments);

    QList<Call> m_calls;
    bool m_results[4] = {true, true, true, true};
};
