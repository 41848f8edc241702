#include "LayoutModel.h"

#include "archive/DataMod.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "properties/DBFields.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <cstdlib>

// --- files and scaling --------------------------------------------------------------------

IniFile VxLayout::ReadLayoutFile(const QString& path)
{
    IniFile file(path);
    if (!file.load())
        file.clear();
    return file;
}

QString VxLayout::BackupFileName(const QString& path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString folder = info.path() + QLatin1Char('/');
    if (suffix.isEmpty())
        return folder + info.fileName() + QStringLiteral(".~");
    return folder + info.completeBaseName() + QStringLiteral(".~") + suffix;
}

bool VxLayout::WriteLayoutFile(const IniFile& file)
{
    if (QFileInfo::exists(file.path())) {
        const QString backup = BackupFileName(file.path());
        QFile::remove(backup);
        QFile::copy(file.path(), backup);
    }
    return file.save();
}

int VxLayout::Scale(int value, int screenPixelsPerInch, int designedPixelsPerInch)
{
    if (designedPixelsPerInch <= 0)
        designedPixelsPerInch = kDefaultDesignedPixelsPerInch;
    const qint64 product = qint64(value) * screenPixelsPerInch;
    qint64 quotient = product / designedPixelsPerInch;
    const qint64 remainder = product % designedPixelsPerInch;
    if (2 * std::llabs(remainder) >= designedPixelsPerInch)
        quotient += product < 0 ? -1 : 1;
    return int(std::clamp<qint64>(quotient, INT_MIN, INT_MAX));
}

// --- options ------------------------------------------------------------------------------

namespace {
std::optional<int> integerValue(const IniFile& file, const QString& section, const QString& key)
{
    if (!file.hasKey(section, key))
        return std::nullopt;
    bool ok = false;
    const int value = file.value(section, key).trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}
} // namespace

TVxLayoutOptions ReadLayoutOptions(const IniFile& file, const QString& sectionOrForm)
{
    TVxLayoutOptions options;
    options.LabelAutoSize
        = integerValue(file, VxLayout::kOptionsSection, QStringLiteral("LabelAutoSize")).value_or(0) != 0;
    options.MultiLanguage
        = integerValue(file, VxLayout::kOptionsSection, QStringLiteral("MultiLanguage")).value_or(1) != 0;
    const int designed = integerValue(file, VxLayout::kPixelsPerInchSection, sectionOrForm)
                             .value_or(VxLayout::kDefaultDesignedPixelsPerInch);
    options.DesignedPixelsPerInch = designed > 0 ? designed : VxLayout::kDefaultDesignedPixelsPerInch;
    return options;
}

void WriteLayoutOptions(IniFile& file, const QString& section, const TVxLayoutOptions& options, int screenPixelsPerInch)
{
    file.setValue(VxLayout::kOptionsSection, QStringLiteral("LabelAutoSize"),
        options.LabelAutoSize ? QStringLiteral("1") : QStringLiteral("0"));
    file.setValue(VxLayout::kOptionsSection, QStringLiteral("MultiLanguage"),
        options.MultiLanguage ? QStringLiteral("1") : QStringLiteral("0"));
    file.setValue(VxLayout::kPixelsPerInchSection, section, QString::number(screenPixelsPerInch));
}

std::optional<QSize> LayoutFormSize(const IniFile& file, const QString& formName, int screenPixelsPerInch)
{
    if (!file.hasSection(formName))
        return std::nullopt;
    const TVxLayoutOptions options = ReadLayoutOptions(file, formName);
    auto dimension = [&](const char* key) {
        const int value = integerValue(file, formName, QLatin1String(key)).value_or(0);
        return value > 0 ? VxLayout::Scale(value, screenPixelsPerInch, options.DesignedPixelsPerInch) : -1;
    };
    return QSize(dimension("Width"), dimension("Height"));
}

// --- layout lines -------------------------------------------------------------------------

namespace {
bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}
bool endsUnquoted(QChar c)
{
    return c.unicode() <= 32 || c == QLatin1Char(',');
}
} // namespace

QStringList SplitLayoutLine(const QString& line)
{
    QStringList fields;
    const qsizetype n = line.indexOf(QChar(0)) >= 0 ? line.indexOf(QChar(0)) : line.size();
    qsizetype i = 0;
    while (i < n && isBlank(line.at(i)))
        ++i;
    while (i < n) {
        QString field;
        if (line.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (line.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && line.at(i + 1) == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line.at(i++);
            }
        } else {
            const qsizetype start = i;
            while (i < n && !endsUnquoted(line.at(i)))
                ++i;
            field = line.mid(start, i - start);
        }
        fields << field;
        while (i < n && isBlank(line.at(i)))
            ++i;
        if (i < n && line.at(i) == QLatin1Char(',')) {
            if (i + 1 >= n)
                fields << QString(); // a comma at the end leaves one empty field
            ++i;
            while (i < n && isBlank(line.at(i)))
                ++i;
        }
    }
    return fields;
}

QString JoinLayoutFields(const QStringList& fields)
{
    QStringList parts;
    for (const QString& field : fields) {
        bool quote = false;
        for (const QChar c : field) {
            if (c.unicode() <= 32 || c == QLatin1Char(',') || c == QLatin1Char('"')) {
                quote = true;
                break;
            }
        }
        if (quote) {
            QString text = field;
            text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            parts << QLatin1Char('"') + text + QLatin1Char('"');
        } else {
            parts << field;
        }
    }
    return parts.join(QLatin1Char(','));
}

QString TVxLayCompo::CoordinatesText() const
{
    return PosLeftText + QLatin1Char(',') + PosTopText + QLatin1Char(',') + WidthText + QLatin1Char(',') + HeightText;
}

void ParseLayoutLine(const QString& line, TVxLayCompo& compo)
{
    const QStringList fields = SplitLayoutLine(line);
    auto field = [&](int index) -> QString { return index < fields.size() ? fields.at(index) : QString(); };
    auto number = [](const QString& text, int fallback) {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        return ok ? value : fallback;
    };
    compo.TypeName = field(0);
    compo.TypeNo = fields.size() > 1 ? number(field(1), 501) : 0;
    compo.PosLeftText = field(2);
    compo.PosTopText = field(3);
    compo.WidthText = field(4);
    compo.HeightText = field(5);
    auto scaled = [&](const QString& text) {
        return VxLayout::Scale(number(text, 0), compo.ScreenPixelsPerInch, compo.DesignedPixelsPerInch);
    };
    compo.PosLeft = scaled(compo.PosLeftText);
    compo.PosTop = scaled(compo.PosTopText);
    compo.Width = scaled(compo.WidthText);
    compo.Height = scaled(compo.HeightText);
    compo.Caption = field(6);
    compo.TableName = field(7);
    compo.FieldName = field(8).trimmed().toUpper();
    compo.LookupTable = field(9);
    compo.LookupField = field(10);
    compo.Transparent = field(11) == QLatin1String("1");
    if (compo.MultiLanguage && compo.Fields && (compo.TypeNo == 1 || compo.TypeNo == 170))
        compo.Caption = compo.Fields->CaptionOf(compo.FieldName);
}

// --- generating lines ---------------------------------------------------------------------

QString LayoutClassAndType(int editStyle, const QString& fieldName, bool onSearchPanel)
{
    const QString name = fieldName.toUpper();
    if (!onSearchPanel) {
        if (name == QLatin1String("DOCID") || name == QLatin1String("USERNAME"))
            return QStringLiteral("TDBText,101");
        if (name == QLatin1String("APPLNAME") || name == QLatin1String("TEMPLATE"))
            return QStringLiteral("TDBLookUpComboBox,141");
    }
    struct Row
    {
        const char* search;
        const char* dialog;
    };
    static const Row rows[] = {
        {"TEdit,10", "TDBEdit,110"}, // 0 edit
        {"TComboBox,30", "TDBComboBox,130"}, // 1 edit with list
        {"TComboBox,30", "TDBComboBox,131"}, // 2 list only
        {"TTreeComboBox,50", "TDBTreeComboBox,150"}, // 3 edit with structured list
        {"TTreeComboBox,50", "TDBTreeComboBox,151"}, // 4 structured list only
        {"TCheckBox,70", "TDBCheckBox,170"}, // 5 option
        {"TMemo,20", "TDBMemo,120"}, // 6 multi-line
        {"TMemo,20", "TDBMemo,120"}, // 7 formatted multi-line
        {"TDateTimePicker,90", "TDBDateTimePicker,190"}, // 8 date
        {"TDateTimePicker,91", "TDBDateTimePicker,191"}, // 9 time
        {"TDateTimePicker,90", "TDBDateTimePicker,190"}, // 10 date and time
        {"TImage,80", "TDBImage,180"}, // 11 picture
        {"TMemo,20", "TDBMemo,120"}, // 12 OLE container
    };
    const Row& row = rows[editStyle >= 0 && editStyle <= 12 ? editStyle : 0];
    return QLatin1String(onSearchPanel ? row.search : row.dialog);
}

QString GenerateLayoutLine(int typeNo, const QString& text, const QString& coordinates, bool onSearchPanel,
    bool transparent, const TVxDBFields& fields)
{
    const QString t = transparent ? QStringLiteral("1") : QStringLiteral("0");
    const QString doc = VxLayout::kDocSource;
    const TVxDBField* definition = nullptr;
    QString field;
    if (typeNo >= 1 && typeNo <= 499) {
        field = text.trimmed().toUpper();
        definition = fields.Find(field);
        if (!definition || !definition->Visible)
            return {};
    }
    if (typeNo == 1)
        return QStringLiteral("TLabel,1,") + coordinates + QLatin1Char(',')
            + JoinLayoutFields({definition->DisplayCaption(), doc, field, QString(), QString(), t});
    if ((typeNo >= 10 && typeNo <= 99) || (typeNo >= 110 && typeNo <= 199)) {
        const QString caption = definition->DisplayCaption();
        QString lookup = QStringLiteral(",,");
        if (!onSearchPanel && field == QLatin1String("APPLNAME"))
            lookup = QStringLiteral(",APPL,APPLNAME");
        else if (!onSearchPanel && field == QLatin1String("TEMPLATE"))
            lookup = QStringLiteral(",TEMPLATE,TEMPLATENAME");
        return LayoutClassAndType(definition->EditStyle, field, onSearchPanel) + QLatin1Char(',') + coordinates
            + QLatin1Char(',') + JoinLayoutFields({caption, doc, field}) + lookup + QLatin1Char(',') + t;
    }
    if (typeNo == 101)
        return QStringLiteral("TDBText,101,") + coordinates + QStringLiteral(",,Doc,") + field + QStringLiteral(",,,")
            + t;
    if (typeNo == 501)
        return QStringLiteral("TLabel,501,") + coordinates + QLatin1Char(',')
            + JoinLayoutFields({text, QString(), QString(), QString(), QString(), t});
    if (typeNo >= 520 && typeNo <= 524)
        return QStringLiteral("TBevel,") + QString::number(typeNo) + QLatin1Char(',') + coordinates
            + QStringLiteral(",,,,") + t;
    if (typeNo == 540)
        return QStringLiteral("TGroupBox,540,") + coordinates + QLatin1Char(',')
            + JoinLayoutFields({text, QString(), QString(), QString(), QString(), t});
    if (typeNo == 550)
        return QStringLiteral("TImage,550,") + coordinates + QLatin1Char(',')
            + JoinLayoutFields({text, QString(), QString(), QString(), QString(), t});
    return QStringLiteral("TLabel,501,") + coordinates + QLatin1Char(',')
        + JoinLayoutFields(
            {QStringLiteral("Fehler, ungültige Typ-Nummer: ") + QString::number(typeNo), QString(), QString(), t});
}

QString FixedControlLayoutLine(const QString& coordinates, bool transparent)
{
    return QStringLiteral("(default),0,") + coordinates + QStringLiteral(",,,,,,")
        + (transparent ? QStringLiteral("1") : QStringLiteral("0"));
}

bool UpdateLayoutFile(const QString& path, const TVxDBFields& fields, TDModul& dm)
{
    if (!QFileInfo::exists(path)) {
        try {
            dm.WriteLog(QStringLiteral("UpdateLayoutFile: Layoutdatei nicht gefunden"));
        } catch (const IoError&) {
        }
        return false;
    }
    IniFile file = VxLayout::ReadLayoutFile(path);
    for (const QString& section : file.sections()) {
        if (section.compare(VxLayout::kOptionsSection, Qt::CaseInsensitive) == 0
            || section.compare(VxLayout::kPixelsPerInchSection, Qt::CaseInsensitive) == 0)
            continue;
        const bool onSearchPanel = section.compare(VxLayout::kSearchFieldsSection, Qt::CaseInsensitive) == 0;
        for (const QString& key : file.keys(section)) {
            if (key.compare(VxLayout::kColorKey, Qt::CaseInsensitive) == 0)
                continue;
            TVxLayCompo compo;
            compo.MultiLanguage = false;
            ParseLayoutLine(file.value(section, key), compo);
            if (!compo.DependsOnField())
                continue;
            const QString line = GenerateLayoutLine(
                compo.TypeNo, compo.FieldName, compo.CoordinatesText(), onSearchPanel, compo.Transparent, fields);
            if (line.isEmpty())
                file.removeKey(section, key);
            else
                file.setValue(section, key, line);
        }
    }
    if (!VxLayout::WriteLayoutFile(file)) {
        dm.ShowErrorAndLog(QStringLiteral("Die Layoutdatei \"%1\" kann nicht geschrieben werden.").arg(path));
        return false;
    }
    return true;
}

int HelpTopicForField(const QString& fieldName, bool onSearchPanel, bool isCheckBox)
{
    const QString name = fieldName.toUpper();
    struct Topic
    {
        const char* field;
        int topic;
    };
    if (onSearchPanel) {
        if (name == QLatin1String("USERNAME"))
            return isCheckBox ? 1502 : 1503;
        static const Topic topics[] = {{"CREATEDATE", 1501}, {"STATE", 1504}, {"DOCNO", 1505}, {"NAME", 1506},
            {"PROJECT", 1507}, {"CATEGORY", 1508}, {"APPLNAME", 1509}, {"FAVORITE", 1513}};
        for (const Topic& t : topics)
            if (name == QLatin1String(t.field))
                return t.topic;
        return 1512;
    }
    static const Topic topics[] = {{"DOCNO", 200}, {"NAME", 201}, {"PROJECT", 202}, {"CATEGORY", 203}, {"STATE", 204},
        {"APPLNAME", 205}, {"USERNAME", 206}, {"DOCID", 207}, {"FILENAME", 208}, {"MAILFROM", 211}, {"FAVORITE", 212},
        {"TEMPLATE", 213}, {"CREATEDATE", 214}, {"EDITDATE", 215}, {"FTIUPDATE", 217}, {"LASTREMARK", 218},
        {"NOTES", 219}};
    for (const Topic& t : topics)
        if (name == QLatin1String(t.field))
            return t.topic;
    return 1018;
}

// --- names and hints ----------------------------------------------------------------------

QString NextElementName(int typeNo, const QStringList& namesInUse)
{
    const QString stem = VxLayout::kElementPrefix + QString::number(typeNo) + QLatin1Char('_');
    for (int n = 1;; ++n) {
        const QString name = stem + QString::number(n);
        if (!namesInUse.contains(name, Qt::CaseInsensitive))
            return name;
    }
}

bool IsLayoutElementName(const QString& name)
{
    return name.startsWith(VxLayout::kElementPrefix);
}

QString LayoutElementHint(const TVxLayCompo& compo, bool onSearchPanel)
{
    if (compo.TypeNo >= 500)
        return compo.Caption;
    const QString longPart = onSearchPanel ? QStringLiteral("Suche nach %1").arg(compo.Caption)
                                           : QStringLiteral("Datenfeld") + QLatin1Char(' ') + compo.Caption;
    return compo.FieldName.toUpper() + QLatin1Char('|') + longPart;
}

QString MissingFieldHint(const QString& fieldName)
{
    return QStringLiteral("Das Datenbankfeld \"%1\" wurde nicht gefunden.").arg(fieldName);
}

QString HintField(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString SectionName(const QString& formName, const QString& areaName)
{
    return formName + QLatin1Char('.') + areaName;
}

// --- layout selection ---------------------------------------------------------------------

QStringList VxLayoutSelection::Items(const QString& layoutsFolder)
{
    QStringList items;
    const QDir folder(layoutsFolder);
    for (const QFileInfo& info : folder.entryInfoList({QStringLiteral("*.lay")}, QDir::Files | QDir::Hidden))
        items << info.completeBaseName();
    items << kNewEntry;
    return items;
}

QString VxLayoutSelection::PathOf(const QString& layoutsFolder, const QString& name)
{
    return layoutsFolder + name + QStringLiteral(".lay");
}

QString VxLayoutSelection::NameOf(const QString& layoutFile)
{
    return QFileInfo(layoutFile).completeBaseName();
}

bool VxLayoutSelection::IsChange(const QString& layoutsFolder, const QString& name, const QString& layoutFileSetting)
{
    return name != kNewEntry && PathOf(layoutsFolder, name) != layoutFileSetting;
}

int VxLayoutSelection::SearchPanelHeight(int currentHeight, int lowestBottom)
{
    return currentHeight < lowestBottom + 5 ? lowestBottom + 5 : currentHeight;
}

std::optional<QString> VxLayoutSelection::CreateNewLayout(TDModul& dm, const QString& layoutFileSetting)
{
    const QString folder = dm.LayoutsFolder();
    QDir().mkpath(folder);
    const std::optional<QString> name
        = dm.dialogs().inputText(QStringLiteral("Name des neuen Layouts"), QStringLiteral("Layoutname"), QString());
    if (!name || name->trimmed().isEmpty())
        return std::nullopt;
    const QString source = dm.LayoutFile(layoutFileSetting, true);
    if (!QFileInfo::exists(source))
        return std::nullopt;
    const QString target = PathOf(folder, name->trimmed());
    if (QFileInfo::exists(target)) {
        dm.dialogs().error(QStringLiteral("Die Datei \"%1\" existiert bereits.").arg(target));
        return std::nullopt;
    }
    QFile file(source);
    if (!file.copy(target)) {
        dm.dialogs().error(QStringLiteral("Die Datei \"%1\" konnte nicht nach \"%2\" kopiert werden: %3")
                               .arg(source, target, file.errorString()));
        return std::nullopt;
    }
    QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
    return target;
}

// --- the default layout -------------------------------------------------------------------

QString DefaultLayoutText(const TVxDBFields& fields)
{
    IniFile file;
    file.setValue(VxLayout::kOptionsSection, QStringLiteral("LabelAutoSize"), QStringLiteral("0"));
    file.setValue(VxLayout::kOptionsSection, QStringLiteral("MultiLanguage"), QStringLiteral("1"));
    for (const QString& section :
        {VxLayout::kSearchFieldsSection, VxLayout::kMainFieldsSection, VxLayout::kOtherFieldsSection})
        file.setValue(VxLayout::kPixelsPerInchSection, section, QStringLiteral("96"));

    struct Element
    {
        int typeNo; // 0: a fixed control of the form, named by text
        const char* text;
        int left, top, width, height;
    };
    auto coordinates = [](const Element& e) -> QString {
        return QStringLiteral("%1,%2,%3,%4").arg(e.left).arg(e.top).arg(e.width).arg(e.height);
    };
    // Element names are unique within their form.
    QStringList mainWindowNames;
    QStringList dialogNames;
    auto write = [&](const QString& section, bool onSearchPanel, std::initializer_list<Element> elements) {
        QStringList& names = onSearchPanel ? mainWindowNames : dialogNames;
        for (const Element& e : elements) {
            if (e.typeNo == 0) {
                file.setValue(section, QLatin1String(e.text), FixedControlLayoutLine(coordinates(e), false));
                continue;
            }
            const QString line = GenerateLayoutLine(
                e.typeNo, QString::fromUtf8(e.text), coordinates(e), onSearchPanel, e.typeNo == 1, fields);
            if (line.isEmpty())
                continue;
            TVxLayCompo written;
            ParseLayoutLine(line, written);
            const QString name = NextElementName(written.TypeNo, names);
            names << name;
            file.setValue(section, name, line);
        }
    };

    // The search panel (170 pixels high): three columns of label and input, read row by row.
    write(VxLayout::kSearchFieldsSection, true,
        {
            {1, "DOCNO", 8, 12, 70, 13},
            {10, "DOCNO", 80, 8, 150, 21},
            {1, "STATE", 248, 12, 84, 13},
            {10, "STATE", 334, 8, 150, 21},
            {0, "BtnSearch", 504, 6, 90, 25},
            {0, "BtnLockSearch", 596, 6, 25, 25},
            {1, "NAME", 8, 38, 70, 13},
            {10, "NAME", 80, 34, 150, 21},
            {1, "APPLNAME", 248, 38, 84, 13},
            {0, "CoBoxApplication", 334, 34, 150, 22},
            {70, "USERNAME", 504, 36, 130, 17},
            {1, "PROJECT", 8, 64, 70, 13},
            {10, "PROJECT", 80, 60, 150, 21},
            {1, "CREATEDATE", 248, 64, 84, 13},
            {10, "CREATEDATE", 334, 60, 150, 21},
            {70, "FAVORITE", 504, 62, 130, 17},
            {1, "CATEGORY", 8, 90, 70, 13},
            {10, "CATEGORY", 80, 86, 150, 21},
            {1, "MAILFROM", 248, 90, 84, 13},
            {10, "MAILFROM", 334, 86, 150, 21},
            {0, "LabelFTI", 504, 90, 56, 13},
            {0, "EditFTI", 562, 86, 120, 21},
        });

    // The properties dialog's main panel, under the document type of the fixed controls.
    write(VxLayout::kMainFieldsSection, false,
        {
            {0, "FieldCaptionAppl", 8, 12, 85, 13},
            {0, "CoBoxApplication", 100, 8, 230, 22},
            {0, "CoBoxImageFormat", 100, 8, 230, 22},
            {0, "BtnOptItems", 340, 7, 130, 25},
            {1, "DOCNO", 8, 41, 85, 13},
            {10, "DOCNO", 100, 37, 130, 21},
            {1, "DOCID", 250, 41, 60, 13},
            {101, "DOCID", 320, 41, 80, 13},
            {1, "NAME", 8, 67, 85, 13},
            {10, "NAME", 100, 63, 370, 21},
            {1, "PROJECT", 8, 93, 85, 13},
            {10, "PROJECT", 100, 89, 370, 21},
            {1, "CATEGORY", 8, 119, 85, 13},
            {10, "CATEGORY", 100, 115, 150, 21},
            {1, "STATE", 266, 119, 50, 13},
            {10, "STATE", 320, 115, 150, 21},
        });

    // The page "Weitere": the default fields that have no place of their own in the dialog.
    write(VxLayout::kOtherFieldsSection, false,
        {
            {1, "MAILFROM", 8, 12, 85, 13},
            {10, "MAILFROM", 100, 8, 250, 21},
        });
    return file.toText();
}
