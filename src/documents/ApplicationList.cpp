#include "documents/ApplicationList.h"

#include "documents/DesktopDatabase.h"
#include "documents/RegApplList.h"
#include "platform/Errors.h"
#include "platform/SpecialFolders.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsCatalogue.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(ApplicationList)
};

const QString kNameSection = QStringLiteral("Name");
const QString kApplSection = QStringLiteral("Appl");
const QString kIconSection = QStringLiteral("Icon");

QString withSlash(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

// Matches mask[m..] against text[t..]; both already folded to one case.
bool matchFrom(const QString& text, qsizetype t, const QString& mask, qsizetype m)
{
    while (m < mask.size()) {
        const QChar c = mask[m];
        if (c == QLatin1Char('*')) {
            while (m < mask.size() && mask[m] == QLatin1Char('*'))
                ++m;
            if (m == mask.size())
                return true;
            for (qsizetype from = t; from <= text.size(); ++from) {
                if (matchFrom(text, from, mask, m))
                    return true;
            }
            return false;
        }
        if (t >= text.size())
            return false;
        if (c == QLatin1Char('?')) {
            ++t;
            ++m;
            continue;
        }
        if (c == QLatin1Char('[')) {
            const qsizetype close = mask.indexOf(QLatin1Char(']'), m + 1);
            if (close > m) {
                qsizetype i = m + 1;
                const bool negate = i < close && mask[i] == QLatin1Char('!');
                if (negate)
                    ++i;
                bool inSet = false;
                for (; i < close; ++i) {
                    if (i + 2 < close && mask[i + 1] == QLatin1Char('-')) {
                        if (mask[i] <= text[t] && text[t] <= mask[i + 2])
                            inSet = true;
                        i += 2;
                    } else if (mask[i] == text[t]) {
                        inSet = true;
                    }
                }
                if (inSet == negate)
                    return false;
                ++t;
                m = close + 1;
                continue;
            }
            // a "[" without "]" stands for itself
        }
        if (c != text[t])
            return false;
        ++t;
        ++m;
    }
    return t == text.size();
}
} // namespace

bool MatchesMask(const QString& text, const QString& mask)
{
    return matchFrom(text.toCaseFolded(), 0, mask.toCaseFolded(), 0);
}

QImage ApplicationImage(const QString& name)
{
    QImage image(QStringLiteral(":/documents/images/%1.xpm").arg(name));
    if (image.isNull()) {
        image
            = QImage(TDravonelApplicationList::kImageSize, TDravonelApplicationList::kImageSize, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

// --- the grid column ----------------------------------------------------------------------

void TApplicationImageColumn::FillFromApplicationList(const TDravonelApplicationList& list)
{
    Values.clear();
    Descriptions.clear();
    Images = list.Images();
    for (const TDravonelApplication& entry : list.Entries()) {
        Values.append(entry.Key);
        Descriptions.append(entry.Caption);
    }
    if (Changed)
        Changed();
}

int TApplicationImageColumn::IndexOfValue(const QString& key) const
{
    return int(Values.indexOf(key));
}

QString TApplicationImageColumn::DescriptionOf(const QString& key) const
{
    const int index = IndexOfValue(key);
    return index < 0 ? key : Descriptions.value(index);
}

QImage TApplicationImageColumn::ImageOf(const QString& key) const
{
    const int index = IndexOfValue(key);
    return index < 0 ? QImage() : Images.value(index);
}

// --- the list -----------------------------------------------------------------------------

TDravonelApplicationList::TDravonelApplicationList(const ProgramSettings& settings, QString programPath)
    : m_settings(settings)
    , m_programPath(programPath.isEmpty() ? QCoreApplication::applicationFilePath() : std::move(programPath))
{
    const QString folder
        = withSlash(settings.Cfg.CommonFilesPath.isEmpty() ? SettingsCatalogue::defaultCommonFilesPath()
                                                           : settings.Cfg.CommonFilesPath);
    m_iniFileName = folder + QStringLiteral("appl.ini");
    m_ini = IniFile(m_iniFileName);
    m_iniUnreadable = !m_ini.load();

    for (const char* name : {"ApplIcoEmpty", "ApplIcoNote", "ApplIcoWeb", "ApplIcoMail"})
        m_images.append(ApplicationImage(QLatin1String(name)));
    m_entries.push_back({QString(), QString(), QString(), QString(), -1});
    m_entries.push_back({QStringLiteral("vxtext"), Text::tr("Notiz"), QString(), QString(), 1});
    m_entries.push_back({QStringLiteral("url"), Text::tr("Internet"), QString(), QString(), 2});
    m_entries.push_back({QStringLiteral("email"), Text::tr("EMail"), QString(), QString(), 3});
    Load();
}

TDravonelApplicationList::~TDravonelApplicationList()
{
    const QList<TApplicationListClient*> clients = m_clients;
    m_clients.clear();
    for (TApplicationListClient* client : clients)
        client->ApplicationListDestroyed();
}

void TDravonelApplicationList::Load()
{
    for (const QString& key : m_ini.keys(kNameSection)) {
        // A key twice in the file, or one of the built-in keys, is not a type of its own.
        if (key.isEmpty() || Exists(key))
            continue;
        TDravonelApplication entry;
        entry.Key = key;
        entry.Caption = m_ini.value(kNameSection, key);
        if (entry.Caption.isEmpty())
            entry.Caption = key;
        entry.ApplicationPath = m_ini.value(kApplSection, key);
        entry.IconSource = m_ini.hasKey(kIconSection, key) ? m_ini.value(kIconSection, key) : m_programPath;
        entry.ImageIndex = AddIcon(entry.IconSource, entry.ApplicationPath);
        m_entries.push_back(entry);
    }
}

void TDravonelApplicationList::Save()
{
    if (m_iniUnreadable && QFileInfo::exists(m_iniFileName))
        throw IoError(Text::tr("Die Datei \"%1\" kann nicht gelesen werden und wird deshalb nicht überschrieben.")
                          .arg(m_iniFileName));
    m_ini.clear();
    for (std::size_t i = kBuiltInCount; i < m_entries.size(); ++i) {
        const TDravonelApplication& entry = m_entries[i];
        m_ini.setValue(kNameSection, entry.Key, entry.Caption);
        m_ini.setValue(kApplSection, entry.Key, entry.ApplicationPath);
        m_ini.setValue(kIconSection, entry.Key, entry.IconSource);
    }
    if (!m_ini.save())
        throw IoError(Text::tr("Die Datei \"%1\" kann nicht geschrieben werden.").arg(m_iniFileName));
    m_iniUnreadable = false;
}

int TDravonelApplicationList::IndexOfKey(const QString& key) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].Key.compare(key, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

void TDravonelApplicationList::Locate(const QString& key)
{
    CurrentIndex = IndexOfKey(key);
}

QString TDravonelApplicationList::KeyAt(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_entries[std::size_t(index)].Key;
}

QString TDravonelApplicationList::CaptionOfKey(const QString& key) const
{
    const int index = IndexOfKey(key);
    return index < 0 ? key : m_entries[std::size_t(index)].Caption;
}

bool TDravonelApplicationList::Exists(const QString& key) const
{
    return !key.isEmpty() && IndexOfKey(key) >= 0;
}

QStringList TDravonelApplicationList::KeyList() const
{
    QStringList keys;
    for (const TDravonelApplication& entry : m_entries)
        keys.append(entry.Key);
    return keys;
}

bool TDravonelApplicationList::Add(
    const QString& key, const QString& caption, const QString& iconSource, const QString& applicationPath)
{
    // The empty key is the built-in "no type" and therefore taken as well.
    if (key.isEmpty() || Exists(key))
        throw DxError(QStringLiteral("Application \"%1\" already exists").arg(key));
    QString icon = iconSource;
    if (!QFileInfo(icon).isFile() && icon.toLower().startsWith(QLatin1String("shell32.dll"))
        && QFileInfo::exists(SpecialFolders::systemFolder() + QStringLiteral("shell32.dll")))
        icon = SpecialFolders::systemFolder() + icon;
    TDravonelApplication entry;
    entry.Key = key;
    entry.Caption = caption.isEmpty() ? Text::tr("%1-Datei").arg(key) : caption;
    entry.IconSource = icon;
    entry.ApplicationPath = applicationPath;
    entry.ImageIndex = AddIcon(icon, applicationPath);
    m_entries.push_back(entry);
    changed();
    return true;
}

bool TDravonelApplicationList::Delete(const QString& key)
{
    for (std::size_t i = kBuiltInCount; i < m_entries.size(); ++i) {
        if (m_entries[i].Key.compare(key, Qt::CaseInsensitive) != 0)
            continue;
        const int removedImage = m_entries[i].ImageIndex;
        m_entries.erase(m_entries.begin() + qsizetype(i));
        if (removedImage >= 0 && removedImage < m_images.size())
            m_images.removeAt(removedImage);
        for (std::size_t j = i; j < m_entries.size(); ++j)
            m_entries[j].ImageIndex = int(j);
        if (CurrentIndex == int(i))
            CurrentIndex = -1;
        else if (CurrentIndex > int(i))
            --CurrentIndex;
        changed();
        return true;
    }
    return false;
}

void TDravonelApplicationList::changed()
{
    if (m_updating) {
        m_changePending = true;
        return;
    }
    RefreshControls();
    Save();
}

void TDravonelApplicationList::setUpdating(bool updating)
{
    if (updating == m_updating)
        return;
    m_updating = updating;
    if (updating) {
        m_changePending = false;
    } else if (m_changePending) {
        m_changePending = false;
        RefreshControls();
        Save();
    }
}

void TDravonelApplicationList::AttachControl(TApplicationListClient* client)
{
    if (!client)
        throw DxError(QStringLiteral("Invalid component type"));
    if (!m_clients.contains(client))
        m_clients.append(client);
    client->FillFromApplicationList(*this);
}

void TDravonelApplicationList::DetachControl(TApplicationListClient* client)
{
    m_clients.removeAll(client);
}

void TDravonelApplicationList::RefreshControls()
{
    const QList<TApplicationListClient*> clients = m_clients;
    for (TApplicationListClient* client : clients)
        client->FillFromApplicationList(*this);
}

QString TDravonelApplicationList::quoted(const QString& value) const
{
    const QString quote(m_settings.QuoteChar);
    return quote + QString(value).replace(quote, quote + quote) + quote;
}

QString TDravonelApplicationList::ApplNameCondition(const QString& pattern) const
{
    QString mask = pattern;
    mask.replace(QLatin1Char('%'), QLatin1Char('*')).replace(QLatin1Char('_'), QLatin1Char('?'));
    mask += QLatin1Char('*');
    if (mask.contains(QLatin1String("**")))
        mask.replace(QLatin1String("**"), QLatin1String("*"));

    QStringList keys;
    for (const TDravonelApplication& entry : m_entries) {
        if (MatchesMask(entry.Caption, mask))
            keys.append(quoted(entry.Key));
    }
    if (keys.size() == 1)
        return QStringLiteral("APPLNAME=") + keys.first();
    if (keys.size() > 1)
        return QStringLiteral("APPLNAME IN (") + keys.join(QLatin1Char(',')) + QLatin1Char(')');
    QString like = mask;
    like.replace(QLatin1Char('*'), QLatin1Char('%')).replace(QLatin1Char('?'), QLatin1Char('_'));
    return QStringLiteral("APPLNAME LIKE ") + quoted(like);
}

bool TDravonelApplicationList::EnsureDocumentType(QString& key)
{
    if (Exists(key))
        return true;
    if (key.compare(QLatin1String(".eml"), Qt::CaseInsensitive) == 0
        || key.compare(QLatin1String(".msg"), Qt::CaseInsensitive) == 0) {
        key = QStringLiteral("email");
        return true;
    }
    if (key.isEmpty())
        return false;
    TApplicationInfo info;
    try {
        info.setExtension(key);
    } catch (const DxError&) {
        return false;
    }
    const TRegApplicationInfo& registered = info.RegApplInfo();
    const QString lowered = key.toLower();
    Add(lowered, registered.Caption, registered.DefaultIcon, registered.OpenCommand.Application);
    key = lowered;
    return true;
}

QImage TDravonelApplicationList::iconImage(const QString& iconSource, const QString& applicationPath)
{
    QString file = iconSource;
    int index = 0;
    const qsizetype comma = iconSource.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        file = iconSource.left(comma);
        bool ok = false;
        index = iconSource.mid(comma + 1).trimmed().toInt(&ok);
        if (!ok)
            index = 1;
    }
    if (!m_icons)
        m_icons = std::make_unique<DesktopDatabase::Icons>();
    // An icon file, else a theme icon of that name.
    QImage image = m_icons->load(file.trimmed(), index, kImageSize);
    if (!image.isNull() || applicationPath.isEmpty())
        return image;
    // The program's own icon: an image file itself, else the icon of its desktop entry.
    image = DesktopDatabase::Icons::loadFile(applicationPath, 0, kImageSize);
    if (!image.isNull())
        return image;
    if (!m_applications)
        m_applications = std::make_unique<DesktopDatabase::Applications>();
    if (const DesktopDatabase::DesktopEntry* program = m_applications->byProgram(applicationPath))
        image = m_icons->load(program->icon, 0, kImageSize);
    return image;
}

int TDravonelApplicationList::AddIcon(const QString& iconSource, const QString& applicationPath)
{
    QImage image = iconImage(iconSource, applicationPath);
    if (image.isNull())
        image = ApplicationImage(QStringLiteral("ApplIcoDefault"));
    m_images.append(image);
    return int(m_images.size() - 1);
}
