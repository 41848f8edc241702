#include "documents/Document.h"

#include "archive/DataMod.h"
#include "platform/Errors.h"
#include "platform/FileOperations.h"
#include "platform/Shell.h"
#include "platform/SpecialFolders.h"
#include "platform/db/SqlRecordSet.h"
#include "settings/ProgramSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

namespace {
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(Document)
};

const QString kNullFile = QStringLiteral("NullFile");

TDravonelDocument::NoteVerbHandler& noteVerbHandler()
{
    static TDravonelDocument::NoteVerbHandler handler;
    return handler;
}

TDravonelDocument::OpenWithHandler& openWithHandler()
{
    static TDravonelDocument::OpenWithHandler handler;
    return handler;
}

// A file name of at most this many bytes leaves room for the number MakeUniqueFileName adds.
constexpr int kMaxNameBytes = 240;
} // namespace

namespace DocumentTexts {
QString automaticFileName()
{
    return Text::tr("[automatisch]");
}

QString internalDocument()
{
    return Text::tr("(internes Dokument)");
}

QString allFilesFilter()
{
    return Text::tr("Alle Dateien (*.*)|*.*");
}
} // namespace DocumentTexts

std::atomic<bool> TDravonelDocument::DocumentOpened{false};

void TDravonelDocument::setNoteVerbHandler(NoteVerbHandler handler)
{
    noteVerbHandler() = std::move(handler);
}

void TDravonelDocument::setOpenWithHandler(OpenWithHandler handler)
{
    openWithHandler() = std::move(handler);
}

TDravonelDocument::TDravonelDocument(
    TDModul& dataModule, ProgramSettings& settings, Shell& shell, SqlRecordSet& dataset, SqlRecordSet* blobDataset)
    : Dataset(dataset)
    , BlobDataset(blobDataset)
    , m_dataModule(dataModule)
    , m_settings(settings)
    , m_shell(shell)
{
    UpdateApplInfo();
}

Dialogs& TDravonelDocument::dialogs() const
{
    return m_dataModule.dialogs();
}

// --- the record ---------------------------------------------------------------------------

void TDravonelDocument::BeginEdit()
{
    EditStarted = Dataset.state() == SqlRecordSet::State::Browse;
    if (EditStarted)
        Dataset.edit();
}

void TDravonelDocument::EndEdit()
{
    if (EditStarted) {
        Dataset.post(); // when saving fails the record stays in edit state for the caller
        EditStarted = false;
    }
}

QString TDravonelDocument::GetField(const QString& name) const
{
    return Dataset.text(name);
}

void TDravonelDocument::SetField(const QString& name, const QString& value)
{
    BeginEdit();
    Dataset.setText(name, value);
    EndEdit();
}

bool TDravonelDocument::FileExists() const
{
    const QString file = FileName();
    return !file.isEmpty() && QFileInfo(file).isFile();
}

TDocTypeKind TDravonelDocument::Kind() const
{
    return KindOfKey(GetField(QStringLiteral("APPLNAME")));
}

bool TDravonelDocument::CanOpen() const
{
    switch (Kind()) {
    case dtkNote:
    case dtkWebLink: return true;
    case dtkFile:
    case dtkEmail: return FileExists();
    case dtkNone: return false;
    }
    return false;
}

void TDravonelDocument::UpdateApplInfo()
{
    if (Kind() != dtkFile)
        return;
    try {
        ApplInfo.setExtension(GetField(QStringLiteral("APPLNAME")));
    } catch (const DxError&) {
        // an extension the desktop does not know: no information
    }
}

QString TDravonelDocument::FileFilter() const
{
    const QString extension = ApplInfo.Extension();
    if (extension.isEmpty())
        return DocumentTexts::allFilesFilter();
    return ApplInfo.RegApplInfo().Caption + QStringLiteral(" (*") + extension + QStringLiteral(")|*") + extension;
}

// --- folders ------------------------------------------------------------------------------

QString TDravonelDocument::TemplateFolder() const
{
    QString folder = SpecialFolders::templates();
    if (folder.isEmpty())
        folder = m_dataModule.ProgramFolder() + QStringLiteral("Template/");
    QDir().mkpath(folder);
    return folder;
}

QString TDravonelDocument::DocumentFolder() const
{
    return SpecialFolders::personalDocuments() + Text::tr("Dokumente") + QLatin1Char('/');
}

QString TDravonelDocument::AutoFileName() const
{
    QString name = CleanFileName(GetField(QStringLiteral("NAME")), true);
    if (name.isEmpty())
        name = GetField(QStringLiteral("DOCID"));

    QString folder = DocumentFolder();
    const QString project = GetField(QStringLiteral("PROJECT"));
    if (!project.isEmpty()) {
        // Each level of the project is a sub-folder; levels that would leave the folder ("..")
        // or name none (".") are dropped.
        for (const QString& level : CleanFileName(project, false).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            if (level.trimmed().isEmpty() || level == QLatin1String(".") || level == QLatin1String(".."))
                continue;
            folder += level + QLatin1Char('/');
        }
    }

    QString extension = ExtractFileExt(FileName());
    if (extension.isEmpty()) {
        const QString key = GetField(QStringLiteral("APPLNAME"));
        if (key.startsWith(QLatin1Char('.')))
            extension = key;
        else if (KindOfKey(key) == dtkEmail)
            extension = QStringLiteral(".eml");
    }
    while (!name.isEmpty() && (name + extension).toUtf8().size() > kMaxNameBytes)
        name.chop(1);

    const QString path = MakeUniqueFileName(folder + name + extension);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}

// --- operations ---------------------------------------------------------------------------

bool TDravonelDocument::CreateFile()
{
    UpdateApplInfo();
    if (FileExists())
        return true;
    QString target = FileName();
    if (target.startsWith(DocumentTexts::automaticFileName())) {
        target = AutoFileName();
        SetField(QStringLiteral("FILENAME"), target);
    }
    if (target.isEmpty())
        return false;

    if (!QFileInfo(TemplatePath).isFile()) {
        const TRegApplicationInfo& info = ApplInfo.RegApplInfo();
        if (!ApplInfo.Extension().isEmpty()
            && info.ShellNewKind.compare(QLatin1String("FileName"), Qt::CaseInsensitive) == 0) {
            TemplatePath = info.ShellNewValue;
            if (!QFileInfo(TemplatePath).isFile()) {
                dialogs().error(
                    Text::tr("Standard-Dokumentvorlage \"%1\" nicht gefunden. Um dieses Problem zukünftig zu "
                             "vermeiden, sollten Sie mit dem Anwendungsprogramm \"%2\" ein lerres Dokument unter dem "
                             "Dateinamen \"%3\" speichern.")
                        .arg(TemplatePath, info.Caption, TemplatePath));
                TemplatePath = kNullFile;
            }
        } else {
            TemplatePath = kNullFile;
        }
    }

    if (TemplatePath.compare(kNullFile, Qt::CaseInsensitive) == 0)
        CreateEmptyFile(target, dialogs());
    else
        CopyFileDirect(TemplatePath, target, false, false, nullptr);
    return FileExists();
}

bool TDravonelDocument::ShellVerb(const QString& verb)
{
    if (Kind() == dtkNote) {
        if (noteVerbHandler())
            noteVerbHandler()(*this, verb);
        return false;
    }
    const QString file = FileName();
    if (verb.compare(QLatin1String("print"), Qt::CaseInsensitive) == 0)
        return m_shell.print(file);
    if (verb.compare(QLatin1String("properties"), Qt::CaseInsensitive) == 0)
        return ShowFileProperties(file, dialogs());
    if (verb.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0)
        return m_shell.open(file);
    return false;
}

void TDravonelDocument::Open()
{
    ShellVerb(QStringLiteral("open"));
    DocumentOpened = true;
}

bool TDravonelDocument::Print()
{
    return ShellVerb(QStringLiteral("print"));
}

bool TDravonelDocument::Preview()
{
    const QString program = m_settings.ApplCfg.PreviewExe;
    if (program.isEmpty() || !QFileInfo(program).isFile()) {
        dialogs().error(Text::tr("Das Vorschauprogramm \"%1\" wurde nicht gefunden.").arg(program));
        return false;
    }
    return m_shell.openWith(program, FileName());
}

bool TDravonelDocument::OpenWith()
{
    const QString file = FileName();
    if (QFileInfo(file).isFile()) {
        if (!openWithHandler())
            return false;
        const QString type = QMimeDatabase().mimeTypeForFile(file).name();
        const DesktopDatabase::Applications applications;
        const std::optional<QString> choice = openWithHandler()(file, applications.allFor(type));
        if (!choice || choice->trimmed().isEmpty())
            return false;
        return m_shell.openWith(*choice, file);
    }

    Dialogs::FileRequest request;
    request.title = Text::tr("Anwendung öffnen");
    // Programs have no extension here: the programs filter shows every file.
    request.filters
        = {{Text::tr("Anwendungen (*)"), QStringLiteral("*")}, {Text::tr("Alle Dateien (*.*)"), QStringLiteral("*")}};
    request.mustExist = true;
    const QString previous = m_settings.ApplCfg.OpenWithExe;
    if (!previous.isEmpty()) {
        request.folder = QFileInfo(previous).absolutePath();
        request.fileName = QFileInfo(previous).fileName();
    }
    const std::optional<QString> program = dialogs().openFileName(request);
    if (!program || program->isEmpty())
        return false;
    m_settings.ApplCfg.OpenWithExe = *program;
    return m_shell.openWith(*program, file);
}

bool TDravonelDocument::Rename(const QString& newName)
{
    const QString path = FileName();
    const QFileInfo info(path);
    const QString oldName = info.fileName();
    const QString folder = info.absolutePath() + QLatin1Char('/');
    if (oldName.isEmpty() || !info.exists()) {
        dialogs().error(Text::tr("Die Datei \"%1\" wurde nicht gefunden.").arg(path));
        return false;
    }

    QString name = newName;
    if (name.isEmpty()) {
        const QString suggestion = ChangeFileExt(oldName, QString());
        name = dialogs()
                   .inputText(Text::tr("Umbenennen"), Text::tr("Neuer Dokumentname"), suggestion)
                   .value_or(suggestion);
    }
    name = ChangeFileExt(name.trimmed(), ExtractFileExt(oldName));
    if (ChangeFileExt(name, QString()).trimmed().isEmpty() || name.contains(QLatin1Char('/'))
        || !IsValidFileName(folder + name)) {
        dialogs().error(Text::tr("Der Name \"%1\" ist ungültig.").arg(name));
        return false;
    }
    if (name.compare(oldName, Qt::CaseInsensitive) == 0)
        return true;

    if (!MoveDocFile(folder + oldName, folder + name, false, dialogs(), Progress))
        return false;

    const bool wasEditing = Dataset.isEditing();
    const QString previousFile = Dataset.text(QStringLiteral("FILENAME"));
    const QString previousName = Dataset.text(QStringLiteral("NAME"));
    try {
        BeginEdit();
        Dataset.setText(QStringLiteral("FILENAME"), folder + name);
        Dataset.setText(QStringLiteral("NAME"), ChangeFileExt(name, QString()));
        EndEdit();
    } catch (const DxError&) {
        // The record keeps its old name, so the file gets it back too.
        if (EditStarted && Dataset.isEditing())
            Dataset.cancel();
        else if (wasEditing && Dataset.isEditing()) {
            Dataset.setText(QStringLiteral("FILENAME"), previousFile);
            Dataset.setText(QStringLiteral("NAME"), previousName);
        }
        EditStarted = false;
        const FileOperations::Result back = FileOperations::renameFile(folder + name, oldName);
        QString message = Text::tr("Fehler beim Speichern von \"%1\" in Tabelle \"%2\".")
                              .arg(QStringLiteral("Name,FileName"), QStringLiteral("DOCUMENT"));
        if (!back.ok)
            message += QLatin1Char('\n') + back.error;
        dialogs().error(message);
        return false;
    }
    return true;
}

void TDravonelDocument::Delete(bool withFile)
{
    // The record goes first: when it cannot be deleted, its file is still there.
    const QString file = FileName();
    const bool deleteFile = withFile && FileExists();
    Dataset.remove();
    State = 2;
    if (deleteFile && !QFile::remove(file))
        m_dataModule.ShowErrorAndLog(Text::tr("\"%1\" konnte nicht gelöscht werden.").arg(file));
}

void TDocumentFileMaker::ensureFile(SqlRecordSet& records)
{
    if (CurrentDocument && &CurrentDocument->Dataset == &records) {
        CurrentDocument->CreateFile();
        return;
    }
    TDravonelDocument document(m_dataModule, m_settings, m_shell, records);
    document.CreateFile();
}
