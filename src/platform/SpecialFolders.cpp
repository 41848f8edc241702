#include "platform/SpecialFolders.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "platform/TextCodec.h"

namespace SpecialFolders {
namespace {
QString withSlash(const QString& path)
{
    QString clean = QDir::cleanPath(path);
    if (!clean.endsWith(QLatin1Char('/')))
        clean += QLatin1Char('/');
    return clean;
}

QString home()
{
    return QDir::homePath();
}

// The value of a user-dirs.dirs line: "$HOME/Dokumente" or an absolute path, in double quotes
// with backslash escapes as a shell reads them.
QString expandUserDir(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && value.front() == QLatin1Char('"') && value.back() == QLatin1Char('"')) {
        const QString inner = value.mid(1, value.size() - 2);
        value.clear();
        for (qsizetype i = 0; i < inner.size(); ++i) {
            if (inner[i] == QLatin1Char('\\') && i + 1 < inner.size())
                ++i;
            value += inner[i];
        }
    }
    for (const QLatin1String variable : {QLatin1String("${HOME}"), QLatin1String("$HOME")}) {
        if (value == variable || value.startsWith(variable + QLatin1Char('/')))
            return home() + value.mid(variable.size());
    }
    return value.startsWith(QLatin1Char('/')) ? value : QString();
}

QString userFolder(const QString& name, const QString& fallback)
{
    QString folder = userDirsEntry(name);
    if (folder.isEmpty()) {
        const QString variable = qEnvironmentVariable(name.toLatin1().constData());
        if (variable.startsWith(QLatin1Char('/')))
            folder = variable;
    }
    return withSlash(folder.isEmpty() ? fallback : folder);
}
} // namespace

QString userDirsEntry(const QString& name)
{
    const QString configFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QFile file(configFolder + QLatin1String("/user-dirs.dirs"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = TextCodec::decodeUtf8OrWindows1252(file.readAll());
    QString found;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || line.left(equals).trimmed() != name)
            continue;
        const QString value = expandUserDir(line.mid(equals + 1));
        if (!value.isEmpty())
            found = value; // as in a shell, the last assignment counts
    }
    return found;
}

QString personalDocuments()
{
    return userFolder(
        QStringLiteral("XDG_DOCUMENTS_DIR"), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString desktop()
{
    return userFolder(
        QStringLiteral("XDG_DESKTOP_DIR"), QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

QString templates()
{
    // Qt has no location for templates.
    return userFolder(QStringLiteral("XDG_TEMPLATES_DIR"), home() + QLatin1String("/Templates"));
}

QString programs()
{
    return withSlash(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1String("/applications"));
}

QString commonAppData()
{
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString temp()
{
    return withSlash(QDir::tempPath());
}

QString windowsFolder()
{
    return QStringLiteral("/usr/share/");
}

QString systemFolder()
{
    return QStringLiteral("/usr/lib/");
}
} // namespace SpecialFolders
