#include "documents/ShellLinks.h"

#include "documents/DesktopDatabase.h"
#include "documents/RegApplList.h"
#include "platform/IniFile.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QtEndian>

#include <optional>

namespace {
constexpr quint32 kHeaderSize = 0x4C;
constexpr quint32 kHasLinkTargetIdList = 0x1;
constexpr quint32 kHasLinkInfo = 0x2;
constexpr quint32 kHasName = 0x4;
constexpr quint32 kHasRelativePath = 0x8;
constexpr quint32 kHasWorkingDir = 0x10;
constexpr quint32 kHasArguments = 0x20;
constexpr quint32 kHasIconLocation = 0x40;
constexpr quint32 kIsUnicode = 0x80;
constexpr quint32 kVolumeIdAndLocalBasePath = 0x1;
constexpr quint32 kCommonNetworkRelativeLink = 0x2;
constexpr quint32 kEnvironmentBlock = 0xA0000001;
constexpr qsizetype kMaxLinkSize = 16 * 1024 * 1024;

// Bounds-checked little-endian reads; every read of a damaged file answers nullopt.
class Reader
{
public:
    explicit Reader(const QByteArray& data)
        : m_data(data)
    {
    }
    qsizetype size() const { return m_data.size(); }

    std::optional<quint16> u16(qsizetype at) const
    {
        if (at < 0 || at + 2 > m_data.size())
            return std::nullopt;
        return qFromLittleEndian<quint16>(m_data.constData() + at);
    }
    std::optional<quint32> u32(qsizetype at) const
    {
        if (at < 0 || at + 4 > m_data.size())
            return std::nullopt;
        return qFromLittleEndian<quint32>(m_data.constData() + at);
    }
    // A NUL-terminated string of single bytes (Windows-1252) within [at, end).
    std::optional<QString> ansiz(qsizetype at, qsizetype end) const
    {
        end = std::min(end, m_data.size());
        if (at < 0 || at >= end)
            return std::nullopt;
        const qsizetype nul = m_data.indexOf('\0', at);
        if (nul < 0 || nul >= end)
            return std::nullopt;
        return TextCodec::fromWindows1252(m_data.mid(at, nul - at));
    }
    // A NUL-terminated UTF-16LE string within [at, end).
    std::optional<QString> unicodez(qsizetype at, qsizetype end) const
    {
        end = std::min(end, m_data.size());
        if (at < 0)
            return std::nullopt;
        QString text;
        for (qsizetype i = at; i + 2 <= end; i += 2) {
            const quint16 unit = qFromLittleEndian<quint16>(m_data.constData() + i);
            if (unit == 0)
                return text;
            text += QChar(unit);
        }
        return std::nullopt;
    }
    // A counted string of the string data section; advances at.
    std::optional<QString> counted(qsizetype& at, bool unicode) const
    {
        const auto count = u16(at);
        if (!count)
            return std::nullopt;
        at += 2;
        const qsizetype bytes = qsizetype(*count) * (unicode ? 2 : 1);
        if (at + bytes > m_data.size())
            return std::nullopt;
        QString text;
        if (unicode) {
            for (qsizetype i = 0; i < bytes; i += 2)
                text += QChar(qFromLittleEndian<quint16>(m_data.constData() + at + i));
        } else {
            text = TextCodec::fromWindows1252(m_data.mid(at, bytes));
        }
        at += bytes;
        return text;
    }

private:
    const QByteArray& m_data;
};

bool validText(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.isNonCharacter() || c.isSurrogate())
            return false;
    }
    return true;
}

// The path of the link target ID list: a drive item and file entry items (their long names when
// the extension block has them, else their short names).
QString pathOfIdList(const Reader& reader, qsizetype start, qsizetype end)
{
    QStringList parts;
    QString drive;
    qsizetype at = start;
    while (at + 2 <= end) {
        const auto size = reader.u16(at);
        if (!size || *size == 0)
            break;
        if (*size < 3 || at + *size > end)
            return {};
        const qsizetype itemEnd = at + *size;
        const auto type = reader.u16(at + 2);
        const quint8 kind = type ? quint8(*type & 0xFF) : 0;
        if ((kind & 0x70) == 0x20) {
            if (const auto name = reader.ansiz(at + 3, itemEnd))
                drive = *name;
        } else if ((kind & 0x70) == 0x30 && *size >= 14) {
            const bool unicodeName = kind & 0x04;
            const qsizetype nameAt = at + 14;
            QString name;
            qsizetype afterName = nameAt;
            if (unicodeName) {
                name = reader.unicodez(nameAt, itemEnd).value_or(QString());
                afterName = nameAt + (name.size() + 1) * 2;
            } else {
                name = reader.ansiz(nameAt, itemEnd).value_or(QString());
                afterName = nameAt + name.toLatin1().size() + 1;
            }
            if ((afterName - at) % 2)
                ++afterName;
            // The extension block 0xBEEF0004 holds the long name.
            const auto blockSize = reader.u16(afterName);
            const auto version = reader.u16(afterName + 2);
            const auto signature = reader.u32(afterName + 4);
            if (blockSize && version && signature && *signature == 0xBEEF0004 && afterName + *blockSize <= itemEnd) {
                const qsizetype offset = *version >= 9 ? 0x2A : *version >= 7 ? 0x26 : 0x12;
                const auto longName = reader.unicodez(afterName + offset, afterName + *blockSize);
                if (longName && validText(*longName))
                    name = *longName;
            }
            if (!validText(name))
                return {};
            parts.append(name);
        }
        at = itemEnd;
    }
    if (drive.isEmpty() && parts.isEmpty())
        return {};
    if (!drive.isEmpty() && !drive.endsWith(QLatin1Char('\\')))
        drive += QLatin1Char('\\');
    return drive + parts.join(QLatin1Char('\\'));
}

std::optional<QString> pathOfLinkInfo(const Reader& reader, qsizetype start)
{
    const auto size = reader.u32(start);
    const auto headerSize = reader.u32(start + 4);
    const auto flags = reader.u32(start + 8);
    const auto localBaseOffset = reader.u32(start + 16);
    const auto networkOffset = reader.u32(start + 20);
    const auto suffixOffset = reader.u32(start + 24);
    if (!size || !headerSize || !flags || !localBaseOffset || !networkOffset || !suffixOffset || *size < 0x1C
        || *headerSize < 0x1C || start + qsizetype(*size) > reader.size())
        return std::nullopt;
    const qsizetype end = start + *size;
    const bool unicodeOffsets = *headerSize >= 0x24;
    QString suffix;
    if (unicodeOffsets) {
        if (const auto offset = reader.u32(start + 32); offset && *offset)
            suffix = reader.unicodez(start + *offset, end).value_or(QString());
    }
    if (suffix.isEmpty() && *suffixOffset)
        suffix = reader.ansiz(start + *suffixOffset, end).value_or(QString());

    if (*flags & kVolumeIdAndLocalBasePath) {
        QString base;
        if (unicodeOffsets) {
            if (const auto offset = reader.u32(start + 28); offset && *offset)
                base = reader.unicodez(start + *offset, end).value_or(QString());
        }
        if (base.isEmpty()) {
            const auto ansi = reader.ansiz(start + *localBaseOffset, end);
            if (!ansi)
                return std::nullopt;
            base = *ansi;
        }
        if (!base.isEmpty())
            return base + suffix;
    }
    if (*flags & kCommonNetworkRelativeLink) {
        const qsizetype link = start + *networkOffset;
        const auto netNameOffset = reader.u32(link + 8);
        if (!netNameOffset)
            return std::nullopt;
        QString netName;
        if (*netNameOffset > 0x14) {
            if (const auto offset = reader.u32(link + 20))
                netName = reader.unicodez(link + *offset, end).value_or(QString());
        }
        if (netName.isEmpty())
            netName = reader.ansiz(link + *netNameOffset, end).value_or(QString());
        if (!netName.isEmpty())
            return suffix.isEmpty() ? netName : netName + QLatin1Char('\\') + suffix;
    }
    return QString();
}

QString desktopEntryTarget(const QString& path)
{
    const DesktopDatabase::DesktopEntry entry = DesktopDatabase::readDesktopEntry(path);
    if (entry.type == QLatin1String("Link")) {
        const QUrl url(entry.url);
        return url.isLocalFile() ? url.toLocalFile() : entry.url;
    }
    if (entry.type == QLatin1String("Application"))
        return entry.program();
    return {};
}
} // namespace

QString ReadInternetShortcut(const QString& path)
{
    QString file = path;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".url");
    if (!QFileInfo(file).isFile())
        return {};
    IniFile ini(file);
    if (!ini.load())
        return {};
    return ini.value(QStringLiteral("InternetShortcut"), QStringLiteral("URL")).trimmed();
}

bool ReadWindowsShellLink(const QByteArray& data, TShellLinkInfo& info)
{
    info = TShellLinkInfo();
    const Reader reader(data);
    static const QByteArray clsid = QByteArray::fromHex("0114020000000000c000000000000046");
    const auto headerSize = reader.u32(0);
    if (!headerSize || *headerSize != kHeaderSize || data.size() < qsizetype(kHeaderSize) || data.mid(4, 16) != clsid)
        return false;
    const quint32 flags = *reader.u32(20);
    info.IconIndex = int(*reader.u32(56));
    info.ShowCommand = int(*reader.u32(60));
    info.HotKey = *reader.u16(64);

    qsizetype at = kHeaderSize;
    QString idListPath;
    if (flags & kHasLinkTargetIdList) {
        const auto size = reader.u16(at);
        if (!size || at + 2 + *size > data.size())
            return false;
        idListPath = pathOfIdList(reader, at + 2, at + 2 + *size);
        at += 2 + *size;
    }
    if (flags & kHasLinkInfo) {
        const auto size = reader.u32(at);
        const auto path = pathOfLinkInfo(reader, at);
        if (!size || !path)
            return false;
        info.Target = *path;
        at += *size;
    }
    const bool unicode = flags & kIsUnicode;
    for (const auto& [flag, field] : {std::pair{kHasName, &info.Description},
             std::pair{kHasRelativePath, &info.RelativePath}, std::pair{kHasWorkingDir, &info.WorkingDirectory},
             std::pair{kHasArguments, &info.Arguments}, std::pair{kHasIconLocation, &info.IconLocation}}) {
        if (!(flags & flag))
            continue;
        const auto text = reader.counted(at, unicode);
        if (!text)
            return false;
        *field = *text;
    }
    // Extra data: the environment variable block names the target when the rest does not.
    while (info.Target.isEmpty()) {
        const auto size = reader.u32(at);
        const auto signature = reader.u32(at + 4);
        if (!size || *size < 8 || !signature || at + qsizetype(*size) > data.size())
            break;
        if (*signature == kEnvironmentBlock && *size >= 0x314) {
            QString target = reader.unicodez(at + 8 + 260, at + *size).value_or(QString());
            if (target.isEmpty())
                target = reader.ansiz(at + 8, at + 8 + 260).value_or(QString());
            info.Target = ExpandEnvironment(target);
        }
        at += *size;
    }
    if (info.Target.isEmpty())
        info.Target = idListPath;
    return true;
}

QString ReadShellLink(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return info.symLinkTarget();
    if (!info.isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxLinkSize)
        return {};
    const QByteArray data = file.readAll();
    if (info.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0
        || data.trimmed().startsWith("[Desktop Entry]"))
        return desktopEntryTarget(path);

    TShellLinkInfo link;
    if (!ReadWindowsShellLink(data, link))
        return {};
    if (!link.RelativePath.isEmpty()) {
        const QString relative = QString(link.RelativePath).replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString resolved = QDir::cleanPath(info.absoluteDir().filePath(relative));
        if (QFileInfo::exists(resolved) || link.Target.isEmpty())
            return resolved;
    }
    return link.Target;
}
