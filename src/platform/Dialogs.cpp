#include "platform/Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
Dialogs::Buttons withHelp(Dialogs::Buttons buttons, int helpTopic)
{
    return helpTopic > 0 ? (buttons | Dialogs::Help) : buttons;
}

bool offers(Dialogs::Buttons buttons, Dialogs::Button button)
{
    return (buttons & button) != 0;
}
} // namespace

void Dialogs::information(const QString& text, int helpTopic)
{
    message(Kind::Information, text, withHelp(Ok, helpTopic), helpTopic, Ok);
}

void Dialogs::warning(const QString& text, int helpTopic)
{
    message(Kind::Warning, text, withHelp(Ok, helpTopic), helpTopic, Ok);
}

void Dialogs::error(const QString& text, int helpTopic)
{
    message(Kind::Error, text, withHelp(Ok, helpTopic), helpTopic, Ok);
}

bool Dialogs::confirm(const QString& text, int helpTopic)
{
    return message(Kind::Confirmation, text, withHelp(Yes | No, helpTopic), helpTopic) == Yes;
}

Dialogs::Button Dialogs::unansweredButton(Buttons buttons, Button defaultButton)
{
    if (defaultButton != NoButton && defaultButton != Help && offers(buttons, defaultButton))
        return defaultButton;
    for (Button button : {No, Cancel, Abort, Ok}) {
        if (offers(buttons, button))
            return button;
    }
    return Ok;
}

QString Dialogs::nameFilterText(const FileFilter& filter)
{
    static const QRegularExpression trailingPatterns(QStringLiteral("^(.*)\\(([^()]*)\\)\\s*$"));
    auto blankSeparated = [](const QString& patterns) {
        return patterns.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts).join(QLatin1Char(' '));
    };
    const QString caption = filter.caption.trimmed();
    const QRegularExpressionMatch match = trailingPatterns.match(caption);
    if (match.hasMatch())
        return match.captured(1) + QLatin1Char('(') + blankSeparated(match.captured(2)) + QLatin1Char(')');
    QString patterns = blankSeparated(filter.pattern);
    if (patterns.isEmpty())
        patterns = QStringLiteral("*");
    if (caption.isEmpty())
        return patterns;
    return caption + QLatin1String(" (") + patterns + QLatin1Char(')');
}

QString Dialogs::withDefaultSuffix(const QString& path, const QString& suffix)
{
    QString clean = suffix;
    while (clean.startsWith(QLatin1Char('.')))
        clean.remove(0, 1);
    if (path.isEmpty() || clean.isEmpty() || path.endsWith(QLatin1Char('/')))
        return path;
    const QString name = QFileInfo(path).fileName();
    if (name.contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + clean;
}

QString Dialogs::presetPath(const FileRequest& request)
{
    if (request.fileName.isEmpty())
        return {};
    if (request.folder.isEmpty() || QFileInfo(request.fileName).isAbsolute())
        return request.fileName;
    return QDir(request.folder).filePath(request.fileName);
}

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const Asked& asked : m_asked) {
        if (asked.what == QLatin1String("message"))
            texts.append(asked.text);
    }
    return texts;
}

Dialogs::Button ScriptedDialogs::message(
    Kind kind, const QString& text, Buttons buttons, int helpTopic, Button defaultButton)
{
    Asked asked;
    asked.what = QStringLiteral("message");
    asked.kind = kind;
    asked.text = text;
    asked.buttons = buttons;
    asked.helpTopic = helpTopic;
    m_asked.append(asked);
    if (m_echo)
        m_echo(text);

    if (!m_buttons.isEmpty())
        return m_buttons.takeFirst();
    if (m_answerYes) {
        for (Button button : {Yes, Ok, Retry, YesToAll, All, Ignore}) {
            if (offers(buttons, button))
                return button;
        }
    }
    return unansweredButton(buttons, defaultButton);
}

std::optional<QString> ScriptedDialogs::nextText(Asked asked)
{
    const QString preset = asked.preset;
    m_asked.append(std::move(asked));
    if (!m_texts.isEmpty())
        return m_texts.takeFirst();
    if (m_answerYes && !preset.isEmpty())
        return preset;
    return std::nullopt;
}

std::optional<QString> ScriptedDialogs::inputText(const QString& title, const QString& prompt, const QString& value)
{
    Asked asked;
    asked.what = QStringLiteral("input");
    asked.text = prompt;
    asked.title = title;
    asked.preset = value;
    if (!m_texts.isEmpty())
        return nextText(std::move(asked));
    m_asked.append(std::move(asked));
    // With answerYes the box is confirmed as it stands, an empty preset included.
    if (m_answerYes)
        return value;
    return std::nullopt;
}

std::optional<QString> ScriptedDialogs::openFileName(const FileRequest& request)
{
    return nextText(
        {QStringLiteral("open"), Kind::Information, request.title, NoButton, 0, request.title, presetPath(request)});
}

std::optional<QStringList> ScriptedDialogs::openFileNames(const FileRequest& request)
{
    const std::optional<QString> text = nextText(
        {QStringLiteral("open"), Kind::Information, request.title, NoButton, 0, request.title, presetPath(request)});
    if (!text)
        return std::nullopt;
    return text->split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::optional<QString> ScriptedDialogs::saveFileName(const FileRequest& request)
{
    const std::optional<QString> text = nextText(
        {QStringLiteral("save"), Kind::Information, request.title, NoButton, 0, request.title, presetPath(request)});
    if (!text)
        return std::nullopt;
    return withDefaultSuffix(*text, request.defaultSuffix);
}

std::optional<QString> ScriptedDialogs::folder(const QString& title, const QString& startFolder)
{
    return nextText({QStringLiteral("folder"), Kind::Information, title, NoButton, 0, title, startFolder});
}

std::optional<QString> ScriptedDialogs::colour(const QString& current)
{
    return nextText({QStringLiteral("colour"), Kind::Information, current, NoButton, 0, {}, current});
}

std::optional<QString> ScriptedDialogs::font(const QString& current)
{
    return nextText({QStringLiteral("font"), Kind::Information, current, NoButton, 0, {}, current});
}
