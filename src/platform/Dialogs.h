#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Every message box, question, input box and file, folder, colour and font dialog of the program
// goes through this one service. The Qt implementation shows real dialogs; tests and
// doxarel-cli use ScriptedDialogs, which records what was asked and answers from a queue.
class Dialogs
{
public:
    enum class Kind { Information, Warning, Error, Confirmation };
    enum Button {
        NoButton = 0,
        Ok = 1 << 0,
        Cancel = 1 << 1,
        Yes = 1 << 2,
        No = 1 << 3,
        Retry = 1 << 4,
        Abort = 1 << 5,
        Ignore = 1 << 6,
        All = 1 << 7,
        YesToAll = 1 << 8,
        NoToAll = 1 << 9,
        Help = 1 << 10,
    };
    using Buttons = int;

    struct FileFilter
    {
        QString caption; // "Dokumentarchive (*.dva)"
        QString pattern; // "*.dva"
    };
    struct FileRequest
    {
        QString title;
        QString folder; // initial folder
        QString fileName; // preset name
        QList<FileFilter> filters;
        QString defaultSuffix; // without the dot
        bool mustExist = false;
        bool confirmOverwrite = true;
    };

    virtual ~Dialogs() = default;

    // Shows a message with the given buttons and answers the button chosen. A Help button opens
    // the help topic (when helpTopic > 0) and does not close the box.
    virtual Button message(
        Kind kind, const QString& text, Buttons buttons, int helpTopic = 0, Button defaultButton = NoButton)
        = 0;
    // An input box; nullopt when cancelled.
    virtual std::optional<QString> inputText(const QString& title, const QString& prompt, const QString& value) = 0;
    virtual std::optional<QString> openFileName(const FileRequest& request) = 0;
    virtual std::optional<QStringList> openFileNames(const FileRequest& request) = 0;
    virtual std::optional<QString> saveFileName(const FileRequest& request) = 0;
    virtual std::optional<QString> folder(const QString& title, const QString& startFolder) = 0;
    // Colours are exchanged as "#rrggbb"; fonts in the program's font text.
    virtual std::optional<QString> colour(const QString& current) = 0;
    virtual std::optional<QString> font(const QString& current) = 0;

    // Shorthands for the standard boxes; with a help topic they offer a Help button too.
    void information(const QString& text, int helpTopic = 0);
    void warning(const QString& text, int helpTopic = 0);
    void error(const QString& text, int helpTopic = 0);
    bool confirm(const QString& text, int helpTopic = 0); // Yes/No, true on Yes

    // The answer of a box nobody answers (closed, or asked without a user): the default button
    // when given and offered, else No, Cancel, Abort or Ok, whichever is offered first in that
    // order, else Ok.
    static Button unansweredButton(Buttons buttons, Button defaultButton = NoButton);
    // The filter text for a file dialog: "Dokumentarchive (*.dva)". A caption that already ends in
    // its patterns keeps its text; patterns separated by ';' are separated by blanks instead.
    static QString nameFilterText(const FileFilter& filter);
    // The name with ".suffix" appended when its file name has no suffix (as save dialogs do).
    static QString withDefaultSuffix(const QString& path, const QString& suffix);
    // The folder and the preset name of a request as one path ("" without a name).
    static QString presetPath(const FileRequest& request);
};

// Answers from a queue; with the queue empty, a question gets its default answer (No, Cancel or
// nothing) unless answerYes is set, which answers Yes or OK instead: Yes, Ok, Retry, YesToAll,
// All or Ignore, whichever is offered first; a text, file, folder, colour or font request then
// gets its preset (nothing when it has none). Message texts can be echoed to a text sink
// (doxarel-cli prints them to stderr). Buttons and texts have separate queues; a queued button
// or text is answered as it is, even when the box does not offer it.
class ScriptedDialogs : public Dialogs
{
public:
    struct Asked
    {
        QString what; // "message", "input", "open", "save", "folder", "colour", "font"
        Kind kind = Kind::Information;
        QString text; // the message, the prompt of an input box, the title of a file or folder dialog
        Buttons buttons = NoButton;
        int helpTopic = 0;
        QString title;
        QString preset; // the value offered: input text, file path, folder, colour, font
    };

    void setAnswerYes(bool yes) { m_answerYes = yes; }
    void setEcho(std::function<void(const QString&)> echo) { m_echo = std::move(echo); }

    void queueButton(Button button) { m_buttons.append(button); }
    // The answer of the next input, file, folder, colour or font request; nullopt cancels it. For
    // openFileNames the text holds the names one per line.
    void queueText(std::optional<QString> text) { m_texts.append(text); }

    const QList<Asked>& asked() const { return m_asked; }
    QStringList messages() const; // the texts of all messages, in order
    void clear() { m_asked.clear(); }

    Button message(
        Kind kind, const QString& text, Buttons buttons, int helpTopic = 0, Button defaultButton = NoButton) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt, const QString& value) override;
    std::optional<QString> openFileName(const FileRequest& request) override;
    std::optional<QStringList> openFileNames(const FileRequest& request) override;
    std::optional<QString> saveFileName(const FileRequest& request) override;
    std::optional<QString> folder(const QString& title, const QString& startFolder) override;
    std::optional<QString> colour(const QString& current) override;
    std::optional<QString> font(const QString& current) override;

private:
    std::optional<QString> nextText(Asked asked);

    bool m_answerYes = false;
    std::function<void(const QString&)> m_echo;
    QList<Button> m_buttons;
    QList<std::optional<QString>> m_texts;
    QList<Asked> m_asked;
};
