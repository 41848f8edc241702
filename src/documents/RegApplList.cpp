#include "documents/RegApplList.h"

#include "documents/DesktopDatabase.h"
#include "documents/FileProperties.h"
#include "platform/Errors.h"
#include "platform/SpecialFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>

namespace {
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(RegApplList)
};

constexpr int kSmallIconSize = 16;
constexpr int kLargeIconSize = 32;

TCommandRec missingVerb(const QString& verb)
{
    TCommandRec command;
    command.Verb = verb;
    command.Caption = verb;
    return command;
}

TCommandRec commandFrom(const QString& verb, const QString& caption, const QString& exec)
{
    DesktopDatabase::DesktopEntry line;
    line.exec = exec;
    TCommandRec command;
    command.VerbExists = true;
    command.Verb = verb;
    command.Caption = caption.isEmpty() ? verb : caption;
    command.Application = line.program();
    command.Parameters = line.parameters();
    return command;
}

// The icon of a MIME type: its own icon when the themes have it, else its generic icon, else
// its own icon name all the same.
QString iconOf(const QMimeType& type, const DesktopDatabase::Icons& icons)
{
    for (const QString& name : {type.iconName(), type.genericIconName()}) {
        if (!name.isEmpty() && !icons.findIcon(name, kSmallIconSize).isEmpty())
            return name;
    }
    return type.iconName();
}

// An icon location "file,index" read as the catalogue reads it.
void splitIconLocation(const QString& location, QString& file, int& index)
{
    QString rest;
    SplitCommandLine(location, file, rest);
    bool ok = false;
    index = rest.toInt(&ok);
    if (!ok)
        index = 0;
}

bool hasTemplateWith(const QStringList& templates, const QString& extension)
{
    for (const QString& name : templates) {
        if (name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool isTextType(const QMimeType& type)
{
    return type.inherits(QStringLiteral("text/plain"));
}

bool containsIgnoringCase(const QStringList& list, const QString& value)
{
    return list.contains(value, Qt::CaseInsensitive);
}
} // namespace

// --- helpers ------------------------------------------------------------------------------

void SplitCommandLine(const QString& text, QString& program, QString& parameters)
{
    program.clear();
    parameters.clear();
    const QString trimmed = text.trimmed();
    if (!trimmed.contains(QLatin1Char(' ')) && !trimmed.contains(QLatin1Char(','))) {
        program = trimmed;
        return;
    }
    QStringList items;
    QString item;
    bool inItem = false;
    bool quoted = false;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < trimmed.size() && trimmed[i + 1] == QLatin1Char('"')) {
                    item += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                item += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inItem = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char(',')) {
            if (inItem)
                items.append(item);
            item.clear();
            inItem = false;
        } else {
            item += c;
            inItem = true;
        }
    }
    if (inItem)
        items.append(item);
    if (items.isEmpty())
        return;
    program = items.takeFirst();
    parameters = items.join(QLatin1Char(' ')).trimmed();
}

QString ExpandEnvironment(const QString& text)
{
    QString result = text;
    qsizetype from = 0;
    for (int replacements = 0; replacements < 100; ++replacements) {
        const qsizetype start = result.indexOf(QLatin1Char('%'), from);
        if (start < 0)
            break;
        const qsizetype end = result.indexOf(QLatin1Char('%'), start + 1);
        if (end < 0)
            break;
        const QString name = result.mid(start + 1, end - start - 1);
        const QString value = name.isEmpty() ? QString() : qEnvironmentVariable(name.toLocal8Bit().constData());
        result.replace(start, end - start + 1, value);
        from = start + value.size();
    }
    return result;
}

// --- TRegApplicationInfo ------------------------------------------------------------------

void TRegApplicationInfo::setConvEnvironment(bool on)
{
    if (m_convEnvironment == on)
        return;
    m_convEnvironment = on;
    if (!Extension.isEmpty())
        Load(Extension);
}

void TRegApplicationInfo::Clear()
{
    const bool convEnvironment = m_convEnvironment;
    *this = TRegApplicationInfo();
    m_convEnvironment = convEnvironment;
}

bool TRegApplicationInfo::Load(const QString& extension)
{
    const DesktopDatabase::Applications applications;
    const DesktopDatabase::Icons icons;
    return Load(extension, applications, icons);
}

bool TRegApplicationInfo::Load(
    const QString& extension, const DesktopDatabase::Applications& applications, const DesktopDatabase::Icons& icons)
{
    Clear();
    Extension = extension;
    const QMimeType type = DesktopDatabase::mimeTypeForExtension(extension);
    const auto expanded = [this](const QString& value) -> QString {
        return m_convEnvironment && value.contains(QLatin1Char('%')) ? ExpandEnvironment(value) : value;
    };

    NewCommand = missingVerb(QStringLiteral("New"));
    OpenCommand = missingVerb(QStringLiteral("Open"));
    EditCommand = missingVerb(QStringLiteral("Edit"));
    PrintCommand = missingVerb(QStringLiteral("Print"));
    PrintToCommand = missingVerb(QStringLiteral("PrintTo"));
    DefaultCommand = OpenCommand;
    if (!type.isValid())
        return Registered = false;

    Registered = true;
    ProgId = type.name();
    Caption = DesktopDatabase::mimeComment(type);

    const QString templateFile = DesktopDatabase::templateFor(extension);
    if (!templateFile.isEmpty()) {
        ShellNewKind = QStringLiteral("FileName");
        ShellNewValue = expanded(templateFile);
    } else if (isTextType(type)) {
        ShellNewKind = QStringLiteral("NullFile");
    }

    DefaultIcon = expanded(iconOf(type, icons));

    const DesktopDatabase::DesktopEntry* program = applications.defaultFor(ProgId);
    if (program) {
        DesktopEntryId = program->id;
        OpenCommand = commandFrom(QStringLiteral("Open"), program->name, program->exec);
        for (const DesktopDatabase::DesktopAction& action : program->actions) {
            TCommandRec* verb = nullptr;
            for (TCommandRec* candidate : {&NewCommand, &EditCommand, &PrintCommand, &PrintToCommand}) {
                if (action.id.compare(candidate->Verb, Qt::CaseInsensitive) == 0 && !candidate->VerbExists)
                    verb = candidate;
            }
            TCommandRec command = commandFrom(verb ? verb->Verb : action.id, action.name, action.exec);
            if (verb)
                *verb = command;
            else
                ActionCommands.append(command);
        }
    }
    DefaultCommand = OpenCommand;

    QString iconFile;
    int iconIndex = 0;
    splitIconLocation(DefaultIcon, iconFile, iconIndex);
    SmallIcon = icons.load(iconFile, iconIndex, kSmallIconSize);
    LargeIcon = icons.load(iconFile, iconIndex, kLargeIconSize);
    if (SmallIcon.isNull() && program)
        SmallIcon = icons.load(program->icon, 0, kSmallIconSize);
    if (LargeIcon.isNull() && program)
        LargeIcon = icons.load(program->icon, 0, kLargeIconSize);
    return Registered;
}

void TRegApplicationInfo::PropertiesText(QStringList& lines) const
{
    if (!Registered) {
        lines.append(QStringLiteral("(Key \"%1\" is undefined)").arg(Extension));
        return;
    }
    lines.append(QStringLiteral("Caption       : ") + Caption);
    lines.append(QStringLiteral("Name          : ") + ProgId);
    lines.append(QStringLiteral("Fileextension : ") + Extension);
    lines.append(QStringLiteral("CLSID         : ") + ClassId);
    lines.append(QStringLiteral("Iconfile      : ") + DefaultIcon);
    QString shellNew = QStringLiteral("ShellNew      : ") + ShellNewKind;
    if (!ShellNewValue.isEmpty())
        shellNew += QStringLiteral(" = ") + ShellNewValue;
    lines.append(shellNew);
    lines.append(QString());
    lines.append(QStringLiteral("Deafult Cmd   : ") + DefaultCommand.Verb);

    const auto block = [&lines](const TCommandRec& command) {
        if (!command.VerbExists)
            return;
        lines.append(QString());
        lines.append(QStringLiteral("Command ") + QString(command.Caption).remove(QLatin1Char('&'))
            + QStringLiteral(" (") + command.Verb + QLatin1Char(')'));
        lines.append(QStringLiteral("Application   : ") + command.Application);
        lines.append(QStringLiteral("Parameter     : ") + command.Parameters);
        if (command.IsDde) {
            lines.append(QStringLiteral("DDE           : Yes"));
            lines.append(
                QStringLiteral("  Application : ") + command.DdeApplication + QStringLiteral(", ") + command.DdeTopic);
            lines.append(QStringLiteral("  Command     : ") + command.DdeCommand);
        } else {
            lines.append(QStringLiteral("DDE           : No"));
        }
    };
    static const QStringList standardVerbs{QStringLiteral("new"), QStringLiteral("open"), QStringLiteral("edit"),
        QStringLiteral("print"), QStringLiteral("printto")};
    if (!standardVerbs.contains(DefaultCommand.Verb.toLower()))
        block(DefaultCommand);
    for (const TCommandRec* command : {&NewCommand, &OpenCommand, &EditCommand, &PrintCommand, &PrintToCommand})
        block(*command);
    for (const TCommandRec& command : ActionCommands)
        block(command);
}

bool TRegApplicationInfo::ShowFileProperties(const QString& path) const
{
    return FileProperties::show(path.isEmpty() ? OpenCommand.Application : path);
}

// --- TApplicationInfo ---------------------------------------------------------------------

void TApplicationInfo::setExtension(const QString& extension)
{
    if (extension == m_extension)
        return;
    m_extension = extension;
    if (extension.isEmpty()) {
        m_info.Clear();
        return;
    }
    if (!m_info.Load(extension))
        throw DxError(Text::tr("Dateityp \"%1\" ist nicht registriert.").arg(extension));
}

// --- TRegApplicationList ------------------------------------------------------------------

TRegApplicationList::TRegApplicationList() = default;
TRegApplicationList::~TRegApplicationList() = default;

void TRegApplicationList::setOption(bool& option, bool value)
{
    if (option == value)
        return;
    option = value;
    if (AutoUpdateItems)
        Build();
}

int TRegApplicationList::IndexOfExtension(const QString& extension) const
{
    for (int i = 0; i < Count(); ++i) {
        if (m_extensions[i].compare(extension, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int TRegApplicationList::RowHeight() const
{
    return (!ShowIcons || m_smallIcons ? kSmallIconSize : kLargeIconSize) + 4;
}

void TRegApplicationList::setRegApplIndex(int index)
{
    if (index < 0 || index >= Count()) {
        m_regApplIndex = -1;
        m_info.Clear();
        return;
    }
    m_regApplIndex = index;
    m_info.Load(m_extensions[index]);
}

void TRegApplicationList::Refresh()
{
    setRegApplIndex(-1);
    Build();
}

void TRegApplicationList::Build()
{
    m_captions.clear();
    m_progIds.clear();
    m_extensions.clear();
    m_smallImages.clear();
    m_largeImages.clear();
    setRegApplIndex(-1);

    const DesktopDatabase::Applications applications;
    const DesktopDatabase::Icons icons;
    const QStringList templates = QDir(SpecialFolders::templates()).entryList(QDir::Files | QDir::Readable);
    const QStringList extensions = DesktopDatabase::knownExtensions();
    QSet<QString> takenTypes;
    for (const QString& extension : extensions) {
        if (containsIgnoringCase(IgnoreExtensions, extension))
            continue;
        const QMimeType type = DesktopDatabase::mimeTypeForExtension(extension);
        const QString progId = type.isValid() ? type.name() : QString();
        const bool hasCaption = type.isValid() && !type.comment().isEmpty();
        const DesktopDatabase::DesktopEntry* program = type.isValid() ? applications.defaultFor(progId) : nullptr;
        bool taken = containsIgnoringCase(IncludeExtensions, extension) || !m_onlyAppl;
        if (!taken && type.isValid()) {
            if (m_onlyDefault)
                taken = hasCaption && (hasTemplateWith(templates, extension) || isTextType(type));
            else
                taken = hasCaption && program != nullptr;
        }
        if (!taken || (m_ignoreDuplicates && !progId.isEmpty() && takenTypes.contains(progId)))
            continue;
        takenTypes.insert(progId);

        const QString caption = hasCaption ? DesktopDatabase::mimeComment(type) : QString();
        m_captions.append(caption.isEmpty()
                ? QStringLiteral("(") + extension + QStringLiteral(": ") + progId + QLatin1Char(')')
                : caption);
        m_progIds.append(progId);
        m_extensions.append(extension);

        QString iconFile;
        int iconIndex = 0;
        if (type.isValid())
            splitIconLocation(iconOf(type, icons), iconFile, iconIndex);
        if (m_showFirstIcons)
            iconIndex = 0;
        const int wanted = m_smallIcons ? kSmallIconSize : kLargeIconSize;
        QImage needed = icons.load(iconFile, iconIndex, wanted);
        QString source = iconFile;
        if (needed.isNull() && program) {
            source = program->icon;
            iconIndex = 0;
            needed = icons.load(source, iconIndex, wanted);
        }
        if (needed.isNull()) {
            m_smallImages.append(DefaultSmallIcon);
            m_largeImages.append(DefaultLargeIcon);
        } else {
            m_smallImages.append(m_smallIcons ? needed : icons.load(source, iconIndex, kSmallIconSize));
            m_largeImages.append(m_smallIcons ? icons.load(source, iconIndex, kLargeIconSize) : needed);
        }
    }
}
