#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QIODevice;
class SqlRecordSet;

// Writes the rows of a record set in the command-line formats: tsv (default), csv and json.
class RowWriter
{
public:
    enum class Format { Tsv, Csv, Json };
    static std::optional<Format> parseFormat(const QString& name);

    RowWriter(QIODevice& out, Format format)
        : m_out(out)
        , m_format(format)
    {
    }

    // Writes every row from the current position on; fields restricts and orders the columns
    // (names compared without regard to case). Raises DbError for an unknown field.
    void write(SqlRecordSet& records, const QStringList& fields = {});

private:
    void flushIfFull(bool force = false);

    QIODevice& m_out;
    Format m_format;
    QByteArray m_buffer;
};
