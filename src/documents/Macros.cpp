#include "Macros.h"

#include "archive/DataMod.h"
#include "archive/DocumentRecords.h"
#include "documents/Document.h"
#include "documents/ShellIntegration.h"
#include "documents/ShellLinks.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "platform/SpecialFolders.h"
#include "platform/SystemInfo.h"
#include "platform/db/DateSerial.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <algorithm>

namespace {
const QString kBraceBegin = QStringLiteral("VXProVarBraceBegin");
const QString kBraceEnd = QStringLiteral("VXProVarBraceEnd");
constexpr int kPartLimit = 250;
constexpr int kInterpreterHelp = 20201;
constexpr int kMaxWait = 60000;

QString interpreterMessage(const QString& text)
{
    return QStringLiteral("Interpreterfehler bei der Auswertung der Api-Anweisung \"%1\".").arg(text);
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// The position after the folder part: after the last separator or a drive colon ("C:").
qsizetype nameStart(const QString& path)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (isSeparator(path[i]) || (i == 1 && path[i] == QLatin1Char(':')))
            start = i + 1;
    }
    return start;
}

QString folderWithSeparator(const QString& path)
{
    return path.left(nameStart(path));
}

QString folderWithoutSeparator(const QString& path)
{
    QString folder = folderWithSeparator(path);
    if (folder.size() > 1 && isSeparator(folder.back()) && !(folder.size() == 3 && folder[1] == QLatin1Char(':')))
        folder.chop(1);
    return folder;
}

// "C:", "//server/share" ("\\server\share"), or empty.
QString drivePart(const QString& path)
{
    if (path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].isLetter())
        return path.left(2);
    if (path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        qsizetype i = 2;
        int separators = 0;
        for (; i < path.size(); ++i) {
            if (isSeparator(path[i]) && ++separators == 2)
                break;
        }
        return path.left(i);
    }
    return {};
}

QString quoted(const QString& value)
{
    return QLatin1Char('"') + QString(value).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

// A decimal number out of a format's fixed positions; raises for anything else.
int formatNumber(const QString& text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok)
        throw ConversionError(QStringLiteral("\"%1\" ist keine gültige ganze Zahl.").arg(text));
    return number;
}

qint64 wholeNumber(const QString& text)
{
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw ConversionError(QStringLiteral("\"%1\" ist keine gültige ganze Zahl.").arg(text));
    return number;
}

qint64 wholeNumberOrZero(const QString& text)
{
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok);
    return ok ? number : 0;
}

double dateValue(const QString& value)
{
    if (const auto serial = DateSerial::parse(value))
        return *serial;
    bool ok = false;
    const double serial = QString(value).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok)
        throw ConversionError(QStringLiteral("\"%1\" ist kein gültiges Datum.").arg(value));
    return serial;
}

QString withSlash(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString withoutSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}
} // namespace

QString MacroAdminIniFile(const TDModul& dataModule)
{
    const QString program = dataModule.ProgramFolder();
    const QFileInfo folder(program);
    const QFileInfo file(program + QStringLiteral("admin.ini"));
    if (!program.isEmpty() && folder.isDir() && folder.isWritable() && (!file.exists() || file.isWritable()))
        return file.filePath();
    return SpecialFolders::commonAppData() + QStringLiteral("Dravonel Lumaris/admin.ini");
}

TMacroInterpreter::TMacroInterpreter(TDModul& dataModule, Shell& shell)
    : m_dm(dataModule)
    , m_shell(shell)
{
}

void TMacroInterpreter::log(const QString& text) const
{
    try {
        m_dm.WriteLog(text);
    } catch (const IoError&) {
        // Nowhere to write the note to; the expansion goes on.
    }
}

void TMacroInterpreter::interpreterError(const QString& text)
{
    m_dm.ShowErrorAndLog(interpreterMessage(text), kInterpreterHelp);
}

Dialogs& TMacroInterpreter::interactive() const
{
    return InteractiveDialogs ? *InteractiveDialogs : m_dm.dialogs();
}

QString TMacroInterpreter::exeName() const
{
    return ExeName.isEmpty() ? QCoreApplication::applicationFilePath() : ExeName;
}

std::optional<QString> TMacroInterpreter::ExpandMacros(const QString& input, Mode mode)
{
    QString text = input;
    qsizetype from = 0;
    int evaluations = 0;
    qint64 work = 0; // characters moved by the replacements
    for (;;) {
        // Nothing before the macro just replaced holds a "}".
        const qsizetype close = text.indexOf(QLatin1Char('}'), from);
        if (close < 0)
            break;
        const qsizetype open = text.lastIndexOf(QLatin1Char('{'), close);
        if (open < 0) {
            interpreterError(input);
            break;
        }
        const QString value = EvaluateMacro(text.mid(open, close - open + 1), mode);
        text.replace(open, close - open + 1, value);
        if (AbortFlag)
            return std::nullopt;
        from = open;
        work += text.size() - open;
        if (++evaluations > kMaxEvaluations || text.size() > kMaxTextLength || work > kMaxWork) {
            // A value that keeps producing macros (a field naming itself) would never end.
            interpreterError(input.size() > 200 ? input.left(200) + QStringLiteral("...") : input);
            break;
        }
    }
    text.replace(kBraceBegin, QStringLiteral("{"));
    text.replace(kBraceEnd, QStringLiteral("}"));
    return text;
}

TMacroInterpreter::Parts TMacroInterpreter::split(const QString& inner)
{
    Parts parts;
    const qsizetype colon = inner.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        parts.keyword = inner.toLower();
        return parts;
    }
    parts.keyword = inner.left(colon).toLower();
    parts.argument = inner.mid(colon + 1).left(kPartLimit);
    const qsizetype comma = parts.argument.lastIndexOf(QLatin1Char(','));
    if (comma > 0) {
        if (parts.argument[comma - 1] == QLatin1Char(',')) {
            parts.argument.remove(comma, 1); // a doubled comma is one literal comma
        } else {
            parts.format = parts.argument.mid(comma + 1).left(kPartLimit);
            parts.argument.truncate(comma);
            parts.hasFormat = true;
        }
    }
    return parts;
}

bool TMacroInterpreter::allowedWhenRestricted(const QString& keyword)
{
    static const QSet<QString> allowed{QStringLiteral("doc"), QStringLiteral("self"), QStringLiteral("os"),
        QStringLiteral("chr"), QStringLiteral("adminini"), QStringLiteral("opendlg"), QStringLiteral("savedlg")};
    return allowed.contains(keyword);
}

QString TMacroInterpreter::EvaluateMacro(const QString& macro, Mode mode)
{
    AbortFlag = false;
    const QString inner = macro.mid(1, macro.size() - 2);
    const Parts parts = split(inner);
    if (mode == Mode::Restricted && !allowedWhenRestricted(parts.keyword)) {
        log(QStringLiteral("Makro \"%1\" aus einer fremden Datei wurde nicht ausgeführt.").arg(macro));
        return kBraceBegin + inner + kBraceEnd; // stays as written
    }
    return evaluate(inner, parts);
}

QString TMacroInterpreter::evaluate(const QString& inner, const Parts& parts)
{
    QString value;
    const QString& keyword = parts.keyword;
    const QString& argument = parts.argument;
    const QString formatLower = parts.format.toLower();
    bool formatted = false; // the keyword applies the format
    try {
        if (keyword == QLatin1String("doc")) {
            value = docValue(inner, argument);
            formatted = true;
        } else if (keyword == QLatin1String("self")) {
            value = selfValue(argument);
            formatted = true;
        } else if (keyword == QLatin1String("os")) {
            value = osValue(argument);
            formatted = true;
        } else if (keyword == QLatin1String("adminini")) {
            value = adminIniValue(argument, parts.format);
        } else if (keyword == QLatin1String("chr")) {
            const qint64 code = wholeNumber(argument);
            if (code == '{')
                value = kBraceBegin;
            else if (code == '}')
                value = kBraceEnd;
            else if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                throw ConversionError(QStringLiteral("%1 ist kein Zeichencode.").arg(code));
            else {
                const char32_t c = char32_t(code);
                value = QString::fromUcs4(&c, 1);
            }
        } else if (keyword == QLatin1String("execopendlg")) {
            Dialogs::FileRequest request;
            request.title = QStringLiteral("Datei importieren");
            request.filters = FileFilterList(argument);
            request.mustExist = true;
            const auto name = interactive().openFileName(request);
            if (!name) {
                AbortFlag = true;
                return value;
            }
            LastOpenName = *name;
            value = *name;
            formatted = true;
        } else if (keyword == QLatin1String("opendlg") || keyword == QLatin1String("savedlg")) {
            // The argument is the format; a comma inside it belongs to it ("dirpart,2").
            const QString format = parts.hasFormat ? argument + QLatin1Char(',') + parts.format : argument;
            value = ApplyFormat(keyword == QLatin1String("opendlg") ? LastOpenName : LastSaveName, format);
        } else if (keyword == QLatin1String("execsavedlg")) {
            Dialogs::FileRequest request;
            request.title = QStringLiteral("Speichern unter");
            request.filters = FileFilterList(argument);
            const auto name = interactive().saveFileName(request);
            if (!name) {
                AbortFlag = true;
                return value;
            }
            LastSaveName = *name;
            value = *name;
            formatted = true;
        } else if (keyword == QLatin1String("execdirdlg")) {
            const auto folder = interactive().folder(argument, SpecialFolders::desktop());
            if (!folder) {
                AbortFlag = true;
                return value;
            }
            value = withSlash(*folder);
        } else if (keyword == QLatin1String("execinputquery")) {
            const auto text = interactive().inputText(QStringLiteral("Eingabe"), argument, QString());
            if (!text) {
                AbortFlag = true;
                return value;
            }
            value = *text;
        } else if (keyword == QLatin1String("execprintdlg")) {
            const auto printer = ChoosePrinter ? ChoosePrinter() : std::nullopt;
            if (!printer) {
                AbortFlag = true;
                return value;
            }
            const bool made = SetDefaultPrinter ? SetDefaultPrinter(*printer) : [&] {
                QProcess process;
                process.start(QStringLiteral("lpoptions"), {QStringLiteral("-d"), *printer});
                return process.waitForFinished(10000) && process.exitCode() == 0;
            }();
            if (!made)
                throw IoError(QStringLiteral("Der Drucker \"%1\" konnte nicht als Standarddrucker eingetragen werden.")
                                  .arg(*printer));
        } else if (keyword == QLatin1String("createdir")) {
            if (!QFileInfo(argument).isDir() && !QDir().mkpath(argument))
                throw IoError(QStringLiteral("Der Ordner \"%1\" konnte nicht angelegt werden.").arg(argument));
            value = parts.format == QLatin1String("0") ? QString() : argument;
        } else if (keyword == QLatin1String("readshortcuturl")) {
            value = ReadInternetShortcut(argument);
        } else if (keyword == QLatin1String("readidentno")) {
            const QString counter
                = QStringLiteral("MACRO_") + argument.toUpper().replace(QLatin1Char(' '), QLatin1Char('_'));
            if (!m_dm.isArchiveOpen())
                throw DbError(QStringLiteral("Es ist kein Archiv geöffnet."));
            const qint64 number = m_dm.Records().NewId(counter);
            if (number < 0)
                throw DbError(QStringLiteral("Der Zähler \"%1\" konnte nicht gelesen werden.").arg(counter));
            value = QString::number(number);
            formatted = true;
        } else if (keyword == QLatin1String("readlnfile")) {
            value = readLnFile(argument, parts);
        } else if (keyword == QLatin1String("readadminini")) {
            value = readAdminIni(argument, parts);
        } else if (keyword == QLatin1String("wait")) {
            const int milliseconds = std::clamp(int(wholeNumber(argument)), 0, kMaxWait);
            if (Wait)
                Wait(milliseconds);
            else
                QThread::msleep(ulong(milliseconds));
        } else if (keyword == QLatin1String("messagedlg")) {
            if (interactive().message(Dialogs::Kind::Confirmation, argument, Dialogs::Ok | Dialogs::Cancel)
                != Dialogs::Ok)
                AbortFlag = true;
        } else if (keyword == QLatin1String("changedir")) {
            if (formatLower == QLatin1String("create") && !QFileInfo(argument).isDir())
                QDir().mkpath(argument);
            if (!QDir::setCurrent(argument))
                AbortFlag = true;
        } else if (keyword == QLatin1String("copydocfile")) {
            const QString source = docValue(QStringLiteral("doc:FILENAME"), QStringLiteral("FILENAME"));
            if (QFileInfo::exists(argument)
                && interactive().message(Dialogs::Kind::Confirmation,
                       QStringLiteral("Soll die Datei \"%1\" überschrieben werden?").arg(argument),
                       Dialogs::Yes | Dialogs::No)
                    != Dialogs::Yes)
                return value;
            CopyFileDirect(source, argument, true, true, &interactive());
        } else if (keyword == QLatin1String("deletefile")) {
            if (QFileInfo::exists(argument))
                RecycleFiles({argument}, formatLower != QLatin1String("noconfirm"), interactive(), m_shell);
        } else if (keyword == QLatin1String("setstayontop")) {
            if (argument.compare(QLatin1String("self"), Qt::CaseInsensitive) == 0 && SetStayOnTop)
                SetStayOnTop(formatLower == QLatin1String("true"));
        } else if (keyword == QLatin1String("minimizeapplication")) {
            if (argument.compare(QLatin1String("self"), Qt::CaseInsensitive) == 0) {
                if (MinimizeApplication)
                    MinimizeApplication();
            } else {
                value = QStringLiteral("*MinimizeApplication*") + argument;
            }
        } else if (keyword == QLatin1String("createkey")) {
            const qint64 code = wholeNumber(argument);
            if (code < 0 || code > 0xFFFF)
                throw ConversionError(QStringLiteral("%1 ist kein Zeichencode.").arg(code));
            if (SendKey)
                SendKey(QChar(char16_t(code)));
        } else if (keyword == QLatin1String("vxapi")) {
            RunApiCommand(argument, parts.format);
        } else if (keyword == QLatin1String("stringreplace")) {
            // Works on the value before any keyword set it, which is always empty.
            value = QString(value).replace(argument, parts.format);
        } else if (keyword == QLatin1String("source")) {
            value = ApplyFormat(SourceText, parts.hasFormat ? argument + QLatin1Char(',') + parts.format : argument);
        } else {
            value = inner;
        }
        if (formatted && parts.hasFormat)
            value = ApplyFormat(value, parts.format);
    } catch (const DxError&) {
        interpreterError(inner);
    }
    return value;
}

QString TMacroInterpreter::docValue(const QString& inner, QString field)
{
    if (field.compare(QLatin1String("key"), Qt::CaseInsensitive) == 0) {
        field = QStringLiteral("DOCID");
        log(QStringLiteral("V3-Kompatibilität: Macrovariable \"Doc:Key\" durch \"Doc:DocID\" ersetzt"));
    }
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    if (!records.hasField(field.trimmed())) {
        const QString message
            = QStringLiteral("Macrovariable \"%1\" verweist auf ein nicht vorhandenes Datenfeld").arg(inner);
        log(message);
        return message;
    }
    if (!records.isEditing() && (records.eof() && records.bof()))
        return {};
    return records.text(field.trimmed());
}

QString TMacroInterpreter::selfValue(const QString& argument) const
{
    const QString name = argument.toLower();
    if (name == QLatin1String("docpath"))
        return TDravonelDocument(m_dm, m_dm.Settings, m_shell, m_dm.AdoQueryDoc).DocumentFolder();
    if (name == QLatin1String("commonfilespath"))
        return m_dm.CommonFolder();
    if (name == QLatin1String("docdb"))
        return m_dm.CurrentArchive.FullPath;
    if (name == QLatin1String("pathdocdb"))
        return m_dm.CurrentArchive.Folder;
    if (name == QLatin1String("doctable"))
        return QStringLiteral("DOCUMENT");
    if (name == QLatin1String("exename"))
        return exeName();
    if (name == QLatin1String("exepath"))
        return m_dm.ProgramFolder();
    if (name == QLatin1String("windowtitle"))
        return WindowTitle ? WindowTitle() : QStringLiteral("Doxarel");
    if (name == QLatin1String("programname"))
        return QStringLiteral("Dravonel");
    if (name == QLatin1String("programnamesuffix"))
        return QStringLiteral("Lumaris");
    if (name == QLatin1String("urlhome"))
        return QStringLiteral("https://www.dravonel-lumaris.de/");
    if (name == QLatin1String("username"))
        return m_dm.userName();
    return {};
}

QString TMacroInterpreter::osValue(const QString& argument)
{
    const QString name = argument.toLower();
    if (name == QLatin1String("osdir"))
        return withoutSlash(SpecialFolders::windowsFolder());
    if (name == QLatin1String("sysdir"))
        return withoutSlash(SpecialFolders::systemFolder());
    if (name == QLatin1String("myfiles"))
        return withSlash(SpecialFolders::personalDocuments());
    if (name == QLatin1String("desktop"))
        return withSlash(SpecialFolders::desktop());
    if (name == QLatin1String("programs"))
        return withSlash(SpecialFolders::programs());
    if (name == QLatin1String("templates"))
        return withSlash(SpecialFolders::templates());
    if (name == QLatin1String("username"))
        return SystemInfo::userName();
    if (name == QLatin1String("computername"))
        return SystemInfo::computerName();
    return {};
}

QString TMacroInterpreter::adminIniValue(const QString& section, const QString& key) const
{
    IniFile ini(m_dm.CommonFolder() + QStringLiteral("admin.ini"));
    if (key.isEmpty() || !ini.load() || !ini.hasKey(section, key))
        return QStringLiteral("Fehler: AdminiINI");
    return ini.value(section, key);
}

QString TMacroInterpreter::readLnFile(const QString& argument, const Parts& parts)
{
    const QString path = CleanFileName(argument, false);
    const QFileInfo info(path);
    QString value;
    if (info.exists()) {
        if (!info.isFile())
            throw IoError(QStringLiteral("\"%1\" ist keine Datei.").arg(path));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw IoError(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden.").arg(path));
        value = QString::fromUtf8(file.readLine(64 * 1024)).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    } else {
        if (!QDir().mkpath(info.absolutePath()))
            throw IoError(QStringLiteral("Der Ordner \"%1\" konnte nicht angelegt werden.").arg(info.absolutePath()));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw IoError(QStringLiteral("Die Datei \"%1\" kann nicht angelegt werden.").arg(path));
        if (parts.hasFormat)
            value = QString::number(wholeNumberOrZero(parts.format));
    }
    if (parts.hasFormat) {
        const QString content = parts.format.startsWith(QLatin1Char('+')) || parts.format.startsWith(QLatin1Char('-'))
            ? QString::number(wholeNumberOrZero(value) + wholeNumberOrZero(parts.format))
            : parts.format;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write((content + u'\n').toUtf8()) < 0)
            throw IoError(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.").arg(path));
    }
    return value;
}

QString TMacroInterpreter::readAdminIni(const QString& key, const Parts& parts)
{
    const QString section = QStringLiteral("Macro_ReadAdminIni");
    IniFile ini(MacroAdminIniFile(m_dm));
    if (!ini.load())
        throw IoError(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden.").arg(ini.path()));
    QString value;
    QString content;
    if (parts.format.startsWith(QLatin1Char('+')) || parts.format.startsWith(QLatin1Char('-'))) {
        value = ini.value(section, key, parts.format);
        if (value.startsWith(QLatin1Char('+')))
            value.remove(0, 1);
        content = QString::number(wholeNumber(value) + wholeNumber(parts.format));
    } else {
        value = ini.value(section, key);
        content = parts.format;
    }
    ini.setValue(section, key, content);
    if (!ini.save())
        throw IoError(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.").arg(ini.path()));
    return value;
}

QString TMacroInterpreter::dirPart(const QString& value, const QString& format)
{
    const QString formatMessage
        = QStringLiteral("Fehler in Makro-Formatparameter \"%1\"").arg(QStringLiteral("DirPart"));
    QString base = value;
    if (QFileInfo(value).isFile()) {
        base = folderWithoutSeparator(value);
        base.remove(0, drivePart(base).size());
        while (!base.isEmpty() && isSeparator(base.front()))
            base.remove(0, 1);
    }
    const QStringList items = format.split(QLatin1Char(','));
    int a = 0;
    int b = 0;
    bool ok = true;
    if (items.size() > 1) {
        a = items[1].trimmed().toInt(&ok);
        if (!ok)
            a = 0;
        else if (items.size() > 2) {
            b = items[2].trimmed().toInt(&ok);
            if (!ok)
                b = 0;
        } else {
            b = a;
        }
    }
    if (!ok)
        m_dm.ShowErrorAndLog(formatMessage);
    QStringList levels;
    for (const QString& level : base.split(QRegularExpression(QStringLiteral("[/\\\\]")), Qt::SkipEmptyParts))
        levels << level;
    const int n = int(levels.size());
    if (n == 0) {
        m_dm.ShowErrorAndLog(formatMessage);
        return {};
    }
    if (a < 0)
        a += n + 1;
    if (b < 0)
        b += n + 1;
    if (b < a)
        std::swap(a, b);
    a = std::clamp(a, 1, n);
    b = std::clamp(b, 1, n);
    return levels.mid(a - 1, b - a + 1).join(QLatin1Char('\\'));
}

QString TMacroInterpreter::ApplyFormat(const QString& value, const QString& formatText)
{
    if (value.isEmpty())
        return {};
    const QString format = formatText.toLower();
    if (format == QLatin1String("file"))
        return value.mid(nameStart(value));
    if (format == QLatin1String("name")) {
        const QString name = value.mid(nameStart(value));
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        return dot > 0 ? name.left(dot) : name;
    }
    if (format == QLatin1String("fileext")) {
        const QString name = value.mid(nameStart(value));
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        return dot >= 0 ? name.mid(dot + 1) : QString();
    }
    if (format == QLatin1String("filepath"))
        return folderWithSeparator(value);
    if (format == QLatin1String("filedir"))
        return folderWithoutSeparator(value);
    if (format == QLatin1String("filedrive"))
        return drivePart(value);
    if (format == QLatin1String("dir")) {
        QString folder = folderWithoutSeparator(value);
        folder.remove(0, drivePart(folder).size());
        if (folder.startsWith(QLatin1Char(':')))
            folder.remove(0, 1);
        if (!folder.isEmpty() && isSeparator(folder.front()))
            folder.remove(0, 1);
        return folder;
    }
    if (format.startsWith(QLatin1String("dirpart,")))
        return dirPart(value, format);
    if (format == QLatin1String("asunc") || format == QLatin1String("short"))
        return value; // no mapped drives and no short names here
    if (format == QLatin1String("main")) {
        QString rest = value;
        while (!rest.isEmpty() && isSeparator(rest.front()))
            rest.remove(0, 1);
        for (qsizetype i = 0; i < rest.size(); ++i)
            if (isSeparator(rest[i]))
                return rest.left(i);
        return value;
    }
    if (format == QLatin1String("nospace"))
        return QString(value).remove(QLatin1Char(' '));
    if (format == QLatin1String("quote"))
        return value.contains(QLatin1Char(' ')) ? quoted(value) : value;
    if (format == QLatin1String("quoteever"))
        return quoted(value);
    if (format == QLatin1String("validate"))
        return CleanFileName(value, false);
    if (format == QLatin1String("fileattr"))
        return {};
    if (format.contains(QLatin1String("copychar"))) {
        const int start = formatNumber(format.mid(8, 3));
        const int length = formatNumber(format.mid(11, 3));
        return value.mid(std::max(start, 1) - 1, std::max(length, 0));
    }
    if (format.contains(QLatin1String("fillleft"))) {
        const int width = formatNumber(format.mid(8, 3));
        const QChar fill = format.size() > 11 ? format[11] : QLatin1Char(' ');
        return value.size() >= width ? value : value.rightJustified(width, fill);
    }
    if (format.contains(QLatin1String("fillright"))) {
        const int width = formatNumber(format.mid(9, 3));
        const QChar fill = format.size() > 12 ? format[12] : QLatin1Char(' ');
        return value.size() >= width ? value : value.leftJustified(width, fill);
    }
    if (format == QLatin1String("date"))
        return DateSerial::toDateTime(dateValue(value)).toString(QStringLiteral("dd.MM.yyyy"));
    if (format == QLatin1String("time"))
        return DateSerial::toDateTime(dateValue(value)).toString(QStringLiteral("HH:mm:ss"));
    return value;
}

void TMacroInterpreter::RunApiCommand(const QString& commandText, const QString& parameter)
{
    const QString command = commandText.trimmed().toLower();
    if (command == QLatin1String("registervxp")) {
        if (RegisterArchiveFileType(exeName()))
            m_dm.dialogs().information(
                QStringLiteral("Dateityp \"%1\" wurde mit \"%2\" verknüpft.").arg(QStringLiteral(".dva"), exeName()));
        else
            m_dm.dialogs().error(QStringLiteral("Verküpfung fehlgeschlagen!"));
    } else if (command == QLatin1String("createdemodocs")) {
        if (CreateDemoDocs)
            CreateDemoDocs();
    } else if (command == QLatin1String("createtestdocs")) {
        const qint64 count = wholeNumber(parameter);
        if (count < 0 || count > 1000000)
            throw ConversionError(QStringLiteral("%1 ist keine gültige Anzahl.").arg(count));
        if (CreateTestDocs)
            CreateTestDocs(int(count));
    } else if (command == QLatin1String("listmainmenuentries")) {
        ListMainMenuEntries();
    } else if (command == QLatin1String("setautorun")) {
        SetAutoStart(parameter.trimmed() == QLatin1String("1"), exeName());
    } else {
        for (const Action& action : Actions) {
            if (action.name.compare(command, Qt::CaseInsensitive) == 0) {
                if (action.execute)
                    action.execute();
                break;
            }
        }
    }
}

QString TMacroInterpreter::MainMenuEntriesText() const
{
    constexpr int kWidth = 37;
    const QString rule(56, QLatin1Char('-'));
    QStringList entries;
    for (const Action& action : Actions) {
        const QString caption = (action.category.isEmpty() ? QString() : action.category + QLatin1Char('.'))
            + QString(action.caption).remove(QLatin1Char('&'));
        entries << caption.leftJustified(kWidth) + QStringLiteral(": ") + action.name;
    }
    entries.removeDuplicates();
    entries.sort();
    QStringList lines{QStringLiteral("ACHTUNG: Führen Sie die API-Befehle nicht unüberlegt aus!"), rule,
        QStringLiteral("Menüeinträge").leftJustified(kWidth) + QStringLiteral("API-Befehl"), rule};
    lines << entries;
    return lines.join(QLatin1Char('\n'));
}

void TMacroInterpreter::ListMainMenuEntries()
{
    const QString caption = QStringLiteral("Dravonel") + QLatin1Char(' ') + QStringLiteral("Menüeinträge");
    if (ShowText)
        ShowText(caption, MainMenuEntriesText());
    else
        m_dm.dialogs().information(MainMenuEntriesText());
}

QString TMacroInterpreter::CommandPromptText(const QString& typed)
{
    QString text = typed;
    if (!text.startsWith(QLatin1Char('{')))
        text = QLatin1Char('{') + text + QLatin1Char('}');
    if (!text.contains(QLatin1Char(':')))
        text.insert(1, QStringLiteral("VxAPI:"));
    return text;
}

void TMacroInterpreter::RunCommandPrompt()
{
    const auto typed = m_dm.dialogs().inputText(QStringLiteral("Befehlsinterpreter"),
        QStringLiteral("Geben Sie einen Befehl ein"), QStringLiteral("VxAPI:ListMainMenuEntries"));
    if (!typed || typed->isEmpty())
        return;
    ExpandMacros(CommandPromptText(*typed)); // only the effects count
}
