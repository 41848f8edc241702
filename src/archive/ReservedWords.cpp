#include "ReservedWords.h"

#include "archive/DataMod.h"
#include "platform/TextCodec.h"

#include <QFile>
#include <QFileInfo>

namespace {
constexpr int kReservedWordHelpTopic = 5046;
}

bool TVxReservedWords::Load(const QString& path)
{
    m_words.clear();
    m_loaded = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString text = TextCodec::decodeUtf8OrWindows1252(file.readAll());
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString word = line.trimmed();
        if (word.isEmpty() || word.startsWith(QLatin1Char(';')) || word.startsWith(QLatin1Char('#')))
            continue;
        m_words.insert(word.toUpper());
    }
    m_loaded = true;
    return true;
}

bool TVxReservedWords::Load(const TDModul& dm)
{
    const QString path = dm.ReservedWordsFile();
    if (!QFileInfo::exists(path)) {
        m_words.clear();
        m_loaded = false;
        dm.ShowErrorAndLog(QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(QStringLiteral("sqlres.txt")),
            kReservedWordHelpTopic);
        return false;
    }
    return Load(path);
}

bool TVxReservedWords::Contains(const QString& name, bool withExtraWords) const
{
    const QString upper = name.trimmed().toUpper();
    if (withExtraWords && (upper == QLatin1String("RTFTEXT") || upper == QLatin1String("DOCIMAGE")))
        return true;
    return m_words.contains(upper);
}
