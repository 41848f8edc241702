// The file helpers and file operations of the documents.
#include "documents/Document.h"
#include "documents/FileProperties.h"
#include "platform/FileOperations.h"
#include "platform/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(Document)
};

// Reports the progress of one operation under its own title.
class TitledProgress : public ProgressSink
{
public:
    TitledProgress(ProgressSink* target, QString title)
        : m_target(target)
        , m_title(std::move(title))
    {
        if (m_target)
            m_target->setTitle(m_title);
    }
    void setTitle(const QString&) override
    {
        if (m_target)
            m_target->setTitle(m_title);
    }
    void setMaximum(int maximum) override
    {
        if (m_target)
            m_target->setMaximum(maximum);
    }
    void setPosition(int position) override
    {
        if (m_target)
            m_target->setPosition(position);
    }
    void setText(const QString& text) override
    {
        if (m_target)
            m_target->setText(text);
    }
    bool cancelled() override { return m_target && m_target->cancelled(); }

private:
    ProgressSink* m_target;
    QString m_title;
};

bool pathExists(const QString& path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

// The offset of the file name part (after the last "/" or "\").
qsizetype nameStart(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
}

void showFailure(Dialogs& dialogs, const FileOperations::Result& result)
{
    if (result.ok || result.cancelled)
        return;
    QString text = result.error;
    if (!result.detail.isEmpty())
        text += QLatin1Char('\n') + result.detail;
    dialogs.error(text);
}

QString replaceQuestion(const QString& target)
{
    return Text::tr("Die Datei \"%1\" ist bereits vorhanden.\nMöchten Sie sie ersetzen?").arg(target);
}

// Asks about replacing an existing target of a single operation: true to go on (overwrite set
// when it is to be replaced), false to stop.
bool confirmReplace(const QString& source, const QString& target, bool confirm, Dialogs& dialogs, bool& overwrite)
{
    overwrite = false;
    if (!pathExists(target) || !confirm || SameFileName(source, target))
        return true; // without confirmation FileOperations refuses to replace and says so
    if (dialogs.message(Dialogs::Kind::Confirmation, replaceQuestion(target), Dialogs::Yes | Dialogs::No)
        != Dialogs::Yes)
        return false;
    overwrite = true;
    return true;
}

// The transfers of a list operation into a folder, after asking about each existing target.
// nullopt when the user cancelled.
std::optional<FileOperations::Transfers> transfersInto(
    const QStringList& sources, const QString& folder, Dialogs& dialogs, bool& overwrite)
{
    overwrite = false;
    bool replaceAll = false;
    FileOperations::Transfers transfers;
    for (const QString& source : sources) {
        const QString target = QDir(folder).filePath(QFileInfo(source).fileName());
        if (pathExists(target) && !SameFileName(source, target) && !replaceAll) {
            const Dialogs::Button answer = dialogs.message(Dialogs::Kind::Confirmation, replaceQuestion(target),
                Dialogs::Yes | Dialogs::YesToAll | Dialogs::No | Dialogs::Cancel);
            if (answer == Dialogs::Cancel)
                return std::nullopt;
            if (answer == Dialogs::No)
                continue;
            replaceAll = answer == Dialogs::YesToAll;
            overwrite = true;
        }
        transfers.append({source, target});
    }
    return transfers;
}

bool makeFolder(const QString& folder, Dialogs& dialogs)
{
    if (QDir().mkpath(folder))
        return true;
    dialogs.error(Text::tr("Der Ordner \"%1\" konnte nicht angelegt werden.").arg(folder));
    return false;
}
} // namespace

// --- names --------------------------------------------------------------------------------

QString CleanFileName(const QString& text, bool namePart)
{
    static const QString removedAlways = QStringLiteral("[]?;\"<>|*=");
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (removedAlways.contains(c))
            continue;
        if (namePart && (c == QLatin1Char('/') || c.unicode() < 0x20 || c.unicode() == 0x7F))
            continue;
        result += c;
    }
    if (namePart) {
        result = result.left(255);
        result.remove(QLatin1Char('\\')).remove(QLatin1Char('.')).remove(QLatin1Char(':'));
        return result;
    }
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool network = result.startsWith(QLatin1String("//"));
    while (result.contains(QLatin1String("//")))
        result.replace(QLatin1String("//"), QLatin1String("/"));
    if (network)
        result.prepend(QLatin1Char('/'));
    return result;
}

QString ExtractFileExt(const QString& path)
{
    const qsizetype start = nameStart(path);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot >= start ? path.mid(dot) : QString();
}

QString ChangeFileExt(const QString& path, const QString& extension)
{
    const qsizetype start = nameStart(path);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot >= start ? path.left(dot) : path) + extension;
}

QString MakeUniqueFileName(const QString& path)
{
    if (!pathExists(path))
        return path;
    const QString extension = ExtractFileExt(path);
    const QString stem = ChangeFileExt(path, QString());
    for (int number = 1;; ++number) {
        const QString candidate = stem + QString::number(number) + extension;
        if (!pathExists(candidate))
            return candidate;
    }
}

bool IsValidFileName(const QString& path)
{
    if (path.trimmed().isEmpty())
        return false;
    for (const QChar c : path) {
        if (c.unicode() < 0x20 || QStringLiteral("\"*<>?|").contains(c))
            return false;
    }
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('\\'))
        || name.contains(QLatin1Char(':')))
        return false;
    return path.indexOf(QLatin1String("//"), 1) < 0;
}

bool SameFileName(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    const auto clean = [](const QString& path) -> QString {
        QString cleaned = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        while (cleaned.size() > 1 && cleaned.endsWith(QLatin1Char('/')))
            cleaned.chop(1);
        return cleaned;
    };
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (clean(a) == clean(b))
        return true;
    struct stat sa
    {
    }, sb{};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString FilterExtension(const QString& filter, int index)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QString mask = parts.value(index * 2 + 1).mid(2);
    const qsizetype cut = mask.indexOf(QLatin1Char(';'));
    return cut >= 0 ? mask.left(cut) : mask;
}

QList<Dialogs::FileFilter> FileFilterList(const QString& filter)
{
    QList<Dialogs::FileFilter> filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.append({parts[i], parts[i + 1]});
    return filters;
}

QString QuotedArgument(const QString& text)
{
    return QLatin1Char('"') + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"\"")) + QLatin1Char('"');
}

// --- single files -------------------------------------------------------------------------

bool BackupFile(const QString& path, Dialogs& dialogs)
{
    if (!QFileInfo(path).isFile())
        return true;
    const QString backup = ChangeFileExt(path, QStringLiteral(".~") + ExtractFileExt(path).mid(1));
    FileOperations::Options options;
    options.overwrite = true;
    const FileOperations::Result result = FileOperations::copyFiles({{path, backup}}, nullptr, options);
    showFailure(dialogs, result);
    return result.ok;
}

QString CopyAsCopy(const QString& path, Dialogs* dialogs)
{
    const QString target
        = MakeUniqueFileName(ChangeFileExt(path, QString()) + QStringLiteral("_Copy") + ExtractFileExt(path));
    const FileOperations::Result result = FileOperations::copyFiles({{path, target}});
    if (!result.ok) {
        if (dialogs)
            showFailure(*dialogs, result);
        return {};
    }
    return target;
}

bool CreateEmptyFile(const QString& path, Dialogs& dialogs)
{
    if (pathExists(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        dialogs.error(Text::tr("Die Datei \"%1\" konnte nicht angelegt werden.").arg(path) + QLatin1Char('\n')
            + file.errorString());
        return false;
    }
    file.close();
    return true;
}

bool CopyFileDirect(const QString& source, const QString& target, bool overwrite, bool report, Dialogs* dialogs)
{
    FileOperations::Options options;
    options.overwrite = overwrite;
    const FileOperations::Result result = FileOperations::copyFiles({{source, target}}, nullptr, options);
    if (!result.ok && report && dialogs)
        showFailure(*dialogs, result);
    return result.ok;
}

bool ShowFileProperties(const QString& path, Dialogs& dialogs)
{
    if (path.isEmpty() || !pathExists(path)) {
        dialogs.error(Text::tr("Die Datei \"%1\" wurde nicht gefunden.").arg(path));
        return false;
    }
    return FileProperties::show(path);
}

// --- operations with progress -------------------------------------------------------------

bool CopyDocFile(const QString& source, const QString& target, bool confirm, Dialogs& dialogs, ProgressSink* progress)
{
    bool overwrite = false;
    if (!confirmReplace(source, target, confirm, dialogs, overwrite))
        return false;
    TitledProgress titled(progress, Text::tr("Dokumentdatei kopieren"));
    FileOperations::Options options;
    options.overwrite = overwrite;
    const FileOperations::Result result
        = FileOperations::copyFiles({{source, target}}, progress ? &titled : nullptr, options);
    showFailure(dialogs, result);
    return result.ok;
}

bool MoveDocFile(const QString& source, const QString& target, bool confirm, Dialogs& dialogs, ProgressSink* progress)
{
    bool overwrite = false;
    if (!confirmReplace(source, target, confirm, dialogs, overwrite))
        return false;
    TitledProgress titled(progress, Text::tr("Dokumentdatei verschieben"));
    const bool sameFolder = QFileInfo(source).absolutePath() == QFileInfo(target).absolutePath();
    FileOperations::Result result;
    if (sameFolder && !overwrite) {
        result = FileOperations::renameFile(source, QFileInfo(target).fileName());
    } else {
        if (!sameFolder && !makeFolder(QFileInfo(target).absolutePath(), dialogs))
            return false;
        FileOperations::Options options;
        options.overwrite = overwrite;
        result = FileOperations::moveFiles({{source, target}}, progress ? &titled : nullptr, options);
    }
    showFailure(dialogs, result);
    return result.ok && pathExists(target);
}

namespace {
using Transferring
    = FileOperations::Result (*)(const FileOperations::Transfers&, ProgressSink*, const FileOperations::Options&);

// Copies or moves files into a folder, asking before an existing file there is replaced.
bool transferInto(const QStringList& sources, const QString& targetFolder, Dialogs& dialogs, ProgressSink* progress,
    Transferring operation, const QString& title)
{
    if (!makeFolder(targetFolder, dialogs))
        return false;
    bool overwrite = false;
    const auto transfers = transfersInto(sources, targetFolder, dialogs, overwrite);
    if (!transfers)
        return false;
    TitledProgress titled(progress, title);
    FileOperations::Options options;
    options.overwrite = overwrite;
    const FileOperations::Result result = operation(*transfers, progress ? &titled : nullptr, options);
    showFailure(dialogs, result);
    return result.ok;
}
} // namespace

bool CopyDocFiles(const QStringList& sources, const QString& targetFolder, Dialogs& dialogs, ProgressSink* progress)
{
    return transferInto(
        sources, targetFolder, dialogs, progress, &FileOperations::copyFiles, Text::tr("Dokumentdateien kopieren"));
}

bool MoveDocFiles(const QStringList& sources, const QString& targetFolder, Dialogs& dialogs, ProgressSink* progress)
{
    return transferInto(
        sources, targetFolder, dialogs, progress, &FileOperations::moveFiles, Text::tr("Dokumentdateien verschieben"));
}

bool RecycleFiles(const QStringList& files, bool confirm, Dialogs& dialogs, Shell& shell, ProgressSink* progress)
{
    if (files.isEmpty())
        return true;
    if (confirm) {
        const QString question = files.size() == 1
            ? Text::tr("Möchten Sie \"%1\" wirklich in den Papierkorb verschieben?").arg(files.first())
            : Text::tr("Möchten Sie diese %1 Dateien wirklich in den Papierkorb verschieben?").arg(files.size());
        if (dialogs.message(Dialogs::Kind::Confirmation, question, Dialogs::Yes | Dialogs::No) != Dialogs::Yes)
            return false;
    }
    TitledProgress titled(progress, Text::tr("Dateien löschen"));
    if (progress) {
        titled.setMaximum(int(files.size()));
        titled.setPosition(0);
    }
    QStringList failed;
    int done = 0;
    for (const QString& file : files) {
        if (progress && titled.cancelled())
            return false;
        if (progress)
            titled.setText(QFileInfo(file).fileName());
        if (!shell.moveToTrash({file}))
            failed.append(file);
        if (progress)
            titled.setPosition(++done);
    }
    if (!failed.isEmpty()) {
        dialogs.error(Text::tr("Die Datei \"%1\" konnte nicht in den Papierkorb verschoben werden.")
                          .arg(failed.join(QStringLiteral("\", \""))));
        return false;
    }
    return true;
}

// --- the file-properties window -----------------------------------------------------------

namespace FileProperties {
namespace {
Handler& handler()
{
    static Handler h;
    return h;
}
} // namespace

void setHandler(Handler h)
{
    handler() = std::move(h);
}

bool hasHandler()
{
    return bool(handler());
}

bool show(const QString& path)
{
    return handler() && !path.isEmpty() && handler()(path);
}
} // namespace FileProperties
