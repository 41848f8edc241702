#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class Registry;
class RegistryHives;

// The program settings by value name: which settings file holds each, its kind and its default.
namespace SettingsCatalogue {

enum class Hive { User, Machine };
enum class Kind { Boolean, Integer, Text };

struct Entry
{
    const char* name;
    Hive hive;
    Kind kind;
    // The default as text; empty where the default is taken from the running program
    // (window bounds, fonts) or the value has none.
    QString defaultText;
};

const std::vector<Entry>& entries();
const Entry* find(const QString& name); // ignoring case

// The defaults that depend on the installation.
QString defaultCommonFilesPath(); // common application data + "Dravonel Lumaris/"

// Reads a value as text in the catalogue's form ("true"/"false" for booleans); a missing or
// unreadable value gives the default.
QString readText(RegistryHives& hives, const Entry& entry);
// Checks and writes a value; raises ConversionError for a text the kind cannot take.
void writeText(RegistryHives& hives, const Entry& entry, const QString& text);
// Normalises a text for its kind: booleans to "true"/"false", integers to decimal text.
std::optional<QString> normalise(const Entry& entry, const QString& text);

// What the settings files hold that cannot be used: lines that are no values and values that
// cannot be read as their kind (these take their defaults). One log text per problem.
QStringList problems(RegistryHives& hives);

} // namespace SettingsCatalogue
