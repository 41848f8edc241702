#include "SettingsCatalogue.h"

#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/SpecialFolders.h"
#include "settings/RegistryKeys.h"

#include <QDir>

namespace SettingsCatalogue {

QString defaultCommonFilesPath()
{
    QString folder = SpecialFolders::commonAppData();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = SpecialFolders::personalDocuments();
    return folder + RegistryKeys::kProductTitle + QLatin1Char('/');
}

const std::vector<Entry>& entries()
{
    using H = Hive;
    using K = Kind;
    static const std::vector<Entry> all = {
        // per user
        {"OpenLastDB", H::User, K::Boolean, QStringLiteral("true")},
        {"LastOpenedDocDB", H::User, K::Text, QString()},
        {"MenuStyle", H::User, K::Integer, QStringLiteral("3")},
        {"MenuLargeImages", H::User, K::Boolean, QStringLiteral("true")},
        {"MenuShowCaption", H::User, K::Boolean, QStringLiteral("true")},
        {"MenuAutoGray", H::User, K::Boolean, QStringLiteral("false")},
        {"MenuBckgrndImage", H::User, K::Text, QString()},
        {"UseSystemFont", H::User, K::Boolean, QStringLiteral("true")},
        {"LayoutFile", H::User, K::Text, QString()},
        {"MenuFont", H::User, K::Text, QString()},
        {"FormFont", H::User, K::Text, QString()},
        {"FormLeft", H::User, K::Integer, QString()},
        {"FormTop", H::User, K::Integer, QString()},
        {"FormWidth", H::User, K::Integer, QString()},
        {"FormHeight", H::User, K::Integer, QString()},
        {"Language", H::User, K::Text, QStringLiteral("[automatisch]")},
        {"LastOpenedDBs", H::User, K::Text, QString()},
        {"PanelSearchHeight", H::User, K::Integer, QStringLiteral("170")},
        {"PanelProjectNavVisible", H::User, K::Boolean, QStringLiteral("true")},
        {"PanelProjectNavWidth", H::User, K::Integer, QStringLiteral("120")},
        {"LockSearch", H::User, K::Boolean, QStringLiteral("true")},
        // per machine
        {"ApplMaximize", H::Machine, K::Boolean, QStringLiteral("true")},
        {"PreviewExe", H::Machine, K::Text, QString()},
        {"OpenWithExe", H::Machine, K::Text, QString()},
        {"Initialize", H::Machine, K::Text, QString()},
        {"Version", H::Machine, K::Text, QString()},
        {"DropDownCount", H::Machine, K::Integer, QStringLiteral("8")},
        {"UseSystemPopupMenu", H::Machine, K::Boolean, QStringLiteral("true")},
        {"CommonFilesPath", H::Machine, K::Text, QString()},
        {"DocDataBase", H::Machine, K::Text, QString()},
        {"PrjPreselect", H::Machine, K::Boolean, QStringLiteral("false")},
        {"ShowDocCount", H::Machine, K::Boolean, QStringLiteral("true")},
        {"LoadAllRecords", H::Machine, K::Boolean, QStringLiteral("true")},
        {"ShowIcon", H::Machine, K::Boolean, QStringLiteral("true")},
        {"FtiCreateMode", H::Machine, K::Integer, QStringLiteral("2")},
        {"FtiIgnoreDigits", H::Machine, K::Boolean, QStringLiteral("true")},
        {"FtiIgnoreLength", H::Machine, K::Integer, QStringLiteral("3")},
        {"FtiFileTypes", H::Machine, K::Text, QStringLiteral(".doc.eml.htm.html.pdf.rtf.txt.xls.")},
        {"FtiMaxFileSize", H::Machine, K::Integer, QStringLiteral("2")},
    };
    return all;
}

const Entry* find(const QString& name)
{
    for (const Entry& entry : entries())
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return &entry;
    return nullptr;
}

namespace {
Registry& hiveOf(RegistryHives& hives, const Entry& entry)
{
    return entry.hive == Hive::User ? hives.user() : hives.machine();
}

QString defaultOf(const Entry& entry)
{
    if (QLatin1String(entry.name) == QLatin1String("CommonFilesPath"))
        return defaultCommonFilesPath();
    return entry.defaultText;
}
} // namespace

std::optional<QString> normalise(const Entry& entry, const QString& text)
{
    switch (entry.kind) {
    case Kind::Boolean: {
        const auto value = Registry::parseBool(text.trimmed());
        if (!value)
            return std::nullopt;
        return Registry::formatBool(*value);
    }
    case Kind::Integer: {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
        return QString::number(value);
    }
    case Kind::Text: return text;
    }
    return std::nullopt;
}

QString readText(RegistryHives& hives, const Entry& entry)
{
    const Registry& hive = hiveOf(hives, entry);
    const QString name = QLatin1String(entry.name);
    switch (entry.kind) {
    case Kind::Boolean:
        if (const auto value = hive.readBool(RegistryKeys::kSettings, name))
            return Registry::formatBool(*value);
        break;
    case Kind::Integer:
        if (const auto value = hive.readInteger(RegistryKeys::kSettings, name))
            return QString::number(*value);
        break;
    case Kind::Text:
        if (const auto value = hive.readString(RegistryKeys::kSettings, name))
            return *value;
        break;
    }
    return defaultOf(entry);
}

QStringList problems(RegistryHives& hives)
{
    QStringList found;
    for (Registry* hive : {&hives.user(), &hives.machine()})
        for (const QString& line : hive->problems())
            found
                << QStringLiteral("Einstellungen: Zeile \"%1\" in \"%2\" wird übergangen.").arg(line, hive->filePath());
    for (const Entry& entry : entries()) {
        const Registry& hive = hiveOf(hives, entry);
        const QString name = QLatin1String(entry.name);
        const auto raw = hive.readString(RegistryKeys::kSettings, name);
        if (raw && !normalise(entry, *raw))
            found << QStringLiteral(
                "Einstellungen: Der Wert \"%1\" für %2 ist nicht lesbar; es gilt der Vorgabewert \"%3\".")
                         .arg(*raw, name, defaultOf(entry));
    }
    return found;
}

void writeText(RegistryHives& hives, const Entry& entry, const QString& text)
{
    const auto value = normalise(entry, text);
    if (!value) {
        const QString expected
            = entry.kind == Kind::Boolean ? QStringLiteral("true oder false") : QStringLiteral("eine ganze Zahl");
        throw ConversionError(QStringLiteral("\"%1\" ist kein gültiger Wert für %2 (erwartet: %3).")
                                  .arg(text, QLatin1String(entry.name), expected));
    }
    Registry& hive = hiveOf(hives, entry);
    const QString name = QLatin1String(entry.name);
    switch (entry.kind) {
    case Kind::Boolean: hive.writeBool(RegistryKeys::kSettings, name, *Registry::parseBool(*value)); break;
    case Kind::Integer: hive.writeInteger(RegistryKeys::kSettings, name, value->toInt()); break;
    case Kind::Text: hive.writeString(RegistryKeys::kSettings, name, *value); break;
    }
    if (!hive.flush())
        throw IoError(
            QStringLiteral("Die Einstellungen konnten nicht in \"%1\" geschrieben werden.").arg(hive.filePath()));
}

} // namespace SettingsCatalogue
