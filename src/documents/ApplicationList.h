#pragma once

#include "archive/DocumentKind.h"
#include "platform/IniFile.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class ProgramSettings;
namespace DesktopDatabase {
class Applications;
class Icons;
} // namespace DesktopDatabase

// Whether the text matches the file mask, ignoring case: "*" any run of characters, "?" one
// character, "[a-c]" a set with ranges and "[!a-c]" its negation.
bool MatchesMask(const QString& text, const QString& mask);

// A document type.
struct TDravonelApplication
{
    QString Key; // ".doc", or one of the built-in "", "vxtext", "url", "email"
    QString Caption;
    QString IconSource; // an icon file (optionally ",index") or a theme icon name
    QString ApplicationPath;
    int ImageIndex = -1;
};

class TDravonelApplicationList;

// A control that shows the document types; it is filled when it is attached and after every
// change of the list. The combo boxes of the windows are clients from the widget library.
class TApplicationListClient
{
public:
    virtual ~TApplicationListClient() = default;
    virtual void FillFromApplicationList(const TDravonelApplicationList& list) = 0;
    // The list is going away; the client must not use it any more.
    virtual void ApplicationListDestroyed() { }
};

// The document type column of the grid: the keys as values, the captions as descriptions and
// the type images, so that a view shows icon and caption for the key stored in a record.
class TApplicationImageColumn : public TApplicationListClient
{
public:
    QStringList Values;
    QStringList Descriptions;
    QList<QImage> Images;
    // Called after each filling (the grid repaints).
    std::function<void()> Changed;

    void FillFromApplicationList(const TDravonelApplicationList& list) override;
    int IndexOfValue(const QString& key) const; // exact, as the column compares; -1 when missing
    QString DescriptionOf(const QString& key) const; // the key itself when it is not listed
    QImage ImageOf(const QString& key) const; // null when it is not listed
};

// The document types of the program: the four built-in types and the user's file types, kept in
// "appl.ini" of the common files folder, with one 16 x 16 image per type.
class TDravonelApplicationList
{
public:
    static constexpr int kBuiltInCount = 4;
    static constexpr int kImageSize = 16;

    // The folder of "appl.ini" is the CommonFilesPath setting (its default when empty). The
    // program path is the icon of types without one in the file (the running program when empty).
    explicit TDravonelApplicationList(const ProgramSettings& settings, QString programPath = {});
    ~TDravonelApplicationList();
    TDravonelApplicationList(const TDravonelApplicationList&) = delete;
    TDravonelApplicationList& operator=(const TDravonelApplicationList&) = delete;

    // --- persistence
    void Load();
    // Writes the user types; raises IoError when the file cannot be written, and when it existed
    // but could not be read (it is not replaced by what this list holds).
    void Save();
    const QString& IniFileName() const { return m_iniFileName; }

    // --- queries
    int Count() const { return int(m_entries.size()); }
    const TDravonelApplication& Entry(int index) const { return m_entries.at(std::size_t(index)); }
    const std::vector<TDravonelApplication>& Entries() const { return m_entries; }
    const QList<QImage>& Images() const { return m_images; }
    static TDocTypeKind KindOfKey(const QString& key) { return ::KindOfKey(key); }
    void Locate(const QString& key);
    int CurrentIndex = -1;
    QString CurrentKey() const { return KeyAt(CurrentIndex); }
    TDocTypeKind CurrentKind() const { return KindOfKey(CurrentKey()); }
    QString KeyAt(int index) const;
    QString CaptionOfKey(const QString& key) const;
    bool Exists(const QString& key) const;
    QStringList KeyList() const;
    int IndexOfKey(const QString& key) const; // ignoring case; -1 when missing

    // --- changes
    // Raises DxError "Application "%s" already exists" for a key that is there.
    bool Add(const QString& key, const QString& caption, const QString& iconSource, const QString& applicationPath);
    bool Delete(const QString& key);
    bool Updating() const { return m_updating; }
    void setUpdating(bool updating);
    bool ChangePending() const { return m_changePending; }

    // --- display
    // Raises DxError "Invalid component type" for a null client.
    void AttachControl(TApplicationListClient* client);
    void DetachControl(TApplicationListClient* client);
    void RefreshControls();

    // --- search and types
    // The SQL condition on APPLNAME for a pattern on type captions.
    QString ApplNameCondition(const QString& pattern) const;
    // Makes sure a document type exists for the key (an extension); ".eml" and ".msg" become
    // "email". Answers false, adding nothing, for an extension the desktop does not know.
    bool EnsureDocumentType(QString& key);

    // The image index of a new image for the icon source, else the application's icon, else the
    // default image.
    int AddIcon(const QString& iconSource, const QString& applicationPath);

private:
    void changed();
    QString quoted(const QString& value) const;
    QImage iconImage(const QString& iconSource, const QString& applicationPath);

    const ProgramSettings& m_settings;
    QString m_programPath;
    QString m_iniFileName;
    IniFile m_ini;
    bool m_iniUnreadable = false;
    std::vector<TDravonelApplication> m_entries;
    QList<QImage> m_images;
    QList<TApplicationListClient*> m_clients;
    bool m_updating = false;
    bool m_changePending = false;
    std::unique_ptr<DesktopDatabase::Applications> m_applications; // read on first need
    std::unique_ptr<DesktopDatabase::Icons> m_icons;
};

// The built-in images of the document types ("ApplIcoEmpty", "ApplIcoNote", "ApplIcoWeb",
// "ApplIcoMail") and "ApplIcoDefault", 16 x 16.
QImage ApplicationImage(const QString& name);
