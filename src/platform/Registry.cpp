#include "platform/Registry.h"

#include <QStandardPaths>

#include <algorithm>

namespace {
const QChar kSeparator = QLatin1Char('\\');

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// "\SOFTWARE\\Wendrich\" -> "SOFTWARE\Wendrich"
QString normalizedKey(const QString& key)
{
    const QStringList parts = key.trimmed().split(kSeparator, Qt::SkipEmptyParts);
    return parts.join(kSeparator);
}

bool isAtOrBelow(const QString& section, const QString& key)
{
    if (key.isEmpty())
        return true;
    return sameName(section, key) || section.startsWith(key + kSeparator, Qt::CaseInsensitive);
}
} // namespace

Registry::Registry(QString filePath)
    : m_filePath(std::move(filePath))
    , m_ini(m_filePath)
{
    m_ini.load();
}

bool Registry::keyExists(const QString& key) const
{
    const QString path = normalizedKey(key);
    if (path.isEmpty())
        return true;
    const QStringList sections = m_ini.sections();
    return std::any_of(sections.begin(), sections.end(), [&](const QString& s) { return isAtOrBelow(s, path); });
}

bool Registry::valueExists(const QString& key, const QString& name) const
{
    return m_ini.hasKey(normalizedKey(key), name);
}

QStringList Registry::valueNames(const QString& key) const
{
    return m_ini.keys(normalizedKey(key));
}

QStringList Registry::subKeys(const QString& key) const
{
    const QString path = normalizedKey(key);
    const QString prefix = path.isEmpty() ? QString() : path + kSeparator;
    QStringList names;
    for (const QString& section : m_ini.sections()) {
        if (section.isEmpty() || section.size() <= prefix.size() || !section.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        const QString child = section.mid(prefix.size()).section(kSeparator, 0, 0);
        if (!names.contains(child, Qt::CaseInsensitive))
            names.append(child);
    }
    return names;
}

std::optional<QString> Registry::readString(const QString& key, const QString& name) const
{
    const QString path = normalizedKey(key);
    if (!m_ini.hasKey(path, name))
        return std::nullopt;
    return m_ini.value(path, name);
}

std::optional<int> Registry::readInteger(const QString& key, const QString& name) const
{
    const std::optional<QString> text = readString(key, name);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<bool> Registry::readBool(const QString& key, const QString& name) const
{
    const std::optional<QString> text = readString(key, name);
    if (!text)
        return std::nullopt;
    return parseBool(*text);
}

QString Registry::readString(const QString& key, const QString& name, const QString& fallback) const
{
    return readString(key, name).value_or(fallback);
}

int Registry::readInteger(const QString& key, const QString& name, int fallback) const
{
    return readInteger(key, name).value_or(fallback);
}

bool Registry::readBool(const QString& key, const QString& name, bool fallback) const
{
    return readBool(key, name).value_or(fallback);
}

void Registry::createKey(const QString& key)
{
    const QString path = normalizedKey(key);
    if (!path.isEmpty())
        record({Change::CreateKey, path, {}, {}});
}

void Registry::writeString(const QString& key, const QString& name, const QString& value)
{
    record({Change::SetValue, normalizedKey(key), name, value});
}

void Registry::writeInteger(const QString& key, const QString& name, int value)
{
    writeString(key, name, QString::number(value));
}

void Registry::writeBool(const QString& key, const QString& name, bool value)
{
    writeString(key, name, formatBool(value));
}

void Registry::deleteValue(const QString& key, const QString& name)
{
    record({Change::DeleteValue, normalizedKey(key), name, {}});
}

void Registry::deleteKey(const QString& key)
{
    const QString path = normalizedKey(key);
    if (!path.isEmpty())
        record({Change::DeleteKey, path, {}, {}});
}

bool Registry::flush()
{
    if (m_pending.empty())
        return true;
    IniFile fresh(m_filePath);
    if (!readFresh(fresh))
        return false;
    if (!fresh.save())
        return false;
    m_ini = std::move(fresh);
    m_pending.clear();
    return true;
}

bool Registry::reload()
{
    IniFile fresh(m_filePath);
    if (!readFresh(fresh))
        return false;
    m_ini = std::move(fresh);
    return true;
}

bool Registry::readFresh(IniFile& ini) const
{
    if (!ini.load())
        return false;
    for (const Change& change : m_pending)
        apply(ini, change);
    return true;
}

std::optional<bool> Registry::parseBool(const QString& text)
{
    const QString t = text.trimmed();
    for (const char* yes : {"true", "1", "t"}) {
        if (sameName(t, QLatin1String(yes)))
            return true;
    }
    for (const char* no : {"false", "0", "f"}) {
        if (sameName(t, QLatin1String(no)))
            return false;
    }
    return std::nullopt;
}

void Registry::apply(IniFile& ini, const Change& change)
{
    switch (change.kind) {
    case Change::SetValue: ini.setValue(change.key, change.name, change.value); break;
    case Change::DeleteValue: ini.removeKey(change.key, change.name); break;
    case Change::CreateKey: ini.addSection(change.key); break;
    case Change::DeleteKey:
        for (const QString& section : ini.sections()) {
            if (!section.isEmpty() && isAtOrBelow(section, change.key))
                ini.removeSection(section);
        }
        break;
    }
}

void Registry::record(Change change)
{
    apply(m_ini, change);
    // Drop earlier changes the new one makes void, so that a value written many times between
    // two flushes stays one change.
    auto voided = [&](const Change& old) {
        switch (change.kind) {
        case Change::SetValue:
        case Change::DeleteValue:
            return (old.kind == Change::SetValue || old.kind == Change::DeleteValue) && sameName(old.key, change.key)
                && sameName(old.name, change.name);
        case Change::CreateKey: return old.kind == Change::CreateKey && sameName(old.key, change.key);
        case Change::DeleteKey: return isAtOrBelow(old.key, change.key);
        }
        return false;
    };
    m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(), voided), m_pending.end());
    m_pending.push_back(std::move(change));
}

QString defaultSettingsFolder()
{
    QString folder = qEnvironmentVariable("DOXAREL_CONFIG_DIR");
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QLatin1String("/Dravonel Lumaris/");
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

namespace {
QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

RegistryHives::RegistryHives(const QString& settingsFolder)
    : m_folder(withSlash(settingsFolder))
    , m_user(std::make_unique<Registry>(m_folder + QLatin1String("user.ini")))
    , m_machine(std::make_unique<Registry>(m_folder + QLatin1String("machine.ini")))
{
}

bool RegistryHives::flush()
{
    const bool userOk = m_user->flush();
    const bool machineOk = m_machine->flush();
    return userOk && machineOk;
}
