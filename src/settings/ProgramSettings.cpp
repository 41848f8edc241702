#include "ProgramSettings.h"

#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "settings/RegistryKeys.h"
#include "settings/SettingsCatalogue.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString& key()
{
    return RegistryKeys::kSettings;
}

// A hive whose file exists but cannot be read gives nothing but defaults.
bool readable(const Registry& hive)
{
    const QFileInfo file(hive.filePath());
    return !file.exists() || file.isReadable();
}

QString withSlash(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

std::optional<bool> iniBool(const QString& text)
{
    const QString t = text.trimmed().toLower();
    bool ok = false;
    const int number = t.toInt(&ok);
    if (ok)
        return number != 0;
    if (t == QLatin1String("true") || t == QLatin1String("ja") || t == QLatin1String("yes"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("nein") || t == QLatin1String("no"))
        return false;
    return std::nullopt;
}
} // namespace

QString ProgramSettings::normalisedFileTypes(const QString& types)
{
    QString result = types;
    if (result.isEmpty())
        return result;
    if (!result.startsWith(QLatin1Char('.')))
        result.prepend(QLatin1Char('.'));
    if (!result.endsWith(QLatin1Char('.')))
        result.append(QLatin1Char('.'));
    return result;
}

bool ProgramSettings::ArchiveExists(const QString& path, const QString& tableName)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (info.isFile())
        return true;
    return info.isDir() && QFileInfo::exists(withSlash(path) + tableName + QStringLiteral(".db"));
}

bool ProgramSettings::readMachine(RegistryHives& hives)
{
    Registry& m = hives.machine();
    FirstRun = !m.keyExists(key());
    if (!FirstRun)
        FirstRun = m.readString(key(), QStringLiteral("Initialize"), QString())
                       .compare(QLatin1String("FirstRun"), Qt::CaseInsensitive)
            == 0;
    if (!m.keyExists(key()))
        m.createKey(key());
    if (!readable(m))
        return false;

    ApplCfg.ApplMaximize = m.readBool(key(), QStringLiteral("ApplMaximize"), true);
    ApplCfg.PreviewExe = m.readString(key(), QStringLiteral("PreviewExe"), QString());
    ApplCfg.OpenWithExe = m.readString(key(), QStringLiteral("OpenWithExe"), QString());
    Cfg.DropDownCount = m.readInteger(key(), QStringLiteral("DropDownCount"), 8);
    Cfg.UseSystemPopupMenu = m.readBool(key(), QStringLiteral("UseSystemPopupMenu"), true);
    Cfg.CommonFilesPath = withSlash(
        m.readString(key(), QStringLiteral("CommonFilesPath"), SettingsCatalogue::defaultCommonFilesPath()));
    Cfg.DocDataBase = m.readString(key(), QStringLiteral("DocDataBase"), QString());
    Cfg.PrjPreselect = m.readBool(key(), QStringLiteral("PrjPreselect"), false);
    Cfg.ShowDocCount = m.readBool(key(), QStringLiteral("ShowDocCount"), true);
    Cfg.LoadAllRecords = m.readBool(key(), QStringLiteral("LoadAllRecords"), true);
    Cfg.ShowIcon = m.readBool(key(), QStringLiteral("ShowIcon"), true);
    Cfg.FtiCreateMode = m.readInteger(key(), QStringLiteral("FtiCreateMode"), 2);
    Cfg.FtiIgnoreDigits = m.readBool(key(), QStringLiteral("FtiIgnoreDigits"), true);
    Cfg.FtiIgnoreLength = m.readInteger(key(), QStringLiteral("FtiIgnoreLength"), 3);
    FtiFileTypes = m.readString(key(), QStringLiteral("FtiFileTypes"), kDefaultFtiFileTypes);
    Cfg.FtiMaxFileSize = m.readInteger(key(), QStringLiteral("FtiMaxFileSize"), 2);
    return true;
}

bool ProgramSettings::readUser(RegistryHives& hives)
{
    Registry& u = hives.user();
    UserKeyExisted = u.keyExists(key());
    if (!readable(u))
        return false;
    UserCfg.OpenLastDB = u.readBool(key(), QStringLiteral("OpenLastDB"), true);
    UserCfg.LastOpenedDocDB = u.readString(key(), QStringLiteral("LastOpenedDocDB"), QString());
    FormLayoutCfg.MenuStyle = u.readInteger(key(), QStringLiteral("MenuStyle"), 3);
    FormLayoutCfg.MenuLargeImages = u.readBool(key(), QStringLiteral("MenuLargeImages"), true);
    FormLayoutCfg.MenuShowCaption = u.readBool(key(), QStringLiteral("MenuShowCaption"), true);
    FormLayoutCfg.MenuAutoGray = u.readBool(key(), QStringLiteral("MenuAutoGray"), false);
    const QString menuImage
        = m_programFolder.isEmpty() ? QString() : withSlash(m_programFolder) + QStringLiteral("menu.bmp");
    FormLayoutCfg.MenuBckgrndImage
        = u.readString(key(), QStringLiteral("MenuBckgrndImage"), QFileInfo::exists(menuImage) ? menuImage : QString());
    FormLayoutCfg.UseSystemFont = u.readBool(key(), QStringLiteral("UseSystemFont"), true);
    FormLayoutCfg.LayoutFile = u.readString(key(), QStringLiteral("LayoutFile"), QString());
    FormLayoutCfg.MenuFont = u.readString(key(), QStringLiteral("MenuFont"), FormLayoutCfg.MenuFont);
    FormLayoutCfg.FormFont = u.readString(key(), QStringLiteral("FormFont"), FormLayoutCfg.FormFont);
    TWindowCfg& w = WindowCfg;
    w.FormLeft = u.readInteger(key(), QStringLiteral("FormLeft"), w.FormLeft);
    w.FormTop = u.readInteger(key(), QStringLiteral("FormTop"), w.FormTop);
    w.FormWidth = u.readInteger(key(), QStringLiteral("FormWidth"), w.FormWidth);
    w.FormHeight = u.readInteger(key(), QStringLiteral("FormHeight"), w.FormHeight);
    w.Language = u.readString(key(), QStringLiteral("Language"), QStringLiteral("[automatisch]"));
    w.LastOpenedDBs = u.readString(key(), QStringLiteral("LastOpenedDBs"), QString());
    w.PanelSearchHeight = u.readInteger(key(), QStringLiteral("PanelSearchHeight"), w.PanelSearchHeight);
    w.PanelProjectNavVisible = u.readBool(key(), QStringLiteral("PanelProjectNavVisible"), true);
    w.PanelProjectNavWidth = u.readInteger(key(), QStringLiteral("PanelProjectNavWidth"), 120);
    w.LockSearch = u.readBool(key(), QStringLiteral("LockSearch"), true);
    return true;
}

void ProgramSettings::ReadAdminIni(Dialogs& dialogs, const std::function<void(const QString&)>& log)
{
    IniFile admin(Cfg.CommonFilesPath + QStringLiteral("admin.ini"));
    if (!admin.load())
        return;
    auto readBool = [&](const char* section, const char* name, bool& target) {
        if (admin.hasKey(QLatin1String(section), QLatin1String(name)))
            if (const auto value = iniBool(admin.value(QLatin1String(section), QLatin1String(name))))
                target = *value;
    };
    if (admin.hasKey(QStringLiteral("Document"), QStringLiteral("BrowserWindowTitle")))
        BrowserWindowTitle = admin.value(QStringLiteral("Document"), QStringLiteral("BrowserWindowTitle"));
    if (admin.hasKey(QStringLiteral("Document"), QStringLiteral("BrowserEditClass")))
        BrowserEditClass = admin.value(QStringLiteral("Document"), QStringLiteral("BrowserEditClass"));
    readBool("DataBase", "MultiUserAccess", Cfg.MultiUserAccess);
    if (admin.hasKey(QStringLiteral("DataBase"), QStringLiteral("QuoteChar"))) {
        const QString quote = admin.value(QStringLiteral("DataBase"), QStringLiteral("QuoteChar"));
        if (quote.isEmpty()) {
            const QString message = QStringLiteral("Fehlerhafte Angabe für ")
                + QStringLiteral("\"[Database]: QuoteChar\"") + QStringLiteral(" in admin.ini");
            if (log)
                log(message);
            dialogs.message(Dialogs::Kind::Error, message, Dialogs::Ok | Dialogs::Help, 1984);
        } else {
            QuoteChar = quote.front();
        }
    }
    readBool("FullTextIndex", "OleToTxt", Cfg.OleToTxt);
    readBool("FullTextIndex", "UpdateOnActivate", Cfg.UpdateOnActivate);
    if (admin.hasKey(QStringLiteral("eMail"), QStringLiteral("SaveFormat"))) {
        bool ok = false;
        const int format = admin.value(QStringLiteral("eMail"), QStringLiteral("SaveFormat")).trimmed().toInt(&ok);
        if (ok)
            Cfg.SaveFormat = format;
    }
    if (admin.hasKey(QStringLiteral("eMail"), QStringLiteral("SaveFormatEx")))
        Cfg.SaveFormatEx = admin.value(QStringLiteral("eMail"), QStringLiteral("SaveFormatEx"));
}

bool ProgramSettings::LoadSettings(
    RegistryHives& hives, Dialogs& dialogs, const std::function<void(const QString&)>& log)
{
    bool ok = readMachine(hives);
    ok = readUser(hives) && ok;

    if (FirstRun && Cfg.DocDataBase.contains(QLatin1Char('~'))) {
        QString absolute = Cfg.DocDataBase;
        if (absolute.startsWith(QLatin1String("~/")))
            absolute.replace(0, 1, QDir::homePath());
        Cfg.DocDataBase = QFileInfo(absolute).absoluteFilePath();
        hives.machine().writeString(key(), QStringLiteral("DocDataBase"), Cfg.DocDataBase);
        hives.machine().flush();
    }

    CurrentArchivePath
        = UserCfg.OpenLastDB && ArchiveExists(UserCfg.LastOpenedDocDB) ? UserCfg.LastOpenedDocDB : Cfg.DocDataBase;
    ReadAdminIni(dialogs, log);
    return ok;
}

bool ProgramSettings::SaveSettings(RegistryHives& hives, bool withWindow, bool windowNormal)
{
    Registry& u = hives.user();
    u.writeBool(key(), QStringLiteral("OpenLastDB"), UserCfg.OpenLastDB);
    u.writeString(key(), QStringLiteral("LastOpenedDocDB"), UserCfg.LastOpenedDocDB);
    u.writeInteger(key(), QStringLiteral("MenuStyle"), FormLayoutCfg.MenuStyle);
    u.writeBool(key(), QStringLiteral("MenuLargeImages"), FormLayoutCfg.MenuLargeImages);
    u.writeBool(key(), QStringLiteral("MenuShowCaption"), FormLayoutCfg.MenuShowCaption);
    u.writeBool(key(), QStringLiteral("MenuAutoGray"), FormLayoutCfg.MenuAutoGray);
    u.writeString(key(), QStringLiteral("MenuBckgrndImage"), FormLayoutCfg.MenuBckgrndImage);
    u.writeBool(key(), QStringLiteral("UseSystemFont"), FormLayoutCfg.UseSystemFont);
    u.writeString(key(), QStringLiteral("LayoutFile"), FormLayoutCfg.LayoutFile);
    u.writeString(key(), QStringLiteral("MenuFont"), FormLayoutCfg.MenuFont);
    u.writeString(key(), QStringLiteral("FormFont"), FormLayoutCfg.FormFont);
    if (withWindow) {
        const TWindowCfg& w = WindowCfg;
        if (windowNormal) {
            u.writeInteger(key(), QStringLiteral("FormLeft"), w.FormLeft);
            u.writeInteger(key(), QStringLiteral("FormTop"), w.FormTop);
            u.writeInteger(key(), QStringLiteral("FormWidth"), w.FormWidth);
            u.writeInteger(key(), QStringLiteral("FormHeight"), w.FormHeight);
            u.writeString(key(), QStringLiteral("Language"), w.Language);
        }
        u.writeString(key(), QStringLiteral("LastOpenedDBs"), w.LastOpenedDBs);
        u.writeInteger(key(), QStringLiteral("PanelSearchHeight"), w.PanelSearchHeight);
        u.writeBool(key(), QStringLiteral("PanelProjectNavVisible"), w.PanelProjectNavVisible);
        u.writeInteger(key(), QStringLiteral("PanelProjectNavWidth"), w.PanelProjectNavWidth);
        u.writeBool(key(), QStringLiteral("LockSearch"), w.LockSearch);
    }
    const bool userWritten = u.flush();
    return SaveMachineSettings(hives) && userWritten;
}

bool ProgramSettings::SaveMachineSettings(RegistryHives& hives)
{
    Registry& m = hives.machine();
    m.writeString(key(), QStringLiteral("PreviewExe"), ApplCfg.PreviewExe);
    m.writeBool(key(), QStringLiteral("ApplMaximize"), ApplCfg.ApplMaximize);
    m.writeString(key(), QStringLiteral("Initialize"), QString());
    m.writeString(key(), QStringLiteral("Version"), ProgramVersion);
    m.writeString(key(), QStringLiteral("DocDataBase"), Cfg.DocDataBase);
    m.writeBool(key(), QStringLiteral("PrjPreselect"), Cfg.PrjPreselect);
    m.writeInteger(key(), QStringLiteral("DropDownCount"), Cfg.DropDownCount);
    m.writeBool(key(), QStringLiteral("UseSystemPopupMenu"), Cfg.UseSystemPopupMenu);
    m.writeBool(key(), QStringLiteral("ShowDocCount"), Cfg.ShowDocCount);
    m.writeBool(key(), QStringLiteral("LoadAllRecords"), Cfg.LoadAllRecords);
    m.writeBool(key(), QStringLiteral("ShowIcon"), Cfg.ShowIcon);
    m.writeInteger(key(), QStringLiteral("FtiCreateMode"), Cfg.FtiCreateMode);
    m.writeBool(key(), QStringLiteral("FtiIgnoreDigits"), Cfg.FtiIgnoreDigits);
    m.writeInteger(key(), QStringLiteral("FtiIgnoreLength"), Cfg.FtiIgnoreLength);
    m.writeInteger(key(), QStringLiteral("FtiMaxFileSize"), Cfg.FtiMaxFileSize);
    FtiFileTypes = normalisedFileTypes(FtiFileTypes);
    m.writeString(key(), QStringLiteral("FtiFileTypes"), FtiFileTypes);
    return m.flush();
}
