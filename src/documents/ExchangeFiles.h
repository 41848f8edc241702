#pragma once

#include "platform/db/FieldKind.h"

#include <QString>
#include <QVariant>

#include <vector>

class QIODevice;
class SqlRecordSet;

// The exchange files of catalogue records: the XML rowset form that the Windows program writes
// and reads (its persisted record sets), and our own binary form (docs/exchange-files.md).
// Reading never trusts the file: no DTD, no entities, bounded depth, size and counts; a value
// that does not fit its column's type refuses the whole file.
namespace ExchangeFiles {
struct Column
{
    QString name;
    FieldKind kind = FieldKind::String;
    int width = 0; // text columns
    bool nullable = true;
    bool key = false;
};

// Values as the record set keeps them: qint64, double (dates as day serials), QString,
// QByteArray, or null.
struct Table
{
    std::vector<Column> columns;
    std::vector<std::vector<QVariant>> rows;
};

enum class Format { Xml, Binary };

// The largest exchange file read.
constexpr qint64 kMaxFileSize = 512LL * 1024 * 1024;
constexpr int kMaxDepth = 32;
constexpr int kMaxColumns = 2000;
// Values held in memory while a file is read (records times columns).
constexpr qint64 kMaxValues = 20'000'000;

// Writes all records of the record set from its first, all fields. Raises DxError.
void write(SqlRecordSet& records, QIODevice& out, Format format);
// Reads either form (told apart by the first bytes). Raises IoError with the reason.
Table read(QIODevice& in);
Table readFile(const QString& path);
} // namespace ExchangeFiles
