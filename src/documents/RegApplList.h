#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

namespace DesktopDatabase {
class Applications;
class Icons;
} // namespace DesktopDatabase

// What the desktop knows about the file types: for one extension the program, description, icon,
// new-file template and commands (TRegApplicationInfo, TApplicationInfo), and for all extensions
// a filtered catalogue (TRegApplicationList) that the options dialog shows with check marks.
//
// The source is the freedesktop MIME database and the desktop entries: the program identifier is
// the MIME type name, the description its comment in the program's language, the icon its theme
// icon, the "Open" command the Exec line of the default application (further verbs from the
// entry's actions), and the new-file information the user's Templates folder: a template with the
// extension gives "FileName" and its path, a text type without one gives "NullFile".

// One verb of a type.
struct TCommandRec
{
    bool VerbExists = false;
    bool IsDde = false; // the desktop has no DDE: always false
    QString Verb;
    QString Caption;
    QString Application;
    QString Parameters;
    QString DdeApplication;
    QString DdeTopic;
    QString DdeCommand;
};

class TRegApplicationInfo
{
public:
    bool Registered = false;
    QString ProgId; // the MIME type name
    QString Caption; // its description
    QString Extension; // with its dot
    QString ClassId; // no counterpart: empty
    QString ShellNewKind; // "FileName", "NullFile" or empty
    QString ShellNewValue; // the template of "FileName"
    QString DefaultIcon; // a theme icon name or an icon file
    TCommandRec DefaultCommand;
    TCommandRec NewCommand;
    TCommandRec OpenCommand;
    TCommandRec EditCommand;
    TCommandRec PrintCommand;
    TCommandRec PrintToCommand;
    QList<TCommandRec> ActionCommands; // the program's further actions
    QString DesktopEntryId; // the desktop entry of the program of the Open command
    QImage SmallIcon; // 16 x 16; null when there is none
    QImage LargeIcon; // 32 x 32

    bool ConvEnvironment() const { return m_convEnvironment; }
    // Changing it loads the extension again.
    void setConvEnvironment(bool on);

    // Answers Registered.
    bool Load(const QString& extension);
    // With a snapshot of the desktop that the caller keeps for several look-ups.
    bool Load(const QString& extension, const DesktopDatabase::Applications& applications,
        const DesktopDatabase::Icons& icons);
    void Clear();
    // Appends the properties listing.
    void PropertiesText(QStringList& lines) const;
    // The properties window of the file, or of the Open command's program when the path is empty.
    bool ShowFileProperties(const QString& path = {}) const;

private:
    bool m_convEnvironment = true;
};

// Holds the information of one extension, loaded when Extension is set.
class TApplicationInfo
{
public:
    const QString& Extension() const { return m_extension; }
    // A new value is stored and loaded; an empty one clears the information. An extension that
    // is not registered raises DxError "Dateityp "%s" ist nicht registriert." (the value stays).
    void setExtension(const QString& extension);
    TRegApplicationInfo& RegApplInfo() { return m_info; }
    const TRegApplicationInfo& RegApplInfo() const { return m_info; }

private:
    QString m_extension;
    TRegApplicationInfo m_info;
};

// The catalogue of the registered file types.
class TRegApplicationList
{
public:
    TRegApplicationList();
    ~TRegApplicationList();

    // --- options (changes of the filter options rebuild at once with AutoUpdateItems)
    bool AutoUpdateItems = false;
    bool OnlyAppl() const { return m_onlyAppl; }
    void setOnlyAppl(bool on) { setOption(m_onlyAppl, on); }
    bool OnlyDefault() const { return m_onlyDefault; }
    void setOnlyDefault(bool on) { setOption(m_onlyDefault, on); }
    bool IgnoreDuplicates() const { return m_ignoreDuplicates; }
    void setIgnoreDuplicates(bool on) { setOption(m_ignoreDuplicates, on); }
    bool SmallIcons() const { return m_smallIcons; }
    void setSmallIcons(bool on) { setOption(m_smallIcons, on); }
    bool ShowFirstIcons() const { return m_showFirstIcons; }
    void setShowFirstIcons(bool on) { setOption(m_showFirstIcons, on); }
    QStringList IgnoreExtensions;
    QStringList IncludeExtensions;
    bool ShowIcons = true;
    bool ShowHourGlass = false; // read by the check list box, which owns the cursor
    QImage DefaultSmallIcon;
    QImage DefaultLargeIcon;

    // --- the entries (parallel lists)
    int Count() const { return int(m_extensions.size()); }
    const QStringList& Captions() const { return m_captions; }
    const QStringList& ProgIds() const { return m_progIds; }
    const QStringList& Extensions() const { return m_extensions; }
    const QList<QImage>& SmallImages() const { return m_smallImages; }
    const QList<QImage>& LargeImages() const { return m_largeImages; }
    // The entry of an extension (ignoring case), or -1.
    int IndexOfExtension(const QString& extension) const;
    // The small icon height + 4 with small icons or none, the large one + 4 otherwise.
    int RowHeight() const;

    int RegApplIndex() const { return m_regApplIndex; }
    // Loads RegApplInfo for that entry's extension; a negative index clears it.
    void setRegApplIndex(int index);
    const TRegApplicationInfo& RegApplInfo() const { return m_info; }

    void Build();
    void Refresh(); // RegApplIndex := -1, then Build
    void PropertiesText(QStringList& lines) const { m_info.PropertiesText(lines); }

private:
    void setOption(bool& option, bool value);

    bool m_onlyAppl = true;
    bool m_onlyDefault = true;
    bool m_ignoreDuplicates = true;
    bool m_smallIcons = true;
    bool m_showFirstIcons = false;
    QStringList m_captions;
    QStringList m_progIds;
    QStringList m_extensions;
    QList<QImage> m_smallImages;
    QList<QImage> m_largeImages;
    int m_regApplIndex = -1;
    TRegApplicationInfo m_info;
};

// --- helpers of the catalogue

// Splits a command line or icon location: a text with a blank or a comma is a comma-separated
// list in which blanks also separate items and double quotes group an item; the first item is
// the program (or icon file), the others joined with single blanks the parameters (or index).
void SplitCommandLine(const QString& text, QString& program, QString& parameters);
// Replaces each %NAME% by the environment variable (empty when unset); at most 100 replacements;
// a lone "%" ends the expansion.
QString ExpandEnvironment(const QString& text);
