#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QMimeType>
#include <QSet>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

// What the desktop knows about file types and programs, read from the freedesktop databases: the
// MIME database (through QMimeDatabase and its per-type XML files), the desktop entries of the
// installed programs with the default applications of mimeapps.list, the icon themes and the
// user's Templates folder. Everything here is read-only.
namespace DesktopDatabase {

// The language of the program's texts; descriptions and names are taken in it when the desktop
// has them.
inline const QString kProgramLanguage = QStringLiteral("de");

// The description of a MIME type in the language ("de", "de_AT"), else its default description.
QString mimeComment(const QMimeType& type, const QString& language = kProgramLanguage);

// The MIME type that a file name with this extension (".pdf") has by its name alone; an invalid
// type when the database has no glob for it.
QMimeType mimeTypeForExtension(const QString& extension);

// The extensions ("*.pdf" globs, as ".pdf") that the database knows, each once, sorted.
QStringList knownExtensions();

// The words of a desktop entry's Exec value, with its quoting and escapes removed.
QStringList splitExec(const QString& exec);
// Words joined into a command line that QProcess::splitCommand reads back into the same words.
QString joinCommand(const QStringList& words);

struct DesktopAction
{
    QString id; // "new-window"
    QString name;
    QString exec;
};

struct DesktopEntry
{
    QString id; // "org.gnome.TextEditor.desktop"
    QString path;
    QString type; // "Application", "Link", ...
    QString name; // in the program's language when the entry has it
    QString comment;
    QString exec;
    QString tryExec;
    QString icon;
    QString url; // of a Link entry
    QStringList mimeTypes;
    bool hidden = false;
    bool noDisplay = false;
    QList<DesktopAction> actions;

    bool isValid() const { return !type.isEmpty(); }
    // The program of the Exec line: its full path when it is found on the PATH, else as written.
    QString program() const;
    // The rest of the Exec line (field codes such as %f kept).
    QString parameters() const;
};

// Reads a desktop entry file; an entry without a [Desktop Entry] group or Type is invalid.
DesktopEntry readDesktopEntry(const QString& path, const QString& language = kProgramLanguage);

// The installed programs as the desktop sees them at construction: the desktop entries of the
// applications folders ($XDG_DATA_HOME, then $XDG_DATA_DIRS) and the associations of the
// mimeapps.list files.
class Applications
{
public:
    Applications();

    // The program that opens files of the type: the default of mimeapps.list, else the first
    // associated program, else the same for the type's parents (text/x-csrc: text/plain).
    const DesktopEntry* defaultFor(const QString& mimeType) const;
    // Every program associated with the type or one of its parents, the default first.
    QList<const DesktopEntry*> allFor(const QString& mimeType) const;
    const DesktopEntry* byId(const QString& id) const;
    // The entry whose Exec program is this program (full path or name).
    const DesktopEntry* byProgram(const QString& program) const;

private:
    bool usable(const DesktopEntry& entry) const;
    QStringList associated(const QString& mimeType) const; // desktop IDs, default first
    void readMimeApps(const QString& path);

    std::map<QString, DesktopEntry> m_entries; // by desktop ID
    QStringList m_order; // the IDs in the order the folders were read
    QHash<QString, QStringList> m_defaults; // mime type -> IDs
    QHash<QString, QStringList> m_added;
    QHash<QString, QStringList> m_removed;
};

// Icons of the icon themes (freedesktop icon theme rules) and icon files.
class Icons
{
public:
    // Themes are searched in this order, each with the themes it inherits from; "hicolor" and
    // the usual fallback themes come last. Empty: the theme of the running desktop, if known.
    explicit Icons(QStringList themes = {});

    // The file of a theme icon of about that size ("application-pdf"), or of an image in the
    // pixmaps folder; empty when no theme has it.
    QString findIcon(const QString& name, int size) const;
    // An image of exactly size × size from an icon file (the index chooses the image of a file
    // holding several) or a theme icon name; a null image when there is none.
    QImage load(const QString& fileOrName, int index, int size) const;

    // The image of a file, scaled into size × size (centred, aspect kept); null when unreadable.
    static QImage loadFile(const QString& file, int index, int size);

private:
    struct Directory
    {
        QString path; // relative to the theme folder
        int size = 0;
        int minSize = 0;
        int maxSize = 0;
        int threshold = 2;
        enum Type { Fixed, Scalable, Threshold } type = Threshold;
    };
    struct Theme
    {
        QStringList folders; // the theme's folders in every icons base folder
        std::vector<Directory> directories;
        QStringList inherits;
    };
    const Theme* theme(const QString& name) const;
    QString findInTheme(const QString& themeName, const QString& icon, int size, QStringList& visited) const;

    bool folderHas(const QString& folder, const QString& file) const; // listed once per folder

    QStringList m_themes;
    QStringList m_baseFolders;
    mutable QHash<QString, QSet<QString>> m_listings;
    mutable std::map<QString, std::unique_ptr<Theme>> m_cache;
};

// The user's new-file templates: the files of the XDG Templates folder with the extension, the
// first by name; empty when there is none.
QString templateFor(const QString& extension);

} // namespace DesktopDatabase
