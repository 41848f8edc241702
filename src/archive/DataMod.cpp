#include "DataMod.h"

#include "archive/DocumentRecords.h"
#include "mainwindow/dialogs/Helpers.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "settings/SettingsCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

void TCurrConfigRec::setPath(const QString& path)
{
    const QFileInfo info(path);
    FullPath = info.absoluteFilePath();
    FileName = info.fileName();
    Folder = info.absolutePath() + QLatin1Char('/');
}

TDModul::TDModul(Environment environment)
    : m_environment(std::move(environment))
{
    m_environment.programFolder = withSlash(m_environment.programFolder);
    setCommonFilesPath(m_environment.commonFilesPath);
    AdoQueryDoc.setConnection(&AdoConnectDoc);
    AdoQueryBlobs.setConnection(&AdoConnectDoc);
    AdoTableTmp.setConnection(&AdoConnectDoc);
    AdoTableTmp.setSql(QStringLiteral("SELECT * FROM TEMPDOC"));
    m_records = std::make_unique<DocumentRecords>(*this);

    // The temporary folder lives in the program folder unless that cannot be written.
    m_tempFolder = m_environment.programFolder + QStringLiteral("tmp/");
    if (!QDir().mkpath(m_tempFolder) || !QFileInfo(m_tempFolder).isWritable())
        m_tempFolder = withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
            + QStringLiteral("Dravonel Lumaris/tmp/");
    QDir().mkpath(m_tempFolder);
}

TDModul::~TDModul()
{
    m_records.reset();
}

QString TDModul::withSlash(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString TDModul::makeFolder(const QString& folder) const
{
    QDir().mkpath(folder); // a folder that cannot be made is noticed by whoever writes to it
    return folder;
}

// --- archive ------------------------------------------------------------------------------

void TDModul::OpenArchive()
{
    CloseArchive();
    AdoConnectDoc.open(CurrentArchive.FullPath);
}

void TDModul::CloseArchive()
{
    AdoQueryDoc.close();
    AdoTableTmp.close();
    AdoQueryBlobs.close();
    AdoConnectionFtiThread.close();
    AdoConnectDoc.close();
}

// --- folders ------------------------------------------------------------------------------

void TDModul::setCommonFilesPath(const QString& path)
{
    m_commonFilesPath = withSlash(path.isEmpty() ? SettingsCatalogue::defaultCommonFilesPath() : path);
}

QString TDModul::CommonFolder() const
{
    return makeFolder(m_commonFilesPath);
}

QString TDModul::ArchiveFolder() const
{
    return makeFolder(CommonFolder() + QStringLiteral("Archive/"));
}

QString TDModul::LayoutsFolder() const
{
    return CommonFolder() + QStringLiteral("Layouts/");
}

QString TDModul::LayoutFile(const QString& configured, bool report) const
{
    QString file = configured;
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        file = LayoutsFolder() + QStringLiteral("layout.lay");
        if (!QFileInfo::exists(file))
            file = ProgramFolder() + QStringLiteral("default.lay");
    }
    if (report && !QFileInfo::exists(file))
        ShowErrorAndLog(QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(file));
    return file;
}

QString TDModul::StopWordFile() const
{
    return ProgramFolder() + QStringLiteral("stopword.lst");
}

QString TDModul::UsersFile() const
{
    const QString file = CommonFolder() + QStringLiteral("users.itm");
    if (!QFileInfo::exists(file)) {
        QFile empty(file);
        if (empty.open(QIODevice::WriteOnly))
            empty.close();
    }
    return file;
}

QString TDModul::SearchDefaultsFile() const
{
    return CurrentArchive.Folder + QStringLiteral("SearchEx.fvl");
}

QString TDModul::ReservedWordsFile() const
{
    return ProgramFolder() + QStringLiteral("sqlres.txt");
}

QString TDModul::TempFolder() const
{
    return m_tempFolder;
}

QString TDModul::LogFile() const
{
    QDir().mkpath(m_commonFilesPath);
    if (QFileInfo(m_commonFilesPath).isDir())
        return m_commonFilesPath + QStringLiteral("Error.log");
    return ProgramFolder() + QStringLiteral("Error.log");
}

QString TDModul::HelpFile() const
{
    return ProgramFolder() + QStringLiteral("help/index.html");
}

// --- messages -----------------------------------------------------------------------------

QString TDModul::LogPrefix() const
{
    return ::LogPrefix(m_environment.userName, m_environment.computerName) + QStringLiteral(": ");
}

void TDModul::WriteLog(const QString& text) const
{
    const std::lock_guard lock(m_logMutex);
    const QString path = LogFile();
    QFile log(path);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        throw IoError(
            QStringLiteral("Die Protokolldatei \"%1\" kann nicht geschrieben werden: %2").arg(path, log.errorString()));
    const QByteArray line = (LogPrefix() + text + QLatin1Char('\n')).toUtf8();
    if (log.write(line) != line.size() || !log.flush())
        throw IoError(
            QStringLiteral("Die Protokolldatei \"%1\" kann nicht geschrieben werden: %2").arg(path, log.errorString()));
}

void TDModul::ShowErrorAndLog(const QString& text, int helpTopic) const
{
    try {
        WriteLog(text);
    } catch (const IoError&) {
        // The message itself still reaches the user.
    }
    dialogs().message(Dialogs::Kind::Error, text, helpTopic > 0 ? Dialogs::Ok | Dialogs::Help : Dialogs::Ok, helpTopic);
}

SqlRecordSet* TDModul::DataSourceFor(const QString& tableName, SqlRecordSet* ownerSource)
{
    if (tableName.compare(QLatin1String("DOC"), Qt::CaseInsensitive) != 0)
        return nullptr;
    return ownerSource ? ownerSource : &AdoQueryDoc;
}
