#include "ExchangeFiles.h"

#include "archive/ArchiveSchema.h"
#include "platform/Errors.h"
#include "platform/db/DateSerial.h"
#include "platform/db/SqlRecordSet.h"

#include <QDataStream>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace ExchangeFiles {
namespace {
const QString kSchemaNs = QStringLiteral("uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882");
const QString kTypeNs = QStringLiteral("uuid:C2F41010-65B3-11d1-A29F-00AA00C14882");
const QString kRowsetNs = QStringLiteral("urn:schemas-microsoft-com:rowset");
const QString kRowNs = QStringLiteral("#RowsetSchema");
const QByteArray kMagic("DXRS");
constexpr quint8 kVersion = 1;
constexpr int kLongText = 536870910;

enum Tag : quint8 { TagNull = 0, TagInteger = 1, TagFloat = 2, TagText = 3, TagBytes = 4 };

bool isFloatLike(FieldKind kind)
{
    return isFloatKind(kind) || isDateKind(kind);
}

Column columnOf(const SqlField& field)
{
    Column column;
    column.name = field.name;
    column.kind = field.kind == FieldKind::Unknown ? FieldKind::String : field.kind;
    column.width = field.size;
    column.nullable = !field.required;
    return column;
}

std::vector<Column> columnsOf(const SqlRecordSet& records)
{
    std::vector<Column> columns;
    for (const SqlField& field : records.fields())
        columns.push_back(columnOf(field));
    return columns;
}

// --- XML ----------------------------------------------------------------------------------

struct XmlType
{
    QString type;
    QString dbType;
    int maxLength = 0;
    QString precision;
    bool isLong = false;
    bool fixed = false;
};

XmlType xmlTypeOf(const Column& column)
{
    switch (column.kind) {
    case FieldKind::SmallInt: return {QStringLiteral("i2"), {}, 2, QStringLiteral("5"), false, true};
    case FieldKind::Integer:
    case FieldKind::Word:
    case FieldKind::AutoInc: return {QStringLiteral("int"), {}, 4, QStringLiteral("10"), false, true};
    case FieldKind::LargeInt: return {QStringLiteral("i8"), {}, 8, QStringLiteral("19"), false, true};
    case FieldKind::Float: return {QStringLiteral("float"), {}, 8, QStringLiteral("15"), false, true};
    case FieldKind::Currency:
        return {QStringLiteral("i8"), QStringLiteral("currency"), 8, QStringLiteral("19"), false, true};
    case FieldKind::Date:
    case FieldKind::Time:
    case FieldKind::DateTime: return {QStringLiteral("dateTime"), QStringLiteral("variantdate"), 16, {}, false, true};
    case FieldKind::Boolean: return {QStringLiteral("boolean"), {}, 2, {}, false, true};
    case FieldKind::Memo:
    case FieldKind::FmtMemo: return {QStringLiteral("string"), {}, kLongText, {}, true, false};
    case FieldKind::Blob:
    case FieldKind::Graphic:
    case FieldKind::Bytes: return {QStringLiteral("bin.hex"), {}, 1073741823, {}, true, false};
    default: return {QStringLiteral("string"), {}, column.width > 0 ? column.width : 255, {}, false, false};
    }
}

FieldKind kindOfXmlType(const QString& type, const QString& dbType, int maxLength, bool isLong)
{
    const QString t = type.toLower();
    if (t == QLatin1String("i1") || t == QLatin1String("i2") || t == QLatin1String("ui1"))
        return FieldKind::SmallInt;
    if (t == QLatin1String("int") || t == QLatin1String("i4") || t == QLatin1String("ui2") || t == QLatin1String("ui4"))
        return FieldKind::Integer;
    if (t == QLatin1String("i8") || t == QLatin1String("ui8"))
        return dbType.compare(QLatin1String("currency"), Qt::CaseInsensitive) == 0 ? FieldKind::Currency
                                                                                   : FieldKind::LargeInt;
    if (t == QLatin1String("float") || t == QLatin1String("r8") || t == QLatin1String("r4")
        || t == QLatin1String("number") || t == QLatin1String("fixed.14.4"))
        return dbType.compare(QLatin1String("currency"), Qt::CaseInsensitive) == 0 ? FieldKind::Currency
                                                                                   : FieldKind::Float;
    if (t.startsWith(QLatin1String("date")) || t.startsWith(QLatin1String("time")))
        return FieldKind::DateTime;
    if (t == QLatin1String("boolean"))
        return FieldKind::Boolean;
    if (t.startsWith(QLatin1String("bin.")))
        return FieldKind::Graphic;
    return isLong || maxLength > 254 ? FieldKind::Memo : FieldKind::String;
}

bool isXmlName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_.-]*$"));
    return pattern.match(name).hasMatch() && !name.startsWith(QLatin1String("xml"), Qt::CaseInsensitive);
}

QString xmlValue(const Column& column, const QVariant& value)
{
    if (column.kind == FieldKind::Boolean && value.typeId() == QMetaType::QString)
        return value.toString();
    if (isDateKind(column.kind))
        return DateSerial::toIso(value.toDouble());
    switch (value.typeId()) {
    case QMetaType::Double: return QString::number(value.toDouble(), 'g', 17);
    case QMetaType::QByteArray: return QString::fromLatin1(value.toByteArray().toHex());
    default: return value.toString();
    }
}

void writeXml(SqlRecordSet& records, QIODevice& out)
{
    const std::vector<Column> columns = columnsOf(records);
    QStringList attributeNames;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartElement(QStringLiteral("xml"));
    xml.writeNamespace(kSchemaNs, QStringLiteral("s"));
    xml.writeNamespace(kTypeNs, QStringLiteral("dt"));
    xml.writeNamespace(kRowsetNs, QStringLiteral("rs"));
    xml.writeNamespace(kRowNs, QStringLiteral("z"));
    xml.writeStartElement(kSchemaNs, QStringLiteral("Schema"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("RowsetSchema"));
    xml.writeStartElement(kSchemaNs, QStringLiteral("ElementType"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("row"));
    xml.writeAttribute(QStringLiteral("content"), QStringLiteral("eltOnly"));
    xml.writeAttribute(kRowsetNs, QStringLiteral("updatable"), QStringLiteral("true"));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& column = columns[i];
        const QString attribute = isXmlName(column.name) ? column.name : QStringLiteral("c%1").arg(i);
        attributeNames << attribute;
        xml.writeStartElement(kSchemaNs, QStringLiteral("AttributeType"));
        xml.writeAttribute(QStringLiteral("name"), attribute);
        if (attribute != column.name)
            xml.writeAttribute(kRowsetNs, QStringLiteral("name"), column.name);
        xml.writeAttribute(kRowsetNs, QStringLiteral("number"), QString::number(i + 1));
        if (column.nullable)
            xml.writeAttribute(kRowsetNs, QStringLiteral("nullable"), QStringLiteral("true"));
        xml.writeAttribute(kRowsetNs, QStringLiteral("writeunknown"), QStringLiteral("true"));
        const SqlField& field = records.fields()[i];
        if (!field.originTable.isEmpty()) {
            xml.writeAttribute(kRowsetNs, QStringLiteral("basetable"), field.originTable);
            xml.writeAttribute(kRowsetNs, QStringLiteral("basecolumn"), field.originColumn);
        }
        const XmlType type = xmlTypeOf(column);
        xml.writeStartElement(kSchemaNs, QStringLiteral("datatype"));
        xml.writeAttribute(kTypeNs, QStringLiteral("type"), type.type);
        if (!type.dbType.isEmpty())
            xml.writeAttribute(kRowsetNs, QStringLiteral("dbtype"), type.dbType);
        xml.writeAttribute(kTypeNs, QStringLiteral("maxLength"), QString::number(type.maxLength));
        if (!type.precision.isEmpty())
            xml.writeAttribute(kRowsetNs, QStringLiteral("precision"), type.precision);
        if (type.fixed)
            xml.writeAttribute(kRowsetNs, QStringLiteral("fixedlength"), QStringLiteral("true"));
        if (type.isLong)
            xml.writeAttribute(kRowsetNs, QStringLiteral("long"), QStringLiteral("true"));
        if (!column.nullable)
            xml.writeAttribute(kRowsetNs, QStringLiteral("maybenull"), QStringLiteral("false"));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEmptyElement(kSchemaNs, QStringLiteral("extends"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("rs:rowbase"));
    xml.writeEndElement(); // ElementType
    xml.writeEndElement(); // Schema
    xml.writeStartElement(kRowsetNs, QStringLiteral("data"));
    for (records.first(); !records.eof(); records.next()) {
        xml.writeEmptyElement(kRowNs, QStringLiteral("row"));
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const QVariant value = records.value(int(i));
            if (!value.isNull())
                xml.writeAttribute(attributeNames[qsizetype(i)], xmlValue(columns[i], value));
        }
    }
    xml.writeEndElement(); // data
    xml.writeEndElement(); // xml
    xml.writeEndDocument();
    if (xml.hasError())
        throw IoError(QStringLiteral("Die Exportdatei konnte nicht geschrieben werden."));
}

[[noreturn]] void refuse(const QString& reason)
{
    throw IoError(reason);
}

void checkSize(const Table& table)
{
    if (qint64(table.rows.size() + 1) * qint64(std::max<std::size_t>(table.columns.size(), 1)) > kMaxValues)
        refuse(QStringLiteral("Die Datei enthält mehr als %1 Werte.").arg(kMaxValues));
}

QString badValue(const QString& value, const Column& column, std::size_t row)
{
    return QStringLiteral("Der Wert \"%1\" der Spalte \"%2\" in Datensatz %3 passt nicht zum Typ der Spalte.")
        .arg(value.left(60), column.name)
        .arg(row);
}

QVariant valueFromXml(const QString& text, const Column& column, std::size_t row)
{
    bool ok = true;
    QVariant value;
    if (isIntegerKind(column.kind)) {
        value = text.trimmed().toLongLong(&ok);
    } else if (isFloatKind(column.kind)) {
        value = text.trimmed().toDouble(&ok);
    } else if (isDateKind(column.kind)) {
        QDateTime dateTime = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
        if (!dateTime.isValid())
            dateTime = QDateTime(QDate::fromString(text.trimmed(), Qt::ISODate), QTime(0, 0));
        if (dateTime.isValid())
            value = DateSerial::fromDateTime(dateTime);
        else if (const auto serial = DateSerial::parse(text))
            value = *serial;
        else
            ok = false;
    } else if (column.kind == FieldKind::Boolean) {
        const QString t = text.trimmed().toLower();
        if (t == QLatin1String("t") || t == QLatin1String("f"))
            value = text.trimmed().toUpper();
        else if (t == QLatin1String("true") || t == QLatin1String("-1") || t == QLatin1String("1"))
            value = QStringLiteral("T");
        else if (t == QLatin1String("false") || t == QLatin1String("0"))
            value = QStringLiteral("F");
        else
            ok = false;
    } else if (isBinaryKind(column.kind)) {
        const QByteArray hex = text.trimmed().toLatin1();
        static const QRegularExpression hexPattern(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
        ok = hexPattern.match(text.trimmed()).hasMatch();
        value = QByteArray::fromHex(hex);
    } else {
        value = text;
    }
    if (!ok)
        refuse(badValue(text, column, row));
    return value;
}

Table readXml(QIODevice& in)
{
    Table table;
    QHash<QString, int> byAttribute;
    QXmlStreamReader xml(&in);
    int depth = 0;
    bool inData = false;
    Column* current = nullptr;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD)
            refuse(QStringLiteral("Die Datei enthält eine Dokumenttypdefinition (DOCTYPE); solche Dateien werden "
                                  "nicht gelesen."));
        if (token == QXmlStreamReader::EntityReference)
            refuse(QStringLiteral("Die Datei enthält Entitätsverweise; solche Dateien werden nicht gelesen."));
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (xml.name() == QLatin1String("data"))
                inData = false;
            if (xml.name() == QLatin1String("AttributeType"))
                current = nullptr;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (++depth > kMaxDepth)
            refuse(QStringLiteral("Die Datei ist tiefer als %1 Ebenen verschachtelt.").arg(kMaxDepth));
        const auto name = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        if (depth == 1 && name != QLatin1String("xml"))
            refuse(QStringLiteral("Die Datei ist keine Datensatzdatei im XML-Format."));
        if (name == QLatin1String("AttributeType") && !inData) {
            if (int(table.columns.size()) >= kMaxColumns)
                refuse(QStringLiteral("Die Datei hat mehr als %1 Spalten.").arg(kMaxColumns));
            Column column;
            const QString attribute = attributes.value(QStringLiteral("name")).toString();
            const QString realName = attributes.value(kRowsetNs, QStringLiteral("name")).toString();
            column.name = realName.isEmpty() ? attribute : realName;
            if (column.name.isEmpty() || byAttribute.contains(attribute))
                refuse(QStringLiteral("Die Spaltenbeschreibung \"%1\" ist ungültig oder doppelt.").arg(attribute));
            column.nullable = attributes.value(kRowsetNs, QStringLiteral("nullable")) == QLatin1String("true");
            column.key = attributes.value(kRowsetNs, QStringLiteral("keycolumn")) == QLatin1String("true");
            byAttribute.insert(attribute, int(table.columns.size()));
            table.columns.push_back(column);
            current = &table.columns.back();
        }
        if ((name == QLatin1String("datatype") || name == QLatin1String("AttributeType")) && current
            && attributes.hasAttribute(kTypeNs, QStringLiteral("type"))) {
            const int maxLength = attributes.value(kTypeNs, QStringLiteral("maxLength")).toInt();
            current->kind = kindOfXmlType(attributes.value(kTypeNs, QStringLiteral("type")).toString(),
                attributes.value(kRowsetNs, QStringLiteral("dbtype")).toString(), maxLength,
                attributes.value(kRowsetNs, QStringLiteral("long")) == QLatin1String("true"));
            current->width = current->kind == FieldKind::String ? std::clamp(maxLength, 1, 254) : 0;
            if (attributes.value(kRowsetNs, QStringLiteral("maybenull")) == QLatin1String("false"))
                current->nullable = false;
        }
        if (name == QLatin1String("data"))
            inData = true;
        if (name == QLatin1String("row") && inData) {
            checkSize(table);
            std::vector<QVariant> row(table.columns.size());
            for (const QXmlStreamAttribute& attribute : attributes) {
                const auto found = byAttribute.constFind(attribute.name().toString());
                if (found == byAttribute.constEnd())
                    refuse(QStringLiteral("Der Wert \"%1\" gehört zu keiner Spalte.").arg(attribute.name().toString()));
                const Column& column = table.columns[std::size_t(*found)];
                row[std::size_t(*found)] = valueFromXml(attribute.value().toString(), column, table.rows.size() + 1);
            }
            table.rows.push_back(std::move(row));
        }
    }
    if (xml.hasError())
        refuse(
            QStringLiteral("Die XML-Datei ist fehlerhaft (Zeile %1): %2").arg(xml.lineNumber()).arg(xml.errorString()));
    if (table.columns.empty())
        refuse(QStringLiteral("Die Datei beschreibt keine Spalten."));
    return table;
}

// --- binary -------------------------------------------------------------------------------

void writeString(QDataStream& out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    out << quint32(bytes.size());
    out.writeRawData(bytes.constData(), int(bytes.size()));
}

void writeBinary(SqlRecordSet& records, QIODevice& device)
{
    const std::vector<Column> columns = columnsOf(records);
    QDataStream out(&device);
    out.setVersion(QDataStream::Qt_6_0);
    out.setByteOrder(QDataStream::BigEndian);
    out.setFloatingPointPrecision(QDataStream::DoublePrecision);
    out.writeRawData(kMagic.constData(), int(kMagic.size()));
    out << kVersion << quint32(columns.size());
    for (const Column& column : columns) {
        writeString(out, column.name);
        QString type = ArchiveSchema::ColumnTypeText(column.kind, column.width);
        if (column.kind == FieldKind::Bytes || column.kind == FieldKind::Blob)
            type = QStringLiteral("IMAGE");
        writeString(out, type.isEmpty() ? QStringLiteral("LONGTEXT") : type);
        out << quint8((column.nullable ? 1 : 0) | (column.key ? 2 : 0));
    }
    for (records.first(); !records.eof(); records.next()) {
        out << quint8(1);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const QVariant value = records.value(int(i));
            if (value.isNull()) {
                out << quint8(TagNull);
            } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
                if (isFloatLike(columns[i].kind))
                    out << quint8(TagFloat) << value.toDouble();
                else
                    out << quint8(TagInteger) << qint64(value.toLongLong());
            } else if (value.typeId() == QMetaType::Double) {
                out << quint8(TagFloat) << value.toDouble();
            } else if (value.typeId() == QMetaType::QByteArray) {
                const QByteArray bytes = value.toByteArray();
                out << quint8(TagBytes) << quint32(bytes.size());
                out.writeRawData(bytes.constData(), int(bytes.size()));
            } else {
                out << quint8(TagText);
                writeString(out, value.toString());
            }
        }
    }
    out << quint8(0);
    if (out.status() != QDataStream::Ok)
        throw IoError(QStringLiteral("Die Exportdatei konnte nicht geschrieben werden."));
}

class BinaryReader
{
public:
    explicit BinaryReader(QIODevice& device)
        : m_device(device)
        , m_in(&device)
    {
        m_in.setVersion(QDataStream::Qt_6_0);
        m_in.setByteOrder(QDataStream::BigEndian);
        m_in.setFloatingPointPrecision(QDataStream::DoublePrecision);
    }
    template <typename T>
    T number()
    {
        T value{};
        m_in >> value;
        check();
        return value;
    }
    QByteArray bytes()
    {
        const quint32 size = number<quint32>();
        if (qint64(size) > m_device.bytesAvailable())
            truncated();
        QByteArray data(qsizetype(size), Qt::Uninitialized);
        if (m_in.readRawData(data.data(), int(size)) != int(size))
            truncated();
        return data;
    }
    QString text() { return QString::fromUtf8(bytes()); }
    [[noreturn]] static void truncated() { refuse(QStringLiteral("Die Datei ist unvollständig oder beschädigt.")); }

private:
    void check()
    {
        if (m_in.status() != QDataStream::Ok)
            truncated();
    }
    QIODevice& m_device;
    QDataStream m_in;
};

Table readBinary(QIODevice& device)
{
    Table table;
    BinaryReader in(device);
    if (device.read(kMagic.size()) != kMagic)
        refuse(QStringLiteral("Die Datei ist keine Datensatzdatei."));
    if (in.number<quint8>() != kVersion)
        refuse(QStringLiteral("Die Datensatzdatei hat eine unbekannte Version."));
    const quint32 count = in.number<quint32>();
    if (count == 0 || count > quint32(kMaxColumns))
        refuse(QStringLiteral("Die Datensatzdatei hat eine ungültige Spaltenzahl (%1).").arg(count));
    for (quint32 i = 0; i < count; ++i) {
        Column column;
        column.name = in.text();
        const DeclaredType declared = parseDeclaredType(in.text());
        const quint8 flags = in.number<quint8>();
        if (column.name.isEmpty() || declared.kind == FieldKind::Unknown)
            refuse(QStringLiteral("Die Spaltenbeschreibung %1 der Datensatzdatei ist ungültig.").arg(i + 1));
        column.kind = declared.kind;
        column.width = declared.width;
        column.nullable = flags & 1;
        column.key = flags & 2;
        table.columns.push_back(column);
    }
    for (;;) {
        const quint8 marker = in.number<quint8>();
        if (marker == 0)
            break;
        if (marker != 1)
            BinaryReader::truncated();
        checkSize(table);
        std::vector<QVariant> row(table.columns.size());
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            const Column& column = table.columns[i];
            const quint8 tag = in.number<quint8>();
            bool fits = true;
            switch (tag) {
            case TagNull: break;
            case TagInteger:
                row[i] = in.number<qint64>();
                fits = isIntegerKind(column.kind) || isFloatLike(column.kind);
                break;
            case TagFloat:
                row[i] = in.number<double>();
                fits = isFloatLike(column.kind);
                break;
            case TagText:
                row[i] = in.text();
                fits = !isIntegerKind(column.kind) && !isFloatLike(column.kind) && !isBinaryKind(column.kind);
                break;
            case TagBytes:
                row[i] = in.bytes();
                fits = isBinaryKind(column.kind);
                break;
            default: BinaryReader::truncated();
            }
            if (!fits)
                refuse(badValue(row[i].toString(), column, table.rows.size() + 1));
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}
} // namespace

void write(SqlRecordSet& records, QIODevice& out, Format format)
{
    if (format == Format::Xml)
        writeXml(records, out);
    else
        writeBinary(records, out);
}

Table read(QIODevice& in)
{
    if (in.size() > kMaxFileSize)
        refuse(QStringLiteral("Die Datei ist größer als %1 MB.").arg(kMaxFileSize / (1024 * 1024)));
    if (in.peek(kMagic.size()) == kMagic)
        return readBinary(in);
    return readXml(in);
}

Table readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        refuse(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2").arg(path, file.errorString()));
    return read(file);
}
} // namespace ExchangeFiles
