#include "platform/widgets/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <map>

namespace {
// The texts of this file, translated in the context "QtDialogs".
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(QtDialogs)
};

struct ButtonInfo
{
    Dialogs::Button button;
    const char* text;
    QMessageBox::ButtonRole role;
};

// In the order they stand in the box.
const ButtonInfo kButtons[] = {
    {Dialogs::Yes, QT_TRANSLATE_NOOP("QtDialogs", "Ja"), QMessageBox::YesRole},
    {Dialogs::YesToAll, QT_TRANSLATE_NOOP("QtDialogs", "Ja, alle"), QMessageBox::YesRole},
    {Dialogs::No, QT_TRANSLATE_NOOP("QtDialogs", "Nein"), QMessageBox::NoRole},
    {Dialogs::NoToAll, QT_TRANSLATE_NOOP("QtDialogs", "Nein, alle"), QMessageBox::NoRole},
    {Dialogs::Ok, QT_TRANSLATE_NOOP("QtDialogs", "OK"), QMessageBox::AcceptRole},
    {Dialogs::All, QT_TRANSLATE_NOOP("QtDialogs", "Alle"), QMessageBox::AcceptRole},
    {Dialogs::Retry, QT_TRANSLATE_NOOP("QtDialogs", "Wiederholen"), QMessageBox::AcceptRole},
    {Dialogs::Ignore, QT_TRANSLATE_NOOP("QtDialogs", "Ignorieren"), QMessageBox::AcceptRole},
    {Dialogs::Abort, QT_TRANSLATE_NOOP("QtDialogs", "Abbrechen"), QMessageBox::RejectRole},
    {Dialogs::Cancel, QT_TRANSLATE_NOOP("QtDialogs", "Abbrechen"), QMessageBox::RejectRole},
    {Dialogs::Help, QT_TRANSLATE_NOOP("QtDialogs", "Hilfe"), QMessageBox::HelpRole},
};

QString title(Dialogs::Kind kind)
{
    switch (kind) {
    case Dialogs::Kind::Information: return Text::tr("Information");
    case Dialogs::Kind::Warning: return Text::tr("Warnung");
    case Dialogs::Kind::Error: return Text::tr("Fehler");
    case Dialogs::Kind::Confirmation: return Text::tr("Bestätigen");
    }
    return {};
}

QMessageBox::Icon icon(Dialogs::Kind kind)
{
    switch (kind) {
    case Dialogs::Kind::Information: return QMessageBox::Information;
    case Dialogs::Kind::Warning: return QMessageBox::Warning;
    case Dialogs::Kind::Error: return QMessageBox::Critical;
    case Dialogs::Kind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// Keeps the file dialog's own labels in the program's language.
void setGermanLabels(QFileDialog& dialog, bool saving)
{
    dialog.setLabelText(QFileDialog::LookIn, Text::tr("Suchen in:"));
    dialog.setLabelText(QFileDialog::FileName, Text::tr("Dateiname:"));
    dialog.setLabelText(QFileDialog::FileType, Text::tr("Dateityp:"));
    dialog.setLabelText(QFileDialog::Accept, saving ? Text::tr("Speichern") : Text::tr("Öffnen"));
    dialog.setLabelText(QFileDialog::Reject, Text::tr("Abbrechen"));
}
} // namespace

QWidget* QtDialogs::parentWidget() const
{
    return m_parent ? m_parent.data() : QApplication::activeWindow();
}

Dialogs::Button QtDialogs::message(Kind kind, const QString& text, Buttons buttons, int helpTopic, Button defaultButton)
{
    if ((buttons & ~Help) == 0)
        buttons |= Ok;
    QMessageBox box(icon(kind), title(kind), text, QMessageBox::NoButton, parentWidget());
    std::map<QAbstractButton*, Button> answers;
    QAbstractButton* helpButton = nullptr;
    for (const ButtonInfo& info : kButtons) {
        if ((buttons & info.button) == 0)
            continue;
        QPushButton* button = box.addButton(Text::tr(info.text), info.role);
        answers[button] = info.button;
        if (info.button == Help)
            helpButton = button;
    }
    auto buttonFor = [&](Button wanted) -> QPushButton* {
        for (const auto& [widget, answer] : answers) {
            if (answer == wanted)
                return static_cast<QPushButton*>(widget);
        }
        return nullptr;
    };
    if (QPushButton* button = buttonFor(defaultButton))
        box.setDefaultButton(button);
    // Escape and closing the box answer No, Cancel, Abort or Ok, never the default.
    const Button unanswered = unansweredButton(buttons);
    if (QPushButton* escape = buttonFor(unanswered))
        box.setEscapeButton(escape);

    for (;;) {
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        if (clicked && clicked == helpButton) {
            // Help shows the topic and leaves the question open.
            m_help(helpTopic);
            continue;
        }
        const auto found = answers.find(clicked);
        return found != answers.end() ? found->second : unanswered;
    }
}

std::optional<QString> QtDialogs::inputText(const QString& title, const QString& prompt, const QString& value)
{
    QInputDialog dialog(parentWidget());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(value);
    dialog.setOkButtonText(Text::tr("OK"));
    dialog.setCancelButtonText(Text::tr("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QStringList> QtDialogs::runFileDialog(const FileRequest& request, FileMode mode)
{
    QFileDialog dialog(parentWidget(), request.title);
    const bool saving = mode == FileMode::Save;
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (mode == FileMode::OpenMany)
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else if (mode == FileMode::OpenOne && request.mustExist)
        dialog.setFileMode(QFileDialog::ExistingFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
    if (saving && !request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    setGermanLabels(dialog, saving);

    QStringList filters;
    for (const FileFilter& filter : request.filters)
        filters.append(nameFilterText(filter));
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles();
}

std::optional<QString> QtDialogs::openFileName(const FileRequest& request)
{
    const std::optional<QStringList> files = runFileDialog(request, FileMode::OpenOne);
    if (!files)
        return std::nullopt;
    return files->front();
}

std::optional<QStringList> QtDialogs::openFileNames(const FileRequest& request)
{
    return runFileDialog(request, FileMode::OpenMany);
}

std::optional<QString> QtDialogs::saveFileName(const FileRequest& request)
{
    const std::optional<QStringList> files = runFileDialog(request, FileMode::Save);
    if (!files)
        return std::nullopt;
    return withDefaultSuffix(files->front(), request.defaultSuffix);
}

std::optional<QString> QtDialogs::folder(const QString& title, const QString& startFolder)
{
    const QString chosen = QFileDialog::getExistingDirectory(parentWidget(), title, startFolder);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

std::optional<QString> QtDialogs::colour(const QString& current)
{
    const QColor chosen = QColorDialog::getColor(QColor::fromString(current), parentWidget(), Text::tr("Farbe"));
    if (!chosen.isValid())
        return std::nullopt;
    return chosen.name(QColor::HexRgb);
}

std::optional<QString> QtDialogs::font(const QString& current)
{
    QFont start;
    if (!current.isEmpty())
        start.fromString(current);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, start, parentWidget(), Text::tr("Schriftart"));
    if (!ok)
        return std::nullopt;
    return chosen.toString();
}
