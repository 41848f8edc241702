#include "platform/FileOperations.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace FileOperations {
namespace {
enum class Mode { Copy, Move, Rename };

// The texts of this file, translated in the context "FileOperations".
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(FileOperations)
};

QString failureText(Mode mode, const QString& source, const QString& target)
{
    switch (mode) {
    case Mode::Copy: return Text::tr("Die Datei \"%1\" konnte nicht nach \"%2\" kopiert werden.").arg(source, target);
    case Mode::Move:
        return Text::tr("Die Datei \"%1\" konnte nicht nach \"%2\" verschoben werden.").arg(source, target);
    case Mode::Rename: return Text::tr("Die Datei \"%1\" konnte nicht in \"%2\" umbenannt werden.").arg(source, target);
    }
    return {};
}

Result failure(QString error, QString detail = {})
{
    Result result;
    result.ok = false;
    result.error = std::move(error);
    result.detail = std::move(detail);
    return result;
}

Result cancelledResult()
{
    Result result = failure(Text::tr("Der Vorgang wurde abgebrochen."));
    result.cancelled = true;
    return result;
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString resolvedTarget(const QString& source, const QString& target)
{
    if (target.endsWith(QLatin1Char('/')) || QFileInfo(target).isDir())
        return QDir(target).filePath(QFileInfo(source).fileName());
    return target;
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat sa
    {
    }, sb{};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool exists(const QString& path)
{
    // A dangling symbolic link is there too.
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

Result makeFolderFor(const QString& target)
{
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder))
        return failure(Text::tr("Der Ordner \"%1\" konnte nicht angelegt werden.").arg(folder));
    return {};
}

// Copies one file through a temporary file in the target folder.
Result copyOne(const QString& source, const QString& target, const Options& options, ProgressSink* progress, Mode mode)
{
    const QFileInfo info(source);
    if (!info.exists())
        return failure(Text::tr("Die Datei \"%1\" wurde nicht gefunden.").arg(source));
    if (!info.isFile())
        return failure(failureText(mode, source, target), Text::tr("\"%1\" ist keine Datei.").arg(source));
    if (sameFile(source, target))
        return failure(Text::tr("Die Datei \"%1\" kann nicht auf sich selbst kopiert werden.").arg(source));
    if (exists(target) && (!options.overwrite || QFileInfo(target).isDir()))
        return failure(Text::tr("Die Datei \"%1\" ist bereits vorhanden.").arg(target));
    if (Result folder = makeFolderFor(target); !folder.ok)
        return folder;

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return failure(failureText(mode, source, target), in.errorString());
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return failure(failureText(mode, source, target), out.errorString());

    constexpr qint64 chunkSize = 1 << 20;
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    for (;;) {
        if (progress && progress->cancelled()) {
            out.cancelWriting();
            return cancelledResult();
        }
        const qint64 read = in.read(buffer.data(), chunkSize);
        if (read < 0) {
            out.cancelWriting();
            return failure(failureText(mode, source, target), in.errorString());
        }
        if (read == 0)
            break;
        if (out.write(buffer.constData(), read) != read) {
            const QString reason = out.errorString();
            out.cancelWriting();
            return failure(failureText(mode, source, target), reason);
        }
    }
    if (!out.commit())
        return failure(failureText(mode, source, target), out.errorString());

    // The copy keeps the permissions and the time of change of its source.
    QFile::setPermissions(target, info.permissions());
    QFile written(target);
    if (written.open(QIODevice::Append))
        written.setFileTime(info.lastModified(), QFileDevice::FileModificationTime);
    return {};
}

int renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // The file system cannot refuse to replace by itself.
    struct stat st
    {
    };
    if (::lstat(to.constData(), &st) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

Result moveOne(const QString& source, const QString& target, const Options& options, ProgressSink* progress, Mode mode)
{
    const QFileInfo info(source);
    if (!exists(source))
        return failure(Text::tr("Die Datei \"%1\" wurde nicht gefunden.").arg(source));
    if (QFileInfo(target).absoluteFilePath() == info.absoluteFilePath())
        return {};
    const bool caseChangeOnly = sameFile(source, target);
    if (!caseChangeOnly && exists(target) && !options.overwrite)
        return failure(Text::tr("Die Datei \"%1\" ist bereits vorhanden.").arg(target));
    if (Result folder = makeFolderFor(target); !folder.ok)
        return folder;

    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    int error = 0;
    if (options.overwrite || caseChangeOnly)
        error = ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
    else
        error = renameNoReplace(from, to);
    if (error == 0)
        return {};
    if (error == EEXIST)
        return failure(Text::tr("Die Datei \"%1\" ist bereits vorhanden.").arg(target));
    if (error != EXDEV || !info.isFile())
        return failure(failureText(mode, source, target), systemReason(error));

    // Another file system: copy, then remove the source.
    Result copied = copyOne(source, target, options, progress, mode);
    if (!copied.ok)
        return copied;
    QFile original(source);
    if (!original.remove())
        return failure(Text::tr("Die Datei \"%1\" wurde nach \"%2\" kopiert, konnte aber nicht gelöscht werden.")
                           .arg(source, target),
            original.errorString());
    return {};
}

using Step = Result (*)(const QString&, const QString&, const Options&, ProgressSink*, Mode);

Result run(const Transfers& transfers, ProgressSink* progress, const Options& options, Mode mode, Step step)
{
    if (progress) {
        progress->setTitle(mode == Mode::Copy ? Text::tr("Dateien kopieren") : Text::tr("Dateien verschieben"));
        progress->setMaximum(int(transfers.size()));
        progress->setPosition(0);
    }
    Result result;
    for (const Transfer& transfer : transfers) {
        if (progress && progress->cancelled()) {
            Result cancelled = cancelledResult();
            cancelled.completed = result.completed;
            return cancelled;
        }
        if (progress)
            progress->setText(QFileInfo(transfer.source).fileName());
        Result one = step(transfer.source, resolvedTarget(transfer.source, transfer.target), options, progress, mode);
        if (!one.ok) {
            one.completed = result.completed;
            return one;
        }
        ++result.completed;
        if (progress)
            progress->setPosition(result.completed);
    }
    return result;
}
} // namespace

Result copyFiles(const Transfers& transfers, ProgressSink* progress, const Options& options)
{
    return run(transfers, progress, options, Mode::Copy, copyOne);
}

Result moveFiles(const Transfers& transfers, ProgressSink* progress, const Options& options)
{
    return run(transfers, progress, options, Mode::Move, moveOne);
}

Result renameFile(const QString& source, const QString& newName)
{
    const QString name = newName.trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.endsWith(QLatin1Char('/')))
        return failure(Text::tr("Der Name \"%1\" ist ungültig.").arg(newName));
    const QString target = QFileInfo(name).isAbsolute() ? name : QFileInfo(source).absoluteDir().filePath(name);
    Result result = moveOne(source, target, Options{}, nullptr, Mode::Rename);
    if (result.ok)
        result.completed = 1;
    return result;
}
bool writeFileAtomically(const QString& path, const QByteArray& contents)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(contents) != contents.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace FileOperations
