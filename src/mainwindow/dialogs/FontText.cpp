#include "mainwindow/dialogs/FontText.h"

#include "platform/Errors.h"

#include <QStringList>

#include <iterator>
#include <optional>

namespace {
struct NamedColour
{
    const char* name;
    ColourValue value;
};

// The names the settings use, in the order a name is chosen for a value: where two names share a
// value (clSilver and clLtGray), the first is written.
constexpr NamedColour kNamedColours[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clScrollBar", 0xFF000000},
    {"clBackground", 0xFF000001},
    {"clActiveCaption", 0xFF000002},
    {"clInactiveCaption", 0xFF000003},
    {"clMenu", 0xFF000004},
    {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006},
    {"clMenuText", 0xFF000007},
    {"clWindowText", 0xFF000008},
    {"clCaptionText", 0xFF000009},
    {"clActiveBorder", 0xFF00000A},
    {"clInactiveBorder", 0xFF00000B},
    {"clAppWorkSpace", 0xFF00000C},
    {"clHighlight", 0xFF00000D},
    {"clHighlightText", 0xFF00000E},
    {"clBtnFace", 0xFF00000F},
    {"clBtnShadow", 0xFF000010},
    {"clGrayText", 0xFF000011},
    {"clBtnText", 0xFF000012},
    {"clInactiveCaptionText", 0xFF000013},
    {"clBtnHighlight", 0xFF000014},
    {"cl3DDkShadow", 0xFF000015},
    {"cl3DLight", 0xFF000016},
    {"clInfoText", 0xFF000017},
    {"clInfoBk", 0xFF000018},
    {"clHotLight", 0xFF00001A},
    {"clGradientActiveCaption", 0xFF00001B},
    {"clGradientInactiveCaption", 0xFF00001C},
    {"clMenuHighlight", 0xFF00001D},
    {"clMenuBar", 0xFF00001E},
    {"clNone", Colours::clNone},
    {"clDefault", Colours::clDefault},
    // read, never written
    {"clLtGray", 0xC0C0C0},
    {"clDkGray", 0x808080},
};

struct SystemColour
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The palette entry that stands for a system colour, by its index.
std::optional<SystemColour> paletteEntry(int index)
{
    using P = QPalette;
    switch (index) {
    case 0: return SystemColour{P::Active, P::Button}; // scroll bar
    case 1: return SystemColour{P::Active, P::Dark}; // desktop
    case 2: return SystemColour{P::Active, P::Highlight}; // active caption
    case 3: return SystemColour{P::Inactive, P::Highlight}; // inactive caption
    case 4: return SystemColour{P::Active, P::Window}; // menu
    case 5: return SystemColour{P::Active, P::Base}; // window
    case 6: return SystemColour{P::Active, P::Shadow}; // window frame
    case 7: return SystemColour{P::Active, P::WindowText}; // menu text
    case 8: return SystemColour{P::Active, P::WindowText}; // window text
    case 9: return SystemColour{P::Active, P::HighlightedText}; // caption text
    case 10: return SystemColour{P::Active, P::Button}; // active border
    case 11: return SystemColour{P::Inactive, P::Button}; // inactive border
    case 12: return SystemColour{P::Active, P::Dark}; // application work space
    case 13: return SystemColour{P::Active, P::Highlight};
    case 14: return SystemColour{P::Active, P::HighlightedText};
    case 15: return SystemColour{P::Active, P::Button}; // button face
    case 16: return SystemColour{P::Active, P::Dark}; // button shadow
    case 17: return SystemColour{P::Disabled, P::Text}; // grey text
    case 18: return SystemColour{P::Active, P::ButtonText};
    case 19: return SystemColour{P::Inactive, P::WindowText}; // inactive caption text
    case 20: return SystemColour{P::Active, P::Light}; // button highlight
    case 21: return SystemColour{P::Active, P::Shadow}; // 3D dark shadow
    case 22: return SystemColour{P::Active, P::Midlight}; // 3D light
    case 23: return SystemColour{P::Active, P::ToolTipText}; // info text
    case 24: return SystemColour{P::Active, P::ToolTipBase}; // info background
    case 26: return SystemColour{P::Active, P::Link}; // hot light
    case 27: return SystemColour{P::Active, P::Highlight}; // gradient of the active caption
    case 28: return SystemColour{P::Inactive, P::Highlight}; // gradient of the inactive caption
    case 29: return SystemColour{P::Active, P::Highlight}; // menu highlight
    case 30: return SystemColour{P::Active, P::Window}; // menu bar
    default: return std::nullopt;
    }
}

[[noreturn]] void unreadableColour(const QString& text)
{
    throw ConversionError(QStringLiteral("\"%1\" ist kein gültiger Farbwert.").arg(text));
}

std::optional<int> integerField(const QString& field)
{
    bool ok = false;
    const int value = field.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}
} // namespace

QString ColourToText(ColourValue colour)
{
    for (const NamedColour& named : kNamedColours)
        if (named.value == colour)
            return QLatin1String(named.name);
    return QStringLiteral("$%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
}

ColourValue TextToColour(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const NamedColour& named : kNamedColours)
        if (trimmed.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.value;
    bool ok = false;
    if (trimmed.startsWith(QLatin1Char('#'))) {
        const QString digits = trimmed.mid(1);
        const uint rgb = digits.toUInt(&ok, 16);
        if (!ok || digits.size() != 6)
            unreadableColour(text);
        return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    }
    QString digits = trimmed;
    int base = 10;
    if (digits.startsWith(QLatin1Char('$'))) {
        digits.remove(0, 1);
        base = 16;
    } else if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        digits.remove(0, 2);
        base = 16;
    }
    if (digits.isEmpty() || digits.startsWith(QLatin1Char('+')))
        unreadableColour(text);
    if (base == 10 && digits.startsWith(QLatin1Char('-'))) {
        // the signed form of a value with the top bit set, as the number may have been written
        const int value = digits.toInt(&ok, 10);
        if (!ok)
            unreadableColour(text);
        return ColourValue(value);
    }
    if (digits.startsWith(QLatin1Char('-')))
        unreadableColour(text);
    const uint value = digits.toUInt(&ok, base);
    if (!ok)
        unreadableColour(text);
    return value;
}

QColor ColourToQColor(ColourValue colour, const QPalette& palette)
{
    if (colour == Colours::clNone)
        return QColor(Qt::transparent);
    if (colour == Colours::clDefault)
        return palette.color(QPalette::Active, QPalette::WindowText);
    if (Colours::isSystemColour(colour)) {
        if (const std::optional<SystemColour> entry = paletteEntry(int(colour & 0xFF)))
            return palette.color(entry->group, entry->role);
        return palette.color(QPalette::Active, QPalette::WindowText);
    }
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

ColourValue QColorToColour(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return ColourValue(rgb.red()) | (ColourValue(rgb.green()) << 8) | (ColourValue(rgb.blue()) << 16);
}

QString FontToText(const FontText& font)
{
    const QFont& f = font.font;
    QString style;
    if (f.bold())
        style += QLatin1Char('B');
    if (f.italic())
        style += QLatin1Char('I');
    if (f.underline())
        style += QLatin1Char('U');
    if (f.strikeOut())
        style += QLatin1Char('S');
    const int size = f.pointSize() > 0 ? f.pointSize() : qRound(f.pixelSize() * 72.0 / 96.0);
    return QStringLiteral("%1,%2,%3,%4,%5,%6")
        .arg(f.family(), QString::number(size), style, QString::number(font.pitch), ColourToText(font.colour),
            QString::number(font.charset));
}

void TextToFont(const QString& text, FontText& font)
{
    // The result is handed over once, when all fields are read or one has failed.
    FontText result = font;
    struct HandOver
    {
        FontText& target;
        FontText& result;
        ~HandOver() { target = result; }
    } handOver{font, result};

    if (text.isEmpty())
        return;
    QStringList fields;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text.at(i) == QLatin1Char(',') || text.at(i) == QLatin1Char(';')) {
            fields.append(text.mid(start, i - start).trimmed());
            start = i + 1;
        }
    }

    for (qsizetype index = 0; index < fields.size() && index < 6; ++index) {
        const QString& field = fields.at(index);
        switch (index) {
        case 0:
            if (!field.isEmpty())
                result.font.setFamily(field);
            break;
        case 1:
            if (const std::optional<int> size = integerField(field); size && *size > 0)
                result.font.setPointSize(*size);
            break;
        case 2:
            result.font.setBold(field.contains(QLatin1Char('B'), Qt::CaseInsensitive));
            result.font.setItalic(field.contains(QLatin1Char('I'), Qt::CaseInsensitive));
            result.font.setUnderline(field.contains(QLatin1Char('U'), Qt::CaseInsensitive));
            result.font.setStrikeOut(field.contains(QLatin1Char('S'), Qt::CaseInsensitive));
            break;
        case 3:
            if (const std::optional<int> pitch = integerField(field); pitch && *pitch >= 0 && *pitch <= 2) {
                result.pitch = *pitch;
                result.font.setFixedPitch(*pitch == 2);
            }
            break;
        case 4: result.colour = TextToColour(field); break;
        case 5:
            if (const std::optional<int> charset = integerField(field); charset && *charset >= 0 && *charset <= 255)
                result.charset = *charset;
            break;
        }
    }
}
