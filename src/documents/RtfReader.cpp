// Our own RTF reader: the plain text of an RTF document as a rich-text control shows it. It
// knows the groups, destinations, code pages, Unicode characters and fields of RTF 1.x; what it
// does not know it skips, and damage ends the text where the damage begins.
#include "documents/TextConversion.h"

#include "platform/TextCodec.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>

#include <cctype>
#include <vector>

namespace {
// Destinations whose text is not part of the document's text.
const QSet<QByteArray>& skippedDestinations()
{
    static const QSet<QByteArray> names{"fonttbl", "colortbl", "stylesheet", "info", "pict", "object", "header",
        "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "footnote", "annotation", "xe",
        "tc", "txe", "rxe", "themedata", "colorschememapping", "datastore", "latentstyles", "listtable",
        "listoverridetable", "revtbl", "rsidtbl", "generator", "filetbl", "pgdsctbl", "mmathPr", "xmlnstbl", "fldinst",
        "shp", "shpinst", "nonshppict", "bkmkstart", "bkmkend", "private", "userprops", "docvar", "template", "pntxta",
        "pntxtb", "author", "operator", "title", "subject", "keywords", "comment", "doccomm", "atnid", "atnauthor",
        "objdata", "blipuid", "wgrffmtfilter", "passwordhash"};
    return names;
}

int codePageOfCharset(int charset, int fallback)
{
    switch (charset) {
    case 0:
    case 1: return fallback;
    case 2: return 1252; // the symbol font: its letters are shown as they come
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return fallback;
    }
}

QString decode(const QByteArray& bytes, int codePage)
{
    if (bytes.isEmpty())
        return {};
    if (codePage == 1252 || codePage <= 0)
        return TextCodec::fromWindows1252(bytes);
    if (codePage == 65001)
        return QString::fromUtf8(bytes);
    QByteArray name;
    switch (codePage) {
    case 932: name = "Shift_JIS"; break;
    case 936: name = "GBK"; break;
    case 949: name = "EUC-KR"; break;
    case 950: name = "Big5"; break;
    case 10000: name = "macintosh"; break;
    case 437:
    case 850:
    case 874: name = "CP" + QByteArray::number(codePage); break;
    default: name = "windows-" + QByteArray::number(codePage);
    }
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return TextCodec::fromWindows1252(bytes);
    return decoder.decode(bytes);
}

class RtfReader
{
public:
    explicit RtfReader(const QByteArray& rtf)
        : m_rtf(rtf)
    {
    }

    QString read()
    {
        m_groups.push_back(Group{});
        while (m_pos < m_rtf.size()) {
            const char c = m_rtf[m_pos++];
            switch (c) {
            case '{':
                flush();
                m_groups.push_back(m_groups.back());
                m_groups.back().fontDefinition = -1;
                break;
            case '}':
                flush();
                m_fallback = 0;
                if (m_groups.size() > 1)
                    m_groups.pop_back();
                break;
            case '\\': controlSequence(); break;
            case '\r':
            case '\n': break;
            default:
                if (!consumeFallback())
                    addByte(c);
            }
        }
        flush();
        while (m_text.endsWith(QLatin1Char('\n')))
            m_text.chop(1);
        return m_text;
    }

private:
    struct Group
    {
        bool skip = false;
        bool inFontTable = false;
        bool inObject = false;
        bool hidden = false;
        int uc = 1;
        int font = -1;
        int fontDefinition = -1; // the font being defined in the font table
    };

    Group& group() { return m_groups.back(); }

    int currentCodePage() const
    {
        const Group& g = m_groups.back();
        const int font = g.font >= 0 ? g.font : m_defaultFont;
        const auto it = m_fontCharsets.constFind(font);
        return it == m_fontCharsets.constEnd() ? m_codePage : codePageOfCharset(*it, m_codePage);
    }

    bool producing() const { return !m_groups.back().skip && !m_groups.back().hidden; }

    void addByte(char c)
    {
        if (!producing())
            return;
        const int codePage = currentCodePage();
        if (codePage != m_pendingCodePage)
            flush();
        m_pendingCodePage = codePage;
        m_pending.append(c);
    }

    void addText(const QString& text)
    {
        flush();
        if (producing())
            m_text += text;
    }

    void flush()
    {
        if (!m_pending.isEmpty()) {
            m_text += decode(m_pending, m_pendingCodePage);
            m_pending.clear();
        }
    }

    // After \uN the next uc characters are the fallback of readers without Unicode.
    bool consumeFallback()
    {
        if (m_fallback <= 0)
            return false;
        --m_fallback;
        return true;
    }

    void controlSequence()
    {
        if (m_pos >= m_rtf.size())
            return;
        const char c = m_rtf[m_pos];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++m_pos;
            controlSymbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_rtf.size() && std::isalpha(static_cast<unsigned char>(m_rtf[m_pos])) && m_pos - start < 32)
            ++m_pos;
        const QByteArray word = m_rtf.mid(start, m_pos - start);
        bool hasParameter = false;
        int parameter = 0;
        const qsizetype numberStart = m_pos;
        if (m_pos < m_rtf.size() && m_rtf[m_pos] == '-')
            ++m_pos;
        while (
            m_pos < m_rtf.size() && std::isdigit(static_cast<unsigned char>(m_rtf[m_pos])) && m_pos - numberStart < 11)
            ++m_pos;
        if (m_pos > numberStart && !(m_pos == numberStart + 1 && m_rtf[numberStart] == '-')) {
            hasParameter = true;
            parameter = m_rtf.mid(numberStart, m_pos - numberStart).toInt();
        } else {
            m_pos = numberStart;
        }
        if (m_pos < m_rtf.size() && m_rtf[m_pos] == ' ')
            ++m_pos;
        controlWord(word, hasParameter, parameter);
    }

    void controlSymbol(char c)
    {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            if (!consumeFallback())
                addByte(c);
            return;
        case '\'': {
            if (m_pos + 2 > m_rtf.size()) {
                m_pos = m_rtf.size();
                return;
            }
            bool ok = false;
            const int value = m_rtf.mid(m_pos, 2).toInt(&ok, 16);
            m_pos += 2;
            if (ok && !consumeFallback())
                addByte(char(value));
            return;
        }
        case '*':
            flush();
            group().skip = true;
            return;
        case '~':
            if (!consumeFallback())
                addText(QString(QChar(0x00A0)));
            return;
        case '_':
            if (!consumeFallback())
                addText(QStringLiteral("-"));
            return;
        case '\r':
        case '\n': addText(QStringLiteral("\n")); return;
        default: return; // "\-" optional hyphen, "\:" index entry and the rest show nothing
        }
    }

    void controlWord(const QByteArray& word, bool hasParameter, int parameter)
    {
        if (consumeFallback())
            return;
        Group& g = group();
        if (g.inFontTable) {
            if (word == "f" && hasParameter) {
                g.fontDefinition = parameter;
                return;
            }
            if (word == "fcharset" && hasParameter) {
                if (g.fontDefinition >= 0)
                    m_fontCharsets.insert(g.fontDefinition, parameter);
                return;
            }
        }
        if (word == "fonttbl") {
            flush();
            g.skip = true;
            g.inFontTable = true;
            return;
        }
        if (word == "object") {
            flush();
            g.skip = true;
            g.inObject = true;
            return;
        }
        if (word == "result" && g.inObject) {
            g.skip = false;
            return;
        }
        if (skippedDestinations().contains(word)) {
            flush();
            g.skip = true;
            return;
        }
        if (word == "bin") {
            m_pos = std::min(m_rtf.size(), m_pos + (hasParameter && parameter > 0 ? qsizetype(parameter) : 0));
            return;
        }
        if (word == "u" && hasParameter) {
            unicode(parameter < 0 ? parameter + 65536 : parameter);
            m_fallback = g.uc;
            return;
        }
        if (word == "uc") {
            g.uc = hasParameter && parameter >= 0 ? parameter : 1;
            return;
        }
        if (word == "ansicpg" && hasParameter) {
            m_codePage = parameter;
            return;
        }
        if (word == "mac") {
            m_codePage = 10000;
            return;
        }
        if (word == "pc") {
            m_codePage = 437;
            return;
        }
        if (word == "pca") {
            m_codePage = 850;
            return;
        }
        if (word == "deff" && hasParameter) {
            m_defaultFont = parameter;
            return;
        }
        if (word == "f" && hasParameter) {
            g.font = parameter;
            return;
        }
        if (word == "plain") {
            g.font = -1;
            g.hidden = false;
            return;
        }
        if (word == "v") {
            flush();
            g.hidden = !hasParameter || parameter != 0;
            return;
        }
        static const QHash<QByteArray, QString> texts{
            {"par", QStringLiteral("\n")},
            {"line", QStringLiteral("\n")},
            {"sect", QStringLiteral("\n")},
            {"page", QStringLiteral("\n")},
            {"row", QStringLiteral("\n")},
            {"tab", QStringLiteral("\t")},
            {"cell", QStringLiteral("\t")},
            {"nestcell", QStringLiteral("\t")},
            {"emdash", QString(QChar(0x2014))},
            {"endash", QString(QChar(0x2013))},
            {"emspace", QStringLiteral(" ")},
            {"enspace", QStringLiteral(" ")},
            {"qmspace", QStringLiteral(" ")},
            {"bullet", QString(QChar(0x2022))},
            {"lquote", QString(QChar(0x2018))},
            {"rquote", QString(QChar(0x2019))},
            {"ldblquote", QString(QChar(0x201C))},
            {"rdblquote", QString(QChar(0x201D))},
        };
        const auto it = texts.constFind(word);
        if (it != texts.constEnd()) {
            // A cell ends with a tab; the row's end replaces the tab of its last cell.
            if (word == "row" && m_text.endsWith(QLatin1Char('\t')) && m_pending.isEmpty())
                m_text.chop(1);
            addText(*it);
        }
    }

    void unicode(int code)
    {
        flush();
        if (!producing())
            return;
        const char16_t unit = char16_t(code);
        if (QChar::isLowSurrogate(unit) && m_highSurrogate) {
            m_text += QChar(m_highSurrogate);
            m_text += QChar(unit);
            m_highSurrogate = 0;
            return;
        }
        m_highSurrogate = 0;
        if (QChar::isHighSurrogate(unit)) {
            m_highSurrogate = unit;
            return;
        }
        if (!QChar::isSurrogate(unit))
            m_text += QChar(unit);
    }

    const QByteArray& m_rtf;
    qsizetype m_pos = 0;
    std::vector<Group> m_groups;
    QHash<int, int> m_fontCharsets;
    int m_codePage = 1252;
    int m_defaultFont = 0;
    int m_fallback = 0;
    char16_t m_highSurrogate = 0;
    QByteArray m_pending;
    int m_pendingCodePage = 1252;
    QString m_text;
};
} // namespace

QString RtfToText(const QByteArray& rtf)
{
    QByteArray data = TextCodec::withoutUtf8Bom(rtf);
    const qsizetype start = data.indexOf('{');
    if (start < 0 || !data.mid(start, 5).startsWith("{\\rtf") || !data.left(start).trimmed().isEmpty())
        return TextCodec::decodeUtf8OrWindows1252(rtf);
    return RtfReader(data).read();
}
