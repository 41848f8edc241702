#include "documents/ShellIntegration.h"

#include "platform/FileOperations.h"
#include "platform/Registry.h"
#include "platform/SpecialFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamWriter>

namespace {
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(ShellIntegration)
};

constexpr int kToolTimeout = 60000;
const QString kAutoStartName = QStringLiteral("VexilonPro");

bool runTool(const QString& name, const QStringList& arguments)
{
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        return false;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted())
        return false;
    if (!process.waitForFinished(kToolTimeout)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool writeFile(const QString& path, const QByteArray& contents)
{
    return FileOperations::writeFileAtomically(path, contents);
}

// A value of a desktop entry: backslashes and line breaks escaped.
QString desktopValue(const QString& value)
{
    QString escaped;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QLatin1String("\\r");
        else
            escaped += c;
    }
    return escaped;
}

QString desktopId(const QString& progId)
{
    QString id = progId.toLower();
    id.replace(QLatin1Char('/'), QLatin1Char('-'));
    return QStringLiteral("doxarel-") + id;
}

QString archiveTemplate(const QString& programFolder)
{
    for (const char* name : {"Default.mdb", "default.mdb"}) {
        const QString path = programFolder + QLatin1String(name);
        if (QFileInfo(path).isFile())
            return path;
    }
    return programFolder + QStringLiteral("default.mdb");
}
} // namespace

QString MimeTypeOfProgId(const QString& progId)
{
    if (progId.contains(QLatin1Char('/')))
        return progId.toLower();
    return QStringLiteral("application/x-") + progId.toLower();
}

QString DesktopExecLine(const QString& program, bool withFile)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = false;
    for (const QChar c : program)
        quote = quote || reserved.contains(c);
    QString word;
    for (const QChar c : program) {
        if (c == QLatin1Char('%'))
            word += QLatin1String("%%");
        else if (quote
            && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\')))
            word += QLatin1Char('\\') + QString(c);
        else
            word += c;
    }
    if (quote)
        word = QLatin1Char('"') + word + QLatin1Char('"');
    return withFile ? word + QStringLiteral(" %f") : word;
}

bool RegisterFileType(const QString& extension, const QString& program, const QString& progId,
    const QString& description, const QString& templatePath)
{
    if (extension.size() < 2 || !extension.startsWith(QLatin1Char('.')) || progId.isEmpty() || program.isEmpty())
        return false;
    const QString mimeType = MimeTypeOfProgId(progId);
    const QString id = desktopId(progId);

    // 1. the MIME type
    QTemporaryDir work;
    if (!work.isValid())
        return false;
    QByteArray package;
    {
        QXmlStreamWriter xml(&package);
        xml.setAutoFormatting(true);
        xml.writeStartDocument();
        xml.writeStartElement(QStringLiteral("mime-info"));
        xml.writeDefaultNamespace(QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
        xml.writeStartElement(QStringLiteral("mime-type"));
        xml.writeAttribute(QStringLiteral("type"), mimeType);
        xml.writeTextElement(QStringLiteral("comment"), description);
        xml.writeEmptyElement(QStringLiteral("glob"));
        xml.writeAttribute(QStringLiteral("pattern"), QLatin1Char('*') + extension.toLower());
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeEndDocument();
    }
    const QString packageFile = work.filePath(id + QStringLiteral(".xml"));
    if (!writeFile(packageFile, package)
        || !runTool(QStringLiteral("xdg-mime"),
            {QStringLiteral("install"), QStringLiteral("--mode"), QStringLiteral("user"), packageFile}))
        return false;

    // 2. the program that opens it
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Comment=%2\n"
                                         "Exec=%3\n"
                                         "MimeType=%4;\n"
                                         "Terminal=false\n"
                                         "NoDisplay=true\n")
                              .arg(desktopValue(QFileInfo(program).completeBaseName()), desktopValue(description),
                                  desktopValue(DesktopExecLine(program)), mimeType);
    if (!writeFile(SpecialFolders::programs() + id + QStringLiteral(".desktop"), entry.toUtf8()))
        return false;
    if (!runTool(QStringLiteral("xdg-mime"), {QStringLiteral("default"), id + QStringLiteral(".desktop"), mimeType}))
        return false;

    // 3. the new-file template
    if (!QFileInfo(templatePath).isFile())
        return true;
    const QString folder = SpecialFolders::templates();
    const QString link = folder + description + extension;
    const QFileInfo existing(link);
    if (existing.exists() || existing.isSymLink())
        return true; // a template of that name is there already
    return QDir().mkpath(folder) && QFile::link(QFileInfo(templatePath).absoluteFilePath(), link);
}

bool RegisterArchiveFileType(const QString& programPath)
{
    const QString program = programPath.isEmpty() ? QCoreApplication::applicationFilePath() : programPath;
    const QString folder = QFileInfo(program).absolutePath() + QLatin1Char('/');
    return RegisterFileType(QStringLiteral(".dva"), program, QStringLiteral("Dravonel") + QStringLiteral("DB"),
        QStringLiteral("Dravonel") + QLatin1Char('-') + Text::tr("Archiv"), archiveTemplate(folder));
}

bool DeleteRegistryKey(Registry& hive, const QString& keyPath)
{
    if (keyPath.isEmpty() || !hive.keyExists(keyPath))
        return false;
    hive.deleteKey(keyPath);
    return hive.flush();
}

QString FindQuickViewer()
{
    return {};
}

bool SetAutoStart(bool on, const QString& program)
{
    const QString folder
        = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/");
    const QString file = folder + kAutoStartName + QStringLiteral(".desktop");
    if (!on)
        return QFile::exists(file) && QFile::remove(file);
    if (program.isEmpty())
        return false;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Exec=%2\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(QStringLiteral("Dravonel Lumaris"), desktopValue(DesktopExecLine(program, false)));
    return writeFile(file, entry.toUtf8());
}

bool WriteManifest(const QString&, const QString&)
{
    return false;
}

bool DeleteManifest()
{
    return true;
}

bool VisualStylesAvailable()
{
    return false;
}

bool IsWindowsXP()
{
    return false;
}
