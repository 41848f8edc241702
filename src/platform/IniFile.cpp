#include "platform/IniFile.h"

#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {
bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

QString quoted(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            if (isControl(c))
                out += QLatin1String("\\x") + QString::number(c.unicode(), 16).rightJustified(2, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

// Reads a quoted text starting at text[pos] == '"'; on success pos is just past the closing
// quote. Unknown escapes stay as written.
bool readQuoted(const QString& text, qsizetype& pos, QString& result)
{
    result.clear();
    qsizetype i = pos + 1;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            pos = i + 1;
            return true;
        }
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            switch (next.unicode()) {
            case '\\':
            case '"':
                result += next;
                i += 2;
                continue;
            case 'n':
                result += QLatin1Char('\n');
                i += 2;
                continue;
            case 'r':
                result += QLatin1Char('\r');
                i += 2;
                continue;
            case 't':
                result += QLatin1Char('\t');
                i += 2;
                continue;
            case 'x': {
                bool ok = false;
                const int code = text.mid(i + 2, 2).toInt(&ok, 16);
                if (ok && i + 4 <= text.size()) {
                    result += QChar(code);
                    i += 4;
                    continue;
                }
                break;
            }
            default: break;
            }
        }
        result += c;
        ++i;
    }
    return false;
}

bool valueNeedsQuotes(const QString& value)
{
    if (value.isEmpty())
        return false;
    if (value.front().isSpace() || value.back().isSpace() || value.front() == QLatin1Char('"'))
        return true;
    return std::any_of(value.begin(), value.end(), isControl);
}

bool keyNeedsQuotes(const QString& key)
{
    if (key.isEmpty() || valueNeedsQuotes(key) || key.contains(QLatin1Char('=')))
        return true;
    const QChar first = key.front();
    return first == QLatin1Char('[') || first == QLatin1Char(';') || first == QLatin1Char('#');
}

QString formatValue(const QString& value)
{
    return valueNeedsQuotes(value) ? quoted(value) : value;
}

QString formatKey(const QString& key)
{
    return keyNeedsQuotes(key) ? quoted(key) : key;
}

QString parseValue(const QString& text)
{
    if (text.size() >= 2 && text.front() == QLatin1Char('"') && text.back() == QLatin1Char('"')) {
        qsizetype pos = 0;
        QString result;
        if (readQuoted(text, pos, result) && pos == text.size())
            return result;
    }
    return text;
}

// Splits a trimmed line into key and value; false when it is not a key=value line.
bool parseKeyValue(const QString& line, QString& key, QString& value)
{
    qsizetype rest = 0;
    if (line.startsWith(QLatin1Char('"'))) {
        qsizetype pos = 0;
        if (!readQuoted(line, pos, key))
            return false;
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            return false;
        rest = pos + 1;
    } else {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return false;
        key = line.left(equals).trimmed();
        if (key.isEmpty())
            return false;
        rest = equals + 1;
    }
    value = parseValue(line.mid(rest).trimmed());
    return true;
}
} // namespace

bool IniFile::load()
{
    clear();
    if (m_path.isEmpty())
        return true;
    const QFileInfo info(m_path);
    if (!info.exists())
        return true;
    if (info.isDir())
        return false;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    parse(TextCodec::decodeUtf8OrWindows1252(bytes));
    return true;
}

bool IniFile::save() const
{
    return saveAs(m_path);
}

bool IniFile::saveAs(const QString& path) const
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toText().toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void IniFile::parse(const QString& text)
{
    clear();
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast(); // the line break that ends the last line
    Section* current = nullptr;
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.size() >= 2 && trimmed.front() == QLatin1Char('[') && trimmed.back() == QLatin1Char(']')) {
            const QString name = trimmed.mid(1, trimmed.size() - 2).trimmed();
            const bool existed = findSection(name) != nullptr;
            current = &sectionFor(name);
            if (!existed) {
                current->rawHeader = line;
                current->fromFile = true;
            }
            continue;
        }
        if (!current)
            current = &sectionFor(QString());
        Entry entry;
        entry.raw = line;
        if (trimmed.isEmpty() || trimmed.front() == QLatin1Char(';') || trimmed.front() == QLatin1Char('#')) {
            current->entries.push_back(std::move(entry));
            continue;
        }
        QString key, value;
        if (!parseKeyValue(trimmed, key, value)) {
            m_badLines.append(line);
            current->entries.push_back(std::move(entry));
            continue;
        }
        auto existing = std::find_if(current->entries.begin(), current->entries.end(),
            [&](const Entry& e) { return e.isValue && sameName(e.key, key); });
        if (existing != current->entries.end()) {
            // A repeated key: the last value counts, in the place of the first.
            existing->value = value;
            existing->raw.clear();
            continue;
        }
        entry.key = key;
        entry.value = value;
        entry.isValue = true;
        current->entries.push_back(std::move(entry));
    }
}

QString IniFile::toText() const
{
    QString out;
    for (const Section& section : m_sections) {
        if (!section.name.isEmpty()) {
            if (!section.fromFile && !out.isEmpty() && !out.endsWith(QLatin1String("\n\n")))
                out += QLatin1Char('\n');
            out += section.rawHeader.isEmpty() ? QLatin1Char('[') + section.name + QLatin1Char(']') : section.rawHeader;
            out += QLatin1Char('\n');
        }
        for (const Entry& entry : section.entries) {
            if (!entry.raw.isEmpty() || !entry.isValue)
                out += entry.raw;
            else
                out += formatKey(entry.key) + QLatin1Char('=') + formatValue(entry.value);
            out += QLatin1Char('\n');
        }
    }
    return out;
}

QStringList IniFile::sections() const
{
    QStringList names;
    for (const Section& section : m_sections) {
        if (!section.name.isEmpty() || hasValues(section))
            names.append(section.name);
    }
    return names;
}

bool IniFile::hasSection(const QString& section) const
{
    const Section* found = findSection(section);
    return found && (!found->name.isEmpty() || hasValues(*found));
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList names;
    if (const Section* found = findSection(section)) {
        for (const Entry& entry : found->entries) {
            if (entry.isValue)
                names.append(entry.key);
        }
    }
    return names;
}

bool IniFile::hasKey(const QString& section, const QString& key) const
{
    const Section* found = findSection(section);
    return found && std::any_of(found->entries.begin(), found->entries.end(), [&](const Entry& e) {
        return e.isValue && sameName(e.key, key);
    });
}

QString IniFile::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    if (const Section* found = findSection(section)) {
        for (const Entry& entry : found->entries) {
            if (entry.isValue && sameName(entry.key, key))
                return entry.value;
        }
    }
    return defaultValue;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    Section& target = sectionFor(section.trimmed());
    for (Entry& entry : target.entries) {
        if (entry.isValue && sameName(entry.key, key)) {
            if (entry.value != value) {
                entry.value = value;
                entry.raw.clear();
            }
            return;
        }
    }
    Entry entry;
    entry.key = key;
    entry.value = value;
    entry.isValue = true;
    // A new key goes after the last non-blank line, before the blank lines that separate the
    // section from the next one.
    auto last = std::find_if(target.entries.rbegin(), target.entries.rend(),
        [](const Entry& e) { return e.isValue || !e.raw.trimmed().isEmpty(); });
    target.entries.insert(last.base(), std::move(entry));
}

void IniFile::addSection(const QString& section)
{
    sectionFor(section.trimmed());
}

void IniFile::removeKey(const QString& section, const QString& key)
{
    if (Section* found = findSection(section)) {
        auto& entries = found->entries;
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                          [&](const Entry& e) { return e.isValue && sameName(e.key, key); }),
            entries.end());
    }
}

void IniFile::removeSection(const QString& section)
{
    m_sections.erase(std::remove_if(m_sections.begin(), m_sections.end(),
                         [&](const Section& s) { return sameName(s.name, section); }),
        m_sections.end());
}

void IniFile::clear()
{
    m_sections.clear();
    m_badLines.clear();
}

IniFile::Section* IniFile::findSection(const QString& name)
{
    const QString wanted = name.trimmed();
    for (Section& section : m_sections) {
        if (sameName(section.name, wanted))
            return &section;
    }
    return nullptr;
}

const IniFile::Section* IniFile::findSection(const QString& name) const
{
    return const_cast<IniFile*>(this)->findSection(name);
}

IniFile::Section& IniFile::sectionFor(const QString& name)
{
    if (Section* found = findSection(name))
        return *found;
    Section section;
    section.name = name;
    if (name.isEmpty()) {
        m_sections.insert(m_sections.begin(), std::move(section));
        return m_sections.front();
    }
    m_sections.push_back(std::move(section));
    return m_sections.back();
}

bool IniFile::hasValues(const Section& section)
{
    return std::any_of(section.entries.begin(), section.entries.end(), [](const Entry& e) { return e.isValue; });
}
