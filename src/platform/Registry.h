#pragma once

#include "platform/IniFile.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// Key-value settings stored the way the registry would hold them: one INI file per hive
// ("user.ini" for the current user, "machine.ini" for the machine). A key is a section named by
// its full path ("SOFTWARE\Wendrich\Dravonel Lumaris\Settings"); its sub-keys are the sections
// whose names begin with that path and "\". Key paths and value names compare without regard to
// case; leading, trailing and doubled backslashes in a key path are ignored; "" is the root.
// Values keep their names; integers are decimal text, booleans "true"/"false" (read also as 1/0
// and T/F, in any case). The file format is in docs/settings-files.md.
//
// Reads see the state loaded at construction (or by the last flush or reload) plus this
// object's own changes. Writes stay in memory until flush().
class Registry
{
public:
    // Reads the file at once; a missing file is an empty hive.
    explicit Registry(QString filePath);

    const QString& filePath() const { return m_filePath; }
    // Lines of the file that could not be understood (they are kept out of the values).
    QStringList problems() const { return m_ini.badLines(); }

    // A key exists when it was created or has a key below it; the root always exists.
    bool keyExists(const QString& key) const;
    bool valueExists(const QString& key, const QString& name) const;
    QStringList valueNames(const QString& key) const;
    QStringList subKeys(const QString& key) const; // names of the direct sub-keys, not full paths

    // A missing value gives nullopt; a value that is not of the asked kind gives nullopt too.
    std::optional<QString> readString(const QString& key, const QString& name) const;
    std::optional<int> readInteger(const QString& key, const QString& name) const;
    std::optional<bool> readBool(const QString& key, const QString& name) const;

    QString readString(const QString& key, const QString& name, const QString& fallback) const;
    int readInteger(const QString& key, const QString& name, int fallback) const;
    bool readBool(const QString& key, const QString& name, bool fallback) const;

    void createKey(const QString& key);
    void writeString(const QString& key, const QString& name, const QString& value);
    void writeInteger(const QString& key, const QString& name, int value);
    void writeBool(const QString& key, const QString& name, bool value);
    void deleteValue(const QString& key, const QString& name);
    // Deletes the key and everything below it. The root cannot be deleted (nothing happens).
    void deleteKey(const QString& key);

    // Writes the changes made since the last flush. The file is read again first and only the
    // changes are applied to it, so that two program instances do not undo each other's writes.
    // Answers false when the file cannot be read or written; the changes then stay pending and the
    // file keeps what it had.
    bool flush();
    // Reads the file again and applies the pending changes to what it holds now, without writing.
    // Answers false (and keeps the state) when the file exists but cannot be read.
    bool reload();
    bool hasPendingChanges() const { return !m_pending.empty(); }

    static QString formatBool(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }
    static std::optional<bool> parseBool(const QString& text);

private:
    struct Change
    {
        enum Kind { SetValue, DeleteValue, CreateKey, DeleteKey } kind;
        QString key;
        QString name;
        QString value;
    };
    static void apply(IniFile& ini, const Change& change);
    void record(Change change);
    bool readFresh(IniFile& ini) const;

    QString m_filePath;
    IniFile m_ini;
    std::vector<Change> m_pending;
};

// The folder of the two settings files: DOXAREL_CONFIG_DIR when set, else
// $XDG_CONFIG_HOME/Dravonel Lumaris (always with a trailing "/"). A --config-dir option of the
// programs is passed to RegistryHives directly.
QString defaultSettingsFolder();

// The two hives of one settings folder.
class RegistryHives
{
public:
    explicit RegistryHives(const QString& settingsFolder = defaultSettingsFolder());
    Registry& user() { return *m_user; }
    Registry& machine() { return *m_machine; }
    const QString& folder() const { return m_folder; }
    bool flush(); // both hives; false when either fails

private:
    QString m_folder;
    std::unique_ptr<Registry> m_user;
    std::unique_ptr<Registry> m_machine;
};
