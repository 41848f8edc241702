#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// An INI file that keeps the order of its sections and keys, so that rewriting a file a user
// edited by hand changes only what was changed: comments, blank lines and the spelling of
// untouched lines stay as they were. Section and key names compare without regard to case;
// values are kept as text. Reading decodes UTF-8 or Windows-1252; writing is UTF-8.
//
// Lines: "[section]", "key=value", comments starting with ';' or '#', blank lines. Whitespace
// around names and values is dropped. Keys before the first section belong to the section "".
// A name or value that would not survive this (leading or trailing blanks, line breaks, a
// leading quote, for keys also '=' or a leading '[', ';' or '#') is written in double quotes
// with the escapes \\ \" \n \r \t and \xHH; a value read in double quotes is unescaped.
class IniFile
{
public:
    IniFile() = default;
    explicit IniFile(QString path)
        : m_path(std::move(path))
    {
    }

    const QString& path() const { return m_path; }

    // Reads the file; a missing file gives an empty INI and answers true. Lines that are neither
    // a section, a key=value pair, a comment nor blank are not values; they are listed in
    // badLines() and written back unchanged by save(). Answers false (and leaves the object
    // empty) when the file exists but cannot be read.
    bool load();
    // Writes atomically (a temporary file renamed over the target), making missing parent
    // folders; answers success. On failure the old file stays as it was.
    bool save() const;
    // Writes to another path (atomically).
    bool saveAs(const QString& path) const;

    void parse(const QString& text);
    QString toText() const;

    // The named sections in file order; "" first when values stand before the first section.
    QStringList sections() const;
    bool hasSection(const QString& section) const;
    QStringList keys(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // Sets a value; a new section goes to the end, a new key to the end of its section. An
    // existing key keeps its place and its spelling.
    void setValue(const QString& section, const QString& key, const QString& value);
    // Makes an empty section unless it exists.
    void addSection(const QString& section);
    void removeKey(const QString& section, const QString& key);
    void removeSection(const QString& section);
    void clear();

    const QStringList& badLines() const { return m_badLines; }

private:
    struct Entry
    {
        QString key;
        QString value;
        QString raw; // the line as read; empty for entries set since
        bool isValue = false; // false: a comment, a blank or a bad line, kept as raw
    };
    struct Section
    {
        QString name;
        std::vector<Entry> entries;
        QString rawHeader; // the header line as read
        bool fromFile = false;
    };
    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;
    Section& sectionFor(const QString& name); // finds or appends ("" goes first)
    static bool hasValues(const Section& section);

    QString m_path;
    std::vector<Section> m_sections;
    QStringList m_badLines;
};
