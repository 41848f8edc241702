#include "platform/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {
QString findProgram(const QString& name)
{
    if (name.contains(QLatin1Char('/')))
        return QFileInfo(name).isFile() ? name : QString();
    return QStandardPaths::findExecutable(name);
}

bool startDetached(const QString& program, const QStringList& arguments, const QString& workFolder)
{
    if (program.isEmpty())
        return false;
    if (!workFolder.isEmpty() && !QFileInfo(workFolder).isDir())
        return false;
    return QProcess::startDetached(program, arguments, workFolder);
}
} // namespace

LinuxShell::LinuxShell(QString opener, QString printCommand)
    : m_opener(std::move(opener))
    , m_printCommand(std::move(printCommand))
{
}

bool LinuxShell::open(const QString& fileOrUrl, const QString& parameters, const QString& workFolder)
{
    const QString target = fileOrUrl.trimmed();
    if (target.isEmpty())
        return false;

    QString local = target;
    const QUrl url(target);
    if (url.isLocalFile())
        local = url.toLocalFile();
    const QFileInfo info(
        QFileInfo(local).isRelative() && !workFolder.isEmpty() ? QDir(workFolder).filePath(local) : local);
    if (info.exists()) {
        const QString path = info.absoluteFilePath();
        if (isProgramFile(path))
            return startDetached(path, QProcess::splitCommand(parameters), workFolder);
        return startDetached(findProgram(m_opener), {path}, workFolder);
    }
    // Not a file here: a URL ("https:", "mailto:"; one-letter schemes would be drive letters),
    // else a program on the PATH.
    if (url.isValid() && url.scheme().size() > 1 && !url.isLocalFile())
        return startDetached(findProgram(m_opener), {target}, workFolder);
    if (!local.contains(QLatin1Char('/'))) {
        const QString program = QStandardPaths::findExecutable(local);
        if (!program.isEmpty())
            return startDetached(program, QProcess::splitCommand(parameters), workFolder);
    }
    return false;
}

bool LinuxShell::print(const QString& file, const QString& printer)
{
    const QFileInfo info(file);
    const QString program = findProgram(m_printCommand);
    if (!info.isFile() || program.isEmpty())
        return false;
    QStringList arguments;
    if (!printer.trimmed().isEmpty())
        arguments << QStringLiteral("-d") << printer.trimmed();
    arguments << info.absoluteFilePath(); // absolute, so that a name cannot look like an option
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted())
        return false;
    if (!process.waitForFinished(m_printTimeout)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool LinuxShell::moveToTrash(const QStringList& files)
{
    bool all = true;
    for (const QString& file : files) {
        if (!QFile::moveToTrash(file))
            all = false;
    }
    return all;
}

bool LinuxShell::openWith(const QString& program, const QString& file)
{
    if (program.trimmed().isEmpty())
        return false;
    if (QFileInfo(program).isFile())
        return startDetached(program, {file}, {});
    QStringList command = commandWithFile(program, file);
    if (command.isEmpty())
        return false;
    const QString executable = findProgram(command.takeFirst());
    return startDetached(executable, command, {});
}

bool LinuxShell::isProgramFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    return head
        == QByteArrayLiteral("\x7F"
                             "ELF")
        || head.startsWith("#!");
}

QStringList LinuxShell::commandWithFile(const QString& commandLine, const QString& file)
{
    QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty())
        return {};
    QStringList result{parts.takeFirst()};
    bool placed = false;
    for (const QString& part : parts) {
        QString argument;
        bool dropped = false;
        for (qsizetype i = 0; i < part.size(); ++i) {
            if (part[i] != QLatin1Char('%') || i + 1 >= part.size()) {
                argument += part[i];
                continue;
            }
            const QChar code = part[++i];
            if (code == QLatin1Char('%')) {
                argument += code;
            } else if (QStringLiteral("fFuU").contains(code)) {
                argument += file;
                placed = true;
            } else if (part.size() == 2) {
                dropped = true; // a code standing alone, such as %i or %c
            }
        }
        if (!dropped)
            result.append(argument);
    }
    if (!placed)
        result.append(file);
    return result;
}

void RecordingShell::setResult(Operation operation, bool result)
{
    m_results[static_cast<int>(operation)] = result;
}

bool RecordingShell::answer(Operation operation, QStringList arguments)
{
    m_calls.append({operation, std::move(arguments)});
    return m_results[static_cast<int>(operation)];
}

bool RecordingShell::open(const QString& fileOrUrl, const QString& parameters, const QString& workFolder)
{
    return answer(Operation::Open, {fileOrUrl, parameters, workFolder});
}

bool RecordingShell::print(const QString& file, const QString& printer)
{
    return answer(Operation::Print, {file, printer});
}

bool RecordingShell::moveToTrash(const QStringList& files)
{
    return answer(Operation::MoveToTrash, files);
}

bool RecordingShell::openWith(const QString& program, const QString& file)
{
    return answer(Operation::OpenWith, {program, file});
}
