#include "documents/DesktopDatabase.h"

#include "platform/IniFile.h"
#include "platform/SpecialFolders.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QSet>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <climits>

namespace DesktopDatabase {
namespace {
QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return TextCodec::decodeUtf8OrWindows1252(file.readAll());
}

// The languages to try for "de_AT": "de_AT", "de".
QStringList languageChain(const QString& language)
{
    QStringList chain{language};
    const qsizetype cut = language.indexOf(QLatin1Char('_'));
    if (cut > 0)
        chain.append(language.left(cut));
    return chain;
}

QString unescapeValue(const QString& value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
            result += c;
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's': result += QLatin1Char(' '); break;
        case 'n': result += QLatin1Char('\n'); break;
        case 't': result += QLatin1Char('\t'); break;
        case 'r': result += QLatin1Char('\r'); break;
        case '\\': result += QLatin1Char('\\'); break;
        default: result += QLatin1Char('\\'); result += next;
        }
    }
    return result;
}

QStringList splitList(const QString& value)
{
    QStringList items;
    for (const QString& item : value.split(QLatin1Char(';'))) {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty())
            items.append(trimmed);
    }
    return items;
}

QString findProgram(const QString& program)
{
    if (program.isEmpty() || program.contains(QLatin1Char('/')))
        return program;
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? program : found;
}

// The desktop names of XDG_CURRENT_DESKTOP, lower-cased ("gnome", "kde").
QStringList currentDesktops()
{
    QStringList names;
    for (const QString& name : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        names.append(name.toLower());
    return names;
}
} // namespace

QString mimeComment(const QMimeType& type, const QString& language)
{
    if (!type.isValid())
        return {};
    const QString file
        = QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("mime/%1.xml").arg(type.name()));
    if (!file.isEmpty()) {
        QFile xml(file);
        if (xml.open(QIODevice::ReadOnly)) {
            QXmlStreamReader reader(&xml);
            QHash<QString, QString> comments;
            while (!reader.atEnd()) {
                if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != QLatin1String("comment"))
                    continue;
                QString lang;
                for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                    if (attribute.qualifiedName() == QLatin1String("xml:lang"))
                        lang = attribute.value().toString();
                }
                const QString text = reader.readElementText().trimmed();
                if (!comments.contains(lang))
                    comments.insert(lang, text);
            }
            for (const QString& lang : languageChain(language)) {
                if (!comments.value(lang).isEmpty())
                    return comments.value(lang);
            }
            if (!comments.value(QString()).isEmpty())
                return comments.value(QString());
        }
    }
    return type.comment();
}

QMimeType mimeTypeForExtension(const QString& extension)
{
    if (extension.size() < 2 || !extension.startsWith(QLatin1Char('.')) || extension.contains(QLatin1Char('/')))
        return {};
    const QMimeDatabase db;
    const QString name = QStringLiteral("x") + extension;
    const QList<QMimeType> candidates = db.mimeTypesForFileName(name);
    if (candidates.isEmpty())
        return {};
    const QMimeType best = db.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    return best.isValid() && !best.isDefault() ? best : candidates.first();
}

QStringList knownExtensions()
{
    QSet<QString> seen;
    QStringList extensions;
    const QMimeDatabase db;
    for (const QMimeType& type : db.allMimeTypes()) {
        for (const QString& glob : type.globPatterns()) {
            if (!glob.startsWith(QLatin1String("*.")))
                continue;
            const QString rest = glob.mid(2);
            if (rest.isEmpty() || rest.contains(QLatin1Char('*')) || rest.contains(QLatin1Char('?'))
                || rest.contains(QLatin1Char('[')))
                continue;
            const QString extension = QLatin1Char('.') + rest.toLower();
            if (!seen.contains(extension)) {
                seen.insert(extension);
                extensions.append(extension);
            }
        }
    }
    extensions.sort();
    return extensions;
}

QStringList splitExec(const QString& exec)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                word += exec[++i];
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

QString joinCommand(const QStringList& words)
{
    QStringList parts;
    for (QString word : words) {
        if (word.isEmpty() || word.contains(QLatin1Char(' ')) || word.contains(QLatin1Char('\t'))
            || word.contains(QLatin1Char('"'))) {
            word.replace(QLatin1String("\""), QLatin1String("\"\"\""));
            word = QLatin1Char('"') + word + QLatin1Char('"');
        }
        parts.append(word);
    }
    return parts.join(QLatin1Char(' '));
}

QString DesktopEntry::program() const
{
    const QStringList words = splitExec(exec);
    return words.isEmpty() ? QString() : findProgram(words.first());
}

QString DesktopEntry::parameters() const
{
    QStringList words = splitExec(exec);
    if (!words.isEmpty())
        words.removeFirst();
    return joinCommand(words);
}

DesktopEntry readDesktopEntry(const QString& path, const QString& language)
{
    DesktopEntry entry;
    entry.path = path;
    const QString text = readText(path);
    // group -> key -> value; localised keys are kept with their [lang] suffix
    QHash<QString, QHash<QString, QString>> groups;
    QString group;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || group.isEmpty())
            continue;
        const QString key = line.left(equals).trimmed();
        if (!groups[group].contains(key))
            groups[group].insert(key, line.mid(equals + 1).trimmed());
    }
    const auto main = groups.constFind(QStringLiteral("Desktop Entry"));
    if (main == groups.constEnd())
        return entry;
    const auto localised = [&](const QHash<QString, QString>& values, const QString& key) -> QString {
        for (const QString& lang : languageChain(language)) {
            const QString value = values.value(key + QLatin1Char('[') + lang + QLatin1Char(']'));
            if (!value.isEmpty())
                return unescapeValue(value);
        }
        return unescapeValue(values.value(key));
    };
    const QHash<QString, QString>& values = *main;
    entry.type = unescapeValue(values.value(QStringLiteral("Type")));
    entry.name = localised(values, QStringLiteral("Name"));
    entry.comment = localised(values, QStringLiteral("Comment"));
    entry.exec = unescapeValue(values.value(QStringLiteral("Exec")));
    entry.tryExec = unescapeValue(values.value(QStringLiteral("TryExec")));
    entry.icon = localised(values, QStringLiteral("Icon"));
    entry.url = unescapeValue(values.value(QStringLiteral("URL")));
    entry.mimeTypes = splitList(values.value(QStringLiteral("MimeType")));
    entry.hidden = values.value(QStringLiteral("Hidden")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    entry.noDisplay
        = values.value(QStringLiteral("NoDisplay")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    for (const QString& id : splitList(values.value(QStringLiteral("Actions")))) {
        const auto action = groups.constFind(QStringLiteral("Desktop Action ") + id);
        if (action == groups.constEnd())
            continue;
        entry.actions.append(
            {id, localised(*action, QStringLiteral("Name")), unescapeValue(action->value(QStringLiteral("Exec")))});
    }
    return entry;
}

// --- installed programs -------------------------------------------------------------------

Applications::Applications()
{
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        const QString base = QDir(folder).absolutePath() + QLatin1Char('/');
        QDirIterator it(base, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        QStringList files;
        while (it.hasNext())
            files.append(it.next());
        files.sort();
        for (const QString& file : files) {
            QString id = file.mid(base.size());
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (m_entries.count(id))
                continue; // the folder read first wins
            DesktopEntry entry = readDesktopEntry(file);
            entry.id = id;
            m_entries.emplace(id, std::move(entry));
            m_order.append(id);
        }
    }

    QStringList listFiles;
    const QStringList desktops = currentDesktops();
    const auto addFolder = [&](const QString& folder) {
        for (const QString& desktop : desktops)
            listFiles.append(folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list"));
        listFiles.append(folder + QStringLiteral("/mimeapps.list"));
    };
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        addFolder(folder);
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        addFolder(folder);
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        listFiles.append(folder + QStringLiteral("/defaults.list"));
    for (const QString& file : listFiles)
        readMimeApps(file);
}

void Applications::readMimeApps(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return;
    IniFile ini(path);
    if (!ini.load())
        return;
    const auto read = [&](const QString& section, QHash<QString, QStringList>& target) {
        for (const QString& type : ini.keys(section)) {
            QStringList& ids = target[type.toLower()];
            for (const QString& id : splitList(ini.value(section, type))) {
                if (!ids.contains(id))
                    ids.append(id);
            }
        }
    };
    read(QStringLiteral("Default Applications"), m_defaults);
    read(QStringLiteral("Added Associations"), m_added);
    read(QStringLiteral("Removed Associations"), m_removed);
}

bool Applications::usable(const DesktopEntry& entry) const
{
    if (entry.type != QLatin1String("Application") || entry.hidden || entry.exec.isEmpty())
        return false;
    if (!entry.tryExec.isEmpty()) {
        if (entry.tryExec.contains(QLatin1Char('/')))
            return QFileInfo(entry.tryExec).isExecutable();
        return !QStandardPaths::findExecutable(entry.tryExec).isEmpty();
    }
    return true;
}

const DesktopEntry* Applications::byId(const QString& id) const
{
    const auto it = m_entries.find(id);
    return it == m_entries.end() || !usable(it->second) ? nullptr : &it->second;
}

QStringList Applications::associated(const QString& mimeType) const
{
    const QString type = mimeType.toLower();
    const QStringList removed = m_removed.value(type);
    QStringList ids;
    const auto take = [&](const QString& id) {
        if (!ids.contains(id) && !removed.contains(id) && byId(id))
            ids.append(id);
    };
    for (const QString& id : m_defaults.value(type)) {
        if (!ids.contains(id) && byId(id))
            ids.append(id); // a default counts even when an association was removed
    }
    for (const QString& id : m_added.value(type))
        take(id);
    for (const QString& id : m_order) {
        const DesktopEntry& entry = m_entries.at(id);
        for (const QString& listed : entry.mimeTypes) {
            if (listed.compare(type, Qt::CaseInsensitive) == 0) {
                take(id);
                break;
            }
        }
    }
    return ids;
}

const DesktopEntry* Applications::defaultFor(const QString& mimeType) const
{
    const QList<const DesktopEntry*> all = allFor(mimeType);
    return all.isEmpty() ? nullptr : all.first();
}

QList<const DesktopEntry*> Applications::allFor(const QString& mimeType) const
{
    QStringList types{mimeType};
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeType);
    if (type.isValid()) {
        if (type.name() != mimeType)
            types.append(type.name());
        types.append(type.allAncestors());
    }
    QList<const DesktopEntry*> result;
    for (const QString& name : types) {
        for (const QString& id : associated(name)) {
            const DesktopEntry* entry = byId(id);
            if (entry && !result.contains(entry))
                result.append(entry);
        }
    }
    return result;
}

const DesktopEntry* Applications::byProgram(const QString& program) const
{
    if (program.isEmpty())
        return nullptr;
    const QString wanted = findProgram(program);
    const QString wantedName = QFileInfo(wanted).fileName();
    const DesktopEntry* sameName = nullptr;
    for (const QString& id : m_order) {
        const DesktopEntry& entry = m_entries.at(id);
        if (!usable(entry))
            continue;
        const QString own = entry.program();
        if (own == wanted)
            return &entry;
        if (!sameName && QFileInfo(own).fileName() == wantedName)
            sameName = &entry;
    }
    return sameName;
}

// --- icons --------------------------------------------------------------------------------

Icons::Icons(QStringList themes)
    : m_themes(std::move(themes))
{
    if (m_themes.isEmpty() && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QString current = QIcon::themeName();
        if (!current.isEmpty())
            m_themes.append(current);
    }
    for (const QString& fallback : {QStringLiteral("hicolor"), QStringLiteral("Adwaita"), QStringLiteral("breeze")}) {
        if (!m_themes.contains(fallback))
            m_themes.append(fallback);
    }
    m_baseFolders.append(QDir::homePath() + QStringLiteral("/.icons"));
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        m_baseFolders.append(folder + QStringLiteral("/icons"));
}

const Icons::Theme* Icons::theme(const QString& name) const
{
    const auto cached = m_cache.find(name);
    if (cached != m_cache.end())
        return cached->second.get();
    std::unique_ptr<Theme> theme;
    for (const QString& base : m_baseFolders) {
        const QString folder = base + QLatin1Char('/') + name;
        if (!QFileInfo(folder).isDir())
            continue;
        if (!theme)
            theme = std::make_unique<Theme>();
        theme->folders.append(folder);
        if (!theme->directories.empty() || !QFileInfo::exists(folder + QStringLiteral("/index.theme")))
            continue;
        IniFile index;
        index.parse(readText(folder + QStringLiteral("/index.theme")));
        const QString main = QStringLiteral("Icon Theme");
        theme->inherits = index.value(main, QStringLiteral("Inherits")).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString& path : index.value(main, QStringLiteral("Directories")).split(QLatin1Char(','))) {
            if (path.trimmed().isEmpty())
                continue;
            Directory directory;
            directory.path = path.trimmed();
            directory.size = index.value(directory.path, QStringLiteral("Size")).toInt();
            directory.minSize = index.value(directory.path, QStringLiteral("MinSize")).toInt();
            directory.maxSize = index.value(directory.path, QStringLiteral("MaxSize")).toInt();
            bool ok = false;
            const int threshold = index.value(directory.path, QStringLiteral("Threshold")).toInt(&ok);
            directory.threshold = ok ? threshold : 2;
            const QString type = index.value(directory.path, QStringLiteral("Type"), QStringLiteral("Threshold"));
            directory.type = type == QLatin1String("Fixed") ? Directory::Fixed
                : type == QLatin1String("Scalable")         ? Directory::Scalable
                                                            : Directory::Threshold;
            if (directory.minSize == 0)
                directory.minSize = directory.size;
            if (directory.maxSize == 0)
                directory.maxSize = directory.size;
            if (directory.size > 0)
                theme->directories.push_back(directory);
        }
    }
    const Theme* result = theme.get();
    m_cache.emplace(name, std::move(theme));
    return result;
}

namespace {
QStringList iconSuffixes()
{
    QStringList suffixes{QStringLiteral("png"), QStringLiteral("xpm")};
    if (QImageReader::supportedImageFormats().contains("svg"))
        suffixes.append(QStringLiteral("svg"));
    return suffixes;
}

} // namespace

QString Icons::findInTheme(const QString& themeName, const QString& icon, int size, QStringList& visited) const
{
    if (visited.contains(themeName))
        return {};
    visited.append(themeName);
    const Theme* found = theme(themeName);
    if (!found)
        return {};
    const QStringList suffixes = iconSuffixes();
    const auto matches = [&](const Directory& d) {
        switch (d.type) {
        case Directory::Fixed: return d.size == size;
        case Directory::Scalable: return d.minSize <= size && size <= d.maxSize;
        case Directory::Threshold: return d.size - d.threshold <= size && size <= d.size + d.threshold;
        }
        return false;
    };
    const auto distance = [&](const Directory& d) {
        switch (d.type) {
        case Directory::Fixed: return std::abs(d.size - size);
        case Directory::Scalable: return size < d.minSize ? d.minSize - size : size > d.maxSize ? size - d.maxSize : 0;
        case Directory::Threshold:
            return size < d.size - d.threshold ? d.size - d.threshold - size
                : size > d.size + d.threshold  ? size - d.size - d.threshold
                                               : 0;
        }
        return INT_MAX;
    };
    QString closest;
    int closestDistance = INT_MAX;
    for (const Directory& directory : found->directories) {
        for (const QString& folder : found->folders) {
            const QString path = folder + QLatin1Char('/') + directory.path;
            for (const QString& suffix : suffixes) {
                const QString file = icon + QLatin1Char('.') + suffix;
                if (!folderHas(path, file))
                    continue;
                if (matches(directory))
                    return path + QLatin1Char('/') + file;
                const int d = distance(directory);
                if (d < closestDistance) {
                    closestDistance = d;
                    closest = path + QLatin1Char('/') + file;
                }
            }
        }
    }
    if (!closest.isEmpty())
        return closest;
    for (const QString& parent : found->inherits) {
        const QString inherited = findInTheme(parent.trimmed(), icon, size, visited);
        if (!inherited.isEmpty())
            return inherited;
    }
    return {};
}

bool Icons::folderHas(const QString& folder, const QString& file) const
{
    auto it = m_listings.find(folder);
    if (it == m_listings.end()) {
        const QStringList names = QDir(folder).entryList(QDir::Files);
        it = m_listings.insert(folder, QSet<QString>(names.begin(), names.end()));
    }
    return it->contains(file);
}

QString Icons::findIcon(const QString& name, int size) const
{
    if (name.isEmpty())
        return {};
    if (name.contains(QLatin1Char('/')))
        return QFileInfo(name).isFile() ? name : QString();
    QStringList visited;
    for (const QString& themeName : m_themes) {
        const QString found = findInTheme(themeName, name, size, visited);
        if (!found.isEmpty())
            return found;
    }
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        for (const QString& suffix : iconSuffixes()) {
            const QString file = folder + QStringLiteral("/pixmaps/") + name + QLatin1Char('.') + suffix;
            if (QFileInfo(file).isFile())
                return file;
        }
    }
    return {};
}

QImage Icons::load(const QString& fileOrName, int index, int size) const
{
    if (fileOrName.isEmpty())
        return {};
    if (QFileInfo(fileOrName).isFile())
        return loadFile(fileOrName, index, size);
    const QString file = findIcon(fileOrName, size);
    return file.isEmpty() ? QImage() : loadFile(file, 0, size);
}

QImage Icons::loadFile(const QString& file, int index, int size)
{
    QImageReader reader(file);
    if (!reader.canRead())
        return {};
    if (index > 0 && !reader.jumpToImage(index))
        return {};
    QImage image = reader.read();
    if (image.isNull() || size <= 0)
        return {};
    if (image.width() != size || image.height() != size)
        image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.width() == size && image.height() == size)
        return image;
    QImage square(size, size, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    const int left = (size - image.width()) / 2;
    const int top = (size - image.height()) / 2;
    for (int y = 0; y < image.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(square.scanLine(y + top));
        for (int x = 0; x < image.width(); ++x)
            to[x + left] = from[x];
    }
    return square;
}

QString templateFor(const QString& extension)
{
    if (extension.size() < 2)
        return {};
    const QDir folder(SpecialFolders::templates());
    const QFileInfoList files = folder.entryInfoList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& file : files) {
        const QString name = file.fileName();
        if (name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive))
            return file.absoluteFilePath();
    }
    return {};
}

} // namespace DesktopDatabase
