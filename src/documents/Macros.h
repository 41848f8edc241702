#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Dialogs;
class Shell;
class TDModul;

// The macro language: "{keyword:argument,format}" pieces of text replaced by field values,
// folders, counters and dialog answers, innermost first. The same language carries the API
// commands ("{vxapi:command,parameter}"). One interpreter serves the whole program; its abort
// flag is set when the user cancels an interactive macro.
class TMacroInterpreter
{
public:
    // Full: the user's own texts (API prompt, SQL lines, stored queries). Restricted: texts from
    // files and archives made elsewhere; only the keywords without side effects and without
    // dialogs are evaluated, every other macro stays as written and is logged.
    enum class Mode { Full, Restricted };

    // A command of the main window that the API can run by its action name.
    struct Action
    {
        QString name; // "ActDocOpen"
        QString category; // "Dokument"; empty when the item has none
        QString caption; // "Ö&ffnen"
        std::function<void()> execute;
    };

    TMacroInterpreter(TDModul& dataModule, Shell& shell);

    // The expanded text; nullopt when an interactive macro was cancelled (the abort flag is set
    // then, and the caller keeps what it had).
    std::optional<QString> ExpandMacros(const QString& text, Mode mode = Mode::Full);
    // The value of one macro, braces included.
    QString EvaluateMacro(const QString& macro, Mode mode = Mode::Full);
    // Formats a value ("file", "dirpart,2", "fillleft0060", …). Raises ConversionError for a
    // number field that is no number.
    QString ApplyFormat(const QString& value, const QString& format);
    // Runs one API command; raises ConversionError for a count that is no number (the macro
    // reports it).
    void RunApiCommand(const QString& command, const QString& parameter);
    void ListMainMenuEntries();
    // The lines of the menu list.
    QString MainMenuEntriesText() const;

    // The text of the command prompt made into a macro: "CreateTestDocs,10" becomes
    // "{VxAPI:CreateTestDocs,10}".
    static QString CommandPromptText(const QString& typed);
    // The command prompt of the service menu: asks for a command and runs it.
    void RunCommandPrompt();

    bool AbortFlag = false;

    // --- what the rest of the program installs
    // The dialogs of the interactive keywords; the data module's when not set. doxarel-cli sets
    // one that cancels every question, also with --yes.
    Dialogs* InteractiveDialogs = nullptr;
    // The main window's commands; without a window there are none.
    QList<Action> Actions;
    // The sample and test documents (the maintenance of the documents installs them).
    std::function<void()> CreateDemoDocs;
    std::function<void(int count)> CreateTestDocs;
    // The read-only information window; without one the text goes to an information message.
    std::function<void(const QString& caption, const QString& text)> ShowText;
    // The main window's caption, "on top", minimise and key events; nothing happens without them.
    std::function<QString()> WindowTitle;
    std::function<void(bool on)> SetStayOnTop;
    std::function<void()> MinimizeApplication;
    std::function<void(QChar character)> SendKey;
    // The print dialog: the chosen printer's name, nullopt when cancelled (or when there is none).
    std::function<std::optional<QString>()> ChoosePrinter;
    // Makes the printer the default one ("lpoptions -d" unless replaced).
    std::function<bool(const QString& printer)> SetDefaultPrinter;
    // How "wait" waits (QThread::msleep unless replaced).
    std::function<void(int milliseconds)> Wait;
    // The running program's path (the application's file path unless set).
    QString ExeName;
    // The text the keyword "source" formats; nothing sets it.
    QString SourceText;

    // The last names chosen in the two file dialogs.
    QString LastOpenName;
    QString LastSaveName;

    // Bounds of one expansion: evaluations, the text's length and the characters moved by the
    // replacements (a value that keeps producing macros would never end).
    static constexpr int kMaxEvaluations = 100000;
    static constexpr qsizetype kMaxTextLength = 4 * 1024 * 1024;
    static constexpr qint64 kMaxWork = 400 * 1024 * 1024;

private:
    struct Parts
    {
        QString keyword;
        QString argument;
        QString format;
        bool hasFormat = false;
    };
    static Parts split(const QString& inner);
    static bool allowedWhenRestricted(const QString& keyword);
    QString evaluate(const QString& inner, const Parts& parts);
    QString docValue(const QString& inner, QString field);
    QString selfValue(const QString& argument) const;
    static QString osValue(const QString& argument);
    QString readLnFile(const QString& path, const Parts& parts);
    QString readAdminIni(const QString& key, const Parts& parts);
    QString adminIniValue(const QString& section, const QString& key) const;
    QString dirPart(const QString& value, const QString& format);
    QString exeName() const;
    Dialogs& interactive() const;
    void interpreterError(const QString& text);
    void log(const QString& text) const;

    TDModul& m_dm;
    Shell& m_shell;
};

// The folder of the program's own "admin.ini" counters: the program folder when it can be
// written, else the user's data folder of the program.
QString MacroAdminIniFile(const TDModul& dataModule);
