#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

#include <functional>

// The dialogs shown to the user: Qt's message, input, file, folder, colour and font dialogs with
// the program's German texts. The only place of the program that uses those Qt dialogs.
class QtDialogs : public Dialogs
{
public:
    // Dialogs open over the parent; without one, over the active window.
    explicit QtDialogs(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }

    void setParent(QWidget* parent) { m_parent = parent; }
    // Called with the help topic when the Help button of a message is pressed; the message stays.
    void setHelpHandler(std::function<void(int)> handler) { m_help = std::move(handler); }

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
    enum class FileMode { OpenOne, OpenMany, Save };
    std::optional<QStringList> runFileDialog(const FileRequest& request, FileMode mode);
    QWidget* parentWidget() const;

    QPointer<QWidget> m_parent;
    std::function<void(int)> m_help = [](int) {};
};
