#pragma once

#include <QSet>
#include <QString>

class TDModul;

// The reserved words from "sqlres.txt" (one word a line, blank lines and lines beginning with
// ';' or '#' ignored) plus "RTFTEXT" and "DOCIMAGE"; the comparison ignores case.
class TVxReservedWords
{
public:
    // Reads the file; answers false when it cannot be read (only the two extra words then count).
    bool Load(const QString& path);
    // Reads the data module's reserved words file; a missing file is reported ("Die Datei \"%s\"
    // wurde nicht gefunden." with "sqlres.txt", help topic 5046) through the message-and-log service.
    bool Load(const TDModul& dm);
    bool IsLoaded() const { return m_loaded; }
    // The two extra words count unless left out.
    bool Contains(const QString& name, bool withExtraWords = true) const;
    int Count() const { return int(m_words.size()); }

private:
    QSet<QString> m_words; // upper case
    bool m_loaded = false;
};
