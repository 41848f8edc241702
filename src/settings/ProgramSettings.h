#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Dialogs;
class RegistryHives;

// Per-user values.
struct TUserCfgRec
{
    bool OpenLastDB = true;
    QString LastOpenedDocDB;
};

// Look of menus, bars and windows.
struct TFormLayoutCfgRec
{
    bool MenuLargeImages = true;
    bool MenuShowCaption = true;
    bool MenuAutoGray = false;
    int MenuStyle = 3;
    QString MenuBckgrndImage;
    bool UseSystemFont = true;
    QString MenuFont;
    QString FormFont;
    QString LayoutFile;
};

// How documents' programs are started.
struct TApplCfgRec
{
    bool ApplMaximize = true;
    QString PreviewExe;
    QString OpenWithExe;
};

// Machine-wide values and the administration file's values.
struct TCfgRec
{
    QString DocDataBase;
    int DropDownCount = 8;
    bool UseSystemPopupMenu = true;
    bool ShowDocCount = true;
    bool LoadAllRecords = true;
    bool ShowIcon = true;
    bool PrjPreselect = false;
    int FtiCreateMode = 2;
    bool FtiIgnoreDigits = true;
    int FtiIgnoreLength = 3;
    int FtiMaxFileSize = 2;
    QString CommonFilesPath; // with a trailing "/"
    // from admin.ini
    bool MultiUserAccess = true;
    bool OleToTxt = true;
    bool UpdateOnActivate = true;
    int SaveFormat = 1;
    QString SaveFormatEx;
};

// The values the main window takes from and applies to itself.
struct TWindowCfg
{
    int FormLeft = 10;
    int FormTop = 10;
    int FormWidth = 900;
    int FormHeight = 700;
    QString Language = QStringLiteral("[automatisch]");
    QString LastOpenedDBs;
    int PanelSearchHeight = 170;
    bool PanelProjectNavVisible = true;
    int PanelProjectNavWidth = 120;
    bool LockSearch = true;
};

// All program settings: read once at start from the two settings files and "admin.ini", read
// directly by every part of the program, written back on change and at exit.
class ProgramSettings
{
public:
    static inline const QString kDefaultFtiFileTypes = QStringLiteral(".doc.eml.htm.html.pdf.rtf.txt.xls.");

    TCfgRec Cfg;
    TUserCfgRec UserCfg;
    TFormLayoutCfgRec FormLayoutCfg;
    TApplCfgRec ApplCfg;
    TWindowCfg WindowCfg;
    QString FtiFileTypes = kDefaultFtiFileTypes;
    QChar QuoteChar = QLatin1Char('\'');
    bool FirstRun = false;
    bool UserKeyExisted = false; // whether the user's settings existed when they were read
    QString ProgramVersion = QStringLiteral(DOXAREL_VERSION);
    QString CurrentArchivePath; // chosen by LoadSettings
    QString BrowserWindowTitle; // admin.ini [Document]; empty when not given
    QString BrowserEditClass = QStringLiteral("Edit");

    // Where "menu.bmp" may lie; used for the default of MenuBckgrndImage.
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }

    // Reads everything: machine values, user values, the first-run repair, the current archive,
    // the administration file. Answers false when a settings file could not be read; the values
    // not read keep their defaults. Problems in admin.ini are reported through the dialogs and
    // written to the log by the logger given.
    bool LoadSettings(RegistryHives& hives, Dialogs& dialogs, const std::function<void(const QString&)>& log = {});
    // Writes the user values, then the machine values; answers false when a file cannot be written.
    // windowNormal: the main window exists and is neither minimised nor maximised (its bounds and
    // language are written only then); withWindow: the main window exists.
    bool SaveSettings(RegistryHives& hives, bool withWindow = true, bool windowNormal = true);
    bool SaveMachineSettings(RegistryHives& hives);

    // Reads "admin.ini" of the common files folder.
    void ReadAdminIni(Dialogs& dialogs, const std::function<void(const QString&)>& log = {});

    // A non-empty list gets a leading and a trailing ".".
    static QString normalisedFileTypes(const QString& types);
    // An archive exists when its file exists, or when the path is a folder holding the table
    // tableName + ".db" (an archive stored as separate table files).
    static bool ArchiveExists(const QString& path, const QString& tableName = QStringLiteral("DOCUMENT"));

private:
    bool readMachine(RegistryHives& hives);
    bool readUser(RegistryHives& hives);
    QString m_programFolder;
};
