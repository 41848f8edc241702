#include "RowWriter.h"

#include "platform/Errors.h"
#include "platform/db/DateSerial.h"
#include "platform/db/SqlRecordSet.h"

#include <QIODevice>
#include <QLocale>

namespace {
enum class Cell { Null, Number, Text };

// The value of a cell as UTF-8 and whether it is a number, a text or nothing.
Cell cellText(const SqlField& field, const QVariant& value, QByteArray& text)
{
    text.clear();
    if (value.isNull())
        return Cell::Null;
    const int type = value.typeId();
    if (isDateKind(field.kind) && (type == QMetaType::Double || type == QMetaType::LongLong)) {
        DateSerial::appendIso(text, value.toDouble());
        return Cell::Text;
    }
    if (type == QMetaType::LongLong) {
        text = QByteArray::number(value.toLongLong());
        return Cell::Number;
    }
    if (type == QMetaType::Double) {
        text = QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        return Cell::Number;
    }
    if (type == QMetaType::QByteArray) {
        text = value.toByteArray().toBase64();
        return Cell::Text;
    }
    text = value.toString().toUtf8();
    return Cell::Text;
}

void appendTsv(QByteArray& out, const QByteArray& text)
{
    // Copies the runs between the characters that need escaping in one piece each.
    const char* data = text.constData();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c != '\t' && c != '\n' && c != '\r' && c != '\\')
            continue;
        out.append(data + start, i - start);
        const char escaped[2] = {'\\', c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : '\\'};
        out.append(escaped, 2);
        start = i + 1;
    }
    out.append(data + start, size - start);
}

void appendCsv(QByteArray& out, const QByteArray& text)
{
    const bool quote = text.contains(',') || text.contains('"') || text.contains('\n') || text.contains('\r');
    if (!quote) {
        out.append(text);
        return;
    }
    out.append('"');
    for (char c : text) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

void appendJsonString(QByteArray& out, const QByteArray& text)
{
    out.append('"');
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out.append("\\\"", 2); break;
        case '\\': out.append("\\\\", 2); break;
        case '\n': out.append("\\n", 2); break;
        case '\r': out.append("\\r", 2); break;
        case '\t': out.append("\\t", 2); break;
        default:
            if (u < 0x20) {
                static const char hex[] = "0123456789abcdef";
                const char escape[] = {'\\', 'u', '0', '0', hex[u >> 4], hex[u & 15]};
                out.append(escape, 6);
            } else {
                out.append(c);
            }
        }
    }
    out.append('"');
}
} // namespace

std::optional<RowWriter::Format> RowWriter::parseFormat(const QString& name)
{
    if (name.compare(QLatin1String("tsv"), Qt::CaseInsensitive) == 0)
        return Format::Tsv;
    if (name.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return Format::Csv;
    if (name.compare(QLatin1String("json"), Qt::CaseInsensitive) == 0)
        return Format::Json;
    return std::nullopt;
}

void RowWriter::flushIfFull(bool force)
{
    if (force || m_buffer.size() > (1 << 16)) {
        m_out.write(m_buffer);
        m_buffer.clear();
    }
}

void RowWriter::write(SqlRecordSet& records, const QStringList& fields)
{
    std::vector<int> columns;
    if (fields.isEmpty()) {
        for (int i = 0; i < int(records.fields().size()); ++i)
            columns.push_back(i);
    } else {
        for (const QString& name : fields) {
            const int index = records.fieldIndex(name.trimmed());
            if (index < 0)
                throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(name.trimmed()));
            columns.push_back(index);
        }
    }
    std::vector<QByteArray> names;
    for (int c : columns)
        names.push_back(records.fields()[size_t(c)].name.toUtf8());

    const char* lineEnd = m_format == Format::Csv ? "\r\n" : "\n";
    const char separator = m_format == Format::Csv ? ',' : '\t';
    if (m_format == Format::Json) {
        m_buffer.append('[');
    } else {
        for (size_t i = 0; i < names.size(); ++i) {
            if (i > 0)
                m_buffer.append(separator);
            m_format == Format::Csv ? appendCsv(m_buffer, names[i]) : appendTsv(m_buffer, names[i]);
        }
        m_buffer.append(lineEnd);
    }

    QByteArray text;
    bool firstRow = true;
    for (; records.isActive() && !records.eof(); records.next()) {
        if (m_format == Format::Json) {
            m_buffer.append(firstRow ? "\n{" : ",\n{");
            for (size_t i = 0; i < columns.size(); ++i) {
                if (i > 0)
                    m_buffer.append(',');
                appendJsonString(m_buffer, names[i]);
                m_buffer.append(':');
                const Cell cell = cellText(records.fields()[size_t(columns[i])], records.value(columns[i]), text);
                if (cell == Cell::Null)
                    m_buffer.append("null", 4);
                else if (cell == Cell::Number)
                    m_buffer.append(text);
                else
                    appendJsonString(m_buffer, text);
            }
            m_buffer.append('}');
        } else {
            for (size_t i = 0; i < columns.size(); ++i) {
                if (i > 0)
                    m_buffer.append(separator);
                cellText(records.fields()[size_t(columns[i])], records.value(columns[i]), text);
                m_format == Format::Csv ? appendCsv(m_buffer, text) : appendTsv(m_buffer, text);
            }
            m_buffer.append(lineEnd);
        }
        firstRow = false;
        flushIfFull();
    }
    if (m_format == Format::Json)
        m_buffer.append(firstRow ? "]\n" : "\n]\n");
    flushIfFull(true);
}
