#include "documents/TextConversion.h"

#include "platform/FileOperations.h"
#include "platform/TextCodec.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

namespace {
constexpr int kConverterTimeout = 120000;

// The position of "<" + tag (or "</" + tag with closing) from `from`, where the tag name ends
// there (">", "/", a blank or the end follows); -1 when there is none.
qsizetype findTag(const QString& text, const QString& tag, qsizetype from, bool closing)
{
    const QString opening = (closing ? QStringLiteral("</") : QStringLiteral("<")) + tag;
    for (qsizetype at = text.indexOf(opening, from, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(opening, at + 1, Qt::CaseInsensitive)) {
        const qsizetype after = at + opening.size();
        if (after >= text.size())
            return at;
        const QChar next = text[after];
        if (next == QLatin1Char('>') || next == QLatin1Char('/') || next.isSpace())
            return at;
    }
    return -1;
}

QString removeTags(const QString& text)
{
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('<'), i);
        if (open < 0) {
            result += QStringView(text).mid(i);
            break;
        }
        result += QStringView(text).mid(i, open - i);
        const qsizetype close = text.indexOf(QLatin1Char('>'), open + 1);
        if (close < 0)
            break; // an open tag runs to the end
        i = close + 1;
    }
    return result;
}

QString withoutBlankLines(const QString& text)
{
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            lines.append(line);
    }
    return lines.join(QLatin1Char('\n'));
}

bool writeTarget(const QString& target, const QByteArray& contents)
{
    return FileOperations::writeFileAtomically(target, contents);
}

// Runs a converter and answers what it wrote to its standard output; nullopt on any failure.
std::optional<QByteArray> runConverter(
    const QString& name, const QStringList& arguments, const QString& workFolder = QString())
{
    const QString program = TextConversion::converterProgram(name);
    if (program.isEmpty())
        return std::nullopt;
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardInputFile(QProcess::nullDevice());
    if (!workFolder.isEmpty())
        process.setWorkingDirectory(workFolder);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return std::nullopt;
    if (!process.waitForFinished(kConverterTimeout)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

bool readableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}
} // namespace

namespace TextConversion {
QString converterProgram(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}
} // namespace TextConversion

bool IsHtmlFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("htm"), Qt::CaseInsensitive) == 0
        || suffix.compare(QLatin1String("html"), Qt::CaseInsensitive) == 0;
}

QString RemoveTagBlocks(const QString& text, const QString& tag)
{
    if (tag.isEmpty())
        return text;
    QString result = text;
    qsizetype from = 0;
    for (;;) {
        const qsizetype start = findTag(result, tag, from, false);
        if (start < 0)
            break;
        const qsizetype closing = findTag(result, tag, start + 1, true);
        qsizetype end = result.size();
        if (closing >= 0) {
            const qsizetype gt = result.indexOf(QLatin1Char('>'), closing);
            end = gt < 0 ? result.size() : gt + 1;
        }
        result.remove(start, end - start);
        from = start;
    }
    return result;
}

QString HtmlToText(const QString& html, bool entities)
{
    QString text = html;
    if (!entities) {
        text = RemoveTagBlocks(text, QStringLiteral("script"));
        text = RemoveTagBlocks(text, QStringLiteral("head"));
    }
    text = withoutBlankLines(removeTags(text));
    if (entities) {
        text.replace(QLatin1String("&auml;"), QLatin1String("ae"), Qt::CaseInsensitive);
        text.replace(QLatin1String("&ouml;"), QLatin1String("oe"), Qt::CaseInsensitive);
        text.replace(QLatin1String("&uuml;"), QLatin1String("ue"), Qt::CaseInsensitive);
        text.replace(QLatin1String("&szlig;"), QLatin1String("ss"), Qt::CaseSensitive);
    }
    return text;
}

bool RtfToText(QIODevice& stream)
{
    if (!stream.isOpen() && !stream.open(QIODevice::ReadWrite))
        return false;
    if (!stream.isReadable() || !stream.isWritable())
        return false;
    if (!stream.isSequential())
        stream.seek(0);
    const QByteArray rtf = stream.readAll();
    const QByteArray text = RtfToText(rtf).toUtf8();
    if (auto* buffer = qobject_cast<QBuffer*>(&stream)) {
        buffer->buffer().clear();
        buffer->seek(0);
    } else if (auto* file = qobject_cast<QFile*>(&stream)) {
        if (!file->resize(0))
            return false;
        file->seek(0);
    } else {
        return false;
    }
    return stream.write(text) == text.size();
}

bool WordToText(const QString& source, const QString& target)
{
    if (!readableFile(source))
        return false;
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.peek(16);
    if (QFileInfo(source).suffix().compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0
        || head.trimmed().startsWith("{\\rtf")) {
        const QByteArray rtf = file.readAll();
        return writeTarget(target, RtfToText(rtf).toUtf8());
    }
    file.close();
    const std::optional<QByteArray> text = runConverter(QStringLiteral("antiword"),
        {QStringLiteral("-m"), QStringLiteral("UTF-8.txt"), QStringLiteral("-w"), QStringLiteral("0"),
            QFileInfo(source).absoluteFilePath()});
    return text && writeTarget(target, *text);
}

bool ExcelToText(const QString& source, const QString& target)
{
    if (!readableFile(source))
        return false;
    const std::optional<QByteArray> text = runConverter(QStringLiteral("xls2csv"),
        {QStringLiteral("-d"), QStringLiteral("utf-8"), QFileInfo(source).absoluteFilePath()});
    return text && writeTarget(target, *text);
}

bool OutlookMsgToText(const QString& source, const QString& target)
{
    if (!readableFile(source) || TextConversion::converterProgram(QStringLiteral("msgconvert")).isEmpty())
        return false;
    QTemporaryDir work;
    if (!work.isValid())
        return false;
    const QString converted = work.filePath(QStringLiteral("message.eml"));
    if (!runConverter(QStringLiteral("msgconvert"),
            {QStringLiteral("--outfile"), converted, QFileInfo(source).absoluteFilePath()}, work.path()))
        return false;
    QFile message(converted);
    if (!message.open(QIODevice::ReadOnly))
        return false;
    return writeTarget(target, message.readAll());
}
